#pragma once
// A line-shape fit's results as text lines, "name = value ± u unit", the
// value given to the digits its uncertainty supports. The processing
// window's fit panel and the caption of its saved picture show the same lines.

#include "LineFit.h"

#include <QString>
#include <QStringList>

// The first line names the model (and the multiplet); a failed fit gives
// one line with the reason. `unit` is the x unit, "Gs" or "kHz".
QStringList FitResultLines(const TFitResult& result, const QString& unit,
                           const std::optional<THyperfine>& hyperfine = std::nullopt);

// value ± u with two significant digits of u, or the value alone to six
// significant digits when u is 0 or not finite.
QString ValueWithUncertainty(const TFitValue& v);
