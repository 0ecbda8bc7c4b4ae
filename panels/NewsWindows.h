#pragma once

// The two windows that list news records: the news window (kind NewsWnd, an MDI child that
// collects the local player's news during a game) and the result window (kind ResultWnd, the
// 800 x 599 popup of the game's end with the victory or defeat picture, the player's figures
// and the whole news log). Both show the records in the same owner-drawn report list, whose
// rows carry 16 x 16 troop marks and site icons in the gaps the news texts leave for them.

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/NewsRecord.h"
#include "shell/WindowMessages.h"
#include "shell/FrameCommands.h"

namespace zv::ui {
class ImageList;
}

namespace zv::panels {

constexpr int IDC_NEWS_LIST = 10506;
constexpr int IDC_RESULT_LIST = 10507;
constexpr int IDC_NEWS_LIST_EMPTY = 10508;
constexpr int IDC_RESULT_END = 10650;
// The frame's menu items that show and hide the windows, and the return to the title.
constexpr int IDM_NEWS_WINDOW = shell::kCmdNews;
constexpr int IDM_RESULT_WINDOW = shell::kCmdResult;
constexpr int IDM_BACK_TO_TITLE = shell::kCmdReturnToTitle;

constexpr int kNewsKeptMax = 500;

// ---- the report list ----------------------------------------------------------------------

// The list child (owner-drawn report view, single selection) at the default place.
ui::Hwnd CreateReportListView(ui::Hwnd parent, int id);
// The four columns 時間 60, 座標 60, NEWS 200, 結果 160.
void AddReportListColumns(ui::Hwnd parent, int id);
// The 30 site icons (owner x 6 + site kind) cut from "hexMidl.bmp", set on the list; null when
// the sheet is missing.
ui::ImageList* CreateSiteIconImageList(ui::Hwnd parent, int id);
// The 48 troop marks (12 x country + troop picture) cut from "Unt_midl.bmp"; null when the
// sheet is missing. Set on the list as its image list.
ui::ImageList* CreateTroopMarkImageList(ui::Hwnd parent, int id);
// Appends the record's row (time, place, NEWS and 結果 cells; fills the record's name caches),
// dropping row 0 when the list held 500 rows or more.
void AddNewsListRow(ui::Hwnd parent, int id, rules::NewsRecord* record);

// ---- the news window ----------------------------------------------------------------------

// Creates the hidden MDI child in the MDI client (registers the class on the first call) and
// records it as NewsWnd. Messages: WM_NEWS_CLEAR, WM_NEWS_ADD (lParam the record),
// WM_NEWS_STORE (wParam first slot, lParam the table), WM_NEWS_SHOW (wParam nonzero: the empty
// list of a spectator or a fallen country).
ui::Hwnd CreateNewsWindow(ui::Hwnd mdiClient);
// The records the news window keeps, oldest first (tests and the frame).
const std::vector<rules::NewsRecord>& GetNewsWindowRecords();

// ---- the result window --------------------------------------------------------------------

// What the result window asks of the program at the end button (the frame installs them):
// music to start or stop (null name: stop), and the network leave of the journal host.
struct ResultWindowHooks {
    std::function<void(const char* musicFile)> playMusic;
    std::function<bool()> isJournalHost;
    std::function<void()> leaveSession;
};
void SetResultWindowHooks(ResultWindowHooks hooks);

// Creates the hidden popup over `owner` (registers the class) and records it as ResultWnd.
// Messages: WM_NEWS_CLEAR, WM_NEWS_ADD, WM_RESULT_SET_DATA (lParam the 44-byte statistics
// record), WM_RESULT_SHOW, WM_RESULT_ACTIVATE (lParam the show flag).
ui::Hwnd CreateResultWindow(ui::Hwnd owner);
const std::vector<rules::NewsRecord>& GetResultWindowRecords();

// Draws the victory ("victory.bmp", outcome 0) or defeat picture with the figures of the
// record onto the background; starts the win or lose music when the BGM setting is on.
void DrawResultPanel(ui::Hwnd window, fw::Dib* background,
                     const rules::CountryTable25Record& result);

// What the frame does at the end of a game: the news window's records go through table 26
// into the result window with the player's figures, and the result window comes up.
void ShowGameResult(std::uint8_t* newsTable, const rules::CountryTable25Record& result);

}  // namespace zv::panels
