#include "FitPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Single line first; then common groups as "N,I"; any list can be typed.
const char* const HyperfineChoices[] = {"none", "1,1/2", "2,1/2", "3,1/2", "4,1/2", "1,1",
                                        "2,1",  "1,3/2", "1,5/2", "2,1; 12,1/2; 4,1/2"};

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
        ModelBox->addItem(FitModelTitle(m), int(m));
    ModelBox->setCurrentIndex(ModelBox->findData(int(TFitModel::Auto)));
    ModelBox->setAccessibleName(QStringLiteral("Fit model"));
    ModelBox->setToolTip(QStringLiteral("Line shape; auto picks gauss, lorentz or pseudo-Voigt"));
    HyperfineBox = new QComboBox(this);
    HyperfineBox->setEditable(true);
    HyperfineBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char* c : HyperfineChoices)
        HyperfineBox->addItem(QString::fromLatin1(c));
    HyperfineBox->setAccessibleName(QStringLiteral("Hyperfine groups N,I"));
    HyperfineBox->setToolTip(QStringLiteral("Groups of N equivalent nuclei of spin I, joined by ';' "
                                            "(2,1; 12,1/2; 4,1/2): each splits the lines by its coupling a"));
    HyperfineBox->lineEdit()->setAccessibleName(HyperfineBox->accessibleName());
    FitButton = new QPushButton(QStringLiteral("Fit"), this);
    FitButton->setAccessibleName(QStringLiteral("Fit"));
    FitButton->setToolTip(QStringLiteral(
        "Fit the line shape to the derivative view between the moment cursors (or to the whole spectrum)"));
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
    row->addWidget(HyperfineBox, 1);
    row->addWidget(FitButton);
    row->addWidget(FBusyBar);
    column->addLayout(row);

    FResults = new QLabel(this);
    FResults->setWordWrap(true);
    FResults->setTextFormat(Qt::PlainText);
    FResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FResults->setAccessibleName(QStringLiteral("Fit results"));
    FResults->hide();
    column->addWidget(FResults);

    // The pake pattern is one proton pair: no hyperfine groups.
    connect(ModelBox, &QComboBox::currentIndexChanged, this, [this] {
        const bool pake = Model() == TFitModel::Pake;
        if (pake)
            HyperfineBox->setCurrentIndex(0);
        HyperfineBox->setEnabled(!pake);
        emit ChoiceChanged();
    });
    connect(HyperfineBox, &QComboBox::currentTextChanged, this, &TFitPanel::ChoiceChanged);
}

TFitModel TFitPanel::Model() const
{
    return TFitModel(ModelBox->currentData().toInt());
}

THyperfineText TFitPanel::Hyperfine() const
{
    if (Model() == TFitModel::Pake)
        return {};
    return ParseHyperfine(HyperfineBox->currentText());
}

void TFitPanel::ShowCommand()
{
    const QString text = FBusy ? QStringLiteral("Cancel") : FStale ? QStringLiteral("Refit") : QStringLiteral("Fit");
    FitButton->setText(text);
    FitButton->setAccessibleName(text);
    FBusyBar->setVisible(FBusy);
}

void TFitPanel::SetBusy(bool busy)
{
    FBusy = busy;
    ShowCommand();
}

bool TFitPanel::Busy() const
{
    return FBusy && FBusyBar->isVisibleTo(this);
}

void TFitPanel::SetStale(bool stale)
{
    if (stale == FStale)
        return;
    FStale = stale;
    FResults->setEnabled(!stale);
    FResults->setAccessibleDescription(stale ? QStringLiteral("Out of date: ") + FLines.join(QStringLiteral("; "))
                                             : FLines.join(QStringLiteral("; ")));
    ShowCommand();
}

void TFitPanel::ShowLines(const QStringList& lines, const QString& toolTip)
{
    FLines = lines;
    FStale = false;
    // Each value keeps together (no-break spaces); the label wraps between values.
    QStringList kept;
    for (const QString& line : lines)
        kept << QString(line).replace(QLatin1Char(' '), QChar(0x00a0));
    FResults->setText(kept.join(QStringLiteral("    ")));
    FResults->setToolTip(toolTip);
    FResults->setEnabled(true);
    FResults->setAccessibleDescription(lines.join(QStringLiteral("; ")) +
                                       (toolTip.isEmpty() ? QString() : QStringLiteral("; ") + toolTip));
    FResults->setVisible(!lines.isEmpty());
    ShowCommand();
}
