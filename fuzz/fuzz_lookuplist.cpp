// The lookup lists (tipus.zda, szerep.zda, nyelv.zda: 8-bit) and the search
// dialog's pick lists (kotet.zda, adath.zda: Unicode), read from a file as the
// program does, and the role list put to the uses the editor and browse make of it.
#include "FuzzSupport.h"

#include "core/record/CodeTables.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzSupport::writeScratchFile(QStringLiteral("szerep.zda"), bytes);
    try {
        const QStringList roles = LookupList::read(path);
        if (roles != TextFile::decode8Bit(bytes))
            std::abort();
        if (LookupList::read8Bit(path).size() != roles.size())
            std::abort();
        for (const QString& entry : roles) {
            const QStringView code = QStringView(entry).first(qMin<qsizetype>(2, entry.size()));
            const int index = CodeTables::roleComboIndex(code, int(roles.size()));
            if (index < -1 || index >= roles.size())
                std::abort();
            const int nameIndex = CodeTables::roleNameIndex(code, int(roles.size()));
            if (nameIndex < 0 || (nameIndex >= roles.size() && !roles.isEmpty()))
                std::abort();
            CodeTables::roleName(code, roles);
            CodeTables::typeCaptions(entry);
        }
        TextFile::readUnicode(path);
    } catch (const NorlaError&) {
        std::abort(); // the file was just written: reading it must work
    }
    return 0;
}
