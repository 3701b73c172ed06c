#pragma once
// Horizontal zoom by two clicks: the first click fixes the left edge, the band
// up to the mouse is shown inverted while the mouse moves, the second click
// zooms the chart to the band over the full height of the plotting
// rectangle. A press, a drag and a release select the band as well: the
// release ends it as the second click would. While armed, the selection
// takes over the chart's mouse-down, mouse-move and after-draw handlers and
// gives them back at EndSelect; it watches the mouse-up and passes it on to
// the chart's own handler.

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
    TMouseHandler SavedMouseUp;
    QPointer<TChart> Chart;

    // Arms the selection on the chart.
    void BeginSelect(TChart* chart);
    // Puts the saved handlers back; the selection is idle again.
    void EndSelect();

private:
    void MouseDown(const TChartMouse& mouse);
    void MouseMove(const TChartMouse& mouse);
    void MouseUp(const TChartMouse& mouse);
    void Finish();
    void AfterDraw(TChartCanvas& canvas);

    bool FPressed = false;   // the first click's button is still down
};

extern TZoomSelect ZoomSelect;
