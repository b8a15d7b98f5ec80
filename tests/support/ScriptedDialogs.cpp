#include "ScriptedDialogs.h"

#include <QtTest>

ScriptedDialogs::ScriptedDialogs()
{
    UserDialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    UserDialogs::install(nullptr);
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString& text)
{
    questions.append(text);
    if (yesNoAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted question: ") + text), __FILE__, __LINE__);
        return false;
    }
    return yesNoAnswers.dequeue();
}

UserDialogs::Answer ScriptedDialogs::askYesNoCancel(QWidget*, const QString& text)
{
    questions.append(text);
    if (yesNoCancelAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted question: ") + text), __FILE__, __LINE__);
        return Answer::Cancel;
    }
    return yesNoCancelAnswers.dequeue();
}

int ScriptedDialogs::askChoice(QWidget*, const QString& text, const QStringList& buttons)
{
    questions.append(text);
    choiceButtons.append(buttons);
    if (choiceAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted question: ") + text), __FILE__, __LINE__);
        return int(buttons.size()) - 1;
    }
    return choiceAnswers.dequeue();
}

void ScriptedDialogs::inform(QWidget*, const QString& text)
{
    messages.append(text);
}

QString ScriptedDialogs::chooseOpenFile(QWidget*, const QString& title, const QString& filter, const QString&)
{
    fileDialogTitles.append(title);
    fileDialogFilters.append(filter);
    if (openFileAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted open dialog: ") + title), __FILE__, __LINE__);
        return {};
    }
    return openFileAnswers.dequeue();
}

QString ScriptedDialogs::chooseSaveFile(QWidget*, const QString& title, const QString& filter, const QString&)
{
    fileDialogTitles.append(title);
    fileDialogFilters.append(filter);
    if (saveFileAnswers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted save dialog: ") + title), __FILE__, __LINE__);
        return {};
    }
    return saveFileAnswers.dequeue();
}
