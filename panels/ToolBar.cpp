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
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "simulation/Simulation.h"
#include "simulation/Judgement.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "zvToolWindow";
constexpr ui::ColorRef kBarColor = 0xBFBFBF;

// Frame menu commands of the game menu.
constexpr int IDM_ALLIANCE = 40122;
constexpr int IDM_FIGHT_MINE = 40130;
constexpr int IDM_FIGHT_OTHER = 40131;
constexpr int IDM_FIGHT_SIMPLE = 40124;
constexpr int IDM_BGM = 40126;
constexpr int IDM_SOUND = 40127;
constexpr int IDM_SAVE_GAME = 40133;
constexpr int IDM_TO_TITLE = 40132;
constexpr int IDM_VERSION = 40026;
constexpr int IDM_QUIT = 40012;

constexpr int kMenuPosAlliance = 0;
constexpr int kMenuPosFight = 1;

std::array<ToolButton, kToolButtonCount> gButtons = {{
    {42501, 384, 60, 48, 16, 0, 2, 0, 0, "ファイルメニュー"},
    {42502, 176, 60, 16, 16, 50, 2, 0, 40058, "標準地図表示"},
    {42503, 192, 60, 16, 16, 66, 2, 0, 40059, "白地図表示"},
    {42504, 208, 60, 16, 16, 84, 2, 0, 40061, "グリーンディスプレイ表示"},
    {42505, 224, 60, 16, 16, 100, 2, 0, 40060, "ボード表示"},
    {42506, 336, 60, 16, 16, 128, 2, 0, 40113, "地図サイズ変更"},
    {42507, 352, 60, 16, 16, 148, 2, 0, 40072, "ヘックス枠表示"},
    {42508, 304, 60, 16, 16, 168, 2, 0, 40117, "レーダー範囲表示"},
    {42514, 368, 60, 16, 16, 188, 2, 0, 40070, "補給線表示"},
    {42509, 240, 60, 16, 16, 208, 2, 0, 40115, "移動経路表示"},
    {42510, 256, 60, 16, 16, 228, 2, 0, 40116, "部隊情報表示"},
    {42511, 272, 60, 16, 16, 248, 2, 0, 40056, "情報表示"},
    {42512, 288, 60, 16, 16, 268, 2, 0, 40095, "操作パネル表示"},
    {42515, 432, 60, 16, 16, 308, 2, 0, 40083, "ヘルプ"},
}};

struct ToolBarState {
    std::unique_ptr<fw::Dib> bar;
    std::unique_ptr<fw::Dib> faces;
    int pressedId = 0;
    int modeRowBefore = -1;  // the display-mode row drawn pressed when the press began
    bool tipPending = false;
    ui::Point tipPoint{-1, -1};
    int enabled = 1;
    ui::Hmenu menu, fightMenu, soundMenu;
    ToolBarHooks hooks;
} gBar;

bool ResultWindowVisible() {
    const ui::Hwnd result = shell::GetWindowOfKind(shell::WindowKind::ResultWnd);
    return result && ui::IsWindowVisible(result);
}

// The bar takes clicks only in a running game that is not busy with something modal.
bool MayPress() {
    if (ResultWindowVisible()) return false;
    if (gBar.hooks.isMainMenuOpen && gBar.hooks.isMainMenuOpen()) return false;
    if (gBar.hooks.isAnimationIdle && !gBar.hooks.isAnimationIdle()) return false;
    return gBar.enabled != 0;
}

void RefreshStates() {
    const int map = shell::GetMapOption();
    for (int r = 1; r <= 4; ++r) gButtons[r].state = uint8_t(map == r - 1);
    gButtons[0].state = 0;
    gButtons[5].state = 0;
    gButtons[13].state = 0;
    gButtons[6].state = uint8_t(shell::GetMapFrame() != 0);
    gButtons[7].state = uint8_t(shell::GetLader() != 0);
    gButtons[8].state = uint8_t(shell::GetSupply() != 0);
    gButtons[9].state = uint8_t(shell::GetMove() != 0);
    gButtons[10].state = uint8_t(shell::GetTroop() != 0);
    gButtons[11].state = uint8_t(shell::GetInfo() != 0);
    gButtons[12].state = uint8_t(shell::GetDispPanel() != 0);
}

