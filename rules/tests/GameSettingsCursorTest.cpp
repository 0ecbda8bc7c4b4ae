#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rules/records/GameSettingsCursor.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::rules {
namespace {

class GameSettingsCursorTest : public ::testing::Test {
  protected:
    GameSettingsCursorTest() {
        testing::RuleTableWriter::Basic().InstallInto(tables);
        bytes = tables.GetTableBase(TableId::GameSettings);
    }

    std::uint32_t At32(std::size_t offset) const {
        return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | std::uint32_t(bytes[offset + 3]) << 24;
    }

    TableDirectory tables;
    std::uint8_t* bytes = nullptr;
};

// The set-up and the game start meet in these bytes, and saved settings keep them: each named
// field lands where the record's layout puts it, in little-endian order, and country c's entry
// is the one 272 bytes on from country c - 1's.
TEST_F(GameSettingsCursorTest, NamedFieldsLandOnTheRecordsBytes) {
    ASSERT_NE(bytes, nullptr);
    GameSettingsCursor s(tables);
    s.Clear();
    s.SetFogOfWar(1);
    s.SetDayLimit(99);
    s.SetHourLimit(24);
    s.SetDeployLimit(40);
    s.SetSinglePlay(0x01020304);
    s.SetDeployment(-2);
    s.SetRuleOptions(0x0506);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 99);
    EXPECT_EQ(bytes[2], 24);
    EXPECT_EQ(bytes[3], 40);
    EXPECT_EQ(At32(4), 0x01020304u);
    EXPECT_EQ(At32(8), 0xFFFFFFFEu);
    EXPECT_EQ(bytes[12], 0x06);
    EXPECT_EQ(bytes[13], 0x05);

    for (int c = 0; c < kCountryCount; ++c) {
        ASSERT_EQ(s.Select(c), 1);
        s.SetParticipation(static_cast<std::uint8_t>(10 + c));
        s.SetState(static_cast<std::uint8_t>(20 + c));
        s.SetAllianceMask(static_cast<std::uint8_t>(30 + c));
        s.SetMusic(static_cast<std::uint8_t>(40 + c));
        s.SetFunds(1000 + c);
        s.SetProductionLimit(80 - c);
    }
    for (int c = 0; c < kCountryCount; ++c) {
        const std::size_t e = 14 + 272 * static_cast<std::size_t>(c);
        EXPECT_EQ(bytes[e], 10 + c) << c;
        EXPECT_EQ(bytes[e + 1], 20 + c) << c;
        EXPECT_EQ(bytes[e + 2], 30 + c) << c;
        EXPECT_EQ(bytes[e + 3], 40 + c) << c;
        EXPECT_EQ(At32(e + 4), std::uint32_t(1000 + c)) << c;
        EXPECT_EQ(At32(e + 8), std::uint32_t(80 - c)) << c;
        ASSERT_EQ(s.Select(c), 1);
        EXPECT_EQ(s.GetFunds(), 1000 + c);
        EXPECT_EQ(s.GetProductionLimit(), 80 - c);
    }
    // Nothing reaches the tail the game does not read.
    for (std::size_t i = GameSettingsRecord::kTail; i < sizeof(GameSettingsRecord); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST_F(GameSettingsCursorTest, SelectOutsideTheFourCountriesFailsAndKeepsTheEntry) {
    GameSettingsCursor s(tables);
    ASSERT_EQ(s.Select(2), 1);
    EXPECT_EQ(s.Select(-1), 0);
    EXPECT_EQ(s.Select(kCountryCount), 0);
    EXPECT_EQ(s.GetCountryIndex(), 2);
}

// A longer name is cut one byte short of the field, so it stays terminated; a shorter or empty
// one leaves nothing of the name it replaced.
TEST_F(GameSettingsCursorTest, CorpsFileStaysTerminatedAndReplacesTheOldName) {
    std::memset(bytes, 0xCC, sizeof(GameSettingsRecord));
    GameSettingsCursor s(tables);
    ASSERT_EQ(s.Select(1), 1);
    const std::size_t field = 14 + 272 + 12;
    s.SetCorpsFile(std::string(300, 'A'));
    EXPECT_EQ(s.GetCorpsFile(), std::string(259, 'A'));
    EXPECT_EQ(bytes[field + 259], 0);
    s.SetCorpsFile("B.CRP");
    EXPECT_EQ(s.GetCorpsFile(), "B.CRP");
    for (std::size_t i = 5; i < 260; ++i) ASSERT_EQ(bytes[field + i], 0) << i;
    s.SetCorpsFile({});
    EXPECT_EQ(s.GetCorpsFile(), "");
    EXPECT_EQ(bytes[field], 0);
    // The neighbouring entries are untouched.
    EXPECT_EQ(bytes[field - 1], 0xCC);
    EXPECT_EQ(bytes[field + 260], 0xCC);
}

}  // namespace
}  // namespace zv::rules
