// The processing window: creation, showing and closing, opening and loading a
// spectrum file, "Setup & Acq" and "Exit".

#include "UDataProc.h"

#include "Chart.h"
#include "Errors.h"
#include "ImportedSpectrum.h"
#include "NotInFileDialog.h"
#include "NumFormat.h"
#include "PictureCaption.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"
#include "StatusBar.h"
#include "UDataProcState.h"
#include "UOutMess.h"
#include "UTextTbl.h"
#include "UZoom.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>

TFDataProc::TFDataProc(long double screenScale, QWidget* parent)
    : QMainWindow(parent), FScreenScale(screenScale), F(std::make_unique<TState>())
{
    setWindowTitle(QStringLiteral("CW NMR/ESR Spectrometer - PROCESSING"));
    setAcceptDrops(true);
    // The program ends when the main window closes, even with this one open.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    ConnectHandlers();
    CreatePassCommands();
    Marker2.Done();
    DstMarker.Done();
    OpenInScreen();
}

TFDataProc::~TFDataProc()
{
    // The global marker must not keep handlers on a chart that is going away.
    if (Marker2.Chart == DSrc)
        Marker2.Done();
    if (ZoomSelect.Chart == DDst)
        ZoomSelect.EndSelect();
}

void TFDataProc::SetDirectories(const QString& acquisitionDir, const QString& dataOutDir)
{
    DAcqOpenDialog.InitialDir = acquisitionDir;
    DOutSaveDialog.InitialDir = dataOutDir;
}

std::vector<std::pair<QString, TFileDialog*>> TFDataProc::FileDialogs()
{
    return {{QStringLiteral("SpectrumOpen"), &DAcqOpenDialog}, {QStringLiteral("PictureSave"), &DPictureSaveDialog}};
}

QString TFDataProc::AxisUnitText() const
{
    return ::AxisUnitText(FSpectrum.Header);
}

QChar TFDataProc::AxisLetter() const
{
    return AxisLetters(FSpectrum.Header.SweepTp == 0 ? 0 : 1).at(0);
}

void TFDataProc::ConnectHandlers()
{
    const auto onClick = [this](QToolButton* b, void (TFDataProc::*handler)()) {
        connect(b, &QToolButton::clicked, this, Guarded(this, handler));
    };
    const auto onAction = [this](QAction* a, void (TFDataProc::*handler)()) {
        connect(a, &QAction::triggered, this, Guarded(this, handler));
    };
    onClick(FOpenTB, &TFDataProc::FOpenTBClick);
    onAction(MOpen, &TFDataProc::FOpenTBClick);
    onClick(ExportATB, &TFDataProc::ExportATBClick);
    onAction(MExportAscii, &TFDataProc::ExportATBClick);
    onAction(MExportAs, &TFDataProc::MExportAsClick);
    onAction(MSavePicture, &TFDataProc::MSavePictureClick);
    onAction(MExit, &TFDataProc::MExitClick);
    onClick(SetupTB, &TFDataProc::SetupTBClick);
    onClick(FDerivativeTB, &TFDataProc::FDerivativeTBClick);
    onClick(AbsorptionTB, &TFDataProc::AbsorptionTBClick);
    onClick(Line0DnTB, &TFDataProc::Line0DnTBClick);
    onClick(Line0UpTB, &TFDataProc::Line0UpTBClick);
    onClick(Line0LeftTB, &TFDataProc::Line0LeftTBClick);
    onClick(Line0RightTB, &TFDataProc::Line0RightTBClick);
    onClick(ZoomTB, &TFDataProc::ZoomTBClick);
    onClick(UnZoomTB, &TFDataProc::UnZoomTBClick);
    onClick(VerticalExpTB, &TFDataProc::VerticalExpTBClick);
    // Measurement buttons of a view form one group. Only "M2" of the
    // derivative view goes up by a click of its own; the others stay down
    // until another button of their row is pressed.
    const auto onGroupClick = [this](QToolButton* b, void (TFDataProc::*handler)(), bool allowAllUp) {
        connect(b, &QToolButton::clicked, this, [this, b, handler, allowAllUp] {
            if (!allowAllUp && !b->isChecked()) {
                b->setChecked(true);
                return;
            }
            RunGuarded([&] { (this->*handler)(); });
        });
    };
    onGroupClick(M2DerivativeTB, &TFDataProc::M2DerivativeTBClick, true);
    onGroupClick(SDBTB, &TFDataProc::SDBTBClick, false);
    onGroupClick(M2AbsorptionTB, &TFDataProc::M2AbsorptionTBClick, false);
    onGroupClick(HDBTB, &TFDataProc::HDBTBClick, false);
    onGroupClick(IntegralTB, &TFDataProc::IntegralTBClick, false);
    for (QToolButton* b : {M2LCTB, M2MCTB, M2RCTB})
        connect(b, &QToolButton::clicked, this, [this, b] { RunGuarded([&] { SelectCursor(b); }); });

    // The views follow the baseline; the measurements follow the drawn view.
    SeriesLine0->OnAfterDraw = [this] {
        KeepViewInStep();
        RefreshChecks();
    };
    Series2->OnAfterDraw = [this] {
        RefreshMeasurements();
        RefreshChecks();
    };
    DDst->OnZoom = [this] { DstZoomed(); };
    DDst->OnUndoZoom = [this] { DstUndoZoomed(); };
}

