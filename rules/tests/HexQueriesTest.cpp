#include <gtest/gtest.h>

#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"
#include "rules/search/HexQueries.h"
#include "rules/testing/MapBuilder.h"
#include "rules/tests/TroopMembersFixture.h"

namespace zv::rules {
namespace {

using membertest::kTank;
using testing::MapBuilder;

enum Direction { W = 0, SW = 1, SE = 2, E = 3, NE = 4, NW = 5 };

TEST(HexNeighbour, OffsetsDependOnTheRowParity) {
    struct Case {
        int x, y, direction;
        int result;
        std::uint16_t nx, ny;
    };
    const Case cases[] = {
        // Even row 2: the row below and above lies half a hex to the right.
        {5, 2, W, 1, 4, 2},
        {5, 2, SW, 1, 4, 3},
        {5, 2, SE, 1, 5, 3},
        {5, 2, E, 1, 6, 2},
        {5, 2, NE, 1, 5, 1},
        {5, 2, NW, 1, 4, 1},
        // Odd row 3.
        {5, 3, W, 1, 4, 3},
        {5, 3, SW, 1, 5, 4},
        {5, 3, SE, 1, 6, 4},
        {5, 3, E, 1, 6, 3},
        {5, 3, NE, 1, 6, 2},
        {5, 3, NW, 1, 5, 2},
        // Edges.
        {0, 1, SW, 1, 0, 2},
        {0, 0, W, 0, 0xFFFF, 0xFFFF},
        {0, 0, NE, 0, 0xFFFF, 0xFFFF},
        {0, 2, SW, 0, 0xFFFF, 0xFFFF},
        {63, 63, E, 0, 0xFFFF, 0xFFFF},
        {63, 63, SW, 0, 0xFFFF, 0xFFFF},
        {63, 61, SE, 0, 0xFFFF, 0xFFFF},
        {63, 62, SE, 1, 63, 63},
        {63, 63, NW, 1, 63, 62},
        // Directions outside 0-5 lead nowhere.
        {5, 5, 6, 0, 0xFFFF, 0xFFFF},
        {5, 5, -1, 0, 0xFFFF, 0xFFFF},
    };
    TableDirectory tables;
    GameContext ctx(tables);
    for (const Case& c : cases) {
        std::uint16_t nx = 1, ny = 1;
        EXPECT_EQ(ctx.GetHexNeighbour(c.x, c.y, c.direction, nx, ny), c.result)
            << c.x << "," << c.y << " dir " << c.direction;
        EXPECT_EQ(nx, c.nx) << c.x << "," << c.y << " dir " << c.direction;
        EXPECT_EQ(ny, c.ny) << c.x << "," << c.y << " dir " << c.direction;
    }
}

TEST(HexNeighbour, EveryNeighbourIsOneStepAwayAndLeadsBack) {
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            int inside = 0;
            for (int d = 0; d < 6; ++d) {
                std::uint16_t nx = 0, ny = 0;
                if (!HexNeighbourOf(x, y, d, nx, ny)) continue;
                ++inside;
                ASSERT_EQ(HexDistance(x, y, nx, ny), 1) << x << "," << y << " dir " << d;
                std::uint16_t bx = 0, by = 0;
                ASSERT_TRUE(HexNeighbourOf(nx, ny, (d + 3) % 6, bx, by));
                ASSERT_EQ(bx, x);
                ASSERT_EQ(by, y);
            }
            const bool edge = x == 0 || y == 0 || x == 63 || y == 63;
            if (!edge) {
                ASSERT_EQ(inside, 6) << x << "," << y;
            }
        }
    }
}

class HexDescriptionTest : public ::testing::Test {
  protected:
    HexDescriptionTest() {
        map.Terrain(10, 10, 7).Road(10, 10, 0x09).River(10, 10, 0x24);
        site = map.AddSite(4, 2, 10, 10);
        troop = map.AddTroop(3, 10, 10, {kTank});
        map.Terrain(11, 10, 6);
        GameContext(tables).RebuildHexOccupancy();
        HexInfoAt(tables.GetTableBase(TableId::HexInfo), 10 + 64 * 10)->SetU16(4, 0x0105);
    }

