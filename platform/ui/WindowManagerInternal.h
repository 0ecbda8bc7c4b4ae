#pragma once

// What the parts of the window manager share: the window record, timers, pending sends and
// device contexts, and the small helpers the parts each need. Only the manager's own sources
// include this.

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/ui/Messages.h"
#include "platform/ui/ScrollBarModel.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/WindowManager.h"

namespace zv::ui {

namespace wmdetail {

constexpr uint32_t kSwpStateChanged = 0x8000;  // internal: a min/max change forces WM_SIZE

inline std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Window positions and sizes are held within a million pixels either way, far beyond any
// screen, so that the sums that place a window (parents, frames, scrolling) stay within int.
constexpr int kMaxWindowCoordinate = 1 << 20;
inline int HoldCoordinate(int v) {
    return std::clamp(v, -kMaxWindowCoordinate, kMaxWindowCoordinate);
}
inline int HoldExtent(int v) {
    return std::min(v, kMaxWindowCoordinate);  // negative sizes count as 0 where used
}

inline bool TimeReached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}

// A minimised (iconic) window stays on view as a short caption of this width along the bottom
// of its parent's client area (the screen for a top-level window).
constexpr int kIconicWidth = 160;

// The sizing edge or corner of a window's frame at p (window coordinates), or HTBORDER where
// the window cannot be sized there.
intptr_t SizingEdgeAt(uint32_t style, int width, int height, Point p);

}  // namespace wmdetail

struct WindowManager::Window {
    Hwnd self{};
    WindowClass cls;
    WndProc proc = nullptr;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    Hwnd parent{};
    Hwnd owner{};
    std::vector<Hwnd> children;  // top first
    Rect rect{};                 // parent client coordinates
    Rect client{};               // relative to rect's top-left corner
    Rect restoreRect{};
    bool maximizedBeforeMinimize = false;
    intptr_t id = 0;
    void* instance = nullptr;
    intptr_t userData = 0;
    std::vector<intptr_t> extra;
    std::string text;
    Region update;  // client coordinates
    bool erase = false;
    bool ncDirty = false;
    bool destroying = false;
    ScrollInfo scroll[3]{};  // SB_HORZ, SB_VERT, and SB_CTL for a SCROLLBAR control
    bool hasMenuBar = false;
    // The caption draws active. Set by WM_NCACTIVATE (DefWindowProc), which activation sends
    // to top-level windows and the MDI client to its children; a plain child with a caption
    // starts active, as nothing else would ever tell it.
    bool ncActive = false;
};

struct WindowManager::Timer {
    Hwnd hwnd{};
    uintptr_t id = 0;
    uint32_t interval = 0;
    uint32_t due = 0;
    TimerProc proc = nullptr;
    uint64_t serial = 0;
};

struct WindowManager::PendingSend {
    Hwnd hwnd{};
    uint32_t msg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    LResult result = 0;
    bool done = false;
};

struct WindowManager::LiveDc {
    Hwnd hwnd{};
    Canvas canvas;
    Rect screenBounds{};
};

}  // namespace zv::ui
