// Showing a record in the editor, saving it back, and the field editing
// commands: change handling, the savable rule, captions, field selection and
// exchange, clear and delete.

#include "core/record/CodeTables.h"
#include "core/record/FieldGrid.h"
#include "core/record/RecordForm.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RadioGroup.h"

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
    // The whole line, however long: what the form does not hold, the next
    // save would drop.
    const QString line = m_document.line(index).toString();
    fillFieldGrid(line);
    const RecordForm form = RecordForm::fromLine(line);
    m_shownNameField = form.nameField;

    p.edits[1]->setText(form.name);
    selectRecordType(form.recordType);
    p.edits[2]->setText(form.subject);
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        p.edits[3 + slot]->setText(form.creatorNames[slot]);
        QComboBox* roles = p.roleLists[slot];
        roles->setCurrentIndex(CodeTables::roleComboIndex(form.roleCodes[slot], roles->count()));
        // Only a whole code is kept: a shorter one is no code at all.
        keepUnlisted(roles, m_unlistedRoles[slot],
                     form.roleCodes[slot].size() == 2 ? form.roleCodes[slot] : QString());
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        p.edits[7 + i]->setText(form.texts[i]);
    p.link->setText(form.link);
    p.translation->setChecked(form.translation);
    selectLanguage(form.language);
    keepUnlisted(p.language, m_unlistedLanguage, form.languageAsStored);
    keepUnlisted(p.recordType, m_unlistedType, form.recordType);

    // A medium the group does not list is shown as no choice (not as the
    // previous record's), and kept as it is when the record is saved.
    const int medium = CodeTables::media().indexOf(form.medium);
    p.medium->setItemIndex(medium);
    m_unlistedMedium = medium < 0 ? form.medium : QString();

    // List look-ups ignore letter case.
    p.suffixList->setCurrentIndex(p.suffixList->findText(form.suffix(), Qt::MatchFixedString));
    const int volume = CodeTables::volumePosition(form.volumeCode());
    if (volume >= 0)
        p.volume->setItemIndex(volume);
    p.recordNameLabel->setText(form.dottedName());
    setSaveCommandEnabled(false);
    setRoleMenuCaptions();
}

// A value the list cannot show leaves the list without a choice; the value is
// kept for the next save and shown greyed in the empty box, so nothing is
// lost or changed unseen. Choosing an entry replaces it.
void MainWindow::keepUnlisted(QComboBox* combo, QString& kept, const QString& value)
{
    kept = combo->currentIndex() < 0 ? value : QString();
    combo->setPlaceholderText(kept);
}

void MainWindow::forgetUnlistedValues()
{
    DataEntryPage& p = *m_entry;
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot)
        keepUnlisted(p.roleLists[slot], m_unlistedRoles[slot], QString());
    keepUnlisted(p.language, m_unlistedLanguage, QString());
    keepUnlisted(p.recordType, m_unlistedType, QString());
    m_unlistedMedium.clear();
}

void MainWindow::fillFieldGrid(const QString& line)
{
    const FieldGrid grid = FieldGrid::decodeUnicode(line);
    for (int row = 0; row < FieldGrid::RowCount; ++row)
        m_fieldGrid->item(row, 1)->setText(Win1250::toUnicode(grid[row]));
}

// The record type is matched exactly over the whole list (the last match
// wins). A type the list lacks leaves no type chosen, so the record cannot be
// saved with another record's type by mistake.
void MainWindow::selectRecordType(const QString& type)
{
    QComboBox* combo = m_entry->recordType;
    int match = -1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == type)
            match = i;
    combo->setCurrentIndex(match);
}

void MainWindow::selectLanguage(const QString& language)
{
    QComboBox* combo = m_entry->language;
    int match = -1;
    for (int i = 0; i < combo->count() && match < 0; ++i)
        if (combo->itemText(i).compare(language, Qt::CaseInsensitive) == 0)
            match = i;
    combo->setCurrentIndex(match);
}

