#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "rules/combat/WeaponChoice.h"
#include "rules/context/RuleHelpers.h"
#include "rules/tests/BattleFixture.h"

namespace zv::rules::battletest {
namespace {

class WeaponChoiceTest : public BattleTest {
  protected:
    // Side A: one attacker in slot e; side B: the given units in the given slots, 2 machines.
    void Arrange(int e, int attacker, std::initializer_list<std::pair<int, int>> targets) {
        FillHandSide(record.A(), {});
        BattleMember& a = record.A().Member(e);
        a.SetUnit(static_cast<std::int16_t>(attacker));
        a.SetU8(BattleMember::kStrength, 2);
        for (int w = 0; w < 6; ++w) a.SetAmmo(w, 5);
        FillHandSide(record.B(), {});
        for (auto [slot, unit] : targets) {
            BattleMember& b = record.B().Member(slot);
            b.SetUnit(static_cast<std::int16_t>(unit));
            b.SetU8(BattleMember::kStrength, 2);
        }
    }
    int Alt(int e, int mode, int distance = 0, int ready = 0, int purpose = kPurposeAttack) {
        GameContext ctx(tables);
        return ChooseWeaponAndTargetAlt(ctx, record.A(), e, record.B(), mode, distance, ready,
                                        purpose, &random);
    }
    int Typed(int e, int type, int distance = 0) {
        GameContext ctx(tables);
        return ChooseWeaponAndTarget(ctx, record.A(), e, record.B(), kChooseNormal, distance, 0,
                                     type);
    }
    const BattleMember& A(int i) { return record.A().Member(i); }
    const BattleMember& B(int i) { return record.B().Member(i); }

