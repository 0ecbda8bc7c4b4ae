#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <queue>
#include <random>

#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/tests/RouteSearchFixture.h"

namespace zv::rules {
namespace {

using routetest::kCheap;
using routetest::kDear;
using routetest::kWall;
using routetest::World;

const std::array<std::uint8_t, 29> kCosts = routetest::MakeCostTable();

// One instance with the context of the tables it reads (the shadow for Simulation).
struct Search {
    RouteSearch search;
    std::unique_ptr<GameContext> ctx;

    Search(World& world, RouteInstance instance)
        : search(world.tables, instance),
          ctx(instance == RouteInstance::Simulation
                  ? std::unique_ptr<GameContext>(new ShadowGameContext(world.tables))
                  : std::make_unique<GameContext>(world.tables)) {}

    int Area(std::uint16_t troop, int x, int y, int skipTroops = 0,
             const std::uint8_t* table = kCosts.data()) {
        return search.ComputeArea(*ctx, troop, x, y, table, skipTroops);
    }
    std::vector<RouteStep> steps = std::vector<RouteStep>(kMaxRouteSteps + 1);
    int Trace(int x, int y) { return search.TraceRoute(steps, x, y); }
};

constexpr RouteInstance kAllInstances[] = {RouteInstance::Map, RouteInstance::Context,
                                           RouteInstance::Simulation};

TEST(RouteSearchArea, StartOnAnImpassableHexStillSpreads) {
    World w;
    w.Draw({{9, 10}, {11, 10}}, kCheap);  // the start (10, 10) stays a wall
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();
    for (RouteInstance instance : kAllInstances) {
        Search s(w, instance);
        ASSERT_EQ(s.Area(t, 10, 10), 1);
        EXPECT_EQ(s.search.GetCellCost(10, 10), 0);
        EXPECT_EQ(s.search.GetCell(10, 10).cost, kCannotEnter);
        EXPECT_EQ(s.search.GetCellCost(9, 10), 1);
        EXPECT_EQ(s.search.GetCellCost(11, 10), 1);
        EXPECT_EQ(s.search.GetCellCost(12, 10), kUnreachedCost);
    }
}

TEST(RouteSearchArea, RefusesAnUnknownTroopOrAStartOffTheMap) {
    World w(kCheap);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();
    Search s(w, RouteInstance::Map);
    ASSERT_EQ(s.Area(t, 10, 10), 1);
    EXPECT_EQ(s.Area(kTroopTableLimit, 10, 10), 0);  // no such troop
    EXPECT_EQ(s.search.GetCellCost(11, 10), kUnreachedCost);
    ASSERT_EQ(s.Area(t, 10, 10), 1);
    EXPECT_EQ(s.Area(t, 64, 3), 0);
    EXPECT_EQ(s.Area(t, -1, 3), 0);
    EXPECT_EQ(s.search.GetCellCost(11, 10), kUnreachedCost);
    EXPECT_EQ(s.search.GetCellCost(64, 0), kUnreachedCost);
    EXPECT_EQ(s.search.GetCellTerrain(-1, 0, 1), kNoTerrainClass);
    EXPECT_EQ(s.search.IsCellEnterable(0, 64), 0);
}

// Corridor (5..12, 10); the searching troop on (5, 10), another troop on (8, 10).
struct ZoneCase {
    const char* name;
    std::uint8_t country;
    std::uint16_t mask;
    std::uint8_t expectedMark;  // 0: the troop is not known and routes pass through it
};

class RouteSearchZones : public ::testing::TestWithParam<std::tuple<ZoneCase, RouteInstance>> {};

TEST_P(RouteSearchZones, OccupiedHexesAreReachedButNotPassed) {
    const auto& [c, instance] = GetParam();
    World w;
    w.DrawRow(10, 5, 12, kCheap);
    w.map.Alliance(0, 0x01 | 0x04);  // country 0 counts country 2 as its ally
    const std::uint16_t t = w.Troop(0, 5, 10);
    w.Troop(c.country, 8, 10, c.mask);
    w.Settle();
    Search s(w, instance);

    ASSERT_EQ(s.Area(t, 5, 10), 1);
    EXPECT_EQ(s.search.GetCellCost(8, 10), 3);
    if (c.expectedMark != 0) {
        EXPECT_EQ(s.search.GetCellMark(8, 10), c.expectedMark);
        EXPECT_EQ(s.search.GetCellCost(9, 10), kUnreachedCost);
        // The occupied hex itself can be the end of a route.
        ASSERT_EQ(s.Trace(8, 10), 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(s.steps[i].dx, 1);
        EXPECT_EQ(s.Trace(9, 10), 0);
    } else {
        EXPECT_EQ(s.search.GetCellCost(9, 10), 4);
    }

    // Without troops every route passes.
    ASSERT_EQ(s.Area(t, 5, 10, 1), 1);
    EXPECT_EQ(s.search.GetCellCost(12, 10), 7);
    EXPECT_EQ(s.Trace(12, 10), 7);
}

constexpr ZoneCase kZoneCases[] = {
    {"UnseenEnemy", 1, 0x0000, 0},
    {"DetectedOnlyEnemy", 1, 0x0100, 0},
    {"SightedEnemy", 1, 0x0001, kCellMarkForeignTroop},
    {"IdentifiedEnemy", 1, 0x0010, kCellMarkForeignTroop},
    {"OwnTroop", 0, 0x0000, kCellMarkFriendlyTroop},
    {"Ally", 2, 0x0000, kCellMarkFriendlyTroop},
};

INSTANTIATE_TEST_SUITE_P(Cases, RouteSearchZones,
                         ::testing::Combine(::testing::ValuesIn(kZoneCases),
                                            ::testing::ValuesIn(kAllInstances)),
                         [](const auto& testCase) {
                             return std::string(std::get<0>(testCase.param).name) + "Instance" +
                                    std::to_string(static_cast<int>(std::get<1>(testCase.param)));
                         });

TEST(RouteSearchArea, SimulationIgnoresTroopsWithoutMembers) {
    World w;
    w.DrawRow(10, 5, 12, kCheap);
    const std::uint16_t t = w.Troop(0, 5, 10);
    const std::uint16_t empty = w.Troop(1, 8, 10, 0x0001);
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(empty));
    cursor.SetFormationMember(0, 0, kEmptyMapEntry);
    w.Settle();

    Search map(w, RouteInstance::Map);
    ASSERT_EQ(map.Area(t, 5, 10), 1);
    EXPECT_EQ(map.search.GetCellCost(9, 10), kUnreachedCost);
    Search sim(w, RouteInstance::Simulation);
    ASSERT_EQ(sim.Area(t, 5, 10), 1);
    EXPECT_EQ(sim.search.GetCellCost(9, 10), 4);
}

// S = (10, 10). The dear hex (11, 10) puts X = (12, 10) in the queue first at 51; the cheap way
// round (10, 9), (11, 9) lowers X to 3 only after X was expanded.
TEST(RouteSearchArea, ACheaperWayFoundLateIsPassedOnOnlyBySimulation) {
    World w;
    w.Draw({{11, 10}}, kDear);
    w.Draw({{10, 9}, {11, 9}, {12, 10}, {13, 10}}, kCheap);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();

    struct Expect {
        RouteInstance instance;
        std::uint16_t beyond;
    };
    for (const Expect& e : {Expect{RouteInstance::Map, 52}, Expect{RouteInstance::Context, 52},
                            Expect{RouteInstance::Simulation, 4}}) {
        SCOPED_TRACE(static_cast<int>(e.instance));
        Search s(w, e.instance);
        ASSERT_EQ(s.Area(t, 10, 10), 1);
        EXPECT_EQ(s.search.GetCellCost(11, 10), 50);
        EXPECT_EQ(s.search.GetCellCost(11, 9), 2);
        EXPECT_EQ(s.search.GetCellCost(12, 10), 3);
        EXPECT_EQ(s.search.GetCellCost(13, 10), e.beyond);
        // Either way the trace takes the cheap way round.
        ASSERT_EQ(s.Trace(13, 10), 4);
        EXPECT_EQ(routetest::Walk(10, 10, s.steps, 1), std::make_pair(10, 9));
        EXPECT_EQ(routetest::Walk(10, 10, s.steps, 4), std::make_pair(13, 10));
    }
}

// Two neighbours of the target lie on equally cheap routes: the trace takes the one that comes
// first in its order for the row's parity (west side on even rows, east side on odd rows).
// A search given back from a memo reads exactly as a new search would, grid and routes alike;
// whatever it depends on changes (a troop's mark, the start, the costs), it searches again.
// Room made for a troop's kept searches holds no result: the first search with a reserved memo
// searches and keeps; the step tables made room for fill as before.
TEST(RouteSearchSets, ReservedMemosAreNotResults) {
    World w(kCheap);
    w.DrawRow(12, 4, 30, kWall);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();
    RouteSearchSet set(w.tables);
    const std::uint16_t troops[] = {t, static_cast<std::uint16_t>(t + 1)};
    set.ReserveTroopMemos(troops);
    RouteAreaMemo* memo = set.TroopMemo(t, 0);
    ASSERT_NE(memo, nullptr);
    EXPECT_FALSE(memo->valid);
    ASSERT_NE(set.PlanMemo(t), nullptr);
    EXPECT_FALSE(set.PlanMemo(t)->valid);

    ShadowGameContext shadow(w.tables);
    Search fresh(w, RouteInstance::Simulation);
    const std::uint16_t target[] = {MakeHexPosition(10, 20)};
    for (const bool reusedWanted : {false, true}) {
        bool reused = !reusedWanted;
        ASSERT_EQ(set.Sim().ComputeRouteToReusing(shadow, t, 10, 10, kCosts.data(), 0, target,
                                                  *memo, reused),
                  1);
        EXPECT_EQ(reused, reusedWanted);
        ASSERT_EQ(fresh.Area(t, 10, 10), 1);
        EXPECT_EQ(set.Sim().GetCellCost(10, 20), fresh.search.GetCellCost(10, 20));
        EXPECT_GT(set.Sim().GetCellCost(10, 20), 10);
        EXPECT_NE(set.Sim().GetCellCost(10, 20), kUnreachedCost);
    }
}

TEST(RouteSearchArea, ReusedAreaReadsAsANewSearch) {
    World w(kCheap);
    w.DrawRow(12, 4, 30, kWall);
    w.Draw({{20, 8}, {21, 8}, {22, 9}, {14, 15}}, kDear);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Troop(0, 11, 10);            // a friend beside the start
    w.Troop(0, 10, 10);            // one more on the start hex itself
    const std::uint16_t enemy = w.Troop(1, 16, 9, 0x0001);
    w.Troop(1, 30, 20, 0x0000);    // unseen: no mark
    w.Settle();
    Search s(w, RouteInstance::Simulation);
    Search fresh(w, RouteInstance::Simulation);
    RouteAreaMemo memo;
    auto expectSameAsFresh = [&](int x, int y, const std::uint8_t* table, bool reusedWanted) {
        bool reused = !reusedWanted;
        ASSERT_EQ(s.search.ComputeAreaReusing(*s.ctx, t, x, y, table, 0, memo, reused), 1);
        EXPECT_EQ(reused, reusedWanted);
        ASSERT_EQ(fresh.Area(t, x, y, 0, table), 1);
        std::vector<RouteCell> a(kHexCount), b(kHexCount);
        s.search.GetGrid(std::span<RouteCell, kHexCount>(a.data(), kHexCount));
        fresh.search.GetGrid(std::span<RouteCell, kHexCount>(b.data(), kHexCount));
        for (int i = 0; i < kHexCount; ++i) {
            ASSERT_EQ(a[i].reachedCost, b[i].reachedCost) << "cell " << i;
            ASSERT_EQ(a[i].mark, b[i].mark) << "cell " << i;
            ASSERT_EQ(a[i].cost, b[i].cost) << "cell " << i;
        }
        for (auto [tx, ty] : {std::pair{40, 30}, std::pair{16, 9}, std::pair{10, 10}}) {
            EXPECT_EQ(s.Trace(tx, ty), fresh.Trace(tx, ty));
            EXPECT_EQ(routetest::Walk(x, y, s.steps, 3), routetest::Walk(x, y, fresh.steps, 3));
        }
    };
    expectSameAsFresh(10, 10, kCosts.data(), false);
    expectSameAsFresh(10, 10, kCosts.data(), true);
    fresh.Area(t, 40, 40);  // other searches in between change nothing
    expectSameAsFresh(10, 10, kCosts.data(), true);
    expectSameAsFresh(10, 11, kCosts.data(), false);  // another start
    expectSameAsFresh(10, 11, kCosts.data(), true);
    std::array<std::uint8_t, 29> dearer = kCosts;
    dearer[kDear] = 60;
    expectSameAsFresh(10, 11, dearer.data(), false);  // other costs
    // The enemy is no longer seen: its mark goes, and the area is searched again.
    ShadowGameContext shadow(w.tables);
    ASSERT_TRUE(shadow.Troops().Select(enemy));
    shadow.Troops().SetMask28(0);
    expectSameAsFresh(10, 11, dearer.data(), false);
    expectSameAsFresh(10, 11, dearer.data(), true);
    // Reloaded terrain is a new world for the memo.
    s.search.LoadTerrain();
    expectSameAsFresh(10, 11, dearer.data(), false);
}

TEST(RouteSearchTrace, TiesFollowTheRowParity) {
    struct Case {
        int startX, startY, targetX, targetY;
        RouteStep first, second;
    };
    const Case cases[] = {
        {10, 10, 10, 12, {-1, +1}, {+1, +1}},  // target on an even row: via (9, 11)
        {10, 11, 10, 13, {+1, +1}, {-1, +1}},  // target on an odd row: via (11, 12)
        {10, 12, 10, 10, {-1, -1}, {+1, -1}},  // start below, even row: via (9, 11)
        {10, 13, 10, 11, {+1, -1}, {-1, -1}},  // start below, odd row: via (11, 12)
    };
    for (const Case& c : cases) {
        World w(kCheap);
        const std::uint16_t t = w.Troop(0, c.startX, c.startY);
        w.Settle();
        for (RouteInstance instance : kAllInstances) {
            Search s(w, instance);
            ASSERT_EQ(s.Area(t, c.startX, c.startY), 1);
            ASSERT_EQ(s.Trace(c.targetX, c.targetY), 2);
            EXPECT_EQ(s.steps[0].dx, c.first.dx);
            EXPECT_EQ(s.steps[0].dy, c.first.dy);
            EXPECT_EQ(s.steps[1].dx, c.second.dx);
            EXPECT_EQ(s.steps[1].dy, c.second.dy);
            EXPECT_EQ(s.steps[2].dx, 0);
            EXPECT_EQ(s.steps[2].dy, 0);
        }
    }
}

TEST(RouteSearchTrace, StartUnreachedAndOffMapTargets) {
    World w;
    w.DrawRow(10, 5, 8, kCheap);
    w.Draw({{20, 20}}, kCheap);
    const std::uint16_t t = w.Troop(0, 5, 10);
    w.Settle();
    Search s(w, RouteInstance::Map);
    ASSERT_EQ(s.Area(t, 5, 10), 1);

    s.steps[0] = RouteStep{7, 7};
    s.steps[1] = RouteStep{7, 7};
    EXPECT_EQ(s.Trace(5, 10), 0);
    EXPECT_EQ(s.steps[0].dx, 0);  // only the terminator is written
    EXPECT_EQ(s.steps[0].dy, 0);
    EXPECT_EQ(s.steps[1].dx, 7);

    EXPECT_EQ(s.Trace(20, 20), 0);  // unreached, no reached neighbour
    EXPECT_EQ(s.Trace(64, 10), 0);

    // An unreached wall next to the corridor: the trace steps onto its cheapest reached
    // neighbour first.
    ASSERT_EQ(s.search.GetCellCost(9, 10), kUnreachedCost);
    ASSERT_EQ(s.Trace(9, 10), 4);
    EXPECT_EQ(routetest::Walk(5, 10, s.steps, 4), std::make_pair(9, 10));

    std::vector<RouteStep> none;
    EXPECT_EQ(s.search.TraceRoute(none, 8, 10), 0);
}

// A corridor snaking over every even row: 2047 hexes, longer than instances 1 and 2 trace.
TEST(RouteSearchTrace, LongRoutesAreCutAtTheStepLimit) {
    World w;
    const auto path = routetest::SerpentinePath(0, 62);
    for (auto [x, y] : path) w.map.Terrain(x, y, kCheap);
    const auto [sx, sy] = path.front();
    const auto [tx, ty] = path.back();
    const std::uint16_t t = w.Troop(0, sx, sy);
    w.Settle();
    const int length = static_cast<int>(path.size()) - 1;
    ASSERT_GT(length, kMapRouteStepLimit);
    ASSERT_LT(length, kSimRouteStepLimit);

    for (RouteInstance instance : kAllInstances) {
        Search s(w, instance);
        ASSERT_EQ(s.Area(t, sx, sy), 1);
        ASSERT_EQ(s.search.GetCellCost(tx, ty), length);
        const int limit = s.search.GetStepLimit();
        const int expected = std::min(limit, length);
        ASSERT_EQ(s.Trace(tx, ty), expected);
        // The list holds the last steps before the target; its first step leaves the hex that
        // far from the target along the corridor.
        const auto [fromX, fromY] = path[length - expected];
        EXPECT_EQ(routetest::Walk(fromX, fromY, s.steps, expected), std::make_pair(tx, ty));
        EXPECT_EQ(s.steps[expected].dx, 0);
        EXPECT_EQ(s.steps[expected].dy, 0);
    }

    // A buffer shorter than the limit cuts the route where it ends.
    Search s(w, RouteInstance::Simulation);
    ASSERT_EQ(s.Area(t, sx, sy), 1);
    std::vector<RouteStep> small(10);
    ASSERT_EQ(s.search.TraceRoute(small, tx, ty), 9);
    const auto [fromX, fromY] = path[length - 9];
    EXPECT_EQ(routetest::Walk(fromX, fromY, small, 9), std::make_pair(tx, ty));
}

TEST(RouteSearchNearest, FindsTheReachedHexNearestToTheTarget) {
    World w;
    w.DrawRow(10, 5, 9, kCheap);
    w.DrawRow(12, 5, 9, kCheap);
    w.Draw({{5, 11}}, kCheap);
    const std::uint16_t t = w.Troop(0, 5, 10);
    const std::uint16_t enclosed = w.Troop(0, 30, 30);
    w.Settle();
    Search s(w, RouteInstance::Simulation);
    ASSERT_EQ(s.Area(t, 5, 10), 1);

    std::uint8_t out[2] = {0xEE, 0xEE};
    // (9, 11) is a wall between two reached rows; (9, 10) comes first in row order.
    ASSERT_EQ(s.search.FindNearestReachedCell(MakeHexPosition(9, 11), out), 1);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 10);
    ASSERT_EQ(s.search.FindNearestReachedCell(MakeHexPosition(20, 12), out), 1);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 12);
    // A reached target is its own nearest hex.
    EXPECT_EQ(s.search.FindNearestReachedCell(MakeHexPosition(7, 12), out), 0);
    // The start does not count.
    ASSERT_EQ(s.search.FindNearestReachedCell(MakeHexPosition(4, 10), out), 1);
    EXPECT_EQ(out[0], 6);

