#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "rules/context/TableDirectory.h"
#include "rules/files/GameFileIo.h"

// Maps of the other edition ("map*.qz4"), opened by the map editor and then edited as maps of
// this program. The file is read and checked whole before any table changes, so the editor can
// read it first, then empty its map and apply it: a bad file leaves the current map alone.
namespace zv::rules {

// The parts of an other-edition map file the import uses, unpacked.
struct OtherMapImage {
    static constexpr std::size_t kHeaderSize = 256;
    static constexpr std::size_t kBlockSize = 4096;  // one byte per hex, x + 64 * y
    // Two headers and two stored blocks; bytes after the blocks are never read.
    static constexpr std::size_t kLargestFileSize = 2 * kHeaderSize + 2 * kBlockSize;
    // Header A.
    static constexpr std::size_t kTitle = 8, kTitleWidth = 16;
    static constexpr std::size_t kDescription = 24, kDescriptionWidth = 32;
    static constexpr std::size_t kTerrainLength = 144;  // u16, low 12 bits; 0 = stored
    static constexpr std::size_t kCountryLength = 146;  // u16; 0 = stored
    // Header B: four country blocks of 64 bytes.
    static constexpr std::size_t kCountryBlockSize = 64;
    static constexpr std::size_t kCountryName = 0, kCountryNameWidth = 16;
    static constexpr std::size_t kCountryState = 17;
    static constexpr std::size_t kCountryParticipation = 18;
    static constexpr std::size_t kCountryComputerFunds = 24;  // s32
    static constexpr std::size_t kCountryFunds = 36;          // s32

    std::array<std::uint8_t, kHeaderSize> headerA{};
    std::array<std::uint8_t, kHeaderSize> headerB{};
    std::array<std::uint8_t, kBlockSize> terrain{};    // bits 0-5 code, bit 6 road
    std::array<std::uint8_t, kBlockSize> countries{};  // bit j: country j
};

// What one terrain code of block 1 becomes. A code without an entry leaves the hex's land kind.
struct OtherTerrainEntry {
    bool known = false;
    std::uint8_t landKind = 0;
    std::uint8_t siteKind = 0xFF;  // 0xFF: no site
    std::uint8_t siteOwner = 0;
};
OtherTerrainEntry LookupOtherTerrainCode(std::uint8_t code);

// Checks and unpacks a whole file image: the two headers, then block 1 (L1 & 0xFFF packed
// bytes, or 4096 stored) and block 2 (L2 packed, or 4096 stored). Fails for a file too short
// for what its headers declare, a packed block longer than 4096 bytes, or a packed block
// without its end mark. A block that unpacks short leaves its remaining hexes 0.
FileStatus ParseOtherMapFile(std::span<const std::uint8_t> file, OtherMapImage& out);
FileStatus ReadOtherMapFile(const std::string& path, OtherMapImage& out);

// Writes an image into the live tables: title, description, the four countries, land kinds,
// roads (as masks of the neighbouring road hexes), rivers (none), sites and deployment areas.
// Expects the editor's empty map; the caller rebuilds the hex occupancy.
void ApplyOtherMap(TableDirectory& tables, const OtherMapImage& image);

// Read, then apply; nothing changes when the file is bad.
FileStatus ImportOtherMapFile(TableDirectory& tables, const std::string& path);

}  // namespace zv::rules
