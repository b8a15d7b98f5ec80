#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// A list of 8-bit strings in one block of memory: a million record names cost
// a few bytes each instead of an allocation each.
class ByteStringList final
{
public:
    // The lines of an 8-bit text file's bytes (CR LF, CR or LF end a line; a
    // final line end adds no empty line; a NUL byte ends the text).
    static ByteStringList fromLines(QByteArray bytes);

    qsizetype size() const { return qsizetype(m_starts.size()); }
    bool isEmpty() const { return m_starts.empty(); }
    QByteArrayView at(qsizetype i) const
    {
        return QByteArrayView(m_bytes.constData() + m_starts[size_t(i)], m_lengths[size_t(i)]);
    }
    void append(QByteArrayView text);
    void clear();

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_starts;
    std::vector<qsizetype> m_lengths;
};

// The record directory of the index file set: record names (fsz1.zda) and,
// at the same positions, the numbers of the chunk files that hold them
// (fsz0.zda). Both are 8-bit text files.
class BrowseList final
{
public:
    const ByteStringList& names() const { return m_names; }
    const ByteStringList& chunkNumbers() const { return m_chunkNumbers; }

    void clear();
    // Reads fsz1.zda, then fsz0.zda; throws NorlaError "Cannot open file" for
    // the first that cannot be read, keeping what was read before it.
    void load(const QString& startDir);

    // The chunk number at a position: "List index out of bounds (%d)" when
    // fsz0.zda has no entry there, "'%s' is not a valid integer value" when
    // the entry is not a decimal number (both as NorlaError).
    int chunkNumberAt(qsizetype position) const;
    // The first position whose name equals `name` with letter case ignored; -1 when none.
    qsizetype findName(const QString& name) const;
    // The first position whose name equals `name` (letter case ignored) and
    // whose chunk number is `chunkNumber`: of several records sharing a name,
    // the one in that chunk. Falls back to findName() when no entry has both
    // (chunkNumber -1, or a record directory older than the chunks).
    qsizetype findRecord(const QString& name, int chunkNumber) const;

    // The last line of a chunk file whose first ten characters equal the
    // record name (letter case significant), as 8-bit text; false when no
    // line does. Throws "Cannot open file" when the chunk cannot be read.
    static bool findRecordLine(const QString& chunkPath, QByteArrayView recordName, QByteArray& line);
    static QString chunkPath(const QString& startDir, int chunkNumber);

private:
    ByteStringList m_names;
    ByteStringList m_chunkNumbers;
};
