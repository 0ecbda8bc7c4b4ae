#pragma once

// Draws the cells of a manifest and maps them to the palette. The one mapping rule: a pixel
// less than half covered stays the key (transparent, a hard edge for colour-keyed copies);
// any other pixel takes the nearest palette entry other than the key and entry 255 (which the
// game's palette loaders leave black), by squared RGB distance, the lowest index winning ties.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/zvdata/art/ArtManifest.h"
#include "tools/zvdata/art/ArtPalette.h"

namespace zv::zvdata::art {

struct IndexedPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // top row first
};

class ArtRenderer {
  public:
    explicit ArtRenderer(std::string artDir);
    ~ArtRenderer();
    ArtRenderer(const ArtRenderer&) = delete;
    ArtRenderer& operator=(const ArtRenderer&) = delete;

    bool Render(const ArtManifest& manifest, const ArtPalette& palette, IndexedPicture& out,
                std::vector<std::string>& problems);

  private:
    struct Sources;
    std::string artDir_;
    std::unique_ptr<Sources> sources_;
};

}  // namespace zv::zvdata::art
