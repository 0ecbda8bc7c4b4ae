#include "tools/zvdata/RuleSetCheck.h"

#include <algorithm>
#include <string>

#include "platform/core/Sjis.h"
#include "rules/files/CsvExport.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/RuleRecords.h"
#include "tools/zvdata/SourceText.h"

namespace zv::zvdata {

using rules::TableDirectory;
using rules::TableId;

namespace {

class Report {
  public:
    explicit Report(std::vector<std::string>& out) : out_(out) {}
    void Add(const char* file, int record, const std::string& name, const char* field,
             const std::string& message) {
        std::string line = std::string(file) + " record " + std::to_string(record);
        if (!name.empty()) line += " (" + name + ")";
        if (field && *field) line += ", " + std::string(field);
        out_.push_back(line + ": " + message);
    }
    void AddFile(const char* file, const std::string& message) {
        out_.push_back(std::string(file) + ": " + message);
    }

  private:
    std::vector<std::string>& out_;
};

std::string Utf8(const char* sjis) {
    return core::SjisToUtf8(sjis);
}

bool IsMissileLaunchType(int type) {
    return type >= 20 && type <= 27;
}
bool IsCruiseType(int type) {
    return type == 23 || type == 24;
}

void CheckLandKinds(const TableDirectory& tables, Report& report) {
    rules::LandKindCursor land(tables);
    const int count = tables.GetTableRecordCount(TableId::LandKind);
    if (count != rules::kTerrainCount)
        report.AddFile("landkind.dat", std::to_string(count) + " records, the rules index 29");
    for (int i = 0; i < count; ++i) {
        land.Select(i);
        const std::string name = Utf8(land.GetName());
        // The rules address the classes by index (13 road, 14 river, 15-20 sites, 21-28 snow),
        // and the exports and windows name them in this order.
        const char* fixedName = rules::GetTerrainClassName(i);
        if (fixedName && name != fixedName)
            report.Add("landkind.dat", i, name, "地形名",
                       std::string("terrain class ") + std::to_string(i) + " is " + fixedName);
        const bool site = i >= 15 && i <= 20;
        const std::uint16_t supply = land.GetSupplyFlag();
        if (!site && supply != 0)
            report.Add("landkind.dat", i, name, "補給フラグ",
                       "only the site classes 15-20 offer supplies");
        if (site && (supply & 0x3000) == 0)
            report.Add("landkind.dat", i, name, "補給フラグ",
                       "a site class offers neither supplies (0x1000) nor units (0x2000)");
    }
}

void CheckSiteKinds(const TableDirectory& tables, Report& report) {
    rules::SiteKindCursor site(tables);
    const int count = tables.GetTableRecordCount(TableId::SiteKind);
    if (count != rules::kSiteKindCount)
        report.AddFile("sitekind.dat",
                       std::to_string(count) + " records, the game has 6 site kinds");
    for (int k = 0; k < count; ++k) {
        site.Select(k);
        const std::string name = Utf8(site.GetName());
        // Site kind k is terrain class 15 + k, and a site without owner takes the fixed
        // durabilities of its kind's index (250 for a capital down to 35 for a town).
        const char* fixedName = rules::GetTerrainClassName(15 + k);
        if (k < rules::kSiteKindCount && fixedName && name != fixedName)
            report.Add("sitekind.dat", k, name, "建物名",
                       std::string("site kind ") + std::to_string(k) + " is " + fixedName);
        if (site.GetCaptureDurability(0) == 0)
            report.Add("sitekind.dat", k, name, "耐久度(占領)", "0: the site would fall at once");
        if (site.GetDestroyDurability(0) == 0)
            report.Add("sitekind.dat", k, name, "耐久度(破壊)", "must be at least 1");
        if (site.GetDaySearchRange() == 0 || site.GetNightSearchRange() == 0)
            report.Add("sitekind.dat", k, name, "昼索敵範囲", "search ranges must be at least 1");
    }
}

void CheckMvcostKinds(const TableDirectory& tables, Report& report) {
    rules::MvcostKdCursor mv(tables);
    for (int i = 0; i < tables.GetTableRecordCount(TableId::MvcostKd); ++i) {
        mv.Select(i);
        for (int layer = 0; layer < rules::kAltitudeLayerCount; ++layer)
            for (int t = 0; t < rules::kTerrainCount; ++t)
                if (mv.GetConcealment(layer, t) > 100)
                    report.Add("mvcostkd.dat", i, "", "隠蔽率",
                               "layer " + std::to_string(layer) + " terrain " + std::to_string(t) +
                                   ": above 100 %");
    }
}

void CheckUnitKinds(const TableDirectory& tables, Report& report) {
    rules::UnitKindCursor kind(tables);
    const int count = tables.GetTableRecordCount(TableId::UnitKind);
    if (count < kMinUnitKinds)
        report.AddFile("unitkind.dat",
                       std::to_string(count) + " records; the rules name kinds up to 127");
    for (int i = 0; i < count; ++i) {
        kind.Select(i);
        const std::string name = Utf8(kind.GetName());
        const int type = kind.GetKindType();
        if (type == kKindTypeEmpty) continue;
        if (type > kMaxKindType)
            report.Add("unitkind.dat", i, name, "種類",
                       std::to_string(type) + " is no kind type (0-11, or 255 for an empty row)");
        if (name.empty()) report.Add("unitkind.dat", i, name, "兵器タイプ名", "no name");
        if (kind.GetDummy29() > 11)
            report.Add("unitkind.dat", i, name, "dummy",
                       "picture kind " + std::to_string(kind.GetDummy29()) + " is not 0-11");
    }
    const int fixed[] = {kKindEcm,    kKindHeadquarters, kKindRadar,
                         kKindSupply, kKindSpecialA,     kKindSpecialB};
    for (int k : fixed) {
        if (k >= count || !kind.Select(k) || kind.GetKindType() == kKindTypeEmpty)
            report.Add("unitkind.dat", k, "", "種類",
                       "the rules give this kind a fixed meaning; its row must not be empty");
    }
}

void CheckWeapons(const TableDirectory& tables, Report& report) {
    rules::WeaponKdCursor weapon(tables);
    rules::UnitInfoCursor unit(tables);
    rules::UnitKindCursor kind(tables);
    rules::MvcostKdCursor mv(tables);
    const int units = tables.GetTableRecordCount(TableId::UnitInfo);
    for (int id = 1; id <= tables.GetTableRecordCount(TableId::WeaponKd); ++id) {
        weapon.Select(id);
        const std::string name = Utf8(weapon.GetName());
        const int record = id - 1;
        const int type = weapon.GetWeaponType();
        if (name.empty()) report.Add("weaponkd.dat", record, name, "武器名", "no name");
        if (type > 35)
            report.Add("weaponkd.dat", record, name, "武器種類",
                       std::to_string(type) + " is no weapon type (0-35)");
        if (type < 20 && weapon.GetPower() > 0 && weapon.GetSalvo() > 0 && weapon.GetRange() == 0)
            report.Add("weaponkd.dat", record, name, "射程",
                       "0: an attack weapon of range 0 never fires");
        if (!IsLaunchWeaponType(type)) continue;
        if (weapon.GetSalvo() == 0)
            report.Add("weaponkd.dat", record, name, "同時発射数",
                       "a launch weapon sends at least 1");
        const int option = weapon.GetOptionUnit();
        if (option == 0 || option >= units) {
            report.Add("weaponkd.dat", record, name, "オプション時の兵器番号",
                       "a launch weapon must name the unit it launches (1-" +
                           std::to_string(units - 1) + ")");
            continue;
        }
        unit.Select(option);
        const std::string partName = Utf8(unit.GetName());
        if (!kind.Select(unit.GetUnitKind()) || kind.GetKindType() == kKindTypeEmpty) {
            report.Add("weaponkd.dat", record, name, "オプション時の兵器番号",
                       "launches " + partName + ", whose unit kind is an empty row");
            continue;
        }
        if (unit.GetPackFuel(unit.GetDefaultPack()) == 0)
            report.Add("weaponkd.dat", record, name, "オプション時の兵器番号",
                       "launches " + partName + ", whose default pack has no fuel");
        if (!IsMissileLaunchType(type)) continue;
        // A missile flies over any terrain and must be able to hit what it is sent at.
        if (mv.Select(unit.GetMoveCostKind())) {
            int slowest = 0;
            for (int t = 0; t < rules::kTerrainCount; ++t) {
                const int cost = mv.GetCost(t);
                if (cost == 0 || cost == 255) {
                    report.Add(
                        "weaponkd.dat", record, name, "オプション時の兵器番号",
                        "missile " + partName + " cannot cross terrain " + std::to_string(t));
                    slowest = 0;
                    break;
                }
                slowest = std::max(slowest, cost);
            }
            // Aloft a missile burns a unit of fuel a minute and waits its cost before each hex.
            const int fuel = unit.GetPackFuel(unit.GetDefaultPack());
            if (slowest > 0 && weapon.GetRange() * slowest > fuel)
                report.Add("weaponkd.dat", record, name, "射程",
                           "range " + std::to_string(weapon.GetRange()) +
                               " is beyond the fuel of " + partName + " (" + std::to_string(fuel) +
                               ")");
        }
        bool canHit = false;
        for (int w = 0; w < rules::kWeaponSlotCount; ++w) {
            rules::WeaponKdCursor warhead(tables);
            if (!warhead.Select(unit.GetWeaponId(w))) continue;
            if (unit.GetPackAmmo(unit.GetDefaultPack(), w) == 0) continue;
            const int wt = warhead.GetWeaponType();
            if (IsCruiseType(type))
                canHit |=
                    (wt == 6 || wt == 7) && warhead.GetRange() == 1 && warhead.GetHitRate(9) > 0;
            else
                canHit |= wt < 20 && wt != 6 && wt != 7 && warhead.GetPower() > 0 &&
                          warhead.GetRange() >= 1;
        }
        if (!canHit)
            report.Add("weaponkd.dat", record, name, "オプション時の兵器番号",
                       "missile " + partName +
                           (IsCruiseType(type) ? " has no loaded bomb of range 1 that hits sites"
                                               : " has no loaded attack weapon"));
    }
}

void CheckUnits(const TableDirectory& tables, Report& report) {
    rules::UnitInfoCursor unit(tables);
    rules::UnitKindCursor kind(tables);
    rules::WeaponKdCursor weapon(tables);
    rules::UnitInfoCursor option(tables);
    rules::LandKindCursor land(tables);
    const int count = tables.GetTableRecordCount(TableId::UnitInfo);
    const int kinds = tables.GetTableRecordCount(TableId::UnitKind);
    const int weapons = tables.GetTableRecordCount(TableId::WeaponKd);
    const int mvcosts = tables.GetTableRecordCount(TableId::MvcostKd);
    const int actions = tables.GetTableRecordCount(TableId::ActionKd);
    const int defences = tables.GetTableRecordCount(TableId::DefencDk);

    // Kind types that some site class resupplies (0x1000 with the kind type's bit).
    std::uint16_t suppliedTypes = 0;
    for (int t = 15; t <= 20 && t < tables.GetTableRecordCount(TableId::LandKind); ++t) {
        land.Select(t);
        if (land.GetSupplyFlag() & 0x1000) suppliedTypes |= land.GetSupplyFlag() & 0x0FFF;
    }

    std::uint32_t headquartersSides = 0;
    for (int i = 0; i < count; ++i) {
        unit.Select(i);
        const std::string name = Utf8(unit.GetName());
        const int unitKind = unit.GetUnitKind();
        const bool kindExists = unitKind < kinds && kind.Select(unitKind);
        if (!kindExists) {
            report.Add("unitinfo.dat", i, name, "兵器種類番号",
                       std::to_string(unitKind) + " names no unit kind");
            continue;
        }
        const std::uint32_t sides = static_cast<std::uint32_t>(unit.GetProductionSides());
        const bool emptyKind = kind.GetKindType() == kKindTypeEmpty;
        if (emptyKind) {
            if (sides != 0)
                report.Add("unitinfo.dat", i, name, "生産陣営フラグ",
                           "a unit of an empty unit kind cannot be produced");
            continue;  // a reserved row
        }
        const bool offered = sides != 0 && (kind.GetClassFlags() & kClassOffered);
        const int altitude = unit.GetAltitudeClass();
        if (altitude < 1 || altitude > 5)
            report.Add("unitinfo.dat", i, name, "高度識別",
                       std::to_string(altitude) + " is no altitude class (1-5)");
        if (unit.GetDefenceType() > 9)
            report.Add("unitinfo.dat", i, name, "防御タイプ", "target classes are 0-9");
        if (offered && AltitudeCode(altitude, unit.GetDefenceType()) == 0)
            report.Add("unitinfo.dat", i, name, "高度識別", "offered but fits no altitude list");
        const int strength = unit.GetMaxStrength();
        if (strength < 1 || strength > 8)
            report.Add("unitinfo.dat", i, name, "小隊最大数",
                       std::to_string(strength) + ": a platoon has 1 to 8 machines");
        if (unit.GetDurabilityPerUnit() == 0)
            report.Add("unitinfo.dat", i, name, "１機分の耐久数", "must be at least 1");
        if (strength * unit.GetDurabilityPerUnit() > 255)
            report.Add("unitinfo.dat", i, name, "１機分の耐久数",
                       "full durability " + std::to_string(strength * unit.GetDurabilityPerUnit()) +
                           " does not fit the member's byte");
        const int pack = unit.GetDefaultPack();
        if (pack >= rules::kPackCount)
            report.Add("unitinfo.dat", i, name, "デフォルト装備パック番号", "packs are 1-4");
        else if (unit.GetPackFuel(pack) == 0)
            report.Add("unitinfo.dat", i, name, "デフォルト装備パック番号",
                       "the default pack has no fuel, so it cannot be chosen");
        if (unit.GetMoveCostKind() >= mvcosts)
            report.Add("unitinfo.dat", i, name, "移動カウント番号", "names no movement kind");
        if (unit.GetActionKind() >= actions || unit.GetActionKind() > 255)
            report.Add("unitinfo.dat", i, name, "行動アクション番号", "names no action kind");
        if (unit.GetDefenceKind() >= defences)
            report.Add("unitinfo.dat", i, name, "防御率種類", "names no terrain defence kind");
        if (unit.GetPrice() < 0) report.Add("unitinfo.dat", i, name, "価格", "negative price");
        const std::uint16_t transform = unit.GetTransformUnit();
        if (transform != 0xFFFF && (transform >= count || transform == i))
            report.Add("unitinfo.dat", i, name, "変形兵器番号",
                       "names no other unit (" + std::to_string(transform) + ")");
        for (int p = 0; p < 32; ++p)
            if ((sides >> p & 1u) && !rules::IsProductionTypePresent(tables, p))
                report.Add("unitinfo.dat", i, name, "生産陣営フラグ",
                           "production type " + std::to_string(p) + " does not exist");
        if (offered && kind.GetKindType() <= kMaxKindType &&
            !(suppliedTypes & (1u << kind.GetKindType())))
            report.Add("unitinfo.dat", i, name, "兵器種類番号",
                       "no site class resupplies kind type " + std::to_string(kind.GetKindType()));
        if (offered && unitKind == kKindHeadquarters) headquartersSides |= sides;

        for (int w = 0; w < rules::kWeaponSlotCount; ++w) {
            const int id = unit.GetWeaponId(w);
            if (id == 0) {
                for (int p = 0; p < rules::kPackCount; ++p)
                    if (unit.GetPackAmmo(p, w) != 0)
                        report.Add("unitinfo.dat", i, name, "パック弾数",
                                   "ammunition for the empty weapon slot " + std::to_string(w + 1));
                continue;
            }
            if (id > weapons || !weapon.Select(id)) {
                report.Add("unitinfo.dat", i, name, "武器種類番号",
                           std::to_string(id) + " names no weapon");
                continue;
            }
            if (!IsLaunchWeaponType(weapon.GetWeaponType())) continue;
            // A launched part has at most 8 machines, and its durability fits a byte.
            const int machines = weapon.GetSalvo() * strength;
            if (machines > 8)
                report.Add("unitinfo.dat", i, name, "武器種類番号",
                           Utf8(weapon.GetName()) + " would launch " + std::to_string(machines) +
                               " machines (at most 8)");
            if (option.Select(weapon.GetOptionUnit()) &&
                machines * option.GetDurabilityPerUnit() > 255)
                report.Add(
                    "unitinfo.dat", i, name, "武器種類番号",
                    Utf8(weapon.GetName()) + " would launch a part whose durability is above 255");
        }
    }
    for (int p = 0; p < 32; ++p)
        if (rules::IsProductionTypePresent(tables, p) && !(headquartersSides >> p & 1u))
            report.Add("prokind.dat", p, core::SjisToUtf8(rules::GetProductionTypeName(tables, p)),
                       "", "no headquarters unit can be produced for this type");
}

void CheckProductionTypes(const TableDirectory& tables, Report& report) {
    const int count = tables.GetTableRecordCount(TableId::ProKind);
    if (count < rules::kProductionTypeCount)
        report.AddFile("prokind.dat", std::to_string(count) + " records, the game reads 32");
    bool any = false;
    for (int k = 0; k < count && k < rules::kProductionTypeCount; ++k) {
        if (!rules::IsProductionTypePresent(tables, k)) continue;
        any = true;
        if (rules::GetProductionTypeName(tables, k).empty())
            report.Add("prokind.dat", k, "", "生産タイプ名", "a present type needs a name");
    }
    if (!any) report.AddFile("prokind.dat", "no production type is present");
}

}  // namespace

bool IsLaunchWeaponType(int type) {
    return (type >= 20 && type <= 33) || type == 35;
}

std::vector<std::string> CheckRuleTables(const TableDirectory& tables) {
    std::vector<std::string> problems;
    Report report(problems);
    CheckLandKinds(tables, report);
    CheckSiteKinds(tables, report);
    CheckMvcostKinds(tables, report);
    CheckUnitKinds(tables, report);
    CheckProductionTypes(tables, report);
    CheckWeapons(tables, report);
    CheckUnits(tables, report);
    return problems;
}

}  // namespace zv::zvdata
