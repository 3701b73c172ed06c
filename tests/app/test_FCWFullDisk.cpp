// A run whose disk fills up: the passes written before are kept whole, the
// operator is told once, in words that stay until acknowledged, with the
// system's reason; the run goes on in memory, and its sum is stored where the
// operator chooses, or on a stop signal in the unsaved folder of ~/Meril.
// The disk is a small tmpfs in a private mount namespace (root only).

#include "AccessibleTree.h"
#include "ElidedLabel.h"
#include "FCWHarness.h"
#include "FullFolder.h"
#include "MenuOf.h"
#include "MountNamespace.h"
#include "PassReview.h"
#include "PassSet.h"
#include "Screenshot.h"
#include "StopSignals.h"
#include "UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <csignal>

namespace {

bool PrivateMounts = false;
QString Home;   // the test's own home folder

constexpr int Page = 4096;
constexpr int Points = 64;   // a pass file takes one page

} // namespace

class TestFCWFullDisk : public QObject {
    Q_OBJECT

private slots:
    void aRunOnAFullDiskLosesNothing_data()
    {
        QTest::addColumn<bool>("stopSignal");   // else the operator picks another folder
        QTest::newRow("another folder chosen") << false;
        QTest::newRow("stop signal") << true;
    }
    void aRunOnAFullDiskLosesNothing()
    {
        QFETCH(bool, stopSignal);
        if (!PrivateMounts)
            QSKIP("needs root for a private mount namespace");
        // Room for the setup of the passes and three passes.
        const TFullFolder full(4 * Page);
        QVERIFY(full.Mounted);
        QTemporaryDir elsewhere;
        QDir(Home).removeRecursively();
        TFCWHarness h({full.Path(), full.Path(), full.Path(), QStringLiteral("COM1")});
        TFCW& w = h.FCW();
        TInstrumentConfig c = h.Instrument().Config();
        c.Points = Points;
        h.Instrument().Configure(c);
        QVERIFY(h.Connect());
        w.AccUpDown->ClickTo(6);
        w.FNameEdit->setText(QStringLiteral("full"));
        QSignalSpy told(&h.Run(), &TRun::ProblemChanged);

        const QString noSpace = SystemErrorText(ENOSPC);
        h.Operator.ExpectMessage(noSpace);   // the spectrum cannot be stored there either
        h.Operator.ExpectFileDialog(stopSignal ? std::nullopt : std::optional(elsewhere.filePath(QStringLiteral("full.dcw"))));
        QVERIFY(h.RunToEnd(20000));
        QCOMPARE(h.Operator.Problems(), QString());

        // Every pass written before the disk filled is whole and readable.
        const TPassSet kept = ReadPassFolder(full.Path(QStringLiteral("full.passes")));
        QCOMPARE(kept.Passes.size(), size_t(3));
        QVERIFY2(kept.Problems.empty(), qPrintable(kept.ProblemText()));
        // Told once, and still there after the passes that followed.
        QCOMPARE(told.count(), 1);
        QVERIFY(w.ProblemLab->isVisible());
        QVERIFY2(w.ProblemLab->text().startsWith(QStringLiteral("Passes not kept from pass 4 on: ")) &&
                     w.ProblemLab->text().endsWith(noSpace),
                 qPrintable(w.ProblemLab->text()));

        QString stored = elsewhere.filePath(QStringLiteral("full.dcw"));
        if (stopSignal) {
            QVERIFY(w.MSaveas->isEnabled());   // still to be stored
            QObject owner;
            CloseOnStopSignals(w, owner);
            ::kill(::getpid(), SIGTERM);
            QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
            const QDir unsaved(Home + QStringLiteral("/Meril/unsaved"));
            const QStringList rescued = unsaved.entryList({QStringLiteral("unsaved-*.dcw")});
            QCOMPARE(rescued.size(), 1);
            stored = unsaved.filePath(rescued[0]);
        }
        const TSpectrum s = ReadSpectrumFile(stored);
        QCOMPARE(s.Acc, 6);
        QCOMPARE(s.Sums, h.Run().Sums());
        if (stopSignal)
            return;
        // The review has every pass, those the disk did not take from memory,
        // and stores the sum of the ones ticked.
        emit MenuOf(w.MPasses)->aboutToShow();   // as the operator opens the menu
        QVERIFY(w.MPasses->isEnabled());
        const QString reSum = elsewhere.filePath(QStringLiteral("last3.dcw"));
        h.Operator.ExpectModal([&](QDialog& d) {
            auto& review = dynamic_cast<TPassReview&>(d);
            QStringList names;
            for (const QCheckBox* check : review.PassChecks)
                names << check->text().section(QStringLiteral("   "), 0, 0);
            QCOMPARE(names, QStringList({"pass-001.dcw", "pass-002.dcw", "pass-003.dcw", "pass 4, not on disk",
                                         "pass 5, not on disk", "pass 6, not on disk"}));
            for (int row : {0, 1, 2})
                review.PassChecks[size_t(row)]->click();
            for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
                review.resize(screen);
                SaveScreenshot(review, QStringLiteral("pass-review-full-disk-%1").arg(screen.width()));
            }
            QVERIFY(review.SaveSum(reSum));
            review.CloseButton->click();
        });
        w.MPasses->trigger();
        QVERIFY(h.Operator.Done());
        // Passes 4 to 6: the stored sum less the three files on disk.
        std::vector<int32_t> lastThree = s.Sums;
        for (const TKeptPass& p : kept.Passes)
            for (size_t i = 0; i < lastThree.size(); ++i)
                lastThree[i] -= p.Sums[i];
        const TSpectrum reSummed = ReadSpectrumFile(reSum);
        QCOMPARE(reSummed.Acc, 3);
        QCOMPARE(reSummed.Sums, lastThree);
        // Seen: the operator says so (here as a screen reader does) and it goes.
        QVERIFY(FindAccessible(w, QAccessible::StaticText, w.ProblemLab->text()));
        QVERIFY(DoAccessibleAction(FindAccessible(w, QAccessible::Button, QStringLiteral("Problem seen")),
                                   QAccessibleActionInterface::pressAction()));
        QVERIFY(!w.ProblemLab->isVisible());
        QVERIFY(h.Run().Problem().isEmpty());
    }
};

int main(int argc, char** argv)
{
    PrivateMounts = EnterPrivateMountNamespace();
    QTemporaryDir home;
    Home = home.path();
    qputenv("HOME", QFile::encodeName(Home));
    qputenv("XDG_STATE_HOME", QFile::encodeName(Home + QStringLiteral("/state")));
    QApplication app(argc, argv);
    TestFCWFullDisk test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_FCWFullDisk.moc"
