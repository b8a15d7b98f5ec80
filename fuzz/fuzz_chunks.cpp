// The chunk files of the index file set, read the way the search reads them:
// the line reader must give exactly the 8-bit form of the lines the general
// Unicode text reader gives, and the search must get through any file.
// Input: one byte of options, a search term up to the first "\n", the chunk file.
#include "FuzzSupport.h"

#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/search/ChunkText.h"
#include "core/search/SearchEngine.h"

#include <cstdint>
#include <cstdlib>

namespace {

void checkLineReader(QByteArrayView file, QByteArrayView term)
{
    QByteArray storage;
    const ChunkText::LineReader reader(ChunkText::utf16Body(file, storage));
    const QStringList expected = TextFile::decodeUnicode(file);
    ChunkText::LineBuffer buffer;
    qsizetype line = 0;
    for (qsizetype start = 0; start < reader.unitCount(); ++line) {
        const qsizetype end = reader.convertLine(start, buffer);
        if (line >= expected.size() || buffer.view() != Win1250::fromUnicode(expected[line]))
            std::abort();
        if (reader.lineStartBefore(end, 0) != start)
            std::abort();
        start = reader.nextLineStart(end);
    }
    if (line != expected.size())
        std::abort();

    // The fast search finds the term exactly where a plain scan of the text does.
    if (term.contains('?'))
        return;
    const ChunkText::Needle needle(term);
    const QString text = TextFile::decodeUnicodeToString(file);
    const QString wanted = Win1250::toUnicode(term);
    const qsizetype found = reader.find(needle, 0);
    const qsizetype plain = wanted.isEmpty() ? 0 : text.indexOf(wanted);
    // The reader's text and the decoded string are the same units.
    if (reader.unitCount() != text.size() || found != plain)
        std::abort();
}

class CountingSink final : public SearchSink
{
public:
    void hit(QByteArrayView recordName, const FieldGrid*) override
    {
        if (recordName.size() > 10)
            std::abort();
        ++hits;
    }
    qint64 hits = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 options = data[0];
    QByteArrayView rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype newline = rest.indexOf('\n');
    const QByteArrayView term = newline < 0 ? QByteArrayView() : rest.first(qMin<qsizetype>(newline, 32));
    const QByteArrayView file = newline < 0 ? rest : rest.sliced(newline + 1);

    checkLineReader(file, term);

    FuzzSupport::writeScratchFile(QStringLiteral("adatb1.ztf"), file);
    SearchCriteria criteria;
    criteria.matchKind = options & 1 ? SearchCriteria::MatchKind::Word : SearchCriteria::MatchKind::Fragment;
    criteria.connective = options & 2 ? SearchCriteria::Connective::Or : SearchCriteria::Connective::And;
    criteria.mode = options & 4 ? SearchCriteria::Mode::SeveralTerms : SearchCriteria::Mode::OneTerm;
    const QString termText = Win1250::toUnicode(term);
    criteria.term = termText;
    criteria.terms = termText.split(u' ', Qt::SkipEmptyParts);
    if (options & 8) {
        criteria.restrictions[SearchCriteria::Role] = {true, termText.left(2)};
        criteria.restrictions[SearchCriteria::Creator] = {true, termText};
    }
    if (options & 16) {
        criteria.translationChecked = true;
        criteria.translationYes = options & 32;
    }
    if (!criteria.canSearch())
        return 0;
    static const QList<QByteArray> roles = {"szerző", "szerkesztő", "fordító"};
    SearchEngine engine(criteria, roles);
    engine.setThreadCount(1);
    CountingSink sink;
    const qint64 count = engine.run(FuzzSupport::scratchDir().path(), sink);
    if (count != sink.hits || count > TextFile::decodeUnicode(file).size())
        std::abort();
    return 0;
}
