#include "core/record/DatabaseFormat.h"

#include "core/record/NorlaError.h"

#include <QDir>
#include <QFileInfo>

namespace {

using DatabaseFormat::Verdict;

const QString ChooseDatabase = QStringLiteral("Válassza ki az adatbázis fájlját (.rtf).");

bool startsWith(QByteArrayView bytes, QByteArrayView prefix)
{
    return bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

bool at(QByteArrayView bytes, qsizetype offset, QByteArrayView what)
{
    return bytes.size() >= offset + what.size() && bytes.sliced(offset, what.size()) == what;
}

uint byteAt(QByteArrayView bytes, qsizetype i)
{
    return uchar(bytes[i]);
}

QString zipKind(QByteArrayView head)
{
    if (at(head, 30, "mimetypeapplication/vnd.oasis.opendocument.text"))
        return QStringLiteral("OpenDocument-szöveg (ODT)");
    if (at(head, 30, "mimetypeapplication/vnd.oasis.opendocument.spreadsheet"))
        return QStringLiteral("OpenDocument-táblázat (ODS)");
    if (head.indexOf("word/") >= 0)
        return QStringLiteral("Word-dokumentum (DOCX)");
    if (head.indexOf("xl/") >= 0)
        return QStringLiteral("Excel-munkafüzet (XLSX)");
    return QStringLiteral("ZIP-tömörítvény");
}

bool looksLikeDbf(QByteArrayView head)
{
    if (head.size() < 32)
        return false;
    const uint version = byteAt(head, 0);
    const bool knownVersion = version == 0x02 || version == 0x03 || version == 0x30 || version == 0x31 ||
                              version == 0x83 || version == 0x8B || version == 0xF5;
    const uint month = byteAt(head, 2);
    const uint day = byteAt(head, 3);
    const uint headerSize = byteAt(head, 8) | (byteAt(head, 9) << 8);
    return knownVersion && month >= 1 && month <= 12 && day >= 1 && day <= 31 && headerSize >= 33 &&
           headerSize % 32 == 1;
}

// The kinds of file a bibliographer may pick by mistake, by the bytes they begin with.
QString signatureKind(QByteArrayView head, qint64 fileSize)
{
    if (startsWith(head, "\x89PNG\r\n\x1A\n"))
        return QStringLiteral("PNG-kép");
    if (startsWith(head, "%PDF-"))
        return QStringLiteral("PDF-dokumentum");
    if (startsWith(head, "PK\x03\x04") || startsWith(head, "PK\x05\x06") || startsWith(head, "PK\x07\x08"))
        return zipKind(head);
    if (startsWith(head, "GIF87a") || startsWith(head, "GIF89a"))
        return QStringLiteral("GIF-kép");
    if (startsWith(head, "\xFF\xD8\xFF"))
        return QStringLiteral("JPEG-kép");
    // Sized by hand: a literal with a NUL inside would end there.
    if (startsWith(head, QByteArrayView("II*\0", 4)) || startsWith(head, QByteArrayView("MM\0*", 4)))
        return QStringLiteral("TIFF-kép");
    if (startsWith(head, "RIFF") && at(head, 8, "WEBP"))
        return QStringLiteral("WebP-kép");
    if (startsWith(head, "BM") && head.size() >= 6 &&
        (byteAt(head, 2) | (byteAt(head, 3) << 8) | (byteAt(head, 4) << 16) |
         (qint64(byteAt(head, 5)) << 24)) == fileSize)
        return QStringLiteral("BMP-kép");
    if (startsWith(head, "\x1F\x8B"))
        return QStringLiteral("gzip-tömörítvény");
    if (startsWith(head, "BZh") && at(head, 4, "1AY&SY"))
        return QStringLiteral("bzip2-tömörítvény");
    if (startsWith(head, "\xFD"
                         "7zXZ"))
        return QStringLiteral("xz-tömörítvény");
    if (startsWith(head, "7z\xBC\xAF\x27\x1C"))
        return QStringLiteral("7-Zip-tömörítvény");
    if (startsWith(head, "Rar!\x1A\x07"))
        return QStringLiteral("RAR-tömörítvény");
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return QStringLiteral("régi Word- vagy Excel-dokumentum (DOC, XLS)");
    if (startsWith(head, "SQLite format 3"))
        return QStringLiteral("SQLite-adatbázis");
    if (startsWith(head, "\x7F"
                         "ELF") ||
        (startsWith(head, "MZ") && head.first(qMin<qsizetype>(head.size(), 64)).contains('\0')))
        return QStringLiteral("futtatható program");
    if (startsWith(head, "ID3") || startsWith(head, "OggS") ||
        (startsWith(head, "RIFF") && at(head, 8, "WAVE")))
        return QStringLiteral("hangfájl");
    if (at(head, 4, "ftyp"))
        return QStringLiteral("videó- vagy képfájl (MP4, MOV, HEIC)");
    if (looksLikeDbf(head))
        return QStringLiteral("dBase-tábla (DBF)");
    return {};
}

// Units no text typed into the editor holds: C0 controls other than the
// line ends, tab and form feed, the noncharacters U+FFFE and U+FFFF, and
// surrogates without their pair. A few may be stray; a binary file read as
// UTF-16 has them by the hundred.
qsizetype oddUnits(QByteArrayView body, bool littleEndian)
{
    const qsizetype units = body.size() / 2;
    const auto unitAt = [&](qsizetype i) {
        const uint a = byteAt(body, 2 * i);
        const uint b = byteAt(body, 2 * i + 1);
        return char16_t(littleEndian ? (a | (b << 8)) : (b | (a << 8)));
    };
    const auto isControl = [](char16_t c) {
        return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f';
    };
    const auto isLow = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    qsizetype odd = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t c = unitAt(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            // A high surrogate cut by the end of the sample is no fault.
            if (i + 1 < units && isLow(unitAt(i + 1)))
                ++i;
            else if (i + 1 < units)
                ++odd;
        } else if (isControl(c) || c == 0xFFFE || c == 0xFFFF || isLow(c)) {
            ++odd;
        }
    }
    return odd;
}

qsizetype oddBytes(QByteArrayView text)
{
    qsizetype odd = 0;
    for (const char ch : text) {
        const uint c = uchar(ch);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            ++odd;
    }
    return odd;
}

bool tooMany(qsizetype odd, qsizetype total)
{
    return odd > qMax<qsizetype>(8, total / 256);
}

// NUL bytes mostly at one parity: UTF-16 text of Latin letters without its mark.
bool looksLikeUtf16WithoutMark(QByteArrayView head)
{
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < head.size(); ++i)
        if (head[i] == '\0')
            ++(i % 2 ? odd : even);
    const qsizetype pairs = head.size() / 2;
    return pairs >= 4 && (qMax(even, odd) * 10 >= pairs * 4) && qMin(even, odd) * 20 <= qMax(even, odd);
}

