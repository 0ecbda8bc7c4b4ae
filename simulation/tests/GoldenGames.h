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
    {"MAP00002.ddm", 22, 900, 0x08848dff23e43fba},
    {"MAP00003.ddm", 23, 900, 0x296fc9e4d4c1e542},
    {"MAP00004.ddm", 24, 900, 0xc1a2aadc57c6d275},
};

}  // namespace zv::sim::golden
