#include "mapview/MapViewWindows.h"

#include <algorithm>
#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "mapview/GraspMapView.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapWorld.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "shell/FrameCommands.h"
#include "shell/Settings.h"
#include "shell/WindowMessages.h"
#include "shell/WindowRegistry.h"
#include "simulation/Simulation.h"

namespace zv::mapview {

namespace {

using shell::WindowKind;

std::uint32_t PointOf(ui::LParam l) { return static_cast<std::uint32_t>(l); }

std::uint8_t DaytimeNow(MapViewContext& view) { return view.Context().Header().GetDaytime(); }

// WM_MAP_CENTER's wParam: x in bits 0-7, y in bits 16-23; the hex word is y << 8 | x.
std::uint16_t CenterHexOf(ui::WParam w) { return static_cast<std::uint16_t>((w & 0xFF) | ((w >> 8) & 0xFF00)); }

// The stored map option ("MapOption": 0 map, 1 white, 2 green, 3 board) and the display kind
// (0 map, 1 white, 2 board, 3 green) name the last two the other way round.
int DisplayKindFromIni(int value) {
    switch (value) {
        case 1:
            return 1;
        case 2:
            return 3;
        case 3:
            return 2;
        default:
            return 0;
    }
}
constexpr int kIniValueOfDisplayKind[4] = {0, 1, 3, 2};

// WM_MAP_DISPLAY_SETTING's settings.
enum DisplaySetting : int {
    kSettingDisplayKind = 0,
    kSettingMapSize = 1,
    kSettingHexFrame = 2,
    kSettingSupply = 3,
    kSettingRoutes = 4,
    kSettingRedraw = 5,
    kSettingRedrawWithOverview = 6,
    kSettingCaptionMode = 7,
};

// The caption modes the menu and the stored "Troop" value cycle through: none to arrival.
constexpr int kLastCaptionMode = shell::kCmdCaptionArrival - shell::kCmdCaptionNone;
// The filter that shows every country's troops.
constexpr std::uint8_t kAllCountries = 6;
// The zoom levels of the 16- and 32-pixel hexes.
constexpr int kZoom16 = 1;
constexpr int kZoom32 = 2;

void SetAllRoutes(MapViewContext& view, int on) {
    view.SetAirRoute(on);
    view.SetHeliRoute(on);
    view.SetGroundRoute(on);
    view.SetShipRoute(on);
}

// What the three classes share: the view object (made at WM_CREATE over the installed world's
// tables, dropped at WM_DESTROY), paint, background, sizing and the scroll bars.
class MapWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    MapViewContext* View() const { return view_.get(); }

  protected:
    bool MakeView() {
        if (view_) return true;
        MapWorld* world = CurrentMapWorld();
        if (world == nullptr || world->tables == nullptr) return false;
        view_ = std::make_unique<MapViewContext>(*world->tables);
        return true;
    }
    void DropView() { view_.reset(); }

