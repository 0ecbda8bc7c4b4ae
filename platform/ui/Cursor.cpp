#include "platform/ui/Cursor.h"

#include <cstdlib>
#include <functional>

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

CursorImage MakeSizingCursorImage(int id) {
    constexpr int n = 17;  // the shape within, one pixel left free for the outline
    constexpr int c = n / 2;
    // Whether the arrow covers (x, y), drawn left-right or top-left to bottom-right; the other
    // two directions are these turned.
    auto along = [&](int x, int y) {
        const int off = std::abs(y - c);
        return (y == c && x >= 3 && x <= n - 4) || (x >= 1 && (x - 1) + off <= 4) ||
               (x <= n - 2 && (n - 2 - x) + off <= 4);
    };
    auto diagonal = [&](int x, int y) {
        return (x == y && x >= 3 && x <= n - 4) || (x >= 1 && y >= 1 && (x - 1) + (y - 1) <= 5) ||
               (x <= n - 2 && y <= n - 2 && (n - 2 - x) + (n - 2 - y) <= 5);
    };
    std::function<bool(int, int)> covers;
    switch (id) {
        case IDC_SIZEWE:
            covers = along;
            break;
        case IDC_SIZENS:
            covers = [&](int x, int y) { return along(y, x); };
            break;
        case IDC_SIZENWSE:
            covers = diagonal;
            break;
        case IDC_SIZENESW:
            covers = [&](int x, int y) { return diagonal(n - 1 - x, y); };
            break;
        default:
            return {};
    }
    CursorImage img;
    img.width = n;
    img.height = n;
    img.hotX = c;
    img.hotY = c;
    img.argb.assign(static_cast<size_t>(n * n), 0);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            uint32_t& p = img.argb[static_cast<size_t>(y * n + x)];
            if (covers(x, y)) {
                p = 0xFF000000u;
                continue;
            }
            // White where a covered pixel is next to this one.
            for (int dy = -1; dy <= 1 && !p; ++dy) {
                for (int dx = -1; dx <= 1 && !p; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < n && ny < n && covers(nx, ny)) p = 0xFFFFFFFFu;
                }
            }
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
