#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

// The window and client point of the last button-down message.
struct Hit {
    Hwnd hwnd;
    Point at;
};

Hit LastDown(const Recorder& rec) {
    for (auto it = rec.log.rbegin(); it != rec.log.rend(); ++it) {
        if (it->msg == WM_LBUTTONDOWN)
            return {it->hwnd, {GetXLParam(it->lParam), GetYLParam(it->lParam)}};
    }
    return {};
}

TEST_F(UiTest, ClicksGoToTheTopmostWindowUnderThePointInClientCoordinates) {
    const Hwnd below = Popup(0, 0, 200, 200);
    const Hwnd above = Popup(100, 100, 200, 200);
    // Children overlap too: the first one created lies on top.
    const Hwnd first = Child(below, 1, 10, 10, 50, 50);
    const Hwnd second = Child(below, 2, 30, 30, 50, 50);
    const Hwnd disabled = Child(below, 3, 0, 150, 40, 40, WS_VISIBLE | WS_DISABLED);
    const Hwnd hidden = Child(below, 4, 150, 0, 40, 40, 0);
    wm->PumpPending();

    struct Case {
        Point screen;
        Hwnd expected;
        Point client;
    };
    const Case cases[] = {
        {{150, 150}, above, {50, 50}},  // overlap of the two pop-ups
        {{50, 50}, first, {40, 40}},    // overlap of the children
        {{75, 75}, second, {45, 45}},   // only the second child
        {{10, 160}, below, {10, 160}},  // a disabled child lets the click through
        {{160, 10}, below, {160, 10}},  // so does a hidden one
    };
    for (const Case& c : cases) {
        rec.log.clear();
        screen->Click(c.screen.x, c.screen.y);
        wm->PumpPending();
        const Hit hit = LastDown(rec);
        SCOPED_TRACE(::testing::Message() << c.screen.x << "," << c.screen.y);
        EXPECT_EQ(hit.hwnd, c.expected);
        EXPECT_EQ(hit.at, c.client);
    }
    (void)disabled;
    (void)hidden;
    // The click on the lower pop-up activated it and brought it up.
    EXPECT_EQ(GetActiveWindow(), below);
    EXPECT_EQ(wm->GetChildren({}).front(), below);
    EXPECT_EQ(WindowFromPoint({150, 150}), below);
}

TEST_F(UiTest, TransparentWindowsLetTheClickReachTheSiblingBelow) {
    const Hwnd top = Popup(0, 0, 200, 200);
    const Hwnd group = Child(top, 1, 0, 0, 100, 100);   // on top, like a group box
    const Hwnd button = Child(top, 2, 10, 10, 30, 30);  // inside it
    rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult* r) {
        if (h == group && msg == WM_NCHITTEST) {
            *r = HTTRANSPARENT;
            return true;
        }
        return false;
    };
    screen->Click(15, 15);
    wm->PumpPending();
    EXPECT_EQ(LastDown(rec).hwnd, button);
}

