#include "core/exchange/LatexText.h"

#include "core/exchange/CharacterScan.h"

#include <QHash>

namespace LatexText {

namespace {

char16_t combiningMark(QStringView command)
{
    static const QHash<QString, char16_t> marks = {
        {QStringLiteral("'"), 0x0301}, {QStringLiteral("\""), 0x0308}, {QStringLiteral("`"), 0x0300},
        {QStringLiteral("^"), 0x0302}, {QStringLiteral("~"), 0x0303},  {QStringLiteral("="), 0x0304},
        {QStringLiteral("."), 0x0307}, {QStringLiteral("H"), 0x030B},  {QStringLiteral("v"), 0x030C},
        {QStringLiteral("c"), 0x0327}, {QStringLiteral("u"), 0x0306},  {QStringLiteral("k"), 0x0328},
        {QStringLiteral("r"), 0x030A}, {QStringLiteral("d"), 0x0323},  {QStringLiteral("b"), 0x0331},
    };
    return marks.value(command.toString(), 0);
}

QString symbol(QStringView command)
{
    static const QHash<QString, QString> symbols = {
        {QStringLiteral("ss"), QStringLiteral("ß")},
        {QStringLiteral("o"), QStringLiteral("ø")},
        {QStringLiteral("O"), QStringLiteral("Ø")},
        {QStringLiteral("l"), QStringLiteral("ł")},
        {QStringLiteral("L"), QStringLiteral("Ł")},
        {QStringLiteral("aa"), QStringLiteral("å")},
        {QStringLiteral("AA"), QStringLiteral("Å")},
        {QStringLiteral("ae"), QStringLiteral("æ")},
        {QStringLiteral("AE"), QStringLiteral("Æ")},
        {QStringLiteral("oe"), QStringLiteral("œ")},
        {QStringLiteral("OE"), QStringLiteral("Œ")},
        {QStringLiteral("i"), QStringLiteral("ı")},
        {QStringLiteral("j"), QStringLiteral("ȷ")},
        {QStringLiteral("textbackslash"), QStringLiteral("\\")},
        {QStringLiteral("textasciitilde"), QStringLiteral("~")},
        {QStringLiteral("textasciicircum"), QStringLiteral("^")},
        {QStringLiteral("textunderscore"), QStringLiteral("_")},
        {QStringLiteral("textendash"), QStringLiteral("–")},
        {QStringLiteral("textemdash"), QStringLiteral("—")},
        {QStringLiteral("S"), QStringLiteral("§")},
    };
    return symbols.value(command.toString());
}

// Writes every unit of text straight into the output: a braced name is
// decoded for every name of every entry.
class LatexDecoder final
{
public:
    explicit LatexDecoder(QStringView text) : m_text(text) {}

    QString decode()
    {
        QString out;
        out.reserve(m_text.size());
        while (m_pos < m_text.size()) {
            appendPlainRun(out);
            if (m_pos < m_text.size())
                next(out);
        }
        return out;
    }

private:
    // Groups and command arguments nest one call in another. Past this depth
    // (no real text comes near it) a character is taken as it is and a
    // command gets no argument, so no input can use up the stack, and a long
    // chain of accents costs no more than a short one per character.
    static constexpr int MaxNesting = 2 * LatexText::MaxBraceDepth;

    void next(QString& out)
    {
        if (m_nesting >= MaxNesting) {
            out.append(m_text[m_pos++]);
            return;
        }
        ++m_nesting;
        nextUnit(out);
        --m_nesting;
    }

    // One unit of text: a character, a command with its argument, or a group.
    void nextUnit(QString& out)
    {
        const QChar c = m_text[m_pos++];
        if (c == u'{') {
            group(out);
            return;
        }
        if (c == u'}')
            return;
        if (c != u'\\' || m_pos >= m_text.size()) {
            out.append(c);
            return;
        }
        const QChar d = m_text[m_pos];
        if (QStringView(u"{}&%$#_").contains(d)) {
            ++m_pos;
            out.append(d);
            return;
        }
        QStringView name;
        if (d.isLetter()) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isLetter())
                ++m_pos;
            name = m_text.sliced(start, m_pos - start);
            // A space after a command word only ends the word.
            if (m_pos < m_text.size() && m_text[m_pos] == u' ')
                ++m_pos;
        } else {
            name = m_text.sliced(m_pos, 1);
            ++m_pos;
        }
        if (const char16_t mark = combiningMark(name)) {
            QString arg;
            argument(arg);
            if (arg.isEmpty()) {
                out.append(QChar(mark));
                return;
            }
            arg.insert(1, QChar(mark));
            out.append(arg.normalized(QString::NormalizationForm_C));
            return;
        }
        const QString sym = symbol(name);
        if (!sym.isEmpty()) {
            if (m_text.sliced(m_pos).startsWith(u"{}"))
                m_pos += 2;
            out.append(sym);
            return;
        }
        if (name == u"\\")
            out.append(u' ');
        // An unknown command: its argument group stays as text.
    }

    // Characters that are neither braces nor a backslash stand for
    // themselves; they are taken as one run rather than unit by unit. At the
    // nesting limit every character is taken by itself (next()).
    void appendPlainRun(QString& out)
    {
        if (m_nesting >= MaxNesting)
            return;
        const QChar* const from = m_text.data() + m_pos;
        const QChar* const to = CharacterScan::findBraceOrBackslash(from, m_text.data() + m_text.size());
        out.append(from, to - from);
        m_pos += to - from;
    }

    void group(QString& out)
    {
        while (m_pos < m_text.size()) {
            appendPlainRun(out);
            if (m_pos >= m_text.size())
                return;
            if (m_text[m_pos] == u'}') {
                ++m_pos;
                return;
            }
            next(out);
        }
    }

    void argument(QString& out)
    {
        if (m_nesting >= MaxNesting)
            return;
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
        if (m_pos < m_text.size())
            next(out);
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_nesting = 0;
};

} // namespace

bool hasLatex(QStringView text)
{
    return CharacterScan::findBraceOrBackslash(text.begin(), text.end()) != text.end();
}

QString toUnicode(QStringView text)
{
    return hasLatex(text) ? LatexDecoder(text).decode() : text.toString();
}

QString decoded(const QString& text)
{
    return hasLatex(text) ? LatexDecoder(text).decode() : text;
}

} // namespace LatexText
