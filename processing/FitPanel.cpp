#include "FitPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct THyperfineChoice {
    const char* Text;
    int Nuclei;
    double Spin;
};
// Single line first; then the common multiplets as "N,I".
const THyperfineChoice HyperfineChoices[] = {{"none", 0, 0},     {"1,1/2", 1, 0.5}, {"2,1/2", 2, 0.5},
                                             {"3,1/2", 3, 0.5},  {"4,1/2", 4, 0.5}, {"1,1", 1, 1},
                                             {"2,1", 2, 1},      {"1,3/2", 1, 1.5}, {"1,5/2", 1, 2.5}};

} // namespace

TFitPanel::TFitPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Fit"), parent)
{
    setObjectName(QStringLiteral("FitPanel"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);
    auto* row = new QHBoxLayout;
    ModelBox = new QComboBox(this);
    for (const TFitModel m : {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt, TFitModel::Pake, TFitModel::Auto})
        ModelBox->addItem(FitModelName(m), int(m));
    ModelBox->setCurrentIndex(ModelBox->findData(int(TFitModel::Auto)));
    ModelBox->setAccessibleName(QStringLiteral("Fit model"));
    ModelBox->setToolTip(QStringLiteral("Line shape; auto picks gauss, lorentz or voigt"));
    HyperfineBox = new QComboBox(this);
    for (const THyperfineChoice& c : HyperfineChoices)
        HyperfineBox->addItem(QString::fromLatin1(c.Text));
    HyperfineBox->setAccessibleName(QStringLiteral("Hyperfine N,I"));
    HyperfineBox->setToolTip(QStringLiteral("N equivalent nuclei of spin I: 2NI + 1 lines spaced by the coupling a"));
    FitButton = new QPushButton(QStringLiteral("Fit"), this);
    FitButton->setAccessibleName(QStringLiteral("Fit"));
    FitButton->setToolTip(
        QStringLiteral("Fit the line shape to the derivative view between the cursors (or to the whole spectrum)"));
    auto* modelCaption = new QLabel(QStringLiteral("Model"), this);
    modelCaption->setBuddy(ModelBox);
    auto* hyperfineCaption = new QLabel(QStringLiteral("Hyperfine"), this);
    hyperfineCaption->setBuddy(HyperfineBox);
    FBusyBar = new QProgressBar(this);
    FBusyBar->setRange(0, 0);
    FBusyBar->setMaximumWidth(120);
    FBusyBar->setAccessibleName(QStringLiteral("Fitting"));
    FBusyBar->hide();
    row->addWidget(modelCaption);
    row->addWidget(ModelBox);
    row->addWidget(hyperfineCaption);
    row->addWidget(HyperfineBox);
    row->addWidget(FitButton);
    row->addWidget(FBusyBar);
    row->addStretch(1);
    column->addLayout(row);

    FResults = new QLabel(this);
    FResults->setWordWrap(true);
    FResults->setTextFormat(Qt::PlainText);
    FResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FResults->setAccessibleName(QStringLiteral("Fit results"));
    FResults->hide();
    column->addWidget(FResults);

    // The pake pattern is one proton pair: no multiplet.
    connect(ModelBox, &QComboBox::currentIndexChanged, this, [this] {
        const bool pake = Model() == TFitModel::Pake;
        if (pake)
            HyperfineBox->setCurrentIndex(0);
        HyperfineBox->setEnabled(!pake);
    });
}

TFitModel TFitPanel::Model() const
{
    return TFitModel(ModelBox->currentData().toInt());
}

std::optional<THyperfine> TFitPanel::Hyperfine() const
{
    const THyperfineChoice& c = HyperfineChoices[std::max(0, HyperfineBox->currentIndex())];
    if (c.Nuclei == 0)
        return std::nullopt;
    return THyperfine{c.Nuclei, c.Spin};
}

void TFitPanel::SetBusy(bool busy)
{
    FBusyBar->setVisible(busy);
    FitButton->setEnabled(!busy);
}

bool TFitPanel::Busy() const
{
    return !FitButton->isEnabled() && FBusyBar->isVisibleTo(this);
}

void TFitPanel::ShowLines(const QStringList& lines)
{
    FLines = lines;
    // Each value keeps together (no-break spaces); the label wraps between values.
    QStringList kept;
    for (const QString& line : lines)
        kept << QString(line).replace(QLatin1Char(' '), QChar(0x00a0));
    FResults->setText(kept.join(QStringLiteral("    ")));
    FResults->setAccessibleDescription(lines.join(QStringLiteral("; ")));
    FResults->setVisible(!lines.isEmpty());
}
