// The caption block of a saved picture: spectrum, settings, the values shown
// and lines of other tools, from a header and the shown texts alone.
#include "PictureCaption.h"
#include "SampleSpectra.h"

#include <QtTest>

class TestPictureCaption : public QObject {
    Q_OBJECT
private slots:
    void settingsOfTheSpectrum();
    void shownValuesAFewToALineEmptyOnesLeftOut();
};

void TestPictureCaption::settingsOfTheSpectrum()
{
    TDataHeader h = NmrHeader();
    h.Resonance = QStringLiteral("NMR 1H &&19F");
    h.SweepTp = 0;
    h.SweepR = 24.5f;   // a frequency sweep is shown in whole kHz, halves to even
    h.Acc = QStringLiteral("16");
    TSpectrum s;
    s.Header = h;
    s.SweepRange = h.SweepR;
    const QStringList lines = PictureCaption(QStringLiteral("/data/acq/run1.dcw"), s, {});
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("run1.dcw    NMR 1H &19F"));
    QCOMPARE(lines[1], QStringLiteral("B0 3 288.2 Gs    Frequency 14 000.0 kHz    2nd Mod Amplit 0.025 Gs"));
    QCOMPARE(lines[2], QStringLiteral("Sweep Frequency 24 kHz, 0.5 min    Acc 16"));
    QCOMPARE(SweepRangeText(s), QStringLiteral("  24 kHz"));
    s.Header.SweepTp = 1;
    s.SweepRange = 100;
    QCOMPARE(SweepRangeText(s), QStringLiteral(" 100 Gs"));
    QCOMPARE(SweepKindText(s.Header), QStringLiteral("Field"));
}

void TestPictureCaption::shownValuesAFewToALineEmptyOnesLeftOut()
{
    const std::vector<TShownValue> shown{{QStringLiteral("M2 = "), QStringLiteral("   15.646 Gs \u00b2")},
                                         {QStringLiteral("M2L = "), QStringLiteral("16.111 Gs \u00b2")},
                                         {QStringLiteral("M2R = "), QStringLiteral("15.180 Gs \u00b2")},
                                         {QStringLiteral("SDB ="), QString()},
                                         {QStringLiteral("M4 = "), QStringLiteral("744.385 Gs\u2074")},
                                         {QStringLiteral("AI ="), QStringLiteral("11 054 294")}};
    TSpectrum esr;
    esr.Header = EsrHeader();
    const QStringList lines =
        PictureCaption(QStringLiteral("w.dcw"), esr, shown, {QStringLiteral("fit line 1"), QString()});
    QCOMPARE(lines.size(), 3 + 2 + 2);
    QCOMPARE(lines[0], QStringLiteral("w.dcw    ESR"));
    QCOMPARE(lines[3], QStringLiteral("M2 = 15.646 Gs \u00b2    M2L = 16.111 Gs \u00b2    M2R = 15.180 Gs \u00b2    M4 = 744.385 Gs\u2074"));
    QCOMPARE(lines[4], QStringLiteral("AI = 11 054 294"));
    QCOMPARE(lines[5], QStringLiteral("fit line 1"));
    QCOMPARE(lines[6], QString());   // extra lines stay as they are
}

QTEST_MAIN(TestPictureCaption)
#include "test_PictureCaption.moc"
