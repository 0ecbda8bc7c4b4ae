// The panel column in a frame: which panels the PaneConf mask stacks and where, the manager's
// own rectangle, the relays of the panel messages, and dialog 606 driven with the mouse.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/UnitPanel.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/SystemMetrics.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;

// A stand-in for the HQ panel, which another part of the program draws: it remembers the
// refresh the layout sends it.
std::vector<uint32_t> gHqMessages;
ui::LResult HqStandInProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_SHOWWINDOW && w == 0 && l == 0) gHqMessages.push_back(msg);
    if (msg == WM_LAYOUT_PANELS) gHqMessages.push_back(msg);
    return ui::DefWindowProc(h, msg, w, l);
}

class PanelManagerTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        ui::WindowClass wc;
        wc.name = "HqStandIn";
        wc.proc = HqStandInProc;
        wc.hasBackground = true;
        wc.background = ui::Rgb(30, 60, 40);
        ui::RegisterClass(wc);
        gHqMessages.clear();
        // The HQ panel comes with its caption, as the frame creates it; the manager strips it.
        hq = ui::CreateWindowEx(0, "HqStandIn", "HQ", ui::WS_POPUP | ui::WS_CAPTION, 0, 0, 196, 150,
                                frame, 0, nullptr, nullptr);
        shell::SetWindowOfKind(K::HqWnd, hq);
        manager = CreatePanelWindows(frame, ui::WS_CHILD);
        ASSERT_TRUE(manager);
        ui::SetWindowPos(manager, ui::Hwnd{}, 828, 0, 10, 10, ui::SWP_NOZORDER);
    }

    ui::Rect RectIn(ui::Hwnd h, ui::Hwnd parent) {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        ui::Point a{r.left, r.top}, b{r.right, r.bottom};
        ui::ScreenToClient(parent, &a);
        ui::ScreenToClient(parent, &b);
        return {a.x, a.y, b.x, b.y};
    }

    ui::Hwnd hq{};
    ui::Hwnd manager{};
};

TEST_F(PanelManagerTest, AdoptsThePanelsAsPlainChildrenAndStaysHiddenUntilTheFirstLayout) {
    EXPECT_FALSE(ui::IsWindowVisible(manager));
    for (const PanelEntry& row : PanelTable()) {
        const ui::Hwnd panel = shell::GetWindowOfKind(row.kind);
        ASSERT_TRUE(panel) << row.kind;
        EXPECT_EQ(ui::GetParent(panel), manager) << row.kind;
        const uint32_t style = uint32_t(ui::GetWindowLong(panel, ui::GWL_STYLE));
        EXPECT_FALSE(style & ui::WS_POPUP) << row.kind;
        EXPECT_TRUE(style & ui::WS_CHILD) << row.kind;
        EXPECT_EQ(style & ui::WS_CAPTION, 0u) << row.kind;
    }
}

