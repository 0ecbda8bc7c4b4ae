#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/Process.h"

namespace zv::core {

// Wait without limit.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Milliseconds of a steady clock; wraps after about 49.7 days like the system tick count.
std::uint32_t GetTickMs();
void SleepMs(std::uint32_t ms);

// An event that lets exactly one waiter through per Set and then closes again.
class AutoResetEvent {
  public:
    explicit AutoResetEvent(bool initiallySet = false) : set_(initiallySet) {}
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Set();
    void Reset();
    // True when the event was set (it is closed again on return); false after the timeout.
    // A timeout of 0 only tests.
    bool Wait(std::uint32_t timeoutMs = kInfinite);

  private:
    friend int WaitAny(std::initializer_list<AutoResetEvent*> events, std::uint32_t timeoutMs);
    struct Waiter {
        std::mutex mutex;
        std::condition_variable cv;
        bool woken = false;
    };
    bool TryConsume();

    std::mutex mutex_;
    std::condition_variable cv_;
    bool set_;
    std::vector<Waiter*> waiters_;
};

// Waits until one of the events is set and consumes that one. Returns its index (the
// lowest when several are set), or -1 after the timeout.
int WaitAny(std::initializer_list<AutoResetEvent*> events, std::uint32_t timeoutMs = kInfinite);

// Lets a controller park a worker thread between units of work, never inside one. The
// worker wraps each unit in BeginUnit/EndUnit (or RunUnit); Suspend returns once the
// worker is outside a unit and will not start another until the matching Resume.
// Suspensions count: two Suspends need two Resumes.
class WorkGate {
  public:
    explicit WorkGate(bool startSuspended = false) : suspendCount_(startSuspended ? 1 : 0) {}
    WorkGate(const WorkGate&) = delete;
    WorkGate& operator=(const WorkGate&) = delete;

    // Worker side. BeginUnit waits while suspended; it returns false once the gate is
    // closed, and the worker should then end.
    bool BeginUnit();
    void EndUnit();
    template <typename Fn>
    bool RunUnit(Fn&& unit) {
        if (!BeginUnit()) return false;
        struct End {
            WorkGate* gate;
            ~End() { gate->EndUnit(); }
        } end{this};
        unit();
        return true;
    }

    // Controller side. While the worker finishes its unit, `serveWhileWaiting` (when given)
    // is called every few milliseconds, so that a GUI thread can keep serving the worker's
    // synchronous requests instead of deadlocking. Called on the worker thread itself
    // (inside a unit), Suspend only counts: the worker parks at its next BeginUnit.
    void Suspend(const std::function<void()>& serveWhileWaiting = nullptr);
    // False when the gate was not suspended.
    bool Resume();
    // Releases the worker for good: every BeginUnit from now on returns false.
    void Close();

    bool IsSuspended() const;
    bool IsWorkerInUnit() const;
    // True once a worker waits in BeginUnit for the gate to open (false after the timeout):
    // from then on it runs no unit before a Resume or a Close.
    bool WaitForParkedWorker(std::uint32_t timeoutMs) const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    mutable std::condition_variable parkedCv_;
    int parked_ = 0;
    int suspendCount_;
    bool inUnit_ = false;
    bool closed_ = false;
    std::thread::id worker_;
};

// A thread that can be awaited with a time limit.
class Thread {
  public:
    Thread() = default;
    ~Thread();  // waits for the body to end
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when a body is still running.
    bool Start(std::function<void()> body);
    // True once the body has ended (the thread is then joined); false after the timeout.
    bool Join(std::uint32_t timeoutMs = kInfinite);
    bool IsRunning() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace zv::core
