#include "mapview/MapAreaInfoWindow.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "mapview/MapAreaAnalysis.h"
#include "mapview/MapWorld.h"
#include "mapview/MinMaxInfo.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ScrollBarModel.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "shell/Palettes.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {

namespace {

constexpr const char* kWindowTitle = "エリア別マップ情報";

struct PageEntry {
    int id;
    const char* name;
};
constexpr PageEntry kPages[18] = {
    {kCmdAreaBuildings, "建物数"},
    {kCmdAreaSupplyBuildings, "建物数[補給可]"},
    {kCmdAreaFoundBy + 0, "発見部隊数[青国]"},
    {kCmdAreaFoundBy + 1, "発見部隊数[赤国]"},
    {kCmdAreaFoundBy + 2, "発見部隊数[緑国]"},
    {kCmdAreaFoundBy + 3, "発見部隊数[黄国]"},
    {kCmdAreaExpected, "予想部隊数"},
    {kCmdAreaDirectionsAll, "移動可能方向[全て]"},
    {kCmdAreaDirectionsAll + 1, "移動可能方向[高空]"},
    {kCmdAreaDirectionsAll + 2, "移動可能方向[低空]"},
    {kCmdAreaDirectionsAll + 3, "移動可能方向[地上]"},
    {kCmdAreaDirectionsAll + 4, "移動可能方向[海上]"},
    {kCmdAreaDirectionsAll + 5, "移動可能方向[海中]"},
    {kCmdAreaCountriesAll, "国勢力"},
    {kCmdAreaCountry + 0, "国勢力[青国]"},
    {kCmdAreaCountry + 1, "国勢力[赤国]"},
    {kCmdAreaCountry + 2, "国勢力[緑国]"},
    {kCmdAreaCountry + 3, "国勢力[黄国]"},
};
constexpr const char* kSiteKindNames[6] = {"首都", "大都", "都市", "町", "空港", "港"};
constexpr const char* kClassNames[5] = {"高空", "低空", "地上", "海上", "海中"};

constexpr ui::ColorRef kWhite = ui::Rgb(255, 255, 255);
constexpr ui::ColorRef kGrey = ui::Rgb(128, 128, 128);
constexpr ui::ColorRef kHeading = ui::Rgb(255, 0, 0);
constexpr ui::ColorRef kNeutral = ui::Rgb(96, 96, 96);
constexpr ui::ColorRef kOthers = ui::Rgb(192, 192, 192);
constexpr ui::ColorRef kDark[4] = {ui::Rgb(0, 0, 160), ui::Rgb(160, 0, 0), ui::Rgb(0, 160, 0), ui::Rgb(160, 160, 0)};
constexpr ui::ColorRef kBright[4] = {ui::Rgb(0, 0, 255), ui::Rgb(255, 0, 0), ui::Rgb(0, 255, 0), ui::Rgb(255, 255, 0)};


void RegisterMenu() {
    using ui::MenuCommand;
    using ui::MenuPopup;
    ui::MenuTemplate t;
    t.number = kMapAreaInfoMenu;
    t.items = {
        MenuPopup("エリア情報", {MenuCommand(kCmdAreaClear, "情報クリア"), MenuCommand(kCmdAreaCompute, "情報セット")}),
        MenuPopup("建物関連", {MenuCommand(kCmdAreaBuildings, "建物数"), MenuCommand(kCmdAreaSupplyBuildings, "補給可能建物数")}),
        MenuPopup("部隊関連", {MenuPopup("発見部隊数", {MenuCommand(kCmdAreaFoundBy + 0, "青国から"),
                                                     MenuCommand(kCmdAreaFoundBy + 1, "赤国から"),
                                                     MenuCommand(kCmdAreaFoundBy + 2, "緑国から"),
                                                     MenuCommand(kCmdAreaFoundBy + 3, "黄国から")}),
                               MenuCommand(kCmdAreaExpected, "予想部隊数")}),
        MenuPopup("地形関連", {MenuPopup("移動可能方向", {MenuCommand(kCmdAreaDirectionsAll + 0, "全て"),
                                                         MenuCommand(kCmdAreaDirectionsAll + 1, "高空のみ"),
                                                         MenuCommand(kCmdAreaDirectionsAll + 2, "低空のみ"),
                                                         MenuCommand(kCmdAreaDirectionsAll + 3, "地上のみ"),
                                                         MenuCommand(kCmdAreaDirectionsAll + 4, "海上のみ"),
                                                         MenuCommand(kCmdAreaDirectionsAll + 5, "海中のみ")})}),
        MenuPopup("その他", {MenuPopup("国勢力", {MenuCommand(kCmdAreaCountriesAll, "全て"),
                                                 MenuCommand(kCmdAreaCountry + 0, "青国状況"),
                                                 MenuCommand(kCmdAreaCountry + 1, "赤国状況"),
                                                 MenuCommand(kCmdAreaCountry + 2, "緑国状況"),
                                                 MenuCommand(kCmdAreaCountry + 3, "黄国状況")})}),
    };
    ui::MenuRegistry::Global().Add(std::move(t));
}

void Text(ui::Canvas& dc, int x, int y, const std::string& utf8, int size, ui::ColorRef color) {
    const ui::Font font = fw::CreateJapaneseFont(size, 1, 1);
    const ui::Font old = dc.SelectFont(font);
    dc.SetTextColor(color);
    dc.SetBkMode(ui::TRANSPARENT);
    dc.TextOut(x, y, core::Utf8ToSjis(utf8));
    dc.SelectFont(old);
}

std::string Count(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2d", v);
    return buffer;
}

// The direction marks (8 cells side by side); each cell is an eighth of the picture's width.
void DrawDirections(fw::Dib* picture, const char* sheetName, std::uint8_t bits, int x, int y, bool stacked) {
    fw::Dib sheet(sheetName);
    if (!sheet.HasBits()) return;
    const int cell = sheet.GetWidth() / 8;
    for (int i = 0; i < 8; ++i) {
        if (!((bits >> i) & 1)) continue;
        const int dx = stacked ? x : x + i * cell;
        fw::HvDIBitBlt(picture, dx, y, cell, sheet.GetHeight(), &sheet, i * cell, 0, 0);
    }
}

void DrawCell(ui::Canvas& dc, fw::Dib* picture, MapAreaContext& area, int page, int ax, int ay) {
    const int x = kAreaCell * ax + 2, y = kAreaCell * ay;
    char heading[32];
    std::snprintf(heading, sizeof heading, "AREA:%d-%d", ax, ay);
    Text(dc, x, y, heading, 10, kHeading);
    if (!area.SelectArea(ax, ay)) return;
    const int top = y + 12;
    if (page == 0 || page == 1) {
        for (int k = 0; k < 6; ++k) {
            const int ly = top + 10 * k;
            Text(dc, x, ly, kSiteKindNames[k], 10, kGrey);
            for (int o = 0; o < (page == 0 ? 5 : 4); ++o) {
                const int v = page == 0 ? area.GetSiteCount(o, k) : area.GetSupplyCount(o, k);
                if (v != 0) Text(dc, x + 20 + 10 * o, ly, Count(v), 10, o < 4 ? kDark[o] : kNeutral);
            }
        }
    } else if (page >= 2 && page <= 6) {
        for (int k = 0; k < 5; ++k) {
            const int ly = top + 12 * k;
            Text(dc, x, ly, kClassNames[k], 10, kGrey);
            for (int o = 0; o < 4; ++o) {
                const int v = page == 6 ? area.GetExpectedCount(o, k) : area.GetFoundCount(page - 2, o, k);
                if (v != 0) Text(dc, x + 20 + 10 * o, ly, Count(v), 10, kDark[o]);
            }
        }
    } else if (page == 7) {
        for (int k = 0; k < 5; ++k) {
            const int ly = top + 12 * k;
            Text(dc, x, ly, kClassNames[k], 10, kGrey);
            DrawDirections(picture, "posdirs.bmp", area.GetDirections(k), x + 20, ly + 2, false);
        }
    } else if (page >= 8 && page <= 12) {
        const int k = page - 8;
        Text(dc, x, y + 12, kClassNames[k], 10, kGrey);
        DrawDirections(picture, "posdirb.bmp", area.GetDirections(k), x + 25, y + 27, true);
    } else if (page >= 13) {
        const ui::Rect inside{kAreaCell * ax + 1, kAreaCell * ay + 1, kAreaCell * ax + 79, kAreaCell * ay + 79};
        for (int c = (page == 13 ? 0 : page - 14); c <= (page == 13 ? 3 : page - 14); ++c) {
            const std::uint16_t v = area.GetSituation(c);
            if (v == kAreaNotComputed) continue;
            if (v == kAreaOwnOnly) dc.FillSolid(inside, kDark[c]);
            else if (v == kAreaContested) dc.FillSolid(inside, kNeutral);
            else if (page != 13 && v == kAreaReachable) dc.FillSolid(inside, kBright[c]);
            else if (page != 13 && v == kAreaOthersOnly) dc.FillSolid(inside, kOthers);
        }
        Text(dc, x, y, heading, 10, kHeading);
    }
}

// Draws the whole picture for `page` (-1: the grid alone) and repaints the window.
void DrawAreaPicture(ui::Hwnd window, fw::Dib* picture, int page) {
    MapWorld* world = CurrentMapWorld();
    if (picture == nullptr || world == nullptr || world->tables == nullptr) return;
    MapAreaContext area(*world->tables, world->routeSearches);
    ui::Canvas dc = fw::CanvasOnDib(picture);
    if (!dc.IsValid()) return;
    dc.FillSolid({0, 0, kAreaPicture, kAreaPicture}, kWhite);
    dc.FrameRect({0, 0, kAreaPicture, kAreaPicture}, ui::Brush::SolidColor(kGrey));
    const ui::Pen pen{ui::PS_SOLID, 1, kGrey};
    const ui::Pen old = dc.SelectPen(pen);
    for (int i = 0; i < kAreaColumns; ++i) {
        dc.MoveTo(0, kAreaCell * i);
        dc.LineTo(kAreaPicture, kAreaCell * i);
        dc.MoveTo(kAreaCell * i, 0);
        dc.LineTo(kAreaCell * i, kAreaPicture);
    }
    dc.SelectPen(old);
    for (int ay = 0; ay < kAreaColumns; ++ay)
        for (int ax = 0; ax < kAreaColumns; ++ax) DrawCell(dc, picture, area, page, ax, ay);
    ui::InvalidateRect(window, nullptr, false);
    ui::UpdateWindow(window);
}

// The window: its picture, the page it shows and the system sizes it measures with.
class MapAreaInfoWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    fw::Dib* Picture() const { return picture_.get(); }
    int Page() const { return page_; }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_DESTROY:
                created_ = false;
                picture_.reset();
                return 0;
            default:
                break;
        }
        if (!created_) return Default(msg, w, l);
        switch (msg) {
            case ui::WM_SIZE:
                LayoutScrollBars(ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            case ui::WM_CLOSE:
                if (const ui::Hwnd frame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd))
                    ui::SendMessage(frame, ui::WM_COMMAND, kCmdToggleAreaInfo, 0);
                return 0;
            case ui::WM_GETMINMAXINFO:
                OnGetMinMaxInfo(reinterpret_cast<MinMaxInfo*>(l));
                return 0;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_HSCROLL:
            case ui::WM_VSCROLL:
                OnScroll(msg == ui::WM_HSCROLL ? kIdAreaHScroll : kIdAreaVScroll, w);
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    void OnCreate() {
        const ui::Hwnd h = Handle();
        ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_HORZ, 0, 0, 0, 0, h, kIdAreaHScroll, nullptr, nullptr);
        ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_VERT, 0, 0, 0, 0, h, kIdAreaVScroll, nullptr, nullptr);
        ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_SIZEBOX, 0, 0, 0, 0, h, kIdAreaSizeBox, nullptr, nullptr);
        picture_ = fw::Dib::CreateBlank(kAreaPicture, kAreaPicture, shell::GetPaletteTableC());
        fx_ = 2 * ui::GetSystemMetrics(ui::SM_CXFRAME);
        fy_ = 2 * ui::GetSystemMetrics(ui::SM_CYFRAME);
        caption_ = ui::GetSystemMetrics(ui::SM_CYCAPTION);
        menu_ = ui::GetSystemMetrics(ui::SM_CYMENU);
        vs_ = ui::GetSystemMetrics(ui::SM_CXVSCROLL);
        hs_ = ui::GetSystemMetrics(ui::SM_CYHSCROLL);
        created_ = true;
        ui::MoveWindow(h, 0, 40, fx_ + kAreaPicture, menu_ + caption_ + fy_ + kAreaPicture, false);
        DrawAreaPicture(h, picture_.get(), page_);
    }
    void OnPaint() {
        const ui::Hwnd h = Handle();
        ui::PaintStruct ps;
        ui::Canvas* dc = ui::BeginPaint(h, &ps);
        if (dc != nullptr && picture_) {
            ui::Rect client{};
            ui::GetClientRect(h, &client);
            const int sx = ui::GetScrollPos(ui::GetDlgItem(h, kIdAreaHScroll), ui::SB_CTL);
            const int sy = ui::GetScrollPos(ui::GetDlgItem(h, kIdAreaVScroll), ui::SB_CTL);
            dc->BitBlt(0, 0, client.Width(), client.Height(), fw::CanvasOnDib(picture_.get()), sx, sy, ui::SRCCOPY);
        }
        ui::EndPaint(h, &ps);
    }
    void OnGetMinMaxInfo(MinMaxInfo* mm) {
        if (mm == nullptr) return;
        mm->maxTrackSize = {fx_ + kAreaPicture, menu_ + kAreaPicture + caption_ + fy_};
        mm->minTrackSize = {vs_ + 320 + fx_, hs_ + 320 + menu_ + caption_ + fy_};
    }
    ui::LResult OnCommand(int id) {
        if (id == kCmdAreaClear || id == kCmdAreaCompute) {
            // Over the world installed now: a world installed after the window opened is the one
            // the player sees.
            if (MapWorld* world = CurrentMapWorld(); world != nullptr && world->tables != nullptr) {
                MapAreaContext area(*world->tables, world->routeSearches);
                if (id == kCmdAreaClear) area.ClearAreaInfo();
                else area.ComputeAreaInfo();
            }
            DrawAreaPicture(Handle(), picture_.get(), page_);
            return 1;
        }
        const int page = AreaPageOfCommand(id);
        if (page < 0) return 0;
        page_ = page;
        const ui::Hmenu menu = ui::GetMenu(Handle());
        for (const PageEntry& e : kPages)
            ui::CheckMenuItem(menu, e.id, ui::MF_BYCOMMAND | (e.id == id ? ui::MF_CHECKED : ui::MF_UNCHECKED));
        ui::SetWindowText(Handle(), core::Utf8ToSjis(std::string(kWindowTitle) + " - " + kPages[page].name));
        DrawAreaPicture(Handle(), picture_.get(), page_);
        return 1;
    }

    void LayoutScrollBars(int width, int height) {
        int hr = std::max(0, kAreaPicture - width), vr = std::max(0, kAreaPicture - height);
        if (hr > 0 && vr == 0) vr = std::max(0, kAreaPicture + hs_ - height);
        else if (hr == 0 && vr > 0) hr = std::max(0, kAreaPicture + vs_ - width);
        const bool box = hr > 0 && vr > 0;
        if (box) {
            hr = kAreaPicture + vs_ - width;
            vr = kAreaPicture + hs_ - height;
        }
        const ui::Hwnd h = Handle();
        const ui::Hwnd hbar = ui::GetDlgItem(h, kIdAreaHScroll), vbar = ui::GetDlgItem(h, kIdAreaVScroll);
        const ui::Hwnd sizeBox = ui::GetDlgItem(h, kIdAreaSizeBox);
        ui::ShowWindow(sizeBox, box ? ui::SW_SHOW : ui::SW_HIDE);
        ui::SetScrollRange(hbar, ui::SB_CTL, 0, hr, true);
        ui::SetScrollRange(vbar, ui::SB_CTL, 0, vr, true);
        ui::ShowWindow(hbar, hr > 0 ? ui::SW_SHOW : ui::SW_HIDE);
        ui::MoveWindow(hbar, 0, height - hs_, vr > 0 ? width - vs_ : width, hs_, true);
        ui::ShowWindow(vbar, vr > 0 ? ui::SW_SHOW : ui::SW_HIDE);
        ui::MoveWindow(vbar, width - vs_, 0, vs_, hr > 0 ? height - hs_ : height, true);
        ui::MoveWindow(sizeBox, width - vs_, height - hs_, vs_, hs_, true);
    }
    void OnScroll(int id, ui::WParam w) {
        const ui::Hwnd bar = ui::GetDlgItem(Handle(), id);
        int pos = ui::GetScrollPos(bar, ui::SB_CTL);
        switch (ui::LoWord(w)) {
            case ui::SB_LINEUP:
            case ui::SB_PAGEUP:
                pos -= kAreaCell;
                break;
            case ui::SB_LINEDOWN:
            case ui::SB_PAGEDOWN:
                pos += kAreaCell;
                break;
            case ui::SB_THUMBPOSITION:
            case ui::SB_THUMBTRACK:
                pos = ui::HiWord(w);
                break;
            default:
                break;
        }
        ui::SetScrollPos(bar, ui::SB_CTL, pos, true);
        ui::InvalidateRect(Handle(), nullptr, false);
        ui::UpdateWindow(Handle());
    }

    std::unique_ptr<fw::Dib> picture_;
    int page_ = -1;
    bool created_ = false;
    int fx_ = 0, fy_ = 0, caption_ = 0, menu_ = 0, vs_ = 0, hs_ = 0;
};

