#include "Spectrometer.h"

#include "Freq.h"
#include "SerialLink.h"
#include "Usr.h"

TSpectrometer::TSpectrometer(TSerialLink& link, QObject* parent)
    : QObject(parent),
      FLink(link),
      FCommands(std::make_unique<TCommandSet>(link, FConnected)),
      FSetup(std::make_unique<TInstrumentSetup>(*FCommands)),
      FRun(std::make_unique<TRun>(*FCommands, FConnected, FConnecting, FDataDivisor, *FSetup))
{
    FLink.OnRxFlag = [this] { ReadReplies(); };
    FLink.OnDSRChange = [this] { PowerLineChanged(); };
    FLink.OnCTSChange = [this] { PowerLineChanged(); };
    FLink.OnLinkLost = [this](const QString&) {
        SetConnected(false);
        emit LinkLost();
    };
}

TSpectrometer::~TSpectrometer()
{
    FLink.OnRxFlag = nullptr;
    FLink.OnDSRChange = nullptr;
    FLink.OnCTSChange = nullptr;
    FLink.OnLinkLost = nullptr;
}

void TSpectrometer::SetConnected(bool connected)
{
    FConnected = connected;
    if (!connected) {
        FConnecting = false;
        FResendInUse = FSetupSent;
        FRun->Disconnected();
    }
    emit ConnectionChanged(connected);
    if (!connected)
        SetFieldSource(0);
}

void TSpectrometer::SendSetup(const std::array<bool, 4>& modeAllowed)
{
    if (FResendInUse && FConnected)
        FSetup->Resend(modeAllowed);
    else
        FSetup->Apply(modeAllowed);
    if (FConnected) {
        FSetupSent = true;
        FResendInUse = false;
    }
}

void TSpectrometer::ReadPowerLine()
{
    FPowerOn = FLink.ModemStatus() == msDSR;
}

void TSpectrometer::PowerLineChanged()
{
    const bool on = FLink.ModemStatus() == msDSR;
    if (on == FPowerOn)
        return;
    FPowerOn = on;
    if (!on)
        SetConnected(false);
    emit PowerChanged(on);
}

void TSpectrometer::SetFieldSource(int code)
{
    if (code < 0 || code > 5)
        code = 5;
    if (code == FFieldSource)
        return;
    FFieldSource = code;
    // Electromagnet: NMR only; Helmholtz coils: ESR only.
    const bool allowed = code == 0 || code == 1 || code == 4;
    FModeAllowed.fill(allowed);
    if (code == 1 || code == 2)
        FModeAllowed[EsrMode] = !FModeAllowed[EsrMode];
    emit FieldSourceChanged(code);
}

void TSpectrometer::ReadReplies()
{
    FLine.ReadFrom(FLink, [this](const QByteArray& line, bool overflowed) {
        const bool analyse = !LineMonitor || LineMonitor(line);
        // A line that cannot be read is dropped and named; a message box per
        // line would stop the acquisition.
        if (overflowed) {
            emit BadLine(QStringLiteral("reply %1 dropped: line too long; its end was dropped").arg(PrintableLine(line)));
            return;
        }
        if (!analyse)
            return;
        if (!FConnected && !line.startsWith('X') && !line.startsWith('Z'))
            return;
        const TParsedReply parsed = ParseReply(line);
        if (const auto* bad = std::get_if<TMalformedReply>(&parsed))
            emit BadLine(QStringLiteral("reply %1 dropped: %2").arg(PrintableLine(line), bad->Reason));
        else if (const auto* reply = std::get_if<TReply>(&parsed))
            Handle(*reply);
    });
}

void TSpectrometer::Handle(const TReply& r)
{
    switch (r.Letter) {
    case 'E':
        emit DeviceError(r.ErrorCode);
        break;
    case 'M':
        SetFieldSource(r.FieldSource);
        // The field source is the last word of a connection: the setup has gone out with it.
        if (FConnected)
            FConnecting = false;
        break;
    case 'X':
        ZeroOffset[0] = r.Z1 - 2047;
        ZeroOffset[1] = r.Z1 - 2047;
        ZeroOffset[3] = r.Z2 - 2047;
        SetConnected(true);
        break;
    case 'Z':
        FUnitSerial = r.Serial;
        FProgramVersion = r.Version;
        // Control program 2.0 has a twelfth modulation amplitude and its own scale.
        if (FProgramVersion == QLatin1String("2.0")) {
            FSetup->SetModAmpMax(12);
            FDataDivisor = 76000;
        } else {
            FDataDivisor = 13500;
        }
        emit Identified();
        break;
    default:
        FRun->HandleReply(r);
        break;
    }
}
