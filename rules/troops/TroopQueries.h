#pragma once

#include <cstdint>

#include "rules/records/MapCursors.h"
#include "rules/records/TroopRecord.h"

// Questions about a troop's members as a whole, and the few changes to a troop as a whole, on
// the troop a TroopCursor has selected. Members are walked through the current formation, slots
// 0-5, counting only present members whose unit selects (see ForEachPresentMember); weapons
// count only when their id selects in a WeaponKd cursor. A troop without such members gives the
// value named "none" below.
namespace zv::rules {

class TroopCursor;

inline constexpr std::uint8_t kSupplyUnitKind = 118;
inline constexpr std::uint8_t kSupplyWeaponType = 34;

// Weapon class bit of a weapon type: 1 << (t - 20) for 20-33, 0x4000 for 35, else 0.
std::uint16_t WeaponClassBit(std::uint8_t weaponType);

// Order fields of the TroopRecord.
std::uint8_t GetByte360(TroopCursor& troop);
void SetByte360(TroopCursor& troop, std::uint8_t v);
std::uint16_t* GetWord361(TroopCursor& troop, std::uint16_t* out);
void SetWord361(TroopCursor& troop, std::uint16_t v);
std::uint8_t GetByte363(TroopCursor& troop);
void SetByte363(TroopCursor& troop, std::uint8_t v);
std::uint16_t GetWord358(TroopCursor& troop);
void SetWord358(TroopCursor& troop, std::uint16_t v);
std::uint8_t GetByte381(TroopCursor& troop);
void SetByte381(TroopCursor& troop, std::uint8_t v);
std::uint8_t GetByte416(TroopCursor& troop);
void SetByte416(TroopCursor& troop, std::uint8_t v);
std::uint8_t GetByte417(TroopCursor& troop);
void SetByte417(TroopCursor& troop, std::uint8_t v);
// Byte 22 of the current formation (automatic engagement); 0 for a formation byte outside 0-3.
std::uint8_t GetCurrentFormationByte236(TroopCursor& troop);

// Single members by formation slot; 0 for a slot without a present member.
int MemberCanLoad(TroopCursor& troop, int slot, std::uint8_t* out);
int AnyMemberLoadClass(TroopCursor& troop, int slot, std::uint8_t* out);
std::uint8_t GetMemberConcealment(TroopCursor& troop, int slot, int layer, int terrain, int c);
// 255 for an empty slot, 0 when the unit does not select; sight flags bit 0 / bit 1 choose the
// radar (bit 3 set: the fixed ranges 2 / 1), neither gives 255.
std::uint8_t GetMemberRadarRange(TroopCursor& troop, int slot, int layer, int sightFlags,
                                 int useTransform);

// Aggregates over the members (value without members in brackets).
std::uint8_t GetBestMemberValue(TroopCursor& troop, int layer, int sightFlags,
                                int useTransform);                                        // [0]
std::uint8_t GetMinMemberConcealment(TroopCursor& troop, int layer, int terrain, int c);  // [255]
std::uint16_t GetUnitKindClassBits(TroopCursor& troop);                                   // [2]
std::uint16_t GetSupplyCapabilityBits(TroopCursor& troop);                                // [2]
// Supply-role bits of GetSupplyCapabilityBits.
inline constexpr std::uint16_t kSuppliedAtSite = 0x0001;
inline constexpr std::uint16_t kSuppliedByTroop = 0x0002;
inline constexpr std::uint16_t kSuppliesOthers = 0x0004;
// The troop's defence on a terrain class: the smallest DefencDk rate of its members' defence
// kinds; 254 when no member's defence kind selects or the class is outside 0-28.
std::uint8_t GetTerrainDefence(TroopCursor& troop, int terrainClass);
int AnyMemberCanTransform(TroopCursor& troop);               // [0]
std::uint8_t GetLowestDefenceOfMembers(TroopCursor& troop);  // [255]
std::uint16_t GetMemberClassMask(TroopCursor& troop);        // [0]
std::uint8_t GetMinSight(TroopCursor& troop, int night);     // [0]
int HasSpecialAbilityBit0(TroopCursor& troop);               // [0]
std::uint8_t GetMaxTransformTime(TroopCursor& troop);        // [0]
std::uint8_t SumStrengthOfKindFlag0(TroopCursor& troop);     // [0]
int SumSupplyStock(TroopCursor& troop, std::uint8_t* out);   // *out [0]; returns 0
std::uint16_t GetWeaponClassMask(TroopCursor& troop);        // [0]
std::uint8_t GetWeaponRange(TroopCursor& troop, std::uint16_t classMask, int mode);  // [0]
std::uint8_t GetIconOfFirstMember(TroopCursor& troop);                               // [0]
int HasMemberOfKind(TroopCursor& troop, int unitKind);                               // [0]
std::uint8_t GetDaySearchValue(TroopCursor& troop, int layer, int terrain, int c,
                               int useTransform);  // [255]
std::uint8_t GetNightSearchValue(TroopCursor& troop, int layer, int terrain, int c,
                                 int useTransform);  // [255]

// Capabilities of the members: bits 0x0001, 0x0040, 0x0080, 0x0100 when any member has them,
// every other bit when all have it; 0xFFFF without members.
std::uint16_t GetCapabilityFlags(TroopCursor& troop);
// 1 when a weapon of a member can attack kind 0 (types 0-19 but 6, 7) or kind 1 (6, 7; 23, 24
// on a launched part of the second kind; with a hit rate against class 9), under the ammunition
// rule (0 none, 1 ammunition, 2 ammunition and a zero counter).
int CanAttackClass(TroopCursor& troop, int kind, int ammoRule);
// The mean over the members of each one's best 命中率 x 破壊力 x 同時発射数 x strength against
// the target class, the value the target choice maximises.
std::uint16_t ScoreTroopAgainstTarget(TroopCursor& troop, int targetClass, int minimumRange,
                                      int special);
// Refreshes the altitude class, then the altitude layer of the order's weapon classes (word
// 358); without any of those bits, the layer of the troop's altitude class.
std::uint8_t GetMovementLayer(TroopCursor& troop);

// Thresholds of the current formation.
int IsSupplyShort(TroopCursor& troop, int* supplyShort);
int IsUnderStrength(TroopCursor& troop);

// Changes to the troop.
int LoadTroop(TroopCursor& troop, std::uint16_t carrier, std::uint16_t passenger);
int UnloadTroop(TroopCursor& troop, std::uint16_t carrier, std::uint16_t passenger,
                std::uint16_t hex);
int TransformMembers(TroopCursor& troop);
int RestoreFull(TroopCursor& troop, int withCounters);
int ClampSuppliesToPack(TroopCursor& troop, int withCounters);
int SpendFireCounts(TroopCursor& troop, int n);
int ConsumeSupplies(TroopCursor& troop, int n);
// Formations 0-3; 0 and nothing changed for any other index.
int RebuildFormation(TroopCursor& troop, int source, int target);
int RebuildAllFormations(TroopCursor& troop);
int HasAlternativeFormations(TroopCursor& troop);

// Movement, range and rearming.
int BuildClassMoveCostTable(TroopCursor& troop, std::uint8_t out[29], int untouchedOnly,
                            std::uint16_t classMask);
std::uint8_t GetBaseTerrainMoveCost(TroopCursor& troop, int mode);
std::uint16_t GetFuelRangeSteps(TroopCursor& troop, std::uint16_t* largest);
// `sites` is the site cursor of the tables the troop belongs to (live or shadow).
int CanRearmAtSite(TroopCursor& troop, SiteCursor& sites, std::uint8_t country, std::uint16_t site,
                   std::uint16_t unit, std::int32_t* price);
int CanRearmMembersAtSite(TroopCursor& troop, SiteCursor& sites, std::uint16_t site);
std::uint8_t GetActivityCode(TroopCursor& troop);
std::uint16_t FindFreeLaunchSlot(TroopCursor& troop);

}  // namespace zv::rules
