// The processing window: loading stored spectra, showing and closing, the
// text export, the picture, dropped files and the names the window gives
// its controls.

#include "DataProcRig.h"
#include "StatusBar.h"
#include "TextTable.h"

#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QUrl>

class TestDataProcLoad : public QObject {
    Q_OBJECT
private slots:
    void fieldSweepLabelsAndAxis();
    void frequencySweepLabelsAndAxis();
    void measurementCaptionByMode_data();
    void measurementCaptionByMode();
    void secondLoadSwitchesViewOff();
    void reopenKeepsCurveButEmptiesLabels();
    void unreadableFilesLeaveWindowAsItWas_data();
    void unreadableFilesLeaveWindowAsItWas();
    void openDialogLoadsChosenFileAndCancelChangesNothing();
    void ctrlOOpensAFile();
    void exportWritesTableNamedAfterFile();
    void exportFailureIsToldAndChangesNothing();
    void savePictureByExtension();
    void pictureNamedAfterSpectrumWithCaption();
    void droppedSpectrumLoads();
    void controlsNamedForAssistiveTechnology();
};

void TestDataProcLoad::fieldSweepLabelsAndAxis()
{
    TDataProcRig rig;
    const QString path = rig.Write(QStringLiteral("water.dcw"), NmrHeader(), LorentzDerivative(1024, 40));
    rig.Load(path);
    TFDataProc& w = rig.W;
    QCOMPARE(w.LResonance->text(), QStringLiteral("NMR 1H"));
    QCOMPARE(w.LSweepTp->text(), QStringLiteral("Field"));
    QCOMPARE(w.LSweepR->text(), QStringLiteral(" 100 Gs"));
    QCOMPARE(w.LModAmp->text(), QStringLiteral("0.025 Gs"));
    QCOMPARE(w.LSweepTime->text(), QStringLiteral("0.5 min"));
    QCOMPARE(w.LGain->text(), QStringLiteral("60"));
    QCOMPARE(w.LPhase->text(), QStringLiteral("180\u00b0"));
    QCOMPARE(w.LB0->text(), QStringLiteral("3 288.2 Gs"));
    QCOMPARE(w.LFrequency->text(), QStringLiteral("14 000.0 kHz"));
    QCOMPARE(w.LAcc->text(), QStringLiteral("1"));
    QCOMPARE(w.LComment->toPlainText(), QStringLiteral("water, 20 C"));
    QCOMPARE(w.StatusBar->PanelText(0), QStringLiteral("File: ") + path);
    QCOMPARE(w.Series1->Count(), 1024);
    QCOMPARE(w.SeriesLine0->Count(), 1024);
    QCOMPARE(w.DSrc->BottomAxis().Minimum(), -50.0);
    QCOMPARE(w.DSrc->BottomAxis().Maximum(), 50.0);
    QCOMPARE(w.DSrc->BottomAxis().Increment(), 25.0);
    QVERIFY(w.DSrc->BottomAxis().FormatLabel(-50).endsWith(QLatin1String("[Gs]")));
    for (QToolButton* b : {w.ExportATB, w.FDerivativeTB, w.AbsorptionTB, w.Line0DnTB, w.Line0UpTB, w.Line0LeftTB,
                           w.Line0RightTB})
        QVERIFY2(b->isEnabled(), qPrintable(b->accessibleName()));
    QVERIFY(w.MExportAscii->isEnabled());
    // The upper marker reads the spectrum above the baseline at the centre.
    QVERIFY(Marker2.Active);
    QVERIFY(w.XYST->text().startsWith(QLatin1String(" B: ")));
    QVERIFY(w.XYST->text().contains(QLatin1String(" Gs ")));
    QVERIFY(rig.Op.Problems().isEmpty());
}

void TestDataProcLoad::frequencySweepLabelsAndAxis()
{
    TDataProcRig rig;
    TDataHeader h = NmrHeader();
    h.SweepTp = 0;
    h.SweepR = 2500.5f;   // rounds to the even 2500
    rig.Load(rig.Write(QStringLiteral("freq.dcw"), h, LorentzDerivative(512, 20)));
    TFDataProc& w = rig.W;
    QCOMPARE(w.LSweepTp->text(), QStringLiteral("Frequency"));
    QCOMPARE(w.LSweepR->text(), QStringLiteral("2500 kHz"));
    QVERIFY(w.DSrc->BottomAxis().FormatLabel(100).endsWith(QLatin1String("[kHz]")));
    QCOMPARE(w.AxisUnitText(), QStringLiteral("kHz"));
    QVERIFY(w.XYST->text().startsWith(QLatin1String(" F: ")));
}

