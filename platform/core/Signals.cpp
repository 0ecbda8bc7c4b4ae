#include "platform/core/Signals.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace zv::core {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

std::atomic<int> gReceived{0};
// The pipe's write end for the handler (-1: no watch).
std::atomic<int> gWakeFd{-1};

struct Watch {
    int pipe[2] = {-1, -1};
    std::thread thread;
    struct sigaction previous[2] {};
};
std::mutex gMutex;
Watch* gWatch = nullptr;

// Only what a signal handler may do: note the signal, write one byte.
void OnSignal(int sig) {
    const int saved = errno;
    int none = 0;
    gReceived.compare_exchange_strong(none, sig);
    const int fd = gWakeFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(sig);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

void Run(int readFd, std::function<void(int)> onSignal, int repeatMs) {
    int signal = 0;
    for (;;) {
        pollfd p{readFd, POLLIN, 0};
        const int ready = ::poll(&p, 1, signal != 0 ? repeatMs : -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (ready == 0) {  // the time to ask again
            onSignal(signal);
            continue;
        }
        unsigned char byte = 0;
        const ssize_t n = ::read(readFd, &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || byte == 0) return;  // Stop
        if (signal == 0) signal = byte;
        onSignal(byte);
    }
}

}  // namespace

bool TerminationWatch::Start(std::function<void(int)> onSignal, int repeatMs) {
    std::lock_guard lock(gMutex);
    if (running_ || gWatch != nullptr) return false;
    auto* w = new Watch();
    if (::pipe2(w->pipe, O_CLOEXEC) != 0) {
        delete w;
        return false;
    }
    // The handler never blocks on a full pipe.
    ::fcntl(w->pipe[1], F_SETFL, ::fcntl(w->pipe[1], F_GETFL) | O_NONBLOCK);
    gReceived.store(0);
    gWakeFd.store(w->pipe[1]);
    try {
        w->thread = std::thread(Run, w->pipe[0], std::move(onSignal), repeatMs > 0 ? repeatMs : 250);
    } catch (...) {
        gWakeFd.store(-1);
        ::close(w->pipe[0]);
        ::close(w->pipe[1]);
        delete w;
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i) ::sigaction(kSignals[i], &action, &w->previous[i]);
    gWatch = w;
    running_ = true;
    return true;
}

void TerminationWatch::Stop() {
    std::lock_guard lock(gMutex);
    if (!running_) return;
    running_ = false;
    Watch* w = gWatch;
    gWatch = nullptr;
    for (int i = 0; i < 2; ++i) ::sigaction(kSignals[i], &w->previous[i], nullptr);
    gWakeFd.store(-1);
    const unsigned char stop = 0;
    // The stop byte must get through: wait for room when the pipe is full.
    while (::write(w->pipe[1], &stop, 1) < 0 && (errno == EINTR || errno == EAGAIN)) {
        ::usleep(1000);
    }
    w->thread.join();
    ::close(w->pipe[0]);
    ::close(w->pipe[1]);
    delete w;
}

int TerminationWatch::Received() { return gReceived.load(); }

}  // namespace zv::core
