// The processing window's controls and their arrangement: the first tool bar
// row, the upper chart, the second row with the tool bars of the views, the
// lower chart, and the two group boxes on the right. The charts grow with
// the window.

#include "Chart.h"
#include "ElidedLabel.h"
#include "FlowLayout.h"
#include "ResultsArea.h"
#include "SpectrumFiles.h"
#include "StatusBar.h"
#include "UDataProc.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolBar* ToolBar(QWidget* parent, const QString& name)
{
    auto* bar = new QToolBar(name, parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Small images, as the 8 pt captions: a row keeps to one line at 800 x 600.
    bar->setIconSize(QSize(16, 16));
    QFont small = bar->font();
    small.setPointSize(8);
    bar->setFont(small);
    return bar;
}

// A tool button named by its caption ("&&" shows as one ampersand).
QToolButton* ToolButton(QToolBar* bar, const QString& caption, const QString& hint, bool checkable = false)
{
    auto* b = new QToolButton(bar);
    b->setText(caption);
    b->setToolTip(hint.isEmpty() ? QString(caption).replace(QLatin1String("&&"), QLatin1String("&")) : hint);
    b->setAccessibleName(QString(caption).replace(QLatin1String("&&"), QLatin1String("&")));
    b->setCheckable(checkable);
    b->setFont(bar->font());
    bar->addWidget(b);
    return b;
}

QToolButton* ImageButton(QToolBar* bar, QStyle::StandardPixmap image, const QString& name, const QString& hint)
{
    QToolButton* b = ToolButton(bar, QString(), hint);
    b->setIcon(bar->style()->standardIcon(image));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAccessibleName(name);
    return b;
}

QLabel* ValueLabel(QWidget* parent, const QString& accessibleName)
{
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(110);
    l->setAccessibleName(accessibleName);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// A caption label beside a value label, in a grid row.
void AddRow(QGridLayout* grid, int row, const QString& caption, QWidget* value)
{
    auto* c = new QLabel(caption, value->parentWidget());
    c->setBuddy(value);
    grid->addWidget(c, row, 0);
    grid->addWidget(value, row, 1);
}

// A place holder that keeps the room of the tool bars it carries, shown or not.
QWidget* PlaceHolder(QWidget* parent, const QString& name, std::initializer_list<QToolBar*> bars)
{
    auto* holder = new QWidget(parent);
    holder->setObjectName(name);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    int width = 0;
    for (QToolBar* bar : bars) {
        bar->setParent(holder);
        layout->addWidget(bar);
        width = std::max(width, bar->sizeHint().width());
    }
    layout->addStretch(1);
    holder->setMinimumWidth(width);
    return holder;
}

// A row of tool bars on a widget of its own, without margins or spacing. A
// row that runs out of width goes on in a second line, so no button is ever
// hidden behind an overflow mark.
TFlowLayout* ToolBarRow(QWidget* parent)
{
    return new TFlowLayout(new QWidget(parent));
}

QWidget* Gap(QWidget* parent, int width)
{
    auto* gap = new QWidget(parent);
    gap->setFixedWidth(width);
    return gap;
}

} // namespace

void TFDataProc::CreateControls()
{
    CreateMenu();
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(4, 2, 4, 2);
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    CreateCharts();
    CreateFirstRow(central);
    CreateSecondRow(central);
    column->addWidget(DIFileToolBar->parentWidget());
    column->addWidget(DSrc, 1);
    column->addWidget(DOFileToolBar->parentWidget());
    column->addWidget(DDst, 1);
    // The checks and the fit under the charts; at least the fit's command
    // row and a line of text stay in sight.
    auto* results = new TResultsArea(central, fontMetrics().height() * 6);
    results->setObjectName(QStringLiteral("ResultsArea"));
    CreateFitAndChecks(results->Column());
    column->addWidget(results);
    row->addLayout(column, 1);

    row->addWidget(CreatePanelArea({CreateSetupBox(), CreateParametersBox()}));
    setCentralWidget(central);
    central->installEventFilter(this);   // its minimum height follows its width

    StatusBar = new TStatusBar(this);
    StatusBar->AddPanel(QStringLiteral("File: "), 50);
    StatusBar->AddPanel(QString(), 50);   // what the last export or picture wrote
    auto* bottom = new QToolBar(this);
    bottom->setMovable(false);
    bottom->setFloatable(false);
    bottom->addWidget(StatusBar);
    addToolBar(Qt::BottomToolBarArea, bottom);

    DAcqOpenDialog.Title = QStringLiteral("Open");
    DAcqOpenDialog.Filter = SpectrumOpenFilter();
    DOutSaveDialog.Kind = TFileDialogKind::Save;
    DOutSaveDialog.Filter = QStringLiteral("Meril output file (*.pcw)|*.pcw");
    DPictureSaveDialog.Kind = TFileDialogKind::Save;
    DPictureSaveDialog.Title = QStringLiteral("Save Picture");
    DPictureSaveDialog.Filter = QStringLiteral("PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf|SVG drawing (*.svg)|*.svg");
    DPictureSaveDialog.DefaultExt = QStringLiteral("png");
}

void TFDataProc::CreateMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    MOpen = file->addAction(QStringLiteral("Open"));
    MOpen->setShortcut(QKeySequence::Open);
    MExportAscii = file->addAction(QStringLiteral("Export ASCII"));
    MExportAs = file->addAction(QStringLiteral("Export as..."));
    file->addSeparator();
    MSaveSetupAs = file->addAction(QStringLiteral("Save Setup As"));
    MSavePicture = file->addAction(QStringLiteral("Save Picture..."));
    file->addSeparator();
    MPrint = file->addAction(QStringLiteral("Print"));
    file->addSeparator();
    MExit = file->addAction(QStringLiteral("Exit"));
    MExportAscii->setEnabled(false);
    MExportAs->setEnabled(false);
    MSaveSetupAs->setEnabled(false);
    MPrint->setEnabled(false);
}

