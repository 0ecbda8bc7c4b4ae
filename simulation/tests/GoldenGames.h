#pragma once

#include <cstdint>

// Computer-only games that must play the same way whatever is done to make the step faster: the
// default map, the seed, the clock steps played and the table hash after them
// (HeadlessGame's Tables().HashLiveTables()). The simulation tests check the hashes; the step
// benchmark plays the same games. When a rule change alters play on purpose, take the new hashes
// with `zvsim run --map MAP --seed SEED --minutes STEPS --computer-all`.
namespace zv::sim::golden {

struct GoldenGame {
    const char* map;
    std::uint32_t seed;
    int steps;
    std::uint64_t hash;
};

inline constexpr GoldenGame kGoldenGames[] = {
    {"MAP00001.ddm", 21, 900, 0x71f83fb1a702f83d},
    {"MAP00002.ddm", 22, 900, 0x26c86e6796e0db31},
    {"MAP00003.ddm", 23, 900, 0x883a59fc54f50d02},
    {"MAP00004.ddm", 24, 900, 0x61a871a678ad10ce},
};

}  // namespace zv::sim::golden
