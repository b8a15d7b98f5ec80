#include "core/exchange/CharacterScan.h"
#include "core/exchange/ImportEntry.h"
#include "core/record/TextFile.h"

#include <QRandomGenerator>
#include <QtTest>

// The eight-at-a-time searches against the plain definitions they stand
// for, on random texts of the characters they look for, of every length
// around the block size.
class TestCharacterScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchesAgreeWithTheirDefinitions()
    {
        static const char16_t alphabet[] = {u'a', u'é',  u' ', u'\n',  u'\r',  0x2028, 0x2029, u'*', u'{',
                                            u'}', u'\\', 0x85, 0xD83D, 0xDE00, u'\t',  u'\v',  u'\f'};
        QRandomGenerator random(42);
        for (int round = 0; round < 20000; ++round) {
            QString text;
            // Up to three blocks of 64 characters, where lines are cut.
            const int length = random.bounded(round % 10 == 0 ? 200 : 40);
            // Every third text has few line breaks, so that lines run over
            // blocks of 64.
            const bool longLines = round % 3 == 0;
            for (int i = 0; i < length; ++i) {
                QChar c(alphabet[random.bounded(int(std::size(alphabet)))]);
                while (longLines && CharacterScan::isLineBreak(c.unicode()) && random.bounded(20) != 0)
                    c = QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
                text.append(c);
            }
            const QChar* begin = text.constData();
            const QChar* end = begin + text.size();
            const auto firstOf = [&](auto wanted) {
                return std::find_if(begin, end, [&](QChar c) { return wanted(c.unicode()); });
            };

            QCOMPARE(CharacterScan::findLineBreak(begin, end), firstOf(CharacterScan::isLineBreak));
            QCOMPARE(CharacterScan::findBraceOrBackslash(begin, end),
                     firstOf([](char16_t c) { return c == u'{' || c == u'}' || c == u'\\'; }));
            QCOMPARE(CharacterScan::containsLineOrSurrogate(begin, end),
                     firstOf(CharacterScan::isLineOrSurrogate) != end);
            QCOMPARE(CharacterScan::containsUncutBreakOrSurrogate(begin, end),
                     firstOf(CharacterScan::isUncutBreakOrSurrogate) != end);
            const bool breaker = firstOf(CharacterScan::isFieldBreaker) != end;
            QCOMPARE(CharacterScan::containsFieldBreaker(begin, end), breaker);
            QString copy(text.size(), u'#');
            QCOMPARE(CharacterScan::copyUnlessFieldBreaker(begin, end, copy.data()), !breaker);
            if (!breaker)
                QCOMPARE(copy, text);

            // Lines cut as every text file's are, and their breaks counted
            // alike: a CR LF is one break.
            QStringList lines;
            Exchange::forEachLine(text, [&lines](QStringView line, int number) {
                QCOMPARE(number, lines.size() + 1);
                lines.append(line.toString());
            });
            QCOMPARE(lines, TextFile::splitUnicodeLines(text));
            int breaks = int(lines.size());
            if (!text.isEmpty() && !CharacterScan::isLineBreak(text.back().unicode()))
                --breaks; // the last line has no break of its own
            QCOMPARE(CharacterScan::countLineBreaks(begin, end), qsizetype(breaks));
        }
    }
};

QTEST_GUILESS_MAIN(TestCharacterScan)
#include "tst_characterscan.moc"
