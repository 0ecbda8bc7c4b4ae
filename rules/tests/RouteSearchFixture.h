#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

// Worlds for the route, supply and visibility tests: the basic rule tables and a map drawn with
// land kinds that a test's own cost table gives meaning to.
namespace zv::rules::routetest {

// Land kinds of the drawn maps under kCostTable.
enum : std::uint8_t { kWall = 0, kCheap = 1, kDear = 2, kMedium = 6 };

// Costs by terrain class: walls cannot be entered, cheap hexes cost 1, dear ones 50.
inline std::array<std::uint8_t, 29> MakeCostTable() {
    std::array<std::uint8_t, 29> table{};
    table.fill(1);
    table[kWall] = 0;
    table[kCheap] = 1;
    table[kDear] = 50;
    table[kMedium] = 5;
    return table;
}

// Basic unit 0 (infantry) moves on the ground.
inline constexpr int kInfantry = 0;

inline TableDirectory& Installed(TableDirectory& tables, const testing::RuleTableWriter& rules) {
    rules.InstallInto(tables);
    return tables;
}

struct World {
    TableDirectory tables;
    testing::MapBuilder map;

    explicit World(std::uint8_t fill = kWall,
                   const testing::RuleTableWriter& rules = testing::RuleTableWriter::Basic())
        : map(Installed(tables, rules), fill) {
        for (std::uint8_t c = 0; c < 4; ++c) map.Country(c);
    }

    // Enters sites and troops into the HexInfo records (no supply networks: the tests run them
    // themselves), then copies everything to the shadow.
    void Settle() {
        GameContextEnv env;
        env.recomputeAllSupplyNetworks = nullptr;
        GameContext ctx(tables, env);
        ctx.RebuildHexOccupancy();
        SnapshotGameBlocks(tables);
    }

    // A troop of the country on (x, y) with one member of the unit; its index.
    std::uint16_t Troop(std::uint8_t country, int x, int y, std::uint16_t visibilityMask = 0,
                        int unit = kInfantry) {
        const std::uint16_t t = map.AddTroop(country, x, y, {unit});
        TroopCursor cursor(tables);
        if (cursor.Select(t)) cursor.SetMask28(visibilityMask);
        return t;
    }

    void Draw(std::initializer_list<std::pair<int, int>> hexes, std::uint8_t kind) {
        for (auto [x, y] : hexes) map.Terrain(x, y, kind);
    }
    void DrawRow(int y, int x0, int x1, std::uint8_t kind) { map.TerrainRect(x0, y, x1, y, kind); }
};

// The hexes a serpentine path visits: every even row from y0 to y1 (y0 even) over x 1-63, left
// to right and right to left in turn, joined through the odd row between them at x 63 or x 0.
// Column 0 of the even rows stays out, so no hex of the path touches one further along but the
// next.
inline std::vector<std::pair<int, int>> SerpentinePath(int y0, int y1) {
    std::vector<std::pair<int, int>> path;
    for (int y = y0; y <= y1; y += 2) {
        const bool rightwards = ((y - y0) / 2) % 2 == 0;
        for (int i = 1; i < kMapSize; ++i) path.emplace_back(rightwards ? i : kMapSize - i, y);
        if (y + 2 <= y1) path.emplace_back(rightwards ? kMapSize - 1 : 0, y + 1);
    }
    return path;
}

// Where a route's steps lead from (x, y).
inline std::pair<int, int> Walk(int x, int y, const std::vector<RouteStep>& steps, int n) {
    for (int i = 0; i < n; ++i) {
        x += steps[i].dx;
        y += steps[i].dy;
    }
    return {x, y};
}

}  // namespace zv::rules::routetest
