// The GUI side of the session manager during the set-up and the game: what each network event
// does to the pages, the chat panel, the progress windows, the notices and the frame. Also the
// installation of the network pages into the program.

#include <cstring>
#include <memory>

#include "framework/ProcessState.h"
#include "framework/media/TimedMessageDialog.h"
#include "netplay/SessionManager.h"
#include "organize/DeploymentSession.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Messages.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/records/Bytes.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "shell/ChatWindow.h"
#include "shell/ShellDialogs.h"
#include "shell/FrameCommands.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"

namespace zv::setup {

using namespace netpages;

namespace {

constexpr std::uint32_t kNoticeMs = 3000;

ui::Hwnd FindPage(ui::Hwnd container, int index) {
    if (!container || index < kPageNetConnection || index > kPageNetCountries) return {};
    const std::string cls = kMultiPlayPageClasses[index - kPageNetConnection];
    for (ui::Hwnd h = ui::GetWindow(container, ui::GW_CHILD); h; h = ui::GetWindow(h, ui::GW_HWNDNEXT)) {
        if (ui::GetClassName(h) == cls) return h;
    }
    return {};
}

class SetupNetworkGui : public net::NetworkGui {
  public:
    SetupNetworkGui(ui::Hwnd frame, std::function<ui::Hwnd()> container)
        : frame_(frame), container_(std::move(container)) {}

    void ShowJoinedStatus() override {
        ShowParticipantStatus(Page(kPageNetParticipants), "ようこそ！接続確認できました。");
    }
    void ShowSlotList(const std::uint8_t* slotData) override {
        ShowSlotListOnPage(Page(kPageNetParticipants), slotData);
    }
    void ShowRejected() override {
        ui::MessageBox(ui::Hwnd{}, S("セッションに参加することができませんでした。"), "", ui::MB_OK | ui::MB_SYSTEMMODAL);
    }
    void ShowHostChoosingMapStatus() override {
        ShowParticipantStatus(Page(kPageNetParticipants), "ホストがマップを選択中です。");
    }
    void StartAutoNextTimer() override { StartAutoNextTimerOnPage(Page(kPageNetParticipants)); }
    void OnGameSetting(int type, int turn, const std::uint8_t* block) override {
        const ui::Hwnd page = Page(kPageNetCountries);
        if (!page || !block) return;
        if (type == net::ZVCMSG_GAMESETTING_GAME) OnGameSettingGame(page, turn, block);
        if (type == net::ZVCMSG_GAMESETTING_DONE) OnGameSettingDone(page, turn, block);
        if (type == net::ZVCMSG_GAMESETTING_NEXT) OnGameSettingNext(page, block);
    }
    void BeginPlay() override {
        if (frame_) ui::SendMessage(frame_, zv::WM_BEGIN_PLAY, 0, 0);
    }
    void AddChatLine(const std::string& text, std::uint16_t recipients) override {
        shell::AddChatLine(text, recipients);
    }
    void OnRoleResult(int result, const std::int32_t* roles) override {
        (void)roles;
        const ui::Hwnd page = Page(kPageNetRole);
        if (!page) return;
        if (result == 1) GoToConditionsPage(page);
        if (result == 2) OnRoleRefused(page);
    }
    void CloseNetworkWaitWindow() override { shell::CloseNetworkWaitWindow(); }
    void TransferProgress(bool receiving, Progress what, int blocks) override {
        const ui::Hwnd window = shell::GetWindowOfKind(receiving ? shell::WindowKind::ReceverParaWd
                                                                 : shell::WindowKind::TransFaParaWd);
        if (!window) return;
        const ui::Hwnd bar = ui::GetDlgItem(window, shell::kIdProgressBar);
        const bool visible = ui::IsWindowVisible(window);
        if (what == Progress::Hide) {
            if (visible) ui::ShowWindow(window, ui::SW_HIDE);
            return;
        }
        if (what == Progress::Show) {
            // A new transfer starts its bar anew, also over one that stopped half-way.
            ui::SendMessage(bar, ui::PBM_SETRANGE32, 0, blocks);
            ui::SendMessage(bar, ui::PBM_SETPOS, 0, 0);
            ui::SendMessage(bar, ui::PBM_SETSTEP, 1, 0);
            if (!visible) {
                ui::SetWindowPos(window, ui::HWND_TOPMOST, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE);
                ui::ShowWindow(window, ui::SW_SHOW);
            }
            return;
        }
        ui::SendMessage(bar, ui::PBM_STEPIT, 0, 0);
    }
    void ShowNotice(const std::string& text, std::function<void()> ended) override {
        fw::ShowTimedMessageDialog(frame_, text.c_str(), shell::GetFrameTitle().c_str(), std::move(ended), kNoticeMs);
    }
    void ReturnToTitle(Return how) override {
        switch (how) {
            case Return::SetupPages:
                if (const ui::Hwnd c = container_ ? container_() : ui::Hwnd{}) {
                    ui::SendMessage(c, WM_SETUP_PREV_PAGE, kPageTitle, GetCurrentSetupPage());
                }
                return;
            case Return::Command:
                if (frame_) ui::SendMessage(frame_, ui::WM_COMMAND, shell::kCmdReturnToTitle, 1);
                return;
            case Return::Delayed:
                if (frame_) ui::SendMessage(frame_, zv::WM_DELAYED_RETURN_TO_TITLE, 0, 1);
                return;
        }
    }
    void SuspendClock() override { shell::SuspendClock(); }

