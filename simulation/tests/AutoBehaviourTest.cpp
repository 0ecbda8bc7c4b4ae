#include <gtest/gtest.h>

#include "rules/troops/TroopOrders.h"
#include "simulation/AutoBehaviour.h"
#include "simulation/Judgement.h"
#include "simulation/OrderExecution.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

using List = CorpsTargetTable::List;

class AutoBehaviourTest : public StepWorld {
  protected:
    void Plan() {
        auto shadow = Shadow();
        PlanCorpsTargets(Step(), *shadow);
    }
    CorpsTargetTable& Table() { return clock->CorpsTargets(); }
};

TEST_F(AutoBehaviourTest, CountryWithoutHeadquartersStopsTheThreatPlanning) {
    // Country 1 has a headquarters with an enemy close by, but country 0 comes first and has
    // none: no later country gets threats either.
    map.AddTroop(0, 30, 30, {kInfantry});
    map.AddTroop(1, 10, 10, {kHeadquarters});
    map.AddTroop(0, 12, 10, {kInfantry});
    Ready();
    Plan();
    EXPECT_TRUE(Table().IsBuilt());
    EXPECT_EQ(Table().Count(0, List::kHq), 0);
    EXPECT_EQ(Table().Count(1, List::kHq), 1);
    EXPECT_EQ(Table().Count(1, List::kThreat), 0);

    // With a headquarters for country 0 the threat is seen.
    map.AddTroop(0, 40, 40, {kHeadquarters});
    Ready();
    Plan();
    EXPECT_EQ(Table().Count(1, List::kThreat), 1);
    EXPECT_EQ(Table().Entry(1, List::kThreat, 0), Hex(12, 10));
}

TEST_F(AutoBehaviourTest, ThreatsAndTargetsKeepTheirDistances) {
    map.AddTroop(0, 10, 10, {kHeadquarters});
    map.AddTroop(1, 40, 40, {kHeadquarters});
    map.AddTroop(1, 13, 10, {kInfantry});  // within 9 of 0's headquarters
    map.AddTroop(1, 14, 10, {kInfantry});  // within 4 of the one before: not added
    map.AddTroop(1, 10, 19, {kInfantry});  // 9 away
    map.AddTroop(1, 10, 25, {kInfantry});  // too far
    map.AddSite(2, 0, 12, 12);             // own site
    map.AddSite(2, 1, 16, 12);             // foreign, 4 from the own site: a front target
    map.AddSite(3, 4, 30, 12);             // neutral, 18 from the own site: an expansion target
    map.AddSite(3, 4, 40, 12);             // 28 away: neither
    Ready();
    Plan();
    EXPECT_EQ(Table().Count(0, List::kThreat), 2);
    EXPECT_EQ(Table().Entry(0, List::kThreat, 0), Hex(13, 10));
    EXPECT_EQ(Table().Entry(0, List::kThreat, 1), Hex(10, 19));
    EXPECT_EQ(Table().Count(0, List::kFront), 1);
    EXPECT_EQ(Table().Entry(0, List::kFront, 0), Hex(16, 12));
    // The foreign city is 7 from the headquarters: too close to expand to.
    EXPECT_EQ(Table().Count(0, List::kExpansion), 1);
    EXPECT_EQ(Table().Entry(0, List::kExpansion, 0), Hex(30, 12));
}

TEST_F(AutoBehaviourTest, MuchStrongerCountryMakesTheWeakHeadquartersItsFirstTarget) {
    map.AddTroop(0, 5, 5, {kHeadquarters});
    for (int k = 0; k < 5; ++k) map.AddTroop(0, 5 + k, 7, {kInfantry});
    map.AddTroop(1, 40, 40, {kHeadquarters});
    map.AddTroop(1, 42, 40, {kInfantry});
    Ready();
    Plan();
    // 6 troops against 2: 6 / 3 >= 2.
    EXPECT_EQ(Table().Entry(0, List::kExpansion, 0), Hex(40, 40));
    EXPECT_NE(Table().Entry(1, List::kExpansion, 0), Hex(5, 5));

    // Allies never count as weak.
    rules::CountryCursor countries(tables, rules::TableId::ShadowCountry);
    countries.Select(0);
    countries.SetAllianceMask(0b11);
    countries.Select(1);
    countries.SetAllianceMask(0b11);
    Plan();
    EXPECT_NE(Table().Entry(0, List::kExpansion, 0), Hex(40, 40));
}

