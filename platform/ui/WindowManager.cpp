#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"

namespace zv::ui {

namespace {

WindowManager* gCurrent = nullptr;

constexpr uint32_t kSwpStateChanged = 0x8000;  // internal: a min/max change forces WM_SIZE
constexpr ColorRef kDesktopColor = Rgb(0, 128, 128);
constexpr ColorRef kFace = Rgb(192, 192, 192);
constexpr ColorRef kShadow = Rgb(128, 128, 128);
constexpr ColorRef kHighlight = Rgb(255, 255, 255);
constexpr ColorRef kDark = Rgb(0, 0, 0);
constexpr ColorRef kActiveCaption = Rgb(0, 0, 128);
constexpr ColorRef kInactiveCaption = Rgb(128, 128, 128);
constexpr ColorRef kScrollTrack = Rgb(224, 224, 224);

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Window positions and sizes are held within a million pixels either way, far beyond any
// screen, so that the sums that place a window (parents, frames, scrolling) stay within int.
constexpr int kMaxWindowCoordinate = 1 << 20;
int HoldCoordinate(int v) {
    return std::clamp(v, -kMaxWindowCoordinate, kMaxWindowCoordinate);
}
int HoldExtent(int v) {
    return std::min(v, kMaxWindowCoordinate);  // negative sizes count as 0 where used
}

// The highest position a scroll bar takes: the last one at which a whole page still fits.
int HighestScrollPos(const ScrollInfo& si) {
    const int top =
        si.page ? static_cast<int>(si.max - static_cast<long long>(si.page) + 1) : si.max;
    return std::max(top, si.min);
}

bool TimeReached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}

LResult DesktopProc(Hwnd, uint32_t, WParam, LParam) {
    return 0;
}

}  // namespace

struct WindowManager::Window {
    Hwnd self{};
    WindowClass cls;
    WndProc proc = nullptr;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    Hwnd parent{};
    Hwnd owner{};
    std::vector<Hwnd> children;  // top first
    Rect rect{};                 // parent client coordinates
    Rect client{};               // relative to rect's top-left corner
    Rect restoreRect{};
    bool maximizedBeforeMinimize = false;
    intptr_t id = 0;
    void* instance = nullptr;
    intptr_t userData = 0;
    std::vector<intptr_t> extra;
    std::string text;
    Region update;  // client coordinates
    bool erase = false;
    bool ncDirty = false;
    bool destroying = false;
    ScrollInfo scroll[2]{};
    bool hasMenuBar = false;
};

struct WindowManager::Timer {
    Hwnd hwnd{};
    uintptr_t id = 0;
    uint32_t interval = 0;
    uint32_t due = 0;
    TimerProc proc = nullptr;
    uint64_t serial = 0;
};

struct WindowManager::PendingSend {
    Hwnd hwnd{};
    uint32_t msg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    LResult result = 0;
    bool done = false;
};

struct WindowManager::LiveDc {
    Hwnd hwnd{};
    Canvas canvas;
    Rect screenBounds{};
};

// ---------------------------------------------------------------------------------------------
// Construction

WindowManager::WindowManager(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend)), guiThread_(std::this_thread::get_id()) {
    generations_ = std::make_unique<std::array<std::atomic<uint16_t>, 65536>>();
    for (auto& g : *generations_) g.store(0, std::memory_order_relaxed);
    slots_.resize(1);  // slot 0 is never used: a zero handle is no window

    arrowCursor_ = CreateCursor(MakeArrowCursorImage());
    currentCursor_ = arrowCursor_;
    backend_->SetCursorImage(cursors_.front().get());

    desktop_ = AllocateSlot();
    auto d = std::make_unique<Window>();
    d->self = desktop_;
    d->cls.name = "#32769";
    d->cls.proc = DesktopProc;
    d->proc = DesktopProc;
    d->style = WS_VISIBLE | WS_CLIPCHILDREN;
    d->rect = ScreenRect();
    d->client = {0, 0, d->rect.Width(), d->rect.Height()};
    slots_[desktop_.value & 0xFFFF] = std::move(d);
    desktopDirty_.Add(ScreenRect());
    gCurrent = this;
}

WindowManager::~WindowManager() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        shuttingDown_ = true;
        for (auto& s : sends_) s->done = true;
        sends_.clear();
    }
    sendDone_.notify_all();
    if (gCurrent == this) gCurrent = nullptr;
    // Windows still alive are dropped without messages: their procedures may refer to state
    // that is already gone at this point.
}

WindowManager* WindowManager::Current() {
    return gCurrent;
}

Hwnd WindowManager::AllocateSlot() {
    uint16_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        if (slots_.size() >= 65536) return {};
        index = static_cast<uint16_t>(slots_.size());
        slots_.emplace_back();
    }
    auto& gen = (*generations_)[index];
    uint16_t g = static_cast<uint16_t>(gen.load() + 1);
    if (g == 0 || g == 0xFFFF) g = 1;  // keep clear of the special HWND_ values
    gen.store(g);
    return Hwnd{(static_cast<uint32_t>(g) << 16) | index};
}

void WindowManager::FreeSlot(Hwnd h) {
    const uint16_t index = h.value & 0xFFFF;
    // Bump the generation so that the old handle stops being a window at once.
    auto& gen = (*generations_)[index];
    uint16_t g = static_cast<uint16_t>(gen.load() + 1);
    if (g == 0 || g == 0xFFFF) g = 1;
    gen.store(g);
    slots_[index].reset();
    freeSlots_.push_back(index);
}

WindowManager::Window* WindowManager::Get(Hwnd h) const {
    const uint32_t index = h.value & 0xFFFF;
    if (index == 0 || index >= slots_.size()) return nullptr;
    if ((*generations_)[index].load() != (h.value >> 16)) return nullptr;
    return slots_[index].get();
}

WindowManager::Window* WindowManager::GetOrDesktop(Hwnd h) const {
    return h ? Get(h) : Get(desktop_);
}

bool WindowManager::IsWindow(Hwnd h) const {
    const uint32_t index = h.value & 0xFFFF;
    if (index == 0 || h.value == HWND_TOPMOST.value || h.value == HWND_NOTOPMOST.value)
        return false;
    return (*generations_)[index].load() == (h.value >> 16);
}

Rect WindowManager::ScreenRect() const {
    Surface32 s = backend_->Screen();
    return {0, 0, s.width, s.height};
}

int WindowManager::GetSystemMetrics(int index) const {
    const Rect r = ScreenRect();
    return SystemMetricFor(index, r.Width(), r.Height());
}

// ---------------------------------------------------------------------------------------------
// Classes

bool WindowManager::RegisterClass(const WindowClass& wc) {
    if (wc.name.empty() || wc.proc == nullptr || wc.windowExtraBytes < 0 ||
        wc.windowExtraBytes > 4096 || wc.classExtraBytes < 0) {
        return false;
    }
    auto [it, inserted] = classes_.emplace(Lower(wc.name), wc);
    (void)it;
    return inserted;
}

bool WindowManager::UnregisterClass(const std::string& name) {
    return classes_.erase(Lower(name)) > 0;
}

bool WindowManager::GetClassInfo(const std::string& name, WindowClass* out) const {
    auto it = classes_.find(Lower(name));
    if (it == classes_.end()) return false;
    if (out) *out = it->second;
    return true;
}

std::string WindowManager::GetClassName(Hwnd h) const {
    const Window* w = Get(h);
    return w ? w->cls.name : std::string();
}

