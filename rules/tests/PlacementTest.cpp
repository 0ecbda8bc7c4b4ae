#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "rules/countries/CountryStatistics.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/tests/BattleFixture.h"
#include "rules/troops/Placement.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules::battletest {
namespace {

constexpr char kSecondHq[] = "司令部はすでに配置されています。 [ok]";
constexpr char kBoardQuestion[] = "搭載しますか [yes/no]";
constexpr char kCannotBoard[] = "この部隊は搭載できません [ok]";

class PlacementTest : public BattleTest {
  protected:
    // A troop of the working force made of the units; its index there.
    std::uint16_t AddForceTroop(std::initializer_list<int> units) {
        ForceCursor force(tables);
        const std::uint16_t t = force.FindFreeTroopSlot();
        force.SelectForceTroop(t);
        force.ResetCurrentTroop();
        force.SetSlotByte(0);
        force.SetCountry(5);
        force.SetHex(kNoHex);
        int slot = 0;
        for (int unit : units) SetMemberUnit(force, slot++, static_cast<std::int16_t>(unit));
        force.RefreshAltitudeClass();
        return t;
    }
    TroopRecord& ForceTroop(std::uint16_t t) {
        ForceCursor force(tables);
        force.SelectForceTroop(t);
        return *force.GetRecord();
    }
    bool ForceTroopFree(std::uint16_t t) {
        const TroopRecord& r = ForceTroop(t);
        return r.SlotByte() == kUnusedSlotByte && r.Country() == 0xFF;
    }
    void FillForce() {
        while (ForceCursor(tables).FindFreeTroopSlot() != kNoTroop) AddForceTroop({kRifles});
    }
    std::int32_t Funds(std::uint8_t c) {
        CountryCursor countries(tables);
        countries.Select(c);
        return countries.GetFunds();
    }
    void SetFunds(std::uint8_t c, std::int32_t funds) {
        CountryCursor countries(tables);
        countries.Select(c);
        countries.SetFunds(funds);
    }
    std::uint16_t HexTroop(int x, int y) {
        GameContext ctx(tables);
        ctx.SelectHexInfoXY(x, y);
        return ctx.GetHexTroopIndex();
    }
    int Place(std::uint8_t c, std::uint16_t n, int x, int y, std::uint8_t player = 0) {
        GameContext ctx(tables, Env(player));
        return PlaceUnitOnMap(ctx, workspace, c, n, MakeHexInfoPosition(x, y));
    }
    int Recover(std::uint16_t t) {
        GameContext ctx(tables, Env());
        return RecoverTroop(ctx, workspace, t);
    }
    int RecoverAt(int x, int y) {
        GameContext ctx(tables, Env());
        return RecoverTroopAtHex(ctx, workspace, MakeHexPosition(x, y));
    }
    std::uint64_t Hash() { return tables.HashLiveTables(); }

