// JCAMP-DX reader: any bytes either give a usable spectrum or are refused with
// one of the program's errors; what is read measures without a crash and
// comes back through the compressed writer to the precision it writes.
#include "FuzzSpectrum.h"
#include "JcampDx.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSpectrum s;
    try {
        s = ParseJcampDx(QByteArrayView(data, qsizetype(size)), QStringLiteral("a.jdx"));
    } catch (const EMerilError&) {
        return 0;
    }
    RequireUsable(s);
    const TSpectrum again = ParseJcampDx(JcampDxBytes(s, TJcampForm::DifDup), QStringLiteral("b.jdx"));
    // The sweep width comes back as the difference of the first and last x.
    TDataHeader header = again.Header;
    header.SweepR = s.Header.SweepR;
    Require(again.Points.size() == s.Points.size() && header == s.Header &&
            std::abs(again.SweepRange - s.SweepRange) <= 1e-9 * s.SweepRange);
    for (size_t i = 0; i < s.Points.size(); ++i)
        Require(std::abs(again.Points[i].y() - s.Points[i].y()) <= 1e-8 * s.YScale.Limit);
    MeasureIfSmall(s);
    return 0;
}
