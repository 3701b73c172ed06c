// The simulated instrument's protocol: what it answers to each command, the
// order and pacing of a pass, hold and abort, bad input, injected faults.

#include "Instrument.h"
#include "SimTestUtil.h"

#include <QRegularExpression>
#include <QtTest>

namespace {
TInstrumentConfig Quiet(int points)
{
    TInstrumentConfig config;
    config.Points = points;
    config.Noise = 0;
    return config;
}

int VCount(const QList<TLine>& lines)
{
    return int(DataValues(lines).size());
}
} // namespace

class TestSimInstrument : public QObject {
    Q_OBJECT

private slots:
    void probeAndConfirmAnswer()
    {
        TInstrumentConfig config;
        config.Serial = "A7x9";
        config.Version = "2.0";
        config.Z1 = 0x0000;
        config.Z2 = 0xFFFF;
        TInstrument instrument(config);
        instrument.Receive("Z\rY\r");
        QCOMPARE(Texts(RunInstrument(instrument)), (QByteArrayList{"ZA7x92.0", "X0000FFFF", "M04"}));
        // A field source changed at run time is reported; an unchanged one is not.
        config.FieldSource = 2;
        instrument.Configure(config);
        instrument.Configure(config);
        QCOMPARE(Texts(RunInstrument(instrument)), QByteArrayList{"M02"});
    }

