#include "Errors.h"
#include "StatusBar.h"
#include "LabelNumber.h"
#include "SeriesExtremes.h"
#include "UOutMess.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <vector>

namespace {
// The two operations the series helpers need of a chart series.
struct TFakeSeries {
    std::vector<double> Y;
    int Count() const { return int(Y.size()); }
    double YValue(int i) const { return Y[size_t(i)]; }
};

void AddMainWindowPanels(TStatusBar& bar)
{
    bar.AddPanel("Acc: ", 85);
    bar.AddPanel("Last Data Saved In: ", 180);
    bar.AddPanel("Spectrometer: ", 250);
    bar.AddPanel("Magnetic Field Source: ", 195);
    bar.AddPanel("DB: ", 100);
}
} // namespace

class TestUOutMess : public QObject {
    Q_OBJECT
private slots:
    void statusTextKeepsTheLabel();
    void statusBarPanels();
    void minAndMaxYIndex_data();
    void minAndMaxYIndex();
    void runningBoundIsASixByteReal();
    void enableChildrenTouchesDirectChildrenOnly();
    void parseLabelNumber_data();
    void parseLabelNumber();
    void parseLabelNumberErrorsReachTheCaller_data();
    void parseLabelNumberErrorsReachTheCaller();
};

void TestUOutMess::statusTextKeepsTheLabel()
{
    TStatusBar bar;
    AddMainWindowPanels(bar);
    bar.AddPanel("Ready", 50);
    SetStatusText(bar, 0, "2 of 5");
    QCOMPARE(bar.PanelText(0), QStringLiteral("Acc: 2 of 5"));
    SetStatusText(bar, 0, "");
    QCOMPARE(bar.PanelText(0), QStringLiteral("Acc: "));
    // A message with a colon of its own: the first colon is the label's.
    SetStatusText(bar, 2, "Error: no reply");
    QCOMPARE(bar.PanelText(2), QStringLiteral("Spectrometer: Error: no reply"));
    SetStatusText(bar, 2, "ready");
    QCOMPARE(bar.PanelText(2), QStringLiteral("Spectrometer: ready"));
    // Without a colon there is no label to keep.
    SetStatusText(bar, 5, "x");
    QCOMPARE(bar.PanelText(5), QStringLiteral(" x"));
    QCOMPARE(bar.PanelText(1), QStringLiteral("Last Data Saved In: "));
    QVERIFY_THROWS_EXCEPTION(EMerilError, SetStatusText(bar, 6, "x"));
}

void TestUOutMess::statusBarPanels()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addStretch(1);
    auto* bar = new TStatusBar(&window);
    layout->addWidget(bar);
    AddMainWindowPanels(*bar);
    SetStatusText(*bar, 0, "2 of 5");
    SetStatusText(*bar, 2, "Experiment in progress - please wait");
    SetStatusText(*bar, 3, "Electromagnet");
    SetStatusText(*bar, 4, " 12.35 ");
    window.resize(1000, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(bar->PanelCount(), 5);
    const auto labels = bar->findChildren<QLabel*>();
    QCOMPARE(labels.size(), 5);
    // Each panel is at least as wide as designed; spare room goes in proportion.
    const int widths[] = {85, 180, 250, 195, 100};
    for (int i = 0; i < 5; ++i)
        QVERIFY(labels[i]->width() >= widths[i]);
    QVERIFY(labels[0]->width() < labels[1]->width());
    QVERIFY(labels[1]->width() < labels[2]->width());
    QVERIFY(labels[3]->width() < labels[2]->width());
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(labels[i]->accessibleName(), bar->PanelText(i));
        QCOMPARE(labels[i]->toolTip(), bar->PanelText(i));
        QCOMPARE(labels[i]->font().pointSize(), 8);
        QCOMPARE(labels[i]->frameShadow(), QFrame::Sunken);
        QVERIFY(labels[i]->x() + labels[i]->width() <= bar->width());
    }
    QCOMPARE(bar->PanelText(3), QStringLiteral("Magnetic Field Source: Electromagnet"));
    if (const QString shot = qEnvironmentVariable("MERIL_SCREENSHOTS"); !shot.isEmpty())
        window.grab().save(shot + "/statusbar.png");
}

