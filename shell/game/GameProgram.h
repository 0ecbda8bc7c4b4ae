#pragma once

// The game program from start to end: the single-instance check, the screen check, the rule
// tables, the window classes, the global objects, the frame, the clock thread, the message loop
// and the tear-down in reverse. apps/zv6 calls RunGameProgram with the real screen; tests call
// it with the memory screen and drive the program from `onFrameShown`.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {
class Backend;
}

namespace zv::shell {

struct GameProgramOptions {
    // Makes the screen; null with a message in *error when there is none.
    std::function<std::unique_ptr<ui::Backend>(std::string* error)> makeBackend;
    // The program directory (empty: the executable's folder).
    std::string programDirectory;
    // The single-instance name (the frame class name unless a test runs copies side by side).
    std::string instanceName;
    // Music through the system's soundfont (tests keep it off).
    bool music = true;
    // The clock thread's period in ms (0: the game's own 200). At the fastest speed a game
    // minute takes two periods; tests that play whole days shorten it.
    std::uint32_t clockPeriodMs = 0;
    // Called once the frame is shown and the clock thread exists, on the GUI thread, before the
    // message loop starts. Tests drive the program from here.
    std::function<void(ui::Hwnd frame)> onFrameShown;
    // Hears every step of the start-up and the shut-down ("mutex", "screen", ...).
    std::function<void(std::string_view step)> trace;
    // Receives the messages a player would need to see when the program cannot start.
    std::function<void(const std::string&)> report;
    // Runs the opening program from the program directory and waits for it (zv6 passes
    // RunOpeningPlayer); null leaves the opening out. Not run when a lobby started the game.
    std::function<int(const std::string& programDirectory)> runOpening;
};

// The screen check: 1 when the screen is at least 800 x 600 at 16 bits per pixel, else 0
// after a warning box over the owner.
int CheckDisplayMode(ui::Hwnd owner);
// The warning for a screen of that size and depth; empty when the screen is usable.
std::string DisplayModeWarning(int width, int height, int bitsPerPixel);

// The whole program; its exit code.
int RunGameProgram(const GameProgramOptions& options);

// For the frame: reconnecting the session manager's events to the frame.
void ConnectSessionToFrame(ui::Hwnd frame);

}  // namespace zv::shell
