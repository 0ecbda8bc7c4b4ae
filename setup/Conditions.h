#pragma once

// The game-conditions controls and routines: the conditions block (days, deployable and total
// troops, the three switches) and one row per country (role, war funds, anthem, alliances).
// The single-play conditions page and the network conditions page build their pages from
// these; the network page passes its own flags.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::fw {
class Dib;
}
namespace zv::ui {
class Font;
}

namespace zv::setup {

// Control ids.
constexpr int kIdMapName = 15019;
constexpr int kIdLastDay = 15021;
constexpr int kIdLastHour = 15022;
constexpr int kIdDeployable = 15023;
constexpr int kIdTotalTroops = 15024;
constexpr int kIdSearch = 15025;
constexpr int kIdAllianceChange = 15026;
constexpr int kIdReinforcement = 15027;
// Row c of country c: role combo, funds edit, anthem combo, three alliance boxes.
constexpr int kRowIdStep = 7;
constexpr int RoleComboId(int c) { return 15028 + kRowIdStep * c; }
constexpr int FundsEditId(int c) { return 15029 + kRowIdStep * c; }
constexpr int AnthemComboId(int c) { return 15030 + kRowIdStep * c; }
// Box k (0-2) of row c names the k-th other country in country order.
constexpr int AllianceBoxId(int c, int k) { return 15032 + kRowIdStep * c + k; }
constexpr int RowY(int c) { return 30 + 28 * c; }

// Entries of the role combos, in this order.
enum RoleEntry : int { kRoleUser = 0, kRoleSpectator = 1, kRoleComputer = 2, kRoleAbsent = 3 };
// Anthem combo: "BGMなし" then "BGM1" ... "BGM6".
constexpr int kAnthemEntries = 7;

// Limits the conditions are checked against.
constexpr int kMaxLastDay = 99;
constexpr int kMaxDeployable = 40;
constexpr int kMaxTotalTroops = 80;
constexpr std::int32_t kMaxWarFunds = 99999999;

// The alliance masks (bit c: allied with country c) a conditions page keeps; 0 and nothing kept
// for a window that is no conditions page.
std::uint8_t GetAllianceMask(ui::Hwnd page, int country);
void SetAllianceMask(ui::Hwnd page, int country, std::uint8_t mask);

// The partner country box k of row c names.
int AlliancePartner(int row, int k);

void CreateConditionsControls(ui::Hwnd page, const ui::Font* font);
void CreateCountryRow(ui::Hwnd page, int country, const ui::Font* font);
// The labels, the frame and the country marks drawn into the page's background.
void DrawConditionsLabels(ui::Hwnd page, fw::Dib* background);
// The conditions of the loaded game into the controls. network: 0 single play, 1 a network
// client (all locked), 2 the network host.
void ShowConditionsFromGame(ui::Hwnd page, int network);
void ShowCountryRowFromGame(ui::Hwnd page, int country, bool lockAll);
void OnRoleChanged(ui::Hwnd page, int row);
void ToggleAlliance(ui::Hwnd page, int row, int boxId);
void UpdateAllianceBoxes(ui::Hwnd page);
void RestrictAllianceBoxes(ui::Hwnd page);
void DisableAlliancesWhenFew(ui::Hwnd page);
void PlayAnthemOfCombo(ui::Hwnd page, int comboId);

// Validates the single-play conditions page and writes the game settings. 1 when accepted; on
// the first refusal its text is shown and 0 returned, nothing written past the failing check.
int ApplyConditionsToSettings(ui::Hwnd page);

// The single-play conditions page "SinglePlay3".
ui::LResult SinglePlay3Proc(ui::Hwnd page, std::uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::setup
