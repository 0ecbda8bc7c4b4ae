#include "rules/search/RouteSearch.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/TroopMembers.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ZV_ROUTE_SSSE3 1
#endif

namespace zv::rules {

namespace {

constexpr int CellIndex(int x, int y) {
    return x + kMapSize * y;
}
constexpr bool OnMap(int x, int y) {
    return x >= 0 && y >= 0 && x < kMapSize && y < kMapSize;
}

// Every cell waits in the queue at most once at a time (it is queued only while its mark is 0,
// and queueing sets the mark), so a ring of one place per cell can never overflow.
constexpr int kQueueSize = kHexCount;
constexpr int kQueueMask = kQueueSize - 1;
static_assert((kQueueSize & kQueueMask) == 0);

// Cell state: generation << 19 | mark << 16 | reached cost. A cell whose generation is not the
// current one reads as unreached and unmarked, so a new search needs no clearing pass.
constexpr int kGenerationShift = 19;
constexpr std::uint32_t kMaxGeneration = (1u << (32 - kGenerationShift)) - 1;
constexpr std::uint32_t kGenerationMask = ~((1u << kGenerationShift) - 1);

// Neighbour cell indexes (-1 off the map) in relaxation order: directions 0-5 (W, SW, SE, E,
// NE, NW) with the half-hex shift of odd rows.
using NeighbourList = std::array<std::int16_t, kHexDirectionCount>;
constexpr std::array<NeighbourList, kHexCount> BuildNeighbours() {
    std::array<NeighbourList, kHexCount> table{};
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            for (int d = 0; d < kHexDirectionCount; ++d) {
                const int nx = x + kNeighbourDx[y & 1][d];
                const int ny = y + kNeighbourDy[d];
                table[CellIndex(x, y)][d] =
                    OnMap(nx, ny) ? static_cast<std::int16_t>(CellIndex(nx, ny)) : -1;
            }
        }
    }
    return table;
}
constexpr std::array<NeighbourList, kHexCount> kNeighbours = BuildNeighbours();

// The lane grid: hexes sheared so that the six neighbours lie at fixed offsets, with a border.
// Hex (x, y) is column x - y / 2 + 32 of row y + 1; columns 0 and 96, rows 0 and 65 and the
// columns beside each row's 64 hexes are border.
constexpr int kLaneWidth = 97;
constexpr int kLaneCells = kLaneWidth * (kMapSize + 2);
constexpr std::uint16_t kNoLane = 0xFFFF;
static_assert(kLaneCells < kNoLane);
constexpr int LaneOf(int index) {
    const int x = index % kMapSize;
    const int y = index / kMapSize;
    return (y + 1) * kLaneWidth + x - (y >> 1) + 32;
}
constexpr std::array<int, kHexDirectionCount> kLaneOffsets = {
    -1, kLaneWidth - 1, kLaneWidth, +1, 1 - kLaneWidth, -kLaneWidth};
// The offsets are the hex neighbours of both row parities.
constexpr bool LaneOffsetsMatch() {
    for (int y = 1; y < 3; ++y) {
        for (int d = 0; d < kHexDirectionCount; ++d) {
            const int n = CellIndex(5 + kNeighbourDx[y & 1][d], y + kNeighbourDy[d]);
            if (LaneOf(n) - LaneOf(CellIndex(5, y)) != kLaneOffsets[d]) return false;
        }
    }
    return LaneOf(CellIndex(0, kMapSize - 1)) - kLaneWidth + 1 > 0 &&
           LaneOf(CellIndex(kMapSize - 1, 0)) + kLaneWidth < kLaneCells;
}
static_assert(LaneOffsetsMatch());

// One cost level's expansion: walks the level's list from `u` and writes to `found` the lane of
// every neighbour whose cost expanding it lowers (a cell may be listed more than once). Gives
// the number written; `expanded` counts the cells walked.
int ExpandLevelPlain(const std::int16_t* below, const std::uint16_t* next, std::uint16_t u,
                     std::int16_t level, std::uint16_t* found, int& expanded) {
    int count = 0;
    do {
        ++expanded;
        for (const int offset : kLaneOffsets) {
            const int n = u + offset;
            found[count] = static_cast<std::uint16_t>(n);
            count += level < below[n] ? 1 : 0;
        }
        u = next[u];
    } while (u != kNoLane);
    return count;
}

#ifdef ZV_ROUTE_SSSE3
// The same, eight lanes at once: lanes u-1 .. u+2, u+W-1, u+W, u-W, u-W+1 are read and compared
// together and the passing lanes packed to the front by one shuffle. Lane u+2 is not a
// neighbour and lane u is the cell itself (already claimed below this level); both are masked.
// `found` needs room for eight entries past the last one listed.
constexpr std::uint8_t kNeighbourLanes = 0b11110101;
struct PackTable {
    alignas(16) std::uint8_t shuffle[256][16];
    std::uint8_t count[256];
};
constexpr PackTable BuildPackTable() {
    PackTable t{};
    for (int m = 0; m < 256; ++m) {
        int k = 0;
        for (int lane = 0; lane < 8; ++lane) {
            if (((m >> lane) & 1) == 0) continue;
            t.shuffle[m][2 * k] = static_cast<std::uint8_t>(2 * lane);
            t.shuffle[m][2 * k + 1] = static_cast<std::uint8_t>(2 * lane + 1);
            ++k;
        }
        for (int j = 2 * k; j < 16; ++j) t.shuffle[m][j] = 0x80;
        t.count[m] = static_cast<std::uint8_t>(k);
    }
    return t;
}
constexpr PackTable kPack = BuildPackTable();

__attribute__((target("ssse3"))) int ExpandLevelSsse3(const std::int16_t* below,
                                                      const std::uint16_t* next, std::uint16_t u,
                                                      std::int16_t level, std::uint16_t* found,
                                                      int& expanded) {
    const __m128i levels = _mm_set1_epi16(level);
    const __m128i offsets = _mm_setr_epi16(-1, 0, 1, 2, kLaneWidth - 1, kLaneWidth, -kLaneWidth,
                                           1 - kLaneWidth);
    int count = 0;
    do {
        ++expanded;
        std::int32_t lower;
        std::int32_t upper;
        std::memcpy(&lower, below + u + kLaneWidth - 1, sizeof lower);
        std::memcpy(&upper, below + u - kLaneWidth, sizeof upper);
        const __m128i row = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(below + u - 1));
        const __m128i rows =
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(lower), _mm_cvtsi32_si128(upper));
        const __m128i values = _mm_unpacklo_epi64(row, rows);
        const __m128i pass = _mm_cmpgt_epi16(values, levels);
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(pass, pass))) &
            kNeighbourLanes;
        const __m128i lanes = _mm_add_epi16(_mm_set1_epi16(static_cast<std::int16_t>(u)), offsets);
        const __m128i packed = _mm_shuffle_epi8(
            lanes, _mm_load_si128(reinterpret_cast<const __m128i*>(kPack.shuffle[mask])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(found + count), packed);
        count += kPack.count[mask];
        u = next[u];
    } while (u != kNoLane);
    return count;
}
#endif

