#pragma once
// SIGINT and SIGTERM close the main window as an unattended close: nothing is
// asked, a spectrum stored nowhere is stored, the settings are written, and
// the program ends even when a dialog is open. A second signal ends the
// program at once.

class QObject;
class TFCW;

// The handlers live as long as owner.
void CloseOnStopSignals(TFCW& window, QObject& owner);
