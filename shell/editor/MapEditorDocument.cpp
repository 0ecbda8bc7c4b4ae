#include "shell/editor/MapEditorDocument.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "mapview/GraspMapView.h"
#include "mapview/MapAreaInfoWindow.h"
#include "mapview/MapCheckDialog.h"
#include "mapview/MapEditorContext.h"
#include "shell/WindowMessages.h"
#include "mapview/MapSettingsDialog.h"
#include "mapview/MapViewWindows.h"
#include "mapview/MapWorld.h"
#include "mapview/SelMapEditWindow.h"
#include "platform/core/Sjis.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/files/MapFiles.h"
#include "rules/files/MapImport.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/Settings.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "rules/records/MapRecords.h"

namespace zv::shell {

namespace {

EditorFrameHooks gHooks;
bool gUndoEnabled = false;
bool gRedoEnabled = false;
bool gModified = false;
// Where the open document's snapshots lie: the current directory when it was opened (a later
// change of the current directory must not lose them or leave them behind).
std::string gSnapshotDir;

std::string SnapshotPath(const char* stem) {
    std::string path = gSnapshotDir.empty() ? std::string() : gSnapshotDir + "/";
    return path + stem + "-" + std::to_string(::getpid()) + ".tmp";
}

mapview::MapWorld* World() {
    mapview::MapWorld* world = mapview::CurrentMapWorld();
    return world != nullptr && world->tables != nullptr ? world : nullptr;
}

int Ask(ui::Hwnd owner, const std::string& text, const std::string& caption, uint32_t type) {
    return mapview::EditorMessageBox(owner, text, caption, type);
}

void SetControl(ui::Hwnd frame, int menuId, int buttonId, bool enabled) {
    if (const ui::Hmenu menu = frame ? ui::GetMenu(frame) : ui::Hmenu{})
        ui::EnableMenuItem(menu, static_cast<uint32_t>(menuId),
                           ui::MF_BYCOMMAND | (enabled ? ui::MF_ENABLED : (ui::MF_GRAYED | ui::MF_DISABLED)));
    if (const ui::Hwnd tools = GetWindowOfKind(WindowKind::SelToolWnd))
        ui::EnableWindow(ui::GetDlgItem(tools, buttonId), enabled);
}

void EnableUndo(ui::Hwnd frame, bool on) {
    gUndoEnabled = on;
    SetControl(frame, kCmdUndo, kIdUndoButton, on);
}

void EnableRedo(ui::Hwnd frame, bool on) {
    gRedoEnabled = on;
    SetControl(frame, kCmdRedo, kIdRedoButton, on);
}

void RemoveFile(const std::string& name) {
    std::error_code ec;
    std::filesystem::remove(name, ec);
}

ui::Hwnd MdiClientOf(ui::Hwnd frame) {
    if (const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd)) return client;
    for (ui::Hwnd c = ui::GetWindow(frame, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT))
        if (ui::GetClassName(c) == ui::kMdiClientClass) return c;
    return frame;
}

void CheckFrameItem(ui::Hwnd frame, int id, bool on) {
    if (const ui::Hmenu menu = frame ? ui::GetMenu(frame) : ui::Hmenu{})
        ui::CheckMenuItem(menu, static_cast<uint32_t>(id), ui::MF_BYCOMMAND | (on ? ui::MF_CHECKED : ui::MF_UNCHECKED));
}

void SyncToolChecks(ui::Hwnd frame) {
    const ui::Hwnd sel = GetWindowOfKind(WindowKind::SelToolWnd);
    const ui::Hwnd ter = GetWindowOfKind(WindowKind::TerToolWnd);
    CheckFrameItem(frame, kCmdSelToolCheck, sel && ui::IsWindowVisible(sel));
    CheckFrameItem(frame, kCmdTerToolCheck, ter && ui::IsWindowVisible(ter));
}

void SendToKind(WindowKind kind, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (const ui::Hwnd h = GetWindowOfKind(kind)) ui::SendMessage(h, msg, w, l);
}

void PrepareMode(ui::Hwnd frame) {
    DeleteUndoFiles(frame);
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    gSnapshotDir = ec ? std::string() : here.string();
    ReapplyDisplaySettings();
    if (gHooks.enableMenusForMode) gHooks.enableMenusForMode(frame, true);
}

void ShowDocumentWindows(ui::Hwnd frame, ui::Hwnd map, bool overview) {
    if (!map) return;
    SetWindowOfKind(WindowKind::MapWnd, map);
    SetMapWindowCaption(map);
    ui::ShowWindow(map, ui::SW_SHOWNORMAL);
    if (gHooks.createUnitContents) SetWindowOfKind(WindowKind::UnitContent, gHooks.createUnitContents(map));
    if (overview) {
        const ui::Hwnd client = MdiClientOf(frame);
        const ui::Hwnd grasp = gHooks.createOverview ? gHooks.createOverview(client) : ui::Hwnd{};
        if (grasp) SetWindowOfKind(WindowKind::NowGraspWnd, grasp);
    }
    SendToKind(WindowKind::TroopListWnd, WM_REFRESH_TROOP_LIST, 0, 0);
    SyncToolChecks(frame);
    NotifyHqWindow(1, 0, 0);
    gModified = false;
}

// The map window and its companions go; the tables stay as they are.
void DestroyDocumentWindows(ui::Hwnd frame) {
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    if (!map) return;
    if (gHooks.stopGame) gHooks.stopGame(frame);
    ui::ShowWindow(map, ui::SW_HIDE);
    const ui::Hwnd client = ui::GetParent(map);
    if (client && ui::GetClassName(client) == ui::kMdiClientClass)
        ui::SendMessage(client, ui::WM_MDIDESTROY, static_cast<ui::WParam>(ui::HwndToParam(map)), 0);
    else
        ui::DestroyWindow(map);
    SetWindowOfKind(WindowKind::MapWnd, ui::Hwnd{});
    if (gHooks.hideGameWindows) gHooks.hideGameWindows();
    const ui::Hwnd contents = GetWindowOfKind(WindowKind::UnitContent);
    if (contents && ui::IsWindow(contents)) ui::DestroyWindow(contents);
    SetWindowOfKind(WindowKind::UnitContent, ui::Hwnd{});
    const ui::Hwnd grasp = GetWindowOfKind(WindowKind::NowGraspWnd);
    if (grasp && ui::IsWindow(grasp)) ui::DestroyWindow(grasp);
    SetWindowOfKind(WindowKind::NowGraspWnd, ui::Hwnd{});
    SendToKind(WindowKind::NewsWnd, WM_NEWS_CLEAR, 0, 0);
    static const char empty[1] = {};
    SendToKind(WindowKind::PanelManeger, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(empty));
}

void RefreshAfterRestore(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    (void)frame;
    if (mapview::MapWorld* world = World()) {
        rules::GameContext ctx(*world->tables, mapview::MapContextEnv());
        ctx.RebuildHexOccupancy();
        if (world->routeSearches != nullptr) world->routeSearches->ReloadAllTerrain();
    }
    SendToKind(WindowKind::MapWnd, zv::WM_MAP_REBUILD, w, l);
    NotifyHqWindow(1, 0, 0);
    gModified = true;
}

ui::Hwnd DefaultMapWindow(ui::Hwnd client) {
    ui::Rect r{};
    ui::GetClientRect(client, &r);
    return mapview::CreateRealViewWindow(client, 0, 0, r.Width(), r.Height());
}

// The map file named by the document's current file.
int Overwrite(ui::Hwnd frame) {
    const std::string path = GetSelectedFilePath();
    if (path.empty()) {
        if (SaveMapFileDialog(frame) == 1) {
            SetMapWindowCaption(GetWindowOfKind(WindowKind::MapWnd));
            gModified = false;
            return 1;
        }
        return 0;
    }
    char text[600];
    std::snprintf(text, sizeof text, "%sに上書きします。よろしいですか？", core::SjisToUtf8(GetSelectedFileName()).c_str());
    if (Ask(frame, text, "上書き保存", ui::MB_YESNO) != ui::IDYES) return 0;
    mapview::MapWorld* world = World();
    const rules::FileStatus status =
        world != nullptr ? rules::WriteMapFile(*world->tables, path) : rules::FileStatus::Failure("no map");
    if (!status) {
        Ask(frame, "ファイルの上書きに失敗しました\n" + status.error, "上書き保存", ui::MB_OK);
        return 0;
    }
    gModified = false;
    return 1;
}

int SaveAs(ui::Hwnd frame) {
    if (SaveMapFileDialog(frame) != 1) return 0;
    SetMapWindowCaption(GetWindowOfKind(WindowKind::MapWnd));
    gModified = false;
    return 1;
}

// One step back or forward: the current map goes to `keep`, `restore` comes back.
int Step(ui::Hwnd frame, bool undo, ui::WParam w, ui::LParam l) {
    mapview::MapWorld* world = World();
    const std::string restore = undo ? UndoFileName() : RedoFileName();
    const std::string keep = undo ? RedoFileName() : UndoFileName();
    // Without its snapshot the step cannot be taken; the controls say so again. A file this
    // document did not write (left by a crashed copy) is never read.
    const bool enabled = undo ? gUndoEnabled : gRedoEnabled;
    if (world == nullptr || !enabled || !FileExists(restore)) {
        if (undo) EnableUndo(frame, false);
        else EnableRedo(frame, false);
        return 0;
    }
    if (!rules::WriteUndoMapFile(*world->tables, keep)) return 0;
    if (undo) EnableRedo(frame, true);
    else EnableUndo(frame, true);
    const rules::FileStatus status = rules::ReadUndoMapFile(*world->tables, restore);
    RemoveFile(restore);
    if (undo) EnableUndo(frame, false);
    else EnableRedo(frame, false);
    if (status) RefreshAfterRestore(frame, w, l);
    return status ? 1 : 0;
}

bool SameFileBytes(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>());
}

