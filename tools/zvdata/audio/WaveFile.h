#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/audio/Bytes.h"

// RIFF WAVE files of the sound effects: 16-bit PCM, mono.
namespace zv::zvdata::audio {

// A canonical 44-byte-header WAVE file of the samples.
Bytes WriteWave(const std::vector<std::int16_t>& samples, int sampleRate);

// Checks a WAVE file's chunks: RIFF size, a PCM "fmt " chunk whose sizes agree, and a "data"
// chunk that lies within the file. `name` prefixes each problem.
FileCheck CheckWave(const std::string& name, const Bytes& bytes);

}  // namespace zv::zvdata::audio
