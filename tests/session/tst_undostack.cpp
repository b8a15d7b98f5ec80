// The undo history on its own: linear undo and redo, the redo tail dropped by
// a new command, the clean position, and the signals that enable the actions.

#include "core/session/UndoStack.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Writes what it does into a shared log, so the order of the calls shows.
class LoggingCommand final : public UndoCommand
{
public:
    LoggingCommand(QStringList& log, QString name) : m_log(log), m_name(std::move(name)) {}
    void redo() override { m_log.append(QStringLiteral("+") + m_name); }
    void undo() override { m_log.append(QStringLiteral("-") + m_name); }

private:
    QStringList& m_log;
    QString m_name;
};

} // namespace

class tst_UndoStack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void undoAndRedoWalkTheCommands()
    {
        QStringList log;
        UndoStack stack;
        QSignalSpy canUndo(&stack, &UndoStack::canUndoChanged);
        QSignalSpy canRedo(&stack, &UndoStack::canRedoChanged);
        stack.push(std::make_unique<LoggingCommand>(log, "a"));
        stack.push(std::make_unique<LoggingCommand>(log, "b"));
        QCOMPARE(stack.index(), 2);
        QVERIFY(stack.canUndo() && !stack.canRedo());
        stack.undo();
        stack.undo();
        stack.undo(); // nothing left to undo
        QVERIFY(!stack.canUndo() && stack.canRedo());
        stack.redo();
        QCOMPARE(log, (QStringList{"+a", "+b", "-b", "-a", "+a"}));
        QCOMPARE(stack.index(), 1);
        QCOMPARE(canUndo.size(), 3); // on, off, on
        QCOMPARE(canUndo.last().first().toBool(), true);
        QCOMPARE(canRedo.size(), 1); // on
        QCOMPARE(canRedo.last().first().toBool(), true);

        // A new command drops the one that was undone.
        stack.push(std::make_unique<LoggingCommand>(log, "c"));
        QCOMPARE(stack.count(), 2);
        QVERIFY(!stack.canRedo());
        QCOMPARE(canRedo.last().first().toBool(), false);
        stack.undo();
        QCOMPARE(log.last(), "-c");
    }

    void cleanPosition_data()
    {
        QTest::addColumn<QString>("steps"); // p push, u undo, r redo, s set clean, x reset clean, c clear
        QTest::addColumn<bool>("clean");
        QTest::addColumn<int>("cleanIndex");
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("pushed") << "p" << false << 0;
        QTest::newRow("undone to the start") << "pu" << true << 0;
        QTest::newRow("saved") << "pps" << true << 2;
        QTest::newRow("changed after saving") << "ppsp" << false << 2;
        QTest::newRow("undone back to the save") << "ppspu" << true << 2;
        QTest::newRow("undone past the save") << "ppsu" << false << 2;
        QTest::newRow("redone to the save") << "ppsur" << true << 2;
        QTest::newRow("saved state dropped by a push") << "ppsup" << false << -1;
        QTest::newRow("no undo reaches a dropped save") << "ppsupuuu" << false << -1;
        QTest::newRow("reset") << "x" << false << -1;
        QTest::newRow("reset, then saved") << "xps" << true << 1;
        QTest::newRow("cleared") << "ppupc" << true << 0;
    }
    void cleanPosition()
    {
        QFETCH(QString, steps);
        QFETCH(bool, clean);
        QFETCH(int, cleanIndex);
        QStringList log;
        UndoStack stack;
        QSignalSpy cleanChanges(&stack, &UndoStack::cleanChanged);
        bool lastClean = true;
        for (QChar step : steps) {
            switch (step.unicode()) {
            case 'p':
                stack.push(std::make_unique<LoggingCommand>(log, "x"));
                break;
            case 'u':
                stack.undo();
                break;
            case 'r':
                stack.redo();
                break;
            case 's':
                stack.setClean();
                break;
            case 'x':
                stack.resetClean();
                break;
            case 'c':
                stack.clear();
                break;
            }
            // Every change of the clean state is signalled, and only those.
            if (stack.isClean() != lastClean) {
                lastClean = stack.isClean();
                QVERIFY(!cleanChanges.isEmpty());
                QCOMPARE(cleanChanges.takeFirst().first().toBool(), lastClean);
            }
            QVERIFY(cleanChanges.isEmpty());
        }
        QCOMPARE(stack.isClean(), clean);
        QCOMPARE(stack.cleanIndex(), cleanIndex);
    }
};

QTEST_GUILESS_MAIN(tst_UndoStack)
#include "tst_undostack.moc"
