// The main window's controls and their arrangement.

#include "Accessibility.h"
#include "Chart.h"
#include "ColumnArea.h"
#include "ElidedLabel.h"
#include "KnownStopPanel.h"
#include "MenuOf.h"
#include <QCheckBox>
#include "Operator.h"
#include "StatusBar.h"
#include "UCW.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLabel* ValueLabel(QWidget* parent, const QString& accessibleName)
{
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(84);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setAccessibleName(accessibleName);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

TUpDown* Arrows(QWidget* parent, const QString& accessibleName, int minimum, int maximum)
{
    auto* u = new TUpDown(parent);
    u->SetRange(minimum, maximum);
    u->setAccessibleName(accessibleName);
    u->setToolTip(accessibleName);
    return u;
}

QScrollBar* Bar(QWidget* parent, const QString& accessibleName, int maximum)
{
    auto* b = new QScrollBar(Qt::Horizontal, parent);
    b->setRange(0, maximum);
    b->setPageStep(10);
    b->setMinimumWidth(100);
    b->setFocusPolicy(Qt::StrongFocus);   // in the Tab order
    b->setAccessibleName(accessibleName);
    b->setToolTip(accessibleName);
    return b;
}

QToolButton* ToolButton(QToolBar* bar, const QString& caption, const QString& hint, bool checkable = false)
{
    auto* b = new QToolButton(bar);
    b->setText(caption);
    b->setToolTip(hint.isEmpty() ? caption : hint);
    b->setAccessibleName(hint.isEmpty() ? caption : hint);
    b->setCheckable(checkable);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(b);
    return b;
}

QAction* MenuItem(QMenu* menu, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    return a;
}

} // namespace

void TFCW::CreateControls()
{
    CreateMenus();
    CreatePassCommands();
    CreateToolBar();

    // The chart and the controls over the progress line and the status panels.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 0);
    column->setSpacing(1);
    auto* row = new QHBoxLayout;
    column->addLayout(row, 1);
    CreateChart();
    row->addWidget(Fid, 1);

    Level = new QGroupBox(QStringLiteral("DC"), central);
    Level->setToolTip(QStringLiteral("DC offset"));
    auto* levelLayout = new QVBoxLayout(Level);
    LevelTB = new QSlider(Qt::Vertical, Level);
    LevelTB->setRange(-500, 500);
    LevelTB->setPageStep(10);
    LevelTB->setInvertedAppearance(false);
    LevelTB->setAccessibleName(QStringLiteral("DC offset"));
    LevelTB->setToolTip(QStringLiteral("DC offset"));
    levelLayout->addWidget(LevelTB, 0, Qt::AlignHCenter);
    row->addWidget(Level);
    // The parameters scroll on a screen too low for all of them.
    auto* parameterArea = new TColumnArea(CreateParameterPanel(), central);
    parameterArea->setObjectName(QStringLiteral("ParameterArea"));
    row->addWidget(parameterArea);
    setCentralWidget(central);

    StatusBar = new TStatusBar(central);
    StatusBar->AddPanel(QStringLiteral("Acc: "), 85);
    StatusBar->AddPanel(QStringLiteral("Last Data Saved In: "), 180);
    StatusBar->AddPanel(QStringLiteral("Spectrometer: "), 250);
    StatusBar->AddPanel(QStringLiteral("Magnetic Field Source: "), 195);
    StatusBar->AddPanel(QStringLiteral("DB: "), 100);
    // A line of its own above the panels, as wide as the window, so the run's
    // progress and the path of a written file are read whole.
    auto* bottomArea = new QWidget(central);
    auto* bottomRows = new QVBoxLayout(bottomArea);
    bottomRows->setContentsMargins(0, 0, 0, 0);
    bottomRows->setSpacing(1);
    auto* activityRow = new QHBoxLayout;
    RunProgressBar = new QProgressBar(bottomArea);
    RunProgressBar->setRange(0, 100);
    RunProgressBar->setTextVisible(true);
    RunProgressBar->setFont(StatusBar->font());
    RunProgressBar->setAccessibleName(QStringLiteral("Run progress"));
    RunProgressBar->hide();
    ActivityLab = new TElidedLabel(bottomArea, Qt::ElideMiddle);
    ActivityLab->setFont(StatusBar->font());
    ActivityLab->setMargin(1);
    // As high as a line of the status bar's text, so the window still fits a 600 pixel screen.
    const int rowHeight = StatusBar->fontMetrics().height() + 4;
    ActivityLab->setFixedHeight(rowHeight);
    RunProgressBar->setFixedHeight(rowHeight);
    ProblemLab = new TElidedLabel(bottomArea, Qt::ElideMiddle);
    ProblemLab->setObjectName(QStringLiteral("ProblemLab"));
    ProblemLab->setFont(StatusBar->font());
    ProblemLab->setFixedHeight(rowHeight);
    ProblemLab->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    ProblemLab->hide();
    ProblemOkTB = new QToolButton(bottomArea);
    ProblemOkTB->setObjectName(QStringLiteral("ProblemOkTB"));
    ProblemOkTB->setText(QStringLiteral("OK"));
    ProblemOkTB->setAccessibleName(QStringLiteral("Problem seen"));
    ProblemOkTB->setToolTip(QStringLiteral("The problem has been seen: hide it"));
    ProblemOkTB->setFixedHeight(rowHeight);
    ProblemOkTB->hide();
    activityRow->addWidget(RunProgressBar, 1);
    activityRow->addWidget(ActivityLab, 1);
    activityRow->addWidget(ProblemLab, 1);
    activityRow->addWidget(ProblemOkTB);
    bottomRows->addLayout(activityRow);
    bottomRows->addWidget(StatusBar);
    column->addWidget(bottomArea);
    RunProgressTimer = new QTimer(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    SetupOpenDialog = std::make_unique<TFileDialog>();
    SetupOpenDialog->Title = QStringLiteral("Select setup file");
    SetupOpenDialog->Filter = QStringLiteral("setup file (*.cfg)|*.cfg");
    SetupSaveDialog = std::make_unique<TFileDialog>();
    SetupSaveDialog->Kind = TFileDialogKind::Save;
    SetupSaveDialog->Title = QStringLiteral("Save setup file as ...");
    SetupSaveDialog->Filter = QStringLiteral("setup file (*.cfg)|*.cfg");
    SetupSaveDialog->DefaultExt = QStringLiteral("cfg");
    DAcqSaveDialog = std::make_unique<TFileDialog>();
    DAcqSaveDialog->Kind = TFileDialogKind::Save;
    DAcqSaveDialog->Title = QStringLiteral("Save data as ...");
    DAcqSaveDialog->Filter = QStringLiteral("Meril data file (*.dcw)|*.dcw");
    DAcqSaveDialog->DefaultExt = QStringLiteral("dcw");

    // The buttons Qt adds to a menu bar or tool bar that is too narrow.
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->accessibleName().isEmpty() && b->objectName().endsWith(QLatin1String("_ext_button")))
            b->setAccessibleName(QStringLiteral("More"));
}

