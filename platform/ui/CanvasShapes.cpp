// Canvas: lines, pens, filled shapes and brush fills.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasInternal.h"
#include "platform/ui/Region.h"

namespace zv::ui {

using namespace canvasdetail;

namespace {

Rect Normalised(int l, int t, int r, int b) {
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// The rectangle moved in by d on every side; sides at the ends of the int range stay there.
Rect Inset(const Rect& r, int d) {
    return {Rect::Saturate(int64_t(r.left) + d), Rect::Saturate(int64_t(r.top) + d),
            Rect::Saturate(int64_t(r.right) - d), Rect::Saturate(int64_t(r.bottom) - d)};
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

}  // namespace zv::ui
