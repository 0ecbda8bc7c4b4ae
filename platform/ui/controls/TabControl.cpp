// SysTabControl32: a row of tabs over a display area; the pages themselves are the owner's
// windows, placed with TCM_ADJUSTRECT.

#include <algorithm>
#include <vector>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/ImageList.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kTabPadding = 6;
constexpr int kSelectedLift = 2;

struct Tab {
    std::string text;
    int image = -1;
    intptr_t lParam = 0;
};

struct TabState {
    std::vector<Tab> tabs;
    ControlFont font;
    ImageList* images = nullptr;
    int current = -1;
    int focus = 0;
    bool focused = false;
    Size fixedSize{0, 0};
    // The first tab shown when the row is wider than the control; the tabs before it are
    // scrolled out to the left.
    int first = 0;
};

bool AtBottom(Hwnd h) {
    return (StyleOf(h) & TCS_BOTTOM) != 0;
}

int TabHeight(const TabState* s) {
    if (s->fixedSize.cy > 0) return s->fixedSize.cy;
    int hgt = s->font.font.Metrics().height + 8;
    if (s->images) hgt = std::max(hgt, s->images->ImageSize().cy + 6);
    return hgt;
}

int TabWidth(Hwnd h, const TabState* s, int i) {
    if ((StyleOf(h) & TCS_FIXEDWIDTH) && s->fixedSize.cx > 0) return s->fixedSize.cx;
    const Tab& t = s->tabs[std::size_t(i)];
    int w = s->font.font.MeasureText(t.text).cx + 2 * kTabPadding;
    if (s->images && t.image >= 0) w += s->images->ImageSize().cx + 3;
    return std::max(w, 2 * kTabPadding);
}

int RowWidth(Hwnd h, const TabState* s) {
    int w = kSelectedLift;
    for (int k = 0; k < int(s->tabs.size()); ++k) w += TabWidth(h, s, k);
    return w;
}

// A row wider than the control gets two arrow buttons at its right end that scroll the tabs.
bool Overflows(Hwnd h, const TabState* s) {
    Rect c;
    GetClientRect(h, &c);
    return RowWidth(h, s) > c.Width();
}

// The arrows are square, as high as an unselected tab.
int ArrowSize(const TabState* s) {
    return TabHeight(s) - kSelectedLift;
}

// The left (0) or right (1) scroll arrow.
Rect ArrowRect(Hwnd h, const TabState* s, int which) {
    Rect c;
    GetClientRect(h, &c);
    const int size = ArrowSize(s);
    const int left = c.right - (2 - which) * size;
    const int top = AtBottom(h) ? c.bottom - TabHeight(s) : c.top + kSelectedLift;
    return {left, top, left + size, top + size};
}

// Where the shown tabs end: the left edge of the arrows, or the control's right edge.
int RowLimit(Hwnd h, const TabState* s) {
    if (Overflows(h, s)) return ArrowRect(h, s, 0).left;
    Rect c;
    GetClientRect(h, &c);
    return c.right;
}

Rect TabRect(Hwnd h, const TabState* s, int i) {
    Rect c;
    GetClientRect(h, &c);
    int x = c.left + kSelectedLift;
    const int first = Overflows(h, s) ? s->first : 0;
    for (int k = 0; k < first; ++k) x -= TabWidth(h, s, k);
    for (int k = 0; k < i; ++k) x += TabWidth(h, s, k);
    const int height = TabHeight(s);
    if (AtBottom(h)) return {x, c.bottom - height, x + TabWidth(h, s, i), c.bottom - kSelectedLift};
    return {x, c.top + kSelectedLift, x + TabWidth(h, s, i), c.top + height};
}

// The largest first tab that still fills the row: scrolling further would only show blank.
int LastFirst(Hwnd h, const TabState* s) {
    const int room = RowLimit(h, s) - kSelectedLift;
    int width = 0;
    int k = int(s->tabs.size());
    while (k > 0 && width + TabWidth(h, s, k - 1) <= room) width += TabWidth(h, s, --k);
    return std::min(k, std::max(0, int(s->tabs.size()) - 1));
}

