#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/core/Sjis.h"
#include "rules/records/MapCursors.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::rules {
namespace {

class MapCursorsTest : public ::testing::Test {
  protected:
    MapCursorsTest() { testing::RuleTableWriter::Basic().InstallInto(tables); }

    std::uint8_t* Record(TableId id, int n) {
        return tables.GetTableBase(id) + n * tables.GetTableRecordSize(id);
    }

    TableDirectory tables;
};

TEST_F(MapCursorsTest, HeaderResetWritesTheDefaultsAndKeepsTheUntouchedBytes) {
    std::uint8_t* h = Record(TableId::ScenarioHeader, 0);
    std::memset(h, 0xAB, 300);
    ScenarioHeaderCursor header(tables);
    header.Reset();
    for (int i = 0; i < 280; ++i) ASSERT_EQ(h[i], 0) << i;
    struct Field {
        std::size_t offset;
        std::uint8_t value;
    };
    const Field fields[] = {{280, 0},    {281, 0},    {282, 0}, {283, 0},  {284, 0},
                            {285, 0},    {286, 0},    {287, 0}, {288, 0},  {289, 0},
                            {290, 0xAB}, {291, 0xAB}, {292, 1}, {293, 0},  {294, 99},
                            {295, 24},   {296, 7},    {297, 0}, {298, 40}, {299, 0xAB}};
    for (const Field& f : fields) EXPECT_EQ(h[f.offset], f.value) << f.offset;
}

TEST_F(MapCursorsTest, HeaderAccessorsUseTheirOffsets) {
    ScenarioHeaderCursor header(tables);
    std::uint8_t* h = Record(TableId::ScenarioHeader, 0);
    header.SetSaveKind(0x0102);
    header.SetDay(3);
    header.SetDaytime(1);
    header.SetHour(4);
    header.SetMinute(5);
    header.SetWord286(0x0607);
    header.SetInt288(-2);
    header.SetOptionByte1(8);
    header.SetByte293(9);
    header.SetDayLimit(10);
    header.SetHourLimit(11);
    header.SetOptionWord(0x0C0D);
    header.SetDeployLimit(14);
    const std::uint8_t expected[] = {2,    1,    3, 1, 4,  5,  7,    6,    0xFE, 0xFF,
                                     0xFF, 0xFF, 8, 9, 10, 11, 0x0D, 0x0C, 14};
    EXPECT_EQ(std::memcmp(h + 280, expected, sizeof expected), 0);
    EXPECT_EQ(header.GetInt288(), -2);
    EXPECT_EQ(header.GetOptionWord(), 0x0C0D);

    // Texts are cut at the field without splitting a double-byte character.
    std::string title = "x";
    for (int i = 0; i < 12; ++i) title += core::Utf8ToSjis("あ");  // 25 bytes
    header.SetTitle(title);
    EXPECT_EQ(std::string(header.GetTitle()), title.substr(0, 23));
    EXPECT_EQ(h[23], 0);  // half a character would have stood here
    header.SetDescription(std::string(300, 'd'));
    EXPECT_EQ(std::string(header.GetDescription()), std::string(256, 'd'));
    EXPECT_EQ(h[280], 2);  // the save kind after the full description is intact
}

TEST_F(MapCursorsTest, AdvanceClockTurnsMinutesHoursAndDays) {
    struct Case {
        const char* name;
        std::uint8_t day, hour, minute, daytime;
        int result;
        std::uint8_t newDay, newHour, newMinute, newDaytime;
    };
    const Case cases[] = {
        {.name = "5:59 becomes day",
         .day = 0,
         .hour = 5,
         .minute = 59,
         .daytime = 0,
         .result = 0,
         .newDay = 0,
         .newHour = 6,
         .newMinute = 0,
         .newDaytime = 1},
        {.name = "17:59 becomes night",
         .day = 0,
         .hour = 17,
         .minute = 59,
         .daytime = 1,
         .result = 0,
         .newDay = 0,
         .newHour = 18,
         .newMinute = 0,
         .newDaytime = 0},
        {.name = "23:59 starts a day",
         .day = 3,
         .hour = 23,
         .minute = 59,
         .daytime = 0,
         .result = 1,
         .newDay = 4,
         .newHour = 0,
         .newMinute = 0,
         .newDaytime = 0},
        {.name = "12:30 leaves the flag alone",
         .day = 1,
         .hour = 12,
         .minute = 30,
         .daytime = 0,
         .result = 0,
         .newDay = 1,
         .newHour = 12,
         .newMinute = 31,
         .newDaytime = 0},
        {.name = "day 255 wraps",
         .day = 255,
         .hour = 23,
         .minute = 59,
         .daytime = 0,
         .result = 1,
         .newDay = 0,
         .newHour = 0,
         .newMinute = 0,
         .newDaytime = 0},
        {.name = "16:59 stays day",
         .day = 2,
         .hour = 16,
         .minute = 59,
         .daytime = 0,
         .result = 0,
         .newDay = 2,
         .newHour = 17,
         .newMinute = 0,
         .newDaytime = 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScenarioHeaderCursor header(tables);
        header.SetDay(c.day);
        header.SetHour(c.hour);
        header.SetMinute(c.minute);
        header.SetDaytime(c.daytime);
        EXPECT_EQ(header.AdvanceClock(), c.result);
        EXPECT_EQ(header.GetDay(), c.newDay);
        EXPECT_EQ(header.GetHour(), c.newHour);
        EXPECT_EQ(header.GetMinute(), c.newMinute);
        EXPECT_EQ(header.GetDaytime(), c.newDaytime);
    }
}

TEST_F(MapCursorsTest, DayLimitPassesOnlyAfterTheLimitDay) {
    ScenarioHeaderCursor header(tables);
    header.Reset();
    header.SetDay(99);
    EXPECT_EQ(header.IsDayLimitPassed(), 0);
    header.SetDay(100);
    EXPECT_EQ(header.IsDayLimitPassed(), 1);
}

TEST_F(MapCursorsTest, ResetCountriesWritesEveryDefault) {
    for (int i = 0; i < 4; ++i) std::memset(Record(TableId::Country, i), 0xCD, 86);
    CountryCursor country(tables);
    country.ResetCountries();
    const char* names[] = {"ＢＬＵＥ", "ＲＥＤ", "ＧＲＥＥＮ", "ＹＥＬＬＯＷ"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const std::uint8_t* r = Record(TableId::Country, i);
        const std::string name = core::Utf8ToSjis(names[i]);
        EXPECT_EQ(std::memcmp(r, name.data(), name.size()), 0);
        for (std::size_t k = name.size(); k < 24; ++k) EXPECT_EQ(r[k], 0) << k;
        EXPECT_EQ(r[24], 0);
        EXPECT_EQ(r[25], 0);
        EXPECT_EQ(r[26], 1 << i);
        for (int k = 27; k < 34; ++k) EXPECT_EQ(r[k], 0) << k;
        EXPECT_EQ(ReadS32(r, 34), 1000);
        EXPECT_EQ(ReadS32(r, 38), 1000);
        EXPECT_EQ(ReadS32(r, 42), 80);
        EXPECT_EQ(ReadS32(r, 46), 0);
        EXPECT_EQ(ReadS32(r, 50), 1000);
        for (int k = 54; k < 65; ++k) EXPECT_EQ(r[k], 0) << k;
        EXPECT_EQ(r[65], 0xCD);  // no field
        const std::uint8_t setting[] = {1, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0};
        EXPECT_EQ(std::memcmp(r + 66, setting, sizeof setting), 0);
        EXPECT_EQ(ReadU16(r, 82), 0xFFFF);
        EXPECT_EQ(r[84], 0xCD);
        EXPECT_EQ(r[85], 0xCD);
    }
}

TEST_F(MapCursorsTest, CountryFieldsAndTheirLimits) {
    CountryCursor country(tables);
    ASSERT_EQ(country.Select(2), 1);
    EXPECT_EQ(country.Select(4), 0);
    EXPECT_EQ(country.Select(-1), 0);
    EXPECT_EQ(country.GetCountryIndex(), 2);
    struct Case {
        std::int32_t set, stored;
    };
    for (const Case& c :
         {Case{1000000000, 999999999}, Case{999999999, 999999999}, Case{-5, -5}, Case{0, 0}}) {
        country.SetFunds(c.set);
        EXPECT_EQ(country.GetFunds(), c.stored);
        EXPECT_EQ(ReadS32(Record(TableId::Country, 2), 34), c.stored);
    }
    country.SetCounter84(254);
    country.IncrementCounter84();
    EXPECT_EQ(country.GetCounter84(), 255);
    country.IncrementCounter84();
    EXPECT_EQ(country.GetCounter84(), 255);
    country.SetSetting82(0x1234);
    country.SetOrder72(9, 7);
    country.SetSetting66(5, 6);
    country.SetFlag64(3);
    const std::uint8_t* r = Record(TableId::Country, 2);
    EXPECT_EQ(ReadU16(r, 82), 0x1234);
    EXPECT_EQ(r[81], 7);
    EXPECT_EQ(r[71], 6);
    EXPECT_EQ(r[64], 3);
    EXPECT_EQ(r[84], 255);
}

TEST_F(MapCursorsTest, AddSiteTakesTheFirstFreeRecordWithItsDurabilities) {
    SiteCursor sites(tables);
    sites.ClearAllSites();
    const std::uint16_t pos = MakeHexPosition(5, 9);
    EXPECT_EQ(sites.AddSite(0, 4, pos), 0);
    EXPECT_EQ(sites.GetCaptureDurability(), 250);
    EXPECT_EQ(sites.GetDestroyDurability(), 250);
    EXPECT_EQ(sites.AddSite(3, 4, pos), 1);
    EXPECT_EQ(sites.GetCaptureDurability(), 35);
    EXPECT_EQ(sites.GetDestroyDurability(), 35);
    EXPECT_EQ(sites.AddSite(2, 1, pos), 2);  // owned: the kind's own values
    EXPECT_EQ(sites.GetCaptureDurability(), 160);
    EXPECT_EQ(sites.GetDestroyDurability(), 150);
    EXPECT_EQ(sites.AddSite(1, 0, MakeHexPosition(63, 1)), 3);
    const std::uint8_t expected[8] = {1, 0, 63, 1, 180, 170, 1, 0};
    EXPECT_EQ(std::memcmp(Record(TableId::Site, 3), expected, 8), 0);
    EXPECT_EQ(sites.AddSite(6, 0, pos), 0xFFFF);   // no such kind
    EXPECT_EQ(Record(TableId::Site, 4)[0], 0xFF);  // and the record stays free

    sites.ClearSite(1);
    EXPECT_EQ(sites.AddSite(5, 2, pos), 1);
    std::uint16_t hex = 0;
    sites.GetHex(hex);
    EXPECT_EQ(hex, pos);
    for (int n = 4; n < 200; ++n) ASSERT_EQ(sites.AddSite(3, 2, pos), n);
    EXPECT_EQ(sites.AddSite(3, 2, pos), 0xFFFF);
}

TEST_F(MapCursorsTest, ClearAllSitesFreesEveryRecordButKeepsTheSearchPenalty) {
    std::memset(tables.GetTableBase(TableId::Site), 0x11, 1600);
    SiteCursor sites(tables);
    sites.ClearAllSites();
    const std::uint8_t expected[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x11};
    for (int n = 0; n < 200; ++n)
        ASSERT_EQ(std::memcmp(Record(TableId::Site, n), expected, 8), 0) << n;
}

TEST_F(MapCursorsTest, ChangeSiteNeedsAUsedSiteAndAKnownKind) {
    SiteCursor sites(tables);
    sites.ClearAllSites();
    const std::uint16_t pos = MakeHexPosition(1, 2);
    ASSERT_EQ(sites.AddSite(1, 0, pos), 0);
    EXPECT_EQ(sites.ChangeSite(0, 3, 4), 1);
    EXPECT_EQ(sites.GetKind(), 3);
    EXPECT_EQ(sites.GetOwner(), 4);
    EXPECT_EQ(sites.GetSupplied(), 0);
    EXPECT_EQ(sites.GetCaptureDurability(), 35);
    std::uint16_t hex = 0;
    sites.GetHex(hex);
    EXPECT_EQ(hex, pos);
    EXPECT_EQ(sites.ChangeSite(1, 3, 4), 0);    // free
    EXPECT_EQ(sites.ChangeSite(0, 9, 4), 0);    // no such kind
    EXPECT_EQ(sites.ChangeSite(200, 3, 4), 0);  // no such site
    EXPECT_EQ(sites.GetKind(), 3);
}

TEST_F(MapCursorsTest, HexSelectionByIndexAndPosition) {
    HexCursor hex(tables);
    struct Case {
        std::uint16_t position;
        int result;
        int index;
    };
    const Case cases[] = {
        {MakeHexPosition(63, 63), 1, 4095}, {MakeHexPosition(0, 64), 0, 4095},
        {MakeHexPosition(64, 0), 0, 4095},  {MakeHexPosition(5, 2), 1, 133},
        {MakeHexPosition(0, 0), 1, 0},      {0xFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex.SelectXY(c.position), c.result) << c.position;
        EXPECT_EQ(hex.GetHexIndex(), c.index) << c.position;
    }
    EXPECT_EQ(hex.Select(4096), 0);
    EXPECT_EQ(hex.Select(4095), 1);
}

TEST_F(MapCursorsTest, HexFieldsFillAndSnow) {
    std::memset(tables.GetTableBase(TableId::Hex), 0x77, 32768);
    HexCursor hex(tables);
    hex.FillAllHexes(5);
    const std::uint8_t expected[8] = {5, 0xFF, 0xFF, 6, 0, 0, 0x77, 0x77};
    for (int n = 0; n < 4096; ++n) ASSERT_EQ(std::memcmp(Record(TableId::Hex, n), expected, 8), 0);

    ASSERT_EQ(hex.Select(10), 1);
    hex.SetMarkBits(0x05);
    hex.SetMarkBits(0x02);
    hex.RemoveMarkBits(0x04);
    EXPECT_EQ(hex.GetMarkBits(), 0x03);
    hex.SetRoad(0x21);
    hex.SetRiver(0x12);
    hex.SetCountry(2);
    hex.SetByte4(9);
    const std::uint8_t set[6] = {5, 0x21, 0x12, 2, 9, 0x03};
    EXPECT_EQ(std::memcmp(Record(TableId::Hex, 10), set, 6), 0);
    hex.ClearRoad();
    hex.ClearRiver();
    hex.ClearCountry();
    hex.ClearMarkBits();
    const std::uint8_t cleared[6] = {5, 0xFF, 0xFF, 6, 9, 0};
    EXPECT_EQ(std::memcmp(Record(TableId::Hex, 10), cleared, 6), 0);

    const int plain[] = {0, 1, 2, 6, 7, 8, 9, 10};
    for (int i = 0; i < 8; ++i) {
        hex.SetLandKind(static_cast<std::uint8_t>(plain[i]));
        hex.FromAltLandKind();
        EXPECT_EQ(hex.GetLandKind(), 21 + i);
        hex.ToAltLandKind();
        EXPECT_EQ(hex.GetLandKind(), plain[i]);
    }
    for (int kind : {3, 5, 13, 20, 29}) {
        hex.SetLandKind(static_cast<std::uint8_t>(kind));
        hex.FromAltLandKind();
        EXPECT_EQ(hex.GetLandKind(), kind);
        hex.ToAltLandKind();
        EXPECT_EQ(hex.GetLandKind(), kind);
    }
}

TEST_F(MapCursorsTest, CursorsOnShadowTablesLeaveTheLiveOnesAlone) {
    HexCursor live(tables);
    live.FillAllHexes(0);
    HexCursor shadow(tables, ShadowOf(TableId::Hex));
    shadow.FillAllHexes(5);
    EXPECT_EQ(Record(TableId::Hex, 4095)[0], 0);
    EXPECT_EQ(Record(TableId::ShadowHex, 4095)[0], 5);

    SiteCursor shadowSites(tables, TableId::ShadowSite);
    shadowSites.ClearAllSites();
    EXPECT_EQ(shadowSites.AddSite(2, 0, 0), 0);
    EXPECT_EQ(Record(TableId::ShadowSite, 0)[0], 2);
    EXPECT_EQ(Record(TableId::Site, 0)[0], 0);

    CountryCursor shadowCountry(tables, TableId::ShadowCountry);
    ASSERT_EQ(shadowCountry.Select(3), 1);
    shadowCountry.SetFunds(5);
    EXPECT_EQ(ReadS32(Record(TableId::ShadowCountry, 3), 34), 5);
    EXPECT_EQ(ReadS32(Record(TableId::Country, 3), 34), 0);

    ScenarioHeaderCursor shadowHeader(tables, TableId::ShadowScenarioHeader);
    shadowHeader.SetDay(7);
    EXPECT_EQ(Record(TableId::ShadowScenarioHeader, 0)[282], 7);
    EXPECT_EQ(Record(TableId::ScenarioHeader, 0)[282], 0);
}

// A derived cursor can point every accessor at a record of its own.
class PrivateCopyHexCursor : public HexCursor {
  public:
    explicit PrivateCopyHexCursor(TableDirectory& tables)
        : LandKindCursor(tables), HexCursor(tables) {}
    std::uint8_t* GetRecord() override { return copy.data(); }
    HexRecord copy;
};

TEST_F(MapCursorsTest, AccessorsReachTheRecordThroughTheVirtualGetter) {
    PrivateCopyHexCursor hex(tables);
    hex.SetLandKind(9);
    hex.SetMarkBits(0x40);
    EXPECT_EQ(hex.copy.U8(HexRecord::kLandKind), 9);
    EXPECT_EQ(hex.copy.U8(HexRecord::kMarkBits), 0x40);
    EXPECT_EQ(Record(TableId::Hex, 0)[0], 0);
}

}  // namespace
}  // namespace zv::rules
