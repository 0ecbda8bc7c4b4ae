// Window scroll bars (WS_HSCROLL/WS_VSCROLL): state, layout and tracking.
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
// Scroll bars

namespace {

constexpr uintptr_t kScrollRepeatTimer = 0xFFFF5C01;  // the layer's own, on the bar's window

}  // namespace

int WindowManager::SetScrollInfo(Hwnd h, int bar, const ScrollInfo& in, bool redraw) {
    Window* w = Get(h);
    if (!w) return 0;
    if (bar == SB_CTL) {
        return static_cast<int>(
            SendMessage(h, SBM_SETSCROLLINFO, redraw ? 1 : 0, reinterpret_cast<LParam>(&in)));
    }
    if (bar != SB_HORZ && bar != SB_VERT) return 0;
    const int pos = ApplyScrollInfo(w->scroll[bar], in);
    if (redraw) InvalidateScrollBar(h, bar);
    return pos;
}

bool WindowManager::GetScrollInfo(Hwnd h, int bar, ScrollInfo* info) const {
    const Window* w = Get(h);
    if (!w || !info) return false;
    if (bar == SB_CTL) {
        return const_cast<WindowManager*>(this)->SendMessage(h, SBM_GETSCROLLINFO, 0,
                                                             reinterpret_cast<LParam>(info)) != 0;
    }
    if (bar != SB_HORZ && bar != SB_VERT) return false;
    ReadScrollInfo(w->scroll[bar], info);
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
    if (bar == SB_CTL) return (w->style & SBS_SIZEBOX) ? Rect{} : c;
    if (bar == SB_VERT) {
        if (!(w->style & WS_VSCROLL)) return {};
        return {c.right, c.top, c.right + kScrollBarSize, c.bottom};
    }
    if (bar != SB_HORZ || !(w->style & WS_HSCROLL)) return {};
    return {c.left, c.bottom, c.right, c.bottom + kScrollBarSize};
}

bool WindowManager::ScrollBarVertical(const Window* w, int bar) const {
    return bar == SB_CTL ? (w->style & SBS_VERT) != 0 : bar == SB_VERT;
}

ScrollBarLayout WindowManager::ScrollLayout(const Window* w, int bar) const {
    const Rect r = ScrollBarRect(w, bar);
    ScrollInfo si = w->scroll[bar];
    // A dragged thumb follows the pointer until it is let go.
    if (scrollPressedWindow_ == w->self && scrollPressedBar_ == bar &&
        scrollPressedPart_ == static_cast<int>(SB_THUMBTRACK)) {
        si.pos = si.trackPos;
    }
    return ScrollBarVertical(w, bar) ? LayoutScrollBar(si, r.top, r.Height(), r.Width())
                                     : LayoutScrollBar(si, r.left, r.Width(), r.Height());
}

void WindowManager::InvalidateScrollBar(Hwnd h, int bar) {
    Window* w = Get(h);
    if (!w) return;
    if (bar == SB_CTL)
        InvalidateRect(h, nullptr, false);
    else
        w->ncDirty = true;
}

int WindowManager::ScrollPartAt(Hwnd h, int bar, Point screen, int* thumbOffset) const {
    const Window* w = Get(h);
    if (!w) return -1;
    const Rect wr = WindowRectScreen(w);
    const Point p{screen.x - wr.left, screen.y - wr.top};
    const Rect r = ScrollBarRect(w, bar);
    if (!r.Contains(p.x, p.y)) return -1;
    return zv::ui::ScrollPartAt(ScrollLayout(w, bar), ScrollBarVertical(w, bar) ? p.y : p.x,
                                thumbOffset);
}

