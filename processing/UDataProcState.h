#pragma once
// What the processing window keeps of the processing library between events:
// the baseline, the two integrators and the cursors. Internal to the window.

#include "Baseline.h"
#include "Cursors.h"
#include "LineFit.h"
#include "MeasurementChecks.h"
#include "Moments.h"
#include "SpectrumExport.h"
#include "UDataProc.h"
#include "UIntegration.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// What a fit is made from: the baseline, the range, the model and the
// hyperfine groups. The fit shown is stale once these differ from the
// window's; then it feeds nothing.
struct TFitKey {
    uint64_t BaselineVersion = 0;
    std::optional<std::pair<int, int>> Range;  // none: the whole spectrum
    TFitModel Model = TFitModel::Auto;
    THyperfineGroups Hyperfine;
    bool operator==(const TFitKey&) const = default;
};

struct TFDataProc::TState {
    TBaseline Baseline;
    uint64_t BaselineVersion = 0;     // counts changes of the baseline
    uint64_t ViewVersion = 0;         // counts recomputations of the view
    uint64_t ViewBaselineVersion = 0; // baseline the view was computed from
    TIntegrator Absorption;           // spectrum minus baseline -> Series2
    TIntegrator Area;                 // Series2 between the cursors -> SeriesI
    TCursorState Cursors;
    bool VerticallyExpanded = false;  // "VE" set the right axis of the view on
    int MarkerBeforeGrab = 0;         // the marker's index before a line was dragged
    bool CursorStopTold = false;      // the status line says a cursor stopped at another
    // The cursors and view whose moment uncertainties the tooltips show.
    struct TUncertaintyKey {
        int Left = -1, Centre = -1, Right = -1;
        uint64_t ViewVersion = 0;
        TViewKind Kind = TViewKind::Derivative;
        bool operator==(const TUncertaintyKey&) const = default;
    } UncertaintiesShown;
    // The half-height search that failed last and was told to the operator:
    // the same failure on the same view is not told again.
    struct {
        uint64_t ViewVersion = 0;
        int First = -1, Last = -1;
        QString Error;
    } HalfHeightTold;
    // The fit shown and what it was made from.
    std::optional<TFitResult> Fit;
    TFitKey FitMadeFrom;
    // A running fit: its stop flag, and the number that tells its result to
    // go away when it ends after a new load, a cancel or another fit.
    std::shared_ptr<std::atomic<bool>> FitCancel;
    uint64_t FitSerial = 0;
    bool FitRunning = false;
    // What the checks strip shows was worked out from.
    struct TChecksKey {
        uint64_t BaselineVersion = 0;
        std::vector<TMomentCursors> Moments;
        uint64_t FreshFit = 0;  // the serial of the fit that feeds them; 0 none
        std::optional<std::pair<int, int>> FitRange;
        bool operator==(const TChecksKey&) const = default;
    };
    std::optional<TChecksKey> ChecksShown;
    // "Export as...": the format and file chosen last, and the spectrum file
    // exported then.
    TExportFormat ExportFormat = TExportFormat::Bes3t;
    QString ExportAsFile, ExportAsSource;
    // The answers given last for what a file did not tell, offered again.
    QString FrequencyAnswer, ModAmpAnswer;
    // The automatic moment cursors of both views and the baseline they were placed on.
    std::optional<std::pair<uint64_t, std::vector<TMomentCursors>>> AutomaticMoments;
};
