#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "rules/records/MapCursors.h"
#include "rules/search/HexQueries.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/tests/RouteSearchFixture.h"

namespace zv::rules {
namespace {

using routetest::World;
using Path = std::vector<std::pair<int, int>>;

constexpr int kCapital = 0;
constexpr int kLargeCity = 1;
constexpr int kTown = 3;

// Adds to the road bytes of the hexes of the path so that each hex links to the next.
void LayRoad(World& w, const Path& path) {
    HexCursor hex(w.tables);
    auto addBit = [&](int x, int y, int d) {
        ASSERT_TRUE(hex.SelectXY(MakeHexPosition(x, y)));
        const std::uint8_t road = hex.GetRoad() == kNoRoad ? 0 : hex.GetRoad();
        hex.SetRoad(static_cast<std::uint8_t>(road | (1u << d)));
    };
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const auto [ax, ay] = path[i];
        const auto [bx, by] = path[i + 1];
        int direction = -1;
        for (int d = 0; d < kHexDirectionCount; ++d) {
            std::uint16_t nx = 0;
            std::uint16_t ny = 0;
            if (HexNeighbourOf(ax, ay, d, nx, ny) && nx == bx && ny == by) direction = d;
        }
        ASSERT_GE(direction, 0) << "not neighbours";
        addBit(ax, ay, direction);
        addBit(bx, by, (direction + 3) % kHexDirectionCount);
    }
}

Path Row(int y, int x0, int x1) {
    Path path;
    for (int x = x0; x0 <= x1 ? x <= x1 : x >= x1; x += x0 <= x1 ? 1 : -1) path.emplace_back(x, y);
    return path;
}

int InNetwork(GameContext& ctx, int c, int x, int y) {
    EXPECT_TRUE(ctx.SelectHexInfoXY(x, y));
    return ctx.GetHexCountryByte2(c);
}

std::uint8_t Supplied(TableDirectory& tables, std::uint16_t site, TableId table = TableId::Site) {
    SiteCursor cursor(tables, table);
    EXPECT_TRUE(cursor.Select(site));
    return cursor.GetSupplied();
}

int CountNetwork(GameContext& ctx, int c) {
    int n = 0;
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) n += InNetwork(ctx, c, x, y) != 0;
    }
    return n;
}

// ---- the flood

TEST(SupplyFlood, FollowsLinkedRoadsAndNothingElse) {
    World w(0);
    w.map.AddSite(kCapital, 0, 10, 10);
    LayRoad(w, Row(10, 10, 20));
    // Beside the road: a road hex pointing elsewhere, and a road hex linked to a hex whose own
    // road does not point back.
    w.map.Road(15, 11, 0x01);
    LayRoad(w, {{16, 12}, {16, 11}});
    w.map.Road(25, 10, 0x3F);  // unconnected
    // (12, 10) also points south-east at a road that does not point back.
    HexCursor hex(w.tables);
    ASSERT_TRUE(hex.SelectXY(MakeHexPosition(12, 10)));
    hex.SetRoad(static_cast<std::uint8_t>(hex.GetRoad() | 0x04));
    w.map.Road(12, 11, 0x09);
    w.Settle();

    GameContext ctx(w.tables);
    RouteSearch search(w.tables, RouteInstance::Map);
    search.ComputeSupplyNetwork(ctx, 10, 10, 0);
    for (int x = 10; x <= 20; ++x) EXPECT_EQ(InNetwork(ctx, 0, x, 10), 1) << x;
    EXPECT_EQ(InNetwork(ctx, 0, 21, 10), 0);  // no road
    EXPECT_EQ(InNetwork(ctx, 0, 15, 11), 0);
    EXPECT_EQ(InNetwork(ctx, 0, 16, 11), 0);
    EXPECT_EQ(InNetwork(ctx, 0, 12, 11), 0);
    EXPECT_EQ(InNetwork(ctx, 0, 25, 10), 0);
    EXPECT_EQ(InNetwork(ctx, 1, 12, 10), 0);  // only the flooding country's byte
    EXPECT_EQ(CountNetwork(ctx, 0), 11);
    // The flood leaves its grid reset.
    EXPECT_EQ(search.GetCellCost(12, 10), kUnreachedCost);
    EXPECT_EQ(search.GetCell(12, 10).cost, kCannotEnter);

    // Countries without network bytes and starts off the map flood nothing.
    search.ComputeSupplyNetwork(ctx, 10, 10, kNeutralCountry);
    search.ComputeSupplyNetwork(ctx, 64, 10, 1);
    EXPECT_EQ(CountNetwork(ctx, 1), 0);
}

