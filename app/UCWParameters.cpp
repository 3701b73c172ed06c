// Experiment parameters: each control shows its value and sends its command;
// mode changes with the per-mode memory; applying a setup to the controls.

#include "UCW.h"

#include "Chart.h"
#include "Freq.h"
#include "NumFormat.h"
#include "UOutMess.h"
#include "UTextTbl.h"
#include "UpDown.h"
#include "ValueBox.h"
#include "Usr.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

namespace {

void SetBarPosition(QAbstractSlider* bar, int position)
{
    const QSignalBlocker block(bar);
    bar->setValue(position);
}

// The control's own enabled flag, whatever the window around it: the window
// is disabled while a connection is checked, and that says nothing about the
// control.
bool OwnEnabled(const QWidget* w)
{
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

// Positions of B0 that one click of its arrows moves at a step position.
int B0Increment(int m, int stepPosition)
{
    return int(RoundHalfEven(B0StepPositions(m, stepPosition)));
}

} // namespace

// Each value box shows the caption of its arrows' position; a typed value
// selects the position with the nearest caption.
void TFCW::AttachValueBoxes()
{
    TuningB0Val->Attach(TuningB0UpDown, [this](int p) { return FormatB0(ModeIndex, MGs->isChecked(), p); });
    DB0Val->Attach(DB0UpDown, [this](int b) { return FormatB0Step(ModeIndex, B0Increment(ModeIndex, b)); });
    FrequencyVal->Attach(FrequencyUpDown, [this](int p) { return FormatFrequency(ModeIndex, p); });
    DFrqVal->Attach(DFrqUpDown, FormatFrequencyStep);
    ModAmpVal->Attach(ModAmpUpDown, FormatModAmp);
    FieldSwRngVal->Attach(FieldSwRngUpDown, [this](int p) { return FormatFieldSweepRange(ModeIndex == 3 ? 1 : 0, p); });
    FreqSwRngVal->Attach(FreqSwRngUpDown, FormatFreqSweepRange);
    SweepTVal->Attach(SweepTUpDown, FormatSweepTime);
    AccVal->Attach(AccUpDown, [](int n) { return QString::number(n); });
}

bool TFCW::FieldSweep() const
{
    return FieldSwRngRB->isChecked();
}

int TFCW::StartSweepDigit() const
{
    return FreqSwRngRB->isChecked() ? 1 : 0;
}

float TFCW::SweepRangeValue() const
{
    if (FieldSweep())
        return FieldSweepRangeValue(ModeIndex == 3 ? 1 : 0, FieldSwRngUpDown->Position());
    return float(FreqSweepRangeValue(FreqSwRngUpDown->Position()));
}

void TFCW::GainScrollBarChange()
{
    const int p = GainScrollBar->value();
    GainVal->setText(FormatInteger(p));
    Commands->SetGain(int16_t(p));
}

void TFCW::PhaseScrollBarChange()
{
    const int p = PhaseScrollBar->value();
    PhaseVal->setText(FormatPhase(p));
    Commands->SetPhase(int16_t(p));
}

void TFCW::TuningB0UpDownClick()
{
    const int p = TuningB0UpDown->Position();
    TuningB0Val->ShowPosition(p);
    Commands->SetTuningB0(int16_t(p));
}

void TFCW::DB0UpDownClick()
{
    TuningB0UpDown->SetIncrement(B0Increment(ModeIndex, DB0UpDown->Position()));
    DB0Val->ShowPosition(DB0UpDown->Position());
}

void TFCW::FrequencyUpDownClick()
{
    const int p = FrequencyUpDown->Position();
    FrequencyVal->ShowPosition(p);
    Commands->SetFrequency(FrequencyHz(ModeIndex, p));
}

void TFCW::DFrqUpDownClick()
{
    const int d = DFrqUpDown->Position();
    DFrqVal->ShowPosition(d);
    FrequencyUpDown->SetIncrement(int(RoundHalfEven(FrequencyStepHz(d) * 0.002L)));
}

void TFCW::ModAmpUpDownClick()
{
    const int p = ModAmpUpDown->Position();
    ModAmpVal->ShowPosition(p);
    Commands->SetModAmp(EPRResRB->isChecked(), ModAmpValue(p));
}

void TFCW::FieldSwRngUpDownClick()
{
    const int p = FieldSwRngUpDown->Position();
    FieldSwRngVal->ShowPosition(p);
    Commands->SetFieldSweepRange(EPRResRB->isChecked(), int16_t(p));
    CheckSweepButton(FieldSwRngRB);
}

void TFCW::FreqSwRngUpDownClick()
{
    const int p = FreqSwRngUpDown->Position();
    FreqSwRngVal->ShowPosition(p);
    Commands->SetFreqSweepRange(FreqSweepRangeValue(p) * 1000);
    CheckSweepButton(FreqSwRngRB);
}

void TFCW::SweepTUpDownClick()
{
    const int p = SweepTUpDown->Position();
    SweepTVal->ShowPosition(p);
    Commands->SetSweepTime(int16_t(p));
}

void TFCW::AccUpDownClick()
{
    AccVal->ShowPosition(AccUpDown->Position());
    SetAccStatus();
}

void TFCW::SetAccStatus()
{
    SetStatusText(*StatusBar, 0, Format(QStringLiteral("%d of %d"), {AccUpDown->Tag, AccUpDown->Position()}));
}

void TFCW::SingleRBClick()
{
    // The name and comment serve the automatic store, which only a single run makes.
    const bool single = SingleRB->isChecked() && OwnEnabled(SingleRB);
    for (QWidget* w : std::initializer_list<QWidget*>{FNameEdit, CommentEdit, FileLab, CommentLab})
        w->setEnabled(single);
}

// Checking a sweep button selects its sweep; checking the one already checked
// applies its axis settings again.
void TFCW::CheckSweepButton(QRadioButton* button)
{
    button->setChecked(true);
    if (button == FieldSwRngRB)
        FieldSwRngRBClick();
    else
        FreqSwRngRBClick();
}

void TFCW::FieldSwRngRBClick()
{
    SetupXAxis();
}

void TFCW::FreqSwRngRBClick()
{
    SetupXAxis();
}

void TFCW::MCDirFWDClick()
{
    MCDirFWD->setChecked(true);
    Commands->SetCurrentDirection(1);
}

void TFCW::MCDirREVClick()
{
    MCDirREV->setChecked(true);
    Commands->SetCurrentDirection(0);
}

void TFCW::ModeButtonClick(int m)
{
    SwitchMode(m);
    Commands->SetMode(m == 3 ? '1' : '0');
}

// A radio button that becomes checked runs its click handler.
void TFCW::CheckModeButton(int m)
{
    QRadioButton* b = ModeButtons[size_t(m)];
    if (b->isChecked())
        return;
    b->setChecked(true);
    ModeButtonClick(m);
}

void TFCW::SwitchMode(int m)
{
    const auto old = size_t(ModeIndex);
    TuningB0Pos[old] = TuningB0UpDown->Position();
    FrequencyPos[old] = FrequencyUpDown->Position();
    PhasePos[old] = PhaseScrollBar->value();
    FieldSwRngPos[old] = FieldSwRngUpDown->Position();

    ModeIndex = m;
    const auto i = size_t(m);
    FieldSwRngUpDown->SetRange(FieldSweepRangeMin(m), FieldSweepRangeMax(m));
    FieldSwRngUpDown->setEnabled(FieldSweepRangeMin(m) != FieldSweepRangeMax(m));
    TuningB0UpDown->SetPosition(TuningB0Pos[i]);
    FrequencyUpDown->SetPosition(FrequencyPos[i]);
    SetBarPosition(PhaseScrollBar, PhasePos[i]);
    FieldSwRngUpDown->SetPosition(FieldSwRngPos[i]);
    DB0UpDown->SetMin(m == 3 ? -1 : 0);

    TuningB0UpDownClick();
    FrequencyUpDownClick();
    PhaseScrollBarChange();
    FieldSwRngUpDownClick();
    DB0UpDownClick();
    UpdateModeControls();
}

void TFCW::UpdateModeControls()
{
    const bool frequencySweep = ModeIndex != 3;
    FreqSwRngRB->setEnabled(frequencySweep);
    FreqSwRngVal->setEnabled(frequencySweep);
    FreqSwRngUpDown->setEnabled(frequencySweep);
    for (size_t i = 0; i < ModeButtons.size(); ++i)
        ModeButtons[i]->setEnabled(ModeButtonTag[i]);
}

void TFCW::EnableParameterBoxes(bool flag)
{
    EnableChildren(ResonanceBox, flag);
    EnableChildren(ReceiverBox, flag);
    EnableChildren(FModulatorBox, flag);
    StartToolB->setEnabled(flag);
    if (flag) {
        UpdateModeControls();
        // The fixed 1H&19F sweep range keeps its arrows disabled.
        FieldSwRngUpDown->setEnabled(FieldSweepRangeMin(ModeIndex) != FieldSweepRangeMax(ModeIndex));
    }
}

void TFCW::ApplySetup()
{
    SetupRecord& r = Setup;
    const auto m = size_t(ModeIndex);
    LevelTB->setValue(r.Level);
    SetBarPosition(GainScrollBar, r.Gain);
    std::copy(r.Phase.begin(), r.Phase.end(), PhasePos.begin());
    SetBarPosition(PhaseScrollBar, PhasePos[m]);
    AccUpDown->SetPosition(r.Acc);
    std::copy(r.FieldSwRng.begin(), r.FieldSwRng.end(), FieldSwRngPos.begin());
    FieldSwRngUpDown->SetPosition(FieldSwRngPos[m]);
    FreqSwRngUpDown->SetPosition(r.FreqSwRng);
    ModAmpUpDown->SetPosition(r.ModAmp);
    SweepTUpDown->SetPosition(r.SweepT);
    std::copy(r.TuningB0.begin(), r.TuningB0.end(), TuningB0Pos.begin());
    TuningB0UpDown->SetPosition(TuningB0Pos[m]);
    DB0UpDown->SetPosition(r.DB0);
    std::copy(r.Frequency.begin(), r.Frequency.end(), FrequencyPos.begin());
    FrequencyUpDown->SetPosition(FrequencyPos[m]);
    DFrqUpDown->SetPosition(r.DFrq);

    int mode = std::clamp<int>(r.Mode, 0, 3);
    if (!OwnEnabled(ModeButtons[size_t(mode)]))
        mode = mode == 3 ? 0 : 3;
    r.Mode = uint8_t(mode);
    CheckModeButton(mode);

    GainScrollBarChange();
    AccUpDownClick();
    FreqSwRngUpDownClick();
    ModAmpUpDownClick();
    SweepTUpDownClick();
    DB0UpDownClick();
    DFrqUpDownClick();
    ModeButtonClick(mode);

    // ESR has no frequency sweep: there a setup's frequency sweep becomes a field sweep.
    if (r.FieldSweep != 0 || ModeIndex == 3)
        FieldSwRngRB->setChecked(true);
    else if (!FreqSwRngRB->isChecked())
        CheckSweepButton(FreqSwRngRB);
    MCDirFWDClick();
}
