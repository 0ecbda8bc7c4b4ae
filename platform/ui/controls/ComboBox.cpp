// COMBOBOX: a drop-down list (CBS_DROPDOWNLIST) or an edit with a drop-down list
// (CBS_DROPDOWN). The list is a top-level pop-up ("ComboLBox") that holds the mouse while it
// is open, so a press anywhere outside it closes it.

#include <algorithm>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ComboListLink.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kButtonWidth = 16;
constexpr int kEditId = 1001;

struct ComboState {
    ControlFont font;
    Hwnd list{};
    Hwnd edit{};
    int dropHeight = 0;  // the height the creator asked for: face and list together
    int minVisible = 0;  // rows the open list shows at least (CB_SETMINVISIBLE)
    int selection = -1;  // what the face shows; the list's own selection follows it
    int openedWith = -1;
    bool focused = false;
    bool dropped = false;
    bool buttonDown = false;
};

uint32_t Style(Hwnd h) {
    return StyleOf(h);
}
bool HasEdit(Hwnd h) {
    return (Style(h) & 3) == CBS_DROPDOWN || (Style(h) & 3) == CBS_SIMPLE;
}
bool IsOwnerDraw(Hwnd h) {
    return (Style(h) & CBS_OWNERDRAWFIXED) != 0;
}

int ItemHeight(const ComboState* s) {
    return static_cast<int>(SendMessage(s->list, LB_GETITEMHEIGHT, 0, 0));
}
int FaceHeight(const ComboState* s) {
    return ItemHeight(s) + 6;
}

Rect ButtonRect(Hwnd h) {
    Rect c;
    GetClientRect(h, &c);
    return {c.right - kButtonWidth - 2, c.top + 2, c.right - 2, c.bottom - 2};
}

std::string ItemText(const ComboState* s, int i) {
    const LResult len = SendMessage(s->list, LB_GETTEXTLEN, static_cast<WParam>(i), 0);
    if (len < 0) return {};
    std::string buf(static_cast<std::size_t>(len) + 1, '\0');
    SendMessage(s->list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(buf.data()));
    buf.resize(static_cast<std::size_t>(len));
    return buf;
}

void ShowInEdit(ComboState* s) {
    if (!s->edit) return;
    SetWindowText(s->edit, s->selection >= 0 ? ItemText(s, s->selection) : std::string());
    SendMessage(s->edit, EM_SETSEL, 0, -1);
}

void SetSelection(Hwnd h, ComboState* s, int i) {
    const int count = static_cast<int>(SendMessage(s->list, LB_GETCOUNT, 0, 0));
    s->selection = (i >= 0 && i < count) ? i : -1;
    SendMessage(s->list, LB_SETCURSEL, static_cast<WParam>(s->selection), 0);
    ShowInEdit(s);
    InvalidateRect(h, nullptr, false);
}

void CloseUp(Hwnd h, ComboState* s, bool picked) {
    if (!s->dropped) return;
    s->dropped = false;
    if (GetCapture() == s->list) ReleaseCapture();
    ShowWindow(s->list, SW_HIDE);
    InvalidateRect(h, nullptr, false);
    if (!picked) {
        // A cancelled list keeps the selection the face showed.
        SendMessage(s->list, LB_SETCURSEL, static_cast<WParam>(s->selection), 0);
        NotifyCommand(h, CBN_SELENDCANCEL);
    }
    NotifyCommand(h, CBN_CLOSEUP);
}

void DropDown(Hwnd h, ComboState* s) {
    if (s->dropped) return;
    NotifyCommand(h, CBN_DROPDOWN);
    if (!IsWindow(h)) return;
    Rect wr;
    GetWindowRect(h, &wr);
    const int count = static_cast<int>(SendMessage(s->list, LB_GETCOUNT, 0, 0));
    const int itemH = ItemHeight(s);
    // The list is as tall as the creator asked, less the face; at least one row, and never
    // taller than its items.
    int height = std::max(itemH, s->dropHeight - wr.Height());
    height = std::max(height, std::min(count, s->minVisible) * itemH);
    height = std::min(height, std::max(1, count) * itemH);
    height += 2;  // its border
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    int y = wr.bottom;
    if (y + height > screenH && wr.top - height >= 0) y = wr.top - height;
    SetWindowPos(s->list, HWND_TOPMOST, wr.left, y, wr.Width(), height, SWP_NOACTIVATE);
    s->openedWith = s->selection;
    // The list scrolled while it was closed (and one row high): it opens from its first row,
    // scrolled only as far as the selection needs.
    SendMessage(s->list, LB_SETTOPINDEX, 0, 0);
    SendMessage(s->list, LB_SETCURSEL, static_cast<WParam>(s->selection), 0);
    ShowWindow(s->list, SW_SHOWNA);
    s->dropped = true;
    SendMessage(s->list, kLbBeginTracking, 0, 0);
    InvalidateRect(h, nullptr, false);
}

