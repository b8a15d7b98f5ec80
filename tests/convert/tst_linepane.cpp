#include "ui/convert/LinePane.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

class TestLinePane : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheLinesItIsGiven();
    void selectsAndCopiesWholeLines();
    void scrollsToTheLastLine();
};

void TestLinePane::holdsTheLinesItIsGiven()
{
    LinePane pane;
    const QStringList lines{QStringLiteral("első"), QString(), QStringLiteral("harmadik")};
    pane.setLines(lines);
    QCOMPARE(pane.lines(), lines);
    QCOMPARE(pane.toPlainText(), QStringLiteral("első\n\nharmadik"));
    pane.clear();
    QCOMPARE(pane.toPlainText(), QString());
}

void TestLinePane::selectsAndCopiesWholeLines()
{
    LinePane pane;
    pane.resize(300, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.setLines({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    const int height = QFontMetrics(pane.font()).lineSpacing();
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(10, height + height / 2));
    QTest::keyClick(&pane, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(pane.selectionStart(), 1);
    QCOMPARE(pane.selectionEnd(), 2);
    QTest::keySequence(&pane, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b\nc"));
    QTest::keySequence(&pane, QKeySequence::SelectAll);
    pane.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\nb\nc\nd"));
}

void TestLinePane::scrollsToTheLastLine()
{
    LinePane pane;
    pane.resize(300, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QStringList lines;
    for (int i = 0; i < 1000; ++i)
        lines.append(QString::number(i) + QString(i == 500 ? 400 : 5, u'x'));
    pane.setLines(lines);
    QVERIFY(pane.horizontalScrollBar()->maximum() > 0);
    QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pane.selectionEnd(), 999);
    QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
}

QTEST_MAIN(TestLinePane)
#include "tst_linepane.moc"
