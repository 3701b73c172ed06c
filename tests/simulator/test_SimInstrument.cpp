// The simulated instrument's protocol: what it answers to each command, the
// order and pacing of a pass, hold and abort, robustness against bad input,
// and the injected faults.

#include "Errors.h"
#include "Instrument.h"
#include "SimTestUtil.h"

#include <QRegularExpression>
#include <QtTest>

class TestSimInstrument : public QObject {
    Q_OBJECT

private:
    static TInstrumentConfig Quiet(int points = 64)
    {
        TInstrumentConfig config;
        config.Points = points;
        config.Noise = 0;
        return config;
    }

private slots:
    void probeAnswersIdentificationThenCalibration_data()
    {
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("z1");
        QTest::addColumn<int>("z2");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("defaults") << QByteArray("0042") << QByteArray("1.3") << 0x0802 << 0x0801
                                  << QList<QByteArray>{"Z00421.3", "X08020801"};
        QTest::newRow("version 2.0") << QByteArray("A7x9") << QByteArray("2.0") << 0x0000 << 0xFFFF
                                     << QList<QByteArray>{"ZA7x92.0", "X0000FFFF"};
    }
    void probeAnswersIdentificationThenCalibration()
    {
        QFETCH(QByteArray, serial);
        QFETCH(QByteArray, version);
        QFETCH(int, z1);
        QFETCH(int, z2);
        QFETCH(QList<QByteArray>, expected);
        TInstrumentConfig config;
        config.Serial = serial;
        config.Version = version;
        config.Z1 = quint16(z1);
        config.Z2 = quint16(z2);
        TInstrument instrument(config);
        instrument.Receive("Z\r");
        QCOMPARE(Texts(RunInstrument(instrument)), expected);
    }

    void fieldSourceIsReportedAfterConfirmAndOnChange()
    {
        TInstrument instrument;
        instrument.Receive("Y\r");
        QCOMPARE(Texts(RunInstrument(instrument)), QList<QByteArray>{"M04"});

        TInstrumentConfig config = instrument.Config();
        config.FieldSource = 2;
        instrument.Configure(config);
        QCOMPARE(Texts(RunInstrument(instrument)), QList<QByteArray>{"M02"});
        instrument.Configure(config); // unchanged: nothing to report
        QVERIFY(RunInstrument(instrument).isEmpty());
    }

    void badSettingsAreRefused_data()
    {
        QTest::addColumn<TInstrumentConfig>("config");
        TInstrumentConfig c;
        c.Serial = "123";
        QTest::newRow("short serial") << c;
        c = {};
        c.Version = "2.0\r";
        QTest::newRow("version with CR") << c;
        c = {};
        c.FieldSource = 6;
        QTest::newRow("field source 6") << c;
        c = {};
        c.Points = 0;
        QTest::newRow("no points") << c;
        c = {};
        c.Points = 65536;
        QTest::newRow("too many points for A") << c;
        c = {};
        c.Faults.SplitRate = 1.5;
        QTest::newRow("rate above 1") << c;
    }
    void badSettingsAreRefused()
    {
        QFETCH(TInstrumentConfig, config);
        TInstrument instrument;
        QVERIFY_THROWS_EXCEPTION(EMerilError, instrument.Configure(config));
        QCOMPARE(instrument.Config().Serial, QByteArray("0042")); // unchanged
    }

