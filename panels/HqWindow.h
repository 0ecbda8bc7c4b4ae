#pragma once

// The HQ window: the whole map as a 2-pixel-a-hex miniature over "Hq_back.bmp", with a frame
// round the part the map window (kind MapWnd) shows. A click or a drag in the miniature scrolls
// the map window there; the map window's moves come back as WM_SET_VIEW_RECT or
// WM_HQ_VIEW_RECT. The game and the map editor both use it: it needs only the map world's
// tables (mapview::CurrentMapWorld()), no simulation.

#include <cstdint>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::mapview {
class HqMapView;
}

namespace zv::panels {

// The frame's menu command that shows and hides the window.
constexpr int IDM_HQ_WINDOW = shell::kCmdHqWindow;
constexpr int kHqWindowWidth = 196;
constexpr int kHqWindowHeight = 160;

// Records nothing in the registry: the creator records the window as HqWnd.
// Registers the class "HQWindow" (once; true when it exists afterwards).
bool RegisterHqWindowClass();
ui::Hwnd CreateHQWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// The window's miniature (null when h is no HQ window).
mapview::HqMapView* GetHqMapView(ui::Hwnd h);

}  // namespace zv::panels
