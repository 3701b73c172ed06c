#pragma once
// The fit of a run's accumulated sum, made as meril-proc makes it of a stored
// spectrum: the sum taken as the spectrum file would hold it and measured
// with the fit asked for. The run's one use of the fit library.

#include "DataFile.h"
#include "KnownStop.h"

#include <span>

// The value and uncertainty of the target's quantity in the sum of
// `passes` passes; without a value (and why) when the fit fails or does not
// give the quantity.
TKnownPoint FitKnown(const TDataHeader& header, std::span<const int32_t> sums, int passes, const TKnownTarget& target);

// "M2 = 10.21 ± 0.14 Gs² (1.4 %)", or why there is no value.
QString KnownValueText(const TKnownTarget& target, const TKnownPoint& p, const QString& unit);