LResult WindowManager::CallProc(Window* w, Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    WndProc proc = w->proc;
    return proc ? proc(h, msg, wp, lp) : DefWindowProc(h, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// Geometry

Rect WindowManager::NonClientInsets(const Window* w) const {
    if (w->self == desktop_) return {};
    int b = 0;
    if (w->style & WS_THICKFRAME) {
        b = kSizingFrameWidth;
    } else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
        b = kDialogFrameWidth;
    } else if (w->style & WS_BORDER) {
        b = kBorderWidth;
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) b += kEdgeWidth;
    if (w->exStyle & WS_EX_STATICEDGE) b += kStaticEdgeWidth;
    int top = b;
    if ((w->style & WS_CAPTION) == WS_CAPTION) {
        top += (w->exStyle & WS_EX_TOOLWINDOW) ? 15 : kCaptionHeight;
    }
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
        if (!(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) return false;
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
            if (sw && (sw->style & WS_VISIBLE) && !(sw->style & WS_MINIMIZE)) {
                reg.Subtract(WindowRectScreen(sw));
            }
        }
        if (reg.IsEmpty()) return reg;
        c = p;
    }
    // A window's own paint never covers its children.
    for (Hwnd ch : w->children) {
        const Window* cw = Get(ch);
        if (cw && (cw->style & WS_VISIBLE) && !(cw->style & WS_MINIMIZE)) {
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
    probe.style = w->style;
    probe.exStyle = w->exStyle;
    probe.hasMenuBar = w->hasMenuBar;
    const Rect in = NonClientInsets(&probe);
    const int b = in.left;
    return {area.left - b, area.top - b, area.right + b, area.bottom + b};
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
    win->owner = owner;
    win->rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    win->restoreRect = win->rect;
    win->id = menuOrId;
    win->instance = instance ? instance : cit->second.instance;
    win->extra.assign(static_cast<size_t>((cit->second.windowExtraBytes + 3) / 4), 0);
    win->text = title;
    slots_[h.value & 0xFFFF] = std::move(win);
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
        DropWindowState(d);
        UnlinkFromParent(d);
        FreeSlot(d);
    }
    if (wasActive || active_ == h || !Get(active_)) {
        active_ = {};
        ActivateAnother(h);
    }
    return true;
}

void WindowManager::ActivateAnother(Hwnd leaving) {
    (void)leaving;
    const Window* d = Get(desktop_);
    for (Hwnd c : d->children) {
        const Window* cw = Get(c);
        if (cw && c != leaving && (cw->style & WS_VISIBLE) && !(cw->style & WS_DISABLED) &&
            !(cw->style & WS_MINIMIZE) && !cw->destroying) {
            SetActiveWindow(c);
            return;
        }
    }
    active_ = {};
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

void WindowManager::ApplyMinMax(Hwnd h, int cmd) {
    Window* w = Get(h);
    if (!w) return;
    Rect target = w->rect;
    uint32_t style = w->style;
    if (cmd == SW_MAXIMIZE || cmd == SW_SHOWMAXIMIZED) {
        if ((style & WS_MAXIMIZE) && !(style & WS_MINIMIZE)) return;
        if (!(style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restoreRect = w->rect;
        style = (style | WS_MAXIMIZE) & ~WS_MINIMIZE;
        w->style = style;
        target = MaximizedRect(w);
    } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE) {
        if (style & WS_MINIMIZE) return;
        w->maximizedBeforeMinimize = (style & WS_MAXIMIZE) != 0;
        if (!(style & WS_MAXIMIZE)) w->restoreRect = w->rect;
        w->style = (style | WS_MINIMIZE) & ~WS_MAXIMIZE;
    } else {  // restore
        if (!(style & (WS_MINIMIZE | WS_MAXIMIZE))) return;
        if ((style & WS_MINIMIZE) && w->maximizedBeforeMinimize) {
            w->style = (style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            target = MaximizedRect(w);
        } else {
            w->style = style & ~(WS_MINIMIZE | WS_MAXIMIZE);
            target = w->restoreRect;
        }
        w->maximizedBeforeMinimize = false;
    }
    SetWindowPos(h, {}, target.left, target.top, target.Width(), target.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | kSwpStateChanged);
    if (Get(h) && (Get(h)->style & WS_MINIMIZE)) {
        // An iconic window is out of the way: pass activation on.
        if (active_ == h) ActivateAnother(h);
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

// ---------------------------------------------------------------------------------------------
// Sending and posting

LResult WindowManager::SendMessage(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (IsGuiThread()) {
        Window* win = Get(h);
        if (!win) return 0;
        return CallProc(win, h, msg, w, l);
    }
    // Another thread: queue the call for the GUI thread and wait for its answer. The caller
    // holds no lock of ours while it waits.
    if (!IsWindow(h)) return 0;
    auto ps = std::make_shared<PendingSend>();
    ps->hwnd = h;
    ps->msg = msg;
    ps->wParam = w;
    ps->lParam = l;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (shuttingDown_) return 0;
        sends_.push_back(ps);
    }
    sendArrived_.notify_all();
    backend_->Wake();
    std::unique_lock<std::mutex> lock(queueMutex_);
    sendDone_.wait(lock, [&] { return ps->done; });
    return ps->result;
}

bool WindowManager::ServePendingSends() {
    bool any = false;
    for (;;) {
        std::shared_ptr<PendingSend> ps;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            if (sends_.empty()) break;
            ps = sends_.front();
            sends_.pop_front();
        }
        LResult r = 0;
        if (Window* win = Get(ps->hwnd))
            r = CallProc(win, ps->hwnd, ps->msg, ps->wParam, ps->lParam);
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            ps->result = r;
            ps->done = true;
        }
        sendDone_.notify_all();
        any = true;
    }
    return any;
}

bool WindowManager::HasPendingSends() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return !sends_.empty();
}

bool WindowManager::PostMessage(Hwnd h, uint32_t msg, WParam w, LParam l) {
    // A null window posts to the GUI thread's queue (no window), as a thread message.
    if (h && !IsWindow(h)) return false;
    Msg m;
    m.hwnd = h;
    m.message = msg;
    m.wParam = w;
    m.lParam = l;
    m.time = backend_->NowMs();
    {
        // The cursor position is the GUI thread's; it is filled in when the message is fetched.
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (shuttingDown_) return false;
        posted_.push_back(m);
    }
    backend_->Wake();
    return true;
}

void WindowManager::PostQuitMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        quitPosted_ = true;
        quitCode_ = exitCode;
    }
    backend_->Wake();
}

void WindowManager::ServeSendsWhile(const std::function<bool()>& stillWaiting) {
    for (;;) {
        ServePendingSends();
        if (!stillWaiting()) return;
        std::unique_lock<std::mutex> lock(queueMutex_);
        sendArrived_.wait_for(lock, std::chrono::milliseconds(2), [&] { return !sends_.empty(); });
    }
}

void WindowManager::RunBlockingServingSends(const std::function<void()>& call) {
    std::atomic<bool> done{false};
    std::thread helper([&] {
        call();
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            done = true;
        }
        sendArrived_.notify_all();
    });
    ServeSendsWhile([&] { return !done.load(); });
    helper.join();
}

// ---------------------------------------------------------------------------------------------
// Input

