#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/records/Bytes.h"

// One fight: the attacker's side and the defender's side (or the troop on a bombed hex), six
// members each. The fight windows play it and a news record keeps a copy that saved games
// store, so the layout is a file format.
namespace zv::rules {

inline constexpr std::size_t kBattleRecordSize = 664;
inline constexpr std::size_t kBattleSideSize = 332;
inline constexpr std::size_t kBattleMemberSize = 50;
inline constexpr int kBattleMemberCount = 6;
// A member holds at most eight machines; a member with more fights with eight (see
// BattleMember::kStrength).
inline constexpr int kBattleMachineCount = 8;

inline constexpr std::uint8_t kNoBattleTarget = 255;
inline constexpr std::uint8_t kAllBattleTargets = 6;  // an area weapon hits every member
inline constexpr std::uint8_t kNoBattleWeapon = 255;
inline constexpr std::uint16_t kNoBattleTroop = 0xFFFF;
inline constexpr std::uint8_t kUnseenBattleCountry = 4;
inline constexpr std::uint8_t kNoBattleCountry = 6;

// Result codes of BattleMember::kAction after the weapon choice.
// Before the round the byte holds the member's setting: 0 fire, 1 first target only, 2 hold
// fire.
enum BattleAction : std::uint8_t {
    kBattleFireNear = 0,    // range-1 weapon
    kBattleReturnFire = 1,  // side B answers the attack
    kBattleFireFar = 2,     // longer range
    kBattleBomb = 3,        // weapon type 6 or 7
    kBattleFireArea = 4,    // area weapon
    kBattleHoldFire = 7,
    kBattleNoWeapon = 8,
};

struct BattleMember : ByteRecord<kBattleMemberSize> {
    static constexpr std::size_t kUnit = 0;  // s16, -1 empty formation slot
    // Machines at the start: the member's strength, at most kBattleMachineCount.
    static constexpr std::size_t kStrength = 2;
    static constexpr std::size_t kDurability = 3;     // at the start
    static constexpr std::size_t kStartMachines = 4;  // byte[8] durability per machine
    static constexpr std::size_t kAmmo = 12;          // byte[6] by weapon slot
    static constexpr std::size_t kFireCounter = 18;   // byte[6] by weapon slot
    static constexpr std::size_t kAction = 24;        // setting in, BattleAction out
    static constexpr std::size_t kBonus = 25;         // 0 or 15 percent
    static constexpr std::size_t kEcm = 26;           // own pack ECM raised to the side's best
    // Terrain class 0-28 of the side's hex without roads (GetHexTerrainClass mode 0), for the
    // defence rate of the terrain; 0xFF when the hex names no class. The side's best ECM is
    // kept in kEcm (raised) and in BattleSide::kBestEcm.
    static constexpr std::size_t kTerrainClass = 27;
    static constexpr std::size_t kTarget = 28;      // member 0-5 of the other side, 6 all, 255
    static constexpr std::size_t kTargetUnit = 30;  // s16
    static constexpr std::size_t kWeaponSlot = 32;  // 0-5, 255 none
    static constexpr std::size_t kHit = 33;
    static constexpr std::size_t kDefence = 34;  // on a target: its defence against the attack
    static constexpr std::size_t kDamage = 35;
    static constexpr std::size_t kShots = 36;          // per machine
    static constexpr std::size_t kAttackerIndex = 37;  // on a target: who chose it; 255 none
    static constexpr std::size_t kAttackerBit = 38;    // on a target: 1 << kAttackerIndex
    static constexpr std::size_t kSurvivors = 40;
    static constexpr std::size_t kRemainingDurability = 41;
    static constexpr std::size_t kMachines = 42;  // byte[8] durability per machine now

