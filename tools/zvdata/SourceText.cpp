#include "tools/zvdata/SourceText.h"

#include <charconv>

#include "platform/core/Sjis.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "rules/records/TroopCursor.h"
#include "tools/zvdata/RuleSetCheck.h"

namespace zv::zvdata {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The value of "key=value" tokens; blanks separate tokens.
bool TakeToken(std::string_view& rest, std::string_view& token) {
    rest = Trim(rest);
    if (rest.empty()) return false;
    const std::size_t blank = rest.find_first_of(" \t");
    token = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank);
    return true;
}

}  // namespace

std::vector<SourceLine> ReadSourceLines(std::string_view utf8) {
    std::vector<SourceLine> lines;
    int number = 0;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos) end = utf8.size();
        ++number;
        std::string_view line = utf8.substr(start, end - start);
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line = line.substr(0, i);
                break;
            }
        }
        line = Trim(line);
        if (!line.empty()) lines.push_back({number, std::string(line)});
        start = end + 1;
    }
    return lines;
}

bool SplitSetting(const std::string& text, std::string& key, std::string& value) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    key = std::string(Trim(std::string_view(text).substr(0, eq)));
    value = std::string(Trim(std::string_view(text).substr(eq + 1)));
    return !key.empty();
}

bool ParseInt(std::string_view text, long min, long max, long& value) {
    text = Trim(text);
    if (text.empty()) return false;
    long v = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (v < min || v > max) return false;
    value = v;
    return true;
}

bool ParseHexPosition(std::string_view text, int& x, int& y) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    long a = 0, b = 0;
    if (!ParseInt(text.substr(0, comma), 0, 63, a) || !ParseInt(text.substr(comma + 1), 0, 63, b))
        return false;
    x = static_cast<int>(a);
    y = static_cast<int>(b);
    return true;
}

bool ParseIntList(std::string_view text, long min, long max, std::vector<long>& values) {
    values.clear();
    std::string_view token;
    while (TakeToken(text, token)) {
        long v = 0;
        if (!ParseInt(token, min, max, v)) return false;
        values.push_back(v);
    }
    return true;
}

UnitNames::UnitNames(const rules::TableDirectory& tables) {
    rules::UnitInfoCursor unit(tables);
    for (int i = 0; i < tables.GetTableRecordCount(rules::TableId::UnitInfo); ++i) {
        unit.Select(i);
        const std::string name = core::SjisToUtf8(unit.GetName());
        if (!name.empty() && byName_.find(name) == byName_.end()) byName_[name] = i;
    }
}

int UnitNames::Find(const std::string& utf8Name) const {
    const auto it = byName_.find(utf8Name);
    return it == byName_.end() ? -1 : it->second;
}

bool ParseTroopSpec(std::string_view text, const UnitNames& units, TroopSpec& spec,
                    std::string& error) {
    TroopSpec out;
    const std::size_t unitsAt = text.find("units=");
    if (unitsAt == std::string_view::npos) {
        error = "a troop needs units=";
        return false;
    }
    std::string_view options = text.substr(0, unitsAt);
    const std::string_view list = Trim(text.substr(unitsAt + 6));
    bool named = false;
    std::string_view token;
    while (TakeToken(options, token)) {
        const std::size_t eq = token.find('=');
        if (eq == std::string_view::npos) {
            error = "'" + std::string(token) + "' is not key=value";
            return false;
        }
        const std::string_view key = token.substr(0, eq);
        const std::string_view value = token.substr(eq + 1);
        long number = 0;
        if (key == "name") {
            out.name = std::string(value);
            named = true;
        } else if (key == "mode") {
            if (!ParseInt(value, 0, 5, number)) {
                error = "mode is 0-5";
                return false;
            }
            out.mode = static_cast<int>(number);
        } else if (key == "auto") {
            if (!ParseInt(value, 0, 1, number)) {
                error = "auto is 0 or 1";
                return false;
            }
            out.automatic = number != 0;
        } else if (key == "on") {
            out.carrier = std::string(value);
        } else {
            error = "unknown troop setting '" + std::string(key) + "'";
            return false;
        }
    }
    if (!named || out.name.empty()) {
        error = "a troop needs name=";
        return false;
    }
    const std::string sjisName = core::Utf8ToSjis(out.name);
    if (sjisName.size() > rules::TroopRecord::kNameSize || core::SjisToUtf8(sjisName) != out.name) {
        error = "troop name '" + out.name + "' does not fit 24 Shift-JIS bytes";
        return false;
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t slash = list.find('/', start);
        if (slash == std::string_view::npos) slash = list.size();
        std::string_view item = Trim(list.substr(start, slash - start));
        start = slash + 1;
        long count = 1;
        int pack = -1;
        // Suffixes "*count" and "@pack", in either order.
        for (std::size_t mark = item.find_last_of("*@"); mark != std::string_view::npos;
             mark = item.find_last_of("*@")) {
            long value = 0;
            const bool star = item[mark] == '*';
            if (!ParseInt(item.substr(mark + 1), 1, star ? 6 : 4, value)) {
                error = star ? "count after '*' is 1-6" : "pack after '@' is 1-4";
                return false;
            }
            if (star)
                count = value;
            else
                pack = static_cast<int>(value - 1);
            item = Trim(item.substr(0, mark));
        }
        const int unit = units.Find(std::string(item));
        if (unit < 0) {
            error = "no unit is named '" + std::string(item) + "'";
            return false;
        }
        for (long k = 0; k < count; ++k) {
            out.units.push_back(static_cast<std::int16_t>(unit));
            out.packs.push_back(pack);
        }
        if (slash == list.size()) break;
    }
    if (out.units.empty() || out.units.size() > rules::kTroopMemberCount) {
        error = "a troop has 1 to 6 members, not " + std::to_string(out.units.size());
        return false;
    }
    spec = std::move(out);
    return true;
}

