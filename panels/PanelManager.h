#pragma once

// The docked column of panels beside the map: the panel manager window adopts the seven panel
// windows, stacks the ones the PaneConf mask shows from the top down, and passes the panel news
// of the rest of the program on to the one panel that shows it. Dialog 606 lets the user pick
// the panels.
//
// How the frame uses it: create the panel windows (CreatePanelWindows, or one by one with
// their creators and SetWindowOfKind), then the manager in the same parent; send
// WM_LAYOUT_PANELS after every change of PaneConf or of the manager's visibility; send the
// panel messages 2076-2081 to the manager.

#include <array>
#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::panels {

struct PanelEntry {
    char name[256];  // Shift-JIS, with the trailing blanks of the check box labels
    int32_t kind;
    int32_t controlId;
    uint8_t maskBit;
};
constexpr int kPanelCount = 7;
const std::array<PanelEntry, kPanelCount>& PanelTable();

// Width of the column's background picture.
constexpr int kPanelColumnWidth = 196;
// Room left for the strip along the frame's top edge.
constexpr int kPanelColumnTop = 22;

bool RegisterPanelManagerClass();
// The manager: the given style plus WS_CLIPCHILDREN, the menu only for a non-popup style. It
// adopts the panel windows that exist in the window registry and hides itself.
ui::Hwnd CreatePanelManagerWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// Creates the unit, command, terrain, pause, message and speed panels (the HQ panel belongs to
// the HQ window's creator) as hidden children of `parent`, records each in its registry slot,
// then the manager (recorded as PanelManeger). Returns the manager.
ui::Hwnd CreatePanelWindows(ui::Hwnd parent, uint32_t managerStyle);

// Places the panels the mask shows and sizes the manager around them (WM_LAYOUT_PANELS).
void LayoutPanels(ui::Hwnd manager);

// Dialog 606 over the owner, holding busy bit 0 while it is open; 1 OK, 0 Cancel.
intptr_t ShowPanelConfigDialog(ui::Hwnd owner);
// Adds dialog 606's template to the registry (done by ShowPanelConfigDialog too).
void RegisterPanelDialogs();

}  // namespace zv::panels
