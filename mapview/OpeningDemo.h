#pragma once

// The title page's demonstration: a recorded game plays by itself for about thirty seconds in a
// full-screen dialog, the map centred on the headquarters of the country it shows.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::mapview {

inline constexpr int kOpeningDemoDialog = 352;
inline constexpr int kOpeningDemoMapId = 15101;
inline constexpr std::uintptr_t kOpeningDemoTimer = 15100;
inline constexpr const char* kOpeningDataFile = "opn0001.opn";
// The map child's size; the dialog itself covers the desktop.
inline constexpr int kOpeningMapWidth = 794;
inline constexpr int kOpeningMapHeight = 530;
// Timer ticks (100 ms each) the demonstration lasts: the tick that finds the counter at the
// limit ends it, so 302 ticks in all.
inline constexpr int kOpeningDemoTickLimit = 301;

// Loads the recorded game into the world's tables, makes its first country that a person plays
// (and that is still in play) the player's, runs dialog 352 modally over `owner` and leaves an
// empty map behind. 1 after the demonstration ran; 0 when the data named no such country (or
// could not be read, or there is no world to run it in): no dialog then.
int RunOpeningDemo(ui::Hwnd owner);

// Dialog 352's procedure; RunOpeningDemo hands it the clock and the country to show through
// WM_INITDIALOG's lParam (without them the map shows and nothing steps).
intptr_t OpeningDemoDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);

// Registers template 352 (again: replaces it).
void RegisterOpeningDemoTemplate();

// The map child's top-left corner in the last demonstration, which the title lays its own
// pictures out by.
struct OpeningDemoPlacement {
    int x = 0;
    int y = 0;
};
OpeningDemoPlacement GetOpeningDemoPlacement();

}  // namespace zv::mapview
