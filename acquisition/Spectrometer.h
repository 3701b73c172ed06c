#pragma once
// The instrument as the program knows it over the serial link: the command
// set, whether an instrument is connected (its X reply) and what it said of
// itself (its Z reply), its power line and its field source, and the reading
// of every reply line, which goes to the run, to the setup or out as a
// signal. It owns the setup and the run. No widgets.

#include "InstrumentSetup.h"
#include "ReplyLine.h"
#include "Run.h"

#include <QObject>
#include <array>
#include <functional>
#include <memory>

class TCommandSet;
class TSerialLink;

class TSpectrometer : public QObject {
    Q_OBJECT
public:
    // Takes the link's events (received lines, modem lines, a lost device).
    explicit TSpectrometer(TSerialLink& link, QObject* parent = nullptr);
    ~TSpectrometer() override;

    TSerialLink& Link() const { return FLink; }
    TCommandSet& Commands() const { return *FCommands; }
    TInstrumentSetup& Setup() const { return *FSetup; }
    TRun& Run() const { return *FRun; }

    // Commands other than the probe go out only while this holds.
    const bool& Connected() const { return FConnected; }
    // Told even when it was so already. Disconnecting ends a run in progress
    // (its completed passes stay) and clears the field source.
    void SetConnected(bool connected);

    // A connection is being made: from Connect until the instrument, once
    // connected, has reported its field source and been sent its setup. No
    // run starts meanwhile: its sweep would go out among the setup's commands.
    bool Connecting() const { return FConnecting; }
    void BeginConnecting() { FConnecting = true; }
    // Puts a setup into the parameters and sends it, when the instrument has
    // reported its field source. The first connection after start and a new
    // field source take the stored setup (STANDARD.CFG or the one last
    // opened); a connection made again after one was lost takes the setup in
    // use, so that the run it was for can go on as it was.
    void SendSetup(const std::array<bool, 4>& modeAllowed);

    QString UnitSerial() const { return FUnitSerial; }
    QString ProgramVersion() const { return FProgramVersion; }
    int32_t DataDivisor() const { return FDataDivisor; }

    // The power line: on when DSR alone is set.
    bool PowerOn() const { return FPowerOn; }
    // Takes the power line's state without telling (when the port opens).
    void ReadPowerLine();

    // -1 before the first one is set.
    int FieldSource() const { return FFieldSource; }
    // The modes the field source allows.
    bool ModeAllowed(int m) const { return FModeAllowed[size_t(m)]; }
    // A code beyond 0..5 counts as a wrong connection (5); the code in use
    // changes nothing.
    void SetFieldSource(int code);

    // Called with every received line (its CR included) before it is read;
    // false keeps the line from being analysed.
    std::function<bool(const QByteArray& line)> LineMonitor;

    // Reads every complete line the link holds (the link's receive event).
    void ReadReplies();

signals:
    void ConnectionChanged(bool connected);
    void Identified();                        // a Z reply
    void FieldSourceChanged(int code);
    void DeviceError(const QString& code);    // an E reply
    // A line that could not be read was dropped; the text says which and why.
    void BadLine(const QString& text);
    void PowerChanged(bool on);               // an off instrument is disconnected first
    void LinkLost();                          // the device vanished; disconnected first

private:
    void Handle(const TReply& r);
    void PowerLineChanged();

    TSerialLink& FLink;
    bool FConnected = false;
    bool FConnecting = false;
    bool FSetupSent = false;     // an instrument got a setup in this session
    bool FResendInUse = false;   // ... and lost it with its connection since
    std::unique_ptr<TCommandSet> FCommands;
    std::unique_ptr<TInstrumentSetup> FSetup;
    std::unique_ptr<TRun> FRun;
    TLineAssembler FLine;
    QString FUnitSerial, FProgramVersion;
    int32_t FDataDivisor = 13500;   // until a Z line says otherwise
    bool FPowerOn = false;
    int FFieldSource = -1;
    std::array<bool, 4> FModeAllowed{};
};
