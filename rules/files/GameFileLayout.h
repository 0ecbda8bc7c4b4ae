#pragma once

#include <cstddef>
#include <span>

#include "platform/core/ByteReader.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/GameFileHeader.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopRecord.h"

// The layout of maps, editor snapshots and saved games: after the 16-byte header, whole table
// images (the first `bytes` bytes of a table) in file order. The readers, the writers and the
// file checker all take the layout from here.
namespace zv::rules {

struct TableImage {
    TableId table;
    std::size_t bytes;
};

inline constexpr std::size_t kMapTroopBytes = kMapTroopCount * kTroopRecordSize;
inline constexpr std::size_t kAllTroopBytes = kTroopTableLimit * kTroopRecordSize;
inline constexpr std::size_t kAllForceBytes = kForceSlotCount * kForceRecordSize;
inline constexpr std::size_t kNewsLogBytes = kNewsTableCount * kNewsRecordSize;

inline constexpr TableImage kMapFileImages[] = {
    {TableId::ScenarioHeader, 300},
    {TableId::Country, 344},
    {TableId::Hex, 32768},
    {TableId::Site, 1600},
    {TableId::Troop, kMapTroopBytes},
    {TableId::Force, kAllForceBytes},
};
inline constexpr TableImage kSnapshotFileImages[] = {
    {TableId::ScenarioHeader, 300},
    {TableId::Country, 344},
    {TableId::Hex, 32768},
    {TableId::Site, 1600},
    {TableId::Troop, kMapTroopBytes},
    {TableId::HexInfo, 147456},
    {TableId::Force, kAllForceBytes},
};
// A saved game; one saved in single play goes on with the news log (table 26) whole.
inline constexpr TableImage kSaveFileImages[] = {
    {TableId::ScenarioHeader, 300},
    {TableId::Country, 344},
    {TableId::Hex, 32768},
    {TableId::Site, 1600},
    {TableId::Troop, kAllTroopBytes},
    {TableId::Force, kAllForceBytes},
    {TableId::CountryStats, 176},
};

constexpr std::size_t GameFileBytes(std::span<const TableImage> images) {
    std::size_t total = kGameFileHeaderSize;
    for (const TableImage& image : images) total += image.bytes;
    return total;
}

// Copies the images from a reader placed after the header into the tables; false, with the
// tables partly written, when the bytes run out (callers check the size first).
inline bool RestoreTableImages(TableDirectory& tables, std::span<const TableImage> images,
                               core::ByteReader& reader) {
    for (const TableImage& image : images)
        if (!reader.ReadBytes(tables.GetTableBase(image.table), image.bytes)) return false;
    return true;
}

}  // namespace zv::rules
