// LISTBOX: single, multiple and extended selection, sorted, owner-drawn fixed rows, keyboard
// and wheel scrolling. The same procedure serves the drop-down list of a combo box
// ("ComboLBox"), which reports picks to its combo instead of its parent.

#include <algorithm>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ComboListLink.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/ListBoxModel.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

struct ListBoxState {
    ListBoxModel model;
    ControlFont font;
    int itemHeight = 0;
    int top = 0;
    int horizontalExtent = 0;
    int left = 0;  // pixels scrolled to the right (LB_SETHORIZONTALEXTENT)
    bool focused = false;
    bool tracking = false;         // left button held after a press in the list
    bool trackToggle = false;      // extended mode: Ctrl+drag toggles
    bool wantsScrollBar = false;   // made with WS_VSCROLL: the bar comes and goes as needed
    bool wantsHScrollBar = false;  // made with WS_HSCROLL: scrolls over the horizontal extent
    Hwnd combo{};                  // set when this list is a combo box's drop-down
    bool comboArmed = false;       // the drop-down saw a press inside it
};

uint32_t Style(Hwnd h) {
    return StyleOf(h);
}
bool IsOwnerDraw(Hwnd h) {
    return (Style(h) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}
bool HasStrings(Hwnd h) {
    return !IsOwnerDraw(h) || (Style(h) & LBS_HASSTRINGS);
}
bool Notifies(Hwnd h, const ListBoxState* s) {
    return (Style(h) & LBS_NOTIFY) || s->combo;
}

int ClientHeight(Hwnd h) {
    Rect c;
    GetClientRect(h, &c);
    return c.Height();
}
int PageRows(Hwnd h, const ListBoxState* s) {
    return std::max(1, ClientHeight(h) / std::max(1, s->itemHeight));
}
int MaxTop(Hwnd h, const ListBoxState* s) {
    return std::max(0, s->model.Count() - PageRows(h, s));
}

void UpdateScrollBar(Hwnd h, ListBoxState* s) {
    if (!s->wantsScrollBar) return;
    SetControlScrollBar(h, SB_VERT, s->model.Count() - 1, PageRows(h, s), s->top,
                        (Style(h) & LBS_DISABLENOSCROLL) != 0);
}

int ClientWidth(Hwnd h) {
    Rect c;
    GetClientRect(h, &c);
    return c.Width();
}
int MaxLeft(Hwnd h, const ListBoxState* s) {
    return std::max(0, s->horizontalExtent - ClientWidth(h));
}

void UpdateHScrollBar(Hwnd h, ListBoxState* s) {
    if (!s->wantsHScrollBar) return;
    SetControlScrollBar(h, SB_HORZ, s->horizontalExtent - 1, ClientWidth(h), s->left,
                        (Style(h) & LBS_DISABLENOSCROLL) != 0);
}

void SetLeft(Hwnd h, ListBoxState* s, int left) {
    left = std::clamp(left, 0, MaxLeft(h, s));
    if (left == s->left) return;
    s->left = left;
    UpdateHScrollBar(h, s);
    InvalidateRect(h, nullptr, true);
}

void ScrollHorizontally(Hwnd h, ListBoxState* s, uint32_t code, int thumb) {
    const ScrollSteps steps{std::max(1, s->font.font.Metrics().height / 2), ClientWidth(h),
                            MaxLeft(h, s)};
    if (const auto left = ScrollTarget(code, s->left, thumb, steps)) SetLeft(h, s, *left);
}

void SetTop(Hwnd h, ListBoxState* s, int top) {
    top = std::clamp(top, 0, MaxTop(h, s));
    if (top == s->top) return;
    s->top = top;
    UpdateScrollBar(h, s);
    InvalidateRect(h, nullptr, true);
}

void EnsureVisible(Hwnd h, ListBoxState* s, int i) {
    if (!s->model.Valid(i)) return;
    if (i < s->top) {
        SetTop(h, s, i);
    } else if (i >= s->top + PageRows(h, s)) {
        SetTop(h, s, i - PageRows(h, s) + 1);
    }
}

Rect ItemRect(Hwnd h, const ListBoxState* s, int i) {
    Rect c;
    GetClientRect(h, &c);
    const int y = (i - s->top) * s->itemHeight;
    return {c.left, y, c.right, y + s->itemHeight};
}

int ItemAt(Hwnd h, const ListBoxState* s, Point p, bool* outside) {
    Rect c;
    GetClientRect(h, &c);
    const bool in = c.Contains(p.x, p.y);
    int i = s->top + (p.y < 0 ? -1 : p.y / std::max(1, s->itemHeight));
    if (outside) *outside = !in || i >= s->model.Count() || i < 0;
    return std::clamp(i, 0, std::max(0, s->model.Count() - 1));
}

void Redraw(Hwnd h) {
    InvalidateRect(h, nullptr, true);
}

// The window that draws owner-drawn rows and hears about them.
Hwnd DrawTarget(Hwnd h, const ListBoxState* s) {
    return s->combo ? GetParent(s->combo) : NotifyTarget(h);
}

void Notify(Hwnd h, ListBoxState* s, int code) {
    if (!Notifies(h, s) || s->combo) return;
    NotifyCommand(h, code);
}

void MeasureItems(Hwnd h, ListBoxState* s) {
    s->itemHeight = std::max(1, s->font.font.Metrics().height + 2);
    if (!IsOwnerDraw(h)) return;
    MeasureItemStruct mi;
    mi.ctlType = s->combo ? ODT_COMBOBOX : ODT_LISTBOX;
    mi.ctlId = static_cast<uint32_t>(s->combo ? ControlId(s->combo) : ControlId(h));
    mi.itemHeight = static_cast<uint32_t>(s->itemHeight);
    if (const Hwnd target = DrawTarget(h, s)) {
        SendMessage(target, WM_MEASUREITEM, mi.ctlId, reinterpret_cast<LParam>(&mi));
    }
    if (mi.itemHeight > 0) s->itemHeight = static_cast<int>(mi.itemHeight);
}

void Paint(Hwnd h, ListBoxState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect client;
    GetClientRect(h, &client);
    const Brush* bg = ParentColors(s->combo ? s->combo : h, dc, WM_CTLCOLORLISTBOX);
    const ColorRef textColor = IsWindowEnabled(h) ? dc->TextColor() : GetSysColor(COLOR_GRAYTEXT);
    const ColorRef backColor = dc->BkColor();
    if (bg) dc->FillRect(client, *bg);
    dc->SelectFont(s->font.font);
    const int rows = PageRows(h, s) + 1;
    const bool ownerDraw = IsOwnerDraw(h);
    const Hwnd target = DrawTarget(h, s);
    for (int i = s->top; i < std::min(s->model.Count(), s->top + rows); ++i) {
        const Rect r = ItemRect(h, s, i);
        const bool selected = s->model.IsSelected(i);
        const bool focusItem =
            s->focused && i == s->model.caret && s->model.mode != SelectionMode::Single;
        if (ownerDraw) {
            DrawItemStruct di;
            di.ctlType = s->combo ? ODT_COMBOBOX : ODT_LISTBOX;
            di.ctlId = static_cast<uint32_t>(s->combo ? ControlId(s->combo) : ControlId(h));
            di.itemId = static_cast<uint32_t>(i);
            di.itemAction = ODA_DRAWENTIRE;
            if (selected) di.itemState |= ODS_SELECTED;
            if (s->focused && i == s->model.caret) di.itemState |= ODS_FOCUS;
            if (!IsWindowEnabled(h)) di.itemState |= ODS_DISABLED;
            di.hwndItem = h;
            di.hdc = dc;
            di.rcItem = r;
            di.itemData = s->model.At(i).data;
            if (target) {
                SendMessage(target, WM_DRAWITEM, di.ctlId, reinterpret_cast<LParam>(&di));
            }
            continue;
        }
        if (selected) dc->FillSolid(r, GetSysColor(COLOR_HIGHLIGHT));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor);
        Rect tr{r.left + 2 - s->left, r.top, r.right - 2, r.bottom};
        dc->DrawText(s->model.At(i).text, tr,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                         ((Style(h) & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0));
        if (focusItem || (s->focused && selected && s->model.mode == SelectionMode::Single)) {
            theme::FocusRect(*dc, r);
        }
    }
    (void)backColor;
    EndPaint(h, &ps);
}

// A click or key chose item i: select it as the mode says.
void Choose(Hwnd h, ListBoxState* s, int i, bool shift, bool ctrl, bool toggle) {
    ListBoxModel& m = s->model;
    if (!m.Valid(i)) return;
    const std::vector<int> before = m.SelectedItems();
    switch (m.mode) {
        case SelectionMode::None:
            m.caret = i;
            break;
        case SelectionMode::Single:
            m.SetCurrent(i);
            break;
        case SelectionMode::Multiple:
            m.caret = i;
            if (toggle) m.SetSelected(i, !m.IsSelected(i));
            break;
        case SelectionMode::Extended:
            if (shift) {
                if (!ctrl) m.SetSelected(-1, false);
                m.SelectRange(m.anchor, i, true);
            } else if (ctrl) {
                m.SetSelected(i, !m.IsSelected(i));
                m.anchor = i;
            } else {
                m.SetSelected(-1, false);
                m.SetSelected(i, true);
                m.anchor = i;
            }
            m.caret = i;
            break;
    }
    EnsureVisible(h, s, i);
    Redraw(h);
    if (m.SelectedItems() != before) {
        if (s->combo) {
            SendMessage(s->combo, kCbListHover, static_cast<WParam>(i), 0);
        } else {
            Notify(h, s, LBN_SELCHANGE);
        }
    }
}

void KeyDown(Hwnd h, ListBoxState* s, uint32_t vk) {
    ListBoxModel& m = s->model;
    if (m.Count() == 0) return;
    const int from = m.mode == SelectionMode::Single && m.Current() >= 0 ? m.Current() : m.caret;
    if (vk == VK_SPACE) {
        if (m.mode == SelectionMode::Multiple) Choose(h, s, m.caret, false, false, true);
        if (m.mode == SelectionMode::Extended) Choose(h, s, m.caret, false, true, false);
        return;
    }
    const std::optional<int> target = ListKeyTarget(vk, from, PageRows(h, s), m.Count());
    if (!target) return;
    int to = *target;
    if (m.mode == SelectionMode::Single && m.Current() < 0 && (vk == VK_UP || vk == VK_DOWN)) {
        to = 0;
    }
    to = std::clamp(to, 0, m.Count() - 1);
    if (m.mode == SelectionMode::Multiple) {
        m.caret = to;
        EnsureVisible(h, s, to);
        Redraw(h);
        return;
    }
    Choose(h, s, to, ShiftDown(), false, false);
}

// Typing a character jumps to the next item that starts with it.
void CharSearch(Hwnd h, ListBoxState* s, unsigned char c) {
    if (c < 0x20 || !HasStrings(h)) return;
    const char text[2] = {static_cast<char>(c), 0};
    const int from = s->model.mode == SelectionMode::Single ? s->model.Current() : s->model.caret;
    const int i = s->model.Find(from, text, false);
    if (i >= 0) Choose(h, s, i, false, false, false);
}

void Scroll(Hwnd h, ListBoxState* s, uint32_t code, int thumb) {
    const ScrollSteps steps{1, PageRows(h, s), MaxTop(h, s)};
    if (const auto top = ScrollTarget(code, s->top, thumb, steps)) SetTop(h, s, *top);
}

void AfterItemsChanged(Hwnd h, ListBoxState* s) {
    s->top = std::clamp(s->top, 0, MaxTop(h, s));
    UpdateScrollBar(h, s);
    if (!(Style(h) & LBS_NOREDRAW)) Redraw(h);
}

LResult AddOrInsert(Hwnd h, ListBoxState* s, uint32_t msg, WParam wp, LParam lp) {
    std::string text;
    uintptr_t data = 0;
    if (HasStrings(h)) {
        const char* p = reinterpret_cast<const char*>(lp);
        text = p ? p : "";
    } else {
        data = static_cast<uintptr_t>(lp);
    }
    int at;
    if (msg == LB_ADDSTRING) {
        at = HasStrings(h) ? s->model.Add(std::move(text), data)
                           : s->model.Insert(-1, std::move(text), data);
    } else {
        at = s->model.Insert(static_cast<int>(static_cast<int32_t>(wp)), std::move(text), data);
    }
    if (at < 0) return LB_ERR;
    AfterItemsChanged(h, s);
    return at;
}

void ComboMouse(Hwnd h, ListBoxState* s, uint32_t msg, LParam lp) {
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    Rect c;
    GetClientRect(h, &c);
    const bool inside = c.Contains(p.x, p.y);
    bool outside = false;
    const int i = ItemAt(h, s, p, &outside);
    switch (msg) {
        case WM_MOUSEMOVE:
            if (inside && !outside && i != s->model.Current()) Choose(h, s, i, false, false, false);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!inside) {
                // A press anywhere outside the open list closes it.
                SendMessage(s->combo, kCbListCancel, 0, MakeLParam(p.x, p.y));
                return;
            }
            s->comboArmed = true;
            if (!outside) Choose(h, s, i, false, false, false);
            break;
        case WM_LBUTTONUP:
            if (inside && !outside) {
                s->model.SetCurrent(i);
                SendMessage(s->combo, kCbListPicked, static_cast<WParam>(i), 0);
            }
            break;
        default:
            break;
    }
}

