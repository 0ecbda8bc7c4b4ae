// Window frames driven by input: hit testing, the move and size loop (mouse and keyboard, with
// WM_GETMINMAXINFO limits), caption buttons, iconic windows, activation order and messages,
// ScrollWindowEx, mouse-leave and hover tracking, and the program's activation.
#include <gtest/gtest.h>

#include "platform/ui/SysColors.h"
#include "platform/ui/tests/MenuTestSupport.h"

namespace zv::ui::testing {
namespace {

class FrameTest : public MenuTest {
  protected:
    // A sizable, captioned top-level window at (100, 80), 300 x 200, without a menu.
    Hwnd Sizable(const char* title = "Sizable", uint32_t extra = WS_VISIBLE) {
        const Hwnd h = CreateWindowEx(0, "Recorder", title, WS_OVERLAPPEDWINDOW | extra, 100, 80,
                                      300, 200, {}, 0, nullptr, nullptr);
        Pump();
        return h;
    }
    Rect WindowRect(Hwnd h) {
        Rect r;
        GetWindowRect(h, &r);
        return r;
    }
    void Drag(Point from, Point to) {
        screen->MouseMove(from.x, from.y);
        screen->MouseDown(from.x, from.y);
        screen->MouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
        screen->MouseMove(to.x, to.y);
        screen->MouseUp(to.x, to.y);
        Pump();
    }
    // The messages of h among `which`, in order.
    std::vector<uint32_t> Only(Hwnd h, std::initializer_list<uint32_t> which) {
        std::vector<uint32_t> out;
        for (const auto& r : rec.log) {
            if (r.hwnd != h) continue;
            for (uint32_t m : which) {
                if (r.msg == m) out.push_back(m);
            }
        }
        return out;
    }
};

intptr_t HitAt(Hwnd h, int x, int y) {
    return SendMessage(h, WM_NCHITTEST, 0, MakeLParam(x, y));
}

TEST_F(FrameTest, HitTestAnswersEveryPartOfASizableCaptionedFrame) {
    const Hwnd h = Sizable();
    // Window coordinates (the window lies at 100, 80 and is 300 x 200).
    struct Case {
        int x, y;
        intptr_t hit;
    } cases[] = {
        {1, 1, HTTOPLEFT},        {15, 1, HTTOPLEFT},       {1, 15, HTTOPLEFT},
        {150, 1, HTTOP},          {298, 1, HTTOPRIGHT},     {298, 15, HTTOPRIGHT},
        {1, 100, HTLEFT},         {298, 100, HTRIGHT},      {150, 198, HTBOTTOM},
        {1, 198, HTBOTTOMLEFT},   {1, 185, HTBOTTOMLEFT},   {298, 198, HTBOTTOMRIGHT},
        {285, 198, HTBOTTOMRIGHT}, {150, 12, HTCAPTION},    {10, 12, HTSYSMENU},
        {285, 12, HTCLOSE},       {268, 12, HTMAXBUTTON},   {250, 12, HTMINBUTTON},
        {150, 100, HTCLIENT},     {-1, 100, HTNOWHERE},     {300, 100, HTNOWHERE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitAt(h, 100 + c.x, 80 + c.y), c.hit) << c.x << "," << c.y;
    }
    // The pointer over an edge or corner shows which way it pulls.
    struct Pointer {
        int x, y, cursor;
    } pointers[] = {{1, 100, IDC_SIZEWE},   {298, 100, IDC_SIZEWE},   {150, 198, IDC_SIZENS},
                    {1, 1, IDC_SIZENWSE},   {298, 198, IDC_SIZENWSE}, {298, 1, IDC_SIZENESW},
                    {1, 198, IDC_SIZENESW}, {150, 12, IDC_ARROW}};
    EXPECT_NE(LoadCursor(nullptr, IDC_SIZEWE), LoadCursor(nullptr, IDC_ARROW));
    for (const Pointer& p : pointers) {
        screen->MouseMove(100 + p.x, 80 + p.y);
        Pump();
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, p.cursor)) << p.x << "," << p.y;
    }
    EXPECT_FALSE(DestroyCursor(LoadCursor(nullptr, IDC_SIZENS)));  // stock cursors stay
    // The menu bar, when there is one, lies between the caption and the client area.
    const Hwnd m = MakeFrame(LoadMenu(nullptr, kTestMenu));
    const Rect mr = WindowRect(m);
    EXPECT_EQ(HitAt(m, mr.left + 200, mr.top + 4 + kCaptionHeight + 5), HTMENU);
    // Maximised, a sizable window has no edges to pull; a fixed dialog frame never has.
    ShowWindow(h, SW_SHOWMAXIMIZED);
    const Rect max = WindowRect(h);
    EXPECT_EQ(HitAt(h, max.left + 1, max.top + 100), HTBORDER);
    const Hwnd fixed = CreateWindowEx(0, "Recorder", "Fixed",
                                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 10, 10,
                                      200, 100, {}, 0, nullptr, nullptr);
    EXPECT_EQ(HitAt(fixed, 11, 60), HTBORDER);
    EXPECT_EQ(HitAt(fixed, 209, 60), HTBORDER);
}

