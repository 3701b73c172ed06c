// Acquisition display: pass series by age, the average, the legend, the x
// axis, the markers after a run and the DB readout.

#include "UCW.h"

#include "Chart.h"
#include "NumFormat.h"
#include "StatusBar.h"
#include "UMMarker.h"
#include "SeriesExtremes.h"
#include "UOutMess.h"
#include "UTextTbl.h"
#include "UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

void TFCW::SetLegend()
{
    for (int age = 0; age < 5; ++age) {
        const QColor c = PassColor(age);
        const QColor text = c.red() > 128 ? Qt::black : Qt::white;
        Legends[size_t(age)]->setStyleSheet(
            QStringLiteral("background: %1; color: %2;").arg(c.name(), text.name()));
    }
}

void TFCW::ApplyPassDisplay()
{
    const int k = CurrDiagramCBox->currentIndex();
    for (int age = 0; age < 5; ++age) {
        TChartSeries* s = Series[size_t((CurrPass + 5 - age) % 5)];
        s->SetVisible(k != 5 && age <= k);
        // Only the pass being measured and the average change during a pass:
        // their new points redraw them alone, above the finished passes.
        s->SetLive(age == 0);
    }
    SeriesAcc->SetLive(true);
}

void TFCW::CurrDiagramCBoxChange()
{
    ApplyPassDisplay();
}

void TFCW::AccDToolBClick()
{
    MAccDiagram->setChecked(!MAccDiagram->isChecked());
    AccDToolB->setChecked(MAccDiagram->isChecked());
    SeriesAcc->SetVisible(MAccDiagram->isChecked());
}

void TFCW::SetupXAxis()
{
    TChartAxis& x = Fid->BottomAxis();
    const double w = FSetup.SweepRange();
    x.SetValueFormat(QStringLiteral("# ##0.### [%1]").arg(FSetup.SweepUnit()));
    x.SetMinMax(-w / 2, w / 2);
    x.SetIncrement((x.Maximum() - x.Minimum()) * 0.25);
}

void TFCW::SetupMarker()
{
    Marker1.Init(Fid, Series[size_t(CurrPass)]->Count(), HorizMTB->isChecked() ? 1 : 0, CurrPass + 1,
                 CrossHalfHeight, CrossHalfWidth, XYST, 0, FSetup.SweepUnit(),
                 AxisLetters(FSetup.FieldSweep() ? 1 : 0).at(0));
}

void TFCW::VertMTBClick()
{
    Marker1.SelectKind(0);
}

void TFCW::HorizMTBClick()
{
    Marker1.SelectKind(1);
}

void TFCW::DHToolBClick()
{
    const TChartSeries& s = *Series[size_t(CurrPass)];
    const int i1 = MinYIndex(s);
    const int i2 = MaxYIndex(s);
    if (i1 < 0 || i2 < 0)
        return;  // no curve to measure
    const double db = std::abs(s.XValue(i1) - s.XValue(i2));
    const QString unit = FSetup.SweepUnit();
    SetStatusText(*StatusBar, 4, Format(QStringLiteral("%6.2n "), {db}) + unit);
    DBST->setText(Format(QStringLiteral(" DB: %6.2n "), {db}) + unit);
    DBST->show();
}

bool TFCW::FidKeyPress(const QKeyEvent& key)
{
    if (Marker1.Chart != Fid)
        return false;
    return Marker1.KeyPress(key.key(), key.modifiers());
}
