// The subject tree menu "Tárgykörök": built from the subject tree file; a
// choice puts the entry's subject into the subject field.

#include "core/record/NorlaError.h"
#include "core/source/SubjectTree.h"
#include "ui/common/UserDialogs.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

void MainWindow::loadSubjectTree()
{
    const QString path = UserDialogs::instance().chooseOpenFile(this, QStringLiteral("Tárgykör betöltése"),
                                                                QStringLiteral("ZDA|*.zda|Egyéb|*.*"),
                                                                m_settings.subjectTreePath);
    if (path.isEmpty())
        return;
    m_settings.subjectTreePath = path;
    buildSubjectMenu(path);
}

void MainWindow::buildSubjectMenu(const QString& path)
{
    // Every submenu and entry of the previous tree goes with its owner.
    for (QMenu* submenu : m_commands->subjectMenu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete submenu;
    m_commands->subjectMenu->clear();

    QList<QByteArray> lines;
    try {
        lines = SubjectTree::readLines(path);
    } catch (const NorlaError&) {
        UserDialogs::instance().inform(this, SubjectTree::unreadableMessage(path));
        return;
    }
    m_subjectLines = lines;
    const SubjectTree::Outline outline = SubjectTree::outline(lines);

    std::array<QMenu*, SubjectTree::MaxDepth + 1> levels{};
    levels[0] = m_commands->subjectMenu;
    for (qsizetype i = 0; i < outline.entries.size(); ++i) {
        const SubjectTree::Entry& entry = outline.entries[i];
        const bool hasChildren = i + 1 < outline.entries.size() && outline.entries[i + 1].depth > entry.depth;
        QMenu* parent = levels[entry.depth - 1];
        QString caption = entry.caption;
        caption.replace(u'&', QStringLiteral("&&"));
        const int line = entry.line;
        if (hasChildren) {
            auto* submenu = new QMenu(caption, parent);
            parent->addMenu(submenu);
            connect(submenu, &QMenu::aboutToShow, this, [this, line] { chooseSubject(line); });
            levels[entry.depth] = submenu;
        } else if (entry.isSeparator()) {
            parent->addSeparator();
        } else {
            QAction* action = parent->addAction(caption);
            connect(action, &QAction::triggered, this, [this, line] { chooseSubject(line); });
        }
    }
    if (outline.orphanLine >= 0) {
        UserDialogs::instance().inform(
            this, SubjectTree::orphanMessage(path, outline.orphanLine, lines[outline.orphanLine]));
        return;
    }

    m_commands->subjectMenu->addSeparator();
    QAction* settingsEntry =
        m_commands->subjectMenu->addAction(QStringLiteral("Tárgykör szerkezetet tartalmazó fájl beállítása"));
    settingsEntry->setObjectName(QStringLiteral("menu4_beallitas"));
    connect(settingsEntry, &QAction::triggered, this,
            [this] { openSettings(SettingsDialog::SubjectTreePage); });
    m_commands->subjectMenu->menuAction()->setEnabled(true);
    setStatus(1, QStringLiteral(" Tárgykör fájl: ") + path);
}

void MainWindow::chooseSubject(int line)
{
    if (line < 0 || line >= m_subjectLines.size())
        return;
    m_entry->edits[2]->setText(SubjectTree::subjectTextOf(m_subjectLines[line]));
}
