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
    QQueue<QString> openFileAnswers; // empty string = cancel
    QQueue<QString> saveFileAnswers; // empty string = cancel

    QStringList questions; // texts of askYesNo and askYesNoCancel
    QStringList messages;  // texts of inform
    QStringList fileDialogTitles;
    QStringList fileDialogFilters;

    bool askYesNo(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    void inform(QWidget* parent, const QString& text) override;
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override;
    QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& startPath) override;
};
