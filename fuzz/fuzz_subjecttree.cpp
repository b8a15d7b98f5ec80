// The subject tree file (menu0.zda): read from a file as the program does and
// cut into the outline the menu is built from. The menu builder relies on the
// outline's shape: the first entry on level 1, and no entry more than one
// level below the one before it.
#include "FuzzSupport.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/source/SubjectTree.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzSupport::writeScratchFile(QStringLiteral("menu0.zda"), bytes);
    QList<QByteArray> lines;
    try {
        lines = SubjectTree::readLines(path);
    } catch (const NorlaError&) {
        std::abort(); // the file was just written
    }
    if (lines != TextFile::split8BitLines(bytes))
        std::abort();
    const SubjectTree::Outline outline = SubjectTree::outline(lines);
    int previousDepth = 0;
    int previousLine = -1;
    for (const SubjectTree::Entry& entry : outline.entries) {
        if (entry.depth < 1 || entry.depth > SubjectTree::MaxDepth || entry.depth > previousDepth + 1)
            std::abort();
        if (entry.line <= previousLine || entry.line >= lines.size())
            std::abort();
        if (entry.caption.size() > SubjectTree::MaxCaptionLength)
            std::abort();
        SubjectTree::subjectTextOf(lines[entry.line]);
        previousDepth = entry.depth;
        previousLine = entry.line;
    }
    if (outline.orphanLine >= 0) {
        if (outline.orphanLine >= lines.size() || outline.orphanLine <= previousLine)
            std::abort();
        SubjectTree::orphanMessage(path, outline.orphanLine, lines[outline.orphanLine]);
    }
    return 0;
}
