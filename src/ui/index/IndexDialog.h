#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;

// "Adatbázis indexelése": the user checks the databases of the working folder
// and the chunk size, and the run writes the index file set. The main window
// clears IndexingFinished, shows the dialog modally and follows up only when
// a run completed.
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void activate();
    void recount();
    int checkedCount() const;
    QStringList checkedNames() const;
    void gomb_mindbeClick(QPushButton* button);
    void gomb_indexClick();

    QString m_startDir;
    bool m_indexingFinished = false;
    QGroupBox* m_group = nullptr;
    QListWidget* m_clbox1 = nullptr;
    QPushButton* m_gomb_mindbe = nullptr;
    QPushButton* m_gomb_mindki = nullptr;
    QComboBox* m_cb_maxrekordszam = nullptr;
    QProgressBar* m_csik1 = nullptr;
    QProgressBar* m_csik2 = nullptr;
    QPushButton* m_gomb_index = nullptr;
    QPushButton* m_gomb_bezar = nullptr;
};
