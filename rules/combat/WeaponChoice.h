#pragma once

#include <cstdint>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/records/BattleRecord.h"
#include "rules/records/RuleCursors.h"

// The weapon and the target one member of a fight chooses, on a filled BattleRecord. Both
// choices read the rule tables through the context's unit cursors (which they move) and write
// only the record.
namespace zv::rules {

// Modes of a choice.
inline constexpr int kChooseNormal = 0;
inline constexpr int kChooseReturnFire = 1;   // no bonus on the hit value
inline constexpr int kChooseFirstTarget = 2;  // only the first present target of its row

// Purposes of ChooseWeaponAndTargetAlt.
inline constexpr int kPurposeAttack = 2;    // weapon types 0-19
inline constexpr int kPurposeMissiles = 3;  // never chooses
inline constexpr int kPurposeBombing = 8;   // range-1 bombs (types 6, 7, 23, 24)

// Missile types 0, 1 and 20-27: the target's ECM adds to its defence.
int IsMissileWeaponType(int type);
// IsAreaWeaponType lives with the weapon table's cursor.

// The choice of the attack and bombing rounds for member e of `attackers` against `targets`.
// distance 0 accepts every range; with `ready` a weapon whose fire counter runs is skipped.
// Bombing draws its targets from the game stream `random` (null: nothing is chosen). 1 when the
// member's choice was written (an area weapon then marks every member it can hit); 0 when no
// weapon was found or an earlier choice of the member had a hit value at least as good.
int ChooseWeaponAndTargetAlt(GameContext& ctx, BattleSide& attackers, int e, BattleSide& targets,
                             int mode, int distance, int ready, int purpose,
                             fw::RandomStreams* random);

// The variant of the attack evaluation: only weapons of exactly `weaponType`, and the hit value
// of a weapon of range above 1 gets no bonus.
int ChooseWeaponAndTarget(GameContext& ctx, BattleSide& attackers, int e, BattleSide& targets,
                          int mode, int distance, int ready, int weaponType);

}  // namespace zv::rules
