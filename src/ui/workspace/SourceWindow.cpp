// The source window: loading a source document, lifting its text into the
// fields through the extraction menus and the drop boxes, and the mouse press
// handling that tells a drag from the source apart from other input.

#include "core/source/SourceText.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/RecordEditor.h"
#include "ui/workspace/SourceLoader.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>

namespace {

// Below this size a source is read at once: it takes a few hundredths of a
// second, less than handing it to a worker and back, and a cancel button
// would only flash.
constexpr qint64 kBackgroundLoadBytes = 1'000'000;

} // namespace

void RecordEditor::loadSourceDocument()
{
    const QString path = UserDialogs::instance().chooseOpenFile(
        m_window, QStringLiteral("Forrásadat megnyitása"), QStringLiteral("RTF|*.rtf|TXT|*.txt|Egyéb|*.*"),
        m_lastOpenPath);
    if (path.isEmpty())
        return;
    m_lastOpenPath = path;
    SourceLoader* loader = sourceLoader();
    loader->cancel();
    if (QFileInfo(path).size() >= kBackgroundLoadBytes) {
        loader->start(path, sourceWindow()->font());
        return;
    }
    runGuarded(m_window, [&] { showSourceDocument(path, SourceLoader::load(path, sourceWindow()->font())); });
}

SourceLoader* RecordEditor::sourceLoader()
{
    if (m_sourceLoader)
        return m_sourceLoader;
    m_sourceLoader = new SourceLoader(this);
    connect(m_sourceLoader, &SourceLoader::loaded, this,
            [this](const QString& path, QTextDocument* document) {
                showSourceDocument(path, std::unique_ptr<QTextDocument>(document));
            });
    connect(m_sourceLoader, &SourceLoader::failed, this, [this](const QString&, const QString& message) {
        UserDialogs::instance().inform(m_window, message);
    });
    connect(m_sourceLoader, &SourceLoader::loadingChanged, this,
            [this](bool loading) { m_sourceCancel->setVisible(loading); });

    // "Mégsem" stands beside the loading button while a load runs; Esc presses it.
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"));
    cancel->setObjectName(QStringLiteral("sb_forras_megsem"));
    cancel->setToolTip(QStringLiteral("A forrásfájl betöltésének megszakítása (Esc)"));
    cancel->setFocusPolicy(Qt::NoFocus);
    connect(cancel, &QPushButton::clicked, m_sourceLoader, &SourceLoader::cancel);
    // A shortcut of its own rather than the button's: that one clicks a moment
    // later, when the load may have ended. Owned by the button, it works while
    // the button is shown.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), cancel);
    connect(escape, &QShortcut::activated, m_sourceLoader, &SourceLoader::cancel);
    QToolBar* bar = nullptr;
    for (QObject* owner : m_commands.loadSource->associatedObjects())
        if (!bar)
            bar = qobject_cast<QToolBar*>(owner);
    const QList<QAction*> barActions = bar->actions();
    QAction* next = barActions.value(barActions.indexOf(m_commands.loadSource) + 1);
    m_sourceCancel = bar->insertWidget(next, cancel);
    m_sourceCancel->setVisible(false);
    return m_sourceLoader;
}

void RecordEditor::showSourceDocument(const QString& path, std::unique_ptr<QTextDocument> document)
{
    // The document is handed over already filled: a document a text control
    // shows is laid out whole when an edit ends, which takes minutes for a
    // source of a few hundred megabytes; a document handed over is laid out as
    // it is looked at. The control owns its child document and drops the one
    // before.
    QTextEdit* source = sourceWindow();
    document->setParent(source);
    source->setDocument(document.release());
    setStatus(StatusPanel::File, QStringLiteral(" Forrásfájl: ") + path);
}

void RecordEditor::extractInto(Field field, Extraction kind)
{
    const QString text = SourceText::firstLine(sourceWindow()->textCursor().selectedText());
    QLineEdit* edit = m_page->edit(field);
    edit->setText(kind == Extraction::Insert ? text : edit->text() + text);
}

void RecordEditor::rememberPress(PressedControl pressed)
{
    // Emptying the boxes is no drop: it must not reach a field, whatever the
    // last press was.
    m_emptyingDropBoxes = true;
    for (Field field : DataEntryPage::DropFields) {
        DropBox* box = m_page->dropBox(field);
        if (!box->document()->isEmpty())
            box->clear();
    }
    m_emptyingDropBoxes = false;
    m_lastPress = pressed;
}

void RecordEditor::dropBoxChanged(Field field)
{
    if (m_emptyingDropBoxes)
        return;
    if (m_lastPress == PressedControl::sourceWindow()) {
        m_page->edit(field)->setText(m_page->dropBox(field)->firstLine());
        m_lastPress = PressedControl::other();
    }
    applySavableRule();
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event)
{
    const auto watchedControl = m_pressTargets.constFind(watched);
    if (watchedControl != m_pressTargets.cend()) {
        const PressedControl pressed = *watchedControl;
        if (event->type() == QEvent::MouseButtonPress)
            rememberPress(pressed);
        if (pressed.kind == PressedControl::Kind::FieldLabel && isFieldLabelClick(watched, event))
            toggleFieldSelection(pressed.field);
    }
    return QObject::eventFilter(watched, event);
}

// A left click on an enabled field label. The second click of a double-click
// comes as a double-click event and then a release; that release is no click
// of its own, or a double-click would select and deselect at once.
bool RecordEditor::isFieldLabelClick(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        m_labelDoubleClicked = false;
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        m_labelDoubleClicked = true;
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    if (std::exchange(m_labelDoubleClicked, false))
        return false;
    return label->isEnabled();
}

void RecordEditor::startCharacterMap()
{
    // Started on its own; a missing program is not worth a message.
    QProcess::startDetached(QStringLiteral("gucharmap"), {});
}