bool BuildTroop(rules::TroopCursor& cursor, const TroopSpec& spec, std::uint8_t country,
                std::uint16_t hex, std::string& error) {
    std::int16_t units[rules::kTroopMemberCount];
    for (int j = 0; j < rules::kTroopMemberCount; ++j)
        units[j] = j < static_cast<int>(spec.units.size()) ? spec.units[static_cast<std::size_t>(j)]
                                                           : rules::kNoUnit;
    const std::string name = core::Utf8ToSjis(spec.name);
    rules::CreateTroopFromUnits(cursor, units, country, static_cast<std::uint8_t>(spec.mode), hex,
                                name.c_str());
    rules::TroopRecord* record = cursor.GetRecord();
    for (std::size_t j = 0; j < spec.units.size(); ++j) {
        if (!record->Member(static_cast<int>(j)).IsPresent()) {
            error = "unit " + std::to_string(spec.units[j]) + " could not join the troop";
            return false;
        }
        if (spec.packs[j] >= 0) {
            if (!cursor.UnitInfoCursor::Select(spec.units[j]) ||
                cursor.UnitInfoCursor::GetPackFuel(spec.packs[j]) == 0) {
                error = "pack " + std::to_string(spec.packs[j] + 1) + " of member " +
                        std::to_string(j + 1) + " has no fuel and cannot be chosen";
                return false;
            }
            rules::SetMemberPackRefill(cursor, static_cast<int>(j),
                                       static_cast<std::uint8_t>(spec.packs[j]));
        }
    }
    // The picture of the troop: the first member's picture kind, as the organisation sets it.
    if (cursor.UnitInfoCursor::Select(spec.units[0]))
        cursor.SetWord382(cursor.UnitInfoCursor::GetKindByte29());
    // Every formation starts as the first one, as the organisation registers a troop.
    rules::RebuildAllFormations(cursor);
    rules::RefreshMoveCostTable(cursor);
    for (int f = 0; f < rules::kTroopFormationCount; ++f)
        record->Formation(f).SetSetting(0, spec.automatic ? 1 : 0);
    return true;
}

std::string CheckTroopMembers(const rules::TableDirectory& tables, const TroopSpec& spec,
                              int* headquarters) {
    rules::UnitInfoCursor unit(tables);
    const int code = UnitAltitudeCode(tables, spec.units[0]);
    int hq = 0;
    for (std::int16_t u : spec.units) {
        if (UnitAltitudeCode(tables, u) != code || code == 0)
            return "its members must share one altitude (" + spec.name + ")";
        unit.Select(u);
        if (unit.GetUnitKind() == kKindHeadquarters) ++hq;
    }
    if (hq > 1) return "a troop holds one headquarters member at most (" + spec.name + ")";
    if (headquarters) *headquarters = hq;
    return {};
}

int AltitudeCode(int altitudeClass, int defenceType) {
    if (altitudeClass < 0 || altitudeClass > 255) return 0;
    return rules::TroopAltitudeCodeOf(std::uint8_t(altitudeClass), std::uint8_t(defenceType != 0));
}

int UnitAltitudeCode(const rules::TableDirectory& tables, int unit) {
    rules::UnitInfoCursor cursor(tables);
    if (!cursor.Select(unit)) return 0;
    return AltitudeCode(cursor.GetAltitudeClass(), cursor.GetDefenceType());
}

}  // namespace zv::zvdata
