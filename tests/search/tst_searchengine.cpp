#include "SearchFixtures.h"
#include "TestSupport.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/search/ChunkText.h"
#include "core/search/HitEntry.h"
#include "core/search/RecordMatcher.h"
#include "core/search/RecordView.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using Kind = SearchCriteria::MatchKind;

namespace {

SearchCriteria oneTerm(const QString& term, std::initializer_list<int> fields = {})
{
    SearchCriteria c;
    c.term = term;
    if (fields.size()) {
        c.termFields.fill(false);
        for (int f : fields)
            c.termFields[f] = true;
    }
    return c;
}

QStringList search(const SearchCriteria& criteria, const QList<QByteArray>& roles = {}, int threads = 0)
{
    SearchEngine engine(criteria, roles);
    engine.setThreadCount(threads);
    CollectingSink sink;
    engine.run(QDir::currentPath(), sink);
    return sink.names;
}

const QList<QByteArray> kRoles = {Win1250::fromUnicode(u"Szerző"), Win1250::fromUnicode(u"Szerkesztő"),
                                  Win1250::fromUnicode(u"Fordító"), Win1250::fromUnicode(u"Bevezetést írta")};

// Term field indices (cb21 … cb32).
enum
{
    Subject = 0,
    Creator = 1,
    Title = 2
};

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void viewDecodingEqualsFieldGrid_data()
    {
        QTest::addColumn<QByteArray>("line");
        Rec full;
        full.subject = QStringLiteral("Tárgy");
        full.creators = {QStringLiteral("01Kovács Ödön"), QStringLiteral("02"), QStringLiteral(""),
                         QStringLiteral("0cNagy")};
        full.title = QStringLiteral("Cím");
        QTest::newRow("full") << Win1250::fromUnicode(full.line());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short name") << QByteArray("Ka01**k");
        QTest::newRow("one char") << QByteArray("K");
        QTest::newRow("trailing star") << QByteArray("Ka00012300**t*");
        QTest::newRow("stars") << QByteArray("Ka00012300****01a***02bb**03***");
        QTest::newRow("too few separators") << QByteArray("Vu00000100**cikk**s**01x");
        QTest::newRow("nineteenth separator") << QByteArray(
            "Ma00000100**1**2**3**4**5**6**7**8**9**10**11**12**13**14**15**16**17**18**19**20");
        QByteArray longLine =
            "Ka00012300**" + QByteArray(4990, 'x') + "**01Kovacs**" + QByteArray(30, 'y') + "**z";
        QTest::newRow("cut at 5000") << longLine;
        QByteArray longName = QByteArray(6000, 'n') + "**type**" + QByteArray(5100, 's') + "**02Ab";
        QTest::newRow("long first field") << longName;
    }
    void viewDecodingEqualsFieldGrid()
    {
        QFETCH(QByteArray, line);
        RecordView view;
        const QByteArray padded = line + "**";
        view.decode(padded);
        const FieldGrid expected = FieldGrid::decode(line);
        for (int row = 0; row < FieldGrid::RowCount; ++row)
            QCOMPARE(view.row(row).toByteArray(), expected[row]);
    }

