#pragma once

#include "core/exchange/CharacterScan.h"

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
    const QChar* at = text.data();
    const QChar* const end = at + text.size();
    int number = 0;
    while (at < end) {
        const QChar* const start = at;
        at = CharacterScan::findLineBreak(at, end);
        line(QStringView(start, at), ++number);
        if (at == end)
            break;
        if (*at == u'\r' && at + 1 < end && at[1] == u'\n')
            ++at;
        ++at;
    }
}

} // namespace Exchange