Verdict binary()
{
    return {Verdict::Kind::Foreign, QStringLiteral("bináris fájl"), ChooseDatabase};
}

} // namespace

namespace DatabaseFormat {

Verdict judge(QByteArrayView head, QByteArrayView tail, qint64 fileSize)
{
    if (const QString kind = signatureKind(head, fileSize); !kind.isEmpty())
        return {Verdict::Kind::Foreign, kind,
                kind.startsWith(u"dBase") ? QStringLiteral("A dBase-táblát a Konvertálás oldal alakítja "
                                                           "adatbázissá.")
                                          : ChooseDatabase};
    const bool littleEndian = startsWith(head, "\xFF\xFE");
    const bool bigEndian = startsWith(head, "\xFE\xFF");
    if (littleEndian || bigEndian) {
        const Verdict cut{Verdict::Kind::Damaged,
                          QStringLiteral("UTF-16 szöveg, de a vége egy fél karakternél megszakad (csonka "
                                         "fájl, például félbemaradt másolás vagy mentés után)"),
                          QStringLiteral("Nem olvasom be, hogy a csonka változat ne kerülhessen mentésre; "
                                         "keresse meg az ép példányát (biztonsági mentés, helyreállítási "
                                         "másolat).")};
        if (fileSize % 2 != 0)
            return cut;
        if (tail.size() == 2 && fileSize >= 4) {
            const uint a = byteAt(tail, 0);
            const uint b = byteAt(tail, 1);
            const uint last = littleEndian ? (a | (b << 8)) : (b | (a << 8));
            if (last >= 0xD800 && last <= 0xDBFF)
                return cut;
        }
        const QByteArrayView body = head.sliced(2);
        if (tooMany(oddUnits(body, littleEndian), body.size() / 2))
            return {Verdict::Kind::Damaged,
                    QStringLiteral("UTF-16 jellel kezdődik, de a tartalma nem ép UTF-16 szöveg (bináris "
                                   "adat vagy sérült fájl)"),
                    ChooseDatabase};
        return {};
    }
    const QByteArrayView text = startsWith(head, "\xEF\xBB\xBF") ? head.sliced(3) : head;
    if (text.contains('\0')) {
        if (text.data() == head.data() && looksLikeUtf16WithoutMark(head))
            return {Verdict::Kind::Unreadable, QStringLiteral("UTF-16 szöveg bájtsorrend-jel (BOM) nélkül"),
                    QStringLiteral("Mentse el egy szövegszerkesztőben UTF-16 vagy UTF-8 kódolással, "
                                   "bájtsorrend-jellel (BOM), és nyissa meg újra.")};
        return binary();
    }
    if (tooMany(oddBytes(text), text.size()))
        return binary();
    if (startsWith(text, "{\\rtf"))
        return {Verdict::Kind::Foreign, QStringLiteral("valódi RTF-dokumentum (például szövegszerkesztőből)"),
                QStringLiteral("Ha a szövegét rekordokba szeretné átvenni, töltse be forrásként "
                               "(Fájl > Forrás betöltése...).")};
    return {};
}

QString message(const QString& path, const Verdict& verdict)
{
    const QString name = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QString headline;
    switch (verdict.kind) {
    case Verdict::Kind::Database:
    case Verdict::Kind::Foreign:
        headline = QStringLiteral("%1, nem adatbázis").arg(verdict.what);
        break;
    case Verdict::Kind::Damaged:
        headline = QStringLiteral("nem ép adatbázis: %1").arg(verdict.what);
        break;
    case Verdict::Kind::Unreadable:
        headline = QStringLiteral("nem olvasható adatbázisként: %1").arg(verdict.what);
        break;
    }
    return QStringLiteral("A(z) %1 fájl %2. Nem olvasom be rekordokként, és nem is írok bele. %3")
        .arg(name, headline, verdict.advice);
}

void check(const QString& path, QByteArrayView head, QByteArrayView tail, qint64 fileSize)
{
    const Verdict verdict = judge(head.first(qMin(head.size(), SampleBytes)), tail, fileSize);
    if (!verdict.isDatabase())
        throw NorlaError(message(path, verdict));
}

void checkNoNulByte(const QString& path, QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        throw NorlaError(message(path, binary()));
}

} // namespace DatabaseFormat
