// Computer-only games on every default map (the golden games' maps and seeds, played to their
// end or for ten game days): the step's processor time (mean, p95, worst), wall time by phase,
// route searches per step (and those given back from a memo) and the peak memory of the
// process. Each game runs twice in the same binary: with the step's fast searches and, as the
// reference, with every route search run as written. Beside them, a network client executing
// the same game's journals: what every participant pays for a step, against what the host pays
// to simulate it. And a stress game with every country's block of 40 troops filled (the
// 160-troop maximum) on the largest default map, beside games with fewer troops.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "simulation/ClockStep.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/tests/GoldenGames.h"

namespace {

using zv::sim::HeadlessGame;
using zv::sim::kStepPhaseCount;
using zv::sim::StepPhase;
using zv::sim::StepProfile;

using zv::sim::golden::kGoldenGames;

constexpr const char* kMap = "MAP00004.ddm";           // the client reference's game
constexpr int kMaxMinutes = 3 * 24 * 60;               // the client reference plays three days
constexpr int kMaxGameMinutes = 10 * 24 * 60;  // a game still running after ten days stops

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

std::unique_ptr<HeadlessGame> Start(benchmark::State& state, const char* map = kMap,
                                    std::uint32_t seed = 1, bool computerAll = false) {
    auto game = std::make_unique<HeadlessGame>();
    std::string error;
    if (!game->Load(ZV_PROGRAM_DIR, map, error)) {
        state.SkipWithError((error + " (build the zvdata_content target)").c_str());
        return nullptr;
    }
    zv::sim::HeadlessStartOptions options;
    options.seed = seed;
    options.computerAll = computerAll;
    game->BeginPlay(options);
    return game;
}

// The calling thread's processor time: the step's own work, whatever else the machine runs.
double ThreadMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// Argument 0: the golden game; argument 1: 1 with the fast searches, 0 for the reference.
void BM_ComputerGameStep(benchmark::State& state) {
    const auto& golden = kGoldenGames[static_cast<std::size_t>(state.range(0))];
    const bool fast = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto game = Start(state, golden.map, golden.seed, true);
        if (!game) return;
        game->Clock().Context().fastSearches = fast;
        StepProfile profile;
        game->Clock().SetProfile(&profile);
        std::vector<double> total;
        std::vector<std::vector<double>> phases(kStepPhaseCount);
        std::vector<double> searches;
        const std::uint64_t reusedBefore = game->Clock().Context().counters.reusedSearches;
        state.ResumeTiming();
        for (int minute = 0; minute < kMaxGameMinutes && !game->Outcome().over; ++minute) {
            profile = StepProfile{};
            const double begin = ThreadMicroseconds();
            game->Step();
            total.push_back(ThreadMicroseconds() - begin);
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
        state.counters["peak_mb"] = PeakMegabytes();
        state.counters["reused_per_step"] =
            static_cast<double>(game->Clock().Context().counters.reusedSearches - reusedBefore) /
            static_cast<double>(std::max<std::size_t>(1, total.size()));
        state.SetLabel(std::string(golden.map) + (fast ? " fast " : " reference ") +
                       game->Outcome().Text());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ComputerGameStep)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// ---- stress: the 160-troop maximum

constexpr const char* kDefaultMaps[] = {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm",
                                        "MAP00004.ddm"};
constexpr int kStressMinutes = 6 * 60;

bool IsWater(std::uint8_t landKind) {
    return landKind >= 3 && landKind <= 5;
}

// The largest default map that can hold the maximum: of those where all four countries have
// troops (copies are made of a country's own), the one with the most land hexes.
const char* LargestMap() {
    static const char* largest = [] {
        const char* best = kDefaultMaps[0];
        int bestCountries = -1;
        int bestLand = -1;
        for (const char* map : kDefaultMaps) {
            HeadlessGame game;
            std::string error;
            if (!game.Load(ZV_PROGRAM_DIR, map, error)) continue;
            zv::rules::HexCursor hexes(game.Tables());
            int land = 0;
            for (int i = 0; i < zv::rules::kHexCount; ++i) {
                land += hexes.Select(i) && !IsWater(hexes.GetLandKind());
            }
            zv::rules::TroopCursor troops(game.Tables());
            std::array<bool, zv::rules::kCountryCount> has{};
            for (std::uint16_t t = 0; t < zv::rules::kMapTroopCount; ++t) {
                if (troops.Select(t) && troops.HasMembers() && troops.IsOnMap()) {
                    has[t / zv::rules::kTroopsPerCountry] = true;
                }
            }
            const int countries = static_cast<int>(std::count(has.begin(), has.end(), true));
            if (countries > bestCountries || (countries == bestCountries && land > bestLand)) {
                bestCountries = countries;
                bestLand = land;
                best = map;
            }
        }
        return best;
    }();
    return largest;
}

// Fills each country's block of troops up to `perCountry` with copies of its first troop, set
// down on the free hexes nearest to it that have the same land kind. The number of troops with
// members on the map afterwards.
int FillTroopBlocks(zv::rules::TableDirectory& tables, int perCountry) {
    using namespace zv::rules;
    TroopCursor troops(tables);
    HexCursor hexes(tables);
    std::vector<bool> taken(kHexCount, false);
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (troops.Select(t) && troops.HasMembers() && troops.IsOnMap()) {
            const std::uint16_t hex = troops.GetHexValue();
            taken[(hex & 0xFF) + kMapSize * (hex >> 8)] = true;
        }
    }
    for (int c = 0; c < kCountryCount; ++c) {
        const auto first = static_cast<std::uint16_t>(c * kTroopsPerCountry);
        int model = -1;
        int present = 0;
        for (int k = 0; k < kTroopsPerCountry; ++k) {
            const auto t = static_cast<std::uint16_t>(first + k);
            if (troops.Select(t) && troops.HasMembers() && troops.IsOnMap()) {
                if (model < 0) model = t;
                ++present;
            }
        }
        if (model < 0) continue;
        troops.Select(static_cast<std::uint16_t>(model));
        const TroopRecord record = *troops.GetRecord();
        const std::uint16_t home = troops.GetHexValue();
        hexes.SelectXY(home);
        const std::uint8_t landKind = hexes.GetLandKind();
        const int hx = home & 0xFF;
        const int hy = home >> 8;
        for (int k = 0; k < kTroopsPerCountry && present < perCountry; ++k) {
            const auto t = static_cast<std::uint16_t>(first + k);
            if (!troops.Select(t) || (troops.HasMembers() && troops.IsOnMap())) continue;
            // The nearest free hex of the model's land kind, by square rings.
            int spot = -1;
            for (int r = 1; r < kMapSize && spot < 0; ++r) {
                for (int y = hy - r; y <= hy + r && spot < 0; ++y) {
                    for (int x = hx - r; x <= hx + r && spot < 0; ++x) {
                        if (x < 0 || y < 0 || x >= kMapSize || y >= kMapSize) continue;
                        const int i = x + kMapSize * y;
                        if (taken[i] || !hexes.Select(i) || hexes.GetLandKind() != landKind) continue;
                        spot = i;
                    }
                }
            }
            if (spot < 0) break;
            taken[spot] = true;
            *troops.GetRecord() = record;
            troops.SetHex(MakeHexPosition(spot % kMapSize, spot / kMapSize));
            ++present;
        }
    }
    int total = 0;
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        total += troops.Select(t) && troops.HasMembers() && troops.IsOnMap();
    }
    return total;
}

