#include <gtest/gtest.h>

#include <algorithm>

#include "rules/context/RuleHelpers.h"
#include "rules/search/HexSearch.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/tests/RouteSearchFixture.h"
#include "rules/tests/TroopMembersFixture.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules {
namespace {

using routetest::World;

constexpr std::uint8_t kPlain = 0;   // ground cost 2 in the basic tables
constexpr std::uint8_t kWater = 3;   // closed to ground troops
constexpr std::uint8_t kForest = 7;  // ground cost 5

std::uint16_t MarksAt(GameContext& ctx, int x, int y) {
    EXPECT_TRUE(ctx.SelectHexInfoXY(x, y));
    return ctx.GetHexMarks() & 0x0001;
}

// With a reset grid the flood gives the neighbours 0 and the troop's own hex 1, so `limit`
// marks the hexes up to `limit` steps away, and the troop's own hex from limit 2 on.
TEST(HexSearchRange, MarksTheHexesWithinTheLimit) {
    struct Case {
        int x, y, limit;
    };
    for (const Case& c :
         {Case{20, 20, 1}, Case{20, 21, 2}, Case{20, 20, 3}, Case{1, 1, 5}, Case{62, 40, 4}}) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " limit " << c.limit);
        World w(kPlain);
        const std::uint16_t t = w.Troop(0, c.x, c.y);
        w.Settle();
        testing::GameEventsRecorder events;
        GameContext ctx(w.tables, GameContextEnv{&events});
        ASSERT_TRUE(ctx.SelectHexInfoXY(40, 5));
        ctx.SetHexMarkBits(0x0001);  // an old mark goes

        EXPECT_EQ(MarkHexesInRange(ctx, t, static_cast<std::uint8_t>(c.limit), 0), 0);
        for (int y = 0; y < kMapSize; ++y) {
            for (int x = 0; x < kMapSize; ++x) {
                const int d = HexDistance(c.x, c.y, x, y);
                const bool expected = d == 0 ? c.limit >= 2 : d <= c.limit;
                ASSERT_EQ(MarksAt(ctx, x, y), expected ? 1 : 0) << x << "," << y;
            }
        }
        EXPECT_EQ(ctx.reachStartX, c.x);
        EXPECT_EQ(ctx.reachLimit, c.limit);
        EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "MapRedraw"), 1);
    }
}

TEST(HexSearchRange, WaterOnlyAndRefusals) {
    World w(kPlain);
    w.map.Terrain(10, 9, kWater).Terrain(11, 10, 4).Terrain(9, 10, 5).Terrain(10, 11, 9);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();
    GameContext ctx(w.tables);
    MarkHexesInRange(ctx, t, 1, 0x1000);
    EXPECT_EQ(MarksAt(ctx, 10, 9), 1);
    EXPECT_EQ(MarksAt(ctx, 11, 10), 1);
    EXPECT_EQ(MarksAt(ctx, 9, 10), 1);
    EXPECT_EQ(MarksAt(ctx, 10, 11), 0);
    EXPECT_EQ(MarksAt(ctx, 9, 11), 0);

    // No troop: nothing changes.
    EXPECT_EQ(MarkHexesInRange(ctx, kNoTroop, 3, 0), 0);
    EXPECT_EQ(MarksAt(ctx, 10, 9), 1);
    // A troop off the map marks nothing (its old marks are cleared).
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(t));
    cursor.SetHex(kNoHex);
    EXPECT_EQ(MarkHexesInRange(ctx, t, 3, 0), 0);
    EXPECT_EQ(MarksAt(ctx, 10, 9), 0);
}

class HexSearchTargets : public ::testing::Test {
  protected:
    HexSearchTargets() : w(kPlain, Rules()) {
        w.map.Alliance(0, 0x01 | 0x04);
        w.map.Terrain(10, 10, kForest);
        stuck = w.Troop(0, 10, 10, 0, membertest::kTank);
    }

    static testing::RuleTableWriter Rules() {
        testing::RuleTableWriter rules = membertest::MemberRules();
        const UnitInfoRecord truck = rules.unitInfos[membertest::kTruck];
        rules.AddUnitInfo("補給艦") = truck;
        rules.unitInfos.back().SetU8(UnitInfoRecord::kAltitudeClass, 4);
        return rules;
    }
    static constexpr int kSupplyShip = 16;

    void SetFuel(std::uint16_t t, std::uint16_t fuel) {
        TroopCursor cursor(w.tables);
        ASSERT_TRUE(cursor.Select(t));
        cursor.SetMemberFuel(0, fuel);
    }