    BattleRecord record;
};

TEST_F(WeaponChoiceTest, TargetsAreTriedInTheRowOrderOfTheAttackersSlot) {
    struct Case {
        int e;
        int mode;
        std::vector<int> present;  // rifles; kTarget9 (class 9, no gun hits it) in `immune`
        std::vector<int> immune;
        int target;  // 255: nothing chosen
    };
    const Case cases[] = {
        {2, kChooseNormal, {0, 1, 2, 3, 4, 5}, {}, 2},
        {2, kChooseNormal, {0, 1, 3, 4, 5}, {}, 1},
        {2, kChooseNormal, {0, 3, 4, 5}, {}, 5},  // halved, but the first to beat nothing
        {2, kChooseNormal, {3, 4, 5}, {}, 5},
        {0, kChooseNormal, {1, 2, 3}, {}, 1},
        {3, kChooseNormal, {2, 3, 4}, {}, 3},    // 3 mod 3 = 0: 0, 1, 3, 4, 2, 5
        {4, kChooseNormal, {0, 2, 5}, {}, 0},    // 1, 0, 2, 4, 3, 5
        {1, kChooseNormal, {0}, {1}, 0},         // 1 cannot be hit, 0 can
        {5, kChooseFirstTarget, {0, 4}, {}, 0},  // first present of 1, 0, 2, 4, 3, 5
        {0, kChooseFirstTarget, {2, 4}, {}, 2},
        {0, kChooseFirstTarget, {0}, {1}, 255},  // only the first present target counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("e=" + std::to_string(c.e) + " mode=" + std::to_string(c.mode) +
                     " expect=" + std::to_string(c.target));
        Arrange(c.e, kRifles, {});
        for (int slot : c.present) {
            record.B().Member(slot).SetUnit(kRifles);
            record.B().Member(slot).SetU8(BattleMember::kStrength, 2);
        }
        for (int slot : c.immune) {
            record.B().Member(slot).SetUnit(kTarget9);
            record.B().Member(slot).SetU8(BattleMember::kStrength, 2);
        }
        const int chosen = Alt(c.e, c.mode);
        EXPECT_EQ(chosen, c.target == 255 ? 0 : 1);
        EXPECT_EQ(A(c.e).Target(), c.target);
    }
}

TEST_F(WeaponChoiceTest, ChoiceWritesBothMembers) {
    Arrange(3, kRifles, {{1, kTank}});
    record.A().Member(1).SetU8(BattleMember::kBonus, 15);  // the bonus of side A's slot t
    ASSERT_EQ(Alt(3, kChooseNormal), 1);
    EXPECT_EQ(A(3).Target(), 1);
    EXPECT_EQ(A(3).TargetUnit(), kTank);
    EXPECT_EQ(A(3).WeaponSlot(), 0);
    EXPECT_EQ(A(3).Hit(), 80 * 115 / 100);
    EXPECT_EQ(A(3).Damage(), 10);
    EXPECT_EQ(A(3).Shots(), 2);
    EXPECT_EQ(B(1).Defence(), 40);  // terrain class 0 defends 0
    EXPECT_EQ(B(1).AttackerIndex(), 3);
    EXPECT_EQ(B(1).AttackerBit(), 1 << 3);

    // Return fire takes no bonus.
    Arrange(3, kRifles, {{1, kTank}});
    record.A().Member(1).SetU8(BattleMember::kBonus, 15);
    ASSERT_EQ(Alt(3, kChooseReturnFire), 1);
    EXPECT_EQ(A(3).Hit(), 80);
}

TEST_F(WeaponChoiceTest, RangeOneWeaponsAimAtTheBackRowAtHalfValue) {
    struct Case {
        bool frontUnit;
        int distance;
        int weapon;
        int hit;
    };
    // The tank has the cannon (range 3, hit 60) in slot 0 and the gun (range 1, hit 80) in 1.
    const Case cases[] = {
        {true, 0, 0, 60},                       // gun halved to 40: the cannon stays best
        {false, 0, 1, 80},                      // nothing in front: the gun
        {false, 2, 0, 60},                      // the gun does not reach 2
        {true, 1, 0, 60},  {false, 4, 255, 0},  // nothing reaches 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frontUnit) + " " + std::to_string(c.distance));
        Arrange(0, kTank, {{4, kRifles}});
        if (c.frontUnit) record.B().Member(2).SetUnit(kRifles);  // a unit without machines
        record.A().Member(0).SetU8(BattleMember::kBonus, 0);
        Alt(0, kChooseNormal, c.distance);
        EXPECT_EQ(A(0).WeaponSlot(), c.weapon);
        EXPECT_EQ(A(0).Hit(), c.hit);
    }
}

TEST_F(WeaponChoiceTest, DefenceAddsTerrainAndForMissilesTheEcm) {
    // Terrain class 4 defends 10 in these tables; the target (tank, defence 40) has ECM 20.
    testing::RuleTableWriter w = FightRules();
    w.defenceKinds[0].SetU8(DefencDkRecord::kDefenceRate + 4, 10);
    w.defenceKinds[0].SetU8(DefencDkRecord::kDefenceRate + 28, 200);
    w.unitInfos[kTarget9].SetU8(UnitInfoRecord::kDefenceRate + 9, 200);
    w.InstallInto(tables);
    struct Case {
        int attacker;
        int type;
        int target;
        std::uint8_t terrain;
        int defence;
    };
    const Case cases[] = {
        {kLauncher, 20, kTank, 4, 40 * 130 / 100},     // missile: terrain and ECM
        {kRifles, -1, kTank, 4, 40 * 110 / 100},       // gun: terrain only
        {kLauncher, 20, kTank, 0xFF, 40 * 120 / 100},  // no terrain class: no terrain bonus
        {kLauncher, 20, kTarget9, 28, 255},            // 200 x 320 / 100 is held at 255
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attacker);
        Arrange(0, c.attacker, {{0, c.target}});
        BattleMember& target = record.B().Member(0);
        target.SetU8(BattleMember::kEcm, 20);
        target.SetU8(BattleMember::kTerrainClass, c.terrain);
        ASSERT_EQ(c.type < 0 ? Alt(0, kChooseNormal) : Typed(0, c.type), 1);
        EXPECT_EQ(B(0).Defence(), c.defence);
    }
}

TEST_F(WeaponChoiceTest, AnEarlierBetterChoiceStands) {
    Arrange(0, kTank, {{0, kRifles}});
    record.A().Member(0).SetU8(BattleMember::kBonus, 15);
    ASSERT_EQ(Alt(0, kChooseNormal, 0), 1);  // the gun, 80 x 115 / 100
    EXPECT_EQ(A(0).WeaponSlot(), 1);
    EXPECT_EQ(Alt(0, kChooseNormal, 3), 0);  // only the cannon reaches: 69 is not better
    EXPECT_EQ(A(0).WeaponSlot(), 1);
    EXPECT_EQ(A(0).Hit(), 92);
}

TEST_F(WeaponChoiceTest, ReadyWeaponsOnlyAndAmmunitionNeeded) {
    Arrange(0, kTank, {{0, kRifles}});
    record.A().Member(0).SetU8(BattleMember::kFireCounter + 1, 2);  // the gun reloads
    ASSERT_EQ(Alt(0, kChooseNormal, 0, 1), 1);
    EXPECT_EQ(A(0).WeaponSlot(), 0);

    Arrange(0, kTank, {{0, kRifles}});
    record.A().Member(0).SetAmmo(0, 0);
    record.A().Member(0).SetAmmo(1, 0);
    EXPECT_EQ(Alt(0, kChooseNormal), 0);
    EXPECT_EQ(A(0).Target(), kNoBattleTarget);
}

