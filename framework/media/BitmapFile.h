#pragma once

// Reading .bmp files of any common depth into 32-bit pixels, for the surfaces: 1, 4 and 8 bits
// with a colour table, 16 (5-5-5), 24 and 32 bits, uncompressed, bottom-up or top-down. Every
// size is checked against the file before use; a bad file is refused whole.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::fw {

struct BitmapImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;         // 0x00RRGGBB, top row first
    std::vector<ui::RgbQuad> colorTable;  // 8 bits or fewer: the colours the file lists
    int bitCount = 0;
};

std::optional<BitmapImage> ParseBitmapFile(const std::vector<uint8_t>& bytes, std::string* error);
std::optional<BitmapImage> ReadBitmapFile(const std::string& path, std::string* error);

}  // namespace zv::fw
