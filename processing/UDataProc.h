#pragma once
// The processing window TFDataProc: one stored spectrum at a time, shown with
// the experiment settings it was taken with, its baseline, the derivative and
// absorption views and their measurements, zoom and text export.
//
// The window is thin: the arithmetic (baseline, views, cursors, moments,
// widths, integral, text table) lives in spectrum/; the window adapts its
// chart series to it and shows the results. Its code is split by concern:
//   UDataProcLayout.cpp   controls, menu, tool bars and their arrangement
//   UDataProc.cpp         show, close, load, open, setup, exit
//   UDataProcViews.cpp    baseline, derivative and absorption views, zoom tools
//   UDataProcCursors.cpp  cursors and measurements
//   UDataProcExport.cpp   text export, picture, dropped files
//   UDataProcFit.cpp      measurement checks strip, line-shape fit and its panel

#include "Baseline.h"
#include "Cursors.h"
#include "DataFile.h"
#include "LineView.h"
#include "MeasurementChecks.h"
#include "Moments.h"
#include "Operator.h"
#include "PictureCaption.h"
#include "UMMarker.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QBoxLayout;
class QMimeData;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QVBoxLayout;
class QToolBar;
class QToolButton;
class TChart;
class TChartSeries;
class TStatusBar;
class TChecksStrip;
class TElidedLabel;
class TFitPanel;
struct TFitKey;
struct TMomentUncertainty;

class TFDataProc : public QMainWindow {
    Q_OBJECT
public:
    // screenScale sizes the marker crosses (the program's ScreenScale).
    explicit TFDataProc(long double screenScale = 1.0L, QWidget* parent = nullptr);
    ~TFDataProc() override;

    // The folders of the open dialog (acquisition data) and of the output
    // (text export), from the program settings.
    void SetDirectories(const QString& acquisitionDir, const QString& dataOutDir);
    QString AcqDir() const { return DAcqOpenDialog.InitialDir; }
    QString DataOutDir() const { return DOutSaveDialog.InitialDir; }
    // The file dialogs whose last choice the program remembers across
    // sessions, by the names it keeps them under. The text export asks
    // nothing: its folder is the data output folder of the settings.
    std::vector<std::pair<QString, TFileDialog*>> FileDialogs();

    // Loads a spectrum file into the window; nothing happens for an empty
    // name. A file that cannot be read or processed leaves the window as it
    // was and tells the operator why.
    void LoadSpectrum(const QString& fileName);

    // "Setup & Acq": brings the main window to the front (set by the program).
    std::function<void()> OnSetupAcq;
    // Where the main window stands on the screen, frame included (set by the
    // program): the window opens beside or below it where the screen allows.
    std::function<QRect()> MainWindowFrame;
    // The caption block of a saved picture as it would be now.
    QStringList PictureCaptionLines() const;

    // Kept passes (UDataProcPasses.cpp): "Passes..." reviews those of the
    // spectrum shown; "Open passes folder..." hands a folder to the main window.
    QAction *MPasses, *MOpenPasses;
    std::function<void(const QString& folder)> OnOpenPassFolder;
    void CreatePassCommands();
    void MPassesClick();
    void MOpenPassesClick();
    QString PassFolder() const;        // of the spectrum shown; empty when it has none

    // "kHz" for a frequency sweep, "Gs" for a field sweep.
    QString AxisUnitText() const;
    // "F" for a frequency sweep, "B" for a field sweep: names x in the readouts.
    QChar AxisLetter() const;
    bool Loaded() const { return FLoaded; }

    // ---- Controls (the window's form) ----
    // Menu
    QAction *MOpen, *MExportAscii, *MExportAs, *MSaveSetupAs, *MPrint, *MSavePicture, *MExit;
    // First row
    QToolBar* DIFileToolBar;
    QToolButton *FOpenTB, *ExportATB, *FDerivativeTB, *AbsorptionTB, *SetupTB;
    QToolBar* L0ToolBar;
    QToolButton *Line0DnTB, *Line0UpTB, *Line0LeftTB, *Line0RightTB;
    // Second row
    QToolBar* DOFileToolBar;
    QToolButton *DOOpenTB, *DOSaveTB;
    QWidget *SZOOMTB, *SAbsorptionTB, *SCursorsTB;   // place holders of the tool bars below
    QToolBar* ZoomToolBar;
    QToolButton *ZoomTB, *UnZoomTB, *VerticalExpTB;
    QToolBar* FDerivativeToolBar;
    QToolButton *M2DerivativeTB, *SDBTB;
    QToolBar* AbsorptionToolBar;
    QToolButton *M2AbsorptionTB, *HDBTB, *IntegralTB;
    QToolBar* CursorsToolBar;
    QToolButton *M2LCTB, *M2MCTB, *M2RCTB;
    int CursorsTag = 0;   // K: the number of cursors of the measurement on
    // Charts
    TChart *DSrc, *DDst;
    TChartSeries *Series1, *SeriesLine0, *Series2, *SeriesI;
    QLabel *XYST, *DstXYST;
    // Experiment setup
    QGroupBox* GroupBox1;
    QLabel *LResonance, *LSweepTp, *LSweepR, *LModAmp, *LSweepTime, *LGain, *LPhase, *LB0, *LFrequency, *LAcc;
    QPlainTextEdit* LComment;
    // The group boxes on the right, in a column that scrolls; more panels
    // may be added to PanelColumn.
    QScrollArea* PanelArea;
    QVBoxLayout* PanelColumn;
    // Processing parameters
    QGroupBox* GroupBox2;
    QWidget *M2Panel, *GPanel, *DBPanel, *AbsorptionPanel;
    QLabel *M2Val, *M2LVal, *M2RVal, *M4Val, *GVal, *DHLabel, *DBVal, *AIVal, *ILBVal, *ILEVal;
    // The standard uncertainties of M2 and M4 beside their values, where the
    // panel has room (the whole text is the tool tip; a screen reader gets
    // it with the value).
    TElidedLabel *M2UVal, *M4UVal;
    TStatusBar* StatusBar;
    TFileDialog DAcqOpenDialog, DOutSaveDialog, DPictureSaveDialog;

