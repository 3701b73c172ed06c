#pragma once
// Line widths: "SDB" (distance between the extremes of the derivative) and
// "HDB" (width of the absorption line at half its height).

#include "LineView.h"

#include <QString>

struct TWidth {
    double Width = 0;  // x units
    QString Text;      // "%6.2n " followed by the unit: "  1.50 Gs"
};

// |x[left] - x[right]| of the view, with its text in `unit` ("Gs" or "kHz").
TWidth MeasureWidth(const TLineView& view, int left, int right, const QString& unit);

// The half-height crossings of a view over its drawn range.
struct THalfHeight {
    bool Found = false;
    int Left = 0;    // the first point past the crossing from the left
    int Right = 0;   // from the right: j, or j + 1 unless y at j is exactly half height
    QString Error;   // "Lack of begining value" / "Lack of ending value" when not found
};

// H = (max - min) / 2 + min of the view. Walks in from the first drawn point
// to the first point on the other side of H, and in from the last drawn
// point likewise; the crossings must lie in order. When not found, the
// cursors stay where they were and Error holds the operator's message.
THalfHeight FindHalfHeight(const TLineView& view);
