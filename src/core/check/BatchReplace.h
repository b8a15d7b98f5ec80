#pragma once

#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/RecordSchema.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// A text or a regular expression replaced in one field or in every field of
// many records. The preview lists each record's field before and after; only
// the rows the user keeps are applied, and every other character of a line
// stays as it was. A creator's name is replaced apart from its role code.
class BatchReplace final
{
public:
    struct Request
    {
        std::optional<Field> field; // none: every field but the record name
        QString find;
        bool regex = false;
        QString with; // with a regular expression, \1 … \9 stand for its groups
    };

    struct Row
    {
        int line = -1;
        QString recordName; // as the record-name list shows it
        Field field = Field::Title;
        QString before;
        QString after;
        QString refusal; // why the row cannot be applied; empty when it can

        bool canApply() const { return refusal.isEmpty(); }
    };

    // Why the request cannot run (an empty search text, a broken regular
    // expression), in Hungarian; empty when it can.
    static QString problem(const Request& request);

    // The rows of every line (or of the listed lines only), in line order.
    // Throws OperationCancelled when `control` asks to stop.
    static std::vector<Row> preview(const DatabaseDocument::Snapshot& lines, const Request& request,
                                    JobControl& control, const std::vector<int>* onlyLines = nullptr);

    // The new lines for the rows given (the ticked ones): each line of
    // `lines` with the rows' after-texts in place. A refused row, or one
    // whose field no longer reads as its before-text, is left out.
    static QList<std::pair<int, QString>> changes(const DatabaseDocument::Snapshot& lines,
                                                  const std::vector<Row>& rows);
    static QList<std::pair<int, QString>> changes(const DatabaseDocument& document,
                                                  const std::vector<Row>& rows);

    // Why a field may not hold `text`: it would split the record line or
    // shift the fields after it. Empty when it may.
    static QString refusalFor(Field field, const QString& text);
};
