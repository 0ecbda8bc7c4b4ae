#include "shell/game/GameDocument.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "framework/ProcessState.h"
#include "mapview/GraspMapView.h"
#include "mapview/MapEditorContext.h"
#include "mapview/MapMessages.h"
#include "platform/core/Paths.h"
#include "platform/core/Sjis.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/files/MapFiles.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/RuleRecords.h"
#include "netplay/SessionManager.h"
#include "shell/ChatWindow.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

GameWorld* gWorld = nullptr;
std::string gDocumentPath;
std::string gDocumentName;

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

void Tell(ui::Hwnd owner, const std::string& utf8Text, const char* utf8Caption = kGameTitleUtf8) {
    ui::MessageBox(owner, Sjis(utf8Text.c_str()), Sjis(utf8Caption), ui::MB_OK | ui::MB_ICONWARNING);
}

rules::GameEvents& Events() {
    return gWorld && gWorld->events ? *gWorld->events : rules::NoGameEvents();
}

int IsSinglePlayFlag(const rules::TableDirectory& tables) {
    return rules::ReadS32(tables.GetTableBase(rules::TableId::GameSettings),
                          rules::GameSettingsRecord::kSinglePlay);
}

void ReloadRouteTerrain() {
    if (gWorld && gWorld->guiSearches) gWorld->guiSearches->ReloadAllTerrain();
    if (gWorld && gWorld->clock) gWorld->clock->ReloadTerrain();
}

rules::GameContext MakeLiveContext() {
    return rules::GameContext(*gWorld->tables, gWorld->simulation ? gWorld->simulation->ContextEnv()
                                                                  : rules::GameContextEnv{});
}

void CheckToolItems() {
    CheckMenuByWindowVisible(GetWindowOfKind(WindowKind::SelToolWnd), 40055);
    CheckMenuByWindowVisible(GetWindowOfKind(WindowKind::TerToolWnd), 40057);
}

void NotifyHq() {
    const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
    if (hq && ui::IsWindowVisible(hq)) {
        std::uint16_t hex[2] = {0, 0};
        ui::SendMessage(hq, mapview::WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(hex));
    }
}

// Creates the game map window in the MDI client with its overview map.
ui::Hwnd CreateMapWindows(ui::Hwnd frame) {
    const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
    if (!client) return {};
    const ui::Hwnd map = CreateRealViewWindow(nullptr, client);
    if (!map) return {};
    SetWindowOfKind(WindowKind::MapWnd, map);
    SetMapWindowCaption(map);
    if (!GetWindowOfKind(WindowKind::NowGraspWnd)) {
        const ui::Hwnd grasp = mapview::CreateNowGraspWindow(client, 0, 0);
        if (grasp) ui::ShowWindow(grasp, ui::SW_HIDE);
        SetWindowOfKind(WindowKind::NowGraspWnd, grasp);
    }
    (void)frame;
    return map;
}

}  // namespace

void InstallGameWorld(GameWorld* world) { gWorld = world; }
GameWorld* CurrentGameWorld() { return gWorld; }

const std::string& CurrentDocumentPath() { return gDocumentPath; }
const std::string& CurrentDocumentName() { return gDocumentName; }

void SetCurrentDocument(const std::string& path) {
    gDocumentPath = path;
    gDocumentName = std::filesystem::path(path).stem().string();
}

void ClearCurrentDocument() {
    gDocumentPath.clear();
    gDocumentName.clear();
}

void SetMapWindowCaption(ui::Hwnd window) {
    if (!window || !gWorld || !gWorld->tables) return;
    const std::uint8_t* header = gWorld->tables->GetTableBase(rules::TableId::ScenarioHeader);
    const char* title = reinterpret_cast<const char*>(header + rules::ScenarioHeaderRecord::kTitle);
    const std::string name(title, strnlen(title, rules::ScenarioHeaderRecord::kTitleWidth));
    ui::SetWindowText(window, Sjis("ﾏｯﾌﾟ名：") + name + Sjis("  ﾌｧｲﾙ名：") + gDocumentName);
}

