// The main window: creation, start-up sequence, closing, settings.

#include "UCW.h"

#include "AudioDlgB.h"
#include "Chart.h"
#include "ComPort.h"
#include "DlgBox1.h"
#include "DirDlgB.h"
#include "Logo.h"
#include "Operator.h"
#include "Real48.h"
#include "SoundPlayer.h"
#include "StatusBar.h"
#include "UDataProc.h"
#include "UMMarker.h"
#include "UOutMess.h"
#include "UpDown.h"
#include "UsersAssist.h"
#include "Usr.h"
#include "KnownStopPanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

long double ScreenScale = 1.0L;

long double ComputeScreenScale(int screenWidth)
{
    const long double ratio = screenWidth * 0.00125L;
    return ratio > 1.0L ? RoundToReal48(ratio * 1.09L) : 1.0L;
}

QRect OpeningGeometry(const QRect& available, const QSize& minimum)
{
    // A small screen needs all of it; on a large one a margin shows the desktop.
    const double share = available.width() < 1280 ? 1.0 : 0.9;
    const QSize size = QSize(int(available.width() * share), int(available.height() * share))
                           .expandedTo(minimum)
                           .boundedTo(available.size());
    QRect r(QPoint(0, 0), size);
    r.moveCenter(available.center());
    return r;
}

TFCW::TFCW(TFCWOptions options)
    : QMainWindow(nullptr),
      FSpectrometer(std::make_unique<TSpectrometer>(*(options.Link ? options.Link.release() : new TComPort()))),
      ComPort1(FSpectrometer->Link()),
      FSetup(FSpectrometer->Setup()),
      FRun(FSpectrometer->Run()),
      FUserDir(options.UserDir.isEmpty() ? QDir::homePath() + QStringLiteral("/Meril") : options.UserDir),
      FSettingsPlace(ChooseSettingsPlace(
          options.ProgramDir.isEmpty() ? ProgramDir() : options.ProgramDir,
          options.UserConfigDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                                          : options.UserConfigDir,
          FUserDir)),
      FViewSettingsPath(options.ViewSettingsPath),
      FShowSplash(options.ShowSplash)
{
    ComPort1.setParent(this);
    setObjectName(QStringLiteral("FCW"));
    CreateControls();
    ConnectHandlers();
    ConnectSpectrometer();
    if (options.ScreenWidth <= 0 && QGuiApplication::primaryScreen())
        options.ScreenWidth = QGuiApplication::primaryScreen()->geometry().width();
    ScreenScale = ComputeScreenScale(options.ScreenWidth);
    FormCreate();
}

TFCW::~TFCW()
{
    Marker1.Done();
    // The run and the setup go before the link they use.
    FSpectrometer.reset();
}