int MapSettings(ui::Hwnd frame) {
    mapview::MapWorld* world = World();
    if (world == nullptr) return 0;
    // The snapshot is of the map before the dialog changes it; it becomes the undo step only
    // when the dialog changed something (OK on an unchanged dialog is no edit).
    const std::string pending = UndoFileName() + ".new";
    const std::string after = UndoFileName() + ".now";
    const bool saved = static_cast<bool>(rules::WriteUndoMapFile(*world->tables, pending));
    const intptr_t result = mapview::ShowMapSettingsDialog(frame);
    const bool changed = result != 0 && !(saved && rules::WriteUndoMapFile(*world->tables, after) &&
                                          SameFileBytes(pending, after));
    if (changed) {
        std::error_code ec;
        if (saved) std::filesystem::rename(pending, UndoFileName(), ec);
        if (saved && !ec) EnableUndo(frame, true);
        gModified = true;
    }
    RemoveFile(pending);
    RemoveFile(after);
    if (result != 0) SetMapWindowCaption(GetWindowOfKind(WindowKind::MapWnd));
    return changed ? 1 : 0;
}

int DeleteMapTroops(ui::Hwnd frame) {
    mapview::MapWorld* world = World();
    if (world == nullptr) return 0;
    if (Ask(frame, "マップに登録してある部隊を削除します。よろしいですか", kGameTitle, ui::MB_YESNO) == ui::IDNO) return 0;
    SaveUndoState(frame);
    rules::TroopCursor troops(*world->tables);
    for (std::uint16_t t = 0; t < 255; ++t)
        if (troops.Select(t)) troops.ResetCurrentTroop();
    rules::GameContext ctx(*world->tables, mapview::MapContextEnv());
    for (int y = 0; y < rules::kMapSize; ++y)
        for (int x = 0; x < rules::kMapSize; ++x)
            if (ctx.SelectHexInfoXY(x, y) && ctx.GetHexTroopIndex() != rules::kNoTroopIndex)
                ctx.SetHexTroopIndex(rules::kNoTroopIndex);
    SendToKind(WindowKind::MapWnd, zv::WM_MAP_REBUILD, 0, 0);
    NotifyHqWindow(1, 0, 0);
    gModified = true;
    return 1;
}