// The user picked item i (in the list or by keys): CBN_SELCHANGE when it differs.
void UserSelect(Hwnd h, ComboState* s, int i) {
    const int before = s->selection;
    SetSelection(h, s, i);
    if (s->selection != before) NotifyCommand(h, CBN_SELCHANGE);
}

void PaintFace(Hwnd h, ComboState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    const bool enabled = IsWindowEnabled(h);
    const Brush* bg = ParentColors(h, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    const ColorRef textColor = enabled ? dc->TextColor() : GetSysColor(COLOR_GRAYTEXT);
    dc->FillSolid(c, GetSysColor(COLOR_BTNFACE));
    Edge3d(*dc, c, EDGE_SUNKEN);
    const Rect inner{c.left + 2, c.top + 2, c.right - 2, c.bottom - 2};
    if (bg) {
        dc->FillRect(inner, *bg);
    } else {
        dc->FillSolid(inner, GetSysColor(COLOR_WINDOW));
    }
    const Rect b = ButtonRect(h);
    theme::ArrowButton(*dc, b, theme::ArrowDir::Down, s->buttonDown, !enabled);
    if (!HasEdit(h)) {
        const Rect item{inner.left + 1, inner.top + 1, b.left - 1, inner.bottom - 1};
        const bool highlight = s->focused && !s->dropped;
        if (IsOwnerDraw(h)) {
            DrawItemStruct di;
            di.ctlType = ODT_COMBOBOX;
            di.ctlId = static_cast<uint32_t>(ControlId(h));
            di.itemId = static_cast<uint32_t>(s->selection);
            di.itemAction = ODA_DRAWENTIRE;
            di.itemState = ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) |
                           (enabled ? 0 : ODS_DISABLED);
            di.hwndItem = h;
            di.hdc = dc;
            di.rcItem = item;
            di.itemData = s->selection >= 0
                              ? static_cast<uintptr_t>(SendMessage(
                                    s->list, LB_GETITEMDATA, static_cast<WParam>(s->selection), 0))
                              : 0;
            SendMessage(NotifyTarget(h), WM_DRAWITEM, di.ctlId, reinterpret_cast<LParam>(&di));
        } else {
            if (highlight) dc->FillSolid(item, GetSysColor(COLOR_HIGHLIGHT));
            dc->SelectFont(s->font.font);
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor);
            Rect tr{item.left + 1, item.top, item.right, item.bottom};
            if (s->selection >= 0) {
                dc->DrawText(ItemText(s, s->selection), tr,
                             DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            if (highlight) theme::FocusRect(*dc, item);
        }
    }
    EndPaint(h, &ps);
}

void Layout(Hwnd h, ComboState* s) {
    if (!s->edit) return;
    Rect c;
    GetClientRect(h, &c);
    const Rect b = ButtonRect(h);
    MoveWindow(s->edit, c.left + 3, c.top + 3, b.left - c.left - 4, c.Height() - 6, true);
}

void KeyDown(Hwnd h, ComboState* s, uint32_t vk) {
    const int count = static_cast<int>(SendMessage(s->list, LB_GETCOUNT, 0, 0));
    if (vk == VK_F4 || ((vk == VK_DOWN || vk == VK_UP) && GetKeyState(VK_MENU) < 0)) {
        if (s->dropped) {
            CloseUp(h, s, false);
        } else {
            DropDown(h, s);
        }
        return;
    }
    if (s->dropped) {
        if (vk == VK_RETURN) {
            // Enter picks the highlighted row as a click would, with the same notifications.
            const int i = static_cast<int>(SendMessage(s->list, LB_GETCURSEL, 0, 0));
            SetSelection(h, s, i);
            NotifyCommand(h, CBN_SELENDOK);
            CloseUp(h, s, true);
            if (s->selection != s->openedWith) NotifyCommand(h, CBN_SELCHANGE);
            return;
        }
        if (vk == VK_ESCAPE) {
            SetSelection(h, s, s->openedWith);
            CloseUp(h, s, false);
            return;
        }
        // Keys move the open list's highlight; the list reports it as a hover.
        SendMessage(s->list, WM_KEYDOWN, vk, 0);
        return;
    }
    if (count == 0) return;
    int to = s->selection;
    switch (vk) {
        case VK_UP:
        case VK_LEFT:
            to = std::max(0, to - 1);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            to = to < 0 ? 0 : std::min(count - 1, to + 1);
            break;
        case VK_HOME:
            to = 0;
            break;
        case VK_END:
            to = count - 1;
            break;
        case VK_PRIOR:
            to = std::max(0, to - 8);
            break;
        case VK_NEXT:
            to = std::min(count - 1, std::max(0, to) + 8);
            break;
        default:
            return;
    }
    UserSelect(h, s, to);
}

WndProc gEditProc = nullptr;

// The edit of a drop-down combo hands the list keys to its combo: arrows step the selection,
// F4 and Alt+arrows open the list, and Enter and Esc close an open one.
LResult ComboEditProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    const Hwnd combo = GetParent(h);
    if (msg == WM_KEYDOWN) {
        ComboState* s = StateOf<ComboState>(combo);
        const bool listKey = wp == VK_UP || wp == VK_DOWN || wp == VK_F4 || wp == VK_PRIOR ||
                             wp == VK_NEXT ||
                             (s && s->dropped && (wp == VK_RETURN || wp == VK_ESCAPE));
        if (s && listKey) {
            KeyDown(combo, s, static_cast<uint32_t>(wp));
            return 0;
        }
    }
    if (msg == WM_KILLFOCUS) {
        // Focus leaving the edit leaves the combo unless it goes to the combo itself.
        const LResult r = CallWindowProc(gEditProc, h, msg, wp, lp);
        const Hwnd to = HwndFromParam(static_cast<LParam>(wp));
        if (to != combo && IsWindow(combo)) SendMessage(combo, WM_KILLFOCUS, wp, 0);
        return r;
    }
    return CallWindowProc(gEditProc, h, msg, wp, lp);
}

