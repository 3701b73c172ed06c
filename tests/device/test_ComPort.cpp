// TComPort against real pseudo-terminal pairs: the port opens the slave side,
// the test plays the instrument on the master side.

#include "ComPort.h"
#include "LineReader.h"
#include "PtyPair.h"

#include <QTemporaryFile>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString SystemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The link error an operation raises, if any.
std::optional<EComError> ErrorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const EComError& e) {
        return e;
    }
    return std::nullopt;
}

// Loses the line in one of two ways: the other side of the pty closes (reads fail),
// or the line is hung up as when an adapter is unplugged (reads return 0 forever).
// False where hanging up is not allowed (it needs CAP_SYS_ADMIN).
bool LoseLine(TPtyPair& pty, bool hangUp)
{
    if (hangUp)
        return pty.HangUp();
    pty.CloseMaster();
    return true;
}

double CpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace

class TestComPort : public QObject {
    Q_OBJECT
private:
    QStringList Reported;  // errors that reached the program's error report

    // Opens a port on the pty's slave side.
    void OpenOn(TComPort& port, const TPtyPair& pty)
    {
        QVERIFY(!pty.SlavePath.isEmpty());
        port.SetDeviceName(pty.SlavePath);
        port.Open();
        QVERIFY(port.Active());
    }

private slots:
    void init()
    {
        Reported.clear();
        SetErrorReporter([this](const QString& text) { Reported << text; });
    }
    void cleanup() { SetErrorReporter({}); }

    void portNamesMapToDevices()
    {
        QCOMPARE(TComPort::DevicePath("COM1"), QString("/dev/ttyS0"));
        QCOMPARE(TComPort::DevicePath("com4"), QString("/dev/ttyS3"));
        QCOMPARE(TComPort::DevicePath("/tmp/meril-link"), QString("/tmp/meril-link"));
        QCOMPARE(TComPort::DevicePath("ttyUSB0"), QString("/dev/ttyUSB0"));
    }

    void closedPortOperations()
    {
        TComPort port;
        QVERIFY(!port.Active());
        for (const auto& operation : std::initializer_list<std::function<void()>>{
                 [&] { port.ReadChar(); }, [&] { port.ModemStatus(); }, [&] { port.WriteString("Z\r"); }}) {
            const auto error = ErrorOf(operation);
            QVERIFY(error);
            QCOMPARE(error->Text(), QString(LinkMessages::ClosedPort));
            QCOMPARE(error->Code, 0);
        }
        port.WriteString({});  // an empty text is no error even here
        port.Close();
        port.ClearInput();
        port.ClearOutput();
        QCOMPARE(port.InputCount(), 0);
    }

