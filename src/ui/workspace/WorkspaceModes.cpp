// The workspace modes, the enabled states they apply, and moving between records.

#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/RecordEditor.h"
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
void RecordEditor::registerStateGroups()
{
    auto add = [this](Group group, std::initializer_list<QObject*> objects) {
        m_stateGroups[size_t(group)].append(objects);
    };
    const WorkspaceCommands& c = m_commands;
    add(Group::AlwaysOnMenus, {c.fileMenu, c.operationsMenu, c.helpMenu});
    add(Group::RecordMenus, {c.editMenu, c.insertMenu, c.appendMenu, c.recordsMenu});
    add(Group::SubjectMenu, {c.subjectMenu});
    add(Group::FileCommands,
        {c.newDatabase, c.openDatabase, c.loadSource, c.loadSubjects, c.settingsCommand, c.leave});
    add(Group::DatabaseSave, {c.saveDatabase});
    add(Group::DatabaseSaveAs, {c.saveDatabaseAs});
    add(Group::BrowseCommands, {c.browseMode});
    add(Group::NewRecordCommands, {c.newRecordsMode});
    add(Group::DataEntryCommand, {c.dataEntry});
    for (QAction* action : c.navigation)
        add(Group::Navigation, {action});
    add(Group::RecordNameList, {m_recordNames});
    add(Group::DeleteCommand, {c.deleteRecord});
    add(Group::SaveCommand, {c.saveRecord});
    add(Group::ExchangeCommand, {c.exchange});
    add(Group::ClearCommand, {c.clear});
    add(Group::FindRecord, {c.findRecord});
    add(Group::Tools, {c.monitor, c.characterMap});

    DataEntryPage& p = *m_page;
    for (Field field : DataEntryPage::FormFields)
        add(Group::RecordControls, {p.edit(field)});
    for (QComboBox* roles : p.roleLists)
        add(Group::RecordControls, {roles});
    add(Group::RecordControls,
        {p.recordType, p.language, p.suffixList, p.recordNameCaption, p.languageCaption});
    for (Field field : DataEntryPage::DataFields)
        add(Group::RecordControls, {p.keepBox(field)});
    for (Field field : DataEntryPage::SelectableFields)
        add(Group::RecordControls, {p.fieldLabel(field)});
    add(Group::ChoiceGroups, {p.volume, p.medium});
    add(Group::Translation, {p.translation});
    add(Group::FreeControls, {p.link, p.linkCaption, p.recordTypeCaption, p.sourceWindow});
    for (Field field : DataEntryPage::DropFields)
        add(Group::FreeControls, {p.dropBox(field)});
}

void RecordEditor::applyStateColumn(WorkspaceStates::Column column)
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

void RecordEditor::setGroupEnabled(Group group, bool enabled)
{
    const bool readOnly = m_session.isReadOnly();
    enabled = enabled && !(readOnly && WorkspaceStates::isOffWhenReadOnly(group));
    const bool lockField = readOnly && WorkspaceStates::isFieldGroup(group);
    for (QObject* object : m_stateGroups[size_t(group)]) {
        if (auto* menu = qobject_cast<QMenu*>(object)) {
            // The extraction menus only fill fields.
            const bool fills = menu == m_commands.insertMenu || menu == m_commands.appendMenu;
            menu->menuAction()->setEnabled(enabled && !(readOnly && fills));
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            action->setEnabled(enabled);
        } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            edit->setEnabled(enabled);
            edit->setReadOnly(lockField);
        } else if (auto* widget = qobject_cast<QWidget*>(object)) {
            const bool changesField = qobject_cast<QComboBox*>(widget) || qobject_cast<QCheckBox*>(widget) ||
                                      qobject_cast<RadioGroup*>(widget) || qobject_cast<DropBox*>(widget);
            widget->setEnabled(enabled && !(lockField && changesField));
        }
    }
}

// A mode command: "Tallózás a rekordokban" and "Adatrögzítés" browse, "Új
// rekordok felvitele" adds records.
void RecordEditor::enterMode(Mode mode)
{
    Q_EMIT entryPageWanted();
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

void RecordEditor::enterBrowse()
{
    DataEntryPage& p = *m_page;
    m_session.setMode(Mode::Browse);
    p.edit(Field::RecordName)->hide();
    p.newNamePanel->hide();
    p.shownNamePanel->show();
    applyStateColumn(WorkspaceStates::Browse);
    setStatus(StatusPanel::Mode, QStringLiteral(" Tallózás a rekordokban"));
    m_commands.browseMode->setChecked(true);

    // Browsing needs a current record whenever there are records: after new
    // records were added to an empty database the index still says "none".
    const int count = m_session.document().recordNameCount();
    m_session.setCurrentIndex(count == 0 ? -1 : qBound(0, m_session.currentIndex(), count - 1));
    // The list names the record that is shown.
    m_recordNames->setCurrentIndex(m_session.currentIndex());
    setNavigationByPosition();
    showRecord(m_session.currentIndex());
}

void RecordEditor::enterNewRecords()
{
    DataEntryPage& p = *m_page;
    m_session.setMode(Mode::NewRecords);
    // Each creator starts with the role of its own place in the list: author, editor, …
    for (int slot = 0; slot < int(p.roleLists.size()); ++slot) {
        QComboBox* roles = p.roleLists[size_t(slot)];
        roles->setCurrentIndex(slot < roles->count() ? slot : -1);
    }
    setRoleMenuCaptions();
    p.shownNamePanel->hide();
    p.newNamePanel->show();
    p.edit(Field::RecordName)->show();
    applyStateColumn(WorkspaceStates::NewRecords);
    setStatus(StatusPanel::Mode, QStringLiteral(" Új rekordok felvitele"));
    m_commands.newRecordsMode->setChecked(true);
    clearFields();
    updateRecordCountLabel();
    p.edit(Field::RecordName)->setFocus();
}

void RecordEditor::move(NavigationStep step)
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

void RecordEditor::selectInList(int)
{
    setNavigationByPosition();
    m_session.setCurrentIndex(m_recordNames->currentIndex());
    showRecord(m_session.currentIndex());
}

void RecordEditor::goToRecord(int index)
{
    if (index < 0 || index >= m_session.document().recordNameCount())
        return;
    Q_EMIT entryPageWanted();
    if (m_session.mode() != Mode::Browse)
        m_commands.browseMode->trigger();
    if (m_session.mode() != Mode::Browse)
        return;
    m_session.setCurrentIndex(index);
    m_recordNames->setCurrentIndex(index);
    setNavigationByPosition();
    showRecord(index);
}

void RecordEditor::followReplacedRecords(const QList<int>& indexes)
{
    if (m_session.mode() == Mode::Browse && indexes.contains(m_session.currentIndex()))
        showRecord(m_session.currentIndex());
}

void RecordEditor::setNavigationByPosition()
{
    const int count = m_recordNames->count();
    if (count == 0) {
        setGroupEnabled(Group::Navigation, false);
        return;
    }
    setGroupEnabled(Group::Navigation, true);
    const int selected = m_recordNames->currentIndex();
    const auto disable = [this](NavigationStep step) {
        m_commands.navigation[size_t(step)]->setEnabled(false);
    };
    if (selected == 0) {
        disable(NavigationStep::First);
        disable(NavigationStep::Previous);
    }
    if (selected == count - 1) {
        disable(NavigationStep::Next);
        disable(NavigationStep::Last);
    }
}

void RecordEditor::updateRecordCountLabel()
{
    m_page->recordCount->setText(QStringLiteral("rögzített rekordok száma: ") +
                                 QString::number(m_recordNames->count()));
}
