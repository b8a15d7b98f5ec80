// The database document: reading every kind of file, the line table with its
// edits, the record-name list, and saving that never leaves a broken file.

#include "TestSupport.h"

#include "core/record/DatabaseDocument.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordForm.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QDir>
#include <QtTest>

namespace {

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray out;
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF);
        const char hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi).append(littleEndian ? hi : lo);
    }
    return out;
}

} // namespace

class tst_DatabaseDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsEveryKindOfFile_data();
    void readsEveryKindOfFile();
    void editsAndRecordNames();
    void saveWritesWhatWasLoaded();
    void failuresChangeNothing();
    void rtfRule_data();
    void rtfRule();
    void formRoundTrip_data();
    void formRoundTrip();
};

void tst_DatabaseDocument::readsEveryKindOfFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    const QString text = QStringLiteral("Ka1**Ő\r\nLu2\rNo3\nSi4\u2028Ze5\r\n");
    const QStringList five = {"Ka1**Ő", "Lu2", "No3", "Si4", "Ze5"};
    QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE", 2) + utf16(text, true) << five;
    QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF", 2) + utf16(text, false) << five;
    QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << five;
    QTest::newRow("8-bit") << Win1250::fromUnicode(QString(text).remove(u'\u2028'))
                           << QStringList{"Ka1**Ő", "Lu2", "No3", "Si4Ze5"};
    QTest::newRow("mark only") << QByteArray("\xFF\xFE", 2) << QStringList{};
    QTest::newRow("no final break") << QByteArray("\xFF\xFE", 2) + utf16("a\r\nb", true)
                                    << QStringList{"a", "b"};
    QTest::newRow("two final breaks")
        << QByteArray("\xFF\xFE", 2) + utf16("a\r\n\r\n", true) << QStringList{"a", ""};
    // A UTF-16 file of an odd number of bytes is cut short: tst_databaseformat
    // has it refused.
}

void tst_DatabaseDocument::readsEveryKindOfFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    TempWorkDir dir;
    dir.writeBytes("db.rtf", bytes);
    DatabaseDocument document;
    document.load(dir.file("db.rtf"));
    QCOMPARE(document.lines(), lines);
    QCOMPARE(document.lineCount(), lines.size());
    QCOMPARE(document.path(), dir.file("db.rtf"));
    QVERIFY(!document.isModified());
    QVERIFY(document.hasFile());
}

void tst_DatabaseDocument::editsAndRecordNames()
{
    TempWorkDir dir;
    dir.writeBytes("db.rtf", TextFile::encodeUnicode({"Ka00000100**a", "Lu0000020a**b", "Görög Ωμέγα"}));
    DatabaseDocument document;
    document.load(dir.file("db.rtf"));
    document.rebuildRecordNames();
    QCOMPARE(document.recordName(2), QByteArrayView(Win1250::fromUnicode(u"Görög ??μ?")));

    document.replaceLine(1, "No00000300**c");
    document.appendLine("Si00000400**d");
    document.removeLine(0);
    QVERIFY(document.isModified());
    QCOMPARE(document.lines(), (QStringList{"No00000300**c", "Görög Ωμέγα", "Si00000400**d"}));
    // The list is a snapshot until it is rebuilt.
    QCOMPARE(document.recordNameCount(), 3);
    QCOMPARE(document.recordName(0), QByteArrayView("Ka00000100"));
    document.rebuildRecordNames();
    QCOMPARE(document.recordName(0), QByteArrayView("No00000300"));
    QCOMPARE(document.recordName(2), QByteArrayView("Si00000400"));
    QCOMPARE(document.recordName(3), QByteArrayView());
    QCOMPARE(document.plainText(), "No00000300**c\nGörög Ωμέγα\nSi00000400**d");

    // Lines come back at any position, the end included; a position past it changes nothing.
    document.insertLine(0, "Ka00000100**a");
    document.insertLine(4, "Vu00000500**e");
    document.insertLine(6, "kívül");
    document.insertLine(-1, "kívül");
    QCOMPARE(document.lines(), (QStringList{"Ka00000100**a", "No00000300**c", "Görög Ωμέγα", "Si00000400**d",
                                            "Vu00000500**e"}));
    document.setModified(false);
    QVERIFY(!document.isModified());
    QCOMPARE(document.encode(), TextFile::encodeUnicode(document.lines()));
}

void tst_DatabaseDocument::saveWritesWhatWasLoaded()
{
    TempWorkDir dir;
    const QStringList lines = {"Ka00000100**a", QString(), QStringLiteral("Ő \U0001F600 \u2029")};
    dir.writeBytes("db.rtf", TextFile::encodeUnicode(lines));
    DatabaseDocument document;
    document.load(dir.file("db.rtf"));
    document.markModified();
    QCOMPARE(document.save(), dir.file("db.rtf"));
    QVERIFY(!document.isModified());
    QCOMPARE(dir.readBytes("db.rtf"), TextFile::encodeUnicode(lines));

    document.appendLine("új");
    QCOMPARE(document.saveAs(dir.file("masik")), dir.file("masik.rtf"));
    QCOMPARE(dir.readBytes("masik.rtf"), TextFile::encodeUnicode(lines + QStringList{"új"}));
    QCOMPARE(document.path(), dir.file("db.rtf"));

    QCOMPARE(DatabaseDocument::createEmptyFile(dir.file("ures")), dir.file("ures.rtf"));
    QCOMPARE(dir.readBytes("ures.rtf"), QByteArray("\xFF\xFE", 2));
}

