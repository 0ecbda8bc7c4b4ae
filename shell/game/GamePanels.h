#pragma once

// The in-game windows of panels/ joined to the frame: the panel column and the fight manager,
// the HQ, helper, news and result windows, the troop and weapon lists, the information windows,
// the table group and the tool bar. InstallGamePanels adds them as a window module (created
// with the frame, recorded under their kinds), puts the panels' world over the game world into
// the program's services and installs the frame's commands of the game's end;
// UninstallGamePanels undoes it.

#include <cstdint>
#include <string>

#include "mapview/MapWorld.h"
#include "platform/ui/WindowTypes.h"
#include "shell/ProgramServices.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {

// Adds the windows' module; before the window classes are registered.
void AddGamePanelsModule();
// Puts the panels' world over the services' tables and simulation into `services`, installs
// their hooks and the frame's commands of the game's end; before the frame is created. The
// services must outlive UninstallGamePanels, which takes the world out of them again.
void InstallGamePanels(ProgramServices& services);
void UninstallGamePanels(ProgramServices& services);

// The tool bar (it takes no registry slot); null before the frame made it.
ui::Hwnd GetToolBarWindow();

// A window that is a page of the table group (news, troop and weapon lists, reinforcements, camp,
// terrain) shows only inside it: its tab is chosen and the group shown beside the map.
void RevealTableGroupPage(ui::Hwnd frame, WindowKind kind);

// The map windows' neighbours among the panels: the command window's choice and buttons, the
// launch and separation choices, reinforcement requests and the HQ window's hex redraws.
class PanelMapHost : public mapview::MapViewHost {
  public:
    int GetSelectedCommandCode() override;
    void UpdateCommandButtons(std::uint16_t mask, int redraw) override;
    std::uint16_t GetLaunchTroop() override;
    std::uint16_t GetSeparationChoice() override;
    std::uint16_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode,
                                        std::uint16_t options) override;
    void RequestReinforcements(ui::Hwnd owner, std::uint8_t country, std::uint16_t hex, int mode) override;
    void NotifyHqWindow(int what, std::uint16_t hex) override;
};

// An alliance proposal heard on the clock thread, kept until the frame asks the player on the
// GUI thread (WM_ALLIANCE_PROPOSAL); an answer notice (WM_ALLIANCE_ANSWER, wParam its index).
void QueueAllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                           const std::string& proposerSjis);
ui::LResult HandleAllianceMessage(ui::Hwnd frame, std::uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::shell
