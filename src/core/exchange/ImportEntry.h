#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// One entry of a RIS or BibTeX file as its reader found it: the entry type,
// the fields in file order (a tag may come more than once), and the line the
// entry starts on.
struct ImportEntry
{
    int line = 0; // 1-based
    QString type;
    QList<QPair<QString, QString>> fields;
};

// An entry that could not be read: where it starts and what is wrong.
struct ImportProblem
{
    int line = 0; // 1-based
    QString text; // Hungarian
};

struct ParsedImport
{
    QList<ImportEntry> entries;
    QList<ImportProblem> problems;
};

// Receives each entry as soon as its reader has it whole, so that a large
// file never holds all of its entries at once.
using ImportEntrySink = std::function<void(ImportEntry&& entry)>;

namespace Exchange {

// Calls `line` with each line of `text` and its 1-based number, cut as the
// Unicode text files are (CR LF, CR, LF and U+2028 end a line; a final line
// break adds no empty line), as views into `text`.
template <typename LineHandler> void forEachLine(QStringView text, LineHandler&& line)
{
    qsizetype start = 0;
    int number = 0;
    const qsizetype n = text.size();
    // LF or CR LF alone, as in nearly every file: the searches for LF are
    // much faster than a look at every character. A line with a CR of its
    // own, or a text with U+2028, is cut one character at a time.
    if (!text.contains(QChar(0x2028))) {
        while (start < n) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0)
                end = n;
            QStringView piece = text.sliced(start, end - start);
            if (piece.endsWith(u'\r'))
                piece.chop(1);
            if (piece.contains(u'\r'))
                break;
            line(piece, ++number);
            start = end + 1;
        }
    }
    for (qsizetype i = start; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n' && c != 0x2028)
            continue;
        line(text.sliced(start, i - start), ++number);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        line(text.sliced(start), ++number);
}

} // namespace Exchange
