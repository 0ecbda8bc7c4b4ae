#include "mapview/MapViewWindows.h"

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapWorld.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "simulation/Simulation.h"

namespace zv::mapview {

namespace {

using shell::WindowKind;

// The organisation map's troop to place and its country (WM_MAP_SET_PLACEMENT_TROOP).
std::uint16_t gPlacementTroop = rules::kNoTroop;
std::uint8_t gPlacementCountry = 0;

MapViewContext* ContextOf(ui::Hwnd h) {
    return reinterpret_cast<MapViewContext*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

MapViewContext* CreateContext(ui::Hwnd h) {
    MapViewContext* existing = ContextOf(h);
    if (existing != nullptr) return existing;
    MapWorld* world = CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr) return nullptr;
    auto* ctx = new MapViewContext(*world->tables);
    ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(ctx));
    return ctx;
}

void DestroyContext(ui::Hwnd h) {
    delete ContextOf(h);
    ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
}

// The game map lives in the frame's MDI client in the editor and as a plain child once a game
// docks it: as an MDI child it passes on what it does not handle to the MDI child procedure, so
// that activation, maximising and the window menu work.
ui::LResult MapWindowDefault(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd parent = ui::GetParent(h);
    if (parent && ui::GetClassName(parent) == "MDICLIENT") return ui::DefMDIChildProc(h, msg, w, l);
    return ui::DefWindowProc(h, msg, w, l);
}

void Redraw(ui::Hwnd h) {
    ui::InvalidateRect(h, nullptr, false);
    ui::UpdateWindow(h);
}

std::uint32_t PointOf(ui::LParam l) { return static_cast<std::uint32_t>(l); }

void TellHqWindow(MapViewContext* ctx) {
    const ui::Hwnd hq = shell::GetWindowOfKind(WindowKind::HqWnd);
    if (!hq) return;
    std::int32_t buffer[4] = {static_cast<std::int32_t>(ctx->GetOrigin()), 0, 0, 0};
    ui::SendMessage(hq, WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(buffer));
}

std::uint8_t DaytimeNow(MapViewContext* ctx) { return ctx->Context().Header().GetDaytime(); }

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

void SetAllRoutes(MapViewContext* ctx, int on) {
    ctx->SetAirRoute(on);
    ctx->SetHeliRoute(on);
    ctx->SetGroundRoute(on);
    ctx->SetShipRoute(on);
}

void TickRedraw(ui::Hwnd h, MapViewContext* ctx, bool checkDaytime) {
    if (checkDaytime) {
        const std::uint8_t daytime = DaytimeNow(ctx);
        if (daytime != ctx->GetCachedDaytime()) {
            ctx->SetCachedDaytime(daytime);
            ctx->SetDisplayKind(static_cast<int>(ctx->GetDisplayKind()), 1);
        }
    }
    ctx->SetCountryFilter(6);
    ctx->RefreshRoutes();
    ctx->RebuildCaptions();
    ctx->RedrawView(0);
    Redraw(h);
}

ui::LResult OnMenuCommand(ui::Hwnd h, MapViewContext* ctx, int id, ui::WParam w, ui::LParam l) {
    const auto self = [&](int command) { ui::SendMessage(h, ui::WM_COMMAND, command, 0); };
    const auto grasp = [&](ui::LParam lp) {
        const ui::Hwnd g = shell::GetWindowOfKind(WindowKind::NowGraspWnd);
        if (g) ui::SendMessage(g, WM_GRASP_RESIZE, 0, lp);
    };
    const int kind = static_cast<int>(ctx->GetDisplayKind());
    switch (id) {
        case 40004:
        case 40005:
        case 40006:
            ctx->SetZoomLevel(id - 40004);
            Redraw(h);
            return 1;
        case 40058:
        case 40059:
        case 40060:
        case 40061: {
            static constexpr int kIniValues[4] = {0, 1, 3, 2};
            ctx->SetDisplayKind(id - 40058, 1);
            Redraw(h);
            self(40100);
            shell::PutMapOption(kIniValues[id - 40058]);
            return 1;
        }
        case 40068: {
            const int v = ctx->SetRadarRange(!ctx->GetRadarRange());
            ctx->SetDisplayKind(kind, 0);
            Redraw(h);
            return v;
        }
        case 40069: {
            const int v = ctx->SetNews(!ctx->GetNews());
            ctx->SetDisplayKind(kind, 0);
            Redraw(h);
            return v;
        }
        case 40070: {
            const int v = ctx->SetSupplyRoute(!ctx->GetSupplyRoute());
            ctx->SetDisplayKind(kind, v);
            Redraw(h);
            shell::PutSupply(v);
            return v;
        }
        case 40072: {
            const int v = ctx->SetHexFrame(!ctx->GetHexFrame());
            ctx->SetDisplayKind(kind, 1);
            Redraw(h);
            self(40100);
            shell::PutMapFrame(v);
            return v;
        }
        case 40073:
        case 40074:
        case 40075:
        case 40076:
        case 40077:
            ctx->SetCaptionMode(id - 40073);
            ctx->RedrawView(0);
            Redraw(h);
            return 1;
        case 40100:
            grasp(0);
            return 1;
        case 40113: {
            const int zoom = ctx->GetZoomLevel() == 2 ? 1 : 2;
            ctx->SetZoomLevel(zoom);
            TellHqWindow(ctx);
            Redraw(h);
            shell::PutMapSize(zoom == 1 ? 1 : 0);
            return 1;
        }
        case 40115: {
            const int v = !ctx->GetAirRoute();
            SetAllRoutes(ctx, v);
            ctx->SetDisplayKind(kind, 0);
            Redraw(h);
            shell::PutMove(v);
            return 1;
        }
        case 40116: {
            int mode = ctx->GetCaptionMode() + 1;
            if (mode > 4) mode = 0;
            ctx->SetCaptionMode(mode);
            ctx->RedrawView(0);
            Redraw(h);
            shell::PutTroop(mode);
            return 1;
        }
        case 40117:
            grasp(-2);
            return 1;
        default:
            return MapWindowDefault(h, ui::WM_COMMAND, w, l);
    }
}

void OnDisplaySetting(ui::Hwnd h, MapViewContext* ctx, int setting, int value) {
    switch (setting) {
        case 0:
            ctx->SetDisplayKind(DisplayKindFromIni(value), 1);
            break;
        case 1:
            ctx->SetZoomLevel(value == 1 ? 1 : 2);
            TellHqWindow(ctx);
            break;
        case 2:
            ctx->SetHexFrame(value == 1);
            break;
        case 3:
            ctx->SetSupplyRoute(value == 1);
            break;
        case 4:
            SetAllRoutes(ctx, value == 1);
            break;
        case 6: {
            const ui::Hwnd g = shell::GetWindowOfKind(WindowKind::NowGraspWnd);
            if (g) ui::SendMessage(g, WM_GRASP_RESIZE, 0, 0);
            [[fallthrough]];
        }
        case 5:
            ctx->SetDisplayKind(static_cast<int>(ctx->GetDisplayKind()), 1);
            Redraw(h);
            ui::SendMessage(h, ui::WM_COMMAND, 40100, 0);
            break;
        case 7:
            ctx->SetCaptionMode(value > 4 ? 0 : value);
            break;
        default:
            break;
    }
}

// What the three classes share: scroll bars, paint, size and sizing.
bool CommonMessage(ui::Hwnd h, MapViewContext* ctx, uint32_t msg, ui::WParam w, ui::LParam l,
                   ui::LResult* result) {
    switch (msg) {
        case ui::WM_PAINT:
            if (ctx == nullptr || !ctx->PaintWindow(h)) {
                ui::PaintStruct ps;
                ui::BeginPaint(h, &ps);
                ui::EndPaint(h, &ps);
            }
            *result = 0;
            return true;
        case ui::WM_ERASEBKGND:
            *result = 1;
            return true;
        case ui::WM_SIZING:
            if (ctx != nullptr) ctx->SnapSizingRect(h, static_cast<int>(w), reinterpret_cast<ui::Rect*>(l));
            *result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace

MapViewContext* GetMapViewContext(ui::Hwnd window) {
    const std::string cls = ui::GetClassName(window);
    if (cls != kRealViewWindowClass && cls != kRealChileViewWindowClass && cls != kChileOpeningViewWindowClass)
        return nullptr;
    return ContextOf(window);
}

ui::LResult RealViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    MapViewContext* ctx = ContextOf(h);
    if (msg == ui::WM_CREATE) {
        ctx = CreateContext(h);
        if (ctx == nullptr) return -1;
        shell::SetWindowOfKind(WindowKind::MapWnd, h);
        ui::Rect desk{};
        ui::GetClientRect(ui::GetDesktopWindow(), &desk);
        ctx->Setup(h, 0, std::max(0, desk.Width() - 200), desk.Height(), 2, 0);
        ctx->SetCachedDaytime(DaytimeNow(ctx));
        return 0;
    }
    if (ctx == nullptr) return MapWindowDefault(h, msg, w, l);
    ui::LResult result = 0;
    if (msg != ui::WM_SIZING && CommonMessage(h, ctx, msg, w, l, &result)) return result;
    const std::uint8_t player = fw::GetPlayerCountry();
    switch (msg) {
        case ui::WM_DESTROY: {
            ctx->CancelSelection(0xFFFF);
            const ui::Hwnd speed = shell::GetWindowOfKind(WindowKind::SpeedWnd);
            if (speed) shell::PutGameSpeed(static_cast<int>(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0)));
            shell::ForgetWindowOfKind(WindowKind::MapWnd, h);
            DestroyContext(h);
            return 0;
        }
        case ui::WM_SIZE:
            ctx->Resize(h, ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            TellHqWindow(ctx);
            return MapWindowDefault(h, msg, w, l);
        case ui::WM_CLOSE: {
            const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd);
            if (frame) ui::PostMessage(frame, ui::WM_COMMAND, 40009, 0);
            return 1;
        }
        case ui::WM_SHOWWINDOW:
            if (w == 1) TellHqWindow(ctx);
            return 0;
        case ui::WM_GETMINMAXINFO:
            return 0;
        case ui::WM_TIMER:
            return 1;
        case ui::WM_COMMAND:
            return OnMenuCommand(h, ctx, ui::LoWord(w), w, l);
        case ui::WM_HSCROLL:
        case ui::WM_VSCROLL: {
            const int code = ui::LoWord(w);
            const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
            if (msg == ui::WM_HSCROLL) ctx->OnHScroll(code, thumb);
            else ctx->OnVScroll(code, thumb);
            TellHqWindow(ctx);
            Redraw(h);
            return 0;
        }
        case ui::WM_MOUSEMOVE: {
            if ((w & ui::MK_RBUTTON) && ctx->dragActive) {
                if (ctx->DragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)))) Redraw(h);
                return 1;
            }
            const std::uint32_t hex = ctx->PixelToMapHex(PointOf(l));
            CurrentMapHost().SetCursorHex(hex);
            if (GetTroopSelection().clickMode == kClickModeWaypoint) {
                ctx->DragWaypoint(PointOf(l));
                Redraw(h);
            }
            return 1;
        }
        case ui::WM_LBUTTONDOWN:
            if (ctx->PressOnMap(h, PointOf(l))) {
                if ((w & ui::MK_CONTROL) && !ctx->HasRubberBand() && player < 4) {
                    ctx->SetCaptionMode(shell::GetTroop());
                    ctx->ToggleTroopMark(h, PointOf(l));
                    ctx->RebuildCaptions();
                    ctx->RedrawView(0);
                    Redraw(h);
                } else {
                    if (!ctx->BeginRubberBand(PointOf(l)) && GetTroopSelection().clickMode == kClickModeNone) {
                        ctx->PressWithSelection(PointOf(l));
                    }
                    Redraw(h);
                }
            }
            return 0;
        case ui::WM_LBUTTONUP:
            ctx->HandleMapButtonUp(PointOf(l), player);
            Redraw(h);
            return 0;
        case ui::WM_RBUTTONDOWN:
            if ((w & ui::MK_CONTROL) && (w & ui::MK_SHIFT)) {
                MapWorld* world = CurrentMapWorld();
                if (world != nullptr && world->simulation != nullptr) world->simulation->NotifyExecuteThinkEnd();
            }
            if (ctx->CancelSelection(0xFFFF)) {
                Redraw(h);
                return 0;
            }
            ctx->BeginDragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)));
            ctx->dragActive = 1;
            ui::SetCapture(h);
            return 1;
        case ui::WM_RBUTTONUP:
            TellHqWindow(ctx);
            Redraw(h);
            ui::ReleaseCapture();
            ctx->dragActive = 0;
            return 1;
        case WM_MAP_REBUILD:
            ctx->SetCountryFilter(6);
            ctx->Refresh();
            Redraw(h);
            return 1;
        case WM_MAP_QUERY_VIEW: {
            auto* out = reinterpret_cast<std::int32_t*>(l);
            if (out != nullptr) {
                int cols = 0, rows = 0;
                ctx->GetVisibleSize(cols, rows);
                out[0] = Lo16(ctx->GetOrigin());
                out[1] = Hi16(ctx->GetOrigin());
                out[2] = cols;
                out[3] = rows;
            }
            return 1;
        }
        case WM_SET_VIEW_RECT: {
            const auto* in = reinterpret_cast<const std::int32_t*>(l);
            if (in != nullptr) {
                ctx->SetOrigin(Pack32(in[0] & 0xFFFF, in[1] & 0xFFFF));
                ctx->SetVisibleSize(in[2] & 0xFFFF, in[3] & 0xFFFF);
                ctx->RedrawView(0);
                Redraw(h);
            }
            return 1;
        }
        case WM_MAP_TICK_REDRAW:
            TickRedraw(h, ctx, true);
            return 1;
        case WM_MAP_CENTER:
            ctx->CenterOn(static_cast<std::uint16_t>((w & 0xFF) | ((w >> 8) & 0xFF00)), 0);
            Redraw(h);
            return 1;
        case WM_MAP_COMMAND: {
            const std::uint16_t troop = static_cast<std::uint16_t>(w);
            auto& t = ctx->Context().Troops();
            if (!t.Select(troop)) return 1;
            const std::uint16_t hex = t.GetHexValue();
            ctx->IssueOrdersForSelection(troop, hex);
            return 1;
        }
        case WM_MAP_DISPLAY_SETTING:
            OnDisplaySetting(h, ctx, static_cast<int>(w), static_cast<int>(l));
            return 1;
        case WM_MAP_TROOP_REMOVED:
            if (ctx->CancelSelection(static_cast<std::uint16_t>(w))) {
                Redraw(h);
                return 0;
            }
            return 1;
        default:
            return MapWindowDefault(h, msg, w, l);
    }
}

