#include "panels/HqWindow.h"

#include <memory>

#include "framework/Dib.h"
#include "mapview/GraspMapView.h"
#include "shell/WindowMessages.h"
#include "mapview/MapWorld.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

using mapview::HqMapView;

constexpr const char* kClass = "HQWindow";
constexpr int kMiniatureSize = 128;  // 64 hexes of 2 pixels

// The background is shared by the one window of the class.
std::unique_ptr<fw::Dib> gBackground;

HqMapView* ViewOf(ui::Hwnd h) {
    return reinterpret_cast<HqMapView*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

rules::TableDirectory* MapTables() {
    mapview::MapWorld* world = mapview::CurrentMapWorld();
    if (world != nullptr && world->tables != nullptr) return world->tables;
    return PanelTables();
}

ui::Hwnd MapWindow() {
    return shell::GetWindowOfKind(shell::WindowKind::MapWnd);
}

void RepaintNow(ui::Hwnd h) {
    ui::InvalidateRect(h, nullptr, false);
    ui::UpdateWindow(h);
}

// Asks the map window for its visible area and keeps it as the frame. Without a map window the
// frame stays as it was: the buffer starts as the current frame.
void PullViewRect(HqMapView* view) {
    std::int32_t rect[4] = {0, 0, 0, 0};
    view->GetViewRect(rect[0], rect[1], rect[2], rect[3]);
    if (ui::Hwnd map = MapWindow()) {
        ui::SendMessage(map, zv::WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(rect));
    }
    view->SetViewRect(rect[0], rect[1], rect[2], rect[3]);
}

void FollowPointer(ui::Hwnd h, HqMapView* view, int x, int y) {
    int before[4];
    view->GetViewRect(before[0], before[1], before[2], before[3]);
    view->CenterViewRectOn(ui::MakeLParam(x - mapview::kHqMiniatureLeft,
                                          y - mapview::kHqMiniatureTop) & 0xFFFFFFFFu);
    std::int32_t after[4];
    view->GetViewRect(after[0], after[1], after[2], after[3]);
    if (after[0] == before[0] && after[1] == before[1]) return;
    if (ui::Hwnd map = MapWindow()) {
        ui::SendMessage(map, zv::WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(after));
    }
    RepaintNow(h);
}

ui::LResult HqProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    HqMapView* view = ViewOf(h);
    switch (msg) {
        case ui::WM_CREATE: {
            rules::TableDirectory* tables = MapTables();
            if (tables == nullptr) return -1;
            view = new HqMapView(*tables);
            gBackground = LoadPicture("Hq_back.bmp");
            view->Setup(h, 0, kMiniatureSize, kMiniatureSize, 0, 1);
            // The frame holds a defined rectangle until a map window reports its own.
            view->SetViewRect(0, 0, 0, 0);
            SizePanelToClient(h, kHqWindowWidth, kHqWindowHeight);
            view->DrawHexRect(0, 0, 64, 64, 0);
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(view));
            return 0;
        }
        case ui::WM_DESTROY:
            delete view;
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
            gBackground.reset();
            if (shell::GetWindowOfKind(shell::WindowKind::HqWnd) == h)
                shell::SetWindowOfKind(shell::WindowKind::HqWnd, {});
            return 0;
        case ui::WM_PAINT:
            if (view != nullptr) {
                view->Paint(h, gBackground.get());
                return 0;
            }
            break;
        case ui::WM_CLOSE:
            SendCloseCommandToFrame(IDM_HQ_WINDOW);
            return 1;
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_SHOWWINDOW:
            if (w != 0) {
                ui::SendMessage(h, zv::WM_MAP_REBUILD, 0, 0);
                return 1;
            }
            break;
        case ui::WM_LBUTTONDOWN:
            if (view != nullptr) FollowPointer(h, view, ui::GetXLParam(l), ui::GetYLParam(l));
            return 0;
        case ui::WM_MOUSEMOVE:
            if (view != nullptr && (w & ui::MK_LBUTTON))
                FollowPointer(h, view, ui::GetXLParam(l), ui::GetYLParam(l));
            return 0;
        case zv::WM_MAP_REBUILD:
            if (view == nullptr) return 0;
            PullViewRect(view);
            view->Refresh();
            RepaintNow(h);
            return 1;
        case zv::WM_HQ_VIEW_RECT:
            if (view == nullptr) return 0;
            PullViewRect(view);
            if (w != 0) {
                view->Refresh();
            } else if (const auto* hex = reinterpret_cast<const std::int16_t*>(l)) {
                view->DrawHex(ui::MakeLParam(hex[0], hex[1]) & 0xFFFFFFFFu, 0);
            }
            RepaintNow(h);
            return 1;
        case zv::WM_SET_VIEW_RECT:
            if (view != nullptr) {
                if (const auto* rect = reinterpret_cast<const std::int32_t*>(l))
                    view->SetViewRect(rect[0], rect[1], rect[2], rect[3]);
                RepaintNow(h);
            }
            return 1;
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

}  // namespace

bool RegisterHqWindowClass() {
    return RegisterPanelClass(kClass, HqProc);
}

ui::Hwnd CreateHqWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterHqWindowClass()) return {};
    return CreatePanelWindow(kClass, "ＨＱ画面", parent, menu, style);
}

mapview::HqMapView* GetHqMapView(ui::Hwnd h) {
    if (!h || ui::GetClassName(h) != kClass) return nullptr;
    return ViewOf(h);
}

}  // namespace zv::panels
