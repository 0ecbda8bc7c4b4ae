#include <gtest/gtest.h>

#include "platform/ui/controls/ControlConstants.h"
#include "shell/skin/SkinControls.h"
#include "shell/tests/SkinTestSupport.h"

namespace zv::shell::testing {
namespace {

using namespace skin;

constexpr int kBarId = 14120;
constexpr int kListId = 14110;
constexpr int kComboId = 14130;

// ---- value bar ------------------------------------------------------------------------------

class ValueBar : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        bar = CreateScrollCtl(host, kBarId, 200, 200, 140, 20);
        ASSERT_TRUE(bar);
        ui::SendMessage(bar, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        ui::SendMessage(bar, WM_SKIN_SET_VALUE, 100, kBarMaximum);
        ui::SendMessage(bar, WM_SKIN_SET_VALUE, 10, kBarStep);
        Pump();
        notes.clear();
    }
    int Position() { return int(ui::SendMessage(bar, WM_SKIN_GET_VALUE, 0, kBarPosition)); }
    ui::Hwnd bar{};
};

TEST_F(ValueBar, SnapTable) {
    struct Case {
        int step, minimum, maximum, v, want;
    };
    const Case cases[] = {
        {10, 0, 100, 24, 20}, {10, 0, 100, 26, 30}, {10, 0, 100, 25, 30}, {10, 0, 100, 104, 100},
        {10, 0, 100, -10, 0}, {10, 20, 100, 3, 20}, {0, 0, 100, 24, 24},  {0, 0, 100, 130, 100},
    };
    for (const Case& c : cases) {
        ScrollCtlState s;
        s.step = c.step;
        s.minimum = c.minimum;
        s.maximum = c.maximum;
        EXPECT_EQ(SnapScrollValue(s, c.v), c.want) << c.step << " " << c.v;
    }
}

TEST_F(ValueBar, PressesOnTheBandTable) {
    struct Case {
        int step;
        ui::Point press;  // client point
        int position;
    };
    const Case cases[] = {
        {10, {44, 8}, 20},  {10, {46, 8}, 30},  {10, {118, 8}, 100},
        {10, {60, 30}, 100},  // below the band: unchanged
        {0, {44, 8}, 24},     // no step: no snapping, and no division by it
    };
    for (const Case& c : cases) {
        ui::SendMessage(bar, WM_SKIN_SET_VALUE, ui::WParam(c.step), kBarStep);
        Click(At(bar, c.press.x, c.press.y));
        EXPECT_EQ(Position(), c.position) << c.press.x << "," << c.press.y;
    }
}

TEST_F(ValueBar, DragFollowsSnapsAndFallsBackOutsideTheBand) {
    ui::SendMessage(bar, WM_SKIN_SET_VALUE, 30, kBarPosition);
    // The thumb lies at position + 16 .. + 23, y 13 .. 20.
    Down(At(bar, 30 + 19, 16));
    EXPECT_EQ(ui::GetCapture(), bar);
    Move(At(bar, 83, 16));
    EXPECT_EQ(Position(), 60);
    Move(At(bar, 83, 60));  // out of the band: back to where the drag began
    EXPECT_EQ(Position(), 30);
    Move(At(bar, 77, 10));
    Up(At(bar, 77, 10));
    EXPECT_EQ(Position(), 60);
    EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
    // The committed position is now 60.
    Down(At(bar, 60 + 19, 16));
    Move(At(bar, 60, -40));
    EXPECT_EQ(Position(), 60);
    Up(At(bar, 60, -40));
}

TEST_F(ValueBar, ArrowsStepAndEveryRepaintPostsThePosition) {
    ui::SendMessage(bar, WM_SKIN_SET_VALUE, 90, kBarPosition);
    Pump();
    notes.clear();
    Click(At(bar, 140 - 8, 8));  // right arrow
    EXPECT_EQ(Position(), 100);
    Click(At(bar, 140 - 8, 8));  // already at the maximum: repainted and posted all the same
    EXPECT_EQ(Position(), 100);
    Click(At(bar, 8, 8));
    EXPECT_EQ(Position(), 90);
    const auto posted = NotesOf(WM_SKIN_BAR_POS);
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0], (Note{WM_SKIN_BAR_POS, 100, kBarId}));
    EXPECT_EQ(posted[1], (Note{WM_SKIN_BAR_POS, 100, kBarId}));
    EXPECT_EQ(posted[2], (Note{WM_SKIN_BAR_POS, 90, kBarId}));
    // Disabled: arrows and presses change nothing and the thumb is gone.
    ui::SendMessage(bar, WM_SKIN_ENABLE, 0, 0);
    Click(At(bar, 8, 8));
    Click(At(bar, 50, 8));
    EXPECT_EQ(Position(), 90);
    EXPECT_EQ(ui::SendMessage(bar, WM_SKIN_GET_VALUE, 0, kBarMaximum), 100);
    EXPECT_EQ(ui::SendMessage(bar, WM_SKIN_GET_VALUE, 0, kBarStep), 10);
}

