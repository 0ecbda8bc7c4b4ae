#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/testing/MapBuilder.h"
#include "rules/tests/TroopMembersFixture.h"

namespace zv::rules {
namespace {

using membertest::kArtillery;
using membertest::kInfantry;
using membertest::kTank;
using testing::MapBuilder;

class GameContextTest : public ::testing::Test {
  protected:
    HexInfoRecord& Info(int x, int y, TableId table = TableId::HexInfo) {
        return *HexInfoAt(tables.GetTableBase(table), static_cast<std::size_t>(x + 64 * y));
    }
    HexRecord& Hex(int x, int y) {
        return *reinterpret_cast<HexRecord*>(tables.GetTableBase(TableId::Hex) +
                                             8 * static_cast<std::size_t>(x + 64 * y));
    }
    TroopRecord& Troop(std::uint16_t t, TableId table = TableId::Troop) {
        return *TroopAt(tables.GetTableBase(table), t);
    }

    TableDirectory tables;
    membertest::InstallMemberRules installed{tables};
    MapBuilder map{tables, 0};
};

TEST_F(GameContextTest, SelectHexInfoXYAcceptsOnlyHexesOnTheMap) {
    struct Case {
        int x, y;
        int result;
        std::uint16_t index;  // after the call; 100 = the previous selection kept
    };
    const Case cases[] = {
        {0, 0, 1, 0},        {63, 63, 1, 4095},  {5, 1, 1, 69},   {64, 0, 0, 100},
        {0, 64, 0, 100},     {-1, 0, 0, 100},    {0, -1, 0, 100}, {-32768, 3, 0, 100},
        {3, -32768, 0, 100}, {32767, 0, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "x " << c.x << " y " << c.y);
        GameContext ctx(tables);
        ASSERT_EQ(ctx.SelectHexInfo(100), 1);
        EXPECT_EQ(ctx.SelectHexInfoXY(c.x, c.y), c.result);
        EXPECT_EQ(ctx.GetHexInfoIndex(), c.index);
        EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ctx.GetHexInfoRecord()),
                  tables.GetTableBase(TableId::HexInfo) + 36 * c.index);
        EXPECT_EQ(ctx.Hexes().GetHexIndex(), c.index);
    }
}

TEST_F(GameContextTest, SelectingTheCurrentHexAgainLeavesTheHexCursorAlone) {
    GameContext ctx(tables);
    EXPECT_EQ(ctx.SelectHexInfo(4096), 0);
    ASSERT_EQ(ctx.SelectHexInfo(5), 1);
    EXPECT_EQ(ctx.Hexes().GetHexIndex(), 5);
    ctx.Hexes().Select(7);
    EXPECT_EQ(ctx.SelectHexInfo(5), 1);
    EXPECT_EQ(ctx.Hexes().GetHexIndex(), 7);
    EXPECT_EQ(ctx.SelectHexInfo(6), 1);
    EXPECT_EQ(ctx.Hexes().GetHexIndex(), 6);
}

TEST_F(GameContextTest, HexInfoAccessorsWriteTheirOffsetsAndNothingElse) {
    GameContext ctx(tables);
    ASSERT_EQ(ctx.SelectHexInfoXY(6, 1), 1);
    HexInfoRecord before71 = Info(7, 1);

    ctx.SetHexSiteIndex(0x1234);
    ctx.SetHexTroopIndex(0x0056);
    ctx.SetHexFlagBits(0x00F0);
    ctx.ClearHexFlagBits(0x0030);
    ctx.SetHexMarkBits(0x0003);
    ctx.ClearHexMarkBits(0x0001);
    ctx.SetHexWord8(0x0809);
    ctx.SetHexWord10(0x0A0B);
    ctx.SetHexValue3(0x0C0D);
    for (int i = 0; i < 6; ++i) ctx.SetHexCountryByte1(i, static_cast<std::uint8_t>(0x10 + i));
    for (int c = 0; c < 4; ++c) ctx.SetHexCountryByte2(c, static_cast<std::uint8_t>(0x20 + c));
    for (int c = 0; c < 4; ++c) ctx.SetHexCountryWord(c, static_cast<std::uint16_t>(0x3000 + c));
    ctx.OrHexCountryWord(2, 0x0100);
    // Indexes beyond the arrays reach nothing.
    ctx.SetHexCountryByte1(6, 0xEE);
    ctx.SetHexCountryByte1(-1, 0xEE);
    ctx.SetHexCountryByte2(4, 0xEE);
    ctx.SetHexCountryWord(4, 0xEEEE);
    ctx.OrHexCountryWord(7, 0xEEEE);

    const std::uint8_t expected[36] = {
        0x34, 0x12, 0x56, 0x00, 0xC0, 0x00, 0x02, 0x00, 0x09, 0x08, 0x0B, 0x0A,
        0x0D, 0x0C, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x20, 0x21, 0x22, 0x23,
        0x00, 0x30, 0x01, 0x30, 0x02, 0x31, 0x03, 0x30, 0x00, 0x00, 0x00, 0x00,
    };
    EXPECT_EQ(std::memcmp(Info(6, 1).data(), expected, 36), 0);
    EXPECT_EQ(std::memcmp(Info(7, 1).data(), before71.data(), 36), 0);
    EXPECT_EQ(ctx.GetHexCountryByte1(6), 0);
    EXPECT_EQ(ctx.GetHexCountryWord(4), 0);
    EXPECT_EQ(ctx.GetHexCountryWord(2), 0x3102);
    ctx.ZeroHexFlags();
    ctx.ZeroHexMarks();
    EXPECT_EQ(ctx.GetHexFlags(), 0);
    EXPECT_EQ(ctx.GetHexMarks(), 0);
}

