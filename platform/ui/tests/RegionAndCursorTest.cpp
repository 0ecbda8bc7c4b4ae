#include <gtest/gtest.h>

#include "platform/ui/Cursor.h"
#include "platform/ui/Region.h"

namespace zv::ui {
namespace {

// Whether a region covers exactly the pixels a reference predicate names, over a small grid.
template <typename F>
void ExpectCovers(const Region& r, F inside) {
    for (int y = -2; y < 22; ++y) {
        for (int x = -2; x < 22; ++x) {
            ASSERT_EQ(r.Contains(x, y), inside(x, y)) << x << "," << y;
        }
    }
}

TEST(RegionTest, AddAndSubtractKeepDisjointPiecesThatCoverTheRightPixels) {
    Region r;
    r.Add({0, 0, 10, 10});
    r.Add({5, 5, 15, 15});  // overlaps: the shared part must not count twice
    EXPECT_EQ(r.Area(), 100 + 100 - 25);
    ExpectCovers(r, [](int x, int y) {
        return (x >= 0 && x < 10 && y >= 0 && y < 10) || (x >= 5 && x < 15 && y >= 5 && y < 15);
    });
    r.Subtract({3, 3, 12, 12});  // a hole through both
    ExpectCovers(r, [](int x, int y) {
        const bool in =
            (x >= 0 && x < 10 && y >= 0 && y < 10) || (x >= 5 && x < 15 && y >= 5 && y < 15);
        return in && !(x >= 3 && x < 12 && y >= 3 && y < 12);
    });
    EXPECT_EQ(r.Bounds(), (Rect{0, 0, 15, 15}));
    r.Intersect({0, 0, 4, 20});
    ExpectCovers(
        r, [](int x, int y) { return x >= 0 && x < 4 && y >= 0 && y < 10 && !(x == 3 && y >= 3); });
    r.Offset(1, 1);
    EXPECT_TRUE(r.Contains(1, 1));
    EXPECT_FALSE(r.Contains(0, 0));
    r.Subtract({-100, -100, 100, 100});
    EXPECT_TRUE(r.IsEmpty());
    r.Add({5, 5, 5, 9});  // empty rectangles add nothing
    EXPECT_TRUE(r.IsEmpty());
}

TEST(CursorTest, IndexedBitmapsBecomeCursorsWithTheKeyLeftOut) {
    RgbQuad palette[3] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    // Two rows, bottom-up in memory: the first stored row is the picture's bottom row.
    uint8_t pixels[2 * 4] = {2, 0, 0, 0, 1, 0, 0, 0};
    IndexedSurface s{pixels, 3, 2, 4, true, palette, 3};
    CursorImage img;
    ASSERT_TRUE(MakeCursorImageFromIndexed(s, 0, 1, 1, img));
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.hotX, 1);
    EXPECT_EQ(img.argb[0], 0xFFFF0000u);  // top-left: index 1, red
    EXPECT_EQ(img.argb[1], 0u);           // the key is transparent
    EXPECT_EQ(img.argb[3], 0xFFFFFFFFu);  // bottom-left: index 2, white
    // Refused: a hot spot outside, a picture too large, no pixels.
    EXPECT_FALSE(MakeCursorImageFromIndexed(s, 0, 3, 0, img));
    IndexedSurface big{pixels, 65, 2, 65, true, palette, 3};
    EXPECT_FALSE(MakeCursorImageFromIndexed(big, 0, 0, 0, img));
    EXPECT_FALSE(MakeCursorImageFromIndexed(IndexedSurface{}, 0, 0, 0, img));
    const CursorImage arrow = MakeArrowCursorImage();
    EXPECT_EQ(arrow.argb.size(), static_cast<size_t>(arrow.width * arrow.height));
    EXPECT_EQ(arrow.argb[0], 0xFF000000u);  // the tip, at the hot spot
}

}  // namespace
}  // namespace zv::ui