TEST_F(PanelManagerTest, PaneConfDecidesWhichPanelsStackFromTheTop) {
    struct Case {
        int paneConf;
        std::vector<K> shown;  // top down
    };
    const Case cases[] = {
        {62,
         {K::UnitSinpleInfo, K::CommandWnd, K::TerrainInfo, K::PauseWnd, K::MessageWnd,
          K::SpeedWnd}},
        {0, {K::SpeedWnd}},
        {127,
         {K::HqWnd, K::UnitSinpleInfo, K::CommandWnd, K::TerrainInfo, K::PauseWnd, K::MessageWnd,
          K::SpeedWnd}},
        {64, {K::SpeedWnd}},
        {1 | 32, {K::HqWnd, K::MessageWnd, K::SpeedWnd}},
        // Bits above the seven rows change nothing.
        {0xFF00 | 8, {K::TerrainInfo, K::SpeedWnd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paneConf);
        shell::PutPaneConf(c.paneConf);
        gHqMessages.clear();
        ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
        int y = 0;
        for (K kind : c.shown) {
            const ui::Hwnd panel = shell::GetWindowOfKind(kind);
            EXPECT_TRUE(ui::IsWindowVisible(panel)) << int(kind);
            const ui::Rect r = RectIn(panel, manager);
            EXPECT_EQ(r.left, 0) << int(kind);
            EXPECT_EQ(r.top, y) << int(kind);
            y = r.bottom;
        }
        for (const PanelEntry& row : PanelTable()) {
            const bool listed =
                std::find(c.shown.begin(), c.shown.end(), K(row.kind)) != c.shown.end();
            if (!listed) {
                EXPECT_FALSE(ui::IsWindowVisible(shell::GetWindowOfKind(row.kind))) << row.kind;
            }
        }
        // The HQ panel is refreshed with WM_SHOWWINDOW (0, 0), never with the panels' message.
        if (c.paneConf & 1) {
            EXPECT_FALSE(gHqMessages.empty());
        }
        EXPECT_EQ(std::count(gHqMessages.begin(), gHqMessages.end(), WM_LAYOUT_PANELS), 0);
        // The column keeps its x, starts below the top strip and runs down the frame.
        EXPECT_TRUE(ui::IsWindowVisible(manager));
        const ui::Rect m = RectIn(manager, frame);
        EXPECT_EQ(m.left, 828);
        EXPECT_EQ(m.top, kPanelColumnTop);
        EXPECT_EQ(m.right - m.left, kPanelColumnWidth);
        EXPECT_EQ(m.bottom - m.top, 768);
    }
    shell::PutPaneConf(62);
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    Shot("panels_column_default");
}

TEST_F(PanelManagerTest, ACaptionedManagerGetsAFrameSizedWindowAroundTheSameClientWidth) {
    ui::SetWindowLong(
        manager, ui::GWL_STYLE,
        int32_t(uint32_t(ui::GetWindowLong(manager, ui::GWL_STYLE)) | ui::WS_CAPTION));
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    const ui::Rect m = RectIn(manager, frame);
    EXPECT_EQ(m.right - m.left, kPanelColumnWidth + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME));
    EXPECT_EQ(m.bottom - m.top, 768 + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) +
                                    ui::GetSystemMetrics(ui::SM_CYCAPTION));
}

TEST_F(PanelManagerTest, PanelMessagesReachThePanelThatShowsThem) {
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    const std::string news = core::Utf8ToSjis("第001司令部が攻撃を受けました");
    ui::SendMessage(manager, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(news.c_str()));
    EXPECT_EQ(std::string(GetMessagePanelText()), news);
    ui::SendMessage(manager, WM_PANEL_MESSAGE, 0, 0);
    EXPECT_EQ(std::string(GetMessagePanelText()), "");

    ui::SendMessage(manager, WM_PANEL_WAIT_MASK, 0x0105, 0);
    EXPECT_EQ(GetPauseWaitMask(), 0x05);

    ui::SendMessage(manager, WM_PANEL_SHOW_CELL, 7, 0x00030002);
    uint16_t troop = 0;
    int owner = 0, land = 0;
    GetTerrainPanelCell(&troop, &owner, &land);
    EXPECT_EQ(troop, 7);
    EXPECT_EQ(owner, 2);
    EXPECT_EQ(land, 3);

    const uint16_t own = FindTroop(0);
    ui::SendMessage(manager, WM_PANEL_SHOW_TROOP, own, 0);
    EXPECT_EQ(GetUnitPanelState().troop, own);
    ui::SendMessage(manager, WM_PANEL_SHOW_TROOP, own, 1);
    EXPECT_EQ(GetUnitPanelState().troop, rules::kNoTroop);

    for (int q : {1, 2, 3, 0}) {
        ui::SendMessage(manager, WM_PANEL_LINK_QUALITY, ui::WParam(q), 0);
        EXPECT_EQ(GetStoredLinkQuality(), q);
    }
    // The clock only repaints the speed panel: nothing moves.
    const ui::Rect before = RectIn(shell::GetWindowOfKind(K::SpeedWnd), manager);
    ui::SendMessage(manager, WM_PANEL_CLOCK, 0, 0);
    const ui::Rect after = RectIn(shell::GetWindowOfKind(K::SpeedWnd), manager);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.left, after.left);
}

