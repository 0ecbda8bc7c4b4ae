#pragma once

// What the menu, menu bar, tracking and MDI sources share, and the hooks through which the
// window manager reaches them. Only the layer's own sources include this.

#include <string>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

namespace menudetail {

struct Item {
    uint32_t flags = 0;  // MF_* state and kind bits
    uint32_t id = 0;
    std::string text;  // Shift-JIS
    Hmenu popup{};
};

struct MenuObject {
    std::vector<Item> items;
    bool isPopup = false;
    bool isSystem = false;
};

MenuObject* Lookup(Hmenu m);
// The window whose bar shows the menu, if any.
Hwnd BarOwnerOf(Hmenu m);

// Text before and after the tab; the label keeps its "&".
std::string LabelOf(const std::string& text);
std::string AccelTextOf(const std::string& text);
// The mnemonic of a text (lower case ASCII), 0 when it has none.
char MnemonicOf(const std::string& text);

const Font& MenuFont();

// ----- the bar -----

enum class BarPart { None, Item, ChildIcon, ChildMinimize, ChildRestore, ChildClose };

struct BarLayout {
    Rect bar;  // screen
    Hwnd mdiChild{};  // the maximised MDI child whose icon and buttons the bar shows
    Rect childIcon, childMin, childRestore, childClose;
    std::vector<Rect> items;  // screen; empty for items that do not fit
};
bool LayoutBar(Hwnd h, BarLayout* out);
BarPart BarHit(const BarLayout& l, Point screen, int* item);

// ----- tracking state that painting reads -----

struct TrackView {
    Hwnd barOwner{};   // the window whose bar is being tracked
    int barEntry = -1; // the selected bar item (-1 none)
    bool barOpen = false;  // its popup is open (the item is drawn pushed in)
    BarPart barPart = BarPart::None;  // a selected MDI icon (keyboard or mouse)
};
const TrackView& CurrentTrackView();

// The MDI button of the bar held down by the mouse (drawn pushed), or None.
BarPart PressedBarButton(Hwnd frame);
void SetPressedBarButton(Hwnd frame, BarPart part);

// Runs the menu loop of h's bar: by keyboard (key 0 for Alt/F10, else a mnemonic or ' ' for
// the system menu) or by mouse from a press at `start`.
void TrackBarByKey(Hwnd h, char key);
void TrackBarByMouse(Hwnd h, Point start);

// ----- MDI -----

// The MDI child shown maximised in the frame's bar, or null.
Hwnd MdiMaximizedChildOfFrame(Hwnd frame);

}  // namespace menudetail

// The small picture of a window's system menu (caption icon, MDI icon in the bar).
void DrawWindowIcon(Canvas& dc, const Rect& r);

// Hooks for the window manager.
// Registers the menu pop-up class and MDICLIENT.
void RegisterMenuClasses();
void RegisterMdiClientClass();
// Menu keys, bar clicks and system menus for DefWindowProc: true when handled.
bool MenuDefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp, LResult* result);
// Draws h's bar into its window DC; bar in window coordinates.
void PaintMenuBar(Hwnd h, Canvas& dc, const Rect& bar);
// A new window: its menu from CreateWindowEx or the class menu (0 and 0 for a child). True
// when it has one.
bool AttachCreationMenu(Hwnd h, intptr_t menuParam, int classMenuId);
// A window is gone: its menu and system menu go with it.
void MenuWindowDestroyed(Hwnd h);

}  // namespace zv::ui
