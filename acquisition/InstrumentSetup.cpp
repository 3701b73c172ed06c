#include "InstrumentSetup.h"

#include "Freq.h"
#include "NumFormat.h"
#include "UTextTbl.h"
#include "Usr.h"

#include <algorithm>

namespace {

int FieldSweepRow(int mode)
{
    return mode == EsrMode ? FieldSweepRowESR : FieldSweepRowNMR;
}

int B0IncrementAt(int mode, int stepPosition)
{
    return int(RoundHalfEven(B0StepPositions(mode, stepPosition)));
}

} // namespace

QString ModeCaption(int m)
{
    static const QString captions[] = {QStringLiteral("NMR 1H"), QStringLiteral("NMR 19F"),
                                       QStringLiteral("NMR 1H &&19F"), QStringLiteral("ESR")};
    return captions[std::clamp(m, 0, 3)];
}

TInstrumentSetup::TInstrumentSetup(TCommandSet& commands) : FCommands(commands)
{
    for (int i = 0; i < ParameterCount; ++i)
        FChosen[size_t(i)] = std::max(0, Min(TParameter(i)));
}

int TInstrumentSetup::Min(TParameter p) const
{
    switch (p) {
    case TParameter::TuningB0: return -2000;
    case TParameter::DB0: return Esr() ? -1 : 0;
    case TParameter::Frequency: return -FFrequencyLimit;
    case TParameter::ModAmp:
    case TParameter::FreqSwRng:
    case TParameter::SweepT:
    case TParameter::Acc: return 1;
    case TParameter::FieldSwRng: return FieldSweepRangeMin(FMode);
    case TParameter::Level: return -500;
    default: return 0;
    }
}

int TInstrumentSetup::Max(TParameter p) const
{
    switch (p) {
    case TParameter::Gain: return 255;
    case TParameter::Phase: return 239;
    case TParameter::TuningB0: return 2000;
    case TParameter::DB0:
    case TParameter::DFrq: return 3;
    case TParameter::Frequency: return FFrequencyLimit;
    case TParameter::ModAmp: return FModAmpMax;
    case TParameter::FieldSwRng: return FieldSweepRangeMax(FMode);
    case TParameter::FreqSwRng: return 9;
    case TParameter::SweepT: return 7;
    case TParameter::Acc: return 99;
    case TParameter::Level: return 500;
    }
    return 0;
}

QString TInstrumentSetup::Caption(TParameter p, int position) const
{
    return CaptionIn(FMode, p, position);
}

QString TInstrumentSetup::CaptionIn(int mode, TParameter p, int position) const
{
    switch (p) {
    case TParameter::Gain: return FormatInteger(position);
    case TParameter::Phase: return FormatPhase(position);
    case TParameter::TuningB0: return FormatB0(mode, FB0InGauss, position);
    case TParameter::DB0: return FormatB0Step(mode, B0IncrementAt(mode, position));
    case TParameter::Frequency: return FormatFrequency(mode, position);
    case TParameter::DFrq: return FormatFrequencyStep(position);
    case TParameter::ModAmp: return FormatModAmp(position);
    case TParameter::FieldSwRng: return FormatFieldSweepRange(FieldSweepRow(mode), position);
    case TParameter::FreqSwRng: return FormatFreqSweepRange(position);
    case TParameter::SweepT: return FormatSweepTime(position);
    case TParameter::Acc:
    case TParameter::Level: return QString::number(position);
    }
    return QString();
}

void TInstrumentSetup::Set(TParameter p, int position)
{
    FChosen[Index(p)] = std::clamp(position, Min(p), Max(p));
}

