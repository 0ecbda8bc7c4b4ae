#pragma once

// The sizes and cell grids in which the game reads each generated picture file. The build
// refuses a manifest that gives a file another layout, and `zvdata check` holds every file to
// it.
#include <optional>
#include <string>

namespace zv::zvdata::art {

struct BitmapLayout {
    int width = 0, height = 0;  // 0: any (unit pictures: any even width and any height)
    int cellW = 0, cellH = 0;
};

// The layout of a file name below the program directory ("hexBig.bmp", "unit/unit023s.bmp");
// nothing for a name the game does not read.
std::optional<BitmapLayout> FindBitmapLayout(const std::string& name);

}  // namespace zv::zvdata::art
