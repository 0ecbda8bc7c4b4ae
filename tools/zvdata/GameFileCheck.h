#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rules/context/TableDirectory.h"
#include "rules/records/TroopRecord.h"

// Validation of the game's files: rule tables (*.dat), maps (*.ddm), saved games (*.ddg), corps
// (*.prm), sound effects (*.wav) and music (*.mid). Every problem names the file, the record and
// the field (for sound and music: the chunk, track or event).
namespace zv::zvdata {

struct FileCheck {
    bool ok = false;
    std::string summary;                // one line describing the file when it could be read
    std::vector<std::string> problems;  // one line each (UTF-8)
};

// Checks one file. Maps, saved games and corps are checked against rule tables: those in
// `ruleDir` when it is given, else those of the program directory the file lies in (the parent
// of MAP, SAVE or USER), else those beside the file.
FileCheck CheckGameFile(const std::string& path, const std::string& ruleDir = {});

// The same for a map, saved game, sound or music file already in memory, named `name` (its
// extension says the kind). A map or save is checked against the rule tables loaded in
// `tables`, into which its images are restored.
FileCheck CheckGameFileImage(const std::string& name, std::span<const std::uint8_t> bytes,
                             rules::TableDirectory& tables);

// What a playable map holds, checked on the live map tables (scenario header, countries,
// hexes, sites, troops 0-159, corps): the map check of the editor (title, countries taking part
// with names and corps, an enemy for someone, and per country a capital, a headquarters troop
// and a deployment area) and the soundness of every record.
std::vector<std::string> CheckMapTables(rules::TableDirectory& tables);

// What a saved game holds, checked on the live tables it restores: the soundness of every
// record as for a map, with all 255 troops (launched parts may share hexes, a troop may wait
// off the map) and the countries' game states.
std::vector<std::string> CheckSaveTables(rules::TableDirectory& tables);

// The soundness of one troop record. `where` prefixes each problem; `inCorps` says whether it
// lies in a corps (country 5, no hex) or on the map (troop index `index` of table 9).
void CheckTroopRecord(rules::TableDirectory& tables, const rules::TroopRecord& troop,
                      const std::string& where, bool inCorps, int index,
                      std::vector<std::string>& problems);

}  // namespace zv::zvdata
