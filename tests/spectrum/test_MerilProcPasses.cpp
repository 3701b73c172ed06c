// meril-proc on a passes folder: each pass measured with its deviation
// figure, and the sum of the passes within a limit written as a new file.

#include "PassSet.h"
#include "ProcTestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace {

constexpr int Points = 256;
constexpr int Spoiled = 4;  // pass number

// Eight passes of one line with their own noise; pass 4 has its baseline shifted.
std::vector<std::vector<int32_t>> WritePasses(const QString& folder)
{
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 2);
    const auto line = [](double x) { return -120 * x / std::pow(1 + x * x, 2); };
    std::vector<std::vector<int32_t>> passes;
    TPassRecorder recorder;
    recorder.Begin(folder, {});
    for (int k = 1; k <= 8; ++k) {
        std::vector<int32_t> pass = PassSums(Points, 20, 1, line);
        for (int32_t& v : pass)
            v += int32_t(std::lround(noise(random))) + (k == Spoiled ? 30 : 0);
        recorder.Write(FieldSweepHeader(QStringLiteral("NMR 1H"), 20, QStringLiteral("1")), pass);
        passes.push_back(pass);
    }
    return passes;
}

QJsonObject Json(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object();
}

} // namespace

class TestMerilProcPasses : public QObject {
    Q_OBJECT

private slots:
    void measuresEachPassAndMarksTheSpoiledOne()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        WritePasses(folder);
        const TProcRun run = RunMerilProc({QStringLiteral("--passes"), folder});
        QCOMPARE(run.ExitCode, 0);
        const auto lines = run.OutLines();
        QCOMPARE(lines.size(), 8);
        for (int k = 1; k <= 8; ++k) {
            const QJsonObject o = Json(lines[k - 1]);
            QCOMPARE(o.value(QStringLiteral("pass")).toInt(), k);
            QVERIFY(o.value(QStringLiteral("file")).toString().endsWith(PassFileName(k)));
            QCOMPARE(o.value(QStringLiteral("suspect")).toBool(), k == Spoiled);
            QVERIFY(o.value(QStringLiteral("deviation")).toDouble() > 0);
            // The measurements of a spectrum follow, of one pass.
            QCOMPARE(o.value(QStringLiteral("acc")).toInt(), 1);
            QCOMPARE(o.value(QStringLiteral("points")).toInt(), Points);
            QVERIFY(o.value(QStringLiteral("derivative")).isObject());
        }
    }

    void rejectWritesTheSumOfTheOthersAndNamesThePassLeftOut()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        const auto passes = WritePasses(folder);
        const TProcRun run = RunMerilProc({QStringLiteral("--reject"), QStringLiteral("3"), folder});
        QCOMPARE(run.ExitCode, 0);
        const QJsonObject o = Json(run.Out.trimmed());
        const QString written = dir.filePath(QStringLiteral("run1-reject3.dcw"));
        QCOMPARE(o.value(QStringLiteral("written")).toString(), QDir::toNativeSeparators(written));
        QCOMPARE(o.value(QStringLiteral("acc")).toInt(), 7);
        const QJsonArray leftOut = o.value(QStringLiteral("left_out")).toArray();
        QCOMPARE(leftOut.size(), 1);
        QCOMPARE(leftOut[0].toObject().value(QStringLiteral("pass")).toString(), PassFileName(Spoiled));

        std::vector<int32_t> expected(Points, 0);
        for (int k = 1; k <= 8; ++k)
            if (k != Spoiled)
                for (int i = 0; i < Points; ++i)
                    expected[size_t(i)] += passes[size_t(k - 1)][size_t(i)];
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), SpectrumFileBytes(FieldSweepHeader(QStringLiteral("NMR 1H"), 20, QStringLiteral("7")), expected));
        file.close();

        // An existing result is not replaced.
        const TProcRun again = RunMerilProc({QStringLiteral("--reject"), QStringLiteral("3"), folder});
        QCOMPARE(again.ExitCode, 1);
        QVERIFY2(again.Err.contains("is not replaced"), again.Err.constData());
        QCOMPARE(ReadSpectrumFile(written).Acc, 7);

        QCOMPARE(RunMerilProc({QStringLiteral("--reject"), QStringLiteral("none"), folder}).ExitCode, 2);
    }

    // Acc holds three digits: a sum of 1000 passes is refused, not stored as 100.
    void rejectRefusesASumOfMoreThan999Passes()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("long.passes"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray pass = SpectrumFileBytes(FieldSweepHeader(QStringLiteral("NMR 1H"), 20, QStringLiteral("1")),
                                                  PassSums(16, 20, 1, [](double x) { return -x; }));
        for (int k = 1; k <= MaxStoredAcc + 1; ++k) {
            QFile f(QDir(folder).filePath(PassFileName(k)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(pass);
        }
        const TProcRun run = RunMerilProc({QStringLiteral("--reject"), QStringLiteral("3"), folder});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(TooManyPassesText(1000).toUtf8()), run.Err.constData());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("long-reject3.dcw"))));
    }

    void damagedAndForeignPassesAreNamedAndTheRestUsed()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        WritePasses(folder);
        QVERIFY(QFile::resize(QDir(folder).filePath(PassFileName(2)), 10));
        WriteSpectrumFile(QDir(folder).filePath(PassFileName(6)), FieldSweepHeader(QStringLiteral("ESR"), 20, QStringLiteral("1")),
                          std::vector<int32_t>(Points, 0));
        QVERIFY(QFile::link(PassFileName(9), QDir(folder).filePath(PassFileName(9))));   // a link to itself
        const TProcRun measured = RunMerilProc({QStringLiteral("--passes"), folder});
        QCOMPARE(measured.ExitCode, 1);
        QCOMPARE(measured.OutLines().size(), 6);
        QVERIFY2(measured.Err.contains("pass-002.dcw: left out: damaged"), measured.Err.constData());
        QVERIFY2(measured.Err.contains("pass-006.dcw: left out: foreign"), measured.Err.constData());
        QVERIFY2(measured.Err.contains("pass-009.dcw: left out: unreadable"), measured.Err.constData());

        // The sum is written, and the exit status says that files were left out.
        const TProcRun rejected = RunMerilProc({QStringLiteral("--reject"), QStringLiteral("3"), folder});
        QCOMPARE(rejected.ExitCode, 1);
        const QJsonObject o = Json(rejected.Out.trimmed());
        QCOMPARE(o.value(QStringLiteral("acc")).toInt(), 5);
        QCOMPARE(o.value(QStringLiteral("unreadable")).toArray().size(), 3);
        QCOMPARE(ReadSpectrumFile(dir.filePath(QStringLiteral("run1-reject3.dcw"))).Acc, 5);

        const TProcRun missing = RunMerilProc({QStringLiteral("--passes"), dir.filePath(QStringLiteral("none.passes"))});
        QCOMPARE(missing.ExitCode, 1);
        QVERIFY(missing.Err.contains("none.passes"));
    }
};

QTEST_MAIN(TestMerilProcPasses)
#include "test_MerilProcPasses.moc"
