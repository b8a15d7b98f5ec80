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
#include "ui/workspace/RadioGroup.h"
#include "ui/workspace/RecordEditor.h"
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

// The form's texts run from the title to the note, in line order.
Field textField(int i)
{
    return RecordSchema::fieldAt(RecordSchema::position(Field::Title) + i);
}

// The session numbers the fields it selects for the exchange as the form's
// edits are numbered.
int editNumber(Field field)
{
    return RecordSchema::entry(field).editNumber;
}

} // namespace

void RecordEditor::showRecord(int index)
{
    DataEntryPage& p = *m_page;
    fillFieldGrid(m_session.document().line(index).toString());
    const FormState form = m_session.showRecord(index);

    p.edit(Field::RecordName)->setText(form.typedName);
    p.recordType->setCurrentIndex(form.recordType);
    p.edit(Field::Subject)->setText(form.subject);
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        p.edit(RecordSchema::creator(slot))->setText(form.creatorNames[size_t(slot)]);
        p.roleLists[size_t(slot)]->setCurrentIndex(form.roles[size_t(slot)]);
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        p.edit(textField(i))->setText(form.texts[size_t(i)]);
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
void RecordEditor::showKeptValues()
{
    DataEntryPage& p = *m_page;
    p.recordType->setPlaceholderText(m_session.keptType());
    p.language->setPlaceholderText(m_session.keptLanguage());
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot)
        p.roleLists[size_t(slot)]->setPlaceholderText(m_session.keptRole(slot));
}

void RecordEditor::fillFieldGrid(const QString& line)
{
    const FieldGrid grid = FieldGrid::decodeUnicode(line);
    for (int row = 0; row < FieldGrid::RowCount; ++row)
        m_fieldGrid->item(row, 1)->setText(Win1250::toUnicode(grid[row]));
}

FormState RecordEditor::formState() const
{
    const DataEntryPage& p = *m_page;
    FormState form;
    form.typedName = p.edit(Field::RecordName)->text();
    form.recordType = p.recordType->currentIndex();
    form.subject = p.edit(Field::Subject)->text();
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        form.roles[size_t(slot)] = p.roleLists[size_t(slot)]->currentIndex();
        form.creatorNames[size_t(slot)] = p.edit(RecordSchema::creator(slot))->text();
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        form.texts[size_t(i)] = p.edit(textField(i))->text();
    form.link = p.link->text();
    form.translation = p.translation->isChecked();
    form.language = p.language->currentIndex();
    form.medium = p.medium->itemIndex();
    form.volume = p.volume->itemIndex();
    form.suffix = p.suffixList->currentIndex() >= 0 ? p.suffixList->currentText() : QString();
    return form;
}

void RecordEditor::saveRecord()
{
    FormState form = formState();
    if (!m_session.isSavable(form))
        return;
    const QString refusal = m_session.save(form);
    if (!refusal.isEmpty()) {
        UserDialogs::instance().inform(m_window, refusal);
        return;
    }
    const bool appended = m_session.mode() == Mode::NewRecords;
    const int savedIndex = appended ? m_session.document().lineCount() - 1 : m_session.currentIndex();
    if (appended)
        prepareNextRecord(form);
    setSaveCommandEnabled(false);
    updateRecordCountLabel();
    Q_EMIT recordSaved(savedIndex);
}

// After an append: the next number, the fields whose keep box is checked stay.
void RecordEditor::prepareNextRecord(const FormState& saved)
{
    DataEntryPage& p = *m_page;
    p.suffixList->setCurrentIndex(p.suffixList->findText(saved.suffix, Qt::MatchFixedString));
    p.edit(Field::RecordName)->setText(saved.typedName);
    for (Field field : DataEntryPage::DataFields)
        if (!p.keepBox(field)->isChecked())
            p.edit(field)->clear();
    p.link->clear();
    rebuildRecordNameList();
}

void RecordEditor::recordControlChanged()
{
    // A change by typing or choosing is no press on a watched control.
    m_lastPress = PressedControl::other();
    setRecordTypeLabels();
    applySavableRule();
}

void RecordEditor::extractableFieldChanged()
{
    m_lastPress = PressedControl::other();
    setRecordTypeLabels();
    setRecordTypeMenuCaptions();
    applySavableRule();
}

void RecordEditor::applySavableRule()
{
    setSaveCommandEnabled(m_session.isSavable(formState()));
}

