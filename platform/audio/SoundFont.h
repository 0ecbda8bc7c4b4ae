#pragma once

// The General MIDI soundfont that music is rendered with, from Debian's soundfont packages.

#include <string>
#include <vector>

namespace zv::audio {

// The places looked at, in order of preference.
const std::vector<std::string>& SoundFontCandidates();
// The first candidate that exists as a file; empty when none does.
std::string FindSoundFont();

}  // namespace zv::audio