void WindowManager::HandleBackendEvent(const BackendEvent& e) {
    switch (e.kind) {
        case BackendEventKind::MouseMove:
        case BackendEventKind::MouseDown:
        case BackendEventKind::MouseUp:
        case BackendEventKind::MouseWheel:
        case BackendEventKind::KeyDown:
        case BackendEventKind::KeyUp:
        case BackendEventKind::Text: {
            Msg m;
            TranslateInput(e, &m);
            return;
        }
        case BackendEventKind::CloseRequest: {
            Hwnd target = Get(mainWindow_) ? mainWindow_ : Hwnd{};
            if (!target) {
                for (Hwnd c : Get(desktop_)->children) {
                    if (Get(c)) target = c;
                }
            }
            if (target)
                PostMessage(target, WM_CLOSE, 0, 0);
            else
                PostQuitMessage(0);
            return;
        }
        case BackendEventKind::ScreenResized: {
            Window* d = Get(desktop_);
            d->rect = ScreenRect();
            d->client = {0, 0, d->rect.Width(), d->rect.Height()};
            const std::vector<Hwnd> tops = d->children;
            for (Hwnd t : tops) {
                Window* tw = Get(t);
                if (tw && (tw->style & WS_MAXIMIZE) && !(tw->style & WS_MINIMIZE)) {
                    const Rect r = MaximizedRect(tw);
                    SetWindowPos(t, {}, r.left, r.top, r.Width(), r.Height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
                }
            }
            ExposeScreen(Region(ScreenRect()));
            return;
        }
        case BackendEventKind::Exposed:
            MarkDirty(ScreenRect());
            return;
        case BackendEventKind::Minimized:
            if (Get(mainWindow_)) ShowWindow(mainWindow_, SW_MINIMIZE);
            return;
        case BackendEventKind::Restored:
            if (Get(mainWindow_) && IsIconic(mainWindow_)) ShowWindow(mainWindow_, SW_RESTORE);
            return;
    }
}

Hwnd WindowManager::HitFrom(Hwnd parent, Point screen, intptr_t* hit) {
    const Window* p = Get(parent);
    if (!p) return {};
    const std::vector<Hwnd> kids = p->children;
    for (Hwnd c : kids) {
        const Window* cw = Get(c);
        if (!cw || !(cw->style & WS_VISIBLE) || (cw->style & WS_MINIMIZE)) continue;
        // Disabled children let the point through to their parent; disabled top-level windows
        // still catch it (and drop it), as an owner under a modal dialog does.
        if (parent != desktop_ && (cw->style & WS_DISABLED)) continue;
        if (!WindowRectScreen(cw).Contains(screen.x, screen.y)) continue;
        if (ClientRectScreen(cw).Contains(screen.x, screen.y)) {
            const Hwnd deeper = HitFrom(c, screen, hit);
            if (deeper) return deeper;
        }
        const intptr_t ht = SendMessage(c, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
        if (ht == HTTRANSPARENT) continue;
        if (hit) *hit = ht;
        return c;
    }
    return {};
}

Hwnd WindowManager::WindowFromPoint(Point screen) {
    return HitFrom(desktop_, screen, nullptr);
}

Hwnd WindowManager::ChildWindowFromPoint(Hwnd parent, Point client) const {
    const Window* p = Get(parent);
    if (!p) return {};
    if (!Rect{0, 0, p->client.Width(), p->client.Height()}.Contains(client.x, client.y)) return {};
    for (Hwnd c : p->children) {
        const Window* cw = Get(c);
        if (cw && cw->rect.Contains(client.x, client.y)) return c;
    }
    return parent;
}

int16_t WindowManager::GetKeyState(uint32_t vk) const {
    return (vk < 256 && keyDown_[vk]) ? static_cast<int16_t>(0x8000) : 0;
}

bool WindowManager::GetCursorPos(Point* p) const {
    if (!p) return false;
    *p = cursorPos_;
    return true;
}

bool WindowManager::RouteMouse(const BackendEvent& e, Msg* out) {
    const Point pt{e.x, e.y};
    Hwnd target;
    intptr_t hit = HTCLIENT;
    const bool captured = Get(capture_) != nullptr;
    if (captured) {
        target = capture_;
    } else {
        target = HitFrom(desktop_, pt, &hit);
    }
    uint32_t keys = 0;
    if (keyDown_[VK_LBUTTON]) keys |= MK_LBUTTON;
    if (keyDown_[VK_RBUTTON]) keys |= MK_RBUTTON;
    if (keyDown_[VK_MBUTTON]) keys |= MK_MBUTTON;
    if (keyDown_[VK_SHIFT]) keys |= MK_SHIFT;
    if (keyDown_[VK_CONTROL]) keys |= MK_CONTROL;

    if (e.kind == BackendEventKind::MouseWheel) {
        Hwnd to = Get(focus_) ? focus_ : active_;
        if (!Get(to)) return false;
        out->hwnd = to;
        out->message = WM_MOUSEWHEEL;
        out->wParam = MakeWParam(static_cast<int>(keys), e.wheelDelta);
        out->lParam = MakeLParam(pt.x, pt.y);
        return true;
    }
    if (!target) {
        if (e.kind == BackendEventKind::MouseMove) SetCursor(arrowCursor_);
        return false;
    }
    const Hwnd root = GetAncestor(target, GA_ROOT);
    const bool disabled = !IsWindowEnabled(target) || !IsWindowEnabled(root);

    uint32_t base = WM_MOUSEMOVE;
    if (e.kind != BackendEventKind::MouseMove) {
        const bool down = e.kind == BackendEventKind::MouseDown;
        switch (e.button) {
            case MouseButton::Left:
                base = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                break;
            case MouseButton::Right:
                base = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                break;
            case MouseButton::Middle:
                base = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                break;
        }
    }
    if (!captured) {
        if (disabled) {
            if (e.kind == BackendEventKind::MouseMove) SetCursor(arrowCursor_);
            return false;
        }
        SendMessage(target, WM_SETCURSOR, HwndToParam(target),
                    MakeLParam(static_cast<int>(hit), static_cast<int>(base)));
        if (!Get(target)) return false;
    }
    const bool isDown = base == WM_LBUTTONDOWN || base == WM_RBUTTONDOWN || base == WM_MBUTTONDOWN;
    if (isDown && !captured && root != active_) {
        const LResult ma = SendMessage(target, WM_MOUSEACTIVATE, HwndToParam(root),
                                       MakeLParam(static_cast<int>(hit), static_cast<int>(base)));
        if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) {
            if (Get(root)) {
                SetActiveWindow(root);
            }
        }
        if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return false;
        if (!Get(target)) return false;
    } else if (isDown && !captured && Get(root)) {
        BringWindowToTop(root);
    }

    uint32_t msg = base;
    const uint32_t now = backend_->NowMs();
    if (isDown) {
        const Window* tw = Get(target);
        const bool wantsDouble = tw && (tw->cls.style & CS_DBLCLKS);
        const bool isDouble = wantsDouble && !lastClickWasDouble_ && lastClickWindow_ == target &&
                              lastClickMsg_ == base &&
                              static_cast<uint32_t>(now - lastClickTime_) <= kDoubleClickMs &&
                              std::abs(pt.x - lastClickPos_.x) <= kDoubleClickSize / 2 &&
                              std::abs(pt.y - lastClickPos_.y) <= kDoubleClickSize / 2;
        if (isDouble) msg = base + 2;  // WM_xBUTTONDBLCLK
        lastClickWasDouble_ = isDouble;
        lastClickWindow_ = target;
        lastClickMsg_ = base;
        lastClickTime_ = now;
        lastClickPos_ = pt;
    }
    out->hwnd = target;
    if (hit == HTCLIENT || captured) {
        Point c = pt;
        ScreenToClient(target, &c);
        out->message = msg;
        out->wParam = keys;
        out->lParam = MakeLParam(c.x, c.y);
    } else {
        out->message = msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        out->wParam = static_cast<WParam>(hit);
        out->lParam = MakeLParam(pt.x, pt.y);
    }
    return true;
}

bool WindowManager::TranslateInput(const BackendEvent& e, Msg* out) {
    const uint32_t now = backend_->NowMs();
    switch (e.kind) {
        case BackendEventKind::MouseMove:
        case BackendEventKind::MouseDown:
        case BackendEventKind::MouseUp:
        case BackendEventKind::MouseWheel: {
            cursorPos_ = {e.x, e.y};
            if (e.kind == BackendEventKind::MouseDown || e.kind == BackendEventKind::MouseUp) {
                const uint32_t vk = e.button == MouseButton::Left    ? VK_LBUTTON
                                    : e.button == MouseButton::Right ? VK_RBUTTON
                                                                     : VK_MBUTTON;
                keyDown_[vk] = e.kind == BackendEventKind::MouseDown;
            }
            Msg m;
            if (!RouteMouse(e, &m)) return false;
            m.time = now;
            m.pt = cursorPos_;
            inputMsgs_.push_back(m);
            *out = m;
            return true;
        }
        case BackendEventKind::KeyDown:
        case BackendEventKind::KeyUp: {
            const uint32_t vk = e.virtualKey & 0xFF;
            const bool down = e.kind == BackendEventKind::KeyDown;
            const bool wasDown = keyDown_[vk] != 0;
            keyDown_[vk] = down;
            const Hwnd to = Get(focus_) ? focus_ : active_;
            if (!Get(to)) return false;
            const bool alt = keyDown_[VK_MENU] != 0;
            const bool sys = alt || vk == VK_F10 || vk == VK_MENU;
            Msg m;
            m.hwnd = to;
            m.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
            m.wParam = vk;
            uint32_t lp = 1;
            if (alt) lp |= 1u << 29;
            if (down ? (wasDown || e.repeat) : true) lp |= 1u << 30;
            if (!down) lp |= 1u << 31;
            m.lParam = static_cast<LParam>(lp);
            m.time = now;
            m.pt = cursorPos_;
            inputMsgs_.push_back(m);
            *out = m;
            return true;
        }
        case BackendEventKind::Text: {
            const Hwnd to = Get(focus_) ? focus_ : active_;
            if (!Get(to)) return false;
            // Windows read characters as Shift-JIS bytes: a double-byte character arrives as
            // two WM_CHAR messages, lead byte first.
            const std::string sjis = zv::core::Utf8ToSjis(e.text);
            for (unsigned char c : sjis) {
                Msg m;
                m.hwnd = to;
                m.message = WM_CHAR;
                m.wParam = c;
                m.lParam = 1;
                m.time = now;
                m.pt = cursorPos_;
                inputMsgs_.push_back(m);
                *out = m;
            }
            return !sjis.empty();
        }
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Timers

uintptr_t WindowManager::SetTimer(Hwnd h, uintptr_t id, uint32_t elapseMs, TimerProc proc) {
    if (!IsGuiThread()) return 0;
    if (h && !Get(h)) return 0;
    if (elapseMs < USER_TIMER_MINIMUM) elapseMs = USER_TIMER_MINIMUM;
    if (elapseMs > 0x7FFFFFFF) elapseMs = 0x7FFFFFFF;
    if (!h) {
        // Timers without a window get an id of their own.
        id = ++nextThreadTimerId_;
    }
    const uint32_t now = backend_->NowMs();
    for (auto& t : timers_) {
        if (t->hwnd == h && t->id == id) {
            // Setting an existing timer again restarts it with the new period.
            t->interval = elapseMs;
            t->due = now + elapseMs;
            t->proc = proc;
            t->serial = ++timerSerial_;
            return h ? (id ? id : 1) : id;
        }
    }
    auto t = std::make_unique<Timer>();
    t->hwnd = h;
    t->id = id;
    t->interval = elapseMs;
    t->due = now + elapseMs;
    t->proc = proc;
    t->serial = ++timerSerial_;
    timers_.push_back(std::move(t));
    return h ? (id ? id : 1) : id;
}

bool WindowManager::KillTimer(Hwnd h, uintptr_t id) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const std::unique_ptr<Timer>& t) {
        return t->hwnd == h && t->id == id;
    });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    // A WM_TIMER already handed out but not yet dispatched is harmless: its window checks
    // nothing; a posted copy of it does not exist (timers are made when fetched).
    return true;
}

