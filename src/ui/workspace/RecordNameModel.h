#pragma once

#include <QAbstractListModel>

class DatabaseDocument;

// The record-name list as a list model over the document's name snapshot, so
// that a database of a million records fills the tool-bar list in one reset.
class RecordNameModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordNameModel)

public:
    RecordNameModel(DatabaseDocument& document, QObject* parent = nullptr);

    // Takes a fresh snapshot of the document's record names.
    void rebuild();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    DatabaseDocument& m_document;
};
