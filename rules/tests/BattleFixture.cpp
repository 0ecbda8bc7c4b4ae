#include "rules/tests/BattleFixture.h"

#include <cstring>

#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules::battletest {

namespace {

using testing::RuleTableWriter;

WeaponKdRecord& AddWeapon(RuleTableWriter& w, const char* name, int type, int range, int power,
                          int salvo, int hit, int counter) {
    WeaponKdRecord& r = w.AddWeapon(name);
    r.SetU8(WeaponKdRecord::kWeaponType, static_cast<std::uint8_t>(type));
    r.SetU8(WeaponKdRecord::kRange, static_cast<std::uint8_t>(range));
    r.SetU8(WeaponKdRecord::kPower, static_cast<std::uint8_t>(power));
    r.SetU8(WeaponKdRecord::kSalvo, static_cast<std::uint8_t>(salvo));
    r.SetU8(WeaponKdRecord::kFireCount, static_cast<std::uint8_t>(counter));
    for (int k = 0; k < kTargetClassCount; ++k) {
        r.SetU8(WeaponKdRecord::kHitRate + k, static_cast<std::uint8_t>(hit));
    }
    return r;
}

struct UnitSpec {
    const char* name;
    int kind;
    int altitude;
    int targetClass;
    int defence;
    int maxStrength;
    int durability;
    std::initializer_list<int> weapons;
    std::initializer_list<int> ammo;
    int price;
};

UnitInfoRecord& AddUnit(RuleTableWriter& w, const UnitSpec& s) {
    UnitInfoRecord& u = w.AddUnitInfo(s.name);
    u.SetU8(UnitInfoRecord::kUnitKind, static_cast<std::uint8_t>(s.kind));
    u.SetU8(UnitInfoRecord::kAltitudeClass, static_cast<std::uint8_t>(s.altitude));
    u.SetU8(UnitInfoRecord::kDefenceType, static_cast<std::uint8_t>(s.targetClass));
    for (int k = 0; k < kTargetClassCount; ++k) {
        u.SetU8(UnitInfoRecord::kDefenceRate + k, static_cast<std::uint8_t>(s.defence));
    }
    u.SetU8(UnitInfoRecord::kMaxStrength, static_cast<std::uint8_t>(s.maxStrength));
    u.SetU8(UnitInfoRecord::kDurabilityPerUnit, static_cast<std::uint8_t>(s.durability));
    u.SetU8(UnitInfoRecord::kDefaultPack, 1);
    int slot = 0;
    for (int id : s.weapons) {
        u.SetU16(UnitInfoRecord::kWeaponId + 2 * slot++, static_cast<std::uint16_t>(id));
    }
    slot = 0;
    for (int a : s.ammo) {
        u.SetU8(UnitInfoRecord::PackOffset(0) + UnitInfoRecord::kPackAmmo + slot++,
                static_cast<std::uint8_t>(a));
    }
    u.SetU16(UnitInfoRecord::PackOffset(0) + UnitInfoRecord::kPackFuel, 100);
    u.SetS32(UnitInfoRecord::kPrice, s.price);
    u.SetU16(UnitInfoRecord::kMoveCostKind, 0);
    u.SetU8(UnitInfoRecord::kDefenceKind, 0);
    return u;
}

}  // namespace