void DrawButtons() {
    if (!gBar.bar || !gBar.faces || !gBar.faces->HasBits()) return;
    for (const ToolButton& b : gButtons) {
        fw::HvDIBitBlt(gBar.bar.get(), b.x, b.y, b.width, b.height, gBar.faces.get(), b.sourceX,
                       b.sourceY + (b.state ? b.height : 0), 0);
    }
}

int RowAt(int x, int y) {
    for (int r = 0; r < kToolButtonCount; ++r) {
        const ToolButton& b = gButtons[r];
        if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height) return r;
    }
    return -1;
}

void StopTip(ui::Hwnd h) {
    ui::KillTimer(h, kToolTipTimer);
    if (gBar.hooks.frameStatusControl) {
        if (ui::Hwnd tip = gBar.hooks.frameStatusControl()) ui::ShowWindow(tip, ui::SW_HIDE);
    }
    gBar.tipPending = false;
    gBar.tipPoint = {-1, -1};
}

// Menu texts are Shift-JIS, as every text of the window layer.
std::string Item(const char* utf8) {
    return core::Utf8ToSjis(utf8);
}

void BuildGameMenu() {
    gBar.fightMenu = ui::CreatePopupMenu();
    ui::AppendMenu(gBar.fightMenu, ui::MF_STRING, IDM_FIGHT_MINE, Item("自国"));
    ui::AppendMenu(gBar.fightMenu, ui::MF_STRING, IDM_FIGHT_OTHER, Item("他国"));
    ui::AppendMenu(gBar.fightMenu, ui::MF_STRING, IDM_FIGHT_SIMPLE, Item("簡易表示"));
    gBar.soundMenu = ui::CreatePopupMenu();
    ui::AppendMenu(gBar.soundMenu, ui::MF_STRING, IDM_BGM, Item("BGM"));
    ui::AppendMenu(gBar.soundMenu, ui::MF_STRING, IDM_SOUND, Item("効果音"));
    gBar.menu = ui::CreatePopupMenu();
    ui::AppendMenu(gBar.menu, ui::MF_STRING, IDM_ALLIANCE, Item("同盟設定"));
    ui::AppendMenu(gBar.menu, ui::MF_POPUP, ui::MenuToParam(gBar.fightMenu), Item("戦闘表示"));
    ui::AppendMenu(gBar.menu, ui::MF_POPUP, ui::MenuToParam(gBar.soundMenu), Item("サウンド"));
    ui::AppendMenu(gBar.menu, ui::MF_STRING, IDM_SAVE_GAME, Item("ゲーム保存"));
    ui::AppendMenu(gBar.menu, ui::MF_STRING, IDM_TO_TITLE, Item("タイトルに戻る"));
    ui::AppendMenu(gBar.menu, ui::MF_STRING, IDM_VERSION, Item("バージョン情報"));
    ui::AppendMenu(gBar.menu, ui::MF_SEPARATOR, 0, "");
    ui::AppendMenu(gBar.menu, ui::MF_STRING, IDM_QUIT, Item("ゲーム終了"));
}

void FreeGameMenu() {
    // The top menu owns its popups.
    if (gBar.menu) ui::DestroyMenu(gBar.menu);
    gBar.menu = gBar.fightMenu = gBar.soundMenu = ui::Hmenu{};
}

uint32_t Grayed(bool grayed) {
    return grayed ? ui::MF_GRAYED : ui::MF_ENABLED;
}
uint32_t Checked(bool checked) {
    return checked ? ui::MF_CHECKED : ui::MF_UNCHECKED;
}

