#include "mapview/MapAreaInfoWindow.h"

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
    {45007, "建物数"},           {45016, "建物数[補給可]"},   {45017, "発見部隊数[青国]"},
    {45018, "発見部隊数[赤国]"}, {45019, "発見部隊数[緑国]"}, {45020, "発見部隊数[黄国]"},
    {45006, "予想部隊数"},       {45008, "移動可能方向[全て]"}, {45009, "移動可能方向[高空]"},
    {45010, "移動可能方向[低空]"}, {45011, "移動可能方向[地上]"}, {45012, "移動可能方向[海上]"},
    {45013, "移動可能方向[海中]"}, {45026, "国勢力"},         {45022, "国勢力[青国]"},
    {45023, "国勢力[赤国]"},     {45024, "国勢力[緑国]"},     {45025, "国勢力[黄国]"},
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

struct AreaWindowState {
    std::unique_ptr<fw::Dib> picture;
    int page = -1;
    int fx = 0, fy = 0, cap = 0, menu = 0, vs = 0, hs = 0;
};

// The analysis that the menu's clear and compute commands use, kept for the whole run.
std::unique_ptr<MapAreaContext> gAreaContext;

AreaWindowState* StateOf(ui::Hwnd h) {
    return reinterpret_cast<AreaWindowState*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

MapAreaContext* RunContext() {
    if (gAreaContext == nullptr) {
        MapWorld* world = CurrentMapWorld();
        if (world == nullptr || world->tables == nullptr) return nullptr;
        gAreaContext = std::make_unique<MapAreaContext>(*world->tables, world->routeSearches);
    }
    return gAreaContext.get();
}

void RegisterMenu() {
    using ui::MenuCommand;
    using ui::MenuPopup;
    ui::MenuTemplate t;
    t.number = kMapAreaInfoMenu;
    t.items = {
        MenuPopup("エリア情報", {MenuCommand(kCmdAreaClear, "情報クリア"), MenuCommand(kCmdAreaCompute, "情報セット")}),
        MenuPopup("建物関連", {MenuCommand(45007, "建物数"), MenuCommand(45016, "補給可能建物数")}),
        MenuPopup("部隊関連", {MenuPopup("発見部隊数", {MenuCommand(45017, "青国から"), MenuCommand(45018, "赤国から"),
                                                     MenuCommand(45019, "緑国から"), MenuCommand(45020, "黄国から")}),
                               MenuCommand(45006, "予想部隊数")}),
        MenuPopup("地形関連", {MenuPopup("移動可能方向", {MenuCommand(45008, "全て"), MenuCommand(45009, "高空のみ"),
                                                         MenuCommand(45010, "低空のみ"), MenuCommand(45011, "地上のみ"),
                                                         MenuCommand(45012, "海上のみ"), MenuCommand(45013, "海中のみ")})}),
        MenuPopup("その他", {MenuPopup("国勢力", {MenuCommand(45026, "全て"), MenuCommand(45022, "青国状況"),
                                                 MenuCommand(45023, "赤国状況"), MenuCommand(45024, "緑国状況"),
                                                 MenuCommand(45025, "黄国状況")})}),
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

void LayoutScrollBars(ui::Hwnd h, AreaWindowState* s, int W, int H) {
    int hr = std::max(0, kAreaPicture - W), vr = std::max(0, kAreaPicture - H);
    if (hr > 0 && vr == 0) vr = std::max(0, kAreaPicture + s->hs - H);
    else if (hr == 0 && vr > 0) hr = std::max(0, kAreaPicture + s->vs - W);
    const bool box = hr > 0 && vr > 0;
    if (box) {
        hr = kAreaPicture + s->vs - W;
        vr = kAreaPicture + s->hs - H;
    }
    const ui::Hwnd hbar = ui::GetDlgItem(h, kIdAreaHScroll), vbar = ui::GetDlgItem(h, kIdAreaVScroll);
    const ui::Hwnd sizeBox = ui::GetDlgItem(h, kIdAreaSizeBox);
    ui::ShowWindow(sizeBox, box ? ui::SW_SHOW : ui::SW_HIDE);
    ui::SetScrollRange(hbar, ui::SB_CTL, 0, hr, true);
    ui::SetScrollRange(vbar, ui::SB_CTL, 0, vr, true);
    ui::ShowWindow(hbar, hr > 0 ? ui::SW_SHOW : ui::SW_HIDE);
    ui::MoveWindow(hbar, 0, H - s->hs, vr > 0 ? W - s->vs : W, s->hs, true);
    ui::ShowWindow(vbar, vr > 0 ? ui::SW_SHOW : ui::SW_HIDE);
    ui::MoveWindow(vbar, W - s->vs, 0, s->vs, hr > 0 ? H - s->hs : H, true);
    ui::MoveWindow(sizeBox, W - s->vs, H - s->hs, s->vs, s->hs, true);
}

void OnScroll(ui::Hwnd h, int id, ui::WParam w) {
    const ui::Hwnd bar = ui::GetDlgItem(h, id);
    const int code = ui::LoWord(w);
    int pos = ui::GetScrollPos(bar, ui::SB_CTL);
    switch (code) {
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
    ui::InvalidateRect(h, nullptr, false);
    ui::UpdateWindow(h);
}

}  // namespace

int AreaPageOfCommand(int id) {
    for (int p = 0; p < 18; ++p)
        if (kPages[p].id == id) return p;
    return -1;
}

fw::Dib* GetAreaInfoPicture(ui::Hwnd window) {
    AreaWindowState* s = StateOf(window);
    return s != nullptr ? s->picture.get() : nullptr;
}

int GetAreaInfoPage(ui::Hwnd window) {
    AreaWindowState* s = StateOf(window);
    return s != nullptr ? s->page : -1;
}

void DrawAreaInfo(ui::Hwnd window, fw::Dib* picture) {
    AreaWindowState* s = StateOf(window);
    MapWorld* world = CurrentMapWorld();
    if (picture == nullptr || world == nullptr || world->tables == nullptr) return;
    MapAreaContext area(*world->tables, world->routeSearches);
    ui::Canvas dc = fw::CanvasOnDib(picture);
    if (!dc.IsValid()) return;
    dc.FillSolid({0, 0, kAreaPicture, kAreaPicture}, kWhite);
    dc.FrameRect({0, 0, kAreaPicture, kAreaPicture}, ui::Brush::SolidColor(kGrey));
    const ui::Pen pen{ui::PS_SOLID, 1, kGrey};
    const ui::Pen old = dc.SelectPen(pen);
    for (int i = 0; i < 8; ++i) {
        dc.MoveTo(0, kAreaCell * i);
        dc.LineTo(kAreaPicture, kAreaCell * i);
        dc.MoveTo(kAreaCell * i, 0);
        dc.LineTo(kAreaCell * i, kAreaPicture);
    }
    dc.SelectPen(old);
    const int page = s != nullptr ? s->page : -1;
    for (int ay = 0; ay < 8; ++ay)
        for (int ax = 0; ax < 8; ++ax) DrawCell(dc, picture, area, page, ax, ay);
    ui::InvalidateRect(window, nullptr, false);
    ui::UpdateWindow(window);
}

ui::LResult MapAreaInfoWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    RunContext();
    AreaWindowState* s = StateOf(h);
    switch (msg) {
        case ui::WM_CREATE: {
            auto* state = new AreaWindowState;
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(state));
            ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_HORZ, 0, 0, 0, 0, h, kIdAreaHScroll, nullptr, nullptr);
            ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_VERT, 0, 0, 0, 0, h, kIdAreaVScroll, nullptr, nullptr);
            ui::CreateWindowEx(0, "SCROLLBAR", "", ui::WS_CHILD | ui::SBS_SIZEBOX, 0, 0, 0, 0, h, kIdAreaSizeBox, nullptr, nullptr);
            state->picture = fw::Dib::CreateBlank(kAreaPicture, kAreaPicture, shell::GetPaletteTableC());
            state->fx = 2 * ui::GetSystemMetrics(ui::SM_CXFRAME);
            state->fy = 2 * ui::GetSystemMetrics(ui::SM_CYFRAME);
            state->cap = ui::GetSystemMetrics(ui::SM_CYCAPTION);
            state->menu = ui::GetSystemMetrics(ui::SM_CYMENU);
            state->vs = ui::GetSystemMetrics(ui::SM_CXVSCROLL);
            state->hs = ui::GetSystemMetrics(ui::SM_CYHSCROLL);
            ui::MoveWindow(h, 0, 40, state->fx + kAreaPicture, state->menu + state->cap + state->fy + kAreaPicture, false);
            DrawAreaInfo(h, state->picture.get());
            return 0;
        }
        case ui::WM_DESTROY:
            delete s;
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
            return 0;
        default:
            break;
    }
    if (s == nullptr) return ui::DefWindowProc(h, msg, w, l);
    switch (msg) {
        case ui::WM_SIZE:
            LayoutScrollBars(h, s, ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            return 0;
        case ui::WM_PAINT: {
            ui::PaintStruct ps;
            ui::Canvas* dc = ui::BeginPaint(h, &ps);
            if (dc != nullptr && s->picture) {
                ui::Rect client{};
                ui::GetClientRect(h, &client);
                const int sx = ui::GetScrollPos(ui::GetDlgItem(h, kIdAreaHScroll), ui::SB_CTL);
                const int sy = ui::GetScrollPos(ui::GetDlgItem(h, kIdAreaVScroll), ui::SB_CTL);
                dc->BitBlt(0, 0, client.Width(), client.Height(), fw::CanvasOnDib(s->picture.get()), sx, sy, ui::SRCCOPY);
            }
            ui::EndPaint(h, &ps);
            return 0;
        }
        case ui::WM_CLOSE: {
            const ui::Hwnd frame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd);
            if (frame) ui::SendMessage(frame, ui::WM_COMMAND, kCmdToggleAreaInfo, 0);
            return 0;
        }
        case ui::WM_GETMINMAXINFO: {
            auto* mm = reinterpret_cast<MinMaxInfo*>(l);
            if (mm != nullptr) {
                mm->maxTrackSize = {s->fx + kAreaPicture, s->menu + kAreaPicture + s->cap + s->fy};
                mm->minTrackSize = {s->vs + 320 + s->fx, s->hs + 320 + s->menu + s->cap + s->fy};
            }
            return 0;
        }
        case ui::WM_COMMAND: {
            const int id = ui::LoWord(w);
            if (id == kCmdAreaClear || id == kCmdAreaCompute) {
                if (MapAreaContext* ctx = RunContext()) {
                    if (id == kCmdAreaClear) ctx->ClearAreaInfo();
                    else ctx->ComputeAreaInfo();
                }
                DrawAreaInfo(h, s->picture.get());
                return 1;
            }
            const int page = AreaPageOfCommand(id);
            if (page < 0) return 0;
            s->page = page;
            const ui::Hmenu menu = ui::GetMenu(h);
            for (const PageEntry& e : kPages)
                ui::CheckMenuItem(menu, e.id, ui::MF_BYCOMMAND | (e.id == id ? ui::MF_CHECKED : ui::MF_UNCHECKED));
            ui::SetWindowText(h, core::Utf8ToSjis(std::string(kWindowTitle) + " - " + kPages[page].name));
            DrawAreaInfo(h, s->picture.get());
            return 1;
        }
        case ui::WM_HSCROLL:
        case ui::WM_VSCROLL:
            OnScroll(h, msg == ui::WM_HSCROLL ? kIdAreaHScroll : kIdAreaVScroll, w);
            return 0;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
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
