#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/InfoWindows.h"
#include "panels/TableGroup.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/controls/CommonControls.h"
#include "shell/PictureHelpers.h"

namespace zv::panels {
namespace {

using testing::PanelsTest;
using K = shell::WindowKind;

// The messages the stand-in map window received, with their points.
struct MapCall {
    uint32_t msg;
    ui::WParam w;
    int x, y;
};
std::vector<MapCall> gMapCalls;

ui::LResult MapProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_MOUSEMOVE || msg == ui::WM_LBUTTONDOWN || msg == ui::WM_RBUTTONDOWN)
        gMapCalls.push_back({msg, w, int16_t(ui::GetXLParam(l)), int16_t(ui::GetYLParam(l))});
    return ui::DefWindowProc(h, msg, w, l);
}

// A page as the program makes it before the group takes it over: a captioned, sizable popup.
ui::LResult PageProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DefWindowProc(h, msg, w, l);
}

class TableGroupTest : public PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        gMapCalls.clear();
        ASSERT_EQ(RegisterTableGroupClasses(nullptr), 1);
        for (const char* name : {"TestMapWindow", "TestPageWindow"}) {
            ui::WindowClass wc;
            wc.name = name;
            wc.proc = std::string(name) == "TestMapWindow" ? MapProc : PageProc;
            wc.hasBackground = true;
            wc.background = ui::Rgb(30, 90, 40);
            ui::RegisterClass(wc);
        }
    }

    ui::Hwnd MakePage(K kind) {
        const ui::Hwnd page = ui::CreateWindowEx(
            0, "TestPageWindow", "page", ui::WS_POPUP | ui::WS_CAPTION | ui::WS_THICKFRAME, 10,
            10, 100, 100, frame, 0, nullptr, nullptr);
        shell::SetWindowOfKind(kind, page);
        return page;
    }

    ui::Hwnd MakeMap() {
        const ui::Hwnd map = ui::CreateWindowEx(0, "TestMapWindow", "map",
                                                ui::WS_CHILD | ui::WS_VISIBLE, 0, 22, 800, 700,
                                                frame, 0, nullptr, nullptr);
        shell::SetWindowOfKind(K::MapWnd, map);
        return map;
    }

    // The frame's menu with "部隊内容表示" checked or not.
    void SetUnitContentsChecked(bool on) {
        ui::Hmenu bar = ui::GetMenu(frame);
        if (!bar) {
            bar = ui::CreateMenu();
            const ui::Hmenu view = ui::CreatePopupMenu();
            ui::AppendMenu(view, ui::MF_STRING, IDM_UNIT_CONTENTS, core::Utf8ToSjis("部隊内容表示"));
            ui::AppendMenu(bar, ui::MF_POPUP, ui::MenuToParam(view), core::Utf8ToSjis("表示"));
            ui::SetMenu(frame, bar);
        }
        ui::CheckMenuItem(bar, IDM_UNIT_CONTENTS, on ? ui::MF_CHECKED : ui::MF_UNCHECKED);
    }

    // Clicks the tab's middle.
    // Clicks a tab, first scrolling the narrow row with its arrows (at the row's right end,
    // squares as high as a tab) until the tab shows whole.
    void ClickTab(ui::Hwnd tabs, int tab) {
        ui::Rect c{};
        ui::GetClientRect(tabs, &c);
        auto rect = [&] {
            ui::Rect r{};
            EXPECT_EQ(ui::SendMessage(tabs, ui::TCM_GETITEMRECT, ui::WParam(tab),
                                      reinterpret_cast<ui::LParam>(&r)),
                      1);
            return r;
        };
        for (int clicks = 0; clicks < 8; ++clicks) {
            const ui::Rect r = rect();
            const int arrow = r.bottom - r.top;
            if (r.left < c.left) {
                ClickAt(tabs, c.right - arrow - arrow / 2, (r.top + r.bottom) / 2);
            } else if (r.right > c.right - 2 * arrow) {
                ClickAt(tabs, c.right - arrow / 2, (r.top + r.bottom) / 2);
            } else {
                break;
            }
        }
        const ui::Rect r = rect();
        ClickAt(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_F(TableGroupTest, TakesOverExistingPagesAndShowsOneAtATimeSizedToTheDisplayArea) {
    // All pages but the reinforcements (tab 3) exist.
    const K kinds[6] = {K::TroopListWnd, K::NewsWnd, K::UnitListWnd, K::HelperWindow,
                        K::CampInfoWnd, K::LandListWnd};
    for (int t = 0; t < kTableGroupTabCount; ++t) {
        EXPECT_EQ(TableGroupTabs()[t].kind, int(kinds[t]));
        if (t == 4) {
            CreateCampInfoWindow(mdiClient, true);  // the real camp and terrain pages
        } else if (t == 5) {
            CreateLandListWindow(mdiClient, true);
        } else if (t != 3) {
            MakePage(kinds[t]);
        }
    }
    const ui::Hwnd group = CreateTableGroupWindow(nullptr, frame);
    ASSERT_TRUE(group);
    shell::SetWindowOfKind(K::TableGroopWnd, group);
    const ui::Hwnd tabs = ui::GetDlgItem(group, IDC_TABLE_GROUP_TABS);
    ASSERT_TRUE(tabs);
    EXPECT_EQ(ui::SendMessage(tabs, ui::TCM_GETITEMCOUNT, 0, 0), 6);

    // Docked at (0, 22), 202 wide, hidden until the frame shows it.
    EXPECT_FALSE(ui::IsWindowVisible(group));
    ui::Rect wr{};
    ui::GetWindowRect(group, &wr);
    EXPECT_EQ(wr.left, 0);
    EXPECT_EQ(wr.top, 22);
    EXPECT_EQ(wr.right - wr.left, 202);

    for (int t = 0; t < 6; ++t) {
        const ui::Hwnd page = shell::GetWindowOfKind(kinds[t]);
        if (!page) continue;
        const uint32_t style = uint32_t(ui::GetWindowLong(page, ui::GWL_STYLE));
        EXPECT_EQ(style & (ui::WS_POPUP | ui::WS_CAPTION | ui::WS_THICKFRAME), 0u) << t;
        EXPECT_NE(style & ui::WS_CHILD, 0u) << t;
        EXPECT_EQ(ui::GetParent(page), tabs) << t;
    }

    ui::ShowWindow(group, ui::SW_SHOWNORMAL);
    // The frame docks the column beside the MDI client; here it simply lies over it.
    ui::BringWindowToTop(group);
    Pump();
    auto visiblePages = [&] {
        std::vector<int> shown;
        for (int t = 0; t < 6; ++t) {
            const ui::Hwnd page = shell::GetWindowOfKind(kinds[t]);
            if (page && ui::IsWindowVisible(page)) shown.push_back(t);
        }
        return shown;
    };
    EXPECT_EQ(visiblePages(), std::vector<int>{0});

    struct Case {
        int tab;
        std::vector<int> shown;
    };
    const Case cases[] = {{1, {1}}, {3, {}}, {4, {4}}, {5, {5}}, {0, {0}}};
    for (const Case& c : cases) {
        // The last tab lies past the narrow column: the row's arrows scroll to it and back.
        ClickTab(tabs, c.tab);
        EXPECT_EQ(GetTableGroupTab(), c.tab);
        EXPECT_EQ(visiblePages(), c.shown) << "tab " << c.tab;
        if (c.shown.empty()) continue;
        // The page fills the display area of the tab control.
        ui::Rect display{};
        ui::GetClientRect(tabs, &display);
        ui::SendMessage(tabs, ui::TCM_ADJUSTRECT, 0, reinterpret_cast<ui::LParam>(&display));
        ui::Rect pr{};
        ui::GetWindowRect(shell::GetWindowOfKind(kinds[c.tab]), &pr);
        ui::Point origin{display.left, display.top};
        ui::ClientToScreen(tabs, &origin);
        EXPECT_EQ(pr.left, origin.x) << c.tab;
        EXPECT_EQ(pr.top, origin.y) << c.tab;
        EXPECT_EQ(pr.right - pr.left, display.right - display.left) << c.tab;
        EXPECT_EQ(pr.bottom - pr.top, display.bottom - display.top) << c.tab;
    }
    ClickTab(tabs, 4);
    Shot("panels_table_group");

    // Closing asks the frame instead.
    testing::gFrameCommands.clear();
    ui::SendMessage(group, ui::WM_CLOSE, 0, 0);
    EXPECT_TRUE(ui::IsWindow(group));
    EXPECT_EQ(testing::gFrameCommands, std::vector<int>{IDM_TABLE_GROUP});
}

TEST_F(TableGroupTest, RegistersEveryClassOfTheTablesPanelsAndSkinnedControls) {
    for (const char* name :
         {"CampInfoWindow", "SiteInfoWindow", "TroopNumWindow", "UnitKindWindow",
          "LandListWindow", "TableGroupWindow", "UnitContensWindow", "NewsWindow",
          "ResultWindow", "RealFightWindow", "RealFight2Window", "RealManagerWindow",
          "UnitSimpleInfoWindow", "LandSimpleInfoWindow", "PauseWindow", "MessageWindow",
          "SpeedWindow", "PanelManagerWindow", "PackButtonCtlWindow", "LandButtonCtlWindow",
          "ScrollCtlWindow", "ListBoxWindow", "ComboBoxWindow", "VScrollBarWindow",
          "BackButtonWIndow", "NextButtonWIndow"}) {
        ui::WindowClass wc;
        ASSERT_TRUE(ui::GetClassInfo(name, &wc)) << name;
        EXPECT_EQ(wc.windowExtraBytes, 4) << name;
    }
    // Again: every class is there already, which is no failure.
    EXPECT_EQ(RegisterTableGroupClasses(nullptr), 1);
}

class UnitContentsTest : public TableGroupTest {
  protected:
    // A troop on the map with three members, placed by its formation in slots 0, 3 and 5.
    uint16_t SpreadTroop() {
        rules::TroopCursor t(game.Tables());
        for (uint16_t i = 0; i < 160; ++i) {
            if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.IsOnMap()) continue;
            std::vector<uint8_t> members;
            rules::TroopRecord* r = t.GetRecord();
            auto& formation = r->Formation(r->CurrentFormation());
            for (int s = 0; s < 6; ++s)
                if (t.GetMemberUnit(s) != -1) members.push_back(formation.MemberMap(s));
            if (members.size() < 3) continue;
            for (int s = 0; s < 6; ++s) formation.SetMemberMap(s, 0xFF);
            formation.SetMemberMap(0, members[0]);
            formation.SetMemberMap(3, members[1]);
            formation.SetMemberMap(5, members[2]);
            return i;
        }
        ADD_FAILURE() << "no troop with three members";
        return 0;
    }
};

TEST_F(UnitContentsTest, ShowsAtThePointOnlyOverATroopWhileTheMenuItemIsChecked) {
    MakeMap();
    SetUnitContentsChecked(true);
    const uint16_t troop = FindTroop(0);
    rules::TroopCursor t(game.Tables());
    t.Select(troop);
    const int tx = t.GetHexValue() & 0xFF, ty = t.GetHexValue() >> 8;
    rules::GameContext ctx(game.Tables());
    int ex = -1, ey = -1;  // a hex without a troop
    for (int y = 0; y < 64 && ex < 0; ++y)
        for (int x = 0; x < 64 && ex < 0; ++x)
            if (ctx.SelectHexInfoXY(x, y) && ctx.GetHexTroopIndex() == rules::kNoTroopIndex)
                ex = x, ey = y;
    ASSERT_GE(ex, 0);

    const ui::Hwnd contents = CreateUnitContensWindow(nullptr, frame);
    ASSERT_TRUE(contents);
    struct Case {
        int x, y;
        bool checked;
        bool visible;
    };
    const Case cases[] = {
        {tx, ty, true, true},    // a troop: shown
        {ex, ey, true, false},   // no troop: hidden
        {tx, ty, true, true},
        {tx, ty, false, false},  // "部隊内容表示" unchecked: hidden at the next show
        {300, 300, true, false}, // no hex under the pointer
    };
    for (const Case& c : cases) {
        shell::SetCursorHex(c.x, c.y);
        SetUnitContentsChecked(c.checked);
        ui::SendMessage(contents, WM_SHOW_UNIT_CONTENTS, 0, ui::LParam(340 | 260 << 16));
        EXPECT_EQ(ui::IsWindowVisible(contents), c.visible) << c.x << "," << c.y << " " << c.checked;
        if (!c.visible) continue;
        ui::Rect r{};
        ui::GetWindowRect(contents, &r);
        EXPECT_EQ(r.left, 340);
        EXPECT_EQ(r.top, 260);
        EXPECT_EQ(r.right - r.left, 224);
        EXPECT_EQ(r.bottom - r.top, 160);
    }

    // Without a map window the cursor selects no hex.
    shell::SetCursorHex(tx, ty);
    SetUnitContentsChecked(true);
    ui::DestroyWindow(shell::GetWindowOfKind(K::MapWnd));
    shell::SetWindowOfKind(K::MapWnd, {});
    ui::SendMessage(contents, WM_SHOW_UNIT_CONTENTS, 0, ui::LParam(340 | 260 << 16));
    EXPECT_FALSE(ui::IsWindowVisible(contents));
}

TEST_F(UnitContentsTest, ListsTheMembersInConsecutiveRowsAndPassesClicksToTheMap) {
    const ui::Hwnd map = MakeMap();
    SetUnitContentsChecked(true);
    const uint16_t troop = SpreadTroop();
    rules::TroopCursor t(game.Tables());
    t.Select(troop);
    shell::SetCursorHex(t.GetHexValue() & 0xFF, t.GetHexValue() >> 8);
    const ui::Hwnd contents = CreateUnitContensWindow(nullptr, frame);
    ui::SendMessage(contents, WM_SHOW_UNIT_CONTENTS, 0, ui::LParam(300 | 200 << 16));
    ASSERT_TRUE(ui::IsWindowVisible(contents));
    ui::InvalidateRect(contents, nullptr, false);
    ui::UpdateWindow(contents);
    Shot("panels_unit_contents");

    // Three members: icons at rows 16, 32, 48 and nothing at row 64.
    // The window paints no background: a row is drawn when its icon cell differs from the
    // untouched left margin of the same row.
    auto rowDrawn = [&](int y) {
        const uint32_t margin = screen->PixelAt(300 + 4, 200 + y + 8);
        for (int dx = 0; dx < 16; ++dx)
            for (int dy = 0; dy < 16; ++dy)
                if (screen->PixelAt(300 + 48 + dx, 200 + y + dy) != margin) return true;
        return false;
    };
    wm->Flush();
    EXPECT_TRUE(rowDrawn(16));
    EXPECT_TRUE(rowDrawn(32));
    EXPECT_TRUE(rowDrawn(48));
    EXPECT_FALSE(rowDrawn(64));
    // The leader line runs along y 112 to the right edge.
    EXPECT_EQ(screen->PixelAt(300 + 150, 200 + 112), 0xFFFFFFu);

    // A click on the window reaches the map at the same screen point and focuses it.
    ui::SetFocus(frame);
    ASSERT_EQ(ui::WindowFromPoint({400, 330}), contents);
    screen->Click(300 + 100, 200 + 130);
    Pump();
    ui::Point mapOrigin = Origin(map);
    bool sawClick = false;
    for (const MapCall& c : gMapCalls)
        if (c.msg == ui::WM_LBUTTONDOWN) {
            sawClick = true;
            EXPECT_EQ(c.x, 400 - mapOrigin.x);
            EXPECT_EQ(c.y, 330 - mapOrigin.y);
        }
    EXPECT_TRUE(sawClick);
    EXPECT_EQ(ui::GetFocus(), map);
    screen->Click(300 + 10, 200 + 10, ui::MouseButton::Right);
    Pump();
    EXPECT_EQ(gMapCalls.back().msg, ui::WM_RBUTTONDOWN);
}

}  // namespace
}  // namespace zv::panels