TEST_F(GameContextTest, WholeMapClearsTouchOnlyTheirBits) {
    const int hexes[][2] = {{0, 0}, {63, 63}, {10, 20}};
    for (auto& h : hexes) {
        Info(h[0], h[1]).SetU16(HexInfoRecord::kMarks, 0x0007);
        for (int c = 0; c < 4; ++c) Info(h[0], h[1]).SetU16(HexInfoRecord::kCountryWord + 2 * c, 9);
        Info(h[0], h[1]).SetU16(HexInfoRecord::kFlags, 0x000F);
    }
    GameContext ctx(tables);
    ctx.ClearAllHexMarkBit0();
    for (auto& h : hexes) EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kMarks), 0x0006);
    ctx.ClearAllHexCountryWords();
    for (auto& h : hexes) {
        EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kMarks), 0x0006);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kCountryWord + 2 * c), 0);
    }
    for (auto& h : hexes) Info(h[0], h[1]).SetU16(HexInfoRecord::kCountryWord + 6, 5);
    ctx.ClearAllHexMarksAndWords();
    for (auto& h : hexes) {
        EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kMarks), 0x0004);
        EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kCountryWord + 6), 0);
        EXPECT_EQ(Info(h[0], h[1]).U16(HexInfoRecord::kFlags), 0x000F);
    }
}

TEST_F(GameContextTest, TerrainClassByModeSiteRoadAndRiver) {
    struct Case {
        const char* what;
        std::uint8_t landKind, road, river;
        int siteKind;  // -1 none
        int mode;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {.what = "plain",
         .landKind = 8,
         .road = 0xFF,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 0,
         .expected = 8},
        {.what = "plain mode 1",
         .landKind = 8,
         .road = 0xFF,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 1,
         .expected = 8},
        {.what = "road mode 0",
         .landKind = 6,
         .road = 0x09,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 0,
         .expected = 6},
        {.what = "road mode 1",
         .landKind = 6,
         .road = 0x09,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 1,
         .expected = 13},
        {.what = "road mode 2",
         .landKind = 6,
         .road = 0x09,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 2,
         .expected = 6},
        {.what = "river mode 0",
         .landKind = 1,
         .road = 0xFF,
         .river = 0x12,
         .siteKind = -1,
         .mode = 0,
         .expected = 14},
        {.what = "river mode 1",
         .landKind = 1,
         .road = 0xFF,
         .river = 0x12,
         .siteKind = -1,
         .mode = 1,
         .expected = 14},
        {.what = "river mode 2",
         .landKind = 1,
         .road = 0xFF,
         .river = 0x12,
         .siteKind = -1,
         .mode = 2,
         .expected = 1},
        {.what = "bridge mode 0",
         .landKind = 2,
         .road = 0x09,
         .river = 0x12,
         .siteKind = -1,
         .mode = 0,
         .expected = 2},
        {.what = "bridge mode 1",
         .landKind = 2,
         .road = 0x09,
         .river = 0x12,
         .siteKind = -1,
         .mode = 1,
         .expected = 13},
        {.what = "capital",
         .landKind = 0,
         .road = 0x09,
         .river = 0x12,
         .siteKind = 0,
         .mode = 0,
         .expected = 15},
        {.what = "town mode 1",
         .landKind = 0,
         .road = 0xFF,
         .river = 0xFF,
         .siteKind = 3,
         .mode = 1,
         .expected = 18},
        {.what = "port mode 2",
         .landKind = 0,
         .road = 0x09,
         .river = 0xFF,
         .siteKind = 5,
         .mode = 2,
         .expected = 20},
        {.what = "snow hills",
         .landKind = 26,
         .road = 0xFF,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 0,
         .expected = 26},
        {.what = "land kind beyond the table",
         .landKind = 29,
         .road = 0xFF,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 0,
         .expected = kNoTerrainClass},
        {.what = "land kind beyond, mode 2",
         .landKind = 200,
         .road = 0x09,
         .river = 0xFF,
         .siteKind = -1,
         .mode = 2,
         .expected = kNoTerrainClass},
    };
    int x = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hex(x, 4).SetU8(HexRecord::kLandKind, c.landKind);
        Hex(x, 4).SetU8(HexRecord::kRoad, c.road);
        Hex(x, 4).SetU8(HexRecord::kRiver, c.river);
        if (c.siteKind >= 0) {
            ASSERT_NE(map.AddSite(c.siteKind, 1, x, 4), kNoSiteIndex);
        }
        GameContext ctx(tables);
        ctx.RebuildHexOccupancy();
        ASSERT_EQ(ctx.SelectHexInfoXY(x, 4), 1);
        EXPECT_EQ(ctx.GetHexTerrainClass(c.mode), c.expected);
        ++x;
    }
}