TEST_F(AutoBehaviourTest, TroopThatCanBombGetsNoAutomaticOrder) {
    map.AddTroop(0, 5, 5, {kHeadquarters});
    map.AddTroop(1, 20, 20, {kHeadquarters});
    const std::uint16_t bomber = map.AddTroop(0, 8, 8, {kBomber});
    const std::uint16_t infantry = map.AddTroop(0, 9, 9, {kInfantry});
    map.AddTroop(1, 12, 9, {kInfantry});
    Ready();
    Troop(bomber).SetSlotByte(0);
    Troop(infantry).SetSlotByte(0);
    Plan();
    Step().currentTroop = bomber;
    auto shadow = Shadow();
    const std::uint16_t options = GetTroopActionOptions(Step(), *shadow, bomber);
    EXPECT_EQ(options & 0x0104, 0x0104);
    DecideTroopAction(Step(), *shadow, bomber);
    EXPECT_TRUE(Journal().empty());

    // The infantry beside it goes for the threat.
    Step().currentTroop = infantry;
    DecideTroopAction(Step(), *shadow, infantry);
    ASSERT_FALSE(Journal().empty());
    EXPECT_EQ(Journal().back().opcode, kCmdTroopOrder);
    EXPECT_EQ(Journal().back().U16(TroopOrderRecord::kTroop), infantry);
}

TEST_F(AutoBehaviourTest, NothingIsDecidedOutsideTheTroopLoop) {
    const std::uint16_t infantry = map.AddTroop(0, 9, 9, {kInfantry});
    map.AddTroop(0, 5, 5, {kHeadquarters});
    map.AddTroop(1, 12, 9, {kInfantry});
    Ready();
    Plan();
    Step().currentTroop = 0xFFFF;
    DecideTroopAction(Step(), *Shadow(), infantry);
    EXPECT_TRUE(Journal().empty());
}

// The formula with the example numbers: a best value of 5 scaled by 20 gives 10, raised to 15;
// the product is kept to 16 bits before it is divided.
struct ScaleCase {
    int best;
    int magnifying;
    int maximum;
    int expected;
};

class AttackRangeScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(AttackRangeScaleTest, BestValueTimesMagnifyingOverTenAtLeastTheMaximum) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(ScaleAttackRange(c.best, c.magnifying, c.maximum), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, AttackRangeScaleTest,
                         ::testing::Values(ScaleCase{5, 20, 15, 15}, ScaleCase{5, 20, 0, 10},
                                           ScaleCase{10, 20, 15, 20}, ScaleCase{1, 20, 15, 15},
                                           // 255 x 300 = 76500 wraps to 10964 before the division
                                           ScaleCase{255, 300, 15, 1096}));

struct RangeCase {
    int magnifying;
    int maximum;
    int expected;
};

class AttackRangeTest : public AutoBehaviourTest,
                        public ::testing::WithParamInterface<RangeCase> {};

TEST_P(AttackRangeTest, ScaledBestValueRaisedToTheMaximum) {
    const std::uint16_t troop = map.AddTroop(0, 9, 9, {kInfantry});
    Ready();
    Step().settings.attackRangeMagnifying = GetParam().magnifying;
    Step().settings.maxAttackRange = GetParam().maximum;
    EXPECT_EQ(AutoAttackRange(Step(), *Shadow(), troop), GetParam().expected);
}

// No member has a value at sight flag 4 (the members' best is 0): the range is the maximum.
INSTANTIATE_TEST_SUITE_P(Settings, AttackRangeTest,
                         ::testing::Values(RangeCase{20, 15, 15}, RangeCase{200, 7, 7},
                                           RangeCase{20, 0, 0}));