MapAreaInfoWindow* AreaWindowOf(ui::Hwnd window) {
    return ui::WindowObjectOf<MapAreaInfoWindow>(window, kMapAreaInfoWindowClass);
}

}  // namespace

int AreaPageOfCommand(int id) {
    for (int p = 0; p < 18; ++p)
        if (kPages[p].id == id) return p;
    return -1;
}

fw::Dib* GetAreaInfoPicture(ui::Hwnd window) {
    const MapAreaInfoWindow* area = AreaWindowOf(window);
    return area != nullptr ? area->Picture() : nullptr;
}

int GetAreaInfoPage(ui::Hwnd window) {
    const MapAreaInfoWindow* area = AreaWindowOf(window);
    return area != nullptr ? area->Page() : -1;
}

void DrawAreaInfo(ui::Hwnd window, fw::Dib* picture) { DrawAreaPicture(window, picture, GetAreaInfoPage(window)); }

ui::LResult MapAreaInfoWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<MapAreaInfoWindow>(h, msg, w, l);
}

uint16_t RegisterMapAreaInfoWindow(void* instance) {
    RegisterMenu();
    ui::WindowClass existing;
    if (ui::GetClassInfo(kMapAreaInfoWindowClass, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = kMapAreaInfoWindowClass;
    wc.proc = MapAreaInfoWindowProc;
    wc.style = ui::CS_VREDRAW | ui::CS_HREDRAW;
    wc.windowExtraBytes = 8;
    wc.instance = instance;
    wc.hasBackground = true;
    wc.background = kWhite;
    wc.menuId = kMapAreaInfoMenu;
    return ui::RegisterClass(wc) ? 1 : 0;
}

ui::Hwnd CreateMapAreaInfoWindow(void* instance, ui::Hwnd owner) {
    RegisterMapAreaInfoWindow(instance);
    return ui::CreateWindowEx(0, kMapAreaInfoWindowClass, core::Utf8ToSjis(kWindowTitle), 0x82CC0001u & ~ui::WS_VISIBLE,
                              ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, owner, 0,
                              instance, nullptr);
}

}  // namespace zv::mapview
