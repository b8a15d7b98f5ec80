#include "core/search/Folding.h"

#include "core/record/Win1250.h"

#include <QChar>
#include <QString>

#include <memory>

namespace Folding {

namespace {

// Letters that have no canonical decomposition but a plain base in the
// Latin alphabet.
QStringView writtenOut(char16_t c)
{
    switch (c) {
    case u'ß':
    case 0x1E9E: // capital sharp s
        return u"ss";
    case u'æ':
    case u'Æ':
        return u"ae";
    case 0x0153: // œ
    case 0x0152:
        return u"oe";
    case u'ø':
    case u'Ø':
        return u"o";
    case 0x0142: // ł
    case 0x0141:
        return u"l";
    case 0x0111: // đ
    case 0x0110:
    case u'ð':
    case u'Ð':
        return u"d";
    case u'þ':
    case u'Þ':
        return u"th";
    case 0x0127: // ħ
    case 0x0126:
        return u"h";
    case 0x0167: // ŧ
    case 0x0166:
        return u"t";
    case 0x0131: // dotless i
        return u"i";
    case 0x0133: // ĳ
    case 0x0132:
        return u"ij";
    case 0x0140: // ŀ
    case 0x013F:
        return u"l";
    default:
        return {};
    }
}

bool isCombiningMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// The folded characters of one character, in Unicode.
void foldInto(char16_t c, QString& out)
{
    if (const QStringView plain = writtenOut(c); !plain.isEmpty()) {
        out += plain;
        return;
    }
    const QChar ch(c);
    if (isCombiningMark(ch))
        return;
    if (ch.decompositionTag() == QChar::Canonical) {
        for (const QChar part : ch.decomposition())
            foldInto(part.unicode(), out);
        return;
    }
    out += ch.toLower();
}

Folded toFolded(char16_t c)
{
    QString unicode;
    foldInto(c, unicode);
    Folded folded;
    for (const QChar part : std::as_const(unicode)) {
        if (folded.size == 2)
            break; // no folding this table builds is longer
        folded.bytes[folded.size++] = Win1250::fromUnicodeChar(part.unicode());
    }
    return folded;
}

bool inCodePage(char16_t c)
{
    return c == u'?' || Win1250::fromUnicodeChar(c) != '?';
}

} // namespace

const std::array<Folded, 256>& byteTable()
{
    static const std::array<Folded, 256> table = [] {
        std::array<Folded, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = toFolded(Win1250::toUnicodeChar(static_cast<unsigned char>(b)));
        return t;
    }();
    return table;
}

const std::array<Folded, 0x10000>& unitTable()
{
    static const std::unique_ptr<std::array<Folded, 0x10000>> table = [] {
        auto t = std::make_unique<std::array<Folded, 0x10000>>();
        const std::array<Folded, 256>& bytes = byteTable();
        for (int c = 0; c < 0x10000; ++c) {
            const auto unit = char16_t(c);
            (*t)[size_t(c)] = inCodePage(unit)
                                  ? bytes[static_cast<unsigned char>(Win1250::fromUnicodeChar(unit))]
                                  : toFolded(unit);
        }
        return t;
    }();
    return *table;
}

const std::array<Folded, 0x10000>& codePageTable()
{
    static const std::unique_ptr<std::array<Folded, 0x10000>> table = [] {
        auto t = std::make_unique<std::array<Folded, 0x10000>>();
        for (int c = 0; c < 0x10000; ++c) {
            const auto unit = char16_t(c);
            if (inCodePage(unit)) {
                Folded own;
                own.size = 1;
                own.bytes[0] = Win1250::fromUnicodeChar(unit);
                (*t)[size_t(c)] = own;
            } else {
                Folded folded = toFolded(unit);
                // A character that folds to nothing the code page has stays
                // the "?" it has always been.
                if (folded.size == 0 && !isCombiningMark(QChar(unit)))
                    folded = {1, {'?', 0}};
                (*t)[size_t(c)] = folded;
            }
        }
        return t;
    }();
    return *table;
}

void appendFolded(QByteArrayView text8, QByteArray& out)
{
    // Room for the longest folding first, then the bytes written directly:
    // appending byte by byte costs more than the folding itself.
    const std::array<Folded, 256>& table = byteTable();
    const qsizetype before = out.size();
    out.resize(before + 2 * text8.size());
    char* dst = out.data() + before;
    for (const char byte : text8) {
        const Folded& f = table[static_cast<unsigned char>(byte)];
        dst[0] = f.bytes[0];
        dst[1] = f.bytes[1];
        dst += f.size;
    }
    out.resize(dst - out.constData());
}

QByteArray fold8(QByteArrayView text8)
{
    QByteArray out;
    out.reserve(text8.size());
    appendFolded(text8, out);
    return out;
}

QByteArray fold(QStringView text)
{
    const std::array<Folded, 0x10000>& table = unitTable();
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const Folded& f = table[c.unicode()];
        out.append(f.bytes, f.size);
    }
    return out;
}

} // namespace Folding
