#include "rules/files/CsvExport.h"

#include <array>
#include <string>

#include "platform/core/Files.h"
#include "platform/core/Sjis.h"
#include "rules/files/DatFile.h"
#include "rules/records/RuleCursors.h"

namespace zv::rules {

namespace {

constexpr const char* kTerrainNames[kTerrainCount] = {
    "平地",   "荒地",   "湿地",   "湖",     "浅瀬",    "海",       "林",       "森",
    "丘",     "山",     "山岳",   "砂漠",   "砂丘",    "道路",     "川",       "首都",
    "大都市", "都市",   "町",     "空港",   "港",      "降雪平地", "降雪荒地", "降雪湿地",
    "降雪林", "降雪森", "降雪丘", "降雪山", "降雪山岳"};
constexpr const char* kLayerNames[kAltitudeLayerCount] = {"高空", "低空", "地上", "海上", "海中"};
constexpr const char* kTargetClassNames[kTargetClassCount] = {
    "高空", "中空", "低空", "車両", "歩兵", "司令部", "海上", "海中", "ミサイル", "施設"};

// The indexes each export tries; those that do not select are skipped.
constexpr int kLandKindTries = 29;
constexpr int kSiteKindTries = 6;
constexpr int kUnitKindTries = 256;
constexpr int kWeaponIdTries = 1024;  // ids 0-1023; id 0 never selects
constexpr int kMvcostKdTries = 1024;
constexpr int kUnitInfoTries = 2000;
constexpr int kActionKdTries = 256;
constexpr int kDefencKdTries = 256;

const CsvExportInfo kInfos[] = {
    {40048, "地形種類CSV", "LandKind.csv", TableId::LandKind,
     "LandKind.datからLandKind.csvを作成します。", "LandKind.csvを作成しました。",
     "LandKind.csvの作成に失敗しました。"},
    {40049, "建物種類CSV", "SiteKind.csv", TableId::SiteKind,
     "SiteKind.datからSiteKind.csvを作成します。", "SiteKind.csvを作成しました。",
     "SiteKind.csvの作成に失敗しました。"},
    {40050, "兵器種類CSV", "UnitKind.csv", TableId::UnitKind,
     "UnitKind.datからUnitKind.csvを作成します。", "UnitKind.csvを作成しました。",
     "UnitKind.csvの作成に失敗しました。"},
    {40051, "武器種類CSV", "WeaponKd.csv", TableId::WeaponKd,
     "WeaponKd.datからWeaponKd.csvを作成します。", "WeaponKd.csvを作成しました。",
     "WeaponKd.csvの作成に失敗しました。"},
    {40052, "移動コストCSV", "Mvcostkd.csv", TableId::MvcostKd,
     "MvcostKd.datからMvcostKd.csvを作成します。", "MvcostKd.csvを作成しました。",
     "MvcostKd.csvの作成に失敗しました。"},
    {40053, "兵器情報CSV", "UnitInfo.csv", TableId::UnitInfo,
     "UnitInfo.datからUnitInfo.csvを作成します。", "UnitInfo.csvを作成しました。",
     "UnitInfo.csvの作成に失敗しました。"},
    // The done text keeps the game's own spelling.
    {40054, "行動アクションCSV", "ActionKd.csv", TableId::ActionKd,
     "ActionKd.datからActionKd.csvを作成します。", "AcitonKd.csvを作成しました。",
     "ActionKd.csvの作成に失敗しました。"},
    {40089, "地形防御種類CSV", "DefencKd.csv", TableId::DefencDk,
     "DefencKd.datからDefencKd.csvを作成します。", "DefencKd.csvを作成しました。",
     "DefencKd.csvの作成に失敗しました。"},
};

std::string Format(const char* pattern, const char* a, const char* b = "") {
    std::string out = pattern;
    const auto first = out.find("%s");
    if (first != std::string::npos) out.replace(first, 2, a);
    const auto second = out.find("%s");
    if (second != std::string::npos) out.replace(second, 2, b);
    return out;
}

std::vector<std::string> BuildLabels(CsvExportTable table) {
    std::vector<std::string> labels;
    auto add = [&labels](std::initializer_list<const char*> items) {
        for (const char* item : items) labels.emplace_back(item);
    };
    switch (table) {
        case CsvExportTable::LandKind:
            add({"地形名", "発進フラグ", "搭載フラグ", "補給フラグ", "グラフィック番号", "dummy[0]",
                 "dummy[1]", "dummy[2]"});
            break;
        case CsvExportTable::SiteKind:
            add({"建物名", "収入", "燃料", "物資", "性能フラグ", "耐久度(占領)", "耐久度(破壊)",
                 "昼索敵範囲", "夜索敵範囲", "dummy[0]", "dummy[1]", "dummy[2]"});
            break;
        case CsvExportTable::UnitKind:
            add({"兵器タイプ名", "種類", "補給性能フラグ", "性能フラグ", "兵器分類フラグ",
                 "特殊能力フラグ", "dummy", "行動型フラグ", "グラフィック番号", "説明文字列番号",
                 "dummy[0]", "dummy[1]", "dummy[2]", "dummy[3]"});
            break;
        case CsvExportTable::WeaponKd:
            add({"武器名", "武器種類", "搭載フラグ"});
            for (int i = 0; i < kTargetClassCount; ++i)
                labels.push_back("命中率[" + std::to_string(i) + "]");
            add({"破壊力", "同時発射数", "発射カウント", "射程", "オプション時の兵器番号",
                 "追加される命令コマンド"});
            break;
        case CsvExportTable::MvcostKd:
            for (const char* terrain : kTerrainNames)
                labels.push_back(Format("コスト[%s]", terrain));
            add({"dummy1"});
            for (const char* layer : kLayerNames)
                for (const char* terrain : kTerrainNames)
                    labels.push_back(Format("隠蔽率[%s][%s]", layer, terrain));
            add({"dummy2"});
            break;
        case CsvExportTable::UnitInfo:
            add({"兵器名", "兵器種類番号", "高度識別"});
            for (const char* name : kTargetClassNames) labels.push_back(Format("防御率[%s]", name));
            add({"搭載可能フラグ", "防御タイプ", "小隊最大数", "１機分の耐久数", "昼間の視界",
                 "夜の視界"});
            for (const char* layer : kLayerNames)
                labels.push_back(Format("レーダー範囲[%s]", layer));
            add({"搭載(何を載せれるか)", "デフォルト装備パック番号", "補給可能兵器種類"});
            for (int w = 0; w < kWeaponSlotCount; ++w)
                labels.push_back("武器種類番号[" + std::to_string(w) + "]");
            for (int p = 1; p <= kPackCount; ++p) {
                const std::string pack = "パック" + std::to_string(p);
                for (int w = 1; w <= kWeaponSlotCount; ++w)
                    labels.push_back(pack + "弾数" + std::to_string(w));
                labels.push_back(pack + "スピード変化");
                labels.push_back(pack + "燃料タンク数");
                labels.push_back(pack + "ECM／対ミサイル防御地");
                labels.push_back(pack + "兵器搭載フラグスイッチ");
                labels.push_back(pack + "燃料");
            }
            add({"生産陣営フラグ", "価格", "部隊搭載総重量", "重量", "燃料価格", "変形兵器番号",
                 "移動カウント番号", "行動アクション番号", "シルエット番号", "可能命令コマンド",
                 "変形時間", "特殊能力", "防御率種類", "dummy２"});
            break;
        case CsvExportTable::ActionKd:
            add({"攻撃1", "攻撃2", "防御1", "防御2", "射程", "dummy[0]", "dummy[1]", "dummy[2]"});
            break;
        case CsvExportTable::DefencKd:
            for (const char* terrain : kTerrainNames)
                labels.push_back(Format("防御率[%s]", terrain));
            add({"dummy"});
            break;
    }
    return labels;
}

void WriteBits(std::string& out, std::uint32_t value, int count) {
    for (int n = count - 1; n >= 0; --n) out += ((value >> n) & 1u) ? 'x' : 'o';
    out += ',';
}

void EndLine(std::string& out) {
    out += "\r\n";
}

void WriteHeader(std::string& out, CsvExportTable table) {
    for (const std::string& label : GetCsvHeaderLabels(table)) {
        out += core::Utf8ToSjis(label);
        out += ',';
    }
    EndLine(out);
}

void WriteLandKinds(std::string& out, const TableDirectory& tables) {
    LandKindCursor cursor(tables);
    for (int i = 0; i < kLandKindTries; ++i) {
        if (!cursor.Select(i)) continue;
        WriteCsvText(out, cursor.GetName());
        WriteCsvBits8(out, cursor.GetLaunchFlag());
        WriteCsvBits8(out, cursor.GetLoadFlag());
        WriteCsvBits16(out, cursor.GetSupplyFlag());
        WriteCsvByte(out, cursor.GetGraphicNumber());
        for (int d = 0; d < 3; ++d) WriteCsvByte(out, cursor.GetDummy(d));
        EndLine(out);
    }
}

void WriteSiteKinds(std::string& out, const TableDirectory& tables) {
    SiteKindCursor cursor(tables);
    for (int i = 0; i < kSiteKindTries; ++i) {
        if (!cursor.Select(i)) continue;
        WriteCsvText(out, cursor.GetName());
        WriteCsvWord(out, cursor.GetIncome());
        WriteCsvWord(out, cursor.GetFuel());
        WriteCsvWord(out, cursor.GetSupplies());
        WriteCsvBits8(out, cursor.GetPerformanceFlags());
        WriteCsvByte(out, cursor.GetCaptureDurability(0));
        WriteCsvByte(out, cursor.GetDestroyDurability(0));
        WriteCsvByte(out, cursor.GetDaySearchRange());
        WriteCsvByte(out, cursor.GetNightSearchRange());
        for (int d = 0; d < 3; ++d) WriteCsvByte(out, cursor.GetDummy(d));
        EndLine(out);
    }
}

void WriteUnitKinds(std::string& out, const TableDirectory& tables) {
    UnitKindCursor cursor(tables);
    for (int i = 0; i < kUnitKindTries; ++i) {
        if (!cursor.Select(i)) continue;
        WriteCsvText(out, cursor.GetName());
        WriteCsvByte(out, cursor.GetKindType());
        WriteCsvBits8(out, cursor.GetSupplyFlags());
        WriteCsvBits8(out, cursor.GetPerformanceFlags());
        WriteCsvBits8(out, cursor.GetClassFlags());
        WriteCsvBits8(out, cursor.GetSpecialFlags());
        WriteCsvByte(out, cursor.GetDummy29());
        WriteCsvBits16(out, cursor.GetActionTypeFlags());
        WriteCsvWord(out, cursor.GetGraphicIndex());
        WriteCsvWord(out, cursor.GetDescriptionNumber());
        for (int d = 0; d < 4; ++d) WriteCsvByte(out, cursor.GetDummy(d));
        EndLine(out);
    }
}

void WriteWeapons(std::string& out, const TableDirectory& tables) {
    WeaponKdCursor cursor(tables);
    for (int id = 0; id < kWeaponIdTries; ++id) {
        if (!cursor.Select(id)) continue;
        WriteCsvText(out, cursor.GetName());
        WriteCsvByte(out, cursor.GetWeaponType());
        WriteCsvBits8(out, cursor.GetLoadFlags());
        for (int k = 0; k < kTargetClassCount; ++k) WriteCsvByte(out, cursor.GetHitRate(k));
        WriteCsvByte(out, cursor.GetPower());
        WriteCsvByte(out, cursor.GetSalvo());
        WriteCsvByte(out, cursor.GetFireCount());
        WriteCsvByte(out, cursor.GetRange());
        WriteCsvWord(out, cursor.GetOptionUnit());
        WriteCsvBits16(out, cursor.GetAddedCommands());
        EndLine(out);
    }
}

void WriteMvcostKinds(std::string& out, const TableDirectory& tables) {
    MvcostKdCursor cursor(tables);
    for (int i = 0; i < kMvcostKdTries; ++i) {
        if (!cursor.Select(i)) continue;
        for (int t = 0; t < kTerrainCount; ++t) WriteCsvByte(out, cursor.GetCost(t));
        WriteCsvByte(out, cursor.GetDummy1());
        for (int layer = 0; layer < kAltitudeLayerCount; ++layer)
            for (int t = 0; t < kTerrainCount; ++t)
                WriteCsvByte(out, cursor.GetConcealment(layer, t));
        WriteCsvByte(out, cursor.GetDummy2());
        EndLine(out);
    }
}

void WriteUnitInfos(std::string& out, const TableDirectory& tables) {
    UnitInfoCursor cursor(tables);
    for (int i = 0; i < kUnitInfoTries; ++i) {
        if (!cursor.Select(i)) continue;
        WriteCsvText(out, cursor.GetName());
        WriteCsvByte(out, cursor.GetUnitKind());
        WriteCsvByte(out, cursor.GetAltitudeClass());
        for (int k = 0; k < kTargetClassCount; ++k) WriteCsvByte(out, cursor.GetDefenceRate(k));
        WriteCsvBits8(out, cursor.GetLoadableFlags());
        WriteCsvByte(out, cursor.GetDefenceType());
        WriteCsvByte(out, cursor.GetMaxStrength());
        WriteCsvByte(out, cursor.GetDurabilityPerUnit());
        WriteCsvByte(out, cursor.GetDaySight());
        WriteCsvByte(out, cursor.GetNightSight());
        for (int layer = 0; layer < kAltitudeLayerCount; ++layer)
            WriteCsvByte(out, cursor.GetRadarRange(layer));
        WriteCsvBits8(out, cursor.GetLoadFlags());
        WriteCsvByte(out, cursor.GetDefaultPack());
        WriteCsvByte(out, cursor.GetSupplyableKinds());
        for (int w = 0; w < kWeaponSlotCount; ++w) WriteCsvWord(out, cursor.GetWeaponId(w));
        for (int p = 0; p < kPackCount; ++p) {
            for (int w = 0; w < kWeaponSlotCount; ++w) WriteCsvByte(out, cursor.GetPackAmmo(p, w));
            WriteCsvByte(out, cursor.GetPackSpeedChange(p));
            WriteCsvByte(out, cursor.GetPackFuelTanks(p));
            WriteCsvByte(out, cursor.GetPackEcm(p));
            WriteCsvByte(out, cursor.GetPackWeaponSwitch(p));
            WriteCsvWord(out, cursor.GetPackFuel(p));
        }
        WriteCsvBits32(out, static_cast<std::uint32_t>(cursor.GetProductionSides()));
        WriteCsvInt(out, cursor.GetPrice());
        WriteCsvWord(out, cursor.GetCarryWeightTotal());
        WriteCsvWord(out, cursor.GetWeight());
        WriteCsvWord(out, cursor.GetFuelPrice());
        WriteCsvWord(out, cursor.GetTransformUnit());
        WriteCsvWord(out, cursor.GetMoveCostKind());
        WriteCsvWord(out, cursor.GetActionKind());
        WriteCsvWord(out, cursor.GetSilhouette());
        WriteCsvBits16(out, cursor.GetCommandFlags());
        WriteCsvByte(out, cursor.GetTransformTime());
        WriteCsvBits8(out, cursor.GetSpecialAbility());
        WriteCsvByte(out, cursor.GetDefenceKind());
        WriteCsvByte(out, cursor.GetDummy2());
        EndLine(out);
    }
}

void WriteActionKinds(std::string& out, const TableDirectory& tables) {
    ActionKdCursor cursor(tables);
    for (int i = 0; i < kActionKdTries; ++i) {
        if (!cursor.Select(i)) continue;
        WriteCsvByte(out, cursor.GetAttack(0));
        WriteCsvByte(out, cursor.GetAttack(1));
        WriteCsvByte(out, cursor.GetDefence(0));
        WriteCsvByte(out, cursor.GetDefence(1));
        WriteCsvWord(out, cursor.GetRange());
        for (int d = 0; d < 3; ++d) WriteCsvWord(out, cursor.GetDummy(d));
        EndLine(out);
    }
}

void WriteDefenceKinds(std::string& out, const TableDirectory& tables) {
    DefencDkCursor cursor(tables);
    for (int i = 0; i < kDefencKdTries; ++i) {
        if (!cursor.Select(i)) continue;
        for (int t = 0; t < kTerrainCount; ++t) WriteCsvByte(out, cursor.GetDefenceRate(t));
        WriteCsvByte(out, cursor.GetDummy());
        EndLine(out);
    }
}

}  // namespace

const char* GetTerrainClassName(int terrainClass) {
    if (terrainClass < 0 || terrainClass >= kTerrainCount) return nullptr;
    return kTerrainNames[terrainClass];
}

const CsvExportInfo& GetCsvExportInfo(CsvExportTable table) {
    return kInfos[static_cast<int>(table)];
}

void WriteCsvText(std::string& out, std::string_view sjis) {
    out += sjis;
    out += ',';
}
void WriteCsvByte(std::string& out, std::uint8_t value) {
    out += std::to_string(value);
    out += ',';
}
void WriteCsvWord(std::string& out, std::uint16_t value) {
    out += std::to_string(value);
    out += ',';
}
void WriteCsvInt(std::string& out, std::int32_t value) {
    out += std::to_string(value);
    out += ',';
}
void WriteCsvLong(std::string& out, std::int32_t value) {
    WriteCsvInt(out, value);
}
void WriteCsvBits8(std::string& out, std::uint8_t value) {
    WriteBits(out, value, 8);
}
void WriteCsvBits16(std::string& out, std::uint16_t value) {
    WriteBits(out, value, 16);
}
void WriteCsvBits32(std::string& out, std::uint32_t value) {
    WriteBits(out, value, 32);
}

const std::vector<std::string>& GetCsvHeaderLabels(CsvExportTable table) {
    static const std::array<std::vector<std::string>, 8> labels = [] {
        std::array<std::vector<std::string>, 8> all;
        for (CsvExportTable t : kCsvExportTables) all[static_cast<int>(t)] = BuildLabels(t);
        return all;
    }();
    return labels[static_cast<int>(table)];
}

std::string BuildRuleTableCsv(const TableDirectory& tables, CsvExportTable table) {
    std::string out;
    WriteHeader(out, table);
    switch (table) {
        case CsvExportTable::LandKind:
            WriteLandKinds(out, tables);
            break;
        case CsvExportTable::SiteKind:
            WriteSiteKinds(out, tables);
            break;
        case CsvExportTable::UnitKind:
            WriteUnitKinds(out, tables);
            break;
        case CsvExportTable::WeaponKd:
            WriteWeapons(out, tables);
            break;
        case CsvExportTable::MvcostKd:
            WriteMvcostKinds(out, tables);
            break;
        case CsvExportTable::UnitInfo:
            WriteUnitInfos(out, tables);
            break;
        case CsvExportTable::ActionKd:
            WriteActionKinds(out, tables);
            break;
        case CsvExportTable::DefencKd:
            WriteDefenceKinds(out, tables);
            break;
    }
    return out;
}

bool ExportRuleTableCsv(const TableDirectory& tables, CsvExportTable table,
                        const std::string& directory, CsvExportPrompt& prompt) {
    const CsvExportInfo& info = GetCsvExportInfo(table);
    if (!prompt.Confirm(kCsvExportCaption, info.question)) return false;
    const std::string text = BuildRuleTableCsv(tables, table);
    // The whole file is replaced, so an older, longer export leaves no tail behind.
    const bool written =
        core::WriteFileAtomically(JoinGamePath(directory, info.fileName), text.data(), text.size());
    prompt.Notify(kCsvExportCaption, written ? info.doneText : info.failureText);
    return written;
}

bool ExportLandKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::LandKind, directory, prompt);
}
bool ExportSiteKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::SiteKind, directory, prompt);
}
bool ExportUnitKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::UnitKind, directory, prompt);
}
bool ExportWeaponKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::WeaponKd, directory, prompt);
}
bool ExportMvcostKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::MvcostKd, directory, prompt);
}
bool ExportUnitInfoCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::UnitInfo, directory, prompt);
}
bool ExportActionKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::ActionKd, directory, prompt);
}
bool ExportDefencKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt) {
    return ExportRuleTableCsv(tables, CsvExportTable::DefencKd, directory, prompt);
}

}  // namespace zv::rules
