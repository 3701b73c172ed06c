#include "SpectrumFit.h"

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
    request.ModAmp = double(spectrum.ModAmp) * request.XPerGauss;
    const TSpectrumNoise noise = MeasureNoise(arrays.Y, line0);
    request.Noise = noise.Rms;
    request.NoiseCorrelation = noise.Correlation;
    request.LeftOut.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        request.LeftOut[size_t(i)] = std::abs(arrays.Y[size_t(i)]) >= SpectrumLimit;
    if (IsEsrSpectrum(spectrum.Header)) {
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
