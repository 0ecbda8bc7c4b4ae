#pragma once

// The set-up container: one popup window over the whole frame holding the chain of set-up
// pages (the title page, three single-play pages, six network pages), the page switching and
// the hand-over of the prepared game to the frame. Also the small control helpers every page
// uses (the button pair at the bottom of a page, text buttons, the file list view).
//
// Pages are children of the container. They move along by sending WM_SETUP_NEXT_PAGE and
// WM_SETUP_PREV_PAGE to their parent; the container shows the target page centred at 600 x 400
// and hides the old one by WM_SHOW_PAGE.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::ui {
class Font;
}

namespace zv::setup {

// Page slots of the container, in the order of its page table.
constexpr std::uint8_t kPageTitle = 0;              // "MainMenu1"
constexpr std::uint8_t kPageSingleFile = 1;         // "SinglePlay2": map or saved game
constexpr std::uint8_t kPageSingleCorps = 2;        // "SinglePlay1": corps
constexpr std::uint8_t kPageSingleConditions = 3;   // "SinglePlay3": conditions
constexpr std::uint8_t kPageNetConnection = 4;      // "MultiPlay2": connection kind
constexpr std::uint8_t kPageNetSession = 5;         // "MultiPlay4": new / join / search
constexpr std::uint8_t kPageNetParticipants = 6;    // "MultiPlay6": participant list
constexpr std::uint8_t kPageNetFile = 7;            // "MultiPlay5": host's map or saved game
constexpr std::uint8_t kPageNetRole = 8;            // "MultiPlay1": player or spectator
constexpr std::uint8_t kPageNetCountries = 9;       // "MultiPlay7": countries and conditions
constexpr int kSetupPageCount = 10;
// As a target: done (next) or quit (back); as the old page: nothing to hide.
constexpr std::uint8_t kNoPage = 255;

// The size every page is shown at, centred in the container.
constexpr int kSetupPageWidth = 600;
constexpr int kSetupPageHeight = 400;

// Window classes.
constexpr const char* kMainMenuClass = "MainMenuClass";
constexpr const char* kTitlePageClass = "MainMenu1";
constexpr const char* kSingleFilePageClass = "SinglePlay2";
constexpr const char* kSingleCorpsPageClass = "SinglePlay1";
constexpr const char* kSingleConditionsPageClass = "SinglePlay3";
// The network pages in the order of their slots 4-9.
constexpr const char* kMultiPlayPageClasses[6] = {"MultiPlay2", "MultiPlay4", "MultiPlay6",
                                                  "MultiPlay5", "MultiPlay1", "MultiPlay7"};

// Control ids shared by the pages.
constexpr int kIdSinglePlay = 15000;
constexpr int kIdMultiPlay = 15001;
constexpr int kIdCorpsEditor = 15002;
constexpr int kIdSetupNext = 15003;
constexpr int kIdSetupBack = 15004;
// The title page's idle timer (one tick a second).
constexpr std::uintptr_t kTimerTitleIdle = 15010;
// Idle seconds on the title before the opening demonstration starts: it runs on the tick
// after the counter passed this.
constexpr int kTitleIdleLimit = 60;

// The quit rectangle of the title page (client coordinates, bounds included).
constexpr int kQuitLeft = 16, kQuitTop = 364, kQuitRight = 58, kQuitBottom = 383;

// CreateSetupButtons styles: captions of 15003 / 15004.
enum SetupButtonStyle : int {
    kButtonsNextBack = 0,       // "次へ" / "戻る"
    kButtonsDecideCancel = 1,   // "決定" / "キャンセル"
    kButtonsNextCut = 2,        // "次へ" / "切断"
    kButtonsDecideCut = 3,      // "決定" / "切断"
};

// The file chosen on a map page: blanks when nothing is chosen (a blank first character means
// nothing), fromSave 1 when the saved-game list was active at the choice.
struct ChosenSetupFile {
    char name[260];
    std::int32_t fromSave = 0;
};

// ---- Classes and the container ----

// Registers every class of the set-up (the container, the title and single-play pages and,
// where installed, the network pages). 0 at the first class that fails, else 1.
int RegisterSetupWindowClasses();
// The container over the parent's window rectangle (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
// owned by the parent, the game's title as text). Null on failure.
ui::Hwnd CreateMainMenuWindow(ui::Hwnd parent);
// 1 from the container's creation until its destruction.
int IsMainMenuOpen();
// The container, or null when none exists.
ui::Hwnd GetMainMenuWindow();

// ---- The page table ----

// Shows page newIndex centred at 600 x 400 (255: none) after hiding page oldIndex (255: none).
// Entering page 4 closes and reopens the network transport.
void ShowSetupPage(ui::Hwnd container, std::uint8_t newIndex, std::uint8_t oldIndex);
// The page in a slot, null when absent.
ui::Hwnd GetSetupPage(int index);
// The page index of the last ShowSetupPage (255 for none).
std::uint8_t GetCurrentSetupPage();
// Pages 1-3 ("SinglePlay2", "SinglePlay1", "SinglePlay3"); 0 as soon as one fails, else 1.
int CreateSinglePlayPages(ui::Hwnd container);
// Pages 4-9 from kMultiPlayPageClasses; 0 as soon as one fails (a class not registered), else 1.
int CreateMultiPlayPages(ui::Hwnd container);

// ---- State shared by the pages ----

// The single-play (network false) or network chosen file's name; *fromSave gets its flag.
const char* GetChosenSetupFile(bool network, std::int32_t* fromSave);
// Stores a chosen file name (cut to 259 bytes) and its flag; an empty name forgets the choice.
void SetChosenSetupFile(bool network, const char* name, std::int32_t fromSave);
// Only the from-save flag (the map page's list switch sets it before anything is chosen).
void SetChosenFromSave(bool network, std::int32_t fromSave);
// 1 when the single-play map page handed over a saved game, 0 for a map.
std::uint8_t GetSavedGameChosen();
void SetSavedGameChosen(std::uint8_t chosen);
// The start-from-save flag LoadChosenGameFile sets; it becomes WM_START_GAME's wParam.
std::int32_t GetStartFromSave();
void SetStartFromSave(std::int32_t fromSave);

// ---- Control helpers of the pages ----

// The pair 15003 at (511, 371) and 15004 at (411, 371), 80 x 20, captions by style.
void CreateSetupButtons(ui::Hwnd page, const ui::Font* font, int style);
void EnableSetupNextButton(ui::Hwnd page, bool enable);
// The first row of the band at the foot of every page (its gold line and the buttons below).
constexpr int kSetupButtonBandTop = 363;
// The corps list of the single-play corps page, 480 x 338: centred across the page and within
// the room above the button band, which it must not cover.
constexpr int kCorpsListWidth = 480, kCorpsListHeight = 338;
void PlaceCorpsList(ui::Hwnd page, ui::Hwnd list, std::uint32_t flags);
// A BUTTON child with the style bits added to the standard ones, the caption (Shift-JIS) and
// the font when given.
ui::Hwnd CreateTextButton(ui::Hwnd page, int id, int x, int y, int w, int h, std::uint32_t style,
                          const char* caption, const ui::Font* font);
// An owner-drawn report list view with a border and one column as wide as its client area,
// titled caption (Shift-JIS). The page paints its rows with fw::DrawOwnerDrawItem.
ui::Hwnd CreateFileListView(ui::Hwnd page, int id, int x, int y, int w, int h,
                            const char* caption, const ui::Font* font);
void SetFileListColumnTitle(ui::Hwnd page, int id, const char* caption);

// ---- Hooks the program connects ----

// Runs the opening demonstration over the title page and returns when it ends. Empty: the
// idle timer restarts its count without showing anything.
using OpeningDemoRunner = std::function<int(ui::Hwnd owner)>;
void SetOpeningDemoRunner(OpeningDemoRunner runner);

// The network pages' pieces the title page calls. The user name dialog edits a name of at most
// 17 bytes (Shift-JIS) in place; true on OK. Without one installed the title page keeps the
// stored name and goes on as after OK.
using UserNameDialog = std::function<bool(ui::Hwnd owner, std::string& name)>;
void SetUserNameDialog(UserNameDialog dialog);
// Fills the participant list page (slot 6) from a lobby's participant block (may be 0).
using LobbyParticipantsFiller = std::function<void(ui::Hwnd page, ui::LParam block)>;
void SetLobbyParticipantsFiller(LobbyParticipantsFiller filler);
// A network page class the network pages register with the others: each is registered by
// RegisterSetupWindowClasses. Call before RegisterSetupWindowClasses runs.
void AddSetupPageClass(const char* className, ui::WndProc procedure);
// Forgets the hooks and the added page classes above, as before any installation (for tests
// that run one after another in a process).
void ResetSetupHooks();

// Everything above connected to the program: the classes join the frame's registration and the
// frame opens the container as its title window. Call before RunGameProgram.
void InstallSetupModule();

}  // namespace zv::setup
