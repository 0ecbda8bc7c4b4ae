// msctls_updown32: two arrow buttons that step a position within a range, and write it into a
// buddy window (usually an edit) with UDS_SETBUDDYINT.

#include <algorithm>
#include <cstdlib>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr uintptr_t kRepeatTimer = 1;
constexpr uint32_t kFirstDelayMs = 400;
constexpr uint32_t kRepeatMs = 100;

struct UpDownState {
    int lower = 100;  // the system's default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    int base = 10;
    Hwnd buddy{};
    int pressed = 0;  // +1 the up (or right) arrow held, -1 the down (or left) one
    bool repeating = false;
};

bool Horizontal(Hwnd h) {
    return (StyleOf(h) & UDS_HORZ) != 0;
}

std::string FormatPos(Hwnd h, const UpDownState* s) {
    if (s->base == 16) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%04X", unsigned(s->pos) & 0xFFFF);
        return buf;
    }
    const std::string digits = std::to_string(std::abs(static_cast<long long>(s->pos)));
    const bool groups = !(StyleOf(h) & UDS_NOTHOUSANDS);
    std::string out = s->pos < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (groups && i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// The buddy's text as a number; false when it is not one.
bool ParseBuddy(const UpDownState* s, int* out) {
    std::string text = GetWindowText(s->buddy);
    std::erase(text, ',');
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, s->base == 16 ? 16 : 10);
    if (end == text.c_str() || *end != '\0') return false;
    *out = int(v);
    return true;
}

void WriteBuddy(Hwnd h, const UpDownState* s) {
    if (s->buddy && (StyleOf(h) & UDS_SETBUDDYINT)) SetWindowText(s->buddy, FormatPos(h, s));
}

int ClampPos(const UpDownState* s, int v) {
    return std::clamp(v, std::min(s->lower, s->upper), std::max(s->lower, s->upper));
}

