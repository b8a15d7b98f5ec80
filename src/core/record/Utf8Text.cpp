#include "core/record/Utf8Text.h"

#include "core/record/NorlaError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QThread>

#include <bit>
#include <condition_variable>
#include <mutex>
#include <optional>
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

// Where a text may be cut in two for decoding: after the first line feed at
// or after `from` (a byte no multi-byte sequence holds), or at the end.
qsizetype cutAfterLineFeed(QByteArrayView bytes, qsizetype from)
{
    const qsizetype lineFeed = bytes.indexOf('\n', from);
    return lineFeed < 0 ? bytes.size() : lineFeed + 1;
}

// A text decoded in two parts, each into room for as many characters as it
// has bytes: the second was decoded behind the room of the first, at
// [secondBegin, secondEnd), and is moved up against the first, which ends at
// `firstEnd`. The end of the whole, or nullptr when either part failed.
QChar* joinParts(QChar* firstEnd, const QChar* secondBegin, const QChar* secondEnd)
{
    if (!firstEnd || !secondEnd)
        return nullptr;
    return std::copy(secondBegin, secondEnd, firstEnd); // moves down, never onto what it reads later
}

// `text` cut to `end`, or nothing when decoding failed.
std::optional<QString> finished(QString&& text, const QChar* end)
{
    if (!end)
        return std::nullopt;
    text.truncate(end - text.constData());
    return std::move(text);
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
    const qsizetype cut = bytes.size() >= kWorthTwoThreads && QThread::idealThreadCount() > 1
                              ? cutAfterLineFeed(bytes, bytes.size() / 2)
                              : bytes.size();
    if (cut == bytes.size())
        return finished(std::move(text), decodeValid(bytes, begin));
    QChar* secondEnd = nullptr;
    std::thread worker([&] { secondEnd = decodeValid(bytes.sliced(cut), begin + cut); });
    QChar* const firstEnd = decodeValid(bytes.first(cut), begin);
    worker.join();
    return finished(std::move(text), joinParts(firstEnd, begin + cut, secondEnd));
}

namespace {

bool startsWithByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB\xBF");
}

// Decodes a file's bytes on a thread of its own as they come in. Each
// stretch it takes is about a megabyte and ends after a line feed (a byte no
// multi-byte sequence holds), or at the end it is given. Its text grows from
// the start of the buffer it is given, which has room for as many
// characters as there are bytes.
class DecodingThread final
{
public:
    DecodingThread(const QByteArray& bytes, QChar* text) : m_bytes(bytes), m_out(text)
    {
        m_thread = std::thread([this] { run(); });
    }

    ~DecodingThread()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // More bytes are in, up to `available`.
    void feed(qsizetype available)
    {
        {
            std::lock_guard lock(m_mutex);
            m_available = available;
        }
        m_changed.notify_all();
    }

    // All `size` bytes are in. The thread goes on to the middle of what it
    // has not taken yet, at a line's end; returns that point, from which the
    // caller decodes the rest itself.
    qsizetype finishAtMiddle(qsizetype size)
    {
        qsizetype end = 0;
        {
            std::lock_guard lock(m_mutex);
            end = cutAfterLineFeed(QByteArrayView(m_bytes).first(size), m_taken + (size - m_taken) / 2);
            m_available = m_end = end;
        }
        m_changed.notify_all();
        return end;
    }

    // Waits for the thread; the end of its text, or nullptr when its bytes
    // were not valid UTF-8.
    QChar* join()
    {
        m_thread.join();
        return m_valid ? m_out : nullptr;
    }

private:
    static constexpr qsizetype kStretch = 1 << 20;

    // Under the lock: the end of the next stretch from m_taken on, or -1
    // while what is in holds no line's end.
    qsizetype nextStretchEnd() const
    {
        const qsizetype limit = m_end >= 0 ? m_end : m_available;
        if (limit == m_end && limit - m_taken <= kStretch)
            return limit;
        const qsizetype window = qMin(limit, m_taken + kStretch);
        const qsizetype last =
            QByteArrayView(m_bytes.constData() + m_taken, window - m_taken).lastIndexOf('\n');
        if (last >= 0)
            return m_taken + last + 1;
        const qsizetype next = QByteArrayView(m_bytes.constData() + window, limit - window).indexOf('\n');
        if (next >= 0)
            return window + next + 1;
        return limit == m_end ? limit : -1;
    }

    void run()
    {
        while (true) {
            qsizetype from = 0;
            qsizetype to = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] {
                    return m_stopped || m_taken == m_end || (m_available > m_taken && nextStretchEnd() >= 0);
                });
                if (m_stopped || m_taken == m_end)
                    return;
                from = m_taken;
                to = m_taken = nextStretchEnd();
            }
            m_out = decodeValid(QByteArrayView(m_bytes.constData() + from, to - from), m_out);
            if (!m_out) {
                m_valid = false;
                return;
            }
        }
    }

    const QByteArray& m_bytes;
    QChar* m_out;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_available = 0; // bytes read so far
    qsizetype m_taken = 0;     // the thread has decoded, or is decoding, up to here
    qsizetype m_end = -1;      // where the thread stops, once known
    bool m_stopped = false;
    bool m_valid = true;
};

} // namespace

FileText readValidText(const QString& path, qint64 pieceBytes)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw NorlaError::cannotOpen(QFileInfo(path).absoluteFilePath());
    const qint64 expected = file.size();
    FileText result;
    result.bytes = QByteArray(expected, Qt::Uninitialized);
    QString text(expected, Qt::Uninitialized); // never more UTF-16 units than bytes
    QChar* const begin = text.data();
    std::optional<DecodingThread> decoder;
    if (QThread::idealThreadCount() > 1 && expected > pieceBytes)
        decoder.emplace(result.bytes, begin);
    qint64 filled = 0;
    while (filled < expected) {
        const qint64 got = file.read(result.bytes.data() + filled, qMin(pieceBytes, expected - filled));
        if (got < 0)
            throw NorlaError::cannotOpen(QFileInfo(path).absoluteFilePath());
        if (got == 0)
            break; // the file shrank since its size was taken
        filled += got;
        if (decoder)
            decoder->feed(filled);
    }
    // A file that grew meanwhile is read to its end all the same, and
    // decoded once it is all in.
    const QByteArray rest = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw NorlaError::cannotOpen(QFileInfo(path).absoluteFilePath());
    if (!rest.isEmpty()) {
        decoder.reset();
        result.bytes.truncate(filled);
        result.bytes.append(rest);
    } else {
        result.bytes.truncate(filled); // the room stays, so the decoder's bytes do not move
    }
    if (startsWithByteOrderMark(result.bytes))
        return result;
    if (!decoder) {
        result.text = decodeValidText(result.bytes);
        return result;
    }
    // What the thread has not taken yet is shared: it goes on to the middle
    // of it, this thread decodes the rest behind the room of what lies
    // before, and moves it up against the thread's text.
    const qsizetype size = result.bytes.size();
    const qsizetype split = decoder->finishAtMiddle(size);
    QChar* const ownEnd = decodeValid(QByteArrayView(result.bytes).sliced(split), begin + split);
    QChar* const threadEnd = decoder->join();
    result.text = finished(std::move(text), joinParts(threadEnd, begin + split, ownEnd));
    return result;
}

} // namespace Utf8Text
