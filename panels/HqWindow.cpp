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
#include "platform/ui/WindowObject.h"
#include "rules/records/MapRecords.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

using mapview::HqMapView;

constexpr const char* kClass = "HQWindow";
constexpr int kMiniatureSize = 2 * rules::kMapSize;  // two pixels a hex

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

// The window round the miniature: the view, made at WM_CREATE and dropped at WM_DESTROY, and
// the background it paints on.
class HqWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        HqMapView* view = view_.get();
        switch (msg) {
            case ui::WM_CREATE:
                return OnCreate();
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            case ui::WM_PAINT:
                if (view != nullptr) {
                    view->Paint(Handle(), background_.get());
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
                    ui::SendMessage(Handle(), WM_MAP_REBUILD, 0, 0);
                    return 1;
                }
                break;
            case ui::WM_LBUTTONDOWN:
                if (view != nullptr) FollowPointer(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_MOUSEMOVE:
                if (view != nullptr && (w & ui::MK_LBUTTON))
                    FollowPointer(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case WM_MAP_REBUILD:
                if (view == nullptr) return 0;
                PullViewRect();
                view->Refresh();
                RepaintNow(Handle());
                return 1;
            case WM_HQ_VIEW_RECT:
                if (view == nullptr) return 0;
                OnViewRect(w, l);
                return 1;
            case WM_SET_VIEW_RECT:
                if (view != nullptr) {
                    if (const auto* rect = reinterpret_cast<const std::int32_t*>(l))
                        view->SetViewRect(rect[0], rect[1], rect[2], rect[3]);
                    RepaintNow(Handle());
                }
                return 1;
            default:
                break;
        }
        return Default(msg, w, l);
    }

    HqMapView* View() const { return view_.get(); }

  private:
    ui::LResult OnCreate() {
        rules::TableDirectory* tables = MapTables();
        if (tables == nullptr) return -1;
        const ui::Hwnd h = Handle();
        // The view answers messages only once it is set up.
        auto view = std::make_unique<HqMapView>(*tables);
        background_ = LoadPicture("Hq_back.bmp");
        view->Setup(h, 0, kMiniatureSize, kMiniatureSize, 0, 1);
        // The frame holds a defined rectangle until a map window reports its own.
        view->SetViewRect(0, 0, 0, 0);
        SizePanelToClient(h, kHqWindowWidth, kHqWindowHeight);
        view->DrawHexRect(0, 0, rules::kMapSize, rules::kMapSize, 0);
        view_ = std::move(view);
        return 0;
    }
    void OnDestroy() {
        view_.reset();
        background_.reset();
        if (shell::GetWindowOfKind(shell::WindowKind::HqWnd) == Handle())
            shell::SetWindowOfKind(shell::WindowKind::HqWnd, {});
    }
    // wParam non-zero: redraw the whole miniature; else lParam points at the hex that changed.
    void OnViewRect(ui::WParam w, ui::LParam l) {
        PullViewRect();
        if (w != 0) {
            view_->Refresh();
        } else if (const auto* hex = reinterpret_cast<const std::int16_t*>(l)) {
            view_->DrawHex(ui::MakeLParam(hex[0], hex[1]) & 0xFFFFFFFFu, 0);
        }
        RepaintNow(Handle());
    }

    // Asks the map window for its visible area and keeps it as the frame. Without a map window
    // the frame stays as it was: the buffer starts as the current frame.
    void PullViewRect() {
        std::int32_t rect[4] = {0, 0, 0, 0};
        view_->GetViewRect(rect[0], rect[1], rect[2], rect[3]);
        if (ui::Hwnd map = MapWindow()) {
            ui::SendMessage(map, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(rect));
        }
        view_->SetViewRect(rect[0], rect[1], rect[2], rect[3]);
    }

    void FollowPointer(int x, int y) {
        int before[4];
        view_->GetViewRect(before[0], before[1], before[2], before[3]);
        view_->CenterViewRectOn(
            ui::MakeLParam(x - mapview::kHqMiniatureLeft, y - mapview::kHqMiniatureTop) &
            0xFFFFFFFFu);
        std::int32_t after[4];
        view_->GetViewRect(after[0], after[1], after[2], after[3]);
        if (after[0] == before[0] && after[1] == before[1]) return;
        if (ui::Hwnd map = MapWindow()) {
            ui::SendMessage(map, WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(after));
        }
        RepaintNow(Handle());
    }

    std::unique_ptr<HqMapView> view_;
    std::unique_ptr<fw::Dib> background_;
};

ui::LResult HqProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<HqWindow>(h, msg, w, l);
}

}  // namespace

bool RegisterHqWindowClass() {
    return RegisterPanelClass(kClass, HqProc);
}

ui::Hwnd CreateHQWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterHqWindowClass()) return {};
    return CreatePanelWindow(kClass, "ＨＱ画面", parent, menu, style);
}

mapview::HqMapView* GetHqMapView(ui::Hwnd h) {
    const HqWindow* window = ui::WindowObjectOf<HqWindow>(h, kClass);
    return window ? window->View() : nullptr;
}

}  // namespace zv::panels
