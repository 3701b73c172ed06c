#pragma once
// Small helpers shared by the main window and the processing window: status
// panel messages, the lowest and highest point of a series, enabling a group
// of controls, and the number in a labelled text.

#include "Real48.h"

#include <QString>

class QWidget;
class TStatusBar;

// Keeps the panel's label (its text up to and including the first colon) and
// puts the message after it: "Acc: " with "2 of 5" becomes "Acc: 2 of 5"; an
// empty message leaves "Acc: ". A text without a colon is replaced by
// " " + message.
void SetStatusText(TStatusBar& bar, int panel, const QString& message);

namespace UOutMessDetail {
// The first index whose y value beats the running bound, which starts at
// `bound` and is held as a 6-byte real; -1 when no point beats it.
template <class Series, class Beats>
int ExtremeYIndex(const Series& series, long double bound, Beats beats)
{
    Real48 running = bound;
    int result = -1;
    for (int k = 0; k < series.Count(); ++k) {
        const double y = series.YValue(k);
        if (beats(y, (long double)running)) {
            running = y;
            result = k;
        }
    }
    return result;
}
} // namespace UOutMessDetail

// Index of the lowest point below 500 (the top of the data axis); among equal
// values the first. -1 for an empty series or when no point is below 500.
template <class Series>
int MinYIndex(const Series& series)
{
    return UOutMessDetail::ExtremeYIndex(series, 500.0L, [](long double y, long double bound) { return y < bound; });
}

// Index of the highest point above -500; among equal values the first. -1 for
// an empty series or when no point is above -500.
template <class Series>
int MaxYIndex(const Series& series)
{
    return UOutMessDetail::ExtremeYIndex(series, -500.0L, [](long double y, long double bound) { return y > bound; });
}

// Enables or disables the controls placed directly in the container; controls
// inside those are left as they are.
void EnableChildren(QWidget* container, bool on);

// The number in a label such as "14 000.5 kHz": keeps only the digits, "."
// and "," and converts them with StrToFloat, whose EConvertError (naming the
// kept text) reaches the caller. Blanks, units and a minus sign are dropped.
long double ParseLabelNumber(const QString& text);
