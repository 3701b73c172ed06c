#pragma once
// Decoding of the host's commands as the instrument receives them: one command
// letter (two for B1, D1, D2), a fixed number of argument characters, and the
// CR that ends it (already removed here).

#include <QByteArrayView>
#include <QString>
#include <optional>

enum class TCommandKind {
    Phase,            // E hh
    Gain,             // D2 hh: 255 - gain
    ModAmpRaw,        // D1 hh: 255 - raw amplitude
    ModAmp,           // R m hh: amplitude in 0.01 Gs
    FieldSweepRange,  // H m hh: range code of the row m
    SweepTime,        // G hh
    StartSweep,       // F d: 0 field sweep, 1 frequency sweep
    TuningB0,         // B1 hhhh: position + 2047
    Frequency,        // J hhhhhhhh: Hz
    FreqSweepRange,   // K hhhhhhhh: Hz
    Abort,            // N
    Mode,             // P d: 0 NMR, 1 ESR
    Probe,            // Z
    Confirm,          // Y
    Hold,             // Q d
    CurrentDirection, // S d: 1 forward, 0 reverse
    F2Mod,            // T hhhh: period in 15 us
    CalibrationMode,  // X d: 0 off, 1 on, 2 continue
};

struct TCommand {
    TCommandKind Kind;
    int Digit = 0;      // the digit or mode-digit field
    quint32 Value = 0;  // the hexadecimal field
};

// Decodes one command. On an unknown or malformed command returns nothing and
// says why in `why`. Hex digits are accepted in either case.
std::optional<TCommand> DecodeCommand(QByteArrayView text, QString& why);
