#pragma once

// The five sound effects of the game, loaded from the program directory when the sound manager
// started, and the routine that plays one.

#include <cstdint>

namespace zv::shell {

enum SoundEffectId : int {
    kSoundImpact = 0,      // "\chakudan.wav": fight animations
    kSoundAlarm = 1,       // "\alart.wav": the fire rule
    kSoundWipedOut = 2,    // "\zenmetsu.wav"
    kSoundMessage = 3,     // "\message.wav": defeat dialog
    kSoundMessage1 = 4,    // "\message1.wav": victory dialog
};
constexpr int kSoundEffectCount = 5;

// The effect's file name as joined to the program directory.
const char* SoundEffectFileName(int effect);

int LoadSoundEffects();
int FreeSoundEffects();
// True when effect n is loaded (0-4).
bool IsSoundEffectLoaded(int effect);
// The mixer slot of effect n (fw::kNoSoundSlot when it has none); for diagnostics.
uint16_t SoundEffectSlot(int effect);

// Plays effect 0-4 once from its start: 1 when played; 0 when the SOUND option is off, the
// number is out of range, or sound is unavailable (nothing is then touched).
int PlaySoundEffect(int effect);

}  // namespace zv::shell
