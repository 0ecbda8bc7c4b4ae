#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "rules/files/MapFiles.h"
#include "rules/records/MapRecords.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/testing/TempFolder.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {
namespace {

using testing::GameEventsRecorder;
using testing::MapBuilder;
using testing::RuleTableWriter;
using testing::TempFolder;

using Bytes = std::vector<std::uint8_t>;

// Offsets of the images inside the files.
constexpr std::size_t kHeaderImage = 16;
constexpr std::size_t kCountryImage = kHeaderImage + 300;
constexpr std::size_t kHexImage = kCountryImage + 344;
constexpr std::size_t kSiteImage = kHexImage + 32768;
constexpr std::size_t kTroopImage = kSiteImage + 1600;
constexpr std::size_t kMapForceImage = kTroopImage + 66880;
constexpr std::size_t kSnapshotHexInfoImage = kTroopImage + 66880;
constexpr std::size_t kSnapshotForceImage = kSnapshotHexInfoImage + 147456;
constexpr std::size_t kSaveForceImage = kTroopImage + 106590;
constexpr std::size_t kSaveStatsImage = kSaveForceImage + 335870;
constexpr std::size_t kSaveNewsImage = kSaveStatsImage + 176;

// A news window that holds a few records and writes them into the table on reload.
class NewsWindowStub : public GameEventsRecorder {
  public:
    void NewsReload(std::uint32_t first, std::uint8_t* records) override {
        GameEventsRecorder::NewsReload(first, records);
        for (std::size_t i = 0; i < held.size(); ++i) *NewsAt(records, first + i) = held[i];
    }
    std::vector<NewsRecord> held;
};

class MapFilesTest : public ::testing::Test {
  protected:
    MapFilesTest() {
        RuleTableWriter::Basic().InstallInto(tables);
        for (const char* folder : {"MAP", "SAVE", "Zv6open"}) {
            std::filesystem::create_directories(dir.Path() + folder);
        }
        BuildMap(tables);
    }

    // A small map touching every table that the files carry.
    static void BuildMap(TableDirectory& t) {
        MapBuilder map(t, 0);
        map.Title("テスト地図").Description("説明").Clock(3, 14, 25);
        map.TerrainRect(0, 0, 10, 10, 7).Road(2, 2, 0x09).River(3, 3, 0x12);
        map.DeploymentArea(0, 0, 4, 4, 0).DeploymentArea(60, 60, 63, 63, 1);
        map.Country(0, 5000).Country(1, 7000).Alliance(0, 0x03);
        map.AddSite(0, 0, 1, 1);
        map.AddSite(3, 4, 30, 30);
        map.AddTroop(0, 2, 2, {0, 1}, "先鋒");
        map.AddTroop(1, 61, 61, {2});
        map.ForceName(0, "blue corps");
        map.AddForceTroop(0, {0}, "reserve");
        map.AddForceTroop(5, {1}, "work");
        // Parts of the game state that only snapshots or saves carry.
        std::memset(t.GetTableBase(TableId::HexInfo), 0x3C, 147456);
        std::memset(t.GetTableBase(TableId::Troop) + 160 * 418, 0x4D, 95 * 418);
        std::memset(t.GetTableBase(TableId::CountryStats), 0x5E, 176);
    }

    std::string Path(const std::string& relative) { return dir.Path() + relative; }
    Bytes Read(const std::string& relative) { return dir.Get(relative); }
    void Put(const std::string& relative, const Bytes& bytes) { dir.Put(relative, bytes); }
    Bytes Table(TableId id, std::size_t bytes) {
        const std::uint8_t* base = tables.GetTableBase(id);
        return Bytes(base, base + bytes);
    }
    static Bytes Slice(const Bytes& file, std::size_t offset, std::size_t size) {
        return Bytes(file.begin() + offset, file.begin() + offset + size);
    }
    void SetSinglePlay(bool on) {
        WriteS32(tables.GetTableBase(TableId::GameSettings), GameSettingsRecord::kSinglePlay,
                 on ? 1 : 0);
    }
    // Fills every table the files touch with one byte, so a test sees what a load restored.
    void Scribble(std::uint8_t value) {
        for (TableId id : {TableId::ScenarioHeader, TableId::Country, TableId::Hex, TableId::Site,
                           TableId::Troop, TableId::HexInfo, TableId::Force, TableId::CountryStats,
                           TableId::News}) {
            std::memset(tables.GetTableBase(id), value, tables.GetTableTotalBytes(id));
        }
    }
    std::uint64_t HashSaveTables() {
        return tables.HashTables({TableId::ScenarioHeader, TableId::Country, TableId::Hex,
                                  TableId::Site, TableId::Troop, TableId::Force,
                                  TableId::CountryStats, TableId::News});
    }
    std::uint64_t HashAll() {
        return tables.HashTables({TableId::ScenarioHeader, TableId::Country, TableId::Hex,
                                  TableId::Site, TableId::Troop, TableId::HexInfo, TableId::Force,
                                  TableId::CountryStats, TableId::News});
    }

