// The processing window's checks strip and line-shape fit: the strip shows
// meril-proc's checks of the spectrum and follows the cursors and the
// baseline; the "Fit" command draws the fitted curve and the residual, its
// panel shows what the fit library gives for the same range, a fit goes
// stale when what it was made from changes and can be cancelled, and a
// saved picture holds the fit. Review pictures at three screen sizes
// (build/tests/screenshots/).

#include "../spectrum/FitTestLines.h"
#include "Baseline.h"
#include "ChecksStrip.h"
#include "DataProcRig.h"
#include "FitPanel.h"
#include "FitResultText.h"
#include "Screenshot.h"
#include "SpectrumReport.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>
#include <random>

namespace {

constexpr int Points = 1024;

// A Gaussian derivative line of sigma 40 points in the middle of the sweep,
// on an offset of 20 counts, with white noise of 2 counts rms.
std::vector<int32_t> GaussianLine(double height, unsigned seed = 1)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 2);
    std::vector<int32_t> sums(static_cast<size_t>(Points));
    for (int i = 0; i < Points; ++i) {
        const double u = (i - Points / 2) / 40.0;
        sums[size_t(i)] = int32_t(std::lround(20 - height * u * std::exp(0.5 - u * u / 2) + noise(random)));
    }
    return sums;
}

QStringList Codes(const TFDataProc& w)
{
    QStringList codes;
    for (const TMeasurementWarning& m : w.ChecksStrip->Warnings())
        codes << m.Code;
    return codes;
}

// What a screen reader reads of the strip's lines: name and description.
QStringList AccessibleLines(QWidget* strip)
{
    QStringList lines;
    for (QLabel* l : strip->findChildren<QLabel*>()) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(l);
        if (a)
            lines << a->text(QAccessible::Name) + QStringLiteral(": ") + a->text(QAccessible::Description);
    }
    return lines;
}

void MoveCursor(TDataProcRig& rig, QToolButton* button, int index)
{
    rig.Click(button);
    rig.MoveMarker(index);
    rig.Click(button);
}

} // namespace

class TestDataProcFit : public QObject {
    Q_OBJECT
private slots:
    void stripShowsClipping();
    void stripFollowsCursorsAndBaseline();
    void fitDrawsTheCurveAndThePanelShowsTheLibrarysValues();
    void savedPictureHoldsTheFit();
    void fitRunsInTheBackground();
    void staleFitFeedsNothing();
    void stripIsMerilProcsWarnings();
    void frequencySweepFitTakesTheModulationInKilohertz();
    void failedFitIsTold();
    void tripletWithTheHyperfineChoice();
    void screenshots();
};

