#include "panels/TableGroup.h"

#include <memory>

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "mapview/MapAreaInfoWindow.h"
#include "panels/InfoWindows.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelManager.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/context/GameContext.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/Palettes.h"
#include "shell/PictureHelpers.h"
#include "shell/ShellTables.h"
#include "shell/WindowRegistry.h"
#include "shell/skin/SkinControls.h"

namespace zv::panels {

namespace {

using K = shell::WindowKind;

constexpr const char* kGroupClass = "TableGroupWindow";
constexpr const char* kContentsClass = "UnitContensWindow";
constexpr int kContentsWidth = 224;
constexpr int kContentsHeight = 160;

const TableGroupTab kTabs[kTableGroupTabCount] = {
    {"部隊表", int(K::TroopListWnd)}, {"NEWS", int(K::NewsWnd)},
    {"兵器表", int(K::UnitListWnd)},  {"増援", int(K::HelperWindow)},
    {"陣営", int(K::CampInfoWnd)},    {"地形", int(K::LandListWnd)},
};

ui::Hwnd PageOf(int tab) {
    return shell::GetWindowOfKind(kTabs[tab].kind);
}

// A page loses its popup bit, its caption and its sizing frame and moves into the tab control.
void TakeOverPage(ui::Hwnd page, ui::Hwnd tabs) {
    uint32_t style = uint32_t(ui::GetWindowLong(page, ui::GWL_STYLE));
    if (style & ui::WS_POPUP) style = (style & ~ui::WS_POPUP) | ui::WS_CHILD;
    style &= ~(ui::WS_CAPTION | ui::WS_THICKFRAME);
    ui::SetWindowLong(page, ui::GWL_STYLE, int32_t(style));
    ui::SetParent(page, tabs);
}

// The group window: the tab control, its font and the page shown.
class TableGroup : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    int CurrentTab() const { return group_.current; }

  private:
    // The current page fills the tab control's display area.
    void FitCurrentPage() {
        const ui::Hwnd page = PageOf(group_.current);
        if (!page || !group_.tabs) return;
        ui::Rect r{};
        ui::GetClientRect(group_.tabs, &r);
        ui::SendMessage(group_.tabs, ui::TCM_ADJUSTRECT, 0, reinterpret_cast<ui::LParam>(&r));
        ui::SetWindowPos(page, ui::Hwnd{}, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         ui::SWP_NOZORDER | ui::SWP_FRAMECHANGED);
    }

    // Shows the current page (when it exists) and hides every other one.
    void ShowCurrentPageOnly() {
        for (int t = 0; t < kTableGroupTabCount; ++t) {
            const ui::Hwnd page = PageOf(t);
            if (page && t != group_.current) ui::ShowWindow(page, ui::SW_HIDE);
        }
        if (const ui::Hwnd page = PageOf(group_.current)) {
            FitCurrentPage();
            ui::ShowWindow(page, ui::SW_SHOWNORMAL);
        }
    }

    void CreateGroup(ui::Hwnd h) {
        group_.current = 0;
        group_.previous = 0;
        group_.tabs = ui::CreateWindowEx(0, ui::kTabControlClass, "", 0x56010000, 0, 0, 400, 300, h,
                                         IDC_TABLE_GROUP_TABS, nullptr, nullptr);
        for (int t = 0; t < kTableGroupTabCount; ++t) {
            std::string name = core::Utf8ToSjis(kTabs[t].name);
            ui::TcItem item;
            item.mask = ui::TCIF_TEXT;
            item.pszText = name.data();
            ui::SendMessage(group_.tabs, ui::TCM_INSERTITEMA, ui::WParam(t),
                            reinterpret_cast<ui::LParam>(&item));
        }
        group_.font = fw::CreateJapaneseFont(12, 1, 1);
        ui::SendMessage(group_.tabs, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(&group_.font), 0);
        ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 423, 328, ui::SWP_NOZORDER | ui::SWP_NOMOVE);
        ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 423, 309 + ui::GetSystemMetrics(ui::SM_CYCAPTION),
                         ui::SWP_NOZORDER);
        for (int t = 0; t < kTableGroupTabCount; ++t)
            if (const ui::Hwnd page = PageOf(t)) TakeOverPage(page, group_.tabs);
        if (PageOf(group_.current)) {
            ui::SetWindowPos(h, ui::Hwnd{}, 0, 22, 202, ui::GetSystemMetrics(ui::SM_CYSCREEN) - 22,
                             ui::SWP_NOZORDER);
            ui::ShowWindow(h, ui::SW_HIDE);
        }
    }

  public:
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE:
                CreateGroup(h);
                return 0;
            case ui::WM_SIZE: {
                ui::Rect r{};
                ui::GetClientRect(h, &r);
                if (group_.tabs)
                    ui::SetWindowPos(group_.tabs, ui::Hwnd{}, 0, 0, r.right, r.bottom,
                                     ui::SWP_NOZORDER);
                FitCurrentPage();
                return 1;
            }
            case ui::WM_SHOWWINDOW:
                if (w != 0 && PageOf(group_.current)) ShowCurrentPageOnly();
                break;
            case ui::WM_NOTIFY: {
                const auto* n = reinterpret_cast<const ui::NmHdr*>(l);
                if (n != nullptr && n->idFrom == IDC_TABLE_GROUP_TABS &&
                    n->code == ui::TCN_SELCHANGE) {
                    const int sel = int(ui::SendMessage(group_.tabs, ui::TCM_GETCURSEL, 0, 0));
                    // A selection the control cannot have keeps the page shown now.
                    if (sel >= 0 && sel < kTableGroupTabCount) group_.current = sel;
                    ShowCurrentPageOnly();
                    group_.previous = group_.current;
                    return 1;
                }
                break;
            }
            case ui::WM_CLOSE:
                if (const ui::Hwnd frame = shell::GetWindowOfKind(K::FrameWnd))
                    ui::SendMessage(frame, ui::WM_COMMAND, IDM_TABLE_GROUP, 0);
                return 0;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_DESTROY:
                group_.font = ui::Font{};
                group_.tabs = ui::Hwnd{};
                return 0;
            default:
                break;
        }
        return Default(msg, w, l);
    }

  private:
    struct {
        ui::Hwnd tabs{};
        ui::Font font;
        int current = 0;
        int previous = 0;
    } group_;
};

