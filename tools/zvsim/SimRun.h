#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The headless runner: loads a map or saved game, lets the computer play, steps the clock and
// reports. Its results depend only on the data and the seed.
namespace zv::zvsim {

// Without --minutes a game runs until it is decided or its day limit passes. A map without a
// limit still stops once the day counter would wrap.
inline constexpr std::int64_t kToTheEnd = -1;
inline constexpr std::int64_t kLongestGameMinutes = 256LL * 24 * 60;

struct RunOptions {
    std::string programDir;
    std::string map;                   // MAP\name, or SAVE\name for a name ending in ".ddg"
    std::int64_t minutes = kToTheEnd;  // steps at most; kToTheEnd plays until the game ends
    std::uint32_t seed = 1;
    bool computerAll = false;
    bool replayCheck = false;
    // Every route search of the step run in full as written: the same game, slower; a check
    // that the fast searches change no choice.
    bool referenceSearches = false;
};

struct RunResult {
    int exitCode = 0;  // 0 done, 1 replay check failed, 2 wrong command line, 3 unreadable data
    std::vector<std::string> lines;   // standard output
    std::vector<std::string> errors;  // standard error
    std::int64_t minutes = 0;         // steps made
    std::string outcome;
    std::uint64_t hash = 0;
};

// Parses "run --map FILE [--minutes N] [--seed S] [--computer-all] [--replay-check]
// [--reference-searches] [--program-dir DIR]"; false with a message for anything else.
bool ParseRunArguments(const std::vector<std::string>& args, RunOptions& options,
                       std::string& error);

RunResult Run(const RunOptions& options);

}  // namespace zv::zvsim
