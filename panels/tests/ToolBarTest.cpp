#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "panels/ToolBar.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Menu.h"
#include "shell/FrameCommands.h"

namespace zv::panels::testing {
namespace {

class ToolBarTest : public PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        SetToolBarHooks({});
        SetToolPanelEnabled(1);
        bar = CreateZvToolWindow(nullptr, frame, 0, 0);
        ASSERT_TRUE(bar);
        Pump();
    }
    void TearDown() override {
        SetToolBarHooks({});
        SetToolPanelEnabled(1);
        PanelsTest::TearDown();
    }
    void ClickRow(int row) {
        const ToolButton& b = ToolButtons()[row];
        ClickAt(bar, b.x + b.width / 2, b.y + b.height / 2);
    }
    // The bar's pixels over button `row` against the face in the sheet (pressed or not).
    bool DrawnAs(int row, bool pressed) {
        wm->Flush();
        fw::Dib sheet("Btn_pnl.bmp");
        const ToolButton& b = ToolButtons()[row];
        const ui::Point o = Origin(bar);
        int compared = 0;
        for (int y = 0; y < b.height; ++y) {
            for (int x = 0; x < b.width; ++x) {
                const int sy = b.sourceY + y + (pressed ? b.height : 0);
                if (*sheet.GetPixelAddress(b.sourceX + x, sy) == 0) continue;  // keyed
                ++compared;
                const uint32_t c = sheet.GetPixelColor(b.sourceX + x, sy);
                const uint32_t want = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
                if (screen->PixelAt(o.x + b.x + x, o.y + b.y + y) != want) return false;
            }
        }
        return compared > 0;
    }
    ui::Hwnd bar{};
};

TEST_F(ToolBarTest, EveryButtonSendsItsFrameCommand) {
    const std::vector<std::pair<int, int>> expected = {
        {42502, 40058}, {42503, 40059}, {42504, 40061}, {42505, 40060}, {42506, 40113},
        {42507, 40072}, {42508, 40117}, {42514, 40070}, {42509, 40115}, {42510, 40116},
        {42511, 40056}, {42512, 40095}, {42515, 40083}};
    ui::Rect r{};
    ui::GetWindowRect(bar, &r);
    EXPECT_EQ(r.bottom - r.top, kToolBarHeight);
    EXPECT_EQ(r.right - r.left, 1024);
    for (int row = 1; row < kToolButtonCount; ++row) {
        SCOPED_TRACE(row);
        gFrameCommands.clear();
        ClickRow(row);
        EXPECT_EQ(ToolButtons()[row].id, expected[row - 1].first);
        EXPECT_EQ(gFrameCommands, std::vector<int>{expected[row - 1].second});
    }
    Shot("panels_toolbar");
}

TEST_F(ToolBarTest, StatesMirrorTheOptionsAfterEachPress) {
    shell::PutMapOption(2);
    shell::PutMapFrame(1);
    shell::PutLader(3);
    shell::PutSupply(0);
    shell::PutTroop(2);
    shell::PutDispPanel(0);
    // Released off the button: nothing is sent, the states are refreshed all the same.
    const ToolButton& help = ToolButtons()[13];
    const ui::Point o = Origin(bar);
    screen->MouseDown(o.x + help.x + 4, o.y + help.y + 4);
    Pump();
    EXPECT_EQ(ToolButtons(bar)[13].state, 1);
    screen->MouseUp(o.x + 700, o.y + 10);
    Pump();
    EXPECT_TRUE(gFrameCommands.empty());
    const std::vector<int> want = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0};
    for (int row = 0; row < kToolButtonCount; ++row) {
        EXPECT_EQ(ToolButtons(bar)[row].state, want[row]) << row;
        EXPECT_TRUE(DrawnAs(row, want[row] != 0)) << row;
    }
    int modesPressed = 0;
    for (int row = 1; row <= 4; ++row) modesPressed += ToolButtons(bar)[row].state;
    EXPECT_EQ(modesPressed, 1);
}

