#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "rules/records/Bytes.h"

// The 16-byte header in front of corps, map, snapshot and save files: kind, 1, a size word and
// eight reserved zero bytes. Readers look only at the kind.
namespace zv::rules {

inline constexpr std::size_t kGameFileHeaderSize = 16;

enum GameFileKind : std::uint16_t {
    kCorpsFileKind = 105,
    kMapFileKind = 106,  // maps and editor snapshots
    kSaveFileKind = 107,
};

struct GameFileHeader : ByteRecord<kGameFileHeaderSize> {
    static GameFileHeader Make(std::uint16_t kind, std::uint32_t size) {
        GameFileHeader h{};
        h.SetU16(0, kind);
        h.SetU16(2, 1);
        h.SetU32(4, size);
        return h;
    }
    std::uint16_t Kind() const { return U16(0); }
};
static_assert(sizeof(GameFileHeader) == kGameFileHeaderSize);

// The kind of a file image, or 0 when it is shorter than a header.
inline std::uint16_t PeekFileKind(std::span<const std::uint8_t> image) {
    return image.size() < kGameFileHeaderSize ? 0 : ReadU16(image.data(), 0);
}

}  // namespace zv::rules
