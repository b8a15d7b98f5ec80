// Reading a database beside the user interface: the lines and record names
// found piece by piece match a whole-file read, wherever a piece ends; a
// cancelled or failed read leaves the open document as it was.

#include "TestSupport.h"

#include "core/record/DatabaseDocument.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/session/DatabaseReadJob.h"

#include <QtTest>

namespace {

// The reader takes files in pieces of this many bytes.
constexpr qsizetype PieceBytes = qsizetype(4) << 20;

// A UTF-16LE database whose first line ends with `lineEnd` so that the end's
// first unit is the last unit of the first piece.
QByteArray fileWithEndAtPieceBoundary(const QString& lineEnd)
{
    const qsizetype lastUnitOfPiece = (PieceBytes - 2) / 2 - 1;
    QString text = QStringLiteral("Ka00000100**");
    text += QString(lastUnitOfPiece - text.size(), u'x');
    text += lineEnd + QStringLiteral("Lu00000200**b") + lineEnd + QStringLiteral("Ze00000300");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

} // namespace

class tst_DatabaseRead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readMatchesWholeFileRead_data();
    void readMatchesWholeFileRead();
    void cancelledReadKeepsTheDocument();
    void jobReportsFailureAndStop();
};

void tst_DatabaseRead::readMatchesWholeFileRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF split by a piece end") << fileWithEndAtPieceBoundary(QStringLiteral("\r\n"));
    QTest::newRow("lone CR at a piece end") << fileWithEndAtPieceBoundary(QStringLiteral("\r"));
    QTest::newRow("LF at a piece end") << fileWithEndAtPieceBoundary(QStringLiteral("\n"));
    QTest::newRow("U+2028 at a piece end") << fileWithEndAtPieceBoundary(QString(QChar(0x2028)));
    QTest::newRow("empty lines and a final break")
        << TextFile::encodeUnicode({QStringLiteral("Ka00000100**a"), {}, QStringLiteral("Görög Ωμέγα"), {}});
    QTest::newRow("control characters that end no line") << TextFile::encodeUnicode(
        {QStringLiteral("Ka00000100**") + QString(40, u'y') + QStringLiteral("\t\v\f") + QChar(0) +
             QChar(0x2029) + QChar(0x0D0A) + QString(40, u'z'),
         QStringLiteral("Lu\t0000200")});
    QTest::newRow("mark alone") << QByteArray("\xFF\xFE");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBFKa00000100**\xC5\x91\r\nLu");
    QTest::newRow("8-bit") << QByteArray("Ka00000100**\xF5\rLu00000200\n");
    QTest::newRow("big endian") << QByteArray("\xFE\xFF\0a\0\r\0\n\0b", 10);
}

void tst_DatabaseRead::readMatchesWholeFileRead()
{
    QFETCH(QByteArray, bytes);
    TempWorkDir dir;
    dir.writeBytes(QStringLiteral("db.rtf"), bytes);
    DatabaseDocument document;
    document.adopt(dir.file(QStringLiteral("db.rtf")),
                   DatabaseDocument::read(dir.file(QStringLiteral("db.rtf"))));

    const QStringList expected = TextFile::decodeUnicode(bytes);
    QCOMPARE(document.lineCount(), expected.size());
    QVERIFY(document.lines() == expected);
    QCOMPARE(document.recordNameCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(document.recordName(i).toByteArray(), Win1250::fromUnicode(expected[i].left(10)));
}

void tst_DatabaseRead::cancelledReadKeepsTheDocument()
{
    TempWorkDir dir;
    dir.writeBytes(QStringLiteral("a.rtf"), TextFile::encodeUnicode({QStringLiteral("Ka00000100**a")}));
    dir.writeBytes(QStringLiteral("b.rtf"), fileWithEndAtPieceBoundary(QStringLiteral("\r\n")));
    DatabaseDocument document;
    document.load(dir.file(QStringLiteral("a.rtf")));
    int asked = 0;
    JobControl control;
    control.setCheckpoint([&] {
        if (++asked > 1)
            control.requestStop();
    });
    QVERIFY_THROWS_EXCEPTION(OperationCancelled,
                             DatabaseDocument::read(dir.file(QStringLiteral("b.rtf")), control));
    QCOMPARE(asked, 2);
    QCOMPARE(document.path(), dir.file(QStringLiteral("a.rtf")));
    QCOMPARE(document.lines(), QStringList{QStringLiteral("Ka00000100**a")});
}

void tst_DatabaseRead::jobReportsFailureAndStop()
{
    TempWorkDir dir;
    dir.writeBytes(QStringLiteral("a.rtf"), TextFile::encodeUnicode({QStringLiteral("Ka00000100**a")}));

    DatabaseReadJob missing(dir.file(QStringLiteral("nincs.rtf")));
    missing.run(JobControl::none());
    QCOMPARE(missing.errorMessage(), cannotOpenFile(dir.file(QStringLiteral("nincs.rtf"))));
    QCOMPARE(missing.takeContents().lineCount(), 0);

    // Stopped: no failure and nothing read.
    DatabaseReadJob stopped(dir.file(QStringLiteral("a.rtf")));
    JobControl control;
    control.requestStop();
    stopped.run(control);
    QVERIFY(stopped.errorMessage().isEmpty());
    QCOMPARE(stopped.takeContents().lineCount(), 0);

    DatabaseReadJob read(dir.file(QStringLiteral("a.rtf")));
    read.run(JobControl::none());
    QVERIFY(read.errorMessage().isEmpty());
    QCOMPARE(read.takeContents().lineCount(), 1);
}

QTEST_GUILESS_MAIN(tst_DatabaseRead)
#include "tst_databaseread.moc"