using ExpandLevel = int (*)(const std::int16_t*, const std::uint16_t*, std::uint16_t,
                            std::int16_t, std::uint16_t*, int&);

ExpandLevel ChooseExpandLevel() {
#ifdef ZV_ROUTE_SSSE3
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) return ExpandLevelSsse3;
#endif
    return ExpandLevelPlain;
}

// The trace's order: SW, W, NW, NE, E, SE on even rows; SE, E, NE, NW, W, SW on odd rows.
constexpr int kTraceDx[2][kHexDirectionCount] = {{-1, -1, -1, 0, +1, 0}, {+1, +1, +1, 0, -1, 0}};
constexpr int kTraceDy[2][kHexDirectionCount] = {{+1, 0, -1, -1, 0, +1}, {+1, 0, -1, -1, 0, +1}};

// StepHex's two lists as relaxation directions.
constexpr int kStepDirections[2][kHexDirectionCount] = {
    {1, 0, 5, 4, 3, 2},  // flag 0: SW, W, NW, NE, E, SE
    {2, 3, 4, 5, 0, 1},  // flag 1: SE, E, NE, NW, W, SW
};

// Bit of the neighbour's road that continues a road leaving in direction d.
constexpr std::uint8_t OppositeRoadBit(int d) {
    return static_cast<std::uint8_t>(1u << ((d + 3) % kHexDirectionCount));
}

// Passability of the movement classes 1-5 by terrain class.
bool ClassPasses(int movementClass, int terrain) {
    switch (movementClass) {
        case 1:
            return true;
        case 2:
            return terrain != 9 && terrain != 10 && terrain != 27 && terrain != 28;
        case 3:
            return terrain != 3 && terrain != 4 && terrain != 5 && terrain != 8 && terrain != 9 &&
                   terrain != 26 && terrain != 27 && terrain != 28;
        default:  // 4 and 5
            return terrain == 5 || terrain == 20;
    }
}

// Country c knows of the selected troop: the troop is its own or an ally's, or c has sighted or
// identified it. Read in the context's own country table so the shadow sees shadow alliances;
// only countries 0-3 have bits in the visibility mask.
bool KnownTo(GameContext& ctx, TroopCursor& troop, std::uint8_t c) {
    if (AreCountriesAllied(ctx.Tables(), c, troop.GetCountry(), ctx.GetTableSet().country)) {
        return true;
    }
    if (c >= kCountryCount) return false;
    const std::uint16_t mask = troop.GetMask28();
    return ((mask >> c) & 1) != 0 || ((mask >> (c + 4)) & 1) != 0;
}

}  // namespace

struct RouteSearch::Buffers {
    std::uint8_t terrain[kHexCount];
    std::uint8_t roadTerrain[kHexCount];
    std::uint32_t state[kHexCount];
    std::uint16_t queue[kQueueSize];
    // The simulation's cheapest-first search on the lane grid: each cell's cost less its step,
    // the buckets (by cost modulo 256, each a list through laneNext), troops' hexes (set only
    // during a search) and the neighbours one level lists (up to six per cell).
    std::int16_t laneBelow[kLaneCells];
    std::uint16_t laneNext[kLaneCells];
    std::uint16_t laneHead[256];
    std::uint8_t laneTroop[kLaneCells];
    std::uint16_t found[kHexDirectionCount * kHexCount + 8];
    // The first-in-first-out troop search on the lane grid: each cell's cost less its step and
    // its mark (set only during a search).
    std::int16_t fifoBelow[kLaneCells];
    std::uint8_t fifoQueued[kLaneCells];
    // The supply flood's view of the map, filled per flood.
    std::uint8_t supplyCost[kHexCount];
    std::uint8_t road[kHexCount];
    std::uint8_t leavesAnyWay[kHexCount];
    RouteStep steps[kMaxRouteSteps + 1];
};

RouteSearch::RouteSearch(TableDirectory& tables, RouteInstance instance,
                         const RouteTerrainEpoch* epoch)
    : tables_(&tables), instance_(instance), epoch_(epoch), buffers_(std::make_unique<Buffers>()) {
    std::memset(buffers_->terrain, 0, sizeof buffers_->terrain);
    std::memset(buffers_->roadTerrain, 0, sizeof buffers_->roadTerrain);
    std::memset(buffers_->state, 0, sizeof buffers_->state);
    std::memset(buffers_->laneTroop, 0, sizeof buffers_->laneTroop);
    std::memset(buffers_->fifoQueued, 0, sizeof buffers_->fifoQueued);
    std::memset(costLookup_, kCannotEnter, sizeof costLookup_);
    std::memset(cellCostLookup_, kCannotEnter, sizeof cellCostLookup_);
    NewGeneration();
}

RouteSearch::~RouteSearch() = default;

int RouteSearch::GetStepLimit() const {
    return instance_ == RouteInstance::Simulation ? kSimRouteStepLimit : kMapRouteStepLimit;
}

// ---- terrain and grid state

void RouteSearch::LoadTerrain() {
    ReadTerrain();
    ResetGrid();
}

void RouteSearch::ReadTerrain() {
    // Take the stamp first: a change made while reading is then read again next time.
    loadedEpoch_ = epoch_ ? epoch_->Current() : 0;
    ++terrainReads_;
    std::unique_ptr<GameContext> ctx;
    if (instance_ == RouteInstance::Simulation) {
        ctx = std::make_unique<ShadowGameContext>(*tables_);
    } else {
        ctx = std::make_unique<GameContext>(*tables_);
    }
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (!ctx->SelectHexInfoXY(x, y)) continue;
            buffers_->terrain[CellIndex(x, y)] = ctx->GetHexTerrainClass(0);
            buffers_->roadTerrain[CellIndex(x, y)] = ctx->GetHexTerrainClass(1);
        }
    }
    terrainLoaded_ = true;
}