    void randomLinesDecodeLikeTheReferencePath()
    {
        // Lines full of separators, stars, accents, characters the code page
        // lacks and every kind of line break, in all four encodings.
        const char16_t alphabet[] = {u'*',  u'*',  u'*',   u'a', u'K', u'0', u'1',   u'é',  u'ő', u'Ω',
                                     u'\r', u'\n', 0x2028, u' ', u'?', 0,    0xD83D, u'\t', u'x'};
        QRandomGenerator random(1234);
        for (int round = 0; round < 300; ++round) {
            QString text;
            const int length = int(random.bounded(400));
            for (int i = 0; i < length; ++i)
                text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
            QByteArray file = TextFile::encodeUnicode({text});
            if (round % 3 == 1)
                file.chop(4); // no final line break
            if (round % 5 == 2)
                file.append('\x41'); // a dangling odd byte
            const QStringList expected = TextFile::decodeUnicode(file);

            QByteArray storage;
            const ChunkText::LineReader reader(ChunkText::utf16Body(file, storage));
            ChunkText::LineBuffer buffer;
            QList<QByteArray> lines;
            for (qsizetype start = 0; start < reader.unitCount();) {
                const qsizetype end = reader.convertLine(start, buffer);
                lines.append(buffer.view().toByteArray());
                start = reader.nextLineStart(end);
            }
            QCOMPARE(lines.size(), expected.size());
            for (int i = 0; i < lines.size(); ++i)
                QCOMPARE(lines[i], Win1250::fromUnicode(expected[i]));

            // Every unit finds the start of its own line.
            qsizetype lineStart = 0;
            for (qsizetype at = 0; at < reader.unitCount(); ++at) {
                QCOMPARE(reader.lineStartBefore(at, 0), lineStart);
                if (ChunkText::isLineBreak(reader.unit(at)))
                    lineStart = at + 1;
            }
            // The needle search finds what a plain search of the text finds.
            const QString body = TextFile::decodeUnicodeToString(file);
            const QString wanted = body.mid(int(random.bounded(qMax(1, int(body.size())))), 3);
            const QByteArray wanted8 = Win1250::fromUnicode(wanted);
            if (!wanted8.contains('?') && !wanted.isEmpty()) {
                const ChunkText::Needle needle(wanted8);
                for (qsizetype from = 0; from < body.size(); from += 7)
                    QCOMPARE(reader.find(needle, from), qsizetype(body.indexOf(wanted, from)));
            }
        }
    }

    void fieldChoicesDecide()
    {
        TempWorkDir dir;
        Rec inTitle;
        inTitle.name = QStringLiteral("Ka00000100");
        inTitle.title = QStringLiteral("Kovács élete");
        Rec asCreator;
        asCreator.name = QStringLiteral("Ka00000200");
        asCreator.creators[0] = QStringLiteral("01Kovács Ödön");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {inTitle.line(), asCreator.line()});

