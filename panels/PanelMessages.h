#pragma once

// The numbers of the messages the panels, the panel manager and the fight windows send and
// receive, and the command ids and window kinds they use.

#include <cstdint>

namespace zv::panels {

constexpr std::uint32_t WM_LAYOUT_PANELS = 2056;
constexpr std::uint32_t WM_GET_GAME_SPEED = 2071;
constexpr std::uint32_t WM_SET_GAME_SPEED = 2072;
constexpr std::uint32_t WM_SET_LINK_QUALITY = 2073;
constexpr std::uint32_t WM_FIGHT_BEGIN = 2074;
constexpr std::uint32_t WM_PANEL_RELAY = 2075;
constexpr std::uint32_t WM_PANEL_SHOW_TROOP = 2076;
constexpr std::uint32_t WM_PANEL_SHOW_CELL = 2077;
constexpr std::uint32_t WM_PANEL_WAIT_MASK = 2078;
constexpr std::uint32_t WM_PANEL_MESSAGE = 2079;
constexpr std::uint32_t WM_PANEL_CLOCK = 2080;
constexpr std::uint32_t WM_PANEL_LINK_QUALITY = 2081;
constexpr std::uint32_t WM_FIGHT_DATA = 2091;
constexpr std::uint32_t WM_FIGHT_RAISE = 2095;
constexpr std::uint32_t WM_FIGHT_LOWER = 2096;
constexpr std::uint32_t WM_MAP_TICK_REDRAW = 2102;
constexpr std::uint32_t WM_MAP_COMMAND = 2121;

// Frame commands the panels send instead of closing themselves.
constexpr int IDM_UNIT_PANEL = 40090;
constexpr int IDM_TERRAIN_PANEL = 40091;
constexpr int IDM_PAUSE_PANEL = 40092;
constexpr int IDM_MESSAGE_PANEL = 40093;
constexpr int IDM_SPEED_PANEL = 40094;
constexpr int IDM_PANEL_MANAGER = 40095;

// The speed panel's buttons.
constexpr int IDC_PANEL_DIALOG = 10651;
constexpr int IDC_SPEED_UP = 10652;
constexpr int IDC_SPEED_DOWN = 10653;

// The panel dialog's template.
constexpr int kPanelConfigDialog = 606;

// The highest game speed; the clock steps at 0-5.
constexpr int kMaxGameSpeed = 5;

}  // namespace zv::panels