void RouteSearch::LoadTerrainFrom(const RouteSearch& other) {
    const bool shadow = instance_ == RouteInstance::Simulation;
    const bool otherShadow = other.instance_ == RouteInstance::Simulation;
    if (other.tables_ != tables_ || shadow != otherShadow || !other.terrainLoaded_) {
        LoadTerrain();
        return;
    }
    loadedEpoch_ = other.loadedEpoch_;
    ++terrainReads_;
    std::memcpy(buffers_->terrain, other.buffers_->terrain, sizeof buffers_->terrain);
    std::memcpy(buffers_->roadTerrain, other.buffers_->roadTerrain, sizeof buffers_->roadTerrain);
    terrainLoaded_ = true;
    ResetGrid();
}

void RouteSearch::EnsureTerrain() {
    if (!terrainLoaded_ || (epoch_ && epoch_->Current() != loadedEpoch_)) ReadTerrain();
}

void RouteSearch::NewGeneration() {
    ++serial_;
    if (++generation_ > kMaxGeneration) {
        std::memset(buffers_->state, 0, sizeof buffers_->state);
        generation_ = 1;
    }
}

std::uint32_t RouteSearch::StateOf(int index) const {
    const std::uint32_t s = buffers_->state[index];
    if ((s & kGenerationMask) == (generation_ << kGenerationShift)) return s;
    return (generation_ << kGenerationShift) | kUnreachedCost;
}

void RouteSearch::Put(int index, std::uint16_t reached, std::uint8_t mark) {
    buffers_->state[index] =
        (generation_ << kGenerationShift) | (static_cast<std::uint32_t>(mark & 7) << 16) | reached;
}

std::uint16_t RouteSearch::ReachedOf(int index) const {
    return static_cast<std::uint16_t>(StateOf(index) & 0xFFFF);
}

std::uint8_t RouteSearch::MarkOf(int index) const {
    return static_cast<std::uint8_t>((StateOf(index) >> 16) & 7);
}

std::uint8_t RouteSearch::CostOf(int index) const {
    switch (costMode_) {
        case CostMode::Zero:
            return 0;
        case CostMode::Table: {
            if (index == startIndex_) return kCannotEnter;
            const std::uint8_t* classes =
                cellRoadTerrain_ ? buffers_->roadTerrain : buffers_->terrain;
            return cellCostLookup_[classes[index]];
        }
        case CostMode::Blocked:
            break;
    }
    return kCannotEnter;
}

void RouteSearch::ResetGrid() {
    NewGeneration();
    costMode_ = CostMode::Blocked;
    startIndex_ = -1;
}

void RouteSearch::ClearCosts() {
    costMode_ = CostMode::Zero;
}

void RouteSearch::SetTable(const std::uint8_t* table) {
    std::memcpy(table_, table, kRouteCostTableSize);
    std::memset(costLookup_, kCannotEnter, sizeof costLookup_);
    for (int k = 0; k < kRouteCostTableSize; ++k) {
        costLookup_[k] = table_[k] == 0 ? kCannotEnter : table_[k];
    }
}

// Every cell's cost from the table (the start's 255), marks 0, nothing reached but the start.
void RouteSearch::SetCosts(int startIndex) {
    std::memcpy(cellCostLookup_, costLookup_, sizeof cellCostLookup_);
    cellRoadTerrain_ = request_.roadTerrain != 0;
    costMode_ = CostMode::Table;
    startIndex_ = startIndex;
    troopMarks_.clear();
    NewGeneration();
    Put(startIndex, 0, kCellMarkNone);
}

// ---- requests

// Fills the request for the troop's search from (x, y) and sets the grid's costs; an unknown
// troop or an off-map start leaves the grid reset.
int RouteSearch::StartTroopSearch(GameContext& ctx, std::uint16_t troop, int x, int y,
                                  const std::uint8_t* table, int skipTroops) {
    EnsureTerrain();
    TroopCursor& troops = ctx.Troops();
    if (!OnMap(x, y) || !troops.Select(troop)) {
        ResetGrid();
        return 0;
    }
    request_.troop = troop;
    request_.country = troops.GetCountry();
    request_.costLimit = kTroopSearchCostLimit;
    request_.skipTroops = skipTroops;
    request_.roadTerrain = IsAltitudeClass3(troops);
    request_.startX = static_cast<std::int16_t>(x);
    request_.startY = static_cast<std::int16_t>(y);
    SetTable(table ? table : GetMoveCostTable(troops));
    SetCosts(CellIndex(x, y));
    return 1;
}

void RouteSearch::MarkTroops(GameContext& ctx) {
    TroopCursor& troops = ctx.Troops();
    const std::uint16_t selected = troops.GetIndex();
    const auto country = static_cast<std::uint8_t>(request_.country & 0xFF);
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !troops.IsOnMap() || t == request_.troop) continue;
        if (!KnownTo(ctx, troops, country)) continue;
        if (instance_ == RouteInstance::Simulation && !troops.HasMembers()) continue;
        const std::uint16_t hex = troops.GetHexValue();
        const int index = CellIndex(hex & 0xFF, hex >> 8);
        const bool allied = AreCountriesAllied(ctx.Tables(), country, troops.GetCountry(),
                                               ctx.GetTableSet().country) != 0;
        const std::uint8_t mark = allied ? kCellMarkFriendlyTroop : kCellMarkForeignTroop;
        Put(index, ReachedOf(index), mark);
        troopMarks_.push_back(static_cast<std::uint32_t>(index) << 8 | mark);
        if (markLog_) markLog_->push_back(static_cast<std::uint32_t>(index) << 8 | mark);
    }
    troops.Select(selected);
}

// Breadth-first relaxation from the start, first in first out. `enter(current, d, neighbour)`
// gives the cost of the move or 255 when it is not allowed. With `requeue`, a cell's mark goes
// back to 0 after its expansion, so a cheaper cost found later is passed on again.
template <bool kRequeue, typename Enter>
void RouteSearch::Relax(int startIndex, std::int16_t costLimit, Enter enter) {
    std::uint32_t* state = buffers_->state;
    std::uint16_t* queue = buffers_->queue;
    const std::uint32_t generationBits = generation_ << kGenerationShift;
    auto load = [&](int index) {
        const std::uint32_t s = state[index];
        return (s & kGenerationMask) == generationBits ? s : (generationBits | kUnreachedCost);
    };

    queue[0] = static_cast<std::uint16_t>(startIndex);
    int read = 0;
    int write = 1;
    do {
        const int current = queue[read];
        const std::uint32_t currentState = load(current);
        const std::uint32_t reached = currentState & 0xFFFF;
        const NeighbourList& neighbours = kNeighbours[current];
        for (int d = 0; d < kHexDirectionCount; ++d) {
            const int n = neighbours[d];
            if (n < 0) continue;
            const std::uint8_t cost = enter(current, d, n);
            if (cost == kCannotEnter) continue;
            const auto c = static_cast<std::uint16_t>(reached + cost);
            if (static_cast<std::int16_t>(c) > costLimit) continue;
            const std::uint32_t s = load(n);
            if (c > (s & 0xFFFF)) continue;
            std::uint32_t mark = (s >> 16) & 7;
            if (mark == kCellMarkNone) {
                queue[write] = static_cast<std::uint16_t>(n);
                write = (write + 1) & kQueueMask;
                mark = kCellMarkQueued;
            }
            state[n] = generationBits | (mark << 16) | c;
        }
        if constexpr (kRequeue) state[current] = generationBits | reached;
        read = (read + 1) & kQueueMask;
    } while (read != write);
}

