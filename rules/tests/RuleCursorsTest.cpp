#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "platform/core/Sjis.h"
#include "rules/records/RuleCursors.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::rules {
namespace {

using testing::RuleTableWriter;

struct SelectResult {
    int result;
    int index;  // the cursor's index afterwards
};

// Each cursor starts on record 1 (record 0 for weapons: id 1) so that a failed Select can be
// seen to leave it there.
template <typename Cursor, typename IndexOf>
std::function<SelectResult(const TableDirectory&, int)> Selecting(int start, IndexOf indexOf) {
    return [start, indexOf](const TableDirectory& tables, int n) {
        Cursor cursor(tables);
        EXPECT_EQ(cursor.Select(start), 1);
        const int result = cursor.Select(n);
        return SelectResult{result, indexOf(cursor)};
    };
}

TEST(RuleCursors, SelectKeepsEveryCursorWithinItsTable) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    writer.defenceKinds.resize(3);  // 8-bit selects wrap onto these
    writer.actionKinds.resize(2);
    TableDirectory tables;
    writer.InstallInto(tables);

    const auto land = Selecting<LandKindCursor>(1, [](auto& c) { return c.GetLandKindIndex(); });
    const auto mvcost = Selecting<MvcostKdCursor>(1, [](auto& c) { return c.GetMvcostKdIndex(); });
    const auto defence = Selecting<DefencDkCursor>(1, [](auto& c) { return c.GetDefencDkIndex(); });
    const auto action = Selecting<ActionKdCursor>(1, [](auto& c) { return c.GetActionKdIndex(); });
    const auto kind = Selecting<UnitKindCursor>(1, [](auto& c) { return c.GetUnitKindIndex(); });
    const auto weapon = Selecting<WeaponKdCursor>(1, [](auto& c) { return c.GetWeaponIndex(); });
    const auto site = Selecting<SiteKindCursor>(1, [](auto& c) { return c.GetSiteKindIndex(); });
    const auto unit = Selecting<UnitInfoCursor>(1, [](auto& c) { return c.GetUnitInfoIndex(); });

