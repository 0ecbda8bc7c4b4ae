#pragma once

// The command ids, controls and limits of the panels, the panel manager and the fight windows
// (their messages are in shell/WindowMessages.h).

#include <cstdint>
#include "shell/WindowMessages.h"
#include "shell/FrameCommands.h"

namespace zv::panels {

// Frame commands the panels send instead of closing themselves.
constexpr int IDM_UNIT_PANEL = shell::kCmdUnitPanel;
constexpr int IDM_TERRAIN_PANEL = shell::kCmdTerrainPanel;
constexpr int IDM_PAUSE_PANEL = shell::kCmdPausePanel;
constexpr int IDM_MESSAGE_PANEL = shell::kCmdMessagePanel;
constexpr int IDM_SPEED_PANEL = shell::kCmdSpeedPanel;
constexpr int IDM_PANEL_MANAGER = shell::kCmdPanelManager;

// The speed panel's buttons.
constexpr int IDC_PANEL_DIALOG = 10651;
constexpr int IDC_SPEED_UP = 10652;
constexpr int IDC_SPEED_DOWN = 10653;

// The panel dialog's template.
constexpr int kPanelConfigDialog = 606;

// The highest game speed; the clock steps at 0-5.
constexpr int kMaxGameSpeed = 5;

}  // namespace zv::panels
