#include "platform/ui/ScrollBarModel.h"

#include <algorithm>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/Messages.h"

namespace zv::ui {

int HighestScrollPos(const ScrollInfo& si) {
    const int top =
        si.page ? static_cast<int>(si.max - static_cast<long long>(si.page) + 1) : si.max;
    return std::max(top, si.min);
}

int ApplyScrollInfo(ScrollInfo& si, const ScrollInfo& in) {
    if (in.mask & SIF_RANGE) {
        si.min = in.min;
        si.max = std::max(in.min, in.max);
    }
    if (in.mask & SIF_PAGE) si.page = in.page;
    if (in.mask & SIF_POS) si.pos = in.pos;
    const long long range = static_cast<long long>(si.max) - si.min + 1;
    if (si.page > range) si.page = static_cast<uint32_t>(std::max(0LL, range));
    si.pos = std::clamp(si.pos, si.min, HighestScrollPos(si));
    si.trackPos = std::clamp(si.trackPos, si.min, HighestScrollPos(si));
    return si.pos;
}

void ReadScrollInfo(const ScrollInfo& si, ScrollInfo* out) {
    const uint32_t mask = out->mask;
    if (mask & SIF_RANGE) {
        out->min = si.min;
        out->max = si.max;
    }
    if (mask & SIF_PAGE) out->page = si.page;
    if (mask & SIF_POS) out->pos = si.pos;
    if (mask & SIF_TRACKPOS) out->trackPos = si.trackPos;
}

ScrollBarLayout LayoutScrollBar(const ScrollInfo& si, int start, int length, int thickness) {
    ScrollBarLayout g;
    g.start = start;
    g.length = std::max(0, length);
    g.arrow = std::min(thickness, g.length / 2);
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
                            : thickness;
    g.thumbLength = std::min(g.thumbLength, track);
    const int span = std::max(1, g.posMax - si.min);
    const int pos = std::clamp(si.pos, si.min, g.posMax);
    g.thumbStart =
        g.start + g.arrow +
        static_cast<int>(static_cast<long long>(track - g.thumbLength) * (pos - si.min) / span);
    return g;
}

int ScrollPartAt(const ScrollBarLayout& g, int along, int* thumbOffset) {
    if (along < g.start || along >= g.start + g.length) return -1;
    if (along < g.start + g.arrow) return SB_LINEUP;
    if (along >= g.start + g.length - g.arrow) return SB_LINEDOWN;
    if (g.thumbLength == 0) return -1;
    if (along < g.thumbStart) return SB_PAGEUP;
    if (along >= g.thumbStart + g.thumbLength) return SB_PAGEDOWN;
    if (thumbOffset) *thumbOffset = along - g.thumbStart;
    return SB_THUMBTRACK;
}

int ScrollPosForThumb(const ScrollBarLayout& g, const ScrollInfo& si, int thumbAt) {
    const int track = g.length - 2 * g.arrow - g.thumbLength;
    const int along = thumbAt - (g.start + g.arrow);
    // Rounded to the nearest position, so a thumb dropped where it was keeps its position.
    const long long num = static_cast<long long>(along) * (g.posMax - si.min);
    const int d = std::max(1, track);
    const long long q = num >= 0 ? (num + d / 2) / d : -((-num + d / 2) / d);
    return std::clamp(si.min + static_cast<int>(std::clamp<long long>(q, -(1LL << 31), 1LL << 30)),
                      si.min, g.posMax);
}

void DrawScrollBar(Canvas& dc, const Rect& r, bool vertical, const ScrollBarLayout& g,
                   int pressedPart, bool disabled) {
    const bool noThumb = g.thumbLength == 0;
    theme::ScrollTrack(dc, r, false);
    auto along = [&](int a, int b) {
        return vertical ? Rect{r.left, a, r.right, b} : Rect{a, r.top, b, r.bottom};
    };
    if (!noThumb && pressedPart == static_cast<int>(SB_PAGEUP))
        theme::ScrollTrack(dc, along(g.start + g.arrow, g.thumbStart), true);
    if (!noThumb && pressedPart == static_cast<int>(SB_PAGEDOWN)) {
        theme::ScrollTrack(dc, along(g.thumbStart + g.thumbLength, g.start + g.length - g.arrow),
                           true);
    }
    const Rect first = along(g.start, g.start + g.arrow);
    const Rect last = along(g.start + g.length - g.arrow, g.start + g.length);
    theme::ArrowButton(dc, first, vertical ? theme::ArrowDir::Up : theme::ArrowDir::Left,
                       pressedPart == static_cast<int>(SB_LINEUP), disabled || noThumb);
    theme::ArrowButton(dc, last, vertical ? theme::ArrowDir::Down : theme::ArrowDir::Right,
                       pressedPart == static_cast<int>(SB_LINEDOWN), disabled || noThumb);
    if (!noThumb && !disabled)
        theme::RaisedBox(dc, along(g.thumbStart, g.thumbStart + g.thumbLength));
}

void DrawSizeBox(Canvas& dc, const Rect& r) {
    theme::Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    // Three diagonal ridges in the bottom-right corner.
    for (int k = 0; k < 3; ++k) {
        const int off = 4 * k + 3;
        for (int i = 0; i < off && i < r.Width() && i < r.Height(); ++i) {
            const int x = r.right - off + i;
            const int y = r.bottom - 1 - i;
            theme::Fill(dc, {x, y, x + 1, y + 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
            theme::Fill(dc, {x + 1, y, x + 3, y + 1}, GetSysColor(COLOR_BTNSHADOW));
        }
    }
}

}  // namespace zv::ui
