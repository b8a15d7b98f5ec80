#pragma once

#include <QChar>

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Searches that the import readers make over every character of a file,
// eight characters at a time where the processor allows; the short lines
// of RIS and BibTeX files make a library call per line cost more than the
// line itself.
namespace CharacterScan {

inline bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028;
}

// The first LF, CR or U+2028 in [at, end), or end.
inline const QChar* findLineBreak(const QChar* at, const QChar* end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    for (; end - at >= 8; at += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi16(chars, lf), _mm_cmpeq_epi16(chars, cr)), _mm_cmpeq_epi16(chars, ls));
        if (const int mask = _mm_movemask_epi8(hits))
            return at + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    while (at < end && !isLineBreak(at->unicode()))
        ++at;
    return at;
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
#if defined(__SSE2__)
    // c - low <= high - low, unsigned: a range in two steps.
    const auto inRange = [](__m128i chars, short low, short span) {
        const __m128i offset = _mm_sub_epi16(chars, _mm_set1_epi16(low));
        return _mm_cmpeq_epi16(_mm_subs_epu16(offset, _mm_set1_epi16(span)), _mm_setzero_si128());
    };
    for (; end - at >= 8; at += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(inRange(chars, u'\n', 3), _mm_cmpeq_epi16(chars, _mm_set1_epi16(0x85))),
            _mm_or_si128(inRange(chars, short(0x2028), 1), inRange(chars, short(0xD800), 0x7FF)));
        if (_mm_movemask_epi8(hits))
            return true;
    }
#endif
    for (; at < end; ++at)
        if (isLineOrSurrogate(at->unicode()))
            return true;
    return false;
}

} // namespace CharacterScan
