#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/GameFileIo.h"

// Maps (kind 106), the map editor's snapshots (106 with the hex information) and saved games
// (107): a 16-byte header and whole table images in a fixed order. Writers build the whole file
// and replace it in one step; readers check kind and size before any table changes, so a bad
// file changes nothing.
namespace zv::rules {

inline constexpr std::size_t kMapFileSize = 437778;
inline constexpr std::size_t kSnapshotFileSize = 585234;
inline constexpr std::size_t kSaveFileSize = 477664;
inline constexpr std::size_t kSaveFileWithNewsSize = 981664;

// Writes tables 13, 12, 10, 8, troops 0-159 and the five corps.
FileStatus WriteMapFile(const TableDirectory& tables, const std::string& path);
// The map images with table 11 before the corps.
FileStatus WriteUndoMapFile(const TableDirectory& tables, const std::string& path);
// Sets the save kind (1 in single play, 2 otherwise), has the news window fill table 26, and
// writes tables 13, 12, 10, 8, all 255 troops, 14 and 25, then in single play the news log.
FileStatus WriteSaveGame(TableDirectory& tables, GameEvents& events, const std::string& path);

// Restores a snapshot (full path) including table 11; troops 160-254 (launched parts, which a
// map never holds) become empty records. The caller redraws.
FileStatus ReadUndoMapFile(TableDirectory& tables, const std::string& path);
// Reads programDir\MAP\name. Table 11 keeps its contents (the caller rebuilds the occupancy);
// troops 160-254 become empty records.
FileStatus LoadMapFromMapFolder(TableDirectory& tables, GameEvents& events,
                                const std::string& programDir, const std::string& name);
// The same for a map file anywhere (a full game path), as the editor's open dialog chooses it.
FileStatus LoadMapFile(TableDirectory& tables, GameEvents& events, const std::string& path);
// Reads programDir\SAVE\name, then rebuilds the news window from table 26. A save without the
// news log leaves table 26 empty (every slot 0xFF).
FileStatus LoadSaveGame(TableDirectory& tables, GameEvents& events, const std::string& programDir,
                        const std::string& name);
// Reads the tables of a saved game in programDir\Zv6open\name for the opening demonstration:
// no statistics and no news.
FileStatus LoadOpeningData(TableDirectory& tables, GameEvents& events,
                           const std::string& programDir, const std::string& name);

// The readers above on a whole file image already in memory (`path` names it in messages):
// the same checks, the same messages and the same changes to the tables.
FileStatus ReadUndoMapImage(TableDirectory& tables, const std::string& path,
                            std::span<const std::uint8_t> file);
FileStatus LoadMapImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                        std::span<const std::uint8_t> file);
FileStatus LoadSaveGameImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                             std::span<const std::uint8_t> file);
FileStatus LoadOpeningImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                            std::span<const std::uint8_t> file);

}  // namespace zv::rules
