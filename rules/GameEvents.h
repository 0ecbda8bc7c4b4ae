#pragma once

#include <cstdint>

namespace zv::rules {

// What the rules tell the game's windows. The shell implements it by sending the window
// messages; headless runs use this no-op base; tests use the recorder in rules/testing/.
// Every method has a no-op default so a new event never breaks existing implementations.
class GameEvents {
  public:
    virtual ~GameEvents() = default;

    // The news window reloads its records into the news table from element `first` on
    // (WM_NEWS_RELOAD); `records` points at table 26's base.
    virtual void NewsReload(std::uint32_t first, std::uint8_t* records) {
        (void)first;
        (void)records;
    }
    // The news window forgets every record (WM_NEWS_CLEAR).
    virtual void NewsClear() {}
    // The news window appends one 1008-byte news record (WM_NEWS_ADD); the window copies it.
    virtual void NewsAdd(const std::uint8_t* record) { (void)record; }
    // A map or saved game replaced the terrain: the route searches reload it.
    virtual void TerrainReloaded() {}
    // The map windows repaint from the current tables (WM_MAP_TICK_REDRAW).
    virtual void MapRedraw() {}
    // The country summary redraws (WM_REFRESH_CAMP_INFO).
    virtual void RefreshCampInfo() {}
};

// Shared do-nothing instance for callers that have no windows.
GameEvents& NoGameEvents();

}  // namespace zv::rules
