#include "core/overview/RecordTally.h"

#include "core/record/FieldCursor.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"
#include "core/search/ChunkText.h"
#include "core/search/RecordMatcher.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define NORLA_WIDE_SWEEP 1
#endif

namespace {

// A value as its ValueCounts takes it.
std::string_view valueOf(QByteArrayView bytes)
{
    return {bytes.data(), size_t(bytes.size())};
}

QStringView valueOf(QStringView text)
{
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The 8-bit form of a character of either kind of text.
char byteOf(char c)
{
    return c;
}

char byteOf(QChar c)
{
    // The code page keeps printable ASCII as it is.
    const char16_t unit = c.unicode();
    return unit >= 0x20 && unit < 0x80 ? char(unit) : ChunkText::LineReader::codePage()[unit];
}

// Read on the field's 8-bit text, whichever form it is held in, so that a
// year is found where the search would find it.
template <typename View> int yearIn(View field)
{
    for (qsizetype i = 0; i < field.size();) {
        if (!isDigit(byteOf(field[i]))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        int value = 0;
        for (; end < field.size() && isDigit(byteOf(field[end])); ++end)
            value = end - i < 5 ? 10 * value + (byteOf(field[end]) - '0') : value;
        const bool freeBefore = i == 0 || !RecordMatcher::isWordByte(byteOf(field[i - 1]));
        const bool freeAfter = end == field.size() || !RecordMatcher::isWordByte(byteOf(field[end]));
        if (end - i == 4 && freeBefore && freeAfter && byteOf(field[i]) != '0')
            return value;
        i = end;
    }
    return -1;
}

// Blanks alone leave a field as empty as no text does.
template <typename View> bool isBlank(View field)
{
    for (const auto c : field)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

// The volume codes as two 8-bit characters in one number, compared at once.
int codeKey(char first, char second)
{
    return (int(static_cast<unsigned char>(first)) << 8) | int(static_cast<unsigned char>(second));
}

// The volume of every pair of 8-bit characters, looked up at once for each
// of a million records.
struct VolumeCodes
{
    std::array<quint8, 0x10000> volumeOfKey{};
    VolumeCodes()
    {
        volumeOfKey.fill(quint8(RecordTally::UnknownVolume));
        for (int i = 0; i < CodeTables::VolumeCount; ++i) {
            const QByteArray code = Win1250::fromUnicode(CodeTables::volumeCode(i));
            if (code.size() == 2 &&
                volumeOfKey[size_t(codeKey(code[0], code[1]))] == RecordTally::UnknownVolume)
                volumeOfKey[size_t(codeKey(code[0], code[1]))] = quint8(i);
        }
    }
};

int volumeOf(char first, char second)
{
    static const VolumeCodes table;
    return table.volumeOfKey[size_t(codeKey(first, second))];
}

// The separators of a line: the pairs of stars found from the left, a pair
// not overlapping the one before. The last one found ends the last field.
struct Separators
{
    static constexpr int Wanted = RecordSchema::FieldCount;
    std::array<qsizetype, Wanted>
        at; // NOLINT(cppcoreguidelines-pro-type-member-init): only the found ones are read
    int found = 0;
    qsizetype resume = 0;

    // A star followed by a star starts a separator unless the separator
    // before took it.
    void pairAt(qsizetype i)
    {
        if (i >= resume && found < Wanted) {
            at[size_t(found++)] = i;
            resume = i + 2;
        }
    }
};

bool isBreakUnit(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028;
}

// Takes the separators of one block of units from `start` on: bit k of
// `candidates` is set where units start + k and start + k + 1 are both
// stars (the last bit looks at the unit after the block). A run of stars
// gives a separator at its first star, then at every second one, as pairs
// taken from the left that do not overlap; a pair taken in the block before
// may hold the first unit. Runs are told apart by adding their first bits:
// the carry clears a run that starts at an even bit.
inline void takePairs(qsizetype start, std::uint64_t candidates, Separators& seps)
{
    if (candidates == 0)
        return;
    constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;
    const std::uint64_t firstHeld = seps.resume > start ? 1 : 0;
    const std::uint64_t runStarts = candidates & ~(candidates << 1);
    const std::uint64_t evenStarts = runStarts & kEvenBits & ~firstHeld;
    const std::uint64_t evenRuns = candidates & ~(candidates + evenStarts);
    const std::uint64_t oddRuns = candidates & ~evenRuns;
    std::uint64_t taken = (evenRuns & kEvenBits) | (oddRuns & ~kEvenBits);
    int found = seps.found;
    qsizetype last = -1;
    for (; taken != 0 && found < Separators::Wanted; taken &= taken - 1) {
        last = start + std::countr_zero(taken);
        seps.at[size_t(found++)] = last;
    }
    seps.found = found;
    if (last >= 0)
        seps.resume = last + 2;
}

// Takes the separators of the 64 units from `at` on, given one bit per
// unit for the stars and the line breaks among them; `from` moves past the
// block, or to the break, which ends the line (true).
inline bool takeBlock(const char16_t* text, qsizetype size, qsizetype at, std::uint64_t stars,
                      std::uint64_t breaks, Separators& seps, qsizetype& from)
{
    std::uint64_t pairs = stars & (stars >> 1);
    if ((stars >> 63) != 0 && at + 64 < size && text[at + 64] == u'*')
        pairs |= std::uint64_t(1) << 63;
    if (breaks == 0) {
        takePairs(at, pairs, seps);
        from = at + 64;
        return false;
    }
    // A pair cannot hold a break, so the pairs before the first break are
    // the line's.
    const int end = std::countr_zero(breaks);
    takePairs(at, pairs & ((std::uint64_t(1) << end) - 1), seps);
    from = at + end;
    return true;
}

// The widest vectors the sweep may use: the processor's, unless a test
// asks for narrower ones to check each way against the others.
std::atomic<int> sweepWidthLimit{512};

#if defined(NORLA_WIDE_SWEEP)
int processorSweepWidth()
{
    static const int width = __builtin_cpu_supports("avx512bw") ? 512
                             : __builtin_cpu_supports("avx2")   ? 256
                                                                : 128;
    return width;
}

// A lambda would not take its function's target, so the steps of the wide
// sweeps are functions of their own.
#define NORLA_AVX2 __attribute__((target("avx2,popcnt,bmi")))
#define NORLA_AVX512 __attribute__((target("avx512f,avx512bw,popcnt,bmi")))

// One mask bit per unit of 32, from the comparisons of their two halves.
NORLA_AVX2 inline std::uint64_t unitBits(__m256i low, __m256i high)
{
    // Packing works per 128-bit lane; the permutation puts the halves back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi16(low, high), 0xD8);
    return std::uint64_t(unsigned(_mm256_movemask_epi8(packed)));
}

NORLA_AVX2 inline __m256i breaksIn(__m256i v)
{
    return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi16(v, _mm256_set1_epi16(short(u'\r'))),
                                           _mm256_cmpeq_epi16(v, _mm256_set1_epi16(short(u'\n')))),
                           _mm256_cmpeq_epi16(v, _mm256_set1_epi16(short(0x2028))));
}

// Units up to CR, or U+2028: a block without one holds no break.
NORLA_AVX2 inline __m256i mayBreak(__m256i v)
{
    return _mm256_or_si256(
        _mm256_cmpeq_epi16(_mm256_subs_epu16(v, _mm256_set1_epi16(short(u'\r'))), _mm256_setzero_si256()),
        _mm256_cmpeq_epi16(v, _mm256_set1_epi16(short(0x2028))));
}

// The sweep below, 64 units at a time in four vectors, for processors with
// AVX2. Goes on from `from`; true when the line's break was found, `from`
// then at it.
NORLA_AVX2 bool sweep256(const char16_t* text, qsizetype size, bool untilBreak, Separators& seps,
                         qsizetype& from)
{
    const __m256i star = _mm256_set1_epi16(short(u'*'));
    for (qsizetype i = from; i + 64 <= size && (untilBreak || seps.found < Separators::Wanted); i += 64) {
        // A plain array: std::array would drop the vector type's alignment attribute.
        __m256i v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + 16 * k));
        const std::uint64_t stars = unitBits(_mm256_cmpeq_epi16(v[0], star), _mm256_cmpeq_epi16(v[1], star)) |
                                    unitBits(_mm256_cmpeq_epi16(v[2], star), _mm256_cmpeq_epi16(v[3], star))
                                        << 32;
        std::uint64_t breaks = 0;
        if (untilBreak) {
            const __m256i any = _mm256_or_si256(_mm256_or_si256(mayBreak(v[0]), mayBreak(v[1])),
                                                _mm256_or_si256(mayBreak(v[2]), mayBreak(v[3])));
            if (!_mm256_testz_si256(any, any))
                breaks = unitBits(breaksIn(v[0]), breaksIn(v[1])) | unitBits(breaksIn(v[2]), breaksIn(v[3]))
                                                                        << 32;
        }
        if (takeBlock(text, size, i, stars, breaks, seps, from))
            return true;
    }
    return false;
}

