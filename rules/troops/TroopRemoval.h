#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Taking troops and sites out of play: the removal of one troop with what it carries, and the
// fall of a country (journal opcode 34). On the shadow tables nothing is counted or reported.
namespace zv::rules {

// Removes troop t: a launched part clears its launcher's in-flight flags, a troop aboard leaves
// its carrier, the troops it carries are reset with it (counted as lost and reported first),
// its hex entry is freed, then it is counted, reported and reset. 1; 0 when t is 0xFFFF or does
// not select.
int RemoveTroop(GameContext& ctx, std::uint16_t t);

// Removes every troop 0-254 of country c. 1.
int RemoveCountryTroops(GameContext& ctx, std::uint8_t c);

// Every site of country c becomes neutral (a capital a large city) with the neutral
// durabilities of its kind and unsupplied; then the supply networks are recomputed and the route
// searches reload the terrain. 1; 0 and nothing changed for c = 4, 6 or 0xFF.
int ReleaseCountrySites(GameContext& ctx, std::uint8_t c);

// The terrain of the map's sites changed: the context's route searches (and through the world's
// stamp every other thread's) reload it before their next search.
void ReloadRouteTerrain(GameContext& ctx);

}  // namespace zv::rules