void TestUOutMess::minAndMaxYIndex_data()
{
    QTest::addColumn<std::vector<double>>("y");
    QTest::addColumn<int>("minIndex");
    QTest::addColumn<int>("maxIndex");
    QTest::newRow("empty") << std::vector<double>{} << -1 << -1;
    QTest::newRow("one point") << std::vector<double>{12} << 0 << 0;
    QTest::newRow("ordinary") << std::vector<double>{3, -2, 7, -4, 7} << 3 << 2;
    QTest::newRow("equal lowest: first wins") << std::vector<double>{5, -9, 0, -9} << 1 << 0;
    // No point inside the bound: the first point, which the callers can read.
    QTest::newRow("all at the top") << std::vector<double>{500, 500, 600} << 0 << 2;
    QTest::newRow("all at the bottom") << std::vector<double>{-500, -700} << 1 << 0;
    QTest::newRow("just inside the bounds") << std::vector<double>{499.5, -499.5} << 1 << 0;
}

void TestUOutMess::minAndMaxYIndex()
{
    QFETCH(std::vector<double>, y);
    QFETCH(int, minIndex);
    QFETCH(int, maxIndex);
    const TFakeSeries series{y};
    QCOMPARE(MinYIndex(series), minIndex);
    QCOMPARE(MaxYIndex(series), maxIndex);
}

void TestUOutMess::runningBoundIsASixByteReal()
{
    // 1 + 1e-13 is held as 1, so the later, truly lower 1.0 does not beat it.
    const TFakeSeries series{{1 + 1e-13, 1.0, 2.0}};
    QCOMPARE(MinYIndex(series), 0);
    const TFakeSeries rising{{1 - 1e-13, 1.0, 0.5}};
    QCOMPARE(MaxYIndex(rising), 0);
}

void TestUOutMess::enableChildrenTouchesDirectChildrenOnly()
{
    QWidget box;
    auto* first = new QWidget(&box);
    auto* second = new QWidget(&box);
    auto* inner = new QWidget(first);
    new QTimer(&box);                       // not a control: left alone
    inner->setEnabled(false);

    EnableChildren(&box, false);
    QVERIFY(!first->isEnabled());
    QVERIFY(!second->isEnabled());
    QVERIFY(box.isEnabled());

    inner->setEnabled(true);                // its own state, hidden by the disabled parent
    EnableChildren(&box, true);
    QVERIFY(first->isEnabled());
    QVERIFY(second->isEnabled());
    QVERIFY(inner->isEnabled());

    inner->setEnabled(false);
    EnableChildren(&box, true);
    QVERIFY(!inner->isEnabled());           // grandchildren are not visited
    EnableChildren(nullptr, false);         // no container: nothing to do
}

void TestUOutMess::parseLabelNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("unit") << "100 Gs" << 100.0;
    QTest::newRow("grouped") << "14 000.5 kHz" << 14000.5;
    QTest::newRow("minus dropped") << "-3.2" << 3.2;
    QTest::newRow("exponent letter dropped") << "1.5E3" << 1.53;
    QTest::newRow("small") << "0.025 Gs" << 0.025;
    QTest::newRow("field caption") << "3 288.12 Gs" << 3288.12;
    QTest::newRow("frequency caption") << "50 000.0 kHz" << 50000.0;
}

void TestUOutMess::parseLabelNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(double(ParseLabelNumber(text)), expected);
}

void TestUOutMess::parseLabelNumberErrorsReachTheCaller_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::newRow("comma") << "1,5" << "1,5";
    QTest::newRow("nothing kept") << "Gs" << "";
    QTest::newRow("two points") << "1.2.3 mT" << "1.2.3";
    QTest::newRow("lone point") << "- . -" << ".";
}

void TestUOutMess::parseLabelNumberErrorsReachTheCaller()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    try {
        ParseLabelNumber(text);
        QFAIL("accepted");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Text(), QStringLiteral("'%1' is not a valid floating point value").arg(kept));
    }
}

QTEST_MAIN(TestUOutMess)
#include "test_UOutMess.moc"