TEST_F(GameContextTest, TerrainClassRefusesSitesThatNameNoClass) {
    const std::uint16_t site = map.AddSite(2, 1, 3, 3);
    GameContext ctx(tables);
    ctx.RebuildHexOccupancy();
    ASSERT_EQ(ctx.SelectHexInfoXY(3, 3), 1);
    EXPECT_EQ(ctx.GetHexTerrainClass(0), 17);

    ASSERT_EQ(ctx.Sites().Select(site), 1);
    ctx.Sites().SetKind(9);  // a damaged file
    EXPECT_EQ(ctx.GetHexTerrainClass(0), kNoTerrainClass);
    ctx.SetHexSiteIndex(250);  // no such site
    EXPECT_EQ(ctx.GetHexTerrainClass(1), kNoTerrainClass);
}

TEST_F(GameContextTest, RebuildHexOccupancyOnAnEmptyMapLeavesEveryHexEmpty) {
    for (int n = 0; n < 4096; ++n) {
        HexInfoRecord& info = *HexInfoAt(tables.GetTableBase(TableId::HexInfo), n);
        info.SetU16(HexInfoRecord::kSiteIndex, 3);
        info.SetU16(HexInfoRecord::kTroopIndex, 4);
    }
    GameContext ctx(tables);
    EXPECT_EQ(ctx.RebuildHexOccupancy(), 1);
    for (int n = 0; n < 4096; ++n) {
        const HexInfoRecord& info = *HexInfoAt(tables.GetTableBase(TableId::HexInfo), n);
        ASSERT_EQ(info.U16(HexInfoRecord::kSiteIndex), 0xFFFF) << n;
        ASSERT_EQ(info.U16(HexInfoRecord::kTroopIndex), 0xFFFF) << n;
    }
}

