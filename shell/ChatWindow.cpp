#include "shell/ChatWindow.h"

#include <cstring>
#include <optional>

#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapRecords.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {

namespace {

constexpr const char* kChatClass = "ChatWindow";
constexpr int kEscapeChar = 0x1B;
ChatSession* gSession = nullptr;
// The wait window that is up (at most one).
ui::Hwnd gWaitWindow{};

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

bool SlotHoldsValue(uint32_t value) {
    if (!gSession) return false;
    for (int slot = 0; slot < 6; ++slot) {
        if (gSession->SlotValue(slot) == value) return true;
    }
    return false;
}

// The chat panel: its controls, the faces they are drawn in and the edit line's own procedure.
class ChatWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                MakeControls();
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case WM_CHAT_SET_MODE:
                SetMode(int(w), int(l));
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    // The edit line's messages: Enter sends the line, Escape clears it.
    ui::LResult EditMessage(ui::Hwnd edit, uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_KEYDOWN:
                if (w == ui::VK_RETURN) {
                    ui::SendMessage(Handle(), ui::WM_COMMAND, ui::IDOK, 0);
                    return 0;
                }
                if (w == ui::VK_ESCAPE) {
                    ui::SendMessage(Handle(), ui::WM_COMMAND, ui::IDCANCEL, 0);
                    return 0;
                }
                break;
            case ui::WM_CHAR:
                // Enter and Escape were handled as keys; they are no text.
                if (w == '\r' || w == '\n' || w == kEscapeChar) return 0;
                break;
            case ui::WM_COMMAND:
                return 0;
            default:
                break;
        }
        return editProc_ ? ui::CallWindowProc(editProc_, edit, msg, w, l)
                         : ui::DefWindowProc(edit, msg, w, l);
    }

  private:
    void MakeControls();
    void OnDestroy() {
        for (int id = kIdChatList; id <= kIdChatMessageLabel; ++id) {
            if (ui::Hwnd c = ui::GetDlgItem(Handle(), id)) ui::SendMessage(c, ui::WM_SETFONT, 0, 0);
        }
    }
    ui::LResult OnCommand(int id) {
        const ui::Hwnd edit = ui::GetDlgItem(Handle(), kIdChatEdit);
        switch (id) {
            case ui::IDOK: {
                std::string text = ui::GetWindowText(edit);
                text.resize(core::SjisCutLength(text, kChatEditLimit));
                const uint16_t mask = CheckedRecipients(Handle());
                if (gSession) gSession->SendChat(mask, text, true);
                ui::SetWindowText(edit, "");
                return 1;
            }
            case ui::IDCANCEL:
                ui::SetWindowText(edit, "");
                return 1;
            default:
                return 0;
        }
    }
    void SetMode(int enable, int mode);

    std::optional<ui::Font> font_;
    std::optional<ui::Font> recipientFont_;
    ui::WndProc editProc_ = nullptr;
};

ui::LResult ChatEditProc(ui::Hwnd edit, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (ChatWindow* chat = ui::WindowObjectOf<ChatWindow>(ui::GetParent(edit), kChatClass)) {
        return chat->EditMessage(edit, msg, w, l);
    }
    return ui::DefWindowProc(edit, msg, w, l);
}

