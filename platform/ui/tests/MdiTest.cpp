// MDI and accelerators: activation order and messages, Ctrl+F6 and Ctrl+F4, maximise, restore
// and minimise with the merged caption and the buttons in the bar, tile and cascade, the
// window menu, and accelerator tables.
#include <gtest/gtest.h>

#include "platform/ui/Mdi.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/tests/MenuTestSupport.h"

namespace zv::ui::testing {
namespace {

constexpr uint32_t kFirstChild = 6100;
constexpr int kWindowMenuPos = 1;
Hwnd gClient{};

LResult FrameProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (gRecorder) gRecorder->log.push_back({h, msg, w, l, std::this_thread::get_id()});
    return DefFrameProc(h, gClient, msg, w, l);
}

LResult DocProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (gRecorder) gRecorder->log.push_back({h, msg, w, l, std::this_thread::get_id()});
    return DefMDIChildProc(h, msg, w, l);
}

class MdiTest : public MenuTest {
  protected:
    void SetUp() override {
        MenuTest::SetUp();
        WindowClass f;
        f.name = "MdiFrame";
        f.proc = FrameProc;
        WindowClass d;
        d.name = "MdiDoc";
        d.proc = DocProc;
        d.hasBackground = true;
        d.background = Rgb(255, 255, 255);
        d.style = CS_DBLCLKS;
        ASSERT_TRUE(RegisterClass(f));
        ASSERT_TRUE(RegisterClass(d));
        bar = CreateMenu();
        file = CreatePopupMenu();
        AppendMenu(file, MF_STRING, 1, "&New\tCtrl+N");
        AppendMenu(file, MF_STRING | MF_GRAYED, 2, "&Save\tCtrl+S");
        windowMenu = CreatePopupMenu();
        AppendMenu(windowMenu, MF_STRING, 40027, core::Utf8ToSjis("重ねて表示(&C)"));
        AppendMenu(windowMenu, MF_STRING, 40028, core::Utf8ToSjis("並べて表示(&T)"));
        AppendMenu(bar, MF_POPUP, MenuToParam(file), "&File");
        AppendMenu(bar, MF_POPUP, MenuToParam(windowMenu), "&Window");
        frame = CreateWindowEx(0, "MdiFrame", "Frame",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 600, 440,
                               {}, static_cast<intptr_t>(MenuToParam(bar)), nullptr, nullptr);
        ClientCreateStruct ccs{windowMenu, kFirstChild};
        Rect fc;
        GetClientRect(frame, &fc);
        gClient = CreateWindowEx(0, kMdiClientClass, "",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                 fc.Width(), fc.Height(), frame, 6000, nullptr, &ccs);
        ASSERT_TRUE(IsWindow(gClient));
        client = gClient;
        Pump();
    }
    void TearDown() override {
        if (IsWindow(frame)) DestroyWindow(frame);  // the client's state goes with it
        gClient = {};
        MenuTest::TearDown();
    }

    Hwnd Doc(const char* title, uint32_t style = 0) {
        const Hwnd h = CreateMDIWindow("MdiDoc", title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, client, nullptr, 0);
        Pump();
        return h;
    }
    Hwnd Active(bool* maximized = nullptr) {
        int m = 0;
        const Hwnd a = HwndFromParam(SendMessage(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LParam>(&m)));
        if (maximized) *maximized = m != 0;
        return a;
    }
    // The loop of a program with MDI and accelerators.
    void Loop(Haccel acc = {}) {
        Msg m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            if (TranslateMDISysAccel(client, &m)) continue;
            if (acc && TranslateAccelerator(frame, acc, &m)) continue;
            TranslateMessage(m);
            DispatchMessage(m);
        }
        wm->Flush();
    }
    void CtrlKey(uint32_t vk, bool shift = false) {
        screen->KeyDown(VK_CONTROL);
        if (shift) screen->KeyDown(VK_SHIFT);
        Key(vk);
        if (shift) screen->KeyUp(VK_SHIFT);
        screen->KeyUp(VK_CONTROL);
    }
    Rect InClient(Hwnd h) {
        Rect r;
        GetWindowRect(h, &r);
        Point o{0, 0};
        ClientToScreen(client, &o);
        return r.Offset(-o.x, -o.y);
    }
    std::vector<std::string> WindowList() {
        std::vector<std::string> out;
        for (int i = 0; i < GetMenuItemCount(windowMenu); ++i) {
            const uint32_t id = GetMenuItemID(windowMenu, i);
            if (id < kFirstChild || id >= kFirstChild + 100) continue;
            std::string s = GetMenuString(windowMenu, static_cast<uint32_t>(i), MF_BYPOSITION);
            if (GetMenuState(windowMenu, static_cast<uint32_t>(i), MF_BYPOSITION) & MF_CHECKED)
                s += " *";
            out.push_back(std::to_string(id) + " " + s);
        }
        return out;
    }
    // The maximised child's buttons at the right end of the bar: minimise, restore, close.
    Point BarButton(int fromRight) {
        Rect b;
        EXPECT_TRUE(wm->GetMenuBarRect(frame, &b));
        const int right = b.right - 2 - 16 * fromRight - (fromRight >= 1 ? 2 : 0);
        return {right - 8, (b.top + b.bottom) / 2};
    }

    Hmenu bar{}, file{}, windowMenu{};
    Hwnd frame{}, client{};
};

