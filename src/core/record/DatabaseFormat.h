#pragma once

#include <QByteArrayView>
#include <QString>

// Whether a file is a database at all, decided before anything of it is read
// as records: a picture, a PDF, an archive or any other binary file renamed
// ".rtf" would otherwise open as hundreds of records of junk, and a save
// would write them back over it. Every reader of a database (the editor's
// open, each command of norla-cli, the indexer) asks here, so they refuse
// the same files with the same words.
namespace DatabaseFormat {

// How much of the start of a file the judgement looks at.
constexpr qsizetype SampleBytes = 16 * 1024;

// What the file looks like when it is not a database ("PNG-kép"), with the
// sentence the user needs; empty when it may be one. `head` is the first
// SampleBytes of the file (or all of it), `tail` its last two bytes.
struct Verdict
{
    enum class Kind
    {
        Database,
        Foreign,   // another kind of file: "PNG-kép, nem adatbázis"
        Damaged,   // a database's own form, but cut or spoilt
        Unreadable // text, but not in a form a database is read in
    };
    Kind kind = Kind::Database;
    QString what;   // "PNG-kép", "bináris fájl", …
    QString advice; // what to do instead
    bool isDatabase() const { return kind == Kind::Database; }
};
Verdict judge(QByteArrayView head, QByteArrayView tail, qint64 fileSize);

// Throws NorlaError with the message for `path` unless judge() lets it pass.
void check(const QString& path, QByteArrayView head, QByteArrayView tail, qint64 fileSize);

// For a file read as 8-bit or UTF-8 text: a NUL byte anywhere in `bytes`
// marks a binary file, which text never holds. Throws NorlaError.
void checkNoNulByte(const QString& path, QByteArrayView bytes);

// The message for `path` and a verdict.
QString message(const QString& path, const Verdict& verdict);

} // namespace DatabaseFormat
