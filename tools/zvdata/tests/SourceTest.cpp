#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/Sjis.h"
#include "rules/context/GameContext.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/testing/TempFolder.h"
#include "tools/zvdata/CorpsSource.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/MapSource.h"
#include "tools/zvdata/RuleCsv.h"

namespace zv::zvdata {
namespace {

using rules::TableDirectory;
using rules::TableId;
using rules::testing::TempFolder;

std::string ReadSource(const std::string& path) {
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/data/" + path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The shipped rule tables, compiled from their sources.
void InstallShipped(TableDirectory& tables) {
    for (const RuleCsvTable& table : GetRuleCsvTables()) {
        std::string sjis, error;
        RuleTableImage image;
        ASSERT_TRUE(CsvSourceToSjis(
            table.csvName, ReadSource(std::string("rules/") + table.csvName), sjis, error));
        ASSERT_TRUE(CompileRuleCsv(table.id, table.csvName, sjis, image, error)) << error;
        tables.InstallRuleTable(table.id, image.count, image.body);
    }
}

// A small corps source around the lines given.
std::string Corps(const std::string& type, const std::string& troops) {
    return "name = 試験軍団\ncomment = 試験用\ntype = " + type + "\n" + troops;
}

// A sound little map: plains with a sea strip along the east, two countries with a capital, an
// area and a headquarters each; `extra` lines are appended to the named sections.
struct MapText {
    std::string map = "title = 試験地図\nclock = 1 6 0\n";
    std::string countries =
        "[country 0]\nname = 青\nplay = 1\ncorps = useFrc00.prm\n"
        "[country 1]\nname = 赤\nplay = 1\ncorps = useFrc01.prm\n";
    std::vector<std::string> terrain = std::vector<std::string>(64, std::string(60, '.') + "~~~~");
    std::vector<std::string> areas = std::vector<std::string>(
        64, std::string(10, '0') + std::string(40, '.') + std::string(14, '1'));
    std::string sites = "首都 0 5,5\n首都 1 55,5\n港 中立 59,20\n";
    std::string troops =
        "0 6,6 name=第001司令部 mode=3 units=統帥 機動司令部\n"
        "1 54,6 name=第001司令部 mode=3 units=統帥 機動司令部\n";
    std::string roads = "5,5 55,5\n";

    std::string Text() const {
        std::string t = "[map]\n" + map + countries + "[terrain]\n";
        for (const std::string& row : terrain) t += row + "\n";
        t += "[areas]\n";
        for (const std::string& row : areas) t += row + "\n";
        return t + "[roads]\n" + roads + "[sites]\n" + sites + "[troops]\n" + troops;
    }
};

class Sources : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallShipped(tables_);
        // The two corps the test maps name.
        std::filesystem::create_directories(folder_.Path() + "USER");
        for (const char* name : {"useFrc00", "useFrc01"}) {
            std::string error;
            ASSERT_TRUE(CompileCorps(tables_, name,
                                     ReadSource(std::string("corps/") + name + ".txt"), error))
                << error;
            rules::ForceCursor corps(tables_, 5);
            corps.SelectSlot(5);
            ASSERT_TRUE(
                corps.SaveUserForceFile(folder_.Path(), (std::string(name) + ".prm").c_str()).ok);
        }
    }

    std::string MapError(const MapText& text) {
        std::string error;
        EXPECT_FALSE(CompileMap(tables_, folder_.Path(), "m.txt", text.Text(), error));
        return error;
    }

