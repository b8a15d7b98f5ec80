// The record directory of the index file set (fsz1.zda names, fsz0.zda chunk
// numbers) and the look-up of a record in a chunk file, as the browse page
// does them. The input holds the three files separated by "\n==\n".
#include "FuzzSupport.h"

#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/search/BrowseList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzSupport::writeScratchFile(QStringLiteral("fsz1.zda"), FuzzSupport::part(bytes, 0));
    FuzzSupport::writeScratchFile(QStringLiteral("fsz0.zda"), FuzzSupport::part(bytes, 1));
    const QString chunk =
        FuzzSupport::writeScratchFile(QStringLiteral("adatb1.ztf"), FuzzSupport::part(bytes, 2));

    BrowseList list;
    try {
        list.load(FuzzSupport::scratchDir().path());
    } catch (const NorlaError&) {
        std::abort(); // both files were just written
    }
    const qsizetype positions = qMin<qsizetype>(list.names().size(), 64);
    for (qsizetype i = 0; i < positions; ++i) {
        try {
            list.chunkNumberAt(i);
        } catch (const NorlaError&) {
        }
        const QByteArrayView name = list.names().at(i);
        const qsizetype found = list.findName(Win1250::toUnicode(name));
        if (found < 0 || found > i)
            std::abort();
        QByteArray line;
        if (BrowseList::findRecordLine(chunk, name, line) &&
            !line.startsWith(name.first(qMin<qsizetype>(10, name.size()))))
            std::abort();
    }
    try {
        list.chunkNumberAt(list.chunkNumbers().size());
        std::abort(); // beyond the list must be reported
    } catch (const NorlaError&) {
    }
    return 0;
}
