#pragma once

// Reinforcement requests: a troop of a country's corps that is not on the map is asked for at a
// hex and enters the game there later (the simulation carries the request out). The helper
// window lists the local player's pending requests and withdraws one ("要請破棄"); dialog 351
// offers the corps troops that may be sent to a hex.

#include <cstdint>
#include <vector>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::rules {
class GameContext;
class ForceCursor;
class TableDirectory;
}  // namespace zv::rules

namespace zv::panels {

constexpr int kReinforcementDialog = 351;
constexpr int IDC_HELPER_LIST = 48600;
constexpr int IDC_HELPER_WITHDRAW = 48601;
constexpr int IDC_REINFORCE_LIST = 1177;
constexpr int IDC_REINFORCE_SEND = 1214;
constexpr int IDC_REINFORCE_COUNT = 1222;

constexpr std::uint16_t kRequestPending = 0x2000;
constexpr std::uint16_t kRequestExcluded = 0x8000;

// Whether corps troop `troop` of the cursor's selected slot may be asked for at hex (x, y).
// siteFlag: the hex is at or near one of the player's own sites. `listing` adds the dialog's
// test that troops already on the map are not offered. The cursor's selection changes.
bool IsReinforcementEligible(rules::GameContext& ctx, rules::ForceCursor& force,
                             std::uint16_t troop, int x, int y, int siteFlag, bool listing);
// The eligible troops of country c's corps for a request to the hex (x low byte, y high).
std::vector<std::uint16_t> EligibleReinforcements(rules::TableDirectory& tables, std::uint8_t c,
                                                  std::uint16_t hex, int siteFlag);

// Runs dialog 351 and records the chosen troop's request; the troop or kNoTroop.
std::uint16_t RequestReinforcements(ui::Hwnd owner, std::uint8_t country, std::uint16_t hex,
                                    int siteFlag);

// Registers the class "HelperWindow" (once; true when it exists afterwards).
bool RegisterHelperWindowClass();
ui::Hwnd CreateHelperWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);
// The corps troop shown in each row of the helper window.
const std::vector<std::uint16_t>& HelperWindowRows();

void RegisterHelperDialogs();

}  // namespace zv::panels
