#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "rules/context/TableDirectory.h"

namespace zv::rules::testing {

// Builds a small valid map in the live tables from code, for tests: terrain, deployment areas,
// sites, countries, map troops and corps troops. The rule tables must be in place first (for
// instance RuleTableWriter::Basic().InstallInto(tables)): sites and troops take their values
// from them. Texts are given in UTF-8 and stored as Shift-JIS.
class MapBuilder {
  public:
    // Starts an empty map: header reset, countries reset, sites cleared, every hex of the given
    // land kind (sea by default), all troops reset and the five corps cleared.
    explicit MapBuilder(TableDirectory& tables, std::uint8_t fillLandKind = 5);

    MapBuilder& Title(std::string_view utf8);
    MapBuilder& Description(std::string_view utf8);
    MapBuilder& Clock(std::uint8_t day, std::uint8_t hour, std::uint8_t minute);

    MapBuilder& Terrain(int x, int y, std::uint8_t landKind);
    // Every hex with x0 <= x <= x1 and y0 <= y <= y1.
    MapBuilder& TerrainRect(int x0, int y0, int x1, int y1, std::uint8_t landKind);
    MapBuilder& Road(int x, int y, std::uint8_t directionMask);
    MapBuilder& River(int x, int y, std::uint8_t directionMask);
    MapBuilder& DeploymentArea(int x0, int y0, int x1, int y1, std::uint8_t country);

    // Takes part in the map with the given funds; alliances stay as reset (itself only).
    MapBuilder& Country(std::uint8_t country, std::int32_t funds = 1000);
    MapBuilder& Alliance(std::uint8_t country, std::uint8_t mask);

    // Site of kind 0-5 owned by a country 0-3 or 4 (neutral); its index, 0xFFFF when full.
    std::uint16_t AddSite(int kind, int owner, int x, int y);

    // A troop of the country at the first free index of its forty, placed on (x, y), whose
    // members 0.. are the given units (UnitInfo indexes) in formation slots 0.. at full strength
    // with their default pack. Returns the troop index, 0xFFFF when the country's forty are used.
    std::uint16_t AddTroop(std::uint8_t country, int x, int y, std::initializer_list<int> units,
                           std::string_view utf8Name = {});
    // The same troop standing in a corps (country 0-3, or 5 for the working copy): country
    // byte 5 and no hex. Returns the index within the corps.
    std::uint16_t AddForceTroop(std::uint8_t corpsOf, std::initializer_list<int> units,
                                std::string_view utf8Name = {});
    MapBuilder& ForceName(std::uint8_t corpsOf, std::string_view utf8);

    TableDirectory& Tables() { return *tables_; }

  private:
    TableDirectory* tables_;
};

}  // namespace zv::rules::testing
