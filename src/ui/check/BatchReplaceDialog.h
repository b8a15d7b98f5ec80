#pragma once

#include "core/check/BatchReplace.h"

#include <QDialog>
#include <QSet>

#include <vector>

class BackgroundJob;
class EditingSession;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "Csere a rekordokban": a text or a regular expression replaced in one field
// or in every field, over every record of the open database or over those the
// last search found. The preview lists each record's field before and after;
// the user unticks what is not wanted, and "Csere" applies the ticked rows as
// one undo step. A row that would break its record is refused, with the reason.
// The before and after cells mark the changed part; a value longer than its
// cell shows the text around the change, and the whole value in a tooltip.
class BatchReplaceDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchReplaceDialog)

public:
    // The changed part of a before or after cell, as QPoint(start, length) in its text.
    static constexpr int ChangedPartRole = Qt::UserRole + 10;

    BatchReplaceDialog(EditingSession& session, QWidget* parent = nullptr);

    // The record names (10 characters, as the hit list holds them) of the last search.
    void setLastHits(const QSet<QString>& recordNames);
    void preview();
    void apply();
    const std::vector<BatchReplace::Row>& rows() const { return m_rows; }
    QTableWidget* table() const { return m_table; }

Q_SIGNALS:
    // Lines of the open database changed beside the form (made uniform, replaced).
    void linesReplaced(const QList<int>& indexes);

private:
    BatchReplace::Request request() const;
    void fill();
    void updateButtons();

    EditingSession& m_session;
    QSet<QString> m_lastHits;
    QComboBox* m_field = nullptr;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_with = nullptr;
    QCheckBox* m_regex = nullptr;
    QRadioButton* m_allRecords = nullptr;
    QRadioButton* m_hitRecords = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_applyButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    BackgroundJob* m_job = nullptr;
    std::vector<BatchReplace::Row> m_rows;
};
