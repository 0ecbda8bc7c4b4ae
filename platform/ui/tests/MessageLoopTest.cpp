#include <atomic>
#include <thread>

#include "platform/core/Threads.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

constexpr uint32_t kWorkerCall = WM_USER + 1;
constexpr uint32_t kDone = WM_USER + 2;

TEST_F(UiTest, ACrossThreadSendIsServedInsideAModalLoopOnTheGuiThread) {
    const Hwnd h = Popup(0, 0, 10, 10);
    bool finished = false;
    rec.handler = [&](Hwnd, uint32_t msg, WParam w, LParam, LResult* r) {
        if (msg == kWorkerCall) {
            *r = static_cast<LResult>(w * 2);
            return true;
        }
        if (msg == kDone) finished = true;
        return false;
    };
    std::atomic<LResult> answer{0};
    std::thread worker([&] {
        answer = SendMessage(h, kWorkerCall, 21, 0);
        PostMessage(h, kDone, 0, 0);
    });
    // The GUI thread is inside a modal loop (a dialog, a message box, a drag) meanwhile.
    EXPECT_TRUE(RunModalLoop([&] { return !finished; }));
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    const Received* call = rec.Last(h, kWorkerCall);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->thread, std::this_thread::get_id());
}

TEST_F(UiTest, ASendToAWindowThatDiesMeanwhileAnswersZero) {
    const Hwnd h = Popup(0, 0, 10, 10);
    DestroyWindow(h);
    std::atomic<LResult> answer{-1};
    std::thread worker([&] { answer = SendMessage(h, kWorkerCall, 1, 0); });
    worker.join();
    EXPECT_EQ(answer.load(), 0);
}

TEST_F(UiTest, TheGuiThreadCanPauseAWorkerThatIsBlockedInASend) {
    const Hwnd h = Popup(0, 0, 10, 10);
    std::atomic<int> served{0};
    rec.handler = [&](Hwnd, uint32_t msg, WParam, LParam, LResult*) {
        if (msg == kWorkerCall) ++served;
        return false;
    };
    zv::core::WorkGate gate;
    std::thread worker([&] {
        // Each unit of work ends with a synchronous send to a window (as the clock step does).
        while (gate.BeginUnit()) {
            SendMessage(h, kWorkerCall, 0, 0);
            gate.EndUnit();
        }
    });
    // Let the worker get going and block in a send.
    for (int i = 0; i < 200 && served < 3; ++i) {
        wm->ServeSendsWhile([] { return false; });
        zv::core::SleepMs(1);
    }
    ASSERT_GE(served.load(), 3);

    // Pausing serves the send the worker is blocked in, so the worker can reach its gate.
    wm->RunBlockingServingSends([&] { gate.Suspend(); });
    EXPECT_TRUE(gate.IsSuspended());
    EXPECT_FALSE(gate.IsWorkerInUnit());
    const int parkedAt = served;
    zv::core::SleepMs(20);
    wm->PumpPending();
    EXPECT_EQ(served.load(), parkedAt);
    EXPECT_FALSE(wm->HasPendingSends());

    // The gate's own serving hook works the same way.
    gate.Resume();
    for (int i = 0; i < 200 && served < parkedAt + 2; ++i) {
        wm->ServeSendsWhile([] { return false; });
        zv::core::SleepMs(1);
    }
    gate.Suspend([&] { wm->ServeSends(); });
    EXPECT_FALSE(gate.IsWorkerInUnit());
    gate.Close();
    gate.Resume();
    worker.join();
}

TEST_F(UiTest, PostedMessagesComeInOrderAndQuitEndsTheLoopAfterThem) {
    const Hwnd h = Popup(0, 0, 10, 10);
    wm->PumpPending();
    rec.log.clear();
    PostMessage(h, WM_USER + 10, 1, 0);
    PostQuitMessage(3);
    PostMessage(h, WM_USER + 11, 2, 0);
    Msg m;
    std::vector<uint32_t> got;
    while (GetMessage(&m, {}, 0, 0)) {
        got.push_back(m.message);
        DispatchMessage(m);
    }
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(got, (std::vector<uint32_t>{WM_USER + 10, WM_USER + 11}));
    // A modal loop that meets WM_QUIT ends and leaves the quit for the outer loop.
    PostQuitMessage(4);
    EXPECT_FALSE(RunModalLoop([] { return true; }));
    EXPECT_FALSE(GetMessage(&m, {}, 0, 0));
    EXPECT_EQ(m.wParam, 4u);
}

