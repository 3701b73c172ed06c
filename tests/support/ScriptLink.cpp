#include "ScriptLink.h"

#include <QMetaObject>

void TScriptLink::Push(const QByteArray& bytes)
{
    FInput += bytes;
    if (bytes.contains('\r'))
        QMetaObject::invokeMethod(this, [this] { if (FActive) RaiseEvents(false, false, true); },
                                  Qt::QueuedConnection);
}

void TScriptLink::SetModemStatus(TModemStatus status)
{
    const bool dsrChanged = (status ^ FModem) & msDSR;
    const bool ctsChanged = (status ^ FModem) & msCTS;
    FModem = status;
    if (FActive && (dsrChanged || ctsChanged))
        RaiseEvents(ctsChanged, dsrChanged, false);
}

void TScriptLink::Drop()
{
    if (!FActive)
        return;
    Close();
    RaiseLinkLost(QStringLiteral("Input/output error"));
}

void TScriptLink::Close()
{
    FActive = false;
    DropPendingEvents();
}

TModemStatus TScriptLink::ModemStatus()
{
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    return FModem;
}

char TScriptLink::ReadChar()
{
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    if (FInput.isEmpty())
        throw EComError(QString::fromLatin1(LinkMessages::Timeout));
    const char c = FInput.front();
    FInput.remove(0, 1);
    return c;
}

void TScriptLink::WriteString(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    if (!FActive)
        throw EComError(QString::fromLatin1(LinkMessages::ClosedPort));
    FSent += text;
}