    ASSERT_EQ(s.Area(enclosed, 30, 30), 1);
    out[0] = out[1] = 0xEE;
    EXPECT_EQ(s.search.FindNearestReachedCell(MakeHexPosition(31, 30), out), 0);
    EXPECT_EQ(out[0], 0xEE);
}

TEST(RouteSearchPublish, MapInstancesMarkTheReachInTheHexInformation) {
    World w;
    w.DrawRow(10, 5, 8, kCheap);
    const std::uint16_t t = w.Troop(0, 5, 10);
    w.Troop(1, 7, 10, 0x0001);  // known enemy: ignored when publishing
    w.Settle();

    for (RouteInstance instance : kAllInstances) {
        SCOPED_TRACE(static_cast<int>(instance));
        Search s(w, instance);
        GameContext& ctx = *s.ctx;
        for (auto [x, y] : {std::pair{30, 30}, std::pair{6, 10}}) {
            ASSERT_TRUE(ctx.SelectHexInfoXY(x, y));
            ctx.ZeroHexMarks();
            ctx.SetHexMarkBits(0x0003);
        }
        ASSERT_EQ(s.search.ComputeAreaFromHex(ctx, t, 5, 10, kCosts.data()), 1);
        auto marks = [&](int x, int y) {
            EXPECT_TRUE(ctx.SelectHexInfoXY(x, y));
            return ctx.GetHexMarks();
        };
        if (instance == RouteInstance::Simulation) {
            // Troops are marked, nothing is shown.
            EXPECT_EQ(s.search.GetCellMark(7, 10), kCellMarkForeignTroop);
            EXPECT_EQ(s.search.GetCellCost(8, 10), kUnreachedCost);
            EXPECT_EQ(marks(30, 30), 0x0003);
            EXPECT_EQ(marks(5, 10), 0);
            continue;
        }
        EXPECT_EQ(s.search.GetCellCost(8, 10), 3);
        EXPECT_EQ(marks(30, 30), 0x0002);  // unreached: bit 0 cleared
        EXPECT_EQ(marks(6, 10), 0x0003);
        EXPECT_EQ(marks(8, 10), 0x0001);
        EXPECT_EQ(marks(5, 10), 0x0001);  // the start
        EXPECT_EQ(s.search.GetCellMark(5, 10), kCellMarkQueued);
        EXPECT_EQ(s.search.GetCell(6, 10).cost, 0);
        EXPECT_EQ(s.search.GetCell(40, 40).cost, 0);
        // The grid still traces.
        EXPECT_EQ(s.Trace(8, 10), 3);
    }
}

