#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Moving a troop by one hex and burning its fuel: the rule operations behind journal commands 1
// and 25. Each selects the troop it is given and works alike on the live and the shadow tables;
// only the live tables get news.
namespace zv::rules {

// Command 1: the troop steps from its hex to a neighbouring one, facing the given direction;
// its MoveDelay becomes its move cost there and its waypoint index the given byte. 1 (also when
// the new hex is its own, changing nothing); 0 when the troop or a hex does not select.
int ExecMove(GameContext& ctx, std::uint16_t troop, std::uint16_t newHex, std::uint8_t facing,
             std::uint8_t waypointIndex);

// Command 25: every member loses `amount` fuel, or the troop's move cost on the terrain class
// when the amount is 0. A member left without fuel falls out when it flies (kind type 0 or 1)
// or belongs to a launched part. 1 while a member is left; 0 when the troop was removed (news
// of the crash on the live tables) or does not select.
int BurnTroopFuel(GameContext& ctx, std::uint16_t troop, std::uint8_t terrainClass,
                  std::uint8_t amount);

}  // namespace zv::rules