void TInstrumentSetup::Send(TParameter p)
{
    const int v = Position(p);
    bool sent = false;
    switch (p) {
    case TParameter::Gain: sent = FCommands.SetGain(int16_t(v)); break;
    case TParameter::Phase: sent = FCommands.SetPhase(int16_t(v)); break;
    case TParameter::TuningB0: sent = FCommands.SetTuningB0(int16_t(v)); break;
    case TParameter::Frequency: sent = FCommands.SetFrequency(FrequencyHz(FMode, v)); break;
    case TParameter::ModAmp: sent = FCommands.SetModAmp(Esr(), ModAmpValue(v)); break;
    case TParameter::FieldSwRng: sent = FCommands.SetFieldSweepRange(Esr(), int16_t(v)); break;
    case TParameter::FreqSwRng: sent = FCommands.SetFreqSweepRange(FreqSweepRangeValue(v) * 1000); break;
    case TParameter::SweepT: sent = FCommands.SetSweepTime(int16_t(v)); break;
    default: return;  // no command: held for the captions, the header and setup files
    }
    if (sent)
        FSent[Index(p)] = v;
}

void TInstrumentSetup::Choose(TParameter p, int position)
{
    Set(p, position);
    Send(p);
    if (p == TParameter::FieldSwRng)
        FFieldSweep = true;
    else if (p == TParameter::FreqSwRng)
        FFieldSweep = false;
}

void TInstrumentSetup::SwitchMode(int m)
{
    const auto old = size_t(FMode);
    FB0Of[old] = Position(TParameter::TuningB0);
    FFrequencyOf[old] = Position(TParameter::Frequency);
    FPhaseOf[old] = Position(TParameter::Phase);
    FRangeOf[old] = Position(TParameter::FieldSwRng);

    FMode = std::clamp(m, 0, 3);
    const auto i = size_t(FMode);
    Set(TParameter::TuningB0, FB0Of[i]);
    Set(TParameter::Frequency, FFrequencyOf[i]);
    Set(TParameter::Phase, FPhaseOf[i]);
    Set(TParameter::FieldSwRng, FRangeOf[i]);
    Set(TParameter::DB0, Position(TParameter::DB0));   // ESR steps down to 0.01 Gs, NMR to 0.1 Gs

    Send(TParameter::TuningB0);
    Send(TParameter::Frequency);
    Send(TParameter::Phase);
    Choose(TParameter::FieldSwRng, Position(TParameter::FieldSwRng));
}

void TInstrumentSetup::SelectMode(int m)
{
    SwitchMode(m);
    FModeSelected = true;
    if (FCommands.SetMode(FMode == EsrMode ? '1' : '0'))
        FSentMode = FMode;
}

void TInstrumentSetup::SetDirection(bool forward)
{
    FForward = forward;
    FCommands.SetCurrentDirection(forward ? 1 : 0);
}

void TInstrumentSetup::SetModAmpMax(int maximum)
{
    FModAmpMax = maximum;
    Set(TParameter::ModAmp, Position(TParameter::ModAmp));
}

void TInstrumentSetup::SetFrequencyLimit(int limit)
{
    FFrequencyLimit = limit;
    Set(TParameter::Frequency, Position(TParameter::Frequency));
}

int TInstrumentSetup::B0Increment() const
{
    return B0IncrementAt(FMode, Position(TParameter::DB0));
}

int TInstrumentSetup::FrequencyIncrement() const
{
    return int(RoundHalfEven(FrequencyStepHz(Position(TParameter::DFrq)) * 0.002L));
}

float TInstrumentSetup::SweepRange() const
{
    if (FFieldSweep)
        return FieldSweepRangeValue(FieldSweepRow(FMode), Position(TParameter::FieldSwRng));
    return float(FreqSweepRangeValue(Position(TParameter::FreqSwRng)));
}

QString TInstrumentSetup::SweepUnit() const
{
    return UnitNames(FFieldSweep ? 1 : 0);
}