TEST_F(ValueBar, DrawsTheFillUpToThePositionAndTheThumb) {
    ui::SendMessage(bar, WM_SKIN_SET_VALUE, 40, kBarPosition);
    ui::SendMessage(bar, WM_SKIN_REDRAW, 0, 0);
    fw::Dib fill("bar_gun.bmp");
    wm->Flush();
    auto shows = [&](int x, int y, int index) {
        const ui::Point p = At(bar, x, y);
        return screen->PixelAt(p.x, p.y) == ColourOf(index);
    };
    const int fillIndex = *fill.GetPixelAddress(0, 40 + 4);
    EXPECT_TRUE(shows(20, 2 + 4, fillIndex));
    EXPECT_TRUE(shows(20 + 39, 2 + 4, fillIndex));
    EXPECT_FALSE(shows(20 + 41, 2 + 4, fillIndex));
    EXPECT_TRUE(ShowsSheetPixel(bar, 40 + 16 + 3, 13 + 5, 300 + 3, 48 + 5));
}

// ---- list box -------------------------------------------------------------------------------

class SkinList : public SkinTest {
  protected:
    ui::Hwnd MakeList(int width) {
        const ui::Hwnd l = CreateSkinListBox(host, kListId, 20, 20, width, 17 + 14 * 5);
        ui::SendMessage(l, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        ui::SendMessage(l, WM_SKIN_ENABLE, 0, 1);
        const char* names[] = {"司令部", "戦車", "歩兵", "砲兵", "対空", "補給", "工兵"};
        for (int i = 0; i < 7; ++i) {
            const std::string text = Sjis(names[i]);
            ui::SendMessage(l, WM_SKIN_ADD_ITEM, ui::WParam(i),
                            reinterpret_cast<ui::LParam>(text.c_str()));
        }
        return l;
    }
};

TEST_F(SkinList, ReportsSelectionChangesFromPaintAndClicks) {
    const ui::Hwnd list = MakeList(120);
    Pump();
    // The first paint of a list without selection reports -1 (the last report starts at 0).
    auto reported = NotesOf(WM_SKIN_LIST_SELECTED);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported[0], (Note{WM_SKIN_LIST_SELECTED, -1, kListId}));
    notes.clear();
    ui::SendMessage(list, WM_SKIN_SET_CURSEL, 2, 0);
    Pump();
    reported = NotesOf(WM_SKIN_LIST_SELECTED);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], (Note{WM_SKIN_LIST_SELECTED, 2, kListId}));
    EXPECT_EQ(ui::SendMessage(list, WM_SKIN_GET_CURSEL, 0, 0), 2);
    notes.clear();
    Click(At(list, 30, 16 + 14 * 4 + 5));  // the fifth row
    reported = NotesOf(WM_SKIN_LIST_SELECTED);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), (Note{WM_SKIN_LIST_SELECTED, 4, kListId}));
    // Scrolled: the top index moves the rows.
    ui::SendMessage(list, WM_SKIN_SET_TOP, 2, 0);
    EXPECT_EQ(ui::SendMessage(list, WM_SKIN_GET_TOP, 0, 0), 2);
    notes.clear();
    Click(At(list, 30, 16 + 5));
    EXPECT_EQ(ui::SendMessage(list, WM_SKIN_GET_CURSEL, 0, 0), 2);
    ui::SendMessage(list, WM_SKIN_CLEAR, 0, 0);
    EXPECT_EQ(ui::SendMessage(list, WM_SKIN_GET_CURSEL, 0, 0), -1);
}

