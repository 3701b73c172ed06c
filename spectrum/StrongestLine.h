#pragma once
// The strongest single line of a derivative spectrum, for the fit's starting
// width and for the over-modulation check: its largest excursion and the
// extreme of the opposite lobe beside it. On a multiplet these are the two
// lobes of one line, not the outer extremes of the whole pattern.

#include <span>

struct TLineLobes {
    int Peak = -1;     // the largest |y|
    int Partner = -1;  // the extreme of the opposite lobe next to it; -1 when there is none
};

// A lobe ends where y comes back beyond `threshold` on the other side, so
// that noise near zero does not split it; at least a twentieth of the peak.
TLineLobes StrongestLine(std::span<const double> y, double threshold);
