#include "KnownStopPanel.h"

#include "Chart.h"
#include "LiveFit.h"
#include "Run.h"
#include "UTextTbl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

namespace {

const TKnownQuantity Quantities[] = {TKnownQuantity::M2, TKnownQuantity::PpWidth, TKnownQuantity::G,
                                     TKnownQuantity::Area, TKnownQuantity::Coupling};
const TFitModel Models[] = {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt, TFitModel::Pake,
                            TFitModel::Auto};
const QColor MeasuredColour(255, 255, 0);
const QColor ProjectedColour(160, 160, 160);
const QColor WantedColour(255, 64, 64);

// u as the chart shows it: in per cent of the value when the target is.
double ShownU(const TKnownTarget& target, const TKnownPoint& p, double u)
{
    return target.Relative && p.Value != 0 ? 100 * u / std::abs(p.Value) : u;
}

} // namespace

TKnownStopPanel::TKnownStopPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KnownPanel"));
    KnownCB = new QCheckBox(QStringLiteral("Stop when known"), parent);
    KnownCB->setAccessibleName(KnownCB->text());
    KnownCB->setToolTip(QStringLiteral("After each pass the sum is fitted; the run ends with the pass that gives the "
                                       "quantity to the uncertainty wanted (or with the accumulations set)"));
    QuantityBox = new QComboBox(this);
    for (const TKnownQuantity q : Quantities)
        QuantityBox->addItem(KnownQuantityName(q), int(q));
    QuantityBox->setAccessibleName(QStringLiteral("Quantity"));
    UncertaintyEdit = new QDoubleSpinBox(this);
    UncertaintyEdit->setDecimals(3);
    UncertaintyEdit->setRange(0.001, 9999);
    UncertaintyEdit->setValue(1);
    UncertaintyEdit->setAccessibleName(QStringLiteral("Uncertainty wanted"));
    UncertaintyKindBox = new QComboBox(this);
    UncertaintyKindBox->addItems({QStringLiteral("%"), QStringLiteral("abs.")});
    UncertaintyKindBox->setItemData(0, QStringLiteral("per cent of the value"), Qt::ToolTipRole);
    UncertaintyKindBox->setItemData(1, QStringLiteral("in the quantity's unit"), Qt::ToolTipRole);
    UncertaintyKindBox->setAccessibleName(QStringLiteral("Uncertainty in"));
    ModelBox = new QComboBox(this);
    for (const TFitModel m : Models)
        ModelBox->addItem(FitModelName(m), int(m));
    ModelBox->setAccessibleName(QStringLiteral("Fit model"));
    NucleiEdit = new QSpinBox(this);
    NucleiEdit->setRange(1, 20);
    NucleiEdit->setPrefix(QStringLiteral("N "));
    NucleiEdit->setAccessibleName(QStringLiteral("Equivalent nuclei"));
    SpinBox = new QComboBox(this);
    for (int twice = 1; twice <= 9; ++twice)
        SpinBox->addItem(twice % 2 ? QStringLiteral("I %1/2").arg(twice) : QStringLiteral("I %1").arg(twice / 2),
                         twice / 2.0);
    SpinBox->setCurrentIndex(1);   // I = 1: one 14N
    SpinBox->setAccessibleName(QStringLiteral("Nuclear spin"));
    // The text fields inside the spin boxes carry their names too.
    for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{UncertaintyEdit, NucleiEdit})
        if (auto* edit = box->findChild<QLineEdit*>())
            edit->setAccessibleName(box->accessibleName());

    auto* toLab = new QLabel(QStringLiteral("to \u00b1"), this);
    toLab->setBuddy(UncertaintyEdit);
    auto* modelLab = new QLabel(QStringLiteral("Fit"), this);
    modelLab->setBuddy(ModelBox);
    ValueLab = new QLabel(this);
    ValueLab->setWordWrap(true);
    ValueLab->setAccessibleName(QStringLiteral("Value known so far"));
    ValueLab->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ValueLab->hide();
    UChart = new TChart(this);
    UChart->setObjectName(QStringLiteral("UChart"));
    UChart->setAccessibleName(QStringLiteral("Uncertainty against passes"));
    UChart->setToolTip(QStringLiteral("u after each pass (yellow), its fall as 1/\u221aN from the last (grey) "
                                      "and the uncertainty wanted (red)"));
    UChart->setFixedHeight(96);
    for (int i = 0; i < 3; ++i)
        UChart->AddSeries();
    UChart->BottomAxis().SetValueFormat(QStringLiteral("0"));
    UChart->hide();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    grid->addWidget(QuantityBox, 0, 0);
    grid->addWidget(toLab, 0, 1, Qt::AlignRight);
    grid->addWidget(UncertaintyEdit, 0, 2);
    grid->addWidget(UncertaintyKindBox, 0, 3);
    grid->addWidget(modelLab, 1, 0, Qt::AlignRight);
    grid->addWidget(ModelBox, 1, 1, 1, 1);
    grid->addWidget(NucleiEdit, 1, 2);
    grid->addWidget(SpinBox, 1, 3);
    grid->addWidget(ValueLab, 2, 0, 1, 4);
    grid->addWidget(UChart, 3, 0, 1, 4);

    connect(QuantityBox, &QComboBox::currentIndexChanged, this, &TKnownStopPanel::ShowMultiplet);
    // Shown only while the option is on; as wide hidden as shown, so that
    // the column around it keeps its width.
    connect(KnownCB, &QCheckBox::toggled, this, &QWidget::setVisible);
    setMinimumWidth(minimumSizeHint().width());
    setVisible(false);
    ShowMultiplet();
}