// The simulation's relaxation gives every cell its cheapest cost, and the same costs and marks
// as the first-in-first-out relaxation with re-queueing: occupied hexes keep their marks, every
// other reached cell ends expanded (mark 0).
//
// It runs on the lane grid with Dial's buckets, a level at a time. The cost of a step is the
// entered cell's own, so the first cost a cell is given comes from its cheapest expanded
// neighbour and is final: every cell is queued once and no entry goes stale. Which cells a level
// expands, and so the grid left when the search stops at a level, does not depend on the order
// within the level. Each cell holds the level below which expanding a neighbour lowers its cost
// (its cost less its own step; limit + 1 less the step while unreached, far below zero for cells
// that cannot be entered and the border), so a step is one comparison. Expanding a level only
// reads: the neighbours that pass are listed without a branch, then claimed and queued (a cell
// listed twice is claimed once). Writing each neighbour as it is looked at would make the next
// cell of the level, which shares neighbours with it, wait for those writes. Step costs are
// 1-254: buckets by cost modulo 256 never hold two costs at once.
void RouteSearch::RelaxCheapestFirst(int startIndex, std::int16_t costLimit,
                                     const std::uint8_t* laneSteps, std::span<const int> stops) {
    Buffers& b = *buffers_;
    std::int16_t* below = b.laneBelow;
    std::uint16_t* next = b.laneNext;
    std::uint16_t* head = b.laneHead;
    std::uint16_t* found = b.found;
    constexpr std::int16_t kNever = INT16_MIN;
    static const ExpandLevel vectorExpandLevel = ChooseExpandLevel();
    const ExpandLevel expandLevel = vectorInstructions_ ? vectorExpandLevel : ExpandLevelPlain;
    const int limit = costLimit < 0 ? 0 : costLimit;
    for (int p = 0; p < kLaneCells; ++p) {
        below[p] = laneSteps[p] == kCannotEnter ? kNever
                                                : static_cast<std::int16_t>(limit + 1 - laneSteps[p]);
    }
    const int startLane = LaneOf(startIndex);
    below[startLane] = kNever;
    for (const std::uint32_t m : troopMarks_) b.laneTroop[LaneOf(static_cast<int>(m >> 8))] = 1;
    std::fill(std::begin(b.laneHead), std::end(b.laneHead), kNoLane);

    // The cost a cell holds, 0xFFFF while unreached.
    auto costOfLane = [&](int p) -> std::uint32_t {
        if (p == startLane) return 0;
        const int c = below[p] + laneSteps[p];
        return c >= 0 && c <= limit ? static_cast<std::uint32_t>(c) : kUnreachedCost;
    };

    head[0] = static_cast<std::uint16_t>(startLane);
    next[startLane] = kNoLane;
    int waiting = 1;
    int level = 0;
    stopLevel_ = -1;
    while (waiting > 0) {
        std::uint16_t u = head[level & 0xFF];
        if (u == kNoLane) {
            // Nothing is ever queued above the limit.
            if (++level > costLimit) break;
            continue;
        }
        // Every cell cheaper than this level has been expanded: a stop cell reached at this cost
        // or less cannot get cheaper, nor can any cell its route passes.
        if (!stops.empty()) {
            bool allFinal = true;
            for (const int stop : stops) {
                allFinal = allFinal && costOfLane(LaneOf(stop)) <= static_cast<std::uint32_t>(level);
            }
            if (allFinal) {
                stopLevel_ = level;
                break;
            }
        }
        head[level & 0xFF] = kNoLane;
        const auto levelValue = static_cast<std::int16_t>(level);
        int expanded = 0;
        const int count = expandLevel(below, next, u, levelValue, found, expanded);
        waiting -= expanded;
        // Claims without a branch (which cell is listed twice cannot be predicted): every listed
        // cell takes the level, and the list keeps in place the cells claimed here for the first
        // time, but for troops' hexes (reached, never passed through); then they are queued.
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint16_t n = found[i];
            const int fresh = (below[n] > levelValue) & (b.laneTroop[n] == 0);
            below[n] = levelValue;
            found[kept] = n;
            kept += fresh;
        }
        for (int i = 0; i < kept; ++i) {
            const std::uint16_t n = found[i];
            const int bucket = (level + laneSteps[n]) & 0xFF;
            next[n] = head[bucket];
            head[bucket] = n;
        }
        waiting += kept;
    }

    // The grid as the readers see it: expanded cells mark 0; when the search stopped at a level,
    // the cells queued at it or beyond it mark 1.
    std::uint32_t* state = b.state;
    const std::uint32_t generationBits = generation_ << kGenerationShift;
    const int queuedFrom = stopLevel_ < 0 ? INT32_MAX : stopLevel_;
    for (int y = 0; y < kMapSize; ++y) {
        const int rowLane = LaneOf(CellIndex(0, y));
        const std::int16_t* rowBelow = below + rowLane;
        const std::uint8_t* rowSteps = laneSteps + rowLane;
        std::uint32_t* out = state + CellIndex(0, y);
        for (int x = 0; x < kMapSize; ++x) {
            const int c = rowBelow[x] + rowSteps[x];
            const bool reached = c >= 0 && c <= limit;
            const std::uint32_t mark = reached && c >= queuedFrom ? kCellMarkQueued : kCellMarkNone;
            out[x] = generationBits | mark << 16 |
                     (reached ? static_cast<std::uint32_t>(c) : kUnreachedCost);
        }
    }
    // The start is expanded first, unless the search stopped before it; then it keeps the mark
    // a troop gave it.
    const bool startExpanded = stopLevel_ != 0;
    state[startIndex] = generationBits;
    for (const std::uint32_t m : troopMarks_) {
        const int index = static_cast<int>(m >> 8);
        b.laneTroop[LaneOf(index)] = 0;
        if (index == startIndex && startExpanded) continue;
        state[index] = generationBits | (m & 7) << 16 | (state[index] & 0xFFFF);
    }
}