void TFDataProc::CreateFirstRow(QWidget* parent)
{
    TFlowLayout* row = ToolBarRow(parent);
    QWidget* rowWidget = row->parentWidget();
    DIFileToolBar = ToolBar(rowWidget, QStringLiteral("DIFileToolBar"));
    FOpenTB = ToolButton(DIFileToolBar, QStringLiteral("Open File"), QStringLiteral("Load data"));
    // One pixel: the row begins with the next button ("Open" is on the menu,
    // Ctrl+O), and Tab passes it by.
    FOpenTB->setFixedSize(1, 1);
    FOpenTB->setFocusPolicy(Qt::NoFocus);
    ExportATB = ToolButton(DIFileToolBar, QStringLiteral("Export ASCII"), QStringLiteral("Export ASCII"));
    DIFileToolBar->addSeparator();   // S11TB
    FDerivativeTB = ToolButton(DIFileToolBar, QStringLiteral("1st Derivative"), QString(), true);
    AbsorptionTB = ToolButton(DIFileToolBar, QStringLiteral("Absorption"), QString(), true);
    DIFileToolBar->addSeparator();   // S12TB
    row->addWidget(DIFileToolBar);

    // The baseline buttons take the free room of the row (S13TB).
    L0ToolBar = ToolBar(rowWidget, QStringLiteral("L0ToolBar"));
    Line0DnTB = ImageButton(L0ToolBar, QStyle::SP_ArrowDown, QStringLiteral("Baseline down"), QStringLiteral("Base line"));
    Line0UpTB = ImageButton(L0ToolBar, QStyle::SP_ArrowUp, QStringLiteral("Baseline up"), QStringLiteral("Base line"));
    Line0LeftTB = ImageButton(L0ToolBar, QStyle::SP_ArrowLeft, QStringLiteral("Baseline left"), QStringLiteral("Base line"));
    Line0RightTB = ImageButton(L0ToolBar, QStyle::SP_ArrowRight, QStringLiteral("Baseline right"), QStringLiteral("Base line"));
    row->addWidget(L0ToolBar);

    auto* setupBar = ToolBar(rowWidget, QStringLiteral("SetupToolBar"));
    SetupTB = ToolButton(setupBar, QStringLiteral("Setup && Acq"), QStringLiteral("Setup & Acquisition"));
    row->addWidget(setupBar);
}

