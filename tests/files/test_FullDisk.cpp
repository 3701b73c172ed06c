// Every file the program writes, on a disk that is full: the write fails, the
// message gives the system's reason and names the file, and nothing is left
// behind, neither a file cut short nor a temporary one.
//
// The disk is a small tmpfs, filled up, in a private mount namespace of this
// test process (entered in main, before any thread starts; root only).
// Elsewhere a file size limit stands in for it, and the reason is "File too
// large".

#include "../processing/DataProcRig.h"
#include "FileSizeLimit.h"
#include "MountNamespace.h"
#include "PassSet.h"
#include "TextTable.h"
#include "USetup.h"
#include "WholeFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool PrivateMounts = false;

// A folder on a disk with `room` bytes left (whole pages of 4 KB) while it lives.
class TFullFolder {
public:
    explicit TFullFolder(int room) : Room(room)
    {
        Full = PrivateMounts && ::mount("tmpfs", QFile::encodeName(Dir.path()).constData(), "tmpfs", 0, "size=64k") == 0;
        if (!Full)
            return;
        QFile filler(Dir.filePath(QStringLiteral("filler")));
        if (filler.open(QIODevice::WriteOnly))
            filler.write(QByteArray(64 * 1024 - room, 'x'));
    }
    ~TFullFolder()
    {
        if (Full)
            ::umount2(QFile::encodeName(Dir.path()).constData(), MNT_DETACH);
    }
    TFullFolder(const TFullFolder&) = delete;
    TFullFolder& operator=(const TFullFolder&) = delete;

    QString Path() const { return Dir.path(); }
    QString FilePath(const QString& name) const { return Dir.filePath(name); }
    // The system's words for the failure.
    QString Reason() const { return SystemErrorText(Full ? ENOSPC : EFBIG); }
    // Runs a write as it fails here.
    template <class F>
    void Write(F&& write) const
    {
        std::optional<TFileSizeLimit> limit;
        if (!Full)
            limit.emplace(rlim_t(Room));   // nothing may be logged while it holds
        write();
    }
    // The files in the folder and below it, besides the filler.
    QStringList FilesLeft() const
    {
        QStringList names;
        for (QDirIterator it(Dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();)
            names << QDir(Dir.path()).relativeFilePath(it.next());
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

private:
    QTemporaryDir Dir;
    int Room = 0;
    bool Full = false;
};

template <class F>
QString ErrorOf(F&& f)
{
    try {
        f();
    } catch (const EMerilError& e) {
        return e.Text();
    }
    return {};
}

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT

private slots:
    // With no room at all, and with one page left (a write that breaks off
    // part-way, where a buffered write used to report "Unknown error").
    void writersGiveTheReasonAndLeaveNothing_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("named");   // the file the message names, none when the caller names it
        QTest::addColumn<std::function<QString(const QString&)>>("write");  // into a folder; the message
        const std::vector<int32_t> sums(1024, 5);
        QTest::newRow("setup file") << 0 << QString() << std::function([](const QString& dir) {
            QString error;
            return SaveSetupFile(QDir(dir).filePath(QStringLiteral("a.cfg")), SetupRecord{}, &error) ? QString() : error;
        });
        const auto spectrum = std::function([sums](const QString& dir) {
            return ErrorOf([&] { WriteSpectrumFile(QDir(dir).filePath(QStringLiteral("run1.dcw")), NmrHeader(), sums); });
        });
        QTest::newRow("spectrum, one page left") << 4096 << "run1.dcw" << spectrum;
        QTest::newRow("spectrum, no room") << 0 << "run1.dcw" << spectrum;
        QTest::newRow("pass") << 4096 << "run1.passes/pass-001.dcw" << std::function([sums](const QString& dir) {
            TPassRecorder recorder;
            recorder.Begin(QDir(dir).filePath(QStringLiteral("run1.passes")), {});
            return ErrorOf([&] { recorder.Write(NmrHeader(), sums); });
        });
        QTest::newRow("setup of the passes") << 0 << "run1.passes/setup.cfg" << std::function([sums](const QString& dir) {
            TPassRecorder recorder;
            recorder.Begin(QDir(dir).filePath(QStringLiteral("run1.passes")), QByteArray(SetupRecord::Size, '\1'));
            return ErrorOf([&] { recorder.Write(NmrHeader(), sums); });
        });
        QTest::newRow("text export") << 4096 << "run1.txt" << std::function([](const QString& dir) {
            const std::vector<double> x(1024, 1.0), y(1024, 2.0);
            return ErrorOf([&] { WriteTextTable(QDir(dir).filePath(QStringLiteral("run1.txt")), x, y); });
        });
    }
    void writersGiveTheReasonAndLeaveNothing()
    {
        QFETCH(int, room);
        QFETCH(QString, named);
        QFETCH(std::function<QString(const QString&)>, write);
        const TFullFolder full(room);
        QString message;
        full.Write([&] { message = write(full.Path()); });
        QVERIFY2(message.contains(full.Reason()), qPrintable(message));
        QVERIFY2(named.isEmpty() || message.contains(full.FilePath(named)), qPrintable(message));
        QCOMPARE(full.FilesLeft(), QStringList());
    }

    void pictureGivesTheReasonAndLeavesNothing()
    {
        const TFullFolder full(4096);
        TDataProcRig rig;
        rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), TriangleDerivative()));
        const QString path = full.FilePath(QStringLiteral("line.png"));
        rig.Op.ExpectFileDialog(path);
        rig.Op.ExpectMessage(full.Reason());
        full.Write([&] { rig.W.MSavePicture->trigger(); });
        QCOMPARE(rig.Op.Problems(), QString());
        QVERIFY2(rig.Op.Messages.value(0).contains(path), qPrintable(rig.Op.Messages.value(0)));
        QCOMPARE(full.FilesLeft(), QStringList());
    }
};

int main(int argc, char** argv)
{
    PrivateMounts = EnterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestFullDisk test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_FullDisk.moc"
