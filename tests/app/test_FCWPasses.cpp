// Every completed pass kept beside the spectrum: written as each pass ends,
// moved with the spectrum when it is stored, reviewed (a spoiled pass marked,
// the others summed), continued after a lost link and after a restart, and
// taken up from a folder with damaged files.

#include "Chart.h"
#include "FCWHarness.h"
#include "MenuOf.h"
#include "PassReview.h"
#include "PassSet.h"
#include "RunProgress.h"
#include "SampleSpectra.h"
#include "ScriptedPass.h"
#include "Screenshot.h"
#include "UDataProc.h"
#include "UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QFontMetrics>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// Values of pass k (from 1) of a scripted run: distinct per pass and point.
std::vector<int> PassValues(int k, int points = 4)
{
    std::vector<int> v;
    for (int i = 0; i < points; ++i)
        v.push_back(10 * k + i - 20);
    return v;
}

// The sums a spectrum of passes first..last of PassValues holds, added here.
std::vector<int32_t> ExpectedSum(int first, int last, int points = 4)
{
    std::vector<int32_t> sum(size_t(points), 0);
    for (int k = first; k <= last; ++k)
        for (int i = 0; i < points; ++i)
            sum[size_t(i)] += PassValues(k, points)[size_t(i)];
    return sum;
}

QStringList PassFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("pass-*.dcw")}, QDir::Files, QDir::Name);
}

QStringList Folders(const QString& dir, const QString& pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Dirs, QDir::Name);
}

// Opens the menu as the operator does, so that its commands are brought up to date.
void ShowMenuOf(QAction* a)
{
    emit MenuOf(a)->aboutToShow();
}

const QString LostCom1 = LinkLostText(QStringLiteral("COM1"));

// MERIL.INI lines that put every directory into dir.
QStringList AcqIni(const QString& dir)
{
    return {dir, dir, dir, QStringLiteral("COM1")};
}

class TScriptedRun {
public:
    explicit TScriptedRun(TFCWHarness& h) : H(h) {}
    // Connects and starts a run of `passes` passes stored under `name`.
    void Start(int passes, const QString& name = QString())
    {
        H.ConnectScripted();
        H.FCW().AccUpDown->ClickTo(passes);
        H.FCW().FNameEdit->setText(name);
        H.FCW().StartToolB->click();
    }
    // Starts and feeds passes first..last, each followed by the instrument's ready line.
    void Feed(int first, int last)
    {
        for (int k = first; k <= last; ++k) {
            QVERIFY(H.TakeSent().contains(QStringLiteral("F1|")));
            H.Feed(Pass(PassValues(k)));
            H.Feed("D\r");
        }
    }
    TFCWHarness& H;
};

} // namespace

