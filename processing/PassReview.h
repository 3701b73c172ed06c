#pragma once
// Review of the kept passes of a run: every pass overlaid with their average
// (or sum), each pass's deviation figure, the suspect ones marked, and tick
// boxes that choose the passes of the sum. "Save data as ..." stores the sum of
// the ticked passes as a new spectrum with Acc their number (at most 999, what
// a file holds) and says where; no pass file is touched. The run's name stands
// at the top, since without a window manager there is no title bar. Thin over
// spectrum/PassSet.

#include "Operator.h"
#include "PassSet.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QScrollArea;
class QPushButton;
class TChart;

class TPassReview : public QDialog {
    Q_OBJECT
public:
    explicit TPassReview(TPassSet set, QWidget* parent = nullptr);
    ~TPassReview() override;

    TChart* PassChart;
    QScrollArea* PassList;          // one tick box per pass
    std::vector<QCheckBox*> PassChecks;
    QLabel* RunLab;                 // "Passes of run1 (/data/run1.passes)"
    QLabel* ProblemLab;             // files left out, by name
    QLabel* ChosenLab;              // "7 of 8 passes ticked"
    QLabel* SavedLab;               // what "Save data as ..." wrote, with its full path
    QDoubleSpinBox* ThresholdEdit;  // deviation above which a pass is suspect
    QCheckBox* SumCB;               // shows the sum instead of the average
    QPushButton* SaveButton;
    QPushButton* CloseButton;

    // The comment written into a stored sum; the operator's.
    QString Comment;
    TFileDialog SaveDialog;
    // Called with the sum of the ticked passes and their number whenever the choice changes.
    std::function<void(const std::vector<int32_t>& sum, int count)> OnChosenChanged;

    const TPassSet& Set() const { return FSet; }
    const std::vector<double>& Deviations() const { return FDeviations; }
    std::vector<bool> Chosen() const;
    bool Suspect(int row) const;
    void SetChosen(int row, bool on);
    // Stores the sum of the ticked passes at path; false (after telling the operator) when it could not.
    bool SaveSum(const QString& path);
    void SaveButtonClick();

private:
    void ShowDeviations();
    void ChoiceChanged();
    void Redraw();

    TPassSet FSet;
    std::vector<double> FDeviations;
};
