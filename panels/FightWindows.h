#pragma once

// The fight animation's windows: the manager (kind RealManager), which receives a battle
// record, holds busy bit 6 while it plays and ticks both panes every 100 ms; and the two
// borderless panes, the own side below the screen's middle and the enemy side above it, each
// painting one side of the fight from its FightPaneModel into six layers.

#include <cstdint>

#include "framework/Dib.h"
#include "panels/FightModel.h"
#include "platform/ui/WindowTypes.h"

namespace zv::panels {

constexpr uintptr_t kFightTimer = 1;
constexpr uint32_t kFightTickMs = 100;

ui::Hwnd CreateRealManagerWindow(void* instance, ui::Hwnd parent, intptr_t menu);

// The pane windows of the manager (null when missing) and their models (tests look at them).
ui::Hwnd GetFightPane(ui::Hwnd manager, int index);
const fight::FightPaneModel* GetFightPaneModel(ui::Hwnd pane);
// Layer 0 of a pane, as the window shows it.
fw::Dib* GetFightPaneDisplay(ui::Hwnd pane);

// What the game's events do for a fight (GameEvents::FightDisplayEnabled and PlayFight):
// FightMine decides for a fight of the local player's troops, FightOther for the others.
bool FightDisplayEnabled(bool ownFight);
// Hands the battle record to the fight manager (kind RealManager) and asks it, at most 60000
// times a millisecond apart, until the fight has played. Called from the simulation's thread;
// returns at once when there is no fight manager.
void PlayFightAndWait(const uint8_t* record);

// Reveals a picture at a level 0-5: 0 blank, 1-3 dotted, 4 and 5 whole.
void RevealFightPicture(fw::Dib* picture, int level);

}  // namespace zv::panels
