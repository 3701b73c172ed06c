#pragma once
// SIGINT and SIGTERM close the main window as an unattended close: nothing is
// asked, a spectrum stored nowhere is stored, the settings are written. A
// second signal ends the program at once.

class QObject;
class TFCW;

// The handlers live as long as owner.
void CloseOnStopSignals(TFCW& window, QObject& owner);
