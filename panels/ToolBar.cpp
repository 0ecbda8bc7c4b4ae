#include "panels/ToolBar.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/FrameCommands.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "simulation/Simulation.h"
#include "simulation/Judgement.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "zvToolWindow";
constexpr ui::ColorRef kBarColor = 0xBFBFBF;

constexpr int kMenuPosAlliance = 0;
constexpr int kMenuPosFight = 1;

// The buttons as laid out, every one raised.
constexpr std::array<ToolButton, kToolButtonCount> kButtons = {{
    {42501, 384, 60, 48, 16, 0, 2, 0, 0, "ファイルメニュー"},
    {42502, 176, 60, 16, 16, 50, 2, 0, shell::kCmdStyleMap, "標準地図表示"},
    {42503, 192, 60, 16, 16, 66, 2, 0, shell::kCmdStyleWhite, "白地図表示"},
    {42504, 208, 60, 16, 16, 84, 2, 0, shell::kCmdStyleGreen, "グリーンディスプレイ表示"},
    {42505, 224, 60, 16, 16, 100, 2, 0, shell::kCmdStyleBoard, "ボード表示"},
    {42506, 336, 60, 16, 16, 128, 2, 0, shell::kCmdMapSize, "地図サイズ変更"},
    {42507, 352, 60, 16, 16, 148, 2, 0, shell::kCmdHexFrame, "ヘックス枠表示"},
    {42508, 304, 60, 16, 16, 168, 2, 0, shell::kCmdGraspSize, "レーダー範囲表示"},
    {42514, 368, 60, 16, 16, 188, 2, 0, shell::kCmdSupplyRoutes, "補給線表示"},
    {42509, 240, 60, 16, 16, 208, 2, 0, shell::kCmdRouteDisplay, "移動経路表示"},
    {42510, 256, 60, 16, 16, 228, 2, 0, shell::kCmdCycleTroopDisplay, "部隊情報表示"},
    {42511, 272, 60, 16, 16, 248, 2, 0, shell::kCmdMapInfo, "情報表示"},
    {42512, 288, 60, 16, 16, 268, 2, 0, shell::kCmdPanelManager, "操作パネル表示"},
    {42515, 432, 60, 16, 16, 308, 2, 0, shell::kCmdHelp, "ヘルプ"},
}};

// What the frame installs for the whole program, and the switch the reinforcement dialog
// holds off while it runs; neither belongs to one bar.
ToolBarHooks gHooks;
int gEnabled = 1;

bool ResultWindowVisible() {
    const ui::Hwnd result = shell::GetWindowOfKind(shell::WindowKind::ResultWnd);
    return result && ui::IsWindowVisible(result);
}

// The bar takes clicks only in a running game that is not busy with something modal.
bool MayPress() {
    if (ResultWindowVisible()) return false;
    if (gHooks.isMainMenuOpen && gHooks.isMainMenuOpen()) return false;
    if (gHooks.isAnimationIdle && !gHooks.isAnimationIdle()) return false;
    return gEnabled != 0;
}

// Menu texts are Shift-JIS, as every text of the window layer.
std::string MenuText(const char* utf8) {
    return core::Utf8ToSjis(utf8);
}

uint32_t Grayed(bool grayed) {
    return grayed ? ui::MF_GRAYED : ui::MF_ENABLED;
}
uint32_t Checked(bool checked) {
    return checked ? ui::MF_CHECKED : ui::MF_UNCHECKED;
}

ui::Hwnd FrameStatusControl() {
    return gHooks.frameStatusControl ? gHooks.frameStatusControl() : ui::Hwnd{};
}

