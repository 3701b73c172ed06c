#pragma once
// A line-shape fit's results as text lines, "name = value ± u unit", the
// value given to the digits its uncertainty supports. The processing
// window's fit panel and the caption of its saved picture show the same lines.

#include "LineFit.h"

#include <QString>
#include <QStringList>

// The first line names the model (and the hyperfine groups); a failed fit
// gives one line with the reason. `unit` is the x unit, "Gs" or "kHz".
QStringList FitResultLines(const TFitResult& result, const QString& unit, const THyperfineGroups& hyperfine = {});

// What limits g's uncertainty: the fitted centre, or the last digits of the
// stored B0 and frequency texts; empty without g.
QString GUncertaintyText(const TFitResult& result);

// value ± u with two significant digits of u, or the value alone to six
// significant digits when u is 0 or not finite.
QString ValueWithUncertainty(const TFitValue& v);
