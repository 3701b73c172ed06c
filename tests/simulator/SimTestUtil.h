#pragma once
// Helpers of the simulator tests: run an instrument on its simulated clock and
// read back its lines.

#include "Instrument.h"

#include <QList>
#include <algorithm>
#include <vector>

struct TLine {
    double Time;     // when its CR arrived
    QByteArray Text; // without the CR
};

// Runs the instrument until nothing is scheduled, or until its clock reaches
// `until`; returns the complete lines sent meanwhile. A line without CR stays in `partial`.
inline QList<TLine> RunInstrument(TInstrument& instrument, double until = TInstrument::Never,
                                  QByteArray* partial = nullptr)
{
    QList<TLine> lines;
    QByteArray pending = partial ? *partial : QByteArray();
    for (double next = instrument.NextEventTime(); next != TInstrument::Never && next <= until;
         next = instrument.NextEventTime()) {
        instrument.AdvanceTo(next);
        for (const auto& chunk : instrument.TakeOutput()) {
            pending += chunk.Bytes;
            for (qsizetype end; (end = pending.indexOf('\r')) >= 0; pending.remove(0, end + 1))
                lines.append({chunk.Time, pending.left(end)});
        }
    }
    if (until != TInstrument::Never)
        instrument.AdvanceTo(until);
    if (partial)
        *partial = pending;
    return lines;
}

inline QList<QByteArray> Texts(const QList<TLine>& lines)
{
    QList<QByteArray> texts;
    for (const auto& line : lines)
        texts.append(line.Text);
    return texts;
}

// The data values of the V lines, in raw counts.
inline std::vector<double> DataValues(const QList<TLine>& lines)
{
    std::vector<double> values;
    for (const auto& line : lines)
        if (line.Text.startsWith('V'))
            values.push_back(double(qint32(line.Text.mid(2, 8).toUInt(nullptr, 16))));
    return values;
}

inline int CountStarting(const QList<TLine>& lines, char letter)
{
    return int(std::count_if(lines.begin(), lines.end(), [letter](const TLine& l) { return l.Text.startsWith(letter); }));
}
