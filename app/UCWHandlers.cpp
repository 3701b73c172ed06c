// Wiring of the main window's controls to their handlers. Every handler runs
// guarded: an error ends it and is shown; the program goes on.

#include "UCW.h"

#include "Chart.h"
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

    connect(Timer1, &QTimer::timeout, this, Guarded(this, &TFCW::Timer1Timer));
    connect(RunProgressTimer, &QTimer::timeout, this, Guarded(this, &TFCW::UpdateRunProgress));
    ComPort1.OnRxFlag = [this] { ComPort1RxFlag(); };
    ComPort1.OnDSRChange = [this] { ComPort1DSRChange(); };
    ComPort1.OnCTSChange = [this] { ComPort1DSRChange(); };
    ComPort1.OnLinkLost = [this](const QString&) { ComPort1LinkLost(); };

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

void TFCW::SyncRunMenu()
{
    MStart->setEnabled(StartToolB->isEnabled());
    MHold->setEnabled(HoldToolB->isEnabled());
    MAbort->setEnabled(AbortToolB->isEnabled());
    MHold->setText(HoldToolB->text());
}