void TestDataProcFit::stripShowsClipping()
{
    TDataProcRig rig;
    rig.Load(rig.Write(QStringLiteral("loud.dcw"), NmrHeader(), GaussianLine(700)));
    QVERIFY(rig.W.ChecksStrip->isVisible());
    QVERIFY2(Codes(rig.W).contains("clipped"), qPrintable(Codes(rig.W).join(' ')));
    const QString lines = AccessibleLines(rig.W.ChecksStrip).join('\n');
    QVERIFY2(lines.contains(QStringLiteral("clipped: ")) && lines.contains("lower the gain"), qPrintable(lines));
    // A spectrum within the limits after it: no clipping (the automatic
    // moment cursors still stop where |y| reaches 20, in the wings).
    rig.Load(rig.Write(QStringLiteral("quiet.dcw"), NmrHeader(), GaussianLine(300)));
    QCOMPARE(Codes(rig.W), QStringList{"wings_cut"});
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcFit::stripFollowsCursorsAndBaseline()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(GaussianLine(300), w.FDerivativeTB);
    // The automatic moment cursors stop where |y| reaches 20: wings cut.
    QCOMPARE(Codes(w), QStringList{"wings_cut"});
    rig.Click(w.M2DerivativeTB);
    QCOMPARE(Codes(w), QStringList{"wings_cut"});
    // Dragged out to 6 sigma on each side, the whole line is in.
    MoveCursor(rig, w.M2LCTB, Points / 2 - 240);
    QCOMPARE(Codes(w), QStringList{"wings_cut"});   // the right one still cuts
    MoveCursor(rig, w.M2RCTB, Points / 2 + 240);
    QVERIFY2(Codes(w).isEmpty(), qPrintable(Codes(w).join(' ')));
    QCOMPARE(w.ChecksStrip->Lines(), QStringList{"Checks: no warnings."});
    // While a cursor is dragged the strip follows the marker.
    rig.Click(w.M2RCTB);
    rig.MoveMarker(Points / 2 + 60);
    QCOMPARE(Codes(w), QStringList{"wings_cut"});
    rig.MoveMarker(Points / 2 + 240);
    QVERIFY(Codes(w).isEmpty());
    rig.Click(w.M2RCTB);
    // The baseline raised by three counts: its wings are off.
    for (int i = 0; i < 3; ++i)
        rig.Click(w.Line0UpTB);
    QVERIFY2(Codes(w).contains("baseline_drift"), qPrintable(Codes(w).join(' ')));
    for (int i = 0; i < 3; ++i)
        rig.Click(w.Line0DnTB);
    QVERIFY(Codes(w).isEmpty());
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcFit::fitDrawsTheCurveAndThePanelShowsTheLibrarysValues()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString path = rig.Write(QStringLiteral("line.dcw"), NmrHeader(), GaussianLine(300));
    rig.Load(path);
    // The fit acts on the derivative view.
    QVERIFY(!w.FitPanel->FitButton->isEnabled());
    rig.Click(w.FDerivativeTB);
    QVERIFY(w.FitPanel->FitButton->isEnabled());
    rig.Click(w.M2DerivativeTB);
    MoveCursor(rig, w.M2LCTB, 300);
    MoveCursor(rig, w.M2RCTB, 700);
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("gauss"));

    // Through the accessibility interface, as a screen reader presses it.
    QAccessibleInterface* fit = QAccessible::queryAccessibleInterface(w.FitPanel->FitButton);
    QVERIFY(fit && fit->actionInterface());
    QCOMPARE(fit->text(QAccessible::Name), QStringLiteral("Fit"));
    fit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    QVERIFY(!w.Fitting());
    rig.Draw();

    // The library on the same spectrum, baseline and range, as meril-proc
    // fits it.
    const TSpectrum spectrum = ReadSpectrumFile(path);
    const TFitResult expected = FitSpectrum(spectrum, ComputeBaseline(TSpectrumArrays(spectrum).Y),
                                            {TFitModel::Gauss, {}, std::pair{300, 700}});
    QVERIFY2(expected.Ok, qPrintable(expected.Failure));
    QCOMPARE(w.FitPanel->Lines(), FitResultLines(expected, QStringLiteral("Gs")));
    QCOMPARE(w.FitResultLines(), w.FitPanel->Lines());
    QVERIFY(w.FitPanel->Lines().join('\n').contains(QStringLiteral("\u00b1")));
    // Every value is readable through the accessibility interface.
    QString described;
    for (QLabel* l : w.FitPanel->findChildren<QLabel*>())
        if (QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name) == QStringLiteral("Fit results"))
            described = QAccessible::queryAccessibleInterface(l)->text(QAccessible::Description);
    for (const QString& line : w.FitPanel->Lines())
        QVERIFY2(described.contains(line), qPrintable(described));

    // The curve over the fitted points, the residual beside it.
    QVERIFY(w.SeriesFit->Visible() && w.SeriesResidual->Visible());
    QCOMPARE(w.SeriesFit->Count(), 401);
    QCOMPARE(w.SeriesFit->XValue(0), w.Series2->XValue(300));
    for (int i = 0; i < w.SeriesFit->Count(); i += 50)
        QCOMPARE(w.SeriesFit->YValue(i) + w.SeriesResidual->YValue(i), w.Series2->YValue(300 + i));
    // They go with the derivative view, and a new load clears the fit.
    rig.Click(w.AbsorptionTB);
    QVERIFY(!w.SeriesFit->Visible());
    QVERIFY(!w.FitPanel->FitButton->isEnabled());
    rig.Load(rig.Write(QStringLiteral("other.dcw"), NmrHeader(), GaussianLine(200, 2)));
    QVERIFY(w.FitPanel->Lines().isEmpty());
    QCOMPARE(w.SeriesFit->Count(), 0);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcFit::savedPictureHoldsTheFit()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(GaussianLine(300), w.FDerivativeTB);
    // The picture and the row where its lower chart begins.
    const auto save = [&](const QString& name) {
        const QString path = QDir(rig.OutDir()).filePath(name);
        rig.Op.ExpectFileDialog(path);
        w.MSavePicture->trigger();
        return std::pair{QImage(path), w.DSrc->height()};
    };
    // Pixels of the fitted curve's green between two rows.
    const auto fitPixels = [](const QImage& image, int from, int to) {
        int count = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() < 60 && c.green() > 180 && c.blue() > 40 && c.blue() < 150;
            }
        return count;
    };
    const auto [without, withoutSplit] = save(QStringLiteral("without.png"));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    rig.Draw();
    const auto [with, withSplit] = save(QStringLiteral("with.png"));
    QVERIFY(!without.isNull() && !with.isNull());
    // The caption block ends with the fit's results.
    const QStringList caption = w.PictureCaptionLines();
    QCOMPARE(caption.mid(caption.size() - w.FitResultLines().size()), w.FitResultLines());
    QCOMPARE(fitPixels(without, 0, without.height()), 0);
    QVERIFY2(fitPixels(with, withSplit, with.height()) > 100, qPrintable(QString::number(fitPixels(with, withSplit, with.height()))));
    QCOMPARE(fitPixels(with, 0, withSplit), 0);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// The fit runs off the window's thread: while it works its command cancels
