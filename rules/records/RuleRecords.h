#pragma once

#include <cstdint>

#include "rules/records/Bytes.h"

namespace zv::rules {

// Layouts of the nine rule-table records (the *.dat bodies). Fields named 1-based store 0 for
// none and n + 1 for record n.

inline constexpr int kTerrainCount = 29;
inline constexpr int kAltitudeLayerCount = 5;
inline constexpr int kTargetClassCount = 10;
// The target class of sites (facilities), the last one.
inline constexpr int kFacilityClass = kTargetClassCount - 1;
inline constexpr int kWeaponSlotCount = 6;
inline constexpr int kPackCount = 4;
inline constexpr int kProductionTypeCount = 32;

struct LandKindRecord : ByteRecord<24> {
    static constexpr std::size_t kName = 0, kNameWidth = 16;
    static constexpr std::size_t kLaunchFlag = 16;
    static constexpr std::size_t kLoadFlag = 17;
    static constexpr std::size_t kSupplyFlag = 18;  // u16
    static constexpr std::size_t kGraphicNumber = 20;
    static constexpr std::size_t kDummy = 21;  // byte[3]
};
static_assert(sizeof(LandKindRecord) == 24);

struct MvcostKdRecord : ByteRecord<176> {
    static constexpr std::size_t kCost = 0;  // byte[29] by terrain
    static constexpr std::size_t kDummy1 = 29;
    static constexpr std::size_t kConcealment = 30;  // byte[5][29]: 30 + 29 x layer + terrain
    static constexpr std::size_t kDummy2 = 175;
    static constexpr std::size_t ConcealmentOffset(int layer, int terrain) {
        return kConcealment + static_cast<std::size_t>(kTerrainCount * layer + terrain);
    }
};
static_assert(sizeof(MvcostKdRecord) == 176);

struct DefencDkRecord : ByteRecord<30> {
    static constexpr std::size_t kDefenceRate = 0;  // byte[29] by terrain
    static constexpr std::size_t kDummy = 29;
};
static_assert(sizeof(DefencDkRecord) == 30);

struct ActionKdRecord : ByteRecord<12> {
    static constexpr std::size_t kAttack = 0;   // byte[2]: 攻撃1, 攻撃2
    static constexpr std::size_t kDefence = 2;  // byte[2]: 防御1, 防御2
    static constexpr std::size_t kRange = 4;    // u16
    static constexpr std::size_t kDummy = 6;    // u16[3]
};
static_assert(sizeof(ActionKdRecord) == 12);

// UnitKind index of the headquarters.
inline constexpr std::uint8_t kHeadquartersUnitKind = 101;
// UnitInfo unit-kind byte of a unit that has no kind.
inline constexpr std::uint8_t kNoUnitKind = 0xFF;

struct UnitKindRecord : ByteRecord<40> {
    static constexpr std::size_t kName = 0, kNameWidth = 24;
    static constexpr std::size_t kKindType = 24;
    static constexpr std::size_t kSupplyFlags = 25;
    static constexpr std::size_t kPerformanceFlags = 26;
    static constexpr std::size_t kClassFlags = 27;
    static constexpr std::size_t kSpecialFlags = 28;
    static constexpr std::size_t kDummy29 = 29;
    static constexpr std::size_t kActionTypeFlags = 30;    // u16
    static constexpr std::size_t kGraphicNumber = 32;      // u16, 1-based
    static constexpr std::size_t kDescriptionNumber = 34;  // u16
    static constexpr std::size_t kDummy = 36;              // byte[4]
};
static_assert(sizeof(UnitKindRecord) == 40);

struct WeaponKdRecord : ByteRecord<36> {
    static constexpr std::size_t kName = 0, kNameWidth = 16;
    static constexpr std::size_t kWeaponType = 16;
    static constexpr std::size_t kLoadFlags = 17;
    static constexpr std::size_t kHitRate = 18;  // byte[10] by target class
    static constexpr std::size_t kPower = 28;
    static constexpr std::size_t kSalvo = 29;
    static constexpr std::size_t kFireCount = 30;
    static constexpr std::size_t kRange = 31;
    static constexpr std::size_t kOptionUnit = 32;     // u16, 1-based
    static constexpr std::size_t kAddedCommands = 34;  // u16
};
static_assert(sizeof(WeaponKdRecord) == 36);

// Site kinds: the records of sitekind.dat, of which kinds 0 (capital) and 1 (large city) have
// rules of their own. Site kind k is drawn on terrain class kFirstSiteClass + k.
inline constexpr int kSiteKindCount = 6;
inline constexpr std::uint8_t kCapitalKind = 0;    // 首都
inline constexpr std::uint8_t kLargeCityKind = 1;  // 大都市
inline constexpr std::uint8_t kCityKind = 2;       // 都市
inline constexpr std::uint8_t kTownKind = 3;       // 町
inline constexpr std::uint8_t kAirportKind = 4;    // 空港
inline constexpr std::uint8_t kPortKind = 5;       // 港
inline constexpr std::uint8_t kFirstSiteClass = 15;

struct SiteKindRecord : ByteRecord<30> {
    static constexpr std::size_t kName = 0, kNameWidth = 16;
    static constexpr std::size_t kIncome = 16;    // u16
    static constexpr std::size_t kFuel = 18;      // u16
    static constexpr std::size_t kSupplies = 20;  // u16
    static constexpr std::size_t kPerformanceFlags = 22;
    static constexpr std::size_t kCaptureDurability = 23;
    static constexpr std::size_t kDestroyDurability = 24;
    static constexpr std::size_t kDaySearchRange = 25;
    static constexpr std::size_t kNightSearchRange = 26;
    static constexpr std::size_t kDummy = 27;  // byte[3]
};
static_assert(sizeof(SiteKindRecord) == 30);

struct UnitInfoRecord : ByteRecord<138> {
    static constexpr std::size_t kName = 0, kNameWidth = 24;
    static constexpr std::size_t kUnitKind = 24;
    static constexpr std::size_t kAltitudeClass = 25;
    static constexpr std::size_t kDefenceRate = 26;  // byte[10] by target class
    static constexpr std::size_t kLoadableFlags = 36;
    static constexpr std::size_t kDefenceType = 37;
    static constexpr std::size_t kMaxStrength = 38;
    static constexpr std::size_t kDurabilityPerUnit = 39;
    static constexpr std::size_t kDaySight = 40;
    static constexpr std::size_t kNightSight = 41;
    static constexpr std::size_t kRadarRange = 42;  // byte[5] by altitude layer
    static constexpr std::size_t kLoadFlags = 47;
    static constexpr std::size_t kDefaultPack = 48;  // 1-based
    static constexpr std::size_t kSupplyableKinds = 49;
    static constexpr std::size_t kWeaponId = 50;  // u16[6], 1-based WeaponKd ids
    static constexpr std::size_t kPacks = 62;     // 4 x 12 bytes
    static constexpr std::size_t kPackSize = 12;
    // Offsets inside one equipment pack.
    static constexpr std::size_t kPackAmmo = 0;  // byte[6] by weapon slot
    static constexpr std::size_t kPackSpeedChange = 6;
    static constexpr std::size_t kPackFuelTanks = 7;
    static constexpr std::size_t kPackEcm = 8;
    static constexpr std::size_t kPackWeaponSwitch = 9;
    static constexpr std::size_t kPackFuel = 10;           // u16
    static constexpr std::size_t kProductionSides = 110;   // s32
    static constexpr std::size_t kPrice = 114;             // s32
    static constexpr std::size_t kCarryWeightTotal = 118;  // u16
    static constexpr std::size_t kWeight = 120;            // u16
    static constexpr std::size_t kFuelPrice = 122;         // u16
    static constexpr std::size_t kTransformUnit = 124;     // u16, 1-based
    static constexpr std::size_t kMoveCostKind = 126;      // u16
    static constexpr std::size_t kActionKind = 128;        // u16
    static constexpr std::size_t kSilhouette = 130;        // u16
    static constexpr std::size_t kCommandFlags = 132;      // u16
    static constexpr std::size_t kTransformTime = 134;
    static constexpr std::size_t kSpecialAbility = 135;
    static constexpr std::size_t kDefenceKind = 136;
    static constexpr std::size_t kDummy2 = 137;

    static constexpr std::size_t PackOffset(int pack) {
        return kPacks + kPackSize * static_cast<std::size_t>(pack);
    }
};
static_assert(sizeof(UnitInfoRecord) == 138);
static_assert(UnitInfoRecord::PackOffset(kPackCount) == UnitInfoRecord::kProductionSides);

struct ProKindRecord : ByteRecord<28> {
    static constexpr std::size_t kPresent = 0;  // s32, non-zero when the type exists
    static constexpr std::size_t kName = 4, kNameWidth = 24;
};
static_assert(sizeof(ProKindRecord) == 28);

}  // namespace zv::rules