TEST_F(AutoBehaviourTest, OccupierWithNothingToTakeStaysIdle) {
    map.AddTroop(0, 5, 5, {kHeadquarters});
    const std::uint16_t infantry = map.AddTroop(0, 9, 9, {kInfantry});
    Ready();
    Plan();
    Step().currentTroop = infantry;
    auto shadow = Shadow();
    EXPECT_FALSE(AutoOccupy(Step(), *shadow, infantry));
    EXPECT_EQ(Troop(infantry).ActionFlags(), 0) << "an idle troop is asked again next step";

    const std::uint16_t site = map.AddSite(3, 4, 14, 9);
    (void)site;
    Ready();
    Plan();
    shadow = Shadow();
    EXPECT_TRUE(AutoOccupy(Step(), *shadow, infantry));
    EXPECT_EQ(Troop(infantry).Destination(), Hex(14, 9));
    EXPECT_EQ(Troop(infantry).ActionFlags(), rules::kActionOccupy);
}

// ---- the behaviours and pickers on small worlds

class BehaviourTest : public AutoBehaviourTest {
  protected:
    // Plans and runs `decide` for the troop as the troop loop would; the shadow stays readable.
    template <typename Fn>
    auto Decide(std::uint16_t troop, Fn decide) {
        Plan();
        Step().currentTroop = troop;
        shadow_ = Shadow();
        return decide(*shadow_);
    }
    std::uint16_t TargetOf(std::uint16_t troop) {
        return Troop(troop).U16(rules::TroopRecord::kTarget);
    }
    std::uint8_t KindOf(std::uint16_t troop) {
        return Troop(troop).bytes[rules::TroopRecord::kOrderKind];
    }
    std::uint16_t WeaponsOf(std::uint16_t troop) {
        return Troop(troop).U16(rules::TroopRecord::kWeaponSelection);
    }
    // Turns the gunship's missile into a launch weapon of the given type and range.
    void MakeGunshipLaunch(int weaponType, int range) {
        std::uint8_t* w = tables.GetTableBase(rules::TableId::WeaponKd) +
                          (kAirMissile - 1) * tables.GetTableRecordSize(rules::TableId::WeaponKd);
        w[rules::WeaponKdRecord::kWeaponType] = static_cast<std::uint8_t>(weaponType);
        w[rules::WeaponKdRecord::kRange] = static_cast<std::uint8_t>(range);
    }
    std::unique_ptr<rules::ShadowGameContext> shadow_;
};

TEST_F(BehaviourTest, GoToCarrierBoardsTheCarrierOnTheNearestOwnSite) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t infantry = map.AddTroop(0, 12, 10, {kInfantry});
    map.AddSite(5, 0, 20, 10);  // own port on the coast, a carrier in it
    map.AddSite(5, 0, 20, 30);  // farther
    map.AddSite(5, 1, 18, 10);  // nearer, but the enemy's
    const std::uint16_t carrier = map.AddTroop(0, 20, 10, {kCarrier});
    Ready();
    EXPECT_EQ(Decide(infantry, [&](auto& sh) { return GoToCarrier(Step(), sh, infantry, 1); }), 0);
    EXPECT_EQ(Troop(infantry).Destination(), Hex(20, 10));
    EXPECT_EQ(TargetOf(infantry), carrier);
    EXPECT_EQ(Troop(infantry).ActionFlags(), rules::kActionBoard);
    ASSERT_FALSE(Journal().empty());
    EXPECT_EQ(Journal().back().opcode, kCmdTroopOrder);

    // Layer 2 asks for a site that takes carrier aircraft or helicopters (0x84): none here.
    Ready();
    EXPECT_EQ(Decide(infantry, [&](auto& sh) { return GoToCarrier(Step(), sh, infantry, 2); }), -1);
    EXPECT_TRUE(Journal().empty());
}

TEST_F(BehaviourTest, GoToCarrierWithNoCarrierThereWaitsBesideTheSite) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t infantry = map.AddTroop(0, 12, 10, {kInfantry});
    map.AddSite(5, 0, 18, 10);
    Ready();
    EXPECT_EQ(Decide(infantry, [&](auto& sh) { return GoToCarrier(Step(), sh, infantry, 1); }), 0);
    // The troop walks to a neighbour of the site and waits there for a carrier.
    const std::uint16_t to = Troop(infantry).Destination();
    EXPECT_EQ(GetNeighbourDirection(Hex(18, 10), to) != 0, true) << std::hex << to;
    EXPECT_EQ(Troop(infantry).ActionFlags(), 0);
    EXPECT_EQ(TargetOf(infantry), 0xFFFF);
}

