#include <gtest/gtest.h>

#include "rules/records/NewsRecord.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Movement.h"

namespace zv::rules::orderstest {
namespace {

constexpr std::uint16_t Hex(int x, int y) {
    return MakeHexPosition(x, y);
}

class MovementTest : public OrdersWorld {
  protected:
    MovementTest() {
        walker = map.AddTroop(0, 5, 5, {kInfantry});
        gunship = map.AddTroop(0, 8, 8, {kGunship});
        mixed = map.AddTroop(0, 10, 3, {kInfantry, kGunship});
        Ready();
    }

    std::uint16_t walker = 0;
    std::uint16_t gunship = 0;
    std::uint16_t mixed = 0;
};

TEST_F(MovementTest, AStepMovesTheTroopAndItsHexEntry) {
    TroopRecord& r = TroopAtIndex(walker);
    r.SetU8(TroopRecord::kMoveDelay, 9);
    auto ctx = Live();
    ASSERT_EQ(ExecMove(*ctx, walker, Hex(6, 5), 3, 2), 1);
    EXPECT_EQ(r.Hex(), Hex(6, 5));
    EXPECT_EQ(r.U8(TroopRecord::kCommandByte), 3);
    EXPECT_EQ(r.U8(TroopRecord::kOrderPhase), 2);
    EXPECT_EQ(r.U8(TroopRecord::kMoveDelay), 2) << "infantry on land kind 0";
    EXPECT_EQ(HexTroop(5, 5), kNoTroop);
    EXPECT_EQ(HexTroop(6, 5), walker);

    // A step onto the hex it stands on changes nothing.
    const std::uint64_t before = tables.HashLiveTables();
    EXPECT_EQ(ExecMove(*ctx, walker, Hex(6, 5), 0, 4), 1);
    EXPECT_EQ(tables.HashLiveTables(), before);
    EXPECT_EQ(ExecMove(*ctx, kNoTroop, Hex(6, 5), 0, 4), 0);

    // A step to or from a hex off the map is refused whole: the troop and the hex entries keep
    // agreeing.
    for (std::uint16_t to : {Hex(64, 5), Hex(6, 0xFF), std::uint16_t{0xFFFF}}) {
        EXPECT_EQ(ExecMove(*ctx, walker, to, 1, 1), 0) << to;
        EXPECT_EQ(tables.HashLiveTables(), before) << to;
    }
    r.SetHex(Hex(70, 5));
    const std::uint64_t offMap = tables.HashLiveTables();
    EXPECT_EQ(ExecMove(*ctx, walker, Hex(5, 5), 1, 1), 0);
    EXPECT_EQ(tables.HashLiveTables(), offMap);
}

TEST_F(MovementTest, LeavingTheGroundDropsTheSuppliedFlag) {
    TroopRecord& walking = TroopAtIndex(walker);
    TroopRecord& flying = TroopAtIndex(gunship);
    walking.SetFlags(kTroopOnMap | kTroopGroundSupplied);
    flying.SetFlags(kTroopOnMap | kTroopGroundSupplied);
    auto ctx = Live();
    ExecMove(*ctx, walker, Hex(6, 5), 3, 1);
    ExecMove(*ctx, gunship, Hex(9, 8), 3, 1);
    EXPECT_TRUE(walking.Flags() & kTroopGroundSupplied);
    EXPECT_FALSE(flying.Flags() & kTroopGroundSupplied);
}

TEST_F(MovementTest, ARadarSightedTroopIsUnseenAfterAStepInTheFog) {
    TroopRecord& r = TroopAtIndex(walker);
    for (bool fog : {true, false}) {
        SCOPED_TRACE(fog);
        ScenarioHeaderCursor(tables).SetOptionByte1(fog ? 1 : 0);
        r.SetFlags(kTroopOnMap | kTroopRadarVisible);
        r.SetVisibility(0x0033);
        auto ctx = Live();
        ExecMove(*ctx, walker, r.Hex() == Hex(5, 5) ? Hex(6, 5) : Hex(5, 5), 0, 1);
        EXPECT_FALSE(r.Flags() & kTroopRadarVisible);
        EXPECT_EQ(r.Visibility(), fog ? 0 : 0x0033);
    }
}

TEST_F(MovementTest, FuelBurnsByAmountOrByMoveCost) {
    auto ctx = Live();
    TroopRecord& r = TroopAtIndex(walker);
    r.Member(0).SetFuel(40);
    ASSERT_EQ(BurnTroopFuel(*ctx, walker, 0, 7), 1);
    EXPECT_EQ(r.Member(0).Fuel(), 33);
    // Amount 0: the move cost of the terrain class given (class 3 is water: impassable, 255).
    ASSERT_EQ(BurnTroopFuel(*ctx, walker, 2, 0), 1);
    EXPECT_EQ(r.Member(0).Fuel(), 33 - (2 + 2 % 4));
}

TEST_F(MovementTest, DryFlyersFallOutWhileGroundMembersStay) {
    TroopRecord& r = TroopAtIndex(mixed);
    r.Member(0).SetFuel(3);
    r.Member(1).SetFuel(3);
    auto ctx = Live();
    ASSERT_EQ(BurnTroopFuel(*ctx, mixed, 0, 5), 1);
    EXPECT_TRUE(r.Member(0).IsPresent());
    EXPECT_EQ(r.Member(0).Fuel(), 0);
    EXPECT_FALSE(r.Member(1).IsPresent()) << "the helicopter has crashed";
    EXPECT_TRUE(events.events.empty());
}

TEST_F(MovementTest, ACrashRemovesTheTroopAndTellsItsOwner) {
    TroopRecord& r = TroopAtIndex(gunship);
    r.Member(0).SetFuel(1);
    r.SetU16(TroopRecord::kIcon, 5);
    auto ctx = Live();
    EXPECT_EQ(BurnTroopFuel(*ctx, gunship, 0, 2), 0);
    EXPECT_FALSE(r.IsUsed());
    EXPECT_EQ(HexTroop(8, 8), kNoTroop);
    ASSERT_EQ(events.newsPosted.size(), 1u);
    const NewsRecord* news = reinterpret_cast<const NewsRecord*>(events.newsPosted[0].data());
    EXPECT_EQ(news->Kind(), kNewsCrashed);
    EXPECT_EQ(news->HexX(), 8);
    EXPECT_EQ(news->HexY(), 8);
    EXPECT_EQ(news->Country(), 0);
    EXPECT_EQ(news->FirstTroop(), gunship);
    EXPECT_EQ(news->FirstIcon(), 5) << "12 x country 0 + picture kind 5";
    EXPECT_EQ(events.events.front(), "NewsPosted(5)");
}

TEST_F(MovementTest, CrashesOnTheShadowOrOfPartsPostNothing) {
    TroopAtIndex(gunship, TableId::ShadowTroop).Member(0).SetFuel(1);
    EXPECT_EQ(BurnTroopFuel(*Shadow(), gunship, 0, 2), 0);
    EXPECT_FALSE(TroopAtIndex(gunship, TableId::ShadowTroop).IsUsed());
    EXPECT_TRUE(TroopAtIndex(gunship).IsUsed());

    TroopRecord& part = TroopAtIndex(gunship);
    part.SetFlags(kTroopOnMap | kTroopLaunchedPart);
    part.Member(0).SetFuel(1);
    EXPECT_EQ(BurnTroopFuel(*Live(), gunship, 0, 2), 0);
    EXPECT_TRUE(events.newsPosted.empty());
}

TEST_F(MovementTest, TheEnemysCrashIsNotTheLocalPlayersNews) {
    const std::uint16_t enemy = map.AddTroop(1, 12, 12, {kGunship});
    Ready();
    TroopAtIndex(enemy).Member(0).SetFuel(1);
    EXPECT_EQ(BurnTroopFuel(*Live(), enemy, 0, 2), 0);
    EXPECT_TRUE(events.newsPosted.empty());
}

}  // namespace
}  // namespace zv::rules::orderstest
