// Route search and visibility on the default maps of the program directory. The reachable-area
// search runs beside Boost Graph Library's Dijkstra over the same grid and costs; the ratio of
// the two is reported by RouteAreaVersusBoost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <boost/property_map/property_map.hpp>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/files/MapFiles.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/HexQueries.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/search/Visibility.h"

namespace {

using namespace zv::rules;

const char* const kMaps[] = {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm", "MAP00004.ddm"};

// The rule tables and one default map, settled as at the start of play.
struct MapWorld {
    TableDirectory tables;
    std::vector<std::uint16_t> troops;  // troops with members on the map
    std::string error;

    explicit MapWorld(int map) {
        if (!tables.LoadAllTables(ZV_PROGRAM_DIR)) {
            error = "rule tables: " + tables.LastError() + " (build the zvdata_content target)";
            return;
        }
        const FileStatus status =
            LoadMapFromMapFolder(tables, NoGameEvents(), ZV_PROGRAM_DIR, kMaps[map - 1]);
        if (!status) {
            error = status.error;
            return;
        }
        Settle();
        TroopCursor cursor(tables);
        for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
            if (cursor.Select(t) && cursor.HasMembers() && cursor.IsOnMap()) troops.push_back(t);
        }
        if (troops.empty()) error = "no troops on the map";
    }

    void Settle() {
        GameContextEnv env;
        env.recomputeAllSupplyNetworks = RecomputeAllSupplyNetworks;
        GameContext ctx(tables, env);
        ctx.RebuildHexOccupancy();
        SnapshotGameBlocks(tables);
    }

    std::pair<int, int> HexOf(std::uint16_t t) {
        TroopCursor cursor(tables, TableId::ShadowTroop);
        cursor.Select(t);
        const std::uint16_t hex = cursor.GetHexValue();
        return {hex & 0xFF, hex >> 8};
    }
};

bool Ready(benchmark::State& state, const MapWorld& world) {
    if (world.error.empty()) return true;
    state.SkipWithError(world.error.c_str());
    return false;
}

// ---- Boost Graph Library reference

struct Edge {
    int weight;
};
using Graph = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, Edge>;

// The grid of one search as a graph: an edge into every enterable neighbour, weighted with the
// neighbour's cost; hexes of known troops are entered but not left.
struct ReferenceGrid {
    Graph graph;
    int start = 0;
};

ReferenceGrid BuildReference(RouteSearch& search, int startX, int startY) {
    const std::uint8_t* table = search.CostTable();
    const int start = startX + kMapSize * startY;
    std::vector<std::pair<int, int>> edges;
    std::vector<Edge> weights;
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            const int u = x + kMapSize * y;
            if (u != start && IsZoneMark(search.GetCellMark(x, y))) continue;
            for (int d = 0; d < kHexDirectionCount; ++d) {
                std::uint16_t nx = 0;
                std::uint16_t ny = 0;
                if (!HexNeighbourOf(x, y, d, nx, ny)) continue;
                const int v = nx + kMapSize * ny;
                const std::uint8_t terrain = search.GetCellTerrain(nx, ny, 0);
                const int cost = terrain < kRouteCostTableSize ? table[terrain] : 0;
                if (cost == 0 || cost == 255 || v == start) continue;
                edges.emplace_back(u, v);
                weights.push_back(Edge{cost});
            }
        }
    }
    ReferenceGrid grid{Graph(boost::edges_are_unsorted_multi_pass, edges.begin(), edges.end(),
                             weights.begin(), kHexCount),
                       start};
    return grid;
}

void RunReference(const ReferenceGrid& grid, std::vector<int>& distance) {
    boost::dijkstra_shortest_paths(
        grid.graph, static_cast<Graph::vertex_descriptor>(grid.start),
        boost::distance_map(boost::make_iterator_property_map(
                                distance.begin(), boost::get(boost::vertex_index, grid.graph)))
            .weight_map(boost::get(&Edge::weight, grid.graph)));
}

// A troop's area on the simulation's instance, its reference graph and the checked agreement.
struct TroopCase {
    std::uint16_t troop;
    int x;
    int y;
    ReferenceGrid grid;
};

