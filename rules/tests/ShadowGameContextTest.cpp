#include <gtest/gtest.h>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/records/MapCursors.h"
#include "rules/testing/MapBuilder.h"
#include "rules/tests/TroopMembersFixture.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules {
namespace {

using membertest::kArtillery;
using membertest::kTank;
using testing::MapBuilder;

// A small map in the live tables, copied into the ShadowTables as play begins.
class ShadowGameContextTest : public ::testing::Test {
  protected:
    ShadowGameContextTest() {
        map.Country(0).Country(1);
        map.TerrainRect(0, 0, 20, 20, 0);
        city = map.AddSite(2, 0, 4, 4);
        tank = map.AddTroop(0, 5, 5, {kTank, kArtillery});
        enemy = map.AddTroop(1, 9, 9, {kTank});
        GameContext(tables).RebuildHexOccupancy();
        SnapshotGameBlocks(tables);
    }

    std::uint64_t RuleTablesHash() const {
        return tables.HashTables({TableId::LandKind, TableId::MvcostKd, TableId::DefencDk,
                                  TableId::ActionKd, TableId::UnitKind, TableId::WeaponKd,
                                  TableId::SiteKind, TableId::UnitInfo, TableId::ProKind});
    }
    std::uint64_t LiveStateHash() const {
        return tables.HashTables({TableId::Site, TableId::Troop, TableId::Hex, TableId::HexInfo,
                                  TableId::Country, TableId::ScenarioHeader, TableId::Force});
    }

    // Every kind of change a rules object makes, through whatever context it is given.
    static void ChangeEverything(GameContext& ctx, std::uint16_t troop) {
        ctx.RebuildTroopOccupancy();
        ASSERT_EQ(ctx.SelectHexInfoXY(4, 4), 1);
        ctx.SetHexMarkBits(3);
        ctx.SetHexCountryWord(1, 77);
        ctx.RemoveSiteAtHex();
        ASSERT_EQ(ctx.Troops().Select(troop), 1);
        RemoveMember(ctx.Troops(), 1);
        SetMemberUnit(ctx.Troops(), 3, kTank);
        ctx.Troops().SetHex(MakeHexPosition(6, 6));
        ctx.Countries().Select(1);
        ctx.Countries().SetFunds(5);
        ctx.Header().AdvanceClock();
        ctx.ClearAllHexMarksAndWords();
        ctx.RebuildHexOccupancy();
    }

