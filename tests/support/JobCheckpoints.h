#pragma once

#include "ui/common/BackgroundJob.h"

#include <QMetaObject>
#include <QObject>

#include <functional>

// Holds a background job at each of its cancel checks and meanwhile runs
// `atCheck` on the window's thread with the check's number (from 1), so a
// test can look at the window mid-run and stop the job the way a user does,
// at a known point and without timing.
class JobCheckpoints final
{
public:
    JobCheckpoints(QObject* context, std::function<void(int check)> atCheck)
    {
        BackgroundJob::setCheckpointHook([this, context, atCheck = std::move(atCheck)] {
            QMetaObject::invokeMethod(
                context, [&] { atCheck(++m_count); }, Qt::BlockingQueuedConnection);
        });
    }
    ~JobCheckpoints() { BackgroundJob::setCheckpointHook({}); }
    JobCheckpoints(const JobCheckpoints&) = delete;
    JobCheckpoints& operator=(const JobCheckpoints&) = delete;

    int count() const { return m_count; }

private:
    int m_count = 0;
};
