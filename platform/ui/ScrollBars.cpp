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

}  // namespace zv::ui
