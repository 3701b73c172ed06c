// Connection to the instrument: the port menu, the readiness check, the power
// line, the field source, the caption.

#include "UCW.h"

#include "ComPort.h"
#include "Operator.h"
#include "SerialLink.h"
#include "StatusBar.h"
#include "UOutMess.h"
#include "UService.h"
#include "UTextTbl.h"
#include "UpDown.h"
#include "UsersAssist.h"
#include "Usr.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QTimer>
#include <QToolButton>
#include <unistd.h>

namespace {

const QString CaptionBase = QStringLiteral("CW NMR/ESR Spectrometer- ");

// Serial devices worth offering besides COM1..COM4: adapters present now, the
// simulator's link, and the port in use.
QStringList OtherPorts(const QString& current)
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (!path.startsWith(QStringLiteral("/dev/ttyS")))
            ports << path;
    }
    for (const QString& link : SimulatorLinkCandidates())
        if (QFileInfo::exists(link))
            ports << link;
    if (current.startsWith(QLatin1Char('/')))
        ports << current;
    ports.removeDuplicates();
    ports.sort();
    return ports;
}

} // namespace

QStringList SimulatorLinkCandidates()
{
    QStringList links;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        links << runtime + QStringLiteral("/meril-sim");
    links << QDir::tempPath() + QStringLiteral("/meril-sim")
          << QDir::tempPath() + QStringLiteral("/meril-sim-%1").arg(getuid());
    return links;
}

void TFCW::RefreshPortMenu()
{
    const QString current = ComPort1.DeviceName();
    for (int i = 0; i < 4; ++i)
        MSpcCOM[size_t(i)]->setChecked(current == QStringLiteral("COM%1").arg(i + 1));
    MSpcDevices->clear();
    const QStringList others = OtherPorts(current);
    for (const QString& port : others) {
        QAction* a = MSpcDevices->addAction(port);
        a->setCheckable(true);
        a->setChecked(port == current);
        connect(a, &QAction::triggered, this, [this, port] { RunGuarded([&] { SelectPort(port); }); });
    }
    MSpcDevices->setEnabled(MLink->isEnabled() && !others.isEmpty());
}

void TFCW::SelectPort(const QString& name)
{
    try {
        ComPort1.SetDeviceName(name);
    } catch (...) {
        // The port in use stays checked: an open port keeps its name.
        RefreshPortMenu();
        throw;
    }
    RefreshPortMenu();
}

void TFCW::UpdateCaption()
{
    const QString base = DeviceConnected ? CaptionBase + QStringLiteral("Unit Serial #") + UnitSerial
                                         : CaptionBase + QStringLiteral("Device not connected");
    setWindowTitle(base + QStringLiteral("            SETUP and ACQUISITION") +
                   QStringLiteral("            Setup: ") + CurrentSetupName);
}

void TFCW::MLinkClick()
{
    setWindowTitle(CaptionBase + QStringLiteral("Checking device ready"));
    for (QAction* a : MSpcCOM)
        a->setEnabled(false);
    MSpcDevices->setEnabled(false);
    MLink->setEnabled(false);
    try {
        ComPort1.ClearInput();
        ComPort1.ClearOutput();
        ComPort1.Open();
        SpectrometerOn = ComPort1.ModemStatus() == msDSR;
    } catch (const EComError& e) {
        // The check stops here; the port menu and Connect are offered again.
        if (ComPort1.Active())
            ComPort1.Close();
        SetConnected(false);
        MessageDlg(OpenFailedText(TComPort::DevicePath(ComPort1.DeviceName()), e), TMsgType::Error, mbOK);
        return;
    } catch (...) {
        if (ComPort1.Active())
            ComPort1.Close();
        SetConnected(false);
        throw;
    }
    setEnabled(false);
    SetFieldSource(3);
    Timer1Tag = 100;
    Timer1->start();
}