void TFDataProc::CreateSecondRow(QWidget* parent)
{
    TFlowLayout* row = ToolBarRow(parent);
    QWidget* rowWidget = row->parentWidget();
    DOFileToolBar = ToolBar(rowWidget, QStringLiteral("DOFileToolBar"));
    DOOpenTB = ImageButton(DOFileToolBar, QStyle::SP_DialogOpenButton, QStringLiteral("Open file"), QStringLiteral("Open file"));
    DOSaveTB = ImageButton(DOFileToolBar, QStyle::SP_DialogSaveButton, QStringLiteral("Save file"), QStringLiteral("Save file"));
    DOOpenTB->setEnabled(false);
    DOFileToolBar->actions().first()->setVisible(false);   // the row begins with the next button
    DOSaveTB->setEnabled(false);
    row->addWidget(DOFileToolBar);
    row->addWidget(Gap(rowWidget, 15));   // S21TB

    ZoomToolBar = ToolBar(rowWidget, QStringLiteral("ZoomToolBar"));
    ZoomTB = ToolButton(ZoomToolBar, QStringLiteral("HZ"), QStringLiteral("Horizontal Zoom"), true);
    UnZoomTB = ToolButton(ZoomToolBar, QStringLiteral("UZ"), QStringLiteral("UnZoom"));
    VerticalExpTB = ToolButton(ZoomToolBar, QStringLiteral("VE"), QStringLiteral("Vertical expansion"));
    SZOOMTB = PlaceHolder(rowWidget, QStringLiteral("SZOOMTB"), {ZoomToolBar});
    row->addWidget(SZOOMTB);
    row->addWidget(Gap(rowWidget, 15));   // S22TB

    FDerivativeToolBar = ToolBar(rowWidget, QStringLiteral("FDerivativeToolBar"));
    M2DerivativeTB = ToolButton(FDerivativeToolBar, QStringLiteral("M2"), QString(), true);
    SDBTB = ToolButton(FDerivativeToolBar, QStringLiteral("SDB"), QString(), true);
    AbsorptionToolBar = ToolBar(rowWidget, QStringLiteral("AbsorptionToolBar"));
    M2AbsorptionTB = ToolButton(AbsorptionToolBar, QStringLiteral("M2"), QString(), true);
    HDBTB = ToolButton(AbsorptionToolBar, QStringLiteral("HDB"), QString(), true);
    IntegralTB = ToolButton(AbsorptionToolBar, QStringLiteral("Integral"), QString(), true);
    SAbsorptionTB = PlaceHolder(rowWidget, QStringLiteral("SAbsorptionTB"), {FDerivativeToolBar, AbsorptionToolBar});
    row->addWidget(SAbsorptionTB);
    row->addWidget(Gap(rowWidget, 15));   // S23TB

    CursorsToolBar = ToolBar(rowWidget, QStringLiteral("CursorsToolBar"));
    // What each cursor bounds, and how it is moved.
    const QString move = QStringLiteral(
        "\nDrag its red line, or press the button and drag the marker or use Left/Right (Shift: ten points)");
    M2LCTB = ToolButton(CursorsToolBar, QStringLiteral("LC"),
                        QStringLiteral("Left cursor: left end of the range measured (M2L, SDB, HDB, Integral)") + move,
                        true);
    M2MCTB = ToolButton(CursorsToolBar, QStringLiteral("MC"),
                        QStringLiteral("Middle cursor: line centre, the inner end of M2L and M2R") + move, true);
    M2RCTB = ToolButton(CursorsToolBar, QStringLiteral("RC"),
                        QStringLiteral("Right cursor: right end of the range measured (M2R, SDB, HDB, Integral)") + move,
                        true);
    SCursorsTB = PlaceHolder(rowWidget, QStringLiteral("SCursorsTB"), {CursorsToolBar});
    row->addWidget(SCursorsTB);

    for (QToolButton* b : {ZoomTB, UnZoomTB, VerticalExpTB})
        b->setEnabled(false);
    for (QToolBar* bar : {FDerivativeToolBar, AbsorptionToolBar, CursorsToolBar})
        bar->hide();
}

