#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Carriers and launched parts: boarding a troop onto a carrier and launching it again, taking a
// returning part back, disbanding and transforming troops, and creating the parts that the fire,
// disperse and support commands send out (troop records 160-254). Journal commands 3, 6, 7, 9,
// 11, 12, 13 and 14. Each works alike on the live and the shadow tables; only the live tables
// get news and sound.
namespace zv::rules {

// LaunchKindBits: one bit per launch kind. Weapon types 20-33 give bit (type - 20), type 35 gives
// kLaunchSupplies (WeaponClassBit).
enum LaunchKind : std::uint16_t {
    kLaunchMissile = 0x0001,
    kLaunchAntiSubmarine = 0x0002,
    kLaunchMegaMissile = 0x0004,
    kLaunchCruise = 0x0008,
    kLaunchMegaCruise = 0x0010,
    kLaunchBallistic = 0x0020,
    kLaunchMegaBallistic = 0x0040,
    kLaunchNuclear = 0x0080,
    kLaunchAswHelicopter = 0x0100,
    kLaunchEarlyWarning = 0x0200,
    kLaunchAirMobile = 0x0400,
    kLaunchMechanised = 0x0800,
    kLaunchLandingCraft = 0x1000,
    kLaunchHovercraft = 0x2000,
    kLaunchSupplies = 0x4000,
};
inline constexpr std::uint16_t kLaunchMissileKinds = 0x00FF;
inline constexpr std::uint16_t kLaunchCruiseKinds = kLaunchCruise | kLaunchMegaCruise;

// Name (UTF-8) and TroopMode of the part made for the kinds: a non-zero low byte alone decides
// (an exact missile kind, else "NONEﾐｻｲﾙ"); otherwise the lowest set bit from 0x0100 up. Kinds
// with none of the bits give "NONEﾐｻｲﾙ" and mode 0.
struct LaunchedPartKind {
    const char* name;
    std::uint8_t troopMode;
};
LaunchedPartKind GetLaunchedPartKind(std::uint16_t kinds);

// Command 6: the troop boards the carrier (its holds are assigned, both troops flagged) and its
// hex entry is freed. 1; 0 when a troop does not select or would board itself.
int ExecBoard(GameContext& ctx, std::uint16_t carrier, std::uint16_t troop, std::uint16_t troopHex);

// Command 7: the troop leaves the carrier onto the launch hex and starts its order (OrderKind 1
// moves without pending actions; any other kind takes the carrier's home action bit). 1; 0 and
// nothing changed when the troop is not aboard that carrier or the launch hex does not select.
int ExecLaunch(GameContext& ctx, std::uint16_t carrier, std::uint16_t troop,
               std::uint16_t launchHex, std::uint8_t orderKind, std::uint16_t destination,
               std::uint16_t target);

// Command 14: the part's machines go back into the carrier's ammunition and the part is
// disbanded. 1; 0 when the carrier does not select.
int ExecReturn(GameContext& ctx, std::uint16_t carrier, std::uint16_t part);

// Each carrier member's weapons of the part's kinds (its weapon selection) get the strength of
// the part's member in the same formation slot as ammunition, up to the pack's full value.
void RestockFromReturningPart(GameContext& ctx, std::uint16_t carrier, std::uint16_t part);

// Command 12: the troop leaves the map and the table (news unless it is a launched part). 1; 0
// when it does not select.
int ExecDisband(GameContext& ctx, std::uint16_t troop);

// Command 9: every member that has a transformation unit takes it. 1; 0 when the troop does not
// select.
int ExecTransform(GameContext& ctx, std::uint16_t troop);

// Command 3: a missile part of the launcher's weapons of the kinds flies from the launch hex
// towards the target (cruise kinds bomb the destination). 1; 0 and nothing changed when the
// launcher or the launch hex does not select or no troop record 160-254 is free.
int ExecFire(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex,
             std::uint16_t actionFlags, std::uint16_t target, std::uint16_t destination,
             std::uint16_t kinds);

// Command 11: a part that acts on its own (ActionFlags given) leaves from the launch hex and will
// return to the launcher's hex. 1; 0 and nothing changed as for ExecFire.
int ExecDisperse(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex,
                 std::uint16_t partActionFlags, std::uint16_t target, std::uint16_t destination,
                 std::uint16_t kinds, std::uint8_t unused = 0);

// Command 13: a part without an order is put on the launch hex beside the launcher. 1; 0 and
// nothing changed as for ExecFire.
int ExecSupport(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex,
                std::uint16_t unused, std::uint16_t target, std::uint16_t destination,
                std::uint16_t kinds, std::uint16_t weaponSelection);

// Builds a part from the launcher's weapons of the kinds that reach the distance (and, for a
// missile part, can hit the target's classes): each launcher member fires one salvo of its first
// such weapon, which becomes one member of the part. The index of the new part (it may have no
// member), or 0xFFFF when no troop record 160-254 is free (nothing changed then).
std::uint16_t CreateLaunchedPart(GameContext& ctx, std::uint16_t launcher, std::uint16_t kinds,
                                 int distance, std::uint16_t target);

// 0 when CreateLaunchedPart would give at least one member a launched unit, else 0xFFFF.
// Changes nothing.
std::uint16_t FindUsableWeapon(GameContext& ctx, std::uint16_t launcher, std::uint16_t kinds,
                               int distance, std::uint16_t target);

// 1 when a member has a weapon of the kinds with ammunition; with the ready flag also with a zero
// counter and in range (distance 0 or not above the weapon's range).
int EvaluateMemberWeapons(GameContext& ctx, std::uint16_t troop, std::uint16_t kinds, int ready,
                          int distance);

// The attack evaluation of a fight between the launcher (side A) and the target (side B) with a
// weapon type, as the fight rules answer it: 1 when a launcher member finds such a weapon.
using LaunchAttackEvaluator = int (*)(GameContext& ctx, std::uint16_t launcher,
                                      std::uint16_t target, int distance, int weaponType);

// The launch kinds the launcher can use against the target troop on the target hex: the cruise
// kinds within their range; against a seen enemy also the missile kinds that the evaluator
// accepts (anti-submarine missiles only against altitude class 5, and then alone). 0 at distance
// 0 or 64 and above. Without an evaluator only the cruise kinds are offered.
std::uint16_t GetAvailableLaunchKinds(GameContext& ctx, std::uint16_t launcher,
                                      std::uint16_t target, std::uint16_t targetHex,
                                      std::uint16_t unused, LaunchAttackEvaluator evaluate);

// 1 when the carried troop can be launched from the carrier's hex now: the hex's launch flag
// fits the carrier's load classes, the troop can stand there and a free neighbour lets it move.
// The troop selection is restored.
int CanLaunchNow(GameContext& ctx, std::uint16_t carrier, std::uint16_t carried);

}  // namespace zv::rules
