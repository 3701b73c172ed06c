#pragma once
// What the fuzz targets of the spectrum readers share: the split of an input
// into two files, what every spectrum read must be, and its measurement.
#include "DataFile.h"
#include "SpectrumReport.h"

#include <QByteArrayView>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// The first two bytes give the length of the first file; the rest is the second.
inline std::pair<QByteArrayView, QByteArrayView> SplitInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return {};
    const size_t first = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    return {QByteArrayView(data + 2, qsizetype(first)), QByteArrayView(data + 2 + first, qsizetype(size - 2 - first))};
}

// What the processing window and meril-proc rely on.
inline void RequireUsable(const TSpectrum& s)
{
    Require(s.Points.size() >= 2 && s.XStep > 0 && s.SweepRange > 0 && s.YScale.Limit > 0 && s.Acc >= 1);
    for (const QPointF& p : s.Points)
        Require(std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.y()) <= s.YScale.Limit);
}

// Every measurement, for spectra small enough to keep the fuzzing quick; an
// error of the program's own (a value beyond the 6-byte reals) is a refusal.
inline void MeasureIfSmall(const TSpectrum& s)
{
    if (s.Points.size() > 4096)
        return;
    try {
        MeasureSpectrum(s);
    } catch (const EMerilError&) {
    }
}
