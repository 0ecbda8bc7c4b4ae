// A whole computer-only game on the default map with the most troops (MAP00004.ddm, four
// countries): time per clock step by phase and route searches per step. Beside it, as the
// reference, a network client executing the same game's journals: what every participant pays
// for a step, against what the host pays to simulate it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simulation/ClockStep.h"
#include "simulation/ClockStepWorld.h"

namespace {

using zv::sim::HeadlessGame;
using zv::sim::kStepPhaseCount;
using zv::sim::StepPhase;
using zv::sim::StepProfile;

constexpr const char* kMap = "MAP00004.ddm";
constexpr int kMaxMinutes = 3 * 24 * 60;  // a game that does not end stops after three days

const char* const kPhaseNames[kStepPhaseCount] = {"orders", "prepare", "plan",      "production",
                                                  "upkeep", "troops",  "judgement", "journal"};

struct Percentiles {
    double mean = 0;
    double p95 = 0;
    double worst = 0;
};

Percentiles Summarise(std::vector<double> values) {
    Percentiles p;
    if (values.empty()) return p;
    double sum = 0;
    for (double v : values) sum += v;
    p.mean = sum / static_cast<double>(values.size());
    std::sort(values.begin(), values.end());
    p.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    p.worst = values.back();
    return p;
}

std::unique_ptr<HeadlessGame> Start(benchmark::State& state) {
    auto game = std::make_unique<HeadlessGame>();
    std::string error;
    if (!game->Load(ZV_PROGRAM_DIR, kMap, error)) {
        state.SkipWithError((error + " (build the zvdata_content target)").c_str());
        return nullptr;
    }
    zv::sim::HeadlessStartOptions options;
    options.seed = 1;
    game->BeginPlay(options);
    return game;
}

void BM_ComputerGameStep(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto game = Start(state);
        if (!game) return;
        StepProfile profile;
        game->Clock().SetProfile(&profile);
        std::vector<double> total;
        std::vector<std::vector<double>> phases(kStepPhaseCount);
        std::vector<double> searches;
        state.ResumeTiming();
        for (int minute = 0; minute < kMaxMinutes && !game->Outcome().over; ++minute) {
            profile = StepProfile{};
            const auto begin = std::chrono::steady_clock::now();
            game->Step();
            const auto took = std::chrono::steady_clock::now() - begin;
            total.push_back(std::chrono::duration<double, std::micro>(took).count());
            for (int p = 0; p < kStepPhaseCount; ++p) {
                phases[p].push_back(static_cast<double>(profile.nanoseconds[p]) / 1000.0);
            }
            searches.push_back(static_cast<double>(profile.routeSearches));
        }
        state.PauseTiming();
        const Percentiles step = Summarise(total);
        state.counters["steps"] = static_cast<double>(total.size());
        state.counters["step_mean_us"] = step.mean;
        state.counters["step_p95_us"] = step.p95;
        state.counters["step_worst_us"] = step.worst;
        for (int p = 0; p < kStepPhaseCount; ++p) {
            const Percentiles phase = Summarise(phases[p]);
            const std::string name = kPhaseNames[p];
            state.counters[name + "_mean_us"] = phase.mean;
            state.counters[name + "_p95_us"] = phase.p95;
            state.counters[name + "_worst_us"] = phase.worst;
        }
        const Percentiles search = Summarise(searches);
        state.counters["route_searches_mean"] = search.mean;
        state.counters["route_searches_p95"] = search.p95;
        state.counters["route_searches_worst"] = search.worst;
        state.SetLabel(std::string(kMap) + " " + game->Outcome().Text());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ComputerGameStep)->Iterations(1)->Unit(benchmark::kMillisecond);

// The reference: a client executing the journals of the same game.
void BM_ClientJournalExecution(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto host = Start(state);
        if (!host) return;
        std::vector<std::vector<std::uint8_t>> journals;
        host->SetJournalTap(
            [&](std::span<const std::uint8_t> j) { journals.emplace_back(j.begin(), j.end()); });
        auto client = std::make_unique<HeadlessGame>();
        client->CopyTablesFrom(host->Tables());
        client->BeginAsReplica(0);
        for (int minute = 0; minute < kMaxMinutes && !host->Outcome().over; ++minute) host->Step();
        std::vector<double> times;
        state.ResumeTiming();
        for (const std::vector<std::uint8_t>& journal : journals) {
            const auto begin = std::chrono::steady_clock::now();
            client->ExecuteJournal(journal);
            const auto took = std::chrono::steady_clock::now() - begin;
            times.push_back(std::chrono::duration<double, std::micro>(took).count());
        }
        state.PauseTiming();
        const Percentiles step = Summarise(times);
        state.counters["steps"] = static_cast<double>(times.size());
        state.counters["step_mean_us"] = step.mean;
        state.counters["step_p95_us"] = step.p95;
        state.counters["step_worst_us"] = step.worst;
        state.SetLabel(kMap);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClientJournalExecution)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
