#include "shell/game/GamePanels.h"

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "framework/ProcessState.h"
#include "netplay/SessionManager.h"
#include "organize/LoadingChoosers.h"
#include "organize/TroopInfoDialog.h"
#include "panels/AllianceDialogs.h"
#include "panels/CommandWindow.h"
#include "panels/FightWindows.h"
#include "panels/HelperWindow.h"
#include "panels/HqWindow.h"
#include "panels/InfoWindows.h"
#include "panels/ListWindows.h"
#include "panels/NewsWindows.h"
#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "panels/TableGroup.h"
#include "panels/ToolBar.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "shell/Settings.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameEnd.h"
#include "shell/game/GameMessages.h"
#include "shell/game/WindowClasses.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

constexpr const char* kModuleName = "panels";

// The dialogs of the organisation windows that the panels open.
class GamePanelHost : public panels::PanelHost {
  public:
    void ShowTroopInfo(ui::Hwnd owner, std::uint8_t country, std::uint16_t troop, int mode) override {
        organize::ShowTroopInfo(owner, country, troop, mode);
    }
    int ShowWeaponExchange(ui::Hwnd owner, std::uint16_t troop) override {
        return organize::ShowWeaponExchange(owner, troop);
    }
    std::uint16_t ChooseCargoTroop(ui::Hwnd owner, std::uint16_t carrier) override {
        (void)owner;
        return organize::ChooseCargoTroop(carrier);
    }
    std::uint16_t ChooseCargoTroopBit(ui::Hwnd owner, std::uint16_t carrier) override {
        (void)owner;
        return organize::ChooseCargoTroopBit(0, carrier);
    }
    std::uint32_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode, int options) override {
        return organize::SelectSeparableWeapon(owner, troop, mode, static_cast<std::uint16_t>(options));
    }
};

struct Proposal {
    std::uint8_t proposer = 0;
    std::uint8_t addressee = 0;
    std::uint16_t kind = 0;
    std::string proposerSjis;
};

// Alliance proposals heard on the clock thread, taken one by one on the GUI thread.
class AllianceProposals {
  public:
    void Queue(Proposal proposal) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(proposal));
    }
    std::optional<Proposal> TakeNext() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.empty()) return std::nullopt;
        Proposal next = std::move(queue_.front());
        queue_.pop_front();
        return next;
    }

  private:
    std::mutex mutex_;
    std::deque<Proposal> queue_;
};

// The panels joined to the frame while the program runs: their world and host, the tool bar
// (which takes no registry slot) and the proposals waiting for the player.
struct PanelsState {
    GamePanelHost host;
    panels::PanelWorld world;
    ui::Hwnd toolBar;
    AllianceProposals proposals;
};

// The one joined between InstallGamePanels and UninstallGamePanels.
std::unique_ptr<PanelsState>& State() {
    static std::unique_ptr<PanelsState> state;
    return state;
}

sim::Simulation* Sim() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->simulation : nullptr;
}

bool Visible(WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    return h && ui::IsWindowVisible(h);
}

bool RegisterClasses() {
    return panels::RegisterTableGroupClasses(nullptr) == 1;
}

