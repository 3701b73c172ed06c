#pragma once
// The commands to the instrument: one sender per command over one set of
// command templates. A sender does nothing while the link is closed or the
// instrument is not connected (ProbeDevice needs only the open link); it
// fills the argument characters of its template and writes the whole
// template, and tells whether it did. Errors of the link while writing reach
// the caller.

#include <QByteArray>
#include <cstdint>

class TSerialLink;

// Writes the lowest 4n bits of value as n upper-case hexadecimal digits into
// place[0..n-1], most significant first: -1 in 2 digits is "FF", 300 is "2C".
void PutHexDigits(int32_t value, int n, char* place);

// Modulation amplitude code: trunc(amplitude x 100) in extended precision
// from the single value, so 0.35 gives 34.
int ModAmpCode(float amplitude);
// Second modulation of an F2Mod position 0..255: (p - 128) x 0.1 + 38 Hz as a
// single, and its period in units of 15 us, rounded half to even.
float F2ModFrequency(int position);
uint16_t F2ModPeriodCode(int position);

class TCommandSet {
public:
    TCommandSet(TSerialLink& link, const bool& deviceConnected);

    bool SetPhase(int16_t position);                   // E hh: position
    bool SetGain(int16_t position);                    // D2 hh: 255 - position
    bool SetModAmpRaw(int16_t position);               // D1 hh: 255 - position
    bool SetModAmp(bool esr, float amplitude);         // R m hh: ModAmpCode
    bool SetFieldSweepRange(bool esr, int16_t position); // H m hh: position - 1
    bool SetSweepTime(int16_t position);               // G hh: position - 1
    bool StartSweep(int freqSweep);                    // F d: 0 field, 1 frequency
    bool SetTuningB0(int16_t position);                // B1 hhhh: position + 2047
    bool SetFrequency(int32_t hz);                     // J hhhhhhhh
    bool SetFreqSweepRange(int32_t hz);                // K hhhhhhhh
    bool AbortExperiment();                            // N
    bool SetMode(char mode);                           // P d: '0' NMR, '1' ESR
    bool ProbeDevice();                                // Z, sent while not connected too
    bool ConfirmConnection();                          // Y
    bool SetHold(int hold);                            // Q d: 1 hold, 0 continue
    bool SetCurrentDirection(int forward);             // S d: 1 forward, 0 reverse
    bool SetF2Mod(uint16_t periodCode);                // T hhhh
    bool SetCalibrationMode(int mode);                 // X d: 0 off, 1 on, 2 continue

private:
    // A template and where its arguments go (-1: it has none of that kind).
    struct TTemplate {
        QByteArray Text;
        int DigitAt = -1;      // the digit field or mode digit
        int HexAt = -1;        // the first hexadecimal digit
        int HexDigits = 0;
    };
    // Fills and writes a template when sending is allowed; false when not. A digit field
    // outside 0..maxDigit throws EMerilError: it is never sent.
    bool Send(TTemplate& command, int digit = 0, int32_t hex = 0, int maxDigit = 1, bool needsConnection = true);

    TSerialLink& FLink;
    const bool& FDeviceConnected;
    TTemplate FPhase{"EXX\r", -1, 1, 2};
    TTemplate FGain{"D2XX\r", -1, 2, 2};
    TTemplate FModAmpRaw{"D1XX\r", -1, 2, 2};
    TTemplate FModAmp{"RTXX\r", 1, 2, 2};
    TTemplate FFieldSweepRange{"HTXX\r", 1, 2, 2};
    TTemplate FSweepTime{"GXX\r", -1, 1, 2};
    TTemplate FStartSweep{"FX\r", 1};
    TTemplate FTuningB0{"B1XXXX\r", -1, 2, 4};
    TTemplate FFrequency{"JXXXXXXXX\r", -1, 1, 8};
    TTemplate FFreqSweepRange{"KXXXXXXXX\r", -1, 1, 8};
    TTemplate FAbort{"N\r"};
    TTemplate FMode{"PX\r", 1};
    TTemplate FProbe{"Z\r"};
    TTemplate FConfirm{"Y\r"};
    TTemplate FHold{"QX\r", 1};
    TTemplate FCurrentDirection{"SX\r", 1};
    TTemplate FF2Mod{"TXXXX\r", -1, 1, 4};
    TTemplate FCalibrationMode{"XX\r", 1};
};