int OpenMapDocument(ui::Hwnd frame, int reset) {
    if (!gWorld || !gWorld->tables) return 0;
    ReapplyDisplaySettings();
    EnableMenusForMode(frame, 1);
    if (reset) {
        mapview::MapEditorContext editor(*gWorld->tables);
        editor.ResetToNewMap();
    } else {
        MakeLiveContext().RebuildHexOccupancy();
        ReloadRouteTerrain();
    }
    const ui::Hwnd map = CreateMapWindows(frame);
    if (!map) return 0;
    ui::ShowWindow(map, ui::SW_SHOWNORMAL);
    ui::SendMessage(map, mapview::WM_MAP_REBUILD, 0, 0);
    // The display options apply to the new map window too.
    ReapplyDisplaySettings();
    ui::SendMessage(GetWindowOfKind(WindowKind::TroopListWnd), WM_REFRESH_TROOP_LIST, 0, 0);
    CheckToolItems();
    NotifyHq();
    return 1;
}

int CloseMapDocument(ui::Hwnd frame, int reason) {
    (void)reason;
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    if (map) {
        if (gWorld && gWorld->tables && IsSinglePlayFlag(*gWorld->tables) == 0) {
            if (net::SessionManager* session = fw::GetSessionManager(); session != nullptr) session->Leave();
            CloseNetworkWaitWindow();
        }
        // Parked in either case: the map is emptied below.
        SuspendClock();
        ui::ShowWindow(map, ui::SW_HIDE);
        const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        if (client && ui::GetParent(map) == client) {
            ui::SendMessage(client, ui::WM_MDIDESTROY, ui::WParam(map.value), 0);
        } else {
            ui::DestroyWindow(map);
        }
        SetWindowOfKind(WindowKind::MapWnd, ui::Hwnd{});
        MapDocumentHook();
        HideGameWindows();
        if (const ui::Hwnd unit = GetWindowOfKind(WindowKind::UnitContent); unit) ui::DestroyWindow(unit);
        SetWindowOfKind(WindowKind::UnitContent, ui::Hwnd{});
        ui::SendMessage(GetWindowOfKind(WindowKind::NewsWnd), WM_NEWS_CLEAR, 0, 0);
        static const char kEmpty[1] = {0};
        ui::SendMessage(GetWindowOfKind(WindowKind::PanelManeger), WM_PANEL_MESSAGE, 0,
                        reinterpret_cast<ui::LParam>(kEmpty));
    }
    ClearCurrentDocument();
    EnableMenusForMode(frame, 0);
    if (gWorld && gWorld->tables) {
        mapview::MapEditorContext editor(*gWorld->tables);
        editor.ResetToNewMap();
    }
    return 1;
}

void ResetGameState() {
    if (!gWorld || !gWorld->tables) return;
    mapview::MapEditorContext editor(*gWorld->tables);
    editor.ResetToNewMap();
    if (gWorld->simulation) gWorld->simulation->ResetCommandJournal();
    rules::TableDirectory& t = *gWorld->tables;
    std::memset(t.GetTableBase(rules::TableId::News), 0xFF, t.GetTableTotalBytes(rules::TableId::News));
    std::memset(t.GetTableBase(rules::TableId::CountryStats), 0, t.GetTableTotalBytes(rules::TableId::CountryStats));
}

namespace {

// The map file dialogs' common fields: *.ddm files of the program directory's MAP folder.
struct MapFileDialogFields {
    std::string filter = Sjis("マップファイル (*.ddm)") + std::string(1, '\0') + "*.ddm" +
                         std::string(2, '\0');
    std::string initial = std::string(fw::GetProgramDirectory()) + "MAP";
    ui::OpenFileName ofn;

    MapFileDialogFields(ui::Hwnd frame, char* file, std::size_t size, std::uint32_t flags) {
        ofn.owner = frame;
        ofn.filter = filter.c_str();
        ofn.file = file;
        ofn.maxFile = static_cast<std::uint32_t>(size);
        ofn.initialDir = initial.c_str();
        ofn.flags = flags | ui::OFN_PATHMUSTEXIST | ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR;
        ofn.defExt = "ddm";
    }
};

}  // namespace

