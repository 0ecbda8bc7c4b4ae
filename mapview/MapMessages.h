#pragma once

// The numbers of the messages the map windows send and receive.

#include <cstdint>

namespace zv::mapview {

constexpr std::uint32_t WM_MAP_SET_PLACEMENT_TROOP = 2039;
constexpr std::uint32_t WM_GET_GAME_SPEED = 2071;
constexpr std::uint32_t WM_PANEL_SHOW_TROOP = 2076;
constexpr std::uint32_t WM_PANEL_SHOW_CELL = 2077;
constexpr std::uint32_t WM_MAP_REBUILD = 2097;
constexpr std::uint32_t WM_HQ_VIEW_RECT = 2098;
constexpr std::uint32_t WM_MAP_QUERY_VIEW = 2099;
constexpr std::uint32_t WM_SET_VIEW_RECT = 2100;
constexpr std::uint32_t WM_MAP_TICK_REDRAW = 2102;
constexpr std::uint32_t WM_ORGANIZE_PLACEMENT_CHANGED = 2108;
constexpr std::uint32_t WM_GRASP_RESIZE = 2110;
constexpr std::uint32_t WM_GRASP_REBUILD = 2111;
constexpr std::uint32_t WM_MAP_CENTER = 2117;
constexpr std::uint32_t WM_MAP_COMMAND = 2121;
constexpr std::uint32_t WM_MAP_DISPLAY_SETTING = 2126;
constexpr std::uint32_t WM_MAP_TROOP_REMOVED = 2130;

}  // namespace zv::mapview
