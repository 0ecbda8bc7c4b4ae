#include <gtest/gtest.h>

#include "rules/context/RuleHelpers.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/ActionSteps.h"
#include "simulation/OrderExecution.h"
#include "simulation/SiteUpkeep.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

class ActionStepsTest : public StepWorld {
  protected:
    // Sets the shadow troop's current activity as the status rule would have.
    void Activity(std::uint16_t troop, std::uint8_t kind, std::uint16_t actions,
                  std::uint16_t destination, std::uint16_t target = 0xFFFF) {
        rules::TroopRecord& r = Troop(troop);
        r.bytes[rules::TroopRecord::kOrderKind] = kind;
        r.SetU16(rules::TroopRecord::kActionFlags, actions);
        r.SetU16(rules::TroopRecord::kDestination, destination);
        r.SetU16(rules::TroopRecord::kTarget, target);
    }
    bool Tick(std::uint16_t troop) { return ExecuteTroopOrder(Step(), troop); }
    int Count(std::uint16_t opcode) {
        int n = 0;
        for (const CommandView& c : Journal()) n += c.opcode == opcode ? 1 : 0;
        return n;
    }
};

struct OccupyCase {
    std::vector<int> strengths;  // infantry members
    int durability;
    std::vector<int> expected;  // durability after each tick before the site falls
};

class OccupyTest : public ActionStepsTest, public ::testing::WithParamInterface<OccupyCase> {};

TEST_P(OccupyTest, SiteWearsDownThenFallsOnTheNextTick) {
    const OccupyCase& c = GetParam();
    const std::uint16_t site = map.AddSite(2, 1, 6, 6);
    const std::uint16_t troop = c.strengths.size() == 2
                                    ? map.AddTroop(0, 6, 6, {kInfantry, kInfantry})
                                    : map.AddTroop(0, 6, 6, {kInfantry});
    Ready();
    for (std::size_t m = 0; m < c.strengths.size(); ++m) {
        Troop(troop)
            .Member(static_cast<int>(m))
            .SetStrength(static_cast<std::uint8_t>(c.strengths[m]));
    }
    Site(site)[rules::SiteRecord::kCaptureDurability] = static_cast<std::uint8_t>(c.durability);
    Activity(troop, rules::kOrderOccupy, 0, Hex(6, 6));
    for (int expected : c.expected) {
        Tick(troop);
        EXPECT_EQ(Site(site)[rules::SiteRecord::kCaptureDurability], expected);
        EXPECT_EQ(Count(kCmdOccupy), 0) << "the wear is the shadow's own";
    }
    Tick(troop);
    EXPECT_EQ(Count(kCmdOccupy), 1);
    EXPECT_EQ(Site(site)[rules::SiteRecord::kOwner], 0);
    Flush();
    EXPECT_EQ(Site(site, rules::TableId::Site)[rules::SiteRecord::kOwner], 0);
}

INSTANTIATE_TEST_SUITE_P(Strengths, OccupyTest,
                         ::testing::Values(OccupyCase{{10, 10}, 12, {8, 4, 0}},
                                           OccupyCase{{3}, 3, {2, 1, 0}},
                                           OccupyCase{{10, 10}, 2, {0}}));

TEST_F(ActionStepsTest, SiteRecoveryHoldsForTheOccupierOnTheShadowAndTheSupplierLive) {
    const std::uint16_t taken = map.AddSite(2, 1, 6, 6);
    const std::uint16_t supplied = map.AddSite(2, 0, 9, 9);
    const std::uint16_t occupier = map.AddTroop(0, 6, 6, {kInfantry});
    const std::uint16_t supplier = map.AddTroop(0, 9, 9, {kInfantry});
    Ready();
    for (auto table : {rules::TableId::Site, rules::TableId::ShadowSite}) {
        Site(taken, table)[rules::SiteRecord::kCaptureDurability] = 5;
        Site(supplied, table)[rules::SiteRecord::kCaptureDurability] = 5;
    }
    for (auto table : {rules::TableId::Troop, rules::TableId::ShadowTroop}) {
        Troop(occupier, table).bytes[rules::TroopRecord::kOrderKind] = rules::kOrderOccupy;
        Troop(supplier, table).bytes[rules::TroopRecord::kOrderKind] = rules::kOrderSupply;
    }
    auto shadow = Shadow();
    RecoverSiteDurability(*shadow, rules::kOrderOccupy);
    RunSiteRound(*Live());
    EXPECT_EQ(Site(taken)[rules::SiteRecord::kCaptureDurability], 5);
    EXPECT_EQ(Site(supplied)[rules::SiteRecord::kCaptureDurability], 6);
    EXPECT_EQ(Site(taken, rules::TableId::Site)[rules::SiteRecord::kCaptureDurability], 6);
    EXPECT_EQ(Site(supplied, rules::TableId::Site)[rules::SiteRecord::kCaptureDurability], 5);
}