int OpenMapFileDialog(ui::Hwnd frame) {
    if (!gWorld || !gWorld->tables) return 0;
    char file[260] = {0};
    char title[260] = {0};
    MapFileDialogFields fields(frame, file, sizeof(file), ui::OFN_FILEMUSTEXIST);
    fields.ofn.fileTitle = title;
    fields.ofn.maxFileTitle = sizeof(title);
    if (!ui::GetOpenFileName(&fields.ofn)) return 0;

    // Maps are read from a MAP folder; its parent stands for the program directory.
    const std::filesystem::path chosen(file);
    const std::filesystem::path folder = chosen.parent_path();
    if (!core::EqualsIgnoringCase(folder.filename().string(), "MAP")) {
        Tell(frame, "マップは MAP フォルダから選んでください。\n" + core::SjisToUtf8(file));
        return 0;
    }
    const rules::FileStatus status = rules::LoadMapFromMapFolder(
        *gWorld->tables, Events(), folder.parent_path().string() + "/", chosen.filename().string());
    if (!status.ok) {
        Tell(frame, "マップを読めませんでした。\n" + core::SjisToUtf8(status.error));
        return 0;
    }
    SetCurrentDocument(file);
    return 1;
}

int SaveMapFileDialog(ui::Hwnd frame) {
    if (!gWorld || !gWorld->tables) return 0;
    char file[260] = {0};
    MapFileDialogFields fields(frame, file, sizeof(file), ui::OFN_OVERWRITEPROMPT);
    if (!ui::GetSaveFileName(&fields.ofn)) return 0;
    const rules::FileStatus status = rules::WriteMapFile(*gWorld->tables, file);
    if (!status.ok) {
        Tell(frame, "マップを保存できませんでした。\n" + core::SjisToUtf8(status.error), "名前を付けて保存");
        return 0;
    }
    SetCurrentDocument(file);
    SetMapWindowCaption(GetWindowOfKind(WindowKind::MapWnd));
    return 1;
}

int OverwriteMapFile(ui::Hwnd frame) {
    if (!gWorld || !gWorld->tables) return 0;
    if (gDocumentPath.empty()) return SaveMapFileDialog(frame);
    const std::string question = core::SjisToUtf8(gDocumentName) + "に上書きします。よろしいですか？";
    if (ui::MessageBox(frame, Sjis(question.c_str()), Sjis("上書き保存"), ui::MB_YESNO) != ui::IDYES) return 0;
    if (!rules::WriteMapFile(*gWorld->tables, gDocumentPath).ok) {
        ui::MessageBox(frame, Sjis("ファイルの上書きに失敗しました"), Sjis("上書き保存"), ui::MB_OK);
        return 0;
    }
    return 1;
}

int ApplyGameStartSettings(ui::Hwnd frame) {
    (void)frame;
    rules::TableDirectory& t = *gWorld->tables;
    const std::uint8_t* s = t.GetTableBase(rules::TableId::GameSettings);
    std::uint8_t* header = t.GetTableBase(rules::TableId::ScenarioHeader);
    using H = rules::ScenarioHeaderRecord;
    using G = rules::GameSettingsRecord;
    rules::WriteU8(header, H::kOptionByte1, s[G::kFogOfWar]);
    rules::WriteU16(header, H::kOptionWord, rules::ReadU16(s, G::kRuleOptions));
    rules::WriteU8(header, H::kDayLimit, s[G::kDayLimit]);
    rules::WriteU8(header, H::kHourLimit, s[G::kHourLimit]);
    rules::WriteU8(header, H::kDeployLimit, s[G::kDeployLimit]);

    rules::GameContext live = MakeLiveContext();
    rules::CountryCursor& countries = live.Countries();
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const std::uint8_t* e = s + G::CountryEntry(c);
        if (!countries.Select(c)) continue;
        countries.SetParticipation(e[G::kEntryParticipation]);
        countries.SetState(e[G::kEntryState]);
        countries.SetAllianceMask(e[G::kEntryAllianceMask]);
        countries.SetFunds(rules::ReadS32(e, G::kEntryFunds));
        countries.SetFlag64(e[G::kEntryMusic]);
        countries.SetValue42(rules::ReadS32(e, G::kEntryProductionLimit));
        rules::WriteU8(countries.GetRecord(), 84, 0);
    }
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const std::uint8_t participation = s[G::CountryEntry(c) + G::kEntryParticipation];
        if (participation == 2) {
            rules::ReleaseCountrySites(live, static_cast<std::uint8_t>(c));
            rules::RemoveCountryTroops(live, static_cast<std::uint8_t>(c));
        } else if (participation == 0 || participation == 3) {
            fw::SetPlayerCountry(c);
        }
    }
    // In a network game every participant holds the same record, in which each person's country
    // counts as a user's: the local player's is the one its own slot chose (5 and 6 are the
    // spectators, countries 4 and 5).
    if (rules::ReadS32(s, G::kSinglePlay) == 0) {
        if (net::SessionManager* session = fw::GetSessionManager(); session && session->OwnSlot() >= 0) {
            const std::uint32_t word = session->GetSlotValue(session->OwnSlot());
            if (word >= 1 && word <= 6) fw::SetPlayerCountry(static_cast<int>(word - 1));
        }
    }
    if (gWorld->simulation) gWorld->simulation->SetPlayerCountry(fw::GetPlayerCountry());
    return 1;
}

