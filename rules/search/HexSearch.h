#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// "Where" questions about one troop, answered on a context: the hexes within a number of steps
// (the command window's range display), the neighbours that can take a stranded troop up, and
// the four waypoints of a route. Marks are bit 0 of the HexInfo mark word, drawn by the map view.
namespace zv::rules {

// Class bits of MarkHexesInRange that limit the marks to water (land kinds 3, 4 and 5).
inline constexpr std::uint16_t kRangeWaterOnly = 0x3000;

// Every work-grid cell: not queued, distance 0xFFFF.
void ResetWorkGrid(GameContext& ctx);
// Breadth-first distances from the context's reach start, bounded by its reach limit. The start
// keeps the distance the caller left: with a reset grid its neighbours get 0 and it gets 1.
void FloodDistances(GameContext& ctx);
// Marks the hexes at most `limit` steps from the troop (its own hex from limit 2 on); with class
// bits in kRangeWaterOnly only water hexes. Always 0.
std::uint8_t MarkHexesInRange(GameContext& ctx, std::uint16_t troop, std::uint8_t limit,
                              std::uint16_t classBits);
// When the troop cannot move on from its hex, marks the neighbouring hexes whose troop (own or
// allied, able to supply, of a fitting altitude, with supplies) can take it up. Always 0.
std::uint8_t MarkNeighbourTargets(GameContext& ctx, std::uint16_t troop);
// Waypoint 0 := the troop's hex, 1-3 := the hexes a quarter, a half and three quarters along
// the route to the target (routes of 4 steps or more), the rest 0xFFFF. A live context searches
// on its Context instance without troops, the shadow on the Simulation instance with them.
// 1 when a route was planned, 0 when the troop is not on the map or already on the target.
int PlanRouteWaypoints(GameContext& ctx, std::uint16_t troop, std::uint16_t target);
// The same, always on the Map instance without troops.
int PlanRouteWaypointsOnMap(GameContext& ctx, std::uint16_t troop, std::uint16_t target);

}  // namespace zv::rules
