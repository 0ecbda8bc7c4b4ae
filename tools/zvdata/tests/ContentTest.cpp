#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/core/Sjis.h"
#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/files/DatFile.h"
#include "rules/files/MapFiles.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"
#include "rules/testing/TempFolder.h"
#include "rules/troops/TroopMembers.h"
#include "tools/zvdata/ContentBuild.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/OpeningSource.h"

namespace zv::zvdata {
namespace {

using rules::TableDirectory;
using rules::TableId;
using rules::testing::TempFolder;

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const char* const kRuleFiles[] = {"landkind.dat", "mvcostkd.dat", "DefencDk.dat",
                                  "ActionKd.dat", "unitkind.dat", "weaponkd.dat",
                                  "sitekind.dat", "unitinfo.dat", "prokind.dat"};
const char* const kMaps[] = {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm", "MAP00004.ddm"};

// The default content as the build wrote it into the program directory (zvdata_content): the
// checks below read it instead of building it again for every test process.
class Content : public ::testing::Test {
  protected:
    static std::string Dir() { return std::string(ZV_PROGRAM_DIR) + "/"; }
    static std::vector<std::string> CorpsIn(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir + "USER")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("useFrc", 0) == 0 && entry.path().extension() == ".prm") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::string> Corps() { return CorpsIn(Dir()); }
};

// BuildContent itself, into a folder of its own: every file it writes passes the game files' check.
TEST_F(Content, BuildWritesEveryFileAndEachPassesTheCheck) {
    TempFolder folder;
    const BuildReport report = BuildContent(std::string(ZV_SOURCE_DIR) + "/data", folder.Path());
    for (const std::string& p : report.problems) ADD_FAILURE() << p;
    ASSERT_TRUE(report.ok);

    const std::string dir = folder.Path();
    const std::vector<std::string> corps = CorpsIn(dir);
    std::vector<std::string> files;
    for (const char* name : kRuleFiles) files.push_back(dir + name);
    for (const std::string& name : corps) files.push_back(dir + "USER/" + name);
    for (const char* name : kMaps) files.push_back(dir + "MAP/" + name);
    EXPECT_GE(corps.size(), 4u);
    ASSERT_FALSE(corps.empty());
    EXPECT_EQ(corps.front(), "useFrc00.prm");
    for (const std::string& file : files) {
        const FileCheck check = CheckGameFile(file);
        EXPECT_TRUE(check.ok) << file << ": " << (check.problems.empty() ? "" : check.problems[0]);
        EXPECT_FALSE(check.summary.empty());
    }
    // What the build wrote into the program directory is the same content.
    for (const char* name : kMaps) EXPECT_EQ(ReadAll(dir + "MAP/" + name), ReadAll(Dir() + "MAP/" + name)) << name;
}

// The program directory the build writes holds every folder the game reads and writes, the ones
// nothing fills yet (SAVE) as well: a save goes where the list of saved games looks.
TEST_F(Content, ProgramDirectoryHoldsEveryFolderOfTheGame) {
    for (const char* folder : {"SAVE", "MAP", "USER", "Zv6open"}) {
        EXPECT_TRUE(std::filesystem::is_directory(Dir() + folder)) << Dir() << folder;
    }
}

TEST_F(Content, MapsLoadThroughTheGamesReaderWithTheirCountriesAndCorps) {
    struct Expect {
        const char* map;
        int countries;
        bool sea;
    };
    const Expect expects[] = {{"MAP00001.ddm", 2, false},
                              {"MAP00002.ddm", 3, true},
                              {"MAP00003.ddm", 4, true},
                              {"MAP00004.ddm", 4, false}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.map);
        TableDirectory tables;
        ASSERT_EQ(tables.LoadAllTables(Dir()), 1);
        const rules::FileStatus loaded =
            rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), Dir(), e.map);
        ASSERT_TRUE(loaded.ok) << loaded.error;
        EXPECT_TRUE(CheckMapTables(tables).empty());