TEST_F(SkinList, HighlightBarWidthFollowsTheListWidth) {
    struct Case {
        int width, sourceX, barWidth;
    };
    for (const Case c : {Case{98, 52, 92}, Case{120, 256, 104}}) {
        SCOPED_TRACE(c.width);
        const ui::Hwnd list = MakeList(c.width);
        ui::SendMessage(list, WM_SKIN_SET_CURSEL, 0, 0);
        Pump();
        for (int x : {0, c.barWidth / 2, c.barWidth - 1}) {
            if (1 + x >= c.width) continue;
            EXPECT_TRUE(ShowsSheetPixel(list, 1 + x, 16 + 1 + 1, c.sourceX + x, 308 + 1)) << x;
        }
        ui::DestroyWindow(list);
    }
}

// ---- combo box ------------------------------------------------------------------------------

class SkinCombo : public SkinTest {
  protected:
    ui::Hwnd MakeCombo(int id, int x, int y, int items) {
        const ui::Hwnd c = CreateSkinComboBox(host, id, x, y, kComboWidth, kComboClosedHeight);
        ui::SendMessage(c, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
        for (int i = 0; i < items; ++i) {
            const std::string text = Sjis("第" + std::to_string(i + 1) + "列");
            ui::SendMessage(c, WM_SKIN_ADD_ITEM, ui::WParam(i),
                            reinterpret_cast<ui::LParam>(text.c_str()));
        }
        ui::SendMessage(c, WM_SKIN_SELECT_ITEM, 0, 0);
        ui::SendMessage(c, WM_SKIN_REDRAW, 0, 0);
        Pump();
        return c;
    }
    static ui::Hwnd DropList(ui::Hwnd combo) { return ui::GetDlgItem(combo, kIdComboList); }
    static int Height(ui::Hwnd h) {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        return r.bottom - r.top;
    }
};

TEST_F(SkinCombo, SelectItemNotifiesAndFallsBackToTheFirstItem) {
    const ui::Hwnd combo = MakeCombo(kComboId, 300, 40, 6);
    notes.clear();
    struct Case {
        int asked, chosen;
    };
    for (const Case c : {Case{3, 3}, Case{5, 5}, Case{6, 0}, Case{-1, 0}}) {
        ui::SendMessage(combo, WM_SKIN_SELECT_ITEM, ui::WParam(c.asked), 0);
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.back(), (Note{WM_SKIN_COMBO_SELECTED, c.chosen, kComboId}));
        EXPECT_EQ(ui::SendMessage(combo, WM_SKIN_GET_CURSEL, 0, 0), c.chosen);
    }
}

TEST_F(SkinCombo, OpensPicksAndCloses) {
    const ui::Hwnd combo = MakeCombo(kComboId, 300, 40, 6);
    const ui::Hwnd list = DropList(combo);
    Click(At(combo, 20, 8));
    EXPECT_TRUE(ui::IsWindowVisible(list));
    EXPECT_EQ(Height(combo), kComboOpenHeight);
    EXPECT_EQ(GetOpenComboDropList(), list);
    EXPECT_EQ(ui::GetCapture(), list);
    notes.clear();
    // Row 2 of the list: y inside the list's client area.
    Click(At(list, 10, 14 * 2 + 4));
    EXPECT_FALSE(ui::IsWindowVisible(list));
    EXPECT_EQ(Height(combo), kComboClosedHeight);
    EXPECT_EQ(GetOpenComboDropList(), ui::Hwnd{});
    ASSERT_EQ(NotesOf(WM_SKIN_COMBO_SELECTED).size(), 1u);
    EXPECT_EQ(NotesOf(WM_SKIN_COMBO_SELECTED)[0], (Note{WM_SKIN_COMBO_SELECTED, 2, kComboId}));
    // The drop button toggles as the face does; a press outside closes without picking.
    Click(At(combo, kComboWidth - 8, 8));
    EXPECT_TRUE(ui::IsWindowVisible(list));
    notes.clear();
    Click({600, 400});
    EXPECT_FALSE(ui::IsWindowVisible(list));
    EXPECT_TRUE(NotesOf(WM_SKIN_COMBO_SELECTED).empty());
}

