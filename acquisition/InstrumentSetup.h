#pragma once
// The experiment parameters as the instrument has them. Each parameter has
// the position the operator chose (what a value box shows and a setup file
// stores) and the position the link last took to the instrument (what a
// spectrum's header describes). Choosing a parameter sends its command at
// once; while no instrument is connected nothing goes out and the chosen
// position waits until the setup is applied again. The captions are the
// value formats the boxes show. No widgets.

#include "DataFile.h"
#include "SetupRecord.h"

#include <QString>
#include <array>
#include <optional>

class TCommandSet;

enum class TParameter { Gain, Phase, TuningB0, DB0, Frequency, DFrq, ModAmp, FieldSwRng, FreqSwRng, SweepT, Acc, Level };
inline constexpr int ParameterCount = 12;

// "NMR 1H", "NMR 19F", "NMR 1H &&19F" (a button shows one ampersand), "ESR".
QString ModeCaption(int m);
inline constexpr int EsrMode = 3;

class TInstrumentSetup {
public:
    explicit TInstrumentSetup(TCommandSet& commands);

    int Position(TParameter p) const { return FChosen[Index(p)]; }
    int Min(TParameter p) const;
    int Max(TParameter p) const;
    // The caption of a position, and of the chosen one.
    QString Caption(TParameter p, int position) const;
    QString Caption(TParameter p) const { return Caption(p, Position(p)); }
    // Takes a position (brought into range) and sends the parameter's command.
    // A sweep range also selects its sweep.
    void Choose(TParameter p, int position);

    int Mode() const { return FMode; }
    // The mode change: B0, frequency, phase and field sweep range of the new
    // mode are taken from its memory and sent, field sweep is selected; then
    // the mode command goes out.
    void SelectMode(int m);
    // SelectMode without the mode command (saving a setup sends the four
    // values of the mode in use again).
    void SwitchMode(int m);

    bool FieldSweep() const { return FFieldSweep; }
    void SelectSweep(bool field) { FFieldSweep = field; }
    // The digit of the start command: 0 field sweep, 1 frequency sweep.
    int SweepDigit() const { return FFieldSweep ? 0 : 1; }
    // Width of the chosen sweep, Gs or kHz.
    float SweepRange() const;
    // "Gs" for a field sweep, "kHz" for a frequency sweep.
    QString SweepUnit() const;

    bool Forward() const { return FForward; }
    void SetDirection(bool forward);

    // Limits the instrument and the service window set.
    void SetModAmpMax(int maximum);
    void SetFrequencyLimit(int limit);
    void SetB0InGauss(bool gauss) { FB0InGauss = gauss; }
    // Positions one arrow click moves B0 and the frequency.
    int B0Increment() const;
    int FrequencyIncrement() const;

    // The setup last opened or saved, which Apply puts into the parameters.
    const SetupRecord& Stored() const { return FStored; }
    void SetStored(const SetupRecord& r) { FStored = r; }
    // The parameters now, as a setup file holds them.
    SetupRecord Record() const;
    // Puts the stored setup into the parameters and sends them in the
    // instrument's order. A mode that is not allowed falls back (ESR to NMR
    // 1H, an NMR mode to ESR); ESR sweeps the field.
    void Apply(const std::array<bool, 4>& modeAllowed);
    // Sends the parameters in use again, in the same order, the direction
    // in use too: for an instrument that has lost them (a connection made
    // again after the link was lost). The stored setup stays as it is.
    void Resend(const std::array<bool, 4>& modeAllowed);

    // The header captions of what the instrument got (a parameter never sent
    // is described as chosen); Acc is the accumulations chosen, no comment.
    TDataHeader Header() const;

private:
    static size_t Index(TParameter p) { return size_t(p); }
    void Set(TParameter p, int position);
    // Puts r into the parameters and sends them; r's mode falls back when not allowed.
    void Put(SetupRecord& r, const std::array<bool, 4>& modeAllowed);
    void Send(TParameter p);
    bool Esr() const { return FMode == EsrMode; }
    int SentOrChosen(TParameter p) const;
    QString CaptionIn(int mode, TParameter p, int position) const;

    TCommandSet& FCommands;
    std::array<int, ParameterCount> FChosen{};
    std::array<std::optional<int>, ParameterCount> FSent{};
    int FMode = 0;
    std::optional<int> FSentMode;
    bool FModeSelected = false;    // a mode has been selected since start
    bool FFieldSweep = false;
    bool FForward = true;
    bool FB0InGauss = true;
    int FModAmpMax = 11;
    int FFrequencyLimit = 2000;
    // Per-mode memory of B0, frequency, phase and field sweep range.
    std::array<int32_t, 4> FB0Of{}, FFrequencyOf{}, FPhaseOf{}, FRangeOf{1, 1, 1, 1};
    SetupRecord FStored;
};
