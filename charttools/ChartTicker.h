#pragma once
// Ticks and labels of a chart axis: ticks from the axis minimum at a fixed
// step (the axis Increment), or, with no Increment, at round multiples of a
// readable step; labels in the axis's FormatFloat value format.

#include <qcustomplot.h>

class TChartAxis;

class TChartTicker : public QCPAxisTicker {
public:
    TChartTicker(const TChartAxis& axis, const QCPAxis& plotAxis) : FAxis(axis), FPlotAxis(plotAxis) {}

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

private:
    // Step between labelled ticks: the Increment, or a multiple of it when
    // that many labels would overlap on the axis's length.
    double LabelStep(const QCPRange& range);

    const TChartAxis& FAxis;
    const QCPAxis& FPlotAxis;
};
