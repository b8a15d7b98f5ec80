#pragma once

#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QDialog>
#include <QList>

#include <array>

class HitsPage;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStringListModel;

// "Összetett keresés": the composite search over the index file set. Its
// controls hold the criteria, which survive closing and reopening until
// "Alaphelyzet".
class SearchDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchDialog)

public:
    explicit SearchDialog(QWidget* parent = nullptr);

    // Where the hit list and the results text live (the main window's page).
    void setHitsPage(HitsPage* page);
    void setStartDir(const QString& startDir);

    // The criteria as the controls hold them now.
    SearchCriteria criteria() const;

Q_SIGNALS:
    // "Találatok": the main window switches to its hits page.
    void showHitsRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSearchGroups();
    void buildTermFields();
    void buildRestrictions();
    void buildResultArea();

    void reset();
    void FormActivate();
    void rg_keresClick(int item);
    void cb1Click(int tag);
    void lb_foDblClick();
    void edit_2Change();
    void gomb_hozzaClick();
    void lb_keresClick();
    void gomb_elveszClick();
    void gomb_keresClick();
    void gomb_talalatokClick();
    void gomb_alapClick();
    void updateSearchButton();
    void runSearch();
    void showMessage(qint64 hits);
    int mode() const;

    HitsPage* m_hitsPage = nullptr;
    QString m_startDir;
    QList<QByteArray> m_roles;    // szerep.zda, read at every showing
    int m_currentRestriction = 0; // Tag of the restriction clicked last; 0 before any

    QButtonGroup* m_modeGroup = nullptr;
    QGroupBox* rg_1 = nullptr;
    QLabel* lab1 = nullptr;
    QLineEdit* edit_1 = nullptr;
    QGroupBox* rg_2 = nullptr;
    QLabel* lab2 = nullptr;
    QLineEdit* edit_2 = nullptr;
    QListWidget* lb_keres = nullptr;
    QPushButton* gomb_hozza = nullptr;
    QPushButton* gomb_elvesz = nullptr;
    QLabel* lab3 = nullptr;
    QRadioButton* rb21 = nullptr;
    QRadioButton* rb22 = nullptr;
    QButtonGroup* m_matchGroup = nullptr;
    std::array<QCheckBox*, SearchCriteria::TermFieldCount> m_termFields{};
    std::array<QCheckBox*, 9> m_restrictionChecks{};                                   // cb1 … cb9
    std::array<QLineEdit*, SearchCriteria::TextRestrictionCount> m_restrictionEdits{}; // edit1 … edit8
    QRadioButton* rb_lista1 = nullptr;
    QRadioButton* rb_lista2 = nullptr;
    QLabel* lab_listanev = nullptr;
    QListView* lb_fo = nullptr;
    QStringListModel* m_pickList = nullptr;
    QProgressBar* csikkeres = nullptr;
    QPlainTextEdit* Memo_talalat = nullptr;
    QPushButton* gomb_alap = nullptr;
    QPushButton* gomb_talalatok = nullptr;
    QPushButton* gomb_keres = nullptr;
    QPushButton* gomb_megsem = nullptr;
};