// it; a fit that ends after another load, or after a cancel, is dropped,
// and the command is free at once.
void TestDataProcFit::fitRunsInTheBackground()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(GaussianLine(300), w.FDerivativeTB);
    w.FitPanel->FitButton->click();
    QVERIFY(w.Fitting());
    QVERIFY(w.FitPanel->Busy());
    QCOMPARE(w.FitPanel->FitButton->text(), QStringLiteral("Cancel"));
    QVERIFY(w.FitPanel->FitButton->isEnabled());
    rig.Load(rig.Write(QStringLiteral("next.dcw"), NmrHeader(), GaussianLine(250, 3)));
    QVERIFY(!w.Fitting());
    QVERIFY(!w.FitPanel->Busy());
    QCOMPARE(w.FitPanel->FitButton->text(), QStringLiteral("Fit"));
    // Cancelled through the same command.
    rig.Click(w.FDerivativeTB);
    w.FitPanel->FitButton->click();
    QVERIFY(w.Fitting());
    w.FitPanel->FitButton->click();
    QVERIFY(!w.Fitting());
    QCOMPARE(w.FitPanel->FitButton->text(), QStringLiteral("Fit"));
    // The dropped fits end without a trace; the new spectrum's own fit shows.
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    QVERIFY(!w.Fitting());
    QCOMPARE(w.SeriesFit->Count(), Points);
    QVERIFY(w.FitPanel->Lines().first().startsWith(QStringLiteral("Fit: ")));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// Once the baseline, the range or the model differ from what the fit was
