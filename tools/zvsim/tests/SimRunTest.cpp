#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/zvsim/SimRun.h"

namespace zv::zvsim {
namespace {

struct ArgumentCase {
    std::vector<std::string> args;
    bool ok;
};

class ArgumentTest : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentTest, CommandLine) {
    RunOptions options;
    std::string error;
    EXPECT_EQ(ParseRunArguments(GetParam().args, options, error), GetParam().ok) << error;
    EXPECT_EQ(error.empty(), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ArgumentTest,
    ::testing::Values(ArgumentCase{{"run", "--map", "MAP00001.ddm"}, true},
                      ArgumentCase{
                          {"run", "--map", "A.ddg", "--minutes", "90", "--seed", "4294967295",
                           "--computer-all", "--replay-check", "--program-dir", "/x"},
                          true},
                      ArgumentCase{{}, false}, ArgumentCase{{"walk", "--map", "M"}, false},
                      ArgumentCase{{"run"}, false}, ArgumentCase{{"run", "--map"}, false},
                      ArgumentCase{{"run", "--map", "M", "--minutes", "-5"}, false},
                      ArgumentCase{{"run", "--map", "M", "--minutes", "12x"}, false},
                      ArgumentCase{{"run", "--map", "M", "--seed", "4294967296"}, false},
                      ArgumentCase{{"run", "--map", "M", "--fast"}, false}));

TEST(ArgumentValueTest, ValuesReachTheOptions) {
    RunOptions options;
    std::string error;
    ASSERT_TRUE(ParseRunArguments({"run", "--map", "MAP00002.ddm", "--minutes", "90", "--seed",
                                   "17", "--computer-all", "--replay-check"},
                                  options, error));
    EXPECT_EQ(options.map, "MAP00002.ddm");
    EXPECT_EQ(options.minutes, 90);
    EXPECT_EQ(options.seed, 17u);
    EXPECT_TRUE(options.computerAll);
    EXPECT_TRUE(options.replayCheck);

    // Without --minutes the game is played to its end.
    RunOptions plain;
    ASSERT_TRUE(ParseRunArguments({"run", "--map", "MAP00002.ddm"}, plain, error));
    EXPECT_EQ(plain.minutes, kToTheEnd);
}

RunOptions Options(const std::string& map, int minutes) {
    RunOptions options;
    options.programDir = ZV_PROGRAM_DIR;
    options.map = map;
    options.minutes = minutes;
    options.seed = 9;
    return options;
}

// "<prefix> hash=<16 hex digits> step_mean_us=N step_p95_us=N step_worst_us=N wall_mean_us=N
// wall_p95_us=N wall_worst_us=N"
bool IsFinalLine(const std::string& line, const std::string& prefix) {
    if (line.rfind(prefix + " ", 0) != 0) return false;
    std::istringstream rest(line.substr(prefix.size() + 1));
    const char* keys[] = {"hash=",         "step_mean_us=", "step_p95_us=", "step_worst_us=",
                          "wall_mean_us=", "wall_p95_us=",  "wall_worst_us="};
    for (const char* key : keys) {
        std::string field;
        if (!(rest >> field) || field.rfind(key, 0) != 0) return false;
        const std::string value = field.substr(std::string(key).size());
        const bool hex = std::string(key) == "hash=";
        if (value.empty() || (hex && value.size() != 16)) return false;
        for (char c : value) {
            const bool digit = c >= '0' && c <= '9';
            if (!digit && !(hex && c >= 'a' && c <= 'f')) return false;
        }
    }
    std::string extra;
    return !(rest >> extra);
}

TEST(SimRunTest, SameSeedSameGameAndTheFinalLine) {
    const RunResult a = zvsim::Run(Options("MAP00001.ddm", 60));
    const RunResult b = zvsim::Run(Options("MAP00001.ddm", 60));
    ASSERT_EQ(a.exitCode, 0) << (a.errors.empty() ? "" : a.errors[0]);
    EXPECT_EQ(a.minutes, 60);
    EXPECT_EQ(a.hash, b.hash);
    EXPECT_EQ(a.outcome, "running");
    ASSERT_GE(a.lines.size(), 2u);
    EXPECT_EQ(a.lines[0].rfind("day=1 c0=state:1,troops:", 0), 0u) << a.lines[0];
    EXPECT_TRUE(IsFinalLine(a.lines.back(), "minutes=60 outcome=running")) << a.lines.back();
    EXPECT_FALSE(
        IsFinalLine("minutes=60 outcome=running hash=12 step_mean_us=1 step_p95_us=1 "
                    "step_worst_us=1 wall_mean_us=1 wall_p95_us=1 wall_worst_us=1",
                    "minutes=60 outcome=running"));
    EXPECT_FALSE(
        IsFinalLine("minutes=60 outcome=running hash=0123456789abcdef step_mean_us=1 "
                    "step_p95_us=1 step_worst_us=1 wall_mean_us=1 wall_p95_us=1",
                    "minutes=60 outcome=running"));
}

TEST(SimRunTest, ReplayCheckPassesForTheGame) {
    RunOptions options = Options("MAP00003.ddm", 40);
    options.replayCheck = true;
    const RunResult result = zvsim::Run(options);
    EXPECT_EQ(result.exitCode, 0) << (result.errors.empty() ? "" : result.errors[0]);
    EXPECT_TRUE(result.errors.empty());
}

TEST(SimRunTest, MissingMapIsReportedAndNothingRuns) {
    const RunResult result = zvsim::Run(Options("MAP09999.ddm", 10));
    EXPECT_EQ(result.exitCode, 3);
    ASSERT_EQ(result.errors.size(), 1u);
    // The message names the file really looked for, not the game's backslashed path.
    const std::string tried = std::string(ZV_PROGRAM_DIR) + "/MAP/MAP09999.ddm";
    EXPECT_NE(result.errors[0].find(tried), std::string::npos) << result.errors[0];
    EXPECT_EQ(result.errors[0].find('\\'), std::string::npos) << result.errors[0];
    EXPECT_TRUE(result.lines.empty());
}

}  // namespace
}  // namespace zv::zvsim
