// SysHeader32: the column headings of a list view. Dragging a divider sizes a column; with
// HDS_BUTTONS a heading is a button that reports clicks.

#include <algorithm>
#include <vector>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kDividerGrip = 4;

struct HeaderItem {
    std::string text;
    int width = 0;
    int fmt = HDF_LEFT;
    intptr_t lParam = 0;
};

struct HeaderState {
    std::vector<HeaderItem> items;
    ControlFont font;
    int pressed = -1;   // a heading held down (HDS_BUTTONS)
    int tracking = -1;  // a divider being dragged: the item left of it
    int trackStart = 0;
    int widthAtStart = 0;
};

int ItemLeft(const HeaderState* s, int i) {
    int x = 0;
    for (int k = 0; k < i; ++k) x += s->items[std::size_t(k)].width;
    return x;
}

Rect ItemRect(Hwnd h, const HeaderState* s, int i) {
    Rect c;
    GetClientRect(h, &c);
    const int left = ItemLeft(s, i);
    return {left, c.top, left + s->items[std::size_t(i)].width, c.bottom};
}

// Which heading or divider lies under x.
int HitTest(Hwnd h, const HeaderState* s, Point p, uint32_t* flags) {
    Rect c;
    GetClientRect(h, &c);
    *flags = HHT_NOWHERE;
    if (!c.Contains(p.x, p.y)) return -1;
    int x = 0;
    for (int i = 0; i < int(s->items.size()); ++i) {
        const int right = x + s->items[std::size_t(i)].width;
        if (std::abs(p.x - right) <= kDividerGrip / 2 + 1) {
            *flags = HHT_ONDIVIDER;
            return i;
        }
        if (p.x >= x && p.x < right) {
            *flags = HHT_ONHEADER;
            return i;
        }
        x = right;
    }
    return -1;
}

LResult Notify(Hwnd h, HeaderState* s, uint32_t code, int item) {
    NmHeader nm;
    nm.iItem = item;
    HdItem hd;
    if (item >= 0 && item < int(s->items.size())) {
        hd.mask = HDI_WIDTH;
        hd.cxy = s->items[std::size_t(item)].width;
        nm.pitem = &hd;
    }
    return NotifyParent(h, &nm.hdr, code);
}

void FillItem(const HeaderItem& it, HdItem* out) {
    if (out->mask & HDI_WIDTH) out->cxy = it.width;
    if (out->mask & HDI_FORMAT) out->fmt = it.fmt | HDF_STRING;
    if (out->mask & HDI_LPARAM) out->lParam = it.lParam;
    if ((out->mask & HDI_TEXT) && out->pszText && out->cchTextMax > 0) {
        CopyOut(it.text, out->pszText, std::size_t(out->cchTextMax));
    }
}

void ApplyItem(HeaderItem& it, const HdItem& in) {
    if (in.mask & HDI_WIDTH) it.width = std::max(0, in.cxy);
    if (in.mask & HDI_FORMAT) it.fmt = in.fmt;
    if (in.mask & HDI_LPARAM) it.lParam = in.lParam;
    if (in.mask & HDI_TEXT) it.text = in.pszText ? in.pszText : "";
}

