#include "tools/zvsim/SimRun.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <time.h>

#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Judgement.h"

namespace zv::zvsim {

namespace {

bool ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (text.empty()) return false;
    std::int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + (ch - '0');
        if (value > high) return false;
    }
    if (value < low) return false;
    out = value;
    return true;
}

std::string Hex64(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

// One line about the state of the game at the start of a day.
std::string DayLine(sim::HeadlessGame& game) {
    rules::TableDirectory& tables = game.Tables();
    rules::ScenarioHeaderCursor header(tables);
    rules::CountryCursor countries(tables);
    rules::TroopCursor troops(tables);
    rules::SiteCursor sites(tables);
    std::array<int, rules::kCountryCount> troopCount{};
    std::array<int, rules::kCountryCount> siteCount{};
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.GetRecord()->IsUsed() &&
            troops.GetCountry() < rules::kCountryCount) {
            ++troopCount[troops.GetCountry()];
        }
    }
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (sites.Select(s) && sites.GetKind() != rules::kFreeSite &&
            sites.GetOwner() < rules::kCountryCount) {
            ++siteCount[sites.GetOwner()];
        }
    }
    std::string line = "day=" + std::to_string(header.GetDay());
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!countries.Select(c) || countries.GetParticipation() == sim::kNotTakingPart) continue;
        line += " c" + std::to_string(c) + "=state:" + std::to_string(countries.GetState()) +
                ",troops:" + std::to_string(troopCount[c]) +
                ",sites:" + std::to_string(siteCount[c]) +
                ",funds:" + std::to_string(countries.GetFunds());
    }
    return line;
}

// The calling thread's processor time: the step's own work, whatever else the machine runs.
std::uint64_t ThreadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(t.tv_nsec);
}

struct Summary {
    std::uint64_t mean = 0;
    std::uint64_t p95 = 0;
    std::uint64_t worst = 0;
};

Summary Summarise(std::vector<std::uint32_t> micros) {
    Summary s;
    if (micros.empty()) return s;
    std::uint64_t sum = 0;
    for (std::uint32_t us : micros) sum += us;
    s.mean = sum / micros.size();
    std::sort(micros.begin(), micros.end());
    s.p95 = micros[std::min(micros.size() - 1, micros.size() * 95 / 100)];
    s.worst = micros.back();
    return s;
}

// The countries in play, for the replay worlds' local countries.
std::vector<std::uint8_t> CountriesInPlay(rules::TableDirectory& tables) {
    rules::CountryCursor countries(tables);
    std::vector<std::uint8_t> out;
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (countries.Select(c) && countries.GetState() == sim::kCountryInPlay) {
            out.push_back(static_cast<std::uint8_t>(c));
        }
    }
    return out;
}

}  // namespace

bool ParseRunArguments(const std::vector<std::string>& args, RunOptions& options,
                       std::string& error) {
    if (args.empty() || args[0] != "run") {
        error = "the only command is run";
        return false;
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::int64_t number = 0;
        if (a == "--map" && hasValue) {
            options.map = args[++i];
        } else if (a == "--program-dir" && hasValue) {
            options.programDir = args[++i];
        } else if (a == "--minutes" && hasValue) {
            if (!ParseNumber(args[++i], 0, 100000000, number)) {
                error = "--minutes takes a number of minutes";
                return false;
            }
            options.minutes = number;
        } else if (a == "--seed" && hasValue) {
            if (!ParseNumber(args[++i], 0, 0xFFFFFFFFll, number)) {
                error = "--seed takes a number 0-4294967295";
                return false;
            }
            options.seed = static_cast<std::uint32_t>(number);
        } else if (a == "--computer-all") {
            options.computerAll = true;
        } else if (a == "--replay-check") {
            options.replayCheck = true;
        } else if (a == "--reference-searches") {
            options.referenceSearches = true;
        } else {
            error = "unknown or incomplete argument: " + a;
            return false;
        }
    }
    if (options.map.empty()) {
        error = "--map FILE is required";
        return false;
    }
    return true;
}

