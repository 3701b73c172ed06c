#pragma once
// One unpaced pass of the simulated instrument, taken in as the main window
// takes the V lines: the values it adds into its buffer.

#include "Instrument.h"
#include "Pacer.h"
#include "ReplyLine.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

// `setup` is the command text sent before the sweep starts ("F0\r").
inline std::vector<int32_t> SimulatedPass(const TInstrumentConfig& config, const QByteArray& setup,
                                          int dataDivisor = 13500)
{
    TInstrument instrument(config);
    instrument.Receive(setup);
    TPacer pacer(instrument, TPacer::Clock::now());
    pacer.SetSpeed(0, TPacer::Clock::now());
    instrument.Receive("F0\r");
    QByteArray bytes;
    for (QByteArray chunk; !(chunk = pacer.Take(TPacer::Clock::now(), 4096)).isEmpty();)
        bytes += chunk;
    std::vector<int32_t> values;
    for (const QByteArray& line : bytes.split('\r')) {
        const TParsedReply parsed = ParseReply(line);
        if (const TReply* r = std::get_if<TReply>(&parsed); r && r->Letter == 'V')
            values.push_back(r->Raw / dataDivisor);
    }
    return values;
}