// One mask bit per unit of 64.
NORLA_AVX512 inline std::uint64_t unitsEqual(__m512i low, __m512i high, __m512i unit)
{
    return std::uint64_t(_mm512_cmpeq_epi16_mask(low, unit)) |
           (std::uint64_t(_mm512_cmpeq_epi16_mask(high, unit)) << 32);
}

NORLA_AVX512 inline std::uint64_t unitsAtMost(__m512i low, __m512i high, __m512i unit)
{
    return std::uint64_t(_mm512_cmple_epu16_mask(low, unit)) |
           (std::uint64_t(_mm512_cmple_epu16_mask(high, unit)) << 32);
}

// The same, 64 units at a time, for processors with AVX-512.
NORLA_AVX512 bool sweep512(const char16_t* text, qsizetype size, bool untilBreak, Separators& seps,
                           qsizetype& from)
{
    const __m512i star = _mm512_set1_epi16(short(u'*'));
    const __m512i cr = _mm512_set1_epi16(short(u'\r'));
    const __m512i lf = _mm512_set1_epi16(short(u'\n'));
    const __m512i ls = _mm512_set1_epi16(short(0x2028));
    for (qsizetype i = from; i + 64 <= size && (untilBreak || seps.found < Separators::Wanted); i += 64) {
        const __m512i low = _mm512_loadu_si512(text + i);
        const __m512i high = _mm512_loadu_si512(text + i + 32);
        std::uint64_t breaks = 0;
        // Units up to CR, or U+2028, may be a break; the few blocks that
        // hold one are looked at exactly.
        if (untilBreak && (unitsAtMost(low, high, cr) | unitsEqual(low, high, ls)) != 0)
            breaks = unitsEqual(low, high, cr) | unitsEqual(low, high, lf) | unitsEqual(low, high, ls);
        if (takeBlock(text, size, i, unitsEqual(low, high, star), breaks, seps, from))
            return true;
    }
    return false;
}
#undef NORLA_AVX2
#undef NORLA_AVX512
#endif

