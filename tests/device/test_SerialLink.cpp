// Event delivery of the serial link: fixed handler order, errors contained,
// never re-entered, events of a running handler delivered after it.

#include "SerialLink.h"

#include <QTest>

namespace {

// A link whose events the test raises by hand; its data operations are not used here.
class TEventSource : public TSerialLink {
public:
    using TSerialLink::DropPendingEvents;
    using TSerialLink::RaiseEvents;
    using TSerialLink::RaiseLinkLost;
    bool Active() const override { return false; }
    void Open() override {}
    void Close() override {}
    void ClearInput() override {}
    void ClearOutput() override {}
    TModemStatus ModemStatus() override { return 0; }
    int InputCount() override { return 0; }
    char ReadChar() override { return 0; }
    void WriteString(const QByteArray&) override {}
};

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private:
    TEventSource Link;
    QStringList Calls;
    QStringList Reported;

private slots:
    void init()
    {
        Calls.clear();
        Reported.clear();
        SetErrorReporter([this](const QString& text) { Reported << text; });
        Link.OnCTSChange = [this] { Calls << "CTS"; };
        Link.OnDSRChange = [this] { Calls << "DSR"; };
        Link.OnRxFlag = [this] { Calls << "Rx"; };
    }
    void cleanup() { SetErrorReporter({}); }

    void handlersRunInFixedOrder()
    {
        Link.RaiseEvents(true, true, true);
        QCOMPARE(Calls, (QStringList{"CTS", "DSR", "Rx"}));
        Calls.clear();
        Link.RaiseEvents(false, true, false);
        QCOMPARE(Calls, QStringList{"DSR"});
    }

    void failingHandlerIsReportedAndTheNextStillRuns()
    {
        Link.OnCTSChange = [] { throw EComError("Input/output error", 5); };
        Link.RaiseEvents(true, false, true);
        QCOMPARE(Reported, QStringList{"Input/output error"});
        QCOMPARE(Calls, QStringList{"Rx"});
    }

    void eventsDuringAHandlerWaitUntilItReturns()
    {
        int depth = 0, maxDepth = 0;
        Link.OnRxFlag = [&] {
            Calls << "Rx";
            maxDepth = std::max(maxDepth, ++depth);
            if (Calls.size() == 1) {
                Link.RaiseEvents(false, false, true);  // as from a nested event loop
                Link.RaiseEvents(false, true, true);
                QCoreApplication::processEvents();
                QCOMPARE(Calls, QStringList{"Rx"});
            }
            --depth;
        };
        Link.RaiseEvents(false, false, true);
        QCOMPARE(Calls, QStringList{"Rx"});  // the rest comes from the event loop, not from here
        QTRY_COMPARE(Calls, (QStringList{"Rx", "DSR", "Rx"}));
        QCOMPARE(maxDepth, 1);
    }

    void droppedEventsAreNotDelivered()
    {
        Link.OnRxFlag = [&] {
            Calls << "Rx";
            if (Calls.size() == 1) {
                Link.RaiseEvents(true, false, true);
                Link.DropPendingEvents();  // as Close does
            }
        };
        Link.RaiseEvents(false, false, true);
        QCoreApplication::processEvents();
        QCOMPARE(Calls, QStringList{"Rx"});
    }

    void lossIsToldOnceAfterTheRunningHandler()
    {
        Link.OnLinkLost = [this](const QString& text) { Calls << "lost: " + text; };
        Link.OnRxFlag = [&] {
            Calls << "Rx";
            Link.RaiseLinkLost(QStringLiteral("Input/output error"));   // found by a read in the handler
            QCOMPARE(Calls, QStringList{"Rx"});
        };
        Link.RaiseEvents(false, false, true);
        QTRY_COMPARE(Calls, (QStringList{"Rx", "lost: Input/output error"}));
        QCoreApplication::processEvents();
        QCOMPARE(Calls.size(), 2);
        QVERIFY(Reported.isEmpty());
        Link.OnLinkLost = nullptr;
    }

    void lossWithoutAHandlerIsReported()
    {
        Link.RaiseLinkLost(QStringLiteral("No such device"));
        QVERIFY(Reported.isEmpty());   // not from inside the operation that found it
        QTRY_COMPARE(Reported, QStringList{"No such device"});
    }
};

QTEST_MAIN(TestSerialLink)
#include "test_SerialLink.moc"
