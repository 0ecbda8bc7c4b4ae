#include "platform/ui/ScreenScale.h"

#include <algorithm>
#include <cstdint>

namespace zv::ui {

ScreenScaling ChooseScreenScaling(int windowW, int windowH, int outputW, int outputH,
                                  int requested, int minW, int minH) {
    ScreenScaling s;
    s.windowWidth = std::max(1, windowW);
    s.windowHeight = std::max(1, windowH);
    s.outputWidth = outputW > 0 ? outputW : s.windowWidth;
    s.outputHeight = outputH > 0 ? outputH : s.windowHeight;
    const int fit = std::max(
        1, std::min(s.outputWidth / std::max(1, minW), s.outputHeight / std::max(1, minH)));
    s.scale = requested > 0 ? std::min(requested, fit) : fit;
    s.desktopWidth = std::max(1, s.outputWidth / s.scale);
    s.desktopHeight = std::max(1, s.outputHeight / s.scale);
    s.offsetX = (s.outputWidth - s.desktopWidth * s.scale) / 2;
    s.offsetY = (s.outputHeight - s.desktopHeight * s.scale) / 2;
    return s;
}

StartPlacement ChooseStartPlacement(const Rect& usable, int normalW, int normalH, bool windowManager) {
    StartPlacement p;
    if (!windowManager || usable.IsEmpty()) {
        p.rect = usable.IsEmpty() ? Rect{0, 0, std::max(1, normalW), std::max(1, normalH)} : usable;
        return p;
    }
    const int w = std::clamp(normalW, 1, usable.Width());
    const int h = std::clamp(normalH, 1, usable.Height());
    const int x = usable.left + (usable.Width() - w) / 2;
    const int y = usable.top + (usable.Height() - h) / 2;
    p.rect = {x, y, x + w, y + h};
    p.maximize = true;
    return p;
}

Point WindowToDesktop(const ScreenScaling& s, Point window) {
    // Points to output pixels first (exact in 64 bits), then take off the border and divide;
    // positions left of or above the desktop must round down, not towards zero.
    const int64_t px = int64_t(window.x) * s.outputWidth / std::max(1, s.windowWidth);
    const int64_t py = int64_t(window.y) * s.outputHeight / std::max(1, s.windowHeight);
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    const int64_t x = floorDiv(px - s.offsetX, std::max(1, s.scale));
    const int64_t y = floorDiv(py - s.offsetY, std::max(1, s.scale));
    return {int(std::clamp<int64_t>(x, 0, std::max(0, s.desktopWidth - 1))),
            int(std::clamp<int64_t>(y, 0, std::max(0, s.desktopHeight - 1)))};
}

Rect DesktopToWindow(const ScreenScaling& s, const Rect& desktop) {
    auto toX = [&](int x) {
        return int((int64_t(x) * s.scale + s.offsetX) * s.windowWidth / std::max(1, s.outputWidth));
    };
    auto toY = [&](int y) {
        return int((int64_t(y) * s.scale + s.offsetY) * s.windowHeight /
                   std::max(1, s.outputHeight));
    };
    return {toX(desktop.left), toY(desktop.top), toX(desktop.right), toY(desktop.bottom)};
}

Rect DesktopOutputRect(const ScreenScaling& s) {
    return {s.offsetX, s.offsetY, s.offsetX + s.desktopWidth * s.scale,
            s.offsetY + s.desktopHeight * s.scale};
}

}  // namespace zv::ui
