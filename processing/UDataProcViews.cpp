// The baseline under the spectrum, the derivative and absorption views of the
// lower chart, and its zoom tools. The arithmetic is the processing
// library's (Baseline.h, Views.h); here the chart series are handed to it and
// its results drawn.

#include "UDataProc.h"

#include "Accessibility.h"
#include "Chart.h"
#include "NumFormat.h"
#include "UDataProcState.h"
#include "UOutMess.h"
#include "UZoom.h"
#include "Views.h"

#include <QLabel>
#include <QToolBar>
#include <QToolButton>

namespace {
const QColor Yellow(255, 255, 0);
const QColor White(255, 255, 255);
} // namespace

TLineView TFDataProc::SpectrumLine() const
{
    return TLineView(Series1->XValues(), Series1->YValues(), Series1->FirstValueIndex(), Series1->LastValueIndex());
}

TLineView TFDataProc::ViewLine() const
{
    return TLineView(Series2->XValues(), Series2->YValues(), Series2->FirstValueIndex(), Series2->LastValueIndex());
}

void TFDataProc::ComputeBaseline()
{
    F->Baseline = ::ComputeBaseline(Series1->YValues());
    SeriesLine0->SetPoints(Series1->XValues(), BaselineValues(F->Baseline, Series1->Count()), White);
    ++F->BaselineVersion;
}

void TFDataProc::StepLine0(TBaselineStep step)
{
    StepBaseline(F->Baseline, step, FSpectrum.YScale.Unit());
    SeriesLine0->SetYValues(BaselineValues(F->Baseline, SeriesLine0->Count()));
    ++F->BaselineVersion;
}

void TFDataProc::Line0DnTBClick() { StepLine0(TBaselineStep::Down); }
void TFDataProc::Line0UpTBClick() { StepLine0(TBaselineStep::Up); }
void TFDataProc::Line0LeftTBClick() { StepLine0(TBaselineStep::Left); }
void TFDataProc::Line0RightTBClick() { StepLine0(TBaselineStep::Right); }

void TFDataProc::CopyAxes()
{
    F->VerticallyExpanded = false;
    const TChartAxis& srcBottom = DSrc->BottomAxis();
    TChartAxis& bottom = DDst->BottomAxis();
    bottom.SetMinMax(srcBottom.Minimum(), srcBottom.Maximum());
    bottom.SetIncrement((srcBottom.Maximum() - srcBottom.Minimum()) / 4);
    bottom.SetValueFormat(srcBottom.ValueFormat());
    const TChartAxis& srcRight = DSrc->RightAxis();
    TChartAxis& right = DDst->RightAxis();
    right.SetMinMax(srcRight.Minimum(), srcRight.Maximum());
    right.SetIncrement((srcRight.Maximum() - srcRight.Minimum()) / 4);
}

void TFDataProc::InitDstMarker()
{
    DstMarker.Init(DDst, Series2->Count(), 0, 1, int32_t(Trunc(FScreenScale * 82)), 1, DstXYST, 1, AxisUnitText(),
                   AxisLetter());
    // The chart runs these guarded, inside its mouse handlers.
    DstMarker.OnGrabLine = [this](int line) { return GrabCursorLine(line); };
    DstMarker.OnReleaseLine = [this] { ReleaseCursorLine(); };
    DstMarker.OnStopped = [this](bool high) { TellCursorStopped(high); };
    DstMarker.Centre();
}

// Shows or hides the tool bars and panels of a view; measurementBar is the
// view's own row of measurement buttons.
void TFDataProc::SetViewToolsVisible(QToolBar* measurementBar, bool on)
{
    measurementBar->setVisible(on);
    if (measurementBar == AbsorptionToolBar)
        AbsorptionPanel->setVisible(on);
    const QToolButton* moments = measurementBar == AbsorptionToolBar ? M2AbsorptionTB : M2DerivativeTB;
    (moments->text() == QLatin1String("M2") ? M2Panel : GPanel)->setVisible(on);
    DBPanel->setVisible(on);
    CursorsToolBar->setVisible(on);
    for (QToolButton* b : {ZoomTB, UnZoomTB, VerticalExpTB})
        b->setEnabled(on);
    Series2->SetVisible(on);
    DstXYST->setVisible(on);
    DDst->setAccessibleDescription(on ? (measurementBar == AbsorptionToolBar ? AbsorptionTB : FDerivativeTB)->text()
                                      : QString());
    FitToolsFollowView();
}

void TFDataProc::EmptyResultLabels(QToolButton* widthButton)
{
    for (QLabel* l : {M2Val, M2LVal, M2RVal, M4Val, DBVal, GVal})
        SetValueText(l, QString());
    ShowUncertainties(nullptr);
    F->UncertaintiesShown = {};
    NameWidth(widthButton->text());
}

// A view going away ends a zoom selection still armed on the lower chart.
void TFDataProc::EndZoomSelection()
{
    if (ZoomTB->isChecked()) {
        ZoomTB->setChecked(false);
        ZoomTBClick();
    }
}