std::vector<TroopCase> BuildCases(MapWorld& world, RouteSearch& search, GameContext& ctx,
                                  std::string& error) {
    std::vector<TroopCase> cases;
    std::vector<int> distance(kHexCount);
    for (std::uint16_t t : world.troops) {
        const auto [x, y] = world.HexOf(t);
        search.ComputeArea(ctx, t, x, y, nullptr, 0);
        TroopCase c{t, x, y, BuildReference(search, x, y)};
        RunReference(c.grid, distance);
        for (int i = 0; i < kHexCount && error.empty(); ++i) {
            const int ours = search.GetCellCost(i % kMapSize, i / kMapSize);
            const int theirs = distance[i] <= kTroopSearchCostLimit ? distance[i] : 0xFFFF;
            if (ours != theirs) error = "the search and the reference disagree";
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

// ---- reachable areas

void RouteArea(benchmark::State& state, RouteInstance instance) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    RouteSearch search(world.tables, instance);
    std::unique_ptr<GameContext> ctx;
    if (instance == RouteInstance::Simulation) {
        ctx = std::make_unique<ShadowGameContext>(world.tables);
    } else {
        ctx = std::make_unique<GameContext>(world.tables);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const std::uint16_t t = world.troops[next];
        const auto [x, y] = world.HexOf(t);
        search.ComputeArea(*ctx, t, x, y, nullptr, 0);
        benchmark::DoNotOptimize(search.GetCellCost(0, 0));
        next = (next + 1) % world.troops.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void RouteAreaSimulation(benchmark::State& state) {
    RouteArea(state, RouteInstance::Simulation);
}
BENCHMARK(RouteAreaSimulation)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

void RouteAreaMap(benchmark::State& state) {
    RouteArea(state, RouteInstance::Map);
}
BENCHMARK(RouteAreaMap)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

// Reference: the same costs by Boost's Dijkstra, graphs built beforehand.
void RouteAreaBoostDijkstra(benchmark::State& state) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    RouteSearch search(world.tables, RouteInstance::Simulation);
    ShadowGameContext ctx(world.tables);
    std::string error;
    const std::vector<TroopCase> cases = BuildCases(world, search, ctx, error);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<int> distance(kHexCount);
    std::size_t next = 0;
    for (auto _ : state) {
        RunReference(cases[next].grid, distance);
        benchmark::DoNotOptimize(distance.data());
        next = (next + 1) % cases.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RouteAreaBoostDijkstra)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

// The thread's own processor time: on a shared machine the time while another process runs
// in between counts for neither search.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// What reading the thread's processor time twice in a row measures: the reading is a system
// call, and what it costs between the two readings (about a microsecond and a half on the
// development machine's virtual processors) is in every interval measured. The median of many
// empty intervals.
double ClockOverheadSeconds() {
    std::vector<double> empty(2001);
    for (double& e : empty) {
        const double t0 = ThreadSeconds();
        e = ThreadSeconds() - t0;
    }
    std::nth_element(empty.begin(), empty.begin() + 1000, empty.end());
    return empty[1000];
}

// Both in one run, troop by troop, in thread processor time: the manual time is ours;
// boost_over_ours > 1 means the search is faster than the reference. The clock's own share of
// an interval is taken from both sides' times alike.
void RouteAreaVersusBoost(benchmark::State& state) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    RouteSearch search(world.tables, RouteInstance::Simulation);
    ShadowGameContext ctx(world.tables);
    std::string error;
    const std::vector<TroopCase> cases = BuildCases(world, search, ctx, error);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<int> distance(kHexCount);
    const double clock = ClockOverheadSeconds();
    double ours = 0;
    double theirs = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        const TroopCase& c = cases[next];
        const double t0 = ThreadSeconds();
        search.ComputeArea(ctx, c.troop, c.x, c.y, nullptr, 0);
        benchmark::DoNotOptimize(search.GetCellCost(0, 0));
        const double t1 = ThreadSeconds();
        RunReference(c.grid, distance);
        benchmark::DoNotOptimize(distance.data());
        const double t2 = ThreadSeconds();
        const double a = std::max(t1 - t0 - clock, 0.0);
        ours += a;
        theirs += std::max(t2 - t1 - clock, 0.0);
        state.SetIterationTime(a);
        next = (next + 1) % cases.size();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_us"] = ours / n * 1e6;
    state.counters["boost_us"] = theirs / n * 1e6;
    state.counters["boost_over_ours"] = ours > 0 ? theirs / ours : 0;
    state.counters["clock_us"] = clock * 1e6;
}
BENCHMARK(RouteAreaVersusBoost)->DenseRange(1, 4)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- route traces

// The area of the troop with the longest route is computed once; each iteration traces that
// route in full.
void RouteTrace(benchmark::State& state) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    RouteSearch search(world.tables, RouteInstance::Simulation);
    ShadowGameContext ctx(world.tables);
    std::vector<RouteStep> steps(kMaxRouteSteps + 1);
    int best = -1;
    std::uint16_t troop = 0;
    std::pair<int, int> target;
    for (std::uint16_t t : world.troops) {
        const auto [x, y] = world.HexOf(t);
        search.ComputeArea(ctx, t, x, y, nullptr, 0);
        for (int ty = 0; ty < kMapSize; ++ty) {
            for (int tx = 0; tx < kMapSize; ++tx) {
                if (!search.IsReached(tx, ty)) continue;
                const int n = search.TraceRoute(steps, tx, ty);
                if (n > best) {
                    best = n;
                    troop = t;
                    target = {tx, ty};
                }
            }
        }
    }
    const auto [x, y] = world.HexOf(troop);
    search.ComputeArea(ctx, troop, x, y, nullptr, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.TraceRoute(steps, target.first, target.second));
    }
    state.counters["steps"] = best;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RouteTrace)->DenseRange(1, 4)->Unit(benchmark::kNanosecond);

// An area and a route to every reached hex in turn: what the order translation pays per order.
void RouteAreaAndTrace(benchmark::State& state) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    RouteSearch search(world.tables, RouteInstance::Simulation);
    ShadowGameContext ctx(world.tables);
    std::vector<RouteStep> steps(kMaxRouteSteps + 1);
    std::size_t next = 0;
    int target = 0;
    for (auto _ : state) {
        const std::uint16_t t = world.troops[next];
        const auto [x, y] = world.HexOf(t);
        search.ComputeArea(ctx, t, x, y, nullptr, 0);
        target = (target + 613) % kHexCount;
        benchmark::DoNotOptimize(search.TraceRoute(steps, target % kMapSize, target / kMapSize));
        next = (next + 1) % world.troops.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RouteAreaAndTrace)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

// ---- visibility

// Every one of the 160 map troops in play (40 per country, copies of the map's own troops on
// random hexes), fog on, country 0 the local player.
void VisibilityRecompute160(benchmark::State& state) {
    MapWorld world(static_cast<int>(state.range(0)));
    if (!Ready(state, world)) return;
    TroopCursor cursor(world.tables);
    cursor.Select(world.troops.front());
    const TroopRecord model = *cursor.GetRecord();
    std::mt19937 random(160);
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        cursor.Select(t);
        // Passengers aboard carriers stand nowhere: they become copies too.
        if (!cursor.HasMembers() || !cursor.IsOnMap()) *cursor.GetRecord() = model;
        cursor.SetCountry(static_cast<std::uint8_t>(t / kTroopsPerCountry));
        cursor.SetHex(MakeHexPosition(static_cast<int>(random() % kMapSize),
                                      static_cast<int>(random() % kMapSize)));
        cursor.SetMask28(0);
    }
    ScenarioHeaderCursor(world.tables).SetOptionByte1(1);
    CountryCursor countries(world.tables);
    for (int c = 0; c < kCountryCount; ++c) {
        countries.Select(c);
        countries.SetState(1);
    }
    world.Settle();
    GameContextEnv env;
    env.playerCountry = 0;
    GameContext ctx(world.tables, env);
    int present = 0;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        present += cursor.Select(t) && cursor.HasMembers() && cursor.IsOnMap();
    }
    if (present != kMapTroopCount || !UsesFogOfWar(ctx)) {
        state.SkipWithError("could not set up 160 troops under the fog");
        return;
    }
    for (auto _ : state) {
        RecomputeVisibility(ctx);
        benchmark::DoNotOptimize(world.tables.GetTableBase(TableId::HexInfo));
    }
    state.counters["troops"] = present;
}
BENCHMARK(VisibilityRecompute160)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
