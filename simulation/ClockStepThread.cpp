#include "simulation/ClockStepThread.h"

namespace zv::sim {

ClockStepThread::ClockStepThread(std::function<void()> step, std::uint32_t periodMs)
    : step_(std::move(step)), periodMs_(periodMs) {}

ClockStepThread::~ClockStepThread() {
    Stop();
}

bool ClockStepThread::Start() {
    if (thread_.IsRunning()) return true;
    quit_.store(false);
    return thread_.Start([this] { Body(); });
}

void ClockStepThread::Body() {
    while (!quit_.load()) {
        const bool ran = gate_.RunUnit([this] {
            if (quit_.load()) return;
            step_();
        });
        if (!ran) return;  // the gate was closed
        // The pause between steps; Stop cuts it short.
        wake_.Wait(periodMs_);
    }
}

void ClockStepThread::Stop() {
    if (!thread_.IsRunning()) return;
    quit_.store(true);
    gate_.Close();
    wake_.Set();
    thread_.Join();
    running_.store(false);
}

int ClockStepThread::ResumeClock() {
    if (running_.load()) return 1;
    gate_.Resume();
    running_.store(true);
    return 1;
}

void ClockStepThread::SuspendClock(const std::function<void()>& serveWhileWaiting) {
    if (!running_.load()) return;
    gate_.Suspend(serveWhileWaiting);
    running_.store(false);
}

}  // namespace zv::sim
