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

// Fields a case leaves out are zero: no sites, losses, funds or fall commands, the day limit not
// passed, not single play, player country 0.
struct JudgeCase {
    const char* name = "";
    std::uint8_t state[4] = {};
    std::uint8_t participation[4] = {};
    std::uint8_t alliance[4] = {};  // own bit added by the test
    std::uint8_t hq = 0;            // countries with a headquarters troop
    bool dayLimitPassed = false;
    bool singlePlay = false;
    std::uint8_t player = 0;
    std::vector<SiteSpec> sites = {};
    int losses[4] = {};
    std::int32_t funds[4] = {};
    // Expected.
    int result = 0;
    std::uint8_t winners = 0;
    std::uint8_t losers = 0;
    std::vector<int> fallCommands = {};
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
    {.name = "LastHqLostAndTheRestAllied",
     .state = {1, 1, 1, 0},
     .participation = {P, P, P, X},
     .alliance = {0, 4, 2, 0},
     .hq = 0b0110,
     .singlePlay = true,
     .player = 1,
     .result = 1,
     .winners = 0b0110,
     .losers = 0b0001,
     .fallCommands = {0}},
    {.name = "SurvivorsNotAlliedWarGoesOn",
     .state = {1, 1, 1, 0},
     .participation = {P, P, P, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .singlePlay = true,
     .result = 0,
     .winners = 0,
     .losers = 0,
     .fallCommands = {2}},
    {.name = "NobodyFallsNothingHappens",
     .state = {1, 1, 0, 0},
     .participation = {P, C, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .singlePlay = true,
     .result = 0,
     .winners = 0,
     .losers = 0},
    {.name = "ComputerNotAlliedWithComputerDoesNotStopTheCamp",
     .state = {1, 1, 1, 1},
     .participation = {P, C, C, P},
     .alliance = {0b0110, 0b0001, 0b0001, 0},
     .hq = 0b0111,
     .singlePlay = true,
     .result = 1,
     .winners = 0b0111,
     .losers = 0b1000,
     .fallCommands = {3}},
    {.name = "ComputerOnlyEnemyCampsDoNotWinTogether",
     .state = {1, 1, 1, 0},
     .participation = {C, C, C, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0110,
     .singlePlay = true,
     .player = 6,
     .result = 0,
     .winners = 0,
     .losers = 0,
     .fallCommands = {0}},
    {.name = "ComputerOnlyAlliedSurvivorsWin",
     .state = {1, 1, 1, 0},
     .participation = {C, C, C, X},
     .alliance = {0, 4, 2, 0},
     .hq = 0b0110,
     .singlePlay = true,
     .player = 6,
     .result = 1,
     .winners = 0b0110,
     .losers = 0b0001,
     .fallCommands = {0}},
    {.name = "CountryOutWithoutNoParticipationBlocksTheJudgement",
     .state = {1, 1, 0, 0},
     .participation = {P, P, P, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0001,
     .singlePlay = true,
     .result = 1,
     .winners = 0,
     .losers = 0},
    {.name = "EarlierFallenCountryCountsAsLoser",
     .state = {1, 1, 3, 0},
     .participation = {P, P, P, X},
     .alliance = {2, 1, 0, 0},
     .hq = 0b0010,
     .singlePlay = true,
     .result = 1,
     .winners = 0b0010,
     .losers = 0b0101,
     .fallCommands = {0}},
    {.name = "DayLimitSinglePlayPlayerLoses",
     .state = {1, 1, 0, 0},
     .participation = {P, C, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .dayLimitPassed = true,
     .singlePlay = true,
     .player = 1,
     .result = 1,
     .winners = 0,
     .losers = 0b0010},
    {.name = "DayLimitWithoutLocalCountryComparesCamps",
     .state = {1, 1, 0, 0},
     .participation = {C, C, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .dayLimitPassed = true,
     .singlePlay = true,
     .player = 6,
     .sites = {{0, 0}},
     .result = 1,
     .winners = 0b0001,
     .losers = 0b0010},
    {.name = "DayLimitCapitalHolderWins",
     .state = {1, 1, 1, 0},
     .participation = {P, P, P, X},
     .alliance = {4, 0, 1, 0},
     .hq = 0b0111,
     .dayLimitPassed = true,
     .sites = {{0, 1}},
     .result = 1,
     .winners = 0b0010,
     .losers = 0b0101},
    {.name = "DayLimitAllHoldCapitalsSitesDecide",
     .state = {1, 1, 0, 0},
     .participation = {P, P, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .dayLimitPassed = true,
     .sites = {{0, 0}, {0, 1}, {1, 1}, {3, 0}, {3, 0}},
     .result = 1,
     .winners = 0b0010,
     .losers = 0b0001},
    {.name = "EqualSitesLossesDecide",
     .state = {1, 1, 0, 0},
     .participation = {P, P, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .dayLimitPassed = true,
     .sites = {{2, 0}, {4, 1}},
     .losses = {3, 1, 0, 0},
     .result = 1,
     .winners = 0b0010,
     .losers = 0b0001},
    {.name = "EqualLossesFundsDecide",
     .state = {1, 1, 0, 0},
     .participation = {P, P, X, X},
     .alliance = {0, 0, 0, 0},
     .hq = 0b0011,
     .dayLimitPassed = true,
     .losses = {2, 2, 0, 0},
     .funds = {5000, 4000, 0, 0},
     .result = 1,
     .winners = 0b0001,
     .losers = 0b0010},
    {.name = "EverythingEqualEveryCampLoses",
     .state = {1, 1, 1, 0},
     .participation = {P, P, P, X},
     .alliance = {0, 4, 2, 0},
     .hq = 0b0111,
     .dayLimitPassed = true,
     .funds = {3000, 1500, 1500, 0},
     .result = 1,
     .winners = 0,
     .losers = 0b0111},
    {.name = "CampFundsAddUpWithoutOverflow",
     .state = {1, 1, 1, 1},
     .participation = {P, P, P, P},
     .alliance = {0b0110, 0b0101, 0b0011, 0},
     .hq = 0b1111,
     .dayLimitPassed = true,
     .funds = {999999999, 999999999, 999999999, 1000},
     .result = 1,
     .winners = 0b0111,
     .losers = 0b1000},
    {.name = "FallenAllyLeavesItsCamp",
     .state = {3, 1, 1, 0},
     .participation = {P, P, P, X},
     .alliance = {2, 1, 0, 0},
     .hq = 0b0110,
     .dayLimitPassed = true,
     .player = 1,
     .sites = {{0, 1}, {0, 2}, {1, 1}},
     .result = 1,
     .winners = 0b0010,
     .losers = 0b0100},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, JudgementTest, ::testing::ValuesIn(kCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

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
