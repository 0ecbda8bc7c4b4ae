#include "shell/game/EditorCommands.h"

#include <algorithm>

#include "framework/ProcessState.h"
#include "mapview/GraspMapView.h"
#include "mapview/SelMapEditWindow.h"
#include "netplay/SessionManager.h"
#include "panels/HqWindow.h"
#include "panels/TableGroup.h"
#include "platform/ui/Window.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "shell/ChatWindow.h"
#include "shell/editor/MapEditorDocument.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameEnd.h"
#include "shell/game/GamePanels.h"
#include "shell/game/GameDocument.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/WindowClasses.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

constexpr const char* kModuleName = "map editor";

// The commands this file installs: a command id, what it does and when it can run.
struct EditorCommand {
    int id;
    ui::LResult (*run)(ui::Hwnd frame, ui::WParam w, ui::LParam l);
    bool (*available)();
};

bool HaveTables() {
    const GameWorld* w = CurrentGameWorld();
    return w != nullptr && w->tables != nullptr;
}

bool HaveMap() { return static_cast<bool>(GetWindowOfKind(WindowKind::MapWnd)); }

// Busy bit 0 keeps the clock from stepping while the player answers a box or a dialog.
template <typename Fn>
auto Busy(Fn&& fn) {
    GameWorld* w = CurrentGameWorld();
    sim::Simulation* s = w != nullptr ? w->simulation : nullptr;
    if (s != nullptr) s->SetBusyBit(sim::kBusyDialog, 1);
    struct Clear {
        sim::Simulation* s;
        ~Clear() {
            if (s != nullptr) s->SetBusyBit(sim::kBusyDialog, 0);
        }
    } clear{s};
    return fn();
}

// A command the editor's document carries out as it stands.
template <int Id>
ui::LResult DocumentCommand(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    Busy([&] { return HandleMapEditorCommand(frame, Id, w, l); });
    return 1;
}

ui::LResult NewMap(ui::Hwnd frame, ui::WParam, ui::LParam) {
    Busy([&] { return NewMapDocument(frame); });
    return 1;
}

ui::LResult OpenMap(ui::Hwnd frame, ui::WParam, ui::LParam) {
    // A cancelled or refused file leaves the open document (and its display) as it was.
    if (!Busy([&] { return OpenMapDocumentFromFile(frame); })) ReapplyDisplaySettings();
    return 1;
}

ui::LResult ImportMap(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    return DocumentCommand<kCmdImportMap>(frame, w, l);
}

// A command that opens a map in the editor, from wherever the player is: a running game is
// left only when the player agrees; the title gives way once a map is open. A game left for a
// file dialog that was then cancelled leaves an empty frame, so the title comes back.
template <ui::LResult (*Run)(ui::Hwnd, ui::WParam, ui::LParam)>
ui::LResult IntoEditor(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    const bool leftGame = IsGamePlaying();
    if (leftGame && !LeaveGameForEditor(frame)) return 1;
    Run(frame, w, l);
    if (IsEditorMapOpen()) {
        LeaveTitle();
        if (const ui::Hwnd result = GetWindowOfKind(WindowKind::ResultWnd); result && ui::IsWindowVisible(result)) {
            ui::ShowWindow(result, ui::SW_HIDE);
        }
        SetGamePlaying(frame, false);
        UpdateFrameMenuItems(frame);
    } else if (leftGame && !GetWindowOfKind(WindowKind::MapWnd) && !CurrentTitleWindow()) {
        OpenTitleWindow(frame);
    }
    return 1;
}

// From the title (the title page itself, not a set-up road), the editor, a game or its result.
bool MayOpenEditorMap() { return HaveTables() && MayLeaveTitle(); }

ui::LResult CloseMap(ui::Hwnd frame, ui::WParam, ui::LParam) {
    // The game's map closes only with the game: that is the return to the title, asked first.
    if (IsGamePlaying()) return ReturnToTitle(frame, 0, 0);
    if (!Busy([&] { return ConfirmCloseMapDocument(frame); })) return 1;
    CloseMapDocument(frame, 0);
    ResetGameState();
    // The frame never stands empty: with no map left the title comes back over it.
    if (!CurrentTitleWindow()) OpenTitleWindow(frame);
    return 1;
}

