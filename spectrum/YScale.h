#pragma once
// The y scale of a spectrum: how its values were made and the axis they are
// shown on. A .dcw spectrum holds whole counts per pass, clipped to +-500 and
// shown on the fixed +-500 axis; a spectrum read from another program's file
// keeps the values of that file, shown on an axis that holds them.

#include <span>

struct TYScale {
    double Limit = 500;    // the y axis runs from -Limit to +Limit
    bool Clipped = true;   // the values stop at +-Limit (the .dcw reader clips them)
    double Quantum = 1;    // the step of the stored values (1 count); 0 when unknown
    // One count of the +-500 axis in y units: the step of the baseline
    // buttons and the scale of every threshold set in counts.
    double Unit() const { return Limit / 500; }
    // Decimals that show a count: 0 for the +-500 axis.
    int Decimals() const;
    bool operator==(const TYScale&) const = default;
};

// The scale of values read from another program's file: the axis the least
// of 1, 2 and 5 times a power of ten that holds every |y| (1 when all are
// 0), no clipping, and the step of the file's numbers.
TYScale ImportedYScale(std::span<const double> y, double quantum);

// The step of floating-point values of `mantissaBits` significant bits at
// the scale of the largest |y|: the least noise such numbers can carry.
double FloatQuantum(std::span<const double> y, int mantissaBits);
