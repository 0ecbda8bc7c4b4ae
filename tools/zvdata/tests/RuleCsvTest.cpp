#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/core/Sjis.h"
#include "rules/files/DatFile.h"
#include "rules/records/RuleRecords.h"
#include "rules/testing/TempFolder.h"
#include "tools/zvdata/RuleCsv.h"
#include "tools/zvdata/RuleSetCheck.h"

namespace zv::zvdata {
namespace {

using rules::TableDirectory;
using rules::TableId;
using rules::testing::TempFolder;

std::string ReadSource(const std::string& name) {
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/data/rules/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ShippedSjis(TableId id) {
    const RuleCsvTable& table = GetRuleCsvTable(id);
    std::string sjis, error;
    EXPECT_TRUE(CsvSourceToSjis(table.csvName, ReadSource(table.csvName), sjis, error)) << error;
    return sjis;
}

RuleTableImage Compile(TableId id, const std::string& sjis) {
    RuleTableImage image;
    std::string error;
    EXPECT_TRUE(CompileRuleCsv(id, GetRuleCsvTable(id).csvName, sjis, image, error)) << error;
    return image;
}

// The shipped rule set, compiled and put into a directory as if loaded.
void InstallShipped(TableDirectory& tables) {
    for (const RuleCsvTable& table : GetRuleCsvTables()) {
        const RuleTableImage image = Compile(table.id, ShippedSjis(table.id));
        ASSERT_TRUE(tables.InstallRuleTable(table.id, image.count, image.body));
    }
}

std::string CompileError(TableId id, const std::string& sjis) {
    RuleTableImage image;
    std::string error;
    EXPECT_FALSE(CompileRuleCsv(id, "test.csv", sjis, image, error));
    return error;
}

// Replaces the first occurrence of `from` in line `line` (0 = header) of a CR LF text.
std::string EditLine(std::string text, int line, const std::string& from, const std::string& to) {
    std::size_t start = 0;
    for (int i = 0; i < line; ++i) start = text.find("\r\n", start) + 2;
    const std::size_t end = text.find("\r\n", start);
    const std::size_t at = text.find(from, start);
    EXPECT_TRUE(at != std::string::npos && at < end) << "'" << from << "' not in line " << line;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string DropLines(std::string text, int keep) {
    std::size_t at = 0;
    for (int i = 0; i < keep; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(0, at);
}

TEST(RuleCsv, ShippedTablesSurviveCompileLoadAndExportByteForByte) {
    TempFolder folder;
    std::vector<std::string> sources;
    for (const RuleCsvTable& table : GetRuleCsvTables()) {
        sources.push_back(ShippedSjis(table.id));
        const RuleTableImage image = Compile(table.id, sources.back());
        std::string error;
        ASSERT_TRUE(rules::WriteDatFile(folder.File(rules::GetTableLayout(table.id).fileName),
                                        rules::DatFileKindOf(table.id), image.count, image.body,
                                        kRuleTableId, error))
            << error;
    }
    TableDirectory tables;
    ASSERT_EQ(tables.LoadAllTables(folder.Path()), 1) << tables.LastError();

    std::size_t i = 0;
    for (const RuleCsvTable& table : GetRuleCsvTables()) {
        SCOPED_TRACE(table.csvName);
        const std::string exported = BuildRuleCsv(tables, table.id);
        EXPECT_EQ(exported.size(), sources[i].size());
        EXPECT_TRUE(exported == sources[i]) << "the export differs from the source";
        EXPECT_EQ(std::string(tables.GetEntry(table.id).id, 8), std::string(kRuleTableId, 8));
        ++i;
    }
}

TEST(RuleCsv, ShippedRuleSetMeetsWhatTheRulesRelyOn) {
    TableDirectory tables;
    InstallShipped(tables);
    EXPECT_EQ(tables.GetTableRecordCount(TableId::LandKind), 29);
    EXPECT_EQ(tables.GetTableRecordCount(TableId::SiteKind), 6);
    EXPECT_GE(tables.GetTableRecordCount(TableId::UnitKind), 128);
    EXPECT_GE(tables.GetTableRecordCount(TableId::ProKind), 32);
    const std::vector<std::string> problems = CheckRuleTables(tables);
    for (const std::string& p : problems) ADD_FAILURE() << p;
}

TEST(RuleCsv, SourcesConvertWithEitherLineEnd) {
    std::string fromLf, fromCrLf, error;
    ASSERT_TRUE(CsvSourceToSjis("a.csv", "地形名,\n平地,\n", fromLf, error)) << error;
    ASSERT_TRUE(CsvSourceToSjis("a.csv", "地形名,\r\n平地,\r\n", fromCrLf, error)) << error;
    EXPECT_EQ(fromLf, fromCrLf);
    EXPECT_EQ(fromLf, core::Utf8ToSjis("地形名,") + "\r\n" + core::Utf8ToSjis("平地,") + "\r\n");

    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"ok,\nsmile \xF0\x9F\x98\x80,\n",
         "a.csv line 2: holds characters that Shift-JIS cannot store"},
        {"ok,\n\xFF\xFE,\n", "a.csv line 2: not UTF-8 text"},
        {"ok,\nab\xE3\x81,\n", "a.csv line 2: not UTF-8 text"},
        {"ok,\rmore,\n", "a.csv line 1: stray carriage return"},
    };
    for (const Case& c : cases) {
        std::string sjis;
        EXPECT_FALSE(CsvSourceToSjis("a.csv", c.text, sjis, error));
        EXPECT_EQ(error, c.expected);
    }
}

TEST(RuleCsv, ValuesShownThroughAccessorsAreStoredAsTheRecordHoldsThem) {
    const std::string units = ShippedSjis(TableId::UnitInfo);
    // Record 1: default pack column 25 shows 0 (stored 1); transform 65535 (stored 0).
    RuleTableImage image = Compile(TableId::UnitInfo, units);
    const std::uint8_t* first = image.body.data() + rules::UnitInfoRecord::kSize;
    EXPECT_EQ(first[rules::UnitInfoRecord::kDefaultPack], 1);
    EXPECT_EQ(rules::ReadU16(first, rules::UnitInfoRecord::kTransformUnit), 0);

    const std::string kinds = ShippedSjis(TableId::UnitKind);
    image = Compile(TableId::UnitKind, kinds);
    EXPECT_EQ(rules::ReadU16(image.body.data(), rules::UnitKindRecord::kGraphicNumber), 1);

    const std::string weapons = ShippedSjis(TableId::WeaponKd);
    image = Compile(TableId::WeaponKd, weapons);
    bool sawNone = false, sawUnit = false;
    for (std::size_t r = 0; r < image.count; ++r) {
        const std::uint16_t option = rules::ReadU16(image.body.data() + r * 36, 32);
        sawNone |= option == 0;
        sawUnit |= option >= 2;
        EXPECT_NE(option, 1) << "stored 1 would show as 0, the same as none";
    }
    EXPECT_TRUE(sawNone && sawUnit);
}

TEST(RuleCsv, MalformedTablesAreRefusedNamingLineAndColumn) {
    const std::string actions = ShippedSjis(TableId::ActionKd);
    const std::string sites = ShippedSjis(TableId::SiteKind);
    const std::string lands = ShippedSjis(TableId::LandKind);
    const std::string units = ShippedSjis(TableId::UnitInfo);

    struct Case {
        const char* what;
        TableId id;
        std::string text;
        std::string expected;
    };
    const std::string header = core::Utf8ToSjis("攻撃1");
    const Case cases[] = {
        {"header of another table", TableId::ActionKd, EditLine(actions, 0, header, "x"),
         "test.csv line 1: the header is not the export's header of this table"},
        {"no comma after the last field", TableId::ActionKd,
         EditLine(actions, 1, ",0,\r\n", ",0\r\n"),
         "test.csv line 2 (record 0): the last field has no comma after it"},
        {"a field too few", TableId::ActionKd, EditLine(actions, 1, "0,0,", "0,"),
         "test.csv line 2 (record 0): 7 fields, the header has 8"},
        {"byte above 255", TableId::ActionKd, EditLine(actions, 1, "0,", "256,"),
         "test.csv line 2 (record 0), column 攻撃1: '256' does not fit the field (at most 255)"},
        {"leading zero", TableId::ActionKd, EditLine(actions, 2, "0,", "00,"),
         "test.csv line 3 (record 1), column 攻撃1: '00' is not a number"},
        {"sign", TableId::ActionKd, EditLine(actions, 2, "0,", "-1,"),
         "test.csv line 3 (record 1), column 攻撃1: '-1' is not a number"},
        {"bit marks", TableId::SiteKind, EditLine(sites, 1, "ooooooxx", "ooooooxy"),
         "test.csv line 2 (record 0), column 性能フラグ: 'ooooooxy' holds a mark other than 'x' "
         "and 'o'"},
        {"bit count", TableId::SiteKind, EditLine(sites, 1, "ooooooxx", "oooooxx"),
         "test.csv line 2 (record 0), column 性能フラグ: 'oooooxx' is not 8 bit marks"},
        {"name longer than its field", TableId::SiteKind,
         EditLine(sites, 1, core::Utf8ToSjis("首都"), core::Utf8ToSjis("とても長い首都の名前")),
         "test.csv line 2 (record 0), column 建物名: 'とても長い首都の名前' is 20 bytes, the field "
         "holds 16"},
        {"seven site kinds", TableId::SiteKind,
         sites + DropLines(sites, 2).substr(DropLines(sites, 1).size()),
         "test.csv: 7 records, the table takes 6"},
        {"28 land kinds", TableId::LandKind, DropLines(lands, 29),
         "test.csv: 28 records, the table takes 29"},
        {"missing last line end", TableId::ActionKd, actions.substr(0, actions.size() - 2),
         "test.csv: the last line has no line end"},
        {"default pack beyond a byte", TableId::UnitInfo,
         EditLine(units, 2, ",oooooooo,0,0,", ",oooooooo,255,0,"),
         "test.csv line 3 (record 1), column デフォルト装備パック番号: '255' does not fit the "
         "field (at most 254)"},
        {"price beyond 32 bits", TableId::UnitInfo, EditLine(units, 2, ",700,", ",2147483648,"),
         "test.csv line 3 (record 1), column 価格: '2147483648' is not a 32-bit number"},
        {"empty file", TableId::ActionKd, "", "test.csv: empty file, the header line is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CompileError(c.id, c.text), c.expected);
    }
}

TEST(RuleCsv, RuleSetCheckNamesWhatTheRulesCannotUse) {
    using namespace rules;
    struct Case {
        const char* what;
        std::function<void(TableDirectory&)> damage;
        std::string expected;  // a substring of one problem
    };
    auto unit = [](TableDirectory& t, int i) {
        return t.GetTableBase(TableId::UnitInfo) +
               static_cast<std::size_t>(i) * UnitInfoRecord::kSize;
    };
    auto weapon = [](TableDirectory& t, int id) {
        return t.GetTableBase(TableId::WeaponKd) +
               static_cast<std::size_t>(id - 1) * WeaponKdRecord::kSize;
    };
    auto kind = [](TableDirectory& t, int i) {
        return t.GetTableBase(TableId::UnitKind) +
               static_cast<std::size_t>(i) * UnitKindRecord::kSize;
    };
    // Finds a weapon id by type.
    auto weaponOfType = [](TableDirectory& t, int type) {
        for (int id = 1; id <= t.GetTableRecordCount(TableId::WeaponKd); ++id)
            if (t.GetTableBase(TableId::WeaponKd)[(id - 1) * WeaponKdRecord::kSize +
                                                  WeaponKdRecord::kWeaponType] == type)
                return id;
        return 0;
    };
    const Case cases[] = {
        {"headquarters kind emptied",
         [&](TableDirectory& t) { WriteU8(kind(t, 101), UnitKindRecord::kKindType, 0xFF); },
         "unitkind.dat record 101, 種類: the rules give this kind a fixed meaning"},
        {"kind type beyond the supply bits",
         [&](TableDirectory& t) { WriteU8(kind(t, 40), UnitKindRecord::kKindType, 12); },
         "is no kind type"},
        {"altitude class 0",
         [&](TableDirectory& t) { WriteU8(unit(t, 1), UnitInfoRecord::kAltitudeClass, 0); },
         "unitinfo.dat record 1 (蒼鷹 制空戦闘機), 高度識別: 0 is no altitude class (1-5)"},
        {"nine machines",
         [&](TableDirectory& t) { WriteU8(unit(t, 1), UnitInfoRecord::kMaxStrength, 9); },
         "9: a platoon has 1 to 8 machines"},
        {"durability beyond a byte",
         [&](TableDirectory& t) { WriteU8(unit(t, 1), UnitInfoRecord::kDurabilityPerUnit, 200); },
         "full durability 400 does not fit"},
        {"default pack without fuel",
         [&](TableDirectory& t) {
             WriteU16(unit(t, 1), UnitInfoRecord::PackOffset(0) + UnitInfoRecord::kPackFuel, 0);
         },
         "the default pack has no fuel"},
        {"unknown unit kind",
         [&](TableDirectory& t) { WriteU8(unit(t, 1), UnitInfoRecord::kUnitKind, 200); },
         "200 names no unit kind"},
        {"absent production type",
         [&](TableDirectory& t) {
             WriteU32(unit(t, 1), UnitInfoRecord::kProductionSides, 1u << 20);
         },
         "production type 20 does not exist"},
        {"weapon beyond the table",
         [&](TableDirectory& t) { WriteU16(unit(t, 1), UnitInfoRecord::kWeaponId, 999); },
         "999 names no weapon"},
        {"launch weapon without its unit",
         [&](TableDirectory& t) {
             WriteU16(weapon(t, weaponOfType(t, 20)), WeaponKdRecord::kOptionUnit, 0);
         },
         "a launch weapon must name the unit it launches"},
        {"missile that cannot fly over the sea",
         [&](TableDirectory& t) {
             const int option =
                 ReadU16(weapon(t, weaponOfType(t, 20)), WeaponKdRecord::kOptionUnit) - 1;
             WriteU16(unit(t, option), UnitInfoRecord::kMoveCostKind, 3);  // tracked vehicles
         },
         "cannot cross terrain 3"},
        {"cruise missile without a bomb",
         [&](TableDirectory& t) {
             const int option =
                 ReadU16(weapon(t, weaponOfType(t, 23)), WeaponKdRecord::kOptionUnit) - 1;
             const int warhead = ReadU16(unit(t, option), UnitInfoRecord::kWeaponId);
             WriteU8(weapon(t, warhead), WeaponKdRecord::kWeaponType, 2);
         },
         "has no loaded bomb of range 1 that hits sites"},
        {"missile range beyond its fuel",
         [&](TableDirectory& t) {
             WriteU8(weapon(t, weaponOfType(t, 20)), WeaponKdRecord::kRange, 60);
         },
         "range 60 is beyond the fuel of"},
        {"site that falls at once",
         [&](TableDirectory& t) {
             WriteU8(t.GetTableBase(TableId::SiteKind), SiteKindRecord::kCaptureDurability, 0);
         },
         "sitekind.dat record 0 (首都), 耐久度(占領): 0: the site would fall at once"},
        {"no headquarters for a type",
         [&](TableDirectory& t) {
             for (int i = 0; i < t.GetTableRecordCount(TableId::UnitInfo); ++i)
                 if (ReadU8(unit(t, i), UnitInfoRecord::kUnitKind) == 101)
                     WriteU32(unit(t, i), UnitInfoRecord::kProductionSides, 1);
         },
         "no headquarters unit can be produced for this type"},
        {"concealment above 100",
         [&](TableDirectory& t) {
             WriteU8(t.GetTableBase(TableId::MvcostKd), MvcostKdRecord::ConcealmentOffset(2, 7),
                     101);
         },
         "mvcostkd.dat record 0, 隠蔽率: layer 2 terrain 7: above 100 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableDirectory tables;
        InstallShipped(tables);
        c.damage(tables);
        const std::vector<std::string> problems = CheckRuleTables(tables);
        bool found = false;
        for (const std::string& p : problems) found |= p.find(c.expected) != std::string::npos;
        EXPECT_TRUE(found) << "expected: " << c.expected << "\nfound " << problems.size()
                           << " problems" << (problems.empty() ? "" : ", first: " + problems[0]);
    }
}

}  // namespace
}  // namespace zv::zvdata
