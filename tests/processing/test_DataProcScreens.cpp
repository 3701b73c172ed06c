// Review pictures of the processing window: an NMR and an ESR spectrum in
// each view with its measurements on (build/tests/screenshots/proc_*.png).
// Besides the pictures, each step checks that what the operator reads is
// there: the lower chart drawn, the readout and the result labels filled.

#include "DataProcRig.h"
#include "FitPanel.h"
#include "ChecksStrip.h"
#include "Screenshot.h"
#include "WindowPlacement.h"
#include "StatusBar.h"

#include <QLabel>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
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
    void opensInsideTheAvailableScreen();
    void opensBesideTheMainWindow();
    void fitsAnEightHundredBySixHundredScreen();
    void everyViewAtThreeSizes();

private:
    // Checks that what the operator needs of the window lies inside it, at
    // the window's size (800 x 600 unless given), and that nothing lies over
    // anything else.
    void CheckFits(TFDataProc& w, const QString& step, QSize size = QSize(800, 600));
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

// The offscreen screen measures 800 x 600: the window opens inside it.
void TestDataProcScreens::opensInsideTheAvailableScreen()
{
    TScriptedOperator op;
    TFDataProc w;
    const QRect available = w.screen()->availableGeometry();
    QVERIFY2(available.contains(w.geometry()), qPrintable(QStringLiteral("%1x%2 at %3,%4 on %5x%6")
                                                             .arg(w.width()).arg(w.height()).arg(w.x()).arg(w.y())
                                                             .arg(available.width()).arg(available.height())));
    QVERIFY(w.width() >= available.width() - 40);   // and uses it
}

// Placed by the program (no window manager does it): beside the main window
// where the screen has the room, else below it, else wholly over it, so that
// no strip of it with its menu bar shows under the window's own menu bar.
void TestDataProcScreens::opensBesideTheMainWindow()
{
    const QSize preferred(1024, 720), minimum(600, 540);
    const struct {
        QRect Screen, Main, Expected;
    } cases[] = {
        {{0, 0, 1600, 1000}, {0, 0, 800, 600}, {800, 0, 800, 720}},      // right
        {{0, 0, 1600, 1000}, {900, 100, 700, 600}, {0, 100, 900, 720}},  // left
        {{0, 0, 1024, 1400}, {0, 0, 1024, 700}, {0, 700, 1024, 700}},    // below
        {{0, 0, 1024, 768}, {0, 0, 800, 600}, {0, 0, 1024, 720}},        // over it
        {{0, 0, 800, 600}, {0, 0, 800, 600}, {0, 0, 800, 600}},          // exactly over it
    };
    for (const auto& c : cases) {
        const QRect placed = PlaceBeside(c.Screen, c.Main, preferred, minimum);
        QCOMPARE(placed, c.Expected);
        QVERIFY(c.Screen.contains(placed));
        QVERIFY(!placed.intersects(c.Main) || placed.contains(c.Main));
    }
    // The window asks the program where the main window is each time it is shown.
    TScriptedOperator op;
    TFDataProc w;
    const QRect screen = w.screen()->availableGeometry();
    w.MainWindowFrame = [&] { return screen; };
    w.show();
    QCOMPARE(w.frameGeometry(), screen);
}

void TestDataProcScreens::CheckFits(TFDataProc& w, const QString& step, QSize size)
{
    // A change of the texts reaches the window's layout through a few rounds
    // of posted layout requests.
    for (int round = 0; round < 5; ++round)
        QCoreApplication::processEvents();
    const QString at = step + QStringLiteral(": ");
    const QSize minimum = w.minimumSizeHint();
    QVERIFY2(minimum.width() <= size.width() && minimum.height() <= size.height(),
             qPrintable(at + QStringLiteral("minimum %1x%2").arg(minimum.width()).arg(minimum.height())));
    QVERIFY2(w.size() == size, qPrintable(at + QStringLiteral("grew to %1x%2").arg(w.width()).arg(w.height())));
    const QRect window = w.rect();
    const auto inside = [&](QWidget* c) { return window.contains(QRect(c->mapTo(&w, QPoint()), c->size())); };
    // Every button of the shown tool bars is there whole, none behind an overflow mark.
    for (QToolBar* bar : w.findChildren<QToolBar*>()) {
        if (!bar->isVisible())
            continue;
        QVERIFY2(inside(bar), qPrintable(at + bar->objectName()));
        for (QToolButton* b : bar->findChildren<QToolButton*>()) {
            if (b->objectName() == QLatin1String("qt_toolbar_ext_button")) {
                QVERIFY2(!b->isVisible(), qPrintable(at + QStringLiteral("overflow on ") + bar->objectName()));
                continue;
            }
            if (b->isVisibleTo(bar) && b != w.FOpenTB)
                QVERIFY2(b->isVisible() && inside(b), qPrintable(at + b->accessibleName()));
        }
    }
    QVERIFY2(inside(w.StatusBar) && w.StatusBar->isVisible(), qPrintable(at + QStringLiteral("status line")));
    // The chart column top to bottom, each part under the one before, and the
    // tool bar rows with the height their width needs.
    int bottom = -1;
    // The checks and the fit scroll in the area under the lower chart, which
    // keeps at least its minimum.
    auto* results = w.findChild<QScrollArea*>(QStringLiteral("ResultsArea"));
    QVERIFY2(results && results->height() >= results->minimumSizeHint().height(), qPrintable(at + QStringLiteral("results")));
    for (QWidget* part : {w.DIFileToolBar->parentWidget(), static_cast<QWidget*>(w.DSrc), w.DOFileToolBar->parentWidget(),
                          static_cast<QWidget*>(w.DDst), static_cast<QWidget*>(results),
                          static_cast<QWidget*>(w.StatusBar)}) {
        if (!part->isVisible())
            continue;
        const QRect r(part->mapTo(&w, QPoint()), part->size());
        const QString name = at + part->metaObject()->className() + QLatin1Char(' ') + part->objectName();
        QVERIFY2(r.top() > bottom, qPrintable(name + QStringLiteral(" overlaps the part above")));
        bottom = r.bottom();
        if (part->hasHeightForWidth())
            QVERIFY2(part->height() >= part->heightForWidth(part->width()), qPrintable(name + QStringLiteral(" cut")));
    }
    for (TChart* chart : {w.DSrc, w.DDst})
        QVERIFY2(inside(chart) && chart->height() >= 120, qPrintable(at + chart->objectName()));
    // The values on the right are reached by scrolling, never cut at the side.
    const QRect viewport(w.PanelArea->viewport()->mapTo(&w, QPoint()), w.PanelArea->viewport()->size());
    QVERIFY2(inside(w.PanelArea), qPrintable(at + QStringLiteral("panels")));
    for (QLabel* value : w.PanelArea->findChildren<QLabel*>()) {
        if (!value->isVisible() || value->accessibleName().isEmpty())
            continue;
        const QRect r(value->mapTo(&w, QPoint()), value->size());
        QVERIFY2(r.left() >= viewport.left() && r.right() <= viewport.right(),
                 qPrintable(at + value->accessibleName()));
    }
}

