#pragma once

#include "core/session/EditingSession.h"

#include <QAbstractListModel>

#include <vector>

class DatabaseDocument;

// The record-name list as a list model over the document's names, so that a
// database of a million records fills the tool-bar list in one reset and an
// edit costs one row, not a rebuild.
//
// The list keeps the names it showed for records replaced in place until the
// next rebuild (an append, a delete, an undo or redo), as a rebuilt list
// would; refreshReplacedNames() is that rebuild for the rows it concerns.
class RecordNameModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordNameModel)

public:
    RecordNameModel(DatabaseDocument& document, QObject* parent = nullptr);

    // The document holds other lines, their names already taken.
    void resetFromDocument();
    // Follows one changed line of the document.
    void followLineChange(int index, EditingSession::LineChange change);
    // The names of the lines replaced since the last rebuild are taken again.
    void refreshReplacedNames();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    DatabaseDocument& m_document;
    std::vector<int> m_replacedRows; // few: one per record saved in place
};
