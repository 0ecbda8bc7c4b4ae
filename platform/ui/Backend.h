#pragma once

// What the window layer needs of the machine: a screen to draw on, input, a clock, a way to
// wake the GUI thread, and a place to show the result. SdlBackend and HeadlessBackend provide it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

struct CursorImage;

enum class BackendEventKind {
    MouseMove,
    MouseDown,
    MouseUp,
    MouseWheel,
    KeyDown,
    KeyUp,
    Text,           // committed text, UTF-8
    Composition,    // text being composed by an input method, UTF-8; empty text ends it
    CloseRequest,   // the user closed the screen window
    ScreenResized,  // the screen surface has a new size
    Exposed,        // the screen must be presented again in full
    Minimized,
    Restored,   // neither minimised nor maximised any more
    Maximized,  // the desktop's window manager maximised the screen window
    FocusLost,  // the screen window no longer gets keys: every key counts as released
    FocusGained,  // the screen window gets the keys again
    MouseLeft,    // the pointer left the screen window
};

// A screen mode: size and colour depth.
struct DisplayModeDesc {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    friend bool operator==(const DisplayModeDesc&, const DisplayModeDesc&) = default;
};

enum class MouseButton { Left, Right, Middle };

struct BackendEvent {
    BackendEventKind kind = BackendEventKind::MouseMove;
    int x = 0;  // screen coordinates of mouse events
    int y = 0;
    MouseButton button = MouseButton::Left;
    int wheelDelta = 0;       // multiples of WHEEL_DELTA, positive away from the user
    uint32_t virtualKey = 0;  // VK_ value of key events
    bool repeat = false;
    std::string text;  // Text and Composition events
    int cursor = 0;    // Composition: the cursor, in characters from the start of text
};

class Backend {
  public:
    virtual ~Backend() = default;

    // The memory screen, 32-bit 0x00RRGGBB, valid until the next ScreenResized event.
    virtual Surface32 Screen() = 0;
    // The next pending event, if any. GUI thread only.
    virtual bool PollEvent(BackendEvent& event) = 0;
    // Blocks the GUI thread until an event may be pending, Wake is called or the timeout (ms,
    // negative: none) has passed.
    virtual void WaitForEvent(int timeoutMs) = 0;
    // Any thread: makes a WaitForEvent in progress return.
    virtual void Wake() = 0;
    // Milliseconds on the layer's clock.
    virtual uint32_t NowMs() = 0;
    // Shows the given areas of the screen.
    virtual void Present(const std::vector<Rect>& dirty) = 0;
    // The mouse pointer's picture; null hides it.
    virtual void SetCursorImage(const CursorImage* image) = 0;
    virtual void SetTitle(const std::string& utf8) = 0;

    // Raises the screen window and gives it the keyboard, as a window manager would when
    // another program's window in front of it closes.
    virtual void TakeKeyboardFocus() {}

    // The system clipboard's text, UTF-8 with '\n' line ends.
    virtual void SetClipboardText(const std::string& /*utf8*/) {}
    virtual std::string GetClipboardText() { return {}; }
    // Where text is being entered (screen coordinates), so that an input method can place its
    // candidate list beside it.
    virtual void SetTextInputRect(const Rect& /*screen*/) {}
    // Display modes. The defaults serve a backend that cannot switch: one mode, the screen as
    // it is.
    virtual DisplayModeDesc CurrentDisplayMode() {
        Surface32 s = Screen();
        return {s.width, s.height, 32};
    }
    virtual std::vector<DisplayModeDesc> ListDisplayModes() { return {CurrentDisplayMode()}; }
    // Full screen at one of the listed modes; false (and nothing changed) when refused.
    virtual bool EnterFullscreenMode(const DisplayModeDesc& mode) {
        (void)mode;
        return false;
    }
    // Back to the window as it was before EnterFullscreenMode.
    virtual void LeaveFullscreenMode() {}

    // Keeps the mouse pointer inside the screen area; null lets it go anywhere again.
    virtual void ConfineCursor(const Rect* area) { (void)area; }

    // The screen window itself, as the desktop's window manager shows it. A backend without
    // one (headless) ignores these or keeps them for tests to read.
    virtual void MinimizeWindow() {}
    virtual void RestoreWindow() {}
    virtual void MaximizeWindow() {}
    // Back from maximised to the window's normal size.
    virtual void UnmaximizeWindow() {}
    virtual bool IsWindowMaximized() { return false; }
    // Whether the desktop's window manager draws a caption and frame around the screen window
    // (its title, its minimise, maximise and close buttons); then a main window that stands for
    // the screen window leaves its own out.
    virtual bool ScreenWindowDecorated() { return false; }
    // The window's size in screen pixels (before scaling to the desktop's pixels).
    virtual void ResizeWindow(int width, int height) {
        (void)width;
        (void)height;
    }
    // Full screen at the desktop's own mode (no mode switch); false when refused.
    virtual bool SetDesktopFullscreen(bool on) {
        (void)on;
        return false;
    }
    // How many desktop pixels each screen pixel is shown as (integer, at least 1); 0 chooses
    // it from the window size.
    virtual int ScreenScale() { return 1; }
    virtual void SetScreenScale(int scale) { (void)scale; }
};

}  // namespace zv::ui