bool WindowManager::NextTimer(Msg* out, bool remove) {
    const uint32_t now = backend_->NowMs();
    Timer* best = nullptr;
    for (auto& t : timers_) {
        if (!TimeReached(now, t->due)) continue;
        if (!best || static_cast<int32_t>(t->due - best->due) < 0 ||
            (t->due == best->due && t->serial < best->serial)) {
            best = t.get();
        }
    }
    if (!best) return false;
    out->hwnd = best->hwnd;
    out->message = WM_TIMER;
    out->wParam = best->id;
    out->lParam = reinterpret_cast<LParam>(best->proc);
    out->time = now;
    out->pt = cursorPos_;
    // However late the fetch, one WM_TIMER stands for every period that passed.
    if (remove) best->due = now + best->interval;
    return true;
}

int WindowManager::MsUntilNextTimer() {
    if (timers_.empty()) return -1;
    const uint32_t now = backend_->NowMs();
    int32_t best = 0x7FFFFFFF;
    for (auto& t : timers_) best = std::min(best, static_cast<int32_t>(t->due - now));
    return std::max(0, static_cast<int>(best));
}

// ---------------------------------------------------------------------------------------------
// The message loop

bool WindowManager::MatchesFilter(const Msg& m, Hwnd filter, uint32_t min, uint32_t max) const {
    if (filter && !(m.hwnd == filter || IsChild(filter, m.hwnd))) return false;
    if (min == 0 && max == 0) return true;
    return m.message >= min && m.message <= max;
}

bool WindowManager::FetchMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max, bool remove) {
    // 1. Calls from other threads are served before anything else.
    ServePendingSends();

    // 2. Posted messages. Messages for windows that died meanwhile are dropped.
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        for (auto it = posted_.begin(); it != posted_.end();) {
            if (it->hwnd && !IsWindow(it->hwnd)) {
                it = posted_.erase(it);
                continue;
            }
            if (MatchesFilter(*it, filter, min, max)) {
                *out = *it;
                out->pt = cursorPos_;
                if (remove) posted_.erase(it);
                return true;
            }
            ++it;
        }
    }

    // 3. Input. Events are read from the backend one at a time and routed only when they are
    // needed, so that a capture or a window change made while handling one event decides
    // where the next one goes.
    for (;;) {
        for (auto it = inputMsgs_.begin(); it != inputMsgs_.end();) {
            if (!IsWindow(it->hwnd)) {
                it = inputMsgs_.erase(it);
                continue;
            }
            if (MatchesFilter(*it, filter, min, max)) {
                *out = *it;
                if (remove) inputMsgs_.erase(it);
                return true;
            }
            ++it;
        }
        BackendEvent e;
        if (!backend_->PollEvent(e)) break;
        HandleBackendEvent(e);
    }

    // 4. Quit, once nothing is posted.
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (quitPosted_ && posted_.empty()) {
            *out = Msg{};
            out->message = WM_QUIT;
            out->wParam = static_cast<WParam>(quitCode_);
            out->time = backend_->NowMs();
            if (remove) quitPosted_ = false;
            return true;
        }
    }

    // 5. Paint: the desktop is the layer's own, windows get WM_PAINT.
    if (!desktopDirty_.IsEmpty()) PaintDesktop();
    if (min == 0 && max == 0 ? true : (WM_PAINT >= min && WM_PAINT <= max)) {
        Hwnd p;
        if (FindWindowToPaint(&p) && (!filter || p == filter || IsChild(filter, p))) {
            *out = Msg{};
            out->hwnd = p;
            out->message = WM_PAINT;
            out->time = backend_->NowMs();
            out->pt = cursorPos_;
            return true;
        }
    }

    // 6. Timers.
    if (min == 0 && max == 0 ? true : (WM_TIMER >= min && WM_TIMER <= max)) {
        Msg t;
        // Timers of other windows wait while a filter is in force.
        if (NextTimer(&t, false) && MatchesFilter(t, filter, min, max)) {
            NextTimer(out, remove);
            return true;
        }
    }
    return false;
}

void WindowManager::WaitForWork() {
    PresentDirty();
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!sends_.empty() || !posted_.empty() || quitPosted_) return;
    }
    backend_->WaitForEvent(MsUntilNextTimer());
}

bool WindowManager::GetMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max) {
    Msg m;
    while (!FetchMessage(&m, filter, min, max, true)) WaitForWork();
    if (out) *out = m;
    return m.message != WM_QUIT;
}

bool WindowManager::PeekMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max,
                                uint32_t removeFlags) {
    Msg m;
    if (!FetchMessage(&m, filter, min, max, (removeFlags & PM_REMOVE) != 0)) {
        PresentDirty();
        return false;
    }
    if (out) *out = m;
    return true;
}

bool WindowManager::TranslateMessage(const Msg& m) {
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
    // Printable characters come from the backend's text input; the control keys that produce
    // a character are made here.
    WParam ch = 0;
    switch (m.wParam) {
        case VK_BACK:
            ch = 0x08;
            break;
        case VK_TAB:
            ch = 0x09;
            break;
        case VK_RETURN:
            ch = 0x0D;
            break;
        case VK_ESCAPE:
            ch = 0x1B;
            break;
        default:
            if (keyDown_[VK_CONTROL] && m.wParam >= 'A' && m.wParam <= 'Z') ch = m.wParam - 'A' + 1;
            break;
    }
    if (!ch) return false;
    Msg c = m;
    c.message = m.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    c.wParam = ch;
    inputMsgs_.push_front(c);
    return true;
}

