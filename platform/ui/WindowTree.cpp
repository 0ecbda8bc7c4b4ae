// The window tree: geometry, z-order, creation, destruction, placement and window data.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

// ---------------------------------------------------------------------------------------------
// Geometry

uint32_t WindowManager::FrameStyle(const Window* w) const {
    // Two title bars, the desktop's and ours, would say the same and offer the same buttons.
    if (w->self == mainWindow_ && mainFillsScreen_ && !(w->style & WS_MINIMIZE) && backend_->ScreenWindowDecorated())
        return w->style & ~(WS_CAPTION | WS_THICKFRAME);
    return w->style;
}

void WindowManager::SetMainWindow(Hwnd h) {
    const Hwnd before = mainWindow_;
    mainWindow_ = h;
    // Which window stands for the screen decides whose caption the desktop's replaces.
    if (before != h) RefitFrame(before);
    RefitFrame(h);
}

void WindowManager::SetMainWindowFillsScreen(bool on) {
    mainFillsScreen_ = on;
    RefitFrame(mainWindow_);
}

// A window whose frame style changed (FrameStyle) gets its client area worked out again and, when
// maximised, its place: a frame that lies outside the screen has another width without a border.
void WindowManager::RefitFrame(Hwnd h) {
    const Window* w = Get(h);
    if (!w) return;
    if ((w->style & WS_MAXIMIZE) && !(w->style & WS_MINIMIZE)) {
        const Rect target = MaximizedPlacement(h);
        if (!Get(h)) return;
        SetWindowPos(h, {}, target.left, target.top, target.Width(), target.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    }
    SetWindowPos(h, {}, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Rect WindowManager::NonClientInsets(const Window* w) const {
    if (w->self == desktop_) return {};
    const uint32_t style = FrameStyle(w);
    int b = 0;
    if (style & WS_THICKFRAME) {
        b = kSizingFrameWidth;
    } else if ((style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
        b = kDialogFrameWidth;
    } else if (style & WS_BORDER) {
        b = kBorderWidth;
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) b += kEdgeWidth;
    if (w->exStyle & WS_EX_STATICEDGE) b += kStaticEdgeWidth;
    int top = b;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        top += (w->exStyle & WS_EX_TOOLWINDOW) ? 15 : kCaptionHeight;
    }
    // An iconic window is its caption alone: no menu bar, no scroll bars.
    if (style & WS_MINIMIZE) return {b, top, b, b};
    if (w->hasMenuBar) top += kMenuBarHeight;
    int right = b + ((w->style & WS_VSCROLL) ? kScrollBarSize : 0);
    int bottom = b + ((w->style & WS_HSCROLL) ? kScrollBarSize : 0);
    return {b, top, right, bottom};
}

Point WindowManager::ClientOriginScreen(const Window* w) const {
    Point p{w->rect.left + w->client.left, w->rect.top + w->client.top};
    if (w->self == desktop_) return {0, 0};
    const Window* parent = Get(w->parent);
    while (parent && parent->self != desktop_) {
        p.x += parent->rect.left + parent->client.left;
        p.y += parent->rect.top + parent->client.top;
        parent = Get(parent->parent);
    }
    return p;
}

Rect WindowManager::WindowRectScreen(const Window* w) const {
    const Point o = ClientOriginScreen(w);
    const int x = o.x - w->client.left;
    const int y = o.y - w->client.top;
    return {x, y, x + w->rect.Width(), y + w->rect.Height()};
}

Rect WindowManager::ClientRectScreen(const Window* w) const {
    const Point o = ClientOriginScreen(w);
    return {o.x, o.y, o.x + w->client.Width(), o.y + w->client.Height()};
}

void WindowManager::RecalcClient(Hwnd h) {
    Window* w = Get(h);
    if (!w) return;
    NcCalcSizeParams p{w->rect};
    SendMessage(h, WM_NCCALCSIZE, 0, reinterpret_cast<LParam>(&p));
    w = Get(h);
    if (!w) return;
    Rect c = p.rect.Offset(-w->rect.left, -w->rect.top);
    c.right = std::max(c.left, c.right);
    c.bottom = std::max(c.top, c.bottom);
    if (w->style & WS_MINIMIZE) c = {c.left, c.top, c.left, c.top};
    w->client = c;
}

bool WindowManager::IsReallyVisible(const Window* w) const {
    while (w && w->self != desktop_) {
        if (!(w->style & WS_VISIBLE)) return false;
        w = Get(w->parent);
    }
    return w != nullptr;
}

Region WindowManager::VisibleRegion(const Window* w, bool clientOnly) const {
    Region reg;
    if (!IsReallyVisible(w)) return reg;
    reg.Add(clientOnly ? ClientRectScreen(w) : WindowRectScreen(w));
    reg.Intersect(ScreenRect());
    // Clip by every ancestor's client area and take out the siblings above at each level.
    const Window* c = w;
    while (c->self != desktop_) {
        const Window* p = Get(c->parent);
        if (!p) return {};
        if (p->self != desktop_) reg.Intersect(ClientRectScreen(p));
        for (Hwnd s : p->children) {
            if (s == c->self) break;
            const Window* sw = Get(s);
            if (sw && (sw->style & WS_VISIBLE)) {
                reg.Subtract(WindowRectScreen(sw));
            }
        }
        if (reg.IsEmpty()) return reg;
        c = p;
    }
    // A window's own paint never covers its children.
    for (Hwnd ch : w->children) {
        const Window* cw = Get(ch);
        if (cw && (cw->style & WS_VISIBLE)) {
            reg.Subtract(WindowRectScreen(cw));
        }
    }
    return reg;
}

Rect WindowManager::MaximizedRect(const Window* w) const {
    Rect area;
    const Window* p = Get(w->parent);
    if (!p || p->self == desktop_) {
        area = ScreenRect();
    } else {
        area = {0, 0, p->client.Width(), p->client.Height()};
    }
    // The frame lies outside the area, so the caption and client fill it.
    Window probe = Window();
    probe.self = Hwnd{0xFFFFFFFDu};
    probe.style = FrameStyle(w);
    probe.exStyle = w->exStyle;
    probe.hasMenuBar = w->hasMenuBar;
    const Rect in = NonClientInsets(&probe);
    const int b = in.left;
    return {area.left - b, area.top - b, area.right + b, area.bottom + b};
}

Rect WindowManager::IconicRect(const Window* w) const {
    const Window* p = Get(w->parent);
    Rect area = ScreenRect();
    if (p && p->self != desktop_) area = {0, 0, p->client.Width(), p->client.Height()};
    Window probe = Window();
    probe.self = Hwnd{0xFFFFFFFDu};
    probe.style = w->style | WS_MINIMIZE;
    probe.exStyle = w->exStyle;
    const Rect in = NonClientInsets(&probe);
    const int height = std::max(in.top + in.bottom, kCaptionHeight);
    const int perRow = std::max(1, area.Width() / kIconicWidth);
    // The first place along the bottom edge that no other iconic sibling holds.
    for (int n = 0;; ++n) {
        const int x = area.left + (n % perRow) * kIconicWidth;
        const int y = area.bottom - (n / perRow + 1) * height;
        const Rect slot{x, y, x + kIconicWidth, y + height};
        bool taken = false;
        if (p) {
            for (Hwnd s : p->children) {
                const Window* sw = Get(s);
                if (sw && sw != w && (sw->style & WS_MINIMIZE) && (sw->style & WS_VISIBLE) &&
                    !sw->rect.Intersect(slot).IsEmpty()) {
                    taken = true;
                    break;
                }
            }
        }
        if (!taken || n > 4096) return slot;
    }
}

bool WindowManager::GetWindowRect(Hwnd h, Rect* out) const {
    const Window* w = GetOrDesktop(h);
    if (!w || !out) return false;
    *out = WindowRectScreen(w);
    return true;
}

bool WindowManager::GetClientRect(Hwnd h, Rect* out) const {
    const Window* w = GetOrDesktop(h);
    if (!w || !out) return false;
    *out = {0, 0, w->client.Width(), w->client.Height()};
    return true;
}

bool WindowManager::ClientToScreen(Hwnd h, Point* p) const {
    const Window* w = GetOrDesktop(h);
    if (!w || !p) return false;
    const Point o = ClientOriginScreen(w);
    p->x += o.x;
    p->y += o.y;
    return true;
}

bool WindowManager::ScreenToClient(Hwnd h, Point* p) const {
    const Window* w = GetOrDesktop(h);
    if (!w || !p) return false;
    const Point o = ClientOriginScreen(w);
    p->x -= o.x;
    p->y -= o.y;
    return true;
}

int WindowManager::MapWindowPoints(Hwnd from, Hwnd to, Point* points, int count) const {
    const Window* f = GetOrDesktop(from);
    const Window* t = GetOrDesktop(to);
    if (!f || !t) return 0;
    const Point a = ClientOriginScreen(f);
    const Point b = ClientOriginScreen(t);
    const int dx = a.x - b.x;
    const int dy = a.y - b.y;
    for (int i = 0; i < count && points; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MakeLParam(dx, dy));
}

// ---------------------------------------------------------------------------------------------
// Tree and z-order

void WindowManager::UnlinkFromParent(Hwnd h) {
    Window* w = Get(h);
    if (!w) return;
    Window* p = Get(w->parent);
    if (!p) return;
    auto& v = p->children;
    v.erase(std::remove(v.begin(), v.end(), h), v.end());
}

void WindowManager::LinkToParent(Hwnd h, Hwnd parent, Hwnd insertAfter) {
    Window* w = Get(h);
    Window* p = Get(parent);
    if (!w || !p) return;
    w->parent = parent;
    auto& v = p->children;
    v.erase(std::remove(v.begin(), v.end(), h), v.end());
    const bool topLevel = parent == desktop_;
    if (topLevel && insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (topLevel && insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (!topLevel && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
        insertAfter = HWND_TOP;
    }
    // Top-level windows keep the topmost ones in a band above the others.
    auto firstNormal = [&]() {
        size_t i = 0;
        while (topLevel && i < v.size()) {
            const Window* s = Get(v[i]);
            if (!s || !(s->exStyle & WS_EX_TOPMOST)) break;
            ++i;
        }
        return i;
    };
    const bool isTopmost = topLevel && (w->exStyle & WS_EX_TOPMOST);
    size_t pos;
    if (insertAfter == HWND_BOTTOM) {
        pos = isTopmost ? firstNormal() : v.size();
    } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST ||
               insertAfter == HWND_NOTOPMOST) {
        pos = isTopmost ? 0 : firstNormal();
    } else {
        auto it = std::find(v.begin(), v.end(), insertAfter);
        pos = it == v.end() ? (isTopmost ? 0 : firstNormal()) : size_t(it - v.begin()) + 1;
        if (topLevel) {
            const size_t band = firstNormal();
            pos = isTopmost ? std::min(pos, band) : std::max(pos, band);
        }
    }
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(pos), h);
}

// Owned pop-ups stay above their owner: after the owner moved up, lift them above it.
void WindowManager::RaiseOwned(Hwnd owner) {
    Window* d = Get(desktop_);
    std::vector<Hwnd> owned;
    for (Hwnd c : d->children) {
        const Window* cw = Get(c);
        if (cw && cw->owner == owner) owned.push_back(c);
    }
    // Insert in reverse so that their relative order is kept, each directly above the owner.
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        auto& v = d->children;
        auto self = std::find(v.begin(), v.end(), *it);
        auto own = std::find(v.begin(), v.end(), owner);
        if (self == v.end() || own == v.end()) continue;
        if (self < own) continue;  // already above
        v.erase(self);
        own = std::find(v.begin(), v.end(), owner);
        v.insert(own, *it);
    }
    for (Hwnd o : owned) RaiseOwned(o);
}

std::vector<Hwnd> WindowManager::GetChildren(Hwnd parent) const {
    const Window* p = GetOrDesktop(parent);
    return p ? p->children : std::vector<Hwnd>{};
}

Hwnd WindowManager::GetParent(Hwnd h) const {
    const Window* w = Get(h);
    if (!w || h == desktop_) return {};
    if (w->style & WS_CHILD) return w->parent == desktop_ ? Hwnd{} : w->parent;
    if (w->parent != desktop_) return w->parent;
    return (w->style & WS_POPUP) ? w->owner : Hwnd{};
}

Hwnd WindowManager::GetAncestor(Hwnd h, uint32_t kind) const {
    const Window* w = Get(h);
    if (!w || h == desktop_) return {};
    switch (kind) {
        case GA_PARENT:
            return w->parent;
        case GA_ROOT: {
            while (w->parent != desktop_) {
                const Window* p = Get(w->parent);
                if (!p) break;
                w = p;
            }
            return w->self;
        }
        case GA_ROOTOWNER: {
            Hwnd root = GetAncestor(h, GA_ROOT);
            const Window* r = Get(root);
            while (r && r->owner) {
                const Window* o = Get(r->owner);
                if (!o) break;
                r = o;
            }
            return r ? r->self : Hwnd{};
        }
        default:
            return {};
    }
}

Hwnd WindowManager::GetWindow(Hwnd h, uint32_t relation) const {
    const Window* w = Get(h);
    if (!w) return {};
    if (relation == GW_CHILD) return w->children.empty() ? Hwnd{} : w->children.front();
    if (relation == GW_OWNER) return w->parent == desktop_ ? w->owner : Hwnd{};
    const Window* p = Get(w->parent);
    if (!p) return {};
    const auto& v = p->children;
    auto it = std::find(v.begin(), v.end(), h);
    if (it == v.end()) return {};
    switch (relation) {
        case GW_HWNDFIRST:
            return v.front();
        case GW_HWNDLAST:
            return v.back();
        case GW_HWNDNEXT:
            return (it + 1) == v.end() ? Hwnd{} : *(it + 1);
        case GW_HWNDPREV:
            return it == v.begin() ? Hwnd{} : *(it - 1);
        default:
            return {};
    }
}

Hwnd WindowManager::GetTopWindow(Hwnd parent) const {
    const Window* p = GetOrDesktop(parent);
    return (p && !p->children.empty()) ? p->children.front() : Hwnd{};
}

bool WindowManager::IsChild(Hwnd parent, Hwnd h) const {
    const Window* w = Get(h);
    while (w && (w->style & WS_CHILD) && w->parent != desktop_) {
        if (w->parent == parent) return true;
        w = Get(w->parent);
    }
    return false;
}

Hwnd WindowManager::GetDlgItem(Hwnd parent, int id) const {
    const Window* p = Get(parent);
    if (!p) return {};
    for (Hwnd c : p->children) {
        const Window* cw = Get(c);
        if (cw && cw->id == id) return c;
    }
    return {};
}

int WindowManager::GetDlgCtrlID(Hwnd h) const {
    const Window* w = Get(h);
    return (w && (w->style & WS_CHILD)) ? static_cast<int>(w->id) : 0;
}

// ---------------------------------------------------------------------------------------------
// Creation

Hwnd WindowManager::CreateWindowEx(uint32_t exStyle, const std::string& className,
                                   const std::string& title, uint32_t style, int x, int y,
                                   int width, int height, Hwnd parent, intptr_t menuOrId,
                                   void* instance, void* param) {
    if (!IsGuiThread()) return {};
    auto cit = classes_.find(Lower(className));
    if (cit == classes_.end()) return {};

    Hwnd realParent = desktop_;
    Hwnd owner{};
    if (style & WS_CHILD) {
        if (!parent || !Get(parent)) return {};
        realParent = parent;
    } else if (parent) {
        if (!Get(parent)) return {};
        owner = GetAncestor(parent, GA_ROOT);
    }
    // Overlapped top-level windows always have a caption and clip their siblings.
    if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION | WS_CLIPSIBLINGS;

    const Rect screen = ScreenRect();
    if (!(style & WS_CHILD)) {
        if (x == CW_USEDEFAULT) {
            x = 26 * (cascadeIndex_ % 8);
            y = 26 * (cascadeIndex_ % 8);
            ++cascadeIndex_;
        }
        if (width == CW_USEDEFAULT) {
            width = screen.Width() * 3 / 4;
            height = screen.Height() * 3 / 4;
        }
    } else {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
    }
    if (y == CW_USEDEFAULT) y = 0;
    if (height == CW_USEDEFAULT) height = 0;

    x = HoldCoordinate(x);
    y = HoldCoordinate(y);
    width = HoldExtent(width);
    height = HoldExtent(height);

    const Hwnd h = AllocateSlot();
    if (!h) return {};
    auto win = std::make_unique<Window>();
    win->self = h;
    win->cls = cit->second;
    win->proc = cit->second.proc;
    win->style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
    win->exStyle = exStyle;
    win->ncActive = (style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD);
    win->owner = owner;
    win->rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    win->restoreRect = win->rect;
    win->id = menuOrId;
    win->instance = instance ? instance : cit->second.instance;
    win->extra.assign(static_cast<size_t>((cit->second.windowExtraBytes + 3) / 4), 0);
    win->text = title;
    slots_[h.value & 0xFFFF] = std::move(win);
    // A top-level window's menu argument is its menu bar (else the class menu).
    Get(h)->hasMenuBar = AttachCreationMenu(h, (style & WS_CHILD) ? 0 : menuOrId,
                                            (style & WS_CHILD) ? 0 : cit->second.menuId);
    // New children go below their siblings, so the first one created is on top (dialog order);
    // new top-level windows go on top.
    LinkToParent(h, realParent, (style & WS_CHILD) ? HWND_BOTTOM : HWND_TOP);
    if (realParent == desktop_) RaiseOwned(h);

    CreateStruct cs;
    cs.createParams = param;
    cs.instance = instance;
    cs.menuOrId = menuOrId;
    cs.parent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.style = style;
    cs.exStyle = exStyle;
    cs.name = Get(h)->text.c_str();
    cs.className = className.c_str();

    if (!SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LParam>(&cs))) {
        if (Get(h)) {
            Get(h)->destroying = true;
            SendMessage(h, WM_NCDESTROY, 0, 0);
            DropWindowState(h);
            UnlinkFromParent(h);
            FreeSlot(h);
        }
        return {};
    }
    RecalcClient(h);
    if (!Get(h)) return {};
    if (SendMessage(h, WM_CREATE, 0, reinterpret_cast<LParam>(&cs)) == -1) {
        if (Get(h)) DestroyWindow(h);
        return {};
    }
    Window* w = Get(h);
    if (!w) return {};
    SendMessage(h, WM_SIZE, SIZE_RESTORED, MakeLParam(w->client.Width(), w->client.Height()));
    w = Get(h);
    if (!w) return {};
    SendMessage(h, WM_MOVE, 0,
                MakeLParam(w->rect.left + w->client.left, w->rect.top + w->client.top));
    w = Get(h);
    if (!w) return {};

    if ((style & WS_CHILD) && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
        Hwnd p = w->parent;
        SendMessage(p, WM_PARENTNOTIFY,
                    MakeWParam(static_cast<int>(WM_CREATE), static_cast<int>(menuOrId)),
                    HwndToParam(h));
        if (!Get(h)) return {};
    }
    if (style & WS_MAXIMIZE)
        ApplyMinMax(h, SW_MAXIMIZE);
    else if (style & WS_MINIMIZE)
        ApplyMinMax(h, SW_MINIMIZE);
    if (!Get(h)) return {};
    if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
    if (!Get(h)) return {};
    if (realParent == desktop_ && !Get(mainWindow_)) mainWindow_ = h;
    return h;
}

// ---------------------------------------------------------------------------------------------
// Destruction

void WindowManager::DropWindowState(Hwnd h) {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](const std::unique_ptr<Timer>& t) { return t->hwnd == h; }),
                  timers_.end());
    for (auto it = dcs_.begin(); it != dcs_.end();) {
        it = it->hwnd == h ? dcs_.erase(it) : std::next(it);
    }
    if (capture_ == h) capture_ = {};
    if (focus_ == h) focus_ = {};
    if (active_ == h) active_ = {};
    if (lastClickWindow_ == h) lastClickWindow_ = {};
    if (mainWindow_ == h) mainWindow_ = {};
    if (mouseTrack_ == h) {
        mouseTrack_ = {};
        mouseTrackFlags_ = 0;
    }
    if (captionPressedWindow_ == h) captionPressedWindow_ = {};
}

