#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/records/CountryTable25Record.h"
#include "simulation/Judgement.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

constexpr std::uint8_t P = kPlayedByParticipant;
constexpr std::uint8_t C = kPlayedByComputer;
constexpr std::uint8_t X = kNotTakingPart;

struct SiteSpec {
    int kind;
    int owner;
};

struct JudgeCase {
    const char* name;
    std::uint8_t state[4];
    std::uint8_t participation[4];
    std::uint8_t alliance[4];  // own bit added by the test
    std::uint8_t hq;           // countries with a headquarters troop
    bool dayLimitPassed;
    bool singlePlay;
    std::uint8_t player;
    std::vector<SiteSpec> sites;
    int losses[4];
    std::int32_t funds[4];
    // Expected.
    int result;
    std::uint8_t winners;
    std::uint8_t losers;
    std::vector<int> fallCommands;
};

class JudgementTest : public StepWorld, public ::testing::WithParamInterface<JudgeCase> {};

TEST_P(JudgementTest, DecidesTheEndOfTheGame) {
    const JudgeCase& c = GetParam();
    rules::CountryCursor countries(tables);
    int y = 2;
    for (int k = 0; k < 4; ++k) {
        map.Country(static_cast<std::uint8_t>(k), c.funds[k] ? c.funds[k] : 1000);
        countries.Select(k);
        countries.SetState(c.state[k]);
        countries.SetParticipation(c.participation[k]);
        countries.SetAllianceMask(static_cast<std::uint8_t>(c.alliance[k] | (1u << k)));
        if (c.state[k] == kCountryInPlay)
            map.AddTroop(static_cast<std::uint8_t>(k), 3, y, {kInfantry});
        if (c.hq & (1u << k)) map.AddTroop(static_cast<std::uint8_t>(k), 5, y, {kHeadquarters});
        y += 3;
    }
    int x = 8;
    for (const SiteSpec& s : c.sites) map.AddSite(s.kind, s.owner, x++, 20);
    for (int k = 0; k < 4; ++k) {
        tables.GetTableBase(
            rules::TableId::CountryStats)[44 * k + rules::CountryTable25Record::kTroopsLost] =
            static_cast<std::uint8_t>(c.losses[k]);
    }
    rules::ScenarioHeaderCursor header(tables);
    header.SetDay(5);
    header.SetDayLimit(c.dayLimitPassed ? 4 : 10);
    Ready();

    auto shadow = Shadow();
    JudgeInputs in;
    in.journal = sim.get();
    in.tables = &tables;
    in.singlePlay = c.singlePlay;
    in.playerCountry = c.player;
    std::uint8_t winners = 0xEE, losers = 0xEE;
    EXPECT_EQ(JudgeCamps(*shadow, in, winners, losers), c.result);
    if (c.result == 1) {
        EXPECT_EQ(winners, c.winners);
        EXPECT_EQ(losers, c.losers);
    }
    std::vector<int> falls;
    for (const CommandView& v : Journal()) {
        if (v.opcode != kCmdCountryFall) continue;
        falls.push_back(v.U8(CountryFallRecord::kCountry));
        EXPECT_EQ(v.U8(CountryFallRecord::kKeepState), 0);
    }
    EXPECT_EQ(falls, c.fallCommands);
    for (int k : c.fallCommands)
        EXPECT_EQ(Country(k)[rules::CountryRecord::kState], kCountryFallen);
}