    TableDirectory tables;
    membertest::InstallMemberRules installed{tables};
    MapBuilder map{tables, 0};
    std::uint16_t city = 0;
    std::uint16_t tank = 0;
    std::uint16_t enemy = 0;
};

TEST_F(ShadowGameContextTest, OnlyTheShadowAnswersIsShadow) {
    GameContext live(tables);
    ShadowGameContext shadow(tables);
    EXPECT_EQ(live.IsShadow(), 0);
    EXPECT_EQ(shadow.IsShadow(), 1);
    EXPECT_EQ(shadow.GetTableSet().troop, TableId::ShadowTroop);
    EXPECT_EQ(shadow.GetTableSet().hex, TableId::Hex);
}

TEST_F(ShadowGameContextTest, ShadowOperationsChangeOnlyTheShadowTables) {
    const std::uint64_t live = LiveStateHash();
    const std::uint64_t rules = RuleTablesHash();
    const std::uint64_t shadowBefore = HashShadowTables(tables);

    ShadowGameContext ctx(tables);
    ChangeEverything(ctx, tank);

    EXPECT_EQ(LiveStateHash(), live);
    EXPECT_EQ(RuleTablesHash(), rules);
    EXPECT_NE(HashShadowTables(tables), shadowBefore);
    // The changes landed in the shadow records.
    const TroopRecord& shadowTank = *TroopAt(tables.GetTableBase(TableId::ShadowTroop), tank);
    EXPECT_EQ(shadowTank.Hex(), MakeHexPosition(6, 6));
    EXPECT_EQ(tables.GetTableBase(TableId::ShadowSite)[8 * city], 0xFF);
    EXPECT_EQ(HexInfoAt(tables.GetTableBase(TableId::ShadowHexInfo), 6 + 64 * 6)->U16(2), tank);
}

TEST_F(ShadowGameContextTest, LiveOperationsLeaveTheShadowTablesAlone) {
    const std::uint64_t shadow = HashShadowTables(tables);
    const std::uint64_t live = LiveStateHash();
    GameContext ctx(tables);
    ChangeEverything(ctx, tank);
    EXPECT_EQ(HashShadowTables(tables), shadow);
    EXPECT_NE(LiveStateHash(), live);
}

TEST_F(ShadowGameContextTest, HexQueriesReadLiveTerrainAndShadowOccupancy) {
    // The shadow troop moved; live terrain changed under it.
    TroopCursor shadowTroops(tables, TableId::ShadowTroop);
    shadowTroops.Select(enemy);
    shadowTroops.SetHex(MakeHexPosition(12, 12));
    map.Terrain(12, 12, 8);
    ShadowGameContext shadow(tables);
    shadow.RebuildTroopOccupancy();

    HexDescription d;
    shadow.GetHexDescription(MakeHexPosition(12, 12), d);
    EXPECT_EQ(d.landKind, 8);
    EXPECT_EQ(d.troopIndex, enemy);
    EXPECT_EQ(d.troopCountry, 1);
    shadow.GetHexDescription(MakeHexPosition(9, 9), d);
    EXPECT_EQ(d.troopIndex, 0xFFFF);

    GameContext live(tables);
    live.GetHexDescription(MakeHexPosition(12, 12), d);
    EXPECT_EQ(d.landKind, 8);
    EXPECT_EQ(d.troopIndex, 0xFFFF);
    live.GetHexDescription(MakeHexPosition(9, 9), d);
    EXPECT_EQ(d.troopIndex, enemy);
}

TEST_F(ShadowGameContextTest, ShadowSelectionsFailLikeTheLiveOnes) {
    ShadowGameContext ctx(tables);
    struct Case {
        const char* what;
        int result;
    };
    const Case cases[] = {
        {"troop 254", ctx.Troops().Select(254)},       {"troop 255", ctx.Troops().Select(255)},
        {"troop 0xFFFF", ctx.Troops().Select(0xFFFF)}, {"site 199", ctx.Sites().Select(199)},
        {"site 200", ctx.Sites().Select(200)},         {"country 3", ctx.Countries().Select(3)},
        {"country 4", ctx.Countries().Select(4)},      {"hex 4095", ctx.SelectHexInfo(4095)},
        {"hex 4096", ctx.SelectHexInfo(4096)},
    };
    const int expected[] = {1, 0, 0, 1, 0, 1, 0, 1, 0};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(cases[i].result, expected[i]) << cases[i].what;

    // Failed selections left the last good ones, all inside the shadow tables.
    EXPECT_EQ(ctx.Troops().GetIndex(), 254);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ctx.Troops().GetRecord()),
              tables.GetTableBase(TableId::ShadowTroop) + 418 * 254);
    EXPECT_EQ(ctx.Sites().GetRecord(), tables.GetTableBase(TableId::ShadowSite) + 8 * 199);
    EXPECT_EQ(ctx.Countries().GetRecord(), tables.GetTableBase(TableId::ShadowCountry) + 86 * 3);
    EXPECT_EQ(ctx.Header().GetRecord(), tables.GetTableBase(TableId::ShadowScenarioHeader));
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ctx.GetHexInfoRecord()),
              tables.GetTableBase(TableId::ShadowHexInfo) + 36 * 4095);
    EXPECT_EQ(ctx.Hexes().GetRecord(), tables.GetTableBase(TableId::Hex) + 8 * 4095);
}

TEST_F(ShadowGameContextTest, ContextsStartOnRecordZeroOfTheirTables) {
    ShadowGameContext ctx(tables);
    EXPECT_EQ(ctx.GetHexInfoIndex(), 0);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ctx.GetHexInfoRecord()),
              tables.GetTableBase(TableId::ShadowHexInfo));
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ctx.Troops().GetRecord()),
              tables.GetTableBase(TableId::ShadowTroop));
    EXPECT_EQ(ctx.Sites().GetRecord(), tables.GetTableBase(TableId::ShadowSite));
}

}  // namespace
}  // namespace zv::rules
