#pragma once

#include "ui/common/UserDialogs.h"

#include <QQueue>
#include <QStringList>

// The test stand-in for every question and file dialog: answers come from
// queues filled by the test, and every text shown is recorded. An unscripted
// question fails the test loudly instead of blocking.
class ScriptedDialogs final : public UserDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    QQueue<bool> yesNoAnswers;
    QQueue<Answer> yesNoCancelAnswers;
    QQueue<int> choiceAnswers;       // the index of the button askChoice() answers with
    QQueue<QString> openFileAnswers; // empty string = cancel
    QQueue<QString> saveFileAnswers; // empty string = cancel

    QStringList questions;            // texts of askYesNo, askYesNoCancel and askChoice
    QList<QStringList> choiceButtons; // the buttons of every askChoice
    QStringList messages;             // texts of inform
    QStringList fileDialogTitles;
    QStringList fileDialogFilters;

    bool askYesNo(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    int askChoice(QWidget* parent, const QString& text, const QStringList& buttons) override;
    void inform(QWidget* parent, const QString& text) override;
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override;
    QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override;
};
