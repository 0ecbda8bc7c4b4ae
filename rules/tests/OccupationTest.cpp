#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/countries/Income.h"
#include "rules/records/NewsRecord.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Occupation.h"

namespace zv::rules::orderstest {
namespace {

using Events = std::vector<std::string>;

// Site kinds of the rule set: income 100 - 10 x kind, capture 200 - 20 x kind, destroy
// 190 - 20 x kind, supplies 10 x (kind + 1).
class OccupationTest : public OrdersWorld {
  protected:
    const SiteRecord& Site(std::uint16_t s, TableId table = TableId::Site) {
        return *reinterpret_cast<const SiteRecord*>(tables.GetTableBase(table) + 8 * s);
    }
    std::int32_t Supplies(std::uint8_t c) {
        return ReadS32(tables.GetTableBase(TableId::Country) + 86 * c, CountryRecord::kValue46);
    }
    const NewsRecord& Posted(std::size_t i) {
        return *reinterpret_cast<const NewsRecord*>(events.newsPosted.at(i).data());
    }
};

TEST_F(OccupationTest, AnEnemyCapitalFallsAsALargeCity) {
    const std::uint16_t capital = map.AddSite(0, 1, 8, 8);
    const std::uint16_t raider = map.AddTroop(0, 8, 8, {kInfantry});
    map.Clock(1, 2, 3);
    Ready();
    TroopAtIndex(raider).SetU16(TroopRecord::kIcon, 3);

    EXPECT_EQ(ExecOccupy(*Live(), raider), 1);
    const SiteRecord& s = Site(capital);
    EXPECT_EQ(s.U8(SiteRecord::kOwner), 0);
    EXPECT_EQ(s.U8(SiteRecord::kKind), 1);
    EXPECT_EQ(s.U8(SiteRecord::kCaptureDurability), 180) << "the table value of a large city";
    EXPECT_EQ(s.U8(SiteRecord::kDestroyDurability), 170);
    EXPECT_EQ(Funds(0), 10000 + 100) << "the bonus is the income of the capital it was";
    EXPECT_EQ(Supplies(0), 20) << "the supplies of the large city it is";
    EXPECT_EQ(Funds(1), 10000);

    ASSERT_EQ(events.newsPosted.size(), 1u);
    const NewsRecord& news = Posted(0);
    EXPECT_EQ(news.Kind(), kNewsOccupied);
    EXPECT_EQ(news.SubIndex(), 6 * 1 + 0);
    EXPECT_EQ(news.HexX(), 8);
    EXPECT_EQ(news.Value(), 100);
    EXPECT_EQ(news.Country(), 0);
    EXPECT_EQ(news.FirstTroop(), raider);
    EXPECT_EQ(news.FirstIcon(), 3);
    EXPECT_EQ(news.TimeHours(), 1 * 24 + 2);
    EXPECT_EQ(news.Minute(), 3);
    EXPECT_EQ(events.events.back(), "RefreshCampInfo");
}

TEST_F(OccupationTest, ANeutralCapitalStaysACapital) {
    const std::uint16_t capital = map.AddSite(0, kNeutralCountry, 8, 8);
    const std::uint16_t raider = map.AddTroop(0, 8, 8, {kInfantry});
    Ready();
    EXPECT_EQ(ExecOccupy(*Live(), raider), 1);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kKind), 0);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kCaptureDurability), 200);
    EXPECT_EQ(Site(capital).U8(SiteRecord::kSupplied), 1) << "its new owner's network reaches it";
}

TEST_F(OccupationTest, TheLoserHearsOfItAndTheShadowHearsNothing) {
    const std::uint16_t town = map.AddSite(3, 0, 8, 8);
    const std::uint16_t raider = map.AddTroop(1, 8, 8, {kInfantry});
    Ready();
    EXPECT_EQ(ExecOccupy(*Shadow(), raider), 1);
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(Site(town, TableId::ShadowSite).U8(SiteRecord::kOwner), 1);
    EXPECT_EQ(Site(town).U8(SiteRecord::kOwner), 0);

    EXPECT_EQ(ExecOccupy(*Live(), raider), 1);
    ASSERT_EQ(events.newsPosted.size(), 1u);
    EXPECT_EQ(Posted(0).Kind(), kNewsSiteTaken);
    EXPECT_EQ(Posted(0).Country(), 0);
    EXPECT_EQ(Posted(0).SubIndex(), 3);
    EXPECT_EQ(Funds(1), 10000 + 70);
}

