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

// Runs the instrument until nothing is scheduled or its clock reaches `until`;
// returns the complete lines sent meanwhile.
inline QList<TLine> RunInstrument(TInstrument& instrument, double until = TInstrument::Never)
{
    QList<TLine> lines;
    QByteArray pending;
    for (double next; (next = instrument.NextEventTime()) != TInstrument::Never && next <= until;) {
        instrument.AdvanceTo(next);
        for (const auto& chunk : instrument.TakeOutput()) {
            pending += chunk.Bytes;
            for (qsizetype end; (end = pending.indexOf('\r')) >= 0; pending.remove(0, end + 1))
                lines.append({chunk.Time, pending.left(end)});
        }
    }
    if (until != TInstrument::Never)
        instrument.AdvanceTo(until);
    return lines;
}

inline QByteArrayList Texts(const QList<TLine>& lines)
{
    QByteArrayList texts;
    for (const auto& line : lines)
        texts.append(line.Text);
    return texts;
}

// The raw counts of the V lines.
inline std::vector<double> DataValues(const QList<TLine>& lines)
{
    std::vector<double> values;
    for (const auto& line : lines)
        if (line.Text.startsWith('V'))
            values.push_back(double(qint32(line.Text.mid(2, 8).toUInt(nullptr, 16))));
    return values;
}
