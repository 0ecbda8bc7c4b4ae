#pragma once

// How the composited desktop is shown on a screen window of any size: at a whole-number scale
// (each desktop pixel a square of scale x scale screen pixels, so lines and text stay crisp),
// as large as the window allows while the desktop keeps the size the game needs, centred with
// a dark border where the window is not a multiple of it. Pure functions: the SDL backend uses
// them and tests check them without a display.

#include "platform/ui/Surface.h"

namespace zv::ui {

struct ScreenScaling {
    int scale = 1;
    int desktopWidth = 0;  // the layer's screen, in desktop pixels
    int desktopHeight = 0;
    int offsetX = 0;  // where the desktop's top-left corner lies, in output pixels
    int offsetY = 0;
    int windowWidth = 0;  // the window as mouse events count it (points)
    int windowHeight = 0;
    int outputWidth = 0;  // the window's pixels (more than its points on a high-density screen)
    int outputHeight = 0;
};

// The smallest desktop the game runs in.
constexpr int kMinDesktopWidth = 800;
constexpr int kMinDesktopHeight = 600;

// Chooses the scale for a window of windowW x windowH points and outputW x outputH pixels.
// requested 0: the largest scale at which the desktop is still at least minW x minH (1 when
// even that is too big). A requested scale is used as far as it leaves that much room, else
// the largest that does.
ScreenScaling ChooseScreenScaling(int windowW, int windowH, int outputW, int outputH,
                                  int requested, int minW = kMinDesktopWidth,
                                  int minH = kMinDesktopHeight);

// Where the screen window of a program that is shown maximised opens, on a display whose usable
// area (without panels and docks) is `usable`. Where a window manager maximises windows it opens
// at its normal size (normalW x normalH, held inside the area, centred) and asks to be
// maximised, so that restoring it later gives that size; without one nothing would enlarge it,
// so it opens over the whole usable area.
struct StartPlacement {
    Rect rect;
    bool maximize = false;
};
StartPlacement ChooseStartPlacement(const Rect& usable, int normalW, int normalH, bool windowManager);

// A mouse position in window points to desktop pixels, held inside the desktop.
Point WindowToDesktop(const ScreenScaling& s, Point window);
// A desktop rectangle to window points (where the input method's list goes, cursor limits).
Rect DesktopToWindow(const ScreenScaling& s, const Rect& desktop);
// The desktop's place in output pixels.
Rect DesktopOutputRect(const ScreenScaling& s);

}  // namespace zv::ui
