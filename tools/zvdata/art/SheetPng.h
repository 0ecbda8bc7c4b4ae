#pragma once

// `zvdata sheet`: draws a game picture file as a PNG for looking at, enlarged, with the key
// colour shown as a checker board and the cell grid drawn over it.
#include <string>

namespace zv::zvdata::art {

struct SheetOptions {
    int scale = 0;             // 0: chosen from the size
    int cellW = 0, cellH = 0;  // 0: the grid the game reads the file in, if known
};

bool WriteSheetPng(const std::string& bmpPath, const std::string& pngPath,
                   const SheetOptions& options, std::string& error);

}  // namespace zv::zvdata::art
