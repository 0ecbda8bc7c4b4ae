#include <gtest/gtest.h>

#include "rules/countries/CountryStatistics.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Supply.h"

namespace zv::rules::orderstest {
namespace {

constexpr std::uint16_t Hex(int x, int y) {
    return MakeHexPosition(x, y);
}

// Country 0 owns a large city at (5, 5) and an airport at (8, 8), both supplied by their own
// network (large cities spread one; the airport gets a capital beside it); country 1 owns a city
// at (12, 12); a port of country 0 at (20, 5) supplies but sells nothing.
class SupplyTest : public OrdersWorld {
  protected:
    SupplyTest() {
        city = map.AddSite(1, 0, 5, 5);
        airport = map.AddSite(4, 0, 8, 8);
        map.AddSite(0, 0, 9, 8);
        map.Road(8, 8, 0x08).Road(9, 8, 0x01);
        enemyCity = map.AddSite(2, 1, 12, 12);
        port = map.AddSite(5, 0, 20, 5);
        map.Road(20, 5, 0x01).Road(19, 5, 0x09).Road(18, 5, 0x08);
        map.AddSite(1, 0, 18, 5);
    }

    TroopMember& Member(std::uint16_t t, int m, TableId table = TableId::Troop) {
        return TroopAtIndex(t, table).Member(m);
    }
    std::int32_t Spent(std::uint8_t c) { return GetCountryStats(tables, c)->Total(); }

