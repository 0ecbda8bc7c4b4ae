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
    const uint16_t* p = s.Pixels();
    const std::size_t size = std::size_t(s.Width()) * std::size_t(s.Height());
    int n = 0;
    for (std::size_t i = 0; i < size; ++i) n += p[i] != 0;
    return n;
}

// Whether at least `wanted` pixels are not black. It stops at the `wanted`th: the scene tests
// ask this of every frame of a minute's run, where a whole count cost half the time.
inline bool HasNonBlack(const fw::Surface16& s, int wanted) {
    const uint16_t* p = s.Pixels();
    const std::size_t size = std::size_t(s.Width()) * std::size_t(s.Height());
    int n = 0;
    for (std::size_t i = 0; i < size && n < wanted; ++i) n += p[i] != 0;
    return n >= wanted;
}

}  // namespace zv::saver::testing
