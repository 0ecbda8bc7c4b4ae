#include "netplay/NetworkEvents.h"

namespace zv::net {

void SyncHandOff::Call(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == owner_) {
        fn();
        return;
    }
    Pending pending{&fn};
    std::unique_lock lock(mutex_);
    if (closed_) return;
    queue_.push_back(&pending);
    cv_.notify_all();
    cv_.wait(lock, [&] { return pending.done; });
}

int SyncHandOff::Serve() {
    int served = 0;
    for (;;) {
        Pending* next = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return served;
            next = queue_.front();
            queue_.pop_front();
        }
        (*next->fn)();
        ++served;
        std::lock_guard lock(mutex_);
        next->done = true;
        cv_.notify_all();
    }
}

int SyncHandOff::ServeFor(std::uint32_t ms) {
    {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !queue_.empty(); });
    }
    return Serve();
}

void SyncHandOff::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (Pending* p : queue_) p->done = true;
    queue_.clear();
    cv_.notify_all();
}

}  // namespace zv::net