// made from, its curve is grey, its command reads "Refit", and its width no
// longer decides the over-modulation check.
void TestDataProcFit::staleFitFeedsNothing()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    // A line 25 points (2.4 Gs) peak to peak under 1.0 Gs modulation: more
    // than a third of the fitted width, less than a third of the recorded one.
    TDataHeader header = NmrHeader();
    header.ModAmp = QStringLiteral("1.00 Gs");
    const std::vector<double> x = Grid(Points, 100);
    std::vector<int32_t> sums;
    for (const double y : WithNoise(MultipletCurve(x, GaussAbsorptionOf(1.2), 1.0, 0, 0, {1}, 2000), 5, 2.0))
        sums.push_back(int32_t(std::lround(y)));
    rig.Load(rig.Write(QStringLiteral("wide.dcw"), header, sums));
    rig.Click(w.FDerivativeTB);
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("gauss"));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    rig.Draw();
    QVERIFY(!w.FitPanel->Stale());
    QVERIFY2(Codes(w).contains("overmodulated"), qPrintable(Codes(w).join(' ')));
    QVERIFY(w.ChecksStrip->Lines().join(' ').contains("fitted"));
    const QColor fresh = w.SeriesFit->ValueColor(0);
    rig.Click(w.Line0UpTB);
    QVERIFY(w.FitPanel->Stale());
    QCOMPARE(w.FitPanel->FitButton->text(), QStringLiteral("Refit"));
    QVERIFY(w.SeriesFit->ValueColor(0) != fresh);
    QVERIFY(w.FitResultLines().isEmpty());
    QVERIFY2(!w.ChecksStrip->Lines().join(' ').contains("fitted"), qPrintable(w.ChecksStrip->Lines().join(' ')));
    // Made again, through the accessibility interface as a screen reader
    // presses "Refit"; then another model makes it stale.
    QAccessibleInterface* refit = QAccessible::queryAccessibleInterface(w.FitPanel->FitButton);
    QCOMPARE(refit->text(QAccessible::Name), QStringLiteral("Refit"));
    refit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!w.FitPanel->Stale());
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("lorentz"));
    QVERIFY(w.FitPanel->Stale());
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Stale() && w.FitPanel->Lines().first().startsWith("Fit: lorentz"));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// The strip shows what meril-proc gives for the same spectrum, baseline and
// cursors: the automatic moment cursors of both views when no moment
// measurement is on, the operator's cursors (meril-proc --cursors) when one is.
void TestDataProcFit::stripIsMerilProcsWarnings()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString path = rig.Write(QStringLiteral("line.dcw"), NmrHeader(), GaussianLine(300));
    rig.Load(path);
    rig.Click(w.FDerivativeTB);
    const TSpectrum spectrum = ReadSpectrumFile(path);
    QCOMPARE(w.ChecksStrip->Warnings(), MeasureSpectrum(spectrum).Warnings);
    QVERIFY2(!w.ChecksStrip->Warnings().empty(), "the automatic cursors cut the wings");
    rig.Click(w.M2DerivativeTB);
    MoveCursor(rig, w.M2LCTB, 250);
    MoveCursor(rig, w.M2RCTB, 760);
    TReportOptions chosen;
    chosen.Cursors = TCursorIndexes{250, 760, 512};
    QCOMPARE(w.ChecksStrip->Warnings(), MeasureSpectrum(spectrum, chosen).Warnings);
    // With a fit over the cursors, as meril-proc --fit gauss --fit-range.
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("gauss"));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    chosen.Fit = TFitModel::Gauss;
    chosen.FitRange = std::pair{250, 760};
    QCOMPARE(w.ChecksStrip->Warnings(), MeasureSpectrum(spectrum, chosen).Warnings);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// On a frequency sweep the file's modulation (Gs) reaches the fit in kHz,
// through gamma of 1H: a Gaussian line of sigma 3.76 kHz under 0.5 Gs (2.13
// kHz) modulation fits to Delta Bpp 7.52 kHz; taken as 0.5 kHz the
// modulation would leave it 7.81.
void TestDataProcFit::frequencySweepFitTakesTheModulationInKilohertz()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    TDataHeader header = NmrHeader();
    header.SweepTp = 0;
    header.SweepR = 100;
    header.ModAmp = QStringLiteral("0.50 Gs");
    const double gamma = 4.2577469, sigma = 3.7586;
    const std::vector<double> x = Grid(Points, 100);
    std::vector<int32_t> sums;
    for (const double y : WithNoise(MultipletCurve(x, GaussAbsorptionOf(sigma), 0.5 * gamma, 0, 0, {1}, 6000), 7, 1.0))
        sums.push_back(int32_t(std::lround(y)));
    rig.Load(rig.Write(QStringLiteral("sweep.dcw"), header, sums));
    rig.Click(w.FDerivativeTB);
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("gauss"));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    const QString pp = w.FitPanel->Lines().filter(QRegularExpression(QStringLiteral("^\u0394Bpp = "))).value(0);
    QVERIFY2(pp.endsWith(QStringLiteral(" kHz")), qPrintable(pp));
    QVERIFY2(qAbs(pp.section(' ', 2, 2).toDouble() - 2 * sigma) < 0.02, qPrintable(pp));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// A flat spectrum has no line to fit: the panel and the strip say why, no