LResult OnNcCreate(Hwnd, ListBoxState* s, uint32_t, WParam, LParam lp) {
    const uint32_t style = reinterpret_cast<const CreateStruct*>(lp)->style;
    if (style & LBS_NOSEL) {
        s->model.mode = SelectionMode::None;
    } else if (style & LBS_EXTENDEDSEL) {
        s->model.mode = SelectionMode::Extended;
    } else if (style & LBS_MULTIPLESEL) {
        s->model.mode = SelectionMode::Multiple;
    }
    s->model.sorted = (style & LBS_SORT) != 0;
    s->wantsScrollBar = (style & WS_VSCROLL) != 0;
    s->wantsHScrollBar = (style & WS_HSCROLL) != 0;
    return 0;
}

LResult OnSetFont(Hwnd h, ListBoxState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = HandleFont(h, s, msg, wp, lp);
    if (!IsOwnerDraw(h)) {
        MeasureItems(h, s);
        AfterItemsChanged(h, s);
    }
    return r;
}

LResult OnCreate(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    MeasureItems(h, s);
    UpdateScrollBar(h, s);
    return 0;
}

LResult OnSize(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    AfterItemsChanged(h, s);
    s->left = std::clamp(s->left, 0, MaxLeft(h, s));
    UpdateHScrollBar(h, s);
    return 0;
}

