// Canvas: copies between canvases, stretched, with raster operations or a colour key.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasInternal.h"
#include "platform/ui/Region.h"

namespace zv::ui {

using namespace canvasdetail;

namespace {

Rect ClampedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    auto clamp = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

int64_t ScaledOffset(int64_t i, int length, int over) {
    __extension__ using Wide = __int128;
    return int64_t(Wide(i) * length / over);
}

}  // namespace

// ---- blits ----

// Builds the conversion from the source's raw pixels to this canvas's raw pixels.
class Canvas::SourceReader {
  public:
    SourceReader(const Canvas& dst, const Canvas& src) : dst_(dst), src_(src) {
        if (src.indexed_) {
            const bool samePalette =
                dst.indexed_ && src.index_.paletteSize == dst.index_.paletteSize &&
                (src.index_.palette == dst.index_.palette ||
                 (src.index_.palette && dst.index_.palette &&
                  std::memcmp(src.index_.palette, dst.index_.palette,
                              std::size_t(src.index_.paletteSize) * sizeof(RgbQuad)) == 0));
            identity_ = samePalette;
            for (int i = 0; i < 256; ++i) {
                table_[i] =
                    samePalette ? uint32_t(i) : dst.MapColor(src.index_.ColorOf(uint8_t(i)));
            }
        }
    }
    // A plain copy of n pixels of one row (device coordinates on both sides, all inside).
    void CopyRow(Canvas& dst, int dx, int dy, int sx, int sy, int n) {
        if (src_.indexed_) {
            const uint8_t* s = src_.index_.Row(sy) + sx;
            if (dst.indexed_) {
                uint8_t* d = dst.index_.Row(dy) + dx;
                if (identity_) {
                    std::memmove(d, s, std::size_t(n));
                } else {
                    for (int i = 0; i < n; ++i) d[i] = uint8_t(table_[s[i]]);
                }
            } else {
                uint32_t* d = dst.rgb_.Row(dy) + dx;
                for (int i = 0; i < n; ++i) d[i] = table_[s[i]];
            }
            return;
        }
        const uint32_t* s = src_.rgb_.Row(sy) + sx;
        if (!dst.indexed_) {
            uint32_t* d = dst.rgb_.Row(dy) + dx;
            for (int i = 0; i < n; ++i) d[i] = s[i] & 0xFFFFFF;
            return;
        }
        uint8_t* d = dst.index_.Row(dy) + dx;
        for (int i = 0; i < n; ++i) d[i] = uint8_t(Convert(s[i] & 0xFFFFFF));
    }
    // A colour-keyed copy of one destination row: srcX[i] is the source column of destination
    // column dx + i (-1: outside the source). Pixels of the key colour are left out.
    void KeyedRow(Canvas& dst, int dx, int dy, int sy, const int* srcX, int n, ColorRef key,
                  bool keyIsIndex) {
        if (src_.indexed_) {
            if (keyTableFor_ != std::optional<std::pair<ColorRef, bool>>({key, keyIsIndex})) {
                for (int i = 0; i < 256; ++i) {
                    keyed_[i] = keyIsIndex ? uint32_t(i) == (key & 0xFF)
                                           : src_.RawToColor(uint32_t(i)) == (key & 0xFFFFFF);
                }
                keyTableFor_ = std::pair<ColorRef, bool>(key, keyIsIndex);
            }
            const uint8_t* s = src_.index_.Row(sy);
            if (dst.indexed_) {
                uint8_t* d = dst.index_.Row(dy) + dx;
                for (int i = 0; i < n; ++i) {
                    if (srcX[i] < 0) continue;
                    const uint8_t v = s[srcX[i]];
                    if (!keyed_[v]) d[i] = uint8_t(table_[v]);
                }
            } else {
                uint32_t* d = dst.rgb_.Row(dy) + dx;
                for (int i = 0; i < n; ++i) {
                    if (srcX[i] < 0) continue;
                    const uint8_t v = s[srcX[i]];
                    if (!keyed_[v]) d[i] = table_[v];
                }
            }
            return;
        }
        const uint32_t keyPixel = ToPixel32(key & 0xFFFFFF);
        const uint32_t* s = src_.rgb_.Row(sy);
        if (!dst.indexed_) {
            uint32_t* d = dst.rgb_.Row(dy) + dx;
            for (int i = 0; i < n; ++i) {
                if (srcX[i] < 0) continue;
                const uint32_t v = s[srcX[i]] & 0xFFFFFF;
                if (v != keyPixel) d[i] = v;
            }
            return;
        }
        uint8_t* d = dst.index_.Row(dy) + dx;
        for (int i = 0; i < n; ++i) {
            if (srcX[i] < 0) continue;
            const uint32_t v = s[srcX[i]] & 0xFFFFFF;
            if (v != keyPixel) d[i] = uint8_t(Convert(v));
        }
    }
    // Raw source pixel, unconverted.
    uint32_t Raw(int dx, int dy) const { return src_.ReadRaw(dx, dy); }
    ColorRef ColorOf(uint32_t raw) const { return src_.RawToColor(raw); }
    uint32_t Convert(uint32_t raw) {
        if (src_.indexed_) return table_[raw & 0xFF];
        if (!dst_.indexed_) return raw;
        auto it = cache_.find(raw);
        if (it != cache_.end()) return it->second;
        const uint32_t v = dst_.MapColor(FromPixel32(raw));
        cache_.emplace(raw, v);
        return v;
    }

