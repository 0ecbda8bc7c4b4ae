#include "platform/ui/SdlBackend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <glob.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <optional>

#include "platform/ui/Cursor.h"
#include "platform/ui/X11Probe.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"

namespace zv::ui {

namespace {

uint32_t VirtualKeyOf(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + static_cast<uint32_t>(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + static_cast<uint32_t>(k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + static_cast<uint32_t>(k - SDLK_KP_1);
    switch (k) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_CAPSLOCK:
            return VK_CAPITAL;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_END:
            return VK_END;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_KP_0:
            return VK_NUMPAD0;
        case SDLK_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDLK_KP_PLUS:
            return VK_ADD;
        case SDLK_KP_MINUS:
            return VK_SUBTRACT;
        case SDLK_KP_PERIOD:
            return VK_DECIMAL;
        case SDLK_KP_DIVIDE:
            return VK_DIVIDE;
        default:
            return 0;
    }
}

// The three buttons the layer knows; the extra side buttons mean nothing to it.
std::optional<MouseButton> ButtonOf(uint8_t b) {
    switch (b) {
        case SDL_BUTTON_LEFT:
            return MouseButton::Left;
        case SDL_BUTTON_RIGHT:
            return MouseButton::Right;
        case SDL_BUTTON_MIDDLE:
            return MouseButton::Middle;
        default:
            return std::nullopt;
    }
}

// How long a new window waits for the window manager to maximise it.
constexpr Uint32 kMaximizeWaitMs = 500;

// Whether something on the desktop maximises a window that asks for it. Under X11 that is an
// EWMH window manager, which announces itself on the root window; a bare X server (a virtual
// screen, a kiosk) has none, and a window there keeps the size it opens at. The display-less
// drivers have none either; the other systems always do.
bool DesktopMaximizesWindows() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver ? driver : "";
    if (name == "offscreen" || name == "dummy" || name == "evdev" || name == "KMSDRM") return false;
    if (name != "x11") return true;
    return X11HasWindowManager();
}

// Whether SDL_VIDEODRIVER (or its hint) names the driver to use, a display-less one included.
bool VideoDriverNamed() {
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return wanted != nullptr && *wanted != '\0';
}

// Whether the driver SDL started with shows a window to somebody.
bool DesktopCanShow() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver ? driver : "";
    return !name.empty() && name != "offscreen" && name != "dummy";
}

// The display the environment names, for messages.
std::string DisplayName() {
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return std::string(variable) + "=" + value;
    }
    return "(none named)";
}

// Whether an OpenGL renderer here would draw in software: a machine without a GPU (no render
// node), or an X server that offers no direct rendering (Xvfb, a remote display). Such a stack
// (LLVM) costs more memory than the whole game and draws the game's 8-bit pictures no faster
// than SDL's own software renderer.
bool OpenGlWouldDrawInSoftware(SDL_Window* window) {
    glob_t nodes{};
    const bool gpu = glob("/dev/dri/renderD*", 0, nullptr, &nodes) == 0 && nodes.gl_pathc > 0;
    globfree(&nodes);
    if (!gpu) return true;
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    // SDL loaded Xlib itself; ask that copy, without linking it.
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return false;
    using QueryExtension = int (*)(Display*, const char*, int*, int*, int*);
    auto query = reinterpret_cast<QueryExtension>(dlsym(xlib, "XQueryExtension"));
    bool direct = true;
    if (query) {
        int opcode = 0, event = 0, error = 0;
        direct = query(info.info.x11.display, "DRI3", &opcode, &event, &error) != 0 ||
                 query(info.info.x11.display, "DRI2", &opcode, &event, &error) != 0;
    }
    dlclose(xlib);
    return !direct;
#else
    (void)window;
    return false;
#endif
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Create(const std::string& titleUtf8, int width, int height,
                                               std::string* error, bool maximized) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (error) *error = std::string("SDL could not start: ") + SDL_GetError();
        return nullptr;
    }
    // When the display cannot be reached SDL falls back to a driver that shows nothing; unless
    // that driver was asked for, the program would run where nobody can see it.
    if (!VideoDriverNamed() && !DesktopCanShow()) {
        if (error) *error = "the display " + DisplayName() + " cannot be reached";
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return nullptr;
    }
    std::unique_ptr<SdlBackend> b(new SdlBackend());
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (maximized) {
        SDL_Rect usable{0, 0, 0, 0};
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = {0, 0, 0, 0};
        const StartPlacement p = ChooseStartPlacement({usable.x, usable.y, usable.x + usable.w, usable.y + usable.h},
                                                      width, height, DesktopMaximizesWindows());
        x = p.rect.left;
        y = p.rect.top;
        width = p.rect.Width();
        height = p.rect.Height();
        if (p.maximize) flags |= SDL_WINDOW_MAXIMIZED;
    }
    b->window_ = SDL_CreateWindow(titleUtf8.c_str(), x, y, width, height, flags);
    if (!b->window_) {
        if (error) *error = std::string("SDL could not open a window: ") + SDL_GetError();
        return nullptr;
    }
    b->decorated_ = DesktopMaximizesWindows();
    if (flags & SDL_WINDOW_MAXIMIZED) {
        // The window manager maximises the window a moment after it appears: wait for that
        // (briefly), so that the windows the program makes first are made for the final size.
        const Uint32 start = SDL_GetTicks();
        while (SDL_GetTicks() - start < kMaximizeWaitMs) {
            SDL_PumpEvents();
            int w = 0, h = 0;
            SDL_GetWindowSize(b->window_, &w, &h);
            if (w != width || h != height) break;
            SDL_Delay(10);
        }
    }
    // SDL_RENDER_DRIVER and SDL_FRAMEBUFFER_ACCELERATION in the environment still decide.
    if (OpenGlWouldDrawInSoftware(b->window_)) {
        SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    }
    b->renderer_ = SDL_CreateRenderer(b->window_, -1, 0);
    if (!b->renderer_) {
        if (error) *error = std::string("SDL could not make a renderer: ") + SDL_GetError();
        return nullptr;
    }
    b->Rescale();
    if (!b->MakeTexture(error)) return nullptr;
    b->wakeEvent_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    return b;
}

