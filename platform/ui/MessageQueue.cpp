// The message queue: sends (cross-thread ones served by the GUI thread), posts, fetching
// and the modal loops.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

// ---------------------------------------------------------------------------------------------
// Sending and posting

LResult WindowManager::SendMessage(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (IsGuiThread()) {
        Window* win = Get(h);
        if (!win) return 0;
        return CallProc(win, h, msg, w, l);
    }
    // Another thread: queue the call for the GUI thread and wait for its answer. The caller
    // holds no lock of ours while it waits.
    if (!IsWindow(h)) return 0;
    auto ps = std::make_shared<PendingSend>();
    ps->hwnd = h;
    ps->msg = msg;
    ps->wParam = w;
    ps->lParam = l;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (shuttingDown_) return 0;
        sends_.push_back(ps);
    }
    sendArrived_.notify_all();
    backend_->Wake();
    std::unique_lock<std::mutex> lock(queueMutex_);
    sendDone_.wait(lock, [&] { return ps->done; });
    return ps->result;
}

bool WindowManager::ServePendingSends() {
    bool any = false;
    for (;;) {
        std::shared_ptr<PendingSend> ps;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            if (sends_.empty()) break;
            ps = sends_.front();
            sends_.pop_front();
        }
        LResult r = 0;
        if (Window* win = Get(ps->hwnd))
            r = CallProc(win, ps->hwnd, ps->msg, ps->wParam, ps->lParam);
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            ps->result = r;
            ps->done = true;
        }
        sendDone_.notify_all();
        any = true;
    }
    return any;
}

bool WindowManager::HasPendingSends() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return !sends_.empty();
}

bool WindowManager::PostMessage(Hwnd h, uint32_t msg, WParam w, LParam l) {
    // A null window posts to the GUI thread's queue (no window), as a thread message.
    if (h && !IsWindow(h)) return false;
    Msg m;
    m.hwnd = h;
    m.message = msg;
    m.wParam = w;
    m.lParam = l;
    m.time = backend_->NowMs();
    {
        // The cursor position is the GUI thread's; it is filled in when the message is fetched.
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (shuttingDown_) return false;
        posted_.push_back(m);
    }
    backend_->Wake();
    return true;
}

void WindowManager::PostQuitMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        quitPosted_ = true;
        quitCode_ = exitCode;
    }
    backend_->Wake();
}

void WindowManager::ServeSendsWhile(const std::function<bool()>& stillWaiting) {
    for (;;) {
        ServePendingSends();
        if (!stillWaiting()) return;
        std::unique_lock<std::mutex> lock(queueMutex_);
        sendArrived_.wait_for(lock, std::chrono::milliseconds(2), [&] { return !sends_.empty(); });
    }
}

void WindowManager::RunBlockingServingSends(const std::function<void()>& call) {
    std::atomic<bool> done{false};
    std::thread helper([&] {
        call();
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            done = true;
        }
        sendArrived_.notify_all();
    });
    ServeSendsWhile([&] { return !done.load(); });
    helper.join();
}

// ---------------------------------------------------------------------------------------------
// The message loop

bool WindowManager::MatchesFilter(const Msg& m, Hwnd filter, uint32_t min, uint32_t max) const {
    if (filter && !(m.hwnd == filter || IsChild(filter, m.hwnd))) return false;
    if (min == 0 && max == 0) return true;
    return m.message >= min && m.message <= max;
}

bool WindowManager::FetchMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max, bool remove) {
    // 1. Calls from other threads are served before anything else.
    ServePendingSends();

    // 2. Posted messages. Messages for windows that died meanwhile are dropped.
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        for (auto it = posted_.begin(); it != posted_.end();) {
            if (it->hwnd && !IsWindow(it->hwnd)) {
                it = posted_.erase(it);
                continue;
            }
            if (MatchesFilter(*it, filter, min, max)) {
                *out = *it;
                out->pt = cursorPos_;
                if (remove) posted_.erase(it);
                return true;
            }
            ++it;
        }
    }

    // 3. Input. Events are read from the backend one at a time and routed only when they are
    // needed, so that a capture or a window change made while handling one event decides
    // where the next one goes.
    for (;;) {
        for (auto it = inputMsgs_.begin(); it != inputMsgs_.end();) {
            if (!IsWindow(it->hwnd)) {
                it = inputMsgs_.erase(it);
                continue;
            }
            if (MatchesFilter(*it, filter, min, max)) {
                *out = *it;
                if (remove) inputMsgs_.erase(it);
                return true;
            }
            ++it;
        }
        BackendEvent e;
        if (!backend_->PollEvent(e)) break;
        HandleBackendEvent(e);
    }

    // 4. Quit, once nothing is posted.
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (quitPosted_ && posted_.empty()) {
            *out = Msg{};
            out->message = WM_QUIT;
            out->wParam = static_cast<WParam>(quitCode_);
            out->time = backend_->NowMs();
            if (remove) quitPosted_ = false;
            return true;
        }
    }

    // 5. Paint: the desktop is the layer's own, windows get WM_PAINT.
    if (!desktopDirty_.IsEmpty()) PaintDesktop();
    if (min == 0 && max == 0 ? true : (WM_PAINT >= min && WM_PAINT <= max)) {
        Hwnd p;
        if (FindWindowToPaint(&p) && (!filter || p == filter || IsChild(filter, p))) {
            *out = Msg{};
            out->hwnd = p;
            out->message = WM_PAINT;
            out->time = backend_->NowMs();
            out->pt = cursorPos_;
            return true;
        }
    }

    // 6. Timers.
    if (min == 0 && max == 0 ? true : (WM_TIMER >= min && WM_TIMER <= max)) {
        Msg t;
        // Timers of other windows wait while a filter is in force.
        if (NextTimer(&t, false) && MatchesFilter(t, filter, min, max)) {
            NextTimer(out, remove);
            return true;
        }
    }
    return false;
}