TEST_F(PanelManagerTest, ClosingAPanelAsksTheFrameAndKeepsThePanel) {
    struct Case {
        K kind;
        int command;
    };
    const Case cases[] = {{K::UnitSinpleInfo, 40090}, {K::TerrainInfo, 40091},
                          {K::PauseWnd, 40092},       {K::MessageWnd, 40093},
                          {K::SpeedWnd, 40094},       {K::PanelManeger, 40095}};
    for (const Case& c : cases) {
        testing::gFrameCommands.clear();
        const ui::Hwnd panel = shell::GetWindowOfKind(c.kind);
        ui::SendMessage(panel, ui::WM_CLOSE, 0, 0);
        EXPECT_EQ(testing::gFrameCommands, std::vector<int>{c.command}) << int(c.kind);
        EXPECT_TRUE(ui::IsWindow(panel)) << int(c.kind);
    }
}

TEST_F(PanelManagerTest, ARelayToAnEmptySlotGoesNowhere) {
    ui::DestroyWindow(shell::GetWindowOfKind(K::MessageWnd));
    const std::string text = "x";
    EXPECT_EQ(
        ui::SendMessage(manager, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(text.c_str())),
        0);
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    EXPECT_TRUE(ui::IsWindowVisible(shell::GetWindowOfKind(K::SpeedWnd)));
}

TEST_F(PanelManagerTest, DialogTemplateFitsTheScreens) {
    RegisterPanelDialogs();
    ui::DialogTemplate t;
    ASSERT_TRUE(ui::DialogRegistry::Global().Find(kPanelConfigDialog, &t));
    for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << p;
}

// Dialog 606 opened with the speed panel's button; `act` runs inside it.
class PanelDialogTest : public PanelManagerTest {
  protected:
    void OpenAndAct(std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 77, 20, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAct) gAct(ui::GetActiveWindow());
        });
        ClickAt(shell::GetWindowOfKind(K::SpeedWnd), 100, 10);
        screen->SetAutoAdvance(false);
        gAct = nullptr;
    }
    void ClickItem(ui::Hwnd dlg, int id) {
        ui::Rect r{};
        ui::GetWindowRect(ui::GetDlgItem(dlg, id), &r);
        screen->Click(r.left + 4, (r.top + r.bottom) / 2);
    }
    static inline std::function<void(ui::Hwnd)> gAct;
};

TEST_F(PanelDialogTest, TogglesTakeEffectAtOnceAndCancelRestoresTheOpeningMask) {
    shell::PutPaneConf(62);
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    std::vector<int> seen;
    bool busyWhileOpen = false;
    bool terrainHiddenWhileOpen = false;
    bool speedBoxOffered = true;
    OpenAndAct([&](ui::Hwnd dlg) {
        busyWhileOpen = (game.Sim().GetBusyMask() & 1) != 0;
        speedBoxOffered = bool(ui::GetDlgItem(dlg, 10660));
        EXPECT_EQ(ui::IsDlgButtonChecked(dlg, 10657), 1u);
        EXPECT_EQ(ui::IsDlgButtonChecked(dlg, 10654), 0u);
        ClickItem(dlg, 10657);  // terrain off
        ClickItem(dlg, 10654);  // HQ on
        Pump();
        seen.push_back(shell::GetPaneConf());
        terrainHiddenWhileOpen = !ui::IsWindowVisible(shell::GetWindowOfKind(K::TerrainInfo));
        Shot("panels_dialog_606");
        ClickItem(dlg, 2);
    });
    EXPECT_TRUE(busyWhileOpen);
    EXPECT_FALSE(speedBoxOffered);
    EXPECT_EQ(seen, std::vector<int>{62 ^ 8 ^ 1});
    EXPECT_TRUE(terrainHiddenWhileOpen);
    EXPECT_EQ(shell::GetPaneConf(), 62);
    EXPECT_TRUE(ui::IsWindowVisible(shell::GetWindowOfKind(K::TerrainInfo)));
    EXPECT_FALSE(ui::IsWindowVisible(hq));
    EXPECT_EQ(game.Sim().GetBusyMask() & 1, 0u);
}

TEST_F(PanelDialogTest, OkKeepsTheToggledMask) {
    shell::PutPaneConf(62);
    ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
    OpenAndAct([&](ui::Hwnd dlg) {
        ClickItem(dlg, 10659);  // message panel off
        ClickItem(dlg, 1);
    });
    EXPECT_EQ(shell::GetPaneConf(), 62 ^ 32);
    EXPECT_FALSE(ui::IsWindowVisible(shell::GetWindowOfKind(K::MessageWnd)));
}

}  // namespace
}  // namespace zv::panels