ui::LResult GroupProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TableGroup>(h, msg, w, l);
}

// ---- the unit contents window -----------------------------------------------------------------

rules::TableDirectory* ContentsTables() {
    if (rules::TableDirectory* t = shell::GetShellTables()) return t;
    return PanelTables();
}

bool FrameChecksUnitContents() {
    const ui::Hwnd frame = shell::GetWindowOfKind(K::FrameWnd);
    if (!frame) return false;
    const ui::Hmenu menu = ui::GetMenu(frame);
    if (!menu) return false;
    const uint32_t state = ui::GetMenuState(menu, IDM_UNIT_CONTENTS, ui::MF_BYCOMMAND);
    return state != 0xFFFFFFFFu && (state & ui::MF_CHECKED) != 0;
}

// The troop index on the cursor hex: -1 when the cursor selects no hex, kNoTroopIndex without a troop.
int CursorHexTroop() {
    rules::TableDirectory* tables = ContentsTables();
    if (tables == nullptr) return -1;
    const uint32_t pos = shell::GetCursorHex();
    rules::GameContext ctx(*tables);
    if (!ctx.SelectHexInfoXY(int(ui::LoWord(pos)), int(ui::HiWord(pos)))) return -1;
    return ctx.GetHexTroopIndex();
}

void PaintUnitContents(ui::Hwnd h) {
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(h, &ps);
    const int troop = CursorHexTroop();
    if (dc != nullptr && troop >= 0) {
        bool drawLine = troop == rules::kNoTroopIndex;
        if (troop != rules::kNoTroopIndex) {
            rules::TroopCursor t(*ContentsTables());
            rules::UnitInfoCursor unit(*ContentsTables());
            if (t.Select(uint16_t(troop))) {
                drawLine = true;
                int y = 16;
                for (int s = 0; s < 6; ++s) {
                    const int16_t id = t.GetMemberUnit(s);
                    if (id == -1) continue;
                    // A member whose unit does not select keeps its row, without picture or name.
                    if (unit.Select(id)) {
                        shell::DrawCategoryIconDC(dc, unit.GetUnitKind(), 48, y, 4);
                        fw::DrawTextWithFont(dc, 68, y + 3, unit.GetName(), 12, 1, 0xFFFFFF);
                    }
                    y += 16;
                }
            }
        }
        if (drawLine) {
            fw::DrawPolyline(dc, 16, 16, 48, 112, 0, 1, 0xFFFFFF);
            fw::DrawPolyline(dc, 48, 112, 222, 112, 0, 1, 0xFFFFFF);
        }
    }
    ui::EndPaint(h, &ps);
}

// Mouse actions go through to the map window as if this window were not there.
void PassToMap(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd map = shell::GetWindowOfKind(K::MapWnd);
    if (!map) return;
    ui::Point p{ui::GetXLParam(l), ui::GetYLParam(l)};
    ui::ClientToScreen(h, &p);
    ui::ScreenToClient(map, &p);
    if (msg != ui::WM_MOUSEMOVE && ui::GetFocus() != map) ui::SetFocus(map);
    ui::SendMessage(map, msg, w, ui::LParam(uint32_t(uint16_t(p.x)) | uint32_t(uint16_t(p.y)) << 16));
}

