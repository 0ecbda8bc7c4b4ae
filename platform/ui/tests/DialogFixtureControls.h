#pragma once

// Small stand-ins for the button, static and edit classes, answering just what the dialog
// manager asks of controls (WM_GETDLGCODE, BM_*, WM_SETFONT), so that its keyboard handling is
// tested on its own.

#include <string>

#include "platform/ui/DialogControlCodes.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"

namespace zv::ui::testing {

inline LResult FixtureButtonProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    const uint32_t style = static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE));
    const uint32_t type = style & BS_TYPEMASK;
    const bool radio = type == BS_AUTORADIOBUTTON || type == 4;
    const bool check = type == 2 || type == 3;
    switch (msg) {
        case WM_GETDLGCODE:
            if (radio) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            if (check) return DLGC_BUTTON;
            return type == BS_DEFPUSHBUTTON ? DLGC_BUTTON | DLGC_DEFPUSHBUTTON
                                            : DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BM_SETSTYLE:
            SetWindowLong(h, GWL_STYLE, static_cast<int32_t>((style & ~BS_TYPEMASK) | w));
            return 0;
        case BM_GETCHECK:
            return GetWindowLongPtr(h, GWLP_USERDATA);
        case BM_SETCHECK:
            SetWindowLongPtr(h, GWLP_USERDATA, static_cast<intptr_t>(w));
            return 0;
        case BM_CLICK: {
            const Hwnd parent = GetParent(h);
            if (check)
                SetWindowLongPtr(h, GWLP_USERDATA, GetWindowLongPtr(h, GWLP_USERDATA) ? 0 : 1);
            if (type == BS_AUTORADIOBUTTON) {
                // Check this one, clear the others of its group.
                Hwnd c = h;
                while (!(GetWindowLong(c, GWL_STYLE) & WS_GROUP)) {
                    const Hwnd prev = GetWindow(c, GW_HWNDPREV);
                    if (!prev) break;
                    c = prev;
                }
                for (bool first = true; c; c = GetWindow(c, GW_HWNDNEXT), first = false) {
                    if (!first && (GetWindowLong(c, GWL_STYLE) & WS_GROUP)) break;
                    SetWindowLongPtr(c, GWLP_USERDATA, c == h ? 1 : 0);
                }
            }
            SendMessage(parent, WM_COMMAND, MakeWParam(GetDlgCtrlID(h), BN_CLICKED),
                        HwndToParam(h));
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(h);
            return 0;
        case WM_LBUTTONUP:
            SendMessage(h, BM_CLICK, 0, 0);
            return 0;
        default:
            return DefWindowProc(h, msg, w, l);
    }
}

inline LResult FixtureStaticProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (msg == WM_GETDLGCODE) return DLGC_STATIC;
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return DefWindowProc(h, msg, w, l);
}

inline LResult FixtureEditProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS;
        case WM_CHAR:
            if (w >= 0x20) SetWindowText(h, GetWindowText(h) + static_cast<char>(w));
            return 0;
        case EM_SETSEL:
            SetWindowLongPtr(h, GWLP_USERDATA, 1);  // remembers that all was selected
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(h);
            return 0;
        default:
            return DefWindowProc(h, msg, w, l);
    }
}

inline void RegisterFixtureControls() {
    struct Entry {
        const char* name;
        WndProc proc;
    };
    for (const Entry& e : {Entry{"BUTTON", FixtureButtonProc}, Entry{"STATIC", FixtureStaticProc},
                           Entry{"EDIT", FixtureEditProc}}) {
        WindowClass existing;
        if (GetClassInfo(e.name, &existing)) continue;
        WindowClass wc;
        wc.name = e.name;
        wc.proc = e.proc;
        RegisterClass(wc);
    }
}

}  // namespace zv::ui::testing