    TableDirectory tables;
    membertest::InstallMemberRules installed{tables};
    MapBuilder map{tables, 0};
    std::uint16_t site = 0;
    std::uint16_t troop = 0;
};

TEST_F(HexDescriptionTest, DescribesSiteTroopAndTerrainAndRestoresTheCursors) {
    GameContext ctx(tables);
    ctx.Sites().Select(7);
    ctx.Troops().Select(33);
    HexDescription d;
    ctx.GetHexDescription(MakeHexPosition(10, 10), d);
    EXPECT_EQ(d.x, 10);
    EXPECT_EQ(d.y, 10);
    EXPECT_EQ(d.landKind, 7);
    EXPECT_EQ(d.road, 0x09);
    EXPECT_EQ(d.river, 0x24);
    EXPECT_EQ(d.siteKind, 4);
    EXPECT_EQ(d.siteOwner, 2);
    EXPECT_EQ(d.siteIndex, site);
    EXPECT_EQ(d.troopIndex, troop);
    EXPECT_EQ(d.troopCountry, 3);
    EXPECT_EQ(d.hexFlags, 0x0105);
    EXPECT_EQ(ctx.Sites().GetIndex(), 7);
    EXPECT_EQ(ctx.Troops().GetIndex(), 33);

    ctx.GetHexDescription(MakeHexPosition(11, 10), d);
    EXPECT_EQ(d.landKind, 6);
    EXPECT_EQ(d.siteKind, 0xFF);
    EXPECT_EQ(d.siteOwner, 6);
    EXPECT_EQ(d.siteIndex, 0xFFFF);
    EXPECT_EQ(d.troopIndex, 0xFFFF);
    EXPECT_EQ(d.troopCountry, 6);
}

TEST_F(HexDescriptionTest, HexesOffTheMapGetTheOutsideDescription) {
    GameContext ctx(tables);
    for (std::uint16_t hex : {MakeHexPosition(64, 0), MakeHexPosition(0, 64), std::uint16_t{0xFFFF},
                              MakeHexPosition(0xFF, 3)}) {
        HexDescription d;
        d.landKind = 99;
        ctx.GetHexDescription(hex, d);
        EXPECT_EQ(d.x, 0xFF);
        EXPECT_EQ(d.y, 0xFF);
        EXPECT_EQ(d.landKind, 0);
        EXPECT_EQ(d.road, 0xFF);
        EXPECT_EQ(d.siteKind, 0xFF);
        EXPECT_EQ(d.siteOwner, 6);
        EXPECT_EQ(d.river, 0xFF);
        EXPECT_EQ(d.troopIndex, 0xFFFF);
        EXPECT_EQ(d.troopCountry, 6);
        EXPECT_EQ(d.hexFlags, 0);
    }
}

TEST_F(HexDescriptionTest, NeighbourInfosFollowTheDirectionOrder) {
    GameContext ctx(tables);
    HexDescription around[6];
    ctx.GetNeighbourInfos(MakeHexPosition(11, 10), around);
    EXPECT_EQ(around[W].Hex(), MakeHexPosition(10, 10));
    EXPECT_EQ(around[W].troopIndex, troop);
    EXPECT_EQ(around[W].siteKind, 4);
    EXPECT_EQ(around[SW].Hex(), MakeHexPosition(10, 11));
    EXPECT_EQ(around[SE].Hex(), MakeHexPosition(11, 11));
    EXPECT_EQ(around[E].Hex(), MakeHexPosition(12, 10));
    EXPECT_EQ(around[NE].Hex(), MakeHexPosition(11, 9));
    EXPECT_EQ(around[NW].Hex(), MakeHexPosition(10, 9));

    ctx.GetNeighbourInfos(MakeHexPosition(0, 0), around);
    for (int d : {W, SW, NE, NW}) EXPECT_FALSE(around[d].IsOnMap()) << d;
    EXPECT_EQ(around[SE].Hex(), MakeHexPosition(0, 1));
    EXPECT_EQ(around[E].Hex(), MakeHexPosition(1, 0));
}

}  // namespace
}  // namespace zv::rules