TEST(RouteSearchClasses, PassabilityOfTheStartAndItsNeighbours) {
    World w;
    w.map.Terrain(10, 10, 3).Road(10, 10, 0x3F);  // water with a road: road terrain 13
    w.map.Terrain(11, 10, 3).Road(11, 10, 0x3F);
    w.map.Terrain(12, 10, 3);
    w.map.Terrain(13, 10, 9);
    w.map.Terrain(14, 10, 5);
    w.map.AddSite(5, 0, 15, 10);  // port: class 20
    w.Settle();
    RouteSearch s(w.tables, RouteInstance::Map);

    struct Case {
        int x, cls, expected;
    };
    const Case cases[] = {
        {13, 1, 1}, {13, 2, 0}, {12, 2, 1}, {12, 3, 0}, {10, 3, 1}, {13, 3, 0},
        {14, 4, 1}, {13, 4, 0}, {15, 5, 1}, {14, 5, 1}, {12, 5, 0}, {13, 9, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "x " << c.x << " class " << c.cls);
        EXPECT_EQ(s.IsPassableForClass(c.x, 10, c.cls), c.expected);
    }

    ASSERT_EQ(s.IsPassableForClass(10, 10, 3), 1);
    EXPECT_EQ(s.Request().troop, kNoSearchTroop);
    EXPECT_EQ(s.Request().country, kNoCountry);
    EXPECT_EQ(s.Request().costLimit, kClassSetupCostLimit);
    // Ground neighbours are judged by their road terrain like the start.
    EXPECT_EQ(s.IsCellEnterable(11, 10), 1);
    EXPECT_EQ(s.IsCellEnterable(12, 10), 0);
    ASSERT_EQ(s.IsPassableForClass(14, 10, 4), 1);
    EXPECT_EQ(s.IsCellEnterable(11, 10), 0);
    EXPECT_EQ(s.IsCellEnterable(15, 10), 1);
    EXPECT_EQ(s.IsPassableForClass(64, 10, 1), 0);
}

