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
#include <QLabel>
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
    const bool connected = FSpectrometer->Connected();
    const QString base = connected ? CaptionBase + QStringLiteral("Unit Serial #") + FSpectrometer->UnitSerial()
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
        FSpectrometer->ReadPowerLine();
    } catch (const EComError& e) {
        // The check stops here; the port menu and Connect are offered again.
        if (ComPort1.Active())
            ComPort1.Close();
        FSpectrometer->SetConnected(false);
        MessageDlg(OpenFailedText(TComPort::DevicePath(ComPort1.DeviceName()), e), TMsgType::Error, mbOK);
        return;
    } catch (...) {
        if (ComPort1.Active())
            ComPort1.Close();
        FSpectrometer->SetConnected(false);
        throw;
    }
    setEnabled(false);
    FSpectrometer->BeginConnecting();
    FSpectrometer->SetFieldSource(3);
    Timer1Tag = 100;
    Timer1->start();
}

void TFCW::Timer1Timer()
{
    if (Timer1Tag < 100 || Timer1Tag > 200)
        return;
    if (FSpectrometer->Connected()) {
        Timer1->stop();
        UpdateCaption();
        setEnabled(true);
        ComPort1.ClearInput();
        ComPort1.ClearOutput();
        FSpectrometer->Commands().ConfirmConnection();
        SetStatusText(*StatusBar, 2, QStringLiteral("connected"));
        return;
    }
    ++Timer1Tag;
    if (Timer1Tag < 105)
        FSpectrometer->Commands().ProbeDevice();
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
        FSpectrometer->SetConnected(false);
        ComPort1.Close();
        setEnabled(true);
    }
}

void TFCW::ShowConnection(bool connected)
{
    UpdateCaption();
    UpdateAbort();
    if (connected) {
        SetStatusText(*StatusBar, 2, QString());
        return;
    }
    for (QAction* a : MSpcCOM)
        a->setEnabled(true);
    MLink->setEnabled(true);
    RefreshPortMenu();
    HoldToolB->setEnabled(false);
    SetStatusText(*StatusBar, 2, QStringLiteral("disconnected"));
}

void TFCW::ShowLinkLost()
{
    // The link has closed itself. A connection check in progress ends here.
    Timer1->stop();
    Timer1Tag = 0;
    StopAlarm();
    setEnabled(true);
    const QString text = LinkLostText(ComPort1.DeviceName());
    SetStatusText(*StatusBar, 2, text);
    MessageDlg(text, TMsgType::Error, mbOK);
}

void TFCW::ShowPower(bool on)
{
    MessageDlg(on ? QStringLiteral("Spectrometer is ON") : QStringLiteral("Spectrometer is OFF"), TMsgType::Warning,
               mbOK);
}

void TFCW::ShowIdentification()
{
    if (Partners.UsersAssist)
        Partners.UsersAssist->DevicePrgVerLab->setText(QStringLiteral("device internal control program v.") +
                                                       FSpectrometer->ProgramVersion());
    MCurrentdirection->menuAction()->setEnabled(FSpectrometer->ProgramVersion() == QLatin1String("2.0"));
    ShowSetup();
}

void TFCW::ShowFieldSource(int code)
{
    SetStatusText(*StatusBar, 3, MagnetTexts(code));
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
        SendSetupToInstrument();
}

bool TFCW::MonitorLine(const QByteArray& line)
{
    if (Partners.Service && Partners.Service->isVisible())
        Partners.Service->AppendLine(line);
    return !(Partners.Service && Partners.Service->NotAnalysing());
}

void TFCW::MServiceClick()
{
    if (!Partners.Service)
        return;
    Partners.Service->SetMainB0Position(FSetup.Position(TParameter::TuningB0));
    ExecModalFrom(*this, *Partners.Service);
    FSetup.Choose(TParameter::TuningB0, Partners.Service->SrvTuningB0UpDown->Position());
    ShowSetup();
}
