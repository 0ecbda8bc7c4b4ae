#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// The enemies computer-led troops pick for themselves, on the simulation's shadow state.
namespace zv::rules {

// The ten values of an order given with SetTroopOrder, in its argument order.
struct TroopOrderArgs {
    std::uint16_t troop = 0;
    std::uint16_t destination = 0xFFFF;
    std::uint16_t target = 0xFFFF;
    std::uint8_t orderKind = 0;
    std::uint16_t actionFlags = 0;
    std::uint16_t weaponSelection = 0;
    std::uint8_t parameter = 255;
    std::uint16_t homeHex = 0xFFFF;
    std::uint8_t homeActionBit = 0;
    std::uint8_t homeTroop = 255;
};

// Where a chosen order goes besides the shadow: the simulation appends it as command 22 so that
// every participant gives the same order.
class TroopOrderCommands {
  public:
    virtual ~TroopOrderCommands() = default;
    virtual void AppendTroopOrder(const TroopOrderArgs& order) = 0;
};

// Gives troop a an order against the best candidate it sees (the lowest troop index and class
// win ties): an attack on the best troop at distance 1 or more; else, unless a fired part of it
// is in flight, a fire order with the first usable launch kind of 0x0004, 0x0040, 0x0020,
// 0x0001, 0x0080, 0x0002; else, with an approach range r other than 0, an approach (move with
// pending attack) on the best troop within r. Attacks and approaches only consider troops on a
// hex a can enter or already within reach of its weapons. Each order given is also handed to
// `commands`.
// The result of SetTroopOrder for the order given, 0 when none was.
int ChooseTarget(GameContext& ctx, std::uint16_t a, std::uint8_t approachRange,
                 TroopOrderCommands& commands);

// Answers of RateAttackFromHex.
inline constexpr std::uint16_t kAttackImpossible = 0xFFFF;
inline constexpr std::uint16_t kAttackOutOfRange = 0;
inline constexpr std::uint16_t kAttackNotReady = 1;
inline constexpr std::uint16_t kAttackReady = 2;

// Whether troop a can attack troop b now: kAttackImpossible when either is not a troop on the
// map, b is not an enemy of a country 0-3 or a's country does not see it (bit c or c + 4);
// otherwise RateAttackFromHex.
std::uint16_t RateEnemyInRange(GameContext& ctx, std::uint16_t a, std::uint16_t b);

// kAttackImpossible: no weapon of a can hit b at any distance; kAttackOutOfRange: none reaches
// the distance between the hexes; kAttackNotReady: one reaches, but all such wait for their
// fire counter; kAttackReady: a ready weapon reaches.
std::uint16_t RateAttackFromHex(GameContext& ctx, std::uint16_t a, std::uint16_t hexA,
                                std::uint16_t b, std::uint16_t hexB);

}  // namespace zv::rules
