#include "SerialLink.h"

#include <QMetaObject>

#include <cerrno>

QString LinkLostText(const QString& deviceName)
{
    return QStringLiteral("Connection to %1 lost: check the cable and the instrument's power, "
                          "then choose Spectrometer > Connect.")
        .arg(deviceName);
}

QString OpenFailedText(const QString& devicePath, const EComError& e)
{
    if (e.Code == EACCES || e.Code == EPERM)
        return QStringLiteral("Permission denied on %1: add yourself to the group dialout "
                              "(sudo usermod -aG dialout $USER) and log in again.")
            .arg(devicePath);
    return QStringLiteral("Cannot open %1: %2. Choose the instrument's port under Spectrometer.").arg(devicePath, e.Text());
}

TSerialLink::TSerialLink(QObject* parent) : QObject(parent) {}

TSerialLink::~TSerialLink() = default;

void TSerialLink::SetDeviceName(const QString& name)
{
    if (name == FDeviceName)
        return;
    if (Active())
        throw EComError(QString::fromLatin1(LinkMessages::OpenPort));
    FDeviceName = name;
}

void TSerialLink::RaiseEvents(bool cts, bool dsr, bool rx)
{
    FPendingCTS |= cts;
    FPendingDSR |= dsr;
    FPendingRx |= rx;
    if (!FInHandler)
        DeliverPending();
}

void TSerialLink::DropPendingEvents()
{
    FPendingCTS = FPendingDSR = FPendingRx = false;
    FLost = false;
}

void TSerialLink::RaiseLinkLost(const QString& systemText)
{
    FLost = true;
    FPendingLost = true;
    FLostText = systemText;
    // Never from inside the operation that found the loss: its caller is still running.
    QueueDelivery();
}

void TSerialLink::QueueDelivery()
{
    if (FDeliveryQueued)
        return;
    FDeliveryQueued = true;
    QMetaObject::invokeMethod(this, [this] {
        FDeliveryQueued = false;
        DeliverPending();
    }, Qt::QueuedConnection);
}

void TSerialLink::DeliverPending()
{
    if (FInHandler || !(FPendingCTS || FPendingDSR || FPendingRx || FPendingLost))
        return;
    const bool cts = FPendingCTS, dsr = FPendingDSR, rx = FPendingRx, lost = FPendingLost;
    FPendingCTS = FPendingDSR = FPendingRx = FPendingLost = false;
    FInHandler = true;
    if (cts && OnCTSChange)
        RunGuarded(OnCTSChange);
    if (dsr && OnDSRChange)
        RunGuarded(OnDSRChange);
    if (rx && OnRxFlag)
        RunGuarded(OnRxFlag);
    if (lost) {
        if (OnLinkLost)
            RunGuarded([this] { OnLinkLost(FLostText); });
        else
            ReportUnhandledError(FLostText);
    }
    FInHandler = false;
    // Events that came in while the handlers ran are raised from the event
    // loop, not from here, so a burst cannot starve the rest of the program.
    if (FPendingCTS || FPendingDSR || FPendingRx || FPendingLost)
        QueueDelivery();
}
