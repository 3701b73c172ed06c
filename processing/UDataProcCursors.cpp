// The cursors of the lower chart and the measurements on the view: moments
// or g-factor, "SDB", "HDB" and "Integral". The cursor state and every
// measurement are the processing library's (Cursors.h, Moments.h, GFactor.h,
// Widths.h, Integral.h); the window mirrors the cursors into its marker and
// shows the texts. The measurements on are refreshed after every drawing of
// the view, so they follow the marker while it is dragged.

#include "UDataProc.h"

#include "Accessibility.h"
#include "Baseline.h"
#include "Chart.h"
#include "ElidedLabel.h"
#include "GFactor.h"
#include "Integral.h"
#include "MeasurementChecks.h"
#include "MomentUncertainty.h"
#include "SpectrumNoise.h"
#include "Moments.h"
#include "NumFormat.h"
#include "StatusBar.h"
#include "UDataProcState.h"
#include "Views.h"
#include "Widths.h"

#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <utility>

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
    // The cursor taken up moves between its neighbours only.
    const TCursorRange range = MovedCursorRange(F->Cursors, 0, Series2->Count() - 1);
    DstMarker.LowLimit = range.Low;
    DstMarker.HighLimit = range.High;
    DstMarker.SetIndex(F->Cursors.Index);
    if (F->Cursors.Down != TCursorButton::None) {
        // The keys move the cursor at once, without a click on the chart.
        DDst->setFocus(Qt::OtherFocusReason);
    } else if (std::exchange(F->CursorStopTold, false)) {
        StatusBar->SetPanelText(WrittenPanel, QString());
    }
}

// A cursor moved onto its neighbour stays there: the status line says so
// while the cursor is taken up.
void TFDataProc::TellCursorStopped(bool high)
{
    const TCursorRange range = MovedCursorRange(F->Cursors, 0, Series2->Count() - 1);
    const QToolButton* moved = CursorButton(F->Cursors.Down);
    const QToolButton* at = CursorButton(high ? range.HighCursor : range.LowCursor);
    if (!moved || !at)
        return;   // the end of the spectrum, not another cursor
    const QString order = F->Cursors.K == 3 ? QStringLiteral("LC \u2264 MC \u2264 RC") : QStringLiteral("LC \u2264 RC");
    StatusBar->SetPanelText(WrittenPanel, QStringLiteral("%1 stops at %2: the cursors keep the order %3")
                                              .arg(moved->text(), at->text(), order));
    F->CursorStopTold = true;
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
    SetValueText(M2RVal, m.M2RText);
    SetValueText(M2LVal, m.M2LText);
    SetValueText(M2Val, m.M2Text);
    // M4 is in Gs to the fourth.
    SetValueText(M4Val, m.M4Text + QChar(0x2074));
    ShowMomentUncertainties(kind, at);
}

// Beside M2 and M4 their uncertainties, the unit left to the value's; a
// screen reader reads them with the value, unit and all. None for nullptr.
void TFDataProc::ShowUncertainties(const TMomentUncertainty* u)
{
    const struct {
        QLabel* Value;
        TElidedLabel* Beside;
        double Uncertainty;
        QString Unit;
    } rows[] = {{M2Val, M2UVal, u ? u->M2 : 0, QStringLiteral(" Gs\u00b2")},
                {M4Val, M4UVal, u ? u->M4 : 0, QStringLiteral(" Gs\u2074")}};
    for (const auto& row : rows) {
        const QString shown = u ? Format(QStringLiteral("\u00b1 %.2n"), {row.Uncertainty}) : QString();
        const QString whole = u ? shown + row.Unit : QString();
        SetValueDetail(row.Value, whole);
        row.Beside->SetText(shown);
        row.Beside->setToolTip(whole);
    }
}

// Beside the values: the standard uncertainties from the noise of the
// stored spectrum. They cost more than the moments, so they are worked out
// once for fixed cursors and a view, and left out while a cursor is being
// moved.
void TFDataProc::ShowMomentUncertainties(TViewKind kind, const TCursorIndexes& at)
{
    auto& shown = F->UncertaintiesShown;
    if (F->Cursors.EditedSlot != 0) {
        ShowUncertainties(nullptr);
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
    ShowUncertainties(&u);
}

void TFDataProc::ShowGFactor()
{
    const int k = DstMarker.GetIndex();
    if (k < 0)
        return;
    // An implausible g is no reading: the checks strip says why.
    const TGFactor g = MeasureGFactor(FSpectrum.Frequency, FSpectrum.B0, Series2->XValue(k));
    SetValueText(GVal, PlausibleG({g.G, double(FSpectrum.Frequency), double(FSpectrum.B0)}) ? g.Text : QString());
}

// The width is named after its measurement while the cursors stand where
// that measurement put them: "SDB" on the extremes of the derivative, "HDB"
// on the half-height crossings. A cursor moved elsewhere gives the distance
// between the cursors, and the caption says so.
void TFDataProc::ShowWidth()
{
    const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
    bool placed = F->Cursors.EditedSlot == 0;
    if (SDBTB->isChecked()) {
        TCursorState extremes;
        PlaceSDBCursors(extremes, SpectrumLine());
        placed = at.Left == extremes.Positions[1] && at.Right == extremes.Positions[2];
    }
    NameWidth(placed ? (SDBTB->isChecked() ? SDBTB : HDBTB)->text() : QStringLiteral("LC\u2013RC"));
    SetValueText(DBVal, MeasureWidth(ViewLine(), at.Left, at.Right, AxisUnitText()).Text);
}

void TFDataProc::NameWidth(const QString& caption)
{
    DHLabel->setText(caption + QStringLiteral(" ="));
    const QString name = QString(caption).replace(QChar(0x2013), QStringLiteral(" to "));
    if (DBVal->accessibleName() != name)
        DBVal->setAccessibleName(name);
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
    SetValueText(AIVal, r.AIText);
    SetValueText(ILBVal, r.LCText);
    SetValueText(ILEVal, r.RCText);
}
