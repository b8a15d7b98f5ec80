// Building the record editor: the controls it makes, the commands and the
// controls of the page it connects, and the state the workspace starts in.

#include "ui/workspace/RecordEditor.h"

#include "core/settings/AppSettings.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/FieldUndoKeys.h"
#include "ui/workspace/RadioGroup.h"
#include "ui/workspace/RecordNameModel.h"
#include "ui/workspace/WorkspacePages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QShortcut>
#include <QTextEdit>

namespace {

constexpr int RecordNameListWidth = 145;

// The record-name list opens as a plain drop-down below the box. The style's
// other kind of popup measures every item before it opens, which a list of a
// million names makes the user wait for.
class DropDownListStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

RecordEditor::RecordEditor(WorkspaceCommands& commands, AppSettings& settings, const QString& startDir,
                           QWidget* window)
    : QObject(window), m_window(window), m_commands(commands), m_settings(settings), m_startDir(startDir)
{
    connect(&m_session, &EditingSession::documentChanged, this, &RecordEditor::updateDocumentState);
    connect(&m_session, &EditingSession::recoveryWriteFailed, this, [this](const QString& message) {
        // Said once: the edits themselves are fine, only their safety net is missing.
        if (std::exchange(m_recoveryFailureShown, true))
            return;
        UserDialogs::instance().inform(
            m_window,
            QStringLiteral("A mentetlen módosítások helyreállítási másolata nem írható:\n%1\n\nA "
                           "módosítások megvannak, de egy váratlan leállás után elvesznének: mentse "
                           "az adatbázist minél előbb.")
                .arg(message));
    });

    m_page = new DataEntryPage(m_commands.buildToolBar(window, createRecordNameList(window)));
    m_fieldGridPage = WorkspacePages::createFieldGridPage(m_fieldGrid);
    m_rawPage = WorkspacePages::createRawDatabasePage(m_rawView);
    for (Field field : DataEntryPage::DataFields)
        m_dataFields.append(m_page->edit(field));

    // F2 of a database open read only: the save command is off then, and a
    // key that does nothing would leave the user guessing.
    m_readOnlySaveKey = new QShortcut(QKeySequence(Qt::Key_F2), window);
    m_readOnlySaveKey->setEnabled(false);
    connect(m_readOnlySaveKey, &QShortcut::activated, this, &RecordEditor::explainReadOnlySave);

    connectCommands();
    registerStateGroups();
    wireRecordControls();
    connectHistory();
    connectDocumentViews();
}

RecordEditor::~RecordEditor() = default;

// The record-name list of the tool bar.
QComboBox* RecordEditor::createRecordNameList(QWidget* window)
{
    m_recordNames = new QComboBox(window);
    m_recordNames->setObjectName(QStringLiteral("cb_rekordok0"));
    m_recordNames->setFixedWidth(RecordNameListWidth);
    // Sizing by contents would measure every name of a large database.
    m_recordNames->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_recordNames->setMinimumContentsLength(DatabaseDocument::RecordNameLength);
    auto* listStyle = new DropDownListStyle;
    listStyle->setParent(m_recordNames);
    m_recordNames->setStyle(listStyle);
    if (auto* list = qobject_cast<QListView*>(m_recordNames->view()))
        list->setUniformItemSizes(true);
    m_recordNameModel = new RecordNameModel(m_session.document(), m_recordNames);
    m_recordNames->setModel(m_recordNameModel);
    return m_recordNames;
}

void RecordEditor::connectCommands()
{
    const WorkspaceCommands& c = m_commands;
    connect(c.newDatabase, &QAction::triggered, this, &RecordEditor::newDatabase);
    connect(c.openDatabase, &QAction::triggered, this, &RecordEditor::openDatabase);
    connect(c.saveDatabase, &QAction::triggered, this, &RecordEditor::saveDatabase);
    connect(c.saveDatabaseAs, &QAction::triggered, this, &RecordEditor::saveDatabaseAs);
    connect(c.exportDatabase, &QAction::triggered, this, &RecordEditor::exportDatabase);
    connect(c.loadSource, &QAction::triggered, this, &RecordEditor::loadSourceDocument);
    connect(c.loadSubjects, &QAction::triggered, this, &RecordEditor::loadSubjectTree);
    connect(c.dataEntry, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });
    connect(c.exchange, &QAction::triggered, this, &RecordEditor::exchangeFields);
    connect(c.clear, &QAction::triggered, this, &RecordEditor::clearFields);
    connect(c.saveRecord, &QAction::triggered, this, &RecordEditor::saveRecord);
    connect(c.deleteRecord, &QAction::triggered, this, &RecordEditor::deleteRecord);
    connect(c.browseMode, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });
    connect(c.newRecordsMode, &QAction::triggered, this, [this] { enterMode(Mode::NewRecords); });
    connect(c.characterMap, &QAction::triggered, this, &RecordEditor::startCharacterMap);
    for (int i = 0; i < int(c.navigation.size()); ++i) {
        const auto step = NavigationStep(i);
        connect(c.navigation[size_t(i)], &QAction::triggered, this, [this, step] { move(step); });
    }
    for (Field field : WorkspaceCommands::ExtractionFields)
        for (Extraction kind : {Extraction::Insert, Extraction::Append})
            connect(c.extractionEntry(kind, field), &QAction::triggered, this,
                    [this, field, kind] { extractInto(field, kind); });
}

