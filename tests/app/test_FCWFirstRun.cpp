// The first hour at the main window: it opens at a good share of the screen,
// status cells too narrow for their text cut it visibly and keep it whole in
// the tool tip, every write says where it went, an existing file name is
// settled at Start, and "Data Processing" shows the spectrum just stored.

#include "DataFile.h"
#include "ElidedLabel.h"
#include "FCWHarness.h"
#include "Screenshot.h"
#include "StatusBar.h"
#include "UDataProc.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

const QByteArray ThreePoints = "A0003\rB\rV 00000000\rV 00034BC0\rV 00000000\rC\rD\r";

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Connected over the scripted link; spectra go to the harness's folder.
void Prepare(TFCWHarness& h)
{
    h.ConnectScripted();
}

} // namespace

class TestFCWFirstRun : public QObject {
    Q_OBJECT

private slots:
    void opensAtAGoodShareOfTheScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::newRow("1600x1000") << QRect(0, 0, 1600, 970);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 738);
        QTest::newRow("800x600") << QRect(0, 0, 800, 570);
        QTest::newRow("panel on the left") << QRect(64, 0, 1856, 1080);
    }
    void opensAtAGoodShareOfTheScreen()
    {
        QFETCH(QRect, available);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        const QSize minimum = h.FCW().minimumSizeHint();
        const QRect r = OpeningGeometry(available, minimum);
        QVERIFY(available.contains(r));
        QVERIFY2(r.width() >= minimum.width() && r.height() >= minimum.height(),
                 qPrintable(QStringLiteral("minimum %1x%2").arg(minimum.width()).arg(minimum.height())));
        // At least 80 % of each side, centred.
        QVERIFY(r.width() >= available.width() * 0.8 && r.height() >= available.height() * 0.8);
        QVERIFY(std::abs(r.center().x() - available.center().x()) <= 1);
        // Far above the 674x562 the window took without a window manager.
        QVERIFY(r.width() > 674);
    }

    // Before it is shown (maximised, where a window manager does that) the
    // window has the share of the screen as its size.
    void windowHasTheShareBeforeItIsShown()
    {
        QTemporaryDir dir;
        TScriptedOperator op;
        TFCWOptions options;
        options.Link = std::make_unique<TScriptLink>();
        options.ProgramDir = dir.path() + QLatin1Char('/');
        options.ShowSplash = false;
        const auto windows = CreateWindows(std::move(options));
        const TFCW& w = *windows->FCW;
        const QRect expected =
            OpeningGeometry(QGuiApplication::primaryScreen()->availableGeometry(), w.minimumSizeHint());
        QCOMPARE(w.geometry(), expected);
        QVERIFY(w.windowState() & Qt::WindowMaximized);
    }

    // Pictures of the window as it opens on this screen (the offscreen screen
    // can be given another size), before, during and after a run.
    void screenshotsAsOpened()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        // As it opens where nothing maximises it (the harness gave it another size).
        w.setGeometry(OpeningGeometry(QGuiApplication::primaryScreen()->availableGeometry(), w.minimumSizeHint()));
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QString name = QStringLiteral("FCW-opened-%1x%2-").arg(screen.width()).arg(screen.height());
        Prepare(h);
        SaveScreenshot(w, name + QStringLiteral("idle"));
        w.FNameEdit->setText(QStringLiteral("water-20C"));
        w.StartToolB->click();
        QByteArray pass = "A0100\rB\r";
        for (int i = 0; i < 100; ++i)
            pass += "V " + QByteArray::number(quint32(qint32((i % 7 - 3) * 13500)), 16).rightJustified(8, '0') + '\r';
        h.Feed(pass);
        QTRY_VERIFY(w.RunProgressBar->isVisible());
        QVERIFY(w.RunProgressBar->fontMetrics().horizontalAdvance(w.RunProgressBar->format()) <
                w.RunProgressBar->width());
        SaveScreenshot(w, name + QStringLiteral("running"));
        pass.clear();
        for (int i = 100; i < 256; ++i)
            pass += "V " + QByteArray::number(quint32(qint32((i % 7 - 3) * 13500)), 16).rightJustified(8, '0') + '\r';
        h.Feed(pass + "C\rD\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QTRY_VERIFY(!w.RunProgressBar->isVisible());
        SaveScreenshot(w, name + QStringLiteral("finished"));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void narrowStatusCellsCutVisiblyAndKeepTheWholeText()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.setWindowState(Qt::WindowNoState);
        w.show();
        h.ConnectScripted();
        const QString source = QStringLiteral("Magnetic Field Source: Magnet & Coils");
        QCOMPARE(h.Panel(3), source);
        w.resize(w.minimumSizeHint().width(), 562);
        QTRY_VERIFY(w.StatusBar->ShownPanelText(3).endsWith(QChar(0x2026)));
        QVERIFY(source.startsWith(w.StatusBar->ShownPanelText(3).chopped(1)));
        const auto cells = w.StatusBar->findChildren<TElidedLabel*>();
        QVERIFY(std::any_of(cells.begin(), cells.end(), [&](TElidedLabel* c) { return c->toolTip() == source; }));
        w.resize(1600, 900);
        QTRY_COMPARE(w.StatusBar->ShownPanelText(3), source);
    }

    void startAsksOnceAboutAnExistingFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("stored");      // file holding the run; empty: no run
        QTest::newRow("replace") << int(mbYes) << "run1.dcw";
        QTest::newRow("next free name") << int(mbNo) << "run1-2.dcw";
        QTest::newRow("do not start") << int(mbCancel) << "";
    }
    void startAsksOnceAboutAnExistingFile()
    {
        QFETCH(int, answer);
        QFETCH(QString, stored);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        Prepare(h);
        TFCW& w = h.FCW();
        WriteBytes(h.PathIn(QStringLiteral("run1.dcw")), "an earlier spectrum");
        w.FNameEdit->setText(QStringLiteral("run1"));
        h.TakeSent();
        h.Operator.ExpectMessage(QStringLiteral("\"run1.dcw\" exists. Replace it when the run ends?"), answer);
        w.StartToolB->click();
        QVERIFY(h.Operator.MessageDetails.last().contains(QStringLiteral("\"run1-2.dcw\"")));
        if (stored.isEmpty()) {
            QCOMPARE(h.TakeSent(), QString());
            QCOMPARE(w.Spectrometer().Run().State(), int(esIdle));
            QCOMPARE(w.FNameEdit->text(), QStringLiteral("run1"));
        } else {
            QVERIFY(h.TakeSent().startsWith(QStringLiteral("F")));
            h.Feed(ThreePoints);
            QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
            QCOMPARE(ReadSpectrumFile(h.PathIn(stored)).Points.size(), size_t(3));
        }
        if (stored != QLatin1String("run1.dcw"))
            QCOMPARE(FileBytes(h.PathIn(QStringLiteral("run1.dcw"))), QByteArray("an earlier spectrum"));
        // Asked once: no question at the end of the run.
        QCOMPARE(h.Operator.Problems(), QString());
        QCOMPARE(h.Operator.Messages.size(), 1);
    }

    // Replacing was agreed at Start, but the file changed during the run: asked again.
    void fileChangedDuringTheRunIsAskedAboutAtTheEnd()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        Prepare(h);
        TFCW& w = h.FCW();
        const QString path = h.PathIn(QStringLiteral("run1.dcw"));
        WriteBytes(path, "an earlier spectrum");
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::ReadWrite));
        QVERIFY(earlier.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        earlier.close();
        w.FNameEdit->setText(QStringLiteral("run1"));
        h.Operator.ExpectMessage(QStringLiteral("Replace it when the run ends?"), mbYes);
        w.StartToolB->click();
        WriteBytes(path, "written by someone else meanwhile");
        h.Operator.ExpectMessage(QStringLiteral("\"run1.dcw\" file exists. Overwrite ?"), mbNo);
        h.Feed(ThreePoints);
        QCOMPARE(FileBytes(path), QByteArray("written by someone else meanwhile"));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void writesSayWhereTheyWentAndProcessingShowsTheLast()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        Prepare(h);
        TFCW& w = h.FCW();
        w.FNameEdit->setText(QStringLiteral("run1"));
        w.StartToolB->click();
        h.Feed(ThreePoints);
        const QString autoSaved = QDir::toNativeSeparators(QFileInfo(h.PathIn(QStringLiteral("run1.dcw"))).absoluteFilePath());
        QCOMPARE(h.Panel(1), QStringLiteral("Last Data Saved In: run1.dcw"));
        QVERIFY2(w.ActivityLab->text().contains(autoSaved), qPrintable(w.ActivityLab->text()));
        QCOMPARE(w.ActivityLab->toolTip(), w.ActivityLab->text());

        // "Data Processing" with nothing loaded yet shows that spectrum.
        TFDataProc& proc = *h.Windows->FDataProc;
        QVERIFY(!proc.Loaded());
        w.MDataprocessing->trigger();
        QVERIFY(proc.Loaded());
        QCOMPARE(QFileInfo(proc.DAcqOpenDialog.FileName).absoluteFilePath(), QFileInfo(autoSaved).absoluteFilePath());
        QCOMPARE(proc.Series1->Count(), 3);

        const QString other = h.PathIn(QStringLiteral("copy.dcw"));
        h.Operator.ExpectFileDialog(other);
        w.MSaveas->trigger();
        QVERIFY(w.ActivityLab->text().contains(QDir::toNativeSeparators(other)));
        // A spectrum already in the processing window stays there.
        w.MDataprocessing->trigger();
        QCOMPARE(QFileInfo(proc.DAcqOpenDialog.FileName).absoluteFilePath(), QFileInfo(autoSaved).absoluteFilePath());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // Each run's spectrum, once stored, is what "Data Processing" shows next;
    // a run that stores nothing leaves the last one there.
    void dataProcessingShowsEachNewSpectrum_data()
    {
        QTest::addColumn<QString>("runs");     // a name stores its run; "-" aborts one
        QTest::addColumn<QString>("shown");
        QTest::newRow("one run") << "esr1" << "esr1.dcw";
        QTest::newRow("a second run") << "esr1,esr2" << "esr2.dcw";
        QTest::newRow("then aborted") << "esr1,esr2,-" << "esr2.dcw";
    }
    void dataProcessingShowsEachNewSpectrum()
    {
        QFETCH(QString, runs);
        QFETCH(QString, shown);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        Prepare(h);
        TFCW& w = h.FCW();
        const TFDataProc& proc = *h.Windows->FDataProc;
        for (const QString& run : runs.split(QLatin1Char(','))) {
            w.FNameEdit->setText(run == QLatin1String("-") ? QString() : run);
            w.StartToolB->click();
            if (run == QLatin1String("-")) {
                h.Feed("A0003\rB\rV 00000000\r");
                w.AbortToolB->click();
                h.Feed("F\rD\r");
            } else {
                h.Feed(ThreePoints);
            }
            w.MDataprocessing->trigger();
        }
        QCOMPARE(QFileInfo(proc.DAcqOpenDialog.FileName).fileName(), shown);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWFirstRun)
#include "test_FCWFirstRun.moc"