void WindowManager::TrackScrollBar(Hwnd h, int bar, Point start) {
    Window* w = Get(h);
    if (!w || (w->style & WS_DISABLED)) return;
    int thumbOffset = 0;
    const int part = ScrollPartAt(h, bar, start, &thumbOffset);
    if (part < 0) return;
    const bool vertical = ScrollBarVertical(w, bar);
    const uint32_t msg = vertical ? WM_VSCROLL : WM_HSCROLL;
    // Window bars tell their window; a control tells its parent and names itself.
    const Hwnd target = bar == SB_CTL ? GetParent(h) : h;
    const LParam ctl = bar == SB_CTL ? HwndToParam(h) : 0;
    auto notify = [&](WParam code) {
        if (Get(target)) SendMessage(target, msg, code, ctl);
    };
    auto press = [&](int shown) {
        scrollPressedWindow_ = shown < 0 ? Hwnd{} : h;
        scrollPressedBar_ = shown < 0 ? -1 : bar;
        scrollPressedPart_ = shown;
        InvalidateScrollBar(h, bar);
    };

    if (part != static_cast<int>(SB_THUMBTRACK)) {
        // Arrows and page areas act at once, then again while held: after a delay, then
        // steadily, as long as the pointer stays on the part (a page area shrinks as the thumb
        // comes towards the pointer, so paging stops there).
        Point cursor = start;
        press(part);
        notify(static_cast<WParam>(part));
        SetTimer(h, kScrollRepeatTimer, kScrollRepeatDelayMs);
        bool first = true;
        TrackMouse(
            h,
            [&](const Msg& m) {
                if (!Get(h)) return false;
                if (m.message == WM_TIMER) {
                    if (first) {
                        first = false;
                        SetTimer(h, kScrollRepeatTimer, kScrollRepeatPeriodMs);
                    }
                    if (ScrollPartAt(h, bar, cursor, nullptr) == part)
                        notify(static_cast<WParam>(part));
                    return Get(h) != nullptr;
                }
                if (m.message == WM_MOUSEMOVE) {
                    cursor = m.pt;
                    const int shown = ScrollPartAt(h, bar, cursor, nullptr) == part ? part : -1;
                    if (shown != scrollPressedPart_) press(shown);
                }
                return m.message != WM_LBUTTONUP;
            },
            kScrollRepeatTimer);
        if (Get(h)) {
            KillTimer(h, kScrollRepeatTimer);
            press(-1);
        }
        notify(SB_ENDSCROLL);
        return;
    }

    int pos = GetScrollPos(h, bar);
    w->scroll[bar].trackPos = pos;
    press(part);
    TrackMouse(h, [&](const Msg& m) {
        Window* tw = Get(h);
        if (!tw) return false;
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
            // Laid out at the position the drag started from: only the thumb's length matters.
            const ScrollBarLayout g = ScrollLayout(tw, bar);
            const Rect wr = WindowRectScreen(tw);
            const int along = (vertical ? m.pt.y - wr.top : m.pt.x - wr.left) - thumbOffset;
            const int p = ScrollPosForThumb(g, tw->scroll[bar], along);
            if (m.message == WM_MOUSEMOVE && p != pos) {
                pos = p;
                tw->scroll[bar].trackPos = p;
                InvalidateScrollBar(h, bar);
                notify(MakeWParam(static_cast<int>(SB_THUMBTRACK), p));
            }
            if (m.message == WM_LBUTTONUP) {
                pos = p;
                if (Get(h)) Get(h)->scroll[bar].trackPos = p;
                notify(MakeWParam(static_cast<int>(SB_THUMBPOSITION), p));
                return false;
            }
        }
        return true;
    });
    if (Get(h)) press(-1);
    notify(SB_ENDSCROLL);
}

