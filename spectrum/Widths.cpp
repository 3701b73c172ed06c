#include "Widths.h"

#include "NumFormat.h"

#include <algorithm>
#include <cmath>

TWidth MeasureWidth(const TLineView& view, int left, int right, const QString& unit)
{
    TWidth w;
    w.Width = std::fabs(view.XValue(left) - view.XValue(right));
    w.Text = Format(QStringLiteral("%6.2n ") + unit, {w.Width});
    return w;
}

THalfHeight FindHalfHeight(const TLineView& view)
{
    THalfHeight result;
    const int first = view.First, last = view.Last;
    if (first < 0 || last < first) {
        result.Error = QStringLiteral("Lack of begining value");
        return result;
    }
    const auto [low, high] = std::minmax_element(view.Y.begin(), view.Y.end());
    const long double h = ((long double)*high - *low) * 0.5L + *low;
    auto y = [&](int i) { return (long double)view.YValue(i); };

    int i = first;
    bool found;
    if (y(first) < h) {
        while (y(i) <= h && i < last)
            ++i;
        found = y(i) > h;
    } else {
        while (y(i) > h && i < last)
            ++i;
        found = y(i) <= h;
    }
    if (!found) {
        result.Error = QStringLiteral("Lack of begining value");
        return result;
    }

    int j = last;
    if (y(last) < h) {
        while (y(j) <= h && j > first)
            --j;
        found = y(j) > h;
    } else {
        while (y(j) > h && j > first)
            --j;
        found = y(j) <= h;
    }
    if (!found || i >= j) {
        result.Error = QStringLiteral("Lack of ending value");
        return result;
    }
    result.Found = true;
    result.Left = i;
    result.Right = y(j) == h ? j : j + 1;
    return result;
}