    // Paint, background and (when `snapSizing`) WM_SIZING; false for any other message.
    bool CommonMessage(uint32_t msg, ui::WParam w, ui::LParam l, bool snapSizing, ui::LResult* result) {
        switch (msg) {
            case ui::WM_PAINT:
                OnPaint();
                *result = 0;
                return true;
            case ui::WM_ERASEBKGND:
                *result = 1;
                return true;
            case ui::WM_SIZING:
                if (!snapSizing) return false;
                view_->SnapSizingRect(Handle(), static_cast<int>(w), reinterpret_cast<ui::Rect*>(l));
                *result = 0;
                return true;
            default:
                return false;
        }
    }
    void OnPaint() {
        if (view_ != nullptr && view_->PaintWindow(Handle())) return;
        ui::PaintStruct ps;
        ui::BeginPaint(Handle(), &ps);
        ui::EndPaint(Handle(), &ps);
    }
    void OnResize(ui::LParam l) {
        view_->Resize(Handle(), ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
    }
    void OnScroll(uint32_t msg, ui::WParam w) {
        const int code = ui::LoWord(w);
        const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
        if (msg == ui::WM_HSCROLL) view_->OnHScroll(code, thumb);
        else view_->OnVScroll(code, thumb);
    }
    void OnCenter(ui::WParam w) {
        view_->CenterOn(CenterHexOf(w), 0);
        Redraw();
    }
    void OnRebuildForCountry(ui::WParam w) {
        view_->SetCountryFilter(static_cast<std::uint8_t>(w));
        view_->Refresh();
        Redraw();
    }
    // The pointer moved without the right button's drag: the cursor hex, and a waypoint being
    // dragged follows it.
    void TrackPointer(std::uint32_t point, bool evenWithBand) {
        CurrentMapHost().SetCursorHex(view_->PixelToMapHex(point));
        if ((evenWithBand || !view_->HasRubberBand()) && GetTroopSelection().clickMode == kClickModeWaypoint) {
            view_->DragWaypoint(point);
            Redraw();
        }
    }
    void TickRedraw(bool checkDaytime) {
        if (checkDaytime) {
            const std::uint8_t daytime = DaytimeNow(*view_);
            if (daytime != view_->GetCachedDaytime()) {
                view_->SetCachedDaytime(daytime);
                view_->SetDisplayKind(static_cast<int>(view_->GetDisplayKind()), 1);
            }
        }
        view_->SetCountryFilter(kAllCountries);
        view_->RefreshRoutes();
        view_->RebuildCaptions();
        view_->RedrawView(0);
        Redraw();
    }
    void Redraw() {
        ui::InvalidateRect(Handle(), nullptr, false);
        ui::UpdateWindow(Handle());
    }

    std::unique_ptr<MapViewContext> view_;
};

// The game map (window kind MapWnd).
class RealViewWindow : public MapWindow {
  public:
    using MapWindow::MapWindow;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == ui::WM_CREATE) return OnCreate();
        if (view_ == nullptr) return PassOn(msg, w, l);
        if (ui::LResult r = 0; CommonMessage(msg, w, l, false, &r)) return r;
        switch (msg) {
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            case ui::WM_SIZE:
                OnResize(l);
                TellHqWindow();
                return PassOn(msg, w, l);
            case ui::WM_CLOSE:
                OnClose();
                return 1;
            case ui::WM_SHOWWINDOW:
                if (w == 1) TellHqWindow();
                return 0;
            case ui::WM_GETMINMAXINFO:
                return 0;
            case ui::WM_TIMER:
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w), w, l);
            case ui::WM_HSCROLL:
            case ui::WM_VSCROLL:
                OnScroll(msg, w);
                TellHqWindow();
                Redraw();
                return 0;
            case ui::WM_MOUSEMOVE:
                return OnMouseMove(w, PointOf(l));
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown(w, PointOf(l));
                return 0;
            case ui::WM_LBUTTONUP:
                view_->HandleMapButtonUp(PointOf(l), fw::GetPlayerCountry());
                Redraw();
                return 0;
            case ui::WM_RBUTTONDOWN:
                return OnRButtonDown(w, PointOf(l));
            case ui::WM_RBUTTONUP:
                OnRButtonUp();
                return 1;
            case WM_MAP_REBUILD:
                OnRebuildForCountry(kAllCountries);
                return 1;
            case WM_MAP_QUERY_VIEW:
                OnQueryView(reinterpret_cast<std::int32_t*>(l));
                return 1;
            case WM_SET_VIEW_RECT:
                OnSetViewRect(reinterpret_cast<const std::int32_t*>(l));
                return 1;
            case WM_MAP_TICK_REDRAW:
                TickRedraw(true);
                return 1;
            case WM_MAP_CENTER:
                OnCenter(w);
                return 1;
            case WM_MAP_COMMAND:
                OnMapCommand(static_cast<std::uint16_t>(w));
                return 1;
            case WM_MAP_DISPLAY_SETTING:
                OnDisplaySetting(static_cast<int>(w), static_cast<int>(l));
                return 1;
            case WM_MAP_TROOP_REMOVED:
                if (view_->CancelSelection(static_cast<std::uint16_t>(w))) {
                    Redraw();
                    return 0;
                }
                return 1;
            default:
                return PassOn(msg, w, l);
        }
    }

  private:
    // The game map lives in the frame's MDI client in the editor and as a plain child once a
    // game docks it: as an MDI child it passes on what it does not handle to the MDI child
    // procedure, so that activation, maximising and the window menu work.
    ui::LResult PassOn(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd parent = ui::GetParent(Handle());
        if (parent && ui::GetClassName(parent) == "MDICLIENT") return ui::DefMDIChildProc(Handle(), msg, w, l);
        return Default(msg, w, l);
    }

    ui::LResult OnCreate() {
        if (!MakeView()) return -1;
        shell::SetWindowOfKind(WindowKind::MapWnd, Handle());
        ui::Rect desk{};
        ui::GetClientRect(ui::GetDesktopWindow(), &desk);
        view_->Setup(Handle(), 0, std::max(0, desk.Width() - 200), desk.Height(), kZoom32, 0);
        view_->SetCachedDaytime(DaytimeNow(*view_));
        return 0;
    }
    void OnDestroy() {
        view_->CancelSelection(rules::kNoTroop);
        const ui::Hwnd speed = shell::GetWindowOfKind(WindowKind::SpeedWnd);
        if (speed) shell::PutGameSpeed(static_cast<int>(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0)));
        shell::ForgetWindowOfKind(WindowKind::MapWnd, Handle());
        DropView();
    }
    void OnClose() {
        const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd);
        if (frame) ui::PostMessage(frame, ui::WM_COMMAND, shell::kCmdCloseMapDocument, 0);
    }

    void TellHqWindow() {
        const ui::Hwnd hq = shell::GetWindowOfKind(WindowKind::HqWnd);
        if (!hq) return;
        std::int32_t buffer[4] = {static_cast<std::int32_t>(view_->GetOrigin()), 0, 0, 0};
        ui::SendMessage(hq, WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(buffer));
    }
    void TellOverview(ui::LParam how) {
        const ui::Hwnd overview = shell::GetWindowOfKind(WindowKind::NowGraspWnd);
        if (overview) ui::SendMessage(overview, WM_GRASP_RESIZE, 0, how);
    }
    void SendCommand(int command) { ui::SendMessage(Handle(), ui::WM_COMMAND, static_cast<ui::WParam>(command), 0); }

    ui::LResult OnCommand(int id, ui::WParam w, ui::LParam l) {
        const int kind = static_cast<int>(view_->GetDisplayKind());
        switch (id) {
            case shell::kCmdZoom0:
            case shell::kCmdHex16:
            case shell::kCmdHex32:
                view_->SetZoomLevel(id - shell::kCmdZoom0);
                Redraw();
                return 1;
            case shell::kCmdStyleMap:
            case shell::kCmdStyleWhite:
            case shell::kCmdStyleBoard:
            case shell::kCmdStyleGreen:
                view_->SetDisplayKind(id - shell::kCmdStyleMap, 1);
                Redraw();
                SendCommand(shell::kCmdGraspMap);
                shell::PutMapOption(kIniValueOfDisplayKind[id - shell::kCmdStyleMap]);
                return 1;
            case shell::kCmdRadarRange: {
                const int v = view_->SetRadarRange(!view_->GetRadarRange());
                view_->SetDisplayKind(kind, 0);
                Redraw();
                return v;
            }
            case shell::kCmdNewsContents: {
                const int v = view_->SetNews(!view_->GetNews());
                view_->SetDisplayKind(kind, 0);
                Redraw();
                return v;
            }
            case shell::kCmdSupplyRoutes: {
                const int v = view_->SetSupplyRoute(!view_->GetSupplyRoute());
                view_->SetDisplayKind(kind, v);
                Redraw();
                shell::PutSupply(v);
                return v;
            }
            case shell::kCmdHexFrame: {
                const int v = view_->SetHexFrame(!view_->GetHexFrame());
                view_->SetDisplayKind(kind, 1);
                Redraw();
                SendCommand(shell::kCmdGraspMap);
                shell::PutMapFrame(v);
                return v;
            }
            case shell::kCmdCaptionNone:
            case shell::kCmdCaptionName:
            case shell::kCmdCaptionState:
            case shell::kCmdCaptionContents:
            case shell::kCmdCaptionArrival:
                view_->SetCaptionMode(id - shell::kCmdCaptionNone);
                view_->RedrawView(0);
                Redraw();
                return 1;
            case shell::kCmdGraspMap:
                TellOverview(0);
                return 1;
            case shell::kCmdMapSize: {
                const int zoom = view_->GetZoomLevel() == kZoom32 ? kZoom16 : kZoom32;
                view_->SetZoomLevel(zoom);
                TellHqWindow();
                Redraw();
                shell::PutMapSize(zoom == kZoom16 ? 1 : 0);
                return 1;
            }
            case shell::kCmdRouteDisplay: {
                const int v = !view_->GetAirRoute();
                SetAllRoutes(*view_, v);
                view_->SetDisplayKind(kind, 0);
                Redraw();
                shell::PutMove(v);
                return 1;
            }
            case shell::kCmdCycleTroopDisplay: {
                int mode = view_->GetCaptionMode() + 1;
                if (mode > kLastCaptionMode) mode = 0;
                view_->SetCaptionMode(mode);
                view_->RedrawView(0);
                Redraw();
                shell::PutTroop(mode);
                return 1;
            }
            case shell::kCmdGraspSize:
                TellOverview(kGraspNextSize);
                return 1;
            default:
                return PassOn(ui::WM_COMMAND, w, l);
        }
    }

    void OnDisplaySetting(int setting, int value) {
        switch (setting) {
            case kSettingDisplayKind:
                view_->SetDisplayKind(DisplayKindFromIni(value), 1);
                break;
            case kSettingMapSize:
                view_->SetZoomLevel(value == 1 ? kZoom16 : kZoom32);
                TellHqWindow();
                break;
            case kSettingHexFrame:
                view_->SetHexFrame(value == 1);
                break;
            case kSettingSupply:
                view_->SetSupplyRoute(value == 1);
                break;
            case kSettingRoutes:
                SetAllRoutes(*view_, value == 1);
                break;
            case kSettingRedrawWithOverview:
                TellOverview(0);
                [[fallthrough]];
            case kSettingRedraw:
                view_->SetDisplayKind(static_cast<int>(view_->GetDisplayKind()), 1);
                Redraw();
                SendCommand(shell::kCmdGraspMap);
                break;
            case kSettingCaptionMode:
                view_->SetCaptionMode(value > kLastCaptionMode ? 0 : value);
                break;
            default:
                break;
        }
    }

    ui::LResult OnMouseMove(ui::WParam w, std::uint32_t point) {
        if ((w & ui::MK_RBUTTON) && view_->dragActive) {
            if (view_->DragScroll(Lo16(point), Hi16(point))) Redraw();
            return 1;
        }
        TrackPointer(point, true);
        return 1;
    }
    void OnLButtonDown(ui::WParam w, std::uint32_t point) {
        if (!view_->PressOnMap(Handle(), point)) return;
        if ((w & ui::MK_CONTROL) && !view_->HasRubberBand() && fw::GetPlayerCountry() < rules::kCountryCount) {
            view_->SetCaptionMode(shell::GetTroop());
            view_->ToggleTroopMark(Handle(), point);
            view_->RebuildCaptions();
            view_->RedrawView(0);
        } else if (!view_->BeginRubberBand(point) && GetTroopSelection().clickMode == kClickModeNone) {
            view_->PressWithSelection(point);
        }
        Redraw();
    }
    ui::LResult OnRButtonDown(ui::WParam w, std::uint32_t point) {
        if ((w & ui::MK_CONTROL) && (w & ui::MK_SHIFT)) {
            MapWorld* world = CurrentMapWorld();
            if (world != nullptr && world->simulation != nullptr) world->simulation->NotifyExecuteThinkEnd();
        }
        if (view_->CancelSelection(rules::kNoTroop)) {
            Redraw();
            return 0;
        }
        view_->BeginDragScroll(Lo16(point), Hi16(point));
        view_->dragActive = 1;
        ui::SetCapture(Handle());
        return 1;
    }
    void OnRButtonUp() {
        TellHqWindow();
        Redraw();
        ui::ReleaseCapture();
        view_->dragActive = 0;
    }

    void OnQueryView(std::int32_t* out) {
        if (out == nullptr) return;
        int cols = 0, rows = 0;
        view_->GetVisibleSize(cols, rows);
        out[0] = Lo16(view_->GetOrigin());
        out[1] = Hi16(view_->GetOrigin());
        out[2] = cols;
        out[3] = rows;
    }
    void OnSetViewRect(const std::int32_t* in) {
        if (in == nullptr) return;
        view_->SetOrigin(Pack32(in[0], in[1]));
        view_->SetVisibleSize(in[2] & 0xFFFF, in[3] & 0xFFFF);
        view_->RedrawView(0);
        Redraw();
    }
    void OnMapCommand(std::uint16_t troop) {
        auto& troops = view_->Context().Troops();
        if (!troops.Select(troop)) return;
        view_->IssueOrdersForSelection(troop, troops.GetHexValue());
    }
};

