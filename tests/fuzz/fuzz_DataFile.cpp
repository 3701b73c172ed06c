// Spectrum file reader: any bytes either decode into a usable spectrum or are
// refused with one of the program's errors.
#include "DataFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSpectrum s;
    try {
        s = ParseSpectrum(QByteArrayView(data, qsizetype(size)));
    } catch (const EMerilError&) {
        return 0;
    }
    // What the processing window relies on.
    if (s.Points.size() < 2 || s.Acc < 1 || s.Header.Comment.size() > 255 || s.Header.Frequency.size() > 20 ||
        s.Header.Acc.size() > 3 || !(s.XStep > 0))
        std::abort();
    for (const QPointF& p : s.Points)
        if (!std::isfinite(p.x()) || p.y() < -500 || p.y() > 500)
            std::abort();
    // The header written again reads back the same, bar the derived mode of version 10.
    const TSpectrum again = ParseSpectrum(SpectrumFileBytes(s.Header, std::vector<int32_t>{0, 0}));
    if (!(again.Header == s.Header))
        std::abort();
    return 0;
}
