#pragma once

#include "core/check/NameTally.h"
#include "core/check/NameVariants.h"

#include <QDialog>

#include <optional>
#include <vector>

class BackgroundJob;
class EditingSession;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Névváltozatok": the groups of name forms of the index set that are
// probably one person, publisher or place, each form with its record count
// and databases. The user picks a group's authorised form ("Egységes forma",
// or a double click) and unticks the forms that name someone else; forms
// that may (another family name, another language's place name) start
// unticked, with the reason beside them. "Egységesítés" replaces the ticked
// forms with the authorised one in the open database: one question with the
// number of records, one undo step.
class NameVariantsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameVariantsDialog)

public:
    NameVariantsDialog(EditingSession& session, QWidget* parent = nullptr);

    void setStartDir(const QString& startDir) { m_startDir = startDir; }
    // Reads the index set (once per opening) and lists the groups of the chosen kind.
    void search();
    void forgetIndex() { m_tally.reset(); }
    const std::vector<NameVariants::Group>& groups() const { return m_groups; }
    QTreeWidget* list() const { return m_list; }
    // The authorised form of group `group`, a position in its forms.
    size_t authorisedForm(size_t group) const { return m_authorised.at(group); }

Q_SIGNALS:
    // Lines of the open database changed beside the form (made uniform, replaced).
    void linesReplaced(const QList<int>& indexes);

private:
    void fill();
    void selectionChanged();
    void chooseAuthorised();
    void showAuthorised(QTreeWidgetItem* top);
    void makeUniform();
    NameKind chosenKind() const;

    EditingSession& m_session;
    QString m_startDir;
    QComboBox* m_kind = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_uniformButton = nullptr;
    QPushButton* m_authorisedButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    BackgroundJob* m_job = nullptr;
    std::optional<NameTally> m_tally;
    std::vector<NameVariants::Group> m_groups;
    std::vector<size_t> m_authorised; // per group
};
