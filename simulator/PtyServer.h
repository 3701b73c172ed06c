#pragma once
// Serves a simulated instrument on a pseudo-terminal: the program opens the
// terminal's device (through a stable symbolic link) as its serial port. The
// server keeps a descriptor of that device open itself, so the program may
// close and reopen the port without the terminal hanging up.

#include "Instrument.h"

#include <QString>

struct TServerOptions {
    QString LinkPath;
    double Speed = 1;      // 1 real time, 0 unpaced
    double DropAfter = 0;  // seconds after the first command until the link drops; 0: never
    bool Verbose = false;  // log every command to stderr
    bool Console = false;  // read console commands from stdin
};

class TPtyServer {
public:
    TPtyServer(TInstrument& instrument, const TServerOptions& options);
    ~TPtyServer(); // closes the terminal and removes the link
    TPtyServer(const TPtyServer&) = delete;
    TPtyServer& operator=(const TPtyServer&) = delete;

    // Opens the terminal and publishes the link; throws EMerilError.
    void Open();
    QString DevicePath() const { return FDevicePath; }
    // Serves until Stop, a console "quit" or a dropped link.
    void Run();
    // Safe to call from a signal handler.
    void Stop();

private:
    void CloseTerminal();
    void ConsoleCommand(const QByteArray& line);

    TInstrument& FInstrument;
    TServerOptions FOptions;
    QString FDevicePath;
    int FMaster = -1;
    int FSlave = -1;
    int FStopPipe[2] = {-1, -1};
    bool FConsoleOpen = false;
    bool FQuit = false;
    QByteArray FConsoleLine;
};