TEST_F(UiTest, TimersFireOnTheManualClock) {
    const Hwnd h = Popup(0, 0, 10, 10);
    const Hwnd other = Popup(20, 0, 10, 10);
    wm->PumpPending();
    auto fired = [&](Hwnd w, uintptr_t id) {
        int n = 0;
        for (const auto& r : rec.log) n += (r.hwnd == w && r.msg == WM_TIMER && r.wParam == id);
        return n;
    };
    ASSERT_EQ(SetTimer(h, 6997, 100), 6997u);
    ASSERT_EQ(SetTimer(other, 5, 0), 5u);  // below the minimum: 10 ms

    struct Step {
        uint32_t advance;
        int expectH;      // WM_TIMER 6997 so far
        int expectOther;  // WM_TIMER 5 so far
    };
    const Step steps[] = {
        {9, 0, 0},    // nothing due yet
        {1, 0, 1},    // 10 ms: the short timer
        {89, 0, 2},   // 99 ms: the long one not yet; the short one once, however many periods
        {1, 1, 2},    // 100 ms: both
        {350, 2, 3},  // a long gap gives one message per timer, not one per period
    };
    for (const Step& s : steps) {
        screen->AdvanceClock(s.advance);
        wm->PumpPending();
        EXPECT_EQ(fired(h, 6997), s.expectH) << "after +" << s.advance;
        EXPECT_EQ(fired(other, 5), s.expectOther) << "after +" << s.advance;
    }
    // Setting the same id again restarts the period.
    screen->AdvanceClock(60);
    SetTimer(h, 6997, 100);
    screen->AdvanceClock(60);
    wm->PumpPending();
    EXPECT_EQ(fired(h, 6997), 2);
    screen->AdvanceClock(40);
    wm->PumpPending();
    EXPECT_EQ(fired(h, 6997), 3);
    // Killed timers and the timers of destroyed windows stop.
    EXPECT_TRUE(KillTimer(h, 6997));
    EXPECT_FALSE(KillTimer(h, 6997));
    const int otherBefore = fired(other, 5);
    DestroyWindow(other);
    screen->AdvanceClock(1000);
    wm->PumpPending();
    EXPECT_EQ(fired(h, 6997), 3);
    EXPECT_EQ(fired(other, 5), otherBefore);
}

TEST_F(UiTest, TimerCallbacksAreCalledOnlyForLiveTimers) {
    static int calls = 0;
    calls = 0;
    const Hwnd h = Popup(0, 0, 10, 10);
    auto proc = [](Hwnd, uint32_t, uintptr_t, uint32_t) { ++calls; };
    const uintptr_t id = SetTimer({}, 0, 50, +proc);
    ASSERT_NE(id, 0u);
    screen->AdvanceClock(50);
    wm->PumpPending();
    EXPECT_EQ(calls, 1);
    KillTimer({}, id);
    // A posted WM_TIMER carrying a function pointer calls nothing.
    PostMessage(h, WM_TIMER, id, reinterpret_cast<LParam>(+proc));
    screen->AdvanceClock(500);
    wm->PumpPending();
    EXPECT_EQ(calls, 1);
}

TEST_F(UiTest, AModalLoopWaitsForTimersWithAnAutoAdvancingClock) {
    const Hwnd h = Popup(0, 0, 10, 10);
    int ticks = 0;
    rec.handler = [&](Hwnd, uint32_t msg, WParam, LParam, LResult*) {
        if (msg == WM_TIMER) ++ticks;
        return false;
    };
    screen->SetAutoAdvance(true);
    SetTimer(h, 1, 40);
    const uint32_t start = GetTickCount();
    RunModalLoop([&] { return ticks < 5; });
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(GetTickCount() - start, 200u);
}

TEST_F(UiTest, ClosingTheScreenAsksTheMainWindowToClose) {
    const Hwnd main = Popup(0, 0, 100, 100);
    Popup(10, 10, 10, 10);
    screen->RequestClose();
    wm->PumpPending();
    EXPECT_EQ(rec.Count(main, WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(main));  // the default answer to WM_CLOSE destroys
}

}  // namespace
}  // namespace zv::ui::testing
