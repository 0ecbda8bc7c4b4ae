#pragma once

// Runs the whole game program on the memory screen, in a program directory of its own whose
// data are links to the built program directory (so the settings file and the saved games the
// run writes stay apart), and pumps it from the test.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/testing/TempFolder.h"
#include "shell/game/GameProgram.h"

namespace zv::shell::testing {

inline std::string ScreenshotPath(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(dir);
    return (dir / (name + ".png")).string();
}

class ProgramRun {
  public:
    ProgramRun() {
        for (const auto& entry : std::filesystem::directory_iterator(ZV_PROGRAM_DIR)) {
            const std::string name = entry.path().filename().string();
            // The run's settings and saved games are its own: the program makes SAVE itself.
            if (name == "ZV6WIN.INI" || name == "SAVE") continue;
            std::filesystem::create_symlink(entry.path(), std::filesystem::path(dir.Path()) / name);
        }
        options.programDirectory = dir.Path();
        options.instanceName = "zv6-test-" + std::to_string(::getpid());
        options.music = false;
        options.makeBackend = [this](std::string*) -> std::unique_ptr<ui::Backend> {
            auto b = std::make_unique<ui::HeadlessBackend>(1024, 768);
            screen = b.get();
            return b;
        };
        options.trace = [this](std::string_view step) { steps.emplace_back(step); };
    }

    // A run that hangs (a box waiting for a key that never comes) fails instead of blocking
    // the suite.
    int Run(std::function<void(ui::Hwnd)> drive, int limitSeconds = 120) {
        options.onFrameShown = std::move(drive);
        std::atomic<bool> finished{false};
        std::thread watchdog([&] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
            while (!finished.load()) {
                if (std::chrono::steady_clock::now() > end) {
                    std::fprintf(stderr, "the program did not end within %d s; steps:", limitSeconds);
                    for (const std::string& s : steps) std::fprintf(stderr, " %s", s.c_str());
                    std::fprintf(stderr, "\n");
                    std::abort();
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        const int code = RunGameProgram(options);
        finished.store(true);
        watchdog.join();
        return code;
    }

    // Pumps until `done` holds or the time is up (real time: the clock thread runs on it).
    bool PumpUntil(const std::function<bool()>& done, int seconds = 30) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            ui::WindowManager::Current()->PumpPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    void Pump() {
        for (int i = 0; i < 3; ++i) ui::WindowManager::Current()->PumpPending();
    }
    void Key(uint32_t vk) {
        screen->KeyDown(vk);
        screen->KeyUp(vk);
    }
    // Alt+letter opens a bar popup; the letter then chooses the item.
    void MenuKeys(char popup, char item) {
        screen->KeyDown(ui::VK_MENU);
        screen->KeyDown(static_cast<uint32_t>(popup));
        screen->KeyUp(static_cast<uint32_t>(popup));
        screen->KeyUp(ui::VK_MENU);
        Key(static_cast<uint32_t>(item));
    }

    rules::testing::TempFolder dir;
    GameProgramOptions options;
    ui::HeadlessBackend* screen = nullptr;
    std::vector<std::string> steps;
};

}  // namespace zv::shell::testing