// Finds the separators of the line at the start of `text` in one sweep.
// `untilBreak`: the line ends at the first line break, found in the same
// sweep, so a chunk's lines are not walked twice; otherwise `text` is the
// whole line and the sweep stops once every separator is found. Returns the
// line's length.
qsizetype sweep(const char16_t* text, qsizetype size, bool untilBreak, Separators& seps)
{
    qsizetype i = 0;
#if defined(NORLA_WIDE_SWEEP)
    const int width = std::min(processorSweepWidth(), sweepWidthLimit.load(std::memory_order_relaxed));
    if (width >= 512 && sweep512(text, size, untilBreak, seps, i))
        return i;
    if (width >= 256 && sweep256(text, size, untilBreak, seps, i))
        return i;
#endif
#if defined(__SSE2__)
    // Sixteen units at a time, one mask bit per unit.
    const bool sse2 = sweepWidthLimit.load(std::memory_order_relaxed) >= 128;
    const __m128i star = _mm_set1_epi16(short(u'*'));
    const __m128i cr = _mm_set1_epi16(short(u'\r'));
    const __m128i lf = _mm_set1_epi16(short(u'\n'));
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    const auto breaksIn = [&](__m128i v) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)),
                            _mm_cmpeq_epi16(v, ls));
    };
    for (; sse2 && i + 16 <= size && (untilBreak || seps.found < Separators::Wanted); i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
        const unsigned stars = unsigned(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, star), _mm_cmpeq_epi16(high, star))));
        unsigned pairs = stars & (stars >> 1);
        if ((stars & 0x8000u) && i + 16 < size && text[i + 16] == u'*')
            pairs |= 0x8000u;
        const unsigned breaks =
            untilBreak ? unsigned(_mm_movemask_epi8(_mm_packs_epi16(breaksIn(low), breaksIn(high)))) : 0u;
        // A pair cannot hold a break, so the pairs before the first break
        // are the line's.
        const int end = breaks != 0 ? std::countr_zero(breaks) : 16;
        if (end < 16)
            pairs &= (1u << end) - 1;
        takePairs(i, pairs, seps);
        if (end < 16)
            return i + end;
    }
