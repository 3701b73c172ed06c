// The processing window within the program: reached from the main window,
// opened with a spectrum file (meril FILE.dcw, a file dropped on the main
// window), and a spectrum acquired on the simulator, stored, opened and
// measured.

#include "FCWHarness.h"
#include "SampleSpectra.h"
#include "StatusBar.h"
#include "UDataProc.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>

class TestDataProcProgram : public QObject {
    Q_OBJECT
private slots:
    void processingCommandsShowItMaximized();
    void setupAndAcqBringsMainWindowBack();
    void acquiredSpectrumIsOpenedAndMeasured();
    void fileDroppedOnMainWindowOpensInProcessing();
};

void TestDataProcProgram::processingCommandsShowItMaximized()
{
    TFCWHarness h;
    TFDataProc& p = *h.Windows->FDataProc;
    QVERIFY(p.isHidden());
    h.FCW().DProcTB->click();
    QVERIFY(p.isVisible());
    QVERIFY(p.windowState() & Qt::WindowMaximized);
    QCOMPARE(p.StatusBar->PanelText(0), QStringLiteral("File: "));
    p.MExit->trigger();
    QVERIFY(p.isHidden());
    h.FCW().MDataprocessing->trigger();
    QVERIFY(p.isVisible());
    QVERIFY(p.windowState() & Qt::WindowMaximized);
    QVERIFY2(h.Operator.Problems().isEmpty(), qPrintable(h.Operator.Problems()));
}

void TestDataProcProgram::setupAndAcqBringsMainWindowBack()
{
    TFCWHarness h;
    h.FCW().show();
    h.FCW().DProcTB->click();
    h.FCW().showMinimized();
    QTRY_VERIFY(h.FCW().isMinimized());
    h.Windows->FDataProc->SetupTB->click();
    QTRY_VERIFY(!h.FCW().isMinimized());
    QVERIFY(h.FCW().isVisible());
}

void TestDataProcProgram::acquiredSpectrumIsOpenedAndMeasured()
{
    QTemporaryDir acq;
    TFCWHarness h({acq.path(), acq.path(), acq.path(), QStringLiteral("COM1")});
    TInstrumentConfig c = h.Instrument().Config();
    c.Points = 256;
    h.Instrument().Configure(c);
    QVERIFY(h.Connect());
    h.FCW().FNameEdit->setText(QStringLiteral("run1"));
    QVERIFY(h.RunToEnd());
    const QString path = acq.filePath(QStringLiteral("run1.dcw"));
    QVERIFY(QFile::exists(path));

    TFDataProc& p = *h.Windows->FDataProc;
    h.FCW().DProcTB->click();
    h.Operator.ExpectFileDialog(path);
    p.FOpenTB->click();
    QVERIFY2(h.Operator.Problems().isEmpty(), qPrintable(h.Operator.Problems()));
    QCOMPARE(h.Operator.FileDialogs.last().InitialDir, acq.path());
    QCOMPARE(p.Series1->Count(), 256);
    QCOMPARE(p.StatusBar->PanelText(0), QStringLiteral("File: ") + path);
    for (QRadioButton* mode : h.FCW().ModeButtons)
        if (mode->isChecked())
            QCOMPARE(p.LResonance->text(), QString(mode->text()).replace(QLatin1String("&&"), QLatin1String("&")));
    QVERIFY(!p.LSweepR->text().isEmpty());
    p.FDerivativeTB->click();
    p.M2DerivativeTB->click();
    p.DSrc->RepaintNow();
    p.DDst->RepaintNow();
    QVERIFY(p.M2Val->text().contains(QStringLiteral("Gs \u00b2")));
    p.ExportATB->click();
    QVERIFY(QFile::exists(acq.filePath(QStringLiteral("run1.txt"))));
}

void TestDataProcProgram::fileDroppedOnMainWindowOpensInProcessing()
{
    QTemporaryDir dir;
    TFCWHarness h;
    const QString path = dir.filePath(QStringLiteral("dropped.dcw"));
    WriteSpectrumFile(path, EsrHeader(), std::vector<int32_t>(100, 5));
    h.FCW().show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h.FCW(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h.FCW(), &drop);
    TFDataProc& p = *h.Windows->FDataProc;
    QVERIFY(p.isVisible());
    QVERIFY(p.windowState() & Qt::WindowMaximized);
    QCOMPARE(p.Series1->Count(), 100);
    QCOMPARE(p.M2DerivativeTB->text(), QStringLiteral("G"));
    // meril FILE.dcw takes the same road.
    p.MExit->trigger();
    OpenInProcessing(*h.Windows, path);
    QVERIFY(p.isVisible());
    QCOMPARE(p.StatusBar->PanelText(0), QStringLiteral("File: ") + path);
    QVERIFY2(h.Operator.Problems().isEmpty(), qPrintable(h.Operator.Problems()));
}

QTEST_MAIN(TestDataProcProgram)
#include "test_DataProcProgram.moc"
