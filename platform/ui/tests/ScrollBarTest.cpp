// Window scroll bars and the SCROLLBAR control, driven by injected mouse and keys.
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ui/Messages.h"
#include "platform/ui/ScrollBarModel.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui {
namespace {

using testing::ShotPath;
using testing::UiTest;

struct Note {
    uint32_t msg;
    int code;
    int pos;
    LParam from;
};

class ScrollBarTest : public UiTest {
  protected:
    void Pump() {
        Msg m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
    std::vector<Note> Notes(Hwnd to) const {
        std::vector<Note> out;
        for (const auto& r : rec.log) {
            if (r.hwnd == to && (r.msg == WM_VSCROLL || r.msg == WM_HSCROLL)) {
                out.push_back({r.msg, static_cast<int>(LoWord(r.wParam)),
                               static_cast<int>(static_cast<int16_t>(HiWord(r.wParam))), r.lParam});
            }
        }
        return out;
    }
    std::vector<int> Codes(Hwnd to) const {
        std::vector<int> out;
        for (const Note& n : Notes(to)) out.push_back(n.code);
        return out;
    }
    Hwnd Bar(Hwnd parent, int id, uint32_t style, int x, int y, int w, int h) {
        return CreateWindowEx(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              id, nullptr, nullptr);
    }
};

TEST_F(ScrollBarTest, ControlMessagesKeepRangePageAndPosition) {
    const Hwnd top = Popup(0, 0, 300, 200);
    const Hwnd bar = Bar(top, 7, SBS_VERT, 10, 10, 16, 120);
    ASSERT_TRUE(IsWindow(bar));
    EXPECT_EQ(GetClassName(bar), "ScrollBar");
    int lo = -1, hi = -1;
    ASSERT_TRUE(GetScrollRange(bar, SB_CTL, &lo, &hi));
    EXPECT_EQ(lo, 0);  // a new control has an empty range
    EXPECT_EQ(hi, 0);
    ScrollInfo si;
    si.mask = SIF_ALL;
    si.min = 10;
    si.max = 109;
    si.page = 20;
    si.pos = 1000;
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, si, true), 90);  // max - page + 1
    EXPECT_EQ(SendMessage(bar, SBM_SETPOS, 5, 1), 90);    // answers the old position
    EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), 10);    // held at min
    EXPECT_EQ(SendMessage(bar, SBM_SETRANGE, 0, 4), 10);
    ScrollInfo out;
    out.mask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &out));
    EXPECT_EQ(out.min, 0);
    EXPECT_EQ(out.max, 4);
    EXPECT_EQ(out.page, 5u);  // a page never exceeds the range
    EXPECT_EQ(out.pos, 0);
    SendMessage(bar, SBM_GETRANGE, reinterpret_cast<WParam>(&lo), reinterpret_cast<LParam>(&hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 4);
    si.mask = SIF_RANGE;
    si.min = 50;
    si.max = 20;  // an inverted range collapses to its minimum
    SetScrollInfo(bar, SB_CTL, si, false);
    GetScrollInfo(bar, SB_CTL, &out);
    EXPECT_EQ(out.min, 50);
    EXPECT_EQ(out.max, 50);
}