// The cost of entering each cell for the search's costs and terrain on the lane grid (255 for
// cells that cannot be entered and the border), kept for the last few cost tables: troops of one
// kind search with the same table again and again.
const std::uint8_t* RouteSearch::CellSteps(const std::uint8_t* classes, const std::uint8_t* lookup) {
    for (CellStepTable& t : stepTables_) {
        if (t.used != 0 && t.terrainReads == terrainReads_ && t.classes == classes &&
            std::memcmp(t.lookup, lookup, sizeof t.lookup) == 0) {
            t.used = ++stepTableUses_;
            return t.steps.data();
        }
    }
    CellStepTable* oldest = &stepTables_[0];
    for (CellStepTable& t : stepTables_) {
        if (t.used < oldest->used) oldest = &t;
    }
    oldest->used = ++stepTableUses_;
    oldest->terrainReads = terrainReads_;
    oldest->classes = classes;
    std::memcpy(oldest->lookup, lookup, sizeof oldest->lookup);
    oldest->steps.assign(kLaneCells, kCannotEnter);
    for (int y = 0; y < kMapSize; ++y) {
        std::uint8_t* row = oldest->steps.data() + LaneOf(CellIndex(0, y));
        const std::uint8_t* rowClasses = classes + CellIndex(0, y);
        for (int x = 0; x < kMapSize; ++x) row[x] = lookup[rowClasses[x]];
    }
    return oldest->steps.data();
}

// Relax<false> with the cells' entry costs, on the lane grid: the same queue order, so the same
// costs and marks, without the bounds checks, the terrain lookups and the generation tests of
// every neighbour. A cell is queued when it is first reached unless a troop stands on it; the
// start is queued first whatever its mark. Nothing is queued twice: a step costs at least 1, so
// the start is never reached again, and a reached cell's mark never goes back to 0. A cost equal
// to the one a reached cell holds changes nothing, so only a cheaper one counts: each cell holds
// the cost below which a neighbour's expansion lowers it (its cost less its step; limit + 1 less
// the step while unreached; far below zero for cells that cannot be entered, the border and the
// start), and a step is one comparison.
void RouteSearch::RelaxFirstInFirstOut(int startIndex, std::int16_t costLimit,
                                       const std::uint8_t* laneSteps) {
    Buffers& b = *buffers_;
    std::int16_t* below = b.fifoBelow;
    std::uint8_t* queued = b.fifoQueued;
    std::uint16_t* queue = b.queue;
    constexpr std::int16_t kNever = INT16_MIN;
    const int limit = costLimit < 0 ? -1 : costLimit;
    for (int p = 0; p < kLaneCells; ++p) {
        below[p] = laneSteps[p] == kCannotEnter
                       ? kNever
                       : static_cast<std::int16_t>(limit + 1 - laneSteps[p]);
    }
    // A troop's hex is reached but never queued; a later mark on the same hex wins, as in the
    // grid.
    for (const std::uint32_t m : troopMarks_) {
        queued[LaneOf(static_cast<int>(m >> 8))] = static_cast<std::uint8_t>(m & 7);
    }
    const int startLane = LaneOf(startIndex);
    below[startLane] = kNever;

    queue[0] = static_cast<std::uint16_t>(startLane);
    int read = 0;
    int write = 1;
    std::int16_t reached = 0;
    for (;;) {
        const int current = queue[read];
        for (const int offset : kLaneOffsets) {
            const int n = current + offset;
            if (reached >= below[n]) continue;
            below[n] = reached;
            if (queued[n] == 0) {
                queued[n] = kCellMarkQueued;
                queue[write] = static_cast<std::uint16_t>(n);
                write = (write + 1) & kQueueMask;
            }
        }
        read = (read + 1) & kQueueMask;
        if (read == write) break;
        const int next = queue[read];
        reached = static_cast<std::int16_t>(below[next] + laneSteps[next]);
    }

    // The grid as Relax<false> leaves it: reached cells mark 1 (queued once, never again), the
    // troops' hexes keep their marks, the start its own.
    std::uint32_t* state = b.state;
    const std::uint32_t generationBits = generation_ << kGenerationShift;
    for (int y = 0; y < kMapSize; ++y) {
        const int rowLane = LaneOf(CellIndex(0, y));
        const std::int16_t* rowBelow = below + rowLane;
        const std::uint8_t* rowSteps = laneSteps + rowLane;
        std::uint8_t* rowQueued = queued + rowLane;
        std::uint32_t* out = state + CellIndex(0, y);
        for (int x = 0; x < kMapSize; ++x) {
            const int c = rowBelow[x] + rowSteps[x];
            const bool isReached = c >= 0 && c <= limit;
            out[x] = generationBits | static_cast<std::uint32_t>(rowQueued[x]) << 16 |
                     (isReached ? static_cast<std::uint32_t>(c) : kUnreachedCost);
            rowQueued[x] = 0;
        }
    }
    state[startIndex] = generationBits;
    for (const std::uint32_t m : troopMarks_) {
        const int index = static_cast<int>(m >> 8);
        if (index == startIndex) state[index] = generationBits | (m & 7) << 16;
    }
}

void RouteSearch::ReserveStepTables() {
    for (CellStepTable& t : stepTables_) {
        if (t.steps.size() < static_cast<std::size_t>(kLaneCells))
            t.steps.assign(kLaneCells, kCannotEnter);
    }
}

void RouteSearch::RelaxTroopSearch(std::span<const int> stops) {
    const std::uint8_t* classes = cellRoadTerrain_ ? buffers_->roadTerrain : buffers_->terrain;
    const std::uint8_t* lookup = cellCostLookup_;
    stopLevel_ = -1;
    if (Requeues()) {
        RelaxCheapestFirst(startIndex_, request_.costLimit, CellSteps(classes, lookup), stops);
        return;
    }
    if (fastFirstInFirstOut_) {
        RelaxFirstInFirstOut(startIndex_, request_.costLimit, CellSteps(classes, lookup));
        return;
    }
    Relax<false>(startIndex_, request_.costLimit,
                 [classes, lookup](int, int, int n) { return lookup[classes[n]]; });
}

void RouteSearch::PublishArea(GameContext& ctx) {
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            const std::uint32_t s = StateOf(CellIndex(x, y));
            if ((s & 0xFFFF) != kUnreachedCost) {
                ctx.SetHexMarkBits(0x0001);
            } else if (!IsZoneMark(static_cast<std::uint8_t>((s >> 16) & 7))) {
                ctx.ClearHexMarkBits(0x0001);
            }
        }
    }
}