// Scrolls the row so that tab i is shown whole (as far as the room allows).
void EnsureVisible(Hwnd h, TabState* s, int i) {
    if (!Overflows(h, s) || i < 0) {
        s->first = 0;
        return;
    }
    if (i < s->first) s->first = i;
    while (s->first < i && TabRect(h, s, i).right > RowLimit(h, s)) ++s->first;
    s->first = std::clamp(s->first, 0, LastFirst(h, s));
}

// The window rectangle to the display rectangle, or back when `larger`.
void AdjustRect(Hwnd h, const TabState* s, bool larger, Rect* r) {
    const int tabs = TabHeight(s);
    const int border = 4;
    if (!larger) {
        r->left += border;
        r->right -= border;
        if (AtBottom(h)) {
            r->top += border;
            r->bottom -= tabs + border - 2;
        } else {
            r->top += tabs + border - 2;
            r->bottom -= border;
        }
    } else {
        r->left -= border;
        r->right += border;
        if (AtBottom(h)) {
            r->top -= border;
            r->bottom += tabs + border - 2;
        } else {
            r->top -= tabs + border - 2;
            r->bottom += border;
        }
    }
}

int HitTest(Hwnd h, const TabState* s, Point p) {
    // Tabs scrolled out to the left and the parts under the arrows take no clicks.
    if (p.x >= RowLimit(h, s)) return -1;
    const int first = Overflows(h, s) ? s->first : 0;
    for (int i = first; i < int(s->tabs.size()); ++i) {
        if (TabRect(h, s, i).Contains(p.x, p.y)) return i;
    }
    return -1;
}

// -1 on the left arrow, 1 on the right one, 0 elsewhere.
int ArrowAt(Hwnd h, const TabState* s, Point p) {
    if (!Overflows(h, s)) return 0;
    if (ArrowRect(h, s, 0).Contains(p.x, p.y)) return -1;
    if (ArrowRect(h, s, 1).Contains(p.x, p.y)) return 1;
    return 0;
}

// Selection by the user: TCN_SELCHANGING may refuse; TCN_SELCHANGE follows a change.
void UserSelect(Hwnd h, TabState* s, int i) {
    if (i < 0 || i >= int(s->tabs.size())) return;
    if (i == s->current) {
        // Choosing the current tab again still brings it into view.
        const int first = s->first;
        EnsureVisible(h, s, i);
        if (first != s->first) InvalidateRect(h, nullptr, true);
        return;
    }
    NmHdr nm;
    if (NotifyParent(h, &nm, TCN_SELCHANGING)) return;
    if (!IsWindow(h)) return;
    s->current = i;
    s->focus = i;
    EnsureVisible(h, s, i);
    InvalidateRect(h, nullptr, true);
    NmHdr done;
    NotifyParent(h, &done, TCN_SELCHANGE);
}