    struct Case {
        const char* name;
        std::function<SelectResult(const TableDirectory&, int)> select;
        int n;
        SelectResult expected;
    };
    const Case cases[] = {
        {"land first", land, 0, {1, 0}},
        {"land last", land, 28, {1, 28}},
        {"land at count", land, 29, {0, 1}},
        {"land negative", land, -1, {0, 1}},
        {"land same again", land, 1, {1, 1}},
        {"mvcost last", mvcost, 1, {1, 1}},
        {"mvcost at count", mvcost, 2, {0, 1}},
        {"mvcost 256 is not cut", mvcost, 256, {0, 1}},
        {"defence last", defence, 2, {1, 2}},
        {"defence at count", defence, 3, {0, 1}},
        {"defence 256 cuts to 0", defence, 256, {1, 0}},
        {"defence 258 cuts to 2", defence, 258, {1, 2}},
        {"defence negative", defence, -256, {0, 1}},
        {"action 257 cuts to 1", action, 257, {1, 1}},
        {"action 0x102 cuts to 2, beyond count", action, 0x102, {0, 1}},
        {"unit kind at count", kind, 2, {0, 1}},
        {"unit kind 65536", kind, 65536, {0, 1}},
        {"weapon id 0", weapon, 0, {0, 0}},
        {"weapon id 1 is record 0", weapon, 1, {1, 0}},
        {"weapon id count is the last record", weapon, 2, {1, 1}},
        {"weapon id count + 1", weapon, 3, {0, 0}},
        {"weapon negative id", weapon, -1, {0, 0}},
        {"site kind last", site, 5, {1, 5}},
        {"site kind at count", site, 6, {0, 1}},
        {"site kind 261 cuts to 5", site, 261, {1, 5}},
        {"unit last", unit, 2, {1, 2}},
        {"unit at count", unit, 3, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SelectResult got = c.select(tables, c.n);
        EXPECT_EQ(got.result, c.expected.result);
        EXPECT_EQ(got.index, c.expected.index);
    }
}

TEST(RuleCursors, CursorsOnEmptyTablesFailEverySelectAndReadZeros) {
    TableDirectory tables;  // nothing loaded
    UnitInfoCursor unit(tables);
    EXPECT_EQ(unit.Select(0), 0);
    EXPECT_EQ(unit.GetPrice(), 0);
    EXPECT_STREQ(unit.GetName(), "");
    EXPECT_EQ(unit.GetMoveCost(0, 0), 255);  // no movement class to select
    WeaponKdCursor weapon(tables);
    EXPECT_EQ(weapon.Select(1), 0);
    LandKindCursor land(tables);
    EXPECT_EQ(land.Select(0), 0);
    EXPECT_EQ(land.GetSupplyFlag(), 0);
}

// A unit record whose every byte differs, so that an accessor reading the wrong offset shows.
UnitInfoRecord PatternedUnit() {
    UnitInfoRecord r;
    for (std::size_t i = 0; i < r.bytes.size(); ++i) r.bytes[i] = static_cast<std::uint8_t>(i + 1);
    return r;
}

TEST(RuleCursors, UnitInfoAccessorsReadTheirDocumentedOffsets) {
    RuleTableWriter writer;
    writer.unitInfos.push_back(PatternedUnit());
    TableDirectory tables;
    writer.InstallInto(tables);
    UnitInfoCursor c(tables);
    ASSERT_EQ(c.Select(0), 1);

    auto u8 = [](std::size_t o) { return static_cast<std::int64_t>(o + 1); };
    auto u16 = [](std::size_t o) { return static_cast<std::int64_t>((o + 1) | ((o + 2) << 8)); };
    auto s32 = [](std::size_t o) {
        return static_cast<std::int64_t>(static_cast<std::int32_t>(
            (o + 1) | ((o + 2) << 8) | ((o + 3) << 16) | ((o + 4) << 24)));
    };
    struct Case {
        const char* name;
        std::int64_t got;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"unit kind", c.GetUnitKind(), u8(24)},
        {"altitude class", c.GetAltitudeClass(), u8(25)},
        {"defence rate 0", c.GetDefenceRate(0), u8(26)},
        {"defence rate 9", c.GetDefenceRate(9), u8(35)},
        {"defence rate 10", c.GetDefenceRate(10), 0},
        {"loadable flags", c.GetLoadableFlags(), u8(36)},
        {"defence type", c.GetDefenceType(), u8(37)},
        {"max strength", c.GetMaxStrength(), u8(38)},
        {"durability", c.GetDurabilityPerUnit(), u8(39)},
        {"day sight", c.GetDaySight(), u8(40)},
        {"night sight", c.GetNightSight(), u8(41)},
        {"radar 0", c.GetRadarRange(0), u8(42)},
        {"radar 4", c.GetRadarRange(4), u8(46)},
        {"default pack (1-based)", c.GetDefaultPack(), u8(48) - 1},
        {"supplyable kinds", c.GetSupplyableKinds(), u8(49)},
        {"weapon 0", c.GetWeaponId(0), u16(50)},
        {"weapon 5", c.GetWeaponId(5), u16(60)},
        {"weapon 6", c.GetWeaponId(6), 0},
        {"pack 0 ammo 0", c.GetPackAmmo(0, 0), u8(62)},
        {"pack 3 ammo 5", c.GetPackAmmo(3, 5), u8(62 + 36 + 5)},
        {"pack 4 ammo", c.GetPackAmmo(4, 0), 0},
        {"pack 1 ammo slot 6", c.GetPackAmmo(1, 6), 0},
        {"pack 2 speed", c.GetPackSpeedChange(2), u8(62 + 24 + 6)},
        {"pack 1 tanks", c.GetPackFuelTanks(1), u8(62 + 12 + 7)},
        {"pack 3 ecm", c.GetPackEcm(3), u8(62 + 36 + 8)},
        {"pack 0 switch", c.GetPackWeaponSwitch(0), u8(62 + 9)},
        {"pack 3 fuel", c.GetPackFuel(3), u16(62 + 36 + 10)},
        {"pack 4 fuel", c.GetPackFuel(4), 0},
        {"production sides", c.GetProductionSides(), s32(110)},
        {"price", c.GetPrice(), s32(114)},
        {"carry weight", c.GetCarryWeightTotal(), u16(118)},
        {"weight", c.GetWeight(), u16(120)},
        {"fuel price", c.GetFuelPrice(), u16(122)},
        {"transform unit (1-based)", c.GetTransformUnit(), u16(124) - 1},
        {"move cost kind", c.GetMoveCostKind(), u16(126)},
        {"action kind", c.GetActionKind(), u16(128)},
        {"silhouette", c.GetSilhouette(), u16(130)},
        {"command flags", c.GetCommandFlags(), u16(132)},
        {"transform time", c.GetTransformTime(), u8(134)},
        {"special ability", c.GetSpecialAbility(), u8(135)},
        {"defence kind", c.GetDefenceKind(), u8(136)},
        {"dummy 2", c.GetDummy2(), u8(137)},
    };
    for (const Case& k : cases) EXPECT_EQ(k.got, k.expected) << k.name;
}