int ToggleAreaInfo(ui::Hwnd frame) {
    ui::Hwnd area = GetWindowOfKind(WindowKind::AriaInfo);
    if (!area) {
        area = mapview::CreateMapAreaInfoWindow(nullptr, frame);
        SetWindowOfKind(WindowKind::AriaInfo, area);
    }
    if (!area) return 0;
    const bool show = !ui::IsWindowVisible(area);
    ui::ShowWindow(area, show ? ui::SW_SHOW : ui::SW_HIDE);
    CheckFrameItem(frame, kCmdAreaInfo, show);
    return 1;
}

}  // namespace

void SetEditorFrameHooks(EditorFrameHooks hooks) { gHooks = std::move(hooks); }

std::string UndoFileName() { return SnapshotPath("zvundo"); }
std::string RedoFileName() { return SnapshotPath("zvredo"); }

int FileExists(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good() ? 1 : 0;
}

void DeleteUndoFiles(ui::Hwnd frame) {
    RemoveFile(UndoFileName());
    RemoveFile(RedoFileName());
    EnableUndo(frame, false);
    EnableRedo(frame, false);
}

namespace {

// Writes the document to a snapshot file; the step it stands for becomes possible.
int WriteSnapshot(ui::Hwnd frame, const std::string& name, void (*enable)(ui::Hwnd, bool)) {
    mapview::MapWorld* world = World();
    if (world == nullptr || !rules::WriteUndoMapFile(*world->tables, name)) return 0;
    enable(frame, true);
    return 1;
}

// Reads a snapshot file back and deletes it; its step is gone.
int ReadSnapshot(ui::Hwnd frame, const std::string& name, void (*enable)(ui::Hwnd, bool)) {
    mapview::MapWorld* world = World();
    if (world == nullptr || !FileExists(name)) return 0;
    const rules::FileStatus status = rules::ReadUndoMapFile(*world->tables, name);
    RemoveFile(name);
    enable(frame, false);
    return status ? 1 : 0;
}

}  // namespace

