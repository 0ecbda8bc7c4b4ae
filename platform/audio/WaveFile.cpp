#include "platform/audio/WaveFile.h"

#include <cstring>

#include "platform/core/Files.h"

namespace zv::audio {

namespace {

uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Read16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

struct Chunk {
    std::size_t offset = 0;  // of the chunk's body
    uint32_t size = 0;
};

// Finds the first chunk with the tag among the chunks in [begin, end).
bool FindChunk(std::span<const uint8_t> b, std::size_t begin, std::size_t end, const char* tag,
               Chunk* out, std::string* error) {
    std::size_t at = begin;
    while (at + 8 <= end) {
        uint32_t size = Read32(&b[at + 4]);
        if (size > end - (at + 8)) return Fail(error, "chunk size runs past the end of the file");
        if (std::memcmp(&b[at], tag, 4) == 0) {
            *out = {at + 8, size};
            return true;
        }
        at += 8 + std::size_t(size) + (size & 1);  // chunks are padded to even sizes
    }
    std::string why = std::string("no \"") + tag + "\" chunk";
    if (error) *error = why;
    return false;
}

}  // namespace

bool ParseWave(std::span<const uint8_t> b, WaveData* out, std::string* error) {
    if (b.size() < 12) return Fail(error, "too short for a RIFF header");
    if (std::memcmp(b.data(), "RIFF", 4) != 0) return Fail(error, "not a RIFF file");
    if (std::memcmp(b.data() + 8, "WAVE", 4) != 0) return Fail(error, "RIFF form is not WAVE");
    uint32_t riffSize = Read32(b.data() + 4);
    if (riffSize < 4 || riffSize > b.size() - 8) return Fail(error, "RIFF size runs past the end");
    std::size_t end = 8 + std::size_t(riffSize);

    Chunk fmt;
    if (!FindChunk(b, 12, end, "fmt ", &fmt, error)) return false;
    if (fmt.size < 16) return Fail(error, "\"fmt \" chunk shorter than 16 bytes");
    const uint8_t* f = b.data() + fmt.offset;
    WaveData data;
    data.format.formatTag = Read16(f);
    data.format.channels = Read16(f + 2);
    data.format.samplesPerSec = Read32(f + 4);
    data.format.avgBytesPerSec = Read32(f + 8);
    data.format.blockAlign = Read16(f + 12);
    data.format.bitsPerSample = Read16(f + 14);
    if (data.format.formatTag != kWaveFormatPcm) {
        if (fmt.size < 18) return Fail(error, "format without its extra-byte count");
        uint16_t extra = Read16(f + 16);
        if (extra > fmt.size - 18) return Fail(error, "format extra bytes run past the chunk");
        data.format.extra.assign(f + 18, f + 18 + extra);
    }

    Chunk body;
    if (!FindChunk(b, 12, end, "data", &body, error)) return false;
    data.samples.assign(b.begin() + body.offset, b.begin() + body.offset + body.size);
    *out = std::move(data);
    return true;
}

bool ReadWaveFile(const std::string& path, WaveData* out, std::string* error) {
    auto bytes = core::ReadWholeFile(path);
    if (!bytes) return Fail(error, "cannot read the file");
    return ParseWave(*bytes, out, error);
}

bool IsPlayableFormat(const WaveFormat& f, std::string* error) {
    if (f.formatTag != kWaveFormatPcm) return Fail(error, "not PCM");
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return Fail(error, "not 8 or 16 bits");
    if (f.channels != 1 && f.channels != 2) return Fail(error, "not mono or stereo");
    if (f.samplesPerSec < 100 || f.samplesPerSec > 100000) return Fail(error, "rate out of range");
    if (f.blockAlign != f.channels * f.bitsPerSample / 8) return Fail(error, "bad block alignment");
    return true;
}

std::vector<uint8_t> BuildWaveFile(const WaveFormat& f, std::span<const uint8_t> samples) {
    std::vector<uint8_t> v;
    v.insert(v.end(), {'R', 'I', 'F', 'F'});
    Put32(v, uint32_t(36 + samples.size()));
    v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(v, 16);
    Put16(v, f.formatTag);
    Put16(v, f.channels);
    Put32(v, f.samplesPerSec);
    uint16_t align = f.blockAlign ? f.blockAlign : uint16_t(f.channels * f.bitsPerSample / 8);
    Put32(v, f.avgBytesPerSec ? f.avgBytesPerSec : f.samplesPerSec * align);
    Put16(v, align);
    Put16(v, f.bitsPerSample);
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    Put32(v, uint32_t(samples.size()));
    v.insert(v.end(), samples.begin(), samples.end());
    return v;
}

}  // namespace zv::audio
