// The cursors of the lower chart and the measurements on the view: moments
// or g-factor, "SDB", "HDB" and "Integral". The cursor state and every
// measurement are the processing library's (Cursors.h, Moments.h, GFactor.h,
// Widths.h, Integral.h); the window mirrors the cursors into its marker and
// shows the texts. The measurements on are refreshed after every drawing of
// the view, so they follow the marker while it is dragged.

#include "UDataProc.h"

#include "Baseline.h"
#include "Chart.h"
#include "GFactor.h"
#include "Integral.h"
#include "MeasurementChecks.h"
#include "MomentUncertainty.h"
#include "SpectrumNoise.h"
#include "Moments.h"
#include "NumFormat.h"
#include "UDataProcState.h"
#include "Views.h"
#include "Widths.h"

#include <QLabel>
#include <QToolButton>
#include <algorithm>

namespace {
const QColor Red(255, 0, 0);
} // namespace

bool TFDataProc::IsG(const QToolButton* b) const
{
    return b->text() != QLatin1String("M2");
}

void TFDataProc::EnableCursorButtons(bool lc, bool mc, bool rc)
{
    M2LCTB->setEnabled(lc);
    M2MCTB->setEnabled(mc);
    M2RCTB->setEnabled(rc);
}

// The library's cursors as the marker shows them: the fixed lines. The
// marker's own index is set by the callers that move it; the half-height
// search moves only the lines and leaves the marker where the operator put it.
void TFDataProc::MirrorCursors()
{
    const TCursorState& c = F->Cursors;
    for (int slot = 1; slot <= 3; ++slot)
        DstMarker.Positions[slot] = c.Positions[size_t(slot)];
    DstMarker.PositionCount = uint8_t(c.PositionCount);
    DstMarker.EditedSlot = uint8_t(c.EditedSlot);
    CursorsTag = c.K;
}

void TFDataProc::SelectCursor(QObject* sender)
{
    TCursorButton button = TCursorButton::None;
    bool down = false;
    if (sender == M2LCTB || sender == M2MCTB || sender == M2RCTB) {
        button = sender == M2LCTB ? TCursorButton::LC : sender == M2MCTB ? TCursorButton::MC : TCursorButton::RC;
        down = static_cast<QToolButton*>(sender)->isChecked();
    }
    F->Cursors.Index = DstMarker.Index;
    ::SelectCursor(F->Cursors, button, down);
    M2LCTB->setChecked(F->Cursors.Down == TCursorButton::LC);
    M2MCTB->setChecked(F->Cursors.Down == TCursorButton::MC);
    M2RCTB->setChecked(F->Cursors.Down == TCursorButton::RC);
    MirrorCursors();
    DstMarker.SetIndex(F->Cursors.Index);
}

QToolButton* TFDataProc::CursorButton(TCursorButton button) const
{
    switch (button) {
    case TCursorButton::LC: return M2LCTB;
    case TCursorButton::MC: return M2MCTB;
    case TCursorButton::RC: return M2RCTB;
    case TCursorButton::None: break;
    }
    return nullptr;
}

// A fixed cursor line dragged by hand: its cursor is taken up as if its button
// had been pressed, so the measurements follow the drag; at the release it
// is put down where it was dropped and the marker goes back where it stood.
bool TFDataProc::GrabCursorLine(int line)
{
    QToolButton* b = CursorButton(ButtonOfSlot(CursorOfLine(F->Cursors, line)));
    if (!b || !b->isEnabled())
        return false;
    F->MarkerBeforeGrab = DstMarker.Index;
    b->setChecked(true);
    SelectCursor(b);
    return true;
}

void TFDataProc::ReleaseCursorLine()
{
    QToolButton* b = CursorButton(F->Cursors.Down);
    if (!b)
        return;
    b->setChecked(false);
    SelectCursor(b);
    DstMarker.SetIndex(F->MarkerBeforeGrab);
}

void TFDataProc::HideCursorLines()
{
    F->Cursors.PositionCount = 0;
    DstMarker.HideLines();
}

// Every cursor released into its slot and the fixed lines hidden.
void TFDataProc::ReleaseCursorsAndHide(QObject* sender)
{
    SelectCursor(sender);
    HideCursorLines();
}

