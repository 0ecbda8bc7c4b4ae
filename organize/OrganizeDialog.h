#pragma once

// The organisation dialog: the screen on which a corps (the working force, slot 0 of the force
// table) is composed of troops and templates. Callers load the corps into the working slot,
// then call SetOrganizeTitle, SetOrganizeParams and RunOrganizeDialog in this order.

#include <cstdint>
#include <string>

#include "organize/OrganizeState.h"
#include "platform/ui/WindowTypes.h"

namespace zv::organize {

// Registers the window classes and dialog templates of the organisation windows (again:
// nothing). RunOrganizeDialog and the corps dialogs call it themselves.
void RegisterOrganizeWindows();
// The dialog templates 309, 317, 318, 323, 325 and 368 (in the dialog registry).
void RegisterOrganizeTemplates();

// Title in Shift-JIS; returns its length + 1 (the stored copy is cut to 83 bytes).
int SetOrganizeTitle(const char* text);
void SetOrganizeParams(int initialTroop, int corpsFlag, int firstPage, int scope, int deployFlag);
// 1 when the dialog ended with 保存して終了 (or ゲーム開始), 0 otherwise. In corps editing a
// result of 1 writes the working force to its corps file (see SetOrganizeSaveFile).
int RunOrganizeDialog(ui::Hwnd owner);
intptr_t OrganizeDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);

// The corps file RunOrganizeDialog writes on 保存して終了: the file the corps was read from.
// The corps manager's 編集 sets it; empty means "write no file" (the working force is then
// only handed back to the caller).
void SetOrganizeSaveFile(const std::string& fileName);
const std::string& GetOrganizeSaveFile();
// The result of the last save: empty on success, else what went wrong (UTF-8).
const std::string& GetOrganizeSaveError();

// The menu command's entry: the corps editor opened on the corps of `fileName` in
// "<corps folder>/USER/", exactly as the corps manager's 編集 opens it. 1 when saved.
int RunCorpsEditor(ui::Hwnd owner, const std::string& fileName);

// The unit information dialog of the in-game windows, which a double click on a unit of the
// unit list opens; the frame installs it (null: the double click does nothing).
using UnitKindInfoDialog = void (*)(ui::Hwnd owner, int unit);
void SetUnitKindInfoDialog(UnitKindInfoDialog show);

// Deployment mode. RunDeploymentDialog loads the country's corps into the working force, runs
// the dialog on the deployment page (troops placed by clicks on its map, 自動配置, すべて回収)
// and stores the working force back into the country's slot, also when cancelled: 1 for
// ゲーム開始, 0 for タイトルに戻る or the close box.
int RunDeploymentDialog(ui::Hwnd owner, std::uint8_t country);
// ゲーム開始 of the open deployment dialog on or off (nothing when none is open).
void EnableOrganizeGameStart(int enable);
// Ends an open deployment dialog with 0 without asking (the session was lost): 1; 0 when none
// is open.
int PressOrganizeReturnToTitle();
// 1 when a troop of the player country stands on the map with a headquarters member.
int PlayerHasHQOnMap();
// The player country's funds and its deployed troops against the scenario's limit.
void ShowDeploymentBudget(ui::Hwnd dialog);

// Pack-choice flag (the pack buttons of the troop display obey it).
int GetTroopInfoExtraFlag();
void SetTroopInfoExtraFlag(int value);

void SelectOrganizeTroop(ui::Hwnd dialog, int index, int corpsFlag, int tab);
void StoreOrganizeTroop(ui::Hwnd dialog, int index, int altitudeClass, int kind);
void UpdateOrganizeButtons(ui::Hwnd dialog);
void SetOrganizeButtonState(ui::Hwnd dialog, int state);
// 1 when a second headquarters would stand in the scratch troop (another slot holds one).
int ViolatesHQPlatoonRule(int slot, int unit);
// The code of the first member of the scratch troop whose unit has an altitude class; 0 none.
std::uint8_t GetScratchAltitudeCode();
// The altitude-mix listing of dialog 368 (Shift-JIS, lines ended by CR LF); empty when no troop
// mixes 航空(高) and 航空(中) members.
std::string BuildAltitudeMixText();

// Layout, lists and counters.
void LayoutOrganizeDialog(ui::Hwnd dialog, const ui::Font* small, const ui::Font* large);
void FillOrganizeUnitList(ui::Hwnd tabWindow, int listId, int code, int type);
void FillOrganizeTroopLists(ui::Hwnd tabWindow, int forceType);
void ShowOrganizeListTab(ui::Hwnd dialog, int tab);
void ShowOrganizeCounters(ui::Hwnd dialog);
void SetDefaultTroopName(ui::Hwnd dialog, int altitudeClass);
// The image lists of the unit list and of the troop and template lists.
ui::ImageList* AttachListImagesA(ui::Hwnd window, int listId, ui::ImageList* old);
ui::ImageList* AttachListImagesB(ui::Hwnd window, int listId, ui::ImageList* old);
// Appends a row (Shift-JIS text, image index) to a list view; the new row's number.
int AppendRow(ui::Hwnd list, const std::string& sjis, int image);


}  // namespace zv::organize
