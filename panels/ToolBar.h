#pragma once

// The tool bar: a strip 22 pixels high across the top of the frame's client area with fourteen
// picture buttons. The first opens the game menu; every other one sends a frame menu command
// (map display mode, map and window options, help) and is drawn pressed while its option is on.
// A hovered button shows its tip in the frame's bordered text box.

#include <array>
#include <cstdint>
#include <functional>

#include "platform/ui/Menu.h"
#include "platform/ui/WindowTypes.h"

namespace zv::panels {

struct ToolButton {
    int32_t id;
    int32_t sourceX, sourceY;  // normal face in "Btn_pnl.bmp"; pressed one height below
    int32_t width, height;
    int16_t x, y;  // in the bar
    uint8_t state;  // 0 normal, 1 pressed
    int32_t command;  // frame menu command; 0 for the game menu button
    const char* tip;  // UTF-8
};
constexpr int kToolButtonCount = 14;
constexpr int kToolBarHeight = 22;
constexpr int kToolMenuButton = 42501;
constexpr uint32_t kToolTipTimer = 998;

// The rows as laid out, every button raised.
const std::array<ToolButton, kToolButtonCount>& ToolButtons();
// The rows of the bar `bar` as they stand now (states included); the layout when `bar` is no
// tool bar.
const std::array<ToolButton, kToolButtonCount>& ToolButtons(ui::Hwnd bar);

// What the bar asks of the rest of the program before it takes a click. Every hook may be
// empty: the set-up window then counts as closed, the animation as idle and there is no tip box.
struct ToolBarHooks {
    std::function<bool()> isMainMenuOpen;
    std::function<bool()> isAnimationIdle;
    std::function<ui::Hwnd()> frameStatusControl;
};
void SetToolBarHooks(ToolBarHooks hooks);

// 0 while the reinforcement dialog runs; clicks are ignored then.
void SetToolPanelEnabled(int flag);
int IsToolPanelEnabled();

// The bar as a visible child of the frame at (0, 0), as wide as the screen. It takes no slot of
// the window registry (the kind SelToolWnd stays empty): the frame keeps the handle.
// Registers the class "zvToolWindow" (once; true when it exists afterwards).
bool RegisterToolBarClass();
ui::Hwnd CreateZvToolWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// The game menu of the bar `bar` with its items enabled, grayed and checked for the game as it
// stands; the bar does this just before it shows the menu. Null when `bar` is no tool bar.
ui::Hmenu PrepareToolBarGameMenu(ui::Hwnd bar);

// The frame's tip box: a bordered, centred static child, topmost.
ui::Hwnd CreateBorderedStatic(ui::Hwnd parent, int x, int y, int width, int height);

}  // namespace zv::panels
