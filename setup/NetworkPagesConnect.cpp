// Pages 4-6 of the network set-up: the connection kind, the sessions and the participants.

#include <cstdio>
#include <cstring>

#include "framework/gui/WindowUtilities.h"
#include "framework/media/SystemQueries.h"
#include "netplay/Protocol.h"
#include "netplay/SessionManager.h"
#include "platform/core/Sjis.h"
#include "platform/net/Wire.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/Bytes.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "shell/ChatWindow.h"
#include "shell/WindowMessages.h"

namespace zv::setup {

using namespace netpages;

namespace {

// ---- page 4: the connection kind ---------------------------------------------------------------

// The TCP/IP connection asks for the host's address and the port in dialog 1105.
class DialogAddressPrompt : public net::AddressPrompt {
  public:
    explicit DialogAddressPrompt(ui::Hwnd owner) : owner_(owner) {}
    bool AskAddress(std::string& address, std::uint16_t& port) override {
        cancelled_ = ShowAddressDialog(owner_, address, port) == 0;
        return !cancelled_;
    }
    bool Cancelled() const { return cancelled_; }

  private:
    ui::Hwnd owner_;
    bool cancelled_ = false;
};

void FillConnectionList(ui::Hwnd page) {
    const ui::Hwnd list = ui::GetDlgItem(page, kIdConnectionList);
    ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
    net::SessionManager* m = SessionOf(page);
    net::SessionConnection* c = m ? m->Connection() : nullptr;
    if (!c) return;
    for (const net::ConnectionRow& row : c->EnumConnections()) {
        ui::SendMessage(list, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(row.text.c_str()));
    }
    ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(c->PreferredConnectionRow()), 0);
    ui::SetFocus(list);
}

void OnConnectionNext(ui::Hwnd page) {
    if (!ui::IsWindowVisible(page)) return;
    const ui::Hwnd list = ui::GetDlgItem(page, kIdConnectionList);
    net::SessionManager* m = SessionOf(page);
    net::SessionConnection* c = m ? m->Connection() : nullptr;
    if (!c) {
        NextPage(page, kPageNetSession, kPageNetConnection);
        ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
        return;
    }
    const int row = static_cast<int>(ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0));
    int kind = 0;
    DialogAddressPrompt prompt(ContainerOf(page));
    if (c->InitializeChosenConnection(row, kind, &prompt)) {
        NextPage(page, kPageNetSession, kPageNetConnection);
        ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
    } else if (prompt.Cancelled()) {
        // Nothing was tried: the kinds stay on offer.
        FillConnectionList(page);
    } else {
        ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
    }
}

}  // namespace

namespace {

// Page 4: the kinds of connection on offer.
class ConnectionPage : public NetworkPage {
  public:
    using NetworkPage::NetworkPage;

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
        switch (msg) {
            case ui::WM_CREATE:
                LoadBasics();
                CreateSetupButtons(Handle(), font_.get(), kButtonsNextBack);
                CreateListBox(Handle(), kIdConnectionList, 20, 20, 400, 260, font_.get());
                return 0;
            case WM_SHOW_PAGE:
                OnShowPage(w == 1);
                return 1;
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(w));
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    void OnShowPage(bool show) {
        const ui::Hwnd h = Handle();
        if (show) {
            net::SessionManager* m = SessionOf(h);
            if (m && m->Connection()) {
                FillConnectionList(h);
                const std::string name = GetDialogUserName();
                if (!name.empty()) m->Connection()->SetPlayerName(name);
            }
            Show(true);
        } else {
            ui::SendDlgItemMessage(h, kIdConnectionList, ui::LB_RESETCONTENT, 0, 0);
            Show(false);
        }
    }
    void OnCommand(int id) {
        const ui::Hwnd h = Handle();
        switch (id) {
            case kIdSetupNext:
                OnConnectionNext(h);
                break;
            case kIdSetupBack:
                if (net::SessionManager* m = SessionOf(h)) m->Close();
                PrevPage(h, kPageTitle, kPageNetConnection);
                if (ui::IsWindow(h)) ui::SendDlgItemMessage(h, kIdConnectionList, ui::LB_RESETCONTENT, 0, 0);
                break;
            default:
                break;
        }
    }
};

}  // namespace