void Paint(Hwnd h, HeaderState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    dc->FillSolid(c, GetSysColor(COLOR_BTNFACE));
    dc->SelectFont(s->font.font);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    int x = 0;
    for (int i = 0; i < int(s->items.size()); ++i) {
        const HeaderItem& it = s->items[std::size_t(i)];
        const Rect r{x, c.top, x + it.width, c.bottom};
        const bool down = i == s->pressed;
        if (down) {
            dc->FrameRect(r, Brush::SolidColor(GetSysColor(COLOR_GRAYTEXT)));
        } else {
            Edge3d(*dc, r, EDGE_RAISED);
        }
        uint32_t align = DT_LEFT;
        if ((it.fmt & 3) == HDF_RIGHT) align = DT_RIGHT;
        if ((it.fmt & 3) == HDF_CENTER) align = DT_CENTER;
        Rect tr{r.left + 6, r.top, r.right - 6, r.bottom};
        if (down) tr = tr.Offset(1, 1);
        dc->DrawText(it.text, tr,
                     align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        x += it.width;
    }
    if (x < c.right) Edge3d(*dc, {x, c.top, c.right + 2, c.bottom}, EDGE_RAISED);
    EndPaint(h, &ps);
}

LResult OnPaint(Hwnd h, HeaderState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnButtonDown(Hwnd h, HeaderState* s, uint32_t, WParam, LParam lp) {
    uint32_t flags = 0;
    const int i = HitTest(h, s, {GetXLParam(lp), GetYLParam(lp)}, &flags);
    if (i < 0) return 0;
    if (flags == HHT_ONDIVIDER) {
        if (Notify(h, s, HDN_BEGINTRACKA, i)) return 0;
        s->tracking = i;
        s->trackStart = GetXLParam(lp);
        s->widthAtStart = s->items[std::size_t(i)].width;
        SetCapture(h);
    } else if (StyleOf(h) & HDS_BUTTONS) {
        s->pressed = i;
        SetCapture(h);
        InvalidateRect(h, nullptr, false);
    }
    return 0;
}

LResult OnMouseMove(Hwnd h, HeaderState* s, uint32_t, WParam, LParam lp) {
    if (s->tracking >= 0) {
        const int w = std::max(0, s->widthAtStart + GetXLParam(lp) - s->trackStart);
        if (w != s->items[std::size_t(s->tracking)].width) {
            s->items[std::size_t(s->tracking)].width = w;
            Notify(h, s, HDN_TRACKA, s->tracking);
            Notify(h, s, HDN_ITEMCHANGEDA, s->tracking);
            InvalidateRect(h, nullptr, false);
        }
    }
    return 0;
}

LResult OnButtonUp(Hwnd h, HeaderState* s, uint32_t, WParam, LParam lp) {
    if (s->tracking >= 0) {
        const int i = s->tracking;
        s->tracking = -1;
        ReleaseCapture();
        Notify(h, s, HDN_ENDTRACKA, i);
    } else if (s->pressed >= 0) {
        const int i = s->pressed;
        s->pressed = -1;
        ReleaseCapture();
        InvalidateRect(h, nullptr, false);
        Rect r = ItemRect(h, s, i);
        if (r.Contains(GetXLParam(lp), GetYLParam(lp))) Notify(h, s, HDN_ITEMCLICKA, i);
    }
    return 0;
}

LResult OnCaptureChanged(Hwnd h, HeaderState* s, uint32_t, WParam, LParam) {
    if (s->pressed >= 0) InvalidateRect(h, nullptr, false);
    s->pressed = -1;
    s->tracking = -1;
    return 0;
}

LResult OnGetItemCount(Hwnd, HeaderState* s, uint32_t, WParam, LParam) {
    const int count = int(s->items.size());
    return count;
}

LResult OnInsertItem(Hwnd h, HeaderState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->items.size());
    const auto* in = reinterpret_cast<const HdItem*>(lp);
    if (!in) return -1;
    const int at = std::clamp(static_cast<int>(wp), 0, count);
    HeaderItem it;
    ApplyItem(it, *in);
    s->items.insert(s->items.begin() + at, it);
    InvalidateRect(h, nullptr, false);
    return at;
}

LResult OnDeleteItem(Hwnd h, HeaderState* s, uint32_t, WParam wp, LParam) {
    const int count = int(s->items.size());
    const int i = static_cast<int>(wp);
    if (i < 0 || i >= count) return 0;
    s->items.erase(s->items.begin() + i);
    InvalidateRect(h, nullptr, false);
    return 1;
}

LResult OnGetItem(Hwnd, HeaderState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->items.size());
    const int i = static_cast<int>(wp);
    auto* out = reinterpret_cast<HdItem*>(lp);
    if (!out || i < 0 || i >= count) return 0;
    FillItem(s->items[std::size_t(i)], out);
    return 1;
}

LResult OnSetItem(Hwnd h, HeaderState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->items.size());
    const int i = static_cast<int>(wp);
    const auto* in = reinterpret_cast<const HdItem*>(lp);
    if (!in || i < 0 || i >= count) return 0;
    ApplyItem(s->items[std::size_t(i)], *in);
    InvalidateRect(h, nullptr, false);
    return 1;
}

LResult OnGetItemRect(Hwnd h, HeaderState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->items.size());
    const int i = static_cast<int>(wp);
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r || i < 0 || i >= count) return 0;
    *r = ItemRect(h, s, i);
    return 1;
}

LResult OnHitTest(Hwnd h, HeaderState* s, uint32_t, WParam, LParam lp) {
    auto* info = reinterpret_cast<HdHitTestInfo*>(lp);
    if (!info) return -1;
    info->iItem = HitTest(h, s, info->pt, &info->flags);
    return info->iItem;
}

LResult HeaderProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<HeaderState> kMessages{
        {WM_PAINT, OnPaint},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_LBUTTONUP, OnButtonUp},
        {WM_CAPTURECHANGED, OnCaptureChanged},
        {HDM_GETITEMCOUNT, OnGetItemCount},
        {HDM_INSERTITEMA, OnInsertItem},
        {HDM_DELETEITEM, OnDeleteItem},
        {HDM_GETITEMA, OnGetItem},
        {HDM_SETITEMA, OnSetItem},
        {HDM_GETITEMRECT, OnGetItemRect},
        {HDM_HITTEST, OnHitTest},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterHeaderClass() {
    return RegisterControlClass(kHeaderClass, HeaderProc, CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
