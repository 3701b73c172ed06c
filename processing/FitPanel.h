#pragma once
// The fit panel of the processing window: the line-shape model, the
// hyperfine multiplet (none, or N equivalent nuclei of spin I), the "Fit"
// command, a busy bar while a long fit runs, and the results ("name = value
// ± u unit"), which wrap between values so that the panel stays low on a
// small screen. The results label's accessible description holds every
// value.

#include "LineFit.h"

#include <QGroupBox>
#include <QStringList>
#include <optional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

class TFitPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TFitPanel(QWidget* parent = nullptr);

    TFitModel Model() const;
    // None for a single line, and always for "pake".
    std::optional<THyperfine> Hyperfine() const;

    // While a fit runs: the command is disabled and the busy bar shown.
    void SetBusy(bool busy);
    bool Busy() const;
    void ShowLines(const QStringList& lines);
    QStringList Lines() const { return FLines; }

    QComboBox* ModelBox;
    QComboBox* HyperfineBox;
    QPushButton* FitButton;

private:
    QProgressBar* FBusyBar;
    QLabel* FResults;
    QStringList FLines;
};
