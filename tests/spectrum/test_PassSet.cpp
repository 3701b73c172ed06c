// Kept passes: folder and file names, reading a folder with files that must
// be left out, the deviation figure, the sum of chosen passes, and the writer
// that keeps passes as a run completes them.

#include "PassSet.h"
#include "SampleSpectra.h"
#include "../files/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cmath>
#include <limits>
#include <random>

namespace {

// Passes of a line with independent noise; pass `spoiled` (if any) has its baseline shifted.
std::vector<std::vector<int32_t>> NoisyPasses(int count, int points, int spoiled = -1, int shift = 25)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 2);
    std::vector<std::vector<int32_t>> passes(size_t(count), std::vector<int32_t>(size_t(points), 0));
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < points; ++i) {
            const double x = (i - points / 2) / 20.0;
            passes[size_t(k)][size_t(i)] =
                int32_t(std::lround(-200 * x / std::pow(1 + x * x, 2) + noise(random) + (k == spoiled ? shift : 0)));
        }
    return passes;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPassSet : public QObject {
    Q_OBJECT

private slots:
    void namesOfPassFilesAndFolders()
    {
        QCOMPARE(PassFileName(7), QStringLiteral("pass-007.dcw"));
        QCOMPARE(PassFileName(1234), QStringLiteral("pass-1234.dcw"));
        QCOMPARE(PassNumberOf(QStringLiteral("pass-007.dcw")), std::optional<int>(7));
        QCOMPARE(PassNumberOf(QStringLiteral("pass-1234.dcw")), std::optional<int>(1234));
        for (const char* other : {"pass-7.dcw", "pass-000.dcw", "pass-001.dcw.tmp", "run1.dcw", "setup.cfg", "xpass-001.dcw"})
            QVERIFY2(!PassNumberOf(QString::fromLatin1(other)), other);
        QCOMPARE(PassFolderOf(QStringLiteral("/data/run1.dcw")), QStringLiteral("/data/run1.passes"));
        QCOMPARE(PassFolderOf(QStringLiteral("/data/a.b.dcw")), QStringLiteral("/data/a.b.passes"));
        QCOMPARE(SpectrumOfPassFolder(QStringLiteral("/data/run1.passes/")), QStringLiteral("/data/run1.dcw"));
    }

    void deviationIsRmsFromTheMedianInUnitsOfTheMedianRms()
    {
        // Worked by hand: median per point 1; RMS 1, 0, 1; their median 1.
        const std::vector<std::vector<int32_t>> three = {{0, 0}, {1, 1}, {2, 2}};
        QCOMPARE(PassDeviations(three), (std::vector<double>{1, 0, 1}));
        // Four passes: the median of an even count is the mean of the middle two.
        const std::vector<std::vector<int32_t>> four = {{0}, {2}, {4}, {10}};
        // medians 3; RMS 3, 1, 1, 7; their median 2.
        QCOMPARE(PassDeviations(four), (std::vector<double>{1.5, 0.5, 0.5, 3.5}));
        // Identical passes all score 0; one unlike them scores without bound.
        const std::vector<std::vector<int32_t>> same = {{5, 5}, {5, 5}, {5, 5}, {5, 9}};
        const auto d = PassDeviations(same);
        QCOMPARE(d[0], 0.0);
        QVERIFY(std::isinf(d[3]));
        QCOMPARE(DeviationText(d[3]), QStringLiteral("very large"));
        QCOMPARE(DeviationText(d[0], 1), QStringLiteral("0.0"));
        QVERIFY(PassDeviations(std::vector<std::vector<int32_t>>{}).empty());
    }

    void aShiftedPassStandsOutOfEightNoisyOnes()
    {
        for (int spoiled : {0, 4, 7}) {
            const auto d = PassDeviations(NoisyPasses(8, 512, spoiled));
            for (int k = 0; k < 8; ++k)
                QVERIFY2((d[size_t(k)] > DefaultSuspectThreshold) == (k == spoiled),
                         qPrintable(QStringLiteral("pass %1 of spoiled %2: %3").arg(k).arg(spoiled).arg(d[size_t(k)])));
        }
        // Noise alone marks none.
        for (double v : PassDeviations(NoisyPasses(8, 512)))
            QVERIFY(v < 2);
    }

    void sumOfChosenPassesWrapsAs32BitSums()
    {
        std::vector<TKeptPass> passes(3);
        passes[0].Sums = {std::numeric_limits<int32_t>::max(), -5};
        passes[1].Sums = {1, 7};
        passes[2].Sums = {100, 1000};
        QCOMPARE(SumOfPasses(passes, {true, true, false}), (std::vector<int32_t>{std::numeric_limits<int32_t>::min(), 2}));
        QCOMPARE(SumOfPasses(passes, {false, true, true}), (std::vector<int32_t>{101, 1007}));
        QCOMPARE(SumOfPasses(passes, {false, false, false}), (std::vector<int32_t>{0, 0}));
        QCOMPARE(SumHeader(NmrHeader(), 7).Acc, QStringLiteral("7"));
    }

    void recorderWritesWholePassFilesAndTheSetup()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        TPassRecorder r;
        r.Begin(folder, QByteArray(104, '\x01'));
        QVERIFY(!QFileInfo::exists(folder));   // nothing before the first pass
        // A folder whose parent is missing is not made up.
        TPassRecorder nowhere;
        nowhere.Begin(dir.filePath(QStringLiteral("missing/run1.passes")), {});
        QVERIFY_THROWS_EXCEPTION(EFileError, nowhere.Write(NmrHeader(), std::vector<int32_t>{1, 2}));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
        TDataHeader h = NmrHeader();
        h.Acc = QStringLiteral("5");           // a pass file says Acc 1 whatever the caption
        r.Write(h, std::vector<int32_t>{1, 2, 3});
        r.Write(h, std::vector<int32_t>{4, 5, 6});
        QCOMPARE(FileBytes(QDir(folder).filePath(QStringLiteral("pass-002.dcw"))),
                 SpectrumFileBytes(SumHeader(NmrHeader(), 1), std::vector<int32_t>{4, 5, 6}));
        const TPassSet set = ReadPassFolder(folder);
        QCOMPARE(set.Passes.size(), size_t(2));
        QCOMPARE(set.Problems.size(), size_t(0));
        QCOMPARE(set.SetupBytes, QByteArray(104, '\x01'));
        QCOMPARE(set.Header().Acc, QStringLiteral("1"));

        // Resumed, the numbers go on after the last one.
        TPassRecorder resumed;
        resumed.Resume(folder, set.LastNumber());
        resumed.Write(h, std::vector<int32_t>{7, 8, 9});
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("pass-003.dcw"))));
        QCOMPARE(FileBytes(QDir(folder).filePath(QStringLiteral("pass-001.dcw"))),
                 SpectrumFileBytes(SumHeader(NmrHeader(), 1), std::vector<int32_t>{1, 2, 3}));
    }

    void aPassThatCannotBeWrittenWholeLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        TPassRecorder r;
        r.Begin(folder, {});
        const std::vector<int32_t> pass(1024, 7);
        r.Write(NmrHeader(), pass);
        {
            const TFileSizeLimit limit(2000);  // nothing may be logged while it holds
            QVERIFY_THROWS_EXCEPTION(EFileError, r.Write(NmrHeader(), pass));
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{PassFileName(1)});
        QCOMPARE(r.LastNumber(), 1);
        const TPassSet set = ReadPassFolder(folder);
        QCOMPARE(set.Passes.size(), size_t(1));
        QVERIFY2(set.Problems.empty(), qPrintable(set.ProblemText()));
    }

    void recorderMovesItsFolderAndKeepsOneInTheWay()
    {
        QTemporaryDir dir;
        TPassRecorder r;
        r.Begin(dir.filePath(QStringLiteral("unsaved-1.passes")), {});
        r.Write(NmrHeader(), std::vector<int32_t>{1, 2});
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("run1.passes"))));
        QFile old(dir.filePath(QStringLiteral("run1.passes/pass-001.dcw")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("older run");
        old.close();
        r.MoveTo(dir.filePath(QStringLiteral("run1.passes")));
        QCOMPARE(r.Folder(), dir.filePath(QStringLiteral("run1.passes")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("unsaved-1.passes"))));
        QCOMPARE(ReadPassFolder(r.Folder()).Passes.size(), size_t(1));
        // The older folder is kept aside, its file untouched.
        QCOMPARE(FileBytes(dir.filePath(QStringLiteral("run1.passes.old-1/pass-001.dcw"))), QByteArray("older run"));
        // A later pass goes to the new place.
        r.Write(NmrHeader(), std::vector<int32_t>{3, 4});
        QCOMPARE(ReadPassFolder(r.Folder()).Passes.size(), size_t(2));
    }

    void missingDamagedAndForeignFilesAreNamedAndLeftOut()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        TPassRecorder r;
        r.Begin(folder, {});
        for (int k = 1; k <= 7; ++k)
            r.Write(NmrHeader(), std::vector<int32_t>{k, 2 * k, 3 * k});
        const QDir d(folder);
        // pass 2 missing, pass 3 cut inside its header, pass 4 cut inside its
        // data, pass 5 of another gain, pass 6 holding a sum of two passes,
        // pass 8 of more points, pass 9 a link to itself.
        QVERIFY(QFile::remove(d.filePath(QStringLiteral("pass-002.dcw"))));
        QVERIFY(QFile::resize(d.filePath(QStringLiteral("pass-003.dcw")), 100));
        QVERIFY(QFile::resize(d.filePath(QStringLiteral("pass-004.dcw")), 1 + 424 + 2 * 4 + 3));
        WriteSpectrumFile(d.filePath(QStringLiteral("pass-008.dcw")), NmrHeader(), std::vector<int32_t>{1, 2, 3, 4});
        QVERIFY(QFile::link(QStringLiteral("pass-009.dcw"), d.filePath(QStringLiteral("pass-009.dcw"))));
        TDataHeader otherGain = NmrHeader();
        otherGain.Gain = QStringLiteral("90");
        WriteSpectrumFile(d.filePath(QStringLiteral("pass-005.dcw")), otherGain, std::vector<int32_t>{5, 10, 15});
        WriteSpectrumFile(d.filePath(QStringLiteral("pass-006.dcw")), SumHeader(NmrHeader(), 2), std::vector<int32_t>{6, 12, 18});
        QFile(d.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);

        const TPassSet set = ReadPassFolder(folder);
        std::vector<int> numbers;
        for (const TKeptPass& p : set.Passes)
            numbers.push_back(p.Number);
        QCOMPARE(numbers, (std::vector<int>{1, 7}));
        QCOMPARE(set.Problems.size(), size_t(7));
        const QString text = set.ProblemText();
        QVERIFY2(text.contains(QStringLiteral("pass-002.dcw: missing")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-003.dcw: damaged")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-004.dcw: damaged: it ends after 2 of the run's 3 points")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-005.dcw: foreign: its settings differ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-006.dcw: holds 2 passes")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-008.dcw: foreign: 4 points, the other passes have 3")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("pass-009.dcw: unreadable: ")) && text.contains(SystemErrorText(ELOOP)),
                 qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("notes.txt")));
        // The rest still sum.
        QCOMPARE(SumOfPasses(set.Passes, {true, true}), (std::vector<int32_t>{8, 16, 24}));
    }

    void aFolderThatCannotBeOpenedSaysWhy()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("none.passes")), loop = dir.filePath(QStringLiteral("loop.passes")),
                      file = dir.filePath(QStringLiteral("file.passes"));
        QVERIFY(QFile::link(QStringLiteral("loop.passes"), loop));
        QFile(file).open(QIODevice::WriteOnly);
        for (const auto& [folder, text] : {std::pair{missing, QStringLiteral("The passes folder \"%1\" does not exist.").arg(missing)},
                                           {loop, QStringLiteral("Cannot open the passes folder \"%1\": %2").arg(loop, SystemErrorText(ELOOP))},
                                           {file, QStringLiteral("\"%1\" is not a folder.").arg(file)}}) {
            try {
                ReadPassFolder(folder);
                QFAIL(qPrintable(folder));
            } catch (const EFileError& e) {
                QCOMPARE(e.Text(), text);
            }
        }
    }
};

QTEST_MAIN(TestPassSet)
#include "test_PassSet.moc"
