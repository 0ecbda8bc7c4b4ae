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
#include "setup/SetupInternal.h"

namespace zv::net {
class SessionManager;
}

namespace zv::setup::netpages {

// UTF-8 source text as the Shift-JIS the windows and the wire hold.
std::string S(const char* utf8);

// An OK box (refusals) captioned with the game's title: the set-up's boxes (and their test hook).
int Box(ui::Hwnd owner, const std::string& sjisText, std::uint32_t type = 0);

// A network page: every static (and every button on the pages that say so) stands on the
// picture in white.
class NetworkPage : public SetupPage {
  public:
    using SetupPage::SetupPage;

  protected:
    bool IsWhiteLabel(int /*id*/) const override { return true; }
    // Shows or hides the page as the container asks.
    void Show(bool show) { ui::ShowWindow(Handle(), show ? ui::SW_SHOWNORMAL : ui::SW_HIDE); }
};

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
