#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

// Rule tables and a small world for the order, movement, supply and carrier rules: ground,
// air and naval units, a carrier with launch weapons, supply units, a headquarters.
namespace zv::rules::orderstest {

// Unit kinds (table 4).
enum : int {
    kKindGround = 0,     // kind type 3
    kKindHeli = 1,       // kind type 0: falls when out of fuel
    kKindPlane = 2,      // kind type 1: falls when out of fuel
    kKindShip = 3,       // kind type 5
    kKindHq = 101,       // headquarters
    kKindSupply = 118,   // machines that are supplies
    kKindMissile = 119,  // launched missile bodies
    kKindSupplyShip = 120,
    kKindCount = 121,
};

// Movement classes (table 1).
enum : int { kMoveGround = 0, kMoveNaval = 1, kMoveAir = 2 };

// Weapons by 1-based id (table 5).
enum : int {
    kRifle = 1,          // type 2, range 1
    kAirMissile = 2,     // type 1
    kShipMissile = 3,    // type 20 (0x0001), range 10, salvo 4, fire count 5, hits class 4
    kCruiseMissile = 4,  // type 23 (0x0008), range 20, salvo 2, fire count 6, hits class 9
    kCrates = 5,         // type 34: supplies
    kAswHeli = 6,        // type 28 (0x0100), range 8, salvo 1, launches kGunship
    kLandingBoat = 7,    // type 32 (0x1000), range 3, salvo 1
    kSupplyDrop = 8,     // type 35 (0x4000), range 3, salvo 1
    kSubMissile = 9,     // type 21 (0x0002), range 10, salvo 2, hits class 5
};

// Units (table 7).
enum : int {
    kInfantry = 0,      // kind 0, altitude 3, 10 machines of durability 2, rifle 20
    kGunship = 1,       // kind 1, altitude 2, 4 machines of 5, air missile 8, fuel 30
    kBoat = 2,          // kind 3, altitude 4, transforms into kLandingCraft
    kCarrier = 3,       // kind 3, altitude 4; cruise 4, ASW helicopters 2, ship missiles 8,
                        // submarine missiles 4; carries classes 0x0C up to 60
    kSupplyTruck = 4,   // kind 118, altitude 3, 5 machines
    kHeadquarters = 5,  // kind 101, altitude 3, weight 20
    kMissileBody = 6,   // kind 119, price 231 (300 with the surcharge)
    kCruiseBody = 7,    // kind 119, durability 2 per machine
    kFighter = 8,       // kind 2, altitude 1, ship missiles 10
    kSupplyShip = 9,    // kind 120, altitude 4, crates 20
    kLandingCraft = 10,
    kSupplyCrate = 11,   // kind 118
    kAssaultShip = 12,   // landing boats 3, supply drops 3
    kSupplyPlane = 13,   // kind 118, altitude 1
    kAirTransport = 14,  // kind 1, altitude 2, carries class 0x08 up to 20
    kSubmarine = 15,     // kind 3, altitude 5, defence type 5
};

using testing::SetPack;
using testing::SetWeapons;

struct UnitSpec {
    const char* name;
    int kind;
    int altitude;
    int moveClass;
    int maxStrength;
    int durabilityPerMachine;
    std::int32_t price;
    int defenceType;
    std::uint16_t fuel;
};

inline testing::RuleTableWriter OrderRules() {
    testing::RuleTableWriter w = testing::RuleTableWriter::Basic();

    // Sites sell and supply to every class except the airport (air classes only) and the port
    // (supplies, sells nothing). Sea lets ships launch what they carry, land what trucks carry.
    for (int k = 0; k < 6; ++k) {
        std::uint16_t flags = 0x3000 | 0x00FF;
        if (k == 4) flags = 0x3000 | 0x0003;
        if (k == 5) flags = 0x1000 | 0x00FF;
        w.landKinds[15 + k].SetU16(LandKindRecord::kSupplyFlag, flags);
    }
    w.landKinds[5].SetU8(LandKindRecord::kLaunchFlag, 0x04);
    w.landKinds[0].SetU8(LandKindRecord::kLaunchFlag, 0x08);

    // Capital, large city, city and town pay a capture bonus; the airport only credits
    // supplies; the port neither.
    static constexpr std::uint8_t kPerformance[] = {0x01, 0x01, 0x01, 0x01, 0x02, 0x00};
    for (int k = 0; k < 6; ++k) {
        w.siteKinds[k].SetU8(SiteKindRecord::kPerformanceFlags, kPerformance[k]);
        w.siteKinds[k].SetU16(SiteKindRecord::kSupplies, static_cast<std::uint16_t>(10 * (k + 1)));
    }

    w.unitKinds[kKindGround].SetU8(UnitKindRecord::kSupplyFlags, 0x03);
    w.unitKinds[kKindGround].SetU8(UnitKindRecord::kDummy29, 3);
    w.unitKinds[kKindHeli].SetU8(UnitKindRecord::kSupplyFlags, 0x03);
    w.unitKinds[kKindHeli].SetU8(UnitKindRecord::kDummy29, 5);
    while (static_cast<int>(w.unitKinds.size()) < kKindCount) {
        UnitKindRecord& k = w.AddUnitKind("予備");
        k.SetU8(UnitKindRecord::kKindType, 0xFF);
    }
    auto kind = [&](int index, int type, int supplyFlags, int icon) {
        UnitKindRecord& k = w.unitKinds[index];
        k.SetU8(UnitKindRecord::kKindType, static_cast<std::uint8_t>(type));
        k.SetU8(UnitKindRecord::kSupplyFlags, static_cast<std::uint8_t>(supplyFlags));
        k.SetU8(UnitKindRecord::kDummy29, static_cast<std::uint8_t>(icon));
    };
    kind(kKindPlane, 1, 0x03, 6);
    kind(kKindShip, 5, 0x03, 7);
    kind(kKindHq, 3, 0x03, 9);
    kind(kKindSupply, 3, 0x05, 11);
    kind(kKindMissile, 7, 0x00, 12);
    kind(kKindSupplyShip, 5, 0x05, 8);

    w.AddMvcostKind();
    MvcostKdRecord& air = w.mvcostKinds[kMoveAir];
    for (int t = 0; t < kTerrainCount; ++t) air.SetU8(MvcostKdRecord::kCost + t, 1);

    auto weapon = [&](const char* name, int type, int range, int salvo, int fireCount,
                      int optionUnit, int hitClass, int hitRate) {
        WeaponKdRecord& r = w.AddWeapon(name);
        r.SetU8(WeaponKdRecord::kWeaponType, static_cast<std::uint8_t>(type));
        r.SetU8(WeaponKdRecord::kRange, static_cast<std::uint8_t>(range));
        r.SetU8(WeaponKdRecord::kSalvo, static_cast<std::uint8_t>(salvo));
        r.SetU8(WeaponKdRecord::kFireCount, static_cast<std::uint8_t>(fireCount));
        r.SetU16(WeaponKdRecord::kOptionUnit, static_cast<std::uint16_t>(optionUnit + 1));
        if (hitClass >= 0) {
            r.SetU8(WeaponKdRecord::kHitRate + hitClass, static_cast<std::uint8_t>(hitRate));
        }
    };
    w.weapons[kRifle - 1].SetU8(WeaponKdRecord::kFireCount, 3);
    weapon("対艦ミサイル", 20, 10, 4, 5, kMissileBody, 4, 50);
    weapon("巡航ミサイル", 23, 20, 2, 6, kCruiseBody, 9, 60);
    weapon("補給物資", 34, 0, 1, 0, -1, -1, 0);
    weapon("対潜ヘリ", 28, 8, 1, 2, kGunship, -1, 0);
    weapon("上陸用舟艇", 32, 3, 1, 1, kLandingCraft, -1, 0);
    weapon("物資投下", 35, 3, 1, 1, kSupplyCrate, -1, 0);
    weapon("対潜ミサイル", 21, 10, 2, 5, kMissileBody, 5, 40);

    static constexpr UnitSpec kUnits[] = {
        {"歩兵 小隊", kKindGround, 3, kMoveGround, 10, 2, 100, 0, 40},
        {"攻撃ヘリ", kKindHeli, 2, kMoveAir, 4, 5, 1000, 2, 30},
        {"哨戒艇", kKindShip, 4, kMoveNaval, 2, 20, 700, 4, 60},
        {"輸送艦", kKindShip, 4, kMoveNaval, 1, 100, 5000, 4, 100},
        {"補給車", kKindSupply, 3, kMoveGround, 5, 3, 50, 0, 40},
        {"司令部", kKindHq, 3, kMoveGround, 2, 10, 500, 0, 40},
        {"ミサイル", kKindMissile, 2, kMoveAir, 8, 1, 231, 2, 10},
        {"巡航ミサイル", kKindMissile, 2, kMoveAir, 8, 2, 800, 2, 10},
        {"戦闘機", kKindPlane, 1, kMoveAir, 2, 10, 2000, 2, 20},
        {"補給艦", kKindSupplyShip, 4, kMoveNaval, 1, 50, 3000, 4, 80},
        {"上陸用舟艇", kKindShip, 4, kMoveNaval, 4, 5, 100, 4, 10},
        {"物資", kKindSupply, 3, kMoveGround, 8, 1, 10, 0, 5},
        {"揚陸艦", kKindShip, 4, kMoveNaval, 1, 40, 4000, 4, 90},
        {"補給機", kKindSupply, 1, kMoveAir, 3, 4, 1500, 2, 50},
        {"輸送ヘリ", kKindHeli, 2, kMoveAir, 2, 5, 900, 2, 30},
        {"潜水艦", kKindShip, 5, kMoveNaval, 1, 60, 6000, 5, 90},
    };
    // Basic() made units 0-2; the rest are added, then every unit gets its values.
    while (w.unitInfos.size() < std::size(kUnits)) w.AddUnitInfo(kUnits[w.unitInfos.size()].name);
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        const UnitSpec& s = kUnits[i];
        UnitInfoRecord& u = w.unitInfos[i];
        u.SetU8(UnitInfoRecord::kUnitKind, static_cast<std::uint8_t>(s.kind));
        u.SetU8(UnitInfoRecord::kAltitudeClass, static_cast<std::uint8_t>(s.altitude));
        u.SetU16(UnitInfoRecord::kMoveCostKind, static_cast<std::uint16_t>(s.moveClass));
        u.SetU8(UnitInfoRecord::kMaxStrength, static_cast<std::uint8_t>(s.maxStrength));
        u.SetU8(UnitInfoRecord::kDurabilityPerUnit,
                static_cast<std::uint8_t>(s.durabilityPerMachine));
        u.SetS32(UnitInfoRecord::kPrice, s.price);
        u.SetU8(UnitInfoRecord::kDefenceType, static_cast<std::uint8_t>(s.defenceType));
        u.SetU8(UnitInfoRecord::kDefaultPack, 1);
        SetPack(u, 0, {}, s.fuel);
    }
    SetPack(w.unitInfos[kInfantry], 0, {20}, 40);
    SetPack(w.unitInfos[kGunship], 0, {8}, 30);
    w.unitInfos[kBoat].SetU16(UnitInfoRecord::kTransformUnit, kLandingCraft + 1);
    SetWeapons(w.unitInfos[kCarrier], {kCruiseMissile, kAswHeli, kShipMissile, kSubMissile});
    SetPack(w.unitInfos[kCarrier], 0, {4, 2, 8, 4}, 100);
    SetWeapons(w.unitInfos[kFighter], {kShipMissile});
    SetPack(w.unitInfos[kFighter], 0, {10}, 20);
    SetWeapons(w.unitInfos[kSupplyShip], {kCrates});
    SetPack(w.unitInfos[kSupplyShip], 0, {20}, 80);
    SetWeapons(w.unitInfos[kAssaultShip], {kLandingBoat, kSupplyDrop});
    SetPack(w.unitInfos[kAssaultShip], 0, {3, 3}, 90);