uint32_t ListMessageOf(uint32_t comboMsg) {
    switch (comboMsg) {
        case CB_ADDSTRING:
            return LB_ADDSTRING;
        case CB_INSERTSTRING:
            return LB_INSERTSTRING;
        case CB_GETLBTEXT:
            return LB_GETTEXT;
        case CB_GETLBTEXTLEN:
            return LB_GETTEXTLEN;
        case CB_GETITEMDATA:
            return LB_GETITEMDATA;
        case CB_SETITEMDATA:
            return LB_SETITEMDATA;
        case CB_FINDSTRING:
            return LB_FINDSTRING;
        case CB_FINDSTRINGEXACT:
            return LB_FINDSTRINGEXACT;
        default:
            return 0;
    }
}

LResult Forward(ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    return SendMessage(s->list, msg, wp, lp);
}

// Scroll bar styles belong to the drop-down list, not to the face.
LResult OnNcCreate(Hwnd h, ComboState*, uint32_t, WParam, LParam) {
    SetWindowLong(h, GWL_STYLE, int32_t(StyleOf(h) & ~(WS_VSCROLL | WS_HSCROLL)));
    return 0;
}

// The list and the edit draw with the face's font.
LResult OnFont(Hwnd h, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = HandleFont(h, s, msg, wp, lp);
    if (s->list) SendMessage(s->list, msg, wp, lp);
    if (s->edit) SendMessage(s->edit, msg, wp, lp);
    return r;
}