LResult OnPaint(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnEnable(Hwnd h, ListBoxState*, uint32_t, WParam, LParam) {
    Redraw(h);
    return 0;
}

LResult OnSetFocus(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    s->focused = true;
    Redraw(h);
    Notify(h, s, LBN_SETFOCUS);
    return 0;
}

LResult OnKillFocus(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    s->focused = false;
    Redraw(h);
    Notify(h, s, LBN_KILLFOCUS);
    return 0;
}

// A combo's drop-down list tracks the mouse in its own way.
LResult OnButtonDown(Hwnd h, ListBoxState* s, uint32_t msg, WParam wp, LParam lp) {
    if (s->combo) {
        ComboMouse(h, s, msg, lp);
        return 0;
    }
    bool outside = false;
    const int i = ItemAt(h, s, {GetXLParam(lp), GetYLParam(lp)}, &outside);
    if (GetFocus() != h) SetFocus(h);
    if (msg == WM_LBUTTONDBLCLK && !outside) {
        Notify(h, s, LBN_DBLCLK);
        return 0;
    }
    if (outside) return 0;
    SetCapture(h);
    s->tracking = true;
    Choose(h, s, i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0, true);
    return 0;
}

LResult OnMouseMove(Hwnd h, ListBoxState* s, uint32_t msg, WParam, LParam lp) {
    if (s->combo) {
        ComboMouse(h, s, msg, lp);
        return 0;
    }
    const ListBoxModel& m = s->model;
    if (!s->tracking || m.mode == SelectionMode::Multiple) return 0;
    // Dragging past the edges scrolls.
    const int i = ItemAt(h, s, {GetXLParam(lp), GetYLParam(lp)}, nullptr);
    Choose(h, s, std::clamp(i, 0, m.Count() - 1), m.mode == SelectionMode::Extended, false, false);
    return 0;
}

LResult OnButtonUp(Hwnd h, ListBoxState* s, uint32_t msg, WParam, LParam lp) {
    if (s->combo) {
        ComboMouse(h, s, msg, lp);
        return 0;
    }
    if (s->tracking) {
        s->tracking = false;
        if (GetCapture() == h) ReleaseCapture();
    }
    return 0;
}

LResult OnCaptureChanged(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    s->tracking = false;
    return 0;
}

LResult OnKeyDown(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    if (Style(h) & LBS_WANTKEYBOARDINPUT) {
        const LResult r = SendMessage(NotifyTarget(h), WM_VKEYTOITEM, MakeWParam(int(wp), m.caret),
                                      HwndToParam(h));
        if (r == -2) return 0;
    }
    KeyDown(h, s, static_cast<uint32_t>(wp));
    return 0;
}

LResult OnChar(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    CharSearch(h, s, static_cast<unsigned char>(wp));
    return 0;
}

LResult OnMouseWheel(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    SetTop(h, s, s->top - WheelRows(wp, 3));
    return 0;
}

LResult OnVScroll(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    Scroll(h, s, LoWord(wp), static_cast<int16_t>(HiWord(wp)));
    return 0;
}

LResult OnHScroll(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ScrollHorizontally(h, s, LoWord(wp), static_cast<int16_t>(HiWord(wp)));
    return 0;
}

LResult OnSetText(Hwnd, ListBoxState*, uint32_t, WParam, LParam) {
    return LB_ERR;
}

LResult OnAttachCombo(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam lp) {
    s->combo = HwndFromParam(lp);
    MeasureItems(h, s);
    return 0;
}

LResult OnBeginTracking(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    s->comboArmed = false;
    SetCapture(h);
    EnsureVisible(h, s, m.Current());
    return 0;
}

LResult OnAddString(Hwnd h, ListBoxState* s, uint32_t msg, WParam wp, LParam lp) {
    return AddOrInsert(h, s, msg, wp, lp);
}

LResult OnDeleteString(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    if (!m.Remove(static_cast<int>(wp))) return LB_ERR;
    AfterItemsChanged(h, s);
    return m.Count();
}

LResult OnResetContent(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    m.Clear();
    s->top = 0;
    AfterItemsChanged(h, s);
    return 0;
}

LResult OnGetCount(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    return m.Count();
}

LResult OnGetText(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (!m.Valid(i)) return LB_ERR;
    if (!HasStrings(h)) {
        if (auto* out = reinterpret_cast<uintptr_t*>(lp)) *out = m.At(i).data;
        return sizeof(uintptr_t);
    }
    auto* buf = reinterpret_cast<char*>(lp);
    if (!buf) return LB_ERR;
    // The caller's buffer holds LB_GETTEXTLEN + 1 bytes.
    const std::string& t = m.At(i).text;
    std::copy(t.begin(), t.end(), buf);
    buf[t.size()] = '\0';
    return LResult(t.size());
}

LResult OnGetTextLen(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (!m.Valid(i)) return LB_ERR;
    return HasStrings(h) ? LResult(m.At(i).text.size()) : LResult(sizeof(uintptr_t));
}

LResult OnGetItemData(Hwnd, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (!m.Valid(i)) return LB_ERR;
    return static_cast<LResult>(m.At(i).data);
}

LResult OnSetItemData(Hwnd, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (!m.Valid(i)) return LB_ERR;
    m.At(i).data = static_cast<uintptr_t>(lp);
    return 0;
}

LResult OnSetCurSel(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    if (m.mode != SelectionMode::Single && m.mode != SelectionMode::None) return LB_ERR;
    const int i = static_cast<int>(static_cast<int32_t>(wp));
    m.SetCurrent(i);
    if (m.Valid(i)) EnsureVisible(h, s, i);
    Redraw(h);
    return m.Valid(i) ? i : LB_ERR;
}

LResult OnGetCurSel(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    if (m.mode == SelectionMode::Single || m.mode == SelectionMode::None) {
        return m.Current();
    }
    return m.Count() ? m.caret : LB_ERR;
}

LResult OnGetSel(Hwnd, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (!m.Valid(i)) return LB_ERR;
    return m.IsSelected(i) ? 1 : 0;
}

LResult OnSetSel(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    if (m.mode == SelectionMode::Single || m.mode == SelectionMode::None) return LB_ERR;
    const int i = static_cast<int>(static_cast<int32_t>(lp));
    if (i != -1 && !m.Valid(i)) return LB_ERR;
    m.SetSelected(i, wp != 0);
    if (i >= 0) m.caret = i;
    Redraw(h);
    return 0;
}

LResult OnSelItemRange(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    if (m.mode == SelectionMode::Single || m.mode == SelectionMode::None) return LB_ERR;
    m.SelectRange(LoWord(static_cast<uintptr_t>(lp)), HiWord(static_cast<uintptr_t>(lp)), wp != 0);
    Redraw(h);
    return 0;
}

LResult OnGetSelCount(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    if (m.mode == SelectionMode::Single || m.mode == SelectionMode::None) return LB_ERR;
    return m.SelectedCount();
}

LResult OnGetSelItems(Hwnd, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    if (m.mode == SelectionMode::Single || m.mode == SelectionMode::None) return LB_ERR;
    auto* out = reinterpret_cast<int*>(lp);
    const std::vector<int> sel = m.SelectedItems();
    const std::size_t n = std::min<std::size_t>(sel.size(), wp);
    if (out) std::copy_n(sel.begin(), n, out);
    return LResult(n);
}

LResult OnFindString(Hwnd, ListBoxState* s, uint32_t msg, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    const char* text = reinterpret_cast<const char*>(lp);
    if (!text) return LB_ERR;
    return m.Find(static_cast<int>(static_cast<int32_t>(wp)), text, msg == LB_FINDSTRINGEXACT);
}

LResult OnSelectString(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    const char* text = reinterpret_cast<const char*>(lp);
    if (!text || m.mode != SelectionMode::Single) return LB_ERR;
    const int i = m.Find(static_cast<int>(static_cast<int32_t>(wp)), text, false);
    if (i < 0) return LB_ERR;
    m.SetCurrent(i);
    EnsureVisible(h, s, i);
    Redraw(h);
    return i;
}

LResult OnGetTopIndex(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    return s->top;
}

LResult OnSetTopIndex(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    if (i < 0 || (i >= m.Count() && m.Count() > 0)) return LB_ERR;
    SetTop(h, s, i);
    return 0;
}

LResult OnSetItemHeight(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam lp) {
    if (LoWord(static_cast<uintptr_t>(lp)) == 0 || LoWord(static_cast<uintptr_t>(lp)) > 255) {
        return LB_ERR;
    }
    s->itemHeight = LoWord(static_cast<uintptr_t>(lp));
    AfterItemsChanged(h, s);
    return 0;
}

LResult OnGetItemHeight(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    return s->itemHeight;
}

LResult OnGetItemRect(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam lp) {
    ListBoxModel& m = s->model;
    const int i = static_cast<int>(wp);
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r || (!m.Valid(i) && !(i == 0 && m.Count() == 0))) return LB_ERR;
    *r = ItemRect(h, s, i);
    return 1;
}