void TFCW::Timer1Timer()
{
    if (Timer1Tag < 100 || Timer1Tag > 200)
        return;
    if (DeviceConnected) {
        Timer1->stop();
        UpdateCaption();
        setEnabled(true);
        ComPort1.ClearInput();
        ComPort1.ClearOutput();
        Commands->ConfirmConnection();
        return;
    }
    ++Timer1Tag;
    if (Timer1Tag < 105)
        Commands->ProbeDevice();
    if (Timer1Tag >= 105) {
        Timer1->stop();
        Timer1Tag = 0;
        const QString detail =
            QStringLiteral("No answer on %1: check the instrument's power and cable.")
                .arg(TComPort::DevicePath(ComPort1.DeviceName()));
        if (MessageDlg(QStringLiteral("Device not ready"), TMsgType::Error, mbRetry | mbIgnore, detail) == mbRetry) {
            Timer1Tag = 100;
            Timer1->start();
            return;
        }
        SetConnected(false);
        ComPort1.Close();
        setEnabled(true);
    }
}

void TFCW::SetConnected(bool flag)
{
    DeviceConnected = flag;
    UpdateCaption();
    AbortToolB->setEnabled(flag);
    if (flag) {
        SetStatusText(*StatusBar, 2, QString());
        return;
    }
    for (QAction* a : MSpcCOM)
        a->setEnabled(true);
    MLink->setEnabled(true);
    RefreshPortMenu();
    const bool runInterrupted = ExpState >= esSettingUp && ExpState <= esAborting;
    ExpState = esIdle;
    SetFieldSource(0);
    if (runInterrupted) {
        // A run cut off by the instrument leaves no locked controls behind,
        // and the passes it completed can still be stored.
        SetHoldState(false);
        EnableParameterBoxes(true);
        KeepCompletedPasses();
    }
    HoldToolB->setEnabled(false);
    SetStatusText(*StatusBar, 2, QStringLiteral("disconnected"));
}

void TFCW::ComPort1LinkLost()
{
    // The link has closed itself. A connection check in progress ends here.
    Timer1->stop();
    Timer1Tag = 0;
    StopAlarm();
    SetConnected(false);
    setEnabled(true);
    const QString text = LinkLostText(ComPort1.DeviceName());
    SetStatusText(*StatusBar, 2, text);
    MessageDlg(text, TMsgType::Error, mbOK);
}

void TFCW::ComPort1DSRChange()
{
    const bool on = ComPort1.ModemStatus() == msDSR;
    if (on == SpectrometerOn)
        return;
    SpectrometerOn = on;
    if (on) {
        MessageDlg(QStringLiteral("Spectrometer is ON"), TMsgType::Warning, mbOK);
    } else {
        SetConnected(false);
        MessageDlg(QStringLiteral("Spectrometer is OFF"), TMsgType::Warning, mbOK);
    }
}

void TFCW::SetFieldSource(int code)
{
    // A code the instrument should not send is a wrong connection.
    if (code < 0 || code > 5)
        code = 5;
    if (code == FieldSource)
        return;
    FieldSource = code;
    SetStatusText(*StatusBar, 3, MagnetTexts(code));

    const bool allowed = code == 0 || code == 1 || code == 4;
    ModeButtonTag.fill(allowed);
    if (code == 1 || code == 2)
        ModeButtonTag[3] = !ModeButtonTag[3];

    if (code == 3 || code == 5) {
        EnableParameterBoxes(false);
        EnableChildren(AcquisitionBox, false);
    } else {
        EnableParameterBoxes(true);
        EnableChildren(AcquisitionBox, true);
        SingleRBClick();
        HoldToolB->setEnabled(false);
    }
    if (code == 1 || code == 2 || code == 4)
        ApplySetup();
}

void TFCW::MServiceClick()
{
    if (!Partners.Service)
        return;
    Partners.Service->SetMainB0Position(TuningB0UpDown->Position());
    Operator().ExecModal(*Partners.Service);
    TuningB0UpDown->SetPosition(Partners.Service->SrvTuningB0UpDown->Position());
    TuningB0UpDownClick();
}
