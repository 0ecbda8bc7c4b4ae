#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/DatFile.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/testing/TempFolder.h"

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

// Every entry of the directory, so a test can see that a failed load changed nothing.
struct Snapshot {
    std::vector<TableDirectoryEntry> entries;
    std::vector<std::vector<std::uint8_t>> bytes;

    explicit Snapshot(const TableDirectory& tables) {
        for (int i = 0; i < kTableCount; ++i) {
            const TableDirectoryEntry& e = tables.GetEntry(static_cast<TableId>(i));
            entries.push_back(e);
            bytes.emplace_back(e.base, e.base + e.totalBytes);
        }
    }
    void ExpectSame(const TableDirectory& tables) const {
        for (int i = 0; i < kTableCount; ++i) {
            SCOPED_TRACE(i);
            const TableDirectoryEntry& e = tables.GetEntry(static_cast<TableId>(i));
            EXPECT_EQ(e.base, entries[i].base);
            EXPECT_EQ(e.recordCount, entries[i].recordCount);
            EXPECT_EQ(e.totalBytes, entries[i].totalBytes);
            EXPECT_EQ(std::memcmp(e.id, entries[i].id, 8), 0);
            EXPECT_EQ(std::vector<std::uint8_t>(e.base, e.base + e.totalBytes), bytes[i]);
        }
    }
};

TEST(TableDirectoryLoad, ReadsAllNineRuleTablesFromTheirFiles) {
    testing::TempFolder folder;
    testing::RuleTableWriter writer = testing::RuleTableWriter::Basic();
    writer.proKinds.resize(40);  // the file's count wins over the 32 of the empty directory
    ASSERT_TRUE(writer.WriteAll(folder.Path()));

    TableDirectory tables;
    ASSERT_EQ(tables.LoadAllTables(folder.Path()), 1) << tables.LastError();
    EXPECT_EQ(tables.IsLoaded(), 1);
    for (TableId id : testing::kRuleTables) {
        SCOPED_TRACE(ToIndex(id));
        const std::vector<std::uint8_t> body = writer.Body(id);
        EXPECT_EQ(tables.GetTableRecordCount(id), writer.Count(id));
        EXPECT_EQ(tables.GetTableTotalBytes(id), body.size());
        EXPECT_EQ(std::memcmp(tables.GetTableBase(id), body.data(), body.size()), 0);
        EXPECT_STREQ(tables.GetEntry(id).id, "TEST001");
    }
    EXPECT_EQ(tables.GetTableRecordCount(TableId::LandKind), 29);
    EXPECT_EQ(tables.GetTableRecordCount(TableId::ProKind), 40);
    EXPECT_EQ(tables.GetTableTotalBytes(TableId::ProKind), 40u * 28u);
    // Tables without a file keep their stamp and stay zero.
    EXPECT_STREQ(tables.GetEntry(TableId::Troop).id, "0000000");
    EXPECT_EQ(tables.GetTableRecordCount(TableId::Force), 1);
    EXPECT_EQ(tables.GetTableRecordCount(TableId::Table28), 0);
    EXPECT_NE(tables.GetTableBase(TableId::Table28), nullptr);
}

TEST(TableDirectoryLoad, FindsFilesWhateverTheCaseOfTheirNames) {
    testing::TempFolder folder;
    const testing::RuleTableWriter writer = testing::RuleTableWriter::Basic();
    ASSERT_TRUE(writer.WriteAll(folder.Path()));
    std::filesystem::rename(folder.File("DefencDk.dat"), folder.File("DEFENCDK.DAT"));
    TableDirectory tables;
    EXPECT_EQ(tables.LoadAllTables(folder.Path()), 1) << tables.LastError();
}

struct BadFileCase {
    const char* name;
    const char* file;  // the file the fault is put into
    std::function<void(std::vector<std::uint8_t>&)> spoil;
    const char* errorText;  // part of the error message
};

