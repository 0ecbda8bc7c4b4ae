#include "platform/ui/controls/tests/ControlTestSupport.h"

namespace zv::ui::testing {
namespace {

using Buttons = ControlTest;

TEST_F(Buttons, ClicksChangeTheCheckAsTheStyleSays) {
    struct Case {
        uint32_t style;
        std::vector<LResult> checks;  // after each of three clicks
    };
    const Case cases[] = {
        {BS_PUSHBUTTON, {0, 0, 0}}, {BS_CHECKBOX, {0, 0, 0}},    {BS_AUTOCHECKBOX, {1, 0, 1}},
        {BS_AUTO3STATE, {1, 2, 0}}, {BS_RADIOBUTTON, {0, 0, 0}}, {BS_AUTORADIOBUTTON, {1, 1, 1}},
    };
    int id = 100;
    for (const Case& c : cases) {
        ++id;
        const Hwnd b = Make(kButtonClass, "&Go", c.style | WS_TABSTOP, id, 10, 10, 80, 22);
        for (std::size_t k = 0; k < 3; ++k) {
            Click(Center(b));
            EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), c.checks[k]) << c.style << " click " << k;
        }
        EXPECT_EQ(log.Count(WM_COMMAND, id, BN_CLICKED), 3) << c.style;
        DestroyWindow(b);
    }
}

TEST_F(Buttons, PressMovedOffAndReleasedDoesNotClick) {
    const Hwnd b = Make(kButtonClass, "OK", BS_DEFPUSHBUTTON, 1, 10, 10, 80, 24);
    const Point c = Center(b);
    screen->MouseMove(c.x, c.y);
    screen->MouseDown(c.x, c.y);
    Pump();
    EXPECT_TRUE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    screen->MouseMove(300, 300);
    Pump();
    EXPECT_FALSE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    screen->MouseUp(300, 300);
    Pump();
    EXPECT_EQ(log.Count(WM_COMMAND, 1, BN_CLICKED), 0);
    EXPECT_EQ(GetFocus(), b);
    // Space on the focused button clicks it.
    Key(VK_SPACE);
    EXPECT_EQ(log.Count(WM_COMMAND, 1, BN_CLICKED), 1);
}