ui::LResult MultiPlay2Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<ConnectionPage>(h, msg, w, l);
}

// ---- page 5: new game, join, search -------------------------------------------------------------

namespace {

// The session browser's two status controls: the search and the join buttons.
class BrowserControls : public net::SessionBrowserControls {
  public:
    explicit BrowserControls(ui::Hwnd page) : page_(page) {}
    void SetSearchText(const std::string& text) override {
        ui::SetWindowText(ui::GetDlgItem(page_, kIdSearchButton), text);
    }
    void SetJoinText(const std::string& text, bool enabled) override {
        const ui::Hwnd join = ui::GetDlgItem(page_, kIdJoinButton);
        ui::SetWindowText(join, text);
        ui::EnableWindow(join, enabled);
    }

  private:
    ui::Hwnd page_;
};

net::SessionConnection* ConnectionOf(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    return m ? m->Connection() : nullptr;
}

void FillSessionList(ui::Hwnd page) {
    const ui::Hwnd list = ui::GetDlgItem(page, kIdSessionList);
    net::SessionConnection* c = ConnectionOf(page);
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
    if (c) {
        for (const std::string& row : c->Rows()) {
            ui::SendMessage(list, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(row.c_str()));
        }
        ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(c->SelectedRow()), 0);
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
    ui::InvalidateRect(list, nullptr, true);
}

// Page 5: a new game, the sessions found and the join.
class SessionsPage : public NetworkPage {
  public:
    explicit SessionsPage(ui::Hwnd page) : NetworkPage(page), browser_(page) {}

    // The search ends: its timer stops and the connection stops searching.
    void StopSearch() {
        const ui::Hwnd page = Handle();
        ui::KillTimer(page, kTimerSearch);
        net::SessionConnection* c = ConnectionOf(page);
        if (searching_ && c) {
            bool searching = true;
            if (c->IsSearching()) c->ToggleSearch(searching);
        }
        searching_ = false;
    }

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override;
    void OnCreate();
    void OnDestroy();
    void OnShowPage(bool show);
    void OnSessionBrowser(int status, ui::LParam text);
    void OnTimer(std::uintptr_t id);
    void OnCommand(int id, int code);
    void ToggleSearch();

    BrowserControls browser_;
    bool searching_ = false;
};

void StopSearch(ui::Hwnd page) {
    if (SessionsPage* p = SetupPageOf<SessionsPage>(page)) p->StopSearch();
}

void OnNewGame(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    if (!m) return;
    const char* computer = fw::GetLocalComputerName();
    if (!ShowCreateSessionDialog(ContainerOf(page), computer ? computer : "ZV6")) return;
    StopSearch(page);
    const std::string name = GetSessionName();
    if (m->Host(6, name.c_str())) {
        NextPage(page, kPageNetParticipants, kPageNetSession);
    } else {
        Box(page, S("ゲームを作成できませんでした。指定したポート番号がほかのプログラムに使われていないか確かめてください。"));
    }
}

// Why a join failed, in words the player can act on.
std::string JoinFailureText(net::SessionConnection* c, bool chosen) {
    if (!chosen) return S("参加するゲームを一覧から選んでください。");
    const std::int32_t r = c ? c->LastJoinResult() : transport::kErrFail;
    if (r == transport::kErrTimeout || r == transport::kErrNoConnection) {
        return S("ホストが応答しません。アドレスとポート番号を確かめてください。");
    }
    return S("ゲームが進行中です。参加できません。");
}

void OnJoin(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    net::SessionConnection* c = ConnectionOf(page);
    if (!m || !c) return;
    const int row = static_cast<int>(ui::SendDlgItemMessage(page, kIdSessionList, ui::LB_GETCURSEL, 0, 0));
    c->SelectRow(row);
    const bool chosen = c->RowNode(row) != nullptr;
    // The search stops only after the join: stopping it forgets the sessions found.
    bool joined = false;
    if (chosen && m->Join(joined) && joined) {
        StopSearch(page);
        NextPage(page, kPageNetParticipants, kPageNetSession);
        return;
    }
    Box(page, JoinFailureText(c, chosen), ui::MB_OK | ui::MB_ICONERROR | ui::MB_SYSTEMMODAL);
}

ui::LResult SessionsPage::OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE:
            OnCreate();
            return 0;
        case ui::WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_SHOW_PAGE:
            OnShowPage(w == 1);
            return 1;
        case WM_SESSION_BROWSER:
            OnSessionBrowser(static_cast<int>(w), l);
            return 1;
        case ui::WM_TIMER:
            OnTimer(w);
            return 0;
        case ui::WM_COMMAND:
            OnCommand(ui::LoWord(w), ui::HiWord(w));
            return 0;
        default:
            return Default(msg, w, l);
    }
}

