#include <algorithm>

#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

// The messages that show the life cycle, in the order they came.
std::vector<std::pair<Hwnd, uint32_t>> Lifecycle(const Recorder& rec) {
    static const uint32_t kShown[] = {WM_NCCREATE,     WM_CREATE,     WM_SIZE,     WM_MOVE,
                                      WM_PARENTNOTIFY, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS,
                                      WM_KILLFOCUS,    WM_DESTROY,    WM_NCDESTROY};
    std::vector<std::pair<Hwnd, uint32_t>> out;
    for (const auto& r : rec.log) {
        if (std::find(std::begin(kShown), std::end(kShown), r.msg) != std::end(kShown)) {
            out.emplace_back(r.hwnd, r.msg);
        }
    }
    return out;
}

TEST_F(UiTest, CreationSendsItsMessagesInOrderAndChildrenNotifyTheParent) {
    Hwnd child{};
    rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult*) {
        if (msg == WM_CREATE && !child && GetClassName(h) == "Recorder" && !GetParent(h)) {
            child = Child(h, 7, 1, 2, 30, 20);
        }
        return false;
    };
    const Hwnd top = Popup(10, 10, 200, 100);
    ASSERT_TRUE(IsWindow(top));
    ASSERT_TRUE(IsWindow(child));
    const std::vector<std::pair<Hwnd, uint32_t>> expected = {
        {top, WM_NCCREATE}, {top, WM_CREATE}, {child, WM_NCCREATE},   {child, WM_CREATE},
        {child, WM_SIZE},   {child, WM_MOVE}, {top, WM_PARENTNOTIFY}, {child, WM_SHOWWINDOW},
        {top, WM_SIZE},     {top, WM_MOVE},   {top, WM_SHOWWINDOW},   {top, WM_ACTIVATE},
        {top, WM_SETFOCUS}};
    EXPECT_EQ(Lifecycle(rec), expected);
    const Received* pn = rec.Last(top, WM_PARENTNOTIFY);
    ASSERT_NE(pn, nullptr);
    EXPECT_EQ(LoWord(pn->wParam), WM_CREATE);
    EXPECT_EQ(HiWord(pn->wParam), 7);
    EXPECT_EQ(HwndFromParam(pn->lParam), child);
    const Received* size = rec.Last(child, WM_SIZE);
    EXPECT_EQ(size->lParam, MakeLParam(30, 20));
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(UiTest, DestructionGoesOwnedFirstThenParentBeforeChildrenAndNcDestroyChildrenFirst) {
    const Hwnd top = Popup(0, 0, 200, 200);
    const Hwnd a = Child(top, 1, 0, 0, 50, 50);
    const Hwnd b = Child(top, 2, 60, 0, 50, 50);
    const Hwnd owned = Popup(20, 20, 50, 50, WS_VISIBLE, a);  // owned by top (root of a)
    ASSERT_EQ(GetWindow(owned, GW_OWNER), top);
    SetFocus(b);
    rec.log.clear();

    ASSERT_TRUE(DestroyWindow(top));
    const std::vector<std::pair<Hwnd, uint32_t>> expected = {
        {owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {b, WM_KILLFOCUS},
        {top, WM_DESTROY},   {a, WM_DESTROY},       {b, WM_DESTROY},
        {a, WM_NCDESTROY},   {b, WM_NCDESTROY},     {top, WM_NCDESTROY}};
    EXPECT_EQ(Lifecycle(rec), expected);
    for (Hwnd h : {top, a, b, owned}) EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetFocus(), Hwnd{});
    EXPECT_EQ(GetActiveWindow(), Hwnd{});
    // A destroyed handle never answers again, even once its slot holds a new window.
    const Hwnd again = Popup(0, 0, 10, 10);
    EXPECT_TRUE(IsWindow(again));
    for (Hwnd h : {top, a, b, owned}) {
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
    }
}

