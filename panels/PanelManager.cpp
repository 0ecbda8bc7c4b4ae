#include "panels/PanelManager.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "framework/Dib.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/CommandWindow.h"
#include "panels/FightWindows.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/PanelWorld.h"
#include "panels/UnitPanel.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Font.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kManagerClass = "PanelManagerWindow";
constexpr int kSpeedKind = int(shell::WindowKind::SpeedWnd);
constexpr int kHqKind = int(shell::WindowKind::HqWnd);
constexpr int kDialogWidth = 150;
constexpr int kDialogHeight = 140;
constexpr ui::ColorRef kDialogNavy = ui::Rgb(0, 0, 128);

PanelEntry Row(const char* utf8Name, shell::WindowKind kind, int id, int bit) {
    PanelEntry e{};
    const std::string sjis = core::Utf8ToSjis(utf8Name);
    std::memcpy(e.name, sjis.data(), std::min(sjis.size(), sizeof e.name - 1));
    e.kind = int(kind);
    e.controlId = id;
    e.maskBit = uint8_t(bit);
    return e;
}

int PaneMask() {
    return ui::LoWord(uintptr_t(shell::GetPaneConf()));
}

uint32_t StyleOf(ui::Hwnd h) {
    return uint32_t(ui::GetWindowLong(h, ui::GWL_STYLE));
}

// Panels lose their frames and captions and become plain children of the manager.
void AdoptPanels(ui::Hwnd manager) {
    for (const PanelEntry& row : PanelTable()) {
        const ui::Hwnd panel = shell::GetWindowOfKind(row.kind);
        if (!panel) continue;
        uint32_t style = StyleOf(panel);
        if (style & ui::WS_POPUP) style = (style & ~(ui::WS_POPUP | ui::WS_CHILD)) | ui::WS_CHILD;
        if (style & ui::WS_CAPTION) style &= ~ui::WS_CAPTION;
        ui::SetWindowLong(panel, ui::GWL_STYLE, int32_t(style));
        ui::SetParent(panel, manager);
    }
}

void Relay(shell::WindowKind kind, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd panel = shell::GetWindowOfKind(kind);
    if (panel) ui::SendMessage(panel, msg, w, l);
}

// The manager's window: the column the panels are docked in.
class PanelColumn : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0;
            HandlePictureWindowMessage(Handle(), msg, background_, IDM_PANEL_MANAGER, &r))
            return r;
        switch (msg) {
            case ui::WM_CREATE:
                MakeBackground(ui::GetSystemMetrics(ui::SM_CYSCREEN));
                AdoptPanels(Handle());
                ui::ShowWindow(Handle(), ui::SW_HIDE);
                return 0;
            case ui::WM_SIZE:
                OnSize(int(ui::HiWord(static_cast<uintptr_t>(l))));
                return Default(msg, w, l);
            case WM_LAYOUT_PANELS:
                LayoutPanels(Handle());
                return 0;
            case WM_PANEL_SHOW_TROOP:
                Relay(shell::WindowKind::UnitSinpleInfo, WM_PANEL_RELAY, w, l);
                return 0;
            case WM_PANEL_SHOW_CELL:
                Relay(shell::WindowKind::TerrainInfo, WM_PANEL_RELAY, w, l);
                return 0;
            case WM_PANEL_WAIT_MASK:
                Relay(shell::WindowKind::PauseWnd, WM_PANEL_RELAY, w, 0);
                return 0;
            case WM_PANEL_MESSAGE:
                Relay(shell::WindowKind::MessageWnd, WM_PANEL_RELAY, 0, l);
                return 0;
            case WM_PANEL_CLOCK:
                Relay(shell::WindowKind::SpeedWnd, WM_LAYOUT_PANELS, 0, 0);
                return 0;
            case WM_PANEL_LINK_QUALITY:
                Relay(shell::WindowKind::SpeedWnd, WM_SET_LINK_QUALITY, w, 0);
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    // A plain dark column of the given height.
    void MakeBackground(int height) {
        const ui::Hwnd h = Handle();
        background_ = fw::Dib::CreateBlank(h, kPanelColumnWidth, height, shell::GetPaletteTableB());
        fw::FillRectColor(h, background_.get(), 0, 0, kPanelColumnWidth - 1,
                          background_->GetHeight() - 1, ui::PaletteRgb(66, 66, 66));
    }
    // The column grows with the screen (a window maximised after the panels were made): so
    // does its background.
    void OnSize(int height) {
        if (background_ && height > background_->GetHeight()) {
            MakeBackground(height);
            ui::InvalidateRect(Handle(), nullptr, false);
        }
    }

    std::unique_ptr<fw::Dib> background_;
};

ui::LResult ManagerProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<PanelColumn>(h, msg, w, l);
}

// ---- dialog 606 ------------------------------------------------------------------------

