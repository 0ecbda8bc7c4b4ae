#include <gtest/gtest.h>

#include "rules/troops/TroopOrders.h"
#include "simulation/AutoBehaviour.h"
#include "simulation/Judgement.h"
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

}  // namespace
}  // namespace zv::sim::steptest