void ChatWindow::MakeControls() {
    const ui::Hwnd chat = Handle();
    font_ = fw::CreateJapaneseFont(12, 1, 1);
    const auto font = reinterpret_cast<ui::WParam>(&*font_);
    auto make = [&](const char* cls, const std::string& text, uint32_t style, int id, int x, int y,
                    int width, int height) {
        const ui::Hwnd c = ui::CreateWindowEx(0, cls, text, ui::WS_CHILD | ui::WS_VISIBLE | style,
                                              x, y, width, height, chat, id, nullptr, nullptr);
        if (c) ui::SendMessage(c, ui::WM_SETFONT, font, 0);
        return c;
    };
    make("LISTBOX", "", ui::WS_VSCROLL | ui::WS_BORDER | ui::LBS_DISABLENOSCROLL, kIdChatList, 0, 0,
         455, 60);
    make("STATIC", Sjis("送信先"), 0, kIdChatRecipientsLabel, 4, 64, 50, 16);
    const char* names[kChatRecipientCount] = {"BLUE", "RED", "GREEN", "YELLOW", "観戦1", "観戦2"};
    // The recipient boxes stand 60 pixels apart: beside its check mark "YELLOW" in the bold
    // face would reach the next box, so their names are in the regular weight.
    recipientFont_ = fw::CreateJapaneseFont(12, 1, 0);
    for (int k = 0; k < kChatRecipientCount; ++k) {
        const ui::Hwnd box = make("BUTTON", Sjis(names[k]), ui::BS_AUTOCHECKBOX | ui::WS_DISABLED | ui::WS_TABSTOP,
                                  kIdChatFirstRecipient + k, 60 + 60 * k, 62, 60, 16);
        if (box)
            ui::SendMessage(box, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(&*recipientFont_), 0);
    }
    const ui::Hwnd edit = make("EDIT", "", ui::WS_BORDER | ui::ES_AUTOHSCROLL | ui::WS_TABSTOP,
                               kIdChatEdit, 60, 80, 395, 20);
    if (edit) {
        ui::SendMessage(edit, ui::EM_LIMITTEXT, kChatEditLimit, 0);
        editProc_ = reinterpret_cast<ui::WndProc>(ui::SetWindowLongPtr(
            edit, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&ChatEditProc)));
    }
    make("STATIC", Sjis("伝言"), 0, kIdChatMessageLabel, 4, 82, 50, 16);
}

void ChatWindow::SetMode(int enable, int mode) {
    const ui::Hwnd chat = Handle();
    for (int id : {kIdChatList, kIdChatRecipientsLabel, kIdChatEdit, kIdChatMessageLabel}) {
        ui::EnableWindow(ui::GetDlgItem(chat, id), enable != 0);
    }
    const int own = fw::GetPlayerCountry();
    for (int k = 0; k < kChatRecipientCount; ++k) {
        const ui::Hwnd box = ui::GetDlgItem(chat, kIdChatFirstRecipient + k);
        ui::SendMessage(box, ui::BM_SETCHECK, ui::BST_CHECKED, 0);
        if (mode >= 2) continue;
        bool on = false;
        if (mode == 0 && enable) {
            if (k >= 4) {
                on = SlotHoldsValue(uint32_t(k + 1));  // 観戦1: 5, 観戦2: 6
            } else {
                const int participation =
                    gSession ? gSession->CountryParticipation(k) : ChatSession::kPlayedByNoPerson;
                on = (participation == ChatSession::kPlayedByPerson ||
                      participation == ChatSession::kPlayedBySpectator) &&
                     k != own;
            }
        }
        ui::EnableWindow(box, on);
    }
}

}  // namespace

void SetChatSession(ChatSession* session) { gSession = session; }
ChatSession* GetChatSession() { return gSession; }

uint16_t CheckedRecipients(ui::Hwnd window) {
    uint16_t mask = 0;
    for (int k = 0; k < kChatRecipientCount; ++k) {
        if (ui::IsDlgButtonChecked(window, kIdChatFirstRecipient + k) == ui::BST_CHECKED) {
            mask |= uint16_t(1u << k);
        }
    }
    return mask;
}

ui::LResult ChatWindowProc(ui::Hwnd chat, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<ChatWindow>(chat, msg, w, l);
}

bool RegisterChatWindowClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kChatClass, &existing)) return true;
    ui::WindowClass wc;
    wc.name = kChatClass;
    wc.proc = ChatWindowProc;
    wc.hasBackground = true;
    wc.background = ui::GetSysColor(ui::COLOR_BTNFACE);
    wc.cursor = ui::LoadCursor(nullptr, 32512);
    return ui::RegisterClass(wc);
}

ui::Hwnd CreateChatWindow(ui::Hwnd parent, int id) {
    if (!RegisterChatWindowClass()) return {};
    const ui::Hwnd chat = ui::CreateWindowEx(0, kChatClass, "", ui::WS_CHILD | ui::WS_CLIPCHILDREN,
                                             0, 0, 456, 102, parent, id, nullptr, nullptr);
    SetWindowOfKind(WindowKind::ChatWindow, chat);
    return chat;
}