    void openAndCloseAreIdempotent()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        port.Open();
        QVERIFY(port.Active());
        port.Close();
        port.Close();
        QVERIFY(!port.Active());
        port.Open();  // the same device again
        QVERIFY(port.Active());
        QCOMPARE(port.ModemStatus(), TModemStatus(msDSR));  // a pty has no modem lines: "instrument on"
    }

    void portIsExclusiveOnlyWhileOpen()
    {
        TPtyPair pty;
        TComPort port;
        // Exclusive use as another program sees it: it cannot open the device, or,
        // being privileged, it can and finds the flag set.
        const auto exclusive = [&] {
            const int other = ::open(pty.SlavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (other < 0)
                return errno == EBUSY;
            int flag = 0;
            ::ioctl(other, TIOCGEXCL, &flag);
            ::close(other);
            return flag != 0;
        };
        OpenOn(port, pty);
        QVERIFY(exclusive());
        port.Close();
        QVERIFY(!exclusive());
    }

    void deviceNameWhileOpen()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        port.SetDeviceName(pty.SlavePath);  // the same name is accepted
        const auto error = ErrorOf([&] { port.SetDeviceName("COM2"); });
        QVERIFY(error);
        QCOMPARE(error->Text(), QString(LinkMessages::OpenPort));
        QCOMPARE(port.DeviceName(), pty.SlavePath);
    }

    void openFailuresLeaveThePortClosed()
    {
        QTemporaryFile notATty;
        QVERIFY(notATty.open());
        const QList<std::pair<QString, int>> cases{{"/nonexistent/ttyUSB9", ENOENT},
                                                   {notATty.fileName(), ENOTTY}};
        for (const auto& [name, code] : cases) {
            TComPort port;
            port.SetDeviceName(name);
            const auto error = ErrorOf([&] { port.Open(); });
            QVERIFY(error);
            QCOMPARE(error->Code, code);
            QCOMPARE(error->Text(), SystemText(code));
            QVERIFY(!port.Active());
        }
    }

    void lineIsRawBothWays()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        termios line{};
        QCOMPARE(::tcgetattr(pty.Master, &line), 0);  // the slave's settings
        QCOMPARE(::cfgetospeed(&line), speed_t(B19200));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB));
        QCOMPARE(line.c_lflag & (ECHO | ICANON), tcflag_t(0));

        // Every byte value passes unchanged in both directions, XON/XOFF and CR/LF included.
        QByteArray all(256, 0);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        port.WriteString(all);
        QCOMPARE(pty.Receive(all.size()), all);
        QVERIFY(pty.Send(all));
        QTRY_COMPARE(port.InputCount(), 256);
        QByteArray received;
        while (port.InputCount() > 0)
            received += port.ReadChar();
        QCOMPARE(received, all);
        QCOMPARE(pty.Receive(1, 100), QByteArray());  // no echo
    }

    void lineSplitAcrossEventsIsHandledOnceComplete()
    {
        TPtyPair pty;
        TComPort port;
        TLineReader reader(port);
        OpenOn(port, pty);
        QVERIFY(pty.Send("V+0000"));
        QTRY_COMPARE(port.InputCount(), 6);
        QVERIFY(pty.Send("0012"));
        QTRY_COMPARE(port.InputCount(), 10);
        QCOMPARE(reader.Events, 0);  // no CR yet
        QVERIFY(pty.Send("\r"));    // the CR alone ends the line
        QTRY_COMPARE(reader.Lines.size(), 1);
        QCOMPARE(reader.Lines.first(), QByteArray("V+00000012\r"));
        QCOMPARE(reader.Events, 1);
    }

    void twoLinesInOneBurstBothInOrder()
    {
        TPtyPair pty;
        TComPort port;
        TLineReader reader(port);
        OpenOn(port, pty);
        QVERIFY(pty.Send("Z1234200\rX00100020\r"));
        QTRY_COMPARE(reader.Lines.size(), 2);
        QCOMPARE(reader.Lines, (QList<QByteArray>{"Z1234200\r", "X00100020\r"}));
        QVERIFY(reader.Events <= 2);
    }

    void burstAtFullSpeed()
    {
        TPtyPair pty;
        TComPort port;
        TLineReader reader(port);
        OpenOn(port, pty);
        QList<QByteArray> expected;
        QByteArray burst;
        for (int i = 0; i < 2000; ++i) {
            expected << QByteArray("V ") + QByteArray::number(i * 7919, 16).rightJustified(8, '0') + '\r';
            burst += expected.last();
        }
        QVERIFY(pty.Send(burst));
        QTRY_COMPARE(reader.Lines.size(), expected.size());
        QCOMPARE(reader.Lines, expected);
        QVERIFY2(reader.Events < expected.size() / 2, "woken once per line, not once per batch");
    }

    void lineLongerThanTheQueueIsNotStuck()
    {
        TPtyPair pty;
        TComPort port;
        TLineReader reader(port);
        OpenOn(port, pty);
        const QByteArray noise = QByteArray(TComPort::InputQueueSize + 2000, 'x') + '\r';
        QVERIFY(pty.Send(noise + "D\r"));
        // The line assembler keeps the start of a line that never ended.
        QTRY_COMPARE(reader.Lines, (QList<QByteArray>{QByteArray(TLineAssembler::MaxLineLength, 'x') + '\r', "D\r"}));
    }

    void writesLeaveCompleteAndInOrder()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        QByteArray expected;
        for (int i = 0; i < 300; ++i) {
            const QByteArray command = "G" + QByteArray::number(i) + '\r';
            port.WriteString(command);
            expected += command;
        }
        // Far more than the kernel holds: WriteString must return without the reader
        // having read anything, or this test would hang here.
        QByteArray large(512 * 1024, 0);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = char(i * 31 + i / 256);
        port.WriteString(large);
        port.WriteString("Y\r");
        expected += large + "Y\r";
        QCOMPARE(pty.Receive(expected.size()), expected);
    }

    void clearOutputDropsWhatHasNotLeft()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        port.WriteString(QByteArray(512 * 1024, 'x'));
        port.ClearOutput();
        port.WriteString("Y\r");
        const QByteArray got = pty.Receive(512 * 1024, 300);
        QVERIFY(got.endsWith("Y\r"));
        QVERIFY(got.size() < 512 * 1024);
    }

    void readCharWaitsBoundedForAByte()
    {
        TPtyPair pty;
        TComPort port;
        OpenOn(port, pty);
        QVERIFY(pty.Send("Q"));  // not yet taken into the queue: no event loop ran
        QCOMPARE(port.InputCount(), 0);
        QCOMPARE(port.ReadChar(), 'Q');
        const auto error = ErrorOf([&] { port.ReadChar(); });
        QVERIFY(error);
        QCOMPARE(error->Text(), QString(LinkMessages::Timeout));
        QVERIFY(port.Active());
        QVERIFY(pty.Send("R\r"));
        QTRY_COMPARE(port.InputCount(), 2);
        port.ClearInput();
        QCOMPARE(port.InputCount(), 0);
    }

    void linkLoss_data()
    {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("other side closed") << false;
        QTest::newRow("line hung up") << true;
    }

    void linkLoss()
    {
        QFETCH(bool, hangUp);
        TComPort port;
        {
            TPtyPair pty;
            OpenOn(port, pty);
            if (!LoseLine(pty, hangUp))
                QSKIP("hanging up a tty needs CAP_SYS_ADMIN");
            QTRY_VERIFY(!port.Active());
            QVERIFY(port.Lost());
        }
        QCOMPARE(Reported, QStringList{SystemText(EIO)});
        const double cpuBefore = CpuSeconds();
        QTest::qWait(300);  // a window in which a spinning notifier would burn the CPU
        QVERIFY(CpuSeconds() - cpuBefore < 0.1);
        QCOMPARE(Reported.size(), 1);

        TPtyPair next;
        TLineReader reader(port);
        OpenOn(port, next);
        QVERIFY(!port.Lost());
        QVERIFY(next.Send("D\r"));
        QTRY_COMPARE(reader.Lines, QList<QByteArray>{"D\r"});
    }

    void linkLossFoundByACallerGoesToTheCaller_data()
    {
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<bool>("write");
        QTest::newRow("read, other side closed") << false << false;
        QTest::newRow("write, other side closed") << false << true;
        QTest::newRow("read, line hung up") << true << false;
        QTest::newRow("write, line hung up") << true << true;
    }

    void linkLossFoundByACallerGoesToTheCaller()
    {
        QFETCH(bool, hangUp);
        QFETCH(bool, write);
        TPtyPair pty;
        TComPort port;
        QStringList lost;
        port.OnLinkLost = [&](const QString& text) { lost << text; };
        OpenOn(port, pty);
        if (!LoseLine(pty, hangUp))
            QSKIP("hanging up a tty needs CAP_SYS_ADMIN");
        std::optional<ELinkLost> error;
        try {
            write ? port.WriteString("Z\r") : void(port.ReadChar());
        } catch (const ELinkLost& e) {
            error = e;
        }
        QVERIFY(error);
        QCOMPARE(error->Code, EIO);
        QCOMPARE(error->Text(), SystemText(EIO));
        QVERIFY(!port.Active());
        QVERIFY(port.Lost());
        QVERIFY(lost.isEmpty());   // not from inside the caller's operation
        // The loss is told once, by the event; the caller's error shows no second box.
        QTRY_COMPARE(lost, QStringList{SystemText(EIO)});
        RunGuarded([&] { throw *error; });
        QCoreApplication::processEvents();
        QCOMPARE(lost.size(), 1);
        QVERIFY(Reported.isEmpty());
    }

    void handlerWithNestedLoopIsNotReentered()
    {
        TPtyPair pty;
        TComPort port;
        QList<QByteArray> batches;
        int depth = 0, maxDepth = 0;
        port.OnRxFlag = [&] {
            maxDepth = std::max(maxDepth, ++depth);
            QByteArray batch;
            while (port.InputCount() > 0)
                batch += port.ReadChar();
            batches << batch;
            if (batches.size() == 1) {
                // As a message box would: run the event loop while another line comes in.
                QVERIFY(pty.Send("B\r"));
                QTRY_COMPARE(port.InputCount(), 2);
            }
            --depth;
        };
        OpenOn(port, pty);
        QVERIFY(pty.Send("A\r"));
        // The line that came during the handler gets its own event after the handler returned.
        QTRY_COMPARE(batches, (QList<QByteArray>{"A\r", "B\r"}));
        QCOMPARE(maxDepth, 1);
    }

    void closeInsideAHandlerDropsPendingEvents()
    {
        TPtyPair pty;
        TComPort port;
        int events = 0;
        port.OnRxFlag = [&] {
            ++events;
            QVERIFY(pty.Send("B\r"));
            QTRY_VERIFY(port.InputCount() > 2);  // "B\r" is queued and its event pending
            port.Close();
        };
        OpenOn(port, pty);
        QVERIFY(pty.Send("A\r"));
        QTRY_VERIFY(!port.Active());
        QCoreApplication::processEvents();
        QCOMPARE(events, 1);
        QVERIFY(Reported.isEmpty());
    }

    void priorityIsRestoredOnClose()
    {
        TPtyPair pty;
        TComPort port;
        const int before = ::getpriority(PRIO_PROCESS, 0);
        // Whether this process may raise its priority at all.
        const bool mayRaise = ::setpriority(PRIO_PROCESS, 0, before - 1) == 0;
        ::setpriority(PRIO_PROCESS, 0, before);
        OpenOn(port, pty);
        QCOMPARE(::getpriority(PRIO_PROCESS, 0), mayRaise ? std::min(before, TComPort::RaisedNiceValue) : before);
        port.Close();
        QCOMPARE(::getpriority(PRIO_PROCESS, 0), before);
    }
};

QTEST_MAIN(TestComPort)
#include "test_ComPort.moc"
