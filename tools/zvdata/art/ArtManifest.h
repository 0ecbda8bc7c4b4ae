#pragma once

// The manifest of one generated picture file (data/art/manifests/*.txt):
//
//   file NAME.bmp             the file written into the program directory
//   size W H                  its size in pixels
//   grid CW CH                its cell size; cells are addressed by column and row
//   palette NAME              data/art/palettes/NAME.pal
//   key INDEX                 transparent index (default 0); what no source covers
//   background INDEX          index the file starts filled with (default: the key)
//   filter night              every cell darkened as at night
//   swatches                  pixel i (row-major) shows palette entry i (the palette files)
//   dither                    error diffusion to the palette (full-screen pictures only: one
//                             cell covering the whole file)
//   include NAME.inc          the lines of data/art/manifests/NAME.inc, as if written here
//   cell COLS ROWS SOURCE [OPTIONS]
//
// COLS and ROWS are N or A-B. SOURCE is a path below data/art (an .svg drawing or a .px pixel
// picture). A cell line draws the source into every cell of the range; later lines draw over
// earlier ones. OPTIONS (LIST: values separated by commas, V*N repeats V N times; the value
// used is the one at the cell's place in the range, row by row, cycling):
//   team=LIST       team colours 0-5 for the placeholder colours
//   rotate=LIST     degrees clockwise about the cell centre
//   bits=LIST|col|~col   draw only the drawing's #base and the #bitJ groups of the set bits
//                   (col: the column number; ~col: 63 - column)
//   flip            mirrored left to right
//   box=X,Y,W,H     draw into this part of the cell only
//   trim            an .svg drawing's inked part, not its whole page, fills the box (its
//                   shape kept, centred): small figures on a wide page come out full size
//   grow=N          a silhouette grown by N pixels all round past what the drawing covers
//                   (a mask N pixels larger than its figure drawn with the same box)
//   grid=CW,CH origin=X,Y   another cell size and a pixel origin for this line's cells
//   night           this line darkened as at night
//   silhouette=#RRGGBB   every pixel the source covers takes this colour (masks, shapes);
//                   silhouette=key gives them the key index (black holes in a white mask)
#include <optional>

#include "tools/zvdata/art/ArtText.h"
#include <string>
#include <vector>

namespace zv::zvdata::art {

struct CellLine {
    int line = 0;       // in the manifest (or include) for messages
    std::string where;  // file name of that line
    int col0 = 0, col1 = 0, row0 = 0, row1 = 0;
    std::string source;
    std::vector<int> team, rotate, bits;
    enum class BitsFrom { None, List, Column, ColumnComplement } bitsFrom = BitsFrom::None;
    bool flip = false, night = false, trim = false;
    int grow = 0;
    std::optional<Rgb> silhouette;
    bool silhouetteKey = false;
    std::optional<std::vector<int>> box;  // x, y, w, h
    int cellW = 0, cellH = 0, originX = 0, originY = 0;
};

struct ArtManifest {
    std::string path;    // manifest file
    std::string output;  // file name below the program directory
    int width = 0, height = 0, cellW = 0, cellH = 0;
    std::string palette;
    int key = 0;
    int background = -1;
    bool night = false, swatches = false, dither = false;
    std::vector<CellLine> cells;
};

// Reads a manifest. includeDir is where include files are looked up.
bool ParseArtManifest(const std::string& path, const std::string& text,
                      const std::string& includeDir, ArtManifest& manifest,
                      std::vector<std::string>& problems);

// The value of a LIST option at ordinal i (cycling); fallback when the list is empty.
int ListValue(const std::vector<int>& list, int i, int fallback);

}  // namespace zv::zvdata::art
