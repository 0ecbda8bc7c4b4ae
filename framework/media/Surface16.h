#pragma once

// The off-screen pixel buffer behind every DrawSurface: 16-bit RGB 5-6-5 words, so that blends
// done on the words (the opening player's logo fade) are exact. Drawing through a device
// context goes through a 32-bit copy made by GetCanvas and written back by ReleaseCanvas; the
// channel widening repeats the high bits, so a pixel nothing drew on comes back unchanged.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Surface.h"

namespace zv::fw {

constexpr uint32_t kRed565Mask = 0xF800;
constexpr uint32_t kGreen565Mask = 0x07E0;
constexpr uint32_t kBlue565Mask = 0x001F;

// Colour value (0x00BBGGRR) to a 5-6-5 word: the high bits of each channel.
constexpr uint16_t ColorTo565(ui::ColorRef c) {
    return uint16_t(((ui::ColorRed(c) >> 3) << 11) | ((ui::ColorGreen(c) >> 2) << 5) |
                    (ui::ColorBlue(c) >> 3));
}
// A 5-6-5 word to 0x00RRGGBB with the high bits repeated into the low ones.
constexpr uint32_t Pixel565To32(uint16_t p) {
    uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}
constexpr uint16_t Pixel32To565(uint32_t p) {
    return uint16_t((((p >> 19) & 31) << 11) | (((p >> 10) & 63) << 5) | ((p >> 3) & 31));
}

class Surface16 {
  public:
    Surface16(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int PitchBytes() const { return width_ * 2; }
    uint16_t* Pixels() { return pixels_.data(); }
    const uint16_t* Pixels() const { return pixels_.data(); }
    uint16_t At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
    void Set(int x, int y, uint16_t p) { pixels_[std::size_t(y) * width_ + x] = p; }
    ui::Rect Bounds() const { return {0, 0, width_, height_}; }

    // Copies src's rectangle to (x, y); with a key, source words equal to it are left out.
    // Both rectangles must lie inside their surfaces (false and nothing drawn otherwise).
    // Overlapping copies within one surface work.
    bool CopyFrom(const Surface16& src, const ui::Rect& srcRect, int x, int y, const uint16_t* key);
    // Scales src's rectangle onto dstRect (nearest pixel), with the same rules.
    bool StretchFrom(const Surface16& src, const ui::Rect& srcRect, const ui::Rect& dstRect,
                     const uint16_t* key);
    bool Fill(const ui::Rect& r, uint16_t value);

    // Canvas over a 32-bit copy; valid until ReleaseCanvas writes the copy back.
    ui::Canvas* GetCanvas();
    void ReleaseCanvas();
    bool HasCanvas() const { return canvas_ != nullptr; }

    void ToPixels32(ui::Surface32 target) const;
    void FromPixels32(const ui::Surface32& source);

  private:
    int width_;
    int height_;
    std::vector<uint16_t> pixels_;
    ui::Surface32Buffer shadow_;
    std::unique_ptr<ui::Canvas> canvas_;
};

}  // namespace zv::fw
