#include "Instrument.h"

#include "CommandDecoder.h"
#include "SignalModel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr qsizetype LongestCommand = 16;

// Field sweep ranges by range code, for the rows NMR (mode digit 0) and ESR (1).
constexpr double NmrFieldRanges[] = {5, 10, 15, 20, 30, 50, 75, 100, 150, 300};
constexpr double EsrFieldRanges[] = {2, 3, 5, 7.5, 10, 15, 20, 30};
constexpr int SweepTimeCodes = 7;
// Full scale of the raw modulation amplitude (D1), Gs.
constexpr double RawModAmpFullScale = 2.55;

QString Printable(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QString(QChar(c)) : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QChar('0'));
    return text;
}

QByteArray Hex(quint32 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}
} // namespace

TInstrument::TInstrument(const TInstrumentConfig& config)
{
    Validate(config);
    FConfig = config;
    FNoiseRandom.seed(config.Seed);
    FFaultRandom.seed(config.Seed + 1);
}

void TInstrument::Configure(const TInstrumentConfig& config)
{
    Validate(config);
    const bool sourceChanged = config.FieldSource != FConfig.FieldSource;
    if (config.Seed != FConfig.Seed) {
        FNoiseRandom.seed(config.Seed);
        FFaultRandom.seed(config.Seed + 1);
        FNormal.reset();
    }
    FConfig = config;
    if (sourceChanged)
        Send("M" + Hex(FConfig.FieldSource, 2), FNow);
}

void TInstrument::Reset()
{
    FParams = TParameters{};
    FCommand.clear();
    FCommandOverlong = false;
    FPhase = TPhase::Idle;
    FHeld = false;
    FPassCount = 0;
    FQueue.clear();
    FOutput.clear();
    FLineFree = FNow;
}

void TInstrument::Receive(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == '\n')
            continue; // tolerate CR LF from a terminal
        if (c != '\r') {
            if (FCommand.size() < LongestCommand)
                FCommand += c;
            else
                FCommandOverlong = true;
            continue;
        }
        if (FCommandOverlong)
            Log(QStringLiteral("ignored \"%1...\": too long").arg(Printable(FCommand)));
        else if (!FCommand.isEmpty())
            HandleCommand(FCommand);
        FCommand.clear();
        FCommandOverlong = false;
    }
}

void TInstrument::Log(const QString& text) const
{
    if (OnLog)
        OnLog(text);
}

void TInstrument::HandleCommand(const QByteArray& text)
{
    const auto reject = [&](const QString& reason) { Log(QStringLiteral("ignored \"%1\": %2").arg(Printable(text), reason)); };
    QString why;
    const auto command = DecodeCommand(text, why);
    if (!command)
        return reject(why);
    switch (command->Kind) {
    case TCommandKind::Phase: FParams.PhaseStep = int(command->Value); break;
    case TCommandKind::Gain: FParams.Gain = 255 - int(command->Value); break;
    case TCommandKind::ModAmpRaw: FParams.ModAmpGs = (255 - int(command->Value)) / 255.0 * RawModAmpFullScale; break;
    case TCommandKind::ModAmp: FParams.ModAmpGs = command->Value / 100.0; break;
    case TCommandKind::FieldSweepRange: {
        const bool esrRow = command->Digit == 1;
        const auto count = esrRow ? std::size(EsrFieldRanges) : std::size(NmrFieldRanges);
        if (command->Value >= count)
            return reject(QStringLiteral("no field sweep range %1 in this row").arg(command->Value));
        FParams.FieldRangeGs = esrRow ? EsrFieldRanges[command->Value] : NmrFieldRanges[command->Value];
        break;
    }
    case TCommandKind::SweepTime:
        if (command->Value >= SweepTimeCodes)
            return reject(QStringLiteral("no sweep time %1").arg(command->Value));
        FParams.SweepTimeCode = int(command->Value);
        break;
    case TCommandKind::StartSweep:
        if (FPhase != TPhase::Idle)
            return reject(QStringLiteral("a pass is running"));
        StartPass(command->Digit == 1);
        break;
    case TCommandKind::TuningB0: FParams.B0Code = int(command->Value); break;
    case TCommandKind::Frequency: FParams.FrequencyHz = command->Value; break;
    case TCommandKind::FreqSweepRange: FParams.FreqRangeHz = command->Value; break;
    case TCommandKind::Abort: Abort(); break;
    case TCommandKind::Mode: FParams.Esr = command->Digit == 1; break;
    case TCommandKind::Probe:
        Send("Z" + FConfig.Serial + FConfig.Version, FNow);
        Send("X" + Hex(FConfig.Z1, 4) + Hex(FConfig.Z2, 4), FNow);
        break;
    case TCommandKind::Confirm: Send("M" + Hex(FConfig.FieldSource, 2), FNow); break;
    case TCommandKind::Hold: SetHold(command->Digit == 1); break;
    case TCommandKind::CurrentDirection: FParams.Forward = command->Digit == 1; break;
    case TCommandKind::F2Mod: FParams.F2ModCode = int(command->Value); break;
    case TCommandKind::CalibrationMode: FParams.CalibrationMode = command->Digit; break;
    }
    if (OnCommand)
        OnCommand(text);
}

void TInstrument::StartPass(bool freqSweep)
{
    FPass = TPass{};
    ++FPassCount;
    FPass.FreqSweep = freqSweep;
    FPass.Range = freqSweep ? FParams.FreqRangeHz / 1000.0 : FParams.FieldRangeGs;
    FPass.Points = FConfig.Points;
    FPass.Interval = 30.0 * (1 << FParams.SweepTimeCode) / FPass.Points;
    FHeld = false;
    Send("A" + Hex(FPass.Points, 4), FNow);
    FPhase = TPhase::SettingUp;
    FDue = FNow + SetupTime;
}

