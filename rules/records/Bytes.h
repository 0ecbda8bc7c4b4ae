#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zv::rules {

// Little-endian access to record bytes. Records are byte blocks, never padded structs.
inline std::uint8_t ReadU8(const std::uint8_t* p, std::size_t offset) {
    return p[offset];
}
inline std::uint16_t ReadU16(const std::uint8_t* p, std::size_t offset) {
    return static_cast<std::uint16_t>(p[offset] | (p[offset + 1] << 8));
}
inline std::uint32_t ReadU32(const std::uint8_t* p, std::size_t offset) {
    return static_cast<std::uint32_t>(p[offset]) |
           (static_cast<std::uint32_t>(p[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(p[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(p[offset + 3]) << 24);
}
inline std::int32_t ReadS32(const std::uint8_t* p, std::size_t offset) {
    return static_cast<std::int32_t>(ReadU32(p, offset));
}
inline void WriteU8(std::uint8_t* p, std::size_t offset, std::uint8_t value) {
    p[offset] = value;
}
inline void WriteU16(std::uint8_t* p, std::size_t offset, std::uint16_t value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void WriteU32(std::uint8_t* p, std::size_t offset, std::uint32_t value) {
    p[offset] = static_cast<std::uint8_t>(value);
    p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    p[offset + 2] = static_cast<std::uint8_t>(value >> 16);
    p[offset + 3] = static_cast<std::uint8_t>(value >> 24);
}
inline void WriteS32(std::uint8_t* p, std::size_t offset, std::int32_t value) {
    WriteU32(p, offset, static_cast<std::uint32_t>(value));
}

// Text of a fixed field: the bytes up to the first NUL or the field's end.
inline std::string_view ReadText(const std::uint8_t* p, std::size_t offset, std::size_t width) {
    const char* text = reinterpret_cast<const char*>(p + offset);
    std::size_t length = 0;
    while (length < width && text[length] != '\0') ++length;
    return std::string_view(text, length);
}
// Stores at most `width` bytes of text and zero-fills the rest of the field. A text that fills
// the whole field has no NUL, as the game's fields allow.
inline void WriteText(std::uint8_t* p, std::size_t offset, std::size_t width,
                      std::string_view text) {
    const std::size_t length = text.size() < width ? text.size() : width;
    std::memcpy(p + offset, text.data(), length);
    std::memset(p + offset + length, 0, width - length);
}

// A record value held by itself (fixtures, files, messages): N bytes and typed access.
template <std::size_t N>
struct ByteRecord {
    static constexpr std::size_t kSize = N;
    std::array<std::uint8_t, N> bytes{};

    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }

    std::uint8_t U8(std::size_t offset) const { return ReadU8(bytes.data(), offset); }
    std::uint16_t U16(std::size_t offset) const { return ReadU16(bytes.data(), offset); }
    std::uint32_t U32(std::size_t offset) const { return ReadU32(bytes.data(), offset); }
    std::int32_t S32(std::size_t offset) const { return ReadS32(bytes.data(), offset); }
    void SetU8(std::size_t offset, std::uint8_t v) { WriteU8(bytes.data(), offset, v); }
    void SetU16(std::size_t offset, std::uint16_t v) { WriteU16(bytes.data(), offset, v); }
    void SetU32(std::size_t offset, std::uint32_t v) { WriteU32(bytes.data(), offset, v); }
    void SetS32(std::size_t offset, std::int32_t v) { WriteS32(bytes.data(), offset, v); }
    std::string_view Text(std::size_t offset, std::size_t width) const {
        return ReadText(bytes.data(), offset, width);
    }
    void SetText(std::size_t offset, std::size_t width, std::string_view text) {
        WriteText(bytes.data(), offset, width, text);
    }
};

}  // namespace zv::rules
