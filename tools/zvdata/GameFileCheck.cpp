#include "tools/zvdata/GameFileCheck.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>

#include "platform/core/ByteReader.h"
#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "platform/core/Sjis.h"
#include "rules/context/RuleHelpers.h"
#include "rules/files/DatFile.h"
#include "rules/files/GameFileIo.h"
#include "rules/files/GameFileLayout.h"
#include "rules/files/MapCheck.h"
#include "rules/files/MapFiles.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/MapRecords.h"
#include "rules/records/RuleCursors.h"
#include "rules/search/HexQueries.h"
#include "tools/zvdata/RuleCsv.h"
#include "tools/zvdata/RuleSetCheck.h"
#include "tools/zvdata/audio/MidiFile.h"
#include "tools/zvdata/audio/WaveFile.h"

namespace zv::zvdata {

using rules::TableDirectory;
using rules::TableId;

namespace {

std::string Lower(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

// The name after the last separator; the game writes backslashes.
std::string FileName(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Utf8Field(const std::uint8_t* record, std::size_t offset, std::size_t width) {
    return core::SjisToUtf8(rules::ReadText(record, offset, width));
}

// The rule tables a map, save or corps is checked against.
bool LoadRuleTablesFor(const std::string& path, const std::string& ruleDir, TableDirectory& tables,
                       std::string& error) {
    std::vector<std::string> candidates;
    if (!ruleDir.empty()) {
        candidates.push_back(ruleDir);
    } else {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        candidates.push_back((folder.empty() ? std::filesystem::path(".") : folder).string() +
                             "/..");
        candidates.push_back(folder.empty() ? "." : folder.string());
    }
    for (const std::string& dir : candidates)
        if (tables.LoadAllTables(dir)) return true;
    error = "no rule tables to check it against (give --rules DIR): " + tables.LastError();
    return false;
}

// ---- rule tables

FileCheck CheckDatFile(const std::string& path, const std::string& name) {
    FileCheck check;
    const std::string lower = Lower(name);
    const RuleCsvTable* table = nullptr;
    for (const RuleCsvTable& t : GetRuleCsvTables())
        if (Lower(rules::GetTableLayout(t.id).fileName) == lower) table = &t;
    if (!table) {
        check.problems.push_back(name + ": not the name of one of the nine rule tables");
        return check;
    }
    const std::uint32_t recordSize = rules::GetTableLayout(table->id).recordSize;
    rules::DatFileImage image;
    std::string error;
    if (!rules::ReadDatFile(path, recordSize, image, error)) {
        check.problems.push_back(error);
        return check;
    }
    if (image.header.kind != rules::DatFileKindOf(table->id)) {
        check.problems.push_back(name + ": file kind " + std::to_string(image.header.kind) +
                                 ", a " + rules::GetTableLayout(table->id).fileName + " has kind " +
                                 std::to_string(rules::DatFileKindOf(table->id)));
        return check;
    }
    if (image.recordCount < table->minRows || image.recordCount > table->maxRows) {
        check.problems.push_back(name + ": " + std::to_string(image.recordCount) +
                                 " records, the table takes " + std::to_string(table->minRows) +
                                 " to " + std::to_string(table->maxRows));
        return check;
    }
    check.summary = name + ": rule table " + std::to_string(rules::ToIndex(table->id)) + ", " +
                    std::to_string(image.recordCount) + " records of " +
                    std::to_string(recordSize) + " bytes, id " +
                    std::string(image.id, strnlen(image.id, 8));
    // The set is checked as a whole when its other tables lie beside this one.
    TableDirectory tables;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (tables.LoadAllTables(folder.empty() ? "." : folder.string())) {
        for (const std::string& p : CheckRuleTables(tables))
            if (Lower(p.substr(0, p.find(' '))) == lower ||
                Lower(p.substr(0, p.find(':'))) == lower)
                check.problems.push_back(p);
    }
    check.ok = check.problems.empty();
    return check;
}

// ---- troops

bool IsWater(int landKind) {
    return landKind >= 3 && landKind <= 5;
}

// The soundness of every record of a map (troops 0-159) or a saved game (all 255 troops).
void CheckRecords(TableDirectory& tables, bool save, std::vector<std::string>& problems);

}  // namespace

void CheckTroopRecord(TableDirectory& tables, const rules::TroopRecord& troop,
                      const std::string& where, bool inCorps, int index,
                      std::vector<std::string>& problems) {
    if (!troop.IsUsed()) return;
    // Named only when there is something to say: most records are sound.
    auto at = [&] {
        const std::string name =
            Utf8Field(troop.data(), rules::TroopRecord::kName, rules::TroopRecord::kNameSize);
        return where + " troop " + std::to_string(index) + (name.empty() ? "" : " (" + name + ")") +
               ", ";
    };
    auto add = [&](const char* field, const std::string& message) {
        problems.push_back(at() + field + ": " + message);
    };
    if (troop.SlotByte() > 5) add("mode", std::to_string(troop.SlotByte()) + " is not 0-5");
    if (inCorps) {
        if (troop.Country() != 5) add("country", "a corps troop has country 5");
        // A requested troop names the hex it will appear on; a template keeps the hex of its
        // last request once the troop was produced from it, as every saved game shows.
        if (troop.Hex() != rules::kNoHex &&
            !(troop.Flags() & (rules::kTroopReinforcement | rules::kTroopTemplate)))
            add("hex", "a corps troop stands on no hex");
    } else if (index < rules::kMapTroopCount) {
        if (troop.Country() != index / rules::kTroopsPerCountry)
            add("country", std::to_string(troop.Country()) + " outside its block of forty");
    } else if (troop.Country() > 3) {
        add("country", "a launched part belongs to a country 0-3");
    }
    const int formation = troop.CurrentFormation();
    if (formation >= rules::kTroopFormationCount) {
        add("formation", std::to_string(formation) + " is not 0-3");
        return;
    }
    for (int f = 0; f < rules::kTroopFormationCount; ++f) {
        bool seen[rules::kTroopMemberCount] = {};
        for (int slot = 0; slot < rules::kFormationSlotCount; ++slot) {
            const int m = troop.Formation(f).MemberMap(slot);
            if (m == rules::kEmptyMapEntry) continue;
            if (m >= rules::kTroopMemberCount) {
                add("formation", "formation " + std::to_string(f) + " maps a slot to member " +
                                     std::to_string(m));
            } else if (seen[m]) {
                add("formation", "formation " + std::to_string(f) + " maps member " +
                                     std::to_string(m) + " twice");
            } else {
                seen[m] = true;
            }
        }
    }
    rules::UnitInfoCursor unit(tables);
    rules::UnitKindCursor kind(tables);
    int present = 0;
    for (int m = 0; m < rules::kTroopMemberCount; ++m) {
        const rules::TroopMember& member = troop.Member(m);
        if (!member.IsPresent()) continue;
        const std::string which = "member " + std::to_string(m);
        if (member.Unit() < 0 || !unit.Select(member.Unit())) {
            add(which.c_str(), "unit " + std::to_string(member.Unit()) + " does not exist");
            continue;
        }
        if (!kind.Select(unit.GetUnitKind()) || kind.GetKindType() == kKindTypeEmpty)
            add(which.c_str(), "unit " + std::to_string(member.Unit()) + " is a reserved row");
        const int mapped = [&] {
            for (int slot = 0; slot < rules::kFormationSlotCount; ++slot)
                if (troop.Formation(formation).MemberMap(slot) == m) return 1;
            return 0;
        }();
        present += mapped;
        if (member.Strength() > unit.GetMaxStrength())
            add(which.c_str(), "strength " + std::to_string(member.Strength()) + " above " +
                                   std::to_string(unit.GetMaxStrength()));
        if (member.Durability() > unit.GetDurabilityPerUnit() * unit.GetMaxStrength())
            add(which.c_str(), "durability above full");
        if (member.Pack() >= rules::kPackCount || unit.GetPackFuel(member.Pack()) == 0) {
            add(which.c_str(), "pack " + std::to_string(member.Pack()) + " cannot be chosen");
            continue;
        }
        for (int w = 0; w < rules::kWeaponSlotCount; ++w)
            if (member.Ammo(w) > unit.GetPackAmmo(member.Pack(), w))
                add(which.c_str(),
                    "ammunition of weapon " + std::to_string(w + 1) + " above its pack's");
    }
    if (present == 0) add("members", "a used troop has no member in its current formation");
}

std::vector<std::string> CheckMapTables(TableDirectory& tables) {
    std::vector<std::string> problems;
    // The editor's map check, with the part of the map each finding is about.
    for (const rules::MapCheckFinding& f : rules::CheckMapPlayable(tables)) {
        if (f.country >= 0)
            problems.push_back("country " + std::to_string(f.country) + ": " + f.message);
        else if (f.message == "マップ名称が認知できません。")
            problems.push_back("header: " + f.message + " (no title)");
        else
            problems.push_back("countries: " + f.message);
    }

    CheckRecords(tables, false, problems);
    return problems;
}

std::vector<std::string> CheckSaveTables(TableDirectory& tables) {
    std::vector<std::string> problems;
    CheckRecords(tables, true, problems);
    return problems;
}

namespace {

void CheckRecords(TableDirectory& tables, bool save, std::vector<std::string>& problems) {
    const std::uint8_t* header = tables.GetTableBase(TableId::ScenarioHeader);
    const std::uint8_t* countries = tables.GetTableBase(TableId::Country);
    const std::uint8_t* hexes = tables.GetTableBase(TableId::Hex);
    const std::uint8_t* sites = tables.GetTableBase(TableId::Site);
    const int landKinds = tables.GetTableRecordCount(TableId::LandKind);
    using H = rules::ScenarioHeaderRecord;
    using C = rules::CountryRecord;
    using S = rules::SiteRecord;
    using X = rules::HexRecord;
    auto country = [&](int c) { return countries + static_cast<std::size_t>(c) * C::kSize; };
    auto hex = [&](int x, int y) {
        return hexes + static_cast<std::size_t>(x + rules::kMapSize * y) * X::kSize;
    };
    // A map says 1 for a country that takes part; from the game start on, 2 is the one that
    // does not.
    auto takesPart = [&](int c) {
        const std::uint8_t p = country(c)[C::kParticipation];
        return save ? p != 2 : p != 0;
    };
    const int troopCount = save ? rules::kTroopTableLimit : rules::kMapTroopCount;

    if (save && rules::ReadU16(header, H::kSaveKind) != 1 &&
        rules::ReadU16(header, H::kSaveKind) != 2)
        problems.push_back("header: the save kind is not 1 or 2");

    if (header[H::kHour] > 23 || header[H::kMinute] > 59)
        problems.push_back("header: the clock is no time of day");
    if (header[H::kDaytime] != (header[H::kHour] >= 6 && header[H::kHour] <= 17 ? 1 : 0))
        problems.push_back("header: the daytime flag does not match the hour");
    if (header[H::kDeployLimit] == 0 || header[H::kDeployLimit] > rules::kTroopsPerCountry)
        problems.push_back("header: the deploy limit is not 1-40");
    for (int c = 0; c < 4; ++c) {
        auto at = [&] { return "country " + std::to_string(c) + ": "; };
        if (country(c)[C::kParticipation] > 3)
            problems.push_back(at() + "participation is not 0-3");
        if (save && country(c)[C::kState] > 3) problems.push_back(at() + "state is not 0-3");
        if (!(country(c)[C::kAllianceMask] >> c & 1) || country(c)[C::kAllianceMask] > 0x0F)
            problems.push_back(
                at() + "the alliance mask must hold the country itself and no more than four");
        if (rules::ReadS32(country(c), C::kFunds) < 0) problems.push_back(at() + "negative funds");
    }
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            const std::uint8_t* h = hex(x, y);
            auto at = [&] { return "hex " + std::to_string(x) + "," + std::to_string(y) + ": "; };
            if (h[X::kLandKind] >= landKinds) problems.push_back(at() + "no such land kind");
            if (h[X::kCountry] > 3 && h[X::kCountry] != rules::kNoCountry)
                problems.push_back(at() + "the area belongs to no country");
            for (const std::size_t field : {X::kRoad, X::kRiver}) {
                const std::uint8_t bits = h[field];
                if (bits == 0xFF) continue;
                const char* what = field == X::kRoad ? "road" : "river";
                if (bits > 0x3F) {
                    problems.push_back(at() + what + " mask " + std::to_string(bits));
                    continue;
                }
                for (int d = 0; d < rules::kHexDirectionCount; ++d) {
                    if (!(bits >> d & 1)) continue;
                    std::uint16_t nx = 0, ny = 0;
                    const bool inside = rules::HexNeighbourOf(x, y, d, nx, ny);
                    const std::uint8_t other = inside ? hex(nx, ny)[field] : 0;
                    // A river may run into water, where the map keeps no river.
                    if (field == X::kRiver && inside && IsWater(hex(nx, ny)[X::kLandKind]))
                        continue;
                    if (!inside || other == 0xFF || !(other >> ((d + 3) % 6) & 1))
                        problems.push_back(at() + what + " leads toward direction " +
                                           std::to_string(d) + " where it does not continue");
                }
            }
        }
    }
    std::vector<int> siteAt(rules::kHexCount, -1);
    for (int s = 0; s < rules::kSiteCount; ++s) {
        const std::uint8_t* site = sites + static_cast<std::size_t>(s) * S::kSize;
        auto at = [&] { return "site " + std::to_string(s) + ": "; };
        if (site[S::kKind] == rules::kFreeSite) continue;
        if (site[S::kKind] > 5) {
            problems.push_back(at() + "kind " + std::to_string(site[S::kKind]) + " is not 0-5");
            continue;
        }
        if (site[S::kOwner] > 4) problems.push_back(at() + "the owner is not 0-4");
        if (site[S::kX] >= rules::kMapSize || site[S::kY] >= rules::kMapSize) {
            problems.push_back(at() + "off the map");
            continue;
        }
        const int cell = site[S::kX] + rules::kMapSize * site[S::kY];
        if (siteAt[cell] >= 0)
            problems.push_back(at() + "shares its hex with site " + std::to_string(siteAt[cell]));
        siteAt[cell] = s;
        if (IsWater(hex(site[S::kX], site[S::kY])[X::kLandKind]))
            problems.push_back(at() + "stands on water");
        if (site[S::kOwner] < 4 && !takesPart(site[S::kOwner]))
            problems.push_back(at() + "owned by a country that does not take part");
    }
    std::vector<int> troopAt(rules::kHexCount, -1);
    for (int t = 0; t < troopCount; ++t) {
        const auto& troop = *reinterpret_cast<const rules::TroopRecord*>(
            tables.GetTableBase(TableId::Troop) +
            static_cast<std::size_t>(t) * rules::kTroopRecordSize);
        if (!troop.IsUsed()) continue;
        CheckTroopRecord(tables, troop, "map", false, t, problems);
        auto at = [&] { return "map troop " + std::to_string(t) + ": "; };
        const int x = troop.Hex() & 0xFF, y = troop.Hex() >> 8;
        // During a game a troop may wait off the map, but never with the on-map flag.
        if (save && troop.Hex() == rules::kNoHex && !(troop.Flags() & rules::kTroopOnMap)) continue;
        if (x >= rules::kMapSize || y >= rules::kMapSize) {
            problems.push_back(at() + "not on the map");
            continue;
        }
        if (troop.Carrier() != rules::kNoTroop) {
            const std::uint16_t carrier = troop.Carrier();
            const auto* host =
                carrier < troopCount
                    ? reinterpret_cast<const rules::TroopRecord*>(
                          tables.GetTableBase(TableId::Troop) +
                          static_cast<std::size_t>(carrier) * rules::kTroopRecordSize)
                    : nullptr;
            if (!host || !host->IsUsed() || host->Hex() != troop.Hex() ||
                !(troop.Flags() & rules::kTroopAboard) || !(host->Flags() & rules::kTroopCarrying))
                problems.push_back(at() + "aboard a carrier that does not carry it");
            continue;
        }
        if (!(troop.Flags() & rules::kTroopOnMap))
            problems.push_back(at() + "lacks the on-map flag");
        // Launched parts fly over other troops.
        if (t < rules::kMapTroopCount) {
            const int cell = x + rules::kMapSize * y;
            if (troopAt[cell] >= 0)
                problems.push_back(at() + "shares its hex with troop " +
                                   std::to_string(troopAt[cell]));
            troopAt[cell] = t;
        }
        if (!takesPart(troop.Country() & 3))
            problems.push_back(at() + "its country does not take part");
    }
    for (int slot = 0; slot < rules::kForceSlotCount; ++slot) {
        const auto& force = *reinterpret_cast<const rules::ForceRecord*>(
            tables.GetTableBase(TableId::Force) +
            static_cast<std::size_t>(slot) * rules::kForceRecordSize);
        const std::string where = "corps slot " + std::to_string(slot);
        for (int t = 0; t < rules::kForceTroopCount; ++t)
            CheckTroopRecord(tables, force.Troop(static_cast<std::size_t>(t)), where, true, t,
                             problems);
    }
}

// Puts the rule tables a map, save or corps is checked against into the directory; false with
// the reason when there are none.
using RuleTableSource = std::function<bool(TableDirectory& tables, std::string& error)>;

FileCheck CheckMapOrSaveImage(std::span<const std::uint8_t> file, const std::string& name,
                              bool save, TableDirectory& tables, const RuleTableSource& loadRules);

FileCheck CheckMapOrSave(const std::string& path, const std::string& name, bool save,
                         const std::string& ruleDir) {
    std::vector<std::uint8_t> file;
    const std::size_t maxSize = save ? rules::kSaveFileWithNewsSize : rules::kMapFileSize;
    const rules::FileStatus read = rules::ReadGameFile(path, maxSize, file);
    if (!read) {
        FileCheck check;
        check.problems.push_back(name + ": " + read.error);
        return check;
    }
    TableDirectory tables;
    return CheckMapOrSaveImage(file, name, save, tables,
                               [&](TableDirectory& into, std::string& error) {
                                   return LoadRuleTablesFor(path, ruleDir, into, error);
                               });
}

FileCheck CheckMapOrSaveImage(std::span<const std::uint8_t> file, const std::string& name,
                              bool save, TableDirectory& tables, const RuleTableSource& loadRules) {
    FileCheck check;
    const std::uint16_t kind = file.size() >= 2 ? rules::ReadU16(file.data(), 0) : 0;
    const std::uint16_t expectedKind = save ? rules::kSaveFileKind : rules::kMapFileKind;
    if (file.size() < rules::kGameFileHeaderSize || kind != expectedKind) {
        check.problems.push_back(name + ": file kind " + std::to_string(kind) + ", " +
                                 (save ? "a saved game" : "a map") + " has kind " +
                                 std::to_string(expectedKind));
        return check;
    }
    const std::span<const rules::TableImage> images =
        save ? std::span<const rules::TableImage>(rules::kSaveFileImages)
             : std::span<const rules::TableImage>(rules::kMapFileImages);
    const std::size_t size = rules::GameFileBytes(images);
    const bool withNews = save && file.size() == size + rules::kNewsLogBytes;
    if (file.size() != size && !withNews) {
        check.problems.push_back(name + ": " + std::to_string(file.size()) + " bytes, " +
                                 (save ? "a saved game has " + std::to_string(size) + " or " +
                                             std::to_string(size + rules::kNewsLogBytes)
                                       : "a map has " + std::to_string(size)));
        return check;
    }
    std::string error;
    if (!loadRules(tables, error)) {
        check.problems.push_back(name + ": " + error);
        return check;
    }
    core::ByteReader reader(file);
    reader.Skip(rules::kGameFileHeaderSize);
    rules::RestoreTableImages(tables, images, reader);
    for (const std::string& p : save ? CheckSaveTables(tables) : CheckMapTables(tables))
        check.problems.push_back(name + " " + p);
    if (withNews) {
        std::span<const std::uint8_t> news;
        reader.Take(rules::kNewsLogBytes, news);
        for (std::size_t i = 0; i < rules::kNewsTableCount; ++i) {
            const std::uint8_t* record = news.data() + i * rules::kNewsRecordSize;
            if (record[rules::NewsRecord::kKind] != rules::kNewsEmptySlot &&
                record[rules::NewsRecord::kKind] >= rules::kNewsKindCount)
                check.problems.push_back(name + " news " + std::to_string(i) + ": kind " +
                                         std::to_string(record[rules::NewsRecord::kKind]) +
                                         " is no news kind");
        }
    }
    const std::uint8_t* header = tables.GetTableBase(TableId::ScenarioHeader);
    int participants = 0, sites = 0, troops = 0;
    for (int c = 0; c < 4; ++c)
        participants +=
            tables.GetTableBase(TableId::Country)[c * rules::CountryRecord::kSize +
                                                  rules::CountryRecord::kParticipation] != 0;
    for (int s = 0; s < rules::kSiteCount; ++s)
        sites +=
            tables.GetTableBase(TableId::Site)[s * rules::SiteRecord::kSize] != rules::kFreeSite;
    for (int t = 0; t < (save ? rules::kTroopTableLimit : rules::kMapTroopCount); ++t)
        troops +=
            tables.GetTableBase(
                TableId::Troop)[t * rules::kTroopRecordSize + rules::TroopRecord::kSlotByte] !=
            0xFF;
    const std::string title = Utf8Field(header, rules::ScenarioHeaderRecord::kTitle,
                                        rules::ScenarioHeaderRecord::kTitleWidth);
    check.summary = name + ": " + (save ? "saved game " : "map ") + title + ", " +
                    std::to_string(participants) + " countries, " + std::to_string(sites) +
                    " sites, " + std::to_string(troops) + " troops";
    check.ok = check.problems.empty();
    return check;
}

FileCheck CheckCorpsFile(const std::string& path, const std::string& name,
                         const std::string& ruleDir) {
    FileCheck check;
    std::vector<std::uint8_t> file;
    const rules::FileStatus read = rules::ReadGameFile(path, rules::kCorpsFileSize, file);
    if (!read) {
        check.problems.push_back(name + ": " + read.error);
        return check;
    }
    const std::uint16_t kind = file.size() >= 2 ? rules::ReadU16(file.data(), 0) : 0;
    if (file.size() < rules::kDatHeaderBytes || kind != rules::kCorpsFileKind) {
        check.problems.push_back(name + ": file kind " + std::to_string(kind) +
                                 ", a corps file has kind 105");
        return check;
    }
    if (file.size() != rules::kCorpsFileSize) {
        check.problems.push_back(name + ": " + std::to_string(file.size()) +
                                 " bytes, a corps file has " +
                                 std::to_string(rules::kCorpsFileSize));
        return check;
    }
    TableDirectory tables;
    std::string error;
    if (!LoadRuleTablesFor(path, ruleDir, tables, error)) {
        check.problems.push_back(name + ": " + error);
        return check;
    }
    const auto& force =
        *reinterpret_cast<const rules::ForceRecord*>(file.data() + rules::kDatHeaderBytes);
    const std::string corpsName =
        Utf8Field(force.data(), rules::ForceRecord::kName, rules::ForceRecord::kNameSize);
    if (corpsName.empty()) check.problems.push_back(name + " header, name: the corps has no name");
    const int type = force.ProductionType();
    if (type >= rules::kProductionTypeCount || !rules::IsProductionTypePresent(tables, type))
        check.problems.push_back(name + " header, production type: " + std::to_string(type) +
                                 " is no production type");
    int troops = 0, templates = 0, hq = 0;
    rules::UnitInfoCursor unit(tables);
    for (int t = 0; t < rules::kForceTroopCount; ++t) {
        const rules::TroopRecord& troop = force.Troop(static_cast<std::size_t>(t));
        CheckTroopRecord(tables, troop, name, true, t, check.problems);
        if (!troop.IsUsed()) continue;
        (troop.Flags() & rules::kTroopTemplate ? templates : troops) += 1;
        for (int m = 0; m < rules::kTroopMemberCount; ++m)
            if (troop.Member(m).IsPresent() && unit.Select(troop.Member(m).Unit()) &&
                unit.GetUnitKind() == kKindHeadquarters &&
                !(troop.Flags() & rules::kTroopTemplate)) {
                ++hq;
                break;
            }
    }
    if (hq == 0) check.problems.push_back(name + ": no headquarters troop to deploy");
    check.summary = name + ": corps " + corpsName + " (" +
                    (type < rules::kProductionTypeCount
                         ? core::SjisToUtf8(rules::GetProductionTypeName(tables, type))
                         : std::string("?")) +
                    "), " + std::to_string(troops) + " troops, " + std::to_string(templates) +
                    " templates";
    check.ok = check.problems.empty();
    return check;
}

}  // namespace

FileCheck CheckGameFile(const std::string& gamePath, const std::string& ruleDir) {
    // Backslashes and any case, as the game names its files.
    const std::string path = core::ResolvePath(gamePath);
    const std::string name = FileName(path);
    const std::string extension = Lower(std::filesystem::path(name).extension().string());
    if (!core::FileExists(path)) {
        FileCheck check;
        check.problems.push_back(name + (core::DirectoryExists(path)
                                             ? ": is a folder, not a file"
                                             : ": cannot be read (no such file)"));
        return check;
    }
    if (extension == ".dat") return CheckDatFile(path, name);
    if (extension == ".ddm") return CheckMapOrSave(path, name, false, ruleDir);
    // The title page's recorded game is a saved game under another name.
    if (extension == ".ddg" || extension == ".opn")
        return CheckMapOrSave(path, name, true, ruleDir);
    if (extension == ".prm") return CheckCorpsFile(path, name, ruleDir);
    if (extension == ".wav" || extension == ".mid") {
        const auto bytes = core::ReadWholeFile(path);
        if (!bytes) return FileCheck{false, {}, {name + ": cannot be read"}};
        return extension == ".wav" ? audio::CheckWave(name, *bytes)
                                   : audio::CheckMidi(name, *bytes);
    }
    FileCheck check;
    check.problems.push_back(name + ": not a game file (.dat, .ddm, .ddg, .prm, .wav or .mid)");
    return check;
}

FileCheck CheckGameFileImage(const std::string& name, std::span<const std::uint8_t> bytes,
                             TableDirectory& tables) {
    const std::string extension = Lower(std::filesystem::path(name).extension().string());
    const bool save = extension == ".ddg" || extension == ".opn";
    if (extension == ".ddm" || save) {
        const std::size_t maxSize = save ? rules::kSaveFileWithNewsSize : rules::kMapFileSize;
        if (bytes.size() > maxSize) {
            return FileCheck{
                false,
                {},
                {name + ": " + name + " is longer than " + std::to_string(maxSize) + " bytes"}};
        }
        return CheckMapOrSaveImage(bytes, name, save, tables,
                                   [](TableDirectory&, std::string&) { return true; });
    }
    if (extension == ".wav")
        return audio::CheckWave(name, audio::Bytes(bytes.begin(), bytes.end()));
    if (extension == ".mid")
        return audio::CheckMidi(name, audio::Bytes(bytes.begin(), bytes.end()));
    FileCheck check;
    check.problems.push_back(name + ": not a map, saved game, sound or music file");
    return check;
}

}  // namespace zv::zvdata
