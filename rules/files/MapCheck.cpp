#include "rules/files/MapCheck.h"

#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {

namespace {

constexpr const char* kCountryNames[4] = {"青国", "赤国", "緑国", "黄国"};

bool Participates(const std::uint8_t* country) {
    return country[CountryRecord::kParticipation] != 0;
}

// A troop of the country 0-159 holding a headquarters unit.
bool HasHeadquartersTroop(const TableDirectory& tables, int c) {
    const std::uint8_t* troops = tables.GetTableBase(TableId::Troop);
    const std::uint8_t* units = tables.GetTableBase(TableId::UnitInfo);
    const int unitCount = tables.GetTableRecordCount(TableId::UnitInfo);
    if (troops == nullptr || units == nullptr) return false;
    for (int t = 0; t < kMapTroopCount; ++t) {
        const auto& troop = *reinterpret_cast<const TroopRecord*>(
            troops + static_cast<std::size_t>(t) * kTroopRecordSize);
        if (!troop.IsUsed() || troop.Country() != c) continue;
        for (int m = 0; m < kTroopMemberCount; ++m) {
            const TroopMember& member = troop.Member(m);
            if (!member.IsPresent() || member.Unit() < 0 || member.Unit() >= unitCount) continue;
            const std::uint8_t* unit =
                units + static_cast<std::size_t>(member.Unit()) * UnitInfoRecord::kSize;
            if (unit[UnitInfoRecord::kUnitKind] == kHeadquartersUnitKind) return true;
        }
    }
    return false;
}

}  // namespace

const char* MapCheckCountryName(int country) {
    return country >= 0 && country < 4 ? kCountryNames[country] : "";
}

const char* MapCheckVerdict(bool anyFinding) {
    return anyFinding ? "上記のエラーを発見しました。" : "エラーは発見されませんでした。";
}

std::vector<MapCheckFinding> CheckMapPlayable(const TableDirectory& tables) {
    std::vector<MapCheckFinding> out;
    const std::uint8_t* header = tables.GetTableBase(TableId::ScenarioHeader);
    const std::uint8_t* countries = tables.GetTableBase(TableId::Country);
    const std::uint8_t* hexes = tables.GetTableBase(TableId::Hex);
    const std::uint8_t* sites = tables.GetTableBase(TableId::Site);
    if (header == nullptr || countries == nullptr || hexes == nullptr || sites == nullptr) {
        out.push_back({-1, "マップ名称が認知できません。"});
        return out;
    }
    auto country = [&](int c) { return countries + static_cast<std::size_t>(c) * CountryRecord::kSize; };
    auto add = [&](int c, const std::string& text) { out.push_back({c, text}); };

    if (header[ScenarioHeaderRecord::kTitle] == 0) add(-1, "マップ名称が認知できません。");
    int participants = 0;
    std::uint8_t alliance[4] = {};
    for (int c = 0; c < 4; ++c) {
        if (!Participates(country(c))) continue;
        ++participants;
        alliance[c] = country(c)[CountryRecord::kAllianceMask];
        if (country(c)[CountryRecord::kName] == 0)
            add(c, std::string(kCountryNames[c]) + "の国名称が認知できません。");
        if (ReadU16(country(c), CountryRecord::kSetting82) == 0xFFFF)
            add(c, std::string(kCountryNames[c]) + "の軍団が登録されていません");
    }
    if (participants == 0) add(-1, "参戦国がいません。");
    bool hostile = false;
    for (int j = 0; j < 4 && !hostile; ++j) {
        if (!Participates(country(j))) continue;
        for (int i = 0; i < 4; ++i)
            if (i != j && Participates(country(i)) && !(alliance[i] >> j & 1)) hostile = true;
    }
    if (!hostile) add(-1, "敵対国がありません。");
    for (int c = 0; c < 4; ++c) {
        if (!Participates(country(c))) continue;
        bool capital = false, area = false;
        for (int s = 0; s < kSiteCount && !capital; ++s) {
            const std::uint8_t* site = sites + static_cast<std::size_t>(s) * SiteRecord::kSize;
            capital = site[SiteRecord::kKind] == 0 && site[SiteRecord::kOwner] == c;
        }
        for (int h = 0; h < kHexCount && !area; ++h)
            area = hexes[static_cast<std::size_t>(h) * HexRecord::kSize + HexRecord::kCountry] == c;
        if (!capital) add(c, std::string(kCountryNames[c]) + "の首都が配置されていません。");
        if (!HasHeadquartersTroop(tables, c))
            add(c, std::string(kCountryNames[c]) + "の司令部が配置されていません。");
        if (!area) add(c, std::string(kCountryNames[c]) + "の司令部配置エリアが設定されていません。");
    }
    return out;
}

}  // namespace zv::rules
