#pragma once

// Background music: a standard MIDI file rendered by the synthesiser through the process's
// sound output. The player reports the end of a piece to its notify window with MM_MCINOTIFY
// (wParam kMciNotifySuccessful, lParam the device id), which the window hands back to OnNotify;
// with looping on, that starts the piece again from its beginning.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::audio {
class AudioOutput;
class MidiSynth;
}  // namespace zv::audio

namespace zv::fw {

constexpr uint32_t kMciNotifySuccessful = 1;

// The abstract playing interface.
class SoundInterface {
  public:
    virtual ~SoundInterface() = default;
    virtual int Open(const char* fileName) = 0;
    virtual int Close() = 0;
    virtual int Play() = 0;
    virtual int Stop() = 0;
    virtual int Pause() = 0;
    virtual int PlayFromStart() = 0;
    virtual int IsPlaying() { return playing_; }
    virtual const char* GetFileName() { return fileName_; }

  protected:
    int playing_ = 0;
    char fileName_[260] = {};
};

class MidiPlayer : public virtual SoundInterface {
  public:
    // Music with the General MIDI soundfont found on the system.
    explicit MidiPlayer(ui::Hwnd notifyWindow);
    // Music with the given soundfont; an empty or unusable one gives a player without a device,
    // which does nothing and reports success as the game expects.
    MidiPlayer(ui::Hwnd notifyWindow, const std::string& soundFontPath);
    ~MidiPlayer() override;

    virtual void SetLoop(int flag);

    int Open(const char* fileName) override;
    int Close() override;
    int Play() override;
    int Stop() override;
    int Pause() override;
    int PlayFromStart() override;

    // The window's MM_MCINOTIFY: (wParam, lParam, enabled). Restarts the current player's piece
    // when enabled, looping and the code is kMciNotifySuccessful for the device now open.
    static int OnNotify(ui::WParam code, ui::LParam deviceId, int enabled);

    // Whether music can sound at all (a soundfont was found and the synthesiser started). The
    // synthesiser and its soundfont (megabytes) are loaded when music is first opened, or here.
    bool HasDevice() { return EnsureSynth(); }
    bool IsOpen() const { return open_ != 0; }
    uint16_t DeviceId() const { return deviceId_; }
    int IsLooping() const { return loop_; }

  private:
    // Starts the synthesiser on first use; false when it cannot start (no music).
    bool EnsureSynth();
    // Without a synthesiser that could not start, the player acts as one with nothing open.
    bool NoMusic() const { return synthFailed_; }

    std::shared_ptr<audio::AudioOutput> output_;
    std::string soundFontPath_;
    std::unique_ptr<audio::MidiSynth> synth_;
    bool synthFailed_ = false;
    ui::Hwnd notify_{};
    int open_ = 0;
    uint16_t deviceId_ = 0;
    int loop_ = 0;
};

// Kind 1 makes a player; any other kind gives null.
MidiPlayer* CreateMidiPlayer(ui::Hwnd notifyWindow, int kind);
void DeleteMidiPlayer(MidiPlayer* player);

}  // namespace zv::fw
