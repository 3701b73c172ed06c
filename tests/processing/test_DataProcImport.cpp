// The processing window with the spectra of other programs: a published
// BES3T spectrum shown and measured on its own scale, the values a text file
// does not give asked once, and "Export as..." (screenshots
// proc_bes3t_*.png, proc_export_as_*.png and proc_not_in_file.png).

#include "AccessibleTree.h"
#include "ChecksStrip.h"
#include "DataProcRig.h"
#include "ExportAsDialog.h"
#include "NotInFileDialog.h"
#include "PublishedSpectra.h"
#include "Screenshot.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"
#include "StatusBar.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>

namespace {

const QList<QSize> ScreenSizes{{800, 600}, {1024, 768}, {1600, 1000}};

// The window at a screen size with a dialog over its middle, as the operator sees both.
void ShotWithDialog(QWidget& window, QDialog& dialog, QSize size, const QString& name)
{
    window.resize(size);
    QCoreApplication::processEvents();
    QImage image = window.grab().toImage();
    const QImage over = dialog.grab().toImage();
    QPainter(&image).drawImage((image.width() - over.width()) / 2, (image.height() - over.height()) / 2, over);
    QDir().mkpath(QStringLiteral("screenshots"));
    QVERIFY(image.save(QStringLiteral("screenshots/%1.png").arg(name)));
}

void Press(QWidget& window, const QString& button)
{
    QAccessibleInterface* node = FindAccessible(window, QAccessible::Button, button);
    QVERIFY2(node, qPrintable(button));
    QVERIFY(DoAccessibleAction(node, QAccessibleActionInterface::pressAction()));
}

} // namespace

class TestDataProcImport : public QObject {
    Q_OBJECT
private slots:
    void showsABes3tSpectrumOnItsOwnScale();
    void asksOnceForWhatTheFileDoesNotGive();
    void exportAsWritesTheChosenFormat();
};

void TestDataProcImport::showsABes3tSpectrumOnItsOwnScale()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC")));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));   // the file gives everything
    QCOMPARE(w.Series1->Count(), 1500);
    QCOMPARE(w.LResonance->text(), QStringLiteral("ESR"));
    QCOMPARE(w.LFrequency->text(), QStringLiteral("9 806 665.0 kHz"));
    QCOMPARE(w.LModAmp->text(), QStringLiteral("0.6 Gs"));
    QCOMPARE(w.LSweepR->text(), QStringLiteral("300.5 Gs"));
    QCOMPARE(w.LAcc->text(), QStringLiteral("31"));
    QCOMPARE(w.M2DerivativeTB->text(), QStringLiteral("G"));
    // The values (up to 0.297) on an axis of +-0.5, read to a count of it.
    QCOMPARE(w.DSrc->RightAxis().Maximum(), 0.5);
    QCOMPARE(w.DSrc->RightAxis().Minimum(), -0.5);
    QVERIFY2(w.XYST->text().contains(QRegularExpression(QStringLiteral("A: -?0\\.\\d{3} a\\.u\\."))), qPrintable(w.XYST->text()));
    const double before = w.SeriesLine0->YValue(0);
    rig.Click(w.Line0UpTB);
    QVERIFY(std::abs(w.SeriesLine0->YValue(0) - before - 0.001) < 1e-12);
    rig.Click(w.Line0DnTB);

    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    QCOMPARE(w.GVal->text().trimmed(), QStringLiteral("2.0054"));   // as meril-proc measures it
    QCOMPARE(w.DDst->RightAxis().Maximum(), 0.5);
    QVERIFY(!w.ChecksStrip->Lines().join(QLatin1Char(' ')).contains(QStringLiteral("limit")));
    for (const QSize& size : ScreenSizes) {
        w.resize(size);
        QCoreApplication::processEvents();
        rig.Draw();
        QVERIFY(!SaveScreenshot(w, QStringLiteral("proc_bes3t_%1x%2").arg(size.width()).arg(size.height())).isNull());
    }
}

