// The game-start record copied into the live header and country records, over the default map.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "panels/GameStartSettings.h"
#include "rules/context/GameContext.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Production.h"

namespace zv::panels {
namespace {

using G = rules::GameSettingsRecord;

int TroopsOf(rules::TableDirectory& tables, int country) {
    rules::TroopCursor t(tables);
    int n = 0;
    for (std::uint16_t i = 0; i < 160; ++i) {
        if (t.Select(i) && t.GetRecord()->IsUsed() && t.HasMembers() && t.GetCountry() == country) ++n;
    }
    return n;
}

class GameStartSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(game.Load(ZV_PROGRAM_DIR, "MAP00001.ddm", error)) << error;
        settings = game.Tables().GetTableBase(rules::TableId::GameSettings);
        std::memset(settings, 0, sizeof(G));
    }
    std::uint8_t* Entry(int c) { return settings + G::CountryEntry(c); }

    sim::HeadlessGame game;
    std::uint8_t* settings = nullptr;
};

TEST_F(GameStartSettingsTest, CopiesEachCountryAndKeepsTroopsOnlyForTheComputer) {
    rules::TableDirectory& tables = game.Tables();
    int before[4];
    for (int c = 0; c < 4; ++c) before[c] = TroopsOf(tables, c);
    ASSERT_GT(before[0], 0);
    ASSERT_GT(before[1], 0);

    // role, taking part, alliance, anthem, funds, troops kept, funds stored
    const struct {
        std::uint8_t role, state, mask, anthem;
        std::int32_t funds;
        bool keepsTroops;
        std::int32_t stored;
    } rows[4] = {
        {0, 1, 0x01, 3, 5000, false, 5000},                   // the user: corps come from a file
        {1, 1, 0x06, 7, 1'500'000'000, true, 999'999'999},    // the computer, funds held
        {2, 0, 0x04, 0, 0, false, 0},                          // not taking part
        {3, 1, 0x08, 10, -20, false, -20},                     // a spectator's slot
    };
    for (int c = 0; c < 4; ++c) {
        std::uint8_t* e = Entry(c);
        e[G::kEntryParticipation] = rows[c].role;
        e[G::kEntryState] = rows[c].state;
        e[G::kEntryAllianceMask] = rows[c].mask;
        e[G::kEntryMusic] = rows[c].anthem;
        rules::WriteS32(e, G::kEntryFunds, rows[c].funds);
    }
    rules::GameContext ctx(tables);
    CopyGameStartBlockToScenario(ctx);

    rules::CountryCursor country(tables);
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE("country " + std::to_string(c));
        ASSERT_TRUE(country.Select(c));
        EXPECT_EQ(country.GetParticipation(), rows[c].role);
        EXPECT_EQ(country.GetState(), rows[c].state);
        EXPECT_EQ(country.GetAllianceMask(), rows[c].mask);
        EXPECT_EQ(country.GetFlag64(), rows[c].anthem);
        EXPECT_EQ(country.GetFunds(), rows[c].stored);
        EXPECT_EQ(TroopsOf(tables, c), rows[c].keepsTroops ? before[c] : 0);
    }
}

TEST_F(GameStartSettingsTest, CopiesTheHeaderSwitchesThatProductionReadsBack) {
    for (int c = 0; c < 4; ++c) Entry(c)[G::kEntryParticipation] = 1;
    settings[G::kFogOfWar] = 0;
    settings[G::kDayLimit] = 12;
    settings[G::kHourLimit] = 5;
    settings[G::kDeployLimit] = 33;
    for (const std::uint16_t word : {std::uint16_t(0), std::uint16_t(2), std::uint16_t(4), std::uint16_t(6)}) {
        SCOPED_TRACE("switch word " + std::to_string(word));
        rules::WriteU16(settings, G::kRuleOptions, word);
        rules::GameContext ctx(game.Tables());
        CopyGameStartBlockToScenario(ctx);
        rules::ScenarioHeaderCursor header(game.Tables());
        EXPECT_EQ(header.GetOptionByte1(), 0);
        EXPECT_EQ(header.GetDayLimit(), 12);
        EXPECT_EQ(header.GetHourLimit(), 5);
        EXPECT_EQ(header.GetDeployLimit(), 33);
        EXPECT_EQ(header.GetOptionWord(), word);
        EXPECT_EQ(sim::IsProductionEnabled(ctx), (word & 2) != 0);
    }
}

}  // namespace
}  // namespace zv::panels