RunResult Run(const RunOptions& options) {
    RunResult result;
    auto host = std::make_unique<sim::HeadlessGame>();
    std::string error;
    if (!host->Load(options.programDir, options.map, error)) {
        result.exitCode = 3;
        result.errors.push_back("zvsim: " + error);
        return result;
    }

    // Replay worlds start from the host's tables before play and then only execute its journals.
    std::vector<std::unique_ptr<sim::HeadlessGame>> replicas;
    std::vector<std::uint8_t> replicaCountries;
    std::vector<std::uint8_t> journal;
    sim::HeadlessStartOptions start;
    start.computerAll = options.computerAll;
    start.seed = options.seed;
    host->SetJournalTap(
        [&journal](std::span<const std::uint8_t> j) { journal.assign(j.begin(), j.end()); });
    host->BeginPlay(start);
    host->Clock().Context().fastSearches = !options.referenceSearches;
    if (options.replayCheck) {
        std::vector<std::uint8_t> inPlay = CountriesInPlay(host->Tables());
        while (inPlay.size() < 2) inPlay.push_back(rules::kNoCountry);
        for (int k = 0; k < 2; ++k) {
            auto replica = std::make_unique<sim::HeadlessGame>();
            replica->CopyTablesFrom(host->Tables());
            replica->BeginAsReplica(inPlay[static_cast<std::size_t>(k)]);
            replicaCountries.push_back(inPlay[static_cast<std::size_t>(k)]);
            replicas.push_back(std::move(replica));
        }
    }

    std::vector<std::uint32_t> stepMicros;  // processor time of the stepping thread
    std::vector<std::uint32_t> wallMicros;
    int lastDay = -1;
    const std::int64_t limit = options.minutes == kToTheEnd ? kLongestGameMinutes : options.minutes;
    for (std::int64_t step = 1; step <= limit; ++step) {
        rules::ScenarioHeaderCursor header(host->Tables());
        if (header.GetDay() != lastDay) {
            lastDay = header.GetDay();
            result.lines.push_back(DayLine(*host));
        }
        const auto before = std::chrono::steady_clock::now();
        const std::uint64_t cpuBefore = ThreadNanoseconds();
        host->Step();
        const std::uint64_t cpuTook = ThreadNanoseconds() - cpuBefore;
        const auto took = std::chrono::steady_clock::now() - before;
        stepMicros.push_back(static_cast<std::uint32_t>(cpuTook / 1000u));
        wallMicros.push_back(static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
        result.minutes = step;

        for (std::size_t k = 0; k < replicas.size(); ++k) {
            replicas[k]->ExecuteJournal(journal);
            if (const auto diff =
                    sim::FindLiveTableDifference(host->Tables(), replicas[k]->Tables())) {
                result.exitCode = 1;
                result.errors.push_back("zvsim: replay check failed at step " +
                                        std::to_string(step) + ": the world with local country " +
                                        std::to_string(replicaCountries[k]) + " differs first in " +
                                        *diff);
                break;
            }
        }
        if (result.exitCode != 0 || host->Outcome().over) break;
    }

    const Summary cpu = Summarise(stepMicros);
    const Summary wall = Summarise(wallMicros);
    result.outcome = host->Outcome().Text();
    result.hash = host->Tables().HashLiveTables();
    result.lines.push_back(
        "minutes=" + std::to_string(result.minutes) + " outcome=" + result.outcome +
        " hash=" + Hex64(result.hash) + " step_mean_us=" + std::to_string(cpu.mean) +
        " step_p95_us=" + std::to_string(cpu.p95) + " step_worst_us=" + std::to_string(cpu.worst) +
        " wall_mean_us=" + std::to_string(wall.mean) + " wall_p95_us=" + std::to_string(wall.p95) +
        " wall_worst_us=" + std::to_string(wall.worst));
    return result;
}

}  // namespace zv::zvsim