    // Troops 160-254 hold the empty record of a reset, whatever they held before.
    void ExpectNoLaunchedParts() {
        for (std::uint16_t t = 160; t < 255; ++t) {
            SCOPED_TRACE(t);
            const TroopRecord& r = *TroopAt(tables.GetTableBase(TableId::Troop), t);
            ASSERT_EQ(r.SlotByte(), 0xFF);
            ASSERT_EQ(r.Country(), 0xFF);
            ASSERT_EQ(r.Hex(), 0xFFFF);
            ASSERT_EQ(r.Flags(), 0);
            ASSERT_EQ(r.Carrier(), 0xFFFF);
            for (int m = 0; m < 6; ++m) ASSERT_EQ(r.Member(m).Unit(), -1);
            ASSERT_EQ(r.Formation(0).MemberMap(0), 0xFF);
        }
    }

    TempFolder dir;
    TableDirectory tables;
};

TEST_F(MapFilesTest, EachFormatHasItsSizeHeaderAndImagesInOrder) {
    struct Image {
        TableId table;
        std::size_t offset;
        std::size_t bytes;
    };
    const std::vector<Image> common = {{TableId::ScenarioHeader, kHeaderImage, 300},
                                       {TableId::Country, kCountryImage, 344},
                                       {TableId::Hex, kHexImage, 32768},
                                       {TableId::Site, kSiteImage, 1600}};
    auto with = [&](std::vector<Image> more) {
        std::vector<Image> all = common;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    GameEventsRecorder events;
    struct Case {
        const char* file;
        std::function<FileStatus(const std::string&)> write;
        std::size_t size;
        std::uint8_t kind;
        std::vector<Image> images;
    };
    const Case cases[] = {
        {"MAP/a.map", [&](const std::string& p) { return WriteMapFile(tables, p); }, 437778, 106,
         with({{TableId::Troop, kTroopImage, 66880}, {TableId::Force, kMapForceImage, 335870}})},
        {"undo.dat", [&](const std::string& p) { return WriteUndoMapFile(tables, p); }, 585234, 106,
         with({{TableId::Troop, kTroopImage, 66880},
               {TableId::HexInfo, kSnapshotHexInfoImage, 147456},
               {TableId::Force, kSnapshotForceImage, 335870}})},
        {"SAVE/net.sav",
         [&](const std::string& p) {
             SetSinglePlay(false);
             return WriteSaveGame(tables, events, p);
         },
         477664, 107,
         with({{TableId::Troop, kTroopImage, 106590},
               {TableId::Force, kSaveForceImage, 335870},
               {TableId::CountryStats, kSaveStatsImage, 176}})},
        {"SAVE/single.sav",
         [&](const std::string& p) {
             SetSinglePlay(true);
             return WriteSaveGame(tables, events, p);
         },
         981664, 107,
         with({{TableId::Troop, kTroopImage, 106590},
               {TableId::Force, kSaveForceImage, 335870},
               {TableId::CountryStats, kSaveStatsImage, 176},
               {TableId::News, kSaveNewsImage, 504000}})},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.write(Path(c.file))) << c.file;
        const Bytes file = Read(c.file);
        ASSERT_EQ(file.size(), c.size) << c.file;
        const Bytes header = {c.kind, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(Slice(file, 0, 16), header) << c.file;
        for (const Image& image : c.images) {
            EXPECT_EQ(Slice(file, image.offset, image.bytes), Table(image.table, image.bytes))
                << c.file << " table " << ToIndex(image.table);
        }
    }
    // Known bytes at documented offsets: the clock, troop 40's country and the corps name.
    const Bytes map = Read("MAP/a.map");
    EXPECT_EQ(map[kHeaderImage + 282], 3);
    EXPECT_EQ(map[kHeaderImage + 284], 14);
    EXPECT_EQ(map[kTroopImage + 40 * 418 + 25], 1);
    EXPECT_EQ(map[kMapForceImage + 67174 + 0], 'b');
}

TEST_F(MapFilesTest, MapRoundTripRestoresItsTablesAndLeavesTheRest) {
    ASSERT_TRUE(WriteMapFile(tables, Path("MAP/round.map")));
    const Bytes header = Table(TableId::ScenarioHeader, 300);
    const Bytes countries = Table(TableId::Country, 344);
    const Bytes hexes = Table(TableId::Hex, 32768);
    const Bytes sites = Table(TableId::Site, 1600);
    const Bytes mapTroops = Table(TableId::Troop, 66880);
    const Bytes forces = Table(TableId::Force, 335870);

    Scribble(0xC7);
    GameEventsRecorder events;
    ASSERT_TRUE(LoadMapFromMapFolder(tables, events, dir.Path(), "ROUND.MAP"));
    EXPECT_EQ(Table(TableId::ScenarioHeader, 300), header);
    EXPECT_EQ(Table(TableId::Country, 344), countries);
    EXPECT_EQ(Table(TableId::Hex, 32768), hexes);
    EXPECT_EQ(Table(TableId::Site, 1600), sites);
    EXPECT_EQ(Table(TableId::Troop, 66880), mapTroops);
    EXPECT_EQ(Table(TableId::Force, 335870), forces);
    // The hex information keeps what it held; a map has no launched parts.
    EXPECT_EQ(tables.GetTableBase(TableId::HexInfo)[0], 0xC7);
    ExpectNoLaunchedParts();
    EXPECT_EQ(events.events, std::vector<std::string>{"TerrainReloaded"});
}

TEST_F(MapFilesTest, AMapLoadedIntoAFreshDirectoryLeavesTheLaunchSlotsFree) {
    ASSERT_TRUE(WriteMapFile(tables, Path("MAP/fresh.map")));
    // Zero bytes read as used troops of country 0 with unit 0 as their member.
    TableDirectory fresh;
    RuleTableWriter::Basic().InstallInto(fresh);
    ASSERT_TRUE(LoadMapFromMapFolder(fresh, NoGameEvents(), dir.Path(), "fresh.map"));
    TroopCursor troop(fresh);
    EXPECT_EQ(FindFreeLaunchSlot(troop), 160);
    for (std::uint16_t t = 160; t < 255; ++t) {
        ASSERT_TRUE(troop.Select(t));
        EXPECT_EQ(troop.HasMembers(), 0) << t;
    }
    EXPECT_EQ(CountUsedTroops(troop), 2);
}

TEST_F(MapFilesTest, SnapshotRestoresTheHexInformationToo) {
    ASSERT_TRUE(WriteUndoMapFile(tables, Path("undo1.dat")));
    const Bytes hexInfo = Table(TableId::HexInfo, 147456);
    const Bytes forces = Table(TableId::Force, 335870);
    Scribble(0x11);
    ASSERT_TRUE(ReadUndoMapFile(tables, Path("undo1.dat")));
    EXPECT_EQ(Table(TableId::HexInfo, 147456), hexInfo);
    EXPECT_EQ(Table(TableId::Force, 335870), forces);
    ExpectNoLaunchedParts();
}

TEST_F(MapFilesTest, SinglePlaySaveCarriesTheNewsLogBackIntoTheNewsWindow) {
    NewsWindowStub window;
    for (std::uint8_t kind : {kNewsOccupied, kNewsAttacked}) {
        NewsRecord r = NewsRecord::Zeroed();
        r.SetKind(kind);
        r.SetCountry(0);
        r.SetFirstTroop(kind);
        window.held.push_back(r);
    }
    SetSinglePlay(true);
    WriteU16(tables.GetTableBase(TableId::ScenarioHeader), ScenarioHeaderRecord::kSaveKind, 0);
    ASSERT_TRUE(WriteSaveGame(tables, window, Path("SAVE/s1.sav")));
    EXPECT_EQ(window.events, std::vector<std::string>{"NewsReload(0)"});
    EXPECT_EQ(window.lastNewsRecords, tables.GetTableBase(TableId::News));
    EXPECT_EQ(ReadU16(tables.GetTableBase(TableId::ScenarioHeader), 280), 1);
    const Bytes file = Read("SAVE/s1.sav");
    ASSERT_EQ(file.size(), kSaveFileWithNewsSize);
    EXPECT_EQ(file[kHeaderImage + 280], 1);
    EXPECT_EQ(file[kSaveNewsImage], kNewsOccupied);
    EXPECT_EQ(file[kSaveNewsImage + 1008], kNewsAttacked);
    EXPECT_EQ(file[kSaveNewsImage + 2 * 1008], 0xFF);  // the rest are empty slots

    const std::uint64_t saved = HashSaveTables();
    Scribble(0x00);
    GameEventsRecorder events;
    ASSERT_TRUE(LoadSaveGame(tables, events, dir.Path(), "s1.sav"));
    EXPECT_EQ(HashSaveTables(), saved);
    EXPECT_EQ(tables.GetTableBase(TableId::HexInfo)[5], 0x00);
    const std::vector<std::string> expected = {"NewsClear", "NewsAdd(1)", "NewsAdd(3)",
                                               "TerrainReloaded"};
    EXPECT_EQ(events.events, expected);
    ASSERT_EQ(events.newsAdded.size(), 2u);
    EXPECT_EQ(events.newsAdded[1][16], kNewsAttacked);
}

TEST_F(MapFilesTest, NetworkSaveHasNoNewsAndLoadingItEmptiesTheNewsTable) {
    SetSinglePlay(false);
    GameEventsRecorder events;
    ASSERT_TRUE(WriteSaveGame(tables, events, Path("SAVE/n1.sav")));
    EXPECT_EQ(ReadU16(tables.GetTableBase(TableId::ScenarioHeader), 280), 2);
    ASSERT_EQ(Read("SAVE/n1.sav").size(), kSaveFileSize);

    // News of an earlier game must not come back with this save.
    NewsRecord old = NewsRecord::Zeroed();
    old.SetKind(kNewsBombing);
    *NewsAt(tables.GetTableBase(TableId::News), 0) = old;
    GameEventsRecorder loadEvents;
    ASSERT_TRUE(LoadSaveGame(tables, loadEvents, dir.Path(), "n1.sav"));
    const std::uint8_t* news = tables.GetTableBase(TableId::News);
    for (std::size_t i = 0; i < kNewsTableCount; ++i) ASSERT_EQ(news[i * 1008], 0xFF) << i;
    EXPECT_EQ(loadEvents.events, (std::vector<std::string>{"NewsClear", "TerrainReloaded"}));
    EXPECT_EQ(ReadU16(tables.GetTableBase(TableId::ScenarioHeader), 280), 2);
}

TEST_F(MapFilesTest, SaveOverALongerFileLeavesNoOldLogBehind) {
    SetSinglePlay(true);
    GameEventsRecorder events;
    ASSERT_TRUE(WriteSaveGame(tables, events, Path("SAVE/slot.sav")));
    SetSinglePlay(false);
    ASSERT_TRUE(WriteSaveGame(tables, events, Path("SAVE/slot.sav")));
    EXPECT_EQ(Read("SAVE/slot.sav").size(), kSaveFileSize);
}

TEST_F(MapFilesTest, OpeningDataTakesTheTablesOfASavedGame) {
    SetSinglePlay(true);
    GameEventsRecorder events;
    ASSERT_TRUE(WriteSaveGame(tables, events, Path("Zv6open/opn0001.opn")));
    const Bytes troops = Table(TableId::Troop, 106590);
    const Bytes forces = Table(TableId::Force, 335870);
    Scribble(0x22);
    GameEventsRecorder loadEvents;
    ASSERT_TRUE(LoadOpeningData(tables, loadEvents, dir.Path(), "opn0001.opn"));
    EXPECT_EQ(Table(TableId::Troop, 106590), troops);
    EXPECT_EQ(Table(TableId::Force, 335870), forces);
    // No statistics, no news.
    EXPECT_EQ(tables.GetTableBase(TableId::CountryStats)[0], 0x22);
    EXPECT_EQ(tables.GetTableBase(TableId::News)[0], 0x22);
    EXPECT_EQ(loadEvents.events, std::vector<std::string>{"TerrainReloaded"});
}

TEST_F(MapFilesTest, BadFilesChangeNoTableAndSayWhy) {
    ASSERT_TRUE(WriteMapFile(tables, Path("MAP/good.map")));
    ASSERT_TRUE(WriteUndoMapFile(tables, Path("undo.dat")));
    GameEventsRecorder events;
    SetSinglePlay(false);
    ASSERT_TRUE(WriteSaveGame(tables, events, Path("SAVE/good.sav")));
    const Bytes map = Read("MAP/good.map");
    const Bytes snapshot = Read("undo.dat");
    const Bytes save = Read("SAVE/good.sav");
    auto cut = [](Bytes b, std::size_t size) {
        b.resize(size);
        return b;
    };
    auto grow = [](Bytes b) {
        b.push_back(0);
        return b;
    };
    Put("MAP/short.map", cut(map, map.size() - 1));
    Put("MAP/header.map", cut(map, 8));
    Put("MAP/long.map", grow(map));
    Put("MAP/save.map", save);
    Put("MAP/snapshot.map", snapshot);
    Put("SAVE/map.sav", map);
    Put("SAVE/short.sav", cut(save, kSaveFileSize + 1000));
    Put("SAVE/long.sav", grow(grow(save)));
    Put("SAVE/empty.sav", {});
    Put("snap_short.dat", cut(snapshot, kMapFileSize));

    Scribble(0x9A);
    const std::uint64_t before = HashAll();
    enum Reader { kMap, kSave, kSnapshot, kOpening };
    struct Case {
        Reader reader;
        const char* name;
    };
    const Case cases[] = {
        {kMap, "missing.map"},
        {kMap, "short.map"},
        {kMap, "header.map"},
        {kMap, "long.map"},
        {kMap, "save.map"},
        {kMap, "snapshot.map"},
        {kMap, ""},
        {kSave, "map.sav"},
        {kSave, "short.sav"},
        {kSave, "long.sav"},
        {kSave, "empty.sav"},
        {kSave, "missing.sav"},
        {kOpening, "map.sav"},
        {kSnapshot, "snap_short.dat"},
        {kSnapshot, "MAP/good.map"},
        {kSnapshot, ""},
    };
    for (const Case& c : cases) {
        GameEventsRecorder loadEvents;
        FileStatus status;
        switch (c.reader) {
            case kMap:
                status = LoadMapFromMapFolder(tables, loadEvents, dir.Path(), c.name);
                break;
            case kSave:
                status = LoadSaveGame(tables, loadEvents, dir.Path(), c.name);
                break;
            case kOpening:
                status = LoadOpeningData(tables, loadEvents, dir.Path(), c.name);
                break;
            case kSnapshot:
                status = ReadUndoMapFile(tables, *c.name ? Path(c.name) : std::string());
                break;
        }
        EXPECT_FALSE(status) << c.name;
        EXPECT_FALSE(status.error.empty()) << c.name;
        EXPECT_EQ(HashAll(), before) << c.name;
        EXPECT_TRUE(loadEvents.events.empty()) << c.name;
    }
}

TEST_F(MapFilesTest, ImagesInMemoryReadAsTheirFilesDo) {
    ASSERT_TRUE(WriteMapFile(tables, Path("MAP/good.map")));
    ASSERT_TRUE(WriteUndoMapFile(tables, Path("MAP/undo.dat")));
    NewsWindowStub news;
    NewsRecord record = NewsRecord::Zeroed();
    record.SetKind(kNewsAttacked);
    news.held = {record};
    SetSinglePlay(true);
    ASSERT_TRUE(WriteSaveGame(tables, news, Path("SAVE/single.sav")));
    SetSinglePlay(false);
    ASSERT_TRUE(WriteSaveGame(tables, news, Path("SAVE/network.sav")));
    Bytes longer = Read("MAP/good.map");
    longer.push_back(0);
    Put("MAP/long.map", longer);
    const Bytes network = Read("SAVE/network.sav");
    Put("SAVE/short.sav", Bytes(network.begin(), network.end() - 5));
    Put("SAVE/map.sav", Read("MAP/good.map"));
    Put("SAVE/empty.sav", {});
    Put("Zv6open/rec.opn", Read("SAVE/single.sav"));
    Put("Zv6open/map.opn", Read("MAP/good.map"));

    enum Reader { kMap, kSave, kSnapshot, kOpening };
    struct Case {
        Reader reader;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {kMap, "MAP", "good.map"},       {kMap, "MAP", "long.map"},
        {kMap, "MAP", "undo.dat"},       {kSnapshot, "MAP", "undo.dat"},
        {kSnapshot, "MAP", "good.map"},  {kSave, "SAVE", "single.sav"},
        {kSave, "SAVE", "network.sav"},  {kSave, "SAVE", "short.sav"},
        {kSave, "SAVE", "map.sav"},      {kSave, "SAVE", "empty.sav"},
        {kOpening, "Zv6open", "rec.opn"}, {kOpening, "Zv6open", "map.opn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = GamePath(dir.Path(), c.folder, c.name);
        const Bytes image = Read(std::string(c.folder) + "/" + c.name);
        auto load = [&](bool fromFile, GameEventsRecorder& events) {
            Scribble(0x9A);
            switch (c.reader) {
                case kMap:
                    return fromFile ? LoadMapFile(tables, events, path)
                                    : LoadMapImage(tables, events, path, image);
                case kSave:
                    return fromFile ? LoadSaveGame(tables, events, dir.Path(), c.name)
                                    : LoadSaveGameImage(tables, events, path, image);
                case kOpening:
                    return fromFile ? LoadOpeningData(tables, events, dir.Path(), c.name)
                                    : LoadOpeningImage(tables, events, path, image);
                case kSnapshot:
                    break;
            }
            return fromFile ? ReadUndoMapFile(tables, path) : ReadUndoMapImage(tables, path, image);
        };
        GameEventsRecorder fileEvents, imageEvents;
        const FileStatus fromFile = load(true, fileEvents);
        const std::uint64_t fileTables = HashAll();
        const FileStatus fromImage = load(false, imageEvents);
        EXPECT_EQ(fromImage.ok, fromFile.ok);
        EXPECT_EQ(fromImage.error, fromFile.error);
        EXPECT_EQ(HashAll(), fileTables);
        EXPECT_EQ(imageEvents.events, fileEvents.events);
    }
}

TEST_F(MapFilesTest, WriteFailuresAreReportedAndKeepTheOldFile) {
    Put("MAP/keep.map", {1, 2, 3});
    // A folder where the file should go makes every writer fail.
    std::filesystem::create_directories(Path("MAP/dir.map"));
    GameEventsRecorder events;
    EXPECT_FALSE(WriteMapFile(tables, Path("MAP/dir.map")));
    EXPECT_FALSE(WriteUndoMapFile(tables, Path("MAP/dir.map")));
    EXPECT_FALSE(WriteSaveGame(tables, events, Path("MAP/dir.map")));
    const FileStatus noFolder = WriteMapFile(tables, Path("NOFOLDER/x.map"));
    EXPECT_FALSE(noFolder);
    EXPECT_NE(noFolder.error.find("No such file or directory"), std::string::npos)
        << "the system's reason: " << noFolder.error;
    EXPECT_NE(WriteMapFile(tables, Path("MAP/dir.map")).error.find("Is a directory"),
              std::string::npos);
    EXPECT_FALSE(WriteMapFile(tables, ""));
    EXPECT_EQ(Read("MAP/keep.map"), (Bytes{1, 2, 3}));
    ASSERT_TRUE(WriteMapFile(tables, Path("MAP/keep.map")));
    EXPECT_EQ(Read("MAP/keep.map").size(), kMapFileSize);
}

}  // namespace
}  // namespace zv::rules
