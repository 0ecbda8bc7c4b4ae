#pragma once

// The process's sound output: an SDL2 audio device fed by a Mixer, or, when no device opens,
// a null output whose mixer keeps every voice's state but is never heard, so the program runs
// silent instead of failing.

#include <memory>
#include <string>

#include "platform/audio/Mixer.h"

namespace zv::audio {

class AudioOutput {
  public:
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // The one output of the process, opened on first use and closed when the last holder lets
    // go. Never null: a device that cannot open gives the null output and one log line.
    static std::shared_ptr<AudioOutput> Shared();
    // Makes Shared() answer with this output until called again with null (tests drive a null
    // output's mixer by hand to render offline).
    static void OverrideShared(std::shared_ptr<AudioOutput> output);
    // An output that plays nothing (tests, and the fallback above).
    static std::shared_ptr<AudioOutput> OpenNull(int rate = 44100);

    bool IsNull() const { return device_ == 0; }
    Mixer& GetMixer() { return mixer_; }
    int Rate() const { return mixer_.OutputRate(); }
    // Why the device did not open (empty for a real device).
    const std::string& OpenError() const { return error_; }

  private:
    explicit AudioOutput(int rate);
    static void Callback(void* self, uint8_t* stream, int len);

    Mixer mixer_;
    uint32_t device_ = 0;
    bool ownsSubsystem_ = false;
    std::string error_;
};

}  // namespace zv::audio
