#include "WholeFile.h"

#include "Errors.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name beside the target that no other writer of this or another process
// uses at the same time; created exclusively, with the target's mode when it
// exists (the umask applies otherwise).
int CreateTemporary(const QByteArray& target, QByteArray& temporary)
{
    static QAtomicInteger<unsigned> counter;
    struct stat old {};
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0666;
    for (;;) {
        temporary = target + ".tmp-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(counter.fetchAndAddRelaxed(1));
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

bool WriteAll(int fd, QByteArrayView bytes)
{
    const char* at = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        at += n;
        left -= n;
    }
    return true;
}

} // namespace

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error)
{
    // A link is kept: the file it leads to is replaced.
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    const QByteArray target = QFile::encodeName(resolved.isEmpty() ? path : resolved);
    QByteArray temporary;
    const int fd = CreateTemporary(target, temporary);
    bool written = fd >= 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int reason = written ? 0 : errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (written && ::rename(temporary.constData(), target.constData()) != 0) {
        written = false;
        reason = errno;
    }
    if (!written) {
        if (fd >= 0)
            ::unlink(temporary.constData());
        if (error)
            *error = SystemErrorText(reason);
    }
    return written;
}