TEST_F(FrameTest, DraggingTheCaptionMovesTheWindowInsideAMoveLoop) {
    const Hwnd h = Sizable();
    rec.log.clear();
    Drag({250, 90}, {310, 140});
    EXPECT_EQ(WindowRect(h), (Rect{160, 130, 460, 330}));
    const std::vector<uint32_t> order =
        Only(h, {WM_ENTERSIZEMOVE, WM_MOVING, WM_SIZING, WM_EXITSIZEMOVE});
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order.front(), WM_ENTERSIZEMOVE);
    EXPECT_EQ(order.back(), WM_EXITSIZEMOVE);
    EXPECT_EQ(rec.Count(h, WM_SIZING), 0);
    // WM_MOVING carries the proposed rectangle in screen coordinates, and the window goes
    // where the procedure leaves it: here it keeps to a 20-pixel grid.
    rec.handler = [&](Hwnd w, uint32_t msg, WParam, LParam l, LResult* r) {
        if (w != h || msg != WM_MOVING) return false;
        auto* p = reinterpret_cast<Rect*>(l);
        *p = p->Offset(-(p->left % 20), -(p->top % 20));
        *r = 1;
        return true;
    };
    Drag({250, 140}, {263, 157});
    EXPECT_EQ(WindowRect(h), (Rect{160, 140, 460, 340}));
}

TEST_F(FrameTest, DraggingEachEdgeAndCornerResizesWithinTheTrackingLimits) {
    const Hwnd h = Sizable();
    // The window keeps to at least 200 x 150 and at most 400 x 260.
    rec.handler = [&](Hwnd w, uint32_t msg, WParam, LParam l, LResult* r) {
        if (w != h || msg != WM_GETMINMAXINFO) return false;
        auto* mm = reinterpret_cast<MinMaxInfo*>(l);
        mm->minTrackSize = {200, 150};
        mm->maxTrackSize = {400, 260};
        *r = 0;
        return true;
    };
    const Rect start{100, 80, 400, 280};
    struct Case {
        Point grab;  // window coordinates
        int dx, dy;
        Rect expected;
        uint32_t wmsz;
    } cases[] = {
        {{1, 100}, -30, 7, {70, 80, 400, 280}, WMSZ_LEFT},
        {{298, 100}, 40, 0, {100, 80, 440, 280}, WMSZ_RIGHT},
        {{150, 1}, 0, -20, {100, 60, 400, 280}, WMSZ_TOP},
        {{150, 198}, 0, 25, {100, 80, 400, 305}, WMSZ_BOTTOM},
        {{1, 1}, -10, -10, {90, 70, 400, 280}, WMSZ_TOPLEFT},
        {{298, 1}, 10, -10, {100, 70, 410, 280}, WMSZ_TOPRIGHT},
        {{1, 198}, -10, 10, {90, 80, 400, 290}, WMSZ_BOTTOMLEFT},
        {{298, 198}, 10, 10, {100, 80, 410, 290}, WMSZ_BOTTOMRIGHT},
        // Held at the minimum (the opposite edges stay put) and the maximum.
        {{1, 100}, 250, 0, {200, 80, 400, 280}, WMSZ_LEFT},
        {{150, 1}, 0, 180, {100, 130, 400, 280}, WMSZ_TOP},
        {{298, 198}, -290, -190, {100, 80, 300, 230}, WMSZ_BOTTOMRIGHT},
        {{298, 198}, 300, 300, {100, 80, 500, 340}, WMSZ_BOTTOMRIGHT},
    };
    for (const Case& c : cases) {
        MoveWindow(h, start.left, start.top, start.Width(), start.Height(), true);
        Pump();
        rec.log.clear();
        const Point from{start.left + c.grab.x, start.top + c.grab.y};
        Drag(from, {from.x + c.dx, from.y + c.dy});
        EXPECT_EQ(WindowRect(h), c.expected) << c.grab.x << "," << c.grab.y << " by " << c.dx
                                             << "," << c.dy;
        const Received* sizing = rec.Last(h, WM_SIZING);
        ASSERT_NE(sizing, nullptr);
        EXPECT_EQ(sizing->wParam, c.wmsz);
        EXPECT_EQ(rec.Count(h, WM_ENTERSIZEMOVE), 1);
        EXPECT_EQ(rec.Count(h, WM_EXITSIZEMOVE), 1);
    }
    // A window that is not sizable has no edges: pressing its border moves nothing.
    const Hwnd fixed = CreateWindowEx(0, "Recorder", "Fixed",
                                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 420, 300,
                                      200, 100, {}, 0, nullptr, nullptr);
    Pump();
    Drag({421, 350}, {380, 350});
    EXPECT_EQ(WindowRect(fixed), (Rect{420, 300, 620, 400}));
}