  private:
    const Canvas& dst_;
    const Canvas& src_;
    uint32_t table_[256] = {};
    bool identity_ = false;
    bool keyed_[256] = {};
    std::optional<std::pair<ColorRef, bool>> keyTableFor_;
    std::unordered_map<uint32_t, uint32_t> cache_;
};

namespace {

uint32_t ApplyRop(uint32_t rop, uint32_t d, uint32_t s, uint32_t mask) {
    switch (rop) {
        case SRCPAINT:
            return (d | s) & mask;
        case SRCAND:
            return d & s;
        case SRCINVERT:
            return (d ^ s) & mask;
        case NOTSRCCOPY:
            return ~s & mask;
        default:
            return s;
    }
}

}  // namespace

bool Canvas::SharesPixels(const Canvas& other) const {
    if (indexed_ != other.indexed_) return false;
    return indexed_ ? index_.pixels == other.index_.pixels : rgb_.pixels == other.rgb_.pixels;
}

// The general copy: destination rectangle (device) and a mapping to source pixels (device).
// A key, when given, leaves out source pixels of that colour.
bool Canvas::CopyFrom(const Canvas& src, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                      uint32_t rop, std::optional<ColorRef> key) {
    if (!IsValid() || !src.IsValid()) return false;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    const bool scaled = sw != w || sh != h;
    // Device coordinates of both rectangles, in 64 bits: rectangles far outside the surfaces
    // must be clipped, not wrapped around.
    int64_t dx0 = int64_t(x) + origin_.x, dy0 = int64_t(y) + origin_.y;
    int64_t sx0 = int64_t(sx) + src.origin_.x, sy0 = int64_t(sy) + src.origin_.y;
    int64_t cw = w, ch = h;

    // Overlapping copies within one surface read from a snapshot of the source rectangle.
    Surface32Buffer snap32;
    std::vector<uint8_t> snap8;
    Canvas snapshot;
    const Canvas* from = &src;
    if (SharesPixels(src)) {
        const Rect srcRect = ClampedRect(sx0, sy0, sx0 + sw, sy0 + sh).Intersect(src.bounds_);
        if (srcRect.IsEmpty()) return false;
        if (src.indexed_) {
            snap8.resize(std::size_t(srcRect.Width()) * srcRect.Height());
            for (int r = 0; r < srcRect.Height(); ++r) {
                std::memcpy(&snap8[std::size_t(r) * srcRect.Width()],
                            src.index_.Row(srcRect.top + r) + srcRect.left,
                            std::size_t(srcRect.Width()));
            }
            IndexedSurface s = src.index_;
            s.pixels = snap8.data();
            s.width = srcRect.Width();
            s.height = srcRect.Height();
            s.stride = srcRect.Width();
            s.bottomUp = false;
            snapshot = Canvas(s, {0, 0}, s.Bounds());
        } else {
            snap32.Resize(srcRect.Width(), srcRect.Height());
            Surface32 v = snap32.View();
            for (int r = 0; r < srcRect.Height(); ++r) {
                std::memcpy(v.Row(r), src.rgb_.Row(srcRect.top + r) + srcRect.left,
                            std::size_t(srcRect.Width()) * 4);
            }
            snapshot = Canvas(v, {0, 0}, v.Bounds());
        }
        sx0 -= srcRect.left;
        sy0 -= srcRect.top;
        from = &snapshot;
    }

    SourceReader reader(*this, *from);
    const uint32_t mask = RawMask();
    const bool keyIsIndex = key && IsPaletteIndex(*key) && from->indexed_;
    const Rect srcBounds = from->bounds_;

    if (!scaled) {
        // Clip the source rectangle against its surface, moving the destination with it.
        if (sx0 < srcBounds.left) {
            cw -= srcBounds.left - sx0, dx0 += srcBounds.left - sx0, sx0 = srcBounds.left;
        }
        if (sy0 < srcBounds.top) {
            ch -= srcBounds.top - sy0, dy0 += srcBounds.top - sy0, sy0 = srcBounds.top;
        }
        cw = std::min<int64_t>(cw, srcBounds.right - sx0);
        ch = std::min<int64_t>(ch, srcBounds.bottom - sy0);
        if (cw <= 0 || ch <= 0) return false;
    }
    const Rect dstRect = ClampedRect(dx0, dy0, dx0 + cw, dy0 + ch);
    // The common case, a plain unscaled copy, goes a row at a time; the source rectangle is
    // already clipped to the source there.
    const bool plainCopy = !scaled && !key && rop == SRCCOPY;
    // Colour-keyed copies (sprites, masks) also go a row at a time, through a table of source
    // columns made once per clip rectangle.
    const bool keyedCopy = key && rop == SRCCOPY;
    std::vector<int> columns;
    for (const Rect& c : clip_) {
        const Rect d = dstRect.Intersect(c);
        if (d.IsEmpty()) continue;
        if (keyedCopy) {
            columns.resize(std::size_t(d.Width()));
            for (int px = d.left; px < d.right; ++px) {
                const int64_t i = px - dx0;
                const int64_t srcX = scaled ? sx0 + ScaledOffset(i, sw, w) : sx0 + i;
                columns[std::size_t(px - d.left)] =
                    srcX < srcBounds.left || srcX >= srcBounds.right ? -1 : int(srcX);
            }
            for (int py = d.top; py < d.bottom; ++py) {
                const int64_t j = py - dy0;
                const int64_t srcY = scaled ? sy0 + ScaledOffset(j, sh, h) : sy0 + j;
                if (srcY < srcBounds.top || srcY >= srcBounds.bottom) continue;
                reader.KeyedRow(*this, d.left, py, int(srcY), columns.data(), d.Width(), *key,
                                keyIsIndex);
            }
            continue;
        }
        for (int py = d.top; py < d.bottom; ++py) {
            if (plainCopy) {
                reader.CopyRow(*this, d.left, py, int(sx0 + (d.left - dx0)), int(sy0 + (py - dy0)),
                               d.Width());
                continue;
            }
            const int64_t j = py - dy0;
            const int64_t srcY = scaled ? sy0 + ScaledOffset(j, sh, h) : sy0 + j;
            if (srcY < srcBounds.top || srcY >= srcBounds.bottom) continue;
            for (int px = d.left; px < d.right; ++px) {
                const int64_t i = px - dx0;
                const int64_t srcX = scaled ? sx0 + ScaledOffset(i, sw, w) : sx0 + i;
                if (srcX < srcBounds.left || srcX >= srcBounds.right) continue;
                const uint32_t raw = reader.Raw(int(srcX), int(srcY));
                if (key) {
                    if (keyIsIndex ? raw == (*key & 0xFF)
                                   : reader.ColorOf(raw) == (*key & 0xFFFFFF)) {
                        continue;
                    }
                }
                const uint32_t s = reader.Convert(raw);
                WriteRaw(px, py, ApplyRop(rop, ReadRaw(px, py), s, mask));
            }
        }
    }
    return true;
}

bool Canvas::BitBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, uint32_t rop) {
    if (IsPatternRop(rop)) return PatBlt(x, y, w, h, rop);
    if (!NeedsSource(rop)) return false;
    return CopyFrom(src, x, y, w, h, sx, sy, w, h, rop, std::nullopt);
}

bool Canvas::StretchBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, int sw,
                        int sh, uint32_t rop) {
    if (IsPatternRop(rop)) return PatBlt(x, y, w, h, rop);
    if (!NeedsSource(rop)) return false;
    return CopyFrom(src, x, y, w, h, sx, sy, sw, sh, rop, std::nullopt);
}

bool Canvas::TransparentBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, int sw,
                            int sh, ColorRef key) {
    return CopyFrom(src, x, y, w, h, sx, sy, sw, sh, SRCCOPY, key);
}

}  // namespace zv::ui