class TestFCWPasses : public QObject {
    Q_OBJECT

private slots:
    void everyPassIsKeptAsItEndsBesideTheNamedSpectrum()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.AccUpDown->ClickTo(3);
        w.FNameEdit->setText(QStringLiteral("run1"));
        w.CommentEdit->setText(QStringLiteral("water"));
        w.StartToolB->click();
        QCOMPARE(h.TakeSent(), QStringLiteral("F1|"));
        const QString folder = acq.filePath(QStringLiteral("run1.passes"));
        h.Feed(Pass(PassValues(1), false));
        QVERIFY(!QFileInfo::exists(folder));           // nothing before a pass has ended
        h.Feed("C\r");
        QCOMPARE(PassFiles(folder), QStringList{QStringLiteral("pass-001.dcw")});
        h.Feed("D\r");
        h.Feed(Pass(PassValues(2)));
        // Each file holds its own pass, not the running sum.
        const TSpectrum second = ReadSpectrumFile(QDir(folder).filePath(QStringLiteral("pass-002.dcw")));
        QCOMPARE(second.Sums, ExpectedSum(2, 2));
        QCOMPARE(second.Acc, 1);
        QCOMPARE(second.Header.Comment, QStringLiteral("water"));
        // Reviewable from the second pass on, during the run too.
        ShowMenuOf(w.MPasses);
        QVERIFY(w.MPasses->isEnabled());
        h.Feed("D\r");
        TScriptedRun(h).Feed(3, 3);
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));

        const TSpectrum stored = ReadSpectrumFile(acq.filePath(QStringLiteral("run1.dcw")));
        QCOMPARE(stored.Sums, ExpectedSum(1, 3));
        const TPassSet set = ReadPassFolder(folder);
        QCOMPARE(set.Passes.size(), size_t(3));
        QCOMPARE(set.Problems.size(), size_t(0));
        QCOMPARE(SumOfPasses(set.Passes, {true, true, true}), stored.Sums);
        QCOMPARE(set.SetupBytes, SetupRecordToBytes(w.Spectrometer().Setup().Record()));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void anUnnamedRunsPassesMoveWithTheSpectrumWhenSaved()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(2);
        TScriptedRun(h).Feed(1, 2);
        const QStringList unsaved = Folders(acq.path(), QStringLiteral("unsaved-*.passes"));
        QCOMPARE(unsaved.size(), 1);
        QCOMPARE(PassFiles(acq.filePath(unsaved[0])).size(), 2);

        h.Operator.ExpectFileDialog(acq.filePath(QStringLiteral("kept.dcw")));
        w.MSaveas->trigger();
        QVERIFY(Folders(acq.path(), QStringLiteral("unsaved-*")).isEmpty());
        QCOMPARE(PassFiles(acq.filePath(QStringLiteral("kept.passes"))).size(), 2);
        // A second store elsewhere leaves the passes with the first.
        h.Operator.ExpectFileDialog(acq.filePath(QStringLiteral("copy.dcw")));
        w.MSaveas->trigger();
        QCOMPARE(PassFiles(acq.filePath(QStringLiteral("kept.passes"))).size(), 2);
        QVERIFY(!QFileInfo::exists(acq.filePath(QStringLiteral("copy.passes"))));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void aStopSignalStoresTheSpectrumBesideItsPasses()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TScriptedRun(h).Start(5);
        TScriptedRun(h).Feed(1, 2);
        // The spectrum is named when it is stored: a later second than its passes' folder.
        const QString runFolder = Folders(acq.path(), QStringLiteral("unsaved-*.passes")).value(0);
        QTRY_VERIFY(!runFolder.contains(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
        h.FCW().CloseUnattended();
        const QStringList spectra = QDir(acq.path()).entryList({QStringLiteral("unsaved-*.dcw")}, QDir::Files);
        QCOMPARE(spectra.size(), 1);
        const QString spectrum = acq.filePath(spectra[0]);
        QCOMPARE(ReadSpectrumFile(spectrum).Sums, ExpectedSum(1, 2));
        QCOMPARE(PassFiles(PassFolderOf(spectrum)).size(), 2);
        QCOMPARE(Folders(acq.path(), QStringLiteral("*.passes")).size(), 1);
    }

    void loopModeAndTheSettingOffKeepNoPasses()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.LoopRB->click();
        w.StartToolB->click();
        TScriptedRun(h).Feed(1, 3);
        w.AbortToolB->click();
        h.Feed("F\rD\r");
        QVERIFY(Folders(acq.path(), QStringLiteral("*.passes")).isEmpty());

        w.SingleRB->click();
        w.MKeepPasses->trigger();
        QVERIFY(!w.MKeepPasses->isChecked());
        w.AccUpDown->ClickTo(2);
        w.StartToolB->click();
        h.TakeSent();
        h.Feed(Pass(PassValues(1)) + "D\r");
        TScriptedRun(h).Feed(2, 2);
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QVERIFY(Folders(acq.path(), QStringLiteral("*.passes")).isEmpty());
        ShowMenuOf(w.MPasses);
        QVERIFY(!w.MPasses->isEnabled());
        h.Operator.ExpectMessage(QStringLiteral("The last spectrum is not saved. Close anyway?"), mbYes);
        QVERIFY(w.close());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void theSettingIsRememberedWithTheViewNotInMerilIni()
    {
        QTemporaryDir dir;
        const QString view = dir.filePath(QStringLiteral("view.ini"));
        const auto open = [&] {
            TFCWOptions options;
            options.Link = std::make_unique<TScriptLink>();
            options.ProgramDir = dir.path() + QLatin1Char('/');
            options.ShowSplash = false;
            options.ViewSettingsPath = view;
            return CreateWindows(std::move(options));
        };
        TScriptedOperator op;
        {
            const auto first = open();
            QVERIFY(first->FCW->MKeepPasses->isChecked());   // on by default
            first->FCW->MKeepPasses->trigger();
            QVERIFY(first->FCW->close());
        }
        QVERIFY(!open()->FCW->MKeepPasses->isChecked());
        QFile ini(dir.filePath(QStringLiteral("MERIL.INI")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("Keep"));
        QCOMPARE(op.Problems(), QString());
    }

    void linkLostAfterFivePassesOfEightThenContinued()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(8, QStringLiteral("run1"));
        TScriptedRun(h).Feed(1, 5);
        h.Feed(Pass({1000, 2000}, false));            // pass 6 cut off
        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        const QString folder = acq.filePath(QStringLiteral("run1.passes"));
        QCOMPARE(PassFiles(folder).size(), 5);

        // Not connected: nothing to continue with.
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(!w.MContinueAcc->isEnabled());
        h.ConnectScripted();
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());
        // Another gain is another measurement; back to the kept one, it may go on.
        w.GainScrollBar->setValue(w.GainScrollBar->value() + 1);
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(!w.MContinueAcc->isEnabled());
        w.GainScrollBar->setValue(w.GainScrollBar->value() - 1);
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());

        // The connection sent the setup in use again, its accumulations too:
        // the run goes on to the eight passes it was for.
        QCOMPARE(w.AccUpDown->Position(), 8);
        w.MContinueAcc->trigger();
        QCOMPARE(w.AccUpDown->Position(), 8);
        const QString sent = h.TakeSent();
        QVERIFY2(sent.endsWith(QStringLiteral("F1|")), qPrintable(sent + h.Operator.Problems()));
        h.Feed("A0004\rB\r");
        QTRY_VERIFY2(w.RunProgressBar->format().startsWith(QStringLiteral("pass 6 of 8")),
                     qPrintable(w.RunProgressBar->format()));
        h.Feed(ValueLine(PassValues(6)[0]) + ValueLine(PassValues(6)[1]) + ValueLine(PassValues(6)[2]) +
               ValueLine(PassValues(6)[3]) + "C\rD\r");
        TScriptedRun(h).Feed(7, 8);
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QCOMPARE(PassFiles(folder).size(), 8);
        const TSpectrum stored = ReadSpectrumFile(acq.filePath(QStringLiteral("run1.dcw")));
        QCOMPARE(stored.Acc, 8);
        QCOMPARE(stored.Sums, ExpectedSum(1, 8));
        const TPassSet set = ReadPassFolder(folder);
        QCOMPARE(SumOfPasses(set.Passes, std::vector<bool>(8, true)), stored.Sums);
        // Finished and stored: continuing again asks how many more passes.
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());
        h.Operator.ExpectModal([](QDialog& d) { d.reject(); });
        w.MContinueAcc->trigger();
        QVERIFY(!h.TakeSent().contains(QStringLiteral("F1|")));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // Continuing a run whose spectrum is stored asks before that spectrum is
    // replaced, as Start does: No stores the longer run under the next free name.
    void continuingAStoredSpectrumNeverReplacesItUnasked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("longer");   // where the six passes are stored; none: not continued
        QTest::addColumn<int>("storedAcc");    // of esr3.dcw afterwards
        QTest::newRow("yes") << int(mbYes) << "esr3.dcw" << 6;
        QTest::newRow("no") << int(mbNo) << "esr3-2.dcw" << 3;
        QTest::newRow("cancel") << int(mbCancel) << QString() << 3;
    }
    void continuingAStoredSpectrumNeverReplacesItUnasked()
    {
        QFETCH(int, answer);
        QFETCH(QString, longer);
        QFETCH(int, storedAcc);
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(3, QStringLiteral("esr3"));
        TScriptedRun(h).Feed(1, 3);
        const QString stored = acq.filePath(QStringLiteral("esr3.dcw"));
        QCOMPARE(ReadSpectrumFile(stored).Acc, 3);

        h.Operator.ExpectModal([](QDialog& d) { d.accept(); });   // three more passes
        h.Operator.ExpectMessage(QStringLiteral("\"esr3.dcw\" exists. Replace it when the run ends?"), answer);
        w.MContinueAcc->trigger();
        if (longer.isEmpty()) {
            QVERIFY(!h.TakeSent().contains(QStringLiteral("F1|")));
        } else {
            TScriptedRun(h).Feed(4, 6);
            QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
            const TSpectrum s = ReadSpectrumFile(acq.filePath(longer));
            QCOMPARE(s.Acc, 6);
            QCOMPARE(s.Sums, ExpectedSum(1, 6));
        }
        QCOMPARE(ReadSpectrumFile(stored).Acc, storedAcc);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // The question of how many passes to add has room for its whole title
    // in a window manager's title bar, beside the bar's icon and buttons.
    void continueQuestionShowsItsWholeTitle()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(2, QStringLiteral("run1"));
        TScriptedRun(h).Feed(1, 2);
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());
        QString title;
        int width = 0, titleWidth = 0;
        h.Operator.ExpectModal([&](QDialog& d) {
            QFont bold = d.font();
            bold.setBold(true);
            title = d.windowTitle();
            titleWidth = QFontMetrics(bold).horizontalAdvance(title);
            width = d.width();
            SaveScreenshot(d, QStringLiteral("continue-accumulation"));
            d.reject();
        });
        w.MContinueAcc->trigger();
        QCOMPARE(title, QStringLiteral("Continue accumulation"));
        // About 100 pixels for an icon and three buttons.
        QVERIFY2(width >= titleWidth + 100, qPrintable(QStringLiteral("%1 wide for a title of %2").arg(width).arg(titleWidth)));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void anAbortedRunContinuesWithoutItsCutPass()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(4);
        TScriptedRun(h).Feed(1, 2);
        h.TakeSent();
        h.Feed(Pass({500, 500}, false));               // pass 3, aborted half way
        w.AbortToolB->click();
        h.Feed("F\rD\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esAborted));
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());
        w.MContinueAcc->trigger();
        TScriptedRun(h).Feed(3, 4);
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QCOMPARE(w.Spectrometer().Run().Sums(), ExpectedSum(1, 4));
        const QStringList folders = Folders(acq.path(), QStringLiteral("unsaved-*.passes"));
        QCOMPARE(folders.size(), 1);
        QCOMPARE(PassFiles(acq.filePath(folders[0])).size(), 4);
        h.Operator.ExpectMessage(QStringLiteral("The last spectrum is not saved. Close anyway?"), mbYes);
        QVERIFY(w.close());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void aRestartTakesUpThePassesAndContinuesThem()
    {
        QTemporaryDir acq;
        const QString folder = acq.filePath(QStringLiteral("run1.passes"));
        {
            TFCWHarness before(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
            TScriptedRun(before).Start(2, QStringLiteral("run1"));
            TScriptedRun(before).Feed(1, 2);
            QCOMPARE(before.Operator.Problems(), QString());
        }
        QTemporaryDir otherAcq;
        TFCWHarness h(AcqIni(otherAcq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        // Opened from the processing window, as after a restart.
        h.Operator.ExpectSelectDirectory(folder);
        h.Windows->FDataProc->MOpenPasses->trigger();
        QCOMPARE(w.Spectrometer().Run().Sums(), ExpectedSum(1, 2));
        QVERIFY(w.MSaveas->isEnabled());
        QCOMPARE(w.SeriesAcc->Count(), 4);
        QCOMPARE(w.SeriesAcc->YValue(3), double(ExpectedSum(1, 2)[3]) / 2);

        h.ConnectScripted();
        w.AccUpDown->ClickTo(4);
        ShowMenuOf(w.MContinueAcc);
        QVERIFY(w.MContinueAcc->isEnabled());
        // The spectrum of the folder is stored: replaced when the operator agrees.
        h.Operator.ExpectMessage(QStringLiteral("\"run1.dcw\" exists. Replace it when the run ends?"), mbYes);
        w.MContinueAcc->trigger();
        TScriptedRun(h).Feed(3, 4);
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));
        QCOMPARE(PassFiles(folder).size(), 4);
        // The spectrum of the folder holds the continued sum.
        const TSpectrum stored = ReadSpectrumFile(SpectrumOfPassFolder(folder));
        QCOMPARE(stored.Acc, 4);
        QCOMPARE(stored.Sums, ExpectedSum(1, 4));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void aFolderWithDamagedMissingAndForeignFilesNamesThemAndUsesTheRest()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        TScriptedRun(h).Start(5, QStringLiteral("run1"));
        TScriptedRun(h).Feed(1, 5);
        const QDir folder(acq.filePath(QStringLiteral("run1.passes")));
        QVERIFY(QFile::resize(folder.filePath(QStringLiteral("pass-002.dcw")), 50));
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("pass-003.dcw"))));
        WriteSpectrumFile(folder.filePath(QStringLiteral("pass-004.dcw")), ReadSpectrumFile(folder.filePath(QStringLiteral("pass-001.dcw"))).Header, ExpectedSum(4, 4, 5));

        TFDataProc& proc = *h.Windows->FDataProc;
        proc.LoadSpectrum(acq.filePath(QStringLiteral("run1.dcw")));
        h.Operator.ExpectMessage(QStringLiteral("Some pass files are left out."));
        QVERIFY(w.OpenPassFolder(folder.path()));
        const QString detail = h.Operator.MessageDetails.value(0);
        for (const char* named : {"pass-002.dcw: damaged", "pass-003.dcw: missing", "pass-004.dcw: foreign: 5 points"})
            QVERIFY2(detail.contains(QLatin1String(named)), qPrintable(detail));
        std::vector<int32_t> kept = ExpectedSum(1, 1);
        for (size_t i = 0; i < kept.size(); ++i)
            kept[i] += ExpectedSum(5, 5)[i];
        QCOMPARE(w.Spectrometer().Run().Sums(), kept);
        h.Operator.ExpectFileDialog(acq.filePath(QStringLiteral("two.dcw")));
        w.MSaveas->trigger();
        QCOMPARE(ReadSpectrumFile(acq.filePath(QStringLiteral("two.dcw"))).Acc, 2);
        // Their sum is new to the processing window: Data Processing shows it.
        w.MDataprocessing->trigger();
        QCOMPARE(QFileInfo(proc.DAcqOpenDialog.FileName).fileName(), QStringLiteral("two.dcw"));

        // The processing window reviews the passes of the spectrum it shows.
        proc.LoadSpectrum(acq.filePath(QStringLiteral("run1.dcw")));
        ShowMenuOf(proc.MPasses);
        QVERIFY(proc.MPasses->isEnabled());
        h.Operator.ExpectModal([&](QDialog& d) {
            auto& review = dynamic_cast<TPassReview&>(d);
            QCOMPARE(int(review.PassChecks.size()), 2);
            QVERIFY(review.ProblemLab->text().contains(QStringLiteral("pass-003.dcw: missing")));
            h.Operator.ExpectFileDialog(acq.filePath(QStringLiteral("again.dcw")));
            review.SaveButton->click();
        });
        proc.MPasses->trigger();
        const TSpectrum again = ReadSpectrumFile(acq.filePath(QStringLiteral("again.dcw")));
        QCOMPARE(again.Acc, 2);
        QCOMPARE(again.Sums, kept);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // A file holds a sum of at most 999 passes (three digits of Acc): taking
    // up more says so, and their sum is not stored with a cut Acc.
    void moreThan999PassesAreTakenUpButTheirSumIsNotStored()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        const QString folder = acq.filePath(QStringLiteral("long.passes"));
        QVERIFY(QDir().mkpath(folder));
        for (int k = 1; k <= MaxStoredAcc + 1; ++k) {
            QFile pass(QDir(folder).filePath(PassFileName(k)));
            QVERIFY(pass.open(QIODevice::WriteOnly));
            pass.write(SpectrumFileBytes(SumHeader(NmrHeader(), 1), ExpectedSum(k, k)));
        }
        h.Operator.ExpectMessage(TooManyPassesText(1000));
        QVERIFY(w.OpenPassFolder(folder));
        QCOMPARE(w.Spectrometer().Run().Sums(), ExpectedSum(1, 1000));
        const QString path = acq.filePath(QStringLiteral("long.dcw"));
        h.Operator.ExpectFileDialog(path);
        h.Operator.ExpectMessage(TooManyPassesText(1000));
        w.MSaveas->trigger();
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // meril RUN.passes: a folder that is not there is told, as is an argument that is neither.
    void programArgumentsThatCannotBeOpenedAreTold()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()), 1024, TFCWHarness::ScriptedLink);
        const QString missing = acq.filePath(QStringLiteral("nonexistent.passes"));
        h.Operator.ExpectMessage(QStringLiteral("\"notes.odt\" is neither a spectrum file nor a passes folder (.passes)."));
        h.Operator.ExpectMessage(QStringLiteral("The passes folder \"%1\" does not exist.").arg(missing));
        OpenArguments(*h.Windows, {QStringLiteral("notes.odt"), missing});
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void reviewMarksTheSpoiledPassAndStoresTheSumOfTheOthers()
    {
        QTemporaryDir acq;
        TFCWHarness h(AcqIni(acq.path()));
        TInstrumentConfig config = h.Instrument().Config();
        config.Points = 256;
        config.Faults.SpoilPass = 3;
        h.Instrument().Configure(config);
        QVERIFY(h.Connect());
        TFCW& w = h.FCW();
        w.AccUpDown->ClickTo(8);
        w.FNameEdit->setText(QStringLiteral("spoilt"));
        w.CommentEdit->setText(QStringLiteral("door slammed"));
        const QString folder = acq.filePath(QStringLiteral("spoilt.passes"));
        // The end of the run names the spoiled pass and offers the review.
        h.Operator.ExpectMessage(QStringLiteral("Suspect: 1 of 8 passes deviate from the others: pass 3 (deviation "),
                                 mbYes);
        h.Operator.ExpectModal([&](QDialog& d) {
            auto& review = dynamic_cast<TPassReview&>(d);
            QCOMPARE(int(review.PassChecks.size()), 8);
            QStringList suspects;
            for (int row = 0; row < 8; ++row)
                if (review.Suspect(row))
                    suspects << review.PassChecks[size_t(row)]->text();
            QCOMPARE(suspects.size(), 1);
            QVERIFY2(suspects[0].startsWith(QStringLiteral("pass-003.dcw")) && suspects[0].endsWith(QStringLiteral("suspect")),
                     qPrintable(suspects[0]));
            // Unticked, the average of the others is on the main chart at once.
            review.PassChecks[2]->click();
            QCOMPARE(review.ChosenLab->text(), QStringLiteral("7 of 8 passes ticked"));
            QCOMPARE(w.SeriesAcc->YValue(100), double(w.Spectrometer().Run().Sums()[100]) / 7);
            review.CloseButton->click();
        });
        QVERIFY(h.RunToEnd(30000));
        QCOMPARE(PassFiles(folder).size(), 8);
        QVERIFY(h.Operator.Done());
        ShowMenuOf(w.MPasses);
        QVERIFY(w.MPasses->isEnabled());

        // The sum of the other seven, added here from their files.
        std::vector<int64_t> sum(256, 0);
        TDataHeader header;
        for (int k : {1, 2, 4, 5, 6, 7, 8}) {
            const TSpectrum pass = ReadSpectrumFile(QDir(folder).filePath(PassFileName(k)));
            header = pass.Header;
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += pass.Sums[i];
        }
        header.Acc = QStringLiteral("7");
        const std::vector<int32_t> sum32(sum.begin(), sum.end());
        const QString path = acq.filePath(QStringLiteral("without3.dcw"));
        h.Operator.ExpectFileDialog(path);
        w.MSaveas->trigger();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), SpectrumFileBytes(header, sum32));
        // meril-proc leaves out the same pass and writes the same sums.
        QProcess proc;
        proc.start(qEnvironmentVariable("MERIL_PROC"), {QStringLiteral("--reject"), QStringLiteral("3"), folder});
        QVERIFY(proc.waitForFinished(30000));
        QCOMPARE(proc.exitCode(), 0);
        const QByteArray out = proc.readAllStandardOutput();
        QVERIFY2(out.contains("\"left_out\":[{\"deviation\"") && out.contains("\"pass\":\"pass-003.dcw\"}]"), out.constData());
        const TSpectrum rejected = ReadSpectrumFile(acq.filePath(QStringLiteral("spoilt-reject3.dcw")));
        QCOMPARE(rejected.Acc, 7);
        QCOMPARE(rejected.Sums, sum32);
        // Nothing on disk was removed.
        QCOMPARE(PassFiles(folder).size(), 8);
        QCOMPARE(ReadSpectrumFile(acq.filePath(QStringLiteral("spoilt.dcw"))).Acc, 8);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWPasses)
#include "test_FCWPasses.moc"
