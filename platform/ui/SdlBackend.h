#pragma once

// The real screen: one resizable SDL2 window whose pixels are the layer's memory screen,
// uploaded in dirty rectangles. Input comes from SDL's event queue; other threads wake the GUI
// thread with an SDL user event.

#include <memory>
#include <string>

#include "platform/ui/Backend.h"
#include "platform/ui/ScreenScale.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;

namespace zv::ui {

class SdlBackend : public Backend {
  public:
    // Null with a message when SDL or its window cannot start (no display, for instance).
    // `maximized`: the window opens maximised on the display's usable area (ChooseStartPlacement),
    // width x height being its restored size.
    static std::unique_ptr<SdlBackend> Create(const std::string& titleUtf8, int width, int height,
                                              std::string* error, bool maximized = false);
    ~SdlBackend() override;

    Surface32 Screen() override;
    bool PollEvent(BackendEvent& event) override;
    void WaitForEvent(int timeoutMs) override;
    void Wake() override;
    uint32_t NowMs() override;
    void Present(const std::vector<Rect>& dirty) override;
    void SetCursorImage(const CursorImage* image) override;
    void SetTitle(const std::string& utf8) override;
    void TakeKeyboardFocus() override;
    void SetClipboardText(const std::string& utf8) override;
    std::string GetClipboardText() override;
    void SetTextInputRect(const Rect& screen) override;
    // SdlDisplayModes.cpp.
    DisplayModeDesc CurrentDisplayMode() override;
    std::vector<DisplayModeDesc> ListDisplayModes() override;
    bool EnterFullscreenMode(const DisplayModeDesc& mode) override;
    void LeaveFullscreenMode() override;
    void ConfineCursor(const Rect* area) override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void MaximizeWindow() override;
    void UnmaximizeWindow() override;
    bool IsWindowMaximized() override;
    bool ScreenWindowDecorated() override;
    void ResizeWindow(int width, int height) override;
    bool SetDesktopFullscreen(bool on) override;
    // The desktop is drawn at its own size and shown at a whole-number scale: chosen from the
    // window's size (0, the default) or fixed by the player's setting.
    int ScreenScale() override;
    void SetScreenScale(int scale) override;

  private:
    SdlBackend() = default;
    // A window manager draws the window's caption and frame (decided when the window opens).
    bool decorated_ = false;
    bool MakeTexture(std::string* error);
    // Works out the scaling for the window's size now; true when the desktop's size changed
    // (the screen buffer and texture are then made anew).
    bool Rescale();
    Point ToDesktop(int x, int y) const;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Cursor* cursor_ = nullptr;
    Surface32Buffer screen_;
    uint32_t wakeEvent_ = 0;
    int requestedScale_ = 0;
    ScreenScaling scaling_;
    bool resizePending_ = false;  // a ScreenResized event to hand out
};

}  // namespace zv::ui
