#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"

// A game without windows: its tables, its simulation and its clock step in one object, started
// the way the frame starts a single game. The headless runner, the benchmark and the tests play
// with it; a second world fed with the first one's journals is a network client.
namespace zv::sim {

// How the game ended, as the game-end command says.
struct GameOutcome {
    bool over = false;
    std::uint16_t winners = 0;
    std::uint16_t losers = 0;
    bool timeLimit = false;
    // "running", or "W<countries>-L<countries>" with "-T" when the day limit decided.
    std::string Text() const;
};

struct HeadlessStartOptions {
    // Countries played by participants (0 and 3) are played by the computer too.
    bool computerAll = false;
    // Seeds the host's own draws and the calendar time of the steps.
    std::uint32_t seed = 1;
    // The local player's country; 6 watches without one.
    std::uint8_t playerCountry = rules::kNoCountry;
};

// A calendar that advances by a fixed amount at each reading, from a seed: steps seeded from it
// give the same game on every run.
class FixedCalendarHost : public ClockHost {
  public:
    explicit FixedCalendarHost(std::uint32_t seed) : now_(946684800 + std::int64_t{seed} * 7919) {}
    std::int64_t GetCalendarSeconds() override { return now_ += 37; }

  private:
    std::int64_t now_;
};

class HeadlessGame {
  public:
    HeadlessGame();
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // The rule tables of the program directory, then MAP\name, or SAVE\name for a name ending in
    // ".ddg". False with a message when a file is missing or damaged (the tables are then not
    // fit to play).
    bool Load(const std::string& programDir, const std::string& name, std::string& error);
    // Takes over every table of another world (a client joining with the same data).
    void CopyTablesFrom(const rules::TableDirectory& other);
    // The single-play start: countries out of the game leave it, the shadow tables are filled
    // and the clock may step.
    void BeginPlay(const HeadlessStartOptions& options);
    // Prepares a world that only executes the journals of another one, as a network client.
    void BeginAsReplica(std::uint8_t playerCountry);

    // One unpaced step; the step's journal goes to the tap first, when there is one.
    std::int16_t Step();
    void SetJournalTap(std::function<void(std::span<const std::uint8_t>)> tap);
    // Every news record posted for the local player (already stamped), as the news window
    // would receive it.
    void SetNewsTap(std::function<void(const std::uint8_t*)> tap) { events_->newsTap = std::move(tap); }
    // Executes a journal received from a host.
    void ExecuteJournal(std::span<const std::uint8_t> journal);

    const GameOutcome& Outcome() const { return events_->outcome; }
    // Game time in minutes since day 0, 00:00.
    std::int32_t GameMinutes();
    rules::TableDirectory& Tables() { return *tables_; }
    Simulation& Sim() { return *sim_; }
    ClockStep& Clock() { return *clock_; }

  private:
    struct Events : rules::GameEvents {
        void DelayedGameOver(std::uint16_t winners, std::uint16_t losers,
                             std::uint16_t timeLimit) override;
        void NewsPosted(const std::uint8_t* record) override {
            if (newsTap) newsTap(record);
        }
        GameOutcome outcome;
        std::function<void(const std::uint8_t*)> newsTap;
    };

    std::unique_ptr<rules::TableDirectory> tables_;
    std::unique_ptr<Events> events_;
    std::unique_ptr<Simulation> sim_;
    std::unique_ptr<FixedCalendarHost> host_;
    std::unique_ptr<ClockStep> clock_;
    std::function<void(std::span<const std::uint8_t>)> tap_;
    bool loadedSave_ = false;
};

// The live tables that every participant must hold alike, by name; the first one in which the
// two worlds differ, ignoring what only the local player sees (sightings and the local outcome
// byte). Nothing when they agree.
std::optional<std::string> FindLiveTableDifference(const rules::TableDirectory& a,
                                                   const rules::TableDirectory& b);

}  // namespace zv::sim