void WindowManager::DestroyRecursive(Hwnd h, std::vector<Hwnd>& order) {
    // WM_DESTROY goes to the window before its children.
    if (!Get(h)) return;
    SendMessage(h, WM_DESTROY, 0, 0);
    Window* w = Get(h);
    if (!w) return;
    const std::vector<Hwnd> kids = w->children;
    for (Hwnd c : kids) {
        Window* cw = Get(c);
        if (!cw || cw->destroying) continue;
        cw->destroying = true;
        DestroyRecursive(c, order);
    }
    order.push_back(h);
}

bool WindowManager::DestroyWindow(Hwnd h) {
    if (!IsGuiThread()) return false;
    Window* w = Get(h);
    if (!w || h == desktop_ || w->destroying) return false;

    // Owned pop-ups go first.
    if (w->parent == desktop_) {
        std::vector<Hwnd> owned;
        for (Hwnd c : Get(desktop_)->children) {
            const Window* cw = Get(c);
            if (cw && cw->owner == h) owned.push_back(c);
        }
        for (Hwnd o : owned) DestroyWindow(o);
        w = Get(h);
        if (!w || w->destroying) return false;
    }
    w->destroying = true;

    const bool wasActive = active_ == h;
    const Hwnd owner = w->owner;
    // Hide without WM_SHOWWINDOW.
    if (IsReallyVisible(w)) {
        const Rect area = WindowRectScreen(w);
        w->style &= ~WS_VISIBLE;
        ExposeScreen(Region(area));
    } else {
        w->style &= ~WS_VISIBLE;
    }
    // Focus and capture inside the window end now.
    if (focus_ && (focus_ == h || IsChild(h, focus_))) {
        const Hwnd f = focus_;
        focus_ = {};
        SendMessage(f, WM_KILLFOCUS, 0, 0);
    }
    if (capture_ && (capture_ == h || IsChild(h, capture_))) ReleaseCapture();

    w = Get(h);
    if (!w) return true;
    if ((w->style & WS_CHILD) && !(w->exStyle & WS_EX_NOPARENTNOTIFY) && Get(w->parent)) {
        SendMessage(w->parent, WM_PARENTNOTIFY,
                    MakeWParam(static_cast<int>(WM_DESTROY), static_cast<int>(w->id)),
                    HwndToParam(h));
    }

    std::vector<Hwnd> order;
    DestroyRecursive(h, order);
    // WM_NCDESTROY goes to the children first, the window itself last.
    for (Hwnd d : order) {
        if (Get(d)) SendMessage(d, WM_NCDESTROY, 0, 0);
    }
    for (Hwnd d : order) {
        if (!Get(d)) continue;
        MenuWindowDestroyed(d);
        DropWindowState(d);
        UnlinkFromParent(d);
        FreeSlot(d);
    }
    if (wasActive || active_ == h || !Get(active_)) {
        active_ = {};
        ActivateAnother(h, owner);
    }
    return true;
}