// A size box drags the bottom-right corner of the top-level window it sits in.
void WindowManager::TrackSizeBox(Hwnd h, Point start) {
    const Hwnd top = GetAncestor(h, GA_ROOT);
    Rect r0;
    if (!Get(top) || !GetWindowRect(top, &r0)) return;
    TrackMouse(h, [&](const Msg& m) {
        if (!Get(top)) return false;
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
            const int w = std::max(GetSystemMetrics(SM_CXMIN), r0.Width() + m.pt.x - start.x);
            const int hgt = std::max(GetSystemMetrics(SM_CYMIN), r0.Height() + m.pt.y - start.y);
            SetWindowPos(top, {}, 0, 0, w, hgt, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return m.message != WM_LBUTTONUP;
    });
}

// The SCROLLBAR control: its SCROLLINFO lives in the window record as the SB_CTL bar.
LResult WindowManager::ScrollBarCtlProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    WindowManager* wm = Current();
    Window* w = wm ? wm->Get(h) : nullptr;
    if (!w) return 0;
    ScrollInfo& si = w->scroll[SB_CTL];
    auto set = [&](const ScrollInfo& in, bool redraw) {
        const int pos = ApplyScrollInfo(si, in);
        if (redraw) wm->InvalidateScrollBar(h, SB_CTL);
        return pos;
    };
    switch (msg) {
        case SBM_SETPOS: {
            const int old = si.pos;
            ScrollInfo in;
            in.mask = SIF_POS;
            in.pos = static_cast<int>(wp);
            set(in, lp != 0);
            return old;
        }
        case SBM_GETPOS:
            return si.pos;
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW: {
            const int old = si.pos;
            ScrollInfo in;
            in.mask = SIF_RANGE;
            in.min = static_cast<int>(wp);
            in.max = static_cast<int>(lp);
            set(in, msg == SBM_SETRANGEREDRAW);
            return old;
        }
        case SBM_GETRANGE:
            if (wp) *reinterpret_cast<int*>(wp) = si.min;
            if (lp) *reinterpret_cast<int*>(lp) = si.max;
            return 0;
        case SBM_SETSCROLLINFO:
            if (!lp) return si.pos;
            return set(*reinterpret_cast<const ScrollInfo*>(lp), wp != 0);
        case SBM_GETSCROLLINFO:
            if (!lp) return 0;
            ReadScrollInfo(si, reinterpret_cast<ScrollInfo*>(lp));
            return 1;
        case WM_ERASEBKGND:
            return 1;
        case WM_ENABLE:
            wm->InvalidateScrollBar(h, SB_CTL);
            return 0;
        case WM_PAINT: {
            PaintStruct ps;
            Canvas* dc = wm->BeginPaint(h, &ps);
            if (dc) {
                w = wm->Get(h);
                const Rect r{0, 0, w->client.Width(), w->client.Height()};
                if (w->style & SBS_SIZEBOX) {
                    DrawSizeBox(*dc, r);
                } else {
                    ScrollBarLayout g = wm->ScrollLayout(w, SB_CTL);
                    // Client coordinates: the layout counts from the window's corner.
                    const int shift = (w->style & SBS_VERT) ? w->client.top : w->client.left;
                    g.start -= shift;
                    g.thumbStart -= shift;
                    const int pressed = wm->scrollPressedWindow_ == h ? wm->scrollPressedPart_ : -1;
                    DrawScrollBar(*dc, r, (w->style & SBS_VERT) != 0, g, pressed,
                                  (w->style & WS_DISABLED) != 0);
                }
            }
            wm->EndPaint(h, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (w->style & WS_TABSTOP) wm->SetFocus(h);
            Point at{GetXLParam(lp), GetYLParam(lp)};
            wm->ClientToScreen(h, &at);
            if (wm->Get(h)->style & SBS_SIZEBOX)
                wm->TrackSizeBox(h, at);
            else
                wm->TrackScrollBar(h, SB_CTL, at);
            return 0;
        }
        case WM_KEYDOWN: {
            const bool vertical = (w->style & SBS_VERT) != 0;
            WParam code = 0xFFFF;
            switch (wp) {
                case VK_UP:
                case VK_LEFT:
                    code = SB_LINEUP;
                    break;
                case VK_DOWN:
                case VK_RIGHT:
                    code = SB_LINEDOWN;
                    break;
                case VK_PRIOR:
                    code = SB_PAGEUP;
                    break;
                case VK_NEXT:
                    code = SB_PAGEDOWN;
                    break;
                case VK_HOME:
                    code = SB_TOP;
                    break;
                case VK_END:
                    code = SB_BOTTOM;
                    break;
                default:
                    break;
            }
            if (code == 0xFFFF || (w->style & SBS_SIZEBOX)) break;
            const Hwnd parent = wm->GetParent(h);
            const uint32_t note = vertical ? WM_VSCROLL : WM_HSCROLL;
            wm->SendMessage(parent, note, code, HwndToParam(h));
            wm->SendMessage(parent, note, SB_ENDSCROLL, HwndToParam(h));
            return 0;
        }
        case WM_GETDLGCODE:
            return 0;
        default:
            break;
    }
    return wm->DefWindowProc(h, msg, wp, lp);
}

}  // namespace zv::ui
