#pragma once

// A plain reader of 8-bit .bmp files for checking and showing them: it reports what is wrong
// instead of guessing.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/zvdata/art/ArtText.h"

namespace zv::zvdata::art {

struct BmpImage {
    int width = 0, height = 0, bitCount = 0;
    std::vector<Rgb> colours;          // the colour table
    std::vector<std::uint8_t> pixels;  // top row first, one index per pixel
    std::size_t fileBytes = 0;         // the whole file
    std::size_t pictureBytes = 0;      // where the last pixel row ends
};

// False with a message for anything but an uncompressed 8-bit bottom-up .bmp.
bool ReadBmpImage(const std::string& path, BmpImage& image, std::string& error);

}  // namespace zv::zvdata::art
