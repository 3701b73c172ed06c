// ESP reader: any parameters and data either give a usable spectrum or are
// refused with one of the program's errors, and what is read measures
// without a crash. The input is the parameters' length (2 bytes,
// little-endian), the parameters, then the data.
#include "EspFile.h"
#include "FuzzSpectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto [par, spc] = SplitInput(data, size);
    TSpectrum s;
    try {
        s = ParseEsp(par, spc, QStringLiteral("a.par"), QStringLiteral("a.spc"));
    } catch (const EMerilError&) {
        return 0;
    }
    RequireUsable(s);
    MeasureIfSmall(s);
    return 0;
}