// ---- troop searches

int RouteSearch::ComputeArea(GameContext& ctx, std::uint16_t troop, int x, int y,
                             const std::uint8_t* table, int skipTroops) {
    if (!StartTroopSearch(ctx, troop, x, y, table, skipTroops)) return 0;
    if (!skipTroops) MarkTroops(ctx);
    RelaxTroopSearch();
    return 1;
}

void RouteSearch::SetStops(std::span<const std::uint16_t> targets) {
    stops_.clear();
    bool allOnMap = cutRoutesShort_ && !targets.empty();
    for (const std::uint16_t hex : targets) {
        const int tx = hex & 0xFF;
        const int ty = hex >> 8;
        allOnMap = allOnMap && OnMap(tx, ty);
        if (allOnMap) stops_.push_back(CellIndex(tx, ty));
    }
    // A target off the map is never reached: the search runs to its end anyway.
    if (!allOnMap) stops_.clear();
}

int RouteSearch::ComputeRouteTo(GameContext& ctx, std::uint16_t troop, int x, int y,
                                const std::uint8_t* table, int skipTroops,
                                std::span<const std::uint16_t> targets) {
    if (!StartTroopSearch(ctx, troop, x, y, table, skipTroops)) return 0;
    if (!skipTroops) MarkTroops(ctx);
    SetStops(targets);
    RelaxTroopSearch(stops_);
    return 1;
}

void RouteSearch::MarkTroopsLogged(GameContext& ctx, int skipTroops) {
    marks_.clear();
    if (!skipTroops) {
        markLog_ = &marks_;
        MarkTroops(ctx);
        markLog_ = nullptr;
    }
}

bool RouteSearch::MemoMatches(const RouteAreaMemo& memo) const {
    return memo.valid && memo.terrainReads == terrainReads_ &&
           memo.roadTerrain == request_.roadTerrain && memo.start == startIndex_ &&
           memo.costLimit == request_.costLimit &&
           std::memcmp(memo.table, table_, kRouteCostTableSize) == 0 && memo.marks == marks_;
}

void RouteSearch::RestoreMemo(const RouteAreaMemo& memo) {
    // After a search every cell holds its reached cost with mark 0, but for the troops' hexes,
    // which keep their marks (the start excepted: it is expanded like any cell). A search cut
    // short may also leave cells queued beyond its last level; nothing reads their marks.
    std::uint32_t* state = buffers_->state;
    const std::uint32_t generationBits = generation_ << kGenerationShift;
    for (int i = 0; i < kHexCount; ++i) state[i] = generationBits | memo.costs[i];
    for (const std::uint32_t m : marks_) {
        const int index = static_cast<int>(m >> 8);
        if (index == startIndex_) continue;
        state[index] = generationBits | ((m & 7) << 16) | memo.costs[index];
    }
}

void RouteSearch::StoreMemo(RouteAreaMemo& memo) {
    memo.valid = true;
    memo.terrainReads = terrainReads_;
    memo.roadTerrain = request_.roadTerrain;
    memo.start = startIndex_;
    memo.costLimit = request_.costLimit;
    std::memcpy(memo.table, table_, kRouteCostTableSize);
    memo.marks = marks_;
    memo.costs.resize(kHexCount);
    // ReachedOf for every cell, in a loop the compiler can widen.
    const std::uint32_t* state = buffers_->state;
    const std::uint32_t generationBits = generation_ << kGenerationShift;
    std::uint16_t* costs = memo.costs.data();
    for (int i = 0; i < kHexCount; ++i) {
        const std::uint32_t s = state[i];
        costs[i] = (s & kGenerationMask) == generationBits ? static_cast<std::uint16_t>(s)
                                                           : kUnreachedCost;
    }
    memo.lengths.clear();
    memo.complete = stopLevel_ < 0;
    memo.finalLevel = static_cast<std::uint16_t>(stopLevel_ < 0 ? 0 : stopLevel_);
}

int RouteSearch::ComputeAreaReusing(GameContext& ctx, std::uint16_t troop, int x, int y,
                                    const std::uint8_t* table, int skipTroops,
                                    RouteAreaMemo& memo, bool& reused) {
    reused = false;
    if (!StartTroopSearch(ctx, troop, x, y, table, skipTroops)) return 0;
    MarkTroopsLogged(ctx, skipTroops);
    if (memo.complete && MemoMatches(memo)) {
        RestoreMemo(memo);
        reused = true;
        return 1;
    }
    RelaxTroopSearch();
    StoreMemo(memo);
    return 1;
}

int RouteSearch::ComputeRouteToReusing(GameContext& ctx, std::uint16_t troop, int x, int y,
                                       const std::uint8_t* table, int skipTroops,
                                       std::span<const std::uint16_t> targets,
                                       RouteAreaMemo& memo, bool& reused) {
    reused = false;
    if (!StartTroopSearch(ctx, troop, x, y, table, skipTroops)) return 0;
    MarkTroopsLogged(ctx, skipTroops);
    SetStops(targets);
    if (MemoMatches(memo)) {
        // A cell no dearer than the level a search stopped at holds its final cost, and so
        // does every cell of the cheapest route to it.
        bool final = memo.complete || !stops_.empty();
        if (!memo.complete) {
            for (const int stop : stops_) final = final && memo.costs[stop] <= memo.finalLevel;
        }
        if (final) {
            RestoreMemo(memo);
            reused = true;
            return 1;
        }
    }
    RelaxTroopSearch(stops_);
    StoreMemo(memo);
    return 1;
}

int RouteSearch::ComputeAreaFromHex(GameContext& ctx, std::uint16_t troop, int x, int y,
                                    const std::uint8_t* table) {
    // The simulation's variant marks troops and shows nothing.
    if (instance_ == RouteInstance::Simulation) return ComputeArea(ctx, troop, x, y, table, 0);

    if (!StartTroopSearch(ctx, troop, x, y, table, 1)) return 0;
    const int start = CellIndex(x, y);
    RelaxTroopSearch();
    PublishArea(ctx);
    ClearCosts();
    Put(start, ReachedOf(start), kCellMarkQueued);
    if (ctx.SelectHexInfoXY(x, y)) ctx.SetHexMarkBits(0x0001);
    return 1;
}

void RouteSearch::RunSearch(GameContext& ctx) {
    EnsureTerrain();
    if (!OnMap(request_.startX, request_.startY)) {
        ResetGrid();
        return;
    }
    SetCosts(CellIndex(request_.startX, request_.startY));
    if (!request_.skipTroops) MarkTroops(ctx);
    RelaxTroopSearch();
    if (instance_ != RouteInstance::Simulation) {
        PublishArea(ctx);
        ClearCosts();
    }
}

