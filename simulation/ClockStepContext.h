#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "framework/RandomStreams.h"
#include "rules/combat/TargetChoice.h"
#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"

// What the routines of one clock step share: the world's simulation (journal, random streams),
// the route searches of the thread that runs the step, the corps targets and the step's current
// troop. The clock step owns one per world; tests build their own.
namespace zv::sim {

// A route length beyond any the step traces: the bound of a pick that has none, and the best
// length before a pick has found a route.
inline constexpr std::uint16_t kNoLength = 30000;

// Settings of section "Environ" that the automatic behaviour reads.
struct BehaviourSettings {
    int attackRangeMagnifying = 20;  // "AttackRengeMagnifying"
    int maxAttackRange = 15;         // "MaxAttackRenge"
};

// The per-country work table of the automatic behaviour, rebuilt at every step: five records of
// 524 bytes (records 0-3 used), each with four lists of 65 hex entries (x, y; 0xFF in x empty)
// and two hexes that the carrier search records.
class CorpsTargetTable {
  public:
    static constexpr int kRecords = 5;
    static constexpr int kRecordSize = 524;
    static constexpr int kEntries = 65;
    // The planner fills at most this many entries per list.
    static constexpr int kFilledEntries = 63;
    enum List : int { kHq = 0, kExpansion = 1, kFront = 2, kThreat = 3 };

    CorpsTargetTable() { Clear(); }
    // Every byte 0xFF; the built flag stays.
    void Clear() { bytes_.fill(0xFF); }
    bool IsBuilt() const { return built_; }
    void SetBuilt() { built_ = true; }