void TestDataProcLoad::measurementCaptionByMode_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("resonance");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("caption");
    QTest::newRow("v11 ESR") << 11 << "ESR" << "9 500 000.0 kHz" << "G";
    QTest::newRow("v11 NMR 1H") << 11 << "NMR 1H" << "14 000.0 kHz" << "M2";
    QTest::newRow("v11 both nuclei") << 11 << "NMR 1H &&19F" << "14 000.0 kHz" << "M2";
    QTest::newRow("v10 frequency 9...") << 10 << "" << "9 500 000.0 kHz" << "G";
    QTest::newRow("v10 frequency 1...") << 10 << "" << "14 000.0 kHz" << "M2";
}

void TestDataProcLoad::measurementCaptionByMode()
{
    QFETCH(int, version);
    QFETCH(QString, resonance);
    QFETCH(QString, frequency);
    QFETCH(QString, caption);
    TDataProcRig rig;
    TDataHeader h = NmrHeader();
    h.Resonance = resonance;
    h.Frequency = frequency;
    const auto sums = LorentzDerivative(256, 10);
    rig.Load(version == 10 ? rig.WriteV10(QStringLiteral("old.dcw"), h, sums)
                           : rig.Write(QStringLiteral("new.dcw"), h, sums));
    QCOMPARE(rig.W.M2DerivativeTB->text(), caption);
    QCOMPARE(rig.W.M2AbsorptionTB->text(), caption);
    QCOMPARE(rig.W.M2DerivativeTB->accessibleName(), caption);
    if (resonance == QLatin1String("NMR 1H &&19F"))
        QCOMPARE(rig.W.LResonance->text(), QStringLiteral("NMR 1H &19F"));
    // The view shows the panel of its measurement.
    rig.Click(rig.W.FDerivativeTB);
    QCOMPARE(rig.W.GPanel->isVisible(), caption == QLatin1String("G"));
    QCOMPARE(rig.W.M2Panel->isVisible(), caption == QLatin1String("M2"));
}

void TestDataProcLoad::secondLoadSwitchesViewOff()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString path = rig.Write(QStringLiteral("a.dcw"), NmrHeader(), LorentzDerivative(400, 20));
    rig.Load(path);
    rig.Click(w.AbsorptionTB);
    rig.Click(w.IntegralTB);
    QVERIFY(w.AbsorptionToolBar->isVisible());
    QVERIFY(w.Series2->Visible());
    QVERIFY(w.SeriesI->Count() > 0);
    rig.Load(rig.Write(QStringLiteral("b.dcw"), EsrHeader(), LorentzDerivative(300, 20)));
    QVERIFY(!w.AbsorptionTB->isChecked());
    QVERIFY(!w.IntegralTB->isChecked());
    QVERIFY(!w.AbsorptionToolBar->isVisible());
    QVERIFY(!w.AbsorptionPanel->isVisible());
    QVERIFY(!w.CursorsToolBar->isVisible());
    QVERIFY(!w.Series2->Visible());
    QCOMPARE(w.SeriesI->Count(), 0);
    QVERIFY(!w.ZoomTB->isEnabled());
    QVERIFY(!w.DstMarker.Active);
    QCOMPARE(w.Series1->Count(), 300);
    QCOMPARE(w.LResonance->text(), QStringLiteral("ESR"));
}

