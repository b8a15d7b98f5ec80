#include "core/record/Utf8Text.h"

#include <QStringDecoder>
#include <QThread>

#include <bit>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Utf8Text {

namespace {

// A stretch of bytes that ends before an ASCII byte (a character boundary in
// any UTF-8), decoded by the library; nullptr on a malformed sequence.
QChar* decodeByLibrary(QByteArrayView stretch, QChar* out)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    out = utf8.appendToBuffer(out, stretch);
    return utf8.hasError() ? nullptr : out;
}

#if defined(__SSE2__)
// Sixteen bytes at `at` written as characters; the count of them that are
// ASCII from the start. `out` has room for sixteen.
int widenAscii(const uchar* at, QChar* out)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    const unsigned nonAscii = unsigned(_mm_movemask_epi8(bytes));
    return nonAscii ? std::countr_zero(nonAscii) : 16;
}
#endif

} // namespace

QChar* decodeValid(QByteArrayView bytes, QChar* out)
{
    const auto* at = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = at + bytes.size();
    while (at < end) {
#if defined(__SSE2__)
        // Never writes past the room: `out` trails `at`, and sixteen bytes
        // are left.
        while (end - at >= 16) {
            const int ascii = widenAscii(at, out);
            at += ascii;
            out += ascii;
            if (ascii < 16)
                break;
        }
        if (at == end)
            break;
#endif
        const uchar lead = *at;
        if (lead < 0x80) {
            *out++ = QChar(char16_t(lead));
            ++at;
        } else if (lead >= 0xC2 && lead <= 0xDF && end - at >= 2 && (at[1] & 0xC0) == 0x80) {
            // Two bytes, always a valid character: accented Latin, Greek, Cyrillic.
            *out++ = QChar(char16_t((lead & 0x1F) << 6 | (at[1] & 0x3F)));
            at += 2;
        } else {
            const uchar* const from = at;
            while (at < end && *at >= 0x80)
                ++at;
            out = decodeByLibrary(QByteArrayView(from, at - from), out);
            if (!out)
                return nullptr;
        }
    }
    return out;
}

std::optional<QString> decodeValidText(QByteArrayView bytes)
{
    constexpr qsizetype kWorthTwoThreads = 1 << 20;
    QString text(bytes.size(), Qt::Uninitialized); // never more UTF-16 units than bytes
    QChar* const begin = text.data();
    // Cut after a line feed, a byte no multi-byte sequence holds.
    const qsizetype lineFeed = bytes.size() >= kWorthTwoThreads && QThread::idealThreadCount() > 1
                                   ? bytes.indexOf('\n', bytes.size() / 2)
                                   : -1;
    QChar* end = nullptr;
    if (lineFeed < 0) {
        end = decodeValid(bytes, begin);
    } else {
        // Each half has room for as many characters as it has bytes, so the
        // second is decoded behind the room of the first and moved up
        // against it afterwards.
        const qsizetype firstSize = lineFeed + 1;
        QChar* const secondBegin = begin + firstSize;
        QChar* secondEnd = nullptr;
        std::thread worker([&] { secondEnd = decodeValid(bytes.sliced(firstSize), secondBegin); });
        end = decodeValid(bytes.first(firstSize), begin);
        worker.join();
        if (end && secondEnd)
            end = std::copy(secondBegin, secondEnd, end); // moves down, never onto what it reads later
        else
            end = nullptr;
    }
    if (!end)
        return std::nullopt;
    text.truncate(end - begin);
    return text;
}

} // namespace Utf8Text
