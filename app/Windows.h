#pragma once
// Creates the program's windows in their order, the main window first, and
// wires them together. All of them live until the program ends; they are
// destroyed in the reverse order, the main window last.

#include "UCW.h"

#include <memory>

class TFDataProc;
class TFService;
class TMAudioDlgBox;
class TMDialogBox;
class TMDirectories;
class TMUsersAssist;

struct TMerilWindows {
    std::unique_ptr<TFCW> FCW;
    std::unique_ptr<TMDialogBox> MDialogBox;
    std::unique_ptr<TMDirectories> MDirectories;
    std::unique_ptr<TFDataProc> FDataProc;
    std::unique_ptr<TFService> FService;
    std::unique_ptr<TMAudioDlgBox> MAudioDlgBox;
    std::unique_ptr<TMUsersAssist> MUsersAssist;
    ~TMerilWindows();
};

std::unique_ptr<TMerilWindows> CreateWindows(TFCWOptions options);

// Shows the processing window in front, maximized, with the spectrum file
// loaded: for `meril FILE.dcw` and for a file dropped on the main window.
void OpenInProcessing(TMerilWindows& windows, const QString& spectrumPath);

// The program's arguments: the first spectrum file (.dcw) opens in the
// processing window, the first passes folder (.passes, or any folder) is taken
// up by the main window; a folder that cannot be read is told, and so is an
// argument that is neither.
void OpenArguments(TMerilWindows& windows, const QStringList& arguments);
