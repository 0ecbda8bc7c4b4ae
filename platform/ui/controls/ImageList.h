#pragma once

// Image lists: a row of equal-sized pictures that list views, tab controls and tree views draw
// by index. Pictures are kept as 32-bit pixels with a mask, so one list draws alike on the
// screen and on the game's 8-bit Dibs.

#include <cstdint>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Surface.h"

namespace zv::ui {

constexpr uint32_t ILC_MASK = 0x0001;
constexpr uint32_t ILC_COLOR = 0x0000;
constexpr uint32_t ILC_COLOR4 = 0x0004;
constexpr uint32_t ILC_COLOR8 = 0x0008;
constexpr uint32_t ILC_COLOR16 = 0x0010;
constexpr uint32_t ILC_COLOR24 = 0x0018;
constexpr uint32_t ILC_COLOR32 = 0x0020;

constexpr uint32_t ILD_NORMAL = 0x0000;
constexpr uint32_t ILD_TRANSPARENT = 0x0001;
constexpr uint32_t ILD_BLEND25 = 0x0002;
constexpr uint32_t ILD_FOCUS = ILD_BLEND25;
constexpr uint32_t ILD_BLEND50 = 0x0004;
constexpr uint32_t ILD_SELECTED = ILD_BLEND50;

constexpr ColorRef CLR_NONE = 0xFFFFFFFFu;

class ImageList {
  public:
    ImageList() = default;
    ImageList(int cx, int cy, uint32_t flags);
    virtual ~ImageList() = default;

    // Cuts the picture into images of the list's width from the left, as many as fit whole;
    // pixels of `maskColor` (CLR_NONE: none) stay transparent when the list has a mask.
    // Returns the index of the first image added, -1 when none fitted.
    int AddIndexed(const IndexedSurface& picture, ColorRef maskColor);
    int Add32(const Surface32& picture, ColorRef maskColor);
    bool Remove(int index);  // -1 removes every image
    int Count() const { return static_cast<int>(images_.size()); }
    Size ImageSize() const { return {cx_, cy_}; }
    ColorRef SetBkColor(ColorRef c);

    // Draws image `image` with its top-left corner at (x, y). ILD_SELECTED / ILD_FOCUS blend
    // the picture with the highlight colour; ILD_TRANSPARENT leaves masked pixels alone.
    virtual bool Draw(int image, Canvas& dc, int x, int y, uint32_t style) const;

  private:
    struct Image {
        std::vector<uint32_t> pixels;  // 0x00RRGGBB
        std::vector<uint8_t> opaque;   // 1 where the picture shows
    };
    int cx_ = 0;
    int cy_ = 0;
    uint32_t flags_ = 0;
    ColorRef background_ = CLR_NONE;
    std::vector<Image> images_;
};

// The functions in the shape the game's code calls them. The list belongs to the caller until
// ImageList_Destroy.
ImageList* ImageList_Create(int cx, int cy, uint32_t flags, int initial, int grow);
bool ImageList_Destroy(ImageList* list);
// Adds the images of a picture (a Dib's surface); `mask` is ignored: the mask of an ILC_MASK
// list comes from ImageList_AddMasked's colour.
int ImageList_Add(ImageList* list, const IndexedSurface* picture, const IndexedSurface* mask);
int ImageList_AddMasked(ImageList* list, const IndexedSurface* picture, ColorRef maskColor);
int ImageList_GetImageCount(const ImageList* list);
bool ImageList_GetIconSize(const ImageList* list, int* cx, int* cy);
bool ImageList_Remove(ImageList* list, int index);
ColorRef ImageList_SetBkColor(ImageList* list, ColorRef c);
bool ImageList_Draw(const ImageList* list, int image, Canvas* dc, int x, int y, uint32_t style);

}  // namespace zv::ui