TEST(SupplyFlood, StopsAtForeignSitesAndPassesAlliedOnes) {
    struct Case {
        const char* name;
        int owner;
        bool passes;
    };
    for (const Case& c : {Case{"Enemy", 1, false}, Case{"Neutral", 4, false}, Case{"Ally", 2, true},
                          Case{"Own", 0, true}}) {
        SCOPED_TRACE(c.name);
        World w(0);
        w.map.Alliance(0, 0x05).Alliance(2, 0x05);
        w.map.AddSite(kCapital, 0, 10, 10);
        w.map.AddSite(kTown, c.owner, 15, 10);
        LayRoad(w, Row(10, 10, 20));
        w.Settle();
        GameContext ctx(w.tables);
        RouteSearch search(w.tables, RouteInstance::Map);
        search.ComputeSupplyNetwork(ctx, 10, 10, 0);
        EXPECT_EQ(InNetwork(ctx, 0, 14, 10), 1);
        EXPECT_EQ(InNetwork(ctx, 0, 15, 10), c.passes ? 1 : 0);
        EXPECT_EQ(InNetwork(ctx, 0, 20, 10), c.passes ? 1 : 0);
    }
}

TEST(SupplyFlood, ReachesAtMost255HexesAlongTheRoad) {
    World w(0);
    const Path path = routetest::SerpentinePath(30, 40);
    ASSERT_GT(path.size(), 300u);
    LayRoad(w, path);
    w.map.AddSite(kCapital, 0, path[0].first, path[0].second);
    w.Settle();
    for (RouteInstance instance : {RouteInstance::Map, RouteInstance::Simulation}) {
        GameContext live(w.tables);
        ShadowGameContext shadow(w.tables);
        GameContext& ctx =
            instance == RouteInstance::Map ? live : static_cast<GameContext&>(shadow);
        RouteSearch search(w.tables, instance);
        search.ComputeSupplyNetwork(ctx, path[0].first, path[0].second, 0);
        EXPECT_EQ(InNetwork(ctx, 0, path[255].first, path[255].second), 1);
        EXPECT_EQ(InNetwork(ctx, 0, path[256].first, path[256].second), 0);
        EXPECT_EQ(CountNetwork(ctx, 0), 256);
    }
}

// ---- networks, pruning and supplied flags

class SupplyNetworks : public ::testing::Test {
  protected:
    SupplyNetworks() : w(0) {}

    // Capital (10, 10) and large city (20, 10) of country 0 joined by two roads: row 10 and the
    // way over row 9. A spur leaves row 10 at (15, 10) down to (16, 12), where it ends.
    void BuildLoop() {
        capital = w.map.AddSite(kCapital, 0, 10, 10);
        city = w.map.AddSite(kLargeCity, 0, 20, 10);
        LayRoad(w, Row(10, 10, 20));
        Path north = {{10, 10}};
        for (const auto& hex : Row(9, 10, 19)) north.push_back(hex);
        north.emplace_back(20, 10);
        LayRoad(w, north);
        LayRoad(w, {{15, 10}, {15, 11}, {16, 12}});
    }

    World w;
    std::uint16_t capital = 0;
    std::uint16_t city = 0;
};

