// Wiring of the main window's controls to their handlers. Every handler runs
// guarded: an error ends it and is shown; the program goes on.

#include "UCW.h"

#include "Chart.h"
#include "KnownStopPanel.h"
#include "MenuOf.h"
#include "StatusBar.h"
#include "UOutMess.h"
#include "Operator.h"
#include "SerialLink.h"
#include "UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

void TFCW::ConnectHandlers()
{
    const auto onAction = [this](QAction* a, void (TFCW::*handler)()) {
        connect(a, &QAction::triggered, this, Guarded(this, handler));
    };
    onAction(MOpensetup, &TFCW::MOpensetupClick);
    onAction(MSavesetup, &TFCW::MSavesetupClick);
    onAction(MSavesetupas, &TFCW::MSavesetupasClick);
    onAction(MSaveas, &TFCW::MSaveasClick);
    onAction(MAbout, &TFCW::MAboutClick);
    connect(MExit, &QAction::triggered, this, &QWidget::close);
    for (int i = 0; i < 4; ++i)
        connect(MSpcCOM[size_t(i)], &QAction::triggered, this,
                [this, i] { RunGuarded([&] { SelectPort(QStringLiteral("COM%1").arg(i + 1)); }); });
    onAction(MLink, &TFCW::MLinkClick);
    onAction(MDataprocessing, &TFCW::MDataprocessingClick);
    onAction(MService, &TFCW::MServiceClick);
    onAction(Audio1, &TFCW::Audio1Click);
    onAction(MFileLocation, &TFCW::MFileLocationClick);
    // The menu item and the tool button share one handler, which toggles the
    // menu's check itself: undo the toggle the menu item made on its own.
    connect(MAccDiagram, &QAction::triggered, this, [this] {
        MAccDiagram->setChecked(!MAccDiagram->isChecked());
        RunGuarded([this] { AccDToolBClick(); });
    });
    onAction(MCDirFWD, &TFCW::MCDirFWDClick);
    onAction(MCDirREV, &TFCW::MCDirREVClick);

    const auto onButton = [this](QAbstractButton* b, void (TFCW::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, Guarded(this, handler));
    };
    onButton(StartToolB, &TFCW::StartToolBClick);
    onButton(HoldToolB, &TFCW::HoldToolBClick);
    onButton(AbortToolB, &TFCW::AbortToolBClick);
    onButton(VertMTB, &TFCW::VertMTBClick);
    onButton(HorizMTB, &TFCW::HorizMTBClick);
    onButton(AccDToolB, &TFCW::AccDToolBClick);
    onButton(DHToolB, &TFCW::DHToolBClick);
    onButton(DProcTB, &TFCW::MDataprocessingClick);
    onButton(SingleRB, &TFCW::SingleRBClick);
    onButton(LoopRB, &TFCW::SingleRBClick);
    onButton(FieldSwRngRB, &TFCW::FieldSwRngRBClick);
    onButton(FreqSwRngRB, &TFCW::FreqSwRngRBClick);
    for (int m = 0; m < 4; ++m)
        connect(ModeButtons[size_t(m)], &QAbstractButton::clicked, this,
                [this, m] { RunGuarded([&] { ModeButtonClick(m); }); });

    connect(CurrDiagramCBox, &QComboBox::activated, this, Guarded(this, &TFCW::CurrDiagramCBoxChange));
    connect(GainScrollBar, &QScrollBar::valueChanged, this, Guarded(this, &TFCW::GainScrollBarChange));
    connect(PhaseScrollBar, &QScrollBar::valueChanged, this, Guarded(this, &TFCW::PhaseScrollBarChange));

    const auto onArrows = [this](TUpDown* u, void (TFCW::*handler)()) { OnUpDownClick(u, this, handler); };
    onArrows(TuningB0UpDown, &TFCW::TuningB0UpDownClick);
    onArrows(DB0UpDown, &TFCW::DB0UpDownClick);
    onArrows(FrequencyUpDown, &TFCW::FrequencyUpDownClick);
    onArrows(DFrqUpDown, &TFCW::DFrqUpDownClick);
    onArrows(ModAmpUpDown, &TFCW::ModAmpUpDownClick);
    onArrows(FieldSwRngUpDown, &TFCW::FieldSwRngUpDownClick);
    onArrows(FreqSwRngUpDown, &TFCW::FreqSwRngUpDownClick);
    onArrows(SweepTUpDown, &TFCW::SweepTUpDownClick);
    onArrows(AccUpDown, &TFCW::AccUpDownClick);

    connect(LevelTB, &QSlider::valueChanged, this, Guarded(this, &TFCW::LevelTBChange));
    connect(Timer1, &QTimer::timeout, this, Guarded(this, &TFCW::Timer1Timer));
    connect(RunProgressTimer, &QTimer::timeout, this, Guarded(this, &TFCW::UpdateRunProgress));
    connect(MGs, &QAction::toggled, this, [this](bool gauss) {
        FSetup.SetB0InGauss(gauss);
        ShowSetup();
    });
    // The run is told the comment of its files as it is typed.
    connect(CommentEdit, &QLineEdit::textChanged, this, [this](const QString& text) { FRun.SetComment(text); });
    for (QMenu* m : {MenuOf(MPasses), MenuOf(MContinueAcc)})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdatePassCommands(); });
    connect(MPasses, &QAction::triggered, this, Guarded(this, &TFCW::MPassesClick));
    connect(MContinueAcc, &QAction::triggered, this, Guarded(this, &TFCW::MContinueAccClick));

    // Clicks on the chart, the group boxes and the tool bar stop a looping alarm.
    Fid->OnClick = [this] { FidClick(); };
    Fid->OnLayout = [this] { PlaceChartLabels(); };
    for (QWidget* w : std::initializer_list<QWidget*>{ReceiverBox, FModulatorBox, AcquisitionBox, ResonanceBox,
                                                      Level, findChild<QToolBar*>(QStringLiteral("ToolBar"))})
        w->installEventFilter(this);
    CommentEdit->installEventFilter(this);

    // The run's menu items act as their tool buttons and follow their state.
    for (const auto& [item, button] : {std::pair{MStart, StartToolB}, {MHold, HoldToolB}, {MAbort, AbortToolB}}) {
        connect(item, &QAction::triggered, button, [button = button] { button->click(); });
        button->installEventFilter(this);
    }
    SyncRunMenu();
    Fid->setFocusPolicy(Qt::StrongFocus);
    Fid->installEventFilter(this);
}

