#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Visibility and the fog of war. With reconnaissance on, each country sees the hexes within sight
// of its own and its allies' troops and sites (HexInfo seen bits 0-3), and enemy troops only
// within range, shortened by concealment. A troop's visibility mask holds, per country c,
// bit c sighted, bit c + 4 identified and bit c + 8 detected in the current computation.
namespace zv::rules {

inline constexpr int kSightLayerCount = 5;
// Light codes of the sight lookups: sites by day and night, troops by day and night.
inline constexpr int kSiteDayLight = 1;
inline constexpr int kSiteNightLight = 2;
inline constexpr int kTroopDayLight = 5;
inline constexpr int kTroopNightLight = 6;
// A member of this unit kind carries radar.
inline constexpr int kRadarUnitKind = 110;

// 1 when the fog applies to the local player: reconnaissance on, and the player's country 0-3
// is in play. Spectators and fallen countries see everything.
int UsesFogOfWar(GameContext& ctx);
// Clears and recomputes what every country sees.
void RecomputeVisibility(GameContext& ctx);
// The same, starting every troop's visibility mask from 0 (a new game).
void ResetVisibility(GameContext& ctx);
// Sightings of every site and troop (only with the fog).
void ComputeFogSightings(GameContext& ctx);
// What one source of country c (0-3) on `sourceHex` sees within `reach` hexes: the hexes, and the
// enemy troops within its range for the target's layer. `ranges` holds one range per target
// layer 0-4; `observerLayer` is the source's layer (altitude class - 1); siteSource 1 for a site.
void MarkSeenFromSource(GameContext& ctx, std::uint8_t c, std::uint16_t sourceHex, int reach,
                        std::uint16_t allianceMask, const std::uint8_t ranges[kSightLayerCount],
                        int specialSight, int observerLayer, int lightCode, int radar,
                        int siteSource);

}  // namespace zv::rules
