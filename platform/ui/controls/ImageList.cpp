#include "platform/ui/controls/ImageList.h"

#include <algorithm>

namespace zv::ui {

namespace {

constexpr ColorRef kBlendColor = Rgb(0, 0, 128);  // the highlight colour

uint32_t Blend(uint32_t pixel, ColorRef with, int percent) {
    const uint32_t w = ToPixel32(with);
    auto mix = [&](int shift) {
        const int a = int((pixel >> shift) & 0xFF);
        const int b = int((w >> shift) & 0xFF);
        return uint32_t((a * (100 - percent) + b * percent) / 100) << shift;
    };
    return mix(16) | mix(8) | mix(0);
}

}  // namespace

ImageList::ImageList(int cx, int cy, uint32_t flags)
    : cx_(std::max(0, cx)), cy_(std::max(0, cy)), flags_(flags) {}

int ImageList::AddIndexed(const IndexedSurface& picture, ColorRef maskColor) {
    if (!picture.IsValid() || cx_ <= 0 || cy_ <= 0) return -1;
    const int n = picture.width / cx_;
    if (n <= 0) return -1;
    const int first = Count();
    const bool keyByIndex = IsPaletteIndex(maskColor);
    for (int i = 0; i < n; ++i) {
        Image img;
        img.pixels.assign(std::size_t(cx_) * cy_, 0);
        img.opaque.assign(std::size_t(cx_) * cy_, 0);
        for (int y = 0; y < std::min(cy_, picture.height); ++y) {
            const uint8_t* row = picture.Row(y);
            for (int x = 0; x < cx_; ++x) {
                const uint8_t index = row[i * cx_ + x];
                const ColorRef c = picture.ColorOf(index);
                bool shows = true;
                if ((flags_ & ILC_MASK) && maskColor != CLR_NONE) {
                    shows = keyByIndex ? index != (maskColor & 0xFFFF)
                                       : (c & 0xFFFFFF) != (maskColor & 0xFFFFFF);
                }
                img.pixels[std::size_t(y) * cx_ + x] = ToPixel32(c);
                img.opaque[std::size_t(y) * cx_ + x] = shows ? 1 : 0;
            }
        }
        images_.push_back(std::move(img));
    }
    return first;
}

int ImageList::Add32(const Surface32& picture, ColorRef maskColor) {
    if (!picture.IsValid() || cx_ <= 0 || cy_ <= 0) return -1;
    const int n = picture.width / cx_;
    if (n <= 0) return -1;
    const int first = Count();
    for (int i = 0; i < n; ++i) {
        Image img;
        img.pixels.assign(std::size_t(cx_) * cy_, 0);
        img.opaque.assign(std::size_t(cx_) * cy_, 0);
        for (int y = 0; y < std::min(cy_, picture.height); ++y) {
            const uint32_t* row = picture.Row(y);
            for (int x = 0; x < cx_; ++x) {
                const uint32_t p = row[i * cx_ + x] & 0xFFFFFF;
                const bool shows =
                    !((flags_ & ILC_MASK) && maskColor != CLR_NONE && p == ToPixel32(maskColor));
                img.pixels[std::size_t(y) * cx_ + x] = p;
                img.opaque[std::size_t(y) * cx_ + x] = shows ? 1 : 0;
            }
        }
        images_.push_back(std::move(img));
    }
    return first;
}

bool ImageList::Remove(int index) {
    if (index == -1) {
        images_.clear();
        return true;
    }
    if (index < 0 || index >= Count()) return false;
    images_.erase(images_.begin() + index);
    return true;
}

ColorRef ImageList::SetBkColor(ColorRef c) {
    const ColorRef old = background_;
    background_ = c;
    return old;
}

bool ImageList::Draw(int image, Canvas& dc, int x, int y, uint32_t style) const {
    if (image < 0 || image >= Count()) return false;
    const Image& img = images_[std::size_t(image)];
    const int percent = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
    const bool fillMasked = background_ != CLR_NONE && !(style & ILD_TRANSPARENT);
    for (int row = 0; row < cy_; ++row) {
        for (int col = 0; col < cx_; ++col) {
            const std::size_t i = std::size_t(row) * cx_ + col;
            uint32_t p;
            if (img.opaque[i]) {
                p = img.pixels[i];
            } else if (fillMasked) {
                p = ToPixel32(background_);
            } else {
                continue;
            }
            if (percent) p = Blend(p, kBlendColor, percent);
            dc.SetPixel(x + col, y + row, FromPixel32(p));
        }
    }
    return true;
}

ImageList* ImageList_Create(int cx, int cy, uint32_t flags, int /*initial*/, int /*grow*/) {
    if (cx <= 0 || cy <= 0) return nullptr;
    return new ImageList(cx, cy, flags);
}

bool ImageList_Destroy(ImageList* list) {
    if (!list) return false;
    delete list;
    return true;
}

int ImageList_Add(ImageList* list, const IndexedSurface* picture, const IndexedSurface* /*mask*/) {
    if (!list || !picture) return -1;
    return list->AddIndexed(*picture, CLR_NONE);
}

int ImageList_AddMasked(ImageList* list, const IndexedSurface* picture, ColorRef maskColor) {
    if (!list || !picture) return -1;
    return list->AddIndexed(*picture, maskColor);
}

int ImageList_GetImageCount(const ImageList* list) {
    return list ? list->Count() : 0;
}

bool ImageList_GetIconSize(const ImageList* list, int* cx, int* cy) {
    if (!list) return false;
    if (cx) *cx = list->ImageSize().cx;
    if (cy) *cy = list->ImageSize().cy;
    return true;
}

bool ImageList_Remove(ImageList* list, int index) {
    return list && list->Remove(index);
}

ColorRef ImageList_SetBkColor(ImageList* list, ColorRef c) {
    return list ? list->SetBkColor(c) : CLR_NONE;
}

bool ImageList_Draw(const ImageList* list, int image, Canvas* dc, int x, int y, uint32_t style) {
    return list != nullptr && dc != nullptr && list->Draw(image, *dc, x, y, style);
}

}  // namespace zv::ui
