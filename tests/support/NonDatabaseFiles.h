#pragma once

#include "core/record/TextFile.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QtTest>

// Files a user may pick by mistake instead of a database, with the words the
// refusal must use for each. Every reader of a database is tried on the same
// table: the editor's open and each command of norla-cli.
namespace NonDatabaseFiles {

inline QByteArray withSize(QByteArray start, qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    while (start.size() < size)
        start.append(char(random.bounded(256)));
    return start;
}

// A realistic database of a few records in UTF-16LE, as the editor saves it.
inline QByteArray database()
{
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines.append(QStringLiteral("Ka%1**könyv**Helytörténet**01Példa Szerző**02**03**04**Cím %2**Sorozat**"
                                    "Kiadó**3**1998**123 p.**Budapest**Megjegyzés****0**magyar**papír")
                         .arg(i, 6, 10, QLatin1Char('0'))
                         .arg(i)
                         .append(QStringLiteral("00")));
    return TextFile::encodeUnicode(lines);
}

struct Sample
{
    const char* name;
    QByteArray bytes;
    QString looksLike; // words of the refusal that say what the file looks like
};

inline QList<Sample> samples()
{
    const QByteArray db = database();
    return {
        {"PNG", withSize(QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), 4000, 1),
         QStringLiteral("PNG-kép, nem adatbázis")},
        {"PDF",
         QByteArray("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n").repeated(40),
         QStringLiteral("PDF-dokumentum, nem adatbázis")},
        {"ZIP", withSize(QByteArray("PK\x03\x04\x14\0\0\0\x08\0", 10), 3000, 2),
         QStringLiteral("ZIP-tömörítvény, nem adatbázis")},
        {"DOCX",
         withSize(QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0') +
                      "[Content_Types].xml word/document.xml",
                  3000, 3),
         QStringLiteral("Word-dokumentum (DOCX), nem adatbázis")},
        {"JPEG", withSize(QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11), 5000, 4),
         QStringLiteral("JPEG-kép, nem adatbázis")},
        {"GIF", withSize(QByteArray("GIF89a"), 900, 5), QStringLiteral("GIF-kép, nem adatbázis")},
        {"gzip", withSize(QByteArray("\x1F\x8B\x08\0", 4), 2000, 6),
         QStringLiteral("gzip-tömörítvény, nem adatbázis")},
        {"random bytes", withSize(QByteArray("Ka"), 6000, 7), QStringLiteral("bináris fájl, nem adatbázis")},
        {"random bytes after a UTF-16 mark", withSize(QByteArray("\xFF\xFE"), 6000, 8),
         QStringLiteral("nem ép UTF-16 szöveg")},
        {"UTF-16 cut in the middle", db.first((db.size() / 2) | 1),
         QStringLiteral("a vége egy fél karakternél megszakad")},
        {"UTF-16 without its mark", db.sliced(2),
         QStringLiteral("UTF-16 szöveg bájtsorrend-jel (BOM) nélkül")},
        {"RTF document",
         QByteArray("{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times;}} Kedves "
                    "Kolléga!\\par }\r\n"),
         QStringLiteral("valódi RTF-dokumentum")},
    };
}

// Columns: the file's bytes and the words that say what it looks like.
inline void addRows()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("looksLike");
    for (const Sample& sample : samples())
        QTest::newRow(sample.name) << sample.bytes << sample.looksLike;
}

} // namespace NonDatabaseFiles
