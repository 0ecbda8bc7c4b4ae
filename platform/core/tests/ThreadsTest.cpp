#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "platform/core/Threads.h"

namespace zv::core {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, LetsOneWaiterThroughPerSet) {
    AutoResetEvent e;
    EXPECT_FALSE(e.Wait(0));
    e.Set();
    e.Set();  // setting a set event does not count twice
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0));
    EXPECT_FALSE(e.Wait(20));

    AutoResetEvent initially(true);
    EXPECT_TRUE(initially.Wait(0));
    initially.Set();
    initially.Reset();
    EXPECT_FALSE(initially.Wait(0));

    std::atomic<int> passed{0};
    std::thread a([&] { passed += e.Wait(300) ? 1 : 0; });
    std::thread b([&] { passed += e.Wait(300) ? 1 : 0; });
    // Whether or not the waiters have begun, the one Set lets exactly one of them through.
    e.Set();
    a.join();
    b.join();
    EXPECT_EQ(passed.load(), 1);
}

TEST(AutoResetEvent, WaitAnyConsumesOneEvent) {
    AutoResetEvent receive, quit;
    EXPECT_EQ(WaitAny({&receive, &quit}, 0), -1);
    quit.Set();
    EXPECT_EQ(WaitAny({&receive, &quit}, 0), 1);
    EXPECT_FALSE(quit.Wait(0));
    receive.Set();
    quit.Set();
    EXPECT_EQ(WaitAny({&receive, &quit}), 0);
    EXPECT_EQ(WaitAny({&receive, &quit}), 1);
    EXPECT_EQ(WaitAny({&receive, &quit}, 20), -1);

    std::thread setter([&] {
        std::this_thread::sleep_for(30ms);
        quit.Set();
    });
    EXPECT_EQ(WaitAny({&receive, &quit}, kInfinite), 1);
    setter.join();
    // After the wait the events work on their own again.
    receive.Set();
    EXPECT_TRUE(receive.Wait(0));
}

// A worker that counts its units; each unit may be held open by the test.
struct Worker {
    WorkGate& gate;
    std::atomic<int> units{0};
    std::atomic<bool> holdUnit{false};
    AutoResetEvent entered;
    AutoResetEvent release;
    Thread thread;

    explicit Worker(WorkGate& g) : gate(g) {
        thread.Start([this] {
            while (gate.RunUnit([this] {
                ++units;
                if (holdUnit) {
                    entered.Set();
                    release.Wait();
                }
            })) {
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    ~Worker() {
        gate.Close();
        release.Set();
        thread.Join();
    }
};

TEST(WorkGate, SuspendWaitsForTheUnitToFinish) {
    WorkGate gate;
    Worker worker(gate);
    worker.holdUnit = true;
    ASSERT_TRUE(worker.entered.Wait(2000));

    auto suspended = std::async(std::launch::async, [&] { gate.Suspend(); });
    EXPECT_EQ(suspended.wait_for(50ms), std::future_status::timeout);  // still inside the unit
    worker.holdUnit = false;
    worker.release.Set();
    suspended.get();

    EXPECT_FALSE(gate.IsWorkerInUnit());
    const int parkedAt = worker.units;
    ASSERT_TRUE(gate.WaitForParkedWorker(5000));
    EXPECT_EQ(worker.units.load(), parkedAt);  // parked between units

    EXPECT_TRUE(gate.Resume());
    EXPECT_FALSE(gate.Resume());  // not suspended any more
    while (worker.units == parkedAt) std::this_thread::sleep_for(1ms);
}

TEST(WorkGate, CreatedSuspendedAndCounted) {
    WorkGate gate(true);
    Worker worker(gate);
    ASSERT_TRUE(gate.WaitForParkedWorker(5000));
    EXPECT_EQ(worker.units.load(), 0);

    gate.Suspend();
    EXPECT_TRUE(gate.Resume());
    ASSERT_TRUE(gate.WaitForParkedWorker(5000));
    EXPECT_EQ(worker.units.load(), 0);  // one suspension is left
    EXPECT_TRUE(gate.Resume());
    while (worker.units == 0) std::this_thread::sleep_for(1ms);
}

TEST(WorkGate, CloseReleasesAParkedWorker) {
    WorkGate gate(true);
    Thread thread;
    std::atomic<bool> sawClose{false};
    thread.Start([&] { sawClose = !gate.BeginUnit(); });
    ASSERT_TRUE(gate.WaitForParkedWorker(5000));
    EXPECT_TRUE(thread.IsRunning());
    gate.Close();
    EXPECT_TRUE(thread.Join(2000));
    EXPECT_TRUE(sawClose);
}

TEST(WorkGate, AnOpenGateParksNobody) {
    WorkGate gate;
    EXPECT_FALSE(gate.WaitForParkedWorker(0));
    EXPECT_TRUE(gate.RunUnit([] {}));
    EXPECT_FALSE(gate.WaitForParkedWorker(0)) << "a unit that ran was never parked";
    gate.Close();
    EXPECT_FALSE(gate.BeginUnit());
    EXPECT_FALSE(gate.WaitForParkedWorker(0)) << "a closed gate turns the worker away at once";
}

TEST(WorkGate, SuspendInsideAUnitOnlyCounts) {
    WorkGate gate;
    EXPECT_TRUE(gate.RunUnit([&] { gate.Suspend(); }));
    EXPECT_TRUE(gate.IsSuspended());
    EXPECT_TRUE(gate.Resume());
    EXPECT_TRUE(gate.RunUnit([] {}));
}

TEST(WorkGate, ControllerServesRequestsWhileWaiting) {
    // The worker's unit needs an answer from the controller's thread, like a synchronous
    // message to the GUI thread; Suspend must keep answering or the two would deadlock.
    WorkGate gate;
    std::atomic<bool> request{false};
    AutoResetEvent answered;
    AutoResetEvent inUnit;
    Thread thread;
    thread.Start([&] {
        gate.RunUnit([&] {
            inUnit.Set();
            std::this_thread::sleep_for(20ms);
            request = true;
            answered.Wait();
        });
    });
    ASSERT_TRUE(inUnit.Wait(2000));
    int served = 0;
    gate.Suspend([&] {
        if (request.exchange(false)) {
            ++served;
            answered.Set();
        }
    });
    EXPECT_EQ(served, 1);
    EXPECT_FALSE(gate.IsWorkerInUnit());
    EXPECT_TRUE(thread.Join(2000));
}

TEST(Thread, JoinWithATimeLimit) {
    Thread thread;
    AutoResetEvent finish;
    ASSERT_TRUE(thread.Start([&] { finish.Wait(); }));
    EXPECT_FALSE(thread.Start([] {}));
    EXPECT_FALSE(thread.Join(20));
    EXPECT_TRUE(thread.IsRunning());
    finish.Set();
    EXPECT_TRUE(thread.Join(2000));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Join(0));

    std::atomic<int> ran{0};
    ASSERT_TRUE(thread.Start([&] { ++ran; }));  // a finished thread can start again
    EXPECT_TRUE(thread.Join());
    EXPECT_EQ(ran.load(), 1);
}

TEST(Time, TickCountAdvances) {
    const std::uint32_t before = GetTickMs();
    SleepMs(20);
    EXPECT_GE(static_cast<std::uint32_t>(GetTickMs() - before), 20u);
}

}  // namespace
}  // namespace zv::core
