#include "platform/ui/Cursor.h"

namespace zv::ui {

namespace {

// 'X' outline, '.' fill, ' ' transparent.
constexpr const char* kArrow[] = {
    "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ",
    "X....X      ", "X.....X     ", "X......X    ", "X.......X   ", "X........X  ",
    "X.....XXXXX ", "X..X..X     ", "X.X X..X    ", "XX  X..X    ", "X    X..X   ",
    "     X..X   ", "      X..X  ", "      X..X  ", "       XX   ",
};

}  // namespace

CursorImage MakeArrowCursorImage() {
    CursorImage img;
    img.width = 12;
    img.height = static_cast<int>(sizeof(kArrow) / sizeof(kArrow[0]));
    img.argb.assign(static_cast<size_t>(img.width * img.height), 0);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const char c = kArrow[y][x];
            uint32_t& p = img.argb[static_cast<size_t>(y * img.width + x)];
            if (c == 'X') p = 0xFF000000u;
            if (c == '.') p = 0xFFFFFFFFu;
        }
    }
    return img;
}

bool MakeCursorImageFromIndexed(const IndexedSurface& bitmap, uint8_t transparentIndex, int hotX,
                                int hotY, CursorImage& out) {
    if (!bitmap.IsValid() || bitmap.width > 64 || bitmap.height > 64) return false;
    if (hotX < 0 || hotY < 0 || hotX >= bitmap.width || hotY >= bitmap.height) return false;
    CursorImage img;
    img.width = bitmap.width;
    img.height = bitmap.height;
    img.hotX = hotX;
    img.hotY = hotY;
    img.argb.assign(static_cast<size_t>(img.width * img.height), 0);
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* row = bitmap.Row(y);
        for (int x = 0; x < img.width; ++x) {
            if (row[x] == transparentIndex) continue;
            const ColorRef c = bitmap.ColorOf(row[x]);
            img.argb[static_cast<size_t>(y * img.width + x)] =
                0xFF000000u | (uint32_t(ColorRed(c)) << 16) | (uint32_t(ColorGreen(c)) << 8) |
                ColorBlue(c);
        }
    }
    out = std::move(img);
    return true;
}

}  // namespace zv::ui
