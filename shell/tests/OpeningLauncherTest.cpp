#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/core/tests/TempDir.h"
#include "shell/OpeningLauncher.h"

namespace zv::shell {
namespace {

// The game waits for the opening to end before it goes on; a missing player is no reason to
// stop.
TEST(OpeningLauncher, RunsThePlayerInTheProgramDirectoryAndWaits) {
    zv::testing::TempDir dir;
    const std::string player =
        dir.Put("zv6open.ovl", "#!/bin/sh\nsleep 0.2\npwd > ran.txt\nexit 0\n");
    ::chmod(player.c_str(), 0755);
    EXPECT_EQ(RunOpeningPlayer(dir.Path()), 0);
    std::string here = dir.Path();
    if (here.ends_with('/')) here.pop_back();
    EXPECT_EQ(zv::testing::TempDir::Read(here + "/ran.txt"), here + "\n");

    zv::testing::TempDir empty;
    EXPECT_EQ(RunOpeningPlayer(empty.Path()), -1);
}

}  // namespace
}  // namespace zv::shell
