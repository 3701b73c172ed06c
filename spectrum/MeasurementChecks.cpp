#include "MeasurementChecks.h"

#include "Baseline.h"
#include "DataFile.h"
#include "MomentUncertainty.h"
#include "SeriesExtremes.h"
#include "SpectrumNoise.h"
#include "StrongestLine.h"
#include "Views.h"

#include <algorithm>
#include <cmath>

namespace {

QString Number(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

// The correlated noise's variance of a sum of the points of `segments`
// (each a run of neighbours) weighted by w, over sigma^2: w^T R w.
double WeightedVariance(const std::vector<std::vector<double>>& segments, double rho)
{
    double sum = 0;
    for (const std::vector<double>& w : segments) {
        std::vector<double> r = w;
        ApplyNoiseCorrelation(rho, r);
        for (size_t i = 0; i < w.size(); ++i)
            sum += w[i] * r[i];
    }
    return sum;
}

class TChecker {
public:
    explicit TChecker(const TCheckInput& in)
        : In(in), Count(in.Spectrum.Count()), Unit(in.Unit)
    {
        D.resize(size_t(Count));
        for (int i = 0; i < Count; ++i)
            D[size_t(i)] = In.Spectrum.YValue(i) - In.Baseline[size_t(i)];
        Noise = MeasureNoise(In.Spectrum.Y, In.Baseline, In.YScale.Quantum);
        Low = LowestYIndex(In.Spectrum);
        High = HighestYIndex(In.Spectrum);
        FreshFit = In.Fit && In.Fit->Ok ? In.Fit : nullptr;
    }

    std::vector<TMeasurementWarning> Run()
    {
        std::vector<TMeasurementWarning> found;
        for (auto check : {&TChecker::Clipped, &TChecker::Overmodulated, &TChecker::WingsCut,
                           &TChecker::AmbiguousCentre, &TChecker::LowSnr, &TChecker::BaselineDrift,
                           &TChecker::ImplausibleG, &TChecker::FitRangeCut, &TChecker::ModelMisfit,
                           &TChecker::FitFailed})
            if (std::optional<TMeasurementWarning> w = (this->*check)())
                found.push_back(*w);
        return found;
    }

private:
    std::optional<TMeasurementWarning> Clipped() const
    {
        if (!In.YScale.Clipped)
            return std::nullopt;
        const double limit = In.YScale.Limit;
        const auto atLimit = std::count_if(In.Spectrum.Y.begin(), In.Spectrum.Y.end(),
                                           [&](double y) { return std::abs(y) >= limit; });
        if (atLimit == 0)
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("clipped"),
            QStringLiteral("%1 %2 at the \u00b1%3 limit: widths and moments are biased; lower the gain.")
                .arg(atLimit)
                .arg(atLimit == 1 ? QStringLiteral("point") : QStringLiteral("points"))
                .arg(limit)};
    }

    // Against the fitted width, or else that of the strongest line alone (on
    // a multiplet the outer extremes belong to different lines).
    std::optional<TMeasurementWarning> Overmodulated() const
    {
        double width = 0;
        if (FreshFit) {
            width = FreshFit->PpWidth.Value;
        } else {
            const TLineLobes lobes = StrongestLine(D, 3 * Noise.Rms);
            if (lobes.Partner < 0)
                return std::nullopt;
            width = std::abs(In.Spectrum.XValue(lobes.Peak) - In.Spectrum.XValue(lobes.Partner));
        }
        if (!(width > 0) || !(In.ModAmp > width / 3))
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("overmodulated"),
            QStringLiteral("The modulation amplitude (%1 %3) is more than a third of the peak-to-peak width "
                           "(%2 %3%4): the line is broadened; lower the modulation, or use the fit, which includes it.")
                .arg(Number(In.ModAmp, 3), Number(width, 3), Unit,
                     FreshFit ? QStringLiteral(", fitted") : QStringLiteral(", of the strongest line"))};
    }

    // At each moment cursor: the derivative, averaged over the cursor and
    // its neighbours so that one noisy point does not decide, against 3x the
    // noise; the absorption against 4x its own noise at that point (the
    // noise integrated with its correlation, whose estimate is itself
    // uncertain).
    std::optional<TMeasurementWarning> WingsCut() const
    {
        if (In.Moments.empty())
            return std::nullopt;
        const TIntegrator absorption = AbsorptionView(In.Spectrum, In.Baseline);
        for (const TMomentCursors& m : In.Moments) {
            for (const auto& [index, side] : {std::pair{m.Left, "left"}, std::pair{m.Right, "right"}}) {
                if (index < 0 || index >= Count)
                    continue;
                const double level = std::abs(LocalMean(index));
                if (level > 3 * Noise.Rms)
                    return WingsCutWarning(side, QStringLiteral("the derivative is still %1 times the noise")
                                                     .arg(Number(level / Noise.Rms, 1)));
                const double a = std::abs(absorption.DestY[size_t(index)]);
                std::vector<long double> unit(static_cast<size_t>(Count));
                unit[size_t(index)] = 1;
                const double aNoise =
                    PropagatedNoise(std::move(unit), In.Spectrum, TViewKind::Absorption, absorption.Factor, Noise);
                if (a > 4 * aNoise)
                    return WingsCutWarning(side, QStringLiteral("the absorption has not come back to its baseline "
                                                                "(%1 times its noise)")
                                                     .arg(Number(a / std::max(aNoise, 1e-300), 1)));
            }
        }
        return std::nullopt;
    }

