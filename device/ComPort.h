#pragma once
// The serial link to the instrument over a Linux serial device (termios).
//
// Line: 19200 baud, 8 data bits, no parity, 2 stop bits, raw, no flow control,
// DTR and RTS held off. Everything runs on the GUI thread: a socket notifier
// moves received bytes into the link's input queue and raises OnRxFlag when a
// batch holds a CR; a second notifier drains the output queue; a timer polls
// the modem lines and raises OnCTSChange / OnDSRChange on change.
//
// A device that vanishes while open (adapter unplugged, other side of a
// pseudo-terminal closed) closes the port at once and raises OnLinkLost once
// with the system's text; the operation that found it, if any, raises
// ELinkLost to its caller.

#include "SerialLink.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QSocketNotifier;
class QTimer;

class TComPort : public TSerialLink {
    Q_OBJECT
public:
    static constexpr int InputQueueSize = 10000;      // bytes, as the driver queue of the instrument's PC
    static constexpr int ModemPollInterval = 150;     // ms between two looks at the modem lines
    static constexpr int ReadCharTimeout = 1000;      // ms ReadChar waits on an empty queue
    static constexpr int RaisedNiceValue = -10;       // GUI thread priority while open, where allowed

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    // "COM1".."COMn" -> /dev/ttyS0..; a name beginning with "/" is a path; any other name lives in /dev.
    static QString DevicePath(const QString& name);

    bool Active() const override { return FHandle >= 0; }
    void Open() override;
    void Close() override;
    void ClearInput() override;
    void ClearOutput() override;
    TModemStatus ModemStatus() override;
    int InputCount() override;
    char ReadChar() override;
    void WriteString(const QByteArray& text) override;

private:
    void ApplyLineSettings();
    void StartWatching(bool pollModemLines);
    std::optional<TModemStatus> QueryModemLines();  // nullopt: the device has no modem lines
    void ReceiveAvailable();
    void WaitForByte();
    void SendPending();
    void PollModemLines();
    void UpdateReadNotifier();
    void RaisePriority();
    void RestorePriority();
    // Closes the port and throws the system's error: EComError for a failed open
    // step, ELinkLost (after raising OnLinkLost) for a link lost while open.
    [[noreturn]] void CloseWithError(int errorCode);

    int FHandle = -1;
    QByteArray FInput;   // received; bytes before FInputHead are already read
    qsizetype FInputHead = 0;
    QByteArray FOutput;  // written, not yet taken by the device
    QSocketNotifier* FReadNotifier = nullptr;
    QSocketNotifier* FWriteNotifier = nullptr;
    QTimer* FModemTimer = nullptr;
    TModemStatus FLastModem = 0;
    std::optional<int> FSavedNice;  // set while the priority is raised
};