        rules::CountryCursor country(tables);
        rules::ForceCursor corps(tables, 5);
        int playing = 0;
        for (int c = 0; c < 4; ++c) {
            country.Select(c);
            if (!country.GetParticipation()) continue;
            ++playing;
            // The corps number names the corps file the slot holds, in the corps list's order.
            const std::string file = Corps()[country.GetSetting82()];
            TableDirectory probe;
            ASSERT_EQ(probe.LoadAllTables(Dir()), 1);
            rules::ForceCursor fromFile(probe, 5);
            fromFile.SelectSlot(5);
            ASSERT_TRUE(fromFile.LoadUserForceFile(Dir(), file.c_str()).ok);
            corps.SelectSlot(static_cast<std::uint8_t>(c));
            EXPECT_EQ(std::string(corps.GetName()), std::string(fromFile.GetName()));
            EXPECT_EQ(corps.GetHeaderWord282(), 1);
        }
        EXPECT_EQ(playing, e.countries);
        int seaHexes = 0;
        rules::HexCursor hex(tables);
        for (int h = 0; h < rules::kHexCount; ++h) {
            hex.Select(h);
            seaHexes += hex.GetLandKind() == 5;
        }
        EXPECT_EQ(seaHexes > 200, e.sea);
    }
}

// The computer players take sites with ground troops and fall with their headquarters, so on
// every default map the ground troops of each country must be able to walk from their capital to
// the capital of every country they are at war with.
TEST_F(Content, GroundTroopsReachEveryHostileCapital) {
    const char* const walkers[] = {"鉄牙 主力戦車", "歩兵小隊"};
    for (const char* map : kMaps) {
        SCOPED_TRACE(map);
        TableDirectory tables;
        ASSERT_EQ(tables.LoadAllTables(Dir()), 1);
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), Dir(), map).ok);
        rules::GameContext ctx(tables);
        ASSERT_EQ(ctx.RebuildHexOccupancy(), 1);  // as the game does after loading a map
        rules::RouteSearch search(tables, rules::RouteInstance::Map);
        search.LoadTerrain();

        std::array<int, 4> capital{};
        capital.fill(-1);
        rules::SiteCursor sites(tables);
        for (int s = 0; s < 200; ++s) {
            if (!sites.Select(s) || sites.GetKind() != 0 || sites.GetOwner() > 3) continue;
            std::uint16_t hex = 0;
            sites.GetHex(hex);
            capital[sites.GetOwner()] = hex;
        }
        // A ground troop of each country lends the search its country and its road-following.
        std::array<int, 4> groundTroop{};
        groundTroop.fill(-1);
        rules::TroopCursor troops(tables);
        for (std::uint16_t t = 0; t < 160; ++t) {
            if (!troops.Select(t) || !troops.GetRecord()->IsUsed() || !troops.IsOnMap()) continue;
            if (rules::CountHqMembers(troops) > 0) groundTroop[troops.GetCountry()] = t;
        }

        for (const char* walker : walkers) {
            SCOPED_TRACE(walker);
            rules::UnitInfoCursor units(tables);
            rules::MvcostKdCursor moves(tables);
            bool found = false;
            for (int u = 0; u < tables.GetTableRecordCount(TableId::UnitInfo) && !found; ++u) {
                found = units.Select(u) && core::SjisToUtf8(units.GetName()) == walker;
            }
            ASSERT_TRUE(found);
            ASSERT_TRUE(moves.Select(units.GetMoveCostKind()));
            std::array<std::uint8_t, 29> costs{};
            for (int k = 0; k < 29; ++k) costs[k] = moves.GetCost(k);

            for (int c = 0; c < 4; ++c) {
                if (capital[c] < 0) continue;
                ASSERT_GE(groundTroop[c], 0) << "country " << c;
                ASSERT_EQ(search.ComputeArea(ctx, static_cast<std::uint16_t>(groundTroop[c]),
                                             capital[c] & 0xFF, capital[c] >> 8, costs.data(), 1),
                          1);
                for (int h = 0; h < 4; ++h) {
                    if (h == c || capital[h] < 0 || rules::AreCountriesAllied(tables, c, h)) {
                        continue;
                    }
                    EXPECT_TRUE(search.IsReached(capital[h] & 0xFF, capital[h] >> 8))
                        << "country " << c << " cannot reach the capital of country " << h;
                }
            }
        }
    }
}