TEST_F(ScrollBarTest, ClicksOnArrowsAndPagesNotifyTheParentWithTheControl) {
    const Hwnd top = Popup(0, 0, 300, 200);
    const Hwnd vbar = Bar(top, 7, SBS_VERT, 10, 10, 16, 120);
    const Hwnd hbar = Bar(top, 8, SBS_HORZ, 40, 10, 150, 16);
    ScrollInfo si;
    si.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.max = 99;
    si.page = 10;
    si.pos = 0;
    SetScrollInfo(vbar, SB_CTL, si, true);
    SetScrollInfo(hbar, SB_CTL, si, true);
    Pump();
    struct Case {
        Point at;
        Hwnd bar;
        uint32_t msg;
        int code;
    };
    const Case cases[] = {
        {{18, 15}, vbar, WM_VSCROLL, SB_LINEUP},     {{18, 125}, vbar, WM_VSCROLL, SB_LINEDOWN},
        {{18, 90}, vbar, WM_VSCROLL, SB_PAGEDOWN},   {{45, 18}, hbar, WM_HSCROLL, SB_LINELEFT},
        {{185, 18}, hbar, WM_HSCROLL, SB_LINERIGHT}, {{120, 18}, hbar, WM_HSCROLL, SB_PAGERIGHT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        rec.log.clear();
        screen->Click(c.at.x, c.at.y);
        Pump();
        const std::vector<Note> notes = Notes(top);
        ASSERT_EQ(notes.size(), 2u);
        EXPECT_EQ(notes[0].msg, c.msg);
        EXPECT_EQ(notes[0].code, c.code);
        EXPECT_EQ(HwndFromParam(notes[0].from), c.bar);
        EXPECT_EQ(notes[1].code, static_cast<int>(SB_ENDSCROLL));
    }
    // Dragging the thumb of the vertical bar to the bottom: tracking, then the final position.
    SetScrollPos(vbar, SB_CTL, 0, true);
    rec.log.clear();
    screen->MouseMove(18, 28);
    screen->MouseDown(18, 28);
    screen->MouseMove(18, 60);
    screen->MouseMove(18, 200);
    screen->MouseUp(18, 200);
    Pump();
    const std::vector<Note> notes = Notes(top);
    ASSERT_GE(notes.size(), 4u);
    EXPECT_EQ(notes.front().code, static_cast<int>(SB_THUMBTRACK));
    EXPECT_GT(notes.front().pos, 0);
    EXPECT_EQ(notes[notes.size() - 2].code, static_cast<int>(SB_THUMBPOSITION));
    EXPECT_EQ(notes[notes.size() - 2].pos, 90);
    EXPECT_EQ(notes.back().code, static_cast<int>(SB_ENDSCROLL));
    // The control moves only when its owner says so.
    EXPECT_EQ(GetScrollPos(vbar, SB_CTL), 0);
    // A disabled bar ignores the mouse.
    EnableWindow(vbar, false);
    rec.log.clear();
    screen->Click(18, 125);
    Pump();
    EXPECT_TRUE(Notes(top).empty());
}

TEST_F(ScrollBarTest, KeysOnAFocusedControlScroll) {
    const Hwnd top = Popup(0, 0, 300, 200);
    const Hwnd bar = Bar(top, 7, SBS_HORZ | WS_TABSTOP, 10, 10, 150, 16);
    SetScrollRange(bar, SB_CTL, 0, 10, false);
    screen->Click(80, 18);  // a click gives a tab-stop bar the focus
    Pump();
    EXPECT_EQ(GetFocus(), bar);
    rec.log.clear();
    for (uint32_t vk : {VK_RIGHT, VK_LEFT, VK_NEXT, VK_PRIOR, VK_HOME, VK_END}) {
        screen->KeyDown(vk);
        screen->KeyUp(vk);
    }
    Pump();
    const std::vector<int> expected = {SB_LINEDOWN, SB_ENDSCROLL, SB_LINEUP, SB_ENDSCROLL,
                                       SB_PAGEDOWN, SB_ENDSCROLL, SB_PAGEUP, SB_ENDSCROLL,
                                       SB_TOP,      SB_ENDSCROLL, SB_BOTTOM, SB_ENDSCROLL};
    EXPECT_EQ(Codes(top), expected);
}

// Holding an arrow repeats after the delay and then every period of the manual clock, only
// while the pointer stays on it. The GUI thread runs the tracking loop; a helper thread moves
// the clock and the mouse and waits for each answer.
void RunHeldArrow(HeadlessBackend* screen, std::atomic<int>& lines, Point on, Point off,
                  std::vector<int>* seen) {
    auto waitFor = [&](int n) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (lines.load() < n && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return lines.load();
    };
    // The tracking loop has taken in every move and looked at the clock.
    auto settle = [&] { EXPECT_TRUE(screen->WaitForGuiIdle(10000)); };
    seen->push_back(waitFor(1));  // the press itself
    screen->AdvanceClock(kScrollRepeatDelayMs - 1);
    settle();
    seen->push_back(lines.load());  // not yet
    screen->AdvanceClock(1);
    seen->push_back(waitFor(2));
    for (int i = 0; i < 3; ++i) {
        screen->AdvanceClock(kScrollRepeatPeriodMs);
        seen->push_back(waitFor(3 + i));
    }
    screen->MouseMove(off.x, off.y);
    settle();
    screen->AdvanceClock(kScrollRepeatPeriodMs * 4);
    settle();
    seen->push_back(lines.load());  // off the arrow: no more
    screen->MouseMove(on.x, on.y);
    settle();
    screen->AdvanceClock(kScrollRepeatPeriodMs);
    seen->push_back(waitFor(6));  // back on it: again
    screen->MouseUp(on.x, on.y);
}

TEST_F(ScrollBarTest, HeldArrowsRepeatOnTheClockForWindowBarsAndControls) {
    std::atomic<int> lines{0};
    rec.handler = [&](Hwnd, uint32_t msg, WParam wp, LParam, LResult*) {
        if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LoWord(wp) == SB_LINEDOWN) ++lines;
        return false;
    };
    const Hwnd win = Popup(0, 0, 116, 116, WS_VISIBLE | WS_VSCROLL);
    SetScrollRange(win, SB_VERT, 0, 99, true);
    const Hwnd top = Popup(200, 0, 300, 200);
    const Hwnd bar = Bar(top, 7, SBS_HORZ, 10, 10, 150, 16);
    SetScrollRange(bar, SB_CTL, 0, 99, true);
    Pump();
    struct Case {
        const char* name;
        Point on, off;
    };
    const Case cases[] = {{"window bar", {108, 108}, {108, 50}},
                          {"control", {200 + 155, 18}, {200 + 155, 80}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lines = 0;
        std::vector<int> seen;
        screen->MouseMove(c.on.x, c.on.y);
        screen->MouseDown(c.on.x, c.on.y);
        std::thread driver(RunHeldArrow, screen, std::ref(lines), c.on, c.off, &seen);
        // The press enters the tracking loop, which returns after the release.
        Msg m;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline && GetCapture() == Hwnd{} &&
               lines.load() == 0) {
            Pump();
        }
        driver.join();
        Pump();
        EXPECT_EQ(seen, (std::vector<int>{1, 1, 2, 3, 4, 5, 5, 6}));
        EXPECT_EQ(GetCapture(), Hwnd{});
    }
}