TEST_F(MdiTest, CreationActivatesInOrderAndTellsBothWindows) {
    const Hwnd a = Doc("A");
    const Hwnd b = Doc("B");
    rec.log.clear();
    const Hwnd c = Doc("C");
    EXPECT_EQ(Active(), c);
    EXPECT_EQ(GetFocus(), c);
    EXPECT_EQ(GetDlgCtrlID(a), int(kFirstChild));
    EXPECT_EQ(GetDlgCtrlID(c), int(kFirstChild + 2));
    // The one leaving hears first, then the new one, which also gets WM_CHILDACTIVATE.
    std::vector<std::pair<Hwnd, uint32_t>> seen;
    for (const auto& r : rec.log) {
        if (r.msg == WM_MDIACTIVATE || r.msg == WM_CHILDACTIVATE) seen.push_back({r.hwnd, r.msg});
        if (r.msg == WM_MDIACTIVATE) {
            EXPECT_EQ(HwndFromParam(static_cast<intptr_t>(r.wParam)), b);  // deactivated
            EXPECT_EQ(HwndFromParam(r.lParam), c);                         // activated
        }
    }
    EXPECT_EQ(seen, (std::vector<std::pair<Hwnd, uint32_t>>{
                        {b, WM_MDIACTIVATE}, {c, WM_MDIACTIVATE}, {c, WM_CHILDACTIVATE}}));
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"6100 &1 A", "6101 &2 B", "6102 &3 C *"}));
    // The active child's caption is drawn active, the others inactive.
    Rect rc;
    GetWindowRect(c, &rc);
    EXPECT_EQ(screen->PixelAt(rc.right - 60, rc.top + 8), ToPixel32(GetSysColor(COLOR_ACTIVECAPTION)));
    GetWindowRect(a, &rc);
    EXPECT_EQ(screen->PixelAt(rc.left + 30, rc.top + 8), ToPixel32(GetSysColor(COLOR_INACTIVECAPTION)));
    // A press on B's caption activates it; so does a click in A's uncovered client area.
    GetWindowRect(b, &rc);
    screen->Click(rc.left + 60, rc.top + 8);
    Loop();
    EXPECT_EQ(Active(), b);
    Point p{10, 40};
    ClientToScreen(client, &p);
    screen->Click(p.x, p.y);
    Loop();
    EXPECT_EQ(Active(), a);
    EXPECT_EQ(rec.Count(a, WM_LBUTTONDOWN), 1);  // the click still reaches the child
    // The window menu's item activates its child.
    SendMessage(frame, WM_COMMAND, kFirstChild + 2, 0);
    EXPECT_EQ(Active(), c);
    EXPECT_EQ(WindowList().back(), "6102 &3 C *");
}