    ForceWorkspace* workspace = nullptr;
};

TEST_F(PlacementTest, APlacedTroopLeavesTheForceAndIsPaidFor) {
    const std::uint16_t n = AddForceTroop({kRifles, kRifles});
    SetFunds(0, 200);  // exactly the price
    ASSERT_EQ(Place(0, n, 3, 3), 1);

    EXPECT_EQ(Funds(0), 0);
    EXPECT_EQ(GetCountryStats(tables, 0)->Total(), 200);
    EXPECT_TRUE(ForceTroopFree(n));
    const TroopRecord& placed = Troop(0);  // the first record of country 0
    EXPECT_TRUE(placed.IsUsed());
    EXPECT_EQ(placed.Country(), 0);
    EXPECT_EQ(placed.Hex(), MakeHexPosition(3, 3));
    EXPECT_EQ(placed.Flags() & kTroopOnMap, kTroopOnMap);
    EXPECT_EQ(HexTroop(3, 3), 0);
    EXPECT_EQ(events.events.back(), "RefreshTroopListWindow");
    EXPECT_TRUE(events.messages.empty());
}

TEST_F(PlacementTest, TheTroopsCountryPaysWhoeverThePlayerIs) {
    const std::uint16_t n = AddForceTroop({kTank});
    SetFunds(1, 300);
    SetFunds(2, 5000);
    ASSERT_EQ(Place(1, n, 3, 3, /*player=*/2), 1);
    EXPECT_EQ(Funds(1), 0);
    EXPECT_EQ(Funds(2), 5000);
    EXPECT_EQ(Troop(40).Country(), 1);

    // In the editor there is no local country; the troop's country still pays.
    const std::uint16_t m = AddForceTroop({kTank});
    SetFunds(0, 299);
    const std::uint64_t before = Hash();
    EXPECT_EQ(Place(0, m, 4, 4, /*player=*/6), 0);
    EXPECT_EQ(Hash(), before);
}

TEST_F(PlacementTest, RefusalsChangeNothing) {
    struct Case {
        const char* name;
        std::string message;
        std::uint8_t country;
    };
    const Case cases[] = {
        {"deploy limit reached", "", 0}, {"second headquarters", kSecondHq, 0},
        {"funds one short", "", 0},      {"forty records used", "", 0},
        {"not a country", "", 4},        {"scratch mode on", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TroopCursor(tables).ResetAllTroops();
        ForceCursor force(tables);
        force.SelectSlot(5);
        force.ClearForce();
        GameContext(tables).RebuildHexOccupancy();
        ScenarioHeaderCursor(tables).SetDeployLimit(40);
        SetFunds(0, 10000);
        events = FightEvents();
        ForceWorkspace scratch;
        workspace = nullptr;

        std::uint16_t n = AddForceTroop({kRifles});
        const std::string name = c.name;
        if (name == "deploy limit reached") {
            AddTroop(0, 1, 1, {kRifles});
            ScenarioHeaderCursor(tables).SetDeployLimit(1);
        } else if (name == "second headquarters") {
            AddTroop(0, 1, 1, {kTank, kHq});
            n = AddForceTroop({kHq});
        } else if (name == "funds one short") {
            SetFunds(0, 99);
        } else if (name == "forty records used") {
            ScenarioHeaderCursor(tables).SetDeployLimit(60);
            for (int i = 0; i < 40; ++i) AddTroop(0, i, 20, {kRifles});
        } else if (name == "scratch mode on") {
            BeginForceScratchMode(scratch);
            workspace = &scratch;
        }
        const std::uint64_t before = Hash();
        EXPECT_EQ(Place(c.country, n, 3, 3), 0);
        EXPECT_EQ(Hash(), before);
        if (c.message.empty()) {
            EXPECT_TRUE(events.messages.empty());
        } else {
            EXPECT_EQ(events.messages, std::vector<std::string>{c.message});
        }
    }
    // Another country may have its own headquarters.
    workspace = nullptr;
    const std::uint16_t hq = AddForceTroop({kHq});
    EXPECT_EQ(Place(1, hq, 5, 5), 1);
}

TEST_F(PlacementTest, TheTerrainMustSuitTheTroop) {
    // Row y holds the same terrain in columns 10-14 for each case's own hex.
    HexCursor hex(tables);
    for (int y = 0; y < 2; ++y) {
        auto land = [&](int x, std::uint8_t kind, std::uint8_t river, std::uint8_t road) {
            hex.SelectXY(MakeHexPosition(x, y));
            hex.SetLandKind(kind);
            hex.SetRiver(river);
            hex.SetRoad(road);
        };
        land(10, 5, kNoRiver, kNoRoad);  // sea: class 5
        land(11, 9, kNoRiver, kNoRoad);  // mountain: class 9
        land(12, 1, kNoRiver, kNoRoad);  // rough: class 1
        land(13, 0, 0x01, kNoRoad);      // a river without road: class 14
        land(14, 0, 0x01, 0x08);         // with a road a ground troop sees class 13
    }
    struct Case {
        int unit;
        int x;
        int placed;
    };
    // Ground troops go by their cost table (water impassable); an engineer (unit kind of class
    // 6) by the default mask, whatever its costs.
    const Case cases[] = {
        {kRifles, 10, 0},   {kRifles, 11, 1},   {kRifles, 13, 1},
        {kRifles, 14, 1},   {kEngineer, 10, 0}, {kEngineer, 11, 0},
        {kEngineer, 12, 1}, {kEngineer, 13, 0}, {kEngineer, 14, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.unit) + " at " + std::to_string(c.x));
        const std::uint16_t n = AddForceTroop({c.unit});
        const std::uint64_t before = Hash();
        EXPECT_EQ(Place(0, n, c.x, c.unit == kRifles ? 0 : 1), c.placed);
        if (!c.placed) {
            EXPECT_EQ(Hash(), before);
        }
    }
    EXPECT_TRUE(events.messages.empty());
}

TEST_F(PlacementTest, PlacingOnACarrierAsksAndLoads) {
    const std::uint16_t carrier = AddTroop(0, 4, 4, {kCarrier});
    const std::uint16_t enemyCarrier = AddTroop(1, 6, 6, {kCarrier});
    const std::uint16_t rifles = AddTroop(0, 8, 8, {kRifles});
    const std::uint16_t n = AddForceTroop({kRifles});

    // No: nothing changes.
    events.answerYes = false;
    std::uint64_t before = Hash();
    EXPECT_EQ(Place(0, n, 4, 4), 0);
    EXPECT_EQ(Hash(), before);
    EXPECT_EQ(events.messages, std::vector<std::string>{kBoardQuestion});

    // Not a carrier, or another country's carrier: it cannot board.
    for (auto [x, y] : {std::pair{8, 8}, std::pair{6, 6}}) {
        events.messages.clear();
        before = Hash();
        EXPECT_EQ(Place(0, n, x, y), 0);
        EXPECT_EQ(Hash(), before);
        EXPECT_EQ(events.messages, std::vector<std::string>{kCannotBoard});
    }
    (void)enemyCarrier;
    (void)rifles;

    // Yes: the troop rides in the carrier, which keeps the hex.
    events.messages.clear();
    events.answerYes = true;
    const std::int32_t funds = Funds(0);
    ASSERT_EQ(Place(0, n, 4, 4), 1);
    const std::uint16_t s = 2;  // records 0 and 1 of country 0 were taken
    EXPECT_EQ(Troop(s).Carrier(), carrier);
    EXPECT_EQ(Troop(s).Hex(), MakeHexPosition(4, 4));
    EXPECT_EQ(Troop(s).Flags() & (kTroopOnMap | kTroopAboard), kTroopOnMap | kTroopAboard);
    EXPECT_EQ(Troop(s).Country(), 0);
    EXPECT_TRUE(Troop(carrier).Flags() & kTroopCarrying);
    EXPECT_EQ(HexTroop(4, 4), carrier);
    EXPECT_EQ(Funds(0), funds - 100);
}

TEST_F(PlacementTest, RecoveryRefundsTheTroopsOwnCountry) {
    const std::uint16_t t = AddTroop(1, 7, 7, {kTank});
    const std::uint16_t taken = AddForceTroop({kRifles});
    const std::int32_t funds = Funds(1);
    ASSERT_EQ(Recover(t), 1);
    EXPECT_EQ(Funds(1), funds + 300);
    EXPECT_FALSE(Troop(t).IsUsed());
    EXPECT_EQ(HexTroop(7, 7), kNoTroop);
    const std::uint16_t f = taken + 1;  // the first free troop of the force
    const TroopRecord& back = ForceTroop(f);
    EXPECT_EQ(back.Country(), 5);
    EXPECT_EQ(back.Hex(), kNoHex);
    EXPECT_EQ(back.Flags() & kTroopOnMap, 0);
    EXPECT_EQ(back.SlotMember(0)->Unit(), kTank);

    EXPECT_EQ(Recover(t), 0);  // a free record is nothing to take back
}

TEST_F(PlacementTest, AFullForceTakesNothingBack) {
    const std::uint16_t carrier = AddTroop(0, 4, 4, {kCarrier});
    const std::uint16_t n = AddForceTroop({kRifles});
    ASSERT_EQ(Place(0, n, 4, 4), 1);
    const std::uint16_t passenger = 1;
    const std::uint16_t alone = AddTroop(0, 9, 9, {kRifles});
    FillForce();
    const std::uint64_t before = Hash();
    EXPECT_EQ(Recover(passenger), 0);  // not even taken off its carrier
    EXPECT_EQ(Recover(alone), 0);
    events.carrierChoice = carrier;
    EXPECT_EQ(RecoverAt(4, 4), 0);
    EXPECT_EQ(RecoverAt(9, 9), 0);
    EXPECT_EQ(Hash(), before);

    // Room for one troop is not room for a carrier with its load.
    ForceCursor force(tables);
    force.SelectForceTroop(0);
    force.ResetCurrentTroop();
    EXPECT_EQ(RecoverAt(4, 4), 0);
    EXPECT_EQ(RecoverAt(9, 9), 1);
}

TEST_F(PlacementTest, ACarrierComesBackWithItsLoadOrLeavesOnePassenger) {
    struct Case {
        bool chooseCarrier;
        bool cancel;
    };
    for (const Case c : {Case{true, false}, Case{false, false}, Case{false, true}}) {
        SCOPED_TRACE(std::to_string(c.chooseCarrier) + std::to_string(c.cancel));
        TroopCursor(tables).ResetAllTroops();
        ForceCursor force(tables);
        force.SelectSlot(5);
        force.ClearForce();
        GameContext(tables).RebuildHexOccupancy();
        const std::uint16_t carrier = AddTroop(0, 4, 4, {kCarrier});
        const std::uint16_t n = AddForceTroop({kRifles});
        ASSERT_EQ(Place(0, n, 4, 4), 1);
        const std::uint16_t passenger = 1;
        const std::int32_t funds = Funds(0);
        events.carrierChoice = c.cancel ? kNoTroop : (c.chooseCarrier ? carrier : passenger);
        const std::uint64_t before = Hash();

        const int result = RecoverAt(4, 4);
        if (c.cancel) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(Hash(), before);
            continue;
        }
        ASSERT_EQ(result, 1);
        EXPECT_FALSE(Troop(passenger).IsUsed());
        // The passenger comes back first, into the first free troop of the force.
        EXPECT_EQ(ForceTroop(0).SlotMember(0)->Unit(), kRifles);
        if (c.chooseCarrier) {
            EXPECT_FALSE(Troop(carrier).IsUsed());
            EXPECT_EQ(ForceTroop(1).SlotMember(0)->Unit(), kCarrier);
            EXPECT_EQ(HexTroop(4, 4), kNoTroop);
            EXPECT_EQ(Funds(0), funds + 100 + 600);
        } else {
            EXPECT_TRUE(Troop(carrier).IsUsed());
            EXPECT_FALSE(Troop(carrier).Flags() & kTroopCarrying);
            EXPECT_EQ(HexTroop(4, 4), carrier);
            EXPECT_TRUE(ForceTroopFree(1));
            EXPECT_EQ(Funds(0), funds + 100);
        }
    }

