#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/countries/CountryStatistics.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::rules::orderstest {
namespace {

using Events = std::vector<std::string>;

class TroopRemovalTest : public OrdersWorld {
  protected:
    TroopRemovalTest() {
        map.Clock(1, 2, 3);
        carrier = map.AddTroop(0, 22, 6, {kCarrier});
        first = map.AddTroop(0, 22, 6, {kInfantry});
        second = map.AddTroop(0, 22, 6, {kSupplyTruck});
        walker = map.AddTroop(0, 4, 4, {kInfantry});
        enemy = map.AddTroop(1, 9, 9, {kInfantry});
        {
            GameContext ctx(tables, env);
            LoadTroop(ctx.Troops(), carrier, first);
            LoadTroop(ctx.Troops(), carrier, second);
        }
        Ready();
    }

    int Lost(std::uint8_t country, int altitudeClass) {
        return GetCountryStats(tables, country)->TroopsLost(altitudeClass);
    }

    // A launched part of the walker at (5, 4); `second` marks it as a fired part.
    std::uint16_t AddPart(std::uint16_t launcher, bool fired) {
        TroopCursor troops(tables);
        troops.Select(160);
        troops.ResetCurrentTroop();
        TroopRecord& part = TroopAtIndex(160);
        part.SetSlotByte(0);
        part.SetCountry(0);
        part.SetHex(MakeHexPosition(5, 4));
        part.SetFlags(kTroopOnMap | kTroopLaunchedPart | (fired ? kTroopPartKindB : 0));
        part.SetU8(TroopRecord::kRelatedTroop, static_cast<std::uint8_t>(launcher));
        part.Member(0).SetUnit(kMissileBody);
        part.Member(0).SetStrength(4);
        part.Formation(0).SetMemberMap(0, 0);
        Ready();
        return 160;
    }

    std::uint16_t carrier = 0;
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    std::uint16_t walker = 0;
    std::uint16_t enemy = 0;
};

TEST_F(TroopRemovalTest, ACarrierGoesWithItsPassengersReportedFirst) {
    ASSERT_EQ(HexTroop(22, 6), carrier);
    EXPECT_EQ(RemoveTroop(*Live(), carrier), 1);
    for (std::uint16_t t : {carrier, first, second}) {
        EXPECT_FALSE(TroopAtIndex(t).IsUsed()) << t;
        EXPECT_EQ(TroopAtIndex(t).Carrier(), kNoTroop) << t;
    }
    EXPECT_EQ(HexTroop(22, 6), kNoTroop);
    EXPECT_EQ(events.events, (Events{"MapTroopRemoved(" + std::to_string(first) + ")",
                                     "MapTroopRemoved(" + std::to_string(second) + ")",
                                     "MapTroopRemoved(" + std::to_string(carrier) + ")",
                                     "PanelTroopRemoved(" + std::to_string(carrier) + ")",
                                     "RefreshTroopListWindow"}));
    EXPECT_EQ(Lost(0, 3), 2) << "the two passengers on the ground";
    EXPECT_EQ(Lost(0, 4), 1) << "the carrier at sea";
}

TEST_F(TroopRemovalTest, APassengerLeavesItsCarrierWhichKeepsItsHex) {
    auto ctx = Live();
    EXPECT_EQ(RemoveTroop(*ctx, first), 1);
    EXPECT_TRUE(TroopAtIndex(carrier).Flags() & kTroopCarrying) << "one passenger is left";
    EXPECT_EQ(HexTroop(22, 6), carrier);
    EXPECT_EQ(RemoveTroop(*ctx, second), 1);
    EXPECT_FALSE(TroopAtIndex(carrier).Flags() & kTroopCarrying);
    EXPECT_EQ(HexTroop(22, 6), carrier);
}

TEST_F(TroopRemovalTest, AnEnemyTroopDoesNotRefreshTheLocalList) {
    EXPECT_EQ(RemoveTroop(*Live(), enemy), 1);
    EXPECT_EQ(events.events, (Events{"MapTroopRemoved(" + std::to_string(enemy) + ")",
                                     "PanelTroopRemoved(" + std::to_string(enemy) + ")"}));
    EXPECT_EQ(Lost(1, 3), 1);
}

TEST_F(TroopRemovalTest, APartCountsNoLossButFreesItsLauncher) {
    struct Case {
        bool fired;
        std::uint16_t launcherFlagsAfter;
    };
    for (const Case& c : {Case{true, kTroopPartInFlight1 | kTroopPartInFlight2},
                          Case{false, kTroopPartInFlightB}}) {
        SCOPED_TRACE(c.fired);
        const std::uint16_t part = AddPart(walker, c.fired);
        TroopAtIndex(walker).SetFlags(kTroopOnMap | kTroopPartInFlight1 | kTroopPartInFlight2 |
                                      kTroopPartInFlightB);
        EXPECT_EQ(RemoveTroop(*Live(), part), 1);
        EXPECT_EQ(TroopAtIndex(walker).Flags(), kTroopOnMap | c.launcherFlagsAfter);
        EXPECT_FALSE(TroopAtIndex(part).IsUsed());
        EXPECT_EQ(HexTroop(5, 4), kNoTroop);
        EXPECT_EQ(Lost(0, 2), 0);
        EXPECT_EQ(events.events, (Events{"PanelTroopRemoved(160)", "RefreshTroopListWindow"}));
    }
}

TEST_F(TroopRemovalTest, TheShadowKeepsItsRemovalsToItself) {
    const std::uint64_t live = tables.HashLiveTables();
    EXPECT_EQ(RemoveTroop(*Shadow(), carrier), 1);
    EXPECT_EQ(tables.HashLiveTables(), live);
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(Lost(0, 4), 0);
    EXPECT_FALSE(TroopAtIndex(carrier, TableId::ShadowTroop).IsUsed());
    EXPECT_FALSE(TroopAtIndex(first, TableId::ShadowTroop).IsUsed());
    EXPECT_EQ(HexTroop(22, 6, TableId::ShadowHexInfo), kNoTroop);
    EXPECT_EQ(RemoveTroop(*Shadow(), kNoTroop), 0);
}

TEST_F(TroopRemovalTest, RemovingACountryRemovesOnlyItsTroops) {
    const std::uint16_t gunship = map.AddTroop(1, 11, 11, {kGunship});
    Ready();
    EXPECT_EQ(RemoveCountryTroops(*Live(), 1), 1);
    EXPECT_FALSE(TroopAtIndex(enemy).IsUsed());
    EXPECT_FALSE(TroopAtIndex(gunship).IsUsed());
    for (std::uint16_t t : {carrier, first, walker}) EXPECT_TRUE(TroopAtIndex(t).IsUsed()) << t;
}

class FallOfACountryTest : public OrdersWorld {
  protected:
    FallOfACountryTest() {
        // Country 1's capital at (10, 10) and town at (14, 10); country 0's large city at (3, 3).
        capital = map.AddSite(0, 1, 10, 10);
        town = map.AddSite(3, 1, 14, 10);
        ownCity = map.AddSite(1, 0, 3, 3);
        Ready();
    }