    std::int16_t Unit() const { return static_cast<std::int16_t>(U16(kUnit)); }
    void SetUnit(std::int16_t v) { SetU16(kUnit, static_cast<std::uint16_t>(v)); }
    bool HasUnit() const { return Unit() != -1; }
    std::uint8_t Strength() const { return bytes[kStrength]; }
    std::uint8_t Durability() const { return bytes[kDurability]; }
    std::uint8_t StartMachine(int m) const { return bytes[kStartMachines + m]; }
    std::uint8_t Ammo(int w) const { return bytes[kAmmo + w]; }
    void SetAmmo(int w, std::uint8_t v) { bytes[kAmmo + w] = v; }
    std::uint8_t FireCounter(int w) const { return bytes[kFireCounter + w]; }
    std::uint8_t Action() const { return bytes[kAction]; }
    void SetAction(std::uint8_t v) { bytes[kAction] = v; }
    std::uint8_t Bonus() const { return bytes[kBonus]; }
    std::uint8_t Ecm() const { return bytes[kEcm]; }
    std::uint8_t TerrainClass() const { return bytes[kTerrainClass]; }
    std::uint8_t Target() const { return bytes[kTarget]; }
    std::int16_t TargetUnit() const { return static_cast<std::int16_t>(U16(kTargetUnit)); }
    std::uint8_t WeaponSlot() const { return bytes[kWeaponSlot]; }
    std::uint8_t Hit() const { return bytes[kHit]; }
    std::uint8_t Defence() const { return bytes[kDefence]; }
    std::uint8_t Damage() const { return bytes[kDamage]; }
    std::uint8_t Shots() const { return bytes[kShots]; }
    std::uint8_t AttackerIndex() const { return bytes[kAttackerIndex]; }
    std::uint8_t AttackerBit() const { return bytes[kAttackerBit]; }
    std::uint8_t Survivors() const { return bytes[kSurvivors]; }
    std::uint8_t RemainingDurability() const { return bytes[kRemainingDurability]; }
    std::uint8_t Machine(int m) const { return bytes[kMachines + m]; }
    void SetMachine(int m, std::uint8_t v) { bytes[kMachines + m] = v; }
    // Present: a unit and machines at the start.
    bool Fights() const { return HasUnit() && Strength() != 0; }
};
static_assert(sizeof(BattleMember) == kBattleMemberSize);
static_assert(BattleMember::kMachines + kBattleMachineCount == kBattleMemberSize);

struct BattleSide : ByteRecord<kBattleSideSize> {
    static constexpr std::size_t kTroop = 0;  // u16, 0xFFFF none
    // Country of the troop: 4 when the local player does not see it, 6 without a troop.
    static constexpr std::size_t kCountry = 2;
    static constexpr std::size_t kBestEcm = 3;
    static constexpr std::size_t kName = 4, kNameSize = 25;
    static constexpr std::size_t kAltitudeClass = 29;
    static constexpr std::size_t kTerrainClass = 30;  // of the troop's hex, with roads (mode 1)
    static constexpr std::size_t kMembers = 32;

    std::uint16_t Troop() const { return U16(kTroop); }
    void SetTroop(std::uint16_t v) { SetU16(kTroop, v); }
    std::uint8_t Country() const { return bytes[kCountry]; }
    void SetCountry(std::uint8_t v) { bytes[kCountry] = v; }
    std::uint8_t BestEcm() const { return bytes[kBestEcm]; }
    std::uint8_t AltitudeClass() const { return bytes[kAltitudeClass]; }
    std::uint8_t TerrainClass() const { return bytes[kTerrainClass]; }

    BattleMember& Member(int i) {
        return *reinterpret_cast<BattleMember*>(data() + kMembers + kBattleMemberSize * i);
    }
    const BattleMember& Member(int i) const {
        return *reinterpret_cast<const BattleMember*>(data() + kMembers + kBattleMemberSize * i);
    }
};
static_assert(sizeof(BattleSide) == kBattleSideSize);
static_assert(BattleSide::kMembers + kBattleMemberCount * kBattleMemberSize == kBattleSideSize);
static_assert(alignof(BattleSide) == 1 && alignof(BattleMember) == 1);

struct BattleRecord : ByteRecord<kBattleRecordSize> {
    static constexpr std::size_t kSideA = 0, kSideB = kBattleSideSize;

    // Side 0 is the attacker (A), side 1 the defender (B).
    BattleSide& Side(int s) { return *reinterpret_cast<BattleSide*>(data() + kBattleSideSize * s); }
    const BattleSide& Side(int s) const {
        return *reinterpret_cast<const BattleSide*>(data() + kBattleSideSize * s);
    }
    BattleSide& A() { return Side(0); }
    BattleSide& B() { return Side(1); }
};
static_assert(sizeof(BattleRecord) == kBattleRecordSize);

}  // namespace zv::rules
