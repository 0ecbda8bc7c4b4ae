#pragma once

// The map editor's settings dialogs over the live tables: dialog 138 "マップ設定" (the map's
// title and comment, rule switches, time and deploy limits, and per country its name,
// participation, funds, corps, music, alliances) and dialog 139, the computer player's
// placement methods and order priorities of one country.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::mapview {

constexpr int kMapSettingsDialog = 138;
constexpr int kComputerPlayerDialog = 139;

// Dialog 138.
constexpr int kIdMapTitle = 1076;
constexpr int kIdMapComment = 1077;
constexpr int kIdRulesChangeable = 1211;
constexpr int kIdSearchOption = 1075;
constexpr int kIdAlliancesChange = 1209;
constexpr int kIdProduction = 1204;
constexpr int kIdDayLimit = 1206;
constexpr int kIdHourLimit = 1207;
constexpr int kIdDeployLimit = 1048;
constexpr int kIdCountryGroup = 1079;     // + country
constexpr int kIdCountryName = 1083;      // + country
constexpr int kIdParticipation = 1103;    // + country
constexpr int kIdFunds = 1087;            // + country
constexpr int kIdComputerFunds = 1091;    // + country
constexpr int kIdCorpsButton = 1095;      // + country
constexpr int kIdBgm = 1123;              // + country
constexpr int kIdAlliance = 1107;         // + 4 row + column
constexpr int kIdDetails = 1127;          // + country
// Dialog 139.
constexpr int kIdPlacement = 1125;  // six: 1125-1130
constexpr int kIdOrder = 1132;      // ten: 1132-1141

// The largest funds the 8-character fields take.
constexpr std::int32_t kMaxEditorFunds = 99999999;

void RegisterMapSettingsDialogs();

// Modal over the installed world's tables; on a non-zero result the camp information window
// is told to refresh (the caller sets the map window's caption).
intptr_t ShowMapSettingsDialog(ui::Hwnd owner);
// Copies the sixteen bytes in, runs dialog 139 and copies them back only on OK. The result.
intptr_t ShowComputerPlayerDialog(ui::Hwnd owner, const std::string& captionSjis,
                                  std::uint8_t placement[6], std::uint8_t orders[10]);

intptr_t MapSettingsDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l);
intptr_t ComputerPlayerDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l);

// The working operations of dialog 138 on the working arrays of the dialog `dlg` (one made with
// MapSettingsDialogProc; any other window: nothing, 0).
void LoadMapSettingsControls(ui::Hwnd dlg);
int ApplyMapSettings(ui::Hwnd dlg);
void ToggleMapAlliance(ui::Hwnd dlg, int row, int id);
void ShowAllianceRow(ui::Hwnd dlg, int country);
void EnableCountryControls(ui::Hwnd dlg, int country, bool enable);
// The dialog's working alliance mask of a country (tests look at the working arrays).
std::uint8_t WorkingAllianceMask(ui::Hwnd dlg, int country);

// The corps choice of a country: returns the chosen corps number (rules::kNoForceFileNumber
// none) after putting that corps into the country's corps slot. The default lists the corps
// files of the program directory's USER folder; the organisation module may install its own.
using CorpsChooser = std::function<std::uint16_t(ui::Hwnd owner, int country, std::uint16_t current)>;
void SetCorpsChooser(CorpsChooser chooser);

// The editor's message boxes (MB_OK or MB_YESNO; the answer IDOK, IDYES, IDNO). Tests install
// their own; empty restores ui::MessageBox.
using EditorMessageSink =
    std::function<int(ui::Hwnd owner, const std::string& utf8Text, const std::string& utf8Caption, uint32_t type)>;
void SetEditorMessageSink(EditorMessageSink sink);
int EditorMessageBox(ui::Hwnd owner, const std::string& utf8Text, const std::string& utf8Caption, uint32_t type);

}  // namespace zv::mapview
