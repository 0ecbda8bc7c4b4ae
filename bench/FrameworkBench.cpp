// Framework primitives against the standard library's nearest equivalents.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "framework/RandomStreams.h"
#include "platform/core/Sjis.h"

namespace {

void RandomGameStream(benchmark::State& state) {
    zv::fw::RandomStreams streams;
    streams.SeedRandom1(12345);
    for (auto _ : state) {
        benchmark::DoNotOptimize(streams.NextRandom1());
    }
}
BENCHMARK(RandomGameStream);

// Reference: the standard library's minimal-standard LCG.
void RandomReferenceMinstd(benchmark::State& state) {
    std::minstd_rand engine(12345);
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine());
    }
}
BENCHMARK(RandomReferenceMinstd);

std::string MixedText() {
    std::string text;
    for (int i = 0; i < 64; ++i) text += "第3歩兵連隊 tank-42 ";
    return text;
}

void SjisRoundTrip(benchmark::State& state) {
    const std::string utf8 = MixedText();
    for (auto _ : state) {
        std::string sjis = zv::core::Utf8ToSjis(utf8);
        benchmark::DoNotOptimize(zv::core::SjisToUtf8(sjis));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * utf8.size());
}
BENCHMARK(SjisRoundTrip);

// Reference: a plain byte copy of the same text, the floor any conversion sits on.
void SjisReferenceCopy(benchmark::State& state) {
    const std::string utf8 = MixedText();
    for (auto _ : state) {
        std::string copy = utf8;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * utf8.size());
}
BENCHMARK(SjisReferenceCopy);

}  // namespace