TEST(RouteSearchCells, TerrainModes) {
    World w;
    w.map.Terrain(10, 10, 3).Road(10, 10, 0x09);
    w.map.Terrain(11, 10, 7).River(11, 10, 0x09);
    w.map.AddSite(2, 1, 12, 10);
    const std::uint16_t ground = w.Troop(0, 20, 20);
    const std::uint16_t boat = w.Troop(1, 22, 20, 0, 2);
    w.Settle();
    Search s(w, RouteInstance::Map);
    // mode 0 follows the last troop: the ground troop enters by road terrain.
    s.Area(ground, 20, 20);
    EXPECT_EQ(s.search.GetCellTerrain(10, 10, 0), 13);
    EXPECT_EQ(s.search.GetCellTerrain(10, 10, 1), 3);
    EXPECT_EQ(s.search.GetCellTerrain(10, 10, 2), 13);
    EXPECT_EQ(s.search.GetCellTerrain(11, 10, 1), 14);
    EXPECT_EQ(s.search.GetCellTerrain(12, 10, 1), 17);
    s.Area(boat, 22, 20);
    EXPECT_EQ(s.search.GetCellTerrain(10, 10, 0), 3);
}

TEST(RouteSearchCells, StepHexMovesInEitherListAndStaysOnTheMap) {
    struct Case {
        int x, y, direction, flag;
        int ok, outX, outY;
    };
    const Case cases[] = {
        {10, 10, 0, 0, 1, 9, 11},   // SW on an even row
        {10, 10, 0, 1, 1, 10, 11},  // SE
        {10, 11, 0, 1, 1, 11, 12},  // SE on an odd row
        {10, 11, 3, 0, 1, 11, 10},  // NE on an odd row
        {10, 10, 4, 1, 1, 9, 10},   // W
        {0, 10, 1, 0, 0, 0, 10},    // W off the left edge
        {63, 63, 0, 1, 0, 63, 63},  // SE off the corner
        {5, 5, 6, 0, 0, 5, 5},      // no such direction
    };
    for (const Case& c : cases) {
        int x = c.x;
        int y = c.y;
        EXPECT_EQ(StepHex(x, y, c.direction, c.flag), c.ok);
        EXPECT_EQ(x, c.outX);
        EXPECT_EQ(y, c.outY);
    }
}

TEST(RouteSearchCells, ReusedInstancesForgetEarlierSearches) {
    World w;
    w.DrawRow(10, 5, 8, kCheap);
    w.DrawRow(20, 5, 8, kCheap);
    const std::uint16_t a = w.Troop(0, 5, 10);
    const std::uint16_t b = w.Troop(0, 5, 20);
    w.Settle();
    Search s(w, RouteInstance::Map);
    // Enough searches to wrap the grid's generation stamp more than once.
    for (int i = 0; i < 20000; ++i) {
        const bool first = i % 2 == 0;
        ASSERT_EQ(s.Area(first ? a : b, 5, first ? 10 : 20, 1), 1);
        if (i % 997 == 0 || i >= 19998) {
            EXPECT_EQ(s.search.GetCellCost(8, first ? 10 : 20), 3);
            EXPECT_EQ(s.search.GetCellCost(8, first ? 20 : 10), kUnreachedCost);
            EXPECT_EQ(s.search.GetCellMark(8, first ? 20 : 10), 0);
        }
    }
    s.search.ResetGrid();
    EXPECT_EQ(s.search.GetCellCost(8, 20), kUnreachedCost);
}

TEST(RouteSearchCells, MarkHelpers) {
    World w(kCheap);
    const std::uint16_t t = w.Troop(0, 10, 10);
    w.Settle();
    Search s(w, RouteInstance::Map);
    s.Area(t, 10, 10);
    s.search.MarkNeighbourZone(20, 20);
    EXPECT_EQ(s.search.GetCellMark(19, 20), kCellMarkNeighbourZone);
    EXPECT_EQ(s.search.GetCellMark(20, 20), kCellMarkQueued);
    s.search.MarkNeighbourZone(0, 0);  // only the three neighbours that exist
    EXPECT_EQ(s.search.GetCellMark(1, 0), kCellMarkNeighbourZone);
    s.search.NormaliseMarks();
    EXPECT_EQ(s.search.GetCellMark(19, 20), kCellMarkNeighbourZone);
    EXPECT_EQ(s.search.GetCellMark(10, 10), kCellMarkQueued);

    s.search.ResetGrid();
    s.search.NormaliseMarks();
    EXPECT_EQ(s.search.GetCellMark(19, 20), 0);
    EXPECT_EQ(s.search.GetCell(19, 20).cost, kCannotEnter);
}

