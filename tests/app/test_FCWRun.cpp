// Experiment runs against the simulated instrument and the handling of every
// reply, including lines that are damaged.

#include "Chart.h"
#include "FCWHarness.h"
#include "UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QRandomGenerator>
#include <QLineEdit>
#include <QScrollBar>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace {

void SetPoints(TFCWHarness& h, int points)
{
    TInstrumentConfig c = h.Instrument().Config();
    c.Points = points;
    h.Instrument().Configure(c);
}

std::vector<double> YValues(const TChartSeries& s)
{
    std::vector<double> y;
    for (int i = 0; i < s.Count(); ++i)
        y.push_back(s.YValue(i));
    return y;
}

} // namespace

class TestFCWRun : public QObject {
    Q_OBJECT

private slots:
    void threeAccumulations()
    {
        TFCWHarness h;
        SetPoints(h, 200);
        QVERIFY(h.Connect());
        for (int i = 0; i < 2; ++i)
            h.FCW().AccUpDown->Click(TUpDown::btNext);
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 0 of 3"));
        h.TakeSent();
        QVERIFY(h.RunToEnd());
        QCOMPARE(h.TakeSent(), QStringLiteral("F1|F1|F1|"));   // the default setup sweeps frequency
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 3 of 3"));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));
        QCOMPARE(h.Run().Sums().size(), size_t(200));
        // Passes 1 to 3 went to the series 1 to 3; AccBuffer is their sum, the average their mean.
        const auto p1 = YValues(*h.FCW().Series[1]);
        const auto p2 = YValues(*h.FCW().Series[2]);
        const auto p3 = YValues(*h.FCW().Series[3]);
        QCOMPARE(p1.size(), size_t(200));
        bool passesDiffer = false;
        for (size_t i = 0; i < 200; ++i) {
            QCOMPARE(double(h.Run().Sums()[i]), p1[i] + p2[i] + p3[i]);
            QCOMPARE(h.FCW().SeriesAcc->YValue(int(i)), (p1[i] + p2[i] + p3[i]) / 3);
            passesDiffer |= p1[i] != p2[i];
        }
        QVERIFY(passesDiffer);  // noise: three real passes, not one repeated
        // After the run: markers, the DB button and "Save data as" are available.
        QVERIFY(h.FCW().MSaveas->isEnabled());
        QVERIFY(h.FCW().DHToolB->isEnabled());
        QVERIFY(h.FCW().XYST->isVisible());
        QVERIFY(h.FCW().StartToolB->isEnabled());
        // A finished run lets the window close, after asking about its unsaved spectrum.
        h.Operator.ExpectMessage(QStringLiteral("The last spectrum is not saved. Close anyway?"), mbYes);
        QVERIFY(h.FCW().close());
    }

