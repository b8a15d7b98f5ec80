#include "ui/search/NameListModel.h"

#include "core/record/Win1250.h"

NameListModel::NameListModel(const ByteStringList* names, QObject* parent)
    : QAbstractListModel(parent), m_names(names), m_shown(int(names->size()))
{
}

void NameListModel::reset()
{
    beginResetModel();
    m_shown = int(m_names->size());
    endResetModel();
}

void NameListModel::showAppended()
{
    const int size = int(m_names->size());
    if (size < m_shown) {
        reset();
        return;
    }
    if (size == m_shown)
        return;
    beginInsertRows(QModelIndex(), m_shown, size - 1);
    m_shown = size;
    endInsertRows();
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown)
        return {};
    return Win1250::toUnicode(m_names->at(index.row()));
}
