#include "core/source/RtfParser.h"

#include "core/record/CodePages.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace Rtf {

namespace {

// Groups nested deeper than this share the state of the deepest kept group:
// real documents stay far below it, and hostile ones cannot grow the stack.
constexpr qsizetype kMaxDepth = 4096;
// Numeric parameters saturate here; RTF's own values are 16 or 32 bit.
constexpr int kMaxParameter = 1'000'000'000;
// The RTF grammar limits control words to 32 letters; longer runs of letters
// are read in full but never match a known word.
constexpr qsizetype kMaxWordLength = 32;
constexpr qsizetype kMaxFontNameLength = 256;
// Word's limits for font sizes, in half points.
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;
constexpr int kDefaultHalfPoints = 24;
// Indents and spacing beyond 22 inches are noise.
constexpr int kMaxTwips = 31680;
// Sentinel code page for fonts with the symbol character set.
constexpr int kSymbolCodePage = -2;
constexpr size_t kFormatCacheSize = 16;
constexpr size_t kMaxDecoders = 32;
// How much input is read between two questions whether to stop.
constexpr qsizetype kStopCheckBytes = 1 << 16;

// ---------------------------------------------------------------------------
// Code pages

// The Symbol font places Greek letters on the Latin ones; older word
// processors wrote Greek that way. Only the letters and the bullet are mapped.
char16_t symbolFontChar(char16_t c)
{
    static constexpr std::u16string_view upper = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
    static constexpr std::u16string_view lower = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
    static_assert(upper.size() == 26 && lower.size() == 26);
    if (c >= 0xf020 && c <= 0xf0ff) // the private-use copy newer writers emit
        c -= 0xf000;
    if (c >= u'A' && c <= u'Z')
        return upper[c - u'A'];
    if (c >= u'a' && c <= u'z')
        return lower[c - u'a'];
    if (c == 0xb7)
        return 0x2022;
    return c;
}

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // the document's code page
    }
}

// Turns the bytes of \'hh escapes into text. The common Windows code pages
// are tables; any other goes through the system's converters, one stateful
// decoder per code page so double-byte characters split over two escapes
// still come out whole.
class CodePageDecoder final
{
public:
    // The text of one byte: usually one character, none for the first byte
    // of a double-byte character, sometimes more when a pending byte was invalid.
    QStringView decode(int codePage, unsigned char byte)
    {
        m_single = tableChar(codePage, byte);
        if (m_single != 0)
            return QStringView(&m_single, 1);
        QStringDecoder* decoder = decoderFor(codePage);
        if (!decoder) {
            m_single = CodePages::toUnicode(CodePages::CodePage::Windows1252, byte);
            return QStringView(&m_single, 1);
        }
        const char raw = static_cast<char>(byte);
        m_decoded = decoder->decode(QByteArrayView(&raw, 1));
        return m_decoded;
    }

private:
    // 0 when the code page has no table here.
    static char16_t tableChar(int codePage, unsigned char byte)
    {
        // Symbol fonts are mapped when their text is added, by the font's name.
        if (byte < 0x80 || codePage == kSymbolCodePage)
            return byte;
        if (const auto known = CodePages::byNumber(codePage))
            return CodePages::toUnicode(*known, byte);
        return 0;
    }

    QStringDecoder* decoderFor(int codePage)
    {
        auto found = m_decoders.find(codePage);
        if (found != m_decoders.end())
            return found->second.get();
        if (m_decoders.size() >= kMaxDecoders) // a file naming thousands of code pages gets no more look-ups
            return nullptr;
        std::unique_ptr<QStringDecoder> decoder;
        const QByteArray number = QByteArray::number(codePage);
        const QByteArray names[] = {codePage == 10000 ? QByteArray("macintosh") : "windows-" + number,
                                    "cp" + number, "ibm-" + number};
        for (const QByteArray& name : names) {
            auto candidate = std::make_unique<QStringDecoder>(name.constData());
            if (candidate->isValid()) {
                decoder = std::move(candidate);
                break;
            }
        }
        QStringDecoder* result = decoder.get();
        m_decoders.emplace(codePage, std::move(decoder));
        return result;
    }

    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;
    char16_t m_single = 0;
    QString m_decoded;
};

// ---------------------------------------------------------------------------
// Control words

enum class Word
{
    // destinations
    FontTable,
    ColorTable,
    Ignored,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    Binary,
    // font and colour tables
    Charset,
    FontCodePage,
    Red,
    Green,
    Blue,
    // text
    Paragraph,
    Line,
    Tab,
    Cell,
    Row,
    Character,
    // character formatting
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineDotted,
    UnderlineDash,
    UnderlineDashDot,
    UnderlineDashDotDot,
    UnderlineWave,
    UnderlineNone,
    Strike,
    Superscript,
    Subscript,
    NoSuperSub,
    Raised,
    Lowered,
    Hidden,
    Font,
    FontSize,
    Foreground,
    Background,
    // paragraph formatting
    ParagraphDefault,
    InTable,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstLineIndent,
    SpaceBefore,
    SpaceAfter,
};