TEST(RuleCursors, OtherRuleCursorsReadTheirDocumentedOffsets) {
    RuleTableWriter writer;
    auto pattern = [](auto& record) {
        for (std::size_t i = 0; i < record.bytes.size(); ++i)
            record.bytes[i] = static_cast<std::uint8_t>(0x40 + i);
    };
    pattern(writer.landKinds.emplace_back());
    pattern(writer.mvcostKinds.emplace_back());
    pattern(writer.defenceKinds.emplace_back());
    pattern(writer.actionKinds.emplace_back());
    pattern(writer.unitKinds.emplace_back());
    pattern(writer.weapons.emplace_back());
    pattern(writer.siteKinds.emplace_back());
    TableDirectory tables;
    writer.InstallInto(tables);
    auto b = [](std::size_t o) { return static_cast<int>(0x40 + o); };
    auto w = [](std::size_t o) { return static_cast<int>((0x40 + o) | ((0x41 + o) << 8)); };

    LandKindCursor land(tables);
    EXPECT_EQ(std::strlen(land.GetName()), 16u);  // the field is full: no byte beyond it
    EXPECT_EQ(land.GetLaunchFlag(), b(16));
    EXPECT_EQ(land.GetLoadFlag(), b(17));
    EXPECT_EQ(land.GetSupplyFlag(), w(18));
    EXPECT_EQ(land.GetGraphicNumber(), b(20));
    EXPECT_EQ(land.GetDummy(2), b(23));

    MvcostKdCursor mv(tables);
    EXPECT_EQ(mv.GetCost(0), b(0));
    EXPECT_EQ(mv.GetCost(28), b(28));
    EXPECT_EQ(mv.GetCost(29), 0);
    EXPECT_EQ(mv.GetDummy1(), b(29));
    EXPECT_EQ(mv.GetConcealment(0, 0), b(30));
    EXPECT_EQ(mv.GetConcealment(4, 28), b(30 + 29 * 4 + 28));
    EXPECT_EQ(mv.GetDummy2(), b(175));

    DefencDkCursor defence(tables);
    EXPECT_EQ(defence.GetDefenceRate(28), b(28));
    EXPECT_EQ(defence.GetDummy(), b(29));

    ActionKdCursor action(tables);
    EXPECT_EQ(action.GetAttack(1), b(1));
    EXPECT_EQ(action.GetDefence(0), b(2));
    EXPECT_EQ(action.GetDefence(1), b(3));
    EXPECT_EQ(action.GetRange(), w(4));
    EXPECT_EQ(action.GetDummy(2), w(10));

    UnitKindCursor kind(tables);
    EXPECT_EQ(std::strlen(kind.GetName()), 24u);
    EXPECT_EQ(kind.GetKindType(), b(24));
    EXPECT_EQ(kind.GetSupplyFlags(), b(25));
    EXPECT_EQ(kind.GetPerformanceFlags(), b(26));
    EXPECT_EQ(kind.GetClassFlags(), b(27));
    EXPECT_EQ(kind.GetSpecialFlags(), b(28));
    EXPECT_EQ(kind.GetDummy29(), b(29));
    EXPECT_EQ(kind.GetActionTypeFlags(), w(30));
    EXPECT_EQ(kind.GetGraphicIndex(), w(32) - 1);
    EXPECT_EQ(kind.GetDescriptionNumber(), w(34));
    EXPECT_EQ(kind.GetDummy(3), b(39));

    WeaponKdCursor weapon(tables);
    ASSERT_EQ(weapon.Select(1), 1);
    EXPECT_EQ(std::strlen(weapon.GetName()), 16u);
    EXPECT_EQ(weapon.GetWeaponType(), b(16));
    EXPECT_EQ(weapon.GetLoadFlags(), b(17));
    EXPECT_EQ(weapon.GetHitRate(0), b(18));
    EXPECT_EQ(weapon.GetHitRate(9), b(27));
    EXPECT_EQ(weapon.GetHitRate(10), 0);
    EXPECT_EQ(weapon.GetPower(), b(28));
    EXPECT_EQ(weapon.GetSalvo(), b(29));
    EXPECT_EQ(weapon.GetFireCount(), b(30));
    EXPECT_EQ(weapon.GetRange(), b(31));
    EXPECT_EQ(weapon.GetOptionUnit(), w(32) - 1);
    EXPECT_EQ(weapon.GetAddedCommands(), w(34));

    SiteKindCursor site(tables);
    EXPECT_EQ(std::strlen(site.GetName()), 16u);
    EXPECT_EQ(site.GetIncome(), w(16));
    EXPECT_EQ(site.GetFuel(), w(18));
    EXPECT_EQ(site.GetSupplies(), w(20));
    EXPECT_EQ(site.GetPerformanceFlags(), b(22));
    EXPECT_EQ(site.GetCaptureDurability(0), b(23));
    EXPECT_EQ(site.GetDestroyDurability(0), b(24));
    EXPECT_EQ(site.GetDaySearchRange(), b(25));
    EXPECT_EQ(site.GetNightSearchRange(), b(26));
    EXPECT_EQ(site.GetDummy(2), b(29));
}