// The unit contents window: the size of its picture.
class UnitContents : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    fw::Dib* Picture() const { return dib_.get(); }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE:
                dib_ = fw::Dib::CreateBlank(kContentsWidth, kContentsHeight,
                                            shell::GetPaletteTableC());
                ui::MoveWindow(h, 200, 200, kContentsWidth, kContentsHeight, true);
                ShowUnitContents(h, 0, 0);
                return 0;
            case ui::WM_PAINT:
                PaintUnitContents(h);
                return 0;
            case ui::WM_MOUSEMOVE:
            case ui::WM_LBUTTONDOWN:
            case ui::WM_RBUTTONDOWN:
                PassToMap(h, msg, w, l);
                return 0;
            case WM_SHOW_UNIT_CONTENTS:
                ShowUnitContents(h, ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_DESTROY:
                dib_.reset();
                return 0;
            default:
                break;
        }
        return Default(msg, w, l);
    }

  private:
    std::unique_ptr<fw::Dib> dib_;
};

ui::LResult ContentsProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<UnitContents>(h, msg, w, l);
}

}  // namespace

const TableGroupTab* TableGroupTabs() {
    return kTabs;
}

int GetTableGroupTab() {
    const auto* group =
        ui::WindowObjectOf<TableGroup>(shell::GetWindowOfKind(K::TableGroopWnd), kGroupClass);
    return group ? group->CurrentTab() : 0;
}

ui::Hwnd CreateTableGroupWindow(void* instance, ui::Hwnd parent) {
    (void)instance;
    return ui::CreateWindowEx(0, kGroupClass, core::Utf8ToSjis("表集合").c_str(),
                              ui::WS_CHILD | ui::WS_CLIPCHILDREN, ui::CW_USEDEFAULT,
                              ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, parent, 0,
                              nullptr, nullptr);
}

ui::Hwnd CreateUnitContensWindow(void* instance, ui::Hwnd parent) {
    (void)instance;
    if (!RegisterPanelClass(kContentsClass, ContentsProc)) return {};
    return ui::CreateWindowEx(0, kContentsClass, core::Utf8ToSjis("部隊内容").c_str(), 0x82000001,
                              ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT,
                              ui::CW_USEDEFAULT, parent, 0, nullptr, nullptr);
}

void ShowUnitContents(ui::Hwnd window, int x, int y) {
    const int troop = CursorHexTroop();
    if (troop < 0 || !FrameChecksUnitContents()) {
        ui::ShowWindow(window, ui::SW_HIDE);
        return;
    }
    if (troop != rules::kNoTroopIndex) {
        const auto* contents = ui::WindowObjectOf<UnitContents>(window, kContentsClass);
        fw::Dib* dib = contents ? contents->Picture() : nullptr;
        const int w = dib ? dib->GetWidth() : kContentsWidth;
        const int hgt = dib ? dib->GetHeight() : kContentsHeight;
        ui::SetWindowPos(window, ui::Hwnd{}, x, y, w, hgt,
                         ui::SWP_NOZORDER | ui::SWP_NOREDRAW | ui::SWP_NOACTIVATE);
        ui::ShowWindow(window, ui::SW_SHOWNA);
    } else {
        ui::ShowWindow(window, ui::SW_HIDE);
    }
    ui::InvalidateRect(window, nullptr, false);
    ui::UpdateWindow(window);
}

int RegisterTableGroupClasses(void* instance) {
    using Step = bool (*)(void*);
    static const Step kSteps[] = {
        [](void*) { return RegisterInfoWindowClass(InfoWindowClass::Camp); },
        [](void*) { return RegisterInfoWindowClass(InfoWindowClass::Site); },
        [](void*) { return RegisterInfoWindowClass(InfoWindowClass::TroopNum); },
        [](void*) { return RegisterInfoWindowClass(InfoWindowClass::UnitKind); },
        [](void*) { return RegisterInfoWindowClass(InfoWindowClass::LandList); },
        [](void*) { return RegisterLightGrayClass(kGroupClass, GroupProc); },
        [](void*) { return RegisterPanelClass(kContentsClass, ContentsProc); },
        [](void* i) { return mapview::RegisterMapAreaInfoWindow(i) != 0; },
        [](void*) { return RegisterNewsWindowClass(); },
        [](void*) { return RegisterResultWindowClass(); },
        [](void*) { return RegisterRealFightClass(); },
        [](void*) { return RegisterRealFight2Class(); },
        [](void*) { return RegisterRealManagerClass(); },
        [](void*) { return RegisterUnitSimpleInfoClass(); },
        [](void*) { return RegisterLandSimpleInfoClass(); },
        [](void*) { return RegisterPauseClass(); },
        [](void*) { return RegisterMessageClass(); },
        [](void*) { return RegisterSpeedClass(); },
        [](void*) { return RegisterPanelManagerClass(); },
        [](void* i) { return shell::skin::RegisterPackButtonCtlWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterLandButtonCtlWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterScrollCtlWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterListBoxWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterComboBoxWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterVScrollBarWindow(i) != 0; },
        [](void* i) { return shell::skin::RegisterBackButtonWIndow(i) != 0; },
        [](void* i) { return shell::skin::RegisterNextButtonWIndow(i) != 0; },
    };
    for (const Step step : kSteps)
        if (!step(instance)) return 0;
    return 1;
}

}  // namespace zv::panels
