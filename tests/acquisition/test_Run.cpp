// The run driven by the instrument's replies over the scripted link, without
// a window: a pass line by line (damaged and split lines too), the
// accumulation, Loop, Hold and Abort, the accumulations changed during a run,
// a lost link, and the pass files with a run continued from them. (Runs on
// the simulator: test_KnownStop.)

#include "DataFile.h"
#include "PassSet.h"
#include "RunRig.h"
#include "ScriptedPass.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::vector<int32_t> Sums(std::initializer_list<int> values)
{
    return std::vector<int32_t>(values.begin(), values.end());
}

TRunOptions Looping()
{
    TRunOptions o;
    o.Loop = true;
    return o;
}

TRunOptions KeepingPassesIn(const QString& folder)
{
    TRunOptions o;
    o.PassFolder = folder;
    return o;
}

} // namespace

class TestRun : public QObject {
    Q_OBJECT

private slots:
    void aPassLineByLine()
    {
        TScriptedRig r;
        QSignalSpy outOfRange(&r.Run, &TRun::OutOfRangeCounted);
        QSignalSpy held(&r.Run, &TRun::HeldPointMoved);
        QVERIFY(r.Run.Start({}));
        QCOMPARE(r.TakeSent(), QByteArray("F1\r"));   // the built-in setup sweeps frequency: 50 kHz
        // A0190: 400 points, from -25 kHz, 50/399 kHz apart.
        r.Feed("A0190\rB\r");
        QCOMPARE(r.Run.PointTotal(), 400);
        QCOMPARE(r.Run.X(0), -25.0);
        QCOMPARE(r.Run.X(1) - r.Run.X(0), 50.0 / 399);
        QCOMPARE(r.Run.X(399), 25.0);
        QCOMPARE(r.Run.State(), int(esRunning));
        // Out of range: stored and counted; a blank flag stores without counting.
        r.Feed("V!0000D2F0\rV 0000D2F0\r");
        QCOMPARE(r.Run.Sums()[0], 4);
        QCOMPARE(r.Run.Sums()[1], 4);
        QCOMPARE(outOfRange.count(), 1);
        // -1 / 13500 truncates to 0; then the DC offset is subtracted.
        r.S.Setup().Choose(TParameter::Level, 3);
        r.Feed("V FFFFFFFF\r");
        QCOMPARE(r.Run.Sums()[2], -3);
        r.S.Setup().Choose(TParameter::Level, 0);
        // A line split over two reads is handled once, complete.
        r.Feed("V 000");
        QCOMPARE(r.Run.Points(), 3);
        r.Feed("034BC\r");
        QCOMPARE(r.Run.Points(), 4);
        QCOMPARE(r.Run.Sums()[3], 1);
        // On hold a value moves the held point and is not added.
        r.Feed("H1\rV 00006978\r");
        QVERIFY(r.Run.OnHold());
        QCOMPARE(r.Run.Points(), 4);
        QCOMPARE(r.Run.Sums()[3], 1);
        QCOMPARE(held.last(), (QList<QVariant>{3, 2}));
        r.Feed("H0\rC\rD\r");
        QVERIFY(!r.Run.OnHold());
        QCOMPARE(r.Run.State(), int(esFinished));
        QCOMPARE(r.Run.Sums()[399], 0);   // entries the pass did not deliver are zero
        QCOMPARE(r.Run.Header().Acc, QStringLiteral("1"));
    }

    // The bytes of a run arrive in three reads, the middle one a single byte,
    // cut at every place: a part line waits for its end, a read may be the CR
    // alone of a line begun before, an empty line is nothing.
    void aRunCutAtEveryByte()
    {
        // 20250 / 13500 = 1.5 and -20250 / 13500 = -1.5 truncate to 1 and -1.
        const QByteArray run = "A0003\rB\r\rV 00004F1A\rV!0000D2F0\rV FFFFB0E6\rC\rD\r";
        TScriptedRig r;
        for (int cut = 0; cut < run.size(); ++cut) {
            r.Run.Start({});
            for (const QByteArray& read : {run.left(cut), run.mid(cut, 1), run.mid(cut + 1)})
                r.Feed(read);
            QCOMPARE(r.Run.State(), int(esFinished));
            QCOMPARE(r.Run.Sums(), Sums({1, 4, -1}));
            QCOMPARE(r.Run.OutOfRange(), 1);
        }
    }

    void damagedLinesAreDroppedAndNamed()
    {
        TScriptedRig r;
        QSignalSpy bad(&r.S, &TSpectrometer::BadLine);
        r.Run.Start({});
        r.Feed("A0010\rB\rV 0000D2F0\rV 00G0D2F0\rA01\r");
        QCOMPARE(bad.count(), 2);
        QVERIFY(bad[0][0].toString().contains(QStringLiteral("V 00G0D2F0<CR>")));
        QVERIFY(bad[1][0].toString().contains(QStringLiteral("A01<CR>")));
        QCOMPARE(r.Run.State(), int(esRunning));
        // A line that never ends is cut; what follows it is read normally.
        r.Feed(QByteArray(5000, 'V') + "\rV 0000D2F0\r");
        QVERIFY(bad.last()[0].toString().contains(QStringLiteral("too long")));
        QCOMPARE(r.Run.Points(), 2);
    }

