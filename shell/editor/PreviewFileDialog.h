#pragma once

// The game's file choosing: open and save dialogs with a filter made from a label and a
// pattern, an optional preview pane (template 316: the map's name, a 128 x 128 picture in one
// of three modes, the countries taking part and their sites by kind, the description), and the
// process-wide record of the last chosen file, which the map editor takes as its document's
// current file.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

constexpr int kPreviewPaneTemplate = 316;
constexpr int kIdPreviewNormal = 1194;     // "通常"
constexpr int kIdPreviewBuildings = 1195;  // "建物"
constexpr int kIdPreviewPlacement = 1196;  // "配置範囲"
constexpr int kIdPreviewDescription = 1198;
// The pane's height in pixels below the standard controls.
constexpr int kPreviewPaneHeight = 176;

// The last chosen file (Shift-JIS game paths, '/' or '\' between folders).
struct FileSelection {
    char path[260] = {};
    char drive[4] = {};
    char directory[256] = {};
    char name[256] = {};       // without extension
    char extension[256] = {};  // with its dot
};

const FileSelection& GetFileSelection();
char* GetSelectedFilePath();
char* GetSelectedFileName();
void ClearFileSelection();
// Splits a path into the selection's parts (as a successful dialog does).
void SetFileSelection(const std::string& path);

using FileDialogHook = intptr_t (*)(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
// One-shot extras consumed by the next dialog.
void SetFileDialogHook(FileDialogHook hook, int templateId);

// The filter: label (or "すべてのファイル") + "(pattern)" or "(*.*)", zero, pattern or "*.*",
// zero (Shift-JIS, without the final zero the string adds).
std::string BuildFileFilter(const char* labelUtf8, const char* pattern);

// 1 when a file was chosen (the selection then holds it), 0 when cancelled.
int ShowFileDialog(ui::Hwnd owner, const char* labelUtf8, const char* pattern, const char* initialDir, int save);
// The dialog, then on success the map is written (save) or read into the live tables (open).
// The result of that operation; 0 when cancelled. A failed operation says why in a message box.
int RunMapFileDialog(ui::Hwnd owner, const char* labelUtf8, const char* pattern, const char* initialDir, int save);
int OpenMapFileDialog(ui::Hwnd owner);
int SaveMapFileDialog(ui::Hwnd owner);
// Copies every country's funds into its computer-player funds, then saves the game into the
// program folder's SAVE (made when missing; a file chosen elsewhere is refused with a box that
// names the folder, and the dialog comes again).
int OpenSaveGameDialog(ui::Hwnd owner);
// The folder of saved games ("SAVE/" in the program folder), and whether a path is a saved
// game there (".ddg" in any case of letters), where the list of saved games finds it.
std::string SaveGameFolder();
bool IsSaveGamePath(const std::string& path);

intptr_t FileDialogHookProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l);
intptr_t FilePreviewHook(ui::Hwnd pane, uint32_t msg, ui::WParam w, ui::LParam l);
void DrawFilePreview(ui::Hwnd pane);
void RefreshFilePreview(ui::Hwnd pane, const char* path);
// The pane's mode (0 normal, 1 buildings, 2 deployment areas) and origin (tests).
int GetFilePreviewMode();
ui::Point GetFilePreviewOrigin(ui::Hwnd pane);

void RegisterPreviewPaneTemplate();

}  // namespace zv::shell
