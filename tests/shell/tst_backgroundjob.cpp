// The job runner's started jobs: how their end is heard, that a stop asked
// before that counts, and that nothing outlives the runner.

#include "core/record/NorlaError.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <optional>

namespace {

// Runs until a stop is asked, then ends the way a stopped run does.
void runUntilStopped(const JobControl& control)
{
    while (!control.stopRequested())
        QThread::msleep(1);
    control.throwIfStopped();
}

QString failureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const NorlaError& error) {
        return error.message();
    } catch (const OperationCancelled&) {
        return QStringLiteral("stopped");
    } catch (...) {
        return QStringLiteral("other");
    }
}

} // namespace

class tst_BackgroundJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startedJobReportsHowItEnded();
    void stopBeforeTheEndIsHeardCounts();
    void stopAndWaitEndsTheJobUnheard();
    void buttonRowStopsItsJobAndClosesItsDialog();
};

void tst_BackgroundJob::startedJobReportsHowItEnded()
{
    BackgroundJob job;
    std::optional<std::exception_ptr> ended;
    job.start([](JobControl&) { throw NorlaError(QStringLiteral("rossz")); },
              [&](std::exception_ptr failure) { ended = failure; });
    QVERIFY(job.isRunning());
    QTRY_VERIFY(ended.has_value());
    QVERIFY(!job.isRunning());
    QCOMPARE(failureText(*ended), QStringLiteral("rossz"));

    ended.reset();
    job.start([](JobControl&) {}, [&](std::exception_ptr failure) { ended = failure; });
    QTRY_VERIFY(ended.has_value());
    QVERIFY(!*ended);
    QVERIFY(!job.control().wasStopRequested());
}

// A stop asked before the end is heard counts, even when the work had
// already returned: the user saw the stop take effect.
void tst_BackgroundJob::stopBeforeTheEndIsHeardCounts()
{
    BackgroundJob job;
    bool ended = false;
    job.start([](JobControl&) {}, [&](std::exception_ptr) { ended = true; });
    job.requestStop();
    QTRY_VERIFY(ended);
    QVERIFY(job.control().wasStopRequested());

    std::optional<std::exception_ptr> failure;
    job.start(runUntilStopped, [&](std::exception_ptr thrown) { failure = thrown; });
    QVERIFY(!job.control().wasStopRequested());
    job.requestStop();
    QTRY_VERIFY(failure.has_value());
    QCOMPARE(failureText(*failure), QStringLiteral("stopped"));
}

void tst_BackgroundJob::stopAndWaitEndsTheJobUnheard()
{
    bool ended = false;
    {
        BackgroundJob job;
        job.start(runUntilStopped, [&](std::exception_ptr) { ended = true; });
        job.stopAndWait();
        QVERIFY(!job.isRunning());
        QVERIFY(job.findChildren<QThread*>().isEmpty());
        // A new job after the stopped one is heard, the stopped one never.
        job.start([](JobControl&) {}, [&](std::exception_ptr) { ended = true; });
        QTRY_VERIFY(ended);
        ended = false;
        job.start(runUntilStopped, [&](std::exception_ptr) { ended = true; });
    }
    // Gone with its runner, the job was stopped and waited for.
    QCoreApplication::processEvents();
    QVERIFY(!ended);
}

// The bottom row of the check dialogs: "Mégsem" reaches the running job
// through the input held back from the rest of the window, and "Bezárás"
// closes the dialog; the dialog's own buttons sit between the two.
void tst_BackgroundJob::buttonRowStopsItsJobAndClosesItsDialog()
{
    QDialog dialog;
    auto* own = new QPushButton(QStringLiteral("Saját"), &dialog);
    auto* row = new JobButtonRow(&dialog, {own});
    (new QVBoxLayout(&dialog))->addLayout(row);
    dialog.show();
    auto* stop = dialog.findChild<QPushButton*>(QStringLiteral("gomb_megsem"));
    auto* close = dialog.findChild<QPushButton*>(QStringLiteral("gomb_bezar"));
    QVERIFY(stop && close && dialog.findChild<QLabel*>(QStringLiteral("lab_osszegzes")));
    QCOMPARE(row->indexOf(own), row->indexOf(stop) + 1);
    QCOMPARE(row->indexOf(close), row->indexOf(own) + 1);

    stop->setEnabled(true);
    QTimer::singleShot(50, stop, [stop] { QTest::mouseClick(stop, Qt::LeftButton); });
    QVERIFY(!row->job()->runStoppable(runUntilStopped));
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(tst_BackgroundJob)
#include "tst_backgroundjob.moc"
