// msctls_progress32: a bar that fills from its range's low end to its position.

#include <algorithm>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr ColorRef kDefaultColor = 0xFF000000u;  // CLR_DEFAULT
constexpr int kBlockWidth = 8;
constexpr int kBlockGap = 2;

struct ProgressState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
    ColorRef barColor = kDefaultColor;
    ColorRef backColor = kDefaultColor;
};

int Clamp(const ProgressState* s, int v) {
    return std::clamp(v, std::min(s->low, s->high), std::max(s->low, s->high));
}

void Paint(Hwnd h, ProgressState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    Rect inner = c;
    theme::DrawEdge(*dc, &inner, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    theme::Fill(*dc, inner,
                s->backColor == kDefaultColor ? GetSysColor(COLOR_BTNFACE) : s->backColor);
    inner = {inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
    const ColorRef bar = s->barColor == kDefaultColor ? GetSysColor(COLOR_HIGHLIGHT) : s->barColor;
    const int64_t range = int64_t(s->high) - s->low;
    const bool vertical = (StyleOf(h) & PBS_VERTICAL) != 0;
    const int length = vertical ? inner.Height() : inner.Width();
    const int filled =
        range <= 0
            ? 0
            : int(std::clamp<int64_t>((int64_t(s->pos) - s->low) * length / range, 0, length));
    if (StyleOf(h) & PBS_SMOOTH) {
        theme::Fill(*dc,
                    vertical ? Rect{inner.left, inner.bottom - filled, inner.right, inner.bottom}
                             : Rect{inner.left, inner.top, inner.left + filled, inner.bottom},
                    bar);
    } else {
        // Whole blocks only, as far as the position reaches.
        for (int at = 0; at + kBlockWidth <= filled + kBlockGap && at < length;
             at += kBlockWidth + kBlockGap) {
            const int end = std::min(at + kBlockWidth, length);
            theme::Fill(*dc,
                        vertical
                            ? Rect{inner.left, inner.bottom - end, inner.right, inner.bottom - at}
                            : Rect{inner.left + at, inner.top, inner.left + end, inner.bottom},
                        bar);
        }
    }
    EndPaint(h, &ps);
}

// Moves the bar; answers the position it had.
LResult SetPos(Hwnd h, ProgressState* s, int v) {
    const int old = s->pos;
    s->pos = Clamp(s, v);
    if (s->pos != old) InvalidateRect(h, nullptr, false);
    return LResult(old);
}

LResult OnPaint(Hwnd h, ProgressState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnSetRange(Hwnd h, ProgressState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult old = MakeLParam(s->low, s->high);
    if (msg == PBM_SETRANGE) {
        s->low = LoWord(uintptr_t(lp));
        s->high = HiWord(uintptr_t(lp));
    } else {
        s->low = int(int32_t(wp));
        s->high = int(int32_t(lp));
    }
    s->pos = Clamp(s, s->pos);
    InvalidateRect(h, nullptr, false);
    return old;
}

LResult OnGetRange(Hwnd, ProgressState* s, uint32_t, WParam wp, LParam lp) {
    if (auto* r = reinterpret_cast<PbRange*>(lp)) *r = {s->low, s->high};
    return wp ? s->low : s->high;
}

LResult OnSetPos(Hwnd h, ProgressState* s, uint32_t, WParam wp, LParam) {
    return SetPos(h, s, int(int32_t(wp)));
}

LResult OnDeltaPos(Hwnd h, ProgressState* s, uint32_t, WParam wp, LParam) {
    return SetPos(h, s, s->pos + int(int32_t(wp)));
}

LResult OnGetPos(Hwnd, ProgressState* s, uint32_t, WParam, LParam) {
    return s->pos;
}

LResult OnSetStep(Hwnd, ProgressState* s, uint32_t, WParam wp, LParam) {
    const int old = s->step;
    s->step = int(int32_t(wp));
    return old;
}

LResult OnStepIt(Hwnd h, ProgressState* s, uint32_t, WParam, LParam) {
    const int old = s->pos;
    int next = s->pos + s->step;
    // Past the end it starts over from the beginning.
    if (next > s->high && s->high > s->low) next = s->low + (next - s->high);
    if (next < s->low && s->high > s->low) next = s->high - (s->low - next);
    s->pos = Clamp(s, next);
    InvalidateRect(h, nullptr, false);
    return old;
}

LResult OnSetBarColor(Hwnd h, ProgressState* s, uint32_t, WParam, LParam lp) {
    const ColorRef old = s->barColor;
    s->barColor = ColorRef(lp);
    InvalidateRect(h, nullptr, false);
    return LResult(old);
}

LResult OnSetBkColor(Hwnd h, ProgressState* s, uint32_t, WParam, LParam lp) {
    const ColorRef old = s->backColor;
    s->backColor = ColorRef(lp);
    InvalidateRect(h, nullptr, false);
    return LResult(old);
}

LResult ProgressProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<ProgressState> kMessages{
        {WM_PAINT, OnPaint},
        {PBM_SETRANGE, OnSetRange},
        {PBM_SETRANGE32, OnSetRange},
        {PBM_GETRANGE, OnGetRange},
        {PBM_SETPOS, OnSetPos},
        {PBM_DELTAPOS, OnDeltaPos},
        {PBM_GETPOS, OnGetPos},
        {PBM_SETSTEP, OnSetStep},
        {PBM_STEPIT, OnStepIt},
        {PBM_SETBARCOLOR, OnSetBarColor},
        {PBM_SETBKCOLOR, OnSetBkColor},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterProgressClass() {
    return RegisterControlClass(kProgressClass, ProgressProc, CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
