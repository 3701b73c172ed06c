#pragma once
// The strip under the processed chart that shows the measurement checks of
// the spectrum on screen: one line per finding, never a message box. Each
// line's accessible name is the check's code and its description the
// sentence, so a screen reader reads them as they change.

#include "MeasurementChecks.h"

#include <QFrame>
#include <vector>

class QLabel;
class QVBoxLayout;

class TChecksStrip : public QFrame {
    Q_OBJECT
public:
    explicit TChecksStrip(QWidget* parent = nullptr);

    // Shows the findings; the lines are rebuilt only when they changed.
    void ShowWarnings(const std::vector<TMeasurementWarning>& warnings);
    const std::vector<TMeasurementWarning>& Warnings() const { return FWarnings; }
    // The lines as shown, for tests and the picture's caption.
    QStringList Lines() const;

private:
    QVBoxLayout* FLayout;
    std::vector<QLabel*> FLabels;
    std::vector<TMeasurementWarning> FWarnings;
    bool FShown = false;
};
