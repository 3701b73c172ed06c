#pragma once
// The output of meril-proc: one spectrum file's measurements as a JSON
// object (one line of JSON Lines), or as a row of the CSV table.

#include "SpectrumReport.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The report's top-level keys in the order they are written ("file" first).
struct TReportFields {
    std::vector<std::pair<QString, QJsonValue>> Fields;
    QJsonObject Object() const;
    // The compact JSON object on one line, keys in order.
    QString JsonLine() const;
};

TReportFields ReportJson(const QString& file, const TSpectrum& spectrum, const TSpectrumReport& report);

// The CSV columns: the JSON keys, nested ones as "view.key"; the fit's as
// "fit.key" when a fit was asked for.
QStringList CsvColumns(bool withFit = false);
// One CSV row of a report object, in the order of CsvColumns.
QString CsvRow(const QJsonObject& report, bool withFit = false);
QString CsvHeader(bool withFit = false);