TEST_F(OccupationTest, PerformanceFlagsDecideBonusAndSupplies) {
    const std::uint16_t airport = map.AddSite(4, 1, 8, 8);
    const std::uint16_t port = map.AddSite(5, 1, 20, 8);
    const std::uint16_t a = map.AddTroop(0, 8, 8, {kInfantry});
    const std::uint16_t b = map.AddTroop(0, 20, 8, {kInfantry});
    Ready();
    auto ctx = Live();
    EXPECT_EQ(ExecOccupy(*ctx, a), 1);
    EXPECT_EQ(Funds(0), 10000) << "an airport pays no bonus";
    EXPECT_EQ(Supplies(0), 50);
    EXPECT_EQ(ExecOccupy(*ctx, b), 1);
    EXPECT_EQ(Funds(0), 10000);
    EXPECT_EQ(Supplies(0), 50) << "a port credits nothing";
    EXPECT_EQ(Site(port).U8(SiteRecord::kOwner), 0);
    EXPECT_EQ(Site(airport).U8(SiteRecord::kOwner), 0);
}

TEST_F(OccupationTest, OwnAlliedOrMissingSitesAreNotTaken) {
    map.AddSite(2, 0, 4, 4);
    map.AddSite(2, 1, 6, 6);
    map.Alliance(1, 0x03);
    const std::uint16_t onOwn = map.AddTroop(0, 4, 4, {kInfantry});
    const std::uint16_t onAllied = map.AddTroop(0, 6, 6, {kInfantry});
    const std::uint16_t onNothing = map.AddTroop(0, 7, 7, {kInfantry});
    Ready();
    const std::uint64_t before = tables.HashLiveTables();
    auto ctx = Live();
    for (std::uint16_t t : {onOwn, onAllied, onNothing, kNoTroop}) {
        EXPECT_EQ(ExecOccupy(*ctx, t), 0) << t;
    }
    EXPECT_EQ(tables.HashLiveTables(), before);
    EXPECT_TRUE(events.events.empty());
}

TEST_F(OccupationTest, TheBonusNeverPassesTheFundsCap) {
    map.AddSite(0, 1, 8, 8);
    const std::uint16_t raider = map.AddTroop(0, 8, 8, {kInfantry});
    Ready();
    SetFunds(0, kMaxFunds - 30);
    EXPECT_EQ(ExecOccupy(*Live(), raider), 1);
    EXPECT_EQ(Funds(0), kMaxFunds);
}

class IncomeTest : public OrdersWorld {
  protected:
    IncomeTest() {
        map.AddSite(0, 0, 2, 2);   // 100
        map.AddSite(2, 0, 4, 4);   // 80
        map.AddSite(2, 0, 6, 6);   // 80
        map.AddSite(5, 1, 20, 2);  // 50
        map.AddSite(3, 4, 8, 8);   // neutral
        Ready();
    }
};

TEST_F(IncomeTest, SitesPayTheirOwnersOnceADay) {
    SetFunds(1, kMaxFunds - 1000);
    SnapshotGameBlocks(tables);
    AddSiteIncome(*Live());
    EXPECT_EQ(Funds(0), 10000 + 260);
    EXPECT_EQ(Funds(1), kMaxFunds - 950);
    AddSiteIncome(*Live());
    EXPECT_EQ(Funds(1), kMaxFunds - 900);

    // The shadow pays from its own sites, into its own countries.
    SiteCursor(tables, TableId::ShadowSite).ChangeSite(1, 2, 1);
    AddSiteIncome(*Shadow());
    EXPECT_EQ(Funds(0, TableId::ShadowCountry), 10000 + 180);
    EXPECT_EQ(Funds(1, TableId::ShadowCountry), kMaxFunds - 1000 + 130);
}

TEST_F(IncomeTest, IncomeStopsAtTheCap) {
    SetFunds(0, 999999000);
    AddSiteIncome(*Live());
    EXPECT_EQ(Funds(0), 999999260);
    SetFunds(0, 999999900);
    AddSiteIncome(*Live());
    EXPECT_EQ(Funds(0), kMaxFunds);
    EXPECT_EQ(AddToFunds(kMaxFunds, 5000), kMaxFunds);
    EXPECT_EQ(AddToFunds(-20, 5), -15);
}

