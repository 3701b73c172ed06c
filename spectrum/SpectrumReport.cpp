#include "SpectrumReport.h"

#include "Errors.h"
#include "Freq.h"
#include "MomentUncertainty.h"
#include "SpectrumNoise.h"
#include "UTextTbl.h"
#include "Views.h"
#include "Widths.h"
#include "GFactor.h"
#include "Integral.h"

TSpectrumArrays::TSpectrumArrays(const TSpectrum& spectrum)
{
    X.reserve(spectrum.Points.size());
    Y.reserve(spectrum.Points.size());
    for (const QPointF& p : spectrum.Points) {
        X.push_back(p.x());
        Y.push_back(p.y());
    }
}

QString AxisUnitText(const TDataHeader& header)
{
    return UnitNames(header.SweepTp == 0 ? 0 : 1);
}

namespace {

void CheckCursors(const TCursorIndexes& c, int count)
{
    for (const int i : {c.Left, c.Centre, c.Right})
        if (i < 0 || i >= count)
            throw EMerilError(QStringLiteral("The cursor index %1 lies outside the spectrum's points 0 to %2.")
                                  .arg(i)
                                  .arg(count - 1));
}

// The automatic moment cursors of one view.
TCursorIndexes AutomaticCursors(const TLineView& spectrum, const TLineView& view, std::span<const double> baseline,
                                double yUnit)
{
    TCursorState state;
    PlaceM2Cursors(state, view, spectrum, baseline, yUnit);
    return MeasuredCursors(state, state.Index);
}

// The moments of one view with the automatic (or the chosen) cursors.
TViewReport MeasureView(const TLineView& spectrum, const TLineView& view, std::span<const double> baseline,
                        TViewKind kind, int factor, Real48 modAmp, const TSpectrumNoise& noise, double yUnit,
                        const TReportOptions& options)
{
    TViewReport r;
    r.Cursors = options.Cursors ? *options.Cursors : AutomaticCursors(spectrum, view, baseline, yUnit);
    const TCursorIndexes& c = r.Cursors;
    r.Moments = MeasureMoments(view, kind, c.Left, c.Centre, c.Right, modAmp);
    if (options.Uncertainties) {
        const TMomentUncertainty u = MomentUncertainty(spectrum, view.Y, kind, factor, c.Left, c.Centre, c.Right, noise);
        r.M2_u = u.M2;
        r.M4_u = u.M4;
    }
    return r;
}

} // namespace

std::optional<TGCheck> GAt(const TSpectrum& spectrum, double x)
{
    if (!IsEsrSpectrum(spectrum.Header) || spectrum.NotInFile.Frequency)
        return std::nullopt;
    return TGCheck{MeasureGFactor(spectrum.Frequency, spectrum.B0, x).G, double(spectrum.Frequency), double(spectrum.B0)};
}

std::vector<TMomentCursors> AutomaticMomentCursors(const TSpectrum& spectrum, const TBaseline& baseline)
{
    const TSpectrumArrays arrays(spectrum);
    const TLineView line = arrays.View();
    const std::vector<double> base = BaselineValues(baseline, line.Count());
    const std::vector<double> derivative = DerivativeView(line, base);
    const TIntegrator absorption = AbsorptionView(line, base);
    std::vector<TMomentCursors> cursors;
    for (const TLineView& view : {TLineView(arrays.X, derivative), TLineView(absorption.DestX, absorption.DestY)}) {
        const TCursorIndexes c = AutomaticCursors(line, view, base, spectrum.YScale.Unit());
        cursors.push_back({c.Left, c.Right});
    }
    return cursors;
}

