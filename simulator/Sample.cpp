#include "Sample.h"

#include "Freq.h"

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

namespace {
constexpr double Infinite = std::numeric_limits<double>::infinity();

// Liquid: Lorentzian of 0.1 Gs peak to peak (magnet inhomogeneity).
constexpr double LiquidHwhm = 0.1 * 0.8660254037844386;
// Solid 1H: Gaussian with M2 = 10 Gs^2.
constexpr double SolidHSigma = 3.1622776601683795;
// Hydrated crystal (gypsum-like powder): proton pair at 1.58 Angstrom gives
// alpha = 1.5 * mu_p / r^3 = 5.37 Gs; neighbours broaden by 1.54 Gs.
constexpr double PakeAlpha = 5.37;
constexpr double PakeSigma = 1.54;
// Solid 19F: Gaussian with M2 = 16 Gs^2.
constexpr double SolidFSigma = 4.0;
// ESR standard: Lorentzian of 1.5 Gs peak to peak.
constexpr double EsrHwhm = 1.5 * 0.8660254037844386;

const std::array<TSampleInfo, 5> Infos = {{
    {TSample::LiquidH, "liquid-h", "liquid 1H: narrow Lorentzian, 0.1 Gs peak to peak",
     double(FreqGamma[0]), 0.05, 2, Infinite},
    {TSample::SolidH, "solid-h", "solid 1H: Gaussian, second moment 10 Gs^2",
     double(FreqGamma[0]), 1.0, 25, SolidHSigma * SolidHSigma},
    {TSample::CrystalH, "crystal-h", "hydrated crystal powder 1H: Pake doublet, horns at +-5.37 Gs",
     double(FreqGamma[0]), 1.0, 30, 0.8 * PakeAlpha * PakeAlpha + PakeSigma * PakeSigma},
    {TSample::SolidF, "solid-f", "solid 19F: Gaussian, second moment 16 Gs^2",
     double(FreqGamma[1]), 1.0, 30, SolidFSigma * SolidFSigma},
    {TSample::EsrStandard, "esr", "ESR standard: Lorentzian, 1.5 Gs peak to peak",
     0, 0.5, 25, Infinite},
}};

std::unique_ptr<TLineShape> MakeShape(TSample sample)
{
    switch (sample) {
    case TSample::LiquidH: return std::make_unique<TLorentzLine>(LiquidHwhm);
    case TSample::SolidH: return std::make_unique<TGaussLine>(SolidHSigma);
    case TSample::CrystalH: return std::make_unique<TPakeLine>(PakeAlpha, PakeSigma);
    case TSample::SolidF: return std::make_unique<TGaussLine>(SolidFSigma);
    case TSample::EsrStandard: return std::make_unique<TLorentzLine>(EsrHwhm);
    }
    return nullptr;
}

struct TPreparedSample {
    std::unique_ptr<TLineShape> Shape;
    double Scale = 1;
};

const TPreparedSample& Prepared(TSample sample)
{
    static std::array<TPreparedSample, Infos.size()> cache;
    static std::array<std::once_flag, Infos.size()> built;
    TPreparedSample& prepared = cache[size_t(sample)];
    std::call_once(built[size_t(sample)], [&] {
        prepared.Shape = MakeShape(sample);
        // Find the peak of the absorption derivative at the reference modulation.
        const TSampleInfo& info = SampleInfo(sample);
        constexpr int steps = 20000;
        double peak = 0;
        for (int i = 0; i <= steps; ++i) {
            const double d = info.Extent * (2.0 * i / steps - 1);
            peak = std::max(peak, std::abs(prepared.Shape->FirstHarmonic(d, info.ReferenceModAmp).imag()));
        }
        prepared.Scale = ReferencePeak / peak;
    });
    return prepared;
}
} // namespace

const TSampleInfo& SampleInfo(TSample sample)
{
    return Infos[size_t(sample)];
}

std::optional<TSample> SampleByName(const QString& name)
{
    for (const auto& info : Infos)
        if (name == QLatin1String(info.Name))
            return info.Sample;
    return std::nullopt;
}

QStringList SampleNames()
{
    QStringList names;
    for (const auto& info : Infos)
        names << QLatin1String(info.Name);
    return names;
}

const TLineShape& LineShapeOf(TSample sample)
{
    return *Prepared(sample).Shape;
}

double SignalScaleOf(TSample sample)
{
    return Prepared(sample).Scale;
}

double SampleGamma(TSample sample, double esrG)
{
    const TSampleInfo& info = SampleInfo(sample);
    return info.NuclearGamma > 0 ? info.NuclearGamma : esrG * ElectronGammaPerG;
}
