#include "UZoom.h"

#include <cstdlib>

namespace {
constexpr int DragDistance = 3;   // pixels the mouse must travel for a drag
}

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
    SavedMouseUp = Chart->OnMouseUp;
    FPressed = false;
    Chart->OnMouseUp = [this](const TChartMouse& m) { MouseUp(m); };
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
        Chart->OnMouseUp = SavedMouseUp;
    }
    SavedMouseMove = nullptr;
    SavedAfterDraw = nullptr;
    SavedMouseDown = nullptr;
    SavedMouseUp = nullptr;
    Selecting = 0;
    FPressed = false;
}

// Any button counts; the band starts at the mouse's current column.
void TZoomSelect::MouseDown(const TChartMouse&)
{
    if (!Chart)
        return;
    if (Selecting == 0) {
        Selecting = 1;
        FPressed = true;
        StartX = EndX = Chart->CursorPos().x();
        Chart->Repaint();
        return;
    }
    Finish();
}

// The second click, or the release of a drag.
void TZoomSelect::Finish()
{
    Selecting = 0;
    FPressed = false;
    // The band ends at the last mouse-move column, whatever the click's own.
    if (StartX < EndX) {
        const QRect plot = Chart->ChartRect();
        Chart->ZoomRect(QRect(QPoint(StartX, plot.top()), QPoint(EndX, plot.bottom())));
    }
}

// A release after the band was dragged out ends the selection; a release
// where the button went down leaves it waiting for the second click.
void TZoomSelect::MouseUp(const TChartMouse& mouse)
{
    const TMouseHandler passOn = SavedMouseUp;   // Finish may end the selection
    if (Chart && Selecting == 1 && FPressed) {
        FPressed = false;
        if (std::abs(EndX - StartX) > DragDistance)
            Finish();
    }
    if (passOn)
        passOn(mouse);
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
