#include "opening/OpeningPlayer.h"

#include <cstdio>

#include "framework/media/Application.h"
#include "framework/media/DisplayMode.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/WindowManager.h"
#include "platform/video/MovieWindow.h"

namespace zv::opening {

const char* const kOpeningTitle = "ZV6";

namespace {

constexpr const char* kClassName = "ZV6OPEN";
constexpr const char* kBackdropNames[6] = {"open01.bmp", "open02.bmp", "open03.bmp",
                                           "open04.bmp", "open05.bmp", "open06.bmp"};

OpeningState* g_state = nullptr;
std::unique_ptr<fw::DisplayMode> g_displayMode;

void ConfineCursor(const ui::Rect* area) {
    if (ui::WindowManager* wm = ui::WindowManager::Current()) wm->GetBackend().ConfineCursor(area);
}

void ReleaseMouse(OpeningState& s) {
    if (!s.confined) return;
    ConfineCursor(nullptr);
    ui::ReleaseCapture();
    ui::SetCursor(ui::LoadCursor(nullptr, ui::IDC_ARROW));
    s.confined = false;
}

// The title music, looping; starts playing with the first fade frame.
void StartTitleMusic(OpeningState& s) {
    s.moviePhase = 0;
    if (s.midi) return;
    s.midi = fw::CreateMidiPlayer(s.window, 1);
    if (!s.midi) return;
    s.midi->SetLoop(1);
    const std::string path = s.dataPath + "title.mid";
    s.midi->Open(path.c_str());
}

void CloseMovie(OpeningState& s) {
    if (!s.movieWindow) return;
    const ui::Hwnd movie = s.movieWindow;
    s.movieWindow = {};
    ui::DestroyWindow(movie);
    ui::InvalidateRect(s.window, nullptr, true);
    ui::UpdateWindow(s.window);
}

// The opening's window. The opening's state is made before the window, comes with
// WM_NCCREATE and outlives it (FreeOpening destroys the window first).
class OpeningWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        switch (msg) {
            case ui::WM_NCCREATE:
                if (const auto* cs = reinterpret_cast<const ui::CreateStruct*>(lp)) {
                    state_ = static_cast<OpeningState*>(cs->createParams);
                }
                break;
            case ui::WM_KEYDOWN:
            case ui::WM_LBUTTONDOWN:
            case ui::WM_RBUTTONDOWN:
                ui::DestroyWindow(Handle());
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                break;
            case ui::WM_ERASEBKGND:
                // Once the fade has begun the back surface holds the whole picture.
                if (Fading()) return 1;
                break;
            case ui::WM_PAINT:
                if (Fading() && state_->screen) {
                    OnPaint();
                    return 0;
                }
                break;
            case ui::MM_MCINOTIFY:
                OnMciNotify(wp, lp);
                break;
            default:
                break;
        }
        return Default(msg, wp, lp);
    }

  private:
    bool Fading() const { return state_ && !state_->moviePhase && state_->framesDrawn > 0; }

    void OnDestroy() {
        if (state_) {
            if (state_->moviePhase) CloseMovie(*state_);
            ReleaseMouse(*state_);
            state_->window = {};
        }
        ui::PostQuitMessage(0);
    }
    void OnPaint() {
        ui::PaintStruct ps;
        ui::BeginPaint(Handle(), &ps);
        ui::EndPaint(Handle(), &ps);
        state_->screen->Present();
    }
    void OnMciNotify(ui::WParam wp, ui::LParam lp) {
        if (!state_) return;
        if (state_->moviePhase) {
            // Any notice of the movie ends its phase: played out, stopped or broken off.
            if (state_->movieWindow && lp == ui::HwndToParam(state_->movieWindow)) {
                CloseMovie(*state_);
                StartTitleMusic(*state_);
            }
        } else if (state_->midi) {
            fw::MidiPlayer::OnNotify(wp, lp, 1);
        }
    }

    OpeningState* state_ = nullptr;
};

bool RegisterZV6OPEN() {
    ui::WindowClass wc;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW | ui::CS_DBLCLKS;
    wc.proc = ui::WindowObjectProc<OpeningWindow>;
    wc.hasBackground = true;
    wc.background = ui::Rgb(0, 0, 0);
    wc.name = kClassName;
    return ui::RegisterClass(wc);
}

}  // namespace

OpeningState* CurrentOpening() {
    return g_state;
}