TEST(TableDirectoryLoad, RefusesBadFilesAndChangesNothing) {
    const BadFileCase cases[] = {
        {"missing file", "weaponkd.dat", nullptr, "cannot open"},
        {"shorter than the header", "unitinfo.dat",
         [](std::vector<std::uint8_t>& f) { f.resize(10); }, "header"},
        {"body shorter than the header says", "landkind.dat",
         [](std::vector<std::uint8_t>& f) { f.erase(f.end() - 5, f.end()); }, "body holds"},
        {"body longer than the header says", "sitekind.dat",
         [](std::vector<std::uint8_t>& f) { f.push_back(0); }, "body holds"},
        {"count larger than the body", "mvcostkd.dat",
         [](std::vector<std::uint8_t>& f) { WriteU16(f.data(), 2, ReadU16(f.data(), 2) + 1); },
         "records of 176 bytes"},
        {"body size not count x record size", "prokind.dat",
         [](std::vector<std::uint8_t>& f) {
             WriteU32(f.data(), 4, ReadU32(f.data(), 4) + 1);
             f.push_back(0);
         },
         "records of 28 bytes"},
        {"empty file", "ActionKd.dat", [](std::vector<std::uint8_t>& f) { f.clear(); }, "header"},
    };
    for (const BadFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder folder;
        ASSERT_TRUE(testing::RuleTableWriter::Basic().WriteAll(folder.Path()));

        // A directory that already holds other tables must keep them.
        TableDirectory tables;
        testing::RuleTableWriter previous;
        previous.AddProKind("old");
        previous.InstallInto(tables);
        tables.GetTableBase(TableId::Troop)[7] = 0x5A;
        const Snapshot before(tables);

        if (c.spoil) {
            std::vector<std::uint8_t> bytes = folder.Get(c.file);
            c.spoil(bytes);
            folder.Put(c.file, bytes);
        } else {
            std::filesystem::remove(folder.File(c.file));
        }
        EXPECT_EQ(tables.LoadAllTables(folder.Path()), 0);
        EXPECT_EQ(tables.IsLoaded(), 0);
        EXPECT_NE(tables.LastError().find(c.file), std::string::npos) << tables.LastError();
        EXPECT_NE(tables.LastError().find(c.errorText), std::string::npos) << tables.LastError();
        before.ExpectSame(tables);
    }
}

TEST(TableDirectoryLoad, AnEmptyTableLoadsAndItsBaseStillPointsAtZeroBytes) {
    testing::TempFolder folder;
    testing::RuleTableWriter writer = testing::RuleTableWriter::Basic();
    writer.actionKinds.clear();
    ASSERT_TRUE(writer.WriteAll(folder.Path()));
    TableDirectory tables;
    ASSERT_EQ(tables.LoadAllTables(folder.Path()), 1) << tables.LastError();
    EXPECT_EQ(tables.GetTableRecordCount(TableId::ActionKd), 0);
    ASSERT_NE(tables.GetTableBase(TableId::ActionKd), nullptr);
    EXPECT_EQ(tables.GetTableBase(TableId::ActionKd)[11], 0);
}

