#pragma once

// The opening player: an 800 x 600 window that plays the logo movie, then shows one of six
// backdrops and fades the title logo onto it over 20 frames while the title music loops. A key
// or a mouse button ends it at any time. Its media lie in "Zv6open/" beside the program.
// The mouse is kept inside the window while it runs and always let go at the end, however it
// ends; a movie that cannot be played goes straight to the title and its music.

#include <memory>
#include <string>

#include "framework/media/MidiPlayer.h"
#include "opening/ClippedDrawSurface.h"
#include "opening/OpeningScreen.h"
#include "platform/ui/WindowTypes.h"

namespace zv::opening {

constexpr int kOpeningWidth = 800;
constexpr int kOpeningHeight = 600;
constexpr int kMovieX = (kOpeningWidth - 320) / 2;
constexpr int kMovieY = (kOpeningHeight - 240) / 2;
constexpr int kLogoX = 24, kLogoY = 48;
constexpr int kLogoRowHeight = 112;
constexpr int kLogoWidth = 447, kLogoHeight = 111;
constexpr int kLogoRowOfBackdrop[6] = {0, 1, 2, 2, 3, 4};
// One frame of the fade every so many milliseconds (the fade takes 20 frames).
constexpr uint32_t kFrameMs = 40;

// The window's title: the game's title.
extern const char* const kOpeningTitle;

struct OpeningOptions {
    std::string programDir;  // where "Zv6open/" lies
    unsigned seed = 0;       // for the backdrop choice
};

// The program's state (one per process).
struct OpeningState {
    ui::Hwnd window{};
    std::string dataPath;  // programDir + "/Zv6open/"
    std::unique_ptr<OpeningScreen> screen;
    int backdropIndex = 0;
    std::unique_ptr<ClippedDrawSurface> backdrop;
    std::unique_ptr<ClippedDrawSurface> logo;
    int moviePhase = 1;
    ui::Hwnd movieWindow{};
    std::string movieError;  // why the movie could not be played, if it could not
    fw::MidiPlayer* midi = nullptr;
    int firstFrame = 1;
    float fade = 0.0f;
    int fadeCounter = 0;
    int framesDrawn = 0;  // fade frames so far
    bool still = false;   // the logo is drawn at full strength: the picture no longer changes
    uint32_t lastFrameMs = 0;
    bool confined = false;
    OpeningOptions options;
};

// The one state while the program runs (null otherwise).
OpeningState* CurrentOpening();

// The C runtime's generator, as the backdrop choice uses it.
class OpeningRandom {
  public:
    explicit OpeningRandom(unsigned seed) : x_(seed) {}
    int Next() {
        x_ = x_ * 214013u + 2531011u;
        return int((x_ >> 16) & 0x7FFF);
    }

  private:
    unsigned x_;
};

// Creates the window, confines the mouse, loads the pictures and starts the movie (or, when it
// cannot be played, the title and its music). 1 on success; 0 when the window cannot be made,
// with everything made so far undone and the mouse let go.
int InitOpening(const OpeningOptions& options);
// One frame of the fade (nothing during the movie, nor once the logo stands at full strength).
void DrawOpeningFrame();
// Lets the mouse go and frees everything.
void FreeOpening();
ui::LResult ZV6OPENProc(ui::Hwnd h, uint32_t msg, ui::WParam wp, ui::LParam lp);
// Runs the message loop until the window is gone; the exit code (0).
int RunOpening();
// Init, loop, free: the program.
int OpeningMain(const OpeningOptions& options);

}  // namespace zv::opening