void TFDataProc::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Not when the window comes back from being minimised.
    if (!event->spontaneous())
        RunGuarded([this] {
            PlaceBesideMainWindow();
            FormShow();
        });
}

void TFDataProc::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    KeepMinimumHeight();
}

void TFDataProc::FormShow()
{
    EmptySetupLabels();
    XYST->clear();
    XYST->hide();   // an empty readout box is not left standing on the chart
    SetStatusText(*StatusBar, 0, QString());
    StatusBar->SetPanelText(WrittenPanel, QString());
    for (QToolButton* b : {ExportATB, FDerivativeTB, AbsorptionTB, Line0DnTB, Line0UpTB, Line0LeftTB, Line0RightTB})
        b->setEnabled(false);
    MExportAscii->setEnabled(false);
    MExportAs->setEnabled(false);
    GPanel->hide();
    SwitchViewsOff();
}

bool TFDataProc::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::LayoutRequest)
        KeepMinimumHeight();
    if (watched == DDst && event->type() == QEvent::KeyPress && DstMarker.Chart == DDst) {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool used = false;
        RunGuarded([&] { used = DstMarker.KeyPress(key->key(), key->modifiers()); });
        if (used)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFDataProc::closeEvent(QCloseEvent* event)
{
    Marker2.Done();
    DstMarker.Done();
    QMainWindow::closeEvent(event);
}

void TFDataProc::EmptySetupLabels()
{
    for (QLabel* l : {LResonance, LSweepTp, LSweepR, LModAmp, LSweepTime, LGain, LPhase, LB0, LFrequency, LAcc})
        l->clear();
    LComment->clear();
}

void TFDataProc::SwitchViewsOff()
{
    FDerivativeTB->setChecked(false);
    FDerivativeTBClick();
    AbsorptionTB->setChecked(false);
    AbsorptionTBClick();
}

void TFDataProc::FOpenTBClick()
{
    if (DAcqOpenDialog.Execute(this))
        LoadSpectrum(DAcqOpenDialog.FileName);
}

void TFDataProc::SetupTBClick()
{
    if (OnSetupAcq)
        OnSetupAcq();
}

void TFDataProc::MExitClick()
{
    close();
}

void TFDataProc::LoadSpectrum(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    // The whole file is read and checked before the window changes, so a file
    // that fails leaves the display, the baseline and any view as they were.
    TSpectrum spectrum;
    try {
        spectrum = ReadAnySpectrumFile(fileName);
        CheckProcessable(qsizetype(spectrum.Points.size()));
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
        return;
    }
    if (spectrum.NotInFile.Any())
        AskNotInFile(fileName, spectrum);
    ShowSpectrum(fileName, spectrum);
}

void TFDataProc::AskNotInFile(const QString& fileName, TSpectrum& spectrum)
{
    TNotInFileDialog d(this, fileName, spectrum.NotInFile, F->FrequencyAnswer, F->ModAmpAnswer);
    if (Operator().ExecModal(d) != QDialog::Accepted)
        return;
    if (spectrum.NotInFile.Frequency)
        F->FrequencyAnswer = d.FrequencyEdit->text();
    if (spectrum.NotInFile.ModAmp)
        F->ModAmpAnswer = d.ModAmpEdit->text();
    SupplyNotInFile(spectrum, d.FrequencyKHz(), d.ModAmpPeakToPeakGs());
}

void TFDataProc::ShowSpectrum(const QString& fileName, const TSpectrum& spectrum)
{
    Marker2.Done();
    EmptySetupLabels();
    FSpectrum = spectrum;
    const TDataHeader& h = FSpectrum.Header;
    if (h.SweepTp <= 1)
        DSrc->BottomAxis().SetValueFormat(h.SweepTp == 0 ? QStringLiteral("# ##0.### [kHz]")
                                                          : QStringLiteral("# ##0.### [Gs]"));
    const double range = FSpectrum.SweepRange;
    DSrc->BottomAxis().SetMinMax(-range / 2, range / 2);
    DSrc->BottomAxis().SetIncrement(range / 4);
    // +-500 counts for a .dcw file; the values' own scale for another program's.
    const TYScale& scale = FSpectrum.YScale;
    DSrc->RightAxis().SetMinMax(-scale.Limit, scale.Limit);
    DSrc->RightAxis().SetIncrement(scale.Limit / 2);
    for (TChart* chart : {DSrc, DDst})
        chart->RightAxis().SetValueFormat(scale.Clipped ? QStringLiteral("# ##0.###") : QString());
    Marker2.ReadoutDecimals = DstMarker.ReadoutDecimals = scale.Decimals();

    std::vector<double> x(FSpectrum.Points.size()), y(FSpectrum.Points.size());
    for (size_t i = 0; i < x.size(); ++i) {
        x[i] = FSpectrum.Points[i].x();
        y[i] = FSpectrum.Points[i].y();
    }
    Series1->SetPoints(x, y, QColor(255, 255, 0));

    // "NMR 1H &&19F" is stored with the doubled ampersand that shows as one.
    LResonance->setText(ModeText(h));
    LSweepTp->setText(SweepKindText(h));
    LSweepR->setText(SweepRangeText(FSpectrum));
    LModAmp->setText(h.ModAmp);
    LSweepTime->setText(h.SweepTime);
    LGain->setText(h.Gain);
    LPhase->setText(h.Phase);
    LB0->setText(h.B0);
    LFrequency->setText(h.Frequency);
    LAcc->setText(h.Acc);
    LComment->setPlainText(h.Comment);

    Marker2.Init(DSrc, Series1->Count(), 0, 1, int32_t(Trunc(FScreenScale * 84)), int32_t(Trunc(FScreenScale * 80)),
                 XYST, 0, AxisUnitText(), AxisLetter());
    Marker2.Centre();
    XYST->show();

    for (QToolButton* b : {ExportATB, FDerivativeTB, AbsorptionTB, Line0DnTB, Line0UpTB, Line0LeftTB, Line0RightTB})
        b->setEnabled(true);
    MExportAscii->setEnabled(true);
    MExportAs->setEnabled(true);
    SetStatusText(*StatusBar, 0, fileName);
    // What was written of the spectrum shown before is not this one's.
    StatusBar->SetPanelText(WrittenPanel, QString());
    F->CursorStopTold = false;
    // Exports are named after the file shown, however it was loaded.
    DAcqOpenDialog.FileName = fileName;
    FLoaded = true;

    ComputeBaseline();
    Marker2.SetBaseline(SeriesLine0);
    SwitchViewsOff();
    const bool esr = IsEsrSpectrum(h);
    const QString caption = esr ? QStringLiteral("G") : QStringLiteral("M2");
    for (QToolButton* b : {M2DerivativeTB, M2AbsorptionTB}) {
        b->setText(caption);
        b->setAccessibleName(caption);
        b->setToolTip(esr ? QStringLiteral("g-factor at the marker")
                          : QStringLiteral("Second and fourth moments between the cursors"));
    }
    // Once more, so that the measurement just chosen runs its switching-off part.
    SwitchViewsOff();
    ClearFit();
}
