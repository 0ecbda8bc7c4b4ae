#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "simulation/ClockStepContext.h"

// Before its order runs each step, a troop short of fuel, supplies or strength is sent to the
// nearest place that can resupply it (an own supplying site or a friendly carrier that supplies
// others); a troop run dry is fetched by a carrier instead. A troop already on its way there keeps
// its order, and a carrier already on its way keeps fetching.
namespace zv::sim {

// Request bits.
inline constexpr std::uint16_t kResupplyFuel = 0x1;
inline constexpr std::uint16_t kResupplySupplies = 0x2;
inline constexpr std::uint16_t kResupplyStrength = 0x4;
inline constexpr std::uint16_t kResupplySuppliesB = 0x8;

// Always 1.
int CheckTroopResupply(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// True when the troop has an order toward a place of resupply (given now or already under way).
bool SendToSupplySite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                      std::uint16_t request);
// True when a carrier was sent for the troop or is already on its way.
bool SendToCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop);
// Byte 23 of the troop's current formation is not 0.
bool IsSecondFormationSettingSet(rules::GameContext& shadow, std::uint16_t troop);

}  // namespace zv::sim
