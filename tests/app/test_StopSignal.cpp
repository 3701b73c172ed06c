// A stop signal (SIGTERM) while an error box is open: the program stores the
// spectrum it holds nowhere and ends within a second or two, box or not. The
// program runs as a child process of this test: the same executable, started
// with MERIL_STOP_CHILD set, runs on the in-process simulator with the real
// message boxes, in an acquisition folder that does not exist, so that its
// end-of-run store fails with a box.

#include "DataFile.h"
#include "FCWHarness.h"
#include "StopSignals.h"
#include "UpDown.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <cstdio>

namespace {

const char* const ChildVariable = "MERIL_STOP_CHILD";

// The child: says "modal" on its standard output once a dialog is open.
int RunChild(const QString& acqDir)
{
    TFCWHarness h({acqDir, acqDir, acqDir, QStringLiteral("COM1")});
    TInstrumentConfig c = h.Instrument().Config();
    c.Points = 64;
    h.Instrument().Configure(c);
    if (!h.Connect())
        return 3;
    SetOperator(nullptr);   // the real boxes
    TFCW& w = h.FCW();
    w.AccUpDown->ClickTo(2);
    w.FNameEdit->setText(QStringLiteral("lost"));
    CloseOnStopSignals(w, *qApp);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget()) {
            std::puts("modal");
            std::fflush(stdout);
            watch.stop();
        }
    });
    watch.start(20);
    QTimer::singleShot(0, w.StartToolB, &QToolButton::click);
    return QApplication::exec();
}

} // namespace

class TestStopSignal : public QObject {
    Q_OBJECT

private slots:
    void stopSignalWithAnErrorBoxOpenStoresAndEnds()
    {
        QTemporaryDir home;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildVariable), home.filePath(QStringLiteral("gone")));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(program.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine() || program.state() == QProcess::NotRunning, 60000);
        QCOMPARE(program.readLine().trimmed(), QByteArray("modal"));

        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY2(program.waitForFinished(5000), "the program is still running");
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        // The acquisition folder does not exist: the sum is in the unsaved folder of ~/Meril.
        const QDir unsaved(home.filePath(QStringLiteral("Meril/unsaved")));
        const QStringList rescued = unsaved.entryList({QStringLiteral("unsaved-*.dcw")});
        QCOMPARE(rescued.size(), 1);
        const TSpectrum s = ReadSpectrumFile(unsaved.filePath(rescued[0]));
        QCOMPARE(s.Acc, 2);
        QCOMPARE(s.Sums.size(), size_t(64));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString child = qEnvironmentVariable(ChildVariable);
    if (!child.isEmpty())
        return RunChild(child);
    TestStopSignal test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_StopSignal.moc"
