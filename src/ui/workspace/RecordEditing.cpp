// Showing a record in the editor, saving it back, and the field editing
// commands: change handling, the savable rule, captions, field selection and
// exchange, clear and delete, and undo and redo of the document's changes.

#include "core/record/CodeTables.h"
#include "core/record/FieldGrid.h"
#include "core/record/RecordForm.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"
#include "core/session/EditingSession.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RadioGroup.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

// The mark of a text not taken by the exchange.
const QString NotTaken = QStringLiteral("*kzs*");
const QColor SelectedFieldColour(255, 255, 0);

} // namespace

void MainWindow::showRecord(int index)
{
    DataEntryPage& p = *m_entry;
    fillFieldGrid(m_session.document().line(index).toString());
    const FormState form = m_session.showRecord(index);

    p.edits[1]->setText(form.typedName);
    p.recordType->setCurrentIndex(form.recordType);
    p.edits[2]->setText(form.subject);
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        p.edits[3 + slot]->setText(form.creatorNames[slot]);
        p.roleLists[slot]->setCurrentIndex(form.roles[slot]);
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        p.edits[7 + i]->setText(form.texts[i]);
    p.link->setText(form.link);
    p.translation->setChecked(form.translation);
    p.language->setCurrentIndex(form.language);
    // A medium the group does not list is shown as no choice (not as the
    // previous record's); the session keeps it for the save.
    p.medium->setItemIndex(form.medium);
    showKeptValues();

    // List look-ups ignore letter case.
    p.suffixList->setCurrentIndex(p.suffixList->findText(form.suffix, Qt::MatchFixedString));
    if (form.volume >= 0)
        p.volume->setItemIndex(form.volume);
    p.recordNameLabel->setText(m_session.shownDottedName());
    setSaveCommandEnabled(false);
    setRoleMenuCaptions();
}

// A value the list cannot show leaves the list without a choice; it is shown
// greyed in the empty box, so nothing is kept unseen.
void MainWindow::showKeptValues()
{
    DataEntryPage& p = *m_entry;
    p.recordType->setPlaceholderText(m_session.keptType());
    p.language->setPlaceholderText(m_session.keptLanguage());
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot)
        p.roleLists[slot]->setPlaceholderText(m_session.keptRole(slot));
}

void MainWindow::fillFieldGrid(const QString& line)
{
    const FieldGrid grid = FieldGrid::decodeUnicode(line);
    for (int row = 0; row < FieldGrid::RowCount; ++row)
        m_fieldGrid->item(row, 1)->setText(Win1250::toUnicode(grid[row]));
}

FormState MainWindow::formState() const
{
    const DataEntryPage& p = *m_entry;
    FormState form;
    form.typedName = p.edits[1]->text();
    form.recordType = p.recordType->currentIndex();
    form.subject = p.edits[2]->text();
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        form.roles[slot] = p.roleLists[slot]->currentIndex();
        form.creatorNames[slot] = p.edits[3 + slot]->text();
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        form.texts[i] = p.edits[7 + i]->text();
    form.link = p.link->text();
    form.translation = p.translation->isChecked();
    form.language = p.language->currentIndex();
    form.medium = p.medium->itemIndex();
    form.volume = p.volume->itemIndex();
    form.suffix = p.suffixList->currentIndex() >= 0 ? p.suffixList->currentText() : QString();
    return form;
}

void MainWindow::saveRecord()
{
    FormState form = formState();
    if (!m_session.isSavable(form))
        return;
    const QString refusal = m_session.save(form);
    if (!refusal.isEmpty()) {
        UserDialogs::instance().inform(this, refusal);
        return;
    }
    if (m_session.mode() == Mode::NewRecords)
        prepareNextRecord(form);
    setSaveCommandEnabled(false);
    updateRecordCountLabel();
}

// After an append: the next number, the fields whose keep box is checked stay.
void MainWindow::prepareNextRecord(const FormState& saved)
{
    DataEntryPage& p = *m_entry;
    p.suffixList->setCurrentIndex(p.suffixList->findText(saved.suffix, Qt::MatchFixedString));
    p.edits[1]->setText(saved.typedName);
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        if (!p.keepBoxes[k]->isChecked())
            p.edits[k]->clear();
    p.link->clear();
    rebuildRecordNameList();
}

void MainWindow::recordControlChanged()
{
    // A change by typing or choosing is no press on a tagged control.
    m_lastPressedTag = 0;
    setRecordTypeLabels();
    applySavableRule();
}

void MainWindow::extractableFieldChanged()
{
    m_lastPressedTag = 0;
    setRecordTypeLabels();
    setRecordTypeMenuCaptions();
    applySavableRule();
}

bool MainWindow::recordIsSavable() const
{
    return m_session.isSavable(formState());
}

void MainWindow::applySavableRule()
{
    setSaveCommandEnabled(recordIsSavable());
}

void MainWindow::setSaveCommandEnabled(bool enabled)
{
    setGroupEnabled(WorkspaceStates::Group::SaveCommand, enabled);
}

void MainWindow::setRecordTypeLabels()
{
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(m_entry->recordType->currentText());
    m_entry->fieldLabels[8]->setText(captions.publicationLabel);
    m_entry->fieldLabels[10]->setText(captions.volumeLabel);
}

