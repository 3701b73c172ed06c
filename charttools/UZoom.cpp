#include "UZoom.h"

TZoomSelect ZoomSelect;

void TZoomSelect::BeginSelect(TChart* chart)
{
    Selecting = 0;
    Chart = chart;
    if (!Chart)
        return;
    SavedMouseMove = Chart->OnMouseMove;
    SavedAfterDraw = Chart->OnAfterDraw;
    SavedMouseDown = Chart->OnMouseDown;
    Chart->OnMouseMove = [this](const TChartMouse& m) { MouseMove(m); };
    Chart->OnAfterDraw = [this](TChartCanvas& c) { AfterDraw(c); };
    Chart->OnMouseDown = [this](const TChartMouse& m) { MouseDown(m); };
}

void TZoomSelect::EndSelect()
{
    if (Chart) {
        Chart->OnMouseMove = SavedMouseMove;
        Chart->OnAfterDraw = SavedAfterDraw;
        Chart->OnMouseDown = SavedMouseDown;
    }
    SavedMouseMove = nullptr;
    SavedAfterDraw = nullptr;
    SavedMouseDown = nullptr;
    Selecting = 0;
}

// Any button counts; the band starts at the mouse's current column.
void TZoomSelect::MouseDown(const TChartMouse&)
{
    if (!Chart)
        return;
    if (Selecting == 0) {
        Selecting = 1;
        StartX = EndX = Chart->CursorPos().x();
        Chart->Repaint();
        return;
    }
    Selecting = 0;
    // The band ends at the last mouse-move column, whatever the click's own.
    if (StartX < EndX) {
        const QRect plot = Chart->ChartRect();
        Chart->ZoomRect(QRect(QPoint(StartX, plot.top()), QPoint(EndX, plot.bottom())));
    }
}

void TZoomSelect::MouseMove(const TChartMouse& mouse)
{
    if (Selecting != 1 || !Chart)
        return;
    EndX = mouse.X;
    Chart->Repaint();
}

void TZoomSelect::AfterDraw(TChartCanvas& canvas)
{
    if (Selecting != 1 || !Chart)
        return;
    // Every column of the band inverted from the top to the bottom of the
    // plotting rectangle; the pen stays inverting.
    canvas.SetPenInvert(true);
    if (EndX < StartX)
        return;
    const QRect plot = Chart->ChartRect();
    canvas.InvertRect(QRect(QPoint(StartX, plot.top()), QPoint(EndX, plot.bottom())));
}
