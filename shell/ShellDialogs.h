#pragma once

// The shell's small dialogs, the notification helpers that refresh an information window only
// while it is on screen, and the developer's debug windows.
//
// Templates (registered by RegisterShellDialogs into the dialog registry):
//   347 "バージョン情報"   version dialog: list view 1177, title 1219, notice 1220, OK, 1214
//   349 "スタッフ"         staff dialog (OK)
//   350 system menu        1214 タイトルに戻る, 1215 セーブ, 1216 バージョン情報, 1217 ゲーム終了, 2
//   353 / 367              progress of a data transfer: bar 1223, "データ受信中" / "データ送信中"
//   112 "この製品について" editor about box: static 1048, close 2
//   364                    a list of names and OK
//   124                    the picture dialog (PictureHelpers.h)
//   365 "チャット"         the network wait window (ChatWindow.h)

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::shell {

constexpr int kVersionDialog = 347;
constexpr int kStaffDialog = 349;
constexpr int kSystemMenuDialog = 350;
constexpr int kReceiveProgressDialog = 353;
constexpr int kSendProgressDialog = 367;
constexpr int kEditorAboutDialog = 112;
constexpr int kSmallInfoDialog = 364;
constexpr int kPictureDialog = 124;
constexpr int kNetworkWaitDialog = 365;

constexpr int kIdVersionList = 1177;
constexpr int kIdVersionTitle = 1219;
constexpr int kIdVersionNotice = 1220;
constexpr int kIdStaffButton = 1214;
// The system menu's buttons.
constexpr int kIdSystemReturnToTitle = 1214;
constexpr int kIdSystemSave = 1215;
constexpr int kIdSystemVersion = 1216;
constexpr int kIdSystemQuit = 1217;
constexpr int kIdProgressBar = 1223;
constexpr int kIdAboutText = 1048;
constexpr int kIdNameList = 1300;

// The texts this program shows in them (UTF-8).
inline constexpr const char* kGameTitle = "ZV6";
inline constexpr const char* kVersionNotice = "四か国リアルタイム戦略シミュレーション  (C) ZV6 開発チーム";

// Adds every template above to the registry (harmless to repeat).
void RegisterShellDialogs();

int ShowVersionDialog(ui::Hwnd owner);
void FillVersionList(ui::Hwnd dialog);
int ShowStaffDialog(ui::Hwnd owner);
ui::Hwnd CreateReceiveProgressDialog(ui::Hwnd owner);
ui::Hwnd CreateSendProgressDialog(ui::Hwnd owner);
// The command chosen: kCmdReturnToTitle, kCmdSaveGame, kCmdAbout (version), kCmdQuit or
// IDCANCEL.
intptr_t ShowSystemMenuDialog(ui::Hwnd owner);
int ShowEditorAboutDialog(ui::Hwnd owner);
intptr_t ShowSmallInfoDialog(ui::Hwnd owner);

// The procedures (for tests that drive the dialogs modeless).
intptr_t VersionDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
intptr_t StaffDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
intptr_t ProgressDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
intptr_t SystemMenuDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
intptr_t EditorAboutDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
intptr_t SmallInfoDialogProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);

// ---- notifications ----------------------------------------------------------------------------

// Each sends its message only when the window of its kind exists and is visible, and returns
// the answer; else 0.
intptr_t NotifySiteListWindow();
intptr_t NotifyCampInfoWindow();
intptr_t NotifyTroopNumListWindow();
// lParam points at the two 16-bit values a and b.
intptr_t NotifyHqWindow(uintptr_t wParam, int16_t a, int16_t b);

// One of the fixed panel places: kind 1, 2, 4 or 8/15, column 1-3, row 1-2. 0 for any other
// argument.
int LookupPanelLayout(int kind, int column, int row, ui::Point* position, ui::Size* size);

// ---- debug facilities -------------------------------------------------------------------------

// What the debug check runs: the alliance and approval dialogs belong to the in-game windows,
// which install these; missing ones are skipped.
struct DebugCheckServices {
    // The alliance conclude dialog without owner for `country`, all four countries active and
    // human, no candidates.
    void (*allianceConclude)(int country) = nullptr;
    // The approval dialog; true when approved.
    bool (*approve)(ui::Hwnd owner, const char* text) = nullptr;
};
void SetDebugCheckServices(const DebugCheckServices& services);
// Command kCmdDebugCheck.
void RunDebugCheck();

// "COMMDEBUG": a window with a list of lines ("通信デバッグ").
int CreateCommDebugWindow(void* instance);
ui::LResult CommDebugWindowProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
// Appends one formatted line (Shift-JIS) and shows it.
void CommDebugPrintf(const char* format, ...);
ui::Hwnd GetCommDebugWindow();
// "TEST": the program's CompanyName and ProductVersion.
int CreateTestWindow(void* instance, ui::Hwnd owner);
ui::LResult TestWindowProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
// Sets the frame's title (at most 512 bytes).
void SetFrameTitleFormatted(const char* format, ...);
// One box "IP address is: '%s'" per address of the host, or "gethostbyname failed: %d".
int ShowHostAddresses(const char* hostName);

}  // namespace zv::shell
