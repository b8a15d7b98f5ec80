// The subject tree file: depth, caption and subject text of a line, and where
// the nesting breaks.

#include "core/record/TextFile.h"
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
    void treeKeepsTheLines_data();
    void treeKeepsTheLines();
    void treeNests_data();
    void treeNests();
};

namespace {

// The tree as text: captions, a branch's children in braces.
QString nesting(const SubjectTree::Tree& tree, int parent = SubjectTree::Tree::TopLevel)
{
    QStringList parts;
    for (const int entry : tree.children(parent)) {
        QString part = tree.isSeparator(entry) ? QStringLiteral("|") : tree.caption(entry);
        if (tree.hasChildren(entry))
            part += u'{' + nesting(tree, entry) + u'}';
        parts.append(part);
    }
    return parts.join(u',');
}

} // namespace

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

void tst_SubjectTree::treeKeepsTheLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("*A\r\n**B\r\n");
    QTest::newRow("CR, LF and CR LF mixed") << QByteArray("*A\r**B\n\r\n*C\r\r\n*D");
    QTest::newRow("empty lines") << QByteArray("\n\n*A\n\r");
    QTest::newRow("no final break") << QByteArray("*A");
    QTest::newRow("NUL ends the text") << QByteArray("*A\n*B\0\n*C", 10);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("Windows-1250") << Win1250::fromUnicode(QStringLiteral("*Árvíztűrő\r\n**tükörfúrógép"));
}

// The compact tree reads the lines exactly as the lookup-list reader does.
void tst_SubjectTree::treeKeepsTheLines()
{
    QFETCH(QByteArray, bytes);
    const QList<QByteArray> lines = TextFile::split8BitLines(bytes);
    const SubjectTree::Tree tree(bytes);
    QCOMPARE(tree.lineCount(), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(tree.line(i).toByteArray(), lines[i]);
        QCOMPARE(tree.subjectText(i), SubjectTree::subjectTextOf(lines[i]));
    }
}

void tst_SubjectTree::treeNests_data()
{
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<QString>("nesting");

    QTest::newRow("example") << QStringList{"*Alpha", "**Alpha one", "***Alpha one x", "**Alpha two", "*Beta"}
                             << "Alpha{Alpha one{Alpha one x},Alpha two},Beta";
    QTest::newRow("five levels, back to the top")
        << QStringList{"*A", "**B", "***C", "****D", "*****E", "******F", "*G"} << "A{B{C{D{E,*F}}}},G";
    QTest::newRow("separators and empty lines") << QStringList{"*-", "", "X-", "*a-"} << "|,,|,a-";
    QTest::newRow("stops at the orphan") << QStringList{"*A", "**B", "****C", "*D"} << "A{B}";
    QTest::newRow("first line too deep") << QStringList{"**A", "*B"} << "";
}

void tst_SubjectTree::treeNests()
{
    QFETCH(QStringList, file);
    QFETCH(QString, nesting);

    QList<QByteArray> lines;
    for (const QString& line : file)
        lines.append(Win1250::fromUnicode(line));
    const SubjectTree::Tree tree(TextFile::encode8Bit(file));
    QCOMPARE(::nesting(tree), nesting);
    const SubjectTree::Outline outline = SubjectTree::outline(lines);
    QCOMPARE(tree.orphanLine(), outline.orphanLine);
    QCOMPARE(tree.entryCount(), outline.entries.size());
    for (int i = 0; i < tree.entryCount(); ++i)
        QCOMPARE(tree.depth(i), outline.entries[i].depth);
}

QTEST_GUILESS_MAIN(tst_SubjectTree)
#include "tst_subjecttree.moc"
