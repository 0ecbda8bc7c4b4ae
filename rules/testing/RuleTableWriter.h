#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "rules/context/TableDirectory.h"
#include "rules/records/RuleRecords.h"

namespace zv::rules::testing {

// Builds the nine rule tables from records made in code, then puts them into a directory or
// writes them as *.dat files that LoadAllTables reads. Names are given in UTF-8 and stored as
// Shift-JIS.
class RuleTableWriter {
  public:
    std::vector<LandKindRecord> landKinds;
    std::vector<MvcostKdRecord> mvcostKinds;
    std::vector<DefencDkRecord> defenceKinds;
    std::vector<ActionKdRecord> actionKinds;
    std::vector<UnitKindRecord> unitKinds;
    std::vector<WeaponKdRecord> weapons;
    std::vector<SiteKindRecord> siteKinds;
    std::vector<UnitInfoRecord> unitInfos;
    std::vector<ProKindRecord> proKinds;

    // Each Add returns the new record; the reference lasts until the next Add of that table.
    LandKindRecord& AddLandKind(std::string_view utf8Name);
    MvcostKdRecord& AddMvcostKind();
    DefencDkRecord& AddDefenceKind();
    ActionKdRecord& AddActionKind();
    UnitKindRecord& AddUnitKind(std::string_view utf8Name);
    WeaponKdRecord& AddWeapon(std::string_view utf8Name);
    SiteKindRecord& AddSiteKind(std::string_view utf8Name);
    UnitInfoRecord& AddUnitInfo(std::string_view utf8Name);
    ProKindRecord& AddProKind(std::string_view utf8Name, bool present = true);

    // The body of one rule table (records back to back) and its record count.
    std::vector<std::uint8_t> Body(TableId id) const;
    std::uint16_t Count(TableId id) const;

    // Installs all nine tables into the directory (as if loaded).
    void InstallInto(TableDirectory& tables) const;
    // Writes one table's file into `directory` under the game's file name.
    bool WriteFile(const std::string& directory, TableId id, std::string* error = nullptr) const;
    // Writes all nine files.
    bool WriteAll(const std::string& directory, std::string* error = nullptr) const;

    // A small consistent set: the 29 terrain kinds, 6 site kinds, 32 production types, two
    // movement classes, one defence and action kind, two unit kinds, two weapons and three units.
    static RuleTableWriter Basic();
};

// One pack of a unit: ammunition per weapon slot from slot 0, fuel and speed change.
void SetPack(UnitInfoRecord& u, int pack, std::initializer_list<int> ammo, std::uint16_t fuel,
             std::uint8_t speedChange = 0);
// The unit's weapon ids from slot 0.
void SetWeapons(UnitInfoRecord& u, std::initializer_list<int> ids);

// The nine rule tables in load order.
inline constexpr TableId kRuleTables[] = {TableId::LandKind, TableId::MvcostKd, TableId::DefencDk,
                                          TableId::ActionKd, TableId::UnitKind, TableId::WeaponKd,
                                          TableId::SiteKind, TableId::UnitInfo, TableId::ProKind};

}  // namespace zv::rules::testing
