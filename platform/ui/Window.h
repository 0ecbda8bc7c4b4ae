#pragma once

// The window layer in the shape the game's code calls it: free functions over the current
// WindowManager (WindowManager::Current()). Each does nothing and returns 0, false or a null
// handle when no manager exists.

#include <algorithm>

#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

namespace detail {
template <typename R, typename F>
R WithManager(R fallback, F&& f) {
    WindowManager* wm = WindowManager::Current();
    return wm ? f(*wm) : fallback;
}
}  // namespace detail

#define ZV_UI_FORWARD(ret, fallback, name, params, args)                                  \
    inline ret name params {                                                              \
        return detail::WithManager<ret>(fallback,                                         \
                                        [&](WindowManager& wm) { return wm.name args; }); \
    }

ZV_UI_FORWARD(bool, false, RegisterClass, (const WindowClass& wc), (wc))
ZV_UI_FORWARD(bool, false, UnregisterClass, (const std::string& name), (name))
ZV_UI_FORWARD(bool, false, GetClassInfo, (const std::string& name, WindowClass* out), (name, out))
ZV_UI_FORWARD(std::string, std::string(), GetClassName, (Hwnd h), (h))
ZV_UI_FORWARD(Hwnd, Hwnd{}, CreateWindowEx,
              (uint32_t exStyle, const std::string& className, const std::string& title,
               uint32_t style, int x, int y, int width, int height, Hwnd parent, intptr_t menuOrId,
               void* instance, void* param),
              (exStyle, className, title, style, x, y, width, height, parent, menuOrId, instance,
               param))
inline Hwnd CreateWindow(const std::string& className, const std::string& title, uint32_t style,
                         int x, int y, int width, int height, Hwnd parent, intptr_t menuOrId,
                         void* instance, void* param) {
    return CreateWindowEx(0, className, title, style, x, y, width, height, parent, menuOrId,
                          instance, param);
}
ZV_UI_FORWARD(bool, false, DestroyWindow, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsWindow, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsWindowVisible, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsWindowEnabled, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsIconic, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsZoomed, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, IsChild, (Hwnd parent, Hwnd h), (parent, h))
ZV_UI_FORWARD(bool, false, ShowWindow, (Hwnd h, int cmd), (h, cmd))
ZV_UI_FORWARD(bool, false, EnableWindow, (Hwnd h, bool enable), (h, enable))
ZV_UI_FORWARD(bool, false, SetWindowPos,
              (Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy, uint32_t flags),
              (h, insertAfter, x, y, cx, cy, flags))
ZV_UI_FORWARD(bool, false, MoveWindow, (Hwnd h, int x, int y, int w, int hgt, bool repaint),
              (h, x, y, w, hgt, repaint))
ZV_UI_FORWARD(bool, false, BringWindowToTop, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, GetWindowRect, (Hwnd h, Rect* out), (h, out))
ZV_UI_FORWARD(bool, false, GetClientRect, (Hwnd h, Rect* out), (h, out))
ZV_UI_FORWARD(bool, false, ClientToScreen, (Hwnd h, Point* p), (h, p))
ZV_UI_FORWARD(bool, false, ScreenToClient, (Hwnd h, Point* p), (h, p))
ZV_UI_FORWARD(int, 0, MapWindowPoints, (Hwnd from, Hwnd to, Point* pts, int n), (from, to, pts, n))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetParent, (Hwnd h), (h))
ZV_UI_FORWARD(Hwnd, Hwnd{}, SetParent, (Hwnd h, Hwnd parent), (h, parent))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetAncestor, (Hwnd h, uint32_t kind), (h, kind))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetWindow, (Hwnd h, uint32_t relation), (h, relation))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetTopWindow, (Hwnd parent), (parent))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetDesktopWindow, (), ())
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetDlgItem, (Hwnd parent, int id), (parent, id))
ZV_UI_FORWARD(int, 0, GetDlgCtrlID, (Hwnd h), (h))
ZV_UI_FORWARD(int32_t, 0, GetWindowLong, (Hwnd h, int index), (h, index))
ZV_UI_FORWARD(int32_t, 0, SetWindowLong, (Hwnd h, int index, int32_t value), (h, index, value))
ZV_UI_FORWARD(intptr_t, 0, GetWindowLongPtr, (Hwnd h, int index), (h, index))
ZV_UI_FORWARD(intptr_t, 0, SetWindowLongPtr, (Hwnd h, int index, intptr_t value), (h, index, value))
ZV_UI_FORWARD(bool, false, SetWindowText, (Hwnd h, const std::string& text), (h, text))
ZV_UI_FORWARD(std::string, std::string(), GetWindowText, (Hwnd h), (h))

ZV_UI_FORWARD(LResult, 0, SendMessage, (Hwnd h, uint32_t msg, WParam w, LParam l), (h, msg, w, l))
ZV_UI_FORWARD(bool, false, PostMessage, (Hwnd h, uint32_t msg, WParam w, LParam l), (h, msg, w, l))
inline void PostQuitMessage(int code) {
    if (WindowManager* wm = WindowManager::Current()) wm->PostQuitMessage(code);
}
ZV_UI_FORWARD(bool, false, GetMessage, (Msg * out, Hwnd filter, uint32_t min, uint32_t max),
              (out, filter, min, max))
ZV_UI_FORWARD(bool, false, PeekMessage,
              (Msg * out, Hwnd filter, uint32_t min, uint32_t max, uint32_t remove),
              (out, filter, min, max, remove))
