// The subject tree menu "Tárgykörök": built from the subject tree file; a
// choice puts the entry's subject into the subject field.
//
// A tree may hold hundreds of thousands of entries, and a menu entry costs
// an action and a submenu a whole widget. So loading keeps only the compact
// tree, and each menu gets its entries when it is about to open: what the
// user never opens is never built.

#include "core/record/NorlaError.h"
#include "core/settings/AppSettings.h"
#include "core/source/SubjectTree.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/RecordEditor.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

void RecordEditor::loadSubjectTree()
{
    const QString path = UserDialogs::instance().chooseOpenFile(
        m_window, QStringLiteral("Tárgykör betöltése"), QStringLiteral("ZDA|*.zda|Egyéb|*.*"),
        m_settings.subjectTreePath);
    if (path.isEmpty())
        return;
    m_settings.subjectTreePath = path;
    buildSubjectMenu(path);
}

void RecordEditor::buildSubjectMenu(const QString& path)
{
    QMenu* top = m_commands.subjectMenu;
    // Every submenu and entry of the previous tree goes with its owner.
    for (QMenu* submenu : top->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete submenu;
    top->clear();
    disconnect(m_subjectTopFill);

    try {
        m_subjectTree = SubjectTree::Tree::read(path);
    } catch (const NorlaError&) {
        m_subjectTree = {};
        UserDialogs::instance().inform(m_window, SubjectTree::unreadableMessage(path));
        return;
    }
    m_subjectTopFill = connect(
        top, &QMenu::aboutToShow, this, [this, top] { fillSubjectMenu(top, SubjectTree::Tree::TopLevel); },
        Qt::SingleShotConnection);

    if (const int orphan = m_subjectTree.orphanLine(); orphan >= 0) {
        UserDialogs::instance().inform(m_window,
                                       SubjectTree::orphanMessage(path, orphan, m_subjectTree.line(orphan)));
        return;
    }

    // The entries of the top level go in before these when the menu first opens.
    top->addSeparator();
    QAction* settingsEntry =
        top->addAction(QStringLiteral("Tárgykör szerkezetet tartalmazó fájl beállítása"));
    settingsEntry->setObjectName(QStringLiteral("menu4_beallitas"));
    connect(settingsEntry, &QAction::triggered, this, &RecordEditor::subjectTreeSettingsWanted);
    top->menuAction()->setEnabled(true);
    setStatus(StatusPanel::File, QStringLiteral(" Tárgykör fájl: ") + path);
}

void RecordEditor::fillSubjectMenu(QMenu* menu, int parentEntry)
{
    const SubjectTree::Tree& tree = m_subjectTree;
    // The closing entries of the top level step aside and come back after the
    // tree's entries; appending spares a search for the insertion point per entry.
    const QList<QAction*> closing = menu->actions();
    for (QAction* action : closing)
        menu->removeAction(action);
    for (const int entry : tree.children(parentEntry)) {
        QString caption = tree.caption(entry);
        caption.replace(u'&', QStringLiteral("&&"));
        if (tree.hasChildren(entry)) {
            auto* submenu = new QMenu(caption, menu);
            menu->addMenu(submenu);
            // Opening a branch chooses it, every time; its entries are made the first time.
            connect(submenu, &QMenu::aboutToShow, this, [this, entry] { chooseSubject(entry); });
            connect(
                submenu, &QMenu::aboutToShow, this,
                [this, submenu, entry] { fillSubjectMenu(submenu, entry); }, Qt::SingleShotConnection);
        } else if (tree.isSeparator(entry)) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(caption);
            connect(action, &QAction::triggered, this, [this, entry] { chooseSubject(entry); });
        }
    }
    menu->addActions(closing);
}

void RecordEditor::chooseSubject(int line)
{
    if (line < 0 || line >= m_subjectTree.lineCount())
        return;
    m_page->edit(Field::Subject)->setText(m_subjectTree.subjectText(line));
}
