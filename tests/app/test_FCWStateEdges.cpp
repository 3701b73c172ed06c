// Edges of the main window's state found against the instrument: controls
// read by their own enabled flag while the window is locked, the current
// direction menu, the marker buttons before a run, ESR without frequency
// sweep, Abort as a pass ends, and spectra that would be lost unasked or
// on a stop signal.

#include "Chart.h"
#include "DataFile.h"
#include "FCWHarness.h"
#include "UpDown.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFCWStateEdges : public QObject {
    Q_OBJECT

private slots:
    // From the X line to the next timer tick the window is locked; the mode
    // buttons and the name fields keep their own state meanwhile.
    void fieldSourceWhileTheWindowIsLocked()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.MLink->trigger();
        h.Feed("X07FF07FF\r");
        QVERIFY(w.Spectrometer().Connected());
        QVERIFY(!w.isEnabled());
        h.Script().ClearSent();
        h.Feed("M01\r");   // electromagnet: NMR allowed, ESR not
        QVERIFY(w.HydrogenRB->isChecked());
        QVERIFY(!w.EPRResRB->isEnabledTo(&w));
        QVERIFY(w.HydrogenRB->isEnabledTo(&w));
        const QString sent = QString::fromLatin1(h.Script().Sent());
        QVERIFY2(sent.endsWith(QStringLiteral("E00\rH000\rP0\rS1\r")), qPrintable(sent));
        QVERIFY(!sent.contains(QStringLiteral("P1")));
        // A setup of ESR opened in the same interval comes up in an allowed mode too.
        SetupRecord esr;
        esr.Mode = 3;
        const QString path = h.PathIn(QStringLiteral("esr.cfg"));
        QVERIFY(SaveSetupFile(path, esr));
        h.Script().ClearSent();
        h.Operator.ExpectFileDialog(path);
        w.MOpensetup->trigger();
        QVERIFY(w.HydrogenRB->isChecked());
        QVERIFY(!QString::fromLatin1(h.Script().Sent()).contains(QStringLiteral("P1")));
        h.Tick();
        QVERIFY(w.isEnabled());
        QVERIFY(w.FNameEdit->isEnabled());
        QVERIFY(w.CommentEdit->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void ignoredConnectionLeavesTheNameFieldsUsable()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        for (int i = 0; i < 4; ++i)
            h.Tick();
        h.Operator.ExpectMessage(QStringLiteral("Device not ready"), mbIgnore);
        h.Tick();
        QVERIFY(h.FCW().isEnabled());
        QVERIFY(h.FCW().FNameEdit->isEnabled());
        QVERIFY(h.FCW().CommentEdit->isEnabled());
        QVERIFY(h.FCW().HydrogenRB->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void currentDirectionFromTheMenu()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.MLink->trigger();
        h.Feed("Z00422.0\rX07FF07FF\r");
        h.Tick();
        h.Feed("M04\r");
        h.Script().ClearSent();
        QMenu* menu = w.MCurrentdirection;
        const auto choose = [&](QAction* item) {
            menu->popup(w.mapToGlobal(QPoint(10, 10)));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
            QTRY_VERIFY(!menu->isVisible());
        };
        choose(w.MCDirREV);
        QCOMPARE(h.TakeSent(), QStringLiteral("S0|"));
        QVERIFY(w.MCDirREV->isChecked());
        choose(w.MCDirFWD);
        QCOMPARE(h.TakeSent(), QStringLiteral("S1|"));
        QVERIFY(w.MCDirFWD->isChecked());
    }

    void markersAndDBWaitForAFinishedRun()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        QVERIFY(!w.VertMTB->isEnabled());
        QVERIFY(!w.HorizMTB->isEnabled());
        QVERIFY(!w.DHToolB->isEnabled());
        h.ConnectScripted();
        QVERIFY(!w.HorizMTB->isEnabled());
        w.StartToolB->click();
        h.Feed("A0003\rB\rV 00000000\rV 00034BC0\rV 00000000\rC\rD\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));
        QVERIFY(w.VertMTB->isEnabled());
        QVERIFY(w.HorizMTB->isEnabled());
        QVERIFY(w.DHToolB->isEnabled());
    }

    // Coils only and the built-in setup, which sweeps frequency: ESR has no
    // frequency sweep, so the field is swept.
    void esrSetupWithFrequencySweepSweepsTheField()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        QVERIFY(w.FreqSwRngRB->isChecked());
        w.MLink->trigger();
        h.Feed("X07FF07FF\r");
        h.Tick();
        h.Feed("M02\r");
        QVERIFY(w.EPRResRB->isChecked());
        QVERIFY(w.FieldSwRngRB->isChecked());
        QVERIFY(!w.FreqSwRngRB->isChecked());
        QVERIFY(!w.FreqSwRngRB->isEnabled());
        QVERIFY(w.Fid->BottomAxis().ValueFormat().endsWith(QStringLiteral("[Gs]")));
        h.Script().ClearSent();
        w.StartToolB->click();
        QCOMPARE(h.TakeSent(), QStringLiteral("F0|"));
    }

    // Abort has something to end only from Start to the end of the run;
    // pressed while idle it once let a finished run be continued and rewritten.
    void abortIsOfferedWhileARunIsInProgressOnly()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        QVERIFY(!w.AbortToolB->isEnabled());
        QVERIFY(!w.MAbort->isEnabled());
        w.StartToolB->click();
        QVERIFY(w.AbortToolB->isEnabled());   // before the instrument answers too
        QVERIFY(w.MAbort->isEnabled());
        h.Feed("A0002\rB\rV 00000000\rV 00000000\rC\rD\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QVERIFY(!w.AbortToolB->isEnabled());
        QVERIFY(!w.MAbort->isEnabled());
    }

    void abortAsAPassEndsStartsNoNewPass()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.LoopRB->click();
        w.StartToolB->click();
        h.Feed("A0002\rB\rV 00000000\rV 00000000\rC\r");
        w.AbortToolB->click();          // the instrument has finished the pass: it ignores N
        h.Feed("D\r");
        QCOMPARE(h.TakeSent(), QStringLiteral("F1|N|"));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment aborted - ready"));
        QVERIFY(w.StartToolB->isEnabled());
        QVERIFY(w.GainScrollBar->isEnabled());
        // Late replies change nothing: still no pass.
        h.Feed("F\rD\r");
        QCOMPARE(h.TakeSent(), QString());
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment aborted - ready"));
        QVERIFY(w.close());   // an aborted Loop run leaves nothing to store
    }

    void saveDataAsAsksBeforeReplacingAStoredSpectrum()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.StartToolB->click();
        h.Feed("A0003\rB\rV 00000000\rV 00034BC0\rV 00000000\rC\rD\r");
        const QString path = h.PathIn(QStringLiteral("stored.dcw"));
        QFile other(path);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("an earlier spectrum");
        other.close();

        h.Operator.ExpectFileDialog(path);
        h.Operator.ExpectMessage(QStringLiteral("\"stored.dcw\" file exists. Overwrite ?"), mbNo);
        w.MSaveas->trigger();
        QCOMPARE(FileBytes(path), QByteArray("an earlier spectrum"));

        h.Operator.ExpectFileDialog(path);
        h.Operator.ExpectMessage(QStringLiteral("\"stored.dcw\" file exists. Overwrite ?"), mbYes);
        w.MSaveas->trigger();
        QCOMPARE(ReadSpectrumFile(path).Points.size(), size_t(3));
        QCOMPARE(h.Panel(1), QStringLiteral("Last Data Saved In: stored.dcw"));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void closingAsksOnceForASpectrumStoredNowhere_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no name typed") << QString();
        QTest::newRow("overwrite declined") << QStringLiteral("taken");
    }

    void closingAsksOnceForASpectrumStoredNowhere()
    {
        QFETCH(QString, name);
        TFCWHarness h({QString(), QString(), QString(), QStringLiteral("COM1")}, 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.FNameEdit->setText(name);
        w.StartToolB->click();
        // The file appears while the run is on.
        QFile file(h.PathIn(QStringLiteral("taken.dcw")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        if (!name.isEmpty())
            h.Operator.ExpectMessage(QStringLiteral("\"taken.dcw\" file exists. Overwrite ?"), mbNo);
        h.Feed("A0002\rB\rV 00000000\rV 00000000\rC\rD\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));

        const QString question = QStringLiteral("The last spectrum is not saved. Close anyway?");
        h.Operator.ExpectMessage(question, mbNo);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        // Stored by "Save data as ...": the window closes without a question.
        h.Operator.ExpectFileDialog(h.PathIn(QStringLiteral("kept.dcw")));
        w.MSaveas->trigger();
        QVERIFY(w.close());
        QCOMPARE(h.Operator.Messages.count(question), 1);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // A stop signal has nobody to answer a question: a run in progress is
    // aborted and its completed passes are stored under a new name.
    void unattendedCloseDuringARunStoresTheCompletedPasses()
    {
        TFCWHarness h({QString(), QString(), QString(), QStringLiteral("COM1")}, 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.AccUpDown->ClickTo(5);
        w.StartToolB->click();
        h.Feed("A0002\rB\rV 00034BC0\rV 00000000\rC\rD\r");   // pass 1: 16, 0
        h.Feed("A0002\rB\rV 00069780\r");                      // pass 2 cut off: 32
        h.TakeSent();
        w.CloseUnattended();
        QVERIFY(!w.isVisible());
        QCOMPARE(h.TakeSent(), QStringLiteral("N|"));
        QVERIFY(QFile::exists(h.PathIn(QStringLiteral("MERIL.INI"))));
        const QStringList stored = QDir(h.Dir()).entryList({QStringLiteral("unsaved-*.dcw")});
        QCOMPARE(stored.size(), 1);
        const TSpectrum s = ReadSpectrumFile(h.PathIn(stored.first()));
        QCOMPARE(s.Acc, 1);
        QCOMPARE(s.Points.size(), size_t(2));
        QCOMPARE(s.Points[0].y(), 16.0);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWStateEdges)
#include "test_FCWStateEdges.moc"
