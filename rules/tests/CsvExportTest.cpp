#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Sjis.h"
#include "rules/files/CsvExport.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/testing/TempFolder.h"

namespace zv::rules {
namespace {

using testing::RuleTableWriter;
using testing::TempFolder;

// Records what the export asks and tells; answers the question as told.
class PromptRecorder : public CsvExportPrompt {
  public:
    explicit PromptRecorder(bool answer) : answer_(answer) {}
    bool Confirm(const std::string& caption, const std::string& text) override {
        log.push_back("ask " + caption + " " + text);
        return answer_;
    }
    void Notify(const std::string& caption, const std::string& text) override {
        log.push_back("tell " + caption + " " + text);
    }
    std::vector<std::string> log;

  private:
    bool answer_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        lines.push_back(core::SjisToUtf8(text.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string::npos) {
            ADD_FAILURE() << "field without its comma in: " << line;
            break;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

std::string ToText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(CsvExport, FieldWritersFollowEveryFieldWithAComma) {
    std::string out;
    WriteCsvText(out, "ab");
    WriteCsvByte(out, 255);
    WriteCsvWord(out, 65535);
    WriteCsvInt(out, -1);
    WriteCsvLong(out, -2147483647 - 1);
    WriteCsvBits8(out, 0x81);
    WriteCsvBits16(out, 0x8001);
    WriteCsvBits32(out, 0x80000003u);
    EXPECT_EQ(out,
              "ab,255,65535,-1,-2147483648,xoooooox,xoooooooooooooox,"
              "xoooooooooooooooooooooooooooooxx,");
}

TEST(CsvExport, HeaderLinesNameEveryColumnInRecordOrder) {
    TableDirectory tables;
    RuleTableWriter::Basic().InstallInto(tables);

    struct Case {
        CsvExportTable table;
        std::size_t columns;
        std::vector<std::pair<std::size_t, std::string>> labels;  // (column, label)
    };
    const Case cases[] = {
        {CsvExportTable::LandKind, 8, {{0, "地形名"}, {3, "補給フラグ"}, {7, "dummy[2]"}}},
        {CsvExportTable::SiteKind, 12, {{5, "耐久度(占領)"}, {8, "夜索敵範囲"}}},
        {CsvExportTable::UnitKind, 14, {{6, "dummy"}, {8, "グラフィック番号"}, {13, "dummy[3]"}}},
        {CsvExportTable::WeaponKd,
         19,
         {{3, "命中率[0]"}, {12, "命中率[9]"}, {18, "追加される命令コマンド"}}},
        {CsvExportTable::MvcostKd,
         176,
         {{0, "コスト[平地]"},
          {28, "コスト[降雪山岳]"},
          {29, "dummy1"},
          {30, "隠蔽率[高空][平地]"},
          {174, "隠蔽率[海中][降雪山岳]"},
          {175, "dummy2"}}},
        {CsvExportTable::UnitInfo,
         91,
         {{3, "防御率[高空]"},
          {12, "防御率[施設]"},
          {16, "１機分の耐久数"},
          {19, "レーダー範囲[高空]"},
          {24, "搭載(何を載せれるか)"},
          {27, "武器種類番号[0]"},
          {33, "パック1弾数1"},
          {41, "パック1ECM／対ミサイル防御地"},
          {76, "パック4燃料"},
          {77, "生産陣営フラグ"},
          {90, "dummy２"}}},
        {CsvExportTable::ActionKd, 8, {{0, "攻撃1"}, {4, "射程"}}},
        {CsvExportTable::DefencKd, 30, {{0, "防御率[平地]"}, {29, "dummy"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GetCsvExportInfo(c.table).fileName);
        const std::vector<std::string> lines = Lines(BuildRuleTableCsv(tables, c.table));
        ASSERT_FALSE(lines.empty());
        const std::vector<std::string> header = Fields(lines[0]);
        ASSERT_EQ(header.size(), c.columns);
        EXPECT_EQ(header, GetCsvHeaderLabels(c.table));
        for (const auto& [column, label] : c.labels) EXPECT_EQ(header[column], label);
    }
}

TEST(CsvExport, OneLinePerRecordThatSelects) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    writer.actionKinds.resize(3);
    writer.defenceKinds.resize(2);
    TableDirectory tables;
    writer.InstallInto(tables);

    const std::pair<CsvExportTable, std::size_t> cases[] = {
        {CsvExportTable::LandKind, 29}, {CsvExportTable::SiteKind, 6},
        {CsvExportTable::UnitKind, 2},  {CsvExportTable::WeaponKd, 2},
        {CsvExportTable::MvcostKd, 2},  {CsvExportTable::UnitInfo, 3},
        {CsvExportTable::ActionKd, 3},  {CsvExportTable::DefencKd, 2},
    };
    for (const auto& [table, records] : cases) {
        SCOPED_TRACE(GetCsvExportInfo(table).fileName);
        const std::vector<std::string> lines = Lines(BuildRuleTableCsv(tables, table));
        ASSERT_EQ(lines.size(), records + 1);
        for (const std::string& line : lines)
            EXPECT_EQ(Fields(line).size(), GetCsvHeaderLabels(table).size()) << line;
    }
}

TEST(CsvExport, ValuesAppearAsTheCursorsReturnThem) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    writer.landKinds[0].SetU8(LandKindRecord::kLaunchFlag, 0x81);
    writer.landKinds[0].SetU16(LandKindRecord::kSupplyFlag, 0x3001);
    writer.unitKinds[0].SetU16(UnitKindRecord::kGraphicNumber, 5);  // 1-based: index 4
    writer.weapons[1].SetU16(WeaponKdRecord::kOptionUnit, 3);       // 1-based: unit 2
    UnitInfoRecord& unit = writer.unitInfos[0];
    unit.SetS32(UnitInfoRecord::kPrice, -1);
    unit.SetS32(UnitInfoRecord::kProductionSides, static_cast<std::int32_t>(0x80000001u));
    unit.SetU16(UnitInfoRecord::kTransformUnit, 0);
    unit.SetU8(UnitInfoRecord::kDefaultPack, 3);  // 1-based: pack 2
    writer.unitInfos[1].SetU16(UnitInfoRecord::kTransformUnit, 2);
    TableDirectory tables;
    writer.InstallInto(tables);

    const std::vector<std::string> land =
        Fields(Lines(BuildRuleTableCsv(tables, CsvExportTable::LandKind))[1]);
    EXPECT_EQ(land[0], "平地");
    EXPECT_EQ(land[1], "xoooooox");
    EXPECT_EQ(land[3], "ooxxooooooooooox");

    EXPECT_EQ(Fields(Lines(BuildRuleTableCsv(tables, CsvExportTable::UnitKind))[1])[8], "4");
    EXPECT_EQ(Fields(Lines(BuildRuleTableCsv(tables, CsvExportTable::WeaponKd))[2])[17], "2");

    const std::vector<std::string> units =
        Lines(BuildRuleTableCsv(tables, CsvExportTable::UnitInfo));
    const std::vector<std::string> first = Fields(units[1]);
    EXPECT_EQ(first[0], "歩兵 小隊");
    EXPECT_EQ(first[25], "2");                               // default pack
    EXPECT_EQ(first[27], "1");                               // weapon id, stored 1-based
    EXPECT_EQ(first[77], "x" + std::string(30, 'o') + "x");  // production sides
    EXPECT_EQ(first[78], "-1");                              // price
    EXPECT_EQ(first[82], "65535");                           // no transformation
    EXPECT_EQ(Fields(units[2])[82], "1");
}

TEST(CsvExport, NameThatFillsItsFieldExportsOnlyTheField) {
    RuleTableWriter writer = RuleTableWriter::Basic();
    // Sixteen bytes without a NUL, followed by the launch flag byte 'Z' in the record.
    writer.landKinds[0].SetText(LandKindRecord::kName, 16, "ABCDEFGHIJKLMNOP");
    writer.landKinds[0].SetU8(LandKindRecord::kLaunchFlag, 'Z');
    writer.siteKinds[0].SetText(SiteKindRecord::kName, 16, "0123456789abcdef");
    writer.siteKinds[0].SetU16(SiteKindRecord::kIncome, 0x5959);
    TableDirectory tables;
    writer.InstallInto(tables);

    EXPECT_EQ(Fields(Lines(BuildRuleTableCsv(tables, CsvExportTable::LandKind))[1])[0],
              "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Fields(Lines(BuildRuleTableCsv(tables, CsvExportTable::SiteKind))[1])[0],
              "0123456789abcdef");
}

TEST(CsvExport, CommandAsksWritesTheWholeFileAndTells) {
    TableDirectory tables;
    RuleTableWriter::Basic().InstallInto(tables);
    TempFolder folder;

    for (CsvExportTable table : kCsvExportTables) {
        const CsvExportInfo& info = GetCsvExportInfo(table);
        SCOPED_TRACE(info.fileName);
        // An older, longer file of the same name loses its tail.
        folder.Put(info.fileName, std::vector<std::uint8_t>(2'000'000, 'q'));
        PromptRecorder prompt(true);
        EXPECT_TRUE(ExportRuleTableCsv(tables, table, folder.Path(), prompt));
        EXPECT_EQ(ToText(folder.Get(info.fileName)), BuildRuleTableCsv(tables, table));
        const std::vector<std::string> expected = {
            std::string("ask CSVファイル作成 ") + info.question,
            std::string("tell CSVファイル作成 ") + info.doneText};
        EXPECT_EQ(prompt.log, expected);
    }
}

TEST(CsvExport, CommandTextsAndFilesOfEachMenuItem) {
    struct Case {
        CsvExportTable table;
        int menuId;
        const char* file;
        const char* done;
    };
    const Case cases[] = {
        {CsvExportTable::LandKind, 40048, "LandKind.csv", "LandKind.csvを作成しました。"},
        {CsvExportTable::SiteKind, 40049, "SiteKind.csv", "SiteKind.csvを作成しました。"},
        {CsvExportTable::UnitKind, 40050, "UnitKind.csv", "UnitKind.csvを作成しました。"},
        {CsvExportTable::WeaponKd, 40051, "WeaponKd.csv", "WeaponKd.csvを作成しました。"},
        {CsvExportTable::MvcostKd, 40052, "Mvcostkd.csv", "MvcostKd.csvを作成しました。"},
        {CsvExportTable::UnitInfo, 40053, "UnitInfo.csv", "UnitInfo.csvを作成しました。"},
        {CsvExportTable::ActionKd, 40054, "ActionKd.csv", "AcitonKd.csvを作成しました。"},
        {CsvExportTable::DefencKd, 40089, "DefencKd.csv", "DefencKd.csvを作成しました。"},
    };
    for (const Case& c : cases) {
        const CsvExportInfo& info = GetCsvExportInfo(c.table);
        EXPECT_EQ(info.menuId, c.menuId);
        EXPECT_STREQ(info.fileName, c.file);
        EXPECT_STREQ(info.doneText, c.done);
    }
    EXPECT_STREQ(GetCsvExportInfo(CsvExportTable::MvcostKd).question,
                 "MvcostKd.datからMvcostKd.csvを作成します。");
    EXPECT_STREQ(GetCsvExportInfo(CsvExportTable::DefencKd).failureText,
                 "DefencKd.csvの作成に失敗しました。");
}

TEST(CsvExport, CancelWritesNothingAndSaysNothingMore) {
    TableDirectory tables;
    RuleTableWriter::Basic().InstallInto(tables);
    TempFolder folder;
    folder.Put("UnitInfo.csv", {'o', 'l', 'd'});

    PromptRecorder prompt(false);
    EXPECT_FALSE(ExportUnitInfoCsv(tables, folder.Path(), prompt));
    EXPECT_EQ(prompt.log.size(), 1u);
    EXPECT_EQ(ToText(folder.Get("UnitInfo.csv")), "old");
}

TEST(CsvExport, UnwritableFolderReportsTheFailureText) {
    TableDirectory tables;
    RuleTableWriter::Basic().InstallInto(tables);
    TempFolder folder;

    PromptRecorder prompt(true);
    EXPECT_FALSE(ExportWeaponKdCsv(tables, folder.File("missing/folder"), prompt));
    ASSERT_EQ(prompt.log.size(), 2u);
    EXPECT_EQ(prompt.log[1], "tell CSVファイル作成 WeaponKd.csvの作成に失敗しました。");
}

}  // namespace
}  // namespace zv::rules