TEST(DatFile, HeaderProbeAndBodyReadKeepTheirContract) {
    testing::TempFolder folder;
    const char id[8] = {'V', '1', '.', '2', '0', 'a', 'b', 'c'};
    std::string error;
    ASSERT_TRUE(
        WriteDatFile(folder.File("x.dat"), 104, 3, std::vector<std::uint8_t>(108, 7), id, error));
    const std::vector<std::uint8_t> file = folder.Get("x.dat");
    ASSERT_EQ(file.size(), 16u + 108u);
    EXPECT_EQ(ReadU16(file.data(), 0), 104);
    EXPECT_EQ(ReadU16(file.data(), 2), 3);
    EXPECT_EQ(ReadU32(file.data(), 4), 108u);
    EXPECT_EQ(std::memcmp(file.data() + 8, id, 8), 0);

    std::uint16_t count = 0;
    std::uint32_t total = 0;
    char gotId[8] = {};
    EXPECT_EQ(ReadDatHeader(folder.File("x.dat"), count, total, gotId), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(total, 108u);
    EXPECT_EQ(std::memcmp(gotId, id, 8), 0);
    std::vector<std::uint8_t> body(108);
    EXPECT_EQ(ReadDatBody(folder.File("x.dat"), body.data(), 108), 1);
    EXPECT_EQ(body, std::vector<std::uint8_t>(108, 7));

    char untouched[8] = {'u', 'u', 'u', 'u', 'u', 'u', 'u', 'u'};
    EXPECT_EQ(ReadDatHeader(folder.File("none.dat"), count, total, untouched), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(untouched[0], 'u');
    EXPECT_EQ(ReadDatBody(folder.File("none.dat"), body.data(), 108), 0);
}

TEST(TableDirectory, HashFollowsEveryByteOfTheLiveTablesOnly) {
    TableDirectory tables;
    const std::uint64_t empty = tables.HashLiveTables();
    tables.GetTableBase(TableId::ShadowTroop)[100] = 1;
    tables.GetTableBase(TableId::News)[5] = 1;
    EXPECT_EQ(tables.HashLiveTables(), empty);
    for (TableId id :
         {TableId::Site, TableId::Troop, TableId::Hex, TableId::HexInfo, TableId::Country,
          TableId::ScenarioHeader, TableId::Force, TableId::GameSettings, TableId::CountryStats}) {
        SCOPED_TRACE(ToIndex(id));
        std::uint8_t& last = tables.GetTableBase(id)[tables.GetTableTotalBytes(id) - 1];
        last ^= 0x80;
        EXPECT_NE(tables.HashLiveTables(), empty);
        last ^= 0x80;
        EXPECT_EQ(tables.HashLiveTables(), empty);
    }
    // The same bytes in another table give another hash.
    EXPECT_NE(tables.HashTables({TableId::Site}), tables.HashTables({TableId::Site, TableId::Hex}));
}

// Two programs showing one game write different drawing bytes into their live tables (their own
// selection, captions, routes and redraw requests): the lock-step hash must not see them, but
// must see every byte of game state beside them.
TEST(TableDirectory, HashLeavesOutWhatTheMapWindowsDraw) {
    TableDirectory tables;
    const std::uint64_t empty = tables.HashLiveTables();
    struct Case {
        const char* name;
        TableId table;
        std::size_t offset;  // within record 7
        std::uint8_t bits;
        bool counts;
    };
    const Case cases[] = {
        {"selection lead flag", TableId::Troop, TroopRecord::kFlags, 0x08, false},
        {"caption mark flag", TableId::Troop, TroopRecord::kFlags + 1, 0x40, false},
        {"caption travel time", TableId::Troop, TroopRecord::kOrderValue + 1, 0xFF, false},
        {"carrying flag", TableId::Troop, TroopRecord::kFlags, 0x04, true},
        {"reinforcement flag", TableId::Troop, TroopRecord::kFlags + 1, 0x20, true},
        {"byte after the travel time", TableId::Troop, TroopRecord::kOrderValue + 2, 0x01, true},
        {"shore marks", TableId::Hex, HexRecord::kMarkBits, 0xFF, false},
        {"river", TableId::Hex, HexRecord::kRiver, 0x01, true},
        {"reach and waypoint marks", TableId::HexInfo, HexInfoRecord::kMarks, 0x03, false},
        {"other mark bits", TableId::HexInfo, HexInfoRecord::kMarks, 0x04, true},
        {"seen bits", TableId::HexInfo, HexInfoRecord::kFlags, 0x01, true},
        {"redraw request", TableId::HexInfo, HexInfoRecord::kValue3 + 1, 0x80, false},
        {"edge mask of layer 5", TableId::HexInfo, HexInfoRecord::kCountryByte1 + 5, 0xFF, false},
        {"supply network byte", TableId::HexInfo, HexInfoRecord::kCountryByte2, 0x01, true},
        {"route word of country 3", TableId::HexInfo, HexInfoRecord::kCountryWord + 7, 0xFF, false},
        {"troop on the hex", TableId::HexInfo, HexInfoRecord::kTroopIndex, 0x01, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t& byte = tables.GetTableBase(c.table)[7 * tables.GetTableRecordSize(c.table) + c.offset];
        byte ^= c.bits;
        EXPECT_EQ(tables.HashLiveTables() != empty, c.counts);
        byte ^= c.bits;
    }
    EXPECT_EQ(tables.HashLiveTables(), empty);
}

TEST(TableDirectory, CopyAndClearWorkOnWholeTables) {
    TableDirectory tables;
    std::uint8_t* live = tables.GetTableBase(TableId::Force);
    const std::uint32_t total = tables.GetTableTotalBytes(TableId::Force);
    live[0] = 1;
    live[total - 1] = 2;  // inside the fifth slot, beyond the count of 1
    tables.CopyTable(TableId::Force, ShadowOf(TableId::Force));
    const std::uint8_t* shadow = tables.GetTableBase(TableId::ShadowForce);
    EXPECT_EQ(shadow[0], 1);
    EXPECT_EQ(shadow[total - 1], 2);
    tables.ClearTable(TableId::Force);
    EXPECT_EQ(live[0], 0);
    EXPECT_EQ(live[total - 1], 0);
    EXPECT_EQ(shadow[total - 1], 2);
}

TEST(TableDirectory, InstallRuleTableRefusesWrongSizesAndGameStateTables) {
    TableDirectory tables;
    const std::vector<std::uint8_t> three(3 * 24);
    EXPECT_TRUE(tables.InstallRuleTable(TableId::LandKind, 3, three));
    EXPECT_EQ(tables.GetTableRecordCount(TableId::LandKind), 3);
    EXPECT_FALSE(tables.InstallRuleTable(TableId::LandKind, 4, three));
    EXPECT_FALSE(tables.InstallRuleTable(TableId::Site, 3, std::vector<std::uint8_t>(24)));
    EXPECT_EQ(tables.GetTableRecordCount(TableId::LandKind), 3);
    EXPECT_EQ(tables.GetTableRecordCount(TableId::Site), 200);
}

}  // namespace
}  // namespace zv::rules
