#include "mapview/GraspMapView.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "framework/gui/GdiHelpers.h"
#include "shell/WindowMessages.h"
#include "mapview/MapWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/Visibility.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

namespace {

constexpr int kCellSizes[3] = {8, 6, 4};
constexpr int kOverlaps[3] = {2, 2, 1};
constexpr int kSizes[3][2] = {{520, 390}, {390, 260}, {260, 195}};
constexpr int kMiniRows[3] = {0, 12, 20};

}  // namespace

GraspMapView::GraspMapView(rules::TableDirectory& tables) : HexMapView(tables, MapContextEnv()) {}

void GraspMapView::SetScale(int scale) {
    scale_ = static_cast<std::uint8_t>(std::clamp(scale, 0, 2));
    style_ = 0;
    daytime_ = 0;
    rowOverlap_ = static_cast<std::uint16_t>(kOverlaps[scale_]);
    width_ = kSizes[scale_][0];
    height_ = kSizes[scale_][1];
}

void GraspMapView::CellOf(int x, int y, int& px, int& py) const {
    const int c = kCellSizes[scale_];
    px = x * c + ((y & 1) ? c / 2 : 0);
    py = y * (c - rowOverlap_);
}

void GraspMapView::DrawTerrain(fw::Dib* target, const char* hexName, const char* roadName) {
    fw::Dib hexes(hexName);
    fw::Dib roads(roadName);
    rules::GameContext& g = Context();
    const int c = kCellSizes[scale_];
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            if (!g.SelectHexInfoXY(x, y)) continue;
            int px = 0, py = 0;
            CellOf(x, y, px, py);
            const int land = g.Hexes().GetLandKind();
            if (land < 21) fw::HvDIBitBlt(target, px, py, c, c, &hexes, c * land, 0, 0);
            else fw::HvDIBitBlt(target, px, py, c, c, &hexes, c * (land - 21), 3 * c, 0);
            const int river = g.Hexes().GetRiver();
            if (river != rules::kNoRiver) fw::HvDIBitBlt(target, px, py, c, c, &roads, c * (river & 63), c, 0);
            const int road = g.Hexes().GetRoad();
            if (road != rules::kNoRoad) fw::HvDIBitBlt(target, px, py, c, c, &roads, c * (road & 63), 0, 0);
        }
    }
}

void GraspMapView::Build(ui::Hwnd window) {
    (void)window;
    picture_.reset();
    day_.reset();
    night_.reset();
    unitSheet_.reset();
    siteSheet_.reset();
    picture_ = fw::Dib::CreateBlank(width_, height_, MapPalette());
    day_ = fw::Dib::CreateBlank(width_, height_, MapPalette());
    night_ = fw::Dib::CreateBlank(width_, height_, MapPalette());
    unitSheet_ = std::make_unique<fw::Dib>("unt_mini.bmp");
    const int c = kCellSizes[scale_];
    char name[32];
    std::snprintf(name, sizeof name, "HEX%dDT.BMP", c);
    siteSheet_ = std::make_unique<fw::Dib>(name);
    fw::FillRectColor(ui::Hwnd{}, day_.get(), 0, 0, width_ + 1, height_ + 1, ui::Rgb(128, 128, 128));
    fw::FillRectColor(ui::Hwnd{}, night_.get(), 0, 0, width_ + 1, height_ + 1, ui::Rgb(128, 128, 128));
    char road[32];
    std::snprintf(road, sizeof road, "ROAD%dDT.BMP", c);
    DrawTerrain(day_.get(), name, road);
    char nightHex[32], nightRoad[32];
    std::snprintf(nightHex, sizeof nightHex, "HEX%dDTN.BMP", c);
    std::snprintf(nightRoad, sizeof nightRoad, "ROAD%dDTN.BMP", c);
    DrawTerrain(night_.get(), nightHex, nightRoad);
}

