#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/core/Signals.h"

namespace zv::core {
namespace {

std::atomic<int> gBefore{0};
void BeforeHandler(int sig) { gBefore.store(sig); }

bool WaitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// SIGTERM and SIGINT reach the function on the watcher thread (asked again and again until the
// watch stops), the first one is kept, and the handlers found at the start come back at the end.
TEST(TerminationWatch, SignalsReachTheFunctionUntilStopAndTheOldHandlersComeBack) {
    gBefore.store(0);  // a run before this one (--gtest_repeat) left its signal here
    struct sigaction before {}, saved[2] {};
    before.sa_handler = BeforeHandler;
    sigemptyset(&before.sa_mask);
    ::sigaction(SIGTERM, &before, &saved[0]);
    ::sigaction(SIGINT, &before, &saved[1]);

    std::atomic<int> calls{0};
    std::atomic<int> last{0};
    std::atomic<bool> onOtherThread{false};
    const std::thread::id self = std::this_thread::get_id();
    {
        TerminationWatch watch;
        ASSERT_TRUE(watch.Start([&](int sig) {
            last.store(sig);
            onOtherThread.store(std::this_thread::get_id() != self);
            calls.fetch_add(1);
        }, 20));
        TerminationWatch second;
        EXPECT_FALSE(second.Start([](int) {})) << "one watch at a time";
        EXPECT_EQ(TerminationWatch::Received(), 0);

        ::raise(SIGINT);
        ASSERT_TRUE(WaitFor([&] { return calls.load() >= 1; }));
        EXPECT_EQ(last.load(), SIGINT);
        EXPECT_TRUE(onOtherThread.load());
        ::raise(SIGTERM);
        ASSERT_TRUE(WaitFor([&] { return last.load() == SIGTERM; }));
        EXPECT_EQ(TerminationWatch::Received(), SIGINT) << "the first signal is kept";
        // Asked again without a new signal.
        const int seen = calls.load();
        EXPECT_TRUE(WaitFor([&] { return calls.load() >= seen + 2; }));
        EXPECT_EQ(gBefore.load(), 0) << "the old handler is not called meanwhile";
        watch.Stop();
        EXPECT_FALSE(watch.IsRunning());
        const int after = calls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        EXPECT_EQ(calls.load(), after) << "nothing after Stop";
    }
    ::raise(SIGTERM);
    EXPECT_EQ(gBefore.load(), SIGTERM);
    ::sigaction(SIGTERM, &saved[0], nullptr);
    ::sigaction(SIGINT, &saved[1], nullptr);

    // A new watch starts afresh.
    TerminationWatch again;
    ASSERT_TRUE(again.Start([](int) {}));
    EXPECT_EQ(TerminationWatch::Received(), 0);
}

}  // namespace
}  // namespace zv::core