    std::uint16_t city = 0;
    std::uint16_t airport = 0;
    std::uint16_t enemyCity = 0;
    std::uint16_t port = 0;
};

TEST_F(SupplyTest, LaunchWeaponsAreBoughtAsFarAsTheFundsGo) {
    const std::uint16_t fighter = map.AddTroop(0, 8, 8, {kFighter});
    Ready();
    SetFunds(0, 1000);
    Member(fighter, 0).SetAmmo(0, 0);
    Member(fighter, 0).SetFuel(2);
    SnapshotGameBlocks(tables);

    EXPECT_EQ(ExecSupply(*Shadow(), fighter, kNoTroop, airport), 1);
    EXPECT_EQ(ExecSupply(*Live(), fighter, kNoTroop, airport), 1);
    for (TableId table : {TableId::Troop, TableId::ShadowTroop}) {
        EXPECT_EQ(Member(fighter, 0, table).Ammo(0), 3) << "3 shots of 300 out of 1000";
        EXPECT_EQ(Member(fighter, 0, table).FireCounter(0), 5);
        EXPECT_EQ(Member(fighter, 0, table).Fuel(), 20) << "fuel is free";
    }
    EXPECT_EQ(Funds(0), 100);
    EXPECT_EQ(Funds(0, TableId::ShadowCountry), 100);
    EXPECT_EQ(Spent(0), 900) << "only the live run counts the spending";

    // With the funds for all of it, the rest is bought whole.
    SetFunds(0, 5000);
    ExecSupply(*Live(), fighter, kNoTroop, airport);
    EXPECT_EQ(Member(fighter, 0).Ammo(0), 10);
    EXPECT_EQ(Funds(0), 5000 - 7 * 300);
}

TEST_F(SupplyTest, FundsEqualToThePriceBuyExactlyThat) {
    const std::uint16_t fighter = map.AddTroop(0, 8, 8, {kFighter});
    Ready();
    struct Case {
        std::int32_t funds;
        int ammo;  // after the purchase; 10 shots of 300 is full
        std::int32_t left;
    };
    for (const Case& c :
         {Case{299, 0, 299}, Case{300, 1, 0}, Case{2999, 9, 299}, Case{3000, 10, 0}}) {
        SCOPED_TRACE(c.funds);
        SetFunds(0, c.funds);
        Member(fighter, 0).SetAmmo(0, 0);
        ExecSupply(*Live(), fighter, kNoTroop, airport);
        EXPECT_EQ(Member(fighter, 0).Ammo(0), c.ammo);
        EXPECT_EQ(Funds(0), c.left);
    }
}

TEST_F(SupplyTest, MachinesComeBackAsFarAsTheFundsGo) {
    const std::uint16_t squad = map.AddTroop(0, 5, 5, {kInfantry, kHeadquarters});
    Ready();
    struct Case {
        std::int32_t funds;
        std::uint8_t strength;
        std::uint8_t durability;
        std::uint8_t expectedStrength;
        std::uint8_t expectedDurability;
        std::int32_t expectedFunds;
    };
    // The platoon costs 130 with the surcharge, 13 a machine.
    for (const Case& c :
         {Case{50, 4, 8, 7, 14, 50 - 3 * 13}, Case{10000, 4, 5, 10, 20, 10000 - 6 * 13},
          Case{12, 4, 8, 4, 8, 12}, Case{0, 10, 15, 10, 20, 0}, Case{-40, 4, 8, 4, 8, -40}}) {
        SCOPED_TRACE(c.funds);
        SetFunds(0, c.funds);
        Member(squad, 0).SetStrength(c.strength);
        Member(squad, 0).SetDurability(c.durability);
        Member(squad, 1).SetStrength(1);
        Member(squad, 1).SetDurability(4);
        EXPECT_EQ(ExecSupply(*Live(), squad, kNoTroop, city), 1);
        EXPECT_EQ(Member(squad, 0).Strength(), c.expectedStrength);
        EXPECT_EQ(Member(squad, 0).Durability(), c.expectedDurability);
        EXPECT_EQ(Funds(0), c.expectedFunds);
        EXPECT_EQ(Member(squad, 1).Strength(), 1) << "headquarters get no machines back";
        EXPECT_EQ(Member(squad, 1).Durability(), 4);
    }
}

TEST_F(SupplyTest, ATroopSuppliesOneUnitOfStockPerMemberServed) {
    const std::uint16_t convoy = map.AddTroop(0, 3, 3, {kInfantry, kSupplyTruck});
    const std::uint16_t truck = map.AddTroop(0, 3, 4, {kSupplyTruck});
    Ready();
    Member(convoy, 0).SetFuel(1);
    Member(convoy, 0).SetAmmo(0, 2);
    Member(convoy, 1).SetFuel(1);
    EXPECT_EQ(ExecSupply(*Live(), convoy, truck, kNoSiteIndex), 1);
    EXPECT_EQ(Member(convoy, 0).Fuel(), 40);
    EXPECT_EQ(Member(convoy, 0).Ammo(0), 20);
    EXPECT_EQ(Member(convoy, 1).Fuel(), 1) << "a supplying unit refills only at a site";
    EXPECT_EQ(Member(truck, 0).Strength(), 4);
    EXPECT_EQ(Funds(0), 10000);

    // The last machine of stock goes, and the supplier with it.
    Member(truck, 0).SetStrength(1);
    Member(convoy, 0).SetFuel(1);
    EXPECT_EQ(ExecSupply(*Live(), convoy, truck, kNoSiteIndex), 1);
    EXPECT_FALSE(TroopAtIndex(truck).IsUsed());
    EXPECT_EQ(HexTroop(3, 4), kNoTroop);
}

TEST_F(SupplyTest, SuppliersWithoutStockOrInTheAirGiveLess) {
    const std::uint16_t squad = map.AddTroop(0, 3, 3, {kInfantry});
    const std::uint16_t empty = map.AddTroop(0, 3, 4, {kInfantry});
    const std::uint16_t plane = map.AddTroop(0, 4, 4, {kSupplyPlane});
    Ready();
    Member(squad, 0).SetFuel(1);
    Member(squad, 0).SetAmmo(0, 2);
    ExecSupply(*Live(), squad, empty, kNoSiteIndex);
    EXPECT_EQ(Member(squad, 0).Fuel(), 1) << "a supplier without stock gives nothing";

    ExecSupply(*Live(), squad, plane, kNoSiteIndex);
    EXPECT_EQ(Member(squad, 0).Fuel(), 40);
    EXPECT_EQ(Member(squad, 0).Ammo(0), 2) << "a supplier of altitude class 1 refuels only";
    EXPECT_EQ(Member(plane, 0).Strength(), 2);
}

TEST_F(SupplyTest, SupplyMarksTroopsThatLandedToBeSupplied) {
    const std::uint16_t gunship = map.AddTroop(0, 8, 8, {kGunship});
    const std::uint16_t fighter = map.AddTroop(0, 10, 10, {kFighter});
    const std::uint16_t squad = map.AddTroop(0, 5, 5, {kInfantry});
    Ready();
    auto ctx = Live();
    ExecSupply(*ctx, gunship, kNoTroop, airport);
    ExecSupply(*ctx, fighter, kNoTroop, kNoSiteIndex);
    ExecSupply(*ctx, squad, kNoTroop, city);
    EXPECT_TRUE(TroopAtIndex(gunship).Flags() & kTroopGroundSupplied);
    EXPECT_FALSE(TroopAtIndex(fighter).Flags() & kTroopGroundSupplied) << "class 1 needs a site";
    EXPECT_FALSE(TroopAtIndex(squad).Flags() & kTroopGroundSupplied);
    ExecSupply(*ctx, fighter, kNoTroop, airport);
    EXPECT_TRUE(TroopAtIndex(fighter).Flags() & kTroopGroundSupplied);
}

TEST_F(SupplyTest, PricesComeFromSitesThatSellToTheTroop) {
    const std::uint16_t squad = map.AddTroop(0, 5, 5, {kInfantry});
    Ready();
    auto ctx = Live();
    ASSERT_EQ(ctx->Troops().Select(squad), 1);
    struct Case {
        std::uint16_t site;
        std::uint16_t unit;
        int found;
        std::int32_t price;
    };
    for (const Case& c :
         {Case{kNoSiteIndex, kFighter, 1, 2600}, Case{city, kMissileBody, 1, 300},
          Case{enemyCity, kInfantry, 0, 0}, Case{port, kInfantry, 0, 0},
          Case{airport, kInfantry, 0, 0}, Case{city, 0xFFFF, 0, 0}, Case{city, 200, 0, 0}}) {
        SCOPED_TRACE(c.site * 1000 + c.unit);
        std::int32_t price = -1;
        EXPECT_EQ(FindSupplyPrice(*ctx, 0, c.site, c.unit, &price), c.found);
        EXPECT_EQ(price, c.price);
    }
}

TEST_F(SupplyTest, SitesWhereATroopCanBeSupplied) {
    const std::uint16_t squad = map.AddTroop(0, 5, 5, {kInfantry});
    const std::uint16_t fighter = map.AddTroop(0, 8, 8, {kFighter});
    const std::uint16_t body = map.AddTroop(0, 7, 7, {kMissileBody});
    map.AddSite(3, 0, 2, 2);  // a town off every network
    Ready();
    auto ctx = Live();
    struct Case {
        std::uint16_t troop;
        std::uint16_t hex;
        std::uint16_t site;
    };
    for (const Case& c :
         {Case{squad, Hex(5, 5), city}, Case{fighter, Hex(8, 8), airport},
          Case{squad, Hex(8, 8), kNoSiteIndex}, Case{squad, Hex(12, 12), kNoSiteIndex},
          Case{squad, Hex(2, 2), kNoSiteIndex}, Case{body, Hex(5, 5), kNoSiteIndex},
          Case{squad, Hex(6, 6), kNoSiteIndex}}) {
        SCOPED_TRACE(c.troop * 100000 + c.hex);
        std::uint16_t site = 0;
        EXPECT_EQ(FindSupplySiteAt(*ctx, c.troop, c.hex, &site), c.site != kNoSiteIndex ? 1 : 0);
        EXPECT_EQ(site, c.site);
        EXPECT_EQ(ctx->Troops().GetIndex(), c.troop);
    }
}

TEST_F(SupplyTest, TroopsThatCanSupplyOthers) {
    const std::uint16_t squad = map.AddTroop(0, 3, 3, {kInfantry});
    const std::uint16_t truck = map.AddTroop(0, 3, 4, {kSupplyTruck});
    const std::uint16_t enemyTruck = map.AddTroop(1, 4, 3, {kSupplyTruck});
    const std::uint16_t boat = map.AddTroop(0, 25, 3, {kBoat});
    const std::uint16_t gunship = map.AddTroop(0, 6, 6, {kGunship});
    const std::uint16_t body = map.AddTroop(0, 7, 7, {kMissileBody});
    const std::uint16_t ship = map.AddTroop(0, 25, 4, {kSupplyShip});
    const std::uint16_t emptyTruck = map.AddTroop(0, 9, 9, {kSupplyTruck});
    Ready();
    TroopAtIndex(emptyTruck).Member(0).SetStrength(0);
    auto ctx = Live();
    struct Case {
        std::uint16_t receiver;
        std::uint16_t supplier;
        int expected;
    };
    for (const Case& c :
         {Case{squad, truck, 1}, Case{gunship, truck, 1}, Case{boat, ship, 1},
          Case{squad, enemyTruck, 0}, Case{boat, truck, 0}, Case{body, truck, 0},
          Case{squad, squad, 0}, Case{squad, emptyTruck, 0}, Case{squad, kNoTroop, 0}}) {
        SCOPED_TRACE(c.receiver * 1000 + c.supplier);
        EXPECT_EQ(CanSupplyFromTroop(*ctx, c.receiver, 0, c.supplier), c.expected);
        EXPECT_EQ(ctx->Troops().GetIndex(), c.receiver);
    }
}

TEST_F(SupplyTest, TheLastSupplierMetAroundTheHexIsTaken) {
    const std::uint16_t squad = map.AddTroop(0, 3, 3, {kInfantry});
    const std::uint16_t west = map.AddTroop(0, 2, 3, {kSupplyTruck});
    const std::uint16_t northEast = map.AddTroop(0, 4, 2, {kSupplyTruck});
    map.AddTroop(1, 4, 3, {kSupplyTruck});
    const std::uint16_t onCity = map.AddTroop(0, 5, 5, {kInfantry});
    Ready();
    auto ctx = Live();
    std::uint16_t supplier = 0;
    std::uint16_t site = 0;
    EXPECT_EQ(FindSupplySource(*ctx, squad, Hex(3, 3), &supplier, &site), 1);
    EXPECT_EQ(supplier, northEast) << "own hex, W, SW, SE, E, NE, NW: the north-east comes later";
    EXPECT_EQ(site, kNoSiteIndex);
    EXPECT_EQ(ctx->Troops().GetIndex(), squad);

    EXPECT_EQ(FindSupplySource(*ctx, onCity, Hex(5, 5), &supplier, &site), 1);
    EXPECT_EQ(site, city);
    EXPECT_EQ(supplier, kNoTroop) << "a site ends the search";

    TroopAtIndex(west).Member(0).SetStrength(0);
    TroopAtIndex(northEast).Member(0).SetStrength(0);
    EXPECT_EQ(FindSupplySource(*ctx, squad, Hex(3, 3), &supplier, &site), 0);
    EXPECT_EQ(supplier, kNoTroop);
}

TEST_F(SupplyTest, ResupplyCostPricesWholePlatoons) {
    const std::uint16_t fighter = map.AddTroop(0, 8, 8, {kFighter});
    Ready();
    Member(fighter, 0).SetAmmo(0, 4);
    Member(fighter, 0).SetStrength(1);
    EXPECT_EQ(GetResupplyCost(*Live(), fighter), 6 * 300 + 1 * 2600);
    EXPECT_EQ(GetResupplyCost(*Live(), kNoTroop), 0);
}

TEST_F(SupplyTest, FullySuppliedNeedsFuelAmmunitionAndDurability) {
    const std::uint16_t squad = map.AddTroop(0, 3, 3, {kInfantry, kSupplyTruck});
    Ready();
    auto ctx = Live();
    EXPECT_EQ(IsFullySupplied(*ctx, squad), 1);
    Member(squad, 0).SetFuel(39);
    EXPECT_EQ(IsFullySupplied(*ctx, squad), 0);
    Member(squad, 0).SetFuel(40);
    Member(squad, 0).SetAmmo(0, 19);
    EXPECT_EQ(IsFullySupplied(*ctx, squad), 0);
    Member(squad, 0).SetAmmo(0, 20);
    Member(squad, 1).SetDurability(14);
    EXPECT_EQ(IsFullySupplied(*ctx, squad), 0);
}

}  // namespace
}  // namespace zv::rules::orderstest
