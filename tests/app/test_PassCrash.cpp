// A program killed outright (SIGKILL) during a run on the simulator
// executable leaves every pass it completed readable and no partial file.
// The program runs as a child process of this test: the same executable,
// started with MERIL_CRASH_CHILD set, builds the program's windows on the
// real serial port, connects and starts a long run.

#include "FCWHarness.h"
#include "PassSet.h"
#include "SimProcess.h"
#include "UpDown.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>

namespace {

const char* const ChildVariable = "MERIL_CRASH_CHILD";

// The child: acquisition directory and link in the variable, "dir|link".
int RunChild(const QString& dirAndLink)
{
    const QStringList parts = dirAndLink.split(QLatin1Char('|'));
    const QString dir = parts.value(0);
    TFCWHarness h({dir, dir, dir, parts.value(1)}, 1024, TFCWHarness::RealPort);
    if (!h.Connect())
        return 3;
    TFCW& w = h.FCW();
    w.AccUpDown->ClickTo(w.AccUpDown->Max());
    w.FNameEdit->setText(QStringLiteral("crash"));
    w.StartToolB->click();
    return QApplication::exec();
}

} // namespace

class TestPassCrash : public QObject {
    Q_OBJECT

private slots:
    void killedMidRunLeavesEveryCompletedPassReadable()
    {
        TSimProcess sim({QStringLiteral("--speed"), QStringLiteral("0"), QStringLiteral("--points"), QStringLiteral("400")});
        QVERIFY(!sim.Link.isEmpty());
        QTemporaryDir acq;
        const QString folder = acq.filePath(QStringLiteral("crash.passes"));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildVariable), acq.path() + QLatin1Char('|') + sim.Link);
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(program.waitForStarted(5000));
        const auto passFiles = [&] {
            return QDir(folder).entryList({QStringLiteral("pass-*.dcw")}, QDir::Files).size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(passFiles() >= 6 || program.state() == QProcess::NotRunning, 60000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);

        const TPassSet set = ReadPassFolder(folder);
        QVERIFY2(set.Problems.empty(), qPrintable(set.ProblemText()));
        QVERIFY(set.Passes.size() >= 6);
        for (const TKeptPass& p : set.Passes)
            QCOMPARE(p.Sums.size(), size_t(400));
        // Nothing else is left behind: no half-written pass under any name.
        QStringList others = QDir(folder).entryList(QDir::Files);
        others.removeOne(PassSetupFileName);
        QCOMPARE(others.size(), int(set.Passes.size()));
        QVERIFY(!QFileInfo::exists(acq.filePath(QStringLiteral("crash.dcw"))));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString child = qEnvironmentVariable(ChildVariable);
    if (!child.isEmpty())
        return RunChild(child);
    TestPassCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_PassCrash.moc"
