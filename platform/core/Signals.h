#pragma once

#include <functional>

namespace zv::core {

// Turns SIGTERM and SIGINT into a request the program answers with its own orderly shut-down,
// instead of dying in the middle of whatever it does (or, with a library's own handlers,
// ignoring them). The handler only notes the signal and wakes a watcher thread; `onSignal` runs
// on that thread, once at the signal and then every `repeatMs` until Stop, since the program
// may be inside a nested loop that does not pass the request on. One watch at a time.
class TerminationWatch {
  public:
    TerminationWatch() = default;
    ~TerminationWatch() { Stop(); }
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    // False (and nothing installed) when another watch runs or the pipe or thread cannot be made.
    bool Start(std::function<void(int signal)> onSignal, int repeatMs = 250);
    // Puts the handlers found at Start back and ends the thread. A signal that arrives after Stop
    // meets those handlers.
    void Stop();
    bool IsRunning() const { return running_; }

    // The first signal received since the last Start (0: none). Any thread.
    static int Received();

  private:
    bool running_ = false;
};

}  // namespace zv::core
