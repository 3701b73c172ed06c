#include "PtyServer.h"

#include "Errors.h"
#include "Pacer.h"

#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Unpaced, the server hands the terminal this much at a time.
constexpr qsizetype Chunk = 4096;
// Output waiting for a terminal nobody reads is dropped beyond this.
constexpr qsizetype PendingLimit = 1 << 20;

QString SystemError(const QString& what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

void Say(const QString& text)
{
    std::fprintf(stderr, "meril-sim: %s\n", qPrintable(text));
}

int MillisecondsUntil(TPacer::Clock::duration wait)
{
    return int(std::min<qint64>(std::chrono::ceil<std::chrono::milliseconds>(wait).count(), 60000));
}
} // namespace

TPtyServer::TPtyServer(TInstrument& instrument, const TServerOptions& options)
    : FInstrument(instrument), FOptions(options)
{
    if (pipe2(FStopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw EMerilError(SystemError(QStringLiteral("Cannot create a pipe")));
    FConsoleOpen = options.Console;
}

TPtyServer::~TPtyServer()
{
    CloseTerminal();
    ::close(FStopPipe[0]);
    ::close(FStopPipe[1]);
}

void TPtyServer::Open()
{
    FMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
        throw EMerilError(SystemError(QStringLiteral("Cannot open a pseudo-terminal")));
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    fcntl(FMaster, F_SETFD, FD_CLOEXEC);
    char name[128];
    if (ptsname_r(FMaster, name, sizeof name) != 0)
        throw EMerilError(SystemError(QStringLiteral("Cannot name the pseudo-terminal")));
    FDevicePath = QString::fromLocal8Bit(name);

    // Our own descriptor of the device: without it the terminal hangs up
    // whenever the program closes its port.
    FSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FSlave < 0)
        throw EMerilError(SystemError(QStringLiteral("Cannot open %1").arg(FDevicePath)));
    termios settings{};
    tcgetattr(FSlave, &settings);
    cfmakeraw(&settings);
    cfsetispeed(&settings, B19200);
    cfsetospeed(&settings, B19200);
    settings.c_cflag |= CSTOPB | CLOCAL | CREAD;
    if (tcsetattr(FSlave, TCSANOW, &settings) != 0)
        throw EMerilError(SystemError(QStringLiteral("Cannot set %1 to raw mode").arg(FDevicePath)));

    // Publish the link: replace an old link atomically, never a file.
    const QByteArray link = QFile::encodeName(FOptions.LinkPath);
    struct stat existing {};
    if (lstat(link.constData(), &existing) == 0 && !S_ISLNK(existing.st_mode))
        throw EMerilError(QStringLiteral("%1 exists and is not a symbolic link").arg(FOptions.LinkPath));
    const QByteArray temporary = link + ".new" + QByteArray::number(getpid());
    ::unlink(temporary.constData());
    if (symlink(name, temporary.constData()) != 0 || rename(temporary.constData(), link.constData()) != 0) {
        const QString error = SystemError(QStringLiteral("Cannot create the link %1").arg(FOptions.LinkPath));
        ::unlink(temporary.constData());
        throw EMerilError(error);
    }
}

void TPtyServer::CloseTerminal()
{
    if (FMaster < 0)
        return;
    // Remove the link only while it is still ours.
    const QByteArray link = QFile::encodeName(FOptions.LinkPath);
    char target[256];
    const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
    if (n > 0 && QByteArray(target, n) == QFile::encodeName(FDevicePath))
        ::unlink(link.constData());
    ::close(FMaster);
    if (FSlave >= 0)
        ::close(FSlave);
    FMaster = FSlave = -1;
}

void TPtyServer::Stop()
{
    const char byte = 'x';
    [[maybe_unused]] const ssize_t n = ::write(FStopPipe[1], &byte, 1);
}

void TPtyServer::ConsoleCommand(const QByteArray& line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray& verb = words.first();
    bool ok = false;
    if (verb == "source" && words.size() == 2) {
        TInstrumentConfig config = FInstrument.Config();
        config.FieldSource = words[1].toInt(&ok);
        if (ok && config.FieldSource >= 0 && config.FieldSource <= 5) {
            FInstrument.Configure(config);
            return;
        }
    } else if (verb == "error" && words.size() == 2 && words[1].size() == 4) {
        FInstrument.InjectError(words[1]);
        return;
    } else if (verb == "drop" && words.size() == 1) {
        FOptions.DropAfter = -1; // at once
        return;
    } else if (verb == "quit" && words.size() == 1) {
        FQuit = true;
        return;
    } else if (verb.isEmpty()) {
        return;
    }
    Say(QStringLiteral("console commands: source 0..5 | error CODE (4 characters) | drop | quit"));
}

void TPtyServer::Run()
{
    using Clock = TPacer::Clock;
    TPacer pacer(FInstrument, Clock::now());
    pacer.SetSpeed(FOptions.Speed, Clock::now());
    FInstrument.OnLog = [](const QString& text) { Say(text); };
    if (FOptions.Verbose)
        FInstrument.OnCommand = [](const QByteArray& text) { Say(QStringLiteral("> %1").arg(QString::fromLatin1(text))); };

    QByteArray out; // sent by the instrument, not yet taken by the terminal
    bool overflowing = false;
    std::optional<Clock::time_point> firstCommand;
    while (!FQuit) {
        const auto now = Clock::now();
        std::optional<Clock::time_point> dropAt;
        if (FOptions.DropAfter < 0)
            dropAt = now;
        else if (FOptions.DropAfter > 0 && firstCommand)
            dropAt = *firstCommand + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(FOptions.DropAfter));
        if (dropAt && now >= *dropAt) {
            Say(QStringLiteral("dropping the link"));
            CloseTerminal();
            return;
        }

        if (!pacer.Unpaced() || out.size() < Chunk)
            out += pacer.Take(now, Chunk);
        if (out.size() > PendingLimit) {
            if (!overflowing)
                Say(QStringLiteral("nobody reads the terminal: output is being dropped"));
            overflowing = true;
            out.remove(0, out.size() - PendingLimit);
        } else if (out.isEmpty()) {
            overflowing = false;
        }
        if (!out.isEmpty()) {
            const ssize_t written = ::write(FMaster, out.constData(), size_t(out.size()));
            if (written > 0)
                out.remove(0, written);
            else if (written < 0 && errno != EAGAIN && errno != EINTR)
                throw EMerilError(SystemError(QStringLiteral("Cannot write to the terminal")));
        }

        int timeout = -1;
        if (!pacer.Unpaced() || out.size() < Chunk)
            if (const auto wait = pacer.UntilNext(now))
                timeout = MillisecondsUntil(*wait);
        if (dropAt)
            timeout = std::min(timeout < 0 ? INT_MAX : timeout, MillisecondsUntil(*dropAt - now));

        pollfd fds[3] = {{FMaster, short(POLLIN | (out.isEmpty() ? 0 : POLLOUT)), 0},
                         {FStopPipe[0], POLLIN, 0},
                         {FConsoleOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(fds, 3, timeout) < 0) {
            if (errno == EINTR)
                continue;
            throw EMerilError(SystemError(QStringLiteral("poll")));
        }
        if (fds[1].revents)
            return;
        if (fds[0].revents & (POLLERR | POLLNVAL | POLLHUP))
            throw EMerilError(QStringLiteral("The terminal failed"));
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
            if (n > 0) {
                pacer.Sync(Clock::now());
                FInstrument.Receive(QByteArrayView(buffer, n));
                if (!firstCommand)
                    firstCommand = Clock::now();
            }
        }
        if (fds[2].revents) {
            char buffer[512];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                FConsoleOpen = false;
                continue;
            }
            pacer.Sync(Clock::now());
            FConsoleLine.append(buffer, n);
            for (qsizetype end; (end = FConsoleLine.indexOf('\n')) >= 0; FConsoleLine.remove(0, end + 1))
                ConsoleCommand(FConsoleLine.left(end));
        }
    }
}
