#include "FCWHarness.h"

#include "StatusBar.h"
#include "UpDown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QToolButton>

TFCWHarness::TFCWHarness(const QStringList& iniLines, int screenWidth, TLinkKind kind)
{
    if (!iniLines.isEmpty()) {
        QFile ini(FDir.filePath(QStringLiteral("MERIL.INI")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(iniLines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    }
    TFCWOptions options;
    if (kind == SimulatedInstrument) {
        auto link = std::make_unique<TSimLink>();
        FSim = link.get();
        FSim->SetSpeed(0);
        options.Link = std::move(link);
    } else if (kind == ScriptedLink) {
        auto link = std::make_unique<TScriptLink>();
        FScript = link.get();
        options.Link = std::move(link);
    }  // a real port otherwise: the program's own TComPort
    options.ProgramDir = FDir.path() + QLatin1Char('/');
    options.ScreenWidth = screenWidth;
    options.ShowSplash = false;
    Windows = CreateWindows(std::move(options));
    Windows->FCW->setWindowState(Qt::WindowNoState);
    Windows->FCW->resize(1200, 800);
    Windows->FCW->show();
}

TFCWHarness::~TFCWHarness()
{
    // Leave no run in progress so that the window may close.
    if (Windows && Windows->FCW) {
        Windows->FCW->ExpState = esIdle;
        Windows->FCW->close();
    }
}

TInstrument& TFCWHarness::Instrument() const
{
    return FSim->Instrument();
}

bool TFCWHarness::WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void TFCWHarness::Tick()
{
    FCW().Timer1->stop();
    FCW().Timer1Timer();
    WaitFor([] { return false; }, 30);
}

bool TFCWHarness::Connect()
{
    FCW().MLinkClick();
    for (int i = 0; i < 6 && !FCW().isEnabled(); ++i)
        Tick();
    return WaitFor([this] { return FCW().DeviceConnected && FCW().FieldSource != 3 && FCW().isEnabled(); });
}

bool TFCWHarness::RunToEnd(int ms)
{
    FCW().ExpState = esIdle;  // so that the end of an earlier run does not count
    FCW().StartToolB->click();
    return WaitFor([this] { return FCW().ExpState == esFinished; }, ms);
}

QString TFCWHarness::TakeSent()
{
    QString text = QString::fromLatin1(FSim ? FSim->Sent() : FScript->Sent());
    if (FSim)
        FSim->ClearSent();
    else
        FScript->ClearSent();
    return text.replace(QLatin1Char('\r'), QLatin1Char('|'));
}

QString TFCWHarness::Panel(int i) const
{
    return FCW().StatusBar->PanelText(i);
}

void TFCWHarness::Feed(const QByteArray& lines)
{
    FScript->Push(lines);
    if (!lines.contains('\r'))
        return;  // waits in the link until a CR comes
    WaitFor([this] { return FScript->InputCount() == 0 || !FScript->Active(); }, 2000);
    QCoreApplication::processEvents();
}

void TFCWHarness::ConnectScripted()
{
    FCW().MLinkClick();
    Feed("X07FF07FF\r");
    Tick();
    Feed("M04\r");
    FScript->ClearSent();
}
