// Hyperfine groups: the text the window and meril-proc both take, the
// limits of what can be fitted, and the intensities and places of the lines
// of one group and of several together.
#include "Hyperfine.h"

#include <QtTest>
#include <algorithm>
#include <numeric>

class TestHyperfine : public QObject {
    Q_OBJECT
private slots:
    void readsGroups_data();
    void readsGroups();
    void multinomialIntensities();
    void severalGroupsCombine();
};

void TestHyperfine::readsGroups_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("groups");  // "N:I" joined by spaces; "error" for a refusal
    QTest::newRow("one 14N") << "1,1" << "1:1";
    QTest::newRow("halves as a fraction") << "3,1/2" << "3:0.5";
    QTest::newRow("halves as a decimal") << "12,0.5" << "12:0.5";
    QTest::newRow("three groups, spaced") << " 2,1 ; 12,1/2;4,1/2 " << "2:1 12:0.5 4:0.5";
    QTest::newRow("none") << "none" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("no nuclei") << "0,1" << "error";
    QTest::newRow("99 nuclei") << "99,1/2" << "error";
    QTest::newRow("spin 0") << "1,0" << "error";
    QTest::newRow("spin 7.5") << "1,7.5" << "error";
    QTest::newRow("spin 1/3") << "1,1/3" << "error";
    QTest::newRow("no spin") << "2" << "error";
    QTest::newRow("words") << "N,I" << "error";
    QTest::newRow("too many lines") << "20,7; 20,7" << "error";
}

void TestHyperfine::readsGroups()
{
    QFETCH(QString, text);
    QFETCH(QString, groups);
    const THyperfineText read = ParseHyperfine(text);
    QStringList got;
    for (const THyperfine& g : read.Groups)
        got << QStringLiteral("%1:%2").arg(g.Nuclei).arg(g.Spin);
    if (groups == QLatin1String("error")) {
        QVERIFY(read.Groups.empty());
        QVERIFY(read.Error.endsWith(QLatin1Char('.')));
        qInfo("%s: %s", qPrintable(text), qPrintable(read.Error));
    } else {
        QVERIFY2(read.Error.isEmpty(), qPrintable(read.Error));
        QCOMPARE(got.join(QLatin1Char(' ')), groups);
    }
}

void TestHyperfine::multinomialIntensities()
{
    const auto pattern = [](int n, double spin) {
        std::vector<double> w = MultipletWeights(n, spin);
        const double smallest = *std::min_element(w.begin(), w.end());
        for (double& v : w)
            v = std::round(v / smallest * 1e6) / 1e6;
        return w;
    };
    QCOMPARE(pattern(1, 1), (std::vector<double>{1, 1, 1}));
    QCOMPARE(pattern(2, 1), (std::vector<double>{1, 2, 3, 2, 1}));
    QCOMPARE(pattern(3, 0.5), (std::vector<double>{1, 3, 3, 1}));
    QCOMPARE(pattern(1, 1.5), (std::vector<double>{1, 1, 1, 1}));
    const std::vector<double> w = MultipletWeights(4, 1);
    QCOMPARE(int(w.size()), 9);
    QVERIFY(std::abs(std::accumulate(w.begin(), w.end(), 0.0) - 1) < 1e-12);
}

// A 14N triplet split again by two equivalent protons: 3 x 3 lines whose
// intensities are the products, at every combination of the offsets.
void TestHyperfine::severalGroupsCombine()
{
    const THyperfineLines lines = HyperfineLines({{1, 1}, {2, 0.5}});
    QCOMPARE(int(lines.Weights.size()), 9);
    QCOMPARE(int(lines.Offsets.size()), 2);
    QVERIFY(std::abs(std::accumulate(lines.Weights.begin(), lines.Weights.end(), 0.0) - 1) < 1e-12);
    for (size_t k = 0; k < 9; ++k) {
        const double n = lines.Offsets[0][k], h = lines.Offsets[1][k];
        QVERIFY(std::abs(n) <= 1 && std::abs(h) <= 1);
        QCOMPARE(lines.Weights[k], 1.0 / 3 * (h == 0 ? 0.5 : 0.25));
    }
    QCOMPARE(HyperfineSpread({12, 0.5}), 3.0);
}

QTEST_GUILESS_MAIN(TestHyperfine)
#include "test_Hyperfine.moc"
