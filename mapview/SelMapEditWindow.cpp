#include "mapview/SelMapEditWindow.h"

#include <algorithm>

#include "mapview/MapEditorContext.h"
#include "mapview/MapWorld.h"
#include "mapview/MinMaxInfo.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/WindowMessages.h"

namespace zv::mapview {

namespace {

using shell::WindowKind;

std::function<int(int)> gClockStep;
std::function<void()> gChangeHook;

MapEditorContext* DocumentOf(ui::Hwnd h) {
    return reinterpret_cast<MapEditorContext*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

MapEditorContext* EnsureDocument(ui::Hwnd h) {
    if (MapEditorContext* doc = DocumentOf(h)) return doc;
    MapWorld* world = CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr) return nullptr;
    auto* doc = new MapEditorContext(*world->tables, 1);
    ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(doc));
    return doc;
}

void Redraw(ui::Hwnd h) {
    ui::InvalidateRect(h, nullptr, false);
    ui::UpdateWindow(h);
}

void VisibleRect(MapEditorContext* doc, std::int32_t out[4]) {
    int cols = 0, rows = 0;
    doc->GetVisibleSize(cols, rows);
    out[0] = Lo16(doc->GetOrigin());
    out[1] = Hi16(doc->GetOrigin());
    out[2] = cols;
    out[3] = rows;
}

// The HQ window hears of the visible rectangle.
void TellHqWindow(MapEditorContext* doc) {
    const ui::Hwnd hq = shell::GetWindowOfKind(WindowKind::HqWnd);
    if (!hq) return;
    std::int32_t rect[4];
    VisibleRect(doc, rect);
    ui::SendMessage(hq, WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(rect));
}

void CheckFrameMenu(int id, bool checked) {
    const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd);
    const ui::Hmenu menu = frame ? ui::GetMenu(frame) : ui::Hmenu{};
    if (menu) ui::CheckMenuItem(menu, static_cast<uint32_t>(id), ui::MF_BYCOMMAND | (checked ? ui::MF_CHECKED : ui::MF_UNCHECKED));
}

// The seven display switches in menu order 40064-40070.
int GetSwitch(MapEditorContext* d, int i) {
    switch (i) {
        case 0: return d->GetAirRoute();
        case 1: return d->GetHeliRoute();
        case 2: return d->GetGroundRoute();
        case 3: return d->GetShipRoute();
        case 4: return d->GetRadarRange();
        case 5: return d->GetNews();
        default: return d->GetSupplyRoute();
    }
}

int SetSwitch(MapEditorContext* d, int i, int v) {
    switch (i) {
        case 0: return d->SetAirRoute(v);
        case 1: return d->SetHeliRoute(v);
        case 2: return d->SetGroundRoute(v);
        case 3: return d->SetShipRoute(v);
        case 4: return d->SetRadarRange(v);
        case 5: return d->SetNews(v);
        default: return d->SetSupplyRoute(v);
    }
}

ui::LResult OnDisplayCommand(ui::Hwnd h, MapEditorContext* doc, int id, ui::WParam w, ui::LParam l) {
    ui::LResult result = 1;
    if (id >= kCmdZoom0 && id <= kCmdZoom0 + 2) {
        doc->SetZoomLevel(id - kCmdZoom0);
    } else if (id >= kCmdDisplayKind0 && id <= kCmdDisplayKind0 + 3) {
        doc->SetDisplayKind(id - kCmdDisplayKind0, 1);
    } else if (id >= kCmdAirRoute && id <= kCmdAirRoute + 6) {
        const int i = id - kCmdAirRoute;
        result = SetSwitch(doc, i, !GetSwitch(doc, i));
        doc->SetDisplayKind(static_cast<int>(doc->GetDisplayKind()), 0);
    } else if (id == kCmdHexFrame) {
        result = doc->SetHexFrame(!doc->GetHexFrame());
        doc->SetZoomLevel(static_cast<int>(doc->GetZoomLevel()));
    } else if (id >= kCmdCaptionMode0 && id <= kCmdCaptionMode0 + 4) {
        doc->SetCaptionMode(id - kCmdCaptionMode0);
        doc->RedrawView(0);
    } else {
        return ui::DefMDIChildProc(h, ui::WM_COMMAND, w, l);
    }
    Redraw(h);
    return result;
}