TEST_F(ToolBarTest, EachBarKeepsItsOwnPressedButton) {
    // A second bar lower down: a press on the first one presses nothing on the second.
    const ui::Hwnd second = CreateZvToolWindow(nullptr, frame, 0, 0);
    ASSERT_TRUE(second);
    // Over the MDI client, as the frame keeps its bar.
    ui::SetWindowPos(second, ui::HWND_TOP, 0, 200, 0, 0, ui::SWP_NOSIZE);
    Pump();
    const ToolButton& help = ToolButtons()[13];
    const ui::Point o = Origin(bar);
    screen->MouseDown(o.x + help.x + 4, o.y + help.y + 4);
    Pump();
    EXPECT_EQ(ToolButtons(bar)[13].state, 1);
    EXPECT_EQ(ToolButtons(second)[13].state, 0);
    EXPECT_TRUE(DrawnAs(13, true));
    screen->MouseUp(o.x + 700, o.y + 10);
    Pump();

    // The second bar's own press sends its command and leaves the first bar raised.
    gFrameCommands.clear();
    const ui::Point s2 = Origin(second);
    screen->Click(s2.x + help.x + 4, s2.y + help.y + 4);
    Pump();
    EXPECT_EQ(gFrameCommands, std::vector<int>{shell::kCmdHelp});
    EXPECT_EQ(ToolButtons(bar)[13].state, 0);
    ui::DestroyWindow(second);
    Pump();
    EXPECT_EQ(&ToolButtons(second), &ToolButtons()) << "a gone bar answers with the layout";
}

