// BUTTON: push buttons, check boxes, radio buttons, group boxes and owner-drawn buttons.

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kBoxSize = 13;
constexpr int kBoxGap = 4;

struct ButtonState {
    uint32_t check = BST_UNCHECKED;
    bool pushed = false;  // drawn pressed
    bool focused = false;
    bool tracking = false;  // the mouse button went down on us and is held
    bool spaceDown = false;
    ControlFont font;
};

uint32_t TypeOf(Hwnd h) {
    return StyleOf(h) & BS_TYPEMASK;
}
bool IsCheckType(uint32_t t) {
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}
bool IsRadioType(uint32_t t) {
    return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}
bool IsPushType(uint32_t t) {
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_USERBUTTON;
}

void Redraw(Hwnd h) {
    InvalidateRect(h, nullptr, false);
}

void SetCheck(Hwnd h, ButtonState* s, uint32_t check) {
    const uint32_t t = TypeOf(h);
    if (!IsCheckType(t) && !IsRadioType(t)) return;
    if (t != BS_3STATE && t != BS_AUTO3STATE && check > BST_CHECKED) check = BST_CHECKED;
    if (s->check == check) return;
    s->check = check;
    if (IsRadioType(t)) {
        // The checked radio button of a group is the one Tab stops at.
        const uint32_t style = StyleOf(h);
        SetWindowLong(h, GWL_STYLE, int32_t(check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP)));
    }
    Redraw(h);
}