void SessionsPage::OnCreate() {
    const ui::Hwnd h = Handle();
    LoadBasics();
    CreateSetupButtons(h, font_.get(), kButtonsNextBack);
    CreateListBox(h, kIdSessionList, 20, 20, 400, 260, font_.get());
    CreateTextButton(h, kIdNewGameButton, 481, 34, 110, 20, 0, S("新規ゲーム").c_str(), font_.get());
    CreateTextButton(h, kIdJoinButton, 481, 61, 110, 20, 0, S("接続").c_str(), font_.get());
    CreateTextButton(h, kIdSearchButton, 481, 88, 110, 20, 0, S("検索").c_str(), font_.get());
}

void SessionsPage::OnDestroy() {
    ui::KillTimer(Handle(), kTimerSearch);
    if (net::SessionConnection* c = ConnectionOf(Handle())) c->SetControls(nullptr);
}

void SessionsPage::OnShowPage(bool show) {
    const ui::Hwnd h = Handle();
    net::SessionConnection* c = ConnectionOf(h);
    if (show) {
        searching_ = false;
        EnableSetupNextButton(h, false);
        if (c) {
            c->SetControls(&browser_);
            c->ResetSessionList();
            FillSessionList(h);
        }
        Show(true);
    } else {
        ui::KillTimer(h, kTimerSearch);
        if (c) {
            c->StopBrowsing();
            c->SetControls(nullptr);
        }
        searching_ = false;
        Show(false);
    }
}

void SessionsPage::OnSessionBrowser(int status, ui::LParam text) {
    if (net::SessionConnection* c = ConnectionOf(Handle())) {
        c->OnStatus(status, text ? std::string(reinterpret_cast<const char*>(text)) : std::string());
    }
}

void SessionsPage::OnTimer(std::uintptr_t id) {
    const ui::Hwnd h = Handle();
    if (id != kTimerSearch) return;
    if (net::SessionConnection* c = ConnectionOf(h)) {
        const int row = static_cast<int>(ui::SendDlgItemMessage(h, kIdSessionList, ui::LB_GETCURSEL, 0, 0));
        c->SelectRow(row);
        c->RefreshSessions();
        FillSessionList(h);
    }
}

void SessionsPage::ToggleSearch() {
    const ui::Hwnd h = Handle();
    net::SessionConnection* c = ConnectionOf(h);
    if (!c) return;
    c->ToggleSearch(searching_);
    if (searching_) {
        ui::SetTimer(h, kTimerSearch, 250);
    } else {
        ui::KillTimer(h, kTimerSearch);
    }
    FillSessionList(h);
}