// curve is drawn, nothing is asked of the operator.
void TestDataProcFit::failedFitIsTold()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(std::vector<int32_t>(Points, 7), w.FDerivativeTB);
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    QVERIFY2(w.FitPanel->Lines().first().startsWith("Fit failed: "), qPrintable(w.FitPanel->Lines().join('\n')));
    QVERIFY(Codes(w).contains("fit_failed"));
    QCOMPARE(w.SeriesFit->Count(), 0);
    QVERIFY(!w.SeriesFit->Visible());
    QVERIFY(w.FitPanel->FitButton->isEnabled());
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// An ESR triplet of one 14N (1:1:1, lines 150 points apart): the strip
// says the centre is ambiguous; a lorentz fit with "1,1" finds the coupling.
void TestDataProcFit::tripletWithTheHyperfineChoice()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    std::vector<int32_t> sums(static_cast<size_t>(Points));
    for (int i = 0; i < Points; ++i) {
        double y = 0;
        for (const int centre : {Points / 2 - 150, Points / 2, Points / 2 + 150}) {
            const double u = (i - centre) / 12.0;
            y -= 300 * u / ((1 + u * u) * (1 + u * u));
        }
        sums[size_t(i)] = int32_t(std::lround(y));
    }
    rig.Load(rig.Write(QStringLiteral("nitroxide.dcw"), EsrHeader(), sums));
    rig.Click(w.FDerivativeTB);
    QVERIFY2(Codes(w).contains("ambiguous_centre"), qPrintable(Codes(w).join(' ')));
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("lorentz"));
    w.FitPanel->HyperfineBox->setCurrentIndex(w.FitPanel->HyperfineBox->findText("1,1"));
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    const QStringList lines = w.FitPanel->Lines();
    QCOMPARE(lines.first(), QStringLiteral("Fit: lorentz, 1 nucleus of spin 1"));
    const QString a = lines.filter(QRegularExpression(QStringLiteral("^a = "))).value(0);
    const double spacing = 150 * 50.0 / (Points - 1);   // Gs
    QVERIFY2(qAbs(a.section(' ', 2, 2).toDouble() - spacing) < 0.01 * spacing, qPrintable(lines.join('\n')));
    QVERIFY(lines.filter(QRegularExpression(QStringLiteral("^g = 2\\.00"))).size() == 1);
    rig.Draw();
    SaveScreenshot(w, QStringLiteral("proc_fit_triplet"));
    // "pake" is one proton pair: no multiplet with it.
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("pake"));
    QVERIFY(w.FitPanel->Hyperfine().Groups.empty());
    QVERIFY(!w.FitPanel->HyperfineBox->isEnabled());
    // Groups are typed in the form meril-proc takes; a text that is none is told.
    w.FitPanel->ModelBox->setCurrentIndex(w.FitPanel->ModelBox->findText("lorentz"));
    w.FitPanel->HyperfineBox->setEditText(QStringLiteral("1,1; 3,1/2"));
    QCOMPARE(w.FitPanel->Hyperfine().Groups, (THyperfineGroups{{1, 1}, {3, 0.5}}));
    w.FitPanel->HyperfineBox->setEditText(QStringLiteral("0,1"));
    w.FitPanel->FitButton->click();
    QVERIFY2(w.FitPanel->Lines().value(0).startsWith(QStringLiteral("Fit not made: A hyperfine group holds")),
             qPrintable(w.FitPanel->Lines().join('\n')));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcFit::screenshots()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(GaussianLine(300), w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    w.FitPanel->FitButton->click();
    QTRY_VERIFY(!w.FitPanel->Lines().isEmpty());
    for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        rig.Draw();
        const QImage image =
            SaveScreenshot(w, QStringLiteral("proc_fit_%1x%2").arg(size.width()).arg(size.height()));
        QVERIFY(!image.isNull());
        QVERIFY2(w.ChecksStrip->isVisible(), qPrintable(QString::number(size.width())));
        QVERIFY2(w.FitPanel->FitButton->isVisible(), qPrintable(QString::number(size.width())));
    }
    // A stale fit: the baseline stepped after it.
    w.resize(1024, 768);
    rig.Click(w.Line0UpTB);
    QVERIFY(w.FitPanel->Stale());
    QVERIFY(!SaveScreenshot(w, QStringLiteral("proc_fit_stale_1024x768")).isNull());
}

QTEST_MAIN(TestDataProcFit)
#include "test_DataProcFit.moc"
