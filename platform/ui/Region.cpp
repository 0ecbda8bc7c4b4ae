#include "platform/ui/Region.h"

#include <algorithm>

namespace zv::ui {

void SubtractRect(const Rect& a, const Rect& b, std::vector<Rect>& out) {
    const Rect cut = a.Intersect(b);
    if (cut.IsEmpty()) {
        out.push_back(a);
        return;
    }
    if (a.top < cut.top) out.push_back({a.left, a.top, a.right, cut.top});
    if (cut.bottom < a.bottom) out.push_back({a.left, cut.bottom, a.right, a.bottom});
    if (a.left < cut.left) out.push_back({a.left, cut.top, cut.left, cut.bottom});
    if (cut.right < a.right) out.push_back({cut.right, cut.top, a.right, cut.bottom});
}

Rect BoundsOf(std::span<const Rect> rects) {
    if (rects.empty()) return {};
    Rect b = rects.front();
    for (const Rect& r : rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

Rect Region::Bounds() const {
    return BoundsOf(rects_);
}

bool Region::Contains(int x, int y) const {
    return std::any_of(rects_.begin(), rects_.end(),
                       [&](const Rect& r) { return r.Contains(x, y); });
}

void Region::Add(const Rect& r) {
    if (r.IsEmpty()) return;
    // Keep the rectangles disjoint: add only the parts of r not yet covered.
    std::vector<Rect> pieces{r};
    for (const Rect& have : rects_) {
        std::vector<Rect> next;
        for (const Rect& p : pieces) SubtractRect(p, have, next);
        pieces.swap(next);
        if (pieces.empty()) return;
    }
    rects_.insert(rects_.end(), pieces.begin(), pieces.end());
    // Many small pieces cost more than they save; fall back to the bounding box.
    if (rects_.size() > 64) {
        const Rect b = Bounds();
        rects_.assign(1, b);
    }
}

void Region::Add(const Region& other) {
    for (const Rect& r : other.rects_) Add(r);
}

void Region::Subtract(const Rect& r) {
    if (r.IsEmpty() || rects_.empty()) return;
    std::vector<Rect> out;
    out.reserve(rects_.size() + 4);
    for (const Rect& have : rects_) SubtractRect(have, r, out);
    rects_.swap(out);
}

void Region::Intersect(const Rect& r) {
    std::vector<Rect> out;
    for (const Rect& have : rects_) {
        const Rect i = have.Intersect(r);
        if (!i.IsEmpty()) out.push_back(i);
    }
    rects_.swap(out);
}

void Region::Offset(int dx, int dy) {
    for (Rect& r : rects_) r = r.Offset(dx, dy);
}

long long Region::Area() const {
    long long a = 0;
    for (const Rect& r : rects_) a += static_cast<long long>(r.Width()) * r.Height();
    return a;
}

}  // namespace zv::ui
