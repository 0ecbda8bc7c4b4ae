#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::rules {
namespace {

using testing::MapBuilder;
using testing::RuleTableWriter;

// Units added to the basic rule set for the carrier tests.
enum : int {
    kInfantry = 0,  // altitude class 3
    kGunship = 1,   // altitude class 2
    kBoat = 2,      // altitude class 4
    kSmallHold = 3,
    kLargeHold = 4,
    kTank = 5,
    kJeep = 6,
    kShipOnly = 7,
};

RuleTableWriter CarrierRules() {
    RuleTableWriter w = RuleTableWriter::Basic();
    auto hold = [&](const char* name, std::uint16_t capacity) {
        UnitInfoRecord& u = w.AddUnitInfo(name);
        u.SetU8(UnitInfoRecord::kAltitudeClass, 3);
        u.SetU8(UnitInfoRecord::kMaxStrength, 1);
        u.SetU16(UnitInfoRecord::kCarryWeightTotal, capacity);
        u.SetU8(UnitInfoRecord::kLoadFlags, 0x01);  // carries vehicles
    };
    auto cargo = [&](const char* name, std::uint16_t weight, std::uint8_t loadable) {
        UnitInfoRecord& u = w.AddUnitInfo(name);
        u.SetU8(UnitInfoRecord::kAltitudeClass, 3);
        u.SetU8(UnitInfoRecord::kMaxStrength, 4);
        u.SetU16(UnitInfoRecord::kWeight, weight);
        u.SetU8(UnitInfoRecord::kLoadableFlags, loadable);
    };
    hold("小型輸送", 10);
    hold("大型輸送", 20);
    cargo("戦車", 10, 0x01);
    cargo("軽車両", 5, 0x01);
    cargo("艦艇", 5, 0x02);
    return w;
}

class TroopCursorTest : public ::testing::Test {
  protected:
    TroopCursorTest() { CarrierRules().InstallInto(tables); }

