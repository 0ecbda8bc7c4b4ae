// The program starts and stops on the real backend through SDL's display-less video driver.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/Messages.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"
#include "rules/testing/TempFolder.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GameProgram.h"
#include "shell/game/SimulationClock.h"

namespace zv::shell {
namespace {

TEST(SdlStart, StartsAndStopsOnTheDisplaylessDriver) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    rules::testing::TempFolder dir;
    for (const auto& entry : std::filesystem::directory_iterator(ZV_PROGRAM_DIR)) {
        if (entry.path().filename() == "ZV6WIN.INI" || entry.path().filename() == "SAVE") continue;
        std::filesystem::create_symlink(entry.path(), std::filesystem::path(dir.Path()) / entry.path().filename());
    }
    GameProgramOptions options;
    options.programDirectory = dir.Path();
    options.instanceName = "zv6-sdl-test-" + std::to_string(::getpid());
    options.music = false;
    std::string why;
    options.makeBackend = [&](std::string* error) -> std::unique_ptr<ui::Backend> {
        auto b = ui::SdlBackend::Create("ZV6", 1024, 768, error);
        if (!b) why = *error;
        return b;
    };
    std::vector<std::string> steps;
    options.trace = [&](std::string_view s) { steps.emplace_back(s); };
    bool shown = false;
    options.onFrameShown = [&](ui::Hwnd frame) {
        shown = true;
        EXPECT_TRUE(ui::IsZoomed(frame));
        EXPECT_TRUE(IsSimulationThreadStarted());
        // The journal's quit: the frame parks the clock, empties the world and ends.
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    };
    const int code = RunGameProgram(options);
    ::unsetenv("SDL_VIDEODRIVER");
    ASSERT_TRUE(shown) << "no screen: " << why;
    EXPECT_EQ(code, 0);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), "mutex");
    EXPECT_EQ(steps.back(), "tables freed");
    EXPECT_FALSE(IsSimulationThreadStarted());
}

}  // namespace
}  // namespace zv::shell
