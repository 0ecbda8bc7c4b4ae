#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"

// The game clock (journal command 16), the daily income of the sites and the small country
// statistics of the windows and the map check.
namespace zv::rules {

// Funds plus an amount, capped at the country record's 999999999 and computed without
// overflow.
std::int32_t AddToFunds(std::int32_t funds, std::int64_t amount);

// Command 16: day, hour, minute and daytime flag of the scenario header. 1.
int SetClock(GameContext& ctx, std::uint8_t day, std::uint8_t hour, std::uint8_t minute,
             std::uint8_t daytime);

// Once per game day: every country 0-3 gains the income of its sites, up to 999999999.
void AddSiteIncome(GameContext& ctx);

// Country statistics, each on cursors of its own over the given tables (the live ones unless a
// table set is given). A country or kind that does not select counts 0.
std::int32_t GetCountryFunds(TableDirectory& tables, std::uint8_t country,
                             const GameTableSet& set = kLiveGameTables);
// Σ over site kinds 0-5 of the country's sites of the kind × the kind's 収入.
std::int32_t GetCountryIncome(TableDirectory& tables, std::uint8_t country,
                              const GameTableSet& set = kLiveGameTables);
std::int32_t GetIncomeFromSiteKind(TableDirectory& tables, std::uint8_t country, int kind,
                                   const GameTableSet& set = kLiveGameTables);
// The 収入 of the kind (the country is not used).
std::int32_t GetSiteKindIncome(TableDirectory& tables, std::uint8_t country, int kind);
int CountSitesOfKind(TableDirectory& tables, std::uint8_t country, int kind,
                     const GameTableSet& set = kLiveGameTables);
// Only the sites whose supplied flag is set.
int CountSitesOfKindFlagged(TableDirectory& tables, std::uint8_t country, int kind,
                            const GameTableSet& set = kLiveGameTables);
// Map troops 0-159 of the country with members, one of them of the headquarters kind.
int CountCountryHqTroops(TableDirectory& tables, std::uint8_t country);
// Hexes of the map whose deployment country is the country.
int CountCountryHexes(TableDirectory& tables, std::uint8_t country);
// Used troops in the country's corps.
int GetForceTroopCount(TableDirectory& tables, std::uint8_t country);
// "参戦国" or "不参戦" (UTF-8) by the participation byte; null when the country does not select.
const char* GetCountryParticipationText(TableDirectory& tables, std::uint8_t country);
// The alliance mask; 0 when the country does not select.
std::uint8_t GetCountryAllianceMask(TableDirectory& tables, std::uint8_t country);
// CountTroopsByCategory over the map troops 0-159; category 3 leaves out the troops with a
// headquarters member, category 4 counts only those.
int CountCountryTroopsByCategory(TableDirectory& tables, std::uint8_t country, int category);

}  // namespace zv::rules
