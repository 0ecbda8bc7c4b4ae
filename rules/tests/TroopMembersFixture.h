#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "rules/context/TableDirectory.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/troops/TroopMembers.h"

// Rule tables with units whose every value the troop tests compute by hand.
namespace zv::rules::membertest {

// Unit kinds (table 4). 0 and 1 come from the basic set.
enum : int {
    kKindGround = 0,   // kind type 3
    kKindHeli = 1,     // kind type 0, performance 0x02
    kKindSpecial = 2,  // kind type 1, performance 0x01, class 6
    kKindHq = 101,
    kKindSupply = 118,
    kKindCount = 120,
};

// Movement classes (table 1). 0 ground and 1 naval come from the basic set.
enum : int { kMoveGround = 0, kMoveNaval = 1, kMoveSlow = 2, kMoveAir = 3 };

// Weapons by 1-based id (table 5). 1 and 2 come from the basic set.
enum : int {
    kRifle = 1,       // type 2
    kCrates = 3,      // type 34: supplies
    kShell = 4,       // type 12
    kRocket = 5,      // type 20, class bit 0x0001, option unit kRocketBody
    kBomb = 6,        // type 6
    kGuided = 7,      // type 23
    kSpecial35 = 8,   // type 35
    kCannon = 9,      // type 2
    kDecoy = 10,      // type 21, class bit 0x0002, option unit kNoKindUnit
    kBigGun = 11,     // type 2, huge score
    kMediumGun = 12,  // type 2
};

// Units (table 7). 0-2 come from the basic set.
enum : int {
    kInfantry = 0,  // altitude 3
    kGunship = 1,   // altitude 2
    kBoat = 2,      // altitude 4
    kTank = 3,
    kTruck = 4,
    kArtillery = 5,
    kLauncher = 6,
    kLauncherFlying = 7,
    kHq = 8,
    kRocketBody = 9,
    kBadMoveClass = 10,
    kMortar = 11,
    kNoKindUnit = 12,
    kBattleship = 13,
    kBomber = 14,
    kAmmoCarrier = 15,
};

using testing::SetPack;
using testing::SetWeapons;

inline testing::RuleTableWriter MemberRules() {
    testing::RuleTableWriter w = testing::RuleTableWriter::Basic();

    w.unitKinds[kKindGround].SetU8(UnitKindRecord::kDummy29, 3);
    w.unitKinds[kKindHeli].SetU8(UnitKindRecord::kDummy29, 5);
    while (static_cast<int>(w.unitKinds.size()) < kKindCount) {
        UnitKindRecord& k = w.AddUnitKind("予備");
        k.SetU8(UnitKindRecord::kKindType, 0xFF);
    }
    UnitKindRecord& special = w.unitKinds[kKindSpecial];
    special.SetU8(UnitKindRecord::kKindType, 1);
    special.SetU8(UnitKindRecord::kPerformanceFlags, 0x01);
    special.SetU8(UnitKindRecord::kClassFlags, 6);
    special.SetU8(UnitKindRecord::kDummy29, 7);
    UnitKindRecord& hq = w.unitKinds[kKindHq];
    hq.SetU8(UnitKindRecord::kKindType, 3);
    hq.SetU8(UnitKindRecord::kDummy29, 9);
    UnitKindRecord& supply = w.unitKinds[kKindSupply];
    supply.SetU8(UnitKindRecord::kKindType, 3);
    supply.SetU8(UnitKindRecord::kSupplyFlags, 0x04);
    supply.SetU8(UnitKindRecord::kDummy29, 11);

    // Slow: 6 on land, forest (7) closed. Air: 1 everywhere, mountains (9) 0, high mountains
    // (10) 255.
    w.AddMvcostKind();
    w.AddMvcostKind();
    MvcostKdRecord& slow = w.mvcostKinds[kMoveSlow];
    MvcostKdRecord& air = w.mvcostKinds[kMoveAir];
    for (int t = 0; t < kTerrainCount; ++t) {
        const bool water = t == 3 || t == 4 || t == 5;
        slow.SetU8(MvcostKdRecord::kCost + t, water ? 255 : (t == 7 ? 0 : 6));
        air.SetU8(MvcostKdRecord::kCost + t, t == 9 ? 0 : (t == 10 ? 255 : 1));
    }

    auto weapon = [&](const char* name, int type, int hit3, int hit9, int power, int salvo,
                      int range, int fireCount, int optionUnit) {
        WeaponKdRecord& r = w.AddWeapon(name);
        r.SetU8(WeaponKdRecord::kWeaponType, static_cast<std::uint8_t>(type));
        r.SetU8(WeaponKdRecord::kHitRate + 3, static_cast<std::uint8_t>(hit3));
        r.SetU8(WeaponKdRecord::kHitRate + 9, static_cast<std::uint8_t>(hit9));
        r.SetU8(WeaponKdRecord::kPower, static_cast<std::uint8_t>(power));
        r.SetU8(WeaponKdRecord::kSalvo, static_cast<std::uint8_t>(salvo));
        r.SetU8(WeaponKdRecord::kRange, static_cast<std::uint8_t>(range));
        r.SetU8(WeaponKdRecord::kFireCount, static_cast<std::uint8_t>(fireCount));
        r.SetU16(WeaponKdRecord::kOptionUnit, static_cast<std::uint16_t>(optionUnit + 1));
        return &r;
    };
    WeaponKdRecord& rifle = w.weapons[0];
    rifle.SetU8(WeaponKdRecord::kHitRate + 3, 30);
    rifle.SetU8(WeaponKdRecord::kPower, 4);
    rifle.SetU8(WeaponKdRecord::kSalvo, 1);
    weapon("補給物資", 34, 0, 0, 0, 0, 0, 0, -1);
    weapon("榴弾", 12, 50, 0, 10, 2, 3, 1, -1);
    weapon("ロケット", 20, 40, 0, 20, 1, 6, 3, kRocketBody);
    weapon("爆弾", 6, 10, 30, 50, 1, 0, 1, -1);
    weapon("誘導弾", 23, 10, 20, 30, 1, 5, 1, -1);
    weapon("特殊", 35, 0, 0, 1, 1, 1, 1, -1);
    weapon("戦車砲", 2, 60, 0, 5, 3, 2, 2, -1);
    weapon("囮", 21, 0, 0, 1, 1, 2, 0, kNoKindUnit);
    weapon("巨砲", 2, 200, 0, 200, 2, 8, 1, -1);
    weapon("中砲", 2, 100, 0, 100, 2, 4, 1, -1);

    auto unit = [&](const char* name, int kind, int altitude, int maxStrength, int durability,
                    int moveClass) -> UnitInfoRecord& {
        UnitInfoRecord& u = w.AddUnitInfo(name);
        u.SetU8(UnitInfoRecord::kUnitKind, static_cast<std::uint8_t>(kind));
        u.SetU8(UnitInfoRecord::kAltitudeClass, static_cast<std::uint8_t>(altitude));
        u.SetU8(UnitInfoRecord::kMaxStrength, static_cast<std::uint8_t>(maxStrength));
        u.SetU8(UnitInfoRecord::kDurabilityPerUnit, static_cast<std::uint8_t>(durability));
        u.SetU16(UnitInfoRecord::kMoveCostKind, static_cast<std::uint16_t>(moveClass));
        u.SetU8(UnitInfoRecord::kDefaultPack, 1);
        return u;
    };
    UnitInfoRecord& tank = unit("戦車", kKindGround, 3, 4, 20, kMoveGround);
    SetWeapons(tank, {kCannon, kRifle});
    SetPack(tank, 0, {20, 50}, 300);
    SetPack(tank, 1, {10, 100}, 200, 1);
    tank.SetS32(UnitInfoRecord::kPrice, 500);
    tank.SetU16(UnitInfoRecord::kWeight, 10);
    tank.SetU8(UnitInfoRecord::kLoadableFlags, 0x02);
    tank.SetU8(UnitInfoRecord::kSpecialAbility, 0x04);
    tank.SetU8(UnitInfoRecord::kDefenceType, 3);
    for (int c = 0; c < kTargetClassCount; ++c)
        tank.SetU8(UnitInfoRecord::kDefenceRate + c, static_cast<std::uint8_t>(40 + c));
    tank.SetU8(UnitInfoRecord::kDaySight, 4);
    tank.SetU8(UnitInfoRecord::kNightSight, 2);
    tank.SetU8(UnitInfoRecord::kRadarRange + 2, 3);

    UnitInfoRecord& truck = unit("補給車", kKindSupply, 3, 5, 10, kMoveGround);
    SetWeapons(truck, {kCrates});
    SetPack(truck, 0, {30}, 400);
    truck.SetU16(UnitInfoRecord::kCarryWeightTotal, 12);
    truck.SetU8(UnitInfoRecord::kLoadFlags, 0x01);
    truck.SetS32(UnitInfoRecord::kPrice, 200);
    truck.SetU16(UnitInfoRecord::kWeight, 8);
    for (int c = 0; c < kTargetClassCount; ++c)
        truck.SetU8(UnitInfoRecord::kDefenceRate + c, static_cast<std::uint8_t>(10 + c));
    truck.SetU8(UnitInfoRecord::kDefenceType, 4);
    truck.SetU8(UnitInfoRecord::kDaySight, 3);
    truck.SetU8(UnitInfoRecord::kNightSight, 1);

    UnitInfoRecord& artillery = unit("自走砲", kKindGround, 3, 3, 15, kMoveSlow);
    SetWeapons(artillery, {kShell, kCannon});
    SetPack(artillery, 0, {40, 10}, 100);
    artillery.SetS32(UnitInfoRecord::kPrice, 300);

    UnitInfoRecord& launcher = unit("発射機", kKindSpecial, 3, 2, 30, kMoveGround);
    SetWeapons(launcher, {kRocket, kDecoy});
    SetPack(launcher, 0, {4, 2}, 100);
    SetPack(launcher, 1, {0, 0}, 50);
    launcher.SetU16(UnitInfoRecord::kTransformUnit, kLauncherFlying + 1);
    launcher.SetU8(UnitInfoRecord::kTransformTime, 5);
    launcher.SetU8(UnitInfoRecord::kSpecialAbility, 0x01);
    launcher.SetU8(UnitInfoRecord::kLoadableFlags, 0x02);
    launcher.SetU16(UnitInfoRecord::kCarryWeightTotal, 4);

    UnitInfoRecord& flying = unit("発射機改", kKindHeli, 2, 2, 30, kMoveAir);
    SetWeapons(flying, {kRifle});
    SetPack(flying, 0, {10}, 80);
    flying.SetU16(UnitInfoRecord::kCarryWeightTotal, 6);

    unit("司令部", kKindHq, 3, 1, 50, kMoveGround);
    unit("ロケット本体", kKindHeli, 1, 1, 1, kMoveAir);
    unit("故障", kKindGround, 3, 1, 1, 99);
    UnitInfoRecord& mortar = unit("迫撃砲", kKindGround, 3, 3, 10, kMoveGround);
    SetWeapons(mortar, {kShell});
    SetPack(mortar, 0, {40}, 100);
    UnitInfoRecord& noKind = unit("不明", 255, 3, 1, 1, kMoveAir);
    (void)noKind;
    UnitInfoRecord& battleship = unit("戦艦", kKindGround, 4, 1, 100, kMoveNaval);
    SetWeapons(battleship, {kBigGun, kMediumGun});
    SetPack(battleship, 0, {5, 5}, 900);
    UnitInfoRecord& bomber = unit("爆撃機", kKindHeli, 1, 2, 20, kMoveAir);
    SetWeapons(bomber, {kBomb, kGuided});
    SetPack(bomber, 0, {2, 2}, 500);
    UnitInfoRecord& carrier = unit("弾薬車", kKindGround, 3, 2, 10, kMoveGround);
    SetWeapons(carrier, {kCrates, kCrates});
    SetPack(carrier, 0, {3, 3}, 200);

    // Cities (terrain class 17) rearm ground units (kind type 3).
    w.landKinds[17].SetU16(LandKindRecord::kSupplyFlag, 1u << 3);
    return w;
}

// Installs MemberRules as a fixture member, ahead of members built on the tables.
struct InstallMemberRules {
    explicit InstallMemberRules(TableDirectory& tables) { MemberRules().InstallInto(tables); }
};

// A directory with MemberRules installed and every troop reset.
class MemberTablesTest : public ::testing::Test {
  protected:
    MemberTablesTest() {
        MemberRules().InstallInto(tables);
        TroopCursor(tables).ResetAllTroops();
        TroopCursor(tables, TableId::ShadowTroop).ResetAllTroops();
    }

    // Makes troop t a troop of the country with the given units in formation slots 0...
    void MakeTroop(std::uint16_t t, std::initializer_list<int> units, std::uint8_t country = 0,
                   std::uint16_t hex = 0xFFFF) {
        std::int16_t ids[kTroopMemberCount] = {-1, -1, -1, -1, -1, -1};
        int j = 0;
        for (int u : units) ids[j++] = static_cast<std::int16_t>(u);
        ASSERT_EQ(troop.Select(t), 1);
        troop.ResetCurrentTroop();
        CreateTroopFromUnits(troop, ids, country, 0, hex, "部隊");
    }

    TableDirectory tables;
    TroopCursor troop{tables};
};

}  // namespace zv::rules::membertest
