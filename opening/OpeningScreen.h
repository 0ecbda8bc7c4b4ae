#pragma once

// The opening player's own drawing layer: a display (primary and back surface) on the window,
// the clip rectangle that clipped copies and the logo blend keep to, and the channel layout of
// the back surface's pixels.

#include <cstdint>
#include <memory>

#include "framework/media/DrawSurface.h"
#include "platform/ui/WindowTypes.h"

namespace zv::opening {

struct ChannelLayout {
    uint32_t mask = 0;  // the channel's bits, shifted down
    int shift = 0;
};

class OpeningScreen {
  public:
    OpeningScreen() { Reset(); }
    void Reset();
    // Stores the window and size; 1.
    int Configure(ui::Hwnd window, int width, int height, int bitsPerPixel, bool fullscreen);
    // Makes the surfaces, sets the clip rectangle to the whole back surface and measures the
    // pixel format; 1, or 0 when the surfaces cannot be made.
    int InitDirectDraw();
    int MeasurePixelFormat();
    void SetClipRect(int left, int top, int right, int bottom);
    ui::Rect ClipRect() const { return clip_; }
    // Fills the whole back surface with 0.
    void ClearBack();
    // Shows the back surface in the window; 1.
    int Present();
    void Release();

    fw::DrawDisplay* Display() { return display_.get(); }
    fw::DrawSurface* Back() { return display_ ? display_->GetBackBuffer() : nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    const ChannelLayout& Red() const { return red_; }
    const ChannelLayout& Green() const { return green_; }
    const ChannelLayout& Blue() const { return blue_; }

  private:
    int width_ = 640, height_ = 480, bitsPerPixel_ = 8;
    bool fullscreen_ = false;
    ui::Rect clip_{};
    ui::Hwnd window_{};
    std::unique_ptr<fw::DrawDisplay> display_;
    ChannelLayout red_, green_, blue_;
};

}  // namespace zv::opening
