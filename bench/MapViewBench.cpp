// The map view's redraws on a default map, beside a plain copy of a whole Dib of the same size
// (what a map window could at best do to refresh its back buffer): a full redraw at each zoom
// for a 1024 x 768 view, and the redraw after each step of a busy computer-only game.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "mapview/HexMapView.h"
#include "simulation/ClockStepWorld.h"

namespace {

using zv::mapview::HexMapView;

constexpr int kViewW = 1024, kViewH = 768;

std::unique_ptr<zv::sim::HeadlessGame> StartGame() {
    zv::fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    auto game = std::make_unique<zv::sim::HeadlessGame>();
    std::string error;
    if (!game->Load(ZV_PROGRAM_DIR, "MAP00001.ddm", error)) return nullptr;
    zv::sim::HeadlessStartOptions options;
    options.computerAll = true;
    game->BeginPlay(options);
    return game;
}

std::unique_ptr<HexMapView> MakeView(zv::rules::TableDirectory& tables, int zoom) {
    zv::rules::GameContextEnv env;
    env.playerCountry = 0;
    auto view = std::make_unique<HexMapView>(tables, env);
    view->Setup(zv::ui::Hwnd{}, 0, kViewW, kViewH, zoom, 0);
    view->SetCachedDaytime(1);
    view->SetDisplayKind(0, 1);
    return view;
}

void MapFullRedraw(benchmark::State& state) {
    auto game = StartGame();
    if (!game) {
        state.SkipWithError("the default data must be built into the program directory");
        return;
    }
    auto view = MakeView(game->Tables(), static_cast<int>(state.range(0)));
    for (auto _ : state) view->RedrawView(0);
    state.SetBytesProcessed(state.iterations() * view->BufferWidth() * view->BufferHeight());
}
BENCHMARK(MapFullRedraw)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// What a window does on WM_MAP_TICK_REDRAW after each step: routes, captions, the visible hexes.
void MapTickRedrawBusyGame(benchmark::State& state) {
    auto game = StartGame();
    if (!game) {
        state.SkipWithError("the default data must be built into the program directory");
        return;
    }
    auto view = MakeView(game->Tables(), 2);
    view->SetCaptionMode(2);
    view->SetAirRoute(1);
    view->SetGroundRoute(1);
    // Into the game, where troops of every country are on the move.
    for (int i = 0; i < 240; ++i) game->Step();
    for (auto _ : state) {
        state.PauseTiming();
        game->Step();
        state.ResumeTiming();
        view->SetCountryFilter(6);
        view->RefreshRoutes();
        view->RebuildCaptions();
        view->RedrawView(0);
    }
    state.SetBytesProcessed(state.iterations() * view->BufferWidth() * view->BufferHeight());
}
BENCHMARK(MapTickRedrawBusyGame)->Unit(benchmark::kMicrosecond);

// The reference: one opaque copy of a Dib of the back buffer's size.
void MapFullDibCopyReference(benchmark::State& state) {
    const int w = kViewW + 32, h = kViewH + 32;
    auto src = zv::fw::Dib::CreateBlank(w, h, nullptr);
    auto dst = zv::fw::Dib::CreateBlank(w, h, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zv::fw::HvDIBitBltOpaque(dst.get(), 0, 0, w, h, src.get(), 0, 0));
    }
    state.SetBytesProcessed(state.iterations() * w * h);
}
BENCHMARK(MapFullDibCopyReference)->Unit(benchmark::kMicrosecond);

}  // namespace
