// Timers: made when fetched, one WM_TIMER for any number of elapsed periods.
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
// Timers

uintptr_t WindowManager::SetTimer(Hwnd h, uintptr_t id, uint32_t elapseMs, TimerProc proc) {
    if (!IsGuiThread()) return 0;
    if (h && !Get(h)) return 0;
    if (elapseMs < USER_TIMER_MINIMUM) elapseMs = USER_TIMER_MINIMUM;
    if (elapseMs > 0x7FFFFFFF) elapseMs = 0x7FFFFFFF;
    if (!h) {
        // Timers without a window get an id of their own.
        id = ++nextThreadTimerId_;
    }
    const uint32_t now = backend_->NowMs();
    for (auto& t : timers_) {
        if (t->hwnd == h && t->id == id) {
            // Setting an existing timer again restarts it with the new period.
            t->interval = elapseMs;
            t->due = now + elapseMs;
            t->proc = proc;
            t->serial = ++timerSerial_;
            return h ? (id ? id : 1) : id;
        }
    }
    auto t = std::make_unique<Timer>();
    t->hwnd = h;
    t->id = id;
    t->interval = elapseMs;
    t->due = now + elapseMs;
    t->proc = proc;
    t->serial = ++timerSerial_;
    timers_.push_back(std::move(t));
    return h ? (id ? id : 1) : id;
}

bool WindowManager::KillTimer(Hwnd h, uintptr_t id) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const std::unique_ptr<Timer>& t) {
        return t->hwnd == h && t->id == id;
    });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    // A WM_TIMER already handed out but not yet dispatched is harmless: its window checks
    // nothing; a posted copy of it does not exist (timers are made when fetched).
    return true;
}

bool WindowManager::NextTimer(Msg* out, bool remove) {
    const uint32_t now = backend_->NowMs();
    // The pointer rested long enough in a window that asked to hear of it: WM_MOUSEHOVER
    // comes like a timer's message.
    if ((mouseTrackFlags_ & TME_HOVER) && Get(mouseTrack_) && TimeReached(now, hoverDue_)) {
        Point c = cursorPos_;
        ScreenToClient(mouseTrack_, &c);
        uint32_t keys = 0;
        if (keyDown_[VK_LBUTTON]) keys |= MK_LBUTTON;
        if (keyDown_[VK_RBUTTON]) keys |= MK_RBUTTON;
        if (keyDown_[VK_MBUTTON]) keys |= MK_MBUTTON;
        if (keyDown_[VK_SHIFT]) keys |= MK_SHIFT;
        if (keyDown_[VK_CONTROL]) keys |= MK_CONTROL;
        out->hwnd = mouseTrack_;
        out->message = WM_MOUSEHOVER;
        out->wParam = keys;
        out->lParam = MakeLParam(c.x, c.y);
        out->time = now;
        out->pt = cursorPos_;
        if (remove) mouseTrackFlags_ &= ~TME_HOVER;
        return true;
    }
    Timer* best = nullptr;
    for (auto& t : timers_) {
        if (!TimeReached(now, t->due)) continue;
        if (!best || static_cast<int32_t>(t->due - best->due) < 0 ||
            (t->due == best->due && t->serial < best->serial)) {
            best = t.get();
        }
    }
    if (!best) return false;
    out->hwnd = best->hwnd;
    out->message = WM_TIMER;
    out->wParam = best->id;
    out->lParam = reinterpret_cast<LParam>(best->proc);
    out->time = now;
    out->pt = cursorPos_;
    // However late the fetch, one WM_TIMER stands for every period that passed.
    if (remove) best->due = now + best->interval;
    return true;
}

int WindowManager::MsUntilNextTimer() {
    const bool hover = (mouseTrackFlags_ & TME_HOVER) && Get(mouseTrack_);
    if (timers_.empty() && !hover) return -1;
    const uint32_t now = backend_->NowMs();
    int32_t best = hover ? static_cast<int32_t>(hoverDue_ - now) : 0x7FFFFFFF;
    for (auto& t : timers_) best = std::min(best, static_cast<int32_t>(t->due - now));
    return std::max(0, static_cast<int>(best));
}

}  // namespace zv::ui