TEST_F(MdiTest, CtrlF6VisitsEveryChildAndCtrlF4ClosesTheActiveOne) {
    const Hwnd a = Doc("A");
    const Hwnd b = Doc("B");
    const Hwnd c = Doc("C");
    std::vector<Hwnd> order;
    for (int i = 0; i < 4; ++i) {
        CtrlKey(VK_F6);
        Loop();
        order.push_back(Active());
    }
    EXPECT_EQ(order, (std::vector<Hwnd>{b, a, c, b}));
    CtrlKey(VK_F6, true);  // back
    Loop();
    EXPECT_EQ(Active(), c);
    // Ctrl+F4 closes the active child; the one below it comes up, ids close the gap.
    CtrlKey(VK_F4);
    Loop();
    EXPECT_FALSE(IsWindow(c));
    EXPECT_TRUE(IsWindow(Active()));
    EXPECT_EQ(WindowList().size(), 2u);
    EXPECT_EQ(GetDlgCtrlID(a), int(kFirstChild));
    EXPECT_EQ(GetDlgCtrlID(b), int(kFirstChild + 1));
    // Closing directly (DestroyWindow) keeps the list right too.
    DestroyWindow(a);
    Pump();
    EXPECT_EQ(Active(), b);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"6100 &1 B *"}));
    EXPECT_EQ(GetDlgCtrlID(b), int(kFirstChild));
    SendMessage(client, WM_MDIDESTROY, HwndToParam(b), 0);
    EXPECT_EQ(Active(), Hwnd{});
    EXPECT_TRUE(WindowList().empty());
    EXPECT_EQ(GetMenuItemCount(windowMenu), 2);  // the separator went with the list
}

TEST_F(MdiTest, MaximiseMergesIntoTheFrameAndTheBarButtonsRestoreMinimiseAndClose) {
    const Hwnd a = Doc("A");
    const Hwnd b = Doc("B");
    const Rect before = InClient(b);
    SendMessage(client, WM_MDIMAXIMIZE, HwndToParam(b), 0);
    Pump();
    bool max = false;
    EXPECT_EQ(Active(&max), b);
    EXPECT_TRUE(max);
    EXPECT_TRUE(IsZoomed(b));
    EXPECT_EQ(GetWindowText(frame), "Frame - [B]");
    // The child's client fills the MDI client; its frame and caption lie outside.
    Rect bc, cc;
    GetClientRect(b, &bc);
    GetClientRect(client, &cc);
    EXPECT_EQ(bc, cc);
    Point o1{0, 0}, o2{0, 0};
    ClientToScreen(b, &o1);
    ClientToScreen(client, &o2);
    EXPECT_EQ(o1.x, o2.x);
    EXPECT_EQ(o1.y, o2.y);
    Shot("mdi_maximised");
    // Ctrl+F6 carries the maximised look to the next child.
    CtrlKey(VK_F6);
    Loop();
    EXPECT_EQ(Active(), a);
    EXPECT_TRUE(IsZoomed(a));
    EXPECT_FALSE(IsZoomed(b));
    EXPECT_EQ(InClient(b), before);
    EXPECT_EQ(GetWindowText(frame), "Frame - [A]");
    // A title change of the maximised child shows in the frame.
    SetWindowText(a, "A2");
    EXPECT_EQ(GetWindowText(frame), "Frame - [A2]");
    // The restore button in the bar.
    const Point restore = BarButton(1);
    screen->Click(restore.x, restore.y);
    Loop();
    EXPECT_FALSE(IsZoomed(a));
    EXPECT_EQ(GetWindowText(frame), "Frame");
    // Maximise again by the caption button, then minimise by the bar's minimise button: the
    // child becomes a small caption at the bottom of the client.
    SendMessage(a, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsZoomed(a));
    const Point minimize = BarButton(2);
    screen->Click(minimize.x, minimize.y);
    Loop();
    EXPECT_TRUE(IsIconic(a));
    EXPECT_EQ(GetWindowText(frame), "Frame");
    const Rect icon = InClient(a);
    EXPECT_EQ(icon.bottom, cc.bottom);
    EXPECT_EQ(icon.left, 0);
    EXPECT_EQ(icon.Height(), kCaptionHeight + 2 * kSizingFrameWidth);
    Rect ir;
    GetWindowRect(a, &ir);
    // The icon shows its caption (still the active child's).
    EXPECT_EQ(screen->PixelAt(ir.right - 60, ir.top + 8), ToPixel32(GetSysColor(COLOR_ACTIVECAPTION)));
    Shot("mdi_minimised");
    // A double click on the icon's caption restores it.
    screen->Click(ir.left + 40, ir.top + 8);
    screen->Click(ir.left + 40, ir.top + 8);
    Loop();
    EXPECT_FALSE(IsIconic(a));
    // Close through the bar: maximise b, press the close button; a takes over.
    SendMessage(client, WM_MDIMAXIMIZE, HwndToParam(b), 0);
    Pump();
    const Point close = BarButton(0);
    screen->Click(close.x, close.y);
    Loop();
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(Active(&max), a);
    EXPECT_TRUE(max);  // the maximised state passes on
    EXPECT_EQ(GetWindowText(frame), "Frame - [A2]");
}

