// What helps the operator at the instrument: the run's progress in the status
// line, the keys of the run and of the marker, and the view remembered from
// one session to the next.

#include "Chart.h"
#include "DataFile.h"
#include "DlgBox1.h"
#include "FCWHarness.h"
#include "SampleSpectra.h"
#include "StatusBar.h"
#include "UDataProc.h"
#include "UMMarker.h"
#include "UpDown.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <vector>

namespace {

// The progress text in the status line; empty while none is shown.
QString Progress(const TFCWHarness& h)
{
    const QProgressBar* bar = h.FCW().RunProgressBar;
    return bar->isVisible() ? bar->format() : QString();
}

QByteArray Values(int n)
{
    QByteArray lines;
    for (int i = 0; i < n; ++i)
        lines += "V 00001000\r";
    return lines;
}

void Activate(QWidget& w)
{
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

class TestFCWOperatorAids : public QObject {
    Q_OBJECT

private slots:
    void progressThroughAScriptedRun()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().AccUpDown->Click(TUpDown::btNext);   // two passes of 30 s (sweep time position 1)
        QCOMPARE(Progress(h), QString());
        h.FCW().StartToolB->click();
        h.Feed("A0010\rB\r" + Values(4));
        // A quarter of the first pass: 22.5 s of it and the whole second pass to come.
        QTRY_COMPARE(Progress(h), QStringLiteral("pass 1 of 2 \u00b7 4/16 \u00b7 0:53 left"));
        QCOMPARE(h.FCW().RunProgressBar->value(), 12);
        // On its own line above the panels, which keep their texts.
        QVERIFY(h.FCW().RunProgressBar->geometry().bottom() < h.FCW().StatusBar->geometry().top());
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 1 of 2"));

        const QRect abortBefore = h.FCW().AbortToolB->geometry();
        h.Feed("H1\r");
        QTRY_COMPARE(Progress(h), QStringLiteral("pass 1 of 2 \u00b7 4/16 \u00b7 on hold"));
        // "Continue" takes no more room than "Hold" did: Abort stays under the mouse.
        QCOMPARE(h.FCW().HoldToolB->text(), QStringLiteral("Continue"));
        QCOMPARE(h.FCW().AbortToolB->geometry(), abortBefore);
        h.Feed("H0\r" + Values(12) + "C\rD\r");
        QCOMPARE(h.Script().Sent().right(3), QByteArray("F1\r"));   // the second pass is asked for
        h.Feed("A0010\rB\r" + Values(8));
        QTRY_COMPARE(Progress(h), QStringLiteral("pass 2 of 2 \u00b7 8/16 \u00b7 0:15 left"));

        // The run ends: the indicator stops and clears.
        h.Feed(Values(8) + "C\rD\r");
        QCOMPARE(h.Run().State(), int(esFinished));
        QTRY_COMPARE(Progress(h), QString());
        QVERIFY(!h.FCW().RunProgressTimer->isActive());
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 2 of 2"));
    }

    void progressInLoopModeAndOnAbort()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().LoopRB->click();
        h.FCW().StartToolB->click();
        h.Feed("A0010\rB\r" + Values(16) + "C\rD\r");
        h.Feed("A0010\rB\r" + Values(16) + "C\rD\r");
        h.Feed("A0010\rB\r" + Values(4));
        // The pass counter of a loop stays at 1; the indicator counts the passes.
        QTRY_COMPARE(Progress(h), QStringLiteral("pass 3, loop \u00b7 4/16 \u00b7 0:23 left"));
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 1 of 1"));
        h.Feed("F\r");
        QTRY_COMPARE(Progress(h), QString());
        h.Feed("D\r");
        QCOMPARE(h.Run().State(), int(esAborted));
        // The next run counts from 1 again.
        h.FCW().StartToolB->click();
        h.Feed("A0010\rB\r");
        QTRY_COMPARE(Progress(h), QStringLiteral("pass 1, loop \u00b7 0/16 \u00b7 0:30 left"));
    }