void TFDataProc::PlaceM2Cursors()
{
    ::PlaceM2Cursors(F->Cursors, ViewLine(), SpectrumLine(), SeriesLine0->YValues(), FSpectrum.YScale.Unit());
    MirrorCursors();
    DstMarker.SetIndex(F->Cursors.Index);
}

void TFDataProc::SetIndexOnLineCentre()
{
    DstMarker.SetIndex(FindLineCentre(SpectrumLine(), SeriesLine0->YValues()));
}

void TFDataProc::M2DerivativeTBClick()
{
    const bool down = M2DerivativeTB->isChecked();
    if (IsG(M2DerivativeTB)) {
        if (down) {
            SDBTB->setChecked(false);
            SDBTBClick();
            SetIndexOnLineCentre();
        }
        return;
    }
    if (down) {
        SDBTB->setChecked(false);
        SDBTBClick();
        PlaceM2Cursors();
    } else {
        ReleaseCursorsAndHide(M2DerivativeTB);
    }
    EnableCursorButtons(down, down, down);
}

void TFDataProc::M2AbsorptionTBClick()
{
    const bool down = M2AbsorptionTB->isChecked();
    if (down) {
        IntegralTB->setChecked(false);
        IntegralTBClick();
        HDBTB->setChecked(false);
        HDBTBClick();
    }
    if (IsG(M2AbsorptionTB)) {
        if (down)
            SetIndexOnLineCentre();
        return;
    }
    if (down)
        PlaceM2Cursors();
    else
        ReleaseCursorsAndHide(M2DerivativeTB);
    EnableCursorButtons(down, down, down);
}

void TFDataProc::SDBTBClick()
{
    const bool down = SDBTB->isChecked();
    if (down) {
        M2DerivativeTB->setChecked(false);
        M2DerivativeTBClick();
        PlaceSDBCursors(F->Cursors, SpectrumLine());
        MirrorCursors();
        DstMarker.Centre();
    } else {
        ReleaseCursorsAndHide(M2DerivativeTB);
    }
    EnableCursorButtons(down, false, down);
}

void TFDataProc::HDBTBClick()
{
    const bool down = HDBTB->isChecked();
    if (down) {
        IntegralTB->setChecked(false);
        IntegralTBClick();
        M2AbsorptionTB->setChecked(false);
        M2AbsorptionTBClick();
        PlaceHDBCursors(F->Cursors, ViewLine());
        MirrorCursors();
        F->HalfHeightTold = {};
        DstMarker.SetIndex(F->Cursors.Index);
    } else {
        ReleaseCursorsAndHide(IntegralTB);
    }
    EnableCursorButtons(down, false, down);
}

void TFDataProc::IntegralTBClick()
{
    const bool down = IntegralTB->isChecked();
    if (down) {
        HDBTB->setChecked(false);
        HDBTBClick();
        M2AbsorptionTB->setChecked(false);
        M2AbsorptionTBClick();
        PlaceIntegralCursors(F->Cursors, Series2->Count());
        MirrorCursors();
        DstMarker.Centre();
    } else {
        SelectCursor(IntegralTB);
        SeriesI->Clear();
        HideCursorLines();
    }
    EnableCursorButtons(down, false, down);
}

void TFDataProc::RefreshMeasurements()
{
    if (M2DerivativeTB->isChecked())
        IsG(M2DerivativeTB) ? ShowGFactor() : ShowMoments(TViewKind::Derivative);
    if (M2AbsorptionTB->isChecked())
        IsG(M2AbsorptionTB) ? ShowGFactor() : ShowMoments(TViewKind::Absorption);
    if (SDBTB->isChecked())
        ShowWidth();
    if (IntegralTB->isChecked())
        ShowIntegral();
    if (HDBTB->isChecked()) {
        if (!M2LCTB->isChecked() && !M2RCTB->isChecked())
            FindHalfHeight();
        ShowWidth();
    }
}

