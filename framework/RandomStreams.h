#pragma once

#include <cstdint>

namespace zv::fw {

// Three independent linear congruential streams. Stream 1 is the game's stream that every
// participant of a network game must draw identically; each game world owns one object.
// Draws are 15-bit values (0..32767) on every machine, unlike the C library's rand.
class RandomStreams {
  public:
    void SeedRandom1(std::uint32_t seed) { state1_ = seed; }
    void SeedRandom2(std::uint32_t seed) { state2_ = seed; }
    void SeedRandom3(std::uint32_t seed) { state3_ = seed; }

    int NextRandom1() { return Step(state1_); }
    int NextRandom2() { return Step(state2_); }
    int NextRandom3() { return Step(state3_); }

  private:
    // Unsigned state so that the wrap-around modulo 2^32 is defined behaviour.
    static int Step(std::uint32_t& state) {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }

    std::uint32_t state1_ = 1;
    std::uint32_t state2_ = 1;
    std::uint32_t state3_ = 1;
};

}  // namespace zv::fw
