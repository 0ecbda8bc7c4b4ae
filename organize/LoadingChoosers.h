#pragma once

// Two small modal choosers an order may need: the loading status (搭載状況, dialog 324) lists a
// carrier's cargo troops, and for the map editor the carrier itself too; the separable-weapon
// chooser (dialog 326) lists the kinds of missiles or carried troops a troop can release when
// it has more than one. Both read the tables of the installed OrganizeWorld.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/WindowTypes.h"

namespace zv::organize {

inline constexpr int kLoadingStatusDialog = 324;
inline constexpr int kSeparableWeaponDialog = 326;
inline constexpr int kIdChooserList = 1177;

// Returned by the troop choosers when nothing was chosen.
inline constexpr std::uint16_t kNoChoice = 0xFFFF;

// Map troops 0-159 with members, not on the map and carried by `carrier`, in index order.
std::vector<std::uint16_t> CollectCargoRows(std::uint16_t carrier);

// The carrier (row 0) or one of its cargo troops; kNoChoice when cancelled. Owned by the active
// window.
std::uint16_t ChooseTroopFromCarrier(std::uint16_t carrier);
// A cargo row r as the bit 1 << r; 0 when cancelled or for row 8 and beyond. Owned by the frame.
std::uint16_t ChooseCargoTroopBit(std::uint16_t unused, std::uint16_t carrier);
// A cargo troop that can leave the carrier now; kNoChoice when cancelled or when it no longer
// can. Owned by the active window.
std::uint16_t ChooseCargoTroop(std::uint16_t carrier);

// The separable kind of mask bit 0-15: its name (UTF-8, empty for bit 14) and picture base.
struct SeparableKind {
    const char* name;
    int image;
};
const SeparableKind& GetSeparableKind(int bit);

// The weapon of a release or a fire order: mode 1 chooses among the missile kinds (bits 0-7),
// mode 0 among the carried kinds (bits 8-14). `mask` 0 takes the troop's own weapon classes.
// One candidate needs no dialog; with more, dialog 326 asks. Returns the range byte << 16 | the
// chosen kind's bit; 0 when the troop is not on the map, has nothing to release or the choice
// was cancelled.
std::uint32_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode, std::uint16_t mask);

// The dialog procedures (the templates are registered with the organisation windows').
intptr_t LoadingStatusDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);
intptr_t SeparableWeaponDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);
void RegisterChooserTemplates();

}  // namespace zv::organize