TEST_F(ToolBarTest, ClicksAreIgnoredWhileSomethingElseHoldsTheGame) {
    const ui::Hwnd result = ui::CreateWindowEx(0, "STATIC", "", ui::WS_CHILD, 600, 100, 50, 50,
                                               frame, 0, nullptr, nullptr);
    shell::SetWindowOfKind(shell::WindowKind::ResultWnd, result);
    struct Case {
        const char* what;
        bool resultShown, menuOpen, animating, disabled;
    };
    const Case cases[] = {{"result window", true, false, false, false},
                          {"set-up window", false, true, false, false},
                          {"attack animation", false, false, true, false},
                          {"reinforcement dialog", false, false, false, true},
                          {"nothing", false, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::ShowWindow(result, c.resultShown ? ui::SW_SHOW : ui::SW_HIDE);
        ToolBarHooks hooks;
        hooks.isMainMenuOpen = [&] { return c.menuOpen; };
        hooks.isAnimationIdle = [&] { return !c.animating; };
        SetToolBarHooks(hooks);
        SetToolPanelEnabled(c.disabled ? 0 : 1);
        gFrameCommands.clear();
        ClickRow(6);
        const bool blocked = c.resultShown || c.menuOpen || c.animating || c.disabled;
        EXPECT_EQ(gFrameCommands.empty(), blocked);
        EXPECT_EQ(ToolButtons(bar)[6].state, 0);  // never left pressed
    }
}

TEST_F(ToolBarTest, MenuButtonOpensTheGameMenuForTheFrame) {
    // The menu opens under the button; the last item is chosen with the keyboard.
    const ToolButton& b = ToolButtons()[0];
    const ui::Point o = Origin(bar);
    screen->Click(o.x + b.x + 10, o.y + b.y + 8);
    screen->KeyDown(ui::VK_UP);
    screen->KeyUp(ui::VK_UP);
    screen->KeyDown(ui::VK_RETURN);
    screen->KeyUp(ui::VK_RETURN);
    Pump();
    Pump();
    EXPECT_EQ(gFrameCommands, std::vector<int>{shell::kCmdQuit});
}

TEST_F(ToolBarTest, GameMenuItemsFollowTheGameAndTheOptions) {
    const ui::Hmenu menu = PrepareToolBarGameMenu(bar);
    ASSERT_TRUE(menu);
    const ui::Hmenu fight = ui::GetSubMenu(menu, 1);
    const ui::Hmenu sound = ui::GetSubMenu(menu, 2);
    auto grayed = [](ui::Hmenu m, uint32_t item, uint32_t how) {
        return (ui::GetMenuState(m, item, how) & ui::MF_GRAYED) != 0;
    };
    auto checked = [](ui::Hmenu m, uint32_t item) {
        return (ui::GetMenuState(m, item, ui::MF_BYCOMMAND) & ui::MF_CHECKED) != 0;
    };
    // The items read as the window layer reads every text: Shift-JIS.
    EXPECT_EQ(core::SjisToUtf8(ui::GetMenuString(menu, 0, ui::MF_BYPOSITION)), "同盟設定");
    EXPECT_EQ(core::SjisToUtf8(ui::GetMenuString(menu, 1, ui::MF_BYPOSITION)), "戦闘表示");
    EXPECT_EQ(core::SjisToUtf8(ui::GetMenuString(menu, shell::kCmdQuit, ui::MF_BYCOMMAND)), "ゲーム終了");
    EXPECT_EQ(core::SjisToUtf8(ui::GetMenuString(fight, shell::kCmdFightSimple, ui::MF_BYCOMMAND)), "簡易表示");
    EXPECT_EQ(core::SjisToUtf8(ui::GetMenuString(sound, shell::kCmdSound, ui::MF_BYCOMMAND)), "効果音");
    // Single play: no alliances; the host may save.
    EXPECT_TRUE(grayed(menu, 0, ui::MF_BYPOSITION));
    EXPECT_FALSE(grayed(menu, shell::kCmdNetSaveGame, ui::MF_BYCOMMAND));
    EXPECT_FALSE(grayed(menu, 1, ui::MF_BYPOSITION));
    struct Case {
        int mine, other, simple;
        bool simpleGrayed, simpleChecked;
    };
    for (const Case& c : {Case{0, 0, 1, true, false}, Case{1, 0, 1, false, true},
                          Case{0, 1, 0, false, false}, Case{1, 1, 1, false, true}}) {
        shell::PutFightMine(c.mine);
        shell::PutFightOther(c.other);
        shell::PutFightSimple(c.simple);
        PrepareToolBarGameMenu(bar);
        EXPECT_EQ(checked(fight, shell::kCmdFightMine), c.mine != 0);
        EXPECT_EQ(checked(fight, shell::kCmdFightOther), c.other != 0);
        EXPECT_EQ(grayed(fight, shell::kCmdFightSimple, ui::MF_BYCOMMAND), c.simpleGrayed);
        EXPECT_EQ(checked(fight, shell::kCmdFightSimple), c.simpleChecked);
    }
    shell::PutBgm(1);
    shell::PutSound(1);
    PrepareToolBarGameMenu(bar);
    EXPECT_TRUE(checked(sound, shell::kCmdBgm));
    EXPECT_EQ(checked(sound, shell::kCmdSound), fw::IsSoundAvailable() != 0);
    EXPECT_EQ(grayed(sound, shell::kCmdSound, ui::MF_BYCOMMAND), fw::IsSoundAvailable() == 0);
    // A spectator sees neither alliances nor the fight display.
    fw::SetPlayerCountry(5);
    PrepareToolBarGameMenu(bar);
    EXPECT_TRUE(grayed(menu, 1, ui::MF_BYPOSITION));
    fw::SetPlayerCountry(0);
}

TEST_F(ToolBarTest, TipShowsNearItsButtonAndGoesWhenThePointerLeaves) {
    const ui::Hwnd tip = CreateBorderedStatic(frame, 0, 0, 10, 10);
    ToolBarHooks hooks;
    hooks.frameStatusControl = [tip] { return tip; };
    SetToolBarHooks(hooks);
    const ToolButton& b = ToolButtons()[7];
    const ui::Point o = Origin(bar);
    screen->MouseMove(o.x + b.x + 4, o.y + b.y + 4);
    Pump();
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(tip)), "レーダー範囲表示");
    EXPECT_FALSE(ui::IsWindowVisible(tip));
    screen->AdvanceClock(210);
    Pump();
    EXPECT_TRUE(ui::IsWindowVisible(tip));
    ui::Rect r{};
    ui::GetWindowRect(tip, &r);
    EXPECT_EQ(r.top - o.y, b.y + 4 + 16);
    Shot("panels_toolbar_tip");
    // Nine pixels away it stays; ten pixels away it goes.
    screen->MouseMove(o.x + b.x + 13, o.y + b.y + 4);
    screen->AdvanceClock(210);
    Pump();
    EXPECT_TRUE(ui::IsWindowVisible(tip));
    screen->MouseMove(o.x + b.x + 14, o.y + b.y + 4);
    screen->AdvanceClock(210);
    Pump();
    EXPECT_FALSE(ui::IsWindowVisible(tip));
}

}  // namespace
}  // namespace zv::panels::testing
