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
#include "rules/records/Bytes.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapRecords.h"
#include "rules/search/RouteSearch.h"
#include "shell/ButtonBitmaps.h"
#include "shell/PictureHelpers.h"
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
constexpr int kCorpsEditorCommand = 40002;

bool gMusic = true;

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
        shell::SetCursorHex(static_cast<int>(hex & 0xFFFF), static_cast<int>(hex >> 16));
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

bool ProgramUsesMusic() { return gMusic; }

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

int RunGameProgram(const GameProgramOptions& options) {
    const auto trace = [&](std::string_view step) {
        if (options.trace) options.trace(step);
    };
    const auto report = [&](const std::string& text) {
        if (options.report) {
            options.report(text);
        } else {
            std::fprintf(stderr, "zv6: %s\n", text.c_str());
        }
    };
    gMusic = options.music;

    // 1. Only one copy runs.
    core::InstanceLock lock;
    const std::string instanceName = options.instanceName.empty() ? GetFrameClassName() : options.instanceName;
    if (!lock.TryAcquire(instanceName)) {
        trace("already running");
        const long holder = core::InstanceLock::HolderPid(instanceName);
        report("another copy is already running" +
               (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
               "; this one ends. Lock file: " + core::InstanceLock::LockPath(instanceName));
        return 0;
    }
    trace("mutex");

    // SIGTERM and SIGINT end the program as its own quit does, without asking: every message
    // loop is left (asked again until the last one is), the frame closes the game and the map,
    // and the shut-down below runs in its order. A program it waits for is asked to end too.
    std::mutex endMutex;
    ui::WindowManager* endTarget = nullptr;
    core::TerminationWatch termination;
    termination.Start([&](int signal) {
        core::SignalWaitedChild(signal);
        std::lock_guard<std::mutex> guard(endMutex);
        if (endTarget) endTarget->PostQuitMessage(0);
    });
    const auto terminated = [] { return core::TerminationWatch::Received() != 0; };

    // 3. The program's values.
    fw::ProcessState process;
    fw::InstallProcessState(&process);
    fw::SaveAppInstance(fw::CurrentAppInstance());
    if (options.programDirectory.empty()) {
        fw::SaveProgramDirectory(fw::GetAppInstance());
    } else {
        fw::SetProgramDirectory(options.programDirectory);
    }
    // The folders the game writes into. A program folder that lacks one (copied by hand, or
    // cleaned) gets it, so what is saved lands where the lists of files look.
    for (const char* folder : {"SAVE", "MAP", "USER"}) {
        const std::string path = std::string(fw::GetProgramDirectory()) + folder;
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        if (ec) report("cannot make the folder " + path + " (" + ec.message() + ")");
    }
    WindowRegistry registry;
    InstallWindowRegistry(&registry);
    const auto uninstall = [&] {
        InstallWindowRegistry(nullptr);
        fw::InstallProcessState(nullptr);
    };

    std::string error;
    std::unique_ptr<ui::Backend> backend = options.makeBackend ? options.makeBackend(&error) : nullptr;
    if (!backend) {
        report(error.empty() ? "no screen to open" : error);
        uninstall();
        return 1;
    }
    auto wm = std::make_unique<ui::WindowManager>(std::move(backend));
    {
        std::lock_guard<std::mutex> guard(endMutex);
        endTarget = wm.get();
    }
    // The screen goes only after the signal watch has let go of it.
    const auto closeScreen = [&] {
        {
            std::lock_guard<std::mutex> guard(endMutex);
            endTarget = nullptr;
        }
        wm.reset();
    };

    // 4. The screen.
    trace("screen");
    if (!CheckDisplayMode(ui::Hwnd{})) {
        closeScreen();
        uninstall();
        return 0;
    }

    // 5. Rule tables, classes, button pictures.
    auto tables = std::make_unique<rules::TableDirectory>();
    RegisterShellDialogs();
    RegisterFrameMenus();
    if (!tables->LoadAllTables(fw::GetProgramDirectory())) {
        report("cannot load the rule tables: " + tables->LastError());
        closeScreen();
        uninstall();
        return 0;
    }
    trace("tables");
    AddGamePanelsModule();
    if (!RegisterWindowClasses(nullptr) || !InitButtonBitmaps()) {
        report("cannot register the window classes or read the button pictures");
        closeScreen();
        uninstall();
        return 0;
    }
    trace("classes");
    SetShellTables(tables.get());

    // The world the windows and the clock work on.
    ShellGameEvents events;
    rules::RouteTerrainEpoch epoch;
    sim::SimulationEnv env;
    env.events = &events;
    env.routeEpoch = &epoch;
    auto simulation = std::make_unique<sim::Simulation>(*tables, std::move(env));
    rules::RouteSearchSet guiSearches(*tables, &epoch);
    FrameClockHost clockHost;
    auto clock = std::make_unique<sim::ClockStep>(*simulation, &clockHost);
    GameWorld world{tables.get(), simulation.get(), clock.get(), &events, &guiSearches};
    InstallGameWorld(&world);
    InstallGamePanels(world);
    FrameMapHost mapHost;
    mapview::MapWorld mapWorld;
    mapWorld.tables = tables.get();
    mapWorld.simulation = simulation.get();
    mapWorld.events = &events;
    mapWorld.routeSearches = &guiSearches;
    mapWorld.host = &mapHost;
    mapview::InstallMapWorld(&mapWorld);
    SetSimulationStep([c = clock.get()] { c->RealTimeTick(1); },
                      options.clockPeriodMs != 0 ? options.clockPeriodMs : 200);

    // The corps editor works on the same tables, with the corps files of the program folder's
    // "USER" folder; "部隊編成作成" opens its file manager as single play.
    rules::ForceWorkspace forceWorkspace;
    rules::TroopCache troopCache;
    organize::OrganizeWorld organizeWorld;
    organizeWorld.tables = tables.get();
    organizeWorld.workspace = &forceWorkspace;
    organizeWorld.corpsDirectory = fw::GetProgramDirectory();
    organizeWorld.troopCache = &troopCache;
    organizeWorld.simulation = simulation.get();
    // The session reaches the deployment dialog through this (the other GUI answers go on to
    // what it wraps).
    organize::DeploymentNetworkGui deploymentGui;
    organize::InstallOrganizeWorld(&organizeWorld);
    SetFrameCommandHandler(kCorpsEditorCommand, [t = tables.get()](ui::Hwnd frame, ui::WParam, ui::LParam) {
        rules::WriteS32(t->GetTableBase(rules::TableId::GameSettings),
                        rules::GameSettingsRecord::kSinglePlay, 1);
        return ui::LResult(organize::ShowCorpsFileManager(frame));
    });
    // The map editor's document, its dialogs and its windows.
    InstallEditorCommands();
    const auto uninstallCorpsEditor = [] {
        SetFrameCommandHandler(kCorpsEditorCommand, nullptr);
        organize::InstallOrganizeWorld(nullptr);
        UninstallEditorCommands();
    };

    // 6. Registry and session manager.
    registry.Clear();
    auto session = std::make_unique<net::SessionManager>();
    session->AttachGame(simulation.get(), tables.get());
    session->SetGui(&deploymentGui);
    fw::SetSessionManager(session.get(), ConnectionOf);
    simulation->SetSession(session.get());
    trace("session");

    const auto tearDownEarly = [&] {
        UninstallGamePanels();
        uninstallCorpsEditor();
        InstallGameWorld(nullptr);
        mapview::InstallMapWorld(nullptr);
        SetShellTables(nullptr);
        simulation->SetSession(nullptr);
        fw::SetSessionManager(nullptr, nullptr);
        session.reset();
        FreeButtonBitmaps();
        clock.reset();
        simulation.reset();
        closeScreen();
        uninstall();
    };

    // 7. The frame (its creation makes the MDI client and the game windows).
    const ui::Hwnd frame = CreateFrameWindow(nullptr);
    if (!frame || !GetWindowOfKind(WindowKind::FrameWnd)) {
        report("cannot create the frame window");
        tearDownEarly();
        return 0;
    }
    trace("frame");
    // The frame is the program's screen window: maximised and restored with it, filling it.
    wm->SetMainWindow(frame);
    wm->SetMainWindowFillsScreen(true);

    // 8. Application and display mode objects.
    fw::CreateApplication(fw::GetAppInstance(), frame);
    auto displayMode = std::make_unique<fw::DisplayMode>();

    // 9, 10. The session's events go to the frame; a lobby may have started us.
    ConnectSessionToFrame(frame);
    // A lobby start that joins waits for its session in the lobby wait dialog, which the
    // player sees and can cancel.
    const net::LobbyWait lobbyWait = [](const std::function<std::int32_t()>& poll) {
        return fw::RunLobbyWaitDialog(poll);
    };
    if (!session->ConnectFromLobby(lobbyWait)) {
        if (!terminated()) {
            ui::MessageBox(ui::Hwnd{}, Sjis("セッションに参加できませんでした。"), GetFrameTitle(), ui::MB_SYSTEMMODAL);
        }
        displayMode.reset();
        fw::DeleteApplication();
        ui::DestroyWindow(frame);
        tearDownEarly();
        return 0;
    }
    trace("lobby");

    // 11. The opening program, waited for (the title window joins here once it exists; until
    // then the program goes on to the frame), then the sound.
    if (options.runOpening && !session->IsLobbyLaunched() && !terminated()) {
        options.runOpening(fw::GetProgramDirectory());
        // Without a window manager nobody hands the keyboard back when the opening's window
        // closes: the game takes it, so the first key after the opening reaches the title.
        wm->GetBackend().TakeKeyboardFocus();
        trace("opening");
    }
    if (fw::StartSoundManager()) {
        LoadSoundEffects();
    } else {
        fw::SetSoundAvailable(0);
    }
    trace("sound");

    // 12. The title window over the frame, told whether a lobby started us. Without the set-up
    // module (tests of the frame alone) the program goes on to the frame.
    ui::Hwnd title{};
    if (HasTitleWindowFactory()) {
        title = OpenTitleWindow(frame, session->IsLobbyLaunched() ? 1 : 0, 0);
        trace("title");
    }

    // 13. The frame maximised, the accelerators.
    ui::ShowWindow(frame, ui::SW_SHOWMAXIMIZED);
    ui::UpdateWindow(frame);
    // The frame has just been maximised: the title keeps covering its client area.
    if (title && ui::IsWindow(title)) {
        const ui::Rect r = TitleWindowRect(frame);
        ui::SetWindowPos(title, ui::HWND_TOP, r.left, r.top, r.Width(), r.Height(), 0);
        ui::UpdateWindow(title);
    }
    const ui::Haccel accelerators = ui::LoadAccelerators(nullptr, kFrameAccelerators);
    trace("shown");

    // 14. The clock thread, parked until a game plays.
    StartSimulationThread();
    trace("clock");

    if (options.onFrameShown) options.onFrameShown(frame);

    // 15. The message loop.
    ui::Msg msg{};
    while (!terminated() && ui::GetMessage(&msg, ui::Hwnd{}, 0, 0)) {
        const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        if (client && ui::TranslateMDISysAccel(client, &msg)) continue;
        const ui::Hwnd f = GetWindowOfKind(WindowKind::FrameWnd);
        if (f && ui::TranslateAccelerator(f, accelerators, &msg)) continue;
        ui::TranslateMessage(msg);
        ui::DispatchMessage(msg);
    }
    trace("loop ended");
    if (terminated()) {
        // Asked to end by a signal: the frame's own end, as the game's quit reaches it (the
        // clock parked, the game and the map closed, every window's settings written).
        trace("terminated");
        if (const ui::Hwnd f = GetWindowOfKind(WindowKind::FrameWnd); f && ui::IsWindow(f)) {
            ui::SendMessage(f, WM_EXIT_GAME, 0, 0);
        }
        msg.wParam = 0;
    }

    // Shut-down.
    FreeSoundEffects();
    fw::StopSoundManager();
    trace("sound stopped");
    displayMode.reset();
    fw::DeleteApplication();
    trace("application deleted");
    StopSimulationThread();
    trace("clock stopped");
    FreeButtonBitmaps();
    trace("buttons freed");
    simulation->SetSession(nullptr);
    fw::SetSessionManager(nullptr, nullptr);
    session.reset();
    trace("session deleted");
    ui::DestroyAcceleratorTable(accelerators);
    UninstallGamePanels();
    uninstallCorpsEditor();
    InstallGameWorld(nullptr);
    mapview::InstallMapWorld(nullptr);
    SetShellTables(nullptr);
    SetSimulationStep(nullptr);
    clock.reset();
    simulation.reset();
    closeScreen();
    lock.Release();
    tables.reset();
    trace("tables freed");
    uninstall();
    return static_cast<int>(msg.wParam);
}

}  // namespace zv::shell
