#include "shell/game/WindowClasses.h"

#include "mapview/GraspMapView.h"
#include "mapview/MapViewWindows.h"
#include "mapview/SelMapEditWindow.h"
#include "organize/DragDrop.h"
#include "organize/TroopDisplay.h"
#include "panels/CommandWindow.h"
#include "panels/HelperWindow.h"
#include "panels/HqWindow.h"
#include "panels/ToolBar.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "shell/ChatWindow.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameMessages.h"
#include "shell/skin/SkinControls.h"

namespace zv::shell {

namespace {

std::vector<GameWindowModule>& Modules() {
    static std::vector<GameWindowModule> modules;
    return modules;
}

bool RegisterOnce(const ui::WindowClass& wc) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(wc.name, &existing)) return true;
    return ui::RegisterClass(wc);
}

void DestroyKind(WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    if (h) ui::DestroyWindow(h);
    SetWindowOfKind(kind, ui::Hwnd{});
}

// The classes that no window of the game is made of yet: a background and a cursor, and the
// default handling of every message.
constexpr ui::ColorRef kLightGray = 0xC0C0C0;
constexpr ui::ColorRef kBlack = 0x000000;

class PlainWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) { return Default(msg, w, l); }
};

class PlainMdiChild : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        return ui::DefMDIChildProc(Handle(), msg, w, l);
    }
};

ui::WindowClass PlainClass(const char* name, ui::ColorRef background, bool arrow, void* instance,
                           bool mdiChild = false) {
    ui::WindowClass wc;
    wc.name = name;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = mdiChild ? ui::WindowObjectProc<PlainMdiChild> : ui::WindowObjectProc<PlainWindow>;
    wc.windowExtraBytes = 4;
    wc.instance = instance;
    if (arrow) wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    wc.hasBackground = true;
    wc.background = background;
    return wc;
}

void MdiDestroyKind(ui::Hwnd client, WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    if (h) ui::SendMessage(client, ui::WM_MDIDESTROY, ui::WParam(h.value), 0);
    SetWindowOfKind(kind, ui::Hwnd{});
}

}  // namespace

const char* GetFrameClassName() {
    return kFrameClassName;
}

std::string GetFrameTitle() {
    return core::Utf8ToSjis(kGameTitleUtf8);
}

void AddGameWindowModule(GameWindowModule module) {
    Modules().push_back(std::move(module));
}

void ClearGameWindowModules() {
    Modules().clear();
}

const std::vector<GameWindowModule>& GameWindowModules() {
    return Modules();
}

int RegisterWindowClasses(void* instance) {
    ui::WindowClass frame;
    frame.name = kFrameClassName;
    frame.style = ui::CS_HREDRAW | ui::CS_VREDRAW | ui::CS_OWNDC;
    frame.proc = HEZVGameFrameWindowProc;
    frame.windowExtraBytes = 4;
    frame.instance = instance;
    frame.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    frame.hasBackground = true;
    frame.background = ui::Rgb(128, 128, 128);
    if (!RegisterOnce(frame)) return 0;

    // Every class of the game's windows, in one place and order; a class whose window is made
    // later is there from the start all the same.
    const auto registered = [](const char* name) {
        ui::WindowClass wc;
        return ui::GetClassInfo(name, &wc);
    };
    mapview::RegisterMapViewClasses();
    mapview::RegisterSelMapEditWindow();
    mapview::RegisterGraspWindowClass();
    const bool ok =
        RegisterOnce(PlainClass(kOrganizeWindowClass, kLightGray, true, instance)) &&
        registered(mapview::kRealViewWindowClass) && registered(kSelMapEditWindowClass) &&
        RegisterOnce(PlainClass(kBackWindowClass, kBlack, false, instance)) &&
        RegisterOnce(PlainClass(kSelGameWindowClass, kLightGray, false, instance)) &&
        RegisterOnce(PlainClass(kSelPaletteWindowClass, kLightGray, true, instance, true)) &&
        panels::RegisterHqWindowClass() && organize::RegisterTrashBoxWindow() != 0 &&
        organize::RegisterTroopDisplayClasses() != 0 && panels::RegisterCommandWindowClass() &&
        registered(mapview::kRealChileViewWindowClass) && RegisterChatWindowClass() &&
        registered(mapview::kNowGraspWindowClass) && panels::RegisterToolBarClass() &&
        panels::RegisterHelperWindowClass() && registered(mapview::kChileOpeningViewWindowClass);
    if (!ok) return 0;
    if (!skin::RegisterSkinControls(instance)) return 0;
    for (const GameWindowModule& m : Modules()) {
        if (m.registerClasses && !m.registerClasses()) return 0;
    }
    return 1;
}

