// The measurement checks strip and the line-shape fit of the processing
// window. The checks follow the baseline and the moment cursors; the fit
// runs on the baseline-corrected derivative between the cursors of the
// measurement on (or over the whole spectrum) when the operator asks, in the
// background so that the window stays responsive on long spectra. The
// fitted curve and the residual are series of the lower chart, so a saved
// picture holds them.

#include "UDataProc.h"

#include "Baseline.h"
#include "Chart.h"
#include "ChecksStrip.h"
#include "Cursors.h"
#include "FitPanel.h"
#include "FitResultText.h"
#include "SpectrumReport.h"
#include "ImportedSpectrum.h"
#include "UDataProcState.h"
#include "UOutMess.h"
#include "Views.h"

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
}

bool TFDataProc::Fitting() const
{
    return F->FitRunning;
}

QStringList TFDataProc::FitResultLines() const
{
    return F->Fit ? ::FitResultLines(*F->Fit, AxisUnitText(), F->FitHyperfine) : QStringList();
}

// The checks of the spectrum as it stands: its baseline, the cursors of a
// moment measurement on, and the width of a fit that succeeded; a fit that
// failed is one more finding. Worked out again only when one of those
// changed.
void TFDataProc::RefreshChecks()
{
    if (!FLoaded)
        return;
    TState::TChecksKey key{F->BaselineVersion, std::nullopt, std::nullopt, {}};
    const bool moments = (M2DerivativeTB->isChecked() && !IsG(M2DerivativeTB)) ||
                         (M2AbsorptionTB->isChecked() && !IsG(M2AbsorptionTB));
    if (moments) {
        const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
        key.Moments = std::pair{at.Left, at.Right};
    }
    if (F->Fit && F->Fit->Ok)
        key.FitPpWidth = F->Fit->PpWidth.Value;
    else if (F->Fit)
        key.FitFailure = F->Fit->Failure;
    if (F->ChecksShown == key)
        return;
    F->ChecksShown = key;
    TCheckInput in{TLineView(Series1->XValues(), Series1->YValues()), SeriesLine0->YValues(),
                   double(FSpectrum.ModAmp) * XUnitsPerGauss(FSpectrum.Header), key.FitPpWidth, {}, AxisUnitText(),
                   GAtLineCentre(), FSpectrum.YScale};
    if (key.Moments)
        in.Moments.push_back({key.Moments->first, key.Moments->second});
    std::vector<TMeasurementWarning> warnings = CheckMeasurements(in);
    if (F->Fit && !F->Fit->Ok)
        warnings.push_back({QStringLiteral("fit_failed"), key.FitFailure});
    if (F->Fit && !FSpectrum.FitModAmpWarning.isEmpty())
        warnings.push_back({QStringLiteral("modulation_left_out"), FSpectrum.FitModAmpWarning});
    if (const auto missing = NotInFileWarning(FSpectrum.NotInFile, QStringLiteral("open the file again to enter them")))
        warnings.push_back(*missing);
    ChecksStrip->ShowWarnings(warnings);
    ChecksStrip->show();
}

std::optional<TGCheck> TFDataProc::GAtLineCentre() const
{
    const int centre = FindLineCentre(SpectrumLine(), SeriesLine0->YValues());
    return GAt(FSpectrum, Series1->XValue(centre));
}

// The fit command acts on the derivative view; the fitted curve and the
// residual show with it.
void TFDataProc::FitToolsFollowView()
{
    const bool derivative = FDerivativeTB->isChecked() && FLoaded;
    FitPanel->FitButton->setEnabled(derivative && !F->FitRunning);
    for (TChartSeries* s : {SeriesFit, SeriesResidual})
        s->SetVisible(derivative && F->Fit && F->Fit->Ok);
}

void TFDataProc::ClearFit()
{
    ++F->LoadCount;
    F->Fit.reset();
    F->ChecksShown.reset();
    SeriesFit->Clear();
    SeriesResidual->Clear();
    FitPanel->ShowLines({});
    FitToolsFollowView();
    RefreshChecks();
}

void TFDataProc::FitTBClick()
{
    if (!FLoaded || F->FitRunning)
        return;
    // The fitted range: the cursors of the measurement on, else every point.
    const int count = Series1->Count();
    TFitRequest request;
    request.Model = FitPanel->Model();
    request.Hyperfine = FitPanel->Hyperfine();
    request.First = 0;
    request.Last = count - 1;
    if ((M2DerivativeTB->isChecked() && !IsG(M2DerivativeTB)) || SDBTB->isChecked()) {
        const TCursorIndexes at = MeasuredCursors(F->Cursors, DstMarker.GetIndex());
        request.First = std::clamp(std::min(at.Left, at.Right), 0, count - 1);
        request.Last = std::clamp(std::max(at.Left, at.Right), 0, count - 1);
    }
    request.XPerGauss = XUnitsPerGauss(FSpectrum.Header);
    request.ModAmp = FSpectrum.FitModAmp * request.XPerGauss;
    request.Noise = BaselineNoise(Series1->YValues(), SeriesLine0->YValues());
    if (const std::optional<TGCheck> g = GAtLineCentre(); g && PlausibleG(*g))
        request.EsrFrequencyKHz = double(FSpectrum.Frequency);
    request.B0 = double(FSpectrum.B0);

    // The fit works on its own copy of the points, off the window's thread.
    struct TFitData {
        std::vector<double> X, Y;
    };
    auto data = std::make_shared<TFitData>();
    data->X.assign(Series1->XValues().begin(), Series1->XValues().end());
    data->Y = DerivativeView(TLineView(Series1->XValues(), Series1->YValues()), SeriesLine0->YValues());
    const uint64_t load = F->LoadCount;
    const std::optional<THyperfine> hyperfine = request.Hyperfine;

    F->FitRunning = true;
    FitPanel->SetBusy(true);
    auto* watcher = new QFutureWatcher<TFitResult>(this);
    connect(watcher, &QFutureWatcher<TFitResult>::finished, this, [this, watcher, data, load, hyperfine] {
        watcher->deleteLater();
        F->FitRunning = false;
        FitPanel->SetBusy(false);
        if (load != F->LoadCount) {   // another spectrum came in meanwhile
            FitToolsFollowView();
            return;
        }
        const TFitResult result = watcher->result();
        F->Fit = result;
        F->FitHyperfine = hyperfine;
        if (result.Ok) {
            const auto x = std::span<const double>(data->X).subspan(size_t(result.First), result.Curve.size());
            SeriesFit->SetPoints(x, result.Curve, FitColour);
            SeriesResidual->SetPoints(x, result.Residual, ResidualColour);
        } else {
            SeriesFit->Clear();
            SeriesResidual->Clear();
        }
        FitPanel->ShowLines(FitResultLines());
        FitToolsFollowView();
        RefreshChecks();
    });
    watcher->setFuture(QtConcurrent::run([data, request] {
        try {
            return FitLineShape(TLineView(data->X, data->Y), request);
        } catch (const std::exception& e) {   // a fit reports its failures; this is the last guard
            TFitResult failed;
            failed.Failure = QString::fromLocal8Bit(e.what());
            return failed;
        }
    }));
}
