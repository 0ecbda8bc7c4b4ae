#pragma once

#include <cstdint>

// Little-endian field access inside the game's fixed-size byte records. Records never rely on
// host byte order or struct padding: every multi-byte field goes through these.
namespace zv::rules::le {

inline std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }
inline std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutS16(std::uint8_t* p, std::int16_t v) { PutU16(p, static_cast<std::uint16_t>(v)); }
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutS32(std::uint8_t* p, std::int32_t v) { PutU32(p, static_cast<std::uint32_t>(v)); }

}  // namespace zv::rules::le
