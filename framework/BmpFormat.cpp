#include "framework/BmpFormat.h"

#include <algorithm>

namespace zv::fw {

void WidenCoreHeader(const uint8_t* core, uint8_t out[kBitmapInfoHeaderSize]) {
    std::fill(out, out + kBitmapInfoHeaderSize, uint8_t(0));
    BitmapInfoHeaderView h(out);
    h.SetSize(kBitmapInfoHeaderSize);
    h.SetWidth(ReadLe16(core + 4));
    h.SetHeight(ReadLe16(core + 6));
    h.SetPlanes(ReadLe16(core + 8));
    h.SetBitCount(ReadLe16(core + 10));
}

std::optional<ui::LogicalPalette> CreatePaletteFromDibInfo(std::span<const uint8_t> block) {
    if (block.size() < kBitmapInfoHeaderSize) return std::nullopt;
    const uint8_t* h = block.data();
    const uint32_t size = ReadLe32(h);
    if (size != kBitmapInfoHeaderSize) return std::nullopt;
    const uint16_t bits = ReadLe16(h + 14);
    const uint32_t n =
        (ReadLe32(h + 32) & 0xFFFF) != 0 ? (ReadLe32(h + 32) & 0xFFFF) : ColorCountByBits(bits);
    ui::LogicalPalette pal;
    pal.version = 0x300;
    if (n == 0) {
        if (bits != 24) return std::nullopt;
        // A colour cube for true-colour pictures.
        pal.entries.resize(256);
        for (int i = 0; i < 256; ++i) {
            pal.entries[i] = {uint8_t((i % 8) * 32), uint8_t(((i / 8) % 8) * 32),
                              uint8_t((i / 64) * 64), 0};
        }
        return pal;
    }
    pal.entries.assign(n, ui::PaletteEntry{});
    auto tableEntry = [&](uint32_t i) {
        const std::size_t at = size + std::size_t(i) * 4;
        if (at + 4 > block.size()) return ui::PaletteEntry{0, 0, 0, ui::PC_NOCOLLAPSE};
        return ui::PaletteEntry{block[at + 2], block[at + 1], block[at], ui::PC_NOCOLLAPSE};
    };
    // The first and the last entry name the system's black and white slots.
    pal.entries[0] = {0, 0, 0, ui::PC_EXPLICIT};
    for (uint32_t i = 1; i + 1 < n; ++i) pal.entries[i] = tableEntry(i);
    if (n == 256) pal.entries[255] = {0xFF, 0, 0, ui::PC_EXPLICIT};
    return pal;
}

}  // namespace zv::fw