TEST(RuleCursors, OneBasedFieldsReturnZeroOrNoneForZero) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    writer.unitInfos[0].SetU16(UnitInfoRecord::kTransformUnit, 0);
    writer.unitInfos[0].SetU8(UnitInfoRecord::kDefaultPack, 0);
    writer.unitKinds[0].SetU16(UnitKindRecord::kGraphicNumber, 0);
    writer.weapons[0].SetU16(WeaponKdRecord::kOptionUnit, 0);
    TableDirectory tables;
    writer.InstallInto(tables);
    UnitInfoCursor unit(tables);
    EXPECT_EQ(unit.GetTransformUnit(), 0xFFFF);
    EXPECT_EQ(unit.GetDefaultPack(), 0);
    UnitKindCursor kind(tables);
    EXPECT_EQ(kind.GetGraphicIndex(), 0);
    WeaponKdCursor weapon(tables);
    ASSERT_EQ(weapon.Select(1), 1);
    EXPECT_EQ(weapon.GetOptionUnit(), 0);
}

TEST(RuleCursors, MoveCostAddsThePackSpeedExceptToFreeAndImpassableTerrain) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    MvcostKdRecord& costs = writer.mvcostKinds[0];
    costs.SetU8(MvcostKdRecord::kCost + 0, 255);
    costs.SetU8(MvcostKdRecord::kCost + 1, 0);
    costs.SetU8(MvcostKdRecord::kCost + 2, 5);
    costs.SetU8(MvcostKdRecord::kCost + 6, 254);
    UnitInfoRecord& unit = writer.unitInfos[0];
    unit.SetU16(UnitInfoRecord::kMoveCostKind, 0);
    unit.SetU8(UnitInfoRecord::PackOffset(1) + UnitInfoRecord::kPackSpeedChange, 3);
    writer.unitInfos[1].SetU16(UnitInfoRecord::kMoveCostKind, 9);  // no such class
    TableDirectory tables;
    writer.InstallInto(tables);

    UnitInfoCursor c(tables);
    struct Case {
        int pack, terrain, expected;
    };
    for (const Case& k : {Case{1, 0, 255}, Case{1, 1, 0}, Case{1, 2, 8}, Case{0, 2, 5},
                          Case{4, 2, 5}, Case{1, 6, 1}, Case{1, 29, 0}}) {
        EXPECT_EQ(c.GetMoveCost(k.pack, k.terrain), k.expected)
            << "pack " << k.pack << " terrain " << k.terrain;
    }
    EXPECT_EQ(c.GetConcealment(2, 3), 23);
    ASSERT_EQ(c.Select(1), 1);
    EXPECT_EQ(c.GetMoveCost(0, 2), 255);
    EXPECT_EQ(c.GetConcealment(2, 3), 0);
}

