// Experiment parameters: captions, commands, modes with their own memory.

#include "Chart.h"
#include "FCWHarness.h"
#include "UpDown.h"

#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

class TestFCWParameters : public QObject {
    Q_OBJECT

private slots:
    void modeChangeSendsTheNewModesValuesThenTheMode()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().EPRResRB->click();
        QCOMPARE(h.TakeSent(), QStringLiteral("B107FF|J02FAF080|E00|H100|P1|"));
        // No frequency sweep in ESR; the B0 step may go down to 0.01 Gs.
        QVERIFY(!h.FCW().FreqSwRngRB->isEnabled());
        QVERIFY(!h.FCW().FreqSwRngUpDown->isEnabled());
        QCOMPARE(h.FCW().DB0UpDown->Min(), -1);
        h.FCW().DB0UpDown->Click(TUpDown::btPrev);
        QCOMPARE(h.FCW().TuningB0UpDown->Increment(), 16);
        QCOMPARE(h.FCW().DB0Val->text(), QStringLiteral("  0.01 Gs"));
        QCOMPARE(h.FCW().FrequencyVal->text(), QStringLiteral("50 000.0 kHz"));
        QVERIFY(h.FCW().FieldSwRngRB->isChecked());
    }

    void eachModeKeepsItsOwnPositions()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.TuningB0UpDown->Click(TUpDown::btNext);
        w.FrequencyUpDown->Click(TUpDown::btNext);
        w.PhaseScrollBar->setValue(20);
        w.FieldSwRngUpDown->Click(TUpDown::btNext);
        w.GainScrollBar->setValue(99);
        w.FluorineRB->click();
        QCOMPARE(w.TuningB0UpDown->Position(), 0);
        QCOMPARE(w.PhaseScrollBar->value(), 0);
        QCOMPARE(w.GainScrollBar->value(), 99);             // shared by all modes
        w.FrequencyUpDown->Click(TUpDown::btPrev);
        w.HydrogenRB->click();
        QCOMPARE(w.TuningB0UpDown->Position(), 1);
        QCOMPARE(w.FrequencyUpDown->Position(), 1);
        QCOMPARE(w.PhaseScrollBar->value(), 20);
        QCOMPARE(w.FieldSwRngUpDown->Position(), 2);
        QCOMPARE(h.Setup().Record().Frequency[1], -1);
        // 1H&19F sweeps 300 Gs, fixed.
        w.HFRB->click();
        QCOMPARE(w.FieldSwRngUpDown->Position(), 10);
        QVERIFY(!w.FieldSwRngUpDown->isEnabled());
        QCOMPARE(w.FieldSwRngVal->text(), QStringLiteral(" 300 Gs"));
    }

    void captionsFollowTheArrowsAndNothingIsSentDisconnected()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.Spectrometer().Link().Open();
        w.GainScrollBar->setValue(255);
        QCOMPARE(w.GainVal->text(), QStringLiteral("255"));
        w.PhaseScrollBar->setValue(239);
        QCOMPARE(w.PhaseVal->text(), QStringLiteral("  358.5 \u00b0"));
        w.SweepTUpDown->ClickTo(6);
        QCOMPARE(w.SweepTVal->text(), QStringLiteral("  16 min"));
        w.ModAmpUpDown->ClickTo(6);
        QCOMPARE(w.ModAmpVal->text(), QStringLiteral("0.35 Gs"));
        w.DFrqUpDown->Click(TUpDown::btNext);
        QCOMPARE(w.FrequencyUpDown->Increment(), 2);
        QCOMPARE(w.DFrqVal->text(), QStringLiteral("   1.0 kHz"));
        w.FreqSwRngUpDown->ClickTo(9);
        QCOMPARE(w.FreqSwRngVal->text(), QStringLiteral("1000 kHz"));
        QVERIFY(w.FreqSwRngRB->isChecked());
        QCOMPARE(w.Fid->BottomAxis().Minimum(), -500.0);
        QCOMPARE(w.Fid->BottomAxis().Maximum(), 500.0);
        QCOMPARE(w.Fid->BottomAxis().Increment(), 250.0);
        QCOMPARE(h.TakeSent(), QString());
        // The same once connected goes out.
        h.Script().Push("X07FF07FF\r");
        QVERIFY(TFCWHarness::WaitFor([&] { return w.Spectrometer().Connected(); }));
        w.FreqSwRngUpDown->SetPosition(8);
        w.FreqSwRngUpDown->ClickTo(9);
        w.ModAmpUpDown->SetPosition(5);
        w.ModAmpUpDown->ClickTo(6);
        QCOMPARE(h.TakeSent(), QStringLiteral("K000F4240|R022|"));
    }
};

QTEST_MAIN(TestFCWParameters)
#include "test_FCWParameters.moc"
