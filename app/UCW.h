#pragma once
// The main window: settings, connection to the instrument, experiment
// parameters, experiment run with its replies, the acquisition display and
// the storing of acquired spectra and setups.

#include "ReplyLine.h"
#include "SerialLink.h"
#include "DataFile.h"
#include "PassSet.h"
#include "USetup.h"
#include "ValueBox.h"   // the value boxes are read like labels

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
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
class TCommandSet;
class TFDataProc;
class TFService;
class TMAudioDlgBox;
class TMDialogBox;
class TMDirectories;
class TMUsersAssist;
class TMLogo;
class TElidedLabel;
class TStatusBar;
class TUpDown;
struct TFileDialog;

// Experiment states.
enum TExpState : int {
    esIdle = 0, esSettingUp = 1, esRunning = 2, esPassEnded = 3, esAborting = 4, esAborted = 5, esFinished = 10
};

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

    // ---- Controls (the window's form) ----
    // Menus
    QAction *MOpensetup, *MSavesetup, *MSavesetupas, *MSaveas, *MAbout, *MExit;
    std::array<QAction*, 4> MSpcCOM;                  // MSpcCOM1..MSpcCOM4
    QMenu* MSpcDevices;                               // serial devices present, simulator link
    QAction* MLink;
    QAction *MStart, *MHold, *MAbort;                 // the run's tool buttons, with their keys
    QAction *MDataprocessing, *MService, *Audio1, *MFileLocation, *MAccDiagram;
    QMenu* MCurrentdirection;
    QAction *MCDirFWD, *MCDirREV;
    QMenu* MUnits;
    QAction *MGs, *MmT;
    // Tool bar
    QToolButton *StartToolB, *HoldToolB, *AbortToolB, *VertMTB, *HorizMTB, *AccDToolB, *DHToolB, *DProcTB;
    QLabel* SweepDLabel;
    QComboBox* CurrDiagramCBox;
    // Mode
    QGroupBox* ResonanceBox;
    QRadioButton *HydrogenRB, *FluorineRB, *HFRB, *EPRResRB;
    std::array<QRadioButton*, 4> ModeButtons;
    std::array<bool, 4> ModeButtonTag{};               // permission from the field source
    // Receiver
    QGroupBox* ReceiverBox;
    QLabel *Gain, *GainVal, *Phase, *PhaseVal;
    QScrollBar *GainScrollBar, *PhaseScrollBar;
    QLabel *TuningB0Lab, *B0ByLab;
    TValueBox *TuningB0Val, *DB0Val;
    TUpDown *TuningB0UpDown, *DB0UpDown;
    QLabel *FreqLab, *FByLab;
    TValueBox *FrequencyVal, *DFrqVal;
    TUpDown *FrequencyUpDown, *DFrqUpDown;
    // Modulation and sweep
    QGroupBox* FModulatorBox;
    QLabel *ModAmp, *SweepTLab;
    TValueBox *ModAmpVal, *FieldSwRngVal, *FreqSwRngVal, *SweepTVal;
    TUpDown *ModAmpUpDown, *FieldSwRngUpDown, *FreqSwRngUpDown, *SweepTUpDown;
    QRadioButton *FieldSwRngRB, *FreqSwRngRB;
    // DC offset
    QGroupBox* Level;
    QSlider* LevelTB;
    // Acquisition
    QGroupBox* AcquisitionBox;
    QLabel *AccLab, *FileLab, *CommentLab;
    TValueBox* AccVal;
    TUpDown* AccUpDown;
    QRadioButton *SingleRB, *LoopRB;
    QLineEdit *FNameEdit, *CommentEdit;
    // Chart and what sits on it
    TChart* Fid;
    std::array<TChartSeries*, 5> Series{};             // Series1..Series5
    TChartSeries* SeriesAcc = nullptr;
    QWidget* LegendPanel;
    std::array<QLabel*, 5> Legends{};                  // S1Legend..S5Legend
    QLabel *OutOfRangeLab, *XYST, *DBST;
    TStatusBar* StatusBar;
    // The line above the status panels: the run's progress (points, pass and
    // time left) while a run is on, else what was last written and where.
    QProgressBar* RunProgressBar;
    TElidedLabel* ActivityLab;
    QTimer* RunProgressTimer;
    QTimer* Timer1;
    int Timer1Tag = 0;

    // ---- State ----
    TSerialLink& ComPort1;
    std::unique_ptr<TCommandSet> Commands;
    bool DeviceConnected = false;
    bool SpectrometerOn = false;
    QString UnitSerial, DevicePrgVersion;
    int FieldSource = -1;
    int ModeIndex = 0;
    std::array<int32_t, 4> TuningB0Pos{}, FrequencyPos{}, PhasePos{}, FieldSwRngPos{};
    int ExpState = esIdle;
    std::vector<int32_t> AccBuffer;
    double PointStep = 0;
    int PointCount = 0;
    int CurrPass = 0;
    int32_t DataDivisor = 13500;   // until a Z line says otherwise
    bool HoldActive = false;
    int OutOfRangeCount = 0;       // the Tag of OutOfRangeLab
    std::vector<QWidget*> HoldControls;
    bool AlarmLooping = false;
    SetupRecord Setup;             // the setup last opened or saved
    QString CurrentSetupPath, CurrentSetupName;
    TSettings Settings;            // directories, port name and sounds of MERIL.INI
    int CrossHalfHeight = 137, CrossHalfWidth = 320;
    std::unique_ptr<TFileDialog> SetupOpenDialog, SetupSaveDialog, DAcqSaveDialog;

    // ---- Operations of the window ----
    void SetConnected(bool flag);
    void SetFieldSource(int code);
    void UpdateCaption();
    void RefreshPortMenu();            // checks the port in use; lists the devices present
    void SetHoldState(bool flag);
    void SwitchMode(int m);
    void UpdateModeControls();
    void EnableParameterBoxes(bool flag);
    void ApplySetup();
    void StopAlarm();
    void ApplyPassDisplay();
    void SetupXAxis();
    void LoadSetup(const QString& path, bool operatorChose);
    void SaveSetup(const QString& path);
    void SetCurrentSetup(const QString& path);
    void AutoSave();
    // False when the file exists and the operator does not want it overwritten.
    bool MayOverwrite(const QString& path);
    bool WriteSpectrum(const QString& path);
    void KeepCompletedPasses();
    void SnapshotRunHeader();
    void WriteSettingsFile();
    // The remembered view: read at start, written at close.
    void RestoreView();
    void RestorePartnersView();
    void SaveView();
    // The main window's file dialogs by the names the remembered view uses.
    std::vector<std::pair<QString, TFileDialog*>> FileDialogs() const;
    // ---- Kept passes (UCWPasses.cpp) ----
    QAction *MPasses, *MContinueAcc, *MKeepPasses;
    TPassRecorder PassRecorder;        // the folder the run's passes go to
    QByteArray KeptSetupBytes;         // the setup record the kept passes were measured with
    bool ContinuingRun = false;        // the run adds passes to kept ones
    int RunTarget = 0;                 // the passes the kept run was to have
    void CreatePassCommands();
    void BeginRunPasses();             // at the first pass of a run
    void KeepPass();                   // at the end of each pass
    void MovePassesWith(const QString& spectrumPath);
    void EndRunPasses();               // when a run has finished
    bool FitsRun(int points);          // false (and the run aborted) for a pass of another length
    void UpdatePassCommands();
    bool MayContinue() const;
    void MPassesClick();
    void MContinueAccClick();
    // Takes up the kept passes of a folder: their sum, ready to store or to continue.
    bool OpenPassFolder(const QString& folder);
    // The parameters now, as a setup file holds them.
    SetupRecord CurrentSetupRecord() const;
    // The header captions of the parameters now, without comment.
    TDataHeader CurrentHeader() const;
    // Counts the passes of a run as they are set up (Loop mode keeps the pass
    // counter at 1) and starts the progress display.
    void NoteRunPass();
    // Shows the run's progress, or clears it once the run has ended.
    void UpdateRunProgress();
    // Shows the processing window in front, maximised; false when there is none.
    bool ShowDataProc();
    QString AxisUnitText() const;      // "Gs" for a field sweep, "kHz" for a frequency sweep
    bool FieldSweep() const;
    float SweepRangeValue() const;

    // ---- Handlers ----
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void FidClick();
    void MLinkClick();
    void Timer1Timer();
    void ComPort1DSRChange();
    void ComPort1RxFlag();
    void ComPort1LinkLost();
    void SelectPort(const QString& name);
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
    void CommentEditDblClick();
    // Keys on the focused chart move the marker after a run: Left and Right
    // by one point (Shift: ten), Home and End to the ends; Up and Down move a
    // horizontal marker by one pixel (Shift: ten). True when the key was used.
    bool FidKeyPress(const QKeyEvent& key);

    // Reply handling, one line at a time (the receive handler feeds it).
    void HandleReply(const TReply& r);

    // Closes the window without asking anything: nobody is there to answer
    // (a stop signal). A spectrum not yet stored is stored first.
    void CloseUnattended();
    // The data of the last run (finished, or cut off by a lost link) are
    // stored in no file yet.
    bool SpectrumUnsaved = false;
    // Full path of the spectrum this session stored last; empty before.
    QString LastStoredPath;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    QWidget* CreateParameterPanel();
    void CreateChart();
    void AttachValueBoxes();
    void ConnectHandlers();
    void FormCreate();
    void PlaceChartLabels();
    void CheckModeButton(int m);
    void CheckSweepButton(QRadioButton* button);
    void SetAccStatus();
    void SetLegend();
    void SetupMarker();
    void ReplyPassSetup(const TReply& r);
    void ReplyPassComplete();
    void ReplyReady();
    void EndAbortedRun();
    void ReplyValue(const TReply& r);
    void ReplyCalibration(const TReply& r);
    void ReplyIdentification(const TReply& r);
    void ReportBadLine(const QByteArray& line, const QString& reason);
    int StartSweepDigit() const;
    // False when the operator chose not to start over an existing file.
    bool ConfirmStoreName();
    void SyncRunMenu();            // the run's menu items follow their tool buttons

    TLineAssembler RxLine;
    TFCWPartners Partners;
    QPointer<TMLogo> Logo;
    TSettingsPlace FSettingsPlace;
    QString FViewSettingsPath;
    bool FShowSplash;
    // The last finished run's data stay available for "Save data as ..."
    // until the next run starts, also when AutoSave failed.
    bool SavedDataAvailable = false;
    int RunPassNumber = 0;             // passes of the run set up so far
    TDataHeader RunHeader;             // the settings of the last finished run
    // The sums of the passes of the running run completed so far, and their number.
    std::vector<int32_t> CompletedSum;
    int CompletedPasses = 0;
    // Abort was pressed during this run: no further pass is started.
    bool AbortRequested = false;
    bool FUnattendedClose = false;
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