TEST_F(GameContextTest, RebuildHexOccupancyEntersSitesAndTroopsOnTheMap) {
    const std::uint16_t city = map.AddSite(2, 0, 4, 4);
    const std::uint16_t neutral = map.AddSite(0, 4, 8, 8);
    const std::uint16_t onMap = map.AddTroop(0, 5, 5, {kTank});
    const std::uint16_t aboard = map.AddTroop(0, 6, 6, {kTank});
    const std::uint16_t empty = map.AddTroop(1, 7, 7, {kTank});
    TroopCursor cursor(tables);
    cursor.Select(aboard);
    cursor.SetAboard();
    cursor.Select(empty);
    RemoveMember(cursor, 0);
    // A launched part stands on the map too.
    cursor.Select(170);
    const std::int16_t units[6] = {kInfantry, -1, -1, -1, -1, -1};
    CreateTroopFromUnits(cursor, units, 1, 0, MakeHexPosition(9, 9), "part");
    cursor.SetStateFlags(kTroopOnMap | kTroopLaunchedPart);

    // Durabilities above the kind's are capped; the neutral capital keeps the fixed values.
    SiteCursor sites(tables);
    sites.Select(city);
    sites.SetCaptureDurability(250);
    sites.SetDestroyDurability(1);
    Info(4, 4).SetU16(HexInfoRecord::kFlags, 7);
    Info(4, 4).SetU16(HexInfoRecord::kValue3, 0x3333);
    Info(4, 4).SetU16(HexInfoRecord::kCountryWord, 0x4444);

    GameContextEnv env;
    env.recomputeAllSupplyNetworks = [](GameContext& c) {
        c.Sites().Select(0);
        return 7;
    };
    GameContext ctx(tables, env);
    EXPECT_EQ(ctx.RebuildHexOccupancy(), 7);

    EXPECT_EQ(Info(4, 4).U16(HexInfoRecord::kSiteIndex), city);
    EXPECT_EQ(Info(8, 8).U16(HexInfoRecord::kSiteIndex), neutral);
    EXPECT_EQ(Info(5, 5).U16(HexInfoRecord::kTroopIndex), onMap);
    EXPECT_EQ(Info(6, 6).U16(HexInfoRecord::kTroopIndex), 0xFFFF);
    EXPECT_EQ(Info(7, 7).U16(HexInfoRecord::kTroopIndex), 0xFFFF);
    EXPECT_EQ(Info(9, 9).U16(HexInfoRecord::kTroopIndex), 170);
    EXPECT_EQ(Info(4, 4).U16(HexInfoRecord::kFlags), 0);
    EXPECT_EQ(Info(4, 4).U16(HexInfoRecord::kValue3), 0x3333);
    EXPECT_EQ(Info(4, 4).U16(HexInfoRecord::kCountryWord), 0x4444);

    sites.Select(city);
    SiteKindCursor kinds(tables);
    kinds.Select(2);
    EXPECT_EQ(sites.GetCaptureDurability(), kinds.GetCaptureDurability(0));
    EXPECT_EQ(sites.GetDestroyDurability(), kinds.GetDestroyDurability(0));
    sites.Select(neutral);
    EXPECT_EQ(sites.GetCaptureDurability(), 250);
}

// A context built with no more than the tables closes the rebuild with the supply networks, as
// every world needs; only an explicit null leaves them out.
TEST_F(GameContextTest, RebuildHexOccupancyRecomputesTheSupplyNetworksByDefault) {
    const std::uint16_t capital = map.AddSite(0, 0, 10, 10);
    const std::uint16_t town = map.AddSite(3, 0, 40, 40);
    SiteCursor sites(tables);
    for (bool withSupply : {false, true}) {
        SCOPED_TRACE(withSupply ? "default" : "null hook");
        sites.Select(capital);
        sites.SetSupplied(0);
        sites.Select(town);
        sites.SetSupplied(1);
        GameContextEnv env;
        if (!withSupply) env.recomputeAllSupplyNetworks = nullptr;
        GameContext ctx(tables, env);
        EXPECT_EQ(ctx.RebuildHexOccupancy(), 1);
        sites.Select(capital);
        EXPECT_EQ(sites.GetSupplied(), withSupply ? 1 : 0);
        sites.Select(town);
        EXPECT_EQ(sites.GetSupplied(), withSupply ? 0 : 1);
        EXPECT_EQ(Info(10, 10).U8(HexInfoRecord::kCountryByte2 + 0), withSupply ? 1 : 0);
    }
}