TEST_F(SkinCombo, ABoxClosedOnItsChoiceLeavesNothingOpen) {
    const ui::Hwnd closing = MakeClosingHost();
    const ui::Hwnd combo =
        CreateSkinComboBox(closing, kComboId, 300, 40, kComboWidth, kComboClosedHeight);
    ui::SendMessage(combo, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
    for (int i = 0; i < 4; ++i) {
        const std::string text = Sjis("第" + std::to_string(i + 1) + "列");
        ui::SendMessage(combo, WM_SKIN_ADD_ITEM, ui::WParam(i),
                        reinterpret_cast<ui::LParam>(text.c_str()));
    }
    Pump();
    const ui::Hwnd list = DropList(combo);
    Click(At(combo, 20, 8));
    ASSERT_EQ(GetOpenComboDropList(), list);
    Click(At(list, 10, 14 + 4));
    EXPECT_FALSE(ui::IsWindow(combo));
    EXPECT_EQ(GetOpenComboDropList(), ui::Hwnd{});
    EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
    EXPECT_EQ(NotesOf(WM_SKIN_COMBO_SELECTED),
              (std::vector<Note>{{WM_SKIN_COMBO_SELECTED, 1, kComboId}}));
    // A box made afterwards starts from its own first item.
    const ui::Hwnd fresh = MakeCombo(kComboId + 1, 300, 100, 3);
    EXPECT_EQ(ui::SendMessage(fresh, WM_SKIN_GET_CURSEL, 0, 0), 0);
}

TEST_F(SkinCombo, ScrolledListPicksTopIndexPlusRowAndBelowTheLastPicksTheLast) {
    const ui::Hwnd combo = MakeCombo(kComboId, 300, 40, 8);
    const ui::Hwnd list = DropList(combo);
    Click(At(combo, 20, 8));
    ui::SendMessage(list, ui::LB_SETTOPINDEX, 3, 0);
    ASSERT_EQ(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0), 3);
    notes.clear();
    Click(At(list, 10, 14 * 1 + 4));
    ASSERT_FALSE(NotesOf(WM_SKIN_COMBO_SELECTED).empty());
    EXPECT_EQ(NotesOf(WM_SKIN_COMBO_SELECTED).back().w, 4);
    // Two items, the release below the last one.
    const ui::Hwnd small = MakeCombo(kComboId + 1, 400, 40, 2);
    const ui::Hwnd smallList = DropList(small);
    Click(At(small, 20, 8));
    notes.clear();
    Click(At(smallList, 10, 50));
    ASSERT_FALSE(NotesOf(WM_SKIN_COMBO_SELECTED).empty());
    EXPECT_EQ(NotesOf(WM_SKIN_COMBO_SELECTED).back().w, 1);
}

TEST_F(SkinCombo, OpeningOneListClosesTheOther) {
    const ui::Hwnd a = MakeCombo(kComboId, 300, 40, 4);
    const ui::Hwnd b = MakeCombo(kComboId + 1, 400, 40, 4);
    ui::ShowWindow(DropList(a), ui::SW_SHOW);
    ui::ShowWindow(DropList(b), ui::SW_SHOW);
    EXPECT_FALSE(ui::IsWindowVisible(DropList(a)));
    EXPECT_EQ(Height(a), kComboClosedHeight);
    EXPECT_TRUE(ui::IsWindowVisible(DropList(b)));
    EXPECT_EQ(GetOpenComboDropList(), DropList(b));
    ui::SendMessage(b, WM_SKIN_SHOW, ui::SW_HIDE, 0);
    EXPECT_FALSE(ui::IsWindowVisible(b));
    EXPECT_EQ(GetOpenComboDropList(), ui::Hwnd{});
}