void WindowManager::WaitForWork() {
    PresentDirty();
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!sends_.empty() || !posted_.empty() || quitPosted_) return;
    }
    backend_->WaitForEvent(MsUntilNextTimer());
}

bool WindowManager::GetMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max) {
    Msg m;
    while (!FetchMessage(&m, filter, min, max, true)) WaitForWork();
    if (out) *out = m;
    return m.message != WM_QUIT;
}

bool WindowManager::PeekMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max,
                                uint32_t removeFlags) {
    Msg m;
    if (!FetchMessage(&m, filter, min, max, (removeFlags & PM_REMOVE) != 0)) {
        PresentDirty();
        return false;
    }
    if (out) *out = m;
    return true;
}

bool WindowManager::TranslateMessage(const Msg& m) {
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
    // Printable characters come from the backend's text input; the control keys that produce
    // a character are made here.
    WParam ch = 0;
    switch (m.wParam) {
        case VK_BACK:
            ch = 0x08;
            break;
        case VK_TAB:
            ch = 0x09;
            break;
        case VK_RETURN:
            ch = 0x0D;
            break;
        case VK_ESCAPE:
            ch = 0x1B;
            break;
        default:
            if (keyDown_[VK_CONTROL] && m.wParam >= 'A' && m.wParam <= 'Z') {
                ch = m.wParam - 'A' + 1;
            } else if (m.message == WM_SYSKEYDOWN && ((m.wParam >= 'A' && m.wParam <= 'Z') ||
                                                      (m.wParam >= '0' && m.wParam <= '9'))) {
                // Alt+letter: the menu and dialog mnemonics read it as WM_SYSCHAR.
                ch = m.wParam >= 'A' ? m.wParam - 'A' + 'a' : m.wParam;
            } else if (m.message == WM_SYSKEYDOWN && m.wParam == VK_SPACE) {
                ch = ' ';  // Alt+Space: the system menu
            }
            break;
    }
    if (!ch) return false;
    Msg c = m;
    c.message = m.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    c.wParam = ch;
    inputMsgs_.push_front(c);
    return true;
}

LResult WindowManager::DispatchMessage(const Msg& m) {
    if (m.message == WM_TIMER && m.lParam != 0) {
        // Only a callback that a live timer holds is called, never a value someone posted.
        for (auto& t : timers_) {
            if (t->hwnd == m.hwnd && t->id == m.wParam &&
                reinterpret_cast<LParam>(t->proc) == m.lParam) {
                t->proc(m.hwnd, WM_TIMER, m.wParam, m.time);
                return 0;
            }
        }
        return 0;
    }
    Window* w = Get(m.hwnd);
    if (!w) return 0;
    if (m.message == WM_PAINT) {
        if (w->update.IsEmpty() && w->ncDirty) {
            // Only the frame is out of date.
            w->ncDirty = false;
            SendMessage(m.hwnd, WM_NCPAINT, 1, 0);
            return 0;
        }
        const LResult r = CallProc(w, m.hwnd, m.message, m.wParam, m.lParam);
        // A procedure that painted without BeginPaint must not be asked again forever.
        if (Window* after = Get(m.hwnd)) {
            after->update.Clear();
            after->erase = false;
            after->ncDirty = false;
        }
        return r;
    }
    return CallProc(w, m.hwnd, m.message, m.wParam, m.lParam);
}

LResult WindowManager::CallWindowProc(WndProc proc, Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (!proc) return 0;
    return proc(h, msg, w, l);
}

bool WindowManager::RunModalLoop(const std::function<bool()>& keepRunning) {
    while (keepRunning()) {
        Msg m;
        if (!FetchMessage(&m, {}, 0, 0, true)) {
            WaitForWork();
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return false;
        }
        TranslateMessage(m);
        DispatchMessage(m);
    }
    return true;
}

bool WindowManager::PumpPending() {
    Msg m;
    // A bound on the number of rounds: a window that invalidates itself while painting, or a
    // zero-period timer chain, must not keep the pump from returning.
    for (int rounds = 0; rounds < 100000; ++rounds) {
        if (!FetchMessage(&m, {}, 0, 0, true)) break;
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            PresentDirty();
            return false;
        }
        TranslateMessage(m);
        DispatchMessage(m);
    }
    PresentDirty();
    return true;
}

}  // namespace zv::ui
