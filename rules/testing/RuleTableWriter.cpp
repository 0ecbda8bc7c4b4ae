#include "rules/testing/RuleTableWriter.h"

#include <cstring>

#include "platform/core/Sjis.h"
#include "rules/files/DatFile.h"

namespace zv::rules::testing {

namespace {

template <typename Record>
std::vector<std::uint8_t> Flatten(const std::vector<Record>& records) {
    std::vector<std::uint8_t> body;
    body.reserve(records.size() * Record::kSize);
    for (const Record& record : records)
        body.insert(body.end(), record.bytes.begin(), record.bytes.end());
    return body;
}

template <typename Record>
Record& AddNamed(std::vector<Record>& records, std::string_view utf8Name) {
    Record& record = records.emplace_back();
    record.SetText(Record::kName, Record::kNameWidth, core::Utf8ToSjis(utf8Name));
    return record;
}

constexpr const char* kTerrainNames[kTerrainCount] = {
    "平地",   "荒地",   "湿地",   "湖",     "浅瀬",    "海",       "林",       "森",
    "丘",     "山",     "山岳",   "砂漠",   "砂丘",    "道路",     "川",       "首都",
    "大都市", "都市",   "町",     "空港",   "港",      "降雪平地", "降雪荒地", "降雪湿地",
    "降雪林", "降雪森", "降雪丘", "降雪山", "降雪山岳"};

}  // namespace

LandKindRecord& RuleTableWriter::AddLandKind(std::string_view utf8Name) {
    return AddNamed(landKinds, utf8Name);
}
MvcostKdRecord& RuleTableWriter::AddMvcostKind() {
    return mvcostKinds.emplace_back();
}
DefencDkRecord& RuleTableWriter::AddDefenceKind() {
    return defenceKinds.emplace_back();
}
ActionKdRecord& RuleTableWriter::AddActionKind() {
    return actionKinds.emplace_back();
}
UnitKindRecord& RuleTableWriter::AddUnitKind(std::string_view utf8Name) {
    return AddNamed(unitKinds, utf8Name);
}
WeaponKdRecord& RuleTableWriter::AddWeapon(std::string_view utf8Name) {
    return AddNamed(weapons, utf8Name);
}
SiteKindRecord& RuleTableWriter::AddSiteKind(std::string_view utf8Name) {
    return AddNamed(siteKinds, utf8Name);
}
UnitInfoRecord& RuleTableWriter::AddUnitInfo(std::string_view utf8Name) {
    return AddNamed(unitInfos, utf8Name);
}
ProKindRecord& RuleTableWriter::AddProKind(std::string_view utf8Name, bool present) {
    ProKindRecord& record = AddNamed(proKinds, utf8Name);
    record.SetS32(ProKindRecord::kPresent, present ? 1 : 0);
    return record;
}

std::vector<std::uint8_t> RuleTableWriter::Body(TableId id) const {
    switch (id) {
        case TableId::LandKind:
            return Flatten(landKinds);
        case TableId::MvcostKd:
            return Flatten(mvcostKinds);
        case TableId::DefencDk:
            return Flatten(defenceKinds);
        case TableId::ActionKd:
            return Flatten(actionKinds);
        case TableId::UnitKind:
            return Flatten(unitKinds);
        case TableId::WeaponKd:
            return Flatten(weapons);
        case TableId::SiteKind:
            return Flatten(siteKinds);
        case TableId::UnitInfo:
            return Flatten(unitInfos);
        case TableId::ProKind:
            return Flatten(proKinds);
        default:
            return {};
    }
}

std::uint16_t RuleTableWriter::Count(TableId id) const {
    const std::size_t size = GetTableLayout(id).recordSize;
    return static_cast<std::uint16_t>(Body(id).size() / size);
}

void RuleTableWriter::InstallInto(TableDirectory& tables) const {
    for (TableId id : kRuleTables) {
        const std::vector<std::uint8_t> body = Body(id);
        tables.InstallRuleTable(id, Count(id), body);
    }
}

bool RuleTableWriter::WriteFile(const std::string& directory, TableId id,
                                std::string* error) const {
    const TableLayout& layout = GetTableLayout(id);
    if (!layout.fileName) {
        if (error) *error = "table " + std::to_string(ToIndex(id)) + " has no file";
        return false;
    }
    static constexpr char kId[8] = {'T', 'E', 'S', 'T', '0', '0', '1', '\0'};
    std::string message;
    const bool ok = WriteDatFile(JoinGamePath(directory, layout.fileName), DatFileKindOf(id),
                                 Count(id), Body(id), kId, message);
    if (!ok && error) *error = message;
    return ok;
}

bool RuleTableWriter::WriteAll(const std::string& directory, std::string* error) const {
    for (TableId id : kRuleTables)
        if (!WriteFile(directory, id, error)) return false;
    return true;
}

RuleTableWriter RuleTableWriter::Basic() {
    RuleTableWriter w;
    for (int t = 0; t < kTerrainCount; ++t) {
        LandKindRecord& land = w.AddLandKind(kTerrainNames[t]);
        land.SetU8(LandKindRecord::kGraphicNumber, static_cast<std::uint8_t>(t));
    }

    // Movement class 0 drives on land, class 1 sails; 255 is impassable.
    w.AddMvcostKind();
    w.AddMvcostKind();
    MvcostKdRecord& ground = w.mvcostKinds[0];
    MvcostKdRecord& naval = w.mvcostKinds[1];
    for (int t = 0; t < kTerrainCount; ++t) {
        const bool water = t == 3 || t == 4 || t == 5;
        ground.SetU8(MvcostKdRecord::kCost + t, water ? 255 : static_cast<std::uint8_t>(2 + t % 4));
        naval.SetU8(MvcostKdRecord::kCost + t, water ? 2 : 255);
        for (int layer = 0; layer < kAltitudeLayerCount; ++layer)
            ground.SetU8(MvcostKdRecord::ConcealmentOffset(layer, t),
                         static_cast<std::uint8_t>(10 * layer + t));
    }
    DefencDkRecord& defence = w.AddDefenceKind();
    for (int t = 0; t < kTerrainCount; ++t)
        defence.SetU8(DefencDkRecord::kDefenceRate + t, static_cast<std::uint8_t>(t * 3));
    ActionKdRecord& action = w.AddActionKind();
    action.SetU8(ActionKdRecord::kAttack, 5);
    action.SetU16(ActionKdRecord::kRange, 2);

    UnitKindRecord& infantryKind = w.AddUnitKind("歩兵");
    infantryKind.SetU8(UnitKindRecord::kKindType, 3);
    infantryKind.SetU16(UnitKindRecord::kGraphicNumber, 1);
    UnitKindRecord& helicopterKind = w.AddUnitKind("ヘリ");
    helicopterKind.SetU8(UnitKindRecord::kKindType, 0);
    helicopterKind.SetU8(UnitKindRecord::kPerformanceFlags, 0x02);

    WeaponKdRecord& rifle = w.AddWeapon("小銃");
    rifle.SetU8(WeaponKdRecord::kWeaponType, 2);
    rifle.SetU8(WeaponKdRecord::kLoadFlags, 0x08);
    rifle.SetU8(WeaponKdRecord::kRange, 1);
    WeaponKdRecord& missile = w.AddWeapon("対空ミサイル");
    missile.SetU8(WeaponKdRecord::kWeaponType, 1);
    missile.SetU8(WeaponKdRecord::kLoadFlags, 0x01);
    missile.SetU8(WeaponKdRecord::kRange, 4);

    static constexpr const char* kSiteNames[] = {"首都", "大都市", "都市", "町", "空港", "港"};
    for (int k = 0; k < 6; ++k) {
        SiteKindRecord& site = w.AddSiteKind(kSiteNames[k]);
        site.SetU16(SiteKindRecord::kIncome, static_cast<std::uint16_t>(100 - 10 * k));
        site.SetU8(SiteKindRecord::kCaptureDurability, static_cast<std::uint8_t>(200 - 20 * k));
        site.SetU8(SiteKindRecord::kDestroyDurability, static_cast<std::uint8_t>(190 - 20 * k));
        site.SetU8(SiteKindRecord::kDaySearchRange, 3);
        site.SetU8(SiteKindRecord::kNightSearchRange, 2);
    }

    UnitInfoRecord& infantry = w.AddUnitInfo("歩兵 小隊");
    infantry.SetU8(UnitInfoRecord::kUnitKind, 0);
    infantry.SetU8(UnitInfoRecord::kAltitudeClass, 3);
    infantry.SetU8(UnitInfoRecord::kMaxStrength, 10);
    infantry.SetU16(UnitInfoRecord::kWeaponId, 1);
    infantry.SetU8(UnitInfoRecord::kDefaultPack, 1);
    infantry.SetS32(UnitInfoRecord::kPrice, 100);
    infantry.SetU16(UnitInfoRecord::kMoveCostKind, 0);
    UnitInfoRecord& gunship = w.AddUnitInfo("攻撃ヘリ");
    gunship.SetU8(UnitInfoRecord::kUnitKind, 1);
    gunship.SetU8(UnitInfoRecord::kAltitudeClass, 2);
    gunship.SetU8(UnitInfoRecord::kLoadableFlags, 0x04);
    gunship.SetU16(UnitInfoRecord::kWeaponId, 2);
    gunship.SetS32(UnitInfoRecord::kPrice, 1000);
    UnitInfoRecord& boat = w.AddUnitInfo("哨戒艇");
    boat.SetU8(UnitInfoRecord::kAltitudeClass, 4);
    boat.SetU16(UnitInfoRecord::kMoveCostKind, 1);
    boat.SetS32(UnitInfoRecord::kPrice, 700);

    for (int k = 0; k < kProductionTypeCount; ++k)
        w.AddProKind("生産" + std::to_string(k), k % 3 != 1);
    return w;
}

void SetPack(UnitInfoRecord& u, int pack, std::initializer_list<int> ammo, std::uint16_t fuel,
             std::uint8_t speedChange) {
    const std::size_t base = UnitInfoRecord::PackOffset(pack);
    int w = 0;
    for (int a : ammo)
        u.SetU8(base + UnitInfoRecord::kPackAmmo + w++, static_cast<std::uint8_t>(a));
    u.SetU16(base + UnitInfoRecord::kPackFuel, fuel);
    u.SetU8(base + UnitInfoRecord::kPackSpeedChange, speedChange);
}

void SetWeapons(UnitInfoRecord& u, std::initializer_list<int> ids) {
    int w = 0;
    for (int id : ids)
        u.SetU16(UnitInfoRecord::kWeaponId + 2 * w++, static_cast<std::uint16_t>(id));
}

}  // namespace zv::rules::testing
