#pragma once

// The world the frame works on and what the frame does with it: the map document (a map shown
// in the game map window), the reset of the game state, and the start of a single game.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"
#include "shell/editor/MapEditorDocument.h"
#include "shell/ProgramServices.h"

namespace zv::shell {

// The world the frame works on is the common part of the program's services (tables,
// simulation, clock, events, the GUI thread's route searches); null when none are installed.
using GameWorld = ProgramServices;
GameWorld* CurrentGameWorld();

// The map document (open, close, save, undo, the map window's caption): shell/MapEditorDocument.h.

// A new empty world: the map emptied, the journal reset, the news and the results cleared.
// The clock must be parked (callers park it first).
void ResetGameState();
// The game start of a single game prepared in the game settings record (the set-up pages fill
// it): settings applied, map windows made, play begun.
void StartGame(ui::Hwnd frame, ui::WParam fromSave);
int ApplyGameStartSettings(ui::Hwnd frame);
void BeginPlay(ui::Hwnd frame);
// The local player's deployment of the country's corps (the organisation dialog in deployment
// mode, over the country's force slot): 1 to start the game, 0 when the player went back.
int RunPlacementDialog(ui::Hwnd owner, std::uint8_t country);
// The frame command that returns to the title (lParam 2: from the game start).
constexpr int kReturnToTitleCommand = kCmdReturnToTitle;

}  // namespace zv::shell