struct WordInfo
{
    Word word;
    char16_t character = 0; // for Word::Character
};

std::unordered_map<std::string_view, WordInfo> wordList()
{
    {
        std::unordered_map<std::string_view, WordInfo> w;
        w["fonttbl"] = {Word::FontTable};
        w["colortbl"] = {Word::ColorTable};
        // Destinations whose content is not part of the running text.
        for (const char* name : {"stylesheet",
                                 "info",
                                 "pict",
                                 "header",
                                 "headerl",
                                 "headerr",
                                 "headerf",
                                 "footer",
                                 "footerl",
                                 "footerr",
                                 "footerf",
                                 "footnote",
                                 "listtable",
                                 "listoverridetable",
                                 "revtbl",
                                 "rsidtbl",
                                 "generator",
                                 "themedata",
                                 "colorschememapping",
                                 "datastore",
                                 "latentstyles",
                                 "xmlnsttbl",
                                 "filetbl",
                                 "pgdsctbl",
                                 "fldinst",
                                 "nonshppict",
                                 "shprslt",
                                 "objdata",
                                 "objclass",
                                 "objname",
                                 "xe",
                                 "tc",
                                 "txe",
                                 "rxe",
                                 "bkmkstart",
                                 "bkmkend",
                                 "annotation",
                                 "atnid",
                                 "atnauthor",
                                 "atndate",
                                 "atnref",
                                 "template",
                                 "docvar",
                                 "userprops",
                                 "mmathPr",
                                 "ftnsep",
                                 "ftnsepc",
                                 "ftncn",
                                 "aftnsep",
                                 "aftnsepc",
                                 "aftncn",
                                 "pnseclvl",
                                 "listpicture",
                                 "protusertbl",
                                 "fchars",
                                 "lchars",
                                 "wgrffmtfilter",
                                 "passwordhash",
                                 "comment",
                                 "title",
                                 "subject",
                                 "author",
                                 "operator",
                                 "keywords",
                                 "doccomm",
                                 "company",
                                 "manager",
                                 "category",
                                 "hlinkbase",
                                 "falt",
                                 "panose",
                                 "fontemb",
                                 "fontfile",
                                 "blipuid",
                                 "sp",
                                 "sn",
                                 "sv"})
            w[name] = {Word::Ignored};
        w["ansi"] = {Word::Ansi};
        w["mac"] = {Word::Mac};
        w["pc"] = {Word::Pc};
        w["pca"] = {Word::Pca};
        w["ansicpg"] = {Word::AnsiCodePage};
        w["deff"] = {Word::DefaultFont};
        w["uc"] = {Word::UnicodeSkip};
        w["u"] = {Word::Unicode};
        w["bin"] = {Word::Binary};
        w["fcharset"] = {Word::Charset};
        w["cpg"] = {Word::FontCodePage};
        w["red"] = {Word::Red};
        w["green"] = {Word::Green};
        w["blue"] = {Word::Blue};
        w["par"] = {Word::Paragraph};
        w["page"] = {Word::Paragraph};
        w["sect"] = {Word::Paragraph};
        w["column"] = {Word::Paragraph};
        w["line"] = {Word::Line};
        w["softline"] = {Word::Line};
        w["tab"] = {Word::Tab};
        w["cell"] = {Word::Cell};
        w["nestcell"] = {Word::Cell};
        w["row"] = {Word::Row};
        w["nestrow"] = {Word::Row};
        w["emdash"] = {Word::Character, 0x2014};
        w["endash"] = {Word::Character, 0x2013};
        w["bullet"] = {Word::Character, 0x2022};
        w["lquote"] = {Word::Character, 0x2018};
        w["rquote"] = {Word::Character, 0x2019};
        w["ldblquote"] = {Word::Character, 0x201c};
        w["rdblquote"] = {Word::Character, 0x201d};
        w["emspace"] = {Word::Character, 0x2003};
        w["enspace"] = {Word::Character, 0x2002};
        w["qmspace"] = {Word::Character, 0x2005};
        w["zwj"] = {Word::Character, 0x200d};
        w["zwnj"] = {Word::Character, 0x200c};
        w["plain"] = {Word::Plain};
        w["b"] = {Word::Bold};
        w["i"] = {Word::Italic};
        for (const char* name : {"ul", "uldb", "ulth", "ulw", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                                 "ulthldash", "ulldash"})
            w[name] = {Word::Underline};
        w["uld"] = {Word::UnderlineDotted};
        w["uldash"] = {Word::UnderlineDash};
        w["uldashd"] = {Word::UnderlineDashDot};
        w["uldashdd"] = {Word::UnderlineDashDotDot};
        w["ulwave"] = {Word::UnderlineWave};
        w["ulhwave"] = {Word::UnderlineWave};
        w["ululdbwave"] = {Word::UnderlineWave};
        w["ulnone"] = {Word::UnderlineNone};
        w["strike"] = {Word::Strike};
        w["striked"] = {Word::Strike};
        w["super"] = {Word::Superscript};
        w["sub"] = {Word::Subscript};
        w["nosupersub"] = {Word::NoSuperSub};
        w["up"] = {Word::Raised};
        w["dn"] = {Word::Lowered};
        w["v"] = {Word::Hidden};
        w["f"] = {Word::Font};
        w["fs"] = {Word::FontSize};
        w["cf"] = {Word::Foreground};
        w["cb"] = {Word::Background};
        w["highlight"] = {Word::Background};
        w["chcbpat"] = {Word::Background};
        w["pard"] = {Word::ParagraphDefault};
        w["intbl"] = {Word::InTable};
        w["ql"] = {Word::AlignLeft};
        w["qc"] = {Word::AlignCenter};
        w["qr"] = {Word::AlignRight};
        w["qj"] = {Word::AlignJustify};
        w["qd"] = {Word::AlignJustify};
        w["li"] = {Word::LeftIndent};
        w["lin"] = {Word::LeftIndent};
        w["ri"] = {Word::RightIndent};
        w["rin"] = {Word::RightIndent};
        w["fi"] = {Word::FirstLineIndent};
        w["sb"] = {Word::SpaceBefore};
        w["sa"] = {Word::SpaceAfter};
        return w;
    }
}

