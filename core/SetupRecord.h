#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

// The experiment parameters as control positions, stored in a setup file byte
// for byte as laid out here (little-endian, signed). Per-mode arrays are
// indexed by the mode index 0..3. The padding bytes are kept as read.
struct SetupRecord {
    static constexpr int Size = 104;

    int32_t Level = 0;                           // offset 0
    int32_t Gain = 0;                            // 4
    std::array<int32_t, 4> Phase{};              // 8
    int32_t Acc = 1;                             // 24
    uint8_t FieldSweep = 0;                      // 28: 1 field sweep, 0 frequency sweep
    std::array<uint8_t, 3> Padding1{};           // 29
    std::array<int32_t, 4> FieldSwRng{1, 1, 1, 1};  // 32
    int32_t FreqSwRng = 1;                       // 48
    int32_t ModAmp = 0;                          // 52
    int32_t SweepT = 1;                          // 56
    std::array<int32_t, 4> TuningB0{};           // 60
    int32_t DB0 = 0;                             // 76
    std::array<int32_t, 4> Frequency{};          // 80
    int32_t DFrq = 0;                            // 96
    uint8_t Mode = 0;                            // 100
    std::array<uint8_t, 3> Padding2{};           // 101

    bool operator==(const SetupRecord&) const = default;
};

QByteArray SetupRecordToBytes(const SetupRecord& r);
// Takes the first record of bytes; false (and r unchanged) when fewer than 104 bytes.
bool SetupRecordFromBytes(QByteArrayView bytes, SetupRecord& r);