    TableDirectory tables;
};

TEST_F(TroopCursorTest, ResetWritesTheResetValuesAtTheirOffsetsAndKeepsSpareBytes) {
    TroopRecord* r = TroopAt(tables.GetTableBase(TableId::Troop), 3);
    std::memset(r->data(), 0xAB, kTroopRecordSize);
    TroopCursor cursor(tables);
    ASSERT_EQ(cursor.Select(3), 1);
    cursor.ResetCurrentTroop();
    const std::uint8_t* b = r->data();

    struct ByteCase {
        std::size_t offset;
        std::uint8_t value;
    };
    const ByteCase cases[] = {
        {0, 0},
        {23, 0},
        {24, 0xFF},
        {25, 0xFF},
        {26, 0xFF},
        {27, 0xFF},
        {28, 0},
        {30, 0},
        {31, 0},
        {32, 0},
        {33, 0},
        {34, 0xFF},
        {35, 0xFF},
        {36, 0},
        {37, 0},
        {38, 0},
        {42, 0},
        {44, 0},
        {50, 0},
        {56, 0xFF},
        {59, 0xFF},
        {34 + 150, 0xFF},
        {214, 'T'},
        {219, 'A'},
        {220, 0},
        {230, 0xFF},
        {235, 0xFF},
        {236, 0},
        {237, 50},
        {240, 50},
        {214 + 84 + 5, 'D'},
        {326, 0},
        {327, 0},
        {328, 0},
        {329, 0},
        {330, 0xFF},
        {331, 0xFF},
        {332, 0},
        {334, 0xFF},
        {341, 0xFF},
        {358, 0},
        {364, 0},
        {366, 0},
        {368, 0xFF},
        {369, 0xFF},
        {370, 0xFF},
        {379, 0xFF},
        {380, 0},
        {382, 0},
        {414, 0},
        {416, 0},
        {417, 0},
        // Spare and order bytes that a reset leaves as they were.
        {34 + 9, 0xAB},
        {34 + 26, 0xAB},
        {34 + 27, 0xAB},
        {214 + 27, 0xAB},
        {342, 0xAB},
        {346, 0xAB},
        {357, 0xAB},
        {360, 0xAB},
        {361, 0xAB},
        {363, 0xAB},
        {365, 0xAB},
        {381, 0xAB},
        {384, 0xAB},
        {413, 0xAB},
    };
    for (const ByteCase& c : cases) {
        EXPECT_EQ(b[c.offset], c.value) << "offset " << c.offset;
    }
    EXPECT_STREQ(cursor.GetFormationName(1), "Type-B");
    EXPECT_STREQ(cursor.GetFormationName(3), "Type-D");
    EXPECT_EQ(cursor.GetName()[0], '\0');
}

TEST_F(TroopCursorTest, SelectBoundsOfEveryTroopCursorKind) {
    TroopCache cache;
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TroopCursor>()> make;
        std::uint16_t n;
        int selects;
    };
    auto troops = [&] { return std::make_unique<TroopCursor>(tables); };
    auto shadow = [&] { return std::make_unique<TroopCursor>(tables, TableId::ShadowTroop); };
    auto force = [&] { return std::make_unique<ForceCursor>(tables, 0); };
    auto shadowForce = [&] { return std::make_unique<ShadowForceCursor>(tables, 0); };
    auto cached = [&] { return std::make_unique<CachedTroopCursor>(tables, cache); };
    const Case cases[] = {
        {"troop 0", troops, 0, 1},
        {"troop 254", troops, 254, 1},
        {"troop 255", troops, 255, 0},
        {"troop none", troops, 0xFFFF, 0},
        {"shadow 254", shadow, 254, 1},
        {"shadow 255", shadow, 255, 0},
        {"force 159", force, 159, 1},
        {"force 160", force, 160, 0},
        {"force none", force, 0xFFFF, 0},
        {"shadow force 159", shadowForce, 159, 1},
        {"shadow force 160", shadowForce, 160, 0},
        {"cached 254", cached, 254, 1},
        {"cached 255", cached, 255, 0},
        {"cached none", cached, 0xFFFF, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TroopCursor> cursor = c.make();
        ASSERT_EQ(cursor->Select(1), 1) << c.name;
        TroopRecord* before = cursor->GetRecord();
        EXPECT_EQ(cursor->Select(c.n), c.selects) << c.name;
        if (!c.selects) {
            // A failed selection leaves the cursor where it was.
            EXPECT_EQ(cursor->GetRecord(), before) << c.name;
        }
    }
}

TEST_F(TroopCursorTest, SelectionPointsIntoTheCursorsOwnTable) {
    TroopCursor live(tables);
    TroopCursor shadow(tables, TableId::ShadowTroop);
    ASSERT_TRUE(live.Select(200) && shadow.Select(200));
    EXPECT_EQ(live.GetRecord()->data(), tables.GetTableBase(TableId::Troop) + 200 * 418);
    EXPECT_EQ(shadow.GetRecord()->data(), tables.GetTableBase(TableId::ShadowTroop) + 200 * 418);
    EXPECT_EQ(live.GetIndex(), 200);
    EXPECT_EQ(live.GetTableLimit(), 255);
}

TEST_F(TroopCursorTest, FieldAccessorsAreLittleEndianAtTheirOffsets) {
    TroopCursor cursor(tables);
    cursor.Select(9);
    cursor.SetHex(0x1234);
    cursor.SetStateFlags(0xA001);
    cursor.SetCarrier(0x0102);
    cursor.SetInt342(-2);
    cursor.SetOrder(0x8040);
    cursor.SetWaypoint(3, 0x0A0B);
    cursor.SetWord382(0x0155);
    cursor.SetName("\x95\x94\x91\xe0 1");  // 部隊 1
    const std::uint8_t* b = cursor.GetRecord()->data();
    EXPECT_EQ(b[26], 0x34);
    EXPECT_EQ(b[27], 0x12);
    EXPECT_EQ(b[30], 0x01);
    EXPECT_EQ(b[31], 0xA0);
    EXPECT_EQ(b[330], 0x02);
    EXPECT_EQ(b[331], 0x01);
    EXPECT_EQ(b[342], 0xFE);
    EXPECT_EQ(b[345], 0xFF);
    EXPECT_EQ(b[366], 0x40);
    EXPECT_EQ(b[367], 0x80);
    EXPECT_EQ(b[378], 0x0B);
    EXPECT_EQ(b[379], 0x0A);
    // Icons keep only the low byte.
    EXPECT_EQ(cursor.GetWord382(), 0x55);
    EXPECT_STREQ(cursor.GetName(), "\x95\x94\x91\xe0 1");
    std::uint16_t hex = 0;
    EXPECT_EQ(*cursor.GetHex(&hex), 0x1234);
}

TEST_F(TroopCursorTest, MemberAccessorsGoThroughTheCurrentFormation) {
    TroopCursor cursor(tables);
    cursor.Select(0);
    cursor.ResetCurrentTroop();
    TroopRecord* r = cursor.GetRecord();
    r->Member(4).SetUnit(kTank);
    r->Member(4).SetStrength(3);
    r->Member(2).SetUnit(kJeep);
    r->Member(2).SetStrength(7);
    r->Formation(1).SetMemberMap(0, 4);  // formation 1, slot 0 -> member 4
    r->Formation(0).SetMemberMap(0, 2);  // formation 0, slot 0 -> member 2
    r->Formation(0).SetMemberMap(1, 6);  // out of range: empty
    EXPECT_EQ(cursor.GetMemberStrength(0), 7);
    cursor.SetCurrentFormation(1);
    EXPECT_EQ(cursor.GetMemberUnit(0), kTank);
    EXPECT_EQ(cursor.GetMemberStrength(0), 3);
    cursor.SetMemberAmmo(0, 5, 99);
    EXPECT_EQ(r->Member(4).Ammo(5), 99);
    EXPECT_EQ(r->data()[34 + 30 * 4 + 10 + 5], 99);

    // Empty slots read as 0 (-1 for the unit) and take no writes.
    cursor.SetCurrentFormation(0);
    EXPECT_EQ(cursor.GetMemberUnit(1), -1);
    EXPECT_EQ(cursor.GetMemberFuel(1), 0);
    EXPECT_EQ(cursor.GetMemberRecord(1), nullptr);
    std::uint8_t before[kTroopRecordSize];
    std::memcpy(before, r->data(), kTroopRecordSize);
    cursor.SetMemberFuel(1, 500);
    cursor.SetMemberByte22(2, 0, 1);
    EXPECT_EQ(std::memcmp(before, r->data(), kTroopRecordSize), 0);
}

TEST_F(TroopCursorTest, HasMembersNeedsAUsedRecordAndAPresentMember) {
    MapBuilder map(tables);
    const std::uint16_t t = map.AddTroop(0, 3, 3, {kInfantry, kGunship});
    TroopCursor cursor(tables);
    ASSERT_TRUE(cursor.Select(t));
    EXPECT_EQ(cursor.HasMembers(), 1);
    // All members removed: the slot byte still says used, but nothing is there.
    cursor.GetRecord()->Member(0).SetUnit(kNoUnit);
    cursor.GetRecord()->Member(1).SetUnit(kNoUnit);
    EXPECT_EQ(cursor.GetSlotByte(), 0);
    EXPECT_EQ(cursor.HasMembers(), 0);
    cursor.GetRecord()->Member(1).SetUnit(kGunship);
    cursor.SetSlotByte(0xFF);
    EXPECT_EQ(cursor.HasMembers(), 0);
}

TEST_F(TroopCursorTest, IsOnMapCases) {
    struct Case {
        std::uint16_t flags;
        std::uint16_t hex;
        int onMap;
    };
    const Case cases[] = {
        {kTroopOnMap, MakeHexPosition(0, 0), 1},
        {kTroopOnMap, MakeHexPosition(63, 63), 1},
        {kTroopOnMap | kTroopMapMark, MakeHexPosition(5, 5), 1},
        {kTroopOnMap | kTroopAboard, MakeHexPosition(5, 5), 0},
        {0, MakeHexPosition(5, 5), 0},
        {kTroopOnMap, MakeHexPosition(64, 0), 0},
        {kTroopOnMap, MakeHexPosition(0, 64), 0},
        {kTroopOnMap, kNoHex, 0},
    };
    TroopCursor cursor(tables);
    cursor.Select(0);
    for (const Case& c : cases) {
        cursor.SetStateFlags(c.flags);
        cursor.SetHex(c.hex);
        EXPECT_EQ(cursor.IsOnMap(), c.onMap) << std::hex << c.flags << " " << c.hex;
    }
}

TEST_F(TroopCursorTest, CountryMaskAlliancesAndSides) {
    MapBuilder map(tables);
    map.Alliance(0, 0x03);  // blue counts red as an ally; red does not answer in kind
    const std::uint16_t t = map.AddTroop(1, 2, 2, {kInfantry});
    TroopCursor cursor(tables);
    cursor.Select(t);
    struct Case {
        std::uint16_t mask;
        std::uint8_t country;
        int seen;
    };
    const Case cases[] = {
        {0, 1, 1},        // own country (itself allied after the reset)
        {0, 0, 1},        // blue's mask names red
        {0, 2, 0},        // green neither allied nor seeing
        {1 << 2, 2, 1},   // bit c
        {1 << 6, 2, 1},   // bit c + 4
        {1 << 10, 2, 0},  // bit c + 8 alone does not count
    };
    for (const Case& c : cases) {
        cursor.SetMask28(c.mask);
        EXPECT_EQ(cursor.TestCountryMask(c.country), c.seen)
            << "mask " << c.mask << " country " << int(c.country);
    }
    EXPECT_EQ(cursor.IsAlliedWith(0), 1);
    EXPECT_EQ(cursor.IsSameSide(1), 1);
    EXPECT_EQ(cursor.IsSameSide(3), 0);
}

TEST_F(TroopCursorTest, StatusTextCases) {
    struct Case {
        std::uint16_t actions;
        std::uint16_t destination;
        std::uint16_t flags;
        std::uint16_t carrier;
        int flagArg;
        const char* text;
    };
    const Case cases[] = {
        {0, kNoHex, 0, kNoTroop, 0, "待機中"},
        {0, kNoHex, kTroopCarrying | kTroopAboard, kNoTroop, 0, "搭載中"},
        {0, kNoHex, kTroopAboard, 83, 0, "搭乗中(004)"},
        {0, kNoHex, kTroopReinforcement, kNoTroop, 0, "援軍要請"},
        {kActionHold, kNoHex, 0, kNoTroop, 0, "待機中"},
        {kActionMove | kActionAttack, kNoHex, 0, kNoTroop, 0, "移動中"},
        {kActionAttack | kActionBomb, kNoHex, 0, kNoTroop, 0, "攻撃中"},
        {kActionBoardWait, kNoHex, 0, kNoTroop, 0, "搭乗待"},
        {kActionDisband, kNoHex, 0, kNoTroop, 0, "解散中"},
        {0, MakeHexPosition(4, 4), 0, kNoTroop, 0, "移動中"},
        // With the flag argument the carrying state is not shown.
        {0, kNoHex, kTroopCarrying, kNoTroop, 1, "待機中"},
    };
    TroopCursor cursor(tables);
    cursor.Select(100);
    for (const Case& c : cases) {
        cursor.SetOrder(c.actions);
        cursor.SetDestination(c.destination);
        cursor.SetStateFlags(c.flags);
        cursor.SetCarrier(c.carrier);
        EXPECT_EQ(cursor.GetStatusText(c.flagArg, 2), c.text) << c.text;
    }
}

TEST_F(TroopCursorTest, AltitudeClassComesFromTheFirstPresentMember) {
    MapBuilder map(tables);
    const std::uint16_t t = map.AddTroop(2, 1, 1, {kGunship, kInfantry});
    TroopCursor cursor(tables);
    cursor.Select(t);
    cursor.SetTroopAltitudeClass(0);
    EXPECT_EQ(cursor.RefreshAltitudeClass(), 2);
    // Slot 0 emptied: the infantry in slot 1 decides.
    cursor.GetRecord()->Formation(0).SetMemberMap(0, kEmptyMapEntry);
    EXPECT_EQ(cursor.RefreshAltitudeClass(), 3);
    // No members: the class stays.
    cursor.GetRecord()->Formation(0).SetMemberMap(1, kEmptyMapEntry);
    EXPECT_EQ(cursor.RefreshAltitudeClass(), 3);
}

TEST_F(TroopCursorTest, CountTroopsByAltitudeCountsMapTroopsAndRestoresTheSelection) {
    MapBuilder map(tables);
    map.AddTroop(0, 1, 1, {kInfantry});
    map.AddTroop(0, 1, 2, {kGunship});
    map.AddTroop(1, 1, 3, {kInfantry});
    // A launched part (index 160 and up) is no map troop.
    TroopCursor cursor(tables);
    cursor.Select(170);
    cursor.ResetCurrentTroop();
    cursor.SetSlotByte(0);
    cursor.SetCountry(0);
    cursor.Select(7);
    EXPECT_EQ(cursor.CountTroopsByAltitude(5, 0xFF), 3);
    EXPECT_EQ(cursor.CountTroopsByAltitude(0, 0xFF), 2);
    EXPECT_EQ(cursor.CountTroopsByAltitude(0, 3), 1);
    EXPECT_EQ(cursor.CountTroopsByAltitude(5, 3), 2);
    EXPECT_EQ(cursor.CountTroopsByAltitude(3, 0xFF), 0);
    EXPECT_EQ(cursor.GetIndex(), 7);
}

class CarrierTest : public TroopCursorTest {
  protected:
    CarrierTest() : map(tables) { carrier = map.AddTroop(0, 5, 5, {kLargeHold, kSmallHold}); }