ui::LResult RealChileViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    MapViewContext* ctx = ContextOf(h);
    if (msg == ui::WM_CREATE) {
        ctx = CreateContext(h);
        if (ctx == nullptr) return -1;
        ctx->Setup(h, 0, 266, 254, 1, 0);
        ctx->SetDisplayKind(DisplayKindFromIni(shell::GetMapOption()), 1);
        return 0;
    }
    if (ctx == nullptr) return ui::DefWindowProc(h, msg, w, l);
    ui::LResult result = 0;
    if (CommonMessage(h, ctx, msg, w, l, &result)) return result;
    switch (msg) {
        case ui::WM_DESTROY:
            ctx->CancelSelection(0xFFFF);
            DestroyContext(h);
            return 0;
        case ui::WM_SIZE:
            ctx->Resize(h, ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            return ui::DefWindowProc(h, msg, w, l);
        case ui::WM_HSCROLL:
        case ui::WM_VSCROLL: {
            const int code = ui::LoWord(w);
            const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
            if (msg == ui::WM_HSCROLL) ctx->OnHScroll(code, thumb);
            else ctx->OnVScroll(code, thumb);
            Redraw(h);
            return 0;
        }
        case ui::WM_MOUSEMOVE:
            if (w & ui::MK_RBUTTON) {
                if (ctx->DragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)))) Redraw(h);
                return 1;
            }
            CurrentMapHost().SetCursorHex(ctx->PixelToMapHex(PointOf(l)));
            if (!ctx->HasRubberBand() && GetTroopSelection().clickMode == kClickModeWaypoint) {
                ctx->DragWaypoint(PointOf(l));
                Redraw(h);
            }
            return 1;
        case ui::WM_LBUTTONDOWN:
            if (ctx->PlaceForceTroop(PointOf(l), gPlacementCountry, gPlacementTroop)) {
                ctx->Refresh();
                ui::Hwnd dialog = ui::GetParent(ui::GetParent(ui::GetParent(h)));
                if (dialog) ui::SendMessage(dialog, WM_ORGANIZE_PLACEMENT_CHANGED, 0, 0);
                gPlacementTroop = rules::kNoTroop;
                Redraw(h);
            } else if (!ctx->BeginRubberBand(PointOf(l)) && GetTroopSelection().clickMode == kClickModeNone) {
                ctx->PressWithSelection(PointOf(l));
            }
            return 0;
        case ui::WM_LBUTTONUP:
            ctx->HandleMapButtonUp(PointOf(l), gPlacementCountry);
            Redraw(h);
            return 0;
        case ui::WM_RBUTTONDOWN:
            if (ctx->CancelSelection(0xFFFF)) {
                Redraw(h);
            } else if (ctx->RecoverForceTroop(PointOf(l), gPlacementCountry)) {
                ui::Hwnd dialog = ui::GetParent(ui::GetParent(ui::GetParent(h)));
                if (dialog) ui::SendMessage(dialog, WM_ORGANIZE_PLACEMENT_CHANGED, 0, 0);
                ctx->Refresh();
                Redraw(h);
            } else {
                ctx->BeginDragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)));
            }
            return 0;
        case WM_MAP_CENTER:
            ctx->CenterOn(static_cast<std::uint16_t>((w & 0xFF) | ((w >> 8) & 0xFF00)), 0);
            Redraw(h);
            return 1;
        case WM_MAP_SET_PLACEMENT_TROOP:
            gPlacementTroop = static_cast<std::uint16_t>(w & 0xFFFF);
            gPlacementCountry = static_cast<std::uint8_t>(l & 0xFF);
            return 1;
        case WM_MAP_REBUILD:
            gPlacementCountry = static_cast<std::uint8_t>(w);
            ctx->SetCountryFilter(static_cast<std::uint8_t>(w));
            ctx->Refresh();
            Redraw(h);
            return 1;
        case WM_MAP_TICK_REDRAW:
            TickRedraw(h, ctx, false);
            return 1;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

