#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "rules/context/TableDirectory.h"
#include "rules/records/MapRecords.h"

namespace zv::rules {

class GameContext;

// What the route search sees of one hex. The grid keeps its state in its own layout; GetGrid
// writes it out in this form, 4096 cells in row order (x + 64 * y).
struct RouteCell {
    std::uint8_t terrain = 0;      // terrain class without roads (GetHexTerrainClass mode 0)
    std::uint8_t roadTerrain = 0;  // with roads (mode 1)
    std::uint8_t cost = 255;       // cost of entering the hex in the current search; 255 never
    std::uint8_t mark = 0;         // RouteCellMark
    std::uint16_t reachedCost = 0xFFFF;  // cheapest cost found from the start; 0xFFFF unreached
};

enum RouteCellMark : std::uint8_t {
    kCellMarkNone = 0,
    kCellMarkQueued = 1,
    kCellMarkNeighbourZone = 2,
    kCellMarkForeignTroop = 3,
    kCellMarkFriendlyTroop = 5,
};

// Marks 2, 3 and 5: the hex can be reached, but no route passes through it.
constexpr bool IsZoneMark(std::uint8_t mark) {
    return mark == kCellMarkNeighbourZone || mark == kCellMarkForeignTroop ||
           mark == kCellMarkFriendlyTroop;
}

inline constexpr std::uint16_t kUnreachedCost = 0xFFFF;
inline constexpr std::uint8_t kCannotEnter = 255;
inline constexpr std::uint16_t kNoSearchTroop = 0xFFFF;
inline constexpr std::int16_t kTroopSearchCostLimit = 3840;
inline constexpr std::int16_t kSupplySearchCostLimit = 255;
inline constexpr std::int16_t kClassSetupCostLimit = 3;
inline constexpr int kRouteCostTableSize = 29;

// One step of a traced route. A step list ends with (0, 0).
struct RouteStep {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};

// A troop search's result kept for reuse by ComputeAreaReusing: what the result depends on (the
// terrain read, the cost table, the road flag, the start, the cost limit and the troop marks in
// the order they were set) and the reached cost of every cell.
struct RouteAreaMemo {
    bool valid = false;
    std::uint32_t terrainReads = 0;
    std::uint8_t table[29] = {};
    int roadTerrain = 0;
    int start = -1;
    std::int16_t costLimit = 0;
    std::vector<std::uint32_t> marks;  // cell index << 8 | mark
    std::vector<std::uint16_t> costs;
    // A search cut short at its targets: only cells whose cost is at most `finalLevel` hold
    // their final cost (and the routes to them); the others may read dearer or unreached.
    bool complete = true;
    std::uint16_t finalLevel = 0;
    // Lengths of routes traced on this result (cell << 16 | steps), for its users to keep.
    std::vector<std::uint32_t> lengths;
};

// Step limits of a trace. A step buffer of kMaxRouteSteps + 1 entries fits every instance.
inline constexpr int kMapRouteStepLimit = 1400;
inline constexpr int kSimRouteStepLimit = 4095;
inline constexpr int kMaxRouteSteps = kSimRouteStepLimit;

// The three searches the program keeps apart. Map serves the map windows, the live context's
// route operations and its supply networks; Context the live context's waypoint planning;
// Simulation the clock step and every rule operation on the shadow tables.
enum class RouteInstance : std::uint8_t { Map = 1, Context = 2, Simulation = 3 };

// The parameters of an instance's current search.
struct RouteRequest {
    std::uint32_t troop = kNoSearchTroop;  // 0xFFFF for the supply network and the class set-up
    std::int16_t startX = 0;
    std::int16_t startY = 0;
    std::int16_t costLimit = 0;
    std::uint16_t country = kNoCountry;  // low byte used
    int skipTroops = 0;
    int roadTerrain = 0;  // 1: cells are entered by their road terrain (ground troops)
};

// A world-wide stamp of the terrain the searches cache. Every thread searches with its own
// instances; advancing the stamp makes each of them reload its terrain before its next search.
class RouteTerrainEpoch {
  public:
    void Advance() { value_.fetch_add(1, std::memory_order_acq_rel); }
    std::uint32_t Current() const { return value_.load(std::memory_order_acquire); }

