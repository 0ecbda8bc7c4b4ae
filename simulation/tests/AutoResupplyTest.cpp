#include <gtest/gtest.h>

#include "rules/records/MapRecords.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/AutoResupply.h"
#include "simulation/OrderExecution.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

class AutoResupplyTest : public StepWorld {
  protected:
    void Check(std::uint16_t troop) {
        auto shadow = Shadow();
        CheckTroopResupply(Step(), *shadow, troop);
    }
    std::vector<CommandView> Orders() {
        std::vector<CommandView> out;
        for (const CommandView& c : Journal()) {
            if (c.opcode == kCmdTroopOrder) out.push_back(c);
        }
        return out;
    }
    void SetFormationSetting(std::uint16_t troop, int setting, std::uint8_t value) {
        for (auto table : {rules::TableId::Troop, rules::TableId::ShadowTroop}) {
            rules::TroopRecord& r = Troop(troop, table);
            r.Formation(r.CurrentFormation()).SetSetting(setting, value);
        }
    }
    bool HasNoOrderOf(std::uint16_t t) {
        return Troop(t).ActionFlags() == 0 && Troop(t).Destination() == 0xFFFF;
    }
    // An own city; Ready marks it supplied (without roads the supply networks would not).
    std::uint16_t OwnSupplySite(int x, int y) {
        const std::uint16_t s = map.AddSite(2, 0, x, y);
        supplied.push_back(s);
        return s;
    }
    void Ready() {
        StepWorld::Ready();
        for (std::uint16_t s : supplied) {
            Site(s, rules::TableId::Site)[rules::SiteRecord::kSupplied] = 1;
            Site(s)[rules::SiteRecord::kSupplied] = 1;
        }
    }
    std::vector<std::uint16_t> supplied;
};

TEST_F(AutoResupplyTest, TroopOnItsWayKeepsItsOrderAndItsMoveDelay) {
    OwnSupplySite(9, 4);
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    Ready();
    Troop(troop).Member(0).SetStrength(3);  // under the strength threshold of 50 %
    const std::uint16_t start = Troop(troop).Hex();
    Check(troop);
    ASSERT_EQ(Orders().size(), 1u);
    EXPECT_EQ(Orders()[0].U16(TroopOrderRecord::kDestination), Hex(9, 4));
    EXPECT_EQ(Orders()[0].U16(TroopOrderRecord::kActionFlags), rules::kActionSupply);
    EXPECT_EQ(Opcodes(Journal()).front(), kOpClearOrders);

    // Land costs 2 a hex: every second tick a step, as long as nobody resets the delay.
    for (int tick = 0; tick < 6; ++tick) {
        ClearJournal();
        Check(troop);
        EXPECT_TRUE(Orders().empty()) << "tick " << tick;
        ExecuteTroopOrder(Step(), troop);
    }
    EXPECT_NE(Troop(troop).Hex(), start);
    EXPECT_EQ(Troop(troop).Destination(), Hex(9, 4));
}

TEST_F(AutoResupplyTest, OneCarrierFetchesAStrandedTroop) {
    const std::uint16_t troop = map.AddTroop(0, 4, 4, {kInfantry});
    const std::uint16_t truckA = map.AddTroop(0, 8, 4, {kSupplyTruck});
    const std::uint16_t truckB = map.AddTroop(0, 10, 4, {kSupplyTruck});
    Ready();
    for (std::uint16_t truck : {truckA, truckB}) SetFormationSetting(truck, 1, 5);
    Troop(troop).Member(0).SetFuel(0);
    Check(troop);
    std::vector<CommandView> orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kTroop), truckA) << "the nearest carrier";
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kDestination), Hex(4, 4));
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kTarget), troop);
    for (int tick = 0; tick < 3; ++tick) {
        ClearJournal();
        Check(troop);
        EXPECT_TRUE(Orders().empty()) << "no second carrier, tick " << tick;
    }
    EXPECT_TRUE(HasNoOrderOf(truckB));
}

struct RequestCase {
    const char* name;
    std::uint8_t fuelThreshold;
    int fuel;
    int strength;
    std::int32_t funds;
    bool ordered;
};

class RequestTest : public AutoResupplyTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestTest, ShortTroopIsSentOnlyForWhatItMayAsk) {
    const RequestCase& c = GetParam();
    OwnSupplySite(9, 4);
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    Ready();
    SetFormationSetting(troop, 4, c.fuelThreshold);
    Troop(troop).Member(0).SetFuel(static_cast<std::uint16_t>(c.fuel));
    Troop(troop).Member(0).SetStrength(static_cast<std::uint8_t>(c.strength));
    rules::WriteS32(Country(0), rules::CountryRecord::kFunds, c.funds);
    Check(troop);
    EXPECT_EQ(!Orders().empty(), c.ordered);
}

INSTANTIATE_TEST_SUITE_P(Requests, RequestTest,
                         ::testing::Values(RequestCase{"LowFuel", 50, 10, 10, 10000, true},
                                           RequestCase{"LowFuelThresholdOff", 0, 10, 10, 10000,
                                                       false},
                                           RequestCase{"UnderStrength", 0, 40, 3, 10000, true},
                                           RequestCase{"UnderStrengthNoMoney", 0, 40, 3, 0, false},
                                           RequestCase{"LowFuelNoMoney", 50, 10, 10, 0, true},
                                           RequestCase{"Nothing", 50, 40, 10, 10000, false}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(AutoResupplyTest, SiteWinsOverACarrierAtTheSameDistance) {
    OwnSupplySite(6, 4);
    const std::uint16_t truck = map.AddTroop(0, 0, 4, {kSupplyTruck});
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    Ready();
    (void)truck;
    Troop(troop).Member(0).SetFuel(10);
    Check(troop);
    ASSERT_EQ(Orders().size(), 1u);
    EXPECT_EQ(Orders()[0].U16(TroopOrderRecord::kDestination), Hex(6, 4));
    EXPECT_EQ(Orders()[0].U16(TroopOrderRecord::kTarget), 0xFFFF);
}

}  // namespace
}  // namespace zv::sim::steptest
