// The settings file: any bytes must give usable settings that write back and
// read again to the same values.
#include "core/record/TextFile.h"
#include "core/settings/AppSettings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString startDir = QStringLiteral("/tmp/norla");
    const AppSettings settings = AppSettings::parse(TextFile::decode8Bit(bytes), startDir);
    const AppSettings again =
        AppSettings::parse(TextFile::decode8Bit(TextFile::encode8Bit(settings.toLines())), startDir);
    // Values pass through the code page, so compare after one round trip.
    const AppSettings third =
        AppSettings::parse(TextFile::decode8Bit(TextFile::encode8Bit(again.toLines())), startDir);
    if (!(again == third))
        std::abort();
    return 0;
}