TEST_F(ScrollBarTest, PagingStopsWhereTheThumbReachesThePointer) {
    std::atomic<int> pages{0};
    const Hwnd win = Popup(0, 0, 116, 116, WS_VISIBLE | WS_VSCROLL);
    rec.handler = [&](Hwnd h, uint32_t msg, WParam wp, LParam, LResult*) {
        if (msg == WM_VSCROLL && LoWord(wp) == SB_PAGEDOWN) {
            ++pages;
            SetScrollPos(h, SB_VERT, GetScrollPos(h, SB_VERT) + 10, true);
        }
        return false;
    };
    ScrollInfo si;
    si.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.max = 99;
    si.page = 10;
    SetScrollInfo(win, SB_VERT, si, true);
    Pump();
    screen->SetAutoAdvance(true);  // every wait jumps to the next repeat
    screen->MouseMove(108, 60);
    screen->MouseDown(108, 60);
    std::thread release([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // Wait until the repeats have stopped by themselves, then let go: each idle wait of
        // the tracking loop jumps the clock to the next repeat, so a stretch of them without a
        // new page means paging has stopped.
        int last = -1;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!screen->WaitForGuiIdle(10000)) break;
            const int now = pages.load();
            if (now > 0 && now == last) break;
            last = now;
        }
        screen->MouseUp(108, 60);
    });
    while (pages.load() == 0) Pump();
    release.join();
    Pump();
    // The track runs from 16 to 100; the pointer at 60 lies past the middle, so paging stops
    // once the thumb covers it, well before the end of the range.
    const int pos = GetScrollPos(win, SB_VERT);
    EXPECT_GT(pos, 30);
    EXPECT_LT(pos, 90);
    ScrollInfo got;
    got.mask = SIF_POS;
    GetScrollInfo(win, SB_VERT, &got);
    EXPECT_EQ(got.pos, pos);
}

