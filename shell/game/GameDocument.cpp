#include "shell/game/GameDocument.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "framework/ProcessState.h"
#include "mapview/GraspMapView.h"
#include "mapview/MapEditorContext.h"
#include "shell/WindowMessages.h"
#include "platform/core/Paths.h"
#include "platform/core/Sjis.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/files/MapFiles.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/RuleRecords.h"
#include "netplay/SessionManager.h"
#include "organize/DeploymentSession.h"
#include "organize/OrganizeDialog.h"
#include "panels/GameStartSettings.h"
#include "shell/ChatWindow.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/EditorCommands.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

// The terrain panel's cell of no hex: no site owner in the low word, no land kind in the high.
constexpr ui::LParam kNoSiteOwner = 6;
constexpr ui::LParam kNoLandKind = 0xFF;
constexpr ui::LParam kEmptyTerrainCell = kNoSiteOwner | (kNoLandKind << 16);

GameWorld* World() {
    return CurrentGameWorld();
}

int IsSinglePlayFlag(rules::TableDirectory& tables) {
    return rules::GameSettingsCursor(tables).GetSinglePlay();
}

void ReloadRouteTerrain() {
    if (World() && World()->guiSearches) World()->guiSearches->ReloadAllTerrain();
    if (World() && World()->clock) World()->clock->ReloadTerrain();
}

rules::GameContext MakeLiveContext() {
    return rules::GameContext(*World()->tables, World()->simulation ? World()->simulation->ContextEnv()
                                                                  : rules::GameContextEnv{});
}

void NotifyHq() {
    const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
    if (hq && ui::IsWindowVisible(hq)) {
        std::uint16_t hex[2] = {0, 0};
        ui::SendMessage(hq, zv::WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(hex));
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

GameWorld* CurrentGameWorld() {
    return CurrentServices();
}

void ResetGameState() {
    if (!World() || !World()->tables) return;
    mapview::MapEditorContext editor(*World()->tables);
    editor.ResetToNewMap();
    if (World()->simulation) World()->simulation->ResetCommandJournal();
    rules::TableDirectory& t = *World()->tables;
    std::memset(t.GetTableBase(rules::TableId::News), 0xFF, t.GetTableTotalBytes(rules::TableId::News));
    std::memset(t.GetTableBase(rules::TableId::CountryStats), 0, t.GetTableTotalBytes(rules::TableId::CountryStats));
}

namespace {

void Tell(ui::Hwnd owner, const std::string& utf8Text) {
    ui::MessageBox(owner, core::Utf8ToSjis(utf8Text), core::Utf8ToSjis(kGameTitleUtf8), ui::MB_OK | ui::MB_ICONWARNING);
}

// A new game with deployment: the corps file chosen for a country of this machine goes into
// its force slot. A missing file is skipped; one that cannot be read is told and leaves the slot
// as it was.
void LoadCountryCorps(ui::Hwnd frame, rules::GameSettingsCursor& settings, int country) {
    if (settings.GetDeployment() == 0) return;
    if (!settings.Select(country)) return;
    const std::string name = settings.GetCorpsFile();
    if (name.empty()) return;
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(fw::GetProgramDirectory()) / "USER" / name, error)) {
        return;
    }
    rules::ForceCursor force(*World()->tables, static_cast<std::uint8_t>(country));
    force.SelectSlot(static_cast<std::uint8_t>(country));
    if (!force.LoadUserForceFile(fw::GetProgramDirectory(), name.c_str()).ok) {
        Tell(frame, "軍団ファイル " + core::SjisToUtf8(name) + " を読み込めませんでした。");
    }
}

}  // namespace

