// The meril-sim executable: its options, serving a client through the link it
// publishes, ending on a signal, and a dropped link.

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
    const QString path = qEnvironmentVariable("MERIL_SIM");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../simulator/meril-sim" : path;
}

// A client on the simulator's terminal, as the program's port would be.
class TClient {
public:
    explicit TClient(const QString& path) : FFd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    {
        termios settings{};
        tcgetattr(FFd, &settings);
        cfmakeraw(&settings);
        tcsetattr(FFd, TCSANOW, &settings);
    }
    ~TClient() { ::close(FFd); }
    bool Write(const QByteArray& bytes) const { return ::write(FFd, bytes.constData(), bytes.size()) == bytes.size(); }
    // Lines until one equals `last`; stops early on a hang-up or after 10 s.
    QByteArrayList ReadUntil(const QByteArray& last)
    {
        QByteArrayList lines;
        QDeadlineTimer deadline(10000);
        for (pollfd fd{FFd, POLLIN, 0}; ::poll(&fd, 1, int(deadline.remainingTime())) > 0;) {
            char buffer[4096];
            const ssize_t n = ::read(FFd, buffer, sizeof buffer);
            if (n <= 0) {
                HungUp = true;
                break;
            }
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
    bool HungUp = false;

private:
    int FFd;
    QByteArray FPending;
};

// Starts the simulator and returns the link path from its first line.
QString Start(QProcess& process, const QStringList& arguments)
{
    process.start(SimulatorPath(), arguments);
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && process.waitForReadyRead(int(deadline.remainingTime())))
        ;
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}
} // namespace

class TestSimExecutable : public QObject {
    Q_OBJECT

private slots:
    void helpDocumentsTheOptionsAndBadOnesAreRefused()
    {
        QProcess process;
        QTemporaryDir dir;
        // Every form of the help option prints the help and starts no simulator.
        for (const char* form : {"--help", "-h", "--help-all"}) {
            process.start(SimulatorPath(), {QLatin1String(form), "--link", dir.filePath("sim")});
            QVERIFY2(process.waitForFinished(10000), form);
            QCOMPARE(process.exitCode(), 0);
            const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
            for (const char* option : {"--link", "--sample", "--serial", "--prg-version", "--v2", "--z1", "--z2",
                                       "--field-source", "--points", "--esr-g", "--noise", "--seed", "--speed",
                                       "--split-rate", "--garbage-rate", "--nocr-rate", "--error-rate", "--error-code",
                                       "--extra-v", "--spoil-pass", "--drop-after", "--verbose", "--console", "crystal-h"})
                QVERIFY2(help.contains(QLatin1String(option)), option);
            QVERIFY(!QFileInfo(dir.filePath("sim")).isSymLink());
        }

        for (const QStringList& bad : {QStringList{"--points", "0"}, {"--sample", "water"}, {"--serial", "12345"}, {"--bogus"}}) {
            process.start(SimulatorPath(), bad + QStringList{"--link", dir.filePath("sim")});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 2);
            QVERIFY(process.readAllStandardError().startsWith("meril-sim: "));
        }
        QVERIFY(!QFileInfo(dir.filePath("sim")).isSymLink());
    }

    void servesClientsThroughItsLinkAndEndsOnInterrupt()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("sim");
        QProcess process;
        QCOMPARE(Start(process, {"--link", link, "--speed", "0", "--points", "50"}), link);
        QVERIFY(QFileInfo(link).symLinkTarget().startsWith("/dev/pts/"));
        {
            TClient client(link);
            QVERIFY(client.Write("Z\rF0\r"));
            const QByteArrayList lines = client.ReadUntil("D");
            QCOMPARE(lines.mid(0, 4), (QByteArrayList{"Z00421.3", "X08020801", "A0032", "B"}));
            QCOMPARE(lines.size(), 56);
        }
        // The port closed and opened again: no hang-up, the instrument still answers.
        TClient client(link);
        QVERIFY(client.Write("Y\r"));
        QCOMPARE(client.ReadUntil("M04"), QByteArrayList{"M04"});

        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void droppedLinkHangsUpTheTerminal()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("sim");
        QProcess process;
        QCOMPARE(Start(process, {"--link", link, "--speed", "0", "--drop-after", "0.2"}), link);
        TClient client(link);
        QVERIFY(client.Write("Z\r"));
        QCOMPARE(client.ReadUntil("X08020801").size(), 2);
        client.ReadUntil("never");
        QVERIFY(client.HungUp);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_MAIN(TestSimExecutable)
#include "test_SimExecutable.moc"
