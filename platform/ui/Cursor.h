#pragma once

// Mouse cursors: the built-in arrow and the game's own cursors made from bitmaps.

#include <cstdint>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

// A cursor handle; 0 is none.
using Hcursor = uint32_t;

// Stock cursor ids of LoadCursor. The layer draws the arrow and the four sizing arrows; the
// others show the arrow.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;

// The picture of a cursor: 0xAARRGGBB pixels, alpha 0 (transparent) or 255.
struct CursorImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> argb;
};

// The classic black-outlined white arrow, hot spot at its tip.
CursorImage MakeArrowCursorImage();

// The double-headed arrows shown over a sizable window's edges and corners (IDC_SIZEWE,
// IDC_SIZENS, IDC_SIZENWSE, IDC_SIZENESW): black with a white outline, hot spot in the middle.
// An empty picture for any other id.
CursorImage MakeSizingCursorImage(int id);

// A cursor picture from 8-bit pixels: pixels of the transparent index are left out, the others
// take their palette colour. Null when the surface is not valid or is larger than 64 x 64, or
// the hot spot lies outside it.
bool MakeCursorImageFromIndexed(const IndexedSurface& bitmap, uint8_t transparentIndex, int hotX,
                                int hotY, CursorImage& out);

}  // namespace zv::ui