TEST_F(ActionStepsTest, TransformationCompletesTwoTicksAfterTheSlowestMembersTime) {
    const std::uint16_t boat = map.AddTroop(0, 30, 8, {kBoat});
    Ready();
    Activity(boat, rules::kOrderTransform, rules::kActionTransform, Hex(30, 8));
    // Transformation time 2: the counter runs 0, 1, 2, then the fourth tick transforms.
    for (int tick = 1; tick <= 3; ++tick) {
        Tick(boat);
        EXPECT_EQ(Count(kCmdTransform), 0) << tick;
        EXPECT_EQ(Troop(boat).bytes[rules::TroopRecord::kActionCounter], tick);
    }
    Tick(boat);
    EXPECT_EQ(Count(kCmdTransform), 1);
    EXPECT_EQ(Troop(boat).Member(0).Unit(), kLandingCraft);
    Flush();
    EXPECT_EQ(Troop(boat, rules::TableId::Troop).Member(0).Unit(), kLandingCraft);
}

class LaunchTest : public ActionStepsTest {
  protected:
    // A carrier at sea beside the coast with `aboard` infantry troops of country 0.
    void Board(int aboard) {
        carrier = map.AddTroop(0, 21, 6, {kCarrier});
        for (int k = 0; k < aboard; ++k) {
            passengers.push_back(map.AddTroop(0, 2 + k, 2, {kInfantry}));
        }
        Ready();
        auto live = Live();
        auto shadow = Shadow();
        for (std::uint16_t p : passengers) {
            const std::uint16_t hex = Troop(p, rules::TableId::Troop).Hex();
            rules::ExecBoard(*live, carrier, p, hex);
            rules::ExecBoard(*shadow, carrier, p, hex);
        }
        ClearJournal();
    }
    std::uint16_t carrier = 0;
    std::vector<std::uint16_t> passengers;
};

TEST_F(LaunchTest, CarrierPreparesThreeTicksAndLaunchesOnTheFourth) {
    Board(1);
    const std::uint16_t troop = passengers[0];
    ASSERT_EQ(Troop(troop).Carrier(), carrier);
    Activity(troop, rules::kOrderLaunch, 0, Hex(16, 6));
    Troop(troop).bytes[rules::TroopRecord::kHomeAction] = 1;  // move on once out
    for (int tick = 1; tick <= 3; ++tick) {
        Tick(troop);
        EXPECT_EQ(Count(kCmdLaunch), 0) << tick;
        EXPECT_EQ(Troop(carrier).bytes[rules::TroopRecord::kActionCounter], tick);
    }
    Tick(troop);
    ASSERT_EQ(Count(kCmdLaunch), 1);
    EXPECT_EQ(Troop(troop).Carrier(), 0xFFFF);
    EXPECT_EQ(Troop(troop).Hex(), Hex(20, 6)) << "the free neighbour nearest to the destination";
    EXPECT_EQ(Troop(carrier).bytes[rules::TroopRecord::kActionCounter], 0)
        << "a carrier that launched is idle again";
    Flush();
    EXPECT_EQ(Troop(troop, rules::TableId::Troop).Hex(), Hex(20, 6));
    EXPECT_EQ(Troop(troop, rules::TableId::Troop).Carrier(), 0xFFFF);
}

TEST_F(LaunchTest, NinthTroopAboardCannotLaunch) {
    Board(9);
    auto shadow = Shadow();
    Activity(passengers[7], rules::kOrderLaunch, 0, Hex(16, 6));
    Activity(passengers[8], rules::kOrderLaunch, 0, Hex(16, 6));
    EXPECT_EQ(CheckLaunchPossible(Step(), *shadow, passengers[7]), 1);
    EXPECT_EQ(CheckLaunchPossible(Step(), *shadow, passengers[8]), -1);
}

TEST_F(ActionStepsTest, BombingKnocksOutAgainstTheSameDrawOnEveryParticipant) {
    // Several seeds: the shadow and the live site must agree whatever the draw.
    const std::uint16_t seeds[] = {3, 77, 1234, 40000};
    std::uint16_t bombers[4], sites[4], targets[4];
    for (int k = 0; k < 4; ++k) {
        bombers[k] = map.AddTroop(0, 4, 4 + 6 * k, {kBomber, kBomber});
        sites[k] = map.AddSite(2, 1, 5, 4 + 6 * k);
        targets[k] = map.AddTroop(1, 5, 4 + 6 * k, {kInfantry});
    }
    Ready();
    for (int k = 0; k < 4; ++k) {
        const std::uint16_t seed = seeds[k];
        sim->Random().SeedRandom2(seed);
        fw::RandomStreams expected = sim->Random();
        const int draw = rules::RandomBelow(expected, 100);
        // The step's seed command comes before the troops' commands.
        rules::SeedGameRandom(sim->Random(), seed);
        WriteCommand(*sim, SeedCommand{seed});
        Activity(bombers[k], rules::kOrderBomb, rules::kActionBomb, Hex(5, 4 + 6 * k));
        Tick(bombers[k]);
        CommandView bomb;
        for (const CommandView& c : Journal()) {
            if (c.opcode == kCmdBomb) bomb = c;
        }
        ASSERT_EQ(bomb.opcode, kCmdBomb);
        EXPECT_EQ(bomb.U16(BombRecord::kTargetTroop), targets[k]);
        EXPECT_EQ(bomb.U16(BombRecord::kTargetSite), sites[k]);
        EXPECT_EQ(bomb.U16(BombRecord::kThreshold), draw);
        Flush();
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(Site(sites[k])[i], Site(sites[k], rules::TableId::Site)[i])
                << "seed " << seed << " byte " << i;
        }
        for (int m = 0; m < 6; ++m) {
            EXPECT_EQ(Troop(targets[k]).Member(m).Strength(),
                      Troop(targets[k], rules::TableId::Troop).Member(m).Strength());
        }
    }
}

