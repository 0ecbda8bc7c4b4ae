#pragma once

// What window scroll bars (WS_HSCROLL/WS_VSCROLL) and the SCROLLBAR control share: the rules of
// SCROLLINFO, the layout of arrows, track and thumb along the bar, which part a point hits, the
// thumb position a drag gives, and the drawing.

#include "platform/ui/Canvas.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

// SCROLLBAR control styles.
constexpr uint32_t SBS_HORZ = 0x0000;
constexpr uint32_t SBS_VERT = 0x0001;
constexpr uint32_t SBS_TOPALIGN = 0x0002;
constexpr uint32_t SBS_LEFTALIGN = 0x0002;
constexpr uint32_t SBS_BOTTOMALIGN = 0x0004;
constexpr uint32_t SBS_RIGHTALIGN = 0x0004;
constexpr uint32_t SBS_SIZEBOXTOPLEFTALIGN = 0x0002;
constexpr uint32_t SBS_SIZEBOXBOTTOMRIGHTALIGN = 0x0004;
constexpr uint32_t SBS_SIZEBOX = 0x0008;
constexpr uint32_t SBS_SIZEGRIP = 0x0010;

// Auto-repeat while an arrow or a page area is held: the first repeat after this delay, then
// one every period.
constexpr uint32_t kScrollRepeatDelayMs = 400;
constexpr uint32_t kScrollRepeatPeriodMs = 50;

struct ScrollBarLayout {
    int start = 0;   // first pixel of the bar along its axis
    int length = 0;  // pixels along the axis
    int arrow = 0;   // length of each arrow button
    int thumbStart = 0;
    int thumbLength = 0;  // 0: no thumb (nothing to scroll, or no room)
    int posMax = 0;       // the highest position: the last at which a whole page fits
};

// The highest position of si: max - page + 1 with a page, max without, never below min.
int HighestScrollPos(const ScrollInfo& si);
// Applies the fields of `in` that its mask names to `si`, then holds page and position in
// range. Returns the new position.
int ApplyScrollInfo(ScrollInfo& si, const ScrollInfo& in);
// Copies the fields that out->mask names.
void ReadScrollInfo(const ScrollInfo& si, ScrollInfo* out);

// Layout of a bar that spans `length` pixels from `start` and is `thickness` across.
ScrollBarLayout LayoutScrollBar(const ScrollInfo& si, int start, int length, int thickness);
// The part at `along` (a coordinate on the bar's axis): SB_LINEUP, SB_LINEDOWN, SB_PAGEUP,
// SB_PAGEDOWN or SB_THUMBTRACK (then *thumbOffset is where on the thumb it was); -1 elsewhere.
int ScrollPartAt(const ScrollBarLayout& l, int along, int* thumbOffset);
// The position the thumb gives when its leading edge lies at `thumbAt` along the axis.
int ScrollPosForThumb(const ScrollBarLayout& l, const ScrollInfo& si, int thumbAt);

// Draws a bar in r (canvas coordinates). pressedPart: the part held down (SB_* or -1).
void DrawScrollBar(Canvas& dc, const Rect& r, bool vertical, const ScrollBarLayout& l,
                   int pressedPart, bool disabled);
// Draws a size box (the grip at a window's bottom-right corner).
void DrawSizeBox(Canvas& dc, const Rect& r);

}  // namespace zv::ui