  private:
    ui::Hwnd Page(int index) const { return FindPage(container_ ? container_() : ui::Hwnd{}, index); }

    ui::Hwnd frame_;
    std::function<ui::Hwnd()> container_;
};

// The chat panel's view of the session: the state, the slots' countries, who plays a country.
class SessionChat : public shell::ChatSession {
  public:
    int SessionState() override {
        net::SessionManager* m = Session();
        return m ? m->State() : 0;
    }
    std::uint32_t SlotValue(int slot) override {
        net::SessionManager* m = Session();
        return m ? m->GetSlotValue(slot) : 0;
    }
    int CountryParticipation(int country) override {
        net::SessionManager* m = Session();
        if (!m || country < 0 || country > 3) return 1;
        for (int slot = 0; slot < net::kSlotCount; ++slot) {
            const std::uint8_t* p = m->SettingBlock() + net::GameSettingBlock::Player(slot);
            if (rules::ReadS32(p, net::PlayerSetting::kCountry) != country + 1) continue;
            const int role = (rules::ReadS32(p, net::PlayerSetting::kCodes) >> 16) & 0xFF;
            return role == 3 ? 3 : 0;
        }
        return 1;
    }
    int SendChat(std::uint16_t recipients, const std::string& text, bool withName) override {
        net::SessionManager* m = Session();
        return m ? m->SendChat(recipients, text, withName) : -1;
    }

  private:
    static net::SessionManager* Session() { return fw::GetSessionManager(); }
};

}  // namespace

net::NetworkGui* MakeSetupNetworkGui(ui::Hwnd frame, std::function<ui::Hwnd()> container) {
    return new SetupNetworkGui(frame, std::move(container));
}

int RegisterNetworkPageClasses() {
    static const ui::WndProc procs[6] = {MultiPlay2Proc, MultiPlay4Proc, MultiPlay6Proc,
                                         MultiPlay5Proc, MultiPlay1Proc, MultiPlay7Proc};
    for (int i = 0; i < 6; ++i) {
        ui::WindowClass wc;
        wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
        wc.windowExtraBytes = 4;
        wc.proc = procs[i];
        wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
        wc.name = kMultiPlayPageClasses[i];
        ui::WindowClass existing;
        if (ui::GetClassInfo(wc.name, &existing)) continue;
        if (!ui::RegisterClass(wc)) return 0;
    }
    RegisterNetworkPageDialogs();
    return 1;
}

void InstallNetworkPages() {
    static const ui::WndProc procs[6] = {MultiPlay2Proc, MultiPlay4Proc, MultiPlay6Proc,
                                         MultiPlay5Proc, MultiPlay1Proc, MultiPlay7Proc};
    for (int i = 0; i < 6; ++i) AddSetupPageClass(kMultiPlayPageClasses[i], procs[i]);
    RegisterNetworkPageDialogs();
    SetUserNameDialog([](ui::Hwnd owner, std::string& name) {
        char field[18];
        std::memset(field, ' ', sizeof field);
        // The stored or log-on name may be longer than the field: cut on a character boundary.
        const std::size_t n = core::SjisCutLength(name, kDialogUserNameBytes);
        std::memcpy(field, name.data(), n);
        field[n] = '\0';
        const int ok = ShowUserNameDialog(owner, field);
        field[17] = '\0';
        std::string confirmed(field);
        while (!confirmed.empty() && confirmed.back() == ' ') confirmed.pop_back();
        if (ok) name = confirmed;
        return ok != 0;
    });
    SetLobbyParticipantsFiller([](ui::Hwnd page, ui::LParam block) {
        ShowSlotListOnPage(page, reinterpret_cast<const std::uint8_t*>(block));
    });
    static SessionChat chat;
    for (const shell::GameWindowModule& m : shell::GameWindowModules()) {
        if (m.name == "netpages") return;
    }
    shell::AddGameWindowModule({"netpages",
                                [] {
                                    RegisterNetworkPageDialogs();
                                    return true;
                                },
                                [](ui::Hwnd frame, ui::Hwnd) {
                                    static std::unique_ptr<net::NetworkGui> gui;
                                    gui.reset(MakeSetupNetworkGui(frame, [] { return GetMainMenuWindow(); }));
                                    // The deployment dialog answers its two calls first; the
                                    // pages take everything else.
                                    static organize::DeploymentNetworkGui deployment;
                                    deployment.SetNext(gui.get());
                                    if (net::SessionManager* m = fw::GetSessionManager()) m->SetGui(&deployment);
                                    shell::SetChatSession(&chat);
                                },
                                [] { shell::SetChatSession(nullptr); }});
}

}  // namespace zv::setup
