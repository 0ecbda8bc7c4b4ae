// Canvas: construction, stock objects, clipping, drawing state and pixels. Shapes, blits and
// text live in CanvasShapes.cpp, CanvasBlit.cpp and CanvasText.cpp.
#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/ui/CanvasInternal.h"
#include "platform/ui/Region.h"
#include "platform/ui/SysColors.h"

namespace zv::ui {

using namespace canvasdetail;

namespace {

// Hatch patterns on an 8 x 8 cell aligned to the canvas origin.
bool HatchBit(int hatch, int px, int py) {
    const bool horizontal = py == 3;
    const bool vertical = px == 3;
    const bool forward = px == py;       // top left to bottom right
    const bool backward = px + py == 7;  // bottom left to top right
    switch (hatch) {
        case HS_HORIZONTAL:
            return horizontal;
        case HS_VERTICAL:
            return vertical;
        case HS_FDIAGONAL:
            return forward;
        case HS_BDIAGONAL:
            return backward;
        case HS_CROSS:
            return horizontal || vertical;
        case HS_DIAGCROSS:
            return forward || backward;
        default:
            return false;
    }
}

}  // namespace

Brush StockBrush(int id) {
    switch (id) {
        case WHITE_BRUSH:
            return Brush::SolidColor(Rgb(255, 255, 255));
        case LTGRAY_BRUSH:
            return Brush::SolidColor(Rgb(192, 192, 192));
        case GRAY_BRUSH:
            return Brush::SolidColor(Rgb(128, 128, 128));
        case DKGRAY_BRUSH:
            return Brush::SolidColor(Rgb(64, 64, 64));
        case BLACK_BRUSH:
            return Brush::SolidColor(Rgb(0, 0, 0));
        default:
            return Brush::Hollow();
    }
}

Pen StockPen(int id) {
    switch (id) {
        case WHITE_PEN:
            return {PS_SOLID, 1, Rgb(255, 255, 255)};
        case BLACK_PEN:
            return {PS_SOLID, 1, Rgb(0, 0, 0)};
        default:
            return {PS_NULL, 1, 0};
    }
}

Canvas::Canvas(Surface32 target) : rgb_(target) {
    InitClip(target.Bounds());
}

Canvas::Canvas(IndexedSurface target) : index_(target), indexed_(true) {
    InitClip(target.Bounds());
}

Canvas::Canvas(Surface32 target, Point origin, Rect clip) : rgb_(target), origin_(origin) {
    InitClip(clip);
}

Canvas::Canvas(IndexedSurface target, Point origin, Rect clip)
    : index_(target), indexed_(true), origin_(origin) {
    InitClip(clip);
}

void Canvas::InitClip(Rect clip) {
    // A new context draws in the window colours of the system table.
    textColor_ = GetSysColor(COLOR_WINDOWTEXT);
    bkColor_ = GetSysColor(COLOR_WINDOW);
    bounds_ = IsValid() ? (indexed_ ? index_.Bounds() : rgb_.Bounds()) : Rect{};
    visible_.clear();
    const Rect c = clip.Intersect(bounds_);
    if (!c.IsEmpty()) visible_.push_back(c);
    clip_ = visible_;
}

// ---- clipping ----

Rect Canvas::ClipBox() const {
    if (clip_.empty()) return {};
    Rect box = clip_.front();
    for (const Rect& r : clip_) {
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    }
    return box.Offset(-origin_.x, -origin_.y);
}

void Canvas::SetClipRect(const Rect& r) {
    clip_ = visible_;
    IntersectClipRect(r);
}

void Canvas::ResetClip() {
    clip_ = visible_;
}

void Canvas::IntersectClipRect(const Rect& r) {
    const Rect d = r.Offset(origin_.x, origin_.y);
    std::vector<Rect> next;
    for (const Rect& c : clip_) {
        const Rect i = c.Intersect(d);
        if (!i.IsEmpty()) next.push_back(i);
    }
    clip_ = std::move(next);
}

void Canvas::ExcludeClipRect(const Rect& r) {
    const Rect d = r.Offset(origin_.x, origin_.y);
    std::vector<Rect> next;
    for (const Rect& c : clip_) SubtractRect(c, d, next);
    clip_ = std::move(next);
}

void Canvas::ExcludeFromVisibleRegion(const Rect& surfaceRect) {
    std::vector<Rect> next;
    for (const Rect& c : visible_) SubtractRect(c, surfaceRect, next);
    visible_ = std::move(next);
    next.clear();
    for (const Rect& c : clip_) SubtractRect(c, surfaceRect, next);
    clip_ = std::move(next);
}

void Canvas::SetVisibleRegion(std::span<const Rect> surfaceRects) {
    visible_.clear();
    for (const Rect& r : surfaceRects) {
        const Rect c = r.Intersect(bounds_);
        if (!c.IsEmpty()) visible_.push_back(c);
    }
    clip_ = visible_;
}

bool Canvas::PtVisible(int x, int y) const {
    const int dx = x + origin_.x, dy = y + origin_.y;
    for (const Rect& c : clip_) {
        if (c.Contains(dx, dy)) return true;
    }
    return false;
}

// ---- state ----

Pen Canvas::SelectPen(const Pen& pen) {
    return std::exchange(pen_, pen);
}
Brush Canvas::SelectBrush(const Brush& brush) {
    return std::exchange(brush_, brush);
}
Font Canvas::SelectFont(const Font& font) {
    return std::exchange(font_, font);
}
ColorRef Canvas::SetTextColor(ColorRef c) {
    return std::exchange(textColor_, c);
}
ColorRef Canvas::SetBkColor(ColorRef c) {
    return std::exchange(bkColor_, c);
}
int Canvas::SetBkMode(int mode) {
    return (mode == TRANSPARENT || mode == OPAQUE) ? std::exchange(bkMode_, mode) : 0;
}
uint32_t Canvas::SetTextAlign(uint32_t align) {
    return std::exchange(textAlign_, align);
}
int Canvas::SetRop2(int mode) {
    return (mode >= R2_BLACK && mode <= R2_WHITE) ? std::exchange(rop2_, mode) : 0;
}
int Canvas::SetPolyFillMode(int mode) {
    return (mode == ALTERNATE || mode == WINDING) ? std::exchange(fillMode_, mode) : 0;
}
void Canvas::SetPalette(const RgbQuad* table, int count) {
    palette32_ = table;
    palette32Size_ = table ? std::clamp(count, 0, 256) : 0;
}

// ---- raw pixels ----

uint32_t Canvas::MapColor(ColorRef c) const {
    if (indexed_) return NearestPaletteIndex(index_, c);
    if (IsPaletteIndex(c)) {
        const unsigned i = c & 0xFFFF;
        if (palette32_ == nullptr || int(i) >= palette32Size_) return 0;
        const RgbQuad& q = palette32_[i];
        return ToPixel32(Rgb(q.red, q.green, q.blue));
    }
    return ToPixel32(c & 0xFFFFFF);
}

ColorRef Canvas::RawToColor(uint32_t raw) const {
    return indexed_ ? index_.ColorOf(uint8_t(raw)) : FromPixel32(raw);
}

uint32_t Canvas::RawMask() const {
    return indexed_ ? 0xFFu : 0xFFFFFFu;
}

uint32_t Canvas::ReadRaw(int dx, int dy) const {
    return indexed_ ? index_.Row(dy)[dx] : (rgb_.Row(dy)[dx] & 0xFFFFFF);
}

void Canvas::WriteRaw(int dx, int dy, uint32_t raw) {
    if (indexed_) {
        index_.Row(dy)[dx] = uint8_t(raw);
    } else {
        rgb_.Row(dy)[dx] = raw & 0xFFFFFF;
    }
}

uint32_t Canvas::Mix(int rop2, uint32_t dst, uint32_t pen) const {
    const uint32_t mask = RawMask();
    switch (rop2) {
        case R2_BLACK:
            return 0;
        case R2_WHITE:
            return mask;
        case R2_NOT:
            return ~dst & mask;
        case R2_XORPEN:
            return (dst ^ pen) & mask;
        case R2_NOTXORPEN:
            return ~(dst ^ pen) & mask;
        case R2_MASKPEN:
            return dst & pen;
        case R2_MERGEPEN:
            return (dst | pen) & mask;
        case R2_NOP:
            return dst;
        default:
            return pen;
    }
}

void Canvas::SpanDevice(int y, int x0, int x1, uint32_t raw, int rop2) {
    for (const Rect& c : clip_) {
        if (y < c.top || y >= c.bottom) continue;
        const int a = std::max(x0, c.left), b = std::min(x1, c.right);
        if (a >= b) continue;
        if (indexed_) {
            uint8_t* row = index_.Row(y);
            if (rop2 == R2_COPYPEN) {
                std::memset(row + a, int(raw & 0xFF), std::size_t(b - a));
            } else {
                for (int x = a; x < b; ++x) row[x] = uint8_t(Mix(rop2, row[x], raw));
            }
        } else {
            uint32_t* row = rgb_.Row(y);
            if (rop2 == R2_COPYPEN) {
                std::fill(row + a, row + b, raw & 0xFFFFFF);
            } else {
                for (int x = a; x < b; ++x) row[x] = Mix(rop2, row[x] & 0xFFFFFF, raw);
            }
        }
    }
}

void Canvas::PlotDevice(int dx, int dy, uint32_t raw, int rop2) {
    SpanDevice(dy, dx, Rect::Saturate(int64_t(dx) + 1), raw, rop2);  // no surface reaches INT_MAX
}

void Canvas::FillSpanBrush(int y, int x0, int x1, const Brush& brush, int rop2) {
    if (x0 >= x1) return;
    switch (brush.kind) {
        case BrushKind::Null:
            return;
        case BrushKind::Solid:
            SpanDevice(y, x0, x1, MapColor(brush.color), rop2);
            return;
        case BrushKind::Hatched: {
            const uint32_t fg = MapColor(brush.color);
            const uint32_t bg = MapColor(bkColor_);
            const int py = ((y - origin_.y) % 8 + 8) % 8;
            for (int x = x0; x < x1; ++x) {
                const int px = ((x - origin_.x) % 8 + 8) % 8;
                if (HatchBit(brush.hatch, px, py)) {
                    SpanDevice(y, x, x + 1, fg, rop2);
                } else if (bkMode_ == OPAQUE) {
                    SpanDevice(y, x, x + 1, bg, rop2);
                }
            }
            return;
        }
    }
}

// ---- pixels ----

ColorRef Canvas::SetPixel(int x, int y, ColorRef c) {
    if (!PtVisible(x, y)) return kColorInvalid;
    const uint32_t raw = MapColor(c);
    WriteRaw(x + origin_.x, y + origin_.y, raw);
    return RawToColor(raw);
}

ColorRef Canvas::GetPixel(int x, int y) const {
    if (!PtVisible(x, y)) return kColorInvalid;
    return RawToColor(ReadRaw(x + origin_.x, y + origin_.y));
}

std::optional<uint32_t> Canvas::GetRawPixel(int x, int y) const {
    if (!PtVisible(x, y)) return std::nullopt;
    return ReadRaw(x + origin_.x, y + origin_.y);
}

}  // namespace zv::ui
