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

// The mode of the file replaced, so that a replaced file keeps it; a new file
// gets 0666 less the umask.
mode_t ModeFor(const QByteArray& target)
{
    struct stat old {};
    return ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0666;
}

// A name beside the target that no other writer of this or another process uses.
QByteArray TemporaryName(const QByteArray& target)
{
    static QAtomicInteger<unsigned> counter;
    return target + ".tmp-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(counter.fetchAndAddRelaxed(1));
}

// The new content of a file. Where the file system allows, it has no name
// (O_TMPFILE) until it is complete, so that a crash while it is written
// leaves nothing behind; elsewhere it has a temporary name beside the target
// and is renamed over it. Whatever is not published is removed.
class TNewFile {
public:
    explicit TNewFile(QByteArray target) : FTarget(std::move(target))
    {
        const mode_t mode = ModeFor(FTarget);
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(FTarget)).absolutePath());
        FFd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (FFd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return;
        do {
            FName = TemporaryName(FTarget);
            FFd = ::open(FName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        } while (FFd < 0 && errno == EEXIST);
        if (FFd < 0)
            FName.clear();
    }
    ~TNewFile()
    {
        if (FFd >= 0)
            ::close(FFd);
        if (!FName.isEmpty())
            ::unlink(FName.constData());
    }
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;

    bool Opened() const { return FFd >= 0; }

    // Every byte, then flushed to the disk.
    bool Write(QByteArrayView bytes)
    {
        const char* at = bytes.data();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(FFd, at, size_t(left));
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
        return ::fsync(FFd) == 0;
    }

    // Gives the complete file the target's name, replacing a file there.
    bool Publish()
    {
        if (FName.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(FFd);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, FTarget.constData(), AT_SYMLINK_FOLLOW) == 0)
                return Close();
            if (errno != EEXIST)
                return false;
            // A file is there: linked under a temporary name, then renamed over it.
            QByteArray name;
            int linked = 0;
            do {
                name = TemporaryName(FTarget);
                linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
            } while (linked != 0 && errno == EEXIST);
            if (linked != 0)
                return false;
            FName = name;
        }
        if (!Close() || ::rename(FName.constData(), FTarget.constData()) != 0)
            return false;
        FName.clear();
        return true;
    }

private:
    bool Close()
    {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }

    QByteArray FTarget;
    QByteArray FName;   // empty while the file has no name of its own
    int FFd = -1;
};

} // namespace

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error)
{
    // A link is kept: the file it leads to is replaced.
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    TNewFile file(QFile::encodeName(resolved.isEmpty() ? path : resolved));
    const bool written = file.Opened() && file.Write(bytes) && file.Publish();
    if (!written && error)
        *error = SystemErrorText(errno);
    return written;
}
