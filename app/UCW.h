#pragma once
// The main window: a view of the instrument, its setup and the run
// (acquisition/). It sends the operator's commands there and shows what they
// report; it also keeps the settings file, the setup files and the storing
// of acquired spectra, which need the operator's answers.

#include "DataFile.h"
#include "SerialLink.h"
#include "Spectrometer.h"
#include "USetup.h"
#include "ValueBox.h"   // the value boxes are read like labels

#include <QDateTime>
#include <QDeadlineTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;
class QToolButton;
class TChart;
class TChartSeries;
class TFDataProc;
class TFService;
class TKnownStopPanel;
class TMAudioDlgBox;
class TMDialogBox;
class TMDirectories;
class TMUsersAssist;
class TMLogo;
class TElidedLabel;
class TStatusBar;
class TUpDown;
struct TFileDialog;

// The other windows the main window works with; created after it.
struct TFCWPartners {
    TMDialogBox* DialogBox = nullptr;
    TMDirectories* Directories = nullptr;
    TFDataProc* DataProc = nullptr;
    TFService* Service = nullptr;
    TMAudioDlgBox* AudioDlgBox = nullptr;
    TMUsersAssist* UsersAssist = nullptr;
};

struct TFCWOptions {
    // The serial link to use; a Linux serial port (TComPort) when none is given.
    std::unique_ptr<TSerialLink> Link;
    // Directory of MERIL.INI; the program's directory when empty.
    QString ProgramDir;
    // Where MERIL.INI goes when the program's directory cannot take it, and the
    // folder the directories then default to: the user's configuration folder
    // of the program and ~/Meril when empty.
    QString UserConfigDir;
    QString UserDir;
    // Screen width for ScreenScale; the primary screen's when 0.
    int ScreenWidth = 0;
    bool ShowSplash = true;
    // The user's settings file of the remembered view (window placement,
    // display choices, last folders); none remembered when empty.
    QString ViewSettingsPath;
};

// Where the program keeps the remembered view: the platform's user settings
// file of the program, apart from MERIL.INI.
QString DefaultViewSettingsPath();

class TFCW : public QMainWindow {
    Q_OBJECT
public:
    explicit TFCW(TFCWOptions options);
    ~TFCW() override;

    void AttachPartners(const TFCWPartners& partners);
    // The end of start-up that needs the other windows: their directories and
    // the splash timer.
    void FinishStartup();
    // The instrument, its setup and the run this window shows.
    TSpectrometer& Spectrometer() const { return *FSpectrometer; }
    // The settings of MERIL.INI as they are now.
    const TSettings& Settings() const { return FSettings; }
    // Closes the window without asking anything: nobody is there to answer
    // (a stop signal). A spectrum not yet stored is stored first.
    void CloseUnattended();
    // Takes up the kept passes of a folder: their sum, ready to store or to continue.
    bool OpenPassFolder(const QString& folder);
    // Shows the processing window in front, maximised; false when there is none.
    bool ShowDataProc();

