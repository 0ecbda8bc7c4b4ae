#pragma once

#include "rules/context/GameContext.h"
#include "simulation/ClockStepContext.h"

// What keeps the world running besides the troops' orders, every clock step: sites recover their
// capture durability, weapons count down their reload timers, carried troops are resupplied and
// flying troops burn fuel.
namespace zv::sim {

// The clock step's upkeep on the shadow: the carried-troop supply and the fuel use, each written
// as a command (5, 25) and applied at once, then the site recovery and the weapon countdown,
// which every participant repeats when command 33 runs the site round. The commands come first
// because the live tables execute them before command 33. Returns 1.
int RunStepUpkeep(StepContext& step, rules::GameContext& shadow);

// Command 33's round on the live tables: site recovery (a site is skipped while a troop standing
// on it supplies) and the weapon countdown. Returns 1.
int RunSiteRound(rules::GameContext& live);

// The two rounds by themselves, on any context. A site whose troop on it has `holdingOrderKind`
// keeps its durability.
void RecoverSiteDurability(rules::GameContext& ctx, std::uint8_t holdingOrderKind);
void CountDownWeaponTimers(rules::GameContext& ctx);

}  // namespace zv::sim
