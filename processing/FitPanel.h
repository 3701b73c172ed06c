#pragma once
// The fit panel of the processing window: the line-shape model, the
// hyperfine groups (none, or "N,I" groups joined by ';', chosen or typed),
// the "Fit" command (which reads "Refit" when the fit shown no longer
// matches the spectrum, and "Cancel" while a fit runs), a busy bar while a
// fit runs, and the results ("name = value ± u unit"), which wrap between
// values so that the panel stays low on a small screen. The results label's
// accessible description holds every value; a stale fit's are greyed.

#include "LineFit.h"

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

class TFitPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TFitPanel(QWidget* parent = nullptr);

    TFitModel Model() const;
    // The groups typed or chosen (none for "pake"), or why the text is not
    // a list of groups.
    THyperfineText Hyperfine() const;

    // While a fit runs the command cancels it and the busy bar shows.
    void SetBusy(bool busy);
    bool Busy() const;
    // The fit shown no longer matches the spectrum, its baseline, range or
    // model: its results are greyed and the command reads "Refit".
    void SetStale(bool stale);
    bool Stale() const { return FStale; }
    void ShowLines(const QStringList& lines, const QString& toolTip = {});
    QStringList Lines() const { return FLines; }

    QComboBox* ModelBox;
    QComboBox* HyperfineBox;
    QPushButton* FitButton;

signals:
    // The model or the hyperfine groups changed.
    void ChoiceChanged();

private:
    void ShowCommand();

    QProgressBar* FBusyBar;
    QLabel* FResults;
    QStringList FLines;
    bool FBusy = false, FStale = false;
};