void ShowGameMenu(ui::Hwnd h) {
    PrepareToolBarGameMenu();
    const ToolButton& b = gButtons[0];
    ui::Point corner{b.x, b.y + b.height};
    ui::ClientToScreen(h, &corner);
    ui::TrackPopupMenu(gBar.menu, ui::TPM_LEFTBUTTON, corner.x, corner.y, 0,
                       shell::GetWindowOfKind(shell::WindowKind::FrameWnd), nullptr);
}

void OnButtonUp(ui::Hwnd h, int x, int y) {
    ui::ReleaseCapture();
    if (!MayPress() || gBar.pressedId == 0) return;
    const int row = RowAt(x, y);
    const int id = (row >= 0 && gButtons[row].id == gBar.pressedId) ? gBar.pressedId : 0;
    if (id == kToolMenuButton) {
        ShowGameMenu(h);
    } else if (id != 0) {
        ui::SendMessage(shell::GetWindowOfKind(shell::WindowKind::FrameWnd), ui::WM_COMMAND,
                        ui::WParam(gButtons[row].command), 0);
    }
    RefreshStates();
    DrawButtons();
    InvalidateAndUpdate(h);
    gBar.pressedId = 0;
}

void OnButtonDown(ui::Hwnd h, int x, int y) {
    if (!MayPress()) return;
    if (gBar.tipPending) StopTip(h);
    gBar.modeRowBefore = -1;
    for (int r = 1; r <= 4; ++r)
        if (gButtons[r].state) gBar.modeRowBefore = r;
    const int row = RowAt(x, y);
    if (row < 0) return;
    gButtons[row].state = 1;
    gBar.pressedId = gButtons[row].id;
    ui::SetCapture(h);
    DrawButtons();
    InvalidateAndUpdate(h);
}

void OnMouseMove(ui::Hwnd h, int x, int y) {
    if (ResultWindowVisible() || gBar.tipPending) return;
    const int row = RowAt(x, y);
    if (row < 0) return;
    gBar.tipPending = true;
    gBar.tipPoint = {x, y};
    if (gBar.hooks.frameStatusControl) {
        if (ui::Hwnd tip = gBar.hooks.frameStatusControl()) {
            const std::string sjis = core::Utf8ToSjis(gButtons[row].tip);
            ui::MoveWindow(tip, x, y + 16, 8 * int(sjis.size()), 14, true);
            ui::SetWindowText(tip, sjis);
        }
    }
    ui::SetTimer(h, kToolTipTimer, 200);
}

// The tip stays while the pointer stays near where it appeared.
void OnTipTimer(ui::Hwnd h) {
    ui::Point p{};
    ui::GetCursorPos(&p);
    ui::ScreenToClient(h, &p);
    ui::Hwnd tip = gBar.hooks.frameStatusControl ? gBar.hooks.frameStatusControl() : ui::Hwnd{};
    if (std::abs(p.x - gBar.tipPoint.x) < 10 && std::abs(p.y - gBar.tipPoint.y) < 10) {
        // Above the frame's other children (the map client), which lie under the bar.
        if (tip && !ui::IsWindowVisible(tip))
            ui::SetWindowPos(tip, ui::HWND_TOP, 0, 0, 0, 0,
                             ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_SHOWWINDOW);
    } else {
        StopTip(h);
    }
}

