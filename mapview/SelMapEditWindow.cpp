#include "mapview/SelMapEditWindow.h"

#include <algorithm>
#include <memory>

#include "mapview/MapEditorContext.h"
#include "mapview/MapWorld.h"
#include "mapview/MinMaxInfo.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/records/TroopRecord.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/WindowMessages.h"

namespace zv::mapview {

namespace {

using shell::WindowKind;

std::function<int(int)> gClockStep;
std::function<void()> gChangeHook;

void VisibleRect(MapEditorContext& doc, std::int32_t out[4]) {
    int cols = 0, rows = 0;
    doc.GetVisibleSize(cols, rows);
    out[0] = Lo16(doc.GetOrigin());
    out[1] = Hi16(doc.GetOrigin());
    out[2] = cols;
    out[3] = rows;
}

void CheckFrameMenu(int id, bool checked) {
    const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd);
    const ui::Hmenu menu = frame ? ui::GetMenu(frame) : ui::Hmenu{};
    if (menu) ui::CheckMenuItem(menu, static_cast<uint32_t>(id), ui::MF_BYCOMMAND | (checked ? ui::MF_CHECKED : ui::MF_UNCHECKED));
}

// The seven display switches in menu order, kCmdAirRoute on.
constexpr int kSwitchCount = shell::kCmdSupplyRoutes - shell::kCmdRouteAir + 1;

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

// The filter of the editor's view: every country's troops and the neutral ones.
constexpr std::uint8_t kEditorCountryFilter = 5;
// The editor's starting hexes: 32 pixels.
constexpr int kEditorZoom = 2;

// The editor's map window. The document is made at the first message that needs it
// (WM_GETMINMAXINFO may come before WM_CREATE) and goes at WM_DESTROY.
class SelMapEditWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    MapEditorContext* Document() const { return doc_.get(); }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_GETMINMAXINFO:
                OnGetMinMaxInfo(reinterpret_cast<MinMaxInfo*>(l));
                return 0;
            case ui::WM_CREATE:
                return OnCreate();
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                break;
        }
        if (doc_ == nullptr) return ui::DefMDIChildProc(Handle(), msg, w, l);
        const std::uint32_t point = static_cast<std::uint32_t>(l);
        switch (msg) {
            case ui::WM_SIZE:
                doc_->Resize(Handle(), ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
                TellHqWindow();
                return ui::DefMDIChildProc(Handle(), msg, w, l);
            case ui::WM_SIZING:
                doc_->SnapSizingRect(Handle(), static_cast<int>(w), reinterpret_cast<ui::Rect*>(l));
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_CLOSE:
                if (const ui::Hwnd frame = shell::GetWindowOfKind(WindowKind::FrameWnd))
                    ui::PostMessage(frame, ui::WM_COMMAND, kCmdCloseMap, 0);
                return 1;
            case ui::WM_HSCROLL:
            case ui::WM_VSCROLL:
                OnScroll(msg, w);
                return 0;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w), w, l);
            case ui::WM_MOUSEMOVE:
                return OnMouseMove(w, l);
            case ui::WM_MOUSELEAVE:
                RestoreMapClassCursor();
                return 0;
            case ui::WM_LBUTTONDOWN:
                return OnLButtonDown(w, point, true);
            case ui::WM_LBUTTONUP:
                OnLButtonUp(w, point);
                return 1;
            case ui::WM_RBUTTONDOWN:
                return OnRButtonDown(point);
            case ui::WM_RBUTTONUP:
                TellHqWindow();
                Redraw();
                return 1;
            case WM_MAP_REBUILD:
                doc_->Refresh();
                Redraw();
                return 1;
            case WM_MAP_QUERY_VIEW:
                if (auto* out = reinterpret_cast<std::int32_t*>(l)) VisibleRect(*doc_, out);
                return 1;
            case WM_SET_VIEW_RECT:
                OnSetViewRect(reinterpret_cast<const std::int32_t*>(l));
                return 1;
            case WM_MAP_TICK_REDRAW:
                OnTickRedraw();
                return 1;
            default:
                return ui::DefMDIChildProc(Handle(), msg, w, l);
        }
    }

  private:
    MapEditorContext* EnsureDocument() {
        if (doc_ != nullptr) return doc_.get();
        MapWorld* world = CurrentMapWorld();
        if (world == nullptr || world->tables == nullptr) return nullptr;
        doc_.reset(new MapEditorContext(*world->tables, 1));
        return doc_.get();
    }

    void OnGetMinMaxInfo(MinMaxInfo* mm) {
        MapEditorContext* doc = EnsureDocument();
        if (doc == nullptr || mm == nullptr) return;
        ui::Rect client{};
        ui::GetClientRect(ui::GetParent(Handle()), &client);
        doc->FitRectToHexes(Handle(), &client);
        mm->maxSize = mm->maxTrackSize = {client.Width(), client.Height()};
        mm->maxPosition = {0, 0};
        ui::Rect least{0, 0, 320, 240};
        doc->FitRectToHexes(Handle(), &least);
        mm->minTrackSize = {least.Width(), least.Height()};
    }
    ui::LResult OnCreate() {
        MapEditorContext* doc = EnsureDocument();
        if (doc == nullptr) return -1;
        const ui::Hwnd h = Handle();
        shell::SetWindowOfKind(WindowKind::MapWnd, h);
        doc->SetCountryFilter(kEditorCountryFilter);
        ui::Rect desk{};
        ui::GetClientRect(ui::GetDesktopWindow(), &desk);
        doc->SetupView(h, 0, std::max(0, desk.Width() - 200), desk.Height(), kEditorZoom);
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
    void OnDestroy() {
        if (doc_ == nullptr) return;
        SaveEditorMapSettings(Handle(), doc_.get());
        shell::SaveWindowPlacement(static_cast<int>(WindowKind::MapWnd));
        shell::ForgetWindowOfKind(WindowKind::MapWnd, Handle());
        DestroyMapEditorContext(doc_.release());
    }
    void OnPaint() {
        if (doc_->PaintWindow(Handle())) return;
        ui::PaintStruct ps;
        ui::BeginPaint(Handle(), &ps);
        ui::EndPaint(Handle(), &ps);
    }
    void OnScroll(uint32_t msg, ui::WParam w) {
        const int code = ui::LoWord(w);
        const int thumb = code == static_cast<int>(ui::SB_THUMBPOSITION) ? ui::HiWord(w) : -1;
        if (msg == ui::WM_HSCROLL) doc_->OnHScroll(code, thumb);
        else doc_->OnVScroll(code, thumb);
        TellHqWindow();
        Redraw();
    }

    ui::LResult OnCommand(int id, ui::WParam w, ui::LParam l) {
        MapEditorContext* doc = doc_.get();
        ui::LResult result = 1;
        if (id >= kCmdZoom0 && id <= shell::kCmdHex32) {
            doc->SetZoomLevel(id - kCmdZoom0);
        } else if (id >= kCmdDisplayKind0 && id <= shell::kCmdStyleGreen) {
            doc->SetDisplayKind(id - kCmdDisplayKind0, 1);
        } else if (id >= kCmdAirRoute && id <= shell::kCmdSupplyRoutes) {
            const int i = id - kCmdAirRoute;
            result = SetSwitch(doc, i, !GetSwitch(doc, i));
            doc->SetDisplayKind(static_cast<int>(doc->GetDisplayKind()), 0);
        } else if (id == kCmdHexFrame) {
            result = doc->SetHexFrame(!doc->GetHexFrame());
            doc->SetZoomLevel(static_cast<int>(doc->GetZoomLevel()));
        } else if (id >= kCmdCaptionMode0 && id <= shell::kCmdCaptionArrival) {
            doc->SetCaptionMode(id - kCmdCaptionMode0);
            doc->RedrawView(0);
        } else {
            return ui::DefMDIChildProc(Handle(), ui::WM_COMMAND, w, l);
        }
        Redraw();
        return result;
    }

    ui::LResult OnLButtonDown(ui::WParam w, std::uint32_t point, bool strokeStart) {
        if (w & ui::MK_CONTROL) {
            if (!doc_->BeginRubberBand(point) && GetTroopSelection().clickMode == kClickModeNone)
                doc_->PressWithSelection(point);
            Redraw();
            return 0;
        }
        if (strokeStart && gChangeHook && doc_->GetEdgeZone(point) == kEdgeZoneInside) gChangeHook();
        doc_->PaintAtPoint(point);
        TellHqWindow();
        Redraw();
        return 0;
    }
    void OnLButtonUp(ui::WParam w, std::uint32_t point) {
        if (w & ui::MK_CONTROL) {
            doc_->HandleMapButtonUp(point, 0);
        } else {
            // The shore marks around the painted hexes are part of the map: bring them up
            // to date at the end of the stroke.
            doc_->ComputeShoreMarks();
            doc_->RedrawView(0);
        }
        Redraw();
    }
    ui::LResult OnRButtonDown(std::uint32_t point) {
        if (doc_->CancelSelection(rules::kNoTroop)) {
            Redraw();
            return 0;
        }
        doc_->PickAtPoint(point, 0);
        return 1;
    }

    ui::LResult OnMouseMove(ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        const std::uint32_t point = static_cast<std::uint32_t>(l);
        if (w & ui::MK_CONTROL) {
            bool changed = false;
            if (doc_->HasRubberBand()) {
                doc_->SetRubberBandEnd(point);
                changed = true;
            } else if (GetTroopSelection().clickMode == kClickModeWaypoint) {
                doc_->DragWaypoint(point);
                changed = true;
            }
            if (changed) Redraw();
            return 1;
        }
        if (doc_->UpdateEdgeCursor(point)) {
            // Told when the pointer leaves the window from the band, so the edge cursor goes too.
            ui::TrackMouseEventInfo track;
            track.flags = ui::TME_LEAVE;
            track.hwndTrack = h;
            ui::TrackMouseEvent(&track);
            return 1;
        }
        const std::uint32_t hex = doc_->PixelToMapHex(point);
        CurrentMapHost().SetCursorHex(hex);
        if (const ui::Hwnd contents = shell::GetWindowOfKind(WindowKind::UnitContent)) {
            std::int16_t corner[2] = {static_cast<std::int16_t>(Lo16(hex)), static_cast<std::int16_t>(Hi16(hex))};
            doc_->HexToPixel(corner);
            ui::Point screen{corner[0], corner[1]};
            ui::ClientToScreen(h, &screen);
            ui::SendMessage(contents, WM_SHOW_UNIT_CONTENTS, 0, Pack32(screen.x, screen.y));
        }
        if (w & ui::MK_RBUTTON) {
            doc_->PickAtPoint(point, 0);
            Redraw();
            return 1;
        }
        if (w & ui::MK_LBUTTON) return OnLButtonDown(w, point, false);
        return ui::DefMDIChildProc(h, ui::WM_MOUSEMOVE, w, l);
    }

    void OnSetViewRect(const std::int32_t* in) {
        if (in == nullptr) return;
        doc_->SetOrigin(Pack32(in[0], in[1]));
        doc_->SetVisibleSize(in[2] & 0xFFFF, in[3] & 0xFFFF);
        doc_->RedrawView(0);
        Redraw();
    }
    void OnTickRedraw() {
        if (!gClockStep || gClockStep(1) == 0) return;
        doc_->RefreshRoutes();
        doc_->RedrawView(0);
        Redraw();
    }

    // The HQ window hears of the visible rectangle.
    void TellHqWindow() {
        const ui::Hwnd hq = shell::GetWindowOfKind(WindowKind::HqWnd);
        if (!hq) return;
        std::int32_t rect[4];
        VisibleRect(*doc_, rect);
        ui::SendMessage(hq, WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(rect));
    }
    void Redraw() {
        ui::InvalidateRect(Handle(), nullptr, false);
        ui::UpdateWindow(Handle());
    }

    // Deleted through DestroyMapEditorContext, as every map document is.
    struct DocumentDeleter {
        void operator()(MapEditorContext* doc) const { DestroyMapEditorContext(doc); }
    };
    std::unique_ptr<MapEditorContext, DocumentDeleter> doc_;
};

}  // namespace

