#include "PtyPair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

TPtyPair::TPtyPair()
{
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (Master >= 0 && ::grantpt(Master) == 0 && ::unlockpt(Master) == 0)
        SlavePath = QString::fromLocal8Bit(::ptsname(Master));
}

TPtyPair::~TPtyPair()
{
    CloseMaster();
}

void TPtyPair::CloseMaster()
{
    if (Master >= 0)
        ::close(Master);
    Master = -1;
}

bool TPtyPair::HangUp() const
{
    const int slave = ::open(SlavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool done = slave >= 0 && ::ioctl(slave, TIOCVHANGUP) == 0;
    if (slave >= 0)
        ::close(slave);
    return done;
}

bool TPtyPair::Send(const QByteArray& data)
{
    const QDeadlineTimer deadline(10000);
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(Master, data.constData() + done, size_t(data.size() - done));
        if (n > 0)
            done += n;
        else if (deadline.hasExpired())
            return false;
        else
            Wait(POLLOUT);
    }
    return true;
}

QByteArray TPtyPair::Receive(qsizetype count, int quietMs)
{
    QByteArray got;
    QDeadlineTimer quiet(quietMs);
    while (got.size() < count && !quiet.hasExpired()) {
        char buffer[4096];
        const ssize_t n = ::read(Master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            quiet.setRemainingTime(quietMs);
        } else {
            Wait(POLLIN);
        }
    }
    return got;
}

void TPtyPair::Wait(short events)
{
    QCoreApplication::processEvents();
    pollfd p{Master, events, 0};
    ::poll(&p, 1, 5);
}
