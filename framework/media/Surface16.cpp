#include "framework/media/Surface16.h"

#include <algorithm>

namespace zv::fw {

Surface16::Surface16(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(std::size_t(width_) * std::size_t(height_), 0) {}

namespace {
bool Inside(const ui::Rect& r, const ui::Rect& bounds) {
    return !r.IsEmpty() && r.left >= bounds.left && r.top >= bounds.top &&
           r.right <= bounds.right && r.bottom <= bounds.bottom;
}
}  // namespace

bool Surface16::CopyFrom(const Surface16& src, const ui::Rect& s, int x, int y,
                         const uint16_t* key) {
    ui::Rect d{x, y, x + s.Width(), y + s.Height()};
    if (!Inside(s, src.Bounds()) || !Inside(d, Bounds())) return false;
    int w = s.Width(), h = s.Height();
    // Rows in an order that reads each source row before it is overwritten.
    bool upward = &src == this && y > s.top;
    std::vector<uint16_t> row(static_cast<std::size_t>(w));
    for (int i = 0; i < h; ++i) {
        int r = upward ? h - 1 - i : i;
        const uint16_t* from = &src.pixels_[std::size_t(s.top + r) * src.width_ + s.left];
        std::copy(from, from + w, row.begin());
        uint16_t* to = &pixels_[std::size_t(y + r) * width_ + x];
        if (key) {
            for (int c = 0; c < w; ++c) {
                if (row[c] != *key) to[c] = row[c];
            }
        } else {
            std::copy(row.begin(), row.end(), to);
        }
    }
    return true;
}

bool Surface16::StretchFrom(const Surface16& src, const ui::Rect& s, const ui::Rect& d,
                            const uint16_t* key) {
    if (!Inside(s, src.Bounds()) || !Inside(d, Bounds())) return false;
    if (s.Width() == d.Width() && s.Height() == d.Height())
        return CopyFrom(src, s, d.left, d.top, key);
    std::vector<uint16_t> copy(src.pixels_);  // the source may be this surface
    for (int y = 0; y < d.Height(); ++y) {
        int sy = s.top + int(int64_t(y) * s.Height() / d.Height());
        for (int x = 0; x < d.Width(); ++x) {
            int sx = s.left + int(int64_t(x) * s.Width() / d.Width());
            uint16_t p = copy[std::size_t(sy) * src.width_ + sx];
            if (!key || p != *key) Set(d.left + x, d.top + y, p);
        }
    }
    return true;
}

bool Surface16::Fill(const ui::Rect& r, uint16_t value) {
    if (!Inside(r, Bounds())) return false;
    for (int y = r.top; y < r.bottom; ++y) {
        std::fill_n(&pixels_[std::size_t(y) * width_ + r.left], r.Width(), value);
    }
    return true;
}

void Surface16::ToPixels32(ui::Surface32 t) const {
    int w = std::min(width_, t.width), h = std::min(height_, t.height);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) t.Row(y)[x] = Pixel565To32(At(x, y));
    }
}

void Surface16::FromPixels32(const ui::Surface32& s) {
    int w = std::min(width_, s.width), h = std::min(height_, s.height);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) Set(x, y, Pixel32To565(s.Row(y)[x]));
    }
}

ui::Canvas* Surface16::GetCanvas() {
    if (canvas_) return canvas_.get();
    if (width_ == 0 || height_ == 0) return nullptr;
    shadow_.Resize(width_, height_);
    ToPixels32(shadow_.View());
    canvas_ = std::make_unique<ui::Canvas>(shadow_.View());
    return canvas_.get();
}

void Surface16::ReleaseCanvas() {
    if (!canvas_) return;
    canvas_.reset();
    FromPixels32(shadow_.View());
    shadow_.Resize(0, 0);
}

}  // namespace zv::fw