ui::LResult SaveMapAs(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    Busy([&] { return HandleMapEditorCommand(frame, kCmdSaveMapAs, w, l); });
    return 1;
}

bool UndoAvailable() { return IsEditorMapOpen() && IsUndoEnabled(); }
bool RedoAvailable() { return IsEditorMapOpen() && IsRedoEnabled(); }

constexpr EditorCommand kCommands[] = {
    {kCmdNewMap, IntoEditor<NewMap>, MayOpenEditorMap},
    {kCmdOpenMap, IntoEditor<OpenMap>, MayOpenEditorMap},
    {kCmdLoadMap, IntoEditor<OpenMap>, MayOpenEditorMap},
    {kCmdCloseMapDocument, CloseMap, HaveMap},
    {kCmdOverwriteMap, DocumentCommand<kCmdOverwriteMap>, HaveMap},
    {kCmdSaveMapAs, SaveMapAs, HaveMap},
    {kCmdWriteMap, SaveMapAs, HaveMap},
    {kCmdUndo, DocumentCommand<kCmdUndo>, UndoAvailable},
    {kCmdRedo, DocumentCommand<kCmdRedo>, RedoAvailable},
    {kCmdMapSettings, DocumentCommand<kCmdMapSettings>, IsEditorMapOpen},
    {kCmdMapCheck, DocumentCommand<kCmdMapCheck>, IsEditorMapOpen},
    {kCmdAreaInfo, DocumentCommand<kCmdAreaInfo>, IsEditorMapOpen},
    {kCmdImportMap, IntoEditor<ImportMap>, MayOpenEditorMap},
    {kCmdDeleteMapTroops, DocumentCommand<kCmdDeleteMapTroops>, IsEditorMapOpen},
};

bool IsNetworkPlay() {
    const GameWorld* w = CurrentGameWorld();
    if (w == nullptr || w->tables == nullptr) return false;
    return rules::GameSettingsCursor(*w->tables).GetSinglePlay() == 0;
}

// The map window goes: a network game is left, the clock parks (the map is emptied next).
void StopGame(ui::Hwnd) {
    if (IsNetworkPlay()) {
        if (net::SessionManager* session = fw::GetSessionManager(); session != nullptr) session->Leave();
        CloseNetworkWaitWindow();
    }
    SuspendClock();
}

ui::Hwnd CreateOverview(ui::Hwnd client) {
    const ui::Hwnd old = GetWindowOfKind(WindowKind::NowGraspWnd);
    if (old && ui::IsWindow(old)) return old;
    const ui::Hwnd grasp = mapview::CreateNowGraspWindow(client, 0, 0);
    if (grasp) ui::ShowWindow(grasp, ui::SW_HIDE);
    return grasp;
}

// With the game's panels joined, the HQ window is the first panel of the column, which lies
// under the editor's map. While a map is open in the editor the window is lent to the MDI client
// as a window of its own with a caption (hidden until 40043 shows it); closing the map gives it
// back to the column, bare, for the next game's layout.
void MoveHqWindow(bool lend) {
    const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
    const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
    const ui::Hwnd column = GetWindowOfKind(WindowKind::PanelManeger);
    if (!hq || !client || !column) return;
    const ui::Hwnd home = lend ? client : column;
    if (ui::GetParent(hq) == home) return;
    ui::ShowWindow(hq, ui::SW_HIDE);
    constexpr uint32_t kCaption = ui::WS_CAPTION | ui::WS_SYSMENU | ui::WS_CLIPSIBLINGS;
    uint32_t style = static_cast<uint32_t>(ui::GetWindowLong(hq, ui::GWL_STYLE));
    style = lend ? style | kCaption : style & ~kCaption;
    ui::SetWindowLong(hq, ui::GWL_STYLE, static_cast<int32_t>(style));
    ui::SetParent(hq, home);
    int w = panels::kHqWindowWidth, h = panels::kHqWindowHeight;
    if (lend) {
        w += 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        h += 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) + ui::GetSystemMetrics(ui::SM_CYCAPTION);
    }
    ui::SetWindowPos(hq, ui::Hwnd{}, 0, 0, w, h, ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
}