void TestDataProcLoad::reopenKeepsCurveButEmptiesLabels()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("a.dcw"), NmrHeader(), LorentzDerivative(400, 20)));
    rig.Click(w.FDerivativeTB);
    w.MExit->trigger();
    QVERIFY(w.isHidden());
    QVERIFY(!Marker2.Active);
    QVERIFY(!w.DstMarker.Active);
    w.show();
    QCoreApplication::processEvents();
    QCOMPARE(w.Series1->Count(), 400);           // the old curve stays drawn
    for (QLabel* l : {w.LResonance, w.LSweepTp, w.LSweepR, w.LModAmp, w.LSweepTime, w.LGain, w.LPhase, w.LB0,
                      w.LFrequency, w.LAcc, w.XYST})
        QVERIFY2(l->text().isEmpty(), qPrintable(l->accessibleName()));
    QVERIFY(w.LComment->toPlainText().isEmpty());
    QCOMPARE(w.StatusBar->PanelText(0), QStringLiteral("File: "));
    QVERIFY(!w.MExportAscii->isEnabled());
    QVERIFY(!w.ExportATB->isEnabled());
    QVERIFY(!w.FDerivativeTB->isEnabled());
    QVERIFY(!w.FDerivativeTB->isChecked());
    QVERIFY(!w.Line0UpTB->isEnabled());
    QVERIFY(!w.Series2->Visible());
}

void TestDataProcLoad::unreadableFilesLeaveWindowAsItWas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QByteArray wrongVersion = SpectrumFileBytes(NmrHeader(), LorentzDerivative(10, 2));
    wrongVersion[0] = 12;
    QTest::newRow("version") << wrongVersion << "file format error";
    QTest::newRow("cut header") << SpectrumFileBytes(NmrHeader(), LorentzDerivative(10, 2)).left(200)
                                << "ends inside its header";
    QTest::newRow("65536 points") << SpectrumFileBytes(NmrHeader(), std::vector<int32_t>(65536, 1)) << "65535";
}

// Whatever fails, the spectrum, its view and its labels stay as they were.
void TestDataProcLoad::unreadableFilesLeaveWindowAsItWas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString good = rig.Write(QStringLiteral("good.dcw"), NmrHeader(), LorentzDerivative(400, 20));
    rig.Load(good);
    rig.Click(w.FDerivativeTB);
    const auto before = rig.Ys(*w.Series2);
    const QString bad = QDir(rig.AcqDir()).filePath(QStringLiteral("bad.dcw"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    rig.Op.ExpectMessage(message);
    rig.Load(bad);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(w.Series1->Count(), 400);
    QVERIFY(w.FDerivativeTB->isChecked());
    QCOMPARE(rig.Ys(*w.Series2), before);
    QCOMPARE(w.LResonance->text(), QStringLiteral("NMR 1H"));
    QCOMPARE(w.StatusBar->PanelText(0), QStringLiteral("File: ") + good);
    QVERIFY(Marker2.Active);
}

void TestDataProcLoad::openDialogLoadsChosenFileAndCancelChangesNothing()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString path = rig.Write(QStringLiteral("a.dcw"), NmrHeader(), LorentzDerivative(400, 20));
    rig.Op.ExpectFileDialog(std::nullopt);
    w.FOpenTB->click();
    QCOMPARE(w.Series1->Count(), 0);
    QVERIFY(!w.ExportATB->isEnabled());
    rig.Op.ExpectFileDialog(path);
    w.MOpen->trigger();
    QCOMPARE(w.Series1->Count(), 400);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(rig.Op.FileDialogs.size(), 2);
    // The program's own files first, then the other formats.
    QVERIFY(rig.Op.FileDialogs[1].Filter.startsWith(QStringLiteral("Meril data file (*.dcw)|*.dcw|All spectra (")));
    QCOMPARE(rig.Op.FileDialogs[1].InitialDir, rig.AcqDir());
}

void TestDataProcLoad::ctrlOOpensAFile()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QString path = rig.Write(QStringLiteral("keys.dcw"), NmrHeader(), LorentzDerivative(300, 20));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    rig.Op.ExpectFileDialog(path);
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(w.Series1->Count(), 300);
    QCOMPARE(w.StatusBar->PanelText(0), QStringLiteral("File: ") + path);
}