LResult OnCreate(Hwnd h, ComboState* s, uint32_t, WParam, LParam lp) {
    const auto* cs = reinterpret_cast<const CreateStruct*>(lp);
    s->dropHeight = cs->cy;
    const uint32_t style = cs->style;
    uint32_t listStyle = WS_POPUP | WS_BORDER | WS_VSCROLL;
    if (style & CBS_OWNERDRAWFIXED) listStyle |= LBS_OWNERDRAWFIXED;
    if (style & CBS_HASSTRINGS) listStyle |= LBS_HASSTRINGS;
    if (style & CBS_SORT) listStyle |= LBS_SORT;
    if (style & CBS_DISABLENOSCROLL) listStyle |= LBS_DISABLENOSCROLL;
    const Hwnd root = GetAncestor(h, GA_ROOT);
    s->list = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kComboListClass, "", listStyle, 0, 0,
                             10, 10, root, 0, nullptr, nullptr);
    if (!s->list) return -1;
    SendMessage(s->list, kLbAttachCombo, 0, HwndToParam(h));
    if (HasEdit(h)) {
        s->edit = CreateWindowEx(0, kEditClass, "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                 10, 10, h, kEditId, nullptr, nullptr);
        if (s->edit) {
            gEditProc = reinterpret_cast<WndProc>(GetWindowLongPtr(s->edit, GWL_WNDPROC));
            SetWindowLongPtr(s->edit, GWL_WNDPROC, reinterpret_cast<intptr_t>(&ComboEditProc));
        }
    }
    // The window is the face; the list keeps the rest of the height for itself.
    SetWindowPos(h, {}, 0, 0, cs->cx, FaceHeight(s), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(h, s);
    return 0;
}

LResult OnDestroy(Hwnd, ComboState* s, uint32_t, WParam, LParam) {
    if (s->list) DestroyWindow(s->list);
    s->list = {};
    return 0;
}

LResult OnSize(Hwnd h, ComboState* s, uint32_t, WParam, LParam) {
    Layout(h, s);
    InvalidateRect(h, nullptr, false);
    return 0;
}

LResult OnPaint(Hwnd h, ComboState* s, uint32_t, WParam, LParam) {
    PaintFace(h, s);
    return 0;
}

LResult OnEnable(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    if (s->edit) EnableWindow(s->edit, wp != 0);
    if (!wp) CloseUp(h, s, false);
    InvalidateRect(h, nullptr, false);
    return 0;
}

LResult OnSetFocus(Hwnd h, ComboState* s, uint32_t, WParam, LParam) {
    if (s->edit) {
        SetFocus(s->edit);
        return 0;
    }
    s->focused = true;
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, CBN_SETFOCUS);
    return 0;
}

LResult OnKillFocus(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    const Hwnd to = HwndFromParam(static_cast<LParam>(wp));
    if (to && (to == s->edit || to == s->list)) return 0;
    s->focused = false;
    CloseUp(h, s, false);
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, CBN_KILLFOCUS);
    return 0;
}

LResult OnButtonDown(Hwnd h, ComboState* s, uint32_t, WParam, LParam lp) {
    // Nothing focused and no edit: both handles are null, yet the combo must take the focus.
    if (GetFocus() != h && (!s->edit || GetFocus() != s->edit)) SetFocus(h);
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    if (s->edit && !ButtonRect(h).Contains(p.x, p.y)) return 0;
    if (s->dropped) {
        CloseUp(h, s, false);
    } else {
        DropDown(h, s);
    }
    return 0;
}

LResult OnKeyDown(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    KeyDown(h, s, static_cast<uint32_t>(wp));
    return 0;
}

LResult OnChar(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    if (!s->edit && wp >= 0x20) {
        const char text[2] = {static_cast<char>(wp), 0};
        const int i =
            static_cast<int>(SendMessage(s->list, LB_FINDSTRING, static_cast<WParam>(s->selection),
                                         reinterpret_cast<LParam>(text)));
        if (i >= 0) UserSelect(h, s, i);
    }
    return 0;
}

LResult OnMouseWheel(Hwnd h, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    if (!s->dropped) {
        const int steps = WheelRows(wp, 1);
        const int count = static_cast<int>(SendMessage(s->list, LB_GETCOUNT, 0, 0));
        if (count > 0 && steps != 0) {
            UserSelect(h, s, std::clamp(std::max(0, s->selection) - steps, 0, count - 1));
        }
    } else {
        SendMessage(s->list, msg, wp, lp);
    }
    return 0;
}

LResult OnEditCommand(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam lp) {
    if (s->edit && HwndFromParam(lp) == s->edit) {
        const int code = HiWord(wp);
        if (code == EN_CHANGE) NotifyCommand(h, CBN_EDITCHANGE);
        if (code == EN_UPDATE) NotifyCommand(h, CBN_EDITUPDATE);
        return 0;
    }
    return 0;
}

LResult OnEditColors(Hwnd h, ComboState*, uint32_t msg, WParam wp, LParam lp) {
    // The edit takes its colours from the combo's parent.
    return SendMessage(NotifyTarget(h), msg, wp, lp);
}