    void passesTheRunCannotTakeAreRefused()
    {
        TScriptedRig r;
        QSignalSpy refused(&r.Run, &TRun::PassRefused);
        r.Run.Start({});
        r.Feed("A0001\rA0000\r");   // no step between the points of one
        QCOMPARE(refused.count(), 2);
        QCOMPARE(r.Run.State(), int(esIdle));
        QVERIFY(r.Run.Sums().empty());
        // A second pass of another length cannot be added: the run is aborted.
        r.S.Setup().Choose(TParameter::Acc, 2);
        r.Feed(Pass({1, 2}) + "D\r");
        r.TakeSent();
        r.Feed("A0003\r");
        QCOMPARE(refused.count(), 3);
        QCOMPARE(r.TakeSent(), QByteArray("N\r"));
        r.Feed("F\rD\r");
        QCOMPARE(r.Run.State(), int(esAborted));
    }

    void valuesBeforeIdentificationUseTheDefaultDivisor()
    {
        TScriptedRig r;   // no Z line: the control program is not known
        r.Run.Start({});
        r.Feed("A0002\rB\rV 00128E00\r");   // 1 216 000 = 90 x 13 500 = 16 x 76 000
        QCOMPARE(r.Run.Sums()[0], 90);
        // Control program 2.0 divides by 76 000.
        r.Feed("Z12342.0\rV 00128E00\r");
        QCOMPARE(r.Run.Sums()[1], 16);
    }

    // Single: the sums add up; Loop: each pass is a first pass and replaces them.
    void passesAddUpAndALoopReplacesThem()
    {
        TScriptedRig r;
        r.S.Setup().Choose(TParameter::Acc, 2);
        r.Run.Start({});
        r.Feed(Pass({2, 4}) + "D\r" + Pass({6, 4}) + "D\r");
        QCOMPARE(r.Run.Sums(), Sums({8, 8}));
        QCOMPARE(r.Run.Pass(), 2);
        QCOMPARE(r.TakeSent(), QByteArray("F1\rF1\r"));
        r.Run.Start(Looping());
        r.Feed(Pass({2, 4}) + "D\r" + Pass({6, 4}) + "D\r");
        QCOMPARE(r.Run.Sums(), Sums({6, 4}));
        QCOMPARE(r.Run.Pass(), 1);
        QCOMPARE(r.Run.PassesSetUp(), 2);
        QCOMPARE(r.TakeSent(), QByteArray("F1\rF1\rF1\r"));   // the next pass starts at once
    }

    // Raising the accumulations during a run extends it; lowering them below
    // the pass being measured ends it after that pass, and its data say how
    // many passes they sum.
    void accumulationsChangedDuringARun()
    {
        TScriptedRig r;
        r.S.Setup().Choose(TParameter::Acc, 2);
        r.Run.Start({});
        r.Feed(Pass({1, 2}) + "D\r");
        r.S.Setup().Choose(TParameter::Acc, 4);
        r.Feed(Pass({1, 2}) + "D\r" + Pass({1, 2}));
        QCOMPARE(r.Run.Pass(), 3);
        r.S.Setup().Choose(TParameter::Acc, 1);
        r.Feed("D\r");
        QCOMPARE(r.Run.State(), int(esFinished));
        QCOMPARE(r.Run.Sums(), Sums({3, 6}));
        QCOMPARE(r.Run.Header().Acc, QStringLiteral("3"));
    }

