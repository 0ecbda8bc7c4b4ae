#include "tools/zvdata/MapSource.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/core/Files.h"
#include "platform/core/Sjis.h"
#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/files/GameFileIo.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleCursors.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "tools/zvdata/RuleSetCheck.h"
#include "tools/zvdata/SourceText.h"

namespace zv::zvdata {

namespace {

using rules::TableDirectory;

using rules::kMapSize;
// Land kinds 0-12, then 21-28.
constexpr char kLetters[] = ".,wls~tThmMdD_;WyYHnN";
constexpr int kLetterKinds[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10,
                                11, 12, 21, 22, 23, 24, 25, 26, 27, 28};
constexpr const char* kSiteNames[] = {"首都", "大都市", "都市", "町", "空港", "港"};

bool IsWater(int landKind) {
    return landKind >= 3 && landKind <= 5;
}

struct CountrySource {
    bool present = false;
    std::string name;
    long play = 0;
    std::vector<long> allies;
    long funds = 1000, comFunds = 1000, production = 80, music = 0;
    std::string corps;
    std::vector<long> placement = {1, 0, 0, 0, 0, 0};
    std::vector<long> thinking = {1, 2, 3, 4, 5, 0, 0, 0, 0, 0};
    int line = 0;
};

struct MapState {
    std::string title, description;
    long day = 1, hour = 6, minute = 0, fog = 1, dayLimit = 99, hourLimit = 24, options = 7,
         deploy = 40;
    std::array<CountrySource, 4> countries;
    std::vector<std::string> terrain, areas;
    int terrainLine = 0, areasLine = 0;
    struct Path {
        int line;
        std::vector<std::pair<int, int>> points;
    };
    std::vector<Path> roads, rivers;
    struct Site {
        int line, kind, owner, x, y;
    };
    std::vector<Site> sites;
    struct Troop {
        int line, country, x, y;
        TroopSpec spec;
    };
    std::vector<Troop> troops;
};

bool FitsSjis(const std::string& utf8, std::size_t maxBytes) {
    const std::string sjis = core::Utf8ToSjis(utf8);
    return sjis.size() <= maxBytes && core::SjisToUtf8(sjis) == utf8;
}

// Letters of a grid row: one byte each.
bool ReadGridRow(const std::string& row, bool terrain, std::string& error) {
    if (row.size() != kMapSize) {
        error = "a row has " + std::to_string(row.size()) + " letters, not 64";
        return false;
    }
    for (char ch : row) {
        const bool ok =
            terrain ? LandKindOfLetter(ch) >= 0 : (ch == '.' || (ch >= '0' && ch <= '3'));
        if (!ok) {
            error =
                std::string("'") + ch + "' is no " + (terrain ? "land kind" : "area") + " letter";
            return false;
        }
    }
    return true;
}

bool ParsePath(const std::string& text, std::vector<std::pair<int, int>>& points) {
    points.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        while (start < text.size() && text[start] == ' ') ++start;
        if (start >= text.size()) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        int x = 0, y = 0;
        if (!ParseHexPosition(std::string_view(text).substr(start, end - start), x, y))
            return false;
        points.emplace_back(x, y);
        start = end;
    }
    return points.size() >= 2;
}

bool ParseCountrySetting(CountrySource& c, const std::string& key, const std::string& value,
                         std::string& error) {
    if (key == "name") {
        if (value.empty() || !FitsSjis(value, 24)) {
            error = "a country name has 1 to 24 Shift-JIS bytes";
            return false;
        }
        c.name = value;
    } else if (key == "play") {
        if (!ParseInt(value, 0, 1, c.play)) return error = "play is 0 or 1", false;
    } else if (key == "allies") {
        if (!ParseIntList(value, 0, 3, c.allies)) return error = "allies are countries 0-3", false;
    } else if (key == "funds") {
        if (!ParseInt(value, 0, 999999999, c.funds)) return error = "funds are 0-999999999", false;
    } else if (key == "com_funds") {
        if (!ParseInt(value, 0, 999999999, c.comFunds))
            return error = "com_funds are 0-999999999", false;
    } else if (key == "production") {
        if (!ParseInt(value, 0, 255, c.production)) return error = "production is 0-255", false;
    } else if (key == "music") {
        if (!ParseInt(value, 0, 255, c.music)) return error = "music is 0-255", false;
    } else if (key == "corps") {
        c.corps = value;
    } else if (key == "placement") {
        if (!ParseIntList(value, 0, 6, c.placement) || c.placement.size() != 6)
            return error = "placement is six placer numbers 0-6", false;
    } else if (key == "thinking") {
        if (!ParseIntList(value, 0, 255, c.thinking) || c.thinking.size() != 10)
            return error = "thinking is ten numbers", false;
    } else {
        error = "unknown country setting '" + key + "'";
        return false;
    }
    return true;
}

bool ParseMapSetting(MapState& map, const std::string& key, const std::string& value,
                     std::string& error) {
    std::vector<long> v;
    if (key == "title") {
        if (value.empty() || !FitsSjis(value, 23))
            return error = "a title has 1 to 23 bytes", false;
        map.title = value;
    } else if (key == "description") {
        if (!FitsSjis(value, 255)) return error = "a description fits 255 bytes", false;
        map.description = value;
    } else if (key == "clock") {
        if (!ParseIntList(value, 0, 255, v) || v.size() != 3 || v[1] > 23 || v[2] > 59)
            return error = "clock is DAY HOUR(0-23) MINUTE(0-59)", false;
        map.day = v[0], map.hour = v[1], map.minute = v[2];
    } else if (key == "fog") {
        if (!ParseInt(value, 0, 1, map.fog)) return error = "fog is 0 or 1", false;
    } else if (key == "limit") {
        if (!ParseIntList(value, 0, 255, v) || v.size() != 2 || v[1] > 24)
            return error = "limit is DAYS HOURS(0-24)", false;
        map.dayLimit = v[0], map.hourLimit = v[1];
    } else if (key == "options") {
        if (!ParseInt(value, 0, 7, map.options)) return error = "options are rule bits 0-7", false;
    } else if (key == "deploy") {
        if (!ParseInt(value, 1, 40, map.deploy)) return error = "deploy is 1-40", false;
    } else {
        error = "unknown map setting '" + key + "'";
        return false;
    }
    return true;
}

// Reads every section; checks only what needs no tables.
bool ParseMap(const std::string& sourceName, std::string_view utf8, const UnitNames& names,
              MapState& map, std::string& error) {
    std::string section;
    int country = -1;
    for (const SourceLine& line : ReadSourceLines(utf8)) {
        const std::string where = sourceName + " line " + std::to_string(line.number) + ": ";
        std::string reason;
        const std::string& text = line.text;
        if (text.front() == '[') {
            if (text.back() != ']') {
                error = where + "a section header ends with ']'";
                return false;
            }
            section = text.substr(1, text.size() - 2);
            country = -1;
            if (section.rfind("country ", 0) == 0) {
                long c = 0;
                if (!ParseInt(std::string_view(section).substr(8), 0, 3, c)) {
                    error = where + "countries are 0-3";
                    return false;
                }
                country = static_cast<int>(c);
                if (map.countries[country].present) {
                    error = where + "country " + std::to_string(c) + " is described twice";
                    return false;
                }
                map.countries[country].present = true;
                map.countries[country].line = line.number;
            } else if (section == "terrain") {
                if (!map.terrain.empty()) return error = where + "a second terrain", false;
                map.terrainLine = line.number;
            } else if (section == "areas") {
                if (!map.areas.empty()) return error = where + "a second area grid", false;
                map.areasLine = line.number;
            } else if (section != "map" && section != "roads" && section != "rivers" &&
                       section != "sites" && section != "troops") {
                error = where + "unknown section [" + section + "]";
                return false;
            }
            continue;
        }
        std::string key, value;
        if (section == "map" || country >= 0) {
            if (!SplitSetting(text, key, value)) {
                error = where + "expected 'key = value'";
                return false;
            }
            const bool ok = country >= 0
                                ? ParseCountrySetting(map.countries[country], key, value, reason)
                                : ParseMapSetting(map, key, value, reason);
            if (!ok) return error = where + reason, false;
        } else if (section == "terrain" || section == "areas") {
            std::vector<std::string>& grid = section == "terrain" ? map.terrain : map.areas;
            if (grid.size() == kMapSize) return error = where + "more than 64 rows", false;
            if (!ReadGridRow(text, section == "terrain", reason))
                return error = where + reason, false;
            grid.push_back(text);
        } else if (section == "roads" || section == "rivers") {
            MapState::Path path{line.number, {}};
            if (!ParsePath(text, path.points))
                return error = where + "a path is two or more hexes 'x,y'", false;
            (section == "roads" ? map.roads : map.rivers).push_back(path);
        } else if (section == "sites") {
            const std::size_t a = text.find(' ');
            const std::size_t b = a == std::string::npos ? a : text.find(' ', a + 1);
            if (b == std::string::npos) return error = where + "a site is KIND OWNER x,y", false;
            const std::string kindName = text.substr(0, a);
            const std::string owner = text.substr(a + 1, b - a - 1);
            MapState::Site site{line.number, -1, -1, 0, 0};
            for (int k = 0; k < 6; ++k)
                if (kindName == kSiteNames[k]) site.kind = k;
            long o = 0;
            if (owner == "中立")
                site.owner = 4;
            else if (ParseInt(owner, 0, 3, o))
                site.owner = static_cast<int>(o);
            if (site.kind < 0)
                return error = where + "no site kind is named '" + kindName + "'", false;
            if (site.owner < 0) return error = where + "a site's owner is 0-3 or 中立", false;
            if (!ParseHexPosition(std::string_view(text).substr(b + 1), site.x, site.y))
                return error = where + "a site's hex is x,y within 0-63", false;
            map.sites.push_back(site);
        } else if (section == "troops") {
            const std::size_t a = text.find(' ');
            const std::size_t b = a == std::string::npos ? a : text.find(' ', a + 1);
            if (b == std::string::npos)
                return error = where + "a troop is COUNTRY x,y name=... units=...", false;
            MapState::Troop troop{line.number, 0, 0, 0, {}};
            long c = 0;
            if (!ParseInt(std::string_view(text).substr(0, a), 0, 3, c))
                return error = where + "a troop's country is 0-3", false;
            troop.country = static_cast<int>(c);
            if (!ParseHexPosition(std::string_view(text).substr(a + 1, b - a - 1), troop.x,
                                  troop.y))
                return error = where + "a troop's hex is x,y within 0-63", false;
            if (!ParseTroopSpec(std::string_view(text).substr(b + 1), names, troop.spec, reason))
                return error = where + reason, false;
            map.troops.push_back(std::move(troop));
        } else {
            error = where + "a statement outside any section";
            return false;
        }
    }
    if (map.title.empty()) return error = sourceName + ": the map needs a title", false;
    if (map.terrain.size() != kMapSize)
        return error = sourceName + ": [terrain] needs 64 rows, it has " +
                       std::to_string(map.terrain.size()),
               false;
    if (map.areas.size() != kMapSize)
        return error = sourceName + ": [areas] needs 64 rows, it has " +
                       std::to_string(map.areas.size()),
               false;
    if (map.hour > 23 || map.dayLimit < map.day)
        return error = sourceName + ": the day limit lies before the start day", false;
    return true;
}

// Draws a path hex by hex into the road or river bytes (offset 1 or 2 of the hex record).
bool DrawPath(TableDirectory& tables, const MapState::Path& path, std::size_t byteOffset,
              std::string& error) {
    std::uint8_t* hexes = tables.GetTableBase(rules::TableId::Hex);
    auto link = [&](int x, int y, int d) {
        std::uint8_t& bits =
            hexes[static_cast<std::size_t>(x + kMapSize * y) * rules::HexRecord::kSize +
                  byteOffset];
        if (bits == 0xFF) bits = 0;
        bits = static_cast<std::uint8_t>(bits | (1u << d));
    };
    int x = path.points[0].first, y = path.points[0].second;
    for (std::size_t p = 1; p < path.points.size(); ++p) {
        const auto [tx, ty] = path.points[p];
        int guard = 0;
        while ((x != tx || y != ty) && guard++ < 256) {
            int best = -1;
            std::uint16_t bestX = 0, bestY = 0, bestDistance = 0xFFFF;
            for (int d = 0; d < rules::kHexDirectionCount; ++d) {
                std::uint16_t nx = 0, ny = 0;
                if (!rules::HexNeighbourOf(x, y, d, nx, ny)) continue;
                const std::uint16_t distance = rules::HexDistance(nx, ny, tx, ty);
                if (distance < bestDistance) {
                    best = d, bestX = nx, bestY = ny, bestDistance = distance;
                }
            }
            if (best < 0) break;
            link(x, y, best);
            link(bestX, bestY, (best + 3) % rules::kHexDirectionCount);
            x = bestX, y = bestY;
        }
        if (x != tx || y != ty) {
            error = "line " + std::to_string(path.line) + ": the path cannot reach " +
                    std::to_string(tx) + "," + std::to_string(ty);
            return false;
        }
    }
    return true;
}

// The shore marks the map view keeps in byte 5 (and no river on water), so that the file holds
// what the editor would have saved.
void MarkShores(TableDirectory& tables, const std::vector<MapState::Site>& sites) {
    std::uint8_t* hexes = tables.GetTableBase(rules::TableId::Hex);
    auto at = [&](int x, int y) { return hexes + (x + kMapSize * y) * rules::HexRecord::kSize; };
    std::vector<bool> hasSite(kMapSize * kMapSize, false);
    for (const auto& s : sites) hasSite[static_cast<std::size_t>(s.x + kMapSize * s.y)] = true;
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            std::uint8_t* hex = at(x, y);
            hex[rules::HexRecord::kMarkBits] = 0;
            const bool water = IsWater(hex[rules::HexRecord::kLandKind]);
            if (water) hex[rules::HexRecord::kRiver] = 0xFF;
            for (int d = 0; d < rules::kHexDirectionCount; ++d) {
                std::uint16_t nx = 0, ny = 0;
                if (!rules::HexNeighbourOf(x, y, d, nx, ny)) continue;
                const bool neighbourWater = IsWater(at(nx, ny)[rules::HexRecord::kLandKind]);
                const bool neighbourSite = hasSite[static_cast<std::size_t>(nx + kMapSize * ny)];
                if ((!water && neighbourWater && !neighbourSite) || (water && neighbourSite))
                    hex[rules::HexRecord::kMarkBits] =
                        static_cast<std::uint8_t>(hex[rules::HexRecord::kMarkBits] | (1u << d));
            }
        }
    }
}