// The organisation dialog's small map: places the troop it was given and takes troops back.
class RealChileViewWindow : public MapWindow {
  public:
    using MapWindow::MapWindow;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == ui::WM_CREATE) return OnCreate();
        if (view_ == nullptr) return Default(msg, w, l);
        if (ui::LResult r = 0; CommonMessage(msg, w, l, true, &r)) return r;
        switch (msg) {
            case ui::WM_DESTROY:
                view_->CancelSelection(rules::kNoTroop);
                DropView();
                return 0;
            case ui::WM_SIZE:
                OnResize(l);
                return Default(msg, w, l);
            case ui::WM_HSCROLL:
            case ui::WM_VSCROLL:
                OnScroll(msg, w);
                Redraw();
                return 0;
            case ui::WM_MOUSEMOVE:
                if (w & ui::MK_RBUTTON) {
                    if (view_->DragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)))) Redraw();
                    return 1;
                }
                TrackPointer(PointOf(l), false);
                return 1;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown(PointOf(l));
                return 0;
            case ui::WM_LBUTTONUP:
                view_->HandleMapButtonUp(PointOf(l), placementCountry_);
                Redraw();
                return 0;
            case ui::WM_RBUTTONDOWN:
                OnRButtonDown(PointOf(l));
                return 0;
            case WM_MAP_CENTER:
                OnCenter(w);
                return 1;
            case WM_MAP_SET_PLACEMENT_TROOP:
                placementTroop_ = ui::LoWord(w);
                placementCountry_ = static_cast<std::uint8_t>(l & 0xFF);
                return 1;
            case WM_MAP_REBUILD:
                placementCountry_ = static_cast<std::uint8_t>(w);
                OnRebuildForCountry(w);
                return 1;
            case WM_MAP_TICK_REDRAW:
                TickRedraw(false);
                return 1;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    ui::LResult OnCreate() {
        if (!MakeView()) return -1;
        view_->Setup(Handle(), 0, 266, 254, kZoom16, 0);
        view_->SetDisplayKind(DisplayKindFromIni(shell::GetMapOption()), 1);
        return 0;
    }
    // The organisation dialog that holds the map (map, its page, the page's tab control).
    void TellDialogPlacementChanged() {
        const ui::Hwnd dialog = ui::GetParent(ui::GetParent(ui::GetParent(Handle())));
        if (dialog) ui::SendMessage(dialog, WM_ORGANIZE_PLACEMENT_CHANGED, 0, 0);
    }
    void OnLButtonDown(std::uint32_t point) {
        if (view_->PlaceForceTroop(point, placementCountry_, placementTroop_)) {
            view_->Refresh();
            TellDialogPlacementChanged();
            placementTroop_ = rules::kNoTroop;
            Redraw();
        } else if (!view_->BeginRubberBand(point) && GetTroopSelection().clickMode == kClickModeNone) {
            view_->PressWithSelection(point);
        }
    }
    void OnRButtonDown(std::uint32_t point) {
        if (view_->CancelSelection(rules::kNoTroop)) {
            Redraw();
        } else if (view_->RecoverForceTroop(point, placementCountry_)) {
            TellDialogPlacementChanged();
            view_->Refresh();
            Redraw();
        } else {
            view_->BeginDragScroll(Lo16(point), Hi16(point));
        }
    }

    // The troop to place and its country (WM_MAP_SET_PLACEMENT_TROOP).
    std::uint16_t placementTroop_ = rules::kNoTroop;
    std::uint8_t placementCountry_ = 0;
};

