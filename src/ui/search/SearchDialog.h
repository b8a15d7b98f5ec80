#pragma once

#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QDialog>
#include <QList>

#include <array>

class BackgroundJob;
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
// "Alaphelyzet". The search runs on a worker thread and its hits stream into
// the hits page; "Mégsem", Esc or the close box stop it, and a stopped search
// leaves the page and the dialog as they were before it.
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
    // Sets the controls to `wanted` as a user would, from a reset, and runs
    // the search, as a chart's bar asks for its records; true when the
    // search ran to its end.
    bool searchFor(const SearchCriteria& wanted);

Q_SIGNALS:
    // "Találatok": the main window switches to its hits page.
    void showHitsRequested();

public Q_SLOTS:
    // While a search runs, stops it instead of closing the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The restriction check boxes: the eight text restrictions, then the translation.
    static constexpr int TranslationCheck = SearchCriteria::TextRestrictionCount;
    static constexpr int RestrictionCheckCount = TranslationCheck + 1;
    static constexpr int NoRestriction = -1;

    void buildSearchGroups();
    void buildTermFields();
    void buildRestrictions();
    void buildResultArea();

    void resetControls();
    void prepareForShowing();
    void applyMode(SearchCriteria::Mode mode);
    void selectRestriction(int check);
    void takePickedEntry();
    void updateAddButton();
    void addTerm();
    void updateRemoveButton();
    void removeTerm();
    bool runSearch();
    void showHits();
    void resetByUser();
    void updateSearchButton();
    QList<QWidget*> searchedControls() const;
    void showOutcome(qint64 hits);
    SearchCriteria::Mode mode() const;

    HitsPage* m_hitsPage = nullptr;
    QString m_startDir;
    QList<QByteArray> m_roles;                // szerep.zda, read at every showing
    int m_currentRestriction = NoRestriction; // the restriction check clicked last

    QButtonGroup* m_modeGroup = nullptr;
    QGroupBox* m_oneTermBox = nullptr;
    QLabel* m_oneTermLabel = nullptr;
    QLineEdit* m_termEdit = nullptr;
    QGroupBox* m_severalTermsBox = nullptr;
    QLabel* m_severalTermsLabel = nullptr;
    QLineEdit* m_newTermEdit = nullptr;
    QListWidget* m_termList = nullptr;
    QPushButton* m_addTermButton = nullptr;
    QPushButton* m_removeTermButton = nullptr;
    QLabel* m_connectiveLabel = nullptr;
    QRadioButton* m_andButton = nullptr;
    QRadioButton* m_orButton = nullptr;
    QButtonGroup* m_matchGroup = nullptr;
    QCheckBox* m_foldedCheck = nullptr;
    std::array<QCheckBox*, SearchCriteria::TermFieldCount> m_termFields{};
    std::array<QCheckBox*, RestrictionCheckCount> m_restrictionChecks{};
    std::array<QLineEdit*, SearchCriteria::TextRestrictionCount> m_restrictionEdits{};
    QRadioButton* m_translationYes = nullptr;
    QRadioButton* m_translationNo = nullptr;
    QLabel* m_pickListHeading = nullptr;
    QListView* m_pickListView = nullptr;
    QStringListModel* m_pickList = nullptr;
    QProgressBar* m_progress = nullptr;
    QPlainTextEdit* m_outcome = nullptr;
    QPushButton* m_resetButton = nullptr;
    QPushButton* m_hitsButton = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QList<QWidget*> m_criteriaBoxes; // the groups whose controls hold the criteria
    BackgroundJob* m_job = nullptr;
};
