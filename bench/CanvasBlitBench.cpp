// Canvas copies with a colour key (sprites onto the screen) beside a plain row copy of the same
// size, for both surface kinds of the source.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/ui/Canvas.h"

namespace {

using namespace zv::ui;

constexpr int kW = 640, kH = 480;

struct Sheet {
    std::vector<uint8_t> bytes;
    std::vector<RgbQuad> palette;
    Surface32Buffer rgb;
    Sheet() : bytes(std::size_t(kW) * kH), palette(256) {
        for (int i = 0; i < 256; ++i)
            palette[std::size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
        std::mt19937 rng(3);
        rgb.Resize(kW, kH, 0);
        Surface32 v = rgb.View();
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW;) {
                const int run = 1 + int(rng() % 12);
                const uint8_t c = (rng() % 3 == 0) ? 0 : uint8_t(1 + rng() % 250);
                for (int i = 0; i < run && x < kW; ++i, ++x) {
                    bytes[std::size_t(y) * kW + x] = c;
                    v.Row(y)[x] = c ? 0x00102030u * c : 0;
                }
            }
        }
    }
    Canvas Indexed() {
        return Canvas(IndexedSurface{bytes.data(), kW, kH, kW, false, palette.data(), 256});
    }
    Canvas Rgb32() { return Canvas(rgb.View()); }
};

void CanvasKeyedBlitFromIndexed(benchmark::State& state) {
    Sheet sheet;
    Surface32Buffer screen;
    screen.Resize(kW, kH, 0);
    Canvas dst(screen.View());
    Canvas src = sheet.Indexed();
    for (auto _ : state) {
        dst.TransparentBlt(0, 0, kW, kH, src, 0, 0, kW, kH, PaletteIndex(0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(CanvasKeyedBlitFromIndexed);

void CanvasKeyedBlitFromRgb(benchmark::State& state) {
    Sheet sheet;
    Surface32Buffer screen;
    screen.Resize(kW, kH, 0);
    Canvas dst(screen.View());
    Canvas src = sheet.Rgb32();
    for (auto _ : state) {
        dst.TransparentBlt(0, 0, kW, kH, src, 0, 0, kW, kH, Rgb(0, 0, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(CanvasKeyedBlitFromRgb);

// Reference: a plain row copy of as many 32-bit pixels.
void CanvasPlainRowCopyReference(benchmark::State& state) {
    Sheet sheet;
    Surface32Buffer screen;
    screen.Resize(kW, kH, 0);
    Surface32 d = screen.View();
    Surface32 s = sheet.rgb.View();
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y) std::memcpy(d.Row(y), s.Row(y), std::size_t(kW) * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(CanvasPlainRowCopyReference);

}  // namespace
