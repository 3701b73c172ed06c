#pragma once
// A folder on a small tmpfs that is nearly full, in the private mount
// namespace of a test process (see MountNamespace.h), unmounted when it goes.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/mount.h>

// A folder on a disk with `room` bytes left (whole pages of 4 KB) while it lives.
class TFullFolder {
public:
    explicit TFullFolder(int room)
    {
        Mounted = ::mount("tmpfs", QFile::encodeName(Dir.path()).constData(), "tmpfs", 0, "size=64k") == 0;
        QFile filler(Dir.filePath(QStringLiteral("filler")));
        if (filler.open(QIODevice::WriteOnly))
            filler.write(QByteArray(64 * 1024 - room, 'x'));
    }
    ~TFullFolder() { ::umount2(QFile::encodeName(Dir.path()).constData(), MNT_DETACH); }
    TFullFolder(const TFullFolder&) = delete;
    TFullFolder& operator=(const TFullFolder&) = delete;

    QString Path() const { return Dir.path(); }
    QString Path(const QString& name) const { return Dir.filePath(name); }
    // The files in the folder and below it, besides the filler.
    QStringList FilesLeft() const
    {
        QStringList names;
        for (QDirIterator it(Dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();)
            names << QDir(Dir.path()).relativeFilePath(it.next());
        names.removeAll(QStringLiteral("filler"));
        return names;
    }
    bool Mounted = false;

private:
    QTemporaryDir Dir;
};
