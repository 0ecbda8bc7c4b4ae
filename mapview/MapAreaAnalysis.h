#pragma once

// The map in 8 x 8 areas of 8 x 8 hexes: for each area a summary record in table 16, computed
// on request from the live tables (buildings per owner and kind, those that can supply, the
// troops each country knows of, the neighbouring areas each altitude class can move into, and
// each country's situation there). Only the area information window reads it.

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/search/RouteSearch.h"

namespace zv::mapview {

inline constexpr int kAreaCount = 64;
inline constexpr int kAreaColumns = 8;
// The selected area before any was selected.
inline constexpr std::uint16_t kNoArea = 0xFFFF;
// The spare words of a record, kept all ones.
inline constexpr std::uint16_t kSpareAreaWord = 0xFFFF;

// Direction bits of the neighbouring areas.
enum AreaDirection : std::uint8_t {
    kAreaWest = 0x01,
    kAreaSouthWest = 0x02,
    kAreaSouth = 0x04,
    kAreaSouthEast = 0x08,
    kAreaEast = 0x10,
    kAreaNorthEast = 0x20,
    kAreaNorth = 0x40,
    kAreaNorthWest = 0x80,
};

// Situations of a country in an area.
enum AreaSituation : std::uint16_t {
    kAreaNobody = 0,
    kAreaOwnOnly = 1,
    kAreaReachable = 2,
    kAreaContested = 4,
    kAreaOthersOnly = 8,
    kAreaNotComputed = 0xFFFF,
};

// One record of table 16 (228 bytes; the tail is spare).
struct MapAreaRecord {
    std::uint16_t siteCounts[5][6];    // [owner 0-3, 4 neutral][site kind]
    std::uint16_t supplyCounts[4][6];  // [country][site kind]
    std::uint8_t found[4][4][5];       // [observer][owner][altitude class index]
    std::uint8_t expected[4][5];       // [country][altitude class index]
    std::uint16_t situation[4];
    std::uint16_t reserved[2];
    std::uint8_t directions[5];
};
static_assert(sizeof(MapAreaRecord) <= 228);

// The rules object over the live tables with an area cursor.
class MapAreaContext : public rules::GameContext {
  public:
    // Selects area 0 when table 16 has records. `searches`: the three route searches whose
    // terrain the computation reloads (null: one set of its own).
    explicit MapAreaContext(rules::TableDirectory& tables, rules::RouteSearchSet* searches = nullptr);

    // ax | ay << 16; 1 when 0-7 each and the record exists, else 0 (the selection stays).
    int SelectArea(std::uint32_t packed);
    int SelectArea(int ax, int ay) { return SelectArea(static_cast<std::uint32_t>(ax) | static_cast<std::uint32_t>(ay) << 16); }
    std::uint16_t SelectedArea() const { return area_; }
    MapAreaRecord* Area() { return record_; }

    std::uint16_t GetSiteCount(int owner, int kind) const;
    void IncrementSiteCount(int owner, int kind);
    std::uint16_t GetSupplyCount(int country, int kind) const;
    void IncrementSupplyCount(int country, int kind);
    std::uint8_t GetFoundCount(int observer, int owner, int classIndex) const;
    void IncrementFoundCount(int observer, int owner, int classIndex);
    std::uint8_t GetExpectedCount(int country, int classIndex) const;
    void SetExpectedCount(int country, int classIndex, std::uint8_t v);
    std::uint16_t GetSituation(int country) const;
    void SetSituation(int country, std::uint16_t v);
    std::uint8_t GetDirections(int classIndex) const;
    void SetDirections(int classIndex, std::uint8_t v);

    void ClearAreaInfo();
    void ComputeAreaInfo();
    std::uint8_t ComputeAreaDirections(int area, int classIndex);
    std::uint16_t ComputeAreaSituation(int area, int country);

  private:
    rules::RouteSearch& Search();
    rules::TableDirectory& tables_;
    rules::RouteSearchSet* searches_;
    std::unique_ptr<rules::RouteSearchSet> ownSearches_;
    std::uint16_t area_ = kNoArea;
    MapAreaRecord* record_ = nullptr;
};

}  // namespace zv::mapview
