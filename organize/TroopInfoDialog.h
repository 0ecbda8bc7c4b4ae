#pragma once

// The in-game troop information dialog (部隊情報) and its weapon-exchange face (武装交換): the
// organisation dialog's template in a smaller layout around the troop information window. The
// window edits the cached copy of the troop (the world's troop cache); 決定 issues the edits as
// one member-settings order through the simulation's journal, so that every participant applies
// them alike. Nothing is written into the troop table by the dialog itself.

#include <array>
#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::rules {
class TroopCursor;
}

namespace zv::organize {

struct OrganizeWorld;

// The open dialog's parameters; with none open, those of the next opening.
struct TroopInfoState {
    std::int16_t troop = -1;
    std::uint16_t playerCountry = 0;
    std::string title;  // Shift-JIS, at most 79 bytes
    std::uint16_t infoFlag = 0;
    std::uint16_t exchangeFlag = 0;  // 8: weapon exchange
    std::uint16_t page = 0;
    std::int16_t country = 0;
    ui::Hwnd dialog{};
};
TroopInfoState& GetTroopInfoState();

// Title (Shift-JIS); returns its length + 1.
int SetTroopInfoTitle(const char* text);
void SetTroopInfoParams(int troop, int infoFlag, int page, int country, int exchangeFlag);

// 1 after 決定 (the order is issued), 0 otherwise, also when the troop does not select.
int RunTroopInfoDialog(ui::Hwnd owner);
intptr_t TroopInfoDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);

// 部隊情報 of a troop: with mode 0 a number below 40 counts within the country's block of 40.
// Holds the simulation's dialog busy bit while open. The result of RunTroopInfoDialog.
int ShowTroopInfo(ui::Hwnd owner, std::uint8_t country, std::uint16_t troop, int mode);
// 武装交換 of a troop: only the 武装 page, and the packs may always be chosen.
int ShowWeaponExchange(ui::Hwnd owner, std::uint16_t troop);

// The 38-byte member-settings block of the selected troop: per formation slot its pack and
// attack and defence settings, the current formation's five settings, the formation itself,
// the slot byte and a zero.
std::array<std::uint8_t, 38> BuildMemberSettingsPayload(rules::TroopCursor& troop);
// 決定's member-settings order: into the world's simulation when a game runs (its step applies
// it), else applied at once to the world's tables as the journal would. 1 when taken.
int IssueMemberSettings(OrganizeWorld& world, std::uint16_t troop, std::uint16_t supplyAfter,
                        const std::array<std::uint8_t, 38>& block);

}  // namespace zv::organize