// Argument: troops per country (the map's own when it has more). Six game hours on the largest
// default map, every country led by the computer; the step's processor time per troop shows how
// the step grows with the troops in play.
void BM_StressStep(benchmark::State& state) {
    const int perCountry = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<HeadlessGame>();
        std::string error;
        if (!game->Load(ZV_PROGRAM_DIR, LargestMap(), error)) {
            state.SkipWithError((error + " (build the zvdata_content target)").c_str());
            return;
        }
        const int troops = FillTroopBlocks(game->Tables(), perCountry);
        zv::sim::HeadlessStartOptions options;
        options.seed = 160;
        options.computerAll = true;
        game->BeginPlay(options);
        std::vector<double> total;
        state.ResumeTiming();
        for (int minute = 0; minute < kStressMinutes && !game->Outcome().over; ++minute) {
            const double begin = ThreadMicroseconds();
            game->Step();
            total.push_back(ThreadMicroseconds() - begin);
        }
        state.PauseTiming();
        const Percentiles step = Summarise(total);
        state.counters["troops"] = troops;
        state.counters["steps"] = static_cast<double>(total.size());
        state.counters["step_mean_us"] = step.mean;
        state.counters["step_p95_us"] = step.p95;
        state.counters["step_worst_us"] = step.worst;
        state.counters["mean_us_per_troop"] = troops > 0 ? step.mean / troops : 0;
        state.SetLabel(std::string(LargestMap()) + " " + game->Outcome().Text());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StressStep)
    ->Arg(10)
    ->Arg(20)
    ->Arg(30)
    ->Arg(zv::rules::kTroopsPerCountry)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

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
