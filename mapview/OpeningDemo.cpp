#include "mapview/OpeningDemo.h"

#include <algorithm>
#include <memory>

#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "mapview/MapEditorContext.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewWindows.h"
#include "mapview/MapWorld.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/context/ShadowTables.h"
#include "rules/files/MapFiles.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopMembers.h"
#include "shell/WindowRegistry.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"
#include "simulation/Judgement.h"

namespace zv::mapview {

namespace {

// What the dialog procedure works with while the demonstration runs.
struct DemoState {
    sim::ClockStep* clock = nullptr;
    std::uint8_t country = rules::kNoCountry;
    ui::Hwnd map{};
    int ticks = 0;
};
DemoState gDemo;
OpeningDemoPlacement gPlacement;

// Loading reports to the world's events; a world without them reports nowhere.
rules::GameEvents& EventsOf(MapWorld& world) {
    static rules::GameEvents none;
    return world.events != nullptr ? *world.events : none;
}

// The first country a person plays (alone or with the computer's help) that is still in play.
std::uint8_t FindDemoCountry(rules::TableDirectory& tables) {
    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!countries.Select(c)) continue;
        const std::uint8_t participation = countries.GetParticipation();
        if ((participation == sim::kPlayedByParticipant || participation == sim::kPlayedByParticipantToo) && countries.GetState() == sim::kCountryInPlay) {
            return static_cast<std::uint8_t>(c);
        }
    }
    return rules::kNoCountry;
}

// The hex of the country's first headquarters troop on the map, as WM_MAP_CENTER takes it
// (y << 16 | x); 0 when it has none.
ui::WParam HeadquartersHex(rules::TableDirectory& tables, std::uint8_t country) {
    rules::TroopCursor troops(tables);
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (!troops.Select(t) || !troops.HasMembers() || !troops.IsOnMap() ||
            troops.GetCountry() != country || rules::CountHqMembers(troops) == 0)
            continue;
        troops.Select(t);
        const std::uint16_t hex = troops.GetHexValue();
        return (ui::WParam{static_cast<std::uint16_t>(hex >> 8)} << 16) | (hex & 0xFF);
    }
    return 0;
}

ui::Rect DesktopRect() {
    ui::Rect r{};
    ui::GetClientRect(ui::GetDesktopWindow(), &r);
    return r;
}

// Empties the map and enters the (no) sites and troops again.
void LeaveEmptyMap(MapEditorContext& document) {
    document.ResetToNewMap();
    document.Context().RebuildHexOccupancy();
}

}  // namespace

OpeningDemoPlacement GetOpeningDemoPlacement() { return gPlacement; }

void RegisterOpeningDemoTemplate() {
    // Caption-less; WM_INITDIALOG sizes it to the desktop.
    ui::DialogRegistry::Global().Add(ui::MakeDialogTemplate(kOpeningDemoDialog, "", ui::WS_POPUP, 100, 100, {}));
}

int RunOpeningDemo(ui::Hwnd owner) {
    MapWorld* world = CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr || world->simulation == nullptr) return 0;
    rules::TableDirectory& tables = *world->tables;

    auto document = std::make_unique<MapEditorContext>(tables, 1);
    document->ResetToNewMap();
    const rules::FileStatus loaded =
        rules::LoadOpeningData(tables, EventsOf(*world), fw::GetProgramDirectory(), kOpeningDataFile);
    const std::uint8_t country = loaded ? FindDemoCountry(tables) : rules::kNoCountry;
    if (country == rules::kNoCountry) {
        LeaveEmptyMap(*document);
        return 0;
    }

    fw::SetPlayerCountry(country);
    world->simulation->SetPlayerCountry(country);
    {
        // Built after the player country changed: the visibility is that country's.
        rules::GameContext live(tables, MapContextEnv());
        live.RebuildHexOccupancy();
        if (world->routeSearches != nullptr) world->routeSearches->ReloadAllTerrain();
        // The demonstration shows everything: no fog of war.
        live.Header().SetOptionByte1(0);
        rules::RecomputeVisibility(live);
    }
    rules::SnapshotGameBlocks(tables);
    world->simulation->ResetCommandJournal();

    // Steps of its own on the GUI thread: the program's clock thread stays parked on the title.
    sim::ClockStep clock(*world->simulation);
    gDemo = DemoState{};
    gDemo.clock = &clock;
    gDemo.country = country;
    RegisterOpeningDemoTemplate();
    ui::DialogBoxParam(nullptr, kOpeningDemoDialog, owner, OpeningDemoDlgProc, 0);
    gDemo = DemoState{};

    world->simulation->ResetCommandJournal();
    LeaveEmptyMap(*document);
    rules::SnapshotGameBlocks(tables);
    return 1;
}