TEST_F(Content, ComputerCountriesHaveWhereToProduceTheirTemplates) {
    // Production puts aircraft on an own airport and ships in an own port, each within five
    // hexes of the capital and on the roads that make up the supply network.
    for (const char* map : kMaps) {
        SCOPED_TRACE(map);
        TableDirectory tables;
        ASSERT_EQ(tables.LoadAllTables(Dir()), 1);
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), Dir(), map).ok);
        rules::SiteCursor site(tables);
        rules::HexCursor hex(tables);
        rules::CountryCursor country(tables);
        bool seaMap = false;  // ships of a land map's corps are never produced
        for (int h = 0; h < rules::kHexCount; ++h) {
            hex.Select(h);
            seaMap |= hex.GetLandKind() == 5;
        }
        for (int c = 0; c < 4; ++c) {
            country.Select(c);
            if (!country.GetParticipation()) continue;
            std::uint16_t capital = rules::kNoHex;
            for (int s = 0; s < rules::kSiteCount; ++s)
                if (site.Select(s) && site.GetKind() == 0 && site.GetOwner() == c)
                    site.GetHex(capital);
            ASSERT_NE(capital, rules::kNoHex);
            auto nearSite = [&](int kind) {
                for (int s = 0; s < rules::kSiteCount; ++s) {
                    if (!site.Select(s) || site.GetKind() != kind || site.GetOwner() != c) continue;
                    std::uint16_t at = 0;
                    site.GetHex(at);
                    hex.SelectXY(at);
                    if (rules::HexDistance(capital & 0xFF, capital >> 8, at & 0xFF, at >> 8) <= 5 &&
                        hex.GetRoad() != 0xFF)
                        return true;
                }
                return false;
            };
            rules::ForceCursor corps(tables, static_cast<std::uint8_t>(c));
            corps.SelectSlot(static_cast<std::uint8_t>(c));
            for (int t = 0; t < rules::kForceTroopCount; ++t) {
                corps.SelectForceTroop(static_cast<std::uint16_t>(t));
                const rules::TroopRecord& troop = *corps.GetRecord();
                if (!troop.IsUsed() || !(troop.Flags() & rules::kTroopTemplate)) continue;
                const int altitude = troop.AltitudeClass();
                if (altitude == 1) {
                    EXPECT_TRUE(nearSite(4)) << "country " << c << ": no airport";
                }
                if ((altitude == 4 || altitude == 5) && seaMap) {
                    EXPECT_TRUE(nearSite(5)) << "country " << c << ": no port";
                }
            }
        }
    }
}

// Builds a damaged copy of one built file and checks it.
FileCheck CheckDamaged(const std::string& dir, const std::string& relative,
                       const std::function<void(std::vector<std::uint8_t>&)>& damage,
                       TempFolder& scratch) {
    std::filesystem::create_directories(scratch.Path() + "MAP");
    std::filesystem::create_directories(scratch.Path() + "USER");
    for (const char* name : kRuleFiles)
        std::filesystem::copy_file(dir + name, scratch.File(name),
                                   std::filesystem::copy_options::overwrite_existing);
    std::vector<std::uint8_t> bytes = ReadAll(dir + relative);
    damage(bytes);
    scratch.Put(relative, bytes);
    return CheckGameFile(scratch.File(relative));
}

