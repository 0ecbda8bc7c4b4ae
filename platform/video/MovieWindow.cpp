#include "platform/video/MovieWindow.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/Window.h"
#include "platform/video/MoviePlayback.h"

namespace zv::video {

namespace {

constexpr const char* kClassName = "ZvMovieWindow";
constexpr uintptr_t kTimerId = 1;
constexpr uint32_t kTickMs = 10;

struct MovieState {
    std::unique_ptr<MoviePlayback> playback;
    ui::Hwnd notify;
    ui::Surface32Buffer picture;
    bool notified = false;
};

MovieState* StateOf(ui::Hwnd h) {
    return reinterpret_cast<MovieState*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

void Notify(ui::Hwnd h, MovieState* s, uint32_t code) {
    if (s->notified) return;
    s->notified = true;
    ui::KillTimer(h, kTimerId);
    ui::PostMessage(s->notify, ui::MM_MCINOTIFY, code, ui::LParam(h.value));
}

void Advance(ui::Hwnd h, MovieState* s) {
    if (!s->playback || s->notified) return;
    bool drew = false;
    PlaybackState st = s->playback->Update(ui::GetTickCount(), [&](const MovieFrame& f) {
        if (s->picture.Width() != f.width || s->picture.Height() != f.height) {
            s->picture.Resize(f.width, f.height);
        }
        std::copy(f.pixels.begin(), f.pixels.end(), s->picture.View().pixels);
        drew = true;
    });
    if (drew) {
        ui::InvalidateRect(h, nullptr, false);
        ui::UpdateWindow(h);
    }
    if (st == PlaybackState::Ended) Notify(h, s, kMciNotifySuccessful);
    if (st == PlaybackState::Failed) Notify(h, s, kMciNotifyFailure);
}

ui::LResult MovieProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    MovieState* s = StateOf(h);
    switch (msg) {
        case ui::WM_CREATE: {
            auto* cs = reinterpret_cast<ui::CreateStruct*>(l);
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, intptr_t(cs->createParams));
            return 0;
        }
        case ui::WM_SHOWWINDOW:
            if (w && s && s->playback && !s->notified) {
                s->playback->Start(ui::GetTickCount());
                ui::SetTimer(h, kTimerId, kTickMs);
                Advance(h, s);
            }
            break;
        case ui::WM_TIMER:
            if (w == kTimerId && s) Advance(h, s);
            return 0;
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_PAINT: {
            ui::PaintStruct ps;
            ui::Canvas* dc = ui::BeginPaint(h, &ps);
            if (dc && s) {
                ui::Rect client;
                ui::GetClientRect(h, &client);
                if (s->picture.Width() > 0) {
                    ui::Canvas src(s->picture.View());
                    dc->BitBlt(0, 0, client.Width(), client.Height(), src, 0, 0, ui::SRCCOPY);
                } else {
                    dc->FillSolid(client, ui::Rgb(0, 0, 0));
                }
            }
            ui::EndPaint(h, &ps);
            return 0;
        }
        case ui::WM_DESTROY:
            if (s) {
                ui::KillTimer(h, kTimerId);
                ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
                delete s;
            }
            return 0;
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

void EnsureClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kClassName, &existing)) return;
    ui::WindowClass wc;
    wc.name = kClassName;
    wc.proc = MovieProc;
    ui::RegisterClass(wc);
}

}  // namespace

ui::Hwnd CreateMovieWindow(ui::Hwnd parent, int x, int y, bool visible, const std::string& path,
                           ui::Hwnd notify, bool sound, std::string* error) {
    auto output = sound ? audio::AudioOutput::Shared() : nullptr;
    auto movie = Movie::Open(path, output ? output->Rate() : 44100, error);
    if (!movie) return {};
    EnsureClass();
    auto* state = new MovieState();
    int w = movie->Width(), h = movie->Height();
    state->playback = std::make_unique<MoviePlayback>(std::move(movie), std::move(output));
    state->notify = notify;
    ui::Hwnd win =
        ui::CreateWindowEx(0, kClassName, "", ui::WS_CHILD | (visible ? ui::WS_VISIBLE : 0), x, y,
                           w, h, parent, 0, nullptr, state);
    if (!win) {
        delete state;
        if (error) *error = path + ": the movie window could not be created";
    }
    return win;
}

bool StopMovieWindow(ui::Hwnd window) {
    MovieState* s = ui::IsWindow(window) ? StateOf(window) : nullptr;
    if (!s || !s->playback) return false;
    s->playback->Stop();
    Notify(window, s, kMciNotifyAborted);
    return true;
}

bool IsMoviePlaying(ui::Hwnd window) {
    MovieState* s = ui::IsWindow(window) ? StateOf(window) : nullptr;
    return s && s->playback && s->playback->State() == PlaybackState::Playing && !s->notified;
}

}  // namespace zv::video
