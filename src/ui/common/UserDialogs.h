#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class EditingSession;

class QWidget;

// Everything that asks the user something or tells them something goes
// through here: the program installs the real Qt dialogs, tests install a
// scripted stand-in. Filters use the "Description|*.ext|Other|*.*" form.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    enum class Answer
    {
        Yes,
        No,
        Cancel
    };

    // Yes/No confirmation; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // Yes/No/Mégse; Esc and the close box mean Cancel.
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // A question answered with one of `buttons` (their captions, in order);
    // the last one cancels, as do Esc and the close box. Returns the index
    // of the button chosen. A stand-in that does not answer it cancels.
    virtual int askChoice(QWidget* parent, const QString& text, const QStringList& buttons)
    {
        Q_UNUSED(parent);
        Q_UNUSED(text);
        return int(buttons.size()) - 1;
    }
    // A message box with an OK button (errors and notices).
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& startPath) = 0;
    virtual QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& startPath) = 0;

    static UserDialogs& instance();
    // Takes no ownership; nullptr restores the Qt dialogs.
    static void install(UserDialogs* dialogs);

    // "RTF|*.rtf|TXT|*.txt" -> "RTF (*.rtf);;TXT (*.txt)"; empty stays empty.
    static QString toQtFilter(const QString& pipeFilter);
};

// Runs one user action; a NorlaError (or any other exception) it throws ends
// the action and is shown in a message box. Returns false when it failed.
bool runGuarded(QWidget* parent, const std::function<void()>& action);

// A command that would change the open database, asked while it is open for
// reading only: tells the user why not. True when the command is refused.
bool refusedWhileReadOnly(QWidget* parent, const EditingSession& session);