int RouteSearch::TraceRoute(std::span<RouteStep> out, int x, int y) {
    if (out.empty()) return 0;
    if (!OnMap(x, y)) {
        out[0] = RouteStep{};
        return 0;
    }
    // A caller's buffer shorter than the step limit cuts the route where the buffer ends.
    const int limit = std::min<int>(GetStepLimit(), static_cast<int>(out.size()) - 1);
    int n = 0;
    while (n < limit && ReachedOf(CellIndex(x, y)) != 0) {
        std::uint16_t best = 32767;
        bool found = false;
        int stepX = 0;
        int stepY = 0;
        const int parity = y & 1;
        for (int k = 0; k < kHexDirectionCount; ++k) {
            const int nx = x + kTraceDx[parity][k];
            const int ny = y + kTraceDy[parity][k];
            if (!OnMap(nx, ny)) continue;
            const std::uint32_t s = StateOf(CellIndex(nx, ny));
            const auto reached = static_cast<std::uint16_t>(s & 0xFFFF);
            if (reached == kUnreachedCost) continue;
            // A troop's hex ends a route but is never passed through; only the start counts.
            if (IsZoneMark(static_cast<std::uint8_t>((s >> 16) & 7)) && reached != 0) continue;
            if (reached < best) {
                best = reached;
                found = true;
                stepX = kTraceDx[parity][k];
                stepY = kTraceDy[parity][k];
            }
        }
        if (!found) return 0;
        x += stepX;
        y += stepY;
        out[n] = RouteStep{-stepX, -stepY};
        ++n;
    }
    out[n] = RouteStep{};
    std::reverse(out.begin(), out.begin() + n);
    return n;
}

int RouteSearch::FindNearestReachedCell(std::uint16_t target, std::uint8_t out[2]) const {
    const int targetX = target & 0xFF;
    const int targetY = target >> 8;
    int best = 32000;
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            const std::uint16_t reached = ReachedOf(CellIndex(x, y));
            if (reached == 0 || reached == kUnreachedCost) continue;
            const int d = HexDistance(static_cast<std::uint16_t>(targetX),
                                      static_cast<std::uint16_t>(targetY),
                                      static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
            if (d < best) {
                best = d;
                out[0] = static_cast<std::uint8_t>(x);
                out[1] = static_cast<std::uint8_t>(y);
            }
        }
    }
    if (best == 32000) return 0;
    return (out[0] == targetX && out[1] == targetY) ? 0 : 1;
}

// ---- cell queries

std::uint16_t RouteSearch::GetCellCost(int x, int y) const {
    return OnMap(x, y) ? ReachedOf(CellIndex(x, y)) : kUnreachedCost;
}

std::uint8_t RouteSearch::GetCellTerrain(int x, int y, int mode) {
    if (!OnMap(x, y)) return kNoTerrainClass;
    EnsureTerrain();
    const int index = CellIndex(x, y);
    const bool road = mode == 0 ? request_.roadTerrain != 0 : mode != 1;
    return road ? buffers_->roadTerrain[index] : buffers_->terrain[index];
}

int RouteSearch::IsCellEnterable(int x, int y) {
    if (!OnMap(x, y)) return 0;
    EnsureTerrain();
    const int index = CellIndex(x, y);
    const std::uint8_t terrain =
        request_.roadTerrain ? buffers_->roadTerrain[index] : buffers_->terrain[index];
    return costLookup_[terrain] != kCannotEnter ? 1 : 0;
}

std::uint8_t RouteSearch::GetCellMark(int x, int y) const {
    return OnMap(x, y) ? MarkOf(CellIndex(x, y)) : static_cast<std::uint8_t>(kCellMarkNone);
}

RouteCell RouteSearch::GetCell(int x, int y) const {
    RouteCell cell;
    if (!OnMap(x, y)) {
        cell.terrain = kNoTerrainClass;
        cell.roadTerrain = kNoTerrainClass;
        return cell;
    }
    const int index = CellIndex(x, y);
    const std::uint32_t s = StateOf(index);
    cell.terrain = buffers_->terrain[index];
    cell.roadTerrain = buffers_->roadTerrain[index];
    cell.cost = CostOf(index);
    cell.mark = static_cast<std::uint8_t>((s >> 16) & 7);
    cell.reachedCost = static_cast<std::uint16_t>(s & 0xFFFF);
    return cell;
}

void RouteSearch::GetGrid(std::span<RouteCell, kHexCount> out) const {
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) out[CellIndex(x, y)] = GetCell(x, y);
    }
}

void RouteSearch::MarkNeighbourZone(int x, int y) {
    if (!OnMap(x, y)) return;
    for (const std::int16_t n : kNeighbours[CellIndex(x, y)]) {
        if (n >= 0) Put(n, ReachedOf(n), kCellMarkNeighbourZone);
    }
}

void RouteSearch::NormaliseMarks() {
    for (int index = 0; index < kHexCount; ++index) {
        const std::uint32_t s = StateOf(index);
        const auto reached = static_cast<std::uint16_t>(s & 0xFFFF);
        const auto mark = static_cast<std::uint8_t>((s >> 16) & 7);
        if (reached == kUnreachedCost) {
            Put(index, reached, kCellMarkNone);
        } else if (!IsZoneMark(mark)) {
            Put(index, reached, kCellMarkQueued);
        }
    }
}

// ---- supply network and movement classes