// The control words in a flat open-addressed table: a look-up is a short hash
// of at most 32 letters and one comparison, done for every control word of a
// document, which may hold tens of millions of them.
class WordTable final
{
public:
    WordTable()
    {
        for (const auto& [name, info] : wordList()) {
            size_t slot = hash(name) & kMask;
            while (!m_slots[slot].name.empty())
                slot = (slot + 1) & kMask;
            m_slots[slot] = {name, info};
        }
    }

    const WordInfo* find(std::string_view name) const
    {
        for (size_t slot = hash(name) & kMask;; slot = (slot + 1) & kMask) {
            const Slot& candidate = m_slots[slot];
            if (candidate.name.empty())
                return nullptr;
            // Most words are a few letters: the first one and the length
            // tell almost every other word apart without a call.
            if (candidate.name.size() == name.size() && candidate.name[0] == name[0] &&
                candidate.name == name)
                return &candidate.info;
        }
    }

private:
    static constexpr size_t kSize = 1024; // well over twice the words, so probe runs stay short
    static constexpr size_t kMask = kSize - 1;

    static size_t hash(std::string_view name)
    {
        size_t h = 2166136261u; // FNV-1a
        for (const char c : name)
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h ^ (h >> 11);
    }

    struct Slot
    {
        std::string_view name;
        WordInfo info{Word::Ignored};
    };
    std::array<Slot, kSize> m_slots{};
};

const WordTable& knownWords()
{
    static const WordTable table;
    return table;
}

// ---------------------------------------------------------------------------
// Parser state

enum class Destination : quint8
{
    Text,
    FontTable,
    ColorTable
};

struct CharProps
{
    int font = -1; // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int foreground = 0; // colour table index; 0 is "automatic"
    int background = 0;
    Underline underline = Underline::None;
    VerticalAlignment verticalAlignment = VerticalAlignment::Normal;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;

    bool operator==(const CharProps&) const = default;
};

struct ParagraphProps
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstLineTwips = 0;
    int beforeTwips = 0;
    int afterTwips = 0;
    bool inTable = false;
};

struct GroupState
{
    CharProps chars;
    ParagraphProps paragraph;
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
};

struct FontEntry
{
    QString name;
    int codePage = 0; // 0: the document's code page
    bool symbol = false;
};

// Bytes that a span of plain text goes on over: printable ASCII except the
// three that carry structure.
constexpr std::array<bool, 256> kPlainText = [] {
    std::array<bool, 256> table{};
    for (int b = 0x20; b < 0x80; ++b)
        table[size_t(b)] = b != '\\' && b != '{' && b != '}';
    return table;
}();

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int clampedTwips(int twips)
{
    return std::clamp(twips, -kMaxTwips, kMaxTwips);
}

// Characters a text document reserves for its own structure (frame marks,
// object placeholders) and lone UTF-16 surrogates, which a \u escape without
// its partner leaves, become U+FFFD; a paragraph separator becomes a line break.
void sanitize(std::u16string& text)
{
    const qsizetype n = qsizetype(text.size());
    QChar* data = reinterpret_cast<QChar*>(text.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (data[i].isHighSurrogate() && i + 1 < n && data[i + 1].isLowSurrogate())
            ++i;
        else if (data[i].isSurrogate() || (c >= 0xfdd0 && c <= 0xfdef) || c == 0xfffc || c == 0xfffe ||
                 c == 0xffff)
            data[i] = QChar::ReplacementCharacter;
        else if (c == QChar::ParagraphSeparator)
            data[i] = QChar::LineSeparator;
    }
}

class Parser final
{
public:
    Parser(QByteArrayView input, Sink& sink, const JobControl& control)
        : m_in(input), m_sink(sink), m_control(control)
    {
    }
    Q_DISABLE_COPY_MOVE(Parser)