void CreateWindows(ui::Hwnd frame, ui::Hwnd client) {
    // The column: the HQ window first (the manager adopts it with the six panels), then the
    // panels and their manager, all hidden until a game lays them out.
    SetWindowOfKind(WindowKind::HqWnd, panels::CreateHQWindow(nullptr, frame, 0, ui::WS_CHILD));
    panels::CreatePanelWindows(frame, ui::WS_CHILD);
    // The speed panel holds the stored speed from the start: a map window closing before any
    // game began stores the panel's speed back, which would otherwise be its initial 0 (the
    // slowest) and stay so in the settings.
    ui::SendMessage(GetWindowOfKind(WindowKind::SpeedWnd), zv::WM_SET_GAME_SPEED,
                    ui::WParam(GetGameSpeed()), 0);
    SetWindowOfKind(WindowKind::RealManager, panels::CreateRealManagerWindow(nullptr, frame, 0));

    panels::CreateNewsWindow(client);
    panels::CreateResultWindow(frame);
    SetWindowOfKind(WindowKind::HelperWindow, panels::CreateHelperWindow(nullptr, client, 0, ui::WS_CHILD));
    SetWindowOfKind(WindowKind::TroopListWnd, panels::CreatePartyListWindow(nullptr, client));
    SetWindowOfKind(WindowKind::UnitListWnd, panels::CreateUnitListWindow(nullptr, client));
    panels::CreateCampInfoWindow(client, false);
    panels::CreateSiteInfoWindow(client, false);
    panels::CreateTroopNumWindow(client, false);
    panels::CreateUnitKindWindow(client, false);
    panels::CreateLandListWindow(client, false);
    // The table group takes over the pages made above.
    SetWindowOfKind(WindowKind::TableGroopWnd, panels::CreateTableGroupWindow(nullptr, frame));

    // The bar lies over the MDI client's top strip, where nothing else is docked: it must be
    // the frame's top child, or the client would take its clicks.
    const ui::Hwnd bar = panels::CreateZvToolWindow(nullptr, frame, 0, 0);
    if (bar) ui::BringWindowToTop(bar);
    if (PanelsState* s = State().get(); s != nullptr) s->toolBar = bar;
}

void DestroyWindows() {
    PanelsState* s = State().get();
    if (s == nullptr) return;
    if (s->toolBar && ui::IsWindow(s->toolBar)) ui::DestroyWindow(s->toolBar);
    s->toolBar = {};
    if (const ui::Hwnd unit = GetWindowOfKind(WindowKind::UnitContent); unit) ui::DestroyWindow(unit);
    SetWindowOfKind(WindowKind::UnitContent, ui::Hwnd{});
}

void InstallHooks() {
    panels::ToolBarHooks bar;
    bar.isMainMenuOpen = [] { return Visible(WindowKind::SelGameWnd) || Visible(WindowKind::BackWnd); };
    bar.isAnimationIdle = [] {
        const ui::Hwnd fights = GetWindowOfKind(WindowKind::RealManager);
        return !fights || ui::SendMessage(fights, WM_FIGHT_BEGIN, 0, 0) == 0;
    };
    bar.frameStatusControl = [] { return GetFrameStatusControl(); };
    panels::SetToolBarHooks(std::move(bar));

    panels::ResultWindowHooks result;
    result.playMusic = [](const char* file) { PlayMusicFile(file); };
    result.isJournalHost = [] {
        sim::Simulation* s = Sim();
        return s != nullptr && s->IsSinglePlay() == 0 && s->IsJournalHost() != 0;
    };
    result.leaveSession = [] {
        if (net::SessionManager* session = fw::GetSessionManager(); session != nullptr) session->Leave();
    };
    panels::SetResultWindowHooks(std::move(result));
}

}  // namespace

void AddGamePanelsModule() {
    for (const GameWindowModule& m : GameWindowModules()) {
        if (m.name == kModuleName) return;
    }
    AddGameWindowModule({kModuleName, RegisterClasses, CreateWindows, DestroyWindows});
}

void InstallGamePanels(ProgramServices& services) {
    State() = std::make_unique<PanelsState>();
    PanelsState& s = *State();
    s.world.tables = services.tables;
    s.world.simulation = services.simulation;
    s.world.host = &s.host;
    services.panels = &s.world;
    InstallHooks();
    InstallGameEndCommands();
}

void UninstallGamePanels(ProgramServices& services) {
    UninstallGameEndCommands();
    panels::SetToolBarHooks({});
    panels::SetResultWindowHooks({});
    if (State() && services.panels == &State()->world) services.panels = nullptr;
    State().reset();
}

ui::Hwnd GetToolBarWindow() {
    PanelsState* s = State().get();
    return s != nullptr && s->toolBar && ui::IsWindow(s->toolBar) ? s->toolBar : ui::Hwnd{};
}

