#pragma once

// Sound effects: up to 30 WAVE samples loaded into slots of the process's mixer, played once
// or looping, with frequency, pan and volume changed in steps of 100. SoundEffect is the
// handle the rest of the program holds; every one of its operations does nothing when the
// manager is not running or the handle has no slot, so a program without sound needs no checks.

#include <cstdint>
#include <memory>
#include <string>

namespace zv::audio {
class AudioOutput;
}

namespace zv::fw {

constexpr int kSoundSlotCount = 30;
constexpr uint16_t kNoSoundSlot = 0xFFFF;

// Starts the manager on the process's sound output (the silent null output when no device
// opens, so effects keep their state and the game runs silent). 1 when running.
int StartSoundManager();
void StopSoundManager();
bool IsSoundManagerRunning();

// What a slot holds (for the program's diagnostics and tests).
struct SoundSlotState {
    bool inUse = false;
    std::string name;
    int volume = 0;          // hundredths of a decibel, -10000..0
    int pan = 0;             // -10000..10000
    uint32_t frequency = 0;  // Hz
    uint32_t baseFrequency = 0;
    bool playing = false;
    bool looping = false;
    uint32_t position = 0;  // frames played
};
SoundSlotState GetSoundSlotState(int slot);

namespace SoundManager {
// The manager's extra operations on a slot.
void SetSlotPanFullLeft(int slot);
void SetSlotPanFullRight(int slot);
// A short plain tone.
void Beep();
// Plays a WAVE file once and returns when it has finished (at once on the null output);
// the slots stay as they are. False when the file cannot be played.
bool PlaySystemSound(const char* name);
}  // namespace SoundManager

class SoundEffect {
  public:
    SoundEffect() = default;
    explicit SoundEffect(const char* name);
    virtual ~SoundEffect();
    SoundEffect(const SoundEffect&) = delete;
    SoundEffect& operator=(const SoundEffect&) = delete;

    uint16_t Slot() const { return Own(); }
    int Reload(const char* name);
    int Release();

    // loop 0: from the beginning, once (a playing effect starts over); otherwise repeat until
    // stopped, going on from where a playing effect is.
    void Play(int loop);
    void Stop();

    void AdjustFrequency(int delta);      // += delta x 100 Hz
    void SetFrequencyOffset(int offset);  // base + offset x 100 Hz
    void ResetFrequency();
    void AdjustPan(int delta);  // += delta x 100
    void SetPan(int value);     // value x 100
    void CenterPan();
    void AdjustVolume(int delta);  // += delta x 100
    void SetVolume(int value);     // value x 100
    void ResetVolume();

  private:
    uint16_t Own() const;  // the slot, or none when the manager has restarted since

    uint16_t slot_ = kNoSoundSlot;
    uint32_t generation_ = 0;
};

}  // namespace zv::fw
