// The source window: loading a source document, lifting its text into the
// fields through the extraction menus and the drop boxes, and the mouse press
// handling that tells a drag from the source apart from other input.

#include "core/record/TextFile.h"
#include "core/source/SourceText.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RtfReader.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTextDocument>
#include <QTextEdit>

void MainWindow::loadSourceDocument()
{
    const QString path = UserDialogs::instance().chooseOpenFile(
        this, QStringLiteral("Forrásadat megnyitása"), QStringLiteral("RTF|*.rtf|TXT|*.txt|Egyéb|*.*"),
        m_lastOpenPath);
    if (path.isEmpty())
        return;
    m_lastOpenPath = path;
    runGuarded(this, [&] {
        const QByteArray bytes = TextFile::readBytes(path);
        QTextEdit* source = sourceWindow();
        source->clear();
        if (Rtf::looksLikeRtf(bytes)) {
            // Filled apart and then handed over: a document a text control
            // shows is laid out whole when an edit ends, which takes minutes
            // for a source of a few hundred megabytes; a document handed over
            // is laid out as it is looked at. The control owns its child
            // document and drops the one before.
            auto* document = new QTextDocument(source);
            Rtf::loadInto(bytes, *document);
            source->setDocument(document);
        } else {
            source->setPlainText(SourceText::decodePlain(bytes));
        }
        setStatus(1, QStringLiteral(" Forrásfájl: ") + path);
    });
}

void MainWindow::extractInto(int field, Extraction kind)
{
    const QString text = SourceText::firstLine(sourceWindow()->textCursor().selectedText());
    QLineEdit* edit = m_entry->edits[field];
    edit->setText(kind == Extraction::Insert ? text : edit->text() + text);
}

void MainWindow::rememberPress(int tag)
{
    // Emptying the boxes is no drop: it must not reach a field, whatever the
    // last press was.
    m_emptyingDropBoxes = true;
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k)
        if (!m_entry->dropBoxes[k]->document()->isEmpty())
            m_entry->dropBoxes[k]->clear();
    m_emptyingDropBoxes = false;
    m_lastPressedTag = tag;
}

void MainWindow::dropBoxChanged(int field)
{
    if (m_emptyingDropBoxes)
        return;
    if (m_lastPressedTag == SourceWindowTag) {
        m_entry->edits[field]->setText(m_entry->dropBoxes[field]->firstLine());
        m_lastPressedTag = 0;
    }
    applySavableRule();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QVariant tag = watched->property("tag");
    if (tag.isValid()) {
        if (event->type() == QEvent::MouseButtonPress)
            rememberPress(tag.toInt());
        if (isFieldLabelClick(watched, event)) {
            toggleFieldSelection(tag.toInt());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// A left click on an enabled field label. The second click of a double-click
// comes as a double-click event and then a release; that release is no click
// of its own, or a double-click would select and deselect at once.
bool MainWindow::isFieldLabelClick(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || watched->property("tag").toInt() <= 0)
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

void MainWindow::startCharacterMap()
{
    // Started on its own; a missing program is not worth a message.
    QProcess::startDetached(QStringLiteral("gucharmap"), {});
}