void TFCW::FormCreate()
{
    // 1. Splash window, shown over this window once it is shown.
    if (FShowSplash)
        Logo = new TMLogo(this);
    // 2. Maximised; where the window manager does not maximise (or there is
    // none), the window still opens at a good share of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(OpeningGeometry(screen->availableGeometry(), minimumSizeHint()));
    setWindowState(Qt::WindowMaximized);
    // 3. The number format (decimal ".", thousands " ") is fixed in the formatter.
    // 4. Marker cross sizes scaled to the screen.
    CrossHalfHeight = int(137 * ScreenScale);
    CrossHalfWidth = int(320 * ScreenScale);
    // 6. Acquisition display.
    MSaveas->setEnabled(false);
    // The markers and the DB readout serve a finished run only.
    VertMTB->setEnabled(false);
    HorizMTB->setEnabled(false);
    DHToolB->setEnabled(false);
    SetLegend();
    for (TChartSeries* s : Series)
        s->Clear();
    SeriesAcc->Clear();
    // 7, 8. Run state: the run starts idle.
    CurrPass = 0;
    FNameEdit->clear();
    SetHoldState(false);
    FSpectrometer->SetConnected(false);
    FSpectrometer->SetFieldSource(3);
    FSpectrometer->SetFieldSource(0);
    AlarmLooping = false;
    // 9. Pass display "1"; average hidden.
    CurrDiagramCBox->setCurrentIndex(0);
    CurrDiagramCBoxChange();
    SeriesAcc->Hide();
    // 10-12. Settings, dialog directories, the standard setup.
    LoadSettings(FSettingsPlace, FSettings);
    if (FSettingsPlace.InUserFolder) {
        // Said once; the path first, shortened to "~/", so that a narrow panel still shows it.
        QString path = QDir::toNativeSeparators(FSettingsPlace.WritePath);
        const QString home = QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/'));
        if (path.startsWith(home))
            path.replace(0, home.size(), QStringLiteral("~/"));
        SetStatusText(*StatusBar, 2,
                      QStringLiteral("disconnected; settings in %1 (%2)").arg(path, FSettingsPlace.Reason));
    }
    SetupOpenDialog->InitialDir = FSettings.SetupDir;
    SetupSaveDialog->InitialDir = FSettings.SetupDir;
    DAcqSaveDialog->InitialDir = FSettings.AcqDir;
    LoadSetup(FSettings.SetupDir + QLatin1Char('/') + QLatin1String(StandardSetupName), false);
    // 13. Port name and its menu item.
    ComPort1.SetDeviceName(FSettings.PortName);
    RefreshPortMenu();
    // 14. Caption, then the controls take the setup (nothing is sent: the port is closed).
    UpdateCaption();
    ApplySetup();
    RestoreView();
}

void TFCW::AttachPartners(const TFCWPartners& partners)
{
    Partners = partners;
}

void TFCW::FinishStartup()
{
    if (Partners.DataProc)
        Partners.DataProc->SetDirectories(FSettings.AcqDir, FSettings.DataOutDir);
    RestorePartnersView();
    // 15. The splash closes 8 seconds from now, or on a click.
    if (Logo)
        Logo->Timer1->start();
}

void TFCW::WriteSettingsFile()
{
    FSettings.SetupDir = SetupOpenDialog->InitialDir;
    FSettings.AcqDir = DAcqSaveDialog->InitialDir;
    if (Partners.DataProc)
        FSettings.DataOutDir = Partners.DataProc->DataOutDir();
    FSettings.PortName = ComPort1.DeviceName();
    SaveSettings(FSettingsPlace, FSettings);
}

void TFCW::StopAlarm()
{
    if (AlarmLooping) {
        SoundPlayer().StopAll();
        AlarmLooping = false;
    }
}

void TFCW::FidClick()
{
    StopAlarm();
}

void TFCW::FormCloseQuery(bool& canClose)
{
    canClose = true;
    if (FUnattendedClose)
        return;
    if (FRun.Running()) {
        canClose = false;
        MessageDlg(QStringLiteral("Measure in progress"), TMsgType::Warning, mbOK);
    } else if (FRun.Unsaved()) {
        canClose = MessageDlg(QStringLiteral("The last spectrum is not saved. Close anyway?"), TMsgType::Warning,
                              mbYes | mbNo) == mbYes;
    }
}

void TFCW::CloseUnattended()
{
    if (FRun.Running()) {
        FSpectrometer->Commands().AbortExperiment();
        FRun.Disconnected();
    }
    if (FRun.Unsaved())
        StoreUnattended();
    FUnattendedClose = true;
    close();
    FUnattendedClose = false;
}

QStringList TFCW::UnattendedFolders() const
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME", QDir::homePath() + QStringLiteral("/.local/state"));
    return {DAcqSaveDialog->InitialDir, FUserDir + QStringLiteral("/unsaved"), state + QStringLiteral("/Meril/unsaved")};
}