// What the instrument and the run report, shown; every slot runs guarded.
void TFCW::ConnectSpectrometer()
{
    TSpectrometer& s = *FSpectrometer;
    s.LineMonitor = [this](const QByteArray& line) { return MonitorLine(line); };
    const auto show = [this](auto* sender, auto signal, auto slot) {
        connect(sender, signal, this, [this, slot](auto... args) { RunGuarded([&] { (this->*slot)(args...); }); });
    };
    show(&s, &TSpectrometer::ConnectionChanged, &TFCW::ShowConnection);
    show(&s, &TSpectrometer::FieldSourceChanged, &TFCW::ShowFieldSource);
    show(&s, &TSpectrometer::Identified, &TFCW::ShowIdentification);
    show(&s, &TSpectrometer::PowerChanged, &TFCW::ShowPower);
    show(&s, &TSpectrometer::LinkLost, &TFCW::ShowLinkLost);
    connect(&s, &TSpectrometer::DeviceError, this,
            [this](const QString& code) { StatusBar->SetPanelText(4, QStringLiteral("Error: ") + code); });
    connect(&s, &TSpectrometer::BadLine, this, [this](const QString& text) { SetStatusText(*StatusBar, 2, text); });

    show(&FRun, &TRun::PassStarted, &TFCW::ShowPassStarted);
    show(&FRun, &TRun::StateChanged, &TFCW::ShowRunState);
    show(&FRun, &TRun::PointAdded, &TFCW::ShowPoint);
    show(&FRun, &TRun::HeldPointMoved, &TFCW::ShowHeldPoint);
    show(&FRun, &TRun::OutOfRangeCounted, &TFCW::ShowOutOfRange);
    show(&FRun, &TRun::PassCompleted, &TFCW::ShowPassCompleted);
    show(&FRun, &TRun::PassEnded, &TFCW::ShowPassEnded);
    show(&FRun, &TRun::RunEnded, &TFCW::ShowRunEnded);
    show(&FRun, &TRun::HoldChanged, &TFCW::SetHoldState);
    // The counter and the progress line tell one count: both change at once.
    connect(&FRun, &TRun::CountChanged, this, [this] {
        SetAccStatus();
        UpdateRunProgress();
    });
    connect(&FRun, &TRun::KnownUpdated, this, [this] {
        KnownPanel->ShowFits(FRun, FSetup.SweepUnit());
        UpdateRunProgress();
    });
    connect(&FRun, &TRun::PassRefused, this, [this](const QString& text) { SetStatusText(*StatusBar, 2, text); });
    connect(&FRun, &TRun::Error, this, [this](const QString& text) { SetStatusText(*StatusBar, 4, text); });
    show(&FRun, &TRun::ProblemChanged, &TFCW::ShowProblem);
    connect(ProblemOkTB, &QToolButton::clicked, this, [this] { FRun.AcknowledgeProblem(); });
}

void TFCW::SyncRunMenu()
{
    MStart->setEnabled(StartToolB->isEnabled());
    MHold->setEnabled(HoldToolB->isEnabled());
    MAbort->setEnabled(AbortToolB->isEnabled());
    MHold->setText(HoldToolB->text());
}