// The opening demonstration's map: shows, scrolls and cancels a selection, gives no orders.
class ChileOpeningViewWindow : public MapWindow {
  public:
    using MapWindow::MapWindow;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == ui::WM_CREATE) return OnCreate();
        if (view_ == nullptr) return Default(msg, w, l);
        if (ui::LResult r = 0; CommonMessage(msg, w, l, true, &r)) return r;
        switch (msg) {
            case ui::WM_DESTROY:
                DropView();
                return 0;
            case ui::WM_SIZE:
                OnResize(l);
                Redraw();
                return Default(msg, w, l);
            case ui::WM_HSCROLL:
            case ui::WM_VSCROLL:
                OnScroll(msg, w);
                Redraw();
                return 0;
            case ui::WM_MOUSEMOVE:
                if (w & ui::MK_RBUTTON) {
                    if (view_->DragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)))) Redraw();
                    return 1;
                }
                TrackPointer(PointOf(l), true);
                return 1;
            case ui::WM_RBUTTONDOWN:
                if (view_->CancelSelection(rules::kNoTroop)) {
                    Redraw();
                    return 0;
                }
                view_->BeginDragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)));
                return 1;
            case ui::WM_RBUTTONUP:
                Redraw();
                return 1;
            case WM_MAP_REBUILD:
                OnRebuildForCountry(w);
                return 1;
            case WM_MAP_TICK_REDRAW:
                TickRedraw(false);
                return 1;
            case WM_MAP_CENTER:
                OnCenter(w);
                return 1;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    ui::LResult OnCreate() {
        if (!MakeView()) return -1;
        view_->Setup(Handle(), 0, 266, 254, kZoom32, 0);
        view_->SetDisplayKind(0, 1);
        return 0;
    }
};

}  // namespace