void TFCW::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    MOpensetup = MenuItem(file, QStringLiteral("Open setup"));
    MSavesetup = MenuItem(file, QStringLiteral("Save setup"));
    MSavesetupas = MenuItem(file, QStringLiteral("Save setup as..."));
    file->addSeparator();
    MSaveas = MenuItem(file, QStringLiteral("Save data as ..."));
    file->addSeparator();
    MAbout = MenuItem(file, QStringLiteral("About"));
    file->addSeparator();
    MExit = MenuItem(file, QStringLiteral("Exit"));
    MSavesetup->setEnabled(false);
    MOpensetup->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    MSaveas->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    MExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* spc = menuBar()->addMenu(QStringLiteral("&Spectrometer"));
    connect(spc, &QMenu::aboutToShow, this, [this] {
        RefreshPortMenu();
        SyncRunMenu();
    });
    auto* ports = new QActionGroup(this);
    for (int i = 0; i < 4; ++i) {
        MSpcCOM[size_t(i)] = MenuItem(spc, QStringLiteral("COM%1").arg(i + 1));
        MSpcCOM[size_t(i)]->setCheckable(true);
        ports->addAction(MSpcCOM[size_t(i)]);
    }
    ports->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    MSpcDevices = spc->addMenu(QStringLiteral("Other port"));
    spc->addSeparator();
    MLink = MenuItem(spc, QStringLiteral("Connect"));
    spc->addSeparator();
    // The run's tool buttons in the menu, for their keys.
    MStart = MenuItem(spc, QStringLiteral("Start"));
    MHold = MenuItem(spc, QStringLiteral("Hold"));
    MAbort = MenuItem(spc, QStringLiteral("Abort"));
    MStart->setShortcut(QKeySequence(Qt::Key_F5));
    MHold->setShortcut(QKeySequence(Qt::Key_F6));
    MAbort->setShortcut(QKeySequence(Qt::Key_Escape));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    MDataprocessing = MenuItem(tools, QStringLiteral("Data Processing"));
    MDataprocessing->setShortcut(QKeySequence(Qt::Key_F9));
    MService = MenuItem(tools, QStringLiteral("Service"));
    tools->addSeparator();
    MAccDiagram = MenuItem(tools, QStringLiteral("Accumulation Pass"));
    MAccDiagram->setCheckable(true);
    MCurrentdirection = tools->addMenu(QStringLiteral("Current direction"));
    auto* dirs = new QActionGroup(this);
    MCDirFWD = MenuItem(MCurrentdirection, QStringLiteral("FWD"));
    MCDirREV = MenuItem(MCurrentdirection, QStringLiteral("REV"));
    for (QAction* a : {MCDirFWD, MCDirREV}) {
        a->setCheckable(true);
        dirs->addAction(a);
    }
    MCurrentdirection->menuAction()->setEnabled(false);
    MUnits = tools->addMenu(QStringLiteral("Units"));
    auto* units = new QActionGroup(this);
    MGs = MenuItem(MUnits, QStringLiteral("Gs"));
    MmT = MenuItem(MUnits, QStringLiteral("mT"));
    for (QAction* a : {MGs, MmT}) {
        a->setCheckable(true);
        units->addAction(a);
    }
    MGs->setChecked(true);
    MUnits->setEnabled(false);
    tools->addSeparator();
    Audio1 = MenuItem(tools, QStringLiteral("Audio"));
    MFileLocation = MenuItem(tools, QStringLiteral("File Location"));
}

