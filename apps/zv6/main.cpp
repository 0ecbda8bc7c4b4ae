// zv6: the game. It reads no command line; its data lie beside the program file.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/OutOfMemory.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/Memory.h"
#include "setup/SetupContainer.h"
#include "shell/OpeningLauncher.h"
#include "shell/game/GameProgram.h"

namespace {

// The game's out-of-memory message: on standard error, and in a box when the window thread is
// the one that ran out (another thread cannot run the box's modal loop).
void ReportOutOfMemory(const char* text) {
    std::fprintf(stderr, "zv6: %s\n", text);
    zv::ui::WindowManager* manager = zv::ui::WindowManager::Current();
    if (manager != nullptr && manager->IsGuiThread())
        zv::ui::MessageBox(manager->GetFocus(), text, "ZV6", zv::ui::MB_OK);
}

}  // namespace

int main() {
    // Out of memory ends the game after its message with status 0, like its other failures.
    zv::rules::SetOutOfMemoryReporter(&ReportOutOfMemory);
    zv::core::InstallOutOfMemoryExit("zv6", 0, [] { zv::rules::ExitOutOfMemory(); });
    zv::shell::GameProgramOptions options;
    options.makeBackend = [](std::string* error) -> std::unique_ptr<zv::ui::Backend> {
        const auto set = [](const char* name) {
            const char* v = std::getenv(name);
            return v != nullptr && *v != '\0';
        };
        // Without a display SDL may fall back to a driver that shows nothing, and the game
        // would run where nobody can see it.
        if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("SDL_VIDEODRIVER")) {
            if (error != nullptr) {
                *error = "no display (DISPLAY and WAYLAND_DISPLAY are not set). Run zv6 on a desktop, "
                         "or under a virtual screen: xvfb-run -s '-screen 0 1024x768x24' build/game/zv6";
            }
            return nullptr;
        }
        std::string why;
        // The frame is always shown maximised: the screen window opens over the display's
        // usable area (1024 x 768 is its size when restored).
        auto backend = zv::ui::SdlBackend::Create("ZV6", 1024, 768, &why, true);
        if (!backend && error != nullptr) {
            *error = "cannot open a window (" + why +
                     "). Run zv6 on a desktop, or without one under a virtual screen: "
                     "xvfb-run -s '-screen 0 1024x768x24' build/game/zv6";
        }
        return backend;
    };
    options.runOpening = zv::shell::RunOpeningPlayer;
    zv::setup::InstallSetupModule();
    return zv::shell::RunGameProgram(options);
}