    void passHasExactlyNDataLinesPacedOverTheSweep_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<double>("sweepSeconds"); // from B to the last V line
        QTest::newRow("1024 points in 30 s") << 1024 << QByteArray("F0\r") << 30.0;
        QTest::newRow("1 point, frequency sweep, 2 min") << 1 << QByteArray("G02\rF1\r") << 120.0;
        // 65535 11-byte lines cannot leave in 30 s: the line sets the pace.
        QTest::newRow("65535 points") << 65535 << QByteArray("F0\r") << 65535 * 11 * TInstrument::ByteTime;
    }
    void passHasExactlyNDataLinesPacedOverTheSweep()
    {
        QFETCH(int, points);
        QFETCH(QByteArray, commands);
        QFETCH(double, sweepSeconds);
        TInstrument instrument(Quiet(points));
        instrument.Receive(commands);
        const QList<TLine> lines = RunInstrument(instrument);

        QCOMPARE(lines.size(), points + 4);
        QCOMPARE(lines.first().Text, "A" + QByteArray::number(points, 16).toUpper().rightJustified(4, '0'));
        QCOMPARE(lines[1].Text, QByteArray("B"));
        static const QRegularExpression dataLine("^V[ !][0-9A-F]{8}$");
        for (int i = 2; i < points + 2; ++i)
            QVERIFY2(dataLine.match(QString::fromLatin1(lines[i].Text)).hasMatch(), lines[i].Text);
        QCOMPARE(Texts(lines.mid(points + 2)), (QByteArrayList{"C", "D"}));

        for (int i = 1; i < lines.size(); ++i) // never faster than the line
            QVERIFY(lines[i].Time - lines[i - 1].Time >= (lines[i].Text.size() + 1) * TInstrument::ByteTime * (1 - 1e-9));
        QVERIFY(lines[1].Time >= TInstrument::SetupTime);
        const double swept = lines[points + 1].Time - lines[1].Time;
        QVERIFY2(std::abs(swept - sweepSeconds) < 0.01 * sweepSeconds, qPrintable(QString::number(swept)));
    }

    void holdRepeatsTheHeldPointUntilContinue()
    {
        TInstrument instrument(Quiet(100));
        instrument.Receive("F0\r");
        const QList<TLine> before = RunInstrument(instrument, 10); // a third of the 30 s sweep
        const int sent = VCount(before);
        QVERIFY(sent > 10 && sent < 90);

        instrument.Receive("Q1\r");
        QList<TLine> held = RunInstrument(instrument, instrument.Now() + 5);
        QCOMPARE(held.takeFirst().Text, QByteArray("H1"));
        QVERIFY(held.size() >= 40); // at most 0.1 s apart
        for (const double value : DataValues(held))
            QCOMPARE(value, DataValues(before).back());

        instrument.Receive("Q0\r");
        QList<TLine> after = RunInstrument(instrument);
        if (after.first().Text.startsWith('V')) // the held line that was on its way
            after.removeFirst();
        QCOMPARE(after.first().Text, QByteArray("H0"));
        QCOMPARE(VCount(after), 100 - sent);
        QCOMPARE(after.last().Text, QByteArray("D"));
    }

    void holdBeforeTheFirstPointOrWithoutAPass()
    {
        TInstrument instrument(Quiet(20));
        instrument.Receive("Q1\r"); // nothing to hold
        instrument.Receive("F0\rQ1\r");
        QCOMPARE(Texts(RunInstrument(instrument, 60)), (QByteArrayList{"H0", "A0014", "H1"}));
        instrument.Receive("Q0\r");
        const QList<TLine> after = RunInstrument(instrument);
        QCOMPARE(Texts(after.mid(0, 2)), (QByteArrayList{"H0", "B"}));
        QCOMPARE(VCount(after), 20);
    }

    void abortAnswersFThenD()
    {
        TInstrument instrument(Quiet(100));
        instrument.Receive("N\r");
        QCOMPARE(Texts(RunInstrument(instrument)), (QByteArrayList{"F", "D"}));

        instrument.Receive("F0\r");
        RunInstrument(instrument, instrument.Now() + 5);
        const double abortTime = instrument.Now();
        instrument.Receive("F0\rN\r"); // a start during the pass is ignored
        QList<TLine> lines = RunInstrument(instrument);
        if (lines.first().Text.startsWith('V')) // the line that was on its way
            lines.removeFirst();
        QCOMPARE(Texts(lines), (QByteArrayList{"F", "D"}));
        QVERIFY(lines[1].Time - abortTime >= TInstrument::AbortTime);
        QVERIFY(!instrument.PassActive());

        instrument.Receive("F0\r");
        QCOMPARE(VCount(RunInstrument(instrument)), 100);
    }

    void parameterCommandsSetTheInstrumentSilently_data()
    {
        // Commands whose effect on the signal is not already shown by the signal tests.
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::newRow("raw amplitude full") << QByteArray("D100") << "modamp" << 2.55;
        QTest::newRow("amplitude 0.35, ESR digit") << QByteArray("R122") << "modamp" << 0.34;
        QTest::newRow("ESR range 7.5") << QByteArray("H103") << "range" << 7.5;
        QTest::newRow("sweep 32 min") << QByteArray("G06") << "sweep" << 6.0;
        QTest::newRow("B0 +2000, lower-case hex") << QByteArray("B10fcf") << "b0" << 4047.0;
        QTest::newRow("F2 mod") << QByteArray("T0A56") << "f2mod" << 2646.0;
        QTest::newRow("calibration continue") << QByteArray("X2") << "calibration" << 2.0;
    }
    void parameterCommandsSetTheInstrumentSilently()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, field);
        QFETCH(double, value);
        TInstrument instrument(Quiet(8));
        instrument.Receive(command + '\r');
        const TParameters& p = instrument.Parameters();
        const QMap<QString, double> fields = {{"modamp", p.ModAmpGs}, {"range", p.FieldRangeGs},
                                              {"sweep", p.SweepTimeCode}, {"b0", p.B0Code},
                                              {"f2mod", p.F2ModCode}, {"calibration", p.CalibrationMode}};
        QCOMPARE(fields.value(field, NAN), value);
        QVERIFY(RunInstrument(instrument).isEmpty());
    }

    void badInputIsIgnoredAndLogged_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("unknown letter") << QByteArray("W\r");
        QTest::newRow("D without its digit") << QByteArray("DFF\r");
        QTest::newRow("short hex") << QByteArray("E1\r");
        QTest::newRow("not hex") << QByteArray("B10G00\r");
        QTest::newRow("digit out of range") << QByteArray("F2\r");
        QTest::newRow("range code beyond the table") << QByteArray("H10A\r");
        QTest::newRow("sweep code beyond the table") << QByteArray("G07\r");
        QTest::newRow("overlong") << QByteArray(300, 'J') + '\r';
        QTest::newRow("binary") << QByteArray("\x00\xFF\x80Z", 4) + '\r';
    }
    void badInputIsIgnoredAndLogged()
    {
        QFETCH(QByteArray, input);
        TInstrument instrument(Quiet(8));
        QStringList log;
        instrument.OnLog = [&](const QString& text) { log << text; };
        instrument.Receive(input);
        QCOMPARE(log.size(), 1);
        QCOMPARE(instrument.Parameters().FieldRangeGs, TParameters{}.FieldRangeGs);
        QCOMPARE(instrument.Parameters().SweepTimeCode, 0);
        QVERIFY(RunInstrument(instrument).isEmpty());
        // Byte by byte, with line feeds, the next command is understood.
        for (const char c : QByteArray("\nY\r\n"))
            instrument.Receive(QByteArrayView(&c, 1));
        QCOMPARE(Texts(RunInstrument(instrument)), QByteArrayList{"M04"});
    }

    void splitLinesArriveInTwoPartsWithAPause()
    {
        TInstrumentConfig config = Quiet(30);
        config.Faults.SplitRate = 1;
        TInstrument instrument(config);
        instrument.Receive("Z\rF0\r");
        std::vector<TOutputChunk> chunks;
        for (double next; (next = instrument.NextEventTime()) != TInstrument::Never;) {
            instrument.AdvanceTo(next);
            for (auto& chunk : instrument.TakeOutput())
                chunks.push_back(chunk);
        }
        QByteArray all;
        for (size_t i = 0; i < chunks.size(); ++i) {
            all += chunks[i].Bytes;
            QCOMPARE(chunks[i].Bytes.endsWith('\r'), i % 2 == 1); // every line in two parts
            if (i % 2 == 0)
                QVERIFY(chunks[i + 1].Time - chunks[i].Time >= TInstrument::SplitPause);
        }
        QCOMPARE(chunks.size(), size_t(2 * 36));
        QVERIFY(all.startsWith("Z00421.3\rX08020801\rA001E\rB\rV") && all.endsWith("\rC\rD\r"));
    }

    void garbageErrorsExtraDataAndLostCRs()
    {
        TInstrumentConfig config = Quiet(10);
        config.Faults.GarbageRate = 1;
        config.Faults.ErrorRate = 1;
        config.Faults.ErrorCode = "0F3A";
        config.Faults.ExtraVLines = 3;
        TInstrument instrument(config);
        instrument.Receive("F0\r");
        const QList<TLine> lines = RunInstrument(instrument);
        QCOMPARE(lines.size(), 3 * (2 + 13 + 2)); // error, garbage, line
        for (int i = 0; i < lines.size(); i += 3) {
            QCOMPARE(lines[i].Text, QByteArray("E0F3A"));
            QVERIFY2(!QByteArray("ABCDEFHMVXZ").contains(lines[i + 1].Text[0]), lines[i + 1].Text);
        }
        QCOMPARE(VCount(lines), 13);
        QCOMPARE(lines.last().Text, QByteArray("D"));

        config.Faults = {};
        config.Faults.NoCRRate = 1;
        TInstrument noCR(config);
        noCR.Receive("Z\r");
        noCR.InjectError("7777");
        QByteArray all;
        for (double next; (next = noCR.NextEventTime()) != TInstrument::Never;) {
            noCR.AdvanceTo(next);
            for (const auto& chunk : noCR.TakeOutput())
                all += chunk.Bytes;
        }
        QCOMPARE(all, QByteArray("Z00421.3X08020801E7777"));
    }
};

QTEST_MAIN(TestSimInstrument)
#include "test_SimInstrument.moc"
