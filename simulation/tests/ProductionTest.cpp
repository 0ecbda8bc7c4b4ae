#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

#include "rules/records/CountryTable25Record.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapRecords.h"
#include "rules/troops/Carriers.h"
#include "simulation/Production.h"
#include "simulation/SiteUpkeep.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

// Country 0 holds a capital at (5, 5) and asks for corps troop `request` (an infantry platoon,
// 100 + 30 % = 130) to be placed there.
class ProductionTest : public StepWorld {
  public:
    void Build(bool reusable = false) {
        rules::ScenarioHeaderCursor header(tables);
        header.SetOptionWord(rules::kOptionProductionInGame);
        header.SetDeployLimit(40);
        capital = map.AddSite(0, 0, 5, 5);
        request = map.AddForceTroop(0, {kInfantry});
        rules::ForceCursor force(tables);
        force.SelectSlot(0);
        force.SelectTroop(request);
        force.SetStateFlags(
            static_cast<std::uint16_t>(force.GetStateFlags() | 0x2000 | (reusable ? 0x8000 : 0)));
        force.SetHex(Hex(5, 5));
    }
    // Flag word, hex and use of a corps troop of country 0.
    struct CorpsView {
        bool used;
        std::uint16_t flags;
        std::uint16_t hex;
    };
    CorpsView Corps(std::uint16_t t, bool shadow = true) {
        std::unique_ptr<rules::ForceCursor> force =
            shadow ? std::make_unique<rules::ShadowForceCursor>(tables)
                   : std::make_unique<rules::ForceCursor>(tables);
        force->SelectSlot(0);
        force->SelectTroop(t);
        return {force->GetRecord()->IsUsed(), force->GetStateFlags(), force->GetHexValue()};
    }
    std::int32_t Funds(int c, rules::TableId table = rules::TableId::ShadowCountry) {
        return rules::ReadS32(Country(c, table), rules::CountryRecord::kFunds);
    }
    void Board(std::uint16_t carrier, std::uint16_t passenger) {
        const std::uint16_t hex = Troop(passenger, rules::TableId::Troop).Hex();
        rules::ExecBoard(*Live(), carrier, passenger, hex);
        rules::ExecBoard(*Shadow(), carrier, passenger, hex);
    }
    int Tick() {
        auto shadow = Shadow();
        return ProcessSitesTick(Step(), *shadow);
    }
    std::uint16_t capital = 0;
    std::uint16_t request = 0;
};

TEST_F(ProductionTest, RequestedTroopAppearsAndPaysWithSurcharge) {
    Build();
    Ready();
    const std::int32_t funds = Funds(0);
    EXPECT_EQ(Tick(), 1);
    const std::uint16_t troop = HexTroop(5, 5);
    ASSERT_NE(troop, 0xFFFF);
    EXPECT_EQ(Troop(troop).Country(), 0);
    EXPECT_EQ(Troop(troop).Flags() & 0x2009, 0x0001);
    EXPECT_EQ(Troop(troop).Member(0).Strength(), 10);
    EXPECT_EQ(Funds(0), funds - 130);
    EXPECT_EQ(Country(0)[rules::CountryRecord::kCounter84], 1);
    EXPECT_FALSE(Corps(request).used) << "a one-off troop leaves its corps";
    const std::vector<CommandView> journal = Journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].opcode, kCmdProduction);
    EXPECT_EQ(journal[0].U16(ForceTroopRecord::kHex), Hex(5, 5));

    // Every participant produces the same troop, and counts it.
    Flush();
    EXPECT_EQ(HexTroop(5, 5, rules::TableId::HexInfo), troop);
    EXPECT_EQ(Funds(0, rules::TableId::Country), funds - 130);
    EXPECT_FALSE(Corps(request, false).used);
    const std::uint8_t* stats = tables.GetTableBase(rules::TableId::CountryStats);
    EXPECT_EQ(rules::ReadS32(stats, rules::CountryTable25Record::kTotal), 130);
    EXPECT_EQ(stats[rules::CountryTable25Record::kTroopsProduced + 2], 1) << "altitude class 3";
}