// Places the control at the buddy's side, taking its width from the buddy.
void AlignToBuddy(Hwnd h, UpDownState* s) {
    const uint32_t style = StyleOf(h);
    if (!s->buddy || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
    Rect br;
    GetWindowRect(s->buddy, &br);
    Point tl{br.left, br.top};
    ScreenToClient(GetParent(h), &tl);
    Rect mine;
    GetWindowRect(h, &mine);
    const int w = mine.Width();
    if (style & UDS_ALIGNRIGHT) {
        MoveWindow(s->buddy, tl.x, tl.y, std::max(0, br.Width() - w), br.Height(), true);
        MoveWindow(h, tl.x + br.Width() - w, tl.y, w, br.Height(), true);
    } else {
        MoveWindow(s->buddy, tl.x + w, tl.y, std::max(0, br.Width() - w), br.Height(), true);
        MoveWindow(h, tl.x, tl.y, w, br.Height(), true);
    }
}

// One step of an arrow: UDN_DELTAPOS (the parent may refuse), then the position, the buddy
// and WM_VSCROLL / WM_HSCROLL to the parent.
void Step(Hwnd h, UpDownState* s, int direction) {
    int current = s->pos;
    if (s->buddy && (StyleOf(h) & UDS_SETBUDDYINT)) {
        int v = 0;
        if (ParseBuddy(s, &v)) current = ClampPos(s, v);
    }
    // "Up" moves toward the upper end of the range, whichever way round it lies.
    const int delta = (s->upper >= s->lower ? 1 : -1) * direction;
    NmUpDown nm;
    nm.iPos = current;
    nm.iDelta = delta;
    if (NotifyParent(h, &nm.hdr, UDN_DELTAPOS)) return;
    if (!IsWindow(h)) return;
    int next = current + nm.iDelta;
    const int lo = std::min(s->lower, s->upper);
    const int hi = std::max(s->lower, s->upper);
    if (next < lo || next > hi) {
        if (StyleOf(h) & UDS_WRAP) {
            next = next < lo ? hi : lo;
        } else {
            next = ClampPos(s, next);
        }
    }
    s->pos = next;
    WriteBuddy(h, s);
    const uint32_t scroll = Horizontal(h) ? WM_HSCROLL : WM_VSCROLL;
    SendMessage(GetParent(h), scroll, MakeWParam(int(SB_THUMBPOSITION), s->pos), HwndToParam(h));
    if (IsWindow(h)) {
        SendMessage(GetParent(h), scroll, MakeWParam(int(SB_ENDSCROLL), s->pos), HwndToParam(h));
    }
}

int ArrowAt(Hwnd h, Point p) {
    Rect c;
    GetClientRect(h, &c);
    if (!c.Contains(p.x, p.y)) return 0;
    if (Horizontal(h)) return p.x < c.Width() / 2 ? -1 : 1;
    return p.y < c.Height() / 2 ? 1 : -1;
}

void Paint(Hwnd h, UpDownState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    const bool disabled = !IsWindowEnabled(h);
    if (Horizontal(h)) {
        const int mid = c.Width() / 2;
        theme::ArrowButton(*dc, {c.left, c.top, mid, c.bottom}, theme::ArrowDir::Left,
                           s->pressed < 0, disabled);
        theme::ArrowButton(*dc, {mid, c.top, c.right, c.bottom}, theme::ArrowDir::Right,
                           s->pressed > 0, disabled);
    } else {
        const int mid = c.Height() / 2;
        theme::ArrowButton(*dc, {c.left, c.top, c.right, mid}, theme::ArrowDir::Up, s->pressed > 0,
                           disabled);
        theme::ArrowButton(*dc, {c.left, mid, c.right, c.bottom}, theme::ArrowDir::Down,
                           s->pressed < 0, disabled);
    }
    EndPaint(h, &ps);
}

LResult OnCreate(Hwnd h, UpDownState* s, uint32_t, WParam, LParam) {
    if (StyleOf(h) & UDS_AUTOBUDDY) {
        // The buddy is the window created just before: the sibling below in z-order
        // is newer, so take the one above.
        s->buddy = GetWindow(h, GW_HWNDPREV);
        AlignToBuddy(h, s);
    }
    return 0;
}

LResult OnPaint(Hwnd h, UpDownState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnButtonDown(Hwnd h, UpDownState* s, uint32_t, WParam, LParam lp) {
    const int arrow = ArrowAt(h, {GetXLParam(lp), GetYLParam(lp)});
    if (!arrow) return 0;
    s->pressed = arrow;
    s->repeating = false;
    SetCapture(h);
    InvalidateRect(h, nullptr, false);
    Step(h, s, arrow);
    if (IsWindow(h)) SetTimer(h, kRepeatTimer, kFirstDelayMs);
    return 0;
}

LResult OnTimer(Hwnd h, UpDownState* s, uint32_t, WParam wp, LParam) {
    if (wp == kRepeatTimer && s->pressed) {
        // Held arrows repeat, but only while the pointer stays on them.
        Point p;
        GetCursorPos(&p);
        ScreenToClient(h, &p);
        if (ArrowAt(h, p) == s->pressed) Step(h, s, s->pressed);
        if (IsWindow(h) && !s->repeating) {
            s->repeating = true;
            SetTimer(h, kRepeatTimer, kRepeatMs);
        }
    }
    return 0;
}

LResult OnButtonUp(Hwnd h, UpDownState* s, uint32_t msg, WParam, LParam) {
    if (s->pressed) {
        s->pressed = 0;
        KillTimer(h, kRepeatTimer);
        if (msg == WM_LBUTTONUP && GetCapture() == h) ReleaseCapture();
        InvalidateRect(h, nullptr, false);
    }
    return 0;
}

LResult OnSetRange(Hwnd, UpDownState* s, uint32_t, WParam, LParam lp) {
    s->upper = int16_t(LoWord(uintptr_t(lp)));
    s->lower = int16_t(HiWord(uintptr_t(lp)));
    return 0;
}

LResult OnGetRange(Hwnd, UpDownState* s, uint32_t, WParam, LParam) {
    return MakeLParam(s->upper, s->lower);
}

LResult OnSetRange32(Hwnd, UpDownState* s, uint32_t, WParam wp, LParam lp) {
    s->lower = int(int32_t(wp));
    s->upper = int(int32_t(lp));
    return 0;
}

LResult OnGetRange32(Hwnd, UpDownState* s, uint32_t, WParam wp, LParam lp) {
    if (auto* lo = reinterpret_cast<int*>(wp)) *lo = s->lower;
    if (auto* hi = reinterpret_cast<int*>(lp)) *hi = s->upper;
    return 0;
}

LResult OnSetPos(Hwnd h, UpDownState* s, uint32_t msg, WParam, LParam lp) {
    const int old = s->pos;
    const int v = msg == UDM_SETPOS ? int16_t(LoWord(uintptr_t(lp))) : int(int32_t(lp));
    s->pos = ClampPos(s, v);
    WriteBuddy(h, s);
    return old;
}

LResult OnGetPos(Hwnd h, UpDownState* s, uint32_t msg, WParam, LParam lp) {
    bool error = false;
    if (s->buddy && (StyleOf(h) & UDS_SETBUDDYINT)) {
        int v = 0;
        if (ParseBuddy(s, &v) && v == ClampPos(s, v)) {
            s->pos = v;
        } else {
            error = true;
        }
    }
    if (msg == UDM_GETPOS32) {
        if (auto* e = reinterpret_cast<int*>(lp)) *e = error ? 1 : 0;
        return s->pos;
    }
    return MakeLParam(s->pos, error ? 1 : 0);
}

LResult OnSetBuddy(Hwnd h, UpDownState* s, uint32_t, WParam wp, LParam) {
    const Hwnd old = s->buddy;
    s->buddy = HwndFromParam(LParam(wp));
    AlignToBuddy(h, s);
    return HwndToParam(old);
}

LResult OnGetBuddy(Hwnd, UpDownState* s, uint32_t, WParam, LParam) {
    return HwndToParam(s->buddy);
}

LResult OnSetBase(Hwnd h, UpDownState* s, uint32_t, WParam wp, LParam) {
    if (wp != 10 && wp != 16) return 0;
    const int old = s->base;
    s->base = int(wp);
    WriteBuddy(h, s);
    return old;
}

LResult OnGetBase(Hwnd, UpDownState* s, uint32_t, WParam, LParam) {
    return s->base;
}

LResult UpDownProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<UpDownState> kMessages{
        {WM_CREATE, OnCreate},
        {WM_PAINT, OnPaint},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnButtonDown},
        {WM_TIMER, OnTimer},
        {WM_LBUTTONUP, OnButtonUp},
        {WM_CAPTURECHANGED, OnButtonUp},
        {UDM_SETRANGE, OnSetRange},
        {UDM_GETRANGE, OnGetRange},
        {UDM_SETRANGE32, OnSetRange32},
        {UDM_GETRANGE32, OnGetRange32},
        {UDM_SETPOS, OnSetPos},
        {UDM_SETPOS32, OnSetPos},
        {UDM_GETPOS, OnGetPos},
        {UDM_GETPOS32, OnGetPos},
        {UDM_SETBUDDY, OnSetBuddy},
        {UDM_GETBUDDY, OnGetBuddy},
        {UDM_SETBASE, OnSetBase},
        {UDM_GETBASE, OnGetBase},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterUpDownClass() {
    return RegisterControlClass(kUpDownClass, UpDownProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls

namespace zv::ui {

Hwnd CreateUpDownControl(uint32_t style, int x, int y, int cx, int cy, Hwnd parent, int id,
                         void* instance, Hwnd buddy, int upper, int lower, int pos) {
    if (!RegisterStandardControls()) return {};
    const Hwnd h =
        CreateWindowEx(0, kUpDownClass, "", style, x, y, cx, cy, parent, id, instance, nullptr);
    if (!h) return {};
    SendMessage(h, UDM_SETRANGE, 0, MakeLParam(upper, lower));
    if (buddy) SendMessage(h, UDM_SETBUDDY, static_cast<WParam>(HwndToParam(buddy)), 0);
    SendMessage(h, UDM_SETPOS, 0, MakeLParam(pos, 0));
    return h;
}

}  // namespace zv::ui
