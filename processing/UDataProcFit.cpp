// The measurement checks strip and the line-shape fit of the processing
// window. The checks are meril-proc's for the same spectrum, baseline,
// cursors and fit (SpectrumChecks). The fit is made as meril-proc makes it
// (FitSpectrum) on the baseline-corrected derivative between the moment
// cursors (or over the whole spectrum) when the operator asks, in the
// background so that the window stays responsive; it can be cancelled. Once
// the baseline, the range or the model differ from what it was made from,
// the fit is stale: greyed, "Refit" on the command, and it feeds nothing.
// The fitted curve and the residual are series of the lower chart, so a
// saved picture holds them.

#include "UDataProc.h"

#include "Baseline.h"
#include "Chart.h"
#include "ChecksStrip.h"
#include "Cursors.h"
#include "FitPanel.h"
#include "FitResultText.h"
#include "SpectrumFit.h"
#include "SpectrumReport.h"
#include "ImportedSpectrum.h"
#include "UDataProcState.h"
#include "UOutMess.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFutureWatcher>
#include <QPushButton>
#include <QToolButton>
#include <QtConcurrent>
#include <memory>

namespace {
const QColor FitColour(0, 230, 90);
const QColor ResidualColour(255, 0, 255);
const QColor StaleColour(150, 150, 150);
} // namespace

void TFDataProc::CreateFitAndChecks(QBoxLayout* chartColumn)
{
    ChecksStrip = new TChecksStrip(this);
    ChecksStrip->hide();
    chartColumn->addWidget(ChecksStrip);
    FitPanel = new TFitPanel(this);
    FitPanel->FitButton->setEnabled(false);
    chartColumn->addWidget(FitPanel);
    SeriesFit = &DDst->AddSeries();
    SeriesResidual = &DDst->AddSeries();
    SeriesFit->Hide();
    SeriesResidual->Hide();
    connect(FitPanel->FitButton, &QPushButton::clicked, this, Guarded(this, &TFDataProc::FitTBClick));
    connect(FitPanel, &TFitPanel::ChoiceChanged, this, Guarded(this, &TFDataProc::RefreshChecks));
}

bool TFDataProc::Fitting() const
{
    return F->FitRunning;
}

QStringList TFDataProc::FitResultLines() const
{
    return FitFresh() ? ::FitResultLines(*F->Fit, AxisUnitText(), F->FitMadeFrom.Hyperfine) : QStringList();
}

// The fit's range: the cursors of the derivative's moment measurement when
// it is on, else the whole spectrum.
std::optional<std::pair<int, int>> TFDataProc::FitRange() const
{
    if (!M2DerivativeTB->isChecked() || IsG(M2DerivativeTB))
        return std::nullopt;
    const int count = Series1->Count();
    const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
    return std::pair{std::clamp(std::min(at.Left, at.Right), 0, count - 1),
                     std::clamp(std::max(at.Left, at.Right), 0, count - 1)};
}

// What a fit made now would be made from.
TFitKey TFDataProc::CurrentFitKey() const
{
    return {F->BaselineVersion, FitRange(), FitPanel->Model(), FitPanel->Hyperfine().Groups};
}

bool TFDataProc::FitFresh() const
{
    return F->Fit && F->FitMadeFrom == CurrentFitKey();
}

// The checks as meril-proc gives them for the spectrum as it stands: its
// baseline, the cursors of a moment measurement on (else the automatic ones
// of both views), and a fit that is not stale. Worked out again only when
// one of those changed.
void TFDataProc::RefreshChecks()
{
    if (!FLoaded)
        return;
    const bool fresh = FitFresh();
    FitToolsFollowView();
    const bool moments = (M2DerivativeTB->isChecked() && !IsG(M2DerivativeTB)) ||
                         (M2AbsorptionTB->isChecked() && !IsG(M2AbsorptionTB));
    TState::TChecksKey key{F->BaselineVersion, {}, fresh ? F->FitSerial : 0, fresh ? F->FitMadeFrom.Range : std::nullopt};
    if (moments) {
        const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
        key.Moments = {{at.Left, at.Right}};
    } else {
        if (!F->AutomaticMoments || F->AutomaticMoments->first != F->BaselineVersion)
            F->AutomaticMoments = std::pair{F->BaselineVersion, AutomaticMomentCursors(FSpectrum, F->Baseline)};
        key.Moments = F->AutomaticMoments->second;
    }
    if (F->ChecksShown == key)
        return;
    F->ChecksShown = key;
    std::vector<TMeasurementWarning> warnings =
        SpectrumChecks(FSpectrum, F->Baseline, key.Moments, fresh ? &*F->Fit : nullptr, key.FitRange);
    if (const auto missing = NotInFileWarning(FSpectrum.NotInFile, QStringLiteral("open the file again to enter them")))
        warnings.push_back(*missing);
    ChecksStrip->ShowWarnings(warnings);
    ChecksStrip->show();
}

