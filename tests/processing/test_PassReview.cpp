// The pass review window on its own: suspect marks follow the threshold, ticks
// work through the accessibility interface as a screen reader uses them, the
// window fits the usual screen sizes, and pictures of it for review.

#include "PassReview.h"
#include "FileBytes.h"
#include "SampleSpectra.h"
#include "ScriptedOperator.h"
#include "Screenshot.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QScrollArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace {

// Eight noisy passes of a line in a folder; pass 5 shifted; pass 9 cut short.
TPassSet EightPasses(const QTemporaryDir& dir)
{
    const QString folder = dir.filePath(QStringLiteral("run1.passes"));
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 3);
    TPassRecorder recorder;
    recorder.Begin(folder, {});
    for (int k = 1; k <= 9; ++k) {
        std::vector<int32_t> pass(512);
        for (size_t i = 0; i < pass.size(); ++i) {
            const double x = (double(i) - 256) / 25;
            pass[i] = int32_t(std::lround(-150 * x / std::pow(1 + x * x, 2) + noise(random) + (k == 5 ? 40 : 0)));
        }
        recorder.Write(NmrHeader(), pass);
    }
    QFile::resize(QDir(folder).filePath(PassFileName(9)), 200);
    return ReadPassFolder(folder);
}

QAccessibleInterface* ChildNamed(QAccessibleInterface* parent, const QString& prefix)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* c = parent->child(i);
        if (c && c->text(QAccessible::Name).startsWith(prefix))
            return c;
        if (c && c->childCount() > 0)
            if (QAccessibleInterface* inner = ChildNamed(c, prefix))
                return inner;
    }
    return nullptr;
}

} // namespace

class TestPassReview : public QObject {
    Q_OBJECT

private slots:
    void suspectsFollowTheThresholdAndTicksChooseTheSum()
    {
        QTemporaryDir dir;
        TPassReview review(EightPasses(dir));
        QCOMPARE(int(review.PassChecks.size()), 8);
        QVERIFY(review.ProblemLab->text().contains(QStringLiteral("pass-009.dcw: damaged")));
        for (int row = 0; row < 8; ++row)
            QCOMPARE(review.Suspect(row), row == 4);
        QVERIFY(review.PassChecks[4]->text().endsWith(QStringLiteral("suspect")));

        std::vector<int32_t> lastSum;
        int lastCount = 0;
        review.OnChosenChanged = [&](const std::vector<int32_t>& sum, int count) {
            lastSum = sum;
            lastCount = count;
        };
        review.SetChosen(4, false);
        QCOMPARE(lastCount, 7);
        std::vector<bool> chosen(8, true);
        chosen[4] = false;
        QCOMPARE(lastSum, SumOfPasses(review.Set().Passes, chosen));
        // A very low threshold marks every pass but leaves the ticks as they are.
        review.ThresholdEdit->setValue(0.5);
        QVERIFY(review.PassChecks[0]->text().endsWith(QStringLiteral("suspect")));
        QCOMPARE(review.Chosen(), chosen);
        // No pass ticked: nothing to store.
        for (int row = 0; row < 8; ++row)
            review.SetChosen(row, false);
        QVERIFY(!review.SaveButton->isEnabled());
        QCOMPARE(review.ChosenLab->text(), QStringLiteral("0 of 8 passes ticked"));
    }

