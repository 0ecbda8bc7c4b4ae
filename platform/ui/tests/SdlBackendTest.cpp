// The SDL2 backend, once, through SDL's offscreen video driver: events pushed into SDL's queue
// come out as window messages.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/ui/Messages.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/tests/SdlEvents.h"

namespace zv::ui {
namespace {

std::vector<Msg> gSeen;

LResult Proc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
        msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_CHAR || msg == WM_CLOSE) {
        gSeen.push_back({h, msg, w, l, 0, {}});
        if (msg == WM_CLOSE) return 0;
    }
    return DefWindowProc(h, msg, w, l);
}

void Pump() {
    Msg m;
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
        TranslateMessage(m);
        DispatchMessage(m);
    }
}

using testing::PushButton;
using testing::PushKey;

TEST(SdlBackend, PushedEventsBecomeMessagesThroughTheOffscreenDriver) {
#if defined(__SANITIZE_ADDRESS__)
    // The video driver's own libraries keep allocations past their unloading; they are not
    // this program's to free.
    __lsan::ScopedDisabler sdlKeepsItsOwn;
#endif
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    auto backend = SdlBackend::Create("test", 320, 240, &error);
    ASSERT_TRUE(backend) << error;
    WindowManager wm(std::move(backend));
    WindowClass wc;
    wc.name = "SdlTest";
    wc.proc = Proc;
    ASSERT_TRUE(RegisterClass(wc));
    const Hwnd w = CreateWindowEx(0, "SdlTest", "t", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, {}, 0,
                                  nullptr, nullptr);
    ASSERT_TRUE(IsWindow(w));
    wm.Flush();  // presents through the renderer
    Pump();
    gSeen.clear();

    PushButton(SDL_BUTTON_LEFT, 10, 20);
    PushButton(SDL_BUTTON_X1, 11, 21);  // side buttons are not clicks
    PushButton(SDL_BUTTON_X2, 12, 22);
    PushButton(SDL_BUTTON_RIGHT, 13, 23);
    PushKey(SDLK_LALT, true);
    Pump();
    EXPECT_NE(wm.GetKeyState(VK_MENU), 0);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    Pump();
    EXPECT_EQ(wm.GetKeyState(VK_MENU), 0);  // no Alt stuck after switching away
    PushKey(SDLK_a, true);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "\xE3\x81\x82");  // "あ"
    SDL_PushEvent(&text);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    Pump();
    Pump();  // the close request is posted while the first round runs

    std::vector<std::pair<uint32_t, WParam>> got;
    for (const Msg& m : gSeen)
        got.emplace_back(m.message, m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN
                                        ? static_cast<WParam>(m.lParam)
                                        : m.wParam);
    const std::vector<std::pair<uint32_t, WParam>> expected = {
        {WM_LBUTTONDOWN, static_cast<WParam>(MakeLParam(10, 20))},
        {WM_RBUTTONDOWN, static_cast<WParam>(MakeLParam(13, 23))},
        {WM_SYSKEYDOWN, VK_MENU},
        {WM_KEYDOWN, 'A'},  // a plain key: Alt was released with the focus
        {WM_CHAR, 0x82},
        {WM_CHAR, 0xA0},
        {WM_CLOSE, 0},
    };
    EXPECT_EQ(got, expected);
}

TEST(SdlBackend, ALargeWindowShowsTheDesktopScaledAndMapsTheMouseBack) {
#if defined(__SANITIZE_ADDRESS__)
    __lsan::ScopedDisabler sdlKeepsItsOwn;
#endif
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    auto backend = SdlBackend::Create("test", 1600, 1200, &error);
    ASSERT_TRUE(backend) << error;
    // 1600 x 1200 holds the 800 x 600 desktop twice over.
    EXPECT_EQ(backend->ScreenScale(), 2);
    EXPECT_EQ(backend->Screen().width, 800);
    EXPECT_EQ(backend->Screen().height, 600);
    BackendEvent e;
    while (backend->PollEvent(e)) {
    }
    PushButton(SDL_BUTTON_LEFT, 301, 201);
    ASSERT_TRUE(backend->PollEvent(e));
    EXPECT_EQ(e.kind, BackendEventKind::MouseDown);
    EXPECT_EQ(e.x, 150);
    EXPECT_EQ(e.y, 100);
    while (backend->PollEvent(e)) {
    }
    // The player's setting: one to one; the desktop grows and the layer hears of it.
    backend->SetScreenScale(1);
    EXPECT_EQ(backend->ScreenScale(), 1);
    ASSERT_TRUE(backend->PollEvent(e));
    EXPECT_EQ(e.kind, BackendEventKind::ScreenResized);
    EXPECT_EQ(backend->Screen().width, 1600);
    backend->Present({{0, 0, 10, 10}});
    // Focus and the pointer leaving the window come through as their own events.
    SDL_Event we{};
    we.type = SDL_WINDOWEVENT;
    we.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&we);
    we.window.event = SDL_WINDOWEVENT_LEAVE;
    SDL_PushEvent(&we);
    std::vector<BackendEventKind> kinds;
    while (backend->PollEvent(e)) kinds.push_back(e.kind);
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), BackendEventKind::FocusGained), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), BackendEventKind::MouseLeft), kinds.end());
}

}  // namespace
}  // namespace zv::ui