TEST_F(SkinCombo, DisabledFaceIgnoresClicks) {
    const ui::Hwnd combo = MakeCombo(kComboId, 300, 40, 4);
    ui::SendMessage(combo, WM_SKIN_ENABLE, 0, 0);
    Click(At(combo, 20, 8));
    Click(At(combo, kComboWidth - 8, 8));
    EXPECT_FALSE(ui::IsWindowVisible(DropList(combo)));
    wm->Flush();
    const ui::Point p = At(combo, 1, 1);
    const int darkGreen = ui::NearestPaletteIndex(GetPaletteTableA(), 256, ui::Rgb(0, 128, 0));
    EXPECT_EQ(screen->PixelAt(p.x, p.y), ColourOf(darkGreen));
}

// ---- every control in its states ------------------------------------------------------------

TEST_F(SkinCombo, ScreenshotOfEveryControlInItsStates) {
    const ui::Hwnd pack = CreatePackButtonCtl(host, 1, 20, 20, 144, 16);
    const ui::Hwnd packLocked = CreatePackButtonCtl(host, 2, 20, 44, 144, 16);
    const ui::Hwnd land = CreateLandButtonCtl(host, 3, 200, 20, 64, 96);
    const ui::Hwnd back = CreateBackButtonCtl(host, 4, 20, 80, 20, 20);
    const ui::Hwnd next = CreateNextButtonCtl(host, 5, 50, 80, 20, 20);
    const ui::Hwnd nextPressed = CreateNextButtonCtl(host, 6, 80, 80, 20, 20);
    const ui::Hwnd bar = CreateScrollCtl(host, 7, 20, 130, 140, 20);
    const ui::Hwnd barOff = CreateScrollCtl(host, 8, 20, 160, 140, 20);
    const ui::Hwnd list = CreateSkinListBox(host, 9, 300, 20, 120, 17 + 14 * 5);
    const ui::Hwnd listNarrow = CreateSkinListBox(host, 10, 440, 20, 98, 17 + 14 * 5);
    for (ui::Hwnd h : {pack, packLocked, land, back, next, nextPressed, bar, barOff, list,
                       listNarrow}) {
        ui::SendMessage(h, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
    }
    ui::SendMessage(pack, WM_SKIN_SET_SELECTION, 1, 0);
    ui::SendMessage(pack, WM_SKIN_ENABLE, 3, 0);
    ui::SendMessage(pack, WM_SKIN_REDRAW, 0, 0);
    ui::SendMessage(packLocked, WM_SKIN_SET_SELECTION, 2, 0);
    SetTroopInfoExtraFlagQuery([] { return 0; });
    ui::SendMessage(packLocked, WM_SKIN_REDRAW, 0, 0);
    SetTroopInfoExtraFlagQuery(nullptr);
    ui::SendMessage(land, WM_SKIN_SET_SELECTION, 5, 0);
    ui::SendMessage(land, WM_SKIN_ENABLE, 7, 0);
    ui::SendMessage(land, WM_SKIN_ENABLE, 14, 0);
    ui::SendMessage(land, WM_SKIN_REDRAW, 0, 0);
    ui::SendMessage(back, WM_SKIN_ENABLE, 0, 1);
    ui::SendMessage(nextPressed, WM_SKIN_ENABLE, 0, 1);
    for (ui::Hwnd h : {bar, barOff}) {
        ui::SendMessage(h, WM_SKIN_SET_VALUE, 100, kBarMaximum);
        ui::SendMessage(h, WM_SKIN_SET_VALUE, 10, kBarStep);
        ui::SendMessage(h, WM_SKIN_SET_VALUE, 60, kBarPosition);
    }
    ui::SendMessage(barOff, WM_SKIN_ENABLE, 0, 0);
    ui::SendMessage(bar, WM_SKIN_REDRAW, 0, 0);
    ui::SendMessage(barOff, WM_SKIN_REDRAW, 0, 0);
    const char* names[] = {"第一機甲中隊", "第二歩兵中隊", "砲兵大隊", "対空小隊", "補給隊"};
    for (ui::Hwnd h : {list, listNarrow}) {
        ui::SendMessage(h, WM_SKIN_ENABLE, 0, 1);
        for (int i = 0; i < 5; ++i) {
            const std::string text = Sjis(names[i]);
            ui::SendMessage(h, WM_SKIN_ADD_ITEM, ui::WParam(i),
                            reinterpret_cast<ui::LParam>(text.c_str()));
        }
        ui::SendMessage(h, WM_SKIN_SET_CURSEL, 1, 0);
    }
    const ui::Hwnd combo = MakeCombo(11, 20, 200, 6);
    const ui::Hwnd comboOff = MakeCombo(12, 20, 230, 6);
    ui::SendMessage(comboOff, WM_SKIN_SELECT_ITEM, 2, 0);
    ui::SendMessage(comboOff, WM_SKIN_ENABLE, 0, 0);
    const ui::Hwnd comboOpen = MakeCombo(13, 120, 200, 6);
    ui::SendMessage(comboOpen, WM_SKIN_SELECT_ITEM, 1, 0);
    Pump();
    // One pointer holds one press: the Next button gets its press as a message, then the open
    // list takes the mouse.
    ui::SendMessage(nextPressed, ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, (10 << 16) | 10);
    ui::SendMessage(comboOpen, ui::WM_LBUTTONDOWN, 0, 0);
    Move(At(DropList(comboOpen), 10, 14 * 2 + 4));
    Shot("skin_controls");
    EXPECT_TRUE(ui::IsWindowVisible(DropList(comboOpen)));
    (void)combo;
}

}  // namespace
}  // namespace zv::shell::testing