void TFCW::CreateToolBar()
{
    auto* bar = new QToolBar(QStringLiteral("ToolBar"), this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, bar);
    StartToolB = ToolButton(bar, QStringLiteral("Start"), QString());
    HoldToolB = ToolButton(bar, QStringLiteral("Hold"), QString(), true);
    AbortToolB = ToolButton(bar, QStringLiteral("Abort"), QString());
    bar->addSeparator();
    VertMTB = ToolButton(bar, QStringLiteral("V"), QStringLiteral("Vertical marker"), true);
    HorizMTB = ToolButton(bar, QStringLiteral("H"), QStringLiteral("Horizontal marker"), true);
    VertMTB->setAutoExclusive(true);
    HorizMTB->setAutoExclusive(true);
    VertMTB->setChecked(true);
    bar->addSeparator();
    SweepDLabel = new QLabel(QStringLiteral("Pass Display: "), bar);
    bar->addWidget(SweepDLabel);
    CurrDiagramCBox = new QComboBox(bar);
    CurrDiagramCBox->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                               QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("off")});
    CurrDiagramCBox->setAccessibleName(QStringLiteral("Pass Display"));
    CurrDiagramCBox->setToolTip(QStringLiteral("Pass Display"));
    SweepDLabel->setBuddy(CurrDiagramCBox);
    bar->addWidget(CurrDiagramCBox);
    AccDToolB = ToolButton(bar, QStringLiteral("Acc"), QStringLiteral("Accumulation Pass"), true);
    bar->addSeparator();
    DHToolB = ToolButton(bar, QStringLiteral("DB"), QStringLiteral("DB"));
    bar->addSeparator();
    DProcTB = ToolButton(bar, QStringLiteral("Processing"), QStringLiteral("Data Processing"));
    // The Start, Hold and Abort buttons are named by their captions.
    StartToolB->setAccessibleName(QStringLiteral("Start"));
    HoldToolB->setAccessibleName(QStringLiteral("Hold"));
    AbortToolB->setAccessibleName(QStringLiteral("Abort"));
    QFont small = bar->font();
    small.setPointSize(8);
    for (QWidget* w : bar->findChildren<QWidget*>())
        w->setFont(small);
    // Hold becomes Continue on hold: the button keeps the longer caption's
    // width, so the buttons after it stay where they are.
    HoldToolB->setText(QStringLiteral("Continue"));
    HoldToolB->setMinimumWidth(HoldToolB->sizeHint().width());
    HoldToolB->setText(QStringLiteral("Hold"));
}