void TFDataProc::ShowMoments(TViewKind kind)
{
    const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
    const TMoments m = MeasureMoments(ViewLine(), kind, at.Left, at.Centre, at.Right, FSpectrum.ModAmp);
    M2RVal->setText(m.M2RText);
    M2LVal->setText(m.M2LText);
    M2Val->setText(m.M2Text);
    M4Val->setText(m.M4Text);
    M4Val4->show();
    ShowMomentUncertainties(kind, at);
}

// Beside the values, as their tooltips: the standard uncertainties from the
// noise of the stored spectrum. They cost more than the moments, so they are
// worked out once for fixed cursors and a view, and left out while a cursor
// is being moved.
void TFDataProc::ShowMomentUncertainties(TViewKind kind, const TCursorIndexes& at)
{
    auto& shown = F->UncertaintiesShown;
    if (F->Cursors.EditedSlot != 0) {
        M2Val->setToolTip(QString());
        M4Val->setToolTip(QString());
        shown = {};
        return;
    }
    const TState::TUncertaintyKey key{at.Left, at.Centre, at.Right, F->ViewVersion, kind};
    if (shown == key)
        return;
    shown = key;
    const int factor = kind == TViewKind::Absorption ? F->Absorption.Factor : 1;
    const TMomentUncertainty u =
        MomentUncertainty(SpectrumLine(), Series2->YValues(), kind, factor, at.Left, at.Centre, at.Right,
                          MeasureNoise(Series1->YValues(), SeriesLine0->YValues(), FSpectrum.YScale.Quantum));
    M2Val->setToolTip(Format(QStringLiteral("\u00b1 %.2n Gs\u00b2"), {u.M2}));
    M4Val->setToolTip(Format(QStringLiteral("\u00b1 %.2n Gs\u2074"), {u.M4}));
}

void TFDataProc::ShowGFactor()
{
    const int k = DstMarker.GetIndex();
    if (k < 0)
        return;
    // An implausible g is no reading: the checks strip says why.
    const TGFactor g = MeasureGFactor(FSpectrum.Frequency, FSpectrum.B0, Series2->XValue(k));
    GVal->setText(PlausibleG({g.G, double(FSpectrum.Frequency), double(FSpectrum.B0)}) ? g.Text : QString());
}

void TFDataProc::ShowWidth()
{
    const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
    DBVal->setText(MeasureWidth(ViewLine(), at.Left, at.Right, AxisUnitText()).Text);
}

// The half-height crossings become the cursors. A failure is told once for
// the view as it is: not again at the repaint that closing the message
// causes, nor at any other repaint of the same view. The cursors and the
// width stay as they were.
void TFDataProc::FindHalfHeight()
{
    const TLineView view = ViewLine();
    const THalfHeight h = ::FindHalfHeight(view);
    if (!h.Found) {
        auto& told = F->HalfHeightTold;
        if (told.Error == h.Error && told.ViewVersion == F->ViewVersion && told.First == view.First &&
            told.Last == view.Last)
            return;
        told = {F->ViewVersion, view.First, view.Last, h.Error};
        MessageDlg(h.Error, TMsgType::Error, mbOK);
        return;
    }
    F->HalfHeightTold = {};
    TCursorState& c = F->Cursors;
    if (c.Positions[1] == h.Left && c.Positions[2] == h.Right)
        return;
    c.Positions[1] = uint16_t(h.Left);
    c.Positions[2] = uint16_t(h.Right);
    MirrorCursors();
    DstMarker.Refresh();   // the lines go to the crossings at the next paint
}

void TFDataProc::ShowIntegral()
{
    const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
    F->Area.Source = ViewLine();
    F->Area.AxisMinimum = DDst->RightAxis().Minimum();
    F->Area.AxisMaximum = DDst->RightAxis().Maximum();
    const TIntegral r = MeasureIntegral(F->Area, at.Left, at.Right, AxisUnitText());
    // The curve is set only when it changed: setting it repaints the chart,
    // which refreshes the measurements again.
    const auto& x = F->Area.DestX;
    const auto& y = F->Area.DestY;
    if (!std::ranges::equal(x, SeriesI->XValues()) || !std::ranges::equal(y, SeriesI->YValues()))
        SeriesI->SetPoints(x, y, Red);
    AIVal->setText(r.AIText);
    ILBVal->setText(r.LCText);
    ILEVal->setText(r.RCText);
}