    TableDirectory tables_;
    TempFolder folder_;
};

TEST_F(Sources, SmallMapCompilesIntoTheLiveTables) {
    MapText text;
    text.troops += "0 7,7 name=第001陸上隊 mode=0 units=鉄牙 主力戦車*2@2/剛狼 歩兵戦闘車\n";
    text.troops += "1 61,5 name=第001艦隊 mode=0 units=碧洋 航空母艦\n";
    text.troops += "1 61,5 name=第001航空隊 mode=0 on=第001艦隊 units=潮鷲 艦上戦闘機*2\n";
    text.roads += "[rivers]\n40,30 63,30\n";  // into the sea, where the river ends
    std::string error;
    ASSERT_TRUE(CompileMap(tables_, folder_.Path(), "m.txt", text.Text(), error)) << error;
    EXPECT_TRUE(CheckMapTables(tables_).empty());

    rules::ScenarioHeaderCursor header(tables_);
    EXPECT_EQ(core::SjisToUtf8(header.GetTitle()), "試験地図");
    EXPECT_EQ(header.GetDaytime(), 1);
    rules::HexCursor hex(tables_);
    hex.Select(60);
    EXPECT_EQ(hex.GetLandKind(), 5);
    hex.Select(5 + 64 * 5);
    EXPECT_EQ(hex.GetCountry(), 0);
    EXPECT_NE(hex.GetRoad(), 0xFF);  // the road starts at the capital
    hex.Select(59 + 64 * 30);
    EXPECT_EQ(hex.GetRiver(), 1u << 0 | 1u << 3);  // from the west on to the east
    hex.Select(60 + 64 * 30);
    EXPECT_EQ(hex.GetRiver(), 0xFF);  // no river on the sea

    rules::TroopCursor troop(tables_);
    ASSERT_EQ(troop.Select(1), 1);  // blue's second troop: the tanks
    const rules::TroopRecord& tanks = *troop.GetRecord();
    EXPECT_EQ(tanks.Country(), 0);
    EXPECT_EQ(tanks.Hex(), 7 | 7 << 8);
    EXPECT_EQ(tanks.Member(0).Pack(), 1);  // @2
    EXPECT_EQ(tanks.Member(1).Pack(), 1);
    EXPECT_EQ(tanks.Flags() & rules::kTroopOnMap, rules::kTroopOnMap);
    ASSERT_EQ(troop.Select(42), 1);  // red's third troop: aboard the carrier (troop 41)
    EXPECT_EQ(troop.GetRecord()->Carrier(), 41);
    EXPECT_EQ(troop.GetRecord()->Flags() & rules::kTroopAboard, rules::kTroopAboard);

    rules::CountryCursor country(tables_);
    country.Select(1);
    EXPECT_EQ(country.GetSetting82(), 1);  // useFrc01 is the second corps of the list
    EXPECT_EQ(country.GetAllianceMask(), 0x02);
}

TEST_F(Sources, MapSourceFaultsNameTheirLine) {
    struct Case {
        const char* what;
        std::function<void(MapText&)> edit;
        std::string expected;
    };
    const Case cases[] = {
        {"no title", [](MapText& t) { t.map = "clock = 1 6 0\n"; }, "m.txt: the map needs a title"},
        {"short row", [](MapText& t) { t.terrain[3].pop_back(); }, "a row has 63 letters, not 64"},
        {"unknown letter", [](MapText& t) { t.terrain[3][0] = 'Z'; }, "'Z' is no land kind letter"},
        {"63 rows", [](MapText& t) { t.areas.pop_back(); }, "[areas] needs 64 rows, it has 63"},
        {"bad hour", [](MapText& t) { t.map += "clock = 1 24 0\n"; },
         "clock is DAY HOUR(0-23) MINUTE(0-59)"},
        {"unknown section", [](MapText& t) { t.countries += "[weather]\n"; },
         "unknown section [weather]"},
        {"site on the sea", [](MapText& t) { t.sites += "町 0 62,8\n"; }, "a site stands on land"},
        {"port inland", [](MapText& t) { t.sites += "港 0 20,20\n"; },
         "a port lies beside the sea"},
        {"two sites on one hex", [](MapText& t) { t.sites += "町 0 5,5\n"; },
         "two sites on one hex"},
        {"site of an absent country", [](MapText& t) { t.sites += "町 2 30,30\n"; },
         "the owner does not take part in the map"},
        {"unknown site kind", [](MapText& t) { t.sites += "城 0 30,30\n"; },
         "no site kind is named '城'"},
        {"unknown unit", [](MapText& t) { t.troops += "0 8,8 name=x mode=0 units=戦艦\n"; },
         "no unit is named '戦艦'"},
        {"seven members",
         [](MapText& t) { t.troops += "0 8,8 name=x mode=0 units=歩兵小隊*6/歩兵小隊\n"; },
         "a troop has 1 to 6 members, not 7"},
        {"mode 6", [](MapText& t) { t.troops += "0 8,8 name=x mode=6 units=歩兵小隊\n"; },
         "mode is 0-5"},
        {"tank at sea",
         [](MapText& t) { t.troops += "0 62,8 name=x mode=0 units=鉄牙 主力戦車\n"; },
         "the troop cannot stand on terrain class 5"},
        {"two troops on one hex",
         [](MapText& t) { t.troops += "0 6,6 name=x mode=0 units=歩兵小隊\n"; },
         "another troop stands on this hex"},
        {"troop of an absent country",
         [](MapText& t) { t.troops += "3 30,30 name=x mode=0 units=歩兵小隊\n"; },
         "the country does not take part in the map"},
        {"mixed altitudes",
         [](MapText& t) { t.troops += "0 8,8 name=x mode=0 units=歩兵小隊/疾蜂 攻撃ヘリ\n"; },
         "its members must share one altitude"},
        {"aboard nobody",
         [](MapText& t) { t.troops += "0 8,8 name=x mode=0 on=船 units=歩兵小隊\n"; },
         "no earlier troop of the country is named 船"},
        {"carrier that cannot take it",
         [](MapText& t) {
             t.troops += "0 8,8 name=戦車 mode=0 units=鉄牙 主力戦車\n";
             t.troops += "0 8,8 name=x mode=0 on=戦車 units=歩兵小隊\n";
         },
         "戦車 cannot take this troop"},
        {"missing corps file", [](MapText& t) { t.countries += "corps = useFrc09.prm\n"; },
         "no readable corps file useFrc09.prm in USER"},
        {"path off the map", [](MapText& t) { t.roads += "5,5 64,5\n"; },
         "a path is two or more hexes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapText text;
        c.edit(text);
        const std::string error = MapError(text);
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(error.rfind("m.txt", 0), 0u) << error;
    }
}

TEST_F(Sources, EditorMapCheckOnTheTables) {
    // A new map gives the three messages of an empty map.
    rules::GameContext context(tables_);
    context.ResetAllGameTables();
    const std::vector<std::string> fresh = CheckMapTables(tables_);
    ASSERT_EQ(fresh.size(), 3u);
    EXPECT_NE(fresh[0].find("マップ名称が認知できません。"), std::string::npos);
    EXPECT_NE(fresh[1].find("参戦国がいません。"), std::string::npos);
    EXPECT_NE(fresh[2].find("敵対国がありません。"), std::string::npos);

    // Two countries allied with each other have no enemy.
    MapText text;
    text.countries += "allies = 0\n";
    std::string error;
    ASSERT_TRUE(CompileMap(tables_, folder_.Path(), "m.txt", text.Text(), error)) << error;
    rules::CountryCursor country(tables_);
    country.Select(0);
    country.SetAllianceMask(0x03);
    std::vector<std::string> problems = CheckMapTables(tables_);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("敵対国がありません。"), std::string::npos);

    // A country without corps, capital and area is told each, grouped by country.
    country.Select(1);
    country.SetSetting82(0xFFFF);
    rules::HexCursor hex(tables_);
    for (int h = 0; h < rules::kHexCount; ++h) {
        hex.Select(h);
        if (hex.GetCountry() == 1) hex.ClearCountry();
    }
    problems = CheckMapTables(tables_);
    std::vector<std::string> red;
    for (const std::string& p : problems)
        if (p.find("赤国") != std::string::npos) red.push_back(p);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_NE(red[0].find("赤国の軍団が登録されていません"), std::string::npos);
    EXPECT_NE(red[1].find("赤国の司令部配置エリアが設定されていません。"), std::string::npos);
}

TEST_F(Sources, CorpsSourceFaultsNameTheirLine) {
    const std::string hq = "troop name=司令部 mode=3 units=統帥 機動司令部\n";
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"unknown type", Corps("傭兵", hq), "c.txt line 3: no production type is named '傭兵'"},
        {"unit the type does not offer",
         Corps("海軍", hq + "troop name=x mode=0 units=鉄牙 主力戦車\n"),
         "c.txt line 5: 鉄牙 主力戦車 is not offered to this production type"},
        {"launched part", Corps("統合軍", hq + "troop name=x mode=0 units=対艦ミサイル\n"),
         "対艦ミサイル is not offered to this production type"},
        {"two headquarters in a troop",
         Corps("統合軍", "troop name=x mode=3 units=統帥 機動司令部*2\n"),
         "c.txt line 4: a troop holds one headquarters member at most (x)"},
        {"no headquarters to deploy",
         Corps("統合軍", "template name=x mode=3 units=統帥 機動司令部\n"),
         "c.txt: a corps needs a headquarters troop to deploy"},
        {"mixed altitudes",
         Corps("統合軍", hq + "troop name=x mode=0 units=蒼鷹 制空戦闘機/烈光 攻撃機\n"),
         "its members must share one altitude"},
        {"long name", "name = とても長い軍団の名前をつける\ntype = 統合軍\n" + hq,
         "c.txt line 1: the corps name must have 1 to 24 Shift-JIS bytes"},
        {"troop before the type", "name = x\n" + hq + "type = 統合軍\n",
         "c.txt line 2: the production type must come before the troops"},
        {"aboard in a corps", Corps("統合軍", hq + "troop name=x mode=0 on=y units=歩兵小隊\n"),
         "a corps troop starts in the corps, not aboard another"},
        {"unknown setting", Corps("統合軍", "colour = blue\n" + hq), "unknown setting 'colour'"},
        {"pack without fuel", Corps("統合軍", hq + "troop name=x mode=0 units=鉄牙 主力戦車@3\n"),
         "pack 3 of member 1 has no fuel and cannot be chosen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(CompileCorps(tables_, "c.txt", c.text, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }

    std::string many = hq;
    for (int i = 0; i < 81; ++i)
        many += "troop name=t" + std::to_string(i) + " mode=1 units=歩兵小隊\n";
    std::string error;
    EXPECT_FALSE(CompileCorps(tables_, "c.txt", Corps("統合軍", many), error));
    EXPECT_NE(error.find("at most 80 troops and 80 templates"), std::string::npos) << error;
}

TEST_F(Sources, CorpsTroopsAreBuiltAsTheOrganisationKeepsThem) {
    std::string error;
    ASSERT_TRUE(CompileCorps(
        tables_, "c.txt",
        Corps("統合軍",
              "troop name=第001司令部 mode=3 units=統帥 機動司令部\n"
              "template name=戦車隊 mode=0 auto=1 units=鉄牙 主力戦車*2/剛狼 歩兵戦闘車\n"),
        error))
        << error;
    rules::ForceCursor corps(tables_, 5);
    corps.SelectSlot(5);
    EXPECT_EQ(core::SjisToUtf8(corps.GetName()), "試験軍団");
    EXPECT_EQ(corps.GetHeaderWord288(), 0);
    ASSERT_EQ(corps.SelectForceTroop(1), 1);
    const rules::TroopRecord& t = *corps.GetRecord();
    EXPECT_EQ(t.Country(), 5);
    EXPECT_EQ(t.Hex(), rules::kNoHex);
    EXPECT_EQ(t.SlotByte(), 0);
    EXPECT_EQ(t.Flags() & rules::kTroopTemplate, rules::kTroopTemplate);
    EXPECT_EQ(t.AltitudeClass(), 3);
    for (int f = 0; f < rules::kTroopFormationCount; ++f) {
        EXPECT_EQ(t.Formation(f).MemberMap(2), 2);  // every formation holds the three members
        EXPECT_EQ(t.Formation(f).Setting(0), 1);    // automatic engagement
    }
    EXPECT_NE(t.U16(rules::TroopRecord::kIcon), 0xFF);
    std::vector<std::string> problems;
    CheckTroopRecord(tables_, t, "c", true, 1, problems);
    EXPECT_TRUE(problems.empty()) << problems[0];
}

}  // namespace
}  // namespace zv::zvdata
