#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "simulation/ClockStepContext.h"

// The orders that computer-led troops (and troops whose formation asks for it) give themselves.
// Each step the corps targets of every country are planned afresh; then every idle map troop picks
// a behaviour by its TroopMode and the actions open to it and gets an ordinary order (command 22).
// The random choices are the simulating program's own draws; the others learn only the orders.
namespace zv::sim {

// Rebuilds the CorpsTargetTable from the shadow state.
void PlanCorpsTargets(StepContext& step, rules::GameContext& shadow);
// Gives an idle troop an order or leaves it idle.
void DecideTroopAction(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// The action options of a troop (ActionFlags bits).
std::uint16_t GetTroopActionOptions(StepContext& step, rules::GameContext& shadow,
                                    std::uint16_t troop);

// Behaviours: true when an order was given.
bool AutoOccupy(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoFireAtRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoBoardCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoGoHome(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoAttack(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoAdvance(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AutoSupport(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// The range within which AutoAttack looks for targets: the best member value at sight flag 4,
// scaled by AttackRengeMagnifying / 10 and raised to MaxAttackRenge.
int AutoAttackRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// The scaling itself: (best x magnifying, kept to 16 bits) / 10, raised to the maximum.
int ScaleAttackRange(int best, int magnifying, int maximum);

// Target pickers: 0 when an order was given, -1 when not.
int GoToThreat(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
               std::uint16_t troop, std::uint16_t actionFlags);
int GoToExpansionTarget(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                        std::uint16_t troop, std::uint16_t actionFlags);
int GoToFrontTarget(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                    std::uint16_t troop, std::uint16_t actionFlags);
int GoToFrontTargetByAir(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                         std::uint16_t troop);
int GoToSiteInRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop, int range,
                    std::uint16_t weaponSelection);
int GoToOccupiableSite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       std::uint16_t actionFlags);
int GoToForeignLoadSite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                        int layer);
int GoToCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop, int layer);

}  // namespace zv::sim
