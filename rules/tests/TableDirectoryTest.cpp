#include "rules/TableDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zv::rules {
namespace {

struct TableCase {
    TableId id;
    std::uint32_t recordSize;
    std::uint16_t count;
    std::uint32_t total;
};

// The directory before loading, as the game lays it out.
constexpr TableCase kTables[] = {
    {TableId::Site, 8, 200, 1600},
    {TableId::Troop, 418, 255, 106590},
    {TableId::Hex, 8, 4096, 32768},
    {TableId::HexInfo, 36, 4096, 147456},
    {TableId::Country, 86, 4, 344},
    {TableId::ScenarioHeader, 300, 1, 300},
    {TableId::Force, 67174, 1, 335870},
    {TableId::GameTable15, 64, 1, 64},
    {TableId::GameTable16, 228, 64, 14592},
    {TableId::GameSettings, 1646, 1, 1646},
    {TableId::ShadowSite, 8, 200, 1600},
    {TableId::ShadowTroop, 418, 255, 106590},
    {TableId::ShadowHex, 8, 4096, 32768},
    {TableId::ShadowHexInfo, 36, 4096, 147456},
    {TableId::ShadowCountry, 86, 4, 344},
    {TableId::ShadowScenarioHeader, 300, 1, 300},
    {TableId::ShadowForce, 67174, 1, 335870},
    {TableId::CountryStats, 44, 4, 176},
    {TableId::News, 1008, 500, 504000},
    {TableId::ProKind, 28, 32, 896},
    {TableId::Table28, 1, 0, 0},
};

TEST(TableDirectory, GameStateTablesHaveTheirFixedSizesAndStartZeroed) {
    TableDirectory tables;
    std::uint32_t gameState = 0;
    for (const TableCase& c : kTables) {
        SCOPED_TRACE(ToIndex(c.id));
        EXPECT_EQ(tables.GetTableRecordSize(c.id), c.recordSize & 0xFFFF);
        EXPECT_EQ(tables.GetEntry(c.id).recordSize, c.recordSize);
        EXPECT_EQ(tables.GetTableRecordCount(c.id), c.count);
        EXPECT_EQ(tables.GetTableTotalBytes(c.id), c.total);
        ASSERT_NE(tables.GetTableBase(c.id), nullptr);
        const std::uint8_t* base = tables.GetTableBase(c.id);
        EXPECT_TRUE(std::all_of(base, base + c.total, [](std::uint8_t b) { return b == 0; }));
        EXPECT_STREQ(tables.GetEntry(c.id).id, "0000000");
        if (ToIndex(c.id) >= 8 && ToIndex(c.id) <= 26) gameState += c.total;
    }
    EXPECT_EQ(gameState, kGameStateBytes);
    EXPECT_EQ(tables.IsLoaded(), 0);
}

TEST(TableDirectory, ShadowTablesMirrorTheLiveOnes) {
    TableDirectory tables;
    for (int live = 8; live <= 14; ++live) {
        const TableId id = static_cast<TableId>(live);
        EXPECT_EQ(ToIndex(ShadowOf(id)), live + 10);
        EXPECT_EQ(tables.GetTableTotalBytes(id), tables.GetTableTotalBytes(ShadowOf(id)));
        EXPECT_TRUE(IsShadowTable(ShadowOf(id)));
        EXPECT_FALSE(IsShadowTable(id));
    }
}

}  // namespace
}  // namespace zv::rules
