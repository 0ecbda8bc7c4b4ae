// The display-mode half of SdlBackend: the modes of the window's display and full screen.

#include <SDL.h>

#include <algorithm>

#include "platform/ui/SdlBackend.h"

namespace zv::ui {

namespace {
DisplayModeDesc Describe(const SDL_DisplayMode& m) {
    // Bytes, not significant bits: a 32-bit screen counts as 32, as the game expects.
    return {m.w, m.h, int(SDL_BYTESPERPIXEL(m.format)) * 8};
}
}  // namespace

DisplayModeDesc SdlBackend::CurrentDisplayMode() {
    SDL_DisplayMode m{};
    int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (SDL_GetDesktopDisplayMode(std::max(display, 0), &m) != 0)
        return Backend::CurrentDisplayMode();
    return Describe(m);
}

std::vector<DisplayModeDesc> SdlBackend::ListDisplayModes() {
    std::vector<DisplayModeDesc> out;
    int display = std::max(window_ ? SDL_GetWindowDisplayIndex(window_) : 0, 0);
    int n = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(display, i, &m) != 0) continue;
        DisplayModeDesc d = Describe(m);
        if (std::find(out.begin(), out.end(), d) == out.end()) out.push_back(d);
    }
    if (out.empty()) out.push_back(CurrentDisplayMode());
    return out;
}

bool SdlBackend::EnterFullscreenMode(const DisplayModeDesc& mode) {
    if (!window_) return false;
    int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
    int n = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(display, i, &m) != 0 || !(Describe(m) == mode)) continue;
        if (SDL_SetWindowDisplayMode(window_, &m) != 0) return false;
        return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) == 0;
    }
    return false;
}

void SdlBackend::ConfineCursor(const Rect* area) {
    if (!window_) return;
    if (area) {
        const Rect w = DesktopToWindow(scaling_, *area);
        const SDL_Rect r{w.left, w.top, w.Width(), w.Height()};
        SDL_SetWindowMouseRect(window_, &r);
    } else {
        SDL_SetWindowMouseRect(window_, nullptr);
    }
}

void SdlBackend::LeaveFullscreenMode() {
    if (window_) SDL_SetWindowFullscreen(window_, 0);
}

}  // namespace zv::ui
