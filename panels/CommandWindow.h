#pragma once

// The command window: thirteen picture buttons, one per command, from which the player chooses
// what the selected troops shall do. The map's selection decides which buttons are enabled
// (UpdateCommandButtons); a press either issues the command at once through the map window or
// marks the hexes a target may be chosen from, after which the map click reads the chosen
// command back (GetSelectedCommandCode).

#include <array>
#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::panels {

struct CommandButtonRow {
    char label[16];  // Shift-JIS, zero-padded
    uint8_t code;
    uint8_t zero;
    uint8_t picture;
    uint8_t spare[5];
};
static_assert(sizeof(CommandButtonRow) == 24);
constexpr int kCommandButtonCount = 13;
constexpr int kFirstCommandButton = 12000;
const std::array<CommandButtonRow, kCommandButtonCount>& CommandButtonTable();

// The code 待機 reports instead of its own 0, so that 0 can mean "no command".
constexpr int kWaitCommandCode = 26;

// Registers the class "CommandWindow" (once; true when it exists afterwards).
bool RegisterCommandWindowClass();
ui::Hwnd CreateCommandWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// Enables button i exactly when bit (code of row i) is set in the mask, forgets the chosen
// command and launch troop, repaints the buttons and returns the first row whose code is
// `code` (-1 none).
int UpdateCommandButtons(uint16_t mask, int code);
// The chosen command's code: 0 none, 26 for 待機.
int GetSelectedCommandCode();
// The carried troop chosen for 発進; kNoTroop when none.
uint16_t GetLaunchTroop();
// The weapon classes chosen for 分散.
uint16_t GetSeparationChoice();
uint8_t GetSeparationRange();
uint16_t GetSeparationCargoBit();

}  // namespace zv::panels
