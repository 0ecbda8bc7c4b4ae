#pragma once

#include <cstdint>

#include "rules/context/TableDirectory.h"
#include "rules/records/CountryTable25Record.h"

// What the rules count into the four result records of table 25 during play and what a
// country's end records there. All of it works on the live tables.
namespace zv::rules {

// Record of country 0-3; null for any other country.
CountryTable25Record* GetCountryStats(TableDirectory& tables, std::uint8_t country);

// Records the country's end: game time, sites by kind (all and supplied), funds and troops by
// altitude class. 1, or 0 for a country outside 0-3 (nothing changes).
int RecordCountryEndState(TableDirectory& tables, std::uint8_t country);
// One more troop produced, under the troop's altitude class.
void CountTroopByKind(TableDirectory& tables, std::uint8_t country, std::uint16_t troop);
// One more troop lost, under its altitude class; not at the very start of a game (day and
// minute both 0) and not for a fallen country.
void CountTroopLost(TableDirectory& tables, std::uint8_t country, std::uint16_t troop);
// Adds to the running total of spending.
void AddCountryStatTotal(TableDirectory& tables, std::uint8_t country, std::int32_t value);
// Clears the first record and sets every country's start counts by altitude class.
void InitCountryStatistics(TableDirectory& tables);

}  // namespace zv::rules