    World w;
    std::uint16_t stuck;
};

// Neighbours of (10, 10): W (9, 10), SW (9, 11), SE (10, 11), E (11, 10), NE (10, 9), NW (9, 9).
TEST_F(HexSearchTargets, MarksOwnAndAlliedSupplyTroopsNextToAStrandedTroop) {
    w.Troop(0, 9, 10, 0, membertest::kTruck);        // marked
    w.Troop(1, 11, 10, 0x0011, membertest::kTruck);  // enemy
    w.Troop(2, 10, 9, 0, membertest::kTruck);        // ally: marked
    w.Troop(0, 9, 11, 0, membertest::kTank);         // cannot supply
    const std::uint16_t empty = w.Troop(0, 10, 11, 0, membertest::kTruck);
    w.Troop(0, 9, 9, 0, kSupplyShip);  // another altitude
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(empty));
    cursor.SetMemberStrength(0, 0);  // nothing left to hand over
    SetFuel(stuck, 4);
    w.Settle();

    testing::GameEventsRecorder events;
    GameContext ctx(w.tables, GameContextEnv{&events});
    EXPECT_EQ(MarkNeighbourTargets(ctx, stuck), 0);
    EXPECT_EQ(MarksAt(ctx, 9, 10), 1);
    EXPECT_EQ(MarksAt(ctx, 10, 9), 1);
    EXPECT_EQ(MarksAt(ctx, 11, 10), 0);
    EXPECT_EQ(MarksAt(ctx, 9, 11), 0);
    EXPECT_EQ(MarksAt(ctx, 10, 11), 0);
    EXPECT_EQ(MarksAt(ctx, 9, 9), 0);
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "MapRedraw"), 1);
}

TEST_F(HexSearchTargets, ATroopThatCanMoveOnMarksNothing) {
    w.Troop(0, 9, 10, 0, membertest::kTruck);
    SetFuel(stuck, 5);  // the forest costs 5
    w.Settle();
    testing::GameEventsRecorder events;
    GameContext ctx(w.tables, GameContextEnv{&events});
    EXPECT_EQ(MarkNeighbourTargets(ctx, stuck), 0);
    EXPECT_EQ(MarksAt(ctx, 9, 10), 0);
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "MapRedraw"), 0);
    EXPECT_EQ(MarkNeighbourTargets(ctx, kNoTroop), 0);
}

class HexSearchWaypoints : public ::testing::Test {
  protected:
    HexSearchWaypoints() : w(kWater) {
        w.DrawRow(10, 10, 22, kPlain);
        troop = w.Troop(0, 10, 10);
        enemy = w.Troop(1, 21, 10, 0x0001);  // a known enemy beyond the target
    }

    std::uint16_t Waypoint(int i, TableId table = TableId::Troop) {
        TroopCursor cursor(w.tables, table);
        EXPECT_TRUE(cursor.Select(troop));
        return cursor.GetWaypoint(i);
    }

    World w;
    std::uint16_t troop;
    std::uint16_t enemy;
};

TEST_F(HexSearchWaypoints, QuartersOfTheRoute) {
    w.Settle();
    RouteSearchSet set(w.tables);
    GameContextEnv env;
    env.routeSearches = &set;
    GameContext ctx(w.tables, env);

    // 9 steps: a quarter is 2 steps, so waypoints after steps 2, 4 and 6.
    ASSERT_EQ(PlanRouteWaypoints(ctx, troop, MakeHexPosition(19, 10)), 1);
    EXPECT_EQ(Waypoint(0), MakeHexPosition(10, 10));
    EXPECT_EQ(Waypoint(1), MakeHexPosition(12, 10));
    EXPECT_EQ(Waypoint(2), MakeHexPosition(14, 10));
    EXPECT_EQ(Waypoint(3), MakeHexPosition(16, 10));
    // The live context planned on its own instance, not the map windows'.
    EXPECT_EQ(set.Ctx().GetCellCost(19, 10), 18);
    EXPECT_EQ(set.Map().GetCellCost(19, 10), kUnreachedCost);

    // Fewer than 4 steps keep only waypoint 0.
    ASSERT_EQ(PlanRouteWaypointsOnMap(ctx, troop, MakeHexPosition(12, 10)), 1);
    EXPECT_EQ(Waypoint(0), MakeHexPosition(10, 10));
    EXPECT_EQ(Waypoint(1), kNoHex);
    EXPECT_EQ(set.Map().GetCellCost(12, 10), 4);

    // Already there.
    EXPECT_EQ(PlanRouteWaypoints(ctx, troop, MakeHexPosition(10, 10)), 0);
    EXPECT_EQ(Waypoint(0), MakeHexPosition(10, 10));
    EXPECT_EQ(Waypoint(3), kNoHex);

    // Not on the map.
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(troop));
    cursor.SetHex(kNoHex);
    EXPECT_EQ(PlanRouteWaypoints(ctx, troop, MakeHexPosition(12, 10)), 0);
}

