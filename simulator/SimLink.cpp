#include "SimLink.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

Q_LOGGING_CATEGORY(lcSimLink, "meril.sim", QtInfoMsg)

namespace {
TPacer::Clock::time_point Now()
{
    return TPacer::Clock::now();
}
} // namespace

TSimLink::TSimLink(QObject* parent) : TSerialLink(parent), FPacer(FInstrument, Now())
{
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TSimLink::Pump);
    // Lines queued from outside (a new field source, an injected error) wake the link.
    FInstrument.OnQueued = [this] {
        if (FActive && !FTimer.isActive())
            FTimer.start(0);
    };
    FInstrument.OnLog = [](const QString& text) { qCInfo(lcSimLink).noquote() << text; };
    FInstrument.OnCommand = [](const QByteArray& text) { qCDebug(lcSimLink) << "command" << text; };
}

void TSimLink::SetSpeed(double factor)
{
    FPacer.SetSpeed(factor, Now());
    Schedule();
}

void TSimLink::SetPowered(bool on)
{
    if (on == FPowered)
        return;
    FPowered = on;
    // Off, the instrument forgets its settings and its pass; on, it starts afresh.
    FInstrument.Reset();
    FPacer.Discard(Now());
    // Modem-line changes reach the program from the event loop, as a polled line's would.
    if (FActive)
        QMetaObject::invokeMethod(this, [this] {
            if (FActive)
                RaiseEvents(false, true, false);
        }, Qt::QueuedConnection);
    Schedule();
}

void TSimLink::SetInstrumentPresent(bool present)
{
    if (present && !FPresent)
        FPacer.Discard(Now()); // what it sent meanwhile went nowhere
    FPresent = present;
    Schedule();
}

void TSimLink::DropLink()
{
    if (!FActive)
        return;
    Close();
    RaiseLinkLost(QString::fromLocal8Bit(std::strerror(EIO)));
}

void TSimLink::HoldAfterLines(int lines)
{
    FLinesBeforeHold = std::max(lines, 0);
    Schedule();
}

void TSimLink::ReleaseHold()
{
    FLinesBeforeHold = -1;
    Schedule();
}

void TSimLink::Open()
{
    if (FActive)
        return;
    if (!FOpenError.isEmpty())
        throw EComError(FOpenError);
    FActive = true;
    FInput.clear();
    FReadPos = 0;
    FPacer.Discard(Now());
    Schedule();
}

void TSimLink::Close()
{
    if (!FActive)
        return;
    FActive = false;
    FTimer.stop();
    FHeld.clear();
    FInput.clear();
    FReadPos = 0;
    DropPendingEvents();
}

void TSimLink::ClearInput()
{
    FInput.clear();
    FReadPos = 0;
    Schedule();
}

TModemStatus TSimLink::ModemStatus()
{
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    return FPowered ? TModemStatus(msDSR) : TModemStatus(0);
}

int TSimLink::InputCount()
{
    return FActive ? int(FInput.size() - FReadPos) : 0;
}

char TSimLink::ReadChar()
{
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    if (FReadPos >= FInput.size())
        throw EComError(QString::fromLatin1(LinkMessages::Timeout));
    const char c = FInput[FReadPos++];
    if (FReadPos == FInput.size()) {
        FInput.clear();
        FReadPos = 0;
        if (!FTimer.isActive())
            Schedule(); // unpaced output waits for the program to read
    }
    return c;
}

void TSimLink::WriteString(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    FSent += text;
    if (!Listening())
        return;
    FPacer.Sync(Now());
    FInstrument.Receive(text);
    Schedule();
}

void TSimLink::Pump()
{
    if (!Listening())
        return;
    if (FPacer.Unpaced() && InputCount() >= UnpacedChunk)
        return; // resumed by ReadChar
    if (Holding())
        return;
    QByteArray bytes = FHeld.isEmpty() ? FPacer.Take(Now(), UnpacedChunk) : std::exchange(FHeld, {});
    if (FLinesBeforeHold > 0) {
        // Up to the last line before the hold; the rest waits for the release.
        qsizetype end = 0;
        while (FLinesBeforeHold > 0 && (end = bytes.indexOf('\r', end)) >= 0) {
            ++end;
            --FLinesBeforeHold;
        }
        if (Holding()) {
            FHeld = bytes.mid(end);
            bytes.truncate(end);
        }
    }
    if (!bytes.isEmpty()) {
        const qsizetype room = InputQueueSize - InputCount();
        if (bytes.size() > room) {
            qCWarning(lcSimLink) << "input queue full:" << bytes.size() - room << "bytes lost";
            bytes.truncate(room);
        }
        if (FReadPos > 0) {
            FInput.remove(0, FReadPos);
            FReadPos = 0;
        }
        FInput += bytes;
        if (bytes.contains('\r'))
            RaiseEvents(false, false, true);
    }
    Schedule();
}

void TSimLink::Schedule()
{
    if (!Listening() || Holding() || (FPacer.Unpaced() && InputCount() >= UnpacedChunk)) {
        FTimer.stop();
        return;
    }
    if (!FHeld.isEmpty()) {
        FTimer.start(0);   // what a released hold kept back comes first
        return;
    }
    const auto wait = FPacer.UntilNext(Now());
    if (!wait) {
        FTimer.stop();
        return;
    }
    FTimer.start(std::chrono::ceil<std::chrono::milliseconds>(*wait));
}