RuleTableWriter FightRules() {
    RuleTableWriter w = RuleTableWriter::Basic();
    w.weapons.clear();
    w.unitInfos.clear();
    // Unit kinds 0-124 all exist; kind 20 is of class 6.
    while (w.unitKinds.size() < 125) w.AddUnitKind("種別");
    w.unitKinds[kClass6UnitKindIndex].SetU8(UnitKindRecord::kClassFlags, 6);

    // Guns cannot hit class 9, bombs cannot hit class 4.
    AddWeapon(w, "機関砲", 2, 1, 10, 2, 80, 3).SetU8(WeaponKdRecord::kHitRate + 9, 0);
    AddWeapon(w, "戦車砲", 4, 3, 20, 1, 60, 5);
    AddWeapon(w, "対戦車ミサイル", 20, 5, 30, 1, 90, 2);
    WeaponKdRecord& bomb = AddWeapon(w, "爆弾", 6, 1, 40, 2, 70, 4);
    bomb.SetU8(WeaponKdRecord::kHitRate + 9, 50);
    bomb.SetU8(WeaponKdRecord::kHitRate + 4, 0);
    AddWeapon(w, "榴弾砲", 3, 2, 8, 3, 50, 1);
    AddWeapon(w, "空砲", 2, 1, 0, 2, 80, 1);
    AddWeapon(w, "狙撃銃", 2, 1, 1, 1, 90, 1);
    AddWeapon(w, "ロケット", 22, 4, 20, 1, 60, 1);

    AddUnit(w, {"歩兵", 0, 3, 5, 20, 4, 10, {kGun}, {20}, 100});
    AddUnit(w, {"戦車", 0, 3, 6, 40, 2, 30, {kCannon, kGun}, {10, 30}, 300});
    UnitInfoRecord& ecm = AddUnit(w, {"電子戦車", 7, 3, 6, 10, 1, 20, {}, {}, 150});
    ecm.SetU8(UnitInfoRecord::PackOffset(0) + UnitInfoRecord::kPackEcm, 50);
    AddUnit(w, {"爆撃機", 1, 1, 8, 10, 2, 20, {kBomb}, {4}, 800});
    AddUnit(w, {"発射機", 0, 3, 6, 10, 1, 20, {kMissile, kRocket}, {4, 2}, 400});
    AddUnit(w, {"司令部", 101, 3, 4, 30, 1, 40, {kGun}, {10}, 500});
    AddUnit(w, {"工兵", kClass6UnitKindIndex, 3, 5, 20, 4, 10, {kGun}, {10}, 50});
    AddUnit(w, {"群", 0, 3, 5, 10, 12, 5, {kGun}, {40}, 120});
    UnitInfoRecord& carrier = AddUnit(w, {"輸送車", 0, 3, 6, 10, 1, 30, {}, {}, 600});
    carrier.SetU16(UnitInfoRecord::kCarryWeightTotal, 100);
    carrier.SetU8(UnitInfoRecord::kLoadFlags, 0x08);
    AddUnit(w, {"特殊", 123, 3, 5, 20, 2, 10, {kGun}, {20}, 100});
    AddUnit(w, {"狙撃班", 0, 3, 5, 0, 2, 10, {kSniper}, {20}, 100});
    AddUnit(w, {"砲兵", 0, 3, 6, 10, 2, 10, {kAreaGun}, {20}, 200});
    AddUnit(w, {"施設", 0, 3, 9, 10, 3, 10, {}, {}, 10});
    // Every unit can ride the carrier.
    for (UnitInfoRecord& u : w.unitInfos) {
        u.SetU8(UnitInfoRecord::kLoadableFlags, 0x08);
        u.SetU16(UnitInfoRecord::kWeight, 10);
    }
    return w;
}

void FightEvents::FightAnimationFrame(int kind, int frame, std::uint16_t troop1,
                                      std::uint16_t troop2, std::uint16_t hex) {
    frames.push_back({kind, frame, troop1, troop2, hex});
}

void FightEvents::PlayFight(const std::uint8_t* battleRecord) {
    events.push_back("PlayFight");
    BattleRecord r;
    std::memcpy(r.data(), battleRecord, kBattleRecordSize);
    fights.push_back(r);
}

bool FightEvents::PlacementMessage(const char* utf8Text, bool yesNo) {
    messages.push_back(std::string(utf8Text) + (yesNo ? " [yes/no]" : " [ok]"));
    return yesNo && answerYes;
}

std::uint16_t FightEvents::ChooseTroopFromCarrier(std::uint16_t carrier) {
    events.push_back("ChooseTroopFromCarrier(" + std::to_string(carrier) + ")");
    return carrierChoice;
}