QWidget* TFCW::CreateParameterPanel()
{
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    ResonanceBox = new QGroupBox(QStringLiteral("Resonance"), panel);
    auto* modes = new QGridLayout(ResonanceBox);
    for (int i = 0; i < 4; ++i)
        ModeButtons[size_t(i)] = new QRadioButton(ModeCaption(i), ResonanceBox);
    HydrogenRB = ModeButtons[0];
    FluorineRB = ModeButtons[1];
    HFRB = ModeButtons[2];
    EPRResRB = ModeButtons[3];
    for (int i = 0; i < 4; ++i) {
        QRadioButton* b = ModeButtons[size_t(i)];
        b->setAccessibleName(i == 2 ? QStringLiteral("NMR 1H &19F") : b->text());
        modes->addWidget(b, i / 2, i % 2);
    }
    TabStopOnChecked({HydrogenRB, FluorineRB, HFRB, EPRResRB});
    column->addWidget(ResonanceBox);

    ReceiverBox = new QGroupBox(QStringLiteral("Receiver"), panel);
    auto* rx = new QGridLayout(ReceiverBox);
    Gain = new QLabel(QStringLiteral("Gain"), ReceiverBox);
    GainScrollBar = Bar(ReceiverBox, QStringLiteral("Gain"), 255);
    GainVal = ValueLabel(ReceiverBox, QStringLiteral("Gain value"));
    Phase = new QLabel(QStringLiteral("Phase"), ReceiverBox);
    PhaseScrollBar = Bar(ReceiverBox, QStringLiteral("Phase"), 239);
    PhaseVal = ValueLabel(ReceiverBox, QStringLiteral("Phase value"));
    TuningB0Lab = new QLabel(QStringLiteral("B0"), ReceiverBox);
    TuningB0Val = new TValueBox(ReceiverBox, QStringLiteral("B0"));
    TuningB0UpDown = Arrows(ReceiverBox, QStringLiteral("B0"), -2000, 2000);
    B0ByLab = new QLabel(QStringLiteral("by"), ReceiverBox);
    DB0Val = new TValueBox(ReceiverBox, QStringLiteral("B0 step"));
    DB0UpDown = Arrows(ReceiverBox, QStringLiteral("B0 step"), 0, 3);
    FreqLab = new QLabel(QStringLiteral("Frequency"), ReceiverBox);
    FrequencyVal = new TValueBox(ReceiverBox, QStringLiteral("Frequency"));
    FrequencyUpDown = Arrows(ReceiverBox, QStringLiteral("Frequency"), -2000, 2000);
    FByLab = new QLabel(QStringLiteral("by"), ReceiverBox);
    DFrqVal = new TValueBox(ReceiverBox, QStringLiteral("Frequency step"));
    DFrqUpDown = Arrows(ReceiverBox, QStringLiteral("Frequency step"), 0, 3);
    rx->addWidget(Gain, 0, 0);
    rx->addWidget(GainScrollBar, 0, 1, 1, 3);
    rx->addWidget(GainVal, 0, 4);
    rx->addWidget(Phase, 1, 0);
    rx->addWidget(PhaseScrollBar, 1, 1, 1, 3);
    rx->addWidget(PhaseVal, 1, 4);
    rx->addWidget(TuningB0Lab, 2, 0);
    rx->addWidget(TuningB0Val, 2, 1, 1, 2);
    rx->addWidget(TuningB0UpDown, 2, 3);
    rx->addWidget(B0ByLab, 3, 0, Qt::AlignRight);
    rx->addWidget(DB0Val, 3, 1, 1, 2);
    rx->addWidget(DB0UpDown, 3, 3);
    rx->addWidget(FreqLab, 4, 0);
    rx->addWidget(FrequencyVal, 4, 1, 1, 2);
    rx->addWidget(FrequencyUpDown, 4, 3);
    rx->addWidget(FByLab, 5, 0, Qt::AlignRight);
    rx->addWidget(DFrqVal, 5, 1, 1, 2);
    rx->addWidget(DFrqUpDown, 5, 3);
    column->addWidget(ReceiverBox);

    FModulatorBox = new QGroupBox(QStringLiteral("Modulation and sweep"), panel);
    auto* mod = new QGridLayout(FModulatorBox);
    ModAmp = new QLabel(QStringLiteral("Mod Amp"), FModulatorBox);
    ModAmpVal = new TValueBox(FModulatorBox, QStringLiteral("Modulation amplitude"));
    ModAmpUpDown = Arrows(FModulatorBox, QStringLiteral("Modulation amplitude"), 1, 11);
    FieldSwRngRB = new QRadioButton(QStringLiteral("Field sweep"), FModulatorBox);
    FieldSwRngVal = new TValueBox(FModulatorBox, QStringLiteral("Field sweep range"));
    FieldSwRngUpDown = Arrows(FModulatorBox, QStringLiteral("Field sweep range"), 1, 10);
    FreqSwRngRB = new QRadioButton(QStringLiteral("Freq sweep"), FModulatorBox);
    FreqSwRngVal = new TValueBox(FModulatorBox, QStringLiteral("Frequency sweep range"));
    FreqSwRngUpDown = Arrows(FModulatorBox, QStringLiteral("Frequency sweep range"), 1, 9);
    SweepTLab = new QLabel(QStringLiteral("Sweep time"), FModulatorBox);
    SweepTVal = new TValueBox(FModulatorBox, QStringLiteral("Sweep time"));
    SweepTUpDown = Arrows(FModulatorBox, QStringLiteral("Sweep time"), 1, 7);
    FieldSwRngRB->setAccessibleName(FieldSwRngRB->text());
    FreqSwRngRB->setAccessibleName(FreqSwRngRB->text());
    mod->addWidget(ModAmp, 0, 0);
    mod->addWidget(ModAmpVal, 0, 1);
    mod->addWidget(ModAmpUpDown, 0, 2);
    mod->addWidget(FieldSwRngRB, 1, 0);
    mod->addWidget(FieldSwRngVal, 1, 1);
    mod->addWidget(FieldSwRngUpDown, 1, 2);
    mod->addWidget(FreqSwRngRB, 2, 0);
    mod->addWidget(FreqSwRngVal, 2, 1);
    mod->addWidget(FreqSwRngUpDown, 2, 2);
    mod->addWidget(SweepTLab, 3, 0);
    mod->addWidget(SweepTVal, 3, 1);
    mod->addWidget(SweepTUpDown, 3, 2);
    column->addWidget(FModulatorBox);

    AcquisitionBox = new QGroupBox(QStringLiteral("Acquisition"), panel);
    auto* acq = new QGridLayout(AcquisitionBox);
    AccLab = new QLabel(QStringLiteral("Accumulations"), AcquisitionBox);
    AccVal = new TValueBox(AcquisitionBox, QStringLiteral("Accumulations"));
    AccVal->setMinimumWidth(40);
    AccUpDown = Arrows(AcquisitionBox, QStringLiteral("Accumulations"), 1, 99);
    SingleRB = new QRadioButton(QStringLiteral("Single"), AcquisitionBox);
    LoopRB = new QRadioButton(QStringLiteral("Loop"), AcquisitionBox);
    SingleRB->setAccessibleName(SingleRB->text());
    LoopRB->setAccessibleName(LoopRB->text());
    SingleRB->setChecked(true);
    FileLab = new QLabel(QStringLiteral("Store in file"), AcquisitionBox);
    FNameEdit = new QLineEdit(AcquisitionBox);
    FNameEdit->setToolTip(QStringLiteral("File name"));
    FNameEdit->setAccessibleName(QStringLiteral("File name"));
    FileLab->setBuddy(FNameEdit);
    CommentLab = new QLabel(QStringLiteral("Comment"), AcquisitionBox);
    CommentEdit = new QLineEdit(AcquisitionBox);
    CommentEdit->setToolTip(QStringLiteral("Comment"));
    CommentEdit->setAccessibleName(QStringLiteral("Comment"));
    CommentEdit->setMaxLength(255);
    CommentLab->setBuddy(CommentEdit);
    acq->addWidget(AccLab, 0, 0);
    acq->addWidget(AccVal, 0, 1);
    acq->addWidget(AccUpDown, 0, 2);
    KnownPanel = new TKnownStopPanel(panel);
    auto* runKind = new QHBoxLayout;
    runKind->addWidget(LoopRB);
    runKind->addStretch(1);
    runKind->addWidget(KnownPanel->KnownCB);
    acq->addWidget(SingleRB, 1, 0);
    acq->addLayout(runKind, 1, 1, 1, 2);
    acq->addWidget(FileLab, 2, 0);
    acq->addWidget(FNameEdit, 2, 1, 1, 2);
    acq->addWidget(CommentLab, 3, 0);
    acq->addWidget(CommentEdit, 3, 1, 1, 2);
    acq->addWidget(KnownPanel, 4, 0, 1, 3);
    column->addWidget(AcquisitionBox);
    column->addStretch(1);
    // Close rows, so that the window fits a screen 600 pixels high.
    column->setSpacing(2);
    for (QGridLayout* grid : {modes, rx, mod, acq}) {
        grid->setContentsMargins(6, 2, 6, 2);
        grid->setVerticalSpacing(1);
    }

    // Captions of labels name the controls next to them for assistive technology.
    for (QLabel* l : {Gain, Phase, TuningB0Lab, B0ByLab, FreqLab, FByLab, ModAmp, SweepTLab, AccLab})
        l->setAccessibleName(l->text());
    Gain->setBuddy(GainScrollBar);
    Phase->setBuddy(PhaseScrollBar);
    AttachValueBoxes();

    HoldControls = {GainScrollBar, GainVal, Gain, PhaseScrollBar, PhaseVal, Phase, ModAmpUpDown,
                    ModAmpVal, ModAmp, FByLab, DFrqVal, DFrqUpDown, FreqLab, FrequencyVal,
                    FrequencyUpDown, B0ByLab, DB0Val, DB0UpDown, TuningB0Lab, TuningB0Val,
                    TuningB0UpDown};
    return panel;
}