TEST_F(Content, DamagedFilesAreRefusedWithAClearMessage) {
    using rules::ReadU16;
    using rules::WriteU16;
    using rules::WriteU32;
    const std::size_t header = rules::kDatHeaderBytes;
    // Offsets of the map images inside a map file.
    const std::size_t hexes = header + 300 + 344;
    const std::size_t sites = hexes + 32768;
    const std::size_t troops = sites + 1600;
    const std::size_t forces = troops + 66880;
    struct Case {
        const char* what;
        const char* file;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::string expected;
    };
    const Case cases[] = {
        {"truncated rule table", "unitinfo.dat", [](auto& b) { b.resize(b.size() - 5); },
         "unitinfo.dat"},
        {"rule table of the wrong kind", "weaponkd.dat",
         [](auto& b) { WriteU16(b.data(), 0, 101); },
         "weaponkd.dat: file kind 101, a weaponkd.dat has kind 104"},
        {"count not matching the size", "sitekind.dat", [](auto& b) { WriteU16(b.data(), 2, 5); },
         "sitekind.dat"},
        {"land kinds short of 29", "landkind.dat",
         [](auto& b) {
             WriteU16(b.data(), 2, 28);
             WriteU32(b.data(), 4, 28 * 24);
             b.resize(header + 28 * 24);
         },
         "landkind.dat: 28 records, the table takes 29 to 29"},
        {"road and river swapped", "landkind.dat",
         [](auto& b) {
             std::vector<std::uint8_t> road(b.begin() + header + 13 * 24,
                                            b.begin() + header + 13 * 24 + 16);
             std::copy_n(b.begin() + header + 14 * 24, 16, b.begin() + header + 13 * 24);
             std::copy(road.begin(), road.end(), b.begin() + header + 14 * 24);
         },
         "landkind.dat record 13 (川), 地形名: terrain class 13 is 道路"},
        {"a town where the capital belongs", "sitekind.dat",
         [](auto& b) { std::copy_n(b.begin() + header + 3 * 30, 16, b.begin() + header); },
         "sitekind.dat record 0 (町), 建物名: site kind 0 is 首都"},
        {"unit naming no weapon", "unitinfo.dat",
         [](auto& b) { WriteU16(b.data(), header + 138 + 50, 900); }, "900 names no weapon"},
        {"empty file", "prokind.dat", [](auto& b) { b.clear(); }, "prokind.dat"},
        {"truncated map", "MAP/MAP00001.ddm", [](auto& b) { b.resize(b.size() / 2); },
         "MAP00001.ddm: 218889 bytes, a map has 437778"},
        {"map of the wrong kind", "MAP/MAP00001.ddm", [](auto& b) { WriteU16(b.data(), 0, 107); },
         "MAP00001.ddm: file kind 107, a map has kind 106"},
        {"map longer than a map", "MAP/MAP00002.ddm", [](auto& b) { b.push_back(0); },
         "MAP00002.ddm"},
        {"corps file one byte too long", "USER/useFrc00.prm", [](auto& b) { b.push_back(0); },
         "is longer than 67190 bytes"},
        {"site kind out of range", "MAP/MAP00002.ddm", [&](auto& b) { b[sites] = 9; },
         "site 0: kind 9 is not 0-5"},
        {"site off the map", "MAP/MAP00002.ddm", [&](auto& b) { b[sites + 2] = 64; },
         "site 0: off the map"},
        {"land kind out of range", "MAP/MAP00003.ddm", [&](auto& b) { b[hexes + 8 * 100] = 40; },
         "hex 36,1: no such land kind"},
        {"road mask out of range", "MAP/MAP00003.ddm",
         [&](auto& b) { b[hexes + 8 * 100 + 1] = 0x40; }, "hex 36,1: road mask 64"},
        {"troop unit out of range", "MAP/MAP00004.ddm",
         [&](auto& b) { WriteU16(b.data(), troops + 34, 5000); }, "unit 5000 does not exist"},
        {"troop in another country's block", "MAP/MAP00004.ddm",
         [&](auto& b) { b[troops + 25] = 2; }, "outside its block of forty"},
        {"no headquarters left", "MAP/MAP00001.ddm",
         [&](auto& b) {
             for (int t = 0; t < 40; ++t) b[troops + 418 * t + 24] = 0xFF;
         },
         "青国の司令部が配置されていません。"},
        {"corps troop with a bad member map", "MAP/MAP00001.ddm",
         [&](auto& b) { b[forces + 67174 + 294 + 214 + 16] = 9; }, "maps a slot to member 9"},
        {"corps of the wrong kind", "USER/useFrc00.prm",
         [](auto& b) { WriteU16(b.data(), 0, 106); },
         "useFrc00.prm: file kind 106, a corps file has kind 105"},
        {"truncated corps", "USER/useFrc01.prm", [](auto& b) { b.resize(4000); },
         "useFrc01.prm: 4000 bytes, a corps file has 67190"},
        {"corps of an unknown production type", "USER/useFrc02.prm",
         [&](auto& b) { WriteU16(b.data(), header + 288, 40); }, "40 is no production type"},
        {"corps pack beyond the four", "USER/useFrc03.prm",
         [&](auto& b) { b[header + 294 + 34 + 8] = 7; }, "pack 7 cannot be chosen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder scratch;
        const FileCheck check = CheckDamaged(Dir(), c.file, c.damage, scratch);
        EXPECT_FALSE(check.ok);
        bool found = false;
        for (const std::string& p : check.problems)
            found |= p.find(c.expected) != std::string::npos;
        EXPECT_TRUE(found) << "expected: " << c.expected << "\nfirst: "
                           << (check.problems.empty() ? "(none)" : check.problems[0]);
    }
}

TEST_F(Content, SavedGameOfADefaultMapPassesAndAShortOneDoesNot) {
    TableDirectory tables;
    ASSERT_EQ(tables.LoadAllTables(Dir()), 1);
    // A map keeps troops 160-254 as they were; a game starts them empty.
    rules::GameContext(tables).ResetAllGameTables();
    ASSERT_TRUE(
        rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), Dir(), "MAP00003.ddm").ok);
    TempFolder scratch;
    std::filesystem::create_directories(scratch.Path() + "SAVE");
    for (const char* name : kRuleFiles)
        std::filesystem::copy_file(Dir() + name, scratch.File(name));
    const std::string save = scratch.File("SAVE/game01.ddg");
    ASSERT_TRUE(rules::WriteSaveGame(tables, rules::NoGameEvents(), save).ok);

    const FileCheck check = CheckGameFile(save);
    EXPECT_TRUE(check.ok) << (check.problems.empty() ? "" : check.problems[0]);
    EXPECT_NE(check.summary.find("saved game 群島戦線, 4 countries"), std::string::npos)
        << check.summary;

    // A save is checked record by record as a map is, not only its troops.
    std::vector<std::uint8_t> bytes = ReadAll(save);
    const std::size_t sites = 16 + 300 + 344 + 32768;
    for (const auto& [offset, value, expected] :
         {std::tuple{sites, std::uint8_t{9}, "site 0: kind 9 is not 0-5"},
          std::tuple{std::size_t{16 + 300 + 25}, std::uint8_t{7}, "country 0: state is not 0-3"},
          std::tuple{std::size_t{16 + 280}, std::uint8_t{0}, "the save kind is not 1 or 2"}}) {
        std::vector<std::uint8_t> bad = bytes;
        bad[offset] = value;
        scratch.Put("SAVE/bad.ddg", bad);
        const FileCheck badSave = CheckGameFile(scratch.File("SAVE/bad.ddg"));
        EXPECT_FALSE(badSave.ok) << expected;
        bool found = false;
        for (const std::string& p : badSave.problems)
            found |= p.find(expected) != std::string::npos;
        EXPECT_TRUE(found) << expected;
    }

    bytes.resize(rules::kSaveFileSize - 1);
    scratch.Put("SAVE/game02.ddg", bytes);
    const FileCheck shortSave = CheckGameFile(scratch.File("SAVE/game02.ddg"));
    EXPECT_FALSE(shortSave.ok);
    ASSERT_FALSE(shortSave.problems.empty());
    EXPECT_EQ(shortSave.problems[0], "game02.ddg: 477663 bytes, a saved game has 477664 or 981664");
}