// ---- sets, threads and terrain refreshes

TEST(RouteSearchSets, ContextsSearchWithTheirThreadsSet) {
    World w;
    RouteSearchSet set(w.tables);
    GameContextEnv env;
    env.routeSearches = &set;
    GameContext ctx(w.tables, env);
    ContextRouteSearch map(ctx, RouteInstance::Map);
    ContextRouteSearch sim(ctx, RouteInstance::Simulation);
    EXPECT_EQ(&*map, &set.Map());
    EXPECT_EQ(&*sim, &set.Sim());
    EXPECT_EQ(set.Get(RouteInstance::Context).Instance(), RouteInstance::Context);
    EXPECT_EQ(set.Map().GetStepLimit(), kMapRouteStepLimit);
    EXPECT_EQ(set.Sim().GetStepLimit(), kSimRouteStepLimit);

    GameContext alone(w.tables);
    ContextRouteSearch own(alone, RouteInstance::Map);
    EXPECT_NE(&*own, &set.Map());
    EXPECT_EQ(own->Instance(), RouteInstance::Map);
}

TEST(RouteSearchSets, AReloadReachesTheOtherThreadsSetsAtTheirNextSearch) {
    World w;
    w.Settle();
    RouteTerrainEpoch epoch;
    RouteSearchSet gui(w.tables, &epoch);
    RouteSearchSet clock(w.tables, &epoch);
    EXPECT_EQ(clock.Map().GetCellTerrain(5, 5, 1), kWall);
    EXPECT_EQ(clock.Sim().GetCellTerrain(5, 5, 1), kWall);

    // A site appears (live and shadow) and the clock thread's rule operation reloads.
    w.map.AddSite(3, 0, 5, 5);
    w.Settle();
    clock.ReloadAllTerrain();
    EXPECT_EQ(clock.Map().GetCellTerrain(5, 5, 1), 18);
    EXPECT_EQ(gui.Map().GetCellTerrain(5, 5, 1), 18);
    EXPECT_EQ(gui.Sim().GetCellTerrain(5, 5, 1), 18);

    // Without a reload the cached terrain stays, as the searches expect.
    w.map.Terrain(6, 5, 7);
    EXPECT_EQ(gui.Map().GetCellTerrain(6, 5, 1), kWall);
    gui.Map().LoadTerrain();
    EXPECT_EQ(gui.Map().GetCellTerrain(6, 5, 1), 7);
    EXPECT_EQ(clock.Ctx().GetCellTerrain(6, 5, 1), kWall);
}

// The context instance takes the map instance's terrain on a reload (both read the live tables);
// the simulation's, and any instance offered terrain of other tables or none, reads its own.
TEST(RouteSearchSets, AReloadSharesTheLiveTerrainOnly) {
    World w;
    w.Settle();
    RouteSearchSet set(w.tables);
    // A site in the live tables only: the shadow's hex still reads as the wall.
    w.map.AddSite(3, 0, 5, 5);
    GameContext live(w.tables);
    live.RebuildHexOccupancy();
    w.map.Terrain(6, 5, kCheap);
    set.ReloadAllTerrain();
    for (const int mode : {1, 2}) {
        EXPECT_EQ(set.Map().GetCellTerrain(5, 5, mode), 18);
        EXPECT_EQ(set.Ctx().GetCellTerrain(5, 5, mode), 18);
        EXPECT_EQ(set.Sim().GetCellTerrain(5, 5, mode), kWall);
        EXPECT_EQ(set.Ctx().GetCellTerrain(6, 5, mode), kCheap);
    }
    set.Sim().LoadTerrainFrom(set.Map());
    EXPECT_EQ(set.Sim().GetCellTerrain(5, 5, 1), kWall);
    EXPECT_EQ(set.Sim().GetCellTerrain(6, 5, 1), kCheap);

    w.map.Terrain(7, 5, kCheap);
    RouteSearch unread(w.tables, RouteInstance::Map);
    set.Ctx().LoadTerrainFrom(unread);
    EXPECT_EQ(set.Ctx().GetCellTerrain(7, 5, 1), kCheap);
}

// ---- property: the simulation's costs are the cheapest costs

// Dijkstra over the same grid: occupied hexes are reached but never expanded.
std::vector<int> ReferenceCosts(RouteSearch& search, const std::uint8_t* table, int start,
                                const std::vector<bool>& zone) {
    std::vector<int> cost(kHexCount, -1);
    std::vector<int> best(kHexCount, 1 << 30);
    using Item = std::pair<int, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    best[start] = 0;
    open.push({0, start});
    while (!open.empty()) {
        const auto [c, u] = open.top();
        open.pop();
        if (c != best[u] || cost[u] >= 0) continue;
        cost[u] = c;
        if (zone[u] && u != start) continue;
        const int x = u % kMapSize;
        const int y = u / kMapSize;
        for (int d = 0; d < 6; ++d) {
            const int nx = x + kNeighbourDx[y & 1][d];
            const int ny = y + kNeighbourDy[d];
            if (nx < 0 || ny < 0 || nx >= kMapSize || ny >= kMapSize) continue;
            const int v = nx + kMapSize * ny;
            const std::uint8_t terrain = search.GetCellTerrain(nx, ny, 0);
            const int step = terrain < 29 ? table[terrain] : 0;
            if (step == 0 || step == 255 || v == start) continue;
            if (c + step > kTroopSearchCostLimit || c + step >= best[v]) continue;
            best[v] = c + step;
            open.push({c + step, v});
        }
    }
    return cost;
}

// The relaxation as written down: first in, first out. With `requeue` (the simulation) a cell's
// mark goes back to 0 after its expansion so that a cheaper cost queues it again; without it (the
// map and context instances) a cell is queued once. Fills costs and marks.
void ReferenceFifoSearch(RouteSearch& search, const std::uint8_t* table, int start,
                         const std::vector<bool>& zone, bool requeue, std::vector<int>& cost,
                         std::vector<int>& mark) {
    cost.assign(kHexCount, 0xFFFF);
    mark.assign(kHexCount, 0);
    for (int i = 0; i < kHexCount; ++i) {
        if (zone[i] && i != start) mark[i] = search.GetCellMark(i % kMapSize, i / kMapSize);
    }
    std::vector<int> ring(1 << 16);  // far more than ever waits
    std::size_t read = 0;
    std::size_t write = 1;
    ring[0] = start;
    cost[start] = 0;
    while (read != write) {
        const int u = ring[read++];
        const int x = u % kMapSize;
        const int y = u / kMapSize;
        for (int d = 0; d < 6; ++d) {
            const int nx = x + kNeighbourDx[y & 1][d];
            const int ny = y + kNeighbourDy[d];
            if (nx < 0 || ny < 0 || nx >= kMapSize || ny >= kMapSize) continue;
            const int v = nx + kMapSize * ny;
            const std::uint8_t terrain = search.GetCellTerrain(nx, ny, 0);
            const int step = terrain < 29 ? table[terrain] : 0;
            if (step == 0 || step == 255 || v == start) continue;
            const int c = cost[u] + step;
            if (c > kTroopSearchCostLimit || c > cost[v]) continue;
            cost[v] = c;
            if (mark[v] == 0) {
                ring[write++] = v;
                mark[v] = 1;
            }
        }
        if (requeue) mark[u] = 0;
    }
}

