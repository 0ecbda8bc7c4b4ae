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

void Show(ui::Hwnd page, bool show) { ui::ShowWindow(page, show ? ui::SW_SHOWNORMAL : ui::SW_HIDE); }

ui::LResult CommonMessage(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l, bool* handled) {
    *handled = true;
    switch (msg) {
        case ui::WM_PAINT:
            return PaintPage(h);
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_CTLCOLORSTATIC:
            return WhiteOnBlack(w);
        default:
            *handled = false;
            (void)l;
            return 0;
    }
}

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

ui::LResult MultiPlay2Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    bool handled = false;
    const ui::LResult common = CommonMessage(h, msg, w, l, &handled);
    if (handled) return common;
    switch (msg) {
        case ui::WM_CREATE: {
            PageState* s = CreateState(h);
            CreatePageBasics(h, *s);
            CreateSetupButtons(h, s->font.get(), kButtonsNextBack);
            CreateListBox(h, kIdConnectionList, 20, 20, 400, 260, s->font.get());
            return 0;
        }
        case ui::WM_DESTROY:
            DestroyState(h);
            return 0;
        case WM_SHOW_PAGE: {
            net::SessionManager* m = SessionOf(h);
            if (w == 1) {
                if (m && m->Connection()) {
                    FillConnectionList(h);
                    const std::string name = GetDialogUserName();
                    if (!name.empty()) m->Connection()->SetPlayerName(name);
                }
                Show(h, true);
            } else {
                ui::SendDlgItemMessage(h, kIdConnectionList, ui::LB_RESETCONTENT, 0, 0);
                Show(h, false);
            }
            return 1;
        }
        case ui::WM_COMMAND:
            switch (w & 0xFFFF) {
                case kIdSetupNext:
                    OnConnectionNext(h);
                    return 0;
                case kIdSetupBack:
                    if (net::SessionManager* m = SessionOf(h)) m->Close();
                    PrevPage(h, kPageTitle, kPageNetConnection);
                    if (ui::IsWindow(h)) ui::SendDlgItemMessage(h, kIdConnectionList, ui::LB_RESETCONTENT, 0, 0);
                    return 0;
                default:
                    return 0;
            }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
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

void StopSearch(ui::Hwnd page) {
    PageState* s = StateOf(page);
    ui::KillTimer(page, kTimerSearch);
    net::SessionConnection* c = ConnectionOf(page);
    if (s && s->searching && c) {
        bool searching = true;
        if (c->IsSearching()) c->ToggleSearch(searching);
    }
    if (s) s->searching = false;
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

}  // namespace

ui::LResult MultiPlay4Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    bool handled = false;
    const ui::LResult common = CommonMessage(h, msg, w, l, &handled);
    if (handled) return common;
    switch (msg) {
        case ui::WM_CREATE: {
            PageState* s = CreateState(h);
            CreatePageBasics(h, *s);
            s->extra = std::make_shared<BrowserControls>(h);
            CreateSetupButtons(h, s->font.get(), kButtonsNextBack);
            CreateListBox(h, kIdSessionList, 20, 20, 400, 260, s->font.get());
            CreateTextButton(h, kIdNewGameButton, 481, 34, 110, 20, 0, S("新規ゲーム").c_str(), s->font.get());
            CreateTextButton(h, kIdJoinButton, 481, 61, 110, 20, 0, S("接続").c_str(), s->font.get());
            CreateTextButton(h, kIdSearchButton, 481, 88, 110, 20, 0, S("検索").c_str(), s->font.get());
            return 0;
        }
        case ui::WM_DESTROY:
            ui::KillTimer(h, kTimerSearch);
            if (net::SessionConnection* c = ConnectionOf(h)) c->SetControls(nullptr);
            DestroyState(h);
            return 0;
        case WM_SHOW_PAGE: {
            PageState* s = StateOf(h);
            net::SessionConnection* c = ConnectionOf(h);
            if (w == 1) {
                s->searching = false;
                EnableSetupNextButton(h, false);
                if (c) {
                    c->SetControls(static_cast<BrowserControls*>(s->extra.get()));
                    c->ResetSessionList();
                    FillSessionList(h);
                }
                Show(h, true);
            } else {
                ui::KillTimer(h, kTimerSearch);
                if (c) {
                    c->StopBrowsing();
                    c->SetControls(nullptr);
                }
                s->searching = false;
                Show(h, false);
            }
            return 1;
        }
        case WM_SESSION_BROWSER:
            if (net::SessionConnection* c = ConnectionOf(h)) {
                c->OnStatus(static_cast<int>(w), l ? std::string(reinterpret_cast<const char*>(l)) : std::string());
            }
            return 1;
        case ui::WM_TIMER:
            if (w == kTimerSearch) {
                if (net::SessionConnection* c = ConnectionOf(h)) {
                    const int row = static_cast<int>(ui::SendDlgItemMessage(h, kIdSessionList, ui::LB_GETCURSEL, 0, 0));
                    c->SelectRow(row);
                    c->RefreshSessions();
                    FillSessionList(h);
                }
            }
            return 0;
        case ui::WM_COMMAND:
            switch (w & 0xFFFF) {
                case kIdNewGameButton:
                    OnNewGame(h);
                    return 0;
                case kIdJoinButton:
                    OnJoin(h);
                    return 0;
                case kIdSearchButton:
                    if (net::SessionConnection* c = ConnectionOf(h)) {
                        PageState* s = StateOf(h);
                        c->ToggleSearch(s->searching);
                        if (s->searching) {
                            ui::SetTimer(h, kTimerSearch, 250);
                        } else {
                            ui::KillTimer(h, kTimerSearch);
                        }
                        FillSessionList(h);
                    }
                    return 0;
                case kIdSessionList:
                    if (((w >> 16) & 0xFFFF) == ui::LBN_SELCHANGE) {
                        if (net::SessionConnection* c = ConnectionOf(h)) {
                            c->SelectRow(static_cast<int>(ui::SendDlgItemMessage(h, kIdSessionList, ui::LB_GETCURSEL, 0, 0)));
                        }
                    }
                    return 0;
                case kIdSetupBack:
                    StopSearch(h);
                    if (net::SessionManager* m = SessionOf(h)) m->Leave();
                    PrevPage(h, kPageNetConnection, kPageNetSession);
                    return 0;
                default:
                    return 0;
            }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

// ---- page 6: the participants -----------------------------------------------------------------

namespace netpages {

void ShowSlotListOnPage(ui::Hwnd page, const std::uint8_t* table) {
    if (!table || !ui::IsWindow(page)) return;
    PageState* s = StateOf(page);
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
        if (s) s->names[static_cast<std::size_t>(slot)] = occupied ? name : std::string();
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
    PageState* s = StateOf(page);
    if (!s) return;
    s->autoNextTicks = 0;
    ui::SetTimer(page, kTimerAutoNext, 250);
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

ui::LResult MultiPlay6Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    bool handled = false;
    const ui::LResult common = CommonMessage(h, msg, w, l, &handled);
    if (handled) return common;
    switch (msg) {
        case ui::WM_CREATE: {
            PageState* s = CreateState(h);
            CreatePageBasics(h, *s);
            CreateSetupButtons(h, s->font.get(), kButtonsNextCut);
            CreateListBox(h, kIdParticipantList, 20, 20, 456, 225, s->font.get());
            CreateStatus(h, kIdParticipantStatus, 20, 364, 456, 26, s->font.get());
            return 0;
        }
        case ui::WM_DESTROY:
            ui::KillTimer(h, kTimerAutoNext);
            if (shell::GetChatWindow() && ui::GetParent(shell::GetChatWindow()) == h) shell::DetachChatWindow();
            DestroyState(h);
            return 0;
        case WM_SHOW_PAGE:
            if (w == 1) {
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
                        table.Text(net::SlotDataMsg::kNames + net::SlotDataMsg::kNameWidth * slot,
                                   net::SlotDataMsg::kNameWidth, m->SlotName(slot));
                        table.Text(net::SlotDataMsg::kLabels + net::SlotDataMsg::kLabelWidth * slot,
                                   net::SlotDataMsg::kLabelWidth, m->SlotLabel(slot));
                    }
                    ShowSlotListOnPage(h, table.Get().data());
                }
                Show(h, true);
            } else {
                Show(h, false);
            }
            return 1;
        case ui::WM_TIMER:
            if (w == kTimerAutoNext) {
                PageState* s = StateOf(h);
                if (s->autoNextTicks < kAutoNextTicks) {
                    ++s->autoNextTicks;
                } else {
                    ui::KillTimer(h, kTimerAutoNext);
                    s->autoNextTicks = 0;
                    ui::SendMessage(h, ui::WM_COMMAND, kIdSetupNext, 0);
                }
            }
            return 0;
        case ui::WM_COMMAND:
            switch (w & 0xFFFF) {
                case kIdSetupNext:
                    OnParticipantsNext(h);
                    return 0;
                case kIdSetupBack:
                    ui::KillTimer(h, kTimerAutoNext);
                    if (net::SessionManager* m = SessionOf(h)) m->Leave();
                    PrevPage(h, kPageTitle, kPageNetParticipants);
                    if (ui::IsWindow(h)) ui::SendDlgItemMessage(h, kIdParticipantList, ui::LB_RESETCONTENT, 0, 0);
                    return 0;
                default:
                    return 0;
            }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace zv::setup
