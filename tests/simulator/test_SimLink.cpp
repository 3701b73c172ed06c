// The in-process link to the simulated instrument: the serial link's contract,
// delivery through the event loop, pacing, power line, absent instrument, loss.

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
                Partial += link.ReadChar();
                if (Partial.endsWith('\r')) {
                    Lines << Partial.chopped(1);
                    Partial.clear();
                    if (OnLine)
                        OnLine(Lines.last());
                }
            }
        };
    }
    QByteArrayList Lines;
    QByteArray Partial;
    int Events = 0;
    std::function<void(const QByteArray&)> OnLine;
};

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
    void followsTheSerialLinkContract()
    {
        TSimLink link;
        const QString closed = QString::fromLatin1(LinkMessages::ClosedPort);
        link.Close();
        link.WriteString({});
        QCOMPARE(link.InputCount(), 0);
        QCOMPARE(ErrorOf([&] { link.WriteString("Z\r"); }), closed);
        QCOMPARE(ErrorOf([&] { link.ReadChar(); }), closed);
        QCOMPARE(ErrorOf([&] { link.ModemStatus(); }), closed);

        link.SetOpenError("Permission denied");
        QCOMPARE(ErrorOf([&] { link.Open(); }), QString("Permission denied"));
        QVERIFY(!link.Active());
        link.SetOpenError({});
        link.Open();
        link.Open();
        QVERIFY(link.Active());
        QCOMPARE(link.ModemStatus(), TModemStatus(msDSR));

        // Replies come from the event loop, never inside WriteString; Close drops what was received.
        int events = 0;
        link.OnRxFlag = [&] { ++events; };
        link.WriteString("Z\r");
        QCOMPARE(events, 0);
        QTRY_COMPARE(link.InputCount(), 19);
        QVERIFY(events > 0);
        link.Close();
        link.Open();
        QCOMPARE(link.InputCount(), 0);
        QCOMPARE(link.Sent(), QByteArray("Z\r"));
        link.ClearSent();
        QVERIFY(link.Sent().isEmpty());
    }

    void unpacedPassesArriveWholeAndKeepTheLoopResponsive()
    {
        TSimLink link;
        TReceiver receiver(link);
        TInstrumentConfig config;
        config.Points = 20000;
        link.Instrument().Configure(config);
        link.SetSpeed(0);
        link.Open();
        int ticks = 0;
        QTimer other;
        connect(&other, &QTimer::timeout, [&] { ++ticks; });
        other.start(0);
        // The handler starts the next pass on D, as the program does when accumulating.
        receiver.OnLine = [&](const QByteArray& line) {
            if (line == "D" && receiver.Lines.count("D") < 2)
                link.WriteString("F0\r");
        };
        link.WriteString("F0\r");
        QTRY_COMPARE_WITH_TIMEOUT(receiver.Lines.count("D"), 2, 20000);
        QCOMPARE(receiver.Lines.size(), 2 * 20004);
        QVERIFY(receiver.Events > 20); // in chunks
        QVERIFY(ticks > 20);           // other events ran meanwhile
    }

    void holdStopsAfterItsLinesAndReleaseGoesOn()
    {
        TSimLink link;
        TReceiver receiver(link);
        TInstrumentConfig config;
        config.Points = 3000;   // the pass comes in several chunks
        link.Instrument().Configure(config);
        link.SetSpeed(0);
        link.Open();
        link.HoldAfterLines(2 + 1500);   // A, B and half the points
        link.WriteString("F0\r");
        QTRY_COMPARE(receiver.Lines.size(), 1502);
        // Held: nothing more comes, however long the loop runs.
        QTimer idle;
        int ticks = 0;
        connect(&idle, &QTimer::timeout, [&] { ++ticks; });
        idle.start(0);
        QTRY_VERIFY(ticks > 50);
        QCOMPARE(receiver.Lines.size(), 1502);
        QVERIFY(receiver.Partial.isEmpty());   // the hold falls between two lines
        link.ReleaseHold();
        QTRY_COMPARE(receiver.Lines.size(), 3004);
        QCOMPARE(receiver.Lines.last(), QByteArray("D"));
        QCOMPARE(receiver.Lines.count("B"), 1);
    }

    void pacedPassTakesItsSweepTime()
    {
        TSimLink link;
        TReceiver receiver(link);
        link.SetSpeed(60); // the 30 s sweep in 0.5 s
        link.Open();
        QElapsedTimer clock;
        qint64 swept = 0;
        receiver.OnLine = [&](const QByteArray& line) { swept = line == "C" ? clock.elapsed() : swept; };
        clock.start();
        link.WriteString("F0\r");
        QTRY_VERIFY_WITH_TIMEOUT(swept > 0, 20000);
        QVERIFY2(swept >= 490, qPrintable(QString::number(swept)));
        QVERIFY(receiver.Events > 20); // the data trickles in
    }

    void powerLineAndAbsentInstrument()
    {
        TSimLink link;
        TReceiver receiver(link);
        int dsrEvents = 0;
        link.OnDSRChange = [&] { ++dsrEvents; };
        link.Open();
        link.WriteString("D200\r");

        link.SetPowered(false);
        QCOMPARE(dsrEvents, 0); // raised from the event loop
        QTRY_COMPARE(dsrEvents, 1);
        QCOMPARE(link.ModemStatus(), TModemStatus(0));
        link.WriteString("Z\r"); // nobody answers
        link.SetPowered(true);
        QTRY_COMPARE(dsrEvents, 2);
        QCOMPARE(link.Instrument().Parameters().Gain, 128); // started afresh

        link.SetInstrumentPresent(false);
        link.WriteString("Z\r");
        link.SetInstrumentPresent(true);
        link.WriteString("Y\r");
        QTRY_COMPARE(receiver.Lines, QByteArrayList{"M04"});
        QCOMPARE(link.Sent(), QByteArray("D200\rZ\rZ\rY\r"));

        // A field source changed at run time wakes the link.
        TInstrumentConfig config = link.Instrument().Config();
        config.FieldSource = 1;
        link.Instrument().Configure(config);
        QTRY_COMPARE(receiver.Lines.last(), QByteArray("M01"));
    }

    void droppedLinkClosesAndReportsOnce()
    {
        QStringList reports;
        TSimLink link;
        link.OnLinkLost = [&](const QString& text) { reports << text; };
        link.Open();
        link.DropLink();
        link.DropLink();
        QVERIFY(!link.Active());
        QVERIFY(link.Lost());
        QTRY_COMPARE(reports.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(reports.size(), 1);
        QVERIFY(!reports.first().isEmpty());
    }
};

QTEST_MAIN(TestSimLink)
#include "test_SimLink.moc"
