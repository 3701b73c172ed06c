#pragma once
// The run option "Stop when known": a check box that sits beside Single and
// Loop, and below the Acquisition box, while it is checked, the quantity
// (M2, ΔBpp, g, the area or a hyperfine coupling a), the uncertainty wanted
// (± % or absolute) and the fit model. While and after such a run it shows
// the last value and a small chart of u against the passes, with the
// projection of its 1/sqrt(N) fall and the uncertainty wanted.

#include "KnownStop.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class TChart;
class TRun;

class TKnownStopPanel : public QWidget {
    Q_OBJECT
public:
    explicit TKnownStopPanel(QWidget* parent = nullptr);

    // The target set; none while the option is off.
    std::optional<TKnownTarget> Target() const;
    // The fits of the run's sum so far (`unit`: the sweep's, "Gs" or "kHz").
    void ShowFits(const TRun& run, const QString& unit);

    QCheckBox* KnownCB;               // placed by the window beside Single and Loop
    QComboBox* QuantityBox;
    QDoubleSpinBox* UncertaintyEdit;
    QComboBox* UncertaintyKindBox;    // "%" or absolute
    QComboBox* ModelBox;
    QSpinBox* NucleiEdit;             // the multiplet of a coupling: N nuclei ...
    QComboBox* SpinBox;               // ... of spin I
    QLabel* ValueLab;
    TChart* UChart;

private:
    void ShowMultiplet();
};
