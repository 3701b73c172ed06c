#pragma once
// The cursors of the lower chart as plain state: the slots the marker keeps
// (1 LC, 2 RC, 3 MC), how many are in use (K), which one is being moved, and
// the automatic placements of the measurements. The window mirrors this
// state into its marker: Positions and PositionCount as the fixed lines,
// Index as the marker's own index.

#include "LineView.h"

#include <array>
#include <cstdint>
#include <span>

// The cursor buttons "LC", "MC", "RC"; None for any other sender.
enum class TCursorButton { None, LC, MC, RC };

struct TCursorState {
    // Slots 1..3 (slot 0 unused), point indexes of the view, 16-bit as the
    // marker stores them.
    std::array<uint16_t, 4> Positions{};
    int K = 0;              // cursors in use: 3 moments, 2 widths and integral
    int EditedSlot = 0;     // cursor being moved: 0 none, 1 LC, 2 RC, 3 MC
    int PositionCount = 0;  // slots 1..PositionCount drawn as fixed lines
    int Index = 0;          // the marker's index (the moved cursor while one moves)
    TCursorButton Down = TCursorButton::None;  // the cursor button that is down

    // The slot of a cursor button: LC 1, RC 2, MC 3, None 0.
    static int SlotOf(TCursorButton button);
};

// A cursor button changed, or a measurement releases every cursor (sender
// None). `down` is the sender's state after the click. Puts the other
// buttons up (Down), releases a moved cursor into its slot at Index, then
// either starts moving the sender's cursor (its slot gets slot K, so slots
// 1..K-1 hold the fixed ones) or, with every button up, rests the marker
// midway between slot 1 and slot K. Before the call the window sets Index to
// its marker's index; after it, it sets its marker from Index and
// PositionCount and refreshes it.
void SelectCursor(TCursorState& state, TCursorButton sender, bool down);

// The cursor (slot 1 LC, 2 RC, 3 MC) whose fixed line is drawn in slot
// `line`: while a cursor is moved, its slot shows the slot K cursor. 0 when
// no fixed line is drawn in that slot.
int CursorOfLine(const TCursorState& state, int line);

// The cursor button of a slot (1 LC, 2 RC, 3 MC); None for any other.
TCursorButton ButtonOfSlot(int slot);

// Where the cursor being moved may go so that the cursors keep their order
// LC <= MC <= RC: from the fixed cursor on its left to the one on its right,
// or to `first` / `last` where it has none (LowCursor / HighCursor None then).
// All of first..last when no cursor is moved.
struct TCursorRange {
    int Low = 0;
    int High = 0;
    TCursorButton LowCursor = TCursorButton::None;
    TCursorButton HighCursor = TCursorButton::None;
};
TCursorRange MovedCursorRange(const TCursorState& state, int first, int last);

// The indexes a measurement uses: left, right, centre.
struct TCursorIndexes {
    int Left = 0;
    int Right = 0;
    int Centre = 0;
};
// Slots 1, 2, 3; while a cursor is moved, that one is the marker's clamped
// index `markerIndex` (GetIndex of the marker).
TCursorIndexes MeasuredCursors(const TCursorState& state, int markerIndex);

// The index of the line centre: between the lowest and the highest point of
// the spectrum (the highest excluded), the first point from the lowest's side
// where the spectrum minus baseline is nearest to zero; count div 2 when both
// share an index.
int FindLineCentre(const TLineView& spectrum, std::span<const double> baseline);

// Automatic cursors of the moments on the view (over its drawn range): LC on
// the first point whose |y| reaches 20 counts (yUnit: one count in y units,
// TYScale::Unit; the first drawn point if none before the last does), RC
// likewise from the right, MC the line centre; K = 3, all three drawn, the
// marker halfway between centre and left cursor. With no point drawn, over
// every point.
void PlaceM2Cursors(TCursorState& state, const TLineView& view, const TLineView& spectrum,
                    std::span<const double> baseline, double yUnit = 1);

// "SDB": the lowest and highest point of the spectrum, the smaller index in
// slot 1; K = 2. The marker is centred by the window.
void PlaceSDBCursors(TCursorState& state, const TLineView& spectrum);

// "HDB": both slots and the marker on the top of the absorption view; K = 2.
// The first refresh then finds the half-height crossings (FindHalfHeight).
void PlaceHDBCursors(TCursorState& state, const TLineView& view);

// "Integral" over a view of `count` points: a = count div 10, slots a and
// count - a, the right one kept on the last point; K = 2.
void PlaceIntegralCursors(TCursorState& state, int count);
