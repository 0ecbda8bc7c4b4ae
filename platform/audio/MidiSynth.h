#pragma once

// Standard MIDI files rendered by FluidSynth with a General MIDI soundfont. The synthesiser is
// a mixer stream, so music plays through the same output as the effects; it can also be
// rendered offline. The player is paced by rendered samples, never by the wall clock.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/Mixer.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;

namespace zv::audio {

class MidiSynth : public MixerStream {
  public:
    // Null when the soundfont is missing or FluidSynth refuses it; the reason goes to `error`.
    static std::unique_ptr<MidiSynth> Create(int rate, const std::string& soundFontPath,
                                             std::string* error);
    ~MidiSynth() override;

    // Reads a standard MIDI file (checked for its "MThd" header) and makes it the current
    // piece, stopped at its start. False leaves no piece loaded.
    bool Load(const std::string& path, std::string* error);
    // The same for a file already in memory; `name` names it in messages.
    bool LoadBytes(std::vector<uint8_t> bytes, const std::string& name, std::string* error);
    void Unload();
    bool HasPiece() const;

    void Play();    // from the current position
    void Pause();   // keeps the position; sounding notes stop
    void Stop();    // the same as Pause for the position; every sound is cut
    void Rewind();  // back to the start, playing or not as before
    bool IsPlaying() const;

    // Called once each time a piece plays to its end, on the thread that renders (the audio
    // thread, or the caller of Render). It must not call back into this object.
    void SetEndCallback(std::function<void()> onEnd);

    // Offline rendering: interleaved stereo frames at the synthesiser's rate.
    void Render(int16_t* out, int frames);
    void MixInto(int32_t* out, int frames, int rate) override;

  private:
    MidiSynth() = default;
    void MakePlayerLocked();
    void DropPlayerLocked();
    bool RenderLocked(int16_t* out, int frames);  // true when the piece has just ended

    mutable std::mutex mutex_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    std::vector<uint8_t> piece_;
    bool playing_ = false;
    std::function<void()> onEnd_;
    bool finished_ = false;  // played to its end; only a rewind plays it again
    std::vector<int16_t> scratch_;
    std::vector<float> floatScratch_;
};

}  // namespace zv::audio
