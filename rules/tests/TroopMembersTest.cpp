#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "rules/records/MapRecords.h"
#include "rules/tests/TroopMembersFixture.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules {
namespace {

using namespace membertest;

// Offsets of the record whose bytes differ from the expected ones.
std::string DiffOffsets(const TroopRecord& actual, const std::uint8_t* expected) {
    std::string out;
    for (std::size_t i = 0; i < kTroopRecordSize; ++i) {
        if (actual.bytes[i] != expected[i]) {
            out += std::to_string(i) + ":" + std::to_string(actual.bytes[i]) +
                   "!=" + std::to_string(expected[i]) + " ";
        }
    }
    return out;
}

std::uint8_t GroundCost(int t) {
    const bool water = t == 3 || t == 4 || t == 5;
    return water ? 0 : static_cast<std::uint8_t>(2 + t % 4);
}

class TroopMembersTest : public MemberTablesTest {
  protected:
    TroopRecord& Record() { return *troop.GetRecord(); }
    std::uint64_t RecordHash() {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint8_t b : Record().bytes) h = (h ^ b) * 1099511628211ull;
        return h;
    }
};

TEST_F(TroopMembersTest, CreateTroopFromUnitsWritesEveryDocumentedByte) {
    ASSERT_EQ(troop.Select(45), 1);
    std::memset(Record().data(), 0xAB, kTroopRecordSize);
    const std::int16_t units[6] = {kTank, -1, kTruck, -1, 999, -1};
    EXPECT_EQ(CreateTroopFromUnits(troop, units, 2, 3, MakeHexPosition(7, 8), "AB"), 1);

    std::uint8_t e[kTroopRecordSize];
    std::memset(e, 0xAB, sizeof e);
    auto u16 = [&](std::size_t o, std::uint16_t v) {
        e[o] = static_cast<std::uint8_t>(v);
        e[o + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    std::memset(e, 0, 24);
    e[0] = 'A';
    e[1] = 'B';
    e[24] = 3;
    e[25] = 2;
    u16(26, 0x0807);
    u16(28, 0);
    u16(30, 0);
    e[33] = 3;  // altitude class of the last placed unit (the truck)
    // Member 0: the tank at full strength with pack 0.
    u16(34, kTank);
    e[36] = 4;
    e[37] = 80;
    u16(38, 300);
    u16(40, 0);
    e[42] = 0;
    const std::uint8_t tankAmmo[6] = {20, 50, 0, 0, 0, 0};
    for (int w = 0; w < 6; ++w) e[44 + w] = tankAmmo[w], e[50 + w] = 0;
    // Member 2: the truck.
    const std::size_t m2 = 34 + 60;
    u16(m2, kTruck);
    e[m2 + 2] = 5;
    e[m2 + 3] = 50;
    u16(m2 + 4, 400);
    u16(m2 + 6, 0);
    e[m2 + 8] = 0;
    const std::uint8_t truckAmmo[6] = {30, 0, 0, 0, 0, 0};
    for (int w = 0; w < 6; ++w) e[m2 + 10 + w] = truckAmmo[w], e[m2 + 16 + w] = 0;
    // Formations: names, empty maps but slots 0 and 2 of formation 0, settings 0 50 50 50 50;
    // byte 27 of each keeps its value.
    const char* names[4] = {"Type-A", "Type-B", "Type-C", "Type-D"};
    for (int f = 0; f < 4; ++f) {
        const std::size_t base = 214 + 28 * f;
        std::memset(e + base, 0, 16);
        std::memcpy(e + base, names[f], 6);
        std::memset(e + base + 16, 0xFF, 6);
        e[base + 22] = 0;
        for (int s = 23; s <= 26; ++s) e[base + s] = 50;
    }
    e[214 + 16 + 0] = 0;
    e[214 + 16 + 2] = 2;
    e[326] = 0;
    e[327] = e[328] = e[329] = 0;
    u16(330, 0xFFFF);
    u16(332, 12);  // the truck holds the last slot
    std::memset(e + 334, 0xFF, 8);
    u16(358, 0);
    e[364] = 0;
    u16(366, 0);
    u16(368, 0xFFFF);
    u16(370, 0xFFFF);
    for (int i = 0; i < 4; ++i) u16(372 + 2 * i, 0xFFFF);
    e[380] = 0;
    for (int t = 0; t < 29; ++t) e[384 + t] = GroundCost(t);
    u16(414, 0);
    e[416] = 0;
    e[417] = 0;

    EXPECT_EQ(DiffOffsets(Record(), e), "");
}

TEST_F(TroopMembersTest, CreatorsWithoutCountryAndFromNothing) {
    const std::int16_t units[6] = {kBoat, -1, -1, -1, -1, -1};
    troop.Select(3);
    CreateTroopWithoutCountry(troop, units, 1, "X");
    EXPECT_EQ(Record().Country(), 5);
    EXPECT_EQ(Record().Hex(), 0xFFFF);
    EXPECT_EQ(Record().AltitudeClass(), 4);

    troop.Select(4);
    EXPECT_EQ(CreateTroop(troop, "Y", 2, 0), 1);
    EXPECT_EQ(std::string(troop.GetName()), "Y");
    EXPECT_EQ(Record().SlotByte(), 0);
    EXPECT_EQ(Record().AltitudeClass(), 2);
    EXPECT_EQ(Record().Country(), 0xFF);  // left as reset
    for (int t = 0; t < 29; ++t) EXPECT_EQ(Record().U8(TroopRecord::kMoveCosts + t), 0);
    EXPECT_EQ(Record().CarryCapacity(), 0);
}

TEST_F(TroopMembersTest, SetMemberUnitFillsTheFirstFreeMemberAtFullValues) {
    troop.Select(0);
    troop.SetSlotByte(0);
    EXPECT_EQ(SetMemberUnit(troop, 2, kTank), 1);
    EXPECT_EQ(troop.GetFormationMember(0, 2), 0);
    const TroopMember& tank = Record().Member(0);
    EXPECT_EQ(tank.Unit(), kTank);
    EXPECT_EQ(tank.Strength(), 4);
    EXPECT_EQ(tank.Durability(), 80);
    EXPECT_EQ(tank.Fuel(), 300);
    EXPECT_EQ(tank.Ammo(0), 20);
    EXPECT_EQ(tank.Ammo(1), 50);
    for (int t = 0; t < 29; ++t) EXPECT_EQ(Record().U8(TroopRecord::kMoveCosts + t), GroundCost(t));

    // The capacity is the last member's in slot order: slot 2 (tank) after slot 0 (truck).
    EXPECT_EQ(SetMemberUnit(troop, 0, kTruck), 1);
    EXPECT_EQ(troop.GetFormationMember(0, 0), 1);
    EXPECT_EQ(Record().CarryCapacity(), 0);
    EXPECT_EQ(SwapFormationSlots(troop, 0, 2), 1);
    RefreshCarryCapacity(troop);
    EXPECT_EQ(Record().CarryCapacity(), 12);

    // A mapped slot takes the new unit in place.
    SetMemberPackRefill(troop, 2, 1);
    EXPECT_EQ(Record().Member(1).Pack(), 1);
    EXPECT_EQ(SetMemberUnit(troop, 2, kMortar), 1);
    EXPECT_EQ(troop.GetFormationMember(0, 2), 1);
    EXPECT_EQ(Record().Member(1).Unit(), kMortar);
    EXPECT_EQ(Record().Member(1).Ammo(0), 40);
    EXPECT_EQ(Record().Member(1).Pack(), 0);
}

TEST_F(TroopMembersTest, SetMemberUnitIdCases) {
    struct Case {
        const char* what;
        std::uint8_t mapBefore[6];
        int slot;
        std::int16_t unit;
        std::uint8_t mapAfter[6];
        std::int16_t unitsAfter[6];
    };
    const Case cases[] = {
        {"empty slot takes the first free member",
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         3,
         kTruck,
         {0, 0xFF, 0xFF, 1, 0xFF, 0xFF},
         {kTank, kTruck, -1, -1, -1, -1}},
        {"mapped slot replaces its unit",
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         0,
         kTruck,
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {kTruck, -1, -1, -1, -1, -1}},
        {"-1 empties the member and keeps the map",
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         0,
         -1,
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {-1, -1, -1, -1, -1, -1}},
        {"-1 on an empty slot does nothing",
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         4,
         -1,
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         {kTank, -1, -1, -1, -1, -1}},
        {"a damaged map entry counts as empty",
         {0, 9, 0xFF, 0xFF, 0xFF, 0xFF},
         1,
         kHq,
         {0, 1, 0xFF, 0xFF, 0xFF, 0xFF},
         {kTank, kHq, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        troop.Select(0);
        troop.ResetCurrentTroop();
        troop.SetSlotByte(0);
        Record().Member(0).SetUnit(kTank);
        for (int s = 0; s < 6; ++s) troop.SetFormationMember(0, s, c.mapBefore[s]);
        SetMemberUnitId(troop, c.slot, c.unit);
        for (int s = 0; s < 6; ++s) {
            EXPECT_EQ(troop.GetFormationMember(0, s), c.mapAfter[s]) << "slot " << s;
            EXPECT_EQ(Record().Member(s).Unit(), c.unitsAfter[s]) << "member " << s;
        }
    }
}

TEST_F(TroopMembersTest, NoFreeMemberOrNoUnitChangesNothing) {
    MakeTroop(0, {kTank, kTank, kTank, kTank, kTank});
    Record().Member(5).SetUnit(kTank);  // all six in use, slot 5 unmapped
    const std::uint64_t before = RecordHash();
    SetMemberUnitId(troop, 5, kTruck);
    EXPECT_EQ(SetMemberUnit(troop, 5, kTruck), 0);
    EXPECT_EQ(SetMemberUnit(troop, 1, -1), 0);
    EXPECT_EQ(SetMemberUnit(troop, 1, 500), 0);
    EXPECT_EQ(SetMemberUnit(troop, 6, kTruck), 0);
    EXPECT_EQ(RecordHash(), before);
}

TEST_F(TroopMembersTest, ACurrentFormationOutOfRangeIsRefused) {
    MakeTroop(0, {kTank, kTruck});
    for (std::uint8_t bad : {4, 7, 255}) {
        SCOPED_TRACE(int(bad));
        troop.SetCurrentFormation(bad);
        const std::uint64_t before = RecordHash();
        EXPECT_EQ(SetMemberUnit(troop, 2, kTank), 0);
        EXPECT_EQ(RemoveMember(troop, 0), 0);
        EXPECT_EQ(SwapFormationSlots(troop, 0, 1), 0);
        SetMemberUnitId(troop, 3, kTank);
        SetMemberPackRefill(troop, 0, 1);
        EXPECT_EQ(RecordHash(), before);
        EXPECT_EQ(CountMembers(troop), 0);
        EXPECT_EQ(troop.HasMembers(), 0);
    }
    troop.SetCurrentFormation(0);
    EXPECT_EQ(CountMembers(troop), 2);
}

TEST_F(TroopMembersTest, RemoveMemberClearsTheMappedMemberOnly) {
    MakeTroop(0, {kTank, kTruck, kMortar, kHq, kArtillery});
    const std::uint8_t map[6] = {0, 1, 4, 3, 2, 0xFF};
    for (int s = 0; s < 6; ++s) troop.SetFormationMember(0, s, map[s]);
    Record().Member(4).SetFireCounter(1, 9);
    const TroopMember member2 = Record().Member(2);

    EXPECT_EQ(RemoveMember(troop, 2), 1);
    const TroopMember& m4 = Record().Member(4);
    EXPECT_EQ(m4.Unit(), -1);
    EXPECT_EQ(m4.Strength(), 0);
    EXPECT_EQ(m4.Durability(), 0);
    EXPECT_EQ(m4.Fuel(), 0);
    EXPECT_EQ(m4.Pack(), 0);
    for (int w = 0; w < 6; ++w) {
        EXPECT_EQ(m4.Ammo(w), 0);
        EXPECT_EQ(m4.FireCounter(w), 0);
    }
    EXPECT_EQ(std::memcmp(Record().Member(2).data(), member2.data(), kTroopMemberSize), 0);
    EXPECT_EQ(troop.GetFormationMember(0, 2), 0xFF);
    EXPECT_EQ(RemoveMember(troop, 2), 0);
    EXPECT_EQ(RemoveMember(troop, 5), 0);
    // The slow artillery left: the move costs are the ground ones again.
    for (int t = 0; t < 29; ++t) EXPECT_EQ(Record().U8(TroopRecord::kMoveCosts + t), GroundCost(t));
}

TEST_F(TroopMembersTest, RemovingTheIconMemberTakesTheFirstRemainingIcon) {
    struct Case {
        const char* what;
        std::uint16_t iconBefore;
        int removeSlot;
        std::uint16_t iconAfter;
    };
    // Tank kind byte 29 = 3, launcher = 7, truck = 11.
    const Case cases[] = {
        {"icon member removed", 7, 1, 3},
        {"icon member stays", 11, 1, 11},
        {"icon of no member", 40, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeTroop(0, {kTank, kLauncher, kTruck});
        troop.SetWord382(c.iconBefore);
        RemoveMember(troop, c.removeSlot);
        EXPECT_EQ(troop.GetWord382(), c.iconAfter);
    }
    MakeTroop(0, {kLauncher});
    troop.SetWord382(7);
    RemoveMember(troop, 0);
    EXPECT_EQ(troop.GetWord382(), 7);  // the last member leaves the icon as it was
    EXPECT_EQ(troop.HasMembers(), 0);
    EXPECT_EQ(Record().CarryCapacity(), 0);
}

TEST_F(TroopMembersTest, MoveCostTableTakesTheSlowestAndClosesWhatAnyMemberCannotEnter) {
    MakeTroop(0, {kTank, kArtillery});
    const std::uint8_t* table = GetMoveCostTable(troop);
    for (int t = 0; t < 29; ++t) {
        const bool water = t == 3 || t == 4 || t == 5;
        EXPECT_EQ(table[t], water || t == 7 ? 0 : 6) << t;
    }
    EXPECT_EQ(GetMoveCost(troop, 8), 6);
    EXPECT_EQ(GetMoveCost(troop, 29), 0);
    EXPECT_EQ(GetMoveCost(troop, 255), 0);

    // Pack 1 of the tank is one slower everywhere.
    MakeTroop(0, {kTank});
    troop.SetMemberPack(0, 1);
    for (int t = 0; t < 29; ++t) {
        EXPECT_EQ(GetMoveCost(troop, t), GroundCost(t) ? GroundCost(t) + 1 : 0) << t;
    }
    EXPECT_EQ(GetMemberMoveCost(troop, 0, 8), GroundCost(8) + 1);
    EXPECT_EQ(GetMemberMoveCost(troop, 1, 8), 0);

    // A unit whose movement class does not exist can go nowhere.
    MakeTroop(0, {kTank, kBadMoveClass});
    for (int t = 0; t < 29; ++t) EXPECT_EQ(GetMoveCost(troop, t), 0) << t;
    EXPECT_EQ(GetMemberMoveCost(troop, 1, 0), 0);

    MakeTroop(0, {});
    for (int t = 0; t < 29; ++t) EXPECT_EQ(GetMoveCost(troop, t), 0) << t;
}

TEST_F(TroopMembersTest, MemberAggregates) {
    struct Case {
        const char* what;
        std::vector<int> units;
        std::function<long long(TroopCursor&)> query;
        long long expected;
    };
    const std::vector<int> tankTruck = {kTank, kTruck};
    const std::vector<int> launcherHq = {kLauncher, kHq};
    const std::vector<int> none = {};
    const Case cases[] = {
        {"weight", tankTruck, [](TroopCursor& t) { return SumMemberWeight(t); }, 18},
        {"price", tankTruck, [](TroopCursor& t) { return SumMemberValueA(t); }, 700},
        {"price with surcharge", tankTruck, [](TroopCursor& t) { return SumMemberValueB(t); }, 910},
        {"full durability", tankTruck, [](TroopCursor& t) { return GetTotalDurability(t); }, 130},
        {"durability", tankTruck, [](TroopCursor& t) { return GetTotalMemberDurability(t); }, 130},
        {"least fuel", tankTruck, [](TroopCursor& t) { return GetMinMemberFuel(t); }, 300},
        {"least fuel, none", none, [](TroopCursor& t) { return GetMinMemberFuel(t); }, 0xFFFE},
        {"least pack fuel", launcherHq, [](TroopCursor& t) { return GetMinMemberPackFuel(t); }, 0},
        {"least pack fuel, none", none, [](TroopCursor& t) { return GetMinMemberPackFuel(t); },
         0xFFFE},
        {"mean defence", tankTruck, [](TroopCursor& t) { return GetMeanDefenceRate(t, 2); }, 27},
        {"best defence", tankTruck, [](TroopCursor& t) { return GetMaxDefenceRate(t, 2); }, 42},
        {"worst defence", tankTruck, [](TroopCursor& t) { return GetMinDefenceRate(t, 2); }, 12},
        {"best hit rate", tankTruck, [](TroopCursor& t) { return GetBestMemberHitRate(t, 3, 0); },
         60},
        {"lowest hit rate", tankTruck,
         [](TroopCursor& t) { return GetLowestMemberHitRate(t, 3, 0); }, 30},
        {"lowest hit rate, none", none,
         [](TroopCursor& t) { return GetLowestMemberHitRate(t, 3, 0); }, 0xFFFE},
        {"best hit rate of the launcher", launcherHq,
         [](TroopCursor& t) { return GetBestMemberHitRate(t, 3, 0); }, 40},
        {"best hit rate when transformed", launcherHq,
         [](TroopCursor& t) { return GetBestMemberHitRate(t, 3, 1); }, 30},
        {"mean best hit rate", launcherHq, [](TroopCursor& t) { return GetMeanBestHitRate(t, 3); },
         20},
        {"headquarters", launcherHq, [](TroopCursor& t) { return CountHqMembers(t); }, 1},
        {"class 6", launcherHq, [](TroopCursor& t) { return CountMembersOfClass6(t); }, 1},
        {"class 6, none", tankTruck, [](TroopCursor& t) { return CountMembersOfClass6(t); }, 0},
        {"all can be carried", tankTruck, [](TroopCursor& t) { return AllMembersPass(t); }, 0},
        {"all can be carried, tank", {kTank}, [](TroopCursor& t) { return AllMembersPass(t); }, 1},
        {"carry mask", tankTruck, [](TroopCursor& t) { return GetMembersCarryMask(t); }, 0x01},
        {"members", launcherHq, [](TroopCursor& t) { return CountMembers(t); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::int16_t ids[6] = {-1, -1, -1, -1, -1, -1};
        for (std::size_t j = 0; j < c.units.size(); ++j)
            ids[j] = static_cast<std::int16_t>(c.units[j]);
        troop.Select(0);
        CreateTroopFromUnits(troop, ids, 0, 0, 0xFFFF, "");
        EXPECT_EQ(c.query(troop), c.expected);
    }
}

TEST_F(TroopMembersTest, FindFreeTroopSlotSearchesTheCountrysForty) {
    EXPECT_EQ(FindFreeTroopSlot(troop, 1), 40);
    EXPECT_EQ(FindFreeTroopSlot(troop, 5), 0);
    EXPECT_EQ(FindFreeTroopSlot(troop, 4), 0xFFFF);
    EXPECT_EQ(FindFreeTroopSlot(troop, 9), 0xFFFF);
    for (std::uint16_t t = 40; t < 80; ++t) MakeTroop(t, {kTank}, 1);
    EXPECT_EQ(FindFreeTroopSlot(troop, 1), 0xFFFF);
    EXPECT_EQ(troop.GetIndex(), 79);  // the last index tried
    EXPECT_EQ(FindFreeTroopSlot(troop, 2), 80);
    // Slot byte 0xFF alone does not make a record free.
    troop.Select(80);
    troop.SetCountry(2);
    EXPECT_EQ(FindFreeTroopSlot(troop, 2), 81);
}

TEST_F(TroopMembersTest, TroopTableCounts) {
    MakeTroop(0, {kTank}, 0);         // altitude 3
    MakeTroop(1, {kGunship}, 0);      // altitude 2
    MakeTroop(2, {kGunship}, 0);      // altitude 2
    MakeTroop(41, {kBoat}, 1);        // altitude 4
    MakeTroop(42, {kHq, kTruck}, 1);  // altitude 3
    MakeTroop(43, {kRocketBody}, 1);  // altitude 1
    MakeTroop(170, {kGunship}, 1);    // a launched part
    MakeTroop(44, {}, 1);             // used, without members: altitude 0
    troop.Select(1);
    troop.SetStateFlags(kTroopTemplate);
    troop.Select(43);

    struct Case {
        std::uint8_t country;
        int category;
        int expected;
    };
    const Case cases[] = {{5, 7, 8}, {0, 7, 3}, {1, 7, 5}, {5, 2, 1}, {5, 3, 3}, {5, 4, 3},
                          {5, 5, 2}, {5, 6, 1}, {5, 1, 1}, {0, 3, 2}, {1, 5, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(CountTroopsByCategory(troop, c.country, c.category), c.expected)
            << "country " << int(c.country) << " category " << c.category;
    }
    EXPECT_EQ(troop.GetIndex(), 43);
    EXPECT_EQ(CountUsedTroops(troop), 8);
    EXPECT_EQ(troop.GetIndex(), 43);

    std::uint16_t flagged[6], plain[6], members[6];
    CountTroopsByAltitudeFlag8000(troop, flagged);
    CountTroopsByAltitudeNoFlag8000(troop, plain);
    CountMembersByAltitude(troop, members);
    const std::uint16_t flaggedExpected[6] = {0, 1, 0, 0, 0, 0};
    const std::uint16_t plainExpected[6] = {1, 2, 2, 1, 0, 0};
    const std::uint16_t membersExpected[6] = {1, 3, 3, 1, 0, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(flagged[i], flaggedExpected[i]) << i;
        EXPECT_EQ(plain[i], plainExpected[i]) << i;
        EXPECT_EQ(members[i], membersExpected[i]) << i;
    }
    EXPECT_EQ(troop.GetIndex(), 43);

    EXPECT_EQ(CountTroopsWithKind101(troop), 1);
    EXPECT_EQ(troop.GetIndex(), 42);  // left on the troop with the headquarters
    troop.Select(42);
    RemoveMember(troop, 0);
    troop.Select(3);
    EXPECT_EQ(CountTroopsWithKind101(troop), 0);
    EXPECT_EQ(troop.GetIndex(), 3);
}

TEST_F(TroopMembersTest, AltitudeClassComparisons) {
    MakeTroop(0, {kTank});
    MakeTroop(1, {kTruck, kGunship});
    MakeTroop(2, {kGunship});
    EXPECT_EQ(TroopsHaveSameAltitudeClass(tables, 0, 1), 1);
    EXPECT_EQ(TroopsHaveSameAltitudeClass(tables, 0, 2), 0);
    EXPECT_EQ(TroopsHaveSameAltitudeClass(tables, 0, 255), 0);
    troop.Select(2);
    EXPECT_EQ(IsAltitudeClass3(troop), 0);
    troop.Select(1);
    EXPECT_EQ(IsAltitudeClass3(troop), 1);
}

}  // namespace
}  // namespace zv::rules
