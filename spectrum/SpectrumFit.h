#pragma once
// The line-shape fit of a stored spectrum, made the same way by meril-proc,
// the processing window, a run that stops once its values are known, and
// the bench: the baseline-corrected derivative over the chosen range, the
// file's modulation (in x units), the noise as MeasureNoise gives it, the
// points clipped at the converter's limit left out, and for an ESR spectrum
// g with the resolution of the stored B0 and frequency texts.

#include "Baseline.h"
#include "DataFile.h"
#include "LineFit.h"

#include <atomic>
#include <optional>
#include <utility>

struct TSpectrumFitOptions {
    TFitModel Model = TFitModel::Auto;
    THyperfineGroups Hyperfine;
    // Point indexes of the first and last fitted point; the whole spectrum when none.
    std::optional<std::pair<int, int>> Range;
    const std::atomic<bool>* Cancel = nullptr;
};

// The request the fit of the spectrum is made with (its points are the
// derivative view over every point of the spectrum).
TFitRequest SpectrumFitRequest(const TSpectrum& spectrum, const TBaseline& baseline, const TSpectrumFitOptions& options);

TFitResult FitSpectrum(const TSpectrum& spectrum, const TBaseline& baseline, const TSpectrumFitOptions& options);

// The place value of the last digit of a number in a text ("3 390.00 Gs"
// gives 0.01, "14 000 kHz" gives 1): the resolution it was stored with.
double LastDigit(const QString& text);