    // Carrying: the carrier takes ground units (class 0x08) and helicopters (0x04) up to 60;
    // the air transport ground units up to 20.
    for (int unit : {kInfantry, kSupplyTruck, kHeadquarters}) {
        w.unitInfos[unit].SetU8(UnitInfoRecord::kLoadableFlags, 0x08);
        w.unitInfos[unit].SetU16(UnitInfoRecord::kWeight, unit == kHeadquarters ? 20 : 10);
    }
    w.unitInfos[kGunship].SetU8(UnitInfoRecord::kLoadableFlags, 0x04);
    w.unitInfos[kGunship].SetU16(UnitInfoRecord::kWeight, 30);
    w.unitInfos[kCarrier].SetU8(UnitInfoRecord::kLoadFlags, 0x0C);
    w.unitInfos[kCarrier].SetU16(UnitInfoRecord::kCarryWeightTotal, 60);
    w.unitInfos[kAirTransport].SetU8(UnitInfoRecord::kLoadFlags, 0x08);
    w.unitInfos[kAirTransport].SetU16(UnitInfoRecord::kCarryWeightTotal, 20);
    return w;
}

// The live tables hold a map of land (land kind 0) with a sea (land kind 5) east of x = 20.
// Countries 0 and 1 take part; country 0 is the local player.
class OrdersWorld : public ::testing::Test {
  protected:
    OrdersWorld() {
        OrderRules().InstallInto(tables);
        map.TerrainRect(21, 0, 63, 63, 5);
        map.Country(0, 10000).Country(1, 10000);
        for (std::uint8_t c : {0, 1}) {
            CountryCursor countries(tables);
            countries.Select(c);
            countries.SetState(1);
        }
        env.events = &events;
        env.playerCountry = 0;
        env.recomputeAllSupplyNetworks = &RecomputeAllSupplyNetworks;
    }