TEST_F(FrameTest, MaximisingFillsTheScreenUnlessMinMaxInfoSaysOtherwiseAndRestoreReturns) {
    const Hwnd h = Sizable();
    const Rect normal = WindowRect(h);
    ShowWindow(h, SW_SHOWMAXIMIZED);
    // The frame lies outside the screen, so caption and client fill it.
    EXPECT_EQ(WindowRect(h), (Rect{-4, -4, 644, 484}));
    ShowWindow(h, SW_MINIMIZE);
    ShowWindow(h, SW_RESTORE);  // back to maximised, as it was before minimising
    EXPECT_TRUE(IsZoomed(h));
    ShowWindow(h, SW_RESTORE);
    EXPECT_EQ(WindowRect(h), normal);
    rec.handler = [&](Hwnd w, uint32_t msg, WParam, LParam l, LResult* r) {
        if (w != h || msg != WM_GETMINMAXINFO) return false;
        auto* mm = reinterpret_cast<MinMaxInfo*>(l);
        EXPECT_EQ(mm->maxSize.x, 648);  // the defaults come filled in
        mm->maxPosition = {10, 20};
        mm->maxSize = {400, 300};
        *r = 0;
        return true;
    };
    ShowWindow(h, SW_SHOWMAXIMIZED);
    EXPECT_EQ(WindowRect(h), (Rect{10, 20, 410, 320}));
    ShowWindow(h, SW_RESTORE);
    EXPECT_EQ(WindowRect(h), normal);
}

TEST_F(FrameTest, KeyboardMoveAndSizeFromTheSystemMenuEndWithEnterAndEscRestores) {
    const Hwnd h = Sizable();
    SetForegroundWindow(h);
    Pump();
    // Alt+Space opens the system menu, M chooses Move; arrows move 8 pixels, Enter ends.
    AltKey(VK_SPACE);
    Key('M');
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    Key(VK_RETURN);
    Pump();
    EXPECT_EQ(WindowRect(h), (Rect{116, 88, 416, 288}));
    EXPECT_EQ(rec.Count(h, WM_EXITSIZEMOVE), 1);
    // Size: the first arrow picks the edge (Left: the left edge), the next ones pull it; an
    // arrow across that edge does nothing. Enter keeps the size.
    AltKey(VK_SPACE);
    Key('S');
    Key(VK_LEFT);
    Key(VK_LEFT);
    Key(VK_UP);
    Key(VK_RETURN);
    Pump();
    EXPECT_EQ(WindowRect(h), (Rect{100, 88, 416, 288}));
    // Esc puts the window back where the loop found it, after it had moved or changed size.
    for (uint32_t cmd : {SC_MOVE, SC_SIZE}) {
        Key(VK_RIGHT);
        Key(VK_DOWN);
        Key(VK_ESCAPE);
        rec.log.clear();
        SendMessage(h, WM_SYSCOMMAND, cmd, 0);
        EXPECT_EQ(WindowRect(h), (Rect{100, 88, 416, 288})) << cmd;
        EXPECT_GE(rec.Count(h, WM_WINDOWPOSCHANGED), 2) << cmd;
        EXPECT_EQ(rec.Count(h, WM_EXITSIZEMOVE), 1) << cmd;
    }
}

