#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Byte order helpers of the sound and music files: WAVE is little-endian, MIDI big-endian.
namespace zv::zvdata::audio {

using Bytes = std::vector<std::uint8_t>;

inline void PutText(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
inline void PutLe16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutLe32(Bytes& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}
inline void PutBe16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}
inline void PutBe32(Bytes& out, std::uint32_t value) {
    PutBe16(out, value >> 16);
    PutBe16(out, value & 0xFFFF);
}
// MIDI variable-length quantity: seven bits a byte, most significant first.
inline void PutVarLength(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

inline std::uint32_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return GetLe16(p) | (GetLe16(p + 2) << 16);
}
inline std::uint32_t GetBe16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t GetBe32(const std::uint8_t* p) {
    return (GetBe16(p) << 16) | GetBe16(p + 2);
}
inline bool HasTag(const std::uint8_t* p, std::string_view tag) {
    for (std::size_t i = 0; i < tag.size(); ++i)
        if (p[i] != static_cast<std::uint8_t>(tag[i])) return false;
    return true;
}

}  // namespace zv::zvdata::audio