LResult OnItemFromPoint(Hwnd h, ListBoxState* s, uint32_t, WParam, LParam lp) {
    bool outside = false;
    const int i = ItemAt(h, s, {GetXLParam(lp), GetYLParam(lp)}, &outside);
    return MakeLParam(i, outside ? 1 : 0);
}

LResult OnSetCaretIndex(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    if (!m.Valid(static_cast<int>(wp))) return LB_ERR;
    m.caret = static_cast<int>(wp);
    EnsureVisible(h, s, m.caret);
    Redraw(h);
    return 0;
}

LResult OnGetCaretIndex(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    return m.caret;
}

LResult OnSetAnchorIndex(Hwnd, ListBoxState* s, uint32_t, WParam wp, LParam) {
    ListBoxModel& m = s->model;
    if (!m.Valid(static_cast<int>(wp))) return LB_ERR;
    m.anchor = static_cast<int>(wp);
    return 0;
}

LResult OnGetAnchorIndex(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    ListBoxModel& m = s->model;
    return m.anchor;
}

LResult OnSetHorizontalExtent(Hwnd h, ListBoxState* s, uint32_t, WParam wp, LParam) {
    s->horizontalExtent = std::max(0, static_cast<int>(wp));
    s->left = std::clamp(s->left, 0, MaxLeft(h, s));
    UpdateHScrollBar(h, s);
    Redraw(h);
    return 0;
}

