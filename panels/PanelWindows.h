#pragma once

// The terrain, pause, message and speed panels of the panel column. Each draws its picture into
// a Dib of its own, restored from its bitmap file before each repaint, and paints from it.
//
//   LandSimpleInfoWindow  "terrain.bmp"  the hex under the cursor and the picked troop's defence
//   PauseWindow           "pause.bmp"    the countries at war and the players the game waits for
//   MessageWindow         "message.bmp"  the last news line in three lines
//   SpeedWindow           "speed.bmp"    clock, cursor hex, funds, game speed, link quality

#include <array>
#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::rules {
class TableDirectory;
}

namespace zv::panels {

ui::Hwnd CreateLandSimpleInfoWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);
ui::Hwnd CreatePauseWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);
ui::Hwnd CreateMessageWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);
// With WS_CLIPCHILDREN added.
ui::Hwnd CreateSpeedWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// The message panel's three lines of at most 30 bytes each, never splitting a double-byte
// character; what does not fit is dropped.
std::array<std::string, 3> BreakMessageLines(const char* sjis);

// The defence figure of the terrain panel: the best terrain defence rate of the troop's
// present members on the land kind; -1 when the troop has no present member.
int TroopTerrainDefence(rules::TableDirectory& tables, std::uint16_t troop, int landKind);

// The speed panel's speed and link quality as stored (tests, and the frame's GameSpeed save).
int GetStoredGameSpeed();
int GetStoredLinkQuality();

}  // namespace zv::panels

namespace zv::panels {

// What the small panels hold, as they were last told (tests and the frame).
const char* GetMessagePanelText();
uint8_t GetPauseWaitMask();
// Troop, site owner and land kind of the terrain panel's last cell.
void GetTerrainPanelCell(uint16_t* troop, int* siteOwner, int* landKind);

}  // namespace zv::panels
