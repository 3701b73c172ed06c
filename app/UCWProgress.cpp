// The run's progress in the status line. It is read from the run state a few
// times a second, so the receive path does no more work per value.

#include "UCW.h"

#include "ElidedLabel.h"
#include "RunProgress.h"
#include "StatusBar.h"
#include "UTextTbl.h"
#include "UpDown.h"

#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

namespace {
constexpr int ProgressIntervalMs = 250;
}

void TFCW::NoteRunPass()
{
    // A pass that follows an ended pass belongs to the same run.
    RunPassNumber = ExpState == esPassEnded ? RunPassNumber + 1 : 1;
    if (!RunProgressTimer->isActive())
        RunProgressTimer->start(ProgressIntervalMs);
}

void TFCW::UpdateRunProgress()
{
    const bool runOn = ExpState >= esSettingUp && ExpState <= esPassEnded;
    if (!runOn) {
        RunProgressTimer->stop();
        RunProgressBar->hide();
        RunProgressBar->reset();
        ActivityLab->show();
        return;
    }
    TRunProgress p;
    p.Points = PointCount;
    p.PointTotal = int(AccBuffer.size());
    p.Loop = LoopRB->isChecked();
    p.Pass = p.Loop ? RunPassNumber : AccUpDown->Tag;
    p.Passes = AccUpDown->Position();
    p.OnHold = HoldActive;
    p.SweepSeconds = SweepTimeSeconds(SweepTUpDown->Position());
    RunProgressBar->setValue(ProgressPercent(p));
    const QString text = ProgressText(p);
    if (RunProgressBar->format() != text) {
        RunProgressBar->setFormat(text);
        RunProgressBar->setAccessibleName(text);
    }
    RunProgressBar->setToolTip(text);
    ActivityLab->hide();
    RunProgressBar->show();
}