    const SiteRecord& Site(std::uint16_t s) {
        return *reinterpret_cast<const SiteRecord*>(tables.GetTableBase(TableId::Site) + 8 * s);
    }
    std::uint8_t Network(int x, int y, int c) {
        return tables.GetTableBase(TableId::HexInfo)[(x + 64 * y) * 36 + 20 + c];
    }

    std::uint16_t capital = 0;
    std::uint16_t town = 0;
    std::uint16_t ownCity = 0;
};

TEST_F(FallOfACountryTest, SitesBecomeNeutralWithNeutralDurabilities) {
    ASSERT_EQ(Network(10, 10, 1), 1);
    ASSERT_EQ(Site(capital).U8(SiteRecord::kSupplied), 1);
    const SiteRecord ownBefore = Site(ownCity);

    EXPECT_EQ(ReleaseCountrySites(*Live(), 1), 1);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kKind), 1) << "the capital is now a large city";
    EXPECT_EQ(Site(capital).U8(SiteRecord::kOwner), kNeutralCountry);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kCaptureDurability), 140);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kDestroyDurability), 140);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kSupplied), 0);
    EXPECT_EQ(Site(town).U8(SiteRecord::kKind), 3);
    EXPECT_EQ(Site(town).U8(SiteRecord::kCaptureDurability), 35);
    EXPECT_EQ(Site(ownCity).bytes, ownBefore.bytes);
    EXPECT_EQ(Network(10, 10, 1), 0) << "the networks were recomputed";
    EXPECT_EQ(Network(3, 3, 0), 1);
}

TEST_F(FallOfACountryTest, NoCountryMeansNothingToRelease) {
    const std::uint64_t before = tables.HashLiveTables();
    for (std::uint8_t c : {std::uint8_t{4}, std::uint8_t{6}, std::uint8_t{0xFF}}) {
        EXPECT_EQ(ReleaseCountrySites(*Live(), c), 0) << int(c);
    }
    EXPECT_EQ(tables.HashLiveTables(), before);
}

}  // namespace
}  // namespace zv::rules::orderstest