TEST_F(SupplyNetworks, LoopsStayAndDeadEndsGoUpToTheirJunction) {
    BuildLoop();
    const std::uint16_t town = w.map.AddSite(kTown, 0, 18, 10);
    const std::uint16_t far = w.map.AddSite(kTown, 0, 40, 40);
    w.Settle();
    GameContext ctx(w.tables);
    RecomputeAllSupplyNetworks(ctx);

    for (int x = 10; x <= 20; ++x) EXPECT_EQ(InNetwork(ctx, 0, x, 10), 1) << x;
    for (int x = 10; x <= 19; ++x) EXPECT_EQ(InNetwork(ctx, 0, x, 9), 1) << x;
    EXPECT_EQ(InNetwork(ctx, 0, 15, 11), 0);
    EXPECT_EQ(InNetwork(ctx, 0, 16, 12), 0);
    EXPECT_EQ(IsRoadJunction(ctx, static_cast<std::uint32_t>(MakeHexInfoPosition(15, 10))), 1);
    EXPECT_EQ(Supplied(w.tables, capital), 1);
    EXPECT_EQ(Supplied(w.tables, town), 1);
    EXPECT_EQ(Supplied(w.tables, far), 0);
}

TEST_F(SupplyNetworks, ACapitalWhoseRoadsLeadNowhereKeepsOnlyItself) {
    capital = w.map.AddSite(kCapital, 1, 40, 40);
    LayRoad(w, Row(40, 40, 46));
    LayRoad(w, {{40, 40}, {40, 41}, {41, 42}});
    w.Settle();
    GameContext ctx(w.tables);
    RecomputeSupplyNetwork(ctx, 0x02);
    EXPECT_EQ(CountNetwork(ctx, 1), 1);
    EXPECT_EQ(InNetwork(ctx, 1, 40, 40), 1);
    EXPECT_EQ(Supplied(w.tables, capital), 1);
}

TEST_F(SupplyNetworks, OnlyTheMaskedCountriesChange) {
    BuildLoop();
    const std::uint16_t other = w.map.AddSite(kCapital, 1, 40, 40);
    LayRoad(w, Row(40, 40, 44));
    w.Settle();
    GameContext ctx(w.tables);
    RecomputeAllSupplyNetworks(ctx);
    ASSERT_EQ(Supplied(w.tables, other), 1);

    // Country 1's flag and bytes stay as they are, even when they no longer fit.
    SiteCursor sites(w.tables);
    ASSERT_TRUE(sites.Select(other));
    sites.SetSupplied(7);
    ASSERT_TRUE(ctx.SelectHexInfoXY(41, 40));
    ctx.SetHexCountryByte2(1, 1);
    ASSERT_TRUE(ctx.SelectHexInfoXY(10, 10));
    ctx.SetHexCountryByte2(0, 0);
    RecomputeSupplyNetwork(ctx, 0x01);
    EXPECT_EQ(Supplied(w.tables, other), 7);
    EXPECT_EQ(InNetwork(ctx, 1, 41, 40), 1);
    EXPECT_EQ(InNetwork(ctx, 0, 10, 10), 1);
    EXPECT_EQ(Supplied(w.tables, capital), 1);
}

TEST_F(SupplyNetworks, NeutralSitesSpreadNothingAndAreNotSupplied) {
    const std::uint16_t neutral = w.map.AddSite(kCapital, kNeutralCountry, 30, 30);
    LayRoad(w, Row(30, 30, 35));
    w.Settle();
    SiteCursor sites(w.tables);
    ASSERT_TRUE(sites.Select(neutral));
    sites.SetSupplied(1);
    GameContext ctx(w.tables);
    RecomputeSupplyNetwork(ctx, 0x10);  // an occupation of a neutral site
    EXPECT_EQ(Supplied(w.tables, neutral), 0);
    sites.SetSupplied(1);
    RecomputeAllSupplyNetworks(ctx);
    EXPECT_EQ(Supplied(w.tables, neutral), 0);
    for (int c = 0; c < kCountryCount; ++c) EXPECT_EQ(CountNetwork(ctx, c), 0);
}

