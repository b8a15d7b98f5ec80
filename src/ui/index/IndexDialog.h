#pragma once

#include <QDialog>

class BackgroundJob;
class QComboBox;
class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;

// "Adatbázis indexelése": the user checks the databases of the working folder
// and the chunk size, and the run writes the index file set. The main window
// clears indexingFinished(), shows the dialog modally and follows up only when
// a run completed. The run goes on a worker thread: the dialog keeps painting,
// and "Mégsem", Esc or the close box stop it with the earlier set untouched.
class IndexDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexDialog)

public:
    explicit IndexDialog(QWidget* parent = nullptr);

    void setStartDir(const QString& startDir) { m_startDir = startDir; }
    // True only when the last showing ended with a completed run.
    bool indexingFinished() const { return m_indexingFinished; }
    void setIndexingFinished(bool finished) { m_indexingFinished = finished; }

public Q_SLOTS:
    // While a run goes, stops it instead of closing the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void prepareForShowing();
    void updateIndexButton();
    int checkedCount() const;
    QStringList checkedNames() const;
    void setAllChecked(Qt::CheckState state);
    void runIndexing();
    void setRunning(bool running);

    QString m_startDir;
    bool m_indexingFinished = false;
    QGroupBox* m_group = nullptr;
    QListWidget* m_databaseList = nullptr;
    QPushButton* m_checkAllButton = nullptr;
    QPushButton* m_uncheckAllButton = nullptr;
    QComboBox* m_recordsPerFile = nullptr;
    QProgressBar* m_databaseProgress = nullptr;
    QProgressBar* m_recordProgress = nullptr;
    QPushButton* m_indexButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    BackgroundJob* m_job = nullptr;
};