TEST_F(UiTest, CaptureTakesEveryMouseMessageUntilReleased) {
    const Hwnd a = Popup(0, 0, 100, 100);
    const Hwnd b = Popup(200, 200, 100, 100);
    wm->PumpPending();
    EXPECT_EQ(SetCapture(a), Hwnd{});
    rec.log.clear();
    screen->MouseMove(250, 260);
    screen->MouseDown(250, 260);
    wm->PumpPending();
    const Received* move = rec.Last(a, WM_MOUSEMOVE);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(GetXLParam(move->lParam), 250);
    EXPECT_EQ(GetYLParam(move->lParam), 260);
    EXPECT_EQ(LastDown(rec).hwnd, a);
    EXPECT_EQ(rec.Count(b, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(rec.Last(a, WM_LBUTTONDOWN)->wParam & MK_LBUTTON, MK_LBUTTON);
    // Capture moving to another window tells the first one.
    SetCapture(b);
    EXPECT_EQ(HwndFromParam(rec.Last(a, WM_CAPTURECHANGED)->lParam), b);
    ReleaseCapture();
    EXPECT_EQ(rec.Count(b, WM_CAPTURECHANGED), 1);
    EXPECT_EQ(GetCapture(), Hwnd{});
    screen->MouseUp(250, 260);
    screen->MouseDown(50, 50);
    wm->PumpPending();
    EXPECT_EQ(LastDown(rec).hwnd, a);
}

TEST_F(UiTest, ClicksOnADisabledOwnerAreDropped) {
    const Hwnd owner = Popup(0, 0, 300, 300);
    const Hwnd dialog = Popup(100, 100, 100, 100, WS_VISIBLE, owner);
    EnableWindow(owner, false);
    wm->PumpPending();
    rec.log.clear();
    screen->Click(10, 10);
    wm->PumpPending();
    EXPECT_EQ(rec.Count(owner, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(GetActiveWindow(), dialog);
}

TEST_F(UiTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
    WindowClass wc;
    wc.name = "Clicky";
    wc.style = CS_DBLCLKS;
    wc.proc = RecordingProc;
    ASSERT_TRUE(RegisterClass(wc));
    const Hwnd dbl = CreateWindowEx(0, "Clicky", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, {}, 0,
                                    nullptr, nullptr);
    const Hwnd plain = Popup(200, 0, 100, 100);
    wm->PumpPending();
    struct Case {
        Hwnd target;
        Point second;
        uint32_t gapMs;
        bool isDouble;
    };
    const Case cases[] = {
        {dbl, {10, 10}, 100, true},
        {dbl, {10, 10}, 600, false},     // too slow
        {dbl, {20, 10}, 100, false},     // too far
        {plain, {210, 10}, 100, false},  // the class does not ask for them
    };
    for (const Case& c : cases) {
        Point first{c.target == dbl ? 10 : 210, 10};
        screen->Click(first.x, first.y);
        wm->PumpPending();
        screen->AdvanceClock(c.gapMs);
        rec.log.clear();
        screen->Click(c.second.x, c.second.y);
        wm->PumpPending();
        EXPECT_EQ(rec.Count(c.target, WM_LBUTTONDBLCLK), c.isDouble ? 1 : 0);
        EXPECT_EQ(rec.Count(c.target, WM_LBUTTONDOWN), c.isDouble ? 0 : 1);
        screen->AdvanceClock(1000);
    }
}

TEST_F(UiTest, KeysAndCharactersGoToTheFocusWindow) {
    const Hwnd top = Popup(0, 0, 100, 100);
    const Hwnd edit = Child(top, 1, 0, 0, 50, 20);
    SetFocus(edit);
    EXPECT_EQ(HwndFromParam(rec.Last(top, WM_KILLFOCUS)->wParam), edit);
    EXPECT_EQ(HwndFromParam(rec.Last(edit, WM_SETFOCUS)->wParam), top);
    rec.log.clear();
    screen->KeyDown(VK_RETURN);
    screen->KeyUp(VK_RETURN);
    screen->Text("A\xE3\x81\x82");  // "Aあ"
    Msg m;
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
        TranslateMessage(m);
        DispatchMessage(m);
    }
    std::vector<std::pair<uint32_t, WParam>> keys;
    for (const auto& r : rec.log) {
        if (r.hwnd == edit && (r.msg == WM_KEYDOWN || r.msg == WM_KEYUP || r.msg == WM_CHAR)) {
            keys.emplace_back(r.msg, r.wParam);
        }
    }
    const std::vector<std::pair<uint32_t, WParam>> expected = {
        {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 0x0D}, {WM_KEYUP, VK_RETURN},
        {WM_CHAR, 'A'},          {WM_CHAR, 0x82}, {WM_CHAR, 0xA0}};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(static_cast<uint32_t>(rec.Last(edit, WM_KEYUP)->lParam) >> 30, 3u);
    EXPECT_EQ(GetKeyState(VK_RETURN), 0);
    // Hiding the focus window gives the focus back to its top-level window.
    ShowWindow(edit, SW_HIDE);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(UiTest, LosingTheScreenWindowsFocusReleasesEveryKey) {
    const Hwnd top = Popup(0, 0, 100, 100);
    SetFocus(top);
    screen->KeyDown(VK_MENU);
    screen->KeyDown(VK_SHIFT);
    screen->MouseDown(10, 10);
    Msg m;
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) DispatchMessage(m);
    ASSERT_NE(GetKeyState(VK_MENU), 0);
    BackendEvent lost;
    lost.kind = BackendEventKind::FocusLost;
    screen->Inject(lost);
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) DispatchMessage(m);
    for (uint32_t vk : {VK_MENU, VK_SHIFT, VK_LBUTTON}) EXPECT_EQ(GetKeyState(vk), 0) << vk;
    // The next key is a plain key again, not a system key with Alt held.
    rec.log.clear();
    screen->KeyDown('A');
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) DispatchMessage(m);
    EXPECT_EQ(rec.Count(top, WM_KEYDOWN), 1);
    EXPECT_EQ(rec.Count(top, WM_SYSKEYDOWN), 0);
}

TEST_F(UiTest, CaptionDragMovesAndTheCloseBoxCloses) {
    const Hwnd w =
        CreateWindowEx(0, "Recorder", "t", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100,
                       100, 200, 150, {}, 0, nullptr, nullptr);
    wm->PumpPending();
    // Press on the caption, drag by (30, 40), release.
    screen->MouseMove(150, 110);
    screen->MouseDown(150, 110);
    screen->MouseMove(170, 130);
    screen->MouseMove(180, 150);
    screen->MouseUp(180, 150);
    wm->PumpPending();
    Rect r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r, (Rect{130, 140, 330, 290}));
    EXPECT_EQ(GetCapture(), Hwnd{});
    EXPECT_EQ(rec.Count(w, WM_ENTERSIZEMOVE), 1);
    EXPECT_EQ(rec.Count(w, WM_EXITSIZEMOVE), 1);
    // The close box sits at the right end of the caption.
    const Point close{r.right - 3 - 2 - 8, r.top + 3 + 8};
    screen->Click(close.x, close.y);
    wm->PumpPending();
    EXPECT_EQ(rec.Count(w, WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(UiTest, ScrollBarsClampAndReportTheirParts) {
    const Hwnd w = Popup(0, 0, 116, 116, WS_VISIBLE | WS_VSCROLL);
    ScrollInfo si;
    si.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.min = 0;
    si.max = 99;
    si.page = 10;
    si.pos = 500;
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, si, true), 90);  // at most max - page + 1
    EXPECT_EQ(SetScrollPos(w, SB_VERT, -5, true), 90);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    wm->PumpPending();
    struct Case {
        Point at;
        uint32_t code;
    };
    const Case cases[] = {
        {{108, 5}, SB_LINEUP}, {{108, 110}, SB_LINEDOWN}, {{108, 80}, SB_PAGEDOWN}};
    for (const Case& c : cases) {
        rec.log.clear();
        screen->Click(c.at.x, c.at.y);
        wm->PumpPending();
        std::vector<WParam> codes;
        for (const auto& r : rec.log) {
            if (r.msg == WM_VSCROLL) codes.push_back(LoWord(r.wParam));
        }
        EXPECT_EQ(codes, (std::vector<WParam>{c.code, SB_ENDSCROLL}));
    }
    // Dragging the thumb to the far end tracks and then sets the last position.
    rec.log.clear();
    screen->MouseMove(108, 20);
    screen->MouseDown(108, 20);
    screen->MouseMove(108, 400);
    screen->MouseUp(108, 400);
    wm->PumpPending();
    const Received* last = nullptr;
    for (const auto& r : rec.log) {
        if (r.msg == WM_VSCROLL && LoWord(r.wParam) == SB_THUMBPOSITION) last = &r;
    }
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(HiWord(last->wParam), 90);
}

TEST_F(UiTest, WheelGoesToTheFocusAndBubblesToTheParent) {
    const Hwnd top = Popup(0, 0, 100, 100);
    const Hwnd child = Child(top, 1, 0, 0, 50, 50);
    SetFocus(child);
    rec.log.clear();
    screen->Wheel(5, 5, -WHEEL_DELTA);
    wm->PumpPending();
    ASSERT_NE(rec.Last(child, WM_MOUSEWHEEL), nullptr);
    const Received* up = rec.Last(top, WM_MOUSEWHEEL);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(GetWheelDeltaWParam(up->wParam), -WHEEL_DELTA);
}

TEST_F(UiTest, ClassCursorsShowOverTheClientArea) {
    CursorImage img;
    img.width = img.height = 2;
    img.argb = {0xFF0000FF, 0, 0, 0xFF0000FF};
    const Hcursor mine = CreateCursor(img);
    ASSERT_NE(mine, 0u);
    WindowClass wc;
    wc.name = "Pointy";
    wc.proc = RecordingProc;
    wc.cursor = mine;
    ASSERT_TRUE(RegisterClass(wc));
    CreateWindowEx(0, "Pointy", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, {}, 0, nullptr, nullptr);
    screen->MouseMove(10, 10);
    wm->PumpPending();
    EXPECT_EQ(GetCursor(), mine);
    EXPECT_EQ(screen->CurrentCursor().argb, img.argb);
    screen->MouseMove(300, 300);  // the desktop
    wm->PumpPending();
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_FALSE(CreateCursor(CursorImage{}));
}

}  // namespace
}  // namespace zv::ui::testing
