#include "SignalModel.h"

#include "Freq.h"

#include <cmath>
#include <numbers>

double CentreField(const TParameters& params, const TInstrumentConfig& config)
{
    // B0 = k * (position - (z - 2047)) + F0 / gamma, with position = code - 2047.
    const int m = params.Esr ? 3 : 0;
    const int zero = params.Esr ? config.Z2 : config.Z1;
    return double(FreqK[m] * (params.B0Code - zero) + FreqF0[m] / FreqGamma[m]);
}

double ResonanceOffset(const TParameters& params, const TInstrumentConfig& config, bool freqSweep, double x)
{
    const double gamma = SampleGamma(config.Sample, config.EsrG);
    const double field = CentreField(params, config) + (freqSweep ? 0 : x);
    const double frequencyKHz = params.FrequencyHz / 1000.0 + (freqSweep ? x : 0);
    return field - frequencyKHz / gamma;
}

double GainFactor(int gain)
{
    return std::pow(10.0, (gain - 128) / 85.0);
}

double SignalAt(const TParameters& params, const TInstrumentConfig& config, bool freqSweep, double x)
{
    const double offset = ResonanceOffset(params, config, freqSweep, x);
    const TComplex harmonic = LineShapeOf(config.Sample).FirstHarmonic(offset, params.ModAmpGs);
    // Phase mixes absorption (imaginary part) and dispersion (real part).
    const double phase = params.PhaseStep * 1.5 * std::numbers::pi / 180;
    const double detected = harmonic.imag() * std::cos(phase) + harmonic.real() * std::sin(phase);
    // Reversing the magnet current reverses the field against the modulation.
    const double direction = params.Forward ? 1 : -1;
    return direction * detected * SignalScaleOf(config.Sample) * GainFactor(params.Gain);
}

int DataDivisor(const QByteArray& version)
{
    return version == "2.0" ? 76000 : 13500;
}

TReading ConvertReading(double display, int divisor)
{
    const double limit = std::floor(ConverterFullScale * divisor);
    const double counts = std::round(display * divisor);
    if (std::abs(counts) > limit)
        return {qint32(std::copysign(limit, counts)), true};
    return {qint32(counts), false};
}