TEST_F(ProductionTest, ReusableTroopStaysInTheCorps) {
    Build(true);
    Ready();
    EXPECT_EQ(Tick(), 1);
    EXPECT_TRUE(Corps(request).used);
    EXPECT_EQ(Corps(request).flags & 0x2000, 0);
}

struct LimitCase {
    const char* name;
    std::function<void(ProductionTest&)> arrange;
};

class LimitTest : public ProductionTest, public ::testing::WithParamInterface<int> {};

const LimitCase kLimits[] = {
    {"FundsBelowThePriceWithSurcharge",
     [](ProductionTest& t) {
         rules::WriteS32(t.Country(0, rules::TableId::Country), rules::CountryRecord::kFunds, 129);
     }},
    {"PlacementHexTaken", [](ProductionTest& t) { t.map.AddTroop(1, 5, 5, {kInfantry}); }},
    {"CapitalLost",
     [](ProductionTest& t) {
         t.Site(t.capital, rules::TableId::Site)[rules::SiteRecord::kOwner] = 1;
     }},
    {"ProductionMaximumReached",
     [](ProductionTest& t) {
         t.Country(0, rules::TableId::Country)[rules::CountryRecord::kCounter84] = 80;
     }},
    {"DeployLimitReached",
     [](ProductionTest& t) {
         rules::ScenarioHeaderCursor(t.tables).SetDeployLimit(1);
         t.map.AddTroop(0, 9, 9, {kInfantry});
     }},
    {"CountryNotInPlay",
     [](ProductionTest& t) {
         t.Country(0, rules::TableId::Country)[rules::CountryRecord::kState] = 3;
     }},
    {"AllFortyTroopRecordsUsed",
     [](ProductionTest& t) {
         rules::ScenarioHeaderCursor(t.tables).SetDeployLimit(60);
         for (int k = 0; k < 40; ++k) t.map.AddTroop(0, 10 + k % 10, 10 + k / 10, {kInfantry});
     }},
};

TEST_P(LimitTest, LimitLeavesTheRequestForALaterStep) {
    const LimitCase& c = kLimits[GetParam()];
    SCOPED_TRACE(c.name);
    Build();
    c.arrange(*this);
    Ready();
    const std::int32_t funds = Funds(0);
    EXPECT_EQ(Tick(), 0);
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(Funds(0), funds);
    EXPECT_TRUE(Corps(request).used);
    EXPECT_EQ(Corps(request).flags & 0x2000, 0x2000);
    EXPECT_EQ(Corps(request).hex, Hex(5, 5));
}

INSTANTIATE_TEST_SUITE_P(Limits, LimitTest,
                         ::testing::Range(0, static_cast<int>(std::size(kLimits))),
                         [](const auto& testCase) {
                             return std::string(kLimits[testCase.param].name);
                         });

TEST_F(ProductionTest, TakenHexIsProducedOnAsSoonAsItIsFree) {
    Build();
    const std::uint16_t blocker = map.AddTroop(1, 5, 5, {kInfantry});
    Ready();
    EXPECT_EQ(Tick(), 0);
    rules::TroopCursor troops(tables, rules::TableId::ShadowTroop);
    troops.Select(blocker);
    troops.SetHex(Hex(6, 9));
    auto shadow = Shadow();
    shadow->RebuildTroopOccupancy();
    EXPECT_EQ(Tick(), 1);
}

