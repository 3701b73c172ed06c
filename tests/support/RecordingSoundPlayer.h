#pragma once
// A sound player that records what the program would have played. It
// installs itself for its lifetime.

#include "SoundPlayer.h"

#include <vector>

class TRecordingSoundPlayer final : public TSoundPlayer {
public:
    TRecordingSoundPlayer() { SetSoundPlayer(this); }
    ~TRecordingSoundPlayer() override { SetSoundPlayer(nullptr); }
    TRecordingSoundPlayer(const TRecordingSoundPlayer&) = delete;
    TRecordingSoundPlayer& operator=(const TRecordingSoundPlayer&) = delete;

    struct TPlayed {
        QString File;
        TSoundMode Mode;
    };
    std::vector<TPlayed> Played;
    int Stops = 0;
    bool Looping = false;   // a loop was played and not stopped since

    void Play(const QString& fileName, TSoundMode mode) override
    {
        Played.push_back({fileName, mode});
        Looping |= mode == TSoundMode::Loop;
    }
    void StopAll() override
    {
        ++Stops;
        Looping = false;
    }
    bool Playing() const override { return Looping; }
};