void RecordEditor::setSaveCommandEnabled(bool enabled)
{
    setGroupEnabled(WorkspaceStates::Group::SaveCommand, enabled);
}

void RecordEditor::setRecordTypeLabels()
{
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(m_page->recordType->currentText());
    m_page->fieldLabel(Field::Publication)->setText(captions.publicationLabel);
    m_page->fieldLabel(Field::VolumeRun)->setText(captions.volumeLabel);
}

void RecordEditor::setRecordTypeMenuCaptions()
{
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(m_page->recordType->currentText());
    for (Extraction kind : {Extraction::Insert, Extraction::Append}) {
        m_commands.extractionEntry(kind, Field::Publication)->setText(captions.publicationMenu);
        m_commands.extractionEntry(kind, Field::VolumeRun)->setText(captions.volumeMenu);
    }
}

void RecordEditor::setRoleMenuCaptions()
{
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QComboBox* roles = m_page->roleLists[size_t(slot)];
        QString caption = roles->currentIndex() >= 0 ? roles->currentText() : QString();
        caption.replace(u'&', QStringLiteral("&&"));
        for (Extraction kind : {Extraction::Insert, Extraction::Append})
            m_commands.extractionEntry(kind, RecordSchema::creator(slot))->setText(caption);
    }
}

void RecordEditor::toggleFieldSelection(Field field)
{
    if (m_session.toggleSelection(editNumber(field))) {
        paintField(field, m_session.isSelected(editNumber(field)));
        m_commands.exchange->setEnabled(m_session.canExchange());
    }
}

void RecordEditor::paintField(Field field, bool selected)
{
    QLineEdit* edit = m_page->edit(field);
    if (!edit)
        return;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base,
                     selected ? SelectedFieldColour : QApplication::palette(edit).color(QPalette::Base));
    edit->setPalette(palette);
}

void RecordEditor::exchangeFields()
{
    const auto [first, second] = m_session.takeSelection();
    // A missing field, a field without an editor, or one holding the mark takes no part.
    QLineEdit* a = nullptr;
    QLineEdit* b = nullptr;
    for (auto [number, edit] : {std::pair{first, &a}, std::pair{second, &b}})
        if (const std::optional<Field> field = RecordSchema::fieldOfEdit(number)) {
            paintField(*field, false);
            *edit = m_page->edit(*field);
        }
    const QString textA = a ? a->text() : NotTaken;
    const QString textB = b ? b->text() : NotTaken;
    if (textA != NotTaken && textB != NotTaken) {
        a->setText(textB);
        b->setText(textA);
    }
    m_commands.exchange->setEnabled(false);
}

void RecordEditor::clearFields()
{
    DataEntryPage& p = *m_page;
    p.recordType->setCurrentIndex(-1);
    p.medium->setItemIndex(0);
    m_session.forgetKeptValues();
    showKeptValues();
    p.language->setCurrentIndex(p.language->count() > 0 ? 0 : -1);
    p.volume->setItemIndex(-1);
    p.translation->setChecked(false);
    for (Field field : DataEntryPage::DataFields)
        p.keepBox(field)->setChecked(false);
    for (Field field : DataEntryPage::FormFields)
        p.edit(field)->clear();
    p.link->clear();
    p.recordNameLabel->clear();
    p.edit(Field::RecordName)->setFocus();
    applySavableRule();
}

void RecordEditor::deleteRecord()
{
    if (!m_session.hasCurrentRecord())
        return;
    const QStringView line = m_session.document().line(m_session.currentIndex());
    const QString name = Win1250::roundTrip(RecordSchema::recordName(line));
    const QString question = QStringLiteral("Biztos, hogy törli a következő számú rekordot:  \"") +
                             RecordLine::dottedName(name) + QStringLiteral("  ?");
    if (!UserDialogs::instance().askYesNo(m_window, question))
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

void RecordEditor::undoChange()
{
    const Mode shown = m_session.mode();
    m_session.undo();
    showHistoryStep(shown);
}

void RecordEditor::redoChange()
{
    const Mode shown = m_session.mode();
    m_session.redo();
    showHistoryStep(shown);
}

// The session is back in the mode of the step and at its record: the list
// and the form follow. A mode entered anew resets the form as a mode command
// does; in NewRecords the record being typed stays, in Browse the current
// record is shown again.
void RecordEditor::showHistoryStep(Mode shownBefore)
{
    Q_EMIT entryPageWanted();
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
