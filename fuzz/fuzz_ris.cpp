// A RIS file as the conversion reads it: every entry closed by ER becomes a record
// line of the chosen volume (taken from the first byte); broken entries are
// reported with a line number inside the file, never thrown.
#include "ExchangeImportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::checkExchangeImport(SourceKind::Ris, data, size);
    return 0;
}