TEST(RuleCursors, NameFirstWordStopsAtABlankEightBytesOrAWholeCharacter) {
    struct Case {
        const char* name;
        std::string stored;  // Shift-JIS bytes
        std::string expected;
    };
    const std::string kana = core::Utf8ToSjis("アイウエ");  // four double-byte characters
    const Case cases[] = {
        {"ten letters", "ABCDEFGHIJ", "ABCDEFGH"},
        {"letter and four characters", "A" + kana, "A" + kana.substr(0, 6)},
        {"blank", "AB CD", "AB"},
        {"characters then blank", kana.substr(0, 4) + " X", kana.substr(0, 4)},
        {"exactly four characters", kana, kana},
        {"empty", "", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RuleTableWriter writer;
        writer.unitInfos.emplace_back().SetText(UnitInfoRecord::kName, 24, k.stored);
        TableDirectory tables;
        writer.InstallInto(tables);
        UnitInfoCursor c(tables);
        EXPECT_EQ(std::string(c.GetNameFirstWord()), k.expected);
        EXPECT_EQ(std::string(c.GetName()), k.stored);
    }
}

TEST(RuleCursors, PriceWithSurchargeTruncatesTowardZero) {
    struct Case {
        std::int32_t price, expected;
    };
    for (const Case& k : {Case{1000, 1300}, Case{7, 9}, Case{0, 0}, Case{-7, -9}, Case{3, 3}}) {
        RuleTableWriter writer;
        writer.unitInfos.emplace_back().SetS32(UnitInfoRecord::kPrice, k.price);
        TableDirectory tables;
        writer.InstallInto(tables);
        EXPECT_EQ(UnitInfoCursor(tables).GetPriceWithSurcharge(), k.expected) << k.price;
    }
}

TEST(RuleCursors, PackLoadFlagsAndTheQueriesBuiltOnThem) {
    RuleTableWriter writer;
    WeaponKdRecord& w1 = writer.weapons.emplace_back();
    w1.SetU8(WeaponKdRecord::kLoadFlags, 0x04);
    writer.weapons.emplace_back().SetU8(WeaponKdRecord::kLoadFlags, 0x80);
    writer.unitKinds.emplace_back();
    UnitInfoRecord& u = writer.unitInfos.emplace_back();
    u.SetU8(UnitInfoRecord::kLoadFlags, 0x40);
    u.SetU16(UnitInfoRecord::kWeaponId + 0, 1);
    u.SetU16(UnitInfoRecord::kWeaponId + 10, 2);  // slot 5
    u.SetU16(UnitInfoRecord::kWeaponId + 4, 7);   // no such weapon: ignored
    u.SetU8(UnitInfoRecord::PackOffset(2) + UnitInfoRecord::kPackWeaponSwitch, 0x01);
    TableDirectory tables;
    writer.InstallInto(tables);
    UnitInfoCursor c(tables);

    EXPECT_EQ(c.GetPackLoadFlags(0), 0x40);  // switch 0: the unit's own byte
    EXPECT_EQ(c.GetPackLoadFlags(2), 0x84);  // all weapons, whatever the switch bits
    EXPECT_EQ(c.GetPackLoadFlags(4), 0x40);
    EXPECT_EQ(c.GetPackPrimaryTarget(0), 2);
    EXPECT_EQ(c.GetPackPrimaryTarget(2), 4);

    std::uint8_t layers[3] = {9, 9, 9};
    EXPECT_EQ(c.GetPackTargetLayers(0, layers), 1);
    EXPECT_EQ(layers[0], 4);
    EXPECT_EQ(layers[1], 5);
    EXPECT_EQ(layers[2], 9);
    std::uint8_t layers2[3] = {9, 9, 9};
    c.GetPackTargetLayers(2, layers2);
    EXPECT_EQ(layers2[0], 0);
    EXPECT_EQ(layers2[1], 2);
    EXPECT_EQ(layers2[2], 9);
}

TEST(RuleCursors, PrimaryTargetAndLayersFollowTheFlagPriority) {
    struct Case {
        std::uint8_t flags;
        int primary;
        std::vector<std::uint8_t> layers;
    };
    const Case cases[] = {
        {0x01 | 0x80, 2, {3, 4, 5}}, {0x40 | 0x04, 2, {4, 5}}, {0x02, 2, {5}}, {0x04, 4, {0, 2}},
        {0x80, 24, {0, 2}},          {0x10, 2, {3, 4, 5}},     {0x00, 0, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.flags));
        RuleTableWriter writer;
        writer.unitInfos.emplace_back().SetU8(UnitInfoRecord::kLoadFlags, k.flags);
        TableDirectory tables;
        writer.InstallInto(tables);
        UnitInfoCursor c(tables);
        EXPECT_EQ(c.GetPackPrimaryTarget(0), k.primary);
        std::uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        c.GetPackTargetLayers(0, out);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(out[i], i < k.layers.size() ? k.layers[i] : 0xEE) << i;
    }
}