void MainWindow::saveRecord()
{
    if (!recordIsSavable())
        return;
    DataEntryPage& p = *m_entry;
    const bool appending = m_mode == Mode::NewRecords;
    if (appending && p.suffixList->currentIndex() < 0)
        p.suffixList->setCurrentIndex(0);
    const QString name = appending ? RecordNaming::newRecordName(p.volume->itemIndex(), p.edits[1]->text(),
                                                                 p.suffixList->currentText())
                                   : m_shownNameField;
    const QStringList fields = encodeForm(name);
    // A field that would shift the ones after it is refused before anything
    // changes: saved, the record would come back with its fields moved.
    const QString fault = RecordForm::separatorFault(fields);
    if (!fault.isEmpty()) {
        UserDialogs::instance().inform(this, fault);
        return;
    }
    const QString line = RecordLine::join(fields);
    if (appending)
        appendRecord(line);
    else
        replaceRecord(line);
    documentEdited();
}

QStringList MainWindow::encodeForm(const QString& nameField) const
{
    const DataEntryPage& p = *m_entry;
    RecordForm form;
    form.recordType = p.recordType->currentIndex() >= 0 ? p.recordType->currentText() : m_unlistedType;
    form.subject = p.edits[2]->text();
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        const int role = p.roleLists[slot]->currentIndex();
        form.roleCodes[slot] = role < 0 && !m_unlistedRoles[slot].isEmpty() ? m_unlistedRoles[slot]
                                                                            : CodeTables::roleCode(role + 1);
        form.creatorNames[slot] = p.edits[3 + slot]->text();
    }
    for (int i = 0; i < RecordForm::TextFields; ++i)
        form.texts[i] = p.edits[7 + i]->text();
    form.link = p.link->text();
    form.translation = p.translation->isChecked();
    form.language = p.language->currentIndex() >= 0 ? p.language->currentText() : m_unlistedLanguage;
    form.medium = p.medium->itemIndex() >= 0 ? p.medium->itemText(p.medium->itemIndex()) : m_unlistedMedium;
    return form.toFields(nameField);
}

void MainWindow::appendRecord(const QString& line)
{
    DataEntryPage& p = *m_entry;
    m_document.appendLine(line);
    p.edits[1]->setText(RecordNaming::nextTypedNumber(p.edits[1]->text()));
    for (int k = 2; k <= 14; ++k)
        if (!p.keepBoxes[k]->isChecked())
            p.edits[k]->clear();
    p.link->clear();
    setSaveCommandEnabled(false);
    rebuildRecordNameList();
    updateRecordCountLabel();
}

void MainWindow::replaceRecord(const QString& line)
{
    if (m_currentIndex < 0 || m_currentIndex >= m_document.lineCount())
        return;
    m_document.replaceLine(m_currentIndex, line);
    m_rawViewStale = true;
    setSaveCommandEnabled(false);
    updateRecordCountLabel();
}

void MainWindow::handlerA(QObject*)
{
    // The controls of the record carry no tag of their own.
    m_lastPressedTag = 0;
    setRecordTypeLabels();
    applySavableRule();
}

void MainWindow::handlerB(QObject*)
{
    m_lastPressedTag = 0;
    setRecordTypeLabels();
    setRecordTypeMenuCaptions();
    applySavableRule();
}

bool MainWindow::recordIsSavable() const
{
    const DataEntryPage& p = *m_entry;
    // Nothing can be saved before a database is open, nor replaced when the
    // database has no record to replace.
    if (m_mode == Mode::AwaitingDatabase)
        return false;
    if (m_mode == Mode::Browse && (m_currentIndex < 0 || m_currentIndex >= m_document.lineCount()))
        return false;
    if (p.edits[1]->text().isEmpty())
        return false;
    const bool hasType = p.recordType->currentIndex() >= 0 || !m_unlistedType.isEmpty();
    return hasType && p.volume->itemIndex() >= 0;
}

void MainWindow::applySavableRule()
{
    setSaveCommandEnabled(recordIsSavable());
}