MapViewContext* GetMapViewContext(ui::Hwnd window) {
    // The class name is read once; each class's procedure is WindowObjectProc of its own class.
    const std::string name = ui::GetClassName(window);
    const auto view = [](const auto* map) { return map != nullptr ? map->View() : nullptr; };
    if (name == kRealViewWindowClass) return view(ui::WindowObjectOf<RealViewWindow>(window));
    if (name == kRealChileViewWindowClass) return view(ui::WindowObjectOf<RealChileViewWindow>(window));
    if (name == kChileOpeningViewWindowClass) return view(ui::WindowObjectOf<ChileOpeningViewWindow>(window));
    return nullptr;
}

ui::LResult RealViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<RealViewWindow>(h, msg, w, l);
}

ui::LResult RealChileViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<RealChileViewWindow>(h, msg, w, l);
}

ui::LResult ChileOpeningViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<ChileOpeningViewWindow>(h, msg, w, l);
}

void RegisterMapViewClasses() {
    const std::pair<const char*, ui::WndProc> classes[] = {
        {kRealViewWindowClass, RealViewWindowProc},
        {kRealChileViewWindowClass, RealChileViewWindowProc},
        {kChileOpeningViewWindowClass, ChileOpeningViewWindowProc},
    };
    for (const auto& [name, proc] : classes) {
        ui::WindowClass existing;
        if (ui::GetClassInfo(name, &existing)) continue;
        ui::WindowClass wc;
        wc.name = name;
        wc.proc = proc;
        wc.windowExtraBytes = 8;
        ui::RegisterClass(wc);
    }
}

