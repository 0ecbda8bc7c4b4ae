// The file dialog's template: the standard controls of the open and save dialogs. The dialog
// sets its title and the Open/Save text itself; a child template goes below these controls.
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {

namespace {

DialogTemplate FileDialogTemplate() {
    DialogTemplate t;
    t.number = kFileDialogTemplate;
    t.title = "開く";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.cx = 300;
    t.cy = 176;
    // Template order is keyboard order: look in, list, name, type, read-only, buttons.
    t.items = {
        {stc4, "STATIC", "ファイルの場所(&I):", 7, 9, 76, 10, SS_LEFT},
        {cmb2, "COMBOBOX", "", 86, 6, 184, 160,
         CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP |
             WS_GROUP},
        {kFileDialogUpButton, "BUTTON", "", 275, 6, 18, 15, BS_OWNERDRAW},
        {lst1, "LISTBOX", "", 7, 26, 286, 92,
         LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
             WS_BORDER | WS_TABSTOP | WS_GROUP},
        {stc3, "STATIC", "ファイル名(&N):", 7, 126, 76, 10, SS_LEFT},
        {edt1, "EDIT", "", 86, 124, 150, 13, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP},
        {stc2, "STATIC", "ファイルの種類(&T):", 7, 145, 76, 10, SS_LEFT},
        {cmb1, "COMBOBOX", "", 86, 142, 150, 100,
         CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP},
        {chx1, "BUTTON", "読み取り専用ファイルとして開く(&R)", 86, 160, 180, 10,
         BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP},
        {IDOK, "BUTTON", "開く(&O)", 242, 123, 51, 15,
         BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
        {IDCANCEL, "BUTTON", "キャンセル", 242, 141, 51, 15, WS_TABSTOP},
    };
    return t;
}

}  // namespace

void RegisterFileDialogTemplate() {
    DialogRegistry::Global().Add(FileDialogTemplate());
}

}  // namespace zv::ui
