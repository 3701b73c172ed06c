// Spectrum processing: any bytes that the reader accepts go through every
// measurement, over the whole spectrum and over a drawn part chosen by the
// input, and give defined results or a refusal; never a read outside the
// arrays (the sanitizers watch for that).
#include "Baseline.h"
#include "Cursors.h"
#include "DataFile.h"
#include "GFactor.h"
#include "Integral.h"
#include "SpectrumFit.h"
#include "Moments.h"
#include "SpectrumReport.h"
#include "TextTable.h"
#include "Views.h"
#include "Widths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Inside(int i, int count)
{
    return i >= 0 && i < count;
}

// The window's operations on a zoomed lower chart: drawn range first..last.
void MeasureDrawnPart(const TSpectrum& spectrum, int first, int last)
{
    const TSpectrumArrays arrays(spectrum);
    const int count = int(arrays.Y.size());
    const std::vector<double> baseline = BaselineValues(ComputeBaseline(arrays.Y), count);
    const std::vector<double> derivative = DerivativeView(arrays.View(), baseline);
    const TLineView derivativeView(arrays.X, derivative, first, last);
    TCursorState cursors;
    PlaceM2Cursors(cursors, derivativeView, arrays.View(), baseline);
    for (int slot = 1; slot <= 3; ++slot)
        Require(Inside(cursors.Positions[size_t(slot)], count));
    MeasureMoments(derivativeView, TViewKind::Derivative, cursors.Positions[1], cursors.Positions[3],
                   cursors.Positions[2], spectrum.ModAmp);

    const TIntegrator absorption = AbsorptionView(arrays.View(), baseline);
    const TLineView absorptionView(absorption.DestX, absorption.DestY, first, last);
    const THalfHeight half = FindHalfHeight(absorptionView);
    if (half.Found)
        Require(Inside(half.Left, count) && Inside(half.Right, count) && half.Left <= half.Right);
    else
        Require(!half.Error.isEmpty());
    PlaceIntegralCursors(cursors, count);
    TIntegrator area = AreaIntegrator(absorptionView, -500, 500);
    const TIntegral integral = MeasureIntegral(area, cursors.Positions[1], cursors.Positions[2], "Gs");
    Require(!area.DestX.empty() && area.DestX.size() == area.DestY.size());
    Require(!integral.AIText.isEmpty());
    VerticalExpansion(derivative);
}

// The line-shape fit of at most 24 points of the derivative (so that each
// input stays fast), as meril-proc makes it, with the model and the
// hyperfine groups chosen by the input: a result with finite numbers, or a
// refusal with a reason.
void FitPart(const TSpectrum& spectrum, int first, uint8_t choice)
{
    const int count = int(spectrum.Points.size());
    TSpectrumFitOptions options;
    options.Model = TFitModel(choice % 5);
    options.Range = std::pair{first, std::min(count - 1, first + 23)};
    if (choice & 0x80)
        options.Hyperfine = {THyperfine{1 + (choice >> 3) % 3, 0.5 * (1 + (choice >> 5) % 3)}};
    if (choice & 0x40)
        options.Hyperfine.push_back(THyperfine{1, 0.5});
    const TFitResult r = FitSpectrum(spectrum, ComputeBaseline(TSpectrumArrays(spectrum).Y), options);
    if (!r.Ok) {
        Require(!r.Failure.isEmpty());
        return;
    }
    for (const double v : {r.Centre.Value, r.Centre.U, r.PpWidth.Value, r.PpWidth.U, r.Width.Value, r.Width.U,
                           r.Area.Value, r.Area.U, r.Chi2Red, r.ResidualRms, r.ResidualCorr})
        Require(std::isfinite(v));
    for (const auto* o : {&r.Eta, &r.M2, &r.Alpha, &r.RHH, &r.G})
        Require(!*o || (std::isfinite((*o)->Value) && std::isfinite((*o)->U)));
    for (const TFitValue& a : r.A)
        Require(std::isfinite(a.Value) && std::isfinite(a.U));
    Require(r.Curve.size() == size_t(options.Range->second - first + 1) && r.Residual.size() == r.Curve.size());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSpectrum s;
    try {
        s = ParseSpectrum(QByteArrayView(data, qsizetype(size)));
    } catch (const EMerilError&) {
        return 0;
    }
    const int count = int(s.Points.size());
    TSpectrumReport r;
    try {
        r = MeasureSpectrum(s);
    } catch (const EMerilError& e) {
        // Refused with a reason: too many points, or sums beyond the 6-byte
        // real (a sweep range near the float limit).
        Require(!e.Text().isEmpty());
        return 0;
    }
    Require(r.Points == count);
    for (const TViewReport* v : {&r.Derivative, &r.Absorption})
        Require(Inside(v->Cursors.Left, count) && Inside(v->Cursors.Centre, count) && Inside(v->Cursors.Right, count));
    Require(Inside(r.Centre, count) && Inside(r.IntegralLeft, count) && Inside(r.IntegralRight, count));
    Require(r.HDB.has_value() != !r.HDBError.isEmpty());
    // An ESR spectrum has a g unless the check finds it implausible.
    const bool implausibleG = std::any_of(r.Warnings.begin(), r.Warnings.end(),
                                          [](const TMeasurementWarning& w) { return w.Code == QLatin1String("implausible_g"); });
    Require(r.G.has_value() == (IsEsrSpectrum(s.Header) && !implausibleG));
    Require(std::isfinite(r.Noise) && r.Noise >= 0);
    // The checks: every finding has its code and a sentence with finite numbers.
    for (const TMeasurementWarning& w : r.Warnings)
        Require(!w.Code.isEmpty() && w.Text.endsWith(QLatin1Char('.')) && !w.Text.contains(QLatin1String("nan")) &&
                !w.Text.contains(QLatin1String("inf")));
    Require(TextTableBytes(TSpectrumArrays(s).X, TSpectrumArrays(s).Y).endsWith("\r\n\r\n"));

    // A drawn part chosen by the last two bytes of the input.
    const int first = size >= 2 ? data[size - 2] % count : 0;
    const int last = size >= 2 ? first + data[size - 1] % (count - first) : count - 1;
    try {
        MeasureDrawnPart(s, first, last);
    } catch (const EMerilError& e) {
        Require(!e.Text().isEmpty());
    }
    MeasureGFactor(s.Frequency, s.B0, s.Points[size_t(first)].x());
    FitPart(s, first, size >= 3 ? data[size - 3] : 0);
    return 0;
}
