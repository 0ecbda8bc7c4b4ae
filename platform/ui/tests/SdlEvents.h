#pragma once

// Input pushed into SDL's own event queue, as the real mouse and keyboard would deliver it, for
// tests of the SDL backend (SDL's offscreen video driver).

#include <SDL.h>

#include <cstdint>

namespace zv::ui::testing {

inline void PushMotion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

// A press and a release of `button` (SDL_BUTTON_LEFT, ...) at x, y.
inline void PushButton(std::uint8_t button, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    e.button.state = SDL_PRESSED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.state = SDL_RELEASED;
    SDL_PushEvent(&e);
}

inline void PushKey(SDL_Keycode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = key;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

}  // namespace zv::ui::testing
