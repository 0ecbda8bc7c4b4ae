#pragma once

#include <cstdint>

namespace zv::rules {

// Directions 0-5: W, SW, SE, E, NE, NW. Odd rows sit half a hex to the right, so the x step of a
// direction depends on the parity of the row.
inline constexpr int kHexDirectionCount = 6;
inline constexpr int kNeighbourDx[2][kHexDirectionCount] = {
    {-1, -1, 0, +1, 0, -1},  // even row
    {-1, 0, +1, +1, +1, 0},  // odd row
};
inline constexpr int kNeighbourDy[kHexDirectionCount] = {0, +1, +1, 0, -1, -1};

// What the rules and the map windows learn about one hex (GameContext::GetHexDescription). The
// defaults are the values for a hex outside the map.
struct HexDescription {
    std::uint8_t x = 0xFF;
    std::uint8_t y = 0xFF;
    std::uint8_t landKind = 0;
    std::uint8_t road = 0xFF;
    std::uint8_t siteKind = 0xFF;
    std::uint8_t siteOwner = 6;
    std::uint8_t river = 0xFF;
    std::uint16_t siteIndex = 0xFFFF;
    std::uint16_t troopIndex = 0xFFFF;
    std::uint8_t troopCountry = 6;
    std::uint16_t hexFlags = 0;

    std::uint16_t Hex() const { return static_cast<std::uint16_t>(x | (y << 8)); }
    bool IsOnMap() const { return x != 0xFF && y != 0xFF; }
};

// The neighbour of (x, y) in a direction; false (outputs 0xFFFF) when it lies outside the 64 x 64
// map or the direction is not 0-5.
bool HexNeighbourOf(int x, int y, int direction, std::uint16_t& outX, std::uint16_t& outY);

}  // namespace zv::rules
