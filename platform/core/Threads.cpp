#include "platform/core/Threads.h"

#include <algorithm>
#include <chrono>

namespace zv::core {
namespace {

using Clock = std::chrono::steady_clock;

// Waits on `cv` until `ready` holds or the timeout passes; returns `ready()`.
template <typename Lock, typename Ready>
bool WaitFor(std::condition_variable& cv, Lock& lock, std::uint32_t timeoutMs, Ready ready) {
    if (timeoutMs == kInfinite) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

std::uint32_t GetTickMs() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

void SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void AutoResetEvent::Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    cv_.notify_one();
    for (Waiter* w : waiters_) {
        std::lock_guard wl(w->mutex);
        w->woken = true;
        w->cv.notify_one();
    }
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool AutoResetEvent::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!WaitFor(cv_, lock, timeoutMs, [this] { return set_; })) return false;
    set_ = false;
    return true;
}

bool AutoResetEvent::TryConsume() {
    std::lock_guard lock(mutex_);
    if (!set_) return false;
    set_ = false;
    return true;
}

int WaitAny(std::initializer_list<AutoResetEvent*> events, std::uint32_t timeoutMs) {
    AutoResetEvent::Waiter waiter;
    // Registered before the first test, so a Set between test and sleep still wakes us.
    for (AutoResetEvent* e : events) {
        std::lock_guard lock(e->mutex_);
        e->waiters_.push_back(&waiter);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int result = -1;
    for (;;) {
        int index = 0;
        for (AutoResetEvent* e : events) {
            if (e->TryConsume()) {
                result = index;
                break;
            }
            ++index;
        }
        if (result >= 0) break;
        std::unique_lock lock(waiter.mutex);
        if (timeoutMs == kInfinite) {
            waiter.cv.wait(lock, [&] { return waiter.woken; });
        } else if (!waiter.cv.wait_until(lock, deadline, [&] { return waiter.woken; })) {
            break;
        }
        waiter.woken = false;
    }
    for (AutoResetEvent* e : events) {
        std::lock_guard lock(e->mutex_);
        auto& list = e->waiters_;
        list.erase(std::remove(list.begin(), list.end(), &waiter), list.end());
    }
    // A Set that arrived after the timeout stays with its event.
    return result;
}

bool WorkGate::BeginUnit() {
    std::unique_lock lock(mutex_);
    if (!closed_ && suspendCount_ != 0) {
        ++parked_;
        parkedCv_.notify_all();
        cv_.wait(lock, [this] { return closed_ || suspendCount_ == 0; });
        --parked_;
    }
    if (closed_) return false;
    inUnit_ = true;
    worker_ = std::this_thread::get_id();
    return true;
}

void WorkGate::EndUnit() {
    std::lock_guard lock(mutex_);
    inUnit_ = false;
    cv_.notify_all();
}

void WorkGate::Suspend(const std::function<void()>& serveWhileWaiting) {
    std::unique_lock lock(mutex_);
    ++suspendCount_;
    if (inUnit_ && worker_ == std::this_thread::get_id()) return;
    if (!serveWhileWaiting) {
        cv_.wait(lock, [this] { return !inUnit_ || closed_; });
        return;
    }
    while (inUnit_ && !closed_) {
        lock.unlock();
        serveWhileWaiting();
        lock.lock();
        cv_.wait_for(lock, std::chrono::milliseconds(2), [this] { return !inUnit_ || closed_; });
    }
}

bool WorkGate::Resume() {
    std::lock_guard lock(mutex_);
    if (suspendCount_ == 0) return false;
    if (--suspendCount_ == 0) cv_.notify_all();
    return true;
}

void WorkGate::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    cv_.notify_all();
}

bool WorkGate::IsSuspended() const {
    std::lock_guard lock(mutex_);
    return suspendCount_ > 0;
}

bool WorkGate::IsWorkerInUnit() const {
    std::lock_guard lock(mutex_);
    return inUnit_;
}

bool WorkGate::WaitForParkedWorker(std::uint32_t timeoutMs) const {
    std::unique_lock lock(mutex_);
    const auto parked = [this] { return parked_ > 0; };
    if (timeoutMs == kInfinite) {
        parkedCv_.wait(lock, parked);
        return true;
    }
    return parkedCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), parked);
}

Thread::~Thread() {
    Join(kInfinite);
}

bool Thread::Start(std::function<void()> body) {
    std::lock_guard lock(mutex_);
    if (running_) return false;
    if (thread_.joinable()) thread_.join();  // ended earlier but never joined
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)] {
        body();
        std::lock_guard done(mutex_);
        running_ = false;
        cv_.notify_all();
    });
    return true;
}

bool Thread::Join(std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!WaitFor(cv_, lock, timeoutMs, [this] { return !running_; })) return false;
    std::thread finished = std::move(thread_);
    lock.unlock();
    if (finished.joinable()) finished.join();
    return true;
}

bool Thread::IsRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

}  // namespace zv::core
