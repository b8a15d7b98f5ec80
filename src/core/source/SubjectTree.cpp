#include "core/source/SubjectTree.h"

#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <array>
#include <utility>

namespace SubjectTree {

int depthOf(QByteArrayView line)
{
    int stars = 0;
    while (stars < MaxDepth && stars < line.size() && line[stars] == '*')
        ++stars;
    return qMax(1, stars);
}

QString captionOf(QByteArrayView line)
{
    const qsizetype depth = depthOf(line);
    const QByteArrayView rest = line.sliced(qMin(depth, line.size()));
    return Win1250::toUnicode(rest.first(qMin<qsizetype>(MaxCaptionLength, rest.size())));
}

QString subjectTextOf(QByteArrayView line)
{
    qsizetype start = qMin<qsizetype>(1, line.size());
    while (start < line.size() && line[start] == '*')
        ++start;
    return Win1250::toUnicode(line.sliced(start));
}

QList<QByteArray> readLines(const QString& path)
{
    return TextFile::split8BitLines(TextFile::readBytes(path));
}

Outline outline(const QList<QByteArray>& lines)
{
    Outline result;
    result.entries.reserve(lines.size());
    int previousDepth = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const int depth = depthOf(lines[i]);
        if (depth > previousDepth + 1) {
            result.orphanLine = i;
            break;
        }
        result.entries.append({i, depth, captionOf(lines[i])});
        previousDepth = depth;
    }
    return result;
}

Tree::Tree(QByteArray bytes) : m_bytes(std::move(bytes))
{
    const qsizetype nul = m_bytes.indexOf('\0');
    if (nul >= 0)
        m_bytes.truncate(nul);
    const char* data = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        m_lineStarts.push_back(start);
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        m_lineStarts.push_back(start);
    m_lineStarts.push_back(n);

    // Entries come in file order, each subtree right after its root: an
    // entry's subtree ends where the next entry of the same or a lower depth starts.
    const int lines = lineCount();
    m_depths.reserve(size_t(lines));
    m_subtreeEnds.reserve(size_t(lines));
    std::array<int, MaxDepth + 1> openAtDepth{};
    int previousDepth = 0;
    for (int i = 0; i < lines; ++i) {
        const int depth = depthOf(line(i));
        if (depth > previousDepth + 1)
            break;
        for (int d = depth; d <= previousDepth; ++d)
            m_subtreeEnds[size_t(openAtDepth[size_t(d)])] = i;
        m_depths.push_back(quint8(depth));
        m_subtreeEnds.push_back(i + 1);
        openAtDepth[size_t(depth)] = i;
        previousDepth = depth;
    }
    for (int d = 1; d <= previousDepth; ++d)
        m_subtreeEnds[size_t(openAtDepth[size_t(d)])] = entryCount();
}

Tree Tree::read(const QString& path)
{
    return Tree(TextFile::readBytes(path));
}

QByteArrayView Tree::line(int index) const
{
    const qsizetype start = m_lineStarts[size_t(index)];
    qsizetype end = m_lineStarts[size_t(index) + 1];
    // A line holds no CR or LF, so what ends it before the next start is its break.
    if (end > start && m_bytes[end - 1] == '\n')
        --end;
    if (end > start && m_bytes[end - 1] == '\r')
        --end;
    return QByteArrayView(m_bytes).sliced(start, end - start);
}

bool Tree::isSeparator(int entry) const
{
    const QByteArrayView text = line(entry);
    return text.size() == depth(entry) + 1 && text.endsWith('-');
}

QList<int> Tree::children(int parent) const
{
    QList<int> result;
    const int end = parent == TopLevel ? entryCount() : subtreeEnd(parent);
    for (int child = parent + 1; child < end; child = subtreeEnd(child))
        result.append(child);
    return result;
}

QString unreadableMessage(const QString& path)
{
    return QStringLiteral("A tárgykör szerkezetet tartalmazó fájl nem olvasható: %1").arg(path);
}

QString orphanMessage(const QString& path, int lineIndex, QByteArrayView line)
{
    return QStringLiteral("Hibás tárgykör szerkezet a(z) %1 fájlban.\n"
                          "A(z) %2. sor (\"%3\") %4. szintű, de nincs fölötte %5. szintű sor, amelyhez "
                          "tartozhatna. A menü csak az előtte álló sorokig épült fel.")
        .arg(path)
        .arg(lineIndex + 1)
        .arg(Win1250::toUnicode(line.first(qMin<qsizetype>(80, line.size()))))
        .arg(depthOf(line))
        .arg(depthOf(line) - 1);
}

} // namespace SubjectTree