TEST_F(Buttons, AutoRadioUnchecksTheOthersOfItsGroupOnly) {
    const Hwnd a = Make(kButtonClass, "A", BS_AUTORADIOBUTTON | WS_GROUP, 1, 10, 10, 80, 20);
    const Hwnd b = Make(kButtonClass, "B", BS_AUTORADIOBUTTON, 2, 10, 30, 80, 20);
    const Hwnd c = Make(kButtonClass, "C", BS_AUTORADIOBUTTON, 3, 10, 50, 80, 20);
    const Hwnd d = Make(kButtonClass, "D", BS_AUTORADIOBUTTON | WS_GROUP, 4, 10, 70, 80, 20);
    SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(d, BM_SETCHECK, BST_CHECKED, 0);
    Click(Center(c));
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessage(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessage(d, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The checked radio button is the group's tab stop.
    EXPECT_TRUE(GetWindowLong(c, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLong(a, GWL_STYLE) & WS_TABSTOP);
}

TEST_F(Buttons, DialogCodesAndStyleChange) {
    struct Case {
        uint32_t style;
        LResult code;
    };
    const Case cases[] = {
        {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
        {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
        {BS_AUTOCHECKBOX, DLGC_BUTTON},
        {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
        {BS_GROUPBOX, DLGC_STATIC},
        {BS_OWNERDRAW, DLGC_BUTTON},
    };
    for (const Case& c : cases) {
        const Hwnd b = Make(kButtonClass, "x", c.style, 9, 0, 0, 50, 20);
        EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), c.code) << c.style;
        DestroyWindow(b);
    }
    const Hwnd b = Make(kButtonClass, "x", BS_PUSHBUTTON, 9, 0, 0, 50, 20);
    SendMessage(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, 1);
    EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

TEST_F(Buttons, OwnerDrawGetsTheItemState) {
    const Hwnd b = Make(kButtonClass, "", BS_OWNERDRAW | BS_PUSHLIKE, 10607, 20, 20, 36, 20);
    wm->Flush();
    ASSERT_FALSE(log.drawn.empty());
    EXPECT_EQ(log.drawn.back().ctlType, ODT_BUTTON);
    EXPECT_EQ(log.drawn.back().ctlId, 10607u);
    EXPECT_EQ(log.drawn.back().itemState & (ODS_SELECTED | ODS_DISABLED), 0u);
    const Point c = Center(b);
    screen->MouseMove(c.x, c.y);
    screen->MouseDown(c.x, c.y);
    Pump();
    wm->Flush();
    EXPECT_EQ(log.drawn.back().itemState & (ODS_SELECTED | ODS_FOCUS), ODS_SELECTED | ODS_FOCUS);
    screen->MouseUp(c.x, c.y);
    Pump();
    EnableWindow(b, false);
    wm->Flush();
    EXPECT_TRUE(log.drawn.back().itemState & ODS_DISABLED);
    EXPECT_EQ(log.Count(WM_COMMAND, 10607, BN_CLICKED), 1);
}

TEST_F(Buttons, GroupBoxLetsClicksThrough) {
    const Hwnd check = Make(kButtonClass, "in", BS_AUTOCHECKBOX, 2, 20, 30, 80, 20);
    const Hwnd group = Make(kButtonClass, "Group", BS_GROUPBOX, 1, 10, 10, 200, 100);
    (void)group;
    Click(Center(check));
    EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(At(parent, 150, 90));  // inside the group, on nothing
    EXPECT_EQ(log.Count(WM_COMMAND, 1, BN_CLICKED), 0);
}

using Statics = ControlTest;

TEST_F(Statics, NotifyOnlyWithSsNotify) {
    const Hwnd quiet = Make(kStaticClass, "quiet", SS_LEFT, 1, 10, 10, 100, 20);
    const Hwnd loud = Make(kStaticClass, "loud", SS_CENTER | SS_NOTIFY, 2, 10, 40, 100, 20);
    Click(Center(quiet));
    Click(Center(loud));
    DoubleClick(Center(loud));
    EXPECT_TRUE(log.Codes(WM_COMMAND, 1).empty());
    EXPECT_EQ(log.Count(WM_COMMAND, 2, STN_CLICKED), 2);
    EXPECT_EQ(log.Count(WM_COMMAND, 2, STN_DBLCLK), 1);
    EXPECT_EQ(SendMessage(loud, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(Statics, BitmapTakesThePictureSize) {
    std::vector<uint8_t> pixels(40 * 30, 3);
    RgbQuad palette[4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    IndexedSurface pic{pixels.data(), 40, 30, 40, false, palette, 4};
    const Hwnd s = Make(kStaticClass, "", SS_BITMAP, 1, 50, 50, 10, 10);
    EXPECT_EQ(SendMessage(s, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LParam>(&pic)), 0);
    EXPECT_EQ(SendMessage(s, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LResult>(&pic));
    Rect r;
    GetClientRect(s, &r);
    EXPECT_EQ(r.Width(), 40);
    EXPECT_EQ(r.Height(), 30);
    wm->Flush();
    const Point p = At(s, 5, 5);
    EXPECT_EQ(screen->PixelAt(p.x, p.y), 0x0000FFu);  // blue, as index 3 says
}

TEST_F(Buttons, Screenshot) {
    const Hwnd push = Make(kButtonClass, "&Push", BS_PUSHBUTTON, 1, 10, 10, 90, 24);
    const Hwnd def = Make(kButtonClass, "Default", BS_DEFPUSHBUTTON, 2, 110, 10, 90, 24);
    const Hwnd pushed = Make(kButtonClass, "Pushed", BS_PUSHBUTTON, 3, 210, 10, 90, 24);
    SendMessage(pushed, BM_SETSTATE, 1, 0);
    const Hwnd off = Make(kButtonClass, "Disabled", BS_PUSHBUTTON, 4, 310, 10, 90, 24);
    EnableWindow(off, false);
    const Hwnd c1 = Make(kButtonClass, Sjis("チェック"), BS_AUTOCHECKBOX, 5, 10, 50, 100, 20);
    SendMessage(c1, BM_SETCHECK, BST_CHECKED, 0);
    const Hwnd c2 = Make(kButtonClass, "Three-state", BS_AUTO3STATE, 6, 120, 50, 120, 20);
    SendMessage(c2, BM_SETCHECK, BST_INDETERMINATE, 0);
    const Hwnd c3 = Make(kButtonClass, "Clear", BS_AUTOCHECKBOX, 7, 250, 50, 100, 20);
    const Hwnd r1 =
        Make(kButtonClass, Sjis("ラジオ1"), BS_AUTORADIOBUTTON | WS_GROUP, 8, 20, 100, 100, 20);
    const Hwnd r2 = Make(kButtonClass, Sjis("ラジオ2"), BS_AUTORADIOBUTTON, 9, 20, 125, 100, 20);
    SendMessage(r1, BM_SETCHECK, BST_CHECKED, 0);
    Make(kButtonClass, Sjis("グループ"), BS_GROUPBOX, 10, 10, 80, 200, 75);
    const Hwnd left = Make(kStaticClass, Sjis("左寄せ &Static"), SS_LEFT, 11, 230, 90, 150, 18);
    const Hwnd centre = Make(kStaticClass, Sjis("中央"), SS_CENTER | SS_SUNKEN, 12, 230, 112, 150, 18);
    const Hwnd right = Make(kStaticClass, Sjis("右 & no prefix"), SS_RIGHT | SS_NOPREFIX, 13, 230, 134, 150, 18);
    Make(kStaticClass, "", SS_ETCHEDHORZ, 14, 10, 170, 370, 2);
    const Hwnd etched = Make(kStaticClass, "", SS_ETCHEDFRAME, 15, 400, 90, 60, 60);
    const Hwnd blackFrame = Make(kStaticClass, "", SS_BLACKFRAME, 16, 470, 90, 60, 60);
    SetFocus(def);
    Shot("buttons_statics");

    const uint32_t black = 0x000000, white = 0xFFFFFF, face = SysPixel(COLOR_BTNFACE);
    const uint32_t shadow = SysPixel(COLOR_BTNSHADOW), grey = SysPixel(COLOR_GRAYTEXT);
    // Raised, default (a black outline) and pushed (a shadow outline) buttons.
    EXPECT_EQ(CountPixels(push, 0, 0, 1, 1, white), 1);
    EXPECT_EQ(CountPixels(def, 0, 0, 1, 1, black), 1);
    EXPECT_EQ(CountPixels(pushed, 0, 0, 1, 1, shadow), 1);
    // A disabled button's text is grey; an enabled one's black.
    EXPECT_GT(CountPixels(push, 4, 4, 82, 16, black), 10);
    EXPECT_EQ(CountPixels(off, 4, 4, 82, 16, black), 0);
    EXPECT_GT(CountPixels(off, 4, 4, 82, 16, grey), 10);
    // The check mark: black when checked, grey when indeterminate, none when clear.
    EXPECT_GE(CountPixels(c1, 3, 6, 8, 8, black), 10);
    EXPECT_EQ(CountPixels(c2, 3, 6, 8, 8, black), 0);
    EXPECT_GE(CountPixels(c2, 3, 6, 8, 8, shadow), 10);
    EXPECT_EQ(CountPixels(c3, 3, 6, 8, 8, black), 0);
    EXPECT_EQ(CountPixels(c3, 3, 6, 8, 8, white), 64);
    // Only the checked radio button has its dot.
    EXPECT_GE(CountPixels(r1, 3, 6, 6, 7, black), CountPixels(r2, 3, 6, 6, 7, black) + 6);
    // Alignment of the statics' text.
    const auto l = InkColumns(left, face), c = InkColumns(centre, face, 2), r = InkColumns(right, face);
    EXPECT_GE(l.first, 0);
    EXPECT_LE(l.first, 2);
    EXPECT_LT(l.second, 120);
    EXPECT_NEAR((c.first + c.second) / 2, 75, 3);
    EXPECT_GT(c.first, 40);
    EXPECT_GE(r.second, 146);
    EXPECT_GT(r.first, 40);
    // Frames: black all round, or etched in shadow and white, around the dialog's face.
    EXPECT_EQ(CountPixels(blackFrame, black), 4 * 59);
    EXPECT_EQ(CountPixels(blackFrame, 2, 2, 56, 56, face), 56 * 56);
    EXPECT_EQ(CountPixels(etched, black), 0);
    EXPECT_GE(CountPixels(etched, shadow), 4 * 55);
    EXPECT_GE(CountPixels(etched, white), 4 * 55);
}

}  // namespace
}  // namespace zv::ui::testing