void RevealTableGroupPage(ui::Hwnd frame, WindowKind kind) {
    const ui::Hwnd group = GetWindowOfKind(WindowKind::TableGroopWnd);
    const ui::Hwnd page = GetWindowOfKind(kind);
    if (!group || !page) return;
    const ui::Hwnd tabs = ui::GetDlgItem(group, panels::IDC_TABLE_GROUP_TABS);
    if (!tabs || ui::GetParent(page) != tabs) return;
    const panels::TableGroupTab* pages = panels::TableGroupTabs();
    for (int t = 0; t < panels::kTableGroupTabCount; ++t) {
        if (pages[t].kind != static_cast<int>(kind)) continue;
        ui::SendMessage(tabs, ui::TCM_SETCURSEL, ui::WParam(t), 0);
        ui::NmHdr change;
        change.hwndFrom = tabs;
        change.idFrom = panels::IDC_TABLE_GROUP_TABS;
        change.code = ui::TCN_SELCHANGE;
        ui::SendMessage(group, ui::WM_NOTIFY, panels::IDC_TABLE_GROUP_TABS, reinterpret_cast<ui::LParam>(&change));
        if (!ui::IsWindowVisible(group)) {
            ui::ShowWindow(group, ui::SW_SHOWNORMAL);
            PutInfo(1);
            RememberDockedWindows(frame);
        }
        return;
    }
}

int PanelMapHost::GetSelectedCommandCode() { return panels::GetSelectedCommandCode(); }

void PanelMapHost::UpdateCommandButtons(std::uint16_t mask, int redraw) {
    (void)redraw;
    panels::UpdateCommandButtons(mask, 0);
}

std::uint16_t PanelMapHost::GetLaunchTroop() { return panels::GetLaunchTroop(); }
std::uint16_t PanelMapHost::GetSeparationChoice() { return panels::GetSeparationChoice(); }

void PanelMapHost::RequestReinforcements(ui::Hwnd owner, std::uint8_t country, std::uint16_t hex, int mode) {
    panels::RequestReinforcements(owner, country, hex, mode);
}

std::uint16_t PanelMapHost::SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode,
                                                  std::uint16_t options) {
    // The chooser answers the range in its high word; the order takes the weapon classes.
    return ui::LoWord(organize::SelectSeparableWeapon(owner, troop, mode, options));
}

void PanelMapHost::NotifyHqWindow(int what, std::uint16_t hex) {
    const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
    if (!hq || !ui::IsWindowVisible(hq)) return;
    std::uint16_t point[2] = {static_cast<std::uint16_t>(hex & 0xFF), static_cast<std::uint16_t>(hex >> 8)};
    ui::SendMessage(hq, WM_HQ_VIEW_RECT, static_cast<ui::WParam>(what), reinterpret_cast<ui::LParam>(point));
}

void QueueAllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                           const std::string& proposerSjis) {
    PanelsState* s = State().get();
    if (s == nullptr) return;
    s->proposals.Queue({proposer, addressee, kind, proposerSjis});
    if (const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd); frame) {
        ui::PostMessage(frame, WM_ALLIANCE_PROPOSAL, 0, 0);
    }
}

ui::LResult HandleAllianceMessage(ui::Hwnd frame, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    (void)l;
    if (msg == WM_ALLIANCE_ANSWER) {
        panels::ShowStringMessageBox(frame, static_cast<int>(w));
        return 1;
    }
    PanelsState* s = State().get();
    sim::Simulation* simulation = Sim();
    if (s == nullptr) return 0;
    const std::optional<Proposal> p = s->proposals.TakeNext();
    if (!p) return 0;
    // A proposal that arrives after the game ended has nobody to answer it.
    if (simulation == nullptr || !IsGamePlaying()) return 0;
    panels::AnswerAllianceProposal(frame, *simulation, p->proposer, p->addressee, p->kind, p->proposerSjis);
    return 1;
}

}  // namespace zv::shell
