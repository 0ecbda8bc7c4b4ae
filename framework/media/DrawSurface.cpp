#include "framework/media/DrawSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/ui/Window.h"

namespace zv::fw {

// ---- display ----

DrawDisplay::DrawDisplay() = default;
DrawDisplay::~DrawDisplay() = default;

int DrawDisplay::Init(ui::Hwnd window, int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    window_ = window;
    primary_ = std::make_unique<DrawSurface>(this, width, height, 1);
    back_ = std::make_unique<DrawSurface>(this, width, height, 1);
    return 1;
}

int DrawDisplay::Present() {
    if (!primary_ || !back_) return 0;
    primary_->Pixels()->CopyFrom(*back_->Pixels(), back_->Pixels()->Bounds(), 0, 0, nullptr);
    if (!ui::IsWindow(window_)) return 0;
    Surface16* p = primary_->Pixels();
    frame_.Resize(p->Width(), p->Height());
    p->ToPixels32(frame_.View());
    ui::Canvas* dc = ui::GetDC(window_);
    if (!dc) return 0;
    ui::Canvas src(frame_.View());
    dc->BitBlt(0, 0, p->Width(), p->Height(), src, 0, 0, ui::SRCCOPY);
    ui::ReleaseDC(window_, dc);
    return 1;
}

// ---- surface ----

DrawSurface::DrawSurface() = default;

DrawSurface::DrawSurface(DrawDisplay* owner, int width, int height, int videoMemory) {
    Create(owner, width, height, videoMemory);
}

DrawSurface::DrawSurface(DrawDisplay* owner, const char* bitmapName) {
    CreateFromBitmap(owner, bitmapName);
}

DrawSurface::~DrawSurface() {
    ReleaseDC();
}

void DrawSurface::Reset() {
    srcRect_ = destRect_ = {0, 0, width_, height_};
    colorKey_ = kNoColorKey;
    hasKeyPixel_ = false;
    lost_ = false;
    description_ = {};
    description_.width = width_;
    description_.height = height_;
    description_.pitchBytes = width_ * 2;
}

int DrawSurface::Create(DrawDisplay* owner, int width, int height, int /*videoMemory*/) {
    // Video or system memory is the same memory here.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 0;
    ReleaseDC();
    surface_ = std::make_unique<Surface16>(width, height);
    width_ = width;
    height_ = height;
    owner_ = owner;
    bitmapName_ = nullptr;
    Reset();
    return 1;
}

int DrawSurface::CreateFromBitmap(DrawDisplay* owner, const char* bitmapName) {
    int w = 0, h = 0;
    auto s = LoadBitmapToSurface(owner ? owner : owner_, bitmapName, &w, &h);
    if (!s) return 0;
    ReleaseDC();
    surface_ = std::move(s);
    bitmapName_ = bitmapName;
    width_ = w;
    height_ = h;
    owner_ = owner;
    Reset();
    return 1;
}

DdResult DrawSurface::Restore() {
    lost_ = false;
    if (!surface_) return kEFail;
    return ReloadBitmap(surface_.get(), bitmapName_);
}

DdResult DrawSurface::CopyOnto(DrawSurface* target, int x, int y, bool keyed) {
    if (!surface_ || !target || !target->surface_) return kDdErrInvalidParams;
    if (lost_) Restore();
    const uint16_t* key = keyed && hasKeyPixel_ ? &keyPixel_ : nullptr;
    return target->surface_->CopyFrom(*surface_, srcRect_, x, y, key) ? kDdOk : kDdErrInvalidRect;
}

DdResult DrawSurface::StretchOnto(DrawSurface* target) {
    if (!surface_ || !target || !target->surface_) return kDdErrInvalidParams;
    if (lost_) Restore();
    return target->surface_->StretchFrom(*surface_, srcRect_, destRect_, nullptr)
               ? kDdOk
               : kDdErrInvalidRect;
}

DdResult DrawSurface::BltToBack() {
    return StretchOnto(owner_ ? owner_->GetBackBuffer() : nullptr);
}
DdResult DrawSurface::BltTo(DrawSurface* target) {
    return StretchOnto(target);
}
DdResult DrawSurface::BltFastToBack(int x, int y) {
    return CopyOnto(owner_ ? owner_->GetBackBuffer() : nullptr, x, y, false);
}
DdResult DrawSurface::BltFastTo(DrawSurface* target, int x, int y) {
    return CopyOnto(target, x, y, false);
}
DdResult DrawSurface::BltFastKeyedToBack(int x, int y) {
    return CopyOnto(owner_ ? owner_->GetBackBuffer() : nullptr, x, y, true);
}
DdResult DrawSurface::BltFastKeyedTo(DrawSurface* target, int x, int y) {
    return CopyOnto(target, x, y, true);
}

void DrawSurface::SetDestRect(int top, int left, int bottom, int right) {
    destRect_ = {left, top, right, bottom};
}

void DrawSurface::SetSrcRect(int top, int left, int bottom, int right) {
    srcRect_ = {left, top, right, bottom};
}

void DrawSurface::SetColorKey(ui::ColorRef rgb) {
    colorKey_ = int32_t(rgb);
    uint32_t p = MatchColour(surface_.get(), rgb);
    hasKeyPixel_ = p != 0xFFFFFFFFu;
    keyPixel_ = uint16_t(p);
}

DdResult DrawSurface::Lock() {
    description_ = {};
    if (!surface_) return kDdErrInvalidParams;
    description_.width = width_;
    description_.height = height_;
    description_.pitchBytes = surface_->PitchBytes();
    description_.pixels = surface_->Pixels();
    return kDdOk;
}

DdResult DrawSurface::Unlock() {
    description_.pixels = nullptr;
    return surface_ ? kDdOk : kDdErrInvalidParams;
}

ui::Canvas* DrawSurface::GetDC() {
    if (!surface_) return nullptr;
    dc_ = surface_->GetCanvas();
    return dc_;
}

void DrawSurface::ReleaseDC() {
    if (surface_ && dc_) surface_->ReleaseCanvas();
    dc_ = nullptr;
}

DdResult DrawSurface::Scroll(int dx, int dy) {
    if (!surface_) return kDdErrInvalidParams;
    // Only the rows or columns that stay on the surface move; a scroll by the whole size or
    // more moves nothing.
    int w = width_, h = height_;
    int x = 0, y = 0;
    if (dy > 0) {
        if (dy >= h) return kDdOk;
        srcRect_ = {0, 0, w, h - dy};
        y = dy;
    } else if (dy < 0) {
        int d = -int64_t(dy) >= h ? h : -dy;
        if (d >= h) return kDdOk;
        srcRect_ = {0, d, w, h};
    } else if (dx > 0) {
        if (dx >= w) return kDdOk;
        srcRect_ = {0, 0, w - dx, h};
        x = dx;
    } else if (dx < 0) {
        int d = -int64_t(dx) >= w ? w : -dx;
        if (d >= w) return kDdOk;
        srcRect_ = {d, 0, w, h};
    } else {
        return kDdOk;
    }
    return surface_->CopyFrom(*surface_, srcRect_, x, y, nullptr) ? kDdOk : kDdErrInvalidRect;
}

template <typename F>
void DrawSurface::WithDc(F&& draw) {
    bool held = dc_ != nullptr;
    ui::Canvas* dc = GetDC();
    if (!dc) return;
    draw(*dc);
    if (!held) ReleaseDC();
}

void DrawSurface::DrawLine(int x1, int y1, int x2, int y2, ui::ColorRef colour, int width) {
    WithDc([&](ui::Canvas& dc) {
        ui::Pen old = dc.SelectPen({ui::PS_SOLID, width, colour});
        dc.MoveTo(x1, y1);
        dc.LineTo(x2, y2);
        dc.SelectPen(old);
    });
}

void DrawSurface::DrawRectangle(int left, int top, int right, int bottom, ui::ColorRef fill,
                                ui::ColorRef pen, int penWidth) {
    WithDc([&](ui::Canvas& dc) {
        ui::Pen oldPen = dc.SelectPen({ui::PS_SOLID, penWidth, pen});
        ui::Brush oldBrush = dc.SelectBrush(ui::Brush::SolidColor(fill));
        dc.Rectangle(left, top, right, bottom);
        dc.SelectPen(oldPen);
        dc.SelectBrush(oldBrush);
    });
}

void DrawSurface::DrawBezier(const ui::Point* points, int count, ui::ColorRef colour, int width) {
    if (!points || count < 4 || (count - 1) % 3 != 0) return;
    std::vector<ui::Point> line{points[0]};
    constexpr int kSteps = 16;
    for (int seg = 0; seg + 3 < count; seg += 3) {
        const ui::Point* p = points + seg;
        for (int i = 1; i <= kSteps; ++i) {
            double t = double(i) / kSteps, u = 1 - t;
            double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            line.push_back({int(std::lround(a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x)),
                            int(std::lround(a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y))});
        }
    }
    WithDc([&](ui::Canvas& dc) {
        ui::Pen old = dc.SelectPen({ui::PS_SOLID, width, colour});
        dc.Polyline(line);
        dc.SelectPen(old);
    });
}

void DrawSurface::DrawPolygon(const ui::Point* points, int count, ui::ColorRef colour,
                              ui::ColorRef background, int width, int mode) {
    if (!points || count < 2) return;
    WithDc([&](ui::Canvas& dc) {
        ui::Pen oldPen = dc.SelectPen({ui::PS_SOLID, width, colour});
        ui::Brush oldBrush = dc.SelectBrush(
            mode == 0 ? ui::Brush::Hollow() : ui::Brush::Hatched(ui::HS_DIAGCROSS, colour));
        int oldMode = dc.SetBkMode(mode == 2 ? ui::TRANSPARENT : ui::OPAQUE);
        ui::ColorRef oldBk = dc.SetBkColor(background);
        dc.Polygon(std::span<const ui::Point>(points, std::size_t(count)));
        dc.SetBkColor(oldBk);
        dc.SetBkMode(oldMode);
        dc.SelectBrush(oldBrush);
        dc.SelectPen(oldPen);
    });
}

void DrawSurface::PutPixel(int x, int y, ui::ColorRef colour) {
    WithDc([&](ui::Canvas& dc) { dc.SetPixel(x, y, colour); });
}

ui::ColorRef DrawSurface::GetPixelColour(int x, int y) {
    ui::ColorRef c = ui::kColorInvalid;
    WithDc([&](ui::Canvas& dc) { c = dc.GetPixel(x, y); });
    return c;
}

void DrawSurface::InvertRectangle(int left, int top, int right, int bottom) {
    WithDc([&](ui::Canvas& dc) { dc.InvertRect({left, top, right, bottom}); });
}

void DrawSurface::InvertAll() {
    InvertRectangle(0, 0, width_, height_);
}

DdResult DrawSurface::ColourFill(int left, int top, int right, int bottom, uint32_t pixelValue) {
    if (!surface_) return kDdErrInvalidParams;
    return surface_->Fill({left, top, right, bottom}, uint16_t(pixelValue)) ? kDdOk
                                                                            : kDdErrInvalidRect;
}

// ---- free functions ----

DdResult CopyBitmapToSurface(Surface16* surface, const BitmapImage* bitmap, int x, int y, int width,
                             int height) {
    if (!surface || !bitmap) return kEFail;
    if (width == 0 || height == 0) {
        width = bitmap->width;
        height = bitmap->height;
    }
    if (width <= 0 || height <= 0) return kEFail;
    int sw = surface->Width(), sh = surface->Height();
    for (int dy = 0; dy < sh; ++dy) {
        int by = y + int(int64_t(dy) * height / sh);
        for (int dx = 0; dx < sw; ++dx) {
            int bx = x + int(int64_t(dx) * width / sw);
            // Outside the picture the copy reads black, as a stretch from a memory DC does.
            uint32_t p = bx >= 0 && by >= 0 && bx < bitmap->width && by < bitmap->height
                             ? bitmap->pixels[std::size_t(by) * bitmap->width + bx]
                             : 0;
            surface->Set(dx, dy, Pixel32To565(p));
        }
    }
    return kDdOk;
}

std::unique_ptr<Surface16> LoadBitmapToSurface(DrawDisplay*, const char* name, int* width,
                                               int* height) {
    if (!name) return nullptr;
    auto bmp = ReadBitmapFile(name, nullptr);
    if (!bmp) return nullptr;
    auto s = std::make_unique<Surface16>(bmp->width, bmp->height);
    CopyBitmapToSurface(s.get(), &*bmp, 0, 0, 0, 0);
    if (width) *width = bmp->width;
    if (height) *height = bmp->height;
    return s;
}

std::unique_ptr<Surface16> LoadBitmapToSurfaceSized(DrawDisplay*, const char* name, int width,
                                                    int height) {
    if (!name || width <= 0 || height <= 0) return nullptr;
    auto bmp = ReadBitmapFile(name, nullptr);
    if (!bmp) return nullptr;
    auto s = std::make_unique<Surface16>(width, height);
    CopyBitmapToSurface(s.get(), &*bmp, 0, 0, 0, 0);
    return s;
}

DdResult ReloadBitmap(Surface16* surface, const char* name) {
    auto bmp = name ? ReadBitmapFile(name, nullptr) : std::nullopt;
    if (!bmp) {
        std::fprintf(stderr, "handle is null\n");
        return kEFail;
    }
    DdResult r = CopyBitmapToSurface(surface, &*bmp, 0, 0, 0, 0);
    if (r != kDdOk) std::fprintf(stderr, "ddcopybitmap failed\n");
    return r;
}

std::unique_ptr<DrawPalette> LoadPalette(DrawDisplay*, const char* name) {
    auto pal = std::make_unique<DrawPalette>();
    for (int i = 0; i < 256; ++i) {
        pal->entries[i] = {uint8_t((i & 3) * 85), uint8_t(((i >> 2) & 7) * 255 / 7),
                           uint8_t(((i >> 5) & 7) * 255 / 7), 0};
    }
    if (!name) return pal;
    auto bmp = ReadBitmapFile(name, nullptr);
    if (bmp && bmp->bitCount <= 8) {
        for (std::size_t i = 0; i < bmp->colorTable.size() && i < 256; ++i) {
            pal->entries[i] = bmp->colorTable[i];
            pal->entries[i].reserved = 0;
        }
    }
    return pal;
}

uint32_t MatchColour(Surface16* surface, ui::ColorRef rgb) {
    if (!surface || surface->Width() == 0 || surface->Height() == 0) return 0xFFFFFFFFu;
    uint16_t old = surface->At(0, 0);
    if (rgb != ui::kColorInvalid) surface->Set(0, 0, ColorTo565(rgb));
    uint32_t value = surface->At(0, 0);
    surface->Set(0, 0, old);
    return value;
}

}  // namespace zv::fw
