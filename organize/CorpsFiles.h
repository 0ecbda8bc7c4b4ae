#pragma once

// The corps files "useFrc00.prm" ... "useFrc99.prm" in the folder "USER" of the corps folder and
// the three faces over one list of them: the modal corps file manager (dialog 309), the
// modeless corps list of the corps pages (dialog 325) and the corps choice of the map settings
// (dialogs 317 and 318, ChooseCountryCorps).
//
// The list's rows and the entries need not agree (a file that cannot be read keeps its entry
// but gets no row): every command acts on the entry behind the clicked or selected row.
// WM_CORPS_CHOSEN and the result of dialog 317 carry that entry index.

#include <array>
#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::organize {

constexpr int kCorpsManagerDialog = 309;
constexpr int kCorpsChoiceDialog = 317;
constexpr int kCorpsConfirmDialog = 318;
constexpr int kCorpsListDialog = 325;

// Controls.
constexpr int kIdCorpsList = 1157;
constexpr int kIdCorpsNew = 1158;
constexpr int kIdCorpsDelete = 1159;
constexpr int kIdCorpsType = 1160;
constexpr int kIdCorpsCopy = 1161;
constexpr int kIdCorpsEdit = 1162;
constexpr int kIdCorpsClose = 1164;
constexpr int kIdCorpsName = 1165;
constexpr int kIdCorpsTypeName = 1166;
constexpr int kIdCorpsFiles = 1172;
constexpr int kIdCorpsCounts = 1174;  // 1174-1178 by altitude class, 1179 the totals
constexpr int kIdCorpsTotal = 1179;
constexpr int kIdCorpsLoad = 1180;
constexpr int kIdCorpsEditSelected = 1181;
constexpr int kIdCorpsCancel = 1179;  // dialogs 317 and 318
constexpr int kIdCorpsFrame = 1234;

constexpr int kCorpsFileLimit = 100;

struct CorpsFileEntry {
    char fileName[260] = {};
    char name[25] = {};
    char comment[257] = {};
    std::uint16_t templates[5] = {};
    std::uint16_t troops[5] = {};
    std::uint16_t productionType = 0;
    std::int32_t hasHq = 0;
};

int ShowCorpsFileManager(ui::Hwnd owner);
ui::Hwnd CreateCorpsListDialog(ui::Hwnd parentPage);
void SetCorpsListEditMode(int mode);
const CorpsFileEntry* GetCorpsFileEntry(int i);
int CorpsFileHasHQ(int i);
int GetCorpsFileCount();
// The entry behind a row of the list, -1 for none; and the row of an entry, -1 when it has none.
int CorpsEntryOfRow(int row);
int CorpsRowOfEntry(int entry);
std::int16_t ChooseCountryCorps(ui::Hwnd owner, int country, int index);

intptr_t CorpsFileManagerDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);
intptr_t CorpsListDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);
intptr_t CorpsConfirmDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::organize
