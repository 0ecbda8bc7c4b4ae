#pragma once

// Shared pieces of the screensaver tests: a saver state without a window (scenes run on it
// directly), temporary folders, screenshots of the scene picture.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ui/PngWriter.h"
#include "saver/SaverCore.h"

namespace zv::saver::testing {

inline std::string TempDir(const std::string& tag) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::temp_directory_path() /
               ("zv_saver_" + std::to_string(::getpid()) + "_" + tag + "_" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

// The program directory the build wrote the content into.
inline std::string ProgramDir() {
    return ZV_PROGRAM_DIR;
}

// A state as WM_CREATE makes it, for a client area of w x h, with waits that only count.
inline std::unique_ptr<SaverState> MakeState(SaverBuild build, int w, int h, uint32_t seed) {
    auto s = std::make_unique<SaverState>();
    s->build = build;
    s->clientWidth = w;
    s->clientHeight = h;
    s->screen = std::make_unique<fw::Surface16>(w, h);
    s->random.Seed(seed);
    s->env.wait = [](int) {};
    s->env.resourceDir =
        ProgramDir() + (build == SaverBuild::Saver ? "/ZvsaverData" : "/ZvdemosaverData");
    s->env.sharedDir = ProgramDir() + "/Zvscenes";
    s->env.currentDir = "/nonexistent";
    CreateSaverFont(*s);
    return s;
}

// Writes the scene picture as a PNG under the test binary's folder, to look at.
inline void Shot(const fw::Surface16& screen, const std::string& name) {
    std::filesystem::create_directories("saver-shots");
    ui::Surface32Buffer frame(screen.Width(), screen.Height());
    screen.ToPixels32(frame.View());
    std::string error;
    ui::WritePng("saver-shots/" + name + ".png", frame.View(), &error);
}

inline int CountNonBlack(const fw::Surface16& s) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) n += s.At(x, y) != 0;
    return n;
}

}  // namespace zv::saver::testing