ui::Hwnd CreateFrameWindow(void* instance, bool music) {
    FrameCreateParams params;
    params.music = music;
    constexpr uint32_t style = ui::WS_CLIPCHILDREN | ui::WS_MAXIMIZE | ui::WS_SYSMENU |
                               ui::WS_THICKFRAME | ui::WS_MINIMIZEBOX | ui::WS_MAXIMIZEBOX |
                               ui::WS_CAPTION;
    return ui::CreateWindowEx(0, kFrameClassName, GetFrameTitle(), style, ui::CW_USEDEFAULT,
                              ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::Hwnd{},
                              0, instance, &params);
}

ui::Hwnd CreateRealViewWindow(void* instance, ui::Hwnd mdiClient) {
    constexpr uint32_t style = ui::WS_CHILD | ui::WS_CLIPCHILDREN | ui::WS_HSCROLL |
                               ui::WS_VSCROLL | ui::WS_CAPTION | ui::WS_SYSMENU |
                               ui::WS_THICKFRAME | ui::WS_MINIMIZEBOX | ui::WS_MAXIMIZEBOX;
    return ui::CreateMDIWindow(mapview::kRealViewWindowClass, core::Utf8ToSjis("地図").c_str(),
                               style, ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                               ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                               ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                               ui::MdiCreateStruct::CW_USEDEFAULT_MDI, mdiClient, instance, 0);
}

int CreateGameWindows(ui::Hwnd frame, ui::Hwnd mdiClient) {
    // The two transfer progress windows wait hidden over the frame.
    const ui::Hwnd receive = CreateReceiveProgressDialog(frame);
    if (receive) ui::ShowWindow(receive, ui::SW_HIDE);
    SetWindowOfKind(WindowKind::ReceverParaWd, receive);
    const ui::Hwnd send = CreateSendProgressDialog(frame);
    if (send) ui::ShowWindow(send, ui::SW_HIDE);
    SetWindowOfKind(WindowKind::TransFaParaWd, send);

    for (WindowKind k : {WindowKind::TreeViewWnd, WindowKind::TreeViewWnd2, WindowKind::TroopListView,
                         WindowKind::LandBaseInfoWnd, WindowKind::TerToolWnd, WindowKind::SelToolWnd}) {
        SetWindowOfKind(k, ui::Hwnd{});
    }
    for (const GameWindowModule& m : Modules()) {
        if (m.createWindows) m.createWindows(frame, mdiClient);
    }
    // Docked windows lose their caption and live in the MDI client.
    for (WindowKind k : {WindowKind::TableGroopWnd, WindowKind::PanelManeger}) {
        const ui::Hwnd h = GetWindowOfKind(k);
        if (!h) continue;
        uint32_t style = static_cast<uint32_t>(ui::GetWindowLong(h, ui::GWL_STYLE));
        if (style & ui::WS_POPUP) style = (style & ~ui::WS_POPUP) | ui::WS_CHILD;
        style &= ~ui::WS_CAPTION;
        ui::SetWindowLong(h, ui::GWL_STYLE, static_cast<int32_t>(style));
        ui::SetParent(h, mdiClient);
    }
    RememberDockedWindows(frame);
    return 1;
}

