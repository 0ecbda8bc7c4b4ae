#pragma once

// Builds every picture file of data/art into the program directory, and checks picture files.
//
//   data/art/palettes/NAME.pal      palettes (ArtPalette.h)
//   data/art/manifests/*.txt        one manifest per file (ArtManifest.h); unit pictures in
//   data/art/manifests/unit/*.txt   the unit folder
//   data/art/svg, data/art/px       the drawings and pixel pictures the manifests name
#include <string>
#include <vector>

namespace zv::zvdata::art {

struct ArtReport {
    bool ok = true;
    std::vector<std::string> written;
    std::vector<std::string> problems;
};

// Renders and writes every manifest's file; each written file is read back and checked.
ArtReport BuildArt(const std::string& dataDir, const std::string& programDir);

// Checks one written picture file: 8 bits per pixel, uncompressed, the game palette (from
// dataDir), and the size and grid the game reads it in. The name of the file below the program
// directory is taken from its path ("unit/" kept for unit pictures).
struct ArtCheck {
    bool ok = false;
    std::string summary;
    std::vector<std::string> problems;
};
ArtCheck CheckArtFile(const std::string& path, const std::string& dataDir);

// The manifest paths of data/art, sorted.
std::vector<std::string> ListArtManifests(const std::string& dataDir);

}  // namespace zv::zvdata::art
