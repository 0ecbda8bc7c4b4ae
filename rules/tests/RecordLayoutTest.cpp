#include <gtest/gtest.h>

#include <cstring>

#include "rules/files/GameFileHeader.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {
namespace {

TEST(RecordLayoutTest, NewsRecordFieldsSitAtTheirOffsets) {
    NewsRecord r = NewsRecord::Zeroed();
    r.SetKind(kNewsWasAttacked);
    r.SetSubIndex(13);
    r.SetTimeHours(0x0102);
    r.SetMinute(59);
    r.SetHexXY(7, 9);
    r.SetValue(0xBEEF);
    r.SetCountry(2);
    r.SetFirstTroop(0x0A0B);
    r.SetFirstIcon(kNewsUnidentified);
    r.SetSecondTroop(0x0C0D);
    r.SetSecondIcon(0x1234);
    r.SetFirstUnits(6, 2);
    r.SetSecondUnits(5, 0);
    std::uint8_t fight[kNewsFightRecordSize];
    for (std::size_t i = 0; i < sizeof fight; ++i) fight[i] = static_cast<std::uint8_t>(i);
    r.SetFightRecord(fight);
    const std::uint8_t* b = r.data();
    struct Case {
        std::size_t offset;
        std::uint8_t value;
    };
    const Case cases[] = {
        {0, 4},     {1, 13},    {2, 0x02},  {3, 0x01},         {4, 59},    {5, 7},
        {6, 9},     {7, 0},     {8, 0xEF},  {9, 0xBE},         {14, 2},    {15, 0},
        {16, 0x0B}, {17, 0x0A}, {18, 0xFF}, {19, 0xFF},        {20, 0x0D}, {21, 0x0C},
        {22, 0x34}, {23, 0x12}, {24, 6},    {25, 2},           {26, 0},    {70, 5},
        {71, 0},    {296, 0},   {297, 1},   {959, 663 & 0xFF}, {960, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(b[c.offset], c.value) << c.offset;
    EXPECT_FALSE(r.IsEmptySlot());
    r.SetKind(kNewsEmptySlot);
    EXPECT_TRUE(r.IsEmptySlot());
}

TEST(RecordLayoutTest, NewsNameCachesHoldTwentyFourBytesWithoutTerminator) {
    NewsRecord r = NewsRecord::Zeroed();
    EXPECT_FALSE(r.HasCachedName(0));
    const char full[] = "ABCDEFGHIJKLMNOPQRSTUVWX";  // exactly 24
    r.SetCachedName(0, full);
    r.SetCachedName(1, "short");
    char out[25];
    r.GetCachedName(0, out);
    EXPECT_STREQ(out, full);  // not run together with the second cache
    r.GetCachedName(1, out);
    EXPECT_STREQ(out, "short");
    EXPECT_EQ(r.data()[960 + 23], 'X');
    EXPECT_EQ(r.data()[984], 's');
    EXPECT_EQ(r.data()[984 + 5], 0);
    r.SetCachedName(1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // cut at 24
    r.GetCachedName(1, out);
    EXPECT_STREQ(out, full);
}

TEST(RecordLayoutTest, CountryStatsCountersByAltitudeClass) {
    CountryTable25Record r{};
    r.SetEndHours(0x0304);
    r.SetFundsAtEnd(-1);
    r.SetTotal(0x01020304);
    r.SetTroopsAtStart(1, 11);
    r.SetTroopsProduced(1, 21);
    r.SetTroopsProduced(5, 25);
    r.SetTroopsAtEnd(5, 35);
    r.SetTroopsLost(1, 41);
    r.SetTroopsLost(5, 45);
    const std::uint8_t* b = r.data();
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[1], 0x03);
    EXPECT_EQ(b[16], 0xFF);
    EXPECT_EQ(b[19], 0xFF);
    EXPECT_EQ(b[20], 0x04);
    EXPECT_EQ(b[23], 0x01);
    EXPECT_EQ(b[24], 11);
    EXPECT_EQ(b[29], 21);  // produced class k at 28 + k
    EXPECT_EQ(b[33], 25);
    EXPECT_EQ(b[38], 35);
    EXPECT_EQ(b[39], 41);  // lost class k at 38 + k
    EXPECT_EQ(b[43], 45);
}

TEST(RecordLayoutTest, ForceTroopsAndFileHeader) {
    static ForceRecord force{};
    force.Troop(159).SetCountry(3);
    EXPECT_EQ(force.data()[294 + 159 * 418 + 25], 3);
    EXPECT_TRUE(IsFreeForceTroop(force.Troop(1)) == false);
    force.Troop(1).SetSlotByte(0xFF);
    force.Troop(1).SetCountry(0xFF);
    EXPECT_TRUE(IsFreeForceTroop(force.Troop(1)));

    const GameFileHeader h = GameFileHeader::Make(kCorpsFileKind, 67174);
    const std::uint8_t expected[16] = {105, 0, 1, 0, 0x66, 0x06, 0x01, 0};
    EXPECT_EQ(std::memcmp(h.data(), expected, 16), 0);
}

TEST(RecordLayoutTest, TroopMemberAndFormationViewsSitInsideTheRecord) {
    static TroopRecord t{};
    t.Member(5).SetFuel(0x0203);
    t.Member(0).SetUnit(-1);
    t.Formation(3).SetSetting(4, 77);
    t.Formation(2).SetNameBytes("Type-C");
    EXPECT_EQ(t.data()[34 + 150 + 4], 0x03);
    EXPECT_EQ(t.data()[34 + 150 + 5], 0x02);
    EXPECT_EQ(t.data()[34], 0xFF);
    EXPECT_EQ(t.data()[35], 0xFF);
    EXPECT_EQ(t.data()[214 + 84 + 26], 77);
    EXPECT_EQ(std::memcmp(t.data() + 214 + 56, "Type-C\0\0\0\0\0\0\0\0\0\0", 16), 0);
}

}  // namespace
}  // namespace zv::rules
