// The frame's modal loops: moving and sizing a window by its caption and edges (mouse) or from
// the system menu (keyboard), and the caption buttons, which act on release over themselves.
#include <algorithm>

#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

namespace {

bool PullsLeft(intptr_t hit) {
    return hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
}
bool PullsRight(intptr_t hit) {
    return hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
}
bool PullsTop(intptr_t hit) {
    return hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
}
bool PullsBottom(intptr_t hit) {
    return hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
}

// The window rectangle after the pointer moved by (dx, dy) from where the loop began: the
// pulled edges follow it, held so that the size stays within the tracking limits (the
// opposite edge never moves).
Rect PullEdges(const Rect& orig, intptr_t hit, int dx, int dy, const MinMaxInfo& mm) {
    Rect r = orig;
    const int minW = std::max(0, mm.minTrackSize.x), maxW = std::max(minW, mm.maxTrackSize.x);
    const int minH = std::max(0, mm.minTrackSize.y), maxH = std::max(minH, mm.maxTrackSize.y);
    if (PullsLeft(hit)) r.left = std::clamp(orig.left + dx, orig.right - maxW, orig.right - minW);
    if (PullsRight(hit)) r.right = std::clamp(orig.right + dx, orig.left + minW, orig.left + maxW);
    if (PullsTop(hit)) r.top = std::clamp(orig.top + dy, orig.bottom - maxH, orig.bottom - minH);
    if (PullsBottom(hit))
        r.bottom = std::clamp(orig.bottom + dy, orig.top + minH, orig.top + maxH);
    return r;
}

}  // namespace

MinMaxInfo WindowManager::QueryMinMaxInfo(Hwnd h) {
    MinMaxInfo mm;
    const Window* w = Get(h);
    if (!w) return mm;
    const Rect max = MaximizedRect(w);
    mm.maxSize = {max.Width(), max.Height()};
    mm.maxPosition = {max.left, max.top};
    mm.minTrackSize = {kMinTrackWidth, kMinTrackHeight};
    const Rect screen = ScreenRect();
    const int b = NonClientInsets(w).left;
    mm.maxTrackSize = {screen.Width() + 2 * b, screen.Height() + 2 * b};
    SendMessage(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&mm));
    return mm;
}

