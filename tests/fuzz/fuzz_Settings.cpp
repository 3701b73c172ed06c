// Settings file reader: any bytes give settings that survive being written and
// read again: the texts unchanged, each flag as set or not set.
#include "USetup.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString programDir = QStringLiteral("/prog/");
    TSettings s;
    ParseSettings(QByteArrayView(data, qsizetype(size)), programDir, s);
    TSettings again;
    ParseSettings(SettingsToBytes(s), programDir, again);
    if (again.SetupDir != s.SetupDir || again.AcqDir != s.AcqDir || again.DataOutDir != s.DataOutDir ||
        again.PortName != s.PortName)
        std::abort();
    for (std::size_t e = 0; e < s.Sounds.size(); ++e) {
        const TSoundEvent &a = s.Sounds[e], &b = again.Sounds[e];
        if (a.FileName != b.FileName || !a.Off != !b.Off || !a.Single != !b.Single ||
            !a.SingleEnabled != !b.SingleEnabled)
            std::abort();
    }
    if (SettingsToBytes(again) != SettingsToBytes(s))
        std::abort();
    return 0;
}