    // Enters sites and troops into the hexes and copies the live tables to the shadow.
    void Ready() {
        GameContext(tables, env).RebuildHexOccupancy();
        SnapshotGameBlocks(tables);
        events.events.clear();
    }

    std::unique_ptr<GameContext> Live() { return std::make_unique<GameContext>(tables, env); }
    std::unique_ptr<GameContext> Shadow() {
        return std::make_unique<ShadowGameContext>(tables, env);
    }

    // The record of a live troop; the cursor of a fresh context.
    TroopRecord& TroopAtIndex(std::uint16_t t, TableId table = TableId::Troop) {
        return *TroopAt(tables.GetTableBase(table), t);
    }
    std::uint16_t HexTroop(int x, int y, TableId table = TableId::HexInfo) {
        return ReadU16(tables.GetTableBase(table) + (x + 64 * y) * 36, 2);
    }
    std::int32_t Funds(std::uint8_t c, TableId table = TableId::Country) {
        return ReadS32(tables.GetTableBase(table) + c * 86, CountryRecord::kFunds);
    }
    void SetFunds(std::uint8_t c, std::int32_t funds) {
        WriteS32(tables.GetTableBase(TableId::Country) + c * 86, CountryRecord::kFunds, funds);
    }

    TableDirectory tables;
    testing::MapBuilder map{tables, 0};
    testing::GameEventsRecorder events;
    GameContextEnv env;
};

}  // namespace zv::rules::orderstest