LResult WindowManager::DispatchMessage(const Msg& m) {
    if (m.message == WM_TIMER && m.lParam != 0) {
        // Only a callback that a live timer holds is called, never a value someone posted.
        for (auto& t : timers_) {
            if (t->hwnd == m.hwnd && t->id == m.wParam &&
                reinterpret_cast<LParam>(t->proc) == m.lParam) {
                t->proc(m.hwnd, WM_TIMER, m.wParam, m.time);
                return 0;
            }
        }
        return 0;
    }
    Window* w = Get(m.hwnd);
    if (!w) return 0;
    if (m.message == WM_PAINT) {
        if (w->update.IsEmpty() && w->ncDirty) {
            // Only the frame is out of date.
            w->ncDirty = false;
            SendMessage(m.hwnd, WM_NCPAINT, 1, 0);
            return 0;
        }
        const LResult r = CallProc(w, m.hwnd, m.message, m.wParam, m.lParam);
        // A procedure that painted without BeginPaint must not be asked again forever.
        if (Window* after = Get(m.hwnd)) {
            after->update.Clear();
            after->erase = false;
            after->ncDirty = false;
        }
        return r;
    }
    return CallProc(w, m.hwnd, m.message, m.wParam, m.lParam);
}

LResult WindowManager::CallWindowProc(WndProc proc, Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (!proc) return 0;
    return proc(h, msg, w, l);
}

bool WindowManager::RunModalLoop(const std::function<bool()>& keepRunning) {
    while (keepRunning()) {
        Msg m;
        if (!FetchMessage(&m, {}, 0, 0, true)) {
            WaitForWork();
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return false;
        }
        TranslateMessage(m);
        DispatchMessage(m);
    }
    return true;
}

bool WindowManager::PumpPending() {
    Msg m;
    // A bound on the number of rounds: a window that invalidates itself while painting, or a
    // zero-period timer chain, must not keep the pump from returning.
    for (int rounds = 0; rounds < 100000; ++rounds) {
        if (!FetchMessage(&m, {}, 0, 0, true)) break;
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            PresentDirty();
            return false;
        }
        TranslateMessage(m);
        DispatchMessage(m);
    }
    PresentDirty();
    return true;
}

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
        if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) return false;
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
    const uint32_t px = ToPixel32(kDesktopColor);
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

// ---------------------------------------------------------------------------------------------
// Capture, focus, activation

Hwnd WindowManager::SetCapture(Hwnd h) {
    const Hwnd old = capture_;
    if (!Get(h)) return old;
    capture_ = h;
    if (Get(old) && old != h) SendMessage(old, WM_CAPTURECHANGED, 0, HwndToParam(h));
    return old;
}

