#include "SerialLink.h"

#include <QMetaObject>

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
}

void TSerialLink::DeliverPending()
{
    if (FInHandler || !(FPendingCTS || FPendingDSR || FPendingRx))
        return;
    const bool cts = FPendingCTS, dsr = FPendingDSR, rx = FPendingRx;
    FPendingCTS = FPendingDSR = FPendingRx = false;
    FInHandler = true;
    if (cts && OnCTSChange)
        RunGuarded(OnCTSChange);
    if (dsr && OnDSRChange)
        RunGuarded(OnDSRChange);
    if (rx && OnRxFlag)
        RunGuarded(OnRxFlag);
    FInHandler = false;
    // Events that came in while the handlers ran are raised from the event
    // loop, not from here, so a burst cannot starve the rest of the program.
    if ((FPendingCTS || FPendingDSR || FPendingRx) && !FDeliveryQueued) {
        FDeliveryQueued = true;
        QMetaObject::invokeMethod(this, [this] {
            FDeliveryQueued = false;
            DeliverPending();
        }, Qt::QueuedConnection);
    }
}