TEST_F(ProductionTest, CellsAroundTheCapital) {
    Build();
    const std::uint16_t airport = map.AddSite(4, 0, 8, 5);  // within 5: a cell
    map.AddSite(3, 0, 6, 6);  // own town beside the capital: a free hex, no site cell
    const std::uint16_t far = map.AddSite(4, 0, 15, 5);  // too far
    map.AddSite(2, 1, 4, 5);             // foreign city beside the capital: not a cell
    map.AddTroop(0, 6, 5, {kInfantry});  // the east neighbour is taken
    Ready();
    // Without roads the supply networks leave the sites unsupplied.
    for (std::uint16_t s : {airport, far}) Site(s)[rules::SiteRecord::kSupplied] = 1;
    auto shadow = Shadow();
    ProductionCells cells;
    const int n = CollectProductionCells(*shadow, 0, cells);
    std::vector<std::tuple<int, int, int>> got;
    for (int k = 0; k < n; ++k) got.emplace_back(cells[k].kind, cells[k].x, cells[k].y);
    // Row 5 is odd: the neighbours W, SW, SE, E, NE, NW of (5, 5) are (4, 5), (5, 6), (6, 6),
    // (6, 5), (6, 4), (5, 4).
    const std::vector<std::tuple<int, int, int>> expected = {{0, 5, 5}, {6, 5, 6}, {6, 6, 6},
                                                             {6, 6, 4}, {6, 5, 4}, {4, 8, 5}};
    EXPECT_EQ(got, expected);
}

TEST_F(ProductionTest, CarriedTroopIsResuppliedEveryStep) {
    const std::uint16_t carrier = map.AddTroop(0, 21, 6, {kCarrier});
    const std::uint16_t passenger = map.AddTroop(0, 20, 6, {kInfantry});
    Ready();
    Board(carrier, passenger);
    for (auto table : {rules::TableId::Troop, rules::TableId::ShadowTroop}) {
        Troop(passenger, table).Member(0).SetFuel(3);
    }
    for (int tick = 0; tick < 2; ++tick) {
        auto shadow = Shadow();
        RunStepUpkeep(Step(), *shadow);
        int supplies = 0;
        for (const CommandView& c : Journal()) {
            if (c.opcode == kCmdSupply && c.U16(SupplyRecord::kTroop) == passenger) ++supplies;
        }
        EXPECT_EQ(supplies, 1);
        EXPECT_EQ(Troop(passenger).Member(0).Fuel(), 40);
        Flush();
        EXPECT_EQ(Troop(passenger, rules::TableId::Troop).Member(0).Fuel(), 40);
        Troop(passenger).Member(0).SetFuel(3);
        Troop(passenger, rules::TableId::Troop).Member(0).SetFuel(3);
    }
}

TEST_F(ProductionTest, ReloadTimersAgreeAfterTheCarriedSupply) {
    // The live tables run the carried troop's supply (command 5) before command 33's countdown;
    // the shadow keeps that order, so the reload timers stay alike.
    const std::uint16_t carrier = map.AddTroop(0, 21, 6, {kCarrier});
    const std::uint16_t passenger = map.AddTroop(0, 20, 6, {kInfantry});
    Ready();
    Board(carrier, passenger);
    for (auto table : {rules::TableId::Troop, rules::TableId::ShadowTroop}) {
        Troop(passenger, table).Member(0).SetFireCounter(0, 1);
    }
    auto shadow = Shadow();
    RunStepUpkeep(Step(), *shadow);
    WriteCommand(*sim, SeedCommand{1});
    Flush();
    EXPECT_EQ(Troop(passenger).Member(0).FireCounter(0),
              Troop(passenger, rules::TableId::Troop).Member(0).FireCounter(0));
    EXPECT_EQ(Troop(passenger).Member(0).FireCounter(0), 2) << "refilled to 3, then one minute";
}

TEST_F(ProductionTest, FlyingTroopsBurnAMinutesFuel) {
    const std::uint16_t heli = map.AddTroop(0, 8, 8, {kGunship});
    const std::uint16_t infantry = map.AddTroop(0, 9, 9, {kInfantry});
    Ready();
    auto shadow = Shadow();
    RunStepUpkeep(Step(), *shadow);
    EXPECT_EQ(Troop(heli).Member(0).Fuel(), 29);
    EXPECT_EQ(Troop(infantry).Member(0).Fuel(), 40);
    Flush();
    EXPECT_EQ(Troop(heli, rules::TableId::Troop).Member(0).Fuel(), 29);
}

