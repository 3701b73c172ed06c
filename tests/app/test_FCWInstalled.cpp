// The program installed where its folder cannot be written: MERIL.INI and the
// default directories move to the user's folders, and a serial port the user
// may not open says how to get the right.
//
// Tests run as root, where file modes do not stop writes. A folder is made
// read-only for real: as root by a read-only bind mount in a private mount
// namespace of this test process (entered in main, before any thread starts),
// otherwise by its mode. A port is denied for real: as root by opening it
// under the effective user "nobody", otherwise by its mode.

#include "FCWHarness.h"
#include "FileBytes.h"
#include "MountNamespace.h"
#include "Screenshot.h"
#include "SimLink.h"
#include "StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool PrivateMounts = false;

// Makes a folder (or a file) read-only for this process while it lives.
class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(const QString& dir) : FPath(QFile::encodeName(dir))
    {
        if (geteuid() != 0)
            FDone = ::chmod(FPath.constData(), 0555) == 0;
        else
            FDone = PrivateMounts && ::mount(FPath.constData(), FPath.constData(), nullptr, MS_BIND, nullptr) == 0 &&
                    ::mount(nullptr, FPath.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~TReadOnlyFolder()
    {
        if (geteuid() != 0)
            ::chmod(FPath.constData(), 0755);
        else
            ::umount2(FPath.constData(), MNT_DETACH);
    }
    TReadOnlyFolder(const TReadOnlyFolder&) = delete;
    TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;
    // False when no way is open here.
    bool Done() const { return FDone; }

private:
    QByteArray FPath;
    bool FDone = false;
};

bool CanCreateFileIn(const QString& dir)
{
    QFile probe(QDir(dir).filePath(QStringLiteral("probe")));
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created)
        probe.remove();
    return created;
}

void WriteIni(const QString& path, const QString& port)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\r\n\r\n\r\n" + port.toLatin1() + "\r\n\r\n0,1,0\r\n\r\n0,1,0\r\n\r\n0,0,1\r\n");
}

// A program folder, the user's configuration folder and home folder, and the
// windows started over them as the program starts them.
class TInstalledRig {
public:
    QTemporaryDir ProgramDir, UserRoot;
    QString ProgramPath = ProgramDir.path();   // where the program is, unless elsewhere
    TScriptedOperator Operator;
    std::unique_ptr<TMerilWindows> Windows;

    QString UserConfigDir() const { return UserRoot.filePath(QStringLiteral("config/Meril")); }
    QString UserIni() const { return UserConfigDir() + QStringLiteral("/MERIL.INI"); }
    QString UserDir() const { return UserRoot.filePath(QStringLiteral("Meril")); }
    QString ProgramIni() const { return ProgramPath + QStringLiteral("/MERIL.INI"); }
    TFCW& FCW() const { return *Windows->FCW; }
    QString StatusLine() const { return FCW().StatusBar->PanelText(2); }

    void Start()
    {
        TFCWOptions options;
        auto link = std::make_unique<TSimLink>();
        link->SetSpeed(0);
        options.Link = std::move(link);
        options.ProgramDir = ProgramPath + QLatin1Char('/');
        options.UserConfigDir = UserConfigDir();
        options.UserDir = UserDir();
        options.ShowSplash = false;
        Windows = CreateWindows(std::move(options));
        FCW().show();
    }
    void Stop()
    {
        FCW().close();
        Windows.reset();
    }
};

} // namespace