TEST_F(UiTest, CreationFailuresGiveNoWindow) {
    rec.handler = [](Hwnd, uint32_t msg, WParam, LParam, LResult* r) {
        if (msg == WM_CREATE) {
            *r = -1;
            return true;
        }
        return false;
    };
    EXPECT_FALSE(Popup(0, 0, 10, 10));
    // The refused window still got its WM_DESTROY and WM_NCDESTROY.
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[rec.log.size() - 2].msg, WM_DESTROY);
    EXPECT_EQ(rec.log.back().msg, WM_NCDESTROY);
    rec.handler = nullptr;
    EXPECT_FALSE(
        CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, {}, 0, nullptr, nullptr));
    EXPECT_FALSE(CreateWindowEx(0, "Recorder", "", WS_CHILD, 0, 0, 1, 1, {}, 0, nullptr, nullptr));
    EXPECT_FALSE(CreateWindowEx(0, "Recorder", "", WS_CHILD, 0, 0, 1, 1, Hwnd{0x00050005}, 0,
                                nullptr, nullptr));
    // Class names compare without case and register once.
    WindowClass wc;
    wc.name = "RECORDER";
    wc.proc = RecordingProc;
    EXPECT_FALSE(RegisterClass(wc));
    EXPECT_TRUE(CreateWindowEx(0, "recorder", "", WS_POPUP, 0, 0, 1, 1, {}, 0, nullptr, nullptr));
}

TEST_F(UiTest, FrameGeometryFollowsTheStyleBits) {
    struct Case {
        uint32_t style;
        uint32_t exStyle;
        Rect insets;  // left, top, right, bottom
    };
    const Case cases[] = {
        {WS_POPUP, 0, {0, 0, 0, 0}},
        {WS_POPUP | WS_BORDER, 0, {1, 1, 1, 1}},
        {WS_POPUP | WS_CAPTION, 0, {3, 3 + kCaptionHeight, 3, 3}},
        {WS_POPUP | WS_THICKFRAME | WS_CAPTION, 0, {4, 4 + kCaptionHeight, 4, 4}},
        {WS_POPUP | WS_VSCROLL | WS_HSCROLL, 0, {0, 0, 16, 16}},
        {WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, {3, 3, 3, 3}},
        {WS_POPUP, WS_EX_DLGMODALFRAME, {3, 3, 3, 3}},
        // An overlapped window always gets a caption.
        {WS_OVERLAPPED, 0, {3, 3 + kCaptionHeight, 3, 3}},
    };
    for (const Case& c : cases) {
        const Hwnd h = CreateWindowEx(c.exStyle, "Recorder", "", c.style, 10, 20, 200, 100, {}, 0,
                                      nullptr, nullptr);
        ASSERT_TRUE(h);
        Rect wr, cr;
        GetWindowRect(h, &wr);
        GetClientRect(h, &cr);
        Point origin{0, 0};
        ClientToScreen(h, &origin);
        SCOPED_TRACE(c.style);
        EXPECT_EQ(wr, (Rect{10, 20, 210, 120}));
        EXPECT_EQ(origin, (Point{10 + c.insets.left, 20 + c.insets.top}));
        EXPECT_EQ(cr.Width(), 200 - c.insets.left - c.insets.right);
        EXPECT_EQ(cr.Height(), 100 - c.insets.top - c.insets.bottom);
        DestroyWindow(h);
    }
}