void HideGameWindows() {
    static constexpr WindowKind kOrder[] = {
        WindowKind::HqWnd,          WindowKind::UnitListWnd,     WindowKind::SiteListWnd,
        WindowKind::CampInfoWnd,    WindowKind::TroopNumListWnd, WindowKind::UnitKindListWnd,
        WindowKind::LandListWnd,    WindowKind::LandBaseInfoWnd, WindowKind::TroopListWnd,
        WindowKind::SelToolWnd,     WindowKind::TerToolWnd,      WindowKind::TreeViewWnd,
        WindowKind::TreeViewWnd2,   WindowKind::TroopListView,   WindowKind::TableGroopWnd,
        WindowKind::AriaInfo,       WindowKind::NewsWnd,         WindowKind::HelperWindow,
        WindowKind::ResultWnd,      WindowKind::CommandWnd,      WindowKind::UnitSinpleInfo,
        WindowKind::TerrainInfo,    WindowKind::PauseWnd,        WindowKind::MessageWnd,
        WindowKind::SpeedWnd,       WindowKind::PanelManeger,    WindowKind::RealManager,
    };
    for (WindowKind k : kOrder) {
        const ui::Hwnd h = GetWindowOfKind(k);
        if (h) ui::ShowWindow(h, ui::SW_HIDE);
    }
}

int DestroyGameWindows(ui::Hwnd mdiClient) {
    for (auto it = Modules().rbegin(); it != Modules().rend(); ++it) {
        if (it->destroyWindows) it->destroyWindows();
    }
    DestroyKind(WindowKind::TransFaParaWd);
    DestroyKind(WindowKind::ReceverParaWd);
    DestroyKind(WindowKind::HqWnd);
    DestroyKind(WindowKind::LandBaseInfoWnd);
    if (mdiClient) {
        for (WindowKind k : {WindowKind::TreeViewWnd, WindowKind::TreeViewWnd2, WindowKind::TroopListView}) {
            MdiDestroyKind(mdiClient, k);
        }
    }
    DestroyKind(WindowKind::ChatWindow);
    if (mdiClient) {
        for (WindowKind k : {WindowKind::CampInfoWnd, WindowKind::SiteListWnd, WindowKind::TroopNumListWnd,
                             WindowKind::TroopListWnd, WindowKind::UnitKindListWnd, WindowKind::LandListWnd,
                             WindowKind::UnitListWnd, WindowKind::NewsWnd}) {
            MdiDestroyKind(mdiClient, k);
        }
    }
    for (WindowKind k : {WindowKind::TableGroopWnd, WindowKind::AriaInfo, WindowKind::HelperWindow,
                         WindowKind::ResultWnd, WindowKind::CommandWnd, WindowKind::UnitSinpleInfo,
                         WindowKind::TerrainInfo, WindowKind::PauseWnd, WindowKind::MessageWnd,
                         WindowKind::SpeedWnd, WindowKind::PanelManeger, WindowKind::RealManager,
                         WindowKind::SelToolWnd, WindowKind::TerToolWnd, WindowKind::NowGraspWnd}) {
        DestroyKind(k);
    }
    if (mdiClient) ui::DestroyWindow(mdiClient);
    SetWindowOfKind(WindowKind::MdiWnd, ui::Hwnd{});
    return 1;
}

void CheckMenuByWindowVisible(ui::Hwnd window, int command) {
    const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd);
    const ui::Hmenu menu = ui::GetMenu(frame);
    if (!menu) return;
    const bool visible = window && ui::IsWindowVisible(window);
    ui::CheckMenuItem(menu, static_cast<uint32_t>(command),
                      ui::MF_BYCOMMAND | (visible ? ui::MF_CHECKED : ui::MF_UNCHECKED));
}

}  // namespace zv::shell