SetupRecord TInstrumentSetup::Record() const
{
    SetupRecord r = FStored;
    r.Level = Position(TParameter::Level);
    r.Gain = Position(TParameter::Gain);
    r.Phase = FPhaseOf;
    r.Acc = Position(TParameter::Acc);
    r.FieldSweep = FFieldSweep ? 1 : 0;
    r.FieldSwRng = FRangeOf;
    r.FreqSwRng = Position(TParameter::FreqSwRng);
    r.ModAmp = Position(TParameter::ModAmp);
    r.SweepT = Position(TParameter::SweepT);
    r.TuningB0 = FB0Of;
    r.DB0 = Position(TParameter::DB0);
    r.Frequency = FFrequencyOf;
    r.DFrq = Position(TParameter::DFrq);
    r.Mode = uint8_t(FMode);
    // The positions of the mode in use are the chosen ones.
    const auto m = size_t(FMode);
    r.TuningB0[m] = Position(TParameter::TuningB0);
    r.Frequency[m] = Position(TParameter::Frequency);
    r.Phase[m] = Position(TParameter::Phase);
    r.FieldSwRng[m] = Position(TParameter::FieldSwRng);
    return r;
}

void TInstrumentSetup::Apply(const std::array<bool, 4>& modeAllowed)
{
    Put(FStored, modeAllowed);
    SetDirection(true);
}

void TInstrumentSetup::Resend(const std::array<bool, 4>& modeAllowed)
{
    SetupRecord inUse = Record();
    Put(inUse, modeAllowed);
    SetDirection(FForward);
}

void TInstrumentSetup::Put(SetupRecord& r, const std::array<bool, 4>& modeAllowed)
{
    const auto m = size_t(FMode);
    Set(TParameter::Level, r.Level);
    Set(TParameter::Gain, r.Gain);
    FPhaseOf = r.Phase;
    Set(TParameter::Phase, FPhaseOf[m]);
    Set(TParameter::Acc, r.Acc);
    FRangeOf = r.FieldSwRng;
    Set(TParameter::FieldSwRng, FRangeOf[m]);
    Set(TParameter::FreqSwRng, r.FreqSwRng);
    Set(TParameter::ModAmp, r.ModAmp);
    Set(TParameter::SweepT, r.SweepT);
    FB0Of = r.TuningB0;
    Set(TParameter::TuningB0, FB0Of[m]);
    Set(TParameter::DB0, r.DB0);
    FFrequencyOf = r.Frequency;
    Set(TParameter::Frequency, FFrequencyOf[m]);
    Set(TParameter::DFrq, r.DFrq);

    int mode = std::clamp<int>(r.Mode, 0, 3);
    if (!modeAllowed[size_t(mode)])
        mode = mode == EsrMode ? 0 : EsrMode;
    r.Mode = uint8_t(mode);
    // Checking the mode's button switches to it, unless it is checked already.
    if (!FModeSelected || FMode != mode)
        SelectMode(mode);

    Send(TParameter::Gain);
    Choose(TParameter::FreqSwRng, Position(TParameter::FreqSwRng));
    Send(TParameter::ModAmp);
    Send(TParameter::SweepT);
    SelectMode(mode);

    // ESR has no frequency sweep: there a setup's frequency sweep becomes a field sweep.
    FFieldSweep = r.FieldSweep != 0 || FMode == EsrMode;
}

int TInstrumentSetup::SentOrChosen(TParameter p) const
{
    return FSent[Index(p)].value_or(Position(p));
}

TDataHeader TInstrumentSetup::Header() const
{
    const int mode = FSentMode.value_or(FMode);
    const auto caption = [&](TParameter p) { return CaptionIn(mode, p, SentOrChosen(p)); };
    TDataHeader h;
    h.Frequency = caption(TParameter::Frequency);
    h.B0 = caption(TParameter::TuningB0);
    h.ModAmp = caption(TParameter::ModAmp);
    h.SweepTime = caption(TParameter::SweepT);
    h.Gain = caption(TParameter::Gain);
    h.Phase = caption(TParameter::Phase);
    h.Acc = caption(TParameter::Acc);
    h.Resonance = ModeCaption(mode);
    h.SweepTp = FFieldSweep ? 1 : 0;
    h.SweepR = FFieldSweep ? FieldSweepRangeValue(FieldSweepRow(mode), SentOrChosen(TParameter::FieldSwRng))
                           : float(FreqSweepRangeValue(SentOrChosen(TParameter::FreqSwRng)));
    return h;
}
