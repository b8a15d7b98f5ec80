#include "CheckFixtures.h"

#include "core/check/BatchReplace.h"
#include "core/record/TextFile.h"
#include "core/session/EditingSession.h"

#include "TestSupport.h"

#include <QtTest>

namespace {

DatabaseDocument::Snapshot snapshotOf(const QStringList& lines)
{
    DatabaseDocument document;
    for (const QString& line : lines)
        document.appendLine(line);
    return document.snapshot();
}

QStringList rowsOf(const std::vector<BatchReplace::Row>& rows)
{
    QStringList out;
    for (const BatchReplace::Row& row : rows)
        out.append(row.recordName + u' ' + RecordLine::fieldCaption(RecordSchema::position(row.field)) +
                   u' ' + row.before + QStringLiteral(" -> ") + row.after +
                   (row.canApply() ? QString() : QStringLiteral(" !")));
    return out;
}

} // namespace

class TestBatchReplace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void regexWithGroups()
    {
        const DatabaseDocument::Snapshot document =
            snapshotOf({recordLine({{Field::Creator1, QStringLiteral("01Kovács János")}}),
                        recordLine({{Field::RecordName, QStringLiteral("Ka00000200")},
                                    {Field::Creator1, QStringLiteral("01Nagy Ede")}})});
        BatchReplace::Request request{Field::Creator1, QStringLiteral("^(\\w+) (\\w)\\w*$"), true,
                                      QStringLiteral("\\1 \\2.")};
        JobControl control;
        const auto rows = BatchReplace::preview(document, request, control);
        QCOMPARE(rowsOf(rows),
                 (QStringList{QStringLiteral("Ka00012300 1. alkotó 01Kovács János -> 01Kovács J."),
                              QStringLiteral("Ka00000200 1. alkotó 01Nagy Ede -> 01Nagy E.")}));
    }

    // A regular expression over every field finds what it finds in each
    // field alone, whether it looks around its match or not.
    void regexInEveryField_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char* tag, const char* pattern, QStringList rows) {
            QTest::newRow(tag) << QString::fromUtf8(pattern) << rows;
        };
        const QString publisher = QStringLiteral("Ka00012300 Kiadó Nádas Kiadó -> X");
        const QString note = QStringLiteral("Ka00012300 Megjegyzés Jegyzet -> X");
        row("plain", "(\\w+) Kiadó", {publisher});
        row("non-capturing group", "(?:Nádas|Pest) Kiadó", {publisher});
        row("whole field", "^Nádas Kiadó$", {publisher});
        row("field start", "^Jegy", {QStringLiteral("Ka00012300 Megjegyzés Jegyzet -> Xzet")});
        row("field end", "zet$", {QStringLiteral("Ka00012300 Megjegyzés Jegyzet -> JegyX")});
        row("word boundary", "\\bJegyzet\\b", {note});
        row("look-behind", "(?<!\\*)Jegyzet", {note});
        row("possessive", "Bud\\w++", {QStringLiteral("Ka00012300 Megjelenés helye Budapest -> X")});
        row("nowhere", "Kiadó\\*\\*", {});
    }
    void regexInEveryField()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, rows);
        const DatabaseDocument::Snapshot document = snapshotOf({recordLine()});
        JobControl control;
        QCOMPARE(rowsOf(BatchReplace::preview(document, {std::nullopt, pattern, true, QStringLiteral("X")},
                                              control)),
                 rows);
    }

    void everyFieldAndRefusals()
    {
        const DatabaseDocument::Snapshot document =
            snapshotOf({recordLine({{Field::Note, QStringLiteral("Nádas")}})});
        JobControl control;
        QCOMPARE(
            rowsOf(BatchReplace::preview(
                document, {std::nullopt, QStringLiteral("Nádas"), false, QStringLiteral("Sás")}, control)),
            (QStringList{QStringLiteral("Ka00012300 Kiadó Nádas Kiadó -> Sás Kiadó"),
                         QStringLiteral("Ka00012300 Megjegyzés Nádas -> Sás")}));
        QCOMPARE(
            rowsOf(BatchReplace::preview(
                document, {Field::Publisher, QStringLiteral(" "), false, QStringLiteral("**")}, control)),
            QStringList{QStringLiteral("Ka00012300 Kiadó Nádas Kiadó -> Nádas**Kiadó !")});
        QVERIFY(!BatchReplace::refusalFor(Field::Title, QStringLiteral("a\nb")).isEmpty());
        QVERIFY(!BatchReplace::refusalFor(Field::Title, QStringLiteral("ab*")).isEmpty());
        QVERIFY(BatchReplace::refusalFor(Field::Title, QStringLiteral("a*b")).isEmpty());
        QVERIFY(!BatchReplace::problem({std::nullopt, QStringLiteral("("), true, {}}).isEmpty());
        QVERIFY(!BatchReplace::problem({std::nullopt, QString(), false, {}}).isEmpty());
    }

    // Only the lines of the last search, when asked.
    void onlyListedLines()
    {
        const DatabaseDocument::Snapshot document = snapshotOf({recordLine(), recordLine(), recordLine()});
        const std::vector<int> only{2};
        JobControl control;
        const auto rows = BatchReplace::preview(
            document, {Field::Place, QStringLiteral("Buda"), false, QStringLiteral("Ó")}, control, &only);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows.front().line, 2);
    }

    // An unticked and a refused row stay as they were; the replace is one
    // step, and undone it gives the file back byte for byte.
    void applyThenUndo()
    {
        TempWorkDir dir;
        const QString path = dir.file(QStringLiteral("db.rtf"));
        TextFile::writeUnicode(path,
                               {recordLine({{Field::Publisher, QStringLiteral("Nádas x kiadó")}}),
                                recordLine({{Field::Publisher, QStringLiteral("Sás x kiadó")}}),
                                recordLine({{Field::Publisher, QStringLiteral("Híd x")}}), recordLine()});
        const QByteArray before = dir.readBytes(QStringLiteral("db.rtf"));
        EditingSession session;
        session.open(path);
        JobControl control;
        std::vector<BatchReplace::Row> rows = BatchReplace::preview(
            session.document().snapshot(),
            {Field::Publisher, QStringLiteral("x"), false, QStringLiteral("*")}, control);
        QCOMPARE(rowsOf(rows), (QStringList{QStringLiteral("Ka00012300 Kiadó Nádas x kiadó -> Nádas * kiadó"),
                                            QStringLiteral("Ka00012300 Kiadó Sás x kiadó -> Sás * kiadó"),
                                            QStringLiteral("Ka00012300 Kiadó Híd x -> Híd * !")}));
        rows.erase(rows.begin() + 1); // the user unticked it
        session.replaceLines(BatchReplace::changes(session.document(), rows));
        QCOMPARE(RecordLine::split(session.document().line(0)).at(9), QStringLiteral("Nádas * kiadó"));
        QCOMPARE(RecordLine::split(session.document().line(1)).at(9), QStringLiteral("Sás x kiadó"));
        QCOMPARE(RecordLine::split(session.document().line(2)).at(9), QStringLiteral("Híd x"));
        QVERIFY(session.document().isModified());
        session.saveDocument();
        session.undo();
        QCOMPARE(session.document().encode(), before);
        session.saveDocument();
        QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);
    }
};

QTEST_GUILESS_MAIN(TestBatchReplace)
#include "tst_batchreplace.moc"