    void runKeysAct()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        Activate(h.FCW());
        QCOMPARE(h.FCW().MStart->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(h.FCW().MDataprocessing->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(h.FCW().MSaveas->shortcut(), QKeySequence(QKeySequence::Save));
        QTest::keyClick(&h.FCW(), Qt::Key_F5);
        QCOMPARE(h.Script().Sent(), QByteArray("F1\r"));
        h.Script().ClearSent();
        h.Feed("A0010\rB\r");
        // The run's menu items follow their buttons: Start is off during a run.
        QVERIFY(!h.FCW().MStart->isEnabled());
        QTest::keyClick(&h.FCW(), Qt::Key_F5);
        QCOMPARE(h.Script().Sent(), QByteArray());
        QTest::keyClick(&h.FCW(), Qt::Key_F6);
        QCOMPARE(h.Script().Sent(), QByteArray("Q1\r"));
        h.Script().ClearSent();
        QTest::keyClick(&h.FCW(), Qt::Key_Escape);
        QCOMPARE(h.Script().Sent(), QByteArray("N\r"));
        h.Script().ClearSent();
        h.Feed("F\rD\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment aborted - ready"));
        QVERIFY(h.FCW().MStart->isEnabled());

        // Alt+F opens the File menu; Escape closes it again.
        auto* file = qobject_cast<QMenu*>(h.FCW().MExit->parent());
        QVERIFY(file);
        QTest::keyClick(&h.FCW(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        QCOMPARE(h.Script().Sent(), QByteArray());   // the menu's Escape is not Abort
    }

    void tabReachesGainAndPhase()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        Activate(h.FCW());
        h.FCW().GainScrollBar->setFocus();
        QVERIFY(h.FCW().GainScrollBar->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.FCW().PhaseScrollBar);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.FCW().TuningB0Val);   // takes a typed value
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.FCW().TuningB0UpDown);
        // The focused arrows are framed: their picture changes with the focus.
        const QImage focused = h.FCW().TuningB0UpDown->grab().toImage();
        h.FCW().GainScrollBar->setFocus();
        QVERIFY(h.FCW().TuningB0UpDown->grab().toImage() != focused);
    }

    void valueBoxFollowsItsArrowsOnHold()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        h.Feed("A0010\rB\r");
        QVERIFY(!h.FCW().ModAmpVal->isEnabled());
        h.Feed("H1\r");
        QVERIFY(h.FCW().ModAmpUpDown->isEnabled());
        QVERIFY(h.FCW().ModAmpVal->isEnabled());
        h.Feed("H0\r");
        QVERIFY(!h.FCW().ModAmpUpDown->isEnabled());
        QVERIFY(!h.FCW().ModAmpVal->isEnabled());
    }

    void markerMovedByKeys()
    {
        TFCWHarness h;
        TInstrumentConfig c = h.Instrument().Config();
        c.Points = 200;
        h.Instrument().Configure(c);
        QVERIFY(h.Connect());
        QVERIFY(h.RunToEnd());
        Activate(h.FCW());
        h.FCW().Fid->RepaintNow();
        // A click on the chart gives it the keys (and steps the marker once).
        QWidget* plot = h.FCW().Fid->childAt(h.FCW().Fid->rect().center());
        QVERIFY(plot);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(5, 5));
        QWidget* focused = QApplication::focusWidget();
        QVERIFY2(focused == h.FCW().Fid || h.FCW().Fid->isAncestorOf(focused),
                 focused ? focused->metaObject()->className() : "none");
        h.FCW().Fid->RepaintNow();
        const TChartSeries& s = h.CurrentPass();
        const int start = Marker1.GetIndex();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(Marker1.GetIndex(), start + 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(Marker1.GetIndex(), start - 9);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QCOMPARE(Marker1.GetIndex(), s.FirstValueIndex());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(Marker1.GetIndex(), s.FirstValueIndex());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QCOMPARE(Marker1.GetIndex(), s.LastValueIndex());
        // The readout follows, as with the mouse.
        h.FCW().Fid->RepaintNow();
        QVERIFY(h.FCW().XYST->text().startsWith(QStringLiteral(" F: 25.00 kHz")));

        // A horizontal marker moves up and down by pixels.
        h.FCW().HorizMTB->click();
        h.FCW().Fid->RepaintNow();
        const int level = Marker1.Level;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(Marker1.Level, level - 10);
    }

    void viewRememberedByTheNextSession()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("view.ini"));
        const QString setups = dir.filePath(QStringLiteral("setups"));
        QVERIFY(QDir().mkpath(setups));
        const QString spectra = dir.filePath(QStringLiteral("spectra"));
        const QString pictures = dir.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(spectra) && QDir().mkpath(pictures));
        const QString spectrum = spectra + QStringLiteral("/water.dcw");
        WriteSpectrumFile(spectrum, NmrHeader(), std::vector<int32_t>(256, 100));
        QSize procSize;
        const auto open = [&] {
            TFCWOptions options;
            options.Link = std::make_unique<TScriptLink>();
            options.ProgramDir = dir.path() + QLatin1Char('/');
            options.ShowSplash = false;
            options.ViewSettingsPath = settings;
            return CreateWindows(std::move(options));
        };
        {
            TScriptedOperator op;
            const auto first = open();
            TFCW& w = *first->FCW;
            w.setWindowState(Qt::WindowNoState);
            w.setGeometry(40, 50, 900, 640);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            TFCWHarness::Choose(w.CurrDiagramCBox, 3);
            w.AccDToolB->click();
            // V and H stay disabled until a run has finished; the choice is kept all the same.
            w.HorizMTB->setChecked(true);
            procSize = first->FDataProc->minimumSizeHint().expandedTo(QSize(500, 400)) + QSize(37, 23);
            first->FDataProc->resize(procSize);
            op.ExpectFileDialog(setups + QStringLiteral("/mine.cfg"));
            w.MSavesetupas->trigger();
            // The processing window's open dialog starts in the acquisition
            // folder while it remembers nothing; a spectrum from elsewhere is opened.
            TFDataProc& proc = *first->FDataProc;
            op.ExpectFileDialog(spectrum);
            proc.MOpen->trigger();
            QVERIFY2(proc.Loaded(), qPrintable(op.Problems()));
            QCOMPARE(op.FileDialogs.last().InitialDir, proc.AcqDir());
            QCOMPARE(op.FileDialogs.last().FileName, QString());
            op.ExpectFileDialog(pictures + QStringLiteral("/charts.png"));
            proc.MSavePicture->trigger();
            QVERIFY(QFileInfo::exists(pictures + QStringLiteral("/charts.png")));
            QVERIFY2(op.Problems().isEmpty(), qPrintable(op.Problems()));
            QVERIFY(w.close());
        }
        QVERIFY(QFileInfo::exists(settings));
        // MERIL.INI keeps its ten lines and nothing of the view.
        QFile ini(dir.filePath(QStringLiteral("MERIL.INI")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll().count("\r\n"), 10);

        const auto second = open();
        TFCW& w = *second->FCW;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowState() & Qt::WindowMaximized, Qt::WindowNoState);
        QCOMPARE(w.size(), QSize(900, 640));
        QCOMPARE(w.CurrDiagramCBox->currentIndex(), 3);
        QVERIFY(w.MAccDiagram->isChecked());
        QVERIFY(w.AccDToolB->isChecked());
        QVERIFY(w.HorizMTB->isChecked());
        QVERIFY(!w.VertMTB->isChecked());
        // The setup dialog opens where the last setup was saved.
        {
            TScriptedOperator op;
            op.ExpectFileDialog(std::nullopt);
            w.MSavesetupas->trigger();
            QCOMPARE(op.FileDialogs.last().FileName, setups + QStringLiteral("/mine.cfg"));
        }
        // The processing window keeps its size too, and its dialogs open
        // where their last files were.
        TFDataProc& proc = *second->FDataProc;
        QCOMPARE(proc.size(), procSize);
        {
            TScriptedOperator op;
            op.ExpectFileDialog(std::nullopt);
            proc.MOpen->trigger();
            QCOMPARE(op.FileDialogs.last().FileName, spectrum);
            QVERIFY(!proc.Loaded());
            op.ExpectFileDialog(std::nullopt);
            proc.MSavePicture->trigger();
            QCOMPARE(op.FileDialogs.last().FileName, pictures + QStringLiteral("/charts.png"));
            QVERIFY2(op.Problems().isEmpty(), qPrintable(op.Problems()));
        }
        w.setWindowState(Qt::WindowMaximized);
        QVERIFY(w.close());
        const auto third = open();
        QVERIFY(third->FCW->windowState() & Qt::WindowMaximized);
        third->FCW->close();
    }

    // The comment entry opened by a double click on the comment field gives
    // the keyboard back: F5 pressed next starts the run.
    void keyAfterTheCommentEntryIsNotLost_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("comment");
        QTest::newRow("OK") << true << "water, 20 C";
        QTest::newRow("Cancel") << false << "";
    }
    void keyAfterTheCommentEntryIsNotLost()
    {
        QFETCH(bool, ok);
        QFETCH(QString, comment);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        Activate(w);
        h.Operator.ExpectModal([ok](QDialog& d) {
            auto& box = static_cast<TMDialogBox&>(d);
            QTest::keyClicks(box.DlgBoxEdit, QStringLiteral("water, 20 C"));
            (ok ? box.DlgBoxOK : box.DlgBoxCancel)->click();
            // Without a window manager nothing is active once the dialog is gone.
            QCoreApplication::processEvents();
            QApplication::setActiveWindow(nullptr);
        });
        QTest::mouseDClick(w.CommentEdit, Qt::LeftButton);
        QCOMPARE(h.Operator.Problems(), QString());
        QCOMPARE(w.CommentEdit->text(), comment);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.CommentEdit);
        QTest::keyClick(w.CommentEdit, Qt::Key_F5);
        QCOMPARE(h.Script().Sent(), QByteArray("F1\r"));
    }
};

QTEST_MAIN(TestFCWOperatorAids)
#include "test_FCWOperatorAids.moc"
