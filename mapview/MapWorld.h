#pragma once

// What the map windows reach besides their own objects: the world they show (tables, the
// simulation that takes their orders, the route searches of the GUI thread) and the windows of
// other parts that the clicks talk to (command window, reinforcement requests, message boxes).
// The program puts one into its services; tests into their own.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "rules/context/GameContext.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"

namespace zv::sim {
class Simulation;
}

namespace zv::mapview {

// The neighbouring windows as the map clicks see them. Every answer has a harmless default,
// so a program part that is not there yet never breaks a click.
class MapViewHost {
  public:
    virtual ~MapViewHost() = default;
    // The command window: the highlighted command (0 none, 26 for 待機) and its buttons.
    virtual int GetSelectedCommandCode() { return 0; }
    virtual void UpdateCommandButtons(std::uint16_t mask, int redraw) {
        (void)mask;
        (void)redraw;
    }
    // The troop chosen for a launch (発進); rules::kNoTroop none.
    virtual std::uint16_t GetLaunchTroop() { return rules::kNoTroop; }
    // The weapon classes chosen for a separation (分散); 0 none.
    virtual std::uint16_t GetSeparationChoice() { return 0; }
    // The weapon chooser of a fire order (mode 1), offered the launch kinds in `options` that
    // reach the target; the chosen kinds (the low word of the chooser's answer), 0 cancelled.
    virtual std::uint16_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode,
                                                std::uint16_t options) {
        (void)owner;
        (void)troop;
        (void)mode;
        (void)options;
        return 0;
    }
    // The reinforcement request near the home site (mode 0) or at a site (mode 1).
    virtual void RequestReinforcements(ui::Hwnd owner, std::uint8_t country, std::uint16_t hex,
                                       int mode) {
        (void)owner;
        (void)country;
        (void)hex;
        (void)mode;
    }
    // A message box captioned with the game's title (UTF-8 text); true for OK or Yes.
    virtual bool Ask(ui::Hwnd owner, const std::string& utf8Text, bool yesNo);
    // The HQ window hears of a changed hex (the editor's paint).
    virtual void NotifyHqWindow(int what, std::uint16_t hex) {
        (void)what;
        (void)hex;
    }
    virtual void NotifyCampInfoWindow() {}
    virtual void NotifySiteListWindow() {}
    // The frame re-lays its docked windows after the overview changed size.
    virtual void RememberDockedWindows() {}
    // The map cursor hex of the information windows (x low 16 bits, y high).
    virtual void SetCursorHex(std::uint32_t hex) { (void)hex; }
};

struct MapWorld {
    rules::TableDirectory* tables = nullptr;
    // Orders and the busy bit of the selection; null: orders go nowhere.
    sim::Simulation* simulation = nullptr;
    rules::GameEvents* events = nullptr;
    // The route searches of the GUI thread (the map windows' instance); null: one per call.
    rules::RouteSearchSet* routeSearches = nullptr;
    MapViewHost* host = nullptr;
};

// The world the map windows show: the installed services' map slot (shell/ProgramServices.h).
// Null: none; the windows then refuse to be made.
MapWorld* CurrentMapWorld();
MapViewHost& CurrentMapHost();

// The environment of every rules object the map views build.
rules::GameContextEnv MapContextEnv();

}  // namespace zv::mapview