void tst_DatabaseDocument::failuresChangeNothing()
{
    TempWorkDir dir;
    dir.writeBytes("db.rtf", TextFile::encodeUnicode({"Ka00000100**a"}));
    QDir(dir.path()).mkdir("mappa.rtf");
    DatabaseDocument document;
    document.load(dir.file("db.rtf"));
    document.appendLine("Lu00000200**b");

    QVERIFY_THROWS_EXCEPTION(NorlaError, document.load(dir.file("nincs.rtf")));
    QCOMPARE(document.lineCount(), 2);
    QCOMPARE(document.path(), dir.file("db.rtf"));
    QVERIFY(document.isModified());

    for (const QString& target : {dir.file("mappa.rtf"), dir.file("db.rtf/alatta.rtf")}) {
        try {
            document.saveAs(target);
            QFAIL("the save should have failed");
        } catch (const NorlaError& error) {
            QCOMPARE(error.message(), cannotCreateFile(target));
        }
        QVERIFY(document.isModified());
    }
    QCOMPARE(dir.readBytes("db.rtf"), TextFile::encodeUnicode({"Ka00000100**a"}));
}

void tst_DatabaseDocument::rtfRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("x") << "x"
                       << "x.rtf";
    QTest::newRow("x.rtf") << "x.rtf"
                           << "x.rtf";
    QTest::newRow("X.RTF") << "X.RTF"
                           << "X.RTF.rtf";
    QTest::newRow("x.txt") << "x.txt"
                           << "x.txt.rtf";
    QTest::newRow("a.rtf.bak") << "a.rtf.bak"
                               << "a.rtf.bak";
}

void tst_DatabaseDocument::rtfRule()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(DatabaseDocument::withRtfExtension(chosen), written);
}

// Decoding a line for the editor and encoding the form back.
void tst_DatabaseDocument::formRoundTrip_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("check"); // "field=value" pairs of the decoded form, ";" between
    QTest::addColumn<QString>("encoded");

    const QString example =
        QStringLiteral("Ka00012300**könyv**Példa tárgykör**01Példa Szerző**02**03**04**A példa "
                       "címe**Példa sorozat**Példa Kiadó**3**1998**123 p.**Budapest**Példa "
                       "megjegyzés****0**latin**papír");
    QTest::newRow("the example") << example << "name=Ka00012300;creator1=Példa Szerző;role2=02;language=latin"
                                 << example;
    QTest::newRow("name and type only") << "Ka00012300**könyv"
                                        << "type=könyv;translation=1;medium=;title="
                                        << "Ka00012300**könyv****01**01**01**01********************1****";
    QTest::newRow("old role code") << "Ka1**x**s**0cPélda Név**02"
                                   << "name=Ka1**x**s*;role1=0c;creator1=Példa Név;creator2="
                                   << "Ka1**x**s**0cPélda Név**02**01**01********************1****";
    QTest::newRow("language starting with *") << "Ka**t******************************0***x**CD-ROM"
                                              << "language=;medium=CD-ROM;translation=0"
                                              << "";
    QTest::newRow("Greek title, 8-bit link") << "Ka**t************Ωμέγα****************Ωlink"
                                             << "title=Ωμέγα;link=?link"
                                             << "";
}

void tst_DatabaseDocument::formRoundTrip()
{
    QFETCH(QString, line);
    QFETCH(QString, check);
    QFETCH(QString, encoded);

    const RecordForm form = RecordForm::fromLine(line);
    const QMap<QString, QString> values = {
        {"name", form.name},
        {"type", form.recordType},
        {"creator1", form.creatorNames[0]},
        {"creator2", form.creatorNames[1]},
        {"role1", form.roleCodes[0]},
        {"role2", form.roleCodes[1]},
        {"title", form.texts[0]},
        {"link", form.link},
        {"language", form.language},
        {"medium", form.medium},
        {"translation", form.translation ? "1" : "0"},
    };
    for (const QString& pair : check.split(';')) {
        const QString key = pair.section('=', 0, 0);
        QVERIFY2(values.contains(key), qPrintable(key));
        QCOMPARE(values[key], pair.section('=', 1));
    }
    if (encoded.isEmpty())
        return;
    RecordForm written = form;
    for (QString& code : written.roleCodes)
        if (code.size() != 2)
            code = QStringLiteral("01");
    QCOMPARE(written.toLine(line.section(QStringLiteral("**"), 0, 0)), encoded);
}

QTEST_GUILESS_MAIN(tst_DatabaseDocument)
#include "tst_databasedocument.moc"
