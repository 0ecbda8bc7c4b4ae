#pragma once

// Pixel surfaces the canvas draws on, and the small geometry and colour types shared by the
// UI layer. Header-only on purpose: framework's Dib exposes an IndexedSurface without linking
// the UI library.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::ui {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive, as in the system the game was written for.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Sizes and moves that leave the range of int are held at its ends rather than wrapped.
    constexpr int Width() const { return Saturate(int64_t(right) - left); }
    constexpr int Height() const { return Saturate(int64_t(bottom) - top); }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    constexpr Rect Offset(int dx, int dy) const {
        return {Saturate(int64_t(left) + dx), Saturate(int64_t(top) + dy),
                Saturate(int64_t(right) + dx), Saturate(int64_t(bottom) + dy)};
    }
    // Empty results are normalised to {0,0,0,0}.
    constexpr Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    friend bool operator==(const Rect&, const Rect&) = default;

    static constexpr int Saturate(int64_t v) {
        return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : int(v);
    }
};

// Colours are the game's 32-bit colour values: 0x00BBGGRR, red in the low byte. The high byte
// is a flag: 0x01 names a palette index in the low 16 bits, 0x02 asks for the nearest palette
// colour. The canvas treats 0x00 and 0x02 alike (see Palette.h for the mapping rule).
using ColorRef = uint32_t;

constexpr ColorRef kColorInvalid = 0xFFFFFFFFu;

constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return ColorRef(r) | (ColorRef(g) << 8) | (ColorRef(b) << 16);
}
constexpr ColorRef PaletteRgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0x02000000u | Rgb(r, g, b);
}
constexpr ColorRef PaletteIndex(uint16_t i) {
    return 0x01000000u | i;
}
constexpr bool IsPaletteIndex(ColorRef c) {
    return (c >> 24) == 0x01;
}
constexpr uint8_t ColorRed(ColorRef c) {
    return uint8_t(c);
}
constexpr uint8_t ColorGreen(ColorRef c) {
    return uint8_t(c >> 8);
}
constexpr uint8_t ColorBlue(ColorRef c) {
    return uint8_t(c >> 16);
}

// 32-bit surface pixels are 0x00RRGGBB (SDL's XRGB8888).
constexpr uint32_t ToPixel32(ColorRef c) {
    return (uint32_t(ColorRed(c)) << 16) | (uint32_t(ColorGreen(c)) << 8) | ColorBlue(c);
}
constexpr ColorRef FromPixel32(uint32_t p) {
    return Rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
}

// A view of 32-bit pixels owned elsewhere. Row y starts at pixels + y * stride (top-down).
struct Surface32 {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // in pixels, >= width

    bool IsValid() const { return pixels != nullptr && width > 0 && height > 0; }
    uint32_t* Row(int y) const { return pixels + std::ptrdiff_t(y) * stride; }
    Rect Bounds() const { return {0, 0, width, height}; }
};

// An owned 32-bit pixel buffer (the screen, a window's back buffer, a test target).
class Surface32Buffer {
  public:
    Surface32Buffer() = default;
    Surface32Buffer(int width, int height, uint32_t fill = 0) { Resize(width, height, fill); }

    void Resize(int width, int height, uint32_t fill = 0) {
        width_ = std::max(0, width);
        height_ = std::max(0, height);
        pixels_.assign(std::size_t(width_) * std::size_t(height_), fill);
    }
    Surface32 View() { return {pixels_.data(), width_, height_, width_}; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

  private:
    std::vector<uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
};

// One colour-table entry as stored in bitmap files and Dib headers: blue, green, red, reserved.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
};
static_assert(sizeof(RgbQuad) == 4 && alignof(RgbQuad) == 1);

// A view of 8-bit palette-indexed pixels owned elsewhere (a Dib). Coordinates have y = 0 at the
// top row; when bottomUp is set the first row in memory is the bottom row of the picture.
struct IndexedSurface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row in memory, >= width
    bool bottomUp = true;
    const RgbQuad* palette = nullptr;  // paletteSize entries
    int paletteSize = 0;               // 0..256

    bool IsValid() const { return pixels != nullptr && width > 0 && height > 0; }
    uint8_t* Row(int y) const {
        int memRow = bottomUp ? height - 1 - y : y;
        return pixels + std::ptrdiff_t(memRow) * stride;
    }
    Rect Bounds() const { return {0, 0, width, height}; }
    // The colour of a palette index; black for an index the table does not hold.
    ColorRef ColorOf(uint8_t index) const {
        if (palette == nullptr || index >= paletteSize) return 0;
        const RgbQuad& q = palette[index];
        return Rgb(q.red, q.green, q.blue);
    }
};

}  // namespace zv::ui