LResult OnSetText(Hwnd h, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    if (s->edit) return SendMessage(s->edit, msg, wp, lp);
    {
        const char* text = reinterpret_cast<const char*>(lp);
        const int i = static_cast<int>(SendMessage(
            s->list, LB_FINDSTRINGEXACT, static_cast<WParam>(-1), reinterpret_cast<LParam>(text)));
        if (i < 0) return CB_ERR;
        SetSelection(h, s, i);
        return 1;
    }
}

LResult OnGetTextLength(Hwnd, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    if (s->edit) return SendMessage(s->edit, msg, wp, lp);
    return LResult(s->selection >= 0 ? ItemText(s, s->selection).size() : 0);
}

LResult OnGetText(Hwnd, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    if (s->edit) return SendMessage(s->edit, msg, wp, lp);
    return LResult(CopyOut(s->selection >= 0 ? ItemText(s, s->selection) : std::string(),
                           reinterpret_cast<char*>(lp), wp));
}

LResult OnListHover(Hwnd, ComboState*, uint32_t, WParam, LParam) {
    return 0;
}

LResult OnListPicked(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    SetSelection(h, s, static_cast<int>(wp));
    NotifyCommand(h, CBN_SELENDOK);
    CloseUp(h, s, true);
    if (s->selection != s->openedWith) NotifyCommand(h, CBN_SELCHANGE);
    return 0;
}

LResult OnListCancel(Hwnd h, ComboState* s, uint32_t, WParam, LParam) {
    // The press that closes the list on the face itself must not open it again.
    CloseUp(h, s, false);
    return 0;
}

LResult OnDeleteString(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam lp) {
    const LResult r = Forward(s, LB_DELETESTRING, wp, lp);
    if (r != LB_ERR) {
        const int i = static_cast<int>(wp);
        if (i == s->selection) {
            s->selection = -1;
        } else if (i < s->selection) {
            --s->selection;
        }
        InvalidateRect(h, nullptr, false);
    }
    return r;
}

// The list answers these as its LB_ twins.
LResult ForwardToList(Hwnd, ComboState* s, uint32_t msg, WParam wp, LParam lp) {
    return Forward(s, ListMessageOf(msg), wp, lp);
}

LResult OnResetContent(Hwnd h, ComboState* s, uint32_t, WParam, LParam) {
    Forward(s, LB_RESETCONTENT, 0, 0);
    s->selection = -1;
    ShowInEdit(s);
    InvalidateRect(h, nullptr, false);
    return CB_OKAY;
}

LResult OnGetCount(Hwnd, ComboState* s, uint32_t, WParam, LParam) {
    return Forward(s, LB_GETCOUNT, 0, 0);
}

LResult OnGetCurSel(Hwnd, ComboState* s, uint32_t, WParam, LParam) {
    return s->selection;
}

LResult OnSetCurSel(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    const int i = static_cast<int>(static_cast<int32_t>(wp));
    SetSelection(h, s, i);
    return s->selection == i ? i : CB_ERR;
}

LResult OnSelectString(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam lp) {
    const int i = static_cast<int>(Forward(s, LB_FINDSTRING, wp, lp));
    if (i < 0) return CB_ERR;
    SetSelection(h, s, i);
    return i;
}

LResult OnShowDropDown(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    if (wp) {
        DropDown(h, s);
    } else {
        CloseUp(h, s, false);
    }
    return 1;
}

LResult OnGetDroppedState(Hwnd, ComboState* s, uint32_t, WParam, LParam) {
    return s->dropped ? 1 : 0;
}

LResult OnSetMinVisible(Hwnd, ComboState* s, uint32_t, WParam wp, LParam) {
    if (static_cast<int32_t>(wp) <= 0) return 0;
    s->minVisible = static_cast<int>(wp);
    return 1;
}

LResult OnGetMinVisible(Hwnd, ComboState* s, uint32_t, WParam, LParam) {
    return s->minVisible;
}

LResult OnGetDroppedControlRect(Hwnd h, ComboState* s, uint32_t, WParam, LParam lp) {
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r) return CB_ERR;
    GetWindowRect(h, r);
    r->bottom = r->top + std::max(s->dropHeight, r->Height());
    return 1;
}