TEST_F(UiTest, FarAwayAndHugeWindowsAreHeldWithinAMillionPixels) {
    // Positions and sizes far beyond any screen are held, so that placing, painting and hit
    // testing such windows never leaves the range of int.
    constexpr int kFar = 1 << 20;
    const Hwnd top =
        CreateWindowEx(0, "Recorder", "", WS_POPUP | WS_CAPTION | WS_VISIBLE, INT32_MAX,
                       INT32_MIN + 1, INT32_MAX, INT32_MAX, {}, 0, nullptr, nullptr);
    ASSERT_TRUE(top);
    Rect r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (Rect{kFar, -kFar, 2 * kFar, 0}));
    const Hwnd child = Child(top, 1, INT32_MAX - 5, 10, INT32_MAX, 20);
    ASSERT_TRUE(child);
    ASSERT_TRUE(SetWindowPos(top, HWND_TOP, -5, INT32_MIN + 1, INT32_MAX, INT32_MAX, 0));
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (Rect{-5, -kFar, kFar - 5, 0}));
    ASSERT_TRUE(MoveWindow(top, 0, 0, INT32_MAX, INT32_MAX, true));
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 3 + kFar);  // the child's place, behind the frame
    EXPECT_EQ(r.Width(), kFar);
    EXPECT_EQ(r.Height(), 20);
    UpdateWindow(top);
    screen->Click(5, 40);
    Msg m;
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) DispatchMessage(m);
    EXPECT_GT(rec.Count(top, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(WindowFromPoint({5, 40}), top);
}

TEST_F(UiTest, WindowDataStylesAndSubclassing) {
    const Hwnd h = Popup(0, 0, 50, 50);
    int state = 0;
    EXPECT_EQ(SetWindowLongPtr(h, GWL_USERDATA, reinterpret_cast<intptr_t>(&state)), 0);
    EXPECT_EQ(GetWindowLongPtr(h, GWL_USERDATA), reinterpret_cast<intptr_t>(&state));
    // The class's 8 window bytes hold two pointer-sized slots; anything past them is refused.
    EXPECT_EQ(SetWindowLongPtr(h, 4, reinterpret_cast<intptr_t>(&state)), 0);
    EXPECT_EQ(GetWindowLongPtr(h, 4), reinterpret_cast<intptr_t>(&state));
    EXPECT_EQ(SetWindowLongPtr(h, 8, 99), 0);
    EXPECT_EQ(GetWindowLongPtr(h, 8), 0);
    EXPECT_EQ(GetWindowLongPtr(h, 2), 0);  // misaligned
    // Styles keep all 32 bits through the 32-bit accessor.
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE)) & WS_POPUP, WS_POPUP);

    static WndProc original = nullptr;
    static int seen = 0;
    seen = 0;
    original = reinterpret_cast<WndProc>(GetWindowLongPtr(h, GWL_WNDPROC));
    auto sub = [](Hwnd w, uint32_t m, WParam wp, LParam lp) -> LResult {
        if (m == WM_USER + 5) return 1234;
        ++seen;
        return CallWindowProc(original, w, m, wp, lp);
    };
    const intptr_t old = SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<intptr_t>(+sub));
    EXPECT_EQ(old, reinterpret_cast<intptr_t>(original));
    rec.log.clear();
    EXPECT_EQ(SendMessage(h, WM_USER + 5, 0, 0), 1234);
    EXPECT_EQ(rec.Count(h, WM_USER + 5), 0);
    SendMessage(h, WM_USER + 6, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(rec.Count(h, WM_USER + 6), 1);
}

TEST_F(UiTest, TextIsShiftJisAndIsNeverCutInsideACharacter) {
    const std::string sjis = "\x92\x6e\x90\x7d";  // 地図
    const Hwnd h =
        CreateWindowEx(0, "Recorder", sjis, WS_POPUP, 0, 0, 10, 10, {}, 0, nullptr, nullptr);
    EXPECT_EQ(GetWindowText(h), sjis);
    char buf[4];
    // Room for three bytes: only the first character fits whole.
    EXPECT_EQ(SendMessage(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LParam>(buf)), 2);
    EXPECT_EQ(std::string(buf), sjis.substr(0, 2));
    EXPECT_TRUE(SetWindowText(h, "abc"));
    EXPECT_EQ(GetWindowText(h), "abc");
}

