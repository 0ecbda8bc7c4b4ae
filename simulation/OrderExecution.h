#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/search/RouteSearch.h"
#include "simulation/ClockStepContext.h"
#include "simulation/CommandRecords.h"

// One tick of a troop's order: every clock step advances each troop's order by at most one hex
// step or one tick of its action. Every change that all participants must repeat is written as a
// command and applied to the shadow state at once with the same values; counters that only the
// simulating side needs (MoveDelay, ActionCounter, waypoint index, GiveWayFlag) change on the
// shadow alone.
namespace zv::sim {

// Results of CheckNextStep.
inline constexpr int kStepFinished = -1;
inline constexpr int kStepFree = 0;
inline constexpr int kStepBlocked = 1;
inline constexpr int kStepAskedToGiveWay = 2;

// One tick of the troop's order. 0 when the troop is missing, has no members, is neither on the
// map nor launching, has no order or waits out its MoveDelay; 1 otherwise.
bool ExecuteTroopOrder(StepContext& step, std::uint16_t troop);
// The dispatcher on a context the caller built.
bool ExecuteTroopOrder(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);

// One tick of movement: 1 normally, 0 when the tick went into a waypoint switch or a detour.
int ExecuteMoveStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// What stands on the next hex of the route (the troop's hex plus `stepXY`).
int CheckNextStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                  std::uint16_t targetHex, bool toDestination, const rules::RouteStep& stepXY);
// Whether the order's target (troop, or site at the destination) still makes sense; false after
// the action was finished.
bool CheckMoveTarget(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
bool AskTroopToGiveWay(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       std::uint16_t blocker, std::uint16_t hex);
// True to go on toward the destination; false when the target troop made the order end or
// change (then `retargeted` says whether the order now heads for the target's new hex).
bool FollowTargetTroop(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       bool* retargeted = nullptr);
bool RetargetToTroop(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                     std::uint16_t target, std::uint16_t hex);
bool ApproachNearestReachable(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                              std::uint16_t hex);

// The pieces every step shares.
// The finish protocol: command 31, then the status rule on the shadow.
void FinishAction(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Command 32 (troop, 1, 1): ActionCounter and ActionFlags cleared.
void ClearActionState(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Command 32 (troop, 1, 0): ActionCounter cleared.
void ClearActionCounter(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Command 22 and SetTroopOrder; with `clearFirst`, command 26 and ClearTroopOrders before.
void GiveTroopOrder(StepContext& step, rules::GameContext& shadow, const TroopOrderValues& order,
                    bool clearFirst);
// The selected troop's current order as the ten values of command 22.
TroopOrderValues CurrentOrder(rules::TroopCursor& troops);
// The selected troop has no pending action and no destination.
bool HasNoOrder(rules::TroopCursor& troops);
// A part separated from its troop (flag 0x1000 without the fired-part flag 0x800).
bool IsSeparatedPart(std::uint16_t stateFlags);
// 1-6 for the direction 0-5 in which `to` neighbours `from`; 0 when it does not.
int GetNeighbourDirection(std::uint16_t from, std::uint16_t to);
// x or y of the hex is 0xFF.
bool IsUnsetHex(std::uint16_t hex);
// The smallest member fuel of the selected troop.
std::uint16_t MinMemberFuel(rules::TroopCursor& troops);

}  // namespace zv::sim