// The fit command acts on the derivative view; the fitted curve and the
// residual show with it, greyed when stale.
void TFDataProc::FitToolsFollowView()
{
    const bool derivative = FDerivativeTB->isChecked() && FLoaded;
    FitPanel->FitButton->setEnabled(derivative || F->FitRunning);
    const bool shown = derivative && F->Fit && F->Fit->Ok;
    const bool stale = F->Fit && !FitFresh();
    FitPanel->SetStale(stale);
    SeriesFit->SetAllColors(stale ? StaleColour : FitColour);
    SeriesResidual->SetAllColors(stale ? StaleColour : ResidualColour);
    for (TChartSeries* s : {SeriesFit, SeriesResidual})
        s->SetVisible(shown);
}

// A running fit stops and its result will be dropped; the command is free at once.
void TFDataProc::CancelFit()
{
    if (F->FitCancel)
        F->FitCancel->store(true);
    ++F->FitSerial;
    F->FitRunning = false;
    FitPanel->SetBusy(false);
}

void TFDataProc::ClearFit()
{
    CancelFit();
    F->Fit.reset();
    F->ChecksShown.reset();
    F->AutomaticMoments.reset();
    SeriesFit->Clear();
    SeriesResidual->Clear();
    FitPanel->ShowLines({});
    FitToolsFollowView();
    RefreshChecks();
}

void TFDataProc::FitTBClick()
{
    if (!FLoaded)
        return;
    if (F->FitRunning) {
        CancelFit();
        FitToolsFollowView();
        return;
    }
    const THyperfineText hyperfine = FitPanel->Hyperfine();
    if (!hyperfine.Error.isEmpty()) {
        FitPanel->ShowLines({QStringLiteral("Fit not made: %1").arg(hyperfine.Error)});
        return;
    }
    const TFitKey key = CurrentFitKey();
    // The fit works on its own copy of the spectrum, off the window's thread.
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const auto spectrum = std::make_shared<const TSpectrum>(FSpectrum);
    const TBaseline baseline = F->Baseline;
    const TSpectrumFitOptions options{key.Model, key.Hyperfine, key.Range, cancel.get()};
    const uint64_t serial = ++F->FitSerial;
    F->FitCancel = cancel;
    F->FitRunning = true;
    FitPanel->SetBusy(true);
    auto* watcher = new QFutureWatcher<TFitResult>(this);
    connect(watcher, &QFutureWatcher<TFitResult>::finished, this, [this, watcher, spectrum, key, serial] {
        watcher->deleteLater();
        if (serial != F->FitSerial)   // cancelled, or another spectrum came in meanwhile
            return;
        F->FitRunning = false;
        FitPanel->SetBusy(false);
        const TFitResult result = watcher->result();
        F->Fit = result;
        F->FitMadeFrom = key;
        if (result.Ok) {
            const auto x = std::span<const double>(Series1->XValues()).subspan(size_t(result.First), result.Curve.size());
            SeriesFit->SetPoints(x, result.Curve, FitColour);
            SeriesResidual->SetPoints(x, result.Residual, ResidualColour);
        } else {
            SeriesFit->Clear();
            SeriesResidual->Clear();
        }
        FitPanel->ShowLines(::FitResultLines(result, AxisUnitText(), key.Hyperfine), GUncertaintyText(result));
        RefreshChecks();
    });
    watcher->setFuture(QtConcurrent::run([spectrum, baseline, options, cancel] {
        try {
            return FitSpectrum(*spectrum, baseline, options);
        } catch (const std::exception& e) {   // a fit reports its failures; this is the last guard
            TFitResult failed;
            failed.Failure = QString::fromLocal8Bit(e.what());
            return failed;
        }
    }));
}
