#include "framework/media/SoundManager.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/WaveFile.h"

namespace zv::fw {

namespace {

constexpr std::size_t kMaxNameLength = 259;

struct SlotData {
    bool inUse = false;
    int voice = -1;
    std::string name;
    int volume = 0;
    int pan = 0;
    uint32_t frequency = 0;
    uint32_t baseFrequency = 0;
};

struct Manager {
    std::shared_ptr<audio::AudioOutput> output;
    std::array<SlotData, kSoundSlotCount> slots;
    int beepVoice = -1;
    audio::Mixer& Mix() { return output->GetMixer(); }
};

std::unique_ptr<Manager> gManager;
// Counts manager starts, so a handle kept across a restart never reaches another's slot.
uint32_t gGeneration = 0;

SlotData* SlotOf(uint16_t slot) {
    if (!gManager || slot >= kSoundSlotCount || !gManager->slots[slot].inUse) return nullptr;
    return &gManager->slots[slot];
}

uint16_t LoadIntoFreeSlot(const char* name) {
    if (!gManager || !name || std::strlen(name) > kMaxNameLength) return kNoSoundSlot;
    auto free = std::find_if(gManager->slots.begin(), gManager->slots.end(),
                             [](const SlotData& s) { return !s.inUse; });
    if (free == gManager->slots.end()) return kNoSoundSlot;
    audio::WaveData wave;
    if (!audio::ReadWaveFile(name, &wave, nullptr)) return kNoSoundSlot;
    int voice = gManager->Mix().AddVoice(wave);
    if (voice < 0) return kNoSoundSlot;
    *free = SlotData{true, voice, name, 0, 0, wave.format.samplesPerSec, wave.format.samplesPerSec};
    return uint16_t(free - gManager->slots.begin());
}

void ReleaseSlot(uint16_t slot) {
    SlotData* s = SlotOf(slot);
    if (!s) return;
    gManager->Mix().Stop(s->voice);
    gManager->Mix().RemoveVoice(s->voice);
    *s = SlotData{};
}

int ClampHundreds(int64_t value, int lo, int hi) {
    return int(std::clamp<int64_t>(value, lo, hi));
}

void ApplyFrequency(SlotData* s, int64_t hz) {
    s->frequency = uint32_t(std::clamp<int64_t>(hz, audio::kFrequencyMin, audio::kFrequencyMax));
    gManager->Mix().SetFrequency(s->voice, s->frequency);
}
void ApplyPan(SlotData* s, int64_t pan) {
    s->pan = ClampHundreds(pan, audio::kPanLeft, audio::kPanRight);
    gManager->Mix().SetPan(s->voice, s->pan);
}
void ApplyVolume(SlotData* s, int64_t volume) {
    s->volume = ClampHundreds(volume, audio::kVolumeMin, 0);
    gManager->Mix().SetVolume(s->voice, s->volume);
}

}  // namespace

int StartSoundManager() {
    if (gManager) return 1;
    auto m = std::make_unique<Manager>();
    m->output = audio::AudioOutput::Shared();
    if (!m->output) return 0;
    gManager = std::move(m);
    ++gGeneration;
    return 1;
}

void StopSoundManager() {
    if (!gManager) return;
    for (uint16_t i = 0; i < kSoundSlotCount; ++i) ReleaseSlot(i);
    if (gManager->beepVoice >= 0) gManager->Mix().RemoveVoice(gManager->beepVoice);
    gManager.reset();
}

bool IsSoundManagerRunning() {
    return gManager != nullptr;
}

SoundSlotState GetSoundSlotState(int slot) {
    SoundSlotState st;
    const SlotData* s = slot >= 0 && slot < kSoundSlotCount ? SlotOf(uint16_t(slot)) : nullptr;
    if (!s) return st;
    st.inUse = true;
    st.name = s->name;
    st.volume = s->volume;
    st.pan = s->pan;
    st.frequency = s->frequency;
    st.baseFrequency = s->baseFrequency;
    st.playing = gManager->Mix().IsPlaying(s->voice);
    st.looping = gManager->Mix().IsLooping(s->voice);
    st.position = gManager->Mix().Position(s->voice);
    return st;
}

namespace SoundManager {

void SetSlotPanFullLeft(int slot) {
    if (SlotData* s = slot >= 0 ? SlotOf(uint16_t(slot)) : nullptr) ApplyPan(s, audio::kPanLeft);
}

void SetSlotPanFullRight(int slot) {
    if (SlotData* s = slot >= 0 ? SlotOf(uint16_t(slot)) : nullptr) ApplyPan(s, audio::kPanRight);
}

void Beep() {
    if (!gManager) return;
    if (gManager->beepVoice < 0) {
        audio::WaveData tone;
        tone.format.samplesPerSec = 22050;
        tone.format.blockAlign = 2;
        for (int i = 0; i < 22050 / 8; ++i) {
            auto v = int16_t(6000 * std::sin(2 * M_PI * 880.0 * i / 22050));
            tone.samples.push_back(uint8_t(v));
            tone.samples.push_back(uint8_t(uint16_t(v) >> 8));
        }
        gManager->beepVoice = gManager->Mix().AddVoice(tone);
    }
    gManager->Mix().Play(gManager->beepVoice, false, true);
}

bool PlaySystemSound(const char* name) {
    if (!gManager || !name) return false;
    audio::WaveData wave;
    if (!audio::ReadWaveFile(name, &wave, nullptr)) return false;
    audio::Mixer& mix = gManager->Mix();
    int voice = mix.AddVoice(wave);
    if (voice < 0) return false;
    mix.Play(voice, false, true);
    if (!gManager->output->IsNull()) {
        // Synchronous, as the caller expects, but never longer than the sample plus a margin.
        auto limit =
            std::chrono::steady_clock::now() +
            std::chrono::milliseconds(200 + 1000LL * wave.samples.size() /
                                                std::max<uint32_t>(1, wave.format.avgBytesPerSec));
        while (mix.IsPlaying(voice) && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    mix.RemoveVoice(voice);
    return true;
}

}  // namespace SoundManager

SoundEffect::SoundEffect(const char* name)
    : slot_(LoadIntoFreeSlot(name)), generation_(gGeneration) {}

uint16_t SoundEffect::Own() const {
    return generation_ == gGeneration ? slot_ : kNoSoundSlot;
}

SoundEffect::~SoundEffect() {
    Release();
}

int SoundEffect::Reload(const char* name) {
    Release();
    slot_ = LoadIntoFreeSlot(name);
    generation_ = gGeneration;
    return slot_ != kNoSoundSlot ? 1 : 0;
}

int SoundEffect::Release() {
    ReleaseSlot(Own());
    slot_ = kNoSoundSlot;
    return 1;
}

void SoundEffect::Play(int loop) {
    SlotData* s = SlotOf(Own());
    if (!s) return;
    if (loop == 0) {
        gManager->Mix().Stop(s->voice);
        gManager->Mix().Play(s->voice, false, true);
    } else {
        gManager->Mix().Play(s->voice, true, false);
    }
}

void SoundEffect::Stop() {
    if (SlotData* s = SlotOf(Own())) gManager->Mix().Stop(s->voice);
}

void SoundEffect::AdjustFrequency(int delta) {
    if (SlotData* s = SlotOf(Own()))
        ApplyFrequency(s, int64_t(s->frequency) + int64_t(delta) * 100);
}

void SoundEffect::SetFrequencyOffset(int offset) {
    if (SlotData* s = SlotOf(Own()))
        ApplyFrequency(s, int64_t(s->baseFrequency) + int64_t(offset) * 100);
}

void SoundEffect::ResetFrequency() {
    if (SlotData* s = SlotOf(Own())) ApplyFrequency(s, s->baseFrequency);
}

void SoundEffect::AdjustPan(int delta) {
    if (SlotData* s = SlotOf(Own())) ApplyPan(s, int64_t(s->pan) + int64_t(delta) * 100);
}

void SoundEffect::SetPan(int value) {
    if (SlotData* s = SlotOf(Own())) ApplyPan(s, int64_t(value) * 100);
}

void SoundEffect::CenterPan() {
    if (SlotData* s = SlotOf(Own())) ApplyPan(s, 0);
}

void SoundEffect::AdjustVolume(int delta) {
    if (SlotData* s = SlotOf(Own())) ApplyVolume(s, int64_t(s->volume) + int64_t(delta) * 100);
}

void SoundEffect::SetVolume(int value) {
    if (SlotData* s = SlotOf(Own())) ApplyVolume(s, int64_t(value) * 100);
}

void SoundEffect::ResetVolume() {
    if (SlotData* s = SlotOf(Own())) ApplyVolume(s, 0);
}

}  // namespace zv::fw