    void wholePassHasExactlyNDataLinesBetweenAAndC_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("400 points, field sweep") << 400 << QByteArray("F0\r");
        QTest::newRow("1 point, frequency sweep") << 1 << QByteArray("F1\r");
        QTest::newRow("65535 points") << 65535 << QByteArray("F0\r");
    }
    void wholePassHasExactlyNDataLinesBetweenAAndC()
    {
        QFETCH(int, points);
        QFETCH(QByteArray, start);
        TInstrument instrument(Quiet(points));
        instrument.Receive(start);
        const QList<TLine> lines = RunInstrument(instrument);

        QCOMPARE(lines.size(), points + 4);
        QCOMPARE(lines.first().Text, "A" + QByteArray::number(points, 16).toUpper().rightJustified(4, '0'));
        QCOMPARE(lines[1].Text, QByteArray("B"));
        static const QRegularExpression dataLine("^V[ !][0-9A-F]{8}$");
        for (int i = 2; i < points + 2; ++i)
            QVERIFY2(dataLine.match(QString::fromLatin1(lines[i].Text)).hasMatch(), lines[i].Text);
        QCOMPARE(lines[points + 2].Text, QByteArray("C"));
        QCOMPARE(lines[points + 3].Text, QByteArray("D"));
        QVERIFY(!instrument.PassActive());
    }

    void passIsPacedOverSweepTimeAndNeverFasterThanTheLine_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("sweepCode");
        QTest::addColumn<double>("sweepSeconds"); // from B to the last V line
        // 1024 points in 30 s: the sweep sets the pace.
        QTest::newRow("sweep-bound") << 1024 << 0 << 30.0;
        // 8192 points in 30 s would need 5.5 ms per 11-byte line: the line sets the pace.
        QTest::newRow("line-bound") << 8192 << 0 << 8192 * 11 * TInstrument::ByteTime;
        QTest::newRow("2 minutes") << 256 << 2 << 120.0;
    }
    void passIsPacedOverSweepTimeAndNeverFasterThanTheLine()
    {
        QFETCH(int, points);
        QFETCH(int, sweepCode);
        QFETCH(double, sweepSeconds);
        TInstrument instrument(Quiet(points));
        instrument.Receive(QByteArray("G0") + char('0' + sweepCode) + "\rF0\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(lines.size(), points + 4);

        for (int i = 1; i < lines.size(); ++i) {
            const double minimum = (lines[i].Text.size() + 1) * TInstrument::ByteTime;
            QVERIFY2(lines[i].Time - lines[i - 1].Time >= minimum * (1 - 1e-9), qPrintable(QString::number(i)));
        }
        const double swept = lines[points + 1].Time - lines[1].Time;
        QVERIFY2(std::abs(swept - sweepSeconds) < 0.01 * sweepSeconds, qPrintable(QString::number(swept)));
        QVERIFY(lines[1].Time >= TInstrument::SetupTime); // F arrived at time 0
        QVERIFY(lines[points + 3].Time - lines[points + 2].Time >= TInstrument::ReturnTime - 1e-9);
    }

    void holdKeepsSendingTheHeldPointUntilContinue()
    {
        TInstrument instrument(Quiet(100));
        instrument.Receive("F0\r");
        QList<TLine> before = RunInstrument(instrument, 10); // 30 s sweep: about a third done
        const int sentBefore = CountStarting(before, 'V');
        QVERIFY(sentBefore > 10 && sentBefore < 90);

        instrument.Receive("Q1\r");
        const QList<TLine> held = RunInstrument(instrument, instrument.Now() + 5);
        QCOMPARE(held.first().Text, QByteArray("H1"));
        QVERIFY(instrument.Held());
        // The held stream: the value of the last point before the hold, again and again.
        const std::vector<double> heldValues = DataValues(held);
        QVERIFY(heldValues.size() >= 40); // every 0.1 s at most
        for (const double value : heldValues)
            QCOMPARE(value, DataValues(before).back());

        instrument.Receive("Q0\r");
        QList<TLine> after = RunInstrument(instrument);
        if (after.first().Text.startsWith('V')) // the held line that was on its way
            QCOMPARE(DataValues({after.takeFirst()}).front(), heldValues.front());
        QCOMPARE(after.first().Text, QByteArray("H0"));
        QCOMPARE(CountStarting(after, 'V'), 100 - sentBefore);
        QCOMPARE(after.last().Text, QByteArray("D"));
    }

    void holdBeforeTheFirstPointSendsNothingUntilContinue()
    {
        TInstrument instrument(Quiet(20));
        instrument.Receive("F0\rQ1\r");
        const QList<TLine> held = RunInstrument(instrument, 60);
        QCOMPARE(Texts(held), (QList<QByteArray>{"A0014", "H1"}));
        instrument.Receive("Q0\r");
        const QList<TLine> after = RunInstrument(instrument);
        QCOMPARE(after.first().Text, QByteArray("H0"));
        QCOMPARE(after[1].Text, QByteArray("B"));
        QCOMPARE(CountStarting(after, 'V'), 20);
    }

    void holdIsRefusedWithoutARunningPass()
    {
        TInstrument instrument(Quiet());
        instrument.Receive("Q1\r");
        QCOMPARE(Texts(RunInstrument(instrument)), QList<QByteArray>{"H0"});
        QVERIFY(!instrument.Held());
    }

    void abortEndsThePassWithFThenD()
    {
        TInstrument instrument(Quiet(100));
        instrument.Receive("F0\r");
        RunInstrument(instrument, 5);
        const double abortTime = instrument.Now();
        instrument.Receive("Q1\rN\r");
        QList<TLine> lines = RunInstrument(instrument);
        if (lines.first().Text.startsWith('V')) // the line that was on its way
            lines.removeFirst();
        QCOMPARE(Texts(lines), (QList<QByteArray>{"H1", "F", "D"}));
        QVERIFY(lines[2].Time - abortTime >= TInstrument::AbortTime);
        QVERIFY(!instrument.PassActive());
        QVERIFY(!instrument.Held());

        // A new pass after the abort is complete again.
        instrument.Receive("F0\r");
        QCOMPARE(CountStarting(RunInstrument(instrument), 'V'), 100);
    }

    void abortWhileIdleStillAcknowledges()
    {
        TInstrument instrument(Quiet());
        instrument.Receive("N\r");
        QCOMPARE(Texts(RunInstrument(instrument)), (QList<QByteArray>{"F", "D"}));
    }

    void startDuringAPassIsIgnoredAndLogged()
    {
        TInstrument instrument(Quiet(10));
        QStringList log;
        instrument.OnLog = [&](const QString& text) { log << text; };
        instrument.Receive("F0\rF0\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(CountStarting(lines, 'A'), 1);
        QCOMPARE(CountStarting(lines, 'V'), 10);
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().contains("F0"));
    }

    void repliesInterleaveWithTheDataStream()
    {
        TInstrument instrument(Quiet(50));
        instrument.Receive("F0\r");
        RunInstrument(instrument, 10);
        instrument.Receive("Z\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(lines.first().Text, QByteArray("Z00421.3"));
        QCOMPARE(lines[1].Text, QByteArray("X08020801"));
        QCOMPARE(lines.last().Text, QByteArray("D"));
    }

    void parameterCommandsSetTheInstrument_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::newRow("phase 239") << QByteArray("EEF") << "phase" << 239.0;
        QTest::newRow("gain 0") << QByteArray("D2FF") << "gain" << 0.0;
        QTest::newRow("gain 255") << QByteArray("D200") << "gain" << 255.0;
        QTest::newRow("raw amplitude full") << QByteArray("D100") << "modamp" << 2.55;
        QTest::newRow("amplitude 0.35 ESR") << QByteArray("R122") << "modamp" << 0.34;
        QTest::newRow("amplitude 2.5") << QByteArray("R0FA") << "modamp" << 2.5;
        QTest::newRow("NMR range 5") << QByteArray("H000") << "range" << 5.0;
        QTest::newRow("NMR range 300") << QByteArray("H009") << "range" << 300.0;
        QTest::newRow("ESR range 30") << QByteArray("H107") << "range" << 30.0;
        QTest::newRow("ESR range 7.5") << QByteArray("H103") << "range" << 7.5;
        QTest::newRow("sweep 32 min") << QByteArray("G06") << "sweep" << 6.0;
        QTest::newRow("B0 -2000") << QByteArray("B1002F") << "b0" << 47.0;
        QTest::newRow("B0 +2000") << QByteArray("B10fcf") << "b0" << 4047.0;
        QTest::newRow("14 MHz") << QByteArray("J00D59F80") << "frequency" << 14e6;
        QTest::newRow("freq range 1 MHz") << QByteArray("K000F4240") << "freqrange" << 1e6;
        QTest::newRow("ESR mode") << QByteArray("P1") << "esr" << 1.0;
        QTest::newRow("reverse") << QByteArray("S0") << "forward" << 0.0;
        QTest::newRow("F2 mod") << QByteArray("T0A56") << "f2mod" << 2646.0;
        QTest::newRow("calibration continue") << QByteArray("X2") << "calibration" << 2.0;
    }
    void parameterCommandsSetTheInstrument()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, field);
        QFETCH(double, value);
        TInstrument instrument(Quiet());
        QByteArrayList accepted;
        instrument.OnCommand = [&](const QByteArray& text) { accepted << text; };
        instrument.Receive(command + '\r');
        QCOMPARE(accepted, QByteArrayList{command});
        const TParameters& p = instrument.Parameters();
        const QMap<QString, double> fields = {
            {"phase", p.PhaseStep}, {"gain", p.Gain}, {"modamp", p.ModAmpGs}, {"range", p.FieldRangeGs},
            {"sweep", p.SweepTimeCode}, {"b0", p.B0Code}, {"frequency", double(p.FrequencyHz)},
            {"freqrange", double(p.FreqRangeHz)}, {"esr", p.Esr}, {"forward", p.Forward},
            {"f2mod", p.F2ModCode}, {"calibration", p.CalibrationMode}};
        QVERIFY(fields.contains(field));
        QCOMPARE(fields[field], value);
        QVERIFY(RunInstrument(instrument).isEmpty()); // parameter commands are not answered
    }

    void badInputIsIgnoredAndLogged_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("unknown letter") << QByteArray("W\r");
        QTest::newRow("lower-case command") << QByteArray("z\r");
        QTest::newRow("D without its digit") << QByteArray("DFF\r");
        QTest::newRow("short hex") << QByteArray("E1\r");
        QTest::newRow("long hex") << QByteArray("E123\r");
        QTest::newRow("not hex") << QByteArray("B10G00\r");
        QTest::newRow("digit out of range") << QByteArray("F2\r");
        QTest::newRow("mode digit out of range") << QByteArray("R205\r");
        QTest::newRow("range code beyond the table") << QByteArray("H10A\r");
        QTest::newRow("sweep code beyond the table") << QByteArray("G07\r");
        QTest::newRow("overlong") << QByteArray(300, 'J') + '\r';
        QTest::newRow("binary") << QByteArray("\x00\xFF\x80Z", 4) + '\r';
        QTest::newRow("probe with trailing blank") << QByteArray("Z \r");
    }
    void badInputIsIgnoredAndLogged()
    {
        QFETCH(QByteArray, input);
        TInstrument instrument(Quiet());
        QStringList log;
        instrument.OnLog = [&](const QString& text) { log << text; };
        const TParameters before = instrument.Parameters();
        instrument.Receive(input);
        QCOMPARE(log.size(), 1);
        QVERIFY(RunInstrument(instrument).isEmpty());
        QCOMPARE(instrument.Parameters().PhaseStep, before.PhaseStep);
        QCOMPARE(instrument.Parameters().FieldRangeGs, before.FieldRangeGs);
        QCOMPARE(instrument.Parameters().SweepTimeCode, before.SweepTimeCode);
        QCOMPARE(instrument.Parameters().ModAmpGs, before.ModAmpGs);

        // The instrument still understands the next command.
        instrument.Receive("Z\r");
        QCOMPARE(RunInstrument(instrument).size(), 2);
    }

    void commandsArriveByteByByteAndToleratesLineFeeds()
    {
        TInstrument instrument(Quiet());
        for (const char c : QByteArray("\r\nZ\r\nY"))
            instrument.Receive(QByteArrayView(&c, 1));
        QCOMPARE(Texts(RunInstrument(instrument)), (QList<QByteArray>{"Z00421.3", "X08020801"}));
        instrument.Receive("\r");
        QCOMPARE(Texts(RunInstrument(instrument)), QList<QByteArray>{"M04"});
    }

    void resetForgetsParametersPassAndQueuedLines()
    {
        TInstrument instrument(Quiet());
        instrument.Receive("D200\rF0\rZ\r");
        RunInstrument(instrument, 1);
        instrument.Receive("E0"); // half a command
        instrument.Reset();
        QCOMPARE(instrument.Parameters().Gain, 128);
        QVERIFY(!instrument.PassActive());
        QVERIFY(RunInstrument(instrument).isEmpty());
        instrument.Receive("\r"); // ends nothing: the half command is gone
        QCOMPARE(instrument.Parameters().PhaseStep, 0);
    }

    void splitLinesArriveInTwoPartsWithAPause()
    {
        TInstrumentConfig config = Quiet(30);
        config.Faults.SplitRate = 1;
        TInstrument instrument(config);
        instrument.Receive("Z\rF0\r");
        QByteArray all;
        QList<TOutputChunk> chunks;
        for (double next; (next = instrument.NextEventTime()) != TInstrument::Never;) {
            instrument.AdvanceTo(next);
            for (auto& chunk : instrument.TakeOutput())
                chunks.append(chunk);
        }
        int parts = 0;
        for (int i = 0; i < chunks.size(); ++i) {
            all += chunks[i].Bytes;
            if (!chunks[i].Bytes.endsWith('\r')) {
                ++parts;
                QVERIFY(chunks[i + 1].Time - chunks[i].Time >= TInstrument::SplitPause);
            }
        }
        QCOMPARE(parts, 2 + 30 + 4); // every line
        QVERIFY(all.startsWith("Z00421.3\rX08020801\rA001E\rB\rV"));
        QVERIFY(all.endsWith("\rC\rD\r"));
        QCOMPARE(all.count('\r'), 36);
    }

    void garbageLinesStartWithNoReplyLetter()
    {
        TInstrumentConfig config = Quiet(200);
        config.Faults.GarbageRate = 1;
        TInstrument instrument(config);
        instrument.Receive("F0\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(lines.size(), 2 * 204);
        for (int i = 0; i < lines.size(); i += 2) {
            QVERIFY(!lines[i].Text.isEmpty());
            QVERIFY2(!QByteArray("ABCDEFHMVXZ").contains(lines[i].Text[0]), lines[i].Text);
        }
        QCOMPARE(CountStarting(lines, 'V'), 200);
    }

    void linesWithoutCRMergeWithTheNext()
    {
        TInstrumentConfig config = Quiet(10);
        config.Faults.NoCRRate = 1;
        TInstrument instrument(config);
        instrument.Receive("Z\r");
        QByteArray partial;
        QVERIFY(RunInstrument(instrument, TInstrument::Never, &partial).isEmpty());
        QCOMPARE(partial, QByteArray("Z00421.3X08020801"));
    }

    void errorLinesExtraDataAndInjectedErrors()
    {
        TInstrumentConfig config = Quiet(10);
        config.Faults.ErrorRate = 1;
        config.Faults.ErrorCode = "0F3A";
        config.Faults.ExtraVLines = 3;
        TInstrument instrument(config);
        instrument.Receive("F0\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(CountStarting(lines, 'E'), 2 + 13 + 2);
        QCOMPARE(lines.first().Text, QByteArray("E0F3A"));
        QCOMPARE(CountStarting(lines, 'V'), 13);
        QCOMPARE(lines.last().Text, QByteArray("D"));

        TInstrument plain(Quiet());
        plain.InjectError("7777");
        QCOMPARE(Texts(RunInstrument(plain)), QList<QByteArray>{"E7777"});
    }

    void faultsAreReproducibleFromTheSeed()
    {
        const auto run = [](quint32 seed) {
            TInstrumentConfig config = Quiet(50);
            config.Noise = 3;
            config.Seed = seed;
            config.Faults.GarbageRate = 0.3;
            TInstrument instrument(config);
            instrument.Receive("F0\r");
            return Texts(RunInstrument(instrument));
        };
        QCOMPARE(run(7), run(7));
        QVERIFY(run(7) != run(8));
    }
};

QTEST_MAIN(TestSimInstrument)
#include "test_SimInstrument.moc"