TEST_F(FrameTest, SystemMenuOffersWhatTheWindowsStateAllows) {
    const uint32_t all[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};
    struct Case {
        const char* name;
        uint32_t style;
        int show;
        std::vector<uint32_t> enabled;
    } cases[] = {
        {"normal", WS_OVERLAPPEDWINDOW, SW_SHOW,
         {SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE}},
        {"maximised", WS_OVERLAPPEDWINDOW, SW_SHOWMAXIMIZED, {SC_RESTORE, SC_MINIMIZE, SC_CLOSE}},
        {"minimised", WS_OVERLAPPEDWINDOW, SW_MINIMIZE,
         {SC_RESTORE, SC_MOVE, SC_MAXIMIZE, SC_CLOSE}},
        {"fixed", WS_POPUP | WS_CAPTION | WS_SYSMENU, SW_SHOW, {SC_MOVE, SC_CLOSE}},
    };
    for (const Case& c : cases) {
        const Hwnd h = CreateWindowEx(0, "Recorder", c.name, c.style, 100, 80, 300, 200, {}, 0,
                                      nullptr, nullptr);
        ShowWindow(h, c.show);
        Pump();
        // A press on the caption's icon opens the menu; the states are read while it is open.
        Rect icon;
        ASSERT_TRUE(wm->GetCaptionIconRect(h, &icon)) << c.name;
        std::vector<uint32_t> enabled;
        {
            Script script(h);
            script.Then([&] {
                const Hmenu sys = GetSystemMenu(h, false);
                for (uint32_t id : all) {
                    if (!(GetMenuState(sys, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
                        enabled.push_back(id);
                }
                Key(VK_ESCAPE);
                Key(VK_ESCAPE);
            });
            screen->Click(Centre(icon).x, Centre(icon).y);
            Pump();
        }
        EXPECT_EQ(enabled, c.enabled) << c.name;
        DestroyWindow(h);
    }
}

TEST_F(FrameTest, CaptionButtonsActOnReleaseOverThemselvesAndShowPressed) {
    const Hwnd h = Sizable();
    const Rect r = WindowRect(h);
    const Point close{r.left + 285, r.top + 12};
    const Point max{r.left + 268, r.top + 12};
    const Point min{r.left + 250, r.top + 12};
    // While held the close button is pushed in: its top-left edge turns dark.
    const uint32_t raisedEdge = screen->PixelAt(close.x - 7, close.y - 6);
    uint32_t heldEdge = raisedEdge;
    {
        Script script(h);
        script.Then([&] {
            wm->Flush();
            heldEdge = screen->PixelAt(close.x - 7, close.y - 6);
            // Slide off and let go elsewhere: nothing happens.
            screen->MouseMove(close.x - 100, close.y);
            screen->MouseUp(close.x - 100, close.y);
        });
        screen->MouseMove(close.x, close.y);
        screen->MouseDown(close.x, close.y);
        Pump();
    }
    EXPECT_NE(heldEdge, raisedEdge);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(screen->PixelAt(close.x - 7, close.y - 6), raisedEdge);

    // Maximise, restore (the same button, now with the restore glyph), minimise, close.
    screen->Click(max.x, max.y);
    Pump();
    EXPECT_TRUE(IsZoomed(h));
    const Rect z = WindowRect(h);
    const Point restore{z.right - (r.right - max.x), z.top + (max.y - r.top)};
    EXPECT_EQ(HitAt(h, restore.x, restore.y), HTMAXBUTTON);
    screen->Click(restore.x, restore.y);
    Pump();
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_EQ(WindowRect(h), r);
    screen->Click(min.x, min.y);
    Pump();
    EXPECT_TRUE(IsIconic(h));
    screen->Click(close.x, close.y);  // the window is no longer there
    Pump();
    EXPECT_TRUE(IsWindow(h));
    ShowWindow(h, SW_RESTORE);
    Pump();
    screen->Click(close.x, close.y);
    Pump();
    EXPECT_FALSE(IsWindow(h));
    // WM_SYSCOMMAND came for each, with the command the button stands for.
    std::vector<uint32_t> cmds;
    for (const auto& e : rec.log) {
        if (e.hwnd == h && e.msg == WM_SYSCOMMAND) cmds.push_back(static_cast<uint32_t>(e.wParam));
    }
    EXPECT_EQ(cmds, (std::vector<uint32_t>{SC_MAXIMIZE, SC_RESTORE, SC_MINIMIZE, SC_CLOSE}));
}

TEST_F(FrameTest, MinimisedWindowsLineUpAsCaptionsWithWorkingButtons) {
    const Hwnd a = Sizable("Alpha");
    const Hwnd b = Sizable("Beta");
    const Rect before = WindowRect(a);
    ShowWindow(a, SW_MINIMIZE);
    ShowWindow(b, SW_MINIMIZE);
    Pump();
    const int iconHeight = kCaptionHeight + 2 * kSizingFrameWidth;
    EXPECT_EQ(WindowRect(a), (Rect{0, 480 - iconHeight, 160, 480}));
    EXPECT_EQ(WindowRect(b), (Rect{160, 480 - iconHeight, 320, 480}));
    EXPECT_TRUE(IsWindowVisible(a));
    Rect cr;
    GetClientRect(a, &cr);
    EXPECT_TRUE(cr.IsEmpty());
    // The icon's caption is drawn, its title there to read.
    // Nothing else could take the activation: neither icon stays lit.
    EXPECT_EQ(GetActiveWindow(), Hwnd{});
    for (int x : {90, 250}) {
        EXPECT_EQ(screen->PixelAt(x, 480 - iconHeight + 6),
                  ToPixel32(GetSysColor(COLOR_INACTIVECAPTION)));
    }
    Shot("frame_iconic_toplevel");
    // On an icon the minimise button restores and the maximise button maximises; anywhere
    // else the icon is a caption.
    EXPECT_EQ(HitAt(a, 20 + 30, 480 - iconHeight + 12), HTCAPTION);
    const Point restore{160 - 4 - 2 - 16 - 2 - 16 - 8, 480 - iconHeight + 12};
    EXPECT_EQ(HitAt(a, restore.x, restore.y), HTMINBUTTON);
    screen->Click(restore.x, restore.y);
    Pump();
    EXPECT_FALSE(IsIconic(a));
    EXPECT_EQ(WindowRect(a), before);
    // The freed place is taken by the next window minimised.
    ShowWindow(a, SW_MINIMIZE);
    Pump();
    EXPECT_EQ(WindowRect(a).left, 0);
    // The main window stands for the program: minimising it asks the screen window to go too.
    wm->SetMainWindow(b);
    ShowWindow(b, SW_RESTORE);
    EXPECT_EQ(screen->WindowStateRequested(), "normal");
    ShowWindow(b, SW_MINIMIZE);
    EXPECT_EQ(screen->WindowStateRequested(), "minimized");
}

// A program whose main window is its screen window: maximising and restoring either one does the
// same to the other, and the main window keeps filling the screen at every size.
TEST_F(FrameTest, TheMainWindowIsMaximisedAndRestoredWithTheScreenWindowAndFillsIt) {
    const Hwnd main = Sizable("Main");
    wm->SetMainWindow(main);
    wm->SetMainWindowFillsScreen(true);
    const auto inject = [&](BackendEventKind kind) {
        BackendEvent e;
        e.kind = kind;
        screen->Inject(e);
        Pump();
    };
    ShowWindow(main, SW_SHOWMAXIMIZED);
    EXPECT_EQ(screen->WindowStateRequested(), "maximized");
    EXPECT_EQ(WindowRect(main), (Rect{-4, -4, 644, 484}));
    // The frame's own restore: the screen window is asked to leave its maximised state, and the
    // frame, restored, still covers the whole screen with its border showing.
    ShowWindow(main, SW_RESTORE);
    EXPECT_EQ(screen->WindowStateRequested(), "normal");
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_EQ(WindowRect(main), (Rect{0, 0, 640, 480}));
    // The screen window grows (the window manager's own maximise): the frame follows, maximised.
    screen->MaximizeWindow();
    inject(BackendEventKind::Maximized);
    screen->Resize(1024, 768);
    Pump();
    EXPECT_TRUE(IsZoomed(main));
    EXPECT_EQ(WindowRect(main), (Rect{-4, -4, 1028, 772}));
    // The window manager restores it to a smaller size: the frame is restored and fills it.
    screen->RestoreWindow();
    inject(BackendEventKind::Restored);
    screen->Resize(800, 600);
    Pump();
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_EQ(WindowRect(main), (Rect{0, 0, 800, 600}));
    Shot("frame_main_restored_fills_screen");
    // Minimised and back through the screen window: as it was.
    ShowWindow(main, SW_MINIMIZE);
    EXPECT_EQ(screen->WindowStateRequested(), "minimized");
    inject(BackendEventKind::Restored);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(IsZoomed(main));
    // Another window keeps its own restore size.
    const Hwnd other = Sizable("Other");
    const Rect normal = WindowRect(other);
    ShowWindow(other, SW_SHOWMAXIMIZED);
    ShowWindow(other, SW_RESTORE);
    EXPECT_EQ(WindowRect(other), normal);
}

// On a desktop whose window manager already draws the screen window's caption and frame, the
// main window that stands for it draws neither (one title bar, one set of buttons): its client
// area and menu bar fill the screen, maximised or restored. Other windows keep theirs.
TEST_F(FrameTest, UnderADecoratingWindowManagerTheMainWindowLeavesItsOwnCaptionOut) {
    screen->SetScreenWindowDecorated(true);
    // The program's order: the frame is made (the first top-level window, so the main one),
    // maximised with its menu bar, and only then said to fill the screen.
    const Hwnd main = Sizable("Main");
    wm->SetMenuBarSpace(main, true);
    ShowWindow(main, SW_SHOWMAXIMIZED);
    wm->SetMainWindow(main);
    wm->SetMainWindowFillsScreen(true);
    Pump();
    for (const int cmd : {SW_SHOWMAXIMIZED, SW_RESTORE, SW_SHOWMAXIMIZED}) {
        SCOPED_TRACE(cmd == SW_RESTORE ? "restored" : "maximised");
        ShowWindow(main, cmd);
        Pump();
        EXPECT_EQ(WindowRect(main), (Rect{0, 0, 640, 480}));
        Rect bar;
        ASSERT_TRUE(wm->GetMenuBarRect(main, &bar));
        EXPECT_EQ(bar.top, 0) << "the menu bar is the top of the screen";
        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.right, 640);
        Rect client;
        GetClientRect(main, &client);
        EXPECT_EQ(client.Width(), 640);
        EXPECT_EQ(client.Height(), 480 - bar.Height());
        Point origin{0, 0};
        ClientToScreen(main, &origin);
        EXPECT_EQ(origin.y, bar.bottom) << "the client area begins right under the menu bar";
        // The top corners hold no caption buttons and the edges no sizing border.
        EXPECT_EQ(HitAt(main, 636, 4), HTMENU);
        EXPECT_EQ(HitAt(main, 2, bar.bottom + 10), HTCLIENT);
        EXPECT_EQ(HitAt(main, 639, 479), HTCLIENT);
    }
    // Another top-level window keeps its caption.
    const Hwnd other = Sizable("Other");
    const Rect r = WindowRect(other);
    EXPECT_EQ(HitAt(other, r.left + 40, r.top + 10), HTCAPTION);
    // Without the desktop's decoration the main window's caption comes back.
    screen->SetScreenWindowDecorated(false);
    SetWindowPos(main, {}, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Pump();
    EXPECT_EQ(HitAt(main, 40, 10), HTCAPTION);
}

// A pop-up with no caption of its own over a window's client area (a page of the program) is
// part of that window: while it is active, the owner's caption shows active; a captioned
// pop-up, a dialog or another window takes the lit caption away.
TEST_F(FrameTest, ACaptionlessPopupKeepsItsOwnersCaptionLit) {
    const Hwnd frame = Sizable("Frame");
    const Hwnd other = Sizable("Other");
    MoveWindow(other, 420, 300, 200, 150, true);
    const Hwnd page = CreateWindowEx(0, "Recorder", "", WS_POPUP | WS_VISIBLE, 120, 120, 200, 120,
                                     frame, 0, nullptr, nullptr);
    const Hwnd boxed = CreateWindowEx(0, "Recorder", "Boxed", WS_POPUP | WS_CAPTION, 130, 130, 120,
                                      80, frame, 0, nullptr, nullptr);
    Pump();
    auto captionLit = [&](Hwnd h) {
        Pump();
        const Rect r = WindowRect(h);
        const uint32_t px = screen->PixelAt(r.right - 90, r.top + 8);
        EXPECT_TRUE(px == ToPixel32(GetSysColor(COLOR_ACTIVECAPTION)) ||
                    px == ToPixel32(GetSysColor(COLOR_INACTIVECAPTION)));
        return px == ToPixel32(GetSysColor(COLOR_ACTIVECAPTION));
    };
    screen->Click(200, 180);  // on the page
    Pump();
    ASSERT_EQ(GetActiveWindow(), page);
    EXPECT_TRUE(captionLit(frame));
    EXPECT_FALSE(captionLit(other));
    // Another window: the frame goes dark with its page.
    screen->Click(600, 430);
    Pump();
    ASSERT_EQ(GetActiveWindow(), other);
    EXPECT_FALSE(captionLit(frame));
    EXPECT_TRUE(captionLit(other));
    // Back to the page, then the frame itself: lit all along.
    screen->Click(200, 180);
    Pump();
    EXPECT_TRUE(captionLit(frame));
    SetActiveWindow(frame);
    EXPECT_TRUE(captionLit(frame));
    SetActiveWindow(page);
    EXPECT_TRUE(captionLit(frame));
    // A pop-up with its own caption is a window of its own: the frame shows inactive.
    ShowWindow(boxed, SW_SHOW);
    ASSERT_EQ(GetActiveWindow(), boxed);
    EXPECT_FALSE(captionLit(frame));
    EXPECT_TRUE(captionLit(boxed));
    DestroyWindow(boxed);
    SetActiveWindow(page);
    EXPECT_TRUE(captionLit(frame));
    // A page that goes hands the activation back to the frame, still lit.
    DestroyWindow(page);
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_TRUE(captionLit(frame));
}

TEST_F(FrameTest, ActivationSendsPairedMessagesAndKeepsOwnedAndTopmostWindowsAbove) {
    const Hwnd a = Sizable("A");
    const Hwnd b = Sizable("B");
    EXPECT_EQ(GetActiveWindow(), b);
    // A press on a's visible part activates it by click; each side names the other.
    rec.log.clear();
    MoveWindow(b, 300, 200, 300, 200, true);
    Pump();
    screen->Click(150, 150);
    Pump();
    EXPECT_EQ(GetActiveWindow(), a);
    const Received* off = rec.Last(b, WM_ACTIVATE);
    const Received* on = rec.Last(a, WM_ACTIVATE);
    ASSERT_TRUE(off && on);
    EXPECT_EQ(LoWord(off->wParam), WA_INACTIVE);
    EXPECT_EQ(HwndFromParam(off->lParam), a);
    EXPECT_EQ(LoWord(on->wParam), WA_CLICKACTIVE);
    EXPECT_EQ(HwndFromParam(on->lParam), b);
    EXPECT_EQ(rec.Last(a, WM_NCACTIVATE)->wParam, 1u);
    EXPECT_EQ(rec.Last(b, WM_NCACTIVATE)->wParam, 0u);
    // By call it is WA_ACTIVE.
    SetActiveWindow(b);
    EXPECT_EQ(LoWord(rec.Last(b, WM_ACTIVATE)->wParam), WA_ACTIVE);
    // A window that answers MA_NOACTIVATE is not activated by a press.
    rec.handler = [&](Hwnd w, uint32_t msg, WParam, LParam, LResult* r) {
        if (w != a || msg != WM_MOUSEACTIVATE) return false;
        *r = MA_NOACTIVATE;
        return true;
    };
    screen->Click(150, 150);
    Pump();
    EXPECT_EQ(GetActiveWindow(), b);
    rec.handler = nullptr;

    // An owned pop-up stays above its owner, a topmost window above both; the owner comes
    // back when its active pop-up goes, even with another window above it.
    const Hwnd top = CreateWindowEx(WS_EX_TOPMOST, "Recorder", "T", WS_POPUP | WS_VISIBLE, 0, 0,
                                    50, 50, {}, 0, nullptr, nullptr);
    const Hwnd owned = Popup(120, 100, 60, 60, WS_VISIBLE | WS_CAPTION, a);
    SetActiveWindow(a);
    Pump();
    auto above = [&](Hwnd x, Hwnd y) {
        for (Hwnd w = GetTopWindow({}); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == x) return true;
            if (w == y) return false;
        }
        return false;
    };
    EXPECT_TRUE(above(owned, a));
    EXPECT_TRUE(above(top, owned));
    EXPECT_TRUE(above(a, b));
    SetActiveWindow(owned);
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(owned);
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_TRUE(above(top, a));
}

// A window painted with 10 x 10 cells whose colour says where the cell was drawn.
ColorRef CellColour(int x, int y) {
    return Rgb(static_cast<uint8_t>((x / 10) * 12), static_cast<uint8_t>((y / 10) * 12), 200);
}

class ScrollTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult* r) {
            if (h != win || msg != WM_PAINT) return false;
            PaintStruct ps;
            Canvas* dc = BeginPaint(h, &ps);
            for (int y = 0; y < 100; y += 10) {
                for (int x = 0; x < 200; x += 10) dc->FillSolid({x, y, x + 10, y + 10}, CellColour(x, y));
            }
            EndPaint(h, &ps);
            *r = 0;
            return true;
        };
        win = Popup(50, 50, 200, 100);
        Pump();
    }
    uint32_t At(int x, int y) { return screen->PixelAt(50 + x, 50 + y); }
    Hwnd win{};
};