  private:
    std::atomic<std::uint32_t> value_{1};
};

// Finds, for one troop, every hex it can reach from a start hex and at what cost, and traces the
// cheapest route back; floods a country's supply network along roads; tests hexes against a
// movement class. The grid, queue and request belong to the instance and are allocated once;
// a search allocates nothing.
//
// Instances Map and Context expand each cell at most once per search: a cheaper cost found after
// a cell was expanded is stored but not passed on. The Simulation instance expands a cell again
// whenever its cost drops, so its costs are the true cheapest costs. The computer players' choices
// and the lock-step journal depend on both behaviours; keep them.
class RouteSearch {
  public:
    // `epoch` (may be null) is the world's terrain stamp. Map and Context read the live tables,
    // Simulation the shadow tables.
    RouteSearch(TableDirectory& tables, RouteInstance instance,
                const RouteTerrainEpoch* epoch = nullptr);
    ~RouteSearch();
    RouteSearch(const RouteSearch&) = delete;
    RouteSearch& operator=(const RouteSearch&) = delete;

    RouteInstance Instance() const { return instance_; }
    // Changes whenever the grid is set up anew (every search): a result read at one value is
    // the grid's as long as the value stays.
    std::uint64_t SearchSerial() const { return serial_; }
    int GetStepLimit() const;
    const RouteRequest& Request() const { return request_; }
    // The search object's 29 costs, one per terrain class.
    const std::uint8_t* CostTable() const { return table_; }

    // Reads terrain classes with and without roads of every hex from the instance's tables and
    // resets the grid. Searches also reload by themselves when the world's stamp moved on.
    void LoadTerrain();
    // LoadTerrain with the terrain another instance of the same tables (live or shadow) has
    // just read; reads for itself when the other reads other tables or has read nothing.
    void LoadTerrainFrom(const RouteSearch& other);

    // Troop searches; each overwrites the grid. `table` null: the troop's own move costs. 0 and
    // nothing reached when the troop does not select in the context or the start is off the map.
    int ComputeArea(GameContext& ctx, std::uint16_t troop, int x, int y, const std::uint8_t* table,
                    int skipTroops);
    // ComputeArea for the routes to a few hexes (x low byte, y high byte): the simulation's
    // search stops once the cost of every target is final. A target's cost and TraceRoute to it
    // then read as after a full search, while other cells may read dearer or unreached. The
    // other instances, and the simulation's with cutting short turned off, search in full.
    int ComputeRouteTo(GameContext& ctx, std::uint16_t troop, int x, int y,
                       const std::uint8_t* table, int skipTroops,
                       std::span<const std::uint16_t> targets);
    // On (the default) ComputeRouteTo may stop early; off, it is ComputeArea.
    void SetRoutesCutShort(bool on) { cutRoutesShort_ = on; }
    // On (the default) the search uses the processor's vector instructions where it has them;
    // off, it keeps to plain code. Both give the same grid.
    void SetVectorInstructions(bool on) { vectorInstructions_ = on; }
    // On (the default) the first-in-first-out troop search of Map and Context runs on the lane
    // grid; off, on the plain grid. Both give the same grid.
    void SetFirstInFirstOutOnLanes(bool on) { fastFirstInFirstOut_ = on; }
    // ComputeArea that gives back the memo's result when nothing it depends on has changed
    // since the memo's search (the grid then reads exactly as after a new search) and keeps
    // the new result in the memo otherwise. `reused` tells which happened.
    int ComputeAreaReusing(GameContext& ctx, std::uint16_t troop, int x, int y,
                           const std::uint8_t* table, int skipTroops, RouteAreaMemo& memo,
                           bool& reused);
    // ComputeRouteTo that gives back the memo's result when nothing it depends on has changed
    // and it holds every target's final cost (a complete search, or one cut short at targets
    // at least as far); otherwise searches (cut short) and keeps the result in the memo. The
    // targets' costs and the routes to them read as after a new search.
    int ComputeRouteToReusing(GameContext& ctx, std::uint16_t troop, int x, int y,
                              const std::uint8_t* table, int skipTroops,
                              std::span<const std::uint16_t> targets, RouteAreaMemo& memo,
                              bool& reused);
    // The same without troops; Map and Context then mark the reach in the hex information
    // (mark bit 0) for the map view. Simulation marks troops and publishes nothing.
    int ComputeAreaFromHex(GameContext& ctx, std::uint16_t troop, int x, int y,
                           const std::uint8_t* table);
    // The cheapest route from the last search's start to (x, y) as steps, terminated by (0, 0),
    // in walking order; returns the number of steps. A route longer than the instance's step
    // limit (or than `out` can hold) keeps only its last steps. 0 at the start or without route.
    int TraceRoute(std::span<RouteStep> out, int x, int y);
    // The reached hex (not the start) nearest to the target (x low byte, y high byte); 1 and
    // out = {x, y}, or 0 when nothing was reached or the nearest is the target itself.
    int FindNearestReachedCell(std::uint16_t target, std::uint8_t out[2]) const;