TEST_F(UiTest, OwnedPopupsStayAboveTheirOwnerAndTopmostStaysOnTop) {
    const Hwnd owner = Popup(0, 0, 100, 100);
    const Hwnd owned = Popup(10, 10, 30, 30, WS_VISIBLE, owner);
    const Hwnd topmost = CreateWindowEx(WS_EX_TOPMOST, "Recorder", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                        20, 20, {}, 0, nullptr, nullptr);
    const Hwnd other = Popup(50, 50, 100, 100);
    auto order = [&] { return wm->GetChildren({}); };
    EXPECT_EQ(order(), (std::vector<Hwnd>{topmost, other, owned, owner}));
    SetActiveWindow(owner);
    EXPECT_EQ(order(), (std::vector<Hwnd>{topmost, owned, owner, other}));
    EXPECT_EQ(GetParent(owned), owner);  // a pop-up's "parent" is its owner
    EXPECT_EQ(GetAncestor(owned, GA_PARENT), GetDesktopWindow());
    SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(order().front(), owned);
    EXPECT_EQ(order()[1], owner);
    EXPECT_TRUE(GetWindowLong(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(UiTest, DockingAPopupTurnsItIntoAChildOfTheFrame) {
    const Hwnd frame =
        CreateWindowEx(0, "Recorder", "frame", WS_THICKFRAME | WS_MAXIMIZE | WS_VISIBLE,
                       CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, {}, 0, nullptr, nullptr);
    ASSERT_TRUE(IsZoomed(frame));
    const Hwnd client = Child(frame, 6000, 0, 0, 640, 400, WS_VISIBLE | WS_CLIPCHILDREN);
    const Hwnd panel =
        CreateWindowEx(WS_EX_TOPMOST, "Recorder", "panel", WS_POPUP | WS_CAPTION | WS_VISIBLE, 300,
                       200, 120, 80, client, 30, nullptr, nullptr);
    ASSERT_EQ(GetWindow(panel, GW_OWNER), frame);

    // Replace WS_POPUP by WS_CHILD, drop the caption, then re-parent.
    uint32_t style = static_cast<uint32_t>(GetWindowLong(panel, GWL_STYLE));
    style = (style & ~(WS_POPUP | WS_CHILD | WS_CAPTION)) | WS_CHILD;
    SetWindowLong(panel, GWL_STYLE, static_cast<int32_t>(style));
    EXPECT_EQ(SetParent(panel, client), GetDesktopWindow());
    EXPECT_EQ(GetParent(panel), client);
    EXPECT_TRUE(IsChild(frame, panel));
    EXPECT_EQ(GetWindow(panel, GW_OWNER), Hwnd{});
    const auto tops = wm->GetChildren({});
    EXPECT_EQ(std::count(tops.begin(), tops.end(), panel), 0);
    Rect after;
    GetClientRect(panel, &after);
    EXPECT_EQ(after, (Rect{0, 0, 120, 80}));  // no caption, no frame

    // Laid out in the client's coordinates, it is hit there and activates its frame only.
    SetWindowPos(panel, {}, 0, 22, 202, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    Point corner{0, 0};
    ClientToScreen(panel, &corner);
    Point clientOrigin{0, 0};
    ClientToScreen(client, &clientOrigin);
    EXPECT_EQ(corner, (Point{clientOrigin.x, clientOrigin.y + 22}));
    EXPECT_EQ(WindowFromPoint({corner.x + 5, corner.y + 5}), panel);
    EXPECT_EQ(GetActiveWindow(), frame);
    EXPECT_NE(SetActiveWindow(panel), panel);
    EXPECT_EQ(GetActiveWindow(), frame);

    // A window cannot be docked into itself or its own descendant.
    EXPECT_FALSE(SetParent(client, panel));
    EXPECT_EQ(GetParent(client), frame);

    DestroyWindow(client);
    EXPECT_FALSE(IsWindow(panel));
}

TEST_F(UiTest, SystemMetricsAreFixedAndFollowTheScreen) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 480 - kCaptionHeight);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
    const Hwnd frame = CreateWindowEx(0, "Recorder", "", WS_THICKFRAME | WS_MAXIMIZE | WS_VISIBLE,
                                      0, 0, 100, 100, {}, 0, nullptr, nullptr);
    screen->Resize(800, 600);
    wm->PumpPending();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    Rect cr;
    GetClientRect(frame, &cr);
    EXPECT_EQ(cr, (Rect{0, 0, 800, 600 - kCaptionHeight}));
    const Received* size = rec.Last(frame, WM_SIZE);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->wParam, SIZE_MAXIMIZED);
    EXPECT_EQ(size->lParam, MakeLParam(800, 600 - kCaptionHeight));
}

}  // namespace
}  // namespace zv::ui::testing