    // The lower chart's marker, which also carries the cursors.
    TMarker DstMarker;

    // Measurement checks under the lower chart; the fit panel and the fitted
    // curve and residual drawn over the derivative view.
    TChecksStrip* ChecksStrip;
    TFitPanel* FitPanel;
    TChartSeries *SeriesFit, *SeriesResidual;
    // The fit shown, as text lines (none before a fit, or when it is stale):
    // the panel's lines, also for the caption of a saved picture.
    QStringList FitResultLines() const;
    bool Fitting() const;   // a fit runs in the background

    // ---- Handlers ----
    void FOpenTBClick();
    void SetupTBClick();
    void MExitClick();
    void ExportATBClick();
    void MExportAsClick();
    void MSavePictureClick();
    void FDerivativeTBClick();
    void AbsorptionTBClick();
    void Line0DnTBClick();
    void Line0UpTBClick();
    void Line0LeftTBClick();
    void Line0RightTBClick();
    void ZoomTBClick();
    void UnZoomTBClick();
    void VerticalExpTBClick();
    void M2DerivativeTBClick();
    void M2AbsorptionTBClick();
    void SDBTBClick();
    void HDBTBClick();
    void IntegralTBClick();
    void SelectCursor(QObject* sender);
    void FitTBClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Layout
    void CreateControls();
    void CreateMenu();
    void CreateFirstRow(QWidget* parent);
    void CreateSecondRow(QWidget* parent);
    void CreateCharts();
    QGroupBox* CreateSetupBox();
    QGroupBox* CreateParametersBox();
    QScrollArea* CreatePanelArea(std::initializer_list<QWidget*> boxes);
    void OpenInScreen();
    void PlaceBesideMainWindow();
    void KeepMinimumHeight();
    void PlaceReadouts();
    void ConnectHandlers();
    // Show and load
    void FormShow();
    void EmptySetupLabels();
    void SwitchViewsOff();
    void ShowSpectrum(const QString& fileName, const TSpectrum& spectrum);
    // Asks once for what a file of another program does not give.
    void AskNotInFile(const QString& fileName, TSpectrum& spectrum);
    // Views
    TLineView SpectrumLine() const;   // Series1 as the library reads it
    TLineView ViewLine() const;       // Series2
    void ComputeBaseline();
    void StepLine0(TBaselineStep step);
    void CopyAxes();
    void InitDstMarker();
    void SetViewToolsVisible(QToolBar* measurementBar, bool on);
    void EmptyResultLabels(QToolButton* widthButton);
    // The caption of the width and the name a screen reader gives its value.
    void NameWidth(const QString& caption);
    void EndZoomSelection();
    void KeepViewInStep();
    void DstZoomed();
    void DstUndoZoomed();
    // Cursors and measurements
    bool IsG(const QToolButton* b) const;
    void EnableCursorButtons(bool lc, bool mc, bool rc);
    void MirrorCursors();
    void HideCursorLines();
    void ReleaseCursorsAndHide(QObject* sender);
    void PlaceM2Cursors();
    void SetIndexOnLineCentre();
    QToolButton* CursorButton(TCursorButton button) const;
    bool GrabCursorLine(int line);
    void ReleaseCursorLine();
    void RefreshMeasurements();
    void ShowMoments(TViewKind kind);
    void ShowMomentUncertainties(TViewKind kind, const TCursorIndexes& at);
    void ShowUncertainties(const TMomentUncertainty* u);
    void TellCursorStopped(bool high);
    void ShowGFactor();
    void ShowWidth();
    void FindHalfHeight();
    void ShowIntegral();
    // Checks and fit
    void CreateFitAndChecks(QBoxLayout* chartColumn);
    void RefreshChecks();
    void FitToolsFollowView();
    void ClearFit();
    void CancelFit();
    std::optional<std::pair<int, int>> FitRange() const;
    bool FitFresh() const;   // a fit is shown and matches the spectrum as it stands
    TFitKey CurrentFitKey() const;
    // Export
    void SaveChartsPicture(const QString& path) const;
    std::vector<TShownValue> ShownValues() const;
    // Says in the status line what was written, with the full path.
    void TellWritten(const QString& what, const QString& path);
    static constexpr int WrittenPanel = 1;

    long double FScreenScale;
    bool FLoaded = false;
    TSpectrum FSpectrum;            // the loaded file
    struct TState;                  // baseline, integrators, cursors
    std::unique_ptr<TState> F;
};

// The first local .dcw file among dropped URLs, else the first other spectrum
// file (by its extension); empty when there is none.
QString DroppedSpectrum(const QMimeData* data);
