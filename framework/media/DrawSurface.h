#pragma once

// Off-screen picture surfaces (16-bit RGB 5-6-5, Surface16.h) and the display that owns them:
// a primary and a back surface, the back one presented into a window through the window
// layer. A surface is created blank or from a .bmp file, keeps a source and a destination
// rectangle and an optional source colour key, copies itself onto the back surface or another
// surface, scrolls, and draws through a device context. Results are DirectDraw-style codes.
// Our surfaces are never lost by the system; a surface marked lost is restored (and its
// picture reloaded) before its next copy, and Restore reloads the picture whenever asked.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/media/BitmapFile.h"
#include "framework/media/Surface16.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

using DdResult = int32_t;
constexpr DdResult kDdOk = 0;
constexpr DdResult kDdErrSurfaceLost = int32_t(0x887601C2u);
constexpr DdResult kDdErrInvalidRect = int32_t(0x88760096u);
constexpr DdResult kDdErrInvalidParams = int32_t(0x80070057u);
constexpr DdResult kEFail = int32_t(0x80004005u);
constexpr int32_t kNoColorKey = -1;

class DrawSurface;

// What Lock gives: the words of the surface and their layout.
struct SurfaceDescription {
    int width = 0;
    int height = 0;
    int pitchBytes = 0;
    int bitsPerPixel = 16;
    uint32_t redMask = kRed565Mask;
    uint32_t greenMask = kGreen565Mask;
    uint32_t blueMask = kBlue565Mask;
    uint16_t* pixels = nullptr;
};

// The display: the primary and back surfaces of one window.
class DrawDisplay {
  public:
    DrawDisplay();
    ~DrawDisplay();
    // Makes both surfaces at the size; the window shows the primary one. 1, or 0 for a size
    // that is not positive.
    int Init(ui::Hwnd window, int width, int height);
    ui::Hwnd Window() const { return window_; }
    DrawSurface* GetBackBuffer() { return back_.get(); }
    DrawSurface* GetPrimary() { return primary_.get(); }
    // Copies the back surface onto the primary one and shows it in the window's client area
    // from (0, 0). 1 when shown.
    int Present();

  private:
    ui::Hwnd window_{};
    std::unique_ptr<DrawSurface> primary_;
    std::unique_ptr<DrawSurface> back_;
    ui::Surface32Buffer frame_;
};

class DrawSurface {
  public:
    DrawSurface();
    DrawSurface(DrawDisplay* owner, int width, int height, int videoMemory);
    DrawSurface(DrawDisplay* owner, const char* bitmapName);
    virtual ~DrawSurface();
    DrawSurface(const DrawSurface&) = delete;
    DrawSurface& operator=(const DrawSurface&) = delete;

    int Create(DrawDisplay* owner, int width, int height, int videoMemory);
    int CreateFromBitmap(DrawDisplay* owner, const char* bitmapName);

    // The copies, in slot order. ToBack draws onto the owner's back surface.
    virtual DdResult BltToBack();                  // source rect to dest rect
    virtual DdResult BltTo(DrawSurface* target);   // the same onto target
    virtual DdResult BltFastToBack(int x, int y);  // source rect to (x, y)
    virtual DdResult BltFastTo(DrawSurface* target, int x, int y);
    virtual DdResult BltFastKeyedToBack(int x, int y);  // leaving out the key colour
    virtual DdResult BltFastKeyedTo(DrawSurface* target, int x, int y);

    void SetDestRect(int top, int left, int bottom, int right);
    void SetSrcRect(int top, int left, int bottom, int right);
    // The key is the surface's own pixel value for the colour (MatchColour).
    void SetColorKey(ui::ColorRef rgb);
    DdResult Restore();
    // Marks the surface lost, as after a display change; the next copy restores it first.
    void MarkLost() { lost_ = true; }
    bool IsLost() const { return lost_; }

    DdResult Lock();
    DdResult Unlock();
    const SurfaceDescription& Description() const { return description_; }
    ui::Canvas* GetDC();
    void ReleaseDC();

    DdResult Scroll(int dx, int dy);

    void DrawLine(int x1, int y1, int x2, int y2, ui::ColorRef colour, int width);
    void DrawRectangle(int left, int top, int right, int bottom, ui::ColorRef fill,
                       ui::ColorRef pen, int penWidth);
    // Cubic Bezier segments: 1 + 3n points.
    void DrawBezier(const ui::Point* points, int count, ui::ColorRef colour, int width);
    // mode 0 hollow, else cross-hatched; mode 2 leaves the hatch's gaps transparent.
    void DrawPolygon(const ui::Point* points, int count, ui::ColorRef colour,
                     ui::ColorRef background, int width, int mode);
    void PutPixel(int x, int y, ui::ColorRef colour);
    ui::ColorRef GetPixelColour(int x, int y);
    void InvertRectangle(int left, int top, int right, int bottom);
    void InvertAll();
    // Fills the rectangle with a raw pixel value (a 5-6-5 word).
    DdResult ColourFill(int left, int top, int right, int bottom, uint32_t pixelValue);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const char* BitmapName() const { return bitmapName_; }
    int32_t ColorKey() const { return colorKey_; }
    ui::Rect SrcRect() const { return srcRect_; }
    ui::Rect DestRect() const { return destRect_; }
    DrawDisplay* Owner() const { return owner_; }
    Surface16* Pixels() { return surface_.get(); }

  protected:
    DdResult CopyOnto(DrawSurface* target, int x, int y, bool keyed);
    DdResult StretchOnto(DrawSurface* target);

  private:
    void Reset();
    template <typename F>
    void WithDc(F&& draw);

    int width_ = 0;
    int height_ = 0;
    const char* bitmapName_ = nullptr;
    ui::Canvas* dc_ = nullptr;
    int32_t colorKey_ = kNoColorKey;
    bool hasKeyPixel_ = false;
    uint16_t keyPixel_ = 0;
    ui::Rect srcRect_{};
    ui::Rect destRect_{};
    SurfaceDescription description_{};
    std::unique_ptr<Surface16> surface_;
    DrawDisplay* owner_ = nullptr;
    bool lost_ = false;
};

// A 256-entry palette.
struct DrawPalette {
    std::array<ui::RgbQuad, 256> entries{};
};

// A .bmp file as a new surface of its size (null when it cannot be read); width and height
// of the picture to the outputs.
std::unique_ptr<Surface16> LoadBitmapToSurface(DrawDisplay* display, const char* name, int* width,
                                               int* height);
// The same, scaled to the size while loading.
std::unique_ptr<Surface16> LoadBitmapToSurfaceSized(DrawDisplay* display, const char* name,
                                                    int width, int height);
// Reads the picture again into the surface (scaled to it); kEFail when there is none.
DdResult ReloadBitmap(Surface16* surface, const char* name);
// Scales the picture's area (x, y, width, height; 0 width or height: the whole picture) onto
// the whole surface.
DdResult CopyBitmapToSurface(Surface16* surface, const BitmapImage* bitmap, int x, int y, int width,
                             int height);
// The fixed 3-3-2 palette, or the colour table of a .bmp file of 8 bits or fewer.
std::unique_ptr<DrawPalette> LoadPalette(DrawDisplay* display, const char* name);
// The surface's pixel value for the colour (found by writing it into pixel (0, 0) and reading
// it back; the pixel is put back); 0xFFFFFFFF when there is no surface.
uint32_t MatchColour(Surface16* surface, ui::ColorRef rgb);

}  // namespace zv::fw