// A hidden HQ window waits in the top right corner of the MDI client, where it covers the
// least of the map when it is shown: below the tool bar, which lies over the client's top strip
// and would hide its caption.
void PlaceHqWindow() {
    const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
    const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
    if (!hq || !client || ui::IsWindowVisible(hq) || ui::GetParent(hq) != client) return;
    ui::Rect r{};
    ui::GetClientRect(client, &r);
    ui::Rect own{};
    ui::GetWindowRect(hq, &own);
    int top = 0;
    if (const ui::Hwnd bar = GetToolBarWindow(); bar && ui::IsWindowVisible(bar)) {
        ui::Rect br{};
        ui::GetWindowRect(bar, &br);
        ui::Point below{br.left, br.bottom};
        ui::ScreenToClient(client, &below);
        top = std::max(0, below.y);
    }
    ui::SetWindowPos(hq, ui::Hwnd{}, std::max(0, r.right - own.Width()), top, 0, 0,
                     ui::SWP_NOSIZE | ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
}

// The HQ miniature beside the map: a hidden window of the MDI client that 40043 shows.
void CreateEditorWindows(ui::Hwnd frame, ui::Hwnd client) {
    (void)frame;
    if (GetWindowOfKind(WindowKind::HqWnd) || !client) return;
    constexpr uint32_t style = ui::WS_CHILD | ui::WS_CAPTION | ui::WS_SYSMENU | ui::WS_CLIPSIBLINGS;
    const ui::Hwnd hq = panels::CreateHQWindow(nullptr, client, 0, style);
    if (!hq) return;
    ui::ShowWindow(hq, ui::SW_HIDE);
    SetWindowOfKind(WindowKind::HqWnd, hq);
}

void DestroyEditorWindows() {
    // The snapshots belong to this run of the program only.
    DeleteUndoFiles(GetWindowOfKind(WindowKind::FrameWnd));
}

}  // namespace

void ReturnHqWindowToColumn() {
    MoveHqWindow(false);
}

bool IsEditorMapOpen() {
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    return map && ui::GetClassName(map) == mapview::kSelMapEditWindowClass;
}

void InstallEditorCommands() {
    mapview::RegisterSelMapEditWindow();
    EditorFrameHooks hooks;
    hooks.enableMenusForMode = [](ui::Hwnd frame, bool on) {
        EnableMenusForMode(frame, on ? 1 : 0);
        MoveHqWindow(on);
        if (on) PlaceHqWindow();
    };
    hooks.createMapWindow = [](ui::Hwnd client) { return mapview::CreateSelMapEditWindow(nullptr, client); };
    hooks.createUnitContents = [](ui::Hwnd map) { return panels::CreateUnitContensWindow(nullptr, map); };
    hooks.createOverview = CreateOverview;
    hooks.stopGame = StopGame;
    hooks.hideGameWindows = [] {
        MapDocumentHook();
        HideGameWindows();
    };
    SetEditorFrameHooks(std::move(hooks));
    for (const EditorCommand& c : kCommands) SetFrameCommandHandler(c.id, c.run, c.available);

    bool added = false;
    for (const GameWindowModule& m : GameWindowModules()) added = added || m.name == kModuleName;
    if (!added) AddGameWindowModule({kModuleName, nullptr, CreateEditorWindows, DestroyEditorWindows});
}

void UninstallEditorCommands() {
    for (const EditorCommand& c : kCommands) SetFrameCommandHandler(c.id, nullptr);
    SetEditorFrameHooks({});
}

}  // namespace zv::shell