namespace zv::shell::testing {
namespace {

using namespace skin;

// The scroll bar that the list classes keep for a list of their own: arrows forwarded to the
// list, a thumb that drags the list's top item.
TEST_F(SkinTest, VScrollBarArrowsAndThumbScrollItsList) {
    const ui::Hwnd list = CreateSkinListBox(host, 14110, 20, 20, 120, 17 + 14 * 4);
    ASSERT_TRUE(list);
    const ui::Hwnd bar = CreateVScrollBarCtl(list, 14111, 104, 16, 16, 4 * 14 + 1);
    ASSERT_TRUE(bar);
    ui::BringWindowToTop(bar);  // over the inner list, which was made first
    ui::SendMessage(list, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
    ui::SendMessage(bar, WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(picture.get()));
    for (int i = 0; i < 12; ++i) {
        const std::string text = Sjis("部隊") + std::to_string(i);
        ui::SendMessage(list, WM_SKIN_ADD_ITEM, ui::WParam(i), reinterpret_cast<ui::LParam>(text.c_str()));
        ui::SendMessage(bar, WM_SKIN_ADD_ITEM, 4, 0);
    }
    Pump();
    auto top = [&] { return int(ui::SendMessage(list, WM_SKIN_GET_TOP, 0, 0)); };
    EXPECT_EQ(top(), 0);
    Click(At(bar, 8, 4 * 14 + 1 - 8));  // down arrow
    EXPECT_EQ(top(), 1);
    Click(At(bar, 8, 8));  // up arrow
    EXPECT_EQ(top(), 0);
    // The thumb: track 25 pixels (57 - 32) for 12 items, 4 visible: rows 16 .. 16 + 8.
    Down(At(bar, 8, 18));
    EXPECT_EQ(ui::GetCapture(), bar);
    Move(At(bar, 8, 18 + 20));
    EXPECT_EQ(top(), 5);  // 20 pixels over 4 visible rows
    Move(At(bar, 8, 18 + 60));
    EXPECT_EQ(top(), 8);  // limited to count - rows
    Move(At(bar, 8, 16 + 25 + 50));  // beyond 46 below the track: back to the start
    EXPECT_EQ(top(), 0);
    Move(At(bar, 60, 18 + 20));  // too far sideways: back to where the drag began
    EXPECT_EQ(top(), 0);
    Up(At(bar, 60, 18 + 20));
    EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
    // Disabled or emptied, the bar starts no drag.
    ui::SendMessage(bar, WM_SKIN_CLEAR, 0, 0);
    Down(At(bar, 8, 18));
    EXPECT_NE(ui::GetCapture(), bar);
    Up(At(bar, 8, 18));
}

}  // namespace
}  // namespace zv::shell::testing
