// Start-up to the title: the whole program on the memory screen from its start until the title
// is drawn, then its shut-down through the title's quit; beside a bare window opened, drawn
// and closed on the same screen as the reference.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "setup/SetupContainer.h"
#include "shell/game/GameProgram.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A program directory of the benchmark's own: the content build linked in, so the settings
// file a run writes stays apart.
class BenchProgramDir {
  public:
    BenchProgramDir() : path_(fs::temp_directory_path() / ("zvbench-setup-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
        for (const auto& entry : fs::directory_iterator(ZV_PROGRAM_DIR)) {
            if (entry.path().filename() == "ZV6WIN.INI" || entry.path().filename() == "SAVE") continue;
            fs::create_symlink(entry.path(), path_ / entry.path().filename());
        }
    }
    ~BenchProgramDir() { fs::remove_all(path_); }
    std::string Path() const { return path_.string(); }

  private:
    fs::path path_;
};

void ProgramStartToTitleDrawn(benchmark::State& state) {
    zv::setup::InstallSetupModule();
    BenchProgramDir dir;
    double toTitle = 0, shutDown = 0;
    for (auto _ : state) {
        zv::shell::GameProgramOptions options;
        options.programDirectory = dir.Path();
        options.instanceName = "zvbench-" + std::to_string(::getpid());
        options.music = false;
        options.makeBackend = [](std::string*) -> std::unique_ptr<zv::ui::Backend> {
            return std::make_unique<zv::ui::HeadlessBackend>(1024, 768);
        };
        const auto start = Clock::now();
        Clock::time_point drawn, quit;
        options.onFrameShown = [&](zv::ui::Hwnd) {
            zv::ui::WindowManager::Current()->Flush();
            drawn = Clock::now();
            const zv::ui::Hwnd title = zv::setup::GetMainMenuWindow();
            if (!title) state.SkipWithError("no title window");
            zv::ui::SendMessage(title, zv::WM_SETUP_PREV_PAGE, zv::setup::kNoPage, zv::setup::kPageTitle);
            quit = Clock::now();
        };
        const int code = zv::shell::RunGameProgram(options);
        const auto end = Clock::now();
        if (code != 0) state.SkipWithError("the program failed");
        const double seconds = std::chrono::duration<double>(drawn - start).count();
        toTitle += seconds;
        shutDown += std::chrono::duration<double>(end - quit).count();
        state.SetIterationTime(seconds);
    }
    state.counters["shut_down_ms"] = benchmark::Counter(shutDown * 1000, benchmark::Counter::kAvgIterations);
    state.counters["to_title_ms"] = benchmark::Counter(toTitle * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(ProgramStartToTitleDrawn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Reference: one top-level window made, drawn and destroyed on a fresh memory screen.
void BareWindowOpenAndClose(benchmark::State& state) {
    for (auto _ : state) {
        zv::ui::WindowManager wm(std::make_unique<zv::ui::HeadlessBackend>(1024, 768));
        const zv::ui::Hwnd h = zv::ui::CreateWindowEx(0, "STATIC", "ZV6", zv::ui::WS_OVERLAPPEDWINDOW | zv::ui::WS_VISIBLE,
                                                      0, 0, 1024, 768, {}, 0, nullptr, nullptr);
        wm.Flush();
        zv::ui::DestroyWindow(h);
        wm.Flush();
    }
}
BENCHMARK(BareWindowOpenAndClose)->Unit(benchmark::kMillisecond);

}  // namespace