// A move-cost table of the 29 land kinds: of each hundred, `zero` kinds cost 0 (no move), up to
// `blocked` cost 255, the rest 1 to `spread`.
std::array<std::uint8_t, 29> RandomCosts(std::mt19937& random, int zero, int blocked, int spread) {
    std::array<std::uint8_t, 29> table{};
    for (auto& cost : table) {
        const int r = static_cast<int>(random() % 100);
        cost = r < zero ? 0 : r < blocked ? 255 : static_cast<std::uint8_t>(1 + random() % spread);
    }
    return table;
}

// Every hex of the map a land kind drawn at random.
void DrawRandomLand(World& w, std::mt19937& random) {
    std::uniform_int_distribution<int> land(0, 28);
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            w.map.Terrain(x, y, static_cast<std::uint8_t>(land(random)));
        }
    }
}

TEST(RouteSearchProperty, SimulationCostsAreTheCheapestCostsOnRandomMaps) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        World w;
        DrawRandomLand(w, random);
        const std::array<std::uint8_t, 29> table = RandomCosts(random, 15, 20, 90);
        std::uniform_int_distribution<int> coord(0, kMapSize - 1);
        const int sx = coord(random);
        const int sy = coord(random);
        const std::uint16_t searcher = w.Troop(0, sx, sy);
        // Now and then a known enemy stands on the start hex itself.
        if (round % 4 == 0) w.Troop(1, sx, sy, 0x0001);
        for (int i = 0; i < 30; ++i) {
            w.Troop(static_cast<std::uint8_t>(random() % 4), coord(random), coord(random),
                    static_cast<std::uint16_t>(random() & 0x0111));
        }
        w.Settle();

        Search sim(w, RouteInstance::Simulation);
        ASSERT_EQ(sim.search.ComputeArea(*sim.ctx, searcher, sx, sy, table.data(), 0), 1);
        std::vector<bool> zone(kHexCount);
        for (int i = 0; i < kHexCount; ++i) {
            zone[i] = IsZoneMark(sim.search.GetCellMark(i % kMapSize, i / kMapSize));
        }
        const int start = sx + kMapSize * sy;
        const std::vector<int> expected = ReferenceCosts(sim.search, table.data(), start, zone);
        std::vector<int> literalCost;
        std::vector<int> literalMark;
        ReferenceFifoSearch(sim.search, table.data(), start, zone, true, literalCost, literalMark);

        Search map(w, RouteInstance::Map);
        ASSERT_EQ(map.search.ComputeArea(*map.ctx, searcher, sx, sy, table.data(), 0), 1);
        std::vector<bool> mapZone(kHexCount);
        for (int i = 0; i < kHexCount; ++i) {
            mapZone[i] = IsZoneMark(map.search.GetCellMark(i % kMapSize, i / kMapSize));
        }
        std::vector<int> onceCost;
        std::vector<int> onceMark;
        ReferenceFifoSearch(map.search, table.data(), start, mapZone, false, onceCost, onceMark);
        Search context(w, RouteInstance::Context);
        ASSERT_EQ(context.search.ComputeArea(*context.ctx, searcher, sx, sy, table.data(), 0), 1);

        int checkedRoutes = 0;
        for (int i = 0; i < kHexCount; ++i) {
            const int x = i % kMapSize;
            const int y = i / kMapSize;
            const std::uint16_t got = sim.search.GetCellCost(x, y);
            ASSERT_EQ(got == kUnreachedCost ? -1 : got, expected[i]) << x << "," << y;
            // The whole grid is the one the first-in-first-out relaxation leaves.
            ASSERT_EQ(got, literalCost[i]) << x << "," << y;
            ASSERT_EQ(sim.search.GetCellMark(x, y), literalMark[i]) << x << "," << y;
            // Instances 1 and 2 agree with each other and never undercut the cheapest cost.
            const std::uint16_t mapCost = map.search.GetCellCost(x, y);
            ASSERT_EQ(mapCost, context.search.GetCellCost(x, y));
            // ... and are exactly what queueing every cell once leaves.
            ASSERT_EQ(mapCost, onceCost[i]) << x << "," << y;
            if (mapCost != kUnreachedCost) {
                ASSERT_GE(mapCost, got);
            }

            // A traced route costs what the grid says and passes no occupied hex.
            if (got == kUnreachedCost || got == 0 || i % 7 != 0) continue;
            const int n = sim.Trace(x, y);
            ASSERT_GT(n, 0);
            int px = sx;
            int py = sy;
            int sum = 0;
            for (int k = 0; k < n; ++k) {
                if (k > 0) {
                    ASSERT_FALSE(zone[px + kMapSize * py]);
                }
                px += sim.steps[k].dx;
                py += sim.steps[k].dy;
                sum += table[sim.search.GetCellTerrain(px, py, 0)];
            }
            ASSERT_EQ(std::make_pair(px, py), std::make_pair(x, y));
            ASSERT_EQ(sum, got);
            ++checkedRoutes;
        }
        EXPECT_GT(checkedRoutes, 0);
    }
}

