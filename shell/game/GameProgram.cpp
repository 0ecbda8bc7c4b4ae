#include "shell/game/GameProgram.h"
#include "shell/game/TitleWindow.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "framework/ProcessState.h"
#include "framework/media/Application.h"
#include "framework/media/DisplayMode.h"
#include "framework/media/LobbyWaitDialog.h"
#include "framework/media/SoundManager.h"
#include "shell/WindowMessages.h"
#include "mapview/MapWorld.h"
#include "netplay/SessionManager.h"
#include "organize/CorpsFiles.h"
#include "organize/DeploymentSession.h"
#include "organize/OrganizeWorld.h"
#include "platform/core/Process.h"
#include "platform/core/Signals.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapRecords.h"
#include "rules/search/RouteSearch.h"
#include "shell/ButtonBitmaps.h"
#include "shell/PictureHelpers.h"
#include "shell/ProgramServices.h"
#include "shell/Settings.h"
#include "shell/ShellDialogs.h"
#include "shell/ShellTables.h"
#include "shell/SoundEffects.h"
#include "shell/WindowRegistry.h"
#include "shell/game/EditorCommands.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GamePanels.h"
#include "shell/game/ShellGameEvents.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

// "部隊編成作成(&T)...": the corps file manager.
constexpr int kCorpsEditorCommand = kCmdCorpsEditor;

// What the clock step asks of the windows around it.
class FrameClockHost : public sim::ClockHost {
  public:
    std::optional<int> GetGameSpeed() override {
        const ui::Hwnd speed = GetWindowOfKind(WindowKind::SpeedWnd);
        if (!speed) return std::nullopt;
        return static_cast<int>(ui::SendMessage(speed, zv::WM_GET_GAME_SPEED, 0, 0));
    }
    int GetPendingNetAction() override { return shell::GetPendingNetAction(); }
    sim::BehaviourSettings GetBehaviourSettings() override {
        sim::BehaviourSettings s;
        s.attackRangeMagnifying = GetAttackRengeMagnifying();
        s.maxAttackRange = GetMaxAttackRenge();
        return s;
    }
};

// The map windows' neighbours that exist in the shell and the panels.
class FrameMapHost : public PanelMapHost {
  public:
    void RememberDockedWindows() override {
        shell::RememberDockedWindows(GetWindowOfKind(WindowKind::FrameWnd));
    }
    void SetCursorHex(std::uint32_t hex) override {
        shell::SetCursorHex(ui::LoWord(hex), ui::HiWord(hex));
    }
    void NotifyCampInfoWindow() override {
        const ui::Hwnd h = GetWindowOfKind(WindowKind::CampInfoWnd);
        if (h && ui::IsWindowVisible(h)) ui::SendMessage(h, WM_REFRESH_CAMP_INFO, 0, 0);
    }
    void NotifySiteListWindow() override {
        const ui::Hwnd h = GetWindowOfKind(WindowKind::SiteListWnd);
        if (h && ui::IsWindowVisible(h)) ui::SendMessage(h, WM_REFRESH_SITE_INFO, 0, 0);
    }
};

// The session manager's events reach the frame as WM_NETWORK_EVENT.
class FrameNetworkTarget : public net::NetworkEventTarget {
  public:
    void SendNetworkEvent(std::uint32_t wParam, const void* lParam) override {
        const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd);
        if (frame) ui::SendMessage(frame, WM_NETWORK_EVENT, wParam, reinterpret_cast<ui::LParam>(lParam));
    }
    void SendLinkQuality(int quality) override {
        const ui::Hwnd h = GetWindowOfKind(WindowKind::PanelManeger);
        if (h) ui::SendMessage(h, WM_PANEL_LINK_QUALITY, static_cast<ui::WParam>(quality), 0);
    }
    void SendWaitMask(std::uint16_t mask) override {
        const ui::Hwnd h = GetWindowOfKind(WindowKind::PanelManeger);
        if (h) ui::SendMessage(h, WM_PANEL_WAIT_MASK, mask, 0);
    }
    void ServePendingSends() override {
        if (ui::WindowManager* wm = ui::WindowManager::Current()) wm->ServeSends();
    }
};

FrameNetworkTarget& NetworkTarget() {
    static FrameNetworkTarget target;
    return target;
}

net::SessionConnection* ConnectionOf(net::SessionManager* manager) {
    return manager ? manager->Connection() : nullptr;
}

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

}  // namespace