TEST_F(ActionStepsTest, ReturningPartAwayFromItsCarrierIsDisbanded) {
    const std::uint16_t carrier = map.AddTroop(0, 22, 6, {kCarrier});
    const std::uint16_t part = map.AddTroop(0, 25, 6, {kLandingCraft});
    Ready();
    Troop(part).SetFlags(
        static_cast<std::uint16_t>(Troop(part).Flags() | rules::kTroopLaunchedPart));
    Activity(part, rules::kOrderReturn, rules::kActionReturn, Hex(23, 6), carrier);
    Tick(part);
    EXPECT_EQ(Opcodes(Journal()), (std::vector<std::uint16_t>{kCmdDisband}));
    EXPECT_FALSE(Troop(part).IsUsed());
    Flush();
    EXPECT_FALSE(Troop(part, rules::TableId::Troop).IsUsed());
}

struct FireCase {
    const char* name;
    int destinationX;  // the gunship stands at 4,10; its missile reaches 4 hexes
    bool targetGone;   // the order names a troop that is no longer there
    bool ends;         // the action ends instead of waiting
};

class FireTest : public ActionStepsTest, public ::testing::WithParamInterface<FireCase> {};

TEST_P(FireTest, OutOfReachWaitsAndAVanishedTargetEnds) {
    const FireCase& c = GetParam();
    const std::uint16_t gunship = map.AddTroop(0, 4, 10, {kGunship});
    const std::uint16_t gone = map.AddTroop(1, 30, 30, {kInfantry});
    Ready();
    Troop(gone).SetSlotByte(rules::kUnusedSlotByte);  // the slot is free again
    // The gunship's missile becomes a launched missile (type 20) with a reach of 4.
    std::uint8_t* missile = tables.GetTableBase(rules::TableId::WeaponKd) +
                            (kAirMissile - 1) * tables.GetTableRecordSize(rules::TableId::WeaponKd);
    missile[rules::WeaponKdRecord::kWeaponType] = 20;
    ASSERT_EQ(missile[rules::WeaponKdRecord::kRange], 4);
    Activity(gunship, rules::kOrderFire, rules::kActionFire, Hex(c.destinationX, 10),
             c.targetGone ? gone : 0xFFFF);
    Troop(gunship).SetU16(rules::TroopRecord::kWeaponSelection, rules::WeaponClassBit(20));
    for (int tick = 0; tick < 3; ++tick) {
        ClearJournal();
        Tick(gunship);
        if (c.ends) {
            // The action is cleared, so the status rule does not pick the same fire again.
            EXPECT_EQ(Opcodes(Journal()),
                      (std::vector<std::uint16_t>{kCmdClearAction, kCmdStatus}));
            EXPECT_EQ(Troop(gunship).ActionFlags() & rules::kActionFire, 0);
            EXPECT_NE(Troop(gunship).bytes[rules::TroopRecord::kOrderKind], rules::kOrderFire);
            Flush();
            EXPECT_EQ(Troop(gunship, rules::TableId::Troop).ActionFlags(),
                      Troop(gunship).ActionFlags());
            break;
        }
        EXPECT_TRUE(Journal().empty()) << "tick " << tick;
        EXPECT_EQ(Troop(gunship).ActionFlags(), rules::kActionFire) << "tick " << tick;
        EXPECT_EQ(Troop(gunship).bytes[rules::TroopRecord::kOrderKind], rules::kOrderFire);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FireTest,
                         ::testing::Values(FireCase{"BeyondTheMissilesRange", 12, false, false},
                                           FireCase{"TargetNoLongerThere", 6, true, true}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(ActionStepsTest, ArmEndsAtTheFirstTick) {
    const std::uint16_t troop = map.AddTroop(0, 6, 6, {kInfantry});
    Ready();
    Activity(troop, rules::kOrderArm, rules::kActionArm, Hex(6, 6));
    EXPECT_TRUE(Tick(troop));
    EXPECT_EQ(Opcodes(Journal()), (std::vector<std::uint16_t>{kCmdStatus}));
    EXPECT_EQ(Troop(troop).ActionFlags(), 0);
}

}  // namespace
}  // namespace zv::sim::steptest