const JudgeCase kCases[] = {
    {"LastHqLostAndTheRestAllied",
     {1, 1, 1, 0},
     {P, P, P, X},
     {0, 4, 2, 0},
     0b0110,
     false,
     true,
     1,
     {},
     {},
     {},
     1,
     0b0110,
     0b0001,
     {0}},
    {"SurvivorsNotAlliedWarGoesOn",
     {1, 1, 1, 0},
     {P, P, P, X},
     {0, 0, 0, 0},
     0b0011,
     false,
     true,
     0,
     {},
     {},
     {},
     0,
     0,
     0,
     {2}},
    {"NobodyFallsNothingHappens",
     {1, 1, 0, 0},
     {P, C, X, X},
     {0, 0, 0, 0},
     0b0011,
     false,
     true,
     0,
     {},
     {},
     {},
     0,
     0,
     0,
     {}},
    {"ComputerNotAlliedWithComputerDoesNotStopTheCamp",
     {1, 1, 1, 1},
     {P, C, C, P},
     {0b0110, 0b0001, 0b0001, 0},
     0b0111,
     false,
     true,
     0,
     {},
     {},
     {},
     1,
     0b0111,
     0b1000,
     {3}},
    {"ComputerOnlyEnemyCampsDoNotWinTogether",
     {1, 1, 1, 0},
     {C, C, C, X},
     {0, 0, 0, 0},
     0b0110,
     false,
     true,
     6,
     {},
     {},
     {},
     0,
     0,
     0,
     {0}},
    {"ComputerOnlyAlliedSurvivorsWin",
     {1, 1, 1, 0},
     {C, C, C, X},
     {0, 4, 2, 0},
     0b0110,
     false,
     true,
     6,
     {},
     {},
     {},
     1,
     0b0110,
     0b0001,
     {0}},
    {"CountryOutWithoutNoParticipationBlocksTheJudgement",
     {1, 1, 0, 0},
     {P, P, P, X},
     {0, 0, 0, 0},
     0b0001,
     false,
     true,
     0,
     {},
     {},
     {},
     1,
     0,
     0,
     {}},
    {"EarlierFallenCountryCountsAsLoser",
     {1, 1, 3, 0},
     {P, P, P, X},
     {2, 1, 0, 0},
     0b0010,
     false,
     true,
     0,
     {},
     {},
     {},
     1,
     0b0010,
     0b0101,
     {0}},
    {"DayLimitSinglePlayPlayerLoses",
     {1, 1, 0, 0},
     {P, C, X, X},
     {0, 0, 0, 0},
     0b0011,
     true,
     true,
     1,
     {},
     {},
     {},
     1,
     0,
     0b0010,
     {}},
    {"DayLimitWithoutLocalCountryComparesCamps",
     {1, 1, 0, 0},
     {C, C, X, X},
     {0, 0, 0, 0},
     0b0011,
     true,
     true,
     6,
     {{0, 0}},
     {},
     {},
     1,
     0b0001,
     0b0010,
     {}},
    {"DayLimitCapitalHolderWins",
     {1, 1, 1, 0},
     {P, P, P, X},
     {4, 0, 1, 0},
     0b0111,
     true,
     false,
     0,
     {{0, 1}},
     {},
     {},
     1,
     0b0010,
     0b0101,
     {}},
    {"DayLimitAllHoldCapitalsSitesDecide",
     {1, 1, 0, 0},
     {P, P, X, X},
     {0, 0, 0, 0},
     0b0011,
     true,
     false,
     0,
     {{0, 0}, {0, 1}, {1, 1}, {3, 0}, {3, 0}},
     {},
     {},
     1,
     0b0010,
     0b0001,
     {}},
    {"EqualSitesLossesDecide",
     {1, 1, 0, 0},
     {P, P, X, X},
     {0, 0, 0, 0},
     0b0011,
     true,
     false,
     0,
     {{2, 0}, {4, 1}},
     {3, 1, 0, 0},
     {},
     1,
     0b0010,
     0b0001,
     {}},
    {"EqualLossesFundsDecide",
     {1, 1, 0, 0},
     {P, P, X, X},
     {0, 0, 0, 0},
     0b0011,
     true,
     false,
     0,
     {},
     {2, 2, 0, 0},
     {5000, 4000, 0, 0},
     1,
     0b0001,
     0b0010,
     {}},
    {"EverythingEqualEveryCampLoses",
     {1, 1, 1, 0},
     {P, P, P, X},
     {0, 4, 2, 0},
     0b0111,
     true,
     false,
     0,
     {},
     {},
     {3000, 1500, 1500, 0},
     1,
     0,
     0b0111,
     {}},
    {"CampFundsAddUpWithoutOverflow",
     {1, 1, 1, 1},
     {P, P, P, P},
     {0b0110, 0b0101, 0b0011, 0},
     0b1111,
     true,
     false,
     0,
     {},
     {},
     {999999999, 999999999, 999999999, 1000},
     1,
     0b0111,
     0b1000,
     {}},
    {"FallenAllyLeavesItsCamp",
     {3, 1, 1, 0},
     {P, P, P, X},
     {2, 1, 0, 0},
     0b0110,
     true,
     false,
     1,
     {{0, 1}, {0, 2}, {1, 1}},
     {},
     {},
     1,
     0b0010,
     0b0100,
     {}},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, JudgementTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class RetireTest : public StepWorld {};

TEST_F(RetireTest, DepartedParticipantKeepsStateThenFallsWithoutHeadquarters) {
    const std::uint16_t hq = map.AddTroop(1, 4, 4, {kHeadquarters});
    map.AddTroop(0, 8, 8, {kHeadquarters});
    const std::uint16_t site = map.AddSite(0, 1, 10, 10);
    Ready();
    auto shadow = Shadow();
    RetireCountry(*shadow, 1, 1);
    EXPECT_EQ(Country(1)[rules::CountryRecord::kState], kCountryInPlay);
    EXPECT_FALSE(Troop(hq).IsUsed());
    EXPECT_EQ(Site(site)[rules::SiteRecord::kOwner], rules::kNeutralCountry);
    EXPECT_EQ(Site(site)[rules::SiteRecord::kKind], 1) << "a neutral capital is a large city";

    JudgeInputs in;
    in.journal = sim.get();
    in.tables = &tables;
    std::uint8_t winners = 0, losers = 0;
    EXPECT_EQ(JudgeCamps(*shadow, in, winners, losers), 1);
    EXPECT_EQ(winners, 0b0001);
    EXPECT_EQ(losers, 0b0010);
    EXPECT_EQ(Country(1)[rules::CountryRecord::kState], kCountryFallen);

    // A second retirement of a fallen country changes nothing.
    map.AddSite(2, 4, 12, 12);
    RetireCountry(*shadow, 1, 0);
    EXPECT_EQ(Country(1)[rules::CountryRecord::kState], kCountryFallen);
}

}  // namespace
}  // namespace zv::sim::steptest