    // Without a window manager there is no title: the run is named inside.
    // "Save data as ..." asks before it replaces a file, and says what it wrote.
    void saveAsksBeforeReplacingAndSaysWhatItWrote()
    {
        QTemporaryDir dir;
        TPassReview review(EightPasses(dir));
        QCOMPARE(review.RunLab->text(),
                 QStringLiteral("Passes of run1 (%1)").arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("run1.passes")))));
        const QString path = dir.filePath(QStringLiteral("sum.dcw"));
        {
            QFile older(path);
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write("older");
        }
        TScriptedOperator op;
        for (const int answer : {int(mbNo), int(mbYes)}) {
            op.ExpectFileDialog(path);
            op.ExpectMessage(QStringLiteral("\"sum.dcw\" file exists. Overwrite ?"), answer);
            review.SaveButton->click();
            QCOMPARE(op.Problems(), QString());
            if (answer == mbNo) {
                QCOMPARE(FileBytes(path), QByteArray("older"));
                QCOMPARE(review.SavedLab->text(), QString());
            }
        }
        QCOMPARE(ReadSpectrumFile(path).Acc, 8);
        QCOMPARE(review.SavedLab->text(), QStringLiteral("Saved the sum of 8 passes in %1").arg(QDir::toNativeSeparators(path)));
        // A screen reader reads both as they stand.
        for (QLabel* label : {review.RunLab, review.SavedLab})
            QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), label->text());
    }

    // The Acc field holds three digits: a sum of more than 999 passes is not offered.
    void moreThan999PassesCannotBeStored()
    {
        TPassSet set;
        set.Folder = QStringLiteral("/data/long.passes");
        for (int k = 1; k <= MaxStoredAcc + 1; ++k)
            set.Passes.push_back({k, PassFileName(k), SumHeader(NmrHeader(), 1), std::vector<int32_t>(16, k % 7)});
        TPassReview review(std::move(set));
        QVERIFY(!review.SaveButton->isEnabled());
        QVERIFY2(review.ChosenLab->text().contains(TooManyPassesText(1000)), qPrintable(review.ChosenLab->text()));
        review.SetChosen(0, false);
        QVERIFY(review.SaveButton->isEnabled());
        QCOMPARE(review.ChosenLab->text(), QStringLiteral("999 of 1000 passes ticked"));
    }

    void everyControlWorksThroughTheAccessibilityInterface()
    {
        QTemporaryDir dir;
        TPassReview review(EightPasses(dir));
        review.show();
        QVERIFY(QTest::qWaitForWindowExposed(&review));
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&review);
        QVERIFY(window);
        for (QWidget* w : std::initializer_list<QWidget*>{review.PassList, review.ThresholdEdit, review.SumCB,
                                                          review.SaveButton, review.CloseButton})
            QVERIFY2(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                     qPrintable(w->metaObject()->className()));

        // A screen reader unticks pass 5 by its row's toggle action.
        QAccessibleInterface* row = ChildNamed(window, QStringLiteral("pass-005.dcw"));
        QVERIFY(row);
        QVERIFY(row->state().checkable);
        QVERIFY(row->state().checked);
        QAccessibleActionInterface* actions = row->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        actions->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(review.PassChecks[4]->isChecked(), false);
        QCOMPARE(review.ChosenLab->text(), QStringLiteral("7 of 8 passes ticked"));

        QAccessibleInterface* sum = QAccessible::queryAccessibleInterface(review.SumCB);
        sum->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(review.SumCB->isChecked());
    }

    void fitsTheUsualScreens()
    {
        QTemporaryDir dir;
        TPassReview review(EightPasses(dir));
        review.SetChosen(4, false);
        QVERIFY(review.SaveSum(dir.filePath(QStringLiteral("run1-sum.dcw"))));
        review.show();
        QVERIFY(QTest::qWaitForWindowExposed(&review));
        for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
            review.resize(size);
            QApplication::processEvents();
            QVERIFY(review.width() <= size.width() && review.height() <= size.height());
            // The buttons and the list lie inside the window, and a row's text is not cut.
            for (QWidget* w : std::initializer_list<QWidget*>{review.SaveButton, review.CloseButton, review.PassList,
                                                              review.RunLab, review.SavedLab})
                QVERIFY(review.rect().contains(QRect(w->mapTo(&review, QPoint(0, 0)), w->size())));
            QVERIFY(review.PassChecks[0]->sizeHint().width() <= review.PassList->viewport()->width());
            SaveScreenshot(review, QStringLiteral("PassReview-%1x%2").arg(size.width()).arg(size.height()));
        }
    }
};

QTEST_MAIN(TestPassReview)
#include "test_PassReview.moc"
