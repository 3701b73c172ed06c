// The in-process link to the simulated instrument: the serial link's contract,
// delivery through the event loop, pacing, power line, absent instrument and
// link loss.

#include "Errors.h"
#include "SimLink.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
// Reads replies as the main window does: drain the queue at each event, keep a part line.
struct TReceiver {
    explicit TReceiver(TSimLink& link)
    {
        link.OnRxFlag = [this, &link] {
            ++Events;
            while (link.InputCount() > 0) {
                const char c = link.ReadChar();
                Partial += c;
                if (c == '\r') {
                    Lines << Partial.chopped(1);
                    Partial.clear();
                    if (OnLine)
                        OnLine(Lines.last());
                }
            }
            PartEvents += !Partial.isEmpty();
        };
    }
    int Count(char letter) const
    {
        return int(std::count_if(Lines.begin(), Lines.end(), [letter](const QByteArray& l) { return l.startsWith(letter); }));
    }
    QByteArrayList Lines;
    QByteArray Partial;
    int Events = 0;
    int PartEvents = 0;
    std::function<void(const QByteArray&)> OnLine;
};

void ConfigurePoints(TSimLink& link, int points)
{
    TInstrumentConfig config = link.Instrument().Config();
    config.Points = points;
    config.Noise = 0;
    link.Instrument().Configure(config);
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EComError& e) {
        return e.Text();
    }
    return {};
}
} // namespace

class TestSimLink : public QObject {
    Q_OBJECT

private slots:
    void closedAndOpenLinkFollowTheContract()
    {
        TSimLink link;
        const QString closed = QString::fromLatin1(LinkMessages::ClosedPort);
        QVERIFY(!link.Active());
        link.Close();
        link.ClearInput();
        link.ClearOutput();
        link.WriteString({});
        QCOMPARE(link.InputCount(), 0);
        QCOMPARE(ErrorOf([&] { link.WriteString("Z\r"); }), closed);
        QCOMPARE(ErrorOf([&] { link.ReadChar(); }), closed);
        QCOMPARE(ErrorOf([&] { link.ModemStatus(); }), closed);
        QVERIFY(link.Sent().isEmpty());

        link.Open();
        link.Open();
        QVERIFY(link.Active());
        QCOMPARE(link.ModemStatus(), TModemStatus(msDSR));
        QCOMPARE(ErrorOf([&] { link.SetDeviceName("/tmp/other"); }), QString::fromLatin1(LinkMessages::OpenPort));
        link.Close();
        link.Close();
        QVERIFY(!link.Active());
    }

    void openErrorLeavesTheLinkClosed()
    {
        TSimLink link;
        link.SetOpenError("Permission denied");
        QCOMPARE(ErrorOf([&] { link.Open(); }), QString("Permission denied"));
        QVERIFY(!link.Active());
        link.SetOpenError({});
        link.Open();
        QVERIFY(link.Active());
    }

    void repliesArriveThroughTheEventLoopNeverInsideWrite()
    {
        TSimLink link;
        TReceiver receiver(link);
        link.Open();
        link.WriteString("Z\r");
        QCOMPARE(link.InputCount(), 0);
        QCOMPARE(receiver.Events, 0);
        QTRY_COMPARE(receiver.Lines, (QByteArrayList{"Z00421.3", "X08020801"}));
        QCOMPARE(link.Sent(), QByteArray("Z\r"));
        link.ClearSent();
        QVERIFY(link.Sent().isEmpty());
    }

    void unpacedPassArrivesWholeAndKeepsTheLoopResponsive()
    {
        TSimLink link;
        TReceiver receiver(link);
        ConfigurePoints(link, 20000);
        link.SetSpeed(0);
        link.Open();
        int ticks = 0;
        QTimer other;
        connect(&other, &QTimer::timeout, [&] { ++ticks; });
        other.start(0);
        link.WriteString("F0\r");
        QTRY_VERIFY_WITH_TIMEOUT(!receiver.Lines.isEmpty() && receiver.Lines.last() == "D", 20000);
        QCOMPARE(receiver.Lines.size(), 20004);
        QCOMPARE(receiver.Count('V'), 20000);
        QVERIFY(receiver.Events > 20); // in chunks, not in one go
        QVERIFY(ticks > 20);           // other events ran meanwhile
    }

    void pacedPassTakesItsSweepTime()
    {
        TSimLink link;
        TReceiver receiver(link);
        ConfigurePoints(link, 100);
        link.SetSpeed(60); // the 30 s sweep in 0.5 s
        link.Open();
        QElapsedTimer clock;
        clock.start();
        link.WriteString("F0\r");
        qint64 swept = 0;
        receiver.OnLine = [&](const QByteArray& line) {
            if (line == "C")
                swept = clock.elapsed();
        };
        QTRY_VERIFY_WITH_TIMEOUT(swept > 0, 20000);
        QVERIFY2(swept >= 490, qPrintable(QString::number(swept)));
        QCOMPARE(receiver.Count('V'), 100);
        QVERIFY(receiver.Events > 20); // the data trickles in
    }