// The multiplet matters only for the coupling.
void TKnownStopPanel::ShowMultiplet()
{
    const bool coupling = QuantityBox->currentData().toInt() == int(TKnownQuantity::Coupling);
    NucleiEdit->setVisible(coupling);
    SpinBox->setVisible(coupling);
}

std::optional<TKnownTarget> TKnownStopPanel::Target() const
{
    // The check box's own state: Loop turns it off, a locked window does not.
    if (!KnownCB->isChecked() || KnownCB->testAttribute(Qt::WA_ForceDisabled))
        return std::nullopt;
    TKnownTarget t;
    t.Quantity = TKnownQuantity(QuantityBox->currentData().toInt());
    t.Uncertainty = UncertaintyEdit->value();
    t.Relative = UncertaintyKindBox->currentIndex() == 0;
    t.Model = TFitModel(ModelBox->currentData().toInt());
    if (t.Quantity == TKnownQuantity::Coupling)
        t.Hyperfine = THyperfine{NucleiEdit->value(), SpinBox->currentData().toDouble()};
    return t;
}

void TKnownStopPanel::ShowFits(const TRun& run, const QString& unit)
{
    const std::optional<TKnownTarget>& target = run.KnownTarget();
    const std::vector<TKnownPoint>& points = run.KnownPoints();
    if (!target || points.empty()) {
        ValueLab->hide();
        UChart->hide();
        return;
    }
    const TKnownPoint& last = points.back();
    QString text = KnownValueText(*target, last, unit) +
                   QStringLiteral(", %1 of %2 passes").arg(last.PassesFitted).arg(last.Pass);
    if (!last.LeftOut.empty()) {
        QStringList numbers;
        for (const int n : last.LeftOut)
            numbers << QString::number(n);
        text += QStringLiteral(" (suspect %1 left out)").arg(numbers.join(QStringLiteral(", ")));
    }
    ValueLab->setText(text);
    ValueLab->show();

    // u after each pass; from the last, the 1/sqrt(N) fall up to the passes
    // it needs (or the accumulations set), and the uncertainty wanted.
    std::vector<double> x, u, px, pu;
    for (const TKnownPoint& p : points)
        if (p.Ok) {
            x.push_back(p.Pass);
            u.push_back(ShownU(*target, p, p.U));
        }
    int end = std::max(last.Pass + 1, run.Pass());
    if (const std::optional<int> more = PassesStillNeeded(*target, last))
        end = std::max(end, last.Pass + *more);
    if (last.Ok)
        for (int n = last.Pass; n <= end; ++n) {
            px.push_back(n);
            pu.push_back(ShownU(*target, last, ProjectedUncertainty(last, last.PassesFitted + n - last.Pass)));
        }
    const double wanted = last.Ok ? ShownU(*target, last, WantedUncertainty(*target, last.Value)) : 0;
    UChart->Series(0).SetPoints(px, pu, ProjectedColour);
    UChart->Series(1).SetPoints(std::vector<double>{1, double(end)}, std::vector<double>{wanted, wanted}, WantedColour);
    UChart->Series(2).SetPoints(x, u, MeasuredColour);
    double top = wanted;
    for (const double v : u)
        top = std::max(top, v);
    // Whole passes on the axis.
    UChart->BottomAxis().SetMinMax(1, end);
    UChart->BottomAxis().SetIncrement(std::max(1.0, std::ceil((end - 1) / 4.0)));
    UChart->RightAxis().SetMinMax(0, top > 0 ? top * 1.1 : 1);
    UChart->RightAxis().SetIncrement(0);
    UChart->RightAxis().SetValueFormat(target->Relative ? QStringLiteral("0.## [%]") : QStringLiteral("0.####"));
    UChart->setAccessibleDescription(text);
    UChart->show();
    UChart->Repaint();
}