TEST_F(SupplyNetworks, TheShadowRecomputesOnItsOwnTablesAndInstance) {
    BuildLoop();
    w.Settle();
    RouteSearchSet set(w.tables);
    GameContextEnv env;
    env.routeSearches = &set;
    ShadowGameContext shadow(w.tables, env);
    GameContext live(w.tables, env);
    const std::uint16_t t = w.Troop(0, 12, 10);
    std::array<std::uint8_t, 29> costs{};
    costs.fill(1);
    ASSERT_EQ(set.Map().ComputeArea(live, t, 12, 10, costs.data(), 1), 1);

    const std::uint64_t liveHash = w.tables.HashLiveTables();
    RecomputeAllSupplyNetworks(shadow);
    EXPECT_EQ(w.tables.HashLiveTables(), liveHash);
    EXPECT_EQ(InNetwork(shadow, 0, 12, 9), 1);
    EXPECT_EQ(InNetwork(live, 0, 12, 9), 0);
    EXPECT_EQ(Supplied(w.tables, capital, TableId::ShadowSite), 1);
    // The map windows' search keeps its area; a live recompute floods on it and resets it.
    EXPECT_EQ(set.Map().GetCellCost(13, 10), 1);
    RecomputeAllSupplyNetworks(live);
    EXPECT_EQ(set.Map().GetCellCost(13, 10), kUnreachedCost);
    EXPECT_EQ(InNetwork(live, 0, 12, 9), 1);
}

TEST_F(SupplyNetworks, RoadQueries) {
    LayRoad(w, Row(10, 10, 14));
    LayRoad(w, {{12, 10}, {12, 11}});
    w.map.AddSite(kTown, 0, 14, 10);
    w.map.Road(30, 30, 0);
    w.Settle();
    GameContext ctx(w.tables);
    auto pos = [](int x, int y) { return static_cast<std::uint32_t>(MakeHexInfoPosition(x, y)); };
    EXPECT_EQ(IsRoadJunction(ctx, pos(12, 10)), 1);
    EXPECT_EQ(IsRoadJunction(ctx, pos(11, 10)), 0);
    EXPECT_EQ(IsRoadJunction(ctx, pos(30, 30)), 0);
    EXPECT_EQ(IsRoadJunction(ctx, pos(64, 0)), 0);

    std::uint32_t next = 0;
    ASSERT_EQ(FindNextRoadHex(ctx, pos(11, 10), pos(10, 10), next), 1);
    EXPECT_EQ(next, pos(12, 10));
    ASSERT_EQ(FindNextRoadHex(ctx, pos(11, 10), pos(12, 10), next), 1);
    EXPECT_EQ(next, pos(10, 10));
    EXPECT_EQ(FindNextRoadHex(ctx, pos(10, 10), pos(11, 10), next), 0);  // end of the road
    EXPECT_EQ(FindNextRoadHex(ctx, pos(12, 10), pos(11, 10), next), 0);  // junction
    EXPECT_EQ(FindNextRoadHex(ctx, pos(14, 10), pos(13, 10), next), 0);  // site
}

// A ring of plain road with no junction and no site: the branch walk must end.
TEST_F(SupplyNetworks, PruningARingWithoutJunctionsEnds) {
    Path ring = Row(20, 20, 30);
    ring.emplace_back(30, 21);
    for (const auto& hex : Row(22, 30, 20)) ring.push_back(hex);
    ring.emplace_back(20, 21);
    ring.emplace_back(20, 20);
    LayRoad(w, ring);
    w.Settle();
    GameContext ctx(w.tables);
    for (const auto& [x, y] : ring) {
        ASSERT_TRUE(ctx.SelectHexInfoXY(x, y));
        ctx.SetHexCountryByte2(2, 1);
    }
    PruneRoadBranch(ctx, 2, static_cast<std::uint32_t>(MakeHexInfoPosition(25, 20)));
    EXPECT_EQ(CountNetwork(ctx, 2), 0);
}

}  // namespace
}  // namespace zv::rules