ui::LResult OnLeftDown(ui::Hwnd h, MapEditorContext* doc, ui::WParam w, std::uint32_t point, bool strokeStart) {
    if (w & ui::MK_CONTROL) {
        if (!doc->BeginRubberBand(point) && GetTroopSelection().clickMode == kClickModeNone) doc->PressWithSelection(point);
        Redraw(h);
        return 0;
    }
    if (strokeStart && gChangeHook && doc->GetEdgeZone(point) == 4) gChangeHook();
    doc->PaintAtPoint(point);
    TellHqWindow(doc);
    Redraw(h);
    return 0;
}

ui::LResult OnMouseMove(ui::Hwnd h, MapEditorContext* doc, ui::WParam w, ui::LParam l) {
    const std::uint32_t point = static_cast<std::uint32_t>(l);
    if (w & ui::MK_CONTROL) {
        bool changed = false;
        if (doc->HasRubberBand()) {
            doc->SetRubberBandEnd(point);
            changed = true;
        } else if (GetTroopSelection().clickMode == kClickModeWaypoint) {
            doc->DragWaypoint(point);
            changed = true;
        }
        if (changed) Redraw(h);
        return 1;
    }
    if (doc->UpdateEdgeCursor(point)) {
        // Told when the pointer leaves the window from the band, so the edge cursor goes too.
        ui::TrackMouseEventInfo track;
        track.flags = ui::TME_LEAVE;
        track.hwndTrack = h;
        ui::TrackMouseEvent(&track);
        return 1;
    }
    const std::uint32_t hex = doc->PixelToMapHex(point);
    CurrentMapHost().SetCursorHex(hex);
    if (const ui::Hwnd contents = shell::GetWindowOfKind(WindowKind::UnitContent)) {
        std::int16_t corner[2] = {static_cast<std::int16_t>(Lo16(hex)), static_cast<std::int16_t>(Hi16(hex))};
        doc->HexToPixel(corner);
        ui::Point screen{corner[0], corner[1]};
        ui::ClientToScreen(h, &screen);
        ui::SendMessage(contents, WM_SHOW_UNIT_CONTENTS, 0, Pack32(screen.x & 0xFFFF, screen.y & 0xFFFF));
    }
    if (w & ui::MK_RBUTTON) {
        doc->PickAtPoint(point, 0);
        Redraw(h);
        return 1;
    }
    if (w & ui::MK_LBUTTON) return OnLeftDown(h, doc, w, point, false);
    return ui::DefMDIChildProc(h, ui::WM_MOUSEMOVE, w, l);
}

}  // namespace

void SetEditorClockStep(std::function<int(int)> step) { gClockStep = std::move(step); }
void SetEditorChangeHook(std::function<void()> hook) { gChangeHook = std::move(hook); }

MapEditorContext* GetEditorDocument(ui::Hwnd window) {
    if (ui::GetClassName(window) != kSelMapEditWindowClass) return nullptr;
    return DocumentOf(window);
}

void SyncEditorMapMenus(ui::Hwnd window, MapEditorContext* doc) {
    const int frame = shell::GetFrameSwidth();
    doc->SetHexFrame(frame != 0);
    CheckFrameMenu(kCmdHexFrame, frame != 0);
    const int kind = std::clamp(shell::GetMapDispKind(), 0, 3);
    for (int k = 0; k < 4; ++k) CheckFrameMenu(kCmdDisplayKind0 + k, false);
    CheckFrameMenu(kCmdDisplayKind0 + kind, true);
    ui::SendMessage(window, ui::WM_COMMAND, static_cast<ui::WParam>(kCmdDisplayKind0 + kind), 0);
    const int bits = shell::GetMapOtherDispSwitch();
    for (int i = 0; i < 7; ++i) {
        SetSwitch(doc, i, (bits >> i) & 1);
        CheckFrameMenu(kCmdAirRoute + i, (bits >> i) & 1);
    }
    doc->RebuildLayers();
    const int zoom = std::clamp(shell::GetHexSizeKind(), 0, 2);
    CheckFrameMenu(kCmdZoom0 + 1, false);
    CheckFrameMenu(kCmdZoom0 + 2, false);
    CheckFrameMenu(kCmdZoom0 + zoom, true);
    ui::SendMessage(window, ui::WM_COMMAND, static_cast<ui::WParam>(kCmdZoom0 + zoom), 0);
}

