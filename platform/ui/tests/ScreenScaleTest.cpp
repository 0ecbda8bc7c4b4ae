// The whole-number scale of the desktop on large and high-density screens, and the mapping of
// mouse positions back to desktop pixels.
#include <gtest/gtest.h>

#include "platform/ui/ScreenScale.h"

namespace zv::ui {
namespace {

TEST(ScreenScale, ChoosesTheLargestScaleThatLeavesTheGameItsDesktop) {
    struct Case {
        int windowW, windowH, outputW, outputH, requested;
        int scale, desktopW, desktopH, offsetX, offsetY;
    } cases[] = {
        {800, 600, 0, 0, 0, 1, 800, 600, 0, 0},
        {1024, 768, 0, 0, 0, 1, 1024, 768, 0, 0},
        {1600, 1200, 0, 0, 0, 2, 800, 600, 0, 0},
        {1920, 1080, 0, 0, 0, 1, 1920, 1080, 0, 0},  // 1080 / 2 is under 600
        {2560, 1440, 0, 0, 0, 2, 1280, 720, 0, 0},
        {3840, 2160, 0, 0, 0, 3, 1280, 720, 0, 0},
        {1601, 1203, 0, 0, 0, 2, 800, 601, 0, 0},  // odd pixel left over: border of 0 or 1
        {1603, 1200, 0, 0, 0, 2, 801, 600, 0, 0},
        // A high-density screen: 1280 x 800 points are 2560 x 1600 pixels.
        {1280, 800, 2560, 1600, 0, 2, 1280, 800, 0, 0},
        // A chosen scale, used as far as the desktop keeps 800 x 600.
        {3840, 2160, 0, 0, 2, 2, 1920, 1080, 0, 0},
        {3840, 2160, 0, 0, 1, 1, 3840, 2160, 0, 0},
        {3840, 2160, 0, 0, 5, 3, 1280, 720, 0, 0},
        // Smaller than the game's desktop: shown as it is, never below one.
        {640, 480, 0, 0, 0, 1, 640, 480, 0, 0},
        {0, -5, 0, 0, 3, 1, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        const ScreenScaling s =
            ChooseScreenScaling(c.windowW, c.windowH, c.outputW, c.outputH, c.requested);
        EXPECT_EQ(s.scale, c.scale) << c.windowW << "x" << c.windowH << " req " << c.requested;
        EXPECT_EQ(s.desktopWidth, c.desktopW) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(s.desktopHeight, c.desktopH) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(s.offsetX, c.offsetX) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(s.offsetY, c.offsetY) << c.windowW << "x" << c.windowH;
        // The desktop always fits the output.
        const Rect o = DesktopOutputRect(s);
        EXPECT_GE(o.left, 0);
        EXPECT_LE(o.right, s.outputWidth);
        EXPECT_LE(o.bottom, s.outputHeight);
    }
}

TEST(ScreenScale, MapsMousePositionsBackToDesktopPixels) {
    const ScreenScaling three = ChooseScreenScaling(3840, 2160, 0, 0, 0);  // 1280 x 720 at 3
    const ScreenScaling hiDpi = ChooseScreenScaling(1280, 800, 2560, 1600, 0);  // 2 pixels a point
    ScreenScaling border = three;  // a desktop centred with a border of 10 and 6 pixels
    border.offsetX = 10;
    border.offsetY = 6;
    struct Case {
        const ScreenScaling* s;
        Point window, desktop;
    } cases[] = {
        {&three, {0, 0}, {0, 0}},
        {&three, {2, 2}, {0, 0}},
        {&three, {3, 5}, {1, 1}},
        {&three, {3839, 2159}, {1279, 719}},
        {&three, {5000, -20}, {1279, 0}},  // outside the window: held at the edge
        {&hiDpi, {0, 0}, {0, 0}},
        {&hiDpi, {640, 400}, {640, 400}},  // a point is two pixels, the scale two pixels
        {&hiDpi, {1279, 799}, {1279, 799}},
        {&border, {9, 5}, {0, 0}},  // in the border
        {&border, {10, 6}, {0, 0}},
        {&border, {13, 9}, {1, 1}},
        {&border, {12, 8}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowToDesktop(*c.s, c.window), c.desktop) << c.window.x << "," << c.window.y;
    }
    // And back: a desktop rectangle to window points (the input method's place).
    EXPECT_EQ(DesktopToWindow(three, {10, 20, 30, 40}), (Rect{30, 60, 90, 120}));
    EXPECT_EQ(DesktopToWindow(hiDpi, {10, 20, 30, 40}), (Rect{10, 20, 30, 40}));
    EXPECT_EQ(DesktopToWindow(border, {0, 0, 1, 1}), (Rect{10, 6, 13, 9}));
}

// The screen window of the game opens maximised: at its normal size and asking the window
// manager to maximise it, or over the whole usable area where there is no window manager.
TEST(ScreenScale, TheStartPlacementFillsTheUsableAreaWithoutAWindowManager) {
    struct Case {
        Rect usable;
        bool windowManager;
        Rect rect;
        bool maximize;
    } cases[] = {
        {{0, 0, 1920, 1080}, false, {0, 0, 1920, 1080}, false},
        {{0, 0, 3840, 2160}, false, {0, 0, 3840, 2160}, false},
        {{0, 24, 1920, 1080}, false, {0, 24, 1920, 1080}, false},  // below a panel
        {{0, 0, 1920, 1080}, true, {448, 156, 1472, 924}, true},   // normal size, centred
        {{0, 0, 1024, 768}, true, {0, 0, 1024, 768}, true},
        {{0, 0, 800, 600}, true, {0, 0, 800, 600}, true},  // held inside a small screen
        {{0, 0, 0, 0}, false, {0, 0, 1024, 768}, false},   // nothing known: the normal size
    };
    for (const Case& c : cases) {
        const StartPlacement p = ChooseStartPlacement(c.usable, 1024, 768, c.windowManager);
        EXPECT_EQ(p.rect, c.rect) << c.usable.Width() << "x" << c.usable.Height() << " " << c.windowManager;
        EXPECT_EQ(p.maximize, c.maximize);
    }
}

}  // namespace
}  // namespace zv::ui