// A text spectrum gives neither frequency nor modulation: asked once, a value
// not understood is told and asked again; the answers are offered next time,
// and a cancelled question loads the spectrum without them.
void TestDataProcImport::asksOnceForWhatTheFileDoesNotGive()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Op.ExpectModal([](QDialog& d) {
        auto& ask = dynamic_cast<TNotInFileDialog&>(d);
        QVERIFY(ask.FrequencyEdit->isVisible() && ask.ModAmpEdit->isVisible());
        ask.FrequencyEdit->setText(QStringLiteral("9.8 apples"));
        ask.ModAmpEdit->setText(QStringLiteral("1.2 G"));
        Press(d, QStringLiteral("OK"));
        QVERIFY(d.isVisible());
        QVERIFY2(ask.ProblemLab->text().contains(QStringLiteral("\"9.8 apples\" is no frequency")), qPrintable(ask.ProblemLab->text()));
        ask.FrequencyEdit->setText(QStringLiteral("9.806665 GHz"));
        SaveScreenshot(d, QStringLiteral("proc_not_in_file"));
        Press(d, QStringLiteral("OK"));
    });
    rig.Load(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.txt")));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(w.LResonance->text(), QStringLiteral("ESR"));
    QCOMPARE(w.LFrequency->text(), QStringLiteral("9 806 665.0 kHz"));
    QCOMPARE(w.LModAmp->text(), QStringLiteral("0.6 Gs"));
    QCOMPARE(w.M2DerivativeTB->text(), QStringLiteral("G"));

    rig.Op.ExpectModal([](QDialog& d) {
        QCOMPARE(dynamic_cast<TNotInFileDialog&>(d).FrequencyEdit->text(), QStringLiteral("9.806665 GHz"));
        Press(d, QStringLiteral("Cancel"));
    });
    rig.Load(PublishedSpectrum(QStringLiteral("TMPD_specelchem_accu_b.asc")));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(w.Series1->Count(), 2401);
    QCOMPARE(w.LResonance->text(), QStringLiteral("NMR"));
    QCOMPARE(w.M2DerivativeTB->text(), QStringLiteral("M2"));
    QVERIFY2(w.ChecksStrip->Lines().join(QLatin1Char(' ')).contains(QStringLiteral("open the file again")),
             qPrintable(w.ChecksStrip->Lines().join(QLatin1Char('\n'))));
}

void TestDataProcImport::exportAsWritesTheChosenFormat()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    QVERIFY(!w.MExportAs->isEnabled());
    rig.Load(rig.Write(QStringLiteral("dpph.dcw"), EsrHeader(), LorentzDerivative(1024, 20, 600)));
    const QString jdx = QDir(rig.OutDir()).filePath(QStringLiteral("chosen.jdx"));
    rig.Op.ExpectModal([&](QDialog& d) {
        auto& e = dynamic_cast<TExportAsDialog&>(d);
        QCOMPARE(e.FileEdit->text(), QDir::toNativeSeparators(QDir(rig.OutDir()).filePath(QStringLiteral("dpph.DSC"))));
        QVERIFY(e.WritesLab->text().contains(QStringLiteral("dpph.DSC")) && e.WritesLab->text().contains(QStringLiteral("dpph.DTA")));
        for (const QSize& size : ScreenSizes)
            ShotWithDialog(w, d, size, QStringLiteral("proc_export_as_%1x%2").arg(size.width()).arg(size.height()));
        Press(d, QStringLiteral("Browse"));
        QCOMPARE(rig.Op.FileDialogs.last().Filter, QStringLiteral("BES3T (.DSC, .DTA) (*.DSC)|*.DSC"));
        QCOMPARE(e.FileEdit->text(), QDir::toNativeSeparators(QDir(rig.OutDir()).filePath(QStringLiteral("chosen.DSC"))));
        // The format chosen with the keys, as with a screen reader, which
        // reads the box by its current choice.
        QVERIFY(FindAccessible(d, QAccessible::ComboBox, ExportFormatCaption(TExportFormat::Bes3t)));
        e.FormatCB->setFocus();
        QTest::keyClick(e.FormatCB, Qt::Key_Down);
        QTest::keyClick(e.FormatCB, Qt::Key_Down);
        QVERIFY(FindAccessible(d, QAccessible::ComboBox, ExportFormatCaption(TExportFormat::JcampDifDup)));
        QCOMPARE(e.FileEdit->text(), QDir::toNativeSeparators(jdx));
        Press(d, QStringLiteral("Export"));
    });
    rig.Op.ExpectFileDialog(QDir(rig.OutDir()).filePath(QStringLiteral("chosen.DSC")));
    w.MExportAs->trigger();
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    const std::span<const double> shown = w.Series1->YValues();
    QCOMPARE(TSpectrumArrays(ReadAnySpectrumFile(jdx)).Y, std::vector<double>(shown.begin(), shown.end()));
    QVERIFY(w.StatusBar->PanelText(1).startsWith(QStringLiteral("Exported as JCAMP-DX, compressed DIF/DUP (.jdx) to ")));

    // The same file again: replaced only when the operator agrees.
    for (const int answer : {int(mbNo), int(mbYes)}) {
        QFile old(jdx);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        rig.Op.ExpectModal([](QDialog& d) { Press(d, QStringLiteral("Export")); });
        rig.Op.ExpectMessage(QStringLiteral("chosen.jdx exists already. Replace it?"), answer);
        w.MExportAs->trigger();
        QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
        QCOMPARE(QFileInfo(jdx).size() == 3, answer == mbNo);
    }
}

QTEST_MAIN(TestDataProcImport)
#include "test_DataProcImport.moc"
