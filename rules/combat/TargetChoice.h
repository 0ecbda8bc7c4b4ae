#pragma once

#include <cstdint>
#include <vector>

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

// What the target choices of one clock step share, so that each need not walk every troop slot
// nor weigh the same enemies twice. Sightings within a step are only ever taken away (a troop
// that moves, boards or is made starts unseen until the next step's sighting), and alliances
// change only between steps; so the troops a country had sighted when its list was made hold
// every candidate of its later choices in the step. Each is checked again when it is used.
class TargetChoiceMemo {
  public:
    // Forgets the step before: call before a step's first choice.
    void NewStep();
    // Tells the memo that the world changed (an order given, a troop moved): a troop asked about
    // again is weighed anew. `stamp` is anything that differs after such a change, such as the
    // length of the step's journal.
    void SetStamp(std::uint64_t stamp) { stamp_ = stamp; }

  private:
    friend int ChooseTarget(GameContext&, std::uint16_t, std::uint8_t, TroopOrderCommands&,
                            TargetChoiceMemo*);
    struct Weighed {
        std::uint16_t troop;
        bool canGoFor;
    };
    // The troops country c had sighted and is not allied with, in index order.
    const std::vector<std::uint16_t>& Sighted(GameContext& ctx, std::uint8_t country);

    std::uint64_t stamp_ = 0;
    bool built_[kCountryCount] = {};
    std::vector<std::uint16_t> sighted_[kCountryCount];
    // The last choice that gave neither an attack nor a fire order: its troop, the stamp then
    // and whether it may go for each candidate.
    std::uint16_t lastTroop_ = 0xFFFF;
    std::uint64_t lastStamp_ = 0;
    std::vector<Weighed> lastWeighed_;
};

// Gives troop a an order against the best candidate it sees (the lowest troop index and class
// win ties): an attack on the best troop at distance 1 or more; else, unless a fired part of it
// is in flight, a fire order with the first usable launch kind of 0x0004, 0x0040, 0x0020,
// 0x0001, 0x0080, 0x0002; else, with an approach range r other than 0, an approach (move with
// pending attack) on the best troop within r. Attacks and approaches only consider troops on a
// hex a can enter or already within reach of its weapons. Each order given is also handed to
// `commands`. With a memo the candidates come from the country's list of the step, and a troop
// asked again with the stamp unchanged skips straight to its approach.
// The result of SetTroopOrder for the order given, 0 when none was.
int ChooseTarget(GameContext& ctx, std::uint16_t a, std::uint8_t approachRange,
                 TroopOrderCommands& commands, TargetChoiceMemo* memo = nullptr);

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
