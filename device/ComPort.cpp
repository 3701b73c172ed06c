#include "ComPort.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

EComError SystemError(int code)
{
    return EComError(QString::fromStdString(std::system_category().message(code)), code);
}

EComError LinkError(const char* text)
{
    return EComError(QString::fromLatin1(text));
}

// How a modem-line request fails on a device without lines (a pseudo-terminal):
// "no lines here", not a fault of the link.
bool HasNoModemLines(int code)
{
    return code == ENOTTY || code == EINVAL || code == EOPNOTSUPP;
}

} // namespace

TComPort::TComPort(QObject* parent) : TSerialLink(parent), FModemTimer(new QTimer(this))
{
    FModemTimer->setInterval(ModemPollInterval);
    connect(FModemTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { PollModemLines(); }); });
}

TComPort::~TComPort()
{
    Close();
}

QString TComPort::DevicePath(const QString& name)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const auto match = comName.match(name); match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    if (name.startsWith(QLatin1Char('/')))
        return name;
    return QStringLiteral("/dev/") + name;
}

void TComPort::Open()
{
    if (Active())
        return;
    const QByteArray path = QFile::encodeName(DevicePath(FDeviceName));
    FHandle = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FHandle < 0) {
        const int code = errno;
        FHandle = -1;
        throw SystemError(code);
    }
    // Keep other programs off the line while we hold it; not every device allows it.
    ::ioctl(FHandle, TIOCEXCL);
    ApplyLineSettings();
    if (::tcflush(FHandle, TCIOFLUSH) != 0)
        CloseWithError(errno);
    FInput.reserve(InputQueueSize);
    const std::optional<TModemStatus> lines = QueryModemLines();
    FLastModem = lines.value_or(msDSR);
    RaisePriority();
    StartWatching(lines.has_value());
}

void TComPort::ApplyLineSettings()
{
    // The kernel raises DTR and RTS on open; the instrument expects both off.
    const int dtrRts = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(FHandle, TIOCMBIC, &dtrRts) != 0 && !HasNoModemLines(errno))
        CloseWithError(errno);

    termios line{};
    if (::tcgetattr(FHandle, &line) != 0)
        CloseWithError(errno);
    ::cfmakeraw(&line);  // 8 data bits, no parity, no echo, no CR/NL translation
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_cflag &= ~CRTSCTS;
    line.c_cflag |= CSTOPB | CLOCAL | CREAD;  // 2 stop bits; carrier changes must not hang up the line
    // With VMIN 0 an empty line would read 0 bytes, which must stay the sign of a hang-up;
    // with VMIN 1 and a non-blocking handle it reads EAGAIN instead.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    ::cfsetispeed(&line, B19200);
    ::cfsetospeed(&line, B19200);
    if (::tcsetattr(FHandle, TCSANOW, &line) != 0)
        CloseWithError(errno);
}

void TComPort::StartWatching(bool pollModemLines)
{
    FReadNotifier = new QSocketNotifier(FHandle, QSocketNotifier::Read, this);
    connect(FReadNotifier, &QSocketNotifier::activated, this,
            [this] { RunGuarded([this] { ReceiveAvailable(); }); });
    FWriteNotifier = new QSocketNotifier(FHandle, QSocketNotifier::Write, this);
    FWriteNotifier->setEnabled(false);
    connect(FWriteNotifier, &QSocketNotifier::activated, this,
            [this] { RunGuarded([this] { SendPending(); }); });
    if (pollModemLines)
        FModemTimer->start();
}

