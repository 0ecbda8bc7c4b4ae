#pragma once

// The network set-up pages: page 4 "MultiPlay2" (connection kind), page 5 "MultiPlay4" (new game,
// join, search), page 6 "MultiPlay6" (participants and chat), page 7 "MultiPlay5" (the host's map
// or saved game), page 8 "MultiPlay1" (player or spectator, corps) and page 9 "MultiPlay7"
// (countries and conditions), with the user-name, session-name and address dialogs, and the
// NetworkGui through which the session manager's events reach the pages and the frame.
//
// Every page finds its session through its container: the program's one SessionManager unless
// a container was bound to another one (tests run several participants in one process).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::net {
class SessionManager;
class NetworkGui;
}  // namespace zv::net
namespace zv::rules {
class TableDirectory;
}

namespace zv::setup {

// Dialogs.
constexpr int kUserNameDialog = 1104;       // "ユーザー名称"
constexpr int kCreateSessionDialog = 1102;  // "セッションの作成"
constexpr int kAddressDialog = 1105;        // "接続先の指定"
constexpr int kIdDialogEdit = 5000;
constexpr int kIdAddressEdit = 5000;
constexpr int kIdPortEdit = 5001;

// Controls of the pages.
constexpr int kIdConnectionList = 15056;  // page 4
constexpr int kIdSessionList = 15008;     // page 5
constexpr int kIdNewGameButton = 15009;
constexpr int kIdJoinButton = 15010;
constexpr int kIdSearchButton = 15011;
constexpr int kIdParticipantList = 15012;  // page 6
constexpr int kIdParticipantStatus = 49001;
constexpr int kIdWatchCheck = 15005;  // page 8
constexpr int kIdPlayerRadio = 15006;
constexpr int kIdSpectatorRadio = 15007;
constexpr int kIdSpectatorRole0 = 15058;  // page 9: the spectator rows
constexpr int kIdSpectatorAnthem0 = 15059;
constexpr int kIdSpectatorRole1 = 15060;
constexpr int kIdSpectatorAnthem1 = 15061;
constexpr int kIdCountriesStatus = 49002;

// Page timers.
constexpr std::uintptr_t kTimerAutoNext = 49900;  // page 6: a client follows the host
constexpr std::uintptr_t kTimerMapSent = 49901;   // page 7: waiting for the map's delivery
constexpr std::uintptr_t kTimerSearch = 49902;    // page 5: the session list's refresh
constexpr std::uintptr_t kTimerNextSetting = 49903;  // page 7: the pause before the next page
// Ticks of the waits (250 ms and 1 s).
constexpr int kAutoNextTicks = 20;
constexpr int kMapDeliveryTicks = 300;

// The user name of dialog 1104 and the participant names hold at most 17 bytes.
constexpr std::size_t kDialogUserNameBytes = 17;
// The session name of dialog 1102 keeps at most 79 bytes.
constexpr std::size_t kSessionNameBytes = 79;
// Rows of the participant-name table.
constexpr std::size_t kParticipantNameRow = 25;

// ---- Installation --------------------------------------------------------------------------

// Joins the six page classes to the set-up's registration, the user-name dialog to the title
// page, the lobby participants to page 6, and the session manager's GUI and chat to the frame.
// Call before the set-up's classes are registered.
void InstallNetworkPages();
// The page procedures.
ui::LResult MultiPlay2Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
ui::LResult MultiPlay4Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
ui::LResult MultiPlay6Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
ui::LResult MultiPlay5Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
ui::LResult MultiPlay1Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
ui::LResult MultiPlay7Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);
// Registers the six classes directly (tests that make pages without the container).
int RegisterNetworkPageClasses();
void RegisterNetworkPageDialogs();

// ---- Sessions of containers ----------------------------------------------------------------

// What a container's network pages work with: the session, the frame that gets WM_START_GAME
// and WM_BEGIN_PLAY, and the tables the pages read (null: the program's game world).
struct NetworkSetupBinding {
    net::SessionManager* session = nullptr;
    ui::Hwnd frame;
    rules::TableDirectory* tables = nullptr;
};
void BindNetworkSetup(ui::Hwnd container, const NetworkSetupBinding& binding);
void UnbindNetworkSetup(ui::Hwnd container);
// The binding of the page's (or container's) container; the program's session and frame when
// none was bound.
NetworkSetupBinding NetworkSetupOf(ui::Hwnd pageOrContainer);

// The GUI side of a session manager: page 6's list and status, page 8's role result, page 9's
// turns, the chat lines, the notices, the return to the title and the frame's game start.
// `container` names the set-up container whose pages it drives (null: the open one).
net::NetworkGui* MakeSetupNetworkGui(ui::Hwnd frame, std::function<ui::Hwnd()> container);

// ---- Dialogs ---------------------------------------------------------------------------------

// Dialog 1104: edits `name` (an 18-byte buffer, blank-filled); OK keeps at most 17 bytes, never
// half a double-byte character, and returns 1; Cancel returns 0. In both cases `name` receives
// the dialog's last confirmed name (blanks when none was confirmed yet).
int ShowUserNameDialog(ui::Hwnd parent, char* name);
std::string GetDialogUserName();
// Dialog 1102: OK keeps at most 79 bytes as the session name and returns 1.
int ShowCreateSessionDialog(ui::Hwnd parent, const char* initialText);
std::string GetSessionName();
// Dialog 1105 for the TCP/IP connection: the host's address (blank to host or to search the
// local network) and the port. Refuses a port outside 1-65535 and an address that is not a
// numeric IPv4 or IPv6 address (or "localhost"), each with its message. 1 on OK.
int ShowAddressDialog(ui::Hwnd parent, std::string& address, std::uint16_t& port);
// The checks of dialog 1105: empty when the entry is accepted, else the message (UTF-8).
std::string CheckPortText(const std::string& text, std::uint16_t& port);
std::string CheckAddressText(const std::string& text, std::string& address);

// Row `slot` of the participant-name table (filled by page 6 from each slot table).
std::string GetLobbyPlayerName(int slot);
// SessionManager::Leave on the session of the open set-up.
void LeaveSession();

}  // namespace zv::setup
