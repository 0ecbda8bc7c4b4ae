#include <gtest/gtest.h>

#include "shell/skin/SkinControls.h"
#include "shell/tests/SkinTestSupport.h"

namespace zv::shell::testing {
namespace {

using namespace skin;

constexpr int kPackId = 14100;
constexpr int kLandId = 14101;
constexpr int kBackId = 14148;
constexpr int kNextId = 14149;

int gExtraFlag = 1;
int ExtraFlag() { return gExtraFlag; }

class PackStrip : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        gExtraFlag = 1;
        SetTroopInfoExtraFlagQuery(&ExtraFlag);
        strip = CreatePackButtonCtl(host, kPackId, 100, 100, 144, 16);
        ASSERT_TRUE(strip);
        ui::SendMessage(strip, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        ui::SendMessage(strip, WM_SKIN_SET_SELECTION, 0, 0);
        ui::SendMessage(strip, WM_SKIN_REDRAW, 0, 0);
        Pump();
    }
    void TearDown() override {
        SetTroopInfoExtraFlagQuery(nullptr);
        SkinTest::TearDown();
    }
    ui::Point Button(int i) { return At(strip, 36 * i + 10, 8); }
    // The face row button i shows: 0 normal, 16 pressed, 32 disabled.
    ::testing::AssertionResult ShowsRow(int i, int row) {
        return ShowsSheetPixel(strip, 36 * i + 4, 8, 164 + 36 * i + 4, row + 8);
    }
    ui::Hwnd strip{};
};

TEST_F(PackStrip, TheSheetRowsDiffer) {
    // Otherwise the row checks below would prove nothing.
    EXPECT_NE(SheetIndex(168, 8), SheetIndex(168, 24));
    EXPECT_NE(SheetIndex(168, 8), SheetIndex(168, 40));
    EXPECT_NE(SheetIndex(168, 24), SheetIndex(168, 40));
}

TEST_F(PackStrip, MouseTable) {
    struct Case {
        const char* name;
        int flag;            // GetTroopInfoExtraFlag
        int disabled;        // button disabled first, or -1
        int press, release;  // buttons; release -2: far below the strip
        int selection;       // afterwards
        int notifications;
    };
    const Case cases[] = {
        {"click another", 1, -1, 2, 2, 2, 1},
        {"click the selected one", 1, -1, 0, 0, 0, 1},
        {"press, move off, release elsewhere", 1, -1, 1, 3, 0, 1},
        {"release outside the strip", 1, -1, 1, -2, 0, 1},
        {"disabled button", 1, 3, 3, 3, 0, 1},
        {"locked strip", 0, -1, 2, 2, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::SendMessage(strip, WM_SKIN_ENABLE, ui::WParam(-1), 1);
        ui::SendMessage(strip, WM_SKIN_SET_SELECTION, 0, 0);
        if (c.disabled >= 0) ui::SendMessage(strip, WM_SKIN_ENABLE, ui::WParam(c.disabled), 0);
        gExtraFlag = c.flag;
        notes.clear();
        Down(Button(c.press));
        Move(Button(c.release == -2 ? 0 : c.release));
        Up(c.release == -2 ? At(strip, 10, 40) : Button(c.release));
        EXPECT_EQ(ui::SendMessage(strip, WM_SKIN_GET_SELECTION, 0, 0), c.selection);
        const auto clicked = NotesOf(WM_SKIN_PACK_CLICKED);
        ASSERT_EQ(int(clicked.size()), c.notifications);
        EXPECT_EQ(clicked[0], (Note{WM_SKIN_PACK_CLICKED, kPackId, 0}));
        EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
        gExtraFlag = 1;
    }
}

TEST_F(PackStrip, DrawsSelectedPressedDisabledAndLockedRows) {
    ui::SendMessage(strip, WM_SKIN_ENABLE, 3, 0);
    Click(Button(2));
    EXPECT_TRUE(ShowsRow(2, 16));  // the selection stays pressed
    EXPECT_TRUE(ShowsRow(0, 0));
    EXPECT_TRUE(ShowsRow(3, 32));
    // Pressing shows the pressed look while held, the old selection stays pressed until release.
    Down(Button(1));
    EXPECT_TRUE(ShowsRow(1, 16));
    Move(At(strip, 10, 60));
    EXPECT_TRUE(ShowsRow(1, 0));
    Up(At(strip, 10, 60));
    // Locked: every button but the pressed (selected) one is drawn disabled.
    gExtraFlag = 0;
    ui::SendMessage(strip, WM_SKIN_REDRAW, 0, 0);
    EXPECT_TRUE(ShowsRow(0, 32));
    EXPECT_TRUE(ShowsRow(1, 32));
    EXPECT_TRUE(ShowsRow(2, 16));
}

TEST_F(PackStrip, SetSelectionNeitherRepaintsNorNotifies) {
    ui::SendMessage(strip, WM_SKIN_SET_SELECTION, 3, 0);
    Pump();
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(ui::SendMessage(strip, WM_SKIN_GET_SELECTION, 0, 0), 3);
    EXPECT_TRUE(ShowsRow(3, 0));
    ui::SendMessage(strip, WM_SKIN_REDRAW, 0, 0);
    EXPECT_TRUE(ShowsRow(3, 16));
    EXPECT_TRUE(ShowsRow(0, 0));
}

class LandGrid : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        grid = CreateLandButtonCtl(host, kLandId, 300, 120, 64, 96);
        ASSERT_TRUE(grid);
        ui::SendMessage(grid, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        ui::SendMessage(grid, WM_SKIN_REDRAW, 0, 0);
        Pump();
    }
    ui::Point Cell(int k) { return At(grid, (k % 4) * 16 + 8, (k / 4) * 16 + 8); }
    // Land face 9 + k at 136 + 16k, 108; looks 16 apart. Sample the plate's edge.
    ::testing::AssertionResult ShowsLook(int k, int look) {
        return ShowsSheetPixel(grid, (k % 4) * 16 + 1, (k / 4) * 16 + 8, 136 + 16 * k + 1,
                               108 + 16 * look + 8);
    }
    ui::Hwnd grid{};
};

TEST_F(LandGrid, ClicksTable) {
    struct Case {
        int disable;  // -1 none
        int click;
        int selection;
        bool notified;
    };
    const Case cases[] = {{-1, 5, 5, true}, {-1, 5, 5, false}, {7, 7, 5, false},
                          {-1, 20, 20, true}, {-1, 0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click);
        if (c.disable >= 0) ui::SendMessage(grid, WM_SKIN_ENABLE, ui::WParam(c.disable), 0);
        notes.clear();
        Click(Cell(c.click));
        EXPECT_EQ(ui::SendMessage(grid, WM_SKIN_GET_SELECTION, 0, 0), c.selection);
        const auto changed = NotesOf(WM_SKIN_LAND_CHANGED);
        if (c.notified) {
            ASSERT_EQ(changed.size(), 1u);
            EXPECT_EQ(changed[0], (Note{WM_SKIN_LAND_CHANGED, kLandId, 0}));
        } else {
            EXPECT_TRUE(changed.empty());
        }
    }
}

TEST_F(LandGrid, LooksFollowSelectionAndEnableAfterRedraw) {
    EXPECT_TRUE(ShowsLook(0, 1));  // selection 0 at creation
    EXPECT_TRUE(ShowsLook(4, 0));
    ui::SendMessage(grid, WM_SKIN_SET_SELECTION, 4, 0);
    Pump();
    EXPECT_TRUE(ShowsLook(4, 0)) << "no repaint before WM_SKIN_REDRAW";
    ui::SendMessage(grid, WM_SKIN_REDRAW, 0, 0);
    EXPECT_TRUE(ShowsLook(4, 1));
    EXPECT_TRUE(ShowsLook(0, 0));
    // The selected button, disabled, is drawn disabled.
    ui::SendMessage(grid, WM_SKIN_ENABLE, 4, 0);
    ui::SendMessage(grid, WM_SKIN_REDRAW, 0, 0);
    EXPECT_TRUE(ShowsLook(4, 2));
    ui::SendMessage(grid, WM_SKIN_ENABLE, ui::WParam(-1), 0);
    ui::SendMessage(grid, WM_SKIN_REDRAW, 0, 0);
    EXPECT_TRUE(ShowsLook(12, 2));
}

class PageButtons : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        back = CreateBackButtonCtl(host, kBackId, 40, 300, 20, 20);
        next = CreateNextButtonCtl(host, kNextId, 70, 300, 20, 20);
        ASSERT_TRUE(back && next);
        for (ui::Hwnd b : {back, next}) {
            ui::SendMessage(b, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        }
        Pump();
    }
    // Looks: 48 normal, 68 pressed, 88 disabled. Sample the plate's left edge.
    ::testing::AssertionResult ShowsLook(ui::Hwnd b, int faceX, int y) {
        return ShowsSheetPixel(b, 1, 10, faceX + 1, y + 10);
    }
    ui::Hwnd back{}, next{};
};