ui::LResult ToolBarProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE: {
            const int width = ui::GetSystemMetrics(ui::SM_CXSCREEN);
            gBar.bar = fw::Dib::CreateBlank(h, width, kToolBarHeight, shell::GetPaletteTableC());
            fw::FillRectColor(h, gBar.bar.get(), 0, 0, width + 1, kToolBarHeight + 1, kBarColor);
            gBar.faces = LoadPicture("Btn_pnl.bmp");
            gBar.pressedId = 0;
            RefreshStates();
            DrawButtons();
            ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, width, kToolBarHeight,
                             ui::SWP_NOZORDER | ui::SWP_NOMOVE);
            BuildGameMenu();
            gBar.tipPending = false;
            gBar.tipPoint = {-1, -1};
            return 0;
        }
        case ui::WM_DESTROY:
            ui::KillTimer(h, kToolTipTimer);
            gBar.bar.reset();
            gBar.faces.reset();
            FreeGameMenu();
            return 0;
        case ui::WM_PAINT:
            fw::PaintWindowFromBitmap(h, gBar.bar.get());
            return 0;
        case ui::WM_SIZE: {
            // The frame widens the bar with the screen (a window maximised after the game's
            // windows were made): the picture grows with it, the buttons stay where they are.
            const int width = int(ui::LoWord(static_cast<uintptr_t>(l)));
            if (gBar.bar && width > gBar.bar->GetWidth()) {
                gBar.bar = fw::Dib::CreateBlank(h, width, kToolBarHeight, shell::GetPaletteTableC());
                fw::FillRectColor(h, gBar.bar.get(), 0, 0, width + 1, kToolBarHeight + 1, kBarColor);
                DrawButtons();
                ui::InvalidateRect(h, nullptr, false);
            }
            return 0;
        }
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_MOUSEMOVE:
            OnMouseMove(h, ui::GetXLParam(l), ui::GetYLParam(l));
            return 0;
        case ui::WM_TIMER:
            if (w == kToolTipTimer) {
                OnTipTimer(h);
                return 1;
            }
            break;
        case ui::WM_LBUTTONDOWN:
            OnButtonDown(h, ui::GetXLParam(l), ui::GetYLParam(l));
            return 0;
        case ui::WM_LBUTTONUP:
            OnButtonUp(h, ui::GetXLParam(l), ui::GetYLParam(l));
            return 0;
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

}  // namespace

const std::array<ToolButton, kToolButtonCount>& ToolButtons() {
    return gButtons;
}

void SetToolBarHooks(ToolBarHooks hooks) {
    gBar.hooks = std::move(hooks);
}

void SetToolPanelEnabled(int flag) {
    gBar.enabled = flag;
}
int IsToolPanelEnabled() {
    return gBar.enabled;
}

ui::Hmenu PrepareToolBarGameMenu() {
    if (!gBar.menu) return {};
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
    ui::EnableMenuItem(gBar.menu, kMenuPosAlliance,
                       ui::MF_BYPOSITION | Grayed(single || spectator || fallen));
    ui::EnableMenuItem(gBar.menu, IDM_SAVE_GAME, ui::MF_BYCOMMAND | Grayed(!host));
    ui::EnableMenuItem(gBar.menu, kMenuPosFight, ui::MF_BYPOSITION | Grayed(spectator || fallen));
    const bool mine = shell::GetFightMine() != 0, other = shell::GetFightOther() != 0;
    ui::CheckMenuItem(gBar.fightMenu, IDM_FIGHT_MINE, Checked(mine));
    ui::CheckMenuItem(gBar.fightMenu, IDM_FIGHT_OTHER, Checked(other));
    const bool simpleOn = mine || other;
    ui::EnableMenuItem(gBar.fightMenu, IDM_FIGHT_SIMPLE, Grayed(!simpleOn));
    ui::CheckMenuItem(gBar.fightMenu, IDM_FIGHT_SIMPLE,
                      Checked(simpleOn && shell::GetFightSimple() != 0));
    ui::CheckMenuItem(gBar.soundMenu, IDM_BGM, Checked(shell::GetBgm() == 1));
    const bool sound = fw::IsSoundAvailable() != 0;
    ui::EnableMenuItem(gBar.soundMenu, IDM_SOUND, Grayed(!sound));
    ui::CheckMenuItem(gBar.soundMenu, IDM_SOUND, Checked(sound && shell::GetSound() == 1));
    return gBar.menu;
}

bool RegisterToolBarClass() {
    return RegisterPanelClass(kClass, ToolBarProc);
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