void WindowManager::ActivateAnother(Hwnd leaving, Hwnd owner) {
    if (!owner) {
        if (const Window* lw = Get(leaving)) owner = lw->owner;
    }
    auto eligible = [&](Hwnd c) {
        const Window* cw = Get(c);
        return cw && c != leaving && cw->parent == desktop_ && (cw->style & WS_VISIBLE) &&
               !(cw->style & WS_DISABLED) && !(cw->style & WS_MINIMIZE) && !cw->destroying;
    };
    // A pop-up that goes hands the activation back to its owner; otherwise the topmost
    // window that can take it.
    if (eligible(owner)) {
        SetActiveWindow(owner);
        return;
    }
    const Window* d = Get(desktop_);
    for (Hwnd c : d->children) {
        if (eligible(c)) {
            SetActiveWindow(c);
            return;
        }
    }
    // Nothing can take it: the window leaving (minimised, hidden) is told it is no longer
    // active, so that its caption does not stay lit.
    const Hwnd old = active_;
    active_ = {};
    if (old && old == leaving && Get(old) && !Get(old)->destroying) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        if (Get(old)) {
            SendMessage(old, WM_ACTIVATE,
                        MakeWParam(static_cast<int>(WA_INACTIVE), IsIconic(old) ? 1 : 0), 0);
        }
        if (Get(focus_) && Get(old) && (focus_ == old || IsChild(old, focus_))) SetFocus({});
    }
}