ZV_UI_FORWARD(bool, false, TranslateMessage, (const Msg& m), (m))
ZV_UI_FORWARD(LResult, 0, DispatchMessage, (const Msg& m), (m))
ZV_UI_FORWARD(LResult, 0, DefWindowProc, (Hwnd h, uint32_t msg, WParam w, LParam l), (h, msg, w, l))
ZV_UI_FORWARD(LResult, 0, CallWindowProc, (WndProc proc, Hwnd h, uint32_t msg, WParam w, LParam l),
              (proc, h, msg, w, l))
ZV_UI_FORWARD(bool, false, RunModalLoop, (const std::function<bool()>& keepRunning), (keepRunning))

ZV_UI_FORWARD(uintptr_t, 0, SetTimer, (Hwnd h, uintptr_t id, uint32_t ms, TimerProc proc = nullptr),
              (h, id, ms, proc))
ZV_UI_FORWARD(bool, false, KillTimer, (Hwnd h, uintptr_t id), (h, id))
ZV_UI_FORWARD(uint32_t, 0, GetTickCount, (), ())

ZV_UI_FORWARD(bool, false, InvalidateRect, (Hwnd h, const Rect* r, bool erase), (h, r, erase))
ZV_UI_FORWARD(bool, false, ValidateRect, (Hwnd h, const Rect* r), (h, r))
ZV_UI_FORWARD(bool, false, GetUpdateRect, (Hwnd h, Rect* out, bool erase), (h, out, erase))
ZV_UI_FORWARD(bool, false, UpdateWindow, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, RedrawWindow, (Hwnd h, const Rect* r, uint32_t flags), (h, r, flags))
ZV_UI_FORWARD(Canvas*, nullptr, BeginPaint, (Hwnd h, PaintStruct* ps), (h, ps))
ZV_UI_FORWARD(bool, false, EndPaint, (Hwnd h, const PaintStruct* ps), (h, ps))
ZV_UI_FORWARD(Canvas*, nullptr, GetDC, (Hwnd h), (h))
ZV_UI_FORWARD(Canvas*, nullptr, GetWindowDC, (Hwnd h), (h))
ZV_UI_FORWARD(int, 0, ReleaseDC, (Hwnd h, Canvas* dc), (h, dc))

ZV_UI_FORWARD(Hwnd, Hwnd{}, SetCapture, (Hwnd h), (h))
ZV_UI_FORWARD(bool, false, ReleaseCapture, (), ())
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetCapture, (), ())
ZV_UI_FORWARD(Hwnd, Hwnd{}, SetFocus, (Hwnd h), (h))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetFocus, (), ())
ZV_UI_FORWARD(Hwnd, Hwnd{}, SetActiveWindow, (Hwnd h), (h))
ZV_UI_FORWARD(Hwnd, Hwnd{}, GetActiveWindow, (), ())
inline Hwnd SetForegroundWindow(Hwnd h) {
    return SetActiveWindow(h);
}
inline Hwnd GetForegroundWindow() {
    return GetActiveWindow();
}
ZV_UI_FORWARD(bool, false, GetCursorPos, (Point * p), (p))
ZV_UI_FORWARD(bool, false, TrackMouseEvent, (TrackMouseEventInfo * info), (info))
ZV_UI_FORWARD(int, RGN_ERROR, ScrollWindowEx,
              (Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip, Region* updateRgn,
               Rect* updateRect, uint32_t flags),
              (h, dx, dy, scroll, clip, updateRgn, updateRect, flags))
ZV_UI_FORWARD(bool, false, ScrollWindow,
              (Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip),
              (h, dx, dy, scroll, clip))
// How many screen pixels show one pixel of the desktop (1 headless; the SDL backend scales a
// small desktop up to fill a large or high-density screen).
inline int GetScreenScale() {
    return detail::WithManager<int>(1, [](WindowManager& wm) {
        return std::max(1, wm.GetBackend().ScreenScale());
    });
}
ZV_UI_FORWARD(Hwnd, Hwnd{}, WindowFromPoint, (Point screen), (screen))
ZV_UI_FORWARD(Hwnd, Hwnd{}, ChildWindowFromPoint, (Hwnd parent, Point client), (parent, client))
ZV_UI_FORWARD(int16_t, 0, GetKeyState, (uint32_t vk), (vk))
inline int16_t GetAsyncKeyState(uint32_t vk) {
    return GetKeyState(vk);
}

ZV_UI_FORWARD(int, 0, SetScrollInfo, (Hwnd h, int bar, const ScrollInfo& si, bool redraw),
              (h, bar, si, redraw))
ZV_UI_FORWARD(bool, false, GetScrollInfo, (Hwnd h, int bar, ScrollInfo* si), (h, bar, si))
ZV_UI_FORWARD(int, 0, SetScrollPos, (Hwnd h, int bar, int pos, bool redraw), (h, bar, pos, redraw))
ZV_UI_FORWARD(int, 0, GetScrollPos, (Hwnd h, int bar), (h, bar))
ZV_UI_FORWARD(bool, false, SetScrollRange, (Hwnd h, int bar, int min, int max, bool redraw),
              (h, bar, min, max, redraw))
ZV_UI_FORWARD(bool, false, GetScrollRange, (Hwnd h, int bar, int* min, int* max),
              (h, bar, min, max))

ZV_UI_FORWARD(Hcursor, 0, LoadCursor, (void* instance, int id), (instance, id))
ZV_UI_FORWARD(Hcursor, 0, CreateCursor, (const CursorImage& image), (image))
ZV_UI_FORWARD(bool, false, DestroyCursor, (Hcursor c), (c))
ZV_UI_FORWARD(Hcursor, 0, SetCursor, (Hcursor c), (c))
ZV_UI_FORWARD(Hcursor, 0, GetCursor, (), ())
ZV_UI_FORWARD(int, 0, GetSystemMetrics, (int index), (index))

#undef ZV_UI_FORWARD

}  // namespace zv::ui
