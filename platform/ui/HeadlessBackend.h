#pragma once

// A backend without a display: a memory screen, input that tests inject, a clock that tests
// advance by hand, and PNG screenshots. Injection and the clock may be driven from any thread.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Cursor.h"

namespace zv::ui {

class HeadlessBackend : public Backend {
  public:
    explicit HeadlessBackend(int width = 1024, int height = 768);

    // Backend.
    Surface32 Screen() override;
    bool PollEvent(BackendEvent& event) override;
    void WaitForEvent(int timeoutMs) override;
    void Wake() override;
    uint32_t NowMs() override;
    void Present(const std::vector<Rect>& dirty) override;
    void SetCursorImage(const CursorImage* image) override;
    void SetTitle(const std::string& utf8) override;
    void SetClipboardText(const std::string& utf8) override;
    std::string GetClipboardText() override;
    void SetTextInputRect(const Rect& screen) override;
    DisplayModeDesc CurrentDisplayMode() override;
    std::vector<DisplayModeDesc> ListDisplayModes() override;
    bool EnterFullscreenMode(const DisplayModeDesc& mode) override;
    void LeaveFullscreenMode() override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void MaximizeWindow() override;
    void UnmaximizeWindow() override;     // "normal"
    bool IsWindowMaximized() override;    // the state requested is "maximized"
    void ResizeWindow(int width, int height) override;  // as Resize
    // What the layer last asked of the screen window: "normal", "minimized" or "maximized".
    std::string WindowStateRequested() const;
    // Plays a desktop whose window manager decorates the screen window (off by default).
    void SetScreenWindowDecorated(bool on);
    bool ScreenWindowDecorated() override;

    // The modes a test's screen offers (by default only its own size at 32 bits).
    void SetDisplayModes(std::vector<DisplayModeDesc> modes);
    bool IsFullscreen() const;
    void ConfineCursor(const Rect* area) override;
    // The area the pointer is kept in; nothing when it is free. Mouse events are held to it.
    std::optional<Rect> CursorConfinement() const;

    // Synthetic input, delivered in order.
    void Inject(const BackendEvent& e);
    void MouseMove(int x, int y);
    void MouseDown(int x, int y, MouseButton b = MouseButton::Left);
    void MouseUp(int x, int y, MouseButton b = MouseButton::Left);
    void Click(int x, int y, MouseButton b = MouseButton::Left);  // move, down, up
    void Wheel(int x, int y, int delta);
    void KeyDown(uint32_t vk, bool repeat = false);
    void KeyUp(uint32_t vk);
    void Text(const std::string& utf8);
    // Text being composed by an input method (empty ends the composition).
    void Compose(const std::string& utf8, int cursor);
    void RequestClose();
    // The screen window gains or loses the keyboard focus (another program was switched to).
    void SetAppFocus(bool focused);
    // The pointer leaves the screen window.
    void MouseLeaveScreen();
    // A new screen size; the window layer learns of it from a ScreenResized event. GUI thread
    // only: the old screen goes away at once.
    void Resize(int width, int height);

    // The manual clock. With auto-advance on, a wait for a timer moves the clock to it at once,
    // so a loop that waits for timers runs without real delay.
    void AdvanceClock(uint32_t ms);
    void SetAutoAdvance(bool on);
    // For a test on another thread than the GUI thread: true once the GUI thread has twice
    // found nothing to do since the call, so that it has handled every event injected and
    // looked at the clock as it stood before the call (false after the real-time timeout).
    bool WaitForGuiIdle(int timeoutMs);

    uint32_t PixelAt(int x, int y);  // 0x00RRGGBB
    bool WriteScreenshot(const std::string& path, std::string* error);
    int PresentCount() const;
    std::vector<Rect> LastPresented() const;
    bool CursorVisible() const;
    CursorImage CurrentCursor() const;
    std::string Title() const;
    Rect TextInputRect() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    Surface32Buffer screen_;
    std::deque<BackendEvent> events_;
    bool woken_ = false;
    uint32_t now_ = 0;
    bool autoAdvance_ = false;
    std::condition_variable idle_;
    uint64_t idleWaits_ = 0;  // waits begun with nothing to do
    int presentCount_ = 0;
    std::vector<Rect> lastPresented_;
    bool cursorVisible_ = true;
    std::optional<Rect> confinement_;
    CursorImage cursor_;
    std::string title_;
    bool decorated_ = false;
    std::string clipboard_;
    Rect textInputRect_{};
    std::vector<DisplayModeDesc> modes_;
    bool fullscreen_ = false;
    int windowedWidth_ = 0;
    int windowedHeight_ = 0;
    std::string windowState_ = "normal";
};

}  // namespace zv::ui