void FightEvents::NewsPosted(const std::uint8_t* record) {
    events.push_back("NewsPosted(" + std::to_string(record[0]) + ")");
    news.emplace_back(record, record + 1008);
}

BattleTest::BattleTest() {
    FightRules().InstallInto(tables);
    testing::MapBuilder map(tables, 0);
    for (std::uint8_t c = 0; c < 3; ++c) map.Country(c, 10000);
    CountryCursor countries(tables);
    for (int c = 0; c < 3; ++c) {
        countries.Select(c);
        countries.SetState(1);
    }
    GameContext(tables).RebuildHexOccupancy();
    SeedGameRandom(random, 1234);
}

std::uint16_t BattleTest::AddTroop(std::uint8_t country, int x, int y,
                                   std::initializer_list<int> units) {
    TroopCursor cursor(tables);
    const std::uint16_t first = TroopCursor::GetFirstTroopOfCountry(country);
    std::uint16_t t = kNoTroop;
    for (std::uint16_t i = first; i < first + kTroopsPerCountry; ++i) {
        if (cursor.Select(i) && !cursor.GetRecord()->IsUsed()) {
            t = i;
            break;
        }
    }
    if (t == kNoTroop) return t;
    cursor.Select(t);
    cursor.ResetCurrentTroop();
    cursor.SetSlotByte(0);
    cursor.SetCountry(country);
    cursor.SetHex(MakeHexPosition(x, y));
    cursor.SetStateFlags(kTroopOnMap);
    int slot = 0;
    for (int unit : units) SetMemberUnit(cursor, slot++, static_cast<std::int16_t>(unit));
    for (int m = 0; m < kTroopMemberCount; ++m) {
        TroopMember& member = cursor.GetRecord()->Member(m);
        for (int row = 0; row < 2; ++row) {
            member.SetAttack(row, 0);
            member.SetDefence(row, 0);
        }
    }
    cursor.RefreshAltitudeClass();
    GameContext ctx(tables);
    if (ctx.SelectHexInfoXY(x, y)) ctx.SetHexTroopIndex(t);
    return t;
}

void BattleTest::Sees(std::uint8_t observer, std::uint16_t troop, bool identified) {
    TroopRecord& r = Troop(troop);
    std::uint16_t mask = r.Visibility() | static_cast<std::uint16_t>(1u << observer);
    if (identified) mask |= static_cast<std::uint16_t>(1u << (observer + 4));
    r.SetVisibility(mask);
}

void FillHandSide(BattleSide& side, std::initializer_list<HandMember> members) {
    side.bytes.fill(0);
    side.SetTroop(kNoBattleTroop);
    for (int i = 0; i < kBattleMemberCount; ++i) {
        BattleMember& b = side.Member(i);
        b.SetUnit(-1);
        b.SetU16(BattleMember::kTargetUnit, 0xFFFF);
        b.SetU8(BattleMember::kTarget, kNoBattleTarget);
        b.SetU8(BattleMember::kWeaponSlot, kNoBattleWeapon);
        b.SetU8(BattleMember::kAttackerIndex, 0xFF);
    }
    int i = 0;
    for (const HandMember& m : members) {
        BattleMember& b = side.Member(i++);
        b.SetUnit(m.unit);
        b.SetU8(BattleMember::kStrength, m.strength);
        b.SetU8(BattleMember::kSurvivors, m.strength);
        b.SetU8(BattleMember::kDurability, m.durability);
        b.SetU8(BattleMember::kRemainingDurability, m.durability);
        for (int k = 0; k < m.strength && k < kBattleMachineCount; ++k) {
            const int share = m.durability / m.strength + (k < m.durability % m.strength ? 1 : 0);
            b.SetU8(BattleMember::kStartMachines + k, static_cast<std::uint8_t>(share));
            b.SetMachine(k, static_cast<std::uint8_t>(share));
        }
    }
}

}  // namespace zv::rules::battletest
