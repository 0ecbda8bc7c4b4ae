#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "shell/ProgramServices.h"
#include "shell/WindowMessages.h"
#include "shell/WindowRegistry.h"
#include "shell/game/ShellGameEvents.h"
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

// A fight manager whose fight never ends: its animation would run on the GUI thread's timers,
// which a GUI thread parking the clock does not run.
ui::LResult EndlessFightProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_FIGHT_BEGIN) return 1;
    return ui::DefWindowProc(h, msg, w, l);
}

// The clock thread waits for a fight played on screen; the GUI thread that parks the clock (the
// program ends) serves the thread's messages meanwhile but no timers. The wait ends then, so
// the parking does, instead of both waiting for each other.
TEST(ClockWithAFight, ParkingTheClockEndsAStepsWaitForAFightOnScreen) {
    ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(320, 240));
    ui::WindowClass wc;
    wc.name = "EndlessFight";
    wc.proc = EndlessFightProc;
    ASSERT_TRUE(ui::RegisterClass(wc));
    const ui::Hwnd manager = ui::CreateWindowEx(0, "EndlessFight", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0, nullptr, nullptr);
    WindowRegistry registry;
    ScopedServices services(ProgramServices{.registry = &registry});
    SetWindowOfKind(WindowKind::RealManager, manager);

    ShellGameEvents events;
    const std::uint8_t record[64] = {};
    std::atomic<bool> fighting{false}, fought{false};
    SetSimulationStep([&] {
        if (fought.load()) return;
        fighting.store(true);
        events.PlayFight(record);
        fought.store(true);
    }, 5);
    ASSERT_EQ(StartSimulationThread(), 1);
    ResumeClock();
    while (!fighting.load()) wm.PumpPending();
    // Without the end of the wait this would hang for the fight's ten minutes.
    SuspendClock();
    EXPECT_TRUE(fought.load()) << "parked between two steps, after the fight's step";
    EXPECT_FALSE(IsClockRunning());
    StopSimulationThread();
    SetSimulationStep(nullptr);
}

}  // namespace
}  // namespace zv::shell
