// The program's serial link on a pseudo-terminal against the simulator
// executable: the way the program meets a real instrument.

#include "Chart.h"
#include "ComPort.h"
#include "DataFile.h"
#include "FCWHarness.h"
#include "SimProcess.h"
#include "StopSignals.h"
#include "UpDown.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <unistd.h>

namespace {

// Errors no handler caught reach the scripted operator as boxes, so that a
// second message about one loss shows up as an unexpected one.
struct TErrorBoxes {
    TErrorBoxes() { SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); }); }
    ~TErrorBoxes() { SetErrorReporter(nullptr); }
};

QString LostText(const QString& link)
{
    return QStringLiteral("Connection to %1 lost: check the cable and the instrument's power, "
                          "then choose Spectrometer > Connect.").arg(link);
}

// Options of a simulator that drops its link a while after the first command:
// time for the connection and a few hundred passes of 200 points.
QStringList DroppingSim()
{
    return {QStringLiteral("--speed"), QStringLiteral("0"), QStringLiteral("--points"), QStringLiteral("200"),
            QStringLiteral("--drop-after"), QStringLiteral("3")};
}

// Connects, starts a Loop run and waits until the link drops under it.
void RunUntilTheLinkDrops(TFCWHarness& h, const QString& link)
{
    QVERIFY(h.Connect());
    h.FCW().LoopRB->click();
    h.Operator.ExpectMessage(LostText(link));
    h.FCW().StartToolB->click();
    QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }, 20000));
}

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
        QCOMPARE(h.Spectrometer().Link().DeviceName(), sim.Link);
        QVERIFY(h.Connect());
        QCOMPARE(h.Spectrometer().UnitSerial(), QStringLiteral("0042"));
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        QVERIFY(h.RunToEnd(20000));
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 2 of 2"));
        QCOMPARE(h.Run().Sums().size(), size_t(300));
        QCOMPARE(h.FCW().SeriesAcc->Count(), 300);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void linkDroppedMidRunThenReconnectedAtTheSameLink()
    {
        TErrorBoxes boxes;
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("sim"));
        TFCWHarness h({QString(), QString(), QString(), link}, 1024, TFCWHarness::RealPort);
        {
            TSimProcess sim(DroppingSim(), link);
            QCOMPARE(sim.Link, link);
            RunUntilTheLinkDrops(h, link);
            QVERIFY(sim.WaitForExit(5000));
        }
        QCoreApplication::processEvents();   // a second message, which must not come, would be shown here
        QCOMPARE(h.Operator.Problems(), QString());
        QVERIFY(!h.Spectrometer().Connected());
        QVERIFY(!h.Spectrometer().Link().Active());
        QVERIFY(h.FCW().MLink->isEnabled());
        QVERIFY(h.FCW().StartToolB->isEnabled());
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: ") + LostText(link));

        // The last completed pass of the Loop run is savable.
        QVERIFY(h.FCW().MSaveas->isEnabled());
        const QString kept = dir.filePath(QStringLiteral("kept.dcw"));
        h.Operator.ExpectFileDialog(kept);
        h.FCW().MSaveas->trigger();
        const TSpectrum s = ReadSpectrumFile(kept);
        QCOMPARE(s.Acc, 1);
        QCOMPARE(s.Points.size(), size_t(200));

        // The instrument is back at the same link: connect and run.
        TSimProcess sim({QStringLiteral("--speed"), QStringLiteral("0"), QStringLiteral("--points"),
                         QStringLiteral("300")}, link);
        QCOMPARE(sim.Link, link);
        QVERIFY(h.Connect());
        h.FCW().SingleRB->click();
        QVERIFY(h.RunToEnd(20000));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));
        QCOMPARE(h.Run().Sums().size(), size_t(300));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void stopSignalAfterLinkLossEndsTheProgram()
    {
        TErrorBoxes boxes;
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("sim"));
        TFCWHarness h({dir.path(), dir.path(), dir.path(), link}, 1024, TFCWHarness::RealPort);
        {
            TSimProcess sim(DroppingSim(), link);
            QCOMPARE(sim.Link, link);
            RunUntilTheLinkDrops(h, link);
        }
        const QString ini = h.PathIn(QStringLiteral("MERIL.INI"));
        QFile::remove(ini);
        QObject owner;
        CloseOnStopSignals(h.FCW(), owner);
        ::kill(::getpid(), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!h.FCW().isVisible(), 5000);
        // No window is left open, so the program's event loop ends.
        for (const QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        QVERIFY(QFile::exists(ini));
        TSettings settings;
        QVERIFY(ReadSettings(ini, h.Dir() + QLatin1Char('/'), settings));
        QCOMPARE(settings.PortName, link);
        // The completed pass was stored nowhere and nobody could be asked: it is stored under a new name.
        const QStringList rescued = QDir(dir.path()).entryList({QStringLiteral("unsaved-*.dcw")});
        QCOMPARE(rescued.size(), 1);
        QCOMPARE(ReadSpectrumFile(dir.filePath(rescued.first())).Acc, 1);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_EndToEnd.moc"