void TFDataProc::FDerivativeTBClick()
{
    if (FDerivativeTB->isChecked()) {
        AbsorptionTB->setChecked(false);
        AbsorptionTBClick();
        const TLineView spectrum = SpectrumLine();
        const std::vector<double> y = DerivativeView(spectrum, SeriesLine0->YValues());
        Series2->SetPoints(spectrum.X.subspan(size_t(spectrum.First), y.size()), y, Yellow);
        F->ViewBaselineVersion = F->BaselineVersion;
        ++F->ViewVersion;
        CopyAxes();
        InitDstMarker();
        EmptyResultLabels(SDBTB);
        SetViewToolsVisible(FDerivativeToolBar, true);
    } else {
        M2DerivativeTB->setChecked(false);
        M2DerivativeTBClick();
        SDBTB->setChecked(false);
        SDBTBClick();
        EndZoomSelection();
        DstMarker.Done();
        SetViewToolsVisible(FDerivativeToolBar, false);
    }
}

void TFDataProc::AbsorptionTBClick()
{
    if (AbsorptionTB->isChecked()) {
        FDerivativeTB->setChecked(false);
        FDerivativeTBClick();
        CopyAxes();
        const TLineView spectrum = SpectrumLine();
        F->Absorption = AbsorptionIntegrator(spectrum, SeriesLine0->YValues());
        F->Absorption.Run(spectrum.First, spectrum.Last);
        Series2->SetPoints(F->Absorption.DestX, F->Absorption.DestY, Yellow);
        F->ViewBaselineVersion = F->BaselineVersion;
        ++F->ViewVersion;
        InitDstMarker();
        F->Area = AreaIntegrator(ViewLine(), DDst->RightAxis().Minimum(), DDst->RightAxis().Maximum());
        EmptyResultLabels(HDBTB);
        for (QLabel* l : {AIVal, ILBVal, ILEVal})
            SetValueText(l, QString());
        SetViewToolsVisible(AbsorptionToolBar, true);
    } else {
        M2AbsorptionTB->setChecked(false);
        M2AbsorptionTBClick();
        HDBTB->setChecked(false);
        HDBTBClick();
        IntegralTB->setChecked(false);
        IntegralTBClick();
        EndZoomSelection();
        DstMarker.Done();
        SetViewToolsVisible(AbsorptionToolBar, false);
    }
}

// After every drawing of the baseline: the view on follows it. A view already
// computed from the current baseline is not computed again.
void TFDataProc::KeepViewInStep()
{
    if (!Series2->Visible() || F->ViewBaselineVersion == F->BaselineVersion)
        return;
    const TLineView spectrum = SpectrumLine();
    if (FDerivativeTB->isChecked()) {
        const std::vector<double> y = DerivativeView(spectrum, SeriesLine0->YValues());
        if (int(y.size()) != Series2->Count())
            return;
        Series2->SetYValues(y);
    } else {
        F->Absorption.Source = spectrum;
        F->Absorption.Baseline = SeriesLine0->YValues();
        F->Absorption.Run(spectrum.First, spectrum.Last);
        if (int(F->Absorption.DestY.size()) != Series2->Count())
            return;
        Series2->SetYValues(F->Absorption.DestY);
    }
    F->ViewBaselineVersion = F->BaselineVersion;
    ++F->ViewVersion;
}

void TFDataProc::ZoomTBClick()
{
    const bool down = ZoomTB->isChecked();
    // The cursor marker rests while a band is chosen and measures its scale
    // again at the next paint.
    DstMarker.Active = !down;
    DstMarker.PixelsPerPoint = 0;
    if (down)
        ZoomSelect.BeginSelect(DDst);
    else if (ZoomSelect.Chart == DDst)
        ZoomSelect.EndSelect();
    Series2->Repaint();
}

// Every zoom needs a new press of "HZ". The zoomed axes are labelled at
// round values, as the whole range is.
void TFDataProc::DstZoomed()
{
    DDst->BottomAxis().SetIncrement(0);
    DDst->RightAxis().SetIncrement(0);
    ZoomTB->setChecked(false);
    ZoomTBClick();
}

void TFDataProc::UnZoomTBClick()
{
    DDst->UndoZoom();
}

// The full width again; a vertical expansion made with "VE" is kept.
void TFDataProc::DstUndoZoomed()
{
    TChartAxis& bottom = DDst->BottomAxis();
    bottom.SetIncrement((bottom.Maximum() - bottom.Minimum()) / 4);
    if (F->VerticallyExpanded) {
        VerticalExpTBClick();
    } else {
        DDst->RightAxis().SetMinMax(-FSpectrum.YScale.Limit, FSpectrum.YScale.Limit);
        DDst->RightAxis().SetIncrement(FSpectrum.YScale.Limit / 2);
    }
    DstMarker.PixelsPerPoint = 0;
}

// The right axis from the view's lowest to its highest value, labelled at
// round values as a zoom is (the quarter of the range would label it at
// values such as 610.768).
void TFDataProc::VerticalExpTBClick()
{
    const TAxisRange range = VerticalExpansion(Series2->YValues());
    DDst->RightAxis().SetMinMax(range.Minimum, range.Maximum);
    DDst->RightAxis().SetIncrement(0);
    F->VerticallyExpanded = true;
}
