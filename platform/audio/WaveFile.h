#pragma once

// WAVE files: the RIFF "WAVE" form with a "fmt " and a "data" chunk. Reading checks every chunk
// size against the file before it is used; anything that does not add up is refused whole.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zv::audio {

constexpr uint16_t kWaveFormatPcm = 1;

struct WaveFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 22050;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 16;
    std::vector<uint8_t> extra;  // bytes after the 16-byte format (non-PCM formats only)
};

struct WaveData {
    WaveFormat format;
    std::vector<uint8_t> samples;  // the "data" chunk as stored
};

// False with a reason in `error` when the bytes are not a well-formed WAVE file.
bool ParseWave(std::span<const uint8_t> bytes, WaveData* out, std::string* error);
// Reads a file by its game path (resolved without regard to case).
bool ReadWaveFile(const std::string& path, WaveData* out, std::string* error);

// True for what the mixer plays: PCM, 8 or 16 bits, 1 or 2 channels, 100-100000 Hz, and a
// block alignment that matches.
bool IsPlayableFormat(const WaveFormat& format, std::string* error);

// A canonical 44-byte-header PCM file; for tests and tools.
std::vector<uint8_t> BuildWaveFile(const WaveFormat& format, std::span<const uint8_t> samples);

}  // namespace zv::audio
