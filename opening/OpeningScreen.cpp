#include "opening/OpeningScreen.h"

namespace zv::opening {

namespace {

ChannelLayout Measure(uint32_t mask) {
    ChannelLayout c;
    if (!mask) return c;
    while (!(mask & 1)) {
        mask >>= 1;
        ++c.shift;
    }
    c.mask = mask;
    return c;
}

}  // namespace

void OpeningScreen::Reset() {
    display_ = std::make_unique<fw::DrawDisplay>();
    width_ = 640;
    height_ = 480;
    bitsPerPixel_ = 8;
}

int OpeningScreen::Configure(ui::Hwnd window, int width, int height, int bitsPerPixel,
                             bool fullscreen) {
    Reset();
    window_ = window;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    fullscreen_ = fullscreen;
    return 1;
}

int OpeningScreen::InitDirectDraw() {
    if (!display_ || !display_->Init(window_, width_, height_)) return 0;
    SetClipRect(0, 0, width_, height_);
    return MeasurePixelFormat();
}

int OpeningScreen::MeasurePixelFormat() {
    fw::DrawSurface* back = Back();
    if (!back || back->Lock() != fw::kDdOk) return 0;
    const fw::SurfaceDescription d = back->Description();
    back->Unlock();
    red_ = Measure(d.redMask);
    green_ = Measure(d.greenMask);
    blue_ = Measure(d.blueMask);
    // Our surfaces are 16-bit whatever the desktop: the blend walks one word per pixel.
    bitsPerPixel_ = d.bitsPerPixel;
    return 1;
}

void OpeningScreen::SetClipRect(int left, int top, int right, int bottom) {
    clip_ = {left, top, right, bottom};
}

void OpeningScreen::ClearBack() {
    if (fw::DrawSurface* back = Back()) back->ColourFill(0, 0, width_, height_, 0);
}

int OpeningScreen::Present() {
    if (display_) display_->Present();
    return 1;
}

void OpeningScreen::Release() {
    display_.reset();
}

}  // namespace zv::opening