TEST_F(WeaponChoiceTest, AreaWeaponsMarkEveryMemberTheyCanHit) {
    Arrange(1, kGunner, {{0, kRifles}, {2, kTank}, {4, kRifles}});
    ASSERT_EQ(Alt(1, kChooseNormal), 1);
    EXPECT_EQ(A(1).Target(), kAllBattleTargets);
    for (int t : {0, 2, 4}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(B(t).AttackerIndex(), 1);
        EXPECT_EQ(B(t).AttackerBit(), 2);
        EXPECT_NE(B(t).Defence(), 0);
    }
    EXPECT_EQ(B(1).AttackerIndex(), 0xFF);

    // The evaluation's variant keeps a single target.
    Arrange(1, kGunner, {{0, kRifles}, {2, kTank}});
    ASSERT_EQ(Typed(1, 3), 1);
    EXPECT_EQ(A(1).Target(), 0);
}

TEST_F(WeaponChoiceTest, TheTypedVariantTakesOnlyItsTypeAndNoBonusBeyondRangeOne) {
    Arrange(0, kLauncher, {{0, kTank}});
    EXPECT_EQ(Alt(0, kChooseNormal), 0);  // missiles never fire in a fight
    EXPECT_EQ(Typed(0, 21), 0);
    ASSERT_EQ(Typed(0, 20), 1);
    EXPECT_EQ(A(0).Hit(), 90);
    EXPECT_EQ(A(0).WeaponSlot(), 0);
    Arrange(0, kLauncher, {{0, kTank}});
    EXPECT_EQ(Alt(0, kChooseNormal, 0, 0, kPurposeMissiles), 0);
}

TEST_F(WeaponChoiceTest, BombsTryRandomSlotsAndTheSiteStandsInForEmptyOnes) {
    // An empty hex: every try hits the site at the facility rate.
    Arrange(0, kBomber, {});
    SeedGameRandom(random, 11);
    ASSERT_EQ(Alt(0, kChooseNormal, 1, 1, kPurposeBombing), 1);
    EXPECT_EQ(A(0).Target(), kNoBattleTarget);
    EXPECT_EQ(A(0).Hit(), 50);
    EXPECT_EQ(A(0).WeaponSlot(), 0);

    // Every slot taken by rifles: the first try decides.
    Arrange(0, kBomber,
            {{0, kRifles}, {1, kRifles}, {2, kRifles}, {3, kRifles}, {4, kRifles}, {5, kRifles}});
    SeedGameRandom(random, 11);
    fw::RandomStreams probe;
    SeedGameRandom(probe, 11);
    const int first = GameRandomBelow(probe, 6);
    ASSERT_EQ(Alt(0, kChooseNormal, 1, 1, kPurposeBombing), 1);
    EXPECT_EQ(A(0).Target(), first);
    EXPECT_EQ(A(0).Hit(), 70);
    EXPECT_EQ(B(first).AttackerIndex(), 0);
    for (int i = 1; i < 6; ++i) GameRandomBelow(probe, 6);
    EXPECT_EQ(random.NextRandom1(), probe.NextRandom1());  // six draws per bomb

    // Nothing the bomb can hit (class 4): the site at the facility rate.
    Arrange(0, kBomber, {{0, kHq}, {1, kHq}, {2, kHq}, {3, kHq}, {4, kHq}, {5, kHq}});
    ASSERT_EQ(Alt(0, kChooseNormal, 1, 1, kPurposeBombing), 1);
    EXPECT_EQ(A(0).Target(), kNoBattleTarget);
    EXPECT_EQ(A(0).Hit(), 50);

    // A gun does not bomb.
    Arrange(0, kRifles, {});
    EXPECT_EQ(Alt(0, kChooseNormal, 1, 1, kPurposeBombing), 0);
}

TEST(WeaponTypes, MissileAndAreaSets) {
    for (int type = 0; type < 40; ++type) {
        SCOPED_TRACE(type);
        const bool missile = type == 0 || type == 1 || (type >= 20 && type <= 27);
        const bool area = type == 1 || type == 3 || type == 5 || type == 7 || type == 22 ||
                          type == 24 || type == 26;
        EXPECT_EQ(IsMissileWeaponType(type), missile ? 1 : 0);
        EXPECT_EQ(IsAreaWeaponType(type), area ? 1 : 0);
    }
}

}  // namespace
}  // namespace zv::rules::battletest