// The radio buttons of h's group: from the WS_GROUP sibling at or before h up to the next one.
void UncheckGroupSiblings(Hwnd h) {
    const Hwnd parent = GetParent(h);
    if (!parent) return;
    std::vector<Hwnd> kids;
    for (Hwnd c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
    // Children are kept top first, which is creation order: the first created lies on top.
    std::size_t at = 0;
    while (at < kids.size() && kids[at] != h) ++at;
    if (at == kids.size()) return;
    std::size_t first = at;
    while (first > 0 && !(StyleOf(kids[first]) & WS_GROUP)) --first;
    for (std::size_t i = first; i < kids.size(); ++i) {
        if (i > first && (StyleOf(kids[i]) & WS_GROUP)) break;
        if (kids[i] == h) continue;
        if (!EqualsNoCase(GetClassName(kids[i]), kButtonClass)) continue;
        if (TypeOf(kids[i]) == BS_AUTORADIOBUTTON)
            SendMessage(kids[i], BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Click(Hwnd h, ButtonState* s) {
    switch (TypeOf(h)) {
        case BS_AUTOCHECKBOX:
            SetCheck(h, s, s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            break;
        case BS_AUTO3STATE:
            SetCheck(h, s, (s->check + 1) % 3);
            break;
        case BS_AUTORADIOBUTTON:
            UncheckGroupSiblings(h);
            SetCheck(h, s, BST_CHECKED);
            break;
        default:
            break;
    }
    NotifyCommand(h, BN_CLICKED);
}

void SetPushed(Hwnd h, ButtonState* s, bool pushed) {
    if (s->pushed == pushed) return;
    s->pushed = pushed;
    Redraw(h);
}

void PaintOwnerDraw(Hwnd h, ButtonState* s, Canvas& dc, const Rect& client) {
    DrawItemStruct di;
    di.ctlType = ODT_BUTTON;
    di.ctlId = static_cast<uint32_t>(ControlId(h));
    di.itemAction = ODA_DRAWENTIRE;
    if (s->pushed) di.itemState |= ODS_SELECTED;
    if (s->focused) di.itemState |= ODS_FOCUS;
    if (!IsWindowEnabled(h)) di.itemState |= ODS_DISABLED;
    if (s->check == BST_CHECKED) di.itemState |= ODS_CHECKED;
    di.hwndItem = h;
    di.hdc = &dc;
    di.rcItem = client;
    const Hwnd parent = NotifyTarget(h);
    if (parent) {
        SendMessage(parent, WM_DRAWITEM, static_cast<WParam>(ControlId(h)),
                    reinterpret_cast<LParam>(&di));
    }
}

uint32_t TextFormat(uint32_t style, uint32_t defaultAlign) {
    uint32_t f = 0;
    switch (style & BS_CENTER) {
        case BS_LEFT:
            f |= DT_LEFT;
            break;
        case BS_RIGHT:
            f |= DT_RIGHT;
            break;
        case BS_CENTER:
            f |= DT_CENTER;
            break;
        default:
            f |= defaultAlign;
    }
    if (style & BS_MULTILINE) {
        f |= DT_WORDBREAK;
    } else {
        f |= DT_SINGLELINE | DT_VCENTER;
    }
    return f;
}

void DrawLabel(Hwnd h, Canvas& dc, const std::string& text, Rect r, uint32_t format, bool focused) {
    if (text.empty()) return;
    dc.SetBkMode(TRANSPARENT);
    if (!IsWindowEnabled(h)) {
        theme::DisabledText(dc, text, r, format);
    } else {
        dc.DrawText(text, r, format);
    }
    if (focused) {
        Rect calc = r;
        dc.DrawText(text, calc, (format & ~(DT_VCENTER | DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
        const int w = calc.Width();
        const int hgt = calc.Height();
        int left = r.left;
        if (format & DT_CENTER) left = r.left + (r.Width() - w) / 2;
        if (format & DT_RIGHT) left = r.right - w;
        int top = r.top;
        if (format & DT_VCENTER) top = r.top + (r.Height() - hgt) / 2;
        theme::FocusRect(dc, Rect{left - 1, top, left + w + 1, top + hgt}.Intersect(
                                 {r.left - 1, r.top, r.right + 1, r.bottom}));
    }
}

void Paint(Hwnd h, ButtonState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect client;
    GetClientRect(h, &client);
    const uint32_t style = StyleOf(h);
    const uint32_t type = style & BS_TYPEMASK;
    dc->SelectFont(s->font.font);
    const std::string text = GetWindowText(h);

    if (type == BS_OWNERDRAW) {
        PaintOwnerDraw(h, s, *dc, client);
        EndPaint(h, &ps);
        return;
    }
    const bool pushLike = (style & BS_PUSHLIKE) && (IsCheckType(type) || IsRadioType(type));
    if (IsPushType(type) || pushLike) {
        const Brush* bg = ParentColors(h, dc, WM_CTLCOLORBTN);
        if (bg) dc->FillRect(client, *bg);
        const bool down = s->pushed || (pushLike && s->check != BST_UNCHECKED);
        const bool isDefault = type == BS_DEFPUSHBUTTON;
        theme::PushButtonFace(*dc, client, down, isDefault);
        dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        Rect tr{client.left + 4, client.top + 3, client.right - 4, client.bottom - 3};
        if (down) tr = tr.Offset(1, 1);
        DrawLabel(h, *dc, text, tr, TextFormat(style, DT_CENTER), false);
        if (s->focused) {
            const int inset = isDefault ? 4 : 3;
            theme::FocusRect(*dc, {client.left + inset, client.top + inset, client.right - inset,
                                   client.bottom - inset});
        }
        EndPaint(h, &ps);
        return;
    }

    const Brush* bg = ParentColors(h, dc, WM_CTLCOLORSTATIC);
    if (bg) dc->FillRect(client, *bg);
    if (type == BS_GROUPBOX) {
        const Size ext = dc->GetTextExtent(text.empty() ? std::string_view("A") : text);
        const int lineY = client.top + ext.cy / 2;
        Edge3d(*dc, {client.left, lineY, client.right, client.bottom}, EDGE_ETCHED);
        if (!text.empty()) {
            Rect tr{client.left + 8, client.top, client.left + 8, client.top + ext.cy};
            dc->DrawText(text, tr, DT_SINGLELINE | DT_CALCRECT);
            tr = {tr.left - 2, tr.top, tr.right + 2, tr.bottom};
            if (bg) {
                dc->FillRect(tr, *bg);
            } else {
                dc->FillSolid(tr, GetSysColor(COLOR_BTNFACE));
            }
            DrawLabel(h, *dc, text, tr, DT_SINGLELINE | DT_CENTER, false);
        }
        EndPaint(h, &ps);
        return;
    }

    // Check boxes and radio buttons: the box on the left (or right with BS_LEFTTEXT).
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int boxY = client.top + (client.Height() - kBoxSize) / 2;
    const int boxX = leftText ? client.right - kBoxSize : client.left;
    const bool disabled = !IsWindowEnabled(h);
    if (IsRadioType(type)) {
        theme::RadioGlyph(*dc, {boxX, boxY, boxX + kBoxSize, boxY + kBoxSize},
                          s->check == BST_CHECKED, s->pushed, disabled);
    } else {
        theme::CheckGlyph(*dc, {boxX, boxY, boxX + kBoxSize, boxY + kBoxSize}, int(s->check),
                          s->pushed, disabled);
    }
    Rect tr = leftText ? Rect{client.left, client.top, boxX - kBoxGap, client.bottom}
                       : Rect{boxX + kBoxSize + kBoxGap, client.top, client.right, client.bottom};
    DrawLabel(h, *dc, text, tr, TextFormat(style, DT_LEFT), s->focused);
    EndPaint(h, &ps);
}

LResult DialogCode(uint32_t type) {
    switch (type) {
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_USERBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
    }
}

LResult OnNcHitTest(Hwnd h, ButtonState*, uint32_t msg, WParam wp, LParam lp) {
    const uint32_t type = TypeOf(h);
    if (type == BS_GROUPBOX) return HTTRANSPARENT;
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnGetDlgCode(Hwnd h, ButtonState*, uint32_t, WParam, LParam) {
    const uint32_t type = TypeOf(h);
    return DialogCode(type);
}

LResult OnPaint(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnSetText(Hwnd h, ButtonState*, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = DefWindowProc(h, msg, wp, lp);
    Redraw(h);
    return r;
}

LResult OnEnable(Hwnd h, ButtonState*, uint32_t, WParam, LParam) {
    Redraw(h);
    return 0;
}

LResult OnSetFocus(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    s->focused = true;
    Redraw(h);
    if (StyleOf(h) & BS_NOTIFY) NotifyCommand(h, BN_SETFOCUS);
    return 0;
}

LResult OnKillFocus(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    s->focused = false;
    if (s->spaceDown || s->tracking) {
        s->spaceDown = false;
        s->tracking = false;
        if (GetCapture() == h) ReleaseCapture();
        s->pushed = false;
    }
    Redraw(h);
    if (StyleOf(h) & BS_NOTIFY) NotifyCommand(h, BN_KILLFOCUS);
    return 0;
}

LResult OnButtonDown(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    const uint32_t type = TypeOf(h);
    if (type == BS_GROUPBOX) return 0;
    if (GetFocus() != h) SetFocus(h);
    SetCapture(h);
    s->tracking = true;
    SetPushed(h, s, true);
    return 0;
}

LResult OnMouseMove(Hwnd h, ButtonState* s, uint32_t, WParam, LParam lp) {
    if (s->tracking) {
        Rect client;
        GetClientRect(h, &client);
        SetPushed(h, s, client.Contains(GetXLParam(lp), GetYLParam(lp)));
    }
    return 0;
}

LResult OnButtonUp(Hwnd h, ButtonState* s, uint32_t, WParam, LParam lp) {
    if (!s->tracking) return 0;
    s->tracking = false;
    Rect client;
    GetClientRect(h, &client);
    const bool inside = client.Contains(GetXLParam(lp), GetYLParam(lp));
    SetPushed(h, s, false);
    if (GetCapture() == h) ReleaseCapture();
    if (inside) Click(h, s);
    return 0;
}

LResult OnCaptureChanged(Hwnd h, ButtonState* s, uint32_t, WParam, LParam lp) {
    if (s->tracking && HwndFromParam(lp) != h) {
        s->tracking = false;
        SetPushed(h, s, false);
    }
    return 0;
}

LResult OnKeyDown(Hwnd h, ButtonState* s, uint32_t msg, WParam wp, LParam lp) {
    const uint32_t type = TypeOf(h);
    if (wp == VK_SPACE && type != BS_GROUPBOX && !s->spaceDown) {
        s->spaceDown = true;
        SetPushed(h, s, true);
        return 0;
    }
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnKeyUp(Hwnd h, ButtonState* s, uint32_t msg, WParam wp, LParam lp) {
    if (wp == VK_SPACE && s->spaceDown) {
        s->spaceDown = false;
        SetPushed(h, s, false);
        Click(h, s);
        return 0;
    }
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnClick(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    const uint32_t type = TypeOf(h);
    if (type == BS_GROUPBOX || !IsWindowEnabled(h)) return 0;
    Click(h, s);
    return 0;
}

LResult OnGetCheck(Hwnd h, ButtonState* s, uint32_t, WParam, LParam) {
    const uint32_t type = TypeOf(h);
    return (IsCheckType(type) || IsRadioType(type)) ? LResult(s->check) : 0;
}

LResult OnSetCheck(Hwnd h, ButtonState* s, uint32_t, WParam wp, LParam) {
    SetCheck(h, s, static_cast<uint32_t>(wp));
    return 0;
}

LResult OnGetState(Hwnd, ButtonState* s, uint32_t, WParam, LParam) {
    return LResult(s->check | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0));
}

LResult OnSetState(Hwnd h, ButtonState* s, uint32_t, WParam wp, LParam) {
    SetPushed(h, s, wp != 0);
    return 0;
}

LResult OnSetStyle(Hwnd h, ButtonState*, uint32_t, WParam wp, LParam lp) {
    const uint32_t style = StyleOf(h);
    SetWindowLong(h, GWL_STYLE,
                  int32_t((style & 0xFFFF0000u) | (static_cast<uint32_t>(wp) & 0xFFFF)));
    if (lp) Redraw(h);
    return 0;
}

LResult ButtonProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<ButtonState> kMessages{
        {WM_NCHITTEST, OnNcHitTest},
        {WM_GETDLGCODE, OnGetDlgCode},
        {WM_PAINT, OnPaint},
        {WM_SETTEXT, OnSetText},
        {WM_ENABLE, OnEnable},
        {WM_SETFOCUS, OnSetFocus},
        {WM_KILLFOCUS, OnKillFocus},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnButtonDown},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_LBUTTONUP, OnButtonUp},
        {WM_CAPTURECHANGED, OnCaptureChanged},
        {WM_KEYDOWN, OnKeyDown},
        {WM_KEYUP, OnKeyUp},
        {BM_CLICK, OnClick},
        {BM_GETCHECK, OnGetCheck},
        {BM_SETCHECK, OnSetCheck},
        {BM_GETSTATE, OnGetState},
        {BM_SETSTATE, OnSetState},
        {BM_SETSTYLE, OnSetStyle},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterButtonClass() {
    return RegisterControlClass(kButtonClass, ButtonProc, CS_HREDRAW | CS_VREDRAW | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
