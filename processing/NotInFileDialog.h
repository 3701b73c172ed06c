#pragma once
// Asked once when a spectrum file of another program is opened: what the file
// does not give, the spectrometer frequency and the modulation amplitude
// (peak to peak, as instruments state it). An empty box leaves that value
// out; a value that is not understood is told under the boxes and the
// dialog stays open.

#include "DataFile.h"

#include <QDialog>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

class TNotInFileDialog : public QDialog {
    Q_OBJECT
public:
    // frequency, modAmp: the texts offered (the answers given last).
    TNotInFileDialog(QWidget* parent, const QString& fileName, const TNotInFile& missing, const QString& frequency,
                     const QString& modAmp);

    std::optional<double> FrequencyKHz() const;
    std::optional<double> ModAmpPeakToPeakGs() const;

    QLineEdit *FrequencyEdit, *ModAmpEdit;   // hidden when the file gives that value
    QLabel* ProblemLab;
    QDialogButtonBox* Buttons;

    void accept() override;
};
