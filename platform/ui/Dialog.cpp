#include "platform/ui/Dialog.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui {

namespace {

constexpr int kStateSlot = 12;  // window data after DWLP_USER: the dialog's own record
constexpr int kExtraBytes = 16;

struct Outcome {
    bool ended = false;
    intptr_t result = 0;
};

struct DialogState {
    DlgProc proc = nullptr;
    Font font;
    int defId = IDOK;
    Hwnd lastFocus{};
    std::shared_ptr<Outcome> outcome;  // set for modal dialogs
    std::vector<Hwnd> order;           // the template's controls, in template order
};

DialogState* StateOf(Hwnd dlg) {
    if (!IsWindow(dlg) || GetClassName(dlg) != kDialogClass) return nullptr;
    return reinterpret_cast<DialogState*>(GetWindowLongPtr(dlg, kStateSlot));
}

// The controls in keyboard order: the template's order (group boxes sit at the bottom of the
// z-order, but keep their place among the groups), then controls made later, in z-order.
std::vector<Hwnd> Children(Hwnd dlg) {
    WindowManager* wm = WindowManager::Current();
    if (!wm) return {};
    const std::vector<Hwnd> z = wm->GetChildren(dlg);
    const DialogState* st = StateOf(dlg);
    if (!st || st->order.empty()) return z;
    std::vector<Hwnd> out;
    for (Hwnd h : st->order) {
        if (std::find(z.begin(), z.end(), h) != z.end()) out.push_back(h);
    }
    for (Hwnd h : z) {
        if (std::find(out.begin(), out.end(), h) == out.end()) out.push_back(h);
    }
    return out;
}

bool ReturnsDirectly(uint32_t msg) {
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_INITDIALOG;
}

LResult DialogCode(Hwnd ctl, const Msg* m = nullptr) {
    if (!IsWindow(ctl)) return 0;
    return SendMessage(ctl, WM_GETDLGCODE, m ? m->wParam : 0, reinterpret_cast<LParam>(m));
}

bool IsPushButton(LResult code) {
    return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// Shown (by its own style: the dialog itself may still be hidden) and enabled.
bool Usable(Hwnd c) {
    const auto style = static_cast<uint32_t>(GetWindowLong(c, GWL_STYLE));
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The look of the default button follows the focus: a focused push button shows as the
// default; elsewhere the DM_GETDEFID button does.
void UpdateDefaultLook(Hwnd dlg, Hwnd focus) {
    const LResult def = SendMessage(dlg, DM_GETDEFID, 0, 0);
    const Hwnd defButton = HiWord(static_cast<uintptr_t>(def)) == DC_HASDEFID
                               ? GetDlgItem(dlg, LoWord(static_cast<uintptr_t>(def)))
                               : Hwnd{};
    const Hwnd shown = IsPushButton(DialogCode(focus)) ? focus : defButton;
    for (Hwnd c : Children(dlg)) {
        const LResult code = DialogCode(c);
        if (!IsPushButton(code)) continue;
        const bool want = c == shown;
        const bool has = (code & DLGC_DEFPUSHBUTTON) != 0;
        if (want != has) SendMessage(c, BM_SETSTYLE, want ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 1);
    }
}

void SetDialogFocus(Hwnd dlg, Hwnd ctl) {
    if (!IsWindow(ctl)) return;
    if (DialogCode(ctl) & DLGC_HASSETSEL) SendMessage(ctl, EM_SETSEL, 0, -1);
    SetFocus(ctl);
    if (DialogState* st = StateOf(dlg)) st->lastFocus = ctl;
    UpdateDefaultLook(dlg, ctl);
}

// The control that owns focus-related keys for dlg: the focus when it lies in the dialog.
Hwnd FocusIn(Hwnd dlg) {
    const Hwnd f = GetFocus();
    return IsChild(dlg, f) ? f : Hwnd{};
}

// The direct child of dlg that holds h.
Hwnd ChildOf(Hwnd dlg, Hwnd h) {
    while (IsWindow(h) && GetParent(h) != dlg) h = GetParent(h);
    return h;
}

void Click(Hwnd dlg, int id, Hwnd button) {
    SendMessage(dlg, WM_COMMAND, MakeWParam(id, BN_CLICKED), HwndToParam(button));
}

char LowerAscii(unsigned char c) {
    return static_cast<char>(std::tolower(c));
}

// The mnemonic of a text: the character after a single '&' ("&&" is a plain ampersand).
int MnemonicOf(const std::string& sjis) {
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (zv::core::IsSjisLeadByte(c)) {
            ++i;
            continue;
        }
        if (c != '&' || i + 1 >= sjis.size()) continue;
        if (sjis[i + 1] == '&') {
            ++i;
            continue;
        }
        return LowerAscii(static_cast<unsigned char>(sjis[i + 1]));
    }
    return -1;
}

bool HandleMnemonic(Hwnd dlg, WParam ch) {
    if (ch >= 0x80 || ch < 0x20) return false;
    const int want = LowerAscii(static_cast<unsigned char>(ch));
    for (Hwnd c : Children(dlg)) {
        if (!Usable(c)) continue;
        const LResult code = DialogCode(c);
        if ((code & DLGC_STATIC) && (GetWindowLong(c, GWL_STYLE) & SS_NOPREFIX)) continue;
        if (MnemonicOf(GetWindowText(c)) != want) continue;
        if (code & DLGC_STATIC) {
            // A label hands the focus on to the control after it.
            const std::vector<Hwnd> kids = Children(dlg);
            bool after = false;
            for (Hwnd k : kids) {
                if (after && Usable(k) && (GetWindowLong(k, GWL_STYLE) & WS_TABSTOP)) {
                    SetDialogFocus(dlg, k);
                    return true;
                }
                if (k == c) after = true;
            }
            return true;
        }
        SetDialogFocus(dlg, c);
        SendMessage(c, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

void EnsureDialogClass() {
    WindowClass existing;
    if (GetClassInfo(kDialogClass, &existing)) return;
    WindowClass wc;
    wc.name = kDialogClass;
    wc.proc = DefDlgProc;
    wc.windowExtraBytes = kExtraBytes;
    wc.cursor = WindowManager::Current()->LoadCursor(nullptr, IDC_ARROW);
    RegisterClass(wc);
}

Hwnd BuildDialog(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc, LParam param,
                 std::shared_ptr<Outcome> outcome) {
    if (!WindowManager::Current()) return {};
    EnsureDialogClass();
    RegisterStandardControls();
    auto state = std::make_unique<DialogState>();
    state->proc = proc;
    state->font = DialogFontFor(t);
    state->outcome = std::move(outcome);
    const Rect client = DialogUnitsToPixels(state->font, t.x, t.y, t.cx, t.cy);
    const uint32_t style = t.style & ~WS_VISIBLE;
    uint32_t ex = t.exStyle;
    if (t.style & DS_MODALFRAME) ex |= WS_EX_DLGMODALFRAME;
    if (t.style & DS_SYSMODAL) ex |= WS_EX_TOPMOST;
    if (t.style & DS_CONTROL) ex |= WS_EX_CONTROLPARENT;
    DialogState* st = state.get();
    const Hwnd dlg = CreateWindowEx(ex, kDialogClass, zv::core::Utf8ToSjis(t.title), style, 0, 0,
                                    client.Width(), client.Height(), owner, 0, instance, st);
    if (!dlg) return {};
    state.release();  // the window owns it now (freed at WM_NCDESTROY)

    // The template gives the client area; the frame goes around it.
    Rect wr, cr;
    GetWindowRect(dlg, &wr);
    GetClientRect(dlg, &cr);
    const int w = client.Width() + wr.Width() - cr.Width();
    const int h = client.Height() + wr.Height() - cr.Height();
    int x = client.left, y = client.top;
    if (!(style & WS_CHILD)) {
        if ((t.style & DS_CENTER) || !owner) {
            const Rect screen = WindowManager::Current()->ScreenRect();
            x = screen.left + (screen.Width() - w) / 2;
            y = screen.top + (screen.Height() - h) / 2;
        } else {
            Point origin{0, 0};
            ClientToScreen(owner, &origin);
            x += origin.x;
            y += origin.y;
        }
    }
    SetWindowPos(dlg, {}, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    for (const DialogItem& item : t.items) {
        const Rect r = DialogUnitsToPixels(st->font, item.x, item.y, item.cx, item.cy);
        const Hwnd c = CreateWindowEx(item.exStyle, item.className, zv::core::Utf8ToSjis(item.text),
                                      item.style | WS_CHILD | WS_VISIBLE, r.left, r.top, r.Width(),
                                      r.Height(), dlg, item.id, instance, nullptr);
        if (!c) {
            DestroyWindow(dlg);
            return {};
        }
        SendMessage(c, WM_SETFONT, reinterpret_cast<WParam>(&st->font), 0);
        st->order.push_back(c);
    }
    // A group box (or a frame) surrounds the controls listed after it: it goes below them all
    // so that it never covers them.
    for (std::size_t i = 0; i < t.items.size() && i < st->order.size(); ++i) {
        const Hwnd c = st->order[i];
        if ((t.items[i].style & BS_TYPEMASK) == BS_GROUPBOX && (DialogCode(c) & DLGC_STATIC))
            SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // The first push button made default by its style is the default; else IDOK.
    for (Hwnd c : Children(dlg)) {
        if (DialogCode(c) & DLGC_DEFPUSHBUTTON) {
            st->defId = GetDlgCtrlID(c);
            break;
        }
    }
    SendMessage(dlg, WM_SETFONT, reinterpret_cast<WParam>(&st->font), 0);
    const Hwnd first = GetNextDlgTabItem(dlg, {}, false);
    const LResult focusFirst =
        SendMessage(dlg, WM_INITDIALOG, static_cast<WParam>(HwndToParam(first)), param);
    if (!IsWindow(dlg)) return {};
    if (focusFirst && first) {
        SetDialogFocus(dlg, first);
    } else if (DialogState* s = StateOf(dlg); s && IsChild(dlg, GetFocus())) {
        s->lastFocus = GetFocus();
    }
    if (t.style & WS_VISIBLE) ShowWindow(dlg, SW_SHOW);
    return dlg;
}

intptr_t RunModal(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc, LParam param) {
    auto outcome = std::make_shared<Outcome>();
    DialogTemplate shown = t;
    shown.style &= ~WS_VISIBLE;
    const Hwnd dlg = BuildDialog(instance, shown, owner, proc, param, outcome);
    if (!dlg) return outcome->ended ? outcome->result : -1;
    const Hwnd ownerRoot = IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : Hwnd{};
    const bool reenable = ownerRoot && IsWindowEnabled(ownerRoot);
    if (reenable) EnableWindow(ownerRoot, false);
    if (!outcome->ended) {
        ShowWindow(dlg, SW_SHOW);
        if (DialogState* st = StateOf(dlg); st && IsWindow(st->lastFocus)) SetFocus(st->lastFocus);
    }
    while (!outcome->ended && IsWindow(dlg)) {
        Msg m;
        if (!GetMessage(&m, {}, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));  // the outer loop ends too
            break;
        }
        if (!IsDialogMessage(dlg, &m)) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
    if (reenable && IsWindow(ownerRoot)) EnableWindow(ownerRoot, true);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    if (IsWindow(ownerRoot)) SetActiveWindow(ownerRoot);
    return outcome->result;
}

}  // namespace

LResult DefDlgProc(Hwnd dlg, uint32_t msg, WParam wp, LParam lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CreateStruct*>(lp);
        if (cs && cs->createParams) {
            auto* st = static_cast<DialogState*>(cs->createParams);
            SetWindowLongPtr(dlg, kStateSlot, reinterpret_cast<intptr_t>(st));
            SetWindowLongPtr(dlg, DWLP_DLGPROC, reinterpret_cast<intptr_t>(st->proc));
        }
    }
    DialogState* st = StateOf(dlg);
    const auto proc =
        reinterpret_cast<DlgProc>(IsWindow(dlg) ? GetWindowLongPtr(dlg, DWLP_DLGPROC) : 0);
    if (proc) {
        SetWindowLongPtr(dlg, DWLP_MSGRESULT, 0);
        const intptr_t handled = proc(dlg, msg, wp, lp);
        if (handled) {
            if (ReturnsDirectly(msg)) return handled;
            return IsWindow(dlg) ? GetWindowLongPtr(dlg, DWLP_MSGRESULT) : 0;
        }
        st = StateOf(dlg);
        if (!IsWindow(dlg)) return 0;
    }
    switch (msg) {
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<Canvas*>(wp);
            if (!dc) return 0;
            const auto* brush = reinterpret_cast<const Brush*>(
                SendMessage(dlg, WM_CTLCOLORDLG, wp, HwndToParam(dlg)));
            Rect r;
            GetClientRect(dlg, &r);
            dc->FillRect(r, brush ? *brush : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CLOSE: {
            const Hwnd cancel = GetDlgItem(dlg, IDCANCEL);
            if (cancel && !IsWindowEnabled(cancel)) return 0;
            PostMessage(dlg, WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED), HwndToParam(cancel));
            return 0;
        }
        case WM_SETFOCUS: {
            Hwnd to = st && IsChild(dlg, st->lastFocus) && Usable(st->lastFocus)
                          ? st->lastFocus
                          : GetNextDlgTabItem(dlg, {}, false);
            if (to) SetDialogFocus(dlg, to);
            return 0;
        }
        case WM_ACTIVATE:
            if (LoWord(wp) == WA_INACTIVE && st) {
                if (const Hwnd f = FocusIn(dlg)) st->lastFocus = f;
            }
            return DefWindowProc(dlg, msg, wp, lp);
        case DM_GETDEFID:
            if (!st || !st->defId) return 0;
            return MakeLParam(st->defId, static_cast<int>(DC_HASDEFID));
        case DM_SETDEFID:
            if (!st) return 0;
            st->defId = static_cast<int>(wp);
            UpdateDefaultLook(dlg, GetFocus());
            return 1;
        case WM_NEXTDLGCTL: {
            const Hwnd to = LoWord(static_cast<uintptr_t>(lp))
                                ? HwndFromParam(static_cast<LParam>(wp))
                                : GetNextDlgTabItem(dlg, FocusIn(dlg), wp != 0);
            if (to) SetDialogFocus(dlg, to);
            return 0;
        }
        case WM_GETFONT:
            return st ? reinterpret_cast<LResult>(&st->font) : 0;
        case WM_SETFONT:
            if (st && wp && reinterpret_cast<const Font*>(wp) != &st->font)
                st->font = *reinterpret_cast<const Font*>(wp);
            return 0;
        case WM_NCDESTROY:
            if (st) {
                SetWindowLongPtr(dlg, kStateSlot, 0);
                delete st;
            }
            return DefWindowProc(dlg, msg, wp, lp);
        default:
            break;
    }
    return DefWindowProc(dlg, msg, wp, lp);
}

intptr_t DialogBoxIndirectParam(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc,
                                LParam param) {
    return RunModal(instance, t, owner, proc, param);
}

intptr_t DialogBoxParam(void* instance, int templateNumber, Hwnd owner, DlgProc proc,
                        LParam param) {
    DialogTemplate t;
    if (!DialogRegistry::Global().Find(templateNumber, &t)) return -1;
    return RunModal(instance, t, owner, proc, param);
}

Hwnd CreateDialogIndirectParam(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc,
                               LParam param) {
    return BuildDialog(instance, t, owner, proc, param, nullptr);
}

Hwnd CreateDialogParam(void* instance, int templateNumber, Hwnd owner, DlgProc proc, LParam param) {
    DialogTemplate t;
    if (!DialogRegistry::Global().Find(templateNumber, &t)) return {};
    return BuildDialog(instance, t, owner, proc, param, nullptr);
}

bool EndDialog(Hwnd dlg, intptr_t result) {
    DialogState* st = StateOf(dlg);
    if (!st) return false;
    if (st->outcome) {
        st->outcome->ended = true;
        st->outcome->result = result;
        PostMessage(dlg, WM_NULL, 0, 0);  // wakes the modal loop
    } else {
        ShowWindow(dlg, SW_HIDE);
    }
    return true;
}

bool IsDialogMessage(Hwnd dlg, Msg* m) {
    if (!m || !StateOf(dlg)) return false;
    if (m->hwnd != dlg && !IsChild(dlg, m->hwnd)) return false;
    const bool key = m->message == WM_KEYDOWN || m->message == WM_CHAR || m->message == WM_SYSCHAR;
    const LResult code = key ? DialogCode(m->hwnd, m) : 0;
    if (m->message == WM_KEYDOWN) {
        switch (m->wParam) {
            case VK_TAB:
                if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
                if (const Hwnd next =
                        GetNextDlgTabItem(dlg, FocusIn(dlg), GetKeyState(VK_SHIFT) < 0))
                    SetDialogFocus(dlg, next);
                return true;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN: {
                if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) break;
                const Hwnd from = FocusIn(dlg);
                if (!from) return true;
                const bool back = m->wParam == VK_LEFT || m->wParam == VK_UP;
                const Hwnd next = GetNextDlgGroupItem(dlg, from, back);
                if (next && next != ChildOf(dlg, from)) {
                    SetDialogFocus(dlg, next);
                    if (DialogCode(next) & DLGC_RADIOBUTTON) SendMessage(next, BM_CLICK, 0, 0);
                }
                return true;
            }
            case VK_RETURN: {
                if (code & DLGC_WANTALLKEYS) break;
                const Hwnd f = FocusIn(dlg);
                if (f && IsPushButton(code) && Usable(f)) {
                    Click(dlg, GetDlgCtrlID(f), f);
                    return true;
                }
                const LResult def = SendMessage(dlg, DM_GETDEFID, 0, 0);
                const int id = HiWord(static_cast<uintptr_t>(def)) == DC_HASDEFID
                                   ? LoWord(static_cast<uintptr_t>(def))
                                   : IDOK;
                const Hwnd b = GetDlgItem(dlg, id);
                if (!b || IsWindowEnabled(b)) Click(dlg, id, b);
                return true;
            }
            case VK_ESCAPE: {
                if (code & DLGC_WANTALLKEYS) break;
                const Hwnd c = GetDlgItem(dlg, IDCANCEL);
                if (!c || IsWindowEnabled(c)) Click(dlg, IDCANCEL, c);
                return true;
            }
            default:
                break;
        }
    } else if (m->message == WM_CHAR) {
        const bool control = m->wParam == '\t' || m->wParam == '\r' || m->wParam == 0x1B;
        if (control && !(code & (DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTTAB))) return true;
        if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && HandleMnemonic(dlg, m->wParam))
            return true;
    } else if (m->message == WM_SYSCHAR) {
        if (HandleMnemonic(dlg, m->wParam)) return true;
    }
    const Hwnd before = GetFocus();
    TranslateMessage(*m);
    DispatchMessage(*m);
    // A click that moved the focus moves the default-button look with it.
    if (const Hwnd after = FocusIn(dlg); after && after != before) {
        if (DialogState* st = StateOf(dlg)) st->lastFocus = after;
        UpdateDefaultLook(dlg, after);
    }
    return true;
}

std::vector<Hwnd> GetDialogControls(Hwnd dlg) {
    return Children(dlg);
}

LResult SendDlgItemMessage(Hwnd dlg, int id, uint32_t msg, WParam w, LParam l) {
    const Hwnd c = GetDlgItem(dlg, id);
    return c ? SendMessage(c, msg, w, l) : 0;
}

bool SetDlgItemText(Hwnd dlg, int id, const std::string& sjis) {
    const Hwnd c = GetDlgItem(dlg, id);
    return c && SetWindowText(c, sjis);
}

std::string GetDlgItemText(Hwnd dlg, int id) {
    const Hwnd c = GetDlgItem(dlg, id);
    return c ? GetWindowText(c) : std::string();
}

bool SetDlgItemInt(Hwnd dlg, int id, unsigned value, bool isSigned) {
    const std::string text =
        isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemText(dlg, id, text);
}

unsigned GetDlgItemInt(Hwnd dlg, int id, bool* ok, bool isSigned) {
    if (ok) *ok = false;
    const Hwnd c = GetDlgItem(dlg, id);
    if (!c) return 0;
    const std::string s = GetWindowText(c);
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (isSigned && i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    const std::size_t digitsFrom = i;
    long long v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        v = v * 10 + (s[i++] - '0');
        if (v > 0xFFFFFFFFLL) return 0;  // far too long
    }
    if (i == digitsFrom) return 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i != s.size()) return 0;
    if (negative) v = -v;
    if (isSigned ? (v < INT_MIN || v > INT_MAX) : v > static_cast<long long>(UINT_MAX)) return 0;
    if (ok) *ok = true;
    return static_cast<unsigned>(v);
}

bool CheckDlgButton(Hwnd dlg, int id, unsigned check) {
    const Hwnd c = GetDlgItem(dlg, id);
    if (!c) return false;
    SendMessage(c, BM_SETCHECK, check, 0);
    return true;
}

unsigned IsDlgButtonChecked(Hwnd dlg, int id) {
    return static_cast<unsigned>(SendDlgItemMessage(dlg, id, BM_GETCHECK, 0, 0));
}

bool CheckRadioButton(Hwnd dlg, int firstId, int lastId, int checkId) {
    bool any = false;
    for (int id = firstId; id <= lastId; ++id) {
        if (const Hwnd c = GetDlgItem(dlg, id)) {
            SendMessage(c, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
            any = true;
        }
    }
    return any;
}

Hwnd GetNextDlgTabItem(Hwnd dlg, Hwnd from, bool previous) {
    const std::vector<Hwnd> kids = Children(dlg);
    if (kids.empty()) return {};
    const Hwnd start = from ? ChildOf(dlg, from) : Hwnd{};
    const int n = static_cast<int>(kids.size());
    int at = -1;
    for (int i = 0; i < n; ++i) {
        if (kids[static_cast<std::size_t>(i)] == start) at = i;
    }
    if (at < 0) at = previous ? 0 : n - 1;  // no start: the first (or last) one
    for (int step = 1; step <= n; ++step) {
        const int i = ((at + (previous ? -step : step)) % n + n) % n;
        const Hwnd c = kids[static_cast<std::size_t>(i)];
        if (Usable(c) && (GetWindowLong(c, GWL_STYLE) & WS_TABSTOP)) return c;
    }
    return {};
}

Hwnd GetNextDlgGroupItem(Hwnd dlg, Hwnd from, bool previous) {
    const std::vector<Hwnd> kids = Children(dlg);
    const Hwnd start = ChildOf(dlg, from);
    int at = -1;
    const int n = static_cast<int>(kids.size());
    for (int i = 0; i < n; ++i) {
        if (kids[static_cast<std::size_t>(i)] == start) at = i;
    }
    if (at < 0) return {};
    auto groupStart = [&](int i) {
        return (GetWindowLong(kids[static_cast<std::size_t>(i)], GWL_STYLE) & WS_GROUP) != 0;
    };
    int first = at;
    while (first > 0 && !groupStart(first)) --first;
    int last = at + 1;
    while (last < n && !groupStart(last)) ++last;  // one past the group
    const int size = last - first;
    for (int step = 1; step < size; ++step) {
        const int i = first + ((at - first + (previous ? -step : step)) % size + size) % size;
        const Hwnd c = kids[static_cast<std::size_t>(i)];
        if (Usable(c)) return c;
    }
    return start;
}

Size DialogBaseUnitsOf(const Font& font) {
    const Size s = font.MeasureText("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {std::max(1, (s.cx / 26 + 1) / 2), std::max(1, font.Metrics().height)};
}

Size DialogBaseUnits(Hwnd dlg) {
    if (const DialogState* st = StateOf(dlg)) return DialogBaseUnitsOf(st->font);
    return DialogBaseUnitsOf(theme::DialogFont());
}

Rect DialogUnitsToPixels(const Font& font, int x, int y, int cx, int cy) {
    const Size b = DialogBaseUnitsOf(font);
    auto mul = [](int v, int base, int div) {
        const long long p = static_cast<long long>(v) * base;
        return static_cast<int>(p >= 0 ? (p + div / 2) / div : -((-p + div / 2) / div));
    };
    const int left = mul(x, b.cx, 4), top = mul(y, b.cy, 8);
    return {left, top, mul(x + cx, b.cx, 4), mul(y + cy, b.cy, 8)};
}

bool MapDialogRect(Hwnd dlg, Rect* r) {
    const DialogState* st = StateOf(dlg);
    if (!st || !r) return false;
    *r = DialogUnitsToPixels(st->font, r->left, r->top, r->right - r->left, r->bottom - r->top);
    return true;
}

Font DialogFontFor(const DialogTemplate& t) {
    if (t.faceName.empty() && t.pointSize == 9) return theme::DialogFont();
    FontSpec spec = theme::DialogFont().Spec();
    if (t.pointSize > 0) spec.height = -((t.pointSize * 96 + 36) / 72);
    if (!t.faceName.empty()) spec.faceName = zv::core::Utf8ToSjis(t.faceName);
    return Font(spec);
}

}  // namespace zv::ui
