// The step's fast route searches (reused areas, searches cut short) must change no choice: a
// game of each default map played with them and the same game with every search in full end in
// the same world, day by day.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/zvsim/SimRun.h"

namespace zv::zvsim {
namespace {

struct MapCase {
    const char* map;
    int minutes;
};

// Long enough for the computer to move, fight, supply and take sites on every map; short enough
// for the sanitizer build.
const MapCase kMaps[] = {{"MAP00001.ddm", 2000}, {"MAP00002.ddm", 2000}, {"MAP00003.ddm", 2000},
                         {"MAP00004.ddm", 2000}};

// The final line without its step timings.
std::string WithoutTimings(const std::string& line) {
    return line.substr(0, line.find(" step_mean_us="));
}

class ReferenceSearchTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(ReferenceSearchTest, FastAndFullSearchesPlayTheSameGame) {
    RunOptions options;
    options.programDir = ZV_PROGRAM_DIR;
    options.map = GetParam().map;
    options.minutes = GetParam().minutes;
    options.seed = 5;
    options.computerAll = true;
    const RunResult fast = zvsim::Run(options);
    options.referenceSearches = true;
    const RunResult full = zvsim::Run(options);
    ASSERT_EQ(fast.exitCode, 0) << (fast.errors.empty() ? "" : fast.errors[0]);
    ASSERT_EQ(full.exitCode, 0) << (full.errors.empty() ? "" : full.errors[0]);
    EXPECT_GT(fast.minutes, 0);
    EXPECT_EQ(fast.minutes, full.minutes);
    EXPECT_EQ(fast.outcome, full.outcome);
    // The day lines show where the two games parted.
    ASSERT_FALSE(fast.lines.empty());
    ASSERT_EQ(fast.lines.size(), full.lines.size());
    for (std::size_t i = 0; i + 1 < fast.lines.size(); ++i) EXPECT_EQ(fast.lines[i], full.lines[i]);
    EXPECT_EQ(WithoutTimings(fast.lines.back()), WithoutTimings(full.lines.back()));
    EXPECT_EQ(fast.hash, full.hash);
}

INSTANTIATE_TEST_SUITE_P(DefaultMaps, ReferenceSearchTest, ::testing::ValuesIn(kMaps),
                         [](const ::testing::TestParamInfo<MapCase>& testCase) {
                             std::string name = testCase.param.map;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace zv::zvsim