int ApplyGameStartSettings(ui::Hwnd frame) {
    (void)frame;
    if (!World() || !World()->tables) return 0;
    rules::TableDirectory& t = *World()->tables;
    rules::GameSettingsCursor s(t);
    rules::ScenarioHeaderCursor header(t);
    header.SetOptionByte1(s.GetFogOfWar());
    header.SetOptionWord(s.GetRuleOptions());
    header.SetDayLimit(s.GetDayLimit());
    header.SetHourLimit(s.GetHourLimit());
    header.SetDeployLimit(s.GetDeployLimit());

    rules::GameContext live = MakeLiveContext();
    rules::CountryCursor& countries = live.Countries();
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!s.Select(c) || !countries.Select(c)) continue;
        countries.SetParticipation(s.GetParticipation());
        countries.SetState(s.GetState());
        countries.SetAllianceMask(s.GetAllianceMask());
        countries.SetFunds(s.GetFunds());
        countries.SetFlag64(s.GetMusic());
        countries.SetProductionLimit(s.GetProductionLimit());
        countries.SetCounter84(0);
    }
    for (int c = 0; c < rules::kCountryCount; ++c) {
        s.Select(c);
        const std::uint8_t participation = s.GetParticipation();
        if (participation == 2) {
            rules::ReleaseCountrySites(live, static_cast<std::uint8_t>(c));
            rules::RemoveCountryTroops(live, static_cast<std::uint8_t>(c));
        } else if (participation == 0 || participation == 3) {
            fw::SetPlayerCountry(c);
            LoadCountryCorps(frame, s, c);
        }
    }
    // In a network game every participant holds the same record, in which each person's country
    // counts as a user's: the local player's is the one its own slot chose (5 and 6 are the
    // spectators, countries 4 and 5).
    if (s.GetSinglePlay() == 0) {
        if (net::SessionManager* session = fw::GetSessionManager(); session && session->OwnSlot() >= 0) {
            const std::uint32_t word = session->GetSlotValue(session->OwnSlot());
            if (word >= 1 && word <= 6) fw::SetPlayerCountry(static_cast<int>(word - 1));
        }
    }
    if (World()->simulation) World()->simulation->SetPlayerCountry(fw::GetPlayerCountry());
    return 1;
}

int RunPlacementDialog(ui::Hwnd owner, std::uint8_t country) {
    organize::OrganizeWorld* world = organize::CurrentOrganizeWorld();
    if (!World() || !World()->tables || !world) return 0;
    const int single = IsSinglePlayFlag(*World()->tables) != 0 ? 1 : 0;
    world->singlePlay = single;
    world->simulation = World()->simulation;
    organize::ConnectDeploymentToSession(*world, single ? nullptr : fw::GetSessionManager());
    return organize::RunDeploymentDialog(owner, country);
}

namespace {

// The local player deploys its corps before the map windows come. False when the player went
// back to the title instead (and, in network play, left the session).
bool DeployPlayerCorps(ui::Hwnd frame) {
    rules::TableDirectory& tables = *World()->tables;
    if (rules::GameSettingsCursor(tables).GetDeployment() == 0) return true;
    const bool single = IsSinglePlayFlag(tables) != 0;
    const std::uint8_t player = fw::GetPlayerCountry();
    // No country of this machine's: a spectator waits for the players; a single game that the
    // computer plays alone has nobody to deploy.
    if (player > 3) {
        if (!single) CreateNetworkWaitWindow(frame);
        return true;
    }
    if (RunPlacementDialog(frame, player) != 0) {
        // A client tells the host it has arranged its troops (the host's ゲーム開始 waits for
        // every client's); the host, once it starts, asks each client in turn for its troops and
        // then sends everybody all of them, after which the game begins everywhere.
        if (!single) {
            if (net::SessionManager* session = fw::GetSessionManager(); session != nullptr) {
                if (session->IsHost()) {
                    session->SendYourTurnToNextPlayer();
                } else {
                    session->SendArrangeEnd();
                }
            }
        }
        return true;
    }
    ui::SendMessage(frame, ui::WM_COMMAND, kReturnToTitleCommand, 2);
    if (!single) {
        if (net::SessionManager* session = fw::GetSessionManager(); session != nullptr) session->Leave();
    }
    return false;
}

}  // namespace