#endif
    for (; i < size; ++i) {
        if (untilBreak && isBreakUnit(text[i]))
            return i;
        if (!untilBreak && seps.found == Separators::Wanted)
            break;
        if (text[i] == u'*' && i + 1 < size && text[i + 1] == u'*')
            seps.pairAt(i);
    }
    return untilBreak ? size : i;
}

// Where each field of `line` ends, as FieldCursor cuts it with "**" after
// it, from the separators one sweep found. False for a line with fewer
// separators than a whole record has, left to the cursor itself.
bool fieldEnds(QStringView line, const Separators& seps, RecordTally::FieldEnds& ends)
{
    constexpr int kWanted = Separators::Wanted;
    if (seps.found < kWanted - 1)
        return false;
    std::copy_n(seps.at.begin(), kWanted - 1, ends.begin());
    if (seps.found == kWanted) {
        ends[kWanted - 1] = seps.at[kWanted - 1];
    } else {
        // The rest holds no pair; the "**" after the line ends it, and a
        // star the rest ends in pairs with the first of those.
        const qsizetype start = seps.at[kWanted - 2] + 2;
        ends[kWanted - 1] = line.size() > start && line.back() == u'*' ? line.size() - 1 : line.size();
    }
    return true;
}

bool isBlankUnit(char16_t c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

void RecordTally::limitSweepWidth(int bits)
{
    sweepWidthLimit.store(bits, std::memory_order_relaxed);
}

void RecordTally::ValueCounts::merge(const ValueCounts& other)
{
    for (const auto& [value, count] : other.counts())
        m_counts[value] += count;
}

const RecordTally::ValueCounts::Map& RecordTally::ValueCounts::counts() const
{
    if (!m_unicode.isEmpty()) {
        const std::array<char, 0x10000>& codePage = ChunkText::LineReader::codePage();
        std::string bytes;
        // Texts the code page cannot tell apart are one value, as the
        // search sees them.
        m_unicode.forEach([&](QStringView text, qint64 count) {
            bytes.clear();
            for (const QChar unit : text)
                bytes += codePage[unit.unicode()];
            m_counts[bytes] += count;
        });
        m_unicode.clear();
    }
    return m_counts;
}

int RecordTally::yearOf(QByteArrayView field)
{
    return yearIn(field);
}

template <typename View>
void RecordTally::countFields(int volume, const std::array<View, RecordSchema::FieldCount>& fields)
{
    for (int i = 0; i < RecordSchema::FieldCount; ++i) {
        const View value = fields[size_t(i)];
        // A creator slot holding its role code alone names nobody.
        const bool empty = RecordSchema::isCreator(RecordSchema::fieldAt(i))
                               ? value.size() <= RecordSchema::RoleCodeLength
                               : isBlank(value);
        if (empty)
            ++m_emptyFields[size_t(i)];
    }
    const auto at = [&fields](Field field) { return fields[size_t(RecordSchema::position(field))]; };
    countValues(volume, at(Field::RecordType), at(Field::Language), at(Field::Medium), at(Field::Subject),
                at(Field::Year));
}

template <typename View>
void RecordTally::countValues(int volume, View type, View language, View medium, View subject, View year)
{
    ++m_records;
    ++m_volumes[size_t(volume)];
    m_types.add(valueOf(type));
    m_languages.add(valueOf(language));
    m_media.add(valueOf(medium));
    m_subjects.add(valueOf(subject));
    const int found = yearIn(year);
    if (found >= FirstYear)
        ++m_decades[size_t((found - FirstYear) / 10)];
    else
        ++m_unknownYears;
}

void RecordTally::add(QByteArrayView padded)
{
    // The fields are cut as the search's record view cuts them, so the
    // values counted are those a search compares.
    FieldCursor8 cursor(padded, RecordLine::MaxReadLength);
    std::array<QByteArrayView, RecordSchema::FieldCount> fields;
    for (QByteArrayView& field : fields)
        field = cursor.next();
    countFields(padded.size() < 2 ? UnknownVolume : volumeOf(padded[0], padded[1]), fields);
}

void RecordTally::addLine(QStringView line)
{
    // A line the record view cuts short is counted through its 8-bit text,
    // where that cut is made.
    if (line.size() + 2 > RecordLine::MaxReadLength) {
        add(Win1250::fromUnicode(line) + "**");
        return;
    }
    Separators seps;
    sweep(line.utf16(), line.size(), false, seps);
    addSwept(line, seps);
}

qsizetype RecordTally::addFirstLine(QStringView text)
{
    Separators seps;
    const qsizetype length = sweep(text.utf16(), text.size(), true, seps);
    const QStringView line = text.first(length);
    if (line.size() + 2 > RecordLine::MaxReadLength)
        add(Win1250::fromUnicode(line) + "**");
    else
        addSwept(line, seps);
    return length;
}

template <typename Seps> void RecordTally::addSwept(QStringView line, const Seps& seps)
{
    // The padded line's first two characters: a line of one gets a star.
    const char first = line.isEmpty() ? '*' : byteOf(line[0]);
    const char second = line.size() < 2 ? '*' : byteOf(line[1]);
    const int volume = volumeOf(first, second);
    if (FieldEnds ends; fieldEnds(line, seps, ends)) {
        addSeparated(volume, line, ends);
        return;
    }
    std::array<QStringView, RecordSchema::FieldCount> fields;
    auto cursor = FieldCursor::asIfSeparatorAppended(line);
    for (QStringView& field : fields)
        field = cursor.next();
    countFields(volume, fields);
}

void RecordTally::addSeparated(int volume, QStringView line, const FieldEnds& ends)
{
    // Nearly every line: its fields are counted from where they end, with
    // no view made of the fields that are only looked at for emptiness.
    const char16_t* text = line.utf16();
    const auto beginOf = [&ends](size_t k) { return k == 0 ? 0 : ends[k - 1] + 2; };
    for (size_t k = 0; k < size_t(RecordSchema::FieldCount); ++k) {
        const qsizetype begin = beginOf(k);
        const qsizetype length = ends[k] - begin;
        const bool empty =
            RecordSchema::isCreator(RecordSchema::fieldAt(int(k)))
                ? length <= RecordSchema::RoleCodeLength
                : length == 0 || (isBlankUnit(text[begin]) && isBlank(QStringView(text + begin, length)));
        m_emptyFields[k] += empty ? 1 : 0;
    }
    const auto at = [&](Field field) {
        const size_t k = size_t(RecordSchema::position(field));
        return QStringView(text + beginOf(k), ends[k] - beginOf(k));
    };
    countValues(volume, at(Field::RecordType), at(Field::Language), at(Field::Medium), at(Field::Subject),
                at(Field::Year));
}

void RecordTally::merge(const RecordTally& other)
{
    m_records += other.m_records;
    for (size_t i = 0; i < m_volumes.size(); ++i)
        m_volumes[i] += other.m_volumes[i];
    for (size_t i = 0; i < m_decades.size(); ++i)
        m_decades[i] += other.m_decades[i];
    m_unknownYears += other.m_unknownYears;
    m_types.merge(other.m_types);
    m_languages.merge(other.m_languages);
    m_media.merge(other.m_media);
    m_subjects.merge(other.m_subjects);
    for (size_t i = 0; i < m_emptyFields.size(); ++i)
        m_emptyFields[i] += other.m_emptyFields[i];
}
