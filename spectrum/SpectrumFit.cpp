#include "SpectrumFit.h"

#include "Cursors.h"
#include "SpectrumNoise.h"
#include "SpectrumReport.h"
#include "Views.h"

#include <cmath>

double LastDigit(const QString& text)
{
    QString number;
    for (const QChar c : text)
        if (c.isDigit() || c == u'.' || c == u',')
            number += c;
    const qsizetype point = std::max(number.lastIndexOf(u'.'), number.lastIndexOf(u','));
    return point < 0 ? 1.0 : std::pow(10.0, -double(number.size() - point - 1));
}

TFitRequest SpectrumFitRequest(const TSpectrum& spectrum, const TBaseline& baseline, const TSpectrumFitOptions& options)
{
    const TSpectrumArrays arrays(spectrum);
    const int count = int(arrays.Y.size());
    const std::vector<double> line0 = BaselineValues(baseline, count);
    TFitRequest request;
    request.Model = options.Model;
    request.Hyperfine = options.Hyperfine;
    if (options.Range) {
        request.First = options.Range->first;
        request.Last = options.Range->second;
    }
    request.XPerGauss = XUnitsPerGauss(spectrum.Header);
    // A negative or absurd modulation text is left out (FitModAmpWarning says so).
    request.ModAmp = spectrum.FitModAmp * request.XPerGauss;
    const TSpectrumNoise noise = MeasureNoise(arrays.Y, line0, spectrum.YScale.Quantum);
    request.Noise = noise.Rms;
    request.NoiseCorrelation = noise.Correlation;
    request.LeftOut.resize(size_t(count));
    if (spectrum.YScale.Clipped)
        for (int i = 0; i < count; ++i)
            request.LeftOut[size_t(i)] = std::abs(arrays.Y[size_t(i)]) >= spectrum.YScale.Limit;
    // g only where the spectrum's own g at its line centre is plausible.
    const int centre = count > 0 ? FindLineCentre(arrays.View(), line0) : -1;
    const std::optional<TGCheck> g = centre >= 0 ? GAt(spectrum, arrays.X[size_t(centre)]) : std::nullopt;
    if (g && PlausibleG(*g)) {
        request.EsrFrequencyKHz = double(spectrum.Frequency);
        request.B0 = double(spectrum.B0);
        request.FrequencyDigitKHz = LastDigit(spectrum.Header.Frequency);
        request.B0Digit = LastDigit(spectrum.Header.B0);
    }
    request.Cancel = options.Cancel;
    return request;
}

TFitResult FitSpectrum(const TSpectrum& spectrum, const TBaseline& baseline, const TSpectrumFitOptions& options)
{
    const TSpectrumArrays arrays(spectrum);
    const std::vector<double> derivative =
        DerivativeView(arrays.View(), BaselineValues(baseline, int(arrays.Y.size())));
    return FitLineShape(TLineView(arrays.X, derivative), SpectrumFitRequest(spectrum, baseline, options));
}
