// Experiment parameters: each control hands its position to the setup, which
// sends the command; then every control shows what the setup holds.

#include "UCW.h"

#include "Chart.h"
#include "NumFormat.h"
#include "KnownStopPanel.h"
#include "UOutMess.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QAction>
#include <QCheckBox>
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

struct TBoxOf {
    TParameter Parameter;
    TValueBox* TFCW::*Box;
    TUpDown* TFCW::*Arrows;
};
const TBoxOf ValueBoxes[] = {
    {TParameter::TuningB0, &TFCW::TuningB0Val, &TFCW::TuningB0UpDown},
    {TParameter::DB0, &TFCW::DB0Val, &TFCW::DB0UpDown},
    {TParameter::Frequency, &TFCW::FrequencyVal, &TFCW::FrequencyUpDown},
    {TParameter::DFrq, &TFCW::DFrqVal, &TFCW::DFrqUpDown},
    {TParameter::ModAmp, &TFCW::ModAmpVal, &TFCW::ModAmpUpDown},
    {TParameter::FieldSwRng, &TFCW::FieldSwRngVal, &TFCW::FieldSwRngUpDown},
    {TParameter::FreqSwRng, &TFCW::FreqSwRngVal, &TFCW::FreqSwRngUpDown},
    {TParameter::SweepT, &TFCW::SweepTVal, &TFCW::SweepTUpDown},
    {TParameter::Acc, &TFCW::AccVal, &TFCW::AccUpDown},
};

} // namespace

// Each value box shows the setup's caption of its arrows' position; a typed
// value selects the position with the nearest caption.
void TFCW::AttachValueBoxes()
{
    for (const TBoxOf& b : ValueBoxes) {
        TValueBox* box = this->*b.Box;
        box->Attach(this->*b.Arrows, [this, p = b.Parameter](int position) { return FSetup.Caption(p, position); });
        connect(box, &TValueBox::Adjusted, this, &TFCW::ShowParameterNote);
    }
}

void TFCW::ShowSetup()
{
    // A note on a typed value describes the setup before this change.
    ClearParameterNote();
    for (const TBoxOf& b : ValueBoxes) {
        TUpDown* arrows = this->*b.Arrows;
        arrows->SetRange(FSetup.Min(b.Parameter), FSetup.Max(b.Parameter));
        arrows->SetPosition(FSetup.Position(b.Parameter));
        (this->*b.Box)->ShowPosition(FSetup.Position(b.Parameter));
    }
    TuningB0UpDown->SetIncrement(FSetup.B0Increment());
    FrequencyUpDown->SetIncrement(FSetup.FrequencyIncrement());
    SetBarPosition(GainScrollBar, FSetup.Position(TParameter::Gain));
    GainVal->setText(FSetup.Caption(TParameter::Gain));
    SetBarPosition(PhaseScrollBar, FSetup.Position(TParameter::Phase));
    PhaseVal->setText(FSetup.Caption(TParameter::Phase));
    SetBarPosition(LevelTB, FSetup.Position(TParameter::Level));
    ModeButtons[size_t(FSetup.Mode())]->setChecked(true);
    (FSetup.FieldSweep() ? FieldSwRngRB : FreqSwRngRB)->setChecked(true);
    (FSetup.Forward() ? MCDirFWD : MCDirREV)->setChecked(true);
    SetupXAxis();
    SetAccStatus();
}

void TFCW::GainScrollBarChange()
{
    FSetup.Choose(TParameter::Gain, GainScrollBar->value());
    ShowSetup();
}

void TFCW::PhaseScrollBarChange()
{
    FSetup.Choose(TParameter::Phase, PhaseScrollBar->value());
    ShowSetup();
}

void TFCW::TuningB0UpDownClick()
{
    FSetup.Choose(TParameter::TuningB0, TuningB0UpDown->Position());
    ShowSetup();
}

void TFCW::DB0UpDownClick()
{
    FSetup.Choose(TParameter::DB0, DB0UpDown->Position());
    ShowSetup();
}

void TFCW::FrequencyUpDownClick()
{
    FSetup.Choose(TParameter::Frequency, FrequencyUpDown->Position());
    ShowSetup();
}