void MainWindow::setSaveCommandEnabled(bool enabled)
{
    m_saveRecord->setEnabled(enabled);
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
    m_insertEntries[5]->setText(captions.publicationMenu);
    m_appendEntries[5]->setText(captions.publicationMenu);
    m_insertEntries[7]->setText(captions.volumeMenu);
    m_appendEntries[7]->setText(captions.volumeMenu);
}

void MainWindow::setRoleMenuCaptions()
{
    for (int slot = 0; slot < 4; ++slot) {
        const QComboBox* roles = m_entry->roleLists[slot];
        QString caption = roles->currentIndex() >= 0 ? roles->currentText() : QString();
        caption.replace(u'&', QStringLiteral("&&"));
        m_insertEntries[slot]->setText(caption);
        m_appendEntries[slot]->setText(caption);
    }
}

void MainWindow::toggleFieldSelection(int field)
{
    if (m_fieldSelection[field]) {
        m_fieldSelection[field] = false;
        paintField(field, false);
        updateExchangeCommand();
        return;
    }
    if (std::count(m_fieldSelection.begin(), m_fieldSelection.end(), true) < 2) {
        m_fieldSelection[field] = true;
        paintField(field, true);
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
    m_exchange->setEnabled(std::count(m_fieldSelection.begin(), m_fieldSelection.end(), true) >= 2);
}

void MainWindow::exchangeFields()
{
    int a = -1;
    int b = -1;
    QString textA = NotTaken;
    QString textB = NotTaken;
    for (int field = 1; field < int(m_fieldSelection.size()); ++field) {
        if (!m_fieldSelection[field])
            continue;
        const bool hasEdit = field <= DataEntryPage::LastField;
        const QString text = hasEdit ? m_entry->edits[field]->text() : NotTaken;
        if (a < 0) {
            a = field;
            textA = text;
        } else {
            b = field;
            textB = text;
        }
        m_fieldSelection[field] = false;
        paintField(field, false);
    }
    if (a >= 0 && b >= 0 && a != b && textA != NotTaken && textB != NotTaken) {
        m_entry->edits[a]->setText(textB);
        m_entry->edits[b]->setText(textA);
    }
    m_exchange->setEnabled(false);
}

void MainWindow::clearFields()
{
    DataEntryPage& p = *m_entry;
    p.recordType->setCurrentIndex(-1);
    p.medium->setItemIndex(0);
    forgetUnlistedValues();
    p.language->setCurrentIndex(p.language->count() > 0 ? 0 : -1);
    p.volume->setItemIndex(-1);
    p.translation->setChecked(false);
    for (int k = 2; k <= 14; ++k)
        p.keepBoxes[k]->setChecked(false);
    for (int k = 1; k <= 14; ++k)
        p.edits[k]->clear();
    p.link->clear();
    p.recordNameLabel->clear();
    p.edits[1]->setFocus();
    applySavableRule();
}

void MainWindow::deleteRecord()
{
    int index = m_currentIndex;
    if (index < 0 || index >= m_document.lineCount())
        return;
    const QStringView line = m_document.line(index);
    const QString name =
        Win1250::roundTrip(line.first(qMin<qsizetype>(DatabaseDocument::RecordNameLength, line.size())));
    const QString question = QStringLiteral("Biztos, hogy törli a következő számú rekordot:  \"") +
                             RecordLine::dottedName(name) + QStringLiteral("  ?");
    if (!UserDialogs::instance().askYesNo(this, question))
        return;

    m_document.removeLine(index);
    rebuildRecordNameList();
    const int count = m_recordNames->count();
    if (index > count - 1)
        index = count - 1;
    m_currentIndex = index;
    m_recordNames->setCurrentIndex(index);
    updateRecordCountLabel();
    documentEdited();
    showRecord(m_currentIndex);
    // With the last record gone there is nothing left to delete.
    setGroupEnabled(WorkspaceStates::Group::DeleteCommand, count > 0);
}
