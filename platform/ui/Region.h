#pragma once

// A set of pixels kept as disjoint rectangles: update regions and visible regions of windows.

#include <span>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

// The smallest rectangle holding all of rects; empty for none.
Rect BoundsOf(std::span<const Rect> rects);

// Appends the pieces of a that lie outside b: at most four disjoint rectangles.
void SubtractRect(const Rect& a, const Rect& b, std::vector<Rect>& out);

class Region {
  public:
    Region() = default;
    explicit Region(const Rect& r) { Add(r); }

    bool IsEmpty() const { return rects_.empty(); }
    const std::vector<Rect>& Rects() const { return rects_; }
    Rect Bounds() const;
    bool Contains(int x, int y) const;

    void Clear() { rects_.clear(); }
    void Add(const Rect& r);
    void Add(const Region& other);
    void Subtract(const Rect& r);
    void Intersect(const Rect& r);
    void Offset(int dx, int dy);
    long long Area() const;

  private:
    std::vector<Rect> rects_;
};

}  // namespace zv::ui
