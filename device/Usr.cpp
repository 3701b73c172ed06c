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

void TCommandSet::Send(TTemplate& command, int digit, int32_t hex, int maxDigit, bool needsConnection)
{
    if (!FLink.Active() || (needsConnection && !FDeviceConnected))
        return;
    if (command.DigitAt >= 0) {
        if (digit < 0 || digit > maxDigit)
            throw EMerilError(QStringLiteral("Command argument %1 is out of range 0..%2").arg(digit).arg(maxDigit));
        command.Text[command.DigitAt] = char('0' + digit);
    }
    if (command.HexAt >= 0)
        PutHexDigits(hex, command.HexDigits, command.Text.data() + command.HexAt);
    FLink.WriteString(command.Text);
}

void TCommandSet::SetPhase(int16_t position)
{
    Send(FPhase, 0, position);
}

void TCommandSet::SetGain(int16_t position)
{
    Send(FGain, 0, 255 - position);
}

void TCommandSet::SetModAmpRaw(int16_t position)
{
    Send(FModAmpRaw, 0, 255 - position);
}

void TCommandSet::SetModAmp(bool esr, float amplitude)
{
    Send(FModAmp, esr, ModAmpCode(amplitude));
}

void TCommandSet::SetFieldSweepRange(bool esr, int16_t position)
{
    Send(FFieldSweepRange, esr, position - 1);
}

void TCommandSet::SetSweepTime(int16_t position)
{
    Send(FSweepTime, 0, position - 1);
}

void TCommandSet::StartSweep(int freqSweep)
{
    Send(FStartSweep, freqSweep);
}

void TCommandSet::SetTuningB0(int16_t position)
{
    Send(FTuningB0, 0, position + 2047);
}

void TCommandSet::SetFrequency(int32_t hz)
{
    Send(FFrequency, 0, hz);
}

void TCommandSet::SetFreqSweepRange(int32_t hz)
{
    Send(FFreqSweepRange, 0, hz);
}

void TCommandSet::AbortExperiment()
{
    Send(FAbort);
}

void TCommandSet::SetMode(char mode)
{
    Send(FMode, mode - '0');
}

void TCommandSet::ProbeDevice()
{
    Send(FProbe, 0, 0, 1, false);
}

void TCommandSet::ConfirmConnection()
{
    Send(FConfirm);
}

void TCommandSet::SetHold(int hold)
{
    Send(FHold, hold);
}

void TCommandSet::SetCurrentDirection(int forward)
{
    Send(FCurrentDirection, forward);
}

void TCommandSet::SetF2Mod(uint16_t periodCode)
{
    Send(FF2Mod, 0, periodCode);
}

void TCommandSet::SetCalibrationMode(int mode)
{
    Send(FCalibrationMode, mode, 0, 2);
}