    void parse()
    {
        qsizetype nextStopCheck = 0;
        while (m_pos < m_in.size() && !m_finished) {
            if (m_pos >= nextStopCheck) {
                m_control.throwIfStopped();
                nextStopCheck = m_pos + kStopCheckBytes;
            }
            if (m_skipDepth > 0)
                skipGroupContent();
            else
                readToken();
        }
        if (!m_finished)
            finish(); // a truncated file keeps what was read
    }

private:
    // --- tokens ---------------------------------------------------------

    void readToken()
    {
        const char c = m_in[m_pos];
        if (!m_started) { // anything before the outermost group is not RTF
            ++m_pos;
            if (c == '{') {
                m_started = true;
                m_stack.push_back(m_state);
            }
            return;
        }
        switch (c) {
        case '{':
            ++m_pos;
            openGroup();
            break;
        case '}':
            ++m_pos;
            closeGroup();
            break;
        case '\\':
            ++m_pos;
            readControl();
            break;
        case '\r':
        case '\n':
            ++m_pos;
            break;
        default:
            readText();
            break;
        }
    }

    void readText()
    {
        const auto byte = static_cast<unsigned char>(m_in[m_pos]);
        if (consumeFallback()) {
            ++m_pos;
            return;
        }
        if (byte >= 0x80) {
            ++m_pos;
            emitByte(byte);
            return;
        }
        if (byte < 0x20) {
            ++m_pos;
            if (byte == '\t')
                emitText(u"\t");
            return; // other control characters are noise
        }
        const qsizetype start = m_pos;
        const qsizetype n = m_in.size();
        const char* data = m_in.data();
        while (m_pos < n && kPlainText[static_cast<unsigned char>(data[m_pos])])
            ++m_pos;
        const QByteArrayView span = m_in.sliced(start, m_pos - start);
        if (m_state.destination == Destination::Text)
            appendToRun(QLatin1StringView(span.data(), span.size()));
        else
            emitText(QString::fromLatin1(span));
    }

    void readControl()
    {
        if (m_pos >= m_in.size())
            return; // a lone backslash at the end
        const char c = m_in[m_pos];
        if (isLetter(c))
            readControlWord();
        else {
            ++m_pos;
            readControlSymbol(c);
        }
    }