void TestDataProcLoad::exportWritesTableNamedAfterFile()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    // 1024 points over 100 Gs, the first at (-50, 3).
    std::vector<int32_t> sums(1024, 0);
    sums[0] = 3;
    rig.Load(rig.Write(QStringLiteral("run.2.dcw"), NmrHeader(), sums));
    w.ExportATB->click();
    QFile f(QDir(rig.OutDir()).filePath(QStringLiteral("run.txt")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.startsWith("  -50.00                  3.00\r\n"));
    QCOMPARE(text.count("\r\n"), 1025);
    QVERIFY(text.endsWith("\r\n\r\n"));
    QCOMPARE(text, TextTableBytes(w.Series1->XValues(), w.Series1->YValues()));
    // The status line says what was written, with the full path.
    QCOMPARE(w.StatusBar->PanelText(1), QStringLiteral("Exported ASCII to ") + QFileInfo(f).absoluteFilePath());
    QCOMPARE(w.StatusBar->PanelText(0), QStringLiteral("File: ") + QDir(rig.AcqDir()).filePath(QStringLiteral("run.2.dcw")));
    // A second export replaces the first without a question.
    f.close();
    rig.Click(w.Line0UpTB);   // the baseline does not enter the table
    w.MExportAscii->trigger();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), text);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcLoad::exportFailureIsToldAndChangesNothing()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("a.dcw"), NmrHeader(), LorentzDerivative(100, 5)));
    rig.Click(w.FDerivativeTB);
    w.SetDirectories(rig.AcqDir(), rig.Dir.filePath(QStringLiteral("missing")));
    rig.Op.ExpectMessage(QStringLiteral("a.txt"));
    w.ExportATB->click();
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(w.StatusBar->PanelText(1), QString());   // nothing written, nothing said
    QVERIFY(!QFile::exists(rig.Dir.filePath(QStringLiteral("missing/a.txt"))));
    QVERIFY(w.FDerivativeTB->isChecked());
    QVERIFY(w.Series2->Visible());
    QVERIFY(w.ExportATB->isEnabled());
}

void TestDataProcLoad::savePictureByExtension()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("a.dcw"), NmrHeader(), LorentzDerivative(400, 20)));
    rig.Click(w.AbsorptionTB);
    const struct {
        const char* Name;
        QByteArray Start;
    } kinds[] = {{"both.png", "\x89PNG"}, {"both.pdf", "%PDF"}, {"both.svg", "<?xml"}};
    for (const auto& kind : kinds) {
        const QString path = QDir(rig.OutDir()).filePath(QLatin1String(kind.Name));
        rig.Op.ExpectFileDialog(path);
        w.MSavePicture->trigger();
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), kind.Name);
        QVERIFY2(f.read(5).startsWith(kind.Start), kind.Name);
        QVERIFY(f.size() > 1000);
    }
    QImage png(QDir(rig.OutDir()).filePath(QStringLiteral("both.png")));
    // The charts, then the caption block: white, with dark text in it.
    const int charts = w.DSrc->height() + w.DDst->height();
    const int captionHeight = png.height() - charts;
    QVERIFY(captionHeight >= 3 * png.devicePixelRatio() * QFontMetrics(w.font()).lineSpacing());
    int dark = 0, white = 0;
    for (int y = charts; y < png.height(); ++y)
        for (int x = 0; x < png.width(); x += 2) {
            const QColor c = png.pixelColor(x, y);
            dark += c.lightness() < 100;
            white += c == Qt::white;
        }
    QVERIFY(dark > 100);
    QVERIFY(white > dark);
    QCOMPARE(w.StatusBar->PanelText(1),
             QStringLiteral("Saved picture ") + QDir(rig.OutDir()).filePath(QStringLiteral("both.svg")));
    QFile svg(QDir(rig.OutDir()).filePath(QStringLiteral("both.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();   // drawn as lines and texts, not as a picture
    QVERIFY(svgText.contains("<polyline"));
    QVERIFY(svgText.contains("<text"));
    QVERIFY(!svgText.contains("<image"));
    // What was written is of this spectrum: another load takes the text away.
    rig.Load(rig.Write(QStringLiteral("b.dcw"), NmrHeader(), LorentzDerivative(400, 20)));
    QCOMPARE(w.StatusBar->PanelText(1), QString());
    // A folder that does not exist: told, nothing else.
    rig.Op.ExpectFileDialog(rig.Dir.filePath(QStringLiteral("missing/x.png")));
    rig.Op.ExpectMessage(QStringLiteral("x.png"));
    w.MSavePicture->trigger();
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(rig.Op.FileDialogs.first().InitialDir, rig.OutDir());
}

// Save Picture proposes the spectrum's name, in the folder used last; the
// caption names the file, its settings and the values shown.
void TestDataProcLoad::pictureNamedAfterSpectrumWithCaption()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("water.dcw"), NmrHeader(), LorentzDerivative(400, 20)));
    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    rig.Op.ExpectFileDialog(std::nullopt);
    w.MSavePicture->trigger();
    QCOMPARE(rig.Op.FileDialogs.last().FileName, QDir(rig.OutDir()).filePath(QStringLiteral("water.png")));
    QCOMPARE(w.StatusBar->PanelText(1), QString());   // cancelled: nothing said

    const QStringList caption = w.PictureCaptionLines();
    QCOMPARE(caption.value(0), QStringLiteral("water.dcw    NMR 1H"));
    QCOMPARE(caption.value(1), QStringLiteral("B0 3 288.2 Gs    Frequency 14 000.0 kHz    2nd Mod Amplit 0.025 Gs"));
    QCOMPARE(caption.value(2), QStringLiteral("Sweep Field 100 Gs, 0.5 min    Acc 1"));
    QVERIFY2(caption.value(3).startsWith(QStringLiteral("M2 = ") + w.M2Val->text().trimmed()), qPrintable(caption.value(3)));
    QVERIFY(caption.value(3).contains(QStringLiteral("M4 = ") + w.M4Val->text().trimmed()));
    QVERIFY(w.M4Val->text().endsWith(QStringLiteral("Gs\u2074")));
    QVERIFY(!caption.join(QLatin1Char(' ')).contains(QStringLiteral("SDB")));   // empty: left out
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcLoad::droppedSpectrumLoads()
{
    TDataProcRig rig;
    const QString path = rig.Write(QStringLiteral("dropped.dcw"), EsrHeader(), LorentzDerivative(300, 20));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QDir(rig.AcqDir()).filePath(QStringLiteral("notes.txt"))),
                  QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.W, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.W, &drop);
    QCOMPARE(rig.W.Series1->Count(), 300);
    QCOMPARE(rig.W.StatusBar->PanelText(0), QStringLiteral("File: ") + path);
    // The export is named after the dropped file.
    rig.W.ExportATB->click();
    QVERIFY(QFile::exists(QDir(rig.OutDir()).filePath(QStringLiteral("dropped.txt"))));

    // Text files may be spectra; a document is not.
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(QDir(rig.AcqDir()).filePath(QStringLiteral("notes.odt")))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(&rig.W, &refused);
    QVERIFY(!refused.isAccepted());
}