void TFCW::DFrqUpDownClick()
{
    FSetup.Choose(TParameter::DFrq, DFrqUpDown->Position());
    ShowSetup();
}

void TFCW::ModAmpUpDownClick()
{
    FSetup.Choose(TParameter::ModAmp, ModAmpUpDown->Position());
    ShowSetup();
}

void TFCW::FieldSwRngUpDownClick()
{
    FSetup.Choose(TParameter::FieldSwRng, FieldSwRngUpDown->Position());
    ShowSetup();
}

void TFCW::FreqSwRngUpDownClick()
{
    FSetup.Choose(TParameter::FreqSwRng, FreqSwRngUpDown->Position());
    ShowSetup();
}

void TFCW::SweepTUpDownClick()
{
    FSetup.Choose(TParameter::SweepT, SweepTUpDown->Position());
    ShowSetup();
}

void TFCW::AccUpDownClick()
{
    FSetup.Choose(TParameter::Acc, AccUpDown->Position());
    ShowSetup();
}

void TFCW::LevelTBChange()
{
    FSetup.Choose(TParameter::Level, LevelTB->value());
}

void TFCW::SetAccStatus()
{
    SetStatusText(*StatusBar, 0, Format(QStringLiteral("%d of %d"), {FRun.Pass(), FSetup.Position(TParameter::Acc)}));
}

void TFCW::SingleRBClick()
{
    // The name and comment serve the automatic store, which only a single run makes.
    const bool single = SingleRB->isChecked() && OwnEnabled(SingleRB);
    for (QWidget* w : std::initializer_list<QWidget*>{FNameEdit, CommentEdit, FileLab, CommentLab, KnownPanel->KnownCB})
        w->setEnabled(single);
}

void TFCW::FieldSwRngRBClick()
{
    FSetup.SelectSweep(true);
    ShowSetup();
}

void TFCW::FreqSwRngRBClick()
{
    FSetup.SelectSweep(false);
    ShowSetup();
}

void TFCW::MCDirFWDClick()
{
    FSetup.SetDirection(true);
    ShowSetup();
}

void TFCW::MCDirREVClick()
{
    FSetup.SetDirection(false);
    ShowSetup();
}

void TFCW::ModeButtonClick(int m)
{
    FSetup.SelectMode(m);
    FieldSwRngUpDown->setEnabled(FSetup.Min(TParameter::FieldSwRng) != FSetup.Max(TParameter::FieldSwRng));
    ShowSetup();
    UpdateModeControls();
}

void TFCW::UpdateModeControls()
{
    const bool frequencySweep = FSetup.Mode() != EsrMode;
    FreqSwRngRB->setEnabled(frequencySweep);
    FreqSwRngVal->setEnabled(frequencySweep);
    FreqSwRngUpDown->setEnabled(frequencySweep);
    for (size_t i = 0; i < ModeButtons.size(); ++i)
        ModeButtons[i]->setEnabled(FSpectrometer->ModeAllowed(int(i)));
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
        FieldSwRngUpDown->setEnabled(FSetup.Min(TParameter::FieldSwRng) != FSetup.Max(TParameter::FieldSwRng));
    }
}

void TFCW::ApplySetup()
{
    PutSetup([](TSpectrometer& s, const std::array<bool, 4>& allowed) { s.Setup().Apply(allowed); });
}

void TFCW::SendSetupToInstrument()
{
    PutSetup([](TSpectrometer& s, const std::array<bool, 4>& allowed) { s.SendSetup(allowed); });
}

void TFCW::PutSetup(void (*put)(TSpectrometer&, const std::array<bool, 4>&))
{
    std::array<bool, 4> allowed{};
    for (size_t i = 0; i < allowed.size(); ++i)
        allowed[i] = OwnEnabled(ModeButtons[i]);
    const int before = FSetup.Mode();
    put(*FSpectrometer, allowed);
    if (FSetup.Mode() != before)
        FieldSwRngUpDown->setEnabled(FSetup.Min(TParameter::FieldSwRng) != FSetup.Max(TParameter::FieldSwRng));
    ShowSetup();
    UpdateModeControls();
}
