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
#include "platform/ui/DialogObject.h"
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

// What RunOpeningDemo hands the dialog (WM_INITDIALOG's lParam).
struct DemoRun {
    sim::ClockStep* clock = nullptr;
    std::uint8_t country = rules::kNoCountry;
};

// Where the last demonstration put its map, for the title's pictures.
OpeningDemoPlacement gLastPlacement;

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

OpeningDemoPlacement GetOpeningDemoPlacement() { return gLastPlacement; }

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
    DemoRun run{&clock, country};
    RegisterOpeningDemoTemplate();
    ui::DialogBoxParam(nullptr, kOpeningDemoDialog, owner, OpeningDemoDlgProc, reinterpret_cast<ui::LParam>(&run));

    world->simulation->ResetCommandJournal();
    LeaveEmptyMap(*document);
    rules::SnapshotGameBlocks(tables);
    return 1;
}

namespace {

// The demonstration's dialog: the black desktop with the title, the map child, and one step of
// the recorded game per timer tick until the tick limit or the player ends it.
class OpeningDemoDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog(reinterpret_cast<const DemoRun*>(l));
                return 1;
            case ui::WM_ERASEBKGND:
                OnEraseBackground(reinterpret_cast<ui::Canvas*>(w));
                return 1;
            case ui::WM_TIMER:
                if (w != kOpeningDemoTimer) return 0;
                OnTick();
                return 0;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) != ui::IDCANCEL) return 0;
                End(1);
                return 1;
            case ui::WM_CLOSE:
            case ui::WM_RBUTTONDOWN:
                End(1);
                return 1;
            case ui::WM_DESTROY:
                OnDestroy();
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog(const DemoRun* run) {
        const ui::Hwnd dialog = Handle();
        if (run != nullptr) {
            clock_ = run->clock;
            country_ = run->country;
        }
        map_ = CreateChileOpeningViewWindow(dialog, kOpeningDemoMapId);
        const ui::Rect desk = DesktopRect();
        const int width = desk.right - desk.left, height = desk.bottom - desk.top;
        ui::SetWindowPos(dialog, ui::Hwnd{}, 0, 0, width, height, ui::SWP_NOZORDER);
        placement_.x = std::max(0, (width - kOpeningMapWidth) / 2);
        placement_.y = std::max(0, (height - kOpeningMapHeight) / 2);
        gLastPlacement = placement_;
        if (map_) {
            ui::SetWindowPos(map_, ui::Hwnd{}, placement_.x, placement_.y, kOpeningMapWidth, kOpeningMapHeight,
                             ui::SWP_NOZORDER);
            shell::SetWindowOfKind(shell::WindowKind::MapWnd, map_);
            MapWorld* world = CurrentMapWorld();
            const ui::WParam hex = world != nullptr ? HeadquartersHex(*world->tables, country_) : 0;
            ui::SendMessage(map_, WM_MAP_CENTER, hex, 0);
            ui::ShowWindow(map_, ui::SW_SHOWNORMAL);
        }
        ui::SetTimer(dialog, kOpeningDemoTimer, 100);
        ticks_ = 0;
    }
    void OnEraseBackground(ui::Canvas* dc) {
        if (dc == nullptr) return;
        const ui::Rect desk = DesktopRect();
        fw::FillRectColorDC(dc, 0, 0, desk.right - desk.left, desk.bottom - desk.top, 0x000000);
        MapWorld* world = CurrentMapWorld();
        if (world != nullptr && world->tables != nullptr) {
            rules::ScenarioHeaderCursor header(*world->tables);
            fw::DrawTextWithFont(dc, placement_.x + 20, placement_.y - 20, header.GetTitle(), 18, 1, 0xFFFFFF);
        }
    }
    void OnTick() {
        if (clock_ != nullptr && clock_->RealTimeTick(0) != 0 && map_ && ui::IsWindow(map_))
            ui::SendMessage(map_, WM_MAP_TICK_REDRAW, 0, 0);
        if (ticks_ < kOpeningDemoTickLimit) ++ticks_;
        else End(1);
    }
    void OnDestroy() {
        ui::KillTimer(Handle(), kOpeningDemoTimer);
        if (map_ && ui::IsWindow(map_)) ui::DestroyWindow(map_);
        map_ = ui::Hwnd{};
        shell::SetWindowOfKind(shell::WindowKind::MapWnd, ui::Hwnd{});
    }

    sim::ClockStep* clock_ = nullptr;
    std::uint8_t country_ = rules::kNoCountry;
    ui::Hwnd map_{};
    int ticks_ = 0;
    OpeningDemoPlacement placement_;
};

}  // namespace

intptr_t OpeningDemoDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<OpeningDemoDialog>(dialog, msg, w, l);
}

}  // namespace zv::mapview
