#include "core/convert/DirectorFile.h"

#include "core/convert/EightBitText.h"

namespace DirectorFile {

void forEachBlock(const QStringList& lines, const std::function<void(const QStringList& block)>& visit)
{
    if (lines.size() <= 1)
        return;
    QStringList block;
    block.reserve(BlockLines);
    for (const QString& line : lines) {
        block.append(EightBitText::fromSourceLine(line));
        if (block.size() < BlockLines)
            continue;
        if (!block.first().isEmpty())
            visit(block);
        block.clear();
    }
}

qsizetype trailingLineCount(const QStringList& lines)
{
    return lines.size() <= 1 ? lines.size() : lines.size() % BlockLines;
}

} // namespace DirectorFile