void TFCW::StoreUnattended()
{
    // Under a new name; nothing is overwritten.
    const QString name = UnsavedPrefix() + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    FRun.SetComment(CommentEdit->text());
    QStringList failures;
    const QStringList folders = UnattendedFolders();
    for (const QString& folder : folders) {
        const QString path = AutoSavePath(folder, name);
        try {
            // The acquisition directory is not created here; the unsaved folders are.
            if (folder != folders.first() && !QDir().mkpath(folder))
                throw EFileError(QStringLiteral("cannot create the folder"));
            if (QFileInfo::exists(path))
                throw EFileError(QStringLiteral("\"%1\" exists").arg(path));
            WriteSpectrumFile(path, FRun.Header(), FRun.Sums());
        } catch (const std::exception& e) {
            failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), ErrorText(e));
            continue;
        }
        FRun.Stored(path);
        if (failures.isEmpty())
            qInfo().noquote() << "The last spectrum was not saved; it is stored in" << QDir::toNativeSeparators(path);
        else
            qWarning().noquote() << "The last spectrum was not saved; it is stored in" << QDir::toNativeSeparators(path)
                                 << "as it could not be stored in" << failures.join(QStringLiteral("; "));
        return;
    }
    qWarning().noquote() << "The last spectrum could not be stored:" << failures.join(QStringLiteral("; "));
}

void TFCW::FormClose()
{
    StopAlarm();
    WriteSettingsFile();
    SaveView();
    Timer1->stop();
    if (ComPort1.Active())
        ComPort1.Close();
}

void TFCW::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    RunGuarded([&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    RunGuarded([&] { FormClose(); });
    event->accept();
}

void TFCW::mousePressEvent(QMouseEvent* event)
{
    FidClick();
    QMainWindow::mousePressEvent(event);
}

bool TFCW::eventFilter(QObject* watched, QEvent* event)
{
    // A click on a group box or the tool bar stops a looping alarm; a double
    // click on the comment field opens the comment entry.
    const bool runButton = watched == StartToolB || watched == HoldToolB || watched == AbortToolB;
    if (runButton) {
        if (event->type() == QEvent::EnabledChange)
            SyncRunMenu();
    } else if (watched == Fid && event->type() == QEvent::KeyPress) {
        bool used = false;
        RunGuarded([&] { used = FidKeyPress(*static_cast<QKeyEvent*>(event)); });
        if (used)
            return true;
    } else if (event->type() == QEvent::MouseButtonPress)
        FidClick();
    else if (event->type() == QEvent::MouseButtonDblClick && watched == CommentEdit)
        RunGuarded([this] { CommentEditDblClick(); });
    return QMainWindow::eventFilter(watched, event);
}

void TFCW::Audio1Click()
{
    if (!Partners.AudioDlgBox)
        return;
    Partners.AudioDlgBox->EventSounds = FSettings.Sounds;
    if (ExecModalFrom(*this, *Partners.AudioDlgBox) == QDialog::Accepted)
        FSettings.Sounds = Partners.AudioDlgBox->EventSounds;
}

void TFCW::MAboutClick()
{
    if (!Partners.UsersAssist)
        return;
    ExecModalFrom(*this, *Partners.UsersAssist);
}

void TFCW::MDataprocessingClick()
{
    if (!ShowDataProc())
        return;
    // The spectrum a run has just stored is shown once, in place of an earlier
    // one; a window with nothing in it yet shows the last one stored.
    QString path = NewSpectrumToShow;
    NewSpectrumToShow.clear();
    if (path.isEmpty() && !Partners.DataProc->Loaded())
        path = LastStoredPath;
    if (!path.isEmpty() && QFileInfo::exists(path))
        Partners.DataProc->LoadSpectrum(path);
}

bool TFCW::ShowDataProc()
{
    if (!Partners.DataProc)
        return false;
    Partners.DataProc->setWindowState(Partners.DataProc->windowState() | Qt::WindowMaximized);
    if (Partners.DataProc->isHidden())
        Partners.DataProc->show();
    Partners.DataProc->raise();
    Partners.DataProc->activateWindow();
    return true;
}

void TFCW::CommentEditDblClick()
{
    if (!Partners.DialogBox)
        return;
    Partners.DialogBox->Tag = 1;
    Partners.DialogBox->CommentEdit = CommentEdit;
    ExecModalFrom(*this, *Partners.DialogBox);
}
