#pragma once

// The value types of the window layer: checked window handles, message parameters, procedures,
// class descriptions and the structures that messages point to.

#include <cstdint>
#include <string>

#include "platform/ui/Surface.h"

namespace zv::ui {

class Canvas;

// A checked window handle: slot index in the low 16 bits, the slot's generation in the high 16.
// A destroyed window's handle keeps its old generation, so it answers "not a window" even after
// the slot is reused. Zero is no window.
struct Hwnd {
    uint32_t value = 0;

    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(Hwnd, Hwnd) = default;
};

// Special "insert after" values of SetWindowPos. No live window ever has these values.
constexpr Hwnd HWND_TOP{0};
constexpr Hwnd HWND_BOTTOM{1};
constexpr Hwnd HWND_TOPMOST{0xFFFFFFFFu};
constexpr Hwnd HWND_NOTOPMOST{0xFFFFFFFEu};

using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

// A window procedure.
using WndProc = LResult (*)(Hwnd, uint32_t msg, WParam, LParam);
// A timer callback (SetTimer with a procedure): window, WM_TIMER, timer id, tick count.
using TimerProc = void (*)(Hwnd, uint32_t msg, uintptr_t id, uint32_t time);

// Handles travel in message parameters (WM_COMMAND's control, WM_ACTIVATE's other window).
constexpr LParam HwndToParam(Hwnd h) {
    return static_cast<LParam>(h.value);
}
constexpr Hwnd HwndFromParam(intptr_t p) {
    return Hwnd{static_cast<uint32_t>(p)};
}

constexpr uint16_t LoWord(uintptr_t v) {
    return static_cast<uint16_t>(v & 0xFFFF);
}
constexpr uint16_t HiWord(uintptr_t v) {
    return static_cast<uint16_t>((v >> 16) & 0xFFFF);
}
constexpr LParam MakeLParam(int lo, int hi) {
    return static_cast<LParam>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}
constexpr WParam MakeWParam(int lo, int hi) {
    return static_cast<WParam>(MakeLParam(lo, hi)) & 0xFFFFFFFFu;
}
// Signed coordinates packed by MakeLParam (mouse messages).
constexpr int GetXLParam(LParam l) {
    return static_cast<int16_t>(LoWord(static_cast<uintptr_t>(l)));
}
constexpr int GetYLParam(LParam l) {
    return static_cast<int16_t>(HiWord(static_cast<uintptr_t>(l)));
}
constexpr int GetWheelDeltaWParam(WParam w) {
    return static_cast<int16_t>(HiWord(w));
}

// A message as the queue hands it out.
struct Msg {
    Hwnd hwnd{};
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    uint32_t time = 0;
    Point pt{};  // cursor position on the screen when the message was queued
};

// Icon-less class description. Names compare without regard to case.
struct WindowClass {
    uint32_t style = 0;
    WndProc proc = nullptr;
    int classExtraBytes = 0;
    int windowExtraBytes = 0;  // multiple of 4; each 4-byte slot holds a pointer-sized value
    void* instance = nullptr;
    uint32_t cursor = 0;  // an Hcursor value (Cursor.h); 0 keeps the cursor as it is
    bool hasBackground = false;
    ColorRef background = 0;  // erase colour when hasBackground
    int menuId = 0;           // class menu resource, 0 for none
    std::string name;
};

// WM_CREATE and WM_NCCREATE point lParam at this.
struct CreateStruct {
    void* createParams = nullptr;
    void* instance = nullptr;
    intptr_t menuOrId = 0;
    Hwnd parent{};
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    uint32_t style = 0;
    const char* name = nullptr;
    const char* className = nullptr;
    uint32_t exStyle = 0;
};

// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED point lParam at this.
struct WindowPos {
    Hwnd hwnd{};
    Hwnd insertAfter{};
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    uint32_t flags = 0;
};

// WM_GETMINMAXINFO points lParam at this, filled with the defaults; the procedure may change
// them. Sizes include the frame.
struct MinMaxInfo {
    Point reserved{};
    Point maxSize{};      // maximised size
    Point maxPosition{};  // maximised position
    Point minTrackSize{};  // smallest size the move/size loop allows
    Point maxTrackSize{};  // largest
};

// TrackMouseEvent's record.
struct TrackMouseEventInfo {
    uint32_t flags = 0;  // TME_*
    Hwnd hwndTrack{};
    uint32_t hoverTime = 0xFFFFFFFF;  // HOVER_DEFAULT
};

// WM_STYLECHANGING and WM_STYLECHANGED point lParam at this (wParam is GWL_STYLE or GWL_EXSTYLE).
struct StyleStruct {
    uint32_t styleOld = 0;
    uint32_t styleNew = 0;
};

// WM_NCCALCSIZE points lParam at the window rectangle in parent coordinates; the procedure
// turns it into the client rectangle (same coordinates).
struct NcCalcSizeParams {
    Rect rect;
};

struct PaintStruct {
    Canvas* hdc = nullptr;
    bool erase = false;
    Rect rcPaint{};  // client coordinates
};

struct ScrollInfo {
    uint32_t mask = 0;
    int min = 0;
    int max = 0;
    uint32_t page = 0;
    int pos = 0;
    int trackPos = 0;
};

}  // namespace zv::ui
