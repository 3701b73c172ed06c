// BES3T reader: any descriptor and data either give a usable spectrum or are
// refused with one of the program's errors; what is read measures without a
// crash and comes back unchanged through the BES3T writer. The input is the
// descriptor's length (2 bytes, little-endian), the descriptor, then the data.
#include "Bes3tFile.h"
#include "FuzzSpectrum.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto [dsc, dta] = SplitInput(data, size);
    TSpectrum s;
    try {
        s = ParseBes3t(dsc, dta, QStringLiteral("a.DSC"), QStringLiteral("a.DTA"));
    } catch (const EMerilError&) {
        return 0;
    }
    RequireUsable(s);
    const TBes3tBytes written = Bes3tBytes(s);
    const TSpectrum again = ParseBes3t(written.Dsc, written.Dta, QStringLiteral("b.DSC"), QStringLiteral("b.DTA"));
    Require(again.Points.size() == s.Points.size() && again.Header == s.Header && again.YScale == s.YScale);
    for (size_t i = 0; i < s.Points.size(); ++i)
        Require(again.Points[i].y() == s.Points[i].y() &&
                std::abs(again.Points[i].x() - s.Points[i].x()) <= 1e-9 * s.SweepRange);
    MeasureIfSmall(s);
    return 0;
}
