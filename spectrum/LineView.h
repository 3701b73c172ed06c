#pragma once
// A line as the processing routines read it: x and y arrays of equal length
// (not owned) and the indexes of the first and last point drawn now. The
// windows keep their points in arrays and pass views of them; the
// command-line tool passes the whole spectrum.

#include <QString>
#include <span>

struct TLineView {
    std::span<const double> X;
    std::span<const double> Y;
    int First = 0;   // first drawn index
    int Last = -1;   // last drawn index

    TLineView() = default;
    // Every point drawn.
    TLineView(std::span<const double> x, std::span<const double> y)
        : X(x), Y(y), First(0), Last(int(y.size()) - 1) {}
    TLineView(std::span<const double> x, std::span<const double> y, int first, int last)
        : X(x), Y(y), First(first), Last(last) {}

    // The two operations MinYIndex and MaxYIndex need.
    int Count() const { return int(Y.size()); }
    double YValue(int i) const { return Y[size_t(i)]; }
    double XValue(int i) const { return X[size_t(i)]; }
    // Spacing of the points, taken from the first two as every routine does.
    double XStep() const { return X[1] - X[0]; }
};

// Cursor positions are 16-bit point indexes, so a spectrum of more points
// cannot be measured.
inline constexpr int MaxProcessedPoints = 65535;

// The text of the refusal for a spectrum of `count` points, or an empty text
// when it can be processed (2 to 65535 points).
QString ProcessingRefusal(long long count);
// Throws EMerilError with that text when the spectrum cannot be processed.
void CheckProcessable(long long count);
