#pragma once

// MDI: a frame window holds an MDI client (class MDICLIENT), which holds the document windows
// (MDI children). The frame's procedure passes what it does not handle to DefFrameProc, the
// children's to DefMDIChildProc, and the message loop calls TranslateMDISysAccel (Ctrl+F4
// closes the active child, Ctrl+F6 and Ctrl+Shift+F6 go to the next and previous one).
//
// A maximised child fills the client, its caption merges into the frame's ("Frame - [Child]")
// and its system-menu icon and minimise, restore and close buttons move into the frame's menu
// bar. Minimised children show as small captions along the client's bottom edge. The window
// menu lists the children ("&1 title", ids from the first child id, the active one checked).

#include <cstdint>

#include "platform/ui/Menu.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

constexpr char kMdiClientClass[] = "MDICLIENT";

// CreateWindowEx's param for an MDI client.
struct ClientCreateStruct {
    Hmenu windowMenu{};         // the popup that lists the children, or null
    uint32_t idFirstChild = 0;  // command id of the first child in that list
};

// WM_MDICREATE's lParam; a child's WM_CREATE finds it in CreateStruct::createParams.
struct MdiCreateStruct {
    const char* className = nullptr;
    const char* title = nullptr;  // Shift-JIS
    void* instance = nullptr;
    int x = CW_USEDEFAULT_MDI;
    int y = CW_USEDEFAULT_MDI;
    int cx = CW_USEDEFAULT_MDI;
    int cy = CW_USEDEFAULT_MDI;
    uint32_t style = 0;
    LParam lParam = 0;

    static constexpr int CW_USEDEFAULT_MDI = static_cast<int>(0x80000000u);
};

LResult DefFrameProc(Hwnd frame, Hwnd client, uint32_t msg, WParam wp, LParam lp);
LResult DefMDIChildProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
// WM_MDICREATE in a call.
Hwnd CreateMDIWindow(const char* className, const char* title, uint32_t style, int x, int y,
                     int cx, int cy, Hwnd client, void* instance, LParam lParam);
// True when m was Ctrl+F4 or (Shift+)Ctrl+F6 and has been acted on.
bool TranslateMDISysAccel(Hwnd client, const Msg* m);

}  // namespace zv::ui