TEST_F(IncomeTest, TheClockIsSetWhole) {
    EXPECT_EQ(SetClock(*Live(), 4, 23, 59, 0), 1);
    ScenarioHeaderCursor header(tables);
    EXPECT_EQ(header.GetDay(), 4);
    EXPECT_EQ(header.GetHour(), 23);
    EXPECT_EQ(header.GetMinute(), 59);
    EXPECT_EQ(header.GetDaytime(), 0);
}

TEST_F(IncomeTest, CountryStatistics) {
    map.AddTroop(0, 3, 3, {kInfantry, kHeadquarters});
    map.AddTroop(0, 3, 4, {kHeadquarters});
    map.AddTroop(0, 3, 5, {kInfantry});
    map.AddTroop(1, 9, 5, {kGunship});
    map.DeploymentArea(0, 0, 3, 1, 1);
    map.AddForceTroop(1, {kInfantry});
    map.AddForceTroop(1, {kBoat});
    {
        CountryCursor countries(tables);
        countries.Select(1);
        countries.SetAllianceMask(0x06);
        countries.Select(2);
        countries.SetParticipation(0);
    }

    EXPECT_EQ(GetCountryFunds(tables, 0), 10000);
    EXPECT_EQ(GetCountryIncome(tables, 0), 260);
    EXPECT_EQ(GetIncomeFromSiteKind(tables, 0, 2), 160);
    EXPECT_EQ(GetSiteKindIncome(tables, 3, 5), 50);
    EXPECT_EQ(CountSitesOfKind(tables, 0, 2), 2);
    EXPECT_EQ(CountSitesOfKind(tables, 4, 3), 1);
    EXPECT_EQ(CountSitesOfKindFlagged(tables, 0, 0), 1);
    EXPECT_EQ(CountSitesOfKindFlagged(tables, 0, 2), 0) << "cities off the road network";
    EXPECT_EQ(CountCountryHqTroops(tables, 0), 2);
    EXPECT_EQ(CountCountryHexes(tables, 1), 8);
    EXPECT_EQ(GetForceTroopCount(tables, 1), 2);
    EXPECT_EQ(GetForceTroopCount(tables, 0), 0);
    EXPECT_STREQ(GetCountryParticipationText(tables, 0), "参戦国");
    EXPECT_STREQ(GetCountryParticipationText(tables, 2), "不参戦");
    EXPECT_EQ(GetCountryParticipationText(tables, 9), nullptr);
    EXPECT_EQ(GetCountryAllianceMask(tables, 1), 0x06);
    EXPECT_EQ(GetCountryAllianceMask(tables, 9), 0);
    EXPECT_EQ(CountCountryTroopsByCategory(tables, 0, 7), 3);
    EXPECT_EQ(CountCountryTroopsByCategory(tables, 0, 5), 3) << "all on the ground";
    EXPECT_EQ(CountCountryTroopsByCategory(tables, 1, 3), 1) << "the gunship flies low";
    EXPECT_EQ(CountCountryTroopsByCategory(tables, 1, 4), 0);
}

TEST_F(IncomeTest, TroopCategoriesCountTheMapTroopsAndSplitByHeadquarters) {
    const std::uint16_t gunship = map.AddTroop(1, 9, 5, {kGunship});
    map.AddTroop(1, 9, 6, {kGunship, kHeadquarters});  // flies low: the first member decides
    map.AddTroop(1, 9, 7, {kHeadquarters});
    // A launched part of country 1 among troops 160-254 is not a map troop.
    TroopAtIndex(kMapTroopCount) = TroopAtIndex(gunship);

    struct Case {
        std::uint8_t country;
        int category;
        int expected;
    };
    for (const Case& c : {Case{1, 7, 3}, Case{1, 3, 1}, Case{1, 4, 1}, Case{1, 5, 1}, Case{5, 3, 1},
                          Case{0, 3, 0}, Case{1, 2, 0}}) {
        EXPECT_EQ(CountCountryTroopsByCategory(tables, c.country, c.category), c.expected)
            << "country " << int(c.country) << " category " << c.category;
    }
}

}  // namespace
}  // namespace zv::rules::orderstest
