#pragma once
// Instrument lines of whole passes, for windows driven over the scripted link.

#include <QByteArray>
#include <cstdint>
#include <vector>

// A data line carrying `value` after division by the divisor 13500.
inline QByteArray ValueLine(int value)
{
    return "V " + QByteArray::number(uint32_t(value * 13500), 16).toUpper().rightJustified(8, '0') + "\r";
}

// One pass of the given values, from the set-up line to the end of its data.
inline QByteArray Pass(const std::vector<int>& values, bool complete = true)
{
    QByteArray lines = "A" + QByteArray::number(int(values.size()), 16).rightJustified(4, '0') + "\rB\r";
    for (int v : values)
        lines += ValueLine(v);
    return complete ? lines + "C\r" : lines;
}