void RouteSearch::ComputeSupplyNetwork(GameContext& ctx, int x, int y, std::uint8_t country) {
    request_.startX = static_cast<std::int16_t>(x);
    request_.startY = static_cast<std::int16_t>(y);
    request_.troop = kNoSearchTroop;
    request_.costLimit = kSupplySearchCostLimit;
    request_.country = country;
    request_.skipTroops = 0;
    if (!OnMap(x, y) || country >= kCountryCount) {
        ResetGrid();
        return;
    }

    // A hex can be entered when it holds a site of the country or an ally, or a road and no
    // site; a road hex is left only along its own directions unless it holds an allied site.
    Buffers& b = *buffers_;
    TableDirectory& tables = ctx.Tables();
    const TableId countryTable = ctx.GetTableSet().country;
    for (int hy = 0; hy < kMapSize; ++hy) {
        for (int hx = 0; hx < kMapSize; ++hx) {
            const int index = CellIndex(hx, hy);
            b.supplyCost[index] = kCannotEnter;
            b.road[index] = kNoRoad;
            b.leavesAnyWay[index] = 0;
            if (!ctx.SelectHexInfoXY(hx, hy)) continue;
            b.road[index] = ctx.Hexes().GetRoad();
            const std::uint16_t site = ctx.GetHexSiteIndex();
            if (site != kNoSiteIndex && ctx.Sites().Select(site)) {
                const std::uint8_t owner = ctx.Sites().GetOwner();
                if (AreCountriesAllied(tables, country, owner, countryTable)) {
                    b.supplyCost[index] = 1;
                }
                b.leavesAnyWay[index] =
                    AreCountriesAllied(tables, owner, country, countryTable) ? 1 : 0;
            } else if (b.road[index] != kNoRoad) {
                b.supplyCost[index] = 1;
            }
        }
    }

    const int start = CellIndex(x, y);
    costMode_ = CostMode::Blocked;
    startIndex_ = start;
    NewGeneration();
    Put(start, 0, kCellMarkNone);
    auto enter = [&b](int current, int d, int n) -> std::uint8_t {
        if (b.supplyCost[n] == kCannotEnter) return kCannotEnter;
        const std::uint8_t road = b.road[current];
        const bool allowed =
            b.leavesAnyWay[current] || road == kNoRoad ||
            (((road >> d) & 1) && (b.road[n] == kNoRoad || (b.road[n] & OppositeRoadBit(d))));
        return allowed ? b.supplyCost[n] : kCannotEnter;
    };
    Relax<true>(start, kSupplySearchCostLimit, enter);

    for (int hy = 0; hy < kMapSize; ++hy) {
        for (int hx = 0; hx < kMapSize; ++hx) {
            if (ReachedOf(CellIndex(hx, hy)) == kUnreachedCost) continue;
            if (ctx.SelectHexInfoXY(hx, hy)) ctx.SetHexCountryByte2(country, 1);
        }
    }
    ResetGrid();
}

int RouteSearch::IsPassableForClass(int x, int y, int movementClass) {
    if (!OnMap(x, y)) return 0;
    EnsureTerrain();
    const int index = CellIndex(x, y);
    int roadTerrain = request_.roadTerrain;
    if (movementClass >= 1 && movementClass <= 5) {
        std::uint8_t table[kRouteCostTableSize];
        for (int k = 0; k < kRouteCostTableSize; ++k) {
            table[k] = ClassPasses(movementClass, k) ? 1 : 0;
        }
        SetTable(table);
        // Ground troops (class 3) follow roads; the neighbours are tested the same way.
        roadTerrain = movementClass == 3 ? 1 : 0;
        const std::uint8_t terrain =
            roadTerrain ? buffers_->roadTerrain[index] : buffers_->terrain[index];
        if (costLookup_[terrain] == kCannotEnter) return 0;
    }
    request_.troop = kNoSearchTroop;
    request_.country = kNoCountry;
    request_.costLimit = kClassSetupCostLimit;
    request_.skipTroops = 0;
    request_.startX = static_cast<std::int16_t>(x);
    request_.startY = static_cast<std::int16_t>(y);
    request_.roadTerrain = roadTerrain;
    return 1;
}

int StepHex(int& x, int& y, int direction, int orderFlag) {
    if (direction < 0 || direction >= kHexDirectionCount) return 0;
    const int d = kStepDirections[orderFlag ? 1 : 0][direction];
    const int nx = x + kNeighbourDx[y & 1][d];
    const int ny = y + kNeighbourDy[d];
    if (!OnMap(nx, ny)) return 0;
    x = nx;
    y = ny;
    return 1;
}

std::span<RouteStep> RouteSearch::StepBuffer() {
    return std::span<RouteStep>(buffers_->steps);
}

ContextRouteSearch::ContextRouteSearch(GameContext& ctx, RouteInstance instance) {
    if (RouteSearchSet* set = ctx.GetRouteSearches()) {
        search_ = &set->Get(instance);
    } else {
        own_ = std::make_unique<RouteSearch>(ctx.Tables(), instance);
        search_ = own_.get();
    }
}

ContextRouteSearch::~ContextRouteSearch() = default;

// ---- the set of one thread

RouteSearchSet::RouteSearchSet(TableDirectory& tables, RouteTerrainEpoch* epoch)
    : epoch_(epoch),
      map_(tables, RouteInstance::Map, epoch),
      ctx_(tables, RouteInstance::Context, epoch),
      sim_(tables, RouteInstance::Simulation, epoch) {}

RouteSearch& RouteSearchSet::Get(RouteInstance instance) {
    switch (instance) {
        case RouteInstance::Context:
            return ctx_;
        case RouteInstance::Simulation:
            return sim_;
        case RouteInstance::Map:
            break;
    }
    return map_;
}

RouteAreaMemo* RouteSearchSet::PlanMemo(std::uint16_t troop) {
    if (troop >= kTroopTableLimit) return nullptr;
    if (planMemos_.empty()) planMemos_.resize(kTroopTableLimit);
    std::unique_ptr<RouteAreaMemo>& memo = planMemos_[troop];
    if (!memo) memo = std::make_unique<RouteAreaMemo>();
    return memo.get();
}

RouteAreaMemo* RouteSearchSet::TroopMemo(std::uint16_t troop, int skipTroops) {
    if (troop >= kTroopTableLimit || (skipTroops != 0 && skipTroops != 1)) return nullptr;
    if (troopMemos_.empty()) troopMemos_.resize(2 * static_cast<std::size_t>(kTroopTableLimit));
    std::unique_ptr<RouteAreaMemo>& memo =
        troopMemos_[2 * static_cast<std::size_t>(troop) + static_cast<std::size_t>(skipTroops)];
    if (!memo) memo = std::make_unique<RouteAreaMemo>();
    return memo.get();
}

void RouteSearchSet::ReserveTroopMemos(std::span<const std::uint16_t> troops) {
    // The sizes StoreMemo gives them; a memo stays invalid until a search is kept in it.
    constexpr std::size_t kReservedMarks = 64;
    for (const std::uint16_t troop : troops) {
        for (RouteAreaMemo* memo : {TroopMemo(troop, 0), PlanMemo(troop)}) {
            if (!memo) continue;
            memo->costs.resize(kHexCount);
            memo->marks.reserve(kReservedMarks);
        }
    }
    sim_.ReserveStepTables();
    ctx_.ReserveStepTables();
}

void RouteSearchSet::ReloadAllTerrain() {
    if (epoch_) epoch_->Advance();
    map_.LoadTerrain();
    sim_.LoadTerrain();
    // Map and Context read the same live tables.
    ctx_.LoadTerrainFrom(map_);
}

}  // namespace zv::rules
