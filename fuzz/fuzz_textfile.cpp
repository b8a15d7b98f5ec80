// Both text file readers, on any bytes: Unicode (with mark detection) and 8-bit.
#include "core/record/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList unicodeLines = TextFile::decodeUnicode(bytes);
    // What was read must be writable and read back the same lines.
    if (TextFile::decodeUnicode(TextFile::encodeUnicode(unicodeLines)) != unicodeLines)
        std::abort();
    const QStringList eightBitLines = TextFile::decode8Bit(bytes);
    if (TextFile::split8BitLines(bytes).size() != eightBitLines.size())
        std::abort();
    return 0;
}
