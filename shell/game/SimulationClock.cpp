#include "shell/game/SimulationClock.h"

#include <atomic>
#include <memory>
#include <utility>

#include "platform/ui/WindowManager.h"
#include "simulation/ClockStepThread.h"

namespace zv::shell {

namespace {

struct ClockState {
    std::function<void()> step;
    std::uint32_t periodMs = 200;
    std::unique_ptr<sim::ClockStepThread> thread;
    std::atomic<std::uint8_t> pendingNetAction{0};
};

ClockState& State() {
    static ClockState state;
    return state;
}

// The GUI thread keeps answering the step's synchronous messages while it waits for the
// thread, or the step (blocked in a send) would never reach the point where it parks.
void ServeSends() {
    if (ui::WindowManager* wm = ui::WindowManager::Current(); wm != nullptr && wm->IsGuiThread()) {
        wm->ServeSends();
    }
}

}  // namespace

void SetSimulationStep(std::function<void()> step, std::uint32_t periodMs) {
    State().step = std::move(step);
    State().periodMs = periodMs;
}

int StartSimulationThread() {
    ClockState& s = State();
    if (s.thread && s.thread->IsStarted()) return 1;
    std::function<void()> step = s.step ? s.step : [] {};
    s.thread = std::make_unique<sim::ClockStepThread>(std::move(step), s.periodMs);
    if (!s.thread->Start()) {
        s.thread.reset();
        return 0;
    }
    return 1;
}

int StopSimulationThread() {
    ClockState& s = State();
    if (!s.thread) return 0;
    ui::WindowManager* wm = ui::WindowManager::Current();
    if (wm != nullptr && wm->IsGuiThread()) {
        wm->RunBlockingServingSends([&] { s.thread->Stop(); });
    } else {
        s.thread->Stop();
    }
    s.thread.reset();
    return 1;
}

int SuspendSimulation() {
    if (!State().thread) return 0;
    State().thread->SuspendClock(ServeSends);
    return 1;
}

int ResumeSimulation() {
    if (!State().thread) return 0;
    State().thread->ResumeClock();
    return 1;
}

bool WaitForParkedSimulationThread(std::uint32_t timeoutMs) {
    return State().thread && State().thread->WaitUntilParked(timeoutMs);
}

int ResumeClock() {
    if (!State().thread) return 0;
    return State().thread->ResumeClock();
}

void SuspendClock() {
    if (State().thread) State().thread->SuspendClock(ServeSends);
}

bool IsClockBeingParked() {
    return State().thread && State().thread->IsBeingParked();
}

int IsClockRunning() {
    return State().thread && State().thread->IsRunning() ? 1 : 0;
}

std::uint8_t GetPendingNetAction() {
    return State().pendingNetAction.load();
}

void SetPendingNetAction(std::uint8_t action) {
    State().pendingNetAction.store(action);
}

bool IsSimulationThreadStarted() {
    return State().thread && State().thread->IsStarted();
}

}  // namespace zv::shell