int SaveUndoState(ui::Hwnd frame) {
    const int written = WriteSnapshot(frame, UndoFileName(), EnableUndo);
    if (written) gModified = true;
    return written;
}

int RestoreUndoState(ui::Hwnd frame) { return ReadSnapshot(frame, UndoFileName(), EnableUndo); }
int SaveRedoState(ui::Hwnd frame) { return WriteSnapshot(frame, RedoFileName(), EnableRedo); }
int RestoreRedoState(ui::Hwnd frame) { return ReadSnapshot(frame, RedoFileName(), EnableRedo); }

bool IsUndoEnabled() { return gUndoEnabled; }
bool IsRedoEnabled() { return gRedoEnabled; }
bool IsMapDocumentModified() { return gModified; }

int OpenMapDocument(ui::Hwnd frame, int reset) {
    mapview::MapWorld* world = World();
    if (world == nullptr) return 0;
    PrepareMode(frame);
    if (reset) {
        mapview::MapEditorContext doc(*world->tables, 1);
        doc.ResetToNewMap();
    } else {
        rules::GameContext ctx(*world->tables, mapview::MapContextEnv());
        ctx.RebuildHexOccupancy();
        if (world->routeSearches != nullptr) world->routeSearches->Map().LoadTerrain();
    }
    const ui::Hwnd client = MdiClientOf(frame);
    const ui::Hwnd map = gHooks.createMapWindow ? gHooks.createMapWindow(client) : DefaultMapWindow(client);
    mapview::SetEditorChangeHook([frame] { SaveUndoState(frame); });
    ShowDocumentWindows(frame, map, true);
    return map ? 1 : 0;
}

int OpenImportedMap(ui::Hwnd frame, const std::string& path) {
    mapview::MapWorld* world = World();
    if (world == nullptr) return 0;
    // The file is read and checked first: a bad file leaves the open document alone.
    rules::OtherMapImage image;
    const rules::FileStatus status = rules::ReadOtherMapFile(path, image);
    if (!status) {
        Ask(frame, "マップを読み込めませんでした\n" + status.error, "ｲﾝﾀｰﾈｯﾄ版Zorvathのﾏｯﾌﾟ", ui::MB_OK);
        return 0;
    }
    if (!ConfirmCloseMapDocument(frame)) return 0;
    const std::string keepPath = GetSelectedFilePath();
    CloseMapDocument(frame, 0);
    SetFileSelection(keepPath);
    PrepareMode(frame);
    {
        mapview::MapEditorContext doc(*world->tables, 1);
        doc.ResetToNewMap();
    }
    rules::ApplyOtherMap(*world->tables, image);
    rules::GameContext ctx(*world->tables, mapview::MapContextEnv());
    ctx.RebuildHexOccupancy();
    if (world->routeSearches != nullptr) world->routeSearches->ReloadAllTerrain();
    const ui::Hwnd map = mapview::CreateSelMapEditWindow(nullptr, MdiClientOf(frame));
    mapview::SetEditorChangeHook([frame] { SaveUndoState(frame); });
    ShowDocumentWindows(frame, map, false);
    return map ? 1 : 0;
}

