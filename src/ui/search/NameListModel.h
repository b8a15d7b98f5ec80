#pragma once

#include "core/search/BrowseList.h"

#include <QAbstractListModel>

// Record names (8-bit text) for a list view, read straight from a
// ByteStringList: a million names cost no item objects.
class NameListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameListModel)

public:
    NameListModel(const ByteStringList* names, QObject* parent);

    // The list was replaced or emptied.
    void reset();
    // Names were appended to the list since the last call.
    void showAppended();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const ByteStringList* m_names;
    int m_shown = 0;
};
