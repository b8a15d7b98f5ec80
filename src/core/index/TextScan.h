#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Scans over UTF-16 text eight units at a time where the processor allows;
// the indexer spends much of its time looking for line ends.
namespace TextScan {

inline bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028;
}

// Position of the first CR, LF or U+2028 in [from, size), or size.
inline std::size_t findLineEnd(const char16_t* text, std::size_t from, std::size_t size)
{
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    for (; i + 8 <= size; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)),
                                         _mm_cmpeq_epi16(v, ls));
        if (const int mask = _mm_movemask_epi8(hit))
            return i + std::size_t(__builtin_ctz(unsigned(mask)) >> 1);
    }
#endif
    for (; i < size; ++i) {
        if (isLineEnd(text[i]))
            return i;
    }
    return size;
}

} // namespace TextScan
