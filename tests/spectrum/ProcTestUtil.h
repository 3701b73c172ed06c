#pragma once
// Running meril-proc as a process and writing spectrum files for it.

#include "DataFile.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <cmath>
#include <functional>
#include <vector>

struct TProcRun {
    int ExitCode = -1;
    QByteArray Out, Err;
    QList<QByteArray> OutLines() const { return Out.trimmed().isEmpty() ? QList<QByteArray>{} : Out.trimmed().split('\n'); }
};

// One line of meril-proc's JSON Lines as an object (a warning when it is none).
inline QJsonObject ParseJsonLine(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        qWarning() << "not a JSON object:" << line;
    return doc.object();
}

// The codes of a report's "warnings", in their order.
inline QStringList WarningCodes(const QJsonObject& report)
{
    QStringList codes;
    for (const QJsonValue& w : report["warnings"].toArray())
        codes << w.toObject()["code"].toString();
    return codes;
}

inline QString MerilProcPath()
{
    const QString path = qEnvironmentVariable("MERIL_PROC");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../../app/meril-proc" : path;
}

inline TProcRun RunMerilProc(const QStringList& arguments)
{
    QProcess process;
    process.start(MerilProcPath(), arguments);
    TProcRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = process.exitCode();
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}

// A header as the main window fills it for a field sweep.
inline TDataHeader FieldSweepHeader(const QString& resonance, float range, const QString& acc)
{
    TDataHeader h;
    h.Comment = QStringLiteral("synthetic");
    h.Frequency = resonance == QLatin1String("ESR") ? QStringLiteral("9 500 000.0 kHz") : QStringLiteral("14 000.0 kHz");
    h.B0 = resonance == QLatin1String("ESR") ? QStringLiteral("3 390.00 Gs") : QStringLiteral("3 288.12 Gs");
    h.SweepTp = 1;
    h.SweepR = range;
    h.ModAmp = QStringLiteral("0.50 Gs");
    h.SweepTime = QStringLiteral(" 0.5 min");
    h.Gain = QStringLiteral("128");
    h.Phase = QStringLiteral("    0.0 \u00B0");
    h.Acc = acc;
    h.Resonance = resonance;
    return h;
}

// Sums of `acc` passes of f over count points of the sweep range.
inline std::vector<int32_t> PassSums(int count, double range, int acc, const std::function<double(double)>& f)
{
    std::vector<int32_t> sums;
    for (int i = 0; i < count; ++i)
        sums.push_back(int32_t(std::lround(acc * f(-range / 2 + i * range / (count - 1)))));
    return sums;
}
