#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The subject tree file: one menu entry per 8-bit line, its depth (1 to 5)
// given by the leading asterisks.
namespace SubjectTree {

inline constexpr int MaxDepth = 5;
inline constexpr int MaxCaptionLength = 500;

struct Entry
{
    int line = 0;  // index of the line in the file (0-based)
    int depth = 1; // 1 … 5
    QString caption;
    bool isSeparator() const { return caption == u"-"; }
};

struct Outline
{
    QList<Entry> entries;
    // 0-based index of the first line that has no parent (the first line of a
    // depth above 1, or a line more than one level deeper than the one above
    // it); -1 when every line fits. `entries` holds the lines before it.
    int orphanLine = -1;
};

// "*****" gives 5, "****" 4, "***" 3, "**" 2, anything else 1.
int depthOf(QByteArrayView line);
// The line without its first `depth` characters, cut to 500 characters.
QString captionOf(QByteArrayView line);
// The line without its first character and then without every further
// leading "*"; never cut.
QString subjectTextOf(QByteArrayView line);

// Throws NorlaError "Cannot open file" when the file cannot be read.
QList<QByteArray> readLines(const QString& path);
Outline outline(const QList<QByteArray>& lines);

// Messages for the two ways a build can fail.
QString unreadableMessage(const QString& path);
QString orphanMessage(const QString& path, int lineIndex, QByteArrayView line);

} // namespace SubjectTree
