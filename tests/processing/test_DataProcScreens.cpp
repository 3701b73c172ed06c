// Review pictures of the processing window: an NMR and an ESR spectrum in
// each view with its measurements on (build/tests/screenshots/proc_*.png).
// Besides the pictures, each step checks that what the operator reads is
// there: the lower chart drawn, the readout and the result labels filled.

#include "DataProcRig.h"
#include "Screenshot.h"

#include <QLabel>
#include <QRandomGenerator>
#include <qcustomplot.h>

namespace {

// A Lorentzian derivative with a little noise and a sloping offset, as a
// stored pass looks.
std::vector<int32_t> Measured(int n, double gamma, double amplitude, double offset, quint32 seed)
{
    std::vector<int32_t> sums = LorentzDerivative(n, gamma, amplitude, offset);
    QRandomGenerator random(seed);
    for (int i = 0; i < n; ++i)
        sums[size_t(i)] += int32_t(random.bounded(9)) - 4 + i * 20 / n;
    return sums;
}

int YellowPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    return count;
}

} // namespace

class TestDataProcScreens : public QObject {
    Q_OBJECT
private slots:
    void emptyWindow();
    void viewButtonsStayOnASmallScreen();
    void nmrViews();
    void esrViews();

private:
    void Shot(TDataProcRig& rig, const QString& name, std::initializer_list<QLabel*> filled);
};

void TestDataProcScreens::Shot(TDataProcRig& rig, const QString& name, std::initializer_list<QLabel*> filled)
{
    rig.Draw();
    const QImage image = SaveScreenshot(rig.W, QStringLiteral("proc_") + name);
    QVERIFY(!image.isNull());
    QVERIFY2(YellowPixels(rig.W.DDst->Plot()->grab().toImage()) > 50, qPrintable(name));
    QVERIFY2(!rig.W.DstXYST->text().isEmpty(), qPrintable(name));
    for (QLabel* l : filled)
        QVERIFY2(!l->text().trimmed().isEmpty(), qPrintable(name + QLatin1Char(' ') + l->accessibleName()));
}

// Shown before any load: only the first row's open and setup buttons act.
void TestDataProcScreens::emptyWindow()
{
    TDataProcRig rig;
    const QImage image = SaveScreenshot(rig.W, QStringLiteral("proc_empty"));
    QVERIFY(!image.isNull());
    QVERIFY(rig.W.FOpenTB->isEnabled());
    QVERIFY(rig.W.SetupTB->isEnabled());
    QVERIFY(!rig.W.FDerivativeTB->isEnabled());
    QCOMPARE(YellowPixels(rig.W.DSrc->Plot()->grab().toImage()), 0);
}

// On an 800 x 600 screen the first row's commands stay on the row rather
// than in an overflow menu; only the baseline arrows may give way.
void TestDataProcScreens::viewButtonsStayOnASmallScreen()
{
    TDataProcRig rig;
    rig.W.resize(800, 600);
    QCoreApplication::processEvents();
    SaveScreenshot(rig.W, QStringLiteral("proc_empty_800"));
    QCOMPARE(rig.W.size(), QSize(800, 600));
    for (QToolButton* b : {rig.W.ExportATB, rig.W.FDerivativeTB, rig.W.AbsorptionTB, rig.W.SetupTB})
        QVERIFY2(b->isVisible(), qPrintable(b->text()));
}

void TestDataProcScreens::nmrViews()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("water.dcw"), NmrHeader(), Measured(2048, 90, 320, 30, 1)));
    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    Shot(rig, QStringLiteral("nmr_derivative_m2"), {w.M2Val, w.M2LVal, w.M2RVal, w.M4Val});
    rig.Click(w.SDBTB);
    Shot(rig, QStringLiteral("nmr_derivative_sdb"), {w.DBVal});
    rig.Click(w.AbsorptionTB);
    rig.Click(w.VerticalExpTB);
    rig.Click(w.M2AbsorptionTB);
    Shot(rig, QStringLiteral("nmr_absorption_m2"), {w.M2Val, w.M4Val});
    rig.Click(w.HDBTB);
    Shot(rig, QStringLiteral("nmr_absorption_hdb"), {w.DBVal});
    rig.Click(w.IntegralTB);
    Shot(rig, QStringLiteral("nmr_absorption_integral"), {w.AIVal, w.ILBVal, w.ILEVal});
    // Zoomed on the line's middle half.
    const QRect plot = w.DDst->ChartRect();
    w.DDst->ZoomRect(QRect(QPoint(plot.left() + plot.width() * 3 / 8, plot.top()),
                           QPoint(plot.left() + plot.width() * 5 / 8, plot.bottom())));
    Shot(rig, QStringLiteral("nmr_absorption_integral_zoomed"), {w.AIVal, w.ILBVal, w.ILEVal});
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcScreens::esrViews()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("dpph.dcw"), EsrHeader(), Measured(1024, 25, 280, -20, 2)));
    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    Shot(rig, QStringLiteral("esr_derivative_g"), {w.GVal});
    rig.Click(w.SDBTB);
    Shot(rig, QStringLiteral("esr_derivative_sdb"), {w.DBVal});
    rig.Click(w.AbsorptionTB);
    rig.Click(w.M2AbsorptionTB);
    Shot(rig, QStringLiteral("esr_absorption_g"), {w.GVal});
    rig.Click(w.IntegralTB);
    Shot(rig, QStringLiteral("esr_absorption_integral"), {w.AIVal, w.ILBVal, w.ILEVal});
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

QTEST_MAIN(TestDataProcScreens)
#include "test_DataProcScreens.moc"
