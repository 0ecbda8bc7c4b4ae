#pragma once

// Picture files and a program directory for the opening player's tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace zv::opening::testing {

// A 24-bit .bmp whose pixel (x, y) is colour(x, y) as 0x00RRGGBB.
inline void WriteBmp24(const std::string& path, int w, int h,
                       const std::function<uint32_t(int, int)>& colour) {
    const int rowBytes = (w * 3 + 3) & ~3;
    const uint32_t size = 54 + uint32_t(rowBytes) * h;
    std::vector<uint8_t> b(size, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &b[54 + std::size_t(h - 1 - y) * rowBytes];
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            row[3 * x] = uint8_t(c);
            row[3 * x + 1] = uint8_t(c >> 8);
            row[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), size);
}

}  // namespace zv::opening::testing
