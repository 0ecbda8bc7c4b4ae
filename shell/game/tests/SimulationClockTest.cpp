#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "shell/game/SimulationClock.h"

namespace zv::shell {
namespace {

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSimulationStep([this] {
            inStep.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            steps.fetch_add(1);
            inStep.store(false);
        }, 5);
    }
    void TearDown() override {
        StopSimulationThread();
        SetSimulationStep(nullptr);
    }
    void WaitForSteps(int n) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (steps.load() < n && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::atomic<int> steps{0};
    std::atomic<bool> inStep{false};
};

TEST_F(ClockTest, ANeverResumedThreadStillStops) {
    ASSERT_EQ(StartSimulationThread(), 1);
    EXPECT_EQ(StartSimulationThread(), 1) << "a second start makes nothing new";
    ASSERT_TRUE(WaitForParkedSimulationThread(5000));
    EXPECT_EQ(steps.load(), 0) << "created parked";
    EXPECT_EQ(StopSimulationThread(), 1);
    EXPECT_FALSE(IsSimulationThreadStarted());
    EXPECT_EQ(StopSimulationThread(), 0);
}

TEST_F(ClockTest, SuspendingParksBetweenSteps) {
    ASSERT_EQ(StartSimulationThread(), 1);
    EXPECT_EQ(ResumeClock(), 1);
    EXPECT_EQ(ResumeClock(), 1) << "a second resume is no second release";
    WaitForSteps(3);
    SuspendClock();
    EXPECT_FALSE(IsClockRunning());
    EXPECT_FALSE(inStep.load()) << "suspended in the middle of a step";
    const int parked = steps.load();
    ASSERT_TRUE(WaitForParkedSimulationThread(5000));
    EXPECT_EQ(steps.load(), parked);
    // One suspend matched the one real resume: a resume now lets it run again.
    ResumeClock();
    WaitForSteps(parked + 2);
    EXPECT_GE(steps.load(), parked + 2);
}

TEST_F(ClockTest, WithoutAThreadNothingIsDone) {
    EXPECT_EQ(SuspendSimulation(), 0);
    EXPECT_EQ(ResumeSimulation(), 0);
    EXPECT_EQ(ResumeClock(), 0);
    SuspendClock();
    EXPECT_EQ(IsClockRunning(), 0);
    EXPECT_FALSE(WaitForParkedSimulationThread(0));
}

}  // namespace
}  // namespace zv::shell
