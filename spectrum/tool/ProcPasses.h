#pragma once
// meril-proc on passes folders: every pass measured with its deviation
// figure (--passes), or the sum of the passes within a deviation limit
// written as a new spectrum (--reject K).

#include "SpectrumReport.h"

#include <QString>
#include <QStringList>
#include <functional>

struct TPassOutput {
    std::function<void(const QString&)> Out;  // one JSON line
    std::function<void(const QString&)> Err;  // one diagnostic line
};

// One JSON line per readable pass: the spectrum report with "pass",
// "deviation" and "suspect" (beyond the default threshold). False when a
// folder could not be read or a pass file was left out or failed.
bool MeasurePasses(const QStringList& folders, const TReportOptions& options, const TPassOutput& output);

// The file the sum of a folder's passes goes to: "dir/run1-reject3.dcw" for
// "dir/run1.passes" and a limit of 3.
QString RejectOutputPath(const QString& folder, double limit);

// Writes the sum of the passes whose deviation is at most `limit` as a new
// file (never over an existing one) and prints which passes it left out.
// False when a folder failed, a pass file was left out (it is named on
// stderr), or the sum would hold more passes than a file can store.
bool RejectPasses(const QStringList& folders, double limit, const TPassOutput& output);
