#pragma once
// The lowest and highest point of a series (anything with Count() and
// YValue(k)): chart series of the windows and plain arrays of the processing
// routines alike.

#include "Real48.h"

namespace SeriesExtremesDetail {
// The first index whose y value beats the running bound, which starts at
// `bound` and is held as a 6-byte real. When no point beats it, the first
// point (the callers read the point at once); -1 only for an empty series.
template <class Series, class Beats>
int ExtremeYIndex(const Series& series, long double bound, Beats beats)
{
    Real48 running = bound;
    int result = series.Count() > 0 ? 0 : -1;
    for (int k = 0; k < series.Count(); ++k) {
        const double y = series.YValue(k);
        if (beats(y, (long double)running)) {
            running = y;
            result = k;
        }
    }
    return result;
}
} // namespace SeriesExtremesDetail

// Index of the lowest point below 500 (the top of the data axis); among equal
// values the first. 0 when no point is below 500; -1 for an empty series.
template <class Series>
int MinYIndex(const Series& series)
{
    return SeriesExtremesDetail::ExtremeYIndex(series, 500.0L, [](long double y, long double bound) { return y < bound; });
}

// Index of the highest point above -500; among equal values the first. 0 when
// no point is above -500; -1 for an empty series.
template <class Series>
int MaxYIndex(const Series& series)
{
    return SeriesExtremesDetail::ExtremeYIndex(series, -500.0L, [](long double y, long double bound) { return y > bound; });
}

// The same without the bound, for values of any scale (spectra from other
// programs' files): the first index of the lowest or highest value. Equal to
// MinYIndex and MaxYIndex whenever a value lies within +-500, as every
// value of a .dcw spectrum and the 0 that starts an absorption view do.
template <class Series>
int LowestYIndex(const Series& series)
{
    if (series.Count() == 0)
        return -1;
    return SeriesExtremesDetail::ExtremeYIndex(series, series.YValue(0), [](long double y, long double bound) { return y < bound; });
}

template <class Series>
int HighestYIndex(const Series& series)
{
    if (series.Count() == 0)
        return -1;
    return SeriesExtremesDetail::ExtremeYIndex(series, series.YValue(0), [](long double y, long double bound) { return y > bound; });
}