ui::LResult ChileOpeningViewWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    MapViewContext* ctx = ContextOf(h);
    if (msg == ui::WM_CREATE) {
        ctx = CreateContext(h);
        if (ctx == nullptr) return -1;
        ctx->Setup(h, 0, 266, 254, 2, 0);
        ctx->SetDisplayKind(0, 1);
        return 0;
    }
    if (ctx == nullptr) return ui::DefWindowProc(h, msg, w, l);
    ui::LResult result = 0;
    if (CommonMessage(h, ctx, msg, w, l, &result)) return result;
    switch (msg) {
        case ui::WM_DESTROY:
            DestroyContext(h);
            return 0;
        case ui::WM_SIZE:
            ctx->Resize(h, ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            Redraw(h);
            return ui::DefWindowProc(h, msg, w, l);
        case ui::WM_HSCROLL:
        case ui::WM_VSCROLL: {
            const int code = ui::LoWord(w);
            const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
            if (msg == ui::WM_HSCROLL) ctx->OnHScroll(code, thumb);
            else ctx->OnVScroll(code, thumb);
            Redraw(h);
            return 0;
        }
        case ui::WM_MOUSEMOVE:
            if (w & ui::MK_RBUTTON) {
                if (ctx->DragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)))) Redraw(h);
                return 1;
            }
            CurrentMapHost().SetCursorHex(ctx->PixelToMapHex(PointOf(l)));
            if (GetTroopSelection().clickMode == kClickModeWaypoint) {
                ctx->DragWaypoint(PointOf(l));
                Redraw(h);
            }
            return 1;
        case ui::WM_RBUTTONDOWN:
            if (ctx->CancelSelection(0xFFFF)) {
                Redraw(h);
                return 0;
            }
            ctx->BeginDragScroll(Lo16(PointOf(l)), Hi16(PointOf(l)));
            return 1;
        case ui::WM_RBUTTONUP:
            Redraw(h);
            return 1;
        case WM_MAP_REBUILD:
            ctx->SetCountryFilter(static_cast<std::uint8_t>(w));
            ctx->Refresh();
            Redraw(h);
            return 1;
        case WM_MAP_TICK_REDRAW:
            TickRedraw(h, ctx, false);
            return 1;
        case WM_MAP_CENTER:
            ctx->CenterOn(static_cast<std::uint16_t>((w & 0xFF) | ((w >> 8) & 0xFF00)), 0);
            Redraw(h);
            return 1;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
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
