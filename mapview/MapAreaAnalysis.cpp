#include "mapview/MapAreaAnalysis.h"

#include <cstring>

#include "mapview/MapWorld.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"

namespace zv::mapview {

namespace {

// Neighbour offsets in bit order: W, SW, S, SE, E, NE, N, NW.
constexpr int kNeighbourDx[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
constexpr int kNeighbourDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};

bool InsideAreas(int ax, int ay) { return ax >= 0 && ax < kAreaColumns && ay >= 0 && ay < kAreaColumns; }

rules::GameContextEnv AreaEnv(rules::RouteSearchSet* searches) {
    rules::GameContextEnv env = MapContextEnv();
    if (searches != nullptr) env.routeSearches = searches;
    return env;
}

}  // namespace

MapAreaContext::MapAreaContext(rules::TableDirectory& tables, rules::RouteSearchSet* searches)
    : GameContext(tables, AreaEnv(searches)), tables_(tables), searches_(searches) {
    if (searches_ == nullptr) searches_ = GetRouteSearches();
    if (searches_ == nullptr) {
        ownSearches_ = std::make_unique<rules::RouteSearchSet>(tables);
        searches_ = ownSearches_.get();
    }
    SelectArea(0, 0);
}

rules::RouteSearch& MapAreaContext::Search() { return searches_->Map(); }

int MapAreaContext::SelectArea(std::uint32_t packed) {
    const int ax = static_cast<int>(packed & 0xFFFF), ay = static_cast<int>(packed >> 16);
    if (!InsideAreas(ax, ay)) return 0;
    const int area = ax + kAreaColumns * ay;
    if (area == area_ && record_ != nullptr) return 1;
    if (area >= tables_.GetTableRecordCount(rules::TableId::GameTable16)) return 0;
    std::uint8_t* base = tables_.GetTableBase(rules::TableId::GameTable16);
    if (base == nullptr) return 0;
    const std::size_t size = tables_.GetTableRecordSize(rules::TableId::GameTable16);
    area_ = static_cast<std::uint16_t>(area);
    record_ = reinterpret_cast<MapAreaRecord*>(base + size * static_cast<std::size_t>(area));
    return 1;
}

std::uint16_t MapAreaContext::GetSiteCount(int owner, int kind) const {
    return kind >= 0 && kind < 6 ? record_->siteCounts[owner][kind] : 0;
}
void MapAreaContext::IncrementSiteCount(int owner, int kind) {
    if (kind >= 0 && kind < 6) ++record_->siteCounts[owner][kind];
}
std::uint16_t MapAreaContext::GetSupplyCount(int country, int kind) const {
    return kind >= 0 && kind < 6 ? record_->supplyCounts[country][kind] : 0;
}
void MapAreaContext::IncrementSupplyCount(int country, int kind) {
    if (kind >= 0 && kind < 6) ++record_->supplyCounts[country][kind];
}
std::uint8_t MapAreaContext::GetFoundCount(int observer, int owner, int k) const {
    return record_->found[observer][owner][k];
}
void MapAreaContext::IncrementFoundCount(int observer, int owner, int k) {
    std::uint8_t& v = record_->found[observer][owner][k];
    if (v != 0xFF) ++v;
}
std::uint8_t MapAreaContext::GetExpectedCount(int country, int k) const { return record_->expected[country][k]; }
void MapAreaContext::SetExpectedCount(int country, int k, std::uint8_t v) { record_->expected[country][k] = v; }
std::uint16_t MapAreaContext::GetSituation(int country) const { return record_->situation[country]; }
void MapAreaContext::SetSituation(int country, std::uint16_t v) { record_->situation[country] = v; }
std::uint8_t MapAreaContext::GetDirections(int k) const { return record_->directions[k]; }
void MapAreaContext::SetDirections(int k, std::uint8_t v) { record_->directions[k] = v; }

void MapAreaContext::ClearAreaInfo() {
    std::uint8_t* base = tables_.GetTableBase(rules::TableId::GameTable16);
    const int count = std::min<int>(kAreaCount, tables_.GetTableRecordCount(rules::TableId::GameTable16));
    const std::size_t size = tables_.GetTableRecordSize(rules::TableId::GameTable16);
    for (int a = 0; a < count && base != nullptr; ++a) {
        auto* r = reinterpret_cast<MapAreaRecord*>(base + size * static_cast<std::size_t>(a));
        std::memset(r->siteCounts, 0, sizeof r->siteCounts);
        std::memset(r->supplyCounts, 0, sizeof r->supplyCounts);
        std::memset(r->found, 0, sizeof r->found);
        std::memset(r->expected, 0, sizeof r->expected);
        for (auto& s : r->situation) s = kAreaNotComputed;
        r->reserved[0] = r->reserved[1] = kSpareAreaWord;
        std::memset(r->directions, 0, sizeof r->directions);
    }
}

void MapAreaContext::ComputeAreaInfo() {
    searches_->ReloadAllTerrain();
    ClearAreaInfo();
    const std::uint16_t keep = area_;
    rules::SiteCursor& sites = Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s)) continue;
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        const int x = hex & 0xFF, y = hex >> 8;
        if (x >= rules::kMapSize || y >= rules::kMapSize) continue;
        const int kind = sites.GetKind(), owner = sites.GetOwner();
        if (kind > 5 || owner > 4 || !SelectArea(x >> 3, y >> 3)) continue;
        IncrementSiteCount(owner, kind);
        if (sites.GetSupplied() != 0 && owner < 4) IncrementSupplyCount(owner, kind);
    }
    rules::TroopCursor& troops = Troops();
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (!troops.Select(t) || !troops.HasMembers() || !troops.IsOnMap()) continue;
        const std::uint16_t hex = troops.GetHexValue();
        const int x = hex & 0xFF, y = hex >> 8;
        if (!SelectArea(x >> 3, y >> 3)) continue;
        const int owner = troops.GetCountry();
        const int cls = troops.RefreshAltitudeClass();
        if (owner > 3 || cls < 1 || cls > 5) continue;
        for (int j = 0; j < 4; ++j)
            if (troops.TestCountryMask(static_cast<std::uint8_t>(j))) IncrementFoundCount(j, owner, cls - 1);
    }
    for (int a = 0; a < kAreaCount; ++a) {
        if (!SelectArea(a % kAreaColumns, a / kAreaColumns)) continue;
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 5; ++k) SetExpectedCount(c, k, 0);
        for (int k = 0; k < 5; ++k) {
            const std::uint8_t bits = ComputeAreaDirections(a, k);
            SelectArea(a % kAreaColumns, a / kAreaColumns);
            SetDirections(k, bits);
        }
    }
    for (int a = 0; a < kAreaCount; ++a)
        for (int c = 0; c < 4; ++c) {
            const std::uint16_t v = ComputeAreaSituation(a, c);
            if (SelectArea(a % kAreaColumns, a / kAreaColumns)) SetSituation(c, v);
        }
    if (keep != kNoArea) SelectArea(keep % kAreaColumns, keep / kAreaColumns);
}