// Undo and redo of the document's changes, enabled while the session has a
// step to take back or to make again.
void RecordEditor::connectHistory()
{
    const WorkspaceCommands& c = m_commands;
    connect(c.undoChange, &QAction::triggered, this, &RecordEditor::undoChange);
    connect(c.redoChange, &QAction::triggered, this, &RecordEditor::redoChange);
    connect(&m_session, &EditingSession::canUndoChanged, c.undoChange, &QAction::setEnabled);
    connect(&m_session, &EditingSession::canRedoChanged, c.redoChange, &QAction::setEnabled);
    auto* keys = new FieldUndoKeys(c.undoChange, c.redoChange, this);
    for (QLineEdit* edit : m_page->findChildren<QLineEdit*>())
        keys->watch(edit);
}

void RecordEditor::wireRecordControls()
{
    DataEntryPage& p = *m_page;

    // The record name, subject, link, translation, language and the two choice groups.
    for (QLineEdit* edit : {p.edit(Field::RecordName), p.edit(Field::Subject), p.link})
        connect(edit, &QLineEdit::textChanged, this, [this] { recordControlChanged(); });
    connect(p.translation, &QCheckBox::toggled, this, [this] { recordControlChanged(); });
    connect(p.language, &QComboBox::currentIndexChanged, this, [this] { recordControlChanged(); });
    connect(p.medium, &RadioGroup::itemIndexChanged, this, [this] { recordControlChanged(); });
    connect(p.volume, &RadioGroup::itemIndexChanged, this, [this] { recordControlChanged(); });

    // The fields that the extraction menus fill, and the record type, which names two of them.
    for (Field field : DataEntryPage::DropFields)
        connect(p.edit(field), &QLineEdit::textChanged, this, [this] { extractableFieldChanged(); });
    connect(p.recordType, &QComboBox::currentIndexChanged, this, [this] { extractableFieldChanged(); });

    // Choosing a role names the creator entries of the extraction menus.
    for (QComboBox* combo : p.roleLists)
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            m_lastPress = PressedControl::other();
            setRoleMenuCaptions();
        });
    for (QComboBox* combo : {p.recordType, p.language})
        connect(combo, &QComboBox::activated, this, [this] {
            m_lastPress = PressedControl::other();
            setRoleMenuCaptions();
        });

    connect(m_recordNames, &QComboBox::activated, this, &RecordEditor::selectInList);

    // What was pressed last decides whether a drop box passes its text on.
    watchPresses(p.sourceWindow->viewport(), PressedControl::sourceWindow());
    for (Field field : DataEntryPage::DropFields) {
        DropBox* box = p.dropBox(field);
        watchPresses(box->viewport(), PressedControl::dropBox(field));
        connect(box, &QTextEdit::textChanged, this, [this, field] { dropBoxChanged(field); });
    }
    for (Field field : DataEntryPage::DropFields)
        watchPresses(p.edit(field), PressedControl::other());
    for (Field field : DataEntryPage::DataFields)
        watchPresses(p.keepBox(field), PressedControl::other());
    for (Field field : DataEntryPage::SelectableFields) {
        watchPresses(p.fieldLabel(field), PressedControl::fieldLabel(field));
        p.fieldLabel(field)->setCursor(Qt::PointingHandCursor);
    }
    for (QWidget* widget : {static_cast<QWidget*>(p.translation), static_cast<QWidget*>(p.recordNameCaption),
                            static_cast<QWidget*>(p.linkCaption), static_cast<QWidget*>(p.languageCaption)})
        watchPresses(widget, PressedControl::other());
}

void RecordEditor::watchPresses(QObject* control, PressedControl pressed)
{
    m_pressTargets.insert(control, pressed);
    control->installEventFilter(this);
}

void RecordEditor::start()
{
    DataEntryPage& p = *m_page;
    const QFont fieldFont(m_settings.fontName, m_settings.fontSize);
    for (QLineEdit* edit : m_dataFields)
        edit->setFont(fieldFont);
    m_rawView->setFont(fieldFont);

    applyStateColumn(WorkspaceStates::StartUp);
    for (Field field : DataEntryPage::DataFields)
        p.keepBox(field)->setChecked(false);
    p.translation->setChecked(false);
    setStatus(StatusPanel::Mode, QStringLiteral(" Várakozás az adatbázis megnyitására"));
    setStatus(StatusPanel::File, QStringLiteral(" Nincs forrásfájl betöltve"));
    m_session.clearSelection();
    for (Field field : DataEntryPage::FormFields)
        paintField(field, false);
    p.shownNamePanel->hide();
    p.edit(Field::RecordName)->show();
    p.newNamePanel->show();
    p.recordCount->clear();
    m_commands.browseMode->setChecked(true);
    setRecordTypeMenuCaptions();
    m_lastPress = PressedControl::other();
}

QLineEdit* RecordEditor::fieldEdit(Field field) const
{
    return m_page->edit(field);
}

QTextEdit* RecordEditor::sourceWindow() const
{
    return m_page->sourceWindow;
}

bool RecordEditor::sourceEditable() const
{
    return !sourceWindow()->isReadOnly();
}

void RecordEditor::setSourceEditable(bool editable)
{
    sourceWindow()->setReadOnly(!editable);
}

// The settings dialog's choices reach the data fields (never Edit1) and the
// raw database view.
void RecordEditor::applyFieldFont(const std::function<void(QFont&)>& change)
{
    QList<QWidget*> widgets(m_dataFields.begin(), m_dataFields.end());
    widgets.append(m_rawView);
    for (QWidget* widget : widgets) {
        QFont font = widget->font();
        change(font);
        widget->setFont(font);
    }
}

void RecordEditor::setStatus(StatusPanel panel, const QString& text)
{
    Q_EMIT statusChanged(panel, text);
}

void RecordEditor::setRawViewShown(bool shown)
{
    m_rawViewShown = shown;
    refreshRawViewIfShown();
}