        QCOMPARE(search(oneTerm(QStringLiteral("Kovács"), {Title})),
                 QStringList{QStringLiteral("Ka00000100")});
        QCOMPARE(search(oneTerm(QStringLiteral("Kovács"), {Title, Creator})),
                 (QStringList{QStringLiteral("Ka00000100"), QStringLiteral("Ka00000200")}));
        QCOMPARE(search(oneTerm(QStringLiteral("kovács"))), QStringList());
        QCOMPARE(search(oneTerm(QStringLiteral("ovác"))).size(), 2);
        QCOMPARE(search(oneTerm(QStringLiteral("01"), {Creator})), QStringList{QStringLiteral("Ka00000200")});
        SearchCriteria none = oneTerm(QStringLiteral("Kovács"));
        none.termFields.fill(false);
        QCOMPARE(search(none), QStringList());
    }

    void restrictions_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QString a = QStringLiteral("Ka00000100"), b = QStringLiteral("Lu00000200"),
                      c = QStringLiteral("Ka00000300");
        QTest::newRow("volume") << 1 << QStringLiteral("Kardel") << QStringList{a, c};
        QTest::newRow("record type") << 2 << QStringLiteral("cikk") << QStringList{b};
        QTest::newRow("creator") << 3 << QStringLiteral("Nagy") << QStringList{b};
        QTest::newRow("role by name") << 4 << QStringLiteral("Fordító") << QStringList{b};
        QTest::newRow("unknown code names the first role")
            << 4 << QStringLiteral("Szerző") << QStringList{a, c};
        QTest::newRow("publisher") << 5 << QStringLiteral("Akadémiai") << QStringList{a};
        QTest::newRow("place") << 6 << QStringLiteral("Szeged") << QStringList{c};
        QTest::newRow("medium") << 7 << QStringLiteral("CD") << QStringList{b};
        QTest::newRow("language") << 8 << QStringLiteral("latin") << QStringList{a, c};
        QTest::newRow("unchecked or empty takes no part") << 0 << QString() << QStringList{a, b, c};
    }
    void restrictions()
    {
        QFETCH(int, tag);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        TempWorkDir dir;
        Rec a;
        a.name = QStringLiteral("Ka00000100");
        a.creators[0] = QStringLiteral("0zKovács"); // unknown code: the first role
        a.publisher = QStringLiteral("Akadémiai Kiadó");
        a.place = QStringLiteral("Budapest");
        a.language = QStringLiteral("latin");
        Rec b;
        b.name = QStringLiteral("Lu00000200");
        b.type = QStringLiteral("cikk gyűjt. kötetben");
        b.creators = {QStringLiteral("01"), QStringLiteral("03Nagy Ilona"), QStringLiteral("03"), QString()};
        b.medium = QStringLiteral("CD-ROM");
        Rec c = a;
        c.name = QStringLiteral("Ka00000300");
        c.creators[0] = QStringLiteral("01Szabó");
        c.publisher = QString();
        c.place = QStringLiteral("Szeged");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {a.line(), b.line(), c.line()});

        // With no term the term field choices do not matter.
        SearchCriteria criteria;
        criteria.termFields.fill(false);
        if (tag > 0) {
            criteria.restrictions[tag - 1] = {true, text};
        } else {
            criteria.restrictions[0] = {false, QStringLiteral("Lunvek")};
            criteria.restrictions[1] = {true, QString()};
        }
        QCOMPARE(search(criteria, kRoles), expected);
    }

    void roleRestrictionWithoutRoleListFindsNothing()
    {
        TempWorkDir dir;
        Rec a;
        a.creators[0] = QStringLiteral("01Kovács");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {a.line()});
        SearchCriteria criteria;
        criteria.restrictions[SearchCriteria::Role] = {true, QStringLiteral("Szerző")};
        QCOMPARE(search(criteria, {}), QStringList());
    }

    void translationFlag_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("igen") << true << QStringList{QStringLiteral("Ka00000100")};
        QTest::newRow("nem") << false
                             << QStringList{QStringLiteral("Ka00000200"), QStringLiteral("Ka00000300"),
                                            QStringLiteral("Ka00000400")};
    }
    void translationFlag()
    {
        QFETCH(bool, yes);
        QFETCH(QStringList, expected);
        TempWorkDir dir;
        QStringList lines;
        const QStringList flags = {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("x"), QString()};
        for (int i = 0; i < flags.size(); ++i) {
            Rec r;
            r.name = QStringLiteral("Ka0000%1").arg(i + 1, 2, 10, QLatin1Char('0')) + QStringLiteral("00");
            r.translated = flags[i];
            lines.append(r.line());
        }
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), lines);
        SearchCriteria criteria;
        criteria.restrictions[SearchCriteria::Volume] = {true, QStringLiteral("Kardel")};
        criteria.translationChecked = true;
        criteria.translationYes = yes;
        QCOMPARE(search(criteria), expected);
    }

    void severalTerms_data()
    {
        QTest::addColumn<QStringList>("terms");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("expected");
        const QString both = QStringLiteral("Ka00000100"), first = QStringLiteral("Ka00000200"),
                      second = QStringLiteral("Ka00000300");
        QTest::newRow("és") << QStringList{QStringLiteral("Petőfi"), QStringLiteral("Arany")} << true
                            << QStringList{both};
        QTest::newRow("vagy") << QStringList{QStringLiteral("Petőfi"), QStringLiteral("Arany")} << false
                              << QStringList{both, first, second};
        QTest::newRow("és with a missing term")
            << QStringList{QStringLiteral("Petőfi"), QStringLiteral("Jókai")} << true << QStringList();
        QTest::newRow("vagy with a missing term")
            << QStringList{QStringLiteral("Jókai"), QStringLiteral("Arany")} << false
            << QStringList{both, second};
    }
    void severalTerms()
    {
        QFETCH(QStringList, terms);
        QFETCH(bool, all);
        QFETCH(QStringList, expected);
        TempWorkDir dir;
        Rec both, first, second, neither;
        both.name = QStringLiteral("Ka00000100");
        both.title = QStringLiteral("Petőfi");
        both.subject = QStringLiteral("Arany"); // the terms may be found in different fields
        first.name = QStringLiteral("Ka00000200");
        first.title = QStringLiteral("Petőfi");
        second.name = QStringLiteral("Ka00000300");
        second.creators[0] = QStringLiteral("01Arany János");
        neither.name = QStringLiteral("Ka00000400");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"),
                   {both.line(), first.line(), second.line(), neither.line()});
        SearchCriteria criteria;
        criteria.mode = SearchCriteria::Mode::SeveralTerms;
        criteria.term = QStringLiteral("ignored in this mode");
        criteria.terms = terms;
        criteria.connective = all ? SearchCriteria::Connective::And : SearchCriteria::Connective::Or;
        QCOMPARE(search(criteria), expected);
    }

    void wordMatch_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("creator");
        QTest::addColumn<QString>("term");
        QTest::addColumn<bool>("asWord");
        QTest::addColumn<bool>("asFragment");
        QTest::newRow("alone") << QStringLiteral("Kovács") << QString() << QStringLiteral("Kovács") << true
                               << true;
        QTest::newRow("between punctuation")
            << QStringLiteral("(Kovács-Nagy)") << QString() << QStringLiteral("Kovács") << true << true;
        QTest::newRow("inside a word")
            << QStringLiteral("Kovácsné") << QString() << QStringLiteral("Kovács") << false << true;
        QTest::newRow("accented letter after")
            << QStringLiteral("Kovácsé") << QString() << QStringLiteral("Kovács") << false << true;
        QTest::newRow("accented letter before")
            << QStringLiteral("Őkovács") << QString() << QStringLiteral("kovács") << false << true;
        QTest::newRow("digit after") << QStringLiteral("1848as") << QString() << QStringLiteral("1848")
                                     << false << true;
        QTest::newRow("later occurrence is a word")
            << QStringLiteral("Kovácsné és Kovács") << QString() << QStringLiteral("Kovács") << true << true;
        QTest::newRow("creator name after its role code")
            << QString() << QStringLiteral("01Kovács Ödön") << QStringLiteral("Kovács") << true << true;
        QTest::newRow("creator name before the separator")
            << QString() << QStringLiteral("01Kovács Ödön") << QStringLiteral("Ödön") << true << true;
        QTest::newRow("role code is no word of the name")
            << QString() << QStringLiteral("01Kovács Ödön") << QStringLiteral("01") << false << true;
        QTest::newRow("creator inside a name")
            << QString() << QStringLiteral("01Kovácsné Ödön") << QStringLiteral("Kovács") << false << true;
    }
    void wordMatch()
    {
        QFETCH(QString, title);
        QFETCH(QString, creator);
        QFETCH(QString, term);
        QFETCH(bool, asWord);
        QFETCH(bool, asFragment);
        TempWorkDir dir;
        Rec r;
        r.title = title;
        if (!creator.isEmpty())
            r.creators[0] = creator;
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {r.line()});
        SearchCriteria criteria = oneTerm(term);
        criteria.matchKind = Kind::Word;
        QCOMPARE(search(criteria).size(), asWord ? 1 : 0);
        criteria.matchKind = Kind::Fragment;
        QCOMPARE(search(criteria).size(), asFragment ? 1 : 0);
    }

    void visitingOrderIgnoresCaseAndNumbers()
    {
        TempWorkDir dir;
        const QStringList files = {QStringLiteral("adatb2.ztf"), QStringLiteral("adatb10.ztf"),
                                   QStringLiteral("adatb1.ztf"), QStringLiteral("ADATB11.ZTF")};
        for (const QString& file : files) {
            Rec r;
            r.name = QStringLiteral("Ka00000100");
            r.title = file;
            writeChunk(dir.path(), file, {r.line()});
        }
        const QStringList order = SearchEngine::chunkFiles(dir.path());
        QStringList names;
        for (const QString& path : order)
            names.append(QFileInfo(path).fileName());
        QCOMPARE(names, (QStringList{QStringLiteral("adatb1.ztf"), QStringLiteral("adatb10.ztf"),
                                     QStringLiteral("ADATB11.ZTF"), QStringLiteral("adatb2.ztf")}));

        SearchEngine engine(oneTerm(QStringLiteral("ztf"), {Title}), {});
        CollectingSink sink;
        engine.run(dir.path(), sink);
        QVERIFY(sink.text.indexOf(QStringLiteral("adatb10.ztf")) <
                sink.text.indexOf(QStringLiteral("adatb2.ztf")));
    }

    void hitsBeyondTheResultLimitAreCountedAndListed()
    {
        TempWorkDir dir;
        for (int file = 1; file <= 2; ++file) {
            QStringList lines;
            for (int i = 0; i < 310; ++i) {
                Rec r;
                r.name = QStringLiteral("Ka%1%2")
                             .arg(file * 1000 + i, 6, 10, QLatin1Char('0'))
                             .arg(QStringLiteral("00"));
                r.title = QStringLiteral("Találat");
                lines.append(r.line());
            }
            writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(file), lines);
        }
        SearchEngine engine(oneTerm(QStringLiteral("Találat")), {});
        CollectingSink sink;
        QCOMPARE(engine.run(dir.path(), sink), 620);
        QCOMPARE(sink.names.size(), 620);
        QCOMPARE(sink.entries, 499);
        QCOMPARE(sink.text.count(QStringLiteral("Kardel - ")), 499);
        QVERIFY(sink.text.contains(QStringLiteral("Kardel - 2188 -")));  // the 499th hit
        QVERIFY(!sink.text.contains(QStringLiteral("Kardel - 2189 -"))); // the 500th
    }

    void outputDoesNotDependOnThreadsOrShortcuts()
    {
        // Many chunks with lines that hold a term only in fields outside the
        // choice, or only as part of a longer word: the shortcut over the raw
        // text must still give exactly the hits of testing every line.
        TempWorkDir dir;
        QRandomGenerator random(99);
        const QStringList words = {QStringLiteral("Kovács"),   QStringLiteral("kovács"),
                                   QStringLiteral("Kovácsné"), QStringLiteral("Ödön"),
                                   QStringLiteral("Szeged"),   QStringLiteral("Ω")};
        for (int file = 1; file <= 12; ++file) {
            QStringList lines;
            for (int i = 0; i < 150; ++i) {
                Rec r;
                r.name = QStringLiteral("%1%2%3")
                             .arg(i % 3 ? QStringLiteral("Ka") : QStringLiteral("Lu"))
                             .arg(file * 1000 + i, 6, 10, QLatin1Char('0'))
                             .arg(QStringLiteral("00"));
                r.translated = i % 4 ? QStringLiteral("0") : QStringLiteral("1");
                r.title = words[random.bounded(int(words.size()))];
                r.note = words[random.bounded(int(words.size()))];
                r.creators[1] = QStringLiteral("02") + words[random.bounded(int(words.size()))];
                r.place = words[random.bounded(int(words.size()))];
                lines.append(r.line());
            }
            writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(file), lines);
        }
        const QList<SearchCriteria> cases = [] {
            QList<SearchCriteria> list;
            list << oneTerm(QStringLiteral("Kovács"), {Title}) << oneTerm(QStringLiteral("Ödön"), {Creator});
            SearchCriteria word = oneTerm(QStringLiteral("Kovács"));
            word.matchKind = Kind::Word;
            list << word;
            SearchCriteria place;
            place.restrictions[SearchCriteria::Place] = {true, QStringLiteral("Szeged")};
            place.term = QStringLiteral("?"); // the character the code page lacks
            list << place;
            SearchCriteria volume;
            volume.restrictions[SearchCriteria::Volume] = {true, QStringLiteral("Lunvek")};
            volume.translationChecked = true;
            volume.translationYes = false;
            list << volume;
            return list;
        }();
        for (const SearchCriteria& criteria : cases) {
            // Reference: every line of every chunk decoded the plain way.
            QStringList expected;
            const RecordMatcher matcher(criteria, {});
            RecordView view;
            for (const QString& path : SearchEngine::chunkFiles(dir.path())) {
                for (const QString& line : TextFile::readUnicode(path)) {
                    const QByteArray padded = Win1250::fromUnicode(line) + "**";
                    view.decode(padded);
                    if (matcher.matches(view))
                        expected.append(QString::fromLatin1(view.row(0)));
                }
            }
            QVERIFY(!expected.isEmpty());
            QCOMPARE(search(criteria, {}, 1), expected);
            QCOMPARE(search(criteria, {}, 3), expected);
        }
    }

    // A one-term search decides most hits by the field the first occurrence
    // lies in, without decoding the record: lines of random fields (short
    // creator slots, stray stars, a final star, the term outside the term
    // fields or in the record name, overlong lines) give exactly the hits and
    // results text of decoding every line.
    void occurrenceRuleEqualsTheFullTest_data()
    {
        QTest::addColumn<QList<int>>("fields"); // empty: all twelve
        QTest::newRow("all fields") << QList<int>{};
        QTest::newRow("subject") << QList<int>{Subject};
        QTest::newRow("creator") << QList<int>{Creator};
        QTest::newRow("title and note") << QList<int>{Title, 11};
        QTest::newRow("place") << QList<int>{10};
        QTest::newRow("none") << QList<int>{-1};
    }

    void occurrenceRuleEqualsTheFullTest()
    {
        QFETCH(QList<int>, fields);
        const QStringList pieces = {QStringLiteral("té"),  QStringLiteral("xtéx"), QStringLiteral("*"),
                                    QStringLiteral("0"),   QStringLiteral("02"),   QStringLiteral("0t"),
                                    QStringLiteral("ab"),  QStringLiteral("Ω"),    QStringLiteral("**"),
                                    QStringLiteral("ő é"), QStringLiteral("t"),    QStringLiteral("é")};
        QRandomGenerator random(4321);
        TempWorkDir dir;
        for (int file = 1; file <= 3; ++file) {
            QStringList lines;
            for (int i = 0; i < 400; ++i) {
                QString line;
                const int pieceCount = int(random.bounded(60));
                for (int p = 0; p < pieceCount; ++p)
                    line += pieces[random.bounded(int(pieces.size()))];
                if (i % 50 == 7)
                    line = QString(5000 + int(random.bounded(4)) - 2, u'a') + QStringLiteral("**té");
                lines.append(line);
            }
            // The last field a creator slot: a final star pairs with the appended "**".
            lines << QStringLiteral("n**t**s**té*") << QStringLiteral("n**t**s**0té*")
                  << QStringLiteral("n**t**s**a**té*") << QStringLiteral("té**t**s**01té");
            writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(file), lines);
        }
        SearchCriteria criteria = oneTerm(QStringLiteral("té"));
        if (!fields.isEmpty()) {
            criteria.termFields.fill(false);
            for (const int f : fields)
                if (f >= 0)
                    criteria.termFields[f] = true;
        }
        QVERIFY(RecordMatcher(criteria, {}).hasOccurrenceRule());

        QStringList expected;
        QString expectedText;
        const RecordMatcher matcher(criteria, {});
        RecordView view;
        for (const QString& path : SearchEngine::chunkFiles(dir.path())) {
            for (const QString& line : TextFile::readUnicode(path)) {
                const QByteArray padded = Win1250::fromUnicode(line) + "**";
                view.decode(padded);
                if (!matcher.matches(view))
                    continue;
                expected.append(QString::fromLatin1(view.row(0)));
                if (expected.size() <= SearchEngine::MaxResultEntries)
                    expectedText +=
                        HitEntry::plainText(HitEntry::build(FieldGrid::decode(padded.chopped(2)), {}));
            }
        }
        for (const int threads : {1, 3}) {
            SearchEngine engine(criteria, {});
            engine.setThreadCount(threads);
            CollectingSink sink;
            engine.run(dir.path(), sink);
            QCOMPARE(sink.names, expected);
            QCOMPARE(sink.text, expectedText);
        }
    }

    void noChunkFileMeansNoHit()
    {
        TempWorkDir dir;
        QCOMPARE(search(oneTerm(QStringLiteral("a"))), QStringList());
    }

    void unreadableChunkStopsAfterEarlierHits()
    {
        TempWorkDir dir;
        Rec r;
        r.title = QStringLiteral("Cím");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {r.line()});
        writeChunk(dir.path(), QStringLiteral("adatb3.ztf"), {r.line()});
        QVERIFY(QFile::link(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("adatb2.ztf"))));
        for (int threads : {1, 3}) {
            SearchEngine engine(oneTerm(QStringLiteral("Cím")), {});
            engine.setThreadCount(threads);
            CollectingSink sink;
            try {
                engine.run(dir.path(), sink);
                QFAIL("the unreadable chunk was not reported");
            } catch (const NorlaError& error) {
                QCOMPARE(error.message(), cannotOpenFile(dir.file(QStringLiteral("adatb2.ztf"))));
            }
            QCOMPARE(sink.names, QStringList{QStringLiteral("Ka00012300")});
        }
    }

    void hitEntryText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("expected");
        Rec plain;
        plain.title = QStringLiteral("A cím");
        plain.year = QStringLiteral("1998");
        plain.language = QStringLiteral("latin");
        QTest::newRow("title and year")
            << plain.line() << QStringList()
            << QStringLiteral("Kardel - 123 - könyv\nA cím: 1998.\nNyelv: latin     "
                              "Adathordozó: papír\n\n\n\n");
        Rec full;
        full.name = QStringLiteral("Lu0001231b");
        full.subject = QStringLiteral("Tárgy");
        full.creators = {QStringLiteral("01Kovács"), QStringLiteral("02"), QStringLiteral("xxNagy"),
                         QString()};
        full.title = QStringLiteral("Cím");
        full.publication = QStringLiteral("Sorozat");
        full.publisher = QStringLiteral("Kiadó");
        full.volumeRun = QStringLiteral("3");
        full.year = QStringLiteral("1998");
        full.pages = QStringLiteral("12 p");
        full.place = QStringLiteral("Pécs");
        full.note = QStringLiteral("Megj.");
        full.translated = QStringLiteral("1");
        full.language = QStringLiteral("né");
        full.medium = QStringLiteral("CD-ROM");
        const QStringList roles = {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő")};
        QTest::newRow("everything") << full.line() << roles
                                    << QStringLiteral(
                                           "Lunvek - 123.1b - könyv\nTárgy\n"
                                           "Szerző: Kovács   Szerző: Nagy   \n"
                                           "Ford., Cím: Sorozat, Kiadó, 3. 1998. 12 p, Pécs Megj.\n"
                                           "Adathordozó: CD-ROM\n\n\n\n");
        QTest::newRow("no role list")
            << full.line() << QStringList()
            << QStringLiteral("Lunvek - 123.1b - könyv\nTárgy\n"
                              ": Kovács   : Nagy   \n"
                              "Ford., Cím: Sorozat, Kiadó, 3. 1998. 12 p, Pécs Megj.\n"
                              "Adathordozó: CD-ROM\n\n\n\n");
    }
    void hitEntryText()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, roles);
        QFETCH(QString, expected);
        QCOMPARE(HitEntry::plainText(HitEntry::build(FieldGrid::decodeUnicode(line), roles)), expected);
    }

    void hitEntryStyles()
    {
        Rec plain;
        plain.title = QStringLiteral("A cím");
        plain.year = QStringLiteral("1998");
        const QList<HitRun> runs = HitEntry::build(FieldGrid::decodeUnicode(plain.line()), {});
        QCOMPARE(runs.at(0), (HitRun{QStringLiteral("Kardel - 123 - könyv"), true, true, false}));
        QCOMPARE(runs.at(1).lineBreak, true);
        QCOMPARE(runs.at(2), (HitRun{QStringLiteral("A cím:"), true, false, false}));
        QCOMPARE(runs.at(3), (HitRun{QStringLiteral(" 1998."), false, false, false}));
    }

    void recordNumber_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("number");
        QTest::newRow("plain") << QByteArray("Ka00012300") << QStringLiteral("123");
        QTest::newRow("letter") << QByteArray("Ka0001230a") << QStringLiteral("123.a");
        QTest::newRow("digit and letter") << QByteArray("Ka0001231b") << QStringLiteral("123.1b");
        QTest::newRow("all zeros") << QByteArray("Ka00000000") << QString();
    }
    void recordNumber()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, number);
        QCOMPARE(HitEntry::recordNumber(name), number);
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