std::uint8_t MapAreaContext::ComputeAreaDirections(int area, int k) {
    const int ax = area % kAreaColumns, ay = area / kAreaColumns;
    const int cls = k + 1;
    const int x0 = 8 * ax, y0 = 8 * ay;
    rules::RouteSearch& rs = Search();
    auto P = [&](int x, int y) { return rs.IsPassableForClass(x, y, cls) != 0; };
    auto E = [&](int x, int y) { return rs.IsCellEnterable(x, y) != 0; };
    std::uint8_t bits = 0;
    if (ax > 0) {
        for (int y = y0; y <= y0 + 7; ++y) {
            if (!P(x0, y)) continue;
            const bool even = (y & 1) == 0;
            if (E(x0 - 1, y) || (even && ((y != y0 && E(x0 - 1, y - 1)) || E(x0 - 1, y + 1)))) {
                bits |= kAreaWest;
                break;
            }
        }
    }
    if (ax > 0 && ay < 7 && P(x0, y0 + 7) && (E(x0 - 1, y0 + 7) || E(x0, y0 + 8)) && E(x0 - 1, y0 + 8))
        bits |= kAreaSouthWest;
    if (ay < 7) {
        for (int x = x0; x <= x0 + 7; ++x) {
            if (!P(x, y0 + 7)) continue;
            if (E(x, y0 + 8) || (x != x0 + 7 && E(x + 1, y0 + 8))) {
                bits |= kAreaSouth;
                break;
            }
        }
    }
    if (ax < 7 && ay < 7 && P(x0 + 7, y0 + 7) && E(x0 + 8, y0 + 8)) bits |= kAreaSouthEast;
    if (ax < 7) {
        for (int y = y0; y <= y0 + 7; ++y) {
            if (!P(x0 + 7, y)) continue;
            const bool odd = (y & 1) == 1;
            if (E(x0 + 8, y) || (odd && (E(x0 + 8, y - 1) || (y != y0 + 7 && E(x0 + 8, y + 1))))) {
                bits |= kAreaEast;
                break;
            }
        }
    }
    if (ax < 7 && ay > 0 && P(x0 + 7, y0) && (E(x0 + 8, y0) || E(x0 + 7, y0 - 1)) && E(x0 + 8, y0 - 1))
        bits |= kAreaNorthEast;
    if (ay > 0) {
        for (int x = x0; x <= x0 + 7; ++x) {
            if (!P(x, y0)) continue;
            if ((x != x0 && E(x - 1, y0 - 1)) || E(x, y0 - 1)) {
                bits |= kAreaNorth;
                break;
            }
        }
    }
    if (ax > 0 && ay > 0 && P(x0, y0) && E(x0 - 1, y0 - 1)) bits |= kAreaNorthWest;
    return bits;
}

std::uint16_t MapAreaContext::ComputeAreaSituation(int area, int c) {
    const int ax = area % kAreaColumns, ay = area / kAreaColumns;
    std::uint16_t result = kAreaNobody;
    if (SelectArea(ax, ay)) {
        bool seen[4] = {};
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 5; ++k) seen[j] = seen[j] || GetFoundCount(c, j, k) != 0;
        bool others = false;
        for (int j = 0; j < 4; ++j) others = others || (j != c && seen[j]);
        if (seen[c]) {
            result = others ? kAreaContested : kAreaOwnOnly;
        } else if (others) {
            result = kAreaOthersOnly;
        } else {
            for (int d = 0; d < 8 && result == kAreaNobody; ++d) {
                const int nx = ax + kNeighbourDx[d], ny = ay + kNeighbourDy[d];
                if (!SelectArea(nx, ny)) continue;
                // The bit that points from the neighbour back into this area.
                const std::uint8_t back = static_cast<std::uint8_t>(1u << ((d + 4) % 8));
                for (int k = 0; k < 5; ++k)
                    if (GetFoundCount(c, c, k) != 0 && (GetDirections(k) & back)) {
                        result = kAreaReachable;
                        break;
                    }
            }
        }
    }
    SelectArea(ax, ay);
    return result;
}

}  // namespace zv::mapview