TEST_F(ProductionTest, RoundRequestsReusableTroopsForComputerCountries) {
    rules::ScenarioHeaderCursor header(tables);
    header.SetOptionWord(rules::kOptionProductionInGame);
    header.SetDeployLimit(40);
    map.AddSite(0, 1, 12, 12);
    map.AddSite(5, 1, 14, 12);  // a port: no cell for a ground troop
    std::uint16_t corps[3];
    for (int k = 0; k < 3; ++k) corps[k] = map.AddForceTroop(1, {kInfantry});
    rules::ForceCursor force(tables);
    force.SelectSlot(1);
    for (int k = 0; k < 2; ++k) {
        force.SelectTroop(corps[k]);
        force.SetStateFlags(static_cast<std::uint16_t>(force.GetStateFlags() | 0x8000));
    }
    Country(1, rules::TableId::Country)[rules::CountryRecord::kParticipation] = 1;
    Ready();
    auto shadow = Shadow();
    RunProductionRound(Step(), *shadow);
    const std::vector<CommandView> journal = Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_LE(journal.size(), 5u);
    std::vector<std::uint16_t> hexes;
    for (const CommandView& c : journal) {
        EXPECT_EQ(c.opcode, kOpPlace);
        EXPECT_NE(c.U16(ForceTroopRecord::kForceTroop), corps[2]) << "only reusable troops";
        EXPECT_EQ(c.U8(ForceTroopRecord::kCountry), 1);
        const std::uint16_t hex = c.U16(ForceTroopRecord::kHex);
        EXPECT_NE(hex, Hex(14, 12));
        for (std::uint16_t h : hexes) EXPECT_NE(h, hex) << "each cell once";
        hexes.push_back(hex);
    }
    Flush();
    rules::ForceCursor live(tables);
    live.SelectSlot(1);
    live.SelectTroop(journal.back().U16(ForceTroopRecord::kForceTroop));
    EXPECT_EQ(live.GetStateFlags() & 0x2000, 0x2000);
    EXPECT_EQ(live.GetHexValue(), journal.back().U16(ForceTroopRecord::kHex));
}

// A corps of boats without a port and one infantry platoon: whatever the draw, the round's pick
// falls to the platoon, the only troop with a free cell, and it is requested once.
TEST_F(ProductionTest, PickWithoutACellPassesToATroopThatHasOne) {
    rules::ScenarioHeaderCursor header(tables);
    header.SetOptionWord(rules::kOptionProductionInGame);
    header.SetDeployLimit(40);
    map.AddSite(0, 1, 12, 12);
    std::uint16_t boats[5];
    for (std::uint16_t& b : boats) b = map.AddForceTroop(1, {kBoat});
    const std::uint16_t platoon = map.AddForceTroop(1, {kInfantry});
    rules::ForceCursor force(tables);
    force.SelectSlot(1);
    for (std::uint16_t t : {boats[0], boats[1], boats[2], boats[3], boats[4], platoon}) {
        force.SelectTroop(t);
        force.SetStateFlags(static_cast<std::uint16_t>(force.GetStateFlags() | 0x8000));
    }
    Country(1, rules::TableId::Country)[rules::CountryRecord::kParticipation] = 1;
    Ready();
    for (int round = 0; round < 8; ++round) {
        auto shadow = Shadow();
        RunProductionRound(Step(), *shadow);
        const std::vector<CommandView> journal = Journal();
        ASSERT_EQ(journal.size(), 1u) << "round " << round;
        EXPECT_EQ(journal[0].U16(ForceTroopRecord::kForceTroop), platoon);
        Flush();
        // The request ends as if the platoon had appeared, and the next round draws anew.
        rules::ForceCursor live(tables);
        rules::ShadowForceCursor shadowForce(tables);
        for (rules::ForceCursor* f : {&live, static_cast<rules::ForceCursor*>(&shadowForce)}) {
            f->SelectSlot(1);
            f->SelectTroop(platoon);
            f->SetStateFlags(static_cast<std::uint16_t>(f->GetStateFlags() & ~0x2000));
        }
    }
}

}  // namespace
}  // namespace zv::sim::steptest