void TInstrument::Abort()
{
    FPhase = TPhase::Idle;
    FHeld = false;
    Send("F", FNow);
    Send("D", FNow + AbortTime);
}

void TInstrument::SetHold(bool hold)
{
    // Only a pass that has not finished its data can be held.
    const bool holdable = FPhase == TPhase::SettingUp || FPhase == TPhase::Sweeping;
    const bool wasHeld = FHeld;
    FHeld = hold && holdable;
    if (wasHeld && !FHeld && FPhase == TPhase::Sweeping)
        FDue = FNow + FPass.Interval; // the sweep goes on from where it stopped
    Send(FHeld ? "H1" : "H0", FNow);
}

void TInstrument::InjectError(const QByteArray& code)
{
    Send("E" + code, FNow);
}

double TInstrument::GeneratorDue() const
{
    switch (FPhase) {
    case TPhase::Idle: return Never;
    case TPhase::SettingUp: return FHeld ? Never : FDue;
    case TPhase::Sweeping: return FHeld && FPass.Index == 0 ? Never : FDue;
    default: return FDue;
    }
}

QByteArray TInstrument::DataLine(int index)
{
    const double step = FPass.Points > 1 ? FPass.Range / (FPass.Points - 1) : 0;
    const double x = -FPass.Range / 2 + index * step;
    const double noise = FConfig.Noise * GainFactor(FParams.Gain) * FNormal(FNoiseRandom);
    const double spoil = FPassCount == FConfig.Faults.SpoilPass ? TFaults::SpoilShift * GainFactor(FParams.Gain) : 0;
    const TReading reading = ConvertReading(SignalAt(FParams, FConfig, FPass.FreqSweep, x) + noise + spoil,
                                           DataDivisor(FConfig.Version));
    return QByteArray("V") + (reading.OutOfRange ? '!' : ' ') + Hex(quint32(reading.Raw), 8);
}

void TInstrument::Generate()
{
    switch (FPhase) {
    case TPhase::Idle: return;
    case TPhase::SettingUp:
        Send("B", FNow);
        FPhase = TPhase::Sweeping;
        FDue = FNow + FPass.Interval;
        return;
    case TPhase::Sweeping:
        if (FHeld) {
            // The field stands at the last point sent; its value follows the signal.
            Send(DataLine(FPass.Index - 1), FNow);
            FDue = FNow + std::min(FPass.Interval, HeldInterval);
            return;
        }
        Send(DataLine(FPass.Index++), FNow);
        if (FPass.Index >= FPass.Points + FConfig.Faults.ExtraVLines)
            FPhase = TPhase::Closing;
        else
            FDue += FPass.Interval; // keeps the sweep's schedule when the line falls behind
        return;
    case TPhase::Closing:
        Send("C", FNow);
        FPhase = TPhase::Returning;
        FDue = FNow + ReturnTime;
        return;
    case TPhase::Returning:
        Send("D", FNow);
        FPhase = TPhase::Idle;
        return;
    }
}

void TInstrument::Send(QByteArray line, double earliest)
{
    const TFaults& faults = FConfig.Faults;
    std::uniform_real_distribution<double> chance(0, 1);
    line += '\r';
    if (faults.ErrorRate > 0 && chance(FFaultRandom) < faults.ErrorRate)
        FQueue.push_back({earliest, 0, "E" + faults.ErrorCode + '\r'});
    if (faults.GarbageRate > 0 && chance(FFaultRandom) < faults.GarbageRate) {
        // Printable junk whose first character starts no reply.
        static const QByteArray replyLetters = "ABCDEFHMVXZ";
        std::uniform_int_distribution<int> length(1, 16), printable(0x21, 0x7E);
        QByteArray junk;
        const int n = length(FFaultRandom);
        while (junk.size() < n) {
            const char c = char(printable(FFaultRandom));
            if (!junk.isEmpty() || !replyLetters.contains(c))
                junk += c;
        }
        FQueue.push_back({earliest, 0, junk + '\r'});
    }
    if (faults.NoCRRate > 0 && chance(FFaultRandom) < faults.NoCRRate)
        line.chop(1);
    if (line.size() >= 2 && faults.SplitRate > 0 && chance(FFaultRandom) < faults.SplitRate) {
        std::uniform_int_distribution<qsizetype> cut(1, line.size() - 1);
        const qsizetype at = cut(FFaultRandom);
        FQueue.push_back({earliest, 0, line.left(at)});
        FQueue.push_back({earliest, SplitPause, line.mid(at)});
    } else {
        FQueue.push_back({earliest, 0, line});
    }
    if (OnQueued)
        OnQueued();
}

double TInstrument::EmitTime(const TQueuedLine& line) const
{
    return std::max(line.Earliest, FLineFree + line.PauseBefore) + line.Bytes.size() * ByteTime;
}

void TInstrument::Emit()
{
    FLineFree = FNow;
    FOutput.push_back({FNow, FQueue.front().Bytes});
    FQueue.pop_front();
}

double TInstrument::NextEventTime() const
{
    // The pass makes its next line only when the line has sent everything before it.
    return FQueue.empty() ? std::max(GeneratorDue(), FNow) : EmitTime(FQueue.front());
}

void TInstrument::AdvanceTo(double time)
{
    for (double next = NextEventTime(); next != Never && next <= time; next = NextEventTime()) {
        FNow = std::max(FNow, next);
        if (FQueue.empty())
            Generate();
        else
            Emit();
    }
    FNow = std::max(FNow, time);
}

std::vector<TOutputChunk> TInstrument::TakeOutput()
{
    return std::exchange(FOutput, {});
}