void GraspMapView::Compose(ui::Hwnd window) {
    (void)window;
    if (!picture_ || !day_ || !night_) return;
    rules::GameContext& g = Context();
    daytime_ = g.Header().GetDaytime();
    fw::Dib* source = daytime_ == 1 ? day_.get() : night_.get();
    fw::HvDIBitBltOpaque(picture_.get(), 0, 0, width_, height_, source, 0, 0);
    const int c = kCellSizes[scale_];

    // Sites, from the day sheet whatever the time.
    auto& sites = g.Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s) || sites.GetKind() == rules::kFreeSite) continue;
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        if (!g.SelectHexInfoXY(hex & 0xFF, hex >> 8)) continue;
        const int k = sites.GetKind(), o = sites.GetOwner();
        if (k > 5) continue;
        int col = 0, row = 0;
        if (o == 4) {
            col = 13 + k;
        } else if (o == 3) {
            col = k;
            row = 2;
        } else if (o < 3) {
            col = 6 * o + k;
            row = 1;
        } else {
            continue;
        }
        int px = 0, py = 0;
        CellOf(hex & 0xFF, hex >> 8, px, py);
        fw::HvDIBitBlt(picture_.get(), px, py, c, c, siteSheet_.get(), c * col, c * row, 0);
    }

    // Troops the local player sees.
    const std::uint8_t p = LocalPlayer();
    auto& t = g.Troops();
    for (std::uint16_t troop = 0; troop < rules::kTroopTableLimit; ++troop) {
        if (!t.Select(troop) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap()) continue;
        const std::uint16_t hex = t.GetHexValue();
        if (!g.SelectHexInfoXY(hex & 0xFF, hex >> 8)) continue;
        const std::uint8_t country = t.GetCountry();
        int colour = -1;
        if (p < rules::kCountryCount) {
            const std::uint16_t seen = t.GetMask28();
            if (rules::AreCountriesAllied(g.Tables(), country, p) || (seen & (1u << (4 + p)))) colour = country;
            else if (seen & (1u << p)) colour = 4;
        } else if (!rules::UsesFogOfWar(g)) {
            // A spectator has no country to see with: without fog everything is in plain view.
            colour = country;
        }
        if (colour < 0 || colour > 4) continue;
        int px = 0, py = 0;
        CellOf(hex & 0xFF, hex >> 8, px, py);
        fw::HvDIBitBlt(picture_.get(), px, py, c, c, unitSheet_.get(), c * colour, kMiniRows[scale_], 0);
    }

    // Fog.
    if (rules::UsesFogOfWar(g)) {
        char name[32];
        std::snprintf(name, sizeof name, daytime_ == 0 ? "HEX%dDTN.BMP" : "HEX%dDT.BMP", c);
        fw::Dib sheet(name);
        for (int y = 0; y < rules::kMapSize; ++y) {
            for (int x = 0; x < rules::kMapSize; ++x) {
                if (!g.SelectHexInfoXY(x, y)) continue;
                if (p < rules::kCountryCount && (g.GetHexFlags() & (1u << p))) continue;
                int px = 0, py = 0;
                CellOf(x, y, px, py);
                fw::HvDIBitBlt(picture_.get(), px, py, c, c, &sheet, c * 10, c * 3, 0);
            }
        }
    }
    fw::DrawRaisedFrameOnDib(ui::Hwnd{}, picture_.get(), 0, 0, width_ - 2, height_ - 2, ui::Rgb(255, 255, 255));
}

void GraspMapView::Paint(ui::Hwnd window) {
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(window, &ps);
    if (dc != nullptr && picture_ && picture_->HasBits()) {
        const ui::Rect& r = ps.rcPaint;
        dc->BitBlt(r.left, r.top, r.Width(), r.Height(), fw::CanvasOnDib(picture_.get()), r.left, r.top,
                   ui::SRCCOPY);
    }
    ui::EndPaint(window, &ps);
}

HqMapView::HqMapView(rules::TableDirectory& tables) : HexMapView(tables, MapContextEnv()) {}

int HqMapView::CenterViewRectOn(std::uint32_t point) {
    std::int16_t pt[2] = {Lo16(point), Hi16(point)};
    PixelToHex(pt);
    const int c = pt[0], r = pt[1];
    const int w = rect_[2], h = rect_[3];
    int x = 0, y = 0;
    if (c - w / 2 < 0) x = 0;
    else if (c + w / 2 < rules::kMapSize) x = c - w / 2;
    else x = rules::kMapSize - w;
    if (r - h / 2 < 0) y = 0;
    else if (r + h / 2 < rules::kMapSize) y = r - h / 2;
    else y = rules::kMapSize - h;
    if (y & 1) --y;
    rect_[0] = std::max(0, x);
    rect_[1] = std::max(0, y);
    return 1;
}

void HqMapView::Paint(ui::Hwnd window, fw::Dib* background) {
    std::int16_t p0[2] = {static_cast<std::int16_t>(rect_[0]), static_cast<std::int16_t>(rect_[1])};
    std::int16_t p1[2] = {static_cast<std::int16_t>(std::min(rect_[0] + rect_[2], rules::kMapSize - 1)),
                          static_cast<std::int16_t>(std::min(rect_[1] + rect_[3], rules::kMapSize - 1))};
    HexToPixel(p0);
    HexToPixel(p1);
    if (BackBuffer() == nullptr || !BackBuffer()->HasBits()) return;
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(window, &ps);
    if (dc != nullptr) {
        const ui::Rect& r = ps.rcPaint;
        if (background != nullptr && background->HasBits()) {
            dc->BitBlt(r.left, r.top, r.Width(), r.Height(), fw::CanvasOnDib(background), r.left, r.top,
                       ui::SRCCOPY);
        }
        dc->BitBlt(kHqMiniatureLeft + 1, kHqMiniatureTop, 127, 128, fw::CanvasOnDib(BackBuffer()), 1,
                   0, ui::SRCCOPY);
        fw::FrameRectColor(dc, p0[0] + kHqMiniatureLeft, p0[1] + kHqMiniatureTop,
                           p1[0] + kHqMiniatureLeft + 1, p1[1] + kHqMiniatureTop + 1,
                           ui::Rgb(255, 255, 255));
    }
    ui::EndPaint(window, &ps);
}

