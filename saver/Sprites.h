#pragma once

// Raster operations on 16-bit surfaces, as the scenes use them on their device contexts:
// copies, AND, OR and XOR of source words onto destination words, monochrome masks expanded
// to two colours, dotted XOR lines, merged ellipses and plain lines. Every operation is
// clipped to a rectangle of the destination (the scene area) and to both surfaces, and works
// on the 5-6-5 words exactly, so drawing the same thing twice with XOR restores the screen.

#include <cstdint>
#include <vector>

#include "framework/media/Surface16.h"

namespace zv::saver {

enum class Rop {
    Copy,    // SRCCOPY
    And,     // SRCAND
    Paint,   // SRCPAINT (OR)
    Invert,  // SRCINVERT (XOR)
};

// A 1-bit picture: 1 where the colour picture it was made from is white.
// White in the 5-6-5 screen format: the colour a mono mask's set pixels come from and go to.
inline constexpr uint16_t kWhite565 = 0xFFFF;

struct MonoBitmap {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;  // one byte per pixel, 0 or 1
    bool At(int x, int y) const { return bits[std::size_t(y) * width + x] != 0; }
};

MonoBitmap MakeMonoFromWhite(const fw::Surface16& src);

uint16_t Combine(Rop rop, uint16_t dst, uint16_t src);

// The rectangle (x, y, w, h) of dst gets rop(dst, src at (sx, sy)), limited to clip and to
// both surfaces. Returns the pixels drawn.
int BltRop(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
           int sy, Rop rop, const ui::Rect& clip);
// The same from a monochrome picture: 1 bits give `one`, 0 bits `zero`.
int BltMono(fw::Surface16& dst, int x, int y, int w, int h, const MonoBitmap& src, int sx, int sy,
            uint16_t one, uint16_t zero, Rop rop, const ui::Rect& clip);
// A source flipped left to right (the x of the copy runs backwards from sx + w - 1).
int BltRopMirrored(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src,
                   int sx, int sy, Rop rop, const ui::Rect& clip);
// Scaled (nearest pixel) copy of (sx, sy, sw, sh) onto (x, y, w, h).
int StretchRop(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
               int sy, int sw, int sh, Rop rop, const ui::Rect& clip);

// Copies the words of src that are not 0 (the key): sprites of a colour sheet on black.
int BltKeyed(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
             int sy, const ui::Rect& clip);

void FillRect(fw::Surface16& dst, const ui::Rect& r, uint16_t value, const ui::Rect& clip);
// A line from a to b, end point left out (as the pen draws it); dotted: every other pixel
// (starting with the first), combined with rop.
void DrawLine(fw::Surface16& dst, int x0, int y0, int x1, int y1, uint16_t value, Rop rop,
              bool dotted, const ui::Rect& clip);
// The outline of a circle of radius r about (cx, cy), combined with rop (R2_MERGEPEN: Paint).
void DrawCircle(fw::Surface16& dst, int cx, int cy, int r, uint16_t value, Rop rop,
                const ui::Rect& clip);

}  // namespace zv::saver