int InitOpening(const OpeningOptions& options) {
    if (g_state) return 0;
    if (!fw::CreateApplication(fw::CurrentAppInstance(), ui::Hwnd{})) return 0;
    g_displayMode = std::make_unique<fw::DisplayMode>();
    auto state = std::make_unique<OpeningState>();
    OpeningState& s = *state;
    s.options = options;
    RegisterZV6OPEN();

    const int x = (ui::GetSystemMetrics(ui::SM_CXSCREEN) - kOpeningWidth) / 2;
    const int y = (ui::GetSystemMetrics(ui::SM_CYSCREEN) - kOpeningHeight) / 2;
    s.window = ui::CreateWindowEx(0, kClassName, kOpeningTitle, ui::WS_POPUP, x, y, kOpeningWidth,
                                  kOpeningHeight, ui::Hwnd{}, 0, nullptr, &s);
    if (!s.window) {
        g_displayMode.reset();
        fw::DeleteApplication();
        return 0;
    }
    g_state = state.release();
    // Confined from here on: every way out goes through FreeOpening, which lets go.
    const ui::Rect area{x, y, x + kOpeningWidth, y + kOpeningHeight};
    ConfineCursor(&area);
    s.confined = true;

    s.dataPath = options.programDir + "/Zv6open/";
    s.screen = std::make_unique<OpeningScreen>();
    s.screen->Configure(s.window, kOpeningWidth, kOpeningHeight, 32, false);
    s.screen->InitDirectDraw();

    OpeningRandom random(options.seed);
    s.backdropIndex = random.Next() % 6;
    s.backdrop = std::make_unique<ClippedDrawSurface>(
        s.screen.get(), (s.dataPath + kBackdropNames[s.backdropIndex]).c_str());
    s.logo =
        std::make_unique<ClippedDrawSurface>(s.screen.get(), (s.dataPath + "ZV6_LOGO.bmp").c_str());
    if (!s.logo->IsEmpty()) s.logo->SetColorKey(ui::Rgb(0, 0, 0));

    ui::SetCapture(s.window);
    ui::ShowWindow(s.window, ui::SW_SHOW);
    ui::UpdateWindow(s.window);
    // A key ends the opening: without a window manager nobody else gives it the keyboard.
    if (ui::WindowManager* wm = ui::WindowManager::Current()) wm->GetBackend().TakeKeyboardFocus();

    const std::string movie = s.dataPath + "sslogo.avi";
    s.movieWindow = video::CreateMovieWindow(s.window, kMovieX, kMovieY, false, movie, s.window,
                                             true, &s.movieError);
    if (s.movieWindow) {
        ui::ShowWindow(s.movieWindow, ui::SW_SHOW);  // starts playing
    } else {
        // No notice would ever come: go straight to the title and its music.
        std::fprintf(stderr, "Unable to open Movie = %s (%s)\n", movie.c_str(),
                     s.movieError.c_str());
        StartTitleMusic(s);
    }
    return 1;
}

void DrawOpeningFrame() {
    OpeningState* s = g_state;
    if (!s || s->moviePhase || s->still) return;
    if (s->firstFrame) {
        if (s->midi) s->midi->Play();
        s->screen->ClearBack();
        if (!s->backdrop->IsEmpty()) s->backdrop->BltFastToBack(0, 0);
        s->firstFrame = 0;
    }
    s->screen->ClearBack();
    if (!s->backdrop->IsEmpty()) s->backdrop->BltFastToBack(0, 0);
    const int row = kLogoRowOfBackdrop[s->backdropIndex] * kLogoRowHeight;
    AlphaBlendSurface16(s->logo.get(), kLogoX, kLogoY, s->fade, 0, row, kLogoWidth,
                        row + kLogoHeight);
    // The logo at full strength is the last picture: nothing changes after it.
    if (s->fade >= 1.0f) s->still = true;
    s->fade += 0.05f;
    s->fadeCounter += 5;
    if (s->fadeCounter >= 100) s->fade = 1.0f;
    ++s->framesDrawn;
    s->screen->Present();
}

void FreeOpening() {
    OpeningState* s = g_state;
    if (!s) return;
    ReleaseMouse(*s);
    if (s->movieWindow) CloseMovie(*s);
    if (s->window && ui::IsWindow(s->window)) ui::DestroyWindow(s->window);
    s->backdrop.reset();
    s->logo.reset();
    if (s->screen) s->screen->Release();
    s->screen.reset();
    g_displayMode.reset();
    fw::DeleteMidiPlayer(s->midi);
    s->midi = nullptr;
    fw::DeleteApplication();
    delete s;
    g_state = nullptr;
}

ui::LResult ZV6OPENProc(ui::Hwnd h, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ui::WindowObjectProc<OpeningWindow>(h, msg, wp, lp);
}

int RunOpening() {
    ui::SetCursor(0);
    int code = 0;
    for (;;) {
        ui::Msg m;
        const OpeningState* shown = g_state;
        if (shown && !shown->moviePhase && shown->still) {
            // The picture is final: sleep until input or the music wants something.
            if (!ui::GetMessage(&m, ui::Hwnd{}, 0, 0)) {
                code = int(m.wParam);
                break;
            }
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
            continue;
        }
        if (ui::PeekMessage(&m, ui::Hwnd{}, 0, 0, ui::PM_NOREMOVE)) {
            if (!ui::GetMessage(&m, ui::Hwnd{}, 0, 0)) {
                code = int(m.wParam);
                break;
            }
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
            continue;
        }
        OpeningState* s = g_state;
        if (s && !s->moviePhase) {
            const uint32_t now = ui::GetTickCount();
            if (s->framesDrawn == 0 || now - s->lastFrameMs >= kFrameMs) {
                s->lastFrameMs = now;
                DrawOpeningFrame();
            }
        }
        if (ui::WindowManager* wm = ui::WindowManager::Current())
            wm->GetBackend().WaitForEvent(int(kFrameMs / 4));
    }
    return code;
}

int OpeningMain(const OpeningOptions& options) {
    if (!InitOpening(options)) return 0;
    const int code = RunOpening();
    FreeOpening();
    return code;
}

}  // namespace zv::opening