void TestDataProcLoad::controlsNamedForAssistiveTechnology()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    const QStringList buttons = {"Open File", "Export ASCII", "1st Derivative", "Absorption", "Setup & Acq", "HZ",
                                 "UZ", "VE", "M2", "SDB", "HDB", "Integral", "LC", "MC", "RC", "Baseline down",
                                 "Baseline up", "Baseline left", "Baseline right"};
    QStringList named;
    for (const QToolButton* b : w.findChildren<QToolButton*>())
        named << b->accessibleName();
    for (const QString& name : buttons)
        QVERIFY2(named.contains(name), qPrintable(name));
    const QStringList labels = {"Mode", "Sweep", "Sweep range", "2nd Mod Amplit", "Sweep time", "Gain", "Phase",
                                "B0", "Frequency", "Acc", "M2", "M2L", "M2R", "M4", "G", "SDB", "AI",
                                "Integral LC", "Integral RC", "Spectrum readout", "Processed readout"};
    QStringList labelNames;
    for (const QLabel* l : w.findChildren<QLabel*>())
        labelNames << l->accessibleName();
    for (const QString& name : labels)
        QVERIFY2(labelNames.contains(name), qPrintable(name));
    QCOMPARE(w.LComment->accessibleName(), QStringLiteral("Comment"));
    QCOMPARE(w.DSrc->accessibleName(), QStringLiteral("Spectrum chart"));
    QCOMPARE(w.DDst->accessibleName(), QStringLiteral("Processed chart"));
    // "Setup & Acq" brings the main window forward through the program's hook.
    int asked = 0;
    w.OnSetupAcq = [&] { ++asked; };
    w.SetupTB->click();
    QCOMPARE(asked, 1);
}

QTEST_MAIN(TestDataProcLoad)
#include "test_DataProcLoad.moc"
