#include "ui/workspace/RecordNameModel.h"

#include "core/record/DatabaseDocument.h"
#include "core/record/RecordSchema.h"

#include <algorithm>

RecordNameModel::RecordNameModel(DatabaseDocument& document, QObject* parent)
    : QAbstractListModel(parent), m_document(document)
{
}

void RecordNameModel::resetFromDocument()
{
    beginResetModel();
    m_replacedRows.clear();
    endResetModel();
}

void RecordNameModel::followLineChange(int index, EditingSession::LineChange change)
{
    switch (change) {
    case EditingSession::LineChange::Inserted:
        beginInsertRows({}, index, index);
        m_document.insertRecordName(index);
        for (int& row : m_replacedRows)
            row += row >= index ? 1 : 0;
        endInsertRows();
        break;
    case EditingSession::LineChange::Removed:
        beginRemoveRows({}, index, index);
        m_document.removeRecordName(index);
        std::erase(m_replacedRows, index);
        for (int& row : m_replacedRows)
            row -= row > index ? 1 : 0;
        endRemoveRows();
        break;
    case EditingSession::LineChange::Replaced:
        if (std::find(m_replacedRows.begin(), m_replacedRows.end(), index) == m_replacedRows.end())
            m_replacedRows.push_back(index);
        break;
    }
}

void RecordNameModel::refreshReplacedNames()
{
    for (const int row : std::exchange(m_replacedRows, {})) {
        m_document.refreshRecordName(row);
        const QModelIndex changed = createIndex(row, 0);
        Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

int RecordNameModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.recordNameCount();
}

QVariant RecordNameModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return RecordSchema::listedName(m_document.line(index.row()));
}
