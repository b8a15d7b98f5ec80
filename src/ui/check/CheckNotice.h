#pragma once

#include "core/check/RecordCheck.h"

#include <QLabel>

#include <functional>
#include <vector>

// The line under the data-entry fields that names what looks wrong with the
// record just saved. It never blocks and never changes the record: it only
// informs, and a click on a named record asks for that record.
class CheckNotice final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckNotice)

public:
    explicit CheckNotice(QWidget* parent = nullptr);

    // Shows the findings (or hides the line when there are none). `names`
    // gives the dotted names of the document's lines a finding points at.
    void showFindings(const QString& recordName, const std::vector<Finding>& findings,
                      const std::function<QString(int line)>& nameOfLine);
    void clearFindings();

Q_SIGNALS:
    // A record of the open document, by line.
    void documentRecordRequested(int line);
    // A record of the index set, by its (undotted) name.
    void indexedRecordRequested(const QString& recordName);
};
