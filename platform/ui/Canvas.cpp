#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/ui/Region.h"

namespace zv::ui {

struct Canvas::Span {
    int y;
    int x0;
    int x1;  // exclusive
};

namespace {

Rect Normalised(int l, int t, int r, int b) {
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// The rectangle moved in by d on every side; sides at the ends of the int range stay there.
Rect Inset(const Rect& r, int d) {
    return {Rect::Saturate(int64_t(r.left) + d), Rect::Saturate(int64_t(r.top) + d),
            Rect::Saturate(int64_t(r.right) - d), Rect::Saturate(int64_t(r.bottom) - d)};
}

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

// Dash patterns of one-pixel pens: lengths of alternating on and off runs.
std::span<const int> DashPattern(int style) {
    static constexpr int kDash[] = {18, 6};
    static constexpr int kDot[] = {3, 3};
    static constexpr int kDashDot[] = {9, 6, 3, 6};
    static constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
        case PS_DASH:
            return kDash;
        case PS_DOT:
            return kDot;
        case PS_DASHDOT:
            return kDashDot;
        case PS_DASHDOTDOT:
            return kDashDotDot;
        default:
            return {};
    }
}

int FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return int(q);
}

// Where the edge a-b crosses the scan line y2 / 2: the first pixel centre at or right of
// x = a.x + (y2 - 2 a.y) (b.x - a.x) / (2 b.y - 2 a.y), that is ceil(x - 1/2). The products of
// far-away points need more than 64 bits; the result is held to [lo, hi], which changes no
// span within that range.
int EdgeCrossing(Point a, Point b, int64_t y2, int lo, int hi) {
    __extension__ using Wide = __int128;
    Wide den = 2 * (Wide(b.y) - a.y);
    Wide num = Wide(a.x) * den + (Wide(y2) - 2 * Wide(a.y)) * (Wide(b.x) - a.x);
    if (den < 0) {
        den = -den;
        num = -num;
    }
    const Wide n = 2 * num - den, d = 2 * den;
    Wide q = n / d;
    if (n % d != 0 && n > 0) ++q;  // division truncates toward zero; round up
    return q < lo ? lo : q > hi ? hi : int(q);
}

// A rectangle given in 64-bit coordinates, held to the range of int; surfaces lie well inside
// it, so clipping against them gives the same result.
Rect ClampedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    auto clamp = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

// Text positions beyond this distance lie off every surface, whatever the text.
int HoldTextCoordinate(int v) {
    constexpr int kFar = 1 << 28;
    return std::clamp(v, -kFar, kFar);
}

// The source offset of destination offset i when `length` source pixels stretch over `over`.
int64_t ScaledOffset(int64_t i, int length, int over) {
    __extension__ using Wide = __int128;
    return int64_t(Wide(i) * length / over);
}

bool NeedsSource(uint32_t rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
           rop == NOTSRCCOPY;
}

bool IsPatternRop(uint32_t rop) {
    return rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS ||
           rop == WHITENESS;
}

// Segments longer than this are cut to the clip box before they are stepped along, so that a
// line to a far-away point costs no more than its visible part.
constexpr int64_t kLongSegment = 32768;

// Cuts the segment to the box grown by the margin; false when nothing of it is inside. The
// distance its start moved (in steps) goes to *skipped.
bool CutLongSegment(int& x0, int& y0, int& x1, int& y1, const Rect& clip, int margin,
                    int64_t* skipped) {
    *skipped = 0;
    const int64_t length = std::max(std::abs(int64_t(x1) - x0), std::abs(int64_t(y1) - y0));
    if (length <= kLongSegment) return true;
    const Rect box{clip.left - margin, clip.top - margin, clip.right + margin,
                   clip.bottom + margin};
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    double t0 = 0, t1 = 1;
    auto limit = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!limit(-dx, double(x0) - box.left) || !limit(dx, double(box.right - 1) - x0) ||
        !limit(-dy, double(y0) - box.top) || !limit(dy, double(box.bottom - 1) - y0)) {
        return false;
    }
    const int nx0 = int(std::lround(x0 + t0 * dx)), ny0 = int(std::lround(y0 + t0 * dy));
    const int nx1 = int(std::lround(x0 + t1 * dx)), ny1 = int(std::lround(y0 + t1 * dy));
    *skipped = std::max(std::abs(int64_t(nx0) - x0), std::abs(int64_t(ny0) - y0));
    x0 = nx0, y0 = ny0, x1 = nx1, y1 = ny1;
    return true;
}

bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// Bresenham from (x, y) to (x1, y1), the end point only when includeEnd.
template <class Plot>
void WalkLine(int x, int y, int x1, int y1, bool includeEnd, Plot plot) {
    const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        const bool atEnd = x == x1 && y == y1;
        if (atEnd && !includeEnd) break;
        plot(x, y);
        if (atEnd) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
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

// ---- lines ----

Point Canvas::MoveTo(int x, int y) {
    return std::exchange(current_, Point{x, y});
}

void Canvas::LineTo(int x, int y) {
    const Point pts[2] = {current_, {x, y}};
    Polyline(pts);
    current_ = {x, y};
}

// A one-pixel line from a to b, b excluded (Bresenham), honouring the pen's dashes.
void Canvas::StrokeLine(Point a, Point b, int& dashPhase) {
    const uint32_t fg = MapColor(pen_.color);
    const uint32_t bg = MapColor(bkColor_);
    const std::span<const int> dashes = DashPattern(pen_.style);
    int period = 0;
    for (int d : dashes) period += d;

    int x = a.x + origin_.x, y = a.y + origin_.y;
    int x1 = b.x + origin_.x, y1 = b.y + origin_.y;
    int64_t skipped = 0;
    if (clip_.empty() ||
        !CutLongSegment(x, y, x1, y1, ClipBox().Offset(origin_.x, origin_.y), 2, &skipped)) {
        return;
    }
    if (period > 0) dashPhase = int((dashPhase + skipped) % period);
    WalkLine(x, y, x1, y1, false, [&](int px, int py) {
        bool on = true;
        if (period > 0) {
            int pos = dashPhase % period;
            for (std::size_t i = 0; i < dashes.size(); ++i) {
                if (pos < dashes[i]) {
                    on = (i % 2) == 0;
                    break;
                }
                pos -= dashes[i];
            }
            ++dashPhase;
        }
        if (on) {
            PlotDevice(px, py, fg, rop2_);
        } else if (bkMode_ == OPAQUE) {
            PlotDevice(px, py, bg, rop2_);
        }
    });
}

// Pens wider than one pixel: a round brush of the pen's width swept along every segment, end
// points included, gathered in a mask first so that mixing modes touch each pixel once.
void Canvas::StrokeWide(std::span<const Point> points, bool closed) {
    if (points.empty()) return;
    const int w = pen_.width;
    const int lo = -(w / 2), hi = lo + w - 1;
    const Rect clipBox = ClipBox().Offset(origin_.x, origin_.y);
    if (clipBox.IsEmpty()) return;
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const Point& p : points) {
        const int64_t x = int64_t(p.x) + origin_.x, y = int64_t(p.y) + origin_.y;
        box.left = std::min(box.left, Rect::Saturate(x + lo));
        box.top = std::min(box.top, Rect::Saturate(y + lo));
        box.right = std::max(box.right, Rect::Saturate(x + hi + 1));
        box.bottom = std::max(box.bottom, Rect::Saturate(y + hi + 1));
    }
    box = box.Intersect(clipBox);
    if (box.IsEmpty()) return;
    const int bw = box.Width(), bh = box.Height();
    std::vector<uint8_t> mask(std::size_t(bw) * bh, 0);
    std::vector<Point> disc;
    const int twiceCentre = lo + hi;
    for (int j = lo; j <= hi; ++j) {
        for (int i = lo; i <= hi; ++i) {
            const int u = 2 * i - twiceCentre, v = 2 * j - twiceCentre;
            if (u * u + v * v <= w * w) disc.push_back({i, j});
        }
    }
    auto stamp = [&](int64_t x, int64_t y) {
        if (x + lo >= box.right || x + hi < box.left || y + lo >= box.bottom || y + hi < box.top) {
            return;
        }
        for (const Point& d : disc) {
            const int64_t px = x + d.x - box.left, py = y + d.y - box.top;
            if (px >= 0 && px < bw && py >= 0 && py < bh) mask[std::size_t(py * bw + px)] = 1;
        }
    };
    const std::size_t n = points.size();
    const std::size_t segments = closed ? n : n - 1;
    if (n == 1) stamp(int64_t(points[0].x) + origin_.x, int64_t(points[0].y) + origin_.y);
    for (std::size_t s = 0; s < segments; ++s) {
        const Point a = points[s], b = points[(s + 1) % n];
        int x = a.x + origin_.x, y = a.y + origin_.y;
        int x1 = b.x + origin_.x, y1 = b.y + origin_.y;
        int64_t skipped = 0;
        if (!CutLongSegment(x, y, x1, y1, clipBox, w + 2, &skipped)) continue;
        WalkLine(x, y, x1, y1, true, stamp);
    }
    const uint32_t fg = MapColor(pen_.color);
    for (int py = 0; py < bh; ++py) {
        int px = 0;
        while (px < bw) {
            if (!mask[std::size_t(py) * bw + px]) {
                ++px;
                continue;
            }
            const int start = px;
            while (px < bw && mask[std::size_t(py) * bw + px]) ++px;
            SpanDevice(box.top + py, box.left + start, box.left + px, fg, rop2_);
        }
    }
}

