#include "core/source/SubjectTree.h"

#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

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