TEST_F(ScrollTest, PixelsMoveAndOnlyTheUncoveredPartIsLeftToPaint) {
    struct Case {
        int dx, dy;
        const Rect* scroll;
        const Rect* clip;
        Rect invalid;
        Point probe;  // a pixel that moved: it now shows what lay at probe - (dx, dy)
    };
    const Rect left{0, 0, 100, 100};
    const Rect top{0, 0, 200, 50};
    const Case cases[] = {
        {0, -20, nullptr, nullptr, {0, 80, 200, 100}, {5, 5}},
        {0, 30, nullptr, nullptr, {0, 0, 200, 30}, {5, 35}},
        {-40, 0, nullptr, nullptr, {160, 0, 200, 100}, {5, 5}},
        {20, 10, nullptr, nullptr, {0, 0, 200, 100}, {25, 15}},  // L-shaped: bounds
        {0, -20, &left, nullptr, {0, 80, 100, 100}, {5, 5}},
        {0, 20, nullptr, &top, {0, 0, 200, 20}, {5, 25}},
    };
    for (const Case& c : cases) {
        InvalidateRect(win, nullptr, true);
        Pump();
        const uint32_t expectedProbe = ToPixel32(CellColour(c.probe.x - c.dx, c.probe.y - c.dy));
        Region rgn;
        Rect bounds;
        const int kind = ScrollWindowEx(win, c.dx, c.dy, c.scroll, c.clip, &rgn, &bounds, 0);
        EXPECT_EQ(bounds, c.invalid) << c.dx << "," << c.dy;
        EXPECT_EQ(kind, (c.dx && c.dy) ? COMPLEXREGION : SIMPLEREGION);
        EXPECT_EQ(At(c.probe.x, c.probe.y), expectedProbe) << c.dx << "," << c.dy;
        // Nothing was invalidated without SW_INVALIDATE.
        Rect upd;
        EXPECT_FALSE(GetUpdateRect(win, &upd, false));
    }
    // Outside the scroll rectangle nothing changes.
    InvalidateRect(win, nullptr, true);
    Pump();
    ScrollWindowEx(win, 0, -20, &left, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(At(150, 5), ToPixel32(CellColour(150, 5)));
    // SW_INVALIDATE: the strip goes into the update region and is painted on the next pass.
    InvalidateRect(win, nullptr, true);
    Pump();
    ScrollWindowEx(win, 0, -20, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    Rect upd;
    ASSERT_TRUE(GetUpdateRect(win, &upd, false));
    EXPECT_EQ(upd, (Rect{0, 80, 200, 100}));
    Pump();
    EXPECT_EQ(At(5, 85), ToPixel32(CellColour(5, 85)));
    EXPECT_EQ(At(5, 5), ToPixel32(CellColour(5, 25)));  // the moved pixels stay where they went
    EXPECT_EQ(ScrollWindowEx(Hwnd{}, 0, 1, nullptr, nullptr, nullptr, nullptr, 0), RGN_ERROR);
}

TEST_F(ScrollTest, CoveredPixelsAreNotCopiedAndChildrenMoveOnRequest) {
    // A window lies over the bottom-right quarter: what scrolls up from under it is not on the
    // screen to copy, so it is painted again instead.
    const Hwnd cover = Popup(150, 100, 100, 50);
    Pump();
    Region rgn;
    ScrollWindowEx(win, 0, -20, nullptr, nullptr, &rgn, nullptr, SW_INVALIDATE);
    EXPECT_TRUE(rgn.Contains(150, 75));   // came from under the cover (y 95)
    EXPECT_FALSE(rgn.Contains(50, 75));   // came from y 95 on view
    EXPECT_TRUE(rgn.Contains(50, 90));    // uncovered at the bottom
    DestroyWindow(cover);
    Pump();
    // Moved pixels show the cells from 20 lines lower; the part painted again shows its own.
    for (int x : {5, 55}) EXPECT_EQ(At(x, 75), ToPixel32(CellColour(x, 95))) << x;
    for (int x : {105, 195}) EXPECT_EQ(At(x, 75), ToPixel32(CellColour(x, 75))) << x;

    // Update regions still waiting move with the pixels.
    ValidateRect(win, nullptr);
    const Rect pending{10, 10, 20, 20};
    InvalidateRect(win, &pending, false);
    ScrollWindowEx(win, 5, 0, nullptr, nullptr, nullptr, nullptr, 0);
    Rect upd;
    ASSERT_TRUE(GetUpdateRect(win, &upd, false));
    EXPECT_EQ(upd, (Rect{15, 10, 25, 20}));
    Pump();

    // Children move with SW_SCROLLCHILDREN (ScrollWindow without a rectangle does it too).
    const Hwnd child = Child(win, 1, 10, 10, 20, 20);
    ScrollWindowEx(win, 0, 15, nullptr, nullptr, nullptr, nullptr, 0);
    Rect cr;
    GetWindowRect(child, &cr);
    EXPECT_EQ(cr.top, 60);
    ScrollWindowEx(win, 0, 15, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
    GetWindowRect(child, &cr);
    EXPECT_EQ(cr.top, 75);
    EXPECT_TRUE(ScrollWindow(win, 7, 0, nullptr, nullptr));
    GetWindowRect(child, &cr);
    EXPECT_EQ(cr.left, 67);
}

TEST_F(FrameTest, MouseLeaveAndHoverArePostedOncePerRequest) {
    const Hwnd a = Popup(0, 0, 200, 200);
    const Hwnd b = Popup(200, 0, 200, 200);
    Pump();
    screen->SetAutoAdvance(false);
    screen->MouseMove(50, 50);
    Pump();
    TrackMouseEventInfo t;
    t.flags = TME_LEAVE | TME_HOVER;
    t.hwndTrack = a;
    t.hoverTime = 100;
    ASSERT_TRUE(TrackMouseEvent(&t));
    TrackMouseEventInfo q;
    q.flags = TME_QUERY;
    ASSERT_TRUE(TrackMouseEvent(&q));
    EXPECT_EQ(q.hwndTrack, a);
    EXPECT_EQ(q.flags, TME_LEAVE | TME_HOVER);
    // Moving inside restarts the rest; resting for the hover time gives WM_MOUSEHOVER.
    screen->MouseMove(60, 52);
    Pump();
    screen->AdvanceClock(60);
    Pump();
    EXPECT_EQ(rec.Count(a, WM_MOUSEHOVER), 0);
    screen->AdvanceClock(50);
    Pump();
    ASSERT_EQ(rec.Count(a, WM_MOUSEHOVER), 1);
    EXPECT_EQ(rec.Last(a, WM_MOUSEHOVER)->lParam, MakeLParam(60, 52));
    screen->AdvanceClock(500);
    Pump();
    EXPECT_EQ(rec.Count(a, WM_MOUSEHOVER), 1);
    EXPECT_EQ(rec.Count(a, WM_MOUSELEAVE), 0);
    screen->MouseMove(250, 50);
    screen->MouseMove(50, 50);
    screen->MouseMove(250, 50);
    Pump();
    EXPECT_EQ(rec.Count(a, WM_MOUSELEAVE), 1);
    EXPECT_EQ(rec.Count(b, WM_MOUSELEAVE), 0);

    // Leaving the program's window, or the program losing the focus, counts as leaving.
    for (int way = 0; way < 2; ++way) {
        t.flags = TME_LEAVE;
        t.hwndTrack = b;
        ASSERT_TRUE(TrackMouseEvent(&t));
        if (way == 0)
            screen->MouseLeaveScreen();
        else
            screen->SetAppFocus(false);
        Pump();
        EXPECT_EQ(rec.Count(b, WM_MOUSELEAVE), way + 1);
        screen->SetAppFocus(true);
        Pump();
    }
    // Cancelled, nothing comes; asked while the pointer is already elsewhere, it comes at once.
    t.flags = TME_LEAVE;
    t.hwndTrack = b;
    TrackMouseEvent(&t);
    t.flags = TME_LEAVE | TME_CANCEL;
    TrackMouseEvent(&t);
    screen->MouseMove(50, 50);
    Pump();
    EXPECT_EQ(rec.Count(b, WM_MOUSELEAVE), 2);
    t.flags = TME_LEAVE;
    TrackMouseEvent(&t);
    Pump();
    EXPECT_EQ(rec.Count(b, WM_MOUSELEAVE), 3);
    t.hwndTrack = Hwnd{};
    EXPECT_FALSE(TrackMouseEvent(&t));
}

TEST_F(FrameTest, ProgramFocusChangesSendActivateAppToEveryTopLevelWindow) {
    const Hwnd a = Sizable("A");
    const Hwnd b = Popup(0, 0, 50, 50, 0);  // hidden windows hear it too
    const Hwnd child = Child(a, 1, 0, 0, 10, 10);
    EXPECT_TRUE(wm->IsAppActive());
    screen->SetAppFocus(false);
    screen->SetAppFocus(false);  // no change: nothing more
    Pump();
    for (Hwnd h : {a, b}) {
        ASSERT_EQ(rec.Count(h, WM_ACTIVATEAPP), 1);
        EXPECT_EQ(rec.Last(h, WM_ACTIVATEAPP)->wParam, 0u);
    }
    EXPECT_EQ(rec.Count(child, WM_ACTIVATEAPP), 0);
    EXPECT_FALSE(wm->IsAppActive());
    screen->SetAppFocus(true);
    Pump();
    EXPECT_EQ(rec.Last(a, WM_ACTIVATEAPP)->wParam, 1u);
    EXPECT_EQ(rec.Count(a, WM_ACTIVATEAPP), 2);
}

}  // namespace
}  // namespace zv::ui::testing
