// MDI: the MDI client class, DefFrameProc, DefMDIChildProc and TranslateMDISysAccel.
#include "platform/ui/Mdi.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"

namespace zv::ui {

namespace {

constexpr int kStateSlot = 0;
constexpr int kIconWidth = 160;
constexpr int kMaxListed = 9;  // "&1" .. "&9" in the window menu

struct ClientState {
    Hwnd self{};
    Hwnd frame{};
    Hmenu windowMenu{};
    uint32_t firstChild = 0;
    std::vector<Hwnd> children;  // creation order: the window menu's order and the ids
    Hwnd active{};
    Hwnd maximized{};
    std::string frameTitle;
    bool haveFrameTitle = false;
    int listed = 0;  // items of the window list in windowMenu, separator included
    int cascade = 0;
    bool destroying = false;
};

bool IsClient(Hwnd h) {
    return IsWindow(h) && GetClassName(h) == std::string(kMdiClientClass);
}

ClientState* StateOf(Hwnd client) {
    if (!IsClient(client)) return nullptr;
    return reinterpret_cast<ClientState*>(GetWindowLongPtr(client, kStateSlot));
}

bool Listed(const ClientState* s, Hwnd c) {
    return s && std::find(s->children.begin(), s->children.end(), c) != s->children.end();
}

uint32_t StyleOf(Hwnd h) {
    return static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE));
}

int IconHeight() {
    return kCaptionHeight + 2 * kSizingFrameWidth;
}

// The MDI children in z-order, top first.
std::vector<Hwnd> ZOrder(const ClientState* s) {
    std::vector<Hwnd> out;
    for (Hwnd c : WindowManager::Current()->GetChildren(s->self)) {
        if (Listed(s, c)) out.push_back(c);
    }
    return out;
}

// Frame widths of a child's style (its caption included, its scroll bars not): what a
// maximised child hides outside the client.
Rect FrameInsets(Hwnd c) {
    Rect wr, cr;
    GetWindowRect(c, &wr);
    GetClientRect(c, &cr);
    Point o{0, 0};
    ClientToScreen(c, &o);
    const uint32_t style = StyleOf(c);
    Rect in{o.x - wr.left, o.y - wr.top, wr.right - (o.x + cr.right),
            wr.bottom - (o.y + cr.bottom)};
    if (style & WS_VSCROLL) in.right -= kScrollBarSize;
    if (style & WS_HSCROLL) in.bottom -= kScrollBarSize;
    return in;
}

Rect MaximizedPlace(const ClientState* s, Hwnd c) {
    Rect cr;
    GetClientRect(s->self, &cr);
    const Rect in = FrameInsets(c);
    return {-in.left, -in.top, cr.right + in.right, cr.bottom + in.bottom};
}

void UpdateFrameTitle(ClientState* s) {
    if (!IsWindow(s->frame)) return;
    if (!s->haveFrameTitle) {
        s->frameTitle = GetWindowText(s->frame);
        s->haveFrameTitle = true;
    }
    std::string text = s->frameTitle;
    if (IsWindow(s->maximized)) text += " - [" + GetWindowText(s->maximized) + "]";
    if (GetWindowText(s->frame) != text)
        DefWindowProc(s->frame, WM_SETTEXT, 0, reinterpret_cast<LParam>(text.c_str()));
}

void RefreshList(ClientState* s) {
    if (!IsMenu(s->windowMenu)) {
        s->listed = 0;
        return;
    }
    // Take out the previous list: its items and the separator before them.
    for (int i = 0; i < s->listed; ++i) {
        const int n = GetMenuItemCount(s->windowMenu);
        if (n <= 0) break;
        RemoveMenu(s->windowMenu, static_cast<uint32_t>(n - 1), MF_BYPOSITION);
    }
    s->listed = 0;
    std::vector<Hwnd> shown;
    for (Hwnd c : s->children) {
        if (IsWindow(c) && (StyleOf(c) & WS_VISIBLE)) shown.push_back(c);
    }
    if (shown.empty()) return;
    AppendMenu(s->windowMenu, MF_SEPARATOR, 0, {});
    ++s->listed;
    for (size_t i = 0; i < shown.size() && i < kMaxListed; ++i) {
        const std::string text = "&" + std::to_string(i + 1) + " " + GetWindowText(shown[i]);
        const uint32_t flags = MF_STRING | (shown[i] == s->active ? MF_CHECKED : 0);
        AppendMenu(s->windowMenu, flags, static_cast<uintptr_t>(GetWindowLong(shown[i], GWL_ID)),
                   text);
        ++s->listed;
    }
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
}

