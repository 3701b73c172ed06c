#pragma once
// A serial link driven by the test: it records what the program writes and
// delivers the bytes the test pushes, through the event loop like a real link.

#include "SerialLink.h"

class TScriptLink final : public TSerialLink {
    Q_OBJECT
public:
    using TSerialLink::TSerialLink;

    // Bytes as the instrument would send them; a CR among them raises RxFlag.
    void Push(const QByteArray& bytes);
    void SetModemStatus(TModemStatus status);   // raises the DSR change event when it changes
    void Drop();                                // the device vanishes: closed, OnLinkLost raised
    QByteArray Sent() const { return FSent; }
    void ClearSent() { FSent.clear(); }

    bool Active() const override { return FActive; }
    void Open() override { FActive = true; }
    void Close() override;
    void ClearInput() override { FInput.clear(); }
    void ClearOutput() override {}
    TModemStatus ModemStatus() override;
    int InputCount() override { return int(FInput.size()); }
    char ReadChar() override;
    void WriteString(const QByteArray& text) override;

private:
    bool FActive = false;
    QByteArray FInput, FSent;
    TModemStatus FModem = msDSR;
};