void RelayoutManager() {
    const ui::Hwnd manager = shell::GetWindowOfKind(shell::WindowKind::PanelManeger);
    if (manager) ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
}

void SizeConfigDialog(ui::Hwnd dlg) {
    const int sw = ui::GetSystemMetrics(ui::SM_CXSCREEN);
    const int sh = ui::GetSystemMetrics(ui::SM_CYSCREEN);
    const uint32_t style = StyleOf(dlg);
    int w = kDialogWidth, hgt = kDialogHeight;
    if (style & ui::WS_CAPTION) {
        w = kDialogWidth + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        hgt = kDialogHeight + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) +
              ui::GetSystemMetrics(ui::SM_CYCAPTION);
    }
    if (style & ui::DS_MODALFRAME) {
        w = kDialogWidth + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        hgt = kDialogHeight + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME);
    }
    ui::SetWindowPos(dlg, ui::Hwnd{}, (sw - kDialogWidth) / 2, (sh - kDialogHeight) / 2, w, hgt,
                     ui::SWP_NOZORDER);
}

// The boxes of the panels shown in the column; Cancel puts back the panels of the opening.
class PanelConfigDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_CTLCOLORSTATIC:
            case ui::WM_CTLCOLORBTN:
                return OnCtlColor(reinterpret_cast<ui::Canvas*>(w));
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), background_.get());
                return 1;
            case ui::WM_ERASEBKGND:
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        const ui::Hwnd dlg = Handle();
        background_ =
            fw::Dib::CreateBlank(dlg, kDialogWidth, kDialogHeight, shell::GetPaletteTableA());
        fw::FillRectColor(dlg, background_.get(), 0, 0, kDialogWidth - 1, kDialogHeight - 1,
                          kDialogNavy);
        const uint32_t c = background_->GetPixelColor(0, 0);  // 0x02BBGGRR
        labelBrush_ = ui::Brush::SolidColor(ui::Rgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        font_ = fw::CreateJapaneseFont(12, 1, 1);
        openingMask_ = PaneMask();
        int i = 0;
        for (const PanelEntry& row : PanelTable()) {
            if (row.kind == kSpeedKind) continue;
            const ui::Hwnd box = fw::CreateButtonCtl(dlg, row.controlId, 10, 10 + 15 * i, 130, 13,
                                                     ui::BS_AUTOCHECKBOX);
            ui::SendMessage(box, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(&font_), 0);
            ui::SetWindowText(box, row.name);
            if (openingMask_ & row.maskBit) ui::CheckDlgButton(dlg, row.controlId, 1);
            ++i;
        }
        ui::MoveWindow(Item(ui::IDOK), 10, 114, 50, 16, true);
        ui::MoveWindow(Item(ui::IDCANCEL), 90, 114, 50, 16, true);
        SizeConfigDialog(dlg);
    }

    intptr_t OnCommand(int id) {
        if (id == ui::IDOK) {
            End(1);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            shell::PutPaneConf(openingMask_);
            RelayoutManager();
            End(0);
            return 1;
        }
        for (const PanelEntry& row : PanelTable()) {
            if (row.controlId != id || row.kind == kSpeedKind) continue;
            shell::PutPaneConf(shell::GetPaneConf() ^ row.maskBit);
            RelayoutManager();
            return 1;
        }
        return 0;
    }

    intptr_t OnCtlColor(ui::Canvas* dc) {
        if (dc != nullptr) {
            dc->SetTextColor(0xFFFFFF);
            dc->SetBkMode(ui::TRANSPARENT);
        }
        // The layer's controls paint their own background: the dialog's navy stands in for the
        // transparent brush, so the labels stand on the navy background.
        if (!background_) return intptr_t(NullBrushResult());
        return reinterpret_cast<intptr_t>(&labelBrush_);
    }

    std::unique_ptr<fw::Dib> background_;
    ui::Font font_;
    int openingMask_ = 0;
    ui::Brush labelBrush_;  // the background's colour as the palette shows it
};

}  // namespace

const std::array<PanelEntry, kPanelCount>& PanelTable() {
    static const std::array<PanelEntry, kPanelCount> table = {
        Row("ＨＱ画面        ", shell::WindowKind::HqWnd, 10654, 1),
        Row("部隊情報パネル  ", shell::WindowKind::UnitSinpleInfo, 10655, 2),
        Row("コマンドパネル  ", shell::WindowKind::CommandWnd, 10656, 4),
        Row("地形情報パネル  ", shell::WindowKind::TerrainInfo, 10657, 8),
        Row("ポーズ状況パネル", shell::WindowKind::PauseWnd, 10658, 16),
        Row("メッセージパネル", shell::WindowKind::MessageWnd, 10659, 32),
        Row("スピードパネル  ", shell::WindowKind::SpeedWnd, 10660, 64),
    };
    return table;
}