void ConnectSessionToFrame(ui::Hwnd frame) {
    (void)frame;
    if (net::SessionManager* m = fw::GetSessionManager()) m->SetNotifyTarget(&NetworkTarget());
}

std::string DisplayModeWarning(int width, int height, int bitsPerPixel) {
    const bool small = width < 800 || height < 600;
    if (bitsPerPixel < 16) {
        return small ? "640x480,256色環境では動作しません。800x600, 16bit High Color以上の環境で起動してください。"
                     : "256色環境では動作しません。16bit High Color以上の環境で起動してください。";
    }
    if (small) return "640x480環境では動作しません。800x600以上の環境で起動してください。";
    return {};
}

int CheckDisplayMode(ui::Hwnd owner) {
    ui::Rect desk;
    ui::GetWindowRect(ui::GetDesktopWindow(), &desk);
    const std::string warning = DisplayModeWarning(desk.right, desk.bottom, fw::GetScreenBitsPerPixel());
    if (warning.empty()) return 1;
    ui::MessageBox(owner, Sjis(warning.c_str()), Sjis("警告"), ui::MB_SYSTEMMODAL | ui::MB_ICONWARNING);
    return 0;
}

namespace {

// The program from start to end, one member per start-up step. The objects are members in the
// order they come into being, so whatever a step leaves behind goes in reverse when the program
// ends; the shut-down and the early ends take the global ones down in their own order first.
class GameProgram {
  public:
    explicit GameProgram(const GameProgramOptions& options) : options_(options) {}
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    int Run();

  private:
    void Trace(std::string_view step) const {
        if (options_.trace) options_.trace(step);
    }
    void Report(const std::string& text) const {
        if (options_.report) {
            options_.report(text);
        } else {
            std::fprintf(stderr, "zv6: %s\n", text.c_str());
        }
    }
    static bool Terminated() { return core::TerminationWatch::Received() != 0; }

    bool AcquireInstance();
    void WatchTermination();
    void InstallProcess();
    bool OpenScreen();
    bool LoadTablesAndClasses();
    void BuildWorld();
    void InstallCorpsEditor();
    void StartSession();
    bool CreateFrame();
    bool ConnectLobby();
    void RunOpeningAndSound();
    void OpenTitle();
    void ShowFrame();
    int RunMessageLoop();
    void ShutDown();

    // Taking down what the steps installed, for the shut-down and the early ends.
    void Uninstall();
    void CloseScreen();
    void UninstallCorpsEditor();
    void ForgetWorld();
    void TearDownEarly();

