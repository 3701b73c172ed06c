#pragma once
// The notification sound of one event: sweep start, sweep end or accumulation end.

#include <QString>
#include <array>
#include <cstdint>

struct TSoundEvent {
    QString FileName;           // .wav file to play; empty: none
    uint8_t Off = 0;            // 1: no sound for this event
    uint8_t Single = 0;         // 1: play once rather than in a loop (accumulation end only)
    uint8_t SingleEnabled = 0;  // 1: the audio dialog offers the Single choice
    bool operator==(const TSoundEvent&) const = default;
};

// The three events in their fixed order.
enum TSoundEventIndex { seSweepStart = 0, seSweepEnd = 1, seAccumulationEnd = 2 };
using TSoundEvents = std::array<TSoundEvent, 3>;

// The sounds before any settings were read: start and end of a sweep offer no
// Single choice (and are marked Single), accumulation end offers it.
inline TSoundEvents DefaultSoundEvents()
{
    return {TSoundEvent{{}, 0, 1, 0}, TSoundEvent{{}, 0, 1, 0}, TSoundEvent{{}, 0, 0, 1}};
}