    // A choice that is not in this carrier changes nothing.
    const std::uint16_t carrier = AddTroop(0, 10, 10, {kCarrier});
    const std::uint16_t other = AddTroop(0, 12, 12, {kRifles});
    Troop(carrier).SetFlags(kTroopOnMap | kTroopCarrying);
    events.carrierChoice = other;
    const std::uint64_t before = Hash();
    EXPECT_EQ(RecoverAt(10, 10), 0);
    EXPECT_EQ(Hash(), before);
}

TEST_F(PlacementTest, RecoverAllTakesBackWhatIsOnTheMapOrCarried) {
    ForceWorkspace scratch;
    BeginForceScratchMode(scratch);
    workspace = &scratch;
    const std::uint16_t carrier = AddTroop(0, 4, 4, {kCarrier});
    const std::uint16_t onMap = AddTroop(0, 6, 6, {kTank});
    const std::uint16_t waiting = AddTroop(0, 0, 0, {kRifles});
    Troop(waiting).SetFlags(0);
    Troop(waiting).SetHex(kNoHex);
    const std::uint16_t enemy = AddTroop(1, 8, 8, {kRifles});
    const std::uint16_t passenger = AddTroop(0, 4, 4, {kHq});
    {
        GameContext ctx(tables);
        ctx.Troops().Select(passenger);
        LoadTroop(ctx.Troops(), carrier, passenger);
        ctx.SelectHexInfoXY(4, 4);
        ctx.SetHexTroopIndex(carrier);
    }
    const std::int32_t funds = Funds(0);

    GameContext ctx(tables, Env());
    EXPECT_EQ(RecoverAllTroops(ctx, workspace, 0), 1);
    for (std::uint16_t t : {carrier, onMap, passenger}) EXPECT_FALSE(Troop(t).IsUsed()) << t;
    EXPECT_TRUE(Troop(waiting).IsUsed());
    EXPECT_TRUE(Troop(enemy).IsUsed());
    EXPECT_EQ(Funds(0), funds + 600 + 300 + 500);
    EXPECT_TRUE(scratch.ScratchOn());
    EXPECT_EQ(events.events.back(), "FrameRedraw");

    // Country 0's corps holds them now: the passenger first, then the others in index order.
    ForceCursor corps(tables, 0);
    std::vector<int> units;
    for (std::uint16_t t = 0; t < 3; ++t) {
        corps.SelectForceTroop(t);
        units.push_back(corps.GetRecord()->SlotMember(0)->Unit());
    }
    EXPECT_EQ(units, (std::vector<int>{kHq, kCarrier, kTank}));
    EXPECT_EQ(RecoverAllTroops(ctx, workspace, 4), 0);
}

TEST(DefaultTerrainMask, ExcludesWaterMountainsRiversAndHighSnow) {
    std::uint8_t mask[kMoveCostClasses];
    FillDefaultTerrainMask(mask);
    for (int k = 0; k < kMoveCostClasses; ++k) {
        const bool closed =
            k == 3 || k == 4 || k == 5 || k == 9 || k == 10 || k == 14 || k == 27 || k == 28;
        EXPECT_EQ(mask[k], closed ? 0 : 1) << k;
    }
}

}  // namespace
}  // namespace zv::rules::battletest