TEST_F(BehaviourTest, AutoBoardCarrierLooksForTheFirstCarrierThatTakesTheTroop) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t infantry = map.AddTroop(0, 12, 10, {kInfantry});
    map.AddSite(5, 0, 20, 12);
    Ready();
    // No carrier of its own: nothing to do, and the troop is done deciding.
    EXPECT_TRUE(Decide(infantry, [&](auto& sh) { return AutoBoardCarrier(Step(), sh, infantry); }));
    EXPECT_TRUE(Journal().empty());

    // An enemy carrier does not count; an own carrier out at sea decides the layer (ground
    // holds: layer 1) and the troop heads for the port to wait for it.
    map.AddTroop(1, 24, 12, {kCarrier});
    map.AddTroop(0, 26, 12, {kCarrier});
    Ready();
    EXPECT_TRUE(Decide(infantry, [&](auto& sh) { return AutoBoardCarrier(Step(), sh, infantry); }));
    ASSERT_FALSE(Journal().empty());
    EXPECT_EQ(GetNeighbourDirection(Hex(20, 12), Troop(infantry).Destination()) != 0, true);
    EXPECT_EQ(Step().Corps().CarrierSite(0, false), Hex(20, 12));
}

TEST_F(BehaviourTest, AutoFireAtRangeSendsPartsAtAnEnemySiteWithinReach) {
    MakeGunshipLaunch(30, 5);  // air-mobile troops, 0x0400
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t gunship = map.AddTroop(0, 5, 10, {kGunship});
    map.AddSite(2, 0, 7, 10);   // own
    map.AddSite(2, 4, 9, 10);   // neutral, 4 away
    map.AddSite(2, 1, 14, 10);  // 9 away: out of reach
    Ready();
    EXPECT_TRUE(Decide(gunship, [&](auto& sh) { return AutoFireAtRange(Step(), sh, gunship); }));
    EXPECT_EQ(Troop(gunship).Destination(), Hex(9, 10));
    EXPECT_EQ(KindOf(gunship), rules::kOrderDisperse);
    EXPECT_EQ(Troop(gunship).ActionFlags(), rules::kActionSeparate);
    EXPECT_EQ(WeaponsOf(gunship), 0x0400);
}

TEST_F(BehaviourTest, AutoFireAtRangeNeedsALaunchWeaponAndAFreePart) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t gunship = map.AddTroop(0, 5, 10, {kGunship});
    map.AddSite(2, 1, 8, 10);
    Ready();
    // A missile is no troop launch.
    EXPECT_FALSE(Decide(gunship, [&](auto& sh) { return AutoFireAtRange(Step(), sh, gunship); }));
    EXPECT_TRUE(Journal().empty());

    MakeGunshipLaunch(31, 5);  // mechanised troops, 0x0800
    Ready();
    Troop(gunship).SetU16(rules::TroopRecord::kFlags,
                          Troop(gunship).Flags() | rules::kTroopPartInFlight1);
    EXPECT_FALSE(Decide(gunship, [&](auto& sh) { return AutoFireAtRange(Step(), sh, gunship); }));
    Ready();
    EXPECT_TRUE(Decide(gunship, [&](auto& sh) { return AutoFireAtRange(Step(), sh, gunship); }));
    EXPECT_EQ(WeaponsOf(gunship), 0x0800);
}

TEST_F(BehaviourTest, GoToSiteInRangeCountsARouteAsLongAsTheRange) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t gunship = map.AddTroop(0, 5, 10, {kGunship});
    map.AddSite(2, 0, 7, 10);   // own: never
    map.AddSite(2, 1, 8, 10);   // 3 away
    map.AddSite(2, 1, 11, 10);  // 6 away
    Ready();
    auto pick = [&](int range) {
        return Decide(
            gunship, [&](auto& sh) { return GoToSiteInRange(Step(), sh, gunship, range, 0x0400); });
    };
    EXPECT_EQ(pick(2), -1);
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(pick(3), 0);
    EXPECT_EQ(Troop(gunship).Destination(), Hex(8, 10));
    Ready();
    EXPECT_EQ(pick(6), 0);
    EXPECT_EQ(Troop(gunship).Destination(), Hex(8, 10)) << "the nearer wins";
}