    // Entry i of a list as a hex (x | y << 8); 0xFFFF style empty entries have x 0xFF.
    std::uint16_t Entry(int country, List list, int i) const {
        const std::size_t at = EntryOffset(country, list, i);
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    bool IsEmpty(int country, List list, int i) const {
        return bytes_[EntryOffset(country, list, i)] == 0xFF;
    }
    void SetEntry(int country, List list, int i, std::uint16_t hex) {
        const std::size_t at = EntryOffset(country, list, i);
        bytes_[at] = static_cast<std::uint8_t>(hex & 0xFF);
        bytes_[at + 1] = static_cast<std::uint8_t>(hex >> 8);
    }
    // Number of leading entries in use.
    int Count(int country, List list) const {
        int n = 0;
        while (n < kEntries && !IsEmpty(country, list, n)) ++n;
        return n;
    }
    // The hexes recorded by the carrier search: layer 2 at 520, the other layers at 522.
    std::uint16_t CarrierSite(int country, bool layer2) const {
        const std::size_t at =
            static_cast<std::size_t>(country) * kRecordSize + (layer2 ? 520 : 522);
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    void SetCarrierSite(int country, bool layer2, std::uint16_t hex) {
        const std::size_t at =
            static_cast<std::size_t>(country) * kRecordSize + (layer2 ? 520 : 522);
        bytes_[at] = static_cast<std::uint8_t>(hex & 0xFF);
        bytes_[at + 1] = static_cast<std::uint8_t>(hex >> 8);
    }
    const std::array<std::uint8_t, kRecords * kRecordSize>& Bytes() const { return bytes_; }

  private:
    static std::size_t EntryOffset(int country, List list, int i) {
        return static_cast<std::size_t>(country) * kRecordSize +
               static_cast<std::size_t>(list) * 130 + static_cast<std::size_t>(i) * 2;
    }
    std::array<std::uint8_t, kRecords * kRecordSize> bytes_{};
    bool built_ = false;
};

// Each country's sites that supply at all (a kind, supplied, owned by the country), in index
// order, listed again whenever the site table reads otherwise than when they were listed: a
// troop short of supplies looks only at these instead of every site.
class SupplySiteLists {
  public:
    // Null when the table cannot be listed (an unusual size); then every site is looked at.
    const std::vector<std::uint8_t>* For(rules::GameContext& ctx, std::uint8_t country) {
        if (country >= rules::kCountryCount) return nullptr;
        const rules::TableId id = ctx.GetTableSet().site;
        const rules::TableDirectory& tables = ctx.Tables();
        const std::uint8_t* base = tables.GetTableBase(id);
        const std::size_t count = tables.GetTableRecordCount(id);
        if (!base || count > static_cast<std::size_t>(rules::kSiteCount) ||
            tables.GetTableRecordSize(id) != sizeof(rules::SiteRecord)) {
            return nullptr;
        }
        const std::size_t size = count * sizeof(rules::SiteRecord);
        if (!valid_ || size_ != size || std::memcmp(bytes_.data(), base, size) != 0) {
            std::memcpy(bytes_.data(), base, size);
            size_ = size;
            valid_ = true;
            for (auto& list : lists_) list.clear();
            for (std::size_t s = 0; s < count; ++s) {
                const std::uint8_t* r = base + s * sizeof(rules::SiteRecord);
                const std::uint8_t owner = r[rules::SiteRecord::kOwner];
                if (r[rules::SiteRecord::kKind] == rules::kFreeSite ||
                    r[rules::SiteRecord::kSupplied] == 0 || owner >= rules::kCountryCount) {
                    continue;
                }
                lists_[owner].push_back(static_cast<std::uint8_t>(s));
            }
        }
        return &lists_[country];
    }

  private:
    std::array<std::uint8_t, static_cast<std::size_t>(rules::kSiteCount) * sizeof(rules::SiteRecord)>
        bytes_{};
    std::size_t size_ = 0;
    bool valid_ = false;
    std::array<std::vector<std::uint8_t>, rules::kCountryCount> lists_;
};

// Step counters that the benchmark and the runner report.
struct StepCounters {
    std::uint64_t routeSearches = 0;   // reachable-area searches of the step's routines
    std::uint64_t reusedSearches = 0;  // searches answered from a troop's unchanged last one
};

class StepContext {
  public:
    StepContext(Simulation& sim, rules::RouteSearchSet& searches, CorpsTargetTable& corps)
        : sim_(&sim),
          searches_(&searches),
          corps_(&corps),
          routeBuffer_(static_cast<std::size_t>(rules::kSimRouteStepLimit) + 1) {}

    Simulation& Sim() { return *sim_; }
    CommandSink& Journal() { return *sim_; }
    rules::TableDirectory& Tables() { return sim_->Tables(); }
    // The env of every shadow context the step builds: the world's env with the step's route
    // searches.
    rules::GameContextEnv Env() {
        rules::GameContextEnv env = sim_->ContextEnv();
        env.routeSearches = searches_;
        return env;
    }
    rules::RouteSearchSet& Searches() { return *searches_; }
    // The simulation's route search (instance 3).
    rules::RouteSearch& Route() { return searches_->Sim(); }
    // ComputeArea on the simulation's instance, counted. With the fast searches, a troop's
    // search with its own costs gives back that troop's last result of the same kind when
    // nothing it depends on has changed.
    int ComputeArea(rules::GameContext& ctx, std::uint16_t troop, int x, int y,
                    const std::uint8_t* table, int flag) {
        if (!fastSearches || table != nullptr || troop >= rules::kTroopTableLimit ||
            (flag != 0 && flag != 1)) {
            ++counters.routeSearches;
            lengthsMemo_ = nullptr;
            return Route().ComputeArea(ctx, troop, x, y, table, flag);
        }
        bool reused = false;
        rules::RouteAreaMemo& memo = Memo(troop, flag);
        const int result = Route().ComputeAreaReusing(ctx, troop, x, y, nullptr, flag, memo, reused);
        ++(reused ? counters.reusedSearches : counters.routeSearches);
        KeepLengthsIn(result ? &memo : nullptr);
        return result;
    }
    // The search for the routes from (x, y) to a few target hexes; only TraceRoute to them and
    // the targets' costs may be read from its grid. With the fast searches the search stops
    // once the targets' costs are final, and the troop's last search of this kind is given
    // back when nothing it depends on has changed and it already holds those costs.
    int ComputeRoutesTo(rules::GameContext& ctx, std::uint16_t troop, int x, int y, int flag,
                        std::span<const std::uint16_t> targets) {
        if (!fastSearches || troop >= rules::kTroopTableLimit || (flag != 0 && flag != 1) ||
            x < 0 || y < 0 || x >= rules::kMapSize || y >= rules::kMapSize) {
            return ComputeArea(ctx, troop, x, y, nullptr, flag);
        }
        bool reused = false;
        rules::RouteAreaMemo& memo = Memo(troop, flag);
        const int result =
            Route().ComputeRouteToReusing(ctx, troop, x, y, nullptr, flag, targets, memo, reused);
        ++(reused ? counters.reusedSearches : counters.routeSearches);
        KeepLengthsIn(result ? &memo : nullptr);
        return result;
    }
    // Traces the route from the last area's start to (x, y) into the step's route buffer (room
    // for the instance's step limit and the terminator); the number of steps, 0 without route.
    int TraceRoute(int x, int y) {
        const int length = Route().TraceRoute(routeBuffer_, x, y);
        // A failed trace may leave part of a walk behind; no route has no first step.
        if (length <= 0) routeBuffer_[0] = {};
        return length;
    }
    // The number of steps of the route to (x, y) (TraceRoute's answer) without the steps: a
    // troop's kept search answers from the lengths traced on it before. Only for a target of
    // the last search, or any hex after a full one; FirstStep is left as it was.
    int RouteLength(int x, int y) {
        if (!lengthsMemo_ || Route().SearchSerial() != lengthsSerial_ || x < 0 || y < 0 ||
            x >= rules::kMapSize || y >= rules::kMapSize) {
            return TraceRoute(x, y);
        }
        const auto cell = static_cast<std::uint32_t>(x + rules::kMapSize * y);
        for (const std::uint32_t entry : lengthsMemo_->lengths) {
            if (entry >> 16 == cell) return static_cast<int>(entry & 0xFFFF);
        }
        const int length = TraceRoute(x, y);
        lengthsMemo_->lengths.push_back(cell << 16 | static_cast<std::uint32_t>(length & 0xFFFF));
        return length;
    }
    // The first step of the last trace; (0, 0) when it had none.
    const rules::RouteStep& FirstStep() const { return routeBuffer_[0]; }
    fw::RandomStreams& Random() { return sim_->Random(); }
    // The host's draws (automatic behaviour, bombing, production): never in the journal.
    int RandomBelow(int n) { return rules::RandomBelow(sim_->Random(), n); }
    CorpsTargetTable& Corps() { return *corps_; }
    // The step's shared target-choice lists with the journal's length as their stamp (every
    // order and move goes through the journal); null with the reference searches and outside
    // the troop loop.
    rules::TargetChoiceMemo* TargetChoice() {
        if (!fastSearches || currentTroop == 0xFFFF) return nullptr;
        targetChoice_.SetStamp(sim_->OutgoingCommands().size());
        return &targetChoice_;
    }
    // Called at the start of the step's troop loop.
    void NewTroopLoop() { targetChoice_.NewStep(); }
    // The country's supplying sites (see SupplySiteLists); null with the reference searches,
    // which look at every site.
    const std::vector<std::uint8_t>* SupplyingSites(rules::GameContext& ctx, std::uint8_t country) {
        return fastSearches ? supplySites_.For(ctx, country) : nullptr;
    }

    // The troop the step's loop is at; 0xFFFF outside the loop.
    std::uint16_t currentTroop = 0xFFFF;
    BehaviourSettings settings;
    StepCounters counters;
    // Route searches whose result nothing reads are skipped and unchanged ones reused; every
    // choice stays the same. Off, every search runs as written (the benchmark's reference).
    bool fastSearches = true;

  private:
    // The grid now holds the memo's result: RouteLength may answer from and add to its lengths.
    void KeepLengthsIn(rules::RouteAreaMemo* memo) {
        lengthsMemo_ = memo;
        lengthsSerial_ = Route().SearchSerial();
    }
    // The troop's last search of this kind, shared with the waypoint planning on the shadow.
    rules::RouteAreaMemo& Memo(std::uint16_t troop, int flag) {
        return *searches_->TroopMemo(troop, flag);
    }

    Simulation* sim_;
    rules::RouteSearchSet* searches_;
    CorpsTargetTable* corps_;
    std::vector<rules::RouteStep> routeBuffer_;
    rules::TargetChoiceMemo targetChoice_;
    SupplySiteLists supplySites_;
    rules::RouteAreaMemo* lengthsMemo_ = nullptr;
    std::uint64_t lengthsSerial_ = 0;
};

// Hands the orders that the target choice gives to the journal as command 22.
class JournalOrderCommands : public rules::TroopOrderCommands {
  public:
    explicit JournalOrderCommands(CommandSink& journal) : journal_(&journal) {}
    void AppendTroopOrder(const rules::TroopOrderArgs& o) override {
        WriteCommand(*journal_, TroopOrderCommand{{.troop = o.troop,
                                                   .destination = o.destination,
                                                   .target = o.target,
                                                   .orderKind = o.orderKind,
                                                   .actionFlags = o.actionFlags,
                                                   .weapons = o.weaponSelection,
                                                   .parameterByte = o.parameter,
                                                   .orderHex = o.homeHex,
                                                   .homeAction = o.homeActionBit,
                                                   .homeTroop = o.homeTroop}});
    }

  private:
    CommandSink* journal_;
};

}  // namespace zv::sim
