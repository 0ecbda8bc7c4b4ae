#pragma once

// The three window classes that show a map through a MapViewContext: the game map (an MDI child,
// window kind MapWnd), the small map of the organisation dialog and the opening demonstration's
// map.

#include "platform/ui/WindowTypes.h"

namespace zv::mapview {

class MapViewContext;

inline constexpr const char* kRealViewWindowClass = "RealViewWindow";
inline constexpr const char* kRealChileViewWindowClass = "RealChileViewWindow";
inline constexpr const char* kChileOpeningViewWindowClass = "ChileOpeningViewWindow";

// Registers the three classes (again: nothing).
void RegisterMapViewClasses();

ui::Hwnd CreateRealViewWindow(ui::Hwnd parent, int x, int y, int width, int height);
ui::Hwnd CreateRealChileViewWindow(ui::Hwnd parent, int id);
ui::Hwnd CreateChileOpeningViewWindow(ui::Hwnd parent, int id);

// The map-view object of a map window (its user data); null for any other window.
MapViewContext* GetMapViewContext(ui::Hwnd window);

ui::LResult RealViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);
ui::LResult RealChileViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);
ui::LResult ChileOpeningViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::mapview
