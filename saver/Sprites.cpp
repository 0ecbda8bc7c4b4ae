#include "saver/Sprites.h"

#include <algorithm>
#include <cstdlib>

namespace zv::saver {

namespace {

// Clips the destination rectangle to clip and dst, moving the source corner with it.
bool ClipCopy(const fw::Surface16& dst, int& x, int& y, int& w, int& h, int& sx, int& sy, int srcW,
              int srcH, const ui::Rect& clip) {
    const ui::Rect limit{std::max(0, clip.left), std::max(0, clip.top),
                         std::min(dst.Width(), clip.right), std::min(dst.Height(), clip.bottom)};
    // Keep the source inside its picture first.
    if (sx < 0) x -= sx, w += sx, sx = 0;
    if (sx + w > srcW) w = srcW - sx;
    if (sy < 0) y -= sy, h += sy, sy = 0;
    if (sy + h > srcH) h = srcH - sy;
    if (x < limit.left) {
        const int cut = limit.left - x;
        x += cut, w -= cut, sx += cut;
    }
    if (x + w > limit.right) {
        const int cut = x + w - limit.right;
        w -= cut;
    }
    if (y < limit.top) {
        const int cut = limit.top - y;
        y += cut, h -= cut, sy += cut;
    }
    if (y + h > limit.bottom) h = limit.bottom - y;
    return w > 0 && h > 0;
}

void Plot(fw::Surface16& dst, int x, int y, uint16_t value, Rop rop, const ui::Rect& clip) {
    if (x < clip.left || y < clip.top || x >= clip.right || y >= clip.bottom) return;
    if (x < 0 || y < 0 || x >= dst.Width() || y >= dst.Height()) return;
    dst.Set(x, y, Combine(rop, dst.At(x, y), value));
}

}  // namespace

MonoBitmap MakeMonoFromWhite(const fw::Surface16& src) {
    MonoBitmap m;
    m.width = src.Width();
    m.height = src.Height();
    m.bits.resize(std::size_t(m.width) * m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            m.bits[std::size_t(y) * m.width + x] = src.At(x, y) == kWhite565 ? 1 : 0;
    return m;
}

uint16_t Combine(Rop rop, uint16_t dst, uint16_t src) {
    switch (rop) {
        case Rop::Copy: return src;
        case Rop::And: return uint16_t(dst & src);
        case Rop::Paint: return uint16_t(dst | src);
        case Rop::Invert: return uint16_t(dst ^ src);
    }
    return dst;
}

int BltRop(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
           int sy, Rop rop, const ui::Rect& clip) {
    if (!ClipCopy(dst, x, y, w, h, sx, sy, src.Width(), src.Height(), clip)) return 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            dst.Set(x + i, y + j, Combine(rop, dst.At(x + i, y + j), src.At(sx + i, sy + j)));
    return w * h;
}

int BltKeyed(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
             int sy, const ui::Rect& clip) {
    if (!ClipCopy(dst, x, y, w, h, sx, sy, src.Width(), src.Height(), clip)) return 0;
    int n = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const uint16_t v = src.At(sx + i, sy + j);
            if (v == 0) continue;
            dst.Set(x + i, y + j, v);
            ++n;
        }
    return n;
}

int BltRopMirrored(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src,
                   int sx, int sy, Rop rop, const ui::Rect& clip) {
    // Destination column i shows source column sx + w - 1 - i.
    const int l = std::max(0, clip.left), t = std::max(0, clip.top);
    const int r = std::min(dst.Width(), clip.right), b = std::min(dst.Height(), clip.bottom);
    int n = 0;
    for (int j = 0; j < h; ++j) {
        const int ty = y + j, syy = sy + j;
        if (ty < t || ty >= b || syy < 0 || syy >= src.Height()) continue;
        for (int i = 0; i < w; ++i) {
            const int tx = x + i, sxx = sx + w - 1 - i;
            if (tx < l || tx >= r || sxx < 0 || sxx >= src.Width()) continue;
            dst.Set(tx, ty, Combine(rop, dst.At(tx, ty), src.At(sxx, syy)));
            ++n;
        }
    }
    return n;
}

int BltMono(fw::Surface16& dst, int x, int y, int w, int h, const MonoBitmap& src, int sx, int sy,
            uint16_t one, uint16_t zero, Rop rop, const ui::Rect& clip) {
    if (!ClipCopy(dst, x, y, w, h, sx, sy, src.width, src.height, clip)) return 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            dst.Set(x + i, y + j,
                    Combine(rop, dst.At(x + i, y + j), src.At(sx + i, sy + j) ? one : zero));
    return w * h;
}

int StretchRop(fw::Surface16& dst, int x, int y, int w, int h, const fw::Surface16& src, int sx,
               int sy, int sw, int sh, Rop rop, const ui::Rect& clip) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return 0;
    int n = 0;
    for (int j = 0; j < h; ++j) {
        const int ty = y + j;
        if (ty < std::max(0, clip.top) || ty >= std::min(dst.Height(), clip.bottom)) continue;
        const int syy = sy + j * sh / h;
        if (syy < 0 || syy >= src.Height()) continue;
        for (int i = 0; i < w; ++i) {
            const int tx = x + i;
            if (tx < std::max(0, clip.left) || tx >= std::min(dst.Width(), clip.right)) continue;
            const int sxx = sx + i * sw / w;
            if (sxx < 0 || sxx >= src.Width()) continue;
            dst.Set(tx, ty, Combine(rop, dst.At(tx, ty), src.At(sxx, syy)));
            ++n;
        }
    }
    return n;
}

void FillRect(fw::Surface16& dst, const ui::Rect& r, uint16_t value, const ui::Rect& clip) {
    const int l = std::max({r.left, clip.left, 0}), t = std::max({r.top, clip.top, 0});
    const int rr = std::min({r.right, clip.right, dst.Width()});
    const int b = std::min({r.bottom, clip.bottom, dst.Height()});
    for (int y = t; y < b; ++y)
        for (int x = l; x < rr; ++x) dst.Set(x, y, value);
}

void DrawLine(fw::Surface16& dst, int x0, int y0, int x1, int y1, uint16_t value, Rop rop,
              bool dotted, const ui::Rect& clip) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    int err = dx + dy, n = 0;
    while (!(x0 == x1 && y0 == y1)) {
        if (!dotted || (n & 1) == 0) Plot(dst, x0, y0, value, rop, clip);
        ++n;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += stepX;
        if (e2 <= dx) err += dx, y0 += stepY;
    }
}

void DrawCircle(fw::Surface16& dst, int cx, int cy, int r, uint16_t value, Rop rop,
                const ui::Rect& clip) {
    if (r <= 0) {
        Plot(dst, cx, cy, value, rop, clip);
        return;
    }
    // Midpoint circle; each pixel once (XOR-safe), so the eight octants skip shared points.
    int x = r, y = 0, err = 1 - r;
    std::vector<std::pair<int, int>> pts;
    while (x >= y) {
        const std::pair<int, int> p[8] = {{x, y}, {y, x}, {-y, x}, {-x, y},
                                          {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
        for (const auto& q : p) pts.push_back(q);
        ++y;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            --x;
            err += 2 * (y - x) + 1;
        }
    }
    std::sort(pts.begin(), pts.end());
    pts.erase(std::unique(pts.begin(), pts.end()), pts.end());
    for (const auto& [px, py] : pts) Plot(dst, cx + px, cy + py, value, rop, clip);
}

}  // namespace zv::saver
