#include "platform/audio/AudioOutput.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace zv::audio {

namespace {
constexpr int kPreferredRate = 44100;
std::mutex gSharedMutex;
std::weak_ptr<AudioOutput> gShared;
std::shared_ptr<AudioOutput> gOverride;
}  // namespace

AudioOutput::AudioOutput(int rate) : mixer_(rate) {}

AudioOutput::~AudioOutput() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (ownsSubsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOutput::Callback(void* self, uint8_t* stream, int len) {
    auto* out = static_cast<AudioOutput*>(self);
    out->mixer_.Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

std::shared_ptr<AudioOutput> AudioOutput::OpenNull(int rate) {
    return std::shared_ptr<AudioOutput>(new AudioOutput(rate));
}

void AudioOutput::OverrideShared(std::shared_ptr<AudioOutput> output) {
    std::lock_guard lock(gSharedMutex);
    gOverride = std::move(output);
}

std::shared_ptr<AudioOutput> AudioOutput::Shared() {
    std::lock_guard lock(gSharedMutex);
    if (gOverride) return gOverride;
    if (auto existing = gShared.lock()) return existing;

    std::string error;
    std::shared_ptr<AudioOutput> out;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
    } else {
        SDL_AudioSpec want{};
        want.freq = kPreferredRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &AudioOutput::Callback;
        // The mixer must exist before the device calls back; the rate SDL grants decides it,
        // so open first with a holder and fill it in before unpausing.
        SDL_AudioSpec have{};
        auto candidate = std::shared_ptr<AudioOutput>(new AudioOutput(kPreferredRate));
        want.userdata = candidate.get();
        SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (id == 0) {
            error = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        } else {
            candidate->device_ = id;
            candidate->ownsSubsystem_ = true;
            out = std::move(candidate);
            SDL_PauseAudioDevice(id, 0);
        }
    }
    if (!out) {
        std::fprintf(stderr, "zv6: no sound device (%s); running silent\n", error.c_str());
        out = OpenNull(kPreferredRate);
        out->error_ = error;
    }
    gShared = out;
    return out;
}

}  // namespace zv::audio