void SetEditorClockStep(std::function<int(int)> step) { gClockStep = std::move(step); }
void SetEditorChangeHook(std::function<void()> hook) { gChangeHook = std::move(hook); }

MapEditorContext* GetEditorDocument(ui::Hwnd window) {
    const SelMapEditWindow* editor = ui::WindowObjectOf<SelMapEditWindow>(window, kSelMapEditWindowClass);
    return editor != nullptr ? editor->Document() : nullptr;
}

void SyncEditorMapMenus(ui::Hwnd window, MapEditorContext* doc) {
    const int frame = shell::GetFrameSwidth();
    doc->SetHexFrame(frame != 0);
    CheckFrameMenu(kCmdHexFrame, frame != 0);
    const int kind = std::clamp(shell::GetMapDispKind(), 0, 3);
    for (int id = kCmdDisplayKind0; id <= shell::kCmdStyleGreen; ++id) CheckFrameMenu(id, false);
    CheckFrameMenu(kCmdDisplayKind0 + kind, true);
    ui::SendMessage(window, ui::WM_COMMAND, static_cast<ui::WParam>(kCmdDisplayKind0 + kind), 0);
    const int bits = shell::GetMapOtherDispSwitch();
    for (int i = 0; i < kSwitchCount; ++i) {
        SetSwitch(doc, i, (bits >> i) & 1);
        CheckFrameMenu(kCmdAirRoute + i, (bits >> i) & 1);
    }
    doc->RebuildLayers();
    const int zoom = std::clamp(shell::GetHexSizeKind(), 0, 2);
    CheckFrameMenu(shell::kCmdHex16, false);
    CheckFrameMenu(shell::kCmdHex32, false);
    CheckFrameMenu(kCmdZoom0 + zoom, true);
    ui::SendMessage(window, ui::WM_COMMAND, static_cast<ui::WParam>(kCmdZoom0 + zoom), 0);
}

void SaveEditorMapSettings(ui::Hwnd, MapEditorContext* doc) {
    shell::PutFrameSwidth(doc->GetHexFrame() ? 1 : 0);
    shell::PutMapDispKind(static_cast<int>(doc->GetDisplayKind()));
    int bits = 0;
    for (int i = 0; i < kSwitchCount; ++i)
        if (GetSwitch(doc, i)) bits |= 1 << i;
    shell::PutMapOtherDispSwitch(bits);
    shell::PutHexSizeKind(static_cast<int>(doc->GetZoomLevel()));
}

ui::LResult SelMapEditWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<SelMapEditWindow>(h, msg, w, l);
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
