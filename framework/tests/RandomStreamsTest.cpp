#include <gtest/gtest.h>

#include <vector>

#include "framework/RandomStreams.h"

namespace zv::fw {
namespace {

std::vector<int> Draw(RandomStreams& r, int stream, int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) {
        v.push_back(stream == 1   ? r.NextRandom1()
                    : stream == 2 ? r.NextRandom2()
                                  : r.NextRandom3());
    }
    return v;
}

TEST(RandomStreams, KnownSequences) {
    const std::vector<int> fromOne = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int stream = 1; stream <= 3; ++stream) {
        RandomStreams r;
        EXPECT_EQ(Draw(r, stream, 8), fromOne) << "stream " << stream;
    }
    RandomStreams r;
    r.SeedRandom1(0);
    EXPECT_EQ(r.NextRandom1(), 38);
    r.SeedRandom1(1);
    EXPECT_EQ(Draw(r, 1, 3), (std::vector<int>{41, 18467, 6334}));
}

TEST(RandomStreams, DrawsAreFifteenBitsForAnySeed) {
    for (std::uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 12345u}) {
        RandomStreams r;
        r.SeedRandom1(seed);
        for (int v : Draw(r, 1, 1000)) {
            ASSERT_GE(v, 0);
            ASSERT_LE(v, 32767);
        }
    }
}

TEST(RandomStreams, StreamsAreIndependent) {
    RandomStreams r;
    r.SeedRandom1(777);
    Draw(r, 2, 5);
    Draw(r, 3, 9);
    RandomStreams clean;
    clean.SeedRandom1(777);
    EXPECT_EQ(Draw(r, 1, 10), Draw(clean, 1, 10));

    RandomStreams s;
    Draw(s, 1, 50);
    s.SeedRandom1(5);
    EXPECT_EQ(Draw(s, 2, 3), (std::vector<int>{41, 18467, 6334}));
    EXPECT_EQ(Draw(s, 3, 3), (std::vector<int>{41, 18467, 6334}));
}

TEST(RandomStreams, TwoWorldsDoNotShareState) {
    RandomStreams a, b;
    a.SeedRandom1(99);
    b.SeedRandom1(99);
    std::vector<int> first = Draw(a, 1, 20);
    EXPECT_EQ(Draw(b, 1, 20), first);
}

}  // namespace
}  // namespace zv::fw
