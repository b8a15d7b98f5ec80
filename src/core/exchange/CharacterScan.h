#pragma once

#include <QChar>

#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Searches that the import readers make over every character of a file,
// eight characters at a time where the processor allows; the short lines
// and fields of RIS and BibTeX files make a library call per line cost more
// than the line itself.
namespace CharacterScan {

namespace Detail {

// The first character in [at, end) that `isWanted` picks; `wantedLanes`
// marks the same characters among eight at once. A stretch shorter than
// eight is finished with one more look at its last eight characters, which
// overlaps what was looked at, rather than one character at a time.
template <typename IsWanted, typename WantedLanes>
inline const QChar* findFirst(const QChar* at, const QChar* end, IsWanted isWanted,
                              [[maybe_unused]] WantedLanes wantedLanes)
{
#if defined(__SSE2__)
    const QChar* const begin = at;
    const auto lanesAt = [&wantedLanes](const QChar* p) {
        return unsigned(_mm_movemask_epi8(wantedLanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))));
    };
    for (; end - at >= 8; at += 8)
        if (const unsigned mask = lanesAt(at))
            return at + std::countr_zero(mask) / 2;
    if (at < end && end - begin >= 8) {
        const QChar* const last = end - 8;
        const unsigned mask = lanesAt(last) >> (2 * (at - last));
        return mask ? at + std::countr_zero(mask) / 2 : end;
    }
#endif
    while (at < end && !isWanted(at->unicode()))
        ++at;
    return at;
}

#if defined(__SSE2__)
inline __m128i lanesEqual(__m128i chars, char16_t c)
{
    return _mm_cmpeq_epi16(chars, _mm_set1_epi16(short(c)));
}

// low <= c <= low + span, as c - low <= span unsigned.
inline __m128i lanesInRange(__m128i chars, char16_t low, char16_t span)
{
    const __m128i offset = _mm_sub_epi16(chars, _mm_set1_epi16(short(low)));
    return _mm_cmpeq_epi16(_mm_subs_epu16(offset, _mm_set1_epi16(short(span))), _mm_setzero_si128());
}
#endif

} // namespace Detail

inline bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028;
}

// The first LF, CR or U+2028 in [at, end), or end.
inline const QChar* findLineBreak(const QChar* at, const QChar* end)
{
    return Detail::findFirst(
        at, end, [](char16_t c) { return isLineBreak(c); },
        [](auto chars) {
#if defined(__SSE2__)
            using namespace Detail;
            return _mm_or_si128(_mm_or_si128(lanesEqual(chars, u'\n'), lanesEqual(chars, u'\r')),
                                lanesEqual(chars, 0x2028));
#else
            return chars;
#endif
        });
}

#if defined(__SSE2__)
namespace Detail {
inline constexpr auto kBitsSet = [] {
    std::array<quint8, 256> bits{};
    for (int i = 0; i < 256; ++i)
        bits[size_t(i)] = quint8(std::popcount(unsigned(i)));
    return bits;
}();
} // namespace Detail
#endif

// The number of line breaks in [at, end): LF, U+2028, and CR but for the CR
// of a CR LF. `end` must not split a CR LF.
inline qsizetype countLineBreaks(const QChar* at, const QChar* end)
{
    qsizetype count = 0;
#if defined(__SSE2__)
    using namespace Detail;
    for (; end - at >= 8; at += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i lf = lanesEqual(chars, u'\n');
        const __m128i cr = lanesEqual(chars, u'\r');
        // A CR whose next lane holds LF is half of a CR LF; one in the last
        // lane is settled by a look at the character after the block.
        const __m128i loneCr = _mm_andnot_si128(_mm_srli_si128(lf, 2), cr);
        const __m128i breaks = _mm_or_si128(_mm_or_si128(lf, lanesEqual(chars, 0x2028)), loneCr);
        // One bit a lane, counted by a table: the processor need not have a
        // population count.
        count += kBitsSet[unsigned(_mm_movemask_epi8(_mm_packs_epi16(breaks, _mm_setzero_si128())))];
        if (at[7] == u'\r' && end - at > 8 && at[8] == u'\n')
            --count;
    }
#endif
    for (; at < end; ++at) {
        const char16_t c = at->unicode();
        if (c == u'\n' || c == 0x2028 || (c == u'\r' && !(at + 1 < end && at[1] == u'\n')))
            ++count;
    }
    return count;
}