TEST_F(MdiTest, CaptionsFollowActivationAndAnIconicChildsButtonsWork) {
    const Hwnd a = Doc("A");
    const Hwnd b = Doc("B");
    SendMessage(client, WM_MDITILE, MDITILE_VERTICAL, 0);
    Loop();
    auto captionOf = [&](Hwnd h) {
        Rect r;
        GetWindowRect(h, &r);
        return screen->PixelAt(r.right - 80, r.top + 8);
    };
    const uint32_t active = ToPixel32(GetSysColor(COLOR_ACTIVECAPTION));
    const uint32_t inactive = ToPixel32(GetSysColor(COLOR_INACTIVECAPTION));
    EXPECT_EQ(captionOf(b), active);
    EXPECT_EQ(captionOf(a), inactive);
    // Another program window becoming active greys the frame and its active child alike;
    // coming back lights both again.
    const Hwnd other = CreateWindowEx(0, "Recorder", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      400, 300, 200, 150, {}, 0, nullptr, nullptr);
    Loop();
    EXPECT_EQ(rec.Last(b, WM_NCACTIVATE)->wParam, 0u);
    EXPECT_EQ(captionOf(b), inactive);
    DestroyWindow(other);
    Loop();
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_EQ(rec.Last(b, WM_NCACTIVATE)->wParam, 1u);
    EXPECT_EQ(captionOf(b), active);

    // Minimised, a shows as a caption whose first button restores it and whose second
    // maximises it; the close button closes it. (b moves up and right, off the icons' row.)
    MoveWindow(b, 300, 0, 280, 300, true);
    SendMessage(a, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Loop();
    ASSERT_TRUE(IsIconic(a));
    Rect ir;
    GetWindowRect(a, &ir);
    EXPECT_EQ(ir.Width(), 160);
    Shot("mdi_iconic_child");
    const Point restoreButton{ir.right - 4 - 2 - 16 - 2 - 16 - 8, ir.top + 12};
    const Point maximizeButton{ir.right - 4 - 2 - 16 - 2 - 8, ir.top + 12};
    screen->Click(restoreButton.x, restoreButton.y);
    Loop();
    EXPECT_FALSE(IsIconic(a));
    SendMessage(a, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Loop();
    GetWindowRect(a, &ir);
    screen->Click(maximizeButton.x, maximizeButton.y);
    Loop();
    EXPECT_TRUE(IsZoomed(a));
    EXPECT_EQ(Active(), a);
    // With b minimised under a maximised a, the frame shows the merged title.
    SendMessage(b, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Loop();
    EXPECT_TRUE(IsIconic(b));
    EXPECT_EQ(GetWindowText(frame), "Frame - [A]");
    Shot("mdi_maximised_with_icon");
    SendMessage(client, WM_MDIRESTORE, HwndToParam(a), 0);
    SendMessage(client, WM_MDIDESTROY, HwndToParam(a), 0);
    Loop();
    ASSERT_TRUE(IsIconic(b));
    GetWindowRect(b, &ir);
    screen->Click(ir.right - 4 - 2 - 8, ir.top + 12);  // the icon's close button
    Loop();
    EXPECT_FALSE(IsWindow(b));
}

TEST_F(MdiTest, TheMaximisedChildsSystemMenuIsInTheBar) {
    const Hwnd a = Doc("A");
    SendMessage(client, WM_MDIMAXIMIZE, HwndToParam(a), 0);
    Pump();
    rec.handler = nullptr;
    // Alt, Left reaches the child's icon entry (between the frame's system menu and File);
    // Down opens it; R restores.
    Key(VK_MENU);
    Key(VK_LEFT);
    Key(VK_DOWN);
    Key('R');
    for (int i = 0; i < 3; ++i) Key(VK_ESCAPE);
    Loop();
    EXPECT_FALSE(IsZoomed(a));
    EXPECT_TRUE(IsWindow(a));
    ASSERT_NE(rec.Last(a, WM_SYSCOMMAND), nullptr);
    EXPECT_EQ(rec.Last(a, WM_SYSCOMMAND)->wParam & 0xFFF0, SC_RESTORE);
}

// Tile and cascade: where each child goes, for several counts.
struct ArrangeCase {
    int count;
    uint32_t msg;
    uint32_t flags;
    std::vector<Rect> want;  // top of the z-order first
};

TEST_F(MdiTest, TileAndCascadeRectangles) {
    Rect cc;
    GetClientRect(client, &cc);
    const int W = cc.Width();
    const int H = cc.Height();
    const int s = kCaptionHeight + kSizingFrameWidth;
    const int cx3 = std::max(W * 2 / 3, W - 2 * s);
    const int cy3 = std::max(H * 2 / 3, H - 2 * s);
    const std::vector<ArrangeCase> cases = {
        {2, WM_MDITILE, MDITILE_VERTICAL, {{0, 0, W / 2, H}, {W / 2, 0, W, H}}},
        {2, WM_MDITILE, MDITILE_HORIZONTAL, {{0, 0, W, H / 2}, {0, H / 2, W, H}}},
        {3, WM_MDITILE, MDITILE_VERTICAL, {{0, 0, W / 3, H}, {W / 3, 0, 2 * W / 3, H}, {2 * W / 3, 0, W, H}}},
        {4, WM_MDITILE, MDITILE_VERTICAL,
         {{0, 0, W / 2, H / 2}, {0, H / 2, W / 2, H}, {W / 2, 0, W, H / 2}, {W / 2, H / 2, W, H}}},
        {5, WM_MDITILE, MDITILE_HORIZONTAL,
         {{0, 0, W / 2, H / 2}, {W / 2, 0, W, H / 2}, {0, H / 2, W / 3, H}, {W / 3, H / 2, 2 * W / 3, H},
          {2 * W / 3, H / 2, W, H}}},
        {3, WM_MDICASCADE, 0,
         {{2 * s, 2 * s, 2 * s + cx3, 2 * s + cy3}, {s, s, s + cx3, s + cy3}, {0, 0, cx3, cy3}}},
    };
    for (const ArrangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + (c.msg == WM_MDITILE ? " tile " : " cascade ") +
                     std::to_string(c.flags));
        std::vector<Hwnd> docs;
        for (int i = 0; i < c.count; ++i) docs.push_back(Doc("D"));
        SendMessage(client, WM_MDIMAXIMIZE, HwndToParam(docs.back()), 0);  // tiling restores it
        EXPECT_NE(SendMessage(client, c.msg, c.flags, 0), 0);
        EXPECT_FALSE(IsZoomed(docs.back()));
        // z-order top first: the last created is on top.
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(InClient(docs[static_cast<size_t>(c.count - 1 - i)]), c.want[static_cast<size_t>(i)])
                << "window " << i;
        }
        for (Hwnd d : docs) SendMessage(client, WM_MDIDESTROY, HwndToParam(d), 0);
    }
    // Minimised children keep their row at the bottom; the tiles leave it free.
    const Hwnd a = Doc("A");
    const Hwnd b = Doc("B");
    SendMessage(b, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessage(client, WM_MDITILE, MDITILE_VERTICAL, 0);
    EXPECT_EQ(InClient(a), (Rect{0, 0, W, H - (kCaptionHeight + 2 * kSizingFrameWidth)}));
    // Icons arrange left to right.
    const Hwnd c = Doc("C");
    SendMessage(c, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessage(client, WM_MDIICONARRANGE, 0, 0);
    EXPECT_EQ(InClient(b).left, 0);
    EXPECT_EQ(InClient(c).left, 160);
}

TEST_F(MdiTest, WindowMenuFollowsTitlesVisibilityAndSetMenu) {
    const Hwnd a = Doc("A");
    const Hwnd other = Doc("B");
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"6100 &1 A", "6101 &2 B *"}));
    // Hiding takes a child off the list (and passes activation on); showing brings it back
    // and activates it.
    ShowWindow(other, SW_HIDE);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"6100 &1 A *"}));
    EXPECT_EQ(Active(), a);
    ShowWindow(other, SW_SHOWNORMAL);
    EXPECT_EQ(Active(), other);
    ShowWindow(other, SW_HIDE);
    SetWindowText(a, core::Utf8ToSjis("地図"));
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"6100 &1 " + core::Utf8ToSjis("地図") + " *"}));
    // WM_MDISETMENU moves the list to the new window menu and shows the new bar.
    const Hmenu bar2 = CreateMenu();
    const Hmenu win2 = CreatePopupMenu();
    AppendMenu(win2, MF_STRING, 40029, "Tile &Horizontally");
    AppendMenu(bar2, MF_POPUP, MenuToParam(win2), "&Window");
    const Hmenu old = MenuFromParam(
        static_cast<uintptr_t>(SendMessage(client, WM_MDISETMENU, MenuToParam(bar2), MenuToParam(win2))));
    EXPECT_EQ(old, bar);
    EXPECT_EQ(GetMenu(frame), bar2);
    EXPECT_EQ(GetMenuItemCount(windowMenu), 2);  // the old one is left as it was
    EXPECT_EQ(GetMenuItemCount(win2), 3);        // command, separator, one child
    EXPECT_EQ(GetMenuItemID(win2, 2), kFirstChild);
    SendMessage(client, WM_MDIREFRESHMENU, 0, 0);
    EXPECT_EQ(GetMenuItemCount(win2), 3);
    DestroyMenu(bar);  // the program owns the old bar
    windowMenu = win2;
    // More than nine children: nine are listed.
    for (int i = 0; i < 10; ++i) Doc("X");
    EXPECT_EQ(WindowList().size(), 9u);
}

