// The kept passes of a run as the window offers them: the review of the
// passes and the continued accumulation (after an abort, a lost link, or a
// restart of the program, from a folder taken up).

#include "UCW.h"

#include "Chart.h"
#include "KnownStopPanel.h"
#include "Operator.h"
#include "PassReview.h"
#include "StatusBar.h"
#include "TitleRoom.h"
#include "UOutMess.h"
#include "UpDown.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// Asks how many passes to add, proposing `proposal`; 0 when the operator cancels.
int AskMorePasses(QWidget* parent, int proposal, int maximum)
{
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Continue accumulation"));
    auto* count = new QSpinBox(&d);
    count->setRange(1, std::max(1, maximum));
    count->setValue(std::clamp(proposal, 1, std::max(1, maximum)));
    count->setAccessibleName(QStringLiteral("More passes"));
    count->setObjectName(QStringLiteral("MorePassesEdit"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    auto* form = new QFormLayout(&d);
    form->addRow(QStringLiteral("More passes:"), count);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    MakeRoomForTitle(d);
    return ExecModalFrom(*parent, d) == QDialog::Accepted ? count->value() : 0;
}

} // namespace

void TFCW::UpdatePassCommands()
{
    MPasses->setEnabled(FRun.ReviewablePassCount() >= 2);
    MContinueAcc->setEnabled(FRun.MayContinue(SingleRB->isChecked()));
}

void TFCW::MPassesClick()
{
    // From memory: the passes a full disk kept out of the folder are there too.
    TPassSet passes = FRun.ReviewablePasses();
    if (passes.Passes.size() < 2)
        return;
    TPassReview review(std::move(passes), this);
    review.Comment = CommentEdit->text();
    if (!FRun.Running())
        // The chosen passes become the data that "Save data as ..." stores.
        review.OnChosenChanged = [this](const std::vector<int32_t>& sum, int count) {
            if (!FRun.UseChosenPasses(sum, count))
                return;
            for (size_t i = 0; i < sum.size() && int(i) < SeriesAcc->Count(); ++i)
                SeriesAcc->SetYValue(int(i), double(sum[i]) / count);
            SeriesAcc->Repaint();
            MSaveas->setEnabled(true);
        };
    ExecModalFrom(*this, review);
}

void TFCW::MContinueAccClick()
{
    UpdatePassCommands();
    if (!FRun.MayContinue(SingleRB->isChecked())) {
        MessageDlg(QStringLiteral("The accumulation can be continued only with the parameters of its kept passes."),
                   TMsgType::Warning, mbOK);
        return;
    }
    const int kept = FRun.CompletedPasses();
    if (FSetup.Position(TParameter::Acc) <= kept) {
        const int more = AskMorePasses(this, FRun.ContinueProposal(), FSetup.Max(TParameter::Acc) - kept);
        if (more == 0)
            return;
        AccUpDown->ClickTo(kept + more);
    }
    // The spectrum of the kept passes is stored again with the new sum; one
    // stored already is replaced only when the operator says so.
    QString storeIn = FRun.KeptSpectrum();
    if (!storeIn.isEmpty()) {
        const std::optional<QString> answer = AskReplaceAtEnd(storeIn, QStringLiteral("the run does not continue"));
        if (!answer)
            return;
        storeIn = *answer;
    }
    MSaveas->setEnabled(false);
    StopAlarm();
    FRun.Continue(KnownPanel->Target(), storeIn);
    UpdateAbort();
    UpdatePassCommands();
}

bool TFCW::OpenPassFolder(const QString& folder)
{
    if (FRun.Running()) {
        MessageDlg(QStringLiteral("Measure in progress"), TMsgType::Warning, mbOK);
        return false;
    }
    TPassSet set;
    try {
        set = ReadPassFolder(folder);
    } catch (const EMerilError& e) {
        MessageDlg(e.Text(), TMsgType::Error, mbOK);
        return false;
    }
    if (set.Passes.empty()) {
        MessageDlg(QStringLiteral("No pass can be read in \"%1\".").arg(QDir::toNativeSeparators(set.Folder)),
                   TMsgType::Error, mbOK, set.ProblemText());
        return false;
    }
    if (!set.Problems.empty())
        MessageDlg(QStringLiteral("Some pass files are left out."), TMsgType::Warning, mbOK, set.ProblemText());
    const int count = int(set.Passes.size());
    if (count > MaxStoredAcc)
        MessageDlg(TooManyPassesText(count), TMsgType::Warning, mbOK,
                   QStringLiteral("Tick at most %1 of them under File > Passes... to store their sum.").arg(MaxStoredAcc));
    FRun.TakeUp(set);
    TakenUpNotShown = true;
    ShowAverage();
    MSaveas->setEnabled(true);
    SetStatusText(*StatusBar, 2,
                  QStringLiteral("%1 passes taken up from %2").arg(count).arg(QFileInfo(set.Folder).fileName()));
    UpdatePassCommands();
    return true;
}
