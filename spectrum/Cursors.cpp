#include "Cursors.h"

#include "SeriesExtremes.h"

#include <algorithm>
#include <cmath>
#include <utility>

int TCursorState::SlotOf(TCursorButton button)
{
    switch (button) {
    case TCursorButton::LC: return 1;
    case TCursorButton::RC: return 2;
    case TCursorButton::MC: return 3;
    case TCursorButton::None: break;
    }
    return 0;
}

void SelectCursor(TCursorState& state, TCursorButton sender, bool down)
{
    state.Down = (sender != TCursorButton::None && down) ? sender : TCursorButton::None;
    auto& slot = state.Positions;
    if (state.EditedSlot != 0)
        slot[size_t(state.EditedSlot)] = uint16_t(state.Index);
    if (state.Down != TCursorButton::None) {
        state.EditedSlot = TCursorState::SlotOf(state.Down);
        state.Index = slot[size_t(state.EditedSlot)];
        // The moved cursor is the marker; the slot K cursor takes its place
        // among the fixed ones (the centre is slot K itself).
        if (state.Down != TCursorButton::MC)
            slot[size_t(state.EditedSlot)] = slot[size_t(state.K)];
        state.PositionCount = state.K - 1;
    } else {
        state.EditedSlot = 0;
        state.PositionCount = state.K;
        state.Index = slot[1] + (slot[size_t(state.K)] - slot[1]) / 2;
    }
}

int CursorOfLine(const TCursorState& state, int line)
{
    if (line < 1 || line > state.PositionCount)
        return 0;
    return state.EditedSlot != 0 && line == state.EditedSlot ? state.K : line;
}

TCursorButton ButtonOfSlot(int slot)
{
    switch (slot) {
    case 1: return TCursorButton::LC;
    case 2: return TCursorButton::RC;
    case 3: return TCursorButton::MC;
    default: return TCursorButton::None;
    }
}

TCursorRange MovedCursorRange(const TCursorState& state, int first, int last)
{
    // While a cursor moves, slots 1 and 2 hold LC and RC unless that one is
    // the moved cursor, and slot 3 holds MC (Positions of SelectCursor).
    TCursorRange r{first, last};
    const auto& slot = state.Positions;
    const bool moments = state.K == 3;
    switch (state.EditedSlot) {
    case 1:
        r.High = moments ? slot[3] : slot[2];
        r.HighCursor = moments ? TCursorButton::MC : TCursorButton::RC;
        break;
    case 2:
        r.Low = moments ? slot[3] : slot[1];
        r.LowCursor = moments ? TCursorButton::MC : TCursorButton::LC;
        break;
    case 3:
        r = {slot[1], slot[2], TCursorButton::LC, TCursorButton::RC};
        break;
    default:
        break;
    }
    r.Low = std::clamp(r.Low, first, std::max(first, last));
    r.High = std::clamp(r.High, first, std::max(first, last));
    // Fixed cursors already out of order (an automatic placement on an odd
    // line): the moved one keeps between them whichever way round they are.
    if (r.Low > r.High) {
        std::swap(r.Low, r.High);
        std::swap(r.LowCursor, r.HighCursor);
    }
    return r;
}

TCursorIndexes MeasuredCursors(const TCursorState& state, int markerIndex)
{
    TCursorIndexes c{state.Positions[1], state.Positions[2], state.Positions[3]};
    if (state.EditedSlot != 0) {
        switch (state.Down) {
        case TCursorButton::MC: c.Centre = markerIndex; break;
        case TCursorButton::LC: c.Left = markerIndex; break;
        case TCursorButton::RC:
        case TCursorButton::None: c.Right = markerIndex; break;
        }
    }
    return c;
}

int FindLineCentre(const TLineView& spectrum, std::span<const double> baseline)
{
    const int a = LowestYIndex(spectrum);
    const int b = HighestYIndex(spectrum);
    const int step = b > a ? 1 : -1;
    long double best = HUGE_VALL;
    int result = spectrum.Count() / 2;
    for (int i = a; i != b; i += step) {
        const long double d = std::fabs((long double)spectrum.YValue(i) - baseline[size_t(i)]);
        if (d < best) {
            result = i;
            best = d;
        }
    }
    return result;
}

void PlaceM2Cursors(TCursorState& state, const TLineView& view, const TLineView& spectrum,
                    std::span<const double> baseline, double yUnit)
{
    const double threshold = 20 * yUnit;
    // A zoom that leaves no point drawn (-1, -1) falls back to every point.
    int first = std::max(view.First, 0), last = std::min(view.Last, view.Count() - 1);
    if (last < first) {
        first = 0;
        last = view.Count() - 1;
    }
    int i = first;
    while (std::fabs(view.YValue(i)) < threshold && i < last)
        ++i;
    if (i == last)
        i = first;
    int j = last;
    while (std::fabs(view.YValue(j)) < threshold && j > first)
        --j;
    if (j == first)
        j = last;
    state.Positions[1] = uint16_t(i);
    state.Positions[2] = uint16_t(j);
    state.Positions[3] = uint16_t(FindLineCentre(spectrum, baseline));
    state.K = 3;
    state.PositionCount = 3;
    state.Index = state.Positions[3] + (state.Positions[1] - state.Positions[3]) / 2;
}

void PlaceSDBCursors(TCursorState& state, const TLineView& spectrum)
{
    int left = LowestYIndex(spectrum), right = HighestYIndex(spectrum);
    if (right < left)
        std::swap(left, right);
    state.Positions[1] = uint16_t(left);
    state.Positions[2] = uint16_t(right);
    state.K = 2;
    state.PositionCount = 2;
}

void PlaceHDBCursors(TCursorState& state, const TLineView& view)
{
    const int top = HighestYIndex(view);
    state.Positions[1] = uint16_t(top);
    state.Positions[2] = uint16_t(top);
    state.Index = top;
    state.K = 2;
    state.PositionCount = 2;
}

void PlaceIntegralCursors(TCursorState& state, int count)
{
    const int a = count / 10;
    state.Positions[1] = uint16_t(a);
    // count - a is one beyond the last point when count < 10.
    state.Positions[2] = uint16_t(std::min(count - a, count - 1));
    state.K = 2;
    state.PositionCount = 2;
}
