// The compositor and paint cycle: update regions, device contexts clipped to what each
// window shows, the desktop, and presenting changed screen areas.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

// ---------------------------------------------------------------------------------------------
// Invalidation and painting

void WindowManager::MarkDirty(const Rect& screenRect) {
    const Rect r = screenRect.Intersect(ScreenRect());
    if (r.IsEmpty()) return;
    dirty_.push_back(r);
    if (dirty_.size() > 32) dirty_.assign(1, BoundsOf(dirty_));
}

void WindowManager::PresentDirty() {
    if (dirty_.empty()) return;
    backend_->Present(dirty_);
    dirty_.clear();
}

void WindowManager::InvalidateWholeWindow(Hwnd h) {
    Window* w = Get(h);
    if (!w) return;
    w->update.Clear();
    w->update.Add({0, 0, w->client.Width(), w->client.Height()});
    w->erase = true;
    w->ncDirty = true;
    for (Hwnd c : w->children) InvalidateWholeWindow(c);
}

void WindowManager::ExposeScreen(const Region& area) {
    if (area.IsEmpty()) return;
    desktopDirty_.Add(area);
    // Every visible window under the area repaints its share of it.
    std::vector<Hwnd> stack = Get(desktop_)->children;
    while (!stack.empty()) {
        const Hwnd h = stack.back();
        stack.pop_back();
        Window* w = Get(h);
        if (!w || !IsReallyVisible(w)) continue;
        stack.insert(stack.end(), w->children.begin(), w->children.end());
        const Region vis = VisibleRegion(w, false);
        const Rect client = ClientRectScreen(w);
        const Point origin{client.left, client.top};
        for (const Rect& v : vis.Rects()) {
            for (const Rect& a : area.Rects()) {
                const Rect hit = v.Intersect(a);
                if (hit.IsEmpty()) continue;
                const Rect inClient = hit.Intersect(client);
                if (!inClient.IsEmpty()) {
                    w->update.Add(inClient.Offset(-origin.x, -origin.y));
                    w->erase = true;
                }
                if (!(inClient == hit)) w->ncDirty = true;
            }
        }
    }
}

bool WindowManager::FindWindowToPaint(Hwnd* out) const {
    // Back to front, each window before its children.
    std::function<bool(Hwnd)> visit = [&](Hwnd h) -> bool {
        const Window* w = Get(h);
        if (!w || !(w->style & WS_VISIBLE)) return false;
        if (!w->update.IsEmpty() || w->ncDirty) {
            *out = h;
            return true;
        }
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
            if (visit(*it)) return true;
        }
        return false;
    };
    const Window* d = Get(desktop_);
    for (auto it = d->children.rbegin(); it != d->children.rend(); ++it) {
        if (visit(*it)) return true;
    }
    return false;
}

void WindowManager::PaintDesktop() {
    Region area = desktopDirty_;
    desktopDirty_.Clear();
    area.Intersect(ScreenRect());
    for (Hwnd t : Get(desktop_)->children) {
        const Window* tw = Get(t);
        if (tw && IsReallyVisible(tw)) area.Subtract(WindowRectScreen(tw));
    }
    Surface32 s = backend_->Screen();
    const uint32_t px = ToPixel32(GetSysColor(COLOR_BACKGROUND));
    for (const Rect& r : area.Rects()) {
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* row = s.Row(y);
            std::fill(row + r.left, row + r.right, px);
        }
        MarkDirty(r);
    }
}

Canvas* WindowManager::MakeDc(Hwnd h, bool clientOnly, const Region* limitScreen) {
    Window* w = GetOrDesktop(h);
    if (!w) return nullptr;
    Region reg = VisibleRegion(w, clientOnly);
    if (w->self == desktop_) reg = Region(ScreenRect());
    if (limitScreen) {
        Region limited;
        for (const Rect& a : reg.Rects()) {
            for (const Rect& b : limitScreen->Rects()) limited.Add(a.Intersect(b));
        }
        reg = limited;
    }
    const Rect wr = clientOnly ? ClientRectScreen(w) : WindowRectScreen(w);
    const Point origin{wr.left, wr.top};
    const Rect bounds = reg.Bounds();
    LiveDc dc{h, Canvas(backend_->Screen(), origin, bounds), bounds};
    // Carve the parts of the bounding box that the window may not touch.
    Region outside(bounds);
    for (const Rect& r : reg.Rects()) outside.Subtract(r);
    for (const Rect& r : outside.Rects()) dc.canvas.ExcludeClipRect(r.Offset(-origin.x, -origin.y));
    dcs_.push_back(std::move(dc));
    return &dcs_.back().canvas;
}

int WindowManager::ReleaseDC(Hwnd h, Canvas* dc) {
    (void)h;
    for (auto it = dcs_.begin(); it != dcs_.end(); ++it) {
        if (&it->canvas == dc) {
            MarkDirty(it->screenBounds);
            dcs_.erase(it);
            return 1;
        }
    }
    return 0;
}

