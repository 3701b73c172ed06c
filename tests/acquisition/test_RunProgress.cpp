// The run's progress text and figures as the status line shows them.

#include "RunProgress.h"

#include <QTest>

class TestRunProgress : public QObject {
    Q_OBJECT

private slots:
    void passesOfARun()
    {
        // Second of three passes of 2 minutes, a quarter of it received.
        TRunProgress p;
        p.Pass = 2;
        p.Passes = 3;
        p.Points = 256;
        p.PointTotal = 1024;
        p.SweepSeconds = 120;
        QCOMPARE(ProgressPercent(p), 41);        // (1 + 0.25) / 3
        QCOMPARE(SecondsLeft(p), 90 + 120);       // the rest of this pass and one more
        QCOMPARE(ProgressText(p), QStringLiteral("pass 2 of 3 \u00b7 256/1024 \u00b7 3:30 left"));
        // Passes that could not be written are told until the operator has seen it.
        p.NotKeptFrom = 2;
        QCOMPARE(ProgressText(p), QStringLiteral("pass 2 of 3 \u00b7 256/1024 \u00b7 3:30 left \u00b7 passes not kept "
                                                 "from pass 2 on"));
        p.NotKeptFrom = 0;

        p.Pass = 3;
        p.Points = 1024;
        QCOMPARE(ProgressPercent(p), 100);
        QCOMPARE(SecondsLeft(p), 0);

        // Accumulations lowered below the pass being measured: that pass is the last.
        p.Passes = 2;
        p.Points = 512;
        QCOMPARE(SecondsLeft(p), 60);
        QVERIFY(ProgressPercent(p) <= 100);
    }

    void loopHoldAndSetUp()
    {
        TRunProgress p;
        p.Loop = true;
        p.Pass = 7;
        p.Passes = 1;
        p.Points = 300;
        p.PointTotal = 400;
        p.SweepSeconds = 1920;
        // A loop has no end: the figures are those of the pass.
        QCOMPARE(ProgressPercent(p), 75);
        QCOMPARE(SecondsLeft(p), 480);
        QCOMPARE(ProgressText(p), QStringLiteral("pass 7, loop \u00b7 300/400 \u00b7 8:00 left"));
        p.OnHold = true;
        QCOMPARE(ProgressText(p), QStringLiteral("pass 7, loop \u00b7 300/400 \u00b7 on hold"));

        TRunProgress first;
        first.Passes = 99;
        first.SweepSeconds = 1920;
        QCOMPARE(ProgressText(first), QStringLiteral("pass 1 of 99 \u00b7 setting up \u00b7 52:48:00 left"));
        QCOMPARE(ProgressPercent(first), 0);
        // More points than announced do not count beyond the pass.
        first.PointTotal = 10;
        first.Points = 12;
        QCOMPARE(SecondsLeft(first), 98 * 1920);
    }

    void durations()
    {
        QCOMPARE(FormatDuration(0), QStringLiteral("0:00"));
        QCOMPARE(FormatDuration(59), QStringLiteral("0:59"));
        QCOMPARE(FormatDuration(3599), QStringLiteral("59:59"));
        QCOMPARE(FormatDuration(3600), QStringLiteral("1:00:00"));
        QCOMPARE(FormatDuration(-5), QStringLiteral("0:00"));
    }
};

QTEST_MAIN(TestRunProgress)
#include "test_RunProgress.moc"