void WindowManager::TrackMoveSize(Hwnd h, intptr_t hit, Point start, bool byKeyboard) {
    Window* w = Get(h);
    if (!w || (w->style & WS_MAXIMIZE) || !IsReallyVisible(w)) return;
    const bool moving = hit == HTCAPTION;
    if (!moving && ((w->style & (WS_MINIMIZE | WS_MAXIMIZE)) || !(w->style & WS_THICKFRAME)))
        return;
    if (!moving && hit != HTNOWHERE && !(hit >= HTLEFT && hit <= HTBOTTOMRIGHT)) return;
    const Rect orig = w->rect;  // parent client coordinates
    const MinMaxInfo mm = moving ? MinMaxInfo{} : QueryMinMaxInfo(h);
    if (!Get(h)) return;
    // WM_MOVING and WM_SIZING carry screen coordinates; the window's rectangle is held in its
    // parent's.
    const Window* parent = Get(Get(h)->parent);
    const Point origin = parent ? ClientOriginScreen(parent) : Point{};

    SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
    if (!Get(h)) return;
    SetCapture(h);
    intptr_t edge = hit;
    Point offset{};  // how far the pointer (or the arrows) went from the start
    Rect placed = orig;
    auto follow = [&]() {
        if (!Get(h)) return;
        Rect r = moving ? orig.Offset(offset.x, offset.y)
                        : PullEdges(orig, edge, offset.x, offset.y, mm);
        Rect screenRect = r.Offset(origin.x, origin.y);
        if (moving) {
            SendMessage(h, WM_MOVING, 0, reinterpret_cast<LParam>(&screenRect));
        } else {
            SendMessage(h, WM_SIZING, static_cast<WParam>(edge - HTLEFT + WMSZ_LEFT),
                        reinterpret_cast<LParam>(&screenRect));
        }
        if (!Get(h)) return;
        r = screenRect.Offset(-origin.x, -origin.y);
        if (r == placed) return;
        placed = r;
        SetWindowPos(h, {}, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | (moving ? SWP_NOSIZE : 0));
    };
    bool cancelled = false;
    bool done = false;
    while (!done && Get(h) && capture_ == h) {
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
        const uint32_t mouse = nc ? m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE : m.message;
        if (nc || (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST)) {
            if (byKeyboard) {
                // The keyboard loop ends with a click where the window now is.
                done = mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN;
            } else if (mouse == WM_MOUSEMOVE || mouse == WM_LBUTTONUP) {
                offset = {m.pt.x - start.x, m.pt.y - start.y};
                follow();
                done = mouse == WM_LBUTTONUP;
            }
            continue;
        }
        if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
            switch (m.wParam) {
                case VK_ESCAPE:
                    cancelled = true;
                    done = true;
                    break;
                case VK_RETURN:
                    done = true;
                    break;
                case VK_LEFT:
                case VK_RIGHT:
                case VK_UP:
                case VK_DOWN: {
                    const int dx = m.wParam == VK_LEFT ? -kKeyboardMoveStep
                                   : m.wParam == VK_RIGHT ? kKeyboardMoveStep
                                                          : 0;
                    const int dy = m.wParam == VK_UP ? -kKeyboardMoveStep
                                   : m.wParam == VK_DOWN ? kKeyboardMoveStep
                                                         : 0;
                    if (!moving && edge == HTNOWHERE) {
                        // The first arrow of a keyboard size picks the edge it points at.
                        edge = dx < 0 ? HTLEFT : dx > 0 ? HTRIGHT : dy < 0 ? HTTOP : HTBOTTOM;
                    }
                    // Arrows across the chosen edge have nothing to pull.
                    offset.x += (moving || PullsLeft(edge) || PullsRight(edge)) ? dx : 0;
                    offset.y += (moving || PullsTop(edge) || PullsBottom(edge)) ? dy : 0;
                    follow();
                    break;
                }
                default:
                    break;
            }
            continue;
        }
        if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP || m.message == WM_CHAR ||
            m.message == WM_SYSCHAR) {
            continue;  // keys belong to the loop while it runs
        }
        TranslateMessage(m);
        DispatchMessage(m);
    }
    if (capture_ == h) ReleaseCapture();
    if (cancelled && Get(h) && !(Get(h)->rect == orig)) {
        SetWindowPos(h, {}, orig.left, orig.top, orig.Width(), orig.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (Get(h)) SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
}

void WindowManager::TrackCaptionButton(Hwnd h, intptr_t hit) {
    const Window* w = Get(h);
    if (!w) return;
    const bool iconic = (w->style & WS_MINIMIZE) != 0;
    // A button whose box the style leaves out shows embossed and does nothing.
    if (hit == HTMINBUTTON && !iconic && !(w->style & WS_MINIMIZEBOX)) return;
    if (hit == HTMAXBUTTON && !(w->style & WS_MAXIMIZEBOX)) return;
    auto press = [&](bool down) {
        const bool was = captionPressedWindow_ == h;
        captionPressedWindow_ = down ? h : Hwnd{};
        captionPressedHit_ = down ? hit : 0;
        if (was != down && Get(h)) {
            Get(h)->ncDirty = true;
            MarkDirty(WindowRectScreen(Get(h)));
        }
    };
    press(true);
    bool released = false;
    Point at{};
    // The button shows pushed in while the pointer is over it, raised when it slides off.
    TrackMouse(h, [&](const Msg& m) {
        if (m.message == WM_MOUSEMOVE) press(DefaultHitTest(h, m.pt) == hit);
        if (m.message == WM_LBUTTONUP) {
            released = true;
            at = m.pt;
            return false;
        }
        return true;
    });
    press(false);
    if (!released || !Get(h) || DefaultHitTest(h, at) != hit) return;
    WParam cmd = SC_CLOSE;
    if (hit == HTMINBUTTON) cmd = iconic ? SC_RESTORE : SC_MINIMIZE;
    if (hit == HTMAXBUTTON) cmd = IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE;
    SendMessage(h, WM_SYSCOMMAND, cmd, MakeLParam(at.x, at.y));
}

}  // namespace zv::ui
