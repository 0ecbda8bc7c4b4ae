// Scrolling a window's client area: its pixels move on the screen, and only what the move
// uncovers (or brings from a part that was not on view) needs painting again.
#include <algorithm>
#include <vector>

#include "platform/ui/Messages.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

namespace {

Region Minus(Region a, const Region& b) {
    for (const Rect& r : b.Rects()) a.Subtract(r);
    return a;
}

Region Within(Region a, const Rect& r) {
    a.Intersect(r);
    return a;
}

int KindOf(const Region& r) {
    if (r.IsEmpty()) return NULLREGION;
    return r.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

int WindowManager::ScrollWindowEx(Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip,
                                  Region* updateRgn, Rect* updateRect, uint32_t flags) {
    Window* w = Get(h);
    if (!w || h == desktop_ || !IsGuiThread()) return RGN_ERROR;
    // Far moves leave nothing on view; holding them keeps the offsets within int.
    dx = std::clamp(dx, -kMaxWindowCoordinate, kMaxWindowCoordinate);
    dy = std::clamp(dy, -kMaxWindowCoordinate, kMaxWindowCoordinate);
    const Rect client{0, 0, w->client.Width(), w->client.Height()};
    // Pixels come from `source` and land only within `target` (client coordinates).
    const Rect source = scroll ? scroll->Intersect(client) : client;
    const Rect target = clip ? clip->Intersect(source) : source;

    // What of the client area the screen shows now, in client coordinates.
    const Rect cs = ClientRectScreen(w);
    Region visible = VisibleRegion(w, true);
    visible.Offset(-cs.left, -cs.top);

    // Pixels that can move: on view at the source and on view where they land.
    Region moved = Within(visible, source);
    moved.Offset(dx, dy);
    moved.Intersect(target);
    moved = Minus(moved, Minus(Region(target), visible));

    if (!moved.IsEmpty() && (dx != 0 || dy != 0)) {
        Surface32 screen = backend_->Screen();
        // Read every block before writing any: blocks may overlap each other's sources.
        std::vector<std::vector<uint32_t>> blocks;
        blocks.reserve(moved.Rects().size());
        for (const Rect& d : moved.Rects()) {
            const Rect s = d.Offset(cs.left - dx, cs.top - dy);
            std::vector<uint32_t> px(static_cast<size_t>(d.Width()) * d.Height());
            for (int y = 0; y < d.Height(); ++y) {
                const uint32_t* row = screen.Row(s.top + y) + s.left;
                std::copy(row, row + d.Width(), px.begin() + static_cast<ptrdiff_t>(y) * d.Width());
            }
            blocks.push_back(std::move(px));
        }
        for (size_t i = 0; i < moved.Rects().size(); ++i) {
            const Rect d = moved.Rects()[i].Offset(cs.left, cs.top);
            for (int y = 0; y < d.Height(); ++y) {
                const uint32_t* from = blocks[i].data() + static_cast<ptrdiff_t>(y) * d.Width();
                std::copy(from, from + d.Width(), screen.Row(d.top + y) + d.left);
            }
            MarkDirty(d);
        }
    }

    // What is left to paint: the target less what received good pixels.
    const Region invalid = Minus(Region(target), moved);
    // Parts still waiting to be painted move with the pixels over them.
    {
        Region carried = Within(w->update, source);
        carried.Offset(dx, dy);
        carried.Intersect(target);
        Region kept = Minus(w->update, Region(target));
        kept.Add(carried);
        w->update = kept;
    }
    if (flags & SW_INVALIDATE) {
        w->update.Add(invalid);
        if ((flags & SW_ERASE) && !invalid.IsEmpty()) w->erase = true;
    }
    if (updateRgn) *updateRgn = invalid;
    if (updateRect) *updateRect = invalid.Bounds();

    if (flags & SW_SCROLLCHILDREN) {
        const std::vector<Hwnd> kids = w->children;
        for (Hwnd c : kids) {
            const Window* cw = Get(c);
            if (!cw) continue;
            if (scroll && cw->rect.Intersect(source).IsEmpty()) continue;
            SetWindowPos(c, {}, cw->rect.left + dx, cw->rect.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return KindOf(invalid);
}

bool WindowManager::ScrollWindow(Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip) {
    const uint32_t flags = SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN);
    return ScrollWindowEx(h, dx, dy, scroll, clip, nullptr, nullptr, flags) != RGN_ERROR;
}

}  // namespace zv::ui