    std::uint16_t Passenger(std::initializer_list<int> units, std::uint8_t country = 0) {
        return map.AddTroop(country, 6, 6, units);
    }

    MapBuilder map;
    std::uint16_t carrier;
};

TEST_F(CarrierTest, AnExactFitTakesTheSmallerHoldAndCommitMarksThePassenger) {
    const std::uint16_t p = Passenger({kTank});
    TroopCursor cursor(tables);
    cursor.Select(39);
    EXPECT_EQ(cursor.TryLoadOnto(carrier, p, 1), 1);
    EXPECT_EQ(cursor.GetIndex(), 39);
    TroopRecord* passenger = TroopAt(tables.GetTableBase(TableId::Troop), p);
    EXPECT_EQ(passenger->Carrier(), carrier);
    // Member 1 of the carrier is the small hold the tank fills exactly.
    EXPECT_EQ(passenger->Member(0).CarrierMember(), 1);
}

TEST_F(CarrierTest, LoadChecksAgainstWhatIsAlreadyAboard) {
    struct Case {
        const char* name;
        std::initializer_list<int> aboard;
        std::initializer_list<int> passenger;
        int fits;
    };
    const Case cases[] = {
        {"three tanks share both holds", {}, {kTank, kTank, kTank}, 1},
        {"four tanks are too many", {}, {kTank, kTank, kTank, kTank}, 0},
        {"wrong class", {}, {kShipOnly}, 0},
        {"room beside a tank aboard", {kTank}, {kTank, kJeep, kJeep}, 1},
        {"full after three tanks aboard", {kTank, kTank, kTank}, {kJeep}, 0},
    };
    for (const Case& c : cases) {
        MapBuilder fresh(tables);
        carrier = fresh.AddTroop(0, 5, 5, {kLargeHold, kSmallHold});
        if (c.aboard.size() > 0) {
            const std::uint16_t a = fresh.AddTroop(0, 6, 6, c.aboard);
            TroopAt(tables.GetTableBase(TableId::Troop), a)->SetCarrier(carrier);
        }
        // A troop of another country aboard the same carrier does not count.
        const std::uint16_t foreign = fresh.AddTroop(1, 7, 7, {kTank, kTank, kTank});
        TroopAt(tables.GetTableBase(TableId::Troop), foreign)->SetCarrier(carrier);
        const std::uint16_t p = fresh.AddTroop(0, 6, 6, c.passenger);
        TroopCursor cursor(tables);
        cursor.Select(p);
        EXPECT_EQ(cursor.CallSlot6(carrier), c.fits) << c.name;
        EXPECT_EQ(cursor.GetIndex(), p) << c.name;
        EXPECT_EQ(TroopAt(tables.GetTableBase(TableId::Troop), p)->Carrier(), kNoTroop) << c.name;
    }
}

TEST_F(CarrierTest, FindCarriedTroopCountsOwnCountryOnlyAndEndsOnTheCarrier) {
    const std::uint16_t a = Passenger({kTank});
    const std::uint16_t b = Passenger({kJeep});
    const std::uint16_t foreign = Passenger({kJeep}, 1);
    const std::uint16_t empty = Passenger({kJeep});
    TroopRecord* troops = TroopAt(tables.GetTableBase(TableId::Troop), 0);
    for (std::uint16_t t : {a, b, foreign, empty}) troops[t].SetCarrier(carrier);
    troops[empty].Formation(0).SetMemberMap(0, kEmptyMapEntry);  // no member left

    TroopCursor cursor(tables);
    cursor.Select(carrier);
    EXPECT_EQ(cursor.FindCarriedTroopOfCurrent(0), a);
    EXPECT_EQ(cursor.FindCarriedTroopOfCurrent(1), b);
    EXPECT_EQ(cursor.FindCarriedTroopOfCurrent(2), kNoTroop);
    EXPECT_EQ(cursor.GetIndex(), carrier);
}

TEST_F(CarrierTest, SumCapableMembersAddsTheHoldsOfMembersThatCanCarry) {
    TroopCursor cursor(tables);
    cursor.Select(carrier);
    EXPECT_EQ(cursor.SumCapableMembers(), 30);
    cursor.Select(Passenger({kTank, kLargeHold}));
    EXPECT_EQ(cursor.SumCapableMembers(), 20);
}

TEST_F(TroopCursorTest, CachedCursorShowsItsCopyUntilAnotherTroopOrAReset) {
    TroopCache cache;
    CachedTroopCursor cached(tables, cache);
    TroopCursor live(tables);
    live.Select(7);
    live.SetName("seven");
    ASSERT_EQ(cached.Select(7), 1);
    live.SetName("renamed");
    EXPECT_STREQ(cached.GetName(), "seven");
    // Edits go to the copy, never to the table.
    cached.SetName("edited");
    EXPECT_EQ(cached.Select(7), 1);
    EXPECT_STREQ(cached.GetName(), "edited");
    EXPECT_STREQ(live.GetName(), "renamed");
    // A second cached cursor of the same world shares the copy.
    CachedTroopCursor other(tables, cache);
    EXPECT_STREQ(other.GetName(), "edited");
    cached.ResetCache();
    cached.Select(7);
    EXPECT_STREQ(cached.GetName(), "renamed");
}

}  // namespace
}  // namespace zv::rules