void TComPort::Close()
{
    DropPendingEvents();
    FModemTimer->stop();
    // The notifiers may be the ones whose signal is being handled further up the stack.
    for (QSocketNotifier** notifier : {&FReadNotifier, &FWriteNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    if (FHandle >= 0) {
        // Discard what is queued so that close() does not wait for it to drain, and give
        // up exclusive use: a pty keeps the flag for as long as its other side is open.
        ::tcflush(FHandle, TCIOFLUSH);
        ::ioctl(FHandle, TIOCNXCL);
        ::close(FHandle);
        FHandle = -1;
    }
    FInput.clear();
    FInputHead = 0;
    FOutput.clear();
    RestorePriority();
}

void TComPort::CloseWithError(int errorCode)
{
    // Once the port is being watched it was open and working: an error now means the device is gone.
    const bool lost = FReadNotifier != nullptr;
    Close();
    const EComError error = SystemError(errorCode);
    if (!lost)
        throw error;
    RaiseLinkLost(error.Text());
    throw ELinkLost(error.Text(), error.Code);
}

void TComPort::ClearInput()
{
    if (!Active())
        return;
    if (::tcflush(FHandle, TCIFLUSH) != 0)
        CloseWithError(errno);
    FInput.clear();
    FInputHead = 0;
    UpdateReadNotifier();
}

void TComPort::ClearOutput()
{
    if (!Active())
        return;
    if (::tcflush(FHandle, TCOFLUSH) != 0)
        CloseWithError(errno);
    FOutput.clear();
    FWriteNotifier->setEnabled(false);
}

TModemStatus TComPort::ModemStatus()
{
    if (!Active())
        throw LinkError(LinkMessages::ClosedPort);
    return QueryModemLines().value_or(msDSR);
}

std::optional<TModemStatus> TComPort::QueryModemLines()
{
    int lines = 0;
    if (::ioctl(FHandle, TIOCMGET, &lines) != 0) {
        if (HasNoModemLines(errno))
            return std::nullopt;
        CloseWithError(errno);
    }
    TModemStatus status = 0;
    if (lines & TIOCM_CTS)
        status |= msCTS;
    if (lines & TIOCM_DSR)
        status |= msDSR;
    if (lines & TIOCM_RNG)
        status |= msRing;
    if (lines & TIOCM_CAR)
        status |= msRLSD;
    return status;
}

void TComPort::PollModemLines()
{
    if (!Active())
        return;
    const TModemStatus now = QueryModemLines().value_or(msDSR);
    const TModemStatus changed = now ^ FLastModem;
    FLastModem = now;
    if (changed & (msCTS | msDSR))
        RaiseEvents(changed & msCTS, changed & msDSR, false);
}

int TComPort::InputCount()
{
    return Active() ? int(FInput.size() - FInputHead) : 0;
}

void TComPort::UpdateReadNotifier()
{
    // A full queue leaves further bytes to the kernel until ReadChar makes room.
    if (FReadNotifier)
        FReadNotifier->setEnabled(InputCount() < InputQueueSize);
}

void TComPort::ReceiveAvailable()
{
    if (!Active())
        return;
    if (FInputHead > 0) {
        FInput.remove(0, FInputHead);
        FInputHead = 0;
    }
    const qsizetype old = FInput.size();
    const qsizetype room = InputQueueSize - old;
    if (room <= 0) {
        UpdateReadNotifier();
        return;
    }
    FInput.resize(old + room);
    const ssize_t got = ::read(FHandle, FInput.data() + old, size_t(room));
    const int code = errno;
    FInput.resize(old + std::max<qsizetype>(got, 0));
    if (got < 0 && (code == EAGAIN || code == EINTR))
        return;
    // A hung-up line reads 0 bytes forever: that is link loss too.
    if (got <= 0)
        CloseWithError(got == 0 ? EIO : code);
    UpdateReadNotifier();
    // A full queue without a CR (line noise, a wrong baud rate) is handed to the
    // receive handler too; otherwise reading would stop for good.
    if (FInput.indexOf('\r', old) >= 0 || InputCount() >= InputQueueSize)
        RaiseEvents(false, false, true);
}

char TComPort::ReadChar()
{
    if (!Active())
        throw LinkError(LinkMessages::ClosedPort);
    if (InputCount() == 0)
        WaitForByte();
    const char byte = FInput.at(FInputHead++);
    if (FInputHead == FInput.size()) {
        FInput.resize(0);
        FInputHead = 0;
    }
    UpdateReadNotifier();
    return byte;
}

void TComPort::WaitForByte()
{
    // Takes exactly one byte from the device; the rest stays for the read notifier,
    // which raises the event for any CR among it.
    const QDeadlineTimer deadline(ReadCharTimeout);
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(FHandle, &byte, 1);
        if (got == 1) {
            FInput.append(byte);
            return;
        }
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            CloseWithError(got == 0 ? EIO : errno);
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            throw LinkError(LinkMessages::Timeout);
        pollfd wait{FHandle, POLLIN, 0};
        ::poll(&wait, 1, int(left));
    }
}

void TComPort::WriteString(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    if (!Active())
        throw LinkError(LinkMessages::ClosedPort);
    const bool idle = FOutput.isEmpty();
    FOutput.append(text);
    if (idle)
        SendPending();
}

void TComPort::SendPending()
{
    if (!Active())
        return;
    while (!FOutput.isEmpty()) {
        const ssize_t sent = ::write(FHandle, FOutput.constData(), size_t(FOutput.size()));
        if (sent > 0) {
            FOutput.remove(0, sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno == EAGAIN)
            break;
        CloseWithError(sent == 0 ? EIO : errno);
    }
    FWriteNotifier->setEnabled(!FOutput.isEmpty());
}

void TComPort::RaisePriority()
{
    // On Linux this affects the calling thread, the GUI thread that does all the
    // link's work. Unprivileged processes may not raise it; that is no failure.
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0 || current <= RaisedNiceValue)
        return;
    if (::setpriority(PRIO_PROCESS, 0, RaisedNiceValue) == 0)
        FSavedNice = current;
}

void TComPort::RestorePriority()
{
    if (FSavedNice) {
        ::setpriority(PRIO_PROCESS, 0, *FSavedNice);
        FSavedNice.reset();
    }
}