    static TMeasurementWarning WingsCutWarning(const char* side, const QString& what)
    {
        return {QStringLiteral("wings_cut"),
                QStringLiteral("At the %1 moment cursor %2: M2 and M4 read low; widen the range or use the fit.")
                    .arg(QLatin1String(side), what)};
    }

    double LocalMean(int index) const
    {
        const int from = std::max(0, index - 2), to = std::min(Count - 1, index + 2);
        double sum = 0;
        for (int i = from; i <= to; ++i)
            sum += D[size_t(i)];
        return sum / (to - from + 1);
    }

    // Walking from one extreme to the other, the derivative crosses zero in
    // the sense of the main swing once for a single line. A crossing counts
    // when the derivative goes from beyond +3x the noise to beyond -3x (or
    // the reverse, following the main swing).
    std::optional<TMeasurementWarning> AmbiguousCentre() const
    {
        const int from = std::min(Low, High), to = std::max(Low, High);
        if (from == to)
            return std::nullopt;
        const double h = 3 * Noise.Rms;
        const int swing = D[size_t(from)] > 0 ? 1 : -1;   // sign the walk starts from
        int side = swing, crossings = 0;
        for (int i = from; i <= to; ++i) {
            const double d = D[size_t(i)] * swing;
            if (side > 0 && d < -h) {
                side = -1;
                ++crossings;
            } else if (side < 0 && d > h) {
                side = 1;
            }
        }
        if (crossings <= 1)
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("ambiguous_centre"),
            QStringLiteral("%1 zero crossings beyond the noise lie between the extremes: the centre and g may be a "
                           "dip between lines; use the fit.")
                .arg(crossings)};
    }

    // The extremes of single points stand out of a weak line by the noise's
    // own extremes; those of the derivative averaged over an eighth of the
    // peak-to-peak distance hardly do, and the line's own extremes stay.
    double RobustHeight() const
    {
        const int half = std::max(1, std::abs(High - Low) / 16);
        std::vector<double> running(size_t(Count) + 1, 0.0);
        for (int i = 0; i < Count; ++i)
            running[size_t(i) + 1] = running[size_t(i)] + D[size_t(i)];
        double low = INFINITY, high = -INFINITY;
        for (int i = 0; i < Count; ++i) {
            const int from = std::max(0, i - half), to = std::min(Count - 1, i + half);
            const double mean = (running[size_t(to) + 1] - running[size_t(from)]) / (to - from + 1);
            low = std::min(low, mean);
            high = std::max(high, mean);
        }
        return high - low;
    }

    std::optional<TMeasurementWarning> LowSnr() const
    {
        const double height = RobustHeight();
        if (height >= 10 * Noise.Rms)
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("low_snr"),
            QStringLiteral("The peak-to-peak height is only %1 times the noise (%2): every value measured on this "
                           "line is uncertain; accumulate more passes.")
                .arg(Number(std::max(height, 0.0) / Noise.Rms, 1), Number(Noise.Rms, In.YScale.Decimals() + 2))};
    }

    // A wing's mean off zero after the baseline, or the two wings curving
    // the same way (a bowed baseline, which a straight one cannot follow;
    // the tails of a line curve the two wings opposite ways and do not count).
    std::optional<TMeasurementWarning> BaselineDrift() const
    {
        const int n = BaselineEndCount(Count);
        const int starts[2] = {0, Count - 1 - n};
        for (int w = 0; w < 2; ++w) {
            double mean = 0;
            for (int i = starts[w]; i <= starts[w] + n; ++i)
                mean += D[size_t(i)] / (n + 1);
            const double error =
                Noise.Rms * std::sqrt(WeightedVariance({std::vector<double>(size_t(n) + 1, 1.0 / (n + 1))}, Noise.Correlation));
            if (std::abs(mean) <= 3 * error)
                continue;
            return TMeasurementWarning{
                QStringLiteral("baseline_drift"),
                QStringLiteral("After the baseline the %1 wing's mean is %2, %3 times its standard error: the "
                               "baseline is off, which biases the absorption, the integral and the moments; shift "
                               "or tilt the baseline.")
                    .arg(QLatin1String(w == 0 ? "left" : "right"), Number(mean, 2), Number(std::abs(mean) / error, 1))};
        }
        // The wings' points against t, from -1 at the first point to 1 at the
        // last: the part of t^2 that 1 and t do not explain measures the bow.
        if (n < 4)
            return std::nullopt;
        std::vector<double> t, d;
        for (const int start : starts)
            for (int i = start; i <= start + n; ++i) {
                t.push_back(2.0 * i / (Count - 1) - 1);
                d.push_back(D[size_t(i)]);
            }
        const std::vector<std::vector<double>> basis = PolynomialBasis(t, 3);
        if (basis.size() < 3)
            return std::nullopt;
        const std::vector<double>& q = basis[2];
        double along = 0, squareAlong = 0;
        for (size_t i = 0; i < t.size(); ++i) {
            along += q[i] * d[i];
            squareAlong += q[i] * t[i] * t[i];
        }
        const size_t m = size_t(n) + 1;
        const double error = Noise.Rms * std::sqrt(WeightedVariance({std::vector<double>(q.begin(), q.begin() + std::ptrdiff_t(m)),
                                                                     std::vector<double>(q.begin() + std::ptrdiff_t(m), q.end())},
                                                                    Noise.Correlation));
        if (!(std::abs(along) > 3 * error))
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("baseline_drift"),
            QStringLiteral("The baseline is bowed: between the middle and the ends of the sweep it bends by about %1 "
                           "(%2 times its standard error), which a straight baseline cannot follow; the absorption, "
                           "the integral and the moments are biased.")
                .arg(Number(along / squareAlong, 2), Number(std::abs(along) / error, 1))};
    }

    // The ends of a chosen fit range: the derivative (mean of 5 points)
    // still beyond 3x the noise means the range cuts the line's wings.
    std::optional<TMeasurementWarning> FitRangeCut() const
    {
        if (!In.Fit || !In.FitRange)
            return std::nullopt;
        for (const auto& [index, side] : {std::pair{In.FitRange->first, "left"}, std::pair{In.FitRange->second, "right"}}) {
            if (index < 0 || index >= Count)
                continue;
            const double level = std::abs(LocalMean(index));
            if (level > 3 * Noise.Rms)
                return TMeasurementWarning{
                    QStringLiteral("fit_range_cut"),
                    QStringLiteral("At the %1 end of the fit range the derivative is still %2 times the noise: the fit "
                                   "misses part of the line's wings, which biases the width and the area; widen the range.")
                        .arg(QLatin1String(side), Number(level / Noise.Rms, 1))};
        }
        return std::nullopt;
    }

    std::optional<TMeasurementWarning> ImplausibleG() const
    {
        if (!In.G || PlausibleG(*In.G))
            return std::nullopt;
        const TGCheck& g = *In.G;
        QString what;
        if (g.FrequencyKHz == 0)
            what = QStringLiteral("The frequency of the spectrum is 0");
        else if (g.B0 == 0)
            what = QStringLiteral("B0 of the spectrum is 0");
        else if (!std::isfinite(g.G))
            what = QStringLiteral("The field at the line centre is 0");
        else
            what = QStringLiteral("g = %1 lies outside 1.5 to 3").arg(QString::number(g.G, 'g', 6));
        return TMeasurementWarning{
            QStringLiteral("implausible_g"),
            QStringLiteral("%1: no g is shown; check the Frequency (%2 kHz) and B0 (%3 Gs) in the spectrum's settings.")
                .arg(what, QString::number(g.FrequencyKHz, 'f', 1), QString::number(g.B0, 'f', 2))};
    }

    std::optional<TMeasurementWarning> ModelMisfit() const
    {
        if (!FreshFit || !FreshFit->Misfit)
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("model_misfit"),
            QStringLiteral("The %1 fit leaves structure in its residuals (\u03c7\u00b2 red %2, lag-1 correlation %3 "
                           "against the noise's %4): the spectrum likely holds unresolved components, hyperfine "
                           "structure or another line shape; try another model, hyperfine groups or a narrower range. "
                           "The stated uncertainties hold for this model only.")
                .arg(FitModelTitle(FreshFit->Model), Number(FreshFit->Chi2Red, 1), Number(FreshFit->ResidualCorr, 2),
                     Number(FreshFit->NoiseCorrelation, 2))};
    }

    std::optional<TMeasurementWarning> FitFailed() const
    {
        if (!In.Fit || In.Fit->Ok)
            return std::nullopt;
        return TMeasurementWarning{QStringLiteral("fit_failed"), In.Fit->Failure};
    }

    const TCheckInput& In;
    const int Count;
    const QString Unit;
    std::vector<double> D;   // spectrum minus baseline
    TSpectrumNoise Noise;
    int Low = 0, High = 0;
    const TFitResult* FreshFit = nullptr;  // a fit that succeeded
};

} // namespace

const std::vector<QString>& MeasurementWarningCodes()
{
    static const std::vector<QString> codes{"clipped",       "overmodulated",  "wings_cut",     "ambiguous_centre",
                                            "low_snr",       "baseline_drift", "implausible_g", "fit_range_cut",
                                            "model_misfit",  "fit_failed"};
    return codes;
}

bool PlausibleG(const TGCheck& g)
{
    return g.FrequencyKHz != 0 && g.B0 != 0 && g.G >= 1.5 && g.G <= 3;
}

std::vector<TMeasurementWarning> CheckMeasurements(const TCheckInput& input)
{
    if (input.Spectrum.Count() < 2 || int(input.Baseline.size()) < input.Spectrum.Count())
        return {};
    return TChecker(input).Run();
}
