#pragma once
// The passes of a run kept beside its spectrum: a folder "run1.passes" next to
// "run1.dcw" holding one ordinary spectrum file per completed pass
// ("pass-001.dcw", Acc 1) and the setup record the run was measured with.
// Reading a folder, the deviation of each pass from the others, and the sum of
// a chosen few. No widgets.

#include "DataFile.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr double DefaultSuspectThreshold = 3.0;
// The setup record (104 bytes) the passes were measured with, kept in the folder.
inline const QString PassSetupFileName = QStringLiteral("setup.cfg");

// "pass-007.dcw" for 7.
QString PassFileName(int number);
// The number of a pass file name; none for any other name.
std::optional<int> PassNumberOf(const QString& fileName);
// The passes folder of a spectrum: "dir/run1.passes" for "dir/run1.dcw".
QString PassFolderOf(const QString& spectrumPath);
// The spectrum a passes folder belongs to: "dir/run1.dcw" for "dir/run1.passes".
QString SpectrumOfPassFolder(const QString& folder);
bool IsPassFolder(const QString& path);

struct TKeptPass {
    int Number = 0;
    QString FileName;
    TDataHeader Header;
    std::vector<int32_t> Sums;
};

// A pass file that was left out, and why.
struct TPassProblem {
    QString FileName;
    QString Reason;
};

struct TPassSet {
    QString Folder;
    std::vector<TKeptPass> Passes;      // by number; every one readable and alike
    std::vector<TPassProblem> Problems; // missing, unreadable, damaged and foreign files
    QByteArray SetupBytes;              // the setup record, empty when there is none
    // The header the passes share (the first pass's); for an empty set, empty.
    TDataHeader Header() const;
    int LastNumber() const { return Passes.empty() ? 0 : Passes.back().Number; }
    // "pass-003.dcw: damaged (...); pass-005.dcw: missing"
    QString ProblemText() const;
};

// Reads every pass file of a folder. A gap in the numbers is reported as a
// missing file; a file that cannot be opened (a link that leads nowhere), is
// damaged (cut off in its header, or after fewer points than the run's with
// the run's settings), holds more than one pass, or has another point count or
// other settings than most of the passes is named and left out. Throws
// EFileError when the folder does not exist or cannot be listed, with the
// system's reason.
TPassSet ReadPassFolder(const QString& folder);

// For each pass: the RMS of (pass - point-wise median of all passes), in units
// of the median of those RMS values. Identical passes all score 0. Passes of
// unequal length are an error of the caller (all must have the same size).
std::vector<double> PassDeviations(std::span<const std::vector<int32_t>> passes);
std::vector<double> PassDeviations(const std::vector<TKeptPass>& passes);
// A deviation figure as the user reads it: "very large" for a pass unlike
// identical others, whose figure has no bound.
QString DeviationText(double deviation, int decimals = 2);

// The 32-bit sums of the passes whose flag is set, wrapping as the instrument's
// accumulation does.
std::vector<int32_t> SumOfPasses(const std::vector<TKeptPass>& passes, const std::vector<bool>& chosen);

// The header of a sum of `count` passes: that of the passes with Acc = count.
TDataHeader SumHeader(const TDataHeader& passHeader, int count);

// Writes pass files as a run completes them, into one folder, created on the
// first pass (its parent must exist). Each file is written whole (the old name stays until the new file
// is complete), so a crash leaves only complete passes.
class TPassRecorder {
public:
    // Starts a new folder; nothing is written yet.
    void Begin(const QString& folder, const QByteArray& setupBytes);
    // Continues a kept folder: the next pass gets the number after `lastNumber`.
    void Resume(const QString& folder, int lastNumber);
    // Writes the next pass with Acc 1. Throws EFileError when it cannot.
    void Write(const TDataHeader& header, std::span<const int32_t> pass);
    // Moves the folder to `folder`. A folder already there is kept under a new
    // name ("run1.passes.old-1") rather than replaced. Throws EFileError.
    void MoveTo(const QString& folder);
    void Clear();

    bool Active() const { return !FFolder.isEmpty(); }
    QString Folder() const { return FFolder; }
    int Written() const { return FWritten; }
    int LastNumber() const { return FLastNumber; }

private:
    QString FFolder;
    QByteArray FSetupBytes;
    int FLastNumber = 0;
    int FWritten = 0;
    bool FCreated = false;
};