void Paint(Hwnd h, TabState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    const Brush* bg = ParentColors(h, dc, WM_CTLCOLORSTATIC);
    if (bg) dc->FillRect(c, *bg);
    Rect body = c;
    if (AtBottom(h)) {
        body.bottom -= TabHeight(s) - 1;
    } else {
        body.top += TabHeight(s) - 1;
    }
    dc->FillSolid(body, GetSysColor(COLOR_BTNFACE));
    Edge3d(*dc, body, EDGE_RAISED);
    dc->SelectFont(s->font.font);
    dc->SetBkMode(TRANSPARENT);
    const bool overflow = Overflows(h, s);
    for (int i = overflow ? s->first : 0; i < int(s->tabs.size()); ++i) {
        Rect r = TabRect(h, s, i);
        const bool selected = i == s->current;
        if (selected) {
            r = {r.left - kSelectedLift, AtBottom(h) ? r.top - 1 : r.top - kSelectedLift,
                 r.right + kSelectedLift, AtBottom(h) ? r.bottom + kSelectedLift : r.bottom + 1};
        }
        dc->FillSolid(r, GetSysColor(COLOR_BTNFACE));
        const ColorRef light = Rgb(255, 255, 255);
        const ColorRef dark = Rgb(0, 0, 0);
        const ColorRef shadow = Rgb(128, 128, 128);
        if (!AtBottom(h)) {
            dc->FillSolid({r.left, r.top + 2, r.left + 1, r.bottom}, light);
            dc->FillSolid({r.left + 2, r.top, r.right - 2, r.top + 1}, light);
            dc->FillSolid({r.left + 1, r.top + 1, r.left + 2, r.top + 2}, light);
            dc->FillSolid({r.right - 2, r.top + 2, r.right - 1, r.bottom}, shadow);
            dc->FillSolid({r.right - 1, r.top + 2, r.right, r.bottom}, dark);
            dc->FillSolid({r.right - 2, r.top + 1, r.right - 1, r.top + 2}, dark);
        } else {
            dc->FillSolid({r.left, r.top, r.left + 1, r.bottom - 2}, light);
            dc->FillSolid({r.left + 2, r.bottom - 1, r.right - 2, r.bottom}, dark);
            dc->FillSolid({r.right - 2, r.top, r.right - 1, r.bottom - 2}, shadow);
            dc->FillSolid({r.right - 1, r.top, r.right, r.bottom - 2}, dark);
        }
        Rect tr{r.left + kTabPadding, r.top, r.right - kTabPadding, r.bottom};
        const Tab& t = s->tabs[std::size_t(i)];
        if (s->images && t.image >= 0) {
            const Size is = s->images->ImageSize();
            s->images->Draw(t.image, *dc, tr.left, r.top + (r.Height() - is.cy) / 2, ILD_NORMAL);
            tr.left += is.cx + 3;
        }
        dc->SetTextColor(IsWindowEnabled(h) ? GetSysColor(COLOR_WINDOWTEXT)
                                            : GetSysColor(COLOR_GRAYTEXT));
        dc->DrawText(t.text, tr, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        if (selected && s->focused) {
            theme::FocusRect(*dc, {r.left + 3, r.top + 3, r.right - 3, r.bottom - 2});
        }
    }
    if (overflow) {
        // The arrows sit over the row's end on the parent's background.
        const Rect left = ArrowRect(h, s, 0);
        const Rect right = ArrowRect(h, s, 1);
        Rect strip{left.left, AtBottom(h) ? body.bottom : c.top, c.right,
                   AtBottom(h) ? c.bottom : body.top};
        if (bg) dc->FillRect(strip, *bg);
        theme::ArrowButton(*dc, left, theme::ArrowDir::Left, false, s->first <= 0);
        theme::ArrowButton(*dc, right, theme::ArrowDir::Right, false, s->first >= LastFirst(h, s));
    }
    EndPaint(h, &ps);
}

void FillItem(const Tab& t, TcItem* out) {
    if ((out->mask & TCIF_TEXT) && out->pszText && out->cchTextMax > 0) {
        CopyOut(t.text, out->pszText, std::size_t(out->cchTextMax));
    }
    if (out->mask & TCIF_IMAGE) out->iImage = t.image;
    if (out->mask & TCIF_PARAM) out->lParam = t.lParam;
}

void ApplyItem(Tab& t, const TcItem& in) {
    if (in.mask & TCIF_TEXT) t.text = in.pszText ? in.pszText : "";
    if (in.mask & TCIF_IMAGE) t.image = in.iImage;
    if (in.mask & TCIF_PARAM) t.lParam = in.lParam;
}

LResult OnSize(Hwnd h, TabState* s, uint32_t msg, WParam wp, LParam lp) {
    EnsureVisible(h, s, s->current);
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnPaint(Hwnd h, TabState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnFocus(Hwnd h, TabState* s, uint32_t msg, WParam, LParam) {
    s->focused = msg == WM_SETFOCUS;
    InvalidateRect(h, nullptr, false);
    return 0;
}

LResult OnNcHitTest(Hwnd h, TabState* s, uint32_t, WParam, LParam lp) {
    // Only the tabs take the mouse; the display area belongs to the pages under it.
    Point p{GetXLParam(lp), GetYLParam(lp)};
    ScreenToClient(h, &p);
    if (HitTest(h, s, p) < 0) {
        Rect c;
        GetClientRect(h, &c);
        Rect body = c;
        AdjustRect(h, s, false, &body);
        if (body.Contains(p.x, p.y)) return HTTRANSPARENT;
    }
    return HTCLIENT;
}

LResult OnButtonDown(Hwnd h, TabState* s, uint32_t, WParam, LParam lp) {
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    if (const int arrow = ArrowAt(h, s, p); arrow != 0) {
        const int first = std::clamp(s->first + arrow, 0, LastFirst(h, s));
        if (first != s->first) {
            s->first = first;
            InvalidateRect(h, nullptr, true);
        }
        return 0;
    }
    const int i = HitTest(h, s, p);
    if (i < 0) return 0;
    if (!(StyleOf(h) & TCS_FOCUSNEVER) && GetFocus() != h) SetFocus(h);
    UserSelect(h, s, i);
    return 0;
}

LResult OnRButtonUp(Hwnd h, TabState*, uint32_t, WParam, LParam) {
    NmHdr nm;
    NotifyParent(h, &nm, NM_RCLICK);
    return 0;
}

LResult OnKeyDown(Hwnd h, TabState* s, uint32_t, WParam wp, LParam) {
    const int count = int(s->tabs.size());
    if (count == 0) return 0;
    const int from = std::max(0, s->current);
    if (wp == VK_LEFT) UserSelect(h, s, std::max(0, from - 1));
    if (wp == VK_RIGHT) UserSelect(h, s, std::min(count - 1, from + 1));
    if (wp == VK_HOME) UserSelect(h, s, 0);
    if (wp == VK_END) UserSelect(h, s, count - 1);
    return 0;
}

LResult OnGetImageList(Hwnd, TabState* s, uint32_t, WParam, LParam) {
    return reinterpret_cast<LResult>(s->images);
}

LResult OnSetImageList(Hwnd h, TabState* s, uint32_t, WParam, LParam lp) {
    ImageList* old = s->images;
    s->images = reinterpret_cast<ImageList*>(lp);
    InvalidateRect(h, nullptr, true);
    return reinterpret_cast<LResult>(old);
}

LResult OnGetItemCount(Hwnd, TabState* s, uint32_t, WParam, LParam) {
    const int count = int(s->tabs.size());
    return count;
}

LResult OnInsertItem(Hwnd h, TabState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->tabs.size());
    const auto* in = reinterpret_cast<const TcItem*>(lp);
    if (!in) return -1;
    const int at = std::clamp(int(wp), 0, count);
    Tab t;
    ApplyItem(t, *in);
    s->tabs.insert(s->tabs.begin() + at, t);
    // The first tab becomes the current one; later ones keep the current in place.
    if (s->current < 0) {
        s->current = 0;
    } else if (at <= s->current) {
        ++s->current;
    }
    InvalidateRect(h, nullptr, true);
    return at;
}

LResult OnSetItem(Hwnd h, TabState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->tabs.size());
    const auto* in = reinterpret_cast<const TcItem*>(lp);
    const int i = int(wp);
    if (!in || i < 0 || i >= count) return 0;
    ApplyItem(s->tabs[std::size_t(i)], *in);
    InvalidateRect(h, nullptr, true);
    return 1;
}

LResult OnGetItem(Hwnd, TabState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->tabs.size());
    auto* out = reinterpret_cast<TcItem*>(lp);
    const int i = int(wp);
    if (!out || i < 0 || i >= count) return 0;
    FillItem(s->tabs[std::size_t(i)], out);
    return 1;
}

