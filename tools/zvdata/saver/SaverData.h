#pragma once

// The screensavers' data blocks, compiled from text sources in data/saver/*.txt.
//
//   file ZvsaverData/RCDATA201.bin       the block below the program directory
//   kind units2                      the layout (below)
//
// kind units2 (the title-2 battle data, 8,189 bytes): twenty 8-byte weapon names from byte 0,
// unit rows of 96 bytes from byte 640.
//   weapon ID NAME AIR GROUND INFANTRY SHIP RANGE
//   unit ROW KEY FIGURES DEFENCE W1,W2,W3,W4 NAME
// Each unit's four weapon blocks take their attack values and range from its weapons' lines.
//
// kind aircraft (the title-9 aircraft data, 240 records of 176 bytes, 42,240 bytes):
//   aircraft NAME SHEET(0-4) TYPE(0-3) ROLE SPEED WEAPONS NATION(1-9) SIZE TRAIL
// Records follow in order; the rest stay empty (nation 0: never chosen).
//
// kind sky (the title-9 sky layouts, 36 layouts of 16 x 10 tile numbers, 5,760 bytes):
//   seed N        the layouts are drawn from this seed: each tile row keeps its own band of
//                 the sky (tiles 1-10 clear, 11-20, 21-30 and 31-40 with clouds or haze)

#include <string>
#include <vector>

namespace zv::zvdata::saver {

// Builds every source; false when one has a fault (the file is then not written).
bool BuildSaverData(const std::string& dataDir, const std::string& programDir,
                    std::vector<std::string>& written, std::vector<std::string>& problems);

// One source to its bytes (tests); problems name the file and line.
bool CompileSaverData(const std::string& name, const std::string& text, std::string* output,
                      std::vector<uint8_t>* bytes, std::vector<std::string>& problems);

}  // namespace zv::zvdata::saver