class ToolBar : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_DESTROY:
                ui::KillTimer(Handle(), kToolTipTimer);
                bar_.reset();
                faces_.reset();
                FreeGameMenu();
                return 0;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), bar_.get());
                return 0;
            case ui::WM_SIZE:
                OnSize(int(ui::LoWord(static_cast<uintptr_t>(l))));
                return 0;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_MOUSEMOVE:
                OnMouseMove(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_TIMER:
                if (w == kToolTipTimer) {
                    OnTipTimer();
                    return 1;
                }
                break;
            case ui::WM_LBUTTONDOWN:
                OnButtonDown(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_LBUTTONUP:
                OnButtonUp(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            default:
                break;
        }
        return Default(msg, w, l);
    }

    const std::array<ToolButton, kToolButtonCount>& Buttons() const { return buttons_; }

    // The game menu with its items enabled, grayed and checked for the game as it stands.
    ui::Hmenu PrepareGameMenu() {
        if (!menu_) return {};
        PanelWorld* world = CurrentPanelWorld();
        sim::Simulation* simulation = world ? world->simulation : nullptr;
        const bool single = simulation == nullptr || simulation->IsSinglePlay() != 0;
        const bool host = simulation == nullptr || simulation->IsJournalHost() != 0;
        const int local = fw::GetPlayerCountry();
        const bool spectator = local > 3;
        bool fallen = false;
        if (!spectator && PanelTables() != nullptr) {
            rules::CountryCursor country(*PanelTables());
            fallen = country.Select(local) && country.GetState() == sim::kCountryFallen;
        }
        ui::EnableMenuItem(menu_, kMenuPosAlliance,
                           ui::MF_BYPOSITION | Grayed(single || spectator || fallen));
        ui::EnableMenuItem(menu_, shell::kCmdNetSaveGame, ui::MF_BYCOMMAND | Grayed(!host));
        ui::EnableMenuItem(menu_, kMenuPosFight, ui::MF_BYPOSITION | Grayed(spectator || fallen));
        const bool mine = shell::GetFightMine() != 0, other = shell::GetFightOther() != 0;
        ui::CheckMenuItem(fightMenu_, shell::kCmdFightMine, Checked(mine));
        ui::CheckMenuItem(fightMenu_, shell::kCmdFightOther, Checked(other));
        const bool simpleOn = mine || other;
        ui::EnableMenuItem(fightMenu_, shell::kCmdFightSimple, Grayed(!simpleOn));
        ui::CheckMenuItem(fightMenu_, shell::kCmdFightSimple,
                          Checked(simpleOn && shell::GetFightSimple() != 0));
        ui::CheckMenuItem(soundMenu_, shell::kCmdBgm, Checked(shell::GetBgm() == 1));
        const bool sound = fw::IsSoundAvailable() != 0;
        ui::EnableMenuItem(soundMenu_, shell::kCmdSound, Grayed(!sound));
        ui::CheckMenuItem(soundMenu_, shell::kCmdSound, Checked(sound && shell::GetSound() == 1));
        return menu_;
    }

  private:
    void OnCreate() {
        const ui::Hwnd h = Handle();
        const int width = ui::GetSystemMetrics(ui::SM_CXSCREEN);
        MakeBarPicture(width);
        faces_ = LoadPicture("Btn_pnl.bmp");
        RefreshStates();
        DrawButtons();
        ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, width, kToolBarHeight,
                         ui::SWP_NOZORDER | ui::SWP_NOMOVE);
        BuildGameMenu();
    }

    // The frame widens the bar with the screen (a window maximised after the game's windows
    // were made): the picture grows with it, the buttons stay where they are.
    void OnSize(int width) {
        if (!bar_ || width <= bar_->GetWidth()) return;
        MakeBarPicture(width);
        DrawButtons();
        ui::InvalidateRect(Handle(), nullptr, false);
    }

    void MakeBarPicture(int width) {
        bar_ = fw::Dib::CreateBlank(Handle(), width, kToolBarHeight, shell::GetPaletteTableC());
        fw::FillRectColor(Handle(), bar_.get(), 0, 0, width + 1, kToolBarHeight + 1, kBarColor);
    }

    void RefreshStates() {
        const int map = shell::GetMapOption();
        for (int r = 1; r <= 4; ++r) buttons_[r].state = uint8_t(map == r - 1);
        buttons_[0].state = 0;
        buttons_[5].state = 0;
        buttons_[13].state = 0;
        buttons_[6].state = uint8_t(shell::GetMapFrame() != 0);
        buttons_[7].state = uint8_t(shell::GetLader() != 0);
        buttons_[8].state = uint8_t(shell::GetSupply() != 0);
        buttons_[9].state = uint8_t(shell::GetMove() != 0);
        buttons_[10].state = uint8_t(shell::GetTroop() != 0);
        buttons_[11].state = uint8_t(shell::GetInfo() != 0);
        buttons_[12].state = uint8_t(shell::GetDispPanel() != 0);
    }

    void DrawButtons() {
        if (!bar_ || !faces_ || !faces_->HasBits()) return;
        for (const ToolButton& b : buttons_) {
            fw::HvDIBitBlt(bar_.get(), b.x, b.y, b.width, b.height, faces_.get(), b.sourceX,
                           b.sourceY + (b.state ? b.height : 0), 0);
        }
    }

    int RowAt(int x, int y) const {
        for (int r = 0; r < kToolButtonCount; ++r) {
            const ToolButton& b = buttons_[r];
            if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height) return r;
        }
        return -1;
    }

    void StopTip() {
        ui::KillTimer(Handle(), kToolTipTimer);
        if (ui::Hwnd tip = FrameStatusControl()) ui::ShowWindow(tip, ui::SW_HIDE);
        tipPending_ = false;
        tipPoint_ = {-1, -1};
    }

    void BuildGameMenu() {
        fightMenu_ = ui::CreatePopupMenu();
        ui::AppendMenu(fightMenu_, ui::MF_STRING, shell::kCmdFightMine, MenuText("自国"));
        ui::AppendMenu(fightMenu_, ui::MF_STRING, shell::kCmdFightOther, MenuText("他国"));
        ui::AppendMenu(fightMenu_, ui::MF_STRING, shell::kCmdFightSimple, MenuText("簡易表示"));
        soundMenu_ = ui::CreatePopupMenu();
        ui::AppendMenu(soundMenu_, ui::MF_STRING, shell::kCmdBgm, MenuText("BGM"));
        ui::AppendMenu(soundMenu_, ui::MF_STRING, shell::kCmdSound, MenuText("効果音"));
        menu_ = ui::CreatePopupMenu();
        ui::AppendMenu(menu_, ui::MF_STRING, shell::kCmdAlliance, MenuText("同盟設定"));
        ui::AppendMenu(menu_, ui::MF_POPUP, ui::MenuToParam(fightMenu_), MenuText("戦闘表示"));
        ui::AppendMenu(menu_, ui::MF_POPUP, ui::MenuToParam(soundMenu_), MenuText("サウンド"));
        ui::AppendMenu(menu_, ui::MF_STRING, shell::kCmdNetSaveGame, MenuText("ゲーム保存"));
        ui::AppendMenu(menu_, ui::MF_STRING, shell::kCmdNetReturnToTitle, MenuText("タイトルに戻る"));
        ui::AppendMenu(menu_, ui::MF_STRING, shell::kCmdAbout, MenuText("バージョン情報"));
        ui::AppendMenu(menu_, ui::MF_SEPARATOR, 0, "");
        ui::AppendMenu(menu_, ui::MF_STRING, shell::kCmdQuit, MenuText("ゲーム終了"));
    }

    void FreeGameMenu() {
        // The top menu owns its popups.
        if (menu_) ui::DestroyMenu(menu_);
        menu_ = fightMenu_ = soundMenu_ = ui::Hmenu{};
    }

    void ShowGameMenu() {
        PrepareGameMenu();
        const ToolButton& b = buttons_[0];
        ui::Point corner{b.x, b.y + b.height};
        ui::ClientToScreen(Handle(), &corner);
        ui::TrackPopupMenu(menu_, ui::TPM_LEFTBUTTON, corner.x, corner.y, 0,
                           shell::GetWindowOfKind(shell::WindowKind::FrameWnd), nullptr);
    }

    void OnButtonUp(int x, int y) {
        ui::ReleaseCapture();
        if (!MayPress() || pressedId_ == 0) return;
        const int row = RowAt(x, y);
        const int id = (row >= 0 && buttons_[row].id == pressedId_) ? pressedId_ : 0;
        if (id == kToolMenuButton) {
            ShowGameMenu();
        } else if (id != 0) {
            ui::SendMessage(shell::GetWindowOfKind(shell::WindowKind::FrameWnd), ui::WM_COMMAND,
                            ui::WParam(buttons_[row].command), 0);
        }
        RefreshStates();
        DrawButtons();
        InvalidateAndUpdate(Handle());
        pressedId_ = 0;
    }

    void OnButtonDown(int x, int y) {
        if (!MayPress()) return;
        if (tipPending_) StopTip();
        const int row = RowAt(x, y);
        if (row < 0) return;
        buttons_[row].state = 1;
        pressedId_ = buttons_[row].id;
        ui::SetCapture(Handle());
        DrawButtons();
        InvalidateAndUpdate(Handle());
    }

    void OnMouseMove(int x, int y) {
        if (ResultWindowVisible() || tipPending_) return;
        const int row = RowAt(x, y);
        if (row < 0) return;
        tipPending_ = true;
        tipPoint_ = {x, y};
        if (ui::Hwnd tip = FrameStatusControl()) {
            const std::string sjis = core::Utf8ToSjis(buttons_[row].tip);
            ui::MoveWindow(tip, x, y + 16, 8 * int(sjis.size()), 14, true);
            ui::SetWindowText(tip, sjis);
        }
        ui::SetTimer(Handle(), kToolTipTimer, 200);
    }

    // The tip stays while the pointer stays near where it appeared.
    void OnTipTimer() {
        ui::Point p{};
        ui::GetCursorPos(&p);
        ui::ScreenToClient(Handle(), &p);
        const ui::Hwnd tip = FrameStatusControl();
        if (std::abs(p.x - tipPoint_.x) < 10 && std::abs(p.y - tipPoint_.y) < 10) {
            // Above the frame's other children (the map client), which lie under the bar.
            if (tip && !ui::IsWindowVisible(tip))
                ui::SetWindowPos(tip, ui::HWND_TOP, 0, 0, 0, 0,
                                 ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_SHOWWINDOW);
        } else {
            StopTip();
        }
    }

    std::array<ToolButton, kToolButtonCount> buttons_ = kButtons;
    std::unique_ptr<fw::Dib> bar_;
    std::unique_ptr<fw::Dib> faces_;
    int pressedId_ = 0;
    bool tipPending_ = false;
    ui::Point tipPoint_{-1, -1};
    ui::Hmenu menu_, fightMenu_, soundMenu_;
};

