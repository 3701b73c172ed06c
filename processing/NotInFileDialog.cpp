#include "NotInFileDialog.h"

#include "ImportedSpectrum.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNotInFileDialog::TNotInFileDialog(QWidget* parent, const QString& fileName, const TNotInFile& missing,
                                   const QString& frequency, const QString& modAmp)
    : QDialog(parent),
      FrequencyEdit(new QLineEdit(frequency, this)),
      ModAmpEdit(new QLineEdit(modAmp, this)),
      ProblemLab(new QLabel(this)),
      Buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(QStringLiteral("Values the file does not give"));
    // Lines of their own: word-wrapped labels leave a dialog too low.
    auto* intro = new QLabel(QStringLiteral("%1 does not give the values below.\nEnter them to measure with them "
                                            "(the g-factor needs the frequency),\nor leave a box empty.")
                                 .arg(QFileInfo(fileName).fileName()),
                             this);
    FrequencyEdit->setObjectName(QStringLiteral("FrequencyEdit"));
    FrequencyEdit->setPlaceholderText(QStringLiteral("9.5 GHz"));
    FrequencyEdit->setAccessibleName(QStringLiteral("Frequency"));
    ModAmpEdit->setObjectName(QStringLiteral("ModAmpEdit"));
    ModAmpEdit->setPlaceholderText(QStringLiteral("1.0 G"));
    ModAmpEdit->setAccessibleName(QStringLiteral("Modulation amplitude, peak to peak"));
    ProblemLab->setObjectName(QStringLiteral("ProblemLab"));
    ProblemLab->setStyleSheet(QStringLiteral("color: #b00000;"));
    ProblemLab->hide();
    for (QPushButton* b : {Buttons->button(QDialogButtonBox::Ok), Buttons->button(QDialogButtonBox::Cancel)})
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));

    auto* form = new QFormLayout;
    if (missing.Frequency)
        form->addRow(QStringLiteral("Frequency (GHz, MHz or kHz):"), FrequencyEdit);
    else
        FrequencyEdit->hide();
    if (missing.ModAmp)
        form->addRow(QStringLiteral("Modulation amplitude, peak to peak (G or mT):"), ModAmpEdit);
    else
        ModAmpEdit->hide();
    auto* column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addLayout(form);
    column->addWidget(ProblemLab);
    column->addWidget(Buttons);
    // The dialog grows with its texts (the problems told under the boxes).
    column->setSizeConstraint(QLayout::SetMinimumSize);
    connect(Buttons, &QDialogButtonBox::accepted, this, &TNotInFileDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<double> TNotInFileDialog::FrequencyKHz() const
{
    return FrequencyEdit->isHidden() ? std::nullopt : FrequencyKHzOf(FrequencyEdit->text());
}

std::optional<double> TNotInFileDialog::ModAmpPeakToPeakGs() const
{
    return ModAmpEdit->isHidden() ? std::nullopt : FieldGsOf(ModAmpEdit->text());
}

void TNotInFileDialog::accept()
{
    QStringList problems;
    if (!FrequencyEdit->isHidden() && !FrequencyEdit->text().trimmed().isEmpty() && !FrequencyKHz())
        problems << QStringLiteral("\"%1\" is no frequency: give a number above 0 and its unit, as in 9.5 GHz.")
                        .arg(FrequencyEdit->text());
    if (!ModAmpEdit->isHidden() && !ModAmpEdit->text().trimmed().isEmpty() && !ModAmpPeakToPeakGs())
        problems << QStringLiteral("\"%1\" is no modulation amplitude: give a number and its unit, as in 1.2 G.")
                        .arg(ModAmpEdit->text());
    if (!problems.isEmpty()) {
        ProblemLab->setText(problems.join(QLatin1Char('\n')));
        ProblemLab->show();
        return;
    }
    QDialog::accept();
}
