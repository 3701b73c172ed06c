// The program's serial link on a pseudo-terminal against the simulator
// executable: the way the program meets a real instrument.

#include "Chart.h"
#include "ComPort.h"
#include "FCWHarness.h"
#include "UpDown.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// The simulator executable, serving on a link in a private folder.
class TSimProcess {
public:
    explicit TSimProcess(const QStringList& options)
    {
        const QString exe = qEnvironmentVariable("MERIL_SIM");
        FProcess.start(exe, QStringList{QStringLiteral("--link"), FDir.filePath(QStringLiteral("sim"))} + options);
        if (FProcess.waitForStarted(5000) && FProcess.waitForReadyRead(5000))
            Link = QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    ~TSimProcess()
    {
        FProcess.terminate();
        FProcess.waitForFinished(5000);
    }
    QString Link;

private:
    QTemporaryDir FDir;
    QProcess FProcess;
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void probeIsAnsweredWithIdentificationAndCalibration()
    {
        TSimProcess sim({QStringLiteral("--speed"), QStringLiteral("0")});
        QVERIFY(!sim.Link.isEmpty());
        TComPort port;
        port.SetDeviceName(sim.Link);
        QByteArray received;
        port.OnRxFlag = [&] {
            while (port.InputCount() > 0)
                received += port.ReadChar();
        };
        port.Open();
        QCOMPARE(port.ModemStatus(), TModemStatus(msDSR));   // a pseudo-terminal: the instrument counts as on
        port.WriteString("Z\r");
        QTRY_VERIFY_WITH_TIMEOUT(received.count('\r') >= 2, 5000);
        QCOMPARE(received, QByteArray("Z00421.3\rX08020801\r"));
        port.Close();
    }

    void theWindowConnectsAndRunsAPass()
    {
        TSimProcess sim({QStringLiteral("--speed"), QStringLiteral("0"), QStringLiteral("--points"),
                         QStringLiteral("300")});
        QVERIFY(!sim.Link.isEmpty());
        TFCWHarness h({QString(), QString(), QString(), sim.Link}, 1024, TFCWHarness::RealPort);
        QCOMPARE(h.FCW().ComPort1.DeviceName(), sim.Link);
        QVERIFY(h.Connect());
        QCOMPARE(h.FCW().UnitSerial, QStringLiteral("0042"));
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        QVERIFY(h.RunToEnd(20000));
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 2 of 2"));
        QCOMPARE(h.FCW().AccBuffer.size(), size_t(300));
        QCOMPARE(h.FCW().SeriesAcc->Count(), 300);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_EndToEnd.moc"
