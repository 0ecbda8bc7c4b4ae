#pragma once

#include <string>

#include "tools/zvdata/ContentBuild.h"

// Builds the sound effects and the music into the program directory:
//   data/sound/NAME.txt  -> NAME.wav (16-bit PCM mono)
//   data/music/NAME.txt  -> the MIDI file its "file" statement names
// Every written file is read back and checked. A faulty source is reported and written no file;
// the others are still built.
namespace zv::zvdata::audio {

void BuildAudio(const std::string& dataDir, const std::string& programDir, BuildReport& report);

}  // namespace zv::zvdata::audio