    void holdAndAbort()
    {
        TScriptedRig r;
        QSignalSpy ended(&r.Run, &TRun::RunEnded);
        r.S.Setup().Choose(TParameter::Acc, 3);
        r.Run.Start({});
        r.Feed("A0002\rB\r");
        r.TakeSent();
        r.Run.Hold();
        QCOMPARE(r.TakeSent(), QByteArray("Q1\r"));   // the instrument says when it holds
        QVERIFY(!r.Run.OnHold());
        r.Feed("H1\r");
        r.Run.Hold();
        QCOMPARE(r.TakeSent(), QByteArray("Q0\r"));
        r.Run.Abort();
        QCOMPARE(r.TakeSent(), QByteArray("N\r"));
        r.Feed("F\r");
        QCOMPARE(r.Run.State(), int(esAborting));
        QVERIFY(r.Run.Running());
        r.Feed("D\r");
        QCOMPARE(r.Run.State(), int(esAborted));
        QVERIFY(!r.Run.OnHold());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended[0][0].value<TRunEnd>(), TRunEnd::Aborted);
        // Abort as a pass ends (the instrument ignores it): no new pass.
        r.Run.Start({});
        r.Feed(Pass({1, 2}));
        r.Run.Abort();
        r.Feed("D\r");
        QCOMPARE(r.TakeSent(), QByteArray("F1\rN\r"));
        QCOMPARE(r.Run.State(), int(esAborted));
        QVERIFY(!r.Run.DataAvailable());
    }

    // The completed passes of a run cut off are its data; the part pass is not.
    void aLostLinkKeepsTheCompletedPasses()
    {
        TScriptedRig r;
        QSignalSpy ended(&r.Run, &TRun::RunEnded);
        r.S.Setup().Choose(TParameter::Acc, 3);
        r.Run.Start({});
        r.Feed(Pass({10, 20, 30, 40}) + "D\r" + Pass({1000, 2000}, false) + "H1\r");
        r.Link->Drop();
        QVERIFY(WaitUntil([&] { return ended.count() == 1; }));
        QCOMPARE(ended[0][0].value<TRunEnd>(), TRunEnd::CutOff);
        QVERIFY(!r.S.Connected());
        QCOMPARE(r.Run.State(), int(esIdle));
        QVERIFY(!r.Run.OnHold());
        QVERIFY(r.Run.DataAvailable() && r.Run.Unsaved());
        QCOMPARE(r.Run.Sums(), Sums({10, 20, 30, 40}));
        QCOMPARE(r.Run.Header().Acc, QStringLiteral("1"));
    }

    // Every pass is written as it ends, each file with its own values; a run
    // aborted in its third pass continues with the two kept and leaves the cut
    // pass out.
    void passFilesAndAContinuedRun()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run1.passes"));
        TScriptedRig r;
        r.S.Setup().Choose(TParameter::Acc, 4);
        r.Run.SetComment(QStringLiteral("water"));
        r.Run.Start(KeepingPassesIn(folder));
        r.Feed(Pass({1, 2}, false));
        QVERIFY(!QFileInfo::exists(folder));        // nothing before a pass has ended
        r.Feed("C\rD\r" + Pass({3, 5}) + "D\r" + Pass({500, 500}, false));
        const TPassSet kept = ReadPassFolder(folder);
        QCOMPARE(kept.Passes.size(), size_t(2));
        QCOMPARE(kept.Passes[1].Sums, Sums({3, 5}));
        QCOMPARE(kept.Passes[1].Header.Comment, QStringLiteral("water"));
        QCOMPARE(kept.SetupBytes, SetupRecordToBytes(r.S.Setup().Record()));
        r.Run.Abort();
        r.Feed("F\rD\r");
        QVERIFY(r.Run.MayContinue(true));
        QVERIFY(!r.Run.MayContinue(false));   // not in Loop mode
        QCOMPARE(r.Run.ContinueProposal(), 2);   // the passes the run lacked
        // Other parameters are another measurement.
        r.S.Setup().Choose(TParameter::Gain, 9);
        QVERIFY(!r.Run.MayContinue(true));
        r.S.Setup().Choose(TParameter::Gain, 0);
        r.TakeSent();
        r.Run.Continue(std::nullopt);
        QCOMPARE(r.TakeSent(), QByteArray("F1\r"));
        QCOMPARE(r.Run.Pass(), 3);
        r.Feed(Pass({10, 10}) + "D\r" + Pass({20, 20}) + "D\r");
        QCOMPARE(r.Run.State(), int(esFinished));
        QCOMPARE(r.Run.Sums(), Sums({34, 37}));
        QCOMPARE(r.Run.Header().Acc, QStringLiteral("4"));
        QCOMPARE(ReadPassFolder(folder).Passes.size(), size_t(4));
    }

    // The run goes on without its passes, and says why with the system's reason.
    void aPassThatCannotBeKeptIsTold()
    {
        QTemporaryDir dir;
        TScriptedRig r;
        QSignalSpy errors(&r.Run, &TRun::Error);
        r.S.Setup().Choose(TParameter::Acc, 2);
        r.Run.Start(KeepingPassesIn(dir.filePath(QStringLiteral("missing/run1.passes"))));
        r.Feed(Pass({1, 1}) + "D\r" + Pass({2, 2}) + "D\r");
        QCOMPARE(r.Run.State(), int(esFinished));
        QCOMPARE(r.Run.Sums(), Sums({3, 3}));
        QCOMPARE(errors.count(), 1);
        QVERIFY2(errors[0][0].toString().startsWith(QStringLiteral("Passes not kept: ")), qPrintable(errors[0][0].toString()));
        QVERIFY(!r.Run.Recorder().Active());
        // ... in words that stay until the operator has seen them.
        QVERIFY2(r.Run.Problem().startsWith(QStringLiteral("Passes not kept from pass 1 on: ")), qPrintable(r.Run.Problem()));
        QCOMPARE(r.Run.NotKeptFrom(), 1);
        r.Run.AcknowledgeProblem();
        QCOMPARE(r.Run.Problem(), QString());
    }
};

QTEST_GUILESS_MAIN(TestRun)
#include "test_Run.moc"
