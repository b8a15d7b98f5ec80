#pragma once

#include <QString>
#include <QStringList>

// The eight values of config.kzs in the start directory.
struct AppSettings
{
    int width = 870;
    int height = 637;
    int top = 40;
    int left = 90;
    QString fontName = QStringLiteral("Arial Unicode MS");
    int fontSize = 8;
    QString subjectTreePath; // default: StartDir + "/menu0.zda"
    int sourceDeletion = 0;  // any value but 0: the source window is editable
    // Lines of the features that came later, whose keys hold a dot
    // ("helyesiras.regi_ev=1922"): read by those features, and kept in order
    // after the eight values, so rewriting the file does not drop them.
    QStringList featureLines;

    static constexpr int MaxValueLength = 500;

    static AppSettings defaults(const QString& startDir);
    // Applies the file's lines over the defaults: lines without "=" are
    // skipped, keys compare exactly, an empty value or a non-number for an
    // integer key gives the default, the later of two lines wins.
    static AppSettings parse(const QStringList& lines, const QString& startDir);
    QStringList toLines() const;

    // Reads StartDir/config.kzs (a missing file gives the defaults).
    static AppSettings read(const QString& startDir);
    // Writes StartDir/config.kzs atomically; throws NorlaError "Cannot create file".
    void write(const QString& startDir) const;

    static QString filePath(const QString& startDir);
    bool operator==(const AppSettings&) const = default;
};
