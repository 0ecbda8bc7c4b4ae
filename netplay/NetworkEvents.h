#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/core/Threads.h"

// How the network receive thread reaches the GUI thread. Every hand-over is synchronous: the
// receive thread waits until the GUI thread has handled it, so a pointer it passes is valid for
// that call only. The shell implements NetworkEventTarget by sending WM_NETWORK_EVENT to the
// frame (which calls SessionManager::OnNetworkEvent) and the two panel messages to the panel
// manager; headless programs and tests use SyncHandOff.
namespace zv::net {

class NetworkEventTarget {
  public:
    virtual ~NetworkEventTarget() = default;
    // WM_NETWORK_EVENT (wParam, lParam) to the frame.
    virtual void SendNetworkEvent(std::uint32_t wParam, const void* lParam) = 0;
    // WM_PANEL_LINK_QUALITY (1 good, 2 fair, 3 poor) to the panel manager.
    virtual void SendLinkQuality(int quality) = 0;
    // WM_PANEL_WAIT_MASK (mask) to the panel manager.
    virtual void SendWaitMask(std::uint16_t mask) = 0;
    // Called on the GUI thread while it waits for the receive thread to end: serves the
    // hand-overs pending meanwhile, so a receive thread blocked in one can finish.
    virtual void ServePendingSends() = 0;
};

// A synchronous cross-thread call queue standing in for the window system's SendMessage: calls
// from the owner thread run at once; calls from other threads wait until the owner serves them.
class SyncHandOff {
  public:
    SyncHandOff() : owner_(std::this_thread::get_id()) {}
    void SetOwnerThread(std::thread::id id) { owner_ = id; }
    // Runs fn on the owner thread and returns once it ran (or the hand-off was closed).
    void Call(const std::function<void()>& fn);
    // Owner side: runs every pending call; returns how many ran.
    int Serve();
    // Waits up to ms for a pending call and serves it.
    int ServeFor(std::uint32_t ms);
    // Refuses further calls and releases the waiting ones without running them.
    void Close();

  private:
    struct Pending {
        const std::function<void()>* fn;
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Pending*> queue_;
    bool closed_ = false;
    std::thread::id owner_;
};

}  // namespace zv::net
