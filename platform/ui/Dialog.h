#pragma once

// The dialog manager: dialogs built from templates (DialogTemplate.h), modal with their own
// loop or modeless, keyboard navigation (Tab, arrows within a group, Enter, Esc, mnemonics),
// the dialog font and dialog units, and the item helpers. Works on the current window manager.
//
// A dialog procedure answers TRUE (non-zero) for messages it handled; what the message itself
// returns then goes in DWLP_MSGRESULT, except for WM_INITDIALOG and WM_CTLCOLOR*, whose
// answer is the procedure's return value. Fonts travel in WM_SETFONT as `const Font*`.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

struct Msg;

using DlgProc = intptr_t (*)(Hwnd, uint32_t, WParam, LParam);

// The window class of dialogs.
inline constexpr const char* kDialogClass = "#32770";

// Modal: disables the owner, runs its own loop (serving cross-thread sends) until EndDialog,
// and returns EndDialog's result; -1 when the template is unknown or a control could not be
// made.
intptr_t DialogBoxParam(void* instance, int templateNumber, Hwnd owner, DlgProc proc,
                        LParam param = 0);
intptr_t DialogBoxIndirectParam(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc,
                                LParam param = 0);
// Modeless: returns the dialog (shown when the template has WS_VISIBLE); null on failure. Its
// owner's loop passes messages through IsDialogMessage.
Hwnd CreateDialogParam(void* instance, int templateNumber, Hwnd owner, DlgProc proc,
                       LParam param = 0);
Hwnd CreateDialogIndirectParam(void* instance, const DialogTemplate& t, Hwnd owner, DlgProc proc,
                               LParam param = 0);
// Ends a modal dialog once its procedure returns (a modeless one is just hidden: its owner
// destroys it).
bool EndDialog(Hwnd dlg, intptr_t result);
// Handles the keyboard of the dialog for a message meant for it or one of its controls; true
// when the message was used (translated and dispatched as needed).
bool IsDialogMessage(Hwnd dlg, Msg* m);
LResult DefDlgProc(Hwnd dlg, uint32_t msg, WParam w, LParam l);

// Items.
LResult SendDlgItemMessage(Hwnd dlg, int id, uint32_t msg, WParam w, LParam l);
bool SetDlgItemText(Hwnd dlg, int id, const std::string& sjis);
std::string GetDlgItemText(Hwnd dlg, int id);
bool SetDlgItemInt(Hwnd dlg, int id, unsigned value, bool isSigned);
// The item's text as a number; *ok tells whether it was one (spaces around allowed, nothing
// else). Out of range or not a number gives 0 and *ok false.
unsigned GetDlgItemInt(Hwnd dlg, int id, bool* ok, bool isSigned);
bool CheckDlgButton(Hwnd dlg, int id, unsigned check);
unsigned IsDlgButtonChecked(Hwnd dlg, int id);
bool CheckRadioButton(Hwnd dlg, int firstId, int lastId, int checkId);
// The next (or previous) WS_TABSTOP control that is visible and enabled, wrapping round.
Hwnd GetNextDlgTabItem(Hwnd dlg, Hwnd from, bool previous);
// The next (or previous) control of from's WS_GROUP, wrapping within the group.
Hwnd GetNextDlgGroupItem(Hwnd dlg, Hwnd from, bool previous);

// The dialog's controls in keyboard order: the template's order, then controls made later.
std::vector<Hwnd> GetDialogControls(Hwnd dlg);

// Dialog units: x counts quarters of the dialog font's average character width, y eighths of
// its height.
bool MapDialogRect(Hwnd dlg, Rect* r);
// The base units (average width, height) of a dialog's font, or of the default dialog font.
Size DialogBaseUnits(Hwnd dlg);
Size DialogBaseUnitsOf(const Font& font);
Rect DialogUnitsToPixels(const Font& font, int x, int y, int cx, int cy);
// The font a template asks for.
Font DialogFontFor(const DialogTemplate& t);

}  // namespace zv::ui