SdlBackend::~SdlBackend() {
    if (cursor_) SDL_FreeCursor(cursor_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SdlBackend::Rescale() {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const ScreenScaling next = ChooseScreenScaling(ww, wh, ow, oh, requestedScale_);
    const bool changed = next.desktopWidth != screen_.Width() ||
                         next.desktopHeight != screen_.Height();
    scaling_ = next;
    if (changed) screen_.Resize(next.desktopWidth, next.desktopHeight, 0);
    return changed;
}

Point SdlBackend::ToDesktop(int x, int y) const {
    return WindowToDesktop(scaling_, {x, y});
}

int SdlBackend::ScreenScale() {
    return scaling_.scale;
}

void SdlBackend::SetScreenScale(int scale) {
    requestedScale_ = std::max(0, scale);
    if (Rescale() && MakeTexture(nullptr)) resizePending_ = true;
    Present({});
}

void SdlBackend::MinimizeWindow() {
    if (window_) SDL_MinimizeWindow(window_);
}

void SdlBackend::RestoreWindow() {
    if (window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)) SDL_RestoreWindow(window_);
}

void SdlBackend::MaximizeWindow() {
    if (window_) SDL_MaximizeWindow(window_);
}

void SdlBackend::TakeKeyboardFocus() {
    if (!window_) return;
    SDL_RaiseWindow(window_);
    SDL_SetWindowInputFocus(window_);
}

void SdlBackend::UnmaximizeWindow() {
    if (window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED)) SDL_RestoreWindow(window_);
}

bool SdlBackend::ScreenWindowDecorated() {
    return decorated_ && window_ &&
           (SDL_GetWindowFlags(window_) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS)) == 0;
}

bool SdlBackend::IsWindowMaximized() {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0;
}

void SdlBackend::ResizeWindow(int width, int height) {
    if (!window_ || width <= 0 || height <= 0) return;
    SDL_SetWindowSize(window_, width, height);
}

bool SdlBackend::SetDesktopFullscreen(bool on) {
    if (!window_) return false;
    return SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool SdlBackend::MakeTexture(std::string* error) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 screen_.Width(), screen_.Height());
    if (!texture_) {
        if (error) *error = std::string("SDL could not make the screen texture: ") + SDL_GetError();
        return false;
    }
    // Whole-number scaling with the nearest pixel keeps every line one sharp block.
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    SDL_UpdateTexture(texture_, nullptr, screen_.Pixels().data(), screen_.Width() * 4);
    return true;
}

Surface32 SdlBackend::Screen() {
    return screen_.View();
}