ToolBar* ToolBarOf(ui::Hwnd bar) {
    return bar ? ui::WindowObjectOf<ToolBar>(bar, kClass) : nullptr;
}

}  // namespace

const std::array<ToolButton, kToolButtonCount>& ToolButtons() {
    return kButtons;
}

const std::array<ToolButton, kToolButtonCount>& ToolButtons(ui::Hwnd bar) {
    const ToolBar* object = ToolBarOf(bar);
    return object ? object->Buttons() : kButtons;
}

void SetToolBarHooks(ToolBarHooks hooks) {
    gHooks = std::move(hooks);
}

void SetToolPanelEnabled(int flag) {
    gEnabled = flag;
}
int IsToolPanelEnabled() {
    return gEnabled;
}

ui::Hmenu PrepareToolBarGameMenu(ui::Hwnd bar) {
    ToolBar* object = ToolBarOf(bar);
    return object ? object->PrepareGameMenu() : ui::Hmenu{};
}

bool RegisterToolBarClass() {
    return RegisterPanelClass(kClass, ui::WindowObjectProc<ToolBar>);
}

ui::Hwnd CreateZvToolWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterToolBarClass()) return {};
    return ui::CreateWindowEx(0, kClass, "", style | ui::WS_CHILD | ui::WS_VISIBLE, 0, 0,
                              ui::GetSystemMetrics(ui::SM_CXSCREEN), kToolBarHeight, parent, menu,
                              nullptr, nullptr);
}

ui::Hwnd CreateBorderedStatic(ui::Hwnd parent, int x, int y, int width, int height) {
    return ui::CreateWindowEx(ui::WS_EX_TOPMOST, "STATIC", "",
                              ui::WS_CHILD | ui::WS_BORDER | ui::SS_CENTER, x, y, width, height,
                              parent, 0, nullptr, nullptr);
}

}  // namespace zv::panels
