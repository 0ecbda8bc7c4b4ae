#include "framework/media/MidiPlayer.h"

#include <cstdio>
#include <cstring>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio/SoundFont.h"
#include "platform/ui/Window.h"

namespace zv::fw {

namespace {
MidiPlayer* gCurrentPlayer = nullptr;
uint16_t gLastDeviceId = 0;
}  // namespace

MidiPlayer::MidiPlayer(ui::Hwnd notifyWindow) : MidiPlayer(notifyWindow, audio::FindSoundFont()) {}

MidiPlayer::MidiPlayer(ui::Hwnd notifyWindow, const std::string& soundFontPath)
    : soundFontPath_(soundFontPath), notify_(notifyWindow) {
    output_ = audio::AudioOutput::Shared();
    gCurrentPlayer = this;
}

bool MidiPlayer::EnsureSynth() {
    if (synth_) return true;
    if (synthFailed_) return false;
    std::string error;
    synth_ = audio::MidiSynth::Create(output_->Rate(), soundFontPath_, &error);
    if (!synth_) {
        synthFailed_ = true;
        std::fprintf(stderr, "zv6: no music (%s)\n", error.c_str());
        return false;
    }
    output_->GetMixer().AddStream(synth_.get());
    return true;
}

MidiPlayer::~MidiPlayer() {
    Close();
    if (synth_) output_->GetMixer().RemoveStream(synth_.get());
    if (gCurrentPlayer == this) gCurrentPlayer = nullptr;
}

void MidiPlayer::SetLoop(int flag) {
    loop_ = flag;
}

int MidiPlayer::Open(const char* fileName) {
    if (!EnsureSynth()) return 1;
    if (open_) Close();
    std::snprintf(fileName_, sizeof fileName_, "%s", fileName ? fileName : "");
    std::string error;
    if (!synth_->Load(fileName_, &error)) {
        std::fprintf(stderr, "zv6: music %s\n", error.c_str());
        open_ = 0;
        return 0;
    }
    open_ = 1;
    deviceId_ = ++gLastDeviceId;
    if (deviceId_ == 0) deviceId_ = ++gLastDeviceId;
    ui::Hwnd notify = notify_;
    uint16_t id = deviceId_;
    // Runs on the audio thread: only a post, never a call into the window.
    synth_->SetEndCallback([notify, id] {
        ui::PostMessage(notify, ui::MM_MCINOTIFY, kMciNotifySuccessful, ui::LParam(id));
    });
    return 1;
}

int MidiPlayer::Close() {
    if (NoMusic()) return 0;
    if (synth_) synth_->Unload();
    playing_ = 0;
    open_ = 0;
    return 1;
}

int MidiPlayer::Play() {
    if (NoMusic()) return 1;
    if (!open_) return 0;
    playing_ = 1;
    synth_->Play();
    return 1;
}

int MidiPlayer::Stop() {
    if (synth_) {
        synth_->Stop();
        playing_ = 0;
    }
    return 1;
}

int MidiPlayer::Pause() {
    if (NoMusic()) return 1;
    if (!open_) return 0;
    // A paused piece stays paused until Play; it sends no notice of its own.
    synth_->Pause();
    return 1;
}

int MidiPlayer::PlayFromStart() {
    if (NoMusic()) return 1;
    if (!open_ || !playing_) return 0;
    synth_->Rewind();
    synth_->Play();
    return 1;
}

int MidiPlayer::OnNotify(ui::WParam code, ui::LParam deviceId, int enabled) {
    MidiPlayer* p = gCurrentPlayer;
    // A late notice of a piece that has since been closed must not restart the new one.
    if (enabled && p && p->loop_ && code == kMciNotifySuccessful && p->open_ &&
        deviceId == ui::LParam(p->deviceId_)) {
        p->PlayFromStart();
    }
    return 1;
}

MidiPlayer* CreateMidiPlayer(ui::Hwnd notifyWindow, int kind) {
    if (kind != 1) return nullptr;
    return new MidiPlayer(notifyWindow);
}

void DeleteMidiPlayer(MidiPlayer* player) {
    delete player;
}

}  // namespace zv::fw
