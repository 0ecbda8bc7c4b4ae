#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/core/Threads.h"

// The simulation clock thread: it calls the paced step every period (200 ms in the game) for as
// long as it is resumed. Each step is one unit of work of a WorkGate, so suspending the clock
// returns only once the thread is parked between two steps; no step is ever left half done.
namespace zv::sim {

class ClockStepThread {
  public:
    // `step` is called once per period while the clock runs (the game passes RealTimeTick (1)).
    explicit ClockStepThread(std::function<void()> step, std::uint32_t periodMs = 200);
    ~ClockStepThread();  // stops the thread
    ClockStepThread(const ClockStepThread&) = delete;
    ClockStepThread& operator=(const ClockStepThread&) = delete;

    // Creates the thread suspended. True when it runs (also when it already did).
    bool Start();
    // Ends the thread: a step under way finishes, then the thread leaves its loop. Returns once
    // it has ended.
    void Stop();
    // When the clock is not running: lets it run. Returns the running flag.
    int ResumeClock();
    // When the clock is running: returns once the thread is parked between steps. While it
    // waits, `serveWhileWaiting` is called every few milliseconds (the GUI thread keeps serving
    // the step's synchronous messages there).
    void SuspendClock(const std::function<void()>& serveWhileWaiting = nullptr);
    bool IsRunning() const { return running_.load(); }
    // True while the clock is being parked or is parked: a step that waits on the GUI thread
    // (a fight played on screen) stops waiting, since that thread now waits for the step.
    bool IsBeingParked() const { return gate_.IsSuspended(); }
    bool IsStarted() const { return thread_.IsRunning(); }
    // True once the thread waits for the clock to run again (false after the timeout); it runs
    // no step from then on before a ResumeClock or a Stop.
    bool WaitUntilParked(std::uint32_t timeoutMs) const { return gate_.WaitForParkedWorker(timeoutMs); }

  private:
    void Body();

    std::function<void()> step_;
    std::uint32_t periodMs_;
    core::WorkGate gate_{true};
    core::AutoResetEvent wake_;
    core::Thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> quit_{false};
};

}  // namespace zv::sim