// Number of a corps file in the list the corps pages show: readable files 00-99 in order.
int CorpsListIndex(TableDirectory& tables, const std::string& programDir, const std::string& name) {
    int index = 0;
    for (int n = 0; n < 100; ++n) {
        char file[24];
        std::snprintf(file, sizeof file, "useFrc%02d.prm", n);
        if (!core::FileExists(rules::GamePath(programDir, "USER", file))) continue;
        rules::ForceCursor probe(tables, 5);
        probe.SelectSlot(5);
        if (!probe.LoadUserForceFile(programDir, file)) continue;
        if (name == file) return index;
        ++index;
    }
    return -1;
}

// The terrain class a troop of the altitude class meets on a hex (15 + site kind, river 14,
// road 13 on the ground, else the land kind).
int TerrainClassAt(const TableDirectory& tables, int x, int y, int altitudeClass,
                   const std::vector<MapState::Site>& sites) {
    for (const auto& s : sites)
        if (s.x == x && s.y == y) return 15 + s.kind;
    const std::uint8_t* hex =
        tables.GetTableBase(rules::TableId::Hex) + (x + kMapSize * y) * rules::HexRecord::kSize;
    const bool road = hex[rules::HexRecord::kRoad] != 0xFF;
    if (hex[rules::HexRecord::kRiver] != 0xFF && !road) return 14;
    if (altitudeClass == 3 && road) return 13;
    return hex[rules::HexRecord::kLandKind];
}

}  // namespace

