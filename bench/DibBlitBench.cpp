// The Dib blitters that carry every sprite and panel drawing, beside plain byte loops.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "framework/Dib.h"
#include "platform/ui/Canvas.h"

namespace {

using zv::fw::Dib;

// A sprite sheet where about a third of the pixels are the colour key 0, in runs as drawn
// sprites have them.
std::unique_ptr<Dib> SpriteSheet(int w, int h) {
    auto dib = Dib::CreateBlank(w, h, nullptr);
    std::mt19937 rng(3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w;) {
            const int run = 1 + int(rng() % 12);
            const uint8_t v = (rng() % 3 == 0) ? 0 : uint8_t(1 + rng() % 250);
            for (int i = 0; i < run && x < w; ++i, ++x) *dib->GetPixelAddress(x, y) = v;
        }
    }
    return dib;
}

constexpr int kW = 640, kH = 480;

void DibBlitKeyed(benchmark::State& state) {
    auto src = SpriteSheet(kW, kH);
    auto dst = Dib::CreateBlank(kW, kH, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zv::fw::HvDIBitBlt(dst.get(), 0, 0, kW, kH, src.get(), 0, 0, 0));
    }
    state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(DibBlitKeyed);

// Reference: one byte at a time.
void DibBlitKeyedReference(benchmark::State& state) {
    auto src = SpriteSheet(kW, kH);
    auto dst = Dib::CreateBlank(kW, kH, nullptr);
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y) {
            const uint8_t* s = src->GetPixelAddress(0, y);
            uint8_t* d = dst->GetPixelAddress(0, y);
            for (int x = 0; x < kW; ++x) {
                if (s[x] != 0) d[x] = s[x];
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(DibBlitKeyedReference);

void DibBlitOpaque(benchmark::State& state) {
    auto src = SpriteSheet(kW, kH);
    auto dst = Dib::CreateBlank(kW, kH, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            zv::fw::HvDIBitBltOpaque(dst.get(), 1, 0, kW - 1, kH, src.get(), 0, 0));
    }
    state.SetBytesProcessed(state.iterations() * (kW - 1) * kH);
}
BENCHMARK(DibBlitOpaque);

void DibBlitOpaqueReference(benchmark::State& state) {
    auto src = SpriteSheet(kW, kH);
    auto dst = Dib::CreateBlank(kW, kH, nullptr);
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y) {
            const uint8_t* s = src->GetPixelAddress(0, y);
            uint8_t* d = dst->GetPixelAddress(1, y);
            for (int x = 0; x < kW - 1; ++x) d[x] = s[x];
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (kW - 1) * kH);
}
BENCHMARK(DibBlitOpaqueReference);

// The canvas's general copy between two Dibs with one colour table, for comparison.
void CanvasBlitBetweenDibs(benchmark::State& state) {
    auto src = SpriteSheet(kW, kH);
    auto dst = Dib::CreateBlank(kW, kH, nullptr);
    zv::ui::Canvas from(src->GetBitmapHandle());
    zv::ui::Canvas to(dst->GetBitmapHandle());
    for (auto _ : state) {
        benchmark::DoNotOptimize(to.BitBlt(0, 0, kW, kH, from, 0, 0, zv::ui::SRCCOPY));
    }
    state.SetBytesProcessed(state.iterations() * kW * kH);
}
BENCHMARK(CanvasBlitBetweenDibs);

}  // namespace