    // The last search's grid. Off-map cells read as unreached and without terrain.
    std::uint16_t GetCellCost(int x, int y) const;
    int IsReached(int x, int y) const { return GetCellCost(x, y) != kUnreachedCost ? 1 : 0; }
    // Mode 0: as the request enters cells; mode 1: the terrain; other modes: the road terrain.
    std::uint8_t GetCellTerrain(int x, int y, int mode);
    // 1 when the search object's table lets the cell be entered.
    int IsCellEnterable(int x, int y);
    std::uint8_t GetCellMark(int x, int y) const;
    RouteCell GetCell(int x, int y) const;
    void GetGrid(std::span<RouteCell, kHexCount> out) const;

    // Sets supply byte 20 + country of every hex the country's roads connect to (x, y), at most
    // 255 steps away; then resets the grid. Countries outside 0-3 have no network bytes.
    void ComputeSupplyNetwork(GameContext& ctx, int x, int y, std::uint8_t country);
    // Fills the cost table with the passability of movement class 1-5 and prepares the request
    // for IsCellEnterable; 0 when the start hex is impassable for the class.
    int IsPassableForClass(int x, int y, int movementClass);

    // Scratch room for one traced route (kMaxRouteSteps + 1 steps) for the rule operations that
    // trace on this instance; allocated with the grid.
    std::span<RouteStep> StepBuffer();

    // Writes the memory of the kept step tables once, so that later searches find it in place.
    void ReserveStepTables();

    // Parts of a search, usable by themselves.
    void RunSearch(GameContext& ctx);
    void ResetGrid();
    void ClearCosts();
    void MarkNeighbourZone(int x, int y);
    void NormaliseMarks();

  private:
    struct Buffers;
    enum class CostMode : std::uint8_t { Blocked, Zero, Table };

    bool Requeues() const { return instance_ == RouteInstance::Simulation; }
    // The memo's key equals the prepared search's (marks_ filled by MarkTroopsLogged).
    bool MemoMatches(const RouteAreaMemo& memo) const;
    void MarkTroopsLogged(GameContext& ctx, int skipTroops);
    void RestoreMemo(const RouteAreaMemo& memo);
    void StoreMemo(RouteAreaMemo& memo);
    // Fills stops_ with the targets' cells; empty (a full search) when cutting short is off or
    // a target lies off the map.
    void SetStops(std::span<const std::uint16_t> targets);
    int StartTroopSearch(GameContext& ctx, std::uint16_t troop, int x, int y,
                         const std::uint8_t* table, int skipTroops);
    void SetTable(const std::uint8_t* table);
    void ReadTerrain();
    void EnsureTerrain();
    void NewGeneration();
    void SetCosts(int startIndex);
    void MarkTroops(GameContext& ctx);
    template <bool kRequeue, typename Enter>
    void Relax(int startIndex, std::int16_t costLimit, Enter enter);
    // With stop cells the search ends once the cost of each of them is final.
    void RelaxCheapestFirst(int startIndex, std::int16_t costLimit, const std::uint8_t* cellSteps,
                            std::span<const int> stops);
    void RelaxFirstInFirstOut(int startIndex, std::int16_t costLimit,
                              const std::uint8_t* laneSteps);
    const std::uint8_t* CellSteps(const std::uint8_t* classes, const std::uint8_t* lookup);
    void RelaxTroopSearch(std::span<const int> stops = {});
    void PublishArea(GameContext& ctx);
    std::uint32_t StateOf(int index) const;
    void Put(int index, std::uint16_t reached, std::uint8_t mark);
    std::uint8_t CostOf(int index) const;
    std::uint16_t ReachedOf(int index) const;
    std::uint8_t MarkOf(int index) const;

