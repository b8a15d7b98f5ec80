// The workspace modes, the enabled states they apply, and moving between records.

#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/WorkspaceCommands.h"

#include "ui/workspace/DropBox.h"
#include "ui/workspace/RadioGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

using WorkspaceStates::Cell;
using WorkspaceStates::Group;

// Which controls each group of the state table stands for.
void MainWindow::registerStateGroups()
{
    auto add = [this](Group group, std::initializer_list<QObject*> objects) {
        m_stateGroups[size_t(group)].append(objects);
    };
    add(Group::AlwaysOnMenus, {m_commands->fileMenu, m_commands->operationsMenu, m_commands->helpMenu});
    add(Group::RecordMenus,
        {m_commands->editMenu, m_commands->insertMenu, m_commands->appendMenu, m_commands->recordsMenu});
    add(Group::SubjectMenu, {m_commands->subjectMenu});
    add(Group::FileCommands, {m_commands->newDatabase, m_commands->openDatabase, m_commands->loadSource,
                              m_commands->loadSubjects, m_commands->settingsCommand, m_commands->leave});
    add(Group::DatabaseSave, {m_commands->saveDatabase});
    add(Group::DatabaseSaveAs, {m_commands->saveDatabaseAs});
    add(Group::BrowseCommands, {m_commands->browseMode});
    add(Group::NewRecordCommands, {m_commands->newRecordsMode});
    add(Group::DataEntryCommand, {m_commands->dataEntry});
    for (QAction* action : m_commands->navigation)
        add(Group::Navigation, {action});
    add(Group::RecordNameList, {m_recordNames});
    add(Group::DeleteCommand, {m_commands->deleteRecord});
    add(Group::SaveCommand, {m_commands->saveRecord});
    add(Group::ExchangeCommand, {m_commands->exchange});
    add(Group::ClearCommand, {m_commands->clear});
    add(Group::FindRecord, {m_commands->findRecord});
    add(Group::Tools, {m_commands->monitor, m_commands->characterMap});

    DataEntryPage& p = *m_entry;
    for (int k = DataEntryPage::FirstField; k <= DataEntryPage::LastField; ++k)
        add(Group::RecordControls, {p.edits[k]});
    for (QComboBox* roles : p.roleLists)
        add(Group::RecordControls, {roles});
    add(Group::RecordControls,
        {p.recordType, p.language, p.suffixList, p.recordNameCaption, p.languageCaption});
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        add(Group::RecordControls, {p.keepBoxes[k]});
    for (int k : DataEntryPage::SelectableFields)
        add(Group::RecordControls, {p.fieldLabels[k]});
    add(Group::ChoiceGroups, {p.volume, p.medium});
    add(Group::Translation, {p.translation});
    add(Group::FreeControls, {p.link, p.linkCaption, p.recordTypeCaption, p.sourceWindow});
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k)
        add(Group::FreeControls, {p.dropBoxes[k]});
}

void MainWindow::applyStateColumn(WorkspaceStates::Column column)
{
    for (const WorkspaceStates::Row& row : WorkspaceStates::Table) {
        switch (row.cells[column]) {
        case Cell::Same:
            break;
        case Cell::On:
            setGroupEnabled(row.group, true);
            break;
        case Cell::Off:
            setGroupEnabled(row.group, false);
            break;
        case Cell::WhenRecords:
            setGroupEnabled(row.group, m_session.document().recordNameCount() > 0);
            break;
        }
    }
}

void MainWindow::setGroupEnabled(Group group, bool enabled)
{
    enabled = enabled && !(m_session.isReadOnly() && WorkspaceStates::isOffWhenReadOnly(group));
    for (QObject* object : m_stateGroups[size_t(group)]) {
        if (auto* menu = qobject_cast<QMenu*>(object))
            menu->menuAction()->setEnabled(enabled);
        else if (auto* action = qobject_cast<QAction*>(object))
            action->setEnabled(enabled);
        else if (auto* widget = qobject_cast<QWidget*>(object))
            widget->setEnabled(enabled);
    }
}

