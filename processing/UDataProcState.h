#pragma once
// What the processing window keeps of the processing library between events:
// the baseline, the two integrators and the cursors. Internal to the window.

#include "Baseline.h"
#include "Cursors.h"
#include "LineFit.h"
#include "MeasurementChecks.h"
#include "Moments.h"
#include "UDataProc.h"
#include "UIntegration.h"

#include <QString>
#include <cstdint>
#include <optional>

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
    // The fit shown, with the multiplet asked for; LoadCount tells a fit
    // that ends after another load to go away.
    std::optional<TFitResult> Fit;
    std::optional<THyperfine> FitHyperfine;
    uint64_t LoadCount = 0;
    bool FitRunning = false;
    // What the checks strip shows was worked out from.
    struct TChecksKey {
        uint64_t BaselineVersion = 0;
        std::optional<std::pair<int, int>> Moments;
        std::optional<double> FitPpWidth;
        QString FitFailure;
        bool operator==(const TChecksKey&) const = default;
    };
    std::optional<TChecksKey> ChecksShown;
};