TEST_F(HexSearchWaypoints, OnlyTheShadowPlansAroundKnownEnemies) {
    w.Settle();
    GameContext live(w.tables);
    ASSERT_EQ(PlanRouteWaypoints(live, troop, MakeHexPosition(22, 10)), 1);
    EXPECT_EQ(Waypoint(1), MakeHexPosition(13, 10));
    EXPECT_EQ(Waypoint(3), MakeHexPosition(19, 10));

    ShadowGameContext shadow(w.tables);
    ASSERT_EQ(PlanRouteWaypoints(shadow, troop, MakeHexPosition(22, 10)), 1);
    EXPECT_EQ(Waypoint(0, TableId::ShadowTroop), MakeHexPosition(10, 10));
    EXPECT_EQ(Waypoint(1, TableId::ShadowTroop), kNoHex);
    // The live record is the live context's alone.
    EXPECT_EQ(Waypoint(1), MakeHexPosition(13, 10));
}

// With the step's reuse on, the shadow plans on the troop's kept search when nothing it depends on
// changed and it holds the target: the same waypoints, and the grid the kept one. A troop moved
// onto the way changes the marks, and the planning searches again.
TEST_F(HexSearchWaypoints, TheShadowPlansOnTheTroopsKeptSearchWhileItHolds) {
    w.Settle();
    RouteSearchSet set(w.tables);
    GameContextEnv env;
    env.routeSearches = &set;
    ShadowGameContext shadow(w.tables, env);
    set.SetReuseTroopSearches(true);
    ASSERT_NE(set.TroopMemo(troop, 0), nullptr);
    EXPECT_EQ(set.TroopMemo(troop, 2), nullptr);
    EXPECT_EQ(set.TroopMemo(kTroopTableLimit, 0), nullptr);

    // The step's search for the routes to its candidates, the farther one beyond the target.
    const std::uint16_t candidates[] = {MakeHexPosition(19, 10), MakeHexPosition(20, 10)};
    bool reused = true;
    ASSERT_EQ(set.Sim().ComputeRouteToReusing(shadow, troop, 10, 10, nullptr, 0, candidates,
                                              *set.TroopMemo(troop, 0), reused),
              1);
    EXPECT_FALSE(reused);
    set.Sim().ResetGrid();

    ASSERT_EQ(PlanRouteWaypoints(shadow, troop, MakeHexPosition(19, 10)), 1);
    EXPECT_EQ(Waypoint(1, TableId::ShadowTroop), MakeHexPosition(12, 10));
    EXPECT_EQ(Waypoint(2, TableId::ShadowTroop), MakeHexPosition(14, 10));
    EXPECT_EQ(Waypoint(3, TableId::ShadowTroop), MakeHexPosition(16, 10));
    // A search of its own would have stopped at the target's cost, 18.
    EXPECT_EQ(set.Sim().GetCellCost(20, 10), 20);

    // Without the reuse the same waypoints from a search of its own.
    set.SetReuseTroopSearches(false);
    ASSERT_EQ(PlanRouteWaypoints(shadow, troop, MakeHexPosition(19, 10)), 1);
    EXPECT_EQ(Waypoint(2, TableId::ShadowTroop), MakeHexPosition(14, 10));
    EXPECT_EQ(set.Sim().GetCellCost(20, 10), kUnreachedCost);

    // The known enemy steps onto the way: the kept search no longer matches.
    set.SetReuseTroopSearches(true);
    TroopCursor shadowTroops(w.tables, TableId::ShadowTroop);
    ASSERT_TRUE(shadowTroops.Select(enemy));
    shadowTroops.SetHex(MakeHexPosition(15, 10));
    ASSERT_EQ(PlanRouteWaypoints(shadow, troop, MakeHexPosition(19, 10)), 1);
    EXPECT_EQ(Waypoint(0, TableId::ShadowTroop), MakeHexPosition(10, 10));
    EXPECT_EQ(Waypoint(1, TableId::ShadowTroop), kNoHex);
    EXPECT_EQ(set.Sim().GetCellCost(19, 10), kUnreachedCost);
}

}  // namespace
}  // namespace zv::rules
