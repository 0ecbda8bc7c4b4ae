#pragma once

// The chat panel of network play (window kind ChatWindow): the received lines, the recipients
// (the four countries and two spectators) and the edit line that sends a line. It is made once,
// hidden, as a child of the frame; the network set-up pages, the organisation dialog and the
// network wait window borrow it (AttachChatWindow) and give it back (DetachChatWindow).
//
// The session is reached through ChatSession, which the network module implements over its
// SessionManager; without one nothing is sent.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::shell {

// Controls.
constexpr int kIdChatList = 2500;
constexpr int kIdChatFirstRecipient = 2501;  // 2501-2506: BLUE RED GREEN YELLOW 観戦1 観戦2
constexpr int kIdChatEdit = 2507;
constexpr int kIdChatRecipientsLabel = 2508;
constexpr int kIdChatMessageLabel = 2509;
constexpr int kChatRecipientCount = 6;
constexpr int kChatEditLimit = 80;
constexpr int kChatWindowId = 35;

// The received chat line (the ZVCMSG_CHATDATA payload): +4 u16 recipient mask, +8 the text,
// zero-terminated within the line's 86 text bytes.
constexpr int kChatLineSize = 94;
constexpr int kChatLineMask = 4;
constexpr int kChatLineText = 8;
constexpr int kChatLineTextWidth = kChatLineSize - kChatLineText;

class ChatSession {
  public:
    virtual ~ChatSession() = default;
    // The session's states from the settings' end on; the lobby's states lie below.
    static constexpr int kStateSettingsDone = 3;
    static constexpr int kStateStarted = 4;
    // The country's participation: a person plays it, or a spectator's; any other value is not a
    // person.
    static constexpr int kPlayedByPerson = 0;
    static constexpr int kPlayedBySpectator = 3;
    static constexpr int kPlayedByNoPerson = 2;

    virtual int SessionState() = 0;
    // The participant slot's value (1-4 a country, 5 and 6 the spectators, 0 none); slots 0-5.
    virtual uint32_t SlotValue(int slot) = 0;
    virtual int CountryParticipation(int country) = 0;
    // Sends the Shift-JIS text to the recipients (bit k = box 2501 + k).
    virtual int SendChat(uint16_t recipients, const std::string& text, bool withName) = 0;
};
void SetChatSession(ChatSession* session);
ChatSession* GetChatSession();

// Registers the class "ChatWindow" (once; true when it exists afterwards).
bool RegisterChatWindowClass();
// Creates the hidden panel as a child of `parent` and registers it as kind ChatWindow.
ui::Hwnd CreateChatWindow(ui::Hwnd parent, int id);
ui::LResult ChatWindowProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::Hwnd GetChatWindow();

// Re-parents the panel into `newParent` and returns it; DetachChatWindow gives it back to the
// frame and hides it.
ui::Hwnd AttachChatWindow(ui::Hwnd newParent);
void DetachChatWindow();
void ClearChatLog();

// Appends a received line (kChatLineSize bytes) and selects it: 1 when added. During set-up and
// play (kStateSettingsDone and kStateStarted) a line not addressed to the local player's country is
// not shown. The text is read only within the line, cut on a character boundary.
int AddChatLine(const uint8_t* line);
// The same for text and mask already taken from a line.
int AddChatLine(const std::string& text, uint16_t recipients);

// Sends `text` to the recipients checked in `dialog`'s boxes 2501-2506. Returns 1.
int SendChatFromDialog(ui::Hwnd dialog, const char* text);
// The recipient mask of the boxes checked in `window`.
uint16_t CheckedRecipients(ui::Hwnd window);

// The modeless network wait window (dialog 365 "チャット") with the panel inside.
ui::Hwnd CreateNetworkWaitWindow(ui::Hwnd owner);
intptr_t NetworkWaitWindowProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::Hwnd GetNetworkWaitWindow();
// Destroys the wait window when the local player is a spectator (country 4 and above).
void CloseNetworkWaitWindow();

}  // namespace zv::shell