ui::Hwnd GetChatWindow() { return GetWindowOfKind(WindowKind::ChatWindow); }

ui::Hwnd AttachChatWindow(ui::Hwnd newParent) {
    const ui::Hwnd chat = GetChatWindow();
    if (chat && newParent) ui::SetParent(chat, newParent);
    return chat;
}

void DetachChatWindow() {
    const ui::Hwnd chat = GetChatWindow();
    if (!chat) return;
    if (const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd)) ui::SetParent(chat, frame);
    ui::ShowWindow(chat, ui::SW_HIDE);
}

void ClearChatLog() {
    ui::SendMessage(ui::GetDlgItem(GetChatWindow(), kIdChatList), ui::LB_RESETCONTENT, 0, 0);
}

int AddChatLine(const std::string& text, uint16_t recipients) {
    const ui::Hwnd list = ui::GetDlgItem(GetChatWindow(), kIdChatList);
    if (!list) return 0;
    const int state = gSession ? gSession->SessionState() : 0;
    if (state == ChatSession::kStateSettingsDone || state == ChatSession::kStateStarted) {
        const int own = fw::GetPlayerCountry();
        if (own > 15 || !(recipients & (1u << own))) return 0;
    }
    std::string line = text.substr(0, text.find('\0'));
    line.resize(core::SjisCutLength(line, kChatLineTextWidth - 1));
    const auto index = ui::SendMessage(list, ui::LB_ADDSTRING, 0,
                                       reinterpret_cast<ui::LParam>(line.c_str()));
    if (index < 0) return 0;
    ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(index), 0);
    return 1;
}

int AddChatLine(const uint8_t* line) {
    if (line == nullptr) return 0;
    const uint16_t mask = uint16_t(line[kChatLineMask] | line[kChatLineMask + 1] << 8);
    const char* text = reinterpret_cast<const char*>(line + kChatLineText);
    const size_t length = strnlen(text, kChatLineTextWidth);
    return AddChatLine(std::string(text, length), mask);
}

int SendChatFromDialog(ui::Hwnd dialog, const char* text) {
    if (gSession && text) gSession->SendChat(CheckedRecipients(dialog), text, true);
    return 1;
}

// ---- network wait window ----------------------------------------------------------------------

namespace {

// The chat panel, borrowed for as long as the wait window is up.
class NetworkWaitWindow : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_DESTROY:
                DetachChatWindow();
                if (gWaitWindow == Handle()) gWaitWindow = {};
                return 0;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        fw::CenterWindowOnScreen(Handle(), 462, 128, 0);
        const ui::Hwnd chat = AttachChatWindow(Handle());
        if (!chat) return;
        const bool spectator = fw::GetPlayerCountry() >= rules::kCountryCount;
        ui::SendMessage(chat, WM_CHAT_SET_MODE, 1, spectator ? 1 : 0);
        ui::MoveWindow(chat, 0, 0, 456, 102, true);
        ui::ShowWindow(chat, ui::SW_SHOW);
    }
};

}  // namespace

intptr_t NetworkWaitWindowProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<NetworkWaitWindow>(dlg, msg, w, l);
}

ui::Hwnd CreateNetworkWaitWindow(ui::Hwnd owner) {
    RegisterShellDialogs();
    gWaitWindow = ui::CreateDialogParam(nullptr, kNetworkWaitDialog, owner, NetworkWaitWindowProc, 0);
    if (gWaitWindow) ui::ShowWindow(gWaitWindow, ui::SW_SHOW);
    return gWaitWindow;
}

ui::Hwnd GetNetworkWaitWindow() { return ui::IsWindow(gWaitWindow) ? gWaitWindow : ui::Hwnd{}; }

void CloseNetworkWaitWindow() {
    if (fw::GetPlayerCountry() < rules::kCountryCount) return;
    if (const ui::Hwnd w = GetNetworkWaitWindow()) ui::DestroyWindow(w);
    gWaitWindow = {};
}

}  // namespace zv::shell