void MainWindow::setRecordTypeMenuCaptions()
{
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(m_entry->recordType->currentText());
    m_commands->insertEntries[5]->setText(captions.publicationMenu);
    m_commands->appendEntries[5]->setText(captions.publicationMenu);
    m_commands->insertEntries[7]->setText(captions.volumeMenu);
    m_commands->appendEntries[7]->setText(captions.volumeMenu);
}

void MainWindow::setRoleMenuCaptions()
{
    for (int slot = 0; slot < 4; ++slot) {
        const QComboBox* roles = m_entry->roleLists[slot];
        QString caption = roles->currentIndex() >= 0 ? roles->currentText() : QString();
        caption.replace(u'&', QStringLiteral("&&"));
        m_commands->insertEntries[slot]->setText(caption);
        m_commands->appendEntries[slot]->setText(caption);
    }
}

void MainWindow::toggleFieldSelection(int field)
{
    if (m_session.toggleSelection(field)) {
        paintField(field, m_session.isSelected(field));
        updateExchangeCommand();
    }
}

void MainWindow::paintField(int field, bool selected)
{
    if (field < DataEntryPage::FirstField || field > DataEntryPage::LastField)
        return;
    QLineEdit* edit = m_entry->edits[field];
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base,
                     selected ? SelectedFieldColour : QApplication::palette(edit).color(QPalette::Base));
    edit->setPalette(palette);
}

void MainWindow::updateExchangeCommand()
{
    m_commands->exchange->setEnabled(m_session.canExchange());
}

void MainWindow::exchangeFields()
{
    const auto [a, b] = m_session.takeSelection();
    for (int field : {a, b})
        paintField(field, false);
    // A field without an editor, or one holding the mark, takes no part.
    auto textOf = [this](int field) {
        return field >= DataEntryPage::FirstField && field <= DataEntryPage::LastField
                   ? m_entry->edits[field]->text()
                   : NotTaken;
    };
    const QString textA = textOf(a);
    const QString textB = textOf(b);
    if (a > 0 && b > 0 && textA != NotTaken && textB != NotTaken) {
        m_entry->edits[a]->setText(textB);
        m_entry->edits[b]->setText(textA);
    }
    m_commands->exchange->setEnabled(false);
}

void MainWindow::clearFields()
{
    DataEntryPage& p = *m_entry;
    p.recordType->setCurrentIndex(-1);
    p.medium->setItemIndex(0);
    m_session.forgetKeptValues();
    showKeptValues();
    p.language->setCurrentIndex(p.language->count() > 0 ? 0 : -1);
    p.volume->setItemIndex(-1);
    p.translation->setChecked(false);
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        p.keepBoxes[k]->setChecked(false);
    for (int k = DataEntryPage::FirstField; k <= DataEntryPage::LastField; ++k)
        p.edits[k]->clear();
    p.link->clear();
    p.recordNameLabel->clear();
    p.edits[1]->setFocus();
    applySavableRule();
}

void MainWindow::deleteRecord()
{
    if (!m_session.hasCurrentRecord())
        return;
    const QStringView line = m_session.document().line(m_session.currentIndex());
    const QString name =
        Win1250::roundTrip(line.first(qMin<qsizetype>(DatabaseDocument::RecordNameLength, line.size())));
    const QString question = QStringLiteral("Biztos, hogy törli a következő számú rekordot:  \"") +
                             RecordLine::dottedName(name) + QStringLiteral("  ?");
    if (!UserDialogs::instance().askYesNo(this, question))
        return;

    m_session.deleteCurrent();
    rebuildRecordNameList();
    const int count = m_recordNames->count();
    m_recordNames->setCurrentIndex(m_session.currentIndex());
    updateRecordCountLabel();
    showRecord(m_session.currentIndex());
    // With the last record gone there is nothing left to delete.
    setGroupEnabled(WorkspaceStates::Group::DeleteCommand, count > 0);
}

void MainWindow::undoChange()
{
    const Mode shown = m_session.mode();
    m_session.undo();
    showHistoryStep(shown);
}

void MainWindow::redoChange()
{
    const Mode shown = m_session.mode();
    m_session.redo();
    showHistoryStep(shown);
}

// The session is back in the mode of the step and at its record: the list
// and the form follow. A mode entered anew resets the form as a mode command
// does; in NewRecords the record being typed stays, in Browse the current
// record is shown again.
void MainWindow::showHistoryStep(Mode shownBefore)
{
    showPage(EntryPage);
    rebuildRecordNameList();
    updateRecordCountLabel();
    const Mode mode = m_session.mode();
    if (mode != shownBefore) {
        if (mode == Mode::Browse)
            enterBrowse();
        else
            enterNewRecords();
        setSaveCommandEnabled(false);
    } else if (mode == Mode::Browse) {
        const int count = m_session.document().recordNameCount();
        m_session.setCurrentIndex(count == 0 ? -1 : qBound(0, m_session.currentIndex(), count - 1));
        m_recordNames->setCurrentIndex(m_session.currentIndex());
        setNavigationByPosition();
        showRecord(m_session.currentIndex());
        setGroupEnabled(WorkspaceStates::Group::DeleteCommand, count > 0);
    }
    refreshRawViewIfShown();
}
