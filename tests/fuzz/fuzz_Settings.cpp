// Settings file reader: any bytes give settings that survive being written and
// read again (flags of one digit, as the format holds them).
#include "USetup.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString programDir = QStringLiteral("/prog/");
    TSettings s;
    ParseSettings(QByteArrayView(data, qsizetype(size)), programDir, s);
    for (const TSoundEvent& e : s.Sounds)
        if (e.Off > 9 || e.Single > 9 || e.SingleEnabled > 9)
            return 0;
    TSettings again;
    ParseSettings(SettingsToBytes(s), programDir, again);
    if (!(again == s))
        std::abort();
    return 0;
}