    const GameProgramOptions& options_;
    core::InstanceLock lock_;
    // The signal watch posts the quit to this window manager while it exists.
    std::mutex endMutex_;
    ui::WindowManager* endTarget_ = nullptr;
    core::TerminationWatch termination_;
    // What the modules share, installed from the first step on and filled by the others.
    ProgramServices services_;
    std::optional<fw::ProcessState> process_;
    std::optional<WindowRegistry> registry_;
    std::unique_ptr<ui::WindowManager> wm_;
    std::unique_ptr<rules::TableDirectory> tables_;
    // The world the windows and the clock work on.
    std::optional<ShellGameEvents> events_;
    std::optional<rules::RouteTerrainEpoch> epoch_;
    std::unique_ptr<sim::Simulation> simulation_;
    std::optional<rules::RouteSearchSet> guiSearches_;
    FrameClockHost clockHost_;
    std::unique_ptr<sim::ClockStep> clock_;
    FrameMapHost mapHost_;
    mapview::MapWorld mapWorld_;
    // The corps editor's.
    std::optional<rules::ForceWorkspace> forceWorkspace_;
    std::optional<rules::TroopCache> troopCache_;
    organize::OrganizeWorld organizeWorld_;
    organize::DeploymentNetworkGui deploymentGui_;
    std::unique_ptr<net::SessionManager> session_;
    ui::Hwnd frame_{};
    std::unique_ptr<fw::DisplayMode> displayMode_;
    ui::Hwnd title_{};
    ui::Haccel accelerators_{};
};

int GameProgram::Run() {
    if (!AcquireInstance()) return 0;
    WatchTermination();
    InstallProcess();
    if (!OpenScreen()) {
        Uninstall();
        return 1;
    }
    Trace("screen");
    if (!CheckDisplayMode(ui::Hwnd{}) || !LoadTablesAndClasses()) {
        CloseScreen();
        Uninstall();
        return 0;
    }
    BuildWorld();
    InstallCorpsEditor();
    StartSession();
    if (!CreateFrame()) {
        TearDownEarly();
        return 0;
    }
    if (!ConnectLobby()) {
        displayMode_.reset();
        fw::DeleteApplication();
        ui::DestroyWindow(frame_);
        TearDownEarly();
        return 0;
    }
    RunOpeningAndSound();
    OpenTitle();
    ShowFrame();
    // The clock thread, parked until a game plays.
    StartSimulationThread();
    Trace("clock");
    if (options_.onFrameShown) options_.onFrameShown(frame_);
    const int exitCode = RunMessageLoop();
    ShutDown();
    return exitCode;
}

// Only one copy runs.
bool GameProgram::AcquireInstance() {
    const std::string instanceName = options_.instanceName.empty() ? GetFrameClassName() : options_.instanceName;
    if (!lock_.TryAcquire(instanceName)) {
        Trace("already running");
        const long holder = core::InstanceLock::HolderPid(instanceName);
        Report("another copy is already running" +
               (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
               "; this one ends. Lock file: " + core::InstanceLock::LockPath(instanceName));
        return false;
    }
    Trace("mutex");
    return true;
}

// SIGTERM and SIGINT end the program as its own quit does, without asking: every message loop is
// left (asked again until the last one is), the frame closes the game and the map, and the
// shut-down runs in its order. A program it waits for is asked to end too.
void GameProgram::WatchTermination() {
    termination_.Start([this](int signal) {
        core::SignalWaitedChild(signal);
        std::lock_guard<std::mutex> guard(endMutex_);
        if (endTarget_) endTarget_->PostQuitMessage(0);
    });
}

// The program's values, the folders it writes into and the window registry.
void GameProgram::InstallProcess() {
    process_.emplace();
    services_.process = &*process_;
    InstallServices(&services_);
    fw::SaveAppInstance(fw::CurrentAppInstance());
    if (options_.programDirectory.empty()) {
        fw::SaveProgramDirectory(fw::GetAppInstance());
    } else {
        fw::SetProgramDirectory(options_.programDirectory);
    }
    // A program folder that lacks one (copied by hand, or cleaned) gets it, so what is saved
    // lands where the lists of files look.
    for (const char* folder : {"SAVE", "MAP", "USER"}) {
        const std::string path = std::string(fw::GetProgramDirectory()) + folder;
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        if (ec) Report("cannot make the folder " + path + " (" + ec.message() + ")");
    }
    registry_.emplace();
    services_.registry = &*registry_;
}

void GameProgram::Uninstall() {
    InstallServices(nullptr);
}

// The world's parts leave the services before they go.
void GameProgram::ForgetWorld() {
    services_.map = nullptr;
    services_.simulation = nullptr;
    services_.clock = nullptr;
    services_.events = nullptr;
    services_.guiSearches = nullptr;
    services_.tables = nullptr;
}

// The screen and its window manager.
bool GameProgram::OpenScreen() {
    std::string error;
    std::unique_ptr<ui::Backend> backend = options_.makeBackend ? options_.makeBackend(&error) : nullptr;
    if (!backend) {
        Report(error.empty() ? "no screen to open" : error);
        return false;
    }
    wm_ = std::make_unique<ui::WindowManager>(std::move(backend));
    std::lock_guard<std::mutex> guard(endMutex_);
    endTarget_ = wm_.get();
    return true;
}

// The screen goes only after the signal watch has let go of it.
void GameProgram::CloseScreen() {
    {
        std::lock_guard<std::mutex> guard(endMutex_);
        endTarget_ = nullptr;
    }
    wm_.reset();
}

// Rule tables, classes, button pictures.
bool GameProgram::LoadTablesAndClasses() {
    tables_ = std::make_unique<rules::TableDirectory>();
    RegisterShellDialogs();
    RegisterFrameMenus();
    if (!tables_->LoadAllTables(fw::GetProgramDirectory())) {
        Report("cannot load the rule tables: " + tables_->LastError());
        return false;
    }
    Trace("tables");
    AddGamePanelsModule();
    if (!RegisterWindowClasses(nullptr) || !InitButtonBitmaps()) {
        Report("cannot register the window classes or read the button pictures");
        return false;
    }
    Trace("classes");
    services_.tables = tables_.get();
    return true;
}

// The simulation, the clock step and the worlds of the game windows and the map windows.
void GameProgram::BuildWorld() {
    events_.emplace();
    epoch_.emplace();
    sim::SimulationEnv env;
    env.events = &*events_;
    env.routeEpoch = &*epoch_;
    simulation_ = std::make_unique<sim::Simulation>(*tables_, std::move(env));
    guiSearches_.emplace(*tables_, &*epoch_);
    clock_ = std::make_unique<sim::ClockStep>(*simulation_, &clockHost_);
    services_.simulation = simulation_.get();
    services_.clock = clock_.get();
    services_.events = &*events_;
    services_.guiSearches = &*guiSearches_;
    InstallGamePanels(services_);
    mapWorld_.tables = tables_.get();
    mapWorld_.simulation = simulation_.get();
    mapWorld_.events = &*events_;
    mapWorld_.routeSearches = &*guiSearches_;
    mapWorld_.host = &mapHost_;
    services_.map = &mapWorld_;
    SetSimulationStep([c = clock_.get()] { c->RealTimeTick(1); },
                      options_.clockPeriodMs != 0 ? options_.clockPeriodMs : 200);
}

// The corps editor works on the same tables, with the corps files of the program folder's "USER"
// folder; "部隊編成作成" opens its file manager as single play. Then the map editor's document,
// its dialogs and its windows.
void GameProgram::InstallCorpsEditor() {
    forceWorkspace_.emplace();
    troopCache_.emplace();
    organizeWorld_.tables = tables_.get();
    organizeWorld_.workspace = &*forceWorkspace_;
    organizeWorld_.corpsDirectory = fw::GetProgramDirectory();
    organizeWorld_.troopCache = &*troopCache_;
    organizeWorld_.simulation = simulation_.get();
    services_.organize = &organizeWorld_;
    SetFrameCommandHandler(kCorpsEditorCommand, [t = tables_.get()](ui::Hwnd frame, ui::WParam, ui::LParam) {
        rules::GameSettingsCursor(*t).SetSinglePlay(1);
        return ui::LResult(organize::ShowCorpsFileManager(frame));
    });
    InstallEditorCommands();
}

void GameProgram::UninstallCorpsEditor() {
    SetFrameCommandHandler(kCorpsEditorCommand, nullptr);
    services_.organize = nullptr;
    UninstallEditorCommands();
}

// The registry emptied and the session manager; the session reaches the deployment dialog
// through deploymentGui_ (the other GUI answers go on to what it wraps).
void GameProgram::StartSession() {
    registry_->Clear();
    session_ = std::make_unique<net::SessionManager>();
    session_->AttachGame(simulation_.get(), tables_.get());
    session_->SetGui(&deploymentGui_);
    fw::SetSessionManager(session_.get(), ConnectionOf);
    simulation_->SetSession(session_.get());
    Trace("session");
}

void GameProgram::TearDownEarly() {
    UninstallGamePanels(services_);
    UninstallCorpsEditor();
    ForgetWorld();
    simulation_->SetSession(nullptr);
    fw::SetSessionManager(nullptr, nullptr);
    session_.reset();
    FreeButtonBitmaps();
    clock_.reset();
    simulation_.reset();
    CloseScreen();
    Uninstall();
}

// The frame (its creation makes the MDI client and the game windows), then the application and
// display mode objects.
bool GameProgram::CreateFrame() {
    frame_ = CreateFrameWindow(nullptr, options_.music);
    if (!frame_ || !GetWindowOfKind(WindowKind::FrameWnd)) {
        Report("cannot create the frame window");
        return false;
    }
    Trace("frame");
    // The frame is the program's screen window: maximised and restored with it, filling it.
    wm_->SetMainWindow(frame_);
    wm_->SetMainWindowFillsScreen(true);
    fw::CreateApplication(fw::GetAppInstance(), frame_);
    displayMode_ = std::make_unique<fw::DisplayMode>();
    return true;
}

// The session's events go to the frame; a lobby may have started us. A lobby start that joins
// waits for its session in the lobby wait dialog, which the player sees and can cancel.
bool GameProgram::ConnectLobby() {
    ConnectSessionToFrame(frame_);
    const net::LobbyWait lobbyWait = [](const std::function<std::int32_t()>& poll) {
        return fw::RunLobbyWaitDialog(poll);
    };
    if (!session_->ConnectFromLobby(lobbyWait)) {
        if (!Terminated()) {
            ui::MessageBox(ui::Hwnd{}, Sjis("セッションに参加できませんでした。"), GetFrameTitle(), ui::MB_SYSTEMMODAL);
        }
        return false;
    }
    Trace("lobby");
    return true;
}

// The opening program, waited for (the title window joins here once it exists; until then the
// program goes on to the frame), then the sound.
void GameProgram::RunOpeningAndSound() {
    if (options_.runOpening && !session_->IsLobbyLaunched() && !Terminated()) {
        options_.runOpening(fw::GetProgramDirectory());
        // Without a window manager nobody hands the keyboard back when the opening's window
        // closes: the game takes it, so the first key after the opening reaches the title.
        if (ui::WindowManager* wm = ui::WindowManager::Current()) wm->GetBackend().TakeKeyboardFocus();
        Trace("opening");
    }
    if (fw::StartSoundManager()) {
        LoadSoundEffects();
    } else {
        fw::SetSoundAvailable(0);
    }
    Trace("sound");
}

// The title window over the frame, told whether a lobby started us. Without the set-up module
// (tests of the frame alone) the program goes on to the frame.
void GameProgram::OpenTitle() {
    if (!HasTitleWindowFactory()) return;
    title_ = OpenTitleWindow(frame_, session_->IsLobbyLaunched() ? 1 : 0, 0);
    Trace("title");
}

// The frame maximised, the accelerators.
void GameProgram::ShowFrame() {
    ui::ShowWindow(frame_, ui::SW_SHOWMAXIMIZED);
    ui::UpdateWindow(frame_);
    // The frame has just been maximised: the title keeps covering its client area.
    if (title_ && ui::IsWindow(title_)) {
        const ui::Rect r = TitleWindowRect(frame_);
        ui::SetWindowPos(title_, ui::HWND_TOP, r.left, r.top, r.Width(), r.Height(), 0);
        ui::UpdateWindow(title_);
    }
    accelerators_ = ui::LoadAccelerators(nullptr, kFrameAccelerators);
    Trace("shown");
}

// The message loop; its exit code.
int GameProgram::RunMessageLoop() {
    ui::Msg msg{};
    while (!Terminated() && ui::GetMessage(&msg, ui::Hwnd{}, 0, 0)) {
        const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        if (client && ui::TranslateMDISysAccel(client, &msg)) continue;
        const ui::Hwnd f = GetWindowOfKind(WindowKind::FrameWnd);
        if (f && ui::TranslateAccelerator(f, accelerators_, &msg)) continue;
        ui::TranslateMessage(msg);
        ui::DispatchMessage(msg);
    }
    Trace("loop ended");
    if (Terminated()) {
        // Asked to end by a signal: the frame's own end, as the game's quit reaches it (the
        // clock parked, the game and the map closed, every window's settings written).
        Trace("terminated");
        if (const ui::Hwnd f = GetWindowOfKind(WindowKind::FrameWnd); f && ui::IsWindow(f)) {
            ui::SendMessage(f, WM_EXIT_GAME, 0, 0);
        }
        return 0;
    }
    return static_cast<int>(msg.wParam);
}

void GameProgram::ShutDown() {
    FreeSoundEffects();
    fw::StopSoundManager();
    Trace("sound stopped");
    displayMode_.reset();
    fw::DeleteApplication();
    Trace("application deleted");
    StopSimulationThread();
    Trace("clock stopped");
    FreeButtonBitmaps();
    Trace("buttons freed");
    simulation_->SetSession(nullptr);
    fw::SetSessionManager(nullptr, nullptr);
    session_.reset();
    Trace("session deleted");
    ui::DestroyAcceleratorTable(accelerators_);
    UninstallGamePanels(services_);
    UninstallCorpsEditor();
    ForgetWorld();
    SetSimulationStep(nullptr);
    clock_.reset();
    simulation_.reset();
    CloseScreen();
    lock_.Release();
    tables_.reset();
    Trace("tables freed");
    Uninstall();
}

}  // namespace

int RunGameProgram(const GameProgramOptions& options) {
    GameProgram program(options);
    return program.Run();
}

}  // namespace zv::shell