LResult OnDeleteItem(Hwnd h, TabState* s, uint32_t, WParam wp, LParam) {
    const int count = int(s->tabs.size());
    const int i = int(wp);
    if (i < 0 || i >= count) return 0;
    s->tabs.erase(s->tabs.begin() + i);
    s->first = std::clamp(s->first, 0, LastFirst(h, s));
    if (s->current == i) {
        s->current = -1;
    } else if (s->current > i) {
        --s->current;
    }
    InvalidateRect(h, nullptr, true);
    return 1;
}

LResult OnDeleteAllItems(Hwnd h, TabState* s, uint32_t, WParam, LParam) {
    s->tabs.clear();
    s->current = -1;
    s->first = 0;
    InvalidateRect(h, nullptr, true);
    return 1;
}

LResult OnGetItemRect(Hwnd h, TabState* s, uint32_t, WParam wp, LParam lp) {
    const int count = int(s->tabs.size());
    auto* r = reinterpret_cast<Rect*>(lp);
    const int i = int(wp);
    if (!r || i < 0 || i >= count) return 0;
    *r = TabRect(h, s, i);
    return 1;
}

LResult OnGetCurSel(Hwnd, TabState* s, uint32_t, WParam, LParam) {
    return s->current;
}

LResult OnSetCurSel(Hwnd h, TabState* s, uint32_t, WParam wp, LParam) {
    const int count = int(s->tabs.size());
    const int i = int(int32_t(wp));
    if (i < 0 || i >= count) return -1;
    const int old = s->current;
    s->current = i;
    s->focus = i;
    EnsureVisible(h, s, i);
    InvalidateRect(h, nullptr, true);
    return old;
}