class TestFCWInstalled : public QObject {
    Q_OBJECT

private slots:
    void settingsLiveInTheUserFolderWhenTheProgramFolderIsReadOnly()
    {
        TInstalledRig rig;
        const TReadOnlyFolder readOnly(rig.ProgramDir.path());
        if (!readOnly.Done())
            QSKIP("no way to make a folder read-only for this user here");
        QVERIFY(!CanCreateFileIn(rig.ProgramDir.path()));

        // Said once, at start, with the file's place below the home folder.
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(rig.UserRoot.path()));
        rig.Start();
        qputenv("HOME", home);
        QCOMPARE(rig.StatusLine(), QStringLiteral("Spectrometer: disconnected; settings in ~/config/Meril/MERIL.INI "
                                                  "(the program's folder cannot be written)"));
        rig.FCW().setWindowState(Qt::WindowNoState);
        for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
            rig.FCW().resize(size);
            SaveScreenshot(rig.FCW(), QStringLiteral("fcw_user_settings_%1").arg(size.width()));
        }
        // The directories default to ~/Meril, which is there to be used.
        QVERIFY(QFileInfo(rig.UserDir()).isDir());
        QCOMPARE(rig.FCW().Settings().AcqDir, rig.UserDir() + QLatin1Char('/'));
        QCOMPARE(rig.FCW().Settings().SetupDir, rig.UserDir() + QLatin1Char('/'));
        // The operator changes the port; it survives a restart.
        rig.FCW().MSpcCOM[2]->trigger();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM3"));
        rig.Stop();

        QVERIFY(FileBytes(rig.UserIni()).contains("\r\nCOM3\r\n"));
        QVERIFY(FileBytes(rig.UserIni()).startsWith(QFile::encodeName(rig.UserDir()) + "/\r\n"));
        QCOMPARE(QDir(rig.ProgramDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());

        rig.Start();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM3"));
        QVERIFY(rig.FCW().MSpcCOM[2]->isChecked());
        rig.Stop();
        QCOMPARE(rig.Operator.Problems(), QString());
    }

    // Root may write anywhere: a program in a system folder, or in a folder of
    // another user, still keeps its settings and spectra in the user's folders.
    void aSystemOrAnotherUsersFolderIsNotForSettings_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("reason");
        QTest::newRow("/opt") << "opt" << "the program's folder is a system folder";
        QTest::newRow("another user's") << "nobody" << "the program's folder belongs to another user";
    }
    void aSystemOrAnotherUsersFolderIsNotForSettings()
    {
        QFETCH(QString, where);
        QFETCH(QString, reason);
        if (geteuid() != 0 || !PrivateMounts)
            QSKIP("needs root in a private mount namespace");
        TInstalledRig rig;
        bool optMounted = false;
        if (where == QLatin1String("opt")) {
            optMounted = ::mount("tmpfs", "/opt", "tmpfs", 0, "size=1m") == 0;
            QVERIFY(optMounted);
            rig.ProgramPath = QStringLiteral("/opt/meril/bin");
            QVERIFY(QDir().mkpath(rig.ProgramPath));
        } else {
            QVERIFY(::chown(QFile::encodeName(rig.ProgramPath).constData(), 65534, 65534) == 0);
        }
        QVERIFY(CanCreateFileIn(rig.ProgramPath));   // root may write there
        rig.Start();
        QVERIFY2(rig.StatusLine().endsWith(QStringLiteral("(%1)").arg(reason)), qPrintable(rig.StatusLine()));
        QCOMPARE(rig.FCW().Settings().AcqDir, rig.UserDir() + QLatin1Char('/'));
        rig.FCW().MSpcCOM[2]->trigger();
        rig.Stop();
        QCOMPARE(QDir(rig.ProgramPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QVERIFY(FileBytes(rig.UserIni()).contains("\r\nCOM3\r\n"));
        QCOMPARE(rig.Operator.Problems(), QString());
        if (optMounted)
            ::umount2("/opt", MNT_DETACH);
    }

    void readOnlySettingsBesideTheProgramAreReadUntilTheUserHasOwn()
    {
        TInstalledRig rig;
        WriteIni(rig.ProgramIni(), QStringLiteral("COM2"));
        const QByteArray shipped = FileBytes(rig.ProgramIni());
        const TReadOnlyFolder readOnly(rig.ProgramDir.path());
        if (!readOnly.Done())
            QSKIP("no way to make a folder read-only for this user here");

        rig.Start();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM2"));
        // Empty directory lines stand for ~/Meril, not for the program's folder.
        QCOMPARE(rig.FCW().Settings().AcqDir, rig.UserDir() + QLatin1Char('/'));
        rig.FCW().MSpcCOM[3]->trigger();
        rig.Stop();
        QCOMPARE(FileBytes(rig.ProgramIni()), shipped);
        QVERIFY(FileBytes(rig.UserIni()).contains("\r\nCOM4\r\n"));

        rig.Start();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM4"));
        rig.Stop();
        QCOMPARE(rig.Operator.Problems(), QString());
    }

    void readOnlySettingsFileInAWritableFolderIsNotReplaced()
    {
        TInstalledRig rig;
        WriteIni(rig.ProgramIni(), QStringLiteral("COM2"));
        const QByteArray shipped = FileBytes(rig.ProgramIni());
        const TReadOnlyFolder readOnly(rig.ProgramIni());   // the file alone
        if (!readOnly.Done())
            QSKIP("no way to make a file read-only for this user here");

        rig.Start();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM2"));
        rig.FCW().MSpcCOM[2]->trigger();
        rig.Stop();
        QCOMPARE(FileBytes(rig.ProgramIni()), shipped);
        QVERIFY(FileBytes(rig.UserIni()).contains("\r\nCOM3\r\n"));
        QCOMPARE(rig.Operator.Problems(), QString());
    }

    void writableSettingsBesideTheProgramKeepWinning()
    {
        TInstalledRig rig;
        WriteIni(rig.ProgramIni(), QStringLiteral("COM2"));
        QVERIFY(QDir().mkpath(rig.UserConfigDir()));
        WriteIni(rig.UserIni(), QStringLiteral("COM4"));
        const QByteArray userIni = FileBytes(rig.UserIni());

        rig.Start();
        QCOMPARE(rig.FCW().Spectrometer().Link().DeviceName(), QStringLiteral("COM2"));
        QVERIFY(!rig.StatusLine().contains(QStringLiteral("settings")));
        QCOMPARE(rig.FCW().Settings().AcqDir, rig.ProgramDir.path() + QLatin1Char('/'));
        rig.FCW().MSpcCOM[2]->trigger();
        rig.Stop();
        QVERIFY(FileBytes(rig.ProgramIni()).contains("\r\nCOM3\r\n"));
        QCOMPARE(FileBytes(rig.UserIni()), userIni);
        QVERIFY(!QFileInfo::exists(rig.UserDir()));
        QCOMPARE(rig.Operator.Problems(), QString());
    }

    void portWithoutPermissionNamesTheGroup()
    {
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
        {
            QFile f(device);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(::chmod(QFile::encodeName(device).constData(), geteuid() == 0 ? 0600 : 0) == 0);

        TFCWHarness h({QString(), QString(), QString(), device}, 1024, TFCWHarness::RealPort);
        h.Operator.ExpectMessage(QStringLiteral("Permission denied on %1: add yourself to the group dialout "
                                                "(sudo usermod -aG dialout $USER) and log in again.")
                                     .arg(device));
        // As root the port is opened as the user nobody, who may not.
        const bool asNobody = geteuid() == 0;
        if (asNobody)
            QVERIFY(::seteuid(65534) == 0);
        h.FCW().MLink->trigger();
        if (asNobody)
            QVERIFY(::seteuid(0) == 0);
        QCOMPARE(h.Operator.Messages.last(),
                 QStringLiteral("Permission denied on %1: add yourself to the group dialout "
                                "(sudo usermod -aG dialout $USER) and log in again.")
                     .arg(device));
        QVERIFY(!h.Spectrometer().Link().Active());
        QVERIFY(h.FCW().MLink->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void openFailureTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString denied = QStringLiteral("Permission denied on /dev/ttyACM1: add yourself to the group dialout "
                                              "(sudo usermod -aG dialout $USER) and log in again.");
        QTest::newRow("EACCES") << EACCES << denied;
        QTest::newRow("EPERM") << EPERM << denied;
        QTest::newRow("ENOENT") << ENOENT
                                << QStringLiteral("Cannot open /dev/ttyACM1: the reason. Choose the instrument's port "
                                                  "under Spectrometer.");
        QTest::newRow("EBUSY") << EBUSY
                               << QStringLiteral("Cannot open /dev/ttyACM1: the reason. Choose the instrument's port "
                                                 "under Spectrometer.");
    }

    void openFailureTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(OpenFailedText(QStringLiteral("/dev/ttyACM1"), EComError(QStringLiteral("the reason"), code)), text);
    }
};

int main(int argc, char** argv)
{
    PrivateMounts = EnterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestFCWInstalled test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_FCWInstalled.moc"
