// Two-column text reader: any bytes either give a usable spectrum or are
// refused with one of the program's errors, and what is read measures
// without a crash.
#include "FuzzSpectrum.h"
#include "TextSpectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSpectrum s;
    try {
        s = ParseTextSpectrum(QByteArrayView(data, qsizetype(size)), QStringLiteral("a.txt"));
    } catch (const EMerilError&) {
        return 0;
    }
    RequireUsable(s);
    MeasureIfSmall(s);
    return 0;
}
