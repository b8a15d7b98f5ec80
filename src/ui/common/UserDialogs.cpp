#include "ui/common/UserDialogs.h"

#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/session/EditingSession.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

QString windowTitle()
{
    return QApplication::applicationDisplayName().isEmpty() ? QStringLiteral("Norla")
                                                            : QApplication::applicationDisplayName();
}

class QtDialogs final : public UserDialogs
{
public:
    bool askYesNo(QWidget* parent, const QString& text) override
    {
        return QMessageBox::question(parent, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    Answer askYesNoCancel(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, windowTitle(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Mégse"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    int askChoice(QWidget* parent, const QString& text, const QStringList& buttons) override
    {
        QMessageBox box(QMessageBox::Question, windowTitle(), text, QMessageBox::NoButton, parent);
        QList<QPushButton*> added;
        for (qsizetype i = 0; i < buttons.size(); ++i)
            added.append(box.addButton(buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole
                                                                           : QMessageBox::AcceptRole));
        if (!added.isEmpty()) {
            box.setDefaultButton(added.first());
            box.setEscapeButton(added.last());
        }
        box.exec();
        const qsizetype chosen = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
        return int(chosen < 0 ? buttons.size() - 1 : chosen);
    }
    void inform(QWidget* parent, const QString& text) override
    {
        QMessageBox::warning(parent, windowTitle(), text);
    }
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override
    {
        return QFileDialog::getOpenFileName(parent, title, startPath, toQtFilter(filter));
    }
    QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override
    {
        // The ".rtf" naming rule and replacing without a question belong to the
        // callers, so the dialog itself must not ask.
        return QFileDialog::getSaveFileName(parent, title, startPath, toQtFilter(filter), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
};

UserDialogs* g_installed = nullptr;

} // namespace

UserDialogs& UserDialogs::instance()
{
    static QtDialogs qtDialogs;
    return g_installed ? *g_installed : qtDialogs;
}

void UserDialogs::install(UserDialogs* dialogs)
{
    g_installed = dialogs;
}

QString UserDialogs::toQtFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]));
    return filters.join(QStringLiteral(";;"));
}

bool runGuarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const NorlaError& error) {
        UserDialogs::instance().inform(parent, error.message());
    } catch (const OperationCancelled&) {
        // The user stopped it; telling them so again would only be in the way.
    } catch (const std::exception& error) {
        UserDialogs::instance().inform(parent, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

bool refusedWhileReadOnly(QWidget* parent, const EditingSession& session)
{
    if (!session.isReadOnly())
        return false;
    UserDialogs::instance().inform(parent, session.readOnlyMessage());
    return true;
}
