#include <algorithm>
#include <atomic>
#include <memory>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelClasses.h"
#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/ButtonBitmaps.h"
#include "shell/PictureHelpers.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "SpeedWindow";
constexpr int kSegments = 5;

struct SpeedPanelState {
    std::unique_ptr<fw::Dib> dib;
    // Read by the simulation's clock thread (WM_GET_GAME_SPEED) while the GUI thread draws.
    std::atomic<int> speed{0};
    int linkQuality = 0;
} gSpeed;

int HoldSpeed(int speed) {
    return std::clamp(speed, 0, kMaxGameSpeed);
}

void DrawGauge(fw::Dib* dib, fw::Dib* sheet) {
    for (int i = 0; i < kSegments; ++i) {
        const int x = 112 + 12 * i;
        fw::HvDIBitBlt(dib, x, 40, 12, 20, sheet, 40, 108, 0);
        if (i < gSpeed.speed) fw::HvDIBitBlt(dib, x, 40, 12, 20, sheet, 40, 128, 0);
    }
}

// A cursor coordinate: 255 and negative values show as 0.
int ShownCoordinate(uint32_t half) {
    const int v = int16_t(half & 0xFFFF);
    return (v == 255 || v < 0) ? 0 : v;
}

int PlayerFunds() {
    const uint8_t player = fw::GetPlayerCountry();
    rules::TableDirectory* tables = PanelTables();
    if (player >= 4 || tables == nullptr) return 0;
    rules::CountryCursor country(*tables);
    return country.Select(player) ? country.GetFunds() : 0;
}

void DrawSpeedPanel(ui::Hwnd h) {
    fw::Dib* dib = gSpeed.dib.get();
    RestorePicture(dib, "speed.bmp");
    if (rules::TableDirectory* tables = PanelTables()) {
        rules::ScenarioHeaderCursor header(*tables);
        PanelText(h, dib, 8, 10, Format("%03d", header.GetDay()), 14, kGreen);
        PanelText(h, dib, 40, 10, Format("%02d:", header.GetHour()), 14, kGreen);
        PanelText(h, dib, 64, 10, Format("%02d", header.GetMinute()), 14, kGreen);
    }
    const uint32_t cursor = shell::GetCursorHex();
    PanelText(h, dib, 24, 27, Format("%02d", ShownCoordinate(cursor)), 14, kGreen);
    PanelText(h, dib, 64, 27, Format("%02d", ShownCoordinate(cursor >> 16)), 14, kGreen);
    PanelText(h, dib, 16, 45, Format("%09d", PlayerFunds()), 14, kGreen);
    fw::Dib sheet("btn_pnl.bmp");
    DrawGauge(dib, &sheet);
    const int q = std::clamp(gSpeed.linkQuality, 0, 3);
    fw::HvDIBitBlt(dib, 144, 4, 48, 24, &sheet, (3 * q + 3) * 16, 148, 0);
    InvalidateAndUpdate(h);
}

void DrawSpeedGauge(ui::Hwnd h) {
    fw::Dib sheet("btn_pnl.bmp");
    DrawGauge(gSpeed.dib.get(), &sheet);
    InvalidateAndUpdate(h);
}

ui::LResult SpeedProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (ui::LResult r = 0; HandlePictureWindowMessage(h, msg, gSpeed.dib, IDM_SPEED_PANEL, &r))
        return r;
    switch (msg) {
        case ui::WM_CREATE:
            gSpeed.dib = LoadPicture("speed.bmp");
            gSpeed.speed = 0;
            gSpeed.linkQuality = 0;
            fw::CreateButtonCtl2(h, IDC_PANEL_DIALOG, 92, 4, 48, 24);
            fw::CreateButtonCtl2(h, IDC_SPEED_DOWN, 92, 40, 20, 20);
            fw::CreateButtonCtl2(h, IDC_SPEED_UP, 172, 40, 20, 20);
            SizePanelToClient(h, gSpeed.dib->GetWidth(), gSpeed.dib->GetHeight());
            DrawSpeedPanel(h);
            return 0;
        case ui::WM_COMMAND:
            switch (int(w & 0xFFFF)) {
                case IDC_PANEL_DIALOG:
                    ShowPanelConfigDialog(h);
                    return 0;
                case IDC_SPEED_UP:
                    if (MayChangeGameSpeed()) {
                        gSpeed.speed = HoldSpeed(gSpeed.speed + 1);
                        DrawSpeedGauge(h);
                    }
                    return 0;
                case IDC_SPEED_DOWN:
                    if (MayChangeGameSpeed()) {
                        gSpeed.speed = HoldSpeed(gSpeed.speed - 1);
                        DrawSpeedGauge(h);
                    }
                    return 0;
                default:
                    return 0;
            }
        case ui::WM_DRAWITEM: {
            auto* item = reinterpret_cast<ui::DrawItemStruct*>(l);
            if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
            int face = -1;
            if (item->ctlId == uint32_t(IDC_PANEL_DIALOG)) face = 30;
            if (item->ctlId == uint32_t(IDC_SPEED_DOWN)) face = 31;
            if (item->ctlId == uint32_t(IDC_SPEED_UP)) face = 32;
            ui::DrawItemStruct shown = *item;
            if (face != 30 && !MayChangeGameSpeed()) shown.itemState |= ui::ODS_SELECTED;
            shell::DrawBitmapButton(h, &shown, gSpeed.dib.get(), face);
            return 1;
        }
        case ui::WM_CTLCOLORBTN:
            return NullBrushResult();
        case WM_LAYOUT_PANELS:
            DrawSpeedPanel(h);
            return 0;
        case WM_GET_GAME_SPEED:
            return gSpeed.speed;
        case WM_SET_GAME_SPEED:
            // The stored setting may hold anything; the clock only knows speeds 0-5.
            gSpeed.speed = HoldSpeed(int(intptr_t(w)));
            DrawSpeedPanel(h);
            return 0;
        case WM_SET_LINK_QUALITY:
            gSpeed.linkQuality = std::clamp(int(intptr_t(w)), 0, 3);
            DrawSpeedPanel(h);
            return 0;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace

int GetStoredGameSpeed() {
    return gSpeed.speed;
}
int GetStoredLinkQuality() {
    return gSpeed.linkQuality;
}

bool RegisterSpeedClass() { return RegisterPanelClass(kClass, SpeedProc); }

ui::Hwnd CreateSpeedWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, SpeedProc)) return {};
    return CreatePanelWindow(kClass, "スピードウィンドウ", parent, menu,
                             style | ui::WS_CLIPCHILDREN);
}

}  // namespace zv::panels
