#include "shell/SoundEffects.h"

#include <array>
#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "framework/media/SoundManager.h"
#include "shell/Settings.h"

namespace zv::shell {

namespace {

constexpr const char* kNames[kSoundEffectCount] = {"\\chakudan.wav", "\\alart.wav",
                                                   "\\zenmetsu.wav", "\\message.wav",
                                                   "\\message1.wav"};
std::array<std::unique_ptr<fw::SoundEffect>, kSoundEffectCount> gEffects;

}  // namespace

const char* SoundEffectFileName(int effect) {
    return effect >= 0 && effect < kSoundEffectCount ? kNames[effect] : nullptr;
}

int LoadSoundEffects() {
    for (int i = 0; i < kSoundEffectCount; ++i) {
        const std::string path = std::string(fw::GetProgramDirectory()) + kNames[i];
        gEffects[i] = std::make_unique<fw::SoundEffect>(path.c_str());
    }
    return 1;
}

int FreeSoundEffects() {
    for (auto& e : gEffects) e.reset();
    return 1;
}

bool IsSoundEffectLoaded(int effect) {
    return effect >= 0 && effect < kSoundEffectCount && gEffects[effect] != nullptr;
}

uint16_t SoundEffectSlot(int effect) {
    return IsSoundEffectLoaded(effect) ? gEffects[effect]->Slot() : fw::kNoSoundSlot;
}

int PlaySoundEffect(int effect) {
    if (GetSound() == 0) return 0;
    if (effect < 0 || effect >= kSoundEffectCount) return 0;
    // Without sound the effects were never loaded: there is nothing to play.
    if (!fw::IsSoundAvailable() || !gEffects[effect]) return 0;
    gEffects[effect]->Play(0);
    return 1;
}

}  // namespace zv::shell