    void readControlSymbol(char c)
    {
        if (c == '\'') {
            const int byte = readHexByte();
            if (byte >= 0 && !consumeFallback())
                emitByte(static_cast<unsigned char>(byte));
            return;
        }
        if (c == '*') { // an optional destination this reader does not know
            ignoreDestination();
            return;
        }
        if (consumeFallback())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}': {
            const char16_t ch = static_cast<char16_t>(c);
            emitText(QStringView(&ch, 1));
            break;
        }
        case '~':
            emitText(u"\u00a0");
            break;
        case '_': // a non-breaking hyphen is a hyphen to whoever lifts the text into a field
            emitText(u"-");
            break;
        case '\r':
        case '\n':
            if (m_state.destination == Destination::Text)
                endParagraph();
            break;
        default: // "\-" optional hyphen, "\|", "\:" and the unknown
            break;
        }
    }

    // A broken escape (fewer than two hex digits) is dropped with its digits.
    int readHexByte()
    {
        int value = 0;
        for (int digits = 0; digits < 2; ++digits) {
            const int digit = m_pos < m_in.size() ? hexValue(m_in[m_pos]) : -1;
            if (digit < 0)
                return -1;
            value = value * 16 + digit;
            ++m_pos;
        }
        return value;
    }

    void readControlWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const qsizetype length = m_pos - start;
        const std::string_view name(m_in.data() + start, static_cast<size_t>(length));

        bool hasParameter = false;
        int parameter = 0;
        if (m_pos < m_in.size() && (isDigit(m_in[m_pos]) || (m_in[m_pos] == '-' && m_pos + 1 < m_in.size() &&
                                                             isDigit(m_in[m_pos + 1])))) {
            hasParameter = true;
            const bool negative = m_in[m_pos] == '-';
            if (negative)
                ++m_pos;
            qint64 value = 0;
            while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
                value = std::min<qint64>(value * 10 + (m_in[m_pos] - '0'), kMaxParameter);
                ++m_pos;
            }
            parameter = static_cast<int>(negative ? -value : value);
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;

        if (length > kMaxWordLength)
            return;
        // \uN is most of the control words of a text in a non-Latin script or
        // with many accents; it goes straight to its character.
        if (length == 1 && name[0] == 'u' && hasParameter) {
            if (!consumeFallback()) {
                emitUnicode(parameter);
                m_fallbackToSkip = m_state.unicodeSkip;
            }
            return;
        }
        const WordInfo* found = knownWords().find(name);
        if (!found) {
            consumeFallback();
            return;
        }
        if (found->word == Word::Binary) {
            skipBinary(hasParameter ? parameter : 0);
            consumeFallback();
            return;
        }
        if (consumeFallback())
            return;
        applyWord(*found, hasParameter, parameter);
    }

    void skipBinary(int count) { m_pos += std::min<qsizetype>(std::max(count, 0), m_in.size() - m_pos); }

    // After \uN the next N "characters" (ucN) are the fallback for readers
    // without Unicode; each plain character, escape or control word counts one.
    bool consumeFallback()
    {
        if (m_fallbackToSkip <= 0)
            return false;
        --m_fallbackToSkip;
        return true;
    }

    // --- groups ---------------------------------------------------------

    void openGroup()
    {
        m_fallbackToSkip = 0;
        if (m_overflowDepth > 0 || qsizetype(m_stack.size()) >= kMaxDepth) {
            ++m_overflowDepth;
            return;
        }
        m_stack.push_back(m_state);
    }

    void closeGroup()
    {
        m_fallbackToSkip = 0;
        // A font entry may lack its closing ";"; its group's end closes it too.
        if (m_state.destination == Destination::FontTable && qsizetype(m_stack.size()) == m_fontEntryDepth)
            commitFont();
        if (m_overflowDepth > 0) {
            --m_overflowDepth;
            return;
        }
        leaveGroup();
    }

    void leaveGroup()
    {
        if (m_stack.size() <= 1) { // the outermost group ends the document
            finish();
            m_finished = true;
            return;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        m_stateTouched = true;
    }

    bool inRootGroup() const { return m_stack.size() <= 1 && m_overflowDepth == 0; }

    // Skips the rest of the current group without keeping state for the
    // groups inside it; only escapes and \bin need a look.
    void ignoreDestination()
    {
        if (inRootGroup())
            return; // a stray destination word must not swallow the document
        m_skipDepth = 1;
    }

    void skipGroupContent()
    {
        const qsizetype n = m_in.size();
        while (m_pos < n) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                ++m_skipDepth;
            } else if (c == '}') {
                if (--m_skipDepth == 0) {
                    closeGroup();
                    return;
                }
            } else if (c == '\\' && m_pos < n) {
                if (isLetter(m_in[m_pos]))
                    skipControlWord();
                else
                    ++m_pos; // an escaped brace or backslash is text, not structure
            }
        }
    }

    void skipControlWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const bool binary =
            std::string_view(m_in.data() + start, static_cast<size_t>(m_pos - start)) == "bin";
        if (!binary)
            return; // its parameter is skipped as plain content
        qint64 value = 0;
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            value = std::min<qint64>(value * 10 + (m_in[m_pos] - '0'), kMaxParameter);
            ++m_pos;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        skipBinary(static_cast<int>(value));
    }

    // --- control words --------------------------------------------------

    void applyWord(const WordInfo& info, bool hasParameter, int parameter)
    {
        const bool on = !hasParameter || parameter != 0;
        switch (info.word) {
        case Word::FontTable:
        case Word::ColorTable:
            enterTable(info.word == Word::FontTable ? Destination::FontTable : Destination::ColorTable);
            return;
        case Word::Ignored:
            ignoreDestination();
            return;
        case Word::Ansi:
            setDefaultCodePage(1252);
            return;
        case Word::Mac:
            setDefaultCodePage(10000);
            return;
        case Word::Pc:
            setDefaultCodePage(437);
            return;
        case Word::Pca:
            setDefaultCodePage(850);
            return;
        case Word::AnsiCodePage:
            if (parameter > 0)
                m_codePage = parameter;
            m_codePageExplicit = true;
            return;
        case Word::DefaultFont:
            m_defaultFont = parameter;
            return;
        case Word::UnicodeSkip:
            m_state.unicodeSkip = std::max(parameter, 0);
            return;
        case Word::Unicode:
            if (!hasParameter)
                return;
            emitUnicode(parameter);
            m_fallbackToSkip = m_state.unicodeSkip;
            return;
        case Word::Binary:
            return; // handled while reading the word
        default:
            break;
        }
        switch (m_state.destination) {
        case Destination::FontTable:
            applyFontTableWord(info.word, parameter);
            break;
        case Destination::ColorTable:
            applyColorTableWord(info.word, parameter);
            break;
        case Destination::Text:
            applyTextWord(info, on, hasParameter, parameter);
            break;
        }
    }

    void setDefaultCodePage(int codePage)
    {
        if (!m_codePageExplicit)
            m_codePage = codePage;
    }

    void enterTable(Destination destination)
    {
        if (inRootGroup())
            return;
        if (m_overflowDepth > 0) { // its state could not be undone at the group's end
            ignoreDestination();
            return;
        }
        m_state.destination = destination;
        if (destination == Destination::ColorTable) {
            m_colors.clear();
            m_colorComponents = {-1, -1, -1};
        } else {
            m_fontBeingRead = -1;
        }
    }

    void applyFontTableWord(Word word, int parameter)
    {
        switch (word) {
        case Word::Font:
            commitFont();
            m_fontBeingRead = std::max(parameter, 0);
            m_fontEntryDepth = qsizetype(m_stack.size());
            m_fonts[m_fontBeingRead] = FontEntry{};
            break;
        case Word::Charset:
            if (m_fontBeingRead >= 0)
                m_fonts[m_fontBeingRead].codePage = codePageForCharset(parameter);
            break;
        case Word::FontCodePage:
            if (m_fontBeingRead >= 0 && parameter > 0)
                m_fonts[m_fontBeingRead].codePage = parameter;
            break;
        default:
            break;
        }
    }

    void applyColorTableWord(Word word, int parameter)
    {
        const int component = std::clamp(parameter, 0, 255);
        if (word == Word::Red)
            m_colorComponents[0] = component;
        else if (word == Word::Green)
            m_colorComponents[1] = component;
        else if (word == Word::Blue)
            m_colorComponents[2] = component;
    }

    void applyTextWord(const WordInfo& info, bool on, bool hasParameter, int parameter)
    {
        if (!writesText(info.word))
            m_stateTouched = true;
        CharProps& chars = m_state.chars;
        ParagraphProps& paragraph = m_state.paragraph;
        switch (info.word) {
        case Word::Paragraph:
            endParagraph();
            break;
        case Word::Line:
            emitText(u"\u2028");
            break;
        case Word::Tab:
            emitText(u"\t");
            break;
        case Word::Cell:
            // A cell's own last paragraph mark (pandoc writes one) is the cell's end, not a line.
            if (m_pendingParagraph && m_pendingParagraphInTable)
                m_pendingParagraph = false;
            materializeBreaks();
            m_pendingCellSeparator = true;
            break;
        case Word::Row:
            m_pendingCellSeparator = false;
            endParagraph();
            break;
        case Word::Character:
            emitText(QStringView(&info.character, 1));
            break;
        case Word::Plain:
            chars = CharProps{};
            break;
        case Word::Bold:
            chars.bold = on;
            break;
        case Word::Italic:
            chars.italic = on;
            break;
        case Word::Underline:
            setUnderline(on, Underline::Single);
            break;
        case Word::UnderlineDotted:
            setUnderline(on, Underline::Dotted);
            break;
        case Word::UnderlineDash:
            setUnderline(on, Underline::Dash);
            break;
        case Word::UnderlineDashDot:
            setUnderline(on, Underline::DashDot);
            break;
        case Word::UnderlineDashDotDot:
            setUnderline(on, Underline::DashDotDot);
            break;
        case Word::UnderlineWave:
            setUnderline(on, Underline::Wave);
            break;
        case Word::UnderlineNone:
            chars.underline = Underline::None;
            break;
        case Word::Strike:
            chars.strike = on;
            break;
        case Word::Superscript:
            chars.verticalAlignment = VerticalAlignment::Superscript;
            break;
        case Word::Subscript:
            chars.verticalAlignment = VerticalAlignment::Subscript;
            break;
        case Word::NoSuperSub:
            chars.verticalAlignment = VerticalAlignment::Normal;
            break;
        case Word::Raised: // a raised or lowered baseline is shown as super- or subscript
        case Word::Lowered:
            if (!hasParameter || parameter > 0)
                chars.verticalAlignment =
                    info.word == Word::Raised ? VerticalAlignment::Superscript : VerticalAlignment::Subscript;
            else
                chars.verticalAlignment = VerticalAlignment::Normal;
            break;
        case Word::Hidden:
            chars.hidden = on;
            break;
        case Word::Font:
            chars.font = std::max(parameter, 0);
            break;
        case Word::FontSize:
            chars.halfPoints =
                parameter > 0 ? std::clamp(parameter, kMinHalfPoints, kMaxHalfPoints) : kDefaultHalfPoints;
            break;
        case Word::Foreground:
            chars.foreground = std::max(parameter, 0);
            break;
        case Word::Background:
            chars.background = std::max(parameter, 0);
            break;
        case Word::ParagraphDefault:
            paragraph = ParagraphProps{};
            break;
        case Word::InTable:
            paragraph.inTable = true;
            break;
        case Word::AlignLeft:
            paragraph.alignment = Qt::AlignLeft;
            break;
        case Word::AlignCenter:
            paragraph.alignment = Qt::AlignHCenter;
            break;
        case Word::AlignRight:
            paragraph.alignment = Qt::AlignRight;
            break;
        case Word::AlignJustify:
            paragraph.alignment = Qt::AlignJustify;
            break;
        case Word::LeftIndent:
            paragraph.leftTwips = parameter;
            break;
        case Word::RightIndent:
            paragraph.rightTwips = parameter;
            break;
        case Word::FirstLineIndent:
            paragraph.firstLineTwips = parameter;
            break;
        case Word::SpaceBefore:
            paragraph.beforeTwips = parameter;
            break;
        case Word::SpaceAfter:
            paragraph.afterTwips = parameter;
            break;
        default:
            break;
        }
    }

    // The words that add text or breaks and leave the formatting alone.
    static bool writesText(Word word)
    {
        switch (word) {
        case Word::Paragraph:
        case Word::Line:
        case Word::Tab:
        case Word::Cell:
        case Word::Row:
        case Word::Character:
            return true;
        default:
            return false;
        }
    }

    void setUnderline(bool on, Underline style) { m_state.chars.underline = on ? style : Underline::None; }

    // --- text -----------------------------------------------------------

    int currentCodePage() const
    {
        const int font = m_state.destination == Destination::FontTable ? m_fontBeingRead : effectiveFont();
        const auto found = m_fonts.find(font);
        if (found != m_fonts.end() && found->second.codePage != 0)
            return found->second.codePage;
        return m_codePage;
    }

    int effectiveFont() const { return m_state.chars.font >= 0 ? m_state.chars.font : m_defaultFont; }

    void emitByte(unsigned char byte)
    {
        if (byte < 0x20 && byte != '\t')
            return; // control characters are noise, as in plain text
        emitText(m_decoder.decode(currentCodePage(), byte));
    }

    void emitUnicode(int value)
    {
        if (value < 0)
            value += 0x10000;
        if (value < 0 || value > 0xffff) {
            emitText(u"\ufffd");
            return;
        }
        const char16_t c = static_cast<char16_t>(value);
        if (c < 0x20 && c != u'\t')
            return;
        emitText(QStringView(&c, 1));
    }

    // True when the character simply extends the text run being collected:
    // what appendViewToRun would check for it all comes out "just append".
    bool continuesRun(char16_t c) const
    {
        return !m_run.empty() && m_state.destination == Destination::Text && !m_stateTouched &&
               m_lastParagraph && !m_state.chars.hidden && !m_pendingParagraph && !m_pendingCellSeparator &&
               !m_runInSymbolFont && c < 0xd800 && c != QChar::ParagraphSeparator;
    }

    void emitText(QStringView text)
    {
        if (text.size() == 1 && continuesRun(text[0].unicode())) {
            m_run.push_back(text[0].unicode());
            return;
        }
        switch (m_state.destination) {
        case Destination::Text:
            appendToRun(text);
            break;
        case Destination::FontTable:
            appendToFontName(text);
            break;
        case Destination::ColorTable:
            for (const QChar c : text)
                if (c == u';')
                    commitColor();
            break;
        }
    }

    void appendToFontName(QStringView text)
    {
        for (const QChar c : text) {
            if (c == u';')
                commitFont();
            else if (m_fontBeingRead >= 0 && m_fontName.size() < kMaxFontNameLength)
                m_fontName += c;
        }
    }

    void commitFont()
    {
        if (m_fontBeingRead >= 0 && !m_fontName.trimmed().isEmpty()) {
            FontEntry& font = m_fonts[m_fontBeingRead];
            font.name = m_fontName.trimmed();
            // Only the Symbol font itself; other symbol fonts (Wingdings) have no text mapping.
            font.symbol =
                font.codePage == kSymbolCodePage && font.name.startsWith(u"Symbol", Qt::CaseInsensitive);
        }
        m_formatCache.clear();
        m_fontName.clear();
        m_fontBeingRead = -1;
    }

    void commitColor()
    {
        const auto& [red, green, blue] = m_colorComponents;
        const bool automatic = red < 0 && green < 0 && blue < 0;
        m_colors.push_back(automatic ? std::optional<Color>()
                                     : Color{quint8(std::max(red, 0)), quint8(std::max(green, 0)),
                                             quint8(std::max(blue, 0))});
        m_colorComponents = {-1, -1, -1};
        m_formatCache.clear();
    }

    void appendToRun(QStringView text) { appendViewToRun(text); }
    void appendToRun(QLatin1StringView text) { appendViewToRun(text); }

    template <typename View> void appendViewToRun(View text)
    {
        if (text.isEmpty() || m_state.chars.hidden)
            return;
        materializeBreaks();
        // The properties can only have changed when a control word or a
        // group's end touched them; most text follows other text.
        if (m_stateTouched || !m_lastParagraph) {
            if (!m_run.empty() && !(m_runProps == m_state.chars))
                flushRun();
            m_lastParagraph = m_state.paragraph;
            m_stateTouched = false;
        }
        if (m_run.empty()) {
            m_runProps = m_state.chars;
            m_runInSymbolFont = isSymbolFont(m_runProps.font >= 0 ? m_runProps.font : m_defaultFont);
        }
        if constexpr (std::is_same_v<View, QStringView>)
            m_runNeedsSanitizing = m_runNeedsSanitizing || mayNeedSanitizing(text);
        if (m_runInSymbolFont) {
            for (qsizetype i = 0; i < text.size(); ++i)
                m_run.push_back(symbolFontChar(QChar(text[i]).unicode()));
            return;
        }
        if constexpr (std::is_same_v<View, QStringView>)
            m_run.append(text.utf16(), size_t(text.size()));
        else
            appendLatin1(text);
    }

    // Widened in place: appending through iterators of another character
    // type would build a temporary string first.
    void appendLatin1(QLatin1StringView text)
    {
        const size_t start = m_run.size();
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        m_run.resize(start + size_t(text.size()));
        char16_t* out = m_run.data() + start;
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = bytes[i];
    }

    // Latin-1 text never does; what sanitize() replaces lies at U+D800 and above
    // or is the paragraph separator. The Symbol font's mapping makes none of them.
    static bool mayNeedSanitizing(QStringView text)
    {
        for (const QChar c : text)
            if (c.unicode() >= 0xd800 || c == QChar::ParagraphSeparator)
                return true;
        return false;
    }

    bool isSymbolFont(int font) const
    {
        const auto found = m_fonts.find(font);
        return found != m_fonts.end() && found->second.symbol;
    }

    // A paragraph mark or cell end becomes part of the document only when more
    // text follows, so the document's closing \par adds no empty paragraph.
    void materializeBreaks()
    {
        if (m_pendingParagraph) {
            m_pendingParagraph = false;
            m_sink.paragraphStart();
        }
        if (m_pendingCellSeparator) {
            m_pendingCellSeparator = false;
            appendToRun(u"\t");
        }
    }

    void endParagraph()
    {
        materializeBreaks();
        flushRun();
        m_sink.paragraphEnd(paragraphFormat(m_state.paragraph));
        m_pendingParagraph = true;
        m_pendingParagraphInTable = m_state.paragraph.inTable;
        m_lastParagraph.reset();
    }

    void flushRun()
    {
        if (m_run.empty())
            return;
        if (m_runNeedsSanitizing)
            sanitize(m_run);
        m_runNeedsSanitizing = false;
        m_sink.text(QStringView(m_run.data(), qsizetype(m_run.size())), cachedCharFormat(m_runProps));
        m_run.clear(); // keeps the buffer for the next run
    }

    void finish()
    {
        m_pendingCellSeparator = false;
        flushRun();
        // A last paragraph without its mark takes the properties its text had;
        // the groups that set them may have closed since.
        if (!m_pendingParagraph)
            m_sink.paragraphEnd(paragraphFormat(m_lastParagraph ? *m_lastParagraph : m_state.paragraph));
    }

    // Runs mostly alternate between a handful of formats; reusing the
    // resolved formats spares the font and colour look-ups for every run.
    const CharFormat& cachedCharFormat(const CharProps& props)
    {
        for (const auto& [cachedProps, format] : m_formatCache)
            if (cachedProps == props)
                return format;
        if (m_formatCache.size() >= kFormatCacheSize)
            m_formatCache.erase(m_formatCache.begin());
        m_formatCache.emplace_back(props, charFormat(props));
        return m_formatCache.back().second;
    }

    CharFormat charFormat(const CharProps& props) const
    {
        CharFormat format;
        const auto font = m_fonts.find(props.font >= 0 ? props.font : m_defaultFont);
        if (font != m_fonts.end())
            format.fontFamily = font->second.name;
        format.halfPoints = props.halfPoints;
        format.bold = props.bold;
        format.italic = props.italic;
        format.underline = props.underline;
        format.strike = props.strike;
        format.verticalAlignment = props.verticalAlignment;
        format.foreground = colorAt(props.foreground);
        format.background = colorAt(props.background);
        return format;
    }

    std::optional<Color> colorAt(int index) const
    {
        return index > 0 && index < qsizetype(m_colors.size()) ? m_colors[size_t(index)] : std::nullopt;
    }

    static ParagraphFormat paragraphFormat(const ParagraphProps& props)
    {
        ParagraphFormat format;
        format.alignment = props.alignment;
        format.leftTwips = clampedTwips(props.leftTwips);
        format.rightTwips = clampedTwips(props.rightTwips);
        format.firstLineTwips = clampedTwips(props.firstLineTwips);
        format.beforeTwips = clampedTwips(props.beforeTwips);
        format.afterTwips = clampedTwips(props.afterTwips);
        return format;
    }

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    bool m_started = false;
    bool m_finished = false;

    std::vector<GroupState> m_stack;
    GroupState m_state;
    qint64 m_overflowDepth = 0;
    qint64 m_skipDepth = 0;
    int m_fallbackToSkip = 0;

    int m_codePage = 1252;
    bool m_codePageExplicit = false;
    int m_defaultFont = -1;
    std::map<int, FontEntry> m_fonts;
    int m_fontBeingRead = -1;
    qsizetype m_fontEntryDepth = -1;
    QString m_fontName;
    std::vector<std::optional<Color>> m_colors; // none: "automatic"
    std::array<int, 3> m_colorComponents = {-1, -1, -1};
    CodePageDecoder m_decoder;

    Sink& m_sink;
    const JobControl& m_control;
    std::u16string m_run; // appended to for every character or two, so kept inline-cheap
    CharProps m_runProps;
    bool m_runInSymbolFont = false;
    bool m_runNeedsSanitizing = false;
    bool m_stateTouched = true;                    // a control word or a group's end may have changed m_state
    std::optional<ParagraphProps> m_lastParagraph; // of the text since the last paragraph mark
    std::vector<std::pair<CharProps, CharFormat>> m_formatCache;
    bool m_pendingParagraph = false;
    bool m_pendingParagraphInTable = false;
    bool m_pendingCellSeparator = false;
};

} // namespace

bool looksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && isSpace(bytes[i]))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

void parse(QByteArrayView bytes, Sink& sink, const JobControl& control)
{
    Parser(bytes, sink, control).parse();
}

} // namespace Rtf