LResult OnGetHorizontalExtent(Hwnd, ListBoxState* s, uint32_t, WParam, LParam) {
    return s->horizontalExtent;
}

LResult ListBoxProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<ListBoxState> kMessages{
        {WM_NCCREATE, OnNcCreate},
        {WM_SETFONT, OnSetFont},
        {WM_CREATE, OnCreate},
        {WM_SIZE, OnSize},
        {WM_GETDLGCODE, WantArrowsAndChars<ListBoxState>},
        {WM_PAINT, OnPaint},
        {WM_ENABLE, OnEnable},
        {WM_SETFOCUS, OnSetFocus},
        {WM_KILLFOCUS, OnKillFocus},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnButtonDown},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_LBUTTONUP, OnButtonUp},
        {WM_CAPTURECHANGED, OnCaptureChanged},
        {WM_KEYDOWN, OnKeyDown},
        {WM_CHAR, OnChar},
        {WM_MOUSEWHEEL, OnMouseWheel},
        {WM_VSCROLL, OnVScroll},
        {WM_HSCROLL, OnHScroll},
        {WM_SETTEXT, OnSetText},
        {kLbAttachCombo, OnAttachCombo},
        {kLbBeginTracking, OnBeginTracking},
        {LB_ADDSTRING, OnAddString},
        {LB_INSERTSTRING, OnAddString},
        {LB_DELETESTRING, OnDeleteString},
        {LB_RESETCONTENT, OnResetContent},
        {LB_GETCOUNT, OnGetCount},
        {LB_GETTEXT, OnGetText},
        {LB_GETTEXTLEN, OnGetTextLen},
        {LB_GETITEMDATA, OnGetItemData},
        {LB_SETITEMDATA, OnSetItemData},
        {LB_SETCURSEL, OnSetCurSel},
        {LB_GETCURSEL, OnGetCurSel},
        {LB_GETSEL, OnGetSel},
        {LB_SETSEL, OnSetSel},
        {LB_SELITEMRANGE, OnSelItemRange},
        {LB_GETSELCOUNT, OnGetSelCount},
        {LB_GETSELITEMS, OnGetSelItems},
        {LB_FINDSTRING, OnFindString},
        {LB_FINDSTRINGEXACT, OnFindString},
        {LB_SELECTSTRING, OnSelectString},
        {LB_GETTOPINDEX, OnGetTopIndex},
        {LB_SETTOPINDEX, OnSetTopIndex},
        {LB_SETITEMHEIGHT, OnSetItemHeight},
        {LB_GETITEMHEIGHT, OnGetItemHeight},
        {LB_GETITEMRECT, OnGetItemRect},
        {LB_ITEMFROMPOINT, OnItemFromPoint},
        {LB_SETCARETINDEX, OnSetCaretIndex},
        {LB_GETCARETINDEX, OnGetCaretIndex},
        {LB_SETANCHORINDEX, OnSetAnchorIndex},
        {LB_GETANCHORINDEX, OnGetAnchorIndex},
        {LB_SETHORIZONTALEXTENT, OnSetHorizontalExtent},
        {LB_GETHORIZONTALEXTENT, OnGetHorizontalExtent},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterListBoxClass() {
    return RegisterControlClass(kListBoxClass, ListBoxProc, CS_DBLCLKS | CS_PARENTDC, 0) &&
           RegisterControlClass(kComboListClass, ListBoxProc, CS_DBLCLKS | CS_SAVEBITS, 0);
}

}  // namespace zv::ui::controls
