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
// kind records (any block of fixed-size records, described field by field):
//   size BYTES / record BYTES / first OFFSET      the block, a record, where record 0 starts
//   field NAME OFFSET TYPE[*COUNT]                 TYPE u8 i8 u16 i16 u32 i32 or textN
//   rec INDEX|+ NAME=V[,V...] ...                  values little-endian; in text '_' is a space
//   also FILE [record BYTES]                       a copy in another file (longer records)
// Bytes no record sets stay 0.
//
// kind hexmap (a 64 x 64 hex map: a 256-byte letter table, a 256-byte header of the packed
// lengths of the two planes and of the title, the planes packed by runs, then the title):
//   letter CHAR VALUE / title TEXT / terrain (64 rows of 64 letters) / units (64 rows; '.' 0)
//   also FILE (a copy in another file)
// Runs: a byte unlike the next is itself; a pair of equal bytes is followed by the number of
// copies (1-255); a pair followed by 0 ends the plane.
//
// kind sky (the title-9 sky layouts, 36 layouts of 16 x 10 tile numbers, 5,760 bytes):
//   seed N        the layouts are drawn from this seed: each tile row keeps its own band of
//                 the sky (tiles 1-10 clear, 11-20, 21-30 and 31-40 with clouds or haze)

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zv::zvdata::saver {

// Builds every source; false when one has a fault (the file is then not written).
bool BuildSaverData(const std::string& dataDir, const std::string& programDir,
                    std::vector<std::string>& written, std::vector<std::string>& problems);

// One source to its bytes (tests); problems name the file and line.
bool CompileSaverData(const std::string& name, const std::string& text, std::string* output,
                      std::vector<uint8_t>* bytes, std::vector<std::string>& problems);

// The two generic kinds (CompileSaverData hands them on), and the run packing of a plane.
bool CompileRecordBlock(const std::string& name, const std::string& text, std::string* output,
                        std::vector<uint8_t>* bytes, std::vector<std::string>& problems);
bool CompileHexMap(const std::string& name, const std::string& text, std::string* output,
                   std::vector<uint8_t>* bytes, std::vector<std::string>& problems);
std::vector<uint8_t> PackRuns(const std::vector<uint8_t>& plane);
// The copies a records or hexmap source asks for with `also FILE` (the same bytes) or
// `also FILE record BYTES` (each record at the start of a longer one).
std::vector<std::pair<std::string, std::vector<uint8_t>>> AlsoOutputs(
    const std::string& name, const std::string& text, const std::vector<uint8_t>& bytes,
    std::vector<std::string>& problems);

}  // namespace zv::zvdata::saver
