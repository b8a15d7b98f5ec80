#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

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