void StartGame(ui::Hwnd frame, ui::WParam fromSave) {
    (void)fromSave;
    if (!gWorld || !gWorld->tables) return;
    // A map shown as a document gives way to the game's own map window.
    if (const ui::Hwnd old = GetWindowOfKind(WindowKind::MapWnd); old) {
        const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        ui::SendMessage(client, ui::WM_MDIDESTROY, ui::WParam(old.value), 0);
        SetWindowOfKind(WindowKind::MapWnd, ui::Hwnd{});
    }
    rules::GameContext live = MakeLiveContext();
    live.RebuildHexOccupancy();
    ReloadRouteTerrain();
    ApplyGameStartSettings(frame);
    rules::ResetVisibility(live);
    // Deploying corps needs the organisation dialog; until it exists a game starts with the
    // map's own troops.
    const ui::Hwnd map = CreateMapWindows(frame);
    if (!map) return;
    // The game's map is a caption-less child of the frame under the tool strip, with the
    // overview map in its corner.
    RememberDockedWindows(frame);
    DockWindow(frame, WindowKind::MapWnd);
    DockWindow(frame, WindowKind::NowGraspWnd);
    if (IsSinglePlayFlag(*gWorld->tables) != 0) BeginPlay(frame);
}

void BeginPlay(ui::Hwnd frame) {
    if (!gWorld || !gWorld->tables) return;
    ResetFrameTimers();
    ReapplyDisplaySettings();
    ui::SendMessage(GetWindowOfKind(WindowKind::SpeedWnd), WM_SET_GAME_SPEED, ui::WParam(GetGameSpeed()), 0);
    EnableMenusForMode(frame, 1);

    rules::GameContext live = MakeLiveContext();
    rules::TroopCursor troops(*gWorld->tables);
    std::uint16_t centre = 0;
    const std::uint8_t player = fw::GetPlayerCountry();
    for (std::uint16_t i = 0; i < 160; ++i) {
        if (!troops.Select(i) || !troops.GetRecord()->IsUsed() || !troops.HasMembers() || !troops.IsOnMap()) continue;
        if (troops.GetCountry() != player) continue;
        if (rules::HasMemberOfKind(troops, rules::kHeadquartersUnitKind) != 0) {
            centre = troops.GetHexValue();
            break;
        }
    }
    live.RebuildHexOccupancy();
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    ui::SendMessage(map, mapview::WM_MAP_CENTER, ui::WParam((centre & 0xFF) | ((centre >> 8) << 16)), 0);
    ui::SendMessage(GetWindowOfKind(WindowKind::NewsWnd), WM_NEWS_SHOW, 0, 0);
    rules::RecomputeVisibility(live);
    ui::SendMessage(map, mapview::WM_MAP_TICK_REDRAW, 0, 0);
    ui::SendMessage(GetWindowOfKind(WindowKind::TroopListWnd), WM_REFRESH_TROOP_LIST, 0, 0);
    NotifyHq();
    ui::ShowWindow(map, ui::SW_SHOWNORMAL);
    RememberDockedWindows(frame);
    if (const ui::Hwnd panels = GetWindowOfKind(WindowKind::PanelManeger); panels) {
        ui::SendMessage(panels, mapview::WM_PANEL_SHOW_TROOP, 0xFFFF, 0);
        ui::SendMessage(panels, mapview::WM_PANEL_SHOW_CELL, 0xFFFF, 0xFF0006);
        ui::SendMessage(panels, WM_PANEL_LINK_QUALITY, 0, 0);
    }
    rules::CopyLiveTablesToShadow(*gWorld->tables);
    ReloadRouteTerrain();
    if (gWorld->simulation) {
        gWorld->simulation->ResetCommandJournal();
        ResumeClock();
        gWorld->simulation->SetBusyBit(sim::kBusyNotStarted, 0);
    } else {
        ResumeClock();
    }
}

}  // namespace zv::shell