// The title page's recorded game: a saved game the demonstration's reader takes, with a country
// a person plays (the computer helping) still in play, and the same bytes on every build.
TEST_F(Content, RecordedGameOfTheTitleIsASoundSaveAndTheSameEveryBuild) {
    OpeningSource source;
    std::string error;
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/data/opening/opn0001.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    ASSERT_TRUE(ParseOpeningSource("opn0001.txt", text, source, error)) << error;

    const std::string file = Dir() + "Zv6open/opn0001.opn";
    const FileCheck check = CheckGameFile(file, Dir());
    EXPECT_TRUE(check.ok) << (check.problems.empty() ? "" : check.problems[0]);

    TableDirectory tables;
    ASSERT_EQ(tables.LoadAllTables(Dir()), 1);
    ASSERT_TRUE(rules::LoadOpeningData(tables, rules::NoGameEvents(), Dir(), "opn0001.opn").ok);
    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        ASSERT_TRUE(countries.Select(c));
        // Only the shown country is a person's: the demonstration picks the first such one.
        EXPECT_EQ(countries.GetParticipation(), c == source.player ? 3 : 1) << c;
    }
    countries.Select(static_cast<int>(source.player));
    EXPECT_EQ(countries.GetState(), 1);

    source.file = "Zv6open/again.opn";
    ASSERT_TRUE(BuildOpeningGame(source, Dir(), error)) << error;
    EXPECT_TRUE(ReadAll(Dir() + "Zv6open/again.opn") == ReadAll(file));
}

