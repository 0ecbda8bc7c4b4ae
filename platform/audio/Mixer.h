#pragma once

// The software mixer behind every sound: WAVE voices (one per loaded sample, played once or
// looping, with frequency, volume and pan) and streams (music, movie sound) summed into
// interleaved 16-bit stereo at the output's rate. Any thread may call it; the audio thread
// calls Mix.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/WaveFile.h"

namespace zv::audio {

// Volumes are hundredths of a decibel, 0 (full) down to -10000 (silent); pan runs from -10000
// (left only) to 10000 (right only), as the game's sound calls count them.
constexpr int kVolumeMin = -10000;
constexpr int kPanLeft = -10000;
constexpr int kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 100000;

// Something that adds its own sound to the mix (a synthesiser, a movie's sound track).
class MixerStream {
  public:
    virtual ~MixerStream() = default;
    // Adds `frames` stereo frames at `rate` Hz into `out`, saturating. Called with the mixer
    // locked: it must not call back into the mixer.
    virtual void MixInto(int32_t* out, int frames, int rate) = 0;
};

class Mixer {
  public:
    explicit Mixer(int outputRate);

    int OutputRate() const { return rate_; }

    // A voice for a playable sample (IsPlayableFormat); -1 when the format is refused.
    int AddVoice(const WaveData& wave, std::string* error = nullptr);
    void RemoveVoice(int voice);

    // Starts the voice. fromStart rewinds it first; a voice that is not playing always starts
    // at the beginning. loop keeps it repeating until Stop.
    void Play(int voice, bool loop, bool fromStart);
    void Stop(int voice);
    bool IsPlaying(int voice) const;
    bool IsLooping(int voice) const;
    // Frames of the sample already played (for tests).
    uint32_t Position(int voice) const;

    uint32_t BaseFrequency(int voice) const;
    void SetFrequency(int voice, uint32_t hz);  // clamped to kFrequencyMin..kFrequencyMax
    void SetVolume(int voice, int centibels);   // clamped to kVolumeMin..0
    void SetPan(int voice, int pan);            // clamped to kPanLeft..kPanRight

    void AddStream(MixerStream* stream);
    void RemoveStream(MixerStream* stream);

    // Renders `frames` interleaved stereo frames.
    void Mix(int16_t* out, int frames);

  private:
    struct Voice {
        bool used = false;
        std::vector<int16_t> pcm;  // interleaved, `channels` per frame
        int channels = 1;
        uint32_t frames = 0;
        uint32_t baseRate = 0;
        uint32_t rate = 0;
        uint64_t pos = 0;  // 32.32 fixed-point frame position
        bool playing = false;
        bool loop = false;
        int gainLeft = 65536;  // Q16
        int gainRight = 65536;
        int volume = 0;
        int pan = 0;
    };
    Voice* Find(int voice);
    const Voice* Find(int voice) const;
    static void UpdateGains(Voice& v);

    mutable std::mutex mutex_;
    int rate_;
    std::vector<Voice> voices_;
    std::vector<MixerStream*> streams_;
    std::vector<int32_t> accumulator_;
};

}  // namespace zv::audio
