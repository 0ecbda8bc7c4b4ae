#pragma once

// What the network pages' sources share: texts, the page state kept with each page window, the
// boxes and the small control helpers.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowTypes.h"
#include "setup/NetworkPages.h"

namespace zv::net {
class SessionManager;
}

namespace zv::setup::netpages {

// UTF-8 source text as the Shift-JIS the windows and the wire hold.
std::string S(const char* utf8);

// An OK box (refusals) captioned with the game's title: the set-up's boxes (and their test hook).
int Box(ui::Hwnd owner, const std::string& sjisText, std::uint32_t type = 0);

// The state every network page keeps with its window (GWLP_USERDATA), made at WM_CREATE and
// freed at WM_DESTROY.
struct PageState {
    std::unique_ptr<ui::Font> font;
    std::unique_ptr<fw::Dib> background;
    // Page 5.
    bool searching = false;
    // Page 6.
    int autoNextTicks = 0;
    std::array<std::string, 6> names;
    // Page 7.
    int mapTicks = 0;
    // Page 8.
    int chosenCorps = -1;
    bool fromSave = false;
    // Page 9.
    bool ready = false;
    bool restrictedRoles = false;
    // Anything a page keeps beyond these.
    std::shared_ptr<void> extra;
};
PageState* StateOf(ui::Hwnd page);
PageState* CreateState(ui::Hwnd page);
void DestroyState(ui::Hwnd page);

// The session of the page's container (null when none).
net::SessionManager* SessionOf(ui::Hwnd page);
ui::Hwnd ContainerOf(ui::Hwnd page);
bool IsHostPage(ui::Hwnd page);
// Whether the network game starts from a saved game: the host's own choice on page 7, the
// transfer's kind on a client.
bool NetworkFromSave(ui::Hwnd page);
// Sends the container its navigation message.
void NextPage(ui::Hwnd page, int newIndex, int oldIndex);
void PrevPage(ui::Hwnd page, int newIndex, int oldIndex);

// The page font (12-pixel bold Japanese) and the background "mainTl01.bmp", both kept in the
// state; the background is painted by WM_PAINT.
void CreatePageBasics(ui::Hwnd page, PageState& s);
ui::LResult PaintPage(ui::Hwnd page);
// A child control with the page font.
void SetFont(ui::Hwnd control, const ui::Font* font);
ui::Hwnd CreateListBox(ui::Hwnd page, int id, int x, int y, int w, int h, const ui::Font* font);
ui::Hwnd CreateStatus(ui::Hwnd page, int id, int x, int y, int w, int h, const ui::Font* font);
// White text on black for the page's statics.
ui::LResult WhiteOnBlack(ui::WParam dc);
std::string ListBoxText(ui::Hwnd list, int row);

// The participant-name table of the last slot table shown.
void StoreParticipantName(int slot, const std::string& name);

// Page 6 reactions (the GUI calls them on the page).
void ShowSlotListOnPage(ui::Hwnd page, const std::uint8_t* slotTable);
void ShowParticipantStatus(ui::Hwnd page, const char* utf8);
void StartAutoNextTimerOnPage(ui::Hwnd page);
// Page 8 reactions.
void OnRoleRefused(ui::Hwnd page);
void GoToConditionsPage(ui::Hwnd page);
// Page 9 reactions.
void OnGameSettingGame(ui::Hwnd page, int turn, const std::uint8_t* block);
void OnGameSettingDone(ui::Hwnd page, int turn, const std::uint8_t* block);
void OnGameSettingNext(ui::Hwnd page, const std::uint8_t* block);

// The set-up's game tables for the page (the binding's, else the program's world).
rules::TableDirectory* TablesOf(ui::Hwnd page);

}  // namespace zv::setup::netpages