std::vector<TMeasurementWarning> SpectrumChecks(const TSpectrum& spectrum, const TBaseline& baseline,
                                                const std::vector<TMomentCursors>& moments, const TFitResult* fit,
                                                std::optional<std::pair<int, int>> fitRange)
{
    const TSpectrumArrays arrays(spectrum);
    const std::vector<double> base = BaselineValues(baseline, int(arrays.Y.size()));
    const TLineView line = arrays.View();
    TCheckInput checks{line, base, double(spectrum.ModAmp) * XUnitsPerGauss(spectrum.Header), moments,
                       AxisUnitText(spectrum.Header), fit, fitRange};
    if (line.Count() > 0)
        checks.G = GAt(spectrum, arrays.X[size_t(FindLineCentre(line, base))]);
    checks.YScale = spectrum.YScale;
    std::vector<TMeasurementWarning> warnings = CheckMeasurements(checks);
    if (fit && !spectrum.FitModAmpWarning.isEmpty())
        warnings.push_back({QStringLiteral("modulation_left_out"), spectrum.FitModAmpWarning});
    return warnings;
}

TSpectrumReport MeasureSpectrum(const TSpectrum& spectrum, const TReportOptions& options)
{
    CheckProcessable((long long)spectrum.Points.size());
    const TSpectrumArrays arrays(spectrum);
    const TLineView line = arrays.View();
    const int count = line.Count();
    if (options.Cursors)
        CheckCursors(*options.Cursors, count);

    const QString unit = AxisUnitText(spectrum.Header);
    TSpectrumReport r;
    r.Points = count;
    r.Baseline = ComputeBaseline(arrays.Y);
    const std::vector<double> baseline = BaselineValues(r.Baseline, count);
    const TSpectrumNoise noise = MeasureNoise(arrays.Y, baseline, spectrum.YScale.Quantum);
    r.Noise = noise.Rms;
    r.NoiseCorrelation = noise.Correlation;
    r.Centre = FindLineCentre(line, baseline);

    const std::vector<double> derivative = DerivativeView(line, baseline);
    const TLineView derivativeView(arrays.X, derivative);
    r.Derivative = MeasureView(line, derivativeView, baseline, TViewKind::Derivative, 1, spectrum.ModAmp, noise,
                               spectrum.YScale.Unit(), options);
    TCursorState sdb;
    PlaceSDBCursors(sdb, line);
    r.SDB = MeasureWidth(derivativeView, sdb.Positions[1], sdb.Positions[2], unit).Width;

    const TIntegrator absorption = AbsorptionView(line, baseline);
    r.Factor = absorption.Factor;
    const TLineView absorptionView(absorption.DestX, absorption.DestY);
    r.Absorption = MeasureView(line, absorptionView, baseline, TViewKind::Absorption, r.Factor, spectrum.ModAmp,
                               noise, spectrum.YScale.Unit(), options);

    const THalfHeight half = FindHalfHeight(absorptionView);
    if (half.Found)
        r.HDB = MeasureWidth(absorptionView, half.Left, half.Right, unit).Width;
    else
        r.HDBError = half.Error;

    TCursorState integral;
    PlaceIntegralCursors(integral, count);
    TIntegrator area = AreaIntegrator(absorptionView, -500, 500);
    r.IntegralLeft = integral.Positions[1];
    r.IntegralRight = integral.Positions[2];
    const TIntegral measured = MeasureIntegral(area, r.IntegralLeft, r.IntegralRight, unit);
    r.AI = measured.Sum;
    r.IntegralLC = measured.LeftX;
    r.IntegralRC = measured.RightX;

    if (const std::optional<TGCheck> g = GAt(spectrum, derivativeView.XValue(r.Centre)); g && PlausibleG(*g))
        r.G = g->G;

    if (options.Fit)
        r.Fit = FitSpectrum(spectrum, r.Baseline, {*options.Fit, options.Hyperfine, options.FitRange});
    r.Warnings = SpectrumChecks(spectrum, r.Baseline,
                                {{r.Derivative.Cursors.Left, r.Derivative.Cursors.Right},
                                 {r.Absorption.Cursors.Left, r.Absorption.Cursors.Right}},
                                r.Fit ? &*r.Fit : nullptr, options.FitRange);
    return r;
}
