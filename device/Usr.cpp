#include "Usr.h"

#include "Errors.h"
#include "NumFormat.h"
#include "SerialLink.h"

void PutHexDigits(int32_t value, int n, char* place)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    auto bits = uint32_t(value);
    for (int i = n - 1; i >= 0; --i, bits >>= 4)
        place[i] = digits[bits & 0xF];
}

int ModAmpCode(float amplitude)
{
    return int(Trunc((long double)amplitude * 100));
}

float F2ModFrequency(int position)
{
    return float((position - 128) * 0.1L + 38.0L);
}

uint16_t F2ModPeriodCode(int position)
{
    return uint16_t(RoundHalfEven(1 / ((long double)F2ModFrequency(position) * 0.000015L)));
}

TCommandSet::TCommandSet(TSerialLink& link, const bool& deviceConnected)
    : FLink(link), FDeviceConnected(deviceConnected)
{
}

bool TCommandSet::Send(TTemplate& command, int digit, int32_t hex, int maxDigit, bool needsConnection)
{
    if (!FLink.Active() || (needsConnection && !FDeviceConnected))
        return false;
    if (command.DigitAt >= 0) {
        if (digit < 0 || digit > maxDigit)
            throw EMerilError(QStringLiteral("Command argument %1 is out of range 0..%2").arg(digit).arg(maxDigit));
        command.Text[command.DigitAt] = char('0' + digit);
    }
    if (command.HexAt >= 0)
        PutHexDigits(hex, command.HexDigits, command.Text.data() + command.HexAt);
    FLink.WriteString(command.Text);
    return true;
}

bool TCommandSet::SetPhase(int16_t position)
{
    return Send(FPhase, 0, position);
}

bool TCommandSet::SetGain(int16_t position)
{
    return Send(FGain, 0, 255 - position);
}

bool TCommandSet::SetModAmpRaw(int16_t position)
{
    return Send(FModAmpRaw, 0, 255 - position);
}

bool TCommandSet::SetModAmp(bool esr, float amplitude)
{
    return Send(FModAmp, esr, ModAmpCode(amplitude));
}

bool TCommandSet::SetFieldSweepRange(bool esr, int16_t position)
{
    return Send(FFieldSweepRange, esr, position - 1);
}

bool TCommandSet::SetSweepTime(int16_t position)
{
    return Send(FSweepTime, 0, position - 1);
}

bool TCommandSet::StartSweep(int freqSweep)
{
    return Send(FStartSweep, freqSweep);
}

bool TCommandSet::SetTuningB0(int16_t position)
{
    return Send(FTuningB0, 0, position + 2047);
}

bool TCommandSet::SetFrequency(int32_t hz)
{
    return Send(FFrequency, 0, hz);
}

bool TCommandSet::SetFreqSweepRange(int32_t hz)
{
    return Send(FFreqSweepRange, 0, hz);
}

bool TCommandSet::AbortExperiment()
{
    return Send(FAbort);
}

bool TCommandSet::SetMode(char mode)
{
    return Send(FMode, mode - '0');
}

bool TCommandSet::ProbeDevice()
{
    return Send(FProbe, 0, 0, 1, false);
}

bool TCommandSet::ConfirmConnection()
{
    return Send(FConfirm);
}

bool TCommandSet::SetHold(int hold)
{
    return Send(FHold, hold);
}

bool TCommandSet::SetCurrentDirection(int forward)
{
    return Send(FCurrentDirection, forward);
}

bool TCommandSet::SetF2Mod(uint16_t periodCode)
{
    return Send(FF2Mod, 0, periodCode);
}

bool TCommandSet::SetCalibrationMode(int mode)
{
    return Send(FCalibrationMode, mode, 0, 2);
}