    void holdAndContinue()
    {
        TFCWHarness h;
        SetPoints(h, 2000);
        QVERIFY(h.Connect());
        h.Link().SetSpeed(50);
        h.FCW().StartToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().Points() > 20; }));
        QVERIFY(h.FCW().HoldToolB->isEnabled());
        h.FCW().HoldToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().OnHold(); }));
        QCOMPARE(h.FCW().HoldToolB->text(), QStringLiteral("Continue"));
        QVERIFY(h.FCW().HoldToolB->isChecked());
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment on Hold"));
        QVERIFY(h.FCW().GainScrollBar->isEnabled());   // some parameters may be changed on hold
        const int held = h.Run().Points();
        const std::vector<int32_t> sums = h.Run().Sums();
        TFCWHarness::WaitFor([] { return false; }, 300);
        QCOMPARE(h.Run().Points(), held);             // values on hold move the last point only
        QVERIFY(h.Run().Sums() == sums);
        h.FCW().HoldToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return !h.Run().OnHold(); }));
        QCOMPARE(h.FCW().HoldToolB->text(), QStringLiteral("Hold"));
        QVERIFY(!h.FCW().GainScrollBar->isEnabled());
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().Points() > held; }));
        h.Link().SetSpeed(0);
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esFinished; }));
    }

    void abort()
    {
        TFCWHarness h;
        SetPoints(h, 2000);
        QVERIFY(h.Connect());
        h.Link().SetSpeed(50);
        h.FCW().StartToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esRunning; }));
        QVERIFY(!h.FCW().StartToolB->isEnabled());
        h.Operator.ExpectMessage(QStringLiteral("Measure in progress"));
        QVERIFY(!h.FCW().close());
        h.TakeSent();
        h.FCW().AbortToolB->click();
        QCOMPARE(h.TakeSent(), QStringLiteral("N|"));
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esAborted; }));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment aborted - ready"));
        QVERIFY(h.FCW().StartToolB->isEnabled());
        QVERIFY(!h.FCW().MSaveas->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void loopRunsUntilAborted()
    {
        TFCWHarness h;
        SetPoints(h, 50);
        QVERIFY(h.Connect());
        h.FCW().LoopRB->click();
        QVERIFY(!h.FCW().FNameEdit->isEnabled());
        h.TakeSent();
        h.FCW().StartToolB->click();
        // Each pass ends with the start of the next one.
        QString sent;
        QVERIFY(TFCWHarness::WaitFor([&] { sent += h.TakeSent(); return sent.count(QStringLiteral("F1|")) >= 4; }));
        QCOMPARE(sent, QStringLiteral("F1|").repeated(sent.count(QStringLiteral("F1|"))));
        QCOMPARE(h.Run().Pass(), 1);   // every pass is a first pass
        h.FCW().AbortToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esAborted; }));
        QVERIFY(h.FCW().StartToolB->isEnabled());
    }

    void loopAverageIsTheLastPass()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().LoopRB->click();
        h.FCW().StartToolB->click();
        h.Feed("A0002\rB\rV 00006978\rV 0000D2F0\rC\rD\r");   // 2 and 4
        QCOMPARE(h.Script().Sent(), QByteArray("F1\rF1\r"));   // the next pass started at once
        QCOMPARE(YValues(*h.FCW().SeriesAcc), (std::vector<double>{2, 4}));
        h.Feed("A0002\rB\rV 00013C68\rV 0000D2F0\rC\rD\r");   // 6 and 4
        QCOMPARE(YValues(*h.FCW().SeriesAcc), (std::vector<double>{6, 4}));   // not a sum, not a mean
        QCOMPARE(h.Run().Sums(), (std::vector<int32_t>{6, 4}));
        QCOMPARE(h.Run().Pass(), 1);
    }

    void startWhileDisconnected()
    {
        TFCWHarness h;
        h.Operator.ExpectMessage(QStringLiteral("Device not connected !"));
        h.FCW().StartToolB->click();
        QCOMPARE(h.TakeSent(), QString());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // What the window shows of a pass's replies (the run itself is tested
    // without a window): status texts, the point at its x, the out-of-range
    // label, the held point, a device error, dropped lines.
    void repliesOneByOne()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        QCOMPARE(h.Script().Sent().right(3), QByteArray("F1\r"));  // the default setup sweeps frequency
        // A0190: 400 points; the 50 kHz sweep puts point 0 at -25 kHz.
        h.Feed("A0190\rB\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment in progress - please wait"));
        h.Feed("V!0000D2F0\rV 0000D2F0\r");
        QCOMPARE(h.CurrentPass().XValue(0), -25.0);
        QCOMPARE(h.CurrentPass().XValue(1), -25.0 + 50.0 / 399);
        QCOMPARE(h.CurrentPass().YValue(1), 4.0);
        QVERIFY(h.FCW().OutOfRangeLab->isVisible());
        QCOMPARE(h.FCW().OutOfRangeLab->text(), QStringLiteral(" Out of range: 1 "));
        // The DC offset slider is subtracted from the values.
        h.FCW().LevelTB->setValue(3);
        h.Feed("V FFFFFFFF\r");
        QCOMPARE(h.CurrentPass().YValue(2), -3.0);
        h.FCW().LevelTB->setValue(0);
        // Device error: shown with its label replaced.
        h.Feed("E0A1F\r");
        QCOMPARE(h.Panel(4), QStringLiteral("Error: 0A1F"));
        h.Feed("H1\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment on Hold"));
        h.Feed("V 00006978\r");
        QCOMPARE(h.CurrentPass().Count(), 3);
        QCOMPARE(h.CurrentPass().YValue(2), 2.0);  // the held point follows the signal
        h.Feed("H0\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment in progress - please wait"));
        // A line that cannot be read is named in the status line, no box per line.
        h.Feed("V 00G0D2F0\r");
        QVERIFY(h.Panel(2).contains(QStringLiteral("V 00G0D2F0<CR>")));
        h.Feed("C\rD\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));
        QCOMPARE(h.FCW().SeriesAcc->Count(), 400);
        QCOMPARE(h.FCW().SeriesAcc->XValue(399), 25.0);
        // A pass of one point is refused, said in the status line.
        h.FCW().StartToolB->click();
        h.Feed("A0001\r");
        QVERIFY(h.Panel(2).contains(QStringLiteral("refused")));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void dbReadout()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().DHToolB->setEnabled(true);
        h.FCW().DHToolB->click();               // nothing measured yet: nothing happens
        QVERIFY(!h.FCW().DBST->isVisible());
        h.FCW().StartToolB->click();
        // Field of the default frequency sweep: 50 kHz over 5 points, 12.5 kHz apart.
        h.Feed("A0005\rB\rV 00000000\rV FFFE5B4C\rV 00000000\rV 0001A4B4\rV 00000000\rC\rD\r");
        h.FCW().DHToolB->click();
        QCOMPARE(h.Panel(4), QStringLiteral("DB:  25.00 kHz"));
        QCOMPARE(h.FCW().DBST->text(), QStringLiteral(" DB:  25.00 kHz"));
        QVERIFY(h.FCW().DBST->isVisible());
        // After an E reply the label reads "Error:".
        h.Feed("E0001\r");
        h.FCW().DHToolB->click();
        QCOMPARE(h.Panel(4), QStringLiteral("Error:  25.00 kHz"));
    }

    // Any order of replies, damaged ones among them, leaves the window
    // consistent and asks the operator nothing.
    void randomRepliesKeepTheWindowConsistent()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        QRandomGenerator random(20261208);
        const auto hex = [&](int digits, quint32 bound) {
            return QByteArray::number(random.bounded(bound), 16).rightJustified(digits, '0').toUpper();
        };
        const QList<QByteArray> fixed = {"B", "C", "D", "F", "H0", "H1", "E0042", "Z00421.3", "Q", "", "V",
                                         "A12", "VXYZ", "\x01\x02", "X1", "M"};
        for (int i = 0; i < 4000; ++i) {
            QByteArray line;
            switch (random.bounded(8)) {
            case 0: line = "A" + hex(4, 300); break;
            case 1: case 2: case 3: line = QByteArray(random.bounded(2) ? "V!" : "V ") + hex(8, 0xFFFFFFFFu); break;
            case 4: line = "M" + hex(2, 8); break;
            case 5: line = "X" + hex(4, 0x1000) + hex(4, 0x1000); break;
            default: line = fixed[random.bounded(fixed.size())]; break;
            }
            if (random.bounded(20) == 0 && h.FCW().StartToolB->isEnabled())
                h.FCW().StartToolB->click();
            h.Feed(line + '\r');
            QVERIFY(size_t(h.Run().Points()) <= h.Run().Sums().size());
            QCOMPARE(h.CurrentPass().Count(), h.Run().Points());
            QVERIFY(QList<int>({0, 1, 2, 3, 4, 5, 10}).contains(h.Run().State()));
        }
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void passesByAge()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        TFCWHarness::Choose(h.FCW().CurrDiagramCBox, 4);
        h.FCW().LoopRB->click();
        h.FCW().StartToolB->click();
        for (int pass = 0; pass < 6; ++pass)
            h.Feed("A0002\rB\rV 00000000\rV 00000000\rC\rD\r");
        // Six passes into five series: the first pass is gone, the second is red.
        QCOMPARE(&h.CurrentPass(), h.FCW().Series[1]);
        const TChartSeries& second = *h.FCW().Series[2];
        QCOMPARE(second.ValueColor(0), PassColor(4));
        QCOMPARE(h.FCW().Series[1]->ValueColor(0), PassColor(0));
        for (const TChartSeries* s : h.FCW().Series)
            QVERIFY(s->Visible());
        // Only the pass being measured and the average grow: they alone are redrawn as points come.
        for (int i = 0; i < 5; ++i)
            QCOMPARE(h.FCW().Series[size_t(i)]->Live(), i == 1);
        QVERIFY(h.FCW().SeriesAcc->Live());
        TFCWHarness::Choose(h.FCW().CurrDiagramCBox, 5);   // "off"
        for (const TChartSeries* s : h.FCW().Series)
            QVERIFY(!s->Visible());
        h.FCW().AccDToolB->click();
        QVERIFY(h.FCW().SeriesAcc->Visible());
        QVERIFY(h.FCW().MAccDiagram->isChecked());
    }
};

QTEST_MAIN(TestFCWRun)
#include "test_FCWRun.moc"