void TFDataProc::CreateCharts()
{
    DSrc = new TChart(this);
    DSrc->setObjectName(QStringLiteral("DSrc"));
    DDst = new TChart(this);
    DDst->setObjectName(QStringLiteral("DDst"));
    Series1 = &DSrc->AddSeries();
    SeriesLine0 = &DSrc->AddSeries();
    Series2 = &DDst->AddSeries();
    SeriesI = &DDst->AddSeries();
    Series2->Hide();
    // Focused by a click, the lower chart takes the marker keys.
    DDst->setFocusPolicy(Qt::StrongFocus);
    DDst->installEventFilter(this);
    DSrc->setAccessibleName(QStringLiteral("Spectrum chart"));
    DDst->setAccessibleName(QStringLiteral("Processed chart"));
    // One above the other, their x axes line up whatever the right axes show.
    DSrc->AlignPlotWith(*DDst);
    for (TChart* chart : {DSrc, DDst}) {
        chart->setMinimumSize(320, 140);
        chart->BottomAxis().SetValueFormat(QStringLiteral("# ##0.### [Gs]"));
        chart->BottomAxis().SetIncrement(25);
        chart->BottomAxis().SetMinorTickCount(4);
        chart->RightAxis().SetMinMax(-500, 500);
        chart->RightAxis().SetIncrement(250);
    }

    XYST = new QLabel(QStringLiteral("  X:                    Y:"), DSrc);
    DstXYST = new QLabel(DDst);
    XYST->setAccessibleName(QStringLiteral("Spectrum readout"));
    DstXYST->setAccessibleName(QStringLiteral("Processed readout"));
    // The marker writes its readout while the chart draws: room for the longest one.
    for (QLabel* l : {XYST, DstXYST}) {
        l->setStyleSheet(QStringLiteral("background: rgba(0,0,0,160); color: white; padding: 1px 4px;"));
        l->setFixedSize(l->fontMetrics().horizontalAdvance(QStringLiteral(" B: -88 888.88 kHz \u2022 A: -8888.888 a.u. ")) + 10,
                        l->fontMetrics().height() + 4);
        l->hide();   // shown while a marker writes into it
    }
    DSrc->OnLayout = [this] { PlaceReadouts(); };
    DDst->OnLayout = [this] { PlaceReadouts(); };
}

void TFDataProc::PlaceReadouts()
{
    XYST->move(DSrc->ChartRect().topLeft() + QPoint(4, 4));
    DstXYST->move(DDst->ChartRect().topLeft() + QPoint(4, 4));
}

QGroupBox* TFDataProc::CreateSetupBox()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Experiment setup"), this);
    auto* grid = new QGridLayout(GroupBox1);
    struct {
        QLabel** Label;
        const char* Caption;
    } const rows[] = {{&LResonance, "Mode"}, {&LSweepTp, "Sweep"}, {&LSweepR, "Sweep range"},
                      {&LModAmp, "2nd Mod Amplit"}, {&LSweepTime, "Sweep time"}, {&LGain, "Gain"},
                      {&LPhase, "Phase"}, {&LB0, "B0"}, {&LFrequency, "Frequency"}, {&LAcc, "Acc"}};
    int r = 0;
    for (const auto& row : rows) {
        *row.Label = ValueLabel(GroupBox1, QString::fromLatin1(row.Caption));
        AddRow(grid, r++, QString::fromLatin1(row.Caption), *row.Label);
    }
    LComment = new QPlainTextEdit(GroupBox1);
    LComment->setReadOnly(true);
    LComment->setAccessibleName(QStringLiteral("Comment"));
    LComment->setMaximumHeight(LComment->fontMetrics().height() * 4 + 10);
    auto* caption = new QLabel(QStringLiteral("Comment"), GroupBox1);
    caption->setBuddy(LComment);
    grid->addWidget(caption, r++, 0, 1, 2);
    grid->addWidget(LComment, r, 0, 1, 2);
    return GroupBox1;
}