TEST_F(GameContextTest, RebuildTroopOccupancyDropsInFlightBitsOfLostParts) {
    struct Case {
        const char* what;
        std::uint16_t flags;
        std::uint8_t orderKind;
        std::uint16_t actionFlags;
        bool partExists;
        std::uint16_t flagsAfter;
    };
    constexpr std::uint16_t kOn = kTroopOnMap;
    const Case cases[] = {
        {"part gone", kOn | 0x0100 | 0x0200, 0, 0, false, kOn | 0x0200},
        {"second kind part gone", kOn | 0x0400, 0, 0, false, kOn},
        {"part still flying", kOn | 0x0100, 0, 0, true, kOn | 0x0100},
        {"firing", kOn | 0x0100, 3, 0, false, kOn | 0x0100},
        {"dispersing", kOn | 0x0400, 11, 0, false, kOn | 0x0400},
        {"fire pending", kOn | 0x0100, 1, kActionFire, false, kOn | 0x0100},
        {"separation pending", kOn | 0x0100, 1, kActionSeparate, false, kOn | 0x0100},
        {"no part expected", kOn, 0, 0, false, kOn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TroopCursor(tables).ResetAllTroops();
        const std::uint16_t t = map.AddTroop(1, 10, 10, {kTank});
        TroopCursor cursor(tables);
        cursor.Select(t);
        cursor.SetStateFlags(c.flags);
        cursor.SetByte364(c.orderKind);
        cursor.SetOrder(c.actionFlags);
        if (c.partExists) {
            cursor.Select(200);
            const std::int16_t units[6] = {kInfantry, -1, -1, -1, -1, -1};
            CreateTroopFromUnits(cursor, units, 1, 0, MakeHexPosition(12, 12), "part");
            cursor.GetRecord()->SetU8(TroopRecord::kRelatedTroop, static_cast<std::uint8_t>(t));
        }
        Info(10, 10).SetU16(HexInfoRecord::kTroopIndex, 0xFFFF);
        Info(30, 30).SetU16(HexInfoRecord::kTroopIndex, 3);

        GameContext ctx(tables);
        ctx.RebuildTroopOccupancy();
        EXPECT_EQ(Troop(t).Flags(), c.flagsAfter);
        EXPECT_EQ(Info(10, 10).U16(HexInfoRecord::kTroopIndex), t);
        EXPECT_EQ(Info(30, 30).U16(HexInfoRecord::kTroopIndex), 0xFFFF);
    }
}

TEST_F(GameContextTest, ResetAllGameTablesEmptiesTheWholeGameState) {
    map.Title("試験").Clock(3, 12, 30).Country(1, 5000);
    map.AddSite(1, 1, 2, 2);
    map.AddTroop(1, 3, 3, {kTank});
    map.AddForceTroop(2, {kTank});
    map.Terrain(4, 4, 8);

    GameContext ctx(tables);
    ctx.ResetAllGameTables();

    ScenarioHeaderCursor header(tables);
    EXPECT_EQ(header.GetDay(), 0);
    EXPECT_EQ(header.GetDayLimit(), 99);
    EXPECT_EQ(header.GetTitle()[0], '\0');
    for (int n = 0; n < 4096; ++n) {
        ASSERT_EQ(tables.GetTableBase(TableId::Hex)[8 * n], 5) << n;
        ASSERT_EQ(HexInfoAt(tables.GetTableBase(TableId::HexInfo), n)->U16(0), 0xFFFF) << n;
    }
    for (int t = 0; t < 255; ++t) ASSERT_EQ(Troop(t).SlotByte(), 0xFF) << t;
    for (int s = 0; s < 200; ++s) ASSERT_EQ(tables.GetTableBase(TableId::Site)[8 * s], 0xFF);
    CountryCursor country(tables);
    country.Select(1);
    EXPECT_EQ(country.GetFunds(), 1000);
    ForceCursor forces(tables);
    for (std::uint8_t c : {5, 0, 1, 2, 3}) {
        forces.SelectSlot(c);
        EXPECT_EQ(forces.GetHeaderInt284(), 10000);
        EXPECT_EQ(forces.FindFreeTroopSlot(), 0);
    }
}

TEST_F(GameContextTest, RemoveSiteAtHexFreesTheSiteAndTheHex) {
    const std::uint16_t site = map.AddSite(3, 2, 6, 6);
    GameContext ctx(tables);
    ctx.RebuildHexOccupancy();
    ASSERT_EQ(ctx.SelectHexInfoXY(6, 6), 1);
    ctx.RemoveSiteAtHex();
    EXPECT_EQ(ctx.GetHexSiteIndex(), 0xFFFF);
    EXPECT_EQ(tables.GetTableBase(TableId::Site)[8 * site], 0xFF);
    ctx.RemoveSiteAtHex();  // nothing left to free
    EXPECT_EQ(ctx.GetHexSiteIndex(), 0xFFFF);
}

TEST_F(GameContextTest, PlayerCountryInGameNeedsAPlayedCountryInPlay) {
    struct Case {
        std::uint8_t player;
        std::uint8_t state;
        int expected;
    };
    const Case cases[] = {{2, 1, 1}, {2, 3, 0}, {2, 0, 0}, {6, 1, 0}, {4, 1, 0}, {0, 1, 1}};
    for (const Case& c : cases) {
        CountryCursor country(tables);
        for (int i = 0; i < 4; ++i) {
            country.Select(i);
            country.SetState(c.state);
        }
        GameContextEnv env;
        env.playerCountry = c.player;
        GameContext ctx(tables, env);
        EXPECT_EQ(ctx.IsPlayerCountryInGame(), c.expected)
            << "player " << int(c.player) << " state " << int(c.state);
    }
}

TEST_F(GameContextTest, WorkGridComesFromTheEnvironmentOrOnFirstUse) {
    HexWorkGrid grid;
    GameContextEnv env;
    env.workGrid = &grid;
    GameContext shared(tables, env);
    EXPECT_EQ(&shared.WorkGrid(), &grid);
    GameContext own(tables);
    HexWorkGrid& first = own.WorkGrid();
    EXPECT_EQ(&own.WorkGrid(), &first);
    EXPECT_NE(&first, &grid);
}

}  // namespace
}  // namespace zv::rules
