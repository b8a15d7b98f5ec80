#include "ui/workspace/RecordNameModel.h"

#include "core/record/DatabaseDocument.h"
#include "core/record/Win1250.h"

RecordNameModel::RecordNameModel(DatabaseDocument& document, QObject* parent)
    : QAbstractListModel(parent), m_document(document)
{
}

void RecordNameModel::rebuild()
{
    beginResetModel();
    m_document.rebuildRecordNames();
    endResetModel();
}

int RecordNameModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.recordNameCount();
}

QVariant RecordNameModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Win1250::toUnicode(m_document.recordName(index.row()));
}