TEST_F(BehaviourTest, AutoGoHomeOnlyWhenATroopWaitsToBoard) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    const std::uint16_t infantry = map.AddTroop(0, 5, 10, {kInfantry});
    const std::uint16_t other = map.AddTroop(0, 5, 14, {kInfantry});
    map.AddSite(5, 1, 12, 10);  // enemy port: ground troops load there (0x08 in 0x7B)
    map.AddSite(5, 4, 9, 10);   // neutral port, nearer
    map.AddSite(5, 0, 7, 10);   // own: never
    Ready();
    EXPECT_FALSE(Decide(infantry, [&](auto& sh) { return AutoGoHome(Step(), sh, infantry); }));
    EXPECT_TRUE(Journal().empty());

    Troop(other).SetU16(rules::TroopRecord::kActionFlags, rules::kActionBoardWait);
    EXPECT_TRUE(Decide(infantry, [&](auto& sh) { return AutoGoHome(Step(), sh, infantry); }));
    EXPECT_EQ(Troop(infantry).Destination(), Hex(9, 10));
    EXPECT_EQ(Troop(infantry).ActionFlags(), 0);
}

TEST_F(BehaviourTest, AdvanceAndSupportGoForTheNearestFreeFrontTarget) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    map.AddSite(2, 0, 6, 10);
    map.AddSite(2, 1, 9, 10);  // front: 3 from the own city
    const std::uint16_t infantry = map.AddTroop(0, 5, 10, {kInfantry});
    Ready();
    EXPECT_TRUE(Decide(infantry, [&](auto& sh) { return AutoAdvance(Step(), sh, infantry); }));
    EXPECT_EQ(Troop(infantry).Destination(), Hex(9, 10));
    EXPECT_EQ(Troop(infantry).ActionFlags(), 0);

    Ready();
    EXPECT_TRUE(Decide(infantry, [&](auto& sh) { return AutoSupport(Step(), sh, infantry); }));
    EXPECT_EQ(Troop(infantry).Destination(), Hex(9, 10));
    EXPECT_EQ(Troop(infantry).ActionFlags(), rules::kActionSupport);

    // A troop with an order is not idle: neither behaviour touches it.
    ClearJournal();
    EXPECT_FALSE(AutoAdvance(Step(), *shadow_, infantry));
    EXPECT_FALSE(AutoSupport(Step(), *shadow_, infantry));
    EXPECT_TRUE(Journal().empty());
}

TEST_F(BehaviourTest, AdvanceWithoutAFrontTargetGivesNoOrder) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    map.AddSite(2, 0, 6, 10);
    map.AddSite(2, 1, 16, 10);  // 10 away: no front
    const std::uint16_t infantry = map.AddTroop(0, 5, 10, {kInfantry});
    Ready();
    EXPECT_FALSE(Decide(infantry, [&](auto& sh) { return AutoAdvance(Step(), sh, infantry); }));
    EXPECT_FALSE(Decide(infantry, [&](auto& sh) { return AutoSupport(Step(), sh, infantry); }));
    EXPECT_TRUE(Journal().empty());
}

TEST_F(BehaviourTest, FrontTargetByAirTakesTheFrontEvenWhenAnEnemyHoldsIt) {
    map.AddTroop(0, 2, 2, {kHeadquarters});
    map.AddSite(2, 0, 6, 10);
    map.AddSite(2, 1, 9, 10);
    map.AddTroop(1, 9, 10, {kInfantry});  // the front site is held
    const std::uint16_t gunship = map.AddTroop(0, 5, 12, {kGunship});
    Ready();
    EXPECT_EQ(
        Decide(gunship, [&](auto& sh) { return GoToFrontTargetByAir(Step(), sh, 0, gunship); }), 0);
    EXPECT_EQ(Troop(gunship).Destination(), Hex(9, 10));
    // The ground pickers want a free hex.
    Ready();
    EXPECT_EQ(Decide(gunship, [&](auto& sh) { return GoToFrontTarget(Step(), sh, 0, gunship, 0); }),
              -1);
}

}  // namespace
}  // namespace zv::sim::steptest
