// The subject tree file: depth, caption and subject text of a line, and where
// the nesting breaks.

#include "core/record/Win1250.h"
#include "core/source/SubjectTree.h"

#include <QtTest>

class tst_SubjectTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void orphans_data();
    void orphans();
};

void tst_SubjectTree::lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("subject");

    QTest::newRow("depth 1") << "*Alpha" << 1 << "Alpha"
                             << "Alpha";
    QTest::newRow("depth 3") << "***Alpha one x" << 3 << "Alpha one x"
                             << "Alpha one x";
    QTest::newRow("six asterisks") << "******X" << 5 << "*X"
                                   << "X";
    QTest::newRow("no asterisk") << "Abc" << 1 << "bc"
                                 << "bc";
    QTest::newRow("empty") << "" << 1 << ""
                           << "";
    QTest::newRow("separator") << "*-" << 1 << "-"
                               << "-";
    QTest::newRow("inner asterisks stay") << "**a*b" << 2 << "a*b"
                                          << "a*b";
    QTest::newRow("Hungarian") << "**Árvíztűrő" << 2 << "Árvíztűrő"
                               << "Árvíztűrő";
    QTest::newRow("long") << "*" + QString(700, u'y') << 1 << QString(500, u'y') << QString(700, u'y');
}

void tst_SubjectTree::lines()
{
    QFETCH(QString, line);
    QFETCH(int, depth);
    QFETCH(QString, caption);
    QFETCH(QString, subject);

    const QByteArray bytes = Win1250::fromUnicode(line);
    QCOMPARE(SubjectTree::depthOf(bytes), depth);
    QCOMPARE(SubjectTree::captionOf(bytes), caption);
    QCOMPARE(SubjectTree::subjectTextOf(bytes), subject);
}

void tst_SubjectTree::orphans_data()
{
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<int>("orphan");
    QTest::addColumn<int>("entries");

    QTest::newRow("fits") << QStringList{"*A", "**B", "***C", "**D", "*E"} << -1 << 5;
    QTest::newRow("first line too deep") << QStringList{"**A", "*B"} << 0 << 0;
    QTest::newRow("two levels down") << QStringList{"*A", "**B", "****C", "*D"} << 2 << 2;
    QTest::newRow("back up then down") << QStringList{"*A", "***B"} << 1 << 1;
    QTest::newRow("empty file") << QStringList{} << -1 << 0;
}

void tst_SubjectTree::orphans()
{
    QFETCH(QStringList, file);
    QFETCH(int, orphan);
    QFETCH(int, entries);

    QList<QByteArray> lines;
    for (const QString& line : file)
        lines.append(Win1250::fromUnicode(line));
    const SubjectTree::Outline outline = SubjectTree::outline(lines);
    QCOMPARE(outline.orphanLine, orphan);
    QCOMPARE(outline.entries.size(), entries);
    for (int i = 0; i < outline.entries.size(); ++i)
        QCOMPARE(outline.entries[i].line, i);
}

QTEST_GUILESS_MAIN(tst_SubjectTree)
#include "tst_subjecttree.moc"
