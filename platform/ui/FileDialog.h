#pragma once

// The open and save file dialogs, in the shape the game's code calls them: an OpenFileName
// record, GetOpenFileName / GetSaveFileName and CommDlgExtendedError. Flags, notification
// codes, messages and error numbers keep the values of the system the game was written for.
//
// The dialog is template kFileDialogTemplate of the registry: a "look in" combo with an
// up-one-level button, the list of folders and of the files that match the current type,
// the file name edit, the type combo, the Open/Save and Cancel buttons and the read-only box.
// Texts are Shift-JIS. Paths handed back keep the bytes of the names on the disk (see
// FileDialogNames.h), with '/' between components.
//
// Explorer-style extension: with OFN_ENABLETEMPLATE the template `templateId` of the registry
// becomes a child dialog of the file dialog, which grows to hold it: the child covers the
// whole client area at the bottom of the z-order and its controls move below the standard
// ones. With OFN_ENABLEHOOK `hook` is the child's dialog procedure (without a template the
// child is empty and invisible): it gets WM_INITDIALOG (lParam the OpenFileName) and every
// message of the child, and WM_NOTIFY with an OfNotify record (CDN_*). The child asks its
// parent (the file dialog) for names with the CDM_* messages.

#include <cstdint>

#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/controls/CommonControls.h"

namespace zv::ui {

// Flags (OpenFileName::flags).
constexpr uint32_t OFN_READONLY = 0x00000001;  // in: box checked; out: the box's state
constexpr uint32_t OFN_OVERWRITEPROMPT = 0x00000002;
constexpr uint32_t OFN_HIDEREADONLY = 0x00000004;
constexpr uint32_t OFN_NOCHANGEDIR = 0x00000008;
constexpr uint32_t OFN_ENABLEHOOK = 0x00000020;
constexpr uint32_t OFN_ENABLETEMPLATE = 0x00000040;
constexpr uint32_t OFN_PATHMUSTEXIST = 0x00000800;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x00001000;
constexpr uint32_t OFN_NOTESTFILECREATE = 0x00010000;
constexpr uint32_t OFN_EXPLORER = 0x00080000;

// Notifications to the hook (OfNotify::hdr.code).
constexpr uint32_t CDN_FIRST = static_cast<uint32_t>(-601);
constexpr uint32_t CDN_INITDONE = CDN_FIRST - 0;
constexpr uint32_t CDN_SELCHANGE = CDN_FIRST - 1;
constexpr uint32_t CDN_FOLDERCHANGE = CDN_FIRST - 2;
constexpr uint32_t CDN_FILEOK = CDN_FIRST - 5;
constexpr uint32_t CDN_TYPECHANGE = CDN_FIRST - 6;

// Questions to the file dialog (sent to the hook's parent). wParam: the buffer's size in
// bytes; lParam: the buffer (char*). The answer is the length the text needs, its zero
// included; the text is copied only when it fits. A negative answer means no dialog.
constexpr uint32_t CDM_FIRST = WM_USER + 100;
constexpr uint32_t CDM_GETSPEC = CDM_FIRST + 0;
constexpr uint32_t CDM_GETFILEPATH = CDM_FIRST + 1;
constexpr uint32_t CDM_GETFOLDERPATH = CDM_FIRST + 2;

// CommDlgExtendedError answers.
constexpr uint32_t CDERR_STRUCTSIZE = 0x0001;
constexpr uint32_t CDERR_INITIALIZATION = 0x0002;
constexpr uint32_t CDERR_NOTEMPLATE = 0x0003;
constexpr uint32_t CDERR_FINDRESFAILURE = 0x0006;
constexpr uint32_t CDERR_NOHOOK = 0x000B;
constexpr uint32_t CDERR_DIALOGFAILURE = 0xFFFF;
constexpr uint32_t FNERR_INVALIDFILENAME = 0x3002;
constexpr uint32_t FNERR_BUFFERTOOSMALL = 0x3003;

// The standard controls, with the ids the system gives them.
constexpr int kFileDialogTemplate = 1536;
constexpr int chx1 = 0x0410;  // read-only box
constexpr int stc2 = 0x0441;  // "ファイルの種類"
constexpr int stc3 = 0x0442;  // "ファイル名"
constexpr int stc4 = 0x0443;  // "ファイルの場所"
constexpr int lst1 = 0x0460;  // folders and files
constexpr int cmb1 = 0x0470;  // file types
constexpr int cmb2 = 0x0471;  // look in
constexpr int edt1 = 0x0480;  // file name
constexpr int kFileDialogUpButton = 0xA001;  // up one level

struct OpenFileName {
    uint32_t structSize = sizeof(OpenFileName);
    Hwnd owner{};
    void* instance = nullptr;
    // "label\0pattern\0...\0\0" (Shift-JIS); patterns separated by ';'. Null: every file.
    const char* filter = nullptr;
    uint32_t filterIndex = 0;  // 1-based; 0 takes the first. Out: the type chosen.
    // In: an initial name (a path, a pattern or empty); out: the chosen path.
    char* file = nullptr;
    uint32_t maxFile = 0;       // bytes, the zero included
    char* fileTitle = nullptr;  // out: the chosen name without its folder (may be null)
    uint32_t maxFileTitle = 0;
    const char* initialDir = nullptr;  // a game path; null or missing: the current directory
    const char* title = nullptr;       // null: "開く" or "名前を付けて保存"
    uint32_t flags = 0;
    uint16_t fileOffset = 0;     // out: where the name starts in `file`
    uint16_t fileExtension = 0;  // out: where its extension starts (after the dot), 0: none
    const char* defExt = nullptr;
    LParam custData = 0;
    DlgProc hook = nullptr;
    int templateId = 0;
};

// WM_NOTIFY's record for the hook.
struct OfNotify {
    NmHdr hdr;                  // hwndFrom: the file dialog; idFrom 0; code: CDN_*
    OpenFileName* ofn = nullptr;
    char* file = nullptr;       // CDN_FILEOK: the path about to be returned
};

// Modal (the owner's window is held and cross-thread sends are served while it is up).
// 1 when a name was chosen (in ofn->file), 0 when cancelled or on failure (then
// CommDlgExtendedError tells which; 0 after a cancel). A cancel leaves ofn->file as it was.
int GetOpenFileName(OpenFileName* ofn);
int GetSaveFileName(OpenFileName* ofn);
// The failure of the last call on this thread.
uint32_t CommDlgExtendedError();

// Puts the dialog's template into the registry (the dialogs do it themselves; tests that
// check every registered template call it first).
void RegisterFileDialogTemplate();

}  // namespace zv::ui
