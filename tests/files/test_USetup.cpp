#include "FileSizeLimit.h"
#include "USetup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

void PutInt(QByteArray& bytes, int offset, int32_t v)
{
    qToLittleEndian(v, bytes.data() + offset);
}

SetupRecord DistinctRecord()
{
    SetupRecord r;
    r.Level = -500;
    r.Gain = 255;
    r.Phase = {1, 2, 3, 239};
    r.Acc = 99;
    r.FieldSweep = 1;
    r.Padding1 = {7, 8, 9};
    r.FieldSwRng = {4, 5, 6, 7};
    r.FreqSwRng = 9;
    r.ModAmp = 12;
    r.SweepT = 7;
    r.TuningB0 = {-100000, 2, 3, 70000};
    r.DB0 = -1;
    r.Frequency = {-8, 9, 10, 11};
    r.DFrq = 3;
    r.Mode = 3;
    r.Padding2 = {0xAA, 0xBB, 0xCC};
    return r;
}

} // namespace

class TestUSetup : public QObject {
    Q_OBJECT
private:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }

private slots:
    void SetupRecordFollowsTheFileLayout()
    {
        // A record built by hand, field by field at its offset.
        QByteArray bytes(104, '\0');
        PutInt(bytes, 0, -7);
        PutInt(bytes, 4, 200);
        for (int m = 0; m < 4; ++m) {
            PutInt(bytes, 8 + 4 * m, 10 + m);
            PutInt(bytes, 32 + 4 * m, 20 + m);
            PutInt(bytes, 60 + 4 * m, -30000 - m);
            PutInt(bytes, 80 + 4 * m, 40 + m);
        }
        PutInt(bytes, 24, 5);
        bytes[28] = 1;
        bytes[29] = 'x';
        PutInt(bytes, 48, 6);
        PutInt(bytes, 52, 11);
        PutInt(bytes, 56, 3);
        PutInt(bytes, 76, -1);
        PutInt(bytes, 96, 2);
        bytes[100] = 2;
        bytes[103] = 'y';

        SetupRecord r;
        QVERIFY(SetupRecordFromBytes(bytes, r));
        QCOMPARE(r.Level, -7);
        QCOMPARE(r.Gain, 200);
        QCOMPARE(r.Phase, (std::array<int32_t, 4>{10, 11, 12, 13}));
        QCOMPARE(r.Acc, 5);
        QCOMPARE(r.FieldSweep, 1);
        QCOMPARE(r.FieldSwRng, (std::array<int32_t, 4>{20, 21, 22, 23}));
        QCOMPARE(r.FreqSwRng, 6);
        QCOMPARE(r.ModAmp, 11);
        QCOMPARE(r.SweepT, 3);
        QCOMPARE(r.TuningB0, (std::array<int32_t, 4>{-30000, -30001, -30002, -30003}));
        QCOMPARE(r.DB0, -1);
        QCOMPARE(r.Frequency, (std::array<int32_t, 4>{40, 41, 42, 43}));
        QCOMPARE(r.DFrq, 2);
        QCOMPARE(r.Mode, 2);
        // Padding comes back as it was read.
        QCOMPARE(SetupRecordToBytes(r), bytes);
    }

    void SetupFileRoundTrip()
    {
        const SetupRecord written = DistinctRecord();
        QVERIFY(SaveSetupFile(Path("a.cfg"), written));
        QCOMPARE(QFileInfo(Path("a.cfg")).size(), 104);
        SetupRecord read;
        QCOMPARE(LoadSetupFile(Path("a.cfg"), read), TSetupLoadResult::Loaded);
        QVERIFY(read == written);
    }

    void LoadTakesTheFirstRecordOfALongerFile()
    {
        QByteArray bytes = SetupRecordToBytes(DistinctRecord());
        bytes += QByteArray(104, '\x55');
        WriteAll(Path("two.cfg"), bytes);
        SetupRecord r;
        QCOMPARE(LoadSetupFile(Path("two.cfg"), r), TSetupLoadResult::Loaded);
        QVERIFY(r == DistinctRecord());
    }

    void ShortOrMissingSetupLeavesTheRecordUnchanged()
    {
        const SetupRecord before = DistinctRecord();
        WriteAll(Path("short.cfg"), SetupRecordToBytes(SetupRecord()).left(103));
        SetupRecord r = before;
        QCOMPARE(LoadSetupFile(Path("short.cfg"), r), TSetupLoadResult::TooShort);
        QVERIFY(r == before);
        QVERIFY(SetupTooShortText(Path("short.cfg")).contains("\"short.cfg\""));
        QCOMPARE(LoadSetupFile(Path("none.cfg"), r), TSetupLoadResult::NotOpened);
        QCOMPARE(LoadSetupFile(FDir.path(), r), TSetupLoadResult::NotOpened);
        QVERIFY(r == before);
    }

    void StandardSetupIsRecognisedInAnyCaseAndFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("standard");
        QTest::newRow("plain") << "/cfg/STANDARD.CFG" << true;
        QTest::newRow("mixed case elsewhere") << "/other/dir/Standard.Cfg" << true;
        QTest::newRow("name only") << "standard.cfg" << true;
        QTest::newRow("prefix") << "/cfg/xSTANDARD.CFG" << false;
        QTest::newRow("suffix") << "/cfg/STANDARD.CFG.bak" << false;
        QTest::newRow("folder of that name") << "/STANDARD.CFG/a.cfg" << false;
    }
    void StandardSetupIsRecognisedInAnyCaseAndFolder()
    {
        QFETCH(QString, path);
        QFETCH(bool, standard);
        QCOMPARE(IsStandardSetup(path), standard);
    }

    void MissingSettingsFileKeepsDefaults()
    {
        TSettings s;
        QVERIFY(!ReadSettings(Path("none.ini"), "/prog/", s));
        QVERIFY(s == TSettings());
        QCOMPARE(s.SetupDir, QString());
        QCOMPARE(s.PortName, QStringLiteral("COM1"));
        const TSoundEvents sounds = {TSoundEvent{{}, 0, 1, 0}, TSoundEvent{{}, 0, 1, 0}, TSoundEvent{{}, 0, 0, 1}};
        QVERIFY(s.Sounds == sounds);
    }

    void SettingsLinesByPosition()
    {
        const QByteArray crlf = "/cfg\r\n/acq\r\n/out\r\nCOM2\r\n/s/start.wav\r\n1,0,1\r\n"
                                "/s/end.wav\r\n0,1,0\r\n/s/acc\xB0.wav\r\n1,1,1\r\n";
        for (const QByteArray& content : {crlf, QByteArray(crlf).replace("\r\n", "\n")}) {
            WriteAll(Path("MERIL.INI"), content);
            TSettings s;
            QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
            QCOMPARE(s.SetupDir, QStringLiteral("/cfg"));
            QCOMPARE(s.AcqDir, QStringLiteral("/acq"));
            QCOMPARE(s.DataOutDir, QStringLiteral("/out"));
            QCOMPARE(s.PortName, QStringLiteral("COM2"));
            QVERIFY((s.Sounds[0] == TSoundEvent{"/s/start.wav", 1, 0, 1}));
            QVERIFY((s.Sounds[1] == TSoundEvent{"/s/end.wav", 0, 1, 0}));
            QVERIFY((s.Sounds[2] == TSoundEvent{QStringLiteral("/s/acc\u00B0.wav"), 1, 1, 1}));
        }
    }

    void EmptyAndMissingLinesTakeTheirFallbacks()
    {
        WriteAll(Path("MERIL.INI"), "\r\n\r\n/out\r\n\r\n/s/start.wav\r\n\r\n");
        TSettings s;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QCOMPARE(s.SetupDir, QStringLiteral("/prog/"));
        QCOMPARE(s.AcqDir, QStringLiteral("/prog/"));
        QCOMPARE(s.DataOutDir, QStringLiteral("/out"));
        QCOMPARE(s.PortName, QStringLiteral("COM1"));
        QCOMPARE(s.Sounds[0].FileName, QStringLiteral("/s/start.wav"));
        QVERIFY(s.Sounds[1].FileName.isEmpty());
        for (int e = 0; e < 3; ++e) {
            QCOMPARE(s.Sounds[e].Off, DefaultSoundEvents()[e].Off);
            QCOMPARE(s.Sounds[e].Single, DefaultSoundEvents()[e].Single);
            QCOMPARE(s.Sounds[e].SingleEnabled, DefaultSoundEvents()[e].SingleEnabled);
        }
        // A port the menu does not list is kept as written.
        WriteAll(Path("MERIL.INI"), "a\r\nb\r\nc\r\nCOM5\r\n");
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QCOMPARE(s.PortName, QStringLiteral("COM5"));
    }

    void ShortFlagsLinesSetOnlyTheFlagsTheyHold()
    {
        // Each flags line ends the file's data early: nothing beyond the line is read.
        WriteAll(Path("MERIL.INI"), "a\nb\nc\nCOM1\n\n1\n\n1,0\n\n1,1,\n");
        TSettings s;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QVERIFY((s.Sounds[0] == TSoundEvent{{}, 1, 1, 0}));
        QVERIFY((s.Sounds[1] == TSoundEvent{{}, 1, 0, 0}));
        QVERIFY((s.Sounds[2] == TSoundEvent{{}, 1, 1, 1}));
    }

    void ByteOrderMarkIsNoPartOfLineOne()
    {
        WriteAll(Path("MERIL.INI"), "\xEF\xBB\xBF\r\n/acq\r\n");
        TSettings s;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QCOMPARE(s.SetupDir, QStringLiteral("/prog/"));
        QCOMPARE(s.AcqDir, QStringLiteral("/acq"));
        WriteAll(Path("MERIL.INI"), "\xEF\xBB\xBF/cfg\r\n");
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QCOMPARE(s.SetupDir, QStringLiteral("/cfg"));
        // A directory that begins with the mark's own bytes is written so that it comes back.
        for (const QString& dir : {QStringLiteral("\uFEFF/d"), QStringLiteral("\u00EF\u00BB\u00BF/d")}) {
            s.SetupDir = dir;
            QVERIFY(WriteSettings(Path("MERIL.INI"), s));
            TSettings back;
            QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", back));
            QCOMPARE(back.SetupDir, dir);
        }
    }

    void FlagsAreWrittenAsSingleDigits()
    {
        // Any character but 0 sets a flag; it is written back as 1, so the
        // file reads the same at every start.
        WriteAll(Path("MERIL.INI"), "a\r\nb\r\nc\r\nCOM1\r\n\r\nx,y,z\r\n\r\n0,9,0\r\n\r\n/,0,1\r\n");
        TSettings s;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", s));
        QVERIFY(WriteSettings(Path("MERIL.INI"), s));
        QVERIFY(ReadAll(Path("MERIL.INI")).endsWith("\r\n1,1,1\r\n\r\n0,1,0\r\n\r\n1,0,1\r\n"));
        TSettings again;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", again));
        QVERIFY(WriteSettings(Path("MERIL.INI"), again));
        QVERIFY(ReadAll(Path("MERIL.INI")).endsWith("\r\n1,1,1\r\n\r\n0,1,0\r\n\r\n1,0,1\r\n"));
    }

    void SettingsAreWrittenAsTenCrLfLines()
    {
        TSettings s;
        s.SetupDir = "/cfg";
        s.AcqDir = QStringLiteral("/acq/\u00B0");
        s.DataOutDir = "";
        s.PortName = "/dev/ttyUSB0";
        s.Sounds[2] = {"/s/a.wav", 1, 0, 1};
        QVERIFY(WriteSettings(Path("MERIL.INI"), s));
        QCOMPARE(ReadAll(Path("MERIL.INI")),
                 QByteArray("/cfg\r\n/acq/\xB0\r\n\r\n/dev/ttyUSB0\r\n\r\n0,1,0\r\n\r\n0,1,0\r\n/s/a.wav\r\n1,0,1\r\n"));
        TSettings back;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", back));
        s.DataOutDir = "/prog/";  // an empty directory comes back as the program's
        QVERIFY(back == s);
    }

    void SettingsKeepDirectoriesThat1252CannotHold()
    {
        TSettings s;
        s.SetupDir = QStringLiteral("/home/\u0418\u0432\u0430\u043D/cfg");
        s.Sounds[0].FileName = QStringLiteral("/snd/\u4E2D.wav");
        QVERIFY(WriteSettings(Path("MERIL.INI"), s));
        TSettings back;
        QVERIFY(ReadSettings(Path("MERIL.INI"), "/prog/", back));
        QCOMPARE(back.SetupDir, s.SetupDir);
        QCOMPARE(back.Sounds[0].FileName, s.Sounds[0].FileName);
    }

    void AFailedWriteLeavesTheOldFilesIntact()
    {
        const QTemporaryDir dir;
        const QString ini = dir.filePath("MERIL.INI");
        const QString setup = dir.filePath("b.cfg");
        TSettings s;
        s.SetupDir = QString(300, 'd');
        WriteAll(ini, "old\r\n");
        WriteAll(setup, "old setup");
        bool settingsWritten = true;
        bool setupWritten = true;
        {
            // Nothing may be logged while the limit holds: the log could be a file.
            const TFileSizeLimit limit(50);
            settingsWritten = WriteSettings(ini, s);
            setupWritten = SaveSetupFile(setup, DistinctRecord());
        }
        QVERIFY(!settingsWritten);
        QVERIFY(!setupWritten);
        QCOMPARE(ReadAll(ini), QByteArray("old\r\n"));
        QCOMPARE(ReadAll(setup), QByteArray("old setup"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary left behind
        QVERIFY(!WriteSettings(dir.filePath("no/such/dir/MERIL.INI"), s));
    }

    void AutoSavePathRule_data()
    {
        QTest::addColumn<QString>("acqDir");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("default extension") << "/data" << "run1" << "/data/run1.dcw";
        QTest::newRow("own extension") << "/data" << "run1.txt" << "/data/run1.txt";
        QTest::newRow("trailing dot") << "/data" << "run1." << "/data/run1.";
        QTest::newRow("sub-folder") << "/data" << "sub/run1" << "/data/sub/run1.dcw";
        QTest::newRow("dot in folder") << "/da.ta" << "run1" << "/da.ta/run1.dcw";
        QTest::newRow("program dir") << "/prog/" << "run1" << "/prog//run1.dcw";
        QTest::newRow("no directory") << "" << "run1" << "/run1.dcw";
    }
    void AutoSavePathRule()
    {
        QFETCH(QString, acqDir);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(AutoSavePath(acqDir, name), path);
    }

    // The name offered instead of one whose file exists: numbered after it,
    // skipping numbers in use, with the typed extension kept at the end.
    void NextFreeNameSkipsFilesInUse()
    {
        QTemporaryDir dir;
        const auto touch = [&](const QString& name) { WriteAll(dir.filePath(name), "x"); };
        touch(QStringLiteral("run1.dcw"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("run1")), QStringLiteral("run1-2"));
        touch(QStringLiteral("run1-2.dcw"));
        touch(QStringLiteral("run1-3.dcw"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("run1")), QStringLiteral("run1-4"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("run1-2")), QStringLiteral("run1-4"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("run1.dcw")), QStringLiteral("run1-4.dcw"));
        touch(QStringLiteral("scan.txt"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("scan.txt")), QStringLiteral("scan-2.txt"));
        // A dot in a folder part is no extension.
        QDir(dir.path()).mkpath(QStringLiteral("day.1"));
        touch(QStringLiteral("day.1/a.dcw"));
        QCOMPARE(NextFreeName(dir.path(), QStringLiteral("day.1/a")), QStringLiteral("day.1/a-2"));
    }
};

QTEST_MAIN(TestUSetup)
#include "test_USetup.moc"
