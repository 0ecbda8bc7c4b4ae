#pragma once

#include <cstdint>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/records/BattleRecord.h"

// Attacks between troops and the bombing of a hex (journal commands 2 and 8). A fight is held in
// a BattleRecord: both sides are filled from the troops, the members choose weapons and targets,
// the fire is resolved from the game stream, and the outcome is written back into the troops.
// On a live context the fight is also shown (map animation, fight windows) and reported as news
// through the context's events; the shadow keeps only the table changes. Nothing here waits.
namespace zv::rules {

// Writes the side's header from the troop: index, country, name and altitude class. 0 when the
// troop does not select.
int SetBattleSideTroop(GameContext& ctx, BattleSide& side, std::uint16_t troop);

// Fills both sides (from their troop indexes) and chooses the weapons of side A's members, and
// with returnFire 2 those of side B's answer. `ready` skips weapons whose fire counter runs. 1
// when an attacker member has a usable weapon; 0 otherwise or when a side does not fill.
int ComputeAttackRound(GameContext& ctx, BattleRecord& record, int distance, int ready,
                       int returnFire);

// Fills side A and, when it has a troop, side B, then chooses side A's bombs (targets drawn from
// the game stream). 1 when a member found a bomb.
int ComputeBombingRound(GameContext& ctx, BattleRecord& record, int distance, int ready,
                        fw::RandomStreams& random);

// The same fill, asking each present attacker member for a weapon of exactly `weaponType`. 1
// when one found one. Changes only the record.
int EvaluateAttack(GameContext& ctx, BattleRecord& record, int distance, int ready, int weaponType);

// EvaluateAttack of the launcher (side A) against the target (side B) at a distance; fits
// LaunchAttackEvaluator of the launch rules.
int EvaluateLaunchAttack(GameContext& ctx, std::uint16_t launcher, std::uint16_t target,
                         int distance, int weaponType);

// Selects the unit of each side-A member that fired; writes nothing.
void PrepareBattleResult(GameContext& ctx, const BattleRecord& record);

// Writes the outcome into both troops: lost machines and durability, spent ammunition and the
// fired weapons' counters; members without machines or durability leave, a troop without
// members is removed.
void ApplyBattleResult(GameContext& ctx, BattleRecord& record);

// Troop a attacks troop b. 0 and nothing changed unless both have members, stand on the map and
// belong to countries 0-3; else 1.
int ExecAttack(GameContext& ctx, std::uint16_t a, std::uint16_t b, fw::RandomStreams& random);

// Troop a bombs its destination hex: the troop b there (0xFFFF none; it counts only as an enemy
// of a) and the site s there (0xFFFF none). `threshold` is the bomb step's draw 0-99. 0 and
// nothing changed unless a has members, stands on the map and belongs to a country 0-3; else 1.
int ExecBomb(GameContext& ctx, std::uint16_t a, std::uint16_t b, std::uint16_t s, int threshold,
             fw::RandomStreams& random);

}  // namespace zv::rules
