#pragma once
// Plays the operator's notification sounds (.wav files) by file name.

#include <QString>

enum class TSoundMode {
    Sync,   // returns when the sound has finished
    Async,  // returns at once, plays once
    Loop    // returns at once, plays until StopAll
};

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;
    // A missing or unplayable file plays nothing and reports nothing.
    virtual void Play(const QString& fileName, TSoundMode mode) = 0;
    virtual void StopAll() = 0;
    // True while a sound plays or is about to (an asynchronous or looping one).
    virtual bool Playing() const = 0;
};

// The player in use; the real one unless a test installed another.
TSoundPlayer& SoundPlayer();
void SetSoundPlayer(TSoundPlayer* player);  // nullptr restores the real one