bool RegisterPanelManagerClass() {
    return RegisterPanelClass(kManagerClass, ManagerProc);
}

ui::Hwnd CreatePanelManagerWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterPanelManagerClass()) return {};
    return CreatePanelWindow(kManagerClass, "パネル管理ウィンドウ", parent, menu,
                             style | ui::WS_CLIPCHILDREN);
}

ui::Hwnd CreatePanelWindows(ui::Hwnd parent, uint32_t managerStyle) {
    const uint32_t style = ui::WS_CHILD;
    using K = shell::WindowKind;
    shell::SetWindowOfKind(K::UnitSinpleInfo,
                           CreateUnitSimpleInfoWindow(nullptr, parent, 0, style));
    shell::SetWindowOfKind(K::CommandWnd, CreateCommandWindow(nullptr, parent, 0, style));
    shell::SetWindowOfKind(K::TerrainInfo, CreateLandSimpleInfoWindow(nullptr, parent, 0, style));
    shell::SetWindowOfKind(K::PauseWnd, CreatePauseWindow(nullptr, parent, 0, style));
    shell::SetWindowOfKind(K::MessageWnd, CreateMessageWindow(nullptr, parent, 0, style));
    shell::SetWindowOfKind(K::SpeedWnd, CreateSpeedWindow(nullptr, parent, 0, style));
    const ui::Hwnd manager = CreatePanelManagerWindow(nullptr, parent, 0, managerStyle);
    shell::SetWindowOfKind(K::PanelManeger, manager);
    return manager;
}

void LayoutPanels(ui::Hwnd manager) {
    const int mask = PaneMask();
    int y = 0;
    int width = kPanelColumnWidth;
    for (int i = 0; i < kPanelCount; ++i) {
        const PanelEntry& row = PanelTable()[size_t(i)];
        const ui::Hwnd panel = shell::GetWindowOfKind(row.kind);
        // A panel lent out of the column (the HQ window while the map editor has it) is not laid.
        if (!panel || ui::GetParent(panel) != manager) continue;
        if ((mask & (1 << i)) || row.kind == kSpeedKind) {
            ui::Rect rc{};
            ui::GetClientRect(panel, &rc);
            const int pw = rc.right - rc.left, ph = rc.bottom - rc.top;
            ui::SetWindowPos(panel, ui::Hwnd{}, 0, y, pw, ph,
                             ui::SWP_SHOWWINDOW | ui::SWP_NOZORDER);
            ui::ShowWindow(panel, ui::SW_SHOW);
            if (row.kind == kHqKind) {
                ui::SendMessage(panel, ui::WM_SHOWWINDOW, 0, 0);
            } else {
                ui::SendMessage(panel, WM_LAYOUT_PANELS, 0, 0);
            }
            y += ph;
            width = pw;
        } else {
            ui::ShowWindow(panel, ui::SW_HIDE);
        }
    }
    // The column keeps its x; it runs from below the top strip down the parent's client area.
    const ui::Hwnd parent = ui::GetParent(manager);
    ui::Rect wr{};
    ui::GetWindowRect(manager, &wr);
    ui::Point corner{wr.left, wr.top};
    if (parent) ui::ScreenToClient(parent, &corner);
    ui::Rect pc{};
    if (parent) ui::GetClientRect(parent, &pc);
    const int height = pc.bottom - pc.top;
    int w = width, h = height;
    if (StyleOf(manager) & ui::WS_CAPTION) {
        w = width + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        h = height + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) +
            ui::GetSystemMetrics(ui::SM_CYCAPTION);
    }
    ui::SetWindowPos(manager, ui::Hwnd{}, corner.x, kPanelColumnTop, w, h,
                     ui::SWP_SHOWWINDOW | ui::SWP_NOZORDER);
}

void RegisterPanelDialogs() {
    static bool done = false;
    if (done) return;
    done = true;
    ui::DialogTemplate t;
    t.number = kPanelConfigDialog;
    t.style = ui::WS_POPUP | ui::DS_MODALFRAME;
    t.cx = 100;
    t.cy = 92;
    t.items.push_back({ui::IDOK, "BUTTON", "OK", 6, 74, 34, 12, ui::BS_DEFPUSHBUTTON | ui::WS_TABSTOP});
    t.items.push_back({ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 60, 74, 34, 12, ui::WS_TABSTOP});
    ui::DialogRegistry::Global().Add(std::move(t));
}

intptr_t ShowPanelConfigDialog(ui::Hwnd owner) {
    RegisterPanelDialogs();
    SetPanelBusyBit(0, 1);
    const intptr_t result =
        ui::DialogBoxParam(nullptr, kPanelConfigDialog, owner,
                                              ui::DialogObjectProc<PanelConfigDialog>, 0);
    SetPanelBusyBit(0, 0);
    return result == 1 ? 1 : 0;
}

}  // namespace zv::panels
