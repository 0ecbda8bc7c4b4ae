#pragma once

// "エリア別マップ情報": a popup owned by the frame that shows the 8 x 8 areas of the map as a
// grid of 80 x 80-pixel cells and, in each cell, one page of the area analysis chosen from its
// menu (buildings, known troops, movable directions, each country's situation). The analysis
// runs only when the user chooses "情報セット".

#include <cstdint>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::fw {
class Dib;
}

namespace zv::mapview {

inline constexpr const char* kMapAreaInfoWindowClass = "MapAreaInfoWindow";
inline constexpr int kMapAreaInfoMenu = 602;
inline constexpr int kAreaPicture = 640;
inline constexpr int kAreaCell = 80;

// Menu commands.
constexpr int kCmdAreaClear = 45002;
constexpr int kCmdAreaCompute = 45003;
constexpr int kCmdAreaExpected = 45006;
constexpr int kCmdAreaBuildings = 45007;
constexpr int kCmdAreaDirectionsAll = 45008;  // 45009-45013: one class each
constexpr int kCmdAreaSupplyBuildings = 45016;
constexpr int kCmdAreaFoundBy = 45017;  // 45017-45020: as seen by country 0-3
constexpr int kCmdAreaCountry = 45022;  // 45022-45025: one country
constexpr int kCmdAreaCountriesAll = 45026;
// The frame's command that shows and hides the window.
constexpr int kCmdToggleAreaInfo = shell::kCmdAreaInfo;
// Child controls.
constexpr int kIdAreaHScroll = 10503;
constexpr int kIdAreaVScroll = 10504;
constexpr int kIdAreaSizeBox = 10505;

// The page a menu command shows (0-17), or -1.
int AreaPageOfCommand(int id);

uint16_t RegisterMapAreaInfoWindow(void* instance);
ui::Hwnd CreateMapAreaInfoWindow(void* instance, ui::Hwnd owner);
// Redraws the whole picture for the current page and repaints the window.
void DrawAreaInfo(ui::Hwnd window, fw::Dib* picture);
// The window's picture and page (tests look at them).
fw::Dib* GetAreaInfoPicture(ui::Hwnd window);
int GetAreaInfoPage(ui::Hwnd window);

ui::LResult MapAreaInfoWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::mapview
