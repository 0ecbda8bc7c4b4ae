// Input routing: backend events into mouse and key messages, capture, focus, activation,
// cursors and the small mouse-tracking loops of the frame.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

namespace {

// How long after a spent key its character may still arrive from the backend.
constexpr uint32_t kSpentCharacterMs = 250;

// The key that types an ASCII character (letters in either case, digits, the space), or 0.
uint32_t CharacterOfKey(uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    return 0;
}

}  // namespace


using namespace wmdetail;

// ---------------------------------------------------------------------------------------------
// Input

void WindowManager::HandleBackendEvent(const BackendEvent& e) {
    switch (e.kind) {
        case BackendEventKind::MouseMove:
        case BackendEventKind::MouseDown:
        case BackendEventKind::MouseUp:
        case BackendEventKind::MouseWheel:
        case BackendEventKind::KeyDown:
        case BackendEventKind::KeyUp:
        case BackendEventKind::Text:
        case BackendEventKind::Composition: {
            Msg m;
            TranslateInput(e, &m);
            return;
        }
        case BackendEventKind::CloseRequest: {
            Hwnd target = Get(mainWindow_) ? mainWindow_ : Hwnd{};
            if (!target) {
                for (Hwnd c : Get(desktop_)->children) {
                    if (Get(c)) target = c;
                }
            }
            if (target)
                PostMessage(target, WM_CLOSE, 0, 0);
            else
                PostQuitMessage(0);
            return;
        }
        case BackendEventKind::ScreenResized: {
            Window* d = Get(desktop_);
            const Rect before = d->rect;
            d->rect = ScreenRect();
            d->client = {0, 0, d->rect.Width(), d->rect.Height()};
            const std::vector<Hwnd> tops = d->children;
            for (Hwnd t : tops) {
                Window* tw = Get(t);
                if (!tw || (tw->style & WS_MINIMIZE)) continue;
                if (tw->style & WS_MAXIMIZE) {
                    const Rect r = MaximizedPlacement(t);
                    SetWindowPos(t, {}, r.left, r.top, r.Width(), r.Height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
                } else if (t == mainWindow_ && mainFillsScreen_ && tw->rect == before) {
                    // A restored main window that filled the screen keeps filling it.
                    SetWindowPos(t, {}, 0, 0, d->rect.Width(), d->rect.Height(),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
                }
            }
            ExposeScreen(Region(ScreenRect()));
            return;
        }
        case BackendEventKind::Exposed:
            MarkDirty(ScreenRect());
            return;
        case BackendEventKind::Minimized:
            if (Get(mainWindow_)) ShowWindow(mainWindow_, SW_MINIMIZE);
            return;
        case BackendEventKind::Restored:
        case BackendEventKind::Maximized: {
            // The desktop's window manager changed the screen window: the main window follows.
            if (!Get(mainWindow_)) return;
            followingScreen_ = true;
            if (IsIconic(mainWindow_)) ShowWindow(mainWindow_, SW_RESTORE);
            if (Get(mainWindow_)) {
                const bool zoomed = IsZoomed(mainWindow_);
                if (e.kind == BackendEventKind::Maximized && !zoomed) {
                    ShowWindow(mainWindow_, SW_SHOWMAXIMIZED);
                } else if (e.kind == BackendEventKind::Restored && zoomed && !backend_->IsWindowMaximized()) {
                    ShowWindow(mainWindow_, SW_RESTORE);
                }
            }
            followingScreen_ = false;
            return;
        }
        case BackendEventKind::FocusLost:
            // The releases happen where we cannot see them; a key held while switching away
            // (Alt of Alt+Tab) must not stay down.
            keyDown_.fill(0);
            EndMouseTracking(true);
            SetAppActive(false);
            return;
        case BackendEventKind::FocusGained:
            SetAppActive(true);
            return;
        case BackendEventKind::MouseLeft:
            EndMouseTracking(true);
            return;
    }
}

Hwnd WindowManager::HitFrom(Hwnd parent, Point screen, intptr_t* hit) {
    const Window* p = Get(parent);
    if (!p) return {};
    const std::vector<Hwnd> kids = p->children;
    for (Hwnd c : kids) {
        const Window* cw = Get(c);
        if (!cw || !(cw->style & WS_VISIBLE)) continue;
        // Disabled children let the point through to their parent; disabled top-level windows
        // still catch it (and drop it), as an owner under a modal dialog does.
        if (parent != desktop_ && (cw->style & WS_DISABLED)) continue;
        if (!WindowRectScreen(cw).Contains(screen.x, screen.y)) continue;
        if (ClientRectScreen(cw).Contains(screen.x, screen.y)) {
            const Hwnd deeper = HitFrom(c, screen, hit);
            if (deeper) return deeper;
        }
        const intptr_t ht = SendMessage(c, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
        if (ht == HTTRANSPARENT) continue;
        if (hit) *hit = ht;
        return c;
    }
    return {};
}

Hwnd WindowManager::WindowFromPoint(Point screen) {
    return HitFrom(desktop_, screen, nullptr);
}

Hwnd WindowManager::ChildWindowFromPoint(Hwnd parent, Point client) const {
    const Window* p = Get(parent);
    if (!p) return {};
    if (!Rect{0, 0, p->client.Width(), p->client.Height()}.Contains(client.x, client.y)) return {};
    for (Hwnd c : p->children) {
        const Window* cw = Get(c);
        if (cw && cw->rect.Contains(client.x, client.y)) return c;
    }
    return parent;
}

int16_t WindowManager::GetKeyState(uint32_t vk) const {
    return (vk < 256 && keyDown_[vk]) ? static_cast<int16_t>(0x8000) : 0;
}

bool WindowManager::GetCursorPos(Point* p) const {
    if (!p) return false;
    *p = cursorPos_;
    return true;
}

// Text being composed by an input method: kept here for the focus window to read, which
// hears of each change through WM_IME_* messages queued with the other input.
bool WindowManager::TranslateComposition(const BackendEvent& e, Msg* out) {
    const Hwnd to = Get(focus_) ? focus_ : active_;
    const bool was = !composition_.text.empty();
    composition_.text = zv::core::Utf8ToSjis(e.text);
    // The backend's cursor counts characters; windows count Shift-JIS bytes.
    std::size_t cut = 0;
    for (int n = 0; n < e.cursor && cut < e.text.size(); ++n) {
        ++cut;
        while (cut < e.text.size() && (static_cast<unsigned char>(e.text[cut]) & 0xC0) == 0x80) {
            ++cut;
        }
    }
    composition_.cursor = zv::core::Utf8ToSjis(e.text.substr(0, cut)).size();
    if (!Get(to)) return false;
    auto queue = [&](uint32_t msg) {
        Msg m;
        m.hwnd = to;
        m.message = msg;
        m.time = backend_->NowMs();
        m.pt = cursorPos_;
        inputMsgs_.push_back(m);
        *out = m;
    };
    const bool composing = !composition_.text.empty();
    if (!was && composing) queue(WM_IME_STARTCOMPOSITION);
    if (composing) queue(WM_IME_COMPOSITION);
    if (was && !composing) queue(WM_IME_ENDCOMPOSITION);
    return was || composing;
}

bool WindowManager::RouteMouse(const BackendEvent& e, Msg* out) {
    const Point pt{e.x, e.y};
    Hwnd target;
    intptr_t hit = HTCLIENT;
    const bool captured = Get(capture_) != nullptr;
    if (captured) {
        target = capture_;
    } else {
        target = HitFrom(desktop_, pt, &hit);
    }
    if (mouseTrackFlags_ && e.kind == BackendEventKind::MouseMove) {
        // Under capture every move goes to the capturing window; the tracked window still
        // hears when the pointer is no longer over it.
        intptr_t underHit = hit;
        const Hwnd under = captured ? HitFrom(desktop_, pt, &underHit) : target;
        TrackMouseLeave(under, underHit, pt);
        if (captured && !Get(capture_)) return false;
    }
    uint32_t keys = 0;
    if (keyDown_[VK_LBUTTON]) keys |= MK_LBUTTON;
    if (keyDown_[VK_RBUTTON]) keys |= MK_RBUTTON;
    if (keyDown_[VK_MBUTTON]) keys |= MK_MBUTTON;
    if (keyDown_[VK_SHIFT]) keys |= MK_SHIFT;
    if (keyDown_[VK_CONTROL]) keys |= MK_CONTROL;

    if (e.kind == BackendEventKind::MouseWheel) {
        Hwnd to = Get(focus_) ? focus_ : active_;
        if (!Get(to)) return false;
        out->hwnd = to;
        out->message = WM_MOUSEWHEEL;
        out->wParam = MakeWParam(static_cast<int>(keys), e.wheelDelta);
        out->lParam = MakeLParam(pt.x, pt.y);
        return true;
    }
    if (!target) {
        if (e.kind == BackendEventKind::MouseMove) SetCursor(arrowCursor_);
        return false;
    }
    const Hwnd root = GetAncestor(target, GA_ROOT);
    const bool disabled = !IsWindowEnabled(target) || !IsWindowEnabled(root);

    uint32_t base = WM_MOUSEMOVE;
    if (e.kind != BackendEventKind::MouseMove) {
        const bool down = e.kind == BackendEventKind::MouseDown;
        switch (e.button) {
            case MouseButton::Left:
                base = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                break;
            case MouseButton::Right:
                base = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                break;
            case MouseButton::Middle:
                base = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                break;
        }
    }
    if (!captured) {
        if (disabled) {
            if (e.kind == BackendEventKind::MouseMove) SetCursor(arrowCursor_);
            return false;
        }
        SendMessage(target, WM_SETCURSOR, HwndToParam(target),
                    MakeLParam(static_cast<int>(hit), static_cast<int>(base)));
        if (!Get(target)) return false;
    }
    const bool isDown = base == WM_LBUTTONDOWN || base == WM_RBUTTONDOWN || base == WM_MBUTTONDOWN;
    if (isDown && !captured && root != active_) {
        const LResult ma = SendMessage(target, WM_MOUSEACTIVATE, HwndToParam(root),
                                       MakeLParam(static_cast<int>(hit), static_cast<int>(base)));
        if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) {
            if (Get(root)) {
                SetActiveWindow(root);
            }
        }
        if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return false;
        if (!Get(target)) return false;
    } else if (isDown && !captured && Get(root)) {
        BringWindowToTop(root);
    }
    if (isDown && !captured) {
        // The ancestors of a clicked child hear of the press (the MDI client activates the
        // child that holds it), unless a window on the way asked not to tell.
        Hwnd c = target;
        for (const Window* cw = Get(c); cw && (cw->style & WS_CHILD) &&
                                        !(cw->exStyle & WS_EX_NOPARENTNOTIFY) &&
                                        Get(cw->parent) && cw->parent != desktop_;
             cw = Get(c)) {
            const Hwnd parent = cw->parent;
            Point p = pt;
            ScreenToClient(parent, &p);
            SendMessage(parent, WM_PARENTNOTIFY, MakeWParam(static_cast<int>(base), 0),
                        MakeLParam(p.x, p.y));
            c = parent;
        }
        if (!Get(target)) return false;
    }

    uint32_t msg = base;
    const uint32_t now = backend_->NowMs();
    if (isDown) {
        const Window* tw = Get(target);
        const bool wantsDouble = tw && (tw->cls.style & CS_DBLCLKS);
        const bool isDouble = wantsDouble && !lastClickWasDouble_ && lastClickWindow_ == target &&
                              lastClickMsg_ == base &&
                              static_cast<uint32_t>(now - lastClickTime_) <= kDoubleClickMs &&
                              std::abs(pt.x - lastClickPos_.x) <= kDoubleClickSize / 2 &&
                              std::abs(pt.y - lastClickPos_.y) <= kDoubleClickSize / 2;
        if (isDouble) msg = base + 2;  // WM_xBUTTONDBLCLK
        lastClickWasDouble_ = isDouble;
        lastClickWindow_ = target;
        lastClickMsg_ = base;
        lastClickTime_ = now;
        lastClickPos_ = pt;
    }
    out->hwnd = target;
    if (hit == HTCLIENT || captured) {
        Point c = pt;
        ScreenToClient(target, &c);
        out->message = msg;
        out->wParam = keys;
        out->lParam = MakeLParam(c.x, c.y);
    } else {
        out->message = msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        out->wParam = static_cast<WParam>(hit);
        out->lParam = MakeLParam(pt.x, pt.y);
    }
    return true;
}

void WindowManager::SpendCharacterOfKey(uint32_t vk) {
    vk &= 0xFF;
    if (!((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_SPACE)) return;
    for (auto it = inputMsgs_.begin(); it != inputMsgs_.end(); ++it) {
        if (it->message == WM_CHAR && CharacterOfKey(static_cast<uint32_t>(it->wParam)) == vk) {
            inputMsgs_.erase(it);
            return;
        }
    }
    spentKey_ = vk;
    spentKeyUntil_ = backend_ ? backend_->NowMs() + kSpentCharacterMs : 0;
}

bool WindowManager::TranslateInput(const BackendEvent& e, Msg* out) {
    const uint32_t now = backend_->NowMs();
    switch (e.kind) {
        case BackendEventKind::MouseMove:
        case BackendEventKind::MouseDown:
        case BackendEventKind::MouseUp:
        case BackendEventKind::MouseWheel: {
            cursorPos_ = {e.x, e.y};
            if (e.kind == BackendEventKind::MouseDown || e.kind == BackendEventKind::MouseUp) {
                const uint32_t vk = e.button == MouseButton::Left    ? VK_LBUTTON
                                    : e.button == MouseButton::Right ? VK_RBUTTON
                                                                     : VK_MBUTTON;
                keyDown_[vk] = e.kind == BackendEventKind::MouseDown;
                if (e.kind == BackendEventKind::MouseDown) lastKeyPressed_ = 0;
            }
            Msg m;
            if (!RouteMouse(e, &m)) return false;
            m.time = now;
            m.pt = cursorPos_;
            inputMsgs_.push_back(m);
            *out = m;
            return true;
        }
        case BackendEventKind::KeyDown:
        case BackendEventKind::KeyUp: {
            const uint32_t vk = e.virtualKey & 0xFF;
            const bool down = e.kind == BackendEventKind::KeyDown;
            const bool wasDown = keyDown_[vk] != 0;
            keyDown_[vk] = down;
            if (down && !(wasDown || e.repeat)) lastKeyPressed_ = vk;
            const Hwnd to = Get(focus_) ? focus_ : active_;
            if (!Get(to)) return false;
            const bool alt = keyDown_[VK_MENU] != 0;
            const bool sys = alt || vk == VK_F10 || vk == VK_MENU;
            Msg m;
            m.hwnd = to;
            m.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
            m.wParam = vk;
            uint32_t lp = 1;
            if (alt) lp |= 1u << 29;
            if (down ? (wasDown || e.repeat) : true) lp |= 1u << 30;
            if (!down) lp |= 1u << 31;
            m.lParam = static_cast<LParam>(lp);
            m.time = now;
            m.pt = cursorPos_;
            inputMsgs_.push_back(m);
            *out = m;
            return true;
        }
        case BackendEventKind::Composition:
            return TranslateComposition(e, out);
        case BackendEventKind::Text: {
            const Hwnd to = Get(focus_) ? focus_ : active_;
            if (spentKey_ != 0) {
                const uint32_t key = spentKey_;
                spentKey_ = 0;
                if (static_cast<int32_t>(spentKeyUntil_ - now) >= 0 && e.text.size() == 1 &&
                    CharacterOfKey(static_cast<unsigned char>(e.text[0])) == key) {
                    return false;
                }
            }
            if (!Get(to)) return false;
            if (!composition_.text.empty()) {
                // Committing ends the composition; its text arrives as characters.
                BackendEvent end;
                end.kind = BackendEventKind::Composition;
                TranslateComposition(end, out);
            }
            // Windows read characters as Shift-JIS bytes: a double-byte character arrives as
            // two WM_CHAR messages, lead byte first.
            const std::string sjis = zv::core::Utf8ToSjis(e.text);
            for (unsigned char c : sjis) {
                Msg m;
                m.hwnd = to;
                m.message = WM_CHAR;
                m.wParam = c;
                m.lParam = 1;
                m.time = now;
                m.pt = cursorPos_;
                inputMsgs_.push_back(m);
                *out = m;
            }
            return !sjis.empty();
        }
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse leave and hover, program activation

bool WindowManager::TrackMouseEvent(TrackMouseEventInfo* info) {
    if (!info) return false;
    if (info->flags & TME_QUERY) {
        info->flags = Get(mouseTrack_) ? mouseTrackFlags_ : 0;
        info->hwndTrack = info->flags ? mouseTrack_ : Hwnd{};
        info->hoverTime = hoverMs_;
        return true;
    }
    if (!Get(info->hwndTrack)) return false;
    const uint32_t wanted = info->flags & (TME_LEAVE | TME_HOVER);
    if (info->flags & TME_CANCEL) {
        if (mouseTrack_ == info->hwndTrack) mouseTrackFlags_ &= ~wanted;
        return true;
    }
    // Asked while the pointer is already elsewhere, the leave comes at once.
    intptr_t hit = HTNOWHERE;
    const Hwnd under = HitFrom(desktop_, cursorPos_, &hit);
    if (mouseTrack_ != info->hwndTrack) mouseTrackFlags_ = 0;
    mouseTrack_ = info->hwndTrack;
    mouseTrackFlags_ |= wanted;
    if (wanted & TME_HOVER) {
        hoverMs_ = info->hoverTime == HOVER_DEFAULT ? kDefaultHoverMs : info->hoverTime;
        hoverStart_ = cursorPos_;
        hoverDue_ = backend_->NowMs() + hoverMs_;
    }
    TrackMouseLeave(under, hit, cursorPos_);
    return true;
}

void WindowManager::TrackMouseLeave(Hwnd under, intptr_t hit, Point screen) {
    if (!mouseTrackFlags_) return;
    if (!Get(mouseTrack_) || under != mouseTrack_ || hit != HTCLIENT) {
        EndMouseTracking(true);
        return;
    }
    if (mouseTrackFlags_ & TME_HOVER) {
        // The rest starts again when the pointer goes further than the hover square.
        if (std::abs(screen.x - hoverStart_.x) > kDoubleClickSize / 2 ||
            std::abs(screen.y - hoverStart_.y) > kDoubleClickSize / 2) {
            hoverStart_ = screen;
            hoverDue_ = backend_->NowMs() + hoverMs_;
        }
    }
}

void WindowManager::EndMouseTracking(bool leave) {
    const Hwnd h = mouseTrack_;
    const bool wantedLeave = (mouseTrackFlags_ & TME_LEAVE) != 0;
    mouseTrack_ = {};
    mouseTrackFlags_ = 0;
    if (leave && wantedLeave && Get(h)) {
        // Queued with the input it comes from, so it arrives in order with the moves.
        Msg m;
        m.hwnd = h;
        m.message = WM_MOUSELEAVE;
        m.time = backend_->NowMs();
        m.pt = cursorPos_;
        inputMsgs_.push_back(m);
    }
}

void WindowManager::SetAppActive(bool active) {
    if (appActive_ == active) return;
    appActive_ = active;
    const std::vector<Hwnd> tops = Get(desktop_)->children;
    for (Hwnd t : tops) {
        if (Get(t)) SendMessage(t, WM_ACTIVATEAPP, active ? 1 : 0, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Capture, focus, activation

Hwnd WindowManager::SetCapture(Hwnd h) {
    const Hwnd old = capture_;
    if (!Get(h)) return old;
    capture_ = h;
    if (Get(old) && old != h) SendMessage(old, WM_CAPTURECHANGED, 0, HwndToParam(h));
    return old;
}

bool WindowManager::ReleaseCapture() {
    const Hwnd old = capture_;
    capture_ = {};
    if (Get(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

Hwnd WindowManager::SetFocus(Hwnd h) {
    const Hwnd old = Get(focus_) ? focus_ : Hwnd{};
    if (!h) {
        focus_ = {};
        if (old) SendMessage(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    Window* w = Get(h);
    if (!w || h == desktop_ || w->destroying) return {};
    const Hwnd root = GetAncestor(h, GA_ROOT);
    if (root != active_) {
        SetActiveWindow(root);
        if (!Get(h)) return old;
    }
    const Hwnd prev = Get(focus_) ? focus_ : Hwnd{};
    if (prev == h) return prev;
    focus_ = h;
    if (prev) SendMessage(prev, WM_KILLFOCUS, HwndToParam(h), 0);
    if (Get(h) && focus_ == h) SendMessage(h, WM_SETFOCUS, HwndToParam(prev), 0);
    return old;
}

Hwnd WindowManager::CaptionOwnerOf(Hwnd h) const {
    const Window* w = Get(h);
    if (!w || !(w->style & WS_POPUP) || !Get(w->owner) || w->owner == desktop_) return {};
    if (w->style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) return {};
    if ((w->exStyle & WS_EX_DLGMODALFRAME) || Lower(w->cls.name) == kDialogClass) return {};
    return w->owner;
}

Hwnd WindowManager::SetActiveWindow(Hwnd h) {
    const Hwnd old = Get(active_) ? active_ : Hwnd{};
    if (!h) return old;
    const Hwnd root = GetAncestor(h, GA_ROOT);
    Window* w = Get(root);
    if (!w || root == desktop_ || w->destroying) return old;
    if (root == old) return old;
    if (old) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        if (const Hwnd lit = CaptionOwnerOf(old); lit && lit != CaptionOwnerOf(root)) {
            SendMessage(lit, WM_NCACTIVATE, 0, 0);
        }
        SendMessage(old, WM_ACTIVATE,
                    MakeWParam(static_cast<int>(WA_INACTIVE), IsIconic(old) ? 1 : 0),
                    HwndToParam(root));
        if (focus_ && Get(focus_) && GetAncestor(focus_, GA_ROOT) == old) {
            const Hwnd f = focus_;
            focus_ = {};
            SendMessage(f, WM_KILLFOCUS, 0, 0);
        }
    }
    if (!Get(root)) return old;
    active_ = root;
    // The active window comes to the top of its band, with its owned pop-ups above it; what
    // it covered before is painted again.
    const Region before = VisibleRegion(Get(root), false);
    LinkToParent(root, desktop_, HWND_TOP);
    RaiseOwned(root);
    Region uncovered = VisibleRegion(Get(root), false);
    for (const Rect& r : before.Rects()) uncovered.Subtract(r);
    ExposeScreen(uncovered);
    Get(root)->ncDirty = true;
    const bool click = keyDown_[VK_LBUTTON] || keyDown_[VK_RBUTTON] || keyDown_[VK_MBUTTON];
    SendMessage(root, WM_NCACTIVATE, 1, 0);
    if (const Hwnd lit = CaptionOwnerOf(root); lit && active_ == root)
        SendMessage(lit, WM_NCACTIVATE, 1, 0);
    if (Get(root) && active_ == root) {
        SendMessage(root, WM_ACTIVATE,
                    MakeWParam(static_cast<int>(click ? WA_CLICKACTIVE : WA_ACTIVE),
                               IsIconic(root) ? 1 : 0),
                    HwndToParam(old));
    }
    return old;
}

// ---------------------------------------------------------------------------------------------
// Cursors

Hcursor WindowManager::CreateCursor(const CursorImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
        return 0;
    }
    cursors_.push_back(std::make_unique<CursorImage>(image));
    return static_cast<Hcursor>(cursors_.size());
}

Hcursor WindowManager::LoadCursor(void* instance, int id) {
    (void)instance;
    if (id >= IDC_SIZENWSE && id <= IDC_SIZENS) return sizeCursors_[id - IDC_SIZENWSE];
    // The other stock cursors show as the arrow.
    return arrowCursor_;
}

bool WindowManager::DestroyCursor(Hcursor c) {
    if (c == 0 || c == arrowCursor_ || c > cursors_.size() || !cursors_[c - 1]) return false;
    for (Hcursor stock : sizeCursors_) {
        if (c == stock) return false;
    }
    if (currentCursor_ == c) SetCursor(arrowCursor_);
    cursors_[c - 1].reset();
    return true;
}

Hcursor WindowManager::SetCursor(Hcursor c) {
    const Hcursor old = currentCursor_;
    if (c != 0 && (c > cursors_.size() || !cursors_[c - 1])) return old;
    if (c == currentCursor_) return old;
    currentCursor_ = c;
    backend_->SetCursorImage(c ? cursors_[c - 1].get() : nullptr);
    return old;
}

// ---------------------------------------------------------------------------------------------
// Mouse tracking loops (caption buttons and scroll bars; the move and size loop is in
// FrameTracking.cpp)

void WindowManager::TrackMouse(Hwnd h, const std::function<bool(const Msg&)>& onMouse,
                               uintptr_t timerId) {
    SetCapture(h);
    bool keep = true;
    while (keep && Get(h) && capture_ == h) {
        Msg m;
        if (!FetchMessage(&m, {}, 0, 0, true)) {
            WaitForWork();
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        const bool nc = m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK;
        const bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) || nc;
        if (mouse) {
            Msg c = m;
            if (nc) c.message = m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
            keep = onMouse(c);
        } else if (timerId && m.message == WM_TIMER && m.hwnd == h && m.wParam == timerId) {
            keep = onMouse(m);
        } else if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            keep = false;
        } else {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
    if (capture_ == h) ReleaseCapture();
}

}  // namespace zv::ui
