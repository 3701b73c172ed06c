#pragma once
// Progress of an experiment run as the status line shows it: the points of
// the pass being measured, the pass of the run and the time left, estimated
// from the sweep time and the passes still to come, and for a run that stops
// when a value is known, that value and the passes it still needs. No widgets.

#include <QString>

struct TRunProgress {
    int Points = 0;        // values received in the pass being measured
    int PointTotal = 0;    // points the pass announced; 0 until it has
    int Pass = 1;          // 1-based number of the pass being measured
    int Passes = 1;        // passes wanted; not used in Loop mode
    bool Loop = false;     // the run repeats passes until aborted
    bool OnHold = false;
    int SweepSeconds = 0;  // length of one pass
    // Stop when known: the value after the last fit ("M2 = 10.2 ± 0.3 Gs²
    // (3 %)"), empty when there is none; the passes it still needs after
    // pass KnownAfterPass (0: known; -1: no estimate).
    QString Known;
    int KnownPassesLeft = -1;
    int KnownAfterPass = 0;
    // The first pass that could not be kept, until the operator has seen it; 0 when none.
    int NotKeptFrom = 0;
};

// Per cent done of the run; of the pass in Loop mode, which has no end.
int ProgressPercent(const TRunProgress& p);
// Seconds left of the run; of the pass in Loop mode.
int SecondsLeft(const TRunProgress& p);
// "pass 2 of 3 · 412/1024 · 5:12 left" (pass, points received of the pass's
// points, time left of the run); in Loop mode "pass 4, loop · 412/1024 ·
// 0:45 left", the time left of the pass; on hold "on hold" in place of the
// time; "setting up" before the pass has announced its points. Then, when
// stopping when known, the value and "3 more passes, 1:30" or "known".
// Last, "passes not kept from pass 25 on" when they could not be written.
QString ProgressText(const TRunProgress& p);
// "m:ss", or "h:mm:ss" from one hour on.
QString FormatDuration(int seconds);
