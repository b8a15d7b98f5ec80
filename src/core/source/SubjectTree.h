#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <vector>

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

// The whole file kept as it was read, with what the menu needs to find an
// entry's children without building anything per entry: the file's bytes, the
// start of every line, each entry's depth and where its subtree ends. About
// 13 bytes per line beside the text, so a tree of half a million entries stays
// small; captions and subject texts are decoded only when asked for.
class Tree
{
public:
    static constexpr int TopLevel = -1; // the parent of the depth-1 entries

    Tree() = default;
    // Splits the bytes like the lookup lists (CR LF, CR or LF; a NUL ends the text).
    explicit Tree(QByteArray bytes);
    // Throws NorlaError "Cannot open file" when the file cannot be read.
    static Tree read(const QString& path);

    int lineCount() const { return int(m_lineStarts.size()) - 1; }
    QByteArrayView line(int index) const;

    // The entries are the lines before the first line without a parent.
    int entryCount() const { return int(m_depths.size()); }
    int orphanLine() const { return entryCount() < lineCount() ? entryCount() : -1; }
    int depth(int entry) const { return m_depths[size_t(entry)]; }
    bool hasChildren(int entry) const { return subtreeEnd(entry) > entry + 1; }
    // The entries one level below `parent` (TopLevel for the top), in file order.
    QList<int> children(int parent) const;

    QString caption(int entry) const { return captionOf(line(entry)); }
    bool isSeparator(int entry) const; // its caption is "-"
    QString subjectText(int lineIndex) const { return subjectTextOf(line(lineIndex)); }

private:
    int subtreeEnd(int entry) const { return m_subtreeEnds[size_t(entry)]; }

    QByteArray m_bytes;
    std::vector<qsizetype> m_lineStarts; // one more than the lines: the end of the last one
    std::vector<quint8> m_depths;
    std::vector<qint32> m_subtreeEnds; // one past the last entry below each entry
};

// Messages for the two ways a build can fail.
QString unreadableMessage(const QString& path);
QString orphanMessage(const QString& path, int lineIndex, QByteArrayView line);

} // namespace SubjectTree