void SaveEditorMapSettings(ui::Hwnd, MapEditorContext* doc) {
    shell::PutFrameSwidth(doc->GetHexFrame() ? 1 : 0);
    shell::PutMapDispKind(static_cast<int>(doc->GetDisplayKind()));
    int bits = 0;
    for (int i = 0; i < 7; ++i)
        if (GetSwitch(doc, i)) bits |= 1 << i;
    shell::PutMapOtherDispSwitch(bits);
    shell::PutHexSizeKind(static_cast<int>(doc->GetZoomLevel()));
}

ui::LResult SelMapEditWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    MapEditorContext* doc = DocumentOf(h);
    switch (msg) {
        case ui::WM_GETMINMAXINFO: {
            doc = EnsureDocument(h);
            auto* mm = reinterpret_cast<MinMaxInfo*>(l);
            if (doc != nullptr && mm != nullptr) {
                ui::Rect client{};
                ui::GetClientRect(ui::GetParent(h), &client);
                doc->FitRectToHexes(h, &client);
                mm->maxSize = mm->maxTrackSize = {client.Width(), client.Height()};
                mm->maxPosition = {0, 0};
                ui::Rect least{0, 0, 320, 240};
                doc->FitRectToHexes(h, &least);
                mm->minTrackSize = {least.Width(), least.Height()};
            }
            return 0;
        }
        case ui::WM_CREATE: {
            doc = EnsureDocument(h);
            if (doc == nullptr) return -1;
            shell::SetWindowOfKind(WindowKind::MapWnd, h);
            doc->SetCountryFilter(5);
            ui::Rect desk{};
            ui::GetClientRect(ui::GetDesktopWindow(), &desk);
            doc->SetupView(h, 0, std::max(0, desk.Width() - 200), desk.Height(), 2);
            // Without a stored place the window fills the MDI client.
            int flags = 0, visible = 1;
            ui::Rect client{};
            ui::GetClientRect(ui::GetParent(h), &client);
            shell::PlacementRect place{0, 0, client.Width(), client.Height()};
            ui::MoveWindow(h, place.left, place.top, place.width, place.height, false);
            shell::LoadWindowPlacement(static_cast<int>(WindowKind::MapWnd), &flags, &place, &visible);
            SyncEditorMapMenus(h, doc);
            return 0;
        }
        case ui::WM_DESTROY:
            if (doc != nullptr) {
                SaveEditorMapSettings(h, doc);
                shell::SaveWindowPlacement(static_cast<int>(WindowKind::MapWnd));
                shell::ForgetWindowOfKind(WindowKind::MapWnd, h);
                DestroyMapEditorContext(doc);
                ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
            }
            return 0;
        default:
            break;
    }
    if (doc == nullptr) return ui::DefMDIChildProc(h, msg, w, l);
    const std::uint32_t point = static_cast<std::uint32_t>(l);
    switch (msg) {
        case ui::WM_SIZE: {
            doc->Resize(h, ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            TellHqWindow(doc);
            return ui::DefMDIChildProc(h, msg, w, l);
        }
        case ui::WM_SIZING:
            doc->SnapSizingRect(h, static_cast<int>(w), reinterpret_cast<ui::Rect*>(l));
            return 0;
        case ui::WM_PAINT:
            if (!doc->PaintWindow(h)) {
                ui::PaintStruct ps;
                ui::BeginPaint(h, &ps);
                ui::EndPaint(h, &ps);
            }
            return 0;
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_CLOSE: {
            const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd);
            if (frame) ui::PostMessage(frame, ui::WM_COMMAND, kCmdCloseMap, 0);
            return 1;
        }
        case ui::WM_HSCROLL:
        case ui::WM_VSCROLL: {
            const int code = ui::LoWord(w);
            const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
            if (msg == ui::WM_HSCROLL) doc->OnHScroll(code, thumb);
            else doc->OnVScroll(code, thumb);
            TellHqWindow(doc);
            Redraw(h);
            return 0;
        }
        case ui::WM_COMMAND:
            return OnDisplayCommand(h, doc, ui::LoWord(w), w, l);
        case ui::WM_MOUSEMOVE:
            return OnMouseMove(h, doc, w, l);
        case ui::WM_MOUSELEAVE:
            RestoreMapClassCursor();
            return 0;
        case ui::WM_LBUTTONDOWN:
            return OnLeftDown(h, doc, w, point, true);
        case ui::WM_LBUTTONUP:
            if (w & ui::MK_CONTROL) {
                doc->HandleMapButtonUp(point, 0);
            } else {
                // The shore marks around the painted hexes are part of the map: bring them up
                // to date at the end of the stroke.
                doc->ComputeShoreMarks();
                doc->RedrawView(0);
            }
            Redraw(h);
            return 1;
        case ui::WM_RBUTTONDOWN:
            if (doc->CancelSelection(0xFFFF)) {
                Redraw(h);
                return 0;
            }
            doc->PickAtPoint(point, 0);
            return 1;
        case ui::WM_RBUTTONUP:
            TellHqWindow(doc);
            Redraw(h);
            return 1;
        case WM_MAP_REBUILD:
            doc->Refresh();
            Redraw(h);
            return 1;
        case WM_MAP_QUERY_VIEW:
            if (auto* out = reinterpret_cast<std::int32_t*>(l)) VisibleRect(doc, out);
            return 1;
        case WM_SET_VIEW_RECT:
            if (const auto* in = reinterpret_cast<const std::int32_t*>(l)) {
                doc->SetOrigin(Pack32(in[0] & 0xFFFF, in[1] & 0xFFFF));
                doc->SetVisibleSize(in[2] & 0xFFFF, in[3] & 0xFFFF);
                doc->RedrawView(0);
                Redraw(h);
            }
            return 1;
        case WM_MAP_TICK_REDRAW:
            if (!gClockStep || gClockStep(1) == 0) return 1;
            doc->RefreshRoutes();
            doc->RedrawView(0);
            Redraw(h);
            return 1;
        default:
            return ui::DefMDIChildProc(h, msg, w, l);
    }
}