ui::Hwnd CreateRealViewWindow(ui::Hwnd parent, int x, int y, int width, int height) {
    RegisterMapViewClasses();
    const uint32_t style = (parent ? ui::WS_CHILD : ui::WS_OVERLAPPEDWINDOW) | ui::WS_VISIBLE |
                           ui::WS_HSCROLL | ui::WS_VSCROLL | ui::WS_CLIPCHILDREN;
    return ui::CreateWindowEx(0, kRealViewWindowClass, "", style, x, y, width, height, parent, 0,
                              nullptr, nullptr);
}

ui::Hwnd CreateRealChileViewWindow(ui::Hwnd parent, int id) {
    RegisterMapViewClasses();
    return ui::CreateWindowEx(0, kRealChileViewWindowClass, "",
                              ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_HSCROLL | ui::WS_VSCROLL, 0, 0, 266,
                              254, parent, id, nullptr, nullptr);
}

ui::Hwnd CreateChileOpeningViewWindow(ui::Hwnd parent, int id) {
    RegisterMapViewClasses();
    return ui::CreateWindowEx(0, kChileOpeningViewWindowClass, "",
                              ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_HSCROLL | ui::WS_VSCROLL, 0, 0, 266,
                              254, parent, id, nullptr, nullptr);
}

}  // namespace zv::mapview
