// Storing acquired spectra and setups from the main window: AutoSave and its
// name rule, the overwrite question, failures that lose nothing, "Save data
// as ...", File Location, setup files and STANDARD.CFG, the small dialogs.

#include "AudioDlgB.h"
#include "Chart.h"
#include "DataFile.h"
#include "DirDlgB.h"
#include "DlgBox1.h"
#include "FCWHarness.h"
#include "FileBytes.h"
#include "SignalModel.h"
#include "UDataProc.h"
#include "UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace {

// A harness whose acquisition and setup directories are its own folder.
QStringList DirsIni(const QString& dir)
{
    return {dir, dir, dir, QStringLiteral("COM1")};
}

void SmallPasses(TFCWHarness& h, int points = 64)
{
    TInstrumentConfig c = h.Instrument().Config();
    c.Points = points;
    h.Instrument().Configure(c);
}

} // namespace

class TestFCWStore : public QObject {
    Q_OBJECT

private slots:
    void autoSaveStoresTheRunUnderTheTypedName()
    {
        QTemporaryDir acq;
        TFCWHarness h(DirsIni(acq.path()));
        SmallPasses(h);
        QVERIFY(h.Connect());
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        h.FCW().FNameEdit->setText(QStringLiteral("run1"));
        h.FCW().CommentEdit->setText(QStringLiteral("CaF2 powder, 20 \u00b0C"));
        // Typed but not entered: the instrument keeps its B0, and so does the file.
        h.FCW().TuningB0Val->setText(QStringLiteral("3 300.00 Gs"));
        QVERIFY(h.RunToEnd());
        const QString path = acq.filePath(QStringLiteral("run1.dcw"));
        QVERIFY(QFile::exists(path));
        QCOMPARE(h.Panel(1), QStringLiteral("Last Data Saved In: run1.dcw"));
        QVERIFY(h.FCW().FNameEdit->text().isEmpty());

        const TSpectrum s = ReadSpectrumFile(path);
        QCOMPARE(s.Header.Comment, QStringLiteral("CaF2 powder, 20 \u00b0C"));
        // B0 and the frequency as the instrument got them: its field from the
        // B1 code it holds, and the frequency of its J command.
        const TParameters& got = h.Instrument().Parameters();
        QVERIFY2(std::abs(double(s.B0) - CentreField(got, h.Instrument().Config())) <= 0.005,
                 qPrintable(s.Header.B0));
        QVERIFY2(std::abs(double(s.Frequency) * 1000 - double(got.FrequencyHz)) <= 50, qPrintable(s.Header.Frequency));
        QCOMPARE(s.Header.ModAmp, h.FCW().ModAmpVal->text());
        QCOMPARE(s.Header.SweepTime, h.FCW().SweepTVal->text());
        QCOMPARE(s.Header.Gain, h.FCW().GainVal->text());
        QCOMPARE(s.Header.Phase, h.FCW().PhaseVal->text());
        QCOMPARE(s.Header.Resonance, QStringLiteral("NMR 1H"));
        QCOMPARE(s.Acc, 2);
        QCOMPARE(s.Header.SweepTp, uint8_t(0));     // the default setup sweeps frequency: 50 kHz
        QCOMPARE(s.Header.SweepR, 50.0f);
        QCOMPARE(s.Points.size(), size_t(64));
        for (size_t i = 0; i < 64; ++i) {
            const double mean = std::nearbyint(h.Run().Sums()[i] / 2.0);
            QCOMPARE(s.Points[i].y(), std::clamp(mean, -500.0, 500.0));
            QCOMPARE(s.Points[i].x(), h.FCW().SeriesAcc->XValue(int(i)));
        }

        // A second run without a new name stores nothing.
        QFile::remove(path);
        QVERIFY(h.RunToEnd());
        QVERIFY(QDir(acq.path()).entryList({QStringLiteral("*.dcw")}).isEmpty());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void overwriteQuestion()
    {
        QTemporaryDir acq;
        TFCWHarness h(DirsIni(acq.path()));
        SmallPasses(h);
        QVERIFY(h.Connect());
        const QString path = acq.filePath(QStringLiteral("a.dcw"));
        h.FCW().FNameEdit->setText(QStringLiteral("a"));
        // The file appears while the run is on: the question comes at its end.
        h.FCW().StartToolB->click();
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep me");
        old.close();
        h.Operator.ExpectMessage(QStringLiteral("\"a.dcw\" file exists. Overwrite ?"), mbNo);
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esFinished; }));
        QVERIFY(h.FCW().FNameEdit->text().isEmpty());
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        kept.close();
        h.FCW().FNameEdit->setText(QStringLiteral("a.dcw"));
        h.Operator.ExpectMessage(QStringLiteral("\"a.dcw\" exists. Replace it when the run ends?"), mbYes);
        QVERIFY(h.RunToEnd());
        QCOMPARE(ReadSpectrumFile(path).Points.size(), size_t(64));
        // A name with its own extension keeps it.
        h.FCW().FNameEdit->setText(QStringLiteral("b.txt"));
        QVERIFY(h.RunToEnd());
        QVERIFY(QFile::exists(acq.filePath(QStringLiteral("b.txt"))));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void failedAutoSaveLosesNothing()
    {
        QTemporaryDir acq;
        TFCWHarness h(DirsIni(acq.path()));
        SmallPasses(h);
        QVERIFY(h.Connect());
        h.FCW().FNameEdit->setText(QStringLiteral("missing/run1"));
        h.Operator.ExpectMessage(QStringLiteral("Path not found !"));
        h.Operator.ExpectFileDialog(std::nullopt);   // another place is offered; none is chosen
        QVERIFY(h.RunToEnd());
        QCOMPARE(h.Panel(1), QStringLiteral("Last Data Saved In: "));
        // The box names the full path it could not write.
        QVERIFY(h.Operator.MessageDetails.last().contains(acq.filePath(QStringLiteral("missing/run1.dcw"))));
        // The same data can still be saved elsewhere until the next run starts.
        QVERIFY(h.FCW().MSaveas->isEnabled());
        const std::vector<int32_t> sums = h.Run().Sums();
        const QString rescue = acq.filePath(QStringLiteral("rescue"));
        h.Operator.ExpectFileDialog(rescue);
        h.FCW().MSaveas->trigger();
        const TSpectrum s = ReadSpectrumFile(rescue + QStringLiteral(".dcw"));
        QCOMPARE(s.Points.size(), sums.size());
        QCOMPARE(h.Panel(1), QStringLiteral("Last Data Saved In: rescue.dcw"));
        // A name that is a folder cannot be written: told, and still available.
        QVERIFY(QDir(acq.path()).mkdir(QStringLiteral("taken.dcw")));
        h.FCW().FNameEdit->setText(QStringLiteral("taken"));
        h.Operator.ExpectMessage(QStringLiteral("\"taken.dcw\" exists. Replace it when the run ends?"), mbYes);
        h.Operator.ExpectMessage(QStringLiteral("taken.dcw"));
        h.Operator.ExpectFileDialog(std::nullopt);
        QVERIFY(h.RunToEnd());
        QVERIFY(h.FCW().MSaveas->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void savedHeaderDescribesTheRunNotLaterChanges()
    {
        QTemporaryDir acq;
        TFCWHarness h(DirsIni(acq.path()));
        SmallPasses(h);
        QVERIFY(h.Connect());
        QVERIFY(h.RunToEnd());
        const QString gainOfRun = h.FCW().GainVal->text();
        h.FCW().GainScrollBar->setValue(200);
        h.Operator.ExpectFileDialog(acq.filePath(QStringLiteral("later.dcw")));
        h.FCW().MSaveas->trigger();
        QCOMPARE(ReadSpectrumFile(acq.filePath(QStringLiteral("later.dcw"))).Header.Gain, gainOfRun);
    }

    void setupFilesRoundTripInEveryMode()
    {
        QTemporaryDir dir;
        TFCWHarness h(DirsIni(dir.path()));
        TFCW& w = h.FCW();
        // Distinct positions in each mode, and the shared ones.
        for (int m = 0; m < 4; ++m) {
            w.ModeButtons[size_t(m)]->click();
            for (int i = 0; i <= m; ++i) {
                w.TuningB0UpDown->Click(TUpDown::btNext);
                w.FrequencyUpDown->Click(TUpDown::btPrev);
            }
            w.PhaseScrollBar->setValue(10 + m);
            w.FieldSwRngUpDown->Click(TUpDown::btNext);
        }
        w.GainScrollBar->setValue(77);
        w.LevelTB->setValue(-12);
        w.AccUpDown->ClickTo(5);
        w.ModAmpUpDown->ClickTo(4);
        w.SweepTUpDown->ClickTo(3);
        w.DB0UpDown->ClickTo(2);
        w.DFrqUpDown->ClickTo(1);
        w.ModeButtons[1]->click();
        w.FreqSwRngUpDown->Click(TUpDown::btNext);     // frequency sweep selected
        QVERIFY(w.FreqSwRngRB->isChecked());

        const QString path = dir.filePath(QStringLiteral("a.cfg"));
        h.Operator.ExpectFileDialog(path);
        w.MSavesetupas->trigger();
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("            Setup: a.cfg")));
        QVERIFY(w.MSavesetup->isEnabled());
        QVERIFY(w.FieldSwRngRB->isChecked());           // saving switched to field sweep
        const SetupRecord saved = h.Setup().Stored();
        QCOMPARE(FileBytes(path), SetupRecordToBytes(saved));
        QCOMPARE(saved.FieldSweep, uint8_t(1));
        QCOMPARE(saved.Mode, uint8_t(1));
        QCOMPARE(saved.Gain, 77);
        QCOMPARE(saved.Level, -12);
        for (int m = 0; m < 4; ++m) {
            QCOMPARE(saved.Phase[size_t(m)], 10 + m);
            QCOMPARE(saved.TuningB0[size_t(m)], (m + 1) * (m == 3 ? 157 : 1));   // ESR steps 0.1 Gs / k
        }
        QCOMPARE(saved.FieldSwRng[2], 10);               // 1H&19F is fixed at 300 Gs

        // Change everything, then open the file again: every control comes back.
        w.ModeButtons[0]->click();
        w.GainScrollBar->setValue(3);
        w.TuningB0UpDown->ClickTo(-500);
        w.AccUpDown->ClickTo(1);
        h.Operator.ExpectFileDialog(path);
        w.MOpensetup->trigger();
        QCOMPARE(w.Spectrometer().Setup().Mode(), 1);
        QCOMPARE(w.GainScrollBar->value(), 77);
        QCOMPARE(w.LevelTB->value(), -12);
        QCOMPARE(w.AccUpDown->Position(), 5);
        QCOMPARE(w.PhaseScrollBar->value(), 11);
        QCOMPARE(w.TuningB0UpDown->Position(), 2);
        for (int m : {3, 0, 2}) {
            w.ModeButtons[size_t(m)]->click();
            QCOMPARE(w.PhaseScrollBar->value(), 10 + m);
            QCOMPARE(w.TuningB0UpDown->Position(), saved.TuningB0[size_t(m)]);
            QCOMPARE(w.FrequencyUpDown->Position(), saved.Frequency[size_t(m)]);
        }
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void standardSetupIsLoadedAndProtected()
    {
        QTemporaryDir dir;
        SetupRecord standard;
        standard.Gain = 140;
        standard.Mode = 3;
        QVERIFY(SaveSetupFile(dir.filePath(QStringLiteral("STANDARD.CFG")), standard));
        TFCWHarness h(DirsIni(dir.path()));
        TFCW& w = h.FCW();
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("            Setup: STANDARD.CFG")));
        QVERIFY(!w.MSavesetup->isEnabled());
        QCOMPARE(w.GainScrollBar->value(), 140);
        QCOMPARE(w.Spectrometer().Setup().Mode(), 3);
        QTemporaryDir other;
        h.Operator.ExpectFileDialog(other.filePath(QStringLiteral("Standard.Cfg")));
        h.Operator.ExpectMessage(QStringLiteral("STANDARD.CFG can not be changed !"));
        w.MSavesetupas->trigger();
        QVERIFY(!QFile::exists(other.filePath(QStringLiteral("Standard.Cfg"))));
        // A file too short to be a setup is refused with a message; nothing changes.
        const QString shortFile = dir.filePath(QStringLiteral("short.cfg"));
        QFile f(shortFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(50, '\1'));
        f.close();
        h.Operator.ExpectFileDialog(shortFile);
        h.Operator.ExpectMessage(QStringLiteral("\"short.cfg\" is not a setup file: it is shorter than 104 bytes."));
        w.MOpensetup->trigger();
        QCOMPARE(w.GainScrollBar->value(), 140);
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("Setup: STANDARD.CFG")));
        // A setup that cannot be written says why; the setup in use keeps its name.
        const QString nowhere = dir.filePath(QStringLiteral("missing/new.cfg"));
        h.Operator.ExpectFileDialog(nowhere);
        h.Operator.ExpectMessage(QStringLiteral("The setup could not be written to \"%1\": ").arg(nowhere));
        w.MSavesetupas->trigger();
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("Setup: STANDARD.CFG")));
        QCOMPARE(h.Operator.Problems(), QString());
        const QString why = h.Operator.Messages.last().section(QStringLiteral("\": "), 1);
        QVERIFY2(why.size() > 3, qPrintable(h.Operator.Messages.last()));
    }

    void fileLocationMovesTheFiveDialogs()
    {
        QTemporaryDir a, b, c;
        QString programDir;
        {
            TFCWHarness h;
            programDir = h.Dir() + QLatin1Char('/');
            h.Operator.ExpectModal([&](QDialog& d) {
                auto& dirs = static_cast<TMDirectories&>(d);
                dirs.SetupDirEdit->setText(a.path());
                dirs.AcqDirEdit->setText(b.path());
                dirs.DOutDirEdit->setText(c.path());
                d.accept();
            });
            h.FCW().MFileLocation->trigger();
            for (QAction* setupDialog : {h.FCW().MOpensetup, h.FCW().MSavesetupas}) {
                h.Operator.ExpectFileDialog(std::nullopt);
                setupDialog->trigger();
                QCOMPARE(h.Operator.FileDialogs.last().InitialDir, a.path());
            }
            QCOMPARE(h.FCW().Settings().AcqDir, b.path());
            QCOMPARE(h.Windows->FDataProc->AcqDir(), b.path());
            QCOMPARE(h.Windows->FDataProc->DataOutDir(), c.path());
            // Cancel changes nothing.
            h.Operator.ExpectModal([](QDialog& d) {
                static_cast<TMDirectories&>(d).AcqDirEdit->setText(QStringLiteral("/elsewhere"));
                d.reject();
            });
            h.FCW().MFileLocation->trigger();
            QCOMPARE(h.FCW().Settings().AcqDir, b.path());
            h.FCW().close();
            QCOMPARE(h.Operator.Problems(), QString());
            TSettings s;
            QVERIFY(ReadSettings(programDir + QStringLiteral("MERIL.INI"), programDir, s));
            QCOMPARE(s.SetupDir, a.path());
            QCOMPARE(s.AcqDir, b.path());
            QCOMPARE(s.DataOutDir, c.path());
        }
    }

    void commentAndAudioDialogs()
    {
        TFCWHarness h;
        h.FCW().CommentEdit->setText(QStringLiteral("old"));
        h.Operator.ExpectModal([](QDialog& d) {
            auto& box = static_cast<TMDialogBox&>(d);
            QCOMPARE(box.DlgBoxEdit->text(), QStringLiteral("old"));
            box.DlgBoxEdit->setText(QStringLiteral("new comment"));
            box.DlgBoxOK->click();
        });
        QTest::mouseDClick(h.FCW().CommentEdit, Qt::LeftButton);
        QCOMPARE(h.FCW().CommentEdit->text(), QStringLiteral("new comment"));

        h.Operator.ExpectModal([](QDialog& d) {
            auto& audio = static_cast<TMAudioDlgBox&>(d);
            audio.ExpStopRB->click();
            audio.SoundNameEdit->setText(QStringLiteral("/sounds/done.wav"));
            audio.OKBtn->click();
        });
        h.FCW().Audio1->trigger();
        QCOMPARE(h.FCW().Settings().Sounds[2].FileName, QStringLiteral("/sounds/done.wav"));
        h.Operator.ExpectModal([](QDialog& d) {
            auto& audio = static_cast<TMAudioDlgBox&>(d);
            audio.SoundNameEdit->setText(QStringLiteral("/sounds/start.wav"));
            audio.CancelBtn->click();
        });
        h.FCW().Audio1->trigger();
        QVERIFY(h.FCW().Settings().Sounds[0].FileName.isEmpty());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void sounds()
    {
        QTemporaryDir acq;
        TFCWHarness h(DirsIni(acq.path()) + QStringList{QStringLiteral("s.wav"), QStringLiteral("0,1,0"),
                                                        QStringLiteral("e.wav"), QStringLiteral("0,1,0"),
                                                        QStringLiteral("a.wav"), QStringLiteral("0,0,1")});
        SmallPasses(h, 16);
        QVERIFY(h.Connect());
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        QVERIFY(h.RunToEnd());
        // Start, end of each pass (synchronous), then the looping alarm.
        QCOMPARE(int(h.Sounds.Played.size()), 4);
        QCOMPARE(h.Sounds.Played[0].File, QStringLiteral("s.wav"));
        QVERIFY(h.Sounds.Played[0].Mode == TSoundMode::Sync);
        QCOMPARE(h.Sounds.Played[2].File, QStringLiteral("e.wav"));
        QCOMPARE(h.Sounds.Played[3].File, QStringLiteral("a.wav"));
        QVERIFY(h.Sounds.Played[3].Mode == TSoundMode::Loop);
        QVERIFY(h.Sounds.Looping);
        QTest::mouseClick(h.FCW().Fid, Qt::LeftButton);
        QVERIFY(!h.Sounds.Looping);
    }
};

QTEST_MAIN(TestFCWStore)
#include "test_FCWStore.moc"