// A mode command: "Tallózás a rekordokban" and "Adatrögzítés" browse, "Új
// rekordok felvitele" adds records.
void MainWindow::enterMode(Mode mode)
{
    showPage(EntryPage);
    // Before a database is open there is nothing to browse and nowhere to
    // append to; the page is shown and the workspace keeps waiting.
    if (m_session.mode() == Mode::AwaitingDatabase)
        return;
    if (mode == Mode::Browse)
        enterBrowse();
    else
        enterNewRecords();
    setSaveCommandEnabled(false);
}

void MainWindow::enterBrowse()
{
    DataEntryPage& p = *m_entry;
    m_session.setMode(Mode::Browse);
    p.edits[1]->hide();
    p.pan102->hide();
    p.pan101->show();
    applyStateColumn(WorkspaceStates::Browse);
    setStatus(0, QStringLiteral(" Tallózás a rekordokban"));
    m_commands->browseMode->setChecked(true);

    // Browsing needs a current record whenever there are records: after new
    // records were added to an empty database the index still says "none".
    const int count = m_session.document().recordNameCount();
    m_session.setCurrentIndex(count == 0 ? -1 : qBound(0, m_session.currentIndex(), count - 1));
    // The list names the record that is shown.
    m_recordNames->setCurrentIndex(m_session.currentIndex());
    setNavigationByPosition();
    showRecord(m_session.currentIndex());
}

void MainWindow::enterNewRecords()
{
    DataEntryPage& p = *m_entry;
    m_session.setMode(Mode::NewRecords);
    for (int slot = 0; slot < 4; ++slot)
        p.roleLists[slot]->setCurrentIndex(slot < p.roleLists[slot]->count() ? slot : -1);
    setRoleMenuCaptions();
    p.pan101->hide();
    p.pan102->show();
    p.edits[1]->show();
    applyStateColumn(WorkspaceStates::NewRecords);
    setStatus(0, QStringLiteral(" Új rekordok felvitele"));
    m_commands->newRecordsMode->setChecked(true);
    clearFields();
    updateRecordCountLabel();
    p.edits[1]->setFocus();
}

void MainWindow::move(NavigationStep step)
{
    const int count = m_recordNames->count();
    int i = m_recordNames->currentIndex();
    switch (step) {
    case NavigationStep::First:
        i = 0;
        break;
    case NavigationStep::Previous:
        --i;
        break;
    case NavigationStep::Next:
        ++i;
        break;
    case NavigationStep::Last:
        i = count - 1;
        break;
    }
    i = qMin(qMax(i, 0), count - 1); // -1 when the list is empty
    m_recordNames->setCurrentIndex(i);
    m_session.setCurrentIndex(m_recordNames->currentIndex());
    showRecord(m_session.currentIndex());
    setNavigationByPosition();
}

void MainWindow::selectInList(int)
{
    setNavigationByPosition();
    m_session.setCurrentIndex(m_recordNames->currentIndex());
    showRecord(m_session.currentIndex());
}

void MainWindow::setNavigationByPosition()
{
    const int count = m_recordNames->count();
    if (count == 0) {
        setGroupEnabled(Group::Navigation, false);
        return;
    }
    setGroupEnabled(Group::Navigation, true);
    const int selected = m_recordNames->currentIndex();
    if (selected == 0) {
        m_commands->navigation[0]->setEnabled(false);
        m_commands->navigation[1]->setEnabled(false);
    }
    if (selected == count - 1) {
        m_commands->navigation[2]->setEnabled(false);
        m_commands->navigation[3]->setEnabled(false);
    }
}

void MainWindow::updateRecordCountLabel()
{
    m_entry->recordCount->setText(QStringLiteral("rögzített rekordok száma: ") +
                                  QString::number(m_recordNames->count()));
}
