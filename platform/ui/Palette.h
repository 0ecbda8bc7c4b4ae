#pragma once

// Logical palettes and the one rule that maps a colour to a palette index.

#include <cstdint>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

// Palette entry flags of a logical palette.
constexpr uint8_t PC_RESERVED = 0x01;
constexpr uint8_t PC_EXPLICIT = 0x02;
constexpr uint8_t PC_NOCOLLAPSE = 0x04;

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// What the system called a logical palette: a version word and its entries.
struct LogicalPalette {
    uint16_t version = 0x300;
    std::vector<PaletteEntry> entries;
};

// The mapping rule, used for every colour drawn on an 8-bit surface:
//  - a palette-index colour (flag byte 0x01) names its index directly (low 8 bits);
//  - any other colour takes the entry with the smallest squared RGB distance
//    (dr*dr + dg*dg + db*db), the lowest index winning ties;
//  - an empty table gives index 0.
inline uint8_t NearestPaletteIndex(const RgbQuad* table, int count, ColorRef color) {
    if (IsPaletteIndex(color)) return uint8_t(color & 0xFF);
    if (table == nullptr || count <= 0) return 0;
    if (count > 256) count = 256;
    const int r = ColorRed(color), g = ColorGreen(color), b = ColorBlue(color);
    int best = 0;
    int bestDist = 0x7FFFFFFF;
    for (int i = 0; i < count; ++i) {
        const int dr = table[i].red - r, dg = table[i].green - g, db = table[i].blue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0) break;
        }
    }
    return uint8_t(best);
}

// The palette a device starts with: the twenty static colours (the first ten and the last ten
// of a 256-entry system palette).
inline const std::vector<PaletteEntry>& DefaultPalette() {
    static const std::vector<PaletteEntry> kEntries = {
        {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
        {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
        {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
        {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
        {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
    };
    return kEntries;
}

inline uint8_t NearestPaletteIndex(const IndexedSurface& s, ColorRef color) {
    return NearestPaletteIndex(s.palette, s.paletteSize, color);
}

}  // namespace zv::ui
