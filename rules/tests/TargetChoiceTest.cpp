#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/combat/TargetChoice.h"
#include "rules/tests/BattleFixture.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopOrders.h"

namespace zv::rules::battletest {
namespace {

class OrderLog : public TroopOrderCommands {
  public:
    void AppendTroopOrder(const TroopOrderArgs& order) override { given.push_back(order); }
    std::vector<TroopOrderArgs> given;
};

class TargetChoiceTest : public BattleTest {
  protected:
    int Choose(std::uint16_t a, std::uint8_t range) {
        GameContext ctx(tables, Env());
        return ChooseTarget(ctx, a, range, orders);
    }
    std::uint16_t Rate(std::uint16_t a, std::uint16_t b) {
        GameContext ctx(tables, Env());
        return RateEnemyInRange(ctx, a, b);
    }
    void ClearTroops() {
        TroopCursor(tables).ResetAllTroops();
        GameContext(tables).RebuildHexOccupancy();
        orders.given.clear();
    }

    OrderLog orders;
};

TEST_F(TargetChoiceTest, OnlyAStrictlyBetterWorthReplacesTheBest) {
    // Guns hit tanks (class 6) better in these tables.
    testing::RuleTableWriter w = FightRules();
    w.weapons[kGun - 1].SetU8(WeaponKdRecord::kHitRate + 6, 90);
    w.InstallInto(tables);
    struct Case {
        std::vector<int> enemies;  // units of troops 40, 41, ... around (10, 10)
        int chosen;                // index among them; -1 none
    };
    const Case cases[] = {
        {{kRifles, kRifles}, 0},                            // a tie: the lower index
        {{kRifles, kTank}, 1},                              // strictly better
        {{kTank, kRifles}, 0},   {{kTarget9, kRifles}, 1},  // no worth at all is never chosen
        {{kTarget9}, -1},
    };
    const int around[][2] = {{11, 10}, {9, 10}, {10, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        ClearTroops();
        const std::uint16_t a = AddTroop(0, 10, 10, {kRifles});
        std::vector<std::uint16_t> enemies;
        for (std::size_t i = 0; i < c.enemies.size(); ++i) {
            enemies.push_back(AddTroop(1, around[i][0], around[i][1], {c.enemies[i]}));
            Sees(0, enemies.back(), false);
        }
        const int result = Choose(a, 0);
        if (c.chosen < 0) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(orders.given.empty());
            continue;
        }
        EXPECT_EQ(result, 1);
        ASSERT_EQ(orders.given.size(), 1u);
        const TroopOrderArgs& o = orders.given[0];
        const std::uint16_t target = enemies[c.chosen];
        EXPECT_EQ(o.troop, a);
        EXPECT_EQ(o.target, target);
        EXPECT_EQ(o.destination, Troop(target).Hex());
        EXPECT_EQ(o.orderKind, kOrderAttack);
        EXPECT_EQ(o.actionFlags, 0);
        EXPECT_EQ(o.weaponSelection, 0);
        EXPECT_EQ(o.parameter, 255);
        EXPECT_EQ(o.homeHex, 0xFFFF);
        EXPECT_EQ(o.homeTroop, 255);
        EXPECT_EQ(Troop(a).U8(TroopRecord::kOrderKind), kOrderAttack);  // and on the state
        EXPECT_EQ(Troop(a).U16(TroopRecord::kTarget), target);
    }
}

TEST_F(TargetChoiceTest, CandidatesMustBeSightedEnemiesOnTheMap) {
    const std::uint16_t a = AddTroop(0, 10, 10, {kRifles});
    const std::uint16_t identifiedOnly = AddTroop(1, 11, 10, {kRifles});
    Troop(identifiedOnly).SetVisibility(1u << 4);
    const std::uint16_t ally = AddTroop(2, 9, 10, {kRifles});
    Sees(0, ally);
    CountryCursor countries(tables);
    countries.Select(0);
    countries.SetAllianceMask(0x05);
    const std::uint16_t aboard = AddTroop(1, 10, 11, {kRifles});
    Sees(0, aboard);
    Troop(aboard).SetFlags(kTroopOnMap | kTroopAboard);

    EXPECT_EQ(Choose(a, 5), 0);
    EXPECT_TRUE(orders.given.empty());
    // The attack check takes the identified troop that the choice passes over.
    EXPECT_EQ(Rate(a, identifiedOnly), kAttackReady);
    EXPECT_EQ(Rate(a, ally), kAttackImpossible);
    EXPECT_EQ(Rate(a, aboard), kAttackImpossible);
}

TEST_F(TargetChoiceTest, FireOrdersUnlessAPartIsInFlightThenApproach) {
    const std::uint16_t a = AddTroop(0, 10, 10, {kLauncher, kRifles});
    const std::uint16_t b = AddTroop(1, 13, 10, {kTank});
    Sees(0, b);

    // At 3 hexes no gun reaches: the launcher fires, rockets (0x0004) before missiles.
    ASSERT_EQ(Choose(a, 5), 1);
    ASSERT_EQ(orders.given.size(), 1u);
    EXPECT_EQ(orders.given[0].orderKind, kOrderFire);
    EXPECT_EQ(orders.given[0].weaponSelection, kLaunchMegaMissile);
    EXPECT_EQ(orders.given[0].target, b);

    // With a part out, the troop approaches to attack within the range given.
    ClearTroops();
    const std::uint16_t a2 = AddTroop(0, 10, 10, {kLauncher, kRifles});
    const std::uint16_t b2 = AddTroop(1, 13, 10, {kTank});
    Sees(0, b2);
    Troop(a2).SetFlags(kTroopOnMap | kTroopPartInFlightB);
    ASSERT_EQ(Choose(a2, 3), 1);
    ASSERT_EQ(orders.given.size(), 1u);
    EXPECT_EQ(orders.given[0].orderKind, kOrderMove);
    EXPECT_EQ(orders.given[0].actionFlags, kActionAttack);
    EXPECT_EQ(orders.given[0].destination, MakeHexPosition(13, 10));

    orders.given.clear();
    EXPECT_EQ(Choose(a2, 2), 0);  // out of the approach range
    EXPECT_EQ(Choose(a2, 0), 0);
    EXPECT_TRUE(orders.given.empty());
}

// The memo of a clock step: a troop asked again in an unchanged world skips straight to its
// approach, one asked after a change weighs its enemies anew, and a troop that was sighted while
// aboard is a candidate once it comes ashore, though the list was made while it was aboard.
TEST_F(TargetChoiceTest, AStepsMemoGivesTheChoicesOfAFreshLook) {
    const std::uint16_t a = AddTroop(0, 10, 10, {kTank});
    const std::uint16_t far = AddTroop(1, 15, 10, {kRifles});
    Sees(0, far);
    const std::uint16_t aboard = AddTroop(1, 20, 20, {kRifles});
    Sees(0, aboard);
    Troop(aboard).SetFlags(kTroopOnMap | kTroopAboard);
    TargetChoiceMemo memo;
    memo.NewStep();
    auto ClearOrdersOf = [&](std::uint16_t t) {
        GameContext ctx(tables, Env());
        ClearTroopOrders(ctx, t);
    };
    auto choose = [&](std::uint8_t range, std::uint64_t stamp) {
        GameContext ctx(tables, Env());
        memo.SetStamp(stamp);
        orders.given.clear();
        return ChooseTarget(ctx, a, range, orders, &memo);
    };

    // Out of reach: nothing without a range, then the approach, weighed from the memo.
    EXPECT_EQ(choose(0, 1), 0);
    EXPECT_TRUE(orders.given.empty());
    ASSERT_EQ(choose(6, 1), 1);
    ASSERT_EQ(orders.given.size(), 1u);
    EXPECT_EQ(orders.given[0].orderKind, kOrderMove);
    EXPECT_EQ(orders.given[0].target, far);
    ClearOrdersOf(a);

    // The enemy came close and the stamp moved on: an attack, not an approach.
    EXPECT_EQ(choose(0, 2), 0);
    Troop(far).SetHex(MakeHexPosition(11, 10));
    GameContext(tables).RebuildHexOccupancy();
    ASSERT_EQ(choose(6, 3), 1);
    ASSERT_EQ(orders.given.size(), 1u);
    EXPECT_EQ(orders.given[0].orderKind, kOrderAttack);
    EXPECT_EQ(orders.given[0].target, far);
    ClearOrdersOf(a);

    // The troop aboard comes ashore beside a and the other one leaves the map.
    Troop(far).SetFlags(0);
    Troop(aboard).SetFlags(kTroopOnMap);
    Troop(aboard).SetHex(MakeHexPosition(9, 10));
    GameContext(tables).RebuildHexOccupancy();
    ASSERT_EQ(choose(0, 4), 1);
    ASSERT_EQ(orders.given.size(), 1u);
    EXPECT_EQ(orders.given[0].target, aboard);
}

TEST_F(TargetChoiceTest, RateEnemyInRangeAnswers) {
    struct Case {
        const char* name;
        int attacker;
        int target;
        int distance;
        int cannonCounter;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {"adjacent", kTank, kRifles, 1, 0, kAttackReady},
        {"cannon range", kTank, kRifles, 3, 0, kAttackReady},
        {"beyond every range", kTank, kRifles, 5, 0, kAttackOutOfRange},
        {"in range but reloading", kTank, kRifles, 3, 2, kAttackNotReady},
        {"the gun is ready", kTank, kRifles, 1, 2, kAttackReady},
        {"nothing can hit it", kRifles, kTarget9, 1, 0, kAttackImpossible},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearTroops();
        const std::uint16_t a = AddTroop(0, 10, 10, {c.attacker});
        const std::uint16_t b = AddTroop(1, 10 + c.distance, 10, {c.target});
        Sees(0, b);
        MemberOf(a, 0).SetFireCounter(0, static_cast<std::uint8_t>(c.cannonCounter));
        const std::uint64_t before = tables.HashLiveTables();
        EXPECT_EQ(Rate(a, b), c.expected);
        EXPECT_EQ(tables.HashLiveTables(), before);
    }

    ClearTroops();
    const std::uint16_t a = AddTroop(0, 10, 10, {kTank});
    const std::uint16_t b = AddTroop(1, 11, 10, {kRifles});
    EXPECT_EQ(Rate(a, b), kAttackImpossible);  // not seen
    Sees(0, b);
    Troop(b).SetCountry(4);
    EXPECT_EQ(Rate(a, b), kAttackImpossible);  // not a country in play
    EXPECT_EQ(Rate(a, kNoTroop), kAttackImpossible);
}

}  // namespace
}  // namespace zv::rules::battletest