TEST(RuleCursors, CarrierClassesListInFixedOrder) {
    struct Case {
        std::uint8_t flags;
        std::vector<std::uint8_t> classes;
    };
    const Case cases[] = {
        {0x00, {}}, {0x01, {1}}, {0xFF, {1, 2, 4, 6, 7}}, {0x80, {6}}, {0x20 | 0x02, {4, 7}},
    };
    for (const Case& k : cases) {
        RuleTableWriter writer;
        writer.unitInfos.emplace_back().SetU8(UnitInfoRecord::kLoadableFlags, k.flags);
        TableDirectory tables;
        writer.InstallInto(tables);
        std::uint8_t out[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(UnitInfoCursor(tables).ListCarrierClasses(out), 1);
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(out[i], i < k.classes.size() ? k.classes[i] : 0xEE)
                << "flags " << int(k.flags) << " element " << i;
    }
}

TEST(RuleCursors, CapabilityFlagsCombineUnitAndUnitKind) {
    RuleTableWriter writer;
    UnitKindRecord& heli = writer.unitKinds.emplace_back();
    heli.SetU8(UnitKindRecord::kKindType, 1);
    heli.SetU8(UnitKindRecord::kPerformanceFlags, 0x03);
    heli.SetU8(UnitKindRecord::kSupplyFlags, 0x04);
    heli.SetU8(UnitKindRecord::kDummy29, 17);
    UnitKindRecord& other = writer.unitKinds.emplace_back();
    other.SetU8(UnitKindRecord::kKindType, 0);
    other.SetU8(UnitKindRecord::kDummy29, 4);

    UnitInfoRecord& a = writer.unitInfos.emplace_back();
    a.SetU8(UnitInfoRecord::kUnitKind, 0);
    a.SetU8(UnitInfoRecord::kLoadFlags, 0x08);
    a.SetU8(UnitInfoRecord::kLoadableFlags, 0x80);
    a.SetU8(UnitInfoRecord::kSpecialAbility, 0x04);
    a.SetU16(UnitInfoRecord::kTransformUnit, 3);
    UnitInfoRecord& b = writer.unitInfos.emplace_back();
    b.SetU8(UnitInfoRecord::kUnitKind, 1);
    b.SetU8(UnitInfoRecord::kLoadableFlags, 0x04 | 0x01);
    writer.unitInfos.emplace_back();  // nothing at all: kind 0 is the helicopter kind
    TableDirectory tables;
    writer.InstallInto(tables);

    UnitInfoCursor c(tables);
    EXPECT_EQ(c.GetCapabilityFlags(0), 0x001 | 0x010 | 0x008 | 0x020 | 0x040 | 0x080 | 0x100);
    EXPECT_EQ(c.HasCapabilityBit0(0), 1);
    EXPECT_EQ(c.HasCapabilityBits1to4(0), 1);
    EXPECT_EQ(c.GetKindByte29(), 17);
    ASSERT_EQ(c.Select(1), 1);
    EXPECT_EQ(c.GetCapabilityFlags(0), 0x002 | 0x004);  // 0x80 of unit a alone gave no 0x002
    EXPECT_EQ(c.GetKindByte29(), 4);
    ASSERT_EQ(c.Select(2), 1);
    EXPECT_EQ(c.GetCapabilityFlags(0), 0x020 | 0x040 | 0x080);
    EXPECT_EQ(c.HasCapabilityBit0(0), 0);
    EXPECT_EQ(c.HasCapabilityBits1to4(0), 0);
}

TEST(RuleCursors, MegaMarkerAndNeutralSiteDurability) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    writer.siteKinds.resize(7);
    writer.weapons.clear();
    for (int type = 0; type < 30; ++type)
        writer.weapons.emplace_back().SetU8(WeaponKdRecord::kWeaponType, type);
    TableDirectory tables;
    writer.InstallInto(tables);

    WeaponKdCursor weapon(tables);
    const std::string mega = core::Utf8ToSjis("メガ ");
    for (int type = 0; type < 30; ++type) {
        ASSERT_EQ(weapon.Select(type + 1), 1);
        const bool isMega = type == 1 || type == 3 || type == 5 || type == 7 || type == 22 ||
                            type == 24 || type == 26;
        EXPECT_EQ(std::string(weapon.GetMegaMarker()), isMega ? mega : "    ") << type;
    }

    SiteKindCursor site(tables);
    const int neutral[] = {250, 140, 110, 35, 110, 110, 0};
    for (int k = 0; k < 7; ++k) {
        ASSERT_EQ(site.Select(k), 1);
        EXPECT_EQ(site.GetCaptureDurability(1), neutral[k]) << k;
        EXPECT_EQ(site.GetDestroyDurability(1), neutral[k]) << k;
    }
    ASSERT_EQ(site.Select(2), 1);
    EXPECT_EQ(site.GetCaptureDurability(0), 160);
    EXPECT_EQ(site.GetDestroyDurability(0), 150);
}

