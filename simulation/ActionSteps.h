#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "simulation/ClockStepContext.h"

// The action steps of a troop's order: occupy, supply, fire, disperse, support, board, launch,
// bomb, transform, disband and return. Each works on the caller's shadow context and either
// waits, makes one tick of its action or ends it; commands are written and applied to the shadow
// at once.
namespace zv::sim {

// Occupy (OrderKind 4): the troop stands on a site of a country it is not allied with.
bool CheckOccupyPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Wears the site down by a fifth of the occupiers' strength (at least 1) per tick, on the shadow
// only; on the tick after it reached 0 the site is taken (command 4).
void ExecuteOccupyStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

// Supply (OrderKind 5): from the target troop (beside the troop's destination) or from the site
// the troop stands on at its destination.
bool CheckSupplyPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
void ExecuteSupplyStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

// Fire (3) and disperse (11): a usable weapon of the order's selection and a visible target.
bool CheckTargetInReach(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
void ExecuteFireStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
void ExecuteDisperseStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Support (13): a part is put beside the troop, which then heads home.
void ExecuteSupportStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// The free neighbour of the troop's hex nearest to its destination that the part may stand on;
// false when there is none.
bool ChooseAdjacentFreeHex(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                           std::uint16_t& hex);

// Board (6): 1 when the carrier (the target troop) beside the troop can take it, else -1.
int CanCarrierTake(StepContext& step, rules::GameContext& shadow, std::uint16_t carrier,
                   std::uint16_t troop);
int CheckBoardPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
void ExecuteBoardStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

// Launch (7): -1 when the troop cannot launch at all, 0 to wait, 1 when it may leave now.
int CheckLaunchPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// The carrier prepares for three ticks, then the troop leaves toward its destination from the
// best free neighbour; true when it left.
bool ExecuteLaunchStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

// Bomb (8), within one hex of the destination.
void ExecuteBombStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Transform (9): the transformation happens after the slowest member's time.
void ExecuteTransformStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Disband (12).
void ExecuteDisbandStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Return (14): the part reached its carrier's hex and goes back aboard.
bool IsAtTargetCarrierHex(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
void ExecuteReturnStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

}  // namespace zv::sim