// A search cut short at its target traces the very route of a full search, to any target: far,
// near, the start itself, a troop's hex, a hex beyond reach; and the search does stop short.
TEST(RouteSearchProperty, ARouteSearchCutShortTracesTheFullSearchsRoute) {
    std::mt19937 random(20261211);
    int cutShort = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        World w;
        DrawRandomLand(w, random);
        // Many equal costs, so that ties between routes are common.
        const std::array<std::uint8_t, 29> table = RandomCosts(random, 15, 15, 3);
        std::uniform_int_distribution<int> coord(0, kMapSize - 1);
        const int sx = coord(random);
        const int sy = coord(random);
        const std::uint16_t searcher = w.Troop(0, sx, sy);
        std::vector<std::pair<int, int>> targets = {{sx, sy}, {sx + 1, sy}, {-1, 3}};
        for (int i = 0; i < 20; ++i) {
            const int x = coord(random);
            const int y = coord(random);
            w.Troop(static_cast<std::uint8_t>(random() % 4), x, y, 0x0001);
            if (i < 5) targets.emplace_back(x, y);  // a troop's hex ends a route
        }
        for (int i = 0; i < 25; ++i) targets.emplace_back(coord(random), coord(random));
        w.Settle();

        Search full(w, RouteInstance::Simulation);
        Search cut(w, RouteInstance::Simulation);
        ASSERT_EQ(full.search.ComputeArea(*full.ctx, searcher, sx, sy, table.data(), 0), 1);
        for (const auto& [tx, ty] : targets) {
            const std::uint16_t target[] = {static_cast<std::uint16_t>((tx & 0xFF) | ty << 8)};
            ASSERT_EQ(cut.search.ComputeRouteTo(*cut.ctx, searcher, sx, sy, table.data(), 0,
                                                target),
                      1);
            ASSERT_EQ(cut.search.GetCellCost(tx, ty), full.search.GetCellCost(tx, ty));
            const int n = full.Trace(tx, ty);
            ASSERT_EQ(cut.Trace(tx, ty), n) << tx << "," << ty;
            for (int k = 0; k <= n; ++k) {
                ASSERT_EQ(cut.steps[k].dx, full.steps[k].dx) << tx << "," << ty << " step " << k;
                ASSERT_EQ(cut.steps[k].dy, full.steps[k].dy) << tx << "," << ty << " step " << k;
            }
            if (n > 0 && n < 10) {
                int unreached = 0;
                for (int i = 0; i < kHexCount; ++i) {
                    unreached += cut.search.GetCellCost(i % kMapSize, i / kMapSize) !=
                                 full.search.GetCellCost(i % kMapSize, i / kMapSize);
                }
                if (unreached > 0) ++cutShort;
            }
        }
        // All the targets on the map at once: each traces its full search's route.
        std::vector<std::uint16_t> onMap;
        for (const auto& [tx, ty] : targets) {
            if (tx >= 0 && ty >= 0 && tx < kMapSize && ty < kMapSize) {
                onMap.push_back(static_cast<std::uint16_t>(tx | ty << 8));
            }
        }
        ASSERT_EQ(cut.search.ComputeRouteTo(*cut.ctx, searcher, sx, sy, table.data(), 0, onMap), 1);
        for (const std::uint16_t hex : onMap) {
            ASSERT_EQ(cut.search.GetCellCost(hex & 0xFF, hex >> 8),
                      full.search.GetCellCost(hex & 0xFF, hex >> 8));
            const int n = full.Trace(hex & 0xFF, hex >> 8);
            ASSERT_EQ(cut.Trace(hex & 0xFF, hex >> 8), n);
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(cut.steps[k].dx, full.steps[k].dx);
                ASSERT_EQ(cut.steps[k].dy, full.steps[k].dy);
            }
        }
    }
    EXPECT_GT(cutShort, 0);
}

// The search with vector instructions and the one in plain code leave the same grid, on full
// searches and searches cut short, from starts anywhere including the map's corners and edges.
TEST(RouteSearchProperty, VectorAndPlainSearchesLeaveTheSameGrid) {
    std::mt19937 random(20261213);
    std::uniform_int_distribution<int> coord(0, kMapSize - 1);
    const std::pair<int, int> edges[] = {{0, 0}, {kMapSize - 1, 0}, {0, kMapSize - 1},
                                         {kMapSize - 1, kMapSize - 1}, {0, 31}, {kMapSize - 1, 32}};
    int cutShort = 0;
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        World w;
        DrawRandomLand(w, random);
        const std::array<std::uint8_t, 29> table =
            round % 2 == 0 ? RandomCosts(random, 10, 15, 90) : RandomCosts(random, 5, 5, 3);
        const auto [sx, sy] = round < 6 ? edges[round] : std::pair{coord(random), coord(random)};
        const std::uint16_t searcher = w.Troop(0, sx, sy);
        for (int i = 0; i < 25; ++i) {
            w.Troop(static_cast<std::uint8_t>(random() % 4), coord(random), coord(random),
                    static_cast<std::uint16_t>(random() & 0x0111));
        }
        w.Settle();

        Search vector(w, RouteInstance::Simulation);
        Search plain(w, RouteInstance::Simulation);
        plain.search.SetVectorInstructions(false);
        std::vector<RouteCell> a(kHexCount), b(kHexCount);
        auto expectSameGrid = [&] {
            vector.search.GetGrid(std::span<RouteCell, kHexCount>(a.data(), kHexCount));
            plain.search.GetGrid(std::span<RouteCell, kHexCount>(b.data(), kHexCount));
            for (int i = 0; i < kHexCount; ++i) {
                ASSERT_EQ(a[i].reachedCost, b[i].reachedCost) << "cell " << i;
                ASSERT_EQ(a[i].mark, b[i].mark) << "cell " << i;
            }
        };
        ASSERT_EQ(vector.search.ComputeArea(*vector.ctx, searcher, sx, sy, table.data(), 0), 1);
        ASSERT_EQ(plain.search.ComputeArea(*plain.ctx, searcher, sx, sy, table.data(), 0), 1);
        expectSameGrid();
        int reached = 0;
        for (const RouteCell& cell : a) reached += cell.reachedCost != kUnreachedCost ? 1 : 0;
        EXPECT_GT(reached, 1);

        const std::uint16_t target[] = {
            static_cast<std::uint16_t>(coord(random) | coord(random) << 8)};
        ASSERT_EQ(vector.search.ComputeRouteTo(*vector.ctx, searcher, sx, sy, table.data(), 0,
                                               target),
                  1);
        ASSERT_EQ(plain.search.ComputeRouteTo(*plain.ctx, searcher, sx, sy, table.data(), 0,
                                              target),
                  1);
        expectSameGrid();
        int unreached = 0;
        for (const RouteCell& cell : a) unreached += cell.reachedCost == kUnreachedCost ? 1 : 0;
        if (unreached > kHexCount - reached) ++cutShort;
    }
    EXPECT_GT(cutShort, 0);
}