TEST(ProductionTypes, CountSkipAndNameOverTheTable) {
    RuleTableWriter writer;
    for (int k = 0; k < 32; ++k) writer.AddProKind("type" + std::to_string(k), k >= 3 && k != 5);
    TableDirectory tables;
    writer.InstallInto(tables);
    EXPECT_EQ(GetProductionTypeCount(), 32);
    EXPECT_EQ(IsProductionTypePresent(tables, 2), 0);
    EXPECT_EQ(IsProductionTypePresent(tables, 3), 1);
    EXPECT_EQ(GetNthProductionType(tables, 0), 3);
    EXPECT_EQ(GetNthProductionType(tables, 1), 4);
    EXPECT_EQ(GetNthProductionType(tables, 2), 6);
    EXPECT_EQ(GetNthProductionType(tables, 27), 31);
    EXPECT_EQ(GetNthProductionType(tables, 28), 32);
    EXPECT_EQ(CountProductionTypesBelow(tables, 0), 0);
    EXPECT_EQ(CountProductionTypesBelow(tables, 6), 2);
    EXPECT_EQ(CountProductionTypesBelow(tables, 99), 28);
    EXPECT_EQ(GetProductionTypeName(tables, 7), "type7");
}

TEST(ProductionTypes, AShortTableIsNeverReadBeyondItsRecords) {
    RuleTableWriter writer;
    writer.AddProKind("only", true);
    writer.AddProKind("");  // present, unnamed
    TableDirectory tables;
    writer.InstallInto(tables);
    EXPECT_EQ(IsProductionTypePresent(tables, 2), 0);
    EXPECT_EQ(IsProductionTypePresent(tables, 31), 0);
    EXPECT_EQ(IsProductionTypePresent(tables, -1), 0);
    EXPECT_EQ(GetNthProductionType(tables, 2), 32);
    EXPECT_EQ(CountProductionTypesBelow(tables, 32), 2);
    EXPECT_EQ(GetProductionTypeName(tables, 31), "");
    // A name that fills all 24 bytes ends at the record's end.
    writer.proKinds[0].SetText(ProKindRecord::kName, 24, std::string(24, 'N'));
    writer.InstallInto(tables);
    EXPECT_EQ(GetProductionTypeName(tables, 0), std::string(24, 'N'));
}

}  // namespace
}  // namespace zv::rules