void StartGame(ui::Hwnd frame, ui::WParam fromSave) {
    (void)fromSave;
    if (!World() || !World()->tables) return;
    // A map shown as a document gives way to the game's own map window.
    if (const ui::Hwnd old = GetWindowOfKind(WindowKind::MapWnd); old) {
        const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        ui::SendMessage(client, ui::WM_MDIDESTROY, ui::WParam(old.value), 0);
        SetWindowOfKind(WindowKind::MapWnd, ui::Hwnd{});
    }
    ReturnHqWindowToColumn();
    rules::GameContext live = MakeLiveContext();
    live.RebuildHexOccupancy();
    // A new game deploys corps: the set-up's settings reach the header and the countries, and
    // the map's troops of every country the computer does not play leave the map.
    if (rules::GameSettingsCursor(*World()->tables).GetDeployment() != 0) {
        panels::CopyGameStartBlockToScenario(live);
    }
    ReloadRouteTerrain();
    ApplyGameStartSettings(frame);
    rules::ResetVisibility(live);
    if (!DeployPlayerCorps(frame)) return;
    const ui::Hwnd map = CreateMapWindows(frame);
    if (!map) return;
    // The game's map is a caption-less child of the frame under the tool strip, with the
    // overview map in its corner.
    RememberDockedWindows(frame);
    DockWindow(frame, WindowKind::MapWnd);
    DockWindow(frame, WindowKind::NowGraspWnd);
    if (IsSinglePlayFlag(*World()->tables) != 0) BeginPlay(frame);
}

void BeginPlay(ui::Hwnd frame) {
    if (!World() || !World()->tables) return;
    ResetFrameTimers();
    ReapplyDisplaySettings();
    ui::SendMessage(GetWindowOfKind(WindowKind::SpeedWnd), WM_SET_GAME_SPEED, ui::WParam(GetGameSpeed()), 0);
    EnableMenusForMode(frame, 1);

    rules::GameContext live = MakeLiveContext();
    rules::TroopCursor troops(*World()->tables);
    if (rules::GameSettingsCursor(*World()->tables).GetDeployment() != 0) {
        // A deployed game starts from what stands on the map now: the result's starting
        // counts, full troops, and each troop counted as produced for its country. The map's
        // own troops the set-up took off for the corps were no losses: the losses count from
        // here.
        for (std::uint8_t c = 0; c < rules::kCountryCount; ++c) {
            rules::CountryTable25Record* stats = rules::GetCountryStats(*World()->tables, c);
            for (int k = 1; k <= rules::kStatAltitudeClasses; ++k) {
                stats->SetTroopsAtStart(
                    k, static_cast<std::uint8_t>(troops.CountTroopsByAltitude(c, static_cast<std::uint8_t>(k))));
                stats->SetTroopsLost(k, 0);
            }
        }
        rules::CountryCursor countries(*World()->tables);
        for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
            if (!troops.Select(i) || !troops.GetRecord()->IsUsed() || !troops.HasMembers()) continue;
            troops.RefreshAltitudeClass();
            rules::RestoreFull(troops, 1);
            if (countries.Select(troops.GetCountry())) countries.IncrementCounter84();
        }
    }
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
    ui::SendMessage(map, zv::WM_MAP_CENTER, ui::WParam((centre & 0xFF) | ((centre >> 8) << 16)), 0);
    ui::SendMessage(GetWindowOfKind(WindowKind::NewsWnd), WM_NEWS_SHOW, 0, 0);
    rules::RecomputeVisibility(live);
    ui::SendMessage(map, zv::WM_MAP_TICK_REDRAW, 0, 0);
    ui::SendMessage(GetWindowOfKind(WindowKind::TroopListWnd), WM_REFRESH_TROOP_LIST, 0, 0);
    NotifyHq();
    ui::ShowWindow(map, ui::SW_SHOWNORMAL);
    RememberDockedWindows(frame);
    if (const ui::Hwnd panels = GetWindowOfKind(WindowKind::PanelManeger); panels) {
        ui::SendMessage(panels, zv::WM_PANEL_SHOW_TROOP, rules::kNoTroop, 0);
        ui::SendMessage(panels, zv::WM_PANEL_SHOW_CELL, rules::kNoTroop, kEmptyTerrainCell);
        ui::SendMessage(panels, WM_PANEL_LINK_QUALITY, 0, 0);
    }
    rules::SnapshotGameBlocks(*World()->tables);
    ReloadRouteTerrain();
    if (World()->simulation) {
        World()->simulation->ResetCommandJournal();
        // Only the journal's host steps the game; a network client executes the host's
        // journals and would otherwise run steps of its own on its own tables.
        if (World()->simulation->IsJournalHost() != 0) ResumeClock();
        World()->simulation->SetBusyBit(sim::kBusyNotStarted, 0);
    } else {
        ResumeClock();
    }
}

}  // namespace zv::shell
