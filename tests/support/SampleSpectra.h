#pragma once
// Stored spectra for tests and benchmarks: the headers of a field-sweep NMR
// and an ESR run, and the sums of a first-derivative Lorentzian line.

#include "DataFile.h"

#include <cmath>
#include <cstdint>
#include <vector>

// A field-sweep NMR header of a 100 Gs range.
inline TDataHeader NmrHeader()
{
    TDataHeader h;
    h.Comment = QStringLiteral("water, 20 C");
    h.Frequency = QStringLiteral("14 000.0 kHz");
    h.B0 = QStringLiteral("3 288.2 Gs");
    h.SweepTp = 1;
    h.SweepR = 100;
    h.ModAmp = QStringLiteral("0.025 Gs");
    h.SweepTime = QStringLiteral("0.5 min");
    h.Gain = QStringLiteral("60");
    h.Phase = QStringLiteral("180\u00b0");
    h.Acc = QStringLiteral("1");
    h.Resonance = QStringLiteral("NMR 1H");
    return h;
}

inline TDataHeader EsrHeader()
{
    TDataHeader h = NmrHeader();
    h.Comment = QStringLiteral("DPPH");
    h.Frequency = QStringLiteral("9 500 000.0 kHz");
    h.B0 = QStringLiteral("3 390.0 Gs");
    h.SweepR = 50;
    h.ModAmp = QStringLiteral("0.5 Gs");
    h.Resonance = QStringLiteral("ESR");
    return h;
}

// Sums of a first-derivative Lorentzian line of half width gamma points,
// centred on point n / 2, peaks about +-amplitude, on an offset.
inline std::vector<int32_t> LorentzDerivative(int n, double gamma, double amplitude = 300, double offset = 0)
{
    std::vector<int32_t> sums(static_cast<size_t>(n));
    const double peak = 3 * std::sqrt(3.0) / 8;   // largest value of 2u / (1 + u^2)^2
    for (int i = 0; i < n; ++i) {
        const double u = (i - n / 2) / gamma;
        sums[size_t(i)] = int32_t(std::lround(offset - amplitude / peak * u / ((1 + u * u) * (1 + u * u))));
    }
    return sums;
}
