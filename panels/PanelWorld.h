#pragma once

// What the panels reach besides their own windows: the tables they show, the simulation that
// takes their orders and holds the clock, and the dialogs of other parts that a click opens.
// The program puts one into its services; tests into their own.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::rules {
class TableDirectory;
}
namespace zv::sim {
class Simulation;
}

namespace zv::panels {

// The neighbouring dialogs as the panels see them. Every answer has a harmless default, so a
// part of the program that is not there yet never breaks a click.
class PanelHost {
  public:
    virtual ~PanelHost() = default;
    // The troop information dialog for one of the player's troops.
    virtual void ShowTroopInfo(ui::Hwnd owner, std::uint8_t country, std::uint16_t troop,
                               int mode) {
        (void)owner;
        (void)country;
        (void)troop;
        (void)mode;
    }
    // The weapon exchange of a troop; non-zero when the user confirmed it.
    virtual int ShowWeaponExchange(ui::Hwnd owner, std::uint16_t troop) {
        (void)owner;
        (void)troop;
        return 0;
    }
    // The cargo chooser over the troops a carrier holds; -1 (0xFFFF) when cancelled.
    virtual std::uint16_t ChooseCargoTroop(ui::Hwnd owner, std::uint16_t carrier) {
        (void)owner;
        (void)carrier;
        return 0xFFFF;
    }
    // The same chooser answering with a one-bit mask; 0 when cancelled.
    virtual std::uint16_t ChooseCargoTroopBit(ui::Hwnd owner, std::uint16_t carrier) {
        (void)owner;
        (void)carrier;
        return 0;
    }
    // The separable-weapon chooser: low 16 bits the weapon classes, bits 16-23 the range; 0
    // when cancelled.
    virtual std::uint32_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode,
                                                int options) {
        (void)owner;
        (void)troop;
        (void)mode;
        (void)options;
        return 0;
    }
};

struct PanelWorld {
    rules::TableDirectory* tables = nullptr;
    // Orders, busy bits and the session's role; null: orders go nowhere and the speed can
    // always be changed (single play).
    sim::Simulation* simulation = nullptr;
    PanelHost* host = nullptr;
};

// The world the panels show: the installed services' panels slot (shell/ProgramServices.h).
// Null: none; the panels then show their backgrounds.
PanelWorld* CurrentPanelWorld();
rules::TableDirectory* PanelTables();
PanelHost& CurrentPanelHost();

// Busy bit of the clock (nothing without a simulation).
void SetPanelBusyBit(int bit, int on);
// Single play or the journal host: the one who may change the game speed.
bool MayChangeGameSpeed();

}  // namespace zv::panels
