#include <gtest/gtest.h>

#include <cstring>

#include "rules/countries/CountryStatistics.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::rules {
namespace {

using testing::MapBuilder;
using testing::RuleTableWriter;

constexpr int kInfantry = 0;  // altitude class 3
constexpr int kGunship = 1;   // altitude class 2
constexpr int kBoat = 2;      // altitude class 4

class CountryStatisticsTest : public ::testing::Test {
  protected:
    CountryStatisticsTest() : map((RuleTableWriter::Basic().InstallInto(tables), tables)) {}

    const std::uint8_t* Stats(int country) {
        return tables.GetTableBase(TableId::CountryStats) + 44 * country;
    }
    void SetCountryState(std::uint8_t country, std::uint8_t state) {
        CountryCursor cursor(tables);
        cursor.Select(country);
        cursor.SetState(state);
    }

    TableDirectory tables;
    MapBuilder map;
};

TEST_F(CountryStatisticsTest, EndStateRecordsClockSitesFundsAndTroopsAtTheirOffsets) {
    map.Clock(2, 13, 45).Country(1, 123456);
    map.AddSite(0, 1, 1, 1);
    map.AddSite(2, 1, 2, 2);
    map.AddSite(2, 1, 3, 3);
    map.AddSite(1, 1, 4, 4);  // a large city starts supplied
    map.AddSite(2, 0, 5, 5);  // another owner
    map.AddTroop(1, 1, 1, {kInfantry});
    map.AddTroop(1, 1, 2, {kInfantry});
    map.AddTroop(1, 1, 3, {kBoat});
    map.AddTroop(0, 1, 4, {kGunship});
    std::memset(tables.GetTableBase(TableId::CountryStats) + 44, 0xEE, 44);

    EXPECT_EQ(RecordCountryEndState(tables, 1), 1);
    const std::uint8_t* s = Stats(1);
    EXPECT_EQ(ReadU16(s, 0), 2 * 24 + 13);
    EXPECT_EQ(s[2], 45);
    EXPECT_EQ(s[3], 0xEE);  // the outcome is the frame's business
    const std::uint8_t sites[6] = {1, 1, 2, 0, 0, 0};
    const std::uint8_t supplied[6] = {0, 1, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(s + 4, sites, 6), 0);
    EXPECT_EQ(std::memcmp(s + 10, supplied, 6), 0);
    EXPECT_EQ(ReadS32(s, 16), 123456);
    const std::uint8_t atEnd[5] = {0, 0, 2, 1, 0};
    EXPECT_EQ(std::memcmp(s + 34, atEnd, 5), 0);
    EXPECT_EQ(s[20], 0xEE);  // the running total stays

    // Outside the four countries nothing is written (table 25 holds four records).
    const std::uint64_t before = tables.HashTables({TableId::CountryStats});
    EXPECT_EQ(RecordCountryEndState(tables, 4), 0);
    EXPECT_EQ(tables.HashTables({TableId::CountryStats}), before);
}

TEST_F(CountryStatisticsTest, LossesCountUnderTheAltitudeClassOnceTheGameRuns) {
    const std::uint16_t gunship = map.AddTroop(0, 1, 1, {kGunship});
    const std::uint16_t boat = map.AddTroop(0, 1, 2, {kBoat});
    struct Case {
        const char* name;
        std::uint8_t day, hour, minute;
        std::uint8_t state;
        std::uint16_t troop;
        int lostOffset;  // -1: nothing counted
    };
    const Case cases[] = {
        {.name = "before the first step",
         .day = 0,
         .hour = 0,
         .minute = 0,
         .state = 1,
         .troop = gunship,
         .lostOffset = -1},
        {.name = "an hour in, minute 0",
         .day = 0,
         .hour = 5,
         .minute = 0,
         .state = 1,
         .troop = gunship,
         .lostOffset = -1},
        {.name = "first minute",
         .day = 0,
         .hour = 0,
         .minute = 1,
         .state = 1,
         .troop = gunship,
         .lostOffset = 39 + 1},
        {.name = "day 1",
         .day = 1,
         .hour = 0,
         .minute = 0,
         .state = 1,
         .troop = boat,
         .lostOffset = 39 + 3},
        {.name = "fallen country",
         .day = 2,
         .hour = 3,
         .minute = 4,
         .state = 3,
         .troop = boat,
         .lostOffset = -1},
        {.name = "no such troop",
         .day = 2,
         .hour = 3,
         .minute = 4,
         .state = 1,
         .troop = 300,
         .lostOffset = -1},
    };
    for (const Case& c : cases) {
        std::memset(tables.GetTableBase(TableId::CountryStats), 0, 176);
        map.Clock(c.day, c.hour, c.minute);
        SetCountryState(0, c.state);
        CountTroopLost(tables, 0, c.troop);
        for (int i = 0; i < 176; ++i) {
            const int expected = (i == c.lostOffset) ? 1 : 0;
            ASSERT_EQ(tables.GetTableBase(TableId::CountryStats)[i], expected)
                << c.name << " byte " << i;
        }
    }
}

TEST_F(CountryStatisticsTest, CountersAreBytesThatWrap) {
    const std::uint16_t t = map.AddTroop(2, 1, 1, {kInfantry});
    std::uint8_t* s = tables.GetTableBase(TableId::CountryStats) + 2 * 44;
    s[29 + 2] = 254;
    CountTroopByKind(tables, 2, t);
    EXPECT_EQ(s[29 + 2], 255);
    CountTroopByKind(tables, 2, t);
    EXPECT_EQ(s[29 + 2], 0);
    EXPECT_EQ(s[29 + 1], 0);
    EXPECT_EQ(s[29 + 3], 0);
}

TEST_F(CountryStatisticsTest, TroopsWithoutAClassCountNowhere) {
    // A troop whose class is 0 would land in another counter; it is not counted at all.
    TroopCursor cursor(tables);
    cursor.Select(5);
    cursor.ResetCurrentTroop();
    cursor.SetSlotByte(0);
    cursor.SetCountry(0);
    map.Clock(1, 0, 0);
    const std::uint64_t before = tables.HashTables({TableId::CountryStats});
    CountTroopByKind(tables, 0, 5);
    CountTroopLost(tables, 0, 5);
    CountTroopByKind(tables, 7, 5);
    EXPECT_EQ(tables.HashTables({TableId::CountryStats}), before);
}

TEST_F(CountryStatisticsTest, TotalsAndStartCounts) {
    AddCountryStatTotal(tables, 3, 500);
    AddCountryStatTotal(tables, 3, -200);
    EXPECT_EQ(ReadS32(Stats(3), 20), 300);

    map.AddTroop(1, 1, 1, {kInfantry});
    map.AddTroop(1, 1, 2, {kGunship});
    map.AddTroop(3, 1, 3, {kBoat});
    std::memset(tables.GetTableBase(TableId::CountryStats), 0x77, 44);
    InitCountryStatistics(tables);
    const std::uint8_t first[44] = {};
    EXPECT_EQ(std::memcmp(Stats(0), first, 44), 0);
    const std::uint8_t red[5] = {0, 1, 1, 0, 0};
    EXPECT_EQ(std::memcmp(Stats(1) + 24, red, 5), 0);
    EXPECT_EQ(Stats(3)[24 + 3], 1);
    EXPECT_EQ(ReadS32(Stats(3), 20), 300);
}

}  // namespace
}  // namespace zv::rules
