#pragma once

// How a game ends on the frame: the game over (victory or defeat, the result window with the
// game's news, or the spectator's message and the title), the return to the title (40118), the
// saving of a running game (40119), the alliance command (40122) and the network requests to
// return or save (40132, 40133), which a journal host carries out through the pending action.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

// WM_GAME_OVER: wParam bits 0-7 the winners, 16-23 the losers; lParam non-zero when the time
// limit ended the game. 1.
ui::LResult HandleGameOver(ui::Hwnd frame, ui::WParam w, ui::LParam l);
// The spectator's line: " 青国 緑国が勝利しました" style (UTF-8), or "勝利国不明です".
std::string WinnersText(std::uint8_t winners);

// Installs (or removes) the frame command handlers of 40118, 40119, 40122, 40132 and 40133.
void InstallGameEndCommands();
void UninstallGameEndCommands();

ui::LResult ReturnToTitle(ui::Hwnd frame, ui::WParam w, ui::LParam l);

// Leaves `action` (kNetActionQuit, ...) for the next clock step to carry out. Troops selected
// for an order hold the clock until the order is given, so the selection is let go first:
// otherwise the step, and with it the quit, would never come.
void PendStepAction(std::uint8_t action);

// The question before a running game is left for the map editor (UTF-8).
constexpr const char* kLeaveGameForEditorText = "ゲームを終了してマップエディタに移ります";
// Leaves a running game for the map editor: asks first (kLeaveGameForEditorText, Yes/No), then
// parks the clock, closes the game's map (a network game is left) and clears what the game
// left behind, as the return to the title does, without opening the title. False when the
// player said No: the game goes on.
bool LeaveGameForEditor(ui::Hwnd frame);
ui::LResult SaveRunningGame(ui::Hwnd frame, ui::WParam w, ui::LParam l);
ui::LResult ChangeAlliances(ui::Hwnd frame);

}  // namespace zv::shell
