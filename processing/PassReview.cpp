#include "PassReview.h"

#include "Chart.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QColor PassColour(150, 150, 150);
const QColor UntickedColour(70, 70, 70);
const QColor SuspectColour(255, 64, 64);
const QColor SumColour(255, 255, 255);

// A tick step of 1, 2 or 5 times a power of ten, near `step`.
double RoundStep(double step)
{
    const double unit = std::pow(10.0, std::floor(std::log10(step)));
    for (const double m : {1.0, 2.0, 5.0})
        if (step <= m * unit)
            return m * unit;
    return 10 * unit;
}

} // namespace

TPassReview::TPassReview(TPassSet set, QWidget* parent) : QDialog(parent), FSet(std::move(set))
{
    setWindowTitle(QStringLiteral("Passes - %1").arg(QDir::toNativeSeparators(FSet.Folder)));
    setObjectName(QStringLiteral("PassReview"));
    FDeviations = PassDeviations(FSet.Passes);

    PassChart = new TChart(this);
    PassChart->setAccessibleName(QStringLiteral("Passes overlaid"));
    PassChart->SetBackgroundColor(Qt::black);
    PassChart->setMinimumSize(320, 200);
    for (size_t k = 0; k <= FSet.Passes.size(); ++k)
        PassChart->AddSeries();

    PassList = new QScrollArea(this);
    PassList->setAccessibleName(QStringLiteral("Passes"));
    PassList->setAccessibleDescription(QStringLiteral("Ticked passes make up the sum"));
    PassList->setWidgetResizable(true);
    auto* rows = new QWidget(PassList);
    auto* rowsLayout = new QVBoxLayout(rows);
    for (size_t k = 0; k < FSet.Passes.size(); ++k) {
        auto* check = new QCheckBox(rows);
        check->setChecked(true);
        rowsLayout->addWidget(check);
        PassChecks.push_back(check);
        connect(check, &QCheckBox::toggled, this, [this] { ChoiceChanged(); });
    }
    rowsLayout->addStretch(1);
    PassList->setWidget(rows);

    ThresholdEdit = new QDoubleSpinBox(this);
    ThresholdEdit->setRange(0.5, 1000);
    ThresholdEdit->setDecimals(1);
    ThresholdEdit->setSingleStep(0.5);
    ThresholdEdit->setValue(DefaultSuspectThreshold);
    ThresholdEdit->setAccessibleName(QStringLiteral("Suspect above deviation"));
    auto* thresholdLab = new QLabel(QStringLiteral("Suspect above:"), this);
    thresholdLab->setBuddy(ThresholdEdit);

    SumCB = new QCheckBox(QStringLiteral("Show sum"), this);
    SumCB->setAccessibleName(SumCB->text());
    ChosenLab = new QLabel(this);
    ChosenLab->setAccessibleName(QStringLiteral("Passes ticked"));
    ChosenLab->setWordWrap(true);
    RunLab = new QLabel(QStringLiteral("Passes of %1 (%2)")
                            .arg(QFileInfo(SpectrumOfPassFolder(FSet.Folder)).completeBaseName(),
                                 QDir::toNativeSeparators(FSet.Folder)),
                        this);
    RunLab->setWordWrap(true);
    SavedLab = new QLabel(this);
    SavedLab->setWordWrap(true);
    SavedLab->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ProblemLab = new QLabel(this);
    ProblemLab->setWordWrap(true);
    ProblemLab->setAccessibleName(QStringLiteral("Files left out"));
    ProblemLab->setVisible(!FSet.Problems.empty());
    ProblemLab->setText(QStringLiteral("Left out: ") + FSet.ProblemText());

    SaveButton = new QPushButton(QStringLiteral("Save data as ..."), this);
    SaveButton->setAccessibleName(SaveButton->text());
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setAccessibleName(CloseButton->text());

    auto* side = new QWidget(this);
    side->setMaximumWidth(360);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(PassList, 1);
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(thresholdLab);
    thresholdRow->addWidget(ThresholdEdit);
    sideLayout->addLayout(thresholdRow);
    sideLayout->addWidget(SumCB);
    sideLayout->addWidget(ChosenLab);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(PassChart);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SavedLab, 1);
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RunLab);
    layout->addWidget(splitter, 1);
    layout->addWidget(ProblemLab);
    layout->addLayout(buttons);

    SaveDialog.Kind = TFileDialogKind::Save;
    SaveDialog.Title = QStringLiteral("Save data as");
    SaveDialog.Filter = QStringLiteral("Meril data file (*.dcw)|*.dcw");
    SaveDialog.DefaultExt = QStringLiteral("dcw");
    SaveDialog.InitialDir = QFileInfo(FSet.Folder).path();

    const TDataHeader h = FSet.Header();
    PassChart->BottomAxis().SetMinMax(-h.SweepR / 2.0, h.SweepR / 2.0);
    PassChart->BottomAxis().SetIncrement(h.SweepR / 4.0);
    PassChart->BottomAxis().SetValueFormat(h.SweepTp == 0 ? QStringLiteral("# ##0.### [kHz]") : QStringLiteral("# ##0.### [Gs]"));
    ShowDeviations();
    ChoiceChanged();

    connect(ThresholdEdit, &QDoubleSpinBox::valueChanged, this, [this] {
        ShowDeviations();
        Redraw();
    });
    connect(SumCB, &QCheckBox::toggled, this, [this] { Redraw(); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    resize(760, 480);
}

TPassReview::~TPassReview() = default;

bool TPassReview::Suspect(int row) const
{
    return FDeviations.at(size_t(row)) > ThresholdEdit->value();
}

std::vector<bool> TPassReview::Chosen() const
{
    std::vector<bool> chosen(PassChecks.size());
    for (size_t k = 0; k < PassChecks.size(); ++k)
        chosen[k] = PassChecks[k]->isChecked();
    return chosen;
}

void TPassReview::SetChosen(int row, bool on)
{
    PassChecks.at(size_t(row))->setChecked(on);
}

// Each row names the pass, its deviation and, beyond the threshold, the suspect mark.
void TPassReview::ShowDeviations()
{
    for (size_t k = 0; k < PassChecks.size(); ++k) {
        const bool suspect = Suspect(int(k));
        QCheckBox* check = PassChecks[k];
        check->setText(QStringLiteral("%1   deviation %2%3")
                           .arg(FSet.Passes[k].FileName, DeviationText(FDeviations[k]),
                                suspect ? QStringLiteral("   suspect") : QString()));
        check->setAccessibleName(check->text());
        check->setStyleSheet(suspect ? QStringLiteral("color: #b00000; font-weight: bold") : QString());
    }
}

void TPassReview::ChoiceChanged()
{
    const std::vector<bool> chosen = Chosen();
    const int count = int(std::count(chosen.begin(), chosen.end(), true));
    QString ticked = QStringLiteral("%1 of %2 passes ticked").arg(count).arg(FSet.Passes.size());
    if (count > MaxStoredAcc)
        ticked += QStringLiteral(". ") + TooManyPassesText(count);
    ChosenLab->setText(ticked);
    SaveButton->setEnabled(count > 0 && count <= MaxStoredAcc);
    Redraw();
    if (OnChosenChanged && count > 0)
        OnChosenChanged(SumOfPasses(FSet.Passes, chosen), count);
}

void TPassReview::Redraw()
{
    if (FSet.Passes.empty())
        return;
    const std::vector<bool> chosen = Chosen();
    const TDataHeader h = FSet.Header();
    const size_t n = FSet.Passes.front().Sums.size();
    const double step = n > 1 ? h.SweepR / double(n - 1) : 0;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = -h.SweepR / 2.0 + double(i) * step;
    double low = 0, high = 0;
    for (size_t k = 0; k < FSet.Passes.size(); ++k) {
        const auto& sums = FSet.Passes[k].Sums;
        std::transform(sums.begin(), sums.end(), y.begin(), [](int32_t v) { return double(v); });
        const auto [mn, mx] = std::minmax_element(y.begin(), y.end());
        low = std::min(low, *mn);
        high = std::max(high, *mx);
        // Unticked passes stay in view, dimmed; suspect ones in red.
        PassChart->Series(int(k)).SetPoints(x, y, Suspect(int(k)) ? SuspectColour : chosen[k] ? PassColour : UntickedColour);
    }
    const int count = int(std::count(chosen.begin(), chosen.end(), true));
    const std::vector<int32_t> sum = SumOfPasses(FSet.Passes, chosen);
    const double divisor = SumCB->isChecked() || count == 0 ? 1.0 : double(count);
    for (size_t i = 0; i < n; ++i)
        y[i] = sum[i] / divisor;
    if (SumCB->isChecked() && count > 0) {
        const auto [mn, mx] = std::minmax_element(y.begin(), y.end());
        low = std::min(low, *mn);
        high = std::max(high, *mx);
    }
    TChartSeries& total = PassChart->Series(int(FSet.Passes.size()));
    total.SetPoints(x, y, SumColour);
    total.SetVisible(count > 0);
    // The range ends on whole steps, so the ticks fall on round values.
    const double tick = RoundStep(std::max(1.0, high - low) / 4);
    PassChart->RightAxis().SetMinMax(std::floor(low / tick) * tick, std::ceil(high / tick) * tick);
    PassChart->RightAxis().SetIncrement(tick);
}

bool TPassReview::SaveSum(const QString& path)
{
    const std::vector<bool> chosen = Chosen();
    const int count = int(std::count(chosen.begin(), chosen.end(), true));
    TDataHeader header = SumHeader(FSet.Header(), count);
    header.Comment = Comment;
    SavedLab->clear();
    try {
        WriteSpectrumFile(path, header, SumOfPasses(FSet.Passes, chosen));
    } catch (const EMerilError& e) {
        MessageDlg(e.Text(), TMsgType::Error, mbOK);
        return false;
    }
    SavedLab->setText(QStringLiteral("Saved the sum of %1 passes in %2")
                          .arg(count)
                          .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    return true;
}

void TPassReview::SaveButtonClick()
{
    if (!SaveDialog.Execute(this))
        return;
    const QString path = SaveDialog.FileName;
    if (QFileInfo::exists(path) &&
        MessageDlg(QLatin1Char('"') + QFileInfo(path).fileName() + QStringLiteral("\" file exists. Overwrite ?"),
                   TMsgType::Warning, mbYes | mbNo) == mbNo)
        return;
    SaveSum(path);
}