LResult OnSetItemHeight(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam lp) {
    const auto height = static_cast<int>(static_cast<int32_t>(lp));
    if (height <= 0 || height > 255) return CB_ERR;
    if (static_cast<int32_t>(wp) == -1) {
        SetWindowPos(
            h, {}, 0, 0,
            [&] {
                Rect r;
                GetWindowRect(h, &r);
                return r.Width();
            }(),
            height + 6, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        Forward(s, LB_SETITEMHEIGHT, 0, lp);
    }
    return 0;
}

LResult OnGetItemHeight(Hwnd h, ComboState* s, uint32_t, WParam wp, LParam) {
    if (static_cast<int32_t>(wp) == -1) {
        Rect c;
        GetClientRect(h, &c);
        return c.Height() - 6;
    }
    return ItemHeight(s);
}

LResult OnLimitText(Hwnd, ComboState* s, uint32_t, WParam wp, LParam) {
    if (!s->edit) return CB_ERR;
    SendMessage(s->edit, EM_LIMITTEXT, wp, 0);
    return 1;
}

LResult OnGetEditSel(Hwnd, ComboState* s, uint32_t, WParam wp, LParam lp) {
    if (!s->edit) return CB_ERR;
    return SendMessage(s->edit, EM_GETSEL, wp, lp);
}

LResult OnSetEditSel(Hwnd, ComboState* s, uint32_t, WParam, LParam lp) {
    if (!s->edit) return CB_ERR;
    SendMessage(s->edit, EM_SETSEL, static_cast<WParam>(static_cast<int16_t>(LoWord(lp))),
                static_cast<int16_t>(HiWord(static_cast<uintptr_t>(lp))));
    return 1;
}

LResult ComboProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<ComboState> kMessages{
        {WM_NCCREATE, OnNcCreate},
        {WM_SETFONT, OnFont},
        {WM_GETFONT, OnFont},
        {WM_CREATE, OnCreate},
        {WM_DESTROY, OnDestroy},
        {WM_SIZE, OnSize},
        {WM_GETDLGCODE, WantArrowsAndChars<ComboState>},
        {WM_PAINT, OnPaint},
        {WM_ENABLE, OnEnable},
        {WM_SETFOCUS, OnSetFocus},
        {WM_KILLFOCUS, OnKillFocus},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnButtonDown},
        {WM_KEYDOWN, OnKeyDown},
        {WM_CHAR, OnChar},
        {WM_MOUSEWHEEL, OnMouseWheel},
        {WM_COMMAND, OnEditCommand},
        {WM_CTLCOLOREDIT, OnEditColors},
        {WM_CTLCOLORSTATIC, OnEditColors},
        {WM_SETTEXT, OnSetText},
        {WM_GETTEXTLENGTH, OnGetTextLength},
        {WM_GETTEXT, OnGetText},
        {kCbListHover, OnListHover},
        {kCbListPicked, OnListPicked},
        {kCbListCancel, OnListCancel},
        {CB_ADDSTRING, ForwardToList},
        {CB_INSERTSTRING, ForwardToList},
        {CB_DELETESTRING, OnDeleteString},
        {CB_RESETCONTENT, OnResetContent},
        {CB_GETCOUNT, OnGetCount},
        {CB_GETCURSEL, OnGetCurSel},
        {CB_SETCURSEL, OnSetCurSel},
        {CB_GETLBTEXT, ForwardToList},
        {CB_GETLBTEXTLEN, ForwardToList},
        {CB_GETITEMDATA, ForwardToList},
        {CB_SETITEMDATA, ForwardToList},
        {CB_FINDSTRING, ForwardToList},
        {CB_FINDSTRINGEXACT, ForwardToList},
        {CB_SELECTSTRING, OnSelectString},
        {CB_SHOWDROPDOWN, OnShowDropDown},
        {CB_GETDROPPEDSTATE, OnGetDroppedState},
        {CB_SETMINVISIBLE, OnSetMinVisible},
        {CB_GETMINVISIBLE, OnGetMinVisible},
        {CB_GETDROPPEDCONTROLRECT, OnGetDroppedControlRect},
        {CB_SETITEMHEIGHT, OnSetItemHeight},
        {CB_GETITEMHEIGHT, OnGetItemHeight},
        {CB_LIMITTEXT, OnLimitText},
        {CB_GETEDITSEL, OnGetEditSel},
        {CB_SETEDITSEL, OnSetEditSel},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterComboBoxClass() {
    return RegisterControlClass(kComboBoxClass, ComboProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