// Accelerator sequences and what reaches the frame.
struct AccelCase {
    const char* name;
    bool ctrl, shift, alt;
    uint32_t vk;
    int command;  // 0: none
};

TEST_F(MdiTest, AcceleratorTranslation) {
    AcceleratorRegistry::Global().Add(
        {102,
         {{FVIRTKEY | FCONTROL, 'N', 40001},
          {FVIRTKEY | FCONTROL, VK_F5, 40039},
          {FVIRTKEY | FSHIFT | FCONTROL, 'N', 40002},
          {FVIRTKEY | FALT, VK_RETURN, 40003},
          {FVIRTKEY, VK_F2, 40004},
          {FVIRTKEY | FCONTROL, 'S', 2}}});  // the greyed Save item
    const Haccel acc = LoadAccelerators(nullptr, 102);
    ASSERT_TRUE(acc);
    EXPECT_FALSE(LoadAccelerators(nullptr, 4711));
    const std::vector<AccelCase> cases = {
        {"Ctrl+N", true, false, false, 'N', 40001},
        {"Ctrl+F5", true, false, false, VK_F5, 40039},
        {"Ctrl+Shift+N is its own entry", true, true, false, 'N', 40002},
        {"Alt+Enter", false, false, true, VK_RETURN, 40003},
        {"F2 alone", false, false, false, VK_F2, 40004},
        {"Shift+F2 is not F2", false, true, false, VK_F2, 0},
        {"N alone is not Ctrl+N", false, false, false, 'N', 0},
        {"F5 alone", false, false, false, VK_F5, 0},
        {"Ctrl+Alt+N", true, false, true, 'N', 0},
        {"a greyed menu item eats the key", true, false, false, 'S', 0},
    };
    for (const AccelCase& c : cases) {
        SCOPED_TRACE(c.name);
        rec.log.clear();
        if (c.ctrl) screen->KeyDown(VK_CONTROL);
        if (c.shift) screen->KeyDown(VK_SHIFT);
        if (c.alt) screen->KeyDown(VK_MENU);
        Key(c.vk);
        if (c.alt) screen->KeyUp(VK_MENU);
        if (c.shift) screen->KeyUp(VK_SHIFT);
        if (c.ctrl) screen->KeyUp(VK_CONTROL);
        Loop(acc);
        const std::vector<int> got = Commands(frame);
        if (c.command) {
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0], c.command);
            EXPECT_EQ(HiWord(rec.Last(frame, WM_COMMAND)->wParam), 1u);
        } else {
            EXPECT_TRUE(got.empty());
        }
    }
    // The greyed item's key is eaten (translated, without a command).
    screen->KeyDown(VK_CONTROL);
    Loop(acc);
    rec.log.clear();
    Msg s;
    s.hwnd = client;
    s.message = WM_KEYDOWN;
    s.wParam = 'S';
    EXPECT_EQ(TranslateAccelerator(frame, acc, &s), 1);
    EXPECT_EQ(rec.Count(frame, WM_INITMENU), 1);
    EXPECT_TRUE(Commands(frame).empty());
    screen->KeyUp(VK_CONTROL);
    Loop(acc);
    EXPECT_TRUE(DestroyAcceleratorTable(acc));
    EXPECT_FALSE(DestroyAcceleratorTable(acc));
    EXPECT_EQ(TranslateAccelerator(frame, acc, nullptr), 0);
}

}  // namespace
}  // namespace zv::ui::testing