    // ---- Controls the operator uses ----
    // Menus
    QAction *MOpensetup, *MSavesetup, *MSavesetupas, *MSaveas, *MExit;
    std::array<QAction*, 4> MSpcCOM;                  // MSpcCOM1..MSpcCOM4
    QMenu* MSpcDevices;                               // serial devices present, simulator link
    QAction* MLink;
    QAction *MStart, *MHold, *MAbort;                 // the run's tool buttons, with their keys
    QAction *MDataprocessing, *MService, *Audio1, *MFileLocation, *MAccDiagram;
    QMenu* MCurrentdirection;
    QAction *MCDirFWD, *MCDirREV;
    QAction *MPasses, *MContinueAcc, *MKeepPasses;
    // Tool bar
    QToolButton *StartToolB, *HoldToolB, *AbortToolB, *VertMTB, *HorizMTB, *AccDToolB, *DHToolB, *DProcTB;
    QComboBox* CurrDiagramCBox;
    // Mode
    QRadioButton *HydrogenRB, *FluorineRB, *HFRB, *EPRResRB;
    std::array<QRadioButton*, 4> ModeButtons;
    // Receiver
    QGroupBox* ReceiverBox;
    QLabel *GainVal, *PhaseVal;
    QScrollBar *GainScrollBar, *PhaseScrollBar;
    TValueBox *TuningB0Val, *DB0Val, *FrequencyVal, *DFrqVal;
    TUpDown *TuningB0UpDown, *DB0UpDown, *FrequencyUpDown, *DFrqUpDown;
    // Modulation and sweep
    TValueBox *ModAmpVal, *FieldSwRngVal, *FreqSwRngVal, *SweepTVal;
    TUpDown *ModAmpUpDown, *FieldSwRngUpDown, *FreqSwRngUpDown, *SweepTUpDown;
    QRadioButton *FieldSwRngRB, *FreqSwRngRB;
    // DC offset
    QSlider* LevelTB;
    // Acquisition
    TValueBox* AccVal;
    TUpDown* AccUpDown;
    QRadioButton *SingleRB, *LoopRB;
    QLineEdit *FNameEdit, *CommentEdit;
    TKnownStopPanel* KnownPanel;                      // "Stop when known" and its chart
    // Chart and what sits on it
    TChart* Fid;
    std::array<TChartSeries*, 5> Series{};             // Series1..Series5
    TChartSeries* SeriesAcc = nullptr;
    QWidget* LegendPanel;
    QLabel *OutOfRangeLab, *XYST, *DBST;
    TStatusBar* StatusBar;
    // The line above the status panels: the run's progress (points, pass and
    // time left) while a run is on, else what was last written and where.
    QProgressBar* RunProgressBar;
    TElidedLabel* ActivityLab;
    // A problem of the run that must not pass unseen (passes that could not
    // be written), beside the progress line until OK is pressed.
    TElidedLabel* ProblemLab;
    QToolButton* ProblemOkTB;
    QTimer *RunProgressTimer, *Timer1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // ---- Handlers, named after their controls ----
    void FidClick();
    void MLinkClick();
    void Timer1Timer();
    void StartToolBClick();
    void HoldToolBClick();
    void AbortToolBClick();
    void GainScrollBarChange();
    void PhaseScrollBarChange();
    void TuningB0UpDownClick();
    void DB0UpDownClick();
    void FrequencyUpDownClick();
    void DFrqUpDownClick();
    void ModAmpUpDownClick();
    void FieldSwRngUpDownClick();
    void FreqSwRngUpDownClick();
    void SweepTUpDownClick();
    void AccUpDownClick();
    void LevelTBChange();
    void SingleRBClick();
    void ModeButtonClick(int m);
    void FieldSwRngRBClick();
    void FreqSwRngRBClick();
    void MCDirFWDClick();
    void MCDirREVClick();
    void CurrDiagramCBoxChange();
    void AccDToolBClick();
    void VertMTBClick();
    void HorizMTBClick();
    void DHToolBClick();
    void MSaveasClick();
    void MOpensetupClick();
    void MSavesetupClick();
    void MSavesetupasClick();
    void MFileLocationClick();
    void Audio1Click();
    void MAboutClick();
    void MServiceClick();
    void MDataprocessingClick();
    void MPassesClick();
    void MContinueAccClick();
    void CommentEditDblClick();
    void SelectPort(const QString& name);
    // Shows the run's progress, or clears it once the run has ended.
    void UpdateRunProgress();

private:
    // ---- The form (UCWLayout.cpp) ----
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    QWidget* CreateParameterPanel();
    void CreateChart();
    void CreatePassCommands();
    void AttachValueBoxes();
    void ConnectHandlers();
    void ConnectSpectrometer();
    void PlaceChartLabels();
    void SetLegend();
    void SyncRunMenu();            // the run's menu items follow their tool buttons
    // Keys on the focused chart move the marker after a run: Left and Right
    // by one point (Shift: ten), Home and End to the ends; Up and Down move a
    // horizontal marker by one pixel (Shift: ten). True when the key was used.
    bool FidKeyPress(const QKeyEvent& key);

    // ---- Start-up and close (UCW.cpp) ----
    void FormCreate();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void WriteSettingsFile();
    void StopAlarm();

    // ---- Connection (UCWConnection.cpp) ----
    void ShowConnection(bool connected);
    void ShowFieldSource(int code);
    void ShowIdentification();
    void ShowPower(bool on);
    void ShowLinkLost();
    void UpdateCaption();
    void RefreshPortMenu();        // checks the port in use; lists the devices present
    // Passes a received line to the service window; false when it only shows it.
    bool MonitorLine(const QByteArray& line);

    // ---- Parameters (UCWParameters.cpp) ----
    // Every parameter control takes the setup's position, range and caption.
    void ShowSetup();
    void UpdateModeControls();
    void EnableParameterBoxes(bool flag);
    void ApplySetup();
    // The instrument has reported its field source: it gets its setup.
    void SendSetupToInstrument();
    void PutSetup(void (*put)(TSpectrometer&, const std::array<bool, 4>&));
    void SetAccStatus();

    // ---- The run (UCWRun.cpp) ----
    void ShowPassStarted(bool firstOfRun);
    void ShowRunState(int state);
    void ShowPoint(int index, double x, int value);
    void ShowHeldPoint(int index, int value);
    void ShowOutOfRange(int count);
    void ShowPassCompleted();
    void ShowPassEnded();
    void ShowRunEnded(TRunEnd how);
    void SetHoldState(bool flag);
    // The run's data as the average on the chart.
    void ShowAverage();
    // False when the operator chose not to start over an existing file.
    bool ConfirmStoreName();
    // Asks whether the existing spectrum `path` is to be replaced when the
    // run ends: Yes replaces it, No gives the next free name (returned),
    // Cancel (none returned) does not go on. `cancelled` says what Cancel means.
    std::optional<QString> AskReplaceAtEnd(const QString& path, const QString& cancelled);
    // Abort is offered while a run is in progress only.
    void UpdateAbort();
    // Shows the run's problem to be acknowledged, or hides it once it has been.
    void ShowProblem();
    TRunOptions RunOptions() const;
    // The passes folder of a run to be stored under the name typed.
    QString PassFolderForRun() const;
    // Names the suspect passes of the run just ended and offers their review.
    void TellSuspectPasses();
    // Says in the line above the panels what was applied of a typed value
    // when it is not what was typed. The note goes with the next change of
    // the setup or the next pass; during a run it stands in for the progress
    // for a few seconds.
    void ShowParameterNote(const QString& note);
    void ClearParameterNote();

