#include "core/convert/DbfCodePage.h"

#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"

#include <QChar>
#include <QHash>
#include <QMutex>

#include <cstring>

#include <iconv.h>

namespace DbfCodePage {

// The language drivers of the published dBase table with the single-byte
// code page each stands for.
struct LanguageDriver
{
    unsigned char driver;
    const char* codePage;
};
constexpr LanguageDriver kLanguageDrivers[] = {
    {0x01, "CP437"},  {0x09, "CP437"},  {0x0B, "CP437"},  {0x0D, "CP437"},  {0x0F, "CP437"},
    {0x11, "CP437"},  {0x15, "CP437"},  {0x18, "CP437"},  {0x19, "CP437"},  {0x1B, "CP437"},
    {0x02, "CP850"},  {0x0A, "CP850"},  {0x0E, "CP850"},  {0x10, "CP850"},  {0x12, "CP850"},
    {0x14, "CP850"},  {0x16, "CP850"},  {0x1A, "CP850"},  {0x1D, "CP850"},  {0x25, "CP850"},
    {0x37, "CP850"},  {0x1F, "CP852"},  {0x22, "CP852"},  {0x23, "CP852"},  {0x40, "CP852"},
    {0x64, "CP852"},  {0x26, "CP866"},  {0x65, "CP866"},  {0x08, "CP865"},  {0x17, "CP865"},
    {0x66, "CP865"},  {0x24, "CP860"},  {0x1C, "CP863"},  {0x67, "CP861"},  {0x6A, "CP737"},
    {0x6B, "CP857"},  {0x03, "CP1252"}, {0x57, "CP1252"}, {0x58, "CP1252"}, {0x59, "CP1252"},
    {0xC8, "CP1250"}, {0xC9, "CP1251"}, {0xCA, "CP1254"}, {0xCB, "CP1253"}, {0xCC, "CP1257"},
    {0x7D, "CP1255"}, {0x7E, "CP1256"},
};

QByteArray forLanguageDriver(unsigned char driver)
{
    for (const LanguageDriver& known : kLanguageDrivers)
        if (known.driver == driver)
            return QByteArray(known.codePage);
    return {};
}

namespace {

Table buildTableWithIconv(const QByteArray& codePage)
{
    iconv_t cd = iconv_open("UTF-16LE", codePage.constData());
    if (cd == iconv_t(-1))
        throw NorlaError(QStringLiteral("A(z) %1 kódlap átalakítója nem érhető el a rendszeren.")
                             .arg(QString::fromLatin1(codePage)));
    Table table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = char16_t(b);
        if (b < 0x80)
            continue;
        char in = char(b);
        char out[8] = {};
        char* inPtr = &in;
        char* outPtr = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && sizeof out - outLeft == 2)
            table[b] = char16_t(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
    }
    iconv_close(cd);
    return table;
}

// The program's own tables come first (they are the reference for its 8-bit
// text), the system's converters serve the rest.
Table buildTable(const QByteArray& codePage)
{
    if (const auto known = CodePages::byName(codePage))
        return CodePages::toUnicodeTable(*known);
    return buildTableWithIconv(codePage);
}

// +1 when a byte reads as a letter in 852, -1 when not; the same for 1250
// with the opposite sign. Bytes below 0x80 weigh nothing.
std::array<int, 256> detectionWeights()
{
    const Table cp852 = toUnicodeTable(QByteArrayLiteral("CP852"));
    const Table cp1250 = toUnicodeTable(QByteArrayLiteral("CP1250"));
    std::array<int, 256> weights{};
    for (int b = 0x80; b < 256; ++b)
        weights[b] = (QChar(cp852[b]).isLetter() ? 1 : -1) - (QChar(cp1250[b]).isLetter() ? 1 : -1);
    return weights;
}

} // namespace

Table toUnicodeTable(const QByteArray& codePage)
{
    static QMutex mutex;
    static QHash<QByteArray, Table> cache;
    const QMutexLocker lock(&mutex);
    auto it = cache.constFind(codePage);
    if (it == cache.cend())
        it = cache.insert(codePage, buildTable(codePage));
    return *it;
}

Table toWin1250RoundTripTable(const QByteArray& codePage)
{
    Table table = toUnicodeTable(codePage);
    for (char16_t& c : table)
        c = Win1250::toUnicodeChar(static_cast<unsigned char>(Win1250::fromUnicodeChar(c)));
    return table;
}

QString decode(QByteArrayView bytes, const Table& table)
{
    if (bytes.isEmpty())
        return {};
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char b : bytes)
        *dst++ = QChar(table[static_cast<unsigned char>(b)]);
    return out;
}

void Detector::feed(QByteArrayView bytes)
{
    static const std::array<int, 256> weights = detectionWeights();
    // Table data is mostly blanks and ASCII: eight bytes without a high bit
    // at once are skipped in one test.
    const char* data = bytes.data();
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        if ((word & 0x8080808080808080ULL) == 0)
            continue;
        for (qsizetype j = i; j < i + 8; ++j)
            m_score += weights[static_cast<unsigned char>(data[j])];
    }
    for (; i < bytes.size(); ++i)
        m_score += weights[static_cast<unsigned char>(data[i])];
}

QByteArray Detector::verdict() const
{
    return m_score > 0 ? QByteArrayLiteral("CP852") : QByteArrayLiteral("CP1250");
}

} // namespace DbfCodePage
