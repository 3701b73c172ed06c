#include "FCWHarness.h"

#include "Chart.h"
#include "StatusBar.h"
#include "WaitUntil.h"
#include "UpDown.h"

#include <QCoreApplication>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QSignalSpy>
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
    // A window with a run in progress refuses to close; it goes all the same.
    if (Windows && Windows->FCW)
        Windows->FCW->close();
}

TInstrument& TFCWHarness::Instrument() const
{
    return FSim->Instrument();
}

bool TFCWHarness::WaitFor(const std::function<bool()>& done, int ms)
{
    return WaitUntil(done, ms);
}

void TFCWHarness::Tick()
{
    FCW().Timer1->stop();
    QMetaObject::invokeMethod(&FCW(), "Timer1Timer");
    WaitFor([] { return false; }, 30);
}

bool TFCWHarness::Connect()
{
    FCW().MLink->trigger();
    for (int i = 0; i < 6 && !FCW().isEnabled(); ++i)
        Tick();
    return WaitFor([this] {
        return Spectrometer().Connected() && Spectrometer().FieldSource() != 3 && FCW().isEnabled();
    });
}

bool TFCWHarness::RunToEnd(int ms)
{
    QSignalSpy ended(&Run(), &TRun::RunEnded);
    FCW().StartToolB->click();
    return WaitFor([&] { return ended.count() > 0; }, ms) && Run().State() == esFinished;
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

TChartSeries& TFCWHarness::CurrentPass() const
{
    for (TChartSeries* s : FCW().Series)
        if (s->Live())
            return *s;
    qFatal("no pass series is live");
}

void TFCWHarness::Choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
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
    FCW().MLink->trigger();
    Feed("X07FF07FF\r");
    Tick();
    Feed("M04\r");
    FScript->ClearSent();
}