intptr_t OpeningDemoDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    (void)l;
    switch (msg) {
        case ui::WM_INITDIALOG: {
            gDemo.map = CreateChileOpeningViewWindow(dialog, kOpeningDemoMapId);
            const ui::Rect desk = DesktopRect();
            const int width = desk.right - desk.left, height = desk.bottom - desk.top;
            ui::SetWindowPos(dialog, ui::Hwnd{}, 0, 0, width, height, ui::SWP_NOZORDER);
            gPlacement.x = std::max(0, (width - kOpeningMapWidth) / 2);
            gPlacement.y = std::max(0, (height - kOpeningMapHeight) / 2);
            if (gDemo.map) {
                ui::SetWindowPos(gDemo.map, ui::Hwnd{}, gPlacement.x, gPlacement.y, kOpeningMapWidth,
                                 kOpeningMapHeight, ui::SWP_NOZORDER);
                shell::SetWindowOfKind(shell::WindowKind::MapWnd, gDemo.map);
                MapWorld* world = CurrentMapWorld();
                const ui::WParam hex =
                    world != nullptr ? HeadquartersHex(*world->tables, gDemo.country) : 0;
                ui::SendMessage(gDemo.map, WM_MAP_CENTER, hex, 0);
                ui::ShowWindow(gDemo.map, ui::SW_SHOWNORMAL);
            }
            ui::SetTimer(dialog, kOpeningDemoTimer, 100);
            gDemo.ticks = 0;
            return 1;
        }
        case ui::WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<ui::Canvas*>(w);
            if (dc == nullptr) return 1;
            const ui::Rect desk = DesktopRect();
            fw::FillRectColorDC(dc, 0, 0, desk.right - desk.left, desk.bottom - desk.top, 0x000000);
            MapWorld* world = CurrentMapWorld();
            if (world != nullptr && world->tables != nullptr) {
                rules::ScenarioHeaderCursor header(*world->tables);
                fw::DrawTextWithFont(dc, gPlacement.x + 20, gPlacement.y - 20, header.GetTitle(), 18, 1,
                                     0xFFFFFF);
            }
            return 1;
        }
        case ui::WM_TIMER:
            if (w != kOpeningDemoTimer) return 0;
            if (gDemo.clock != nullptr && gDemo.clock->RealTimeTick(0) != 0 && gDemo.map &&
                ui::IsWindow(gDemo.map)) {
                ui::SendMessage(gDemo.map, WM_MAP_TICK_REDRAW, 0, 0);
            }
            if (gDemo.ticks < kOpeningDemoTickLimit) {
                ++gDemo.ticks;
            } else {
                ui::EndDialog(dialog, 1);
            }
            return 0;
        case ui::WM_COMMAND:
            if (ui::LoWord(w) != ui::IDCANCEL) return 0;
            ui::EndDialog(dialog, 1);
            return 1;
        case ui::WM_CLOSE:
        case ui::WM_RBUTTONDOWN:
            ui::EndDialog(dialog, 1);
            return 1;
        case ui::WM_DESTROY:
            ui::KillTimer(dialog, kOpeningDemoTimer);
            if (gDemo.map && ui::IsWindow(gDemo.map)) ui::DestroyWindow(gDemo.map);
            gDemo.map = ui::Hwnd{};
            shell::SetWindowOfKind(shell::WindowKind::MapWnd, ui::Hwnd{});
            return 1;
        default:
            return 0;
    }
}

}  // namespace zv::mapview
