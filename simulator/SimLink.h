#pragma once
// The serial link to a simulated instrument, in process, for window tests.
// Everything the program writes reaches the instrument at once; what the
// instrument sends arrives through the Qt event loop (never inside
// WriteString), paced by the speed factor, and waits in a 10000-byte input
// queue like a driver's.

#include "Instrument.h"
#include "Pacer.h"
#include "SerialLink.h"

#include <QTimer>

class TSimLink : public TSerialLink {
    Q_OBJECT
public:
    static constexpr qsizetype InputQueueSize = 10000;
    // Unpaced, output is handed over in chunks of about this size, and only
    // while the program keeps its input queue below it.
    static constexpr qsizetype UnpacedChunk = 4096;

    explicit TSimLink(QObject* parent = nullptr);

    TInstrument& Instrument() { return FInstrument; }
    // 1 = real time; 0 = unpaced: as fast as the event loop takes it.
    void SetSpeed(double factor);
    // Power line: DSR on while on. Switching raises the DSR change event when
    // open; the instrument starts afresh when it comes back on.
    void SetPowered(bool on);
    // An absent instrument (cable unplugged) answers nothing.
    void SetInstrumentPresent(bool present);
    // Every byte the program wrote, present instrument or not.
    QByteArray Sent() const { return FSent; }
    void ClearSent() { FSent.clear(); }
    // A non-empty text makes Open fail with EComError of that text.
    void SetOpenError(const QString& text) { FOpenError = text; }
    // The device vanishes: the link closes and raises OnLinkLost once.
    void DropLink();
    // Delivers `lines` more reply lines, then holds the output back until
    // ReleaseHold, so that a window test sees a run at an exact point instead
    // of racing the clock. Unpaced, the instrument waits too; paced, its clock
    // runs on and what it sent meanwhile comes at the release.
    void HoldAfterLines(int lines);
    void ReleaseHold();

    bool Active() const override { return FActive; }
    void Open() override;
    void Close() override;
    void ClearInput() override;
    void ClearOutput() override {}  // writes reach the instrument at once
    TModemStatus ModemStatus() override;
    int InputCount() override;
    char ReadChar() override;
    void WriteString(const QByteArray& text) override;

private:
    bool Listening() const { return FActive && FPowered && FPresent; }
    bool Holding() const { return FLinesBeforeHold == 0; }
    void Pump();
    void Schedule();

    TInstrument FInstrument;
    TPacer FPacer;
    QTimer FTimer;
    bool FActive = false;
    bool FPowered = true;
    bool FPresent = true;
    QByteArray FInput;
    qsizetype FReadPos = 0;
    QByteArray FSent;
    QString FOpenError;
    int FLinesBeforeHold = -1;   // -1: no hold set
    QByteArray FHeld;            // output taken beyond the hold, delivered on release
};