// A character that may end a line for a regular expression (LF to CR,
// NEL, U+2028, U+2029) or is half of a surrogate pair.
inline bool isLineOrSurrogate(char16_t c)
{
    return (c >= u'\n' && c <= u'\r') || c == 0x85 || c == 0x2028 || c == 0x2029 ||
           (c >= 0xD800 && c <= 0xDFFF);
}

inline bool containsLineOrSurrogate(const QChar* at, const QChar* end)
{
    return Detail::findFirst(
               at, end, [](char16_t c) { return isLineOrSurrogate(c); },
               [](auto chars) {
#if defined(__SSE2__)
                   using namespace Detail;
                   return _mm_or_si128(
                       _mm_or_si128(lanesInRange(chars, u'\n', 3), lanesEqual(chars, 0x85)),
                       _mm_or_si128(lanesInRange(chars, 0x2028, 1), lanesInRange(chars, 0xD800, 0x7FF)));
#else
                   return chars;
#endif
               }) != end;
}

// One of the line-ending characters that a line cut leaves inside a line
// (VT, FF, NEL, U+2029), or half of a surrogate pair.
inline bool isUncutBreakOrSurrogate(char16_t c)
{
    return c == u'\v' || c == u'\f' || c == 0x85 || c == 0x2029 || (c >= 0xD800 && c <= 0xDFFF);
}

inline bool containsUncutBreakOrSurrogate(const QChar* at, const QChar* end)
{
    return Detail::findFirst(
               at, end, [](char16_t c) { return isUncutBreakOrSurrogate(c); },
               [](auto chars) {
#if defined(__SSE2__)
                   using namespace Detail;
                   return _mm_or_si128(
                       _mm_or_si128(lanesInRange(chars, u'\v', 1), lanesEqual(chars, 0x85)),
                       _mm_or_si128(lanesEqual(chars, 0x2029), lanesInRange(chars, 0xD800, 0x7FF)));
#else
                   return chars;
#endif
               }) != end;
}

// A character that would move the fields after it in a record line: the
// asterisk of a separator, or a line break.
inline bool isFieldBreaker(char16_t c)
{
    return c == u'*' || c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029;
}

#if defined(__SSE2__)
namespace Detail {
inline __m128i fieldBreakerLanes(__m128i chars)
{
    return _mm_or_si128(_mm_or_si128(lanesEqual(chars, u'*'), lanesEqual(chars, u'\n')),
                        _mm_or_si128(lanesEqual(chars, u'\r'), lanesInRange(chars, 0x2028, 1)));
}
} // namespace Detail
#endif

// Copies [from, end) to `to` unless it holds a field breaker; false then,
// with `to` written in part. One pass for the look and the copy, as every
// value of an imported record goes through here.
inline bool copyUnlessFieldBreaker(const QChar* from, const QChar* end, QChar* to)
{
#if defined(__SSE2__)
    const qsizetype size = end - from;
    if (size >= 8) {
        const auto copyEight = [](const QChar* source, QChar* target) {
            const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target), chars);
            return _mm_movemask_epi8(Detail::fieldBreakerLanes(chars)) == 0;
        };
        for (qsizetype i = 0; i + 8 <= size; i += 8)
            if (!copyEight(from + i, to + i))
                return false;
        // The last eight again, overlapping what is already there.
        return copyEight(end - 8, to + size - 8);
    }
#endif
    for (; from < end; ++from, ++to) {
        if (isFieldBreaker(from->unicode()))
            return false;
        *to = *from;
    }
    return true;
}

inline bool containsFieldBreaker(const QChar* at, const QChar* end)
{
    return Detail::findFirst(
               at, end, [](char16_t c) { return isFieldBreaker(c); },
               [](auto chars) {
#if defined(__SSE2__)
                   using namespace Detail;
                   return _mm_or_si128(
                       _mm_or_si128(lanesEqual(chars, u'*'), lanesEqual(chars, u'\n')),
                       _mm_or_si128(lanesEqual(chars, u'\r'), lanesInRange(chars, 0x2028, 1)));
#else
                   return chars;
#endif
               }) != end;
}

// The first "{", "}" or backslash in [at, end), or end: where BibTeX text
// stops being plain.
inline const QChar* findBraceOrBackslash(const QChar* at, const QChar* end)
{
    return Detail::findFirst(
        at, end, [](char16_t c) { return c == u'{' || c == u'}' || c == u'\\'; },
        [](auto chars) {
#if defined(__SSE2__)
            using namespace Detail;
            return _mm_or_si128(_mm_or_si128(lanesEqual(chars, u'{'), lanesEqual(chars, u'}')),
                                lanesEqual(chars, u'\\'));
#else
            return chars;
#endif
        });
}

} // namespace CharacterScan