    // ---- Display (UCWDisplay.cpp) ----
    void ApplyPassDisplay();
    void SetupXAxis();
    void SetupMarker();

    // ---- Storing (UCWStore.cpp) ----
    void LoadSetup(const QString& path, bool operatorChose);
    void SaveSetup(const QString& path);
    void SetCurrentSetup(const QString& path);
    void AutoSave();
    // False when the file exists and the operator does not want it overwritten.
    bool MayOverwrite(const QString& path);
    bool WriteSpectrum(const QString& path);
    // Stores the run's data at its end. An existing file is replaced when the
    // operator agreed at the start and it has not changed since, else after
    // asking. When it cannot be written, another place is offered.
    void StoreRun(const QString& path);
    // Offers other places after `failed` could not be written, until the data
    // are stored or the operator gives up ("Save data as ..." stays).
    void StoreElsewhere(const QString& failed);
    // Stores data stored nowhere without asking anyone, in the first of
    // UnattendedFolders that takes them; the log says where, or why nowhere.
    void StoreUnattended();
    // Where data go when nobody can be asked: the acquisition directory, else
    // the unsaved folder of the user's Meril folder, else of their state folder.
    QStringList UnattendedFolders() const;

    // ---- Kept passes (UCWPasses.cpp) ----
    void UpdatePassCommands();

    // ---- The remembered view (UCWView.cpp) ----
    void RestoreView();
    void RestorePartnersView();
    void SaveView();
    // The main window's file dialogs by the names the remembered view uses.
    std::vector<std::pair<QString, TFileDialog*>> FileDialogs() const;

    // Controls only the window itself uses.
    QAction *MAbout, *MGs, *MmT;
    QMenu* MUnits;
    QLabel* SweepDLabel;
    QGroupBox *ResonanceBox, *FModulatorBox, *Level, *AcquisitionBox;
    QLabel *Gain, *Phase, *TuningB0Lab, *B0ByLab, *FreqLab, *FByLab, *ModAmp, *SweepTLab, *AccLab, *FileLab,
        *CommentLab;
    std::array<QLabel*, 5> Legends{};                  // S1Legend..S5Legend
    std::vector<QWidget*> HoldControls;

    std::unique_ptr<TSpectrometer> FSpectrometer;
    TSerialLink& ComPort1;
    TInstrumentSetup& FSetup;
    TRun& FRun;
    int CurrPass = 0;              // the series of the pass being measured
    int Timer1Tag = 0;             // connection attempts
    bool AlarmLooping = false;
    QString CurrentSetupPath, CurrentSetupName;
    TSettings FSettings;           // directories, port name and sounds of MERIL.INI
    int CrossHalfHeight = 137, CrossHalfWidth = 320;
    std::unique_ptr<TFileDialog> SetupOpenDialog, SetupSaveDialog, DAcqSaveDialog;
    TFCWPartners Partners;
    QPointer<TMLogo> Logo;
    QString FUserDir;              // ~/Meril
    TSettingsPlace FSettingsPlace;
    QString FViewSettingsPath;
    bool FShowSplash;
    bool FUnattendedClose = false;
    // Full path of the spectrum this session stored last; empty before.
    QString LastStoredPath;
    // A spectrum of data stored in no file before, not yet shown by the
    // processing window; empty when there is none.
    QString NewSpectrumToShow;
    // Passes taken up from a folder are data the processing window has not
    // shown: their first store is shown next as a run's is.
    bool TakenUpNotShown = false;
    bool ParameterNoteShown = false;
    QDeadlineTimer NoteOverProgress;   // expired: the progress has the line
    // The file the operator agreed at Start to replace, as it was then.
    struct {
        QString Path;
        QDateTime Modified;
        qint64 Size = -1;
    } ConfirmedReplace;
};

// Colour of a pass by its age (0 = the pass being measured).
QColor PassColor(int age);
// Where the instrument simulator publishes its link by default.
QStringList SimulatorLinkCandidates();

// Where the main window opens when it is not maximised: most of the available
// screen area (all of a small one), never below its minimum size, centred.
QRect OpeningGeometry(const QRect& available, const QSize& minimum);

// Screen scale factor from the screen width: W/800 * 1.09 when wider than
// 800, else 1.0; rounded to the 6-byte real format.
long double ComputeScreenScale(int screenWidth);
// The screen scale in use, shared by both windows.
extern long double ScreenScale;
