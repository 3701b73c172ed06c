// The meril-sim executable: its options, the pseudo-terminal it publishes,
// serving a client through it, ending on a signal, and a dropped link.

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString SimulatorPath()
{
    const QString fromEnvironment = qEnvironmentVariable("MERIL_SIM");
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() + "/../simulator/meril-sim"
                                     : fromEnvironment;
}

// A client on the simulator's terminal, as a program's port would be.
class TClient {
public:
    explicit TClient(const QString& path) : FFd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    {
        if (FFd >= 0) {
            termios settings{};
            tcgetattr(FFd, &settings);
            cfmakeraw(&settings);
            tcsetattr(FFd, TCSANOW, &settings);
        }
    }
    ~TClient()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    bool IsOpen() const { return FFd >= 0; }
    void Write(const QByteArray& bytes) const { QCOMPARE(::write(FFd, bytes.constData(), bytes.size()), bytes.size()); }
    // Reads lines until one equals `last`, for at most `timeoutMs`.
    QByteArrayList ReadUntil(const QByteArray& last, int timeoutMs = 10000)
    {
        QByteArrayList lines;
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            pollfd fd{FFd, POLLIN, 0};
            if (::poll(&fd, 1, int(deadline.remainingTime())) <= 0 || !(fd.revents & POLLIN))
                break;
            char buffer[4096];
            const ssize_t n = ::read(FFd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            FPending.append(buffer, n);
            for (qsizetype end; (end = FPending.indexOf('\r')) >= 0;) {
                lines << FPending.left(end);
                FPending.remove(0, end + 1);
                if (lines.last() == last)
                    return lines;
            }
        }
        return lines;
    }
    // True when the terminal hangs up within `timeoutMs`.
    bool HangsUp(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            pollfd fd{FFd, POLLIN, 0};
            if (::poll(&fd, 1, int(deadline.remainingTime())) <= 0)
                return false;
            if (fd.revents & (POLLHUP | POLLERR))
                return true;
            char buffer[256];
            if (::read(FFd, buffer, sizeof buffer) <= 0)
                return true;
        }
        return false;
    }

private:
    int FFd;
    QByteArray FPending;
};

// Starts the simulator and reads the link path from its first line.
QString Start(QProcess& process, const QStringList& arguments)
{
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(SimulatorPath(), arguments);
    if (!process.waitForStarted(5000))
        return {};
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired() && process.state() == QProcess::Running)
        process.waitForReadyRead(int(deadline.remainingTime()));
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

bool Interrupt(QProcess& process)
{
    ::kill(pid_t(process.processId()), SIGINT);
    return process.waitForFinished(10000);
}
} // namespace

class TestSimExecutable : public QObject {
    Q_OBJECT

private slots:
    void helpDocumentsEveryOption()
    {
        QProcess process;
        process.start(SimulatorPath(), {"--help"});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
        for (const char* option : {"--link", "--sample", "--serial", "--prg-version", "--v2", "--z1", "--z2",
                                   "--field-source", "--points", "--esr-g", "--noise", "--seed", "--speed",
                                   "--split-rate", "--garbage-rate", "--nocr-rate", "--error-rate", "--error-code",
                                   "--extra-v", "--drop-after", "--verbose", "--console"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
        for (const char* sample : {"liquid-h", "solid-h", "crystal-h", "solid-f", "esr"})
            QVERIFY2(help.contains(QLatin1String(sample)), sample);
    }

    void badOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no points") << QStringList{"--points", "0"};
        QTest::newRow("unknown sample") << QStringList{"--sample", "water"};
        QTest::newRow("negative speed") << QStringList{"--speed", "-1"};
        QTest::newRow("long serial") << QStringList{"--serial", "12345"};
        QTest::newRow("calibration not hex") << QStringList{"--z1", "XYZ"};
        QTest::newRow("field source 6") << QStringList{"--field-source", "6"};
        QTest::newRow("unknown option") << QStringList{"--bogus"};
    }
    void badOptionsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QProcess process;
        process.start(SimulatorPath(), arguments << "--link" << dir.filePath("sim"));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardOutput().isEmpty());
        QVERIFY(process.readAllStandardError().startsWith("meril-sim: "));
        QVERIFY(!QFileInfo(dir.filePath("sim")).isSymLink());
    }

    void servesAClientThroughItsLinkAndEndsCleanly()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("sim");
        QProcess process;
        QCOMPARE(Start(process, {"--link", link, "--speed", "0", "--points", "50", "--noise", "0"}), link);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(link).symLinkTarget().startsWith("/dev/pts/"));
        {
            TClient client(link);
            QVERIFY(client.IsOpen());
            client.Write("Z\r");
            QCOMPARE(client.ReadUntil("X08020801"), (QByteArrayList{"Z00421.3", "X08020801"}));
            client.Write("F0\r");
            const QByteArrayList pass = client.ReadUntil("D");
            QCOMPARE(pass.size(), 54);
            QCOMPARE(pass.first(), QByteArray("A0032"));
            QCOMPARE(pass[52], QByteArray("C"));
        }
        // The program closed its port; the next one finds the instrument as it was.
        {
            TClient client(link);
            QVERIFY(client.IsOpen());
            client.Write("Y\r");
            QCOMPARE(client.ReadUntil("M04"), QByteArrayList{"M04"});
        }
        QVERIFY(Interrupt(process));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    }

    void droppedLinkHangsUpTheTerminal()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("sim");
        QProcess process;
        QCOMPARE(Start(process, {"--link", link, "--speed", "0", "--drop-after", "0.2"}), link);
        TClient client(link);
        client.Write("Z\r");
        QCOMPARE(client.ReadUntil("X08020801").size(), 2);
        QVERIFY(client.HangsUp(10000));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void refusesToReplaceAFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("not-a-link");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QProcess process;
        process.start(SimulatorPath(), {"--link", path});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains("not a symbolic link"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }
};

QTEST_MAIN(TestSimExecutable)
#include "test_SimExecutable.moc"
