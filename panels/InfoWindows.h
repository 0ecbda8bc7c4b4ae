#pragma once

// The small tables that sum up the game for the player, each an MDI child: the camp window
// (kind CampInfoWnd: the four countries' players, corps, state, alliances, income and troop
// counts), the site window (SiteListWnd: sites and income by owner and site kind) and the
// troop-count window (TroopNumListWnd: troops by country and category). Each paints a
// template picture with its row labels and writes the figures over a copy of it.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::panels {

// The refresh messages are the shell's WM_REFRESH_SITE_INFO, WM_REFRESH_CAMP_INFO and
// WM_REFRESH_TROOP_NUM (no parameters).

enum class InfoWindowClass { Camp, Site, TroopNum, UnitKind, LandList };

// Registers the class (light grey background); true when it exists afterwards.
bool RegisterInfoWindowClass(InfoWindowClass which);
// A class of CS_HREDRAW | CS_VREDRAW, 4 window bytes, the arrow and the light grey brush.
bool RegisterLightGrayClass(const char* name, ui::WndProc proc);

// Create the window in the MDI client (registering its class), record it in its registry
// slot and paint it once. Hidden unless `show`.
ui::Hwnd CreateCampInfoWindow(ui::Hwnd mdiClient, bool show);
ui::Hwnd CreateSiteInfoWindow(ui::Hwnd mdiClient, bool show);
ui::Hwnd CreateTroopNumWindow(ui::Hwnd mdiClient, bool show);
// The unit-kind and terrain lists; their close request asks the frame with IDM_UNIT_KIND_LIST / IDM_LAND_LIST.
ui::Hwnd CreateUnitKindWindow(ui::Hwnd mdiClient, bool show);
ui::Hwnd CreateLandListWindow(ui::Hwnd mdiClient, bool show);

constexpr int IDC_UNIT_KIND_LIST = 10500;
constexpr int IDC_LAND_LIST = 10501;
constexpr int IDM_UNIT_KIND_LIST = shell::kCmdUnitKindList;
constexpr int IDM_LAND_LIST = shell::kCmdLandList;

// Registration of the two lists (0 unit kinds, 1 terrain).
bool RegisterInfoListClass(int which);

// The camp window's rows of country c as text (Shift-JIS) and colour; empty texts for a
// country that does not select.
struct CampRow {
    std::string text;
    std::uint32_t color = 0x808080;
};
CampRow CampPlayerText(int country);
CampRow CampParticipantText(int country);
CampRow CampCorpsText(int country);
CampRow CampStateText(int country);
CampRow CampIncomeText(int country);
CampRow CampTroopCountText(int country);

}  // namespace zv::panels