void Renumber(ClientState* s) {
    for (size_t i = 0; i < s->children.size(); ++i) {
        SetWindowLong(s->children[i], GWL_ID, static_cast<int32_t>(s->firstChild + i));
    }
}

void ArrangeIcons(ClientState* s) {
    Rect cr;
    GetClientRect(s->self, &cr);
    const int perRow = std::max(1, cr.Width() / kIconWidth);
    int n = 0;
    for (Hwnd c : s->children) {
        if (!IsWindow(c) || !IsIconic(c)) continue;
        const int x = (n % perRow) * kIconWidth;
        const int y = cr.bottom - (n / perRow + 1) * IconHeight();
        SetWindowPos(c, {}, x, y, kIconWidth, IconHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
        ++n;
    }
}

int IconRows(const ClientState* s) {
    Rect cr;
    GetClientRect(s->self, &cr);
    const int perRow = std::max(1, cr.Width() / kIconWidth);
    int n = 0;
    for (Hwnd c : s->children) n += (IsWindow(c) && IsIconic(c)) ? 1 : 0;
    return (n + perRow - 1) / perRow;
}

void Activate(ClientState* s, Hwnd c);

void RestoreChild(ClientState* s, Hwnd c) {
    if (!Listed(s, c)) return;
    const bool wasIconic = IsIconic(c);
    if (c == s->maximized) s->maximized = {};
    ShowWindow(c, SW_RESTORE);
    if (!IsWindow(c)) return;
    if (IsZoomed(c)) {
        // An icon that was maximised before comes back maximised.
        s->maximized = c;
        SetWindowPos(c, {}, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const Rect r = MaximizedPlace(s, c);
        SetWindowPos(c, {}, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    UpdateFrameTitle(s);
    if (wasIconic) ArrangeIcons(s);
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
}

void MaximizeChild(ClientState* s, Hwnd c) {
    if (!Listed(s, c)) return;
    if (IsWindow(s->maximized) && s->maximized != c) {
        const Hwnd old = s->maximized;
        s->maximized = {};
        ShowWindow(old, SW_RESTORE);
    }
    s->maximized = c;
    const bool wasIconic = IsIconic(c);
    ShowWindow(c, SW_SHOWMAXIMIZED);
    if (!IsWindow(c)) {
        s->maximized = {};
        return;
    }
    // The frame and caption lie outside the client; the scroll bars stay inside.
    const Rect r = MaximizedPlace(s, c);
    SetWindowPos(c, {}, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (wasIconic) ArrangeIcons(s);
    UpdateFrameTitle(s);
    if (c != s->active) Activate(s, c);
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
}

void MinimizeChild(ClientState* s, Hwnd c) {
    if (!Listed(s, c)) return;
    if (c == s->maximized) s->maximized = {};
    ShowWindow(c, SW_MINIMIZE);
    if (!IsWindow(c)) return;
    ArrangeIcons(s);
    UpdateFrameTitle(s);
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
    // The focus leaves the icon for the client, as it would leave a hidden window.
    if (GetFocus() == c || IsChild(c, GetFocus())) SetFocus(s->self);
}

void Activate(ClientState* s, Hwnd c) {
    if (c && (!Listed(s, c) || !IsWindow(c) || !(StyleOf(c) & WS_VISIBLE))) return;
    if (c == s->active) {
        if (c) SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    const Hwnd old = s->active;
    // The maximised look moves to the child that becomes active.
    const bool carryMax = c && IsWindow(s->maximized) && s->maximized == old;
    s->active = c;
    if (IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        SendMessage(old, WM_MDIACTIVATE, HwndToParam(old), HwndToParam(c));
        RedrawWindow(old, nullptr, RDW_FRAME);
    }
    if (c && IsWindow(c) && s->active == c) {
        SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (carryMax) MaximizeChild(s, c);
        // The active child's caption shows active while its frame is active (DefFrameProc
        // passes the frame's WM_NCACTIVATE on).
        SendMessage(c, WM_NCACTIVATE, GetActiveWindow() == GetAncestor(s->self, GA_ROOT), 0);
        SendMessage(c, WM_MDIACTIVATE, HwndToParam(old), HwndToParam(c));
        RedrawWindow(c, nullptr, RDW_FRAME);
        SendMessage(c, WM_CHILDACTIVATE, 0, 0);
        const Hwnd root = GetAncestor(s->self, GA_ROOT);
        const Hwnd f = GetFocus();
        if (IsWindow(c) && GetActiveWindow() == root && f != c && !IsChild(c, f) && !IsIconic(c))
            SetFocus(c);
    }
    RefreshList(s);
}

// Another child to activate when c goes away: the topmost visible one.
Hwnd NextAfterLeaving(ClientState* s, Hwnd c) {
    for (Hwnd z : ZOrder(s)) {
        if (z != c && IsWindow(z) && (StyleOf(z) & WS_VISIBLE)) return z;
    }
    return {};
}

// c leaves the client (destroyed, by WM_MDIDESTROY or directly).
void Forget(ClientState* s, Hwnd c) {
    auto it = std::find(s->children.begin(), s->children.end(), c);
    if (it == s->children.end()) return;
    s->children.erase(it);
    if (s->destroying) return;
    Renumber(s);
    const bool wasMax = c == s->maximized;
    if (wasMax) s->maximized = {};
    if (c == s->active) {
        s->active = {};
        const Hwnd next = NextAfterLeaving(s, c);
        if (next) {
            Activate(s, next);
            if (wasMax) MaximizeChild(s, next);
        }
    }
    UpdateFrameTitle(s);
    RefreshList(s);
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
}

Hwnd CreateChild(ClientState* s, const MdiCreateStruct* mcs) {
    if (!mcs || !mcs->className) return {};
    uint32_t style = mcs->style;
    const bool all = (StyleOf(s->self) & MDIS_ALLCHILDSTYLES) != 0;
    if (!all) {
        style |= WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                 WS_MAXIMIZEBOX | WS_VISIBLE;
    }
    style = (style | WS_CHILD) & ~WS_POPUP;
    const bool wantMax = (style & WS_MAXIMIZE) || IsWindow(s->maximized);
    const bool wantMin = (style & WS_MINIMIZE) != 0;
    const bool visible = (style & WS_VISIBLE) != 0;
    style &= ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);

    Rect cr;
    GetClientRect(s->self, &cr);
    int x = mcs->x, y = mcs->y, cx = mcs->cx, cy = mcs->cy;
    const int step = kCaptionHeight + kSizingFrameWidth;
    if (x == MdiCreateStruct::CW_USEDEFAULT_MDI) {
        const int fit = std::max(1, (cr.Height() / 4) / step + 1);
        x = y = (s->cascade++ % fit) * step;
    }
    if (y == MdiCreateStruct::CW_USEDEFAULT_MDI) y = 0;
    if (cx == MdiCreateStruct::CW_USEDEFAULT_MDI) {
        cx = std::max(100, cr.Width() * 3 / 4);
        cy = std::max(60, cr.Height() * 3 / 4);
    }
    if (cy == MdiCreateStruct::CW_USEDEFAULT_MDI) cy = std::max(60, cr.Height() * 3 / 4);

    const auto id = static_cast<intptr_t>(s->firstChild + s->children.size());
    const Hwnd self = s->self;
    const Hwnd c = CreateWindowEx(WS_EX_MDICHILD, mcs->className, mcs->title ? mcs->title : "",
                                  style, x, y, cx, cy, self, id, mcs->instance,
                                  const_cast<MdiCreateStruct*>(mcs));
    s = StateOf(self);
    if (!c || !s || !IsWindow(c)) return {};
    s->children.push_back(c);
    Renumber(s);
    if (visible) {
        ShowWindow(c, SW_SHOWNA);
        if (wantMin) {
            MinimizeChild(s, c);
            RefreshList(s);
        } else {
            Activate(s, c);
            if (wantMax) MaximizeChild(s, c);
        }
    } else {
        RefreshList(s);
    }
    return IsWindow(c) ? c : Hwnd{};
}

LResult DestroyChild(ClientState* s, Hwnd c) {
    if (!Listed(s, c)) return 0;
    const bool wasMax = c == s->maximized;
    const bool wasActive = c == s->active;
    const Hwnd next = wasActive ? NextAfterLeaving(s, c) : Hwnd{};
    s->children.erase(std::find(s->children.begin(), s->children.end(), c));
    Renumber(s);
    if (wasMax) s->maximized = {};
    if (wasActive) s->active = {};
    DestroyWindow(c);
    if (wasActive && next && IsWindow(next)) {
        Activate(s, next);
        if (wasMax) MaximizeChild(s, next);
    }
    UpdateFrameTitle(s);
    RefreshList(s);
    if (IsWindow(s->frame)) DrawMenuBar(s->frame);
    return 0;
}

void NextChild(ClientState* s, Hwnd from, bool previous) {
    std::vector<Hwnd> z;
    for (Hwnd c : ZOrder(s)) {
        if ((StyleOf(c) & WS_VISIBLE) && IsWindowEnabled(c)) z.push_back(c);
    }
    if (z.size() < 2) return;
    const Hwnd cur = Listed(s, from) ? from : s->active;
    if (previous) {
        Activate(s, z.back());
        return;
    }
    auto it = std::find(z.begin(), z.end(), cur);
    const size_t i = it == z.end() ? 0 : static_cast<size_t>(it - z.begin());
    const Hwnd target = z[(i + 1) % z.size()];
    // The one left goes to the bottom, so that repeated presses visit every child.
    if (cur && IsWindow(cur))
        SetWindowPos(cur, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Activate(s, target);
}

// The children that tiling and cascading place: shown, not minimised (and enabled if asked).
std::vector<Hwnd> Arrangeable(ClientState* s, uint32_t flags) {
    if (IsWindow(s->maximized)) RestoreChild(s, s->maximized);
    std::vector<Hwnd> out;
    for (Hwnd c : ZOrder(s)) {
        if (!(StyleOf(c) & WS_VISIBLE) || IsIconic(c)) continue;
        if ((flags & MDITILE_SKIPDISABLED) && !IsWindowEnabled(c)) continue;
        out.push_back(c);
    }
    return out;
}

Rect ArrangeArea(ClientState* s) {
    Rect cr;
    GetClientRect(s->self, &cr);
    cr.bottom = std::max(cr.top + 1, cr.bottom - IconRows(s) * IconHeight());
    return cr;
}

LResult Tile(ClientState* s, uint32_t flags) {
    const std::vector<Hwnd> z = Arrangeable(s, flags);
    const int n = static_cast<int>(z.size());
    if (n == 0) return 0;
    const Rect a = ArrangeArea(s);
    const bool horizontal = (flags & MDITILE_HORIZONTAL) != 0;
    // Vertical tiling puts windows side by side in columns, horizontal tiling stacks them in
    // rows; the extra windows of an uneven count go to the last columns (rows).
    const int lines = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(n))));
    const int across = n / lines;
    const int extra = n - lines * across;
    int k = 0;
    for (int i = 0; i < across; ++i) {
        const int inLine = lines + (i >= across - extra ? 1 : 0);
        for (int j = 0; j < inLine && k < n; ++j, ++k) {
            Rect r;
            if (!horizontal) {
                const int x0 = a.left + a.Width() * i / across;
                const int x1 = a.left + a.Width() * (i + 1) / across;
                const int y0 = a.top + a.Height() * j / inLine;
                const int y1 = a.top + a.Height() * (j + 1) / inLine;
                r = {x0, y0, x1, y1};
            } else {
                const int y0 = a.top + a.Height() * i / across;
                const int y1 = a.top + a.Height() * (i + 1) / across;
                const int x0 = a.left + a.Width() * j / inLine;
                const int x1 = a.left + a.Width() * (j + 1) / inLine;
                r = {x0, y0, x1, y1};
            }
            SetWindowPos(z[static_cast<size_t>(k)], {}, r.left, r.top, r.Width(), r.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return 1;
}

LResult Cascade(ClientState* s, uint32_t flags) {
    const std::vector<Hwnd> z = Arrangeable(s, flags);
    const int n = static_cast<int>(z.size());
    if (n == 0) return 0;
    const Rect a = ArrangeArea(s);
    const int step = kCaptionHeight + kSizingFrameWidth;
    const int cx = std::max(a.Width() * 2 / 3, a.Width() - step * (n - 1));
    const int cy = std::max(a.Height() * 2 / 3, a.Height() - step * (n - 1));
    const int fit = std::max(1, std::min((a.Width() - cx) / step, (a.Height() - cy) / step) + 1);
    // Bottom first, so the active child (on top) takes the last place.
    int i = 0;
    for (auto it = z.rbegin(); it != z.rend(); ++it, ++i) {
        const int off = (i % fit) * step;
        SetWindowPos(*it, {}, a.left + off, a.top + off, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 1;
}

LResult SetMenus(ClientState* s, Hmenu frameMenu, Hmenu windowMenu) {
    const Hmenu old = GetMenu(s->frame);
    // Take the list out of the old window menu before it leaves.
    if (IsMenu(s->windowMenu)) {
        for (int i = 0; i < s->listed; ++i) {
            const int n = GetMenuItemCount(s->windowMenu);
            if (n <= 0) break;
            RemoveMenu(s->windowMenu, static_cast<uint32_t>(n - 1), MF_BYPOSITION);
        }
    }
    s->listed = 0;
    if (frameMenu && IsMenu(frameMenu)) SetMenu(s->frame, frameMenu);
    if (windowMenu && IsMenu(windowMenu)) s->windowMenu = windowMenu;
    RefreshList(s);
    return static_cast<LResult>(MenuToParam(old));
}

LResult ClientProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    ClientState* s = StateOf(h);
    switch (msg) {
        case WM_NCCREATE: {
            auto* st = new ClientState();
            st->self = h;
            SetWindowLongPtr(h, kStateSlot, reinterpret_cast<intptr_t>(st));
            return DefWindowProc(h, msg, wp, lp);
        }
        case WM_CREATE: {
            if (!s) return -1;
            const auto* cs = reinterpret_cast<const CreateStruct*>(lp);
            s->frame = GetParent(h);
            if (cs && cs->createParams) {
                const auto* ccs = static_cast<const ClientCreateStruct*>(cs->createParams);
                s->windowMenu = ccs->windowMenu;
                s->firstChild = ccs->idFirstChild;
            }
            return 0;
        }
        case WM_DESTROY:
            if (s) s->destroying = true;
            return DefWindowProc(h, msg, wp, lp);
        case WM_NCDESTROY:
            delete s;
            SetWindowLongPtr(h, kStateSlot, 0);
            return DefWindowProc(h, msg, wp, lp);
        default:
            break;
    }
    if (!s) return DefWindowProc(h, msg, wp, lp);
    switch (msg) {
        case WM_MDICREATE:
            return HwndToParam(CreateChild(s, reinterpret_cast<const MdiCreateStruct*>(lp)));
        case WM_MDIDESTROY:
            return DestroyChild(s, HwndFromParam(static_cast<intptr_t>(wp)));
        case WM_MDIACTIVATE: {
            const Hwnd c = HwndFromParam(static_cast<intptr_t>(wp));
            if (IsIconic(c) && !IsWindowVisible(c)) return 0;
            Activate(s, c);
            return 0;
        }
        case WM_MDIGETACTIVE:
            if (lp) *reinterpret_cast<int*>(lp) = IsWindow(s->maximized) ? 1 : 0;
            return HwndToParam(IsWindow(s->active) ? s->active : Hwnd{});
        case WM_MDINEXT:
            NextChild(s, HwndFromParam(static_cast<intptr_t>(wp)), lp != 0);
            return 0;
        case WM_MDIMAXIMIZE:
            MaximizeChild(s, HwndFromParam(static_cast<intptr_t>(wp)));
            return 0;
        case WM_MDIRESTORE:
            RestoreChild(s, HwndFromParam(static_cast<intptr_t>(wp)));
            return 0;
        case WM_MDITILE:
            return Tile(s, static_cast<uint32_t>(wp));
        case WM_MDICASCADE:
            return Cascade(s, static_cast<uint32_t>(wp));
        case WM_MDIICONARRANGE:
            ArrangeIcons(s);
            return 0;
        case WM_MDISETMENU:
            return SetMenus(s, MenuFromParam(wp), MenuFromParam(static_cast<uintptr_t>(lp)));
        case WM_MDIREFRESHMENU:
            RefreshList(s);
            return static_cast<LResult>(MenuToParam(GetMenu(s->frame)));
        case WM_SIZE:
            if (IsWindow(s->maximized)) {
                const Rect r = MaximizedPlace(s, s->maximized);
                SetWindowPos(s->maximized, {}, r.left, r.top, r.Width(), r.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            ArrangeIcons(s);
            return 0;
        case WM_PARENTNOTIFY: {
            const uint32_t what = LoWord(wp);
            if (what == WM_LBUTTONDOWN || what == WM_RBUTTONDOWN || what == WM_MBUTTONDOWN) {
                const Point p{GetXLParam(lp), GetYLParam(lp)};
                for (Hwnd c : ZOrder(s)) {
                    Rect wr;
                    GetWindowRect(c, &wr);
                    Point sp = p;
                    ClientToScreen(h, &sp);
                    if ((StyleOf(c) & WS_VISIBLE) && wr.Contains(sp.x, sp.y)) {
                        if (c != s->active) Activate(s, c);
                        break;
                    }
                }
            }
            return 0;
        }
        case WM_SETFOCUS:
            if (IsWindow(s->active) && !IsIconic(s->active)) SetFocus(s->active);
            return 0;
        default:
            return DefWindowProc(h, msg, wp, lp);
    }
}

}  // namespace

namespace menudetail {

Hwnd MdiMaximizedChildOfFrame(Hwnd frame) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || !IsWindow(frame)) return {};
    for (Hwnd c : wm->GetChildren(frame)) {
        if (const ClientState* s = StateOf(c)) {
            if (IsWindow(s->maximized) && IsZoomed(s->maximized) &&
                (StyleOf(s->maximized) & WS_VISIBLE))
                return s->maximized;
        }
    }
    return {};
}

}  // namespace menudetail

void RegisterMdiClientClass() {
    WindowClass wc;
    wc.name = kMdiClientClass;
    wc.proc = ClientProc;
    wc.windowExtraBytes = 8;
    wc.hasBackground = true;
    wc.background = GetSysColor(COLOR_APPWORKSPACE);
    wc.cursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClass(wc);
}

LResult DefFrameProc(Hwnd frame, Hwnd client, uint32_t msg, WParam wp, LParam lp) {
    ClientState* s = StateOf(client);
    if (!s) return DefWindowProc(frame, msg, wp, lp);
    switch (msg) {
        case WM_COMMAND: {
            const uint32_t id = LoWord(wp);
            if (id >= s->firstChild && id < s->firstChild + s->children.size()) {
                const Hwnd c = s->children[id - s->firstChild];
                if (IsIconic(c)) RestoreChild(s, c);
                Activate(s, c);
                return 0;
            }
            return DefWindowProc(frame, msg, wp, lp);
        }
        case WM_SIZE: {
            Rect cr;
            GetClientRect(frame, &cr);
            MoveWindow(client, 0, 0, cr.Width(), cr.Height(), true);
            return 0;
        }
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lp);
            s->frameTitle = text ? text : "";
            s->haveFrameTitle = true;
            const std::string merged =
                IsWindow(s->maximized) ? s->frameTitle + " - [" + GetWindowText(s->maximized) + "]"
                                       : s->frameTitle;
            return DefWindowProc(frame, WM_SETTEXT, 0, reinterpret_cast<LParam>(merged.c_str()));
        }
        case WM_SETFOCUS:
            if (IsWindow(client)) SetFocus(client);
            return 0;
        case WM_NCACTIVATE: {
            const LResult r = DefWindowProc(frame, msg, wp, lp);
            if (IsWindow(s->active)) {
                SendMessage(s->active, WM_NCACTIVATE, wp, 0);
                RedrawWindow(s->active, nullptr, RDW_FRAME);
            }
            return r;
        }
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_NEXTWINDOW || (wp & 0xFFF0) == SC_PREVWINDOW) {
                NextChild(s, s->active, (wp & 0xFFF0) == SC_PREVWINDOW);
                return 0;
            }
            return DefWindowProc(frame, msg, wp, lp);
        default:
            return DefWindowProc(frame, msg, wp, lp);
    }
}

LResult DefMDIChildProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    const Hwnd client = GetParent(h);
    ClientState* s = StateOf(client);
    if (!Listed(s, h)) {
        if (msg == WM_CLOSE && s) {
            DestroyWindow(h);
            return 0;
        }
        return DefWindowProc(h, msg, wp, lp);
    }
    switch (msg) {
        case WM_SETTEXT: {
            const LResult r = DefWindowProc(h, msg, wp, lp);
            if ((s = StateOf(client))) {
                if (h == s->maximized) UpdateFrameTitle(s);
                RefreshList(s);
            }
            return r;
        }
        case WM_CLOSE:
            SendMessage(client, WM_MDIDESTROY, HwndToParam(h), 0);
            return 0;
        case WM_CHILDACTIVATE:
            Activate(s, h);
            return 0;
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
            if (h != s->active) SendMessage(h, WM_CHILDACTIVATE, 0, 0);
            return DefWindowProc(h, msg, wp, lp);
        case WM_NCLBUTTONDBLCLK:
            if (IsIconic(h) && static_cast<intptr_t>(wp) == HTCAPTION) {
                SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, lp);
                return 0;
            }
            return DefWindowProc(h, msg, wp, lp);
        case WM_SETFOCUS:
            if (h != s->active && !IsIconic(h)) Activate(s, h);
            return DefWindowProc(h, msg, wp, lp);
        case WM_SYSCOMMAND:
            switch (wp & 0xFFF0) {
                case SC_MAXIMIZE:
                    MaximizeChild(s, h);
                    return 0;
                case SC_RESTORE:
                    RestoreChild(s, h);
                    return 0;
                case SC_MINIMIZE:
                    MinimizeChild(s, h);
                    return 0;
                case SC_NEXTWINDOW:
                case SC_PREVWINDOW:
                    NextChild(s, h, (wp & 0xFFF0) == SC_PREVWINDOW);
                    return 0;
                default:
                    return DefWindowProc(h, msg, wp, lp);
            }
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WindowPos*>(lp);
            if (pos && IsIconic(h)) {
                pos->cx = kIconWidth;
                pos->cy = IconHeight();
            }
            return DefWindowProc(h, msg, wp, lp);
        }
        case WM_WINDOWPOSCHANGED: {
            const LResult r = DefWindowProc(h, msg, wp, lp);
            const auto* pos = reinterpret_cast<const WindowPos*>(lp);
            if (!pos || !(s = StateOf(client)) || !Listed(s, h)) return r;
            if (pos->flags & SWP_SHOWWINDOW) {
                // Shown: it joins the list and becomes the active child.
                Activate(s, h);
                RefreshList(s);
            } else if (pos->flags & SWP_HIDEWINDOW) {
                if (h == s->maximized) {
                    s->maximized = {};
                    UpdateFrameTitle(s);
                }
                if (h == s->active) {
                    s->active = {};
                    if (const Hwnd next = NextAfterLeaving(s, h)) Activate(s, next);
                }
                RefreshList(s);
                if (IsWindow(s->frame)) DrawMenuBar(s->frame);
            }
            return r;
        }
        case WM_DESTROY:
            Forget(s, h);
            return DefWindowProc(h, msg, wp, lp);
        default:
            return DefWindowProc(h, msg, wp, lp);
    }
}

Hwnd CreateMDIWindow(const char* className, const char* title, uint32_t style, int x, int y,
                     int cx, int cy, Hwnd client, void* instance, LParam lParam) {
    MdiCreateStruct mcs;
    mcs.className = className;
    mcs.title = title;
    mcs.instance = instance;
    mcs.x = x;
    mcs.y = y;
    mcs.cx = cx;
    mcs.cy = cy;
    mcs.style = style;
    mcs.lParam = lParam;
    return HwndFromParam(SendMessage(client, WM_MDICREATE, 0, reinterpret_cast<LParam>(&mcs)));
}

bool TranslateMDISysAccel(Hwnd client, const Msg* m) {
    if (!m || (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN)) return false;
    ClientState* s = StateOf(client);
    if (!s) return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    const Hwnd active = s->active;
    if (!IsWindow(active) || !IsWindowEnabled(active)) return false;
    if (m->wParam == VK_F4) {
        SendMessage(active, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (m->wParam == VK_F6) {
        SendMessage(active, WM_SYSCOMMAND,
                    GetKeyState(VK_SHIFT) < 0 ? SC_PREVWINDOW : SC_NEXTWINDOW, 0);
        return true;
    }
    return false;
}

}  // namespace zv::ui