namespace {

// The overview's window: the picture, rebuilt at each size and composed again on request.
class NowGraspWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    GraspMapView* View() const { return view_.get(); }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                return OnCreate();
            case ui::WM_DESTROY:
                shell::ForgetWindowOfKind(shell::WindowKind::NowGraspWnd, Handle());
                view_.reset();
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            case ui::WM_SHOWWINDOW:
                if (w) return 1;
                return Default(msg, w, l);
            case ui::WM_ERASEBKGND:
                return 1;
            case WM_GRASP_RESIZE:
                OnResize(static_cast<std::int16_t>(ui::LoWord(static_cast<uintptr_t>(l))));
                return 1;
            case WM_GRASP_REBUILD:
                if (view_ != nullptr) {
                    view_->Compose(Handle());
                    Redraw();
                }
                return 1;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    ui::LResult OnCreate() {
        MapWorld* world = CurrentMapWorld();
        if (world == nullptr || world->tables == nullptr) return -1;
        view_ = std::make_unique<GraspMapView>(*world->tables);
        view_->SetScale(0);
        view_->Build(Handle());
        view_->Compose(Handle());
        shell::SetWindowOfKind(shell::WindowKind::NowGraspWnd, Handle());
        SizeToPicture();
        return 0;
    }
    void OnPaint() {
        if (view_ != nullptr) {
            view_->Paint(Handle());
            return;
        }
        ui::PaintStruct ps;
        ui::BeginPaint(Handle(), &ps);
        ui::EndPaint(Handle(), &ps);
    }
    // The stored size ("Lader": 0 hidden, 1 smallest, 2 middle, 3 largest); kGraspNextSize
    // steps it on first.
    void OnResize(std::int16_t how) {
        if (view_ == nullptr) return;
        if (how == kGraspNextSize) {
            static constexpr int kNext[4] = {3, 0, 1, 2};  // 0 -> 3 -> 2 -> 1 -> 0
            shell::PutLader(kNext[std::clamp(shell::GetLader(), 0, 3)]);
        }
        const int lader = std::clamp(shell::GetLader(), 0, 3);
        static constexpr int kScale[4] = {0, 2, 1, 0};
        view_->SetScale(kScale[lader]);
        ui::ShowWindow(Handle(), lader == 0 ? ui::SW_HIDE : ui::SW_SHOW);
        view_->Build(Handle());
        view_->Compose(Handle());
        SizeToPicture();
        CurrentMapHost().RememberDockedWindows();
        Redraw();
    }
    void SizeToPicture() {
        int width = 0, height = 0;
        view_->GetSize(width, height);
        ui::SetWindowPos(Handle(), ui::Hwnd{}, 0, 0, width, height, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
    }
    void Redraw() {
        ui::InvalidateRect(Handle(), nullptr, false);
        ui::UpdateWindow(Handle());
    }

    std::unique_ptr<GraspMapView> view_;
};

}  // namespace

GraspMapView* GetGraspMapView() {
    const NowGraspWindow* window = ui::WindowObjectOf<NowGraspWindow>(
        shell::GetWindowOfKind(shell::WindowKind::NowGraspWnd), kNowGraspWindowClass);
    return window != nullptr ? window->View() : nullptr;
}

ui::LResult NowGraspWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<NowGraspWindow>(h, msg, w, l);
}

void RegisterGraspWindowClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kNowGraspWindowClass, &existing)) return;
    ui::WindowClass wc;
    wc.name = kNowGraspWindowClass;
    wc.proc = NowGraspWindowProc;
    wc.windowExtraBytes = 8;
    ui::RegisterClass(wc);
}

ui::Hwnd CreateNowGraspWindow(ui::Hwnd parent, int x, int y) {
    RegisterGraspWindowClass();
    return ui::CreateWindowEx(0, kNowGraspWindowClass, "", (parent ? ui::WS_CHILD : ui::WS_POPUP) | ui::WS_VISIBLE,
                              x, y, 520, 390, parent, 0, nullptr, nullptr);
}

}  // namespace zv::mapview