    TableDirectory* tables_;
    RouteInstance instance_;
    const RouteTerrainEpoch* epoch_;
    std::uint32_t loadedEpoch_ = 0;
    bool terrainLoaded_ = false;
    std::unique_ptr<Buffers> buffers_;
    RouteRequest request_;
    std::uint8_t table_[kRouteCostTableSize] = {};
    std::uint8_t costLookup_[256] = {};      // the table by terrain byte; 255 cannot enter
    std::uint8_t cellCostLookup_[256] = {};  // the same as the grid's costs were set
    bool cellRoadTerrain_ = false;
    CostMode costMode_ = CostMode::Blocked;
    int startIndex_ = -1;
    std::uint32_t generation_ = 0;
    std::uint32_t terrainReads_ = 0;             // counts ReadTerrain calls
    std::vector<std::uint32_t>* markLog_ = nullptr;  // MarkTroops records its marks here
    std::vector<std::uint32_t> troopMarks_;  // the marks of the current search (cell << 8 | mark)
    std::vector<std::uint32_t> marks_;
    std::vector<int> stops_;
    bool cutRoutesShort_ = true;
    bool vectorInstructions_ = true;
    bool fastFirstInFirstOut_ = true;
    // The cost level at which the last search stopped at its targets; -1 when it ran to its end.
    int stopLevel_ = -1;
    std::uint64_t serial_ = 0;
    struct CellStepTable {
        std::uint64_t used = 0;  // 0: empty; else the use count when last used
        std::uint32_t terrainReads = 0;
        const std::uint8_t* classes = nullptr;
        std::uint8_t lookup[256] = {};
        std::vector<std::uint8_t> steps;
    };
    std::array<CellStepTable, 16> stepTables_;
    std::uint64_t stepTableUses_ = 0;
};

// The instance a context's rule operation searches with: the context's own set when its env
// gave one, else an instance made for this call alone.
class ContextRouteSearch {
  public:
    ContextRouteSearch(GameContext& ctx, RouteInstance instance);
    ~ContextRouteSearch();
    RouteSearch& operator*() { return *search_; }
    RouteSearch* operator->() { return search_; }

  private:
    std::unique_ptr<RouteSearch> own_;
    RouteSearch* search_;
};

// Moves a position one hex: direction d of the list SE, E, NE, NW, W, SW when the order flag is
// set, SW, W, NW, NE, E, SE when it is 0 (the x step follows the parity of the row). 0 and
// nothing changed when the result would leave the map.
int StepHex(int& x, int& y, int direction, int orderFlag);

// The route searches of one thread for one world: the three instances. Whoever runs rule
// operations on a thread owns one and hands it to every context it builds.
class RouteSearchSet {
  public:
    explicit RouteSearchSet(TableDirectory& tables, RouteTerrainEpoch* epoch = nullptr);

    RouteSearch& Map() { return map_; }
    RouteSearch& Ctx() { return ctx_; }
    RouteSearch& Sim() { return sim_; }
    RouteSearch& Get(RouteInstance instance);

    // The terrain of the map or its sites changed: reload all three here and make every other
    // set of the world reload before its next search.
    void ReloadAllTerrain();

    // The last waypoint search of a troop's order on the live tables (Context), which passes
    // through troops and so depends only on the terrain, the troop's costs and its start: an
    // order given again from the same hex reads the same grid. Null for a troop beyond the
    // table.
    RouteAreaMemo* PlanMemo(std::uint16_t troop);

    // The last Simulation search of each troop from its own costs, by whether it marked troops
    // (skipTroops 0) or passed through them (1): the clock step's searches and the waypoint
    // planning on the shadow give one another back a result nothing it depends on has changed
    // since. Null for a troop beyond the table or another skipTroops.
    RouteAreaMemo* TroopMemo(std::uint16_t troop, int skipTroops);
    // Makes room now for the kept searches of these troops (their TroopMemo with skipTroops 0
    // and their PlanMemo) and for the step tables of the Simulation and Context instances: play
    // begins, and memory first written in a step would cost the step its page faults.
    void ReserveTroopMemos(std::span<const std::uint16_t> troops);
    // Off (the default) the shadow's waypoint planning searches anew every time; the clock
    // step turns it on with its fast searches.
    void SetReuseTroopSearches(bool on) { reuseTroopSearches_ = on; }
    bool ReusesTroopSearches() const { return reuseTroopSearches_; }

  private:
    RouteTerrainEpoch* epoch_;
    std::vector<std::unique_ptr<RouteAreaMemo>> planMemos_;
    std::vector<std::unique_ptr<RouteAreaMemo>> troopMemos_;
    bool reuseTroopSearches_ = false;
    RouteSearch map_;
    RouteSearch ctx_;
    RouteSearch sim_;
};

}  // namespace zv::rules