const char* GetTerrainLetters() {
    return kLetters;
}

int LandKindOfLetter(char letter) {
    for (std::size_t i = 0; i + 1 < sizeof kLetters; ++i)
        if (kLetters[i] == letter) return kLetterKinds[i];
    return -1;
}

bool CompileMap(TableDirectory& tables, const std::string& programDir,
                const std::string& sourceName, std::string_view utf8, std::string& error) {
    const UnitNames names(tables);
    MapState map;
    if (!ParseMap(sourceName, utf8, names, map, error)) return false;
    const std::string at = sourceName + " ";

    // A new map, as the editor starts one.
    rules::GameContext context(tables);
    context.ResetAllGameTables();

    rules::ScenarioHeaderCursor header(tables);
    header.SetTitle(core::Utf8ToSjis(map.title));
    header.SetDescription(core::Utf8ToSjis(map.description));
    header.SetDay(static_cast<std::uint8_t>(map.day));
    header.SetHour(static_cast<std::uint8_t>(map.hour));
    header.SetMinute(static_cast<std::uint8_t>(map.minute));
    header.SetDaytime(map.hour >= 6 && map.hour <= 17 ? 1 : 0);
    header.SetOptionByte1(static_cast<std::uint8_t>(map.fog));
    header.SetDayLimit(static_cast<std::uint8_t>(map.dayLimit));
    header.SetHourLimit(static_cast<std::uint8_t>(map.hourLimit));
    header.SetOptionWord(static_cast<std::uint16_t>(map.options));
    header.SetDeployLimit(static_cast<std::uint8_t>(map.deploy));

    rules::HexCursor hexes(tables);
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            hexes.Select(x + kMapSize * y);
            hexes.SetLandKind(static_cast<std::uint8_t>(LandKindOfLetter(
                map.terrain[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])));
            const char area = map.areas[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (area != '.') hexes.SetCountry(static_cast<std::uint8_t>(area - '0'));
        }
    }
    for (const auto& road : map.roads)
        if (!DrawPath(tables, road, rules::HexRecord::kRoad, error))
            return error = at + error, false;
    for (const auto& river : map.rivers)
        if (!DrawPath(tables, river, rules::HexRecord::kRiver, error))
            return error = at + error, false;

    // Countries.
    rules::CountryCursor countries(tables);
    for (int c = 0; c < 4; ++c) {
        const CountrySource& source = map.countries[static_cast<std::size_t>(c)];
        if (!source.present) continue;
        const std::string where = sourceName + " line " + std::to_string(source.line) + ": ";
        countries.Select(c);
        if (!source.name.empty()) countries.SetName(core::Utf8ToSjis(source.name));
        countries.SetParticipation(static_cast<std::uint8_t>(source.play));
        std::uint8_t mask = static_cast<std::uint8_t>(1u << c);
        for (long a : source.allies) mask = static_cast<std::uint8_t>(mask | (1u << a));
        countries.SetAllianceMask(mask);
        countries.SetFunds(static_cast<std::int32_t>(source.funds));
        countries.SetValue38(static_cast<std::int32_t>(source.comFunds));
        countries.SetValue42(static_cast<std::int32_t>(source.production));
        countries.SetFlag64(static_cast<std::uint8_t>(source.music));
        for (int i = 0; i < 6; ++i)
            countries.SetSetting66(
                i, static_cast<std::uint8_t>(source.placement[static_cast<std::size_t>(i)]));
        for (int i = 0; i < 10; ++i)
            countries.SetOrder72(
                i, static_cast<std::uint8_t>(source.thinking[static_cast<std::size_t>(i)]));
        if (!source.corps.empty()) {
            const int index = CorpsListIndex(tables, programDir, source.corps);
            rules::ForceCursor corps(tables, static_cast<std::uint8_t>(c));
            corps.SelectSlot(static_cast<std::uint8_t>(c));
            if (index < 0 || !corps.LoadUserForceFile(programDir, source.corps.c_str()))
                return error = where + "no readable corps file " + source.corps + " in USER", false;
            corps.SetHeaderWord282(1);
            countries.Select(c);
            countries.SetSetting82(static_cast<std::uint16_t>(index));
        }
    }

    // Sites.
    rules::SiteCursor siteCursor(tables);
    std::vector<bool> taken(kMapSize * kMapSize, false);
    for (const auto& s : map.sites) {
        const std::string where = sourceName + " line " + std::to_string(s.line) + ": ";
        hexes.Select(s.x + kMapSize * s.y);
        if (IsWater(hexes.GetLandKind())) return error = where + "a site stands on land", false;
        if (taken[static_cast<std::size_t>(s.x + kMapSize * s.y)])
            return error = where + "two sites on one hex", false;
        taken[static_cast<std::size_t>(s.x + kMapSize * s.y)] = true;
        if (s.owner < 4 && !map.countries[static_cast<std::size_t>(s.owner)].play)
            return error = where + "the owner does not take part in the map", false;
        if (s.kind == 5) {
            bool water = false;
            for (int d = 0; d < rules::kHexDirectionCount; ++d) {
                std::uint16_t nx = 0, ny = 0;
                if (rules::HexNeighbourOf(s.x, s.y, d, nx, ny)) {
                    hexes.Select(nx + kMapSize * ny);
                    water |= hexes.GetLandKind() == 4 || hexes.GetLandKind() == 5;
                }
            }
            if (!water) return error = where + "a port lies beside the sea", false;
        }
        const std::uint16_t position = static_cast<std::uint16_t>(s.x | (s.y << 8));
        if (siteCursor.AddSite(s.kind, s.owner, position) == 0xFFFF)
            return error = where + "no free site record (200 at most)", false;
    }
    MarkShores(tables, map.sites);

    // Troops, in each country's block of forty.
    rules::TroopCursor troops(tables);
    std::map<std::pair<int, std::string>, std::uint16_t> byName;
    std::vector<bool> occupied(kMapSize * kMapSize, false);
    for (const auto& t : map.troops) {
        const std::string where = sourceName + " line " + std::to_string(t.line) + ": ";
        std::string reason = CheckTroopMembers(tables, t.spec, nullptr);
        if (!reason.empty()) return error = where + reason, false;
        if (!map.countries[static_cast<std::size_t>(t.country)].play)
            return error = where + "the country does not take part in the map", false;
        if (byName.count({t.country, t.spec.name}))
            return error = where + "a troop of this country already has the name " + t.spec.name,
                   false;
        const std::uint16_t slot =
            rules::FindFreeTroopSlot(troops, static_cast<std::uint8_t>(t.country));
        if (slot == rules::kNoTroop || !troops.Select(slot))
            return error = where + "a country has 40 map troops at most", false;
        const std::uint16_t hex = static_cast<std::uint16_t>(t.x | (t.y << 8));
        if (!BuildTroop(troops, t.spec, static_cast<std::uint8_t>(t.country), hex, reason))
            return error = where + reason, false;
        troops.Select(slot);
        const std::uint8_t altitude = troops.RefreshAltitudeClass();
        std::size_t cell = static_cast<std::size_t>(t.x + kMapSize * t.y);
        if (!t.spec.carrier.empty()) {
            const auto carrier = byName.find({t.country, t.spec.carrier});
            if (carrier == byName.end())
                return error = where + "no earlier troop of the country is named " + t.spec.carrier,
                       false;
            troops.Select(carrier->second);
            std::uint16_t carrierHex = 0;
            troops.GetHex(&carrierHex);
            if (carrierHex != hex)
                return error = where + "a troop aboard stands on its carrier's hex", false;
            if (!troops.TryLoadOnto(carrier->second, slot, 0))
                return error = where + t.spec.carrier + " cannot take this troop", false;
            rules::LoadTroop(troops, carrier->second, slot);
            troops.Select(slot);
            troops.SetStateFlags(
                static_cast<std::uint16_t>(troops.GetStateFlags() | rules::kTroopOnMap));
        } else {
            if (occupied[cell]) return error = where + "another troop stands on this hex", false;
            occupied[cell] = true;
            // The troop must be able to stand there; kind-6 members use the placement's mask.
            const int terrainClass = TerrainClassAt(tables, t.x, t.y, altitude, map.sites);
            bool special = false;
            rules::UnitInfoCursor unit(tables);
            rules::UnitKindCursor kind(tables);
            for (std::int16_t u : t.spec.units) {
                unit.Select(u);
                kind.Select(unit.GetUnitKind());
                special |= kind.GetKindType() == kKindTypeSpecial;
            }
            troops.Select(slot);
            const bool allowed =
                special ? !(terrainClass == 3 || terrainClass == 4 || terrainClass == 5 ||
                            terrainClass == 9 || terrainClass == 10 || terrainClass == 14 ||
                            terrainClass == 27 || terrainClass == 28)
                        : rules::GetMoveCost(troops, terrainClass) != 0;
            if (!allowed)
                return error = where + "the troop cannot stand on terrain class " +
                               std::to_string(terrainClass),
                       false;
            std::uint16_t flags =
                static_cast<std::uint16_t>(troops.GetStateFlags() | rules::kTroopOnMap);
            // Aircraft that start on one of their country's supplying sites are on the ground.
            if ((altitude == 1 || altitude == 2) && terrainClass >= 15) {
                rules::LandKindCursor land(tables);
                land.Select(terrainClass);
                const std::uint16_t supply = land.GetSupplyFlag();
                bool own = false;
                for (const auto& s : map.sites)
                    own |= s.x == t.x && s.y == t.y && s.owner == t.country;
                if (own && (supply & 0x1000) && (supply & (altitude == 1 ? 0x01 : 0x02)))
                    flags = static_cast<std::uint16_t>(flags | rules::kTroopGroundSupplied);
            }
            troops.SetStateFlags(flags);
        }
        byName[{t.country, t.spec.name}] = slot;
    }
    context.RebuildHexOccupancy();
    return true;
}

}  // namespace zv::zvdata