// ---------------------------------------------------------------------------------------------
// Showing, moving, enabling

bool WindowManager::ShowInternal(Hwnd h, bool activate) {
    Window* w = Get(h);
    if (!w) return false;
    uint32_t flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
    // Showing a child keeps its place among its siblings.
    if (!activate || (w->style & WS_CHILD)) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, flags);
}

// Where a window goes when maximised: filling its parent's client area (the screen) with its
// frame outside, unless its procedure's WM_GETMINMAXINFO answer places it elsewhere.
Rect WindowManager::MaximizedPlacement(Hwnd h) {
    const MinMaxInfo mm = QueryMinMaxInfo(h);
    const Point pos{HoldCoordinate(mm.maxPosition.x), HoldCoordinate(mm.maxPosition.y)};
    return {pos.x, pos.y, pos.x + std::clamp(mm.maxSize.x, 0, kMaxWindowCoordinate),
            pos.y + std::clamp(mm.maxSize.y, 0, kMaxWindowCoordinate)};
}

void WindowManager::ApplyMinMax(Hwnd h, int cmd) {
    Window* w = Get(h);
    if (!w) return;
    Rect target = w->rect;
    uint32_t style = w->style;
    if (cmd == SW_MAXIMIZE || cmd == SW_SHOWMAXIMIZED) {
        if ((style & WS_MAXIMIZE) && !(style & WS_MINIMIZE)) {
            // A main window made maximised before it became the main window: the screen
            // window is asked now.
            if (h == mainWindow_ && !followingScreen_ && !backend_->IsWindowMaximized()) backend_->MaximizeWindow();
            return;
        }
        if (!(style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restoreRect = w->rect;
        style = (style | WS_MAXIMIZE) & ~WS_MINIMIZE;
        w->style = style;
        target = MaximizedPlacement(h);
        if (!Get(h)) return;
    } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE) {
        if (style & WS_MINIMIZE) return;
        w->maximizedBeforeMinimize = (style & WS_MAXIMIZE) != 0;
        if (!(style & WS_MAXIMIZE)) w->restoreRect = w->rect;
        w->style = (style | WS_MINIMIZE) & ~WS_MAXIMIZE;
        target = IconicRect(w);
    } else {  // restore
        if (!(style & (WS_MINIMIZE | WS_MAXIMIZE))) return;
        if ((style & WS_MINIMIZE) && w->maximizedBeforeMinimize) {
            w->style = (style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            target = MaximizedPlacement(h);
            if (!Get(h)) return;
            w = Get(h);
        } else {
            w->style = style & ~(WS_MINIMIZE | WS_MAXIMIZE);
            // A main window that stands for the screen window still fills the screen when
            // restored from maximised, while the screen window itself becomes smaller.
            target = h == mainWindow_ && mainFillsScreen_ && (style & WS_MAXIMIZE) ? ScreenRect() : w->restoreRect;
        }
        w->maximizedBeforeMinimize = false;
    }
    SetWindowPos(h, {}, target.left, target.top, target.Width(), target.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | kSwpStateChanged);
    if (Get(h) && (Get(h)->style & WS_MINIMIZE)) {
        // An iconic window is out of the way: pass activation on.
        if (active_ == h) ActivateAnother(h);
    }
    // The main window stands for the program: minimising, maximising and restoring it do the
    // same to the screen window (unless the change came from there).
    if (h == mainWindow_ && Get(h) && !followingScreen_) {
        const uint32_t now = Get(h)->style;
        if (now & WS_MINIMIZE) {
            backend_->MinimizeWindow();
        } else {
            backend_->RestoreWindow();
            if (now & WS_MAXIMIZE) {
                backend_->MaximizeWindow();
            } else if (style & WS_MAXIMIZE) {
                backend_->UnmaximizeWindow();
            }
        }
    }
}

bool WindowManager::ShowWindow(Hwnd h, int cmd) {
    Window* w = Get(h);
    if (!w || h == desktop_) return false;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    switch (cmd) {
        case SW_HIDE:
            if (!wasVisible) return false;
            SendMessage(h, WM_SHOWWINDOW, 0, 0);
            if (!Get(h)) return true;
            SetWindowPos(h, {}, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        case SW_SHOWMAXIMIZED:
            ApplyMinMax(h, SW_MAXIMIZE);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
            ApplyMinMax(h, SW_MINIMIZE);
            break;
        case SW_RESTORE:
        case SW_SHOWNORMAL:
        case SW_SHOWDEFAULT:
            ApplyMinMax(h, SW_RESTORE);
            break;
        default:
            break;
    }
    if (!Get(h)) return wasVisible;
    const bool activate = cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_MINIMIZE &&
                          cmd != SW_SHOWMINNOACTIVE;
    if (!wasVisible) {
        SendMessage(h, WM_SHOWWINDOW, 1, 0);
        if (!Get(h)) return wasVisible;
    }
    if (!wasVisible || activate) ShowInternal(h, activate && !(Get(h)->style & WS_MINIMIZE));
    return wasVisible;
}

bool WindowManager::SetWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                                 uint32_t flags) {
    if (!IsGuiThread()) return false;
    Window* w = Get(h);
    if (!w || h == desktop_) return false;
    WindowPos wp{h, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) {
        wp.x = w->rect.left;
        wp.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
        wp.cx = w->rect.Width();
        wp.cy = w->rect.Height();
    }
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendMessage(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LParam>(&wp));
        w = Get(h);
        if (!w) return false;
    }
    const bool wasVisible = IsReallyVisible(w);
    const Rect oldScreen = WindowRectScreen(w);
    wp.x = HoldCoordinate(wp.x);
    wp.y = HoldCoordinate(wp.y);
    wp.cx = HoldExtent(wp.cx);
    wp.cy = HoldExtent(wp.cy);
    const Rect newRect{wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy)};
    const bool moved = newRect.left != w->rect.left || newRect.top != w->rect.top;
    const bool sized = newRect.Width() != w->rect.Width() || newRect.Height() != w->rect.Height();
    w->rect = newRect;
    if (sized || (flags & (SWP_FRAMECHANGED | kSwpStateChanged))) {
        RecalcClient(h);
        w = Get(h);
        if (!w) return false;
    }
    bool zChanged = false;
    if (!(wp.flags & SWP_NOZORDER)) {
        const Window* p = Get(w->parent);
        const auto before = p ? p->children : std::vector<Hwnd>{};
        const Hwnd after = wp.insertAfter;
        if (after != h) LinkToParent(h, w->parent, after);
        if (w->parent == desktop_) RaiseOwned(h);
        p = Get(w->parent);
        zChanged = p && p->children != before;
    }
    const bool hiding = (wp.flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE);
    if (wp.flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
    if (wp.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
    const bool nowVisible = IsReallyVisible(w);

    if (moved || sized || zChanged || wasVisible != nowVisible || (flags & SWP_FRAMECHANGED) ||
        (flags & kSwpStateChanged)) {
        if (wasVisible) ExposeScreen(Region(oldScreen));
        if (nowVisible && !(flags & SWP_NOREDRAW)) InvalidateWholeWindow(h);
    }

    WindowPos changed = wp;
    if (!moved)
        changed.flags |= SWP_NOMOVE;
    else
        changed.flags &= ~SWP_NOMOVE;
    if (!sized && !(flags & kSwpStateChanged))
        changed.flags |= SWP_NOSIZE;
    else
        changed.flags &= ~SWP_NOSIZE;
    SendMessage(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LParam>(&changed));
    w = Get(h);
    if (!w) return true;

    if (hiding) {
        if (focus_ && (focus_ == h || IsChild(h, focus_))) {
            // The focus leaves a hidden window for its top-level window (or nowhere).
            const Hwnd root = GetAncestor(h, GA_ROOT);
            SetFocus(root != h && IsReallyVisible(Get(root)) ? root : Hwnd{});
        }
        if (active_ == h) ActivateAnother(h);
    }
    if (w->parent == desktop_ && !(wp.flags & SWP_NOACTIVATE) && nowVisible &&
        !(w->style & WS_DISABLED) && active_ != h) {
        SetActiveWindow(h);
    }
    return true;
}

bool WindowManager::MoveWindow(Hwnd h, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(h, {}, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool WindowManager::BringWindowToTop(Hwnd h) {
    return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool WindowManager::IsWindowVisible(Hwnd h) const {
    const Window* w = Get(h);
    while (w && w->self != desktop_) {
        if (!(w->style & WS_VISIBLE)) return false;
        w = Get(w->parent);
    }
    return w != nullptr;
}

bool WindowManager::IsWindowEnabled(Hwnd h) const {
    const Window* w = Get(h);
    return w && !(w->style & WS_DISABLED);
}

bool WindowManager::IsIconic(Hwnd h) const {
    const Window* w = Get(h);
    return w && (w->style & WS_MINIMIZE);
}

bool WindowManager::IsZoomed(Hwnd h) const {
    const Window* w = Get(h);
    return w && (w->style & WS_MAXIMIZE);
}

bool WindowManager::EnableWindow(Hwnd h, bool enable) {
    Window* w = Get(h);
    if (!w) return false;
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        if (focus_ && (focus_ == h || IsChild(h, focus_))) SetFocus({});
        if (capture_ && (capture_ == h || IsChild(h, capture_))) ReleaseCapture();
    }
    if (Get(h)) {
        Get(h)->ncDirty = true;
        SendMessage(h, WM_ENABLE, enable ? 1 : 0, 0);
    }
    return wasDisabled;
}

// ---------------------------------------------------------------------------------------------
// Parent, style and window data

Hwnd WindowManager::SetParent(Hwnd h, Hwnd newParent) {
    Window* w = Get(h);
    if (!w || h == desktop_) return {};
    const Hwnd np = newParent ? newParent : desktop_;
    if (!Get(np)) return {};
    // No window may become its own ancestor.
    if (np == h || IsChildOrSame(np, h)) return {};
    const Hwnd old = w->parent;
    const bool wasVisible = IsReallyVisible(w);
    if (wasVisible) ExposeScreen(Region(WindowRectScreen(w)));
    UnlinkFromParent(h);
    if (np != desktop_) w->owner = {};
    LinkToParent(h, np, HWND_TOP);
    if (np == desktop_) RaiseOwned(h);
    RecalcClient(h);
    w = Get(h);
    if (!w) return old;
    if (IsReallyVisible(w)) InvalidateWholeWindow(h);
    if (np != desktop_ && active_ == h) {
        // A docked window is no longer a top-level window that can be active.
        active_ = {};
        SetActiveWindow(GetAncestor(h, GA_ROOT));
    }
    return old;
}

bool WindowManager::IsChildOrSame(Hwnd h, Hwnd ancestor) const {
    const Window* w = Get(h);
    while (w) {
        if (w->self == ancestor) return true;
        if (w->self == desktop_) return false;
        w = Get(w->parent);
    }
    return false;
}

int32_t WindowManager::GetWindowLong(Hwnd h, int index) const {
    return static_cast<int32_t>(GetWindowLongPtr(h, index));
}

int32_t WindowManager::SetWindowLong(Hwnd h, int index, int32_t value) {
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        // Styles are bit sets: keep all 32 bits, not a sign-extended value.
        return static_cast<int32_t>(
            SetWindowLongPtr(h, index, static_cast<intptr_t>(static_cast<uint32_t>(value))));
    }
    return static_cast<int32_t>(SetWindowLongPtr(h, index, value));
}

intptr_t WindowManager::GetWindowLongPtr(Hwnd h, int index) const {
    const Window* w = Get(h);
    if (!w) return 0;
    switch (index) {
        case GWL_WNDPROC:
            return reinterpret_cast<intptr_t>(w->proc);
        case GWL_HINSTANCE:
            return reinterpret_cast<intptr_t>(w->instance);
        case GWL_HWNDPARENT:
            return HwndToParam(w->parent == desktop_ ? w->owner : w->parent);
        case GWL_ID:
            return w->id;
        case GWL_STYLE:
            return static_cast<intptr_t>(w->style);
        case GWL_EXSTYLE:
            return static_cast<intptr_t>(w->exStyle);
        case GWL_USERDATA:
            return w->userData;
        default:
            if (index >= 0 && index % 4 == 0 && static_cast<size_t>(index / 4) < w->extra.size()) {
                return w->extra[static_cast<size_t>(index / 4)];
            }
            return 0;
    }
}

intptr_t WindowManager::SetWindowLongPtr(Hwnd h, int index, intptr_t value) {
    Window* w = Get(h);
    if (!w || h == desktop_) return 0;
    intptr_t old = GetWindowLongPtr(h, index);
    switch (index) {
        case GWL_WNDPROC:
            // Subclassing: the old procedure is handed back for CallWindowProc.
            if (value == 0) return 0;
            w->proc = reinterpret_cast<WndProc>(value);
            return old;
        case GWL_HINSTANCE:
            w->instance = reinterpret_cast<void*>(value);
            return old;
        case GWL_HWNDPARENT:
            if (w->parent == desktop_) {
                const Hwnd o = HwndFromParam(value);
                w->owner = Get(o) ? GetAncestor(o, GA_ROOT) : Hwnd{};
                if (w->owner == h) w->owner = {};
            }
            return old;
        case GWL_ID:
            w->id = value;
            return old;
        case GWL_USERDATA:
            w->userData = value;
            return old;
        case GWL_STYLE:
        case GWL_EXSTYLE: {
            StyleStruct ss{static_cast<uint32_t>(old), static_cast<uint32_t>(value)};
            SendMessage(h, WM_STYLECHANGING, static_cast<WParam>(index),
                        reinterpret_cast<LParam>(&ss));
            w = Get(h);
            if (!w) return old;
            const bool wasVisible = IsReallyVisible(w);
            const Rect oldScreen = WindowRectScreen(w);
            if (index == GWL_STYLE) {
                w->style = ss.styleNew;
            } else {
                // Topmost changes only through SetWindowPos.
                w->exStyle = (ss.styleNew & ~WS_EX_TOPMOST) | (w->exStyle & WS_EX_TOPMOST);
            }
            SendMessage(h, WM_STYLECHANGED, static_cast<WParam>(index),
                        reinterpret_cast<LParam>(&ss));
            // The frame follows the style at once (the game re-parents right after).
            RecalcClient(h);
            w = Get(h);
            if (!w) return old;
            if (wasVisible) ExposeScreen(Region(oldScreen));
            if (IsReallyVisible(w)) InvalidateWholeWindow(h);
            if (wasVisible && !IsReallyVisible(w) && active_ == h) ActivateAnother(h);
            return old;
        }
        default:
            if (index >= 0 && index % 4 == 0 && static_cast<size_t>(index / 4) < w->extra.size()) {
                w->extra[static_cast<size_t>(index / 4)] = value;
                return old;
            }
            return 0;
    }
}

bool WindowManager::SetWindowText(Hwnd h, const std::string& text) {
    if (!Get(h)) return false;
    return SendMessage(h, WM_SETTEXT, 0, reinterpret_cast<LParam>(text.c_str())) != 0;
}

std::string WindowManager::GetWindowText(Hwnd h) const {
    if (!Get(h)) return {};
    auto* self = const_cast<WindowManager*>(this);
    const LResult len = self->SendMessage(h, WM_GETTEXTLENGTH, 0, 0);
    if (len <= 0) return {};
    std::string buf(static_cast<size_t>(len) + 1, '\0');
    const LResult got =
        self->SendMessage(h, WM_GETTEXT, buf.size(), reinterpret_cast<LParam>(buf.data()));
    buf.resize(static_cast<size_t>(std::clamp<LResult>(got, 0, len)));
    return buf;
}

}  // namespace zv::ui