bool WindowManager::ReleaseCapture() {
    const Hwnd old = capture_;
    capture_ = {};
    if (Get(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

Hwnd WindowManager::SetFocus(Hwnd h) {
    const Hwnd old = Get(focus_) ? focus_ : Hwnd{};
    if (!h) {
        focus_ = {};
        if (old) SendMessage(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    Window* w = Get(h);
    if (!w || h == desktop_ || w->destroying) return {};
    const Hwnd root = GetAncestor(h, GA_ROOT);
    if (root != active_) {
        SetActiveWindow(root);
        if (!Get(h)) return old;
    }
    const Hwnd prev = Get(focus_) ? focus_ : Hwnd{};
    if (prev == h) return prev;
    focus_ = h;
    if (prev) SendMessage(prev, WM_KILLFOCUS, HwndToParam(h), 0);
    if (Get(h) && focus_ == h) SendMessage(h, WM_SETFOCUS, HwndToParam(prev), 0);
    return old;
}

Hwnd WindowManager::SetActiveWindow(Hwnd h) {
    const Hwnd old = Get(active_) ? active_ : Hwnd{};
    if (!h) return old;
    const Hwnd root = GetAncestor(h, GA_ROOT);
    Window* w = Get(root);
    if (!w || root == desktop_ || w->destroying) return old;
    if (root == old) return old;
    if (old) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        SendMessage(old, WM_ACTIVATE,
                    MakeWParam(static_cast<int>(WA_INACTIVE), IsIconic(old) ? 1 : 0),
                    HwndToParam(root));
        if (focus_ && Get(focus_) && GetAncestor(focus_, GA_ROOT) == old) {
            const Hwnd f = focus_;
            focus_ = {};
            SendMessage(f, WM_KILLFOCUS, 0, 0);
        }
    }
    if (!Get(root)) return old;
    active_ = root;
    // The active window comes to the top of its band, with its owned pop-ups above it; what
    // it covered before is painted again.
    const Region before = VisibleRegion(Get(root), false);
    LinkToParent(root, desktop_, HWND_TOP);
    RaiseOwned(root);
    Region uncovered = VisibleRegion(Get(root), false);
    for (const Rect& r : before.Rects()) uncovered.Subtract(r);
    ExposeScreen(uncovered);
    Get(root)->ncDirty = true;
    const bool click = keyDown_[VK_LBUTTON] || keyDown_[VK_RBUTTON] || keyDown_[VK_MBUTTON];
    SendMessage(root, WM_NCACTIVATE, 1, 0);
    if (Get(root) && active_ == root) {
        SendMessage(root, WM_ACTIVATE,
                    MakeWParam(static_cast<int>(click ? WA_CLICKACTIVE : WA_ACTIVE),
                               IsIconic(root) ? 1 : 0),
                    HwndToParam(old));
    }
    return old;
}

// ---------------------------------------------------------------------------------------------
// Scroll bars

int WindowManager::SetScrollInfo(Hwnd h, int bar, const ScrollInfo& in, bool redraw) {
    Window* w = Get(h);
    if (!w) return 0;
    if (bar == SB_CTL) {
        return static_cast<int>(
            SendMessage(h, SBM_SETSCROLLINFO, redraw ? 1 : 0, reinterpret_cast<LParam>(&in)));
    }
    if (bar != SB_HORZ && bar != SB_VERT) return 0;
    ScrollInfo& si = w->scroll[bar];
    if (in.mask & SIF_RANGE) {
        si.min = in.min;
        si.max = std::max(in.min, in.max);
    }
    if (in.mask & SIF_PAGE) si.page = in.page;
    if (in.mask & SIF_POS) si.pos = in.pos;
    const long long range = static_cast<long long>(si.max) - si.min + 1;
    if (si.page > range) si.page = static_cast<uint32_t>(std::max(0LL, range));
    si.pos = std::clamp(si.pos, si.min, HighestScrollPos(si));
    if (redraw) w->ncDirty = true;
    return si.pos;
}

bool WindowManager::GetScrollInfo(Hwnd h, int bar, ScrollInfo* info) const {
    const Window* w = Get(h);
    if (!w || !info) return false;
    if (bar == SB_CTL) {
        return const_cast<WindowManager*>(this)->SendMessage(h, SBM_GETSCROLLINFO, 0,
                                                             reinterpret_cast<LParam>(info)) != 0;
    }
    if (bar != SB_HORZ && bar != SB_VERT) return false;
    const ScrollInfo& si = w->scroll[bar];
    const uint32_t mask = info->mask;
    if (mask & SIF_RANGE) {
        info->min = si.min;
        info->max = si.max;
    }
    if (mask & SIF_PAGE) info->page = si.page;
    if (mask & SIF_POS) info->pos = si.pos;
    if (mask & SIF_TRACKPOS) info->trackPos = si.trackPos;
    return true;
}

int WindowManager::SetScrollPos(Hwnd h, int bar, int pos, bool redraw) {
    const int old = GetScrollPos(h, bar);
    ScrollInfo si;
    si.mask = SIF_POS;
    si.pos = pos;
    SetScrollInfo(h, bar, si, redraw);
    return old;
}

int WindowManager::GetScrollPos(Hwnd h, int bar) const {
    ScrollInfo si;
    si.mask = SIF_POS;
    return GetScrollInfo(h, bar, &si) ? si.pos : 0;
}

bool WindowManager::SetScrollRange(Hwnd h, int bar, int min, int max, bool redraw) {
    ScrollInfo si;
    si.mask = SIF_RANGE;
    si.min = min;
    si.max = max;
    SetScrollInfo(h, bar, si, redraw);
    return Get(h) != nullptr;
}

bool WindowManager::GetScrollRange(Hwnd h, int bar, int* min, int* max) const {
    ScrollInfo si;
    si.mask = SIF_RANGE;
    if (!GetScrollInfo(h, bar, &si)) return false;
    if (min) *min = si.min;
    if (max) *max = si.max;
    return true;
}

Rect WindowManager::ScrollBarRect(const Window* w, int bar) const {
    const Rect c = w->client;
    if (bar == SB_VERT) {
        if (!(w->style & WS_VSCROLL)) return {};
        return {c.right, c.top, c.right + kScrollBarSize, c.bottom};
    }
    if (!(w->style & WS_HSCROLL)) return {};
    return {c.left, c.bottom, c.right, c.bottom + kScrollBarSize};
}

WindowManager::ScrollGeometry WindowManager::ScrollLayout(const Window* w, int bar) const {
    ScrollGeometry g;
    const Rect r = ScrollBarRect(w, bar);
    g.start = bar == SB_VERT ? r.top : r.left;
    g.length = bar == SB_VERT ? r.Height() : r.Width();
    g.arrow = std::min(kScrollBarSize, g.length / 2);
    const ScrollInfo& si = w->scroll[bar];
    g.posMax = HighestScrollPos(si);
    const int track = g.length - 2 * g.arrow;
    const long long range = static_cast<long long>(si.max) - si.min + 1;
    if (track < 8 || si.max <= si.min || (si.page && si.page >= range)) {
        g.thumbLength = 0;
        g.thumbStart = g.start + g.arrow;
        return g;
    }
    g.thumbLength = si.page ? static_cast<int>(std::max<long long>(
                                  8, track * static_cast<long long>(si.page) / range))
                            : kScrollBarSize;
    g.thumbLength = std::min(g.thumbLength, track);
    const int span = std::max(1, g.posMax - si.min);
    g.thumbStart =
        g.start + g.arrow +
        static_cast<int>(static_cast<long long>(track - g.thumbLength) * (si.pos - si.min) / span);
    return g;
}

int WindowManager::ScrollPartAt(Hwnd h, int bar, Point screen, int* thumbOffset) const {
    const Window* w = Get(h);
    if (!w) return -1;
    const Rect wr = WindowRectScreen(w);
    const Point p{screen.x - wr.left, screen.y - wr.top};
    const Rect r = ScrollBarRect(w, bar);
    if (!r.Contains(p.x, p.y)) return -1;
    const ScrollGeometry g = ScrollLayout(w, bar);
    const int along = bar == SB_VERT ? p.y : p.x;
    if (along < g.start + g.arrow) return SB_LINEUP;
    if (along >= g.start + g.length - g.arrow) return SB_LINEDOWN;
    if (g.thumbLength == 0) return -1;
    if (along < g.thumbStart) return SB_PAGEUP;
    if (along >= g.thumbStart + g.thumbLength) return SB_PAGEDOWN;
    if (thumbOffset) *thumbOffset = along - g.thumbStart;
    return SB_THUMBTRACK;
}

// ---------------------------------------------------------------------------------------------
// Cursors

Hcursor WindowManager::CreateCursor(const CursorImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
        return 0;
    }
    cursors_.push_back(std::make_unique<CursorImage>(image));
    return static_cast<Hcursor>(cursors_.size());
}

Hcursor WindowManager::LoadCursor(void* instance, int id) {
    (void)instance;
    (void)id;
    // Every stock cursor shows as the arrow.
    return arrowCursor_;
}

bool WindowManager::DestroyCursor(Hcursor c) {
    if (c == 0 || c == arrowCursor_ || c > cursors_.size() || !cursors_[c - 1]) return false;
    if (currentCursor_ == c) SetCursor(arrowCursor_);
    cursors_[c - 1].reset();
    return true;
}

Hcursor WindowManager::SetCursor(Hcursor c) {
    const Hcursor old = currentCursor_;
    if (c != 0 && (c > cursors_.size() || !cursors_[c - 1])) return old;
    if (c == currentCursor_) return old;
    currentCursor_ = c;
    backend_->SetCursorImage(c ? cursors_[c - 1].get() : nullptr);
    return old;
}

// ---------------------------------------------------------------------------------------------
// Frame drawing and hit testing

namespace {

struct CaptionLayout {
    Rect caption;  // window coordinates, empty without a caption
    Rect close, maximize, minimize;
};

void FillR(Canvas& dc, const Rect& r, ColorRef c) {
    if (!r.IsEmpty()) dc.FillSolid(r, c);
}

// A raised 3-D box: light top-left, dark bottom-right.
void RaisedBox(Canvas& dc, const Rect& r) {
    FillR(dc, r, kFace);
    FillR(dc, {r.left, r.top, r.right - 1, r.top + 1}, kHighlight);
    FillR(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, kHighlight);
    FillR(dc, {r.left, r.bottom - 1, r.right, r.bottom}, kDark);
    FillR(dc, {r.right - 1, r.top, r.right, r.bottom}, kDark);
    FillR(dc, {r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, kShadow);
    FillR(dc, {r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, kShadow);
}

void Edge(Canvas& dc, const Rect& r, ColorRef topLeft, ColorRef bottomRight) {
    FillR(dc, {r.left, r.top, r.right, r.top + 1}, topLeft);
    FillR(dc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    FillR(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillR(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

// A small solid triangle pointing up (0), down (1), left (2) or right (3), centred in r.
void Arrow(Canvas& dc, const Rect& r, int dir) {
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        switch (dir) {
            case 0:
                FillR(dc, {cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i}, kDark);
                break;
            case 1:
                FillR(dc, {cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i}, kDark);
                break;
            case 2:
                FillR(dc, {cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1}, kDark);
                break;
            default:
                FillR(dc, {cx - 1 + i, cy - 3 + i, cx + i, cy + 4 - i}, kDark);
                break;
        }
    }
}

}  // namespace

Font& WindowManager::CaptionFont() {
    if (!captionFont_) {
        FontSpec spec;
        spec.height = -12;
        spec.weight = FW_BOLD;
        spec.pitchAndFamily = FIXED_PITCH | FF_MODERN;
        captionFont_ = std::make_unique<Font>(spec);
    }
    return *captionFont_;
}

static CaptionLayout LayoutCaption(uint32_t style, uint32_t exStyle, const Rect& insets,
                                   int width) {
    CaptionLayout l{};
    if ((style & WS_CAPTION) != WS_CAPTION) return l;
    int b = insets.left;
    if (exStyle & WS_EX_CLIENTEDGE) b -= kEdgeWidth;
    if (exStyle & WS_EX_STATICEDGE) b -= kStaticEdgeWidth;
    const int h = (exStyle & WS_EX_TOOLWINDOW) ? 15 : kCaptionHeight;
    l.caption = {b, b, width - b, b + h - 1};
    const int bh = h - 5;
    const int bw = bh + 2;
    if (style & WS_SYSMENU) {
        l.close = {l.caption.right - 2 - bw, l.caption.top + 2, l.caption.right - 2,
                   l.caption.top + 2 + bh};
        if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
            l.maximize = {l.close.left - 2 - bw, l.close.top, l.close.left - 2, l.close.bottom};
            l.minimize = {l.maximize.left - bw, l.close.top, l.maximize.left, l.close.bottom};
        }
    }
    return l;
}

void WindowManager::PaintNonClient(Hwnd h) {
    Window* w = Get(h);
    if (!w || h == desktop_) return;
    const Rect in = NonClientInsets(w);
    if (in.left == 0 && in.top == 0 && in.right == 0 && in.bottom == 0) return;
    Canvas* dc = GetWindowDC(h);
    if (!dc) return;
    w = Get(h);
    const int W = w->rect.Width();
    const int H = w->rect.Height();
    dc->ExcludeClipRect(w->client);
    Rect r{0, 0, W, H};
    int frame = 0;
    if (w->style & WS_THICKFRAME)
        frame = kSizingFrameWidth;
    else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrameWidth;
    if (frame) {
        FillR(*dc, r, kFace);
        Edge(*dc, r, kFace, kDark);
        Edge(*dc, {1, 1, W - 1, H - 1}, kHighlight, kShadow);
        r = {frame, frame, W - frame, H - frame};
    } else if (w->style & WS_BORDER) {
        Edge(*dc, r, kDark, kDark);
        r = {1, 1, W - 1, H - 1};
    }
    const CaptionLayout cl = LayoutCaption(w->style, w->exStyle, in, W);
    if (!cl.caption.IsEmpty()) {
        const bool active = active_ == GetAncestor(h, GA_ROOT) && !(w->style & WS_CHILD);
        FillR(*dc, cl.caption, active || (w->style & WS_CHILD) ? kActiveCaption : kInactiveCaption);
        FillR(*dc, {cl.caption.left, cl.caption.bottom, cl.caption.right, cl.caption.bottom + 1},
              kFace);
        if (!cl.close.IsEmpty()) {
            RaisedBox(*dc, cl.close);
            const int cx = (cl.close.left + cl.close.right) / 2 - 1;
            const int cy = (cl.close.top + cl.close.bottom) / 2 - 1;
            for (int i = -3; i <= 3; ++i) {
                FillR(*dc, {cx + i, cy + i, cx + i + 2, cy + i + 1}, kDark);
                FillR(*dc, {cx + i, cy - i, cx + i + 2, cy - i + 1}, kDark);
            }
        }
        if (!cl.maximize.IsEmpty()) {
            RaisedBox(*dc, cl.maximize);
            const Rect m{cl.maximize.left + 4, cl.maximize.top + 2, cl.maximize.right - 5,
                         cl.maximize.bottom - 3};
            Edge(*dc, m, kDark, kDark);
            FillR(*dc, {m.left, m.top + 1, m.right, m.top + 2}, kDark);
        }
        if (!cl.minimize.IsEmpty()) {
            RaisedBox(*dc, cl.minimize);
            FillR(*dc,
                  {cl.minimize.left + 4, cl.minimize.bottom - 5, cl.minimize.right - 6,
                   cl.minimize.bottom - 3},
                  kDark);
        }
    }
    if (w->hasMenuBar) {
        const int top = cl.caption.IsEmpty() ? r.top : cl.caption.bottom + 1;
        FillR(*dc, {r.left, top, r.right, top + kMenuBarHeight}, kFace);
    }
    // Edges around the client area and its scroll bars.
    Rect inner{w->client.left, w->client.top,
               w->client.right + ((w->style & WS_VSCROLL) ? kScrollBarSize : 0),
               w->client.bottom + ((w->style & WS_HSCROLL) ? kScrollBarSize : 0)};
    if (w->exStyle & WS_EX_STATICEDGE) {
        inner = {inner.left - 1, inner.top - 1, inner.right + 1, inner.bottom + 1};
        Edge(*dc, inner, kShadow, kHighlight);
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) {
        const Rect e1{inner.left - 2, inner.top - 2, inner.right + 2, inner.bottom + 2};
        Edge(*dc, e1, kShadow, kHighlight);
        Edge(*dc, {e1.left + 1, e1.top + 1, e1.right - 1, e1.bottom - 1}, kDark, kFace);
    }
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        const Rect br = ScrollBarRect(w, bar);
        if (br.IsEmpty()) continue;
        const ScrollGeometry g = ScrollLayout(w, bar);
        FillR(*dc, br, kScrollTrack);
        if (bar == SB_VERT) {
            const Rect up{br.left, g.start, br.right, g.start + g.arrow};
            const Rect down{br.left, g.start + g.length - g.arrow, br.right, g.start + g.length};
            RaisedBox(*dc, up);
            Arrow(*dc, up, 0);
            RaisedBox(*dc, down);
            Arrow(*dc, down, 1);
            if (g.thumbLength)
                RaisedBox(*dc, {br.left, g.thumbStart, br.right, g.thumbStart + g.thumbLength});
        } else {
            const Rect left{g.start, br.top, g.start + g.arrow, br.bottom};
            const Rect right{g.start + g.length - g.arrow, br.top, g.start + g.length, br.bottom};
            RaisedBox(*dc, left);
            Arrow(*dc, left, 2);
            RaisedBox(*dc, right);
            Arrow(*dc, right, 3);
            if (g.thumbLength)
                RaisedBox(*dc, {g.thumbStart, br.top, g.thumbStart + g.thumbLength, br.bottom});
        }
    }
    if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
        FillR(*dc,
              {w->client.right, w->client.bottom, w->client.right + kScrollBarSize,
               w->client.bottom + kScrollBarSize},
              kFace);
    }
    // The title last: its clip narrows the context for good.
    if (!cl.caption.IsEmpty() && !w->text.empty()) {
        const int textRight = !cl.minimize.IsEmpty() ? cl.minimize.left
                              : !cl.close.IsEmpty()  ? cl.close.left
                                                     : cl.caption.right;
        Rect tr{cl.caption.left + 3, cl.caption.top, textRight - 2, cl.caption.bottom};
        if (!tr.IsEmpty()) {
            dc->SelectFont(CaptionFont());
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(kHighlight);
            dc->IntersectClipRect(tr);
            dc->DrawText(w->text, tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        }
    }
    ReleaseDC(h, dc);
}

intptr_t WindowManager::DefaultHitTest(Hwnd h, Point screen) const {
    const Window* w = Get(h);
    if (!w) return HTNOWHERE;
    const Rect wr = WindowRectScreen(w);
    const Point p{screen.x - wr.left, screen.y - wr.top};
    if (!Rect{0, 0, wr.Width(), wr.Height()}.Contains(p.x, p.y)) return HTNOWHERE;
    if (w->style & WS_MINIMIZE) return HTCAPTION;
    if (w->client.Contains(p.x, p.y)) return HTCLIENT;
    if (ScrollBarRect(w, SB_VERT).Contains(p.x, p.y)) return HTVSCROLL;
    if (ScrollBarRect(w, SB_HORZ).Contains(p.x, p.y)) return HTHSCROLL;
    const Rect in = NonClientInsets(w);
    const CaptionLayout cl = LayoutCaption(w->style, w->exStyle, in, wr.Width());
    if (cl.close.Contains(p.x, p.y)) return HTCLOSE;
    if (cl.maximize.Contains(p.x, p.y)) return HTMAXBUTTON;
    if (cl.minimize.Contains(p.x, p.y)) return HTMINBUTTON;
    if (Rect{cl.caption.left, cl.caption.top, cl.caption.right, cl.caption.bottom + 1}.Contains(
            p.x, p.y)) {
        return HTCAPTION;
    }
    if (w->hasMenuBar && p.y < w->client.top && p.y >= w->client.top - kMenuBarHeight)
        return HTMENU;
    return HTBORDER;
}

// ---------------------------------------------------------------------------------------------
// Mouse tracking loops (caption drags, caption buttons, scroll bars)

void WindowManager::TrackMouse(Hwnd h, const std::function<bool(const Msg&)>& onMouse) {
    SetCapture(h);
    bool keep = true;
    while (keep && Get(h) && capture_ == h) {
        Msg m;
        if (!FetchMessage(&m, {}, 0, 0, true)) {
            WaitForWork();
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        const bool nc = m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK;
        const bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) || nc;
        if (mouse) {
            Msg c = m;
            if (nc) c.message = m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
            keep = onMouse(c);
        } else if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            keep = false;
        } else {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
    if (capture_ == h) ReleaseCapture();
}

void WindowManager::TrackCaptionDrag(Hwnd h, Point start) {
    const Window* w = Get(h);
    if (!w || (w->style & WS_MAXIMIZE)) return;
    const Rect orig = w->rect;
    SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
    TrackMouse(h, [&](const Msg& m) {
        if (m.message == WM_MOUSEMOVE) {
            SetWindowPos(h, {}, orig.left + m.pt.x - start.x, orig.top + m.pt.y - start.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return m.message != WM_LBUTTONUP;
    });
    if (Get(h)) SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
}

void WindowManager::TrackCaptionButton(Hwnd h, intptr_t hit) {
    bool released = false;
    Point at{};
    TrackMouse(h, [&](const Msg& m) {
        if (m.message == WM_LBUTTONUP) {
            released = true;
            at = m.pt;
            return false;
        }
        return true;
    });
    if (!released || !Get(h) || DefaultHitTest(h, at) != hit) return;
    WParam cmd = SC_CLOSE;
    if (hit == HTMINBUTTON) cmd = SC_MINIMIZE;
    if (hit == HTMAXBUTTON) cmd = IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE;
    SendMessage(h, WM_SYSCOMMAND, cmd, MakeLParam(at.x, at.y));
}

void WindowManager::TrackScrollBar(Hwnd h, int bar, Point start) {
    int thumbOffset = 0;
    const int part = ScrollPartAt(h, bar, start, &thumbOffset);
    if (part < 0) return;
    const uint32_t msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    if (part != static_cast<int>(SB_THUMBTRACK)) {
        SendMessage(h, msg, static_cast<WParam>(part), 0);
        TrackMouse(h, [&](const Msg& m) { return m.message != WM_LBUTTONUP; });
        if (Get(h)) SendMessage(h, msg, SB_ENDSCROLL, 0);
        return;
    }
    int pos = GetScrollPos(h, bar);
    TrackMouse(h, [&](const Msg& m) {
        Window* w = Get(h);
        if (!w) return false;
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
            const ScrollGeometry g = ScrollLayout(w, bar);
            const Rect wr = WindowRectScreen(w);
            const int along = (bar == SB_VERT ? m.pt.y - wr.top : m.pt.x - wr.left) - thumbOffset -
                              (g.start + g.arrow);
            const int track = g.length - 2 * g.arrow - g.thumbLength;
            const ScrollInfo& si = w->scroll[bar];
            int p = si.min + static_cast<int>(static_cast<long long>(along) * (g.posMax - si.min) /
                                              std::max(1, track));
            p = std::clamp(p, si.min, g.posMax);
            if (m.message == WM_MOUSEMOVE && p != pos) {
                pos = p;
                w->scroll[bar].trackPos = p;
                SendMessage(h, msg, MakeWParam(static_cast<int>(SB_THUMBTRACK), p), 0);
            }
            if (m.message == WM_LBUTTONUP) {
                pos = p;
                SendMessage(h, msg, MakeWParam(static_cast<int>(SB_THUMBPOSITION), p), 0);
                return false;
            }
        }
        return true;
    });
    if (Get(h)) SendMessage(h, msg, SB_ENDSCROLL, 0);
}

// ---------------------------------------------------------------------------------------------
// Default behaviour

const Brush& StockBrushRef(int id) {
    // Immutable: shared by every manager, never changed.
    static const std::array<Brush, 6> kBrushes = {StockBrush(WHITE_BRUSH), StockBrush(LTGRAY_BRUSH),
                                                  StockBrush(GRAY_BRUSH),  StockBrush(DKGRAY_BRUSH),
                                                  StockBrush(BLACK_BRUSH), StockBrush(NULL_BRUSH)};
    if (id < 0 || id >= static_cast<int>(kBrushes.size())) return kBrushes[NULL_BRUSH];
    return kBrushes[static_cast<size_t>(id)];
}

LResult WindowManager::DefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    Window* w = Get(h);
    if (!w) return 0;
    switch (msg) {
        case WM_NCCREATE:
            return 1;
        case WM_NCCALCSIZE: {
            auto* p = reinterpret_cast<NcCalcSizeParams*>(lp);
            if (!p) return 0;
            const Rect in = NonClientInsets(w);
            p->rect = {p->rect.left + in.left, p->rect.top + in.top, p->rect.right - in.right,
                       p->rect.bottom - in.bottom};
            return 0;
        }
        case WM_NCHITTEST:
            return DefaultHitTest(h, {GetXLParam(lp), GetYLParam(lp)});
        case WM_NCPAINT:
            PaintNonClient(h);
            return 0;
        case WM_NCACTIVATE:
            w->ncDirty = true;
            return 1;
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<Canvas*>(wp);
            if (!w->cls.hasBackground || !dc) return 0;
            dc->FillSolid({0, 0, w->client.Width(), w->client.Height()}, w->cls.background);
            return 1;
        }
        case WM_PAINT: {
            PaintStruct ps;
            BeginPaint(h, &ps);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lp);
            w->text = text ? text : "";
            w->ncDirty = true;
            if (h == mainWindow_) backend_->SetTitle(zv::core::SjisToUtf8(w->text));
            return 1;
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LResult>(w->text.size());
        case WM_GETTEXT: {
            char* buf = reinterpret_cast<char*>(lp);
            if (!buf || wp == 0) return 0;
            // Never cut a double-byte character in half.
            const size_t n = zv::core::SjisCutLength(w->text, static_cast<size_t>(wp) - 1);
            std::memcpy(buf, w->text.data(), n);
            buf[n] = '\0';
            return static_cast<LResult>(n);
        }
        case WM_CLOSE:
            DestroyWindow(h);
            return 0;
        case WM_SYSCOMMAND:
            switch (wp & 0xFFF0) {
                case SC_CLOSE:
                    if (!(w->cls.style & CS_NOCLOSE)) SendMessage(h, WM_CLOSE, 0, 0);
                    return 0;
                case SC_MINIMIZE:
                    ShowWindow(h, SW_MINIMIZE);
                    return 0;
                case SC_MAXIMIZE:
                    ShowWindow(h, SW_SHOWMAXIMIZED);
                    return 0;
                case SC_RESTORE:
                    ShowWindow(h, SW_RESTORE);
                    return 0;
                case SC_MOVE:
                    TrackCaptionDrag(h, {GetXLParam(lp), GetYLParam(lp)});
                    return 0;
                default:
                    return 0;
            }
        case WM_MOUSEACTIVATE:
            if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
                const LResult r = SendMessage(w->parent, WM_MOUSEACTIVATE, wp, lp);
                if (r) return r;
            }
            return MA_ACTIVATE;
        case WM_SETCURSOR: {
            if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
                if (SendMessage(w->parent, WM_SETCURSOR, wp, lp)) return 1;
            }
            const intptr_t hit = static_cast<int16_t>(LoWord(static_cast<uintptr_t>(lp)));
            if (hit == HTCLIENT) {
                if (w->cls.cursor) {
                    SetCursor(w->cls.cursor);
                    return 1;
                }
                return 0;
            }
            SetCursor(arrowCursor_);
            return hit == HTERROR ? 0 : 1;
        }
        case WM_ACTIVATE:
            if (LoWord(wp) != WA_INACTIVE && HiWord(wp) == 0) SetFocus(h);
            return 0;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WindowPos*>(lp);
            if (!pos) return 0;
            if (!(pos->flags & SWP_NOMOVE)) {
                SendMessage(h, WM_MOVE, 0,
                            MakeLParam(w->rect.left + w->client.left, w->rect.top + w->client.top));
            }
            w = Get(h);
            if (w && !(pos->flags & SWP_NOSIZE)) {
                const WParam type = (w->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                                    : (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                               : SIZE_RESTORED;
                SendMessage(h, WM_SIZE, type, MakeLParam(w->client.Width(), w->client.Height()));
            }
            return 0;
        }
        case WM_MOUSEWHEEL:
            if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
                return SendMessage(w->parent, msg, wp, lp);
            }
            return 0;
        case WM_NCLBUTTONDOWN: {
            const Point at{GetXLParam(lp), GetYLParam(lp)};
            switch (static_cast<intptr_t>(wp)) {
                case HTCAPTION:
                    SendMessage(h, WM_SYSCOMMAND, SC_MOVE, lp);
                    return 0;
                case HTCLOSE:
                case HTMINBUTTON:
                case HTMAXBUTTON:
                    TrackCaptionButton(h, static_cast<intptr_t>(wp));
                    return 0;
                case HTVSCROLL:
                    TrackScrollBar(h, SB_VERT, at);
                    return 0;
                case HTHSCROLL:
                    TrackScrollBar(h, SB_HORZ, at);
                    return 0;
                default:
                    return 0;
            }
        }
        case WM_NCLBUTTONDBLCLK:
            if (static_cast<intptr_t>(wp) == HTCAPTION && (w->style & WS_MAXIMIZEBOX)) {
                SendMessage(h, WM_SYSCOMMAND, IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE, lp);
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (wp == VK_F1 + 3 && (static_cast<uintptr_t>(lp) & (1u << 29))) {  // Alt+F4
                SendMessage(GetAncestor(h, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            auto* dc = reinterpret_cast<Canvas*>(wp);
            const bool white = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
            if (dc) {
                dc->SetTextColor(kDark);
                dc->SetBkColor(white ? kHighlight : kFace);
            }
            return reinterpret_cast<LResult>(&StockBrushRef(white ? WHITE_BRUSH : LTGRAY_BRUSH));
        }
        case WM_QUERYENDSESSION:
            return 1;
        default:
            return 0;
    }
}

}  // namespace zv::ui
