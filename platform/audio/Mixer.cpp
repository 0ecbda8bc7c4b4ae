#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>

namespace zv::audio {

Mixer::Mixer(int outputRate) : rate_(std::max(1, outputRate)) {}

Mixer::Voice* Mixer::Find(int voice) {
    if (voice < 0 || voice >= int(voices_.size()) || !voices_[voice].used) return nullptr;
    return &voices_[voice];
}

const Mixer::Voice* Mixer::Find(int voice) const {
    if (voice < 0 || voice >= int(voices_.size()) || !voices_[voice].used) return nullptr;
    return &voices_[voice];
}

void Mixer::UpdateGains(Voice& v) {
    // Attenuation in hundredths of a decibel: volume on both sides, pan on the far side.
    auto amp = [](int centibels) { return std::pow(10.0, centibels / 2000.0); };
    double base = v.volume <= kVolumeMin ? 0.0 : amp(v.volume);
    double left = v.pan > 0 ? (v.pan >= kPanRight ? 0.0 : amp(-v.pan)) : 1.0;
    double right = v.pan < 0 ? (v.pan <= kPanLeft ? 0.0 : amp(v.pan)) : 1.0;
    v.gainLeft = int(std::lround(base * left * 65536.0));
    v.gainRight = int(std::lround(base * right * 65536.0));
}

int Mixer::AddVoice(const WaveData& wave, std::string* error) {
    if (!IsPlayableFormat(wave.format, error)) return -1;
    Voice v;
    v.used = true;
    v.channels = wave.format.channels;
    v.baseRate = v.rate = wave.format.samplesPerSec;
    std::size_t bytesPerFrame = wave.format.blockAlign;
    v.frames = uint32_t(wave.samples.size() / bytesPerFrame);
    v.pcm.resize(std::size_t(v.frames) * v.channels);
    const uint8_t* s = wave.samples.data();
    for (std::size_t i = 0; i < v.pcm.size(); ++i) {
        v.pcm[i] = wave.format.bitsPerSample == 8 ? int16_t((int(s[i]) - 128) << 8)
                                                  : int16_t(s[2 * i] | (s[2 * i + 1] << 8));
    }
    UpdateGains(v);
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < voices_.size(); ++i) {
        if (!voices_[i].used) {
            voices_[i] = std::move(v);
            return int(i);
        }
    }
    voices_.push_back(std::move(v));
    return int(voices_.size() - 1);
}

void Mixer::RemoveVoice(int voice) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(voice)) *v = Voice{};
}

void Mixer::Play(int voice, bool loop, bool fromStart) {
    std::lock_guard lock(mutex_);
    Voice* v = Find(voice);
    if (!v) return;
    if (fromStart || !v->playing) v->pos = 0;
    v->loop = loop;
    v->playing = v->frames > 0;
}

void Mixer::Stop(int voice) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(voice)) v->playing = false;
}

bool Mixer::IsPlaying(int voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(voice);
    return v && v->playing;
}

bool Mixer::IsLooping(int voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(voice);
    return v && v->loop;
}

uint32_t Mixer::Position(int voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(voice);
    return v ? uint32_t(v->pos >> 32) : 0;
}

uint32_t Mixer::BaseFrequency(int voice) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(voice);
    return v ? v->baseRate : 0;
}

void Mixer::SetFrequency(int voice, uint32_t hz) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(voice)) v->rate = std::clamp(hz, kFrequencyMin, kFrequencyMax);
}

void Mixer::SetVolume(int voice, int centibels) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(voice)) {
        v->volume = std::clamp(centibels, kVolumeMin, 0);
        UpdateGains(*v);
    }
}

void Mixer::SetPan(int voice, int pan) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(voice)) {
        v->pan = std::clamp(pan, kPanLeft, kPanRight);
        UpdateGains(*v);
    }
}

void Mixer::AddStream(MixerStream* stream) {
    std::lock_guard lock(mutex_);
    if (stream && std::find(streams_.begin(), streams_.end(), stream) == streams_.end()) {
        streams_.push_back(stream);
    }
}

void Mixer::RemoveStream(MixerStream* stream) {
    std::lock_guard lock(mutex_);
    std::erase(streams_, stream);
}

void Mixer::Mix(int16_t* out, int frames) {
    if (frames <= 0) return;
    std::lock_guard lock(mutex_);
    accumulator_.assign(std::size_t(frames) * 2, 0);
    int32_t* acc = accumulator_.data();
    for (Voice& v : voices_) {
        if (!v.used || !v.playing) continue;
        uint64_t step = (uint64_t(v.rate) << 32) / uint64_t(rate_);
        uint64_t end = uint64_t(v.frames) << 32;
        for (int i = 0; i < frames; ++i) {
            if (v.pos >= end) {
                if (!v.loop) {
                    v.playing = false;
                    v.pos = 0;  // the next play starts from the beginning
                    break;
                }
                v.pos %= end;
            }
            uint32_t f = uint32_t(v.pos >> 32);
            int32_t frac = int32_t((v.pos >> 16) & 0xFFFF);
            uint32_t g = f + 1 < v.frames ? f + 1 : (v.loop ? 0 : f);
            int32_t l0 = v.pcm[std::size_t(f) * v.channels];
            int32_t l1 = v.pcm[std::size_t(g) * v.channels];
            int32_t r0 = v.channels == 2 ? v.pcm[std::size_t(f) * 2 + 1] : l0;
            int32_t r1 = v.channels == 2 ? v.pcm[std::size_t(g) * 2 + 1] : l1;
            int32_t l = l0 + int32_t((int64_t(l1 - l0) * frac) >> 16);
            int32_t r = r0 + int32_t((int64_t(r1 - r0) * frac) >> 16);
            acc[2 * i] += int32_t((int64_t(l) * v.gainLeft) >> 16);
            acc[2 * i + 1] += int32_t((int64_t(r) * v.gainRight) >> 16);
            v.pos += step;
        }
    }
    for (MixerStream* s : streams_) s->MixInto(acc, frames, rate_);
    for (std::size_t i = 0; i < accumulator_.size(); ++i) {
        out[i] = int16_t(std::clamp(acc[i], -32768, 32767));
    }
}

}  // namespace zv::audio