void RegisterSelMapEditWindow() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kSelMapEditWindowClass, &existing)) return;
    ui::WindowClass wc;
    wc.name = kSelMapEditWindowClass;
    wc.proc = SelMapEditWindowProc;
    wc.windowExtraBytes = 8;
    ui::RegisterClass(wc);
}

ui::Hwnd CreateSelMapEditWindow(void* instance, ui::Hwnd mdiClient) {
    RegisterSelMapEditWindow();
    if (CurrentMapWorld() == nullptr) return ui::Hwnd{};
    // A document window of the MDI client: its caption carries the map's and the file's names.
    constexpr uint32_t style = ui::WS_HSCROLL | ui::WS_VSCROLL | ui::WS_CLIPCHILDREN | ui::WS_CAPTION | ui::WS_SYSMENU |
                               ui::WS_THICKFRAME | ui::WS_MINIMIZEBOX | ui::WS_MAXIMIZEBOX;
    return ui::CreateMDIWindow(kSelMapEditWindowClass, "", style,
                               ui::MdiCreateStruct::CW_USEDEFAULT_MDI, ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                               ui::MdiCreateStruct::CW_USEDEFAULT_MDI, ui::MdiCreateStruct::CW_USEDEFAULT_MDI, mdiClient,
                               instance, 0);
}

}  // namespace zv::mapview
