#pragma once

// The map editor's map window: an MDI child that shows and paints the map of the live tables
// through its own map document (MapEditorContext, in the window's user data). It is the window
// of kind MapWnd while it lives, so every message meant for the map window reaches it. The left
// button paints (land kind 0 under the pointer); with Ctrl held the clicks select troops.

#include <cstdint>
#include <functional>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::mapview {

class MapEditorContext;

inline constexpr const char* kSelMapEditWindowClass = "SelMapEditWindow";

// The display commands of the map menu the window answers: the first of each range.
using shell::kCmdZoom0;                                     // to kCmdHex32
constexpr int kCmdDisplayKind0 = shell::kCmdStyleMap;      // to kCmdStyleGreen
constexpr int kCmdAirRoute = shell::kCmdRouteAir;          // to kCmdSupplyRoutes: the seven switches
using shell::kCmdHexFrame;
constexpr int kCmdCaptionMode0 = shell::kCmdCaptionNone;  // to kCmdCaptionArrival
constexpr int kCmdCloseMap = shell::kCmdCloseMapDocument;

void RegisterSelMapEditWindow();
// An MDI child of `mdiClient` (both scroll bars); null when no world is installed.
ui::Hwnd CreateSelMapEditWindow(void* instance, ui::Hwnd mdiClient);
MapEditorContext* GetEditorDocument(ui::Hwnd window);

// Applies the stored display settings ("FrameSwidth", "MapDispKind", "MapOtherDispSwitch",
// "HexSizeKind") to the view and the frame's menu; writes them back from the view.
void SyncEditorMapMenus(ui::Hwnd window, MapEditorContext* document);
void SaveEditorMapSettings(ui::Hwnd window, MapEditorContext* document);

// The clock step WM_MAP_TICK_REDRAW runs (the game installs RealTimeTick); 0 when no step was
// taken. Unset: no step.
void SetEditorClockStep(std::function<int(int paced)> step);

// Runs before each paint stroke (a left-button press without Ctrl): the document takes its undo
// snapshot there. Unset: nothing.
void SetEditorChangeHook(std::function<void()> hook);

ui::LResult SelMapEditWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::mapview
