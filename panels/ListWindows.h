#pragma once

// The troop list (部隊一覧: one country's troops that the local player may see, with position,
// status and the display switch) and the weapon list (兵器一覧: every weapon of the rule
// tables), two MDI children the frame creates hidden and shows from its menu. Double-clicking a
// weapon opens its detail sheet, dialog 319.

#include <cstdint>
#include <vector>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::panels {

constexpr int IDC_TROOP_LIST = 10003;
constexpr int IDC_WEAPON_LIST = 10001;
constexpr int IDM_WEAPON_LIST = shell::kCmdUnitList;
constexpr int kWeaponDetailDialog = 319;
// The troop's display switch (shown as ON in the list).
constexpr std::uint16_t kTroopDisplayFlag = 0x4000;

// Children of the MDI client `client`, hidden.
ui::Hwnd CreatePartyListWindow(void* instance, ui::Hwnd client);
ui::Hwnd CreateUnitListWindow(void* instance, ui::Hwnd client);

// The troop (table index) of each troop-list row, and the shown country.
const std::vector<std::uint16_t>& TroopListRows();
int TroopListCountry();
// The unit-information index of each weapon-list row.
const std::vector<std::uint16_t>& WeaponListRows();

// The weapon detail sheet of a unit, modal, with the clock held; 1.
int ShowUnitKindInfoDialog(ui::Hwnd owner, std::uint16_t unit);
void RegisterListWindowDialogs();

}  // namespace zv::panels

namespace zv::panels {
// The pack and the unit the weapon detail sheet `dialog` shows; -1 and no unit when `dialog` is
// no such sheet.
int GetWeaponDetailPack(ui::Hwnd dialog);
std::uint16_t GetWeaponDetailUnit(ui::Hwnd dialog);
// The word the sheet shows for a unit's defence type (0-9); nothing for another value.
const char* DefenceTypeName(int type);
}  // namespace zv::panels