TEST_F(Content, RecordedGameSourcesAreRefusedWithTheReason) {
    const std::string good = "file = Zv6open/x.opn\nmap = MAP00001.ddm\nseed = 1\nminutes = 2\nplayer = 0\n";
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"map = MAP00001.ddm\nseed = 1\nminutes = 2\nplayer = 0\n", "x.txt: \"file\" is missing"},
        {good + "player = 4\n", "x.txt:6: unknown setting or bad value: player = 4"},
        {good + "minutes = 0\n", "x.txt:6: unknown setting or bad value: minutes = 0"},
        {good + "speed = 3\n", "x.txt:6: unknown setting or bad value: speed = 3"},
        {good + "just words\n", "x.txt:6: expected \"key = value\""},
    };
    for (const Case& c : cases) {
        OpeningSource source;
        std::string error;
        EXPECT_FALSE(ParseOpeningSource("x.txt", c.text, source, error)) << c.message;
        EXPECT_EQ(error, c.message);
    }
    // Runs that cannot give a demonstration: a country the map leaves out, a map not built.
    OpeningSource source;
    std::string error;
    ASSERT_TRUE(ParseOpeningSource("x.txt", good, source, error)) << error;
    source.player = 3;
    EXPECT_FALSE(BuildOpeningGame(source, Dir(), error));
    EXPECT_NE(error.find("country 3 is no longer in play"), std::string::npos) << error;
    source.player = 0;
    source.map = "MAP09999.ddm";
    EXPECT_FALSE(BuildOpeningGame(source, Dir(), error));
    EXPECT_FALSE(std::filesystem::exists(Dir() + "Zv6open/x.opn"));
}

TEST_F(Content, FilesOtherThanGameFilesAreNamedAsSuch) {
    TempFolder scratch;
    scratch.Put("notes.txt", {'h', 'i'});
    scratch.Put("mystery.dat", {1, 2, 3});
    const std::pair<std::string, std::string> cases[] = {
        {scratch.File("notes.txt"),
         "notes.txt: not a game file (.dat, .ddm, .ddg, .prm, .wav or .mid)"},
        {scratch.File("mystery.dat"), "mystery.dat: not the name of one of the nine rule tables"},
        {scratch.File("absent.ddm"), "absent.ddm: cannot be read (no such file)"},
        {scratch.MakeDir("MAP01.ddm"), "MAP01.ddm: is a folder, not a file"},
    };
    for (const auto& [file, message] : cases) {
        const FileCheck check = CheckGameFile(file);
        EXPECT_FALSE(check.ok);
        ASSERT_EQ(check.problems.size(), 1u);
        EXPECT_EQ(check.problems[0], message);
    }
}

TEST_F(Content, MapWithoutRuleTablesAsksForThem) {
    TempFolder scratch;
    scratch.Put("MAP00001.ddm", ReadAll(Dir() + "MAP/MAP00001.ddm"));
    const FileCheck check = CheckGameFile(scratch.File("MAP00001.ddm"));
    ASSERT_FALSE(check.ok);
    EXPECT_NE(check.problems[0].find("no rule tables to check it against"), std::string::npos);
    // Given the rule tables, the same file passes.
    EXPECT_TRUE(CheckGameFile(scratch.File("MAP00001.ddm"), Dir()).ok);
}

}  // namespace
}  // namespace zv::zvdata