// With each view and each of its measurements on, and the ESR ones, the
// window keeps to an 800 x 600 screen.
void TestDataProcScreens::fitsAnEightHundredBySixHundredScreen()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    w.resize(800, 600);
    CheckFits(w, QStringLiteral("empty"));
    rig.Load(rig.Write(QStringLiteral("water.dcw"), NmrHeader(), Measured(2048, 90, 320, 30, 1)));
    for (QToolButton* view : {w.FDerivativeTB, w.AbsorptionTB}) {
        rig.Click(view);
        const QList<QToolButton*> measurements = view == w.FDerivativeTB
            ? QList<QToolButton*>{w.M2DerivativeTB, w.SDBTB}
            : QList<QToolButton*>{w.M2AbsorptionTB, w.HDBTB, w.IntegralTB};
        for (QToolButton* m : measurements) {
            rig.Click(m);
            CheckFits(w, view->text() + QLatin1Char(' ') + m->text());
        }
    }
    SaveScreenshot(w, QStringLiteral("proc_fit_800x600_integral"));
    // After a fit its results take lines under the charts: still nothing
    // overlaps, here and in the room an 800 x 600 screen leaves inside a
    // window manager's frame.
    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText(QStringLiteral("gauss")));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    CheckFits(w, QStringLiteral("fit"));
    w.resize(784, 560);
    CheckFits(w, QStringLiteral("fit in a frame"), QSize(784, 560));
    SaveScreenshot(w, QStringLiteral("proc_fit_784x560"));
    // As small as the window lets itself be made: the tool bar rows wrap.
    w.resize(100, 100);
    for (int round = 0; round < 5; ++round) QCoreApplication::processEvents();
    CheckFits(w, QStringLiteral("smallest"), w.size());
    SaveScreenshot(w, QStringLiteral("proc_fit_smallest"));
    w.resize(800, 600);
    rig.Load(rig.Write(QStringLiteral("dpph.dcw"), EsrHeader(), Measured(1024, 25, 280, -20, 2)));
    rig.Click(w.AbsorptionTB);
    rig.Click(w.M2AbsorptionTB);
    CheckFits(w, QStringLiteral("ESR G"));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// Review pictures at the three screen sizes, each view with a measurement.
void TestDataProcScreens::everyViewAtThreeSizes()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("water.dcw"), NmrHeader(), Measured(2048, 90, 320, 30, 1)));
    for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
        w.resize(size);
        const QString tag = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        const QString name = QStringLiteral("size_") + tag;
        rig.Click(w.FDerivativeTB);
        rig.Click(w.M2DerivativeTB);
        Shot(rig, name + QStringLiteral("_derivative_m2"), {w.M2Val, w.M4Val});
        rig.Click(w.SDBTB);
        Shot(rig, name + QStringLiteral("_derivative_sdb"), {w.DBVal});
        rig.Click(w.AbsorptionTB);
        rig.Click(w.VerticalExpTB);
        rig.Click(w.M2AbsorptionTB);
        Shot(rig, name + QStringLiteral("_absorption_m2"), {w.M2Val, w.M4Val});
        rig.Click(w.HDBTB);
        Shot(rig, name + QStringLiteral("_absorption_hdb"), {w.DBVal});
        rig.Click(w.IntegralTB);
        Shot(rig, name + QStringLiteral("_absorption_integral"), {w.AIVal, w.ILEVal});
        rig.Click(w.AbsorptionTB);
    }
}

QTEST_MAIN(TestDataProcScreens)
#include "test_DataProcScreens.moc"