    void handlerCanStartTheNextPassFromTheReplies()
    {
        TSimLink link;
        TReceiver receiver(link);
        ConfigurePoints(link, 50);
        link.SetSpeed(0);
        link.Open();
        int passes = 1;
        receiver.OnLine = [&](const QByteArray& line) {
            if (line == "D" && passes < 3) {
                ++passes;
                link.WriteString("F0\r");
            }
        };
        link.WriteString("F0\r");
        QTRY_COMPARE(receiver.Count('D'), 3);
        QCOMPARE(receiver.Count('V'), 150);
        QCOMPARE(link.Sent(), QByteArray("F0\rF0\rF0\r"));
    }

    void powerLineRaisesDsrAndRestartsTheInstrument()
    {
        TSimLink link;
        TReceiver receiver(link);
        int dsrEvents = 0;
        link.OnDSRChange = [&] { ++dsrEvents; };
        link.SetPowered(false); // closed: no event
        link.SetPowered(true);
        link.Open();
        link.WriteString("D200\r");
        QCOMPARE(link.Instrument().Parameters().Gain, 255);

        link.SetPowered(false);
        QCOMPARE(dsrEvents, 0); // from the event loop, not from inside the call
        QTRY_COMPARE(dsrEvents, 1);
        QCOMPARE(link.ModemStatus(), TModemStatus(0));
        link.WriteString("Z\r"); // nobody answers

        link.SetPowered(true);
        QTRY_COMPARE(dsrEvents, 2);
        QCOMPARE(link.ModemStatus(), TModemStatus(msDSR));
        QCOMPARE(link.Instrument().Parameters().Gain, 128);
        link.WriteString("Y\r");
        QTRY_COMPARE(receiver.Lines, QByteArrayList{"M04"});
        QCOMPARE(link.Sent(), QByteArray("D200\rZ\rY\r"));
    }

    void absentInstrumentAnswersNothing()
    {
        TSimLink link;
        TReceiver receiver(link);
        link.Open();
        link.SetInstrumentPresent(false);
        link.WriteString("Z\r");
        QCOMPARE(link.ModemStatus(), TModemStatus(msDSR)); // the power line is another matter
        link.SetInstrumentPresent(true);
        link.WriteString("Y\r");
        QTRY_COMPARE(receiver.Lines, QByteArrayList{"M04"});
        QCOMPARE(link.Sent(), QByteArray("Z\rY\r"));
    }

    void closingDropsReceivedInput()
    {
        TSimLink link;
        int events = 0;
        link.OnRxFlag = [&] { ++events; };
        link.Open();
        link.WriteString("Z\r");
        QTRY_COMPARE(link.InputCount(), 19);
        const int eventsBefore = events;
        link.Close();
        QCOMPARE(link.InputCount(), 0);
        link.Open();
        QCOMPARE(link.InputCount(), 0);
        link.ClearInput();
        QCOMPARE(events, eventsBefore);
    }

    void splitLinesReachTheHandlerInParts()
    {
        TSimLink link;
        TReceiver receiver(link);
        TInstrumentConfig config = link.Instrument().Config();
        config.Faults.SplitRate = 1;
        link.Instrument().Configure(config);
        link.SetSpeed(0);
        link.Open();
        link.WriteString("Z\r");
        QTRY_COMPARE(receiver.Lines, (QByteArrayList{"Z00421.3", "X08020801"}));
        QVERIFY(receiver.PartEvents >= 1); // a line completed at a later event
    }

    void fieldSourceChangeAtRunTimeArrives()
    {
        TSimLink link;
        TReceiver receiver(link);
        link.Open();
        TInstrumentConfig config = link.Instrument().Config();
        config.FieldSource = 1;
        link.Instrument().Configure(config);
        QTRY_COMPARE(receiver.Lines, QByteArrayList{"M01"});
    }

    void droppedLinkClosesAndReportsOnce()
    {
        QStringList reports;
        SetErrorReporter([&](const QString& text) { reports << text; });
        TSimLink link;
        link.Open();
        link.DropLink();
        link.DropLink();
        SetErrorReporter({});
        QVERIFY(!link.Active());
        QCOMPARE(reports.size(), 1);
        QVERIFY(!reports.first().isEmpty());
        QCOMPARE(ErrorOf([&] { link.WriteString("Z\r"); }), QString::fromLatin1(LinkMessages::ClosedPort));
    }
};

QTEST_MAIN(TestSimLink)
#include "test_SimLink.moc"