void SessionsPage::OnCommand(int id, int code) {
    const ui::Hwnd h = Handle();
    switch (id) {
        case kIdNewGameButton:
            OnNewGame(h);
            break;
        case kIdJoinButton:
            OnJoin(h);
            break;
        case kIdSearchButton:
            ToggleSearch();
            break;
        case kIdSessionList:
            if (code == ui::LBN_SELCHANGE) {
                if (net::SessionConnection* c = ConnectionOf(h)) {
                    c->SelectRow(static_cast<int>(ui::SendDlgItemMessage(h, kIdSessionList, ui::LB_GETCURSEL, 0, 0)));
                }
            }
            break;
        case kIdSetupBack:
            StopSearch();
            if (net::SessionManager* m = SessionOf(h)) m->Leave();
            PrevPage(h, kPageNetConnection, kPageNetSession);
            break;
        default:
            break;
    }
}

}  // namespace

ui::LResult MultiPlay4Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<SessionsPage>(h, msg, w, l);
}

// ---- page 6: the participants -----------------------------------------------------------------

namespace {

// Page 6: the participants, the chat and a client's wait for the host's next step.
class ParticipantsPage : public NetworkPage {
  public:
    using NetworkPage::NetworkPage;

    // A client follows the host after a short wait on its own timer.
    void StartAutoNext() {
        autoNextTicks_ = 0;
        ui::SetTimer(Handle(), kTimerAutoNext, 250);
    }

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override;
    void OnShowPage(bool show);
    void OnAutoNextTick();
    void OnCommand(int id);

    int autoNextTicks_ = 0;
};

}  // namespace

namespace netpages {

void ShowSlotListOnPage(ui::Hwnd page, const std::uint8_t* table) {
    if (!table || !ui::IsWindow(page)) return;
    const ui::Hwnd list = ui::GetDlgItem(page, kIdParticipantList);
    ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
    int others = 0;
    for (int slot = 0; slot < net::kSlotCount; ++slot) {
        const bool occupied = (rules::ReadS32(table, net::SlotDataMsg::kStates + 4 * slot) & 0xF) == 1;
        // Names and labels come from the network: read within their fields, cut on a character
        // boundary.
        const std::string name = net::ReadFieldText(table, net::SlotDataMsg::kNames + net::SlotDataMsg::kNameWidth * slot,
                                                    net::SlotDataMsg::kNameWidth);
        const std::string label = net::ReadFieldText(
            table, net::SlotDataMsg::kLabels + net::SlotDataMsg::kLabelWidth * slot, net::SlotDataMsg::kLabelWidth);
        char row[128];
        if (!occupied) {
            std::snprintf(row, sizeof row, S("｜－ＮＯ．%d：空き").c_str(), slot);
        } else {
            std::snprintf(row, sizeof row, S(slot == 0 ? "ホ－ＮＯ．%d：%s(%s)" : "｜－ＮＯ．%d：%s(%s)").c_str(), slot,
                          name.c_str(), label.c_str());
            others += slot != 0 ? 1 : 0;
        }
        StoreParticipantName(slot, occupied ? name : std::string());
        ui::SendMessage(list, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(row));
    }
    net::SessionManager* m = SessionOf(page);
    if (m && m->IsHost()) EnableSetupNextButton(page, others > 0);
}

void ShowParticipantStatus(ui::Hwnd page, const char* utf8) {
    if (!ui::IsWindow(page)) return;
    ui::SetDlgItemText(page, kIdParticipantStatus, S(utf8));
}

void StartAutoNextTimerOnPage(ui::Hwnd page) {
    if (ParticipantsPage* p = SetupPageOf<ParticipantsPage>(page)) p->StartAutoNext();
}

}  // namespace netpages

namespace {

void OnParticipantsNext(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    if (m && m->IsHost()) {
        std::string text;
        if (m->CheckAllConnected(text) != 0) {
            Box(page, text);
            return;
        }
        NextPage(page, kPageNetFile, kPageNetParticipants);
        m->SendNextMapSelect();
    } else {
        NextPage(page, kPageNetRole, kPageNetParticipants);
    }
    if (ui::IsWindow(page)) ui::SendDlgItemMessage(page, kIdParticipantList, ui::LB_RESETCONTENT, 0, 0);
}

}  // namespace