TEST_F(ScrollBarTest, SizeBoxDragsTheWindowCorner) {
    const Hwnd top = Popup(0, 0, 200, 150);
    const Hwnd box = Bar(top, 9, SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN, 184, 134, 16, 16);
    Pump();
    screen->MouseMove(190, 140);
    screen->MouseDown(190, 140);
    screen->MouseMove(230, 170);
    screen->MouseUp(230, 170);
    Pump();
    Rect r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (Rect{0, 0, 240, 180}));
    EXPECT_TRUE(IsWindow(box));
}

TEST_F(ScrollBarTest, BarsDrawArrowsThumbAndPressedParts) {
    const Hwnd top = Popup(0, 0, 300, 200);
    const Hwnd win =
        CreateWindowEx(0, "Recorder", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 200, 20,
                       90, 90, top, 3, nullptr, nullptr);
    const Hwnd vbar = Bar(top, 7, SBS_VERT, 10, 10, 16, 120);
    const Hwnd hbar = Bar(top, 8, SBS_HORZ, 40, 10, 150, 16);
    Bar(top, 9, SBS_SIZEBOX, 40, 40, 16, 16);
    ScrollInfo si;
    si.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.max = 99;
    si.page = 25;
    si.pos = 50;
    for (Hwnd h : {vbar, hbar}) SetScrollInfo(h, SB_CTL, si, true);
    SetScrollInfo(win, SB_VERT, si, true);
    SetScrollInfo(win, SB_HORZ, si, true);
    UpdateWindow(top);
    wm->Flush();
    const uint32_t face = 0xC0C0C0, track = 0xE0E0E0;
    // Arrows are raised faces with a black glyph; the track shows around the thumb.
    EXPECT_EQ(screen->PixelAt(15, 10), 0xFFFFFFu);  // arrow light edge
    EXPECT_EQ(screen->PixelAt(18, 17), 0u);         // glyph
    EXPECT_EQ(screen->PixelAt(18, 30), track);
    EXPECT_EQ(screen->PixelAt(18, 124 - 20), track);
    // The thumb sits in the middle third of the track.
    const int thumbRow = 10 + 16 + (120 - 32 - 22) * 50 / 75 + 22 / 2;
    EXPECT_EQ(screen->PixelAt(18, thumbRow), face);
    std::string err;
    ASSERT_TRUE(screen->WriteScreenshot(ShotPath("scrollbars"), &err)) << err;
    // Holding the page area below the thumb darkens it until the release.
    screen->SetAutoAdvance(false);
    screen->MouseMove(18, 105);
    std::atomic<bool> pressed{false};
    screen->MouseDown(18, 105);
    std::thread peek([&] {
        // The press is taken in and drawn before the tracking loop waits with nothing to do.
        EXPECT_TRUE(screen->WaitForGuiIdle(10000));
        pressed = screen->PixelAt(18, 105) == 0u;
        screen->MouseUp(18, 105);
    });
    Pump();
    peek.join();
    Pump();
    wm->Flush();
    EXPECT_TRUE(pressed.load());
    EXPECT_EQ(screen->PixelAt(18, 105), track);
}

}  // namespace
}  // namespace zv::ui