void TFCW::CreatePassCommands()
{
    MPasses = new QAction(QStringLiteral("Passes..."), this);
    MContinueAcc = new QAction(QStringLiteral("Continue accumulation"), this);
    MKeepPasses = new QAction(QStringLiteral("Keep every pass"), this);
    MKeepPasses->setCheckable(true);
    MKeepPasses->setChecked(true);
    QMenu* file = MenuOf(MSaveas);
    file->insertAction(MSaveas, MPasses);
    QMenu* spc = MenuOf(MAbort);
    spc->addAction(MContinueAcc);
    QMenu* tools = MenuOf(MFileLocation);
    tools->addAction(MKeepPasses);
}

void TFCW::CreateChart()
{
    Fid = new TChart(this);
    Fid->setObjectName(QStringLiteral("Fid"));
    Fid->setMinimumSize(320, 240);
    for (auto& s : Series)
        s = &Fid->AddSeries();
    SeriesAcc = &Fid->AddSeries();
    Fid->RightAxis().SetMinMax(-500, 500);
    Fid->RightAxis().SetIncrement(250);

    LegendPanel = new QWidget(Fid);
    auto* legend = new QHBoxLayout(LegendPanel);
    legend->setContentsMargins(0, 0, 0, 0);
    legend->setSpacing(2);
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(QString::number(i + 1), LegendPanel);
        l->setAlignment(Qt::AlignCenter);
        l->setFixedSize(22, 16);
        l->setAccessibleName(QStringLiteral("Pass %1").arg(i + 1));
        legend->addWidget(l);
        Legends[size_t(i)] = l;
    }

    OutOfRangeLab = new QLabel(QStringLiteral(" out of range: "), Fid);
    QFont f = OutOfRangeLab->font();
    f.setPointSize(7);
    OutOfRangeLab->setFont(f);
    OutOfRangeLab->setStyleSheet(QStringLiteral("background: #c00000; color: white;"));
    OutOfRangeLab->setFixedHeight(14);
    OutOfRangeLab->hide();

    XYST = new QLabel(Fid);
    DBST = new QLabel(Fid);
    // The marker writes its readout while the chart draws: room for the longest one.
    for (QLabel* l : {XYST, DBST}) {
        l->setStyleSheet(QStringLiteral("background: rgba(0,0,0,160); color: white; padding: 1px 4px;"));
        l->setFixedSize(l->fontMetrics().horizontalAdvance(QStringLiteral(" B: -88 888.88 kHz \u2022 A: -8888 a.u. ")) + 10,
                        l->fontMetrics().height() + 4);
        l->hide();
    }
    XYST->setAccessibleName(QStringLiteral("Marker readout"));
    DBST->setAccessibleName(QStringLiteral("DB readout"));
}

void TFCW::PlaceChartLabels()
{
    const QRect plot = Fid->ChartRect();
    LegendPanel->adjustSize();
    XYST->move(plot.left() + 4, plot.top() + 4);
    // The legend sits at the top right, or at the bottom right where the
    // readout would reach it on a narrow chart.
    const int legendLeft = plot.right() - LegendPanel->width() - 6;
    LegendPanel->move(legendLeft, legendLeft > XYST->geometry().right() + 4
                                      ? plot.top() + 6
                                      : plot.bottom() - LegendPanel->height() - 6);
    DBST->move(plot.left() + 4, plot.top() + 8 + XYST->height());
    // 56 pixels below the top of the chart, 38 pixels right of the plot's left
    // edge; lower where the readouts need the room.
    OutOfRangeLab->adjustSize();
    OutOfRangeLab->move(plot.left() + 38, std::max(56, DBST->geometry().bottom() + 5));
}