ui::LResult ParticipantsPage::OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE:
            LoadBasics();
            CreateSetupButtons(Handle(), font_.get(), kButtonsNextCut);
            CreateListBox(Handle(), kIdParticipantList, 20, 20, 456, 225, font_.get());
            CreateStatus(Handle(), kIdParticipantStatus, 20, 364, 456, 26, font_.get());
            return 0;
        case ui::WM_DESTROY:
            ui::KillTimer(Handle(), kTimerAutoNext);
            if (shell::GetChatWindow() && ui::GetParent(shell::GetChatWindow()) == Handle()) shell::DetachChatWindow();
            return 0;
        case WM_SHOW_PAGE:
            OnShowPage(w == 1);
            return 1;
        case ui::WM_TIMER:
            if (w == kTimerAutoNext) OnAutoNextTick();
            return 0;
        case ui::WM_COMMAND:
            OnCommand(ui::LoWord(w));
            return 0;
        default:
            return Default(msg, w, l);
    }
}

void ParticipantsPage::OnShowPage(bool show) {
    const ui::Hwnd h = Handle();
    if (!show) {
        Show(false);
        return;
    }
    shell::ClearChatLog();
    if (const ui::Hwnd chat = shell::AttachChatWindow(h)) {
        ui::MoveWindow(chat, 20, 255, 456, 102, true);
        ui::ShowWindow(chat, ui::SW_SHOW);
        ui::SendMessage(chat, zv::WM_CHAT_SET_MODE, 1, 1);
    }
    EnableSetupNextButton(h, false);
    // The slots known so far (a host alone has had no slot table yet).
    if (net::SessionManager* m = SessionOf(h); m && m->IsHost()) {
        net::MessageBuilder table(net::ZVCMSG_SETSLOTDATA, net::SlotDataMsg::kSize);
        for (int slot = 0; slot < net::kSlotCount; ++slot) {
            if (!m->IsSlotOccupied(slot)) continue;
            table.S32(net::SlotDataMsg::kStates + 4 * slot, 1);
            table.Text(net::SlotDataMsg::kNames + net::SlotDataMsg::kNameWidth * slot, net::SlotDataMsg::kNameWidth,
                       m->SlotName(slot));
            table.Text(net::SlotDataMsg::kLabels + net::SlotDataMsg::kLabelWidth * slot, net::SlotDataMsg::kLabelWidth,
                       m->SlotLabel(slot));
        }
        ShowSlotListOnPage(h, table.Get().data());
    }
    Show(true);
}

void ParticipantsPage::OnAutoNextTick() {
    if (autoNextTicks_ < kAutoNextTicks) {
        ++autoNextTicks_;
        return;
    }
    ui::KillTimer(Handle(), kTimerAutoNext);
    autoNextTicks_ = 0;
    ui::SendMessage(Handle(), ui::WM_COMMAND, kIdSetupNext, 0);
}

void ParticipantsPage::OnCommand(int id) {
    const ui::Hwnd h = Handle();
    switch (id) {
        case kIdSetupNext:
            OnParticipantsNext(h);
            break;
        case kIdSetupBack:
            ui::KillTimer(h, kTimerAutoNext);
            if (net::SessionManager* m = SessionOf(h)) m->Leave();
            PrevPage(h, kPageTitle, kPageNetParticipants);
            if (ui::IsWindow(h)) ui::SendDlgItemMessage(h, kIdParticipantList, ui::LB_RESETCONTENT, 0, 0);
            break;
        default:
            break;
    }
}

ui::LResult MultiPlay6Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<ParticipantsPage>(h, msg, w, l);
}

}  // namespace zv::setup
