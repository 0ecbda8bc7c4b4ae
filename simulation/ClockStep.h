#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "rules/search/RouteSearch.h"
#include "simulation/ClockStepContext.h"
#include "simulation/Simulation.h"

// One step of the real-time game, one game minute (RealTimeTick): on the program that simulates,
// it translates the gathered orders, lets every troop act, advances the clock, judges the end of
// the game and writes all of it as commands, which it then sends and executes
// (FlushCommandJournal). Everything it reads and changes goes through the shadow tables.
namespace zv::sim {

// What the clock step asks of the program around it. The defaults suit a world without windows:
// no speed window (every paced call is a step), no pending network action, the system clock.
class ClockHost {
  public:
    virtual ~ClockHost() = default;
    // The game speed of the speed window (WM_GET_GAME_SPEED); nothing when there is no speed
    // window. The step keeps the answer within 0-5.
    virtual std::optional<int> GetGameSpeed() { return std::nullopt; }
    // The frame's pending network action: 0 none, 1 save, 2 return to the title, 3 quit.
    virtual int GetPendingNetAction() { return 0; }
    // The calendar time in seconds, from which every step makes the game stream's seed.
    virtual std::int64_t GetCalendarSeconds();
    // "AttackRengeMagnifying" and "MaxAttackRenge" of the settings file.
    virtual BehaviourSettings GetBehaviourSettings() { return {}; }
};

// The parts of a step, for measurements.
enum class StepPhase : int {
    Orders = 0,  // order translation
    Prepare,     // occupancy and visibility on the shadow, the first clock
    Plan,        // corps targets
    Production,  // placing requested troops and the production round
    Upkeep,      // site recovery, weapon timers, carried supply and fuel
    Troops,      // resupply, automatic behaviour and order execution of every troop
    Judgement,   // clock advance, income and the end of the game
    Journal,     // sending and executing the step's journal on the live tables
    Count
};
inline constexpr int kStepPhaseCount = static_cast<int>(StepPhase::Count);

// Filled by a step when given (SetProfile): time per phase and route searches.
struct StepProfile {
    std::array<std::uint64_t, kStepPhaseCount> nanoseconds{};
    std::uint64_t routeSearches = 0;
};

// Seed of the game stream from two readings of the calendar time.
std::uint16_t MakeStepSeed(std::int64_t t1, std::int64_t t2);
// Paced calls that make one step at speed s (kept within 0-5): 52 - 10 s.
int PacedCallsPerStep(int speed);

class ClockStep {
  public:
    // `host` may be null (the defaults of ClockHost); both must outlive the step.
    explicit ClockStep(Simulation& sim, ClockHost* host = nullptr);
    ~ClockStep();
    ClockStep(const ClockStep&) = delete;
    ClockStep& operator=(const ClockStep&) = delete;

    // One step. paced != 0: the speed pacing and the busy checks apply first. 0 when no step
    // was made; otherwise non-zero when something on the map changed (production or a troop's
    // order).
    std::int16_t RealTimeTick(int paced);

    // While the flag is non-zero no step runs; a step sets it when it writes the game end.
    void SetGameOverFlag(std::uint8_t value) { gameOver_.store(value); }
    std::uint8_t GetGameOverFlag() const { return gameOver_.load(); }
    StepContext& Context() { return context_; }
    CorpsTargetTable& CorpsTargets() { return corps_; }
    rules::RouteSearchSet& Searches() { return *searches_; }
    Simulation& Sim() { return *sim_; }

    // The shadow tables were replaced wholesale (play begins): the route searches reload their
    // terrain, and make room for the searches the troops in play will keep. Only while no step
    // runs.
    void ReloadTerrain();
    // Measure the following steps into `profile` (null: stop measuring).
    void SetProfile(StepProfile* profile) { profile_ = profile; }
    // Sees every step's journal just before it is sent and executed (replay checks, recorders).
    void SetJournalTap(std::function<void(std::span<const std::uint8_t>)> tap) {
        tap_ = std::move(tap);
    }

  private:
    void ReloadTerrainIfSitesChanged();

    Simulation* sim_;
    ClockHost defaultHost_;
    ClockHost* host_;
    // The world's route searches (the simulation's), or the step's own when it has none.
    std::unique_ptr<rules::RouteSearchSet> ownSearches_;
    rules::RouteSearchSet* searches_;
    CorpsTargetTable corps_;
    StepContext context_;
    std::uint32_t pacing_ = 0;
    std::atomic<std::uint8_t> gameOver_{0};
    StepProfile* profile_ = nullptr;
    std::function<void(std::span<const std::uint8_t>)> tap_;
    // Kind and position of every shadow site when the searches' terrain was read.
    std::array<std::uint8_t, 3 * 200> terrainSites_{};
    bool terrainKnown_ = false;
};

}  // namespace zv::sim