QGroupBox* TFDataProc::CreateParametersBox()
{
    GroupBox2 = new QGroupBox(QStringLiteral("Processing parameters"), this);
    auto* column = new QVBoxLayout(GroupBox2);
    // Each panel is a borderless grid of caption and value rows.
    const auto newPanel = [this](QWidget*& panel) {
        panel = new QWidget(GroupBox2);
        auto* grid = new QGridLayout(panel);
        grid->setContentsMargins(0, 0, 0, 0);
        return grid;
    };

    auto* m2 = newPanel(M2Panel);
    M2Val = ValueLabel(M2Panel, QStringLiteral("M2"));
    M2LVal = ValueLabel(M2Panel, QStringLiteral("M2L"));
    M2RVal = ValueLabel(M2Panel, QStringLiteral("M2R"));
    M4Val = ValueLabel(M2Panel, QStringLiteral("M4"));
    AddRow(m2, 0, QStringLiteral("M2 = "), M2Val);
    AddRow(m2, 1, QStringLiteral("M2L = "), M2LVal);
    AddRow(m2, 2, QStringLiteral("M2R = "), M2RVal);
    AddRow(m2, 3, QStringLiteral("M4 = "), M4Val);
    // Beside M2 and M4, their uncertainties, cut visibly where the column is narrow.
    const auto uncertainty = [this, m2](int row, const QString& name) {
        auto* l = new TElidedLabel(M2Panel);
        l->setObjectName(name);
        m2->addWidget(l, row, 2);
        return l;
    };
    M2UVal = uncertainty(0, QStringLiteral("M2UVal"));
    M4UVal = uncertainty(3, QStringLiteral("M4UVal"));

    auto* g = newPanel(GPanel);
    GVal = ValueLabel(GPanel, QStringLiteral("G"));
    AddRow(g, 0, QStringLiteral("G ="), GVal);

    auto* db = newPanel(DBPanel);
    DBVal = ValueLabel(DBPanel, QStringLiteral("SDB"));
    AddRow(db, 0, QStringLiteral("SDB ="), DBVal);
    DHLabel = qobject_cast<QLabel*>(db->itemAtPosition(0, 0)->widget());

    auto* ai = newPanel(AbsorptionPanel);
    AIVal = ValueLabel(AbsorptionPanel, QStringLiteral("AI"));
    ILBVal = ValueLabel(AbsorptionPanel, QStringLiteral("Integral LC"));
    ILEVal = ValueLabel(AbsorptionPanel, QStringLiteral("Integral RC"));
    AddRow(ai, 0, QStringLiteral("AI ="), AIVal);
    AddRow(ai, 1, QStringLiteral("LC = "), ILBVal);
    AddRow(ai, 2, QStringLiteral("RC = "), ILEVal);

    // The panels come and go with the views: one column of captions and one
    // of values across all of them.
    const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("M2L = ")) + 12;
    for (QWidget* panel : {M2Panel, GPanel, DBPanel, AbsorptionPanel}) {
        auto* grid = static_cast<QGridLayout*>(panel->layout());
        grid->setColumnMinimumWidth(0, captionWidth);
        grid->setColumnStretch(2, 1);
        for (QLabel* value : panel->findChildren<QLabel*>())
            if (!value->accessibleName().isEmpty() && !dynamic_cast<TElidedLabel*>(value))
                value->setFixedWidth(130);
        column->addWidget(panel);
        panel->hide();
    }
    return GroupBox2;
}
