// Setup file reader: any bytes either give a record that is written back as
// the same 104 bytes, or leave the record untouched.
#include "USetup.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    SetupRecord r;
    const bool read = SetupRecordFromBytes(bytes, r);
    if (read != (size >= size_t(SetupRecord::Size)))
        std::abort();
    if (read ? SetupRecordToBytes(r) != bytes.first(SetupRecord::Size) : !(r == SetupRecord()))
        std::abort();
    return 0;
}