int CloseMapDocument(ui::Hwnd frame, int reason) {
    (void)reason;
    DestroyDocumentWindows(frame);
    ClearFileSelection();
    if (gHooks.enableMenusForMode) gHooks.enableMenusForMode(frame, false);
    if (mapview::MapWorld* world = World()) {
        mapview::MapEditorContext doc(*world->tables, 1);
        doc.ResetToNewMap();
    }
    DeleteUndoFiles(frame);
    gModified = false;
    return 1;
}

void SetMapWindowCaption(ui::Hwnd window) {
    mapview::MapWorld* world = World();
    if (!window || world == nullptr) return;
    rules::ScenarioHeaderCursor header(*world->tables);
    const std::string caption = core::Utf8ToSjis("ﾏｯﾌﾟ名：") + header.GetTitle() + core::Utf8ToSjis("  ﾌｧｲﾙ名：") +
                                GetSelectedFileName();
    ui::SetWindowText(window, caption);
}

bool ConfirmCloseMapDocument(ui::Hwnd frame) {
    // Only the editor's own map window holds edits: a game's map is never offered for saving.
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    if (!map || ui::GetClassName(map) != mapview::kSelMapEditWindowClass || !gModified) return true;
    const int answer = Ask(frame, "編集中のマップを保存しますか？", "ﾏｯﾌﾟｴﾃﾞｨｯﾄ", ui::MB_YESNOCANCEL);
    if (answer == ui::IDCANCEL) return false;
    if (answer == ui::IDYES) return Overwrite(frame) == 1;
    return true;
}

int NewMapDocument(ui::Hwnd frame) {
    if (!ConfirmCloseMapDocument(frame)) return 0;
    CloseMapDocument(frame, 0);
    return OpenMapDocument(frame, 1);
}

int OpenMapDocumentFromFile(ui::Hwnd frame) {
    if (!ConfirmCloseMapDocument(frame)) return 0;
    if (OpenMapFileDialog(frame) != 1) return 0;
    // The tables hold the chosen map now: only the old windows go.
    DestroyDocumentWindows(frame);
    return OpenMapDocument(frame, 0);
}

int HandleMapEditorCommand(ui::Hwnd frame, int id, ui::WParam w, ui::LParam l) {
    switch (id) {
        case kCmdCloseMapDocument:
            if (ConfirmCloseMapDocument(frame)) CloseMapDocument(frame, 0);
            return 1;
        case kCmdOverwriteMap:
            Overwrite(frame);
            return 1;
        case kCmdSaveMapAs:
            SaveAs(frame);
            return 1;
        case kCmdUndo:
            Step(frame, true, w, l);
            return 1;
        case kCmdRedo:
            Step(frame, false, w, l);
            return 1;
        case kCmdMapSettings:
            MapSettings(frame);
            return 1;
        case kCmdMapCheck:
            mapview::ShowMapCheckDialog(frame);
            return 1;
        case kCmdAreaInfo:
            ToggleAreaInfo(frame);
            return 1;
        case kCmdImportMap:
            if (ShowFileDialog(frame, "ｲﾝﾀｰﾈｯﾄ版Zorvathのﾏｯﾌﾟ", "map*.qz4", nullptr, 0) == 1)
                OpenImportedMap(frame, GetSelectedFilePath());
            return 1;
        case kCmdDeleteMapTroops:
            DeleteMapTroops(frame);
            return 1;
        default:
            return 0;
    }
}

}  // namespace zv::shell