// The first-in-first-out search of the map and context instances leaves the same grid on the
// lane grid as on the plain one: every cell's cost and mark, with and without troops, a troop on
// the start hex, starts in the corners and on the edges, costs with many ties.
TEST(RouteSearchProperty, FirstInFirstOutOnLanesLeavesThePlainGrid) {
    std::mt19937 random(20261214);
    std::uniform_int_distribution<int> coord(0, kMapSize - 1);
    const std::pair<int, int> edges[] = {
        {0, 0},  {kMapSize - 1, 0}, {0, kMapSize - 1}, {kMapSize - 1, kMapSize - 1},
        {0, 31}, {kMapSize - 1, 32}};
    int marked = 0;
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        World w;
        DrawRandomLand(w, random);
        const std::array<std::uint8_t, 29> table =
            round % 2 == 0 ? RandomCosts(random, 10, 15, 90) : RandomCosts(random, 5, 5, 3);
        const auto [sx, sy] = round < 6 ? edges[round] : std::pair{coord(random), coord(random)};
        const std::uint16_t searcher = w.Troop(0, sx, sy);
        if (round % 3 == 0) w.Troop(1, sx, sy, 0x0001);
        for (int i = 0; i < 30; ++i) {
            w.Troop(static_cast<std::uint8_t>(random() % 4), coord(random), coord(random),
                    static_cast<std::uint16_t>(random() & 0x0111));
        }
        w.Settle();

        for (const RouteInstance instance : {RouteInstance::Map, RouteInstance::Context}) {
            Search lanes(w, instance);
            Search plain(w, instance);
            plain.search.SetFirstInFirstOutOnLanes(false);
            std::vector<RouteCell> a(kHexCount), b(kHexCount);
            for (const int skipTroops : {0, 1}) {
                ASSERT_EQ(lanes.Area(searcher, sx, sy, skipTroops, table.data()), 1);
                ASSERT_EQ(plain.Area(searcher, sx, sy, skipTroops, table.data()), 1);
                lanes.search.GetGrid(std::span<RouteCell, kHexCount>(a.data(), kHexCount));
                plain.search.GetGrid(std::span<RouteCell, kHexCount>(b.data(), kHexCount));
                int reached = 0;
                for (int i = 0; i < kHexCount; ++i) {
                    ASSERT_EQ(a[i].reachedCost, b[i].reachedCost) << "cell " << i;
                    ASSERT_EQ(a[i].mark, b[i].mark) << "cell " << i;
                    reached += a[i].reachedCost != kUnreachedCost ? 1 : 0;
                    marked += IsZoneMark(a[i].mark) ? 1 : 0;
                }
                EXPECT_GT(reached, 1);
            }
            // The troop's own costs, as the waypoint planning searches.
            ASSERT_EQ(lanes.search.ComputeArea(*lanes.ctx, searcher, sx, sy, nullptr, 1), 1);
            ASSERT_EQ(plain.search.ComputeArea(*plain.ctx, searcher, sx, sy, nullptr, 1), 1);
            lanes.search.GetGrid(std::span<RouteCell, kHexCount>(a.data(), kHexCount));
            plain.search.GetGrid(std::span<RouteCell, kHexCount>(b.data(), kHexCount));
            for (int i = 0; i < kHexCount; ++i) {
                ASSERT_EQ(a[i].reachedCost, b[i].reachedCost) << "cell " << i;
                ASSERT_EQ(a[i].mark, b[i].mark) << "cell " << i;
            }
        }
    }
    EXPECT_GT(marked, 0);
}

// A troop's search cut short and kept is given back for targets whose costs it holds as final,
// tracing the full search's routes; a target beyond it, another start or a full area request
// searches again.
TEST(RouteSearchProperty, AKeptSearchCutShortIsGivenBackOnlyForItsFinalCells) {
    std::mt19937 random(20261212);
    int reusedCount = 0;
    int searchedAgain = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        World w;
        DrawRandomLand(w, random);
        const std::array<std::uint8_t, 29> table = RandomCosts(random, 10, 10, 3);
        std::uniform_int_distribution<int> coord(0, kMapSize - 1);
        const int sx = coord(random);
        const int sy = coord(random);
        const std::uint16_t searcher = w.Troop(0, sx, sy);
        for (int i = 0; i < 15; ++i) {
            w.Troop(static_cast<std::uint8_t>(random() % 4), coord(random), coord(random), 0x0001);
        }
        w.Settle();
        Search full(w, RouteInstance::Simulation);
        Search kept(w, RouteInstance::Simulation);
        ASSERT_EQ(full.search.ComputeArea(*full.ctx, searcher, sx, sy, table.data(), 0), 1);
        auto hexOf = [](int x, int y) { return static_cast<std::uint16_t>(x | y << 8); };
        auto sameAsFull = [&](std::uint16_t hex) {
            const int x = hex & 0xFF;
            const int y = hex >> 8;
            ASSERT_EQ(kept.search.GetCellCost(x, y), full.search.GetCellCost(x, y));
            const int n = full.Trace(x, y);
            ASSERT_EQ(kept.Trace(x, y), n);
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(kept.steps[k].dx, full.steps[k].dx);
                ASSERT_EQ(kept.steps[k].dy, full.steps[k].dy);
            }
        };
        // Reached targets sorted by their cost: the search for the dearest holds the others.
        std::vector<std::uint16_t> reached;
        for (int i = 0; i < 12; ++i) {
            const int x = coord(random);
            const int y = coord(random);
            if (full.search.GetCellCost(x, y) != kUnreachedCost && (x != sx || y != sy)) {
                reached.push_back(hexOf(x, y));
            }
        }
        if (reached.size() < 3) continue;
        std::sort(reached.begin(), reached.end(), [&](std::uint16_t a, std::uint16_t b) {
            return full.search.GetCellCost(a & 0xFF, a >> 8) <
                   full.search.GetCellCost(b & 0xFF, b >> 8);
        });
        RouteAreaMemo memo;
        bool reused = true;
        const std::uint16_t middle[] = {reached[reached.size() / 2]};
        ASSERT_EQ(kept.search.ComputeRouteToReusing(*kept.ctx, searcher, sx, sy, table.data(), 0,
                                                    middle, memo, reused),
                  1);
        EXPECT_FALSE(reused);
        sameAsFull(middle[0]);
        // Nearer targets: given back.
        for (std::size_t k = 0; k <= reached.size() / 2; ++k) {
            const std::uint16_t nearer[] = {reached[k]};
            ASSERT_EQ(kept.search.ComputeRouteToReusing(*kept.ctx, searcher, sx, sy, table.data(),
                                                        0, nearer, memo, reused),
                      1);
            EXPECT_TRUE(reused);
            reusedCount += reused;
            sameAsFull(nearer[0]);
        }
        // The dearest target, when dearer than the kept level, is searched for again.
        const std::uint16_t dearest[] = {reached.back()};
        const bool dearer = full.search.GetCellCost(dearest[0] & 0xFF, dearest[0] >> 8) >
                            full.search.GetCellCost(middle[0] & 0xFF, middle[0] >> 8);
        ASSERT_EQ(kept.search.ComputeRouteToReusing(*kept.ctx, searcher, sx, sy, table.data(), 0,
                                                    dearest, memo, reused),
                  1);
        if (dearer) {
            EXPECT_FALSE(reused);
            searchedAgain += !reused;
        }
        sameAsFull(dearest[0]);
        // A full area is never taken from a search cut short.
        ASSERT_EQ(kept.search.ComputeAreaReusing(*kept.ctx, searcher, sx, sy, table.data(), 0,
                                                 memo, reused),
                  1);
        for (int i = 0; i < kHexCount; ++i) {
            ASSERT_EQ(kept.search.GetCellCost(i % kMapSize, i / kMapSize),
                      full.search.GetCellCost(i % kMapSize, i / kMapSize));
        }
        // Another start is another search.
        const int ox = sx == 0 ? 1 : sx - 1;
        ASSERT_EQ(kept.search.ComputeRouteToReusing(*kept.ctx, searcher, ox, sy, table.data(), 0,
                                                    middle, memo, reused),
                  1);
        EXPECT_FALSE(reused);
    }
    EXPECT_GT(reusedCount, 0);
    EXPECT_GT(searchedAgain, 0);
}

}  // namespace
}  // namespace zv::rules