LResult OnGetCurFocus(Hwnd, TabState* s, uint32_t, WParam, LParam) {
    return s->focus;
}

LResult OnSetCurFocus(Hwnd h, TabState* s, uint32_t, WParam wp, LParam) {
    UserSelect(h, s, int(wp));
    return 0;
}

LResult OnHitTest(Hwnd h, TabState* s, uint32_t, WParam, LParam lp) {
    auto* info = reinterpret_cast<TcHitTestInfo*>(lp);
    if (!info) return -1;
    const int i = HitTest(h, s, info->pt);
    info->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
    return i;
}

LResult OnAdjustRect(Hwnd h, TabState* s, uint32_t, WParam wp, LParam lp) {
    auto* r = reinterpret_cast<Rect*>(lp);
    if (r) AdjustRect(h, s, wp != 0, r);
    return 0;
}

LResult OnSetItemSize(Hwnd h, TabState* s, uint32_t, WParam, LParam lp) {
    const Size old{s->fixedSize.cx, s->fixedSize.cy};
    s->fixedSize = {LoWord(uintptr_t(lp)), HiWord(uintptr_t(lp))};
    InvalidateRect(h, nullptr, true);
    return MakeLParam(old.cx, old.cy);
}

LResult OnGetRowCount(Hwnd, TabState*, uint32_t, WParam, LParam) {
    return 1;
}

LResult TabProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<TabState> kMessages{
        {WM_GETDLGCODE, WantArrowsAndChars<TabState>},
        {WM_SIZE, OnSize},
        {WM_PAINT, OnPaint},
        {WM_SETFOCUS, OnFocus},
        {WM_KILLFOCUS, OnFocus},
        {WM_NCHITTEST, OnNcHitTest},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_RBUTTONUP, OnRButtonUp},
        {WM_KEYDOWN, OnKeyDown},
        {TCM_GETIMAGELIST, OnGetImageList},
        {TCM_SETIMAGELIST, OnSetImageList},
        {TCM_GETITEMCOUNT, OnGetItemCount},
        {TCM_INSERTITEMA, OnInsertItem},
        {TCM_SETITEMA, OnSetItem},
        {TCM_GETITEMA, OnGetItem},
        {TCM_DELETEITEM, OnDeleteItem},
        {TCM_DELETEALLITEMS, OnDeleteAllItems},
        {TCM_GETITEMRECT, OnGetItemRect},
        {TCM_GETCURSEL, OnGetCurSel},
        {TCM_SETCURSEL, OnSetCurSel},
        {TCM_GETCURFOCUS, OnGetCurFocus},
        {TCM_SETCURFOCUS, OnSetCurFocus},
        {TCM_HITTEST, OnHitTest},
        {TCM_ADJUSTRECT, OnAdjustRect},
        {TCM_SETITEMSIZE, OnSetItemSize},
        {TCM_GETROWCOUNT, OnGetRowCount},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterTabControlClass() {
    return RegisterControlClass(kTabControlClass, TabProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
