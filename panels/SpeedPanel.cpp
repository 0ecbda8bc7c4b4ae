#include <algorithm>
#include <atomic>
#include <memory>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/ButtonBitmaps.h"
#include "shell/PictureHelpers.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "SpeedWindow";
constexpr int kSegments = 5;

int HoldSpeed(int speed) {
    return std::clamp(speed, 0, kMaxGameSpeed);
}

// A cursor coordinate: 255 and negative values show as 0.
int ShownCoordinate(uint32_t half) {
    const int v = int16_t(ui::LoWord(half));
    return (v == 255 || v < 0) ? 0 : v;
}

int PlayerFunds() {
    const uint8_t player = fw::GetPlayerCountry();
    rules::TableDirectory* tables = PanelTables();
    if (player >= 4 || tables == nullptr) return 0;
    rules::CountryCursor country(*tables);
    return country.Select(player) ? country.GetFunds() : 0;
}

// The panel's window: its picture, the game speed and the link quality it shows.
class SpeedPanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0; HandlePictureWindowMessage(Handle(), msg, dib_, IDM_SPEED_PANEL, &r))
            return r;
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_COMMAND:
                OnCommand(int(ui::LoWord(w)));
                return 0;
            case ui::WM_DRAWITEM:
                return OnDrawItem(reinterpret_cast<const ui::DrawItemStruct*>(l));
            case ui::WM_CTLCOLORBTN:
                return NullBrushResult();
            case WM_LAYOUT_PANELS:
                Draw();
                return 0;
            case WM_GET_GAME_SPEED:
                return speed_;
            case WM_SET_GAME_SPEED:
                // The stored setting may hold anything; the clock only knows speeds 0-5.
                speed_ = HoldSpeed(int(intptr_t(w)));
                Draw();
                return 0;
            case WM_SET_LINK_QUALITY:
                linkQuality_ = std::clamp(int(intptr_t(w)), 0, 3);
                Draw();
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    int Speed() const { return speed_; }
    int LinkQuality() const { return linkQuality_; }

  private:
    void OnCreate() {
        const ui::Hwnd h = Handle();
        dib_ = LoadPicture("speed.bmp");
        fw::CreateButtonCtl2(h, IDC_PANEL_DIALOG, 92, 4, 48, 24);
        fw::CreateButtonCtl2(h, IDC_SPEED_DOWN, 92, 40, 20, 20);
        fw::CreateButtonCtl2(h, IDC_SPEED_UP, 172, 40, 20, 20);
        SizePanelToClient(h, dib_->GetWidth(), dib_->GetHeight());
        Draw();
    }
    void OnCommand(int id) {
        switch (id) {
            case IDC_PANEL_DIALOG:
                ShowPanelConfigDialog(Handle());
                break;
            case IDC_SPEED_UP:
            case IDC_SPEED_DOWN:
                if (MayChangeGameSpeed()) {
                    speed_ = HoldSpeed(speed_ + (id == IDC_SPEED_UP ? 1 : -1));
                    DrawSpeedGauge();
                }
                break;
            default:
                break;
        }
    }
    ui::LResult OnDrawItem(const ui::DrawItemStruct* item) {
        if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
        int face = -1;
        if (item->ctlId == uint32_t(IDC_PANEL_DIALOG)) face = 30;
        if (item->ctlId == uint32_t(IDC_SPEED_DOWN)) face = 31;
        if (item->ctlId == uint32_t(IDC_SPEED_UP)) face = 32;
        ui::DrawItemStruct shown = *item;
        if (face != 30 && !MayChangeGameSpeed()) shown.itemState |= ui::ODS_SELECTED;
        shell::DrawBitmapButton(Handle(), &shown, dib_.get(), face);
        return 1;
    }

    void DrawGauge(fw::Dib* sheet) {
        for (int i = 0; i < kSegments; ++i) {
            const int x = 112 + 12 * i;
            fw::HvDIBitBlt(dib_.get(), x, 40, 12, 20, sheet, 40, 108, 0);
            if (i < speed_) fw::HvDIBitBlt(dib_.get(), x, 40, 12, 20, sheet, 40, 128, 0);
        }
    }
    void Draw() {
        const ui::Hwnd h = Handle();
        fw::Dib* dib = dib_.get();
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
        DrawGauge(&sheet);
        const int q = std::clamp(linkQuality_, 0, 3);
        fw::HvDIBitBlt(dib, 144, 4, 48, 24, &sheet, (3 * q + 3) * 16, 148, 0);
        InvalidateAndUpdate(h);
    }
    void DrawSpeedGauge() {
        fw::Dib sheet("btn_pnl.bmp");
        DrawGauge(&sheet);
        InvalidateAndUpdate(Handle());
    }

    std::unique_ptr<fw::Dib> dib_;
    // Read by the simulation's clock thread (WM_GET_GAME_SPEED) while the GUI thread draws.
    std::atomic<int> speed_{0};
    int linkQuality_ = 0;
};

ui::LResult SpeedProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<SpeedPanel>(h, msg, w, l);
}

const SpeedPanel* FindSpeedPanel() {
    return ui::WindowObjectOf<SpeedPanel>(shell::GetWindowOfKind(shell::WindowKind::SpeedWnd),
                                          kClass);
}

}  // namespace

int GetStoredGameSpeed() {
    const SpeedPanel* panel = FindSpeedPanel();
    return panel ? panel->Speed() : 0;
}
int GetStoredLinkQuality() {
    const SpeedPanel* panel = FindSpeedPanel();
    return panel ? panel->LinkQuality() : 0;
}

bool RegisterSpeedClass() { return RegisterPanelClass(kClass, SpeedProc); }

ui::Hwnd CreateSpeedWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, SpeedProc)) return {};
    return CreatePanelWindow(kClass, "スピードウィンドウ", parent, menu,
                             style | ui::WS_CLIPCHILDREN);
}

}  // namespace zv::panels
