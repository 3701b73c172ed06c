#include "MeasurementChecks.h"

#include "Baseline.h"
#include "MomentUncertainty.h"
#include "SeriesExtremes.h"
#include "Views.h"

#include <algorithm>
#include <cmath>

namespace {

// The stored values are whole counts (or other steps): their rounding alone
// is noise of 1/sqrt(12) steps, the least the checks assume.
double RoundingNoise(const TYScale& scale)
{
    return scale.Quantum / std::sqrt(12.0);
}

QString Number(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

// Lag-1 autocorrelation, kept to 0..0.99.
double Correlation(double lagged, double squares)
{
    return squares > 0 ? std::clamp(lagged / squares, 0.0, 0.99) : 0.0;
}

// How much the variance of a sum grows over white noise when neighbouring
// points correlate by rho: (1 + rho) / (1 - rho).
double CorrelationInflation(double rho)
{
    return (1 + rho) / (1 - rho);
}

// One end of the spectrum after the baseline.
struct TWing {
    double Mean = 0;
    double SumSquares = 0;  // about the mean
    double Lagged = 0;      // sum of neighbouring products about the mean
    double StandardError = 0;
    int Count = 0;
};

// The standard error of the mean allows for point-to-point correlation (a
// detection time constant) through the lag-1 autocorrelation of the wing.
TWing MeasureWing(const std::vector<double>& r, double roundingNoise)
{
    TWing w;
    w.Count = int(r.size());
    for (const double v : r)
        w.Mean += v;
    w.Mean /= w.Count;
    for (size_t i = 0; i < r.size(); ++i) {
        w.SumSquares += (r[i] - w.Mean) * (r[i] - w.Mean);
        if (i > 0)
            w.Lagged += (r[i] - w.Mean) * (r[i - 1] - w.Mean);
    }
    const double sd = w.Count > 1 ? std::max(std::sqrt(w.SumSquares / (w.Count - 1)), roundingNoise) : roundingNoise;
    w.StandardError = sd * std::sqrt(CorrelationInflation(Correlation(w.Lagged, w.SumSquares)) / w.Count);
    return w;
}

class TChecker {
public:
    explicit TChecker(const TCheckInput& in)
        : In(in), Count(in.Spectrum.Count()), Unit(in.Unit)
    {
        D.resize(size_t(Count));
        for (int i = 0; i < Count; ++i)
            D[size_t(i)] = In.Spectrum.YValue(i) - In.Baseline[size_t(i)];
        const int n = BaselineEndCount(Count);
        std::vector<double> left(D.begin(), D.begin() + n + 1), right(D.end() - n - 1, D.end());
        Wings[0] = MeasureWing(left, RoundingNoise(In.YScale));
        Wings[1] = MeasureWing(right, RoundingNoise(In.YScale));
        const int pooled = Wings[0].Count + Wings[1].Count - 2;
        Noise = std::max(pooled > 0 ? std::sqrt((Wings[0].SumSquares + Wings[1].SumSquares) / pooled) : 0.0,
                         RoundingNoise(In.YScale));
        Inflation = CorrelationInflation(
            Correlation(Wings[0].Lagged + Wings[1].Lagged, Wings[0].SumSquares + Wings[1].SumSquares));
        Low = LowestYIndex(In.Spectrum);
        High = HighestYIndex(In.Spectrum);
    }

    std::vector<TMeasurementWarning> Run()
    {
        std::vector<TMeasurementWarning> found;
        for (auto check : {&TChecker::Clipped, &TChecker::Overmodulated, &TChecker::WingsCut,
                           &TChecker::AmbiguousCentre, &TChecker::LowSnr, &TChecker::BaselineDrift,
                           &TChecker::ImplausibleG})
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

    std::optional<TMeasurementWarning> Overmodulated() const
    {
        const double width = In.FitPpWidth ? *In.FitPpWidth
                                           : std::abs(In.Spectrum.XValue(High) - In.Spectrum.XValue(Low));
        if (!(width > 0) || !(In.ModAmp > width / 3))
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("overmodulated"),
            QStringLiteral("The modulation amplitude (%1 %3) is more than a third of the peak-to-peak width "
                           "(%2 %3%4): the line is broadened; lower the modulation, or use the fit, which includes it.")
                .arg(Number(In.ModAmp, 3), Number(width, 3), Unit,
                     In.FitPpWidth ? QStringLiteral(", fitted") : QStringLiteral(", SDB"))};
    }

    // At each moment cursor: the derivative, averaged over the cursor and
    // its neighbours so that one noisy point does not decide, against 3x the
    // noise; the absorption against 4x its own noise at that point (the
    // noise integrated, allowing for its correlation, whose estimate from the
    // wings is itself uncertain).
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
                if (level > 3 * Noise)
                    return WingsCutWarning(side, QStringLiteral("the derivative is still %1 times the noise")
                                                     .arg(Number(level / Noise, 1)));
                const double a = std::abs(absorption.DestY[size_t(index)]);
                std::vector<long double> unit(static_cast<size_t>(Count));
                unit[size_t(index)] = 1;
                const double aNoise = PropagatedNoise(std::move(unit), In.Spectrum, TViewKind::Absorption,
                                                      absorption.Factor, Noise) *
                                      std::sqrt(Inflation);
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
        const double h = 3 * Noise;
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

    std::optional<TMeasurementWarning> LowSnr() const
    {
        const double height = D[size_t(High)] - D[size_t(Low)];
        if (height >= 10 * Noise)
            return std::nullopt;
        return TMeasurementWarning{
            QStringLiteral("low_snr"),
            QStringLiteral("The peak-to-peak height is only %1 times the noise (%2): every value measured on this "
                           "line is uncertain; accumulate more passes.")
                .arg(Number(std::max(height, 0.0) / Noise, 1), Number(Noise, In.YScale.Decimals() + 2))};
    }

    std::optional<TMeasurementWarning> BaselineDrift() const
    {
        for (const auto& [wing, side] : {std::pair{&Wings[0], "left"}, std::pair{&Wings[1], "right"}}) {
            if (std::abs(wing->Mean) <= 3 * wing->StandardError)
                continue;
            return TMeasurementWarning{
                QStringLiteral("baseline_drift"),
                QStringLiteral("After the baseline the %1 wing's mean is %2, %3 times its standard error: the "
                               "baseline is off, which biases the absorption, the integral and the moments; shift "
                               "or tilt the baseline.")
                    .arg(QLatin1String(side), Number(wing->Mean, 2), Number(std::abs(wing->Mean) / wing->StandardError, 1))};
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

    const TCheckInput& In;
    const int Count;
    const QString Unit;
    std::vector<double> D;   // spectrum minus baseline
    TWing Wings[2];
    double Noise = 0;
    double Inflation = 1;    // of the variance of integrated noise, by its correlation
    int Low = 0, High = 0;
};

} // namespace

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