TEST_F(PageButtons, MouseTable) {
    struct Case {
        const char* name;
        int enabled;
        ui::Point release;  // client point of the release
        bool clicked;
    };
    const Case cases[] = {
        {"press and release on it", 1, {10, 10}, true},
        {"release on its last pixel", 1, {20, 20}, true},
        {"release outside", 1, {25, 10}, false},
        {"release left of it", 1, {-3, 10}, false},
        {"disabled", 0, {10, 10}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::SendMessage(back, WM_SKIN_ENABLE, 0, c.enabled);
        notes.clear();
        Down(At(back, 10, 10));
        Up(At(back, c.release.x, c.release.y));
        const auto clicked = NotesOf(WM_SKIN_BUTTON_CLICKED);
        if (c.clicked) {
            ASSERT_EQ(clicked.size(), 1u);
            EXPECT_EQ(clicked[0], (Note{WM_SKIN_BUTTON_CLICKED, kBackId, 0}));
        } else {
            EXPECT_TRUE(clicked.empty());
        }
        EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
    }
}

TEST_F(PageButtons, DisabledButtonsStayVisibleAndGreyed) {
    // New buttons are disabled; the organisation windows page with them shown.
    EXPECT_TRUE(ui::IsWindowVisible(back));
    EXPECT_TRUE(ShowsLook(back, 322, 88));
    ui::SendMessage(next, WM_SKIN_ENABLE, 0, 1);
    EXPECT_TRUE(ui::IsWindowVisible(next));
    EXPECT_TRUE(ShowsLook(next, 346, 48));
    ui::SendMessage(next, WM_SKIN_ENABLE, 0, 0);
    EXPECT_TRUE(ui::IsWindowVisible(next));
    EXPECT_TRUE(ShowsLook(next, 346, 88));
}

TEST_F(PageButtons, PressedLookFollowsThePointerAndDisablingEndsThePress) {
    ui::SendMessage(next, WM_SKIN_ENABLE, 0, 1);
    Down(At(next, 10, 10));
    EXPECT_TRUE(ShowsLook(next, 346, 68));
    Move(At(next, 40, 10));
    EXPECT_TRUE(ShowsLook(next, 346, 48));
    Move(At(next, 5, 5));
    EXPECT_TRUE(ShowsLook(next, 346, 68));
    ui::SendMessage(next, WM_SKIN_ENABLE, 0, 0);
    Up(At(next, 5, 5));
    EXPECT_TRUE(NotesOf(WM_SKIN_BUTTON_CLICKED).empty());
    EXPECT_TRUE(ShowsLook(next, 346, 88));
}

TEST_F(PageButtons, AButtonClosedOnItsClickLeavesTheOtherWorking) {
    const ui::Hwnd closing = MakeClosingHost();
    const ui::Hwnd first = CreateBackButtonCtl(closing, kBackId, 40, 300, 20, 20);
    const ui::Hwnd second = CreateNextButtonCtl(closing, kNextId, 70, 300, 20, 20);
    ASSERT_TRUE(first && second);
    for (ui::Hwnd b : {first, second}) {
        ui::SendMessage(b, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        ui::SendMessage(b, WM_SKIN_ENABLE, 0, 1);
    }
    Pump();
    Down(At(first, 10, 10));
    Up(At(first, 10, 10));
    EXPECT_FALSE(ui::IsWindow(first));
    EXPECT_EQ(ArrowButtonStateOf(first), nullptr);
    ASSERT_EQ(NotesOf(WM_SKIN_BUTTON_CLICKED),
              (std::vector<Note>{{WM_SKIN_BUTTON_CLICKED, kBackId, 0}}));
    // The other button kept its own state: enabled, not pressed, and it still clicks.
    const ArrowButtonState* other = ArrowButtonStateOf(second);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->enabled, 1);
    EXPECT_EQ(other->pressed, 0);
    EXPECT_TRUE(ShowsLook(second, 346, 48));
    Down(At(second, 10, 10));
    EXPECT_TRUE(ShowsLook(second, 346, 68));
    Up(At(second, 10, 10));
    EXPECT_FALSE(ui::IsWindow(second));
    EXPECT_EQ(NotesOf(WM_SKIN_BUTTON_CLICKED).size(), 2u);
    EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
}

}  // namespace
}  // namespace zv::shell::testing
