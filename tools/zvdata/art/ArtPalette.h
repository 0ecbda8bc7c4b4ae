#pragma once

// The game palette source (data/art/palettes/NAME.pal): all 256 colours and the team colours
// that replace the placeholder colours of art sources.
//
//   colour INDEX #rrggbb            one entry
//   ramp FIRST LAST #from #to       entries FIRST..LAST, evenly from one colour to the other
//   team N #base #light #dark       colours of team N (0-3 countries, 4 unknown, 5 neutral)
//
// Every index must be given once and every colour must differ: the .bmp writer maps pixels to
// entries by colour, so two equal entries could not both be kept. Entry 0 is the transparent
// key of every colour-keyed copy and must be black.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "tools/zvdata/art/ArtText.h"

namespace zv::zvdata::art {

// The placeholder colours that sources draw team parts in.
inline constexpr Rgb kTeamBasePlaceholder{0xff, 0x00, 0xff};
inline constexpr Rgb kTeamLightPlaceholder{0xff, 0x80, 0xff};
inline constexpr Rgb kTeamDarkPlaceholder{0x80, 0x00, 0x80};
inline constexpr int kTeamCount = 6;

struct TeamColours {
    Rgb base, light, dark;
};

struct ArtPalette {
    std::string name;
    std::array<Rgb, 256> colours{};
    std::map<int, TeamColours> teams;
};

// Reads a palette source; on failure returns false and one message per fault.
bool ParseArtPalette(const std::string& fileName, const std::string& text, ArtPalette& palette,
                     std::vector<std::string>& problems);

}  // namespace zv::zvdata::art