void Canvas::StrokePath(std::span<const Point> points, bool closed) {
    if (pen_.style == PS_NULL || points.size() < 2) return;
    if (pen_.width > 1) {
        StrokeWide(points, closed);
        return;
    }
    int phase = 0;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i + 1 < n; ++i) StrokeLine(points[i], points[i + 1], phase);
    if (closed) StrokeLine(points[n - 1], points[0], phase);
}

void Canvas::Polyline(std::span<const Point> points) {
    StrokePath(points, false);
}

// ---- filled shapes ----

void Canvas::FillDeviceSpans(const std::vector<Span>& spans, const Brush& brush, int rop2) {
    for (const Span& s : spans) FillSpanBrush(s.y, s.x0, s.x1, brush, rop2);
}

// Pixel centres on the scan line y + 1/2 decide what lies inside.
std::vector<Canvas::Span> Canvas::PolygonSpans(std::span<const Point> points) const {
    std::vector<Span> spans;
    const std::size_t n = points.size();
    if (n < 3) return spans;
    int ymin = INT32_MAX, ymax = INT32_MIN;
    for (const Point& p : points) {
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    const Rect clipBox = ClipBox();
    ymin = std::max(ymin, clipBox.top);
    ymax = std::min(ymax, clipBox.bottom);
    struct Crossing {
        int x;
        int dir;
    };
    std::vector<Crossing> crossings;
    for (int y = ymin; y < ymax; ++y) {
        crossings.clear();
        const int64_t y2 = 2 * int64_t(y) + 1;
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = points[i], b = points[(i + 1) % n];
            if (a.y == b.y) continue;
            const int64_t ay2 = 2 * int64_t(a.y), by2 = 2 * int64_t(b.y);
            if (!((y2 > ay2 && y2 < by2) || (y2 > by2 && y2 < ay2))) continue;
            crossings.push_back(
                {EdgeCrossing(a, b, y2, clipBox.left, clipBox.right), b.y > a.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
        if (fillMode_ == WINDING) {
            int wind = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                wind += crossings[i].dir;
                if (wind != 0 && crossings[i].x < crossings[i + 1].x) {
                    spans.push_back({y + origin_.y, crossings[i].x + origin_.x,
                                     crossings[i + 1].x + origin_.x});
                }
            }
        } else {
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                if (crossings[i].x < crossings[i + 1].x) {
                    spans.push_back({y + origin_.y, crossings[i].x + origin_.x,
                                     crossings[i + 1].x + origin_.x});
                }
            }
        }
    }
    return spans;
}

void Canvas::Polygon(std::span<const Point> points) {
    if (points.size() < 2) return;
    FillDeviceSpans(PolygonSpans(points), brush_, rop2_);
    StrokePath(points, true);
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    const Rect r = Normalised(left, top, right, bottom);
    if (r.IsEmpty()) return;
    if (pen_.style == PS_NULL) {
        // Without a pen the filled area is one pixel smaller, as the game's system drew it.
        FillRectRop({r.left, r.top, r.right - 1, r.bottom - 1}, brush_, rop2_);
        return;
    }
    const int w = std::max(1, pen_.width);
    FillRectRop(Inset(r, w), brush_, rop2_);
    if (w == 1) {
        const Point pts[4] = {{r.left, r.top},
                              {r.right - 1, r.top},
                              {r.right - 1, r.bottom - 1},
                              {r.left, r.bottom - 1}};
        if (r.Width() == 1 || r.Height() == 1) {
            FillRectRop(r, Brush::SolidColor(pen_.color), rop2_);
        } else {
            StrokePath(pts, true);
        }
        return;
    }
    // Wide pens stay inside the rectangle.
    const Brush penBrush = Brush::SolidColor(pen_.color);
    const Rect inner = Inset(r, w);
    if (inner.IsEmpty()) {
        FillRectRop(r, penBrush, rop2_);
        return;
    }
    FillRectRop({r.left, r.top, r.right, inner.top}, penBrush, rop2_);
    FillRectRop({r.left, inner.bottom, r.right, r.bottom}, penBrush, rop2_);
    FillRectRop({r.left, inner.top, inner.left, inner.bottom}, penBrush, rop2_);
    FillRectRop({inner.right, inner.top, r.right, inner.bottom}, penBrush, rop2_);
}

// Spans of the ellipse inscribed in the box: pixel (x, y) lies inside when its centre does.
std::vector<Canvas::Span> Canvas::EllipseSpans(const Rect& box) const {
    std::vector<Span> spans;
    // Larger boxes would overflow the arithmetic below; nothing draws that big.
    if (box.IsEmpty() || box.Width() > 32767 || box.Height() > 32767) return spans;
    const int64_t a2 = box.Width(), b2 = box.Height();  // twice the radii, in half pixels
    const int64_t cx2 = int64_t(box.left) + box.right, cy2 = int64_t(box.top) + box.bottom;
    const Rect clipBox = ClipBox();
    const int y0 = std::max(box.top, clipBox.top), y1 = std::min(box.bottom, clipBox.bottom);
    for (int y = y0; y < y1; ++y) {
        const int64_t v = 2 * int64_t(y) + 1 - cy2;  // centre offset, doubled
        // u*u*b2*b2 + v*v*a2*a2 <= a2*a2*b2*b2  with u = 2x + 1 - cx2
        const int64_t rhs = a2 * a2 * b2 * b2 - v * v * a2 * a2;
        if (rhs < 0) continue;
        // largest u >= 0 of the right parity with u*u*b2*b2 <= rhs
        int64_t u = int64_t(a2);
        while (u >= 0 && u * u * b2 * b2 > rhs) --u;
        if (u < 0) continue;
        // x from the doubled offset: 2x + 1 - cx2 = +-u
        const int64_t xl = FloorDiv(cx2 - u - 1 + 1, 2);  // smallest x with 2x+1-cx2 >= -u
        const int64_t xr = FloorDiv(cx2 + u - 1, 2);      // largest x with 2x+1-cx2 <= u
        if (xl > xr) continue;
        spans.push_back({y + origin_.y, int(xl) + origin_.x, int(xr) + 1 + origin_.x});
    }
    return spans;
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
    const Rect r = Normalised(left, top, right, bottom);
    if (pen_.style == PS_NULL) {
        FillDeviceSpans(EllipseSpans(r), brush_, rop2_);
        return;
    }
    const int w = std::max(1, pen_.width);
    const Rect innerBox = Inset(r, w);
    const std::vector<Span> outer = EllipseSpans(r);
    const std::vector<Span> inner = EllipseSpans(innerBox);
    FillDeviceSpans(inner, brush_, rop2_);
    // The outline is the outer shape minus the inner one, row by row.
    const uint32_t fg = MapColor(pen_.color);
    std::size_t k = 0;
    for (const Span& s : outer) {
        while (k < inner.size() && inner[k].y < s.y) ++k;
        if (k < inner.size() && inner[k].y == s.y && inner[k].x0 < inner[k].x1) {
            SpanDevice(s.y, s.x0, std::min(s.x1, inner[k].x0), fg, rop2_);
            SpanDevice(s.y, std::max(s.x0, inner[k].x1), s.x1, fg, rop2_);
        } else {
            SpanDevice(s.y, s.x0, s.x1, fg, rop2_);
        }
    }
}

// ---- brush fills ----

void Canvas::FillRectRop(const Rect& r, const Brush& brush, int rop2) {
    const Rect n = Normalised(r.left, r.top, r.right, r.bottom);
    if (n.IsEmpty() || brush.kind == BrushKind::Null) return;
    const Rect d = n.Offset(origin_.x, origin_.y).Intersect(ClipBox().Offset(origin_.x, origin_.y));
    for (int y = d.top; y < d.bottom; ++y) FillSpanBrush(y, d.left, d.right, brush, rop2);
}

void Canvas::FillRect(const Rect& r, const Brush& brush) {
    if (r.IsEmpty()) return;
    FillRectRop(r, brush, R2_COPYPEN);
}

void Canvas::FrameRect(const Rect& r, const Brush& brush) {
    if (r.IsEmpty()) return;
    FillRect({r.left, r.top, r.right, r.top + 1}, brush);
    if (r.Height() > 1) FillRect({r.left, r.bottom - 1, r.right, r.bottom}, brush);
    if (r.Height() > 2) {
        FillRect({r.left, r.top + 1, r.left + 1, r.bottom - 1}, brush);
        if (r.Width() > 1) FillRect({r.right - 1, r.top + 1, r.right, r.bottom - 1}, brush);
    }
}

void Canvas::InvertRect(const Rect& r) {
    if (r.IsEmpty()) return;
    const Rect d = r.Offset(origin_.x, origin_.y);
    for (int y = d.top; y < d.bottom; ++y) SpanDevice(y, d.left, d.right, 0, R2_NOT);
}

void Canvas::DrawFocusRect(const Rect& r) {
    if (r.IsEmpty()) return;
    // Every other pixel of the border, each inverted exactly once.
    const Rect d = r.Offset(origin_.x, origin_.y);
    auto dot = [&](int x, int y) {
        if (((x - origin_.x) + (y - origin_.y)) % 2 == 0) PlotDevice(x, y, 0, R2_NOT);
    };
    for (int x = d.left; x < d.right; ++x) {
        dot(x, d.top);
        if (d.bottom - 1 > d.top) dot(x, d.bottom - 1);
    }
    for (int y = d.top + 1; y < d.bottom - 1; ++y) {
        dot(d.left, y);
        if (d.right - 1 > d.left) dot(d.right - 1, y);
    }
}

bool Canvas::PatBlt(int x, int y, int w, int h, uint32_t rop) {
    if (!IsPatternRop(rop)) return false;
    const Rect r = Normalised(x, y, x + w, y + h);
    if (r.IsEmpty()) return true;
    switch (rop) {
        case PATCOPY:
            FillRectRop(r, brush_, R2_COPYPEN);
            break;
        case PATINVERT:
            FillRectRop(r, brush_, R2_XORPEN);
            break;
        case DSTINVERT:
            InvertRect(r);
            break;
        case BLACKNESS:
            FillRectRop(r, Brush::SolidColor(0), R2_BLACK);
            break;
        case WHITENESS:
            FillRectRop(r, Brush::SolidColor(0), R2_WHITE);
            break;
    }
    return true;
}

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
    for (const Rect& c : clip_) {
        const Rect d = dstRect.Intersect(c);
        if (d.IsEmpty()) continue;
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

// ---- text ----

void Canvas::DrawGlyphs(int x, int baseline, std::u32string_view text, const Rect* limit,
                        std::span<const std::size_t> underlined) {
    const Rect clipBox = ClipBox().Offset(origin_.x, origin_.y);
    const Rect area = limit ? limit->Offset(origin_.x, origin_.y).Intersect(clipBox) : clipBox;
    if (area.IsEmpty()) return;
    const uint32_t fg = MapColor(textColor_);
    const FontMetrics& m = font_.Metrics();
    int penX = x + origin_.x;
    const int base = baseline + origin_.y;
    std::size_t nextUnderline = 0;
    for (std::size_t idx = 0; idx < text.size(); ++idx) {
        const GlyphImage& g = font_.Glyph(text[idx], indexed_);
        const int gx = penX + g.left, gy = base - g.top;
        if (gx < area.right && gx + g.width > area.left && gy < area.bottom &&
            gy + g.rows > area.top) {
            for (int r = 0; r < g.rows; ++r) {
                const int py = gy + r;
                if (py < area.top || py >= area.bottom) continue;
                for (int c = 0; c < g.width; ++c) {
                    const int px = gx + c;
                    if (px < area.left || px >= area.right) continue;
                    const uint8_t cov = g.coverage[std::size_t(r) * g.width + c];
                    if (cov == 0) continue;
                    if (!IsVisibleDevice(px, py)) continue;
                    if (indexed_ || cov == 255) {
                        WriteRaw(px, py, fg);
                    } else {
                        const uint32_t d = ReadRaw(px, py);
                        auto blend = [cov](uint32_t s, uint32_t t) {
                            return (s * cov + t * (255 - cov) + 127) / 255;
                        };
                        WriteRaw(px, py,
                                 (blend((fg >> 16) & 0xFF, (d >> 16) & 0xFF) << 16) |
                                     (blend((fg >> 8) & 0xFF, (d >> 8) & 0xFF) << 8) |
                                     blend(fg & 0xFF, d & 0xFF));
                    }
                }
            }
        }
        const bool underlineAll = font_.Spec().underline;
        bool underlineThis = underlineAll;
        while (nextUnderline < underlined.size() && underlined[nextUnderline] < idx)
            ++nextUnderline;
        if (nextUnderline < underlined.size() && underlined[nextUnderline] == idx) {
            underlineThis = true;
        }
        if (underlineThis && g.advance > 0) {
            for (int t = 0; t < m.underlineThickness; ++t) {
                const int uy = base + m.underlineOffset + t;
                if (uy < area.top || uy >= area.bottom) continue;
                SpanDevice(uy, std::max(penX, area.left), std::min(penX + g.advance, area.right),
                           fg, R2_COPYPEN);
            }
        }
        penX += g.advance;
    }
}

bool Canvas::IsVisibleDevice(int dx, int dy) const {
    for (const Rect& c : clip_) {
        if (c.Contains(dx, dy)) return true;
    }
    return false;
}

void Canvas::TextOut(int x, int y, std::string_view text, TextEncoding encoding) {
    // No text reaches from that far into a surface.
    if (x != HoldTextCoordinate(x) || y != HoldTextCoordinate(y)) return;
    const std::u32string cps = DecodeText(text, encoding);
    const FontMetrics& m = font_.Metrics();
    const int width = font_.MeasureCodepoints(cps).cx;
    int left = x;
    switch (textAlign_ & TA_CENTER) {
        case TA_CENTER:
            left = x - width / 2;
            break;
        case TA_RIGHT:
            left = x - width;
            break;
        default:
            break;
    }
    int baseline = y + m.ascent;
    switch (textAlign_ & TA_BASELINE) {
        case TA_BASELINE:
            baseline = y;
            break;
        case TA_BOTTOM:
            baseline = y - m.descent;
            break;
        default:
            break;
    }
    if (bkMode_ == OPAQUE) {
        FillRect({left, baseline - m.ascent, left + width, baseline + m.descent},
                 Brush::SolidColor(bkColor_));
    }
    DrawGlyphs(left, baseline, cps, nullptr, {});
}

Size Canvas::GetTextExtent(std::string_view text, TextEncoding encoding) const {
    return font_.MeasureText(text, encoding);
}

namespace {

struct TextLine {
    std::u32string text;
    std::vector<std::size_t> underlined;  // indices into text
};

int LineWidth(const Font& font, std::u32string_view s) {
    int w = 0;
    for (char32_t c : s) w += font.Advance(c);
    return w;
}

// Cuts the line and appends "..." so that it fits the width.
void AddEndEllipsis(const Font& font, TextLine& line, int width) {
    if (LineWidth(font, line.text) <= width) return;
    const int dots = LineWidth(font, U"...");
    int w = 0;
    std::size_t keep = 0;
    while (keep < line.text.size() && w + font.Advance(line.text[keep]) + dots <= width) {
        w += font.Advance(line.text[keep]);
        ++keep;
    }
    line.text.resize(keep);
    line.text += U"...";
    std::erase_if(line.underlined, [keep](std::size_t i) { return i >= keep; });
}

}  // namespace

int Canvas::DrawText(std::string_view text, Rect& r, uint32_t format, TextEncoding encoding) {
    std::u32string cps = DecodeText(text, encoding);

    // Prefix characters: "&x" underlines x, "&&" is one ampersand.
    std::u32string plain;
    std::vector<std::size_t> marks;
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (!(format & DT_NOPREFIX) && cps[i] == U'&') {
            if (i + 1 < cps.size() && cps[i + 1] == U'&') {
                plain.push_back(U'&');
                ++i;
            } else if (i + 1 < cps.size()) {
                marks.push_back(plain.size());
            }
            continue;
        }
        if (cps[i] == U'\t' && (format & DT_EXPANDTABS)) {
            // Tab stops every eight character cells.
            std::size_t col = plain.size() - (plain.rfind(U'\n') + 1);
            do {
                plain.push_back(U' ');
                ++col;
            } while (col % 8 != 0);
            continue;
        }
        plain.push_back(cps[i]);
    }

    // Break into lines.
    std::vector<TextLine> lines;
    const int width = r.Width();
    auto pushLine = [&](std::size_t from, std::size_t to) {
        TextLine line;
        line.text = plain.substr(from, to - from);
        for (std::size_t m : marks) {
            if (m >= from && m < to) line.underlined.push_back(m - from);
        }
        lines.push_back(std::move(line));
    };
    if (format & DT_SINGLELINE) {
        pushLine(0, plain.size());
    } else {
        std::size_t start = 0;
        while (start <= plain.size()) {
            std::size_t end = plain.find(U'\n', start);
            if (end == std::u32string::npos) end = plain.size();
            std::size_t stop = end;
            if (stop > start && plain[stop - 1] == U'\r') --stop;
            if (!(format & DT_WORDBREAK)) {
                pushLine(start, stop);
            } else {
                // Break after spaces and around full-width characters; a word wider than
                // the rectangle stays whole.
                auto breakableBefore = [&](std::size_t i) {
                    return plain[i - 1] == U' ' || IsCjk(plain[i]) || IsCjk(plain[i - 1]);
                };
                std::size_t ls = start;
                while (true) {
                    int w = 0;
                    std::size_t i = ls, lastBreak = std::u32string::npos;
                    while (i < stop) {
                        if (i > ls && breakableBefore(i)) lastBreak = i;
                        const int adv = font_.Advance(plain[i]);
                        if (w + adv > width && i > ls && plain[i] != U' ' &&
                            lastBreak != std::u32string::npos) {
                            break;
                        }
                        w += adv;
                        ++i;
                    }
                    if (i >= stop) {
                        pushLine(ls, stop);
                        break;
                    }
                    std::size_t lineEnd = lastBreak;
                    while (lineEnd > ls && plain[lineEnd - 1] == U' ') --lineEnd;
                    pushLine(ls, lineEnd);
                    ls = lastBreak;
                    while (ls < stop && plain[ls] == U' ') ++ls;
                    if (ls >= stop) break;
                }
            }
            if (end == plain.size()) break;
            start = end + 1;
        }
    }
    if (format & DT_END_ELLIPSIS) {
        for (TextLine& line : lines) AddEndEllipsis(font_, line, width);
    }

    const FontMetrics& m = font_.Metrics();
    const int lineHeight = m.height;
    const int total = lineHeight * int(lines.size());
    int maxWidth = 0;
    for (const TextLine& line : lines) maxWidth = std::max(maxWidth, LineWidth(font_, line.text));

    if (format & DT_CALCRECT) {
        if ((format & DT_SINGLELINE) || !(format & DT_WORDBREAK) || maxWidth > width) {
            r.right = Rect::Saturate(int64_t(r.left) + maxWidth);
        }
        r.bottom = Rect::Saturate(int64_t(r.top) + total);
        return total;
    }

    // Text is laid out within a rectangle held to a range no text reaches beyond, so that the
    // placing sums stay within int; within that range nothing changes.
    const Rect given = r;
    const Rect layout{HoldTextCoordinate(r.left), HoldTextCoordinate(r.top),
                      HoldTextCoordinate(r.right), HoldTextCoordinate(r.bottom)};
    r = layout;
    int top = r.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            top = r.top + (r.Height() - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            top = r.bottom - lineHeight;
        }
    }
    const Rect* limit = (format & DT_NOCLIP) ? nullptr : &r;
    for (const TextLine& line : lines) {
        const int lw = LineWidth(font_, line.text);
        int left = r.left;
        if (format & DT_CENTER) {
            left = r.left + (r.Width() - lw) / 2;
        } else if (format & DT_RIGHT) {
            left = r.right - lw;
        }
        if (bkMode_ == OPAQUE) {
            Rect box{left, top, left + lw, top + lineHeight};
            if (limit) box = box.Intersect(*limit);
            FillRect(box, Brush::SolidColor(bkColor_));
        }
        DrawGlyphs(left, top + m.ascent, line.text, limit, line.underlined);
        top += lineHeight;
    }
    r = given;
    return total;
}

}  // namespace zv::ui
