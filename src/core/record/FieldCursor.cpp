#include "core/record/FieldCursor.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace FieldSeparator {

qsizetype find(QByteArrayView text)
{
    // Also keeps the pointer steps below off an empty view's null data.
    if (text.size() < 2)
        return -1;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
#if defined(__SSE2__)
    // A separator is a star whose next byte is a star.
    const __m128i star = _mm_set1_epi8('*');
    for (; p + 16 <= end; p += 16) {
        const unsigned stars = unsigned(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), star)));
        if (const unsigned pairs = stars & (stars >> 1))
            return p - begin + __builtin_ctz(pairs);
        if ((stars & 0x8000u) && p + 16 < end && p[16] == '*')
            return p - begin + 15;
    }
#endif
    for (; p + 1 < end; ++p)
        if (p[0] == '*' && p[1] == '*')
            return p - begin;
    return -1;
}

qsizetype find(QStringView text)
{
    if (text.size() < 2)
        return -1;
    const char16_t* const begin = text.utf16();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin;
#if defined(__SSE2__)
    // Two mask bits per unit: a unit's low bit pairs with the next unit's
    // low bit two places up.
    const __m128i star = _mm_set1_epi16(short(u'*'));
    for (; p + 8 <= end; p += 8) {
        const unsigned stars = unsigned(
            _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), star)));
        if (const unsigned pairs = stars & (stars >> 2))
            return p - begin + (__builtin_ctz(pairs) >> 1);
        if ((stars & 0x8000u) && p + 8 < end && p[8] == u'*')
            return p - begin + 7;
    }
#endif
    for (; p + 1 < end; ++p)
        if (p[0] == u'*' && p[1] == u'*')
            return p - begin;
    return -1;
}

} // namespace FieldSeparator