bool SdlBackend::PollEvent(BackendEvent& out) {
    if (resizePending_) {
        resizePending_ = false;
        out = BackendEvent{};
        out.kind = BackendEventKind::ScreenResized;
        return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        out = BackendEvent{};
        switch (e.type) {
            case SDL_QUIT:
                out.kind = BackendEventKind::CloseRequest;
                return true;
            case SDL_MOUSEMOTION:
                out.kind = BackendEventKind::MouseMove;
                out.x = ToDesktop(e.motion.x, e.motion.y).x;
                out.y = ToDesktop(e.motion.x, e.motion.y).y;
                return true;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const std::optional<MouseButton> button = ButtonOf(e.button.button);
                if (!button) break;
                // Without a window manager nobody hands the window the keyboard (a window that
                // had it and went, such as the opening player's, leaves it with nobody): a click
                // takes it, as a window manager would.
                if (e.type == SDL_MOUSEBUTTONDOWN && window_ &&
                    !(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS)) {
                    SDL_SetWindowInputFocus(window_);
                }
                out.kind = e.type == SDL_MOUSEBUTTONDOWN ? BackendEventKind::MouseDown
                                                         : BackendEventKind::MouseUp;
                out.x = ToDesktop(e.button.x, e.button.y).x;
                out.y = ToDesktop(e.button.x, e.button.y).y;
                out.button = *button;
                return true;
            }
            case SDL_MOUSEWHEEL: {
                if (e.wheel.y == 0) break;
                out.kind = BackendEventKind::MouseWheel;
                int mx = 0, my = 0;
                SDL_GetMouseState(&mx, &my);
                out.x = ToDesktop(mx, my).x;
                out.y = ToDesktop(mx, my).y;
                out.wheelDelta = e.wheel.y * WHEEL_DELTA;
                return true;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const uint32_t vk = VirtualKeyOf(e.key.keysym.sym);
                if (!vk) break;
                out.kind =
                    e.type == SDL_KEYDOWN ? BackendEventKind::KeyDown : BackendEventKind::KeyUp;
                out.virtualKey = vk;
                out.repeat = e.key.repeat != 0;
                return true;
            }
            case SDL_TEXTINPUT:
                out.kind = BackendEventKind::Text;
                out.text = e.text.text;
                return true;
            case SDL_TEXTEDITING:
                // The input method's text in progress; an empty one ends it.
                out.kind = BackendEventKind::Composition;
                out.text = e.edit.text;
                out.cursor = e.edit.start;
                return true;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_SIZE_CHANGED: {
                        // A new window size may keep the desktop's size (only the border or
                        // the scale changes): then it is only shown again.
                        if (!Rescale()) {
                            out.kind = BackendEventKind::Exposed;
                            return true;
                        }
                        if (!MakeTexture(nullptr)) break;
                        out.kind = BackendEventKind::ScreenResized;
                        return true;
                    }
                    case SDL_WINDOWEVENT_EXPOSED:
                        out.kind = BackendEventKind::Exposed;
                        return true;
                    case SDL_WINDOWEVENT_MINIMIZED:
                        out.kind = BackendEventKind::Minimized;
                        return true;
                    case SDL_WINDOWEVENT_RESTORED:
                        out.kind = BackendEventKind::Restored;
                        return true;
                    case SDL_WINDOWEVENT_MAXIMIZED:
                        out.kind = BackendEventKind::Maximized;
                        return true;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        out.kind = BackendEventKind::FocusLost;
                        return true;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        out.kind = BackendEventKind::FocusGained;
                        return true;
                    case SDL_WINDOWEVENT_LEAVE:
                        out.kind = BackendEventKind::MouseLeft;
                        return true;
                    default:
                        break;
                }
                break;
            default:
                break;  // the wake event and everything else carry nothing
        }
    }
    return false;
}

void SdlBackend::WaitForEvent(int timeoutMs) {
    if (timeoutMs < 0) {
        SDL_WaitEvent(nullptr);
    } else {
        SDL_WaitEventTimeout(nullptr, timeoutMs);
    }
}

void SdlBackend::Wake() {
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);  // safe from any thread
}

uint32_t SdlBackend::NowMs() {
    return SDL_GetTicks();
}

void SdlBackend::Present(const std::vector<Rect>& dirty) {
    for (const Rect& r : dirty) {
        const Rect c = r.Intersect({0, 0, screen_.Width(), screen_.Height()});
        if (c.IsEmpty()) continue;
        SDL_Rect sr{c.left, c.top, c.Width(), c.Height()};
        const uint32_t* first =
            screen_.Pixels().data() + static_cast<size_t>(c.top) * screen_.Width() + c.left;
        SDL_UpdateTexture(texture_, &sr, first, screen_.Width() * 4);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const Rect o = DesktopOutputRect(scaling_);
    const SDL_Rect dst{o.left, o.top, o.Width(), o.Height()};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    SDL_RenderPresent(renderer_);
}

void SdlBackend::SetCursorImage(const CursorImage* image) {
    if (!image) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image->argb.data()),
                                                        image->width, image->height, 32,
                                                        image->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_Cursor* c = SDL_CreateColorCursor(s, image->hotX, image->hotY);
    SDL_FreeSurface(s);
    if (!c) return;
    SDL_SetCursor(c);
    SDL_ShowCursor(SDL_ENABLE);
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = c;
}

void SdlBackend::SetTitle(const std::string& utf8) {
    SDL_SetWindowTitle(window_, utf8.c_str());
}

void SdlBackend::SetClipboardText(const std::string& utf8) {
    SDL_SetClipboardText(utf8.c_str());
}

std::string SdlBackend::GetClipboardText() {
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

void SdlBackend::SetTextInputRect(const Rect& screen) {
    const Rect w = DesktopToWindow(scaling_, screen);
    SDL_Rect r{w.left, w.top, w.Width(), w.Height()};
    SDL_SetTextInputRect(&r);
}

}  // namespace zv::ui
