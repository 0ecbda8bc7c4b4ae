// The title-only scenes and the movie scenes, and the movie window they play in.

#include <filesystem>

#include "platform/ui/Window.h"
#include "platform/video/MovieWindow.h"
#include "saver/Scenes.h"

namespace zv::saver {

namespace {

class TitleOnlyScene : public Scene {
  public:
    TitleOnlyScene(SaverState& s, int slot) : s_(s), slot_(slot) {}
    int Step(bool closing) override {
        if (closing) return -1;
        switch (state_) {
            case 0:
                if (first_) {
                    FillClientBlack(s_);
                    PaintTitleBitmap(s_, slot_);
                    counter_ = 10;
                    first_ = false;
                }
                if (--counter_ < 1) Enter(1);
                return 0;
            case 1:
                if (first_) {
                    FillClientBlack(s_);
                    counter_ = 1;
                    first_ = false;
                }
                if (--counter_ < 1) Enter(2);
                return 0;
            default:
                Enter(0);
                return 1;
        }
    }

  private:
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }
    SaverState& s_;
    int slot_;
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
};

class MovieScene : public Scene {
  public:
    MovieScene(SaverState& s, int slot, std::string file)
        : s_(s), slot_(slot), file_(std::move(file)) {}
    int Step(bool closing) override {
        if (closing) return -1;
        switch (state_) {
            case 0:
                if (first_) {
                    FillClientBlack(s_);
                    PaintTitleBitmap(s_, slot_);
                    counter_ = 10;
                    first_ = false;
                }
                if (--counter_ < 1) Enter(1);
                return 0;
            case 1:
                if (first_) {
                    FillClientBlack(s_);
                    first_ = false;
                }
                if (PlayAviInWindow(s_, file_, s_.settings.bgm[slot_], 0) == 1) Enter(2);
                return 0;
            default:
                Enter(0);
                return 1;
        }
    }

  private:
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }
    SaverState& s_;
    int slot_;
    std::string file_;
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
};

// The movie window's state.
struct AviState {
    bool firstCall = true;
    bool ending = false;
    int countdown = 0;
};
AviState g_avi;

int CloseAvi(SaverState& s) {
    if (s.movieWindow) {
        video::StopMovieWindow(s.movieWindow);
        ui::ShowWindow(s.movieWindow, ui::SW_HIDE);
        ui::DestroyWindow(s.movieWindow);
    }
    s.movieWindow = {};
    g_avi = AviState{};
    return 1;
}

}  // namespace

std::unique_ptr<Scene> MakeTitleOnlyScene(SaverState& s, int slot) {
    return std::make_unique<TitleOnlyScene>(s, slot);
}

std::unique_ptr<Scene> MakeMovieScene(SaverState& s, int slot, const std::string& file) {
    return std::make_unique<MovieScene>(s, slot, file);
}

int PlayAviInWindow(SaverState& s, const std::string& file, int sound, int stop) {
    if (stop) {
        if (!s.movieWindow) {
            g_avi = AviState{};
            return 1;
        }
        video::StopMovieWindow(s.movieWindow);
        g_avi.countdown = 1;
        g_avi.ending = true;
    } else if (g_avi.firstCall) {
        const std::string path = FindSceneFile(s, file);
        if (path.empty()) return 1;
        std::string error;
        // Made hidden, centred on its own size, then shown: showing it starts the playback.
        const ui::Hwnd w = video::CreateMovieWindow(s.window, 0, 0, false, path, s.window,
                                                    sound == 1, &error);
        if (!w) return 1;
        ui::Rect r{};
        ui::GetWindowRect(w, &r);
        const int mw = r.right - r.left, mh = r.bottom - r.top;
        ui::MoveWindow(w, s.clientWidth / 2 - mw / 2, s.clientHeight / 2 - mh / 2, mw, mh, false);
        ui::ShowWindow(w, ui::SW_SHOW);
        s.movieWindow = w;
        g_avi.firstCall = false;
    }
    if (!g_avi.ending && (!s.movieWindow || !video::IsMoviePlaying(s.movieWindow))) {
        g_avi.countdown = 10;
        g_avi.ending = true;
    }
    if (!g_avi.ending) return 0;
    if (--g_avi.countdown >= 1) return 0;
    return CloseAvi(s);
}

}  // namespace zv::saver
