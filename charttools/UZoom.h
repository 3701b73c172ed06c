#pragma once
// Horizontal zoom by two clicks: the first click fixes the left edge, the band
// up to the mouse is shown inverted while the mouse moves, the second click
// zooms the chart to the band over the full height of the plotting
// rectangle. While armed, the selection takes over the chart's mouse-down,
// mouse-move and after-draw handlers and gives them back at EndSelect.

#include "Chart.h"

#include <QPointer>
#include <cstdint>

struct TZoomSelect {
    int32_t StartX = 0;      // pixel column of the first click
    int32_t EndX = 0;        // pixel column of the mouse since then
    uint8_t Selecting = 0;   // 0: waiting for the first click; 1: for the second
    TMouseHandler SavedMouseMove;
    TAfterDrawHandler SavedAfterDraw;
    TMouseHandler SavedMouseDown;
    QPointer<TChart> Chart;

    // Arms the selection on the chart; its mouse-up handler is not touched.
    void BeginSelect(TChart* chart);
    // Puts the saved handlers back; the selection is idle again.
    void EndSelect();

private:
    void MouseDown(const TChartMouse& mouse);
    void MouseMove(const TChartMouse& mouse);
    void AfterDraw(TChartCanvas& canvas);
};

extern TZoomSelect ZoomSelect;
