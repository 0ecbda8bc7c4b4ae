#pragma once

// The plain-text pixel format (data/art/px/*.px) for small pictures that must be exact to the
// pixel:
//
//   size W H
//   key CHAR COLOUR      COLOUR is #rrggbb, none (transparent), team, team-light or team-dark
//   pixels               then H lines of W key characters
#include <cstdint>
#include <string>
#include <vector>

namespace zv::zvdata::art {

struct PixelArt {
    int width = 0, height = 0;
    // 0xAARRGGBB, straight alpha; alpha is 0 or 255. Team colours are the placeholders.
    std::vector<std::uint32_t> pixels;
};

bool ParsePixelArt(const std::string& fileName, const std::string& text, PixelArt& art,
                   std::vector<std::string>& problems);

}  // namespace zv::zvdata::art