Canvas* WindowManager::GetDC(Hwnd h) {
    return MakeDc(h, true, nullptr);
}
Canvas* WindowManager::GetWindowDC(Hwnd h) {
    return MakeDc(h, false, nullptr);
}

Canvas* WindowManager::BeginPaint(Hwnd h, PaintStruct* ps) {
    Window* w = Get(h);
    if (!w || !ps) return nullptr;
    if (w->ncDirty) {
        w->ncDirty = false;
        SendMessage(h, WM_NCPAINT, 1, 0);
        w = Get(h);
        if (!w) return nullptr;
    }
    Region update = w->update;
    const bool erase = w->erase;
    w->update.Clear();
    w->erase = false;
    const Point o = ClientOriginScreen(w);
    Region limit = update;
    limit.Offset(o.x, o.y);
    Canvas* dc = MakeDc(h, true, &limit);
    ps->hdc = dc;
    ps->rcPaint = update.Bounds();
    ps->erase = false;
    if (erase && dc) {
        const LResult r = SendMessage(h, WM_ERASEBKGND, reinterpret_cast<WParam>(dc), 0);
        ps->erase = r == 0;
    }
    return dc;
}

bool WindowManager::EndPaint(Hwnd h, const PaintStruct* ps) {
    if (!ps || !ps->hdc) return false;
    return ReleaseDC(h, ps->hdc) != 0;
}

bool WindowManager::InvalidateRect(Hwnd h, const Rect* r, bool erase) {
    if (!h || h == desktop_) {
        // Everything.
        ExposeScreen(Region(ScreenRect()));
        return true;
    }
    Window* w = Get(h);
    if (!w) return false;
    const Rect client{0, 0, w->client.Width(), w->client.Height()};
    const Rect area = r ? r->Intersect(client) : client;
    if (area.IsEmpty()) return true;
    w->update.Add(area);
    if (erase) w->erase = true;
    return true;
}

bool WindowManager::ValidateRect(Hwnd h, const Rect* r) {
    Window* w = Get(h);
    if (!w) return false;
    if (!r) {
        w->update.Clear();
        w->erase = false;
    } else {
        w->update.Subtract(*r);
        if (w->update.IsEmpty()) w->erase = false;
    }
    return true;
}

bool WindowManager::GetUpdateRect(Hwnd h, Rect* out, bool erase) {
    Window* w = Get(h);
    if (!w) return false;
    const Rect b = w->update.Bounds();
    if (out) *out = b;
    if (erase && !w->update.IsEmpty() && w->erase) {
        // The caller asks for the background now.
        w->erase = false;
        Canvas* dc = GetDC(h);
        SendMessage(h, WM_ERASEBKGND, reinterpret_cast<WParam>(dc), 0);
        ReleaseDC(h, dc);
    }
    return !b.IsEmpty();
}

void WindowManager::PaintNow(Hwnd h) {
    Window* w = Get(h);
    if (!w) return;
    if (w->update.IsEmpty()) {
        if (w->ncDirty) {
            w->ncDirty = false;
            SendMessage(h, WM_NCPAINT, 1, 0);
        }
        return;
    }
    SendMessage(h, WM_PAINT, 0, 0);
    if (Window* after = Get(h)) {
        after->update.Clear();
        after->erase = false;
        after->ncDirty = false;
    }
}

bool WindowManager::UpdateWindow(Hwnd h) {
    if (!Get(h)) return false;
    if (IsReallyVisible(Get(h))) PaintNow(h);
    return true;
}

bool WindowManager::RedrawWindow(Hwnd h, const Rect* r, uint32_t flags) {
    Window* w = GetOrDesktop(h);
    if (!w) return false;
    const Hwnd self = w->self;
    if (self == desktop_) {
        if (flags & RDW_INVALIDATE) ExposeScreen(Region(ScreenRect()));
    } else {
        if (flags & RDW_INVALIDATE) InvalidateRect(self, r, (flags & RDW_ERASE) != 0);
        if (flags & RDW_VALIDATE) ValidateRect(self, r);
        if (flags & RDW_FRAME) Get(self)->ncDirty = true;
        if (flags & RDW_ALLCHILDREN) {
            for (Hwnd c : GetChildren(self)) RedrawWindow(c, nullptr, flags & ~RDW_UPDATENOW);
        }
    }
    if (flags & RDW_UPDATENOW) Flush();
    return true;
}

void WindowManager::Flush() {
    if (!IsGuiThread()) return;
    Hwnd p;
    for (int guard = 0; guard < 10000 && FindWindowToPaint(&p); ++guard) PaintNow(p);
    if (!desktopDirty_.IsEmpty()) PaintDesktop();
    PresentDirty();
}

}  // namespace zv::ui
