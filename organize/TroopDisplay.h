#pragma once

// The two troop display windows: six member panels over a page area, one page per kind of
// information. DispOrganizeInfoWindow shows the troop being composed in the organisation dialog
// (the scratch troop of the working force); DispTroopInfoWindow a troop of the game (the cached
// copy of the troop information dialog). Both are child 14012 of their dialog's page tab.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"

namespace zv::organize {

inline constexpr const char* kOrganizeDisplayClass = "DispOrganizeInfoWindow";
inline constexpr const char* kTroopDisplayClass = "DispTroopInfoWindow";

// Child controls.
constexpr int kIdPackButtons = 14100;  // + slot 0-5
constexpr int kIdSliders = 14106;      // + 0-3
constexpr int kIdFormationList = 14110;
constexpr int kIdModeList = 14111;
constexpr int kIdCombos = 14112;  // + 4 * slot + j
constexpr int kIdLandButtons = 14136;
constexpr int kIdMapView = 14137;
constexpr int kIdChat = 14138;
constexpr int kIdPageBack = 14148;
constexpr int kIdPageNext = 14149;

constexpr int kPageCount = 11;
constexpr int kDeploymentPage = 10;

// Layout, in window pixels.
struct PanelOrigin {
    int x, y;
};
inline constexpr PanelOrigin kPanelOrigins[6] = {{1, 1},   {157, 1},   {313, 1},
                                                 {1, 129}, {157, 129}, {313, 129}};
constexpr int kPanelWidth = 152;
constexpr int kPanelHeight = 124;
constexpr int kPageX = 1;
constexpr int kPageY = 261;
constexpr int kPageWidth = 464;
constexpr int kPageHeight = 104;

int RegisterTroopDisplayClasses();
ui::Hwnd CreateDispOrganizeInfoWindow(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateDispTroopInfoWindow(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::LResult DispOrganizeInfoWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l);
ui::LResult DispTroopInfoWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l);

// The troop the troop information window shows (a troop of table 9), its page and the viewer's
// country (above 3: a spectator). The troop information dialog sets them before its refresh.
void SetTroopInfoTarget(int troop, int page, int playerCountry);
// Another page of the same troop: the cached copy and its edits stay.
void SetTroopInfoPage(int page);

// The open organisation window's transform flag (the 変形 command sets it to 0).
void SetOrganizeTransformFlag(int value);

// The state of the live window of a class (the last one made), for the dialogs and tests; an
// empty view when none is open.
struct TroopDisplayView {
    fw::Dib* picture = nullptr;
    int selectedSlot = -1;
    int carriedPage = -1;
    int carriedPageCount = 1;
    int dragSourceSlot = -1;
};
TroopDisplayView GetTroopDisplayView(bool organizeWindow);

// Hit tests (window pixels).
int HitTestMemberPanel(int x, int y);
int HitTestIconGrid(int x, int y);

// What the page painters draw, for tests: each text with its place, colour and height, and each
// bar with its start, length, height and source row of bar_gun.bmp. Null stops recording.
struct PageText {
    int x, y;
    std::string text;  // Shift-JIS
    std::uint32_t color;
    int height;
};
struct PageBar {
    int x, y, length, height, sourceRow;
};
struct PageRecording {
    std::vector<PageText> texts;
    std::vector<PageBar> bars;
    std::vector<std::pair<int, int>> icons;  // (x, y) of gun-strip and load-class icons
};
void SetPageRecording(PageRecording* recording);

}  // namespace zv::organize
