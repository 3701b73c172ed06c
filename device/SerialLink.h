#pragma once
// The operations and events of the serial link to the instrument, as the main
// window uses them. TComPort provides them over a Linux serial device; the
// in-process instrument simulator provides them for tests.
//
// Event delivery: events reach the GUI thread one at a time. While a handler
// runs (including a message box or any nested event loop it opens), no further
// event is delivered; the event is remembered and delivered after the handler
// has returned. Received bytes wait in the link's input queue meanwhile.

#include "Errors.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

// Error of the serial link: the system's text and error code (0 for the link's own errors).
class EComError : public EMerilError {
public:
    EComError(const QString& text, int code = 0) : EMerilError(text), Code(code) {}
    int Code;
};

// The device was lost while open (hang-up, I/O error, device gone): the link
// has closed itself. The operation that found it raises this error; the loss
// itself is told once, by the OnLinkLost event, so no error box is shown for it.
class ELinkLost : public EComError, public TReportedElsewhere {
public:
    using EComError::EComError;
};

// What the operator reads when the link to the instrument is lost.
QString LinkLostText(const QString& deviceName);
// What the operator reads when the port at devicePath could not be opened; a
// permission error names the group that may use serial devices.
QString OpenFailedText(const QString& devicePath, const EComError& e);

// Modem lines, as a set of flags.
enum TModemSignal : unsigned { msCTS = 1, msDSR = 2, msRing = 4, msRLSD = 8 };
using TModemStatus = unsigned;

namespace LinkMessages {
inline const char* const ClosedPort = "Can't perform this operation on a closed port";
inline const char* const OpenPort = "Can't perform this operation on an open port";
inline const char* const CreateThread = "Can't create thread";
inline const char* const Timeout = "Timeout";
} // namespace LinkMessages

class TSerialLink : public QObject {
    Q_OBJECT
public:
    explicit TSerialLink(QObject* parent = nullptr);
    ~TSerialLink() override;

    virtual bool Active() const = 0;
    QString DeviceName() const { return FDeviceName; }
    // A different name while open raises the open-port error; the same name is accepted.
    void SetDeviceName(const QString& name);
    virtual void Open() = 0;                  // nothing when already open
    virtual void Close() = 0;                 // harmless when closed
    virtual void ClearInput() = 0;            // nothing when closed
    virtual void ClearOutput() = 0;           // nothing when closed
    virtual TModemStatus ModemStatus() = 0;   // closed-port error when closed
    virtual int InputCount() = 0;             // bytes waiting; 0 when closed
    virtual char ReadChar() = 0;              // closed-port error when closed
    virtual void WriteString(const QByteArray& text) = 0; // empty: nothing; closed: error

    // The three events; the main window installs their handlers.
    std::function<void()> OnRxFlag;
    std::function<void()> OnDSRChange;
    std::function<void()> OnCTSChange;
    // Raised once when the link closed itself because the device was lost;
    // always from the event loop, after any running handler has returned.
    // Without a handler the system's error text is reported as unhandled.
    std::function<void(const QString& systemText)> OnLinkLost;

    // True from a loss until the port is opened or closed again.
    bool Lost() const { return FLost && !Active(); }

    // True while one of the handlers above runs.
    bool InHandler() const { return FInHandler; }

protected:
    // Called by an implementation when events occurred. Runs the handlers in
    // the fixed order CTS change, DSR change, event character, each guarded
    // (an error is reported and the next handler still runs). When called
    // while a handler is running, the events are kept and raised as soon as
    // that handler has returned.
    void RaiseEvents(bool cts, bool dsr, bool rx);
    // Drops events that were kept but not yet raised, and forgets an earlier loss (on Close).
    void DropPendingEvents();
    // Called by an implementation after it has closed itself on a lost device.
    void RaiseLinkLost(const QString& systemText);

    QString FDeviceName = QStringLiteral("COM1");

private:
    void DeliverPending();
    void QueueDelivery();
    bool FInHandler = false;
    bool FPendingCTS = false, FPendingDSR = false, FPendingRx = false;
    bool FDeliveryQueued = false;
    bool FLost = false, FPendingLost = false;
    QString FLostText;
};
